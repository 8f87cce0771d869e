// BMP crop through the host's entry points.
#include <gtest/gtest.h>

#include "support/support.h"

using namespace testsupport;

namespace {

uint8_t byteAt(int i, int row) { return uint8_t(i * 3 + row * 101); }
uint32_t le32At(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s.at(at))) | uint32_t(uint8_t(s.at(at + 1))) << 8 | uint32_t(uint8_t(s.at(at + 2))) << 16 |
         uint32_t(uint8_t(s.at(at + 3))) << 24;
}

float crop(const std::string& in, const std::string& out, double pixels, double width) {
  call("CropBMP_SetWidth", nullptr, width, nullptr);
  return call("CropBMPfile", in.c_str(), pixels, out);
}

// `out` holds stored rows 1 .. height - 3 of the input from byte `skip`,
// `width` pixels each, after `dataOffset` header bytes.
void expectStrip(const std::string& out, int inHeight, int skip, int width, size_t dataOffset) {
  int rows = inHeight - 3, rowOut = (3 * width + 3) / 4 * 4;
  ASSERT_EQ(out.size(), dataOffset + size_t(rows * rowOut));
  EXPECT_EQ(le32At(out, 2), uint32_t(out.size()));
  EXPECT_EQ(le32At(out, 18), uint32_t(width));
  EXPECT_EQ(le32At(out, 22), uint32_t(rows));
  EXPECT_EQ(le32At(out, 34), uint32_t(rows * rowOut));
  for (int r = 0; r < rows; ++r)
    for (int i = 0; i < rowOut; ++i)
      ASSERT_EQ(uint8_t(out[dataOffset + size_t(r * rowOut + i)]), i < 3 * width ? byteAt(skip + i, r + 1) : 0)
          << r << "," << i;
}

}  // namespace

TEST(CropBMP, StripsOfTheStoredRowsUpToTheRowsEnd) {
  TempDir dir;
  std::string extra = "palette or extended header";
  std::string in = bmp(100, 20, byteAt, extra);
  writeFile(dir / "big.bmp", in);
  ASSERT_EQ(crop(dir / "big.bmp", dir / "out.bmp", 10.9, 50), 0);  // 10 pixels in
  std::string out = readFile(dir / "out.bmp");
  EXPECT_EQ(out.substr(54, extra.size()), extra);
  expectStrip(out, 20, 30, 50, 54 + extra.size());
  EXPECT_EQ(readFile(dir / "big.bmp"), in);
  // 7 pixels: 21 bytes + 3 padding per stored row. The strip may reach into
  // the padding (4 + 4 pixels = 24 bytes), no further.
  writeFile(dir / "in.bmp", bmp(7, 5, byteAt));
  const std::pair<double, double> ok[] = {{0, 4}, {0, 1}, {6, 1}, {3, 4}, {0, 7}, {1, 6}},
                                  refused[] = {{5, 4}, {0, 9}, {-1, 2}, {0, 0}, {1e10, 2}};
  for (auto [pixels, width] : ok) {
    ASSERT_EQ(crop(dir / "in.bmp", dir / "out.bmp", pixels, width), 0) << pixels << "+" << width;
    expectStrip(readFile(dir / "out.bmp"), 5, 3 * int(pixels), int(width), 54);
  }
  EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", 4, 4), 0);
  for (auto [pixels, width] : refused) EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", pixels, width), -1770) << pixels;
}

TEST(CropBMP, CodesAndWhatIsWritten) {
  TempDir dir;
  const std::string out = dir / "out.bmp";
  writeFile(out, "previous");
  EXPECT_EQ(crop(dir / "none.bmp", out, 0, 2), -1760);
  writeFile(dir / "png.bmp", "\x89PNG....................................................");
  EXPECT_EQ(crop(dir / "png.bmp", out, 0, 2), -7);
  writeFile(dir / "three.bmp", bmp(4, 3, byteAt));
  EXPECT_EQ(crop(dir / "three.bmp", out, 0, 2), -1770);
  std::string topDown = bmp(4, 6, byteAt);
  topDown.replace(22, 4, "\xFA\xFF\xFF\xFF");  // height -6
  writeFile(dir / "topdown.bmp", topDown);
  EXPECT_EQ(crop(dir / "topdown.bmp", out, 0, 2), -1770);
  // Every truncation is refused cleanly; the last row read losing a byte too.
  std::string in = bmp(5, 6, byteAt, "xx");
  for (size_t n = 0; n < in.size(); ++n) {
    writeFile(dir / "t.bmp", in.substr(0, n));
    float r = crop(dir / "t.bmp", out, 1, 3);
    ASSERT_TRUE(n < 2 ? r == -7 : r == -1761 || (n >= 38 && r == 0)) << n << " gives " << r;
    if (r == 0) writeFile(out, "previous");
  }
  std::string shortRows = bmp(4, 6, byteAt);
  shortRows.resize(shortRows.size() - 12 - 12 - 1);
  writeFile(dir / "short.bmp", shortRows);
  EXPECT_EQ(crop(dir / "short.bmp", out, 0, 4), -1761);
  EXPECT_EQ(readFile(out), "previous");
  writeFile(dir / "ok.bmp", bmp(4, 6, byteAt));
  EXPECT_EQ(crop(dir / "ok.bmp", dir.path(), 0, 2), -5);  // the output names a folder
}
