#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/recording_document.h"
#include "tables/preform.h"
#include "tables/rule_lines.h"

namespace {

class BlockAnalysisTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    std::unique_ptr<PreForm> engine;

    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::ErrorReportingLevel, 10);
        engine = std::make_unique<PreForm>(nullptr, &set, nullptr);
        engine->tabConfig = set.GetDefaultTabConfig();
    }
    TabConfig& Config() { return *set.GetDefaultTabConfig(); }

    void Add(const std::string& text, uint32_t flags = kFlagDefault) {
        AnalysedLine line;
        line.SetText(text.c_str());
        line.flags = flags;
        engine->AddLine(line);
    }
    PreForm& Analyse(const std::vector<std::string>& lines) {
        for (const std::string& text : lines) Add(text);
        engine->Analyse();
        return *engine;
    }
    // Columns ending at the given boundaries; the last one runs to the
    // longest line.
    void Columns(const std::vector<int>& boundaries) {
        int start = 0;
        for (int boundary : boundaries) {
            engine->AddColumn(start, boundary, boundary, -1);
            start = boundary + 1;
        }
        engine->AddColumn(start, engine->longestLength - 1, engine->longestLength - 1, -1);
    }
    std::vector<int> Boundaries() const {
        std::vector<int> result;
        for (const auto& column : engine->columns) result.push_back(column->boundary);
        return result;
    }
    bool Collected(const char* text) const { return engine->messageText.view().find(text) != std::string::npos; }
    // The texts of the cells line `index` is cut into.
    std::vector<std::string> CellTexts(int index) {
        engine->SplitLineIntoCells(&engine->scratchRow, index, 1);
        std::vector<std::string> texts;
        for (int k = 0; k < engine->scratchRow.Count(); ++k)
            texts.push_back(engine->scratchRow.GetAt(k)->text.str());
        return texts;
    }
};

TEST_F(BlockAnalysisTest, AFiveLineBlockSeparatesColumnsByTwoBlanks) {
    // The single blanks inside "New York" and "San Jose" would make a column
    // with separation 1.
    PreForm& block = Analyse({"New York  12", "Boston    7", "San Jose  3"});
    EXPECT_EQ(block.minimumSeparation, 2);
    EXPECT_EQ(Boundaries(), (std::vector<int>{9, 11}));
    EXPECT_EQ(block.looksLikeTable, 1);
}

TEST_F(BlockAnalysisTest, SingleBlankGapsAreRetriedWithSeparationTwo) {
    // Six lines with separation 1 give three columns that nothing merges;
    // separation 2 still finds two, so the block is detected again with it.
    PreForm& block = Analyse({"AB CD  12", "EF GH  34", "IJ KL  56", "MN OP  78", "QR ST  90", "UV WX  11"});
    EXPECT_TRUE(Collected("INFO: Increasing min column separation in table to 2 spaces"));
    EXPECT_EQ(block.minimumSeparation, 2);
    EXPECT_EQ(Boundaries(), (std::vector<int>{6, 8}));

    // When separation 2 leaves one column, the first columns come back with
    // statistics that match them.
    SetUp();
    PreForm& words = Analyse({"AB CD EF", "GH IJ KL", "MN OP QR", "ST UV WX", "YZ AB CD", "EF GH IJ"});
    EXPECT_FALSE(Collected("Increasing"));
    EXPECT_EQ(words.columnCount, 3);
    EXPECT_EQ(words.FilledCellsOf(0).count, 3);
    EXPECT_EQ(words.columns[2]->width, 2);
}

// A separation the document sets itself is used as it stands: a short block
// keeps it and no wider one is tried.  The same value from a policy file or
// the sheet is raised and retried as ever.
TEST_F(BlockAnalysisTest, TheDocumentsOwnSeparationIsUsedAsGiven) {
    const std::vector<std::string> shortBlock = {"NAME    RO TYPE", "sda      0 disk", "sdb      1 part"};
    const std::vector<std::string> longBlock = {"AB CD  12", "EF GH  34", "IJ KL  56",
                                                "MN OP  78", "QR ST  90", "UV WX  11"};
    struct Case {
        const std::vector<std::string>* lines;
        bool byDirective;
        int separation;
        int columns;
    };
    const Case cases[] = {
        {&shortBlock, true, 1, 3},
        {&shortBlock, false, 2, 2},
        {&longBlock, true, 1, 3},
        {&longBlock, false, 2, 2},
    };
    for (const Case& c : cases) {
        set.ResetPolicies();  // as before every file
        SetUp();
        if (c.byDirective)
            set.SetMinColumnSeparation(1);
        else
            Config().SetInt(TabPol::MinColumnSeparation, 1);
        PreForm& block = Analyse(*c.lines);
        SCOPED_TRACE((*c.lines)[0] + (c.byDirective ? " (directive)" : " (policy)"));
        EXPECT_EQ(block.minimumSeparation, c.separation);
        EXPECT_EQ(block.columnCount, c.columns);
        EXPECT_EQ(Collected("Increasing min column separation"), !c.byDirective && c.lines == &longBlock);
    }
}

