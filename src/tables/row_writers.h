// The row writers of the table engine, one per output format
// (html_row_writer.cpp, rtf_row_writer.cpp), and what they share with the
// engine's cell routines.  A row writer writes one row record (row_record.h)
// through the format's document; what a cell needs beyond its record (its
// tags, the full HTML cell with its laid-out extras and tidy passes) it asks
// of the engine through RowWriterServices.
#pragma once

#include <cstring>
#include <string_view>

#include "foundation/text_string.h"
#include "output/rtf_paragraphs.h"
#include "tables/row_record.h"
#include "tables/scratch_buffers.h"

class FC;
class HTMLFile;
class OutputDocument;
class TabConfig;

// What a row writer asks of the engine.
class RowWriterServices {
public:
    virtual ~RowWriterServices() = default;
    // RTF: runs the cell's in-line tags over `text`.
    virtual void RunCellTags(const CellRecord& cell, TextString& text) = 0;
    // HTML: writes a cell that is not plain markup, `text` as its text;
    // `previous` is the cell written before it in the row (null for the
    // first).
    virtual void WriteHtmlCell(const RowRecord& row, const CellRecord& cell, const CellRecord* previous,
                               TextString& text) = 0;
};

// What a row writer writes with.
struct RowWriterContext {
    FC* policies = nullptr;
    OutputDocument* writer = nullptr;
    EngineScratch::ScratchBuffers& scratch;  // the engine's
    RowWriterServices& engine;
};

void WriteHtmlRow(const RowRecord& row, RowWriterContext& context);
void WriteRtfRow(const RowRecord& row, RowWriterContext& context);

// ---- Shared by the row writers and the engine's cell routines ----
namespace row_writing {

inline constexpr int kLongCellLine = 131;  // longer cell lines go through the wrapping writer
inline constexpr int kLooseBlockLines = 39;  // larger blocks are not kept together on one page

// Appends without measuring the text again.  The cell writers run once per
// cell of a table and their scratch texts keep their room from cell to cell:
// a text with room for the piece takes it in place.
void AddGrowing(TextString& text, const char* from, int n);
inline void Add(TextString& text, std::string_view piece) {
    const int n = static_cast<int>(piece.size());
    const char* from = piece.data();
    const bool inside = from >= text.buffer && from <= text.buffer + text.capacity;
    if (n > 0 && !inside && n <= text.capacity - text.length) {
        std::memcpy(text.buffer + text.length, from, piece.size());
        text.length += n;
        text.buffer[text.length] = '\0';
        return;
    }
    AddGrowing(text, from, n);
}

// Position of the first `pattern` (an upper-case tag such as "<BR>") at or
// after `from`, in any letter case; npos when there is none.
size_t FindTag(std::string_view text, std::string_view pattern, size_t from);

// Writes the text of one HTML cell as lines cut after each "<BR>" (see
// table_output.cpp).  `knownPlain`: the tidy passes are known to leave the
// cell as it is (see TidyBuffer::plainAfterPasses).
void WriteCellLines(FC* set, OutputDocument* document, TextString& cell, std::string_view endTag, bool minimise,
                    TextString& line, bool knownPlain = false);

// The attributes of a cell's start tag after its name, and the ">" that
// ends it: the width (for a cell covering one visible column), the column
// and row spans, the horizontal alignment (header cells are left-aligned
// unless told otherwise; a cell holding only spacing gets none) and, for a
// data cell, the vertical alignment.  Percentage widths (`percent`) refer
// to `percentBase`.
struct CellAttributes {
    int width = 0;
    int visibleColumns = 1;
    int span = 1;
    int rowSpan = 1;
    int alignment = 0;
    int vAlign = 0;
    bool onlySpacing = false;
    bool header = false;
};
void AppendCellAttributes(TextString& markup, const CellAttributes& cell, FC* set, bool percent, int percentBase);

// Writes a cell line the tidy passes leave as it is; the HTML file writer
// takes it without scanning it again.  `piece`: WriteCellLines' scratch.
void WritePlainCellLine(FC* set, OutputDocument* writer, TextString& line, std::string_view endTag, bool minimise,
                        TextString& piece);

// `writer` as the HTML file writer when it buffers its output, else null
// (see PlainCellOutput::buffered).
HTMLFile* BufferingHtmlFile(FC* set, OutputDocument* writer);

// Writes the cell line `start` + `text` + `end` as WritePlainCellLine would
// (a line too long for the plain writer and without a line break in `text`
// goes through WriteLine whole), put together in the buffer of a buffering
// HTML file writer: a cell that holds a whole block is not copied beside the
// buffer first.  False, and nothing written, for any other line or writer.
bool PutLongCellLineInBuffer(FC* set, OutputDocument* writer, std::string_view start, std::string_view text,
                             std::string_view end);
inline bool WriteLongCellLineInBuffer(FC* set, OutputDocument* writer, std::string_view start, std::string_view text,
                                      std::string_view end) {
    // Most cell lines are short: they are not looked at further.
    return start.size() + text.size() + end.size() > static_cast<size_t>(kLongCellLine) &&
           PutLongCellLineInBuffer(set, writer, start, text, end);
}

// What writing a plain cell needs beyond its record, the same for every
// cell of a row.
struct PlainCellOutput {
    FC* set = nullptr;
    OutputDocument* writer = nullptr;
    bool minimise = false;
    bool percent = false;  // widths as percentages of percentBase
    int percentBase = 0;
    TextString& markup;  // scratch: the cell's line
    TextString& piece;  // scratch: WriteCellLines'
    // `writer` as the HTML file writer when it buffers (HTMLFile::IsBuffered),
    // else null: its lines are put together in its buffer.
    HTMLFile* buffered = nullptr;
};
// Writes a plain cell of a table without a layout, neither a header-column
// cell of a data row nor one with gutter or stub text, holding `text`: a
// text that comes through the tags, the font and link markup, the line
// formatting and the tidy passes unchanged, so that the cell is written as
// its start tag (from the cell's width, spans and HTML alignments), its
// text and its end tag.
void WritePlainCell(const PlainCellOutput& out, const CellRecord& cell, std::string_view text, bool header);

// The table font (face, size and style) in place of a paragraph style's
// font; its font is null without a Context.
RTFFontOverride TableFontOverride(const FC* policies);

}  // namespace row_writing
