// The parts of the URL and string layer that are the same on every system:
// URL syntax, hex digits, and the conversion of a chosen path into a C text.
#pragma once

#include <cstddef>

#include "files/platform/platform.h"

namespace tolvane::platform {

int hexValue(char c);  // -1 for a character that is no hex digit
inline bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The system's own conversion of UTF-8 text into Mac Roman, zero-terminated
// within `size` bytes; false when a character has no Mac Roman form.
bool toMacRoman(const String& s, char* out, size_t size);

}  // namespace tolvane::platform
