// PreForm: the table engine of one input file.  The per-file conversion
// hands it every line that leaves its ring of analysed lines; the engine
// keeps each as a PreFormLine (the three texts the later steps work on, the
// line's type and positions) together with the running block statistics
// (longest and shortest line, smallest indent, mail-header lines), and at the
// end of the file writes the collected block through the output document.
// PreFormColumn is one detected column; the cell row holds one cell per
// column.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/message_levels.h"
#include "foundation/source_position.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"
#include "platform/heap_blocks.h"
#include "tables/table_decision.h"

class AnalysedLine;
class FC;
class FontSpec;
class OutputDocument;
class TabConfig;
class UserTableGrid;  // user_tables.h
class UserTableSection;  // user_tables.h
struct TidyBuffer;  // output/html_tidy.h

// A text of a block line: `length` bytes at `buffer`, followed by a NUL.
// The bytes belong to the line's block (see LineTextArena) and stay where
// they are until the block is destroyed.
struct LineText {
    const char* buffer = "";
    int length = 0;

    std::string_view view() const { return std::string_view(buffer, static_cast<size_t>(length)); }
    std::string str() const { return std::string(view()); }
    bool IsEmpty() const { return length == 0; }
};

// The bytes of the texts of one block's lines.  A whole input file is one
// block and every one of its lines is kept until the block is written, so
// the texts are packed one after the other into large chunks rather than
// held in a heap block each (an allocator header and rounding cost more
// than the text of a short line).  Bytes once written are never changed or
// moved: a line whose text changes gets new bytes, so that a text read
// before the change (a LineText) keeps its value.  The block also keeps the
// few analysed lines that hold the replacement pairs of an emphasis phrase
// across lines.
//
// Each chunk notes the last line whose texts it holds, so that the chunks
// of lines already written can be given back while the rest of the block is
// written (ReleaseBefore): a block written as one cell would otherwise hold
// its text twice.  A small block keeps them to its end, for the next block
// to reuse.  Bytes allocated while no line is named (see LineScope) belong
// to no line and are kept to the end.
class LineTextArena {
public:
    LineTextArena() = default;
    LineTextArena(const LineTextArena&) = delete;
    LineTextArena& operator=(const LineTextArena&) = delete;
    ~LineTextArena();

    // `bytes` fresh bytes, at an address aligned to `align` (a power of two
    // up to 16).
    char* Allocate(size_t bytes, size_t align = 1);
    // A copy of `text` followed by a NUL (the empty text needs no bytes).
    LineText Copy(std::string_view text);
    // Keeps `line` for the block's life; returns it.
    AnalysedLine* Keep(std::unique_ptr<AnalysedLine> line);

    // While it lives, the bytes allocated are texts of line `index`.
    class LineScope {
    public:
        LineScope(LineTextArena& arena, size_t index) : arena(arena) { arena.owner = index; }
        ~LineScope() { arena.owner = kNoLine; }
        LineScope(const LineScope&) = delete;
        LineScope& operator=(const LineScope&) = delete;

    private:
        LineTextArena& arena;
    };

    // Gives back every chunk that holds texts of lines before `line` only
    // (a small block's chunks of small texts stay to its end).  The texts of
    // those lines must not be read again.
    void ReleaseBefore(size_t line);

private:
    // Texts are carved from chunks of kChunkBytes, and from kLargeChunkBytes
    // once kSmallChunks are made (a large block gets large pages); a text
    // larger than kOwnChunkBytes gets a chunk of its own, so that the unused
    // tail of a chunk stays below a sixteenth of it.
    static constexpr size_t kChunkBytes = 256u << 10;
    static constexpr size_t kLargeChunkBytes = PageRun::kLargePageBytes;
    static constexpr size_t kSmallChunks = 8;
    static constexpr size_t kOwnChunkBytes = kChunkBytes / 16;
    static constexpr size_t kNoLine = SIZE_MAX;  // bytes that belong to no line: kept
    // A chunk for the small texts has pages of its own; a large text's own
    // chunk comes from the heap (a mapping for each would be many).
    struct Chunk {
        PageRun pages;
        std::unique_ptr<char[]> heap;
        size_t lastLine = 0;  // the last line with texts here (kNoLine: kept to the end)
        bool Held() const { return pages.data() || heap; }
    };
    std::vector<Chunk> chunks;
    size_t filledChunks = 0;  // chunks made for the small texts
    char* next = nullptr;  // the free bytes of the newest chunk
    size_t left = 0;
    size_t newest = SIZE_MAX;  // the index of the chunk `next` points into
    size_t owner = kNoLine;  // the line the bytes allocated now belong to
    std::vector<std::unique_ptr<AnalysedLine>> kept;

