#include "tables/preform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "input_shapes.h"
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
    LineTextArena arena;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        AnalysedLine own;
        own.SetText("plain");
        PreFormLine line(c.line ? *c.line : own, arena);
        auto texts = [&] {
            TextString scratch;
            return std::vector<std::string>{line.Layout().str(), line.Display().str(), line.Raw(scratch).str()};
        };
        EXPECT_EQ(texts(), (std::vector<std::string>{c.layout, c.display, c.raw}));
        line.SetLayout(arena, "cut");
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", c.display, c.raw}));
        // The display text made the layout text again: the raw text stays.
        line.SetDisplay(arena, "cut");
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", "cut", c.raw}));
        line.SetRaw(arena, "cut");
        EXPECT_EQ(texts(), (std::vector<std::string>{"cut", "cut", "cut"}));
        line.SetRaw(arena, "raw");
        line.SetLayout(arena, "new");
        EXPECT_EQ(texts(), (std::vector<std::string>{"new", "cut", "raw"}));
        EXPECT_EQ(line.length, 3);
    }
}

// The line analysis blanks the one bar of a bar line ("| text", "text |")
// in the line's texts: the block's layout text, which the cells are cut
// from, has it back, and it counts for the margin; the display text (the
// line as text) keeps the blank.
TEST_F(PreFormTest, TheBarOfABarLineStaysInTheLayoutText) {
    struct Case {
        const char* text;
        const char* layout;
        const char* display;
        int indent;
    };
    const std::vector<Case> cases = {
        {"| Status=Not/Inst", "| Status=Not/Inst", "  Status=Not/Inst", 0},
        {"  |  x", "  |  x", "     x", 2},
        {"Total 12 |", "Total 12 |", "Total 12", 0},
        // No bar lines: the texts stay as they are.
        {"|| x", "|| x", "|| x", 0},
        {"|/ Err?", "|/ Err?", "|/ Err?", 0},
        {"| framed |", "| framed |", "| framed |", 0},
        {"a | b", "a | b", "a | b", 0},
    };
    for (const Case& c : cases) {
        PreForm engine(nullptr, &set, nullptr);
        AnalysedLine line;
        line.SetText(c.text);
        line.CheckBarLine();
        engine.AddLine(line);
        const PreFormLine& added = *engine.lines[0];
        EXPECT_EQ(added.Layout().str(), c.layout) << c.text;
        EXPECT_EQ(added.Display().str(), c.display) << c.text;
        EXPECT_EQ(engine.smallestIndent, c.indent) << c.text;
    }
    // A line that was a bar line once and is read afresh is none.
    AnalysedLine line;
    line.SetText("| x");
    line.CheckBarLine();
    line.Recycle(nullptr);
    line.SetText("  x");
    PreForm engine(nullptr, &set, nullptr);
    engine.AddLine(line);
    EXPECT_EQ(engine.lines[0]->Layout().str(), "  x");
}

TEST_F(PreFormTest, CuttingTheMarginKeepsTheOtherTextsAndMeasuresTheRest) {
    // The margin goes from the layout text only; a wide line is measured
    // in display positions, its bytes still read whole.
    AnalysedLine tabbed;
    tabbed.SetText("  a       b");
    tabbed.rawText = "  a\tb";
    tabbed.taggedText = "  a       b";
    AnalysedLine wide;
    wide.SetText("  \xe6\x9d\xb1\xe4\xba\xac x");
    struct Case {
        const AnalysedLine* line;
        bool utf8;
        int cut;
        std::string layout, display, raw;
        int length;
    };
    const std::vector<Case> cases = {
        {&tabbed, false, 2, "a       b", "  a       b", "  a\tb", 9},
        {&tabbed, false, 20, "", "  a       b", "  a\tb", 0},
        {&wide, true, 2, "\xe6\x9d\xb1\xe4\xba\xac x", "  \xe6\x9d\xb1\xe4\xba\xac x",
         "  \xe6\x9d\xb1\xe4\xba\xac x", 6},
        {&wide, false, 2, "\xe6\x9d\xb1\xe4\xba\xac x", "  \xe6\x9d\xb1\xe4\xba\xac x",
         "  \xe6\x9d\xb1\xe4\xba\xac x", 8},
    };
    LineTextArena arena;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        PreFormLine line(*c.line, arena, c.utf8);
        line.CutLayoutFront(arena, c.cut);
        EXPECT_EQ(line.Layout().str(), c.layout);
        EXPECT_EQ(line.Layout().buffer[line.Layout().length], '\0');
        EXPECT_EQ(line.Display().str(), c.display);
        TextString scratch;
        EXPECT_EQ(line.Raw(scratch).str(), c.raw);
        EXPECT_EQ(line.length, c.length);
        EXPECT_EQ(line.wide, c.utf8 ? 1 : 0);
    }
}

