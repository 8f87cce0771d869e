#include "common/bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tolvane {
namespace {

template <class Buffer>
bool loadInto(const char* path, Buffer& out) {
  if (!path) return false;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  Buffer data;
  // Regular files are read in one go at their size; anything else (pipes,
  // devices) grows as it is read.
  // One byte more than the size, so that the read that finds the end does
  // not first double the buffer.
  size_t want = S_ISREG(st.st_mode) && st.st_size > 0 ? size_t(st.st_size) + 1 : 65536;
  data.resize(want);
  size_t got = 0;
  for (;;) {
    if (got == data.size()) data.resize(data.size() * 2);
    ssize_t n = ::read(fd, &data[0] + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    got += size_t(n);
  }
  ::close(fd);
  data.resize(got);
  out.swap(data);
  return true;
}

}  // namespace

bool loadFile(const char* path, Bytes& out) { return loadInto(path, out); }
bool loadFile(const char* path, std::string& out) { return loadInto(path, out); }

bool fileReadable(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace tolvane
