// Links against libtolvane from C++: host.h is usable as-is, with C linkage.
#include <tolvane/host.h>

#include <iostream>
#include <string>

int main() {
  const float version = Version(nullptr, 0, nullptr);
  const float set = SetInColor(nullptr, 0xFF8000, nullptr);
  std::cout << "tolvane " << std::to_string(version).substr(0, 4) << " from C++ (SetInColor -> " << set << ")\n";
  return version > 4.0f && version < 5.0f && set == 0.0f ? 0 : 1;
}
