// Symbol visibility for libtolvane.
//
// The library is built with hidden visibility; only what is marked here is
// reachable by the host: the plain-C entry points, the internal operations
// under their C++ names, and the sample class.
#pragma once

#if defined(_WIN32)
#define TOLVANE_API __attribute__((dllexport))  // built with MinGW-w64
#else
#define TOLVANE_API __attribute__((visibility("default")))
#endif
