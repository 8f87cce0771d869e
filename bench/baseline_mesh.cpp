// Plain references for the other mesh operations: whole file read with
// fread, numbers through fprintf, a std::map of tile keys, one small fwrite
// per value. Each writes the same bytes as the library on well-formed input;
// bench/run times the library against them. Not used by the library.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

bool readAll(const char* path, std::vector<unsigned char>& b) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return false;
  std::fseek(in, 0, SEEK_END);
  b.resize(size_t(std::ftell(in)));
  std::fseek(in, 0, SEEK_SET);
  size_t got = std::fread(b.data(), 1, b.size(), in);
  std::fclose(in);
  return got == b.size();
}

uint32_t u32(const std::vector<unsigned char>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

float f32(const std::vector<unsigned char>& b, size_t at) {
  uint32_t u = u32(b, at);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

int tileNumber(float x) { return x >= 0 ? int(x) : int(x - 1.0f); }

}  // namespace

// Face ID list of a face chunk at offset 32, level 1.
bool baselineFaceIDs(const char* path, std::vector<uint32_t>& ids) {
  std::vector<unsigned char> b;
  if (!readAll(path, b)) return false;
  ids.clear();
  uint32_t n = u32(b, 40);
  for (uint32_t i = 0; i < n; ++i) ids.push_back(int32_t(u32(b, 60 + 16 * size_t(i))) < 0 ? 3 : 4);
  return true;
}

// The colour block of the chunk at offset 32.
float baselineColours(const char* qivPath, const char* outPath) {
  std::vector<unsigned char> b;
  if (!readAll(qivPath, b)) return -1760;
  FILE* out = std::fopen(outPath, "w");
  if (!out) return -2;
  std::fprintf(out,
               "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values "
               "per vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n");
  uint32_t n = u32(b, 40);
  for (uint32_t j = 0; j < n; ++j) {
    size_t r = 48 + 4 * size_t(j);
    if (j % 32 == 0) std::fprintf(out, "#RGB ");
    std::fprintf(out, " %02x%02x%02x", b[r + 2], b[r + 1], b[r]);
    if (j % 32 == 31) std::fprintf(out, "\n");
  }
  std::fprintf(out, "\n# End of RGB block\n");
  return std::fclose(out) == 0 ? 0 : -2;
}

// UV tiles: a map of keys, then one file per tile written value by value.
float baselineUVTiles(const char* qivPath, const char* outPath, bool write) {
  std::vector<unsigned char> b;
  if (!readAll(qivPath, b)) return -1760;
  size_t at = 32;
  while (at < b.size() && u32(b, at) != 25001) at += u32(b, at + 4) ? u32(b, at + 4) : 16;
  if (at >= b.size()) return 0;
  uint32_t n = u32(b, at + 8);
  size_t h = at + 16;
  std::map<std::string, std::pair<int, int>> tiles;
  for (uint32_t i = 0; i < n; ++i) {
    int u = tileNumber(f32(b, h + 32 * size_t(i))), v = tileNumber(f32(b, h + 32 * size_t(i) + 4));
    tiles.emplace(std::to_string(u) + std::to_string(v), std::make_pair(u, v));
  }
  if (!write) return float(tiles.size());
  std::string base = outPath;
  size_t dot = base.rfind('.'), slash = base.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
  int k = 0;
  for (const auto& tile : tiles) {
    FILE* out = std::fopen((base + std::to_string(k) + ".Qiv").c_str(), "wb");
    if (!out) return 1501.0f + float(k);
    std::fwrite(b.data(), 1, h, out);
    for (size_t p = 0; p < 4 * size_t(n); ++p) {
      float uv[2];
      int whole[2];
      for (int c = 0; c < 2; ++c) {
        float x = f32(b, h + 8 * p + 4 * c), w;
        uv[c] = std::modf(x >= 0 ? x : x - 1.0f, &w);
        if (uv[c] < 0) uv[c] += 1.0f;
        whole[c] = int(w);
      }
      if (whole[0] != tile.second.first || whole[1] != tile.second.second) uv[0] = uv[1] = -1.0f;
      std::fwrite(&uv[0], 4, 1, out);
      std::fwrite(&uv[1], 4, 1, out);
    }
    static const char end[16] = {};
    std::fwrite(end, 1, 16, out);
    std::fclose(out);
    ++k;
  }
  return float(k);
}

// Vertex swap: the vertex chunk found, then record by record through two
// update handles.
float baselineSwapQiv(const char* qivPath, const char* qitPath) {
  std::vector<unsigned char> b;
  if (!readAll(qivPath, b)) return -1760;
  size_t at = 32;
  while (at < b.size() && u32(b, at) != 10001) at += u32(b, at + 4) ? u32(b, at + 4) : 16;
  if (at >= b.size()) return -18;
  uint32_t length = u32(b, at + 4), count = u32(b, at + 8);
  FILE* qit = std::fopen(qitPath, "r+b");
  if (!qit) return -201;
  unsigned char head[16];
  if (std::fread(head, 1, 16, qit) != 16 || std::memcmp(head + 4, &length, 4) || std::memcmp(head + 8, &count, 4)) {
    std::fclose(qit);
    return -301;
  }
  FILE* qiv = std::fopen(qivPath, "r+b");
  if (!qiv) {
    std::fclose(qit);
    return -401;
  }
  std::fseek(qiv, long(at + 16), SEEK_SET);
  unsigned char record[12];
  for (uint32_t i = 0; i < count && std::fread(record, 1, 12, qit) == 12; ++i) std::fwrite(record, 1, 12, qiv);
  std::fclose(qit);
  std::fclose(qiv);
  return 0;
}