    // Notes that `chunk` holds bytes of the current owner.
    void Note(Chunk& chunk) const {
        if (owner == kNoLine)
            chunk.lastLine = kNoLine;
        else if (chunk.lastLine != kNoLine && owner > chunk.lastLine)
            chunk.lastLine = owner;
    }
};

// One line of the block.  A block holds one record per source line for the
// whole conversion, so the record is kept small (48 bytes):
// - the texts live in the block's LineTextArena, the record points at them;
// - the layout text is always kept; the display and raw texts are kept
//   apart only when they differ from it (for a plain ASCII table all three
//   are the same, and a large table would otherwise be held three times);
// - what most lines do not need sits in a small record (OtherTexts, 5 to
//   13 bytes, read and written byte by byte) placed in the arena directly
//   before the layout text and found through the `hasOther` bit, so that
//   most lines pay no pointer for it: where the display and raw texts are
//   (their own bytes follow the layout text's) with the lengths of those
//   kept apart, and the byte length of a wide line's layout text (`length`
//   is that length on the others); before it, only on the lines that have
//   them, the position in the main file of a line read from an included
//   file and the replacement pairs;
// - a raw text that is the layout text with some runs of blanks standing
//   for tabs (as in a table delimited by tabs, where it would double the
//   text kept) is kept as the list of those runs (TabRuns) and rebuilt
//   when asked for;
// - the 0/1 flags are bits.
// Read the texts through Layout(), Display() and Raw(); change them through
// the Set and Cut calls, which leave the other texts as they were.
class PreFormLine {
public:
    int length = 0;  // length of the layout text
    int indent = 0;  // leading blanks of the analysed line
    int lineType = kLineText;
    SourcePosition position;
    // Filled by the block statistics and used by table parsing and output.
    int filledCellCount = 0;  // cells of the line with text
    int firstFilledCell = -1;  // -1 when the line has no filled cell
    int rowIndex = -1;
    // What the output of the line still needs from its analysed line: the
    // attribute flags and the directive code (kStatementNone or a statement
    // code of the preprocessor, all within 16 bits).
    uint32_t flags = 0;
    int16_t tagCode = kStatementNone;
    // 0/1 flags, filled by the block statistics.
    uint8_t isRuleLine : 1 = 0;
    uint8_t isBlank : 1 = 0;
    uint8_t hasSpanningCell : 1 = 0;  // a cell before the last spans more than one column
    uint8_t onlyLastCellFilled : 1 = 0;  // every cell but the last is empty
    uint8_t lastCellEmpty : 1 = 0;
    // The layout text holds UTF-8 characters beyond ASCII: `length` counts
    // the display positions its characters take, not its bytes.  Set when
    // the record is made.
    uint8_t wide : 1 = 0;
    // Kept by the record itself: an OtherTexts record stands before the
    // layout text.  (A bit beside the others, so that it costs no byte.)
    uint8_t hasOther : 1 = 0;
    // The line is a further line of the record of the line before it: a
    // quoted field of a comma-delimited table runs over the line end before
    // it (set by PreForm::FindRecords).  The record is one row, written
    // from its first line.
    uint8_t continuesRecord : 1 = 0;

