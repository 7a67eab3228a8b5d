#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/recording_document.h"
#include "tables/preform.h"

namespace {

class TableCellsTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;

    void SetUp() override { set.SetContext(&context); }

    static void Add(PreForm& engine, const char* text) {
        AnalysedLine line;
        line.SetText(text);
        engine.AddLine(line);
    }
    // Columns ending at the given boundaries; the last one runs to 79.
    static void Columns(PreForm& engine, const std::vector<int>& boundaries) {
        int start = 0;
        for (int boundary : boundaries) {
            engine.AddColumn(start, boundary, boundary, -1);
            start = boundary + 1;
        }
        engine.AddColumn(start, 79, 79, -1);
    }
    // A delimited block of `count` columns.
    static void DelimitedColumns(PreForm& engine, char delimiter, int count) {
        engine.isDelimited = 1;
        engine.delimiter = delimiter;
        for (int c = 0; c < count; ++c) engine.AddColumn(-1, -1, -1, -1);
    }
    static std::vector<std::string> Texts(const TableCellRow& row) {
        std::vector<std::string> texts;
        for (int c = 0; c < row.Count(); ++c) texts.push_back(row.GetAt(c)->text.str());
        return texts;
    }
    static std::vector<int> Spans(const TableCellRow& row) {
        std::vector<int> spans;
        for (int c = 0; c < row.Count(); ++c) spans.push_back(row.GetAt(c)->span);
        return spans;
    }
};

TEST_F(TableCellsTest, GuessAlignmentFollowsItsOrderOfTests) {
    struct Case {
        const char* text;
        int width;
        int expected;
    };
    const std::vector<Case> cases = {
        {"  12,345 ", 10, 3},  // numeric
        {"abc", 10, 1},  // at the start of the column
        {"   abc   ", 10, 2},  // blanks on both sides
        {"     abc", 8, 3},  // nothing after it
        {"    abc ", 8, 3},  // more before than after
        {"  a b c", 20, 1},  // the blanks after it outweigh the text
        {"      x     ", 8, 1},  // a run-on text that is mostly blanks
        {"   ", 10, 1},
        {"", 10, 1},
        {" 12.5%", 0, 3},
        {"$12", 0, 1},  // "$" counts only in the extended markup modes
        {"          1234567890.25", 0, 3},
        {"12,5x", 0, 1},  // a numeric start is not enough
        // A number is right aligned whatever its blanks alone would give,
        // unless they fill the column.
        {"12345    ", 9, 3},  // at the start of the column
        {"  5", 10, 3},  // the rest of the column is blank
        {" 12 ", 0, 3},  // as many blanks before as after
        {"  7 ", 3, 1},  // blanks that fill the column
        {"1 2", 0, 1},  // a blank inside is not numeric
        // Texts read four bytes a step: a byte that is not numeric wherever
        // it stands stops the guess.
        {"123456789", 0, 3},
        {"12345678x", 0, 1},
        {"1234x6789", 0, 1},
        {"12x456789", 0, 1},
        {"x23456789", 0, 1},
        {"12345x7", 0, 1},
        {"1234.67:9%", 0, 3},
    };
    PreForm engine(nullptr, &set, nullptr);
    TableCell cell(&set, SourcePosition(), nullptr);
    for (const Case& c : cases)
        EXPECT_EQ(cell.GuessAlignment(&engine, 0, c.width, TextString(c.text), 1), c.expected)
            << '"' << c.text << '"';

    engine.extendedMarkupMode = 1;
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 0, TextString("$(12)"), 1), 3);
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 0, TextString("-1,234.50"), 1), 3);
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 0, TextString("+12345/78"), 1), 1);

    // Not forced, a one-column cell takes its column's typical alignment.
    Columns(engine, {});
    engine.columns[0]->typicalAlignment = 2;
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 10, TextString("abc"), 0), 2);
    cell.span = 2;
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 10, TextString("abc"), 0), 1);

    // A configured cell alignment overrides everything.
    set.GetDefaultTabConfig()->SetInt(TabPol::CellAlignment, 3);
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 10, TextString("abc"), 1), 3);
}

TEST(SignedNumberTest, ASignThenDigitsWithTheirSeparatorsAndAPercentSign) {
    struct Case {
        const char* text;
        bool utf8;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"-3.0", false, true},
        {"+21.8%", false, true},
        {"-10.2", false, true},
        {"-4", false, true},
        {"-.5", false, true},
        {"-1,200.50", false, true},
        {"-1.200,50", false, true},
        {"+1,234,567", false, true},
        {"-12345.678", false, true},
        {"\xE2\x88\x92"
         "7.5",
         true, true},  // U+2212
        {"\xE2\x88\x92"
         "7.5",
         false, false},  // three bytes of 8-bit text
        // Just off the rule.
        {"3.0", false, false},  // no sign: the plain test's
        {"-", false, false},
        {"-%", false, false},
        {"--3", false, false},
        {"- 3", false, false},
        {"-3-", false, false},
        {"1-2", false, false},
        {"-3.", false, false},
        {"-1..2", false, false},
        {"-1.2.3", false, false},  // a version
        {"-1,20,000", false, false},
        {"-1,234.5.6", false, false},
        {"-1.234,567.8", false, false},
        {"-1234,567.8", false, false},
        {"-.5.6", false, false},
        {"-12:30", false, false},  // a time
        {"-2024-01-02", false, false},
        {"-3.0%%", false, false},
        {"-$5", false, false},
        {"-x", false, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSignedNumber(c.text, c.utf8), c.expected) << '"' << c.text << '"';
}

TEST_F(TableCellsTest, SignedNumbersAreRightAlignedAsOtherNumbersAre) {
    struct Case {
        const char* text;
        int width;
        int expected;
    };
    const std::vector<Case> cases = {
        {" -3.0", 5, 3},  // blanks alone give left
        {"-10.2", 5, 3},
        {" +21.8%  ", 9, 3},
        {"-1,200.50", 0, 3},
        {"  -7 ", 0, 3},
        {"     ", 5, 1},
        {" -7  ", 3, 1},  // blanks that fill the column
        {" -1.2.3", 7, 1},
        {" -12:30", 7, 1},
        {" 2024-01-02", 11, 1},
        {" 1.2.3", 6, 3},  // as the plain test has it
        {" - 3", 4, 1},
        {" \xE2\x88\x92"
         "3",
         0, 1},  // 8-bit text
    };
    PreForm engine(nullptr, &set, nullptr);
    TableCell cell(&set, SourcePosition(), nullptr);
    for (const Case& c : cases)
        EXPECT_EQ(cell.GuessAlignment(&engine, 0, c.width, TextString(c.text), 1), c.expected)
            << '"' << c.text << '"';
    context.documentState.utf8Text = 1;
    EXPECT_EQ(cell.GuessAlignment(&engine, 0, 0,
                                  TextString(" \xE2\x88\x92"
                                             "3"),
                                  1),
              3);
}

