#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/engine_fixture.h"
#include "support/recording_document.h"
#include "tables/preform.h"
#include "tables/row_record.h"
#include "tables/row_writers.h"

namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class TableParsingTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        context.trackers.codeLocation = 3;
    }

    // An engine holding `texts` in two columns (0-9 and 10 on), or in one,
    // with the line flags and rule-line positions the analysis would give
    // them.
    std::unique_ptr<PreForm> Engine(const std::vector<const char*>& texts, int columns = 2) {
        auto engine = EngineWithLines(texts);
        if (columns == 2) engine->AddColumn(0, 9, 9, -1);
        engine->AddColumn(columns == 2 ? 10 : 0, 40, 40, -1);
        engine->tabConfig = set.GetDefaultTabConfig();
        TableCellRow row;
        engine->filledCells.assign(static_cast<size_t>(engine->lineCount), PreForm::FilledCells{});
        for (int i = 0; i < engine->lineCount; ++i) {
            PreFormLine& line = *engine->lines[static_cast<size_t>(i)];
            const std::string layout = line.Layout().str();
            line.isBlank = layout.find_first_not_of(' ') == std::string::npos;
            line.isRuleLine = !line.isBlank && layout.find_first_not_of("-= ") == std::string::npos;
            if (line.isRuleLine) {
                (engine->ruleLineCount == 0 ? engine->firstRuleLine : engine->secondRuleLine) = i;
                ++engine->ruleLineCount;
            }
            engine->SplitLineIntoCells(&row, i, 1);
            for (int c = 0; c < row.Count(); ++c) {
                if (row.GetAt(c)->span > 1) line.hasSpanningCell = 1;
                if (row.GetAt(c)->text.IsEmpty()) continue;
                PreForm::FilledCells& filled = engine->filledCells[static_cast<size_t>(i)];
                if (filled.first < 0) filled.first = static_cast<int16_t>(c);
                ++filled.count;
            }
        }
        return engine;
    }

    // Puts a writer in place of the HTML row writer that keeps each row
    // record it is handed as a line: "H" for a header row, "D" for a data
    // row, then per written cell "|" and its text as the writer takes it,
    // its span after "*" when it spans more than one column, "#" for a
    // header column and "~" for a rule cell.
    static std::vector<std::string> RecordRows(PreForm& engine) {
        auto rows = std::make_shared<std::vector<std::string>>();
        engine.htmlRowWriter = [rows](const RowRecord& row, RowWriterContext&) {
            std::string line = row.headerRow ? "H" : "D";
            for (const CellRecord& cell : row.cells) {
                line += "|";
                line += cell.drawnRule ? std::string("<HR>") : cell.text->str();
                if (cell.span > 1) line += "*" + std::to_string(cell.span);
                if (cell.headerColumn) line += "#";
                if (cell.rule) line += "~";
            }
            rows->push_back(line);
        };
        engine.ParseTable(kParseTable);
        return *rows;
    }

    // The HTML written, lines joined without their indentation.
    std::string Html() const {
        std::string joined;
        for (std::string text : document.Texts()) joined += text.erase(0, text.find_first_not_of(' '));
        return joined;
    }
};

