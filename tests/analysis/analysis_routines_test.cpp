#include "analysis/analysis_routines.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "analysis/heading_list.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

class AnalysisRoutinesTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::ErrorReportingLevel, 9);  // show messages of every level
        context.trackers.codeLocation = 2;
        messages = std::make_unique<MessageRecorder>(context);
    }

    std::string Repeated(const char* piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) text += piece;
        return text;
    }
};

// ---------------------------------------------------------------------------
// Section references

TEST_F(AnalysisRoutinesTest, SectionReferencesWithLevelCheck) {
    const struct {
        const char* text;
        const char* normalised;
        int separators, depth, valid;
    } cases[] = {
        {"3.2.1", "3.2.1", 2, 2, 1},
        {"3.2.", "3.2", 1, 2, 1},       // the trailing mark adds a level
        {"3.2-", "3.2", 1, 2, 1},
        {"3.", "3", 0, 1, 1},
        {"3.0", "3", 0, 1, 1},
        {"3.2a", "3.2a", -1, -1, 0},     // letters are no section numbers
        {"(3.2)", "3.2", 1, 1, 1},
        {"[4-1]", "4-1", 1, 1, 1},
        {"{7.1} and more", "7.1", 1, 1, 1},
        {"2.1:", "2.1", 1, 1, 1},
        {"3", "3", -1, -1, 0},           // neither separator nor trailing mark
        {"1.2.3.4.5.6", "1.2.3.4.5.6", 5, 5, 1},
        {"1.2.3.4.5.6.7", "1.2.3.4.5.6.7", -1, -1, 0},
        {"1234.5", "1234.5", -1, -1, 0},  // more than 3 digits in a row
        {".5", ".5", -1, -1, 0},
        {"3..2", "3..2", 2, 2, 1},
        {"3.2/1", "3.2/1", -1, -1, 0},
        {"", "", -1, -1, 0},
        {"(", "", -1, -1, 0},
    };
    for (const auto& c : cases) {
        TextString normalised("old");
        int separators = 99, depth = 99, valid = 99, withinLimit = 99;
        ParseSectionReference(&set, TextString(c.text), 1, 0, normalised, separators, depth, valid, withinLimit);
        EXPECT_EQ(normalised.str(), c.normalised) << c.text;
        EXPECT_EQ(separators, c.separators) << c.text;
        EXPECT_EQ(depth, c.depth) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
        EXPECT_EQ(withinLimit, 0) << c.text;
    }
}

TEST_F(AnalysisRoutinesTest, SectionReferencesWithoutChecksAndWithLimit) {
    TextString normalised;
    int separators = 0, depth = 0, valid = 1, withinLimit = 1;
    ParseSectionReference(&set, TextString("(3.2)."), 0, 1, normalised, separators, depth, valid, withinLimit);
    EXPECT_EQ(normalised.str(), "3.2");
    EXPECT_EQ(separators, -1);
    EXPECT_EQ(depth, -1);
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(withinLimit, 0);

    const struct {
        const char* text;
        int limit, within;
    } cases[] = {
        {"3.2", 0, 1}, {"3.2.1.4", 0, 1}, {"3.2", 2, 1}, {"3.2.1", 2, 0}, {"3.2.1", 3, 1}, {"3.x", 0, 0},
    };
    for (const auto& c : cases) {
        set.recognisedHeadings = c.limit;
        ParseSectionReference(&set, TextString(c.text), 1, 1, normalised, separators, depth, valid, withinLimit);
        EXPECT_EQ(withinLimit, c.within) << c.text << " limit " << c.limit;
    }
}

