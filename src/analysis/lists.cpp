// Lists, definitions, rulers and pre-formatted text: the line tests that
// compare a line with its neighbours.  Most of them compare indentation
// columns: a bullet's text and the lines that continue it, a term and the
// hanging text beside it, a ruler and the text it underlines.

#include "analysis/lists.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "analysis/analysed_line.h"
#include "analysis/analysis_routines.h"
#include "analysis/inline_tag_args.h"
#include "analysis/recognisers.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/utilities.h"
#include "policies/fc.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// The tracker of the current code location; outside the three locations the
// output tracker stands in (without the context's program-error message).
Tracker* CurrentTracker(FC* set) {
    if (!set || !set->context) return nullptr;
    Context* context = set->context;
    const int location = context->trackers.codeLocation;
    if (IsTrackedCodeLocation(location)) return context->pGetTracker();
    return &context->trackers.output;
}

// A permission of the current tracker; on when there is no tracker.
bool Permitted(FC* set, int slot) {
    Tracker* tracker = CurrentTracker(set);
    return !tracker || tracker->permissions[static_cast<size_t>(slot)] != 0;
}

bool IsOn(const FC* set, Pol id) { return set && set->IsOn(id); }
int GetInt(const FC* set, Pol id, int fallback) { return set ? set->GetInt(id) : fallback; }

int CountLeadingWhiteSpace(const TextString& text) {
    int n = 0;
    while (n < text.length && IsBlankOrTab(text.buffer[n])) ++n;
    return n;
}

int LengthWithoutTrailingWhiteSpace(std::string_view text) {
    int n = static_cast<int>(text.size());
    while (n > 0 && IsBlankOrTab(text[static_cast<size_t>(n - 1)])) --n;
    return n;
}

int LengthWithoutTrailingWhiteSpace(const TextString& text) { return LengthWithoutTrailingWhiteSpace(text.view()); }

bool HasNoText(const TextString& text) { return LengthWithoutTrailingWhiteSpace(text) == 0; }

// Leading blanks and trimmed length as the line keeps them, measured when
// the line has not been measured yet.
int LeadingBlanks(const AnalysedLine& line) {
    return line.leadingBlanks >= 0 ? line.leadingBlanks : (HasNoText(line) ? 0 : CountLeadingWhiteSpace(line));
}
int TrimmedLength(const AnalysedLine& line) {
    return line.trimmedLength >= 0 ? line.trimmedLength : LengthWithoutTrailingWhiteSpace(line);
}

bool IsBlankLine(const AnalysedLine* line) { return line && (line->lineType == kLineBlank || HasNoText(*line)); }

AnalysedLine* AsAnalysed(TextLine* line) { return AsAnalysedLine(line); }

// The column (in the whole text) at which word n (from 1) begins; -1 when
// the text has fewer words.
int WordColumn(const TextString& text, int n) {
    int i = 0;
    for (int word = 1;; ++word) {
        while (i < text.length && IsBlankOrTab(text.buffer[i])) ++i;
        if (i >= text.length) return -1;
        if (word == n) return i;
        while (i < text.length && !IsBlankOrTab(text.buffer[i])) ++i;
    }
}

// The length of word n (from 1); 0 when the text has fewer words.
int WordLength(const TextString& text, int n) {
    int start = WordColumn(text, n);
    if (start < 0) return 0;
    int end = start;
    while (end < text.length && !IsBlankOrTab(text.buffer[end])) ++end;
    return end - start;
}

// A text trimmed at one or both ends of blanks.
TextString Trimmed(const TextString& text, bool bothEnds) {
    int start = CountLeadingWhiteSpace(text);
    int end = bothEnds ? std::max(start, LengthWithoutTrailingWhiteSpace(text)) : text.length;
    TextString out;
    out.AssignSubstring(text.buffer, start, end - start);
    return out;
}

// The text from its first non-blank on, up to a NUL byte: what
// Trimmed(text, false) holds, read in place.
std::string_view TrimmedFront(const TextString& text) {
    const int start = CountLeadingWhiteSpace(text);
    return std::string_view(text.buffer + start,
                            strnlen(text.buffer + start, static_cast<size_t>(text.length - start)));
}

// A line whose first word is a single bullet character ("*", "-", "o" is
// not one: it is a letter).
bool IsOneCharacterBulletLine(FC* set, const AnalysedLine& line) {
    const int start = WordColumn(line, 1);
    if (start < 0 || WordLength(line, 1) != 1) return false;
    return set ? set->IsBulletChar(line.buffer[start]) != 0 : false;
}

// Empties the line's pre-formatted mark.
void ClearPreformatted(AnalysedLine& line) {
    line.SetFlag(kFlagPreformatted | kFlagPreformattedByScore, false);
    line.preFormatKind = 0;
}

// The "New Paragraph Offset" policy; -1 when unset.
int NewParagraphOffset(const FC* set) { return GetInt(set, Pol::NewParagraphOffset, -1); }

// The base column of the pre-formatted score: four past the last indent
// position, or 6 without indent positions.
int PreformattedBaseColumn(const FC* set) {
    if (!set || set->indentCount <= 0) return 6;
    const int last = std::min(set->indentCount, static_cast<int>(set->indentPositions.size())) - 1;
    return set->indentPositions[static_cast<size_t>(last)] + 4;
}

// The last indent position of the set, or -1 when there is none.
int LastIndentPosition(const FC* set) {
    if (!set || set->indentCount <= 0) return -1;
    const int last = std::min(set->indentCount, static_cast<int>(set->indentPositions.size())) - 1;
    return set->indentPositions[static_cast<size_t>(last)];
}

int FirstIndentPosition(const FC* set) {
    if (!set || set->indentCount <= 0) return -1;
    return set->indentPositions[0];
}

bool IsHeadingOrContentsType(int type) { return IsHeadingType(type) || IsContentsType(type); }

}  // namespace

