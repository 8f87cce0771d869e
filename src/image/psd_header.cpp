// The PSD header parser, the big-endian primitives, the packed colour rule
// and the write-back step.
#include <cmath>
#include <cstring>
#include <limits>

#include "common/atomic_file.h"
#include "common/result_codes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// What the library reports about the machine it runs on.
const int machineBigEndian = 0;
const int machineLittleEndian = 1;

// The n bytes at index, or nullptr when they are not all inside `file`.
const unsigned char* spanAt(const Bytes& file, int index, int n) {
  if (index < 0) return nullptr;
  return ByteReader(file).span(uint64_t(index), uint64_t(n));
}

}  // namespace

int beShortAt(const Bytes& file, int index) {
  const unsigned char* p = spanAt(file, index, 2);
  return p ? int(int16_t(be16(p))) : 0;
}

int beLongAt(const Bytes& file, int index) {
  const unsigned char* p = spanAt(file, index, 4);
  return p ? int(int32_t(be32(p))) : 0;
}

void putBeShortAt(Bytes& file, int index, int value) {
  if (!spanAt(file, index, 2)) return;
  file[size_t(index)] = uint8_t(value >> 8);
  file[size_t(index) + 1] = uint8_t(value);
}

void putBeLongAt(Bytes& file, int index, int value) {
  if (!spanAt(file, index, 4)) return;
  putBe32(&file[size_t(index)], uint32_t(value));
}

float leFloatAt(const Bytes& file, int index) {
  const unsigned char* p = spanAt(file, index, 4);
  return p ? bitsToFloat(le32(p)) : 0.0f;
}

float beFloatAt(const Bytes& file, int index) { return bitsToFloat(uint32_t(beLongAt(file, index))); }

int reportsBigEndian() { return machineBigEndian; }
int reportsLittleEndian() { return machineLittleEndian; }


float parsePSDHeader(ByteReader in, PSDHeader& h, int32_t& dataAt) {
  dataAt = 0;
  const unsigned char* sig = in.span(0, 4);
  if (!sig) return kNotPSD;
  std::memcpy(h.signature, sig, 4);
  if (std::memcmp(sig, "8BPS", 4) != 0) return kNotPSD;

  int32_t v;
  if (!in.i16be(4, v)) return kBadFile;
  h.version = int16_t(v);
  if (v != 1) return kPSDVersion;

  // Every field up to the colour mode data length lies in the first 30 bytes.
  if (!in.has(0, 30)) return kBadFile;
  const unsigned char* p = in.data;
  h.channels = int16_t(be16(p + 12));
  h.height = int32_t(be32(p + 14));
  h.width = int32_t(be32(p + 18));
  h.depth = int16_t(be16(p + 22));
  h.mode = int16_t(be16(p + 24));
  h.colorModeDataLength = int32_t(be32(p + 26));
  if (h.colorModeDataLength != 0) return kPSDColorData;

  // Section lengths are untrusted: each must leave room for what follows it,
  // so every later index stays inside the file (and inside 32 bits).
  if (!in.i32be(30, h.imageResourcesLength)) return kBadFile;
  int64_t at = int64_t(h.imageResourcesLength) + 34;
  if (h.imageResourcesLength < 0 || !in.has(uint64_t(at), 4)) return kBadFile;
  dataAt = int32_t(at);

  in.i32be(uint64_t(at), h.layerMaskInfoLength);
  at += int64_t(h.layerMaskInfoLength) + 4;
  if (h.layerMaskInfoLength < 0 || !in.has(uint64_t(at), 2) || at + 2 > std::numeric_limits<int32_t>::max())
    return kBadFile;
  dataAt = int32_t(at);

  in.i16be(uint64_t(at), v);
  h.compression = v;
  if (h.compression != 0) return kCompressed;
  dataAt += 2;
  return kOk;
}

int64_t truncFloat(float f) {
  if (std::isnan(f)) return 0;
  // 2^40: far outside any byte, and times 65536 still inside 64 bits.
  constexpr float kLimit = 1099511627776.0f;
  if (f >= kLimit) return int64_t(1) << 40;
  if (f <= -kLimit) return -(int64_t(1) << 40);
  return int64_t(f);
}

ColorParts splitMatchColor(float c) {
  ColorParts out;
  out.r = truncFloat(c * 0.0000152587890625f);
  float rest = c - float(out.r * 65536);
  out.g = truncFloat(rest * 0.00390625f);
  out.b = truncFloat(rest - float(out.g * 256));
  return out;
}

ColorParts splitPaintColor(float c) {
  ColorParts out;
  out.r = truncFloat(c * 0.0000152587890625f);
  out.g = truncFloat(c * 0.00390625f);
  out.b = truncFloat(c - float(out.g * 256));
  return out;
}

int64_t planeBytes(const PSDHeader& h) {
  if (h.width < 0 || h.height < 0) return -1;
  int64_t plane = int64_t(h.width) * h.height;
  return plane > std::numeric_limits<int32_t>::max() ? -1 : plane;
}

bool writeBack(const char* path, const unsigned char* data, size_t n) {
  return writeWholeFile(path, data, n, AtomicFile::Mode::Rewrite);
}

}  // namespace tolvane
