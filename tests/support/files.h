// Small input files built byte by byte: Qiv chunks, Qit vertex files, PSD
// and BMP images. Every field can be made to lie.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

constexpr uint32_t kVertexTag = 10001, kFaceTag = 20001, kUVTag = 25001, kColourTag = 35001;

// A chunk header (tag, length, count, reserved) and its records; the length
// is 16 + the records' size unless one is given.
std::string chunk(uint32_t tag, uint32_t count, const std::string& records, int64_t length = -1,
                  uint32_t reserved = 0);
std::string floats(const std::vector<float>& values);
std::string vertexChunk(const std::vector<float>& xyz);
// Faces of four indices (-1 as fourth: a triangle).
std::string faceChunk(const std::vector<std::vector<int32_t>>& faces, uint32_t tag = kFaceTag);
// Records from (red, green, blue); stored blue, green, red, 0xEE.
std::string colourChunk(const std::vector<std::vector<uint8_t>>& rgb, uint32_t tag = kColourTag);
// 32 header bytes that are not zeros (a copy that loses them shows).
std::string qivHeader();
inline std::string qiv(const std::string& chunks) { return qivHeader() + chunks; }
// A Qit vertex file: one vertex chunk.
inline std::string qit(const std::vector<float>& xyz) { return vertexChunk(xyz); }

struct RGB {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A PSD file as the operations read it.
struct Psd {
  int version = 1, channels = 3;
  int32_t height = 0, width = 0;
  int depth = 8, mode = 3;
  int32_t colorDataLength = 0;
  std::string resources, layers;  // section bytes
  int compression = 0;
  std::string data;  // image data, planes one after another

  std::string bytes() const;
  size_t dataOffset() const { return 40 + resources.size() + layers.size(); }
};

// An RGB PSD (3 planes, or 4 with an alpha plane) whose pixel (x, y) is
// pixel(x, y).
Psd rgbPsd(int width, int height, const std::function<RGB(int, int)>& pixel, bool withAlpha = false);
// Pixel (x, y) of the three planes of a PSD file's bytes with data at `at`.
RGB psdPixel(const std::string& file, size_t at, int width, int height, int x, int y);
inline std::function<RGB(int, int)> solid(RGB c) {
  return [c](int, int) { return c; };
}
// A pattern that gives most pixels a different colour.
inline RGB pattern(int x, int y) { return RGB{uint8_t(x * 7 + y), uint8_t(x + y * 13), uint8_t(x ^ y)}; }

// A bottom-up 24-bit BMP with byte i of stored row y equal to value(i, y),
// padded rows, and `extra` bytes between the 54-byte header and the data.
std::string bmp(int width, int height, const std::function<uint8_t(int, int)>& value,
                const std::string& extra = "");
uint32_t le32At(const std::string& s, size_t at);

}  // namespace testsupport
