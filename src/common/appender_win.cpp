// Appender with the wide Windows calls; a failed append is cut back with
// SetEndOfFile.
#if defined(_WIN32)

#include <windows.h>

#include "common/appender.h"
#include "common/win_path.h"

namespace tolvane {
namespace {

// Cuts the file behind `h` back to `size` bytes.
void cutBack(HANDLE h, int64_t size) {
  LARGE_INTEGER at;
  at.QuadPart = size;
  if (SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) SetEndOfFile(h);
}

}  // namespace

bool Appender::open(const char* path) {
  abort();
  std::wstring wide;
  if (!path || !*path || !win::widen(path, wide)) return false;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size, zero;
  zero.QuadPart = 0;
  if (!GetFileSizeEx(h, &size) || !SetFilePointerEx(h, zero, nullptr, FILE_END) ||
      !start(reinterpret_cast<intptr_t>(h))) {
    CloseHandle(h);
    return false;
  }
  start_ = size.QuadPart;
  path_ = path;
  return true;
}

bool Appender::commit() {
  if (!handle_) return false;
  flush();
  if (failed_) {
    abort();
    return false;
  }
  bool closed = CloseHandle(static_cast<HANDLE>(handle_)) != 0;
  if (!closed) {
    // The data may not have reached the disk: put the file back as it was.
    std::wstring wide;
    win::widen(path_.c_str(), wide);
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      cutBack(h, start_);
      CloseHandle(h);
    }
  }
  release();
  return closed;
}

void Appender::abort() {
  if (handle_) {
    cutBack(static_cast<HANDLE>(handle_), start_);
    CloseHandle(static_cast<HANDLE>(handle_));
  }
  release();
}

}  // namespace tolvane

#endif  // _WIN32
