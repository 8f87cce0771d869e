// Byte images and the one checked reader over them.
//
// Every binary reader decodes from bytes it has copied out of its file (see
// common/file_front.h). All reads of untrusted bytes go through ByteReader,
// which knows how many bytes there are: a read that would reach past the end
// fails instead of touching memory that is not the file's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tolvane {

using Bytes = std::vector<unsigned char>;

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

}  // namespace tolvane
