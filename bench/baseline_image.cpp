// Plain references for the image operations: the file read through an
// istreambuf_iterator into a vector, pixels visited one at a time through
// index arithmetic, the result written with an ofstream. Each writes the
// same bytes as the library on well-formed input; bench/run times the
// library against them. Not used by the library.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Image = std::vector<unsigned char>;

bool load(const char* path, Image& img) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  img.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool save(const char* path, const Image& img, size_t from = 0, size_t n = std::string::npos) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(img.data() + from), std::streamsize(n == std::string::npos ? img.size() - from : n));
  return bool(out);
}

int be(const Image& img, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | img[at + i];
  return n == 2 ? int(int16_t(v)) : int(v);
}

void putBe32(Image& img, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) img[at + i] = uint8_t(v >> (24 - 8 * i));
}

struct Psd {
  int width = 0, height = 0, mode = 0;
  size_t data = 0;
};

bool header(const Image& img, Psd& h) {
  if (img.size() < 40 || img[0] != '8' || img[1] != 'B' || img[2] != 'P' || img[3] != 'S') return false;
  h.height = be(img, 14, 4);
  h.width = be(img, 18, 4);
  h.mode = be(img, 24, 2);
  size_t at = 34 + size_t(be(img, 30, 4));
  at += 4 + size_t(be(img, at, 4));
  if (be(img, at, 2) != 0) return false;
  h.data = at + 2;
  return true;
}

void matchSplit(float c, int& r, int& g, int& b) {
  r = int(c * 0.0000152587890625f);
  float rest = c - float(r * 65536);
  g = int(rest * 0.00390625f);
  b = int(rest - float(g * 256));
}

}  // namespace

float baselineConvert(const char* path, float matchColor, float newColor, bool stencil) {
  Image img;
  Psd h;
  if (!load(path, img) || !header(img, h)) return -1;
  int r1, g1, b1;
  matchSplit(matchColor, r1, g1, b1);
  int r2 = int(newColor * 0.0000152587890625f), g2 = int(newColor * 0.00390625f);
  int b2 = int(newColor - float(g2 * 256));
  size_t plane = size_t(h.width) * h.height;
  for (size_t k = 0; k < plane; ++k) {
    size_t r = h.data + k, g = r + plane, b = g + plane;
    bool match = img[r] == r1 && img[g] == g1 && img[b] == b1;
    if (match != stencil) {
      img[r] = uint8_t(r2);
      img[g] = uint8_t(g2);
      img[b] = uint8_t(b2);
    }
  }
  return save(path, img) ? 0 : -5;
}

float baselineGrayscale(const char* inPath, const char* outPath, int threshold) {
  Image img;
  Psd h;
  if (!load(inPath, img) || !header(img, h)) return -1;
  if (h.mode != 3) return -3;
  img[12] = 0, img[13] = 1, img[24] = 0, img[25] = 1;
  Image out(img.begin(), img.begin() + long(h.data));
  size_t plane = size_t(h.width) * h.height;
  for (size_t k = 0; k < plane; ++k) {
    int r = img[h.data + k], g = img[h.data + plane + k], b = img[h.data + 2 * plane + k];
    int v = int(((r * 0.333 + g * 0.333) + b * 0.333) + 0.5), gray;
    if (v > 255 || v == 255)
      gray = 255;
    else if (threshold >= v)
      gray = 0;
    else {
      gray = v - ((255 - v) * (threshold - 1)) / (255 - threshold);
      if (gray < 0) gray = 0;
    }
    out.push_back(uint8_t(gray));
  }
  return save(outPath, out) ? 0 : -5;
}

float baselineMerge(const char* topPath, const char* bottomPath, float keyColor) {
  int kr, kg, kb;
  matchSplit(keyColor, kr, kg, kb);
  Image top, img;
  Psd t, h;
  if (!load(topPath, top) || !header(top, t) || !load(bottomPath, img) || !header(img, h)) return -1;
  if (t.width != h.width || t.height != h.height) return -6;
  size_t plane = size_t(h.width) * h.height;
  for (size_t k = 0; k < plane; ++k) {
    size_t r = t.data + k;
    if (top[r] == kr && top[r + plane] == kg && top[r + 2 * plane] == kb) continue;
    for (int c = 0; c < 3; ++c) img[h.data + c * plane + k] = top[t.data + c * plane + k];
  }
  return save(topPath, img) ? 0 : -5;
}

