#include "analysis/headings.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"

namespace {

using Levels = std::array<int, 6>;

// A document fed line by line through the heading tests the way the line
// typing runs them: the contents-list boundary on every line, the
// numbered-heading test on the first word of every non-blank line, and an
// accepted heading kept as the last heading type (ending the contents list
// for 101-106).
class HeadingsTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    std::vector<std::unique_ptr<AnalysedLine>> lines;

    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 2;
        set.SetInt(Pol::ExpectContentsList, 0);
    }
    DocumentState::HeadingState& State() { return context.documentState.headingState; }
    Levels Current() { return State().current; }

    AnalysedLine& Add(const char* text) {
        AnalysedLine* previous = lines.empty() ? nullptr : lines.back().get();
        lines.push_back(std::make_unique<AnalysedLine>(previous));
        AnalysedLine& line = *lines.back();
        line.SetText(text);
        line.position = SourcePosition(0, static_cast<int>(lines.size()));
        return line;
    }
    // Feeds one line; returns its type.
    int Feed(const char* text, bool mayStandHere = true) {
        AnalysedLine& line = Add(text);
        UpdateContentsListBoundary(&set, line);
        if (line.trimmedLength == 0) {
            line.lineType = 1;
            return 1;
        }
        int type = line.CheckNumberedHeading(&set, line, 1, -1, mayStandHere);
        if (type != 0) {
            State().lastHeadingType = type;
            if (type >= 101 && type <= 106 && !State().contentsLocked) EndContentsList(&set, &line);
        }
        line.lineType = type;
        return type;
    }
    // Feeds the lines; the last one's type.
    int FeedAll(const std::vector<const char*>& texts) {
        int type = -99;
        for (const char* text : texts) type = Feed(text);
        return type;
    }
    bool Refused() const { return lines.back()->HasFlag(kFlagRefusedHeading); }
};

constexpr Levels kNone{-1, -1, -1, -1, -1, -1};

// ---------------------------------------------------------------------------
// The numbered-heading test on documents

TEST_F(HeadingsTest, NumberedHeadingsOfADocument) {
    EXPECT_EQ(Feed("1 Introduction"), 101);
    EXPECT_EQ(lines.back()->sectionLevels, (Levels{1, -1, -1, -1, -1, -1}));
    Feed("Some text.");
    Feed("");
    EXPECT_EQ(Feed("2 Scope"), 101);
    Feed("More text.");
    EXPECT_EQ(Feed("2.1 Detail"), 102);
    EXPECT_EQ(Current(), (Levels{2, 1, -1, -1, -1, -1}));
    EXPECT_EQ(State().previous, (Levels{2, -1, -1, -1, -1, -1}));

    EXPECT_EQ(Feed("1999 was a good year."), 0);
    EXPECT_FALSE(Refused());  // not a section number at all
    EXPECT_EQ(Current(), (Levels{2, 1, -1, -1, -1, -1}));

    EXPECT_EQ(Feed("(2.2) Decorated"), 102);
    EXPECT_EQ(State().lowest, (Levels{1, 1, -1, -1, -1, -1}));
    EXPECT_EQ(State().highest, (Levels{2, 2, -1, -1, -1, -1}));
}

