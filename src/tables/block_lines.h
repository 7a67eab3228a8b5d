// The block's lines: one PreFormLine per source line of the block, its
// texts packed in the block's LineTextArena and the records in BlockLines,
// with what is counted over them as they come in (PreForm::AddLine) and as
// the analysis classifies them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/source_position.h"
#include "foundation/text_string.h"
#include "platform/heap_blocks.h"

class AnalysedLine;

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
    // The bytes stay where they are: texts read before a move keep their
    // values.
    LineTextArena(LineTextArena&&) noexcept = default;
    LineTextArena& operator=(LineTextArena&&) noexcept = default;
    ~LineTextArena();

    // `bytes` fresh bytes, at an address aligned to `align` (a power of two
    // up to 16).  (Every line's texts come through here.)
    char* Allocate(size_t bytes, size_t align = 1) {
        const size_t skip = (0 - reinterpret_cast<uintptr_t>(next)) & (align - 1);
        if (skip + bytes > left) return AllocateInNewChunk(bytes);
        Note(chunks[newest]);
        char* bytesAt = next + skip;
        next += skip + bytes;
        left -= skip + bytes;
        return bytesAt;
    }
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

    // Allocate when the newest chunk has no room left: a chunk of the text's
    // own, or a fresh chunk for the small texts (its start is aligned for
    // any fundamental type).
    char* AllocateInNewChunk(size_t bytes);
    // Notes that `chunk` holds bytes of the current owner.
    void Note(Chunk& chunk) const {
        if (owner == kNoLine)
            chunk.lastLine = kNoLine;
        else if (chunk.lastLine != kNoLine && owner > chunk.lastLine)
            chunk.lastLine = owner;
    }
};

// One line of the block.  A block holds one record per source line for the
// whole conversion, so the record is kept small (16 bytes):
// - the texts live in the block's LineTextArena, the record points at them
//   with the 48 bits a user-space address takes (x86-64 and AArch64 hand
//   out higher ones only to a program that asks for them), and the line
//   type takes the 16 bits beside them;
// - where the line stands in its input is kept by BlockLines as runs of
//   lines that follow one another (a block's lines mostly do): read it
//   through BlockLines::Position and PositionOf;
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
//   when asked for; its tab-delimited fields are read in the layout text
//   without rebuilding it (TabRunsOfRaw, LineFields);
// - the 0/1 flags are bits, in one word with the attribute flags; of the
//   in-line tag's statement code only whether there is one is kept (all
//   that is asked of it, IsDirectiveLine); the leading blanks are counted
//   as the line is added (PreForm::AddLine) and not kept;
// - what only table parsing reads of a line (its filled cells) is kept by
//   the column statistics apart from the record, for the block's lines
//   while a table is parsed (PreForm::filledCells).
// Read the texts through Layout(), Display() and Raw(); change them through
// the Set and Cut calls, which leave the other texts as they were.
class PreFormLine {
public:
    int length = 0;  // length of the layout text
    // What the output of the line still needs from its analysed line: the
    // attribute flags (every one below 1 << kFlagBits).  The flags share
    // one word with the 0/1 flags below.
    static constexpr int kFlagBits = 23;
    uint32_t flags : kFlagBits = 0;
    // 0/1 flags, filled by the block statistics.
    uint32_t isRuleLine : 1 = 0;
    uint32_t isBlank : 1 = 0;
    uint32_t hasSpanningCell : 1 = 0;  // a cell before the last spans more than one column
    uint32_t onlyLastCellFilled : 1 = 0;  // every cell but the last is empty
    uint32_t lastCellEmpty : 1 = 0;
    // The layout text holds UTF-8 characters beyond ASCII: `length` counts
    // the display positions its characters take, not its bytes.  Set when
    // the record is made.
    uint32_t wide : 1 = 0;
    // Kept by the record itself: an OtherTexts record stands before the
    // layout text.  (A bit beside the others, so that it costs no byte.)
    uint32_t hasOther : 1 = 0;
    // The line is a further line of the record of the line before it: a
    // quoted field of a comma-delimited table runs over the line end before
    // it (set by PreForm::FindRecords).  The record is one row, written
    // from its first line.
    uint32_t continuesRecord : 1 = 0;
    // The analysed line carried an in-line tag's statement code (its tag
    // code was not kStatementNone).
    uint32_t hasTagCode : 1 = 0;

private:
    static constexpr int kAddressBits = 48;
    // The layout text's address (see LayoutBytes).
    uint64_t layoutAddress : kAddressBits = AddressOf("");

public:
    // The line type or the statement code of a directive line: all of them
    // are within 16 bits.
    int lineType : 16 = kLineText;

