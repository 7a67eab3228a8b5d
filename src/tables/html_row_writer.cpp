// The HTML row writer: one row record as a TR element.  Plain cells (see
// RowRecord) are written here as their start tag, text and end tag; every
// other cell goes through the engine's full HTML cell (PreForm::OutputHtmlCell,
// with its laid-out extras and the tidy passes).
#include "tables/row_writers.h"

#include <cstring>
#include <string_view>
#include <typeinfo>
#include <utility>

#include "output/html_file.h"
#include "output/html_tidy.h"
#include "output/markup/colours.h"
#include "output/output_document.h"
#include "policies/alignments.h"
#include "policies/fc.h"

using row_writing::Add;
using row_writing::kLongCellLine;

namespace {

// The short pieces of a plain cell's line, each padded to sixteen bytes so
// that it is copied as one block.
struct ShortPiece {
    char bytes[16] = {};
    size_t size = 0;
    constexpr ShortPiece() = default;
    constexpr ShortPiece(std::string_view text) : size(text.size()) {
        for (size_t i = 0; i < text.size() && i < 16; ++i) bytes[i] = text[i];
    }
};
// clang-format off
enum ShortPieceIndex {
    kNothing, kIndent, kHeaderName, kDataName, kAlignCentre, kAlignRight, kAlignLeft,
    kVAlignTop, kVAlignBottom, kVAlignCentre, kHeaderEnd, kDataEnd
};
// clang-format on
// clang-format off
constexpr ShortPiece kShortPieces[] = {
    ShortPiece(""), ShortPiece("    "), ShortPiece("<TH"), ShortPiece("<TD"),
    ShortPiece(" ALIGN=\"CENTER\""), ShortPiece(" ALIGN=\"RIGHT\""), ShortPiece(" ALIGN=\"LEFT\""),
    ShortPiece(" VALIGN=\"TOP\""), ShortPiece(" VALIGN=\"BOTTOM\""), ShortPiece(" VALIGN=\"CENTER\""),
    ShortPiece("</TH>"), ShortPiece("</TD>")};
// clang-format on
static_assert(sizeof(" VALIGN=\"BOTTOM\"") - 1 <= 16, "short pieces fit sixteen bytes");

// Writes the row's start tag, with the colour of a data row and a top
// vertical alignment when its cells differ in height.
void WriteHtmlRowStart(const RowRecord& row, RowWriterContext& out, bool minimise, HTMLFile* plainWriter) {
    TextString& tag = out.scratch.rowTag;
    tag.MakeEmpty();
    Add(tag, minimise ? "<TR" : "  <TR");
    bool coloured = false;
    if (row.colour) {
        const int before = tag.length;
        AppendHTMLColourAttribute(tag, "BGCOLOR", *row.colour);
        coloured = tag.length != before;
    }
    if (row.vAlignment == 0)
        Add(tag, ">");
    else
        tag.Append(" VALIGN=\"TOP\">");
    // Only a colour can make the tag anything but plain.
    if (plainWriter &&
        (!coloured || (HTML_TidyLeavesUnchanged(tag.view()) && !std::memchr(tag.buffer, '\n', tag.view().size()))))
        plainWriter->WritePlainLine(out.policies, out.writer, tag);
    else
        out.writer->WriteText(out.policies, out.writer, tag.buffer);
}

}  // namespace

namespace row_writing {

// Writes a cell line the tidy passes leave as it is; the HTML file writer
// takes it without scanning it again.  `piece`: WriteCellLines' scratch.
void WritePlainCellLine(FC* set, OutputDocument* writer, TextString& line, std::string_view endTag, bool minimise,
                        TextString& piece) {
    if (line.length <= kLongCellLine && typeid(*writer) == typeid(HTMLFile))
        static_cast<HTMLFile*>(writer)->WritePlainLine(set, writer, line);
    else
        WriteCellLines(set, writer, line, endTag, minimise, piece);
}

HTMLFile* BufferingHtmlFile(FC* set, OutputDocument* writer) {
    if (typeid(*writer) != typeid(HTMLFile)) return nullptr;
    HTMLFile* const html = static_cast<HTMLFile*>(writer);
    return html->IsBuffered(set, html) ? html : nullptr;
}

bool PutLongCellLineInBuffer(FC* set, OutputDocument* writer, std::string_view start, std::string_view text,
                             std::string_view end) {
    const size_t length = start.size() + text.size() + end.size();
    if (FindTag(text, "<BR>", 0) != std::string_view::npos) return false;
    HTMLFile* const html = BufferingHtmlFile(set, writer);
    if (!html) return false;
    char* at = html->BufferedPlainLineSpace(set, GrownLength(0, static_cast<int64_t>(length)));
    for (const std::string_view piece : {start, text, end}) {
        std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
    }
    html->EndLineWritten(static_cast<int>(length));
    return true;
}

}  // namespace row_writing

