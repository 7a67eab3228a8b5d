#include "analysis/analysis_routines.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/heading_list.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

std::string Repeated(const char* piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

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
    // "normalised separators depth valid within-limit"
    std::string Reference(const std::string& text, int levelCheck = 1, int limitCheck = 0) {
        TextString normalised("old");
        int separators = 99, depth = 99, valid = 99, within = 99;
        ParseSectionReference(&set, TextString(text), levelCheck, limitCheck, normalised, separators, depth, valid,
                              within);
        return normalised.str() + " " + std::to_string(separators) + " " + std::to_string(depth) + " " +
               std::to_string(valid) + " " + std::to_string(within);
    }
    int Bullet(TextString& line, TextString& bullet, int numbered = 1, int roman = 1, int alphabetic = 1) {
        return DetermineBulletType(&set, line, numbered, roman, alphabetic, bullet);
    }
};

// ---------------------------------------------------------------------------
// Section references and numbers

TEST_F(AnalysisRoutinesTest, SectionReferences) {
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        {"3.2.1", "3.2.1 2 2 1 0"}, {"3.2.", "3.2 1 2 1 0"},  // the trailing mark adds a level
        {"3.2-", "3.2 1 2 1 0"},    {"3.0", "3 0 1 1 0"},     {"3.2a", "3.2a -1 -1 0 0"},  // a letter
        {"(3.2)", "3.2 1 1 1 0"},   {"{7.1} and", "7.1 1 1 1 0"}, {"2.1:", "2.1 1 1 1 0"},
        {"3", "3 -1 -1 0 0"},       {"1.2.3.4.5.6", "1.2.3.4.5.6 5 5 1 0"},
        {"1.2.3.4.5.6.7", "1.2.3.4.5.6.7 -1 -1 0 0"},           {"1234.5", "1234.5 -1 -1 0 0"},
        {".5", ".5 -1 -1 0 0"},     {"3.2/1", "3.2/1 -1 -1 0 0"}, {"(", " -1 -1 0 0"},
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
    for (auto [word, core] : {std::pair{"(3.2),", "3.2"}, {"[[4.1]];:", "4.1"}, {"3.2<br>.<BR>*", "3.2"}, {"*", ""}}) {
        TextString out("old");
        TrimReferenceEnd(&set, TextString(word), out);
        EXPECT_EQ(out.str(), core) << word;
    }
}