TEST_F(AnalysisRoutinesTest, NormaliseAndTrimReferences) {
    const struct {
        const char* text;
        const char* normalised;
    } normalise[] = {
        {"(3.2).", "3.2"}, {"{7}", "7"}, {"2.1:", "2.1"}, {"4.5.0", "4.5"}, {"4-", "4"}, {"-", "-"}, {"", ""},
    };
    for (const auto& c : normalise) {
        TextString text(c.text);
        NormaliseSectionReference(&set, text);
        EXPECT_EQ(text.str(), c.normalised) << c.text;
    }

    const struct {
        const char* word;
        const char* core;
    } trim[] = {
        {"(3.2),", "3.2"},   {"3.2.<BR>", "3.2"}, {"[[4.1]];:", "4.1"}, {"3.2<br>.<BR>*", "3.2"},
        {"***", ""},         {"", ""},             {"{(x)}", "x"},       {"1.1.", "1.1"},
    };
    for (const auto& c : trim) {
        TextString core("old");
        TrimReferenceEnd(&set, TextString(c.word), core);
        EXPECT_EQ(core.str(), c.core) << c.word;
    }
}

TEST_F(AnalysisRoutinesTest, StripNumberDecoration) {
    const struct {
        const char* text;
        const char* stripped;
        char separator;
    } cases[] = {
        {"(3.2)", "3.2", '.'},      {"&lt;1-2&gt;", "1-2", '-'}, {"*[4]*", "4", '.'}, {"3.2a", "3.2", '.'},
        {"3.2", "3.2", '.'},        {"{{2-1}}", "2-1", '-'},      {"abc", "", '.'},    {"(((", "", '.'},
        {"&LT;5&GT;", "5", '.'},    {"", "", '.'},
    };
    for (const auto& c : cases) {
        TextString text(c.text);
        char separator = 0;
        StripNumberDecoration(&set, text, separator, 0);
        EXPECT_EQ(text.str(), c.stripped) << c.text;
        EXPECT_EQ(separator, c.separator) << c.text;
    }
    AnalysisStatistics& statistics = context.documentState.statistics;
    EXPECT_EQ(statistics.tables[kDecorationStatisticsTable].samples, 0);

    TextString text("&lt;(3.2ab)&gt;");
    char separator = 0;
    StripNumberDecoration(&set, text, separator, 1);
    EXPECT_EQ(text.str(), "3.2");
    FrequencyTable& table = statistics.tables[kDecorationStatisticsTable];
    EXPECT_EQ(table.samples, 4);  // '<', '(', ')', '>'
    EXPECT_EQ(table.count, 4);
    EXPECT_EQ(statistics.counters[kDecorationLetterCounter], 2);
}

// ---------------------------------------------------------------------------
// Section numbers of headings

