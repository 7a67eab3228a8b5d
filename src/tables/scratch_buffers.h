// The engine's scratch buffers: texts and lists refilled for every line,
// row or cell.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "foundation/text_string.h"
#include "tables/row_record.h"
#include "tables/table_cells.h"

class AnalysedLine;
struct TidyBuffer;  // output/html_tidy.h

// The engine's scratch buffers (a part of PreForm's state).
struct EngineScratch {
    // Texts and lists that the cell cutting and the table writers refill for
    // every line, row or cell.  Kept here rather than in statics of those
    // functions, they keep their room from one use to the next and belong to
    // this engine alone.  Each serves the one function named beside it, and
    // nothing in one outlives the call that fills it.
    struct ScratchBuffers {
        std::unique_ptr<AnalysedLine> cellLine;  // ConvertRowForOutput (made on first use)
        std::unique_ptr<AnalysedLine> cellTagLine;  // ProcessCellTags (made on first use)
        // ProcessCellTags: what a cell's tags are read into, tag by tag.
        struct CellTagTexts {
            TextString name;
            TextString arguments;
            TextString messages;  // of a tag run by its executor
            TextString tag;  // the tag as written
            TextString done;  // the cell's text before the scan position
        };
        std::unique_ptr<CellTagTexts> cellTagTexts;  // made on first use
        std::vector<CellCut> cuts;  // SplitLineIntoCellsByColumns
        TextString extraField;  // SplitLineIntoCellsByDelimiter
        TextString rawLine;  // SplitLineIntoCellsByDelimiter, RecordRaw
        TextString recordText;  // SplitLineIntoCellsByDelimiter (RecordRaw)
        TextString recordPiece;  // ConvertRowForOutput (a line of a record's field)
        TextString recordField;  // ConvertRowForOutput (a record's field as written)
        TextString plainCellMarkup;  // WritePlainCell
        TextString rtfBorders;  // WriteRtfRowDefinition (rtf_row_writer.cpp)
        TextString rtfDefinitionLine;  // WriteRtfRowDefinition
        TextString rtfParagraphLine;  // WriteRtfRowParagraph
        TextString rtfCellLine;  // WriteRtfCells
        TextString rtfCellText;  // WriteRtfCells
        TextString rtfOpening;  // WriteRtfCells
        TextString rtfClosing;  // WriteRtfCells
        TextString rowTag;  // WriteHtmlRowStart (html_row_writer.cpp)
        TextString cellText;  // WriteHtmlRow (html_row_writer.cpp)
        TextString cellGutter;  // OutputTableRow (a merged filler cell)
        TextString cellStub;  // OutputTableRow (a merged filler cell)
        std::vector<unsigned char> plainCells;  // OutputTableRow
        RowRecord rowRecord;  // OutputTableRow, for the row writers
        TextString cellMarkup;  // OutputHtmlCell
        TextString stubCell;  // OutputHtmlCell
        TextString indentCell;  // OutputHtmlCell
        TextString cleanedText;  // OutputHtmlCell
        TextString passThroughLine;  // WritePassThroughLine
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
};
