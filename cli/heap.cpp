#include "cli/heap.hpp"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "modal/horn.hpp"

namespace cli {

void keep_freed_heap() {
#if defined(__GLIBC__)
  static_assert(modal::max_kept_bytes <= 1u << 30);
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(modal::max_kept_bytes));
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

}  // namespace cli
