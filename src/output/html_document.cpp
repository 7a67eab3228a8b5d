#include "output/html_document.h"

#include <cstdio>
#include <cstring>

#include "analysis/analysed_line.h"
#include "context/block_list.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/html_output_html_fragment.h"
#include "output/html_output_navigation_bar.h"
#include "output/html_write_style_sheet.h"
#include "output/insert_include_file.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/markup/navigation.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"
#include "policies/policy_value.h"

namespace {

// The maker's web site, named by the Generator META line.
constexpr const char* kMakerWebHost = "www.morvane.example";

bool IsOpenDocument(OutputDocument* document) { return document && document->IsOpen(); }

// One line, unwrapped.
void WriteText(FC* set, OutputDocument* document, const TextString& text) {
    document->WriteText(set, document, text.buffer);
}

// One line, word-wrapped.
void WriteWrapped(FC* set, OutputDocument* document, TextString text) {
    document->WriteLine(set, document, &text, 0);
}

bool IsRightToLeft(FC* set) {
    const TextString& encoding = set->GetText(Pol::CharacterEncoding);
    return encoding.Matches("windows-1256", 0, 0) || encoding.Matches("iso-8859-8", 0, 0);
}

bool EqualNoCase(const TextString& a, const TextString& b) {
    return a.length == b.length && a.Matches(b.buffer, 0, 0);
}

SourcePosition CurrentPosition(FC* set) { return set->context->pGetTracker()->position; }

bool IsFragmentDefined(FC* set, const char* name, const SourcePosition& position) {
    int index = -1;
    return set->context->documentState.defines.FindPreviousDefinition(kDefinitionFragment, TextString(name),
                                                                      position, 0, &index, true);
}

// Writes the fragment when it is defined; false when it is not.
bool OutputFragment(FC* set, OutputDocument* document, const char* name, const SourcePosition& position) {
    if (!IsFragmentDefined(set, name, position)) return false;
    HTML_OutputHTMLFragment(set, document, name, position, 0, 0, nullptr);
    return true;
}

// `name` resolved against the "Input directory" policy.
TextString ResolveAgainstInputDirectory(FC* set, const TextString& name) {
    TextString base(set->GetText(Pol::InputDirectory));
    if (base.IsEmpty()) return name;
    const char last = base.buffer[base.length - 1];
    if (last != '/' && last != '\\') base.AppendChar('/');
    TextString resolved;
    ResolveRelativePath(base, name, &resolved);
    return resolved;
}

// A page header or footer: a fragment marker ("*NAME*": exactly two "*") is
// written as that fragment, anything else is an include file.
void InsertPageText(FC* set, OutputDocument* document, const TextString& text) {
    if (text.IsEmpty()) return;
    if (text.CountChar('*') == 2) {
        TextString name(text);
        name.RemoveChar(0, '*', 0);
        OutputFragment(set, document, name.buffer, SourcePosition());
        return;
    }
    InsertIncludeFile(document, ResolveAgainstInputDirectory(set, text), set);
}

// The top or bottom navigation bar: a NAVBAR fragment when one is defined,
// else the built-in bar.  `namesLine` gives the contents link its heading
// anchor; the fragment is looked up at `line`, or at the current position.
void WriteNavigationBar(FC* set, OutputDocument* document, AnalysedLine* namesLine, AnalysedLine* line,
                        const PageEndOptions& options, bool top, const TextString& barFileName) {
    Context* context = set->context;
    if (!options.navigationBar || !set->IsOn(Pol::AddNavigationBar) || set->GetInt(Pol::SplitLevel) <= 0 ||
        context->documentState.outputFiles.count <= 1)
        return;
    TextString next, current, previous, first, contentsLink;
    int index = kLookUpNavigationFile;
    GetNavigationFileNames(set, TextString(), namesLine, index, next, current, previous, first, contentsLink);

    const char* plain = top ? "NAVBAR_TOP" : "NAVBAR_BOTTOM";
    const char* variant = nullptr;
    if (EqualNoCase(current, previous))
        variant = top ? "NAVBAR_TOP_FIRST" : "NAVBAR_BOTTOM_FIRST";
    else if (EqualNoCase(current, next))
        variant = top ? "NAVBAR_TOP_LAST" : "NAVBAR_BOTTOM_LAST";

    const SourcePosition position = line ? line->position : CurrentPosition(set);
    if (variant && OutputFragment(set, document, variant, position)) return;
    if (OutputFragment(set, document, plain, position)) return;
    HTML_OutputNavigationBar(document, barFileName, nullptr, set, top ? 0 : 1, top ? 1 : 0);
}

// The whole-document indentation tags, "UL DUMMY" being written as "UL".
TextString IndentationTag(FC* set, bool closing) {
    TextString tag(closing ? "</" : "<");
    tag.Append(closing ? set->indentClose : set->indentOpen);
    tag.Append(">");
    if (set->GetInt(Pol::IndentationMarkupCode) == -1) tag.Replace("UL DUMMY", "UL", 0, 1);
    return tag;
}

// Runs the in-line tags of a head text (kind 6) and returns the result.
TextString ExecuteHeadTextTags(FC* set, OutputDocument* document, const TextString& text) {
    if (!document) return text;
    AnalysedLine line;
    line.SetText(text.buffer);
    TextString messages;
    int level = -1;
    document->ExecuteLineTags(6, document, &line, set, &messages, &level);
    if (!messages.IsEmpty()) set->ReportMessage(messages.buffer, level > 0 ? level : kLevelAlways);
    TextString result(static_cast<const TextString&>(line));
    if (set->context) set->context->ForgetLine(&line);
    return result;
}

// An attribute value between double quotes, in the page's encoding and
// escaped.
TextString Quoted(FC* set, const TextString& value) {
    TextString text(value);
    HTML_WriteValueForPage(set, text);
    HTML_EscapeHeadText(&text, true);
    return TextString("\"") + text + "\"";
}

// A META content between single quotes (it holds a double quote), escaped:
// the single quotes it holds written as references, so that no value ends
// its attribute early.
TextString SingleQuoted(FC* set, const TextString& value) {
    TextString text(value);
    HTML_WriteValueForPage(set, text);
    HTML_EscapeHeadText(&text, false);
    text.Replace("'", "&#39;", 0, 1);
    return TextString("'") + text + "'";
}

// A user META tag belongs to every output file: the output-file list keeps no
// source ranges to restrict it to the file that holds it.  Its name and
// content are escaped as attribute values.
void WriteUserMetaTags(FC* set, OutputDocument* document) {
    for (const MetaTagEntry& tag : set->context->documentState.metaTags) {
        int at = -1;
        const bool doubleQuote = tag.content.FindChar(0, '"', &at, 1);
        TextString line("  <META NAME=");
        line.Append(Quoted(set, tag.name));
        line.Append(" CONTENT=");
        line.Append(doubleQuote ? SingleQuoted(set, tag.content) : Quoted(set, tag.content));
        line.Append(">");
        WriteWrapped(set, document, line);
    }
}

// The frame page's address inside the script's quoted strings: a quote, a
// backslash, an angle bracket or a control character (which could end a
// string or the script) is written as its percent escape, as an address
// allows.
TextString ScriptAddress(const TextString& address) {
    TextString out;
    for (int i = 0; i < address.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(address.buffer[i]);
        if (c < 0x20 || c == 0x7F || std::strchr("'\"\\<>%", static_cast<char>(c))) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            out.Append(escape);
        } else {
            out.AppendChar(static_cast<char>(c));
        }
    }
    return out;
}

