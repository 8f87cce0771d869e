#include "groups/group_scan.h"

#include <algorithm>
#include <cfloat>
#include <atomic>
#include <charconv>
#include <cmath>
#include <new>
#include <system_error>
#include <thread>

#include "common/bytes.h"
#include "common/lines.h"

namespace tolvane {
namespace {

constexpr std::string_view kPlaceholder = "#start of vector";

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

// One float field at `i`, as a stream's >> float reads it: white space, then
// sign, digits, point, exponent. False when no number starts there.
//
// Plain decimals whose digits, trailing zeros of the fraction dropped, make
// at most 2^24 with at most 10 decimals (the bulk of vertex text) are done
// in the same pass: digits and power of ten are then exact floats, so one
// division gives the correctly rounded float that the full parser gives.
bool readFloat(std::string_view s, size_t& i, float& out) {
  constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  const size_t n = s.size();
  while (i < n && isStreamSpace(s[i])) ++i;
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
    while (m > (uint64_t(1) << 24) && decimals > 0 && m % 10 == 0) m /= 10, --decimals;
    if (m <= (uint64_t(1) << 24) && decimals <= 10) {
      float v = float(m) / kPow10[decimals];
      out = negative ? -v : v;
      return true;
    }
  }
  auto r = std::from_chars(s.data() + numberStart, s.data() + end, out, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) out = outOfRange(s.substr(numberStart, end - numberStart));
  return true;
}

// Vertex lines as a scan keeps them: their text (each followed by a line
// feed, as in the file, so that lines that follow each other can be written
// as one block) or their positions.
struct VertexStore {
  std::string& text;
  std::vector<std::string_view>& lines;
  std::vector<vertexS>& positions;
  bool keepText;

  // Room for a vertex every 16 bytes of `bytes` of file, and for all of
  // their text: pages that are never filled are never touched, so the guess
  // costs address space, not memory. `text` never moves, so `lines` can
  // point into it.
  void reserve(uint64_t bytes) {
    if (keepText) {
      lines.reserve(lines.size() + bytes / 16 + 1);
      text.reserve(bytes + 1);
      preferHugePages(lines.data(), lines.capacity() * sizeof lines[0]);
      preferHugePages(text.data(), text.capacity());
    } else {
      positions.reserve(bytes / 16 + 1);
      preferHugePages(positions.data(), positions.capacity() * sizeof positions[0]);
    }
  }
  void add(std::string_view l) {
    if (!keepText) {
      positions.push_back(parseVertex(l));
      return;
    }
    const size_t at = text.size();
    text.append(l.data(), l.size());
    text.push_back('\n');
    lines.push_back(std::string_view(text.data() + at, l.size()));
  }
};

// What the second thread finds in the second half of a large file: its
// vertex lines, and its group lines and faces as they come, to be given to
// the scan in file order once the first half is done.
struct Tail {
  std::vector<std::string_view> lines;  // into the scan's tailText
  std::vector<vertexS> positions;
  std::vector<int32_t> numbers;                          // every face's numbers, one face after another
  std::vector<size_t> faceEnds;                          // face k's numbers end at numbers[faceEnds[k]]
  std::vector<std::pair<size_t, std::string>> groupLines;  // name, and how many faces came before it
};

// Files below this size are scanned by one thread.
constexpr uint64_t kSplitAt = uint64_t(8) << 20;

// Scans the OBJ at objPath in file order: vertex lines into `s`, onGroup(name)
// for group lines, onFace() for face lines, whose result is the set their
// numbers join. A large file's second half is read and parsed on a second
// thread meanwhile; its group lines and faces reach the callbacks after the
// first half's, so the result is that of one pass.
template <class OnFace, class OnGroup>
bool scanFile(const char* objPath, Scan& s, OnGroup onGroup, OnFace onFace) {
  FileFront file;
  if (!file.open(objPath)) return false;
  s.lines.assign(1, kPlaceholder);
  s.positions.clear();
  s.text.clear();
  s.tailText.clear();
  const uint64_t mid = file.size() < kSplitAt ? file.size() : nextLineStart(file, file.size() / 2);
  if (mid == UINT64_MAX) return false;

  VertexStore head{s.text, s.lines, s.positions, s.keepText};
  head.reserve(mid);
  auto scanHead = [&] {
    return forEachLine(file, [&](std::string_view l) {
      if (isVertexLine(l)) {
        head.add(l);
      } else if (isGroupLine(l)) {
        onGroup(afterTag(l));
      } else if (isFaceLine(l)) {
        uint32_t g = onFace();
        forEachFaceNumber(afterTag(l), [&](int32_t n) { s.sets.add(g, n); });
      }
    }, 0, mid);
  };
  if (mid == file.size()) return scanHead();

  Tail tail;
  std::atomic<bool> tailRead{false};
  auto scanTail = [&] {
    try {
      VertexStore store{s.tailText, tail.lines, tail.positions, s.keepText};
      store.reserve(file.size() - mid);
      tailRead = forEachLine(file, [&](std::string_view l) {
        if (isVertexLine(l)) {
          store.add(l);
        } else if (isGroupLine(l)) {
          tail.groupLines.emplace_back(tail.faceEnds.size(), std::string(afterTag(l)));
        } else if (isFaceLine(l)) {
          forEachFaceNumber(afterTag(l), [&](int32_t n) { tail.numbers.push_back(n); });
          tail.faceEnds.push_back(tail.numbers.size());
        }
      }, mid);
    } catch (const std::bad_alloc&) {
      tailRead = false;
    }
  };
  std::thread second;
  try {
    second = std::thread(scanTail);
  } catch (const std::system_error&) {
    // No second thread: the tail is read after the head.
  }
  const bool headRead = scanHead();
  if (second.joinable()) second.join();
  else scanTail();
  if (!headRead || !tailRead) return false;

  // The tail in file order, as one pass would have met it.
  size_t line = 0, from = 0;
  for (size_t face = 0; face <= tail.faceEnds.size(); ++face) {
    for (; line < tail.groupLines.size() && tail.groupLines[line].first == face; ++line) onGroup(tail.groupLines[line].second);
    if (face == tail.faceEnds.size()) break;
    const uint32_t g = onFace();
    for (; from < tail.faceEnds[face]; ++from) s.sets.add(g, tail.numbers[from]);
  }
  s.lines.insert(s.lines.end(), tail.lines.begin(), tail.lines.end());
  s.positions.insert(s.positions.end(), tail.positions.begin(), tail.positions.end());
  return true;
}

}  // namespace

