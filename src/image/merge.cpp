// Layer merge with a key colour, and the seamless heal that copies edge bands
// of one image onto the borders of another. Both load the first file, keep
// it aside, load the second into `img`, change it there and write it over the
// first file's path.
#include <cstring>

#include "common/result_codes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

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

// Copies the three bytes of every top pixel that is not the key colour.
void overlay(const unsigned char* top, unsigned char* bottom, size_t plane, const ColorParts& key) {
  const unsigned char *tr = top, *tg = top + plane, *tb = top + 2 * plane;
  unsigned char *br = bottom, *bg = bottom + plane, *bb = bottom + 2 * plane;
  bool keyIsByte = key.r >= 0 && key.r <= 255 && key.g >= 0 && key.g <= 255 && key.b >= 0 && key.b <= 255;
  if (!keyIsByte) {
    std::memcpy(bottom, top, 3 * plane);
    return;
  }
  const uint8_t kr = uint8_t(key.r), kg = uint8_t(key.g), kb = uint8_t(key.b);
  size_t k = 0;
  for (; k + 8 <= plane; k += 8) {
    const uint64_t copy = ~sameColour8(tr + k, tg + k, tb + k, kr, kg, kb);
    store8(br + k, (load8(br + k) & ~copy) | (load8(tr + k) & copy));
    store8(bg + k, (load8(bg + k) & ~copy) | (load8(tg + k) & copy));
    store8(bb + k, (load8(bb + k) & ~copy) | (load8(tb + k) & copy));
  }
  for (; k < plane; ++k) {
    if (tr[k] != kr || tg[k] != kg || tb[k] != kb) br[k] = tr[k], bg[k] = tg[k], bb[k] = tb[k];
  }
}

// Top and bottom bands: rows 0..9 from rows 50..59, rows H-10..H-1 from
// rows 40..49, in each of the three planes.
void healRows(const unsigned char* first, unsigned char* second, size_t w, size_t h) {
  size_t plane = w * h;
  for (size_t c = 0; c < 3; ++c) {
    const unsigned char* src = first + c * plane;
    unsigned char* dst = second + c * plane;
    std::memcpy(dst, src + 50 * w, 10 * w);
    std::memcpy(dst + (h - 10) * w, src + 40 * w, 10 * w);
  }
}

// Left and right bands: in rows 2..H-2, columns 0, 1 from 50, 51 and columns
// W-2, W-1 from 48, 49.
void healColumns(const unsigned char* first, unsigned char* second, size_t w, size_t h) {
  size_t plane = w * h;
  for (size_t c = 0; c < 3; ++c) {
    for (size_t row = 2; row <= h - 2; ++row) {
      const unsigned char* src = first + c * plane + row * w;
      unsigned char* dst = second + c * plane + row * w;
      dst[0] = src[50];
      dst[1] = src[51];
      dst[w - 2] = src[48];
      dst[w - 1] = src[49];
    }
  }
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
  overlay(top.data() + offst, img.data() + offst, plane, key);
  emptyImage(top);
  return writeResult(topPath);
}

float mergeSeamlessPSD(const char* edgePath, const char* bodyPath, bool columns) {
  using namespace tolvane;
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

  const unsigned char* src = edge.data() + offst;
  unsigned char* dst = img.data() + offst;
  if (columns) {
    healColumns(src, dst, size_t(width), size_t(height));
  } else {
    healRows(src, dst, size_t(width), size_t(height));
  }
  emptyImage(edge);
  return writeResult(edgePath);
}
