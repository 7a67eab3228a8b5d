#include "output/paragraphs.h"

#include <cstdint>

#include "context/block_list.h"
#include "context/context.h"
#include "output/font_markup.h"
#include "output/output_document.h"
#include "policies/alignments.h"
#include "policies/fc.h"

namespace {

// More line breaks than this are never written for one request: a huge
// leading (from a tag argument) would otherwise build a text of hundreds of
// megabytes.
constexpr int64_t kMaxLineBreaks = 1000;

bool IsOpenDocument(OutputDocument* document) { return document && document->IsOpen(); }

void Report(FC* set, const TextString& text, int level) { set->ReportMessage(text.buffer, level); }

// "UL DUMMY" is the indentation list that is written as a plain "UL".
void ReplaceDummyList(FC* set, TextString* text) {
    if (set->GetInt(Pol::IndentationMarkupCode) == -1) text->Replace("UL DUMMY", "UL", 0, 1);
}

// The first `count` blank-separated words of a text, joined by one blank.
TextString FirstWords(const TextString& text, int count) {
    TextString words;
    int position = 0;
    TextString word;
    while (count > 0 && text.GetNextField(&position, ' ', &word)) {
        if (word.IsEmpty()) continue;
        if (!words.IsEmpty()) words.AppendChar(' ');
        words.Append(word);
        --count;
    }
    return words;
}

bool ContainsNoCase(const TextString& text, const TextString& pattern) {
    int position = -1;
    return !pattern.IsEmpty() && text.Find(0, pattern.buffer, &position, 0);
}

// Opens one list level of the body text with `tag` (no angle brackets).
void OpenIndentLevel(OutputDocument* document, FC* set, const TextString& tag) {
    DocumentState& state = set->context->documentState;
    TextString text("<");
    text.Append(tag);
    text.Append(">");
    HTML_IndentSource(set, state.currentIndentLevel, &text);
    state.blocks.Add(set, document, text);
    state.currentIndentLevel += 1;
    set->indentationLevels.Add(tag.buffer);
}

// Closes the innermost list level of the body text.
void CloseIndentLevel(OutputDocument* document, FC* set) {
    DocumentState& state = set->context->documentState;
    StringList& open = set->indentationLevels;
    TextString endTag("</");
    if (open.count > 0)
        endTag.Append(FirstWords(TextString(open.TextAt(open.count - 1)), 1));
    else
        endTag.Append(set->indentClose);
    endTag.Append(">");
    HTML_EndPara(document, set, "CloseIndentLevel");
    state.currentIndentLevel -= 1;
    if (open.count > 0) open.RemoveAt(open.count - 1);
    HTML_IndentSource(set, state.currentIndentLevel, &endTag);
    state.blocks.Decrement(set, document, endTag);
}

bool IsHeadingOpen(const BlockList& blocks) {
    for (int i = 0; i < blocks.Count(); ++i)
        if (blocks.GetAt(i)->type == kBlockHeading) return true;
    return false;
}

// The STYLE value of a paragraph for HTML 4.0: its alignment and, with
// incremental indentation, its margins.
TextString ParagraphStyle(FC* set, int alignment) {
    Context* context = set->context;
    TextString margins;
    if (set->IsOn(Pol::UseIncrementalIndentation) && context->pGetTracker()->value0 == 0) {
        const InlineTagState& tags = context->documentState.inlineTagState;
        const int left = HTML_AdjustMarginForIndent(set, tags.indentChange[0]);
        const int right = HTML_ClampMargin(set, tags.indentChange[1]);
        if (left > 0 || right > 0) {
            margins.Assign("margin-left:");
            margins.AppendNumber('1', left, 0);
            margins.Append("pt; margin-right:");
            margins.AppendNumber('1', right, 0);
            margins.Append("pt; ");
        }
    }
    TextString style;
    if (alignment == kAlignmentRight) {
        style.Assign("text-align:right; ");
        style.Append(margins);
    } else if (alignment == kAlignmentCentre) {
        style.Assign("text-align:center; ");
    } else if (alignment > kAlignmentJustified) {
        style.Assign("text-align:justify; ");
        style.Append(margins);
        set->ReportMessage("UNSUPPORTED CASE: Alignment code in HTML_StartPara", kLevelAlways);
    } else {
        style = margins;
    }
    style.Trim(0, " ");
    return style;
}

}  // namespace