// ---------------------------------------------------------------------------
// Summaries and neighbours

namespace {

// The previous line as the line tests see it (GetAnalysisPreviousLine).
inline AnalysedLine* PreviousForAnalysis(const AnalysedLine* line) { return GetAnalysisPreviousLine(line); }

}  // namespace

void SummariseLine(FC* set, const AnalysedLine* line, LineSummary& summary) {
    summary = LineSummary{};
    if (!line) return;
    summary.line = const_cast<AnalysedLine*>(line);
    summary.lineType = line->lineType;
    summary.leadingBlanks = line->leadingBlanks;
    summary.trimmedLength = line->trimmedLength;
    summary.inputTrimmedLength = LengthWithoutTrailingWhiteSpace(line->inputText.View());
    summary.plainLength = line->plainText->length;
    summary.centred = line->HasFlag(kFlagCentred);
    summary.preformatted = line->HasFlag(kFlagPreformatted);
    summary.notAnalysed = line->HasFlag(kFlagNotAnalysed);
    summary.isHeading = IsHeadingType(line->lineType);
    summary.isListItem = IsListItemType(line->lineType);
    summary.isListBlank = IsListBlankType(line->lineType);
    // The list item number counts only for a LIST_ITEM line.
    int listItem = 0;
    if (line->lineType == kStatementEndList)
        if (Tracker* tracker = CurrentTracker(set)) listItem = TrackerListItemNumber(*tracker);
    summary.isListBoundary = line->lineType == kStatementBeginList || line->lineType == kStatementListItem ||
                             (line->lineType == kStatementEndList && listItem > 0);
    summary.isShort = line->HasFlag(kFlagShortLine);
    summary.isHeaderLine = line->HasFlag(kFlagHeaderLine);
    summary.isBarLine = line->HasFlag(kFlagBarLine);
    summary.mark = line->mark;
}

// ---------------------------------------------------------------------------
// Bullets

int AnalysedLine::CheckBulletLine(FC* set) {
    if (!set || !set->IsOn(Pol::LookForBullets) || !set->bulletsExpected) return 0;
    const int blanks = LeadingBlanks(*this);
    const int lastIndent = LastIndentPosition(set);
    if (lastIndent >= 0 && blanks > lastIndent + 6) return 0;

    // The line from its first non-blank on, read in place (its buffer holds
    // two bytes more than its room: see TextString).
    const int lead = CountLeadingWhiteSpace(*this);
    const std::string_view work = view().substr(static_cast<size_t>(lead));
    if (work.empty()) return 0;
    // (The permission is asked only where it decides.)
    const auto bulletsAllowed = [set] { return Permitted(set, kPermissionBullets); };

    // "- item" (but not "- - -"), "o item", or one of the set's own bullet
    // characters followed by a blank: the second byte is a blank in each.
    if (work.size() >= 2 && work[1] == ' ' && bulletsAllowed()) {
        if (work.starts_with("- ") && work.find("- -") == std::string_view::npos) return 210;
        if (work.starts_with("o ")) return 210;
        const int own = std::min(set->bulletCount, static_cast<int>(set->bulletChars.size()));
        for (int i = 0; i < own; ++i)
            if (static_cast<unsigned char>(work[0]) == set->bulletChars[static_cast<size_t>(i)]) return 210;
    }

    // A first word of one bullet character, '-' or found only once in the
    // line, in a line that holds some letter or digit.
    if ((work.size() == 1 || IsBlankOrTab(work[1])) && set->IsBulletChar(work[0])) {
        const char c = work[0];
        const bool alphanumeric = std::any_of(work.begin(), work.end(),
                                              [](char k) { return IsAsciiAlnum(static_cast<unsigned char>(k)); });
        if ((c == '-' || std::count(work.begin(), work.end(), c) == 1) && alphanumeric)
            return bulletsAllowed() ? 210 : 0;
    }

    // Numbered, alphabetic and roman items, read from a copy of the line
    // (the type check may reorder its tags), or of as much of it as the test
    // reads.  The copies are kept from line to line, unless a long line made
    // them large.
    static TextString text, bullet;
    constexpr int kKeptCopy = 4096;
    const std::optional<std::string_view> tested = BulletCandidateText(set, work, capacity + 2 - lead);
    if (!tested) return 0;
    text.AssignChars(tested->data(), static_cast<int>(tested->size()));
    const int type = DetermineBulletType(set, text, set->IsOn(Pol::ExpectNumberedBullets) ? 1 : 0,
                                         set->IsOn(Pol::ExpectRomanNumeralBullets) ? 1 : 0,
                                         set->IsOn(Pol::ExpectAlphabeticBullets) ? 1 : 0, bullet);
    if (text.capacity > kKeptCopy) text = TextString();
    if (bullet.capacity > kKeptCopy) bullet = TextString();
    switch (type) {
        case kLineBulletItem: return bulletsAllowed() ? kLineBulletItem : 0;
        case kLineNumberItem: return Permitted(set, kPermissionNumberedItems) ? kLineNumberItem : 0;
        case kLineAlphaItem:
        case kLineCapitalAlphaItem: return Permitted(set, kPermissionAlphabeticItems) ? type : 0;
        case kLineRomanItem:
        case kLineCapitalRomanItem: return Permitted(set, kPermissionRomanItems) ? type : 0;
        default: return 0;
    }
}

void AnalysedLine::MarkListBlanksBeforeItem() {
    constexpr int kMostBlanks = 3;
    AnalysedLine* blanks[kMostBlanks] = {};
    int count = 0;
    AnalysedLine* reached = AsAnalysed(previous);
    while (reached && reached->lineType == kLineBlank && count < kMostBlanks) {
        blanks[count++] = reached;
        reached = AsAnalysed(reached->previous);
    }
    if (count == 0 || !reached || reached->lineType < kLineBulletItem || reached->lineType > kLineListMarkupOnly)
        return;
    for (int i = 0; i < count; ++i) blanks[i]->lineType = kLineListBlank;
}

