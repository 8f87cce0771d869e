// Number text must be printf's, byte for byte: formatG against
// snprintf("%g") on millions of values, with weight on floats widened to
// double (every Qiv coordinate), formatInt/formatUint against "%lld"/"%llu".
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/numfmt.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
constexpr uint64_t kScale = 8;  // sanitizers: same cases, fewer random draws
#else
constexpr uint64_t kScale = 1;
#endif

struct Checker {
  uint64_t checked = 0, failed = 0;
  void g(double v) {
#if defined(_WIN32)
    // MinGW's printf drops a NaN's sign; the library writes "-nan" on every
    // system, as pinned below.
    if (std::isnan(v)) return;
#endif
    char want[64], got[tolvane::kNumberRoom + 1];
    int n = std::snprintf(want, sizeof want, "%g", v);
    char* end = tolvane::formatG(got, v);
    ++checked;
    if ((end - got != n || std::memcmp(got, want, size_t(n)) != 0) && ++failed <= 20)
      ADD_FAILURE() << "formatG(" << std::hexfloat << v << ") = \"" << std::string(got, end) << "\", printf says \""
                    << want << "\"";
  }
  void gFloat(float f) { g(double(f)); }
  template <typename T, typename Bits>
  void bits(Bits b) {
    T v;
    std::memcpy(&v, &b, sizeof v);
    g(double(v));
  }
  ~Checker() { EXPECT_EQ(failed, 0u) << "of " << checked; }
};

}  // namespace

TEST(NumberText, FloatsWidenedToDoubleMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(20261206);
  for (uint64_t i = 0; i < 2000000 / kScale; ++i) c.bits<float>(uint32_t(rnd()));
  // Coordinates as modelling tools write them: few digits, modest range.
  for (uint64_t i = 0; i < 1000000 / kScale; ++i)
    c.gFloat(float(int64_t(rnd() % 20000001) - 10000000) / float(std::pow(10.0, double(rnd() % 9))));
  // Every 64th subnormal, the largest subnormals and the smallest normals.
  for (uint32_t bits = 1; bits < 0x800000u; bits += 64 * uint32_t(kScale)) c.bits<float>(bits);
  for (uint32_t bits = 0xFFFFFFu; bits >= 0x7FFF00u; --bits) c.bits<float>(bits);
}

TEST(NumberText, PowersOfTenAndTheirNeighboursMatchPrintf) {
  Checker c;
  for (int k = -46; k <= 39; ++k) {
    for (int m = 1; m <= 9; ++m) {
      float f = float(m * std::pow(10.0, k));
      for (float x : {f, -f}) {
        c.gFloat(x);
        for (float up = x, down = x, step = 0; step < 4; ++step)
          c.gFloat(up = std::nextafter(up, INFINITY)), c.gFloat(down = std::nextafter(down, -INFINITY));
      }
    }
    // Where six nines round up to the next decade.
    for (double x : {9.999995, 9.99999, 9.9999949, 9.9999951}) c.gFloat(float(x * std::pow(10.0, k)));
  }
  for (int k = -325; k <= 308; ++k) {
    double d = std::pow(10.0, k);
    for (double v : {d, std::nextafter(d, 0.0), std::nextafter(d, INFINITY), -d, 9.999995 * d, 999999.5 * d}) c.g(v);
  }
}

TEST(NumberText, DecimalTiesRoundLikePrintf) {
  // Values whose seventh significant digit is a 5 followed only by zeros:
  // q × 10^-s with q = 5^s × odd ends in 5 and is exact in binary.
  Checker c;
  std::mt19937_64 rnd(7);
  for (uint64_t i = 0; i < 60000 / kScale; ++i) {
    int s = int(rnd() % 8);
    double p5 = std::pow(5.0, s);
    uint64_t lo = uint64_t(std::ceil(1000005 / p5)), hi = uint64_t(9999995 / p5);
    double q = double((lo + rnd() % (hi - lo + 1)) | 1) * p5;
    if (q < 1000005 || q > 9999995) continue;
    for (int j = 0; j < 12; ++j) {
      double x = q / std::pow(10.0, s) * std::pow(10.0, j);
      for (double v : {x, -x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)}) c.g(v);
      c.gFloat(float(x));  // exact ties below 2^24, near ties above
    }
  }
  for (uint32_t m = 100000; m < 1000000; m += 7) c.gFloat(float(m) + 0.5f);
}

TEST(NumberText, DoublesAndSpecialValuesMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(99);
  for (uint64_t i = 0; i < 1000000 / kScale; ++i) c.bits<double>(rnd());
  for (uint64_t i = 0; i < 100000 / kScale; ++i) c.bits<double>(rnd() & 0x800FFFFFFFFFFFFFull);  // subnormals
  for (uint64_t i = 0; i < 500000 / kScale; ++i) c.g(std::ldexp(double(rnd() >> 11), -int(rnd() % 220) + 20));
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (double v : {0.0, -0.0, inf, -inf, nan, -nan, DBL_MAX, -DBL_MAX, DBL_MIN, DBL_TRUE_MIN, double(FLT_MAX),
                   double(FLT_MIN), double(FLT_TRUE_MIN), 1.0, 0.5, 0.1, 1e6, 1e-5, -2.25, 100000.0, 0.0001, 123456.0,
                   1234567.0, 0.00012345})
    c.g(v);
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
  for (int64_t v : {int64_t(0), int64_t(1), int64_t(-1), int64_t(INT32_MAX), int64_t(INT32_MIN),
                    int64_t(INT32_MAX) + 1, INT64_MAX, INT64_MIN})
    check(v);
  for (uint64_t i = 0; i < 1000000 / kScale; ++i) {
    uint64_t r = rnd();
    check(int64_t(r >> (r % 64)));
    check(-int64_t(r >> (1 + r % 63)));
  }
}