TEST_F(BlockAnalysisTest, ColumnsFoundAgainWithSeparationTwoMatchAFreshAnalysis) {
    // Separation 2 finds the columns of separation 1 again; the analysis
    // keeps the first pass's work, which must equal a block analysed with
    // separation 2 from the start.
    const std::vector<std::string> block = {
        "Name              Count   City",        "----------------  -----   --------------",
        "Alice Li             12   Oslo",        "Bo Chen           1,204   Rio de Janeiro",
        "Dolores Smith        7   Lyon",         "Emil Novak          305",
        "Fatima Haddad        44   Cape Town",   "Gregor Ivanov       9.5   Accra",
        "Hanna Petersen    2,000   Kuala Lumpur"};
    auto summary = [](const PreForm& engine) {
        std::vector<std::vector<int>> result;
        for (const auto& column : engine.columns)
            result.push_back({column->start, column->gapEnd, column->boundary, column->score,
                              column->typicalAlignment, column->typicalSpan, column->isConsistent,
                              column->isMostlyEmpty, column->isAlphanumeric, column->isSymbolic, column->isNumeric,
                              column->hasDominantValue, column->width, column->rtfWidth, column->alignments.samples,
                              column->spans.count, column->emptyCells.samples, column->numericCells.sumOfValues});
        for (int i = 0; i < engine.lineCount; ++i) {
            const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
            result.push_back({engine.FilledCellsOf(i).count, engine.FilledCellsOf(i).first,
                              static_cast<int>(line.hasSpanningCell), static_cast<int>(line.onlyLastCellFilled),
                              static_cast<int>(line.lastCellEmpty)});
        }
        result.push_back({engine.extraSpans, engine.spanningCells, engine.spanningLines, engine.looksLikeTable,
                          engine.isTextBlock, engine.looksLikeDiagram, engine.minimumSeparation, engine.mergeCount,
                          engine.columnCount, engine.cellRow.Count()});
        return result;
    };
    Analyse(block);
    ASSERT_TRUE(Collected("INFO: Increasing min column separation in table to 2 spaces"));
    const auto retried = summary(*engine);

    SetUp();
    Config().SetInt(TabPol::MinColumnSeparation, 2);
    Analyse(block);
    EXPECT_FALSE(Collected("Increasing"));
    EXPECT_EQ(summary(*engine), retried);
    EXPECT_GT(engine->columnCount, 2);
}

TEST_F(BlockAnalysisTest, TheMarginIsCutAndKeptAsTheBlockIndent) {
    PreForm& block = Analyse({"    alpha   10", "    beta    20", "    gamma   30"});
    EXPECT_EQ(block.leftMargin, 4);
    EXPECT_EQ(block.lines[0]->Layout().str(), "alpha   10");
    EXPECT_EQ(block.lines[0]->length, 10);
    EXPECT_EQ(block.longestLength, 10);
    EXPECT_EQ(block.columnCount, 2);
}

TEST_F(BlockAnalysisTest, CodeSamplesAreFoundOnlyWhenExpected) {
    const std::vector<std::string> code = {"int count = 0;", "for (i = 0; i < n; i++) {", "    count += i;", "}"};
    for (int expect : {1, 0}) {
        SetUp();
        set.SetInt(Pol::ExpectCodeSamples, expect);
        PreForm& block = Analyse(code);
        EXPECT_EQ(block.codeLineCount, 4 * expect);
        EXPECT_EQ(block.looksLikeCode, expect);
        EXPECT_EQ(Collected("INFO: Code sample detected"), expect == 1);
        if (expect) {
            EXPECT_EQ(block.looksLikeTable, 0);
        }
    }
}

TEST_F(BlockAnalysisTest, BarsMakeSeparatorColumnsThatAreNeverMerged) {
    PreForm& block = Analyse({"| Name  | Qty | Note |", "| apple |   3 |      |", "| pear  |  12 |      |",
                              "| plum  |   7 |      |", "| fig   |   1 |      |", "| lime  |   9 |      |"});
    EXPECT_EQ(block.separatorColumns, 1);
    EXPECT_EQ(block.mergeCount, 0);
    // The bars at both ends make no column of their own; the mostly empty
    // last column stays.
    EXPECT_EQ(Boundaries(), (std::vector<int>{8, 14, 21}));
    block.SplitLineIntoCells(&block.scratchRow, 1, 1);
    EXPECT_EQ(block.scratchRow.GetAt(0)->text.str(), "apple");
    EXPECT_EQ(block.scratchRow.GetAt(2)->text.str(), "");
    EXPECT_EQ(block.looksLikeTable, 1);
}

TEST_F(BlockAnalysisTest, AnIndentedSingleColumnBecomesTwoColumns) {
    const std::string indent(30, ' ');
    PreForm& block = Analyse({indent + "The quick brown fox jumps", indent + "over the lazy dog and runs",
                              indent + "far away into the woods."});
    EXPECT_EQ(block.isTextBlock, 1);
    EXPECT_EQ(block.looksLikeTable, 0);
    ASSERT_EQ(block.columnCount, 2);
    EXPECT_EQ(block.cellRow.Count(), 2);
    EXPECT_EQ(block.columns[0]->boundary, 29);
    EXPECT_EQ(block.columns[0]->isMostlyEmpty, 1);
    EXPECT_EQ(block.lines[1]->Layout().str(), indent + "over the lazy dog and runs");
    EXPECT_EQ(block.FilledCellsOf(1).first, 1);
    EXPECT_EQ(block.leftMargin, 0);
    EXPECT_EQ(block.smallestIndent, 0);
}

TEST_F(BlockAnalysisTest, ASingleColumnIsATextBlockFromAQuarterOfThePageWidth) {
    struct Case {
        int indent, pageWidth, textBlock, columns;
    };
    // A page width of 0 counts as 80; without a margin there is no indent
    // column to make, and the block stays one column of ordinary text.
    for (const Case& c : {Case{10, 80, 0, 1}, Case{10, 40, 1, 2}, Case{10, 0, 0, 1}, Case{0, 2, 0, 1}}) {
        SetUp();
        set.SetInt(Pol::PageWidth, c.pageWidth);
        const std::string indent(static_cast<size_t>(c.indent), ' ');
        PreForm& block = Analyse({indent + "The quick brown fox", indent + "jumps over the lazy dog"});
        EXPECT_EQ(block.isTextBlock, c.textBlock) << c.indent << " " << c.pageWidth;
        EXPECT_EQ(block.columnCount, c.columns) << c.indent << " " << c.pageWidth;
    }
}

TEST_F(BlockAnalysisTest, HeadingRuleAndValueAreAOneColumnTable) {
    PreForm& table = Analyse({"Total", "-----", "42"});
    EXPECT_EQ(table.columnCount, 1);
    EXPECT_EQ(table.ruleLineCount, 1);
    EXPECT_EQ(table.firstRuleLine, 1);
    EXPECT_EQ(table.looksLikeTable, 1);
    EXPECT_EQ(table.isShortList, 0);

    SetUp();
    EXPECT_EQ(Analyse({"Total", "of all"}).looksLikeTable, 0);
}

