// Block processing: how a collected block is written.  Until the analysis
// and the writers are in place the block is written as ordinary text.
#include "tables/preform.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"

namespace {

constexpr int kWritingOutput = 3;
constexpr int kTypeBlank = 1;
constexpr int kTypePageBreak = 2;
constexpr int kTypeParagraphStart = 3;

bool IsDirectiveLine(const PreFormLine& line) {
    return line.tagCode != -3 || IsTaggedType(line.lineType) || line.lineType == 241 || line.lineType == 242;
}

bool IsBlankText(const TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return false;
    return true;
}

void WriteAsText(PreForm& engine) {
    auto& htmlOutput = engine.htmlOutput;
    auto& htmlWriter = engine.htmlWriter;
    auto& rtfWriter = engine.rtfWriter;
    auto& lines = engine.lines;
    FC* policies = engine.policies;
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
        if (line.lineType == kTypeBlank || line.lineType == kTypePageBreak || IsBlankText(line.Display())) {
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
        scratch.SetText(line.Display().buffer);
        scratch.rawText = line.Raw();
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

}  // namespace

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
        WriteAsText(*this);
        writer->FlushBuffer(policies, writer, 1);
    }
    context->trackers.codeLocation = savedLocation;
}


void PreForm::SetSpecialFormat(int) {}
void PreForm::Message(const char* text, int level) {
    if (policies) policies->ReportMessage(text, level);
}
void PreForm::ApplyPolicyLine(int) {}
