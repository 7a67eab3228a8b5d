#include "output/html_contents_list.h"

#include <cstdint>

#include "analysis/analysed_line.h"
#include "analysis/analysis_routines.h"
#include "analysis/emphasis.h"
#include "analysis/fragment_variables.h"
#include "analysis/heading_list.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/line_types.h"
#include "foundation/utilities.h"
#include "output/font_markup.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/markup/heading_anchors.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"

namespace {

bool EqualNoCase(const TextString& a, const TextString& b) { return a.Matches(b.buffer, 0, 0); }

// Mail-header anchor stems may span lines; an anchor name may not.
void LineBreaksToUnderscores(TextString& text) {
    text.ReplaceChar(0, '\n', '_', 0);
    text.ReplaceChar(0, '\r', '_', 0);
}

TextString Escaped(FC* policies, const TextString& text) {
    TextString out(text);
    HTML_EscapeText(policies, out);
    return out;
}

// "UL DUMMY" is the indentation list that is written as a plain "UL".
void ReplaceDummyList(FC* policies, TextString& text) {
    if (policies->GetInt(Pol::IndentationMarkupCode) == -1) text.Replace("UL DUMMY", "UL", 1, 1);
}

// Writes one generated line unwrapped, indented by `levels` levels.
void WriteIndented(FC* policies, OutputDocument* document, TextString text, int levels) {
    HTML_IndentSource(policies, levels, &text);
    document->WriteLine(policies, document, &text, 1);
}

void OpenContentsLevel(FC* policies, OutputDocument* document, int* contentsLevel) {
    TextString text("<");
    text.Append(policies->indentOpen);
    text.Append(">");
    HTML_IndentSource(policies, *contentsLevel, &text);
    ReplaceDummyList(policies, text);
    document->WriteLine(policies, document, &text, 1);
    *contentsLevel += 1;
}

void CloseContentsLevel(FC* policies, OutputDocument* document, int* contentsLevel) {
    TextString text("</");
    text.Append(policies->indentClose);
    text.Append(">");
    HTML_IndentSource(policies, *contentsLevel - 1, &text);
    ReplaceDummyList(policies, text);
    document->WriteLine(policies, document, &text, 1);
    *contentsLevel -= 1;
}

// The name, without folder and extension, of the file the document writes.
TextString CurrentFileName(OutputDocument* document) {
    const char* top = document ? document->GetTopFileName() : nullptr;
    TextString directory, name, extension;
    SplitPath(TextString(top ? top : ""), &directory, &name, &extension);
    return name;
}

// The "TOC_LINE_<level>" fragment, else the "TOC_LINE" fragment; -1 when
// neither is defined.
int FindContentsLineFragment(const DefineList& defines, int level) {
    const SourcePosition unset;
    TextString name("TOC_LINE_");
    name.AppendNumber('1', level, 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int index = -1;
        if (defines.FindPreviousDefinition(kDefinitionFragment, name, unset, 0, &index, true) ||
            defines.FindNextDefinition(kDefinitionFragment, name, unset, 0, &index, true))
            return index;
        name.Assign("TOC_LINE");
    }
    return -1;
}

// The contents line written through a user fragment: each fragment line with
// "[[TOC_TEXT]]" and "[[TOC_URL]]" filled in and its variables expanded, all
// joined into one output line.
void WriteFragmentContentsLine(FC* policies, OutputDocument* document, const HeadingListEntry& entry,
                               int fragmentIndex, const TextString& currentName) {
    Context* context = policies->context;
    TextString linkName;
    GetHeadingLinkName(&entry.anchorStem, entry.lineType, policies, 1, &linkName);

    TextString fileName, extension(policies->names.outputExtension);
    HeadingListEntry* found = nullptr;
    FindHeadingAnchor(entry.text, entry.lineType, policies, context->trackers.output.position, fileName, extension,
                      found);
    if (fileName.IsEmpty()) fileName = context->fileNameRoot;
    TextString url("#");
    url.Append(linkName);
    if (!EqualNoCase(fileName, currentName) && !policies->IsOn(Pol::InputIsCompositionUnit))
        url = fileName + extension + url;
    const TextString text = Escaped(policies, entry.text);

    const DefinitionEntry* fragment = context->documentState.defines.GetAt(fragmentIndex);
    TextString joined;
    AnalysedLine scratch;
    for (int i = 0; i < fragment->lines.count; ++i) {
        scratch.Reset(0);
        scratch.SetText(fragment->lines.TextAt(i));
        // The positions are the line's own; the trackers are left where the
        // output stands.
        scratch.position = SourcePosition(fragmentIndex, i + 2);
        scratch.originPosition = SourcePosition();
        scratch.Replace("[[TOC_TEXT]]", text.buffer, 0, 1);
        scratch.Replace("[[TOC_URL]]", url.buffer, 0, 1);
        ExpandInlineTags(*policies, scratch, SourcePosition());
        joined.Append(scratch);
    }
    document->WriteText(policies, document, joined.buffer);
}

// The style class number of a contents line: its heading level (2 for the
// unnumbered level-2 kinds; 0 for a type that has none).
int StyleClassLevel(int lineType) { return GetHeadingLevel(lineType); }

bool IsUnnumberedHeading(int lineType) {
    return (lineType >= kLineUnderlinedHeading && lineType <= kLineUnderlinedHeadingLast) ||
           lineType == kLineCapitalisedHeading || lineType == kLineEmbeddedHeading ||
           (lineType >= kLineKeyPhraseHeading && lineType <= kLineKeyPhraseHeadingLast) ||
           lineType == kLineMailHeading;
}

}  // namespace

