#include "policies/policy_value.h"

#include <gtest/gtest.h>

#include <string>

// A font specification whose face could end the markup it is written into
// is refused as an unreadable one is; a face it can write reads as before.
TEST(FontSpecifications, FacesThatWouldEndTheirMarkupAreRefused) {
    const struct {
        const char* text;
        bool valid;
        const char* face;
        int size;
    } cases[] = {
        {"Arial", true, "Arial", 12},
        {"Gill Sans, bold, 11", true, "Gill Sans", 11},
        {"Courier New, italic, 9", true, "Courier New", 9},
        {"x</STYLE><script>alert(1)</script>", false, "", 0},
        {"a} BODY {color:red", false, "", 0},
        {"Arial; color:red, bold, 10", false, "", 0},
        {"Arial\\x", false, "", 0},
        {"\"Arial\", bold, 10", true, "Arial", 10},  // the quotes group the field
    };
    for (const auto& c : cases) {
        TextString face;
        int bold = 0, italic = 0, size = 0;
        EXPECT_EQ(ParseFontSpec(face, bold, italic, size, c.text) != 0, c.valid) << c.text;
        EXPECT_EQ(IsValidFontSpec(c.text) != 0, c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(face.str(), c.face) << c.text;
            EXPECT_EQ(size, c.size) << c.text;
        }
    }
}
