// The PSD operations through the host's entry points (stencil, colour swap, merge, heal, grayscale,
// thumbnail), damaged and lying files, and the byte-order primitives beneath them.
#include "host/frozen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/result_codes.h"
#include "support/support.h"

using namespace testsupport;

namespace {

const RGB kWhite{255, 255, 255}, kBlack{0, 0, 0}, kPaint{1, 2, 3};

// Runs `op` on a file holding `bytes`, after SetInColor(match), with `second` as its second file (which
// must stay as it was) or the grayscale output. Returns the file the operation wrote.
std::string after(const char* op, const std::string& bytes, double number, const std::string& second = "",
                  double match = 0) {
  TempDir dir;
  writeFile(dir / "a.psd", bytes);
  if (!second.empty()) writeFile(dir / "b.psd", second);
  call("SetInColor", nullptr, match, nullptr);
  EXPECT_EQ(call(op, (dir / "a.psd").c_str(), number, dir / "b.psd"), 0) << op;
  if (op == std::string("RGBtoGrayscale")) return readFile(dir / "b.psd");
  EXPECT_TRUE(readFile(dir / "b.psd") == second) << op;
  return readFile(dir / "a.psd");
}

// The file keeps `p`'s header sections and alpha plane; its pixels are want(x, y).
void expectImage(const std::string& file, const Psd& p, const std::function<RGB(int, int)>& want) {
  const size_t rgb = 3 * size_t(p.width * p.height);
  ASSERT_EQ(file.size(), p.bytes().size());
  EXPECT_EQ(file.substr(0, p.dataOffset()), p.bytes().substr(0, p.dataOffset()));
  EXPECT_EQ(file.substr(p.dataOffset() + rgb), p.data.substr(rgb));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      ASSERT_EQ(psdPixel(file, p.dataOffset(), p.width, p.height, x, y), want(x, y)) << "pixel " << x << "," << y;
}

// Operations decide eight pixels at a time: pixels one bit off the colour, in every position of a group
// and after the last group, must not count as it. The planes are longer than one chunk of pixels
// (131,072), which two threads make, and end 7 pixels after a group of eight.
constexpr int kW = 389, kH = 347;  // 134,983 pixels
const RGB kColour{0x5A, 0xA5, 0x81};
const double kPacked = kColour.r * 65536.0 + kColour.g * 256.0 + kColour.b;

RGB nearMiss(int x, int y) {  // the colour every fifth pixel, else one bit off
  int i = y * kW + x;
  RGB c = kColour;
  if (i % 5) (i % 3 == 0 ? c.r : i % 3 == 1 ? c.g : c.b) ^= uint8_t(1u << (i % 8));
  return c;
}

// Each PSD operation on `p` (with `o` as its second file).
const std::pair<const char*, std::function<float(const std::string& p, const std::string& o)>> kOps[] = {
    {"stencil", [](auto& p, auto&) { return call("MakeStencilPSD", p.c_str(), 0x00FF00, nullptr); }},
    {"swap", [](auto& p, auto&) { return call("SwapColorsPSD", p.c_str(), 0x00FF00, nullptr); }},
    {"grayscale", [](auto& p, auto& o) { return call("RGBtoGrayscale", p.c_str(), 10, o + ".gray"); }},
    {"merge top", [](auto& p, auto& o) { return call("MergePSDfiles", p.c_str(), 0, o); }},
    {"merge bottom", [](auto& p, auto& o) { return call("MergePSDfiles", o.c_str(), 0, p); }},
    {"heal top", [](auto& p, auto& o) { return call("HealPSDfiles", p.c_str(), 1, o); }},
    {"heal bottom", [](auto& p, auto& o) { return call("HealPSDfiles", o.c_str(), 0, p); }},
    {"thumbnail", [](auto& p, auto&) { return call("CreateThumbnail", p.c_str(), 7, nullptr); }},
};

// Every operation refuses `bad` in each of its places, with -1761 or `orElse`, and touches no file.
void expectRefused(const std::string& bad, const std::string& other, float orElse, const std::string& trace) {
  SCOPED_TRACE(trace);
  TempDir dir;
  const std::string path = dir / "t.psd", o = dir / "o.psd";
  for (const auto& [name, op] : kOps) {
    writeFile(path, bad), writeFile(o, other);
    float r = op(path, o);
    ASSERT_TRUE(r == -1761 || r == orElse) << name << " gives " << r;
    ASSERT_TRUE(readFile(path) == bad && readFile(o) == other && dir.list().size() == 2) << name;
  }
}

RGB rowCol(int x, int y) { return RGB{uint8_t(y), uint8_t(x), uint8_t(x + y)}; }  // tells its row and column

}  // namespace

