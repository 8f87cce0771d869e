// OBJ line classes and the face numbers of a line's text. The word-at-a-time
// readers here each stand beside the plain loop they must equal; the
// randomized word-helper test compares the two.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/byte_reader.h"
#include "common/lines.h"

namespace tolvane {

// Line classes, tested in this order: "v " vertex, "g..." group, "f..." face.
inline bool isVertexLine(std::string_view l) { return l.size() >= 2 && l[0] == 'v' && l[1] == ' '; }
inline bool isGroupLine(std::string_view l) { return !l.empty() && l[0] == 'g'; }
inline bool isFaceLine(std::string_view l) { return !l.empty() && l[0] == 'f'; }
// Text from the third character on ("" for "g" or "f" alone).
inline std::string_view afterTag(std::string_view l) { return l.size() > 2 ? l.substr(2) : std::string_view(); }

// Stream white space: what a stream's >> skips before a number.
inline bool isStreamSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Non-zero bits in the bytes of the little-endian word w (8 characters)
// that are not decimal digits: a byte is a digit when its high nibble is 3
// and adding 6 keeps it so. Carries only run from a byte that is not a
// digit into later bytes.
inline uint64_t notDigitBytes(uint64_t w) {
  return ((w & 0xF0F0F0F0F0F0F0F0u) ^ 0x3030303030303030u) |
         (((w + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) ^ 0x3030303030303030u);
}

// The value of n digits (1 to 7, as characters) in the low bytes of the
// little-endian word w, the first digit lowest; the other bytes are ignored.
inline uint32_t digitsValue(uint64_t w, int n) {
  // The digit values moved to the top bytes, with zero digits before them,
  // then added up in pairs, fours and the eight at once.
  uint64_t d = (w - 0x3030303030303030u) << (8 * (8 - n));
  d = d * 10 + (d >> 8);
  d = (((d & 0x000000FF000000FFu) * 0x000F424000000064u) + (((d >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u)) >> 32;
  return uint32_t(d);
}

// Up to seven decimal digits at p: how many there are (0 when eight or
// more, left to the caller) and their value. p must have 8 readable bytes;
// the bytes after the digits are ignored.
inline int digitRunPlain(const char* p, uint32_t& value) {
  int n = 0;
  uint32_t v = 0;
  while (n < 8 && p[n] >= '0' && p[n] <= '9') v = v * 10 + uint32_t(p[n++] - '0');
  if (n == 0 || n == 8) return 0;
  value = v;
  return n;
}
// digitRunPlain, the eight bytes read as one word.
inline int digitRun(const char* p, uint32_t& value) {
  if (!kLittleEndian) return digitRunPlain(p, value);
  uint64_t w;
  std::memcpy(&w, p, 8);
  const uint64_t notDigit = notDigitBytes(w);
  if (notDigit == 0) return 0;
  const int n = __builtin_ctzll(notDigit) >> 3;
  if (n == 0) return 0;
  value = digitsValue(w, n);
  return n;
}

// Reads integers from `part` as a stream's >> int would, calling emit(n) for
// each. False at the first thing that is not an int (out of range included).
// `part` must lie in a line handed out by forEachLine, which is followed by
// readable bytes (kLineSlack).
template <class F>
bool readInts(std::string_view part, F& emit) {
  const char* s = part.data();
  size_t i = 0, n = part.size();
  for (;;) {
    while (i < n && isStreamSpace(s[i])) ++i;
    if (i == n) return true;
    bool negative = s[i] == '-';
    if (s[i] == '-' || s[i] == '+') ++i;
    if (i == n || s[i] < '0' || s[i] > '9') return false;
    uint32_t quick;
    const int run = digitRun(s + i, quick);
    if (run > 0 && size_t(run) <= n - i) {
      // Face numbers are short: the common case, without a loop.
      i += size_t(run);
      emit(negative ? -int32_t(quick) : int32_t(quick));
      continue;
    }
    int64_t v = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      v = v * 10 + (s[i++] - '0');
      if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) return false;
    emit(int32_t(v));
  }
}

// Where the bytes of p[0, n) (n <= 64) are digits, spaces and slashes, one
// bit a byte.
struct ByteClasses {
  uint64_t digits = 0, spaces = 0, slashes = 0;
};
inline ByteClasses classifyBytesPlain(const char* p, size_t n) {
  ByteClasses c;
  for (size_t i = 0; i < n; ++i) {
    c.digits |= uint64_t(p[i] >= '0' && p[i] <= '9') << i;
    c.spaces |= uint64_t(p[i] == ' ') << i;
    c.slashes |= uint64_t(p[i] == '/') << i;
  }
  return c;
}
// classifyBytesPlain, 16 bytes at a time: p needs as many readable bytes
// after its n as a line from forEachLine has.
inline ByteClasses classifyBytes(const char* p, size_t n) {
#if defined(__SSE2__)
  ByteClasses c;
  const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9), space = _mm_set1_epi8(' '),
                slash = _mm_set1_epi8('/');
  for (size_t b = 0; b < n; b += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + b));
    // A digit is at most 9 above '0', counting without sign.
    const __m128i digit = _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(v, zero), nine), _mm_setzero_si128());
    c.digits |= uint64_t(uint32_t(_mm_movemask_epi8(digit))) << b;
    c.spaces |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, space)))) << b;
    c.slashes |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, slash)))) << b;
  }
  const uint64_t in = n < 64 ? (uint64_t(1) << n) - 1 : ~uint64_t(0);
  c.digits &= in, c.spaces &= in, c.slashes &= in;
  return c;
