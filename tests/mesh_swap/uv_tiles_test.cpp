#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "mesh/qiv.h"
#include "mesh/uv_tiles.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

using Pair = std::pair<float, float>;

// A mesh with an empty chunk and a vertex chunk before the UV chunk, and a
// face chunk after it that the tile files must not carry.
struct UVMesh {
  std::string prefix, uvs;
  std::string bytes() const { return prefix + uvs + chunk(tolvane::kFaceTag, 0, ""); }
};

UVMesh uvMesh(const std::vector<Pair>& pairs) {
  UVMesh m;
  for (const Pair& p : pairs) m.uvs += floats({p.first, p.second});
  m.prefix = qivHeader() + chunk(5, 0, "", 0) + chunk(tolvane::kVertexTag, 1, floats({1, 2, 3})) +
             chunk(tolvane::kUVTag, unsigned(pairs.size() / 4), m.uvs).substr(0, 16);
  return m;
}

std::vector<Pair> pairsIn(const std::string& file, size_t prefix, size_t n) {
  std::vector<Pair> out;
  for (size_t i = 0; i < n; ++i) {
    float p[2];
    std::memcpy(p, file.data() + prefix + 8 * i, 8);
    out.push_back({p[0], p[1]});
  }
  return out;
}

const Pair kOut{-1.0f, -1.0f};

// First pairs in tiles (10,0), (2,0), (0,0), (-2,0), (-1,0).
const std::vector<Pair> kPairs = {
    {10.5f, 0.5f}, {0.25f, 0.75f}, {1.25f, 0.75f}, {-1.0f, 0.5f},  //
    {2.5f, 0.5f},  {0.5f, 0.5f},   {0.5f, 0.5f},   {0.5f, 0.5f},   //
    {0.25f, 0.5f}, {-0.25f, 0.5f}, {0.5f, 0.5f},   {0.5f, 0.5f},   //
    {-1.0f, 0.5f}, {0.5f, 0.5f},   {0.5f, 0.5f},   {0.5f, 0.5f},   //
    {-0.25f, 0.5f}, {0.5f, 0.5f},  {0.5f, 0.5f},   {0.5f, 0.5f},
};

}  // namespace

TEST(UVTiles, TileNumbers) {
  const std::vector<float> x = {0.3f, 1.0f, -0.0f, -0.5f, -1.0f, -1.5f, NAN, 3e9f};
  const std::vector<int32_t> tile = {0, 1, 0, -1, -2, -2, INT_MIN, INT_MIN};
  for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(tolvane::uvTileNumber(x[i]), tile[i]) << x[i];
}

TEST(UVTiles, FilesFollowTheKeysAsByteStrings) {
  TempDir dir;
  const UVMesh m = uvMesh(kPairs);
  writeFile(dir / "m.qiv", m.bytes());
  char last[16] = "junk";
  EXPECT_EQ(GetUVTile((dir / "m.qiv").c_str(), last), 5);
  EXPECT_STREQ(last, "-10");

  ASSERT_EQ(GetUVsFromQiv((dir / "m.qiv").c_str(), (dir / "out.Qiv").c_str()), 5);
  EXPECT_EQ(UVTileStr, (std::vector<std::string>{"-10", "-20", "00", "100", "20"}));
  std::vector<std::vector<Pair>> tile;
  for (int k = 0; k < 5; ++k) {
    const std::string file = readFile(dir / ("out" + std::to_string(k) + ".Qiv"));
    ASSERT_EQ(file.size(), m.prefix.size() + m.uvs.size() + 16) << k;
    EXPECT_EQ(file.substr(0, m.prefix.size()), m.prefix) << k;
    EXPECT_EQ(file.substr(file.size() - 16), std::string(16, 0)) << k;
    tile.push_back(pairsIn(file, m.prefix.size(), kPairs.size()));
    EXPECT_EQ(tile[k][2], kOut) << k;  // tile (1,0) is no record's tile
  }
  struct { int k, pair; Pair is; } expect[] = {
      {0, 16, {0.75f, 0.5f}}, {0, 1, kOut}, {1, 12, {-0.0f, 0.5f}}, {2, 1, {0.25f, 0.75f}}, {2, 8, {0.25f, 0.5f}},
      {2, 9, kOut},           {2, 0, kOut}, {3, 0, {0.5f, 0.5f}},   {4, 4, {0.5f, 0.5f}}};
  for (const auto& e : expect) EXPECT_EQ(tile[e.k][e.pair], e.is) << e.k << " " << e.pair;
  EXPECT_TRUE(std::signbit(tile[1][12].first));  // modf's fraction of -2 is -0
}

