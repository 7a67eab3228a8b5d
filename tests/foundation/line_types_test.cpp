#include "foundation/line_types.h"

#include <gtest/gtest.h>

namespace {

TEST(LineTypes, HeadingLevel) {
    const int levels[][2] = {{101, 1}, {106, 6}, {107, 0}, {111, 1}, {116, 6}, {120, 2}, {121, 2}, {122, 0},
                             {131, 1}, {136, 6}, {141, 0}, {151, 1}, {156, 6}, {250, 2}, {100, 0}};
    for (const auto& c : levels) EXPECT_EQ(GetHeadingLevel(c[0]), c[1]) << c[0];
}

}  // namespace
