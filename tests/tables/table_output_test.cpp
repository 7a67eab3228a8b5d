#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/html_file.h"
#include "output/html_tidy.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/html_file_lines.h"
#include "support/recording_document.h"
#include "tables/preform.h"
#include "tables/row_record.h"
#include "tables/row_writers.h"
#include "tables/rule_lines.h"

namespace {

class TableOutputTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    RecordingDocument document;
    TabConfig* config = nullptr;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
        config = set.GetDefaultTabConfig();
    }

    // An engine of `lineCount` lines and `columnCount` columns writing to
    // `writer`.
    std::unique_ptr<PreForm> Engine(int lineCount, int columnCount, OutputDocument* writer = nullptr) {
        auto engine = std::make_unique<PreForm>(writer ? writer : &document, &set, nullptr);
        for (int i = 0; i < lineCount; ++i) {
            AnalysedLine line;
            line.SetText("some text");
            engine->AddLine(line);
        }
        for (int c = 0; c < columnCount; ++c) engine->AddColumn(c * 10, c * 10, c * 10 + 9, -1);
        engine->tabConfig = config;
        return engine;
    }
    static void SetRow(PreForm& engine, const std::vector<const char*>& texts, int lineCount = 1) {
        for (size_t c = 0; c < texts.size(); ++c) {
            TableCell* cell = engine.cellRow.GetAt(static_cast<int>(c));
            cell->text = texts[c];
            cell->lineCount = lineCount;
        }
    }
    // The start tag a table start writes (the line after the comment).
    std::string StartTag(PreForm& engine) {
        document.Clear();
        int bordered = 0, hasHeader = 0;
        engine.OutputTableStart(&bordered, &hasHeader);
        return document.entries.size() >= 2 ? document.entries[1].text : "";
    }
};

TEST_F(TableOutputTest, StartTagFollowsBorderAndPaddingRules) {
    struct Case {
        int lines, columns, rules, firstRule, dominant;
        const char* expected;
    };
    const std::vector<Case> cases = {
        // A names-and-values list of four or more lines gets no grid.
        {5, 2, 0, -1, 1, "<TABLE ID=\"table_0\" CELLSPACING=0 CELLPADDING=4>"},
        {5, 2, 0, -1, 0, "<TABLE ID=\"table_0\" BORDER=2 CELLSPACING=0 CELLPADDING=2>"},
        {5, 3, 0, -1, 1, "<TABLE ID=\"table_0\" BORDER=2 CELLSPACING=0 CELLPADDING=2>"},
        // Fewer than four content lines.
        {3, 2, 0, -1, 0, "<TABLE ID=\"table_0\" BORDER=0 CELLSPACING=0 CELLPADDING=4>"},
        // A rule under the first line makes a header and a grid.
        {5, 2, 1, 1, 1, "<TABLE ID=\"table_0\" BORDER=2 CELLSPACING=0 CELLPADDING=2>"},
    };
    for (const Case& c : cases) {
        context.tableCounter = 0;
        auto engine = Engine(c.lines, c.columns);
        engine->ruleLineCount = c.rules;
        engine->firstRuleLine = c.firstRule;
        engine->columns[0]->hasDominantValue = c.dominant;
        EXPECT_EQ(StartTag(*engine), c.expected) << c.lines << " lines, " << c.columns << " columns";
        EXPECT_EQ(document.entries[0].text, "<!-- Automatically detected TABLE structure -->");
    }

    context.tableCounter = 0;
    config->SetInt(TabPol::BorderSize, 3);
    config->SetInt(TabPol::CellSpacing, 5);
    config->SetInt(TabPol::CellPadding, -1);
    config->SetInt(TabPol::TableAlignment, 3);
    config->SetText(TabPol::TableColour, "Red");
    auto engine = Engine(5, 2);
    EXPECT_EQ(StartTag(*engine),
              "<DIV ALIGN=\"RIGHT\"><TABLE ID=\"table_0\" BORDER=3 CELLSPACING=5 CELLPADDING=0 BGCOLOR=\"Red\">");
    document.Clear();
    engine->OutputTableEnd();
    EXPECT_EQ(document.Joined(), "</TABLE></DIV>|<!-- end of automatically detected TABLE structure -->");
}

TEST_F(TableOutputTest, TablesAreNumberedThroughTheRun) {
    for (const char* expected : {"table_0", "table_1"}) {
        auto engine = Engine(5, 2);
        EXPECT_NE(StartTag(*engine).find(expected), std::string::npos) << expected;
        engine->OutputTableEnd();
    }
    EXPECT_EQ(context.tableCounter, 2);
}

