// Block processing: the collected block is classified by the analysis and
// handed to the writer of its kind; the block's messages are collected here
// and reported once the block is written.
#include "context/code_locations.h"
#include "context/preprocessor.h"
#include "context/statement_codes.h"
#include "tables/preform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/keyword_tables.h"
#include "output/output_document.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

// Separates the messages collected for one block: a new line indented under
// the text of the first message.
constexpr const char* kMessageSeparator = "\n           ";

bool HasNonBlankText(LineText text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return true;
    return false;
}

// Whether any line of the block holds text to write.  A block of blank or
// directive lines only writes nothing: no empty table, no table number used.
bool HasContent(const PreForm& engine) {
    for (const PreFormLine* line : engine.lines)
        if (line && !IsDirectiveLine(*line) && HasNonBlankText(line->Layout())) return true;
    return false;
}

// The leading lines that the statistics skip as the table's header, for a
// block of `lines` lines.
int HeaderLinesToSkip(int lines) {
    int count = 0;
    if (lines > 25)
        count = lines / 5;
    else if (lines >= 8)
        count = 5;
    else
        count = lines - 2;
    return count < 0 ? 0 : count;
}

void FlushWriters(PreForm& engine) {
    if (engine.htmlOutput && engine.htmlWriter)
        engine.htmlWriter->FlushBuffer(engine.policies, engine.htmlWriter, 1);
    if (engine.rtfOutput && engine.rtfWriter) engine.rtfWriter->FlushBuffer(engine.policies, engine.rtfWriter, 1);
}

// Appends to a text that may grow large, doubling its room so that many
// appends stay linear.
void AppendGrowing(TextString& text, std::string_view more) {
    const int needed = GrownLength(text.length, static_cast<int64_t>(more.size()));
    if (needed > text.capacity) text.ReserveAbout(std::max<int64_t>(needed, int64_t{text.capacity} * 2));
    text.AppendBytes(more.data(), needed - text.length);
}

// Makes `input` and `output` the current lines of the context's trackers.
void SetCurrentLines(Context* context, AnalysedLine* input, AnalysedLine* output) {
    if (!context) return;
    context->SetCurrentLine(&context->trackers.input, input);
    context->SetCurrentLine(&context->trackers.output, output);
}

// Reports the messages collected for the block as one message.  The block
// summary belongs to no single input line, so no line is current while it
// is reported (a message about a current line of the main input is kept
// with that line and not shown).
void ReportBlockMessages(PreForm& engine, Context* context) {
    engine.messagesReportedEarly = false;
    if (engine.messageText.IsEmpty()) return;
    SetCurrentLines(context, nullptr, nullptr);
    const int level = engine.messageLevel;
    engine.messageLevel = 0;
    engine.ReportHeldMessages(level);
}

}  // namespace

