#include "common/huge_pages.h"

#include <cstdint>
#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace tolvane {

#if defined(_WIN32)
void preferHugePages(const void*, size_t) {}  // large pages need a privilege users rarely have
#else
void preferHugePages(const void* p, size_t n) {
#ifdef MADV_HUGEPAGE
  constexpr size_t kHuge = size_t(2) << 20;
  uintptr_t start = (uintptr_t(p) + kHuge - 1) & ~uintptr_t(kHuge - 1);
  uintptr_t end = (uintptr_t(p) + n) & ~uintptr_t(kHuge - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)p, (void)n;
#endif
}
#endif

}  // namespace tolvane
