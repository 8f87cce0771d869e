#include "mesh/uv_tiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <tuple>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"
#include "common/result_codes.h"
#include "files/path_name.h"
#include "mesh/qiv.h"

std::vector<std::string> UVTileStr;

namespace tolvane {
namespace {

constexpr uint32_t kNoTile = UINT32_MAX;

// Negative coordinates move one down, so that truncation toward zero puts
// them in the tile below: -0.5 in tile -1.
float shifted(float x) { return x >= 0 ? x : x - 1.0f; }

// A whole-numbered float as a tile number; false for NaN, infinities and
// values beyond 32 bits.
bool asTileNumber(float whole, int32_t& out) {
  if (!(whole >= -2147483648.0f && whole < 2147483648.0f)) return false;
  out = int32_t(whole);
  return true;
}

std::string tileKey(int32_t u, int32_t v) {
  char text[24];
  char* end = std::to_chars(text, text + sizeof text, u).ptr;
  end = std::to_chars(end, text + sizeof text, v).ptr;
  return std::string(text, end);
}

// The UV chunk of a mesh (a mesh without one has a UV chunk of 0 records);
// false when its records run past the end of the file.
bool findUVChunk(FileFront& file, Chunk& uv) {
  if (!findChunk(file, kUVTag, uv)) {
    uv = Chunk();
    return true;
  }
  return recordsFit(file, uv, kUVRecord);
}

float pairCoordinate(const ByteReader& image, const Chunk& uv, uint64_t pair, int which) {
  float x = 0;
  image.f32le(uv.records() + pair * 8 + uint64_t(which) * 4, x);
  return x;
}

struct MetTile {
  int32_t u, v;
  uint32_t record;  // the first record met in this tile
};

// The tile of record i: that of its first pair.
MetTile recordTile(const ByteReader& image, const Chunk& uv, uint32_t i) {
  const uint64_t first = uint64_t(i) * 4;
  return {uvTileNumber(pairCoordinate(image, uv, first, 0)), uvTileNumber(pairCoordinate(image, uv, first, 1)), i};
}

// Record i's tile into `met` when it differs from the one before it: each
// run of records in one tile is met once.
void meet(std::vector<MetTile>& met, const MetTile& t) {
  if (met.empty() || t.u != met.back().u || t.v != met.back().v) met.push_back(t);
}

// The operation's tile set, in key order: of the tiles sharing a key, the
// one met first in the file.
std::vector<UV_tile> tileSet(std::vector<MetTile> met) {
  std::sort(met.begin(), met.end(), [](const MetTile& a, const MetTile& b) {
    return std::tie(a.u, a.v, a.record) < std::tie(b.u, b.v, b.record);
  });
  met.erase(std::unique(met.begin(), met.end(),
                        [](const MetTile& a, const MetTile& b) { return a.u == b.u && a.v == b.v; }),
            met.end());

  std::vector<std::pair<UV_tile, uint32_t>> keyed;
  keyed.reserve(met.size());
  for (const MetTile& t : met) keyed.push_back({UV_tile{tileKey(t.u, t.v), t.u, t.v}, t.record});
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first.key, a.second) < std::tie(b.first.key, b.second);
  });
  std::vector<UV_tile> tiles;
  for (auto& [tile, record] : keyed)
    if (tiles.empty() || tiles.back().key != tile.key) tiles.push_back(std::move(tile));
  return tiles;
}

// Where one coordinate lies: the whole part of its shifted value, and its
// place inside the tile. modf's fraction has the sign of its argument, so
// a negative one is moved into 0..1.
bool splitCoordinate(float x, int32_t& whole, float& fraction) {
  float w, s = shifted(x);
  // copysign: not every C runtime's modf keeps the sign of a zero fraction
  // (-2 must give -0, as the tile files carry it).
  fraction = std::copysign(std::modf(s, &w), s);
  if (fraction < 0) fraction += 1.0f;
  return asTileNumber(w, whole);
}

// Every (u, v) pair of the UV records in file order, worked out once for all
// tile files: the tile it lies in (kNoTile when that is none of the set) and
// the 8 bytes it becomes in that tile's file.
struct TilePairs {
  std::vector<uint32_t> tile;
  Bytes local;
};

TilePairs splitPairs(const ByteReader& image, const Chunk& uv, const std::vector<UV_tile>& tiles) {
  struct Slot {
    int32_t u, v;
    uint32_t k;
    bool operator<(const Slot& o) const { return std::tie(u, v) < std::tie(o.u, o.v); }
  };
  std::vector<Slot> slots;
  for (uint32_t k = 0; k < tiles.size(); ++k) slots.push_back({tiles[k].u, tiles[k].v, k});
  std::sort(slots.begin(), slots.end());

  const uint64_t n = uint64_t(uv.count) * 4;
  TilePairs pairs;
  pairs.tile.resize(n);
  pairs.local.resize(n * 8);
  for (uint64_t i = 0; i < n; ++i) {
    int32_t wu = 0, wv = 0;
    float fu = 0, fv = 0;
    uint32_t k = kNoTile;
    if (splitCoordinate(pairCoordinate(image, uv, i, 0), wu, fu) &&
        splitCoordinate(pairCoordinate(image, uv, i, 1), wv, fv)) {
      auto it = std::lower_bound(slots.begin(), slots.end(), Slot{wu, wv, 0});
      if (it != slots.end() && it->u == wu && it->v == wv) k = it->k;
    }
    pairs.tile[i] = k;
    uint32_t bits[2];
    std::memcpy(&bits[0], &fu, 4);
    std::memcpy(&bits[1], &fv, 4);
    putLe32(&pairs.local[i * 8], bits[0]);
    putLe32(&pairs.local[i * 8 + 4], bits[1]);
  }
  return pairs;
}

