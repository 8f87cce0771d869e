// Grayscale conversion: an RGB PSD to a one-channel PSD with a black
// threshold that stretches the levels above it.
#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/atomic_file.h"
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
    chooseArithmetic(threshold);
  }

  // out[k] = gray value of pixel k; out may be r (each red byte is read
  // before it is overwritten).
  void convert(const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t n,
               unsigned char* out) const {
    size_t k = 0;
#ifdef __SSE2__
    if (arithmetic_) k = convert16(r, g, b, n, out);
#endif
    for (; k < n; ++k) {
      unsigned s = unsigned(r[k]) + g[k] + b[k];
      out[k] = s == 500 ? exact(r[k], g[k], b[k]) : bySum_[s];
    }
  }

 private:
  unsigned char exact(unsigned r, unsigned g, unsigned b) const {
    double sum = ((third_[r] + third_[g]) + third_[b]) + 0.5;
    return level_[int(sum)];  // 0..255 for any three bytes
  }

  // The table in arithmetic that sixteen pixels at a time can do: the mean
  // as (s + 2) * 21802 >> 16, and the stretch's quotient as a multiply by
  // `magic_` >> 16 + `shift_` (the 16-bit dividend at most 254 * 253). Kept
  // only when it gives the table's value for every sum but 500 (those
  // pixels are computed the long way after).
  static unsigned meanOf(unsigned s) { return (s + 2) * 21802 >> 16; }
  unsigned grayOf(unsigned v) const {
    const unsigned q = (((255 - v) * stretch_ & 0xFFFF) * magic_ >> 16) >> shift_;
    const unsigned gray = v > threshold_ ? (v > q ? v - q : 0) : 0;
    return v == 255 ? 255 : gray;
  }
  void chooseArithmetic(int threshold) {
    threshold_ = unsigned(threshold);
    stretch_ = threshold >= 2 ? unsigned(threshold - 1) : 0;
    const unsigned d = 255 - unsigned(threshold);
    for (shift_ = 0; shift_ <= 8; ++shift_) {
      // Thresholds of 254 and 255 stretch nothing: only v = 255 is above.
      magic_ = d >= 2 ? ((1u << (16 + shift_)) + d - 1) / d : 0;
      arithmetic_ = magic_ <= 0xFFFF;
      for (unsigned s = 0; s < 766 && arithmetic_; ++s)
        arithmetic_ = s == 500 || grayOf(meanOf(s)) == bySum_[s];
      if (arithmetic_) return;
    }
  }
#ifdef __SSE2__
  // Whole groups of 16 pixels; how many pixels were done.
  size_t convert16(const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t n,
                   unsigned char* out) const {
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2), mean = _mm_set1_epi16(21802);
    const __m128i stretch = _mm_set1_epi16(short(stretch_)), magic = _mm_set1_epi16(short(magic_));
    const __m128i shift = _mm_cvtsi32_si128(int(shift_)), threshold = _mm_set1_epi16(short(threshold_));
    const __m128i all = _mm_set1_epi16(255), tie = _mm_set1_epi16(500);
    size_t k = 0;
    for (; k + 16 <= n; k += 16) {
      const __m128i R = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + k));
      const __m128i G = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + k));
      const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k));
      __m128i half[2], ties[2];
      for (int h = 0; h < 2; ++h) {
        auto widen = [&](__m128i x) { return h == 0 ? _mm_unpacklo_epi8(x, zero) : _mm_unpackhi_epi8(x, zero); };
        const __m128i s = _mm_add_epi16(_mm_add_epi16(widen(R), widen(G)), widen(B));
        const __m128i v = _mm_mulhi_epu16(_mm_add_epi16(s, two), mean);
        const __m128i num = _mm_mullo_epi16(_mm_sub_epi16(all, v), stretch);
        const __m128i q = _mm_srl_epi16(_mm_mulhi_epu16(num, magic), shift);
        const __m128i above = _mm_and_si128(_mm_subs_epu16(v, q), _mm_cmpgt_epi16(v, threshold));
        half[h] = _mm_or_si128(above, _mm_and_si128(_mm_cmpeq_epi16(v, all), all));
        ties[h] = _mm_cmpeq_epi16(s, tie);
      }
      // Ties are computed before the store: out may be r.
      alignas(16) unsigned char gray[16];
      _mm_store_si128(reinterpret_cast<__m128i*>(gray), _mm_packus_epi16(half[0], half[1]));
      for (int m = _mm_movemask_epi8(_mm_packs_epi16(ties[0], ties[1])); m != 0; m &= m - 1) {
        const size_t i = size_t(__builtin_ctz(unsigned(m)));
        gray[i] = exact(r[k + i], g[k + i], b[k + i]);
      }
      std::memcpy(out + k, gray, 16);
    }
    return k;
  }
#endif

  double third_[256];
  unsigned char level_[256];
  unsigned char bySum_[766];
  bool arithmetic_ = false;
  unsigned threshold_ = 0, stretch_ = 0, magic_ = 0, shift_ = 0;
};

// The header of the output: the input's, one channel, grayscale mode.
void makeGrayHeader(unsigned char* head) {
  head[12] = 0, head[13] = 1;  // channels
  head[24] = 0, head[25] = 1;  // mode
}

// Chunks of pixels are read and converted on two threads and written in
// order: the table lookups of one chunk overlap the reading of the next.
float writeGray(PSDStream& s, const GrayTable& table, AtomicFile& out) {
  Bytes head(s.headerBytes(), s.headerBytes() + s.dataOffset());
  makeGrayHeader(head.data());
  out.write(head.data(), head.size());
  auto convert = [&](size_t i, TextBuffer& gray, Bytes& rgb) {
    RGBChunk c;
    if (!readRGB(s, i, rgb, c)) return false;
    char* into = gray.room(c.n);
    table.convert(c.r, c.g, c.b, c.n, reinterpret_cast<unsigned char*>(into));
    gray.advance(into + c.n);
    return true;
  };
  return codeOf(writePiecesInOrder(out, rgbChunks(s), convert));
}

}  // namespace

float grayscalePSD(const char* inPath, const char* outPath, int threshold) {
  const GrayTable table(std::clamp(threshold, 0, 255));
  PSDStream s;
  float code = s.open(inPath);
  if (code == kOk && s.header().mode != 3) code = kNotRGB;
  if (code == kOk && !s.holds(3)) code = kBadFile;
  AtomicFile out;
  if (code == kOk) code = out.create(outPath) ? writeGray(s, table, out) : kOutputNotWritable;
  return endPSD(finish(code, out, s), {&s});
}

}  // namespace tolvane