void WriteFrameScript(FC* set, OutputDocument* document) {
    Context* context = set->context;
    TextString framePage;
    const TextString& pattern = set->GetText(Pol::OutputFrameName);
    if (pattern.IsEmpty()) {
        framePage = context->fileNameRoot + "_frame" + set->names.outputExtension;
    } else {
        framePage = pattern;
        framePage.Replace("*", context->fileNameRoot.buffer, 0, 1);
        if (set->IsOn(Pol::UseHTMExtension)) framePage.Replace(".html", ".htm", 0, 1);
    }
    WriteText(set, document, "<SCRIPT LANGUAGE=\"JavaScript\">");
    WriteText(set, document, "    <!--");
    WriteText(set, document, "       if (parent.frames.length == 0)");
    WriteText(set, document,
              TextString("\t  window.setTimeout('location.href=\"") + ScriptAddress(framePage) + "\"',2000);");
    WriteText(set, document, "    //-->");
    WriteText(set, document, "  </SCRIPT>");
}

// Everything between "<HTML>" and "</HEAD>".
void WriteHead(OutputDocument* document, const TextString& title, const TextString& styleSheet,
               const TextString& baseURL, const TextString& keywords, const TextString& description,
               const TextString& scriptFile, FC* set, const PageEndOptions& options) {
    Context* context = set->context;
    const int commentCode = set->GetInt(Pol::CommentGenerationCode);
    WriteText(set, document, "<HTML>");
    WriteText(set, document, "<HEAD>");
    WriteText(set, document, "");
    if (commentCode == 0) {
        TextString comment;
        HTML_GetGeneratorComment(set, &comment);
        WriteText(set, document, comment);
        WriteText(set, document, "");
    }
    TextString line;
    HTML_GetTitleText(set, document, options.directoryPage, title, &line);
    WriteText(set, document, line);

    if (!baseURL.IsEmpty()) WriteText(set, document, TextString("  <BASE HREF=") + Quoted(set, baseURL) + ">");
    if (!styleSheet.IsEmpty()) {
        line = TextString("  <LINK REL=\"StyleSheet\" HREF=") + Quoted(set, styleSheet);
        if (set->GetInt(Pol::HTMLVersion) > 1) line.Append(" TYPE=\"text/css\"");
        line.Append(">");
        WriteText(set, document, line);
    }
    if (set->IsOn(Pol::CreateEmbeddedStyleSheet)) HTML_WriteStyleSheet(set, document);

    const TextString& directiveIcon = context->documentState.documentTexts[DocumentState::kDocumentShortcutIcon];
    const TextString& icon = directiveIcon.IsEmpty() ? set->GetText(Pol::ShortcutIconURL) : directiveIcon;
    if (!icon.IsEmpty())
        WriteWrapped(set, document, TextString("  <LINK REL=\"SHORTCUT ICON\" HREF=") + Quoted(set, icon) + ">");

    if (!keywords.IsEmpty()) {
        WriteWrapped(set, document, "  <META NAME=\"Keywords\"");
        WriteWrapped(set, document, TextString("        CONTENT=") + Quoted(set, keywords) + ">");
    }
    if (!description.IsEmpty()) {
        // In the page's encoding before its tags add their own text.
        TextString value(description);
        HTML_WriteValueForPage(set, value);
        const TextString text = ExecuteHeadTextTags(set, document, value);
        WriteWrapped(set, document, "  <META NAME=\"Description\"");
        WriteWrapped(set, document, TextString("        CONTENT=") + Quoted(set, text) + ">");
    }
    WriteUserMetaTags(set, document);
    if (commentCode <= 1)
        WriteText(set, document,
                  TextString("  <META NAME=\"Generator\" CONTENT=\"Morvane from ") + kMakerWebHost + "\">");
    // UTF-8 text without a declared charset is declared UTF-8; a declared
    // charset is written as a policy gives it, escaped as the value it is.
    const TextString encoding = HTML_DeclaredCharset(set);
    if (!encoding.IsEmpty())
        WriteText(set, document,
                  TextString("  <META http-equiv=\"Content-Type\" content=\"text/html; charset=") +
                      HTML_EscapeAttribute(encoding) + "\">");
    if (set->IsOn(Pol::PlaceDocumentInFrames) && set->IsOn(Pol::OnlyAllowFramedViewing))
        WriteFrameScript(set, document);

    if (!OutputFragment(set, document, "HEAD_SCRIPT", CurrentPosition(set)) && !scriptFile.IsEmpty())
        InsertIncludeFile(document, ResolveAgainstInputDirectory(set, scriptFile), set);

    WriteText(set, document, "");
    WriteText(set, document, "</HEAD>");
    WriteText(set, document, "");
}