TEST_F(AnalysisRoutinesTest, StripNumberDecoration) {
    const struct {
        const char* text;
        const char* stripped;
        char separator;
    } cases[] = {
        {"(3.2)", "3.2", '.'}, {"&lt;1-2&gt;", "1-2", '-'}, {"*[4]*", "4", '.'}, {"3.2a", "3.2", '.'},
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

TEST_F(AnalysisRoutinesTest, SectionFields) {
    const struct {
        const char* field;
        int value;
    } cases[] = {
        {"007", 7}, {"000", 0}, {"3)", 3}, {"3:", 3}, {"12.5", 12}, {"4 more", 4}, {"3a", -1}, {"", -1},
        {":)", -1}, {"1999", 1999}, {"2147483647", INT_MAX}, {"2147483648", kSectionNumberOutOfRange},
        {"99999999999999999999", kSectionNumberOutOfRange}, {"000000000000000000001", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSectionField(c.field, '.'), c.value) << c.field;
    EXPECT_EQ(ParseSectionField("2-1", '-'), 2);
    EXPECT_GT(kSectionNumberOutOfRange, 1700);  // out of range counts as a year, never a heading
}

TEST_F(AnalysisRoutinesTest, SectionNumbers) {
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

// ---------------------------------------------------------------------------
// Bullets

TEST_F(AnalysisRoutinesTest, BulletTypes) {
    const struct {
        const char* line;
        int type;
        const char* bullet;
    } cases[] = {
        {"1. Text", 211, "1."},        {"12) Text", 211, "12)"},    {"123. Text", 0, "123."},
        {"iv) Text", 213, "iv)"},      {"IV. Text", 215, "IV."},    {"i. Text", 213, "i."},
        {"B. Text", 214, "B."},        {"(a) Text", 212, "(a)"},    {"c/ Text", 212, "c/"},
        {"ab) Text", 0, "ab)"},        {"1.2 Text", 0, "1.2"},      {"1)Text", 211, "1)"},
        {"&nbsp;3. Text", 211, "3."},  {"[[FONT 1]]4. Text", 211, "4."}, {"<SUP>a)</SUP>text", 212, "a)"},
        {"(*) Text", 210, "(*)"},      {"&#149; Text", 210, "&#149;"}, {"&lt; Text", 0, "&lt;"},
        {"&eacute; Text", 0, "&eacute;"}, {"&ouml; Text", 0, "&ouml;"}, {"&copy; 2000", 0, "&copy;"},
        {"* Text", 0, "*"},            {"", 0, ""},
        // Non-breaking spaces and closing brackets split the first words.
        {"&NBSP;&nbsp; 2) Text", 211, "2)"}, {"\t&nbsp;\t(b) Text", 212, "(b)"}, {"a)b) Text", 212, "a)"},
        {"&nbsp;x&nbsp;1. Text", 0, "x"},
    };
    for (const auto& c : cases) {
        TextString line(c.line);
        TextString bullet("old");
        EXPECT_EQ(Bullet(line, bullet), c.type) << c.line;
        EXPECT_EQ(bullet.str(), c.bullet) << c.line;
        EXPECT_EQ(line.str(), c.line) << "line analysis leaves the line alone";
    }
    EXPECT_TRUE(messages->Messages().empty());

    // Only the first words of a long line are read.
    for (const auto& [start, type] : {std::pair{"7. ", 211}, {"&nbsp; &nbsp; c) ", 212}, {"Text ", 0}}) {
        TextString line((start + Repeated("word ", 200000)).c_str());
        TextString bullet;
        EXPECT_EQ(Bullet(line, bullet), type) << start;
    }

    TextString line("&bull; Text");
    TextString bullet;
    EXPECT_EQ(Bullet(line, bullet), 210);
    EXPECT_EQ(messages->Messages(), std::vector<std::string>{"INFO: Treating entity \"&bull;\" as unordered bullet"});
}

TEST_F(AnalysisRoutinesTest, BulletPermissions) {
    TextString bullet;
    auto type = [&](const char* text, int numbered, int roman, int alphabetic) {
        TextString line(text);
        return Bullet(line, bullet, numbered, roman, alphabetic);
    };
    EXPECT_EQ(type("1. Text", 0, 1, 1), 0);
    EXPECT_EQ(type("i. Text", 1, 0, 1), 212);
    EXPECT_EQ(type("(*) Text", 0, 0, 0), 0);

    // The tracker's list permissions (bullets, numbered, alphabetic, roman)
    // take away what the arguments allow.
    Tracker& tracker = context.trackers.analysis;
    tracker.permissions[kAllowList2] = 0;
    EXPECT_EQ(type("1. Text", 1, 1, 1), 0);
    tracker.permissions[kAllowList3] = 0;
    EXPECT_EQ(type("a) Text", 1, 1, 1), 0);
    EXPECT_EQ(type("iv) Text", 1, 1, 1), 213);
    tracker.permissions[kAllowList4] = 0;
    EXPECT_EQ(type("iv) Text", 1, 1, 1), 0);
    context.trackers.codeLocation = 1;  // another location's tracker does not count
    EXPECT_EQ(type("iv) Text", 1, 1, 1), 213);
}

TEST_F(AnalysisRoutinesTest, BulletsUnderSpecialRuleSets) {
    set.ruleSetCode = 2;
    TextString line("* Text");
    TextString bullet;
    EXPECT_EQ(Bullet(line, bullet), 210);
    line = "Text only";
    EXPECT_EQ(Bullet(line, bullet), 0);
    EXPECT_TRUE(messages->Messages().empty());  // warned only while output is written
    context.trackers.codeLocation = 3;
    EXPECT_EQ(Bullet(line, bullet), 0);
    EXPECT_EQ(messages->Messages(), std::vector<std::string>{"WARNING: Unable to determine bullet type from : \"Text\""});
}

TEST_F(AnalysisRoutinesTest, BulletMovedInFrontOfTagsWhileWriting) {
    context.trackers.codeLocation = 3;
    const struct {
        const char* line;
        const char* result;
    } cases[] = {
        {"[[FONT 1]]1. Text", "1. [[FONT 1]] Text"},
        {"[[FONT 1]] 2. Text", "2. [[FONT 1]] Text"},
        {"&nbsp;7. Text", "7. &nbsp; Text"},
        {"  4. Text", "  4. Text"},
        // A bullet that a tag splits ("1" and ".") is not in the line as one
        // piece: it cannot be moved, and nothing is put in front.
        {"1[[FONT 1]]. Text", "1[[FONT 1]]. Text"},
    };
    for (const auto& c : cases) {
        messages->Clear();
        TextString line(c.line);
        TextString bullet;
        Bullet(line, bullet);
        EXPECT_EQ(line.str(), c.result) << c.line;
        bool moved = std::string(c.line) != c.result;
        EXPECT_EQ(messages->Count("INFO: Re-ordering tags on bullet line"), moved ? 1 : 0) << c.line;
    }
    set.SetInt(Pol::ListMarkupCode, 1);  // list markup code set: the line stays as it is
    TextString line("[[FONT 1]]1. Text");
    TextString bullet;
    EXPECT_EQ(Bullet(line, bullet), 211);
    EXPECT_EQ(line.str(), "[[FONT 1]]1. Text");
}

TEST_F(AnalysisRoutinesTest, BulletsSurviveOddLines) {
    const std::string lines[] = {Repeated("1. ", 10000), Repeated(")", 10000), Repeated("[[", 5000),
                                 Repeated("[[]]", 5000), "[[[[]]]]]]", Repeated("</SUP>", 5000), "&;"};
    for (int location : {2, 3}) {
        context.trackers.codeLocation = location;
        for (const std::string& text : lines) {
            TextString line(text);
            TextString bullet;
            int type = Bullet(line, bullet);
            EXPECT_TRUE(type == 0 || (type >= 210 && type <= 215)) << text.substr(0, 20);
        }
    }
}

// ---------------------------------------------------------------------------
// Known headings

TEST_F(AnalysisRoutinesTest, FindHeadingAnchor) {
    set.names.outputExtension = ".html";
    for (auto [type, title, line] : {std::tuple{101, "1 Introduction", 10}, {102, "2.1 Scope of the work", 40},
                                     {111, "Appendix", 90}}) {
        TextString text(title);
        context.documentState.headings.Add(&set, type, text, text, TextString("stem"), SourcePosition(0, line),
                                           TextString(), TextString(), TextString());
    }
    messages->Clear();
    const struct {
        const char* text;
        int type;
        int index;  // entry expected, -1 none
    } cases[] = {
        {"1 introduction", 151, 0},       // contents line of the heading
        {"2.1 Scope (draft)", 102, 1},    // by its number
        {"(2.1) Another title", 152, 1},
        {"2.1 Scope (draft)", 101, -1},   // the number belongs to another level
        {"Scope of the work", 111, 1},    // by the title without number
        {"Appendix", 112, 2},
        {"Nothing like it", 101, -1},
    };
    for (const auto& c : cases) {
        TextString fileName("old name"), extension("old ext");
        HeadingListEntry* entry = nullptr;
        set.messageText = "";
        int found = FindHeadingAnchor(TextString(c.text), c.type, &set, SourcePosition(), fileName, extension, entry);
        HeadingListEntry* expected = context.documentState.headings.GetAt(c.index);
        EXPECT_EQ(found, c.index >= 0 ? 1 : 0) << c.text;
        EXPECT_EQ(entry, expected) << c.text;
        EXPECT_EQ(fileName.str(), expected ? expected->fileName.str() : "old name") << c.text;
        EXPECT_EQ(extension.str(), expected ? ".html" : "old ext") << c.text;
        EXPECT_EQ(set.messageText.str(),
                  expected ? "" : "WARNING: Failed to match heading \"" + std::string(c.text) + "\"");
    }
    EXPECT_TRUE(messages->Messages().empty());  // the warning is only prepared
}

}  // namespace
