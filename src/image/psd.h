// PSD images: the header record, its parser, the big-endian primitives over a
// loaded file, the packed colour rule and the write-back step every PSD
// operation shares.
//
// The operations handle one kind of PSD file: version 1, no colour mode data,
// uncompressed 8-bit planes. Pixel k (row x width + column, row 0 at the top)
// of channel c lies at data + c x plane + k, plane = width x height, data the
// index of the first image data byte; channels 0, 1, 2 are red, green and
// blue.
//
// Each operation reads its files in pieces (image/planes.h) and leaves the
// process-wide image globals (host/frozen.h) through endPSD as a run that
// loaded each file whole would leave them.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/byte_reader.h"

// The parsed PSD header. `reserved` is never filled.
struct PSDHeader {
  char signature[4] = {0, 0, 0, 0};
  int16_t version = 0;
  char reserved[6] = {0, 0, 0, 0, 0, 0};
  int16_t channels = 0;
  int32_t height = 0;
  int32_t width = 0;
  int16_t depth = 0;
  int16_t mode = 0;  // 3 RGB, 1 grayscale
  int32_t colorModeDataLength = 0;
  int32_t imageResourcesLength = 0;
  int32_t layerMaskInfoLength = 0;
  int32_t compression = 0;  // the 16-bit field, sign-extended
};

namespace tolvane {

// Parses a PSD header from the bytes of `in` into `h` and `dataAt` (the index
// of the first image data byte). Fields are filled in file order up to the
// first refused one; the rest keep what they held.
// 0 accepted; -1 not "8BPS" (also a file shorter than 4 bytes); -2 version
// not 1; -3 colour mode data present; -4 compressed image data; -1761 the
// file ends inside a header field or a section length points outside it
// (negative lengths included).
float parsePSDHeader(ByteReader in, PSDHeader& h, int32_t& dataAt);

// Big-endian primitives over a loaded file. An index whose bytes are not all
// inside `file` reads 0 and writes nothing.
int beShortAt(const Bytes& file, int index);  // 2 bytes, sign-extended
int beLongAt(const Bytes& file, int index);   // 4 bytes, first most significant
void putBeShortAt(Bytes& file, int index, int value);  // bits 8..15, then 0..7
void putBeLongAt(Bytes& file, int index, int value);   // most significant first
// The 4 bytes at index, first least significant, as an IEEE single.
float leFloatAt(const Bytes& file, int index);
// beLongAt(index) as an IEEE single (first byte most significant).
float beFloatAt(const Bytes& file, int index);
// What the library reports about the machine: never big-endian, always
// little-endian.
int reportsBigEndian();
int reportsLittleEndian();

// A packed colour R x 65536 + G x 256 + B split into its parts. Parts may lie
// outside 0..255 for numbers that are not packed colours.
struct ColorParts {
  int64_t r = 0, g = 0, b = 0;
};

// Single-precision truncation toward zero that never overflows: NaN gives 0,
// huge values saturate far outside any byte range.
int64_t truncFloat(float f);

// The match split: R = trunc(c/65536), rest = c - R*65536, G = trunc(rest/256),
// B = trunc(rest - G*256), all in single precision.
ColorParts splitMatchColor(float c);
// The paint split: R = trunc(c/65536), G = trunc(c/256), B = trunc(c - G*256);
// the bytes painted are the low 8 bits of each.
ColorParts splitPaintColor(float c);

// Plane size in bytes of a file with header `h`, or -1 when width or height
// is negative or their product leaves the signed 32-bit range.
int64_t planeBytes(const PSDHeader& h);

// Write-back step: writes the bytes to `path` through a temporary file renamed
// over it. False (the file at `path` untouched) when it cannot be written.
bool writeBack(const char* path, const unsigned char* data, size_t n);
inline bool writeBack(const char* path, const Bytes& b) { return writeBack(path, b.data(), b.size()); }

// Eight pixels at once: 0xFF in each byte of the result whose pixel (the
// bytes at r, g and b, one per plane) is the colour (mr, mg, mb), 0 in the
// others. Bytes of the result follow the pixels' order in memory.
inline uint64_t load8(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store8(unsigned char* p, uint64_t v) { std::memcpy(p, &v, 8); }
inline uint64_t sameColour8(const unsigned char* r, const unsigned char* g, const unsigned char* b, uint8_t mr,
                            uint8_t mg, uint8_t mb) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t x = (load8(r) ^ (kOnes * mr)) | (load8(g) ^ (kOnes * mg)) | (load8(b) ^ (kOnes * mb));
  // The top bit of a byte is set exactly where that byte of x is 0.
  const uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
  return (zero >> 7) * 0xFF;
}

// The PSD operations. Each reads its files in pieces, writes its output
// through a temporary file, and returns a result code:
//
// Recolours the RGB PSD at `path` in place. stencil: every pixel that does not
// match `matchColor` becomes `newColor`; otherwise only matching pixels do.
// 0, -1..-4 (header), -5 not written (file unchanged), -1761 pixel data
// shorter than three planes or a negative size.
float recolourPSD(const char* path, float matchColor, float newColor, bool stencil);

// Writes a one-channel grayscale PSD of the RGB PSD at `inPath` to `outPath`,
// levels at or below `threshold` black and the rest stretched.
// 0, -1..-4 (header), -3 also when the mode is not RGB, -5 not written, -1761.
float grayscalePSD(const char* inPath, const char* outPath, int threshold);

// Lays the top image over the bottom one, `keyColor` transparent, and writes
// the result (with the bottom file's header sections) over `topPath`.
// 0, -1..-4 (either header), -5, -6 sizes differ, -1761, -1771 header
// sections of different lengths.
float mergeLayers(const char* topPath, const char* bottomPath, float keyColor);

// Copies edge bands of the first image (rows 50..59 and 40..49, or columns
// 50, 51 and 48, 49) onto the border rows or columns of the second and writes
// the result over `edgePath`. Codes as mergeLayers, and -9 when the first
// image is narrower or lower than 100 pixels.
float healEdges(const char* edgePath, const char* bodyPath, bool columns);

// Replaces the PSD at `path` by a `size` x `size` point-sampled thumbnail.
// 0, -1..-4, -5, -1761, -1770 size below 1 or above 16384.
float makeThumbnail(const char* path, int size);

}  // namespace tolvane
