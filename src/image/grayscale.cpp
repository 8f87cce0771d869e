// Grayscale conversion: an RGB PSD to a one-channel PSD with a black
// threshold that stretches the levels above it.
#include <algorithm>

#include "common/in_order.h"
#include "common/result_codes.h"
#include "image/planes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// Gray value of each rounded mean v (0..255) for one threshold.
void grayLevels(int threshold, unsigned char (&out)[256]) {
  for (int v = 0; v < 256; ++v) {
    int gray;
    if (v == 255) {
      gray = 255;
    } else if (threshold >= v) {
      gray = 0;
    } else {
      // threshold < v <= 254 here, so the divisor is at least 1.
      int q = ((255 - v) * (threshold - 1)) / (255 - threshold);
      gray = std::max(v - q, 0);
    }
    out[v] = uint8_t(gray);
  }
}

// The gray value of every pixel for one threshold.
class GrayTable {
 public:
  explicit GrayTable(int threshold) {
    // r*0.333 for every byte value: the same doubles as multiplying each time.
    for (int i = 0; i < 256; ++i) third_[i] = i * 0.333;
    grayLevels(threshold, level_);
    // The rounded mean depends on r + g + b alone: 0.333 × s lies at least
    // 0.001 away from every rounding boundary n - 0.5, far beyond the
    // doubles' error, except at s = 500 (exactly 166.5), where the roundings
    // of the three products decide and the pixel is computed from them.
    for (unsigned s = 0; s < 766; ++s) {
      unsigned r = std::min(s, 255u), g = std::min(s - r, 255u);
      bySum_[s] = exact(r, g, s - r - g);
    }
  }

  // out[k] = gray value of pixel k; out may be r (each red byte is read
  // before it is overwritten).
  void convert(const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t n,
               unsigned char* out) const {
    for (size_t k = 0; k < n; ++k) {
      unsigned s = unsigned(r[k]) + g[k] + b[k];
      out[k] = s == 500 ? exact(r[k], g[k], b[k]) : bySum_[s];
    }
  }

 private:
  unsigned char exact(unsigned r, unsigned g, unsigned b) const {
    double sum = ((third_[r] + third_[g]) + third_[b]) + 0.5;
    return level_[int(sum)];  // 0..255 for any three bytes
  }

  double third_[256];
  unsigned char level_[256];
  unsigned char bySum_[766];
};

// The header of the output: the input's, one channel, grayscale mode.
void makeGrayHeader(unsigned char* head) {
  head[12] = 0, head[13] = 1;  // channels
  head[24] = 0, head[25] = 1;  // mode
}

bool grayStreamed(const char* inPath, const char* outPath, const GrayTable& table) {
  PSDStream s;
  if (!s.open(inPath, 3) || s.header().mode != 3) return false;
  OutFile out;
  if (!out.create(outPath)) return false;
  Bytes head(s.headerBytes(), s.headerBytes() + s.dataOffset());
  makeGrayHeader(head.data());
  out.write(head.data(), head.size());
  // Chunks of pixels are read and converted on two threads and written in
  // order: the table lookups of one chunk overlap the reading of the next.
  auto convert = [&](size_t i, TextBuffer& gray, Bytes& rgb) {
    RGBChunk c;
    if (!readRGB(s, i, rgb, c)) return false;
    char* into = gray.room(c.n);
    table.convert(c.r, c.g, c.b, c.n, reinterpret_cast<unsigned char*>(into));
    gray.advance(into + c.n);
    return true;
  };
  if (writePiecesInOrder(out, rgbChunks(s), convert) != Pieces::Written || !out.commit()) return false;
  s.keep();
  return true;
}

}  // namespace
}  // namespace tolvane

float GrayscalePSD(const char* inPath, const char* outPath, int threshold) {
  using namespace tolvane;
  const GrayTable table(std::clamp(threshold, 0, 255));
  if (grayStreamed(inPath, outPath, table)) return kOk;

  // Refusals and failed writes: the whole file in `img`.
  float loaded = loadPSD(inPath);
  if (loaded != kOk) return loaded;
  if (fHeader.mode != 3) return kPSDColorData;
  if (!planesFit(3)) return kBadFile;
  makeGrayHeader(img.data());
  size_t plane = size_t(planeBytes());
  unsigned char* red = img.data() + offst;
  table.convert(red, red + plane, red + 2 * plane, plane, red);

  // The output is the header followed by the gray plane, already in place.
  Bytes out;
  out.swap(img);
  out.resize(size_t(offst) + plane);
  bool written = writeBack(outPath, out);
  return written ? kOk : kOutputNotWritable;
}