void HTML_IndentSource(FC* set, int levels, TextString* text) {
    if (!set || !set->context || !text) return;
    if (!set->context->documentState.htmlOutput) return;
    if (!IsRuleSet(set->ruleSetCode)) text->Trim(0, " \t");
    if (set->IsOn(Pol::MinimiseHTMLFileSize)) return;
    for (int level = 0; level < levels; ++level) text->Insert(0, "  ");
}

void HTML_EndPara(OutputDocument* document, FC* set, const char* /*label*/) {
    if (!document || !set || !set->context) return;
    if (!document->paragraphOpen) return;
    DocumentState& state = set->context->documentState;
    // The flag is cleared before the block is closed, so that closing the
    // paragraph block can never ask for the paragraph to be ended again.
    document->paragraphOpen = 0;
    TextString endTag("</P>");
    HTML_IndentSource(set, state.currentIndentLevel, &endTag);
    state.blocks.Decrement(set, document, endTag);
    state.pendingVerticalSpace = -12;
}

void HTML_StartPara(OutputDocument* document, FC* set, int newParagraph, const char* label, int /*nextLine*/,
                    int alignment, const SourcePosition* /*position*/) {
    if (!document || !set || !set->context) return;
    Context* context = set->context;
    DocumentState& state = context->documentState;

    if (!newParagraph) {
        // A line break is no block: it is written, never pushed, so the
        // block list keeps only blocks that are closed again.  An open
        // paragraph stays open (and known to be open) so that it is still
        // closed by its own end tag.
        const char* text = (!document->paragraphOpen && set->IsOn(Pol::LookForWhiteSpace)) ? "<BR>" : "";
        TextString line(text);
        HTML_IndentSource(set, state.currentIndentLevel, &line);
        state.documentStarted = 0;
        document->WriteText(set, document, line.buffer);
        return;
    }

    HTML_EndPara(document, set, label);
    if (state.pendingVerticalSpace > 0) HTML_ExtraLeading(set, state.pendingVerticalSpace, document);
    state.pendingVerticalSpace = 0;

    if (alignment == kAlignmentNone) alignment = kAlignmentLeft;
    TextString text("<P");
    if (alignment == kAlignmentCentre)
        text.Append(" ALIGN=\"CENTER\"");
    else if (alignment == kAlignmentRight)
        text.Append(" ALIGN=\"RIGHT\"");
    else if (alignment > kAlignmentJustified)
        set->ReportMessage("UNSUPPORTED CASE: Alignment code in HTML_StartPara", kLevelAlways);
    if (set->GetInt(Pol::HTMLVersion) >= 2) {
        const TextString style = ParagraphStyle(set, alignment);
        if (!style.IsEmpty()) {
            text.Append(" STYLE=\"");
            text.Append(style);
            text.Append("\"");
        }
    }
    text.Append(">");
    document->paragraphOpen = 1;
    context->ApplyPendingFontChange(set);
    TextString fontMarkup;
    GetStartFontMarkup(0, set, context->GetCurrentFont(), &fontMarkup);
    text.Append(fontMarkup);

    HTML_IndentSource(set, state.currentIndentLevel, &text);
    state.documentStarted = 0;
    state.blocks.Add(set, document, text);
}

int HTML_ExtraLeading(FC* set, int points, OutputDocument* document) {
    if (!set || !set->context) return 1;
    DocumentState& state = set->context->documentState;
    if (IsHeadingOpen(state.blocks) && !set->IsOn(Pol::SuppressHnMarkup)) {
        set->ReportMessage("PROGRAM ERROR: Call to HTML_ExtraLeading from inside heading", kLevelAlways);
        return 1;
    }
    if (!state.htmlOutput || points <= 5) return 1;

    TextString text;
    const BlockEntry* current = state.blocks.GetCurrent();
    if (state.listNestingCount > 0 && set->GetInt(Pol::ListMarkupCode) == 1 && current) {
        const int usage = set->GetInt(Pol::PInsideListUsageCode);
        if (usage == 3 || (usage == 1 && current->itemCount == 1) || (usage == 2 && current->itemCount != 1))
            text.Append("<BR>");
    }
    int64_t breaks = (static_cast<int64_t>(points) + 11) / 12;
    if (breaks > kMaxLineBreaks) breaks = kMaxLineBreaks;
    for (int64_t i = 0; i < breaks; ++i) text.Append("<BR>");
    HTML_IndentSource(set, state.currentIndentLevel, &text);
    state.pendingVerticalSpace = 0;

    if (!text.IsEmpty() && document) document->WriteLine(set, document, &text, 0);
    return 1;
}

