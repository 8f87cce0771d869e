// UV tiles: a mesh copy per tile in key order, other tiles' pairs (-1, -1); damage and failed writes.
#include "mesh/uv_tiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "host/frozen.h"
#include "support/support.h"

using namespace testsupport;

namespace {

using Pair = std::pair<float, float>;
const Pair kOut{-1.0f, -1.0f};

// An empty and a vertex chunk before the UV chunk; a face chunk after it the tiles must not carry.
struct UVMesh {
  std::string prefix, uvs;
  std::string bytes() const { return prefix + uvs + chunk(kFaceTag, 0, ""); }
};

UVMesh uvMesh(const std::vector<Pair>& pairs) {
  UVMesh m;
  for (const Pair& p : pairs) m.uvs += floats({p.first, p.second});
  m.prefix =
      qiv(chunk(5, 0, "", 0) + vertexChunk({1, 2, 3}) + chunk(kUVTag, unsigned(pairs.size() / 4), m.uvs).substr(0, 16));
  return m;
}

std::vector<Pair> pairsIn(const std::string& file, size_t n) {
  std::vector<float> f(2 * n);
  std::memcpy(f.data(), file.data() + uvMesh({}).prefix.size(), 8 * n);
  std::vector<Pair> out;
  for (size_t i = 0; i < n; ++i) out.push_back({f[2 * i], f[2 * i + 1]});
  return out;
}

// First pairs in tiles (10,0), (2,0), (0,0), (-2,0), (-1,0); 0 lies in tile 0.
const std::vector<Pair> kPairs = {{10.5f, 0.5f}, {0.25f, 0.75f}, {1.25f, 0.75f}, {-1.0f, 0.5f}, {2.5f, 0.5f},
                                  {0.5f, 0.5f},  {0.5f, 0.5f},   {0.5f, 0.5f},   {0.0f, 0.0f},  {-0.25f, 0.5f},
                                  {0.5f, 0.5f},  {0.5f, 0.5f},   {-1.0f, 0.5f},  {0.5f, 0.5f},  {0.5f, 0.5f},
                                  {0.5f, 0.5f},  {-0.25f, 0.5f}, {0.5f, 0.5f},   {0.5f, 0.5f},  {0.5f, 0.5f}};

}  // namespace

TEST(UVTiles, FilesFollowTheKeysAsByteStrings) {
  TempDir dir;
  const UVMesh m = uvMesh(kPairs);
  writeFile(dir / "m.qiv", m.bytes());
  char last[16] = "junk";
  EXPECT_EQ(GetUVTile((dir / "m.qiv").c_str(), last), 5);
  EXPECT_STREQ(last, "-10");
  ASSERT_EQ(GetUVsFromQiv((dir / "m.qiv").c_str(), (dir / "out.Qiv").c_str()), 5);
  EXPECT_EQ(UVTileStr, (std::vector<std::string>{"-10", "-20", "00", "100", "20"}));
  std::vector<std::vector<Pair>> tiles;
  for (int k = 0; k < 5; ++k) {
    const std::string file = readFile(dir / ("out" + std::to_string(k) + ".Qiv"));
    ASSERT_EQ(file.size(), m.prefix.size() + m.uvs.size() + 16) << k;
    EXPECT_TRUE(file.substr(0, m.prefix.size()) == m.prefix && file.substr(file.size() - 16) == std::string(16, 0)) << k;
    tiles.push_back(pairsIn(file, kPairs.size()));
    EXPECT_EQ(tiles[k][2], kOut) << k;  // tile (1,0) is no record's tile
  }
  const struct {
    int k, pair;
    Pair is;
  } expect[] = {{0, 16, {0.75f, 0.5f}}, {0, 1, kOut},          {1, 12, {-0.0f, 0.5f}},
                {2, 1, {0.25f, 0.75f}}, {2, 8, {0.0f, 0.0f}}, {2, 9, kOut},
                {2, 0, kOut},           {3, 0, {0.5f, 0.5f}},  {4, 4, {0.5f, 0.5f}}};
  for (const auto& e : expect) EXPECT_EQ(tiles[e.k][e.pair], e.is) << e.k << " " << e.pair;
  EXPECT_TRUE(std::signbit(tiles[1][12].first));  // modf's fraction of -2 is -0
  // Keys by index; the buffer is kept outside the list.
  char buf[16] = "keep";
  for (int outside : {-1, 5, INT_MAX}) getUVTileString(outside, buf);
  EXPECT_STREQ(buf, "keep");
  EXPECT_STREQ((getUVTileString(3, buf), buf), "100");
}

