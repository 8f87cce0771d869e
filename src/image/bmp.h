// BMP strips: the process-wide BMP byte image, its header and the crop.
//
// Uncompressed BMP files, every pixel taken as 3 bytes, all fields
// little-endian. Rows are stored one after another from `dataOffset`, each
// `rowBytes` = 3 x width + padding(width) long, a multiple of 4.
//
// cropStrip leaves the process-wide BMP globals (host/frozen.h) as a run that
// loads the input whole leaves them: `bmpV` replaced by the input (untouched
// when it cannot be opened) and emptied only on success; after a refusal or
// a failed write it keeps the file's bytes (with the four changed header
// fields once the crop has been worked out).
#pragma once

#include <cstdint>

#include "common/byte_reader.h"

struct BMPHeader {
  char signature[2] = {0, 0};
  uint32_t fileSize = 0;    // offset 2
  uint32_t dataOffset = 0;  // offset 10
  int32_t width = 0;        // offset 18
  int32_t height = 0;       // offset 22
  int16_t bitCount = 0;     // offset 28, never validated
  uint32_t imageSize = 0;   // offset 34
  int32_t rowBytes = 0;     // computed
};

namespace tolvane {

// Parses a BMP header from the bytes of `in` into `h`, in file order up to
// the first refused field. 0 accepted; -7 not "BM" (also a file shorter than
// 2 bytes); -1761 the file ends before the last header field (offset 38) or
// its width makes a row longer than 2^31 bytes.
float parseBMPHeader(ByteReader in, BMPHeader& h);

// The crop's strip checks on a parsed header: the strip must lie inside
// each stored row and leave at least one row (else -1770), and every row it
// reads must lie inside a file of `size` bytes (else -1761). 0 when it fits.
float checkStrip(const BMPHeader& h, int64_t skip, int64_t width, uint64_t size);

// Writes to `outPath` a BMP of stored rows 1 .. height-3 of the BMP at
// `inPath`, each cut to `cropWidth` pixels from `skipBytes` bytes into the row.
// 0; -1760 `inPath` cannot be opened; -7 not a BMP; -5 `outPath` not written
// (any file there unchanged); -1761 the pixel data or header is shorter than
// the header says; -1770 the strip does not fit: skipBytes below 0, cropWidth
// below 1, skipBytes + 3 x cropWidth past the stored row, or fewer than 4 rows.
float cropStrip(const char* inPath, const char* outPath, int skipBytes, int cropWidth);

// Zero bytes that end a row of w pixels: 0, 3, 2 or 1 for a remainder of
// 3w / 4 of 0, 1, 2 or 3 (taken in single precision); 0 for a negative w.
int bmpPadding(int64_t w);

}  // namespace tolvane
