#include "context/text_line_reading.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "context/context.h"
#include "foundation/text_line.h"
#include "foundation/unicode_text.h"
#include "policies/fc.h"
#include "policies/text_commands.h"

namespace {

// More than this many sample pairs are not needed to judge the encoding.
constexpr int kSamplePairLimit = 10000;
// Lines at least this long that end in '=' are taken as quoted-printable.
constexpr int kSoftBreakMinLength = 40;

// ---------------------------------------------------------------------------
// Character-encoding statistics

constexpr unsigned Pair(unsigned first, unsigned second) { return (first << 8) | second; }

bool PairIn(unsigned pair, std::initializer_list<unsigned> pairs) {
    return std::find(pairs.begin(), pairs.end(), pair) != pairs.end();
}

bool ByteIn(unsigned c, std::initializer_list<unsigned> bytes) {
    return std::find(bytes.begin(), bytes.end(), c) != bytes.end();
}

// Common letter pairs of the 8-bit encodings that the statistics look for.
const std::initializer_list<unsigned> kKoi8rPairs = {
    Pair(0xD3, 0xD4), Pair(0xC5, 0xCE), Pair(0xCE, 0xC1), Pair(0xCF, 0xD7), Pair(0xC7, 0xCF),
    Pair(0xCE, 0xCF), Pair(0xCE, 0xC9), Pair(0xCF, 0xC7), Pair(0xD0, 0xD2), Pair(0xD2, 0xC5)};
const std::initializer_list<unsigned> kCp1251Pairs = {
    Pair(0xE5, 0xED), Pair(0xF1, 0xF2), Pair(0xED, 0xE8), Pair(0xEE, 0xE2), Pair(0xF0, 0xE0),
    Pair(0xF2, 0xEE), Pair(0xEC, 0xE5), Pair(0xF2, 0xE0), Pair(0xEB, 0xE5), Pair(0xED, 0xEE)};
const std::initializer_list<unsigned> kArabicPairs = {
    Pair(0xC7, 0xE1), Pair(0xE6, 0xC7), Pair(0xED, 0xC9), Pair(0xE1, 0xDD), Pair(0xE1, 0xE3),
    Pair(0xC7, 0xE4), Pair(0xED, 0xC7), Pair(0xDD, 0xE4), Pair(0xE3, 0xC7), Pair(0xC7, 0xCA)};
const std::initializer_list<unsigned> kGreekPairs = {
    Pair(0xEF, 0xF5), Pair(0xF4, 0xEF), Pair(0xF4, 0xE7), Pair(0xF3, 0xF4), Pair(0xE9, 0xEA),
    Pair(0xE1, 0xF4), Pair(0xE1, 0xE9), Pair(0xEA, 0xE1), Pair(0xF4, 0xE5), Pair(0xEC, 0xE5)};
const std::initializer_list<unsigned> kTurkishPairs = {
    Pair(0xFD, 0x73), Pair(0x6C, 0xFD), Pair(0x6D, 0xFD), Pair(0xDD, 0x53), Pair(0x4C, 0xDD), Pair(0x4D, 0xDD),
    Pair(0xFD, 0x6D), Pair(0xFD, 0x6E), Pair(0x72, 0xFD), Pair(0x74, 0xFD), Pair(0x6E, 0xFD)};
const std::initializer_list<unsigned> kThaiPairs = {
    Pair(0xD5, 0xE8), Pair(0xCD, 0xA7), Pair(0xB7, 0xD5), Pair(0xE8, 0xCD), Pair(0xC5, 0xEC),
    Pair(0xE8, 0xD2), Pair(0xC3, 0xD1), Pair(0xD7, 0xE8), Pair(0xD1, 0xE9), Pair(0xD2, 0xC3)};
const std::initializer_list<unsigned> kKoreanPairs = {
    Pair(0xC0, 0xCC), Pair(0xB5, 0xE9), Pair(0xC0, 0xC7), Pair(0xB4, 0xC2), Pair(0xB4, 0xD9),
    Pair(0xC6, 0xAE), Pair(0xBF, 0xA1), Pair(0xC7, 0xCF), Pair(0xBC, 0xAD), Pair(0xBD, 0xBA)};
const std::initializer_list<unsigned> kHebrewPairs = {
    Pair(0xED, 0xE9), Pair(0xFA, 0xE5), Pair(0xE9, 0xF0), Pair(0xE9, 0xEE), Pair(0xFA, 0xE0),
    Pair(0xE5, 0xE4), Pair(0xE5, 0xE0), Pair(0xE0, 0xE5), Pair(0xF0, 0xE0), Pair(0xE5, 0xEE)};
const std::initializer_list<unsigned> kIso2022Pairs = {
    Pair(0x1B, '$'), Pair('$', 'B'), Pair('(', 'B'), Pair(0x1B, '('), Pair('$', '$'), Pair('$', 'N'),
    Pair('$', 'G'),  Pair('!', '#'), Pair('!', '"'), Pair('#', 0x1B), Pair('$', '^')};
// Line-drawing pairs of DOS code page 437.
const std::initializer_list<unsigned> kBoxDrawingPairs = {
    Pair(0xCD, 0xCD), Pair(0xC4, 0xC4), Pair(0xC2, 0xC4), Pair(0xC4, 0xC2), Pair(0xC4, 0xC1), Pair(0xC1, 0xC4),
    Pair(0xC4, 0xB4), Pair(0xC4, 0xC5), Pair(0xC5, 0xC4), Pair(0xB3, ' '),  Pair(' ', 0xB3)};

const std::initializer_list<unsigned> kTurkishLetters = {0xFD, 0xDD, 0xFE, 0xF6, 0xD6, 0xFC, 0xDC, 0xE7, 0xC7};
const std::initializer_list<unsigned> kMarkerBytesA = {0xD0, 0xC4, 0xB5, 0xC7, 0xCD, 0xBD, 0xBC, 0xB1, 0xC8, 0xA3};
const std::initializer_list<unsigned> kMarkerBytesB = {0xA4, 0xA1, 0xA5, 0xA6, 0xA7, 0xAA, 0xA8, 0xBA, 0xB6, 0xB0};
const std::initializer_list<unsigned> kMarkerBytesC = {0xC0, 0xB8, 0xB4, 0xC7, 0xBF, 0xBC,
                                                       0xB0, 0xC1, 0xCF, 0xB5, 0xB1};

bool InRange(unsigned c, unsigned low, unsigned high) { return c >= low && c <= high; }

// Counts every adjacent byte pair of the text into the statistics.  Only
// bytes inside the text are read: the third byte of a UTF-8 sequence is
// looked at only where the text has one.
void CountCharsetPairs(const TextString& text, CharsetStatistics& stats) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.buffer);
    int doubleByteSkip = 0;  // pairs still to pass after a counted double-byte pair
    int shiftJisSkip = 0;  // the same after a counted Shift-JIS lead pair
    int utf8Skip = 0;  // pairs still inside a counted UTF-8 sequence
    for (int i = 0; i + 1 < text.length; ++i) {
        const unsigned a = bytes[i];
        const unsigned b = bytes[i + 1];
        const unsigned pair = Pair(a, b);

        if (a != ' ') ++stats.nonBlankChars;
        if (a != b && a != ' ' && b != ' ') ++stats.samplePairs;

        // Two ASCII bytes count only as an ISO-2022 pair; the skips still run.
        if (a < 0x80 && b < 0x80) {
            if (doubleByteSkip > 0) --doubleByteSkip;
            if (shiftJisSkip > 0) --shiftJisSkip;
            if (utf8Skip > 0) --utf8Skip;
            if ((a == 0x1B || a == '$' || a == '(' || a == '!' || a == '#') && PairIn(pair, kIso2022Pairs))
                ++stats.iso2022Pairs;
            continue;
        }

        const bool trailByte = InRange(b, 0x40, 0xFD);
        if (doubleByteSkip > 0) {
            --doubleByteSkip;
        } else if (InRange(a, 0xA1, 0xFE) && trailByte) {
            ++stats.doubleBytePairs;
            doubleByteSkip = 1;
        }
        if (shiftJisSkip > 0) {
            --shiftJisSkip;
        } else if (InRange(a, 0x81, 0x9F) && trailByte) {
            ++stats.shiftJisLeadPairs;
            shiftJisSkip = 1;
        }
        if (utf8Skip > 0) {
            --utf8Skip;
        } else {
            if ((InRange(a, 0x81, 0x9F) && trailByte) ||
                (InRange(a, 0xA1, 0xFE) && trailByte && !(a >= 0xC0 && b >= 0x80)))
                ++stats.cjkPairs;
            if (InRange(a, 0xC0, 0xDF) && b >= 0x80) {
                ++stats.utf8TwoByte;
                utf8Skip = 1;
            } else if (a >= 0xE0 && b >= 0x80 && i + 2 < text.length && bytes[i + 2] >= 0x80) {
                ++stats.utf8ThreeByte;
                utf8Skip = 2;
            }
        }

        if (PairIn(pair, kKoi8rPairs)) ++stats.koi8rPairs;
        if (PairIn(pair, kCp1251Pairs)) ++stats.cp1251Pairs;
        if (PairIn(pair, kArabicPairs)) ++stats.arabicPairs;
        if (PairIn(pair, kGreekPairs)) ++stats.greekPairs;
        if (PairIn(pair, kTurkishPairs)) ++stats.turkishPairs;
        if (PairIn(pair, kThaiPairs)) ++stats.thaiPairs;
        if (PairIn(pair, kKoreanPairs)) ++stats.koreanPairs;
        if (PairIn(pair, kHebrewPairs)) ++stats.hebrewPairs;
        if (PairIn(pair, kIso2022Pairs)) ++stats.iso2022Pairs;
        if (PairIn(pair, kBoxDrawingPairs)) ++stats.boxDrawingPairs;

        if (ByteIn(a, kTurkishLetters)) ++stats.turkishLetters;
        if (ByteIn(a, kMarkerBytesA)) ++stats.markerBytesA;
        if (ByteIn(a, kMarkerBytesB)) ++stats.markerBytesB;
        if (ByteIn(a, kMarkerBytesC)) ++stats.markerBytesC;
    }
}

