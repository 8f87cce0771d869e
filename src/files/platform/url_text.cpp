#include "files/platform/url_text.h"

#include <cstring>

namespace tolvane::platform {

namespace {

// Characters a URL holds as they are: unreserved, and the delimiters.
bool isUrlChar(char c) {
  return isAlpha(c) || isDigit(c) || std::strchr("-._~:/?#[]@!$&'()*+,;=", c) != nullptr;
}

}  // namespace

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

long stringLength(const String& s) {
  long units = 0;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u & 0xC0) != 0x80) units += u >= 0xF0 ? 2 : 1;
  }
  return units;
}

bool stringToCText(const String& s, char* out, size_t size, Encoding encoding) {
  if (size == 0) return false;
  if (encoding == kMacRoman) return toMacRoman(s, out, size);
  if (encoding != kUTF8 || s.size() >= size) return false;
  std::memcpy(out, s.data(), s.size());
  out[s.size()] = 0;
  return true;
}

bool urlFromString(const char* text, Url& out) {
  if (!text || !isAlpha(text[0])) return false;
  size_t i = 1;
  while (isAlpha(text[i]) || isDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.') ++i;
  if (text[i] != ':') return false;
#if defined(_WIN32)
  // One letter before ":" is a drive ("C:/tools/app.exe"), which the shell
  // would run as a program: not a URL.
  if (i == 1) return false;
#endif
  int fragments = 0;
  for (++i; text[i]; ++i) {
    char c = text[i];
    if (c == '%') {
      if (hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return false;
      i += 2;
    } else if (!isUrlChar(c) || (c == '#' && ++fragments > 1)) {
      return false;
    }
  }
  out.text = text;
  return true;
}

}  // namespace tolvane::platform
