// Layer merge with a key colour, and the seamless heal that copies edge bands
// of one image onto the borders of another. Both write the second file,
// changed, over the first file's path.
#include <cstring>

#include "common/atomic_file.h"
#include "common/result_codes.h"
#include "common/rewrite_lock.h"
#include "image/planes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// Opens the pair in the order and with the checks of a whole-file run: the
// first file, (for the heal) its size, its planes, the second file, the
// sizes and sections of the two. The result code.
float openPair(PSDStream& first, const char* firstPath, PSDStream& second, const char* secondPath, bool heal) {
  float code = first.open(firstPath);
  if (code != kOk) return code;
  const PSDHeader& a = first.header();
  if (heal && (a.height < 100 || a.width < 100)) return kTooSmallToHeal;
  if (!first.holds(3)) return kBadFile;
  code = second.open(secondPath);
  if (code != kOk) return code;
  const PSDHeader& b = second.header();
  if (a.height != b.height || a.width != b.width) return kSizeMismatch;
  // Pixels of both images are addressed with the second file's offst: with
  // sections of other lengths the first image's bytes there are not pixels.
  if (first.dataOffset() != second.dataOffset()) return kSectionsDiffer;
  return second.holds(3) ? kOk : kBadFile;
}

// Both files are read once: each chunk of pixels is read from the three
// planes of both, and the top's pixels that are not the key colour go over
// the bottom's.
float mergeInto(PSDStream& top, PSDStream& bottom, AtomicFile& out, const ColorParts& key) {
  struct Scratch {
    Bytes over, shows;
  };
  auto merge = [&](unsigned char* r, unsigned char* g, unsigned char* b, size_t k, size_t n, Scratch& on) {
    RGBChunk t;
    if (!readRGB(top, k / kChunkPixels, on.over, t)) return false;
    on.shows.resize(maskBytes(kChunkPixels));
    colourMask(t.r, t.g, t.b, n, key, true, on.shows.data());
    applyMask(r, t.r, 0, on.shows.data(), n);
    applyMask(g, t.g, 0, on.shows.data(), n);
    applyMask(b, t.b, 0, on.shows.data(), n);
    return true;
  };
  return rewriteRGB<Scratch>(bottom, out, merge);
}

// The heal's rule, row by row: the edge image's row that heals row `row` of
// the body, or -1 when the body keeps its own row. Rows: rows 0..9 from
// rows 50..59, rows H-10..H-1 from rows 40..49. Columns: rows 2..H-2.
int64_t healSource(int64_t row, int64_t h, bool columns) {
  if (columns) return row >= 2 && row <= h - 2 ? row : -1;
  if (row < 10) return 50 + row;
  if (row >= h - 10) return 40 + row - (h - 10);
  return -1;
}

// Heals one body row from its edge row: the whole row, or columns 0, 1 from
// 50, 51 and W-2, W-1 from 48, 49.
void healRow(unsigned char* dst, const unsigned char* src, size_t w, bool columns) {
  if (!columns) {
    std::memcpy(dst, src, w);
    return;
  }
  dst[0] = src[50];
  dst[1] = src[51];
  dst[w - 2] = src[48];
  dst[w - 1] = src[49];
}

// Rows: only the first and last ten rows of each plane change; the rows
// between are copied from the body file as they are, by the system.
float healRows(PSDStream& edge, PSDStream& body, AtomicFile& out) {
  const size_t h = size_t(edge.header().height), w = size_t(edge.header().width);
  out.write(body.headerBytes(), size_t(body.dataOffset()));
  Bytes rows(10 * w);
  for (int c = 0; c < 3; ++c) {
    auto edgeRows = [&](size_t from) {
      if (!edge.readPlane(c, healSource(int64_t(from), int64_t(h), false) * w, rows.size(), rows.data())) return false;
      out.write(rows.data(), rows.size());
      return true;
    };
    if (!edgeRows(0) || !body.copyPlane(c, 10 * w, (h - 20) * w, out) || !edgeRows(h - 10))
      return out.ok() ? kBadFile : kOutputNotWritable;
  }
  return body.copyTail(3, out) ? kOk : out.ok() ? kBadFile : kOutputNotWritable;
}

// Columns heal every row from the same row of the edge image: whole rows at
// a time, the edge's rows read with the body's, in one read.
float healColumns(PSDStream& edge, PSDStream& body, AtomicFile& out) {
  const int64_t h = edge.header().height;
  const size_t w = size_t(edge.header().width), rows = std::max<size_t>(1, kChunkPixels / w);
  auto heal = [&](int c, unsigned char* p, size_t k, size_t n, Bytes& src) {
    src.resize(n);
    if (!edge.readPlane(c, k, n, src.data())) return false;
    for (size_t i = 0; i < n; i += w)
      if (healSource(int64_t((k + i) / w), h, true) >= 0) healRow(p + i, src.data() + i, w, true);
    return true;
  };
  return writeChanged(body, rows * w, out, heal);
}

}  // namespace


float mergeLayers(const char* topPath, const char* bottomPath, float keyColor) {
  const RewriteLock lock(topPath);
  const ColorParts key = splitMatchColor(keyColor);
  PSDStream top, bottom;
  float code = openPair(top, topPath, bottom, bottomPath, false);
  AtomicFile out;
  if (code == kOk) code = out.create(topPath, AtomicFile::Mode::Rewrite) ? mergeInto(top, bottom, out, key) : kOutputNotWritable;
  return endPSD(finish(code, out, bottom, &top), {&top, &bottom});
}

float healEdges(const char* edgePath, const char* bodyPath, bool columns) {
  const RewriteLock lock(edgePath);
  PSDStream edge, body;
  float code = openPair(edge, edgePath, body, bodyPath, true);
  AtomicFile out;
  if (code == kOk && !out.create(edgePath, AtomicFile::Mode::Rewrite)) code = kOutputNotWritable;
  if (code == kOk) code = columns ? healColumns(edge, body, out) : healRows(edge, body, out);
  return endPSD(finish(code, out, body, &edge), {&edge, &body});
}

}  // namespace tolvane
