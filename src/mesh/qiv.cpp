#include "mesh/qiv.h"

namespace tolvane {

bool readChunk(const ByteReader& image, uint64_t pos, Chunk& out) {
  const unsigned char* p = image.span(pos, kChunkHeaderSize);
  if (!p) return false;
  out.pos = pos;
  out.tag = le32(p);
  out.length = le32(p + 4);
  out.count = le32(p + 8);
  return true;
}

namespace {

// The walk itself, over whatever reads the header at a position.
template <class ReadHeader>
bool walkTo(uint64_t size, uint32_t tag, Chunk& out, ReadHeader readHeader) {
  // Positions are 64-bit and every step moves forward, so the walk always
  // ends and never wraps.
  uint64_t pos = kQivHeaderSize;
  while (pos < size) {
    Chunk c;
    if (!readHeader(pos, c)) return false;
    if (c.tag == tag) {
      out = c;
      return true;
    }
    pos += c.length == 0 ? kChunkHeaderSize : c.length;
  }
  return false;
}

}  // namespace

bool findChunk(const ByteReader& image, uint32_t tag, Chunk& out) {
  return walkTo(image.size, tag, out, [&](uint64_t pos, Chunk& c) { return readChunk(image, pos, c); });
}

bool readChunk(FileFront& file, uint64_t pos, Chunk& out) {
  unsigned char b[kChunkHeaderSize];
  if (!file.holds(pos, sizeof b) || !file.readAt(pos, b, sizeof b)) return false;
  return readChunk(ByteReader(b, sizeof b), 0, out) && ((out.pos = pos), true);
}

bool findChunk(FileFront& file, uint32_t tag, Chunk& out) {
  return walkTo(file.size(), tag, out, [&](uint64_t pos, Chunk& c) { return readChunk(file, pos, c); });
}

}  // namespace tolvane
