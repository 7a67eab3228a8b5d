// The writers of the block kinds that are not tables (code samples,
// pre-formatted text and diagrams, blocks written as ordinary text, mail
// headers, RTF text blocks and definition lists, the inverse pyramid), and
// the column merging of the analysis.
//
// Every writer works on the lines' display texts, which the reader has
// already escaped for the output format: nothing here escapes again, so each
// "&", "<" or accented letter of the input is escaped exactly once.
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "tables/preform.h"
#include "tables/engine_support.h"

#include <memory>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/style_set.h"
#include "output/html_write_heading_anchor.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

using engine_support::ConfigOf;
using engine_support::IsOn;
using engine_support::Write;

// Blocks longer than this are written without the RTF keep-together option.
constexpr int kKeepTogetherLines = 40;

RTFFile* AsRTF(OutputDocument* document) { return dynamic_cast<RTFFile*>(document); }

// The paragraph start of an RTF style: every option for a short block, all
// but keep-with-next for a long one, so that a reader can break it across
// pages.
TextString StyleStart(const PreForm& engine, int position) {
    static const RTFParagraphParts withoutKeep{1, 1, 1, 1, 1, 1, 0};
    const bool longBlock = static_cast<int>(engine.lines.size()) > kKeepTogetherLines;
    TextString out;
    RTF_StartPara(engine.policies, AsRTF(engine.rtfWriter), position, nullptr, out,
                  longBlock ? &withoutKeep : nullptr);
    return out;
}

// Each enabled output needs its writer; a missing one is reported and the
// block is not written.
bool WritersPresent(PreForm& engine, const char* htmlMessage, const char* rtfMessage) {
    if (engine.htmlOutput && !engine.htmlWriter) {
        engine.Message(htmlMessage, kLevelAlways);
        return false;
    }
    if (engine.rtfOutput && !engine.rtfWriter) {
        engine.Message(rtfMessage, kLevelAlways);
        return false;
    }
    return true;
}
bool WritersPresent(PreForm& engine) {
    return WritersPresent(engine, "PROGRAM ERROR : No HTMLFile inside ParseTable",
                          "PROGRAM ERROR : No RTFFile inside ParseTable");
}

bool StrongMarkup(FC* set) { return set && set->IsOn(Pol::UseEmAndStrongMarkup); }

const TabConfig* Configuration(const PreForm& engine) {
    if (engine.tabConfig) return engine.tabConfig;
    return engine.policies ? engine.policies->GetDefaultTabConfig() : nullptr;
}

// A comment in a code line ("//" that is not part of an address such as
// "http://") is set in bold italics up to the end of the line.
void HighlightComment(FC* set, TextString& text, bool rtf) {
    int at = -1;
    if (!text.Find(0, "//", &at, 1) || text.Find(0, "://", nullptr, 1)) return;
    const bool strong = StrongMarkup(set);
    text.Insert(at + 2, rtf ? "{\\b\\i " : (strong ? "<STRONG><EM>" : "<B><I>"));
    text.Append(rtf ? "\\i0\\b0}" : (strong ? "</EM></STRONG>" : "</I></B>"));
}

// A scratch line that carries one block line through the output conversion
// and the tag execution; the output tracker follows the line written.
std::unique_ptr<AnalysedLine> ScratchLine(Context& context, const BlockLines& lines, const PreFormLine& line,
                                          const char* text) {
    auto scratch = std::make_unique<AnalysedLine>();
    scratch->SetText(text);
    TextString rawScratch;
    const LineText raw = line.Raw(rawScratch);
    scratch->rawText.Assign(raw.view());
    scratch->lineType = line.lineType;
    scratch->flags = line.flags;
    scratch->position = lines.PositionOf(line);
    scratch->originPosition = lines.OriginOf(line);
    context.trackers.output.position = scratch->position;
    return scratch;
}

// The positional link anchors of the line's source line put back.
void ApplyLinkDefinitions(FC& set, const BlockLines& lines, const PreFormLine& line, AnalysedLine& scratch) {
    TextString out;
    const TextString layout(line.Layout().view());
    const SourcePosition position = lines.PositionOf(line);
    set.ApplyLinkDefinitions(&position, &layout, 0, -1, -1, &scratch, &out);
    scratch.AssignChars(out.buffer, out.length);
}

