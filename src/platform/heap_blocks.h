// How the heap hands out large blocks.
//
// A whole input file is one block, and a block's large texts (a table cell
// that collects every line of the block, the scratch texts of its output)
// grow by reallocation and live only while the block is written.  The C
// library gives a large block pages of its own, but raises that bound to
// the size of the largest such block freed so far: after the first large
// file of a run (or any large text freed before the conversion), blocks of
// several megabytes come from the shared heap, where every block a growing
// text leaves behind stays resident as a hole.
#pragma once

#include <cstddef>

// Blocks of this size and more get pages of their own.  Not lower: fresh
// pages are dear to touch, and texts of a megabyte or so (a long line and
// its working copies) are made and freed many times in a row, best from
// the heap's own reused memory.
inline constexpr int kMappedBlockBytes = 1 << 22;

// Fixes the bound at kMappedBlockBytes: larger blocks always get pages of
// their own, which grow without being copied and go back to the system when
// freed.  Cheap; called at the start of every conversion.
void KeepLargeBlocksMapped();

// Fresh memory of its own for a large structure that grows in steps and is
// dropped as a whole or step by step (the line records and line texts of a
// block): `bytes` (rounded up to whole pages) mapped apart from the heap, so
// that giving a step back returns its pages to the system at once.  Pages
// are touched only when written.  A run of a whole number of kLargePageBytes
// asks for large pages: touching fresh memory costs a fault per page, and a
// block of a million short lines fills tens of megabytes.  Throws
// std::bad_alloc when the memory cannot be had.
class PageRun {
public:
    static constexpr size_t kLargePageBytes = size_t{2} << 20;

    // An empty run (no memory).
    PageRun() = default;
    explicit PageRun(size_t bytes);
    ~PageRun();
    PageRun(PageRun&& other) noexcept : start(other.start), length(other.length) {
        other.start = nullptr;
        other.length = 0;
    }
    PageRun& operator=(PageRun&& other) noexcept;
    PageRun(const PageRun&) = delete;
    PageRun& operator=(const PageRun&) = delete;

    char* data() const { return start; }
    size_t size() const { return length; }

private:
    char* start = nullptr;
    size_t length = 0;
    // A step given back (assigning over the run): its pages go back to the
    // system at once.
    void Release() noexcept;
    // The whole structure is done (the run's end): the pages may be kept
    // for the next run of the same length.
    void ReleaseKept() noexcept;
};

// At most this many bytes of finished runs stay mapped for reuse.
inline constexpr size_t kKeptRunBytes = size_t{4} << 20;

// Gives the kept runs back to the system (a measurement of one conversion's
// memory starts without them).
void ReleaseKeptPageRuns();
