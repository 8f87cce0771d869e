// Image entry points: PSD recolouring, grayscale, merge, heal, thumbnail and
// the BMP crop.
#include <algorithm>

#include "host/entry.h"
#include "host/settings.h"
#include "image/bmp.h"
#include "image/psd.h"

TOLVANE_ENTRY(MakeStencilPSD) {
  (void)buffer;
  return convertPSD(text, colIn, tolvane::toFloat(number), true);
}

TOLVANE_ENTRY(SwapColorsPSD) {
  (void)buffer;
  return convertPSD(text, colIn, tolvane::toFloat(number), false);
}

TOLVANE_ENTRY(HealPSDfiles) {
  return mergeSeamlessPSD(text, buffer, tolvane::positiveNumber(number));
}

TOLVANE_ENTRY(RGBtoGrayscale) {
  return GrayscalePSD(text, buffer, tolvane::clampByte(number));
}

TOLVANE_ENTRY(MergePSDfiles) {
  return mergePSD(text, buffer, tolvane::toFloat(number));
}

TOLVANE_ENTRY(CreateThumbnail) {
  (void)buffer;
  return createThumb(text, tolvane::truncateNumber(number));
}

TOLVANE_ENTRY(CropBMPfile) {
  // The number is a pixel offset, 3 bytes a pixel; saturate rather than wrap.
  int64_t skip = int64_t(tolvane::truncateNumber(number)) * 3;
  skip = std::clamp<int64_t>(skip, INT32_MIN, INT32_MAX);
  return cropBMP(text, buffer, int(skip), tolvane::truncateNumber(imgW));
}
