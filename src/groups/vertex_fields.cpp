#include "groups/vertex_fields.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "common/byte_reader.h"
#include "common/lines.h"
#include "groups/obj_text.h"

namespace tolvane {
namespace {

// A number beyond float range: the largest float of its sign when too
// large, as a stream gives; when too small, what is left of it (0 or a
// denormal).
float outOfRange(std::string_view num) {
  bool negative = num[0] == '-';
  double d;
  auto r = std::from_chars(num.data(), num.data() + num.size(), d, std::chars_format::general);
  bool huge;
  if (r.ec == std::errc()) {
    if (std::fabs(d) < 1) return float(d);
    huge = true;
  } else {
    size_t e = num.find_first_of("eE");
    huge = !(e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-');
  }
  if (!huge) return negative ? -0.0f : 0.0f;
  return negative ? -FLT_MAX : FLT_MAX;
}

// m / 10^decimals as a float for m <= 2^24 and decimals <= 10: both are
// exact floats, so one float division would give the correctly rounded
// result. Multiplying by the reciprocal in double and rounding to float
// gives the same float for every such m and decimals (checked for all of
// them), and a multiplication is several times quicker than a division.
inline float scaled(uint32_t m, size_t decimals) {
  static constexpr double kInvPow10[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10};
  return float(double(m) * kInvPow10[decimals]);
}

// m / 10^decimals as a float, when that can be had exactly the quick way:
// once trailing zeros of the fraction are dropped, m <= 2^24 and decimals
// <= 10 (see scaled). False, with `out` untouched, for any other m.
bool scaleDown(uint64_t m, size_t decimals, float& out) {
  while (m > (uint64_t(1) << 24) && decimals > 0 && m % 10 == 0) m /= 10, --decimals;
  if (m > (uint64_t(1) << 24) || decimals > 10) return false;
  out = scaled(uint32_t(m), decimals);
  return true;
}

// A short plain decimal at p, [sign] digits [point digits], with at most 7
// digits on either side and within n bytes, whose digits make at most 2^24
// once trailing zeros of the fraction are dropped (the bulk of vertex text):
// its float, the correctly rounded one the full parser gives, into `out`,
// and its length; 0 for anything else, an exponent or a second point after
// it included. Runs of digits are read a word at a time: p must lie in a
// line from forEachLine.
size_t shortDecimal(const char* p, size_t n, float& out) {
  static constexpr uint32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
  // Signs come in no order a branch could learn: taken without branches.
  const bool negative = p[0] == '-';
  const size_t k = size_t(p[0] == '-' || p[0] == '+');
  uint32_t whole, part = 0;
  const int w = k < n ? digitRun(p + k, whole) : 0;
  size_t end = k + size_t(w), decimals = 0;
  if (w == 0 || end > n) return 0;
  if (end + 1 < n && p[end] == '.') {
    const int f = digitRun(p + end + 1, part);
    decimals = size_t(f);
    end += 1 + decimals;
    if (f == 0 || end > n) return 0;
  }
  if (end < n && (p[end] == '.' || p[end] == 'e' || p[end] == 'E')) return 0;
  float v;
  if (!scaleDown(uint64_t(whole) * kPow10[decimals] + part, decimals, v)) return 0;
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  bits |= uint32_t(negative) << 31;
  std::memcpy(&out, &bits, 4);
  return end;
}

// One float field at `i`, as a stream's >> float reads it: white space, then
// sign, digits, point, exponent. False when no number starts there.
//
// Plain decimals whose digits, trailing zeros of the fraction dropped, make
// at most 2^24 with at most 10 decimals (the bulk of vertex text) are done
// in the same pass, with scaleDown: the correctly rounded float that the
// full parser gives.
bool readFloat(std::string_view s, size_t& i, float& out) {
  const size_t n = s.size();
  while (i < n && isStreamSpace(s[i])) ++i;
  if (i < n) {
    if (const size_t length = shortDecimal(s.data() + i, n - i, out)) {
      i += length;
      return true;
    }
  }
  size_t start = i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  size_t numberStart = negative ? start : i;  // from_chars takes '-' but no '+'
  uint64_t m = 0;
  int significant = 0, decimals = 0, mantissa = 0;
  bool point = false;
  for (; i < n; ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      ++mantissa;
      decimals += point;
      if (m != 0 || c != '0') {
        if (++significant <= 18) m = m * 10 + uint64_t(c - '0');
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mantissa == 0) {
    i = start;
    return false;
  }
  size_t end = i;
  bool exponent = false;
  if (end < n && (s[end] == 'e' || s[end] == 'E')) {
    size_t e = end + 1;
    if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
    size_t digitsFrom = e;
    while (e < n && s[e] >= '0' && s[e] <= '9') ++e;
    if (e > digitsFrom) end = e, exponent = true;
  }
  i = end;
  if (!exponent && significant <= 18) {
    float v;
    if (scaleDown(m, size_t(decimals), v)) {
      out = negative ? -v : v;
      return true;
    }
  }
  auto r = std::from_chars(s.data() + numberStart, s.data() + end, out, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) out = outOfRange(s.substr(numberStart, end - numberStart));
  return true;
}

// A field [s, e) of a line that is a plain decimal of at most 7 digits,
// [sign] digits [point digits], given where the line's points are: its
// float into `out`, as shortDecimal gives it. All its digits are read as one
// word with the point taken out, so a field costs no loop and no branch on
// where its point is. False, `out` untouched, for any other field (left to
// shortDecimal). p must be a line from forEachLine.
inline __attribute__((always_inline)) bool fieldDecimal(const char* p, size_t s, size_t e, uint64_t points,
                                                        float& out) {
  const bool negative = p[s] == '-';
  s += size_t(p[s] == '-' || p[s] == '+');
  const size_t length = e - s;  // digits, and the point if there is one
  if (length == 0 || length > 8 || !kLittleEndian) return false;
  uint64_t w;
  std::memcpy(&w, p + s, 8);
  points = (points >> s) & ((uint64_t(1) << length) - 1);
  size_t digits = length, decimals = 0;
  if (points != 0) {
    const size_t at = size_t(__builtin_ctzll(points));
    // One point, with digits on both sides of it.
    if ((points & (points - 1)) != 0 || at == 0 || at + 1 == length) return false;
    const uint64_t before = w & ((uint64_t(1) << (8 * at)) - 1);
    w = before | ((w >> (8 * (at + 1))) << (8 * at));
    digits = length - 1;
    decimals = length - 1 - at;
  } else if (length == 8) {
    return false;  // 8 digits may pass 2^24
  }
  // digits <= 7: the value stays below 2^24, so one scaling gives the
  // correctly rounded float.
  if ((notDigitBytes(w) & ((uint64_t(1) << (8 * digits)) - 1)) != 0) return false;
  const float v = scaled(digitsValue(w, int(digits)), decimals);
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  bits |= uint32_t(negative) << 31;
  std::memcpy(&out, &bits, 4);
  return true;
}

// The usual vertex line: "v" and three plain decimals, each after one space
// (anything after a fourth space is ignored, as it is by the full reader).
// The spaces and points are found all at once, so the three fields are read
// side by side rather than each waiting for where the one before it ended.
bool plainVertex(std::string_view line, vertexS& out) {
  const size_t n = line.size();
  if (n < 8 || n > 64) return false;
  uint64_t spaces = byteMask(line.data(), n, ' ');
  if ((spaces & 3) != 2) return false;  // "v" then one space
  spaces &= spaces - 1;
  if (spaces == 0) return false;
  const size_t a = size_t(__builtin_ctzll(spaces));
  spaces &= spaces - 1;
  if (spaces == 0) return false;
  const size_t b = size_t(__builtin_ctzll(spaces));
  spaces &= spaces - 1;
  const size_t c = spaces == 0 ? n : size_t(__builtin_ctzll(spaces));
  if (a <= 2 || b <= a + 1 || c <= b + 1) return false;
  const uint64_t points = byteMask(line.data(), n, '.');
  const char* p = line.data();
  // All three at once (no short cut between them), each left to
  // shortDecimal when it is not that plain.
  const bool x = fieldDecimal(p, 2, a, points, out.x), y = fieldDecimal(p, a + 1, b, points, out.y),
             z = fieldDecimal(p, b + 1, c, points, out.z);
  if (x & y & z) return true;
  return (x || shortDecimal(p + 2, a - 2, out.x) == a - 2) && (y || shortDecimal(p + a + 1, b - a - 1, out.y) == b - a - 1) &&
         (z || shortDecimal(p + b + 1, c - b - 1, out.z) == c - b - 1);
}

}  // namespace

vertexS parseVertex(std::string_view line) {
  vertexS plain;
  if (plainVertex(line, plain)) return plain;
  float v[3] = {0, 0, 0};
  size_t i = 1;  // past the "v"
  for (float& f : v)
    if (!readFloat(line, i, f)) break;
  return {v[0], v[1], v[2]};
}

}  // namespace tolvane