void HTML_FormatContentsLine(FC* policies, OutputDocument*, const SourcePosition& position, int lineType,
                             int lineStyle, const TextString& headingText, const TextString& linkName,
                             const TextString& currentName, TextString& out) {
    out.MakeEmpty();
    if (!policies || !policies->context) return;
    Context* context = policies->context;

    int bold = 1;
    const int styleCode = policies->GetInt(Pol::ContentsStyleCode);
    if (styleCode == 1) {
        bold = 0;
    } else if (styleCode != 0) {
        TextString message("UNSUPPORTED CASE: Unknown contents style");
        message.AppendNumber('1', styleCode, 0);
        policies->ReportMessage(message.buffer, kLevelAlways);
    }

    int baseSize = 3;
    if (policies->IsSet(Pol::BaseFontSize)) {
        const int64_t points =
            static_cast<int64_t>(policies->GetInt(Pol::BaseFontSize)) + policies->GetInt(Pol::DeltaFontSize);
        baseSize = PointSizeToHTMLSize(points > INT32_MAX   ? INT32_MAX
                                       : points < INT32_MIN ? INT32_MIN
                                                            : static_cast<int>(points));
    }

    TextString text(headingText);
    text.CollapseBlanks();
    text.Trim(0, " ");
    TextString link(linkName);
    if (link.IsEmpty()) GetHeadingLinkName(&text, lineType, policies, 1, &link);

    // A heading that is not known is taken to be in the file named by the
    // file name root.
    TextString fileName, extension(policies->names.outputExtension);
    HeadingListEntry* entry = nullptr;
    FindHeadingAnchor(text, lineType, policies, position.IsValid() ? position : context->trackers.output.position,
                      fileName, extension, entry);
    if (fileName.IsEmpty()) fileName = context->fileNameRoot;
    TextString url;
    if (!policies->IsOn(Pol::InputIsCompositionUnit) && !EqualNoCase(fileName, currentName)) {
        url = fileName;
        url.Append(extension);
    }
    url.AppendChar('#');
    url.Append(link);

    // Number and title are escaped here, before the emphasis marks become
    // markup.
    TextString number, title;
    SplitHeadingNumber(policies, &lineType, 1, &text, &number, &title);
    title.Trim(0, " -=*:");
    HTML_EscapeText(policies, number);
    HTML_EscapeText(policies, title);
    if (!title.IsEmpty()) TidyEmphasisLine(*policies, title, nullptr);
    if (bold) {
        if (!policies->strongOpen.IsEmpty()) title.Replace(policies->strongOpen.buffer, "*", 0, 1);
        if (!policies->strongClose.IsEmpty()) title.Replace(policies->strongClose.buffer, "*", 0, 1);
    }

    const int level = GetHeadingLevel(lineType);
    const FontSpec* current = context->GetCurrentFont();
    FontSpec font;
    if (current) font = *current;
    if (IsRuleSet(policies->ruleSetCode)) {
        font.size = (current ? current->size : font.size) + 1;
    } else {
        int size = baseSize - level + 1;
        const int largest = 6 - policies->GetInt(Pol::LargestAllowedHn);
        const int smallest = 6 - policies->GetInt(Pol::SmallestAllowedHn);
        if (size > largest) size = largest;
        if (size < smallest) size = smallest;
        font.size = HTMLSizeToPointSize(size);
    }
    font.bold = bold;
    TextString startMarkup, endMarkup;
    GetStartFontMarkup(kFontKindForced, policies, &font, &startMarkup);
    GetEndFontMarkup(kFontKindForced, policies, &font, &endMarkup);

    TextString prefix, closeSpan;
    if (lineStyle == 2) prefix.AppendChar('[');
    if (!context->fontTagSwitch) {
        int styleClass = StyleClassLevel(lineType);
        if (styleClass == 0) {
            policies->ReportMessage("UNSUPPORTED CASE: Unsupported line type in HTML_FormatContentsLine",
                                    kLevelAlways);
            styleClass = 1;
        }
        prefix.Append("<SPAN CLASS=TOC");
        prefix.AppendNumber('1', styleClass, 0);
        prefix.AppendChar('>');
        closeSpan.Assign("</SPAN>");
        endMarkup.MakeEmpty();
    } else {
        prefix.Append(startMarkup);
    }

    out.Append(prefix);
    if (IsUnnumberedHeading(lineType)) {
        out.Append("<A HREF=\"");
        out.Append(url);
        out.Append("\">");
        out.Append(title);
        out.Append("</A>");
    } else if (policies->IsOn(Pol::HyperlinksOnNumbers)) {
        out.Append("<A  HREF=\"");
        out.Append(url);
        out.Append("\">");
        out.Append(number);
        out.Append("</A> ");
        if (lineStyle == 1) out.Append(title);
    } else {
        if (title.IsEmpty()) {
            title = number;
            number.MakeEmpty();
        }
        if (lineStyle == 1) out.Append(number);
        out.Append(" <A HREF=\"");
        out.Append(url);
        out.Append("\">");
        out.Append(title);
        out.Append("</A>");
    }
    out.Append(endMarkup);
    if (lineStyle == 1) out.Append("<BR>");
    out.Append(closeSpan);
    if (lineStyle == 2) out.AppendChar(']');
}

