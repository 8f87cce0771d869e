// Number text, byte for byte as the C library's printf writes it.
#pragma once

#include <cstdint>

namespace tolvane {

// Room that every formatter below needs at `out`. The formatters may use
// bytes of that room past the end they return as scratch.
constexpr int kNumberRoom = 32;

// `v` as printf("%g") writes it: 6 significant digits, exponent form below
// 1e-4 and from 1e6 on, trailing zeros dropped; "inf", "-inf", "nan", "-nan".
// Returns the end of the text (no terminating NUL).
char* formatG(char* out, double v);
// Plain decimal integers.
char* formatInt(char* out, int64_t v);
char* formatUint(char* out, uint64_t v);

}  // namespace tolvane
