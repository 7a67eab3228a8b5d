#include "analysis/analysis_routines.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/heading_list.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "policies/fc.h"

namespace {

bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

bool IsSpecialRuleSet(const FC* set) { return set && IsRuleSet(set->ruleSetCode); }

int CodeLocation(const FC* set) {
    return (set && set->context) ? set->context->trackers.codeLocation : kNoCodeLocation;
}

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
// Bullets

namespace {

// Whether `text` holds the first character of the in-line tag delimiter.
// (An empty delimiter is found in every text.)
bool HoldsTagStart(FC& set, std::string_view text) {
    const TextString& delimiter = set.GetText(Pol::StartTagDelimiter);
    return delimiter.length == 0 || (!text.empty() && std::memchr(text.data(), delimiter.buffer[0], text.size()));
}

}  // namespace

std::string_view BulletTestText(FC* set, std::string_view lineText) {
    // Only the output pass changes the line, and only tags removed can
    // bring a later word to the front.
    if (CodeLocation(set) == 3 || (set && HoldsTagStart(*set, lineText))) return lineText;
    return lineText.substr(0, static_cast<size_t>(LeadingWordsLength(lineText)));
}

namespace {

// The closing marks of numbered, alphabetic and roman items, "(*)", entities
// ("&bull;") and the markup of superscripts, looked up by byte: the test
// runs on nearly every line, and a search for any of seven bytes costs a
// search of the seven for each byte of the text.
struct BulletMarks {
    bool holds[256] = {};
    constexpr BulletMarks() {
        for (const char* mark = ")].}/&<"; *mark; ++mark) holds[static_cast<unsigned char>(*mark)] = true;
    }
};
constexpr BulletMarks kBulletMarks;

}  // namespace

bool MayHoldBullet(FC* set, std::string_view text) {
    const bool holdsMark = std::any_of(text.begin(), text.end(),
                                       [](char c) { return kBulletMarks.holds[static_cast<unsigned char>(c)]; });
    return holdsMark || IsSpecialRuleSet(set) || (set && HoldsTagStart(*set, text));
}

#if defined(__SSE2__)
namespace {

// BulletCandidateText of a text of up to sixteen bytes with sixteen bytes
// readable from its start, outside the output pass: one look at its bytes
// finds the tag start, the end of its first word and the bullet marks in it
// (the bytes after the text are left out).
std::optional<std::string_view> ShortBulletCandidateText(FC& set, std::string_view lineText) {
    const TextString& delimiter = set.GetText(Pol::StartTagDelimiter);
    if (delimiter.length == 0) return lineText;
    const auto n = static_cast<unsigned>(lineText.size());
    const unsigned valid = (1u << n) - 1;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lineText.data()));
    const auto mask = [&v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    const auto bits = [](__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); };
    if (bits(mask(delimiter.buffer[0])) & valid) return lineText;
    const bool special = IsSpecialRuleSet(&set);
    if (n == 0 || lineText[0] == '&' || IsBlankOrTab(lineText[0])) {
        const std::string_view tested = lineText.substr(0, static_cast<size_t>(LeadingWordsLength(lineText)));
        if (special || MayHoldBullet(nullptr, tested)) return tested;
        return std::nullopt;
    }
    const unsigned blanks = bits(_mm_or_si128(mask(' '), mask('\t'))) | ~valid;
    const auto end = static_cast<unsigned>(__builtin_ctz(blanks));
    const __m128i marks =
        _mm_or_si128(_mm_or_si128(_mm_or_si128(mask(')'), mask(']')), _mm_or_si128(mask('.'), mask('}'))),
                     _mm_or_si128(_mm_or_si128(mask('/'), mask('&')), mask('<')));
    if ((bits(marks) & ((1u << end) - 1)) || special) return lineText.substr(0, end);
    return std::nullopt;
}

}  // namespace
#endif