TEST_F(AnalysisRoutinesTest, SectionFields) {
    const struct {
        const char* field;
        int value;
    } cases[] = {
        {"12", 12},          {"007", 7},         {"000", 0},          {"0", 0},
        {"3)", 3},           {"3:", 3},          {"12.5", 12},        {"4 more", 4},
        {"3a", -1},          {"", -1},           {":)", -1},          {"-3", -1},
        {"1999", 1999},      {"2147483647", INT_MAX},
        {"2147483648", kSectionNumberOutOfRange}, {"99999999999999999999", kSectionNumberOutOfRange},
        {"000000000000000000001", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSectionField(c.field, '.'), c.value) << c.field;
    EXPECT_EQ(ParseSectionField("2-1", '-'), 2);
    EXPECT_EQ(ParseSectionField(nullptr, '.'), -1);
    EXPECT_GT(kSectionNumberOutOfRange, 1700);
}

TEST_F(AnalysisRoutinesTest, SectionNumbers) {
    const struct {
        const char* word;
        char separator;
        bool found;
        int deepest;
        std::array<int, 6> levels;
    } cases[] = {
        {"2.1.3 Title", '.', true, 2, {2, 1, 3, -1, -1, -1}},
        {"3. Title", '.', true, 0, {3, -1, -1, -1, -1, -1}},
        {"2.1.", '.', true, 1, {2, 1, -1, -1, -1, -1}},
        {"2.0", '.', true, 0, {2, -1, -1, -1, -1, -1}},  // a last level 0 goes
        {"2.00", '.', true, 0, {2, -1, -1, -1, -1, -1}},
        {"2-1", '-', true, 1, {2, 1, -1, -1, -1, -1}},
        {"1.2.3.4.5.6", '.', true, 5, {1, 2, 3, 4, 5, 6}},
        {"1.2.3.4.5.6.7", '.', false, -1, {-1, -1, -1, -1, -1, -1}},
        {"1..2", '.', false, -1, {-1, -1, -1, -1, -1, -1}},
        {"1999 was a year", '.', true, 0, {1999, -1, -1, -1, -1, -1}},
        {"99999999999.1", '.', true, 1, {kSectionNumberOutOfRange, 1, -1, -1, -1, -1}},
        {"2.x", '.', true, 1, {2, -1, -1, -1, -1, -1}},
        {"A.1", '.', false, -1, {-1, -1, -1, -1, -1, -1}},
        {"", '.', false, -1, {-1, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        std::array<int, 6> levels{};
        int deepest = 99;
        EXPECT_EQ(ParseSectionNumber(&set, TextString(c.word), c.separator, nullptr, nullptr, levels, deepest),
                  c.found)
            << c.word;
        EXPECT_EQ(deepest, c.deepest) << c.word;
        EXPECT_EQ(levels, c.levels) << c.word;
    }
}

TEST_F(AnalysisRoutinesTest, SectionNumberZeroLevelAndLowestSeen) {
    std::array<int, 6> levels{};
    int deepest = -1;
    // 2.0 keeps its 0 while 2 is the current chapter.
    const int current[6] = {2, -1, -1, -1, -1, -1};
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("2.0"), '.', current, nullptr, levels, deepest));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(levels[1], 0);

    int lowest[6] = {-1, -1, 5, -1, -1, -1};
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("3.1."), '.', nullptr, lowest, levels, deepest));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(lowest[2], 5);  // a dropped level keeps a lowest number it had
    EXPECT_TRUE(ParseSectionNumber(&set, TextString("3.0"), '.', nullptr, lowest, levels, deepest));
    EXPECT_EQ(lowest[1], 0);
    EXPECT_EQ(lowest[0], -1);

    set.SetInt(Pol::ExpectNumberedHeadings, 0);
    EXPECT_FALSE(ParseSectionNumber(&set, TextString("2.1"), '.', nullptr, nullptr, levels, deepest));
}

TEST_F(AnalysisRoutinesTest, VeryDeepSectionNumbersAreRefused) {
    const std::string deep = "1" + Repeated(".1", 1000);
    std::array<int, 6> levels{};
    int deepest = 0;
    EXPECT_FALSE(ParseSectionNumber(&set, TextString(deep), '.', nullptr, nullptr, levels, deepest));

    TextString normalised;
    int separators = 0, depth = 0, valid = 1, withinLimit = 1;
    ParseSectionReference(&set, TextString(deep + "...."), 1, 1, normalised, separators, depth, valid, withinLimit);
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(depth, -1);

    TextString text(deep);
    char separator = 0;
    StripNumberDecoration(&set, text, separator, 1);
    EXPECT_EQ(text.str(), deep);
}

// ---------------------------------------------------------------------------
// Bullets

TEST_F(AnalysisRoutinesTest, BulletTypes) {
    const struct {
        const char* line;
        int type;
        const char* bullet;
    } cases[] = {
        {"1. Text", 211, "1."},
        {"12) Text", 211, "12)"},
        {"123. Text", 0, "123."},
        {"iv) Text", 213, "iv)"},
        {"IV. Text", 215, "IV."},
        {"i. Text", 213, "i."},
        {"B. Text", 214, "B."},
        {"(a) Text", 212, "(a)"},
        {"c/ Text", 212, "c/"},
        {"ab) Text", 0, "ab)"},
        {"1.2 Text", 0, "1.2"},
        {"1)Text", 211, "1)"},
        {"  2. Text", 211, "2."},
        {"&nbsp;&nbsp;3. Text", 211, "3."},
        {"[[FONT 1]]4. Text", 211, "4."},
        {"<SUP>a)</SUP>text", 212, "a)"},
        {"(*) Text", 210, "(*)"},
        {"&#149; Text", 210, "&#149;"},
        {"&lt; Text", 0, "&lt;"},
        {"&eacute; Text", 0, "&eacute;"},
        {"&ouml; Text", 0, "&ouml;"},
        {"&ntilde; Text", 0, "&ntilde;"},
        {"&copy; 2000", 0, "&copy;"},
        {"* Text", 0, "*"},
        {"Text only", 0, "Text"},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        TextString line(c.line);
        TextString bullet("old");
        EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), c.type) << c.line;
        EXPECT_EQ(bullet.str(), c.bullet) << c.line;
        EXPECT_EQ(line.str(), c.line) << "line analysis leaves the line alone: " << c.line;
    }
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(AnalysisRoutinesTest, EntityBulletsAreReported) {
    TextString line("&bull; Text");
    TextString bullet;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 210);
    ASSERT_EQ(messages->Messages().size(), 1u);
    EXPECT_EQ(messages->Messages()[0], "INFO: Treating entity \"&bull;\" as unordered bullet");
}