TEST_F(TableOutputTest, RowsWriteCellsWithTheirAttributes) {
    auto engine = Engine(5, 4);
    engine->headerColumnCount = 1;
    SetRow(*engine, {"name", "x", "&nbsp;", "-----"});
    engine->cellRow.GetAt(1)->alignment = 2;
    engine->cellRow.GetAt(2)->alignment = 3;
    engine->OutputTableRow(2);
    EXPECT_EQ(document.Texts(), (std::vector<std::string>{
                                    "  <TR>",
                                    "    <TD><STRONG>name</STRONG></TD>",
                                    "    <TD ALIGN=\"CENTER\">x</TD>",
                                    "    <TD>&nbsp;</TD>",  // only spacing: no ALIGN
                                    "    <TD>\n\n<HR></TD>",  // the tidy puts a rule on a line of its own
                                    "  </TR>",
                                }));

    // A header row, a spanning cell and a cell of two lines.
    document.Clear();
    engine->headerRowCount = 1;
    SetRow(*engine, {"a <BR> b", "wide", "", "c"});
    engine->cellRow.GetAt(0)->lineCount = 2;
    engine->cellRow.GetAt(1)->span = 2;
    engine->cellRow.GetAt(1)->alignment = 1;
    engine->OutputTableRow(0);
    EXPECT_EQ(document.Texts(), (std::vector<std::string>{
                                    "  <TR VALIGN=\"TOP\">",
                                    "    <TH ALIGN=\"LEFT\">a<BR>",
                                    "      b</TH>",
                                    "    <TH COLSPAN=2 ALIGN=\"LEFT\">wide</TH>",
                                    "    <TH ALIGN=\"LEFT\">c</TH>",
                                    "  </TR>",
                                }));

    // Writing a row hands its cells' texts on: the row is set again.
    document.Clear();
    set.SetInt(Pol::MinimiseHTMLFileSize, 1);
    SetRow(*engine, {"a <BR> b", "wide", "", "c"});
    engine->cellRow.GetAt(0)->lineCount = 2;
    engine->OutputTableRow(0);
    EXPECT_EQ(document.Joined(),
              "<TR VALIGN=\"TOP\">|<TH ALIGN=\"LEFT\">a<BR>|b</TH>|"
              "<TH COLSPAN=2 ALIGN=\"LEFT\">wide</TH>|<TH ALIGN=\"LEFT\">c</TH>|</TR>");
}

// What the row writers are handed: the row records of the rows above and of
// a few more, each written as a line by a writer put in place of the
// format's own (HTML and RTF alike): "H" or "D" for a header or data row,
// the row's vertical alignment, and per written cell "|", its text, its
// span after "*", "#" for a header column, "=" for a text drawn as a rule,
// "~" for a rule cell and "+" for the merged end of a row; in RTF the
// row's rule lines above and below ("^", "_"), whether it is kept with the
// next row ("k") and each cell's right edge after "@".
TEST_F(TableOutputTest, RowsAreHandedToTheWritersAsRecords) {
    struct Case {
        const char* what;
        bool rtf;
        int lines;
        std::vector<const char*> texts;
        int closingLine;
        std::string expected;
        int headerRows = 0, leadingBlanks = 0, headerColumns = 0;
        std::vector<int> ruleLines{};
        std::vector<int> spans{};  // per cell; none: 1
        std::vector<int> lineCounts{};  // per cell; none: 1
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"a data row: a header column, a rule drawn in a cell", false, 5, {"name", "x", "&nbsp;", "-----"}, 2,
         "D v0|name#|x|&nbsp;|-----=~", 0, 0, 1},
        {"a header row with a spanning cell and a cell of two lines", false, 5, {"a <BR> b", "wide", "", "c"}, 0,
         "H v1|a <BR> b|wide*2|c", 1, 0, 0, {}, {1, 2, 1, 1}, {2, 1, 1, 1}},
        {"header rows count after the leading blank lines", false, 5, {"x", "y"}, 1, "H v0|x|y", 1, 1},
        {"the row after them is a data row", false, 5, {"x", "y"}, 2, "D v0|x|y", 1, 1},
        {"a cell with a rule in its text", false, 5, {"<HR>", "y"}, 2, "D v0|<HR>~|y"},
        {"RTF: the cells' right edges from the columns' widths", true, 5, {"head", "x"}, 0,
         "H k@1108@1824", 1},
        {"RTF: a large block keeps no rows together", true, 40, {"head", "x"}, 0, "H @1108@1824", 1},
        {"RTF: rule lines above and below the row", true, 5, {"a", "b"}, 2, "D ^_k@1108@1824", 0, 0, 0,
         {1, 3}},
        {"RTF: a spanning cell ends at the edge of its last column", true, 5, {"wide", ""}, 2, "D k@1824", 0, 0, 0,
         {}, {2, 1}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto engine = Engine(c.lines, static_cast<int>(c.texts.size()));
        engine->columns[0]->rtfWidth = 1000;
        if (engine->columns.size() > 1) engine->columns[1]->rtfWidth = 500;
        engine->headerRowCount = c.headerRows;
        engine->leadingBlankCount = c.leadingBlanks;
        engine->headerColumnCount = c.headerColumns;
        for (int line : c.ruleLines) engine->lines[static_cast<size_t>(line)]->isRuleLine = 1;
        SetRow(*engine, c.texts);
        for (size_t k = 0; k < c.spans.size(); ++k) engine->cellRow.GetAt(static_cast<int>(k))->span = c.spans[k];
        for (size_t k = 0; k < c.lineCounts.size(); ++k)
            engine->cellRow.GetAt(static_cast<int>(k))->lineCount = c.lineCounts[k];
        engine->htmlOutput = c.rtf ? 0 : 1;
        engine->rtfOutput = c.rtf ? 1 : 0;
        engine->SetRTFWriter(&document);
        std::string written;
        auto record = [&written](const RowRecord& row, RowWriterContext&) {
            written = row.headerRow ? "H " : "D ";
            written += "v" + std::to_string(row.vAlignment);
            for (const CellRecord& cell : row.cells) {
                written += "|" + cell.text->str();
                if (cell.span > 1) written += "*" + std::to_string(cell.span);
                if (cell.headerColumn) written += "#";
                if (cell.drawnRule) written += "=";
                if (cell.rule) written += "~";
                if (cell.merged) written += "+";
            }
        };
        auto recordRtf = [&written](const RowRecord& row, RowWriterContext&) {
            written = row.headerRow ? "H " : "D ";
            if (row.ruleAbove) written += "^";
            if (row.ruleBelow) written += "_";
            if (!row.loose) written += "k";
            for (const CellRecord& cell : row.cells) written += "@" + std::to_string(cell.rightEdge);
        };
        engine->htmlRowWriter = record;
        engine->rtfRowWriter = recordRtf;
        engine->OutputTableRow(c.closingLine);
        EXPECT_EQ(written, c.expected);
        EXPECT_TRUE(document.entries.empty());
    }
}

