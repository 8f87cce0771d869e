// The files the operations write, read back by an independent reader
// (Python's PIL, Debian package python3-pil). Skipped when it is missing.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// A Python interpreter that has PIL, or "" when there is none.
std::string pythonWithPil() {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    std::string cmd = std::string(py) + " -c 'import PIL.Image' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return py;
  }
  return "";
}

// Prints "W H MODE" and the listed pixels of each file, one line per file.
const char* kScript = R"(import sys
from PIL import Image
for arg in sys.argv[1:]:
    path, *points = arg.split(',')
    im = Image.open(path)
    im.load()
    px = [im.getpixel((int(points[i]), int(points[i + 1]))) for i in range(0, len(points), 2)]
    print(im.size[0], im.size[1], im.mode, *px)
)";

std::string run(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

TEST(IndependentReader, OutputsAreValidPsdAndBmp) {
  std::string py = pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "no Python with PIL (Debian package python3-pil)";
  TempDir dir;
  auto img = [](int x, int y) { return RGB{uint8_t(x * 2), uint8_t(y * 3), uint8_t(x + y)}; };
  writeFile(dir / "in.psd", rgbPsd(31, 17, img).bytes());
  ASSERT_EQ(call("RGBtoGrayscale", (dir / "in.psd").c_str(), 0, dir / "gray.psd"), 0);
  writeFile(dir / "thumb.psd", rgbPsd(31, 17, img).bytes());
  ASSERT_EQ(call("CreateThumbnail", (dir / "thumb.psd").c_str(), 12, nullptr), 0);
  writeFile(dir / "stencil.psd", rgbPsd(31, 17, img).bytes());
  call("SetInColor", nullptr, 0, nullptr);  // (0, 0, 0) is pixel (0, 0)
  ASSERT_EQ(call("MakeStencilPSD", (dir / "stencil.psd").c_str(), 0x102030, nullptr), 0);
  writeFile(dir / "in.bmp", bmp(13, 9, [](int i, int y) { return uint8_t(i * 5 + y); }));
  call("CropBMP_SetWidth", nullptr, 5, nullptr);
  ASSERT_EQ(call("CropBMPfile", (dir / "in.bmp").c_str(), 2, dir / "crop.bmp"), 0);

  writeFile(dir / "read.py", kScript);
  std::string out = run(py + " " + dir / "read.py" + " " + dir / "gray.psd,0,0,30,16" + " " +
                        dir / "thumb.psd,0,0,11,11" + " " + dir / "stencil.psd,0,0,5,5" + " " +
                        dir / "crop.bmp,0,0,4,5" + " 2>&1");
  // Gray of (60, 48, 46) is trunc(154 * 0.333 + 0.5) = 51. The 31 x 17
  // thumbnail at 12 has black margin rows at the top and bottom.
  // The crop's top row in PIL is the last stored row kept (stored row 5).
  // BMP stores blue, green, red: pixel x of stored row y is bytes 3x.. of it.
  auto bgr = [](int x, int y) {
    int i = 6 + 3 * x;
    return "(" + std::to_string((i + 2) * 5 + y) + ", " + std::to_string((i + 1) * 5 + y) + ", " +
           std::to_string(i * 5 + y) + ")";
  };
  std::string expected = "31 17 L 0 51\n"
                         "12 12 RGB (0, 0, 0) (0, 0, 0)\n"
                         "31 17 RGB (0, 0, 0) (16, 32, 48)\n"
                         "5 6 RGB " + bgr(0, 6) + " " + bgr(4, 1) + "\n";
  EXPECT_EQ(out, expected);
}

}  // namespace