    PreFormLine() = default;
    // The three texts (each without trailing blanks, and cut at a NUL byte),
    // length, indent, type, positions, tag code, flags and replacement pairs
    // of the analysed line; the texts go to `arena`.  `utf8Text`: the text
    // read is UTF-8, so that a layout text with characters beyond ASCII is
    // measured in display positions.
    PreFormLine(const AnalysedLine& line, LineTextArena& arena, bool utf8Text = false);

    // The text before output escaping (tabs expanded, code-page conversions
    // done): column detection and cell cutting work on it.
    LineText Layout() const { return LineText{layoutText, hasOther ? OtherLayoutBytes() : length}; }
    // The analysed line's text as converted for the output format.
    LineText Display() const;
    // The line as read (tabs kept): delimiter splitting works on it.  A raw
    // text kept as the runs of its tabs is rebuilt into `scratch` (and is
    // valid while `scratch` is unchanged); otherwise `scratch` is unused.
    LineText Raw(TextString& scratch) const;
    // Where the line stands in the main input file (for a line of an
    // included file, the line that included it).
    SourcePosition OriginPosition() const;
    // The analysed line that holds the replacement pairs of an emphasis
    // phrase across lines, for a line on which one starts or ends; null for
    // the others.
    AnalysedLine* Replacements() const;

    // Replace one of the texts (the others keep their values); new bytes
    // come from `arena`.  `length` follows the layout text.
    void SetLayout(LineTextArena& arena, std::string_view text);
    void SetDisplay(LineTextArena& arena, std::string_view text);
    void SetRaw(LineTextArena& arena, std::string_view text);
    // Drops the first n bytes of the layout text (all of it when it is not
    // longer); the other texts keep their values.
    void CutLayoutFront(LineTextArena& arena, int n);

private:
    // Where the display or raw text is: the layout text, bytes of its own
    // (after the layout text's), (raw only) the display text, or (raw only)
    // the layout text with the tab runs that follow the other bytes.
    enum class Source : uint8_t { Layout, Own, Display, TabRuns };
    // What stands before the lengths of the OtherTexts record, each 8 bytes.
    static constexpr uint8_t kHasOrigin = 1;  // the SourcePosition in the main file
    static constexpr uint8_t kHasReplacements = 2;  // the AnalysedLine* (kept by the arena)
    // The record as read.  In the arena, going back from the layout text:
    // one byte of the two sources and the `before` bits, the layout text's
    // length, the raw text's length (only when it has bytes of its own),
    // the display text's (likewise), then what `before` names.
    struct OtherTexts {
        int layoutBytes = 0;
        int displayBytes = 0;  // 0 unless the display text has bytes of its own
        int rawBytes = 0;  // 0 unless the raw text has bytes of its own
        Source display = Source::Layout;
        Source raw = Source::Layout;
        uint8_t before = 0;  // kHasOrigin | kHasReplacements
        const char* beforeEnd = nullptr;  // where what `before` names ends
    };

    const char* layoutText = "";

    OtherTexts Other() const;
    // The byte length of the layout text when an OtherTexts record is kept.
    int OtherLayoutBytes() const {
        int bytes;
        std::memcpy(&bytes, layoutText - 1 - sizeof bytes, sizeof bytes);
        return bytes;
    }
    // The bytes after the layout text, and after the display text when it
    // has its own.
    const char* AfterTexts(const OtherTexts& other) const;
    // Gives the line its texts (with an OtherTexts record unless the line
    // needs none) and measures the layout text.
    void Place(LineTextArena& arena, std::string_view layout, std::string_view display, std::string_view raw,
               AnalysedLine* replacements, const SourcePosition& origin);
};

// The runs of blanks of a layout text that stand for tabs of its raw text:
// the raw text is the layout text with each run replaced by one tab.
// Stored as a count and, per run, its distance from the end of the run
// before and its length, each a variable-length number of 7-bit groups.
namespace TabRuns {
// Fills `runs` and returns true when `raw` is `layout` with runs of blanks
// replaced by tabs and a run can be told from the blanks around it (no two
// tabs are parted by blanks alone); false when the raw text has to be kept
// as it is.
bool Encode(std::string_view layout, std::string_view raw, std::string& runs);
// The raw text again, into `out`.
void Decode(std::string_view layout, const unsigned char* runs, TextString& out);
}  // namespace TabRuns