// The context whose statistics the acceptance test fills: attached and in
// its analysis pass (always the case during a conversion); otherwise null.
Context* StatisticsContext(const FC* set) {
    Context* context = set ? set->context : nullptr;
    return (context && context->documentState.analysisPass) ? context : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Acceptance test

int GatherCharsetStatistics(TextLine& line, FC* set) {
    LineAcceptanceState& state = GetLineAcceptanceState();

    // A form-feed line starts a page marker: it and the lines after it, the
    // marker size in all, are dropped.
    if (set && set->IsOn(Pol::InputPageMarkers) && set->GetInt(Pol::PageMarkerSize) > 0 && line.length == 1 &&
        line.buffer[0] == '\f') {
        line.MakeEmpty();
        state.lastLineDropped = 1;
        state.linesToSkip = set->GetInt(Pol::PageMarkerSize);
    }
    if (state.linesToSkip > 0) {
        line.MakeEmpty();
        --state.linesToSkip;
        state.lastLineDropped = 1;
        return 0;
    }

    // Double-spaced input: of each run of empty lines the first, third, ...
    // are the spacing and are dropped.
    if (set && set->IsOn(Pol::InputDoubleSpaced)) {
        if (line.length > 0 || state.lastLineDropped) {
            state.lastLineDropped = 0;
            return 1;
        }
        state.lastLineDropped = 1;
        return 0;
    }

    // The character-encoding statistics of 8-bit text, while they are wanted
    // and the sample is not yet large enough (tested once per line).
    Context* context = StatisticsContext(set);
    if (context && set->IsOn(Pol::LookForCharacterEncodings) && !context->documentState.utf8Text) {
        CharsetStatistics& stats = context->documentState.statistics.charset;
        const bool encodingGiven = set->IsSet(Pol::CharacterEncoding);
        const bool dosGiven = set->IsOn(Pol::InputDOSCharacters) && set->IsSet(Pol::InputDOSCharacters);
        if (stats.samplePairs < kSamplePairLimit && !encodingGiven && !dosGiven) CountCharsetPairs(line, stats);
    }

    // A quoted-printable soft line break: counted while the encoding is being
    // judged; otherwise, for MIME input, the next physical line is joined on.
    if (line.length > kSoftBreakMinLength && line.buffer[line.length - 1] == '=' &&
        line.buffer[line.length - 2] != '=') {
        if (context) {
            ++context->documentState.statistics.charset.softLineBreaks;
            return 1;
        }
        if (set && set->IsOn(Pol::InputMIME)) {
            line.AssignChars(line.buffer, line.length - 1);
            return 0;
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Text commands and tabs

void ExpandTabs(TextLine& line, FC* set) {
    if (!set || !std::memchr(line.buffer, '\t', static_cast<size_t>(line.length))) return;
    const int tabWidth = set->GetInt(Pol::TabSize);
    const bool utf8 = set->context && set->context->documentState.utf8Text;
    if (!utf8 || tabWidth < 1 || !unicode::HasNonAscii(line)) {
        line.ExpandTabs(tabWidth);
        return;
    }
    // UTF-8 text with characters beyond ASCII: tab stops are counted in the
    // positions the characters take.
    std::string result;
    result.reserve(static_cast<size_t>(line.length) + 64);
    int64_t column = 0;
    for (int i = 0; i < line.length;) {
        if (line.buffer[i] == '\t') {
            const int64_t blanks = tabWidth - column % tabWidth;
            // A line that would grow beyond the most a text may hold is
            // refused before it does.
            GrownLength(static_cast<int64_t>(result.size()), blanks + (line.length - i - 1));
            result.append(static_cast<size_t>(blanks), ' ');
            column += blanks;
            ++i;
            continue;
        }
        const int from = i;
        column += unicode::DisplayWidth(unicode::NextCharacter(line.buffer, line.length, &i));
        result.append(line.buffer + from, static_cast<size_t>(i - from));
    }
    line.AssignChars(result.data(), static_cast<int>(result.size()));
}

void ApplyTextCommands(TextLine& line, FC* set) {
    // Without text commands the line stays as it is: it is not copied to
    // and fro.
    if (set && set->GetTextCommands().count > 0) set->ApplyTextCommands(&line, &line, &line);
}
