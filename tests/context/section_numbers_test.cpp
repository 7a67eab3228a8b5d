#include "context/section_numbers.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <utility>

#include "context/context.h"
#include "policies/fc.h"

namespace {

std::string Repeated(const char* piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

class SectionNumbersTest : public ::testing::Test {
protected:
    Context context;
    FC set;

    void SetUp() override { set.SetContext(&context); }
    // "normalised separators depth valid within-limit"
    std::string Reference(const std::string& text, int levelCheck = 1, int limitCheck = 0) {
        TextString normalised("old");
        int separators = 99, depth = 99, valid = 99, within = 99;
        ParseSectionReference(&set, TextString(text), levelCheck, limitCheck, normalised, separators, depth, valid,
                              within);
        return normalised.str() + " " + std::to_string(separators) + " " + std::to_string(depth) + " " +
               std::to_string(valid) + " " + std::to_string(within);
    }
};

// ---------------------------------------------------------------------------
// Section references and numbers

TEST_F(SectionNumbersTest, SectionReferences) {
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        {"3.2.1", "3.2.1 2 2 1 0"},
        {"3.2.", "3.2 1 2 1 0"},  // the trailing mark adds a level
        {"3.2-", "3.2 1 2 1 0"},
        {"3.0", "3 0 1 1 0"},
        {"3.2a", "3.2a -1 -1 0 0"},  // a letter
        {"(3.2)", "3.2 1 1 1 0"},
        {"{7.1} and", "7.1 1 1 1 0"},
        {"2.1:", "2.1 1 1 1 0"},
        {"3", "3 -1 -1 0 0"},
        {"1.2.3.4.5.6", "1.2.3.4.5.6 5 5 1 0"},
        {"1.2.3.4.5.6.7", "1.2.3.4.5.6.7 -1 -1 0 0"},
        {"1234.5", "1234.5 -1 -1 0 0"},
        {".5", ".5 -1 -1 0 0"},
        {"3.2/1", "3.2/1 -1 -1 0 0"},
        {"(", " -1 -1 0 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Reference(c.text), c.result) << c.text;
    EXPECT_EQ(Reference("(3.2).", 0, 1), "3.2 -1 -1 0 0");  // no checks

    set.recognisedHeadings = 2;
    EXPECT_EQ(Reference("3.2", 1, 1), "3.2 1 1 1 1");
    EXPECT_EQ(Reference("3.2.1", 1, 1), "3.2.1 2 2 1 0");
    set.recognisedHeadings = 0;
    EXPECT_EQ(Reference("3.2.1.4", 1, 1), "3.2.1.4 3 3 1 1");
    EXPECT_TRUE(Reference(Repeated("1.", 1000) + "1....", 1, 1).ends_with(" -1 -1 0 0"));

    for (auto [text, normalised] : {std::pair{"(3.2).", "3.2"}, {"{7}", "7"}, {"4.5.0", "4.5"}, {"-", "-"}}) {
        TextString word(text);
        NormaliseSectionReference(&set, word);
        EXPECT_EQ(word.str(), normalised) << text;
    }
    for (auto [word, core] :
         {std::pair{"(3.2),", "3.2"}, {"[[4.1]];:", "4.1"}, {"3.2<br>.<BR>*", "3.2"}, {"*", ""}}) {
        TextString out("old");
        TrimReferenceEnd(&set, TextString(word), out);
        EXPECT_EQ(out.str(), core) << word;
    }
}

TEST_F(SectionNumbersTest, StripNumberDecoration) {
    const struct {
        const char* text;
        const char* stripped;
        char separator;
    } cases[] = {
        {"(3.2)", "3.2", '.'}, {"&lt;1-2&gt;", "1-2", '-'},
        {"*[4]*", "4", '.'},   {"3.2a", "3.2", '.'},
        {"abc", "", '.'},      {"(((", "", '.'},
    };
    for (const auto& c : cases) {
        TextString text(c.text);
        char separator = 0;
        StripNumberDecoration(&set, text, separator, 0);
        EXPECT_EQ(text.str(), c.stripped) << c.text;
        EXPECT_EQ(separator, c.separator) << c.text;
    }
    AnalysisStatistics& statistics = context.documentState.statistics;
    FrequencyTable& table = statistics.tables[kDecorationStatisticsTable];
    EXPECT_EQ(table.samples, 0);  // nothing counted without the count flag

    TextString text("&lt;(3.2ab)&gt;");
    char separator = 0;
    StripNumberDecoration(&set, text, separator, 1);
    EXPECT_EQ(text.str(), "3.2");
    EXPECT_EQ(table.samples, 4);  // '<', '(', ')', '>'
    EXPECT_EQ(table.count, 4);
    EXPECT_EQ(statistics.counters[kDecorationLetterCounter], 2);
}

TEST_F(SectionNumbersTest, SectionFields) {
    const struct {
        const char* field;
        int value;
    } cases[] = {
        {"007", 7},
        {"000", 0},
        {"3)", 3},
        {"3:", 3},
        {"12.5", 12},
        {"4 more", 4},
        {"3a", -1},
        {"", -1},
        {":)", -1},
        {"1999", 1999},
        {"2147483647", INT_MAX},
        {"2147483648", kSectionNumberOutOfRange},
        {"99999999999999999999", kSectionNumberOutOfRange},
        {"000000000000000000001", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSectionField(c.field, '.'), c.value) << c.field;
    EXPECT_EQ(ParseSectionField("2-1", '-'), 2);
    EXPECT_GT(kSectionNumberOutOfRange, 1700);  // out of range counts as a year, never a heading
}

TEST_F(SectionNumbersTest, SectionNumbers) {
    const std::array<int, 6> none{-1, -1, -1, -1, -1, -1};
    const struct {
        std::string word;
        char separator;
        bool found;
        int deepest;
        std::array<int, 6> levels;
    } cases[] = {
        {"2.1.3 Title", '.', true, 2, {2, 1, 3, -1, -1, -1}},
        {"3. Title", '.', true, 0, {3, -1, -1, -1, -1, -1}},
        {"2.0", '.', true, 0, {2, -1, -1, -1, -1, -1}},  // a last level 0 goes
        {"2-1", '-', true, 1, {2, 1, -1, -1, -1, -1}},
        {"1.2.3.4.5.6", '.', true, 5, {1, 2, 3, 4, 5, 6}},
        {"1.2.3.4.5.6.7", '.', false, -1, none},
        {"1..2", '.', false, -1, none},
        {"99999999999.1", '.', true, 1, {kSectionNumberOutOfRange, 1, -1, -1, -1, -1}},
        {"2.x", '.', true, 1, {2, -1, -1, -1, -1, -1}},
        {"A.1", '.', false, -1, none},
        {"1" + Repeated(".1", 1000), '.', false, -1, none},
    };
    std::array<int, 6> levels{};
    int deepest = 99;
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSectionNumber(&set, TextString(c.word), c.separator, nullptr, nullptr, levels, deepest),
                  c.found)
            << c.word;
        EXPECT_EQ(deepest, c.deepest) << c.word;
        EXPECT_EQ(levels, c.levels) << c.word;
    }

    // 2.0 keeps its 0 while 2 is the current chapter.
    const int current[6] = {2, -1, -1, -1, -1, -1};
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("2.0"), '.', current, nullptr, levels, deepest));
    EXPECT_EQ(deepest, 1);
    // A dropped level's lowest number becomes 0 unless it had one.
    int lowest[6] = {-1, -1, 5, -1, -1, -1};
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("3.1."), '.', nullptr, lowest, levels, deepest));
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("3.0"), '.', nullptr, lowest, levels, deepest));
    EXPECT_EQ((std::array<int, 3>{lowest[0], lowest[1], lowest[2]}), (std::array<int, 3>{-1, 0, 5}));

    set.SetInt(Pol::ExpectNumberedHeadings, 0);
    EXPECT_FALSE(ParseSectionNumber(&set, TextString("2.1"), '.', nullptr, nullptr, levels, deepest));
}

}  // namespace