void PreForm::Process(int specialFormatCode) {
    if (!policies) return;
    Context* context = policies->context;
    if (!context) {
        Message("PROGRAM ERROR : No Context passed to PreForm::Process", kLevelAlways);
        ReportBlockMessages(*this, nullptr);
        return;
    }
    const int savedLocation = context->trackers.codeLocation;
    context->trackers.codeLocation = kWritingOutput;
    context->blockOutputInProgress = 1;

    SetSpecialFormat(specialFormatCode);
    FlushWriters(*this);

    // A table marked by a directive uses the configuration its opening
    // directive queued; every other block the default one.
    TabConfig* config = nullptr;
    if (isTable || isUserTable || isDelimited || isUnderwriter || isInversePyramid)
        config = policies->GetOldestTabConfig();
    if (!config) config = policies->GetDefaultTabConfig();
    tabConfig = config;

    if (config) {
        if (config->GetInt(TabPol::IgnoreHeaderInAnalysis)) headerLineCount = HeaderLinesToSkip(lineCount);
        if (config->IsSet(TabPol::TableLayout)) {
            const TextString layout(config->GetText(TabPol::TableLayout));
            config->ParseTableLayoutTag(*policies, layout);
        }
        const TextString& delimiterText = config->GetText(TabPol::DelimiterCharacter);
        if (!delimiterText.IsEmpty()) delimiter = delimiterText.buffer[0];
        config->tableFont.CopyValues(context->documentState.currentFont);
    }
    dataRowCount = 0;

    if (HasContent(*this)) {
        Analyse();
        const BlockOutput output = ChooseOutput(config);
        // Text keeps the user's HTML where it stands; every other kind of
        // block has it before and after.
        const bool inPlace = output == BlockOutput::kText;
        if (!inPlace) WritePassThroughLines(false);
        switch (output) {
            case BlockOutput::kUserTable: ParseUserTable(); break;
            case BlockOutput::kDelimitedTable:
                releaseWrittenTexts = true;
                ParseTable(kParseTable);
                break;
            case BlockOutput::kRefused:
                Message("PROGRAM ERROR : Underwriter sections not supported in this variant", kLevelAlways);
                break;
            case BlockOutput::kInversePyramid: OutputInversePyramid(); break;
            case BlockOutput::kPreformatted: OutputPreformatted(); break;
            case BlockOutput::kCodeSample: OutputCodeSample(); break;
            case BlockOutput::kMailHeader: OutputMailHeader(); break;
            case BlockOutput::kTextBlock: OutputTextBlock(); break;
            case BlockOutput::kTable:
                releaseWrittenTexts = !canUseDefinitionList;
                ParseTable(canUseDefinitionList ? kParseDefinitionList : kParseTable);
                break;
            case BlockOutput::kText: OutputAsNormal(); break;
        }
        if (!inPlace) WritePassThroughLines(true);
    } else {
        // Nothing to write, but the policies change where the lines stand.
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i]->lineType == kStatementChangePolicy) ApplyPolicyLine(static_cast<int>(i));
        WritePassThroughLines(true);
    }

    releaseWrittenTexts = false;
    FlushWriters(*this);
    context->blockOutputInProgress = 0;
    ReportBlockMessages(*this, context);
    context->trackers.codeLocation = savedLocation;
}

PreForm::BlockOutput PreForm::ChooseOutput(const TabConfig* config) const {
    if (isUserTable) return BlockOutput::kUserTable;
    if (isDelimited) return BlockOutput::kDelimitedTable;
    if (isUnderwriter) return BlockOutput::kRefused;
    if (isInversePyramid) return BlockOutput::kInversePyramid;
    if (isDiagram || (looksLikeDiagram && !isTable && !isCode && !isPreformatted)) {
        // A single real line is not worth a diagram.
        return lineCount - headerLineCount - blankLineCount > 1 || isDiagram ? BlockOutput::kPreformatted
                                                                             : BlockOutput::kText;
    }
    if (isCode || (looksLikeCode && !isTable && !isPreformatted))
        return config && config->GetInt(TabPol::UseCodeMarkup) ? BlockOutput::kCodeSample
                                                               : BlockOutput::kPreformatted;
    if (looksLikeMailHeader) return BlockOutput::kMailHeader;
    if (isPreformatted) return BlockOutput::kPreformatted;
    if (isTextBlock) return BlockOutput::kTextBlock;
    if (isTable || (lineCount - headerLineCount - ruleLineCount - blankLineCount >= 2 && looksLikeTable))
        return BlockOutput::kTable;
    return BlockOutput::kText;
}

void PreForm::SetSpecialFormat(int specialFormatCode) {
    isTable = 0;
    isCode = 0;
    isPreformatted = 0;
    isDiagram = 0;
    isUserTable = 0;
    isDelimited = 0;
    isUnderwriter = 0;
    isInversePyramid = 0;
    delimiter = '\t';
    switch (specialFormatCode) {
        case kSpecialNone: break;
        case kSpecialTable: isTable = 1; break;
        case kSpecialCode: isCode = 1; break;
        case kSpecialDiagram: isDiagram = 1; break;
        case kSpecialPreformatted: isPreformatted = 1; break;
        case kSpecialUserTableAlias:
        case kSpecialUserTable: isUserTable = 1; break;
        case kSpecialDelimitedTable: isDelimited = 1; break;
        case kSpecialCommaDelimitedTable:
            isDelimited = 1;
            delimiter = ',';
            break;
        case kSpecialUnderwriter: isUnderwriter = 1; break;
        case kSpecialInversePyramid: isInversePyramid = 1; break;
        default: {
            TextString message("UNSUPPORTED CASE: Special Format Code ");
            message.AppendNumber('1', specialFormatCode, 0);
            Message(message.buffer, kLevelAlways);
            break;
        }
    }
}