TEST_F(TableParsingTest, LinesBecomeRows) {
    struct Case {
        std::vector<const char*> lines;
        std::vector<std::pair<const char*, int>> counts;  // markup and how often it is written
        int parseType = 1, headerRows = 0, headerCols = 0, blankSeparated = 0;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // Lines with one filled cell continue the row.
        {{"Name      Value", "alpha     one", "          two", "          three", "beta      four"},
         {{"one<BR>two<BR>three</TD>", 1}, {"<TR", 3}}},
        // A rule under the first row makes it a header row, and no rule row.
        {{"Name      Value", "---------------", "alpha     one", "beta      two", "gamma     three"},
         {{"<TH", 2}, {"<TR", 4}, {"<HR", 0}}},
        // Rules in the body of an unbordered table become rule rows; a run
        // of them one heavy rule row.
        {{"a         1", "b         2", "c         3", "d         4", "---------------", "e         5"},
         {{"BORDER=0", 1}, {"<TD>\n\n<HR></TD>", 2}, {"<TR", 6}}},
        {{"a         1", "b         2", "c         3", "d         4", "-----------", "===========", "e         5"},
         {{"<TD><HR SIZE=5 NOSHADE></TD>", 2}, {"<HR", 2}, {"<TR", 6}}},
        // In a bordered table a blank line stays inside the row.
        {{"Name      Value", "---------------", "alpha     one", "", "          two", "beta      three"},
         {{"BORDER=2", 1}, {"one<BR><BR>two</TD>", 1}, {"<TR", 3}}},
        // A text block is one row; rules show in the later columns.
        {{"          first line", "          ----------", "          last line"},
         {{"<TR", 1}, {"first line<BR><HR NOSHADE><BR>last line", 1}},
         3},
        // Header rows count from the first line after the leading blanks.
        {{"", "h1        x", "h2        y", "h3        z", "d1        1", "d2        2"}, {{"<TH", 6}, {"<TD", 4}}, 1, 3},
        // Header columns apply without header rows.
        {{"alpha     one", "beta      two"}, {{"<TD><STRONG>", 2}, {"<TH", 0}}, 1, 0, 1},
        // A line with a spanning cell is a row of its own.
        {{"alpha     one", "Headings across", "          more", "beta      two"}, {{"COLSPAN=2", 1}, {"<TR", 4}}},
        {{"alpha     one", "          more", "", "Headings across", "", "beta      two", "Spanning heading"},
         {{"one<BR>more", 1}, {"COLSPAN=2", 2}, {"<TR", 4}},
         1, 0, 0, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        document.Clear();
        set.GetDefaultTabConfig()->SetInt(TabPol::HeaderRows, c.headerRows);
        set.GetDefaultTabConfig()->SetInt(TabPol::HeaderCols, c.headerCols);
        auto engine = Engine(c.lines);
        engine->isTextBlock = c.parseType == 3;
        engine->blankSeparatedRows = c.blankSeparated;
        engine->ParseTable(c.parseType);
        for (const auto& [markup, expected] : c.counts)
            EXPECT_EQ(Count(Html(), markup), expected) << markup << "\n" << Html();
        EXPECT_EQ(engine->leadingBlankCount, c.headerRows ? 1 : 0);
        // Only a change of span inside a row is ambiguous, not a row's first line.
        EXPECT_EQ(engine->messageText.str(),
                  c.blankSeparated ? "WARNING: Ambiguous ColSpan Creating new row at (6,0) was 1 now 2" : "");
    }
}

// The rows of LinesBecomeRows as the row records that the writers are
// handed, with the decision the table start made.
TEST_F(TableParsingTest, LinesBecomeRowRecords) {
    struct Case {
        const char* what;
        std::vector<const char*> lines;
        std::vector<std::string> rows;
        bool hasHeader = false, bordered = false;
        int headerRows = 0, headerCols = 0, blankSeparated = 0;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"lines with one filled cell continue the row",
         {"Name      Value", "alpha     one", "          two", "          three", "beta      four"},
         {"D|Name|Value", "D|alpha|one<BR>two<BR>three", "D|beta|four"}, false, true},
        {"a rule under the first row makes it a header row",
         {"Name      Value", "---------------", "alpha     one", "beta      two", "gamma     three"},
         {"H|Name|Value", "D|alpha|one", "D|beta|two", "D|gamma|three"}, true, true},
        {"a rule in the body of an unbordered table is a rule row",
         {"a         1", "b         2", "c         3", "d         4", "---------------", "e         5"},
         {"D|a|1", "D|b|2", "D|c|3", "D|d|4", "D|<HR>~|<HR>~", "D|e|5"}},
        {"a run of rules is one heavy rule row",
         {"a         1", "b         2", "c         3", "d         4", "-----------", "===========", "e         5"},
         {"D|a|1", "D|b|2", "D|c|3", "D|d|4", "D|<HR SIZE=5 NOSHADE>~|<HR SIZE=5 NOSHADE>~", "D|e|5"}},
        {"in a bordered table a blank line stays inside the row",
         {"Name      Value", "---------------", "alpha     one", "", "          two", "beta      three"},
         {"H|Name|Value", "D|alpha<BR>|one<BR><BR>two", "D|beta|three"}, true, true},
        {"header rows count from the first line after the leading blanks",
         {"", "h1        x", "h2        y", "h3        z", "d1        1", "d2        2"},
         {"H|h1|x", "H|h2|y", "H|h3|z", "D|d1|1", "D|d2|2"}, true, true, 3},
        {"header columns apply without header rows",
         {"alpha     one", "beta      two"}, {"D|alpha#|one", "D|beta#|two"}, false, false, 0, 1},
        {"a line with a spanning cell is a row of its own",
         {"alpha     one", "Headings across", "          more", "beta      two"},
         {"D|alpha|one", "D|Headings across*2", "D||more", "D|beta|two"}, false, true},
        // The line break goes in before the text that follows it: a cell
        // left without more text keeps it (the cell writer formats it).
        {"blank-separated rows: a change of span starts a new row",
         {"alpha     one", "          more", "", "Headings across", "", "beta      two", "Spanning heading"},
         {"D|alpha<BR>|one<BR>more", "D|Headings across*2", "D|beta|two", "D|Spanning heading*2"}, false, true, 0, 0,
         1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        document.Clear();
        set.GetDefaultTabConfig()->SetInt(TabPol::HeaderRows, c.headerRows);
        set.GetDefaultTabConfig()->SetInt(TabPol::HeaderCols, c.headerCols);
        auto engine = Engine(c.lines);
        engine->blankSeparatedRows = c.blankSeparated;
        EXPECT_EQ(RecordRows(*engine), c.rows);
        const TableDecision& decision = engine->tableDecision;
        EXPECT_EQ(decision.header.hasHeader, c.hasHeader);
        if (c.hasHeader) {
            EXPECT_EQ(engine->headerRowCount, decision.header.headerRowCount);
        }
        EXPECT_EQ(decision.bordered, c.bordered);
        EXPECT_EQ(engine->headerColumnCount, c.headerCols);
    }
}

// A table of one column is one cell of its lines, but for a short list,
// whose lines are rows (a rule under the first makes it a header row).
TEST_F(TableParsingTest, AShortListHasARowForEachLine) {
    struct Case {
        const char* what;
        std::vector<const char*> lines;
        int list;
        std::vector<std::string> rows;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"a list", {"Name", "Alice", "Bob", "Carol"}, 1, {"D|Name", "D|Alice", "D|Bob", "D|Carol"}},
        {"a list under a rule", {"Name", "----", "Alice", "Bob", "Carol"}, 1, {"H|Name", "D|Alice", "D|Bob", "D|Carol"}},
        {"a column of text", {"Name", "Alice", "Bob", "Carol"}, 0, {"D|Name<BR>Alice<BR>Bob<BR>Carol"}},
        {"a column of text under a rule", {"Name", "----", "Alice", "Bob", "Carol"}, 0,
         {"H|Name", "D|Alice<BR>Bob<BR>Carol"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        document.Clear();
        auto engine = Engine(c.lines, 1);
        engine->isShortList = c.list;
        EXPECT_EQ(RecordRows(*engine), c.rows);
    }
}

// A line whose one filled cell continues the row is read for that cell's
// text alone; the rows, texts and messages are those of a split of the
// whole line, also where the line is just off that road (text in two
// cells, a line the statistics counted otherwise, escaping, an unbalanced
// tag end, text beyond the columns with tabs in it).
TEST_F(TableParsingTest, LinesThatContinueACellAreReadForThatCellAlone) {
    struct Case {
        const char* what;
        std::vector<const char*> lines;
        std::vector<std::string> rows;
        std::string messages;
        int joinedFrom = -1;
        int miscounted = -1;  // a line whose statistics say one filled cell in the first column
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"continued cells in either column",
         {"alpha     one", "          two & <b>", "more", "beta      four"},
         {"D|alpha<BR>more|one<BR>two &amp; &lt;b&gt;", "D|beta|four"}, ""},
        {"a line with text in two cells starts a row",
         {"alpha     one", "          two", "gamma     three"}, {"D|alpha|one<BR>two", "D|gamma|three"}, ""},
        {"a line counted with one filled cell that holds two",
         {"alpha     one", "beta      two", "          three"}, {"D|alpha<BR>beta|one<BR>three"}, "", -1, 1},
        {"an unbalanced tag end in a continued cell",
         {"alpha     one", "          two ]] x"},
         {"D|alpha|one<BR>two ]] x"}, "INFO: Unbalanced tag delimiter inside table cell :\"]]\""},
        {"continued texts around six bytes, and one that reads as an empty cell's",
         {"alpha     one", "          sixsix", "          seven77", "          five5", "          &nbsp;"},
         {"D|alpha|one<BR>sixsix<BR>seven77<BR>five5<BR>&amp;nbsp;"}, ""},
        {"text beyond the columns in a continued last cell",
         {"alpha     one", "          two\tand\tmore"},
         {"D|alpha|one<BR>two and more"},
         "WARNING: Columns beyond 0 joined into the last cell from line -1",
         12},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        document.Clear();
        auto engine = Engine(c.lines);
        engine->columnCut.joinedFrom = c.joinedFrom;
        if (c.miscounted >= 0) engine->filledCells[static_cast<size_t>(c.miscounted)] = PreForm::FilledCells{1, 0};
        EXPECT_EQ(RecordRows(*engine), c.rows);
        EXPECT_EQ(engine->messageText.str(), c.messages);
    }
}

TEST_F(TableParsingTest, ContinuedCellsAreCutWithThePoliciesOfTheirRow) {
    struct Case {
        const char* what;
        const char* policy;  // a CHANGE_POLICY line before the second row, if any
        const char* continued;
        std::string messages;
    };
    const std::vector<Case> cases = {
        {"the delimiters of the table's start", nullptr, "          three ]] x",
         "INFO: Unbalanced tag delimiter inside table cell :\"]]\""},
        {"the end delimiter changed for the second row", "$_$_CHANGE_POLICY End tag delimiter : }}",
         "          three ]] x", ""},
        {"the changed end delimiter is found", "$_$_CHANGE_POLICY End tag delimiter : }}", "          three }} x",
         "INFO: Unbalanced tag delimiter inside table cell :\"}}\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        set.SetText(Pol::EndTagDelimiter, "]]", false);
        auto engine = Engine({"alpha     one"});
        auto add = [&](const char* text, bool policy, PreForm::FilledCells filled) {
            AnalysedLine line;
            line.SetText(text);
            if (policy) line.lineType = line.tagCode = kStatementChangePolicy;
            engine->AddLine(line);
            engine->filledCells.push_back(filled);
        };
        // The policy line waits for the first row to end, which the second
        // row's two cells do; the third line continues the second cell.
        if (c.policy) add(c.policy, true, PreForm::FilledCells{});
        add("beta      two", false, PreForm::FilledCells{2, 0});
        add(c.continued, false, PreForm::FilledCells{1, 1});
        const std::string continued = std::string(c.continued).substr(10);
        EXPECT_EQ(RecordRows(*engine), (std::vector<std::string>{"D|alpha|one", "D|beta|two<BR>" + continued}));
        EXPECT_EQ(engine->messageText.str(), c.messages);
    }
}