// ---------------------------------------------------------------------------
// Definitions and hanging paragraphs

int AnalysedLine::CheckDefinitionLine(FC* set) {
    if (!set || lineType != kLineText || !set->IsOn(Pol::SearchForDefinitions)) return kLineNotAnalysed;
    const bool wideForm = set->dashStrong || set->colonStrong;

    // Whether to look at all depends on what came before.
    AnalysedLine* before = PreviousForAnalysis(this);
    const int previousType = before ? before->lineType : 1;
    bool look;
    if (previousType == kLineBlank || previousType == kLineDefinition || IsHeadingType(previousType))
        look = true;
    else if (previousType == kLineText)
        look = !set->IsOn(Pol::ExpectBlankLinesBetweenParas) && wideForm;
    else
        look = wideForm;
    if (!look) return kLineNotAnalysed;

    // A separator counts only before column kNone: the line is looked at no
    // further.
    constexpr int kNone = 999;
    const std::string_view line = TrimmedFront(*this);
    const std::string_view work = line.substr(0, kNone + 2);
    auto find = [&](std::string_view separator) {
        const size_t at = work.find(separator);
        return at == std::string_view::npos ? kNone : static_cast<int>(at);
    };
    const int dash = set->dashDefinition ? find(" - ") : kNone;
    const int colon = set->colonDefinition ? find(": ") : kNone;
    const int equals = find("= ");
    const int column = std::min({dash, colon, equals});
    if (column >= kNone) return kLineNotAnalysed;

    const int width = set->GetInt(Pol::PageWidth);
    const bool startsWell = !work.empty() && IsAsciiAlnum(static_cast<unsigned char>(work[0]));
    // The separator must stand near the start of the line; the wide form of
    // a separator lets it stand further in.
    auto accepted = [&](int wide) {
        if (!startsWell) return false;
        if (column * 4 < width && column <= 40) return true;
        return wide && column * 2 < width && column <= 50;
    };
    bool found = false;
    if (column == dash)
        found = accepted(set->dashStrong);
    else if (column == colon)
        found = accepted(set->colonStrong);
    else
        found = true;
    if (found) SetFlag(kFlagDefinitionSeparator, true);

    if (!HasFlag(kFlagDefinitionSeparator)) return kLineNotAnalysed;
    if (HasFlag(kFlagNotAnalysed) && !set->IsOn(Pol::AllowDefinitionsInsidePre)) return kLineNotAnalysed;
    return kLineDefinition;
}

void AnalysedLine::CheckHangingParagraph(FC* set) {
    if (!set || lineType != kLineText || NewParagraphOffset(set) >= 0) return;
    AnalysedLine* before = PreviousForAnalysis(this);
    if (!before) return;
    const int blanks = LeadingBlanks(*this);
    if (LeadingBlanks(*before) >= blanks || IsListItemType(before->lineType)) return;
    const int previousType = before->lineType;
    const bool previousPreformatted = before->HasFlag(kFlagPreformatted);
    if (!(previousType == kLineText || previousType == kLineRuler || previousType == kLineDefinition ||
          previousType == kStatementLineRule || previousPreformatted))
        return;
    // The previous line's second word must begin where this line begins.
    if (WordColumn(*before, 2) != blanks) return;

    const bool previousIsBullet = IsOneCharacterBulletLine(set, *before);
    if (!previousIsBullet) {
        AnalysedLine* earlier = AsAnalysed(before->previous);
        const bool earlierPreformatted = earlier && earlier->HasFlag(kFlagPreformatted) && !IsBlankLine(earlier);
        const std::string_view work = TrimmedFront(*this);
        const bool startsWithRule = !work.empty() && (work[0] == '=' || work[0] == '-');
        if (earlierPreformatted || !set->IsOn(Pol::LookForHangingParagraphs) || startsWithRule) return;
        bool hanging = previousType == kLineText || previousType == kLineDefinition;
        if (!hanging && previousPreformatted) {
            const int earlierType = earlier ? earlier->lineType : 1;
            hanging = earlierType == 1 || earlierType == 0;
        }
        if (hanging) {
            before->lineType = kLineDefinitionTerm;
            lineType = kLineHangingContinuation;
        }
    } else if (Permitted(set, kPermissionBullets) && set->IsOn(Pol::LookForBullets)) {
        before->lineType = kLineBulletItem;
        lineType = kLineListContinuation;
    }
}

void AnalysedLine::CheckHangingColumns(FC* set) {
    if (!set || lineType != kLineText || !set->IsOn(Pol::LookForHangingParagraphs)) return;
    // Without known hanging columns no line is one (the words are not looked at).
    const int count = std::min(set->hangingCount, static_cast<int>(set->hangingPositions.size()));
    if (count <= 0) return;
    const int first = WordColumn(*this, 1);
    const int second = WordColumn(*this, 2);
    if (first < 0 || second < 0 || second - first <= 3) return;
    for (int i = 0; i < count; ++i)
        if (set->hangingPositions[static_cast<size_t>(i)] == second) {
            lineType = kLineDefinitionTerm;
            return;
        }
}

// ---------------------------------------------------------------------------
// Rulers

namespace {

// The ruler lies close to the text above it: their starts or their ends lie
// at most 4 columns apart, and the text above has at least 3 characters.
bool LiesCloseTo(const AnalysedLine& ruler, const AnalysedLine& above) {
    const int aboveStart = LeadingBlanks(above);
    const int aboveEnd = TrimmedLength(above);
    if (aboveEnd - aboveStart < 3) return false;
    const int startDistance = std::abs(LeadingBlanks(ruler) - aboveStart);
    const int endDistance = std::abs(TrimmedLength(ruler) - aboveEnd);
    return std::min(startDistance, endDistance) <= 4;
}

// The heading style an underline character gives.
int UnderlineStyle(char c) {
    switch (c) {
        case '*': return 0;
        case '-':
        case '_':
        case '~': return 2;
        case '.': return 3;
        default: return 1;
    }
}

}  // namespace

