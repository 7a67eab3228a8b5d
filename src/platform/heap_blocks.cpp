#include "platform/heap_blocks.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepLargeBlocksMapped() {
#if defined(__GLIBC__)
    // Setting the bound also stops the library from raising it.
    static const bool fixed = mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes) == 1;
    (void)fixed;
#endif
}
