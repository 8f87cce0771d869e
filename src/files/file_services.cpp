// Delete, copy, folder walk and folder emptying with the standard file calls
// and the POSIX directory calls (their wide forms on Windows, so that UTF-8
// names work there too).
#include <dirent.h>
#include <unistd.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <windows.h>

#include <string>

#include "common/win_path.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/result_codes.h"
#include "files/files.h"

// The folder being walked by GetFile; null when none is open.
#if defined(_WIN32)
_WDIR* folder = nullptr;
#else
DIR* folder = nullptr;
#endif

namespace tolvane {

namespace {

constexpr size_t kNameBuffer = 256;

#if defined(_WIN32)
std::wstring wide(const char* utf8) {
  std::wstring w;
  win::widen(utf8, w);  // not UTF-8: empty, which names nothing
  return w;
}

// Folders are refused as a copy's destination.
bool replaceable(const char* path) {
  std::wstring w = wide(path);
  DWORD attrs = w.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(w.c_str());
  return attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// remove() also takes empty folders, as on Linux.
int removeFile(const char* path) {
  std::wstring w = wide(path);
  return !w.empty() && (_wremove(w.c_str()) == 0 || _wrmdir(w.c_str()) == 0) ? 0 : -1;
}

using Folder = _WDIR;
Folder* openDir(const char* path) {
  std::wstring w = wide(path);
  return w.empty() ? nullptr : _wopendir(w.c_str());
}
void closeDir(Folder* dir) { _wclosedir(dir); }
// The next entry's name in UTF-8, kept in `name`; null at the end.
const char* nextName(Folder* dir, std::string& name) {
  const _wdirent* entry = _wreaddir(dir);
  if (!entry) return nullptr;
  name = win::narrow(entry->d_name);
  return name.c_str();
}

// The volume and file index of `path` (of a link itself when `link`).
bool fileIdentity(const char* path, bool link, BY_HANDLE_FILE_INFORMATION& info) {
  std::wstring w = wide(path);
  if (w.empty()) return false;
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (link ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE h = CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

// True when removing `to` would destroy the only name of `from` (the same
// file by another spelling: case, "\\" or "/", a short 8.3 name).
bool sameOnlyFile(const char* from, const char* to) {
  BY_HANDLE_FILE_INFORMATION src, dst;
  if (!fileIdentity(from, false, src) || !fileIdentity(to, true, dst)) return false;
  return src.dwVolumeSerialNumber == dst.dwVolumeSerialNumber && src.nFileIndexHigh == dst.nFileIndexHigh &&
         src.nFileIndexLow == dst.nFileIndexLow && dst.nNumberOfLinks <= 1;
}
#else
// Only a regular file (or a link, which the copy replaces) may be replaced
// by a copy: a device, FIFO, socket or folder is left alone.
bool replaceable(const char* path) {
  struct stat st;
  return lstat(path, &st) != 0 || S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
}
int removeFile(const char* path) { return std::remove(path); }

using Folder = DIR;
Folder* openDir(const char* path) { return opendir(path); }
void closeDir(Folder* dir) { closedir(dir); }
const char* nextName(Folder* dir, std::string&) {
  const dirent* entry = readdir(dir);
  return entry ? entry->d_name : nullptr;
}

// True when removing `to` would destroy the only name of `from`: the copy
// would then read nothing and the user's file would be gone.
bool sameOnlyFile(const char* from, const char* to) {
  struct stat src, dst;
  if (stat(from, &src) != 0 || lstat(to, &dst) != 0) return false;
  return src.st_dev == dst.st_dev && src.st_ino == dst.st_ino && dst.st_nlink <= 1;
}
#endif

}  // namespace

float fileDelete(const char* path) {
  if (!path) return kFailed;
  return float(removeFile(path));
}

float fileCopyTo(const char* from, const char* to) {
  if (!from || !to) return kFailed;
  if (sameOnlyFile(from, to) || !replaceable(to)) return kFailed;
  // The destination goes first, so that it is gone even when the copy then
  // fails; the copy itself reaches the name whole or not at all.
  removeFile(to);
  FileFront in;
  if (!in.open(from)) return kFailed;
  AtomicFile out;
  if (!out.create(to)) return kFailed;
  return out.copyFrom(in, 0, in.size()) && out.commit() ? kOk : kFailed;
}

float openFolder(const char* path) {
  if (folder) closeDir(folder);
  folder = path ? openDir(path) : nullptr;
  return folder ? kOk : kFailed;
}

float getFile(char* out) {
  if (!folder || !out) return kFailed;
  std::string keep;
  const char* name = nextName(folder, keep);
  if (!name) return kNoFurtherEntry;
  std::strcpy(out, name);
  return kOk;
}

float closeFolder() {
  if (!folder) return kFailed;
  closeDir(folder);
  folder = nullptr;
  return kOk;
}

namespace {

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

}  // namespace

bool namesFolder(const char* name) {
  if (!name) return true;
  for (size_t i = std::strlen(name); i > 0; --i) {
    char c = name[i - 1];
    if (c == '.') return false;
    if (c == '/' || c == '\\') return true;
  }
  return true;
}

bool clearFolder(const std::string& path) {
  // An empty path names no folder (it must not become "/").
  if (path.empty()) return false;
  std::string base = path;
#if defined(_WIN32)
  // Windows takes both separators: "C:\\dir" and "C:\\dir\\" are one folder.
  if (base.back() != '/' && base.back() != '\\') base += '\\';
#else
  // "/" is the only separator of a Linux path; a trailing "\\" is part of
  // the folder's name.
  if (base.back() != '/') base += '/';
#endif
  Folder* dir = openDir(base.c_str());
  if (!dir) return false;
  char name[kNameBuffer];
  std::string keep;
  while (const char* entry = nextName(dir, keep)) {
    // "." and ".." are skipped by name: hashed folders (ext4) deliver them
    // anywhere in the listing, not as the first two entries.
    if (isDotOrDotDot(entry)) continue;
    size_t len = std::strlen(entry);
    if (base.size() + len >= sizeof name) continue;  // would not fit: left alone
    std::memset(name, 0, sizeof name);
    std::memcpy(name, base.data(), base.size());
    std::memcpy(name + base.size(), entry, len);
    if (!namesFolder(name)) removeFile(name);
  }
  closeDir(dir);
  return true;
}

}  // namespace tolvane