// A cell of one line that is a rule, also one drawn with borders or with a
// Markdown alignment row's colons, is written as a rule; text stays text.
TEST_F(TableOutputTest, CellsDrawnAsRulesAreWrittenAsRules) {
    auto engine = Engine(5, 4);
    SetRow(*engine, {"-----", "|----|", ":---:", "-a--"});
    engine->OutputTableRow(2);
    const std::string html = document.Joined();
    int rules = 0;
    for (size_t at = html.find("<HR>"); at != std::string::npos; at = html.find("<HR>", at + 1)) ++rules;
    EXPECT_EQ(rules, 3) << html;
    EXPECT_NE(html.find("-a--"), std::string::npos) << html;

    // Only texts that start with a letter, a digit or a byte beyond ASCII
    // skip the look for a rule: a text that starts with any other byte is
    // drawn whenever either kind of rule line says it is one.
    const std::vector<std::string> texts = {"=====", "_____", "~~~~~",  "+----+", " ----", "\t----", ": ---",
                                            "---:",  "- - -", "| -- |", "----a",  "a----", "1----",  "\xc3\xa9----",
                                            "Z----", "*----", "#----",  ".----",  "(----)"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const bool rule = IsRuleLine(text.c_str()) || IsBorderedRule(text);
        auto single = Engine(5, 1);
        SetRow(*single, {text.c_str()});
        document.Clear();
        single->OutputTableRow(2);
        EXPECT_EQ(document.Joined().find("<HR>") != std::string::npos, rule) << document.Joined();
    }
}

