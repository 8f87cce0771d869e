// Line reading for text files.
//
// Lines are split at line feeds only: a carriage return before the line feed
// stays part of the line. A last line without a line feed still counts; a
// final line feed does not start another line. Lines are found with memchr
// in text held in memory, so no line has a length limit and no line costs an
// allocation.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace tolvane {

template <class F>
void forEachLine(std::string_view text, F&& visit) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    const char* stop = nl ? nl : end;
    visit(std::string_view(p, size_t(stop - p)));
    p = nl ? nl + 1 : end;
  }
}

// The lines of a file, read a block at a time through one buffer that stays
// in the processor's cache: a reader that keeps only some of what it reads
// never holds the whole file. A line's view lives only during its visit.
// [from, to) limits the reading to part of the file (`from` a line's start).
// False when the file cannot be read to the size it had when opened.
template <class F>
bool forEachLine(FileFront& file, F&& visit, uint64_t from = 0, uint64_t to = UINT64_MAX) {
  constexpr size_t kBlock = size_t(256) << 10;
  std::vector<char> buf(kBlock);
  size_t have = 0;  // bytes in buf: the unfinished line carried over, then what was read
  to = std::min(to, file.size());
  for (uint64_t pos = from; pos < to;) {
    // A line longer than what is left of the buffer: make room for more.
    if (buf.size() - have < kBlock / 2) buf.resize(buf.size() * 2);
    const size_t n = size_t(std::min<uint64_t>(buf.size() - have, to - pos));
    if (!file.readAt(pos, buf.data() + have, n)) return false;
    pos += n;
    have += n;
    const char* p = buf.data();
    const char* end = p + have;
    while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) {
      visit(std::string_view(p, size_t(nl - p)));
      p = nl + 1;
    }
    have = size_t(end - p);
    std::memmove(buf.data(), p, have);
  }
  if (have > 0) visit(std::string_view(buf.data(), have));
  return true;
}

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

}  // namespace tolvane
