// Cache-line padding for state that two threads update at the same time.
#pragma once

#include <cstddef>

namespace tolvane {

// Were two threads' counters or buffer ends on one line, every update by one
// would make the other's core fetch the line again.
constexpr size_t kCacheLine = 64;
template <class T>
struct alignas(kCacheLine) OwnLine : T {
  using T::T;
};

}  // namespace tolvane