int AnalysedLine::CheckRulerLine(FC* set) {
    if (!set || lineType != kLineText) return kLineNotAnalysed;
    // A ruler starts with a ruler character (an empty text is none).
    if (!InSet(plainText->At(CountLeadingWhiteSpace(plainText)), "*+-/=_~.")) return kLineNotAnalysed;
    const TextString ruler = Trimmed(plainText, true);

    // The lengths the ruler must cover: the whole line, with or without its
    // leading blanks, as it stands now or as it was read.
    const int blanks = LeadingBlanks(*this);
    const int lineLength = TrimmedLength(*this);
    const int inputLength = LengthWithoutTrailingWhiteSpace(inputText.View());
    auto coversLine = [&](int n) {
        return n > 0 &&
               (n == lineLength || n == lineLength - blanks || n == inputLength || n == inputLength - blanks);
    };
    if (!ruler.Find(0, "- ", nullptr, 1) && !(ruler.length > 2 && coversLine(ruler.length))) return kLineNotAnalysed;

    // A blank may stand only before a ruler character other than '+' and '.'.
    int end = 0;
    bool dotted = false, uniform = true;
    char first = '\0';
    int marks = 0;
    for (; end < ruler.length; ++end) {
        const char c = ruler.buffer[end];
        if (c == ' ') {
            if (end + 1 < ruler.length && InSet(ruler.buffer[end + 1], "*-/=_~")) continue;
            break;
        }
        if (!InSet(c, "*+-/=_~.")) break;
        if (c == '.') dotted = true;
        if (marks == 0) first = c;
        if (c != first) uniform = false;
        ++marks;
    }
    if (!coversLine(end)) return kLineNotAnalysed;
    if (dotted && (!uniform || marks < 5)) return kLineNotAnalysed;

    if (uniform) {
        SetFlag(kFlagUniformRuler, true);
    } else {
        preFormatKind = 10;
        SetFlag(kFlagPreformattedByScore | kFlagPreformatted, true);
    }

    AnalysedLine* above = PreviousForAnalysis(this);
    AnalysedLine* twoUp = above ? AsAnalysed(above->previous) : nullptr;
    if (above && IsHeadingOrContentsType(above->lineType)) {
        // A ruler under a heading: the heading is underlined, and a ruler
        // above the heading belongs to it as well.
        if (twoUp && twoUp->lineType == kLineRuler) twoUp->lineType = kLineUnderline;
        above->SetFlag(kFlagUnderlined, true);
        return kLineUnderline;
    }

    if (above && (above->lineType == kLineText || above->lineType == kLineDefinition) &&
        Permitted(set, kPermissionUnderlinedHeadings) && set->IsOn(Pol::ExpectUnderlinedHeadings) &&
        LiesCloseTo(*this, *above) && PreformattedScore(set, above, nullptr, 0) <= 8 &&
        PreformattedScore(set, AsAnalysed(next), nullptr, 0) <= 8) {
        const int style = UnderlineStyle(ruler.buffer[0]);
        TextString word;
        const int start = WordColumn(*above, 1);
        word.AssignSubstring(above->buffer, start, WordLength(*above, 1));
        above->lineType = above->CheckNumberedHeading(set, word, 1, style, 1);
        if (twoUp && twoUp->lineType == kLineRuler) twoUp->lineType = kLineUnderline;
        above->SetFlag(kFlagUnderlined, true);
        if (set->IsOn(Pol::UseFirstHeadingAsTitle) && set->context) {
            TextString& title = set->context->documentState.documentTexts[DocumentState::kDocumentTitle];
            if (title.IsEmpty()) title = Trimmed(*above, true);
        }
        return kLineUnderline;
    }

    if (above && set->IsOn(Pol::LookForUnderlinedText) && LiesCloseTo(*this, *above) &&
        std::abs(ruler.length - set->GetInt(Pol::PageWidth)) > 2) {
        above->SetFlag(kFlagUnderlined, true);
        return kLineUnderline;
    }
    return kLineRuler;
}

// ---------------------------------------------------------------------------
// Continuations

void AnalysedLine::CheckListContinuation(FC* set) {
    if (!set || lineType != kLineText || HasFlag(kFlagNotAnalysed)) return;
    AnalysedLine* before = PreviousForAnalysis(this);
    if (!before) return;
    const int blanks = LeadingBlanks(*this);
    const int previousBlanks = LeadingBlanks(*before);
    const int previousType = before->lineType;

    if (previousType == kLineListContinuation || previousType == kLineListMarkupOnly) {
        if (previousBlanks >= 0 && blanks >= previousBlanks) lineType = kLineListContinuation;
        return;
    }
    if (previousType >= kLineBulletItem && previousType <= kLineCapitalRomanItem) {
        if (previousBlanks >= 0 && blanks >= previousBlanks)
            lineType = kLineListContinuation;
        else if (set->IsOn(Pol::ExpectBlankLinesBetweenParas) && blanks == 0 &&
                 previousBlanks == NewParagraphOffset(set))
            lineType = kLineListContinuation;
        return;
    }
    if (!IsListBlankType(previousType)) return;

    // After list blanks: the list line above them decides.
    AnalysedLine* item = before;
    while (item && IsListBlankType(item->lineType)) item = AsAnalysed(item->previous);
    if (!item) return;
    const int itemBlanks = LeadingBlanks(*item);
    if (item->lineType >= kLineBulletItem && item->lineType <= kLineCapitalRomanItem) {
        const int second = WordColumn(*item, 2);
        const int third = WordColumn(*item, 3);
        if (second < 0 || third < 0) return;
        const int firstWord = item->firstWordLength >= 0 ? item->firstWordLength : WordLength(*item, 1);
        if (itemBlanks + firstWord + (third - second) == blanks + 4) lineType = kLineListContinuation;
    } else if ((item->lineType == kLineListContinuation || item->lineType == kLineListMarkupOnly) &&
               itemBlanks == blanks) {
        lineType = kLineListContinuation;
    }
}