// Runs the in-line tags of the line in one mode; returns the highest result.
int ExecuteTags(OutputDocument* document, FC& set, AnalysedLine& scratch, int mode, TextString& messages) {
    int result = -1;
    if (document) document->ExecuteLineTags(mode, document, &scratch, &set, &messages, &result);
    return result;
}

// The hanging indent of a two-column RTF form: the first column's width in
// whole indent steps plus one step (and one more for Windows Help).
int HangingIndent(const PreForm& engine) {
    const int firstWidth = engine.columns.empty() ? 0 : engine.columns.front()->rtfWidth;
    int indent = (firstWidth / 360) * 360 + 360;
    if (engine.policies->IsOn(Pol::MakeWindowsHelpSource)) indent += 360;
    return indent;
}

// A mail-header value: the text after the key's colon, converted for output
// with its blanks collapsed and trimmed.
TextString ConvertHeaderValue(FC& set, Context& context, const BlockLines& lines, const PreFormLine& line,
                              const TextString& value) {
    std::unique_ptr<AnalysedLine> scratch = ScratchLine(context, lines, line, value.buffer);
    scratch->ConvertForOutput(set, nullptr, 1, 0, 0, 0, 1, 1);
    TextString out;
    out.AssignChars(scratch->buffer, scratch->length);
    out.CollapseBlanks();
    out.Trim(0, " ");
    context.ForgetLine(scratch.get());
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Code samples

void PreForm::OutputCodeSample() {
    if (!policies || !policies->context || !WritersPresent(*this)) return;
    FC& set = *policies;
    Context& context = *set.context;
    if (htmlOutput) {
        Write(htmlWriter, &set,
              isCode ? "<!-- User-specified CODE sample -->" : "<!-- Automatically detected CODE sample -->");
        Write(htmlWriter, &set, "<CODE>");
    }
    if (rtfOutput) Write(rtfWriter, &set, TextString("{") + StyleStart(*this, kStyleCode));

    for (size_t i = 0; i < lines.size(); ++i) {
        const PreFormLine& line = *lines[i];
        if (line.lineType == kStatementChangePolicy) {
            ApplyPolicyLine(static_cast<int>(i));
            continue;
        }
        if (IsDirectiveLine(line)) continue;
        std::unique_ptr<AnalysedLine> scratch = ScratchLine(context, lines, line, line.Display().buffer);
        scratch->ApplyLinkDictionary(set);
        TextString text;
        text.AssignChars(scratch->buffer, scratch->length);
        context.ForgetLine(scratch.get());
        if (htmlOutput) {
            // HTML runs leading blanks together: the indentation goes ahead
            // as non-breaking spaces.
            int blanks = 0;
            while (blanks < text.length && text.buffer[blanks] == ' ') ++blanks;
            if (blanks > 0) {
                TextString spaces;
                spaces.Reserve(int64_t{blanks} * 6);
                for (int k = 0; k < blanks; ++k) spaces.Append("&nbsp;");
                Write(htmlWriter, &set, spaces);
            }
            TextString html(text);
            HighlightComment(&set, html, false);
            html.Append("<BR>");
            Write(htmlWriter, &set, html);
        }
        if (rtfOutput) {
            // RTF keeps blanks, so the line keeps its own indentation.
            HighlightComment(&set, text, true);
            text.Append("\\par");
            Write(rtfWriter, &set, text);
        }
    }

    if (htmlOutput) {
        Write(htmlWriter, &set, "</CODE>");
        Write(htmlWriter, &set,
              isCode ? "<!-- End of user-specified CODE sample -->"
                     : "<!-- End of automatically detected CODE sample -->");
    }
    if (rtfOutput) Write(rtfWriter, &set, "\\par}");
}

// ---------------------------------------------------------------------------
// Pre-formatted text and diagrams

void PreForm::OutputPreformatted() {
    if (!policies || !policies->context || !WritersPresent(*this)) return;
    FC& set = *policies;
    Context& context = *set.context;
    const bool code = isCode || looksLikeCode;
    const bool diagram = isDiagram || looksLikeDiagram;

    const char* startComment;
    const char* endComment;
    if (isCode) {
        startComment = "<!-- User-specified CODE sample -->";
        endComment = "<!-- end of user-specified CODE sample -->";
    } else if (looksLikeCode) {
        startComment = "<!-- Automatically detected CODE sample -->";
        endComment = "<!-- end of automatically detected CODE sample -->";
    } else if (isDiagram) {
        startComment = "<!-- User-specified DIAGRAM -->";
        endComment = "<!-- end of user-specified DIAGRAM -->";
    } else if (looksLikeDiagram) {
        startComment = "<!-- Automatically detected DIAGRAM -->";
        endComment = "<!-- end of automatically detected DIAGRAM -->";
    } else if (isPreformatted) {
        startComment = "<!-- User-specified pre-formatted text -->";
        endComment = "<!-- end of user-specified pre-formatted text -->";
    } else {
        startComment = "<!-- Automatically detected pre-formatted text -->";
        endComment = "<!-- end of automatically detected pre-formatted text -->";
    }
    if (htmlOutput) {
        Write(htmlWriter, &set, startComment);
        Write(htmlWriter, &set, "<PRE>");
    }
    if (rtfOutput) {
        const int style = code ? kStyleCode : (diagram ? kStyleDiagram : kStylePreform);
        Write(rtfWriter, &set, TextString("{") + StyleStart(*this, style));
    }

    const TabConfig* config = Configuration(*this);
    const int references = !code && config && config->GetInt(TabPol::ConvertXRefs) ? 1 : 0;
    // Emphasis (and the replacement pairs that carry an emphasis phrase from
    // one line to the next) only for pre-formatted text.
    const int emphasis = !code && !diagram ? 1 : 0;
    OutputDocument* document = htmlOutput ? htmlWriter : rtfWriter;
    for (size_t i = 0; i < lines.size(); ++i) {
        const PreFormLine& line = *lines[i];
        if (line.lineType == kStatementChangePolicy) {
            ApplyPolicyLine(static_cast<int>(i));
            continue;
        }
        if (IsDirectiveLine(line)) continue;
        std::unique_ptr<AnalysedLine> scratch = ScratchLine(context, lines, line, line.Display().buffer);
        scratch->ConvertForOutput(set, line.Replacements(), 1, references, emphasis,
                                  emphasis && line.Replacements() ? 1 : 0, 1, 0);
        ApplyLinkDefinitions(set, lines, line, *scratch);
        TextString messages;
        const int result = ExecuteTags(document, set, *scratch, 5, messages);
        if (result >= 0 && !messages.IsEmpty()) set.ReportMessage(messages.buffer, kLevelAlways);
        TextString text;
        text.AssignChars(scratch->buffer, scratch->length);
        context.ForgetLine(scratch.get());
        if (htmlOutput) {
            TextString html(text);
            if (code) HighlightComment(&set, html, false);
            Write(htmlWriter, &set, html);
        }
        if (rtfOutput) {
            if (code) HighlightComment(&set, text, true);
            text.Append("\\par");
            Write(rtfWriter, &set, text);
        }
    }

    if (htmlOutput) {
        Write(htmlWriter, &set, "</PRE>");
        Write(htmlWriter, &set, endComment);
    }
    if (rtfOutput) Write(rtfWriter, &set, "}");
}

// ---------------------------------------------------------------------------
// Ordinary text

void PreForm::OutputAsNormal() {
    if (!policies || !policies->context) return;
    FC& set = *policies;
    Context& context = *set.context;
    context.blockOutputInProgress = 0;
    if (!WritersPresent(*this)) return;

    const char* startComment;
    const char* endComment;
    if (looksLikeDiagram && isDiagram) {
        startComment = "<!-- User-specified DIAGRAM being output as \"NORMAL\" -->";
        endComment = "<!-- end of user-specified DIAGRAM being output as \"NORMAL\" -->";
    } else if (looksLikeDiagram) {
        startComment = "<!-- Outputting auto-detected one-line DIAGRAM as \"NORMAL\" -->";
        endComment = "<!-- end of auto-detected one-line DIAGRAM as \"NORMAL\" -->";
    } else if (looksLikeMailHeader) {
        startComment = "<!-- Outputting auto-detected mail header as \"NORMAL\" -->";
        endComment = "<!-- end of auto-detected mail header as \"NORMAL\" -->";
    } else {
        startComment = "<!-- Outputting formatted text as \"NORMAL\" -->";
        endComment = "<!-- end of formatted text output as \"NORMAL\" -->";
    }
    if (htmlOutput) {
        Write(htmlWriter, &set, startComment);
        HTML_ChangeIndentLevel(htmlWriter, TableIndentLevel(nullptr), &set);
        HTML_StartPara(htmlWriter, &set, 1, "ON1", 0, 1, nullptr);
    }
    if (rtfOutput)
        RTF_SetStyleIfChanged(&set, AsRTF(rtfWriter), kRTFParagraphOrdinary, set.GetIndentLevel(leftMargin));

    OutputDocument* document = htmlOutput ? htmlWriter : rtfWriter;
    // The user's HTML goes where it stands among the lines: `next` is the
    // first of it not written yet.
    size_t next = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        for (; next < passThrough.lines.size() && passThrough.lines[next].linesAbove <= i; ++next)
            WritePassThroughLine(passThrough.lines[next]);
        const PreFormLine& line = *lines[i];
        const int type = line.lineType;
        // A rule drawn in the text (a line of dashes, an underline) has no
        // RTF rule to become, so in RTF it is written as the line it is
        // rather than dropped.
        const bool drawnRule = type == kLineRuler || type == kLineUnderline;
        if ((type == kLinePageBreak || type == kStatementLineRule || type == kStatementPage || drawnRule) &&
            (htmlOutput || !drawnRule)) {
            if (!htmlOutput) continue;
            TextString rule("<HR NOSHADE");
            if (type != kLinePageBreak && type != kStatementPage) {
                const int percent = line.length * 100 / 80;
                if (percent >= 1 && percent <= 74) {
                    rule.Append(" ALIGN=\"LEFT\" WIDTH=\"");
                    rule += percent;
                    rule.Append("%\"");
                }
            }
            rule.Append(">");
            Write(htmlWriter, &set, rule);
            continue;
        }
        if (type == kStatementChangePolicy) {
            ApplyPolicyLine(static_cast<int>(i));
            continue;
        }
        // Ignored and dropped input lines are not part of the text.
        if (IsDirectiveLine(line) || type == kLineConsumed || type == kLineIgnored) continue;

        std::unique_ptr<AnalysedLine> scratch = ScratchLine(context, lines, line, line.Display().buffer);
        scratch->ConvertForOutput(set, line.Replacements(), 1, 1, 1, 0, 1, 1);
        ApplyLinkDefinitions(set, lines, line, *scratch);
        TextString messages;
        // Mode 3 gets its turn when no tag of mode 0 gave a result.
        int result = ExecuteTags(document, set, *scratch, 0, messages);
        if (result < 0) result = ExecuteTags(document, set, *scratch, 3, messages);
        const int textResult = ExecuteTags(document, set, *scratch, 5, messages);
        if (textResult > result) result = textResult;
        if (result > 0 && !messages.IsEmpty()) set.ReportMessage(messages.buffer, kLevelAlways);
        TextString text;
        text.AssignChars(scratch->buffer, scratch->length);
        context.ForgetLine(scratch.get());
        if (htmlOutput) Write(htmlWriter, &set, TextString(text) + "<BR>");
        if (rtfOutput) Write(rtfWriter, &set, text + "\\par ");
    }

    if (htmlOutput) {
        HTML_EndPara(htmlWriter, &set, "ON2");
        HTML_ChangeIndentLevel(htmlWriter, 0, &set);
        Write(htmlWriter, &set, endComment);
    }
    for (; next < passThrough.lines.size(); ++next) WritePassThroughLine(passThrough.lines[next]);
}

