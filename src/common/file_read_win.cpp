// Whole-file loading with the wide Windows calls, so UTF-8 names of any
// script work (the narrow C calls would use the ANSI code page).
#if defined(_WIN32)

#include <windows.h>

#include "common/file_front.h"
#include "common/win_path.h"

namespace tolvane {
namespace {

HANDLE openForReading(const char* path) {
  std::wstring wide;
  if (!win::widen(path, wide) || wide.empty()) return INVALID_HANDLE_VALUE;
  // Others may keep reading, writing or renaming the file meanwhile, as on
  // Linux; folders cannot be opened this way (no BACKUP_SEMANTICS).
  return CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

template <class Buffer>
bool loadInto(const char* path, Buffer& out) {
  HANDLE h = openForReading(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool disk = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size);
  Buffer data;
  // A disk file is read at its size plus one byte (the read that finds the
  // end needs no bigger buffer); pipes and devices grow as they are read.
  size_t want = disk && size.QuadPart > 0 ? size_t(size.QuadPart) + 1 : 65536;
  data.resize(want);
  size_t got = 0;
  for (;;) {
    if (got == data.size()) data.resize(data.size() * 2);
    size_t room = data.size() - got;
    DWORD chunk = room > 0x40000000u ? 0x40000000u : DWORD(room);
    DWORD n = 0;
    if (!ReadFile(h, &data[0] + got, chunk, &n, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) break;  // a pipe's end
      CloseHandle(h);
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  CloseHandle(h);
  data.resize(got);
  out.swap(data);
  return true;
}

}  // namespace

bool loadFile(const char* path, Bytes& out) { return loadInto(path, out); }
bool loadFile(const char* path, std::string& out) { return loadInto(path, out); }

SeekableFile::~SeekableFile() { close(); }

void SeekableFile::close() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

bool SeekableFile::open(const char* path, Bytes* stream) {
  if (!path || handle_) return false;
  HANDLE h = openForReading(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return stream && loadFile(path, *stream);
  }
  handle_ = h;
  size_ = uint64_t(size.QuadPart);
  return true;
}

int64_t SeekableFile::readOnce(uint64_t pos, void* into, size_t n) {
  // A positional read: the offset rides in the OVERLAPPED record.
  OVERLAPPED at;
  ZeroMemory(&at, sizeof at);
  at.Offset = DWORD(pos & 0xFFFFFFFFu);
  at.OffsetHigh = DWORD(pos >> 32);
  DWORD chunk = n > 0x40000000u ? 0x40000000u : DWORD(n);
  DWORD r = 0;
  if (!handle_ || !ReadFile(static_cast<HANDLE>(handle_), into, chunk, &r, &at)) return -1;
  return int64_t(r);
}

bool fileReadable(const char* path) {
  HANDLE h = openForReading(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace tolvane

#endif  // _WIN32
