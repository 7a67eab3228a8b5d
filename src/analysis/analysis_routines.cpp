#include "analysis/analysis_routines.h"

#include <climits>
#include <cstring>

#include "analysis/heading_list.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "policies/fc.h"

namespace {

bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

bool IsSpecialRuleSet(const FC* set) { return set && (set->ruleSetCode == 1 || set->ruleSetCode == 2); }

int CodeLocation(const FC* set) { return (set && set->context) ? set->context->trackers.codeLocation : kNoCodeLocation; }

// The tracker of the current code location.  Outside the three locations
// (between files) the output tracker stands in, without the program-error
// message that the context's own lookup gives.
Tracker* CurrentTracker(FC* set) {
    if (!set || !set->context) return nullptr;
    Context* context = set->context;
    int location = context->trackers.codeLocation;
    if (IsTrackedCodeLocation(location)) return context->pGetTracker();
    return &context->trackers.output;
}

// The first blank-separated word of the text, leading blanks skipped.
void FirstWord(const TextString& text, TextString& word) {
    int start = 0;
    while (start < text.length && IsBlankOrTab(text.buffer[start])) ++start;
    int end = start;
    while (end < text.length && !IsBlankOrTab(text.buffer[end])) ++end;
    word.AssignSubstring(text.buffer, start, end - start);
}

void CountDecoration(FC* set, int countFlag, unsigned char c) {
    if (!countFlag || !set || !set->context) return;
    AnalysisStatistics& statistics = set->context->documentState.statistics;
    if (IsAsciiLetter(c))
        ++statistics.counters[kDecorationLetterCounter];
    else
        statistics.tables[kDecorationStatisticsTable].Add(c);
}

bool SameIgnoringCase(const TextString& a, const TextString& b) { return a.Matches(b.buffer, 0, 0); }

// The length of the text's leading blanks and words up to and including the
// first word that is not made of "&nbsp;" alone (in any letter case), or the
// whole text when it has no such word.
int LeadingWordsLength(std::string_view text) {
    constexpr std::string_view kNbsp = "&nbsp;";
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsBlankOrTab(text[at])) ++at;
        const size_t start = at;
        while (at < text.size() && !IsBlankOrTab(text[at])) ++at;
        bool spacesOnly = (at - start) % kNbsp.size() == 0;
        for (size_t k = start; spacesOnly && k < at; k += kNbsp.size())
            spacesOnly = CompareTextN(text.data() + k, kNbsp.data(), static_cast<int>(kNbsp.size()), 1) == 0;
        if (at > start && !spacesOnly) break;
    }
    return static_cast<int>(at);
}