// ---------------------------------------------------------------------------
// Mail headers

void PreForm::OutputMailHeader() {
    if (!policies || !policies->context) return;
    FC& set = *policies;
    Context& context = *set.context;
    context.blockOutputInProgress = 0;
    if (!WritersPresent(*this, "PROGRAM ERROR : No HTMLFile inside OutputMailHeader",
                        "PROGRAM ERROR : No RTFFile inside OutputMailHeader"))
        return;

    const PreFormLine* dateLine = nullptr;
    const PreFormLine* senderLine = nullptr;
    const PreFormLine* subjectLine = nullptr;
    TextString date, sender, subject;
    for (size_t i = 0; i < lines.size() && !(dateLine && senderLine && subjectLine); ++i) {
        const PreFormLine& line = *lines[i];
        if (line.lineType == kStatementChangePolicy) continue;
        const TextString text(line.Display().view());
        int colon = -1;
        if (!text.FindChar(0, ':', &colon, 1)) continue;
        // The key as the header test saw it: without the line's indentation.
        TextString key;
        key.AssignChars(text.buffer, colon);
        key.Trim(0, " ");
        TextString value;
        value.AssignChars(text.buffer + colon + 1, text.length - colon - 1);
        if (!dateLine && key.Matches("Date", 0, 0)) {
            dateLine = &line;
            date = value;
        } else if (!senderLine && key.Matches("From", 0, 0)) {
            senderLine = &line;
            sender = value;
        } else if (!subjectLine && (key.Matches("Subject", 0, 0) || key.Matches("Subj", 0, 0))) {
            subjectLine = &line;
            subject = value;
        }
    }
    if (!subjectLine || !senderLine) {
        OutputAsNormal();
        return;
    }
    subject = ConvertHeaderValue(set, context, lines, *subjectLine, subject);
    sender = ConvertHeaderValue(set, context, lines, *senderLine, sender);
    if (dateLine) date = ConvertHeaderValue(set, context, lines, *dateLine, date);

    if (htmlOutput) {
        const SourcePosition where = lines.empty() ? SourcePosition() : lines.Position(0);
        HTML_WriteHeadingAnchor(&set, htmlWriter, kLineMailHeading, where, subject, subject, subject);
        Write(htmlWriter, &set, "<!-- Start of auto-detected Mail header -->");
        Write(htmlWriter, &set, TextString("<H2>") + subject + "</H2>");
        Write(htmlWriter, &set, TextString("<EM>") + sender + "</EM><BR>");
        if (dateLine) Write(htmlWriter, &set, TextString("<EM>") + date + "</EM><BR>");
        Write(htmlWriter, &set, "<!-- end of auto-detected mail header -->");
        HTML_EndPara(htmlWriter, &set, "ON2");
        HTML_ChangeIndentLevel(htmlWriter, 0, &set);
    }
    if (rtfOutput) {
        Write(rtfWriter, &set, TextString("{") + StyleStart(*this, kStyleBody));
        Write(rtfWriter, &set, TextString("{") + StyleStart(*this, kStyleHeading2) + " " + subject + "\\par}");
        Write(rtfWriter, &set, TextString("{") + StyleStart(*this, kStyleQuoted) + " " + sender + "\\i0\\par}");
        if (dateLine)
            Write(rtfWriter, &set, TextString("{") + StyleStart(*this, kStyleQuoted) + " " + date + "\\i0\\par}");
        Write(rtfWriter, &set, "}");
    }
}