TEST_F(TableOutputTest, CellsComeOutAsTheTidyPassesMakeThem) {
    // clang-format off
    const std::vector<std::string> texts = {
        "Rio de Janeiro", "2024-01-31", "12.50", "a &amp; b", "x&gt;", "x>", "a-->b", "-- dashes --", "a\tb",
        "Z\xfcrich", "trailing ", "  leading", "<B>bold</B>", "<HR>", "&nbsp;", "a\x01b",
        // Around sixteen bytes, with the byte that matters last.
        "abcdefghijklmno", "abcdefghijklmnop", "abcdefghijklmno>", "abcdefghijklmn&p", "abcdefghijklmno[",
        "abcdefghijklmnopq", "abcdefghijklmnop&", "abcdefghijklmn ", "[[BR]]x",
        // Blanks count only at the ends.
        "abcdefghijklmno ", "abcdefghijklmno\t", "\tx", "x\t", " x", "a b", "abcdefg\tijklmnop", "a \t b"};
    // clang-format on
    auto engine = Engine(3, 1);
    for (const std::string& cellText : texts) {
        SCOPED_TRACE(cellText);
        TextString formatted(cellText.c_str());
        HTML_FormatCellLines(&formatted, &formatted);
        TidyBuffer tidy;
        HTML_ScanTidyBuffer(&set, &tidy, TextString(("    <TD>" + formatted.str() + "<BR></TD>").c_str()));
        HTML_TidyEmphasis(&set, &tidy);

        document.Clear();
        TableCell* cell = engine->cellRow.GetAt(0);
        cell->text = cellText.c_str();
        TextString text(cell->text), gutter, stub;
        engine->OutputHtmlCell(0, 0, 1, nullptr, cell, &gutter, &stub, &text, 0, 0, 0, 0);
        if (cellText.find("[[") != std::string::npos) continue;  // the tag runs in the cell
        EXPECT_EQ(document.Joined(), tidy.text.str());

        // The same cell in a row, from a text whose buffer has room to spare
        // (so that its bytes are looked at together).  A row of nothing but
        // spacing is not written.
        if (cellText == "&nbsp;") continue;
        document.Clear();
        cell->text.Reserve(64);
        cell->text = cellText.c_str();
        cell->lineCount = 1;
        engine->OutputTableRow(2);
        ASSERT_EQ(document.entries.size(), 3u);
        EXPECT_EQ(document.entries[1].text, tidy.text.str());
    }
}

// An empty cell ("&nbsp;") of a row is written without the HTML cell
// writer where that writer would only take its line break off; cells just
// off that road (a blank, another entity, a tag, a link, a header column,
// a tag start the text may begin) go through the writer.  Each comes out as
// the writer makes the same cell on its own.
TEST_F(TableOutputTest, EmptyCellsComeOutAsTheCellWriterMakesThem) {
    struct Case {
        const char* what;
        const char* text;
        std::string expected;  // the cell's line
        bool headerRow = false;
        bool headerColumn = false;
        int alignment = 3;
        int vAlignment = 0;  // the cell's override
        int span = 1;
        const char* tagStart = nullptr;
        const char* link = nullptr;
        int cellAlignment = 0;  // the configuration's
        bool colours = false;
        bool minimise = false;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"an empty cell: no alignment", "&nbsp;", "    <TD>&nbsp;</TD>"},
        {"in a header row", "&nbsp;", "    <TH>&nbsp;</TH>", true},
        {"centred", "&nbsp;", "    <TD>&nbsp;</TD>", false, false, 2},
        {"its own vertical alignment", "&nbsp;", "    <TD VALIGN=\"BOTTOM\">&nbsp;</TD>", false, false, 3, 2},
        {"spanning two columns", "&nbsp;", "    <TD COLSPAN=2>&nbsp;</TD>", false, false, 3, 0, 2},
        {"the configuration's alignment", "&nbsp;", "    <TD>&nbsp;</TD>", false, false, 3, 0, 1, nullptr,
         nullptr, 2},
        {"coloured rows", "&nbsp;", "    <TD>&nbsp;</TD>", false, false, 3, 0, 1, nullptr, nullptr, 0, true},
        {"minimised", "&nbsp;", "<TD>&nbsp;</TD>", false, false, 3, 0, 1, nullptr, nullptr, 0, false, true},
        {"a header column", "&nbsp;", "    <TD><STRONG>&nbsp;</STRONG></TD>", false, true},
        {"with a blank", " &nbsp;", "    <TD>&nbsp;</TD>"},
        {"two of them", "&nbsp;&nbsp;", "    <TD>&nbsp;</TD>"},
        {"another entity", "&amp;", "    <TD ALIGN=\"RIGHT\">&amp;</TD>"},
        {"a tag start the text begins", "&nbsp;", "", false, false, 3, 0, 1, "&"},
        {"a tag start a later byte begins", "&nbsp;", "", false, false, 3, 0, 1, "p("},
        {"a contents link", "&nbsp;", "    <TD><A HREF=\"#c1\">&nbsp;</A></TD>", false, false, 3, 0, 1, nullptr,
         "c1"},
    };
    // clang-format on
    const TextString tagStart(set.GetText(Pol::StartTagDelimiter));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        set.SetInt(Pol::MinimiseHTMLFileSize, c.minimise ? 1 : 0);
        if (c.tagStart) set.SetText(Pol::StartTagDelimiter, c.tagStart);
        config->SetInt(TabPol::CellAlignment, c.cellAlignment);
        config->SetInt(TabPol::ColourDataRows, c.colours ? 1 : 0);
        auto engine = Engine(5, 4);
        engine->headerRowCount = c.headerRow ? 1 : 0;
        engine->headerColumnCount = c.headerColumn ? 2 : 0;
        auto setCell = [&](TableCell& cell) {
            cell.text = c.text;
            cell.lineCount = 1;
            cell.alignment = c.alignment;
            cell.vAlignmentOverride = c.vAlignment;
            cell.span = c.span;
            if (c.link) cell.linkAnchor = c.link;
        };
        // The cell on its own, through the HTML cell writer.
        TableCell alone(&set, SourcePosition(), nullptr);
        setCell(alone);
        TextString text(c.text), gutter, stub;
        document.Clear();
        engine->OutputHtmlCell(0, c.vAlignment, 2, nullptr, &alone, &gutter, &stub, &text, 0, c.headerRow ? 1 : 0,
                               c.headerColumn ? 1 : 0, 0);
        const std::string written = document.Joined();
        if (!c.expected.empty()) {
            EXPECT_EQ(written, c.expected);
        }

        // The same cell second in a row of cells with text.
        document.Clear();
        SetRow(*engine, {"a", c.text, "b", "c"});
        setCell(*engine->cellRow.GetAt(1));
        if (c.span > 1) engine->cellRow.GetAt(2)->text = "";
        engine->OutputTableRow(c.headerRow ? 0 : 2);
        const std::vector<std::string> texts = document.Texts();
        ASSERT_GE(texts.size(), 3u);
        EXPECT_EQ(texts[2], written);
        set.SetText(Pol::StartTagDelimiter, tagStart.buffer);
    }
}

