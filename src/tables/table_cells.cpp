// Table cells: the cell records, cutting a line into cells, and the
// measurements the analysis and the output take from a cell.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/unicode_text.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "policies/tab_config.h"
#include "tables/delimited_fields.h"
#include "tables/engine_support.h"
#include "tables/preform.h"

namespace {

constexpr unsigned char kPoundSign = 0xA3;

// The tags that leave a cell empty when nothing else is in it.
constexpr const char* kLayoutOnlyTags = "EXTRA_LEADING,FOLIO,FONT,COLOR,COLOUR,LEADING,WS";

const TabConfig* ConfigOf(const PreForm* engine) {
    if (!engine) return nullptr;
    if (engine->tabConfig) return engine->tabConfig;
    return engine->policies ? engine->policies->GetDefaultTabConfig() : nullptr;
}

// RTF output for the engine (the engine's switches), or for a policy set
// (its Context's output format).
bool EngineWritesRtf(const PreForm* engine) { return engine && !engine->htmlOutput && engine->rtfOutput; }
bool SetWritesRtf(const FC* set) {
    const Context* context = set ? set->context : nullptr;
    return context && (context->outputFormat == kOutputRTF || context->outputFormat == kOutputPDF);
}

// ---------------------------------------------------------------------------
// In-line tags in a line being cut

// The in-line tags of a text, looked at from left to right: a start
// delimiter and the next end delimiter after it.  A start delimiter without
// an end is no tag.  Queries must come at positions that do not go back, so
// that a whole line costs one pass.
class TagSpans {
public:
    TagSpans(std::string_view text, const TextString& open, const TextString& close)
        : text(text), open(open.view()), close(close.view()) {
        exhausted = this->open.empty() || this->close.empty();
    }

    // The text holds no tag (it lacks the first byte of the start delimiter).
    void NoTags() { exhausted = true; }

    // Whether a cut after position `p` would split a tag.
    bool Splits(int p) {
        while (!exhausted && tagEnd < p) Advance();
        return !exhausted && tagStart <= p && p < tagEnd;
    }

private:
    std::string_view text, open, close;
    int tagStart = -1;
    int tagEnd = -1;  // last character of the end delimiter
    bool exhausted = false;

    void Advance() {
        const size_t from = static_cast<size_t>(tagEnd) + 1;
        const size_t s = text.find(open, from);
        if (s == std::string_view::npos) {
            exhausted = true;
            return;
        }
        const size_t e = text.find(close, s + open.size());
        if (e == std::string_view::npos) {
            exhausted = true;
            return;
        }
        tagStart = static_cast<int>(s);
        tagEnd = static_cast<int>(e + close.size()) - 1;
    }
};

// Whether the text holds an end delimiter that no start delimiter opened.
[[gnu::always_inline]] inline bool HasUnbalancedEnd(std::string_view line, const TextString& openText,
                                                    const TextString& closeText) {
    const std::string_view open = openText.view(), close = closeText.view();
    if (open.empty() || close.empty()) return false;
    size_t cursor = 0;
    while (cursor < line.size()) {
        const size_t e = line.find(close, cursor);
        if (e == std::string_view::npos) return false;  // no end delimiter (most lines): nothing to look for
        const size_t s = line.find(open, cursor);
        if (s == std::string_view::npos || e < s) return true;
        const size_t tagEnd = line.find(close, s + open.size());
        if (tagEnd == std::string_view::npos) return false;
        cursor = tagEnd + close.size();
    }
    return false;
}

// A column boundary ends a cell where it holds one of these: a blank, a
// tab, "*", "+", "-" or "|".
struct BoundaryEnds {
    bool ends[256] = {};
    BoundaryEnds() {
        for (unsigned char c : {' ', '\t', '*', '+', '-', '|'}) ends[c] = true;
    }
};
const BoundaryEnds kBoundaryEnds;
bool EndsCellAtBoundary(char c) { return kBoundaryEnds.ends[static_cast<unsigned char>(c)]; }

void TrimBlanks(TextString& text) { text.Trim(0, " "); }

// The table configuration's "Default TABLE cell alignment" (0 when none).
int ConfiguredAlignment(const PreForm* engine) {
    const TabConfig* config = ConfigOf(engine);
    return config ? config->GetInt(TabPol::CellAlignment) : 0;
}

// The blanks and tabs at the start (`*leading`) and at the end
// (`*trailing`) of the `length` bytes at `s`; a text of blanks only has
// `length` of each.
void CountOuterBlanks(const char* s, int length, int* leading, int* trailing) {
    int i = 0;
    while (i < length && IsBlankOrTab(s[i])) ++i;
    int j = 0;
    if (i == length) {
        j = length;
    } else {
        while (IsBlankOrTab(s[length - 1 - j])) ++j;
    }
    *leading = i;
    *trailing = j;
}

// Numeric characters to the alignment guess: digits and "%", "*", ",",
// ".", ":" always (`plain`), and in the extended markup mode "$", "(", ")",
// "+", "-" and the pound sign as well (`extended`); 1 for such a byte.  The
// bytes a signed number starts with (`signs`): "+", "-", and the first byte
// of the minus sign U+2212 in UTF-8 (E2 88 92).
constexpr unsigned char kMinusSignLead = 0xE2;
struct AlignmentNumerics {
    unsigned char plain[256] = {};
    unsigned char extended[256] = {};
    unsigned char signs[256] = {};
    AlignmentNumerics() {
        for (unsigned char c = '0'; c <= '9'; ++c) plain[c] = extended[c] = 1;
        for (unsigned char c : {'%', '*', ',', '.', ':'}) plain[c] = extended[c] = 1;
        for (unsigned char c : {'$', '(', ')', '+', '-'}) extended[c] = 1;
        extended[kPoundSign] = 1;
        for (unsigned char c : {'+', '-'}) signs[c] = 1;
        signs[kMinusSignLead] = 1;
    }
};
const AlignmentNumerics kAlignmentNumerics;

// The alignment of a text of the bytes [from, end) that starts with a
// sign: right (3) for a signed number, else `byBlanks`.  Out of line: most
// cells need it not.
[[gnu::noinline]] int SignedNumberAlignment(const PreForm* engine, const unsigned char* from,
                                            const unsigned char* end, int byBlanks) {
    const FC* set = engine ? engine->policies : nullptr;
    const bool utf8 = set && set->context && set->context->documentState.utf8Text;
    const std::string_view text(reinterpret_cast<const char*>(from), static_cast<size_t>(end - from));
    return IsSignedNumber(text, utf8) ? 3 : byBlanks;
}

// Which bytes of a line are neither blanks nor tabs, one bit per byte (bit
// p % 64 of word p / 64), so that the text of each cut piece is found
// without reading its blanks.  Where the processor compares vectors of
// bytes (SSE2) sixteen bytes are classified at a time; the rest of the line
// byte by byte.  Lines of up to kInlineWords * 64 bytes need no heap.
class NonBlankMap {
public:
    // `mark` is a byte whose presence on the line is noted as well (the
    // first byte of the tag start delimiter).
    NonBlankMap(const char* text, int length, char mark) {
        const size_t words = (static_cast<size_t>(length) + 63) / 64;
        if (words <= kInlineWords) {
            bits = inlineBits;
            // Cleared word by word: most lines need one or two.
            inlineBits[0] = inlineBits[1] = 0;
            for (size_t w = 2; w < words; ++w) inlineBits[w] = 0;
        } else {
            heapBits.assign(words, 0);
            bits = heapBits.data();
        }
        int p = 0;
#if defined(__SSE2__)
        const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), bar = _mm_set1_epi8('|');
        const __m128i marked = _mm_set1_epi8(mark);
        __m128i bars = _mm_setzero_si128();
        __m128i marks = _mm_setzero_si128();
        for (; p + 16 <= length; p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p));
            const unsigned blanks = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(bytes, tab))));
            bits[p >> 6] |= static_cast<uint64_t>(~blanks & 0xFFFFu) << (p & 63);
            bars = _mm_or_si128(bars, _mm_cmpeq_epi8(bytes, bar));
            marks = _mm_or_si128(marks, _mm_cmpeq_epi8(bytes, marked));
        }
        if (p < length && length >= 16) {
            // The last sixteen bytes, read again where they overlap.
            const int from = length - 16;
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
            const unsigned blanks = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(bytes, tab))));
            const uint64_t found = ~blanks & 0xFFFFu;
            const int shift = from & 63;
            bits[from >> 6] |= found << shift;
            if (shift > 48) bits[(from >> 6) + 1] |= found >> (64 - shift);
            bars = _mm_or_si128(bars, _mm_cmpeq_epi8(bytes, bar));
            marks = _mm_or_si128(marks, _mm_cmpeq_epi8(bytes, marked));
            p = length;
        }
        if (_mm_movemask_epi8(bars) != 0) hasBar = true;
        if (_mm_movemask_epi8(marks) != 0) hasMark = true;
