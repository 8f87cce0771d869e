// Input files built byte by byte.
#include <cstring>

#include "support/support.h"

namespace testsupport {

static void be16(std::string& s, int v) { s += {char((v >> 8) & 0xFF), char(v & 0xFF)}; }
static void be32(std::string& s, uint32_t v) { be16(s, int(v >> 16)), be16(s, int(v & 0xFFFF)); }

void putU32(std::string& s, unsigned v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

void putF32(std::string& s, float v) {
  unsigned u;
  std::memcpy(&u, &v, 4);
  putU32(s, u);
}

std::string chunk(uint32_t tag, uint32_t count, const std::string& records, int64_t length) {
  std::string s;
  putU32(s, tag), putU32(s, length < 0 ? uint32_t(16 + records.size()) : uint32_t(length));
  putU32(s, count), putU32(s, 0);
  return s + records;
}

std::string floats(const std::vector<float>& values) {
  std::string s;
  for (float f : values) putF32(s, f);
  return s;
}

std::string vertexChunk(const std::vector<float>& xyz) {
  return chunk(kVertexTag, uint32_t(xyz.size() / 3), floats(xyz));
}

std::string qivHeader() {
  std::string s;
  for (int i = 0; i < 32; ++i) s.push_back(char(0xA0 + i));
  return s;
}

std::string Psd::bytes() const {
  std::string s = "8BPS";
  be16(s, version);
  s.append(6, '\0');
  be16(s, channels), be32(s, uint32_t(height)), be32(s, uint32_t(width)), be16(s, depth), be16(s, mode);
  be32(s, uint32_t(colorDataLength)), be32(s, uint32_t(resources.size()));
  s += resources;
  be32(s, uint32_t(layers.size()));
  s += layers;
  be16(s, compression);
  return s + data;
}

Psd rgbPsd(int width, int height, const std::function<RGB(int, int)>& pixel, bool withAlpha) {
  Psd p;
  p.width = width, p.height = height, p.channels = withAlpha ? 4 : 3;
  size_t plane = size_t(width) * size_t(height);
  p.data.assign(plane * size_t(p.channels), '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      size_t k = size_t(y) * size_t(width) + size_t(x);
      RGB c = pixel(x, y);
      p.data[k] = char(c.r), p.data[plane + k] = char(c.g), p.data[2 * plane + k] = char(c.b);
      if (withAlpha) p.data[3 * plane + k] = char((x * 31 + y * 17) & 0xFF);
    }
  return p;
}

RGB psdPixel(const std::string& file, size_t at, int width, int height, int x, int y) {
  size_t plane = size_t(width) * size_t(height);
  size_t k = at + size_t(y) * size_t(width) + size_t(x);
  return RGB{uint8_t(file.at(k)), uint8_t(file.at(k + plane)), uint8_t(file.at(k + 2 * plane))};
}

std::string bmp(int width, int height, const std::function<uint8_t(int, int)>& value, const std::string& extra) {
  int rowBytes = (3 * width + 3) / 4 * 4;
  uint32_t dataOffset = 54 + uint32_t(extra.size()), imageSize = uint32_t(rowBytes * height);
  std::string s = "BM";
  putU32(s, dataOffset + imageSize), putU32(s, 0), putU32(s, dataOffset), putU32(s, 40);
  putU32(s, uint32_t(width)), putU32(s, uint32_t(height));
  s += {1, 0, 24, 0};
  putU32(s, 0), putU32(s, imageSize), putU32(s, 2835), putU32(s, 2835), putU32(s, 0), putU32(s, 0);
  s += extra;
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < rowBytes; ++i) s.push_back(i < 3 * width ? char(value(i, y)) : '\0');
  return s;
}

}  // namespace testsupport
