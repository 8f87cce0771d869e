// Thumbnail: replace a PSD by a size x size point-sampled copy. The source is
// stepped by a whole number of pixels, the remainder spread by occasional
// extra steps, and the shorter side centred between margins.
#include <cstring>

#include "common/result_codes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// Thumbnails above this size are refused: 3 x 16384^2 bytes is already
// 768 MiB of planes.
constexpr int kMaxThumbSize = 16384;

struct Sampling {
  int64_t w = 0, h = 0, n = 0;
  bool wide = true, small = false;
  int64_t step = 1;
  int64_t colPeriod = 0, rowPeriod = 0;  // extra step every so many; <= 0 none
  int64_t top = 0, left = 0;             // margins; <= 0 none
};

Sampling plan(int64_t w, int64_t h, int64_t n) {
  Sampling s;
  s.w = w, s.h = h, s.n = n;
  s.wide = h <= w;
  s.step = s.wide ? w / n : h / n;
  s.small = h < n && w < n;
  if (s.small || s.step == 0) s.step = 1;
  s.colPeriod = w - s.step * n;
  if (s.colPeriod > 0) s.colPeriod = n / s.colPeriod;
  s.rowPeriod = h - s.step * n;
  if (s.rowPeriod > 0) s.rowPeriod = n / s.rowPeriod;
  if (s.wide) {
    s.top = (n - h / s.step) / 2;
  } else {
    s.left = (n - w / s.step) / 2;
  }
  return s;
}

// Fills the three n x n output planes from the three source planes. Samples
// that fall past the end of the source plane are black.
void sample(Sampling s, const unsigned char* src, size_t plane, unsigned char* out) {
  const size_t n2 = size_t(s.n) * size_t(s.n);
  unsigned char *outR = out, *outG = out + n2, *outB = out + 2 * n2;
  int64_t p = 0, y = 0, x = 0, cc = 0, rc = 0, m = s.left;
  size_t o = 0;
  for (int64_t row = 0; row < s.n; ++row) {
    for (int64_t col = 0; col < s.n; ++col, ++o) {
      bool shows = s.small ? (y < s.h && x < s.w) : s.wide ? (s.top <= 0 && y < s.h) : (m <= 0 && x < s.w);
      if (shows && p >= 0 && uint64_t(p) < plane) {
        outR[o] = src[p];
        outG[o] = src[plane + size_t(p)];
        outB[o] = src[2 * plane + size_t(p)];
      } else {
        outR[o] = outG[o] = outB[o] = 0;
      }
      int64_t extra = 0;
      if (s.colPeriod > 0 && cc >= s.colPeriod) {
        extra = 1, cc = 0;
      } else {
        ++cc;
      }
      if (m <= 0) p += s.step + extra, x += s.step + extra;
      --m;
    }
    int64_t extra = 0;
    if (s.rowPeriod > 0 && rc >= s.rowPeriod) {
      extra = 1, rc = 0;
    } else {
      ++rc;
    }
    if (s.top > 0) {
      // A margin row: back to the start of the same source row.
      --s.top;
    } else {
      if (!s.wide) m = s.left;
      y += s.step + extra;
    }
    p = y * s.w;
    x = 0;
  }
}

}  // namespace
}  // namespace tolvane

float createThumb(const char* path, int size) {
  using namespace tolvane;
  if (size < 1 || size > kMaxThumbSize) return kOutsideImage;
  float loaded = loadPSD(path);
  if (loaded != kOk) return loaded;
  if (!planesFit(3)) return kBadFile;

  const size_t head = size_t(offst);
  const size_t n2 = size_t(size) * size_t(size);
  writeLong(14, size);
  writeLong(18, size);
  // The thumbnail holds three planes whatever the source had.
  if (fHeader.channels > 3) writeShort(12, 3);

  Bytes out(head + 3 * n2);
  std::memcpy(out.data(), img.data(), head);
  Sampling s = plan(fHeader.width, fHeader.height, size);
  sample(s, img.data() + head, size_t(planeBytes()), out.data() + head);

  if (!writeBack(path, out)) return kOutputNotWritable;
  emptyImage(img);
  return kOk;
}
