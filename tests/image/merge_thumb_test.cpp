// Merge, heal and thumbnail through the host's entry points, and what they
// leave in the PSD globals.
#include <gtest/gtest.h>

#include "common/result_codes.h"
#include "image/psd.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

const RGB kKey{255, 0, 255};

TEST(Merge, KeyColourShowsTheBottomImage) {
  TempDir dir;
  auto top = [](int x, int y) { return (x * y) % 3 == 0 ? kKey : pattern(x, y); };
  auto bottom = [](int x, int y) { return RGB{uint8_t(200 - x), uint8_t(y), 7}; };
  Psd t = rgbPsd(7, 5, top), b = rgbPsd(7, 5, bottom, true);
  t.resources = "top!", b.resources = "bot!";  // same length, other bytes
  writeFile(dir / "top.psd", t.bytes());
  writeFile(dir / "bottom.psd", b.bytes());
  ASSERT_EQ(call("MergePSDfiles", (dir / "top.psd").c_str(), 0xFF00FF, dir / "bottom.psd"), 0);
  std::string out = readFile(dir / "top.psd");
  ASSERT_EQ(out.size(), b.bytes().size());
  EXPECT_EQ(out.substr(0, b.dataOffset()), b.bytes().substr(0, b.dataOffset()));
  EXPECT_EQ(out.substr(b.dataOffset() + 3 * 35), b.data.substr(3 * 35));  // bottom's alpha
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(psdPixel(out, b.dataOffset(), 7, 5, x, y), top(x, y) == kKey ? bottom(x, y) : top(x, y));
  EXPECT_EQ(readFile(dir / "bottom.psd"), b.bytes());

  // A key colour the top image lacks: the top's pixels under the bottom's header.
  writeFile(dir / "top.psd", t.bytes());
  ASSERT_EQ(call("MergePSDfiles", (dir / "top.psd").c_str(), 0x010101, dir / "bottom.psd"), 0);
  Psd expected = b;
  expected.data.replace(0, 3 * 35, t.data);
  EXPECT_EQ(readFile(dir / "top.psd"), expected.bytes());
}

TEST(Merge, RefusalsChangeNeitherFile) {
  TempDir dir;
  std::string a = rgbPsd(4, 4, pattern).bytes(), wider = rgbPsd(5, 4, pattern).bytes();
  Psd moreResources = rgbPsd(4, 4, pattern);
  moreResources.resources = "xx";
  writeFile(dir / "a.psd", a);
  writeFile(dir / "wider.psd", wider);
  writeFile(dir / "res.psd", moreResources.bytes());
  const std::string top = dir / "a.psd";
  EXPECT_EQ(call("MergePSDfiles", top.c_str(), 0, dir / "wider.psd"), -6);
  EXPECT_EQ(call("HealPSDfiles", top.c_str(), 0, dir / "wider.psd"), -9);
  EXPECT_EQ(call("MergePSDfiles", top.c_str(), 0, dir / "res.psd"), -1771);
  EXPECT_EQ(call("MergePSDfiles", top.c_str(), 0, dir / "missing.psd"), -1);
  EXPECT_EQ(call("MergePSDfiles", (dir / "missing.psd").c_str(), 0, dir / "a.psd"), -1);
  EXPECT_EQ(readFile(top), a);
  EXPECT_EQ(readFile(dir / "wider.psd"), wider);
}

TEST(Merge, GlobalsAfterEachOutcome) {
  TempDir dir;
  std::string a = rgbPsd(4, 4, pattern).bytes();
  writeFile(dir / "a.psd", a);
  writeFile(dir / "b.psd", rgbPsd(4, 4, solid(kKey)).bytes());
  writeFile(dir / "c.psd", rgbPsd(3, 4, pattern).bytes());
  // The second file cannot be opened: img still holds the first.
  EXPECT_EQ(mergePSD((dir / "a.psd").c_str(), (dir / "none.psd").c_str(), 0), -1);
  EXPECT_EQ(std::string(img.begin(), img.end()), a);
  EXPECT_EQ(mergePSD((dir / "a.psd").c_str(), (dir / "c.psd").c_str(), 0), -6);
  EXPECT_TRUE(img.empty() && fHeader.width == 3);
  EXPECT_EQ(mergePSD((dir / "a.psd").c_str(), (dir / "b.psd").c_str(), 0), 0);
  EXPECT_TRUE(img.empty() && fHeader.width == 4 && offst == 40);
}

// A 100 x 100 edge image whose pixel tells its row and column, and a body of
// one colour.
RGB rowCol(int x, int y) { return RGB{uint8_t(y), uint8_t(x), uint8_t(x + y)}; }
const RGB kBody{1, 2, 3};

std::string heal(int w, int h, bool columns) {
  TempDir dir;
  writeFile(dir / "edge.psd", rgbPsd(w, h, rowCol).bytes());
  writeFile(dir / "body.psd", rgbPsd(w, h, solid(kBody)).bytes());
  EXPECT_EQ(call("HealPSDfiles", (dir / "edge.psd").c_str(), columns ? 0.5 : 0, dir / "body.psd"), 0);
  return readFile(dir / "edge.psd");
}

