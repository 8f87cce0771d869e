// Windows file names: the library's texts are UTF-8, the wide (W) calls of
// Windows take UTF-16. Only compiled on Windows.
#pragma once

#if defined(_WIN32)

#include <string>

namespace tolvane::win {

// UTF-16 form of a UTF-8 text; false for a null pointer or text that is not
// valid UTF-8 (such a name cannot exist on an NTFS volume).
bool widen(const char* utf8, std::wstring& out);
// UTF-8 form of UTF-16 text; unpaired surrogates become U+FFFD.
std::string narrow(const wchar_t* utf16);

// Both separators, as Windows accepts both.
inline bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace tolvane::win

#endif  // _WIN32