#endif
        for (; p < length; ++p) {
            if (!IsBlankOrTab(text[p])) bits[p >> 6] |= uint64_t{1} << (p & 63);
            if (text[p] == '|') hasBar = true;
            if (text[p] == mark) hasMark = true;
        }
    }
    NonBlankMap(const NonBlankMap&) = delete;
    NonBlankMap& operator=(const NonBlankMap&) = delete;

    // Whether the line holds a "|" anywhere (else no piece needs its runs
    // of "|" cut off).
    bool HasBar() const { return hasBar; }
    // Whether the line holds the marked byte anywhere.
    bool HasMark() const { return hasMark; }
    // Whether the line holds neither a "|" nor the marked byte.
    bool Plain() const { return !(hasBar | hasMark); }

    // The first text byte in [from, to), or `to` when there is none.
    int FirstText(int from, int to) const {
        while (from < to) {
            const uint64_t word = bits[from >> 6] >> (from & 63);
            if (word != 0) return std::min(from + __builtin_ctzll(word), to);
            from = ((from >> 6) + 1) << 6;
        }
        return to;
    }
    // One past the last text byte in [from, to), or `from` when there is
    // none.
    int EndOfText(int from, int to) const {
        while (to > from) {
            const int last = to - 1;
            const uint64_t word = bits[last >> 6] << (63 - (last & 63));  // bits up to `last`, at the top
            if (word != 0) return std::max(last - __builtin_clzll(word) + 1, from);
            to = (last >> 6) << 6;
        }
        return from;
    }

    // The first text byte in [from, to] and one past the last; false when
    // there is none.  A range within one word of the map (most cells) takes
    // a few operations on it.
    [[gnu::always_inline]] bool TextWithin(int from, int to, int* textStart, int* textEnd) const {
        const int word = from >> 6;
        if (word == to >> 6) {
            const uint64_t range = (~uint64_t{0} << (from & 63)) & (~uint64_t{0} >> (63 - (to & 63)));
            const uint64_t found = bits[word] & range;
            if (found == 0) return false;
            *textStart = (word << 6) + __builtin_ctzll(found);
            *textEnd = (word << 6) + 64 - __builtin_clzll(found);
            return true;
        }
        const int start = FirstText(from, to + 1);
        if (start > to) return false;
        *textStart = start;
        *textEnd = EndOfText(start, to + 1);
        return true;
    }

private:
    static constexpr size_t kInlineWords = 16;
    uint64_t inlineBits[kInlineWords];
    std::vector<uint64_t> heapBits;
    uint64_t* bits;
    bool hasBar = false;
    bool hasMark = false;
};

// The borders among the "|" of a line being cut: a "|" at a separator
// position of the block, and the first and last character of the line's
// text where most lines of the block begin and end with "|".  Runs of "|"
// at the ends of a cell are cut off only as far as they are borders; any
// other "|" is text ("|| x", dpkg's "||/ Name").
//
// The pieces of a line are asked about from left to right, and the
// positions of the bytes asked about never go back: on a wide line they are
// counted along the line once.
class LineBorders {
public:
    LineBorders(const PreForm& engine, const char* text, int length, bool wide)
        : engine(engine), text(text), length(length), wide(wide) {}

    // The first byte of [first, stop] after the borders at its start.
    int SkipLeading(int first, int stop) {
        if (first > stop || text[first] != '|') return first;
        const int position = PositionOf(first);
        int at = first;
        while (at <= stop && text[at] == '|' && IsBorder(at, position + (at - first))) ++at;
        return at;
    }
    // The last byte of [first, stop] before the borders at its end.
    int SkipTrailing(int first, int stop) {
        if (first > stop || text[stop] != '|') return stop;
        const int position = PositionOf(stop);
        int at = stop;
        while (at >= first && text[at] == '|' && IsBorder(at, position - (stop - at))) --at;
        return at;
    }

private:
    const PreForm& engine;
    const char* text;
    int length;
    bool wide;
    int firstText = -1;  // the line's first and last non-blank bytes, once looked for
    int lastText = -1;
    int walkedByte = 0;  // a wide line: the character at this byte starts at this position
    int walkedPosition = 0;

    // Whether the "|" at byte `at`, at character position `position`, is a
    // border.
    bool IsBorder(int at, int position) {
        if (engine.IsSeparatorPosition(position)) return true;
        if (!engine.barFramedLines) return false;
        if (firstText < 0) {
            firstText = 0;
            while (firstText < length && IsBlankOrTab(text[firstText])) ++firstText;
            lastText = length - 1;
            while (lastText > firstText && IsBlankOrTab(text[lastText])) --lastText;
        }
        return at == firstText || at == lastText;
    }
    // The character position of byte `at` (of an ASCII character).
    int PositionOf(int at) {
        if (!wide) return at;
        while (walkedByte < at) {
            if (static_cast<unsigned char>(text[walkedByte]) < 0x80) {
                ++walkedByte;
                ++walkedPosition;
            } else {
                walkedPosition += unicode::NextWidth(text, length, &walkedByte);
            }
        }
        return walkedPosition;
    }
};

// The alignment of a cell that needs no look at its text: the configured
// one, or (unless the guess is forced) a cell of one column's typical one.
[[gnu::always_inline]] inline bool AlignmentOfSettings(const PreForm* engine, int configured, int span,
                                                       int columnIndex, int force, int* alignment) {
    if (configured != 0) {
        *alignment = configured;
        return true;
    }
    if (!force && span == 1 && engine && columnIndex >= 0 &&
        columnIndex < static_cast<int>(engine->columns.size())) {
        *alignment = engine->columns[static_cast<size_t>(columnIndex)]->typicalAlignment;
        return true;
    }
    return false;
}

// TableCell::GuessAlignment for the `length` bytes at `s` of a cell that
// spans `span` columns, with the configured alignment already read and the
// outer blanks counted (CountOuterBlanks): the cell splitter guesses from
// the piece of the line before it copies it.
//
// A numeric text is right aligned (3) unless its blanks fill the column.
// The text is read for that only when the guess from the blanks alone is
// not right alignment anyway: the test would change nothing then.
[[gnu::always_inline]] inline int GuessTextAlignment(const PreForm* engine, int configured, int span,
                                                     int columnIndex, int columnWidth, const char* s, int length,
                                                     int leading, int trailing, int force) {
    int set = 0;
    if (AlignmentOfSettings(engine, configured, span, columnIndex, force, &set)) return set;
    if (length <= 0) return 1;

    const int i = leading;
    int j = trailing;
    // The text between the outer blanks, before `j` takes in the rest of
    // the column.
    const auto* p = reinterpret_cast<const unsigned char*>(s) + i;
    const auto* end = reinterpret_cast<const unsigned char*>(s) + (length - j);
    if (length < columnWidth) j += columnWidth - length;

    const bool delimited = engine && engine->isDelimited;
    if (!delimited && columnWidth > 0 && i + j >= columnWidth) return 1;
    int byBlanks = 1;
    if (i == 0)
        byBlanks = 1;
    else if (j == 0 && i > 1)
        byBlanks = 3;
    else if (i + j >= length)
        byBlanks = 1;
    else if (i - j < 2 && j - i < 2 && i > 1)
        byBlanks = 2;
    else if (j < i && i > 1)
        byBlanks = 3;
    if (byBlanks == 3 || p >= end) return byBlanks;

    // Numeric when every byte between the outer blanks is, or when the text
    // is a signed number (SignedNumberAlignment).  A text that starts with
    // another byte (most text) is told by that byte; the rest is read four
    // bytes a step while as many are left.  Only a text whose first byte is
    // no numeric one may be a signed number that is not numeric anyway:
    // what is left of a signed number is.
    const unsigned char* numeric =
        engine && engine->extendedMarkupMode ? kAlignmentNumerics.extended : kAlignmentNumerics.plain;
    if (!numeric[*p])
        return kAlignmentNumerics.signs[*p] ? SignedNumberAlignment(engine, p, end, byBlanks) : byBlanks;
    for (++p; end - p >= 4; p += 4)
        if (!(numeric[p[0]] & numeric[p[1]] & numeric[p[2]] & numeric[p[3]])) return byBlanks;
    for (; p < end; ++p)
        if (!numeric[*p]) return byBlanks;
    return 3;
}

// GuessTextAlignment for a whole text, its outer blanks counted here.
int GuessWholeTextAlignment(const PreForm* engine, int configured, int span, int columnIndex, int columnWidth,
                            const TextString& text, int force) {
    int set = 0;
    if (AlignmentOfSettings(engine, configured, span, columnIndex, force, &set)) return set;
    int leading = 0;
    int trailing = 0;
    CountOuterBlanks(text.buffer, text.length, &leading, &trailing);
    return GuessTextAlignment(engine, configured, span, columnIndex, columnWidth, text.buffer, text.length, leading,
                              trailing, force);
}

// ---------------------------------------------------------------------------
// Cell rows

// A cell with `fields` and its texts emptied (keeping their buffers),
// inline for the rows that are reset for every line.
[[gnu::always_inline]] inline void SetCell(TableCell& cell, const TableCellFields& fields) {
    static_cast<TableCellFields&>(cell) = fields;
    // As MakeEmpty does, without a call for each text.
    auto empty = [](TextString& part) {
        if (part.length != 0) {
            part.length = 0;
            if (part.capacity > 0) part.buffer[0] = '\0';
        }
    };
    // Mostly only the main text holds something.
    if ((cell.beforeText.length | cell.afterText.length | cell.secondText.length | cell.formatText.length |
         cell.gutterText.length | cell.stubText.length | cell.linkAnchor.length) == 0) {
        empty(cell.text);
        return;
    }
    empty(cell.beforeText);
    empty(cell.text);
    empty(cell.afterText);
    empty(cell.secondText);
    empty(cell.formatText);
    empty(cell.gutterText);
    empty(cell.stubText);
    empty(cell.linkAnchor);
}