// Rows: 10 rows from the edge's middle at the top and bottom. Columns: 2
// columns at the left and right, between rows 2 and h - 2.
TEST(Heal, BandsOfRowsOrColumns) {
  std::string rows = heal(120, 101, false);
  for (int y = 0; y < 101; ++y) {
    int from = y < 10 ? 50 + y : y >= 91 ? 40 + (y - 91) : -1;
    for (int x : {0, 1, 57, 119})
      EXPECT_EQ(psdPixel(rows, 40, 120, 101, x, y), from < 0 ? kBody : rowCol(x, from)) << x << "," << y;
  }
  std::string cols = heal(103, 100, true);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 103; ++x) {
      int from = y < 2 || y > 98 ? -1 : x < 2 ? 50 + x : x >= 101 ? 48 + (x - 101) : -1;
      ASSERT_EQ(psdPixel(cols, 40, 103, 100, x, y), from < 0 ? kBody : rowCol(from, y)) << x << "," << y;
    }
}

TEST(Heal, SizeLimitAndGlobals) {
  TempDir dir;
  writeFile(dir / "small.psd", rgbPsd(99, 200, pattern).bytes());
  writeFile(dir / "body.psd", rgbPsd(99, 200, pattern).bytes());
  EXPECT_EQ(mergeSeamlessPSD((dir / "small.psd").c_str(), (dir / "body.psd").c_str(), false), -9);
  EXPECT_TRUE(img.empty());
  EXPECT_EQ(readFile(dir / "small.psd"), rgbPsd(99, 200, pattern).bytes());
  EXPECT_EQ(heal(100, 100, false).size(), 40u + 3 * 100 * 100);
}

std::string thumb(const Psd& p, double size) {
  TempDir dir;
  writeFile(dir / "a.psd", p.bytes());
  EXPECT_EQ(call("CreateThumbnail", (dir / "a.psd").c_str(), size, nullptr), 0);
  return readFile(dir / "a.psd");
}

TEST(Thumbnail, WideAndTallMarginsAndSteps) {
  // 1000 x 500 at 100: step 10, top margin 25 rows.
  std::string wide = thumb(rgbPsd(1000, 500, rowCol), 100);
  ASSERT_EQ(wide.size(), 40u + 3 * 100 * 100);
  EXPECT_EQ(wide.substr(14, 8), std::string("\0\0\0\x64\0\0\0\x64", 8));  // height, width
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; x += 9)
      ASSERT_EQ(psdPixel(wide, 40, 100, 100, x, y),
                (y < 25 || y >= 75) ? RGB{} : rowCol(10 * x, 10 * (y - 25))) << x << "," << y;

  // 500 x 1000: left margin 25 columns, black from column 75.
  std::string tall = thumb(rgbPsd(500, 1000, rowCol), 100);
  for (int y = 0; y < 100; y += 7)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(psdPixel(tall, 40, 100, 100, x, y),
                (x < 25 || x >= 75) ? RGB{} : rowCol(10 * (x - 25), 10 * y)) << x << "," << y;
}

TEST(Thumbnail, ExtraStepsSpreadTheRemainder) {
  // 1050 x 1050 at 100: every third column and row moves 11 pixels.
  auto where = [](int i) { return 10 * i + i / 3; };
  auto big = [](int x, int y) { return RGB{uint8_t(x), uint8_t(x >> 8), uint8_t(y)}; };
  std::string out = thumb(rgbPsd(1050, 1050, big), 100);
  // The column counter runs on across rows, so columns are checked on row 0.
  for (int x = 0; x < 100; ++x) ASSERT_EQ(psdPixel(out, 40, 100, 100, x, 0), big(where(x), 0)) << x;
  for (int y = 0; y < 100; ++y) ASSERT_EQ(psdPixel(out, 40, 100, 100, 0, y).b, uint8_t(where(y))) << y;
}

TEST(Thumbnail, ExactSizeSmallImagesAndOddSizes) {
  Psd p = rgbPsd(9, 9, pattern, true);
  std::string same = thumb(p, 9);
  Psd expected = p;
  expected.channels = 3;
  expected.data.resize(3 * 81);
  EXPECT_EQ(same, expected.bytes());

  // Small and wide (6 x 3 at 10): top margin of 3 rows repeating source row 0,
  // the image, then black; black right of column 5.
  std::string small = thumb(rgbPsd(6, 3, rowCol), 10.9);
  ASSERT_EQ(small.size(), 40u + 300);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      int sy = y < 3 ? 0 : y - 3;
      RGB want = (x < 6 && sy < 3) ? rowCol(x, sy) : RGB{};
      ASSERT_EQ(psdPixel(small, 40, 10, 10, x, y), want) << x << "," << y;
    }
  // 1 x 1 to 1 x 1, and 1 x 1 blown up: pixel (0,0) then black.
  EXPECT_EQ(thumb(rgbPsd(1, 1, solid(kKey)), 1), rgbPsd(1, 1, solid(kKey)).bytes());
  std::string one = thumb(rgbPsd(1, 1, solid(kKey)), 3);
  EXPECT_EQ(psdPixel(one, 40, 3, 3, 0, 0), kKey);
  EXPECT_EQ(psdPixel(one, 40, 3, 3, 0, 1), kKey);  // top margin repeats row 0
  EXPECT_EQ(psdPixel(one, 40, 3, 3, 1, 1), RGB{});
  // 0 x 0 is all black.
  EXPECT_EQ(thumb(rgbPsd(0, 0, pattern), 2), rgbPsd(2, 2, solid(RGB{})).bytes());
}

TEST(Thumbnail, RefusedSizes) {
  TempDir dir;
  std::string a = rgbPsd(4, 4, pattern).bytes();
  writeFile(dir / "a.psd", a);
  for (double n : {0.0, -3.0, 0.9, 16385.0, 1e12})
    EXPECT_EQ(call("CreateThumbnail", (dir / "a.psd").c_str(), n, nullptr), -1770) << n;
  EXPECT_EQ(readFile(dir / "a.psd"), a);
}

}  // namespace
