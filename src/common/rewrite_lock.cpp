// RewriteLock with the POSIX calls.
#include "common/rewrite_lock.h"

// The Windows version is in rewrite_lock_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

// The files this thread has locked, as (device, inode).
thread_local std::vector<std::pair<uint64_t, uint64_t>> held;

}  // namespace

int openLocked(const char* path, int flags, unsigned mode) {
  for (;;) {
    int fd = ::open(path, flags, mode_t(mode));
    if (fd < 0) return -1;
    int locked = ::flock(fd, LOCK_EX);
    while (locked != 0 && errno == EINTR) locked = ::flock(fd, LOCK_EX);
    struct stat opened, named;
    if (locked != 0 || ::fstat(fd, &opened) != 0) {
      ::close(fd);
      return -1;
    }
    if (::stat(path, &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) return fd;
    ::close(fd);
  }
}

RewriteLock::RewriteLock(const char* path) {
  // A device or pipe is not locked: opening one may wait, or take its bytes.
  struct stat st;
  if (!path || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return;
  const int fd = openLocked(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    fd_ = fd;
    dev_ = uint64_t(st.st_dev), ino_ = uint64_t(st.st_ino);
    held.emplace_back(dev_, ino_);
  } else if (fd >= 0) {
    ::close(fd);
  }
}

RewriteLock::~RewriteLock() {
  if (fd_ < 0) return;
  held.erase(std::find(held.begin(), held.end(), std::make_pair(dev_, ino_)));
  ::close(fd_);
}

bool rewriteLockHeld(uint64_t dev, uint64_t ino) {
  return std::find(held.begin(), held.end(), std::make_pair(dev, ino)) != held.end();
}

}  // namespace tolvane

#endif  // !_WIN32
