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

// Counts mismatches against printf, reporting the first few.
struct Checker {
  uint64_t checked = 0, failed = 0;
  void same(const std::string& got, const char* want, double v) {
    ++checked;
    if (got != want && ++failed <= 20) ADD_FAILURE() << std::hexfloat << v << ": \"" << got << "\", printf: " << want;
  }
  void f(float x) {
    const double v = x;
#if defined(_WIN32)
    if (std::isnan(v)) return;  // MinGW's printf drops a NaN's sign; "-nan" is pinned below
#endif
    char want[64], got[tolvane::kNumberRoom + 1];
    std::snprintf(want, sizeof want, "%g", v);
    same(std::string(got, tolvane::formatG(got, v)), want, v);
  }
  void bits(uint32_t b) {
    float x;
    std::memcpy(&x, &b, 4);
    f(x);
  }
  ~Checker() { EXPECT_EQ(failed, 0u) << "of " << checked; }
};

}  // namespace

TEST(NumberText, FloatsWidenedToDoubleMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(20261206);
  for (uint64_t i = 0; i < 2000000 / kScale; ++i) c.bits(uint32_t(rnd()));
  // Coordinates as modelling tools write them: few digits, modest range.
  for (uint64_t i = 0; i < 1000000 / kScale; ++i)
    c.f(float(int64_t(rnd() % 20000001) - 10000000) / float(std::pow(10.0, double(rnd() % 9))));
  // Every 64th subnormal, the largest subnormals and the smallest normals.
  for (uint32_t b = 1; b < 0x800000u; b += 64 * uint32_t(kScale)) c.bits(b);
  for (uint32_t b = 0xFFFFFFu; b >= 0x7FFF00u; --b) c.bits(b);
  // Powers of ten and their neighbours, and where six nines round up.
  for (int k = -46; k <= 39; ++k) {
    for (int m = 1; m <= 9; ++m)
      for (float x : {float(m * std::pow(10.0, k)), -float(m * std::pow(10.0, k))}) {
        c.f(x);
        for (float up = x, down = x, step = 0; step < 4; ++step)
          c.f(up = std::nextafter(up, INFINITY)), c.f(down = std::nextafter(down, -INFINITY));
      }
    for (double x : {9.999995, 9.99999, 9.9999949, 9.9999951}) c.f(float(x * std::pow(10.0, k)));
  }
  for (uint32_t m = 100000; m < 1000000; m += 7) c.f(float(m) + 0.5f);
  // Seventh significant digit 5 then zeros: q × 10^-s, q = 5^s × odd.
  for (uint64_t i = 0; i < 60000 / kScale; ++i) {
    int s = int(rnd() % 8);
    double p5 = std::pow(5.0, s);
    uint64_t lo = uint64_t(std::ceil(1000005 / p5)), hi = uint64_t(9999995 / p5);
    double q = double((lo + rnd() % (hi - lo + 1)) | 1) * p5;
    for (int j = 0; j < 12 && q >= 1000005 && q <= 9999995; ++j)
      c.f(float(q / std::pow(10.0, s) * std::pow(10.0, j)));  // exact ties below 2^24, near ties above
  }
  const float inf = INFINITY, nan = NAN;
  for (float v : {0.0f, -0.0f, inf, -inf, nan, -nan, FLT_MAX, FLT_MIN, FLT_TRUE_MIN, 0.0001f, 123456.0f, 1234567.0f})
    c.f(v);
  char buf[tolvane::kNumberRoom];
  EXPECT_EQ(std::string(buf, tolvane::formatG(buf, -nan)), "-nan");
  EXPECT_EQ(std::string(buf, tolvane::formatG(buf, -inf)), "-inf");
}

TEST(NumberText, IntegersMatchPrintf) {
  Checker c;
  std::mt19937_64 rnd(3);
  char want[32], got[tolvane::kNumberRoom];
  auto check = [&](int64_t v) {
    std::snprintf(want, sizeof want, "%lld", static_cast<long long>(v));
    c.same(std::string(got, tolvane::formatInt(got, v)), want, double(v));
    std::snprintf(want, sizeof want, "%llu", static_cast<unsigned long long>(v));
    c.same(std::string(got, tolvane::formatUint(got, uint64_t(v))), want, double(v));
  };
  for (int64_t v : {int64_t(0), int64_t(-1), int64_t(INT32_MIN), int64_t(INT32_MAX) + 1, INT64_MAX, INT64_MIN}) check(v);
  for (uint64_t i = 0; i < 1000000 / kScale; ++i) {
    uint64_t r = rnd();
    check(int64_t(r >> (r % 64)));
    check(-int64_t(r >> (1 + r % 63)));
  }
}
