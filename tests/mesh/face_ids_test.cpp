// The face ID reader and the colour block, called directly (the face ID
// list is visible here) and through their entry points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/result_codes.h"
#include "mesh/obj_export.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

const std::string kBlockStart =
    "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values per "
    "vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n";
const std::string kBlockEnd = "# End of RGB block\n";

std::vector<std::vector<uint8_t>> greys(int n) {
  std::vector<std::vector<uint8_t>> c;
  for (int i = 0; i < n; ++i) c.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return c;
}

std::string entries(int from, int to) {
  std::string s;
  char e[8];
  for (int i = from; i < to; ++i) {
    std::snprintf(e, sizeof e, " %02x%02x%02x", i, i, i);
    s += e;
  }
  return s;
}

}  // namespace

TEST(FaceIds, CountsPerFaceFollowTheLevel) {
  TempDir dir;
  std::string path = dir / "ids.qiv";
  // The first chunk's tag is not looked at.
  writeFile(path, qiv(faceChunk({{0, 1, 2, 3}, {0, 1, 2, -1}, {0, 0, 0, 0}, {5, 5, 5, -7}}, 12345)));
  const uint32_t kMax = UINT32_MAX;
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double level;
    uint32_t quad, triangle;
  } cases[] = {
      {1, 4, 3},        {2, 16, 12},      {3, 64, 48},       {0, 0, 0},
      {1.5, 8, 6},      {-3, 0, 0},       {-inf, 0, 0},      {NAN, 0, 0},
      {16, kMax, 3221225472u},  // 4 × 2^30 no longer fits 32 bits
      {17, kMax, kMax}, {1e300, kMax, kMax}, {inf, kMax, kMax},
  };
  for (const Case& c : cases) {
    faceID = {9, 9, 9, 9, 9, 9};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), c.level), 4.0f) << c.level;
    EXPECT_EQ(faceID, (std::vector<uint32_t>{c.quad, c.triangle, c.quad, c.triangle})) << c.level;
  }
  EXPECT_EQ(call("getFaceIDs", path.c_str(), 2, nullptr), 4.0f);
}

TEST(FaceIds, UnreadableOrShortFilesLeaveTheListEmpty) {
  TempDir dir;
  std::string good = qiv(faceChunk({{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}}));
  std::string path = dir / "ids.qiv";
  for (size_t n = 0; n < good.size(); ++n) {
    writeFile(path, good.substr(0, n));
    faceID = {1};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), 1), tolvane::kBadFile) << n;
    ASSERT_TRUE(faceID.empty());
  }
  writeFile(path, qiv(chunk(kFaceTag, 0x10000000, std::string(64, '\0'))));
  EXPECT_EQ(GetFaceIDsQiv(path.c_str(), 1), tolvane::kBadFile);
  writeFile(path, qiv(faceChunk({})));
  EXPECT_EQ(GetFaceIDsQiv(path.c_str(), 1), 0.0f);
  faceID = {1};
  EXPECT_EQ(GetFaceIDsQiv((dir / "missing.qiv").c_str(), 1), -1760.0f);
  EXPECT_TRUE(faceID.empty());
  EXPECT_EQ(GetFaceIDsQiv(dir.path().c_str(), 1), -1760.0f);
}

TEST(ColourBlock, LinesHoldUpToThirtyTwoEntries) {
  TempDir dir;
  std::string in = dir / "colours.qiv", out = dir / "colours.txt";
  const struct {
    int records;
    std::string lines;
  } cases[] = {
      {0, "\n"},
      {1, "#RGB " + entries(0, 1) + "\n"},
      {32, "#RGB " + entries(0, 32) + "\n\n"},
      {33, "#RGB " + entries(0, 32) + "\n#RGB " + entries(32, 33) + "\n"},
      {64, "#RGB " + entries(0, 32) + "\n#RGB " + entries(32, 64) + "\n\n"},
  };
  for (const auto& c : cases) {
    writeFile(in, qiv(colourChunk(greys(c.records), 999)));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f) << c.records;
    EXPECT_EQ(readFile(out), kBlockStart + c.lines + kBlockEnd) << c.records;
  }
  // Bytes blue, green, red, unused in the record; RRGGBB in the text.
  writeFile(in, qiv(chunk(kColourTag, 2, std::string("\x10\x20\x30\x40\xff\x00\xab\x00", 8))));
  ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f);
  EXPECT_EQ(readFile(out), kBlockStart + "#RGB  302010 ab00ff\n" + kBlockEnd);
}

TEST(ColourBlock, FailuresLeaveTheOutputAsItWas) {
  TempDir dir;
  std::string in = dir / "colours.qiv", out = dir / "colours.txt";
  std::string good = qiv(colourChunk(greys(40)) + faceChunk({{0, 1, 2, 3}}));
  writeFile(out, "keep me\n");
  // Every cut before the end of the colour records is a damaged file.
  size_t needed = 32 + 16 + 4 * 40;
  for (size_t n = 0; n < needed; ++n) {
    writeFile(in, good.substr(0, n));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), tolvane::kBadFile) << n;
  }
  EXPECT_EQ(call("outMRGB", (dir / "missing.qiv").c_str(), 0, out), -1760.0f);
  EXPECT_EQ(call("outMRGB", dir.path().c_str(), 0, out), -1760.0f);
  writeFile(in, good);
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, dir / "no/such/folder.txt"), -2.0f);
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, dir.path()), -2.0f);
  EXPECT_EQ(readFile(out), "keep me\n");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"colours.qiv", "colours.txt"}));
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f);
  EXPECT_NE(readFile(out), "keep me\n");
}