TEST_F(TableParsingTest, TrialGivesUpTheDefinitionListForLongTerms) {
    struct Case {
        std::vector<const char*> lines;
        int dominant, expected;
    };
    const std::vector<Case> cases = {
        {{"term      definition", "          goes on", "next      one"}, 0, 1},
        {{"term      definition", "goes on", "next      one"}, 0, 0},
        // A header row above a rule near the top may hold two lines.
        {{"Long      Value", "name", "---------------", "term      def"}, 0, 1},
        {{"term      definition", "next      one"}, 1, 0},
    };
    for (const Case& c : cases) {
        auto engine = Engine(c.lines);
        engine->columns[0]->hasDominantValue = c.dominant;
        engine->canUseDefinitionList = 1;
        engine->ParseTable(0);
        EXPECT_EQ(engine->canUseDefinitionList, c.expected) << c.lines[1];
    }
    EXPECT_TRUE(document.entries.empty()) << Html();
}

TEST_F(TableParsingTest, CellLineBreakFollowsTheOutput) {
    struct Case {
        int parseType, html, definitionList;
        const char* expected;
    };
    for (const Case& c :
         {Case{1, 1, 0, "a<BR>"}, Case{1, 0, 0, "a\\par "}, Case{2, 0, 1, "a\\line "}, Case{0, 1, 0, "a"}}) {
        auto engine = Engine({"a"});
        engine->htmlOutput = c.html;
        engine->rtfOutput = !c.html;
        engine->canUseDefinitionList = c.definitionList;
        TableCell* cell = engine->cellRow.GetAt(0);
        cell->text = "a";
        engine->AddCellLineBreak(c.parseType, 0);  // a cell without lines needs none
        cell->lineCount = 1;
        engine->AddCellLineBreak(c.parseType, 0);
        EXPECT_EQ(cell->text.str(), c.expected);
    }
}

TEST_F(TableParsingTest, PolicyLineIsAppliedAndDirectiveLinesAreNoRows) {
    auto engine = Engine({"alpha     one", "beta      two"});
    for (int type : {kStatementChangePolicy, kStatementEndBlock}) {
        AnalysedLine directive;
        directive.SetText(type == kStatementChangePolicy ? "$_$_CHANGE_POLICY Page Width : 60" : "$_$_END_BLOCK");
        directive.lineType = directive.tagCode = type;
        engine->AddLine(directive);
        engine->filledCells.push_back(PreForm::FilledCells{1, 0});
    }
    engine->ParseTable(1);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 60);
    EXPECT_EQ(Count(Html(), "$_$_"), 0) << Html();
    EXPECT_EQ(Count(Html(), "<TR"), 2) << Html();
}

}  // namespace