    PreFormLine() = default;
    // The three texts (each without trailing blanks, and cut at a NUL byte),
    // length, type, origin position, flags and replacement pairs of the
    // analysed line, and whether it has a tag code; the texts go to
    // `arena`.  `utf8Text`: the text read is UTF-8, so that a layout text
    // with characters beyond ASCII is measured in display positions.
    PreFormLine(const AnalysedLine& line, LineTextArena& arena, bool utf8Text = false);

    // The text before output escaping (tabs expanded, code-page conversions
    // done): column detection and cell cutting work on it.
    LineText Layout() const { return LineText{LayoutBytes(), hasOther ? OtherLayoutBytes() : length}; }
    // The analysed line's text as converted for the output format.
    LineText Display() const;
    // The line as read (tabs kept): delimiter splitting works on it.  A raw
    // text kept as the runs of its tabs is rebuilt into `scratch` (and is
    // valid while `scratch` is unchanged); otherwise `scratch` is unused.
    LineText Raw(TextString& scratch) const;
    // The runs of the raw text's tabs (see TabRuns) when it is kept as
    // them; null otherwise.
    const unsigned char* TabRunsOfRaw() const;
    // Where the line stands in the main input file (for a line of an
    // included file, the line that included it), for the line at `position`
    // (see BlockLines::OriginOf).
    SourcePosition OriginPosition(const SourcePosition& position) const;
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

    const char* LayoutBytes() const {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the address is kept in 48 bits (see the class)
        return reinterpret_cast<const char*>(static_cast<uintptr_t>(layoutAddress));
    }
    // `bytes` as layoutAddress keeps it; std::bad_alloc when the address
    // takes more than its bits.
    static uint64_t AddressOf(const char* bytes);
    // Where the line stands in the main file when a line of an included
    // file keeps it; null otherwise.
    const char* OriginBytes() const;

    OtherTexts Other() const;
    // The byte length of the layout text when an OtherTexts record is kept.
    int OtherLayoutBytes() const {
        int bytes;
        std::memcpy(&bytes, LayoutBytes() - 1 - sizeof bytes, sizeof bytes);
        return bytes;
    }
    // The bytes after the layout text, and after the display text when it
    // has its own.
    const char* AfterTexts(const OtherTexts& other) const;
    // Gives the line its texts (with an OtherTexts record unless the line
    // needs none) and measures the layout text.  `origin`: the position in
    // the main file of a line of an included file (null for the others).
    void Place(LineTextArena& arena, std::string_view layout, std::string_view display, std::string_view raw,
               AnalysedLine* replacements, const SourcePosition* origin);
};

// The runs of blanks of a layout text that stand for tabs of its raw text:
// the raw text is the layout text with each run replaced by one tab.
// Stored as a count and, per run, its distance from the end of the run
// before and its length, each a variable-length number of 7-bit groups
// (lowest first; the high bit marks a group that another follows).  The
// numbers are lengths and positions within a text, below 2^31, and take at
// most five bytes.
namespace TabRuns {
// Fills `runs` and returns true when `raw` is `layout` with runs of blanks
// replaced by tabs and a run can be told from the blanks around it (no two
// tabs are parted by blanks alone); false when the raw text has to be kept
// as it is.
bool Encode(std::string_view layout, std::string_view raw, std::string& runs);
// The raw text again, into `out`.
void Decode(std::string_view layout, const unsigned char* runs, TextString& out);

// The runs from left to right, where each stands in the layout text: the
// pieces of the layout text between them are the raw text's pieces between
// its tabs, so the raw text's tab-delimited fields are read there without
// rebuilding it.
class Walk {
public:
    explicit Walk(const unsigned char* runs) : at(runs), left(Take()) {}
    // The runs not walked yet.
    size_t Left() const { return left; }
    // The next run: from `*start` to `*end` in the layout text; false after
    // the last.
    bool Next(size_t* start, size_t* end) {
        if (left == 0) return false;
        --left;
        *start = after + Take();
        after = *end = *start + Take();
        return true;
    }

private:
    const unsigned char* at;
    size_t left;
    size_t after = 0;  // the end of the run before
    size_t Take() {
        size_t n = 0;
        for (int shift = 0;; shift += 7) {
            const unsigned char byte = *at++;
            n |= static_cast<size_t>(byte & 0x7f) << shift;
            if (!(byte & 0x80)) return n;
        }
    }
};
}  // namespace TabRuns

