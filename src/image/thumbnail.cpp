// Thumbnail: replace a PSD by a size x size point-sampled copy. The source is
// stepped by a whole number of pixels, the remainder spread by occasional
// extra steps, and the shorter side centred between margins.
#include <algorithm>
#include <cstring>

#include "common/result_codes.h"
#include "common/rewrite_lock.h"
#include "image/planes.h"
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

Sampling planOf(int64_t w, int64_t h, int64_t n) {
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

// Bytes start .. start + len - 1 of each of the three source planes.
struct Window {
  const unsigned char* planes[3] = {nullptr, nullptr, nullptr};
  int64_t start = 0, len = 0;
  bool holds(int64_t p) const { return p >= start && p - start < len; }
};

// Fills the three n x n output planes from the three source planes of
// `plane` bytes each. fetch(p, window) points the window at source pixels
// from p on, as many as it has at hand; it is asked whenever a sample lies
// outside it. Samples that fall past the end of the source plane are black.
template <class Fetch>
bool sample(Sampling s, int64_t plane, Fetch fetch, unsigned char* out) {
  const size_t n2 = size_t(s.n) * size_t(s.n);
  unsigned char *outR = out, *outG = out + n2, *outB = out + 2 * n2;
  Window src;
  int64_t p = 0, y = 0, x = 0, cc = 0, rc = 0, m = s.left;
  size_t o = 0;
  for (int64_t row = 0; row < s.n; ++row) {
    for (int64_t col = 0; col < s.n; ++col, ++o) {
      bool shows = s.small ? (y < s.h && x < s.w) : s.wide ? (s.top <= 0 && y < s.h) : (m <= 0 && x < s.w);
      if (shows && p >= 0 && p < plane) {
        if (!src.holds(p) && !fetch(p, src)) return false;
        size_t at = size_t(p - src.start);
        outR[o] = src.planes[0][at];
        outG[o] = src.planes[1][at];
        outB[o] = src.planes[2][at];
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
  return true;
}

// The source bytes one thumbnail row can show from its first sample on: a
// source row when samples stop at the right edge (tall and small images),
// else as far as n steps go; capped to keep the buffers small.
int64_t rowSpan(const Sampling& s) {
  constexpr int64_t kMaxSpan = int64_t(1) << 20;
  int64_t span = s.small || !s.wide ? s.w : (s.n - 1) * (s.step + 1) + 1;
  return std::max<int64_t>(1, std::min(span, kMaxSpan));
}

// The thumbnail's header: the source's, `size` x `size`, and three planes
// whatever the source had.
void thumbHeader(unsigned char* head, int size, int channels) {
  putBe32(head + 14, uint32_t(size));
  putBe32(head + 18, uint32_t(size));
  if (channels > 3) head[12] = 0, head[13] = 3;
}

// Reads only the source rows the samples fall on.
float writeThumb(PSDStream& s, int size) {
  const size_t head = size_t(s.dataOffset()), n2 = size_t(size) * size_t(size);
  Bytes out(head + 3 * n2);
  std::memcpy(out.data(), s.headerBytes(), head);
  thumbHeader(out.data(), size, s.header().channels);
  const Sampling plan = planOf(s.header().width, s.header().height, size);
  const int64_t plane = int64_t(s.plane()), span = rowSpan(plan);
  Bytes buf(3 * size_t(span));
  auto fetch = [&](int64_t p, Window& w) {
    w.start = p;
    w.len = std::min(span, plane - p);
    for (int c = 0; c < 3; ++c) {
      unsigned char* into = buf.data() + size_t(c) * size_t(span);
      if (!s.readPlane(c, size_t(p), size_t(w.len), into)) return false;
      w.planes[c] = into;
    }
    return true;
  };
  if (!sample(plan, plane, fetch, out.data() + head)) return kBadFile;
  s.close();  // Windows will not let a new file take the name of one still open
  return writeBack(s.path(), out) ? kOk : kOutputNotWritable;
}

}  // namespace

float makeThumbnail(const char* path, int size) {
  const RewriteLock lock(path);
  PSDStream s;
  if (size < 1 || size > kMaxThumbSize) return endPSD(kOutsideImage, {&s});
  float code = s.open(path);
  if (code == kOk && !s.holds(3)) code = kBadFile;
  if (code == kOk) code = writeThumb(s, size);
  // A file left unwritten stays loaded, its header already the thumbnail's.
  const int channels = s.header().channels;
  auto unwritten = [&](unsigned char* file, size_t, size_t) { thumbHeader(file, size, channels); };
  return endPSD(code, {&s}, unwritten);
}

}  // namespace tolvane
