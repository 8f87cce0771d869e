// Stencil, colour swap and grayscale through the host's entry points.
#include <gtest/gtest.h>

#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

const RGB kWhite{255, 255, 255}, kBlack{0, 0, 0};

float recolour(const char* op, const std::string& path, double match, double paint) {
  call("SetInColor", nullptr, match, nullptr);
  return call(op, path.c_str(), paint, nullptr);
}
float stencil(const std::string& path, double match, double paint) {
  return recolour("MakeStencilPSD", path, match, paint);
}
float swapColour(const std::string& path, double match, double paint) {
  return recolour("SwapColorsPSD", path, match, paint);
}

TEST(Stencil, PaintsEveryOtherPixelAndKeepsHeaderAndAlpha) {
  TempDir dir;
  Psd p = rgbPsd(5, 3, [](int x, int y) { return (x + y) % 2 ? kWhite : pattern(x, y); }, true);
  p.resources = std::string(100000, 'r');  // longer than the first bytes read
  p.layers = "layers!";
  writeFile(dir / "a.psd", p.bytes());
  ASSERT_EQ(stencil(dir / "a.psd", 16777215, 0x123456), 0);
  std::string out = readFile(dir / "a.psd");
  ASSERT_EQ(out.size(), p.bytes().size());
  EXPECT_EQ(out.substr(0, p.dataOffset()), p.bytes().substr(0, p.dataOffset()));
  EXPECT_EQ(out.substr(p.dataOffset() + 45), p.data.substr(45));  // alpha plane
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(psdPixel(out, p.dataOffset(), 5, 3, x, y), ((x + y) % 2 ? kWhite : RGB{0x12, 0x34, 0x56}));
  // Black as the match colour, on a 1 x 1 image.
  writeFile(dir / "one.psd", rgbPsd(1, 1, solid(kBlack)).bytes());
  EXPECT_EQ(stencil(dir / "one.psd", 0, 0xFFFFFF), 0);
  EXPECT_EQ(readFile(dir / "one.psd"), rgbPsd(1, 1, solid(kBlack)).bytes());
}

TEST(Stencil, AbsentMatchPaintsAllAndSwapLeavesAll) {
  TempDir dir;
  Psd p = rgbPsd(3, 3, pattern);
  writeFile(dir / "s.psd", p.bytes());
  writeFile(dir / "w.psd", p.bytes());
  EXPECT_EQ(stencil(dir / "s.psd", 0x010203, 0x0A0B0C), 0);
  EXPECT_EQ(readFile(dir / "s.psd"), rgbPsd(3, 3, solid(RGB{10, 11, 12})).bytes());
  EXPECT_EQ(swapColour(dir / "w.psd", 0x010203, 0x0A0B0C), 0);
  EXPECT_EQ(readFile(dir / "w.psd"), p.bytes());
  RGB c = pattern(1, 2);  // a colour swapped for itself changes nothing either
  EXPECT_EQ(swapColour(dir / "w.psd", c.r * 65536 + c.g * 256 + c.b, c.r * 65536 + c.g * 256 + c.b), 0);
  EXPECT_EQ(readFile(dir / "w.psd"), p.bytes());
}

// The colour numbers go through single precision: these differ from what
// integer arithmetic on the host's double would give.
TEST(Stencil, ColourSplitsRoundInSinglePrecision) {
  TempDir dir;
  std::string path = dir / "a.psd";
  // 65535.999 becomes the float 65536: it matches (1, 0, 0), not (0, 255, 255).
  writeFile(path, rgbPsd(2, 1, [](int x, int) { return x == 0 ? RGB{0, 255, 255} : RGB{1, 0, 0}; }).bytes());
  ASSERT_EQ(swapColour(path, 65535.999, 0x0000FF), 0);
  EXPECT_EQ(psdPixel(readFile(path), 40, 2, 1, 0, 0), (RGB{0, 255, 255}));
  EXPECT_EQ(psdPixel(readFile(path), 40, 2, 1, 1, 0), (RGB{0, 0, 255}));
  // -0.5 truncates to 0: black is matched.
  writeFile(path, rgbPsd(1, 1, solid(kBlack)).bytes());
  ASSERT_EQ(swapColour(path, -0.5, 0x0000FF), 0);
  EXPECT_EQ(psdPixel(readFile(path), 40, 1, 1, 0, 0), (RGB{0, 0, 255}));
  // 16777215.5 rounds to 2^24: R is 256 and white is not matched.
  writeFile(path, rgbPsd(1, 1, solid(kWhite)).bytes());
  ASSERT_EQ(swapColour(path, 16777215.5, 0), 0);
  EXPECT_EQ(psdPixel(readFile(path), 40, 1, 1, 0, 0), kWhite);
  struct Paint { double number; RGB painted; } paints[] = {
      {16777217.0, {0, 0, 0}},  // 2^24 + 1 is 2^24 as a float
      {16777219.0, {0, 0, 4}},  // rounds up to 2^24 + 4
      {-1.0, {0, 0, 255}},      // B = -1, its low byte
      {-65536.0, {255, 0, 0}},  // R = -1, G = -256
      {0x123456 + 0.75, {0x12, 0x34, 0x56}},
      {255.9, {0, 0, 255}},
  };
  for (const Paint& c : paints) {
    writeFile(path, rgbPsd(1, 1, solid(RGB{9, 9, 9})).bytes());
    ASSERT_EQ(stencil(path, 0, c.number), 0);
    EXPECT_EQ(psdPixel(readFile(path), 40, 1, 1, 0, 0), c.painted) << c.number;
  }
}