void AnalysedLine::CheckDefinitionContinuation(FC* set) {
    if (!set || lineType != kLineText) return;
    AnalysedLine* before = PreviousForAnalysis(this);
    if (!before) return;
    const int blanks = LeadingBlanks(*this);
    const int previousBlanks = LeadingBlanks(*before);
    switch (before->lineType) {
        case kLineDefinitionTerm: {
            const int column = WordColumn(*before, 2);
            if (column > 0 && blanks == column) lineType = kLineHangingContinuation;
            break;
        }
        case kLineHangingContinuation:
            if (previousBlanks > 0 && blanks == previousBlanks) lineType = kLineHangingContinuation;
            break;
        case kLineDefinition:
            if (blanks >= previousBlanks && preFormatKind < 5) lineType = kLineDefinitionContinuation;
            break;
        case kLineDefinitionContinuation:
            if ((blanks >= previousBlanks || (blanks == 0 && previousBlanks == NewParagraphOffset(set))) &&
                preFormatKind < 5)
                lineType = kLineDefinitionContinuation;
            break;
        default: break;
    }
}

// ---------------------------------------------------------------------------
// Paragraph starts without blank lines

void AnalysedLine::CheckWhiteSpace(FC* set) {
    if (!set || lineType != kLineText || !set->IsOn(Pol::LookForWhiteSpace)) return;
    AnalysedLine* before = PreviousForAnalysis(this);
    const int offset = NewParagraphOffset(set);
    const int a = before ? LeadingBlanks(*before) : -1;
    const int b = LeadingBlanks(*this);
    const int previousType = before ? before->lineType : 1;

    const bool shifted =
        (!set->IsOn(Pol::ExpectBlankLinesBetweenParas) && previousType == kLineParagraphStart && a == b) ||
        (a != b && previousType != kLineParagraphStart && offset >= 1 && before);
    if (!shifted || !(a == 0 || a == offset)) return;

    const AnalysedLine* immediate = AsAnalysed(previous);
    const int immediateType = immediate ? immediate->lineType : 1;
    const bool startsAfter = immediateType == -4 || immediateType == -2 || immediateType == -1 ||
                             immediateType == 0 || immediateType == 1 || immediateType == 3 ||
                             IsHeadingOrContentsType(immediateType) || IsListBlankType(immediateType) ||
                             immediateType == 230;
    if (!startsAfter || b < 1 || b > 9) return;

    const AnalysedLine* following = AsAnalysed(next);
    bool start = false;
    if (!following) {
        start = true;
    } else {
        const int c = LeadingBlanks(*following);
        start = (c >= 0 && c < b) || (offset >= 1 && c == b && b == offset);
    }
    if (!start) return;
    lineType = previousType == kLineDefinitionTerm ? kLineHangingContinuation : kLineParagraphStart;
}

void AnalysedLine::CheckShortPreviousLine(FC* set) {
    if (!set || lineType != kLineText || set->IsOn(Pol::ExpectBlankLinesBetweenParas)) return;
    AnalysedLine* before = PreviousForAnalysis(this);
    AnalysedLine* following = AsAnalysed(next);
    if (!before || !following) return;
    const int width = set->GetInt(Pol::PageWidth);
    if (3 * TrimmedLength(*this) < 2 * width && 3 * TrimmedLength(*before) > 2 * width) {
        // Only a line that no earlier step has typed (a line dropped by a
        // text command or consumed by the preprocessor keeps its type).
        if (following->lineType == kLineText || following->lineType == kLineNotAnalysed)
            following->lineType = kLineParagraphStart;
    }
}

// ---------------------------------------------------------------------------
// Pre-formatted text

namespace {

struct LineShape {
    int bars = 0;  // '|', runs of '+', repeated '-', '=' or '|'
    int runs[7] = {};  // runs[k]: runs of at least k blanks (k = 2..6)
    // Whether the longest run of blanks has at least k blanks (k = 2..6).
    bool LongestAtLeast(int k) const { return runs[k] > 0; }
};

// The blanks and the other bytes the shape looks at ('|', '+', '-', '=') of
// up to 64 bytes, one bit per byte (bit i for bytes[i]); no bit beyond `n`.
// The text may be read back as far as `lowest`.
void ShapeMasks(const char* bytes, int n, const char* lowest, uint64_t& blanks, uint64_t& marks) {
    blanks = 0;
    marks = 0;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' '), bar = _mm_set1_epi8('|'), plus = _mm_set1_epi8('+');
    const __m128i dash = _mm_set1_epi8('-'), equals = _mm_set1_epi8('=');
    // Sixteen bytes from `from` give the bits from `at` on; the first `skip`
    // of them are dropped.
    auto block = [&](const char* from, int at, int skip) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i other = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, bar), _mm_cmpeq_epi8(v, plus)),
                                           _mm_or_si128(_mm_cmpeq_epi8(v, dash), _mm_cmpeq_epi8(v, equals)));
        const unsigned blankBits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank))) >> skip;
        const unsigned markBits = static_cast<unsigned>(_mm_movemask_epi8(other)) >> skip;
        blanks |= static_cast<uint64_t>(blankBits) << at;
        marks |= static_cast<uint64_t>(markBits) << at;
    };
    int i = 0;
    for (; i + 16 <= n; i += 16) block(bytes + i, i, 0);
    if (i < n) {
        const int rest = n - i;
        if (bytes + n - 16 >= lowest) {
            // The sixteen bytes that end with the last one: those before
            // `i` are dropped.
            block(bytes + n - 16, i, 16 - rest);
        } else {
            // A short text, from a copy padded with NULs (which are neither).
            char tail[16] = {};
            std::memcpy(tail, bytes + i, static_cast<size_t>(rest));
            block(tail, i, 0);
        }
    }
