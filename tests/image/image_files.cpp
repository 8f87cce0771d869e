#include "image_files.h"

namespace imagetest {
namespace {

void be16(std::string& s, int v) {
  s.push_back(char((v >> 8) & 0xFF));
  s.push_back(char(v & 0xFF));
}
void be32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void le32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string Psd::bytes() const {
  std::string s = "8BPS";
  be16(s, version);
  s.append(6, '\0');
  be16(s, channels);
  be32(s, uint32_t(height));
  be32(s, uint32_t(width));
  be16(s, depth);
  be16(s, mode);
  be32(s, uint32_t(colorDataLength));
  be32(s, uint32_t(resources.size()));
  s += resources;
  be32(s, uint32_t(layers.size()));
  s += layers;
  be16(s, compression);
  return s + data;
}

Psd rgbPsd(int width, int height, const std::function<RGB(int, int)>& pixel, bool withAlpha) {
  Psd p;
  p.width = width;
  p.height = height;
  p.channels = withAlpha ? 4 : 3;
  size_t plane = size_t(width) * size_t(height);
  p.data.assign(plane * size_t(p.channels), '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      size_t k = size_t(y) * size_t(width) + size_t(x);
      RGB c = pixel(x, y);
      p.data[k] = char(c.r);
      p.data[plane + k] = char(c.g);
      p.data[2 * plane + k] = char(c.b);
      if (withAlpha) p.data[3 * plane + k] = char((x * 31 + y * 17) & 0xFF);
    }
  }
  return p;
}

RGB psdPixel(const std::string& file, size_t at, int width, int height, int x, int y) {
  size_t plane = size_t(width) * size_t(height);
  size_t k = at + size_t(y) * size_t(width) + size_t(x);
  return RGB{uint8_t(file.at(k)), uint8_t(file.at(k + plane)), uint8_t(file.at(k + 2 * plane))};
}

std::string bmp(int width, int height, const std::function<uint8_t(int, int)>& value,
                const std::string& extra) {
  int rowBytes = (3 * width + 3) / 4 * 4;
  uint32_t dataOffset = 54 + uint32_t(extra.size());
  uint32_t imageSize = uint32_t(rowBytes * height);
  std::string s = "BM";
  le32(s, dataOffset + imageSize);
  le32(s, 0);
  le32(s, dataOffset);
  le32(s, 40);
  le32(s, uint32_t(width));
  le32(s, uint32_t(height));
  s.push_back(1), s.push_back(0);
  s.push_back(24), s.push_back(0);
  le32(s, 0);
  le32(s, imageSize);
  le32(s, 2835), le32(s, 2835), le32(s, 0), le32(s, 0);
  s += extra;
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < rowBytes; ++i) s.push_back(i < 3 * width ? char(value(i, y)) : '\0');
  }
  return s;
}

uint32_t le32At(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s.at(at))) | uint32_t(uint8_t(s.at(at + 1))) << 8 |
         uint32_t(uint8_t(s.at(at + 2))) << 16 | uint32_t(uint8_t(s.at(at + 3))) << 24;
}
uint32_t be32At(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s.at(at))) << 24 | uint32_t(uint8_t(s.at(at + 1))) << 16 |
         uint32_t(uint8_t(s.at(at + 2))) << 8 | uint32_t(uint8_t(s.at(at + 3)));
}

}  // namespace imagetest
