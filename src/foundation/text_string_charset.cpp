// In-place character-set and transfer-encoding conversions of a TextString:
// DOS code page 437, Macintosh punctuation, Windows "smart" punctuation,
// KOI8-R, URL escapes, terminal escape sequences and 16-bit text.  Each one
// brings text from some outside source to the 8-bit Windows form (or plain
// ASCII) that the rest of the converter works in.
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "foundation/text_string.h"
#include "foundation/unicode_text.h"
#include "platform/ascii_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Marks a code-page byte that has no counterpart in the target code page.
constexpr int kNoCounterpart = -1;
// Marks a DOS box-drawing byte (0xB3-0xDA), handled on its own.
constexpr int kBoxDrawing = -2;

// Code page 437 bytes 0x80-0xFF and what they become in Windows-1252.  Most
// are the Windows byte of the same character; a few are our own choices
// because Windows-1252 lacks the character or a plainer form reads better:
// 0x98 (y diaeresis) -> 0xFD, 0x9E (peseta) -> '.', 0xA7 (masculine ordinal)
// -> degree sign, 0xAA (not sign) -> 0xCA, 0xF9 (bullet operator) -> bullet,
// 0xFA (middle dot) -> '.', 0xFC (superscript n) -> 'n'.
constexpr int B = kBoxDrawing;
constexpr int U = kNoCounterpart;
// clang-format off
constexpr int kDosToWindows[] = {
    // 0x80: C-cedilla u-uml e-acute a-circ a-uml a-grave a-ring c-cedilla
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7,
    // 0x88: e-circ e-uml e-grave i-uml i-circ i-grave A-uml A-ring
    0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    // 0x90: E-acute ae AE o-circ o-uml o-grave u-circ u-grave
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9,
    // 0x98: y-uml(own) O-uml U-uml cent pound yen peseta(own) f-hook
    0xFD, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, '.', 0x83,
    // 0xA0: a-acute i-acute o-acute u-acute n-tilde N-tilde fem-ord masc-ord(own)
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xB0,
    // 0xA8: inv-question reversed-not not(own) half quarter inv-excl left-guill right-guill
    0xBF, U, 0xCA, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    // 0xB0: three shades, then box drawing from 0xB3
    U, U, U, B, B, B, B, B,
    // 0xB8-0xD7: box drawing
    B, B, B, B, B, B, B, B,
    B, B, B, B, B, B, B, B,
    B, B, B, B, B, B, B, B,
    B, B, B, B, B, B, B, B,
    // 0xD8: box drawing to 0xDA, then blocks
    B, B, B, U, U, U, U, U,
    // 0xE0-0xEF: Greek letters and mathematical symbols
    U, U, U, U, U, U, U, U,
    U, U, U, U, U, U, U, U,
    // 0xF0: identical-to plus-minus >= <= integral-top integral-bottom divide approx
    U, 0xB1, U, U, U, U, 0xF7, U,
    // 0xF8: degree bullet-op(own) middle-dot(own) root superscript-n(own) superscript-2 square nbsp
    0xB0, 0x95, '.', U, 'n', 0xB2, U, U,
};
// clang-format on
static_assert(std::size(kDosToWindows) == 128);

// Box-drawing bytes whose right-hand stroke is single, so that a following
// single horizontal line (0xC4) continues them.
bool ContinuesSingleStroke(unsigned char c) {
    switch (c) {
        case 0xC0:
        case 0xC1:
        case 0xC2:
        case 0xC3:
        case 0xC4:
        case 0xC5:
        case 0xC7:
        case 0xD0:
        case 0xD2:
        case 0xD3:
        case 0xD6:
        case 0xD7:
        case 0xDA: return true;
        default: return false;
    }
}

