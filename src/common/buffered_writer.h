// The buffered-write core shared by the two kinds of output file.
//
// Bytes are collected in a large buffer and written in big blocks. The first
// failed write is remembered (ok() turns false) and every later write is
// dropped, so callers check once at the end instead of after every write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tolvane {

class BufferedWriter {
 public:
  BufferedWriter(const BufferedWriter&) = delete;
  BufferedWriter& operator=(const BufferedWriter&) = delete;

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

  // False once any write has failed.
  bool ok() const { return !failed_; }

 protected:
  BufferedWriter() = default;
  ~BufferedWriter() { release(); }

  bool isOpen() const;
  // Takes the open file `file` (a descriptor, or a HANDLE on Windows) and
  // makes the buffer; false, with the file still the caller's to close, when
  // there is no memory for it.
  bool start(intptr_t file);
  // Writes out what is buffered.
  void flush();
  // Frees the buffer and forgets the file (closing it is the caller's job).
  void release();

#if defined(_WIN32)
  void* handle_ = nullptr;  // the open file's HANDLE
#else
  int fd_ = -1;
#endif
  bool failed_ = false;
  char* buf_ = nullptr;
  size_t len_ = 0;
  size_t cap_ = 0;

 private:
  void writeSlow(const void* p, size_t n);
  // Writes all n bytes at p to the file; false when it could not.
  bool writeOut(const void* p, size_t n);
};

}  // namespace tolvane