// A cell's WS tags are found whatever its length (a long cell is searched
// another way) and whichever letter case the delimiter's first character
// is written in: WS tags at both ends stand for a centring QUAD tag.
TEST_F(TableOutputTest, WSTagsAreFoundInShortAndLongCells) {
    InstallTagExecutors(context);
    const TextString tagStart(set.GetText(Pol::StartTagDelimiter));
    for (const char* delimiter : {"[[", "x[", "X["}) {
        for (const bool swapped : {false, true}) {
            for (const size_t length : {size_t{10}, size_t{62}, size_t{64}, size_t{200}}) {
                std::string start(delimiter);
                if (swapped && start[0] != '[')
                    start[0] = static_cast<char>(start[0] ^ 0x20);  // the other letter case
                SCOPED_TRACE(start + " " + std::to_string(length));
                set.SetText(Pol::StartTagDelimiter, delimiter);
                const std::string tag = start + "WS]]";
                const std::string digits(length, '7');
                for (const bool tagged : {true, false}) {
                    const std::string text = tagged ? tag + " " + digits + " " + tag : digits;
                    auto engine = Engine(5, 1);
                    document.Clear();
                    SetRow(*engine, {text.c_str()});
                    engine->OutputTableRow(2);
                    EXPECT_EQ(engine->cellRow.GetAt(0)->quadAlignment, tagged ? 2 : 0) << tagged;
                }
            }
        }
    }
    set.SetText(Pol::StartTagDelimiter, tagStart.buffer);
}

TEST_F(TableOutputTest, EmptyRowsAreNotWritten) {
    auto engine = Engine(5, 3);
    SetRow(*engine, {"", "  ", "&nbsp;"});
    engine->OutputTableRow(1);
    EXPECT_TRUE(document.entries.empty());
}

TEST_F(TableOutputTest, DataRowsAlternateColoursAfterEachHeaderRow) {
    config->SetInt(TabPol::ColourDataRows, 1);
    config->SetText(TabPol::OddRowColour, "#F0F0F0");
    config->SetText(TabPol::EvenRowColour, "Silver");
    auto engine = Engine(6, 1);
    engine->headerRowCount = 1;
    SetRow(*engine, {"x"});
    std::vector<std::string> rows;
    for (int line : {0, 1, 2, 3, 0, 1}) {
        document.Clear();
        engine->OutputTableRow(line);
        rows.push_back(document.entries.front().text);
    }
    const std::string odd = "  <TR BGCOLOR=\"#F0F0F0\">", even = "  <TR BGCOLOR=\"Silver\">";
    EXPECT_EQ(rows, (std::vector<std::string>{"  <TR>", odd, even, odd, "  <TR>", odd}));
}

TEST_F(TableOutputTest, FirstColumnOfAListTakesItsShareOfThePage) {
    for (auto [page, expected] : {std::pair{0, " WIDTH=100>"}, {40, " WIDTH=200>"}, {1000, " WIDTH=12>"}}) {
        set.SetInt(Pol::PageWidth, page);
        auto engine = Engine(5, 2);
        engine->columns[0]->hasDominantValue = 1;
        engine->columns[0]->width = 10;
        SetRow(*engine, {"name", "value"});
        document.Clear();
        engine->OutputTableRow(1);
        EXPECT_NE(document.entries[1].text.find(expected), std::string::npos) << page << document.entries[1].text;
    }
}

