// Stencil and colour swap: recolour an RGB PSD in place by one colour rule.
#include "common/result_codes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

bool isByte(int64_t v) { return v >= 0 && v <= 255; }

// Paints (r, g, b) into every pixel that matches `m` (swap) or does not
// (stencil), over `n` pixels of three planes.
void recolour(unsigned char* red, unsigned char* green, unsigned char* blue, size_t n,
              const ColorParts& m, const ColorParts& paint, bool stencil) {
  const uint8_t r = uint8_t(paint.r), g = uint8_t(paint.g), b = uint8_t(paint.b);
  // A part outside 0..255 matches no pixel.
  if (!isByte(m.r) || !isByte(m.g) || !isByte(m.b)) {
    if (!stencil) return;
    for (size_t k = 0; k < n; ++k) red[k] = r, green[k] = g, blue[k] = b;
    return;
  }
  const uint8_t mr = uint8_t(m.r), mg = uint8_t(m.g), mb = uint8_t(m.b);
  const uint64_t r8 = 0x0101010101010101ull * r, g8 = 0x0101010101010101ull * g, b8 = 0x0101010101010101ull * b;
  size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    uint64_t paintMask = sameColour8(red + k, green + k, blue + k, mr, mg, mb);
    if (stencil) paintMask = ~paintMask;
    store8(red + k, (load8(red + k) & ~paintMask) | (r8 & paintMask));
    store8(green + k, (load8(green + k) & ~paintMask) | (g8 & paintMask));
    store8(blue + k, (load8(blue + k) & ~paintMask) | (b8 & paintMask));
  }
  for (; k < n; ++k) {
    bool match = red[k] == mr && green[k] == mg && blue[k] == mb;
    if (match != stencil) red[k] = r, green[k] = g, blue[k] = b;
  }
}

}  // namespace
}  // namespace tolvane

float convertPSD(const char* path, float matchColor, float newColor, bool stencil) {
  using namespace tolvane;
  float loaded = loadPSD(path);
  if (loaded != kOk) return loaded;
  ColorParts match = splitMatchColor(matchColor);
  ColorParts paint = splitPaintColor(newColor);
  if (!planesFit(3)) return kBadFile;

  size_t plane = size_t(planeBytes());
  unsigned char* red = img.data() + offst;
  recolour(red, red + plane, red + 2 * plane, plane, match, paint, stencil);

  if (!writeBack(path, img)) return kOutputNotWritable;
  emptyImage(img);
  return kOk;
}
