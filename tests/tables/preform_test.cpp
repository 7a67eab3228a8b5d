#include "tables/preform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/recording_document.h"

namespace {

class PreFormTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;

    void SetUp() override { set.SetContext(&context); }

    static void Add(PreForm& engine, const char* text, uint32_t flags = kFlagDefault) {
        AnalysedLine line;
        line.SetText(text);
        line.flags = flags;
        engine.AddLine(line);
    }
};

TEST_F(PreFormTest, LineIntakeMeasuresTheBlock) {
    struct Case {
        std::vector<const char*> lines;
        int longest, shortest, smallestIndent;
    };
    const std::vector<Case> cases = {
        // Lines of blanks change none of the measures; trailing blanks do not count.
        {{"    abc", "      ", "    defgh   ", ""}, 9, 7, 4},
        {{"   ", ""}, -1, -1, 80},
        // A rule line further left does not move the smallest indent.
        {{" --------", "    text"}, 9, 8, 4},
    };
    for (const Case& c : cases) {
        PreForm engine(nullptr, &set, nullptr);
        for (const char* text : c.lines) Add(engine, text);
        EXPECT_EQ(engine.lineCount, static_cast<int>(c.lines.size()));
        EXPECT_EQ(engine.longestLength, c.longest) << c.lines[0];
        EXPECT_EQ(engine.shortestLength, c.shortest) << c.lines[0];
        EXPECT_EQ(engine.smallestIndent, c.smallestIndent) << c.lines[0];
    }
}

TEST_F(PreFormTest, LineKeepsItsTextsAndCountsMailHeaders) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "From: someone   ", kFlagDefault | kFlagHeaderLine);
    Add(engine, "  body");
    EXPECT_EQ(engine.mailHeaderLineCount, 1);
    const PreFormLine& line = *engine.lines[1];
    EXPECT_EQ(line.Layout().str(), "  body");
    EXPECT_EQ(line.length, 6);
    EXPECT_EQ(line.indent, 2);
    EXPECT_EQ(engine.lines[0]->Display().str(), "From: someone");
}

TEST_F(PreFormTest, DisplayAndRawTextsKeepTheirValuesWhenTheLayoutChanges) {
    // Lines whose three texts agree hold one text; each change of one text
    // leaves the other two as they were.
    AnalysedLine tabbed;
    tabbed.SetText("a       b");
    tabbed.rawText = "a\tb";
    tabbed.taggedText = "a       b";
    AnalysedLine escaped;
    escaped.SetText("x &amp; y");
    escaped.taggedText = "x & y";
    escaped.rawText = "x & y";
    AnalysedLine sameLength;  // texts of one length that differ
    sameLength.SetText("abd  ");
    sameLength.taggedText = "abc  ";
    sameLength.rawText = "abe  ";
    struct Case {
        const AnalysedLine* line;
        std::string layout, display, raw;
    };
    const std::vector<Case> cases = {
        {nullptr, "plain", "plain", "plain"},
        {&tabbed, "a       b", "a       b", "a\tb"},
        {&escaped, "x & y", "x &amp; y", "x & y"},
        {&sameLength, "abc", "abd", "abe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        AnalysedLine own;
        own.SetText("plain");
        PreFormLine line(c.line ? *c.line : own);
        auto texts = [&] {
            return std::vector<std::string>{line.Layout().str(), line.Display().str(), line.Raw().str()};
        };
        EXPECT_EQ(texts(), (std::vector<std::string>{c.layout, c.display, c.raw}));
        line.MutableLayout().Assign("cut");
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", c.display, c.raw}));
        // The display text made the layout text again: the raw text stays.
        line.SetDisplay(TextString("cut"));
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", "cut", c.raw}));
        line.SetRaw(TextString("cut"));
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", "cut", "cut"}));
        line.SetRaw(TextString("raw"));
        line.SetLayout(TextString("new"));
        EXPECT_EQ(texts(), (std::vector<std::string>{"new", "cut", "raw"}));
    }
}

TEST_F(PreFormTest, LinesOfSeveralEnginesAreKeptApart) {
    // Line records come from shared slabs; engines that end in any order
    // leave the others' lines intact.
    auto first = std::make_unique<PreForm>(nullptr, &set, nullptr);
    auto second = std::make_unique<PreForm>(nullptr, &set, nullptr);
    for (int i = 0; i < 3000; ++i) {
        Add(*first, ("first " + std::to_string(i)).c_str());
        Add(*second, ("second " + std::to_string(i)).c_str());
    }
    first.reset();
    for (int i = 3000; i < 5000; ++i) Add(*second, ("second " + std::to_string(i)).c_str());
    for (int i = 0; i < 5000; i += 499)
        EXPECT_EQ(second->lines[static_cast<size_t>(i)]->Layout().str(), "second " + std::to_string(i));
    second.reset();
    PreForm third(nullptr, &set, nullptr);
    Add(third, "third");
    EXPECT_EQ(third.lines[0]->Layout().str(), "third");
}

TEST_F(PreFormTest, TableLayoutBuildsColumnsAndReportsOverlaps) {
    set.GetDefaultTabConfig()->ParseTableLayoutTag(set, TextString("3, 10, 8, 20"));
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, std::string(30, 'x').c_str());
    engine.ApplyTableLayout();
    ASSERT_EQ(engine.columnCount, 3);
    EXPECT_EQ(engine.columns[0]->boundary, 10);
    EXPECT_EQ(engine.columns[1]->boundary, 8);
    EXPECT_EQ(engine.columns[2]->boundary, 29);
    EXPECT_EQ(engine.cellRow.Count(), 3);
    EXPECT_EQ(engine.layoutColumns, 1);
    EXPECT_EQ(messages.Count("TAG_ERROR: TABLE_LAYOUT columns 1 and 2 overlap"), 1);
    EXPECT_EQ(messages.Count("overlap"), 1);
}

TEST_F(PreFormTest, ProcessWritesTheBlockWithoutItsDirectiveLines) {
    RecordingDocument document;
    PreForm engine(&document, &set, nullptr);
    Add(engine, "First line");
    Add(engine, "second line");
    Add(engine, "");
    AnalysedLine directive;
    directive.SetText("$_$_END_BLOCK");
    directive.tagCode = 1018;
    directive.lineType = 1018;
    engine.AddLine(directive);
    Add(engine, "third & last");
    context.documentState.htmlOutput = 1;
    engine.Process(1);

    std::string all;
    for (const std::string& text : document.Texts()) all += text + "\n";
    EXPECT_NE(all.find("<TABLE ID=\"table_0\""), std::string::npos) << all;
    EXPECT_NE(all.find("First line"), std::string::npos) << all;
    EXPECT_NE(all.find("third &amp; last"), std::string::npos) << all;
    EXPECT_EQ(all.find("END_BLOCK"), std::string::npos) << all;
    EXPECT_EQ(all.find("$_$_"), std::string::npos) << all;
}

}  // namespace