// TableCell::Reset.
[[gnu::always_inline]] inline void ResetCell(TableCell& cell, const SourcePosition& where, const FontSpec* font) {
    TableCellFields fresh;
    fresh.font = font;
    fresh.position = where;
    SetCell(cell, fresh);
}

// Makes `row` hold one empty cell per column of the engine, placed at the
// line's position with the line's font: every cell becomes padding, filled
// in as the cut reaches it.  A row of the right size keeps its cells (and
// their text buffers): rows are cut for every line several times.
void PrepareRow(PreForm& engine, TableCellRow* row, int lineIndex) {
    const int n = static_cast<int>(engine.columns.size());
    const bool validLine = lineIndex >= 0 && lineIndex < static_cast<int>(engine.lines.size());
    TableCellFields fresh;
    fresh.position = validLine ? engine.lines.Position(static_cast<size_t>(lineIndex)) : SourcePosition();
    fresh.font = engine.LineFont(lineIndex);
    if (row->Count() != n) row->Reset(n, engine.policies, fresh.position, fresh.font);
    row->PadFrom(0, fresh);
}

// What a cell byte is to the conversion for output (ConvertRowForOutput):
// escaped in HTML ("&", "<", ">"; in 8-bit text the bytes above 127 too,
// which the Macintosh character conversion also looks at), an ASCII letter,
// a dot, or a byte that can start a change by the word scan (":", "/", "@",
// a backspace) or mark emphasis ("_", "*").
constexpr unsigned char kEscapedByte = 1;
constexpr unsigned char kLetterByte = 2;
constexpr unsigned char kDotByte = 4;
constexpr unsigned char kConvertedByte = 8;
constexpr unsigned char kHighByte = 16;

struct CellByteKinds {
    unsigned char of[256] = {};
    CellByteKinds() {
        for (int c = 128; c < 256; ++c) of[c] = kHighByte;
        for (unsigned char c : {'&', '<', '>'}) of[c] = kEscapedByte;
        for (int c = 'A'; c <= 'Z'; ++c) of[c] = of[c + ('a' - 'A')] = kLetterByte;
        of[static_cast<unsigned char>('.')] = kDotByte;
        for (unsigned char c : {':', '/', '@', '\b', '_', '*'}) of[c] = kConvertedByte;
    }
};
const CellByteKinds kCellByteKinds;

// The kinds of byte a text holds (CellByteKinds, or-ed).
[[gnu::always_inline]] inline unsigned char LookAtCellBytes(const TextString& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.buffer);
    const int n = text.length;
    unsigned char seen = 0;
    int i = 0;
    for (; i + 4 <= n; i += 4)
        seen |= kCellByteKinds.of[bytes[i]] | kCellByteKinds.of[bytes[i + 1]] | kCellByteKinds.of[bytes[i + 2]] |
                kCellByteKinds.of[bytes[i + 3]];
    for (; i < n; ++i) seen |= kCellByteKinds.of[bytes[i]];
    return seen;
}

// Whether the `n` bytes at `s` hold two dots or more.  A cell is short: its
// bytes are read eight at a time without a call, a dot being a zero byte
// of the word exclusive-or'ed with dots (0x80 marks each exactly).
bool HasTwoDots(const char* s, int n) {
    constexpr uint64_t kDots = 0x2E2E2E2E2E2E2E2Eull;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    bool seen = false;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, s + i, sizeof word);
        const uint64_t x = word ^ kDots;
        const uint64_t dots = ~(((x & kLow7) + kLow7) | x | kLow7);
        if (dots == 0) continue;
        if (seen || (dots & (dots - 1)) != 0) return true;
        seen = true;
    }
    for (; i < n; ++i) {
        if (s[i] != '.') continue;
        if (seen) return true;
        seen = true;
    }
    return false;
}

// Whether the output conversion of a cell (AnalysedLine::ConvertForOutput
// with the word scan, emphasis, the link dictionary and trimming) surely
// leaves `text` as it is, so that it need not run:
// - the word scan changes only words with ".", ":", "/", "@" or a
//   backspace, and leaves a word without letters and with fewer than two
//   dots alone (a number such as "1234.50");
// - section references are words with a dot, and are looked for only when
//   the table asks for them and numbered headings are expected;
// - emphasis needs "_" or "*";
// - the link dictionary can match any word: it must be empty;
// - trimming removes outer blanks and tabs, and an RTF text ending in "}}}"
//   gets a blank: the text must start and end with neither.
[[gnu::always_inline]] inline bool ConversionLeavesAlone(const TextString& text, unsigned char kinds,
                                                         bool dotsMayBeReferences) {
    if (kinds & kConvertedByte) return false;
    if (kinds & kDotByte) {
        if ((kinds & kLetterByte) || dotsMayBeReferences) return false;
        if (HasTwoDots(text.buffer, text.length)) return false;
    }
    const char first = text.buffer[0];
    const char last = text.buffer[text.length - 1];
    return !IsBlankOrTab(first) && !IsBlankOrTab(last) && last != '}';
}

using engine_support::AssignPiece;

// Exchanges the texts of two strings (each owns its buffer).
void SwapTexts(TextString& a, TextString& b) {
    std::swap(a.buffer, b.buffer);
    std::swap(a.length, b.length);
    std::swap(a.capacity, b.capacity);
}

// Gives the scratch line `text` as its main text: the main text is taken
// over from `text` (which gets the scratch line's old one, given back by
// PutBackScratchLine).  The output conversion reads the main text only, so
// the line's four other texts stay empty: a long cell is not copied four
// times over for nothing.
void LoadScratchLine(AnalysedLine& scratch, TextString& text) {
    for (SharedText* unread : {&scratch.rawText, &scratch.taggedText, &scratch.plainText, &scratch.inputText})
        unread->MakeEmpty();
    scratch.leadingBlanks = CountLeadingBlanks(text);
    scratch.trimmedLength = LengthWithoutTrailingBlanks(text);
    if (scratch.trimmedLength == 0) scratch.leadingBlanks = 0;
    SwapTexts(scratch, text);
}

// The converted main text of the scratch line back into `text`.
void PutBackScratchLine(AnalysedLine& scratch, TextString& text) { SwapTexts(scratch, text); }

// A field of a record that runs over line ends (a line feed for each, see
// SplitLineIntoCellsByDelimiter): each of its lines is converted as a cell
// text of its own, and the lines are joined by the break that joins the
// lines of a table cell.  An empty line (a blank line of the field) stays
// as an empty line of the cell.
template <typename Convert>
void ConvertFieldLines(PreForm& engine, TextString& text, Convert& convert) {
    TextString& piece = engine.scratchBuffers.recordPiece;
    TextString& written = engine.scratchBuffers.recordField;
    const char* lineBreak = engine.CellLineBreak(kParseTable);
    written.MakeEmpty();
    const std::string_view field = text.view();
    for (size_t start = 0;;) {
        const size_t end = field.find('\n', start);
        const size_t stop = end == std::string_view::npos ? field.size() : end;
        piece.AssignChars(field.data() + start, static_cast<int>(stop - start));
        if (!piece.IsEmpty()) convert(piece);
        written.Append(piece);
        if (end == std::string_view::npos) break;
        written.Append(lineBreak);
        start = end + 1;
    }
    std::swap(text, written);
}

// Reports a line of a table whose text holds an end delimiter `close` of an
// in-line tag that no start delimiter opened (HasUnbalancedEnd).
void ReportUnbalancedEnd(PreForm& engine, const TextString& close) {
    TextString message("INFO: Unbalanced tag delimiter inside table cell :\"");
    message.Append(close);
    message.AppendChar('"');
    engine.Message(message.buffer, kLevelAlways);
}

// The settings of PreForm::ReadConversionSettings, read in line where a row
// is converted.
[[gnu::always_inline]] inline PreForm::ConversionSettings ReadConversion(const PreForm& engine) {
    PreForm::ConversionSettings settings;
    const FC* set = engine.policies;
    const TabConfig* config = ConfigOf(&engine);
    settings.references = config && config->GetInt(TabPol::ConvertXRefs);
    settings.dictionaryEmpty = set && set->GetLinkDefinitionCount() < 1;
    settings.dotsMayBeReferences = settings.references && set && set->IsOn(Pol::ExpectNumberedHeadings);
    settings.utf8Text = set && set->context && set->context->documentState.utf8Text;
    return settings;
}

