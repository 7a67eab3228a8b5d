#include "tables/preform.h"

#include <cstring>
#include <string_view>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

// The text as a copy of it keeps it (up to a NUL byte) without its trailing
// blanks and tabs.
std::string_view WithoutTrailingBlanks(const TextString& text) {
    size_t n = strnlen(text.buffer, static_cast<size_t>(text.length));
    while (n > 0 && IsBlankOrTab(text.buffer[n - 1])) --n;
    return std::string_view(text.buffer, n);
}

bool HasNonBlank(const TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

PreFormLine::PreFormLine() = default;
PreFormLine::~PreFormLine() = default;

PreFormLine::PreFormLine(const AnalysedLine& line)
    : length(0),
      indent(line.leadingBlanks > 0 ? line.leadingBlanks : 0),
      lineType(line.lineType),
      position(line.position),
      originPosition(line.originPosition),
      tagCode(line.tagCode),
      flags(line.flags),
      layoutText(WithoutTrailingBlanks(line.taggedText)) {
    length = layoutText.length;
    // The display and raw texts are kept only when they differ from the
    // layout text (compared in place, copied only when kept).
    const std::string_view display = WithoutTrailingBlanks(line);
    displaySame = display == layoutText.view();
    if (!displaySame) displayText = TextString(display);
    const std::string_view raw = WithoutTrailingBlanks(line.rawText);
    rawSame = raw == layoutText.view();
    if (!rawSame) rawText = TextString(raw);
    if (line.firstPairPresent || line.secondPairPresent) {
        replacements = std::make_unique<AnalysedLine>();
        replacements->CopyAnalysis(&line);
    }
}

TextString& PreFormLine::MutableLayout() {
    if (displaySame) {
        displayText = layoutText;
        displaySame = false;
    }
    if (rawSame) {
        rawText = layoutText;
        rawSame = false;
    }
    return layoutText;
}

void PreFormLine::SetLayout(const TextString& text) { MutableLayout() = text; }

void PreFormLine::SetDisplay(const TextString& text) {
    displaySame = text == layoutText;
    if (displaySame)
        displayText.MakeEmpty();
    else
        displayText = text;
}

void PreFormLine::SetRaw(const TextString& text) {
    rawSame = text == layoutText;
    if (rawSame)
        rawText.MakeEmpty();
    else
        rawText = text;
}

// ---------------------------------------------------------------------------
// The engine

PreForm::PreForm(OutputDocument* writer, FC* set, AnalysedLine*) : policies(set) {
    ResetCellFormat(defaultCellFormats[0]);
    ResetCellFormat(defaultCellFormats[1]);
    Context* context = set ? set->context : nullptr;
    const int format = context ? context->outputFormat : 0;
    if (format == 1 || format == 3) {
        htmlOutput = 0;
        rtfOutput = 1;
        rtfWriter = writer;
    } else {
        htmlWriter = writer;
    }
    // The policy set keeps no markup mode of its own yet, so the alignment
    // guess allows only the plain numeric characters.
    extendedMarkupMode = 0;
}

PreForm::~PreForm() = default;

void PreForm::ResetCellFormat(CellFormat& format) { format = CellFormat{}; }

void PreForm::AddLine(const AnalysedLine& analysed) {
    lines.push_back(std::make_unique<PreFormLine>(analysed));
    lineCount = static_cast<int>(lines.size());
    const PreFormLine& line = *lines.back();

    if (line.length - line.indent > 0) {
        if (longestLength < 0 || line.length > longestLength) longestLength = line.length;
        if (shortestLength < 0 || line.length < shortestLength) shortestLength = line.length;
        if (line.indent < smallestIndent && HasNonBlank(line.Layout()) && line.length > 0 &&
            !IsRuleLine(analysed.buffer))
            smallestIndent = line.indent;
    }
    if (analysed.HasFlag(kFlagHeaderLine)) ++mailHeaderLineCount;
}

void PreForm::AddColumn(int start, int gapEnd, int boundary, int score) {
    columns.push_back(std::make_unique<PreFormColumn>(start, gapEnd, boundary, score));
    columnCount = static_cast<int>(columns.size());
    const SourcePosition where = lines.empty() ? SourcePosition() : lines.front()->originPosition;
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
        if (policies) policies->ReportMessage(message.buffer, 10);
    }
    layoutColumns = 1;
}

