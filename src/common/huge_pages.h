// Large buffers backed by huge pages where the system allows it.
#pragma once

#include <cstddef>

namespace tolvane {

// Asks for huge pages behind the memory [p, p + n): filling a buffer of many
// megabytes then takes dozens of page faults instead of thousands. Call it on
// reserved memory before filling it.
void preferHugePages(const void* p, size_t n);

// Reserves room for n elements, backed by huge pages when that is 4 MiB or
// more. Pages never filled are never touched: a generous guess costs
// address space, not memory.
template <class Vector>
void reserveLarge(Vector& v, size_t n) {
  v.reserve(n);
  if (n * sizeof(v[0]) >= (size_t(4) << 20)) preferHugePages(v.data(), n * sizeof(v[0]));
}

}  // namespace tolvane
