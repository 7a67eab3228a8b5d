// Cells and rows: the cell records (TableCell), the cut of a line into
// cells (CellCut), the row of cells (TableCellRow) and the state of the
// rows of the table being parsed and written.
#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/source_position.h"
#include "foundation/text_string.h"
#include "tables/columns.h"
#include "tables/table_decision.h"

class FC;
class FontSpec;
class PreForm;

// TableCellFields::tuMode: the rule a TU or TU2 cell tag puts across the cell.
inline constexpr int kCellRuleNone = 0;
inline constexpr int kCellRuleTU = 1;  // TU
inline constexpr int kCellRuleTU2 = 2;  // TU2
// TableCellFields::contentsLinkMode: what a TOCLINK cell tag said.
inline constexpr int kContentsLinkUnset = 0;
inline constexpr int kContentsLinkYes = 1;
inline constexpr int kContentsLinkNo = 2;

// The format part of a table cell: plain values only, so that a cell is
// put back to its fresh state by one assignment (rows are reset for every
// line of a table).
struct TableCellFields {
    int span = 1;  // columns the cell covers
    int rowSpan = 1;
    int alignment = 1;  // 1 left, 2 centre, 3 right
    int secondAlignment = 0;
    int vAlignment = 0;  // from a cell tag: 1 top, 2 bottom, 3 centre; 0 none
    int vAlignmentOverride = 0;  // 0 none
    int contentAdded = 0;
    int isAlphanumeric = 1;
    int isSymbolic = 0;
    int valueKind = 0;  // ClassifyDataValue: 1 text, 2 number ...
    int lineCount = 0;  // source lines joined into the cell
    int isHeaderCell = 0;
    int isContinuation = 1;
    int row = -1;
    int column = -1;
    int firstRow = -1;
    int firstColumn = -1;
    int spanSwitch = 1;
    int lineBreakCount = 0;
    // Set by the cell-tag handler.
    int tuMode = kCellRuleNone;
    int dotLeaders = 0;
    int quadAlignment = 0;
    int noCharacter = 0;
    int stubIndent = 0;
    int ignoreStub = 0;
    int baseline = 0;
    int contentsLinkMode = kContentsLinkUnset;
    int holdsBreak = 0;
    int leading = 0;
    std::array<int, 4> switches{1, 1, 1, 1};

    const FontSpec* font = nullptr;  // not owned: a given font or the Context's table font
    SourcePosition position;
};

// One cell of a cell row: its text and format while the table is built and
// written.
class TableCell : public TableCellFields {
public:
    // ---- Texts ----
    TextString beforeText;  // text before the content
    TextString text;  // the content
    TextString afterText;  // text after the content
    TextString secondText;  // a second copy of the content
    TextString formatText;
    TextString gutterText;  // laid-out columns only
    TextString stubText;  // laid-out columns only
    TextString linkAnchor;  // contents tables: the anchor the cell links to

    // ---- Format: see TableCellFields ----

    TableCell(FC* set, const SourcePosition& where, const FontSpec* cellFont);
    // Back to a fresh cell placed at `where` with `cellFont`; the texts are
    // emptied but keep their buffers.
    void Reset(const SourcePosition& where, const FontSpec* cellFont);

    // The alignment a cell text suggests in its column: 1 left, 2 centre,
    // 3 right.
    int GuessAlignment(const PreForm* engine, int columnIndex, int columnWidth, const TextString& cellText,
                       int force) const;
    // Drops one pair of enclosing double quotes of a delimited field that
    // holds a comma; a doubled quote inside becomes one.
    void Unquote();
    // Counts the line breaks inside the content.
    void CountLineBreaks(const PreForm* engine);
    // Lines the content needs at a width (0: no width known).
    int LinesNeeded(const PreForm* engine, int width, int useBreaks, int fontSize) const;
    // Width of the widest line of the content; its text goes to `out`.
    int WidestLine(const PreForm* engine, FC* set, TextString* out) const;
    // Whether nothing but layout tags and line breaks is in the cell.
    bool IsEffectivelyEmpty(FC* set, const PreForm* engine) const;
    // Puts the content of the cell below beside this one, line by line.
    void JoinBelow(FC* set, TableCell* other);
};

// One cell of a line cut at the column boundaries, without its text copied:
// the cell's column and span, its text (the piece of the layout text from
// `first`, `length` bytes, without the blanks and tabs around it) and the
// alignment guessed from the piece as it stood.
struct CellCut {
    int column = 0;
    int span = 1;
    int first = 0;
    int length = 0;
    int alignment = 1;
};

// The cells of one row, one per column.
//
// Padding.  A line of a wide table often fills only its first few cells,
// and the cells after them are all alike but for their columns; resetting
// and walking each of them for every line would make a table cost rows x
// columns.  So the cells from PaddingStart() on are padding: one record
// (Padding) says what each of them holds, and a padding cell's own record
// is filled in from it only when the cell is read through GetAt or CellAt,
// which fill in every padding cell up to it.  Code that walks a whole row
// reads the cells before PaddingStart() and deals with the padding as one
// (through PaddingCells(): a change made there is made to every padding
// cell); code that does not know of padding reads the cells as it always
// has, and finds them filled in.
class TableCellRow {
public:
    // What every padding cell holds: the fields and the text, with the
    // column, the alignment and the vertical alignment taken, where said,
    // from the cell's index and from its column's record.  The column
    // records are read as they are when a cell is filled in: a row whose
    // padding reads them is filled in (FillIn) before they change.
    struct Padding {
        TableCellFields fields;
        TextString text;
        bool numbered = false;  // column: the cell's index
        const std::vector<std::unique_ptr<PreFormColumn>>* columns = nullptr;
        bool typicalAlignment = false;  // alignment: the column's typical one
        bool defaultVAlignment = false;  // vertical alignment: the column's default
    };

