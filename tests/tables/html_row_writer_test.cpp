#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/row_writer_services.h"
#include "tables/row_record.h"
#include "tables/row_writers.h"

namespace {

class HtmlRowWriterTest : public RowWriterTest {
protected:
    std::vector<std::string> Write(const RowRecord& row) { return WriteWith(WriteHtmlRow, row); }
};

// Plain cells are written from their records alone: the start tag's
// attributes from the cell's width, spans and alignments.
TEST_F(HtmlRowWriterTest, PlainCellsAreWrittenFromTheirRecords) {
    struct Case {
        const char* what;
        bool header;
        int width, span, rowSpan, alignment, vAlignment;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a data cell", false, 0, 1, 1, 1, 0, "    <TD>x</TD>"},
        {"centred", false, 0, 1, 1, 2, 0, "    <TD ALIGN=\"CENTER\">x</TD>"},
        {"right, at the bottom", false, 0, 1, 1, 3, 2, "    <TD ALIGN=\"RIGHT\" VALIGN=\"BOTTOM\">x</TD>"},
        {"a header cell is left-aligned and has no VALIGN", true, 0, 1, 1, 1, 2, "    <TH ALIGN=\"LEFT\">x</TH>"},
        {"a width", false, 120, 1, 1, 1, 0, "    <TD WIDTH=120>x</TD>"},
        {"no width on a spanning cell", false, 120, 2, 1, 1, 0, "    <TD COLSPAN=2>x</TD>"},
        {"a row span", false, 0, 1, 3, 2, 0, "    <TD ROWSPAN=3 ALIGN=\"CENTER\">x</TD>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        document.Clear();
        texts[0] = "x";
        RowRecord row;
        row.headerRow = c.header;
        CellRecord cell = Cell(0, texts[0]);
        cell.ownText = true;
        cell.plainMarkup = true;
        cell.width = c.width;
        cell.span = c.span;
        cell.rowSpan = c.rowSpan;
        cell.htmlAlignment = c.alignment;
        cell.vAlignment = c.vAlignment;
        row.cells.push_back(cell);
        EXPECT_EQ(Write(row), (std::vector<std::string>{"  <TR>", c.expected, "  </TR>"}));
        EXPECT_EQ(texts[0].str(), "x");  // a plain cell's text stays the cell's
    }
    EXPECT_TRUE(services.calls.empty());
}

// The row's tag carries a data row's colour and the row's vertical
// alignment; minimised HTML has no indentation.
TEST_F(HtmlRowWriterTest, TheRowTagCarriesColourAndAlignment) {
    texts[0] = "x";
    RowRecord row;
    CellRecord cell = Cell(0, texts[0]);
    cell.ownText = cell.plainMarkup = true;
    row.cells.push_back(cell);
    const TextString colour("#F0F0F0");
    row.colour = &colour;
    row.vAlignment = 1;
    EXPECT_EQ(Write(row),
              (std::vector<std::string>{"  <TR BGCOLOR=\"#F0F0F0\" VALIGN=\"TOP\">", "    <TD>x</TD>", "  </TR>"}));
    document.Clear();
    set.SetInt(Pol::MinimiseHTMLFileSize, 1);
    row.colour = nullptr;
    row.vAlignment = 0;
    EXPECT_EQ(Write(row), (std::vector<std::string>{"<TR>", "<TD>x</TD>", "</TR>"}));
}

// Every other cell goes to the engine's full cell writer: a cell's text is
// taken over (the cell is left empty), a text drawn as a rule goes as
// "<HR>", and the merged end of a row as an empty cell spanning it.
TEST_F(HtmlRowWriterTest, OtherCellsGoToTheEngineWithTheirTexts) {
    texts[0] = "plain";
    texts[1] = "<B>bold</B>";
    texts[2] = "-----";
    texts[3] = "";
    RowRecord row;
    CellRecord plain = Cell(0, texts[0]);
    plain.ownText = true;  // a plain text in a laid-out table: written in full
    CellRecord tagged = Cell(1, texts[1]);
    CellRecord rule = Cell(2, texts[2]);
    rule.drawnRule = rule.rule = true;
    CellRecord merged = Cell(3, texts[3]);
    merged.merged = true;
    merged.span = 5;
    row.cells = {plain, tagged, rule, merged};
    EXPECT_EQ(Write(row), (std::vector<std::string>{"  <TR>", "  </TR>"}));
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"cell:0:plain", "cell:1:<B>bold</B><0", "cell:2:<HR>~<1", "cell:3:+5<2"}));
    EXPECT_EQ(texts[0].str(), "plain");
    EXPECT_EQ(texts[1].str(), "");
    EXPECT_EQ(texts[2].str(), "");
}

}  // namespace
