// The Qiv vertex swap and the UV tiles: only the vertex records change, one
// copy of the mesh per tile with the pairs of other tiles marked (-1, -1),
// and every refusal or failed write leaves the files as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "mesh/qiv.h"
#include "mesh/uv_tiles.h"
#include "support/support.h"

using namespace testsupport;

namespace {

std::string vertices(unsigned count, float base) {
  std::string s;
  for (unsigned i = 0; i < count; ++i) s += floats({base + i, base - i, base * i});
  return s;
}

// The vertex chunk lies behind an unknown chunk and an empty one, with
// faces, UVs and stray bytes after it.
struct Mesh {
  std::string before, records, after;
  std::string bytes() const { return before + records + after; }
};

Mesh mesh(unsigned count) {
  return {qiv(chunk(4242, 1, "abcd") + chunk(99, 0, "", 0) + chunk(kVertexTag, count, "", 16 + 12 * long(count))),
          vertices(count, 1.5f),
          chunk(kFaceTag, 1, std::string(16, 0)) + chunk(kUVTag, 1, std::string(32, 7)) + "tail"};
}

std::string qitFor(unsigned count) { return chunk(kVertexTag, count, vertices(count, -7.25f)); }

struct VertexSwapQiv : ::testing::Test {
  TempDir dir;
  std::string qivPath = dir / "m.qiv", qitPath = dir / "m.Qit";
  float swap() { return call("SwapVertices_Qiv", qitPath.c_str(), 0, qivPath); }
};

}  // namespace

TEST_F(VertexSwapQiv, ReplacesOnlyTheVertexRecords) {
  const Mesh m = mesh(5);
  std::string qitBytes = qitFor(5);
  qitBytes[0] = 9, qitBytes[12] = 1;  // tag and reserved word are not compared
  writeFile(qivPath, m.bytes());
  writeFile(qitPath, qitBytes);
  ASSERT_EQ(swap(), 0);
  EXPECT_EQ(readFile(qivPath), m.before + qitBytes.substr(16) + m.after);
  EXPECT_EQ(readFile(qitPath), qitBytes);
  EXPECT_EQ(call("SwapVertices_Qiv", nullptr, 0, std::string("x.qiv")), -2);
  EXPECT_EQ(call("SwapVertices_Qiv", "x.Qit", 0, static_cast<char*>(nullptr)), -2);
}

TEST_F(VertexSwapQiv, RefusalsLeaveBothFilesAsTheyWere) {
  const std::string good = mesh(3).bytes();
  std::string longer = qitFor(3), fewer = qitFor(2);
  longer[4] = 64;  // count 3, length 64
  fewer[4] = 52;   // count 2, length of 3 records
  const struct {
    const char* what;
    std::string qiv, qit;  // "-": missing, "/": a folder
    float code;
  } cases[] = {
      {"missing Qiv", "-", qitFor(3), -1760},
      {"Qiv of its header only", qivHeader(), qitFor(3), -18},
      {"Qiv without vertex chunk", qiv(chunk(kFaceTag, 0, "")), qitFor(3), -18},
      {"chunk length 1", qiv(chunk(7, 0, "", 1) + std::string(40, 1)), qitFor(3), -18},
      {"chunk length past the end", qiv(chunk(7, 0, "", 0xFFFFFFF0u) + std::string(40, 1)), qitFor(3), -18},
      {"vertex count past the end", qiv(chunk(kVertexTag, 0xFFFFFFFF, "", 16)), qitFor(3), -1761},
      {"vertex records past the end", good.substr(0, mesh(3).before.size() + 24), qitFor(3), -1761},
      {"empty vertex chunk", qiv(chunk(kVertexTag, 0, "") + "rest"), qitFor(0), 0},
      {"missing Qit", good, "-", -201},
      {"Qit is a folder", good, "/", -201},
      {"Qit shorter than its header", good, qitFor(3).substr(0, 15), -1761},
      {"Qit length differs", good, longer, -301},
      {"Qit count differs", good, fewer, -301},
      {"Qit records missing", good, qitFor(3).substr(0, 16 + 35), -1761},
  };
  for (const auto& c : cases) {
    TempDir d;
    qivPath = d / "m.qiv", qitPath = d / "m.Qit";
    if (c.qiv != "-") writeFile(qivPath, c.qiv);
    if (c.qit == "/") makeDir(qitPath);
    if (c.qit.size() > 1) writeFile(qitPath, c.qit);
    EXPECT_EQ(swap(), c.code) << c.what;
    EXPECT_EQ(readFile(qivPath), c.qiv == "-" ? "" : c.qiv) << c.what;
    EXPECT_EQ(readFile(qitPath), c.qit.size() > 1 ? c.qit : "") << c.what;
    EXPECT_EQ(d.list().size(), size_t(c.qiv != "-") + size_t(c.qit != "-")) << c.what;
  }
}

