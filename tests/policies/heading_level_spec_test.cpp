#include "policies/heading_level_spec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Formatted(const HeadingLevelSpec& spec, int levels) {
    TextString out("junk");
    EXPECT_EQ(spec.Format(levels, &out), 1);
    return out.str();
}

}  // namespace

TEST(HeadingLevelSpec, ParsesTheWrittenForms) {
    struct Case {
        const char* text;
        const char* prefix;
        int prefixWords;
        const char* before;
        int style;
        const char* after;
        int trailingX;
        int indent;
    };
    const Case cases[] = {
        {"\"Chapter\" N. at indent 0", "Chapter", 1, "", 1, ".", 0, 0},
        {"\"\" (a) at indent -4", "", 1, "(", 2, ")", 0, -4},
        {"\"\" N.N at indent 8", "", 1, "", 1, "", 0, 8},
        {"\"\" i) at indent 2", "", 1, "", 3, ")", 0, 2},
        {"\"Part\" A: at indent 1", "Part", 1, "", 4, ":", 0, 1},
        {"\"\" I. at indent 12", "", 1, "", 5, ".", 0, 12},
        {"\"Section of Annex\" N.Nx at indent 6", "Section of Annex", 3, "", 1, "", 1, 6},
        {"  \"\" [N] AT INDENT 5  ", "", 1, "[", 1, "]", 0, 5},  // case of "at indent" is free
        {"\"a b c d e f g h i j k\" N at indent 0", "a b c d e f g h i j k", 9, "", 1, "", 0, 0},
    };
    for (const Case& c : cases) {
        HeadingLevelSpec spec;
        ASSERT_TRUE(spec.Parse(0, TextString(c.text))) << c.text;
        EXPECT_EQ(spec.set, 1) << c.text;
        EXPECT_EQ(spec.prefix.str(), c.prefix) << c.text;
        EXPECT_EQ(spec.hasPrefix, c.prefix[0] ? 1 : 0) << c.text;
        EXPECT_EQ(spec.prefixWords, c.prefixWords) << c.text;
        EXPECT_EQ(spec.before.str(), c.before) << c.text;
        EXPECT_EQ(spec.style, c.style) << c.text;
        EXPECT_EQ(spec.after.str(), c.after) << c.text;
        EXPECT_EQ(spec.trailingX, c.trailingX) << c.text;
        EXPECT_EQ(spec.indent, c.indent) << c.text;
        EXPECT_EQ(spec.numberedParagraph, 0) << c.text;
    }
}

TEST(HeadingLevelSpec, RoundTrips) {
    struct Case {
        const char* text;
        int levels;
        const char* formatted;
    };
    const Case cases[] = {
        {"\"Chapter\" N. at indent 0", 0, "\"Chapter\" N. at indent 0"},
        {"\"\" (a) at indent -4", 0, "\"\" (a) at indent -4"},
        {"\"\" N.N at indent 8", 2, "\"\" N.N.N at indent 8"},
        {"\"\" N at indent 8", 1, "\"\" N.N at indent 8"},
        {"\"Section of Annex\" N.Nx at indent 6", 1, "\"Section of Annex\" N.Nx at indent 6"},
        {"\"\" I. at indent 12", 3, "\"\" I. at indent 12"},  // only the decimal style repeats
        {"\"\" Numbered Paragraph at indent 3", 0, "\"\" Numbered Paragraph"},
        // The letters between the first and last style letter are not read:
        // the separator stays '.'.
        {"\"\" N-N at indent 1", 1, "\"\" N.N at indent 1"},
    };
    for (const Case& c : cases) {
        HeadingLevelSpec spec;
        ASSERT_TRUE(spec.Parse(c.levels, TextString(c.text))) << c.text;
        const std::string once = Formatted(spec, c.levels);
        EXPECT_EQ(once, c.formatted) << c.text;
        HeadingLevelSpec again;
        ASSERT_TRUE(again.Parse(c.levels, TextString(once.c_str()))) << once;
        EXPECT_EQ(Formatted(again, c.levels), once) << once;
    }
}