TEST(Recolour, StencilSwapAndMergeTellTheColourFromNearMisses) {
  Psd p = rgbPsd(kW, kH, nearMiss, true);
  p.resources = std::string(100000, 'r'), p.layers = "layers!";  // longer than the first bytes read
  expectImage(after("MakeStencilPSD", p.bytes(), 0x010203, "", kPacked), p,
              [](int x, int y) { return nearMiss(x, y) == kColour ? kColour : kPaint; });
  expectImage(after("SwapColorsPSD", p.bytes(), 0x010203, "", kPacked), p,
              [](int x, int y) { return nearMiss(x, y) == kColour ? kPaint : nearMiss(x, y); });
  // Merge: the bottom's header and alpha, its pixels under the key colour.
  Psd top = rgbPsd(kW, kH, nearMiss), bottom = rgbPsd(kW, kH, pattern, true);
  top.resources = "top!", bottom.resources = "bot!";  // same length, other bytes
  expectImage(after("MergePSDfiles", top.bytes(), kPacked, bottom.bytes()), bottom,
              [](int x, int y) { return nearMiss(x, y) == kColour ? pattern(x, y) : nearMiss(x, y); });
  // A match colour the image lacks: the stencil paints all, the swap nothing.
  const std::string q = rgbPsd(3, 3, pattern).bytes();
  EXPECT_EQ(after("MakeStencilPSD", q, 0x0A0B0C, "", 0x010203), rgbPsd(3, 3, solid(RGB{10, 11, 12})).bytes());
  EXPECT_EQ(after("SwapColorsPSD", q, 0x0A0B0C, "", 0x010203), q);
}

// Colour numbers go through single precision: these differ from integer arithmetic on the double.
TEST(Recolour, ColourNumbersRoundInSinglePrecision) {
  auto pixelAfter = [](const char* op, RGB before, double match, double paint) {
    return psdPixel(after(op, rgbPsd(1, 1, solid(before)).bytes(), paint, "", match), 40, 1, 1, 0, 0);
  };
  const RGB blue{0, 0, 255};  // 65535.999 is the float 65536: it matches (1, 0, 0), not (0, 255, 255)
  EXPECT_EQ(pixelAfter("SwapColorsPSD", RGB{0, 255, 255}, 65535.999, 255), (RGB{0, 255, 255}));
  EXPECT_EQ(pixelAfter("SwapColorsPSD", RGB{1, 0, 0}, 65535.999, 255), blue);
  EXPECT_EQ(pixelAfter("SwapColorsPSD", kBlack, -0.5, 255), blue);        // truncates to 0: black
  EXPECT_EQ(pixelAfter("SwapColorsPSD", kWhite, 16777215.5, 0), kWhite);  // 2^24: R is 256
  // 2^24 + 1 is 2^24 as a float; 2^24 + 3 rounds up to 2^24 + 4; -1 is B = -1; -65536 is R = -1, G = -256.
  const std::pair<double, RGB> paints[] = {
      {16777217.0, {0, 0, 0}}, {16777219.0, {0, 0, 4}}, {-1.0, {0, 0, 255}}, {-65536.0, {255, 0, 0}},
      {0x123456 + 0.75, {0x12, 0x34, 0x56}}};
  for (const auto& [number, painted] : paints)
    EXPECT_EQ(pixelAfter("MakeStencilPSD", RGB{9, 9, 9}, 0, number), painted) << number;
  for (double huge : {1e30, -1e30, double(INFINITY), double(NAN)})  // no colour; nothing undefined either
    pixelAfter("MakeStencilPSD", RGB{9, 9, 9}, huge, huge);
}