TEST(TabRunsTest, RawTextsAreRebuiltFromTheRunsTheirTabsBecame) {
    // `runs` < 0: the raw text has to be kept as it is.
    struct Case {
        std::string layout, raw;
        int runs;
    };
    std::vector<Case> cases = {
        {"Name    Value   Unit", "Name\tValue\tUnit", 2},
        {"a       b", "a\tb", 1},
        {"        lead", "\tlead", 1},
        {"a        b", "a\t b", 1},  // a blank after the tab stays a blank
        {"a      x  b", "a\tx  b", 1},  // blanks elsewhere stay blanks
        {std::string(300, 'x') + std::string(200, ' ') + "y", std::string(300, 'x') + "\ty", 1},
        {"a        b", "a\t \tb", -1},  // two tabs parted by a blank: where one ends is unknown
        {"a       b", "a\tc", -1},  // another difference
        {"a b", "a\tb\tc", -1},  // the layout text ends first
        {"a       b   ", "a\tb", -1},  // the layout text goes on
        {"a b", "a b", -1},  // no tab
        // Pieces longer than the sixteen bytes compared at a time, differing
        // in the first block, in the second, or where the layout text ends.
        {std::string(20, 'x') + "    y", std::string(20, 'x') + "\ty", 1},
        {std::string(16, 'x') + "        " + std::string(16, 'y') + "   z",
         std::string(16, 'x') + "\t" + std::string(16, 'y') + "\tz", 2},
        {"xxZ" + std::string(20, 'x') + "   y", "xxQ" + std::string(20, 'x') + "\ty", -1},
        {std::string(17, 'x') + "Z" + std::string(5, 'x') + "   y",
         std::string(17, 'x') + "Q" + std::string(5, 'x') + "\ty", -1},
        {std::string(18, 'x'), std::string(18, 'x') + "yy\tz", -1},
        {std::string(18, 'x') + "\t  y", std::string(18, 'x') + "\ty", -1},  // a tab left in the layout text
    };
    // A hundred tabs, and runs and pieces whose numbers take several bytes.
    Case many{"", "", 100};
    for (int i = 0; i < 100; ++i) {
        const std::string piece(static_cast<size_t>(i * 300), static_cast<char>('a' + i % 26));
        many.layout += piece + std::string(static_cast<size_t>(1 + i * 2), ' ');
        many.raw += piece + "\t";
    }
    many.layout += "end";
    many.raw += "end";
    cases.push_back(many);
    // More runs than one byte counts.
    Case wide{"", "", 200};
    for (int i = 0; i < 200; ++i) {
        wide.layout += "ab      ";
        wide.raw += "ab\t";
    }
    wide.layout += "z";
    wide.raw += "z";
    cases.push_back(wide);
    // So many that the numbers outgrow their room several times over, with
    // a line that turns out not to be runs at its far end.
    Case wider{"", "", 5000};
    for (int i = 0; i < 5000; ++i) {
        wider.layout += std::to_string(i) + "   ";
        wider.raw += std::to_string(i) + "\t";
    }
    wider.layout += "end";
    wider.raw += "end";
    cases.push_back(wider);
    cases.push_back({wider.layout + "x", wider.raw + "\ty", -1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw.substr(0, 40));
        std::string runs;
        const bool encoded = TabRuns::Encode(c.layout, c.raw, runs);
        EXPECT_EQ(encoded, c.runs >= 0);
        if (!encoded) continue;
        const auto* number = reinterpret_cast<const unsigned char*>(runs.data());
        const int count = number[0] < 0x80 ? number[0] : (number[0] & 0x7f) | number[1] << 7;
        EXPECT_EQ(count, c.runs);
        TextString out("left over");
        TabRuns::Decode(c.layout, reinterpret_cast<const unsigned char*>(runs.data()), out);
        EXPECT_EQ(out.str(), c.raw);
        // The walk finds each run where it stands: the layout text's pieces
        // between them joined by tabs are the raw text.
        TabRuns::Walk walk(reinterpret_cast<const unsigned char*>(runs.data()));
        EXPECT_EQ(walk.Left(), static_cast<size_t>(c.runs));
        std::string joined;
        size_t after = 0;
        for (size_t start = 0, end = 0; walk.Next(&start, &end); after = end) {
            ASSERT_LE(after, start);
            ASSERT_LT(start, end);
            EXPECT_GE(c.layout.find_first_not_of(' ', start), end);  // a run is blanks
            joined += c.layout.substr(after, start - after) + "\t";
        }
        EXPECT_EQ(joined + c.layout.substr(after), c.raw);
    }
}

