// PSD planes read in pieces, and pixel masks.
//
// The PSD operations stream: they read the header from the front of the
// file, then the planes a chunk at a time into small buffers that stay in
// the processor's cache, and write their output through an OutFile as they
// go. Only when a file is one they refuse (or the output cannot be written)
// do they load it whole, so that the globals end up as the whole-file load
// leaves them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "common/bytes.h"
#include "common/in_order.h"
#include "common/out_file.h"
#include "image/psd.h"

namespace tolvane {

// Pixels per plane handled at a time.
constexpr size_t kChunkPixels = size_t(128) << 10;

// A PSD file open for reading in pieces. Nothing here touches the globals
// `img`, `fHeader` and `offst` until keep().
class PSDStream {
 public:
  // Opens `path` and parses its header as the whole-file load would. False
  // whenever the whole-file path has to judge the file: it cannot be opened
  // or is not a regular file, its header is refused, or fewer than `planes`
  // whole planes follow the header.
  bool open(const char* path, int planes);

  const PSDHeader& header() const { return header_; }
  int32_t dataOffset() const { return offst_; }
  size_t plane() const { return plane_; }
  // The file's first dataOffset() bytes, as read.
  const unsigned char* headerBytes() const { return front_.data(); }

  // Reads the n bytes of channel c from pixel k on; false when the file
  // ends first (it shrank since it was opened).
  bool readPlane(int c, size_t k, size_t n, unsigned char* into);
  // Copies them to `out` unchanged, by the system where it can.
  bool copyPlane(int c, size_t k, size_t n, OutFile& out);
  // Copies everything after the first `planes` planes to `out`; false when
  // the file is no longer the size it had when opened.
  bool copyTail(int planes, OutFile& out);
  // Leaves the globals as a successful whole-file run does: `img` empty,
  // `fHeader` and `offst` this file's.
  void keep() const;
  // Reads fail from here on (see SeekableFile::close).
  void close() { file_.close(); }

 private:
  SeekableFile file_;
  Bytes front_;
  PSDHeader header_;
  int32_t offst_ = 0;
  size_t plane_ = 0;
};

// Chunk i of the three colour planes of `s`: pixels k .. k + n - 1 of each,
// read into `buf`.
struct RGBChunk {
  const unsigned char *r, *g, *b;
  size_t k, n;
};
inline size_t rgbChunks(const PSDStream& s) { return (s.plane() + kChunkPixels - 1) / kChunkPixels; }
inline bool readRGB(PSDStream& s, size_t i, Bytes& buf, RGBChunk& c) {
  buf.resize(3 * kChunkPixels);
  unsigned char *r = buf.data(), *g = r + kChunkPixels, *b = g + kChunkPixels;
  c = {r, g, b, i * kChunkPixels, std::min(kChunkPixels, s.plane() - i * kChunkPixels)};
  return s.readPlane(0, c.k, c.n, r) && s.readPlane(1, c.k, c.n, g) && s.readPlane(2, c.k, c.n, b);
}

// Writes the file of `s` into `out` (created, nothing written yet) with its
// three colour planes changed a chunk of pixels at a time, each read once:
// change(r, g, b, k, n, worker) alters pixels k .. k + n - 1 of the three
// planes in place and returns false to stop. Chunks are read, changed and
// written on two threads (worker 0 or 1: state kept per worker is that
// thread's alone), each chunk's three pieces written where they go in the
// file.
template <class Change>
bool rewriteRGB(PSDStream& s, OutFile& out, Change change) {
  const uint64_t data = uint64_t(s.dataOffset()), plane = s.plane();
  if (!out.writeAt(0, s.headerBytes(), size_t(data))) return false;
  Bytes buf[2];
  auto one = [&](size_t i, int w) {
    RGBChunk c;
    if (!readRGB(s, i, buf[w], c)) return false;
    unsigned char* rgb = buf[w].data();
    if (!change(rgb, rgb + kChunkPixels, rgb + 2 * kChunkPixels, c.k, c.n, w)) return false;
    for (uint64_t p = 0; p < 3; ++p)
      if (!out.writeAt(data + p * plane + c.k, rgb + p * kChunkPixels, c.n)) return false;
    return true;
  };
  const size_t chunks = rgbChunks(s);
  if (runInOrder(chunks, one, [](size_t, int) { return true; }) != chunks) return false;
  out.skipTo(data + 3 * plane);
  return s.copyTail(3, out);
}

// Gives `out` its name once the files read are closed (Windows will not
// replace a file that is open), and then leaves the globals as a successful
// whole-file run on `kept` does.
inline bool finish(OutFile& out, PSDStream& kept, PSDStream* other = nullptr) {
  kept.close();
  if (other) other->close();
  if (!out.commit()) return false;
  kept.keep();
  return true;
}

// Writes the three colour planes of `s` to `out`, `chunk` pixels at a time;
// change(c, bytes, k, n, scratch) alters pixels k .. k + n - 1 of plane c
// before they are written, and returns false to stop. Chunks are read and
// changed on two threads and written in order: `scratch` is a buffer of the
// calling thread's own. False when a read fails.
template <class Change>
bool streamPlanes(PSDStream& s, size_t chunk, OutFile& out, Change change) {
  const size_t perPlane = (s.plane() + chunk - 1) / chunk;
  auto make = [&](size_t i, TextBuffer& t, Bytes& scratch) {
    const int c = int(i / perPlane);
    const size_t k = (i % perPlane) * chunk, n = std::min(chunk, s.plane() - k);
    unsigned char* p = reinterpret_cast<unsigned char*>(t.room(n));
    if (!s.readPlane(c, k, n, p) || !change(c, p, k, n, scratch)) return false;
    t.advance(reinterpret_cast<char*>(p + n));
    return true;
  };
  return writePiecesInOrder(out, 3 * perPlane, make) == Pieces::Written;
}

// Writes the file of `s` into `out` (created, nothing written yet), its
// colour planes changed by `change` as streamPlanes does and all else as it
// is.
template <class Change>
bool writeChanged(PSDStream& s, size_t chunk, OutFile& out, Change change) {
  out.write(s.headerBytes(), size_t(s.dataOffset()));
  return streamPlanes(s, chunk, out, change) && s.copyTail(3, out);
}

// Pixel masks hold one bit a pixel: bit i of byte j is pixel 8j + i.
inline size_t maskBytes(size_t pixels) { return (pixels + 7) / 8; }

// Fills the mask bytes of pixels 0 .. n - 1 (n a multiple of 8, or the rest
// of a plane): a bit is set where the pixel (r, g, b) is `colour`, or, with
// `invert`, where it is not. A colour with a part outside 0..255 is no pixel.
void colourMask(const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t n,
                const ColorParts& colour, bool invert, unsigned char* mask);

// Where its mask bit is set, plane[i] becomes over[i], or `value` when
// `over` is null.
void applyMask(unsigned char* plane, const unsigned char* over, uint8_t value, const unsigned char* mask, size_t n);

}  // namespace tolvane
