#include "context/section_numbers.h"

#include <climits>
#include <cstring>

#include "context/context.h"
#include "policies/fc.h"

namespace {

bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

void CountDecoration(FC* set, int countFlag, unsigned char c) {
    if (!countFlag || !set || !set->context) return;
    AnalysisStatistics& statistics = set->context->documentState.statistics;
    if (IsAsciiLetter(c))
        ++statistics.counters[kDecorationLetterCounter];
    else
        statistics.tables[kDecorationStatisticsTable].Add(c);
}

}  // namespace

// ---------------------------------------------------------------------------
// Section references

void ParseSectionReference(FC* set, const TextString& text, int levelCheck, int limitCheck, TextString& normalised,
                           int& separators, int& depth, int& valid, int& withinLimit) {
    TextString work(text);
    if (work.length > 0 && InSet(work.buffer[0], "([{")) work.SubString(1, work.length - 1);
    for (char closing : {')', ']', '}'}) {
        int at = -1;
        if (work.FindChar(0, closing, &at, 1)) work.SubString(0, at);
    }
    // The trailing mark: the reference ended in a separator or in ".0"
    // ("3.2." and "3.2.0" both stand for one level below 3.2's parent).
    bool trailingMark = false;
    if (work.length > 0 && InSet(work.buffer[work.length - 1], ").:]}")) {
        trailingMark = work.buffer[work.length - 1] == '.';
        work.SubString(0, work.length - 1);
    }
    if (work.length >= 2 && InSet(work.buffer[work.length - 1], "-.")) {
        work.SubString(0, work.length - 1);
        trailingMark = true;
    } else if (work.length > 2 && work.buffer[work.length - 2] == '.' && work.buffer[work.length - 1] == '0') {
        work.SubString(0, work.length - 2);
        trailingMark = true;
    }
    normalised = work;
    separators = -1;
    depth = -1;
    valid = 0;
    withinLimit = 0;
    if (!levelCheck) return;

    int count = 0;
    int run = 0;
    bool digit = false;
    bool letter = false;
    bool walked = true;
    for (int i = 0; i < work.length; ++i) {
        unsigned char c = static_cast<unsigned char>(work.buffer[i]);
        if (c == '.' || c == '-') {
            if (i == 0) {
                walked = false;
                break;
            }
            ++count;
            run = 0;
        } else if (IsAsciiAlnum(c)) {
            if (++run > 3) {
                walked = false;
                break;
            }
            digit = digit || IsAsciiDigit(c);
            letter = letter || IsAsciiLetter(c);
        } else {
            walked = false;
            break;
        }
    }
    valid = (walked && digit && !letter && count < 6 && (count > 0 || trailingMark)) ? 1 : 0;
    if (!valid) return;
    separators = count;
    depth = count + (trailingMark ? 1 : 0);
    if (limitCheck) {
        int limit = set ? set->recognisedHeadings : 0;
        withinLimit = (limit <= 0 || count + 1 <= limit) ? 1 : 0;
    }
}

void NormaliseSectionReference(FC* set, TextString& text) {
    TextString normalised;
    int separators = -1, depth = -1, valid = 0, withinLimit = 0;
    ParseSectionReference(set, text, 0, 0, normalised, separators, depth, valid, withinLimit);
    text = normalised;
}

void TrimReferenceEnd(FC*, const TextString& word, TextString& core) {
    int start = 0;
    while (start < word.length && InSet(word.buffer[start], "({[")) ++start;
    int end = word.length;
    bool changed = true;
    while (changed) {
        changed = false;
        while (end > start && InSet(word.buffer[end - 1], ")]};:,.*")) {
            --end;
            changed = true;
        }
        if (end - start >= 4 && CompareTextN(word.buffer + end - 4, "<BR>", 4, 1) == 0) {
            end -= 4;
            changed = true;
        }
    }
    core.AssignSubstring(word.buffer, start, end - start);
}

void StripNumberDecoration(FC* set, TextString& text, char& separator, int countFlag) {
    separator = text.FindChar(0, '-', nullptr, 1) ? '-' : '.';
    int start = 0;
    int end = text.length;
    for (;;) {
        if (start < end && InSet(text.buffer[start], "<([{*")) {
            CountDecoration(set, countFlag, static_cast<unsigned char>(text.buffer[start]));
            ++start;
        } else if (end - start >= 4 && CompareTextN(text.buffer + start, "&lt;", 4, 1) == 0) {
            CountDecoration(set, countFlag, '<');
            start += 4;
        } else {
            break;
        }
    }
    for (;;) {
        unsigned char last = end > start ? static_cast<unsigned char>(text.buffer[end - 1]) : 0;
        if (end > start && (InSet(static_cast<char>(last), ">)]}*") || IsAsciiLetter(last))) {
            CountDecoration(set, countFlag, last);
            --end;
        } else if (end - start >= 4 && CompareTextN(text.buffer + end - 4, "&gt;", 4, 1) == 0) {
            CountDecoration(set, countFlag, '>');
            end -= 4;
        } else {
            break;
        }
    }
    if (start > 0 || end < text.length) text.SubString(start, end - start);
}

// ---------------------------------------------------------------------------
// Section numbers of headings

int ParseSectionField(const char* field, char separator) {
    if (!field) return -1;
    int end = 0;
    for (; field[end] && field[end] != separator && !IsBlankOrTab(field[end]); ++end) {
        unsigned char c = static_cast<unsigned char>(field[end]);
        if (!IsAsciiDigit(c) && c != ':' && c != ')') return -1;
    }
    int i = 0;
    while (i < end && field[i] == '0') ++i;
    if (i == end || !IsAsciiDigit(static_cast<unsigned char>(field[i]))) return i > 0 ? 0 : -1;
    // The value is range-checked: one that does not fit counts as a number
    // above 1700, which no heading may carry.
    long long value = 0;
    for (; i < end && IsAsciiDigit(static_cast<unsigned char>(field[i])); ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > INT_MAX) return kSectionNumberOutOfRange;
    }
    return static_cast<int>(value);
}

bool ParseSectionNumber(FC* set, const TextString& word, char separator, const int* currentNumbers, int* lowestSeen,
                        std::array<int, 6>& levels, int& deepestLevel) {
    levels.fill(-1);
    deepestLevel = -1;
    if (word.length == 0 || !IsAsciiDigit(static_cast<unsigned char>(word.buffer[0]))) return false;
    if (set && !set->IsOn(Pol::ExpectNumberedHeadings)) return false;

    int end = 0;
    int count = 0;
    for (; end < word.length && !IsBlankOrTab(word.buffer[end]); ++end) {
        if (word.buffer[end] != separator) continue;
        if (++count >= 6) return false;
        if (word.buffer[end - 1] == separator) return false;
    }
    int levelCount = count + 1;
    int start = 0;
    for (int level = 0; level < levelCount; ++level) {
        levels[static_cast<size_t>(level)] = ParseSectionField(word.buffer + start, separator);
        while (start < end && word.buffer[start] != separator) ++start;
        ++start;
    }
    auto drop = [&](int level) {
        levels[static_cast<size_t>(level)] = -1;
        if (lowestSeen && lowestSeen[level] < 0) lowestSeen[level] = 0;
        --levelCount;
    };
    if (word.buffer[end - 1] == separator) drop(levelCount - 1);
    if (levelCount >= 2 && levels[static_cast<size_t>(levelCount - 1)] == 0) {
        int above = levels[static_cast<size_t>(levelCount - 2)];
        if (!currentNumbers || currentNumbers[levelCount - 2] != above) drop(levelCount - 1);
    }
    deepestLevel = levelCount - 1;
    return true;
}
