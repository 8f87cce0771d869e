// File URLs, string conversion and the URL launcher on Windows: chosen files
// are drive paths ("C:\dir\file") or network paths ("\\server\share\file"),
// file URLs are file:///C:/dir/file and file://server/share/file, and URLs
// open with the shell's handler for their scheme.
#if defined(_WIN32)

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "common/win_path.h"
#include "files/platform/platform.h"
#include "files/platform/url_text.h"

namespace tolvane::platform {

namespace {

constexpr char kFileScheme[] = "file://";
constexpr UINT kMacRomanCodePage = 10000;

bool isSlash(char c) { return c == '/' || c == '\\'; }

// "C:\" or "C:/": a path from a drive's root.
bool isDrivePath(const std::string& p) { return p.size() >= 3 && isAlpha(p[0]) && p[1] == ':' && isSlash(p[2]); }
// "\\server\share...": a network path.
bool isNetworkPath(const std::string& p) {
  return p.size() >= 3 && isSlash(p[0]) && isSlash(p[1]) && !isSlash(p[2]);
}

void percentEncode(const std::string& part, std::string& url) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : part) {
    if (isAlpha(c) || isDigit(c) || std::strchr("-._~/", c)) {
      url += c;
    } else if (c == '\\') {
      url += '/';
    } else {
      unsigned char u = static_cast<unsigned char>(c);
      url += '%';
      url += kHex[u >> 4];
      url += kHex[u & 15];
    }
  }
}

bool validUtf8(const std::string& s) {
  return s.empty() ||
         MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), int(s.size()), nullptr, 0) > 0;
}

}  // namespace

bool toMacRoman(const String& s, char* out, size_t size) {
  std::wstring wide;
  if (!win::widen(s.c_str(), wide)) return false;
  if (wide.empty()) {
    out[0] = 0;
    return true;
  }
  BOOL missing = FALSE;
  // Room for the zero byte; no "best fit" stand-ins: a character Mac Roman
  // lacks fails the conversion.
  int n = WideCharToMultiByte(kMacRomanCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), out,
                              int(size - 1), nullptr, &missing);
  if (n <= 0 || missing) return false;
  out[n] = 0;
  return true;
}

bool urlFromFileRef(const FileRef& ref, Url& out) {
  const std::string& p = ref.path;
  if (p.find('\0') != std::string::npos) return false;
  std::string text = kFileScheme;
  if (isDrivePath(p)) {
    text += '/';
    text += p.substr(0, 2);  // the drive's ":" stays as it is
    percentEncode(p.substr(2), text);
  } else if (isNetworkPath(p)) {
    percentEncode(p.substr(2), text);  // the server becomes the URL's host
  } else {
    return false;
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
      path += t[i] == '/' ? '\\' : t[i];
      continue;
    }
    int hi = i + 2 < t.size() ? hexValue(t[i + 1]) : -1;
    int lo = hi >= 0 ? hexValue(t[i + 2]) : -1;
    if (lo < 0) return false;
    path += char(hi * 16 + lo);
    i += 2;
  }
  // "\C:\dir" from file:///C:/dir; anything else names a server.
  if (path.size() >= 3 && path[0] == '\\' && isAlpha(path[1]) && path[2] == ':') {
    path.erase(0, 1);
  } else if (!path.empty() && path[0] != '\\') {
    path = "\\\\" + path;
  } else {
    return false;  // file:/// with no drive: not a Windows path
  }
  if (path.find('\0') != std::string::npos || !validUtf8(path)) return false;
  out = std::move(path);
  return true;
}

Status openUrl(const Url& url) {
  std::wstring wide;
  if (!win::widen(url.text.c_str(), wide)) return kLauncherNotStarted;
  SHELLEXECUTEINFOW info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  // NOASYNC: the handler has been started when this returns (the library
  // may be unloaded right after); no error boxes, a status instead.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = wide.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? kNoErr : kLauncherNotStarted;
}

}  // namespace tolvane::platform

#endif  // _WIN32