vertexS parseVertex(std::string_view line) {
  float v[3] = {0, 0, 0};
  size_t i = 1;  // past the "v"
  for (float& f : v)
    if (!readFloat(line, i, f)) break;
  return {v[0], v[1], v[2]};
}

namespace {

// Sorts non-negative numbers and drops repeats. A group's vertices usually
// span a range not much wider than their count: one bit per number of the
// range, read back in order, is then far quicker than a comparison sort.
void sortDistinct(std::vector<int32_t>& v) {
  auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  const int32_t base = *lo;
  const uint64_t span = uint64_t(int64_t(*hi) - base) + 1;
  if (span > 16 * uint64_t(v.size()) + 4096) {
    std::sort(v.begin(), v.end());
    return;
  }
  std::vector<uint64_t> bits((span + 63) / 64, 0);
  for (int32_t n : v) bits[uint64_t(n - base) >> 6] |= uint64_t(1) << ((n - base) & 63);
  v.clear();
  for (size_t w = 0; w < bits.size(); ++w)
    for (uint64_t b = bits[w]; b != 0; b &= b - 1) v.push_back(base + int32_t(w * 64 + size_t(__builtin_ctzll(b))));
}

}  // namespace

std::vector<int32_t> VertexSets::take(uint32_t group, int32_t lo, int32_t hi) {
  std::vector<int32_t> out;
  if (group >= sets.size()) return out;
  out.swap(sets[group]);
  if (!std::is_sorted(out.begin(), out.end())) sortDistinct(out);
  out.erase(std::unique(out.begin(), out.end()), out.end());
  auto first = std::lower_bound(out.begin(), out.end(), lo);
  auto last = std::upper_bound(first, out.end(), hi);
  out.erase(last, out.end());
  out.erase(out.begin(), first);
  return out;
}

bool scanByGroups(const char* objPath, Scan& s) {
  uint32_t current = 0;
  auto onGroup = [&](std::string_view name) {
    auto it = s.groups.find(name);
    if (it == s.groups.end()) it = s.groups.emplace(std::string(name), uint32_t(s.groups.size())).first;
    current = it->second;
  };
  return scanFile(objPath, s, onGroup, [&] { return current; });
}

bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s) {
  uint32_t position = 0;
  int32_t limit = ends.empty() ? 0 : ends[0];
  int64_t face = -1;
  auto onFace = [&] {
    ++face;
    if (face == limit && position + 1 < ends.size()) limit = ends[++position];
    return position;
  };
  return scanFile(objPath, s, [](std::string_view) {}, onFace);
}

}  // namespace tolvane