// A block of one column is a table of a row a line when it is a short list:
// three lines of text or more (rules aside), none wider than 40 positions
// once the margin is cut, and no blank line between them.  Longer lines,
// paragraphs apart and an indented column keep the rules of one column.
TEST_F(BlockAnalysisTest, AShortColumnOfLinesIsAList) {
    const std::string forty(40, 'x');
    const std::string indent(30, ' ');
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int list;
        int table;
        int textBlock = 0;
        int utf8 = 0;
    };
    const std::vector<Case> cases = {
        {"names", {"Name", "Alice", "Bob", "Carol"}, 1, 1},
        {"right-aligned names", {"   Name", "  Alice", "    Bob", "  Carol"}, 1, 1},
        {"a rule under the first line", {"Name", "----", "Alice", "Bob"}, 1, 1},
        {"three lines", {"a", "b", "c"}, 1, 1},
        {"two lines", {"a", "b"}, 0, 0},
        {"two lines and a rule", {"a", "b", "---"}, 0, 0},
        {"lines of 40 positions", {forty, forty, forty}, 1, 1},
        {"a line of 41", {forty, forty + "x", forty}, 0, 0},
        {"41 positions less the margin", {" " + forty, " " + forty, " " + forty}, 1, 1},
        {"blank lines around the list", {"", "a", "b", "c", "", ""}, 1, 1},
        {"a blank line between", {"a", "b", "", "c", "d"}, 0, 0},
        {"an indented column is a text block", {indent + "a", indent + "b", indent + "c"}, 0, 0, 1},
        {"a heading, a rule and a value", {"Total", "-----", "42"}, 0, 1},
        {"40 positions of UTF-8 text", {"caf\xC3\xA9" + std::string(36, 'e'), "b", "c"}, 1, 1, 0, 1},
        {"41 positions of UTF-8 text", {"caf\xC3\xA9" + std::string(37, 'e'), "b", "c"}, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        context.documentState.utf8Text = c.utf8;
        PreForm& block = Analyse(c.lines);
        EXPECT_EQ(block.columnCount, c.textBlock ? 2 : 1);
        EXPECT_EQ(block.isShortList, c.list);
        EXPECT_EQ(block.looksLikeTable, c.table);
        EXPECT_EQ(block.isTextBlock, c.textBlock);
        EXPECT_EQ(block.blankSeparatedRows, 0);
    }
}

// A list is a list however long it is: its length never turns it back
// into one cell.
TEST_F(BlockAnalysisTest, AListOfManyLinesIsStillAList) {
    for (const int lines : {3, 10001, 50000}) {
        SetUp();
        for (int i = 0; i < lines; ++i) Add("item" + std::to_string(i));
        engine->Analyse();
        EXPECT_EQ(engine->columnCount, 1) << lines;
        EXPECT_EQ(engine->isShortList, 1) << lines;
    }
}