#else
  return classifyBytesPlain(p, n);
#endif
}

// The usual face text: fields of digits (each, when the text has a "/",
// up to a "/" and what follows it) between single spaces, a space at the
// end allowed. Their numbers, in order, into `out` (at most 32), and their
// count; 0 for any other text, which is then read the general way. The
// text's bytes are told apart all at once, so each field is one word read
// and the fields are read side by side rather than each waiting for where
// the one before it ended.
inline size_t plainFaceNumbers(std::string_view text, int32_t (&out)[32]) {
  const size_t n = text.size();
  if (n == 0 || n > 64 || !kLittleEndian) return 0;
  const char* p = text.data();
  const ByteClasses c = classifyBytes(p, n);
  const bool corners = c.slashes != 0;
  uint64_t ends = c.spaces;
  if (!(ends >> (n - 1) & 1)) {
    if (n == 64) return 0;
    ends |= uint64_t(1) << n;  // the end closes the last field
  }
  const uint64_t notDigit = ~c.digits;
  size_t count = 0, from = 0;
  for (; ends != 0; ends &= ends - 1) {
    const size_t to = size_t(__builtin_ctzll(ends));
    const size_t end = from + size_t(__builtin_ctzll(notDigit >> from));  // past the field's digits
    const size_t run = end - from;
    if (run == 0 || run > 7 || count == 32 || (end < to && !(corners && p[end] == '/'))) return 0;
    uint64_t w;
    std::memcpy(&w, p + from, 8);
    out[count++] = int32_t(digitsValue(w, int(run)));
    from = to + 1;
  }
  return count;
}

// The general reading of face text, for what plainFaceNumbers refuses:
// with any "/" each space-separated corner keeps only its part before the
// first "/", read as readInts reads; without, the text is read as a whole.
template <class F>
void generalFaceNumbers(std::string_view text, F& emit) {
  if (!lineHas(text, '/')) {
    readInts(text, emit);
    return;
  }
  // Corners are a few bytes long: plain loops find their ends sooner than
  // library calls would.
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    // The usual corner, "12/34" or "12//34": its digits are read as one word.
    uint32_t quick;
    const int run = digitRun(text.data() + i, quick);
    if (run > 0 && size_t(run) <= n - i && (size_t(run) == n - i || text[i + run] == '/' || text[i + run] == ' ')) {
      emit(int32_t(quick));
      i += size_t(run);
      while (i < n && text[i] != ' ') ++i;
      ++i;
      continue;
    }
    size_t slash = i;
    while (slash < n && text[slash] != '/' && text[slash] != ' ') ++slash;
    size_t end = slash;
    while (end < n && text[end] != ' ') ++end;
    if (!readInts(text.substr(i, slash - i), emit)) return;
    i = end + 1;
  }
}

// Calls emit(n) for each integer of a face line's text (after "f "), vertex
// numbers only. Reading stops at the first thing that is not an integer, as
// a stream's >> int would. `text` must lie in a line handed out by
// forEachLine (it is read a word at a time).
template <class F>
void forEachFaceNumber(std::string_view text, F&& emit) {
  int32_t plain[32];
  if (const size_t count = plainFaceNumbers(text, plain)) {
    for (size_t k = 0; k < count; ++k) emit(plain[k]);
    return;
  }
  generalFaceNumbers(text, emit);
}

}  // namespace tolvane