// Entities that stand for letters or for symbols that are no bullets.
bool IsNonBulletEntity(const TextString& bullet) {
    for (const char* name : {"&lt;", "&gt;", "&amp;", "&sup3;", "&copy;"})
        if (bullet.Matches(name, 0, 0)) return true;
    for (const char* part : {"acute;", "grave;", "uml;", "tilde;"})
        if (bullet.Find(0, part, nullptr, 0)) return true;
    return false;
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

// ---------------------------------------------------------------------------
// Bullets

int DetermineBulletType(FC* set, TextString& lineText, int allowNumbered, int allowRoman, int allowAlphabetic,
                        TextString& bullet) {
    bullet.MakeEmpty();
    // The tracker's four list permissions are, in order: bullets, numbered,
    // alphabetic and roman items.
    if (Tracker* tracker = CurrentTracker(set)) {
        allowNumbered = allowNumbered && tracker->permissions[kAllowList2];
        allowAlphabetic = allowAlphabetic && tracker->permissions[kAllowList3];
        allowRoman = allowRoman && tracker->permissions[kAllowList4];
    }
    if (!allowNumbered && !allowRoman && !allowAlphabetic) return 0;

    // Only the first word of the line, once its tags are gone, can be the
    // bullet.  The edits below split words or turn "&nbsp;" into a blank but
    // never join two words, so they are made on the words up to the first
    // one that is more than non-breaking spaces: a long line costs no more
    // than a short one.
    // The working texts are kept from call to call (a line is typed with
    // one call or two), unless a long line made them large.
    static TextString untagged, work, candidate;
    constexpr int kKeptText = 4096;
    const TextString* source = &lineText;
    if (set && lineText.view().find(set->GetText(Pol::StartTagDelimiter).view().substr(0, 1)) != std::string_view::npos) {
        RemoveInLineTags(*set, nullptr, nullptr, lineText, untagged);
        source = &untagged;
    }
    work.AssignChars(source->buffer, LeadingWordsLength(source->view()));
    if (untagged.capacity > kKeptText) untagged = TextString();
    FirstWord(work, candidate);
    const bool markup = candidate.view().find('<') != std::string_view::npos;
    if (markup && candidate.Find(0, "</SUP>", nullptr, 0))
        work.Replace("</SUP>", "</SUP> ", 1, 0);
    else if (markup && candidate.Find(0, "</SUB>", nullptr, 0))
        work.Replace("</SUB>", "</SUB> ", 1, 0);
    else
        for (const char* spaced : {") ", "] ", "} "}) {
            const char closing[] = {spaced[0], '\0'};
            if (work.view().find(closing[0]) != std::string_view::npos) work.Replace(closing, spaced, 0, 1);
        }
    if (work.view().find('&') != std::string_view::npos) work.Replace("&nbsp;", " ", 0, 0);
    work.Trim(0, " ");
    FirstWord(work, bullet);

    const int location = CodeLocation(set);
    if (location == kWritingOutput && bullet.length > 0 && set->GetInt(Pol::ListMarkupCode) == 0) {
        TextString trimmed(lineText);
        trimmed.Trim(0, " ");
        int at = -1;
        // Only a bullet that the line really holds can be moved; one that the
        // tidying above made up (blank after a bracket) stays where it is.
        if (!trimmed.StartsWith(bullet.buffer, 1) && lineText.Find(0, bullet.buffer, &at, 1)) {
            set->ReportMessage("INFO: Re-ordering tags on bullet line", 1);
            lineText.Replace(bullet.buffer, "", 1, 1);
            lineText.Insert(0, " ");
            lineText.Insert(0, bullet.buffer);
            lineText.CollapseBlanks();
        }
    }

    if (bullet.view().find('<') != std::string_view::npos)
        for (const char* markup : {"<SUP>", "</SUP>", "<SUB>", "</SUB>"}) bullet.Replace(markup, "", 0, 0);

    int type = 0;
    int first = 0;
    while (first < bullet.length && InSet(bullet.buffer[first], "([{")) ++first;
    int last = bullet.length;
    while (last > first && InSet(bullet.buffer[last - 1], ").]}/")) --last;
    bool closed = last < bullet.length;
    bool alphanumeric = last > first;
    bool digits = true, roman = true, upper = true;
    for (int i = first; i < last; ++i) {
        unsigned char c = static_cast<unsigned char>(bullet.buffer[i]);
        if (!IsAsciiAlnum(c)) alphanumeric = false;
        if (!IsAsciiDigit(c)) digits = false;
        if (!InSet(static_cast<char>(ToUpperAscii(static_cast<char>(c))), "IVX")) roman = false;
        if (!IsAsciiUpper(c)) upper = false;
    }
    if (closed && alphanumeric) {
        if (digits) {
            if (last - first <= 2 && allowNumbered) type = 211;
        } else if (roman && allowRoman) {
            type = upper ? 215 : 213;
        } else if (last - first == 1 && allowAlphabetic) {
            type = upper ? 214 : 212;
        }
    }

    if (type == 0 && IsSpecialRuleSet(set) && bullet.length == 1) type = 210;
    if (type == 0) {
        if (bullet == "(*)") {
            type = 210;
        } else if (bullet.length >= 2 && bullet.buffer[0] == '&' && bullet.buffer[bullet.length - 1] == ';' &&
                   !IsNonBulletEntity(bullet)) {
            type = 210;
            if (!(bullet == "&#149;") && set) {
                TextString message("INFO: Treating entity \"");
                message.Append(bullet);
                message.Append("\" as unordered bullet");
                set->ReportMessage(message.buffer, 10);
            }
        }
    }
    if (type == 0 && location == kWritingOutput && IsSpecialRuleSet(set)) {
        TextString message("WARNING: Unable to determine bullet type from : \"");
        message.Append(bullet);
        message.AppendChar('"');
        set->ReportMessage(message.buffer, 7);
    }
    for (TextString* kept : {&work, &candidate})
        if (kept->capacity > kKeptText) *kept = TextString();
    return type;
}

// ---------------------------------------------------------------------------
// Known headings

int FindHeadingAnchor(const TextString& text, int headingType, FC* set, const SourcePosition& position,
                      TextString& fileName, TextString& extension, HeadingListEntry*& entry) {
    if (!set) return 0;
    const int type = HeadingList::ContentsTypeToHeadingType(headingType);
    TextString key;
    HeadingList::NormaliseText(set, text, key);
    SourcePosition where = position;
    if (!where.IsValid())
        if (Tracker* tracker = CurrentTracker(set)) where = tracker->position;

    HeadingListEntry* found = nullptr;
    if (set->context) {
        const HeadingList& headings = set->context->documentState.headings;
        int index = -1, matches = 0;
        found = headings.Find(set, key, key, where, &index, &matches);
        if (!found && type >= 101 && type <= 106) {
            TextString number;
            FirstWord(key, number);
            NormaliseSectionReference(set, number);
            for (int i = 0; !found && i < headings.Count(); ++i) {
                HeadingListEntry* candidate = headings.GetAt(i);
                if (candidate->lineType == type && number.length > 0 && SameIgnoringCase(candidate->number, number))
                    found = candidate;
            }
        } else if (!found && type == 111) {
            for (int i = 0; !found && i < headings.Count(); ++i) {
                HeadingListEntry* candidate = headings.GetAt(i);
                if (key.length > 0 && SameIgnoringCase(candidate->normalisedTitleWithoutNumber, key))
                    found = candidate;
            }
        }
    }
    if (!found) {
        set->messageText = "WARNING: Failed to match heading \"";
        set->messageText.Append(text);
        set->messageText.AppendChar('"');
        return 0;
    }
    entry = found;
    fileName = found->fileName;
    extension = set->names.outputExtension;
    return 1;
}