// A column in which no line of text has a cell of its own (its only text
// is the part of a cell that runs on from or into a neighbour) joins the
// neighbour; every other column stays as it was.
TEST_F(BlockAnalysisTest, AColumnWithoutTextOfItsOwnJoinsItsNeighbour) {
    const std::vector<std::string> counts = {
        "Count  Name      City", "    5  Alice     Paris", "   12  Bob       Rome", "  130  Carol     Oslo",
        "   17  Dave      Lima", "    7  Eve       Bern",  "   64  Frank     Kiev", "  512  Grace     Riga"};
    std::vector<std::string> cpus = {"CPU NODE SOCKET CORE ONLINE"};
    for (int i = 0; i < 8; ++i)
        cpus.push_back("  " + std::to_string(i) + "    0      0    " + std::to_string(i) + " yes");
    std::vector<std::string> owned = counts;
    owned[3] = "x 130  Carol     Oslo";
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int row;  // a line and its cells
        std::vector<std::string> cells;
        int factor = 5;
        int sparse = 0;
    };
    const std::vector<Case> cases = {
        // Values right-aligned under a header that starts further left: the
        // blanks in front of them are no column.
        {"counts", counts, 0, {"Count", "Name", "City"}},
        {"counts' first row", counts, 1, {"5", "Alice", "Paris"}},
        // (CORE and ONLINE, a blank apart, are one column as ever.)
        {"processors", cpus, 1, {"0", "0", "0", "0 yes"}},
        {"ids under a dashed rule",
         {"id   name", "---  ----", "  0  a", "  1  b", "  2  c", "  3  d", "  4  e", "  5  f"},
         2,
         {"0", "a"}},
        {"ranks under a rule of =",
         {"Rank  Team        Points", "====  ==========  ======", "   1  Ajax            71",
          "   2  Feyenoord       68", "   3  PSV             64", "  10  Utrecht         41",
          "  11  Twente          39", "  12  Heracles        30"},
         2,
         {"1", "Ajax", "71"}},
        // A sparse table loses the empty column, and keeps its own empty cells.
        {"a sparse table",
         {"Count  Name      City", "    5  Alice     Paris", "   12            Rome", "  130  Carol",
          "   17  Dave      Lima", "    7            Bern", "   64  Frank     Kiev", "  512  Grace"},
         2,
         {"12", "", "Rome"},
         5,
         1},
        // Just off the rule: one line with a text of its own in the column,
        // or merging turned towards never, keep the empty cells.
        {"a text of its own", owned, 3, {"x", "130", "Carol", "Oslo"}},
        {"the column's own text stays apart", owned, 1, {"", "5", "Alice", "Paris"}},
        {"merging never", counts, 1, {"", "5", "Alice", "Paris"}, 1},
        // Bars part columns that keep their cells.
        {"bars", {"| CPU | NAME |", "|   0 | a    |", "|   1 | b    |", "|  12 | c    |"}, 1, {"0", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Config().SetInt(TabPol::MergingFactor, c.factor);
        Config().SetInt(TabPol::ExpectSparseTables, c.sparse);
        Analyse(c.lines);
        EXPECT_EQ(CellTexts(c.row), c.cells);
        EXPECT_EQ(engine->looksLikeTable, 1);
    }
}

// Where the text of each column stands, as the column statistics count it
// over the lines of text: cells of the column alone, and cells that run on
// over a boundary into the next column or from the one before.  Rule lines
// count nothing.
TEST_F(BlockAnalysisTest, TheColumnStatisticsSayWhoseTextAColumnHolds) {
    Add("one       two       three");
    Add("a long text running  here");
    Add("--------- --------- -----");
    Add("                    alone");
    Add("an even longer sentence runs on");
    Columns({9, 19});
    engine->AnalyseLineStatistics();
    engine->GatherColumnStatistics();
    struct Expected {
        int own, intoNext, fromPrevious;
    };
    const std::vector<Expected> expected = {{1, 2, 0}, {1, 1, 2}, {3, 0, 1}};
    for (size_t k = 0; k < expected.size(); ++k) {
        const PreFormColumn& column = *engine->columns[k];
        EXPECT_EQ(column.ownCells, expected[k].own) << k;
        EXPECT_EQ(column.cellsIntoNext, expected[k].intoNext) << k;
        EXPECT_EQ(column.cellsFromPrevious, expected[k].fromPrevious) << k;
    }
}

TEST_F(BlockAnalysisTest, ARuleLineHoldsRuleCharactersAndNoText) {
    // Each line follows a table line; only a line written as a rule without
    // losing text counts as a rule line.
    const std::string rule(100, '-');
    const std::string blanks(400, ' ');
    struct Case {
        std::string line;
        int ruleLines;
    } cases[] = {
        {"-----", 1},
        {"+-----+=====+", 1},
        {rule + "|", 1},  // a stray mark under 5%
        {rule + " Total", 0},  // a word after a long rule
        {rule + "9", 0},  // a digit
        {rule + "\xC3\xA9", 0},  // a non-ASCII character
        {blanks + "Whiteboard 0 Markup", 0},  // a word after a long run of blanks
        {blanks + "|", 0},  // no rule character at all
        {"|-------|-------|", 1},  // a rule drawn with borders
        {"+=======+=======+", 1},
        {"|:------|------:|", 1},  // a Markdown alignment row
        {"| ----- | Total |", 0},
    };
    for (const Case& c : cases) {
        SetUp();
        PreForm& block = Analyse({"Name    Units", c.line, "Alpha   12"});
        EXPECT_EQ(block.ruleLineCount, c.ruleLines) << c.line;
        EXPECT_EQ(block.lines[1]->isRuleLine, c.ruleLines) << c.line;
    }
}

// A line whose text begins with a letter, a digit or a byte beyond ASCII is
// told from a rule line by that byte alone; lines just off that road, and on
// it, must be judged as the rule test judges them.
TEST_F(BlockAnalysisTest, TheFirstByteOfALineTellsItFromARuleAsTheRuleTestDoes) {
    const std::string rule(30, '-');
    // clang-format off
    const std::vector<std::string> lines = {
        "a" + rule, "  Z" + rule, "9" + rule, "\xC3\xA9" + rule, "\t" + rule, " \t " + rule, "|" + rule + "|",
        "+" + rule + "+", ":" + rule, "_____", "~~~~~", "= = = = =", "*" + rule, "." + rule, rule + "a",
        rule, "   ", "", "|", "-", "- x", "  ----  ----"};
    // clang-format on
    for (const std::string& line : lines) Add(line);
    engine->AnalyseLineStatistics();
    for (size_t i = 0; i < lines.size(); ++i) {
        const PreFormLine& line = *engine->lines[i];
        const std::string_view text = line.Layout().view();
        const bool blank = text.find_first_not_of(" \t") == std::string_view::npos;
        EXPECT_EQ(line.isBlank, blank ? 1 : 0) << '"' << lines[i] << '"';
        EXPECT_EQ(line.isRuleLine, !blank && IsRuleText(text) ? 1 : 0) << '"' << lines[i] << '"';
    }
}

TEST_F(BlockAnalysisTest, ManySpanningCellsMakeAMalformedTable) {
    // Ten data lines in seven columns five positions apart; three lines run
    // text across three columns each (6 extra spans, 3 spanning cells), in
    // different columns so that no column's typical span changes.
    const std::string base = "a1   b1   c1   d1   e1   f1   g1";
    auto across = [&](size_t from, size_t to) {
        return base.substr(0, from) + std::string(to - from + 1, 'x') + base.substr(to + 1);
    };
    std::vector<std::string> lines(7, base);
    lines.push_back(across(5, 18));
    lines.push_back(across(15, 28));
    lines.push_back(across(0, 13));
    PreForm& block = Analyse(lines);
    EXPECT_EQ(block.columnCount, 7);
    EXPECT_EQ(block.extraSpans, 6);
    EXPECT_EQ(block.spanningCells, 3);
    EXPECT_TRUE(Collected("WARNING: Mal-formed table"));
    EXPECT_EQ(block.looksLikeDiagram, 1);
    EXPECT_EQ(block.looksLikeTable, 0);
}

TEST_F(BlockAnalysisTest, MailHeadersAndDiagramsAreRecognised) {
    Add("From: someone@example.com", kFlagDefault | kFlagHeaderLine);
    Add("To: another@example.com", kFlagDefault | kFlagHeaderLine);
    Add("Subject: the plan", kFlagDefault | kFlagHeaderLine);
    engine->Analyse();
    EXPECT_EQ(engine->looksLikeMailHeader, 1);
    EXPECT_EQ(engine->looksLikeTable, 0);

    SetUp();
    PreForm& drawing =
        Analyse({"    /\\      /\\", "   /  \\    /  \\", "  /    \\  /    \\", " /      \\/      \\"});
    EXPECT_EQ(drawing.looksLikeDiagram, 1);
    EXPECT_TRUE(Collected("INFO: Diagram detected"));
}

TEST_F(BlockAnalysisTest, DelimitedBlocksHaveAsManyColumnsAsTheWidestLine) {
    struct Case {
        char delimiter;
        std::vector<std::string> lines;
        int columns;
    };
    const std::vector<Case> cases = {
        // A comma inside quotes separates nothing; a doubled quote stays inside.
        {',', {"a,\"b,c\",d", "x,,y", "\"say \"\"hi, there\"\"\",1"}, 3},
        {',', {"one", "", "\"open, never closed"}, 1},
        // Quotes mean nothing between tabs.
        {'\t', {"a\t\"b\tc\"", "x"}, 3},
        {',', {std::string(3000, ',')}, 1024},
    };
    for (const Case& c : cases) {
        SetUp();
        engine->SetSpecialFormat(c.delimiter == ',' ? 8 : 7);
        engine->delimiter = c.delimiter;
        PreForm& block = Analyse(c.lines);
        EXPECT_EQ(block.columnCount, c.columns) << c.lines[0].substr(0, 20);
        EXPECT_EQ(block.cellRow.Count(), c.columns);
        EXPECT_GE(block.longestLength, 1);
    }
    // The width of a delimited column is its widest field.
    SetUp();
    engine->SetSpecialFormat(8);
    Analyse({"a,\"b,c\",dd", "xyz,,y"});
    EXPECT_EQ(engine->columns[0]->width, 3);
    EXPECT_EQ(engine->columns[1]->width, 3);
    EXPECT_EQ(engine->columns[2]->width, 2);
    // In display positions in UTF-8 text (a wide character takes two).
    SetUp();
    context.documentState.utf8Text = 1;
    engine->SetSpecialFormat(7);
    engine->delimiter = '\t';
    Analyse({"\xC3\xA4\t\xD0\x96\xD0\x96\xD0\x96", "\xE6\x97\xA5\xE6\x9C\xAC\tb"});
    EXPECT_EQ(engine->columns[0]->width, 4);
    EXPECT_EQ(engine->columns[1]->width, 3);
    context.documentState.utf8Text = 0;
}

// How often a frequency table holds `value`.
int Occurrences(const FrequencyTable& table, int value) {
    for (int i = 0; i < table.count; ++i)
        if (table.EntryAt(i)->value == value) return table.EntryAt(i)->occurrences;
    return 0;
}

// The cells after a delimited line's last field are counted together (a
// line costs its fields, not the table's columns), with what counting them
// one by one gives: per column its empty and filled cells and their spans
// over the data lines, and each line's cell flags.
TEST_F(BlockAnalysisTest, TheMissingCellsOfShortDelimitedLinesCountAsEmptyCells) {
    const std::vector<std::string> lines = {"h1\th2\th3\th4\th5", "a",    "",      "a\t\tc",  "a\tb\tc\td\te",
                                            "\t\t\t\tz",          "1\t2", "-----", "x\t \ty", "q"};
    engine->SetSpecialFormat(7);
    Analyse(lines);
    ASSERT_EQ(engine->columnCount, 5);
    std::vector<int> empty(5, 0), filled(5, 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        // The line's fields, trimmed: a cell holds text when its field does.
        std::vector<bool> text(5, false);
        size_t start = 0;
        for (int k = 0; k < 5 && start <= lines[i].size(); ++k) {
            const size_t end = std::min(lines[i].find('\t', start), lines[i].size());
            text[static_cast<size_t>(k)] = lines[i].find_first_not_of(" \t", start) < end;
            start = end + 1;
        }
        const int count = static_cast<int>(std::count(text.begin(), text.end(), true));
        const auto first = std::find(text.begin(), text.end(), true);
        const PreFormLine& line = *engine->lines[i];
        EXPECT_EQ(engine->FilledCellsOf(static_cast<int>(i)).count, count);
        EXPECT_EQ(engine->FilledCellsOf(static_cast<int>(i)).first,
                  first == text.end() ? -1 : static_cast<int>(first - text.begin()));
        EXPECT_EQ(line.lastCellEmpty, text[4] ? 0 : 1);
        EXPECT_EQ(line.onlyLastCellFilled, text[4] && count == 1 ? 1 : 0);
        if (line.isBlank || line.isRuleLine) continue;
        for (size_t k = 0; k < 5; ++k) ++(text[k] ? filled : empty)[k];
    }
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const PreFormColumn& column = *engine->columns[k];
        EXPECT_EQ(Occurrences(column.emptyCells, 1), empty[k]);
        EXPECT_EQ(Occurrences(column.emptyCells, 0), filled[k]);
        EXPECT_EQ(Occurrences(column.spans, 1), empty[k] + filled[k]);
        EXPECT_EQ(column.spans.samples, empty[k] + filled[k]);
        EXPECT_EQ(column.isMostlyEmpty, empty[k] * 4 > (empty[k] + filled[k]) * 3 ? 1 : 0);
    }
}

