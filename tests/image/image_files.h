// Builders of small PSD and BMP files for the image tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace imagetest {

struct RGB {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A PSD file as the operations read it; every field can be made to lie.
struct Psd {
  int version = 1;
  int channels = 3;
  int32_t height = 0;
  int32_t width = 0;
  int depth = 8;
  int mode = 3;
  int32_t colorDataLength = 0;
  std::string resources;  // image resources section bytes
  std::string layers;     // layer and mask section bytes
  int compression = 0;
  std::string data;       // image data, planes one after another

  // Header + sections + compression field; data appended.
  std::string bytes() const;
  // Offset of the image data in bytes().
  size_t dataOffset() const { return 40 + resources.size() + layers.size(); }
};

// An RGB PSD (3 planes, or 4 with an alpha plane filled by `alpha`) whose
// pixel (x, y) is pixel(x, y).
Psd rgbPsd(int width, int height, const std::function<RGB(int, int)>& pixel, bool withAlpha = false);
// Pixel (x, y) of the three planes of a PSD file's bytes with data at `at`.
RGB psdPixel(const std::string& file, size_t at, int width, int height, int x, int y);

// A bottom-up 24-bit BMP of width x height with pixel byte i of stored row y
// equal to value(i, y), padded rows, and `extra` bytes between the 54-byte
// header and the data.
std::string bmp(int width, int height, const std::function<uint8_t(int, int)>& value,
                const std::string& extra = "");

uint32_t le32At(const std::string& s, size_t at);
uint32_t be32At(const std::string& s, size_t at);

// Every pixel of one colour.
inline std::function<RGB(int, int)> solid(RGB c) {
  return [c](int, int) { return c; };
}
// A pattern that gives most pixels a different colour.
inline RGB pattern(int x, int y) { return RGB{uint8_t(x * 7 + y), uint8_t(x + y * 13), uint8_t(x ^ y)}; }

}  // namespace imagetest
