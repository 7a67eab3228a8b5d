#include "platform/heap_blocks.h"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ on the GNU C library
#include <new>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void KeepLargeBlocksMapped() {
#if defined(__GLIBC__)
    // Setting the bound also stops the library from raising it.
    static const bool fixed = mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes) == 1;
    (void)fixed;
#endif
}

#if defined(__linux__)

namespace {

size_t PageBytes() {
    static const size_t bytes = [] {
        const long page = sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<size_t>(page) : size_t{4096};
    }();
    return bytes;
}

}  // namespace

PageRun::PageRun(size_t bytes) {
    const size_t page = PageBytes();
    if (bytes == 0) bytes = 1;
    if (bytes > SIZE_MAX - PageRun::kLargePageBytes) throw std::bad_alloc();
    length = (bytes + page - 1) / page * page;
    const bool large = length % kLargePageBytes == 0;
    // Large pages need a start on a large-page boundary: the run is mapped
    // with a large page to spare, and what lies outside the aligned run is
    // given back.
    const size_t mapped = large ? length + kLargePageBytes : length;
    void* at = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) throw std::bad_alloc();
    char* base = static_cast<char*>(at);
    if (large) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(base);
        const size_t skip = (kLargePageBytes - address % kLargePageBytes) % kLargePageBytes;
        if (skip > 0) munmap(base, skip);
        const size_t tail = mapped - skip - length;
        if (tail > 0) munmap(base + skip + length, tail);
        base += skip;
#if defined(MADV_HUGEPAGE)
        // Only advice: where large pages are not to be had the run is
        // served page by page.
        madvise(base, length, MADV_HUGEPAGE);
#endif
    }
    start = base;
}

void PageRun::Release() noexcept {
    if (start) munmap(start, length);
    start = nullptr;
    length = 0;
}

#else

PageRun::PageRun(size_t bytes) : start(static_cast<char*>(::operator new(bytes == 0 ? 1 : bytes))), length(bytes) {}

void PageRun::Release() noexcept {
    ::operator delete(start);
    start = nullptr;
    length = 0;
}

#endif

PageRun::~PageRun() { Release(); }

PageRun& PageRun::operator=(PageRun&& other) noexcept {
    if (this != &other) {
        Release();
        start = std::exchange(other.start, nullptr);
        length = std::exchange(other.length, 0);
    }
    return *this;
}