// The font the body text starts with.
void SetDocumentFont(FC* set) {
    FontSpec& font = set->context->documentState.currentFont;
    if (set->IsSet(Pol::DefaultFont)) {
        TextString face;
        int bold = 0, italic = 0, size = 12;
        if (ParseFontSpec(face, bold, italic, size, set->GetText(Pol::DefaultFont).buffer)) {
            font.SetFaceName(face);
            font.SetBold(bold);
            font.SetItalic(italic);
            font.SetSize(size);
        }
    }
    if (set->IsSet(Pol::BaseFontSize))
        font.SetSize(set->GetInt(Pol::BaseFontSize) + set->GetInt(Pol::DeltaFontSize));
    font.set = 1;
}

bool IsBodyOpen(const BlockList& blocks) {
    for (int i = 0; i < blocks.Count(); ++i)
        if (blocks.GetAt(i)->type == kBlockBody) return true;
    return false;
}

// The end tag of an open block: "</" and the name of its start tag.
TextString EndTagOf(const BlockEntry& block) {
    const TextString& tag = block.tagText;
    int start = -1;
    if (!tag.FindChar(0, '<', &start, 1)) return TextString();
    int end = start + 1;
    while (end < tag.length && tag.buffer[end] != ' ' && tag.buffer[end] != '>' && tag.buffer[end] != '\n') ++end;
    TextString endTag("</");
    endTag.AppendBytes(tag.buffer + start + 1, end - start - 1);
    endTag.Append(">");
    return endTag;
}

