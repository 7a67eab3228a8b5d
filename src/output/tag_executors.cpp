// In-line tag execution: the executors and the dispatcher that picks them.
#include "output/tag_executors.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <map>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/tag_dispatch.h"
#include "context/block_list.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/definitions.h"
#include "context/style_set.h"
#include "foundation/fonts.h"
#include "foundation/source_position.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/html_change_font.h"
#include "output/html_output_html_fragment.h"
#include "output/html_write_heading_anchor.h"
#include "output/html_write_rule.h"
#include "output/markup/colours.h"
#include "output/markup/entities.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_write_custom_style.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// The font-change kind of a font change asked for by an in-line tag.
constexpr int kTagFontChange = 1;

// At most this many blanks come out of one SPACES tag.
constexpr int64_t kMaxSpaces = 10000;
// At most this many non-breaking blanks come out of one NB tag.
constexpr int kMaxNonBreakingBlanks = 80;
// The largest point size an RTF font size (in half points) can carry.
constexpr int64_t kMaxRTFPointSize = 1638;

// What the conversion is writing: HTML (format 0 with the HTML output flag),
// RTF (format 1 with the RTF output flag), or plain text (anything else).
enum class Output { Html, Rtf, Plain };

bool InTableCell(Context* context) {
    const InlineTagState* state = GetInlineTagState(context);
    return state && state->cell.active;
}

Output OutputOf(const FC* policies) {
    const Context* context = policies ? policies->context : nullptr;
    if (!context) return Output::Plain;
    if (context->outputFormat == kOutputHTML && context->documentState.htmlOutput) return Output::Html;
    if (context->outputFormat == kOutputRTF && context->documentState.rtfOutput) return Output::Rtf;
    return Output::Plain;
}

bool SameName(const TextString& a, const char* b) { return a.Matches(b, 0, 0); }

// One call of an executor: the dispatcher's arguments, with the policy set
// known to be there and the outputs made writable.
struct TagCall {
    int mode;
    AnalysedLine* line;
    const TextString& tag;
    const TextString& name;
    const TextString& arguments;
    OutputDocument* document;
    FC& set;
    Context* context;  // may be null
    Output output;
    bool inCell;  // the tag stands in a table cell (see TableCellTags)
    int& replace;
    TextString& replacement;

    void Replace(const TextString& text) {
        replace = 1;
        replacement = text;
    }
    void Remove() {
        replace = 1;
        replacement.MakeEmpty();
    }
    void Report(const char* text, int level) { set.ReportMessage(text, level); }
    void Report(const TextString& text, int level) { set.ReportMessage(text.buffer, level); }
    void Fault(const TextString& text) { TagFault(&set, line, text); }
    // "TAG ERROR: Failed to parse: " + the argument list, as a fault.
    void ArgumentsFault() { Fault(TextString("TAG ERROR: Failed to parse: ") + arguments); }
    bool IsHtmlMode() const { return output == Output::Html && (mode == 0 || mode == 1); }

    // The position of the line, else the current position of the running
    // code location.
    SourcePosition Position() const {
        if (line && line->position.IsValid()) return line->position;
        if (!context) return SourcePosition();
        const int location = context->trackers.codeLocation;
        if (!IsTrackedCodeLocation(location)) return context->trackers.output.position;
        return context->pGetTracker()->position;
    }
};

// ---- Small helpers ----

int ArgumentCount(const TextString& arguments) {
    return arguments.IsEmpty() ? 0 : arguments.CountChar(arguments.buffer[0]);
}

// Reads argument n as a 64-bit decimal integer (an optional sign, then
// digits).  False when it is absent, not a number or out of range.
bool ReadInt64(FC& set, const TextString& arguments, int n, int64_t& out) {
    TextString text;
    if (!TryGetTagString(set, arguments, n, text)) return false;
    text.Trim(0, " \t");
    const char* first = text.buffer;
    const char* last = text.buffer + text.length;
    if (first < last && *first == '+') ++first;
    if (first == last) return false;
    int64_t value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last) return false;
    out = value;
    return true;
}

// Whether two numbers differ by more than two, without overflow.
bool DifferByMoreThanTwo(int64_t a, int64_t b) {
    const uint64_t difference = a > b ? static_cast<uint64_t>(a) - static_cast<uint64_t>(b)
                                      : static_cast<uint64_t>(b) - static_cast<uint64_t>(a);
    return difference > 2;
}

// The text a tag is given: one argument read as a text (quotes removed),
// more than one (a text with blanks or commas) as written.  False when no
// argument can be read.
bool ReadGivenText(TagCall& call, TextString& text) {
    text.MakeEmpty();
    if (ArgumentCount(call.arguments) > 1) {
        text = RawTagArgumentText(call.set, call.tag, call.name);
        text.Trim(0, " ");
        return true;
    }
    return TryGetTagString(call.set, call.arguments, 1, text);
}

// A text a tag takes from its own argument, written into a table cell.  The
// cell's text was escaped before its tags ran: in RTF wholly, in HTML all
// but the tags (so that they can be read), whose 8-bit characters may have
// become entities all the same.  So in HTML the argument is escaped here,
// once, and in RTF it stands as it is.
void EscapeCellArgument(const TagCall& call, TextString& text) {
    if (call.inCell && call.output == Output::Html) text = HTML_EscapeMarkupOnce(text);
}

