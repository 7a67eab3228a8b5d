// The RTF row writer: one row record as an RTF table row (its definition,
// the paragraph its cells are in, one "\cell" per written cell, "\row").
#include "tables/row_writers.h"

#include "context/style_set.h"
#include "output/output_document.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/alignments.h"

using row_writing::Add;

namespace {

// More than the line prefix and the "\\cell" add to a cell's text.
constexpr int kCellLineExtra = 32;

void Write(const RowWriterContext& out, const TextString& line) {
    out.writer->WriteText(out.policies, out.writer, line.buffer);
}

// A cell's line, done with once written: a large one is handed to the RTF
// writer's buffer rather than copied there.
void WriteCellLine(const RowWriterContext& out, TextString& line) {
    auto* rtf = line.length >= RTFFile::kHandOverBytes ? dynamic_cast<RTFFile*>(out.writer) : nullptr;
    if (rtf)
        rtf->WriteHandedOver(out.policies, out.writer, line);
    else
        Write(out, line);
}

// The row definition: "\trowd" with the table's offset and one "\cellx" per
// written cell (its right edge), with rule borders from the lines around.
void WriteRtfRowDefinition(const RowRecord& row, RowWriterContext& out) {
    TextString& borders = out.scratch.rtfBorders;
    TextString& line = out.scratch.rtfDefinitionLine;
    borders.MakeEmpty();
    if (!row.winHelp) {
        if (row.ruleBelow) Add(borders, "\\clbrdrb\\brdrs");
        if (row.ruleAbove) Add(borders, "\\clbrdrt\\brdrs");
    }
    line = "\\trowd \\trgaph108\\trleft";
    line.AppendNumber('1', static_cast<int>(row.rtfOffset), 0);
    Write(out, line);
    for (const CellRecord& cell : row.cells) {
        line = borders;
        Add(line, "\\cellx");
        line.AppendNumber('1', static_cast<int>(cell.rightEdge), 0);
        Write(out, line);
    }
}

// The paragraph the row's cells are in, and the group the cells open.
// Rows are kept with the next one, except in large blocks, in Windows Help
// source and on the last line of the block.
void WriteRtfRowParagraph(const RowRecord& row, RowWriterContext& out) {
    TextString& line = out.scratch.rtfParagraphLine;
    if (!row.lastLine || row.onlyLine) {
        RTFFile* rtf = dynamic_cast<RTFFile*>(out.writer);
        const RTFFontOverride font = row_writing::TableFontOverride(out.policies);
        const RTFFontOverride* override = font.font ? &font : nullptr;
        TextString start;
        if (row.loose) {
            RTFParagraphParts parts{1, 1, 1, 1, 1, 1, 0};
            RTF_StartPara(out.policies, rtf, kStyleTable, nullptr, start, &parts, override);
            line = "\\widctlpar\\intbl\\adjustright";
        } else {
            RTF_StartPara(out.policies, rtf, kStyleTable, nullptr, start, nullptr, override);
            line = "\\keepn\\widctlpar\\intbl\\adjustright";
        }
        line.Append(start);
    } else {
        line = "\\widctlpar\\intbl\\adjustright";
    }
    Add(line, "{");
    Write(out, line);
}

// One "\cell" line per written cell, its tags handled, bold in the header
// row and columns, with the cell's alignment; merged trailing cells are one.
void WriteRtfCells(const RowRecord& row, RowWriterContext& out) {
    TextString& line = out.scratch.rtfCellLine;
    TextString& text = out.scratch.rtfCellText;
    TextString& opening = out.scratch.rtfOpening;
    TextString& closing = out.scratch.rtfClosing;
    const char* firstPrefix = (row.lastLine || row.looseCells) ? "\\intbl " : "\\keepn\\intbl ";
    bool first = true;
    for (const CellRecord& cell : row.cells) {
        const bool merged = cell.merged;
        if (merged) {
            text.MakeEmpty();
        } else {
            // Room for the prefix and the "\\cell" that follow, so that a
            // large text is not moved again to take them.
            text.ReserveAbout(int64_t{cell.text->length} + kCellLineExtra);
            text = *cell.text;
        }
        if (text.IsEmpty()) text = " ";
        if (!merged) out.engine.RunCellTags(cell, text);
        if (first) {
            text.Insert(0, firstPrefix);
            first = false;
        }
        opening.MakeEmpty();
        closing.MakeEmpty();
        if (!merged && (row.headerRow || cell.headerColumn)) {
            Add(opening, "\\b ");
            Add(closing, "\\b0 ");
        }
        if (!merged && cell.alignment == kAlignmentCentre) Add(opening, "\\qc ");
        if (!merged && cell.alignment == kAlignmentRight) Add(opening, "\\qr ");
        if (opening.IsEmpty()) {
            // The cell's own text ends the line (a cell can hold a whole block).
            Add(text, "\\cell");
            WriteCellLine(out, text);
        } else {
            line = "{";
            line.Append(opening);
            line.Append(text);
            line.Append(closing);
            Add(line, "\\cell}");
            WriteCellLine(out, line);
        }
        // A scratch text that served a large cell gives its room back.
        for (TextString* scratch : {&text, &line})
            if (scratch->capacity > kKeptScratchBytes) *scratch = TextString();
    }
}

}  // namespace

void WriteRtfRow(const RowRecord& row, RowWriterContext& out) {
    WriteRtfRowDefinition(row, out);
    WriteRtfRowParagraph(row, out);
    WriteRtfCells(row, out);
    out.writer->WriteText(out.policies, out.writer, "}\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row }");
}