// One tile file, into `out` (created, nothing written yet): the input's
// first `prefix` bytes, every pair as seen from tile k, and an empty chunk
// header to close the chunks.
bool writeTileFile(AtomicFile& out, const ByteReader& mesh, uint64_t prefix, const TilePairs& pairs, uint32_t k) {
  static const unsigned char kOutside[8] = {0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x80, 0xBF};  // -1, -1
  static const unsigned char kEnd[kChunkHeaderSize] = {};
  constexpr size_t kBatch = 512;  // pairs per 4096 bytes of output buffer

  out.write(mesh.data, size_t(prefix));
  const size_t n = pairs.tile.size();
  for (size_t i = 0; i < n; i += kBatch) {
    const size_t m = std::min(kBatch, n - i);
    char* p = out.room(m * 8);
    for (size_t j = 0; j < m; ++j)
      std::memcpy(p + j * 8, pairs.tile[i + j] == k ? &pairs.local[(i + j) * 8] : kOutside, 8);
    out.advance(p + m * 8);
  }
  out.write(kEnd, sizeof kEnd);
  return out.ok();
}

}  // namespace

int32_t uvTileNumber(float x) {
  // Within 32 bits the conversion itself truncates toward zero (one
  // instruction, where std::trunc may be a library call).
  const float s = shifted(x);
  return s >= -2147483648.0f && s < 2147483648.0f ? int32_t(s) : INT32_MIN;
}

float countUVTiles(const char* qivPath, char* buffer) {
  // Only the chunk headers and the UV records are read, a piece at a time.
  FileFront file;
  if (!file.open(qivPath)) return kUVInputNotOpened;
  Chunk uv;
  if (!findUVChunk(file, uv)) return kBadFile;
  std::vector<MetTile> met;
  constexpr uint32_t kPiece = 8192;  // records
  Bytes piece(size_t(kPiece) * kUVRecord);
  for (uint32_t first = 0; first < uv.count; first += kPiece) {
    const uint32_t n = std::min(kPiece, uv.count - first);
    if (!file.readAt(uv.records() + uint64_t(first) * kUVRecord, piece.data(), size_t(n) * kUVRecord)) return kBadFile;
    for (uint32_t i = 0; i < n; ++i) {
      const unsigned char* r = piece.data() + size_t(i) * kUVRecord;  // its first pair
      meet(met, {uvTileNumber(bitsToFloat(le32(r))), uvTileNumber(bitsToFloat(le32(r + 4))), first + i});
    }
  }
  std::string last;
  if (!met.empty()) last = tileKey(met.back().u, met.back().v);
  const size_t count = tileSet(std::move(met)).size();
  if (buffer) std::memcpy(buffer, last.c_str(), last.size() + 1);
  return float(count);
}

float writeUVTileFiles(const char* qivPath, const char* outPath) {
  UVTileStr.clear();
  FileFront file;
  if (!file.open(qivPath)) return kInputNotOpened;
  Chunk uv;
  if (!findUVChunk(file, uv)) return kBadFile;
  // What the tile files copy and rewrite: the file up to the end of the UV
  // records. Chunks after them are never read.
  const ByteReader image = file.upTo(uv.records() + uint64_t(uv.count) * kUVRecord);
  if (uv.count > 0 && !recordsFit(image, uv, kUVRecord)) return kBadFile;  // the file shrank
  std::vector<MetTile> met;
  for (uint32_t i = 0; i < uv.count; ++i) meet(met, recordTile(image, uv, i));
  const std::vector<UV_tile> tiles = tileSet(std::move(met));
  if (tiles.empty()) return 0;

  const TilePairs pairs = splitPairs(image, uv, tiles);
  const std::string stem = outPath ? pathPart(outPath, 3) : std::string();
  // Two files are written at a time (copying into the page cache is most of
  // the work); each takes its name once those before it have theirs, so a
  // failure leaves the files before it and none after it.
  auto name = [&](size_t k) { return stem + std::to_string(k) + ".Qiv"; };
  auto make = [&](size_t k, AtomicFile& out) {
    return outPath && out.create(name(k).c_str(), AtomicFile::Mode::Replace) &&
           writeTileFile(out, image, uv.records(), pairs, uint32_t(k));
  };
  auto finish = [&](size_t k, AtomicFile& out) {
    if (!out.commit()) return false;
    UVTileStr.push_back(tiles[k].key);
    return true;
  };
  const size_t written = runInOrder<AtomicFile>(tiles.size(), make, finish);
  if (written < tiles.size()) return kTileFileBase + float(written);
  return float(tiles.size());
}

void uvTileKey(int index, char* buffer) {
  if (!buffer || index < 0 || size_t(index) >= UVTileStr.size()) return;
  const std::string& key = UVTileStr[size_t(index)];
  std::memcpy(buffer, key.c_str(), key.size() + 1);
}

void clearUVTileKeys() { UVTileStr.clear(); }

}  // namespace tolvane
