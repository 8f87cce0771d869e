// Number text, byte for byte as the C library's printf writes it.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/byte_reader.h"

namespace tolvane {

// Room that every formatter below needs at `out`. The formatters may use
// bytes of that room past the end they return as scratch.
constexpr int kNumberRoom = 32;

// `v` as printf("%g") writes it: 6 significant digits, exponent form below
// 1e-4 and from 1e6 on, trailing zeros dropped; "inf", "-inf", "nan", "-nan".
// Returns the end of the text (no terminating NUL).
char* formatG(char* out, double v);

// ---------------------------------------------------------------------------
// Face numbers and counts are mostly below 10^8, and an export writes
// millions of them: the formatters are inline, and below 10^8 build the eight
// digits (leading zeros included) in one register with a few
// multiplications, then store them at once, shifted so that the number's
// own digits come first.

char* formatLargeUint(char* out, uint64_t v);

// The digits of n < 10^8, one per byte, the most significant first in memory
// (little-endian machines).
inline uint64_t eightDigits(uint32_t n) {
  // Two four-digit halves, each split into two pairs, each pair into two
  // digits, all lanes at once.
  const uint64_t halves = uint64_t(n / 10000) | uint64_t(n % 10000) << 32;
  const uint64_t high = ((halves * 10486) >> 20) & 0x0000007F0000007Fu;  // /100 per lane
  const uint64_t pairs = ((halves - 100 * high) << 16) + high;
  const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Fu;  // /10 per lane
  return tens + ((pairs - 10 * tens) << 8);
}

// Plain decimal integers.
inline char* formatUint(char* out, uint64_t v) {
  if (!kLittleEndian || v >= 100000000) return formatLargeUint(out, v);
  const uint64_t digits = eightDigits(uint32_t(v));
  const int zeros = digits == 0 ? 7 : __builtin_ctzll(digits) >> 3;  // leading zero digits
  const uint64_t text = (digits >> (8 * zeros)) + 0x3030303030303030u;
  std::memcpy(out, &text, 8);
  return out + 8 - zeros;
}

inline char* formatInt(char* out, int64_t v) {
  if (v >= 0) return formatUint(out, uint64_t(v));
  *out++ = '-';
  return formatUint(out, 0 - uint64_t(v));
}

}  // namespace tolvane
