#include "platform/heap_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t kRunBytes = size_t{1} << 20;

// A finished run is kept for the next run of its length, which can write
// all of it.
TEST(PageRun, AFinishedRunIsReusedWhole) {
    ReleaseKeptPageRuns();
    char* first = nullptr;
    {
        PageRun run(kRunBytes);
        first = run.data();
        std::memset(run.data(), 'x', run.size());
    }
    PageRun again(kRunBytes);
    EXPECT_EQ(again.data(), first);
    EXPECT_EQ(again.size(), kRunBytes);
    std::memset(again.data(), 'y', again.size());
    ReleaseKeptPageRuns();
}

TEST(PageRun, NoMoreThanTheBoundIsKept) {
    ReleaseKeptPageRuns();
    const size_t runs = kKeptRunBytes / kRunBytes + 2;
    {
        std::vector<PageRun> many;
        for (size_t i = 0; i < runs; ++i) many.emplace_back(kRunBytes);
    }
    // Runs over the bound were unmapped; those kept are handed out again,
    // each once.
    std::vector<PageRun> again;
    std::vector<char*> seen;
    for (size_t i = 0; i < runs; ++i) {
        again.emplace_back(kRunBytes);
        for (char* s : seen) EXPECT_NE(s, again.back().data());
        seen.push_back(again.back().data());
        std::memset(again.back().data(), 'z', again.back().size());
    }
    again.clear();
    ReleaseKeptPageRuns();
}

}  // namespace