std::optional<std::string_view> BulletCandidateText(FC* set, std::string_view lineText, int readable) {
#if defined(__SSE2__)
    constexpr int kOneLook = 16;
    if (set && readable >= kOneLook && lineText.size() <= static_cast<size_t>(kOneLook) &&
        CodeLocation(set) != kWritingOutput)
        return ShortBulletCandidateText(*set, lineText);
#else
    (void)readable;
#endif
    // The two tests above in one: the line is searched for the tag start
    // once (a front of a line without it holds none either), and a line
    // that starts with a byte other than a blank, a tab or '&' has its first
    // word for its leading words (only words of "&nbsp;" are passed over),
    // which is looked at as it is found.
    const bool tagged = set && HoldsTagStart(*set, lineText);
    if (tagged) return lineText;
    const bool special = IsSpecialRuleSet(set);
    if (CodeLocation(set) == kWritingOutput) {
        if (special || MayHoldBullet(nullptr, lineText)) return lineText;
        return std::nullopt;
    }
    if (!lineText.empty() && lineText[0] != '&' && !IsBlankOrTab(lineText[0])) {
        size_t end = 0;
        bool holdsMark = false;
        for (; end < lineText.size() && !IsBlankOrTab(lineText[end]); ++end)
            holdsMark = holdsMark || kBulletMarks.holds[static_cast<unsigned char>(lineText[end])];
        if (holdsMark || special) return lineText.substr(0, end);
        return std::nullopt;
    }
    const std::string_view tested = lineText.substr(0, static_cast<size_t>(LeadingWordsLength(lineText)));
    if (special || MayHoldBullet(nullptr, tested)) return tested;
    return std::nullopt;
}

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
    if (set && HoldsTagStart(*set, lineText.view())) {
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
            set->ReportMessage("INFO: Re-ordering tags on bullet line", kLevelTrace);
            lineText.Replace(bullet.buffer, "", 1, 1);
            lineText.Insert(0, " ");
            lineText.Insert(0, bullet.buffer);
            lineText.CollapseBlanks();
        }
    }

    if (bullet.view().find('<') != std::string_view::npos)
        for (const char* markup : {"<SUP>", "</SUP>", "<SUB>", "</SUB>"}) bullet.Replace(markup, "", 0, 0);

    int type = kLineText;
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
            if (last - first <= 2 && allowNumbered) type = kLineNumberItem;
        } else if (roman && allowRoman) {
            type = upper ? kLineCapitalRomanItem : kLineRomanItem;
        } else if (last - first == 1 && allowAlphabetic) {
            type = upper ? kLineCapitalAlphaItem : kLineAlphaItem;
        }
    }

    if (type == kLineText && IsSpecialRuleSet(set) && bullet.length == 1) type = kLineBulletItem;
    if (type == kLineText) {
        if (bullet == "(*)") {
            type = kLineBulletItem;
        } else if (bullet.length >= 2 && bullet.buffer[0] == '&' && bullet.buffer[bullet.length - 1] == ';' &&
                   !IsNonBulletEntity(bullet)) {
            type = kLineBulletItem;
            if (!(bullet == "&#149;") && set) {
                TextString message("INFO: Treating entity \"");
                message.Append(bullet);
                message.Append("\" as unordered bullet");
                set->ReportMessage(message.buffer, kLevelAlways);
            }
        }
    }
    if (type == kLineText && location == kWritingOutput && IsSpecialRuleSet(set)) {
        TextString message("WARNING: Unable to determine bullet type from : \"");
        message.Append(bullet);
        message.AppendChar('"');
        set->ReportMessage(message.buffer, kLevelWarning);
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
        if (!found && type >= kLineNumberedHeading && type <= kLineNumberedHeadingLast) {
            TextString number;
            FirstWord(key, number);
            NormaliseSectionReference(set, number);
            for (int i = 0; !found && i < headings.Count(); ++i) {
                HeadingListEntry* candidate = headings.GetAt(i);
                if (candidate->lineType == type && number.length > 0 && SameIgnoringCase(candidate->number, number))
                    found = candidate;
            }
        } else if (!found && type == kLineUnderlinedHeading) {
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
