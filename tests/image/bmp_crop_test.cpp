// BMP crop through the host's entry points, and the BMP globals.
#include <gtest/gtest.h>

#include "common/result_codes.h"
#include "image/bmp.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

uint8_t byteAt(int i, int row) { return uint8_t(i * 3 + row * 101); }

float crop(const std::string& in, const std::string& out, double pixels, double width) {
  call("CropBMP_SetWidth", nullptr, width, nullptr);
  return call("CropBMPfile", in.c_str(), pixels, out);
}

// Checks that `out` holds stored rows 1.. of `in` from byte `skip`, `width`
// pixels each.
void expectStrip(const std::string& out, int inHeight, int skip, int width, size_t dataOffset) {
  int rows = inHeight - 3;
  int rowOut = (3 * width + 3) / 4 * 4;
  ASSERT_EQ(out.size(), dataOffset + size_t(rows * rowOut));
  EXPECT_EQ(le32At(out, 2), uint32_t(out.size()));
  EXPECT_EQ(le32At(out, 18), uint32_t(width));
  EXPECT_EQ(le32At(out, 22), uint32_t(rows));
  EXPECT_EQ(le32At(out, 34), uint32_t(rows * rowOut));
  for (int r = 0; r < rows; ++r)
    for (int i = 0; i < rowOut; ++i) {
      uint8_t want = i < 3 * width ? byteAt(skip + i, r + 1) : 0;
      ASSERT_EQ(uint8_t(out[dataOffset + size_t(r * rowOut + i)]), want) << r << "," << i;
    }
}

TEST(CropBMP, StripsOfTheStoredRowsUpToTheRowsEnd) {
  TempDir dir;
  std::string extra = "palette or extended header";
  std::string in = bmp(100, 20, byteAt, extra);
  writeFile(dir / "big.bmp", in);
  ASSERT_EQ(crop(dir / "big.bmp", dir / "out.bmp", 10.9, 50), 0);  // 10 pixels in
  std::string out = readFile(dir / "out.bmp");
  EXPECT_EQ(le32At(out, 34), 2584u);
  EXPECT_EQ(out.substr(54, extra.size()), extra);
  expectStrip(out, 20, 30, 50, 54 + extra.size());
  EXPECT_EQ(readFile(dir / "big.bmp"), in);
  // 7 pixels: 21 bytes + 3 padding per stored row. The strip may reach into
  // the padding (4 + 4 pixels = 24 bytes), no further.
  writeFile(dir / "in.bmp", bmp(7, 5, byteAt));
  struct Case { double pixels, width; } ok[] = {{0, 4}, {0, 1}, {6, 1}, {3, 4}, {0, 7}, {1, 6}},
                                      refused[] = {{5, 4}, {0, 9}, {-1, 2}, {0, 0}, {1e10, 2}};
  for (auto c : ok) {
    ASSERT_EQ(crop(dir / "in.bmp", dir / "out.bmp", c.pixels, c.width), 0) << c.pixels << "+" << c.width;
    expectStrip(readFile(dir / "out.bmp"), 5, 3 * int(c.pixels), int(c.width), 54);
  }
  EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", 4, 4), 0);
  for (auto c : refused) EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", c.pixels, c.width), -1770) << c.pixels;
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
  topDown[25] = char(0xFF), topDown[24] = char(0xFF), topDown[23] = char(0xFF), topDown[22] = char(0xFA);
  writeFile(dir / "topdown.bmp", topDown);
  EXPECT_EQ(crop(dir / "topdown.bmp", out, 0, 2), -1770);
  std::string shortRows = bmp(4, 6, byteAt);
  shortRows.resize(shortRows.size() - 12 - 12 - 1);  // the last row read loses a byte
  writeFile(dir / "short.bmp", shortRows);
  EXPECT_EQ(crop(dir / "short.bmp", out, 0, 4), -1761);
  EXPECT_EQ(readFile(out), "previous");
  // The output names a folder: -5. Then a good file works as usual.
  writeFile(dir / "ok.bmp", bmp(4, 6, byteAt));
  EXPECT_EQ(crop(dir / "ok.bmp", dir.path(), 0, 2), -5);
  EXPECT_EQ(crop(dir / "ok.bmp", out, 0, 2), 0);
  expectStrip(readFile(out), 6, 0, 2, 54);
}

TEST(CropBMP, GlobalsAfterEachOutcome) {
  TempDir dir;
  writeFile(dir / "in.bmp", bmp(60, 5, byteAt));
  EXPECT_EQ(cropBMP((dir / "in.bmp").c_str(), (dir / "out.bmp").c_str(), 0, 50), 0);
  EXPECT_TRUE(bmpV.empty());
  EXPECT_EQ(bmpHdr.width, 60);
  EXPECT_TRUE(bmpHdr.rowBytes == 180 && offset == 54 + 3 * 180);  // after the last row read
  std::string in = bmp(6, 5, byteAt);
  writeFile(dir / "six.bmp", in);
  EXPECT_EQ(cropBMP((dir / "six.bmp").c_str(), (dir / "out.bmp").c_str(), 3, 6), -1770);
  EXPECT_EQ(bmpV.size(), in.size());
  EXPECT_EQ(cropBMP((dir / "none.bmp").c_str(), (dir / "out.bmp").c_str(), 0, 1), -1760);
  EXPECT_EQ(bmpV.size(), in.size());  // kept from the last file read
}

// In a freshly loaded library the crop width is 50 and the match colour 0.
TEST(FreshLibrary, CropWidthAndMatchColourDefaults) {
  TempDir dir;
  writeFile(dir / "in.bmp", bmp(60, 5, byteAt));
  writeFile(dir / "a.psd", rgbPsd(2, 1, [](int x, int) { return x ? RGB{0, 0, 0} : RGB{9, 9, 9}; }).bytes());
  std::string cmd = std::string(TOLVANE_CALL_PATH) + " CropBMPfile " + dir / "in.bmp" + " 0 " + dir / "out.bmp" +
                    " -- MakeStencilPSD " + dir / "a.psd" + " 255 >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(le32At(readFile(dir / "out.bmp"), 18), 50u);
  EXPECT_EQ(readFile(dir / "a.psd"), rgbPsd(2, 1, [](int x, int) { return x ? RGB{0, 0, 0} : RGB{0, 0, 255}; }).bytes());
}

TEST(CropBMP, EveryTruncationIsRefusedCleanly) {
  TempDir dir;
  std::string in = bmp(5, 6, byteAt, "xx");
  for (size_t n = 0; n < in.size(); ++n) {
    writeFile(dir / "t.bmp", in.substr(0, n));
    float r = crop(dir / "t.bmp", dir / "out.bmp", 1, 3);
    bool expected = n < 2 ? r == -7 : r == -1761 || (n >= 38 && r == 0);
    ASSERT_TRUE(expected) << n << " gives " << r;
  }
}

}  // namespace
