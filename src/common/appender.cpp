// Appender with the POSIX calls.
#include "common/appender.h"

// The Windows version is in appender_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tolvane {

bool Appender::open(const char* path) {
  abort();
  if (!path || !*path) return false;
  int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // Two jobs appending to one file would interleave their blocks, and a cut
  // back would take the other's bytes: one waits for the other, and the
  // size is taken only once the file is ours.
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd);
      return false;
    }
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !start(fd)) {
    ::close(fd);
    return false;
  }
  start_ = st.st_size;
  path_ = path;
  return true;
}

bool Appender::commit() {
  if (fd_ < 0) return false;
  flush();
  if (failed_) {
    abort();
    return false;
  }
  // Write errors the system reports late come out here, while the file is
  // still ours to cut back.
  if (::fsync(fd_) != 0) {
    abort();
    return false;
  }
  ::close(fd_);  // the bytes are on the disk: nothing the close says can change that
  release();
  return true;
}

void Appender::abort() {
  if (fd_ >= 0) {
    if (::ftruncate(fd_, start_) != 0) { /* best effort */ }
    ::close(fd_);
  }
  release();
}

}  // namespace tolvane

#endif  // !_WIN32