// The lines of a block, in order.  Records are kept by value in chunks of
// kChunkLines (a record costs its 48 bytes, with no pointer or allocator
// header beside it) and never move; lines[i] gives the record's address.
// The chunks are carved from runs of pages of their own: kFirstRunChunks,
// then kRunChunks at a time, a whole number of large pages.
class BlockLines {
public:
    class iterator {
    public:
        using value_type = PreFormLine*;
        using difference_type = std::ptrdiff_t;
        iterator(const BlockLines* owner, size_t at) : lines(owner), index(at) {}
        PreFormLine* operator*() const { return (*lines)[index]; }
        iterator& operator++() {
            ++index;
            return *this;
        }
        bool operator==(const iterator& other) const { return index == other.index; }

    private:
        const BlockLines* lines;
        size_t index;
    };

    BlockLines() = default;
    BlockLines(const BlockLines&) = delete;
    BlockLines& operator=(const BlockLines&) = delete;

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    PreFormLine* operator[](size_t i) const { return chunks[i / kChunkLines] + i % kChunkLines; }
    PreFormLine* front() const { return (*this)[0]; }
    PreFormLine* back() const { return (*this)[count - 1]; }
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, count); }

    // Appends the record of an analysed line (see PreFormLine).
    PreFormLine& Add(const AnalysedLine& line, bool utf8Text);
    // PreFormLine::SetLayout and CutLayoutFront of line i, its new bytes
    // noted as the line's own (see LineTextArena::ReleaseBefore).
    void SetLayout(size_t i, std::string_view text);
    void CutLayoutFront(size_t i, int n);
    // Gives back the texts of the lines before `line`, once nothing reads
    // them again (they have been written); their records stay.
    void ReleaseTextsBefore(size_t line) { texts.ReleaseBefore(line); }

    // The bytes of the lines' texts.
    LineTextArena texts;

private:
    static constexpr size_t kChunkLines = 4096;
    static constexpr size_t kChunkBytes = kChunkLines * sizeof(PreFormLine);
    // 32 chunks make three large pages exactly; the first run does not.
    static constexpr size_t kRunChunks = 32;
    static constexpr size_t kFirstRunChunks = 5;  // below a megabyte: a small block takes no large page
    static_assert(kRunChunks * kChunkBytes % PageRun::kLargePageBytes == 0);
    std::vector<PreFormLine*> chunks;
    std::vector<PageRun> runs;
    size_t runChunks = 0;  // chunks of the newest run
    size_t runChunksUsed = 0;  // of them taken
    size_t count = 0;
};

// Directive lines other than CHANGE_POLICY lines have done their work when
// the file was read: they carry no text of the block.
inline bool IsDirectiveLine(const PreFormLine& line) {
    return line.tagCode != kStatementNone || (line.lineType >= kStatementFirst && line.lineType <= kStatementLast) ||
           line.lineType == kStatementContentsList || line.lineType == kStatementNavigationBar;
}

// Whether a line of the block holds text of the table: no CHANGE_POLICY
// line, no other directive line, no line consumed or ignored when read.
inline bool IsTableTextLine(const PreFormLine& line) {
    return line.lineType != kStatementChangePolicy && !IsDirectiveLine(line) && line.lineType != kLineConsumed &&
           line.lineType != kLineIgnored;
}

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

// The format part of a cell: the texts around its content and its switches.
class CellFormat {
public:
    std::array<TextString, 5> texts;
    int span = 1;
    int alignment = 1;
    int secondAlignment = 0;
    SourcePosition position{0, 1};
};

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

