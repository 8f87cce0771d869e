// Grayscale conversion: an RGB PSD to a one-channel PSD with a black
// threshold that stretches the levels above it.
#include <algorithm>

#include "common/result_codes.h"
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

// Writes the gray value of pixel k over the red byte of pixel k: each red
// byte is read before it is overwritten, so the planes convert in place.
void toGray(unsigned char* red, size_t plane, int threshold) {
  // r*0.333 for every byte value: the same doubles as multiplying each time.
  double third[256];
  for (int i = 0; i < 256; ++i) third[i] = i * 0.333;
  unsigned char level[256];
  grayLevels(threshold, level);
  auto gray = [&](unsigned r, unsigned g, unsigned b) {
    double sum = ((third[r] + third[g]) + third[b]) + 0.5;
    return level[int(sum)];  // 0..255 for any three bytes
  };
  // The rounded mean depends on r + g + b alone: 0.333 × s lies at least
  // 0.001 away from every rounding boundary n - 0.5, far beyond the doubles'
  // error, except at s = 500 (exactly 166.5), where the roundings of the
  // three products decide and the pixel is computed from them directly.
  unsigned char bySum[766];
  for (unsigned s = 0; s < 766; ++s) {
    unsigned r = std::min(s, 255u), g = std::min(s - r, 255u);
    bySum[s] = gray(r, g, s - r - g);
  }
  const unsigned char* green = red + plane;
  const unsigned char* blue = red + 2 * plane;
  for (size_t k = 0; k < plane; ++k) {
    unsigned s = unsigned(red[k]) + green[k] + blue[k];
    red[k] = s == 500 ? gray(red[k], green[k], blue[k]) : bySum[s];
  }
}

}  // namespace
}  // namespace tolvane

float GrayscalePSD(const char* inPath, const char* outPath, int threshold) {
  using namespace tolvane;
  float loaded = loadPSD(inPath);
  if (loaded != kOk) return loaded;
  if (fHeader.mode != 3) return kPSDColorData;
  if (!planesFit(3)) return kBadFile;

  writeShort(12, 1);  // one channel
  writeShort(24, 1);  // grayscale
  size_t plane = size_t(planeBytes());
  toGray(img.data() + offst, plane, std::clamp(threshold, 0, 255));

  // The output is the header followed by the gray plane, already in place.
  Bytes out;
  out.swap(img);
  out.resize(size_t(offst) + plane);
  bool written = writeBack(outPath, out);
  return written ? kOk : kOutputNotWritable;
}