// Box-drawing bytes whose right-hand stroke is double, continued by 0xCD.
bool ContinuesDoubleStroke(unsigned char c) {
    switch (c) {
        case 0xC6:
        case 0xC8:
        case 0xC9:
        case 0xCA:
        case 0xCB:
        case 0xCC:
        case 0xCD:
        case 0xCE:
        case 0xCF:
        case 0xD1:
        case 0xD4:
        case 0xD5:
        case 0xD8: return true;
        default: return false;
    }
}

char BoxDrawingToAscii(unsigned char c) {
    switch (c) {
        case 0xB3:
        case 0xBA: return '|';
        case 0xC4: return '-';
        case 0xCD: return '=';
        default: return '+';
    }
}

// KOI8-R bytes 0x80-0xFF in Windows-1251.  Cyrillic letters and the few
// symbols both code pages share map to the same character; box drawing
// becomes ASCII art; 0x95 (bullet operator) -> 0x9E, 0x9D (superscript two)
// -> '2', 0x9F (division sign) -> '/'; everything else becomes '?'.
// clang-format off
constexpr unsigned char kKoi8rToWindows1251[] = {
    // 0x80: box drawing
    '-', '|', '+', '+', '+', '+', '+', '+', '+', '+', '+', '?', '?', '?', '?', '?',
    // 0x90: shades, integral, bullet operator, root, approx, <=, >=, nbsp, integral, degree, superscript 2, middle dot, divide
    '?', '?', '?', '?', '?', 0x9E, '?', '?', '?', '?', 0xA0, '?', 0xB0, '2', 0xB7, '/',
    // 0xA0: double box drawing with yo (0xA3)
    '=', '|', '+', 0xB8, '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', '+',
    // 0xB0: double box drawing with capital YO (0xB3) and copyright (0xBF)
    '+', '+', '+', 0xA8, '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', '+', 0xA9,
    // 0xC0: yu a be tse de ie ef ghe kha i short-i ka el em en o
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, 0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
    // 0xD0: pe ya er es te u zhe ve soft-sign yeru ze sha e shcha che hard-sign
    0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, 0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA,
    // 0xE0: the same letters in capitals
    0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE,
    0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, 0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA,
};
// clang-format on
static_assert(std::size(kKoi8rToWindows1251) == 128);

constexpr char kEscape = 27;

// The index of the first byte above 127 (`n` when there is none), looked
// for many bytes at a time: the conversions leave plain ASCII alone.
int FirstByteAbove127(const char* text, int n) {
    int i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: the top bit of each byte is what the mask
    // gathers.
    for (; i + 16 <= n; i += 16) {
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i)));
        if (high) return i + __builtin_ctz(static_cast<unsigned>(high));
    }
    if (i < n && n >= 16) {
        // The last sixteen bytes, overlapping those already looked at (which
        // hold no such byte, so the first one found lies at or after i).
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + n - 16)));
        return high ? n - 16 + __builtin_ctz(static_cast<unsigned>(high)) : n;
    }
#endif
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

// The bytes of a terminal escape sequence after its ESC: an optional '[',
// parameter bytes 0x26-0x3F, intermediate bytes 0x20-0x2F, one final byte.
// Returns the number of bytes; `sequence` receives them.
int CollectEscapeSequence(const char* text, int length, int start, std::string& sequence) {
    int i = start;
    auto in = [&](unsigned char low, unsigned char high) {
        if (i >= length) return false;
        unsigned char c = static_cast<unsigned char>(text[i]);
        return c >= low && c <= high;
    };
    if (i < length && text[i] == '[') ++i;
    while (in(0x26, 0x3F)) ++i;
    while (in(0x20, 0x2F)) ++i;
    // A following ESC starts a sequence of its own and is not a final byte.
    if (i < length && text[i] != kEscape) ++i;
    sequence.assign(text + start, static_cast<size_t>(i - start));
    return i - start;
}