namespace {

// The start tag of the plain cells of a row up to its ">", kept from cell
// to cell: a row's cells mostly share their alignments, and the tag is put
// together again only for a cell whose alignments differ from those it was
// made for.
struct PlainStartTag {
    int alignment = -1;  // the alignments it was made for (-1: none yet)
    int vAlign = -1;
    bool onlySpacing = false;
    size_t size = 0;
    char bytes[4 * 16 + 16] = {};  // four short pieces and the ">", each copied as sixteen bytes
};

// Copies `n` bytes as blocks of sixteen: up to fifteen bytes more are
// written after them (the caller's room has that much to spare).
inline char* CopyBlocks(char* at, const char* from, size_t n) {
    for (size_t i = 0; i < n; i += 16) std::memcpy(at + i, from + i, 16);
    return at + n;
}

// Makes `startTag` the start tag of a cell with the alignments given, unless
// it is that already.
template <bool onlySpacing>
[[gnu::always_inline]] inline void MatchStartTag(PlainStartTag& startTag, const row_writing::PlainCellOutput& out,
                                                 int alignment, int vAlign, bool header) {
    if (startTag.alignment == alignment && startTag.vAlign == vAlign && startTag.onlySpacing == onlySpacing) return;
    const ShortPiece& indent = kShortPieces[out.minimise ? kNothing : kIndent];
    const ShortPiece& name = kShortPieces[header ? kHeaderName : kDataName];
    const ShortPiece& align = kShortPieces[onlySpacing                     ? kNothing
                                           : alignment == kAlignmentCentre ? kAlignCentre
                                           : alignment == kAlignmentRight  ? kAlignRight
                                           : header                        ? kAlignLeft
                                                                           : kNothing];
    const ShortPiece& valign =
        kShortPieces[header || vAlign < 1 || vAlign > 3 ? kNothing : kVAlignTop + (vAlign - 1)];
    char* at = startTag.bytes;
    for (const ShortPiece* piece : {&indent, &name, &align, &valign}) {
        std::memcpy(at, piece->bytes, 16);
        at += piece->size;
    }
    *at++ = '>';
    startTag.size = static_cast<size_t>(at - startTag.bytes);
    startTag.alignment = alignment;
    startTag.vAlign = vAlign;
    startTag.onlySpacing = onlySpacing;
}

// Puts a cell's line together at `at`: the start tag, the text (sixteen
// bytes of it at once where `wholeBlock` allows, see WritePlainCellAs) and
// the end tag, with sixteen bytes of room to spare after it.
inline void PutPlainCell(char* at, const PlainStartTag& startTag, std::string_view text, bool wholeBlock,
                         const ShortPiece& end) {
    at = CopyBlocks(at, startTag.bytes, startTag.size);
    if (wholeBlock && text.size() <= 16)
        std::memcpy(at, text.data(), 16);
    else
        std::memcpy(at, text.data(), text.size());
    at += text.size();
    std::memcpy(at, end.bytes, 16);
}

// The common case of WritePlainCellAs, in line in the loop over a row's
// cells: a cell whose start tag holds at most its alignments, written as a
// short line straight into the buffer of a buffering HTML file writer.
// False, and nothing written, for any other.
template <bool onlySpacing>
[[gnu::always_inline]] inline bool WriteShortPlainCell(const row_writing::PlainCellOutput& out,
                                                       const CellRecord& cell, std::string_view text, bool header,
                                                       PlainStartTag& startTag, bool wholeBlock) {
    HTMLFile* const html = out.buffered;
    if (!html || cell.width != 0 || cell.span > 1 || cell.rowSpan > 1) return false;
    MatchStartTag<onlySpacing>(startTag, out, cell.htmlAlignment, cell.vAlignment, header);
    const ShortPiece& end = kShortPieces[header ? kHeaderEnd : kDataEnd];
    const size_t length = startTag.size + text.size() + end.size;
    if (length > static_cast<size_t>(kLongCellLine)) return false;
    static_assert(HTMLFile::kPlainLineSpare >= 16, "the last piece is copied as sixteen bytes");
    PutPlainCell(html->BufferedPlainLineSpace(out.set, static_cast<int>(length)), startTag, text, wholeBlock, end);
    html->EndPlainLine(static_cast<int>(length));
    return true;
}

// WritePlainCell, for plain cells (`onlySpacing` false) and for the empty
// cells written as plain cells, whose start tag has no horizontal alignment
// (a separate instance: most cells are plain ones).  `startTag`: the row's
// (see PlainStartTag).  `wholeBlock`: sixteen bytes may be read from the
// text's start, whatever its length (a text's buffer of that many).
template <bool onlySpacing>
void WritePlainCellAs(const row_writing::PlainCellOutput& out, const CellRecord& cell, std::string_view text,
                      bool header, PlainStartTag& startTag, bool wholeBlock) {
    using row_writing::CellAttributes;
    using row_writing::FindTag;
    if (WriteShortPlainCell<onlySpacing>(out, cell, text, header, startTag, wholeBlock)) return;
    TextString& markup = out.markup;
    const std::string_view endTag = header ? "</TH>" : "</TD>";
    const int alignment = cell.htmlAlignment;
    const int vAlign = cell.vAlignment;
    if (cell.width == 0 && cell.span <= 1 && cell.rowSpan <= 1) {
        // The start tag holds at most the alignments.  The pieces are put
        // together in one go, each short one as sixteen bytes (the text's
        // room has that much to spare).
        MatchStartTag<onlySpacing>(startTag, out, alignment, vAlign, header);
        const ShortPiece& end = kShortPieces[header ? kHeaderEnd : kDataEnd];
        const size_t length = startTag.size + text.size() + end.size;
        // A long line without a line break is written into the HTML file
        // writer's buffer as WriteLine writes it (see WriteCellLines),
        // without a copy beside the buffer.
        HTMLFile* const html = out.buffered;
        if (html && FindTag(text, "<BR>", 0) == std::string_view::npos) {
            PutPlainCell(html->BufferedPlainLineSpace(out.set, static_cast<int>(length)), startTag, text, wholeBlock,
                         end);
            html->EndLineWritten(static_cast<int>(length));
            return;
        }
        markup.Reserve(static_cast<int64_t>(length) + 16);
        PutPlainCell(markup.buffer, startTag, text, wholeBlock, end);
        markup.length = static_cast<int>(length);
        markup.buffer[length] = '\0';
    } else {
        markup.MakeEmpty();
        if (!out.minimise) Add(markup, "    ");
        Add(markup, header ? "<TH" : "<TD");
        CellAttributes attributes;
        attributes.width = cell.width;
        attributes.visibleColumns = attributes.span = cell.span;
        attributes.rowSpan = cell.rowSpan;
        attributes.alignment = alignment;
        attributes.vAlign = vAlign;
        attributes.onlySpacing = onlySpacing;
        attributes.header = header;
        AppendCellAttributes(markup, attributes, out.set, out.percent, out.percentBase);
        if (row_writing::WriteLongCellLineInBuffer(out.set, out.writer, markup.view(), text, endTag)) return;
        Add(markup, text);
        Add(markup, endTag);
    }
    row_writing::WritePlainCellLine(out.set, out.writer, markup, endTag, out.minimise, out.piece);
}

}  // namespace

