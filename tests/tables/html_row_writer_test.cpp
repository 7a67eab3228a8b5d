#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "output/html_file.h"
#include "output/tag_executors.h"
#include "support/html_file_lines.h"
#include "support/row_writer_services.h"
#include "tables/row_record.h"
#include "tables/row_writers.h"

namespace {

// A plain cell of a record, written from its own text.
CellRecord PlainCell(int column, TextString& text, int alignment, int vAlignment, int width, int span) {
    CellRecord cell = Cell(column, text);
    cell.ownText = cell.plainMarkup = true;
    cell.htmlAlignment = alignment;
    cell.vAlignment = vAlignment;
    cell.width = width;
    cell.span = span;
    return cell;
}

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
        CellRecord cell = PlainCell(0, texts[0], c.alignment, c.vAlignment, c.width, c.span);
        cell.rowSpan = c.rowSpan;
        row.cells.push_back(cell);
        EXPECT_EQ(Write(row), (std::vector<std::string>{"  <TR>", c.expected, "  </TR>"}));
        EXPECT_EQ(texts[0].str(), "x");  // a plain cell's text stays the cell's
    }
    EXPECT_TRUE(services.calls.empty());
}

// The cells of a row share their start tag while their alignments do: a
// cell whose alignments differ from the cell's before it, in either
// direction, and texts around sixteen bytes in buffers with and without room
// to spare come out as each cell does in a row of its own.
TEST_F(HtmlRowWriterTest, PlainCellsOfARowComeOutAsEachOnItsOwn) {
    struct Case {
        int alignment, vAlignment;
        bool onlySpacing;
        const char* text;
        bool roomy;  // the text's buffer has room for more
    };
    // clang-format off
    const std::vector<Case> cases = {
        {3, 0, false, "12.50", true}, {3, 0, false, "7", false}, {1, 0, false, "Kofi", true},
        {2, 0, false, "abcdefghijklmnop", true}, {2, 2, false, "abcdefghijklmnopq", true}, {3, 2, false, "x", false},
        {3, 2, true, "&nbsp;", true}, {3, 2, false, "abcdefghijklmnop", false}, {3, 3, false, "y", true},
        {1, 1, true, "&nbsp;", false}, {1, 1, false, "z", true}};
    // clang-format on
    std::vector<TextString> cellTexts(cases.size());
    auto cellOf = [&](size_t i) {
        const Case& c = cases[i];
        if (c.roomy) cellTexts[i].Reserve(64);
        cellTexts[i] = c.text;
        CellRecord cell = PlainCell(static_cast<int>(i), cellTexts[i], c.alignment, c.vAlignment, 0, 1);
        cell.onlySpacing = c.onlySpacing;
        return cell;
    };
    for (const bool header : {false, true}) {
        SCOPED_TRACE(header ? "a header row" : "a data row");
        RowRecord row;
        row.headerRow = header;
        std::vector<std::string> alone = {"  <TR>"};
        for (size_t i = 0; i < cases.size(); ++i) {
            RowRecord single;
            single.headerRow = header;
            single.cells.push_back(cellOf(i));
            const std::vector<std::string> written = Write(single);
            ASSERT_EQ(written.size(), 3u);
            alone.push_back(written[1]);
            row.cells.push_back(cellOf(i));
        }
        alone.push_back("  </TR>");
        EXPECT_EQ(Write(row), alone);
    }
    EXPECT_TRUE(services.calls.empty());
}

// A buffering HTML file writer takes a row's short plain cells straight
// into its buffer; the row comes out as the same row's lines written one by
// one: cells around the longest short line, wider, spanning and empty
// cells among them, in a data row and a header row.
TEST(HtmlRowWriterBufferTest, RowsComeOutAsIfWrittenLineByLine) {
    Context context;
    InstallTagExecutors(context);
    FC set;
    set.SetContext(&context);
    context.documentState.htmlOutput = 1;
    EngineScratch scratch;
    RecordingServices services;
    struct Case {
        size_t length;
        int alignment = 1, vAlignment = 0, width = 0, span = 1;
        bool onlySpacing = false;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {3}, {3, 3}, {110, 2, 1}, {112, 3}, {113}, {114}, {116, 2}, {117}, {118, 1, 3}, {200}, {5, 1, 0, 120},
        {7, 2, 0, 0, 2}, {6, 3, 2, 0, 1, true}, {4, 3}, {12, 3, 0, 0, 1, true}};
    // clang-format on
    std::vector<TextString> texts(cases.size());
    for (const bool header : {false, true}) {
        SCOPED_TRACE(header ? "a header row" : "a data row");
        RowRecord row;
        row.headerRow = header;
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            std::string text = c.onlySpacing ? "&nbsp;" : std::string(c.length, static_cast<char>('a' + i % 26));
            if (!c.onlySpacing && c.length > 2) text[c.length / 2] = ' ';
            texts[i] = text.c_str();
            CellRecord cell = PlainCell(static_cast<int>(i), texts[i], c.alignment, c.vAlignment, c.width, c.span);
            cell.onlySpacing = c.onlySpacing;
            row.cells.push_back(cell);
        }
        RecordingDocument lines;
        RowWriterContext toLines{&set, &lines, scratch.scratchBuffers, services};
        WriteHtmlRow(row, toLines);
        ASSERT_EQ(lines.entries.size(), cases.size() + 2);

        auto run = [&](bool asRow) {
            return HtmlFileLines(set, [&](HTMLFile& writer) {
                RowWriterContext toFile{&set, &writer, scratch.scratchBuffers, services};
                for (int round = 0; round < 30; ++round) {
                    if (asRow)
                        WriteHtmlRow(row, toFile);
                    else
                        WriteRecorded(lines, set, writer);
                }
            });
        };
        const std::vector<std::string> lineByLine = run(false);
        ASSERT_GT(lineByLine.size(), 30 * cases.size());
        EXPECT_EQ(run(true), lineByLine);
    }
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