// A text a tag takes from elsewhere in the input (a variable's value),
// written into a table cell: as the text it is, in either format.
void EscapeCellValue(TagCall& call, TextString& text) {
    if (!call.inCell) return;
    if (call.output == Output::Html)
        text = HTML_EscapeAttribute(text);
    else if (call.output == Output::Rtf)
        RTF_EscapeText(&call.set, text);
}

TextString Repeated(const char* piece, int64_t count) {
    TextString out;
    for (int64_t i = 0; i < count; ++i) out.Append(piece);
    return out;
}

// Escapes a text taken from outside the line (a file name, a heading text
// given in a tag) for the output being written.
void EscapeForOutput(FC& set, Output output, TextString& text) {
    if (output == Output::Html)
        HTML_EscapeText(&set, text);
    else if (output == Output::Rtf)
        RTF_EscapeText(&set, text);
}

// Appends ` name="value"` with double quotes inside the value written as
// "&quot;", so that a value can never end the attribute early.
void AppendAttribute(TextString& out, const char* name, const TextString& value) {
    out.Append(" ");
    out.Append(name);
    out.Append("=\"");
    for (int i = 0; i < value.length; ++i) {
        if (value.buffer[i] == '"')
            out.Append("&quot;");
        else
            out.AppendChar(value.buffer[i]);
    }
    out.Append("\"");
}

// Under the special rule sets, HTML comments are written "<!-- text -->":
// one blank after the opening and before the closing bracket.
void NormaliseCommentBrackets(TextString& text) {
    TextString out;
    int i = 0;
    while (i < text.length) {
        if (CompareTextN(text.buffer + i, "<!--", 4, 0) == 0 && i + 4 <= text.length) {
            out.Append("<!-- ");
            i += 4;
            while (i < text.length && text.buffer[i] == ' ') ++i;
            continue;
        }
        if (text.buffer[i] == ' ') {
            int j = i;
            while (j < text.length && text.buffer[j] == ' ') ++j;
            if (j + 3 <= text.length && CompareTextN(text.buffer + j, "-->", 3, 0) == 0) {
                out.Append(" -->");
                i = j + 3;
                continue;
            }
        }
        if (i + 3 <= text.length && CompareTextN(text.buffer + i, "-->", 3, 0) == 0) {
            out.Append(" -->");
            i += 3;
            continue;
        }
        out.AppendChar(text.buffer[i]);
        ++i;
    }
    text = out;
}

bool IsListStart(const BlockEntry* block) {
    return block && (block->type == kBlockOrderedList || block->type == kBlockUnorderedList ||
                     block->type == kBlockDefinitionList);
}

// Records a font change with the context: at once when its markup was
// written, otherwise as pending, to be applied where the next paragraph
// starts (a font whose markup was never written must not be closed).
void RecordFontChange(TagCall& call, const FontSpec& font, bool written) {
    if (call.context) call.context->ChangeFont(&call.set, font, written ? 0 : 1);
}

// ---- Executors ----

bool ExecuteBR(TagCall& call) {
    switch (call.output) {
        case Output::Html: call.Replace("<BR>"); break;
        case Output::Rtf: call.Replace("\\par "); break;
        case Output::Plain: call.Replace("\n"); break;
    }
    return true;
}

bool ExecuteChangeIndent(TagCall& call) {
    int indent = 0, second = 0;
    GetTagIntegerOrDefault(call.set, call.arguments, 1, indent, 0);
    GetTagIntegerOrDefault(call.set, call.arguments, 2, second, 0);
    if (InlineTagState* state = GetInlineTagState(call.context)) {
        state->indentChange[0] = indent;
        state->indentChange[1] = second;
    }
    call.Remove();
    return true;
}

// GOTO, HYPERLINK, LINKPOINT, PAGE_MARKER, TOC and CONTENTS_LIST: handled
// here, so that the line keeps them as they are; their output is made where
// the line's links and contents are written.
bool ExecuteHandled(TagCall&) { return true; }

bool ExecuteColour(TagCall& call) {
    if (call.IsHtmlMode()) return true;  // carried out with the font changes of the line
    TextString colour;
    if (!GetTagColour(&call.set, call.line, call.name, call.arguments, colour)) return false;
    if (call.output != Output::Html || !call.context) {
        call.Remove();
        return true;
    }
    const FontSpec* current = call.context->GetCurrentFont();
    const TextString currentColour = current ? current->colour : TextString();
    if (currentColour.Matches(colour.buffer, 0, 0)) {
        call.Remove();
        return true;
    }
    FontSpec font = current ? *current : FontSpec();
    font.SetColour(colour);
    font.set = 1;
    TextString markup;
    const bool written = HTML_ChangeFont(kTagFontChange, &call.set, current, &font, &markup) != 0;
    RecordFontChange(call, font, written);
    call.Replace(markup);
    return true;
}

