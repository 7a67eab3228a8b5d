// The reading-time conversion of a line: blanks measured, the characters the
// output format reserves escaped, Macintosh characters and terminal escape
// sequences converted, and the cleaned text kept as the line's input text.
#include <cstdint>
#include <cstring>

#include "analysis/analysed_line.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The context when the input is being read, else null.
Context* ReadingContext(FC* set) {
    Context* context = set ? set->context : nullptr;
    return (context && context->trackers.codeLocation == kReadingInput) ? context : nullptr;
}

// What the reading-time steps look for in a text, found in one pass: bytes
// above 127 (Macintosh characters, escaped for HTML too), the escape byte of
// terminal sequences, and the markup characters '&', '<' and '>' that HTML
// escaping changes.  A text without them is left as it is by those steps.
constexpr unsigned kHighBytes = 1, kEscapeByte = 2, kMarkupBytes = 4;

struct ConvertibleBytes {
    uint8_t found[256] = {};
    constexpr ConvertibleBytes() {
        for (int c = 128; c < 256; ++c) found[c] = kHighBytes;
        found[27] = kEscapeByte;
        for (const char* markup = "&<>"; *markup; ++markup)
            found[static_cast<unsigned char>(*markup)] = kMarkupBytes;
    }
};
constexpr ConvertibleBytes kConvertibleBytes;

unsigned FindConvertibleBytes(const TextString& text) {
    const char* const bytes = text.buffer;
    const int n = text.length;
    unsigned found = 0;
    int i = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        const __m128i escape = _mm_set1_epi8(27), amp = _mm_set1_epi8('&'), less = _mm_set1_epi8('<'),
                      greater = _mm_set1_epi8('>');
        __m128i high = _mm_setzero_si128(), escapes = high, markup = high;
        auto look = [&](const char* from) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
            high = _mm_or_si128(high, v);
            escapes = _mm_or_si128(escapes, _mm_cmpeq_epi8(v, escape));
            const __m128i lessOrGreater = _mm_or_si128(_mm_cmpeq_epi8(v, less), _mm_cmpeq_epi8(v, greater));
            markup = _mm_or_si128(markup, _mm_or_si128(_mm_cmpeq_epi8(v, amp), lessOrGreater));
        };
        for (; i + 16 <= n; i += 16) look(bytes + i);
        if (i < n) look(bytes + n - 16);  // the last bytes, overlapping those looked at
        if (_mm_movemask_epi8(high)) found |= kHighBytes;
        if (_mm_movemask_epi8(escapes)) found |= kEscapeByte;
        if (_mm_movemask_epi8(markup)) found |= kMarkupBytes;
        return found;
    }
#endif
    // A shorter text (most lines of a list of words) takes what each of its
    // bytes is from a table.
    for (; i < n; ++i) found |= kConvertibleBytes.found[static_cast<unsigned char>(bytes[i])];
    return found;
}

// Lines of a user-defined table keep their text as it is.
bool InUserTable(const FC* set) {
    return set->preprocessor.inSpecialBlock && set->preprocessor.specialBlockKind == 6;
}

// The reading-time conversion of a line whose text holds the bytes `found`
// tells (see ConvertInputLine).
void ConvertReadLine(AnalysedLine& line, FC* set, const Context& context, int skipInTable, int trim,
                     unsigned found) {
    switch (context.outputFormat) {
        case kOutputHTML:
            if (found & kHighBytes) HTML_ReferWindowsPunctuation(set, line);
            break;
        case kOutputRTF:
        case kOutputPDF: break;
        default: set->ReportMessage("UNSUPPORTED CASE: Output Format in ConvertLine (1)", kLevelAlways); break;
    }

    if ((found & kEscapeByte) || GetLineAcceptanceState().lineDrawingState == 1) line.StripTerminalEscapes(set);

    if (skipInTable && InUserTable(set)) return;

    // The input text is kept trimmed; the current text keeps its indentation,
    // which the line analysis reads.
    int start = 0;
    if (trim) {
        int end = line.length;
        while (start < end && IsBlankOrTab(line.buffer[start])) ++start;
        while (end > start && IsBlankOrTab(line.buffer[end - 1])) --end;
        line.inputText.AssignPart(line.view(), start, end - start, line.taggedText);
        start = 0;
    } else {
        line.inputText.AssignSharing(line.view(), line.taggedText);
        while (start < line.length && IsBlankOrTab(line.buffer[start])) ++start;
    }
    const std::string_view input = line.inputText.View();
    const int end = WordEnd(input.data(), start, static_cast<int>(input.size()));
    if (end > start) line.firstWordLength = end - start;
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

    // The tagged and plain texts share the raw text's buffer while the line
    // is long and all three are equal (see SharedText).
    taggedText.AssignSharing(view(), rawText);
    plainText = taggedText;

    const int format = context->outputFormat;
    // The bytes of the text are looked at once, for the escaping and for the
    // conversion after it; a text that the escaping changes is looked at again.
    unsigned found = 0;
    bool foundValid = false;
    bool escaped = false;
    if (format == kOutputHTML || format == kOutputPDF) {
        found = FindConvertibleBytes(*this);
        foundValid = true;
    }
    switch (format) {
        case kOutputHTML:
            // UTF-8 text keeps its characters beyond ASCII: only the markup
            // characters call for the escaping.
            if (!inHTMLBlock &&
                ((found & kMarkupBytes) || ((found & kHighBytes) && !context->documentState.utf8Text))) {
                HTML_EscapeText(set, *this);
                foundValid = false;
                escaped = true;
            }
            break;
        case kOutputRTF:
            RTF_EscapeText(set, *this);
            escaped = true;
            break;
        case kOutputText:
        case kOutputPDF: break;
        default:
            LineMessage(*context, TextString("UNSUPPORTED CASE: Output Format in TidyLine"), kLevelAlways);
            break;
    }

    // Escaping changes the length; trailing blanks still do not count.
    if (escaped) trimmedLength = LengthWithoutTrailingBlanks(*this);

    // The input text is the escaped text; the reading-time conversion makes
    // it again from the converted text (outside a user-defined table).
    const bool converted = !inHTMLBlock && format != kOutputText;
    const bool madeAgain =
        converted && (format == kOutputHTML || format == kOutputRTF || format == kOutputPDF) && !InUserTable(set);
    if (!madeAgain) inputText.AssignSharing(view(), taggedText);
    if (converted) ConvertReadLine(*this, set, *context, 1, 1, foundValid ? found : FindConvertibleBytes(*this));
}

void AnalysedLine::ConvertInputLine(FC* set, int skipInTable, int trim) {
    Context* context = ReadingContext(set);
    if (!context || context->outputFormat == kOutputText) return;
    // Both conversions leave a text without the bytes they look for alone
    // (outside the line-drawing mode of terminal sequences).
    ConvertReadLine(*this, set, *context, skipInTable, trim, FindConvertibleBytes(*this));
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
    // and the raw text keeps its tabs.  Copies that shared one buffer are
    // stripped once and go on sharing.
    EditEach({&rawText, &taggedText, &plainText}, [stateBefore](TextString& copy) {
        int state = stateBefore;
        copy.RemoveTerminalEscapes(&state, nullptr, nullptr);
    });
    AssignChars(stripped.buffer, stripped.length);
    inputText.AssignSharing(stripped.view(), taggedText);
    leadingBlanks = CountLeadingBlanks(*this);
    trimmedLength = LengthWithoutTrailingBlanks(*this);
    if (trimmedLength == 0) leadingBlanks = 0;
}