TEST_F(AnalysisRoutinesTest, BulletPermissions) {
    const struct {
        const char* line;
        int numbered, roman, alphabetic;
        int type;
    } cases[] = {
        {"1. Text", 0, 1, 1, 0},   {"i. Text", 1, 0, 1, 212}, {"i. Text", 1, 0, 0, 0},
        {"B. Text", 1, 1, 0, 0},   {"(*) Text", 0, 0, 0, 0},  {"(*) Text", 1, 0, 0, 210},
    };
    for (const auto& c : cases) {
        TextString line(c.line);
        TextString bullet;
        EXPECT_EQ(DetermineBulletType(&set, line, c.numbered, c.roman, c.alphabetic, bullet), c.type) << c.line;
    }

    // The tracker's list permissions (bullets, numbered, alphabetic, roman)
    // take away what the arguments allow.
    Tracker& tracker = context.trackers.analysis;
    TextString line("1. Text");
    TextString bullet;
    tracker.permissions[kAllowList2] = 0;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 0);
    line = "a) Text";
    tracker.permissions[kAllowList3] = 0;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 0);
    line = "iv) Text";
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 213);
    tracker.permissions[kAllowList4] = 0;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 0);
    EXPECT_TRUE(bullet.IsEmpty());
    // Another location's tracker does not count.
    context.trackers.codeLocation = 1;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 213);
}

TEST_F(AnalysisRoutinesTest, SpecialRuleSets) {
    set.ruleSetCode = 2;
    TextString line("* Text");
    TextString bullet;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 210);
    line = "Text only";
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 0);
    EXPECT_TRUE(messages->Messages().empty());  // warned only while output is written

    context.trackers.codeLocation = 3;
    set.SetInt(Pol::ListMarkupCode, 1);
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 0);
    ASSERT_EQ(messages->Messages().size(), 1u);
    EXPECT_EQ(messages->Messages()[0], "WARNING: Unable to determine bullet type from : \"Text\"");
}

TEST_F(AnalysisRoutinesTest, BulletMovedInFrontOfTagsWhileWriting) {
    context.trackers.codeLocation = 3;
    const struct {
        const char* line;
        const char* result;
    } cases[] = {
        {"[[FONT 1]]1. Text", "1. [[FONT 1]] Text"},
        {"[[FONT 1]] 2. Text", "2. [[FONT 1]] Text"},
        {"[[FONT 1]]5)Text", "5) [[FONT 1]]Text"},
        {"&nbsp;7. Text", "7. &nbsp; Text"},
        {"3. [[FONT 1]]Text", "3. [[FONT 1]]Text"},
        {"  4. Text", "  4. Text"},
        // A bullet that a tag splits ("1" and ".") is not in the line as one
        // piece: it cannot be moved, and nothing is put in front.
        {"1[[FONT 1]]. Text", "1[[FONT 1]]. Text"},
    };
    for (const auto& c : cases) {
        messages->Clear();
        TextString line(c.line);
        TextString bullet;
        DetermineBulletType(&set, line, 1, 1, 1, bullet);
        EXPECT_EQ(line.str(), c.result) << c.line;
        bool moved = std::string(c.line) != c.result;
        EXPECT_EQ(messages->Count("INFO: Re-ordering tags on bullet line"), moved ? 1 : 0) << c.line;
    }
    // With list markup code set the line stays as it is.
    set.SetInt(Pol::ListMarkupCode, 1);
    TextString line("[[FONT 1]]1. Text");
    TextString bullet;
    EXPECT_EQ(DetermineBulletType(&set, line, 1, 1, 1, bullet), 211);
    EXPECT_EQ(line.str(), "[[FONT 1]]1. Text");
}