void HTML_SetIndentLevel(OutputDocument* document, int level, FC* set, const char* startTag) {
    if (!set || !set->context) return;
    DocumentState& state = set->context->documentState;

    TextString tag(startTag ? startTag : "");
    if (tag.length > 0 && tag.buffer[tag.length - 1] == '>') tag.SubString(0, tag.length - 1);
    if (tag.length > 0 && tag.buffer[0] == '<') tag.SubString(1, tag.length);

    StringList& open = set->indentationLevels;
    if (open.count != state.currentIndentLevel) {
        TextString message("PROGRAM ERROR: IndentLevel ");
        message.AppendNumber('1', open.count, 0);
        message.Append(" does not match FC level ");
        message.AppendNumber('1', state.currentIndentLevel, 0);
        Report(set, message, kLevelAlways);
    }
    if (!IsOpenDocument(document)) {
        set->ReportMessage("PROGRAM ERROR: File not open in HTML_SetIndentLevel!", kLevelAlways);
        return;
    }
    if (level < 0) {
        TextString message("ERROR: Invalid Indent Level ");
        message.AppendNumber('1', level, 0);
        Report(set, message, kLevelMinorError);
        level = 0;
    }
    if (level != state.currentIndentLevel) HTML_EndPara(document, set, "HTML_SetIndentLevel");

    // Without a tag of its own the innermost level takes the default one.
    const TextString innermostTag = tag.IsEmpty() ? set->indentOpen : tag;
    while (state.currentIndentLevel < level)
        OpenIndentLevel(document, set, state.currentIndentLevel + 1 == level ? innermostTag : set->indentOpen);
    while (state.currentIndentLevel > level && state.currentIndentLevel > 0) CloseIndentLevel(document, set);

    // A different list type at the same level replaces the innermost list;
    // roman items inside an alphabetic list keep it.
    if (tag.IsEmpty() || state.currentIndentLevel <= 0 || open.count == 0) return;
    const TextString wanted = FirstWords(tag, 2);
    const TextString innermost(open.TextAt(open.count - 1));
    if (ContainsNoCase(innermost, wanted)) return;
    if (ContainsNoCase(innermost, TextString("OL type=\"a\"")) &&
        ContainsNoCase(wanted, TextString("OL type=\"i\"")))
        return;
    CloseIndentLevel(document, set);
    OpenIndentLevel(document, set, tag);
}

void HTML_ChangeIndentLevel(OutputDocument* document, int level, FC* set) {
    if (!set) return;
    HTML_SetIndentLevel(document, level, set, set->indentOpen.buffer);
}

void HTML_SetIndentFromPosition(FC* set, OutputDocument* document, int position) {
    const int level = position <= 0 ? 0 : static_cast<int>((static_cast<int64_t>(position) + 10) / 20);
    HTML_ChangeIndentLevel(document, level, set);
}

void HTML_SetContentsIndentLevel(OutputDocument* document, int level, int* currentLevel, FC* set) {
    if (!set || !currentLevel) return;
    if (!IsOpenDocument(document)) {
        set->ReportMessage("PROGRAM ERROR: File not open in HTML_SetContentsIndentLevel!", kLevelAlways);
        return;
    }
    if (level < 0) {
        TextString message("ERROR: Invalid Indent Level ");
        message.AppendNumber('1', level, 0);
        Report(set, message, kLevelMinorError);
        level = 0;
    }
    if (level == *currentLevel) return;
    HTML_StartPara(document, set, 1, "HTML_SetContentsIndentLevel", 0, 0, nullptr);
    while (*currentLevel < level) {
        TextString text("<");
        text.Append(set->indentOpen);
        text.Append(">");
        HTML_IndentSource(set, *currentLevel, &text);
        ReplaceDummyList(set, &text);
        document->WriteLine(set, document, &text, 0);
        *currentLevel += 1;
    }
    while (*currentLevel > level) {
        *currentLevel -= 1;
        TextString text("</");
        text.Append(set->indentClose);
        text.Append(">");
        HTML_IndentSource(set, *currentLevel, &text);
        ReplaceDummyList(set, &text);
        document->WriteLine(set, document, &text, 0);
    }
}

int HTML_AdjustMarginForIndent(FC* set, int margin) {
    const int level = (set && set->context) ? set->context->documentState.currentIndentLevel : 0;
    const int64_t adjusted = static_cast<int64_t>(margin) - 20 * static_cast<int64_t>(level);
    return adjusted < 0 ? 0 : static_cast<int>(adjusted);
}

int HTML_ClampMargin(FC* /*set*/, int margin) { return margin < 0 ? 0 : margin; }