void HTML_OutputContentsLine(FC* policies, OutputDocument* document, HeadingListEntry& entry, int* contentsLevel,
                             int lineStyle) {
    if (!policies || !policies->context || !document || !contentsLevel) return;
    Context* context = policies->context;
    const int level = GetHeadingLevel(entry.lineType);
    const bool mailHeader = entry.lineType == kLineMailHeading;
    const TextString currentName = CurrentFileName(document);

    if (!mailHeader) {
        const int fragment = FindContentsLineFragment(context->documentState.defines, level);
        if (fragment >= 0) {
            WriteFragmentContentsLine(policies, document, entry, fragment, currentName);
            return;
        }
    }

    TextString fileName, extension;
    HeadingListEntry* found = nullptr;
    FindHeadingAnchor(entry.title, entry.lineType, policies, entry.position, fileName, extension, found);

    TextString stem(entry.anchorStem);
    if (mailHeader) LineBreaksToUnderscores(stem);
    TextString linkName, secondName;
    GetHeadingLinkName(&stem, entry.lineType, policies, 1, &linkName);
    const bool compositionUnit = policies->IsOn(Pol::InputIsCompositionUnit);
    if (compositionUnit) {
        entry.GetAnchorName(linkName);
        secondName = linkName;
    }

    TextString line;
    HTML_FormatContentsLine(policies, document, entry.position, entry.lineType, lineStyle, entry.text, linkName,
                            currentName, line);

    const int target = level > 0 ? level - 1 : 0;
    while (*contentsLevel < target) OpenContentsLevel(policies, document, contentsLevel);
    while (*contentsLevel > target) CloseContentsLevel(policies, document, contentsLevel);

    bool wanted = false;
    if (policies->IsSet(Pol::AddAnchorsToContentsList))
        wanted = policies->IsOn(Pol::AddAnchorsToContentsList);
    else
        wanted = !compositionUnit && !EqualNoCase(fileName, currentName);
    const int anchorsLevel = policies->GetInt(Pol::ContentsAnchorsLevel);
    if (wanted && (anchorsLevel <= 0 || level <= anchorsLevel)) {
        // The second name equals the link name under composition units; the
        // same anchor is not written twice.
        for (const TextString* name : {&secondName, &linkName}) {
            if (name->IsEmpty() || (name == &secondName && secondName.view() == linkName.view())) continue;
            WriteIndented(policies, document, TextString("<A NAME=\"TOC_") + *name + "\">&nbsp;</A>",
                          *contentsLevel);
        }
    }
    WriteIndented(policies, document, line, *contentsLevel);

    if (mailHeader) {
        TextString sender("&nbsp;&nbsp;&nbsp;&nbsp;");
        const TextString name = Escaped(policies, entry.extra1);
        if (!entry.extra2.IsEmpty()) {
            sender.Append("<A HREF=\"mailto:");
            sender.Append(HTML_EscapeAttribute(entry.extra2));
            sender.Append("\">");
            sender.Append(name);
            sender.Append("</A>");
        } else {
            sender.Append(name);
        }
        if (!entry.extra3.IsEmpty()) {
            sender.AppendChar(' ');
            sender.Append(Escaped(policies, entry.extra3));
        }
        sender.Append("<BR>");
        WriteIndented(policies, document, sender, *contentsLevel);
    }
}

