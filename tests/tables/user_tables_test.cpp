#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/engine_fixture.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"
#include "tables/preform.h"
#include "tables/user_tables.h"

namespace {

namespace fs = std::filesystem;

const fs::path kUserTableFolder = fs::path(VENDREL_TEST_DATA_DIR) / "user_tables";

int Occurrences(const std::string& text, const std::string& piece) {
    int count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
    return count;
}

// A head row and two data rows of three cells each.
// clang-format off
const std::vector<const char*> kSmallTable = {
    "$_$_NEW_ROW head", "$_$_NEW_CELL", "Name", "$_$_NEW_CELL", "Age", "$_$_NEW_CELL", "Town",
    "$_$_NEW_ROW",      "$_$_NEW_CELL", "Ann",  "$_$_NEW_CELL", "31",  "$_$_NEW_CELL", "Leeds",
    "$_$_NEW_ROW data", "$_$_NEW_CELL", "Bob",  "$_$_NEW_CELL", "42",  "$_$_NEW_CELL", "York",
};
// clang-format on

class UserTableTest : public EngineFixture {
protected:
    void UseRtf() {
        context.documentState.htmlOutput = 0;
        context.documentState.rtfOutput = 1;
        context.outputFormat = 1;
    }
    // Writes the lines as a user table (format code 5); the output lines
    // joined by newlines.
    std::string Convert(const std::vector<const char*>& texts) {
        auto engine = EngineWithLines(texts);
        engine->Process(5);
        return document.Joined("\n");
    }
    std::string AllMessages() const {
        std::string joined;
        for (const std::string& message : messages.Messages()) joined += message + "\n";
        return joined;
    }
    // An engine of a table `columns` wide, for placing hand-made grids.
    std::unique_ptr<PreForm> Placer(int columns) {
        auto engine = std::make_unique<PreForm>(&document, &set, nullptr);
        engine->userTable.columns = columns;
        return engine;
    }
    static void AddCell(UserTableGrid& grid, int row, int column, const char* text, int span = 1, int rowSpan = 1) {
        TableCell* cell = grid.Add(nullptr, row, column, SourcePosition(), nullptr);
        cell->text = text;
        cell->span = span;
        cell->rowSpan = rowSpan;
    }
};

TEST_F(UserTableTest, HeadAndDataRowsGiveOneTableOfHeaderAndDataCells) {
    const std::string html = Convert(kSmallTable);
    EXPECT_EQ(Occurrences(html, "<!-- User-specified TAGGED TABLE -->"), 1) << html;
    EXPECT_EQ(Occurrences(html, "<!-- end of user-specified TAGGED TABLE -->"), 1);
    EXPECT_EQ(Occurrences(html, "<TABLE ID=\"table_0\" BORDER=0 CELLSPACING=0 CELLPADDING=0>"), 1) << html;
    EXPECT_EQ(Occurrences(html, "<TR VALIGN=\"BOTTOM\">"), 1);
    EXPECT_EQ(Occurrences(html, "<TH"), 3);
    EXPECT_EQ(Occurrences(html, "<TD"), 6);
    EXPECT_NE(html.find(">Name</TH>"), std::string::npos) << html;
    EXPECT_NE(html.find(">York</TD>"), std::string::npos) << html;
    EXPECT_TRUE(messages.Messages().empty()) << AllMessages();
    // The policy set's default configuration is left as it was found.
    EXPECT_EQ(set.GetDefaultTabConfig()->columnCount, 0);
}

TEST_F(UserTableTest, AHeadRowAfterDataRowsStartsAnotherTableInTheSameBlock) {
    std::vector<const char*> two = kSmallTable;
    two.insert(two.end(), kSmallTable.begin(), kSmallTable.end());
    const std::string html = Convert(two);
    // One TABLE holds both sections: the second head row restarts the rows.
    EXPECT_EQ(Occurrences(html, "<TABLE"), 1);
    EXPECT_EQ(Occurrences(html, "<TH"), 6);
    EXPECT_EQ(Occurrences(html, "<TD"), 12);
}

TEST_F(UserTableTest, MisplacedDirectivesAndLooseTextAreReported) {
    struct Case {
        std::vector<const char*> lines;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"$_$_NEW_ROW line", "$_$_NEW_CELL", "x"}, "TAG ERROR: Can't place NEW_CELL tag here"},
        {{"$_$_NEW_CELL", "x"}, "TAG ERROR: Can't place NEW_CELL tag here"},
        {{"$_$_NEW_ROW", "$_$_NEW_CELL", "x", "$_$_TITLE A title"},
         "TAG ERROR: Ignoring directive in user table - $_$_TITLE A title"},
        {{"Intro", "$_$_NEW_ROW", "$_$_NEW_CELL", "x"}, "TAG ERROR: No NEW_CELL definition for \"Intro\""},
        {{"$_$_NEW_ROW", "$_$_NEW_CELL", "x", "$_$_NEW_ROW", "stray", "$_$_NEW_CELL", "y"},
         "TAG ERROR: No NEW_CELL definition for \"stray\""},
        {{"$_$_COLUMN_DETAILS 1, a, b, L, wide", "$_$_NEW_ROW", "$_$_NEW_CELL", "x"},
         "TAG ERROR: Unable to read column width"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        document.Clear();
        Convert(c.lines);
        EXPECT_EQ(Occurrences(AllMessages(), c.message), 1) << c.message << "\n" << AllMessages();
    }
}