    TableCellRow() = default;
    TableCellRow(const TableCellRow&) = delete;
    TableCellRow& operator=(const TableCellRow&) = delete;
    // Exchanges the rows' cells and padding (a row is exchanged for every
    // line of a table: the padding record is kept apart for that).
    void Swap(TableCellRow& other) noexcept {
        cells.swap(other.cells);
        padding.swap(other.padding);
        std::swap(paddingStart, other.paddingStart);
    }

    void Add(std::unique_ptr<TableCell> cell) {
        FillIn();
        cells.push_back(std::move(cell));
        paddingStart = Count();
    }
    void Clear() {
        cells.clear();
        paddingStart = 0;
    }
    int Count() const { return static_cast<int>(cells.size()); }
    TableCell* GetAt(int index) const { return (index >= 0 && index < Count()) ? CellAt(index) : nullptr; }
    // GetAt for an index known to be in [0, Count()): the loops over every
    // cell of a row.
    TableCell* CellAt(int index) const {
        if (index >= paddingStart) FillInBefore(index + 1);
        return cells[static_cast<size_t>(index)].get();
    }
    // Removes the cells after `lastKept` up to `lastRemoved`.
    void RemoveRange(int lastKept, int lastRemoved);
    // n fresh cells placed at `where` with `font`.
    void Reset(int n, FC* set, const SourcePosition& where, const FontSpec* font);

    // The first padding cell (Count() when there is none).
    int PaddingStart() const { return paddingStart; }
    Padding& PaddingCells() { return *padding; }
    const Padding& PaddingCells() const { return *padding; }
    // Every cell from `first` on becomes padding with `fields` and no text
    // (the padding cells before it are filled in first); the record is
    // returned for the rest of what they hold.
    Padding& PadFrom(int first, const TableCellFields& fields);
    // Gives back the room of the padding cells' large texts (a cut of a long
    // line leaves it there): a padding cell's text is made again when it
    // is filled in.
    void ReleasePaddingTexts();
    // Fills in the padding cells before `end`; all of them.
    void FillInBefore(int end) const;
    void FillIn() const { FillInBefore(Count()); }

private:
    std::vector<std::unique_ptr<TableCell>> cells;
    std::unique_ptr<Padding> padding = std::make_unique<Padding>();
    // Moves up as padding cells are filled in, which changes nothing the
    // row holds: a row read through a const reference fills them in too.
    mutable int paddingStart = 0;
};

// Whether a cell text (without its outer blanks) is a signed number, which
// the alignment guess counts numeric beside the texts of digits, "%", "*",
// ",", ".", ":": a "+", "-" or (in UTF-8 text) U+2212 minus sign, then
// digits with at most one decimal mark and thousands separators ("," or
// "."; a group between two separators has three digits), and an optional
// "%" ("-3.0", "+21.8%", "-1,200.50", "-1.200,50", "-.5").  A text with a
// sign inside or a version's dots ("1-2", "-1.2.3") is none.
bool IsSignedNumber(std::string_view text, bool utf8Text);

// Formats the lines of a cell text: trimmed pieces between "<BR>", empty
// ones as "&nbsp;", a leading superscript or subscript protected.  `text`
// and `out` may be the same string.
void HTML_FormatCellLines(const TextString* text, TextString* out);
// The same, with `scratch` for the copy a text that grows is built in: the
// cell writers pass a scratch text of the engine's, which keeps its room.
void HTML_FormatCellLines(const TextString* text, TextString* out, TextString& scratch);

// The parse types of PreForm::ParseTable: a silent trial, a table, a
// definition list (RTF two-column tables), a text block (one row).
inline constexpr int kParseTrial = 0;
inline constexpr int kParseTable = 1;
inline constexpr int kParseDefinitionList = 2;
inline constexpr int kParseTextBlock = 3;

// The rows of the table being parsed and written (a stage of PreForm).
struct RowState {
    TableCellRow cellRow;  // the row being assembled
    TableCellRow scratchRow;  // the row each line is cut into
    int headerRowCount = 0;
    int leadingBlankCount = 0;
    int headerColumnCount = 0;
    int centreTable = 0;  // the table start chose to centre the table
    // What the table start decided (see table_decision.h).
    TableDecision tableDecision;
    // Set by the writer whose ParseTable is the last look at the block's
    // lines: the texts of the lines gathered into rows are given back while
    // the table is written (a block written as one cell would otherwise
    // hold its text twice).
    bool releaseWrittenTexts = false;
    int defaultVAlignment = 0;  // vertical alignment of rows that need none of their own

    // ---- Output-time state of the rows ----
    int columnSeparationState = 1;
    std::array<int, 4> headerSwitches{1, 1, 1, 1};
    std::array<int, 4> rowColumnIndexes{-1, -1, -1, -1};
    int dataRowCount = 0;

    // ---- Padding of short rows (table output) ----
    // The empty cells written at the ends of this table's rows, counted
    // against the padding limit (kPaddingCellLimit, table_output.cpp); once
    // past it the trailing empty cells of a row are merged.  Reset by the
    // table start.
    struct PaddingState {
        long filledCells = 0;
        bool merging = false;
    };
    PaddingState rowPadding;
    // RTF: the right edge of each column's cells, in twips from the table's
    // left, the same for every row: made by the table's first row (the
    // columns' widths are fitted by then), emptied by the table start.
    std::vector<long> rtfCellEdges;
};
