#include "common/numfmt.h"

#include <charconv>

namespace tolvane {

char* formatG(char* out, double v) {
  // to_chars with a precision is defined as printf's "%.*g", so this is the
  // same text without a format string to parse per value.
  return std::to_chars(out, out + kNumberRoom, v, std::chars_format::general, 6).ptr;
}

char* formatInt(char* out, int64_t v) { return std::to_chars(out, out + kNumberRoom, v).ptr; }
char* formatUint(char* out, uint64_t v) { return std::to_chars(out, out + kNumberRoom, v).ptr; }

}  // namespace tolvane