// '[', digits, ';', digits, blank, 'G': a cursor positioning sequence that
// also ends line-drawing mode.
bool IsPositioningSequence(const std::string& s) {
    if (s.find(';') == std::string::npos || s.find(" G") == std::string::npos) return false;
    size_t i = 0;
    if (i >= s.size() || s[i] != '[') return false;
    ++i;
    size_t digits = i;
    while (i < s.size() && IsAsciiDigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i == digits || i >= s.size() || s[i] != ';') return false;
    ++i;
    digits = i;
    while (i < s.size() && IsAsciiDigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i == digits) return false;
    return s.compare(i, std::string::npos, " G") == 0;
}

// How many bytes after the ESC a recognised sequence removes.
int EscapeBytesToRemove(const std::string& sequence, bool* known) {
    *known = true;
    if (sequence.compare(0, 2, "(0") == 0 || sequence.compare(0, 2, "(B") == 0) return 2;
    if (IsPositioningSequence(sequence)) return static_cast<int>(sequence.size());
    *known = false;
    return static_cast<int>(sequence.size());
}

char LineDrawingLetterToAscii(char c) {
    switch (c) {
        case 'j':
        case 'k':
        case 'l':
        case 'm':
        case 't':
        case 'u':
        case 'v':
        case 'w': return '+';
        case 'o':
        case 'p':
        case 'q':
        case 'r':
        case 's': return '-';
        case 'x': return '|';
        default: return c;
    }
}

constexpr uint32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void TextString::ConvertDOSCharacters(int convertLineDrawing, int markUnknown, int* lineDrawingCount) {
    for (int i = FirstByteAbove127(buffer, length); i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c < 0x80) continue;
        int target = kDosToWindows[c - 0x80];
        if (target == kBoxDrawing) {
            // The count looks at the next byte as it was read, before any
            // conversion of that byte.
            unsigned char next = i + 1 < length ? static_cast<unsigned char>(buffer[i + 1]) : 0;
            if (lineDrawingCount &&
                ((next == 0xC4 && ContinuesSingleStroke(c)) || (next == 0xCD && ContinuesDoubleStroke(c))))
                ++*lineDrawingCount;
            if (convertLineDrawing) buffer[i] = BoxDrawingToAscii(c);
        } else if (target == kNoCounterpart) {
            if (markUnknown) buffer[i] = '?';
        } else {
            buffer[i] = static_cast<char>(target);
        }
    }
}

void TextString::ConvertMacCharacters() {
    for (int i = FirstByteAbove127(buffer, length); i < length; ++i) {
        switch (static_cast<unsigned char>(buffer[i])) {
            case 0x92: buffer[i] = '\''; break;
            case 0x96: buffer[i] = '-'; break;
            default: break;
        }
    }
}

void TextString::ConvertSmartPunctuation() {
    for (int i = 0; i < length && buffer[i] != '\0'; ++i) {
        switch (static_cast<unsigned char>(buffer[i])) {
            case 0x91: buffer[i] = '`'; break;
            case 0x92: buffer[i] = '\''; break;
            case 0x93:
            case 0x94: buffer[i] = '"'; break;
            case 0x95:
            case 0x96: buffer[i] = '-'; break;
            case 0x97:
                // An em dash becomes two hyphens.
                buffer[i] = '-';
                InsertChar(i, '-');
                ++i;
                break;
            case 0xA0: buffer[i] = ' '; break;
            default: break;
        }
    }
}

void TextString::ConvertKOI8RToWindows1251() {
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c >= 0x80) buffer[i] = static_cast<char>(kKoi8rToWindows1251[c - 0x80]);
    }
}