TEST_F(BlockAnalysisTest, EmptyAndBlankBlocksAreNoTables) {
    EXPECT_EQ(Analyse({}).looksLikeTable, 0);
    EXPECT_EQ(engine->longestLength, 1);
    SetUp();
    PreForm& blank = Analyse({"", "   ", ""});
    EXPECT_EQ(blank.looksLikeTable, 0);
    EXPECT_EQ(blank.columnCount, 0);
    EXPECT_EQ(blank.blankLineCount, 3);
}

TEST_F(BlockAnalysisTest, LinesGetTheirCellFlags) {
    Add("one       two       three");
    Add("                    alone");
    Add("a long text running  here");
    Add("first");
    Columns({9, 19});
    engine->AnalyseLineStatistics();
    engine->GatherColumnStatistics();
    struct Expected {
        int filled, first, spanning, onlyLast, lastEmpty;
    };
    const std::vector<Expected> expected = {{3, 0, 0, 0, 0}, {1, 2, 0, 1, 0}, {2, 0, 1, 0, 0}, {1, 0, 0, 0, 1}};
    for (size_t i = 0; i < expected.size(); ++i) {
        const PreFormLine& line = *engine->lines[i];
        EXPECT_EQ(engine->FilledCellsOf(static_cast<int>(i)).count, expected[i].filled) << i;
        EXPECT_EQ(engine->FilledCellsOf(static_cast<int>(i)).first, expected[i].first) << i;
        EXPECT_EQ(line.hasSpanningCell, expected[i].spanning) << i;
        EXPECT_EQ(line.onlyLastCellFilled, expected[i].onlyLast) << i;
        EXPECT_EQ(line.lastCellEmpty, expected[i].lastEmpty) << i;
    }
    EXPECT_EQ(engine->spanningCells, 1);
    EXPECT_EQ(engine->extraSpans, 1);
    EXPECT_EQ(engine->spanningLines, 1);
    // Widths in characters, and in twips in proportion to them.
    EXPECT_EQ(engine->columns[0]->width, 10);
    EXPECT_EQ(engine->columns[1]->width, 10);
    EXPECT_EQ(engine->columns[2]->width, 5);
    EXPECT_GT(engine->columns[2]->rtfWidth, 0);
    EXPECT_NEAR(engine->columns[0]->rtfWidth, 2 * engine->columns[2]->rtfWidth, 1);
}

