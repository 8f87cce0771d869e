// PSD planes read in pieces, how an operation leaves the image globals, and
// pixel masks.
//
// The PSD operations stream: they read the header from the front of the
// file, then the planes a chunk at a time into small buffers that stay in
// the processor's cache, and write their output through an AtomicFile as they
// go. What the image globals hold afterwards is decided by endPSD alone.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"
#include "common/result_codes.h"
#include "image/psd.h"

namespace tolvane {

// Pixels per plane handled at a time.
constexpr size_t kChunkPixels = size_t(128) << 10;

// A PSD file open for reading in pieces.
class PSDStream {
 public:
  // Opens `path` and parses its header: -1 when it cannot be opened, else
  // parsePSDHeader's result.
  float open(const char* path);
  // True when the size is not negative and `planes` whole planes follow the
  // header.
  bool holds(int planes) const;

  bool tried() const { return tried_; }
  const char* path() const { return path_; }
  const PSDHeader& header() const { return header_; }
  int32_t dataOffset() const { return offst_; }
  size_t plane() const { return plane_; }
  // The file's first dataOffset() bytes, as read.
  const unsigned char* headerBytes() const { return front_.data; }

  // Reads the n bytes of channel c from pixel k on; false when the file
  // ends first (it shrank since it was opened).
  bool readPlane(int c, size_t k, size_t n, unsigned char* into) {
    return file_.readAt(uint64_t(offst_) + uint64_t(c) * plane_ + k, into, n);
  }
  // Copies them to `out` unchanged, by the system where it can.
  bool copyPlane(int c, size_t k, size_t n, AtomicFile& out) {
    return out.copyFrom(file_, uint64_t(offst_) + uint64_t(c) * plane_ + k, n);
  }
  // Copies everything after the first `planes` planes to `out`; false when
  // the file is no longer the size it had when opened.
  bool copyTail(int planes, AtomicFile& out);
  // Reads fail from here on (see SeekableFile::close).
  void close() { file_.close(); }

 private:
  FileFront file_;
  ByteReader front_;
  PSDHeader header_;
  int32_t offst_ = 0;
  size_t plane_ = 0;
  const char* path_ = nullptr;
  bool tried_ = false;
};

// What a failed write leaves of the file in `img`, when anything:
// edit(file, dataAt, plane) changes the loaded file as the operation changed
// what it meant to write.
using UnwrittenEdit = std::function<void(unsigned char* file, size_t dataAt, size_t plane)>;

// Leaves the image globals as a run that loads each file whole leaves them
// once an operation has ended with `code`, having opened `files` in order
// (files never tried are skipped), and returns `code`:
//   0, and a pair refused for its sizes or sections (-6, -9, -1771): `img`
//     empty, the header of the last file tried;
//   -5: the same, or with `unwritten` the last file loaded and edited by it;
//   anything else: each file tried loaded in turn (a file that cannot be
//     opened leaves `img` as it was).
float endPSD(float code, std::initializer_list<const PSDStream*> files, const UnwrittenEdit& unwritten = nullptr);

// Closes the files read (Windows will not replace a file that is open) and,
// when `code` is still 0, gives `out` its name: the operation's result.
inline float finish(float code, AtomicFile& out, PSDStream& a, PSDStream* b = nullptr) {
  a.close();
  if (b) b->close();
  if (code != kOk) return code;
  return out.commit() ? kOk : kOutputNotWritable;
}

// The result of pieces written to a file.
inline float codeOf(Pieces p) {
  return p == Pieces::Written ? kOk : p == Pieces::Unreadable ? kBadFile : kOutputNotWritable;
}

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
// change(r, g, b, k, n, scratch) alters pixels k .. k + n - 1 of the three
// planes in place and returns false when a read fails. Chunks are read,
// changed and written on two threads, `scratch` that thread's own, each
// chunk's three pieces written where they go in the file. 0, -1761 a read
// failed, -5 a write failed.
template <class Scratch, class Change>
float rewriteRGB(PSDStream& s, AtomicFile& out, Change change) {
  const uint64_t data = uint64_t(s.dataOffset()), plane = s.plane();
  if (!out.writeAt(0, s.headerBytes(), size_t(data))) return kOutputNotWritable;
  struct Worker {
    Bytes buf;
    Scratch scratch;
  };
  std::atomic<bool> unreadable{false};
  auto one = [&](size_t i, Worker& w) {
    RGBChunk c;
    const bool read = readRGB(s, i, w.buf, c);
    unsigned char* rgb = w.buf.data();
    if (!read || !change(rgb, rgb + kChunkPixels, rgb + 2 * kChunkPixels, c.k, c.n, w.scratch)) {
      unreadable = true;
      return false;
    }
    for (uint64_t p = 0; p < 3; ++p)
      if (!out.writeAt(data + p * plane + c.k, rgb + p * kChunkPixels, c.n)) return false;
    return true;
  };
  const size_t chunks = rgbChunks(s);
  if (runInOrder<Worker>(chunks, one, [](size_t, Worker&) { return true; }) != chunks)
    return unreadable ? kBadFile : kOutputNotWritable;
  out.skipTo(data + 3 * plane);
  if (!s.copyTail(3, out)) return out.ok() ? kBadFile : kOutputNotWritable;
  return kOk;
}

// Writes the file of `s` into `out` (created, nothing written yet), its three
// colour planes `chunk` pixels at a time, each changed by change(c, bytes, k,
// n, scratch) (pixels k .. k + n - 1 of plane c; false when a read fails)
// and all else as it is. Chunks are read and changed on two threads, written
// in order; `scratch` is a buffer of the calling thread's own.
template <class Change>
float writeChanged(PSDStream& s, size_t chunk, AtomicFile& out, Change change) {
  out.write(s.headerBytes(), size_t(s.dataOffset()));
  const size_t perPlane = (s.plane() + chunk - 1) / chunk;
  auto make = [&](size_t i, TextBuffer& t, Bytes& scratch) {
    const int c = int(i / perPlane);
    const size_t k = (i % perPlane) * chunk, n = std::min(chunk, s.plane() - k);
    unsigned char* p = reinterpret_cast<unsigned char*>(t.room(n));
    if (!s.readPlane(c, k, n, p) || !change(c, p, k, n, scratch)) return false;
    t.advance(reinterpret_cast<char*>(p + n));
    return true;
  };
  const float written = codeOf(writePiecesInOrder(out, 3 * perPlane, make));
  if (written != kOk) return written;
  return s.copyTail(3, out) ? kOk : out.ok() ? kBadFile : kOutputNotWritable;
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