class PreForm {
public:
    // ---- Counters ----
    int lineCount = 0;
    int blankLineCount = 0;  // blank lines below the header lines
    int codeLineCount = 0;
    int ruleLineCount = 0;  // rule lines below the header lines
    int firstRuleLine = -1;
    int secondRuleLine = -1;
    int lastRuleLine = -1;
    int mailHeaderLineCount = 0;
    int headerLineCount = 0;  // leading lines the statistics skip

    // ---- The lines, the configuration, the measures ----
    BlockLines lines;
    TabConfig* tabConfig = nullptr;  // not owned; chosen when the block is processed
    int longestLength = -1;
    int shortestLength = -1;
    int smallestIndent = 80;
    std::vector<std::unique_ptr<PositionStatistics>> positionStatistics;
    std::vector<std::unique_ptr<PreFormColumn>> columns;
    int columnCount = 0;  // kept equal to the number of columns

    // ---- Block kinds (from the special format code) ----
    int isTable = 0;
    int isCode = 0;
    int isPreformatted = 0;
    int isDiagram = 0;
    int isUserTable = 0;
    int isDelimited = 0;
    int isUnderwriter = 0;
    int isInversePyramid = 0;

    // ---- Detection results ----
    int layoutColumns = 0;  // the columns came from a TABLE_LAYOUT
    int separatorColumns = 0;  // the columns came from separator characters such as "|"
    int looksLikeTable = 1;
    int looksLikeDiagram = 0;
    int looksLikeCode = 0;
    int looksLikeMailHeader = 0;
    int canUseDefinitionList = 0;  // two columns (RTF)
    int isTextBlock = 0;  // a single column
    int isSparse = 0;
    int blankSeparatedRows = 0;
    // Most lines of text of the block begin and end with "|": the first and
    // last "|" of a line are borders (set by the line statistics).
    int barFramedLines = 0;
    int mergeCount = 0;  // merges of the analysis
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

    // ---- Table parsing ----
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

    // ---- Policies and writers ----
    FC* policies = nullptr;  // not owned
    OutputDocument* htmlWriter = nullptr;  // not owned
    OutputDocument* rtfWriter = nullptr;  // not owned
    int htmlOutput = 1;
    int rtfOutput = 0;
    int thirdOutput = 0;
    int extendedMarkupMode = 0;  // the policy set's markup mode is 1 or 2
    std::array<CellFormat, 2> defaultCellFormats;

    // ---- Output-time state of table output ----
    int columnSeparationState = 1;
    std::array<int, 4> headerSwitches{1, 1, 1, 1};
    std::array<int, 4> rowColumnIndexes{-1, -1, -1, -1};
    int dataRowCount = 0;
    TextString messageText;  // the block's collected messages
    int messageLevel = 0;

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

    // ---- Scratch buffers ----
    // Texts and lists that the cell cutting and the table writers refill for
    // every line, row or cell.  Kept here rather than in statics of those
    // functions, they keep their room from one use to the next and belong to
    // this engine alone.  Each serves the one function named beside it, and
    // nothing in one outlives the call that fills it.
    struct ScratchBuffers {
        std::unique_ptr<AnalysedLine> cellLine;  // ConvertRowForOutput (made on first use)
        std::vector<CellCut> cuts;  // SplitLineIntoCellsByColumns
        TextString extraField;  // SplitLineIntoCellsByDelimiter
        TextString rawLine;  // SplitLineIntoCellsByDelimiter, RecordRaw
        TextString recordText;  // SplitLineIntoCellsByDelimiter (RecordRaw)
        TextString recordPiece;  // ConvertRowForOutput (a line of a record's field)
        TextString recordField;  // ConvertRowForOutput (a record's field as written)
        TextString plainCellMarkup;  // WritePlainCell
        TextString rtfBorders;  // WriteRtfRowDefinition
        TextString rtfDefinitionLine;  // WriteRtfRowDefinition
        TextString rtfParagraphLine;  // WriteRtfRowParagraph
        TextString rtfCellLine;  // WriteRtfCells
        TextString rtfCellText;  // WriteRtfCells
        TextString rtfOpening;  // WriteRtfCells
        TextString rtfClosing;  // WriteRtfCells
        TextString rowTag;  // WriteHtmlRowStart
        TextString cellText;  // WriteHtmlCells
        TextString cellGutter;  // WriteHtmlCells
        TextString cellStub;  // WriteHtmlCells
        std::vector<unsigned char> plainCells;  // OutputTableRow
        TextString cellMarkup;  // OutputHtmlCell
        TextString stubCell;  // OutputHtmlCell
        TextString indentCell;  // OutputHtmlCell
        TextString cleanedText;  // OutputHtmlCell
        // OutputHtmlCell (made on first use): the cell's text as the tidy
        // passes take it, with their rule lists and scratch texts.
        std::unique_ptr<TidyBuffer> tidy;
        TextString lineBreakCopy;  // HTML_FormatCellLines, for the cell writers
        TextString cellLinePiece;  // WriteCellLines (a line of a cell of several)
        // The kinds of every byte value for the cell scans of the table
        // writers (CellByteKinds, table_output.cpp): built for the first
        // character of the tag start delimiter, and again when it changes.
        struct CellByteKinds {
            std::array<unsigned char, 256> of{};
            int builtFor = -1;  // the character; 256: no delimiter
        };
        CellByteKinds cellByteKinds;
    };
    // Scratch only: the writers that read the engine through a const
    // reference fill it too.
    mutable ScratchBuffers scratchBuffers;

