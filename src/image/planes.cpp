// PSD planes read in pieces, and pixel masks.
#include "image/planes.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/atomic_file.h"
#include "common/result_codes.h"

namespace tolvane {
namespace {

// The header is parsed from this many bytes first, from more when its
// sections reach further.
constexpr uint64_t kFrontBytes = uint64_t(64) << 10;

bool isByte(int64_t v) { return v >= 0 && v <= 255; }

// Bit i set where byte i of `bytes` (each 0x00 or 0xFF) is 0xFF.
uint8_t packMask(uint64_t bytes) {
  return uint8_t((((bytes >> 7) & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56);
}

// Byte i 0xFF where bit i of `bits` is set, else 0x00.
uint64_t unpackMask(uint8_t bits) {
  uint64_t spread = (bits * 0x0101010101010101ull) & 0x8040201008040201ull;  // byte i keeps bit i
  return (((spread + 0x7F7F7F7F7F7F7F7Full) & 0x8080808080808080ull) >> 7) * 0xFF;
}

}  // namespace

float PSDStream::open(const char* path) {
  tried_ = true;
  path_ = path;
  if (!file_.open(path)) return kFailed;
  float parsed = kBadFile;
  for (uint64_t want = kFrontBytes;; want *= 2) {
    front_ = file_.upTo(want);
    parsed = parsePSDHeader(front_, header_, offst_);
    if (parsed != kBadFile || front_.size < want) break;
  }
  plane_ = size_t(std::max<int64_t>(planeBytes(header_), 0));
  return parsed;
}

bool PSDStream::holds(int planes) const {
  return planeBytes(header_) >= 0 && file_.holds(uint64_t(offst_), uint64_t(plane_) * uint64_t(planes));
}

bool PSDStream::copyTail(int planes, AtomicFile& out) {
  const uint64_t start = uint64_t(offst_) + uint64_t(planes) * plane_, end = file_.size();
  if (!out.copyFrom(file_, start, end - start)) return false;
  // A file that grew since it was opened would lose its new end.
  unsigned char past;
  return !file_.seekable().isOpen() || file_.seekable().readAt(end, &past, 1) == 0;
}

void colourMask(const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t n,
                const ColorParts& colour, bool invert, unsigned char* mask) {
  const uint8_t flip = invert ? 0xFF : 0;
  const bool matchable = isByte(colour.r) && isByte(colour.g) && isByte(colour.b);
  const uint8_t cr = uint8_t(colour.r), cg = uint8_t(colour.g), cb = uint8_t(colour.b);
  size_t k = 0;
#if defined(__SSE2__)
  if (matchable) {
    const __m128i vr = _mm_set1_epi8(char(cr)), vg = _mm_set1_epi8(char(cg)), vb = _mm_set1_epi8(char(cb));
    auto load16 = [](const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    for (; k + 16 <= n; k += 16) {
      __m128i same = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(load16(r + k), vr), _mm_cmpeq_epi8(load16(g + k), vg)),
                                   _mm_cmpeq_epi8(load16(b + k), vb));
      // Bit i of the movemask is byte i's top bit: pixel k + i.
      unsigned bits = unsigned(_mm_movemask_epi8(same));
      mask[k / 8] = uint8_t(bits) ^ flip;
      mask[k / 8 + 1] = uint8_t(bits >> 8) ^ flip;
    }
  }
#endif
  for (; k + 8 <= n; k += 8) {
    uint8_t same = matchable ? packMask(sameColour8(r + k, g + k, b + k, cr, cg, cb)) : 0;
    mask[k / 8] = same ^ flip;
  }
  if (k == n) return;
  uint8_t same = 0;
  for (size_t i = k; i < n; ++i) {
    if (matchable && r[i] == cr && g[i] == cg && b[i] == cb) same |= uint8_t(1u << (i - k));
  }
  mask[k / 8] = same ^ flip;
}

void applyMask(unsigned char* plane, const unsigned char* over, uint8_t value, const unsigned char* mask, size_t n) {
  const uint64_t fill = 0x0101010101010101ull * value;
  auto blend8 = [&](size_t k) {
    const uint64_t take = unpackMask(mask[k / 8]);
    const uint64_t from = over ? load8(over + k) : fill;
    store8(plane + k, (load8(plane + k) & ~take) | (from & take));
  };
  size_t k = 0;
  // 64 pixels at a time: masks mostly come in long runs of all or nothing.
  for (; k + 64 <= n; k += 64) {
    const uint64_t bits = load8(mask + k / 8);
    if (bits == 0) continue;
    if (bits == ~uint64_t(0)) {
      if (over) {
        std::memcpy(plane + k, over + k, 64);
      } else {
        std::memset(plane + k, value, 64);
      }
      continue;
    }
    for (size_t i = k; i < k + 64; i += 8) blend8(i);
  }
  for (; k + 8 <= n; k += 8) blend8(k);
  for (; k < n; ++k) {
    if (mask[k / 8] >> (k % 8) & 1) plane[k] = over ? over[k] : value;
  }
}

}  // namespace tolvane