TEST_F(HeadingsTest, ProgressionAfterChapterThree) {
    const struct {
        const char* heading;
        int type;
        bool refused;
        Levels current;
    } cases[] = {
        {"5 Skips one", 101, false, {5, -1, -1, -1, -1, -1}},
        {"6 Skips two", 0, true, {3, -1, -1, -1, -1, -1}},
        {"4.1 First sub", 102, false, {4, 1, -1, -1, -1, -1}},
        {"4.2 Not first", 0, true, {3, -1, -1, -1, -1, -1}},
        {"3.1 Under three", 102, false, {3, 1, -1, -1, -1, -1}},
        {"3 Repeated", 101, false, {3, -1, -1, -1, -1, -1}},
        {"2 Backwards", 0, true, {3, -1, -1, -1, -1, -1}},
        {"1..2 Adjacent", 0, false, {3, -1, -1, -1, -1, -1}},
        {"1.2.3.4.5.6.7 Deep", 0, false, {3, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heading);
        lines.clear();
        context.StartNewFile("");
        set.SetInt(Pol::ExpectContentsList, 0);
        ASSERT_EQ(FeedAll({"1 One", "text", "2 Two", "text", "3 Three", "text"}), 0);
        ASSERT_EQ(Current(), (Levels{3, -1, -1, -1, -1, -1}));
        EXPECT_EQ(Feed(c.heading), c.type);
        EXPECT_EQ(Refused(), c.refused);
        EXPECT_EQ(Current(), c.current);
    }
}

TEST_F(HeadingsTest, ProgressionCheckTable) {
    const struct {
        Levels current;
        Levels line;
        int deepest;
        bool contentsMode;
        int result;
    } cases[] = {
        {{3, -1, -1, -1, -1, -1}, {2, -1, -1, -1, -1, -1}, 0, true, kSectionChangeTooSmall},  // 11 in contents mode
        {{2, 1, -1, -1, -1, -1}, {2, 3, -1, -1, -1, -1}, 1, false, 0},  // missing number: accepted
        {{2, 1, -1, -1, -1, -1}, {2, 4, -1, -1, -1, -1}, 1, false, kSectionChangeTooLarge},
        {{2, 5, -1, -1, -1, -1}, {2, 3, -1, -1, -1, -1}, 1, false, kSectionChangeTooSmall},
        {{2, 1, 1, -1, -1, -1}, {4, 1, 1, -1, -1, -1}, 2, false, kSectionChangeTooLarge},  // not the deepest level
    };
    AnalysedLine& line = Add("x");
    for (const auto& c : cases) {
        State().current = c.current;
        line.sectionLevels = c.line;
        EXPECT_EQ(line.CheckSectionProgression(&set, c.deepest, c.contentsMode, true), c.result)
            << "line " << c.line[0] << "." << c.line[1] << "." << c.line[2] << " after " << c.current[0] << "."
            << c.current[1];
    }
}

// ---------------------------------------------------------------------------
// Chapters too close, and undoing a heading

TEST_F(HeadingsTest, ConsecutiveChapterNumbersUndoTheEarlierHeading) {
    FeedAll({"1 Introduction", "text", "text"});
    EXPECT_EQ(Feed("2 Apples"), 101);
    AnalysedLine& earlier = *lines.back();
    EXPECT_EQ(Current(), (Levels{2, -1, -1, -1, -1, -1}));
    Feed("");
    EXPECT_EQ(Feed("3 Pears"), 0);
    EXPECT_TRUE(Refused());
    // The earlier heading is a numbered item after all, and the numbering is
    // back to what it was before it.
    EXPECT_EQ(earlier.lineType, 211);
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));

    // The bullet test makes the refused line a numbered item; a third item
    // after it leaves that item alone.
    lines.back()->lineType = 211;
    AnalysedLine& item = *lines.back();
    Feed("");
    EXPECT_EQ(Feed("2 Plums"), 0);
    EXPECT_TRUE(Refused());
    EXPECT_EQ(item.lineType, 211);
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));
}

TEST_F(HeadingsTest, UndoneHeadingBecomesTextWithoutNumberedBullets) {
    set.SetInt(Pol::ExpectNumberedBullets, 0);
    EXPECT_EQ(FeedAll({"1 Introduction", "text", "2 Apples"}), 101);
    AnalysedLine& earlier = *lines.back();
    EXPECT_EQ(Feed("3 Pears"), 0);  // no blank line between at all
    EXPECT_EQ(earlier.lineType, 0);
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));
}

TEST_F(HeadingsTest, MinimumChapterSize) {
    for (int i = 0; i < 18; ++i) Feed("text");
    EXPECT_EQ(Feed("1 One"), 101);  // line 19
    FeedAll({"text", "text", "text"});
    EXPECT_EQ(Feed("2 Two"), 0);  // 4 lines after the last chapter, fewer than 8
    EXPECT_TRUE(Refused());
    EXPECT_EQ(State().lastChapterPosition.line, 23);
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));
    set.SetInt(Pol::MinChapterSize, 0);
    Feed("text");
    EXPECT_EQ(Feed("2 Two"), 101);
}

TEST_F(HeadingsTest, ChapterInsideRunningTextMovesTheNumbering) {
    FeedAll({"1 One", "text"});
    EXPECT_EQ(Feed("2 bottles stood on the wall", false), 0);
    EXPECT_FALSE(Refused());
    EXPECT_EQ(Current(), (Levels{2, -1, -1, -1, -1, -1}));
    Feed("text");
    EXPECT_EQ(Feed("3 Three"), 101);
}

// ---------------------------------------------------------------------------
// Contents lists