// Hands `use` the conversion of a cell text for output, made for one line
// standing at `linePosition`: escaping as the reader escapes a line, then
// links, emphasis, the link dictionary and, when the table asks for it,
// section references.  The settings it needs are read beforehand (see
// ReadConversionSettings), and the code location is back as it was when
// `use` returns.
template <typename Use>
void WithCellConversion(PreForm& engine, const PreForm::ConversionSettings& settings, const PreFormLine& line,
                        const SourcePosition& linePosition, Use&& use) {
    FC* set = engine.policies;
    Context* context = set ? set->context : nullptr;
    const int references = settings.references ? 1 : 0;
    const int savedLocation = context ? context->trackers.codeLocation : kNoCodeLocation;
    if (context) context->trackers.codeLocation = kWritingOutput;

    // Most cells are words and numbers that the conversion cannot change:
    // they skip it (ConversionLeavesAlone).
    const bool dictionaryEmpty = settings.dictionaryEmpty;
    const bool dotsMayBeReferences = settings.dotsMayBeReferences;

    // One scratch line serves every cell of every row: its texts keep their
    // buffers, and each cell gives it the texts and attributes the
    // conversion reads.
    if (!engine.scratchBuffers.cellLine) engine.scratchBuffers.cellLine = std::make_unique<AnalysedLine>();
    AnalysedLine& scratch = *engine.scratchBuffers.cellLine;
    // UTF-8 text keeps its characters beyond ASCII: only the markup
    // characters call for the escaping.
    const unsigned char escapedBytes = settings.utf8Text ? kEscapedByte : kEscapedByte | kHighByte;
    // The whole conversion, for a text it may change (kept out of line).
    auto convertFully = [&](TextString& text) {
        if (context) {
            LoadScratchLine(scratch, text);
            scratch.lineType = line.lineType;
            scratch.flags = line.flags;
            scratch.position = linePosition;
            scratch.originPosition = engine.lines.OriginOf(line);
            context->trackers.output.position = linePosition;
            scratch.ConvertForOutput(*set, nullptr, 1, references, 1, 0, 1, 1);
            PutBackScratchLine(scratch, text);
            context->ForgetLine(&scratch);
            scratch.trackingContext = nullptr;  // the Context may end before the scratch line
        }
    };
    // Most cells: escaped as needed and found untouched, in line in the
    // loop over a row's cells.
    auto convert = [&](TextString & text) __attribute__((always_inline)) {
        unsigned char bytes;
        if (engine.htmlOutput) {
            bytes = LookAtCellBytes(text);
            if (bytes & escapedBytes) {
                HTML_EscapeText(set, text);
                HTML_ReferWindowsPunctuation(set, text);
                bytes = LookAtCellBytes(text);
            }
        } else {
            if (engine.rtfOutput) RTF_EscapeText(set, text);
            bytes = LookAtCellBytes(text);
        }
        const bool untouched =
            dictionaryEmpty && !text.IsEmpty() && ConversionLeavesAlone(text, bytes, dotsMayBeReferences);
        if (context && untouched)
            context->trackers.output.position = linePosition;
        else
            convertFully(text);
    };
    use(convert);
    if (context) context->trackers.codeLocation = savedLocation;
}

// Converts the text of a cell of `lineCount` lines with `convert` (of
// WithCellConversion); an empty HTML cell becomes a non-breaking space.
template <typename Convert>
void ConvertCellText(PreForm& engine, TextString& text, int lineCount, Convert& convert) {
    if (lineCount > 1)
        ConvertFieldLines(engine, text, convert);
    else if (!text.IsEmpty())
        convert(text);
    if (engine.htmlOutput && text.IsEmpty()) text.Assign("&nbsp;");
}

// Converts the text of each cell of a row for output.
void ConvertRowForOutput(PreForm& engine, TableCellRow* row, const PreFormLine& line) {
    const SourcePosition linePosition = engine.lines.PositionOf(line);
    WithCellConversion(engine, ReadConversion(engine), line, linePosition, [&](auto& convert) {
        // Padding cells without text all become what an empty cell becomes;
        // any other padding is converted cell by cell.
        TableCellRow::Padding& padding = row->PaddingCells();
        if (!padding.text.IsEmpty() || padding.fields.lineCount > 1) row->FillIn();
        const int real = row->PaddingStart();
        for (int c = 0; c < real; ++c) {
            TableCell& cell = *row->CellAt(c);
            ConvertCellText(engine, cell.text, cell.lineCount, convert);
        }
        if (real < row->Count() && engine.htmlOutput) padding.text.Assign("&nbsp;");
    });
}

// ---------------------------------------------------------------------------
// Texts without markup, and their widths

// The cell text as it reads: in-line tags removed and, for HTML, markup
// removed and "&nbsp;" made a blank; in RTF the paragraph and line breaks
// removed.  Trimmed.
void PlainCellText(FC* set, bool rtf, const TextString& text, TextString& out) {
    out = text;
    if (set) {
        RemoveInLineTags(*set, nullptr, nullptr, out, out);
        if (!rtf) RemoveTags(*set, "<", ">", nullptr, nullptr, out, out);
    }
    if (rtf) {
        out.Replace("\\par ", "", 0, 1);
        out.Replace("\\par", "", 0, 1);
        out.Replace("\\line", "", 0, 1);
    } else {
        out.Replace("&nbsp;", " ", 0, 0);
    }
    TrimBlanks(out);
}

// The font a cell is measured in: its own, else the table font of the
// Context, else a fresh record.
const FontSpec& MeasuringFont(const TableCell* cell, const PreForm* engine) {
    static const FontSpec kDefaultFont;
    if (cell && cell->font) return *cell->font;
    const FontSpec* tableFont = engine ? engine->LineFont(0) : nullptr;
    return tableFont ? *tableFont : kDefaultFont;
}

// Width of a text in points at `size`; HTML widths run 134 / 100 wider.
int64_t MeasurePoints(const char* text, const FontSpec& font, int size, bool html) {
    const int64_t em = SumCharWidths(text, font.proportional ? 0 : 1, font.bold, font.italic, 1, 0);
    int64_t points = em * size / 1000;
    if (html) points = points * 134 / 100;
    return points;
}

// Splits a cell text into its lines: at line feeds and at the line breaks of
// the output format ("<BR>" in any case for HTML; "\par " and "\line" for
// RTF).
std::vector<std::string> CellLines(const TextString& text, bool rtf) {
    TextString work(text);
    if (rtf) {
        work.Replace("\\par ", "\n", 0, 1);
        work.Replace("\\line", "\n", 0, 1);
    } else {
        work.Replace("<BR>", "\n", 0, 0);
    }
    std::vector<std::string> pieces;
    std::string_view rest = work.view();
    while (true) {
        const size_t at = rest.find('\n');
        pieces.emplace_back(rest.substr(0, at));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + 1);
    }
    return pieces;
}

// The lines the cell needs at the width its span gives it.
int CellLinesNeeded(const PreForm& engine, const TableCell* cell, int column) {
    const int span = cell->span > 0 ? cell->span : 1;
    const int width = engine.GetSpanWidth(cell, 0, column, span);
    return cell->LinesNeeded(&engine, width, 1, MeasuringFont(cell, &engine).size);
}

}  // namespace

// ---------------------------------------------------------------------------
// Signed numbers

bool IsSignedNumber(std::string_view text, bool utf8Text) {
    size_t at = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        at = 1;
    else if (utf8Text && text.substr(0, 3) == "\xE2\x88\x92")  // U+2212
        at = 3;
    else
        return false;
    size_t end = text.size();
    if (end > at && text[end - 1] == '%') --end;
    if (end <= at) return false;

    // Groups of digits parted by single "," or "."; a group is checked as
    // the separator after it is reached.
    int separators = 0;
    char firstKind = '\0';  // the first separator
    int ofFirstKind = 0;
    char lastKind = '\0';
    int firstGroup = 0;  // digits before the first separator
    bool inner = true;  // every group between two separators has three digits
    int run = 0;  // digits of the group being read
    for (size_t k = at; k < end; ++k) {
        const char c = text[k];
        if (IsAsciiDigit(static_cast<unsigned char>(c))) {
            ++run;
            continue;
        }
        if (c != ',' && c != '.') return false;
        if (run == 0 && k != at) return false;  // two separators in a row
        if (separators == 0) {
            firstGroup = run;
            firstKind = c;
        } else if (run != 3) {
            inner = false;
        }
        if (c == firstKind) ++ofFirstKind;
        lastKind = c;
        ++separators;
        run = 0;
    }
    if (run == 0) return false;  // a number ends with a digit
    // One separator is a decimal mark or a thousands separator (".5" has
    // nothing before it).
    if (separators <= 1) return true;
    if (firstGroup == 0 || firstGroup > 3 || !inner) return false;
    // Thousands separators of one kind: the last group has three digits
    // too.  Of both kinds: the thousands separators, then one decimal mark
    // of the other kind, last.
    if (ofFirstKind == separators) return run == 3;
    return lastKind != firstKind && ofFirstKind == separators - 1;
}

// ---------------------------------------------------------------------------
// TableCell

TableCell::TableCell(FC*, const SourcePosition& where, const FontSpec* cellFont) {
    font = cellFont;
    position = where;
}

void TableCell::Reset(const SourcePosition& where, const FontSpec* cellFont) { ResetCell(*this, where, cellFont); }

int TableCell::GuessAlignment(const PreForm* engine, int columnIndex, int columnWidth, const TextString& cellText,
                              int force) const {
    return GuessWholeTextAlignment(engine, ConfiguredAlignment(engine), span, columnIndex, columnWidth, cellText,
                                   force);
}

void TableCell::Unquote() {
    if (text.length < 2 || text.buffer[0] != '"' || text.buffer[text.length - 1] != '"') return;
    if (!text.FindChar(0, ',', nullptr, 1)) return;
    text.SubString(1, text.length - 2);
    text.Replace("\"\"", "\"", 0, 1);
}