// ---------------------------------------------------------------------------
// Text blocks

void PreForm::OutputTextBlock() {
    if (!policies || !WritersPresent(*this)) return;
    FC& set = *policies;
    if (htmlOutput) {
        // The table parse writes for every output that is on; RTF gets the
        // hanging form below instead.
        const int savedRTF = rtfOutput;
        rtfOutput = 0;
        // The RTF form below reads the lines again.
        releaseWrittenTexts = savedRTF == 0;
        ParseTable(kParseTextBlock);
        releaseWrittenTexts = false;
        rtfOutput = savedRTF;
    }
    if (!rtfOutput) return;

    int indent = HangingIndent(*this);
    int paperWidth = 0, paperHeight = 0, top = 0, bottom = 0, left = 0, right = 0;
    RTF_GetPaperSize(&set, &paperWidth, &paperHeight);
    RTF_GetMargins(&set, &top, &bottom, &left, &right);
    const int secondWidth = columns.size() > 1 ? columns[1]->rtfWidth : 0;
    if (paperWidth - left - right < indent + secondWidth) indent = paperWidth - secondWidth - left - right;
    if (indent < 0) indent = 0;
    TextString start("{");
    start.Append(StyleStart(*this, kStyleHanging));
    start.Append("\\li");
    start += indent;
    start.Append("\\widctlpar\\jclisttab");
    Write(rtfWriter, &set, start);

    for (size_t i = 0; i < lines.size(); ++i) {
        const PreFormLine& line = *lines[i];
        if (line.lineType == kStatementChangePolicy) {
            ApplyPolicyLine(static_cast<int>(i));
            continue;
        }
        if (IsDirectiveLine(line)) continue;
        SplitLineIntoCells(&scratchRow, static_cast<int>(i), 0);
        TableCell* cell = scratchRow.GetAt(1);
        if (!cell) {
            Write(rtfWriter, &set, "");
            continue;
        }
        TextString text(cell->text);
        ApplyCellFontAndLink(cell, &text, cell->font, cell->position, 0);
        text.Trim(0, " ");
        text.Append("\\par");
        Write(rtfWriter, &set, text);
    }
    Write(rtfWriter, &set, "}");
}