// The lines of a block, in order.  Records are kept by value in chunks of
// kChunkLines (a record costs its 16 bytes, with no pointer or allocator
// header beside it) and never move; lines[i] gives the record's address.
// The chunks are carved from runs of pages of their own: kFirstRunChunks,
// then kRunChunks at a time, a whole number of large pages.  Where the
// lines stand in their input is kept beside the records as runs of lines
// that follow one another (or repeat one position): a block read from one
// file is one run, and a file it includes adds one or two.
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
    // Records and texts stay where they are.
    BlockLines(BlockLines&&) noexcept = default;
    BlockLines& operator=(BlockLines&&) noexcept = default;

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    PreFormLine* operator[](size_t i) const { return chunks[i / kChunkLines] + i % kChunkLines; }
    PreFormLine* front() const { return (*this)[0]; }
    PreFormLine* back() const { return (*this)[count - 1]; }
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, count); }

    // Appends the record of an analysed line (see PreFormLine).
    PreFormLine& Add(const AnalysedLine& line, bool utf8Text);
    // Appends a copy of line i of `from`, at its position: the copy shares
    // the texts of the line in `from`, which must outlive these lines
    // (and keep those texts: see ReleaseTextsBefore).
    PreFormLine& AddCopy(const BlockLines& from, size_t i);
    // PreFormLine::SetLayout and CutLayoutFront of line i, its new bytes
    // noted as the line's own (see LineTextArena::ReleaseBefore).
    void SetLayout(size_t i, std::string_view text);
    void CutLayoutFront(size_t i, int n);
    // Gives back the texts of the lines before `line`, once nothing reads
    // them again (they have been written); their records stay.
    void ReleaseTextsBefore(size_t line) { texts.ReleaseBefore(line); }

    // Where line i stands in its input file, and where in the main input
    // file (for a line of an included file, the line that included it).
    SourcePosition Position(size_t i) const {
        positionAsked = (*this)[i];
        positionFound = positionRuns.size() == 1 ? positionRuns.front().At(i) : PositionInRuns(i);
        return positionFound;
    }
    SourcePosition Origin(size_t i) const { return (*this)[i]->OriginPosition(Position(i)); }
    // The same of a record of these lines (found by its address; a record
    // that is not one of them has no position).  The cell conversion asks
    // it of a row's line for every cell, after the row was made ready at the
    // line's Position: the last answer is kept.
    SourcePosition PositionOf(const PreFormLine& line) const {
        if (&line != positionAsked) FindPosition(line);
        return positionFound;
    }
    SourcePosition OriginOf(const PreFormLine& line) const { return line.OriginPosition(PositionOf(line)); }

    // The bytes of the lines' texts.
    LineTextArena texts;