TEST_F(TableCellsTest, UnquoteNeedsEnclosingQuotesAndAComma) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"\"a,b\"", "a,b"},
        {"\"x \"\"y\"\", z\"", "x \"y\", z"},
        {"\"ab\"", "\"ab\""},
    };
    for (const auto& [text, expected] : cases) {
        TableCell cell(&set, SourcePosition(), nullptr);
        cell.text = text;
        cell.Unquote();
        EXPECT_EQ(cell.text.str(), expected) << text;
    }
}

TEST_F(TableCellsTest, LinesAreCutAtBoundariesOnlyWhereTheyMayEnd) {
    struct Case {
        const char* line;
        std::vector<int> boundaries;
        std::vector<std::string> texts;
        std::vector<int> spans;
    };
    const std::vector<Case> cases = {
        {"Name   Age  City", {6, 11}, {"Name", "Age", "City"}, {1, 1, 1}},
        // "here" crosses the first boundary: the cell spans two columns.
        {"Long name here  5", {6, 14}, {"Long name here", "", "5"}, {2, 1, 1}},
        // A cut is never made inside an in-line tag.
        {"[[FONT 1, Arial]] x", {6, 19}, {"[[FONT 1, Arial]] x", "", ""}, {2, 1, 1}},
        // Runs of "|" at the ends of a cell are skipped where they are
        // borders (of a line alone, every "|" stands at a separator
        // position).
        {"| a  | b  ||", {5, 10}, {"a", "b", ""}, {1, 1, 1}},
        // A short line leaves the last columns empty.
        {"ab", {6, 11}, {"ab", "", ""}, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        PreForm engine(nullptr, &set, nullptr);
        Add(engine, c.line);
        Columns(engine, c.boundaries);
        engine.AnalyseLineStatistics();
        engine.GatherPositionStatistics();
        engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
        EXPECT_EQ(Texts(engine.scratchRow), c.texts) << c.line;
        EXPECT_EQ(Spans(engine.scratchRow), c.spans) << c.line;
        for (int k = 0; k < engine.scratchRow.Count(); ++k) EXPECT_EQ(engine.scratchRow.GetAt(k)->column, k);
    }

    // With zero-width boundaries every boundary cuts.  The row keeps its
    // cells from line to line, each back to a fresh state.
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "Long name here  5");
    Add(engine, "a      b       c");
    Columns(engine, {6, 14});
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
    const TableCell* first = engine.scratchRow.GetAt(0);
    set.GetDefaultTabConfig()->SetInt(TabPol::ZeroWidthBoundaries, 1);
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"Long na", "me here", "5"}));
    engine.SplitLineIntoCells(&engine.scratchRow, 1, 1);
    EXPECT_EQ(engine.scratchRow.GetAt(0), first);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(engine.scratchRow.GetAt(0)->font, &context.styleSet.fonts[kStyleTable]);
}

TEST_F(TableCellsTest, CutsWithoutCellsMatchTheSplit) {
    // The column statistics cut lines without cells; each cut must give the
    // text, span and alignment the split into cells gives.
    // clang-format off
    const std::vector<const char*> lines = {
        "Name   Age  City",     "Long name here  5",  "[[FONT 1, Arial]] x", "| a  | b  ||",
        "ab",                   "  12    7.5    x  ", "a]] b [[c  d]] e",     "      ",
        "Tab\there  4  end", "1234567890123456789 beyond the last boundary", "|", "   |x|  ", "abcdef|ghijk-lmn",
        "    7", "abcdefghijklmn",
        // In-line tags at and around the first boundary (a limited cut reads
        // the tags only as far as its boundaries reach).
        "[[B]]ab x", "ab [[I]]  c", "abcde[[X]] d", "abcdef[[X]] d", "[[ab cd ef", "ab   [[X]]", "a[[b c]]d e",
        "abcdef[[X  Y]]ghijk l"};
    // clang-format on
    for (int zeroWidth : {0, 1}) {
        set.GetDefaultTabConfig()->SetInt(TabPol::ZeroWidthBoundaries, zeroWidth);
        PreForm engine(nullptr, &set, nullptr);
        for (const char* line : lines) Add(engine, line);
        Columns(engine, {6, 11, 14});
        std::vector<CellCut> cuts;
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            for (int force : {0, 1}) {
                SCOPED_TRACE(testing::Message()
                             << lines[static_cast<size_t>(i)] << " zero width " << zeroWidth << " force " << force);
                ASSERT_TRUE(engine.CutLineAtColumns(i, force, &cuts));
                engine.SplitLineIntoCells(&engine.scratchRow, i, force);
                std::vector<std::string> texts(4);
                std::vector<int> spans(4, 1);
                int next = 0;
                for (const CellCut& cut : cuts) {
                    ASSERT_EQ(cut.column, next);
                    texts[static_cast<size_t>(cut.column)] =
                        engine.lines[static_cast<size_t>(i)]->Layout().view().substr(
                            static_cast<size_t>(cut.first), static_cast<size_t>(cut.length));
                    spans[static_cast<size_t>(cut.column)] = cut.span;
                    EXPECT_EQ(cut.alignment, engine.scratchRow.GetAt(cut.column)->alignment);
                    next += cut.span;
                }
                EXPECT_EQ(next, 4);
                if (force) {  // (the split for output converts the texts)
                    EXPECT_EQ(texts, Texts(engine.scratchRow));
                }
                EXPECT_EQ(spans, Spans(engine.scratchRow));
                // A limited cut stops after the first cell.
                const CellCut first = cuts.front();
                ASSERT_TRUE(engine.CutLineAtColumns(i, force, &cuts, 1));
                ASSERT_EQ(cuts.size(), 1u);
                EXPECT_EQ(cuts[0].first, first.first);
                EXPECT_EQ(cuts[0].length, first.length);
                EXPECT_EQ(cuts[0].span, first.span);
                EXPECT_EQ(cuts[0].alignment, first.alignment);
            }
        }
    }
}

