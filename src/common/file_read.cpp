// Whole-file loads and positional reads with the POSIX calls.
#include "common/file_front.h"
#include "common/huge_pages.h"

// The Windows version is in file_read_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tolvane {
namespace {

// Opens `path` for reading and tells what it is; -1 for a missing path, one
// that cannot be opened, a folder, or a device: a device is no mesh or
// image, and one like /dev/zero never ends.
int openForReading(const char* path, struct stat& st) {
  if (!path) return -1;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode))) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads the open file `fd` (`st` tells what it is) to its end into `out`.
template <class Buffer>
bool readAll(int fd, const struct stat& st, Buffer& out) {
  Buffer data;
  // Regular files are read in one go at their size; anything else (pipes,
  // devices) grows as it is read.
  size_t want = S_ISREG(st.st_mode) && st.st_size > 0 ? size_t(st.st_size) : 65536;
  reserveLarge(data, want);
  data.resize(want);
  size_t got = 0;
  for (;;) {
    if (got == data.size()) {
      // A regular file is usually complete here: probe for more before
      // doubling the buffer, so loading costs the file's size, not twice it.
      char probe;
      ssize_t n = ::read(fd, &probe, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) break;
      data.resize(data.size() * 2);
      data[got++] = probe;
    }
    ssize_t n = ::read(fd, &data[0] + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    got += size_t(n);
  }
  data.resize(got);
  out.swap(data);
  return true;
}

template <class Buffer>
bool loadInto(const char* path, Buffer& out) {
  struct stat st;
  int fd = openForReading(path, st);
  if (fd < 0) return false;
  const bool read = readAll(fd, st, out);
  ::close(fd);
  return read;
}

}  // namespace

bool loadFile(const char* path, Bytes& out) { return loadInto(path, out); }
bool loadFile(const char* path, std::string& out) { return loadInto(path, out); }

SeekableFile::~SeekableFile() { close(); }

void SeekableFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool SeekableFile::open(const char* path, Bytes* stream) {
  if (fd_ >= 0) return false;
  struct stat st;
  int fd = openForReading(path, st);
  if (fd < 0) return false;
  if (!S_ISREG(st.st_mode)) {
    // A pipe's bytes come only to the one opening that reads them.
    const bool read = stream && readAll(fd, st, *stream);
    ::close(fd);
    return read;
  }
  fd_ = fd;
  size_ = uint64_t(st.st_size);
  return true;
}

int64_t SeekableFile::readOnce(uint64_t pos, void* into, size_t n) {
  for (;;) {
    ssize_t r = ::pread(fd_, into, n, off_t(pos));
    if (r >= 0 || errno != EINTR) return r;
  }
}

bool fileReadable(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace tolvane

#endif  // !_WIN32