TEST_F(HeadingsTest, FirstHeadingIsAContentsLineWhenContentsAreExpected) {
    EXPECT_TRUE(FC().IsOn(Pol::ExpectContentsList));  // the default
    set.SetInt(Pol::ExpectContentsList, 1);
    EXPECT_EQ(Feed("1 Introduction"), 151);
    EXPECT_EQ(State().contentsActive, 1);
    for (int i = 0; i < 8; ++i) Feed("text");
    // More than 7 lines after the last contents line: the list has ended.
    EXPECT_EQ(State().contentsActive, 0);
    EXPECT_EQ(State().contentsEnded, 1);
    // The last heading was a contents line, so the numbering is still read
    // as a contents list: a number that cannot open one is refused.
    EXPECT_EQ(Feed("2 Scope"), 0);
    EXPECT_TRUE(Refused());
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));
}

TEST_F(HeadingsTest, ContentsOpeningsStandAtTheFirstWordInAnyCase) {
    set.SetInt(Pol::ExpectContentsList, 1);
    const struct {
        const char* text;
        int active;
    } cases[] = {
        {"Contents", 1}, {"  index of figures", 1}, {"\tC O N T E N T S", 1},  {"Content", 0},
        {"Index", 0},    {"The contents", 0},       {"Tables of Contents", 0}, {"x Contents", 0},
    };
    for (const auto& c : cases) {
        State().contentsActive = 0;
        State().contentsEnded = 0;
        Feed(c.text);
        EXPECT_EQ(State().contentsActive, c.active) << c.text;
    }
}

TEST_F(HeadingsTest, ContentsListThenBody) {
    Feed("Table of Contents");
    EXPECT_EQ(State().contentsActive, 0);  // not expected
    set.SetInt(Pol::ExpectContentsList, 1);
    EXPECT_EQ(Feed("   TABLE OF CONTENTS"), 0);
    EXPECT_EQ(State().contentsActive, 1);
    EXPECT_EQ(Feed("1 Introduction"), 151);
    EXPECT_EQ(Feed("2 Scope"), 151);
    EXPECT_EQ(Feed("2.1 Detail"), 152);
    EXPECT_EQ(Feed("3 Results"), 151);
    Feed("");
    EXPECT_EQ(Feed("1 Introduction"), 101);  // back at the start: the body begins
    EXPECT_EQ(State().contentsEnded, 1);
    Feed("text");
    EXPECT_EQ(Feed("2 Scope"), 101);
    Feed("text");
    // Once ended, a contents list does not start again.
    Feed("Contents");
    EXPECT_EQ(State().contentsActive, 0);
}

TEST_F(HeadingsTest, InsideBeginContentsTheNumberingStays) {
    context.trackers.analysis.inContents = 1;
    EXPECT_EQ(Feed("1 Introduction"), 151);
    EXPECT_EQ(Current(), kNone);
    EXPECT_EQ(State().lowest, kNone);
    context.trackers.analysis.inContents = 0;
    Feed("text");
    EXPECT_EQ(Feed("1 Introduction"), 101);
    EXPECT_EQ(Current(), (Levels{1, -1, -1, -1, -1, -1}));
}

// ---------------------------------------------------------------------------
// Underlined headings, permissions, hostile numbers

TEST_F(HeadingsTest, UnderlinedHeadingsPermissionsAndDepth) {
    AnalysedLine& line = Add("   Some title");
    EXPECT_EQ(line.CheckNumberedHeading(&set, line, 1, 3, true), 114);  // whatever the indentation
    context.trackers.analysis.permissions[kAllowHeading2] = 0;
    EXPECT_EQ(line.CheckNumberedHeading(&set, line, 1, 0, true), 0);
    context.trackers.analysis.permissions[kAllowHeading1] = 0;
    EXPECT_EQ(Feed("1 Introduction"), 0);
    context.trackers.analysis.permissions[kAllowHeading1] = 1;
    set.recognisedHeadings = 2;
    EXPECT_EQ(Feed("1.1.1 Too deep"), 0);
    EXPECT_EQ(Current(), kNone);
}

TEST_F(HeadingsTest, HostileNumbersNeverCrash) {
    std::string deep = "1";
    for (int i = 0; i < 1000; ++i) deep += ".1";
    std::string wide(1000, '9');
    std::string separators(1000, '.');
    const std::string cases[] = {deep + " Title",  wide + " Title",    "99999999999999999999.1 Title",
                                 "1" + separators, "2147483648 Title", "1.2147483648 Title",
                                 "1700.1701 Title"};
    for (const std::string& text : cases) {
        EXPECT_EQ(Feed(text.c_str()), 0) << text.substr(0, 40);
        EXPECT_EQ(Current(), kNone);
    }
    EXPECT_EQ(Feed("1.1.1.1.1.1 Six levels"), 106);
}

