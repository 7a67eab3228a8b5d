// The output switches: the policy set, the writers and which outputs are
// on, read by every stage that writes.
#pragma once

#include <array>
#include <functional>

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;
class OutputDocument;
struct RowRecord;  // row_record.h
struct RowWriterContext;  // row_writers.h

// A row writer: writes one row record of a table (row_writers.h).
using RowWriter = std::function<void(const RowRecord&, RowWriterContext&)>;

// The format part of a cell: the texts around its content and its switches.
class CellFormat {
public:
    std::array<TextString, 5> texts;
    int span = 1;
    int alignment = 1;
    int secondAlignment = 0;
    SourcePosition position{0, 1};
};

// The engine's policies, writers and output switches (a stage of PreForm).
struct OutputSwitches {
    FC* policies = nullptr;  // not owned
    OutputDocument* htmlWriter = nullptr;  // not owned
    OutputDocument* rtfWriter = nullptr;  // not owned
    int htmlOutput = 1;
    int rtfOutput = 0;
    int thirdOutput = 0;
    int extendedMarkupMode = 0;  // the policy set's markup mode is 1 or 2
    std::array<CellFormat, 2> defaultCellFormats;
    // The row writer of each output, WriteHtmlRow and WriteRtfRow unless
    // another is put in their place (a test reads the row records so).
    RowWriter htmlRowWriter;
    RowWriter rtfRowWriter;
};
