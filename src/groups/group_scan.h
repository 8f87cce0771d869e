// The OBJ reading pass shared by the splits, and the pieces the append and
// the swap share with it: line classes, the face index list, float fields,
// free output names. Internal to the group tools.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/lines.h"
#include "common/out_file.h"

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

// Up to seven decimal digits at p, read as one word: how many there are
// (0 when eight or more, left to the caller) and their value. p must have 8
// readable bytes; the bytes after the digits are ignored.
inline int digitRun(const char* p, uint32_t& value) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  if (!kLittleEndian) return 0;
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
// bit a byte, found 16 bytes at a time: p needs as many readable bytes after
// its n as a line from forEachLine has.
struct ByteClasses {
  uint64_t digits = 0, spaces = 0, slashes = 0;
};
inline ByteClasses classifyBytes(const char* p, size_t n) {
  ByteClasses c;
#if defined(__SSE2__)
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
#else
  for (size_t i = 0; i < n; ++i) {
    c.digits |= uint64_t(p[i] >= '0' && p[i] <= '9') << i;
    c.spaces |= uint64_t(p[i] == ' ') << i;
    c.slashes |= uint64_t(p[i] == '/') << i;
  }
#endif
  const uint64_t in = n < 64 ? (uint64_t(1) << n) - 1 : ~uint64_t(0);
  c.digits &= in, c.spaces &= in, c.slashes &= in;
  return c;
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

// Calls emit(n) for each integer of a face line's text (after "f "), vertex
// numbers only: with any "/" each space-separated corner keeps only its part
// before the first "/". Reading stops at the first thing that is not an
// integer, as a stream's >> int would. `text` must lie in a line handed out
// by forEachLine (it is read a word at a time).
template <class F>
void forEachFaceNumber(std::string_view text, F&& emit) {
  int32_t plain[32];
  if (const size_t count = plainFaceNumbers(text, plain)) {
    for (size_t k = 0; k < count; ++k) emit(plain[k]);
    return;
  }
  const bool corners = lineHas(text, '/');
  if (!corners) {
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

// The three floats after "v" of a vertex line. Fields are separated by white
// space; a field that is missing or does not start with a number gives 0, and
// so do the fields after it.
struct vertexS {
  float x, y, z;
};
vertexS parseVertex(std::string_view line);

// One bit per number from `base` on (a multiple of 64 in a NumberSet, so
// that two sets' words line up).
struct NumberBits {
  int64_t base = 0;
  std::vector<uint64_t> words;

  uint64_t span() const { return 64 * uint64_t(words.size()); }  // how many numbers the bits hold
  // Sets n's bit when n is within the bits; false when it is not.
  bool mark(int64_t n) {
    const uint64_t i = uint64_t(n - base);
    if (i >= span()) return false;
    words[i >> 6] |= uint64_t(1) << (i & 63);
    return true;
  }
  // f(n) for each number set, in ascending order.
  template <class F>
  void forEach(F&& f) const {
    for (size_t w = 0; w < words.size(); ++w)
      for (uint64_t m = words[w]; m != 0; m &= m - 1) f(base + int64_t(64 * w) + __builtin_ctzll(m));
  }
};

// The vertex numbers of one group, in any order, repeats allowed. Faces of
// a group mostly use vertices close together: numbers within the range of
// its bits only set a bit (no branch on whether they were met before, and a
// group's bits stay in the processor's cache). Numbers outside it are kept
// as they come; once enough have come, the range grows to take them in,
// provided the bits never take more memory than 4 bytes for each number
// ever kept that way.
class NumberSet {
 public:
  // Number n; numbers below 0 are dropped.
  void add(int32_t n) {
    if (!bits_.mark(n) && n >= 0) addOutside(n);
  }
  // Takes in everything `other` holds.
  void absorb(NumberSet&& other);
  // Sorted, distinct numbers in [lo, hi] (lo >= 0); the set is left empty.
  std::vector<int32_t> take(int32_t lo, int32_t hi);

 private:
  NumberBits bits_;
  std::vector<NumberBits> more_;  // bits taken in from other sets
  std::vector<int32_t> loose_;  // numbers outside the bits
  uint64_t looseEver_ = 0;  // numbers ever kept in loose_
  size_t tryAt_ = 16;  // loose_ size at which the range tries to grow

  void addOutside(int32_t n);
  bool widen(int64_t lo, int64_t hi);
  bool grow();
};

// Vertex index sets: per group the OBJ vertex numbers its faces use.
// Numbers below 0 are dropped at once; the rest are kept and checked against
// the vertex count when a set is taken.
struct VertexSets {
  std::vector<NumberSet> sets;

  NumberSet& of(uint32_t group) {
    if (group >= sets.size()) sets.resize(size_t(group) + 1);
    return sets[group];
  }
  // Sorted, distinct numbers of `group` in [lo, hi]. Groups may be taken
  // on two threads at once.
  std::vector<int32_t> take(uint32_t group, int32_t lo, int32_t hi) {
    return group < sets.size() ? sets[group].take(lo, hi) : std::vector<int32_t>();
  }
};

// Group map: name to group index, byte-wise name order.
using GroupMap = std::map<std::string, uint32_t, std::less<>>;

// Where each vertex line is in the file, in file order. A large file's two
// halves are read side by side and kept apart: joining them would copy them
// into fresh memory, which costs more here than choosing a half per lookup.
struct LinePlaces {
  // A line's start (below 2^44) and byte count (its line feed not counted)
  // in one word; counts of kLong (a MiB) and above are kept aside, in line
  // order.
  struct alignas(kCacheLine) Half {  // the halves are filled side by side
    static constexpr int kSizeBits = 20;
    static constexpr uint64_t kLong = (uint64_t(1) << kSizeBits) - 1;
    std::vector<uint64_t> packed;
    std::vector<std::pair<size_t, uint64_t>> longLines;  // (line, byte count)

    // False for a line that starts 16 TiB or more into the file.
    bool add(uint64_t at, uint64_t size) {
      if (at >> (64 - kSizeBits)) return false;
      if (size >= kLong) longLines.emplace_back(packed.size(), size);
      packed.push_back(at << kSizeBits | std::min(size, kLong));
      return true;
    }
    // Adds the lines of `other`, which follow these in the file.
    void append(const Half& other) {
      for (const auto& [line, size] : other.longLines) longLines.emplace_back(packed.size() + line, size);
      packed.insert(packed.end(), other.packed.begin(), other.packed.end());
    }
    uint64_t size(size_t i) const {
      const uint64_t n = packed[i] & kLong;
      if (n < kLong) return n;
      return std::lower_bound(longLines.begin(), longLines.end(), std::make_pair(i, uint64_t(0)))->second;
    }
  };
  Half half[2];

  size_t count() const { return half[0].packed.size() + half[1].packed.size(); }
  void clear() { half[0] = Half(), half[1] = Half(); }
  // Line i (from 0): [start, end) in the file.
  uint64_t start(size_t i) const {
    const size_t first = half[0].packed.size();
    return (i < first ? half[0].packed[i] : half[1].packed[i - first]) >> Half::kSizeBits;
  }
  uint64_t end(size_t i) const {
    const size_t first = half[0].packed.size();
    const Half& h = half[i < first ? 0 : 1];
    const size_t at = i < first ? i : i - first;
    return (h.packed[at] >> Half::kSizeBits) + h.size(at);
  }
};

// One scanned OBJ file.
struct Scan {
  FileFront file;        // the OBJ, left open: the OBJ split copies vertex lines from it
  bool keepText = true;  // vertex lines as places in the file (OBJ split) or as floats (Qit)
  double firstShare = 0.5;  // of a large file's pieces, the share the first thread starts with
  LinePlaces lines;      // vertex n's line is line n - 1
  OwnLine<std::vector<vertexS>> positions[2];  // vertex positions of the file's halves, in order
  GroupMap groups;
  VertexSets sets;
  size_t vertexCount() const { return keepText ? lines.count() : positions[0].size() + positions[1].size(); }
  // Position of vertex n at [n - 1].
  const vertexS& position(size_t i) const { return i < positions[0].size() ? positions[0][i] : positions[1][i - positions[0].size()]; }
};

// Reads objPath and scans it by its own group lines. False when it cannot be
// read (or, keeping text, has a vertex line that starts 16 TiB or more into
// it).
bool scanByGroups(const char* objPath, Scan& s);
// Reads objPath and gives faces to entries by the face ranges' end numbers
// (`ends`, one per entry); group lines are ignored. `s.groups` must already
// map the names to entry positions.
bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s);

// First free name of folder + name + ext, folder + name + "_copy" + n + ext.
std::string freeOutputName(const std::string& folder, const std::string& name, const char* ext);

// Writes one file per group of `s`, in the groups' name order, two at a
// time. For each group, prepare(index, worker) is called first, then the
// file is created in `folder` and fill(worker, out) writes it; each returns
// kOk or its failure's code (state kept per worker is that thread's alone).
// The files take their names in order, each the first free one when it
// does, so the names are those of writing one file after another; at a
// failure the files of the groups before it are written and none after it.
// kOk or the first failure's code (kCannotCreate when a file cannot be made).
float writeGroupFiles(Scan& s, const std::string& folder, const char* ext,
                      const std::function<float(uint32_t, int)>& prepare,
                      const std::function<float(int, OutFile&)>& fill);

// Folder part of the split's output path.
std::string outputFolder(const char* outPath);

}  // namespace tolvane