// ---------------------------------------------------------------------------
// Definition lists (RTF form of a two-column table)

void PreForm::StartDefinitionList(int* bordered, int* hasHeader) {
    if (!policies) return;
    const bool header = DecideTableHeader();
    if (hasHeader) *hasHeader = header ? 1 : 0;
    if (bordered) *bordered = 0;
    if (!rtfOutput || !rtfWriter) return;
    RTFFile* rtf = AsRTF(rtfWriter);
    const int hanging = HangingIndent(*this);
    const int margin = leftMargin > 0 ? leftMargin : 0;
    const int left = hanging + ((margin + 3) / 6) * (rtf ? rtf->indentStep : 360);
    TextString start("{");
    start.Append(StyleStart(*this, kStyleHanging));
    start.Append("\\li");
    start += left;
    start.Append("\\fi");
    start += -hanging;
    start.Append("\\widctlpar\\jclisttab\\tx");
    start += left;
    OutputRtfCaption();
    Write(rtfWriter, policies, start);
}

void PreForm::OutputDefinitionRow(int) {
    if (!policies) return;
    TableCell* term = cellRow.GetAt(0);
    TableCell* definition = cellRow.GetAt(1);
    if (term) ApplyCellFontAndLink(term, &term->text, term->font, term->position, 0);
    if (definition) ApplyCellFontAndLink(definition, &definition->text, definition->font, definition->position, 0);
    const bool holdsLines = (term && term->lineCount > 0) || (definition && definition->lineCount > 0);
    if (!holdsLines || !rtfOutput || !rtfWriter) return;
    TextString termText(term ? term->text : TextString());
    TextString definitionText(definition ? definition->text : TextString());
    termText.Trim(0, " ");
    definitionText.Trim(0, " ");
    Write(rtfWriter, policies, "{");
    Write(rtfWriter, policies, termText + "\\tab");
    Write(rtfWriter, policies, definitionText);
    Write(rtfWriter, policies, "\\par}");
}