TEST_F(UserTableTest, TextBeforeTheFirstCellIsWrittenBeforeTheTable) {
    const std::string html = Convert({"Intro  <text>", "second line", "$_$_NEW_ROW", "$_$_NEW_CELL", "x"});
    const size_t paragraph = html.find("<P CLASS=\"pretable\">Intro &lt;text&gt; second line</P>");
    ASSERT_NE(paragraph, std::string::npos) << html;
    EXPECT_LT(paragraph, html.find("<!-- User-specified TAGGED TABLE -->"));

    // RTF has no paragraph class; the text still comes before the table.
    document.Clear();
    UseRtf();
    const std::string rtf = Convert({"Intro {text}", "$_$_NEW_ROW", "$_$_NEW_CELL", "x"});
    EXPECT_EQ(rtf.find("Intro \\'7btext\\'7d\\par\n{\n"), 0u) << rtf;
}

TEST_F(UserTableTest, ALineRowIsARuleAcrossAllColumns) {
    const std::string html = Convert({"$_$_NEW_ROW", "$_$_NEW_CELL", "a", "$_$_NEW_CELL", "b", "$_$_NEW_ROW line",
                                      "$_$_NEW_ROW", "$_$_NEW_CELL", "c", "$_$_NEW_CELL", "d"});
    EXPECT_NE(html.find(" COLSPAN=2"), std::string::npos) << html;
    EXPECT_NE(html.find("><HR NOSHADE></TD>"), std::string::npos) << html;
    EXPECT_EQ(Occurrences(html, "<TR"), 3);

    // A LINERULE directive inside a cell is a rule within the cell.
    document.Clear();
    const std::string ruled = Convert({"$_$_NEW_ROW", "$_$_NEW_CELL", "above", "$_$_LINERULE", "below"});
    EXPECT_NE(ruled.find(">above <HR NOSHADE"), std::string::npos) << ruled;
    EXPECT_EQ(Occurrences(ruled, "<BR>"), 1) << ruled;
}

TEST_F(UserTableTest, ColumnWidthsReadTheirUnits) {
    struct Case {
        const char* text;
        bool valid;
        int points;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"1in", true, 72},    {"2.54cm", true, 72}, {"0.5 ins", true, 36}, {"12pt", true, 12},
        {"30 PTS", true, 30}, {"40", true, 40},     {"5mm", false, 0},     {"", false, 0},
        {"in", false, 0},     {"1e9in", false, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        int points = -1;
        EXPECT_EQ(ParseUserColumnWidth(TextString(c.text), &points), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(points, c.points) << c.text;
        }
    }
}

TEST_F(UserTableTest, ColumnDetailsSetTheAlignmentAndWidthOfAColumn) {
    const std::string html =
        Convert({"$_$_COLUMN_DETAILS 2, x, y, R, 1in", "$_$_NEW_ROW", "$_$_NEW_CELL", "a", "$_$_NEW_CELL", "b"});
    // 72 points are written as 96 HTML units.
    EXPECT_NE(html.find("<TD WIDTH=96 ALIGN=\"RIGHT\">b</TD>"), std::string::npos) << html;
}