TEST_F(VertexSwapQiv, ReadOnlyFilesAndFailedWritesChangeNothing) {
#if defined(_WIN32)
  if (!readOnlyIsEnforced()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  auto swapAsUser = [&] { return swap(); };
#else
  // As an ordinary user, so that permission bits count when tests run as root.
  auto swapAsUser = [&] {
    if (geteuid() != 0) return swap();
    chmod(dir.path().c_str(), 0777);
    return withFileSizeLimit(LONG_MAX, [&] { return setgid(65534) || setuid(65534) ? float(NAN) : swap(); });
  };
#endif
  const std::string meshBytes = mesh(20000).bytes(), qitBytes = qitFor(20000);
  writeFile(qivPath, meshBytes);
  writeFile(qitPath, qitBytes);
  chmod(qitPath.c_str(), 0444);
  EXPECT_EQ(swapAsUser(), -201);
  chmod(qivPath.c_str(), 0444);
  chmod(qitPath.c_str(), 0666);
  EXPECT_EQ(swapAsUser(), -401);
  chmod(qivPath.c_str(), 0644);
  EXPECT_EQ(readFile(qivPath), meshBytes);
  EXPECT_EQ(readFile(qitPath), qitBytes);
  EXPECT_EQ(dir.list().size(), 2u) << "no temporary left";
}

namespace {

using Pair = std::pair<float, float>;
const Pair kOut{-1.0f, -1.0f};

// An empty chunk and a vertex chunk before the UV chunk, and a face chunk
// after it that the tile files must not carry.
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

// First pairs in tiles (10,0), (2,0), (0,0), (-2,0), (-1,0).
const std::vector<Pair> kPairs = {
    {10.5f, 0.5f}, {0.25f, 0.75f}, {1.25f, 0.75f}, {-1.0f, 0.5f}, {2.5f, 0.5f}, {0.5f, 0.5f},  {0.5f, 0.5f},
    {0.5f, 0.5f},  {0.25f, 0.5f},  {-0.25f, 0.5f}, {0.5f, 0.5f},  {0.5f, 0.5f}, {-1.0f, 0.5f}, {0.5f, 0.5f},
    {0.5f, 0.5f},  {0.5f, 0.5f},   {-0.25f, 0.5f}, {0.5f, 0.5f},  {0.5f, 0.5f}, {0.5f, 0.5f},
};

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
    EXPECT_EQ(file.substr(0, m.prefix.size()), m.prefix) << k;
    EXPECT_EQ(file.substr(file.size() - 16), std::string(16, 0)) << k;
    tiles.push_back(pairsIn(file, kPairs.size()));
    EXPECT_EQ(tiles[k][2], kOut) << k;  // tile (1,0) is no record's tile
  }
  const struct {
    int k, pair;
    Pair is;
  } expect[] = {{0, 16, {0.75f, 0.5f}}, {0, 1, kOut},          {1, 12, {-0.0f, 0.5f}},
                {2, 1, {0.25f, 0.75f}}, {2, 8, {0.25f, 0.5f}}, {2, 9, kOut},
                {2, 0, kOut},           {3, 0, {0.5f, 0.5f}},  {4, 4, {0.5f, 0.5f}}};
  for (const auto& e : expect) EXPECT_EQ(tiles[e.k][e.pair], e.is) << e.k << " " << e.pair;
  EXPECT_TRUE(std::signbit(tiles[1][12].first));  // modf's fraction of -2 is -0

  // The list hands out its keys by index and keeps the buffer outside it.
  char buf[16] = "keep";
  for (int outside : {-1, 5, INT_MAX}) getUVTileString(outside, buf);
  EXPECT_STREQ(buf, "keep");
  getUVTileString(3, buf);
  EXPECT_STREQ(buf, "100");
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
  // The files before the failed one are written, none after it (though
  // they are made two at a time).
  EXPECT_TRUE(exists(dir / "out0.Qiv"));
  for (const char* later : {"out2.Qiv", "out3.Qiv", "out4.Qiv"}) EXPECT_FALSE(exists(dir / later)) << later;
  std::strcpy(buf, "keep");
  EXPECT_EQ(GetUVTile((dir / "none").c_str(), buf), -17);
  EXPECT_STREQ(buf, "keep");
  EXPECT_EQ(GetUVsFromQiv((dir / "none").c_str(), out.c_str()), -1760);
  EXPECT_TRUE(UVTileStr.empty());

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