bool ExecuteDelimiter(TagCall& call, Pol delimiter) {
    if (call.mode != 5) return false;
    call.Replace(call.set.GetText(delimiter));
    return true;
}
bool ExecuteCT(TagCall& call) { return ExecuteDelimiter(call, Pol::EndTagDelimiter); }
bool ExecuteOT(TagCall& call) { return ExecuteDelimiter(call, Pol::StartTagDelimiter); }

// DEFINE_VARIABLE, SAVE_CONTEXT and RESTORE_CONTEXT are the line's business:
// the tag goes from the output and the line's own handling is asked for.
bool ExecuteLeftToLine(TagCall& call) {
    call.Remove();
    return false;
}

bool ExecuteRemoved(TagCall& call) {
    call.Remove();
    return true;
}

bool ExecuteEntity(TagCall& call) {
    int code = -1;
    // Character references run from 1 to the last Unicode code point; any
    // other number would write a reference no reader understands.
    if (!TryGetTagInteger(call.set, call.arguments, 1, code) || code < 1 || code > 0x10FFFF) {
        ReportTagParseFault(&call.set, call.line, call.tag, call.name, 1);
        return false;
    }
    if (call.output != Output::Html) {
        call.Remove();
        return true;
    }
    TextString entity;
    if (!GetEntityForCode(&call.set, code, &entity)) {
        TextString warning("WARNING: Entity \"&#");
        warning.AppendNumber('1', code, 0);
        warning.Append(";\" is not supported by all target browsers");
        call.Report(warning, kLevelWarning);
    }
    call.Replace(entity);
    return true;
}

bool ExecuteFileName(TagCall& call) {
    TextString name;
    if (call.context) name = call.context->documentState.inputFileName;
    // A file name is text, never markup: "a&b.txt" or "C:\in\x.txt" must
    // come out as written.  It is UTF-8 text: in a document of 8-bit text its
    // characters beyond ASCII are written as character references (HTML) or
    // as "\uN?" (RTF); in a document of UTF-8 text the writer does that
    // where it must.
    if (call.output == Output::Html && !IsUtf8Text(&call.set) && unicode::HasNonAscii(name)) {
        EscapeMarkupCharacters(&call.set, &name);
        HTML_WriteCharacterReferences(name);
    } else if (call.output == Output::Rtf && !IsUtf8Text(&call.set) && unicode::HasNonAscii(name)) {
        RTF_EscapeText(&call.set, name);
        RTF_WriteUnicodeCharacters(name);
    } else {
        EscapeForOutput(call.set, call.output, name);
    }
    call.Replace(name);
    return true;
}

// The weight word of an FO tag by its first two letters.
bool ReadWeight(const TextString& word, int& bold, int& italic) {
    if (word.length < 2) return false;
    const char a = ToLowerAscii(word.buffer[0]);
    const char b = ToLowerAscii(word.buffer[1]);
    if (a == 'b' && b == 'o') {
        bold = 1;
        italic = 0;
    } else if (a == 'i' && b == 't') {
        bold = 0;
        italic = 1;
    } else if (a == 'b' && b == 'i') {
        bold = 1;
        italic = 1;
    } else if (a == 'n' && b == 'o') {
        bold = 0;
        italic = 0;
    } else {
        return false;
    }
    return true;
}

bool IsStyleWord(const TextString& word) {
    return word.IsEmpty() || word.Matches("-", 1, 0) || word.Matches("d", 0, 0);
}

bool ExecuteFO(TagCall& call) {
    if (call.output != Output::Rtf || !call.context) {
        call.Remove();
        return true;
    }
    // The override starts from the font of the body text style.
    const FontSpec& style = call.context->styleSet.fonts[kStyleBody];
    const int styleNumber = style.fontIndex >= 0 ? style.fontIndex : 0;
    int fontNumber = styleNumber;
    int64_t size = style.size;
    int bold = style.bold ? 1 : 0;
    int italic = style.italic ? 1 : 0;

    TextString face, sizeWord, weight;
    GetTagStringOrDefault(call.set, call.arguments, 1, face, "-");
    GetTagStringOrDefault(call.set, call.arguments, 2, sizeWord, "-");
    GetTagStringOrDefault(call.set, call.arguments, 3, weight, "-");
    face.Trim(0, " ");
    sizeWord.Trim(0, " ");
    weight.Trim(0, " ");

    bool reset = false;
    if (!face.Matches("-", 1, 0)) {
        if (const FontSpec* font = call.context->styleSet.FindFont(face)) {
            // A font of the styles file that has no place of its own in the
            // font table is written in the style's place.
            if (font->fontIndex >= 0) fontNumber = font->fontIndex;
        } else {
            TextString message("TAG ERROR: font \"");
            message.Append(face);
            message.Append("\" not found in the style table");
            call.Report(message, kLevelAlways);
            reset = true;
        }
    }
    if (!reset && !IsStyleWord(sizeWord)) {
        int value = 0;
        const char first = sizeWord.buffer[0];
        TextString digits(sizeWord);
        if (first == '+') digits.SubString(1, digits.length);
        if (digits.IsEmpty() || !digits.ToInteger('1', &value)) {
            TextString message("TAG ERROR: Unknown font size - ");
            message.Append(sizeWord);
            call.Report(message, kLevelAlways);
        } else if (value == 0 || first == '+' || first == '-') {
            size = style.size + static_cast<int64_t>(value);
        } else {
            size = value;
        }
    }
    if (!reset && !IsStyleWord(weight) && !ReadWeight(weight, bold, italic)) {
        TextString message("TAG ERROR: Unknown font weight - ");
        message.Append(weight);
        call.Report(message, kLevelAlways);
    }
    if (size > kMaxRTFPointSize) size = kMaxRTFPointSize;

    // In a table cell the override opens a group of its own, which the cell
    // closes at its end: the cell's text lies in no group that the override
    // could close and open again.
    TextString out("}{");
    if (call.inCell) {
        out.Assign("{");
        if (InlineTagState* state = GetInlineTagState(call.context)) ++state->cell.openGroups;
    }
    if (call.set.GetText(Pol::CharacterEncoding).Matches("windows-1256", 0, 0)) {
        out.Append("\\ltrch \\af");
        out.AppendNumber('1', fontNumber, 0);
        out.Append(" \\rltch ");
    }
    out.Append("\\f");
    out.AppendNumber('1', fontNumber, 0);
    if (size > 0) {
        out.Append("\\fs");
        out.AppendNumber('1', static_cast<int>(size * 2), 0);
    }
    out.Append(bold ? "\\b" : "\\b0");
    out.Append(italic ? "\\i" : "\\i0");
    out.Append(" ");
    call.Replace(out);
    return true;
}

