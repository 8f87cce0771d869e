// Line reading for text files.
//
// Lines are split at line feeds only: a carriage return before the line feed
// stays part of the line. A last line without a line feed still counts; a
// final line feed does not start another line. The whole file is read first
// and lines are found with memchr, so no line has a length limit and no line
// costs an allocation.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

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

}  // namespace tolvane
