// AtomicFile with the POSIX calls.
#include "common/atomic_file.h"
#include "common/hidden_names.h"
#include "common/kept_attributes.h"
#include "common/rewrite_lock.h"

// The Windows version is in atomic_file_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace tolvane {
namespace {

mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes the folder's new entry for `path` reach the disk.
void syncFolderOf(const std::string& path) {
  int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  if (::fsync(dir) != 0) { /* some file systems cannot: the rename stands */ }
  ::close(dir);
}

}  // namespace

bool AtomicFile::create(const char* path, Mode mode) {
  abort();
  if (!path || !*path) return false;
  std::string target = path;
  // Rewriting through a symbolic link rewrites the file it points to and
  // keeps the link.
  struct stat lst;
  if (::lstat(path, &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path, resolved)) target = resolved;
  }
  struct stat st;
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;
  // A file under several names (hard links) would be split by the rename:
  // the new bytes under this name, the old ones under the others. Refused,
  // touching nothing.
  if (exists && S_ISREG(st.st_mode) && st.st_nlink > 1 && mode != Mode::NoReplace) return false;

  std::string dir = folderOf(target);
  std::string tmp;
  int fd = -1;
  bool direct = exists && !S_ISREG(st.st_mode);
  if (direct) {
    // Devices and pipes (/dev/null, a FIFO) are written as they are; renaming
    // a file over them would replace the device itself.
    if (mode != Mode::Replace) return false;
    fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
  } else {
    fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  }
  if (fd < 0) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    // The file system has no unnamed files: use a hidden named one.
    fd = createHidden(target, tmp);
    if (fd < 0) return false;
    ::fchmod(fd, newFileMode());
  }
  if (exists && !direct && mode != Mode::NoReplace) {
    keepAttributes(fd, target.c_str(), st);
    // A second job rewriting or appending to the file waits until this one
    // has replaced it; an in-place rewrite holds its lock from before it read.
    if (!rewriteLockHeld(uint64_t(st.st_dev), uint64_t(st.st_ino)))
      lock_ = openLocked(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  }

  if (!start(fd)) {
    ::close(fd);
    if (!tmp.empty()) ::unlink(tmp.c_str());
    return false;
  }
  direct_ = direct;
  mode_ = mode;
  path_ = target;
  tmpPath_ = tmp;
  return true;
}

bool AtomicFile::writeAt(uint64_t offset, const void* p, size_t n) {
  if (fd_ < 0 || direct_ || len_ != 0) return false;
  const char* c = static_cast<const char*>(p);
  while (n > 0) {
    ssize_t w = ::pwrite(fd_, c, n, off_t(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    c += w;
    n -= size_t(w);
    offset += uint64_t(w);
  }
  return true;
}

void AtomicFile::skipTo(uint64_t offset) {
  flush();
  if (fd_ >= 0 && !failed_ && ::lseek(fd_, off_t(offset), SEEK_SET) < 0) failed_ = true;
}

bool AtomicFile::copyFrom(SeekableFile& file, uint64_t pos, uint64_t n) {
  if (pos > file.size() || n > file.size() - pos) return false;
  // Below this a system call per range costs more than the copy it saves.
  constexpr uint64_t kSystemCopy = uint64_t(64) << 10;
  const int from = file.descriptor();
  if (n >= kSystemCopy && from >= 0 && fd_ >= 0 && !direct_) {
    flush();
    while (n > 0 && !failed_) {
      loff_t at = loff_t(pos);
      const ssize_t c = ::copy_file_range(from, &at, fd_, nullptr, size_t(std::min<uint64_t>(n, 1u << 30)), 0);
      if (c < 0 && errno == EINTR) continue;
      // Files on two file systems, or a system without the call: by hand.
      if (c < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) break;
      if (c < 0) failed_ = true;
      if (c <= 0) return false;  // 0: the file ended early
      pos += uint64_t(c);
      n -= uint64_t(c);
    }
  }
  return copyThroughBuffer(pos, n, [&](uint64_t at, char* into, size_t k) { return file.readAt(at, into, k) == k; });
}

bool AtomicFile::commit() {
  if (fd_ < 0) return false;
  flush();
  // The user's only copy is replaced only by bytes that are on the disk:
  // otherwise a crash after the rename could leave an empty file.
  const bool durable = mode_ == Mode::Rewrite;
  if (!failed_ && !direct_ && durable && ::fsync(fd_) != 0) failed_ = true;
  if (failed_) {
    abort();
    return false;
  }
  if (!direct_ && tmpPath_.empty()) {
    // An unnamed file gets its hidden name first, so that it can be closed,
    // and the close checked, before it takes the destination's name.
    std::string tmp;
    if (!linkHidden(fd_, path_, tmp)) {
      abort();
      return false;
    }
    tmpPath_ = tmp;
  }
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  bool named = closed;
  if (!direct_ && named) {
    named = mode_ == Mode::NoReplace ? ::link(tmpPath_.c_str(), path_.c_str()) == 0
                                     : ::rename(tmpPath_.c_str(), path_.c_str()) == 0;
    if (named && mode_ != Mode::NoReplace) tmpPath_.clear();  // renamed: nothing left to remove
    if (named && durable) syncFolderOf(path_);
  }
  abort();  // removes the hidden name where it is left
  return named;
}

void AtomicFile::abort() {
  if (fd_ >= 0) ::close(fd_);
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
  if (!tmpPath_.empty()) {
    ::unlink(tmpPath_.c_str());
    tmpPath_.clear();
  }
  release();
}

}  // namespace tolvane

#endif  // !_WIN32
