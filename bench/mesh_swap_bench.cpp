// Vertex swap into a Qiv mesh and UV tile extraction, each against copying
// the same file bytes with plain read/write calls (what `cp` does).
//
//   SwapVertices_Qiv, 1,000,000 vertices      vs  copy of the mesh file    target <= 2x
//   GetUVsFromQiv, 1,000,000 faces, 10 tiles  vs  copy of all tile files   target <= 3x
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_reader.h"
#include "host/frozen.h"
#include "mesh/qiv.h"
#include "mesh/uv_tiles.h"
#include "tolvane/host.h"

namespace {

using tolvane::Bytes;

constexpr uint32_t kVertices = 1000000;
constexpr uint32_t kFaces = 1000000;
constexpr int kTiles = 10;

// A small generator of test meshes: appends little-endian fields.
struct Writer {
  Bytes b;
  void u32(uint32_t v) {
    size_t at = b.size();
    b.resize(at + 4);
    tolvane::putLe32(&b[at], v);
  }
  void f32(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    u32(u);
  }
  void chunk(uint32_t tag, uint32_t count, uint32_t recordSize) {
    u32(tag);
    u32(16 + count * recordSize);
    u32(count);
    u32(0);
  }
};

// Header, vertices, quads and (when asked) UVs whose records run through
// kTiles tiles along u, in runs of neighbouring faces as a real unwrap does.
Bytes makeMesh(bool withUVs, float shift) {
  Writer w;
  w.b.reserve(32 + 16 * 3 + kVertices * 12 + kFaces * 48);
  for (int i = 0; i < 8; ++i) w.u32(0x51495600 + i);
  w.chunk(tolvane::kVertexTag, kVertices, 12);
  for (uint32_t i = 0; i < kVertices; ++i) {
    w.f32(float(i % 1000) * 0.01f + shift);
    w.f32(float(i / 1000) * 0.01f);
    w.f32(shift);
  }
  w.chunk(tolvane::kFaceTag, kFaces, 16);
  for (uint32_t i = 0; i < kFaces; ++i)
    for (uint32_t c = 0; c < 4; ++c) w.u32((i + c) % kVertices);
  if (withUVs) {
    w.chunk(tolvane::kUVTag, kFaces, 32);
    for (uint32_t i = 0; i < kFaces; ++i) {
      const float tile = float(uint64_t(i) * kTiles / kFaces);
      const float u = (i % 997) / 1000.0f, v = (i % 991) / 1000.0f;
      for (float du : {0.0f, 0.001f, 0.001f, 0.0f}) {
        w.f32(tile + u + du);
        w.f32(v + (du > 0 ? 0.001f : 0.0f));
      }
    }
  }
  return w.b;
}

// Like `cp`: read and write in 1 MiB blocks, truncating the destination.
void copyFile(const std::string& from, const std::string& to) {
  static std::vector<char> block(size_t(1) << 20);
  int in = ::open(from.c_str(), O_RDONLY);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (ssize_t n; (n = ::read(in, block.data(), block.size())) > 0;)
    if (::write(out, block.data(), size_t(n)) != n) std::abort();
  ::close(in);
  ::close(out);
}

struct Files {
  std::string dir, qiv, qit, uvMesh, tiles;
  Files() {
    char name[] = "/tmp/tolvane-mesh-swap-bench-XXXXXX";
    if (!::mkdtemp(name)) std::abort();
    dir = name;
    qiv = dir + "/part.qiv";
    qit = dir + "/part.Qit";
    uvMesh = dir + "/tiles.qiv";
    tiles = dir + "/tile.Qiv";
    const Bytes mesh = makeMesh(false, 0.0f), moved = makeMesh(false, 0.5f);
    // The Qit file: the moved mesh's vertex chunk alone.
    tolvane::writeWholeFile(qiv.c_str(), mesh.data(), mesh.size());
    tolvane::writeWholeFile(qit.c_str(), moved.data() + 32, 16 + size_t(kVertices) * 12);
    const Bytes uvs = makeMesh(true, 0.0f);
    tolvane::writeWholeFile(uvMesh.c_str(), uvs.data(), uvs.size());
  }
  ~Files() { std::filesystem::remove_all(dir); }
};

Files& files() {
  static Files f;
  return f;
}

void SwapVerticesQiv(benchmark::State& state) {
  Files& f = files();
  std::vector<char> qit(f.qit.begin(), f.qit.end());
  qit.push_back(0);
  for (auto _ : state)
    if (SwapVertices_Qiv(qit.data(), 0, const_cast<char*>(f.qiv.c_str())) != 0) state.SkipWithError("swap failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(f.qiv)));
}

void CopyMeshFile(benchmark::State& state) {
  Files& f = files();
  for (auto _ : state) copyFile(f.qiv, f.dir + "/copy.qiv");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(f.qiv)));
}

void UVsFromQiv(benchmark::State& state) {
  Files& f = files();
  for (auto _ : state)
    if (GetUVsFromQiv(f.uvMesh.c_str(), f.tiles.c_str()) != kTiles) state.SkipWithError("wrong tile count");
}

void CopyTileFiles(benchmark::State& state) {
  Files& f = files();
  if (GetUVsFromQiv(f.uvMesh.c_str(), f.tiles.c_str()) != kTiles) state.SkipWithError("wrong tile count");
  int64_t bytes = 0;
  for (auto _ : state)
    for (int k = 0; k < kTiles; ++k) {
      const std::string tile = f.dir + "/tile" + std::to_string(k) + ".Qiv";
      copyFile(tile, f.dir + "/copy" + std::to_string(k) + ".Qiv");
      bytes += int64_t(std::filesystem::file_size(tile));
    }
  state.SetBytesProcessed(bytes);
}

}  // namespace

BENCHMARK(SwapVerticesQiv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CopyMeshFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(UVsFromQiv)->Unit(benchmark::kMillisecond)->MinTime(5.0);
BENCHMARK(CopyTileFiles)->Unit(benchmark::kMillisecond)->MinTime(5.0);