float baselineHeal(const char* edgePath, const char* bodyPath, bool columns) {
  Image edge, img;
  Psd e, h;
  if (!load(edgePath, edge) || !header(edge, e)) return -1;
  if (e.height < 100 || e.width < 100) return -9;
  if (!load(bodyPath, img) || !header(img, h)) return -1;
  if (e.width != h.width || e.height != h.height) return -6;
  size_t w = size_t(h.width), ht = size_t(h.height), plane = w * ht;
  auto copy = [&](size_t toRow, size_t toCol, size_t fromRow, size_t fromCol) {
    for (size_t c = 0; c < 3; ++c) img[h.data + c * plane + toRow * w + toCol] = edge[e.data + c * plane + fromRow * w + fromCol];
  };
  if (!columns) {
    for (size_t y = 0; y < 10; ++y)
      for (size_t x = 0; x < w; ++x) copy(y, x, 50 + y, x);
    for (size_t y = 0; y < 10; ++y)
      for (size_t x = 0; x < w; ++x) copy(ht - 10 + y, x, 40 + y, x);
  } else {
    for (size_t y = 2; y <= ht - 2; ++y) {
      copy(y, 0, y, 50);
      copy(y, 1, y, 51);
      copy(y, w - 2, y, 48);
      copy(y, w - 1, y, 49);
    }
  }
  return save(edgePath, img) ? 0 : -5;
}

float baselineThumb(const char* path, int n) {
  Image img;
  Psd h;
  if (!load(path, img) || !header(img, h)) return -1;
  int H = h.height, W = h.width;
  bool wide = H <= W, small = H < n && W < n;
  int step = wide ? W / n : H / n;
  if (small || step == 0) step = 1;
  size_t plane = size_t(W) * H;
  int e = W - step * n, f = H - step * n;
  if (e > 0) e = n / e;
  if (f > 0) f = n / f;
  int top = wide ? (n - H / step) / 2 : 0, left = wide ? 0 : (n - W / step) / 2;
  size_t p = 0;
  int y = 0, x = 0, cc = 0, rc = 0, m = left;
  Image red, green, blue;
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      bool shows = small ? (y < H && x < W) : wide ? (top <= 0 && y < H) : (m <= 0 && x < W);
      if (shows && p < plane) {
        red.push_back(img[h.data + p]);
        green.push_back(img[h.data + plane + p]);
        blue.push_back(img[h.data + 2 * plane + p]);
      } else {
        red.push_back(0);
        green.push_back(0);
        blue.push_back(0);
      }
      int extra = 0;
      if (e > 0 && cc >= e) {
        extra = 1;
        cc = 0;
      } else {
        ++cc;
      }
      if (m <= 0) {
        p += size_t(step + extra);
        x += step + extra;
      }
      --m;
    }
    int extra = 0;
    if (f > 0 && rc >= f) {
      extra = 1;
      rc = 0;
    } else {
      ++rc;
    }
    if (top > 0) {
      --top;
      p = size_t(y) * W;
      x = 0;
    } else {
      if (!wide) m = left;
      y += step + extra;
      p = size_t(y) * W;
      x = 0;
    }
  }
  putBe32(img, 14, uint32_t(n));
  putBe32(img, 18, uint32_t(n));
  Image out(img.begin(), img.begin() + long(h.data));
  out.insert(out.end(), red.begin(), red.end());
  out.insert(out.end(), green.begin(), green.end());
  out.insert(out.end(), blue.begin(), blue.end());
  return save(path, out) ? 0 : -5;
}

float baselineCrop(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  Image bmp;
  if (!load(inPath, bmp)) return -1760;
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return -7;
  auto le = [&](size_t at) { return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 | uint32_t(bmp[at + 3]) << 24; };
  auto pad = [](int w) { int r = (3 * w) % 4; return r == 0 ? 0 : 4 - r; };
  uint32_t dataOffset = le(10);
  int width = int(le(18)), height = int(le(22));
  int rowBytes = 3 * width + pad(width), rows = height - 3, p = pad(cropWidth);
  size_t offset = size_t(rowBytes) + dataOffset + size_t(skipBytes);
  Image data;
  for (int r = 0; r < rows; ++r) {
    for (int k = 0; k < 3 * cropWidth; ++k) data.push_back(bmp[offset++]);
    for (int k = 0; k < p; ++k) data.push_back(0);
    offset += size_t(rowBytes - 3 * cropWidth);
  }
  uint32_t size = uint32_t(data.size());
  auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i)); };
  put(2, size + dataOffset);
  put(18, uint32_t(cropWidth));
  put(22, uint32_t(rows));
  put(34, size);
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  if (!out) return -5;
  out.write(reinterpret_cast<const char*>(bmp.data()), dataOffset);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return out ? 0 : -5;
}