bool ExecuteFont(TagCall& call) {
    if (call.IsHtmlMode()) return true;  // carried out with the font changes of the line
    FontSpec font;
    if (!GetTagFont(&call.set, call.line, call.name, call.arguments, font)) return false;
    if (!call.set.IsOn(Pol::AddFontMarkup) && !call.set.IsOn(Pol::AddEmphasisAndBoldMarkup)) {
        call.Remove();
        return true;
    }
    if (call.output == Output::Html && call.context) {
        if (!call.inCell && IsListStart(call.context->documentState.blocks.Innermost())) {
            call.Report("WARNING: Suppressing FONT markup near start of list", kLevelWarning);
            RecordFontChange(call, font, false);
            call.Remove();
            return true;
        }
        TextString markup;
        const bool written =
            HTML_ChangeFont(kTagFontChange, &call.set, call.context->GetCurrentFont(), &font, &markup) != 0;
        RecordFontChange(call, font, written);
        call.Replace(markup);
        return true;
    }
    if (call.output == Output::Rtf && call.context) {
        RecordFontChange(call, font, true);
        TextString start;
        if (call.mode == 0) RTF_WriteCustomStyle(&call.set, call.document, font, &start);
        // The style's paragraph start closes the group of the text before
        // the tag; without one nothing may be closed.
        if (start.IsEmpty()) {
            call.Remove();
        } else {
            TextString out(" }");
            out.Append(start);
            out.Append(" ");
            call.Replace(out);
        }
        return true;
    }
    call.Remove();
    return true;
}

bool ExecuteFraction(TagCall& call) {
    // The whole argument text, so that "1 / 2" reads as well as "1/2".
    TextString argument;
    ReadGivenText(call, argument);
    argument.Trim(0, " ");
    if (argument.IsEmpty()) {
        ReportTagParseFault(&call.set, call.line, call.tag, call.name, 1);
        return false;
    }
    TextString numerator(argument), denominator;
    int slash = -1;
    if (argument.FindChar(0, '/', &slash, 1)) {
        numerator.AssignSubstring(argument.buffer, 0, slash);
        denominator.AssignSubstring(argument.buffer, slash + 1, argument.length - slash - 1);
    }
    numerator.Trim(0, " ");
    denominator.Trim(0, " ");
    if (numerator.IsEmpty())
        call.Report(TextString("TAG ERROR: FRACTION has no numerator - ") + argument, kLevelAlways);
    if (denominator.IsEmpty())
        call.Report(TextString("TAG ERROR: FRACTION has no denominator - ") + argument, kLevelAlways);
    if (call.output == Output::Html) {
        EscapeCellArgument(call, numerator);
        EscapeCellArgument(call, denominator);
        TextString out("<SUP>");
        out.Append(numerator);
        out.Append("</SUP>/<SMALL>");
        out.Append(denominator);
        out.Append("</SMALL>");
        call.Replace(out);
    } else {
        call.Replace(argument);
    }
    return true;
}

bool ExecuteHTML(TagCall& call) {
    if (call.output != Output::Html) {
        call.Remove();
        return true;
    }
    TextString text(call.arguments);
    if (IsRuleSet(call.set.ruleSetCode)) NormaliseCommentBrackets(text);
    call.Replace(text);
    return true;
}

bool ExecuteHTMLComment(TagCall& call) {
    if (call.output != Output::Html) {
        call.Remove();
        return true;
    }
    TextString out("<!-- ");
    out.Append(HTML_CommentText(call.arguments));
    out.Append(" -->");
    call.Replace(out);
    return true;
}

