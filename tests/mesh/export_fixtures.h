// Small Qiv files built byte by byte for the export tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/support.h"

namespace exportfixtures {

constexpr uint32_t kVertexTag = 10001, kFaceTag = 20001, kUVTag = 25001, kColourTag = 35001;

// A chunk: header (tag, length, count, 0) and records. The length defaults
// to the true one; tests that lie about it pass their own.
inline std::string chunk(uint32_t tag, uint32_t count, const std::string& records, int64_t length = -1) {
  std::string s;
  testsupport::putU32(s, tag);
  testsupport::putU32(s, length < 0 ? uint32_t(16 + records.size()) : uint32_t(length));
  testsupport::putU32(s, count);
  testsupport::putU32(s, 0);
  return s + records;
}

inline std::string vertexChunk(const std::vector<float>& xyz) {
  std::string r;
  for (float f : xyz) testsupport::putF32(r, f);
  return chunk(kVertexTag, uint32_t(xyz.size() / 3), r);
}

inline std::string faceChunk(const std::vector<std::array<int32_t, 4>>& faces, uint32_t tag = kFaceTag) {
  std::string r;
  for (const auto& f : faces)
    for (int32_t i : f) testsupport::putU32(r, uint32_t(i));
  return chunk(tag, uint32_t(faces.size()), r);
}

// Records from (red, green, blue); stored blue, green, red, 0xEE.
inline std::string colourChunk(const std::vector<std::array<uint8_t, 3>>& rgb, uint32_t tag = kColourTag) {
  std::string r;
  for (const auto& c : rgb) r += std::string{char(c[2]), char(c[1]), char(c[0]), char(0xEE)};
  return chunk(tag, uint32_t(rgb.size()), r);
}

// A Qiv file: 32 header bytes the library must not read, then the chunks.
inline std::string qiv(const std::string& chunks) { return std::string(32, '\x5A') + chunks; }

// n quads (0, 1, 2, 3), (4, 5, 6, 7), ...
inline std::vector<std::array<int32_t, 4>> quads(int n) {
  std::vector<std::array<int32_t, 4>> f;
  for (int i = 0; i < n; ++i) f.push_back({4 * i, 4 * i + 1, 4 * i + 2, 4 * i + 3});
  return f;
}

inline std::vector<std::array<uint8_t, 3>> greys(int n) {
  std::vector<std::array<uint8_t, 3>> c;
  for (int i = 0; i < n; ++i) c.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return c;
}

}  // namespace exportfixtures
