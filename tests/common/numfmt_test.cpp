// Number text must be printf's, byte for byte: formatG against
// snprintf("%g") on millions of floats widened to double (every Qiv
// coordinate is one), formatInt/formatUint against "%lld"/"%llu".
#include "common/numfmt.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
constexpr uint64_t kScale = 8;  // sanitizers: same cases, fewer random draws
#else
constexpr uint64_t kScale = 1;
#endif

template <typename T, typename Bits>
T fromBits(Bits b) {
  T v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

struct Checker {
  uint64_t checked = 0, failed = 0;
  void g(double v) {
#if defined(_WIN32)
    if (std::isnan(v)) return;  // MinGW's printf drops a NaN's sign; "-nan" is pinned below
#endif
    char want[64], got[tolvane::kNumberRoom + 1];
    int n = std::snprintf(want, sizeof want, "%g", v);
    char* end = tolvane::formatG(got, v);
    ++checked;
    if ((end - got != n || std::memcmp(got, want, size_t(n)) != 0) && ++failed <= 20)
      ADD_FAILURE() << "formatG(" << std::hexfloat << v << ") = \"" << std::string(got, end) << "\", printf says \""
                    << want << "\"";
  }
  void f(float x) { g(double(x)); }
  void floatBits(uint32_t b) { f(fromBits<float>(b)); }
  ~Checker() { EXPECT_EQ(failed, 0u) << "of " << checked; }
};

}  // namespace

TEST(NumberText, FloatsWidenedToDoubleMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(20261206);
  for (uint64_t i = 0; i < 2000000 / kScale; ++i) c.floatBits(uint32_t(rnd()));
  // Coordinates as modelling tools write them: few digits, modest range.
  for (uint64_t i = 0; i < 1000000 / kScale; ++i)
    c.f(float(int64_t(rnd() % 20000001) - 10000000) / float(std::pow(10.0, double(rnd() % 9))));
  // Every 64th subnormal, the largest subnormals and the smallest normals.
  for (uint32_t bits = 1; bits < 0x800000u; bits += 64 * uint32_t(kScale)) c.floatBits(bits);
  for (uint32_t bits = 0xFFFFFFu; bits >= 0x7FFF00u; --bits) c.floatBits(bits);
  // Powers of ten and their neighbours, and where six nines round up.
  for (int k = -46; k <= 39; ++k) {
    for (int m = 1; m <= 9; ++m) {
      for (float x : {float(m * std::pow(10.0, k)), -float(m * std::pow(10.0, k))}) {
        c.f(x);
        for (float up = x, down = x, step = 0; step < 4; ++step)
          c.f(up = std::nextafter(up, INFINITY)), c.f(down = std::nextafter(down, -INFINITY));
      }
    }
    for (double x : {9.999995, 9.99999, 9.9999949, 9.9999951}) c.f(float(x * std::pow(10.0, k)));
  }
  for (uint32_t m = 100000; m < 1000000; m += 7) c.f(float(m) + 0.5f);
}

TEST(NumberText, TiesAndSpecialValuesMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(99);
  // Near values whose seventh significant digit is a 5 followed only by
  // zeros: q × 10^-s with q = 5^s × odd ends in 5 and is exact in binary.
  for (uint64_t i = 0; i < 60000 / kScale; ++i) {
    int s = int(rnd() % 8);
    double p5 = std::pow(5.0, s);
    uint64_t lo = uint64_t(std::ceil(1000005 / p5)), hi = uint64_t(9999995 / p5);
    double q = double((lo + rnd() % (hi - lo + 1)) | 1) * p5;
    for (int j = 0; j < 12 && q >= 1000005 && q <= 9999995; ++j)
      c.f(float(q / std::pow(10.0, s) * std::pow(10.0, j)));  // exact ties below 2^24, near ties above
  }
  const float inf = INFINITY, nan = NAN;
  for (float v : {0.0f, -0.0f, inf, -inf, nan, -nan, FLT_MAX, FLT_MIN, FLT_TRUE_MIN, 0.1f, 1e6f, 1e-5f, 100000.0f,
                  0.0001f, 123456.0f, 1234567.0f})
    c.f(v);
  char buf[tolvane::kNumberRoom];
  EXPECT_EQ(std::string(buf, tolvane::formatG(buf, -nan)), "-nan");
  EXPECT_EQ(std::string(buf, tolvane::formatG(buf, -inf)), "-inf");
}

TEST(NumberText, IntegersMatchPrintf) {
  std::mt19937_64 rnd(3);
  char want[32], got[tolvane::kNumberRoom];
  uint64_t failed = 0;
  auto check = [&](int64_t v) {
    std::snprintf(want, sizeof want, "%lld", static_cast<long long>(v));
    if (std::string(got, tolvane::formatInt(got, v)) != want && ++failed <= 10) ADD_FAILURE() << v;
    std::snprintf(want, sizeof want, "%llu", static_cast<unsigned long long>(v));
    if (std::string(got, tolvane::formatUint(got, uint64_t(v))) != want && ++failed <= 10) ADD_FAILURE() << v;
  };
  for (int64_t v :
       {int64_t(0), int64_t(1), int64_t(-1), int64_t(INT32_MIN), int64_t(INT32_MAX) + 1, INT64_MAX, INT64_MIN})
    check(v);
  for (uint64_t i = 0; i < 1000000 / kScale; ++i) {
    uint64_t r = rnd();
    check(int64_t(r >> (r % 64)));
    check(-int64_t(r >> (1 + r % 63)));
  }
}
