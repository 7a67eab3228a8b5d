// The reading-time conversion of a line: blanks measured, the characters the
// output format reserves escaped, Macintosh characters and terminal escape
// sequences converted, and the cleaned text kept as the line's input text.
#include <cstring>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "output/escaping.h"
#include "policies/fc.h"

namespace {

constexpr int kReadingInput = 1;

// The context when the input is being read, else null.
Context* ReadingContext(FC* set) {
    Context* context = set ? set->context : nullptr;
    return (context && context->trackers.codeLocation == kReadingInput) ? context : nullptr;
}

// Lines of a user-defined table keep their text as it is.
bool InUserTable(const FC* set) {
    return set->preprocessor.inSpecialBlock && set->preprocessor.specialBlockKind == 6;
}


}  // namespace

void AnalysedLine::TidyLine(FC* set) {
    Context* context = ReadingContext(set);
    if (!context) return;
    // Text between BEGIN_HTML and END_HTML is passed through unescaped.
    const bool inHTMLBlock = context->trackers.input.inHTML != 0;

    leadingBlanks = CountLeadingBlanks(*this);
    trimmedLength = LengthWithoutTrailingBlanks(*this);
    if (trimmedLength == 0) leadingBlanks = 0;

    taggedText = static_cast<const TextString&>(*this);
    plainText = static_cast<const TextString&>(*this);

    const int format = context->outputFormat;
    switch (format) {
        case 0:
            if (!inHTMLBlock) HTML_EscapeText(set, *this);
            break;
        case 1:
            RTF_EscapeText(set, *this);
            break;
        case 2:
        case 3:
            break;
        default:
            LineMessage(*context, TextString("UNSUPPORTED CASE: Output Format in TidyLine"), 10);
            break;
    }

    // Escaping changes the length; trailing blanks still do not count.
    trimmedLength = LengthWithoutTrailingBlanks(*this);
    inputText = static_cast<const TextString&>(*this);

    if (!inHTMLBlock && format != 2) ConvertInputLine(set, 1, 1);
}

void AnalysedLine::ConvertInputLine(FC* set, int skipInTable, int trim) {
    Context* context = ReadingContext(set);
    if (!context || context->outputFormat == 2) return;

    switch (context->outputFormat) {
        case 0:
            ConvertMacCharacters();
            break;
        case 1:
        case 3:
            break;
        default:
            set->ReportMessage("UNSUPPORTED CASE: Output Format in ConvertLine (1)", 10);
            break;
    }

    StripTerminalEscapes(set);

    if (skipInTable && InUserTable(set)) return;

    // The input text is kept trimmed; the current text keeps its indentation,
    // which the line analysis reads.
    inputText = static_cast<const TextString&>(*this);
    if (trim) inputText.Trim(0, " \t");

    int start = 0;
    while (start < inputText.length && IsBlankOrTab(inputText.buffer[start])) ++start;
    int end = start;
    while (end < inputText.length && !IsBlankOrTab(inputText.buffer[end])) ++end;
    if (end > start) firstWordLength = end - start;
}

void AnalysedLine::StripTerminalEscapes(FC*) {
    // The line-drawing mode runs on from line to line; it is reset with the
    // rest of the reading state for each input file.
    int& lineDrawingState = GetLineAcceptanceState().lineDrawingState;
    const int stateBefore = lineDrawingState;
    // Outside line-drawing mode a line without an escape byte stays as it is.
    if (lineDrawingState != 1 && !std::memchr(buffer, 27, static_cast<size_t>(length))) return;

    TextString stripped(static_cast<const TextString&>(*this));
    int escapeSeen = 0;
    TextString message;  // unknown sequences are removed without a report
    stripped.RemoveTerminalEscapes(&lineDrawingState, &escapeSeen, &message);
    if (stripped == static_cast<const TextString&>(*this)) return;

    // The other copies of the line lose the same sequences, each from its own
    // text: the tagged and plain texts stay unescaped for the output format,
    // and the raw text keeps its tabs.
    for (TextString* copy : {&rawText, &taggedText, &plainText}) {
        int state = stateBefore;
        copy->RemoveTerminalEscapes(&state, nullptr, nullptr);
    }
    AssignChars(stripped.buffer, stripped.length);
    inputText = stripped;
    leadingBlanks = CountLeadingBlanks(*this);
    trimmedLength = LengthWithoutTrailingBlanks(*this);
    if (trimmedLength == 0) leadingBlanks = 0;
}