void HTML_OutputContentsList(FC* policies, OutputDocument* document, int maximumDepth, int lineStyle,
                             int contentsMode) {
    if (!policies || !policies->context) return;
    if (!document || !document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_OutputContentsList!", kLevelAlways);
        return;
    }
    Context* context = policies->context;
    context->trackers.codeLocation = kWritingOutput;
    HeadingList* list = &context->documentState.headings;
    if (list->Count() == 0) list = &context->documentState.contents;
    if (list->Count() == 0) return;

    int first = -1, last = -1;
    GetContentsRange(*policies, list, contentsMode, first, last);

    int depthLimit =
        policies->GetInt(Pol::MaximumContentsLevel) > 0 ? policies->GetInt(Pol::MaximumContentsLevel) : 0;
    if (maximumDepth > 0) depthLimit = maximumDepth;

    int shallowest = -1, deepest = -1;
    for (int i = 0; i < list->Count(); ++i) {
        if (!IsInContentsRange(*policies, i, first, last, contentsMode)) continue;
        const int level = GetHeadingLevel(list->GetAt(i)->lineType);
        if (shallowest < 0 || level < shallowest) shallowest = level;
        if (deepest < 0 || level > deepest) deepest = level;
    }
    if (depthLimit > 0 && deepest > depthLimit) deepest = depthLimit;
    const int lowestShown = shallowest >= 0 ? shallowest : 1;
    int highestShown = deepest >= 0 ? deepest : 5;
    if (maximumDepth > 0) {
        // A huge depth argument means every level.
        const int64_t highest = static_cast<int64_t>(lowestShown) + maximumDepth - 1;
        highestShown = highest > INT32_MAX ? INT32_MAX : static_cast<int>(highest);
    }

    HTML_EndPara(document, policies, "HTML_OutputContentsList");
    HTML_ChangeIndentLevel(document, 0, policies);
    document->WriteText(policies, document, "<!-- TOC_BEGIN -->");
    document->WriteText(policies, document, "");

    int contentsLevel = 0;
    for (int i = 0; i < list->Count(); ++i) {
        HeadingListEntry* entry = list->GetAt(i);
        if (entry->lineType == kLineMailHeading) LineBreaksToUnderscores(entry->anchorStem);
        const int level = GetHeadingLevel(entry->lineType);
        if (IsInContentsRange(*policies, i, first, last, contentsMode) && level >= lowestShown &&
            level <= highestShown)
            HTML_OutputContentsLine(policies, document, *entry, &contentsLevel, lineStyle);
    }
    while (contentsLevel > 0) CloseContentsLevel(policies, document, &contentsLevel);

    document->WriteText(policies, document, "<!-- TOC_END -->");
    context->documentState.documentStarted = 1;
}