void TableCell::CountLineBreaks(const PreForm* engine) {
    const bool rtf = EngineWritesRtf(engine);
    const std::string_view content = text.view();
    lineBreakCount = 0;
    // A break counts when text other than blanks follows it.
    auto restHasText = [&](size_t from) {
        for (size_t k = from; k < content.size(); ++k)
            if (!IsBlankOrTab(content[k])) return true;
        return false;
    };
    size_t at = 0;
    while (at < content.size()) {
        size_t found = std::string_view::npos;
        size_t markerLength = 0;
        if (rtf) {
            const size_t par = content.find("\\par ", at);
            const size_t line = content.find("\\line", at);
            found = std::min(par, line);
            markerLength = 5;  // both markers are five characters long
        } else {
            for (size_t k = at; k + 4 <= content.size(); ++k) {
                if (content[k] == '<' && (content[k + 1] == 'B' || content[k + 1] == 'b') &&
                    (content[k + 2] == 'R' || content[k + 2] == 'r') && content[k + 3] == '>') {
                    found = k;
                    markerLength = 4;
                    break;
                }
            }
        }
        if (found == std::string_view::npos) break;
        at = found + markerLength;
        if (!restHasText(at)) break;
        ++lineBreakCount;
    }
}

int TableCell::LinesNeeded(const PreForm* engine, int width, int useBreaks, int fontSize) const {
    if (useBreaks && lineBreakCount > 0) return lineBreakCount + 1;
    const bool rtf = EngineWritesRtf(engine);
    FC* set = engine ? engine->policies : nullptr;
    TextString plain;
    PlainCellText(set, rtf, text, plain);

    int lines = 1;
    if (width <= 0) {
        const TabConfig* config = ConfigOf(engine);
        const int configured = config ? config->columnCount : 0;
        int perLine = 20;
        if (column > 0) perLine = configured > 0 ? std::max(65 / configured, 10) : 10;
        const int cellSpan = span > 0 ? span : 1;
        lines = plain.length / (perLine * cellSpan) + 1;
        lines = std::min(lines, plain.CountChar(' ') + 1);
    } else {
        const FontSpec& font = MeasuringFont(this, engine);
        const int size = fontSize > 0 ? fontSize : font.size;
        const bool html = !rtf;
        if (MeasurePoints(plain.buffer, font, size, html) > width) {
            // Words are filled into lines of the width; a word wider than
            // the width has a line of its own.
            const int64_t blank = MeasurePoints(" ", font, size, html);
            TextString word;
            int64_t used = -1;  // -1: the current line holds nothing yet
            lines = 1;
            int k = 0;
            while (k < plain.length) {
                while (k < plain.length && IsBlankOrTab(plain.buffer[k])) ++k;
                const int start = k;
                while (k < plain.length && !IsBlankOrTab(plain.buffer[k])) ++k;
                if (k == start) break;
                word.AssignChars(plain.buffer + start, k - start);
                const int64_t wide = MeasurePoints(word.buffer, font, size, html);
                if (used < 0) {
                    used = wide;
                } else if (used + blank + wide <= width) {
                    used += blank + wide;
                } else {
                    ++lines;
                    used = wide;
                }
            }
        }
    }
    return std::max(lines, lineBreakCount + 1);
}

int TableCell::WidestLine(const PreForm* engine, FC* set, TextString* out) const {
    const bool rtf = engine ? EngineWritesRtf(engine) : SetWritesRtf(set);
    FC* policies = set ? set : (engine ? engine->policies : nullptr);
    const FontSpec& font = MeasuringFont(this, engine);
    int64_t widest = 0;
    bool first = true;
    TextString piece, plain;
    for (const std::string& line : CellLines(text, rtf)) {
        piece.AssignChars(line.data(), static_cast<int>(line.size()));
        PlainCellText(policies, rtf, piece, plain);
        const int64_t wide = MeasurePoints(plain.buffer, font, font.size, !rtf);
        if (first || wide > widest) {
            widest = wide;
            if (out) *out = plain;
            first = false;
        }
    }
    return static_cast<int>(std::min<int64_t>(widest, INT32_MAX));
}

bool TableCell::IsEffectivelyEmpty(FC* set, const PreForm* engine) const {
    // Cells the cell tags marked hold something even without text.
    if (tuMode != kCellRuleNone || dotLeaders != 0 || noCharacter != 0) return false;
    TextString joined(beforeText);
    joined.Append(text);
    joined.Append(afterText);
    if (joined.IsEmpty()) return true;
    FC* policies = set ? set : (engine ? engine->policies : nullptr);
    if (policies) RemoveInLineTags(*policies, nullptr, kLayoutOnlyTags, joined, joined);
    const bool rtf = engine ? EngineWritesRtf(engine) : SetWritesRtf(policies);
    if (!rtf) {
        joined.Replace("<BR>", "", 0, 0);
        // The cell splitter gives an empty HTML cell a non-breaking space.
        joined.Replace("&nbsp;", "", 0, 0);
    }
    TrimBlanks(joined);
    return joined.IsEmpty();
}

void TableCell::JoinBelow(FC* set, TableCell* other) {
    if (!other || other == this) return;
    const bool rtf = SetWritesRtf(set);
    const std::vector<std::string> mine = CellLines(text, rtf);
    const std::vector<std::string> theirs = CellLines(other->text, rtf);
    // Every line of either cell is kept, even when the joined-line count is
    // smaller than the lines the texts hold.
    const size_t count = std::max({static_cast<size_t>(lineCount > 0 ? lineCount : 1), mine.size(), theirs.size()});
    std::string joined;
    for (size_t k = 0; k < count; ++k) {
        if (k > 0) joined += rtf ? "\\par " : "<BR>";
        const std::string left = k < mine.size() ? mine[k] : std::string();
        const std::string right = k < theirs.size() ? theirs[k] : std::string();
        joined += left;
        if (!left.empty() && !right.empty()) joined += ' ';
        joined += right;
    }
    text.AssignChars(joined.data(), static_cast<int>(joined.size()));
    other->text.MakeEmpty();
}

// ---------------------------------------------------------------------------
// TableCellRow

void TableCellRow::RemoveRange(int lastKept, int lastRemoved) {
    if (lastKept + 1 > lastRemoved || lastKept + 1 >= Count()) return;
    FillIn();
    const int stop = lastRemoved + 1 < Count() ? lastRemoved + 1 : Count();
    cells.erase(cells.begin() + (lastKept + 1), cells.begin() + stop);
    paddingStart = Count();
}
void TableCellRow::Reset(int n, FC* set, const SourcePosition& where, const FontSpec* font) {
    cells.clear();
    for (int i = 0; i < n; ++i) cells.push_back(std::make_unique<TableCell>(set, where, font));
    paddingStart = Count();
}

TableCellRow::Padding& TableCellRow::PadFrom(int first, const TableCellFields& fields) {
    FillInBefore(first);
    paddingStart = std::clamp(first, 0, Count());
    Padding& like = *padding;
    like.fields = fields;
    like.text.MakeEmpty();
    like.numbered = false;
    like.columns = nullptr;
    like.typicalAlignment = false;
    like.defaultVAlignment = false;
    return like;
}

void TableCellRow::ReleasePaddingTexts() {
    for (int c = paddingStart; c < Count(); ++c) GiveBackLargeRoom(cells[static_cast<size_t>(c)]->text);
}

void TableCellRow::FillInBefore(int end) const {
    end = std::min(end, Count());
    const Padding& like = *padding;
    for (; paddingStart < end; ++paddingStart) {
        const int c = paddingStart;
        TableCell& cell = *cells[static_cast<size_t>(c)];
        SetCell(cell, like.fields);
        if (!like.text.IsEmpty()) AssignPiece(cell.text, like.text.buffer, like.text.length);
        if (like.numbered) cell.column = c;
        if (like.columns && c < static_cast<int>(like.columns->size())) {
            const PreFormColumn& column = *(*like.columns)[static_cast<size_t>(c)];
            if (like.typicalAlignment) cell.alignment = column.typicalAlignment;
            if (like.defaultVAlignment) cell.vAlignment = column.defaultVAlignment;
        }
    }
}

// ---------------------------------------------------------------------------
// Cutting lines into cells

bool PreForm::SplitLineIntoCells(TableCellRow* row, int lineIndex, int noConvert) {
    return isDelimited ? SplitLineIntoCellsByDelimiter(row, lineIndex, noConvert)
                       : SplitLineIntoCellsByColumns(row, lineIndex, noConvert);
}

// Cuts the layout text at the column boundaries.  A cell ends at its
// column's boundary when the character there is a blank, "*", "+", "-" or
// "|" (or lies beyond the line), or always with "Column boundaries have zero
// width"; otherwise it runs on into the next column.  A cut never falls
// inside an in-line tag.  The last column takes the rest of the line.
//
// The statistics cut every line (`noConvert`): the alignment is then guessed
// from the text itself, which is what the column's typical alignment is made
// from; for output a cell of one column takes its column's typical
// alignment.
bool PreForm::SplitLineIntoCellsByColumns(TableCellRow* row, int lineIndex, int noConvert) {
    return SplitLineIntoCellsByColumns(row, lineIndex, noConvert, ReadCutSettings());
}