// Per position, the blanks (and the positions past a line's end) and the
// separators are counted sixteen positions at a time where the processor
// can, in byte counters emptied every 255 lines: many lines of every length
// near sixteen bytes, with separators at the edges of the sixteen-byte
// groups, count as a plain reading of them does.
TEST_F(BlockAnalysisTest, PositionStatisticsCountEveryLine) {
    std::vector<std::string> lines;
    for (int i = 0; i < 700; ++i) {
        std::string line(static_cast<size_t>(1 + (i * 13) % 47), 'x');
        for (size_t p = 0; p < line.size(); ++p) {
            const int k = static_cast<int>((p * 5 + static_cast<size_t>(i)) % 9);
            if (k < 3) line[p] = ' ';
            if (k == 3) line[p] = '\t';
            if (k == 4 && i % 3 == 0) line[p] = '|';
            if (k == 5 && i % 4 == 0) line[p] = '*';
            if (k == 6) line[p] = i % 2 ? '-' : '=';
            if (k == 7) line[p] = '+';  // a separator after "-" or "="
        }
        if (i % 50 == 0) line = "a               -+              -+";  // "+" at positions 17 and 33
        line.back() = 'x';
        lines.push_back(line);
    }
    for (const std::string& line : lines) Add(line);
    engine->AnalyseLineStatistics();
    engine->GatherPositionStatistics();
    const int positions = static_cast<int>(engine->positionStatistics.size());
    ASSERT_EQ(positions, engine->longestLength);
    for (int p = 0; p < positions; ++p) {
        int blanks = 0;
        int separators = 0;
        for (const std::string& line : lines) {
            if (p >= static_cast<int>(line.size())) {
                ++blanks;
                continue;
            }
            const char c = line[static_cast<size_t>(p)];
            const char before = p > 0 ? line[static_cast<size_t>(p - 1)] : '\0';
            if (c == ' ' || c == '\t') ++blanks;
            if (c == '|' || c == '*' || (c == '+' && (before == '-' || before == '='))) ++separators;
        }
        const PositionStatistics& at = *engine->positionStatistics[static_cast<size_t>(p)];
        EXPECT_EQ(at.linesCounted, 700) << p;
        EXPECT_EQ(at.blankCount, blanks) << p;
        EXPECT_EQ(at.separatorCount, separators) << p;
    }
}

// A block of UTF-8 text counts each position as its twin of ASCII text (each
// character beyond ASCII an "x" for every position it takes): wide
// characters take two, combining marks none, and a "+" after a character
// beyond ASCII is no separator.  Lines are long enough to be counted sixteen
// bytes at a time, and more than 255 of them have blanks at the same place.
TEST_F(BlockAnalysisTest, PositionStatisticsOfUtf8TextCountDisplayPositions) {
    std::vector<std::string> utf8, twins;
    for (int i = 0; i < 600; ++i) {
        std::string line, twin;
        const int width = 20 + (i * 17) % 60;
        for (int p = 0; p < width; ++p) {
            const int k = (p * 7 + i) % 23;
            if (k < 5 || p == 12 || p == 13) {  // positions 12 and 13 blank on every line
                line += ' ', twin += ' ';
            } else if (k == 5) {
                line += i % 3 ? "\u00e9" : "\u0416", twin += 'x';
            } else if (k == 6 && p + 1 < width) {
                line += "\u6771", twin += "xx";
                ++p;
            } else if (k == 7) {
                line += "a\u0301", twin += 'a';
            } else if (k == 8) {
                line += i % 2 ? "-+" : "\u00e9+", twin += i % 2 ? "-+" : "x+";
                ++p;
            } else if (k == 9 && i % 3 == 0) {
                line += '|', twin += '|';
            } else if (k == 10) {
                line += '\t', twin += '\t';
            } else {
                line += 'y', twin += 'y';
            }
        }
        utf8.push_back(line + "z");
        twins.push_back(twin + "z");
    }
    auto statistics = [&](const std::vector<std::string>& lines) {
        engine = std::make_unique<PreForm>(nullptr, &set, nullptr);
        engine->tabConfig = set.GetDefaultTabConfig();
        for (const std::string& line : lines) Add(line);
        engine->AnalyseLineStatistics();
        engine->GatherPositionStatistics();
        std::vector<std::vector<int>> counts;
        for (const auto& at : engine->positionStatistics)
            counts.push_back({at->linesCounted, at->blankCount, at->separatorCount});
        return counts;
    };
    context.documentState.utf8Text = 1;
    const auto expected = statistics(twins);
    const auto counted = statistics(utf8);
    ASSERT_EQ(counted.size(), expected.size());
    for (size_t p = 0; p < expected.size(); ++p) EXPECT_EQ(counted[p], expected[p]) << p;
}

// A column is numeric when most of its filled cells are numbers to
// ClassifyDataValue, and symbolic when most of them hold more other
// characters than letters and digits.  A value made of digits, ",", "-" and
// "." that starts with a digit is a number without asking the
// classification, one that starts with a sign is not; a value with many
// letters is text.
TEST_F(BlockAnalysisTest, NumericAndSymbolicColumnsFollowTheirCells) {
    const struct {
        std::vector<std::string> lines;
        int numeric;
        int symbolic;
    } cases[] = {
        {{"a  1,234.50", "b  12-31", "c  7"}, 1, 0},
        {{"a  -5", "b  -7", "c  8"}, 0, 0},  // "-5" is text under the plain rules
        {{"a  5-", "b  7.", "c  x"}, 1, 0},
        {{"a  1994-02-28", "b  12/31", "c  9:30"}, 0, 0},
        {{"a  12345678901234567890x", "b  45%", "c  ok"}, 1, 0},
        {{"a  1a", "b  1234a", "c  Lyon"}, 0, 0},  // letters: text, a number, text
        {{"a  --", "b  ++", "c  **"}, 0, 1},
        // Cells longer than the counters of one pass hold are counted in parts.
        {{"a  " + std::string(2200000, '7'), "b  " + std::string(2200000, '7') + "xy", "c  z"}, 1, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const std::string& text : c.lines) Add(text);
        Columns({2});
        engine->AnalyseLineStatistics();
        engine->GatherColumnStatistics();
        EXPECT_EQ(engine->columns[1]->isNumeric, c.numeric) << c.lines[0].substr(0, 20);
        EXPECT_EQ(engine->columns[1]->isSymbolic, c.symbolic) << c.lines[0].substr(0, 20);
    }
}