TEST(HeadingLevelSpec, NumberedParagraph) {
    HeadingLevelSpec spec;
    ASSERT_TRUE(spec.Parse(0, TextString("\"\" numbered paragraph at indent 3")));  // any case
    EXPECT_EQ(spec.numberedParagraph, 1);
    EXPECT_EQ(spec.indent, 3);
    EXPECT_EQ(Formatted(spec, 4), "\"\" Numbered Paragraph");
}

TEST(HeadingLevelSpec, TextWithoutStyleLetterFails) {
    const char* const texts[] = {"\"\" X at indent 2", "\"\" (.) at indent 2", "\"Chapter\" at indent 0", "",
                                 "\"\""};
    for (const char* text : texts) {
        HeadingLevelSpec spec;
        EXPECT_FALSE(spec.Parse(0, TextString(text))) << text;
        EXPECT_EQ(spec.set, 0) << text;
        EXPECT_EQ(spec.indent, -1) << text;
    }
}

TEST(HeadingLevelSpec, ParseStartsFromReset) {
    HeadingLevelSpec spec;
    ASSERT_TRUE(spec.Parse(0, TextString("\"Chapter\" (N)x at indent 4")));
    spec.extra1 = 7;
    ASSERT_TRUE(spec.Parse(0, TextString("\"\" a at indent 1")));
    EXPECT_EQ(Formatted(spec, 0), "\"\" a at indent 1");
    EXPECT_EQ(spec.hasPrefix, 0);
    EXPECT_EQ(spec.extra1, -1);
}

// A text without "at indent" is all style part and leaves the indent unset;
// it is what Format writes for a numbered paragraph.
TEST(HeadingLevelSpec, TextWithoutIndentLeavesIndentUnset) {
    HeadingLevelSpec spec;
    ASSERT_TRUE(spec.Parse(0, TextString("\"Chapter\" N.")));
    EXPECT_EQ(spec.set, 1);
    EXPECT_EQ(spec.prefix.str(), "Chapter");
    EXPECT_EQ(spec.style, 1);
    EXPECT_EQ(spec.after.str(), ".");
    EXPECT_EQ(spec.indent, -1);
    EXPECT_EQ(Formatted(spec, 0), "\"Chapter\" N. at indent -1");

    HeadingLevelSpec paragraph;
    ASSERT_TRUE(paragraph.Parse(0, TextString("\"\" Numbered Paragraph")));
    EXPECT_EQ(paragraph.numberedParagraph, 1);
    EXPECT_EQ(paragraph.indent, -1);

    HeadingLevelSpec unreadable;
    ASSERT_TRUE(unreadable.Parse(0, TextString("\"\" N at indent wide")));
    EXPECT_EQ(unreadable.indent, -1);
}

TEST(HeadingLevelSpec, CopyAndMerge) {
    HeadingLevelSpec source;
    ASSERT_TRUE(source.Parse(0, TextString("\"Chapter\" (A)x at indent 4")));
    source.separator = '-';
    source.extra1 = 3;
    source.extra2 = 5;

    HeadingLevelSpec copy(source);
    EXPECT_EQ(Formatted(copy, 0), Formatted(source, 0));
    EXPECT_EQ(copy.separator, '-');
    EXPECT_EQ(copy.extra1, 3);
    EXPECT_EQ(copy.extra2, 5);
    copy = copy;  // assignment to itself keeps the values
    EXPECT_EQ(copy.prefix.str(), "Chapter");

    HeadingLevelSpec unsetIndent;
    ASSERT_TRUE(unsetIndent.Parse(0, TextString("\"\" i.")));  // indent and extras -1
    HeadingLevelSpec target(source);
    target.MergeFrom(unsetIndent);
    EXPECT_EQ(target.style, 3);
    EXPECT_TRUE(target.prefix.IsEmpty());
    EXPECT_EQ(target.separator, '.');
    EXPECT_EQ(target.indent, 4);
    EXPECT_EQ(target.extra1, 3);
    EXPECT_EQ(target.extra2, 5);

    HeadingLevelSpec given;
    ASSERT_TRUE(given.Parse(0, TextString("\"\" i. at indent 9")));
    given.extra2 = 1;
    target.MergeFrom(given);
    EXPECT_EQ(target.indent, 9);
    EXPECT_EQ(target.extra1, 3);
    EXPECT_EQ(target.extra2, 1);
}
