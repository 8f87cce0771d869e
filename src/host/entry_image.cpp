// Image entry points: PSD recolouring, grayscale, merge, heal, thumbnail and
// the BMP crop.
#include <algorithm>

#include "host/entry.h"
#include "host/settings.h"
#include "image/bmp.h"
#include "image/psd.h"

namespace {

// The number is a pixel offset, 3 bytes a pixel; saturate rather than wrap.
int skipBytesOf(double number) {
  return int(std::clamp<int64_t>(int64_t(tolvane::truncateNumber(number)) * 3, INT32_MIN, INT32_MAX));
}

}  // namespace

TOLVANE_ENTRY(MakeStencilPSD) {
  (void)buffer;
  return tolvane::recolourPSD(text, colIn, tolvane::toFloat(number), true);
}

TOLVANE_ENTRY(SwapColorsPSD) {
  (void)buffer;
  return tolvane::recolourPSD(text, colIn, tolvane::toFloat(number), false);
}

TOLVANE_ENTRY(HealPSDfiles) {
  return tolvane::healEdges(text, buffer, tolvane::positiveNumber(number));
}

TOLVANE_ENTRY(RGBtoGrayscale) {
  return tolvane::grayscalePSD(text, buffer, tolvane::clampByte(number));
}

TOLVANE_ENTRY(MergePSDfiles) {
  return tolvane::mergeLayers(text, buffer, tolvane::toFloat(number));
}

TOLVANE_ENTRY(CreateThumbnail) {
  (void)buffer;
  return tolvane::makeThumbnail(text, tolvane::truncateNumber(number));
}

TOLVANE_ENTRY(CropBMPfile) {
  return tolvane::cropStrip(text, buffer, skipBytesOf(number), tolvane::truncateNumber(imgW));
}