TEST_F(TableOutputTest, RtfRowsKeepTogetherOnlyInSmallBlocks) {
    context.outputFormat = 1;
    for (int lines : {5, 40}) {
        document.Clear();
        auto engine = Engine(lines, 2);
        engine->columns[0]->rtfWidth = 1000;
        engine->columns[1]->rtfWidth = 500;
        engine->headerRowCount = 1;
        SetRow(*engine, {"head", "x"});
        engine->cellRow.GetAt(1)->alignment = 3;
        engine->OutputTableRow(0);
        const std::vector<std::string> texts = document.Texts();
        ASSERT_EQ(texts.size(), 7u);
        EXPECT_EQ(texts[0], "\\trowd \\trgaph108\\trleft-108");
        EXPECT_EQ(texts[1], "\\cellx1108");
        EXPECT_EQ(texts[2], "\\cellx1824");
        EXPECT_EQ(texts[6], "}\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row }");
        if (lines == 40) {
            EXPECT_EQ(document.Joined().find("\\keepn"), std::string::npos);
            EXPECT_EQ(texts[4], "{\\b \\intbl head\\b0 \\cell}");
        } else {
            EXPECT_EQ(texts[3].rfind("\\keepn\\widctlpar\\intbl\\adjustright", 0), 0u) << texts[3];
            EXPECT_EQ(texts[4], "{\\b \\keepn\\intbl head\\b0 \\cell}");
        }
        EXPECT_EQ(texts[5], "{\\b \\qr x\\b0 \\cell}");
    }
}

// Counts the lines written and keeps those that contain a marker.
class CountingDocument : public RecordingDocument {
public:
    long lines = 0;
    std::vector<std::string> kept;
    std::vector<std::string> markers;

    int WriteText(FC*, OutputDocument*, const char* text) override {
        ++lines;
        for (const std::string& marker : markers)
            if (std::strstr(text, marker.c_str())) kept.push_back(text);
        return 1;
    }
    int WriteLine(FC* set, OutputDocument* document, TextString* text, int) override {
        return WriteText(set, document, text->buffer);
    }
};

TEST_F(TableOutputTest, PaddingOfShortRowsIsCappedPerTable) {
    // Each row of one filled cell pads 2001 empty cells: the 100th row passes
    // 200,000 filled-in cells, and from it on the padding is one cell.
    constexpr int kColumns = 2002;
    CountingDocument html, rtf;
    html.markers = {"COLSPAN"};
    rtf.markers = {"\\cellx"};
    auto engine = Engine(200, kColumns, &html);
    engine->rtfOutput = 1;
    engine->SetRTFWriter(&rtf);
    for (int c = 0; c < kColumns; ++c) engine->columns[static_cast<size_t>(c)]->rtfWidth = 100;
    engine->OutputTableStart(nullptr, nullptr);
    SetRow(*engine, {"x"});
    for (int row = 0; row < 101; ++row) engine->OutputTableRow(row);

    // The block collects its messages; the warning is given once.
    const std::string collected = engine->messageText.str();
    EXPECT_EQ(collected.rfind("WARNING: Table has too many empty cells"), collected.find("WARNING: Table has"));
    EXPECT_NE(collected.find("WARNING: Table has too many empty cells"), std::string::npos) << collected;
    EXPECT_EQ(html.kept, (std::vector<std::string>(2, "    <TD COLSPAN=2001>&nbsp;</TD>")));
    // Rows: TR and /TR lines and one line per cell.
    EXPECT_EQ(html.lines, 2 + 99L * (kColumns + 2) + 2L * 4);
    // RTF: the merged cell ends at the table's last edge.
    ASSERT_EQ(rtf.kept.size(), 99u * kColumns + 2 * 2);
    EXPECT_EQ(rtf.kept.back(), "\\cellx" + std::to_string(kColumns * 316 - 108));
    EXPECT_EQ(rtf.kept[rtf.kept.size() - 2], "\\cellx208");

    // The next table starts counting afresh.
    engine->OutputTableEnd();
    engine->OutputTableStart(nullptr, nullptr);
    html.kept.clear();
    engine->OutputTableRow(1);
    EXPECT_TRUE(html.kept.empty());
}

// A tag is looked for sixteen bytes at a time: tags on either side of such
// a block, in any letter case, cut short by the text's end, or looked for
// from inside one are found where a plain search finds them.  A tag of four
// bytes is compared as a word: bytes that differ from the tag's own by the
// case bit alone and are no letters do not match.
TEST(FindTagTest, FindsTagsWhereASearchFindsThem) {
    const std::vector<std::string> tags = {"<BR>",  "<br>",    "<bR>",    "<B>",  "<BR",     "<<BR>",
                                           "<SUP>", "<sup>",   "< BR>",   "<",    "<BR\x1E", "<\x02R>",
                                           "<h1>",  "<H\x11>", "<H1\x1E", "<BR><"};
    for (const std::string& tag : tags) {
        for (size_t before = 0; before < 40; ++before) {
            for (const size_t after : {0, 1, 20}) {
                const std::string text = std::string(before, 'x') + tag + std::string(after, 'y') + "<Br>";
                std::string upper = text;
                for (char& c : upper) c = ToUpperAscii(c);
                for (const std::string pattern : {"<BR>", "<SUP>", "<H1>"}) {
                    for (const size_t from : {size_t{0}, before, before + 1, text.size() - 2}) {
                        SCOPED_TRACE(text + " " + pattern + " from " + std::to_string(from));
                        EXPECT_EQ(row_writing::FindTag(text, pattern, from), upper.find(pattern, from));
                    }
                }
            }
        }
    }
    EXPECT_EQ(row_writing::FindTag("<BR>", "<BR>", 4), std::string_view::npos);
}

