// UTF-8 text: decoding and encoding single characters, the display width of
// a character (how many positions it takes in a fixed-width layout), the
// Windows-1252 code page both ways, and the in-place line conversions the
// reader makes (invalid bytes, box drawing, 8-bit text to and from UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/text_string.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace unicode {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// True when one of the `n` bytes at `text` is above 0x7F.
bool HasNonAscii(const char* text, size_t n);
inline bool HasNonAscii(const TextString& text) {
    return text.length > 0 && HasNonAscii(text.buffer, static_cast<size_t>(text.length));
}

// Whether a byte is a control character that HTML text may not hold: a C0
// control other than tab, line feed and carriage return, or DEL.
inline bool IsDisallowedControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}
// True when one of the `n` bytes at `text` is above 0x7F or a disallowed
// control (IsDisallowedControl).
bool HasNonAsciiOrControl(const char* text, size_t n);
// True when one of the `n` bytes at `text` is a disallowed control
// (IsDisallowedControl); the bytes above 0x7F are not looked at.
bool HasDisallowedControl(const char* text, size_t n);
// The same, or a C1 control (U+0080 to U+009F) written in UTF-8.
bool HasControlOrC1(const char* text, size_t n);

// How many of the `n` bytes at `text` are ASCII before the first that is
// not.  Inline: the column walks of wide lines call it for every run of
// ASCII between two other characters.
inline size_t AsciiPrefix(const char* text, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i)));
        if (high) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(high)));
    }
#endif
    while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

// The length (2 to 4) of the valid multi-byte sequence at `p`, of which `n`
// bytes are available; 0 when the bytes are no valid sequence (overlong
// forms, surrogates and values beyond U+10FFFF included); -1 when the `n`
// bytes are the valid start of a longer sequence.
int SequenceLength(const unsigned char* p, size_t n);

// Whether the `n` bytes at `text` are valid UTF-8 throughout (ASCII is).
bool IsValidUtf8(const char* text, size_t n);
inline bool IsValidUtf8(const TextString& text) {
    return text.length <= 0 || IsValidUtf8(text.buffer, static_cast<size_t>(text.length));
}

// NextCharacter for what its quick path leaves.
uint32_t NextCharacterChecked(const char* text, int length, int* i);

// The character at text[*i] (of `length` bytes); *i moves past it.  An
// invalid byte is returned as itself, one byte long.  ASCII and the two- and
// three-byte characters that need no range check are decoded here.
inline uint32_t NextCharacter(const char* text, int length, int* i) {
    const auto* p = reinterpret_cast<const unsigned char*>(text + *i);
    const unsigned c = p[0];
    if (c < 0x80) {
        ++*i;
        return c;
    }
    const int left = length - *i;
    if (c >= 0xC2 && c <= 0xDF && left >= 2 && (p[1] & 0xC0) == 0x80) {
        *i += 2;
        return ((c & 0x1F) << 6) | (p[1] & 0x3F);
    }
    if (c >= 0xE1 && c <= 0xEF && c != 0xED && left >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
        *i += 3;
        return ((c & 0x0F) << 12) | ((p[1] & 0x3FU) << 6) | (p[2] & 0x3F);
    }
    return NextCharacterChecked(text, length, i);
}

void AppendUtf8(std::string& out, uint32_t code);

// The character of a Windows-1252 byte (U+FFFD for the five bytes the code
// page leaves undefined); and the byte of a character, or -1 when the code
// page lacks it.
uint32_t FromWindows1252(unsigned char byte);
int ToWindows1252(uint32_t code);

// The display widths of the characters below U+10000, one byte each, and
// of a character beyond them.
struct BasicPlaneWidthTable {
    uint8_t of[0x10000];
};
extern const BasicPlaneWidthTable kBasicPlaneWidths;
int WidthBeyondBasicPlane(uint32_t code);

// Display positions of one character: 2 for East Asian wide and fullwidth
// characters, 0 for combining and format characters, 1 otherwise (every
// ASCII character included, as the byte-counting path counts it).
inline int DisplayWidth(uint32_t code) {
    // The common blocks without a lookup: Latin (the soft hyphen is a
    // format character), the CJK ideographs and the Hangul syllables.
    if (code < 0x300) return code == 0xAD ? 0 : 1;
    if ((code >= 0x4E00 && code <= 0x9FFF) || (code >= 0xAC00 && code <= 0xD7A3)) return 2;
    return code < 0x10000 ? kBasicPlaneWidths.of[code] : WidthBeyondBasicPlane(code);
}
// Per byte: the display positions of every character a valid sequence led
// by that byte holds, where they are all the same and no second byte needs
// a range check (-1 otherwise).  Latin letters, Cyrillic and most CJK
// ideographs are measured by their first byte.
struct LeadWidthTable {
    int8_t of[256];
};
extern const LeadWidthTable kLeadWidths;

// Display positions of the character at text[*i] (of `length` bytes); *i
// moves past it as NextCharacter moves.
inline int NextWidth(const char* text, int length, int* i) {
    const auto* p = reinterpret_cast<const unsigned char*>(text + *i);
    const unsigned c = p[0];
    if (c < 0x80) {
        ++*i;
        return 1;
    }
    const int width = kLeadWidths.of[c];
    if (width >= 0) {
        const int left = length - *i;
        if (c < 0xE0) {
            if (left >= 2 && (p[1] & 0xC0) == 0x80) {
                *i += 2;
                return width;
            }
        } else if (left >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            *i += 3;
            return width;
        }
    }
    return DisplayWidth(NextCharacter(text, length, i));
}

// Display positions of the `length` bytes of UTF-8 text at `text` (tabs
// count 1 here; tab stops are the caller's).
int DisplayWidth(const char* text, int length);

// Per byte: whether a character read from that byte on (a valid sequence
// it leads, or the byte alone) may take no position.  False is sure; true
// means the character must be looked at.  Most letters beyond ASCII (Latin,
// Greek, Cyrillic, CJK) begin with a byte that cannot.
struct LeadByteTable {
    bool of[256];
};
extern const LeadByteTable kMayTakeNoPosition;

// The end of the characters that take no position (combining marks and
// format characters) from byte `at` of the `length` bytes at `text`: `at`
// itself when the character there takes a position or is ASCII.
inline int NoPositionRunEnd(const char* text, int length, int at) {
    while (at < length && kMayTakeNoPosition.of[static_cast<unsigned char>(text[at])]) {
        int after = at;
        if (DisplayWidth(NextCharacter(text, length, &after)) != 0) break;
        at = after;
    }
    return at;
}

// Bytes of UTF-8 text the reader makes whole: each invalid byte becomes its
// Windows-1252 character, and box-drawing characters (U+2500 to U+257F)
// become the ASCII characters they draw.  Returns true when an invalid byte
// was met.
bool MendUtf8Line(TextString& line);
// Windows-1252 text to UTF-8.
void Windows1252ToUtf8(TextString& line);
// UTF-8 text to Windows-1252; a character the code page lacks becomes "?".
// Returns true when that happened.
bool Utf8ToWindows1252(TextString& line);

// Whether a charset name (as "Character encoding" holds it) is UTF-8.
bool NamesUtf8(const TextString& charset);

}  // namespace unicode
