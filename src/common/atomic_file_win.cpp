// AtomicFile with the wide Windows calls. A new file is written to a hidden
// temporary in the destination's folder and moved over the destination in
// commit() (MoveFileExW, write-through), so a failed write never leaves a
// destination half-written.
#if defined(_WIN32)

#include <windows.h>

#include <cstdlib>

#include "common/atomic_file.h"
#include "common/win_path.h"

namespace tolvane {
namespace {

HANDLE asHandle(void* h) { return static_cast<HANDLE>(h); }

// Where the folder part of `path` ends (0 when there is none); a drive's
// root keeps its separator ("C:\").
size_t folderEnd(const std::wstring& path) {
  size_t i = path.size();
  while (i > 0 && !win::isSeparator(path[i - 1])) --i;
  if (i == 0 && path.size() >= 2 && path[1] == L':') return 2;  // "C:name"
  return i;
}

// A hidden name beside the destination for the moment before it is moved.
std::wstring siblingName(const std::wstring& path) {
  static unsigned counter = 0;
  size_t cut = folderEnd(path);
  return path.substr(0, cut) + L"." + path.substr(cut) + L".tolvane-" +
         std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

// The temporary was hidden while it was being written; the finished file
// is an ordinary one.
bool unhide(HANDLE h) {
  FILE_BASIC_INFO info;
  if (!GetFileInformationByHandleEx(h, FileBasicInfo, &info, sizeof info)) return false;
  info.FileAttributes &= ~DWORD(FILE_ATTRIBUTE_HIDDEN);
  if (info.FileAttributes == 0) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info) != 0;
}

std::wstring wideOf(const std::string& utf8) {
  std::wstring w;
  win::widen(utf8.c_str(), w);
  return w;
}

}  // namespace

bool AtomicFile::create(const char* path, Mode mode) {
  abort();
  std::wstring target;
  if (!path || !*path || !win::widen(path, target)) return false;
  DWORD attrs = GetFileAttributesW(target.c_str());
  bool exists = attrs != INVALID_FILE_ATTRIBUTES;
  if (exists && (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;

  HANDLE h = INVALID_HANDLE_VALUE;
  std::wstring tmp;
  bool direct = false;
  if (exists) {
    // Devices and pipes (NUL, a named pipe) are written as they are; moving
    // a file over them is impossible anyway.
    HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;  // not writable (in use, no rights)
    if (GetFileType(probe) != FILE_TYPE_DISK) {
      if (mode != Mode::Replace) {
        CloseHandle(probe);
        return false;
      }
      direct = true;
      h = probe;
    } else {
      CloseHandle(probe);
    }
  }
  if (!direct) {
    tmp = siblingName(target);
    h = CreateFileW(tmp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
  }
  if (!start(reinterpret_cast<intptr_t>(h))) {
    CloseHandle(h);
    if (!tmp.empty()) DeleteFileW(tmp.c_str());
    return false;
  }
  direct_ = direct;
  mode_ = mode;
  path_ = path;
  tmpPath_ = win::narrow(tmp.c_str());
  return true;
}

bool AtomicFile::writeAt(uint64_t offset, const void* p, size_t n) {
  if (!handle_ || direct_ || len_ != 0) return false;
  const char* c = static_cast<const char*>(p);
  while (n > 0) {
    DWORD chunk = n > 0x40000000u ? 0x40000000u : DWORD(n);
    DWORD written = 0;
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    if (!WriteFile(asHandle(handle_), c, chunk, &written, &at) || written == 0) return false;
    c += written;
    n -= written;
    offset += written;
  }
  return true;
}

void AtomicFile::skipTo(uint64_t offset) {
  flush();
  LARGE_INTEGER to;
  to.QuadPart = LONGLONG(offset);
  if (handle_ && !failed_ && !SetFilePointerEx(asHandle(handle_), to, nullptr, FILE_BEGIN)) failed_ = true;
}

bool AtomicFile::copyFrom(SeekableFile& file, uint64_t pos, uint64_t n) {
  if (pos > file.size() || n > file.size() - pos) return false;
  return copyThroughBuffer(pos, n, [&](uint64_t at, char* into, size_t k) { return file.readAt(at, into, k) == k; });
}

bool AtomicFile::commit() {
  if (!handle_) return false;
  flush();
  if (failed_ || (!tmpPath_.empty() && !unhide(asHandle(handle_)))) {
    abort();
    return false;
  }
  bool closed = CloseHandle(asHandle(handle_)) != 0;
  handle_ = nullptr;
  bool named = true;
  if (!tmpPath_.empty()) {
    std::wstring tmp = wideOf(tmpPath_), dest = wideOf(path_);
    DWORD how = MOVEFILE_WRITE_THROUGH | (mode_ != Mode::NoReplace ? MOVEFILE_REPLACE_EXISTING : 0);
    named = closed && MoveFileExW(tmp.c_str(), dest.c_str(), how);
    if (!named) DeleteFileW(tmp.c_str());
    tmpPath_.clear();
  }
  release();
  return named && closed;
}

void AtomicFile::abort() {
  if (handle_) CloseHandle(asHandle(handle_));
  if (!tmpPath_.empty()) {
    DeleteFileW(wideOf(tmpPath_).c_str());
    tmpPath_.clear();
  }
  release();
}

}  // namespace tolvane

#endif  // _WIN32
