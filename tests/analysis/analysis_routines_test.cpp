#include "analysis/analysis_routines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    int Bullet(TextString& line, TextString& bullet, int numbered = 1, int roman = 1, int alphabetic = 1) {
        return DetermineBulletType(&set, line, numbered, roman, alphabetic, bullet);
    }
};

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
        {"&nbsp;3. Text", 211, "3."},
        {"[[FONT 1]]4. Text", 211, "4."},
        {"<SUP>a)</SUP>text", 212, "a)"},
        {"(*) Text", 210, "(*)"},
        {"&#149; Text", 210, "&#149;"},
        {"&lt; Text", 0, "&lt;"},
        {"&eacute; Text", 0, "&eacute;"},
        {"&ouml; Text", 0, "&ouml;"},
        {"&copy; 2000", 0, "&copy;"},
        {"* Text", 0, "*"},
        {"", 0, ""},
        // Non-breaking spaces and closing brackets split the first words.
        {"&NBSP;&nbsp; 2) Text", 211, "2)"},
        {"\t&nbsp;\t(b) Text", 212, "(b)"},
        {"a)b) Text", 212, "a)"},
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
    EXPECT_EQ(messages->Messages(),
              std::vector<std::string>{"INFO: Treating entity \"&bull;\" as unordered bullet"});
}

// The quick look that lets most lines skip the bullet test never turns
// away a line the test would take, nor one it would report on.
TEST_F(AnalysisRoutinesTest, OnlyLinesThatMayHoldABulletAreTested) {
    const char* const lines[] = {
        "1. Text",
        "12) Text",
        "iv) Text",
        "(a) Text",
        "c/ Text",
        "1)Text",
        "&nbsp;3. Text",
        "[[FONT 1]]4. Text",
        "<SUP>a)</SUP>text",
        "(*) Text",
        "&#149; Text",
        "&bull; Text",
        "a]b Text",
        "x} Text",
        "* Text",
        "o Text",
        "kxe 281",
        "aaaaa",
        "Name  Value",
        "- Text",
        "",
        "   ",
        "Total 12.5",
        "B Text",
    };
    for (int rules : {0, 1}) {
        set.ruleSetCode = rules;
        for (const char* text : lines) {
            TextString line(text);
            TextString bullet;
            messages->Clear();
            const int type = Bullet(line, bullet);
            if (!MayHoldBullet(&set, text)) {
                EXPECT_EQ(type, 0) << text << " rules " << rules;
                EXPECT_TRUE(messages->Messages().empty()) << text << " rules " << rules;
            }
        }
        // Under the special rules one character is a bullet.
        EXPECT_EQ(MayHoldBullet(&set, "* Text"), rules == 1);
        EXPECT_EQ(MayHoldBullet(&set, "kxe 281"), rules == 1);
    }
}

// The bullet test asks for the text it reads and whether that may hold a
// bullet in one step: it answers as the two steps do, for lines on either
// side of its short road (a line that starts with a plain first word), in
// every code location, under the special rules and with an empty tag start.
TEST_F(AnalysisRoutinesTest, TheCandidateTextIsWhatTheTwoStepsGive) {
    const char* const lines[] = {
        "kxe 281",
        "aaaaa",
        "a",
        "1. Text",
        "1.Text more",
        "Text 1.",
        "x} y",
        "&nbsp;3. Text",
        "&nbsp; 3. Text",
        "&NBSP;&nbsp; a) b",
        "&amp; x",
        "&nbsp;",
        " 1. Text",
        "\t1. x",
        "  kxe 281",
        "[[FONT 1]]",
        "word [[FONT 1]]",
        "(*)",
        "plain/word",
        "plain\tword.",
        "",
        "&",
        // Either side of sixteen bytes, which are looked at in one go.
        "abcdefghijklmno)",
        "abcdefghijklmnop)",
        "abcdefghijklmn[[",
        "abcdefghijklmnop [[",
        "abcdefghij klmn)",
        "abcdefghijklmno",
        "x",
    };
    const TextString tagStart(set.GetText(Pol::StartTagDelimiter));
    for (const char* delimiter : {"[[", ""}) {
        set.SetText(Pol::StartTagDelimiter, delimiter);
        for (const int rules : {0, 1}) {
            set.ruleSetCode = rules;
            for (const int location : {1, 2, 3}) {
                context.trackers.codeLocation = location;
                for (const char* text : lines) {
                    const std::string_view tested = BulletTestText(&set, text);
                    const std::optional<std::string_view> candidate = BulletCandidateText(&set, text);
                    const std::string where = std::string("'") + text + "' rules " + std::to_string(rules) +
                                              " location " + std::to_string(location) + " delimiter '" + delimiter +
                                              "'";
                    ASSERT_EQ(candidate.has_value(), MayHoldBullet(&set, tested)) << where;
                    EXPECT_EQ(candidate.value_or(tested), tested) << where;
                    // The same text in a buffer that may be read beyond it, whose
                    // further bytes are marks, blanks and tag starts.
                    std::string padded = std::string(text) + std::string(32, ')');
                    for (size_t k = std::strlen(text); k < padded.size(); k += 3) padded[k] = k % 2 ? '[' : ' ';
                    const std::string_view inPlace(padded.data(), std::strlen(text));
                    const std::optional<std::string_view> read =
                        BulletCandidateText(&set, inPlace, static_cast<int>(padded.size()));
                    ASSERT_EQ(read.has_value(), candidate.has_value()) << where;
                    EXPECT_EQ(read.value_or(""), candidate.value_or("")) << where;
                }
            }
        }
    }
    set.SetText(Pol::StartTagDelimiter, tagStart.buffer);
    context.trackers.codeLocation = 2;
    set.ruleSetCode = 0;
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
    EXPECT_EQ(messages->Messages(),
              std::vector<std::string>{"WARNING: Unable to determine bullet type from : \"Text\""});
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
    const std::string lines[] = {Repeated("1. ", 10000),
                                 Repeated(")", 10000),
                                 Repeated("[[", 5000),
                                 Repeated("[[]]", 5000),
                                 "[[[[]]]]]]",
                                 Repeated("</SUP>", 5000),
                                 "&;"};
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
    for (auto [type, title, line] :
         {std::tuple{101, "1 Introduction", 10}, {102, "2.1 Scope of the work", 40}, {111, "Appendix", 90}}) {
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
        {"1 introduction", 151, 0},  // contents line of the heading
        {"2.1 Scope (draft)", 102, 1},  // by its number
        {"(2.1) Another title", 152, 1},
        {"2.1 Scope (draft)", 101, -1},  // the number belongs to another level
        {"Scope of the work", 111, 1},  // by the title without number
        {"Appendix", 112, 2},
        {"Nothing like it", 101, -1},
    };
    for (const auto& c : cases) {
        TextString fileName("old name"), extension("old ext");
        HeadingListEntry* entry = nullptr;
        set.messageText = "";
        int found =
            FindHeadingAnchor(TextString(c.text), c.type, &set, SourcePosition(), fileName, extension, entry);
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
