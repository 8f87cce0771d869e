// Qiv meshes for benchmarks: deterministic, realistic sizes, written once
// into a temporary folder.
//
//   std::string dir = benchqiv::tempFolder();
//   benchqiv::writeBytes(dir + "/mesh.qiv", benchqiv::mesh(1000000, 2000000));
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace benchqiv {

constexpr uint32_t kVertexTag = 10001, kFaceTag = 20001, kUVTag = 25001, kColourTag = 35001;

struct Random {
  uint64_t s;
  explicit Random(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return uint32_t(s >> 16);
  }
};

inline void put32(std::string& s, uint32_t v) {
  char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  s.append(b, 4);
}

inline void chunkHeader(std::string& s, uint32_t tag, uint32_t count, uint32_t recordSize) {
  put32(s, tag);
  put32(s, 16 + count * recordSize);
  put32(s, count);
  put32(s, 0);
}

// Vertex chunk (positions within ±100 units, as a modelling tool writes
// them), colour chunk, face chunk (every third face a triangle), and a UV
// chunk of `uvFaces` records (0 for none).
inline std::string mesh(uint32_t vertices, uint32_t faces, uint32_t uvFaces = 0, uint64_t seed = 1) {
  Random rnd(seed);
  std::string s(32, '\0');
  s.reserve(32 + 64 + 16ull * vertices + 16ull * faces + 32ull * uvFaces);
  chunkHeader(s, kVertexTag, vertices, 12);
  for (uint64_t i = 0; i < 3ull * vertices; ++i) {
    float f = float(int32_t(rnd.next() % 2000001) - 1000000) / 10000.0f * (rnd.next() % 8 ? 1.0f : 0.01f);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(s, bits);
  }
  chunkHeader(s, kColourTag, vertices, 4);
  for (uint32_t i = 0; i < vertices; ++i) put32(s, rnd.next());
  chunkHeader(s, kFaceTag, faces, 16);
  for (uint32_t i = 0; i < faces; ++i) {
    uint32_t a = rnd.next() % vertices;
    put32(s, a);
    put32(s, (a + 1) % vertices);
    put32(s, (a + 2 + rnd.next() % 64) % vertices);
    put32(s, i % 3 == 2 ? 0xFFFFFFFFu : (a + 3) % vertices);
  }
  if (uvFaces) {
    chunkHeader(s, kUVTag, uvFaces, 32);
    for (uint64_t i = 0; i < 8ull * uvFaces; ++i) {
      float f = float(rnd.next() % 40000) / 10000.0f;
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      put32(s, bits);
    }
  }
  return s;
}

// A face ID source: a face chunk first, `quads` quads, so level 1 gives
// `quads` entries of 4.
inline std::string faceIdSource(uint32_t quads) {
  std::string s(32, '\0');
  chunkHeader(s, kFaceTag, quads, 16);
  for (uint32_t i = 0; i < quads; ++i)
    for (uint32_t k = 0; k < 4; ++k) put32(s, 4 * i + k);
  return s;
}

inline bool writeBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A fresh folder under $TMPDIR (or /tmp); the caller removes it.
inline std::string tempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tolvane-bench-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

}  // namespace benchqiv