// "%" and two hexadecimal digits become the byte they name.  Control values
// (below 32) stay encoded, and so does anything that is not exactly two hex
// digits (no sign, no blanks).  A decoded byte is never decoded again.
void TextString::DecodeURLEscapes() {
    if (!FindChar(0, '%', nullptr, 1)) return;
    std::string out;
    out.reserve(static_cast<size_t>(length));
    int i = 0;
    while (i < length) {
        if (buffer[i] == '%' && i + 2 < length) {
            int high = AsciiHexDigitValue(buffer[i + 1]);
            int low = AsciiHexDigitValue(buffer[i + 2]);
            if (high >= 0 && low >= 0 && high * 16 + low >= 32) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        out.push_back(buffer[i]);
        ++i;
    }
    AssignChars(out.data(), static_cast<int>(out.size()));
}

// Two passes.  The first follows the line-drawing state (which carries over
// from line to line in the caller's flag) and turns the line-drawing letters
// into ASCII art; the second removes every escape sequence, noting any it
// does not know in `message`.
void TextString::RemoveTerminalEscapes(int* lineDrawingState, int* escapeSeen, TextString* message) {
    int localState = 0;
    if (!lineDrawingState) lineDrawingState = &localState;
    std::string sequence;

    // Pass 0: track the state and convert letters in line-drawing mode.  The
    // bytes that pass 1 removes are skipped, so they stay as they were.
    for (int i = 0; i < length; ++i) {
        if (buffer[i] == kEscape) {
            if (escapeSeen) *escapeSeen = 1;
            CollectEscapeSequence(buffer, length, i + 1, sequence);
            bool known = false;
            int sequenceBytes = EscapeBytesToRemove(sequence, &known);
            if (sequence.compare(0, 2, "(0") == 0)
                *lineDrawingState = 1;
            else if (known)
                *lineDrawingState = 0;
            i += sequenceBytes;
            continue;
        }
        if (*lineDrawingState == 1) buffer[i] = LineDrawingLetterToAscii(buffer[i]);
    }

    // Pass 1: remove the sequences.  The bytes before a sequence hold no
    // escape and the bytes after it are read as they stand, so one pass that
    // copies the kept bytes forward removes them all in linear time.
    if (length <= 0 || !std::memchr(buffer, kEscape, static_cast<size_t>(length))) return;
    int write = 0;
    for (int read = 0; read < length;) {
        if (buffer[read] != kEscape) {
            buffer[write++] = buffer[read++];
            continue;
        }
        if (escapeSeen) *escapeSeen = 1;
        CollectEscapeSequence(buffer, length, read + 1, sequence);
        bool known = false;
        int sequenceBytes = EscapeBytesToRemove(sequence, &known);
        if (!known && message) {
            message->Assign("Unknown Escape sequence : ESC ");
            message->AppendBytes(sequence.data(), static_cast<int>(sequence.size()));
        }
        read += 1 + sequenceBytes;
    }
    SetLength(write);
}

// The text is read as 16-bit units (a trailing odd byte is dropped) and
// replaced by their UTF-8 form, up to the first unit 0.  A surrogate pair
// becomes one four-byte character; a surrogate without its partner becomes
// U+FFFD.  True when every unit was plain ASCII.
bool TextString::ConvertUTF16ToUTF8(int bigEndian) {
    std::string out;
    out.reserve(static_cast<size_t>(length) * 3 / 2 + 1);
    bool plainAscii = true;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer);
    int units = length / 2;
    auto unitAt = [&](int k) -> uint32_t {
        uint32_t first = bytes[2 * static_cast<size_t>(k)];
        uint32_t second = bytes[2 * static_cast<size_t>(k) + 1];
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    for (int k = 0; k < units; ++k) {
        uint32_t unit = unitAt(k);
        if (unit == 0) break;
        if (unit >= 0x80) plainAscii = false;
        if (IsHighSurrogate(unit)) {
            uint32_t next = k + 1 < units ? unitAt(k + 1) : 0;
            if (IsLowSurrogate(next)) {
                unicode::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++k;
            } else {
                unicode::AppendUtf8(out, kReplacementCharacter);
            }
        } else if (IsLowSurrogate(unit)) {
            unicode::AppendUtf8(out, kReplacementCharacter);
        } else {
            unicode::AppendUtf8(out, unit);
        }
    }
    AssignChars(out.data(), static_cast<int>(out.size()));
    return plainAscii;
}