TEST_F(HeadingsTest, StartNewFileResetsTheNumbering) {
    FeedAll({"1 One", "text", "2 Two"});
    context.StartNewFile("next.txt");
    EXPECT_EQ(Current(), kNone);
    EXPECT_EQ(State().lastHeadingType, 0);
    EXPECT_EQ(State().contentsEnded, 0);
}

// ---------------------------------------------------------------------------
// Key-phrase headings

TEST_F(HeadingsTest, KeyPhraseHeadings) {
    set.SetText(Pol::HeadingKeyPhrases, "\"Part |Chapter,2\" \"Appendix,9\" \"Annex,0\" \"Note\"");
    const struct {
        const char* text;
        int type;
    } cases[] = {
        {"Chapter 5 The end", 132}, {"  Part one", 132}, {"Appendix A", 136},  // 9 held to 6
        {"Annex B", 131},  // 0 held to 1
        {"Note well", 131},  // the level of the argument before
        {"chapter 5", 0},           {"Nothing here", 0}, {"Parts", 0},  // the phrase is "Part " with its blank
    };
    for (const auto& c : cases) {
        AnalysedLine& line = Add(c.text);
        EXPECT_EQ(FindKeyPhraseHeading(&set, line), c.type) << c.text;
    }
    AnalysedLine& line = Add("Chapter 5");
    line.SetFlag(kFlagProtected, true);
    EXPECT_EQ(FindKeyPhraseHeading(&set, line), 0);

    set.SetText(Pol::HeadingKeyPhrases, "Summary|Abstract||");
    EXPECT_EQ(FindKeyPhraseHeading(&set, Add("Abstract")), 131);
    EXPECT_EQ(FindKeyPhraseHeading(&set, Add("Anything")), 0);  // the empty phrase matches nothing
}

// ---------------------------------------------------------------------------
// Heading splits

TEST_F(HeadingsTest, SplitsBeforeHeadings) {
    set.SetInt(Pol::SplitLevel, 1);
    for (int i = 0; i < 30; ++i) Add("text");
    int chapter = 0;
    EXPECT_TRUE(ShouldBreakBeforeHeading(101, &set, &Add("3 Results"), chapter));
    EXPECT_EQ(chapter, 3);
    EXPECT_EQ(State().splitLineCount, 31);
    EXPECT_FALSE(ShouldBreakBeforeHeading(102, &set, &Add("3.1 Detail"), chapter));  // below the split level
    AnalysedLine& early = Add("4 Early");
    early.position = SourcePosition(0, 5);
    EXPECT_FALSE(ShouldBreakBeforeHeading(101, &set, &early, chapter));  // too near the start
    set.SetInt(Pol::ExpectSecondWordHeadings, 1);
    EXPECT_TRUE(ShouldBreakBeforeHeading(101, &set, &Add("Chapter 7 Methods"), chapter));
    EXPECT_EQ(chapter, 7);
    // Underlined headings split only when a text command forced them.
    AnalysedLine& underlined = Add("Methods");
    EXPECT_FALSE(ShouldBreakBeforeHeading(111, &set, &underlined, chapter));
    underlined.counter = 111;
    EXPECT_TRUE(ShouldBreakBeforeHeading(111, &set, &underlined, chapter));

    // By file size: a short file splits only for a new chapter number.
    set.SetInt(Pol::MinHTMLFileSize, 20);
    EXPECT_TRUE(ShouldBreakBeforeHeading(101, &set, &Add("8 Next"), chapter));
    EXPECT_FALSE(ShouldBreakBeforeHeading(101, &set, &Add("8 Again"), chapter));
    EXPECT_FALSE(ShouldBreakBeforeHeading(101, &set, &Add("Summary"), chapter));
    EXPECT_TRUE(ShouldBreakBeforeHeading(101, &set, &Add("9 Next"), chapter));
    // In statement-split mode only NEWFILE lines split; CHANGE_POLICY lines count pages.
    State().statementSplitMode = 1;
    EXPECT_FALSE(ShouldBreakBeforeHeading(101, &set, &Add("10 Ten"), chapter));
    EXPECT_TRUE(ShouldBreakBeforeHeading(1012, &set, &Add("$_$_NEWFILE"), chapter));
    State().statementSplitMode = 0;
    EXPECT_FALSE(ShouldBreakBeforeHeading(1008, &set, &Add("$_$_CHANGE_POLICY"), chapter));
    EXPECT_EQ(State().pageCount, 1);
}

}  // namespace