TEST_F(PreFormTest, LinesFromAnIncludedFileKeepTheirOriginAndPairs) {
    // The position in the main file and the replacement pairs stand before
    // the texts only on the lines that have them; each is read back whole
    // beside the other texts.
    struct Case {
        bool included, pairs, tabbed;
    };
    const std::vector<Case> cases = {
        {true, false, false}, {false, true, false}, {true, true, false}, {true, true, true}, {false, false, true},
    };
    LineTextArena arena;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.included << c.pairs << c.tabbed);
        AnalysedLine analysed;
        analysed.SetText(c.tabbed ? "a       b" : "a b");
        analysed.taggedText = c.tabbed ? "a       b" : "a b";
        analysed.rawText = c.tabbed ? "a\tb" : "a b";
        analysed.position = SourcePosition(3, 7);
        analysed.originPosition = c.included ? SourcePosition(0, 42) : SourcePosition(3, 7);
        analysed.firstPairPresent = c.pairs ? 1 : 0;
        const PreFormLine line(analysed, arena);
        EXPECT_EQ(line.OriginPosition(SourcePosition(3, 7)).unit, c.included ? 0 : 3);
        EXPECT_EQ(line.OriginPosition(SourcePosition(3, 7)).line, c.included ? 42 : 7);
        EXPECT_EQ(line.Replacements() != nullptr, c.pairs);
        if (line.Replacements()) {
            EXPECT_EQ(line.Replacements()->firstPairPresent, 1);
        }
        TextString scratch;
        EXPECT_EQ(line.Raw(scratch).str(), c.tabbed ? "a\tb" : "a b");
        EXPECT_EQ(line.Layout().str(), c.tabbed ? "a       b" : "a b");
    }
}

