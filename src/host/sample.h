// The sample class the library has always exported. Nothing in the library
// calls it; hosts use it to check that C++ symbols resolve.
#pragma once

#include "common/export.h"

class TOLVANE_API Tolvane4 {
 public:
  // Writes text and a line feed to standard output.
  void HelloWorld(const char* text);
};

class TOLVANE_API Tolvane4Priv {
 public:
  void HelloWorldPriv(const char* text);
};