void PreForm::EndDefinitionList() {
    if (policies && rtfOutput && rtfWriter) Write(rtfWriter, policies, "}");
}

// ---------------------------------------------------------------------------
// Inverse pyramid

void PreForm::OutputInversePyramid() {
    if (!policies || !WritersPresent(*this)) return;
    // The framing comments are HTML: an RTF document would show them as text.
    if (htmlOutput) Write(htmlWriter, policies, "<!-- User-specified INVERSE PYRAMID -->");
    OutputPreformatted();
    if (htmlOutput) Write(htmlWriter, policies, "<!-- End of INVERSE PYRAMID -->");
}

// ---------------------------------------------------------------------------
// Column merging

void PreForm::MergeColumns(int first, int last) {
    const int count = static_cast<int>(columns.size());
    if (first < 0 || first >= count) return;
    PreFormColumn& target = *columns[static_cast<size_t>(first)];
    if (last >= count || last <= first) {
        target.typicalSpan = 1;
        return;
    }
    const PreFormColumn& end = *columns[static_cast<size_t>(last)];
    target.boundary = end.boundary;
    target.gapEnd = end.gapEnd;
    target.width = end.width;
    for (int k = first + 1; k <= last; ++k) target.rtfWidth += columns[static_cast<size_t>(k)]->rtfWidth;
    const int merged = last - first;
    target.typicalSpan = target.typicalSpan - merged < 1 ? 1 : target.typicalSpan - merged;
    columns.erase(columns.begin() + first + 1, columns.begin() + last + 1);
    cellRow.RemoveRange(first, last);
    columnCount = static_cast<int>(columns.size());
}

void PreForm::MergeLastTwoColumns() {
    const size_t count = columns.size();
    if (count <= 1) {
        if (count == 1) columns.front()->hasDominantValue = 0;
        return;
    }
    PreFormColumn& kept = *columns[count - 2];
    const PreFormColumn& last = *columns[count - 1];
    kept.boundary = last.boundary;
    kept.gapEnd = last.gapEnd;
    kept.width = last.width;
    kept.rtfWidth += last.rtfWidth;
    kept.typicalSpan = 1;
    columns.pop_back();
    columnCount = static_cast<int>(columns.size());
    const SourcePosition where = lines.empty() ? SourcePosition() : lines.Origin(0);
    cellRow.Reset(columnCount, policies, where, LineFont(0));
}