float gray(const std::string& in, const std::string& out, double threshold) {
  return call("RGBtoGrayscale", in.c_str(), threshold, out);
}

std::vector<uint8_t> grayOf(const std::vector<RGB>& pixels, double threshold) {
  TempDir dir;
  int n = int(pixels.size());
  writeFile(dir / "in.psd", rgbPsd(n, 1, [&](int x, int) { return pixels[size_t(x)]; }).bytes());
  EXPECT_EQ(gray(dir / "in.psd", dir / "out.psd", threshold), 0);
  std::string out = readFile(dir / "out.psd");
  EXPECT_EQ(out.size(), 40u + size_t(n));
  return std::vector<uint8_t>(out.begin() + 40, out.end());
}

TEST(Grayscale, LevelsAndThresholds) {
  const RGB red{255, 0, 0}, one{1, 1, 1};
  auto v = [](uint8_t x) { return RGB{x, x, x}; };
  using L = std::vector<uint8_t>;
  EXPECT_EQ(grayOf({red, kWhite, kBlack, one, v(128)}, 0), (L{85, 255, 0, 1, 128}));
  EXPECT_EQ(grayOf({red, kWhite, kBlack, one}, 1), (L{85, 255, 0, 0}));
  EXPECT_EQ(grayOf({red, v(101), v(128), v(200), v(254), kWhite, v(100)}, 100), (L{0, 3, 47, 165, 254, 255, 0}));
  EXPECT_EQ(grayOf({v(254), kWhite, kBlack, red}, 255), (L{0, 255, 0, 0}));
  // The host's number is clamped and truncated: -5 is 0, 300 is 255, 100.7 is 100.
  EXPECT_EQ(grayOf({one, v(254)}, -5), (L{1, 254}));
  EXPECT_EQ(grayOf({v(254), kWhite}, 300), (L{0, 255}));
  EXPECT_EQ(grayOf({v(101)}, 100.7), (L{3}));
  // Rounded mean in double precision: (100, 100, 101) is 100.233 + 0.5.
  EXPECT_EQ(grayOf({RGB{100, 100, 101}, RGB{2, 1, 0}, RGB{255, 255, 254}}, 0), (L{100, 1, 254}));
}

TEST(Grayscale, OutputIsOneChannelWithTheInputsSections) {
  TempDir dir;
  Psd p = rgbPsd(3, 5, pattern, true);
  p.resources = "res";
  p.layers = "layer data";
  writeFile(dir / "in.psd", p.bytes());
  ASSERT_EQ(gray(dir / "in.psd", dir / "out.psd", 0), 0);
  std::string out = readFile(dir / "out.psd");
  ASSERT_EQ(out.size(), p.dataOffset() + 15);
  Psd expected = p;
  expected.channels = 1, expected.mode = 1, expected.data.clear();
  EXPECT_EQ(out.substr(0, p.dataOffset()), expected.bytes());
  EXPECT_EQ(readFile(dir / "in.psd"), p.bytes());
}

TEST(Recolour, RefusalsLeaveTheFileAndWriteNothing) {
  TempDir dir;
  Psd rle = rgbPsd(2, 2, pattern), grayMode = rgbPsd(2, 2, pattern), shortData = rgbPsd(2, 2, pattern),
      onePlane = rgbPsd(4, 4, pattern);
  rle.compression = 1;
  grayMode.mode = 1;
  shortData.data.pop_back();
  onePlane.channels = 1, onePlane.mode = 1;  // fewer planes than the stencil reads
  onePlane.data.resize(16);
  for (const auto& [name, p] : {std::pair{"rle", rle}, {"gray", grayMode}, {"short", shortData}, {"one", onePlane}})
    writeFile(dir / name, p.bytes());
  EXPECT_EQ(stencil(dir / "missing.psd", 0, 0), -1);
  EXPECT_EQ(call("MakeStencilPSD", nullptr, 0, nullptr), -1);
  EXPECT_EQ(stencil(dir / "rle", 0, 0), -4);
  EXPECT_EQ(swapColour(dir / "one", 0, 0), -1761);
  EXPECT_EQ(gray(dir / "gray", dir / "out.psd", 0), -3);
  EXPECT_EQ(gray(dir / "none.psd", dir / "out.psd", 0), -1);
  EXPECT_EQ(gray(dir / "short", dir / "out.psd", 0), -1761);
  EXPECT_FALSE(exists(dir / "out.psd"));
  EXPECT_EQ(readFile(dir / "one"), onePlane.bytes());
  EXPECT_EQ(readFile(dir / "rle"), rle.bytes());
  writeFile(dir / "ok.psd", rgbPsd(2, 2, pattern).bytes());
  EXPECT_EQ(gray(dir / "ok.psd", dir.path(), 0), -5);  // output names a folder
  EXPECT_EQ(call("RGBtoGrayscale", (dir / "ok.psd").c_str(), 0, nullptr), -5);
}

}  // namespace
