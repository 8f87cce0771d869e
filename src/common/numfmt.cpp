#include "common/numfmt.h"

#include "common/byte_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace tolvane {
namespace {

// Powers of ten 1e-40 ... 1e60, each the double nearest to it.
constexpr int kPow10Min = -40;
constexpr double kPow10[] = {
    1e-40, 1e-39, 1e-38, 1e-37, 1e-36, 1e-35, 1e-34, 1e-33, 1e-32, 1e-31, 1e-30, 1e-29,
    1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17,
    1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5,
    1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
    1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31,
    1e32, 1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39, 1e40, 1e41, 1e42, 1e43,
    1e44, 1e45, 1e46, 1e47, 1e48, 1e49, 1e50, 1e51, 1e52, 1e53, 1e54, 1e55,
    1e56, 1e57, 1e58, 1e59, 1e60,
};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// How close to a rounding tie the scaled value may come before the fast
// path leaves the decision to the exact formatter. The scaled value is off
// by less than 5e-10 (two roundings of at most half an ulp each, below 2e6).
constexpr double kTieMargin = 1e-6;

char* putTwoDigits(char* p, unsigned n) {
  std::memcpy(p, kDigitPairs + 2 * n, 2);
  return p + 2;
}

// Two digits as the low 16 bits of a register whose bytes are stored in
// memory order (little-endian machines only: see formatGFast).
uint64_t pairBits(unsigned n) {
  uint16_t b;
  std::memcpy(&b, kDigitPairs + 2 * n, 2);
  return b;
}
void storeBits(char* p, uint64_t bits) { std::memcpy(p, &bits, 8); }

// printf's %g for values in the range of floats (2^-150 to 2^128), which is
// every coordinate of a Qiv file: scale to a 6-digit integer n with one
// multiplication, round, and lay out n × 10^(e - 5). Returns nullptr when
// the value is outside that range or its seventh digit onward is too close
// to a tie to call.
char* formatGFast(char* out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  const int binaryExp = int((bits >> 52) & 0x7FF) - 1023;  // floor(log2 |v|) for normal values
  if (!kLittleEndian || binaryExp < -150 || binaryExp > 127) return nullptr;
  const double a = std::fabs(v);
  int e = (binaryExp * 78913) >> 18;  // floor(binaryExp × log10 2): e or e + 1 is floor(log10 a)
  double t = a * kPow10[5 - e - kPow10Min];
  if (t >= 999999.5 - kTieMargin) {
    if (t <= 999999.5 + kTieMargin) return nullptr;
    ++e;  // seven digits, or six that round up to seven: one decade up
    t = a * kPow10[5 - e - kPow10Min];
  }
  uint32_t n = uint32_t(t);
  const double frac = t - double(n);
  if (std::fabs(frac - 0.5) < kTieMargin) return nullptr;
  n += uint32_t(frac > 0.5);  // a coin toss per value: no branch to mispredict
  if (n == 1000000) {
    n = 100000;
    ++e;
  }
  if (n < 100000 || n > 999999) return nullptr;

  // The six digits as bytes of one register, in text order, then the
  // layout: stores are of fixed sizes (the caller's kNumberRoom bytes leave
  // space) and the end is set by the number of digits left once trailing
  // zeros are dropped.
  const uint64_t digits = pairBits(n / 10000) | pairBits(n / 100 % 100) << 16 | pairBits(n % 100) << 32;
  // Digits kept: up to the last that is not '0' (the first never is), read
  // off the register instead of five remainders.
  const int len = (63 - __builtin_clzll(digits ^ 0x303030303030ull)) / 8 + 1;

  char* p = out;
  *p = '-';
  p += std::signbit(v);
  if (e >= 6 || e < -4) {
    p[0] = char(digits);
    p[1] = '.';
    storeBits(p + 2, digits >> 8);
    p += len > 1 ? len + 1 : 1;
    p[0] = 'e';
    p[1] = e < 0 ? '-' : '+';
    return putTwoDigits(p + 2, unsigned(e < 0 ? -e : e));  // |e| <= 46 here
  }
  if (e < 0) {
    std::memcpy(p, "0.000", 5);
    p += 1 - e;
    storeBits(p, digits);
    return p + len;
  }
  const int whole = e + 1;
  storeBits(p, digits);
  p[whole] = '.';
  storeBits(p + whole + 1, digits >> (8 * whole));
  return p + (len > whole ? len + 1 : whole);
}

}  // namespace

char* formatG(char* out, double v) {
  if (v == 0) {
    if (std::signbit(v)) *out++ = '-';
    *out++ = '0';
    return out;
  }
  if (char* end = formatGFast(out, v)) return end;
  // to_chars with a precision is defined as printf's "%.*g": the exact
  // answer for ties, near-ties and values beyond the range of floats.
  return std::to_chars(out, out + kNumberRoom, v, std::chars_format::general, 6).ptr;
}

char* formatLargeUint(char* out, uint64_t v) { return std::to_chars(out, out + kNumberRoom, v).ptr; }

}  // namespace tolvane