bool PreForm::SplitLineIntoCellsByColumns(TableCellRow* row, int lineIndex, int noConvert,
                                          const CutSettings& settings) {
    if (!row) return false;
    PrepareRow(*this, row, lineIndex);
    std::vector<CellCut>& cuts = scratchBuffers.cuts;
    if (!CutLineAtColumns(lineIndex, noConvert, &cuts, 0, settings)) return false;
    row->FillIn();  // the cuts run over every column
    const PreFormLine& line = *lines[static_cast<size_t>(lineIndex)];
    const LineText layout = line.Layout();
    for (const CellCut& cut : cuts) {
        TableCell* cell = row->CellAt(cut.column);  // the row holds a cell per column
        cell->column = cut.column;
        cell->span = cut.span;
        cell->alignment = cut.alignment;
        AssignPiece(cell->text, layout.buffer + cut.first, cut.length);
        for (int k = cut.column + 1; k < cut.column + cut.span; ++k) {
            TableCell* covered = row->CellAt(k);
            covered->column = k;
            covered->alignment = covered->GuessAlignment(this, k, 0, covered->text, noConvert);
        }
    }
    // Text beyond the columns the detection stopped at stands in the last
    // cell; its tabs are shown as blanks.
    const bool joined = columnCut.joinedFrom >= 0 && line.length > columnCut.joinedFrom && !cuts.empty();
    if (joined) row->CellAt(cuts.back().column)->text.ReplaceChar(0, '\t', ' ', 0);

    if (!noConvert) {
        if (HasUnbalancedEnd(layout.view(), *settings.open, *settings.close))
            ReportUnbalancedEnd(*this, *settings.close);
        ConvertRowForOutput(*this, row, line);
    }
    return joined;
}

namespace {

// The cut of a cell of an ASCII line whose text runs to byte `end` (the
// last byte of its columns, or of the line) and whose last column ends at
// `boundary`: the borders at its ends cut off, the text trimmed, the
// alignment guessed from the piece when `force` is set.  Shared by the cut
// of the first cell and that of a block of one column.
[[gnu::always_inline]] inline void CutPieceOfLine(const PreForm& engine, const char* text, int length, int end,
                                                  int boundary, int span, int force,
                                                  const PreForm::CutSettings& settings, CellCut& cut) {
    int first = 0;
    int stop = std::min(end, length - 1);
    if (stop >= 0 && (text[0] == '|' || text[stop] == '|')) {
        LineBorders borders(engine, text, length, false);
        first = borders.SkipLeading(first, stop);
        stop = borders.SkipTrailing(first, stop);
    }
    cut.column = 0;
    cut.span = span;
    cut.first = 0;
    cut.length = 0;
    const int pieceLength = stop >= first ? stop - first + 1 : 0;
    int textStart = first;
    int textEnd = stop + 1;
    while (textStart < textEnd && IsBlankOrTab(text[textStart])) ++textStart;
    while (textEnd > textStart && IsBlankOrTab(text[textEnd - 1])) --textEnd;
    int leading = pieceLength;
    int trailing = pieceLength;
    if (textEnd > textStart) {
        leading = textStart - first;
        trailing = stop + 1 - textEnd;
        cut.first = textStart;
        cut.length = textEnd - textStart;
    }
    if (settings.configured == 0 && !force && span == 1)
        cut.alignment = engine.columns[0]->typicalAlignment;
    else
        cut.alignment = GuessTextAlignment(&engine, settings.configured, span, 0, boundary + 1, text + first,
                                           pieceLength, leading, trailing, force);
}

// The one cell of an ASCII line of a block of one column: the whole line,
// its borders cut off.  No boundary can end it early, so no tag is looked
// for.
[[gnu::always_inline]] inline void CutOnlyCellOfLine(const PreForm& engine, LineText layout, int force,
                                                     const PreForm::CutSettings& settings, CellCut& cut) {
    const int boundary = std::max(-1, engine.columns[0]->boundary);
    CutPieceOfLine(engine, layout.buffer, layout.length, std::max(layout.length - 1, boundary), boundary, 1, force,
                   settings, cut);
}

// CutOnlyCellOfLine into a list of one cut.  Apart from CutFirstCell, whose
// set-up a line of one column need not pay for.
[[gnu::noinline]] bool CutOnlyCellIntoCuts(const PreForm& engine, LineText layout, int force,
                                           const PreForm::CutSettings& settings, std::vector<CellCut>* cuts) {
    if (cuts->size() != 1) cuts->resize(1);
    CutOnlyCellOfLine(engine, layout, force, settings, cuts->front());
    return true;
}

// The first cell alone of a line of ASCII text (the vote over the first
// column's texts, or a block of one column): CutLineAtColumns with a limit of one cell, found by
// reading the piece itself, without the map of the whole line's blanks.
// The tags are looked for only as far as the cell's boundaries reach.  Kept
// apart from the cut of every cell, so that such a line pays for none of
// its set-up.
[[gnu::noinline]] bool CutFirstCell(const PreForm& engine, LineText layout, int force,
                                    const PreForm::CutSettings& settings, std::vector<CellCut>* cuts) {
    const char* text = layout.buffer;
    const int length = layout.length;
    const int n = static_cast<int>(engine.columns.size());
    if (n == 1) return CutOnlyCellIntoCuts(engine, layout, force, settings, cuts);
    auto boundaryAt = [&](int c) { return engine.columns[static_cast<size_t>(c)]->boundary; };
    int last = 0;
    int boundary = std::max(-1, boundaryAt(0));
    int end = boundary;
    if (n > 1) {
        TagSpans tags(layout.view(), *settings.open, *settings.close);
        while (last < n - 1 && boundary >= 0 && boundary < length &&
               !((settings.zeroWidth || EndsCellAtBoundary(text[boundary])) && !tags.Splits(boundary))) {
            ++last;
            boundary = std::max(boundary, boundaryAt(last));
            end = boundary;
        }
    }
    if (last == n - 1) end = std::max(length - 1, boundary);
    if (cuts->size() != 1) cuts->resize(1);
    CutPieceOfLine(engine, text, length, end, boundary, last + 1, force, settings, cuts->front());
    return true;
}

// CutLineAtColumns for any other line of a block of `n` columns: the cuts
// of its cells, up to `cellLimit` of them.
[[gnu::noinline]] bool CutAllCells(const PreForm& engine, const PreFormLine& line, int n, int force,
                                   std::vector<CellCut>* cuts, int cellLimit, const PreForm::CutSettings& settings) {
    const LineText layout = line.Layout();
    const char* text = layout.buffer;
    const int length = layout.length;
    // The boundaries are display positions; on a wide line each is taken as
    // the last byte of the character (with the marks that combine with it)
    // that stands there.  Beyond the text, positions and bytes run on alike.
    // The boundaries come in rising order: one walk along the line finds
    // them all, and it stops at the last one.
    const bool wide = line.wide;
    int walkedPosition = 0;  // the character at byte walkedByte starts at this display position
    int walkedByte = 0;
    // The end of the run of ASCII bytes that walkedByte stands in (below it
    // while not looked for): several boundaries in one run look for its end
    // once.
    int runEnd = -1;
    // The end of the character that ends at byte `end` - 1, with the marks
    // that combine with it.
    auto withMarks = [&](int end) { return unicode::NoPositionRunEnd(text, length, end); };
    auto boundaryByte = [&](int c) __attribute__((always_inline)) {
        const int position = engine.columns[static_cast<size_t>(c)]->boundary;
        if (position < 0) return position;
        if (position < walkedPosition) {
            walkedPosition = walkedByte = 0;
            runEnd = -1;
        }
        for (;;) {
            if (walkedByte >= length) return length + (position - walkedPosition);
            if (static_cast<unsigned char>(text[walkedByte]) >= 0x80) {
                // A character beyond ASCII, with the marks that combine with it.
                int next = walkedByte;
                const int width = unicode::NextWidth(text, length, &next);
                next = withMarks(next);
                if (position < walkedPosition + width) return next - 1;
                walkedPosition += width;
                walkedByte = next;
                continue;
            }
            // A run of ASCII: a position and a byte each character.  The walk
            // stops at the boundary's character, still in the run.
            if (runEnd < walkedByte)
                runEnd = walkedByte + static_cast<int>(unicode::AsciiPrefix(
                                          text + walkedByte, static_cast<size_t>(length - walkedByte)));
            if (position < walkedPosition + (runEnd - walkedByte)) {
                walkedByte += position - walkedPosition;
                walkedPosition = position;
                return walkedByte == runEnd - 1 ? withMarks(runEnd) - 1 : walkedByte;
            }
            walkedPosition += runEnd - walkedByte;
            walkedByte = runEnd;
        }
    };
    auto boundaryAsItStands = [&](int c) { return engine.columns[static_cast<size_t>(c)]->boundary; };
    const bool zeroWidth = settings.zeroWidth;
    const int configured = settings.configured;
    const TextString& open = *settings.open;
    const TextString& close = *settings.close;
    const int limit = cellLimit > 0 ? std::min(cellLimit, n) : n;
    // The cuts are written in place (every field of each), and the vector
    // is cut back to the cells made at the end: a pass reuses one vector,
    // which then keeps its size from line to line.
    if (cuts->size() < static_cast<size_t>(limit)) cuts->resize(static_cast<size_t>(limit));
    CellCut* const out = cuts->data();

    TagSpans tags(layout.view(), open, close);
    const NonBlankMap textBytes(text, length, open.length > 0 ? open.buffer[0] : '\0');
    if (!textBytes.HasMark()) tags.NoTags();
    LineBorders borders(engine, text, length, wide);
    // The cutting, made once for each way of reading the boundaries, so that
    // a line of ASCII text pays nothing for the wide ones, and once more for
    // the most common line: ASCII text without a tag or a "|" (`Plain`),
    // which asks neither about tags nor about borders.
    auto cutAll = [&](auto boundaryAt, auto plain) __attribute__((always_inline))->int {
        constexpr bool kPlain = decltype(plain)::value;
        int made = 0;
        int position = 0;  // first character of the next cell
        int boundary = -1;  // boundaries that go backwards are taken as the one before
        for (int c = 0; c < n && made < limit; ++made) {
            const int start = position;
            int last = c;
            boundary = std::max(boundary, boundaryAt(c));
            int end = boundary;
            while (true) {
                if (last == n - 1) {
                    end = std::max(length - 1, boundary);
                    break;
                }
                if (boundary < start) break;  // nothing of the line is left for this column
                if (boundary >= length) break;
                if ((zeroWidth || EndsCellAtBoundary(text[boundary])) && (kPlain || !tags.Splits(boundary))) break;
                ++last;
                boundary = std::max(boundary, boundaryAt(last));
                end = boundary;
            }
            position = end + 1;

            // The piece of the line, without the borders at either end.
            int first = start;
            int stop = std::min(end, length - 1);
            if (!kPlain && textBytes.HasBar()) {
                first = borders.SkipLeading(first, stop);
                stop = borders.SkipTrailing(first, stop);
            }

            // The alignment is guessed from the piece as it stands; the cell
            // text is the piece without the blanks and tabs around it.
            CellCut& cut = out[made];
            const int span = last - c + 1;
            cut.column = c;
            cut.span = span;
            cut.first = 0;
            cut.length = 0;
            const int pieceLength = stop >= first ? stop - first + 1 : 0;
            int leading = pieceLength;  // a piece of blanks only is all leading and trailing blanks
            int trailing = pieceLength;
            int textStart = 0;
            int textEnd = 0;
            if (pieceLength > 0 && textBytes.TextWithin(first, stop, &textStart, &textEnd)) {
                leading = textStart - first;
                trailing = stop + 1 - textEnd;
                cut.first = textStart;
                cut.length = textEnd - textStart;
            }
            if (configured == 0 && !force && span == 1)  // the column's typical alignment (GuessTextAlignment)
                cut.alignment = engine.columns[static_cast<size_t>(c)]->typicalAlignment;
            else
                cut.alignment = GuessTextAlignment(&engine, configured, span, c, boundary - start + 1, text + first,
                                                   pieceLength, leading, trailing, force);
            c = last + 1;
        }
        return made;
    };
    int made = 0;
    if (!wide && textBytes.Plain())
        made = cutAll(boundaryAsItStands, std::true_type{});
    else if (wide)
        made = cutAll(boundaryByte, std::false_type{});
    else
        made = cutAll(boundaryAsItStands, std::false_type{});
    if (cuts->size() != static_cast<size_t>(made)) cuts->resize(static_cast<size_t>(made));
    return true;
}

// CutLineAtColumns.  The first cell alone, and the one cell of a block of
// one column, of a line of ASCII text are cut by CutFirstCell; the cut of
// the output of a block of one column comes here too, so that a line pays
// for the set-up of neither CutLineAtColumns nor CutAllCells.
[[gnu::always_inline]] inline bool CutLine(const PreForm& engine, int lineIndex, int force,
                                           std::vector<CellCut>* cuts, int cellLimit,
                                           const PreForm::CutSettings& settings) {
    const int n = static_cast<int>(engine.columns.size());
    if (n == 0 || lineIndex < 0 || lineIndex >= static_cast<int>(engine.lines.size())) {
        cuts->clear();
        return false;
    }
    const PreFormLine& line = *engine.lines[static_cast<size_t>(lineIndex)];
    if ((cellLimit == 1 || n == 1) && !line.wide) return CutFirstCell(engine, line.Layout(), force, settings, cuts);
    return CutAllCells(engine, line, n, force, cuts, cellLimit, settings);
}

}  // namespace

