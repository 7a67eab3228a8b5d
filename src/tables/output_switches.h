// The output switches: the policy set, the writers and which outputs are
// on, read by every stage that writes.
#pragma once

#include <array>

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;
class OutputDocument;

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
};