TEST_F(UserTableTest, PlacingFindsOverlapsAndDropsOrClipsWhatDoesNotFit) {
    struct Case {
        int columns;
        std::vector<std::vector<int>> cells;  // row, column, span, row span
        int placed;
        const char* message;
    };
    const std::vector<Case> cases = {
        {2, {{1, 1, 2, 1}, {1, 2, 1, 1}}, 1, "ERROR: Data overlap at cell (1,2)"},
        {2, {{1, 1, 1, 2}, {2, 1, 1, 1}}, 1, "ERROR: Data overlap at cell (2,1)"},
        {2,
         {{-1, 1, 1, 1}, {0, 2, 1, 1}, {1, 1, 2, 1}},
         1,
         "WARNING: Negative row numbers -1:0 will be discarded!!"},
        {2, {{-3, 1, 1, 1}}, 0, "WARNING: Negative row numbers -3:0 will be discarded!!"},
        {3, {{1, 2, 9, 1}}, 1, "WARNING: Cell (1,2) spans past the last column - column span cut to 2"},
        {3, {{1, 1, 1, 5}, {2, 2, 1, 1}}, 1, "WARNING: Cell (1,1) spans past the last row - row span cut to 2"},
        {3, {{1, 1, 1, 1}}, 1, "WARNING: Only found data for 1 of the expected 3 columns"},
    };
    for (const Case& c : cases) {
        auto engine = Placer(c.columns);
        UserTableGrid grid;
        for (const std::vector<int>& cell : c.cells) AddCell(grid, cell[0], cell[1], "x", cell[2], cell[3]);
        EXPECT_EQ(engine->PlaceUserTableCells(&grid, 0), c.placed) << c.message;
        EXPECT_NE(engine->messageText.str().find(c.message), std::string::npos) << c.message << "\n"
                                                                                << engine->messageText.str();
        // Every covered position of the map is inside the grid and the map.
        for (const std::unique_ptr<TableCell>& cell : grid.cells) {
            EXPECT_GE(cell->row, 1);
            EXPECT_LE(cell->column + cell->span - 1, grid.width);
            EXPECT_LE(cell->row + cell->rowSpan - 1, grid.lastRow);
        }
    }
}

TEST_F(UserTableTest, TheMapKeepsTheFirstClaimAndCostsOnlyItsCells) {
    // A million rows by a million columns would not fit a map of every
    // position.
    auto engine = Placer(1000000);
    UserTableGrid grid;
    AddCell(grid, 1, 1, "first", 3);
    AddCell(grid, 1, 2, "second", 3);
    AddCell(grid, 1000000, 1000000, "far");
    ASSERT_EQ(engine->PlaceUserTableCells(&grid, 0), 1);
    EXPECT_EQ(grid.OwnerAt(1, 3), 0);  // the first cell keeps what it claimed
    EXPECT_EQ(grid.OwnerAt(1, 4), 1);  // the second has the rest of its area
    EXPECT_EQ(grid.OwnerAt(1, 5), -1);
    EXPECT_EQ(grid.OwnerAt(1000000, 1000000), 2);
    EXPECT_EQ(grid.OwnerAt(500000, 1), -1);
}

TEST_F(UserTableTest, EmptyGridsAreDiscardedAndRowSpansWrittenOnce) {
    auto engine = Placer(2);
    UserTableGrid empty;
    AddCell(empty, 1, 1, " <BR> ");
    AddCell(empty, 1, 2, "");
    EXPECT_EQ(engine->PlaceUserTableCells(&empty, 0), 0);
    EXPECT_NE(engine->messageText.str().find("WARNING: Empty data section detected - discarding (2 cells)"),
              std::string::npos);

    // A cell two rows high covers the first column of the second row.
    engine->tabConfig = set.GetDefaultTabConfig();
    UserTableGrid grid;
    AddCell(grid, 1, 1, "tall", 1, 2);
    AddCell(grid, 1, 2, "b");
    AddCell(grid, 2, 2, "c");
    ASSERT_EQ(engine->PlaceUserTableCells(&grid, 0), 1);
    engine->OutputUserTableRows(&grid, 0);
    const std::string html = document.Joined("\n");
    EXPECT_EQ(Occurrences(html, "<TD"), 3) << html;
    EXPECT_EQ(Occurrences(html, " ROWSPAN=2"), 1) << html;
}