// Closes the open blocks one at a time, innermost first, until the BODY block
// is closed.  Without a BODY block the end tag is written directly.
void CloseBody(FC* set, OutputDocument* document) {
    BlockList& blocks = set->context->documentState.blocks;
    if (!IsBodyOpen(blocks)) {
        TextString endTag(IsRightToLeft(set) ? "</DIV></BODY>" : "</BODY>");
        WriteWrapped(set, document, endTag);
        return;
    }
    while (IsBodyOpen(blocks)) {
        const BlockEntry& innermost = *blocks.Innermost();
        TextString endTag = innermost.type == kBlockBody ? TextString("</BODY>") : EndTagOf(innermost);
        blocks.Decrement(set, document, endTag);
    }
}

bool IsEntityReferenceAt(const TextString& text, int at) {
    int i = at + 1;
    if (i < text.length && text.buffer[i] == '#') {
        const int digits = ++i;
        while (i < text.length && IsAsciiDigit(static_cast<unsigned char>(text.buffer[i]))) ++i;
        return i > digits && i < text.length && text.buffer[i] == ';';
    }
    if (i >= text.length || !IsAsciiLetter(static_cast<unsigned char>(text.buffer[i]))) return false;
    while (i < text.length && (IsAsciiLetter(static_cast<unsigned char>(text.buffer[i])) ||
                               IsAsciiDigit(static_cast<unsigned char>(text.buffer[i]))))
        ++i;
    return i < text.length && text.buffer[i] == ';';
}

}  // namespace

void HTML_EscapeHeadText(TextString* text, bool attribute) {
    if (!text) return;
    TextString out;
    out.ReserveAbout(int64_t{text->length} + 16);
    for (int i = 0; i < text->length; ++i) {
        const char c = text->buffer[i];
        if (c == '&' && !IsEntityReferenceAt(*text, i))
            out.Append("&amp;");
        else if (c == '<')
            out.Append("&lt;");
        else if (c == '>' && !attribute)
            out.Append("&gt;");
        else if (c == '"' && attribute)
            out.Append("&quot;");
        else
            out.AppendChar(c);
    }
    *text = out;
}

void HTML_GetDocTypeText(FC* set, TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!set || set->IsOn(Pol::OmitHeadAndBody) || set->ruleSetCode == kRuleSetSec) return;
    const int version = set->GetInt(Pol::HTMLVersion);
    if (version == 1) {
        out->Assign("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
        return;
    }
    if (version != 2) set->ReportMessage("UNSUPPORTED CASE: Unknown HTML version.  4.0 assumed", kLevelAlways);
    out->Assign(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/REC-html40/loose.dtd\">");
}

void HTML_GetGeneratorComment(FC* set, TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!set || set->GetInt(Pol::CommentGenerationCode) != 0) return;
    out->Assign("  <!-- Converted by ");
    out->Append(set->generatorText);
    out->Append(" -->");
}