bool ExecuteNB(TagCall& call) {
    int count = 1;
    GetTagIntegerOrDefault(call.set, call.arguments, 1, count, 1);
    if (count < 0) count = 0;
    if (count > kMaxNonBreakingBlanks) count = kMaxNonBreakingBlanks;
    call.Replace(Repeated(call.output == Output::Html ? "&nbsp;" : " ", count));
    return true;
}

bool ExecutePopup(TagCall& call) {
    // A help popup in Windows Help source is made with the line's links;
    // everywhere else the tag is a GOTO.
    if (call.context && call.context->outputFormat == kOutputRTF && call.set.IsOn(Pol::MakeWindowsHelpSource))
        return true;
    return ExecuteHandled(call);
}

bool ExecuteSpaces(TagCall& call) {
    // Counted in 64 bits, so that no count can overflow, and capped.
    int64_t count = 0, width = 0;
    if (!ReadInt64(call.set, call.arguments, 1, count)) {
        call.ArgumentsFault();
        return false;
    }
    TextString widthText;
    if (TryGetTagString(call.set, call.arguments, 2, widthText) && !ReadInt64(call.set, call.arguments, 2, width)) {
        call.ArgumentsFault();
        return false;
    }
    if (width == 0) width = count > INT64_MAX / 5 ? INT64_MAX : (count < INT64_MIN / 5 ? INT64_MIN : count * 5);
    const int64_t number = width / 5;
    if (count > 0 && DifferByMoreThanTwo(count, number))
        call.Report("WARNING: SPACES tag has radically different sizes", kLevelWarning);
    int64_t spaces = number < 0 ? 0 : number;
    if (spaces > kMaxSpaces) spaces = kMaxSpaces;
    call.Replace(Repeated(call.output == Output::Html ? "&nbsp;" : " ", spaces));
    return true;
}

bool ExecuteSourceFile(TagCall& call) {
    TextString text;
    const bool read = ArgumentCount(call.arguments) > 1
                          ? ReadGivenText(call, text)
                          : GetTagStringOrDefault(call.set, call.arguments, 1, text, "source file");
    if (!read) {
        call.ArgumentsFault();
        return false;
    }
    EscapeCellArgument(call, text);
    call.Replace(text);
    return true;
}