TEST_F(AnalysisRoutinesTest, BulletsSurviveOddLines) {
    const std::string lines[] = {
        Repeated("1. ", 10000),
        Repeated(")", 10000),
        Repeated("[[", 5000),
        Repeated("]]", 5000),
        Repeated("[[]]", 5000),
        "[[[[]]]]]]",
        Repeated("&nbsp;", 5000),
        Repeated("</SUP>", 5000),
        "&;",
        "&",
    };
    for (int location : {2, 3}) {
        context.trackers.codeLocation = location;
        for (const std::string& text : lines) {
            TextString line(text);
            TextString bullet;
            int type = DetermineBulletType(&set, line, 1, 1, 1, bullet);
            EXPECT_TRUE(type == 0 || (type >= 210 && type <= 215)) << text.substr(0, 20);
        }
    }
}

// ---------------------------------------------------------------------------
// Known headings

class FindHeadingAnchorTest : public AnalysisRoutinesTest {
protected:
    void AddHeading(int type, const char* title, int line) {
        TextString text(title);
        context.documentState.headings.Add(&set, type, text, text, TextString("stem"), SourcePosition(0, line),
                                           TextString(), TextString(), TextString());
    }
    void SetUp() override {
        AnalysisRoutinesTest::SetUp();
        set.names.outputExtension = ".html";
        AddHeading(101, "1 Introduction", 10);
        AddHeading(102, "2.1 Scope of the work", 40);
        AddHeading(111, "Appendix", 90);
        messages->Clear();
    }
};

TEST_F(FindHeadingAnchorTest, FindsKnownHeadings) {
    const struct {
        const char* text;
        int type;
        int index;  // entry expected, -1 none
    } cases[] = {
        {"1 Introduction", 101, 0},
        {"1 introduction", 151, 0},          // contents line of the heading
        {"2.1 Scope of the work", 152, 1},
        {"2.1 Scope (draft)", 102, 1},       // by its number
        {"(2.1) Another title", 102, 1},
        {"2.1 Scope (draft)", 101, -1},      // the number belongs to another level
        {"Scope of the work", 111, 1},       // by the title without number
        {"Appendix", 112, 2},
        {"Nothing like it", 101, -1},
        {"", 101, -1},
    };
    for (const auto& c : cases) {
        TextString fileName("old name"), extension("old ext");
        HeadingListEntry* entry = nullptr;
        set.messageText = "";
        int found = FindHeadingAnchor(TextString(c.text), c.type, &set, SourcePosition(), fileName, extension, entry);
        if (c.index < 0) {
            EXPECT_EQ(found, 0) << c.text;
            EXPECT_EQ(entry, nullptr) << c.text;
            EXPECT_EQ(fileName.str(), "old name") << c.text;
            EXPECT_EQ(extension.str(), "old ext") << c.text;
            EXPECT_EQ(set.messageText.str(), "WARNING: Failed to match heading \"" + std::string(c.text) + "\"");
        } else {
            HeadingListEntry* expected = context.documentState.headings.GetAt(c.index);
            EXPECT_EQ(found, 1) << c.text;
            EXPECT_EQ(entry, expected) << c.text;
            EXPECT_EQ(fileName.str(), expected->fileName.str()) << c.text;
            EXPECT_EQ(extension.str(), ".html") << c.text;
        }
    }
    EXPECT_TRUE(messages->Messages().empty());  // the warning is only prepared
}

}  // namespace