TEST_F(PreFormTest, EveryLineKeepsWhereItStands) {
    // The positions are kept as runs of lines that follow one another or
    // repeat one position; each line reads its own back, by index and by
    // record, with the origin of a line of an included file.
    struct Step {
        int unit, line;
        int originUnit = -2;  // -2: the line's own position
        int originLine = 0;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    std::vector<Step> many;
    // Several runs of record pages, and gaps.
    for (int i = 0; i < 30000; ++i) many.push_back({0, 1 + i + (i / 3000) * 5});
    const std::vector<Case> cases = {
        {"one line", {{0, 1}}},
        {"lines that follow one another", {{0, 1}, {0, 2}, {0, 3}, {0, 4}}},
        {"one position repeated", {{0, 5}, {0, 5}, {0, 5}, {0, 6}, {0, 7}}},
        {"a gap and a step back", {{0, 1}, {0, 2}, {0, 9}, {0, 10}, {0, 3}, {0, 4}}},
        {"an included file", {{0, 1}, {1, 1, 0, 1}, {1, 2, 0, 1}, {1, 3, 0, 1}, {0, 2}, {0, 3}}},
        {"no positions", {{-1, -1}, {-1, -1}, {-1, -1}}},
        {"the largest line numbers", {{0, 2147483646}, {0, 2147483647}, {0, 0}}},
        {"many", many},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PreForm engine(nullptr, &set, nullptr);
        for (const Step& step : c.steps) {
            AnalysedLine line;
            line.SetText("x");
            line.position = SourcePosition(step.unit, step.line);
            line.originPosition =
                step.originUnit == -2 ? line.position : SourcePosition(step.originUnit, step.originLine);
            engine.AddLine(line);
        }
        // By index in order, then by record from the last line back (each
        // asked afresh, across the runs of record pages).
        auto expected = [&](size_t i) { return std::pair(c.steps[i].unit, c.steps[i].line); };
        auto origin = [&](size_t i) {
            const Step& step = c.steps[i];
            return step.originUnit == -2 ? expected(i) : std::pair(step.originUnit, step.originLine);
        };
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const SourcePosition byIndex = engine.lines.Position(i);
            ASSERT_EQ(std::pair(byIndex.unit, byIndex.line), expected(i)) << i;
            const SourcePosition from = engine.lines.Origin(i);
            ASSERT_EQ(std::pair(from.unit, from.line), origin(i)) << i;
        }
        for (size_t i = c.steps.size(); i-- > 0;) {
            const SourcePosition byRecord = engine.lines.PositionOf(*engine.lines[i]);
            ASSERT_EQ(std::pair(byRecord.unit, byRecord.line), expected(i)) << i;
            const SourcePosition from = engine.lines.OriginOf(*engine.lines[i]);
            ASSERT_EQ(std::pair(from.unit, from.line), origin(i)) << i;
        }
    }
    // A record that is not one of the block's lines has no position there.
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "line");
    const PreFormLine copy = *engine.lines[0];
    EXPECT_FALSE(engine.lines.PositionOf(copy).IsValid());
}

// The blocks of a file are cut from one store of lines: a block's copies
// of some of the lines, and a block that takes the whole store over, read
// the same texts, positions and origins as the store.
TEST_F(PreFormTest, CopiedAndMovedLinesKeepTheirTextsAndPositions) {
    BlockLines store;
    std::vector<std::string> texts;
    for (int i = 0; i < 9000; ++i) {
        AnalysedLine line;
        texts.push_back(i % 3 ? "row " + std::to_string(i) : std::string(300, static_cast<char>('a' + i % 26)));
        line.SetText(texts.back().c_str());
        line.taggedText = TextString(texts.back().c_str());
        line.rawText = TextString((texts.back() + (i % 5 ? "" : " raw")).c_str());
        line.position = SourcePosition(0, 1 + i + i / 1000);
        line.originPosition = i % 7 ? line.position : SourcePosition(0, 5);
        store.Add(line, false);
    }
    auto same = [&](const BlockLines& lines, size_t first) {
        TextString a, b;
        for (size_t i = 0; i < lines.size(); ++i) {
            const size_t k = first + i;
            ASSERT_EQ(lines[i]->Layout().str(), texts[k]) << k;
            ASSERT_EQ(lines[i]->Raw(a).str(), store[k]->Raw(b).str()) << k;
            ASSERT_EQ(lines.Position(i).line, store.Position(k).line) << k;
            ASSERT_EQ(lines.Origin(i).line, store.Origin(k).line) << k;
            ASSERT_EQ(lines.PositionOf(*lines[i]).line, store.Position(k).line) << k;
        }
    };
    for (const auto& [first, end] : {std::pair<size_t, size_t>{0, 1}, {10, 4200}, {4200, 9000}}) {
        SCOPED_TRACE(first);
        BlockLines block;
        for (size_t i = first; i < end; ++i) block.AddCopy(store, i);
        ASSERT_EQ(block.size(), end - first);
        same(block, first);
    }
    BlockLines whole = std::move(store);
    ASSERT_EQ(whole.size(), texts.size());
    for (size_t i = 0; i < whole.size(); i += 97) {
        ASSERT_EQ(whole[i]->Layout().str(), texts[i]);
        ASSERT_EQ(whole.PositionOf(*whole[i]).line, static_cast<int>(1 + i + i / 1000));
    }
}