void HTML_GetTitleText(FC* set, OutputDocument* document, int directoryPage, const TextString& title,
                       TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!set) return;
    if (title.IsEmpty()) {
        if (directoryPage) {
            out->Assign("<TITLE>Directory Index</TITLE>");
            return;
        }
        TextString name(set->context ? set->context->documentState.inputFileName : TextString());
        HTML_EscapeHeadText(&name, false);
        // The name is UTF-8 text; a page of 8-bit text shows it through
        // character references.
        if (!IsUtf8Text(set)) HTML_WriteCharacterReferences(name);
        out->Assign("<TITLE>Converted from table \"");
        out->Append(name);
        out->Append("\"</TITLE>");
        return;
    }
    TextString value(title);
    HTML_WriteValueForPage(set, value);
    TextString text = ExecuteHeadTextTags(set, document, value);
    HTML_EscapeHeadText(&text, false);
    out->Assign("  <TITLE>");
    out->Append(text);
    out->Append("</TITLE>");
}

void HTML_GetBodyTag(FC* set, TextString* out) {
    if (!out) return;
    out->Assign("<BODY");
    if (!set) {
        out->Append(">");
        return;
    }
    // A colour that may not be written is left out (a background then
    // stays white).
    auto colour = [&](const char* name, Pol id) {
        const int before = out->length;
        AppendHTMLColourAttribute(*out, name, set->GetText(id));
        return out->length != before;
    };
    if (!set->IsOn(Pol::SuppressAllColourMarkup)) {
        colour("TEXT", Pol::TextColour);
        colour("LINK", Pol::UnvisitedLinkColour);
        colour("VLINK", Pol::VisitedLinkColour);
        colour("ALINK", Pol::ActiveLinkColour);
        if (!colour("BGCOLOR", Pol::BackgroundColour)) out->Append(" BGCOLOR=\"white\"");
    }
    const TextString& image = set->GetText(Pol::BackgroundImage);
    if (!image.IsEmpty()) {
        out->Append(" BACKGROUND=");
        out->Append(Quoted(set, image));
    }
    out->Append(">");
    if (IsRightToLeft(set)) out->Append("\n<DIV ALIGN=\"RIGHT\">");
}

void HTML_GetFrameFragments(FC* set, TextString* headerFrame, TextString* footerFrame, TextString* mainHeader,
                            TextString* mainFooter) {
    if (!set || !set->context || !headerFrame || !footerFrame || !mainHeader || !mainFooter) return;
    const SourcePosition anywhere;
    TextString header(set->GetText(Pol::HTMLHeaderFile));
    if (IsFragmentDefined(set, "HTML_HEADER", anywhere)) header.Assign("*HTML_HEADER*");
    TextString footer(set->GetText(Pol::HTMLFooterFile));
    if (IsFragmentDefined(set, "HTML_FOOTER", anywhere)) footer.Assign("*HTML_FOOTER*");

    // The main header moves into the header frame when asked; a frame
    // fragment of its own wins.
    auto frameText = [&](TextString& main, Pol useMain, const char* frameName, const char* frameMarker,
                         TextString* frame) {
        frame->MakeEmpty();
        if (set->IsOn(useMain) && !main.IsEmpty()) {
            *frame = main;
            main.MakeEmpty();
        }
        if (IsFragmentDefined(set, frameName, anywhere)) frame->Assign(frameMarker);
    };
    frameText(header, Pol::UseMainHeaderInHeaderFrame, "HEADER_FRAME", "*HEADER_FRAME*", headerFrame);
    frameText(footer, Pol::UseMainFooterInFooterFrame, "FOOTER_FRAME", "*FOOTER_FRAME*", footerFrame);
    *mainHeader = header;
    if (IsFragmentDefined(set, "MAIN_FRAME_HEADER", anywhere)) mainHeader->Assign("*MAIN_FRAME_HEADER*");
    *mainFooter = footer;
    if (IsFragmentDefined(set, "MAIN_FRAME_FOOTER", anywhere)) mainFooter->Assign("*MAIN_FRAME_FOOTER*");
}

