// Layer merge with a key colour, and the seamless heal that copies edge bands
// of one image onto the borders of another. Both write the second file,
// changed, over the first file's path.
#include <cstring>

#include "common/result_codes.h"
#include "image/planes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// --- streamed: both files read in pieces ---

// Opens both files; false when the whole-file path has to judge the pair:
// either is refused, or their sizes or header sections differ.
bool openPair(PSDStream& first, const char* firstPath, PSDStream& second, const char* secondPath) {
  if (!first.open(firstPath, 3) || !second.open(secondPath, 3)) return false;
  const PSDHeader &a = first.header(), &b = second.header();
  return a.height == b.height && a.width == b.width && first.dataOffset() == second.dataOffset();
}

// Both files are read once: each chunk of pixels is read from the three
// planes of both, and the top's pixels that are not the key colour go over
// the bottom's.
bool mergeStreamed(const char* topPath, const char* bottomPath, const ColorParts& key) {
  PSDStream top, bottom;
  OutFile out;
  if (!openPair(top, topPath, bottom, bottomPath) || !out.create(topPath)) return false;
  struct Worker {
    Bytes over, shows;
  } workers[2];
  auto merge = [&](unsigned char* r, unsigned char* g, unsigned char* b, size_t k, size_t n, int w) {
    Worker& on = workers[w];
    RGBChunk t;
    if (!readRGB(top, k / kChunkPixels, on.over, t)) return false;
    on.shows.resize(maskBytes(kChunkPixels));
    colourMask(t.r, t.g, t.b, n, key, true, on.shows.data());
    applyMask(r, t.r, 0, on.shows.data(), n);
    applyMask(g, t.g, 0, on.shows.data(), n);
    applyMask(b, t.b, 0, on.shows.data(), n);
    return true;
  };
  return rewriteRGB(bottom, out, merge) && finish(out, bottom, &top);
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
bool healRows(PSDStream& edge, PSDStream& body, const char* edgePath, size_t h, size_t w) {
  OutFile out;
  if (!out.create(edgePath)) return false;
  out.write(body.headerBytes(), size_t(body.dataOffset()));
  Bytes rows(10 * w);
  for (int c = 0; c < 3; ++c) {
    auto edgeRows = [&](size_t from) {
      if (!edge.readPlane(c, healSource(int64_t(from), int64_t(h), false) * w, rows.size(), rows.data())) return false;
      out.write(rows.data(), rows.size());
      return true;
    };
    if (!edgeRows(0) || !body.copyPlane(c, 10 * w, (h - 20) * w, out) || !edgeRows(h - 10)) return false;
  }
  return body.copyTail(3, out) && finish(out, body, &edge);
}

bool healStreamed(const char* edgePath, const char* bodyPath, bool columns) {
  PSDStream edge, body;
  if (!openPair(edge, edgePath, body, bodyPath)) return false;
  const int64_t h = edge.header().height;
  const size_t w = size_t(edge.header().width);
  if (h < 100 || w < 100) return false;
  if (!columns) return healRows(edge, body, edgePath, size_t(h), w);
  // Columns heal every row from the same row of the edge image: whole rows
  // at a time, the edge's rows read with the body's, in one read.
  const size_t rows = std::max<size_t>(1, kChunkPixels / w);
  OutFile out;
  if (!out.create(edgePath)) return false;
  auto heal = [&](int c, unsigned char* p, size_t k, size_t n, Bytes& src) {
    src.resize(n);
    if (!edge.readPlane(c, k, n, src.data())) return false;
    for (size_t i = 0; i < n; i += w)
      if (healSource(int64_t((k + i) / w), h, true) >= 0) healRow(p + i, src.data() + i, w, true);
    return true;
  };
  return writeChanged(body, rows * w, out, heal) && finish(out, body, &edge);
}

// --- whole files, for refusals and failed writes ---

// Loads the second file and moves the first image out of `img` into
// `first`. When the second cannot be opened, `img` still holds the first.
float loadSecond(const char* path, Bytes& first) {
  Bytes data;
  if (!loadFile(path, data)) return kFailed;
  first.swap(img);
  img.swap(data);
  return readPSDHeader();
}

// The checks on the pair once both are loaded; on failure `img` is emptied
// (sizes or layouts differ) or keeps the second file's bytes (too short).
float checkPair(const Bytes& first, int32_t firstHeight, int32_t firstWidth, int32_t firstOffst) {
  if (fHeader.height != firstHeight || fHeader.width != firstWidth) {
    emptyImage(img);
    return kSizeMismatch;
  }
  // Pixels of both images are addressed with the second file's offst: with
  // sections of other lengths the first image's bytes there are not pixels.
  if (offst != firstOffst) {
    emptyImage(img);
    return kSectionsDiffer;
  }
  if (!planesFit(3) || first.size() < size_t(offst) + 3 * size_t(planeBytes()))
    return kBadFile;
  return kOk;
}

// Writes `img` over `path`; -5 (with `img` emptied) when it cannot.
float writeResult(const char* path) {
  bool written = writeBack(path, img);
  emptyImage(img);
  return written ? kOk : kOutputNotWritable;
}

}  // namespace
}  // namespace tolvane

float mergePSD(const char* topPath, const char* bottomPath, float keyColor) {
  using namespace tolvane;
  ColorParts key = splitMatchColor(keyColor);
  if (mergeStreamed(topPath, bottomPath, key)) return kOk;

  float loaded = loadPSD(topPath);
  if (loaded != kOk) return loaded;
  if (!planesFit(3)) return kBadFile;
  const int32_t height = fHeader.height, width = fHeader.width, topOffst = offst;

  Bytes top;
  loaded = loadSecond(bottomPath, top);
  if (loaded != kOk) return loaded;
  float pair = checkPair(top, height, width, topOffst);
  if (pair != kOk) return pair;

  size_t plane = size_t(planeBytes());
  const unsigned char* over = top.data() + offst;
  unsigned char* under = img.data() + offst;
  Bytes shows(maskBytes(plane));
  colourMask(over, over + plane, over + 2 * plane, plane, key, true, shows.data());
  for (size_t c = 0; c < 3; ++c) applyMask(under + c * plane, over + c * plane, 0, shows.data(), plane);
  emptyImage(top);
  return writeResult(topPath);
}

float mergeSeamlessPSD(const char* edgePath, const char* bodyPath, bool columns) {
  using namespace tolvane;
  if (healStreamed(edgePath, bodyPath, columns)) return kOk;

  float loaded = loadPSD(edgePath);
  if (loaded != kOk) return loaded;
  if (fHeader.height < 100 || fHeader.width < 100) {
    emptyImage(img);
    return kTooSmallToHeal;
  }
  if (!planesFit(3)) return kBadFile;
  const int32_t height = fHeader.height, width = fHeader.width, edgeOffst = offst;

  Bytes edge;
  loaded = loadSecond(bodyPath, edge);
  if (loaded != kOk) return loaded;
  float pair = checkPair(edge, height, width, edgeOffst);
  if (pair != kOk) return pair;

  const size_t w = size_t(width), plane = size_t(planeBytes());
  for (size_t c = 0; c < 3; ++c) {
    for (int64_t row = 0; row < height; ++row) {
      int64_t source = healSource(row, height, columns);
      if (source < 0) continue;
      healRow(img.data() + offst + c * plane + size_t(row) * w, edge.data() + offst + c * plane + size_t(source) * w,
              w, columns);
    }
  }
  emptyImage(edge);
  return writeResult(edgePath);
}
