#include "groups/group_scan.h"

#include <algorithm>
#include <cfloat>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "common/bytes.h"
#include "common/lines.h"

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

// Vertex lines as a scan keeps them, for one part of the file: where their
// text is in the file (each line is followed by its line feed there, so
// lines that follow each other can be copied as one block) or their
// positions.
struct VertexStore {
  LinePlaces::Half& lines;
  std::vector<vertexS>& positions;
  bool keepText;
  bool tooFar = false;

  // Room for a vertex every 16 bytes of `bytes` of file.
  void reserve(uint64_t bytes) {
    if (keepText) reserveLarge(lines.packed, bytes / 16 + 1);
    else reserveLarge(positions, bytes / 16 + 1);
  }
  void add(std::string_view l, uint64_t at) {
    if (keepText) tooFar |= !lines.add(at, l.size());
    else positions.push_back(parseVertex(l));
  }
};

// What a thread finds in a part of a large file that does not follow on
// from the file's first lines: its vertex lines (into `lines` or
// `positions`), group lines and faces as they come, to be given to the scan
// in file order once the parts before it are. Face numbers below 0 are
// dropped at once, as the sets drop them.
struct alignas(kCacheLine) Tail {  // filled beside the other thread's state
  Tail(LinePlaces::Half& lines, std::vector<vertexS>& positions, bool keepText, bool groupLines)
      : byGroupLines(groupLines), sets(groupLines ? 1 : 0), store{lines, positions, keepText} {}

  // Faces between two group lines go to one group when groups follow the
  // group lines: the numbers of each such stretch make a set of their own,
  // given to its group in the end.
  bool byGroupLines = false;
  std::vector<std::string> groupNames;  // its group lines, in order

  // Otherwise which group a face goes to is known only once the faces
  // before the part are counted: each window of up to 1024 face lines in a
  // row has a set of its own, and where its lines are, so that a window
  // that turns out to hold faces of two groups can be read again face by
  // face. Any other line ends a window (the next face line does not start
  // where the window's last one ended): groups that end where other lines
  // come between faces, as parts of an appended file do, end with a window.
  struct Window {
    uint64_t from = 0, to = 0;  // its face lines' bytes in the file
    uint32_t faces = 0;
  };
  static constexpr uint32_t kWindowFaces = 1024;
  std::vector<Window> windows;

  // A set per stretch (before the first group line, then after each) or
  // per window.
  std::vector<NumberSet> sets;

  // Room for the vertex lines `bytes` of file can hold: address space,
  // touched only as it fills.
  void reserve(uint64_t bytes) { store.reserve(bytes); }
  // The lines of [from, to) in `file`, which follow those read before;
  // false when they cannot be read.
  bool read(FileFront& file, uint64_t from, uint64_t to) {
    return forEachLine(file, [&](std::string_view l, uint64_t at) {
      if (isVertexLine(l)) {
        store.add(l, at);
      } else if (isGroupLine(l)) {
        if (byGroupLines) groupNames.emplace_back(afterTag(l)), sets.emplace_back();
      } else if (isFaceLine(l)) {
        if (!byGroupLines && (windows.empty() || windows.back().to != at || windows.back().faces == kWindowFaces))
          windows.push_back({at, at, 0}), sets.emplace_back();
        NumberSet& set = sets.back();
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
        if (!byGroupLines) windows.back().to = at + l.size() + 1, ++windows.back().faces;
      }
    }, from, to) && !store.tooFar;
  }

 private:
  VertexStore store;
};

// The pieces of a file in two halves, each read in order by a thread of
// its own. A thread done with its half takes the other half's last pieces
// one at a time, until none is left: however the two cores happen to run,
// they finish within a piece of each other.
class Halves {
 public:
  Halves(size_t pieces, size_t second) : mid(second), next_{0, second}, end_{second, pieces} {}
  const size_t mid;  // the second half's first piece

  // The next piece for thread t (0 or 1), and whether it is of its own half.
  bool next(int t, size_t& k, bool& own) {
    std::lock_guard<std::mutex> lock(m_);
    own = next_[t] < end_[t];
    if (own) k = next_[t]++;
    else if (next_[1 - t] < end_[1 - t]) k = --end_[1 - t];
    else return false;
    return true;
  }
  // No more pieces for either thread.
  void stop() {
    std::lock_guard<std::mutex> lock(m_);
    end_[0] = next_[0], end_[1] = next_[1];
  }
  // Where thread t's own pieces ended, once both are done.
  size_t end(int t) {
    std::lock_guard<std::mutex> lock(m_);
    return end_[t];
  }

