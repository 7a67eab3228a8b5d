#include "output/markup/colours.h"

#include <gtest/gtest.h>

#include "policies/fc.h"
#include "policies/policy_value.h"

TEST(Colours, PointSizesAndWidths) {
    FC set;
    set.SetInt(Pol::HTMLVersion, 2);
    set.SetInt(Pol::AddFontStyleMarkup, 1);
    EXPECT_EQ(SnapPointSize(&set, 15), 15);
    set.SetInt(Pol::HTMLVersion, 1);
    EXPECT_EQ(SnapPointSize(&set, 15), 14);

    // Width/total; a total below 50 counts as 800, 0.5 rounds up and 0 becomes 1.
    const int widths[][3] = {{40, 80, 50}, {4, 30, 1}, {1, 30, 1}, {800, 800, 100}, {10, 60, 17}};
    for (const auto& c : widths) {
        TextString out;
        FormatPercentWidth(&set, c[0], &out, c[1]);
        EXPECT_EQ(out.str(), "\"" + std::to_string(c[2]) + "%\"") << c[0] << "/" << c[1];
    }
}

TEST(Colours, SmallClassifiers) {
    const int directives[][2] = {{1000, 0}, {1001, 1}, {1016, 1}, {1017, 0},
                                 {1028, 0}, {1029, 1}, {1034, 1}, {1035, 0}};
    for (const auto& c : directives) EXPECT_EQ(IsOutputDirectiveType(c[0]), c[1]) << c[0];
    struct Case {
        const char* word;
        int code;
    };
    const Case letters[] = {{"Left", 1}, {"centre", 2}, {"RIGHT", 3}, {"r", 3},    {"justify", 4},
                            {"x", 0},    {"", 0},       {" left", 0}, {nullptr, 0}};
    for (const Case& c : letters) EXPECT_EQ(ParseAlignmentLetter(c.word), c.code) << (c.word ? c.word : "(null)");
}
