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

RewriteLock::RewriteLock(const char* path) {
  while (path && *path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat locked, named;
    bool ok = ::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode);
    while (ok && ::flock(fd, LOCK_EX) != 0) ok = errno == EINTR;
    if (!ok) {
      ::close(fd);
      return;
    }
    // The job that held the lock may have renamed a new file over this one:
    // the lock on the old one then guards nothing, so the new one is locked.
    if (::stat(path, &named) == 0 && named.st_dev == locked.st_dev && named.st_ino == locked.st_ino) {
      fd_ = fd;
      dev_ = uint64_t(locked.st_dev), ino_ = uint64_t(locked.st_ino);
      held.emplace_back(dev_, ino_);
      return;
    }
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
