// The column statistics and the columns: the per-position statistics of the
// block's lines, the detected columns (PreFormColumn) and what the column
// detection found beside them.
#pragma once

#include <memory>
#include <cstdint>
#include <vector>

#include "foundation/string_list.h"

// One detected column.
class PreFormColumn {
public:
    // The column statistics.
    FrequencyTable alignments;
    FrequencyTable spans;
    FrequencyTable emptyCells;
    FrequencyTable alphanumericCells;
    FrequencyTable symbolicCells;
    FrequencyTable numericCells;
    int start = 0;
    int gapEnd = 0;
    int boundary = 0;  // the last character position that belongs to the column
    int score = -1;  // -1 when not computed
    // Derived values.
    int typicalAlignment = 1;
    int typicalSpan = 1;
    int isConsistent = 0;
    int isMostlyEmpty = 0;
    int isAlphanumeric = 1;
    int isSymbolic = 0;
    int isNumeric = 0;
    int hasDominantValue = 0;  // first column: one value dominates its cells (set by the column statistics)
    // Where the column's text stands, over the lines of text (rules
    // aside), from the column statistics: cells that cover this column
    // only, and cells that run on over a boundary and cover this column
    // and the one after it, or this one and the one before it (a cell of
    // three columns or more counts in the middle ones both ways).
    int ownCells = 0;
    int cellsIntoNext = 0;
    int cellsFromPrevious = 0;
    int defaultVAlignment = 0;  // vertical alignment a fresh cell of the column gets (0 none)
    int width = 0;  // characters
    int rtfWidth = 0;  // twips
    int total = 0;

    PreFormColumn(int startPosition, int gapEndPosition, int boundaryPosition, int columnScore)
        : start(startPosition), gapEnd(gapEndPosition), boundary(boundaryPosition), score(columnScore) {}
};

// The per-position record of the block statistics: one per character
// position of the longest line.
class PositionStatistics {
public:
    FrequencyTable blanks;
    FrequencyTable separators;
    int isGap = 0;
    int isSeparator = 0;
    int linesCounted = 0;
    int blankCount = 0;  // lines with a blank here (or ended before it)
    int separatorCount = 0;
    int ruleMarkCount = 0;  // rule lines with a character other than a blank here
};

// The engine's columns (a stage of PreForm).
struct ColumnState {
    std::vector<std::unique_ptr<PositionStatistics>> positionStatistics;
    std::vector<std::unique_ptr<PreFormColumn>> columns;
    int columnCount = 0;  // kept equal to the number of columns
    // Per line of the block, from the column statistics for table parsing:
    // how many of the line's cells hold text, and the first of them (-1:
    // none).  Kept apart from the line records, which every line of every
    // block pays for; a line the statistics have not tallied has none.
    struct FilledCells {
        int16_t count = 0;  // columns are bounded far below 2^15 (block_analysis.cpp)
        int16_t first = -1;
    };
    std::vector<FilledCells> filledCells;
    FilledCells FilledCellsOf(int i) const {
        return static_cast<size_t>(i) < filledCells.size() ? filledCells[static_cast<size_t>(i)] : FilledCells{};
    }

    // ---- What the detection found ----
    int layoutColumns = 0;  // the columns came from a TABLE_LAYOUT
    int separatorColumns = 0;  // the columns came from separator characters such as "|"
    int minimumSeparation = 1;  // column separation of the last detection
    int extraSpans = 0;  // data lines: span - 1 summed over spanning cells
    int spanningCells = 0;  // data lines: cells spanning several columns
    int spanningLines = 0;  // data lines with a spanning cell
    char delimiter = '\t';
    int leftMargin = 0;  // the block's margin in characters (cut off the layout texts by the analysis)
    // The analysis stopped making columns at one of its bounds (see
    // block_analysis.cpp): the text of a line beyond the last column then
    // goes into its last cell.  `bound` is the bound reached (0: none);
    // `joinedFrom` the first character position of the text so joined when
    // the columns were detected (-1: none; a delimited line joins the fields
    // beyond the last column).
    struct ColumnCut {
        int bound = 0;
        int joinedFrom = -1;
    };
    ColumnCut columnCut;
    int tableMargin = 0;  // points, from the table directive; 0 when none
};
