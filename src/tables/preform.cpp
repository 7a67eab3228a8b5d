#include "tables/preform.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/html_tidy.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "policies/tab_config.h"
#include "tables/row_writers.h"

// ---------------------------------------------------------------------------
// The engine

PreForm::PreForm(OutputDocument* writer, FC* set, AnalysedLine*) {
    policies = set;
    htmlRowWriter = WriteHtmlRow;
    rtfRowWriter = WriteRtfRow;
    ResetCellFormat(defaultCellFormats[0]);
    ResetCellFormat(defaultCellFormats[1]);
    Context* context = set ? set->context : nullptr;
    const int format = context ? context->outputFormat : kOutputHTML;
    if (format == kOutputRTF || format == kOutputPDF) {
        htmlOutput = 0;
        rtfOutput = 1;
        rtfWriter = writer;
    } else {
        htmlWriter = writer;
    }
    // The policy set keeps no markup mode of its own yet, so the alignment
    // guess allows only the plain numeric characters (and, in any mode,
    // signed numbers).
    extendedMarkupMode = 0;
}

PreForm::~PreForm() = default;

void PreForm::ResetCellFormat(CellFormat& format) { format = CellFormat{}; }

void PreForm::AddLine(const AnalysedLine& analysed) {
    // Columns are measured in display positions: only a line of UTF-8 text
    // with characters beyond ASCII needs them counted.
    const bool utf8Text = policies && policies->context && policies->context->documentState.utf8Text;
    const PreFormLine& line = lines.Add(analysed, utf8Text);
    lineCount = static_cast<int>(lines.size());
    LineMeasures measures = Measures();
    measures.Note(line, analysed);
    TakeMeasures(measures);
}

void PreForm::AddColumn(int start, int gapEnd, int boundary, int score) {
    columns.push_back(std::make_unique<PreFormColumn>(start, gapEnd, boundary, score));
    columnCount = static_cast<int>(columns.size());
    const SourcePosition where = lines.empty() ? SourcePosition() : lines.Origin(0);
    cellRow.Add(std::make_unique<TableCell>(policies, where, nullptr));
}

void PreForm::ApplyTableLayout() {
    columns.clear();
    columnCount = 0;
    cellRow.Clear();

    const TabConfig* config = tabConfig ? tabConfig : (policies ? policies->GetDefaultTabConfig() : nullptr);
    const int layoutCount = config ? config->columnCount : 0;
    // A layout column stands at the column number it was given.
    auto positionOf = [&](int index) {
        const ColConfig* column = config->Column(index);
        return column ? column->firstColumn + 1 : 0;
    };
    for (int i = 0; i + 1 < layoutCount; ++i) {
        const int at = positionOf(i);
        AddColumn(at, at, at, -1);
    }
    AddColumn(longestLength - 1, longestLength - 1, longestLength - 1, -1);

    for (int i = 0; i + 1 < layoutCount; ++i) {
        const int before = i == 0 ? 0 : positionOf(i - 1);
        if (positionOf(i) >= before) continue;
        TextString message("TAG_ERROR: TABLE_LAYOUT columns ");
        message.AppendNumber('1', i, 0);
        message.Append(" and ");
        message.AppendNumber('1', i + 1, 0);
        message.Append(" overlap");
        if (policies) policies->ReportMessage(message.buffer, kLevelAlways);
    }
    layoutColumns = 1;
}
