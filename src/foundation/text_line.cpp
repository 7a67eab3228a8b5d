#include "foundation/text_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/line_types.h"

namespace {

LineAcceptanceState gAcceptanceState;

// ---------------------------------------------------------------------------
// Break points

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Whether the byte at `index` is a member of `set` for the break scans.  The
// terminator at `length` belongs to every set, so a text that ends inside the
// window breaks at its end; a ',' between two digits (as in 1,000) belongs to
// none.
bool IsBreakMember(const TextString& text, int index, const char* set) {
    if (index >= text.length) return true;
    const char c = text.buffer[index];
    if (c == ',' && index > 0 && IsAsciiDigit(static_cast<unsigned char>(text.buffer[index - 1])) &&
        IsAsciiDigit(static_cast<unsigned char>(text.buffer[index + 1])))
        return false;
    return c != '\0' && set != nullptr && std::strchr(set, c) != nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Acceptance state

LineAcceptanceState& GetLineAcceptanceState() { return gAcceptanceState; }

void ResetLineAcceptanceState() { gAcceptanceState = LineAcceptanceState{}; }

// ---------------------------------------------------------------------------
// Life cycle and links

void TextLine::Reset(int keepText) {
    if (!keepText) MakeEmpty();
    firstWordLength = -1;
    lineType = kLineText;
    counter = 0;
}

void TextLine::Relink(int keepText, TextLine* previousLine) {
    Reset(keepText);
    LinkAfter(previousLine);
}

void TextLine::LinkAfter(TextLine* previousLine) {
    if (previousLine) previousLine->next = this;
    previous = previousLine;
    next = nullptr;
}

// ---------------------------------------------------------------------------
// Reading-time steps

void TextLine::AnalyseLine(FC*) { lineType = kLineText; }

void TextLine::PreprocessLine(FC*) {
    if (length > 0 && buffer[length - 1] == '\r') {
        AssignChars(buffer, length - 1);
        rawText = static_cast<const TextString&>(*this);
    }
}

void TextLine::TidyLine(FC*) {}

void TextLine::EscapeForRTF(FC*) {
    bool high = false;
    for (int i = 0; i < length && !high; ++i) high = static_cast<unsigned char>(buffer[i]) >= 128;
    if (!high) return;
    std::string escaped;
    escaped.reserve(static_cast<size_t>(length) + 32);
    for (int i = 0; i < length; ++i) {
        const unsigned c = static_cast<unsigned char>(buffer[i]);
        if (c >= 128) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%2.2x", c);
            escaped += hex;
        } else {
            escaped.push_back(static_cast<char>(c));
        }
    }
    AssignChars(escaped.data(), static_cast<int>(escaped.size()));
}

// ---------------------------------------------------------------------------
// Word wrapping

int TextLine::FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter,
                             const char* breakBefore, int* breakPos, int* insideMarkup, int checkDoubleByte, int) {
    if (insideMarkup) *insideMarkup = 0;
    start = std::max(start, 0);
    // A window of less than one character would cut empty pieces and never
    // advance; it is taken as one character.
    width = std::max(width, 1);
    const int end = start + width;
    const int last = std::min(end, length);

    // 1. The last white space in the window.
    int k = start;
    for (int j = last; j > start; --j)
        if (IsBreakMember(*this, j, whiteSpace)) {
            k = j;
            break;
        }
    // 2. The last break-after character not followed by '.'.
    int d = -1;
    for (int j = last; j >= std::max(k, start + 1); --j)
        if (IsBreakMember(*this, j, breakAfter) && At(j + 1) != '.') {
            d = j;
            break;
        }
    // 3. The last break-before character after both.
    int w = -1;
    const int wFloor = std::max({k, d, start + 1});
    for (int j = last; j >= wFloor; --j)
        if (IsBreakMember(*this, j, breakBefore)) {
            w = j;
            break;
        }

    // 4. Prefer the white space unless it would leave much of the window
    // empty; then break after or before a punctuation character.
    int pos = k;
    if (k == start || k < end - 15) {
        if (d > k) pos = d;
        if (w >= 0 && w - 1 > pos) pos = w - 1;
    }
    // 5. Nothing to break at: a hard break after `width` characters, moved
    // back so that it does not cut a UTF-8 character in two.
    if (pos == start) {
        pos = end - 1;
        int back = pos;
        while (back > start && IsContinuationByte(At(back + 1))) --back;
        if (back < pos && back > start && static_cast<unsigned char>(At(back + 1)) >= 0xC0) pos = back;
    }
    // 6. Keep a double-byte character whole.
    if (checkDoubleByte) {
        const unsigned c = static_cast<unsigned char>(At(pos));
        if (c >= 0x81 && c <= 0x9F && pos > start) --pos;
    }
    if (breakPos) *breakPos = pos;
    return checkDoubleByte ? static_cast<unsigned char>(At(pos)) : 0;
}

bool TextLine::CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                               const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                               int option) {
    if (out) out->MakeEmpty();
    if (nextStart) *nextStart = -1;
    if (start > length) return false;
    start = std::max(start, 0);

    int pos = start;
    int insideMarkup = 0;
    FindBreakPoint(start, width, whiteSpace, breakAfter, breakBefore, &pos, &insideMarkup, checkDoubleByte, option);

    int from = start;
    if (from < length && buffer[from] == ' ') ++from;
    int to;  // last byte of the piece, inclusive
    if (insideMarkup) {
        to = std::min(pos + 1, length - 1);
    } else {
        to = std::min(pos, length - 1);
        if (to >= from && buffer[to] == ' ') --to;
    }
    if (out) {
        if (to >= from) out->AppendBytes(buffer + from, to - from + 1);
        if (insideMarkup) out->AppendChar(' ');
    }
    if (nextStart) *nextStart = pos + 1;
    return true;
}