 private:
  std::mutex m_;
  size_t next_[2], end_[2];
};

// A piece a thread takes from the other half, with its vertex lines.
struct Taken {
  LinePlaces::Half lines;
  std::vector<vertexS> positions;
  std::unique_ptr<Tail> tail;
};

// Files below this size are scanned by one thread; larger ones are cut
// into pieces of about a 32nd of them, 1 to 8 MiB.
constexpr uint64_t kSplitAt = uint64_t(8) << 20;
inline uint64_t pieceBytes(uint64_t size) {
  return std::clamp<uint64_t>(size / 32, uint64_t(1) << 20, uint64_t(8) << 20);
}

// Scans the OBJ at objPath in file order: vertex lines into `s`, onGroup(name)
// for group lines, onFace() for face lines, whose result is the set their
// numbers join. A large file is read in pieces on two threads: this one
// reads the first half and gives its lines to the callbacks as it goes, a
// second one reads the second half and keeps what it finds, and either
// takes the other's last pieces when done with its own. What was kept
// reaches the callbacks afterwards, in file order, so the result is that of
// one pass.
//
// byGroupLines: the group of a face changes only at group lines. Besides
// onFace(), onFace.span(n) gives the group of the next n faces when they all
// go to one, as if onFace() had been asked n times, and UINT32_MAX, having
// asked nothing, when they do not.
template <class OnFace, class OnGroup>
bool scanFile(const char* objPath, Scan& s, bool byGroupLines, OnGroup onGroup, OnFace&& onFace) {
  FileFront& file = s.file;
  if (!file.open(objPath)) return false;
  s.lines.clear();
  s.positions[0].clear();
  s.positions[1].clear();
  std::vector<uint64_t> cuts;
  if (!cutAtLines(file, file.size() < kSplitAt ? file.size() : pieceBytes(file.size()), cuts)) return false;
  const size_t pieces = cuts.size() - 1;

  VertexStore head{s.lines.half[0], s.positions[0], s.keepText};
  head.reserve(file.size() / 2);
  auto readFront = [&](uint64_t from, uint64_t to) {
    return forEachLine(file, [&](std::string_view l, uint64_t at) {
      if (isVertexLine(l)) {
        head.add(l, at);
      } else if (isGroupLine(l)) {
        onGroup(afterTag(l));
      } else if (isFaceLine(l)) {
        const uint32_t g = onFace();
        NumberSet& set = s.sets.of(g);
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
      }
    }, from, to) && !head.tooFar;
  };
  if (pieces <= 1) return readFront(0, file.size());

  Halves halves(pieces, size_t(double(pieces) * std::clamp(s.firstShare, 0.0, 1.0)));
  auto makeTail = [&](LinePlaces::Half& lines, std::vector<vertexS>& positions) {
    return std::make_unique<Tail>(lines, positions, s.keepText, byGroupLines);
  };
  std::unique_ptr<Tail> secondHalf = makeTail(s.lines.half[1], s.positions[1]);
  secondHalf->reserve(file.size() - cuts[halves.mid]);
  std::vector<Taken> taken(pieces);
  // Reads pieces on thread t until none is left; false at one that cannot
  // be read (the other thread then stops too).
  auto readPieces = [&](int t) {
    size_t k;
    bool own;
    while (halves.next(t, k, own)) {
      bool read;
      if (own) {
        read = t == 0 ? readFront(cuts[k], cuts[k + 1]) : secondHalf->read(file, cuts[k], cuts[k + 1]);
      } else {
        Taken& piece = taken[k];
        piece.tail = makeTail(piece.lines, piece.positions);
        piece.tail->reserve(cuts[k + 1] - cuts[k]);
        read = piece.tail->read(file, cuts[k], cuts[k + 1]);
      }
      if (!read) {
        halves.stop();
        return false;
      }
    }
    return true;
  };
  std::atomic<bool> secondRead{true};
  std::thread second;
  try {
    second = std::thread([&] {
      try {
        secondRead = readPieces(1);
      } catch (...) {  // out of memory: nothing may leave the thread by an exception
        secondRead = false;
        halves.stop();
      }
    });
  } catch (const std::system_error&) {
    // No second thread: this one reads every piece.
  }
  bool firstRead;
  try {
    firstRead = readPieces(0);
  } catch (...) {
    halves.stop();
    if (second.joinable()) second.join();
    throw;
  }
  if (second.joinable()) second.join();
  if (!firstRead || !secondRead) return false;

  // The parts kept apart, in file order, as one pass would have met them:
  // the pieces taken from the end of the first half, the second half, the
  // pieces taken from its end. Their vertex lines follow those of the half
  // they belong to.
  std::vector<Tail*> parts;
  const size_t firstEnd = halves.end(0), secondEnd = halves.end(1);
  auto addTaken = [&](size_t from, size_t to, int half) {
    size_t lines = s.lines.half[half].packed.size(), positions = s.positions[half].size();
    for (size_t k = from; k < to; ++k) lines += taken[k].lines.packed.size(), positions += taken[k].positions.size();
    reserveLarge(s.lines.half[half].packed, lines);
    reserveLarge(s.positions[half], positions);
    for (size_t k = from; k < to; ++k) {
      s.lines.half[half].append(taken[k].lines);
      s.positions[half].insert(s.positions[half].end(), taken[k].positions.begin(), taken[k].positions.end());
      taken[k].lines = LinePlaces::Half();
      taken[k].positions = std::vector<vertexS>();
      parts.push_back(taken[k].tail.get());
    }
  };
  addTaken(firstEnd, halves.mid, 0);
  parts.push_back(secondHalf.get());
  addTaken(secondEnd, pieces, 1);
  for (Tail* part : parts) {
    Tail& tail = *part;
    if (byGroupLines) {
      // onFace() only names the current group here: it may be asked once
      // per stretch.
      s.sets.of(onFace()).absorb(std::move(tail.sets[0]));
      for (size_t g = 0; g < tail.groupNames.size(); ++g) {
        onGroup(tail.groupNames[g]);
        s.sets.of(onFace()).absorb(std::move(tail.sets[g + 1]));
      }
      continue;
    }
    for (size_t w = 0; w < tail.windows.size(); ++w) {
      const Tail::Window& window = tail.windows[w];
      const uint32_t g = onFace.span(window.faces);
      if (g != UINT32_MAX) {
        s.sets.of(g).absorb(std::move(tail.sets[w]));
        continue;
      }
      // Faces of two groups or more: read again, face by face.
      const bool read = forEachLine(file, [&](std::string_view l) {
        if (!isFaceLine(l)) return;
        NumberSet& set = s.sets.of(onFace());
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
      }, window.from, window.to);
      if (!read) return false;
    }
  }
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

namespace {

// Sorts non-negative numbers and drops their repeats. Numbers that span a
// range not much wider than their count are sorted as one bit per number
// of the range, read back in order: far quicker than a comparison sort.
void sortDistinct(std::vector<int32_t>& v) {
  if (v.empty()) return;
  const auto [least, most] = std::minmax_element(v.begin(), v.end());
  const int32_t lo = *least;
  const uint64_t span = uint64_t(int64_t(*most) - lo) + 1;
  if (span > 16 * uint64_t(v.size()) + 4096) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return;
  }
  NumberBits bits{lo, std::vector<uint64_t>((span + 63) / 64, 0)};
  for (int32_t n : v) bits.mark(n);
  v.clear();
  bits.forEach([&](int64_t n) { v.push_back(int32_t(n)); });
}

}  // namespace