TEST_F(PreFormTest, LongTextsAndManyLinesKeepTheirBytes) {
    // Texts larger than a chunk's share get bytes of their own; the texts
    // packed around them stay intact.
    PreForm engine(nullptr, &set, nullptr);
    std::vector<std::string> texts;
    for (const size_t size : {size_t{3}, size_t{20000}, size_t{5}, size_t{300000}, size_t{70000}, size_t{1}}) {
        for (int i = 0; i < 40; ++i) {
            std::string text(size, static_cast<char>('a' + i % 26));
            text.back() = 'z';
            texts.push_back(text);
            Add(engine, text.c_str());
        }
    }
    ASSERT_EQ(engine.lines.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(engine.lines[i]->Layout().view(), texts[i]) << i;
        ASSERT_EQ(engine.lines[i]->length, static_cast<int>(texts[i].size()));
    }
}

TEST_F(PreFormTest, LinesOfSeveralEnginesAreKeptApart) {
    // Engines that end in any order leave the others' lines intact, across
    // the chunks of records.
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

TEST_F(PreFormTest, GivingBackTheTextsOfWrittenLinesKeepsTheRest) {
    // Enough lines for the records' first run of pages and several runs
    // after it, and for many chunks of texts.  The margin cut gives every
    // line new bytes, still the line's own.
    constexpr size_t kLines = 200000;
    PreForm engine(nullptr, &set, nullptr);
    auto text = [](size_t i) { return "  line " + std::to_string(i) + std::string(i % 7, 'x'); };
    for (size_t i = 0; i < kLines; ++i) Add(engine, text(i).c_str());
    for (size_t i = 0; i < kLines; i += 2) engine.lines.CutLayoutFront(i, 2);
    // Bytes that belong to no line are kept whatever is given back.
    PreFormLine* unowned = engine.lines[10];
    unowned->SetLayout(engine.lines.texts, "kept");
    for (const size_t before : {size_t{1000}, size_t{70000}, size_t{150001}}) {
        engine.lines.ReleaseTextsBefore(before);
        EXPECT_EQ(unowned->Layout().str(), "kept");
        for (size_t i = before; i < kLines; i += 997) {
            const std::string expected = i % 2 ? text(i) : text(i).substr(2);
            ASSERT_EQ(engine.lines[i]->Layout().str(), expected) << i;
            ASSERT_EQ(engine.lines[i]->length, static_cast<int>(expected.size())) << i;
        }
    }
    // New lines after a release get fresh bytes.
    Add(engine, "after");
    EXPECT_EQ(engine.lines.back()->Layout().str(), "after");
}

TEST_F(PreFormTest, ATableWrittenWhileItsTextsAreGivenBackKeepsEveryLine) {
    // Comma-delimited rows without the delimited format make a table of one
    // column, written as one row whose cell gathers every line: the texts of
    // the lines gathered are given back meanwhile.  A CHANGE_POLICY line inside
    // waits for the row's end with its text.
    RecordingDocument document;
    PreForm engine(&document, &set, nullptr);
    constexpr unsigned kLines = 30000;
    for (unsigned i = 1; i <= kLines; ++i) {
        if (i == 3000) {
            AnalysedLine policy;
            policy.SetText("$_$_CHANGE_POLICY Table border size : 7");
            policy.lineType = kStatementChangePolicy;
            engine.AddLine(policy);
        }
        Add(engine, input_shapes::MakeDelimitedRow(i, ',').c_str());
    }
    context.documentState.htmlOutput = 1;
    engine.Process(1);
    std::string all;
    for (const std::string& text : document.Texts()) all += text + "\n";
    for (unsigned i = 1; i <= kLines; i += 1111)
        EXPECT_NE(all.find(input_shapes::MakeDelimitedRow(i, ',') + "<BR>"), std::string::npos) << i;
    EXPECT_EQ(messages.Count("POLICY: Changed - Table border size : 7"), 1);
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
