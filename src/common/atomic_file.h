// A new file that replaces its destination whole or not at all.
//
// The bytes go to an unnamed (or hidden) temporary file in the destination's
// folder and only reach their name in commit(): a write that fails half-way
// (disk full, file size limit, a signal) leaves whatever was at the
// destination untouched and no temporary file behind.
#pragma once

#include <cstdint>
#include <string>

#include "common/buffered_writer.h"
#include "common/file_front.h"

namespace tolvane {

class AtomicFile : public BufferedWriter {
 public:
  // How the finished file takes its name.
  enum class Mode {
    Replace,    // replaces any file of that name (exports whose inputs remain)
    NoReplace,  // fails at commit if a file of that name appeared meanwhile
    Rewrite,    // replaces the user's only copy in place: the new file is on
                // the disk before it takes the name, and the name after;
                // fails for a device or pipe, which would take the bytes
                // before commit()
  };

  AtomicFile() = default;
  ~AtomicFile() { abort(); }

  // Prepares a new file for `path`. Fails, touching nothing, when the folder
  // does not exist or is not writable, when `path` names a folder, or when an
  // existing file at `path` is not writable. An existing device or pipe at
  // `path` is written directly, never replaced.
  bool create(const char* path, Mode mode = Mode::Replace);

  // Output made out of order: writeAt puts n bytes at `offset` of the file
  // straight from p, before anything is written the usual way; several
  // threads may call it at once for separate ranges. False when it fails:
  // the file must then not be committed. skipTo(offset) makes the usual
  // writes that follow go on from `offset`.
  bool writeAt(uint64_t offset, const void* p, size_t n);
  void skipTo(uint64_t offset);

  // Writes the n bytes at `pos` of `file`, unchanged. Large ranges between
  // two files of one file system are copied by the system without a trip
  // through this process's memory; small ones are read straight into the
  // buffer. False when the file ends first (it shrank) or a write fails
  // (ok() then tells which).
  bool copyFrom(SeekableFile& file, uint64_t pos, uint64_t n);
  bool copyFrom(FileFront& file, uint64_t pos, uint64_t n) {
    if (!file.holds(pos, n)) return false;
    if (file.seekable().isOpen()) return copyFrom(file.seekable(), pos, n);
    return copyThroughBuffer(pos, n, [&](uint64_t at, char* into, size_t k) { return file.readAt(at, into, k); });
  }

  // Writes out what is buffered and gives the file its name. False when any
  // write failed or the file could not take its name; the destination is then
  // as it was before create().
  bool commit();
  // commit() under another name in the same folder, for a file whose free
  // name is known only when it is finished.
  bool commitAs(const std::string& path) {
    if (direct_) return false;
    path_ = path;
    return commit();
  }
  // Drops the file and its temporary.
  void abort();

 private:
  // copyFrom() through the buffer's free room; read(pos, into, k) reads k
  // bytes.
  template <class Read>
  bool copyThroughBuffer(uint64_t pos, uint64_t n, Read read) {
    while (n > 0 && !failed_) {
      if (len_ == cap_) flush();
      const size_t k = size_t(n < cap_ - len_ ? n : cap_ - len_);
      if (!read(pos, buf_ + len_, k)) return false;
      len_ += k;
      pos += k;
      n -= k;
    }
    return !failed_;
  }

  bool direct_ = false;  // a device or pipe, written in place
  Mode mode_ = Mode::Replace;
  std::string path_;     // final name
  std::string tmpPath_;  // named temporary, empty when unnamed (O_TMPFILE)
#if !defined(_WIN32)
  int lock_ = -1;  // the file being replaced, locked against a second writer
#endif
};

// Writes `n` bytes to `path` through an AtomicFile in one go.
inline bool writeWholeFile(const char* path, const void* data, size_t n,
                           AtomicFile::Mode mode = AtomicFile::Mode::Replace) {
  AtomicFile out;
  if (!out.create(path, mode)) return false;
  out.write(data, n);
  return out.commit();
}

}  // namespace tolvane
