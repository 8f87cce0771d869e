// Reading a binary file: FileFront and the checked ByteReader over what it
// read are the one way to do it (text files go through the line reader).
// A whole file can still be loaded into a byte image in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/byte_reader.h"

namespace tolvane {

// Reads the whole file at `path` into `out` (replacing its contents).
// Fails (returns false, `out` untouched) when the path cannot be opened for
// reading, names a directory, or a read error occurs.
bool loadFile(const char* path, Bytes& out);
bool loadFile(const char* path, std::string& out);

// True when a file of that name can be opened for reading.
bool fileReadable(const char* path);

// A regular file read a part at a time, at any position: for operations
// that stream a large file through a small buffer instead of loading it.
//
//   SeekableFile file;
//   if (!file.open(path)) return wholeFilePath(path);  // pipes, devices too
//   if (file.readAt(pos, buf, n) != n) ...             // the file ended first
class SeekableFile {
 public:
  SeekableFile() = default;
  SeekableFile(const SeekableFile&) = delete;
  SeekableFile& operator=(const SeekableFile&) = delete;
  ~SeekableFile();

  // Fails where loadFile fails, and for anything but a regular file: a pipe
  // can be read only once, so it is left unread, or, given `stream`, read
  // whole into it from this one opening (true, and isOpen() false).
  bool open(const char* path, Bytes* stream = nullptr);
  // Reads fail from here on. Windows will not let a new file take the name
  // of one still open: a rewrite closes what it read before that.
  void close();
  // The file's size when it was opened.
  uint64_t size() const { return size_; }
  // Reads up to n bytes at pos into `into`: how many were read, fewer than n
  // only where the file ends (or a read fails).
  size_t readAt(uint64_t pos, void* into, size_t n);
#if defined(_WIN32)
  bool isOpen() const { return handle_ != nullptr; }
#else
  bool isOpen() const { return fd_ >= 0; }
  // The open file (-1 when none), for copies the system makes itself.
  int descriptor() const { return fd_; }
#endif

 private:
  // One positional read: how many bytes it gave, 0 at the end, -1 on error.
  int64_t readOnce(uint64_t pos, void* into, size_t n);

#if defined(_WIN32)
  void* handle_ = nullptr;  // the open file's HANDLE
#else
  int fd_ = -1;
#endif
  uint64_t size_ = 0;
};

// The front of a file, read only as far as a reader asks: for readers that
// use the leading chunks of a large file (a mesh's UVs come last, and the
// export never reads them). upTo(n) gives the file's first n bytes, or all
// of it when it is shorter, so a check against the returned reader answers
// as it would against the whole file for anything within n.
//
//   FileFront front;
//   if (!front.open(path)) return kInputNotOpened;   // fails as loadFile does
//   ByteReader image = front.upTo(48);
//
// Readers returned earlier stay valid: the buffer never moves.
class FileFront {
 public:
  bool open(const char* path);
  ByteReader upTo(uint64_t n);

  // Past the front: the file's size when opened, checks against it, and
  // reads of any part of the file into the caller's memory (safe from two
  // threads at once). The streaming readers check what they will read with
  // holds() first; readAt() still fails cleanly when the file has shrunk
  // since.
  uint64_t size() const { return size_; }
  bool holds(uint64_t pos, uint64_t n) const { return pos <= size_ && n <= size_ - pos; }
  bool readAt(uint64_t pos, void* dst, size_t n);
  // The file as opened for reading in parts; not open for a pipe or device,
  // which open() read whole.
  SeekableFile& seekable() { return file_; }
  // Reads past what was read already fail from here on.
  void close() { file_.close(); }

 private:
  SeekableFile file_;  // a regular file; pipes and devices are read whole by open()
  uint64_t size_ = 0;  // what the file held when opened
  Bytes data_;         // its first data_.size() bytes
};

}  // namespace tolvane
