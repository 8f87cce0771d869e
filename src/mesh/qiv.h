// Qiv meshes and Qit vertex files: the layout, the byte primitives and the
// chunk walk that every mesh reader shares.
//
// A Qiv file is a 32-byte header the library never interprets, followed by
// chunks: tag, length (whole chunk, header included), count, reserved word,
// then the records. All fields are little-endian. A Qit file is one vertex
// chunk with no file header.
#pragma once

#include <cstdint>

#include "common/file_front.h"

namespace tolvane {

constexpr uint64_t kQivHeaderSize = 32;
constexpr uint64_t kChunkHeaderSize = 16;

constexpr uint32_t kVertexTag = 10001;  // 12-byte records: float x, y, z
constexpr uint32_t kFaceTag = 20001;    // 16-byte records: four signed indices, 4th < 0 for a triangle
constexpr uint32_t kUVTag = 25001;      // 32-byte records: four (u, v) float pairs
constexpr uint32_t kColourTag = 35001;  // 4-byte records: blue, green, red, unused

constexpr uint64_t kVertexRecord = 12;
constexpr uint64_t kFaceRecord = 16;
constexpr uint64_t kUVRecord = 32;
constexpr uint64_t kColourRecord = 4;

// One chunk header as found in a byte image.
struct Chunk {
  uint64_t pos = 0;  // offset of the chunk header
  uint32_t tag = 0;
  uint32_t length = 0;
  uint32_t count = 0;
  uint64_t records() const { return pos + kChunkHeaderSize; }
};

// Reads the chunk header at `pos`; false when its 16 bytes are not all there.
bool readChunk(const ByteReader& image, uint64_t pos, Chunk& out);

// The chunk walk: from offset 32, chunk to chunk by each chunk's length (a
// length of 0 steps over 16 bytes), to the first chunk tagged `tag`. Later
// chunks with the same tag are never looked at. False when the walk reaches
// the end of the image, or a chunk header cut off by it, first.
bool findChunk(const ByteReader& image, uint32_t tag, Chunk& out);

// The same for a file read in parts: only the chunk headers are read.
bool readChunk(FileFront& file, uint64_t pos, Chunk& out);
bool findChunk(FileFront& file, uint32_t tag, Chunk& out);

// True when `count` records of `recordSize` bytes follow the chunk header
// inside the image (or the file).
inline bool recordsFit(const ByteReader& image, const Chunk& c, uint64_t recordSize) {
  return image.has(c.records(), uint64_t(c.count) * recordSize);
}
inline bool recordsFit(const FileFront& file, const Chunk& c, uint64_t recordSize) {
  return file.holds(c.records(), uint64_t(c.count) * recordSize);
}

}  // namespace tolvane
