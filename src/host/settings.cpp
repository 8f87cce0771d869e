// Settings entry points and the library version.
#include "host/settings.h"

#include "common/result_codes.h"
#include "host/entry.h"

float imgW = 50.0f;
float colIn = 0.0f;

TOLVANE_ENTRY(Version) {
  (void)text, (void)number, (void)buffer;
  return tolvane::kVersion;
}

TOLVANE_ENTRY(CropBMP_SetWidth) {
  (void)text, (void)buffer;
  imgW = tolvane::toFloat(number);
  return tolvane::kOk;
}

TOLVANE_ENTRY(SetInColor) {
  (void)text, (void)buffer;
  colIn = tolvane::toFloat(number);
  return tolvane::kOk;
}