// The text of a cut piece is found from a map of the line's non-blank
// bytes, 64 to a word and built sixteen bytes at a time: lines of every
// length around those sizes, blank runs across the words' edges, tabs and
// runs of "|" (borders at the separator positions and at the ends of the
// lines' texts) are cut as a plain reading of each piece cuts them, and the
// guessed alignments agree with the guess from the piece's text.
TEST_F(TableCellsTest, PiecesOfLongLinesAreCutAsTheyRead) {
    const std::vector<int> boundaries = {9, 15, 40, 90, 127, 128, 150};
    PreForm engine(nullptr, &set, nullptr);
    auto reference = [&engine](const std::string& line, int from, int to) {
        to = std::min(to, static_cast<int>(line.size()) - 1);
        if (from > to) return std::make_pair(std::string(), std::string());
        auto blank = [&](int p) {
            return line[static_cast<size_t>(p)] == ' ' || line[static_cast<size_t>(p)] == '\t';
        };
        const int firstText = static_cast<int>(line.find_first_not_of(" \t"));
        const int lastText = static_cast<int>(line.size()) - 1;
        auto border = [&](int p) {
            return line[static_cast<size_t>(p)] == '|' &&
                   (engine.IsSeparatorPosition(p) || p == firstText || p == lastText);
        };
        while (from <= to && border(from)) ++from;
        while (to >= from && border(to)) --to;
        const int pieceFrom = from;
        const int pieceTo = to;
        while (from <= to && blank(from)) ++from;
        while (to >= from && blank(to)) --to;
        return std::make_pair(
            line.substr(static_cast<size_t>(from), static_cast<size_t>(std::max(0, to - from + 1))),
            line.substr(static_cast<size_t>(pieceFrom), static_cast<size_t>(std::max(0, pieceTo - pieceFrom + 1))));
    };
    std::vector<std::string> lines;
    for (int length : {1, 15, 16, 17, 31, 63, 64, 65, 100, 127, 128, 129, 160, 200, 1100}) {
        for (int pattern = 0; pattern < 6; ++pattern) {
            std::string line(static_cast<size_t>(length), ' ');
            for (int p = 0; p < length; ++p) {
                const int k = (p * 7 + pattern * 3) % 11;
                // Long blank runs, some across the edge of two words of the map.
                if ((pattern == 3 && p > 20 && p < 120) || (pattern == 4 && p >= 45 && p < 100) ||
                    (pattern == 5 && p >= 20 && p < 70))
                    continue;
                if (k < 4) line[static_cast<size_t>(p)] = static_cast<char>('a' + k);
                if (k == 5) line[static_cast<size_t>(p)] = pattern == 1 ? '\t' : '7';
                if (k == 6 && pattern == 2) line[static_cast<size_t>(p)] = '|';
            }
            line.back() = 'z';  // no trailing blanks in a layout text
            for (int b : boundaries)  // every boundary cuts
                if (b < length) line[static_cast<size_t>(b)] = b == length - 1 ? '|' : ' ';
            lines.push_back(line);
        }
    }
    for (const std::string& line : lines) Add(engine, line.c_str());
    Columns(engine, boundaries);
    engine.AnalyseLineStatistics();
    engine.GatherPositionStatistics();
    engine.barFramedLines = 1;  // the first and last "|" of every line are borders
    std::vector<CellCut> cuts;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        SCOPED_TRACE(line);
        ASSERT_TRUE(engine.CutLineAtColumns(i, 1, &cuts));
        ASSERT_EQ(cuts.size(), boundaries.size() + 1);
        int start = 0;
        int boundary = -1;  // the boundaries so far at their highest
        for (const CellCut& cut : cuts) {
            const bool last = cut.column == static_cast<int>(boundaries.size());
            boundary = std::max(boundary, last ? 79 : boundaries[static_cast<size_t>(cut.column)]);
            const int end = last ? std::max(static_cast<int>(line.size()) - 1, boundary) : boundary;
            const auto [text, piece] = reference(line, start, end);
            EXPECT_EQ(line.substr(static_cast<size_t>(cut.first), static_cast<size_t>(cut.length)), text)
                << "column " << cut.column;
            TableCell cell(&set, SourcePosition(), nullptr);
            EXPECT_EQ(cut.alignment,
                      cell.GuessAlignment(&engine, cut.column, boundary - start + 1, TextString(piece.c_str()), 1))
                << "column " << cut.column;
            start = end + 1;
        }
    }
}

// A line of ASCII text without a "|" or the first byte of the tag start
// delimiter is cut by a plainer instance of the cutter.  Lines just off
// that path, a byte of their text made a "|" or that byte (with no tag
// after it), are cut where the same line with a letter there is.
TEST_F(TableCellsTest, LinesJustOffThePlainCutAreCutAlike) {
    const char mark = set.GetText(Pol::StartTagDelimiter).buffer[0];
    struct Case {
        const char* line;
        int changed;  // the byte made a "|" or the mark
    };
    const std::vector<Case> cases = {{"abcdef  12  xy  z", 2},
                                     {"abcdef  12  xy  z", 13},
                                     {"abcdefgh 12 x", 7},
                                     {"  ab    7.5    x  ", 3},
                                     {"ab  cdefghijklmnop", 13},
                                     {"a", 0},
                                     {"abcdefghijklmnopqrstuvwxyz 1", 20}};
    std::vector<CellCut> plainCuts, offCuts;
    for (int zeroWidth : {0, 1}) {
        set.GetDefaultTabConfig()->SetInt(TabPol::ZeroWidthBoundaries, zeroWidth);
        for (const Case& c : cases) {
            for (char offPath : {'|', mark}) {
                std::string changed = c.line;
                changed[static_cast<size_t>(c.changed)] = offPath;
                SCOPED_TRACE(changed + " zero width " + std::to_string(zeroWidth));
                PreForm engine(nullptr, &set, nullptr);
                Add(engine, c.line);
                Add(engine, changed.c_str());
                Columns(engine, {6, 11, 14});
                for (int force : {0, 1}) {
                    ASSERT_TRUE(engine.CutLineAtColumns(0, force, &plainCuts));
                    ASSERT_TRUE(engine.CutLineAtColumns(1, force, &offCuts));
                    ASSERT_EQ(plainCuts.size(), offCuts.size());
                    for (size_t k = 0; k < plainCuts.size(); ++k) {
                        EXPECT_EQ(offCuts[k].column, plainCuts[k].column);
                        EXPECT_EQ(offCuts[k].span, plainCuts[k].span);
                        EXPECT_EQ(offCuts[k].first, plainCuts[k].first);
                        EXPECT_EQ(offCuts[k].length, plainCuts[k].length);
                        EXPECT_EQ(offCuts[k].alignment, plainCuts[k].alignment);
                    }
                }
            }
        }
    }
}

