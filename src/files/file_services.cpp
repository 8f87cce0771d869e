// Delete, copy, folder walk and folder emptying with the standard file calls
// and the POSIX directory calls.
#include <dirent.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/result_codes.h"
#include "files/files.h"

// The folder being walked by GetFile; null when none is open.
DIR* folder = nullptr;

namespace tolvane {

namespace {

constexpr size_t kCopyBlock = 4000;
constexpr size_t kNameBuffer = 256;

// True when removing `to` would destroy the only name of `from`: the copy
// would then read nothing and the user's file would be gone.
bool sameOnlyFile(const char* from, const char* to) {
  struct stat src, dst;
  if (stat(from, &src) != 0 || lstat(to, &dst) != 0) return false;
  return src.st_dev == dst.st_dev && src.st_ino == dst.st_ino && dst.st_nlink <= 1;
}

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
  return float(std::remove(path));
}

float fileCopyTo(const char* from, const char* to) {
  if (!from || !to) return kFailed;
  if (sameOnlyFile(from, to)) return kFailed;
  std::remove(to);
  FILE* in = std::fopen(from, "rb");
  if (!in) return kFailed;
  FILE* out = std::fopen(to, "wb");
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
  if (folder) closedir(folder);
  folder = path ? opendir(path) : nullptr;
  return folder ? kOk : kFailed;
}

float getFile(char* out) {
  if (!folder || !out) return kFailed;
  const dirent* entry = readdir(folder);
  if (!entry) return kNoFurtherEntry;
  std::strcpy(out, entry->d_name);
  return kOk;
}

float closeFolder() {
  if (!folder) return kFailed;
  closedir(folder);
  folder = nullptr;
  return kOk;
}

}  // namespace tolvane

namespace {

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

}  // namespace

bool IsDirectory(const char* name) {
  if (!name) return true;
  for (size_t i = std::strlen(name); i > 0; --i) {
    char c = name[i - 1];
    if (c == '.') return false;
    if (c == '/' || c == '\\') return true;
  }
  return true;
}

bool ClearFolder(const std::string& path) {
  // An empty path names no folder (it must not become "/").
  if (path.empty()) return false;
  std::string base = path;
  // "/" is the only separator of a Linux path; a trailing "\" is part of
  // the folder's name.
  if (base.back() != '/') base += '/';
  DIR* dir = opendir(base.c_str());
  if (!dir) return false;
  char name[tolvane::kNameBuffer];
  while (const dirent* entry = readdir(dir)) {
    // "." and ".." are skipped by name: hashed folders (ext4) deliver them
    // anywhere in the listing, not as the first two entries.
    if (isDotOrDotDot(entry->d_name)) continue;
    size_t len = std::strlen(entry->d_name);
    if (base.size() + len >= sizeof name) continue;  // would not fit: left alone
    std::memset(name, 0, sizeof name);
    std::memcpy(name, base.data(), base.size());
    std::memcpy(name + base.size(), entry->d_name, len);
    if (!IsDirectory(name)) std::remove(name);
  }
  closedir(dir);
  return true;
}