void row_writing::WritePlainCell(const PlainCellOutput& out, const CellRecord& cell, std::string_view text,
                                 bool header) {
    PlainStartTag startTag;
    WritePlainCellAs<false>(out, cell, text, header, startTag, false);
}

void WriteHtmlRow(const RowRecord& row, RowWriterContext& out) {
    const bool minimise = out.policies && out.policies->IsOn(Pol::MinimiseHTMLFileSize);
    // Row tags and plain cells go to the HTML file writer as lines it
    // need not scan again.
    HTMLFile* const plainWriter =
        typeid(*out.writer) == typeid(HTMLFile) ? static_cast<HTMLFile*>(out.writer) : nullptr;
    WriteHtmlRowStart(row, out, minimise, plainWriter);

    const row_writing::PlainCellOutput plain{out.policies,
                                             out.writer,
                                             minimise,
                                             row.percentWidths,
                                             row.percentBase,
                                             out.scratch.plainCellMarkup,
                                             out.scratch.cellLinePiece,
                                             row_writing::BufferingHtmlFile(out.policies, out.writer)};
    // A cell written from its own text (a plain text) leaves it as it is;
    // any other is taken over into a scratch text, which the cell writer
    // changes: the row's RTF is written before it and its cells are reset
    // before they are read again, so the text is moved, not copied (a cell
    // may hold a whole block).
    TextString& text = out.scratch.cellText;
    PlainStartTag startTag;
    const CellRecord* previous = nullptr;
    for (const CellRecord& cell : row.cells) {
        if (cell.merged) {
            text.MakeEmpty();
            out.engine.WriteHtmlCell(row, cell, previous, text);
            break;
        }
        TextString* given = cell.text;
        if (!cell.ownText) {
            std::swap(text, *cell.text);
            cell.text->MakeEmpty();
            given = &text;
        }
        if (cell.drawnRule) {
            text = "<HR>";
            given = &text;
        }
        // The row's HTML is written last and a cell's text is not read once
        // it is written: a large one gives its room back at once, not after
        // the flush that writing the rest of the row may start.  (A short
        // plain cell, the common case, has no room to give back.)
        if (cell.plainMarkup) {
            const bool wholeBlock = given->capacity >= 16;
            if (cell.onlySpacing) {
                WritePlainCellAs<true>(plain, cell, given->view(), row.headerRow, startTag, wholeBlock);
            } else if (!WriteShortPlainCell<false>(plain, cell, given->view(), row.headerRow, startTag,
                                                   wholeBlock)) {
                WritePlainCellAs<false>(plain, cell, given->view(), row.headerRow, startTag, wholeBlock);
                GiveBackLargeRoom(*given);
            }
        } else {
            out.engine.WriteHtmlCell(row, cell, previous, *given);
            GiveBackLargeRoom(*given);
        }
        previous = &cell;
    }

    static const TextString rowEnd("  </TR>"), minimisedRowEnd("</TR>");
    if (plainWriter)
        plainWriter->WritePlainLine(out.policies, out.writer, minimise ? minimisedRowEnd : rowEnd);
    else
        out.writer->WriteText(out.policies, out.writer, minimise ? "</TR>" : "  </TR>");
}
