// The row record: one row of a table as its writers take it.  The engine
// fills it as each row ends (PreForm::OutputTableRow), from the assembled
// cells, the lines around the row and the table's decision, and hands it to
// the row writer of each output that is on (html_row_writer.cpp,
// rtf_row_writer.cpp); a writer reads nothing of the engine but the record.
// Rows are written as they end: a record holds one row, and its cells'
// texts stay in the engine's cells (a cell may hold a whole block).
#pragma once

#include <vector>

#include "foundation/text_string.h"

class FontSpec;
class TableCell;

// One written cell of a row: a cell spanning n columns stands for the n
// columns it covers.
struct CellRecord {
    int column = 0;  // the cell's first column, from 0
    int span = 1;  // columns covered (a merged filler: the rest of the row)
    int rowSpan = 1;
    int alignment = 1;  // the cell's own: 1 left, 2 centre, 3 right
    int htmlAlignment = 1;  // HTML: the configuration's cell alignment when it gives one, else the cell's
    // HTML: the cell's vertical alignment (a cell tag's, a laid-out column's,
    // the cell's override), 0 when the row's says it already.
    int vAlignment = 0;
    int width = 0;  // HTML: the first column's share of the page (a names-and-values list), else 0
    long rightEdge = 0;  // RTF: the cell's right edge, in twips from the margin
    const FontSpec* font = nullptr;
    const TextString* gutter = nullptr;  // laid-out columns only
    const TextString* stub = nullptr;  // laid-out columns only
    // The text as converted for the output format; a writer that does not
    // keep it as it is (ownText) takes it over and leaves the cell empty.
    TextString* text = nullptr;
    // The engine's cell, handed back to the engine's cell routines (its tags,
    // the full HTML cell); a writer does not read it.
    TableCell* cell = nullptr;
    bool headerColumn = false;  // the column is a header column
    bool merged = false;  // the empty cells that end the row, written as one
    bool ownText = false;  // HTML: the text is written from the cell as it stands (a plain text)
    bool plainMarkup = false;  // HTML: written as start tag, text and end tag
    // HTML: the text is the "&nbsp;" of an empty cell, written as a plain
    // cell whose start tag has no horizontal alignment.
    bool onlySpacing = false;
    bool rule = false;  // HTML: the cell holds a rule ("<HR")
    bool drawnRule = false;  // HTML: the text is a rule line, written as "<HR>"
};

// One row, as it ended.
struct RowRecord {
    int closingLine = 0;  // the block line that closed the row
    bool headerRow = false;
    bool lastLine = false;  // the row closes the block's last line
    bool onlyLine = false;  // the block is one line
    // RTF: the row is not kept with the next (a short or large block, or
    // Windows Help source).
    bool loose = false;
    // RTF: rows of a large block or of Windows Help source have no keep on
    // their first cell either.
    bool looseCells = false;
    bool winHelp = false;
    bool ruleAbove = false;  // a rule line stands above the row (RTF cell borders)
    bool ruleBelow = false;  // a rule line stands below it
    int vAlignment = 0;  // HTML: 1 (top) when its cells differ in height, else 0
    long rtfOffset = 0;  // RTF: the left edge of the row, in twips from the margin
    const TextString* colour = nullptr;  // HTML: a data row's colour, or null
    bool percentWidths = false;  // HTML: cell widths as percentages of percentBase
    int percentBase = 0;
    std::vector<CellRecord> cells;
};