bool PreForm::SplitFilledCellForOutput(TableCellRow* row, int lineIndex, int column, const CutSettings& settings,
                                       const ConversionSettings& conversion) {
    // The line must hold text in that cell alone.
    const CellCut* filled = nullptr;
    bool filledIsLast = true;
    CellCut only;
    if (row && row->Count() == 1 && CutOnlyCell(lineIndex, 0, settings, &only)) {
        if (only.length == 0 || column != 0) return SplitLineIntoCellsByColumns(row, lineIndex, 0, settings);
        filled = &only;
    } else {
        std::vector<CellCut>& cuts = scratchBuffers.cuts;
        if (!row || row->Count() != static_cast<int>(columns.size()) ||
            !CutLine(*this, lineIndex, 0, &cuts, 0, settings))
            return SplitLineIntoCellsByColumns(row, lineIndex, 0, settings);
        for (const CellCut& cut : cuts) {
            if (cut.length == 0) continue;
            if (filled || cut.column != column) return SplitLineIntoCellsByColumns(row, lineIndex, 0, settings);
            filled = &cut;
        }
        if (!filled) return SplitLineIntoCellsByColumns(row, lineIndex, 0, settings);
        filledIsLast = filled == &cuts.back();
    }
    const PreFormLine& line = *lines[static_cast<size_t>(lineIndex)];
    const LineText layout = line.Layout();
    TextString& text = row->CellAt(column)->text;
    AssignPiece(text, layout.buffer + filled->first, filled->length);
    // Text beyond the columns the detection stopped at stands in the last
    // cell; its tabs are shown as blanks.
    const bool joined = columnCut.joinedFrom >= 0 && line.length > columnCut.joinedFrom;
    if (joined && filledIsLast) text.ReplaceChar(0, '\t', ' ', 0);
    if (HasUnbalancedEnd(layout.view(), *settings.open, *settings.close))
        ReportUnbalancedEnd(*this, *settings.close);
    // The line is found by its index, not by its record's address.
    const SourcePosition linePosition = lines.Position(static_cast<size_t>(lineIndex));
    WithCellConversion(*this, conversion, line, linePosition,
                       [&](auto& convert) { ConvertCellText(*this, text, 1, convert); });
    return joined;
}

bool PreForm::CutOnlyCell(int lineIndex, int force, const CutSettings& settings, CellCut* cut) const {
    if (columns.size() != 1 || lineIndex < 0 || lineIndex >= static_cast<int>(lines.size())) return false;
    const PreFormLine& line = *lines[static_cast<size_t>(lineIndex)];
    if (line.wide) return false;
    CutOnlyCellOfLine(*this, line.Layout(), force, settings, *cut);
    return true;
}

PreForm::ConversionSettings PreForm::ReadConversionSettings() const { return ReadConversion(*this); }

PreForm::CutSettings PreForm::ReadCutSettings() const {
    static const TextString kNoDelimiter;
    CutSettings settings;
    const TabConfig* config = ConfigOf(this);
    settings.zeroWidth = config && config->GetInt(TabPol::ZeroWidthBoundaries);
    settings.configured = config ? config->GetInt(TabPol::CellAlignment) : 0;  // ConfiguredAlignment
    settings.open = policies ? &policies->GetText(Pol::StartTagDelimiter) : &kNoDelimiter;
    settings.close = policies ? &policies->GetText(Pol::EndTagDelimiter) : &kNoDelimiter;
    return settings;
}

bool PreForm::CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit) const {
    return CutLineAtColumns(lineIndex, force, cuts, cellLimit, ReadCutSettings());
}

bool PreForm::CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit,
                               const CutSettings& settings) const {
    return CutLine(*this, lineIndex, force, cuts, cellLimit, settings);
}

PreForm::TwoColumnCut PreForm::CutOfTwoColumns(int lineIndex, const CutSettings& settings) const {
    if (columns.size() != 2 || lineIndex < 0 || lineIndex >= static_cast<int>(lines.size()))
        return TwoColumnCut::kUnknown;
    const PreFormLine& line = *lines[static_cast<size_t>(lineIndex)];
    if (line.wide) return TwoColumnCut::kUnknown;
    const LineText layout = line.Layout();
    const char* text = layout.buffer;
    const int length = layout.length;
    // The first cell runs on over its boundary where the line goes on past
    // it with a character that does not end a cell (CutAllCells), or with
    // one inside a tag.
    const int boundary = std::max(-1, columns[0]->boundary);
    if (boundary >= 0 && boundary < length) {
        if (!settings.zeroWidth && !EndsCellAtBoundary(text[boundary])) return TwoColumnCut::kSpans;
        const TextString& open = *settings.open;
        if (open.length > 0 && settings.close->length > 0 &&
            std::memchr(text, open.buffer[0], static_cast<size_t>(length)))
            return TwoColumnCut::kUnknown;
    }
    // The second cell is the rest of the line: any text but a "|" fills it,
    // and a "|" may be a border that the cut takes off.
    bool bar = false;
    for (int p = boundary + 1; p < length; ++p) {
        if (text[p] == '|')
            bar = true;
        else if (!IsBlankOrTab(text[p]))
            return TwoColumnCut::kLastFilled;
    }
    return bar ? TwoColumnCut::kUnknown : TwoColumnCut::kLastEmpty;
}

