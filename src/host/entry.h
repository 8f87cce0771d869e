// What every host entry point shares: the C signature and the number
// conversions the host's table names.
#pragma once

#include <cmath>
#include <cstdint>
#include <new>

#include "common/result_codes.h"

#include "tolvane/host.h"

namespace tolvane {

// Runs an entry point's body so that no exception reaches the host: running
// out of memory gives kOutOfMemory, anything else kFailed. Files are left
// as the failure found them: output files remove themselves while the
// exception unwinds.
template <class Body>
float guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kFailed;
  }
}

}  // namespace tolvane

// Defines one host entry point with its plain C name; the body that follows
// runs through guarded().
#define TOLVANE_ENTRY(name)                                                                  \
  static float name##Body(const char* text, double number, char* buffer);                    \
  extern "C" float name(const char* text, double number, char* buffer) {                     \
    return tolvane::guarded([&] { return name##Body(text, number, buffer); });               \
  }                                                                                          \
  static float name##Body(const char* text, double number, char* buffer)

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