TEST_F(UserTableTest, WideRtfTablesAreFittedToThePage) {
    // A4 with 1800-twip margins: 8306 twips of text, 11906 of paper, 16838
    // of paper height.  The columns are 3 equal widths; the table starts
    // 108 twips left of the margin.
    struct Case {
        int columnPoints;
        bool landscapePolicy;
        const char* message;
        bool landscapeSection;
    };
    const std::vector<Case> cases = {
        {150, false, "WARNING: Adjusting margin to fit table", false},
        {220, false, "WARNING: Setting table in Landscape mode", true},
        {260, false, "WARNING: Switch to Landscape and adjusting margin to fit table", true},
        {300, false, "ERROR: Table won't fit, even in Landscape.  Choose a smaller table font", true},
        {300, true, "ERROR: Table won't fit, even in Landscape.  Choose a smaller table font", false},
        {100, false, nullptr, false},
    };
    UseRtf();
    for (const Case& c : cases) {
        messages.Clear();
        document.Clear();
        set.SetInt(Pol::UseLandscapeMode, c.landscapePolicy ? 1 : 0);
        const std::string width = std::to_string(c.columnPoints);
        std::vector<std::string> texts;
        for (const char* column : {"1", "2", "3"})
            texts.push_back(std::string("$_$_COLUMN_DETAILS ") + column + ", a, b, L, " + width + "pt");
        texts.push_back("$_$_NEW_ROW");
        for (const char* cell : {"a", "b", "c"}) {
            texts.push_back("$_$_NEW_CELL");
            texts.push_back(cell);
        }
        std::vector<const char*> lines;
        for (const std::string& text : texts) lines.push_back(text.c_str());
        const std::string rtf = Convert(lines);
        if (c.message)
            EXPECT_EQ(Occurrences(AllMessages(), c.message), 1) << c.columnPoints << "\n" << AllMessages();
        else
            EXPECT_TRUE(messages.Messages().empty()) << AllMessages();
        EXPECT_EQ(Occurrences(rtf, "\\sectd \\lndscpsxn\\psz9\\pgwsxn16838\\pghsxn11906\\marglsxn1800"),
                  c.landscapeSection ? 1 : 0)
            << rtf;
        EXPECT_EQ(Occurrences(rtf, "\\sectd \\pgwsxn11906\\pghsxn16838"), c.landscapeSection ? 1 : 0) << rtf;
    }
}

// A table of three rows and three columns (a head row, a rule across the
// table, a data row), compared with the expected HTML and RTF output.
TEST_F(UserTableTest, ThreeByThreeTableGivesTheExpectedOutput) {
    const bool regenerate = std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr;
    std::vector<std::string> texts;
    {
        std::istringstream input(ReadWhole(kUserTableFolder / "three_by_three.txt"));
        for (std::string line; std::getline(input, line);) texts.push_back(line);
    }
    ASSERT_FALSE(texts.empty());
    std::vector<const char*> lines;
    for (const std::string& text : texts) lines.push_back(text.c_str());
    for (const char* format : {"html", "rtf"}) {
        SCOPED_TRACE(format);
        document.Clear();
        messages.Clear();
        if (std::string(format) == "rtf") UseRtf();
        const std::string actual = Convert(lines) + "\n";
        const fs::path expected = kUserTableFolder / (std::string("three_by_three.") + format);
        if (regenerate) {
            std::ofstream(expected, std::ios::binary) << actual;
        } else {
            EXPECT_EQ(actual, ReadWhole(expected));
        }
        EXPECT_TRUE(messages.Messages().empty()) << AllMessages();
    }
}

}  // namespace

void IgnoreStatus(const char*) {}

// The whole conversion of a file handed to the engine as a user table: the
// reader passes the NEW_ROW and NEW_CELL lines on to the table engine.
TEST(UserTableConversionTest, AFileConvertedAsAUserTableKeepsItsCells) {
    TempFolder folder("vendrel_user_table");
    ASSERT_TRUE(folder.Made());
    const fs::path input = folder / "input.txt";
    std::ofstream(input, std::ios::binary) << ReadWhole(kUserTableFolder / "three_by_three.txt");
    Context context;
    MessageRecorder messages{context};
    context.sink.SetStatusCallback(IgnoreStatus);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    ASSERT_TRUE(
        ConvertToTable(master, run, file, context, TextString(input.string().c_str()), TextString(), 5, nullptr));
    const std::string html = ReadWhole(fs::path(input).replace_extension(".html"));
    context.sink.SetStatusCallback(nullptr);
    EXPECT_EQ(Occurrences(html, "<!-- User-specified TAGGED TABLE -->"), 1) << html;
    EXPECT_EQ(Occurrences(html, "<TH"), 3) << html;
    EXPECT_EQ(Occurrences(html, "1.20 &amp; up</TD>"), 1) << html;
    EXPECT_EQ(html.find("NEW_CELL"), std::string::npos) << html;
}