#else
    (void)lowest;
    for (int i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == ' ')
            blanks |= uint64_t{1} << i;
        else if (c == '|' || c == '+' || c == '-' || c == '=')
            marks |= uint64_t{1} << i;
    }
#endif
}

int CountBits(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

// The text whose shape is measured: a line's text without its leading and
// trailing white space (`n` bytes at `work`), which may be read back as far
// as `lowest`, the start of the line's text.
struct ShapeText {
    const char* work;
    int n;
    const char* lowest;
};

ShapeText ShapeTextOf(const TextString& text) {
    const int start = CountLeadingWhiteSpace(text);
    const int end = std::max(start, LengthWithoutTrailingWhiteSpace(text));
    return ShapeText{text.buffer + start, end - start, text.buffer};
}

// What the byte at `i` of the `n` bytes at `work` adds to the bars of the
// shape: a '|' one (two after another '|'), the last '+' of a run one, a
// '-' or '=' after its like one; any other byte nothing.
int BarsAt(const char* work, int n, int i) {
    const char c = work[i];
    switch (c) {
        case '|': return i > 0 && work[i - 1] == '|' ? 2 : 1;
        case '+': return i + 1 >= n || work[i + 1] != '+' ? 1 : 0;
        case '-':
        case '=': return i > 0 && work[i - 1] == c ? 1 : 0;
        default: return 0;
    }
}

LineShape MeasureShape(const ShapeText& text) {
    LineShape shape;
    const char* work = text.work;
    int n = text.n;
    // A NUL byte ends the text here as it ends a copy of it.
    if (const void* nul = std::memchr(work, '\0', static_cast<size_t>(n)))
        n = static_cast<int>(static_cast<const char*>(nul) - work);
    // The text is looked at 64 bytes at a time, as bit masks.  A run of k
    // blanks or more is a blank that follows no blank and has blanks at the
    // k - 1 places after it: every run is counted at once, the mask of the
    // next 64 bytes giving the places beyond the block.  The few marked bytes
    // are visited one by one.
    uint64_t previousBlanks = 0, blanks = 0, marks = 0, nextBlanks = 0, nextMarks = 0;
    if (n > 0) ShapeMasks(work, std::min(64, n), text.lowest, blanks, marks);
    for (int base = 0; base < n; base += 64) {
        if (base + 64 < n) {
            ShapeMasks(work + base + 64, std::min(64, n - base - 64), text.lowest, nextBlanks, nextMarks);
        } else {
            nextBlanks = 0;
            nextMarks = 0;
        }
        uint64_t runs = blanks & ~((blanks << 1) | (previousBlanks >> 63));
        for (int k = 2; k <= 6; ++k) {
            runs &= (blanks >> (k - 1)) | (nextBlanks << (65 - k));
            if (!runs) break;
            shape.runs[k] += CountBits(runs);
        }
        while (marks) {
            const int i = base + __builtin_ctzll(marks);
            marks &= marks - 1;
            shape.bars += BarsAt(work, n, i);
        }
        previousBlanks = blanks;
        blanks = nextBlanks;
        marks = nextMarks;
    }
    return shape;
}

// What a byte is to the measure of a short shape: a blank, a byte that may
// add bars, the NUL that ends the text, or any other.
enum class ShapeByte : uint8_t { kOther, kBlank, kBar, kEnd };
struct ShapeBytes {
    ShapeByte kind[256] = {};
    constexpr ShapeBytes() {
        kind[static_cast<unsigned char>(' ')] = ShapeByte::kBlank;
        for (const char* bar = "|+-="; *bar; ++bar) kind[static_cast<unsigned char>(*bar)] = ShapeByte::kBar;
        kind[0] = ShapeByte::kEnd;
    }
};
constexpr ShapeBytes kShapeBytes;

// MeasureShape of a short text, byte by byte in one pass: costs less than
// gathering its bytes into masks.  A run of blanks counts for every length
// up to its own as it ends.
LineShape MeasureShortShape(const ShapeText& text) {
    LineShape shape;
    const char* work = text.work;
    const int n = text.n;
    const auto countRun = [&shape](int run) {
        for (int k = 2; k <= std::min(run, 6); ++k) ++shape.runs[k];
    };
    int run = 0;
    for (int i = 0; i < n; ++i) {
        const ShapeByte kind = kShapeBytes.kind[static_cast<unsigned char>(work[i])];
        if (kind == ShapeByte::kBlank) {
            ++run;
            continue;
        }
        // A NUL byte ends the text here as it ends a copy of it (a '+'
        // before it is the last of its run either way).
        if (kind == ShapeByte::kEnd) break;
        if (run >= 2) countRun(run);
        run = 0;
        if (kind == ShapeByte::kBar) shape.bars += BarsAt(work, n, i);
    }
    if (run >= 2) countRun(run);
    return shape;
}

// Whether the text (without its leading and trailing white space, up to a
// NUL byte, as the shape is measured) holds a run of three blanks or more:
// a blank with blanks at the two places before it.  Sixteen bytes at a
// time, stopping at the first such run.
bool HoldsRunOfThreeBlanks(const ShapeText& text) {
#if defined(__SSE2__)
    const char* work = text.work;
    const int n = text.n;
    const __m128i blank = _mm_set1_epi8(' '), nul = _mm_setzero_si128();
    unsigned previous = 0;  // the blanks of the sixteen bytes before
    for (int i = 0; i < n; i += 16) {
        const int m = std::min(16, n - i);
        __m128i v;
        int skip = 0;
        if (m == 16) {
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(work + i));
        } else if (work + i + m - 16 >= text.lowest) {
            // The sixteen bytes that end with the last one; those before
            // `i` are dropped.
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(work + i + m - 16));
            skip = 16 - m;
        } else {
            char tail[16];
            std::memset(tail, 'x', sizeof tail);
            std::memcpy(tail, work + i, static_cast<size_t>(m));
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail));
        }
        unsigned blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank))) >> skip;
        const unsigned zeros =
            (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nul))) >> skip) & ((1u << m) - 1);
        if (zeros) blanks &= (1u << __builtin_ctz(zeros)) - 1;  // a NUL ends the text
        const unsigned oneBefore = (blanks << 1) | (previous >> 15);
        const unsigned twoBefore = (blanks << 2) | (previous >> 14);
        if (blanks & oneBefore & twoBefore) return true;
        if (zeros) return false;
        previous = blanks;
    }
    return false;