private:
    static constexpr size_t kChunkLines = 4096;
    static constexpr size_t kChunkBytes = kChunkLines * sizeof(PreFormLine);
    // 32 chunks make a large page exactly; the first run does not.
    static constexpr size_t kRunChunks = 32;
    static constexpr size_t kFirstRunChunks = 5;  // below a megabyte: a small block takes no large page
    static_assert(kRunChunks * kChunkBytes % PageRun::kLargePageBytes == 0);
    std::vector<PreFormLine*> chunks;
    std::vector<PageRun> runs;
    size_t runChunks = 0;  // chunks of the newest run
    size_t runChunksUsed = 0;  // of them taken
    size_t count = 0;
    // The runs of pages by address, with the index of the first line of
    // each (PositionOf).
    struct RecordRun {
        uintptr_t start;
        size_t bytes;
        size_t firstLine;
    };
    std::vector<RecordRun> recordRuns;
    // Lines from `firstLine` on stand at `start`, and (step 1) each on the
    // line after the one before it, or (step 0) all at `start`; a run of
    // one line has no step yet (-1).
    struct PositionRun {
        size_t firstLine;
        SourcePosition start;
        int step;
        SourcePosition At(size_t i) const {
            return step > 0 ? SourcePosition(start.unit, static_cast<int32_t>(start.line + (i - firstLine))) : start;
        }
    };
    std::vector<PositionRun> positionRuns;
    // The place of the next record.
    PreFormLine* NextRecord();
    // The record Position or PositionOf was asked of last, and its
    // position.  (Records and their positions never change.)
    mutable const PreFormLine* positionAsked = nullptr;
    mutable SourcePosition positionFound;
    mutable size_t runAsked = 0;  // the run of pages of the record asked of last
    // Where the next line stands if it goes on the newest position run, once
    // the run has its step (an impossible unit until then).
    static constexpr int32_t kNoUnit = INT32_MIN;
    int32_t nextUnit = kNoUnit;
    int64_t nextLine = 0;
    // Notes where the line being added (line `count`) stands.
    void NotePosition(const SourcePosition& position) {
        if (position.unit == nextUnit && position.line == nextLine)
            nextLine += positionRuns.back().step;
        else
            StartPositionRun(position);
    }
    // The line being added does not go on the newest run as its step says:
    // it gives the run its step, or starts a run.
    void StartPositionRun(const SourcePosition& position);
    SourcePosition PositionInRuns(size_t i) const;
    void FindPosition(const PreFormLine& line) const;
};

// Where the bar of a bar line (a line of text with one "|" at its start or
// end, which the line analysis blanks) stood in its tagged text; -1 for any
// other line.  A block line keeps the bar in its layout text.
int BarOfBarLine(const AnalysedLine& line);

// Directive lines other than CHANGE_POLICY lines have done their work when
// the file was read: they carry no text of the block.
inline bool IsDirectiveLine(const PreFormLine& line) {
    return line.hasTagCode || (line.lineType >= kStatementFirst && line.lineType <= kStatementLast) ||
           line.lineType == kStatementContentsList || line.lineType == kStatementNavigationBar;
}

// Whether a line of the block holds text of the table: no CHANGE_POLICY
// line, no other directive line, no line consumed or ignored when read.
inline bool IsTableTextLine(const PreFormLine& line) {
    return line.lineType != kStatementChangePolicy && !IsDirectiveLine(line) && line.lineType != kLineConsumed &&
           line.lineType != kLineIgnored;
}

// The user's HTML among a block's lines: HTML_LINE directives and the lines
// of a BEGIN_HTML block are no lines of the block (its analysis never sees
// them), but are written as they stand, unwrapped, outside the table: before
// the block when they stand above its last line of text, after it when they
// stand below (a block written as text keeps them in place).  RTF has no
// place for them (as for the HTML tag).  Their texts are packed one after
// the other.
struct PassThroughLines {
    struct Line {
        size_t offset = 0;  // in `text`
        size_t length = 0;
        size_t linesAbove = 0;  // the block's lines that stand above it
    };
    std::vector<Line> lines;
    std::string text;

    // Keeps the text of `line` as it was read (neither escaped nor
    // converted, see AnalysedLine::TidyLine), with `linesAbove` lines of
    // the block above it.
    void Add(const AnalysedLine& line, size_t linesAbove);
    std::string_view TextOf(const Line& line) const {
        return std::string_view(text).substr(line.offset, line.length);
    }
};

// The measures of a block taken as its lines come in: the longest and
// shortest line of text, the smallest indent, the mail-header lines.
struct LineMeasures {
    int longestLength = -1;
    int shortestLength = -1;
    int smallestIndent = 80;
    int mailHeaderLineCount = 0;

    // Counts `line`, the record made of `analysed`, in.
    void Note(const PreFormLine& line, const AnalysedLine& analysed);
};

// The engine's lines and their counts (a stage of PreForm).
struct BlockLineState {
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

    // ---- The lines and their measures ----
    BlockLines lines;
    int longestLength = -1;
    int shortestLength = -1;
    int smallestIndent = 80;

    // The measures as LineMeasures keeps them, and back.
    LineMeasures Measures() const {
        return LineMeasures{longestLength, shortestLength, smallestIndent, mailHeaderLineCount};
    }
    void TakeMeasures(const LineMeasures& measures) {
        longestLength = measures.longestLength;
        shortestLength = measures.shortestLength;
        smallestIndent = measures.smallestIndent;
        mailHeaderLineCount = measures.mailHeaderLineCount;
    }
};
