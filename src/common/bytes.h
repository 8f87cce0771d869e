// Byte images and the one checked reader over them.
//
// Every binary reader decodes from bytes it has copied out of its file: the
// whole file (a byte image), its front (FileFront), or the parts it needs
// (SeekableFile). All reads of untrusted bytes go through ByteReader, which
// knows how many bytes there are: a read that would reach past the end fails
// instead of touching memory that is not the file's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tolvane {

using Bytes = std::vector<unsigned char>;

// State that two threads update at the same time sits on cache lines of its
// own: were two threads' counters or buffer ends on one line, every update
// by one would make the other's core fetch the line again.
constexpr size_t kCacheLine = 64;
template <class T>
struct alignas(kCacheLine) OwnLine : T {
  using T::T;
};

// Reads the whole file at `path` into `out` (replacing its contents).
// Fails (returns false, `out` untouched) when the path cannot be opened for
// reading, names a directory, or a read error occurs.
bool loadFile(const char* path, Bytes& out);
bool loadFile(const char* path, std::string& out);

// True when a file of that name can be opened for reading.
bool fileReadable(const char* path);

// Byte order of this machine, for code that moves several bytes in one word.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kLittleEndian = false;
#else
constexpr bool kLittleEndian = true;
#endif

// Little- and big-endian assembly of raw bytes, unchecked: for callers that
// already hold a checked span.
inline uint32_t le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t be32(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline uint16_t be16(const unsigned char* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
inline float bitsToFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
inline void putLe32(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void putBe32(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Checked view of a byte image. Positions are 64-bit so that offsets built
// from 32-bit file fields never wrap.
struct ByteReader {
  const unsigned char* data = nullptr;
  uint64_t size = 0;

  ByteReader() = default;
  ByteReader(const unsigned char* d, uint64_t n) : data(d), size(n) {}
  explicit ByteReader(const Bytes& b) : data(b.data()), size(b.size()) {}

  // True when the n bytes at pos lie inside the image.
  bool has(uint64_t pos, uint64_t n) const { return pos <= size && n <= size - pos; }
  // The n bytes at pos, or nullptr when they do not all lie inside the image.
  const unsigned char* span(uint64_t pos, uint64_t n) const { return has(pos, n) ? data + pos : nullptr; }

  bool u8(uint64_t pos, uint32_t& v) const {
    if (!has(pos, 1)) return false;
    v = data[pos];
    return true;
  }
  bool u32le(uint64_t pos, uint32_t& v) const {
    if (!has(pos, 4)) return false;
    v = le32(data + pos);
    return true;
  }
  bool i32le(uint64_t pos, int32_t& v) const {
    uint32_t u;
    if (!u32le(pos, u)) return false;
    v = int32_t(u);
    return true;
  }
  bool f32le(uint64_t pos, float& v) const {
    uint32_t u;
    if (!u32le(pos, u)) return false;
    v = bitsToFloat(u);
    return true;
  }
  bool u16be(uint64_t pos, uint32_t& v) const {
    if (!has(pos, 2)) return false;
    v = be16(data + pos);
    return true;
  }
  bool i16be(uint64_t pos, int32_t& v) const {
    if (!has(pos, 2)) return false;
    v = int16_t(be16(data + pos));
    return true;
  }
  bool u32be(uint64_t pos, uint32_t& v) const {
    if (!has(pos, 4)) return false;
    v = be32(data + pos);
    return true;
  }
  bool i32be(uint64_t pos, int32_t& v) const {
    uint32_t u;
    if (!u32be(pos, u)) return false;
    v = int32_t(u);
    return true;
  }
};

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
  // or device can be read only once, so it is left unread.
  bool open(const char* path);
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

// Asks for huge pages behind the memory [p, p + n) where the system allows
// it: filling a buffer of many megabytes then takes dozens of page faults
// instead of thousands. Call it on reserved memory before filling it.
void preferHugePages(const void* p, size_t n);

// Reserves room for n elements, backed by huge pages when that is 4 MiB or
// more. Pages never filled are never touched: a generous guess costs
// address space, not memory.
template <class Vector>
void reserveLarge(Vector& v, size_t n) {
  v.reserve(n);
  if (n * sizeof(v[0]) >= (size_t(4) << 20)) preferHugePages(v.data(), n * sizeof(v[0]));
}

}  // namespace tolvane