void NumberSet::addOutside(int32_t n) {
  loose_.push_back(n);
  ++looseEver_;
  if (loose_.size() >= tryAt_ && !grow()) tryAt_ = 2 * loose_.size();
}

// Widens the bits to cover [lo, hi] besides what they cover, when that
// stays within what the set may take; false, nothing changed, when it does
// not.
bool NumberSet::widen(int64_t lo, int64_t hi) {
  const int64_t base = bits_.base, end = base + int64_t(bits_.span());
  const bool none = bits_.words.empty();
  int64_t from = none ? lo : std::min(base, lo), to = none ? hi + 1 : std::max(end, hi + 1);
  from &= ~int64_t(63);
  const int64_t allowed = int64_t(std::min<uint64_t>(32 * looseEver_, uint64_t(1) << 40));
  if (to - from > allowed) return false;
  // Room on the side the numbers went, so that faces that walk through
  // their vertices widen the range a few times rather than at every step.
  const int64_t room = std::min((to - from) / 2, allowed - (to - from));
  if (none || hi >= end) to += room;
  else from = std::max<int64_t>(0, from - room) & ~int64_t(63);
  NumberBits b;
  b.base = from;
  b.words.assign(size_t((to - from + 63) / 64), 0);
  if (!none) std::copy(bits_.words.begin(), bits_.words.end(), b.words.begin() + (base - from) / 64);
  bits_ = std::move(b);
  // Widening again copies the bits: it waits for loose numbers in
  // proportion to them.
  tryAt_ = std::max<size_t>(16, bits_.words.size() / 4);
  return true;
}

