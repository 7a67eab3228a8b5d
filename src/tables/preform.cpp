#include "tables/preform.h"

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

constexpr int kWritingOutput = 3;

// Line types of the text output: a blank line and a page break end the
// paragraph they follow.
constexpr int kTypeBlank = 1;
constexpr int kTypePageBreak = 2;
// A paragraph start without a blank line before it.
constexpr int kTypeParagraphStart = 3;

TextString WithoutTrailingBlanks(const TextString& text) {
    TextString copy(text);
    copy.Trim(1, " ");
    return copy;
}

// A directive line (a statement the preprocessor delivered, or a line the
// analysis typed as one) is never written as text: its text is the
// directive itself.
bool IsDirectiveLine(const PreFormLine& line) {
    return line.tagCode != -3 || IsTaggedType(line.lineType) || line.lineType == 241 || line.lineType == 242;
}

bool IsBlankText(const TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

PreFormLine::PreFormLine() = default;
PreFormLine::~PreFormLine() = default;

PreFormLine::PreFormLine(const AnalysedLine& line)
    : displayText(WithoutTrailingBlanks(line)),
      layoutText(WithoutTrailingBlanks(line.taggedText)),
      rawText(WithoutTrailingBlanks(line.rawText)),
      length(layoutText.length),
      indent(line.leadingBlanks > 0 ? line.leadingBlanks : 0),
      lineType(line.lineType),
      position(line.position),
      originPosition(line.originPosition),
      tagCode(line.tagCode),
      flags(line.flags) {
    if (line.firstPairPresent || line.secondPairPresent) {
        replacements = std::make_unique<AnalysedLine>();
        replacements->CopyAnalysis(&line);
    }
}

TableCell::TableCell(FC*, const SourcePosition& where, const FontSpec* cellFont) : font(cellFont), position(where) {
    format.position = where;
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

    TextString trimmed(line.layoutText);
    trimmed.Trim(0, " ");
    if (line.length - line.indent > 0) {
        if (longestLength < 0 || line.length > longestLength) longestLength = line.length;
        if (shortestLength < 0 || line.length < shortestLength) shortestLength = line.length;
        if (line.indent < smallestIndent && !trimmed.IsEmpty() && line.length > 0 && !IsRuleLine(analysed.buffer))
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

// ---------------------------------------------------------------------------
// Output

// The least form of block processing: the block analysis and the table,
// code, diagram and mail-header writers replace it.  Until then every block
// is written as ordinary text.
void PreForm::Process(int) {
    if (!policies) return;
    Context* context = policies->context;
    if (!context) {
        policies->ReportMessage("PROGRAM ERROR : No Context passed to PreForm::Process", 10);
        return;
    }
    const int savedLocation = context->trackers.codeLocation;
    context->trackers.codeLocation = kWritingOutput;
    OutputDocument* writer = htmlOutput ? htmlWriter : (rtfOutput ? rtfWriter : nullptr);
    if (writer) {
        writer->FlushBuffer(policies, writer, 1);
        WriteAsText();
        writer->FlushBuffer(policies, writer, 1);
    }
    context->trackers.codeLocation = savedLocation;
}

void PreForm::WriteAsText() {
    OutputDocument* document = htmlOutput ? htmlWriter : rtfWriter;
    RTFFile* rtf = htmlOutput ? nullptr : dynamic_cast<RTFFile*>(rtfWriter);
    FC& set = *policies;
    Context& context = *set.context;
    bool paragraphOpen = false;

    // RTF keeps one paragraph open from the header to the end of the
    // document: a paragraph ends with "\par" and the next one starts in the
    // same groups.
    auto endPara = [&]() {
        if (rtf)
            document->WriteText(&set, document, "\\par ");
        else
            HTML_EndPara(document, &set, "ON2");
    };

    for (const std::unique_ptr<PreFormLine>& entry : lines) {
        const PreFormLine& line = *entry;
        if (IsDirectiveLine(line) || line.lineType < 0) continue;
        if (line.lineType == kTypeBlank || line.lineType == kTypePageBreak || IsBlankText(line.displayText)) {
            if (paragraphOpen) endPara();
            paragraphOpen = false;
            continue;
        }
        if (paragraphOpen && line.lineType == kTypeParagraphStart) {
            endPara();
            paragraphOpen = false;
        }
        if (!paragraphOpen) {
            if (rtf)
                RTF_SetStyleIfChanged(&set, rtf, kRTFParagraphOrdinary, 0);
            else
                HTML_StartPara(document, &set, 1, "ON1", 0, 1, nullptr);
            paragraphOpen = true;
        }

        // A scratch line carries the text through the output conversion and
        // the tag execution; the tracker follows the line written.
        AnalysedLine scratch;
        scratch.SetText(line.displayText.buffer);
        scratch.rawText = line.rawText;
        scratch.lineType = line.lineType;
        scratch.flags = line.flags;
        scratch.position = line.position;
        scratch.originPosition = line.originPosition;
        context.trackers.output.position = line.position;
        scratch.ConvertForOutput(set, line.replacements.get(), 1, 1, 1, line.replacements ? 1 : 0, 1, 0);

        TextString messages;
        int result = -1;
        document->ExecuteLineTags(0, document, &scratch, &set, &messages, &result);
        if (result > 0 && !messages.IsEmpty()) set.ReportMessage(messages.buffer, 10);
        scratch.Trim(1, " ");
        // RTF readers drop line ends, so the words of two lines need a blank.
        if (rtf) scratch.Append(" ");
        document->WriteLine(&set, document, &scratch, 0);
        context.ForgetLine(&scratch);
    }
    if (paragraphOpen && !rtf) HTML_EndPara(document, &set, "ON2");
}
