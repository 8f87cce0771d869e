// Line reading for text files.
//
// Lines are split at line feeds only: a carriage return before the line feed
// stays part of the line. A last line without a line feed still counts; a
// final line feed does not start another line. Lines are found in a buffer
// that grows with the longest line, so no line has a length limit and no
// line costs an allocation.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/file_front.h"

namespace tolvane {

// Every line's view that forEachLine hands out is followed by at least
// kLineSlack readable bytes (the line feed, later lines, or padding; their
// values are unspecified), so that readers may load a word, or 16 bytes, at
// a time near a line's end.
constexpr size_t kLineSlack = 16;

// Bit i set where p[i] is c, for i < n <= 64.
inline uint64_t byteMaskPlain(const char* p, size_t n, char c) {
  uint64_t mask = 0;
  for (size_t i = 0; i < n; ++i) mask |= uint64_t(p[i] == c) << i;
  return mask;
}
// byteMaskPlain, bytes compared 16 at a time: p needs as many readable bytes
// after its n as a line from forEachLine has.
inline uint64_t byteMask(const char* p, size_t n, char c) {
#if defined(__SSE2__)
  uint64_t mask = 0;
  const __m128i want = _mm_set1_epi8(c);
  for (size_t b = 0; b < n; b += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + b));
    mask |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want)))) << b;
  }
  return n < 64 ? mask & ((uint64_t(1) << n) - 1) : mask;
#else
  return byteMaskPlain(p, n, c);
#endif
}

// Whether `part` of a line from forEachLine holds the byte c, without a
// library call for a short line.
inline bool lineHas(std::string_view part, char c) {
  for (size_t i = 0; i < part.size(); i += 64)
    if (byteMask(part.data() + i, std::min<size_t>(64, part.size() - i), c) != 0) return true;
  return false;
}

// Visits the complete lines of [p, end) and returns where the unfinished
// last one starts (end when there is none). Mesh text has many short lines:
// line feeds are found 64 bytes at a time as one bit mask, so that a line
// costs a few instructions rather than a library call.
template <class F>
const char* visitLines(const char* p, const char* end, F& visit) {
  const char* line = p;
  for (; end - p >= 64; p += 64) {
    for (uint64_t mask = byteMask(p, 64, '\n'); mask != 0; mask &= mask - 1) {
      const char* nl = p + __builtin_ctzll(mask);
      visit(std::string_view(line, size_t(nl - line)));
      line = nl + 1;
    }
  }
  while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) {
    visit(std::string_view(line, size_t(nl - line)));
    line = p = nl + 1;
  }
  return line;
}

struct NoBlockEnd {
  void operator()() const {}
};

// The lines of a file, read a block at a time through one buffer that stays
// in the processor's cache: a reader that keeps only some of what it reads
// never holds the whole file. A line's view lives only during its visit.
// [from, to) limits the reading to part of the file (`from` a line's start).
// False when the file cannot be read to the size it had when opened.
//
// blockEnd() is called after the last visit of each block, before the
// buffer is reused: a visitor that keeps views of lines across visits (to
// write lines that follow each other as one piece) lets go of them there.
template <class F, class BlockEnd = NoBlockEnd>
bool forEachLine(FileFront& file, F&& visit, uint64_t from = 0, uint64_t to = UINT64_MAX,
                 BlockEnd&& blockEnd = BlockEnd()) {
  constexpr size_t kBlock = size_t(64) << 10;
  to = std::min(to, file.size());
  if (from >= to) return true;
  // A range a little over a block (a piece cut at a line start) is read in
  // one go. The buffer is not cleared: only what was read is looked at, and
  // the slack after it is set each time.
  const uint64_t span = to - from;
  size_t room = span < kBlock + kBlock / 2 ? size_t(span) : kBlock;
  std::unique_ptr<char[]> buf(new char[room + kLineSlack]);
  size_t have = 0;  // bytes in buf: the unfinished line carried over, then what was read
  uint64_t pos = from;
  // A visitor that takes two arguments is also told where its line starts
  // in the file: buf[0] is at pos - have.
  auto give = [&](std::string_view l) {
    if constexpr (std::is_invocable_v<F&, std::string_view, uint64_t>)
      visit(l, pos - have + uint64_t(l.data() - buf.get()));
    else
      visit(l);
  };
  while (pos < to) {
    // A line longer than what is left of the buffer: make room for more.
    if (have > 0 && room - have < kBlock / 2) {
      std::unique_ptr<char[]> bigger(new char[room * 2 + kLineSlack]);
      std::memcpy(bigger.get(), buf.get(), have);
      buf = std::move(bigger);
      room *= 2;
    }
    const size_t n = size_t(std::min<uint64_t>(room - have, to - pos));
    if (!file.readAt(pos, buf.get() + have, n)) return false;
    pos += n;
    have += n;
    std::memset(buf.get() + have, 0, kLineSlack);
    const char* end = buf.get() + have;
    const char* p = visitLines(buf.get(), end, give);
    blockEnd();
    have = size_t(end - p);
    std::memmove(buf.get(), p, have);
  }
  if (have > 0) give(std::string_view(buf.get(), have)), blockEnd();
  return true;
}

// Lines of one block of forEachLine that follow each other, gathered so that
// they go out as one piece, line feeds between them included. flush() before
// the block's buffer is reused: from blockEnd, and before anything else is
// written.
class LineRun {
 public:
  template <class Out>
  void add(std::string_view l, Out& out) {
    if (first_ && l.data() == last_ + 1) {
      last_ = l.data() + l.size();
      return;
    }
    flush(out);
    first_ = l.data();
    last_ = first_ + l.size();
  }
  template <class Out>
  void flush(Out& out) {
    if (!first_) return;
    out.put(std::string_view(first_, size_t(last_ - first_)));
    out.put('\n');
    first_ = nullptr;
  }

 private:
  const char* first_ = nullptr;
  const char* last_ = nullptr;
};

// Where the first line that starts at or after `pos` starts (the file's size
// when none does), or UINT64_MAX when the file cannot be read.
inline uint64_t nextLineStart(FileFront& file, uint64_t pos) {
  if (pos == 0) return 0;
  char window[4096];
  while (pos < file.size()) {
    const size_t n = size_t(std::min<uint64_t>(sizeof window, file.size() - pos));
    if (!file.readAt(pos - 1, window, n)) return UINT64_MAX;
    if (const void* nl = std::memchr(window, '\n', n)) return pos + uint64_t(static_cast<const char*>(nl) - window);
    pos += n;
  }
  return file.size();
}

// Cuts a file at line starts into pieces of about `bytes` each (the last one
// shorter): cuts[i] .. cuts[i + 1] is piece i. False when the file cannot be
// read.
inline bool cutAtLines(FileFront& file, uint64_t bytes, std::vector<uint64_t>& cuts) {
  cuts.assign(1, 0);
  while (file.size() - cuts.back() > bytes) {
    const uint64_t next = nextLineStart(file, cuts.back() + bytes);
    if (next == UINT64_MAX) return false;
    if (next == file.size()) break;
    cuts.push_back(next);
  }
  cuts.push_back(file.size());
  return true;
}

}  // namespace tolvane
