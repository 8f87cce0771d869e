// BMP crop: strips through the entry point, and what each outcome leaves in the files and the BMP
// globals (cropBMP called by its C++ name, so the globals seen are the ones it sets).
#include <gtest/gtest.h>

#include "host/frozen.h"
#include "support/support.h"

using namespace testsupport;

namespace {

uint8_t byteAt(int i, int row) { return uint8_t(i * 3 + row * 101); }

float crop(const std::string& in, const std::string& out, double pixels, double width) {
  call("CropBMP_SetWidth", nullptr, width, nullptr);
  return call("CropBMPfile", in.c_str(), pixels, out);
}

// `out` holds stored rows 1 .. height - 3 of the input from byte `skip`, `width` pixels each, after
// `dataOffset` header bytes.
void expectStrip(const std::string& out, int inHeight, int skip, int width, size_t dataOffset) {
  int rows = inHeight - 3, rowOut = (3 * width + 3) / 4 * 4;
  ASSERT_EQ(out.size(), dataOffset + size_t(rows * rowOut));
  auto le32At = [&](size_t at) { return tolvane::le32(reinterpret_cast<const unsigned char*>(out.data() + at)); };
  EXPECT_EQ(std::vector<uint32_t>({le32At(2), le32At(18), le32At(22), le32At(34)}),
            std::vector<uint32_t>({uint32_t(out.size()), uint32_t(width), uint32_t(rows), uint32_t(rows * rowOut)}));
  for (int r = 0; r < rows; ++r)
    for (int i = 0; i < rowOut; ++i)
      ASSERT_EQ(uint8_t(out[dataOffset + size_t(r * rowOut + i)]), i < 3 * width ? byteAt(skip + i, r + 1) : 0)
          << r << "," << i;
}

}  // namespace

TEST(CropBMP, StripsOfTheStoredRowsUpToTheRowsEnd) {
  TempDir dir;
  const std::string extra = "palette or extended header", in = bmp(100, 20, byteAt, extra);
  writeFile(dir / "big.bmp", in);
  ASSERT_EQ(crop(dir / "big.bmp", dir / "out.bmp", 10.9, 50), 0);  // 10 pixels in
  const std::string out = readFile(dir / "out.bmp");
  EXPECT_TRUE(out.substr(54, extra.size()) == extra && readFile(dir / "big.bmp") == in);
  expectStrip(out, 20, 30, 50, 54 + extra.size());
  // 7 pixels: 21 bytes + 3 padding per stored row; a strip may reach into the padding (4 + 4 pixels).
  writeFile(dir / "in.bmp", bmp(7, 5, byteAt));
  const std::pair<double, double> ok[] = {{0, 4}, {0, 1}, {6, 1}, {3, 4}, {0, 7}, {1, 6}},
                                  refused[] = {{5, 4}, {0, 9}, {-1, 2}, {0, 0}, {1e10, 2}};
  for (auto [pixels, width] : ok) {
    ASSERT_EQ(crop(dir / "in.bmp", dir / "out.bmp", pixels, width), 0) << pixels << "+" << width;
    expectStrip(readFile(dir / "out.bmp"), 5, 3 * int(pixels), int(width), 54);
  }
  EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", 4, 4), 0);  // ends in the padding
  for (auto [pixels, width] : refused) EXPECT_EQ(crop(dir / "in.bmp", dir / "out.bmp", pixels, width), -1770) << pixels;
}

// The globals as a run loading the input whole leaves them: `bmpV` as it was, the input, the input
// with the crop's header fields, or empty.
TEST(CropBMP, EachOutcomeItsCodeFilesAndGlobals) {
  TempDir dir;
  const std::string in = dir / "in.bmp", out = dir / "out.bmp", good = bmp(4, 6, byteAt);
  std::string topDown = good, shortRows = good.substr(0, 54 + 3 * 12 + 5), cropped = good;
  topDown.replace(22, 4, "\xFA\xFF\xFF\xFF");  // height -6
  cropped.replace(2, 4, std::string("\x4E\0\0\0", 4)).replace(18, 8, std::string("\2\0\0\0\3\0\0\0", 8));
  cropped.replace(34, 4, std::string("\x18\0\0\0", 4));  // 2 x 3, rows of 8 bytes
  const std::string notBmp = "\x89PNG" + good.substr(4), low = bmp(4, 3, byteAt);
  const struct {
    std::string file, outPath;  // "": no input
    float code;
    std::string left;  // bmpV after
    int width, at;     // bmpHdr.width and offset after
  } cases[] = {
      {"", out, -1760, "xxx", -77, -77},
      {notBmp, out, -7, notBmp, -77, 0},
      {low, out, -1770, low, 4, 0},
      {topDown, out, -1770, topDown, 4, 0},
      {shortRows, out, -1761, shortRows, 4, 0},
      {good, dir.path(), -5, cropped, 4, 102},  // the output names a folder; 102: past stored row 4
      {good, out, 0, "", 4, 102},
  };
  for (const auto& c : cases) {
    std::remove(in.c_str());
    if (!c.file.empty()) writeFile(in, c.file);
    writeFile(out, "previous");
    bmpV.assign(3, 'x'), bmpHdr.width = offset = -77;
    ASSERT_EQ(cropBMP(in.c_str(), c.outPath.c_str(), 0, 2), c.code);
    EXPECT_TRUE(std::string(bmpV.begin(), bmpV.end()) == c.left) << c.code;
    EXPECT_EQ(std::vector<int>({bmpHdr.width, offset}), std::vector<int>({c.width, c.at})) << c.code;
    EXPECT_TRUE(c.code == 0 || readFile(out) == "previous") << c.code;
  }
  // Every truncation is refused cleanly; the last row read losing a byte too.
  std::string cut = bmp(5, 6, byteAt, "xx");
  for (size_t n = 0; n < cut.size(); ++n) {
    writeFile(dir / "t.bmp", cut.substr(0, n));
    float r = crop(dir / "t.bmp", out, 1, 3);
    ASSERT_TRUE(n < 2 ? r == -7 : r == -1761 || (n >= 38 && r == 0)) << n << " gives " << r;
  }
}