TEST_F(BlockAnalysisTest, TiesInTheColumnStatisticsGoToTheSmallerValue) {
    // One left-aligned and one right-aligned cell: alignment 1 (left)
    // whichever comes first.
    for (const auto& order : {std::vector<std::string>{"left       x", "     right x"},
                              std::vector<std::string>{"     right x", "left       x"}}) {
        SetUp();
        for (const std::string& text : order) Add(text);
        Columns({10});
        engine->AnalyseLineStatistics();
        engine->GatherColumnStatistics();
        EXPECT_EQ(engine->columns[0]->alignments.count, 2);
        EXPECT_EQ(engine->columns[0]->typicalAlignment, 1);
    }
}

// The first column's labels are compared by hashes taken eight bytes at a
// time: labels that differ only in their last bytes, or only in length,
// are different labels.
TEST_F(BlockAnalysisTest, LongLabelsAreToldApartByEveryByte) {
    struct Case {
        std::vector<std::string> labels;
        int dominant;
    };
    const std::vector<Case> cases = {
        {{"Eastern Region 01", "Eastern Region 02", "Eastern Region 01"}, 1},
        {{"Eastern Region 01", "Eastern Region 02", "Eastern Region 03"}, 0},
        {{"Northern", "Northerx", "Northern"}, 1},
        {{"Northern", "Northerx", "Northera"}, 0},
        {{"Whole wheat", "Whole wheat1", "Whole wheat12"}, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        for (const std::string& label : c.labels) Add(label + std::string(20 - label.size(), ' ') + "x");
        Columns({19});
        engine->AnalyseLineStatistics();
        engine->GatherColumnStatistics();
        EXPECT_EQ(engine->columns[0]->hasDominantValue, c.dominant) << c.labels[1];
    }
}

TEST_F(BlockAnalysisTest, AFirstColumnOfRepeatedLabelsHasADominantValue) {
    struct Case {
        std::vector<std::string> lines;
        int dominant;
    };
    const std::vector<Case> cases = {
        {{"Yes   first", "Yes   second", "No    third"}, 1},
        {{"Yes   first", "No    second", "Maybe third", "Yes   fourth"}, 0},  // half is not more than half
        {{"Alpha first", "Beta  second", "Gamma third"}, 0},
        {{"Yes   only"}, 0},  // a single line repeats nothing
    };
    for (const Case& c : cases) {
        SetUp();
        for (const std::string& text : c.lines) Add(text);
        Columns({5});
        engine->AnalyseLineStatistics();
        engine->GatherColumnStatistics();
        EXPECT_EQ(engine->columns[0]->hasDominantValue, c.dominant) << c.lines[0];
        EXPECT_EQ(engine->columns[1]->hasDominantValue, 0);

        // The same labels as the first fields of a comma-delimited block.
        SetUp();
        for (const std::string& text : c.lines) Add(text.substr(0, 5) + "," + text.substr(6));
        engine->SetSpecialFormat(8);
        engine->Analyse();
        ASSERT_EQ(engine->columnCount, 2);
        EXPECT_EQ(engine->columns[0]->hasDominantValue, c.dominant) << c.lines[0] << " (delimited)";
    }
}

// The bounds: these must finish quickly (the benchmarks measure them); here
// only their results are checked.
TEST_F(BlockAnalysisTest, AWideRowOverShortRowsIsAnalysedWithinBounds) {
    std::string wide;
    for (int i = 0; i < 100000; ++i) wide += "ab ";
    Add(wide);
    for (int i = 0; i < 10000; ++i) Add("x y");
    engine->Analyse();
    EXPECT_EQ(engine->positionStatistics.size(), 4096u);
    EXPECT_LE(engine->columnCount, 256);
    EXPECT_EQ(engine->columns.back()->boundary, engine->longestLength - 1);
}

TEST_F(BlockAnalysisTest, ABlockWithTooManyColumnsIsNoTable) {
    std::string row;
    for (int i = 0; i < 300; ++i) row += "ab  ";
    for (int i = 0; i < 8; ++i) Add(row);
    engine->Analyse();
    EXPECT_EQ(engine->columnCount, 256);
    EXPECT_EQ(engine->looksLikeTable, 0);
}

TEST_F(BlockAnalysisTest, ALongLineAndManyRuleLinesAreAnalysed) {
    std::string line;
    while (line.size() < (10u << 20)) line += "word and  another ";
    Add(line);
    engine->Analyse();
    EXPECT_EQ(engine->positionStatistics.size(), 4096u);
    // The text beyond the positions belongs to the last column, whose RTF
    // width is bounded.
    EXPECT_GE(engine->columns.back()->width, engine->longestLength - 4096);
    EXPECT_EQ(engine->columns.back()->rtfWidth, 1000000);

    SetUp();
    for (int i = 0; i < 25000; ++i) {
        Add("--------------------------------");
        Add("Item " + std::to_string(i) + "    " + std::to_string(i * 7 % 1000));
    }
    engine->Analyse();
    EXPECT_EQ(engine->ruleLineCount, 25000);
    EXPECT_EQ(engine->firstRuleLine, 0);
    EXPECT_EQ(engine->secondRuleLine, 2);
    EXPECT_EQ(engine->lastRuleLine, 49998);
    EXPECT_EQ(engine->blankLineCount, 0);
}

TEST_F(BlockAnalysisTest, PositionsBlankButUnderRulesBelongToTheNextColumn) {
    struct Case {
        std::vector<std::string> lines;
        int row;  // a line and its cells
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        // A right-aligned first column under a rule with runs two blanks
        // apart: the margin stays (the rule starts at the left), and the
        // blanks in front of "id" are no column.
        {{"  id  name    city", "----  ------  ------", "   1  Jose    Porto", "   2  Ana     Lyon",
          "  13  Bo      Oslo"},
         2,
         {"1", "Jose", "Porto"}},
        {{"====  ======  ======", "  id  name    city", "====  ======  ======", "   1  Jose    Porto",
          "   2  Ana     Lyon", "   7  Ingrid  Bergen", "  13  Bo      Oslo", "  21  Chen    Xian",
          "  34  Zoe     Nice", "====  ======  ======"},
         1,
         {"id", "name", "city"}},
        // A column that only the rules draw, with no text under it.
        {{"------  ----  -----", "Name            Qty", "------  ----  -----", "apple             3",
          "------  ----  -----"},
         3,
         {"apple", "3"}},
    };
    for (const Case& c : cases) {
        SetUp();
        PreForm& block = Analyse(c.lines);
        SCOPED_TRACE(c.lines[static_cast<size_t>(c.row)]);
        EXPECT_EQ(CellTexts(c.row), c.cells);
        // No column is empty on every data line.
        for (const auto& column : block.columns) EXPECT_EQ(column->isConsistent, 0);
        EXPECT_EQ(block.looksLikeTable, 1);
    }
}

// A block whose text stands right of blank positions that only a rule runs
// over stays two columns, the first empty: a text block, not one column.
TEST_F(BlockAnalysisTest, AnIndentUnderARuleStaysTheTextBlocksFirstColumn) {
    PreForm& block = Analyse(
        {"------------   ------------", "               some words here", "               more words there"});
    EXPECT_EQ(block.columnCount, 2);
    EXPECT_EQ(block.isTextBlock, 1);
    EXPECT_EQ(block.columns[0]->isMostlyEmpty, 1);
}

// A "|" at the start or end of a cell is cut off only where it is a border:
// at a separator position, or first or last on a line of a block whose
// lines mostly begin and end with "|".  Any other is text.
TEST_F(BlockAnalysisTest, BarsAreCutOffOnlyWhereTheyAreBorders) {
    struct Case {
        std::vector<std::string> lines;
        int row;  // a line and its cells
        std::vector<std::string> cells;
        bool utf8 = false;
    };
    const std::vector<Case> cases = {
        {{"Cmd   Meaning", "----  -------", "|| x  or"}, 2, {"|| x", "or"}},
        {{"||/ Name     Version", "+++-========-========", "ii  adduser  3.134", "ii  apt      2.6.1",
          "ii  bash     5.2.15", "rc  cron     3.0"},
         0,
         {"||/", "Name", "Version"}},
        {{"| id | name |", "|----|------|", "| 1  | Jose |"}, 2, {"1", "Jose"}},
        // A grid with a rule between all rows: the outer bars stand on too
        // few lines for separators, but frame every line of text.
        {{"+----+------+", "| id | name |", "+====+======+", "|  1 | Jose |", "+----+------+", "|  2 | Ana  |",
          "+----+------+"},
         3,
         {"1", "Jose"}},
        // A "|" inside a box that no other line has there is text.
        {{"| a  | b   |", "| c  ||d   |", "| e  | f   |"}, 1, {"c", "|d"}},
        // Characters beyond ASCII before the bars: the bars' positions are
        // counted in characters.
        {{"| name    | city  |", "|---------|-------|", "| Jos\xC3\xA9    | Porto |", "| \xC3\x89mile   | Lyon  |"},
         3,
         {"\xC3\x89mile", "Lyon"},
         true},
    };
    for (const Case& c : cases) {
        SetUp();
        context.documentState.utf8Text = c.utf8;
        Analyse(c.lines);
        SCOPED_TRACE(c.lines[static_cast<size_t>(c.row)]);
        EXPECT_EQ(CellTexts(c.row), c.cells);
    }
}

}  // namespace

