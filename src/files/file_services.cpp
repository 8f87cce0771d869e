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

constexpr size_t kCopyBlock = 4000;
constexpr size_t kNameBuffer = 256;

#if defined(_WIN32)
std::wstring wide(const char* utf8) {
  std::wstring w;
  win::widen(utf8, w);  // not UTF-8: empty, which names nothing
  return w;
}

FILE* openFile(const char* path, bool forWriting) {
  std::wstring w = wide(path);
  return w.empty() ? nullptr : _wfopen(w.c_str(), forWriting ? L"wb" : L"rb");
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
FILE* openFile(const char* path, bool forWriting) { return std::fopen(path, forWriting ? "wb" : "rb"); }
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

// The whole of `in` to `out` inside the kernel, as cp does it: no block
// passes through this process. False, with nothing copied, where the file
// systems cannot do that (the caller then copies block by block); a failure
// after the first bytes sets `result` to -1.
bool copyInKernel(FILE* in, FILE* out, float& result) {
#if !defined(__linux__)
  (void)in, (void)out, (void)result;
  return false;
#else
  const int from = fileno(in), to = fileno(out);
  bool started = false;
  for (;;) {
    ssize_t n = copy_file_range(from, nullptr, to, nullptr, size_t(1) << 30, 0);
    if (n > 0) {
      started = true;
      continue;
    }
    if (n == 0) {
      result = kOk;
      return true;
    }
    if (errno == EINTR) continue;
    if (!started && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                     errno == EBADF || errno == EPERM))
      return false;
    result = kFailed;
    return true;
  }
#endif
}

// Blocks from `in` to `out` until the end of `in`; 0, or -1 on a short write
// or a read error.
float copyBlocks(FILE* in, FILE* out) {
  float result = kOk;
  if (copyInKernel(in, out, result)) return result;
  char* block = static_cast<char*>(std::malloc(kCopyBlock));
  if (!block) return kFailed;
  for (;;) {
    size_t got = std::fread(block, 1, kCopyBlock, in);
    if (got == 0) {
      if (std::ferror(in)) result = kFailed;
      break;
    }
    if (std::fwrite(block, 1, got, out) < got) {
      result = kFailed;
      break;
    }
  }
  std::free(block);
  return result;
}

}  // namespace

float fileDelete(const char* path) {
  if (!path) return kFailed;
  return float(removeFile(path));
}

float fileCopyTo(const char* from, const char* to) {
  if (!from || !to) return kFailed;
  if (sameOnlyFile(from, to)) return kFailed;
  removeFile(to);
  FILE* in = openFile(from, false);
  if (!in) return kFailed;
  FILE* out = openFile(to, true);
  if (!out) {
    std::fclose(in);
    return kFailed;
  }
  float result = copyBlocks(in, out);
  // Buffered bytes reach the disk at fclose: a failure there is a short write.
  if (std::fclose(out) != 0) result = kFailed;
  std::fclose(in);
  return result;
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
