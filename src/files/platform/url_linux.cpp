// File URLs, string conversion and the URL launcher on Linux.
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/platform/platform.h"
#include "files/platform/url_text.h"

extern char** environ;

namespace tolvane::platform {

namespace {

constexpr char kFileScheme[] = "file://";

bool validUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra;
    unsigned cp, least;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1Fu, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0Fu, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07u, least = 0x10000;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    if (cp < least || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

bool toMacRoman(const String& s, char* out, size_t size) {
  iconv_t cd = iconv_open("MACINTOSH", "UTF-8");
  if (cd == iconv_t(-1)) return false;
  char* in = const_cast<char*>(s.data());
  size_t inLeft = s.size();
  char* dst = out;
  size_t outLeft = size - 1;  // room for the zero byte
  bool ok = iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1) && inLeft == 0;
  iconv_close(cd);
  if (ok) *dst = 0;
  return ok;
}

bool urlFromFileRef(const FileRef& ref, Url& out) {
  const std::string& p = ref.path;
  if (p.empty() || p[0] != '/' || p.find('\0') != std::string::npos) return false;
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = kFileScheme;
  for (char c : p) {
    if (isAlpha(c) || isDigit(c) || std::strchr("-._~/", c)) {
      text += c;
    } else {
      unsigned char u = static_cast<unsigned char>(c);
      text += '%';
      text += kHex[u >> 4];
      text += kHex[u & 15];
    }
  }
  out.text = std::move(text);
  return true;
}

bool urlFileSystemPath(const Url& url, String& out) {
  const std::string& t = url.text;
  size_t schemeLen = sizeof kFileScheme - 1;
  if (t.compare(0, schemeLen, kFileScheme) != 0) return false;
  std::string path;
  for (size_t i = schemeLen; i < t.size(); ++i) {
    if (t[i] != '%') {
      path += t[i];
      continue;
    }
    int hi = i + 2 < t.size() ? hexValue(t[i + 1]) : -1;
    int lo = hi >= 0 ? hexValue(t[i + 2]) : -1;
    if (lo < 0) return false;
    path += char(hi * 16 + lo);
    i += 2;
  }
  if (path.empty() || path.find('\0') != std::string::npos || !validUtf8(path)) return false;
  out = std::move(path);
  return true;
}

Status openUrl(const Url& url) {
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(url.text.c_str()), nullptr};
  // A short-lived middle process starts xdg-open and ends at once, so the
  // opener (and the browser it starts) is never left behind as our child.
  pid_t middle = fork();
  if (middle < 0) return kLauncherNotStarted;
  if (middle == 0) {
    pid_t pid;
    _exit(posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0 ? 0 : 1);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0) {
    if (errno != EINTR) return kLauncherNotStarted;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kNoErr : kLauncherNotStarted;
}

}  // namespace tolvane::platform