TEST(UVTiles, EqualKeysAreOneTileTheFirstMet) {
  TempDir dir;
  writeFile(dir / "m.qiv", uvMesh({{1.5f, 23.5f}, {12.5f, 3.5f}, {0, 0}, {0, 0},  //
                                   {12.5f, 3.5f}, {1.5f, 23.25f}, {0, 0}, {0, 0}})
                               .bytes());
  ASSERT_EQ(GetUVsFromQiv((dir / "m.qiv").c_str(), (dir / "t.x.Qiv").c_str()), 1);
  EXPECT_EQ(UVTileStr, std::vector<std::string>{"123"});
  const std::vector<Pair> p = pairsIn(readFile(dir / "t.x0.Qiv"), uvMesh({}).prefix.size(), 8);
  EXPECT_EQ((std::vector<Pair>{p[0], p[1], p[4], p[5]}), (std::vector<Pair>{{0.5f, 0.5f}, kOut, kOut, {0.5f, 0.25f}}));
}

TEST(UVTiles, NoTilesAndFailures) {
  TempDir dir;
  const std::string in = dir / "m.qiv", out = dir / "out.Qiv";
  char buf[16] = "keep";
  for (const std::string& noUV : {qivHeader() + chunk(tolvane::kVertexTag, 0, ""), uvMesh({}).bytes()}) {
    writeFile(in, noUV);
    EXPECT_EQ(GetUVTile(in.c_str(), buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(GetUVsFromQiv(in.c_str(), out.c_str()), 0);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"m.qiv"});
  }
  const std::string good = uvMesh(kPairs).bytes();
  writeFile(in, good);
  makeDir(dir / "out1.Qiv");
  EXPECT_EQ(GetUVsFromQiv(in.c_str(), out.c_str()), 1502);
  EXPECT_EQ(UVTileStr, std::vector<std::string>{"-10"});
  EXPECT_TRUE(exists(dir / "out0.Qiv"));

  std::strcpy(buf, "keep");
  EXPECT_EQ(GetUVTile((dir / "none").c_str(), buf), -17);
  EXPECT_STREQ(buf, "keep");
  EXPECT_EQ(GetUVsFromQiv((dir / "none").c_str(), out.c_str()), -1760);
  EXPECT_TRUE(UVTileStr.empty());

#if !defined(_WIN32)
  // A file too large to write leaves nothing behind, not even a temporary.
  TempDir small;
  writeFile(small / "m.qiv", good);
  EXPECT_EQ(withFileSizeLimit(150, [&] { return GetUVsFromQiv((small / "m.qiv").c_str(), (small / "o.Qiv").c_str()); }),
            1501);
  EXPECT_EQ(small.list(), std::vector<std::string>{"m.qiv"});
#endif

  // Every truncation: no crash, and files only when tiles are reported.
  for (size_t n = 0; n < good.size(); ++n) {
    TempDir cut;
    writeFile(cut / "m.qiv", good.substr(0, n));
    const float tiles = GetUVsFromQiv((cut / "m.qiv").c_str(), (cut / "o.Qiv").c_str());
    EXPECT_TRUE(tiles == 0 || tiles == -1761 || tiles == 5) << n;
    EXPECT_EQ(cut.list().size(), tiles > 0 ? 6u : 1u) << n;
    EXPECT_EQ(GetUVTile((cut / "m.qiv").c_str(), buf), tiles) << n;
  }
}

TEST(UVTiles, ListLifecycle) {
  TempDir dir;
  char buf[16] = "keep";
  writeFile(dir / "m.qiv", uvMesh(kPairs).bytes());
  ASSERT_EQ(GetUVsFromQiv((dir / "m.qiv").c_str(), (dir / "o.Qiv").c_str()), 5);
  for (int outside : {-1, 5, INT_MAX}) getUVTileString(outside, buf);
  EXPECT_STREQ(buf, "keep");
  getUVTileString(3, buf);
  EXPECT_STREQ(buf, "100");
  clearUVTileString();
  std::strcpy(buf, "keep");
  getUVTileString(0, buf);
  EXPECT_STREQ(buf, "keep");
}