    // ---- User-specified tables: the table being written by ParseUserTable ----
    struct UserTableState {
        int columns = 0;  // the table's column count: the most NEW_CELLs in one row
        int indentLevel = 0;  // list level (HTML) or indent level (RTF offset) of the table
        int landscape = 0;  // RTF: the table was set in a landscape section of its own
        int savedIndent = 0;  // HTML: list level of the text around the table
        int inListItem = 0;  // HTML: the table stands inside a list item
        std::vector<int> columnWidths;  // points given by COLUMN_DETAILS, per column; 0 none
        std::vector<int> columnAlignments;  // alignment given by COLUMN_DETAILS, per column; 0 none
        TextString textAfterTable;  // unplaced text written after the table
    };
    UserTableState userTable;

    // `writer` becomes the HTML writer, or the RTF writer when the
    // Context's output format is 1 or 3 (which also turns HTML output off
    // and RTF output on).  `directiveLine` is not used (always null).
    PreForm(OutputDocument* writer, FC* set, AnalysedLine* directiveLine);
    ~PreForm();
    PreForm(const PreForm&) = delete;
    PreForm& operator=(const PreForm&) = delete;

    void SetHTMLWriter(OutputDocument* writer) { htmlWriter = writer; }
    void SetRTFWriter(OutputDocument* writer) { rtfWriter = writer; }

    // ---- Line intake (preform.cpp) ----
    // Appends one line and updates the longest and shortest lengths, the
    // smallest indent and the count of mail-header lines.
    void AddLine(const AnalysedLine& line);
    // Appends one column (typical alignment and span 1, alphanumeric) and a
    // cell for it, placed at the origin of the block's first line.
    void AddColumn(int start, int gapEnd, int boundary, int score);
    // Rebuilds the columns from the TABLE_LAYOUT of the table configuration;
    // positions that go backwards are reported as overlapping columns.
    void ApplyTableLayout();
    // A cell format back to its defaults.
    static void ResetCellFormat(CellFormat& format);

    // ---- Block processing (block_processing.cpp) ----
    // Classifies the block and writes it.
    void Process(int specialFormatCode);
    // Block-kind flags from a special format code.
    void SetSpecialFormat(int specialFormatCode);
    // Collects a message of the block (reported when the block is written).
    void Message(const char* text, int level);
    // Applies the CHANGE_POLICY line at that index of the block.
    void ApplyPolicyLine(int lineIndex);

    // ---- Block analysis (block_analysis.cpp) ----
    void Analyse();
    void AnalyseLineStatistics();
    void GatherPositionStatistics();
    // Whether most lines of the statistics have a separator at character
    // position `position` (false where there are no statistics).
    bool IsSeparatorPosition(int position) const;
    void DetectColumns(int separation);
    void GatherColumnStatistics();

