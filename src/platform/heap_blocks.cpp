#include "platform/heap_blocks.h"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ on the GNU C library
#include <mutex>
#include <new>
#include <utility>
#include <vector>

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

// Runs a finished structure gave back, kept mapped for the next structure
// that asks for the same length: the next block (or the next file of a run)
// then writes pages that are already there instead of faulting in fresh
// ones.  Only whole structures give runs back here, never a step of one, and
// at most kKeptRunBytes in all, so what is kept raises no conversion's peak
// by more than that.
struct KeptRuns {
    std::mutex lock;
    std::vector<std::pair<char*, size_t>> runs;
    size_t bytes = 0;
};

KeptRuns& Kept() {
    static KeptRuns kept;
    return kept;
}

char* TakeKeptRun(size_t length) {
    KeptRuns& kept = Kept();
    const std::lock_guard<std::mutex> hold(kept.lock);
    for (size_t i = 0; i < kept.runs.size(); ++i) {
        if (kept.runs[i].second != length) continue;
        char* start = kept.runs[i].first;
        kept.runs.erase(kept.runs.begin() + static_cast<std::ptrdiff_t>(i));
        kept.bytes -= length;
        return start;
    }
    return nullptr;
}

bool KeepRun(char* start, size_t length) {
    KeptRuns& kept = Kept();
    const std::lock_guard<std::mutex> hold(kept.lock);
    if (length > kKeptRunBytes - kept.bytes) return false;
    kept.runs.emplace_back(start, length);
    kept.bytes += length;
    return true;
}

}  // namespace

void ReleaseKeptPageRuns() {
    KeptRuns& kept = Kept();
    const std::lock_guard<std::mutex> hold(kept.lock);
    for (const auto& [start, length] : kept.runs) munmap(start, length);
    kept.runs.clear();
    kept.bytes = 0;
}

PageRun::PageRun(size_t bytes) {
    const size_t page = PageBytes();
    if (bytes == 0) bytes = 1;
    if (bytes > SIZE_MAX - PageRun::kLargePageBytes) throw std::bad_alloc();
    length = (bytes + page - 1) / page * page;
    if ((start = TakeKeptRun(length)) != nullptr) return;
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

void PageRun::ReleaseKept() noexcept {
    if (start && !KeepRun(start, length)) munmap(start, length);
    start = nullptr;
    length = 0;
}

#else

void ReleaseKeptPageRuns() {}

void PageRun::ReleaseKept() noexcept { Release(); }

PageRun::PageRun(size_t bytes) : start(static_cast<char*>(::operator new(bytes == 0 ? 1 : bytes))), length(bytes) {}

void PageRun::Release() noexcept {
    ::operator delete(start);
    start = nullptr;
    length = 0;
}

#endif

PageRun::~PageRun() { ReleaseKept(); }

PageRun& PageRun::operator=(PageRun&& other) noexcept {
    if (this != &other) {
        Release();
        start = std::exchange(other.start, nullptr);
        length = std::exchange(other.length, 0);
    }
    return *this;
}
