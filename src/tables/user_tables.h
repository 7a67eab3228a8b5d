// User-specified tables: the cells of a table whose rows and cells are
// marked with NEW_ROW and NEW_CELL directive lines, gathered into grids
// before they are checked and written.
#pragma once

#include <memory>
#include <vector>

#include "foundation/text_string.h"
#include "tables/preform.h"

class Context;

// The cells of the header part or the data part of one table section.  Row
// numbers count from 1 within the section, column numbers from 1 within the
// row.  PreForm::PlaceUserTableCells fills the placement fields.
class UserTableGrid {
public:
    std::vector<std::unique_ptr<TableCell>> cells;

    // ---- Placement (PreForm::PlaceUserTableCells) ----
    // A run of positions of one row covered by one cell.
    struct Run {
        int first;  // first and last column
        int last;
        int owner;  // index of the cell
    };
    int firstRow = 0;
    int lastRow = -1;
    int width = 0;  // columns of the occupancy map: the table's or the cells', whichever is wider
    // The occupancy map, row by row from `firstRow`: the covered runs of
    // each row in column order.  Only covered positions take room, so a
    // wide and long but sparse table costs no more than its cells.
    std::vector<std::vector<Run>> runs;
    // The indexes of the cells that start in each row, by column.
    std::vector<std::vector<int>> rowCells;
    // Set for each cell once it has been written (or reported).
    std::vector<char> written;

    // A new cell at (row, column) holding no text.
    TableCell* Add(FC* set, int row, int column, const SourcePosition& where, const FontSpec* font);
    int RowCount() const { return lastRow >= firstRow ? lastRow - firstRow + 1 : 0; }
    // The index of the cell covering (row, column); -1 outside the map or
    // where no cell is.
    int OwnerAt(int row, int column) const;
};

// One table of a user-specified block: a run of head rows and the data rows
// after them, and the text met where no cell was open.
class UserTableSection {
public:
    UserTableGrid header;
    UserTableGrid data;
    TextString unplacedText;
};

// Reads a COLUMN_DETAILS width: a number with an optional unit "pt"/"pts"
// (points), "in"/"ins" (72 points) or "cm" (28.346456692913385 points),
// rounded to whole points.  False when the text is not such a width.
bool ParseUserColumnWidth(const TextString& text, int* points);

// The user-table directive `text` begins with (NEW_ROW, NEW_CELL or
// COLUMN_DETAILS, as the context's directive keywords spell them, in any
// case, as a whole word): its keyword slot (kDirNewRow ...), or -1 for any
// other text.
int UserTableDirectiveOf(const FC& set, const Context& context, const TextString& text);
