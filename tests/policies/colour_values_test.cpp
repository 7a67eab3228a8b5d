#include "policies/colour_values.h"

#include <gtest/gtest.h>

TEST(ColourValues, NormaliseHTMLColour) {
    struct Case {
        const char* in;
        const char* out;
        int valid;
    };
    // clang-format off
    const Case cases[] = {
        {"", "", 1},  {"ff0000", "Red", 1},  {"#ff0000", "Red", 1},  {"#FF00FF", "Fuchsia", 1},
        {"00FFFF", "Aqua", 1},  {"red", "red", 1},  {"GRAY", "GRAY", 1},  {"magenta", "magenta", 1},
        {"#12abcd", "#12ABCD", 1},  {"12abcd", "#12ABCD", 1},  {"#12345", "#12345", 0},
        {"#1234567", "#1234567", 0},  {"#12345g", "#12345G", 0},  {"bluish", "BLUISH", 0},  {"12345", "12345", 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        TextString out("junk");
        EXPECT_EQ(NormaliseHTMLColour(TextString(c.in), &out), c.valid) << c.in;
        EXPECT_EQ(out.str(), c.out) << c.in;
    }
    TextString colour("#800080");  // the policy reader normalises in place
    EXPECT_EQ(NormaliseHTMLColour(colour, &colour), 1);
    EXPECT_EQ(colour.str(), "Purple");
}

TEST(ColourValues, FormatRGBColourAndParseColourValue) {
    TextString out;
    EXPECT_EQ(FormatRGBColour(&out, 1.0, 0.5, 0.0)->str(), "FF8000");
    EXPECT_EQ(FormatRGBColour(&out, -0.2, 2.0, 0.999)->str(), "00FFFF");
    EXPECT_EQ(FormatRGBColour(&out, 0.1, 0.25, 0.75)->str(), "1940C0");

    struct Case {
        const char* in;
        int valid;
        const char* out;
    };
    // clang-format off
    const Case cases[] = {
        {"1,1,0", 1, "Yellow"}, {"0.5,0.5,0.5", 1, "Gray"}, {"0.1, 0.25, 0.75", 1, "#1940C0"},
        {"navy", 1, "navy"}, {"1,x,0", 0, "unchanged"}, {"1,1", 0, "unchanged"}, {"1,1,0,1", 0, "unchanged"},
        {"1,,0", 0, "unchanged"}, {"bogus", 0, "unchanged"},
    };
    // clang-format on
    for (const Case& c : cases) {
        TextString value("unchanged");
        EXPECT_EQ(ParseColourValue(TextString(c.in), &value), c.valid) << c.in;
        EXPECT_EQ(value.str(), c.out) << c.in;
    }
}

TEST(ColourValues, HTMLFontSizes) {
    const int toHtml[][2] = {{8, 1}, {9, 2}, {11, 2}, {12, 3}, {13, 3}, {14, 4}, {16, 4}, {17, 5}, {22, 5}, {23, 6}};
    for (const auto& c : toHtml) EXPECT_EQ(PointSizeToHTMLSize(c[0]), c[1]) << c[0];
    const int toPoints[][2] = {{-1, 8}, {1, 8}, {2, 10}, {3, 12}, {4, 14}, {5, 18}, {6, 24}, {7, 28}, {9, 28}};
    for (const auto& c : toPoints) EXPECT_EQ(HTMLSizeToPointSize(c[0]), c[1]) << c[0];
}

// A colour is written into markup only when it is one, or a plain word that
// some browser may know; a text that could end its attribute never is.
TEST(ColourValues, WritableColours) {
    const struct {
        const char* colour;
        bool writable;
    } cases[] = {
        {"", true},       {"Red", true},    {"#ff0000", true},          {"FF0000", true},    {"orange", true},
        {"ORANGE", true}, {"#12345", true}, {"x\" onclick=\"y", false}, {"red blue", false}, {"red;", false},
        {"<b>", false},   {"'red'", false}, {"red\tblue", false},       {"r&amp;", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsWritableColour(TextString(c.colour)), c.writable) << c.colour;
}
