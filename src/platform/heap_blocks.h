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

// Blocks of this size and more get pages of their own.  Not lower: fresh
// pages are dear to touch, and texts of a megabyte or so (a long line and
// its working copies) are made and freed many times in a row, best from
// the heap's own reused memory.
inline constexpr int kMappedBlockBytes = 1 << 22;

// Fixes the bound at kMappedBlockBytes: larger blocks always get pages of
// their own, which grow without being copied and go back to the system when
// freed.  Cheap; called at the start of every conversion.
void KeepLargeBlocksMapped();