// Takes every loose number into the bits, widening them when it may; false
// when they are left loose.
bool NumberSet::grow() {
  if (loose_.empty()) return true;
  const auto [least, most] = std::minmax_element(loose_.begin(), loose_.end());
  if (!widen(*least, *most)) return false;
  for (int32_t n : loose_) bits_.mark(n);
  loose_.clear();
  return true;
}

void NumberSet::absorb(NumberSet&& other) {
  if (bits_.words.empty() && loose_.empty() && more_.empty()) {
    *this = std::move(other);
    return;
  }
  looseEver_ += other.looseEver_;
  if (!other.bits_.words.empty()) {
    const int64_t otherBase = other.bits_.base, otherEnd = otherBase + int64_t(other.bits_.span());
    if ((otherBase >= bits_.base && otherEnd <= bits_.base + int64_t(bits_.span())) || widen(otherBase, otherEnd - 1)) {
      const size_t at = size_t(otherBase - bits_.base) / 64;
      for (size_t w = 0; w < other.bits_.words.size(); ++w) bits_.words[at + w] |= other.bits_.words[w];
    } else {
      more_.push_back(std::move(other.bits_));
    }
  }
  for (NumberBits& b : other.more_) more_.push_back(std::move(b));
  loose_.insert(loose_.end(), other.loose_.begin(), other.loose_.end());
  other = NumberSet();
}

std::vector<int32_t> NumberSet::take(int32_t lo, int32_t hi) {
  grow();  // loose numbers join the bits when they may
  // Everything else that falls in the bits' range joins them; the rest is
  // sorted apart and comes before or after them.
  std::vector<int32_t> rest;
  auto place = [&](int64_t n) {
    if (!bits_.mark(n)) rest.push_back(int32_t(n));
  };
  for (int32_t n : loose_) place(n);
  for (const NumberBits& b : more_) b.forEach(place);
  sortDistinct(rest);

  std::vector<int32_t> out;
  size_t count = rest.size();
  for (uint64_t w : bits_.words) count += size_t(__builtin_popcountll(w));
  out.reserve(count);
  auto keep = [&](int64_t n) {
    if (n >= lo && n <= hi) out.push_back(int32_t(n));
  };
  const auto above = std::lower_bound(rest.begin(), rest.end(), bits_.base);
  for (auto it = rest.begin(); it != above; ++it) keep(*it);
  bits_.forEach(keep);
  for (auto it = above; it != rest.end(); ++it) keep(*it);
  *this = NumberSet();
  return out;
}

namespace {

// Faces go to the group named by the last group line.
struct CurrentGroup {
  const uint32_t& current;
  uint32_t operator()() const { return current; }
  uint32_t span(size_t) const { return current; }
};

// Faces go to the group list's entries by their face ranges: from the first
// entry on, face k (from 0) moves the count on to the next entry when k is
// the current entry's end number.
class RangeWalk {
 public:
  explicit RangeWalk(const std::vector<int32_t>& ends) : ends_(&ends), limit_(ends.empty() ? 0 : ends[0]) {}

  uint32_t operator()() {
    ++face_;
    if (face_ == limit_ && position_ + 1 < ends_->size()) limit_ = (*ends_)[++position_];
    return position_;
  }
  uint32_t span(size_t n) {
    const RangeWalk before = *this;
    const uint32_t g = (*this)();  // the first may still move on
    const int64_t last = before.face_ + int64_t(n);
    // The count moves only at a face equal to the current end.
    if (limit_ > face_ && limit_ <= last && position_ + 1 < ends_->size()) {
      *this = before;
      return UINT32_MAX;
    }
    face_ = last;
    return g;
  }

 private:
  const std::vector<int32_t>* ends_;
  uint32_t position_ = 0;
  int64_t limit_;
  int64_t face_ = -1;
};

}  // namespace

bool scanByGroups(const char* objPath, Scan& s) {
  uint32_t current = 0;
  auto onGroup = [&](std::string_view name) {
    auto it = s.groups.find(name);
    if (it == s.groups.end()) it = s.groups.emplace(std::string(name), uint32_t(s.groups.size())).first;
    current = it->second;
  };
  return scanFile(objPath, s, true, onGroup, CurrentGroup{current});
}

bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s) {
  return scanFile(objPath, s, false, [](std::string_view) {}, RangeWalk(ends));
}

}  // namespace tolvane
