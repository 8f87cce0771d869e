// Stencil, swap and merge decide eight pixels at a time: pixels that differ
// from the colour in a single bit of a single channel, in every position of
// such a group and in the pixels left over after the last group, must not
// count as the colour.
#include <gtest/gtest.h>

#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

constexpr int kW = 13, kH = 7;  // 91 pixels: 11 groups of eight and 3 more
const RGB kColour{0x5A, 0xA5, 0x81};

// Pixel i: the colour itself every fifth pixel, else the colour with one bit
// of one channel flipped (every bit of every channel occurs).
RGB nearMiss(int x, int y) {
  int i = y * kW + x;
  RGB c = kColour;
  if (i % 5 == 0) return c;
  uint8_t bit = uint8_t(1u << (i % 8));
  if (i % 3 == 0) c.r ^= bit;
  if (i % 3 == 1) c.g ^= bit;
  if (i % 3 == 2) c.b ^= bit;
  return c;
}

const double kPacked = kColour.r * 65536.0 + kColour.g * 256.0 + kColour.b;

void expectPixels(const std::string& file, const Psd& p, const std::function<RGB(int, int)>& want) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      EXPECT_EQ(psdPixel(file, p.dataOffset(), kW, kH, x, y), want(x, y)) << "pixel " << x << "," << y;
}

}  // namespace

TEST(EightAtOnce, StencilAndSwapTellNearMissesFromTheColour) {
  TempDir dir;
  Psd p = rgbPsd(kW, kH, nearMiss);
  const RGB paint{1, 2, 3};
  writeFile(dir / "s.psd", p.bytes());
  call("SetInColor", nullptr, kPacked, nullptr);
  ASSERT_EQ(call("MakeStencilPSD", (dir / "s.psd").c_str(), 0x010203, nullptr), 0);
  expectPixels(readFile(dir / "s.psd"), p, [&](int x, int y) { return nearMiss(x, y) == kColour ? kColour : paint; });

  writeFile(dir / "w.psd", p.bytes());
  ASSERT_EQ(call("SwapColorsPSD", (dir / "w.psd").c_str(), 0x010203, nullptr), 0);
  expectPixels(readFile(dir / "w.psd"), p, [&](int x, int y) { return nearMiss(x, y) == kColour ? paint : nearMiss(x, y); });
}

TEST(EightAtOnce, MergeShowsTheBottomOnlyUnderTheKeyColour) {
  TempDir dir;
  Psd top = rgbPsd(kW, kH, nearMiss);
  auto bottom = [](int x, int y) { return RGB{uint8_t(x), uint8_t(y), 9}; };
  writeFile(dir / "top.psd", top.bytes());
  writeFile(dir / "bottom.psd", rgbPsd(kW, kH, bottom).bytes());
  ASSERT_EQ(call("MergePSDfiles", (dir / "top.psd").c_str(), kPacked, dir / "bottom.psd"), 0);
  expectPixels(readFile(dir / "top.psd"), top,
               [&](int x, int y) { return nearMiss(x, y) == kColour ? bottom(x, y) : nearMiss(x, y); });
}

// Every colour once, in a 4096 x 4096 image: the gray level of each must be
// the rounded mean computed the long way, including the ties of r + g + b =
// 500 whose rounding the three products decide.
TEST(GrayscaleEveryColour, MatchesTheMeanComputedPixelByPixel) {
  TempDir dir;
  Psd p;
  p.width = p.height = 4096;
  const size_t plane = size_t(1) << 24;
  p.data.resize(3 * plane);
  for (size_t k = 0; k < plane; ++k) {
    p.data[k] = char(k >> 16);
    p.data[plane + k] = char(k >> 8);
    p.data[2 * plane + k] = char(k);
  }
  writeFile(dir / "all.psd", p.bytes());
  p.data.clear();
  ASSERT_EQ(call("RGBtoGrayscale", (dir / "all.psd").c_str(), 0, dir / "gray.psd"), 0);
  std::string out = readFile(dir / "gray.psd");
  ASSERT_EQ(out.size(), p.dataOffset() + plane);
  size_t wrong = 0;
  for (size_t k = 0; k < plane && wrong < 5; ++k) {
    double r = double(k >> 16), g = double((k >> 8) & 255), b = double(k & 255);
    int v = int(((r * 0.333 + g * 0.333) + b * 0.333) + 0.5);
    if (uint8_t(out[p.dataOffset() + k]) != v) {
      ADD_FAILURE() << "colour " << r << "," << g << "," << b << " gives " << int(uint8_t(out[p.dataOffset() + k]))
                    << ", not " << v;
      ++wrong;
    }
  }
}
