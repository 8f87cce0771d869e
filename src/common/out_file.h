// Output files that never leave a user's file half-written.
//
// An OutFile collects bytes in a large buffer and writes them in big blocks.
// Created files are written to an unnamed (or hidden) temporary file in the
// destination's folder and only reach their name in commit(): a write that
// fails half-way (disk full, file size limit, a signal) leaves whatever was at
// the destination untouched and no temporary file behind. Appends remember the
// file's size and cut it back to that size when they fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace tolvane {

class OutFile {
 public:
  // How the finished file takes its name.
  enum class Mode {
    Replace,      // replaces any file of that name (in-place rewrites, exports)
    NoReplace,    // fails at commit if a file of that name appeared meanwhile
    ReplaceFile,  // as Replace, but fails for a device or pipe, which would
                  // take the bytes before commit()
  };

  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() { abort(); }

  // Prepares a new file for `path`. Fails, touching nothing, when the folder
  // does not exist or is not writable, when `path` names a folder, or when an
  // existing file at `path` is not writable. An existing device or pipe at
  // `path` is written directly, never replaced.
  bool create(const char* path, Mode mode = Mode::Replace);
  // Opens `path` for appending, creating it when missing.
  bool openAppend(const char* path);

  void write(const void* p, size_t n) {
    if (n <= cap_ - len_) {
      std::memcpy(buf_ + len_, p, n);
      len_ += n;
    } else {
      writeSlow(p, n);
    }
  }
  // Writes a block straight from p, after what is buffered: for callers that
  // make their output a block at a time in a small buffer of their own, which
  // is still in the processor's cache when it is written from there.
  void writeBlock(const void* p, size_t n);
  void put(std::string_view s) { write(s.data(), s.size()); }
  void put(char c) {
    if (len_ == cap_) flush();
    buf_[len_++] = c;
  }
  // Direct formatting into the buffer: room(n) returns space for at least
  // n bytes (n <= 4096); advance(end) keeps what was written up to end.
  char* room(size_t n) {
    if (cap_ - len_ < n) flush();
    return buf_ + len_;
  }
  void advance(char* end) { len_ = size_t(end - buf_); }

  // Output made out of order: writeAt puts n bytes at `offset` of a created
  // file straight from p, before anything is written the usual way; several
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

  // False once any write has failed.
  bool ok() const { return !failed_; }
  // Writes out what is buffered and gives the file its name. False when any
  // write failed or the file could not take its name; the destination is then
  // as it was before create()/openAppend().
  bool commit();
  // commit() under another name in the same folder, for a created file
  // whose free name is known only when it is finished.
  bool commitAs(const std::string& path) {
    if (append_ || direct_) return false;
    path_ = path;
    return commit();
  }
  // Drops the file: removes the temporary, or cuts an append back.
  void abort();

 private:
  void flush();
  void writeSlow(const void* p, size_t n);
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
  void release();

#if defined(_WIN32)
  void* handle_ = nullptr;  // the open file's HANDLE
#else
  int fd_ = -1;
#endif
  bool append_ = false;
  bool direct_ = false;  // a device or pipe, written in place
  bool failed_ = false;
  Mode mode_ = Mode::Replace;
  int64_t appendStart_ = 0;
  std::string path_;     // final name
  std::string tmpPath_;  // named temporary, empty when unnamed (O_TMPFILE)
  char* buf_ = nullptr;
  size_t len_ = 0;
  size_t cap_ = 0;
};

// Writes `n` bytes to `path` through an OutFile in one go.
bool writeWholeFile(const char* path, const void* data, size_t n,
                    OutFile::Mode mode = OutFile::Mode::Replace);

}  // namespace tolvane
