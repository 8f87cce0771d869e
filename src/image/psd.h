// PSD images: the process-wide byte image, the header parser, the big-endian
// primitives over it, and the load and write-back steps every PSD operation
// shares.
//
// The operations handle one kind of PSD file: version 1, no colour mode data,
// uncompressed 8-bit planes. Pixel k (row x width + column, row 0 at the top)
// of channel c lies at img[offst + c x plane + k], plane = width x height;
// channels 0, 1, 2 are red, green and blue.
//
// Lifecycle: a load replaces `img` (a file that cannot be opened leaves it as
// it was) and `readPSDHeader` overwrites `fHeader` and `offst`; a header that
// is refused leaves the file's bytes in `img` until the next load, with the
// fields parsed so far holding the new file's values and the rest the
// previous file's. A successful operation empties `img`.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/bytes.h"
#include "common/export.h"

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

// The bytes of the PSD file loaded last, exactly as in the file.
extern tolvane::Bytes img;
// Header of the file loaded last.
extern PSDHeader fHeader;
// Index in `img` of the first image data byte (after the compression field).
extern int32_t offst;

// Parses the header of the file in `img` into `fHeader` and `offst`.
// 0 accepted; -1 not "8BPS" (also a file shorter than 4 bytes); -2 version
// not 1; -3 colour mode data present; -4 compressed image data; -1761 the
// file ends inside a header field or a section length points outside it
// (negative lengths included).
TOLVANE_API float readPSDHeader();

// Big-endian primitives over `img`. An index whose bytes are not all inside
// `img` reads 0 and writes nothing.
TOLVANE_API int readShort(int index);   // 2 bytes, sign-extended
TOLVANE_API int readLong(int index);    // 4 bytes, first most significant
TOLVANE_API void writeShort(int index, int value);  // bits 8..15, then 0..7
TOLVANE_API void writeLong(int index, int value);   // most significant first
// The 4 bytes at index, first least significant, as an IEEE single.
TOLVANE_API float readFloat(int index);
// readLong(index) as an IEEE single (first byte most significant).
TOLVANE_API float readFloatLE(int index);
TOLVANE_API int bigEndian();     // 0: this machine is not big-endian
TOLVANE_API int littleEndian();  // 1: this machine is little-endian

namespace tolvane {

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

// Load step: reads the file at `path` into `img` and parses its header.
// -1 when it cannot be opened (`img` untouched), else readPSDHeader's result.
float loadPSD(const char* path);

// Parses a PSD header from the bytes of `in` into `h` and `dataAt` (the
// index of the first image data byte) as readPSDHeader does for `img`.
float parsePSDHeader(ByteReader in, PSDHeader& h, int32_t& dataAt);

// Plane size in bytes of a file with header `h`, or -1 when width or height
// is negative or their product leaves the signed 32-bit range.
int64_t planeBytes(const PSDHeader& h);
// Plane size of the file in `img`.
inline int64_t planeBytes() { return planeBytes(fHeader); }
// True when `img` holds `planes` whole planes from `offst` on.
bool planesFit(int planes);

// Write-back step: writes the bytes to `path` through a temporary file renamed
// over it. False (the file at `path` untouched) when it cannot be written.
bool writeBack(const char* path, const unsigned char* data, size_t n);
inline bool writeBack(const char* path, const Bytes& b) { return writeBack(path, b.data(), b.size()); }

// Frees the byte image's memory.
void emptyImage(Bytes& b);

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

}  // namespace tolvane

// Recolours the RGB PSD at `path` in place. stencil: every pixel that does not
// match `matchColor` becomes `newColor`; otherwise only matching pixels do.
// 0, -1..-4 (load), -5 not written (file unchanged, `img` keeps the new
// pixels), -1761 pixel data shorter than three planes or a negative size.
TOLVANE_API float convertPSD(const char* path, float matchColor, float newColor, bool stencil);

// Writes a one-channel grayscale PSD of the RGB PSD at `inPath` to `outPath`,
// levels at or below `threshold` black and the rest stretched.
// 0, -1..-4 (load), -3 also when the mode is not RGB, -5 not written, -1761.
TOLVANE_API float GrayscalePSD(const char* inPath, const char* outPath, int threshold);

// Lays the top image over the bottom one, `keyColor` transparent, and writes
// the result (with the bottom file's header sections) over `topPath`.
// 0, -1..-4 (either load), -5, -6 sizes differ, -1761, -1771 header sections
// of different lengths.
TOLVANE_API float mergePSD(const char* topPath, const char* bottomPath, float keyColor);

// Copies edge bands of the first image (rows 50..59 and 40..49, or columns
// 50, 51 and 48, 49) onto the border rows or columns of the second and writes
// the result over `edgePath`. Codes as mergePSD, and -9 when the first image
// is narrower or lower than 100 pixels.
TOLVANE_API float mergeSeamlessPSD(const char* edgePath, const char* bodyPath, bool columns);

// Replaces the PSD at `path` by a `size` x `size` point-sampled thumbnail.
// 0, -1..-4, -5, -1761, -1770 size below 1 or above 16384.
TOLVANE_API float createThumb(const char* path, int size);