bool ExecuteStyle(TagCall& call) {
    TextString styleName;
    if (!TryGetTagString(call.set, call.arguments, 1, styleName)) {
        ReportTagParseFault(&call.set, call.line, call.tag, call.name, 1);
        return false;
    }
    const int format = call.context ? call.context->outputFormat : kOutputHTML;
    if (format == kOutputHTML || format == kOutputText) {
        if (!call.context || !call.context->documentState.htmlOutput) return false;
        call.Remove();
        return true;
    }
    if (format == kOutputRTF) {
        std::fputs("Storing style ", stderr);
        std::fputs(call.tag.buffer, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        return true;
    }
    return false;
}

bool ExecuteText(TagCall& call) {
    // In the literal mode a TEXT tag stands for its text exactly as written,
    // shown as text: in HTML its markup characters become entities (in RTF
    // the tag was escaped with the text around it).
    if (call.mode == 5) {
        const TextString text = RawTagArgumentText(call.set, call.tag, call.name);
        call.Replace(call.output == Output::Html ? HTML_EscapeLeftTag(text) : text);
    }
    return true;
}

bool ExecuteVariable(TagCall& call) {
    TextString variable;
    if (!TryGetTagString(call.set, call.arguments, 1, variable)) {
        call.Fault(TextString("TAG_ERROR: Failed to parse DEFINE_VARIABLE tag"));
        call.Replace(variable);
        return true;
    }
    TextString value;
    if (call.context)
        ResolveFolioVariable(&call.context->documentState.defines, &call.set, variable.buffer, call.Position(),
                             value);
    else
        value = variable;
    EscapeCellValue(call, value);
    call.Replace(value);
    return true;
}

bool IsFragmentDefined(const Context& context, const char* name) {
    const DefineList& defines = context.documentState.defines;
    for (int i = 0; i < defines.Count(); ++i) {
        const DefinitionEntry* entry = defines.GetAt(i);
        if (entry && entry->kind == kDefinitionFragment && entry->name.Matches(name, 0, 0)) return true;
    }
    return false;
}

bool ExecuteLineRule(TagCall& call) {
    if (call.output == Output::Rtf) {
        // The current paragraph ends with a struck-out tab, the rule.
        call.Replace("{\\strike\\tab}\\par ");
        return true;
    }
    if (call.output != Output::Html || !call.context) {
        call.Remove();
        return true;
    }
    TrackerSet& trackers = call.context->trackers;
    TextString out;
    bool fromFragment = false;
    if (IsFragmentDefined(*call.context, "HORIZONTAL_RULE"))
        fromFragment =
            HTML_OutputHTMLFragment(&call.set, nullptr, "HORIZONTAL_RULE", call.Position(), 0, 0, &out) != 0;
    if (!fromFragment) {
        TextString width(trackers.ruleWidthPercent);
        TextString widthArgument;
        if (TryGetTagString(call.set, call.arguments, 1, widthArgument)) width = widthArgument;
        int size = 1;
        GetTagIntegerOrDefault(call.set, call.arguments, 2, size, 1);
        TextString align(trackers.ruleAlignment);
        TextString alignArgument;
        if (TryGetTagString(call.set, call.arguments, 4, alignArgument)) {
            int code = 0;
            if (TryGetTagAlignment(call.set, call.arguments, 4, code)) {
                static const char* const kAlignments[] = {"", "LEFT", "CENTER", "RIGHT", ""};
                align = kAlignments[code];
            }
        }
        TextString colour;
        TextString colourArgument;
        if (TryGetTagString(call.set, call.arguments, 5, colourArgument) &&
            !NormaliseTagColour(call.set, colourArgument, colour))
            colour.MakeEmpty();
        if (call.set.IsOn(Pol::SuppressAllColourMarkup)) colour.MakeEmpty();

        out.Assign("<HR NOSHADE");
        if (!align.IsEmpty()) AppendAttribute(out, "ALIGN", align);
        if (!width.IsEmpty()) AppendAttribute(out, "WIDTH", width);
        if (size > 5) {
            out.Append(" SIZE=");
            out.AppendNumber('1', size, 0);
        }
        if (!colour.IsEmpty()) {
            if (call.set.GetInt(Pol::HTMLVersion) > 1)
                AppendAttribute(out, "STYLE", TextString("color:") + colour + ";");
            else
                AppendAttribute(out, "COLOR", colour);
        }
        out.Append(">");
    }
    // A rule's settings hold for one rule.
    trackers.ruleWidth.Assign("800");
    trackers.ruleWidthPercent.Assign("100%");
    trackers.ruleAlignment.Assign("CENTER");
    call.Replace(out);
    return true;
}

bool ExecutePage(TagCall& call) {
    call.Report("INFO: The Page tag is not currently implemented", kLevelTrace);
    call.Remove();
    return true;
}

bool ExecuteNewPage(TagCall& call) {
    // A page break cannot stand in a table cell: there it is a blank.
    if (call.output == Output::Html && call.document && !call.inCell) {
        HTML_ChangeIndentLevel(call.document, 0, &call.set);
        HTML_WriteRule(&call.set, call.document, call.mode, TextString("<HR NOSHADE>"));
        call.Remove();
    } else if (call.output == Output::Rtf) {
        call.Report("INFO: The Page tag is not currently implemented", kLevelTrace);
        call.Remove();
    } else {
        call.Replace(" ");
    }
    return true;
}

bool ExecuteScript(TagCall& call, const char* htmlOpen, const char* htmlClose, const char* rtfOpen) {
    TextString text;
    ReadGivenText(call, text);
    if (text.IsEmpty()) {
        call.ArgumentsFault();
        return false;
    }
    EscapeCellArgument(call, text);
    TextString out;
    if (call.output == Output::Html || call.mode == 8) {
        out.Assign(htmlOpen);
        out.Append(text);
        out.Append(htmlClose);
    } else if (call.output == Output::Rtf) {
        out.Assign(rtfOpen);
        out.Append(text);
        out.Append("}");
    } else {
        out = text;
    }
    call.Replace(out);
    return true;
}
bool ExecuteSuper(TagCall& call) { return ExecuteScript(call, "<SUP>", "</SUP>", "{\\super\\kerning0 "); }
bool ExecuteSub(TagCall& call) { return ExecuteScript(call, "<SUB>", "</SUB>", "{\\sub\\kerning0 "); }

bool ExecuteTimestamp(TagCall& call) {
    TextString date;
    GetDateText(&date);
    call.Replace(date);
    return true;
}

bool ExecuteRuleSet(TagCall& call) {
    switch (call.set.ruleSetCode) {
        case kRuleSetTarnell: call.Replace("Tarnell Ruleset"); break;
        case kRuleSetSec: call.Replace("SEC Ruleset"); break;
        default: call.Replace("no Ruleset"); break;
    }
    return true;
}

bool ExecuteVersion(TagCall& call) {
    call.Replace(call.set.generatorText);
    return true;
}

bool ExecuteHeading(TagCall& call) {
    InlineTagState* state = GetInlineTagState(call.context);
    if (!state) {
        call.Remove();
        return true;
    }
    int level = 2;
    GetTagIntegerOrDefault(call.set, call.arguments, 1, level, 2);
    if (level == 0 || level < -6 || level > 6) {
        ReportTagParseFault(&call.set, call.line, call.tag, call.name, 1);
        return false;
    }
    TextString text, anchor;
    GetTagStringOrDefault(call.set, call.arguments, 2, text, "");
    GetTagStringOrDefault(call.set, call.arguments, 3, anchor, "");

    DocumentState& document = call.context->documentState;
    if (document.pendingFontFlag) {
        call.Report("INFO: Discarding pending font change at HEADING tag", kLevelTagNote);
        document.pendingFontFlag = 0;
        document.pendingFont.Reset();
    }
    if (document.currentIndentLevel > 0)
        call.Report("TAG ERROR: Missing END_LIST detected at HEADING tag", kLevelAlways);
    if (state->heading.open) call.Report("TAG ERROR: Missing END_HEADING detected at HEADING tag", kLevelAlways);

    TaggedHeading& heading = state->heading;
    heading = TaggedHeading();
    heading.open = 1;
    heading.level = level;
    heading.text = text;
    heading.anchorText = anchor;
    heading.leftIndent = state->indentChange[0];
    heading.rightIndent = state->indentChange[1];
    heading.position = call.Position();
    call.Remove();
    return true;
}

void WriteIndentedLine(TagCall& call, const TextString& text) {
    TextString line(text);
    HTML_IndentSource(&call.set, call.context->documentState.currentIndentLevel, &line);
    call.document->WriteLine(&call.set, call.document, &line, 0);
}

// Writes a tagged heading as HTML: alignment and margins around it, the
// space before it, its anchor, and the heading block itself.
void ExecuteHTMLEndHeading(TagCall& call, const TaggedHeading& heading, const TextString& text,
                           const TextString& title, const TextString& reported) {
    DocumentState& state = call.context->documentState;
    const int level = heading.level;
    TextString closing("</H");
    closing.AppendNumber('1', level, 0);
    closing.Append(">");

    TextString before, after;
    switch (heading.alignment) {
        case 2:
            before.Assign("<CENTER>");
            after.Assign("</CENTER>");
            break;
        case 1:
        case 3:
        case 4: break;
        default: call.Report("UNSUPPORTED CASE: Align code", kLevelAlways); break;
    }
    if (heading.leftIndent > 0 || heading.rightIndent > 0) {
        const int code = call.set.GetInt(Pol::IndentationMarkupCode);
        if (code == 1 || code == -1 || code == 2 || code == 3) {
            const int left = HTML_AdjustMarginForIndent(&call.set, heading.leftIndent);
            const int right = HTML_ClampMargin(&call.set, heading.rightIndent);
            if (left > 0 || right > 0) {
                before.Append("<DIV STYLE=\"margin-left:");
                before.AppendNumber('1', left, 0);
                before.Append("pts; margin-right:");
                before.AppendNumber('1', right, 0);
                before.Append("pts; \">");
                after = TextString("</DIV>") + after;
            }
        } else {
            call.Report("UNSUPPORTED CASE: Indentation Markup code in ExecuteHTMLEndHeading", kLevelAlways);
        }
    }

    const int64_t leading = static_cast<int64_t>(heading.extraLeading) + state.pendingVerticalSpace;
    if (leading - 12 > 5)
        HTML_ExtraLeading(&call.set, leading - 12 > INT_MAX ? INT_MAX : static_cast<int>(leading - 12),
                          call.document);
    state.pendingVerticalSpace = 0;

    HTML_WriteHeadingAnchor(&call.set, call.document, 110 + level, heading.position, title, text, reported);
    if (!before.IsEmpty()) WriteIndentedLine(call, before);
    if (!call.set.IsOn(Pol::SuppressHnMarkup)) {
        TextString start("<H");
        start.AppendNumber('1', level, 0);
        start.Append(">");
        HTML_IndentSource(&call.set, state.currentIndentLevel, &start);
        state.blocks.Add(&call.set, call.document, start);
        WriteIndentedLine(call, text);
        state.blocks.Decrement(&call.set, call.document, closing);
    } else {
        WriteIndentedLine(call, text);
    }
    if (!after.IsEmpty()) WriteIndentedLine(call, after);
}

bool ExecuteEndHeading(TagCall& call) {
    InlineTagState* state = GetInlineTagState(call.context);
    if (!state || !state->heading.open) {
        call.Report("TAG ERROR: END_HEADER tag seen with no matching HEADING tag", kLevelAlways);
        call.Remove();
        return true;
    }
    TaggedHeading heading = state->heading;
    state->heading = TaggedHeading();

    // The line's text up to the tag belongs to the heading.
    if (call.line) {
        int at = -1;
        if (call.line->Find(0, call.tag.buffer, &at, 1) && at > 0) {
            TextString before;
            before.AssignSubstring(call.line->buffer, 0, at);
            before.Trim(0, " ");
            if (!before.IsEmpty()) {
                if (!heading.collected.IsEmpty()) heading.collected.Append(" ");
                heading.collected.Append(before);
            }
            call.line->SubString(at, call.line->length - at);
        }
    }
    // Texts given in the HEADING tag are escaped here; the collected text
    // comes from the line, which the line conversion has escaped already.
    TextString text(heading.collected);
    if (!heading.text.IsEmpty()) {
        text = heading.text;
        EscapeForOutput(call.set, call.output, text);
    }
    TextString title(text);
    if (!heading.anchorText.IsEmpty()) {
        title = heading.anchorText;
        EscapeForOutput(call.set, call.output, title);
    }
    const TextString reported = heading.collected.IsEmpty() ? text : heading.collected;
    const int level = heading.level < 0 ? -heading.level : heading.level;

    if (call.output == Output::Html && call.document) {
        if (call.set.IsOn(Pol::SuppressHnMarkup) || heading.level < 0) {
            call.Report("INFO: Tagged heading not being output as <Hn> tag", kLevelTrace);
            HTML_EndPara(call.document, &call.set, "END_HEADING");
            HTML_WriteHeadingAnchor(&call.set, call.document, 110 + level, heading.position, title, text, reported);
            WriteIndentedLine(call, TextString("<P CLASS=\"NoHn\">") + text + "</P>");
        } else {
            HTML_EndPara(call.document, &call.set, "END_HEADING");
            ExecuteHTMLEndHeading(call, heading, text, title, reported);
        }
        call.Remove();
        return true;
    }
    if (call.output == Output::Rtf) {
        static const char* const kAlignments[] = {"", "\\ql ", "\\qc ", "\\qr ", "\\qj "};
        TextString out;
        if (heading.alignment >= 1 && heading.alignment <= 4)
            out.Assign(kAlignments[heading.alignment]);
        else
            call.Report("UNSUPPORTED CASE: Align code", kLevelAlways);
        if (call.line) {
            call.line->SetLineType(kLineNumberedHeading - 1 + level);
            call.line->tagCode = 100 + level;
        }
        out.Append(text);
        call.Replace(out);
        return true;
    }
    // Nothing to write the heading to: its text stays in the line.
    call.Replace(text);
    return true;
}

bool ExecuteValign(TagCall& call) {
    call.Fault(TextString("TAG ERROR: VALIGN tag only valid inside tables"));
    call.Remove();
    return true;
}

bool ExecuteVerticalAlignment(TagCall& call) {
    call.Fault(TextString("TAG ERROR: VERTICAL_ALIGNMENT tag only valid inside tables"));
    call.Remove();
    return true;
}

struct ExecutorEntry {
    const char* name;
    bool (*execute)(TagCall&);
};

// In the order in which the names are compared.
constexpr ExecutorEntry kExecutors[] = {
    {"END_HEADING", ExecuteEndHeading},
    {"CHANGE_INDENT", ExecuteChangeIndent},
    {"COLOR", ExecuteColour},
    {"COLOUR", ExecuteColour},
    {"CT", ExecuteCT},
    {"DEFINE_VARIABLE", ExecuteLeftToLine},
    {"ENTITY", ExecuteEntity},
    {"FILENAME", ExecuteFileName},
    {"FO", ExecuteFO},
    {"FONT", ExecuteFont},
    {"FRACTION", ExecuteFraction},
    {"DEBUG", ExecuteRemoved},
    {"HTML", ExecuteHTML},
    {"HTML_COMMENT", ExecuteHTMLComment},
    {"GOTO", ExecuteHandled},
    {"HYPERLINK", ExecuteHandled},
    {"NB", ExecuteNB},
    {"OT", ExecuteOT},
    {"POPUP", ExecutePopup},
    {"RESTORE_CONTEXT", ExecuteLeftToLine},
    {"SAVE_CONTEXT", ExecuteLeftToLine},
    {"SPACES", ExecuteSpaces},
    {"SOURCE_FILE", ExecuteSourceFile},
    {"STYLE", ExecuteStyle},
    {"TEXT", ExecuteText},
    {"VARIABLE", ExecuteVariable},
    {"LINERULE", ExecuteLineRule},
    {"LINKPOINT", ExecuteHandled},
    {"BR", ExecuteBR},
    {"PAGE", ExecutePage},
    {"PAGE_MARKER", ExecuteHandled},
    {"NEW_PAGE", ExecuteNewPage},
    {"SUPER", ExecuteSuper},
    {"SUB", ExecuteSub},
    {"TIMESTAMP", ExecuteTimestamp},
    {"TOC", ExecuteHandled},
    {"RULESET", ExecuteRuleSet},
    {"VERSION", ExecuteVersion},
    {"CONTENTS_LIST", ExecuteHandled},
    {"HEADING", ExecuteHeading},
    {"VALIGN", ExecuteValign},
    {"VERTICAL_ALIGNMENT", ExecuteVerticalAlignment},
};

}  // namespace

// ---------------------------------------------------------------------------
// The dispatcher

bool ExecuteTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                TextString* replacement) {
    int localReplace = 0;
    TextString localReplacement;
    int& replaceOut = replace ? *replace : localReplace;
    TextString& replacementOut = replacement ? *replacement : localReplacement;
    replaceOut = 0;
    replacementOut.MakeEmpty();
    if (!policies) return false;

    for (const ExecutorEntry& entry : kExecutors) {
        if (!SameName(name, entry.name)) continue;
        TagCall call{mode,
                     line,
                     tagText,
                     name,
                     arguments,
                     document,
                     *policies,
                     policies->context,
                     OutputOf(policies),
                     InTableCell(policies->context),
                     replaceOut,
                     replacementOut};
        return entry.execute(call);
    }
    return false;
}

void InstallTagExecutors(Context& context) { context.tagExecutor = ExecuteTag; }

// ---------------------------------------------------------------------------
// The executors' state

InlineTagState* GetInlineTagState(Context* context) {
    return context ? &context->documentState.inlineTagState : nullptr;
}

void ResetInlineTagState(Context* context) {
    if (context) context->documentState.inlineTagState = InlineTagState();
}