// The rounded mean (in doubles, in this order) and the stretch above the threshold, the long way.
int grayLevel(RGB c, int t) {
  const int v = int(((c.r * 0.333 + c.g * 0.333) + c.b * 0.333) + 0.5);
  return v == 255 ? 255 : t >= v ? 0 : std::max(v - ((255 - v) * (t - 1)) / (255 - t), 0);
}

// Every colour once in a 4096 x 4096 image (with the ties of r + g + b = 500 the three products decide);
// then every threshold against every sum made four ways, in rows leaving a remainder after groups of 16
// pixels. The host's number is clamped and truncated: -5 is 0, 300 is 255, 100.7 is 100.
TEST(Grayscale, EveryColourAndThresholdAsTheRuleSays) {
  auto expectLevels = [](const std::function<RGB(int, int)>& pixel, int w, int h, double number, int t) {
    const std::string out = after("RGBtoGrayscale", rgbPsd(w, h, pixel).bytes(), number);
    ASSERT_EQ(out.size(), 40u + size_t(w) * size_t(h));
    for (int k = 0, wrong = 0; k < w * h && wrong < 5; ++k) {
      const RGB c = pixel(k % w, k / w);
      if (uint8_t(out[40 + size_t(k)]) != grayLevel(c, t) && ++wrong)
        ADD_FAILURE() << "threshold " << t << ", colour " << int(c.r) << "," << int(c.g) << "," << int(c.b)
                      << " gives " << int(uint8_t(out[40 + size_t(k)]));
    }
  };
  expectLevels([](int x, int y) { return RGB{uint8_t(y >> 4), uint8_t(((y & 15) << 4) | (x >> 8)), uint8_t(x)}; },
               4096, 4096, 0, 0);
  auto bySum = [](int s, int y) {
    const int third = s / 3;
    int r, g;
    if (y == 0) r = std::min(s, 255), g = std::min(s - r, 255);
    else if (y == 1) g = std::min(s, 255), r = std::min(s - g, 255);
    else if (y == 2) r = third, g = third + (s % 3 > 0);
    else r = std::max(0, s - 510), g = std::min(s - r, 255);
    return RGB{uint8_t(r), uint8_t(g), uint8_t(s - r - g)};
  };
  for (int t = 0; t < 256; ++t) expectLevels(bySum, 766, 4, t, t);
  for (auto [number, t] : {std::pair{-5.0, 0}, {300.0, 255}, {100.7, 100}}) expectLevels(bySum, 766, 1, number, t);
  // The output: the input's header sections, one channel, grayscale, no alpha.
  Psd p = rgbPsd(3, 5, pattern, true), expected = p;
  p.resources = expected.resources = "res", p.layers = expected.layers = "layer data";
  expected.channels = 1, expected.mode = 1, expected.data.clear();
  const std::string out = after("RGBtoGrayscale", p.bytes(), 0);
  EXPECT_TRUE(out.size() == p.dataOffset() + 15 && out.substr(0, p.dataOffset()) == expected.bytes());
}