TEST(UVTiles, EqualKeysAreOneTileTheFirstMet) {  // tiles (1,23) and (12,3): both "123"
  TempDir dir;
  writeFile(dir / "m.qiv",
            uvMesh({{1.5f, 23.5f}, {12.5f, 3.5f}, {0, 0}, {0, 0}, {12.5f, 3.5f}, {1.5f, 23.25f}, {0, 0}, {0, 0}}).bytes());
  ASSERT_EQ(GetUVsFromQiv((dir / "m.qiv").c_str(), (dir / "t.x.Qiv").c_str()), 1);
  EXPECT_EQ(UVTileStr, std::vector<std::string>{"123"});
  EXPECT_EQ(pairsIn(readFile(dir / "t.x0.Qiv"), 6),
            (std::vector<Pair>{{0.5f, 0.5f}, kOut, kOut, kOut, kOut, {0.5f, 0.25f}}));
}

TEST(UVTiles, NoTilesAndFailures) {
  TempDir dir;
  const std::string in = dir / "m.qiv", out = dir / "out.Qiv";
  char buf[16] = "keep";
  for (const std::string& noUV : {qiv(chunk(kVertexTag, 0, "")), uvMesh({}).bytes()}) {
    writeFile(in, noUV);
    EXPECT_TRUE(GetUVTile(in.c_str(), buf) == 0 && buf[0] == '\0');
    EXPECT_EQ(GetUVsFromQiv(in.c_str(), out.c_str()), 0);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"m.qiv"});
  }
  const std::string good = uvMesh(kPairs).bytes();
  writeFile(in, good);
  makeDir(dir / "out1.Qiv");
  EXPECT_EQ(GetUVsFromQiv(in.c_str(), out.c_str()), 1502);
  EXPECT_EQ(UVTileStr, std::vector<std::string>{"-10"});
  // Files before the failed one are written, none after (made two at a time).
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"m.qiv", "out0.Qiv", "out1.Qiv"}));
  std::strcpy(buf, "keep");
  EXPECT_TRUE(GetUVTile((dir / "none").c_str(), buf) == -17 && std::string(buf) == "keep");
  EXPECT_TRUE(GetUVsFromQiv((dir / "none").c_str(), out.c_str()) == -1760 && UVTileStr.empty());
  // Every truncation: no crash, and files only when tiles are reported.
  for (size_t n = 0; n < good.size(); ++n) {
    TempDir cut;
    writeFile(cut / "m.qiv", good.substr(0, n));
    const float tiles = GetUVsFromQiv((cut / "m.qiv").c_str(), (cut / "o.Qiv").c_str());
    EXPECT_TRUE(tiles == 0 || tiles == -1761 || tiles == 5) << n;
    EXPECT_EQ(cut.list().size(), tiles > 0 ? 6u : 1u) << n;
    EXPECT_EQ(GetUVTile((cut / "m.qiv").c_str(), buf), tiles) << n;
  }
  // A file too large to write leaves nothing behind, not even a temporary.
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  TempDir small;
  writeFile(small / "m.qiv", good);
  EXPECT_EQ(withFileSizeLimit(150, [&] { return GetUVsFromQiv((small / "m.qiv").c_str(), (small / "o.Qiv").c_str()); }),
            1501);
  EXPECT_EQ(small.list(), std::vector<std::string>{"m.qiv"});
}