TEST(FormatCellLinesTest, TrimsPiecesAndProtectsRaisedStarts) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"  plain  ", "plain"},
        {"   ", "&nbsp;"},
        {"<br>", "&nbsp;<BR>"},
        {"a<BR>", "a<BR>"},
        {" a <BR>  b <Br> c ", "a<BR>b<BR>c"},
        {"<B>a</B> <bR> b<", "<B>a</B><BR>b<"},
        {"a<BR> <BR>b", "a<BR>&nbsp;<BR>b"},
        {"<SUP>2</SUP> m", "&nbsp;<SUP>2</SUP> m"},
        {"<sub>i</sub>", "&nbsp;<sub>i</sub>"},
        {"x<SUP>2</SUP>", "x<SUP>2</SUP>"},
        // The first superscript decides, not a subscript at the start.
        {"<SUB>i</SUB><SUP>2</SUP>", "<SUB>i</SUB><SUP>2</SUP>"},
        {"<sub>i</sub> and a longer text than sixteen bytes <sup>2</sup>",
         "<sub>i</sub> and a longer text than sixteen bytes <sup>2</sup>"},
        {"<Sub>a<BR><SUB>b", "&nbsp;<Sub>a<BR><SUB>b"},
        // Breaks near and far from each other.
        {"0123456789abcde<BR>0123456789abcdef<BR>0123456789abcdefg<BR>x",
         "0123456789abcde<BR>0123456789abcdef<BR>0123456789abcdefg<BR>x"},
        {" a piece far longer than sixteen bytes <br> b <x> <BR>c",
         "a piece far longer than sixteen bytes<BR>b <x><BR>c"},
        // Texts with nothing to trim are only read; a break in other letter
        // case is written in upper case, in place and after a moved piece.
        {"a<BR>b<BR>c", "a<BR>b<BR>c"},
        {"a<br>b<Br>c", "a<BR>b<BR>c"},
        {"a <br>b", "a<BR>b"},
        {"a<BR> b<bR>c<BR>d", "a<BR>b<BR>c<BR>d"},
        {"a\t<BR>\tb", "a<BR>b"},
        // Empty pieces: a "&nbsp;" that fits in the room its piece and the
        // break leave, and ones that outgrow it at the start, in the middle
        // and at the end of the text.
        {"  abc  <BR>   <BR>x", "abc<BR>&nbsp;<BR>x"},
        {"<BR><BR><BR>x", "&nbsp;<BR>&nbsp;<BR>&nbsp;<BR>x"},
        {"abcdef<BR><BR>g <BR>  h", "abcdef<BR>&nbsp;<BR>g<BR>h"},
        {"a<BR>   ", "a<BR>"},
        {"a<BR>b<BR><BR>", "a<BR>b<BR>&nbsp;<BR>"},
        {" <SUP>2</SUP><BR><BR>", "&nbsp;<SUP>2</SUP><BR>&nbsp;<BR>"},
    };
    for (const auto& [in, expected] : cases) {
        TextString text(in);
        HTML_FormatCellLines(&text, &text);
        EXPECT_EQ(text.str(), expected) << in;
        // Into another text, the given one unchanged.
        const TextString given(in);
        TextString out("old");
        HTML_FormatCellLines(&given, &out);
        EXPECT_EQ(out.str(), expected) << in;
        EXPECT_EQ(given.str(), in);
    }
}

// A cell that holds a whole block (megabytes, beyond the room the scratch
// texts keep), formatted in its own buffer and in a copy from an empty
// piece on; the cells after it come out as before.
TEST(FormatCellLinesTest, CellsOfABlockAreFormattedWhole) {
    for (const char* line : {" word ", "", "word"}) {
        std::string in, expected;
        for (int i = 0; i < 200000; ++i) {
            in += line;
            in += "<BR>";
            expected += *line ? "word<BR>" : "&nbsp;<BR>";
        }
        in += "end";
        expected += "end";
        TextString text(in);
        HTML_FormatCellLines(&text, &text);
        EXPECT_EQ(text.length, static_cast<int>(expected.size())) << line;
        EXPECT_TRUE(text.str() == expected) << line;
        TextString small(" a <BR><BR>b");
        HTML_FormatCellLines(&small, &small);
        EXPECT_EQ(small.str(), "a<BR>&nbsp;<BR>b");
    }
}

