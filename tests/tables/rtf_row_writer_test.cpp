#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "output/rtf_file.h"
#include "support/row_writer_services.h"
#include "tables/row_record.h"
#include "tables/row_writers.h"

namespace {

class RtfRowWriterTest : public RowWriterTest {
protected:
    // A row of two cells, "head" and "x", ending at 1000 and 2000 twips.
    RowRecord TwoCells() {
        texts[0] = "head";
        texts[1] = "x";
        RowRecord row;
        row.rtfOffset = -108;
        CellRecord first = Cell(0, texts[0]);
        first.rightEdge = 1000;
        CellRecord second = Cell(1, texts[1]);
        second.rightEdge = 2000;
        row.cells = {first, second};
        return row;
    }
    std::vector<std::string> Write(const RowRecord& row) { return WriteWith(WriteRtfRow, row); }
};

// The row definition: the offset, one edge per cell, rule borders from the
// lines around the row (none in Windows Help source).
TEST_F(RtfRowWriterTest, TheDefinitionHasAnEdgePerCellAndTheRuleBorders) {
    struct Case {
        const char* what;
        bool above, below, winHelp;
        const char* prefix;
    };
    const std::vector<Case> cases = {
        {"no rules", false, false, false, ""},
        {"a rule below", false, true, false, "\\clbrdrb\\brdrs"},
        {"rules above and below", true, true, false, "\\clbrdrb\\brdrs\\clbrdrt\\brdrs"},
        {"Windows Help source", true, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowRecord row = TwoCells();
        row.ruleAbove = c.above;
        row.ruleBelow = c.below;
        row.winHelp = c.winHelp;
        const std::vector<std::string> lines = Write(row);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[0], "\\trowd \\trgaph108\\trleft-108");
        EXPECT_EQ(lines[1], std::string(c.prefix) + "\\cellx1000");
        EXPECT_EQ(lines[2], std::string(c.prefix) + "\\cellx2000");
        EXPECT_EQ(lines[6], "}\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row }");
    }
}

// The cells: tags run through the engine, bold in header rows and columns,
// the cell's alignment, the first cell kept with the next row unless the
// row is loose or the last; an empty cell is a blank, the merged end of a
// row an empty cell without tags.
TEST_F(RtfRowWriterTest, CellsAreBoldAlignedAndKeptAsTheRecordSays) {
    struct Case {
        const char* what;
        bool header, headerColumn, last, looseCells;
        int alignment;
        std::string first, second;
    };
    const std::vector<Case> cases = {
        {"a data row", false, false, false, false, 1, "\\keepn\\intbl head\\cell", "x\\cell"},
        {"a header row", true, false, false, false, 1, "{\\b \\keepn\\intbl head\\b0 \\cell}", "{\\b x\\b0 \\cell}"},
        {"a header column", false, true, false, false, 3, "{\\b \\qr \\keepn\\intbl head\\b0 \\cell}", "x\\cell"},
        {"the last row", false, false, true, false, 2, "{\\qc \\intbl head\\cell}", "x\\cell"},
        {"a large block", false, false, false, true, 1, "\\intbl head\\cell", "x\\cell"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowRecord row = TwoCells();
        row.headerRow = c.header;
        row.lastLine = c.last;
        row.looseCells = c.looseCells;
        row.cells[0].headerColumn = c.headerColumn;
        row.cells[0].alignment = c.alignment;
        const std::vector<std::string> lines = Write(row);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[4], c.first);
        EXPECT_EQ(lines[5], c.second);
    }
    EXPECT_EQ(services.calls.front(), "tags:0:head");

    services.calls.clear();
    RowRecord row = TwoCells();
    texts[0] = "";
    row.headerRow = true;
    row.cells[1].merged = true;
    const std::vector<std::string> lines = Write(row);
    EXPECT_EQ(lines[4], "{\\b \\keepn\\intbl  \\b0 \\cell}");
    EXPECT_EQ(lines[5], " \\cell");
    EXPECT_EQ(services.calls, std::vector<std::string>{"tags:0: "});
}

// The paragraph the cells are in: kept with the next row unless the row is
// loose; the last row of the block only closes the table's paragraph.
TEST_F(RtfRowWriterTest, TheParagraphIsKeptWithTheNextRowUnlessLoose) {
    RowRecord row = TwoCells();
    EXPECT_EQ(Write(row)[3].rfind("\\keepn\\widctlpar\\intbl\\adjustright", 0), 0u);
    row.loose = true;
    EXPECT_EQ(Write(row)[3].rfind("\\widctlpar\\intbl\\adjustright", 0), 0u);
    row.lastLine = true;
    EXPECT_EQ(Write(row)[3], "\\widctlpar\\intbl\\adjustright{");
}

// A cell that holds a large text (a whole block of lines) goes to the RTF
// file's buffer without a copy; the file's lines are those a copy makes,
// and the cells' own texts stay as they were.
TEST_F(RtfRowWriterTest, LargeCellsReachTheFileAsTheyAre) {
    Context context;
    set.SetContext(&context);
    context.documentState.rtfOutput = 1;
    const std::string large(RTFFile::kHandOverBytes, 'w');
    struct Case {
        const char* what;
        std::string first, second;
        bool header;
    };
    const std::vector<Case> cases = {
        {"a large first cell", large, "x", false},
        {"a large second cell", "head", large + "\\par y", false},
        {"large bold cells", large, large, true},
        {"cells just too short", large.substr(10), large.substr(5), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowRecord row = TwoCells();
        texts[0] = c.first.c_str();
        texts[1] = c.second.c_str();
        row.headerRow = c.header;
        const std::vector<std::string> copied = Write(row);
        StringList written;
        RTFFile file(set);
        file.outputList = &written;
        file.OpenForWrite("", 0, 0);
        file.fileStarted = 1;
        RowWriterContext out{&set, &file, scratch.scratchBuffers, services};
        WriteRtfRow(row, out);
        file.FlushBuffer(&set, &file, 1);
        // The paragraph line (3) follows the file's paragraph state.
        ASSERT_EQ(written.count, static_cast<int>(copied.size()));
        for (size_t i = 0; i < copied.size(); ++i) {
            if (i == 3) continue;
            EXPECT_TRUE(written.TextAt(static_cast<int>(i)) == copied[i]) << i;
        }
        EXPECT_EQ(texts[0].str(), c.first);
        EXPECT_EQ(texts[1].str(), c.second);
    }
    set.SetContext(nullptr);
}

}  // namespace