    // ---- Cells (table_cells.cpp) ----
    // Cuts line `lineIndex` into `row` (by columns, or by the delimiter);
    // without `noConvert` each cell is escaped and converted for output.
    // True when the line holds more than the columns take (see columnCut):
    // the rest is in its last cell.
    bool SplitLineIntoCells(TableCellRow* row, int lineIndex, int noConvert);
    bool SplitLineIntoCellsByColumns(TableCellRow* row, int lineIndex, int noConvert);
    bool SplitLineIntoCellsByDelimiter(TableCellRow* row, int lineIndex, int noConvert);
    // The cut of SplitLineIntoCellsByColumns without the cells: one entry
    // per cell of line `lineIndex`, alignments guessed from the text when
    // `force` is set (else a cell of one column takes its column's typical
    // alignment); with a `cellLimit` above 0 the cut stops after that many
    // cells.  False, with no cuts, when there are no columns or no such line.
    bool CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit = 0) const;
    // The settings every cut reads (the table configuration's zero-width
    // boundaries and cell alignment, the in-line tag delimiters), read once
    // for a pass that cuts many lines while the settings cannot change.
    struct CutSettings {
        bool zeroWidth = false;
        int configured = 0;
        const TextString* open = nullptr;
        const TextString* close = nullptr;
    };
    CutSettings ReadCutSettings() const;
    // CutLineAtColumns with settings read by ReadCutSettings.
    bool CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit,
                          const CutSettings& settings) const;
    int GetSpanWidth(const TableCell* cell, int ignoreStub, int firstColumn, int span) const;
    void CountCellLines(TableCellRow* row);
    int GuessHeaderVerticalAlignment(TableCellRow* row, int* mixed);
    int GuessRowVerticalAlignment(TableCellRow* row, int rowNumber);
    // The font of block line `lineIndex` (the first line's outside the block).
    const FontSpec* LineFont(int lineIndex) const;

    // ---- Comma-delimited records (delimited_fields.cpp) ----
    // Marks the further lines of the block's records: in a comma-delimited
    // table a field that begins with a quote runs over line ends until its
    // closing quote (see kMaxRecordLines for the bound).
    void FindRecords();
    // The raw text of the record that starts at line `lineIndex`: its lines
    // joined by line feeds (a line feed stands in the record for the line
    // end inside a field).  A record of one line is the line's raw text
    // (see PreFormLine::Raw); a longer one is made in `scratch`.
    LineText RecordRaw(int lineIndex, TextString& scratch) const;

    // ---- Table parsing (table_parsing.cpp) ----
    void ParseTable(int parseType);
    void StartTable(int parseType, int* bordered, int* hasHeader);
    void EndRow(int parseType, int lineIndex);
    void EndTable(int parseType);
    void AddCellLineBreak(int parseType, int column);
    // The line break AddCellLineBreak puts into a cell of a table of this
    // parse type ("" for a trial).
    const char* CellLineBreak(int parseType) const;
    // Every cell of `row` empty, line count 0, span 1, the column's default
    // alignments and the font of line `lineIndex`.
    void ResetRowForLine(TableCellRow* row, int lineIndex);

    // ---- Table output (table_output.cpp) ----
    void OutputTableStart(int* bordered, int* hasHeader);
    // RTF: the columns' widths in twips for the page, once the header rows
    // are known: widened where the page has room so that no title's word is
    // broken, narrowed when the table is wider than the printable width so
    // that it fits, as far as it can.
    void FitRtfTableToPage();
    // RTF: the left edge of the table's rows, in twips from the margin.
    long RtfTableOffset() const;
    void OutputTableEnd();
    // RTF: the table caption ("Default TABLE caption"), when there is one, as
    // a centred paragraph in the table font; written before the first row of
    // a table, a definition list or a user table.
    void OutputRtfCaption();
    // Writes the row once: the HTML cells take their texts over from the
    // row's cells (a cell may hold a whole block) and leave them empty.
    void OutputTableRow(int lineIndex);
    void OutputHtmlCell(int rowVAlign, int vAlign, int column, const TableCell* previousCell, TableCell* cell,
                        TextString* gutterText, TextString* stubText, TextString* text, int isRule, int isHeaderRow,
                        int isHeaderColumn, int extraLeading);
    // 1 left, 2 centre, 3 right.
    int TableAlignment() const;
    // Whether the block has header rows, from the header-rows policy and the
    // rule lines (DecideHeaderRows, kept in tableDecision); may move
    // `firstRuleLine` to the rule that ends the header.
    bool DecideTableHeader();
    // What the header-row rule reads of the block and its configuration.
    HeaderRuleInput HeaderRule() const;
    // The border, cell spacing and padding of tableDecision.
    void DecideTableBorder(const TabConfig* config, bool header);
    // The HTML indent level of a block at `leftMargin`; a block indented far
    // without indent positions gets level 0 and `*centre` set.
    int TableIndentLevel(int* centre) const;

    // ---- Other block output (other_block_output.cpp) ----
    void OutputCodeSample();
    void OutputPreformatted();
    void OutputAsNormal();
    void OutputMailHeader();
    void OutputTextBlock();
    void OutputInversePyramid();
    void StartDefinitionList(int* bordered, int* hasHeader);
    void OutputDefinitionRow(int lineIndex);
    void EndDefinitionList();
    void MergeColumns(int first, int last);
    void MergeLastTwoColumns();

    // ---- Cell tags (cell_tags.cpp) ----
    void ProcessCellTags(TableCell* cell, TextString* text, const SourcePosition& where);
    // Handles the tag between `tagStart` and `tagEnd` (inclusive) of the
    // scratch line's text; mode 1 while the configuration is built, mode 2
    // for output.  Returns 1 when the tag was consumed.  Without `done` the
    // tag's replacement is written into the scratch line.  With it (the
    // one-pass scan of ProcessCellTags) the replacement, or the kept tag, is
    // appended to *done and *position is set after the tag; a tag run by its
    // executor leaves *done holding everything up to where the scan goes on
    // and the scratch line the rest, with *position 0.
    int ProcessCellTag(int mode, TableCell* cell, AnalysedLine* scratch, int* position, int tagStart, int tagEnd,
                       const TextString& tagText, int* keep, TextString* done = nullptr);
    void ApplyCellFontAndLink(TableCell* cell, TextString* text, const FontSpec* font, const SourcePosition& where,
                              int linkFlag);
    void ProcessWSTags(TableCell* cell, TextString* text);

    // ---- User-specified tables (user_tables.cpp) ----
    // Reads the NEW_ROW, NEW_CELL and COLUMN_DETAILS lines of the block into
    // its tables and writes them.
    void ParseUserTable();
    // Adds a LINERULE or BEGIN_USER_TABLE line to a cell as an in-line tag.
    void AddUserTableLine(TableCell* cell, const TextString& line);
    // Escapes and converts a text for output, runs its in-line tags and
    // joins it to the cell's text.
    void AddCellText(TableCell* cell, const TextString& text);
    // Writes one table section; the first that writes anything starts the
    // table and sets `*started`.
    void OutputUserTable(int* started, int indentLevel, UserTableSection* section);
    // Checks the cells of a grid and builds its occupancy map; 0 when the
    // grid is not to be written.
    int PlaceUserTableCells(UserTableGrid* grid, int isHeader);
    void OutputUserTableStart();
    void OutputUserTableEnd();
    // The rows of a placed grid, in HTML or in RTF.
    void OutputUserTableRows(UserTableGrid* grid, int isHeader);
    void OutputUserTableRtfRows(UserTableGrid* grid, int isHeader);
    // One RTF cell: font size, bold and italic, alignment or gutter tabs.
    void OutputRtfCell(TableCell* cell, int isHeaderRow, int isHeaderColumn);
};