// The one cell of a line of a block of one column is cut apart from the
// cut of every cell.  It must be the first cell of a block of two columns
// whose first boundary is where the one column's is, for the short cut's
// lines and for lines just off it (borders, tabs, tags, blanks only, wide
// characters), also where it is cut without a list of cuts; and the cell
// the output cuts alone must be the split's.
TEST_F(TableCellsTest, TheCellOfABlockOfOneColumnIsCutAsAFirstCell) {
    // clang-format off
    const std::vector<const char*> lines = {
        "abc", "  abc  ", "   7", "12.5", "\tab\t", "|abc|", "| a | b |", "|", "||x", "a|", "", "   ",
        "x [[B]]y z", "[[FONT 1, Arial]]", "a]] b", "\xC3\xA9 x", "\xE6\x97\xA5\xE6\x9C\xAC 12", "  \xCE\xB1  ",
        "  1,234.5", "7 |", "| 12 |  ", "a\tb  c", "$(3)", "-"};
    // clang-format on
    for (int zeroWidth : {0, 1}) {
        for (int configured : {0, 2}) {
            const int framed = configured == 0 ? zeroWidth : 1 - zeroWidth;  // "|" at the ends are borders
            set.GetDefaultTabConfig()->SetInt(TabPol::ZeroWidthBoundaries, zeroWidth);
            set.GetDefaultTabConfig()->SetInt(TabPol::CellAlignment, configured);
            PreForm one(nullptr, &set, nullptr);
            PreForm two(nullptr, &set, nullptr);
            for (const char* line : lines) {
                Add(one, line);
                Add(two, line);
            }
            Columns(one, {});
            Columns(two, {79});
            for (PreForm* engine : {&one, &two}) {
                engine->columns[0]->typicalAlignment = 2;
                engine->AnalyseLineStatistics();
                engine->GatherPositionStatistics();
                engine->barFramedLines = framed;
                engine->SplitLineIntoCells(&engine->scratchRow, 0, 1);
                engine->SplitLineIntoCells(&engine->cellRow, 0, 1);
            }
            std::vector<CellCut> oneCuts, twoCuts;
            const PreForm::CutSettings settings = one.ReadCutSettings();
            for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
                for (int force : {0, 1}) {
                    SCOPED_TRACE(testing::Message()
                                 << '"' << lines[static_cast<size_t>(i)] << "\" zero width " << zeroWidth
                                 << " configured " << configured << " framed " << framed << " force " << force);
                    ASSERT_TRUE(one.CutLineAtColumns(i, force, &oneCuts));
                    ASSERT_TRUE(two.CutLineAtColumns(i, force, &twoCuts));
                    ASSERT_EQ(oneCuts.size(), 1u);
                    EXPECT_EQ(oneCuts[0].column, 0);
                    EXPECT_EQ(oneCuts[0].span, 1);
                    EXPECT_EQ(oneCuts[0].first, twoCuts[0].first);
                    EXPECT_EQ(oneCuts[0].length, twoCuts[0].length);
                    EXPECT_EQ(oneCuts[0].alignment, twoCuts[0].alignment);
                    // The cut without a list of cuts: an ASCII line of a
                    // block of one column only.
                    CellCut only;
                    only.length = -1;
                    const bool ascii = !one.lines[static_cast<size_t>(i)]->wide;
                    EXPECT_EQ(one.CutOnlyCell(i, force, settings, &only), ascii);
                    if (ascii) {
                        EXPECT_EQ(only.column, 0);
                        EXPECT_EQ(only.span, 1);
                        EXPECT_EQ(only.first, twoCuts[0].first);
                        EXPECT_EQ(only.length, twoCuts[0].length);
                        EXPECT_EQ(only.alignment, twoCuts[0].alignment);
                    } else {
                        EXPECT_EQ(only.length, -1);
                    }
                    EXPECT_FALSE(two.CutOnlyCell(i, force, settings, &only));
                }
                const bool split = one.SplitLineIntoCellsByColumns(&one.scratchRow, i, 0);
                EXPECT_EQ(one.SplitFilledCellForOutput(&one.cellRow, i, 0, one.ReadCutSettings(),
                                                       one.ReadConversionSettings()),
                          split)
                    << lines[static_cast<size_t>(i)];
                EXPECT_EQ(one.cellRow.GetAt(0)->text.str(), one.scratchRow.GetAt(0)->text.str())
                    << lines[static_cast<size_t>(i)];
            }
        }
    }
}