int HTML_StartDocument(OutputDocument* document, AnalysedLine* line, const TextString& outputFileName,
                       const TextString& title, const TextString& styleSheet, const TextString& baseURL,
                       const TextString& keywords, const TextString& description, const TextString& scriptFile,
                       const TextString& pageHeader, FC* set, const PageEndOptions& options) {
    if (!set || !set->context) return 0;
    Context* context = set->context;
    int& codeLocation = context->trackers.codeLocation;
    const int savedLocation = codeLocation;
    if (codeLocation == kNoCodeLocation) codeLocation = kWritingOutput;
    if (!IsOpenDocument(document)) {
        set->ReportMessage("PROGRAM ERROR: File not open in HTML_StartDocument!", kLevelAlways);
        codeLocation = savedLocation;
        return 0;
    }

    document->writingHead = 1;
    TextString text;
    HTML_GetDocTypeText(set, &text);
    WriteText(set, document, text);

    const bool omitHead = set->IsOn(Pol::OmitHeadAndBody);
    TextString body;
    if (omitHead) {
        if (IsRuleSet(set->ruleSetCode)) WriteText(set, document, "<!-- Start of composition unit -->");
    } else {
        WriteHead(document, title, styleSheet, baseURL, keywords, description, scriptFile, set, options);
        HTML_GetBodyTag(set, &body);
    }
    document->writingHead = 0;

    SetDocumentFont(set);
    if (!omitHead) {
        if (set->IsSet(Pol::BaseFontSize) && !IsRuleSet(set->ruleSetCode)) {
            body.Append("\n<BASEFONT SIZE=");
            const int points = set->GetInt(Pol::BaseFontSize) + set->GetInt(Pol::DeltaFontSize);
            body.AppendNumber('1', PointSizeToHTMLSize(points), 0);
            body.Append(">");
        }
        context->documentState.blocks.Add(set, document, body);
    }
    if (set->IsOn(Pol::IndentWholeDocument)) WriteText(set, document, IndentationTag(set, false));
    if (set->IsOn(Pol::CenterWholeDocument)) WriteText(set, document, "<CENTER>");

    TextString header(pageHeader);
    if (set->IsOn(Pol::PlaceDocumentInFrames)) {
        TextString headerFrame, footerFrame, mainFooter;
        HTML_GetFrameFragments(set, &headerFrame, &footerFrame, &header, &mainFooter);
    }
    InsertPageText(set, document, header);

    TextString directory, name, extension;
    SplitPath(outputFileName, &directory, &name, &extension);
    WriteNavigationBar(set, document, line, line, options, true, name + extension);

    context->documentState.documentStarted = 1;
    codeLocation = savedLocation;
    return 1;
}

int HTML_EndDocument(OutputDocument* document, AnalysedLine* line, FC* set, const TextString& pageFooter,
                     const PageEndOptions& options) {
    if (!set || !set->context) return 0;
    Context* context = set->context;
    context->trackers.codeLocation = kWritingOutput;
    if (!IsOpenDocument(document)) {
        set->ReportMessage("PROGRAM ERROR: File not open in HTML_EndDocument!", kLevelAlways);
        context->trackers.codeLocation = kNoCodeLocation;
        return 0;
    }

    HTML_ChangeIndentLevel(document, 0, set);
    HTML_EndPara(document, set, "HTML_EndDocument");
    HTML_ChangeIndentLevel(document, 0, set);

    if (set->GetInt(Pol::CommentGenerationCode) == 0) {
        TextString comment;
        HTML_GetGeneratorComment(set, &comment);
        WriteText(set, document, comment);
    }

    WriteNavigationBar(set, document, context->trackers.output.currentLine, line, options, false, TextString());

    TextString footer(pageFooter);
    if (set->IsOn(Pol::PlaceDocumentInFrames)) {
        TextString headerFrame, footerFrame, mainHeader;
        HTML_GetFrameFragments(set, &headerFrame, &footerFrame, &mainHeader, &footer);
    }
    InsertPageText(set, document, footer);

    if (set->IsOn(Pol::CenterWholeDocument)) WriteText(set, document, "</CENTER>");
    if (set->IsOn(Pol::IndentWholeDocument)) WriteText(set, document, IndentationTag(set, true));
    if (!set->IsOn(Pol::OmitHeadAndBody)) {
        CloseBody(set, document);
        WriteText(set, document, "</HTML>");
    }
    document->FlushBuffer(set, document, 1);
    context->trackers.codeLocation = kNoCodeLocation;
    return 1;
}
