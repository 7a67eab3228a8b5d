// Table output of laid-out columns: stub cells, indent spacers, spans over
// reserved positions and hidden columns, gutter text, column vertical
// alignment and the span width less the stub indent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/engine_fixture.h"
#include "policies/tab_config.h"

namespace {

using Lines = std::vector<std::string>;

class LayoutOutputTest : public EngineFixture {
protected:
    TabConfig* config = nullptr;
    std::unique_ptr<PreForm> engine;

    void Lay(int columns) {
        config = set.GetDefaultTabConfig();
        config->SetColumnCount(columns, nullptr);
        engine = EngineWithLines({"a", "b", "c", "d", "e"});
        for (int c = 0; c < columns; ++c) engine->AddColumn(c * 10, c * 10, c * 10 + 9, -1);
        engine->tabConfig = config;
    }
    TableCell& Cell(int c, const char* text) {
        TableCell& cell = *engine->cellRow.GetAt(c);
        cell.text = text;
        cell.lineCount = 1;
        return cell;
    }
    Lines Row(int lineIndex) {
        document.Clear();
        engine->OutputTableRow(lineIndex);
        return document.Texts();
    }
};

TEST_F(LayoutOutputTest, StubIndentWritesSpacersAndSpansTheFreePositions) {
    Lay(2);
    config->Column(0)->width = 100;  // 134 in HTML
    config->Column(0)->stubIndent = 1;
    config->largestStubIndent = 2;
    Cell(1, "x");
    const std::string spacer = "    <TD WIDTH=15>&nbsp;</TD>", tail = "    <TD>x</TD>";
    const std::vector<std::pair<int, Lines>> cases = {
        {0, {"    <TD WIDTH=134 COLSPAN=3>a</TD>", tail}},
        {1, {spacer, "    <TD WIDTH=119 COLSPAN=2>a</TD>", tail}},
        {2, {spacer, spacer, "    <TD WIDTH=104>a</TD>", tail}},
        {7, {spacer, spacer, "    <TD WIDTH=104>a</TD>", tail}},  // deeper than the deepest reserved
    };
    for (const auto& [level, cells] : cases) {
        Cell(0, "a").stubIndent = level;
        const Lines row = Row(1);
        EXPECT_EQ(Lines(row.begin() + 1, row.end() - 1), cells) << level;
    }

    // Header rows use TH; percentages refer to the width filled in at the
    // table start (134), which also records the centring of a far indent.
    engine->headerRowCount = 1;
    engine->leftMargin = 30;
    config->SetInt(TabPol::UsePercentageWidths, 1);
    engine->OutputTableStart(nullptr, nullptr);
    EXPECT_EQ(config->totalWidth, 134);
    EXPECT_EQ(config->centreTable, 1);
    Cell(0, "a").stubIndent = 1;
    const Lines row = Row(0);
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[1], "    <TH WIDTH=\"11%\">&nbsp;</TH>");
    EXPECT_EQ(row[2], "    <TH WIDTH=\"89%\" COLSPAN=2 ALIGN=\"LEFT\">a</TH>");

    // A level beyond the limit is written at the limit, with a warning.
    config->largestStubIndent = 500;
    Cell(0, "a").stubIndent = 500;
    engine->OutputTableStart(nullptr, nullptr);
    EXPECT_NE(engine->messageText.str().find("WARNING: Stub indent too deep"), std::string::npos);
    EXPECT_EQ(Row(1).size(), 2u + 20 + 2);
}

TEST_F(LayoutOutputTest, StubCellsHiddenColumnsAndGutterText) {
    Lay(3);
    config->Column(0)->stubWidth = 20;
    config->Column(0)->vAlignment = 3;
    config->Column(1)->hidden = 1;
    config->Column(2)->stubWidth = 10;
    Cell(0, "a").stubText = "S";
    engine->cellRow.GetAt(0)->vAlignment = 2;  // the column's alignment replaces the tag's
    Cell(1, "hidden");
    Cell(2, "5").gutterText = "$";
    EXPECT_EQ(Row(1),
              (Lines{"  <TR>", "    <TD WIDTH=20 VALIGN=\"CENTER\">S</TD>", "    <TD VALIGN=\"CENTER\">a</TD>",
                     "    <TD WIDTH=10>&nbsp;</TD>", "    <TD>$&nbsp;5</TD>", "  </TR>"}));

    // A cell over all three columns covers the visible two and the second
    // stub; a header row keeps the stub columns.
    Cell(0, "wide").span = 3;
    engine->headerRowCount = 1;
    EXPECT_EQ(Row(0),
              (Lines{"  <TR>", "    <TH WIDTH=20>S</TH>", "    <TH COLSPAN=3 ALIGN=\"LEFT\">wide</TH>", "  </TR>"}));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(LayoutOutputTest, SpanWidthLeavesOutTheStubIndent) {
    Lay(2);
    config->Column(0)->width = 100;
    config->Column(1)->width = 100;
    config->Column(0)->stubIndent = 4;
    TableCell& cell = Cell(0, "a");
    // Not for the caller's or the cell's ignore-stub, nor in another column.
    EXPECT_EQ(engine->GetSpanWidth(&cell, 0, 0, 1), 130);
    EXPECT_EQ(engine->GetSpanWidth(&cell, 1, 0, 1) + engine->GetSpanWidth(&cell, 0, 1, 1), 2 * 134);
    cell.ignoreStub = 1;
    EXPECT_EQ(engine->GetSpanWidth(&cell, 0, 0, 1), 134);
    config->Column(0)->width = 0;  // an unknown width stays unknown, never negative
    EXPECT_EQ(engine->GetSpanWidth(nullptr, 0, 0, 1), 0);
}

}  // namespace