// The merging of two columns may read the cut of a line from its first
// boundary alone.  Where it claims to know the cut, the cut must agree: the
// first cell runs on over the boundary, or the second is empty or filled;
// lines just off that road (a tag that may hold the boundary, a second cell
// of "|" and blanks) are left to the cut.
TEST_F(TableCellsTest, TheCutOfTwoColumnsReadAtTheBoundaryIsTheCut) {
    using Cut = PreForm::TwoColumnCut;
    struct Case {
        const char* line;
        Cut expected;  // with boundaries that may end cells where they stand
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"abcde", Cut::kSpans},
        {"abc 12", Cut::kLastFilled},
        {"abc", Cut::kLastEmpty},
        {"abc    ", Cut::kLastEmpty},
        {"abc \t ", Cut::kLastEmpty},
        {"abc-x", Cut::kLastFilled},
        {"abc*x", Cut::kLastFilled},
        {"   x", Cut::kSpans},
        {"    x", Cut::kLastFilled},
        {"", Cut::kLastEmpty},
        {"abc 1]]", Cut::kLastFilled},
        {"abc [[B]]", Cut::kUnknown},  // a tag may hold the boundary
        {"a[[ B]]x", Cut::kUnknown},
        {"a[[B]] x", Cut::kSpans},
        {"ab[[B]]", Cut::kSpans},
        {"abc |", Cut::kUnknown},  // a "|" may be a border
        {"abc ||  ", Cut::kUnknown},
        {"abc |x", Cut::kLastFilled},
        {"abc| 1", Cut::kLastFilled},
        {"|abc", Cut::kSpans},
        {"|ab |", Cut::kUnknown},
        {"|ab|", Cut::kLastEmpty},
    };
    // clang-format on
    for (int zeroWidth : {0, 1}) {
        set.GetDefaultTabConfig()->SetInt(TabPol::ZeroWidthBoundaries, zeroWidth);
        for (int boundary : {3, -1, 40}) {
            PreForm engine(nullptr, &set, nullptr);
            for (const Case& c : cases) Add(engine, c.line);
            Columns(engine, {boundary});
            engine.AnalyseLineStatistics();
            engine.GatherPositionStatistics();
            const PreForm::CutSettings settings = engine.ReadCutSettings();
            std::vector<CellCut> cuts;
            for (int i = 0; i < static_cast<int>(cases.size()); ++i) {
                const Case& c = cases[static_cast<size_t>(i)];
                SCOPED_TRACE(testing::Message()
                             << '"' << c.line << "\" zero width " << zeroWidth << " boundary " << boundary);
                const Cut cut = engine.CutOfTwoColumns(i, settings);
                if (zeroWidth == 0 && boundary == 3) {
                    EXPECT_EQ(cut, c.expected);
                }
                if (cut == Cut::kUnknown) continue;
                ASSERT_TRUE(engine.CutLineAtColumns(i, 1, &cuts));
                ASSERT_FALSE(cuts.empty());
                EXPECT_EQ(cut == Cut::kSpans, cuts[0].span == 2);
                if (cut != Cut::kSpans) {
                    ASSERT_EQ(cuts.size(), 2u);
                    EXPECT_EQ(cut == Cut::kLastFilled, cuts[1].length > 0);
                }
            }
        }
    }
    // Not two columns: only the cut can tell.
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "abc 12");
    Columns(engine, {3, 6});
    EXPECT_EQ(engine.CutOfTwoColumns(0, engine.ReadCutSettings()), Cut::kUnknown);
}

TEST_F(TableCellsTest, AResetCellIsAFreshCell) {
    const FontSpec font;
    const SourcePosition where(2, 7);
    TableCell cell(&set, SourcePosition(1, 1), nullptr);
    for (TextString* part : {&cell.beforeText, &cell.text, &cell.afterText, &cell.secondText, &cell.formatText,
                             &cell.gutterText, &cell.stubText, &cell.linkAnchor})
        *part = "x";
    cell.span = cell.rowSpan = cell.alignment = cell.lineCount = cell.column = cell.leading = 5;
    cell.isContinuation = cell.tuMode = cell.contentsLinkMode = 0;
    cell.switches = {0, 0, 0, 0};
    const char* const kept = cell.text.buffer;
    cell.Reset(where, &font);

    const TableCell fresh(&set, where, &font);
    for (const TextString* part : {&cell.beforeText, &cell.text, &cell.afterText, &cell.secondText, &cell.formatText,
                                   &cell.gutterText, &cell.stubText, &cell.linkAnchor})
        EXPECT_EQ(part->str(), "");
    EXPECT_EQ(cell.text.buffer, kept);  // the buffers are kept for the next line
    EXPECT_EQ((std::vector<int>{cell.span, cell.rowSpan, cell.alignment, cell.lineCount, cell.column, cell.leading,
                                cell.isContinuation, cell.tuMode, cell.contentsLinkMode}),
              (std::vector<int>{fresh.span, fresh.rowSpan, fresh.alignment, fresh.lineCount, fresh.column,
                                fresh.leading, fresh.isContinuation, fresh.tuMode, fresh.contentsLinkMode}));
    EXPECT_EQ(cell.switches, fresh.switches);
    EXPECT_EQ(cell.font, &font);
    EXPECT_EQ(cell.position.line, 7);
}

TEST_F(TableCellsTest, ReservedCharactersAreCutLikePlainOnesAndEscapedAfterwards) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "a&b   x<y   \xE9t\xE9");
    Add(engine, "abc   xyz   ete");
    Add(engine, "abc         ete");
    Add(engine, "it\x92s  x     \xD2q\x96");
    Columns(engine, {5, 11});
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"a&b", "x<y", "\xE9t\xE9"}));
    EXPECT_EQ(Spans(engine.scratchRow), (std::vector<int>{1, 1, 1}));

    engine.SplitLineIntoCells(&engine.scratchRow, 0, 0);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"a&amp;b", "x&lt;y", "&eacute;t&eacute;"}));
    // An empty HTML cell gets a non-breaking space only when converted.
    engine.SplitLineIntoCells(&engine.scratchRow, 2, 0);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"abc", "&nbsp;", "ete"}));
    // Windows punctuation below 161 (which the escaping leaves alone) is
    // written as character references, kept as RTF keeps it.
    engine.SplitLineIntoCells(&engine.scratchRow, 3, 0);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"it&#8217;s", "x", "&Ograve;q&#8211;"}));
    EXPECT_EQ(context.trackers.codeLocation, 0);
}