// The lines of a cell of several go straight into a buffering HTML file
// writer's buffer; they come out as the same lines written one by one do,
// with long lines among them, a NUL byte in the text, minimised or not.
TEST_F(TableOutputTest, CellLinesComeOutAsIfWrittenOneByOne) {
    const std::string longLine(140, 'w');
    struct Case {
        const char* what;
        std::string text;
        bool minimise = false;
        const char* endTag = "</TD>";
    };
    const std::vector<Case> cases = {
        {"short lines", "    <TD>a<BR>b<BR>c</TD>"},
        {"minimised", "<TD>a<BR>b<BR>c</TD>", true},
        {"a break before the end tag", "    <TH>a<BR>b<BR></TH>", false, "</TH>"},
        {"a long line among them", "    <TD>a<BR>" + longLine + "<BR>" + longLine.substr(0, 125) + "<BR>c</TD>"},
        {"a long first line", "    <TD>" + longLine + "<BR>c</TD>"},
        {"a NUL byte", std::string("    <TD>a<BR>b\0x<BR>c</TD>", 25)},
        {"markup the tidy passes change", "    <TD><B></B>a<BR>&amp;<BR>c</TD>"},
        // Cells the passes leave as they are, and cells just off them: their
        // lines are taken without a look or looked at one by one.
        {"a plain cell", "    <TD>a<BR>b - c<BR>d&nbsp;e<BR>&nbsp;<BR>x --<BR>f</TD>"},
        {"a plain cell minimised", "<TD>a<BR>&nbsp;b<BR>c</TD>", true},
        {"an indented line opening with an entity", "    <TD>a<BR>&nbsp;b<BR>c</TD>"},
        {"a blank last line", "    <TD>a<BR>b<BR>   "},
        {"a blank last line minimised", "<TD>a<BR>b<BR>   ", true},
        {"a non-breaking space before a break", "    <TD>a<BR>&nbsp;&nbsp;<BR>c</TD>"},
        {"a break before an end tag", "    <TD>a<BR></TD><TD>b<BR>c</TD>"},
        {"a line opening with an end tag", "    <TD>a<BR></TH>b<BR>c</TD>"},
        {"a comment end", "    <TD>a<BR>b --> c<BR>d</TD>"},
        {"a newline", "    <TD>a<BR>b\n<BR>c</TD>"},
        {"a blank line", "    <TD>a<BR>\n  \n<BR>c</TD>"},
        {"a break in lower case", "    <TD>a<br>b<BR>c</TD>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The lines one by one, as a writer that does not buffer is given them.
        RecordingDocument lines;
        TextString cell(std::string_view(c.text)), scratch;
        row_writing::WriteCellLines(&set, &lines, cell, c.endTag, c.minimise, scratch);
        ASSERT_GT(lines.entries.size(), 1u);

        auto run = [&](bool asCell) {
            return HtmlFileLines(set, [&](HTMLFile& writer) {
                for (int round = 0; round < 60; ++round) {
                    if (asCell) {
                        TextString text(std::string_view(c.text)), piece;
                        row_writing::WriteCellLines(&set, &writer, text, c.endTag, c.minimise, piece);
                    } else {
                        WriteRecorded(lines, set, writer);
                    }
                }
            });
        };
        const std::vector<std::string> oneByOne = run(false);
        ASSERT_GT(oneByOne.size(), 60u);
        EXPECT_EQ(run(true), oneByOne);
    }
}

TEST_F(TableOutputTest, ARowCellOfAWholeBlockIsWrittenLineByLine) {
    auto engine = Engine(3, 1);
    std::string block;
    const int lines = 150000;  // more than a megabyte of cell text
    for (int i = 0; i < lines; ++i) block += "some text of a line <BR>";
    block += "last";
    for (const char* text : {block.c_str(), "after <BR> it"}) {
        document.Clear();
        SetRow(*engine, {text}, 2);
        engine->OutputTableRow(2);
        const bool large = text == block.c_str();
        ASSERT_EQ(document.entries.size(), large ? static_cast<size_t>(lines) + 3 : 4u);
        EXPECT_EQ(document.entries[1].text, large ? "    <TD>some text of a line<BR>" : "    <TD>after<BR>");
        if (large) {
            EXPECT_EQ(document.entries[2].text, "      some text of a line<BR>");
        }
        EXPECT_EQ(document.entries[document.entries.size() - 2].text, large ? "      last</TD>" : "      it</TD>");
        EXPECT_TRUE(engine->cellRow.GetAt(0)->text.IsEmpty());
    }
}

}  // namespace
