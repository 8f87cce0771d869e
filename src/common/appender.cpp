// Appender with the POSIX calls.
#include "common/appender.h"
#include "common/file_front.h"
#include "common/hidden_names.h"
#include "common/rewrite_lock.h"

// The Windows version is in appender_win.cpp.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tolvane {
namespace {

// The journal: the file's device, inode and size before the append, each as
// two little-endian 32-bit halves.
constexpr size_t kJournalBytes = 24;

void putLe64(unsigned char* p, uint64_t v) {
  putLe32(p, uint32_t(v));
  putLe32(p + 4, uint32_t(v >> 32));
}

bool le64(const ByteReader& r, uint64_t pos, uint64_t& v) {
  uint32_t low, high;
  if (!r.u32le(pos, low) || !r.u32le(pos + 4, high)) return false;
  v = uint64_t(high) << 32 | low;
  return true;
}

// Cuts the file `fd` back to the size its journal holds, where an append
// was killed part-way, and drops the journal. Only a journal of this very
// file counts: one left beside a file since replaced says nothing about it.
void rollBackKilled(int fd, const std::string& journal, const struct stat& st) {
  Bytes bytes;
  if (!loadFile(journal.c_str(), bytes)) return;
  const ByteReader r(bytes);
  uint64_t dev, ino, size;
  if (le64(r, 0, dev) && le64(r, 8, ino) && le64(r, 16, size) && dev == uint64_t(st.st_dev) &&
      ino == uint64_t(st.st_ino) && size <= uint64_t(st.st_size) && ::ftruncate(fd, off_t(size)) == 0)
    ::fsync(fd);
  ::unlink(journal.c_str());
}

// Writes the journal of an append to the file `st` starting now; false
// when it could not (a folder that takes no new names): the append then
// goes on without one.
bool writeJournal(const std::string& journal, const struct stat& st) {
  unsigned char bytes[kJournalBytes];
  putLe64(bytes, uint64_t(st.st_dev));
  putLe64(bytes + 8, uint64_t(st.st_ino));
  putLe64(bytes + 16, uint64_t(st.st_size));
  int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // Not flushed: it guards against a killed job, whose written pages the
  // system keeps, and a flush per append would cost more than the append.
  bool written = ::write(fd, bytes, sizeof bytes) == ssize_t(sizeof bytes);
  written = ::close(fd) == 0 && written;
  if (!written) ::unlink(journal.c_str());
  return written;
}

}  // namespace

bool Appender::open(const char* path) {
  abort();
  if (!path || !*path) return false;
  // Two jobs appending to one file would interleave their blocks, and a cut
  // back would take the other's bytes: one waits for the other, and the
  // size is taken only once the file is ours. The file is the one at the
  // path by then, not one a rewrite replaced while this job waited.
  int fd = openLocked(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st;
  const std::string journal = journalName(path);
  if (::fstat(fd, &st) == 0) rollBackKilled(fd, journal, st);
  if (::fstat(fd, &st) != 0 || !start(fd)) {
    ::close(fd);
    return false;
  }
  start_ = st.st_size;
  path_ = path;
  if (writeJournal(journal, st)) journal_ = journal;
  return true;
}

bool Appender::commit() {
  if (fd_ < 0) return false;
  flush();
  if (failed_) {
    abort();
    return false;
  }
  // The source stays where it was, so the combined file is not flushed
  // here (a flush per append tripled the time of a hundred appends). A
  // close that reports a late write error still undoes the append; the
  // second descriptor keeps the file locked while it is cut back.
  const int kept = ::dup(fd_);
  const bool closed = ::close(fd_) == 0;
  fd_ = kept;
  if (!closed) {
    abort();
    return false;
  }
  dropJournal();
  if (fd_ >= 0) ::close(fd_);
  release();
  return true;
}

void Appender::abort() {
  if (fd_ >= 0) {
    if (::ftruncate(fd_, start_) != 0) { /* best effort */ }
    dropJournal();
    ::close(fd_);
  }
  release();
}

void Appender::dropJournal() {
  if (!journal_.empty()) ::unlink(journal_.c_str());
  journal_.clear();
}

}  // namespace tolvane

#endif  // !_WIN32