TEST_F(TableCellsTest, CellsThatSkipTheConversionComeOutAsConverted) {
    // Cells the conversion cannot change skip it; each cell must come out as
    // the whole conversion of its text leaves it, with section references,
    // links, emphasis and the link dictionary in play.
    const std::vector<std::string> texts = {
        "Alice Smith", "2001-03-04", "12345.67", "2.1", "1.2.3",  "a.b",     "Version 2.1",
        "x_y_",        "*bold*",     "12:30",    "3/4", "a@b.cd", "Vendrel", "www.vendrel.example",
        "see 2.1x",    "(42)"};
    auto check = [&](int references, const char* label) {
        PreForm engine(nullptr, &set, nullptr);
        for (const std::string& text : texts) Add(engine, text.c_str());
        Columns(engine, {});
        int changed = 0;
        for (size_t i = 0; i < texts.size(); ++i) {
            engine.SplitLineIntoCells(&engine.scratchRow, static_cast<int>(i), 0);
            context.trackers.codeLocation = 3;
            AnalysedLine line;
            line.Assign(texts[i].c_str());
            line.ConvertForOutput(set, nullptr, 1, references, 1, 0, 1, 1);
            context.trackers.codeLocation = 0;
            changed += line.str() != texts[i];
            EXPECT_EQ(engine.scratchRow.GetAt(0)->text.str(), line.str()) << label << ": " << texts[i];
        }
        EXPECT_GT(changed, 0) << label;
    };
    check(0, "plain");

    // Section references: numbered headings seen, references asked for.
    for (const char* heading : {"2 Methods", "2.1 Setup"})
        context.AddHeadingEntry(&set, heading[1] == '.' ? 102 : 101, TextString(heading), TextString(heading),
                                TextString(heading), SourcePosition(0, 1), TextString(), TextString(), TextString());
    auto& numbering = context.documentState.headingState;
    numbering.lowest[0] = numbering.highest[0] = 2;
    numbering.lowest[1] = numbering.highest[1] = 1;
    set.SetInt(Pol::ExpectNumberedHeadings, 1);
    set.GetDefaultTabConfig()->SetInt(TabPol::ConvertXRefs, 1);
    check(1, "references");
    set.GetDefaultTabConfig()->SetInt(TabPol::ConvertXRefs, 0);

    // A link dictionary can match any word.
    set.AddLinkDefinition("Vendrel", "Vendrel", "http://vendrel.example/");
    check(0, "dictionary");
}

TEST_F(TableCellsTest, RtfCellsAreEscapedForRtf) {
    Context rtfContext(1, 1);
    FC rtfSet;
    rtfSet.SetContext(&rtfContext);
    PreForm engine(nullptr, &rtfSet, nullptr);
    ASSERT_EQ(engine.rtfOutput, 1);
    Add(engine, "{a}   b\\c");
    Columns(engine, {5});
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 0);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"\\'7ba\\'7d", "b\\\\c"}));
}

TEST_F(TableCellsTest, UnbalancedEndDelimiterIsReportedWhenConverting) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "a]]    b");
    Columns(engine, {5});
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
    EXPECT_TRUE(engine.messageText.IsEmpty());
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 0);
    EXPECT_EQ(engine.messageText.str(), "INFO: Unbalanced tag delimiter inside table cell :\"]]\"");
}

TEST_F(TableCellsTest, DelimitedLinesKeepQuotedCommasAndAppendExtraFields) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "1,\"a,b\",\"\"\",x\"\"\",extra,more");
    Add(engine, " 42 ,\"\"");
    DelimitedColumns(engine, ',', 3);
    engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"1", "a,b", "\",x\",extra,more"}));
    engine.SplitLineIntoCells(&engine.scratchRow, 1, 1);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"42", "", ""}));
    EXPECT_EQ(engine.scratchRow.GetAt(0)->alignment, 3);
    engine.SplitLineIntoCells(&engine.scratchRow, 1, 0);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"42", "&nbsp;", "&nbsp;"}));

    // Tab fields are cut at every tab, quotes or not, as the analysis counts them.
    engine.delimiter = '\t';
    Add(engine, "5\" pipe\t\"x\ty\"");
    engine.SplitLineIntoCells(&engine.scratchRow, 2, 1);
    EXPECT_EQ(Texts(engine.scratchRow), (std::vector<std::string>{"5\" pipe", "\"x", "y\""}));
}

// The column statistics cut a delimited line without cells where its fields
// stand in the line as they are; such a cut gives the texts and alignments
// the split gives, and every other line is left to the split.
TEST_F(TableCellsTest, DelimitedCutsWithoutCellsMatchTheSplit) {
    struct Case {
        char delimiter;
        const char* line;
        bool cut;  // cut without cells
    };
    const std::vector<Case> cases = {
        {',', "a,b,c", true},        {',', " 42 , x ,  ", true},
        {',', "a,b", true},          {',', "", true},
        {',', "a,,\t", true},        {',', "a,b\"c,d", true},  // the quote does not begin the field
        {',', "12.5,  7,-3", true},  {',', "a,b,c,d", false},  // a field beyond the last column
        {',', "a,b,c,", false},      {',', "a,\"b,c\",d", false},  // a field to unquote
        {',', "\"a\"", false},       {',', "\"\",x", false},
        {'\t', "x\t y \t3", true},   {'\t', "\"q\"\tz", true},  // quotes mean nothing between tabs
        {'\t', "1\t2\t3\t4", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        PreForm engine(nullptr, &set, nullptr);
        Add(engine, c.line);
        DelimitedColumns(engine, c.delimiter, 3);
        std::vector<CellCut> cuts;
        TextString scratch;
        LineText record{};
        ASSERT_EQ(engine.CutLineAtDelimiters(0, scratch, &record, &cuts), c.cut);
        if (!c.cut) {
            EXPECT_TRUE(cuts.empty());
            continue;
        }
        engine.SplitLineIntoCells(&engine.scratchRow, 0, 1);
        ASSERT_EQ(static_cast<int>(cuts.size()), std::min(engine.scratchRow.PaddingStart(), 3));
        for (const CellCut& cut : cuts) {
            const TableCell* cell = engine.scratchRow.GetAt(cut.column);
            EXPECT_EQ(record.view().substr(static_cast<size_t>(cut.first), static_cast<size_t>(cut.length)),
                      cell->text.str());
            EXPECT_EQ(cut.span, 1);
            EXPECT_EQ(cut.alignment, cell->alignment) << "column " << cut.column;
        }
    }

    // A record of several lines is split whole.
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "1,\"first");
    Add(engine, "second\",2");
    DelimitedColumns(engine, ',', 3);
    engine.FindRecords();
    std::vector<CellCut> cuts;
    TextString scratch;
    LineText record{};
    EXPECT_FALSE(engine.CutLineAtDelimiters(0, scratch, &record, &cuts));
}