#else
    return MeasureShortShape(text).LongestAtLeast(3);
#endif
}

// The part of the score that the line's own shape gives.
int ShapeScore(FC* set, const AnalysedLine& line, int mode) {
    // In mode 1 a run of three blanks scores 7 whatever else the line holds:
    // the rest of the shape of a longer text is not measured.  A text
    // shorter than sixteen bytes (most lines of a list of words) is measured
    // whole, in one pass.
    constexpr int kShortShapeText = 16;
    const ShapeText text = ShapeTextOf(line.taggedText);
    LineShape shape;
    if (text.n < kShortShapeText) {
        shape = MeasureShortShape(text);
        if (mode == 1 && shape.LongestAtLeast(3)) return 7;
    } else {
        if (mode == 1 && HoldsRunOfThreeBlanks(text)) return 7;
        shape = MeasureShape(text);
    }
    const int h = LeadingBlanks(line);
    const int width = GetInt(set, Pol::PageWidth, 80);
    const bool justified = GetInt(set, Pol::TextJustification, 1) == 4;
    const int r2 = shape.runs[2], r3 = shape.runs[3], r4 = shape.runs[4], r5 = shape.runs[5];
    int value;
    if (mode == 1) {
        int indentClass = 2;
        if (2 * h > width)
            indentClass = 4;
        else if (3 * h > width)
            indentClass = 3;
        else if (h <= 20)
            indentClass = 0;
        if (justified) {
            value = (r5 >= 2 || r4 >= 3) ? 7 : shape.bars >= 3 ? 6 : r4 >= 2 ? 3 : indentClass;
        } else {
            value = (r3 >= 2 || r2 >= 4) ? 7 : shape.bars >= 3 ? 6 : r2 >= 3 ? 3 : indentClass;
        }
        if (shape.LongestAtLeast(3)) value = 7;
    } else {
        int indentClass = 0;
        if (2 * h > width)
            indentClass = 2;
        else if (h > 20 || 3 * h > width)
            indentClass = 1;
        if (justified) {
            value = r5 >= 3 ? 7 : (r5 < 2 && r4 < 3) ? indentClass : 3;
        } else {
            value = (r3 >= 3 || r2 >= 5) ? 7 : (r3 < 2 && r2 < 4) ? indentClass : 3;
        }
        if (shape.bars >= 4) value = 7;
        if (shape.LongestAtLeast(6)) value = 9;
    }
    return value;
}

// The part of the score that the neighbour gives; -1 when the score is 0
// at once.  `similar` says whether the blank columns are still compared.
int NeighbourScore(FC* set, const AnalysedLine& line, const AnalysedLine& neighbour, bool& compare) {
    const int base = PreformattedBaseColumn(set);
    const int blanks = LeadingBlanks(line);
    const int neighbourBlanks = LeadingBlanks(neighbour);
    compare = true;
    int d = 0;
    if (neighbour.HasFlag(kFlagPreformatted)) {
        int kind = neighbour.preFormatKind;
        const AnalysedLine* above = AsAnalysed(neighbour.previous);
        if (neighbour.lineType == kLineUnderline && above &&
            ((above->lineType >= kLineNumberedHeading && above->lineType <= kLineNumberedHeadingLast) ||
             (above->lineType >= kLineUnderlinedHeading && above->lineType <= kLineUnderlinedHeadingLast)))
            kind = 0;
        d = std::max(0, kind - 2);
        if (line.lineType == kLineText && blanks == neighbourBlanks && blanks >= base &&
            blanks > FirstIndentPosition(set)) {
            d = std::max(d, 7);
            compare = false;
        } else if (line.lineType != kLineText && blanks >= base && d <= 3) {
            d = 3;
        }
        if (d > 6) compare = false;
        return d;
    }

    const AnalysedLine* above = AsAnalysed(neighbour.previous);
    if (IsBlankLine(&line) && IsBlankLine(above)) return -1;
    if (neighbour.lineType == kLineText && above && above->HasFlag(kFlagPreformatted) && neighbourBlanks >= base &&
        LeadingBlanks(*above) >= base) {
        d = 3;
    } else if (neighbour.lineType == kLineText && above && above->lineType == kLineText) {
        const AnalysedLine* twoAbove = AsAnalysed(above->previous);
        if (twoAbove && twoAbove->HasFlag(kFlagPreformatted) && neighbourBlanks >= base &&
            LeadingBlanks(*above) >= base && LeadingBlanks(*twoAbove) >= base)
            d = 3;
    }
    return d;
}

}  // namespace

