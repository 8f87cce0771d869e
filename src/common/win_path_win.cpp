#if defined(_WIN32)

#include "common/win_path.h"

#include <windows.h>

namespace tolvane::win {

bool widen(const char* utf8, std::wstring& out) {
  out.clear();
  if (!utf8) return false;
  if (!*utf8) return true;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (n <= 0) return false;
  out.resize(size_t(n));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &out[0], n);
  out.resize(size_t(n) - 1);  // the terminating zero
  return true;
}

std::string narrow(const wchar_t* utf16) {
  std::string out;
  if (!utf16 || !*utf16) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(size_t(n));
  WideCharToMultiByte(CP_UTF8, 0, utf16, -1, &out[0], n, nullptr, nullptr);
  out.resize(size_t(n) - 1);
  return out;
}

}  // namespace tolvane::win

#endif  // _WIN32