// A field is trimmed after its alignment is guessed from it, whether it is
// copied as it stands, unquoted, or (in the last column) joined to the
// fields beyond the last column first.
TEST_F(TableCellsTest, DelimitedFieldsAreTrimmedAfterTheirAlignmentIsGuessed) {
    struct Case {
        const char* line;
        std::vector<std::string> texts;
        std::vector<int> alignments;
        bool joined;
    };
    const std::vector<Case> cases = {
        {" a , b ,c ,d ", {"a", "b", "c ,d"}, {1, 1, 1}, true},
        {"\" x \", 7 ,  ", {"x", "7", ""}, {1, 3, 1}, false},
        {"\t1\t,   x,\" 5\"", {"1", "x", "5"}, {3, 3, 3}, false},
        {"  ,,", {"", "", ""}, {1, 1, 1}, false},
        {"9", {"9", "", ""}, {3, 1, 1}, false},
        {"a,b,  \"c\" ,\td", {"a", "b", "\"c\" , d"}, {1, 1, 3}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        PreForm engine(nullptr, &set, nullptr);
        Add(engine, c.line);
        DelimitedColumns(engine, ',', 3);
        EXPECT_EQ(engine.SplitLineIntoCells(&engine.scratchRow, 0, 1), c.joined);
        EXPECT_EQ(Texts(engine.scratchRow), c.texts);
        std::vector<int> alignments;
        for (int k = 0; k < engine.scratchRow.Count(); ++k)
            alignments.push_back(engine.scratchRow.GetAt(k)->alignment);
        EXPECT_EQ(alignments, c.alignments);
    }
}

// A delimited line fills the cells of its fields; the cells after them stay
// padding until read, and read as the empty cells of their columns (for
// output, "&nbsp;" aligned as their column is).  The fields beyond the last
// column go into the last cell, its tabs shown as blanks.
TEST_F(TableCellsTest, ADelimitedLineFillsTheCellsOfItsFields) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "a\t b");
    Add(engine, "1\t2\t3\t4\t5\t6");
    DelimitedColumns(engine, '\t', 4);
    engine.columns[3]->typicalAlignment = 3;
    TableCellRow& row = engine.scratchRow;
    EXPECT_FALSE(engine.SplitLineIntoCells(&row, 0, 1));
    EXPECT_EQ(row.PaddingStart(), 2);
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"a", "b", "", ""}));
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(row.GetAt(c)->column, c);
        EXPECT_EQ(row.GetAt(c)->span, 1);
    }
    EXPECT_EQ(row.GetAt(3)->alignment, 1);  // an empty text's, in the statistics
    EXPECT_EQ(engine.SplitLineIntoCells(&row, 0, 0), false);
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"a", "b", "&nbsp;", "&nbsp;"}));
    EXPECT_EQ(row.GetAt(3)->alignment, 3);
    EXPECT_TRUE(engine.SplitLineIntoCells(&row, 1, 1));
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"1", "2", "3", "4 5 6"}));
}

// A row's padding cells are filled in from the padding record when one of
// them is read (and every padding cell before it): the record's fields and
// text, the cell's index as its column and, where the record says so, its
// column's alignments.  A cell keeps what the record held when it was filled
// in; nothing of what the cell held before stays.
TEST_F(TableCellsTest, PaddingCellsAreFilledInFromTheirRecordWhenRead) {
    PreForm engine(nullptr, &set, nullptr);
    Columns(engine, {9, 19, 29});
    engine.columns[2]->typicalAlignment = 3;
    engine.columns[3]->defaultVAlignment = 2;
    TableCellRow row;
    row.Reset(4, &set, SourcePosition(), nullptr);
    row.CellAt(0)->text = "kept";
    row.CellAt(3)->text = "stale";
    row.CellAt(3)->stubText = "stale";
    TableCellFields fields;
    fields.lineCount = 2;
    fields.position = SourcePosition(0, 7);
    TableCellRow::Padding& padding = row.PadFrom(1, fields);
    padding.text = "pad";
    padding.numbered = true;
    padding.columns = &engine.columns;
    padding.typicalAlignment = padding.defaultVAlignment = true;
    EXPECT_EQ(row.PaddingStart(), 1);

    const TableCell* third = row.GetAt(2);
    EXPECT_EQ(row.PaddingStart(), 3);
    EXPECT_EQ(third->text.str(), "pad");
    EXPECT_EQ(third->column, 2);
    EXPECT_EQ(third->alignment, 3);
    EXPECT_EQ(third->lineCount, 2);
    EXPECT_EQ(third->position.line, 7);
    row.PaddingCells().text = "later";
    EXPECT_EQ(row.GetAt(1)->text.str(), "pad");
    const TableCell* last = row.GetAt(3);
    EXPECT_EQ(last->text.str(), "later");
    EXPECT_TRUE(last->stubText.IsEmpty());
    EXPECT_EQ(last->alignment, 1);
    EXPECT_EQ(last->vAlignment, 2);
    EXPECT_EQ(row.PaddingStart(), 4);
    EXPECT_EQ(row.GetAt(0)->text.str(), "kept");

    // Rows exchanged exchange their padding; removing cells fills them in
    // first.
    row.PadFrom(0, TableCellFields{}).text = "x";
    TableCellRow other;
    other.Swap(row);
    EXPECT_EQ(row.Count(), 0);
    EXPECT_EQ(other.PaddingStart(), 0);
    other.RemoveRange(0, 1);
    EXPECT_EQ(other.PaddingStart(), 3);
    EXPECT_EQ(Texts(other), (std::vector<std::string>{"x", "x", "x"}));
}

TEST_F(TableCellsTest, EffectivelyEmptyCellsHoldOnlyLayoutTags) {
    PreForm engine(nullptr, &set, nullptr);
    const std::vector<std::pair<const char*, bool>> cases = {
        {"", true},       {"[[FONT 1, Arial, 12]]", true},   {" [[COLOUR red]] <BR> ", true},
        {"&nbsp;", true}, {"[[FONT 1, Arial, 12]]x", false}, {"[[BR]]", false},
    };
    for (const auto& [text, expected] : cases) {
        TableCell cell(&set, SourcePosition(), nullptr);
        cell.text = text;
        EXPECT_EQ(cell.IsEffectivelyEmpty(&set, &engine), expected) << text;
    }
    TableCell marked(&set, SourcePosition(), nullptr);
    marked.tuMode = 1;
    EXPECT_FALSE(marked.IsEffectivelyEmpty(&set, &engine));
}