// Rows: 10 rows from the edge's middle at top and bottom. Columns: 2 at left and right, rows 2 to h - 2.
TEST(Heal, BandsOfRowsOrColumns) {
  const RGB kBody{1, 2, 3};
  // Wide enough that the rows are made in more than one chunk.
  std::string rows = after("HealPSDfiles", rgbPsd(1400, 101, rowCol).bytes(), 0, rgbPsd(1400, 101, solid(kBody)).bytes());
  for (int y = 0; y < 101; ++y) {
    int from = y < 10 ? 50 + y : y >= 91 ? 40 + (y - 91) : -1;
    for (int x : {0, 1, 57, 1399})
      EXPECT_EQ(psdPixel(rows, 40, 1400, 101, x, y), from < 0 ? kBody : rowCol(x, from)) << x << "," << y;
  }
  std::string cols = after("HealPSDfiles", rgbPsd(1403, 100, rowCol).bytes(), 0.5, rgbPsd(1403, 100, solid(kBody)).bytes());
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 1403; ++x) {
      int from = y < 2 || y > 98 ? -1 : x < 2 ? 50 + x : x >= 1401 ? 48 + (x - 1401) : -1;
      ASSERT_EQ(psdPixel(cols, 40, 1403, 100, x, y), from < 0 ? kBody : rowCol(from, y)) << x << "," << y;
    }
}

TEST(Thumbnail, MarginsStepsAndSizes) {
  // Wide 1000 x 500 and tall 500 x 1000 at 100: step 10, black margins of 25 rows or columns. Small
  // and wide, 6 x 3 at 10.9: a top margin of 3 rows repeating source row 0, the image, then black.
  const std::string wide = after("CreateThumbnail", rgbPsd(1000, 500, rowCol).bytes(), 100),
                    tall = after("CreateThumbnail", rgbPsd(500, 1000, rowCol).bytes(), 100),
                    small = after("CreateThumbnail", rgbPsd(6, 3, rowCol).bytes(), 10.9);
  ASSERT_TRUE(wide.size() == 40u + 3 * 100 * 100 && small.size() == 40u + 300);
  EXPECT_EQ(wide.substr(14, 8), std::string("\0\0\0\x64\0\0\0\x64", 8));  // height, width
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(psdPixel(wide, 40, 100, 100, x, y), (y < 25 || y >= 75) ? RGB{} : rowCol(10 * x, 10 * (y - 25)));
      ASSERT_EQ(psdPixel(tall, 40, 100, 100, x, y), (x < 25 || x >= 75) ? RGB{} : rowCol(10 * (x - 25), 10 * y));
      if (x < 10 && y < 10) {
        ASSERT_EQ(psdPixel(small, 40, 10, 10, x, y), x < 6 && y < 6 ? rowCol(x, std::max(0, y - 3)) : RGB{}) << x << y;
      }
    }
  // 1050 x 1050 at 100: every third column and row moves 11 pixels; columns checked on row 0, as the
  // column counter runs on across rows.
  auto where = [](int i) { return 10 * i + i / 3; };
  auto big = [](int x, int y) { return RGB{uint8_t(x), uint8_t(x >> 8), uint8_t(y)}; };
  const std::string out = after("CreateThumbnail", rgbPsd(1050, 1050, big).bytes(), 100);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(psdPixel(out, 40, 100, 100, i, 0), big(where(i), 0)) << i;
    ASSERT_EQ(psdPixel(out, 40, 100, 100, 0, i).b, uint8_t(where(i))) << i;
  }
  // The same size drops the alpha plane; an empty image gives black.
  Psd p = rgbPsd(9, 9, pattern, true), expected = p;
  expected.channels = 3, expected.data.resize(3 * 81);
  EXPECT_EQ(after("CreateThumbnail", p.bytes(), 9), expected.bytes());
  EXPECT_EQ(after("CreateThumbnail", rgbPsd(0, 0, pattern).bytes(), 2), rgbPsd(2, 2, solid(RGB{})).bytes());
  TempDir dir;
  writeFile(dir / "a.psd", rgbPsd(4, 4, pattern).bytes());
  for (double n : {-3.0, 0.9, 16385.0, 1e12})  // the host's number truncated, then 1 .. 16384
    EXPECT_EQ(call("CreateThumbnail", (dir / "a.psd").c_str(), n, nullptr), -1770) << n;
  EXPECT_EQ(readFile(dir / "a.psd"), rgbPsd(4, 4, pattern).bytes());
}