// Cuts the raw text at the delimiter.  Comma fields are read (and unquoted
// once) as GetDelimitedField reads them; other delimiters cut wherever they
// stand, as the block analysis counts their fields.  Fields beyond the last
// column are appended to the last cell with their delimiters, and the tabs
// of that cell shown as blanks.  A record of several lines (see
// FindRecords) is cut whole: a field that runs over line ends holds a line
// feed for each, and counts its lines.  The cells after the last field stay
// padding: a short line of a wide table costs its fields, not the columns.
bool PreForm::SplitLineIntoCellsByDelimiter(TableCellRow* row, int lineIndex, int noConvert) {
    if (!row) return false;
    PrepareRow(*this, row, lineIndex);
    const int n = static_cast<int>(columns.size());
    if (n == 0 || lineIndex < 0 || lineIndex >= static_cast<int>(lines.size())) return false;
    const PreFormLine& line = *lines[static_cast<size_t>(lineIndex)];
    const bool severalLines = static_cast<size_t>(lineIndex) + 1 < lines.size() &&
                              lines[static_cast<size_t>(lineIndex) + 1]->continuesRecord;
    const LineText record = severalLines ? RecordRaw(lineIndex, scratchBuffers.recordText) : LineText{};
    DelimitedFieldReader reader = severalLines ? DelimitedFieldReader(record.buffer, record.length, delimiter,
                                                                      DelimiterHonoursQuotes(delimiter))
                                               : LineFields(line, delimiter, scratchBuffers.recordText);
    const LineText raw = reader.Text();
    const int configured = ConfiguredAlignment(this);
    // Each cell's alignment is guessed from its field before the field is
    // trimmed.  A field that stands as it is in the line is copied trimmed;
    // the last column's cell is done once the fields beyond it are joined
    // to it.
    auto finish = [&](TableCell& cell, int c) {
        cell.column = c;
        cell.span = 1;
        cell.alignment = GuessWholeTextAlignment(this, configured, 1, c, 0, cell.text, noConvert);
        TrimBlanks(cell.text);
        if (severalLines) cell.lineCount = 1 + cell.text.CountChar('\n');
    };
    // Where the number of fields is known, their cells are made ready at
    // once rather than one by one.
    if (const int known = reader.FieldsKnown(); known > 0) row->CellAt(std::min(known, n) - 1);
    int fields = 0;
    int start = 0;
    int end = 0;
    bool unquote = false;
    for (; fields < n && reader.NextRange(&start, &end, &unquote); ++fields) {
        TableCell& cell = *row->CellAt(fields);
        if (unquote || fields == n - 1) {
            reader.CopyField(start, end, unquote, &cell.text);
            if (fields < n - 1) finish(cell, fields);
            continue;
        }
        const char* field = raw.buffer + start;
        const int length = end - start;
        int leading = 0;
        int trailing = 0;
        CountOuterBlanks(field, length, &leading, &trailing);
        cell.column = fields;
        cell.span = 1;
        cell.alignment =
            GuessTextAlignment(this, configured, 1, fields, 0, field, length, leading, trailing, noConvert);
        AssignPiece(cell.text, field + leading, leading < length ? length - leading - trailing : 0);
        if (severalLines) cell.lineCount = 1 + cell.text.CountChar('\n');
    }
    bool joined = false;
    if (fields == n && !reader.AtEnd()) {
        TextString& last = row->CellAt(n - 1)->text;
        TextString& extra = scratchBuffers.extraField;
        while (reader.Next(&extra)) {
            last.AppendChar(delimiter);
            last.Append(extra);
        }
        last.ReplaceChar(0, '\t', ' ', 0);
        joined = true;
    }
    if (fields == n) finish(*row->CellAt(n - 1), n - 1);
    // The padding: empty cells of span 1 in their columns, aligned as an
    // empty text is (for output, by the column's typical alignment).
    TableCellRow::Padding& padding = row->PaddingCells();
    padding.numbered = true;
    padding.fields.span = 1;
    padding.fields.alignment = configured != 0 ? configured : 1;
    if (configured == 0 && !noConvert) {
        padding.columns = &columns;
        padding.typicalAlignment = true;
    }
    if (severalLines) padding.fields.lineCount = 1;
    if (!noConvert) ConvertRowForOutput(*this, row, line);
    return joined;
}

bool PreForm::CutLineAtDelimiters(int lineIndex, TextString& scratch, LineText* record,
                                  std::vector<CellCut>* cuts) const {
    cuts->clear();
    const size_t n = columns.size();
    const auto index = static_cast<size_t>(lineIndex);
    if (n == 0 || lineIndex < 0 || index >= lines.size()) return false;
    if (index + 1 < lines.size() && lines[index + 1]->continuesRecord) return false;
    DelimitedFieldReader reader = LineFields(*lines[index], delimiter, scratch);
    const LineText raw = reader.Text();
    const int configured = ConfiguredAlignment(this);
    int start = 0;
    int end = 0;
    bool unquote = false;
    while (reader.NextRange(&start, &end, &unquote)) {
        if (unquote || cuts->size() == n) {
            cuts->clear();
            return false;
        }
        CellCut& cut = cuts->emplace_back();
        cut.column = static_cast<int>(cuts->size()) - 1;
        const int length = end - start;
        int leading = 0;
        int trailing = 0;
        CountOuterBlanks(raw.buffer + start, length, &leading, &trailing);
        cut.alignment =
            GuessTextAlignment(this, configured, 1, cut.column, 0, raw.buffer + start, length, leading, trailing, 1);
        if (leading < length) {
            cut.first = start + leading;
            cut.length = length - leading - trailing;
        }
    }
    *record = raw;
    return true;
}

// ---------------------------------------------------------------------------
// Widths and vertical alignment

int PreForm::GetSpanWidth(const TableCell* cell, int ignoreStub, int firstColumn, int span) const {
    const TabConfig* config = ConfigOf(this);
    if (!config || config->columnCount <= 0 || firstColumn >= config->columnCount) return 0;
    const int format = htmlOutput ? kOutputHTML : kOutputRTF;
    if (span < 1) span = 1;
    if (firstColumn < 0) firstColumn = 0;
    // A span running past the layout ends at its last column.
    const int lastColumn =
        static_cast<int>(std::min<int64_t>(static_cast<int64_t>(firstColumn) + span - 1, config->columnCount - 1));
    int64_t width = 0;
    const ColConfig* previous = nullptr;
    for (int k = firstColumn; k <= lastColumn; ++k) {
        const ColConfig* column = config->Column(k);
        if (!column || column->hidden) continue;
        if (previous) width += previous->GetSpacing(format);
        width += column->GetWidth(format);
        previous = column;
    }
    // The stub indent of a stub-indented first column is taken off, unless
    // the caller or the cell asks to ignore it; a width that would turn
    // negative is unknown (0).
    const ColConfig* first = config->Column(firstColumn);
    if (first && !first->hidden && first->stubIndent > 0 && !ignoreStub && !(cell && cell->ignoreStub))
        width = std::max<int64_t>(0, width - first->stubIndent);
    if (format == kOutputRTF) {
        const ColConfig* gap = config->Column(lastColumn);
        if (gap) width += gap->GetSpacing(format);
    }
    return static_cast<int>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

void PreForm::CountCellLines(TableCellRow* row) {
    if (!row) return;
    for (int c = 0; c < row->Count(); ++c) ++row->GetAt(c)->lineCount;
}

int PreForm::GuessHeaderVerticalAlignment(TableCellRow* row, int* mixed) {
    if (mixed) *mixed = 0;
    if (!row) return 1;
    int multiLine = 0;
    int inFirstColumn = 0;
    for (int c = 0; c < row->Count();) {
        const TableCell* cell = row->GetAt(c);
        if (CellLinesNeeded(*this, cell, c) > 1) {
            ++multiLine;
            if (c == 0) ++inFirstColumn;
        }
        c += cell->span > 0 ? cell->span : 1;
    }
    if (multiLine == 0) return 1;
    if (multiLine != inFirstColumn) {
        if (mixed) *mixed = 1;
        if (inFirstColumn * 10 <= multiLine * 7) return 1;
    }
    return 2;
}

int PreForm::GuessRowVerticalAlignment(TableCellRow* row, int rowNumber) {
    if (!row || row->Count() == 0) return defaultVAlignment;
    const TableCell* firstCell = row->GetAt(0);
    const int firstLines = CellLinesNeeded(*this, firstCell, 0);
    int otherLines = 0;
    for (int c = firstCell->span > 0 ? firstCell->span : 1; c < row->Count();) {
        const TableCell* cell = row->GetAt(c);
        otherLines = std::max(otherLines, CellLinesNeeded(*this, cell, c));
        c += cell->span > 0 ? cell->span : 1;
    }
    int result;
    if (firstLines > 1)
        result = otherLines > 1 ? 1 : 2;
    else if (otherLines <= 1)
        result = defaultVAlignment;
    else
        result = 1;

    if (result != defaultVAlignment) {
        TextString message("INFO: Adjusting vert. alignment in row.");
        message.AppendNumber('1', rowNumber, 0);
        if (firstLines == 1) {
            TextString plain;
            PlainCellText(policies, EngineWritesRtf(this), firstCell->text, plain);
            if (plain.length > 17) {
                plain.SubString(0, 17);
                plain.Append("...");
            }
            message.Append(" for \"");
            message.Append(plain);
            message.AppendChar('"');
        }
        Message(message.buffer, kLevelWarning);
    }
    return result;
}

const FontSpec* PreForm::LineFont(int) const {
    if (!policies || !policies->context) return nullptr;
    return &policies->context->styleSet.fonts[kStyleTable];
}
