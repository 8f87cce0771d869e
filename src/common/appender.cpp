// Appender with the POSIX calls.
#include "common/appender.h"

// The Windows version is in appender_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

bool Appender::open(const char* path) {
  abort();
  if (!path || !*path) return false;
  int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
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
  bool closed = ::close(fd_) == 0;
  // The data may not have reached the disk: put the file back as it was.
  if (!closed && ::truncate(path_.c_str(), start_) != 0) { /* nothing more can be done */ }
  release();
  return closed;
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
