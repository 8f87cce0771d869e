// What every host entry point shares: the C signature and the number
// conversions the host's table names.
#pragma once

#include <cmath>
#include <cstdint>

#include "tolvane/host.h"

// Defines one host entry point with its plain C name.
#define TOLVANE_ENTRY(name) extern "C" float name(const char* text, double number, char* buffer)

namespace tolvane {

// "truncate": toward zero into 32 bits. Values beyond the range saturate and
// NaN gives 0, so no host number can make the conversion undefined.
inline int32_t truncateNumber(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return int32_t(d);
}

// "clamp 0..255": below 0 gives 0, above 255 gives 255, then truncate.
inline int32_t clampByte(double d) {
  if (std::isnan(d) || d < 0) return 0;
  if (d > 255) return 255;
  return int32_t(d);
}

// "positive": greater than 0.
inline bool positiveNumber(double d) { return d > 0; }

// "to float": rounded to single precision.
inline float toFloat(double d) { return float(d); }

}  // namespace tolvane