TEST_F(TableCellsTest, LineBreaksAndLinesNeeded) {
    PreForm engine(nullptr, &set, nullptr);
    TableCell cell(&set, SourcePosition(), nullptr);
    cell.text = "a<BR>b<br>c<BR> ";
    cell.CountLineBreaks(&engine);
    EXPECT_EQ(cell.lineBreakCount, 2);
    EXPECT_EQ(cell.LinesNeeded(&engine, 0, 1, 12), 3);

    // Without a width: 20 characters a line in the first column, 10 in the
    // others, never more lines than words.
    TableCell words(&set, SourcePosition(), nullptr);
    words.text = "aaaa bbbb cccc dddd eeee ffff gggg hhhh";  // 39 characters, 7 blanks
    words.column = 0;
    EXPECT_EQ(words.LinesNeeded(&engine, 0, 1, 12), 2);
    words.column = 1;
    EXPECT_EQ(words.LinesNeeded(&engine, 0, 1, 12), 4);
    words.text = "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(words.LinesNeeded(&engine, 0, 1, 12), 1);

    // With a width the words are filled into lines.
    TableCell wide(&set, SourcePosition(), nullptr);
    wide.text = "mmmm mmmm mmmm mmmm";
    const int one = wide.WidestLine(&engine, &set, nullptr);
    EXPECT_EQ(wide.LinesNeeded(&engine, one + 1, 1, 0), 1);
    TableCell word(&set, SourcePosition(), nullptr);
    word.text = "mmmm";
    const int wordWidth = word.WidestLine(&engine, &set, nullptr);
    EXPECT_EQ(wide.LinesNeeded(&engine, wordWidth + 1, 1, 0), 4);

    // The widest line is measured without markup.
    TableCell lines(&set, SourcePosition(), nullptr);
    lines.text = "<B>mmmm</B><BR>mmmm&nbsp;mmmm<BR>[[FONT 1, Arial, 12]]x";
    TextString widest;
    TableCell plain(&set, SourcePosition(), nullptr);
    plain.text = "mmmm mmmm";
    EXPECT_EQ(lines.WidestLine(&engine, &set, &widest), plain.WidestLine(&engine, &set, nullptr));
    EXPECT_EQ(widest.str(), "mmmm mmmm");
}

TEST_F(TableCellsTest, JoinBelowPutsLinesSideBySide) {
    TableCell top(&set, SourcePosition(), nullptr);
    TableCell below(&set, SourcePosition(), nullptr);
    top.text = "a<BR>b";
    top.lineCount = 2;
    below.text = "c<BR>d<BR>e";
    top.JoinBelow(&set, &below);
    EXPECT_EQ(top.text.str(), "a c<BR>b d<BR>e");
    EXPECT_TRUE(below.text.IsEmpty());
}

TEST_F(TableCellsTest, SpanWidthsComeFromTheTableLayout) {
    PreForm engine(nullptr, &set, nullptr);
    TableCell cell(&set, SourcePosition(), nullptr);
    EXPECT_EQ(engine.GetSpanWidth(&cell, 0, 0, 2), 0);

    TabConfig* config = set.GetDefaultTabConfig();
    config->SetColumnCount(3, nullptr);
    for (int k = 0; k < 3; ++k) {
        config->Column(k)->width = 100;
        config->Column(k)->spacing = 10;
    }
    engine.htmlOutput = 0;
    engine.rtfOutput = 1;
    EXPECT_EQ(engine.GetSpanWidth(&cell, 0, 0, 2), 100 + 10 + 100 + 10);
    config->Column(1)->hidden = 1;
    EXPECT_EQ(engine.GetSpanWidth(&cell, 0, 0, 3), 100 + 10 + 100 + 10);
    engine.htmlOutput = 1;
    engine.rtfOutput = 0;
    EXPECT_EQ(engine.GetSpanWidth(&cell, 0, 2, 1), 134);
}

TEST_F(TableCellsTest, VerticalAlignmentGuesses) {
    PreForm engine(nullptr, &set, nullptr);
    TableCellRow row;
    row.Reset(3, &set, SourcePosition(), nullptr);
    auto fill = [&](const char* a, const char* b, const char* c) {
        const char* texts[] = {a, b, c};
        for (int k = 0; k < 3; ++k) {
            row.GetAt(k)->text = texts[k];
            row.GetAt(k)->column = k;
            row.GetAt(k)->CountLineBreaks(&engine);
        }
    };
    int mixed = -1;
    fill("a", "b", "c");
    EXPECT_EQ(engine.GuessHeaderVerticalAlignment(&row, &mixed), 1);
    fill("a<BR>b", "b", "c");
    EXPECT_EQ(engine.GuessHeaderVerticalAlignment(&row, &mixed), 2);
    EXPECT_EQ(mixed, 0);
    fill("a<BR>b", "b<BR>c", "c");
    EXPECT_EQ(engine.GuessHeaderVerticalAlignment(&row, &mixed), 1);
    EXPECT_EQ(mixed, 1);

    engine.defaultVAlignment = 0;
    fill("first<BR>second", "b", "c");
    EXPECT_EQ(engine.GuessRowVerticalAlignment(&row, 4), 2);
    EXPECT_EQ(engine.messageText.str(), "INFO: Adjusting vert. alignment in row.4");
    engine.messageText.MakeEmpty();
    fill("[[FONT 1, Arial, 12]]a rather long cell", "b<BR>c", "c");
    EXPECT_EQ(engine.GuessRowVerticalAlignment(&row, 5), 1);
    EXPECT_EQ(engine.messageText.str(), "INFO: Adjusting vert. alignment in row.5 for \"a rather long cel...\"");
    engine.messageText.MakeEmpty();
    fill("a", "b", "c");
    EXPECT_EQ(engine.GuessRowVerticalAlignment(&row, 6), 0);
    EXPECT_TRUE(engine.messageText.IsEmpty());

    engine.CountCellLines(&row);
    engine.CountCellLines(&row);
    EXPECT_EQ(row.GetAt(2)->lineCount, 2);
}

}  // namespace