// A block of two columns whose lines alone decide the merge is merged
// before its statistics are gathered: the last column mostly empty, or else
// the first column's cells running on over the boundary on more than a
// fifth of the data lines.  At that bound, and with a line that the
// boundary alone cannot cut (a tag), the block is merged as its statistics
// decide.
TEST_F(BlockAnalysisTest, TwoColumnsAreMergedAtTheBoundsOfTheirStatistics) {
    struct Case {
        int filled;  // "abc 12": the second cell filled
        int spans;  // "abcde": the first cell runs on over the boundary
        int empty;  // "abc": the second cell empty
        int columns;  // after the analysis
    };
    const std::vector<Case> cases = {{8, 3, 5, 2},  {8, 4, 4, 1},  {20, 5, 0, 2},
                                     {20, 6, 0, 1}, {13, 7, 0, 1}, {16, 4, 1, 2}};
    for (const Case& c : cases) {
        for (const char* filled : {"abc 12", "abc [[B]]"}) {
            // The kinds of line spread over the block; the first filled
            // line as given.
            std::vector<std::string> block;
            const int total = c.filled + c.spans + c.empty;
            for (int k = 0; k < total; ++k) {
                const int at = k * 7 % total;
                block.push_back(at == 0                   ? filled
                                : at < c.filled           ? "abc 12"
                                : at < c.filled + c.spans ? "abcde"
                                                          : "abc");
            }
            SCOPED_TRACE(testing::Message() << c.filled << " filled, " << c.spans << " spanning, " << c.empty
                                            << " empty, first " << filled);
            SetUp();
            Analyse(block);
            EXPECT_EQ(engine->columnCount, c.columns);
            EXPECT_EQ(engine->mergeCount, 2 - c.columns);
            // The statistics describe the columns the block ends with.
            ASSERT_EQ(engine->columnCount, static_cast<int>(engine->columns.size()));
            EXPECT_EQ(engine->columns[0]->typicalSpan, 1);
            EXPECT_EQ(engine->FilledCellsOf(0).count, c.columns);  // the first line fills every cell
        }
    }
}