int PreformattedScore(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode) {
    if (!line) return 0;
    if (TrimmedLength(*line) > 200 || line->HasFlag(kFlagProtected)) return 0;
    // No line counts as a blank one.
    if (IsBlankLine(line) && (!neighbour || IsBlankLine(neighbour))) return 0;

    int d = 0;
    if (neighbour) {
        bool compare = true;
        d = NeighbourScore(set, *line, *neighbour, compare);
        if (d < 0) return 0;
        // Columns shared with the neighbour count from five runs of blanks
        // on: a run is a blank after a byte that is none (or at the start),
        // so five take nine bytes at least, in both texts.
        constexpr int kSharedColumnRuns = 5;
        constexpr int kShortestColumnText = 2 * kSharedColumnRuns - 1;
        if (compare && d < 7 && std::min(line->length, neighbour->length) >= kShortestColumnText) {
            double ratio = 0.0;
            int runs = 0;
            CompareBlankColumns(*line, *neighbour, ratio, runs);
            if (ratio > 0.8 && runs >= kSharedColumnRuns) d += 3;
        }
    }

    int score = std::max(d, ShapeScore(set, *line, mode));
    if (score < 5 && neighbour && IsOn(set, Pol::LookForDiagrams) &&
        IsMostlyPunctuation(neighbour->plainText->buffer)) {
        const TextString& own = line->plainText;
        const int ownStart = CountLeadingWhiteSpace(own);
        const int trimmedLength = std::max(ownStart, LengthWithoutTrailingWhiteSpace(own)) - ownStart;
        if (IsMostlyPunctuation(own.buffer))
            score = 7;
        else if (trimmedLength == 1)
            score = 5;
    }
    return std::min(score, 9);
}

void PreformattedScoreRecord::Take(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode) {
    // Written field by field into the kept record: a line's first ask costs
    // no record built aside and copied.  Fields of lines that are not there
    // keep what they held: Holds reads none of them once the line before
    // them differs.
    Inputs& in = inputs;
    in.set = set;
    in.mode = mode;
    in.line = line;
    in.neighbour = neighbour;
    if (line) {
        in.text = line->buffer;
        in.length = line->length;
        in.lineType = line->lineType;
        in.protectedMark = line->flags & kFlagProtected;
    }
    if (!neighbour) return;
    in.neighbourType = neighbour->lineType;
    in.neighbourMark = neighbour->flags & kFlagPreformatted;
    in.neighbourKind = neighbour->preFormatKind;
    const AnalysedLine* above = AsAnalysedLine(neighbour->previous);
    in.above = above;
    if (!above) return;
    in.aboveType = above->lineType;
    in.aboveMark = above->flags & kFlagPreformatted;
    const AnalysedLine* twoAbove = AsAnalysedLine(above->previous);
    in.twoAbove = twoAbove;
    if (twoAbove) in.twoAboveMark = twoAbove->flags & kFlagPreformatted;
}

bool PreformattedScoreRecord::Holds(const FC* set, const AnalysedLine* line, const AnalysedLine* neighbour,
                                    int mode) const {
    // What Take would write, compared as it is read: the second ask of a
    // line (nearly always answered here) builds no record.
    const Inputs& in = inputs;
    if (in.set != set || in.mode != mode || in.line != line || in.neighbour != neighbour) return false;
    if (line && (in.text != line->buffer || in.length != line->length || in.lineType != line->lineType ||
                 in.protectedMark != (line->flags & kFlagProtected)))
        return false;
    if (!neighbour) return true;
    if (in.neighbourType != neighbour->lineType || in.neighbourMark != (neighbour->flags & kFlagPreformatted) ||
        in.neighbourKind != neighbour->preFormatKind)
        return false;
    const AnalysedLine* above = AsAnalysedLine(neighbour->previous);
    if (in.above != above) return false;
    if (!above) return true;
    if (in.aboveType != above->lineType || in.aboveMark != (above->flags & kFlagPreformatted)) return false;
    const AnalysedLine* twoAbove = AsAnalysedLine(above->previous);
    return in.twoAbove == twoAbove && (!twoAbove || in.twoAboveMark == (twoAbove->flags & kFlagPreformatted));
}

int PreformattedScoreRecord::Score(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode) {
    if (valid && Holds(set, line, neighbour, mode)) return score;
    score = PreformattedScore(set, line, neighbour, mode);
    Take(set, line, neighbour, mode);
    valid = true;
    return score;
}

void AnalysedLine::TidyPreformatting(FC* set, PreformattedScoreRecord* record) {
    Tracker* tracker = CurrentTracker(set);
    const bool neverPreformatted = TrimmedLength(*this) > 110 || (tracker && tracker->inHTML);
    if (neverPreformatted) ClearPreformatted(*this);

    const int type = lineType;
    if ((type >= kLineText && type <= kLineParagraphStart) || type == kLineDefinition || type == kStatementPage ||
        type == kLineNotAnalysed) {
        if (neverPreformatted || HasFlag(kFlagBarLine) || !IsOn(set, Pol::LookForPreformattedText)) return;
        const AnalysedLine* neighbour = PreviousForAnalysis(this);
        const int score =
            record ? record->Score(set, this, neighbour, 1) : PreformattedScore(set, this, neighbour, 1);
        if (score > 0) {
            preFormatKind = score;
            SetFlag(kFlagPreformattedByScore | kFlagPreformatted, true);
        } else if (HasFlag(kFlagPreformattedByScore)) {
            SetFlag(kFlagPreformatted, true);
        }
        return;
    }
    ClearPreformatted(*this);
    if (type == kLineHangingContinuation || type == kLineDefinitionContinuation)
        if (AnalysedLine* before = PreviousForAnalysis(this)) ClearPreformatted(*before);
}

// ---------------------------------------------------------------------------
// LIST_ITEM tags

int GetListItemNumber(FC* set, const TextString& tagText) {
    if (!set) return 0;
    TextString name, arguments, error;
    int level = -1;
    const bool recognised = RecogniseTag(*set, tagText, name, arguments, error, level);
    // LIST_ITEM is a directive rather than an in-line tag, so the tag
    // recogniser calls it unknown; it still gives its name and arguments.
    const bool listItem = name.Matches("LIST_ITEM", 0, 0);
    if (!recognised && !listItem) {
        TextString message("TAG ERROR: ");
        message.Append(error);
        set->ReportMessage(message.buffer, kLevelAlways);
        return 0;
    }
    int number = 0;
    if (!listItem || !TryGetTagInteger(*set, arguments, 1, number)) {
        TextString message("TAG ERROR: Failed to parse: ");
        message.Append(tagText);
        set->ReportMessage(message.buffer, kLevelAlways);
        return 0;
    }
    return number;
}