TEST(UntrustedPsd, PrefixesAndLyingSizesAreRefusedWithoutTouchingAFile) {
  // Resources longer than the first bytes read, and cuts on either side of them and of every field.
  Psd p = rgbPsd(100, 100, pattern);
  p.resources = std::string(70000, 'r'), p.layers = "layers";
  const std::string full = p.bytes();
  std::vector<size_t> lengths;
  for (size_t n = 0; n < full.size(); n += n < 40 ? 1 : 9973) lengths.push_back(n);
  for (size_t n = 34 + p.resources.size(); n < p.dataOffset() + 8; ++n) lengths.push_back(n);
  for (size_t n : lengths) expectRefused(full.substr(0, n), full, -1, std::to_string(n));
  expectRefused(full.substr(0, full.size() - 1), full, -1, "all but the last byte");
  for (auto [w, h] :
       {std::pair{-100, -100}, {-1, 200}, {65536, 65536}, {2147483647, 2147483647}, {46341, 46341}, {101, 101}}) {
    Psd q = rgbPsd(100, 100, pattern);  // 100 x 100 worth of planes
    q.width = w, q.height = h;  // heal checks the edge's size first
    expectRefused(q.bytes(), q.bytes(), w < 100 ? -9 : -1761, std::to_string(w) + "x" + std::to_string(h));
  }
  for (uint32_t len : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0xFFFFFFDEu, 100u})
    for (size_t at : {30, 34}) {  // resources and layers lengths that lie
      std::string s = rgbPsd(4, 4, pattern).bytes();
      for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(len >> (24 - 8 * i));
      expectRefused(s, full, -1761, std::to_string(at) + ": " + std::to_string(len));
    }
  EXPECT_EQ(call("MakeStencilPSD", nullptr, 0, nullptr), -1);
  EXPECT_EQ(call("RGBtoGrayscale", example("images/tile.psd").c_str(), 0, nullptr), -5);
}

// The byte-order primitives read 0 and write nothing outside the image; readPSDHeader parses it.
TEST(PsdPrimitives, BigEndianReadsAndWritesInsideTheImageOnly) {
  const std::string bytes("\xFF\xFE\x01\x00\x3F\x80\x00\x00", 8);
  img.assign(bytes.begin(), bytes.end());
  EXPECT_EQ(std::vector<int>({readShort(0), readLong(0), readLong(4), littleEndian(), bigEndian()}),
            std::vector<int>({-2, int(0xFFFE0100), 0x3F800000, 1, 0}));
  EXPECT_FLOAT_EQ(readFloatLE(4), 1.0f);  // 3F 80 00 00, first byte most significant
  for (int at : {-1, -4, 7, 8, 2147483647, -2147483647 - 1}) {  // wholly or partly outside
    EXPECT_EQ(readShort(at) + readLong(at) + readFloat(at), 0) << at;
    writeShort(at, 0x7777);
  }
  for (int at : {-2, 5, 6}) {
    EXPECT_EQ(readLong(at), 0) << at;
    writeLong(at, 0x77777777);
  }
  writeShort(0, 0x1234);
  EXPECT_TRUE(std::string(img.begin(), img.end()) == std::string("\x12\x34\x01\x00\x3F\x80\x00\x00", 8));
  Psd p = rgbPsd(5, 3, pattern, true);
  p.resources = "0123456789";
  const std::string file = p.bytes();
  img.assign(file.begin(), file.end());
  EXPECT_EQ(readPSDHeader(), 0);
  EXPECT_EQ(std::vector<int>({offst, fHeader.channels, fHeader.width}), std::vector<int>({50, 4, 5}));
}