// Messages are collected in every pass: the block's analysis runs while the
// output is written, and its findings would otherwise never be shown.
void PreForm::ReportHeldMessages(int level) {
    // Taken out first: reporting may add to the engine's messages.
    const TextString text(std::move(messageText));
    messageText.MakeEmpty();
    policies->ReportMessage(text.buffer, level);
}

void PreForm::HoldMessage(std::string_view text) {
    // After messages reported early, the next one still starts as a further
    // line of the block's message: indented, its line break already written
    // with the ones before it.
    if (!messageText.IsEmpty())
        AppendGrowing(messageText, kMessageSeparator);
    else if (messagesReportedEarly)
        AppendGrowing(messageText, std::string_view(kMessageSeparator).substr(1));
    AppendGrowing(messageText, text);
    if (messageText.length < kHeldMessageBytes || !policies) return;
    // Reported now, as a message of no line, at the level of the messages
    // so far (which the rest of the block's messages keep as their least).
    Context* context = policies->context;
    AnalysedLine* input = context ? context->trackers.input.currentLine : nullptr;
    AnalysedLine* output = context ? context->trackers.output.currentLine : nullptr;
    SetCurrentLines(context, nullptr, nullptr);
    ReportHeldMessages(messageLevel);
    messagesReportedEarly = true;
    SetCurrentLines(context, input, output);
}

void PreForm::Message(const char* text, int level) {
    if (!text) return;
    if (!policies) {
        std::fputs(text, stderr);
        std::fputc('\n', stderr);
        return;
    }
    if (level < kLevelAlways - policies->GetInt(Pol::ErrorReportingLevel)) return;
    if (level > messageLevel) messageLevel = level;
    HoldMessage(text);
}

void PreForm::WritePassThroughLines(bool below) {
    if (passThrough.lines.empty()) return;
    // The lines up to the last one of text; the user's HTML among them
    // stands above or inside the table.
    size_t textEnd = 0;
    for (size_t i = lines.size(); i > 0; --i) {
        const PreFormLine& line = *lines[i - 1];
        if (IsTableTextLine(line) && HasNonBlankText(line.Layout())) {
            textEnd = i;
            break;
        }
    }
    for (const PassThroughLines::Line& line : passThrough.lines)
        if ((line.linesAbove >= textEnd) == below) WritePassThroughLine(line);
}

void PreForm::WritePassThroughLine(const PassThroughLines::Line& line) {
    if (!htmlOutput || !htmlWriter) return;
    TextString& text = scratchBuffers.passThroughLine;
    const std::string_view bytes = passThrough.TextOf(line);
    text.AssignChars(bytes.data(), static_cast<int>(bytes.size()));
    htmlWriter->WriteText(policies, htmlWriter, text.buffer);
}

void PreForm::ApplyPolicyLine(int lineIndex) {
    if (!policies || lineIndex < 0 || lineIndex >= static_cast<int>(lines.size()) ||
        !lines[static_cast<size_t>(lineIndex)])
        return;
    Context* context = policies->context;
    TextString line(lines[static_cast<size_t>(lineIndex)]->Layout().view());

    if (context) {
        const TextString& directive = context->directives[kDirChangePolicy];
        int removed = 0;
        if (!directive.IsEmpty()) line.ReplaceFrom(0, directive.buffer, "", 1, 1, nullptr, &removed);
        if (removed == 0 && context->IsOutputPass()) {
            TextString message("TAG ERROR: Failed to remove directive \"");
            message.Append(directive);
            message.Append("\" from input line (may be case sensitive)");
            policies->ReportMessage(message.buffer, kLevelAlways);
        }
    }

    line.Trim(0, " ");
    TextString message("POLICY: Changed - ");
    message.Append(line);
    policies->ReportMessage(message.buffer, kLevelWarning);

    int category = 0;
    policies->ParsePolicyLine(line, category, false);
    policies->ApplyRuleSetAndFormatDefaults(0);
}
