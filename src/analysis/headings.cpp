#include "analysis/headings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/analysed_line.h"
#include "analysis/analysis_routines.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// Whether the word that starts at `i` (it ends at the first blank or tab, or
// at `n`) holds a digit.  Sixteen bytes are looked at together while that
// many are left.
bool FirstWordHoldsDigit(const char* bytes, int i, int n) {
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
    const __m128i belowZero = _mm_set1_epi8('0' - 1), aboveNine = _mm_set1_epi8('9' + 1);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const unsigned ends =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab))));
        // Signed compares: bytes from 128 up are negative, below '0'.
        const unsigned digits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(v, belowZero), _mm_cmplt_epi8(v, aboveNine))));
        if (ends) return (digits & ((1u << __builtin_ctz(ends)) - 1)) != 0;
        if (digits) return true;
    }
#endif
    for (; i < n && !IsBlankOrTab(bytes[i]); ++i)
        if (IsAsciiDigit(static_cast<unsigned char>(bytes[i]))) return true;
    return false;
}

}  // namespace

namespace {

using HeadingState = DocumentState::HeadingState;

// Which of a tracker's three heading permissions (ALLOW/DISALLOW
// "Headings") stands for which kind of heading.
constexpr int kNumberedHeadingPermission = kAllowHeading1;
constexpr int kUnderlinedHeadingPermission = kAllowHeading2;

// Numbers above this are years, not section numbers.
constexpr int kLargestSectionNumber = 1700;

// The tracker of the running code location; the line-analysis tracker when
// no location is set (the tests of this file belong to the line analysis).
Tracker& CurrentTracker(Context& context) {
    int location = context.trackers.codeLocation;
    if (IsTrackedCodeLocation(location)) return *context.pGetTracker();
    return context.trackers.analysis;
}

bool IsRtfOutput(const Context& context) { return context.documentState.rtfOutput != 0; }

bool IsSkippedType(int type) {
    return type == kLineBlank || type == kLineIgnored || type == kLineUnderline || type == kLineConsumed;
}

AnalysedLine* PreviousOf(const TextLine* line) { return line ? AsAnalysedLine(line->previous) : nullptr; }

void Tell(FC* set, AnalysedLine& line, const TextString& text, int level) {
    if (set && set->context) line.LineMessage(*set->context, text, level);
}

void FirstWord(const TextString& text, int from, TextString& word, int* end = nullptr) {
    int start = from;
    while (start < text.length && IsBlankOrTab(text.buffer[start])) ++start;
    int stop = start;
    while (stop < text.length && !IsBlankOrTab(text.buffer[stop])) ++stop;
    word.AssignSubstring(text.buffer, start, stop - start);
    if (end) *end = stop;
}

// "2.1" as the message texts quote it.
TextString QuotedNumber(const std::array<int, 6>& levels, int deepest) {
    TextString number;
    FormatSectionNumber(levels, deepest, number);
    TextString quoted("\"");
    quoted.Append(number);
    quoted.AppendChar('"');
    return quoted;
}

// The non-negative value of a decimal text such as a key-phrase level; 0
// when it holds no digits, INT_MAX when it does not fit.
int ReadLevelNumber(const TextString& text) {
    int i = 0;
    while (i < text.length && IsBlankOrTab(text.buffer[i])) ++i;
    bool negative = i < text.length && text.buffer[i] == '-';
    if (negative) ++i;
    long long value = 0;
    for (; i < text.length && IsAsciiDigit(static_cast<unsigned char>(text.buffer[i])); ++i) {
        value = value * 10 + (text.buffer[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
            break;
        }
    }
    return negative ? -static_cast<int>(value) : static_cast<int>(value);
}

}  // namespace

// ---------------------------------------------------------------------------
// Comparing a section number with the current numbering

SectionComparison CompareSectionNumbers(FC* set, const std::array<int, 6>& levels, int deepest) {
    SectionComparison result;
    if (!set || !set->context || deepest < 0) return result;
    const HeadingState& state = set->context->documentState.headingState;
    const int last = std::min(deepest, 5);
    const int first = set->GetInt(Pol::FirstSectionNumber);

    result.fresh = true;
    result.plausibleFirst = levels[0] <= first;
    result.parentsEqual = true;
    result.withinLowest = true;
    for (int k = 0; k <= last; ++k) {
        const size_t i = static_cast<size_t>(k);
        if (state.current[i] >= 0) result.fresh = false;
        if (k > 0 && levels[i] > 1) result.plausibleFirst = false;
        if (k < last && levels[i] != state.current[i]) result.parentsEqual = false;
        if (state.lowest[i] >= 0 && levels[i] > state.lowest[i]) result.withinLowest = false;
    }
    if (last == 0)
        result.startsSequence = levels[0] <= first && levels[0] >= state.current[0];
    else
        result.startsSequence = levels[static_cast<size_t>(last)] <= 1;
    return result;
}

void FormatSectionNumber(const std::array<int, 6>& levels, int deepest, TextString& out) {
    out.MakeEmpty();
    for (int k = 0; k <= deepest && k < 6; ++k) {
        int value = levels[static_cast<size_t>(k)];
        if (value < 0) continue;
        if (out.length > 0) out.AppendChar('.');
        out.Append(TextString(value));
    }
}

// ---------------------------------------------------------------------------
// Contents list

void EndContentsList(FC* set, AnalysedLine* line) {
    if (set && set->context) {
        HeadingState& state = set->context->documentState.headingState;
        state.contentsActive = 0;
        state.contentsEnded = 1;
    }
    if (line) line->SetFlag(kFlagInContentsList, false);
}

void UpdateContentsListBoundary(FC* set, AnalysedLine& line) {
    if (!set || !set->context) return;
    HeadingState& state = set->context->documentState.headingState;
    if (state.contentsGate != 0 || state.contentsLocked) return;

    if (!state.contentsActive && !state.contentsEnded && set->IsOn(Pol::ExpectContentsList)) {
        int start = 0;
        while (start < line.length && IsBlankOrTab(line.buffer[start])) ++start;
        // Every opening starts with "T", "I" or "C" (in either case).
        const char first = ToUpperAscii(line.At(start));
        if (first == 'T' || first == 'I' || first == 'C') {
            // The text from its first word on (up to a NUL byte, as a copy of
            // it would hold), compared in place without regard to case.
            const char* const text = line.buffer + start;
            const size_t available = strnlen(text, static_cast<size_t>(line.length - start));
            for (std::string_view opening : {std::string_view("Table of Contents"), std::string_view("Index of"),
                                             std::string_view("Contents"), std::string_view("C O N T E N T S")}) {
                if (available < opening.size()) continue;
                size_t j = 0;
                while (j < opening.size() && ToUpperAscii(text[j]) == ToUpperAscii(opening[j])) ++j;
                if (j == opening.size()) {
                    state.contentsActive = 1;
                    break;
                }
            }
        }
    }
    if (!state.contentsEnded && state.current[0] > 0 && state.lastContentsPosition.line > 0 &&
        line.position.line > state.lastContentsPosition.line + 7)
        EndContentsList(set, &line);
}

// ---------------------------------------------------------------------------
// Key-phrase headings

int FindKeyPhraseHeading(FC* set, const AnalysedLine& line) {
    if (!set) return 0;
    const TextString& phrases = set->GetText(Pol::HeadingKeyPhrases);
    if (phrases.length == 0) return 0;
    if (line.HasFlag(kFlagProtected) || line.HasFlag(kFlagPreformatted)) return 0;

    TextString arguments("HEADING_KEYPHRASES ");
    arguments.Append(phrases);
    if (!ParseTagArguments(*set, arguments, "HEADING_KEYPHRASES")) return 0;

    int start = 0;
    while (start < line.plainText->length && IsBlankOrTab(line.plainText->buffer[start])) ++start;
    TextString text;
    text.AssignSubstring(line.plainText->buffer, start, line.plainText->length - start);

    int level = 1;
    TextString argument;
    for (int n = 1; GetTagArgument(*set, arguments, n, argument); ++n) {
        TextString list;
        if (!GetTagString(*set, arguments, n, list, false, nullptr)) list = argument;
        int comma = -1;
        if (list.FindChar(0, ',', &comma, 1)) {
            TextString number;
            number.AssignSubstring(list.buffer, comma + 1, list.length - comma - 1);
            level = ReadLevelNumber(number);
            list.SubString(0, comma);
        } else if (n == 1) {
            level = 1;
        }
        // A level outside 1-6 would make a line type outside the key-phrase
        // range; it is held to the nearest level there is.
        level = std::clamp(level, 1, 6);
        list.Trim(0, " ");
        int position = 0;
        TextString phrase;
        while (position <= list.length) {
            int bar = -1;
            if (!list.FindChar(position, '|', &bar, 1)) bar = list.length;
            phrase.AssignSubstring(list.buffer, position, bar - position);
            // An empty phrase ("a||b") would match every line.
            if (phrase.length > 0 && text.StartsWith(phrase.buffer, 1)) return 130 + level;
            position = bar + 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Heading splits

bool ShouldBreakBeforeHeading(int lineType, FC* set, AnalysedLine* line, int& chapter) {
    chapter = -1;
    if (!set || !set->context || !line) return false;
    Context& context = *set->context;
    HeadingState& state = context.documentState.headingState;
    const int lineCount = line->originPosition.IsValid() ? line->originPosition.line : line->position.line;
    auto record = [&]() {
        state.previousSplitLineCount = state.splitLineCount;
        state.splitLineCount = lineCount;
        state.splitChapter = chapter;
        return true;
    };

    const bool rtf = context.outputFormat == kOutputRTF;
    if (!rtf && state.statementSplitMode) return lineType == kStatementNewFile ? record() : false;
    if (lineType == kStatementChangePolicy) {
        ++state.pageCount;
        return false;
    }
    if (!IsHeadingType(lineType)) return false;

    const bool windowsHelp = rtf && set->IsOn(Pol::MakeWindowsHelpSource);
    const int level = GetHeadingLevel(lineType);
    const int splitLevel = set->GetInt(Pol::SplitLevel);
    if (!windowsHelp && !(splitLevel > 0 && level <= splitLevel)) return false;

    TextString word;
    int end = 0;
    FirstWord(*line, 0, word, &end);
    chapter = ParseSectionField(word.buffer, '.');
    if (chapter == -1 && level >= 1 && level <= 6 &&
        (set->headingLevels[static_cast<size_t>(level - 1)].hasPrefix || set->IsOn(Pol::ExpectSecondWordHeadings))) {
        FirstWord(*line, end, word);
        chapter = ParseSectionField(word.buffer, '.');
    }

    const int minimumSize = set->GetInt(Pol::MinHTMLFileSize);
    if (!windowsHelp && minimumSize >= 0) {
        if (lineCount - state.splitLineCount < minimumSize && (chapter <= 0 || chapter == state.splitChapter))
            return false;
    } else if (lineCount - state.pageCount < 10) {
        return false;
    }
    const bool underlinedKind = (lineType >= kLineUnderlinedHeading && lineType <= kLineUnderlinedHeadingLast) ||
                                lineType == kLineCapitalisedHeading || lineType == kLineEmbeddedHeading;
    if (underlinedKind && set->IsOn(Pol::ExpectNumberedHeadings) && !windowsHelp && line->counter == 0) return false;
    return record();
}

// ---------------------------------------------------------------------------
// The line's tests

int AnalysedLine::CheckSectionProgression(FC* set, int deepest, bool contentsMode, bool report) {
    if (!set || !set->context) return 0;
    Context& context = *set->context;
    const HeadingState& state = context.documentState.headingState;

    int compared = deepest + 1;
    if (IsRtfOutput(context) && set->recognisedHeadings > 0) compared = set->recognisedHeadings;
    compared = std::min(compared, 6);

    int result = kSectionRepeated;
    if (compared > 0) {
        int k = 0;
        while (k < compared && sectionLevels[static_cast<size_t>(k)] == state.current[static_cast<size_t>(k)]) ++k;
        if (k < compared) {
            const int d = sectionLevels[static_cast<size_t>(k)];
            const int e = state.current[static_cast<size_t>(k)];
            if (d < 0 || e < 0) {
                result = kSectionAccepted;
            } else if (d == e + 1) {
                result = kSectionAccepted;
                for (int j = k + 1; j < compared; ++j)
                    if (sectionLevels[static_cast<size_t>(j)] > 1 && state.current[static_cast<size_t>(j)] < 0) {
                        result = kSectionFirstSubNumberTooLarge;
                        break;
                    }
            } else if (deepest > 0) {
                if (d > e + 2)
                    result = kSectionChangeTooLarge;
                else if (d == e + 2)
                    result = k == deepest ? kSectionMissingNumber : kSectionChangeTooLarge;
                else if (d < e)
                    result = kSectionChangeTooSmall;
                else
                    result = kSectionAccepted;
            } else {
                if (d < e)
                    result = kChapterNumberTooSmall;
                else if (d > e + 2)
                    result = kChapterNumberTooLarge;
                else
                    result = kSectionAccepted;
            }
        }
    }
    if (contentsMode && result == kChapterNumberTooSmall) result = kSectionChangeTooSmall;

    if (report && result != kSectionAccepted) {
        const TextString number = QuotedNumber(sectionLevels, deepest);
        TextString current;
        FormatSectionNumber(state.current, deepest, current);
        TextString message;
        bool tell = true;
        switch (result) {
            case kSectionChangeTooLarge:
                message = "INFO: Ignoring \"heading\" (change too large) : " + number + " in " + current;
                break;
            case kSectionChangeTooSmall:
                message = "INFO: Ignoring \"heading\" (change too small) : " + number + " in " + current;
                break;
            case kSectionFirstSubNumberTooLarge: {
                TextString plain;
                FormatSectionNumber(sectionLevels, deepest, plain);
                message = "INFO: Reject first sub-header of " + plain;
                break;
            }
            case kChapterNumberTooSmall:
                message = "INFO: Ignoring \"heading\" (chapter number too small): " + number + " in " + current;
                break;
            case kChapterNumberTooLarge:
                message = "INFO: Ignoring \"heading\" (chapter number too large): " + number + " in " + current;
                break;
            case kSectionRepeated:
                message = "INFO: Repeated section number detected : " + number + " in " + current;
                tell = deepest > 0;
                break;
            case kSectionMissingNumber:
                message = "WARNING: Missing section number detected between " + current + " and " + number;
                break;
            default: {
                TextString plain;
                FormatSectionNumber(sectionLevels, deepest, plain);
                message = "PROGRAM ERROR: Unknown progression error for " + plain;
                break;
            }
        }
        if (tell) Tell(set, *this, message, kLevelWarning);
    }
    if (result == kSectionRepeated || result == kSectionMissingNumber) result = kSectionAccepted;
    return result;
}

int AnalysedLine::CheckChapterSpacing(FC* set, int deepest, bool contentsMode, bool report) {
    if (!set || !set->context) return 0;
    HeadingState& state = set->context->documentState.headingState;

    AnalysedLine* found = PreviousOf(this);
    int passed = 0;
    while (found && IsSkippedType(found->lineType)) {
        ++passed;
        found = PreviousOf(found);
    }

    int result = kSectionAccepted;
    const int minimumChapter = set->GetInt(Pol::MinChapterSize);
    if (!contentsMode && deepest == 0 && found &&
        (found->lineType == kLineNumberedHeading || found->lineType == kLineNumberItem) && passed <= 2 &&
        found->leadingBlanks == leadingBlanks) {
        result = kChaptersConsecutive;
    } else if (deepest == 0 && minimumChapter > 0 && position.line > 15 && state.lastChapterPosition.line >= 0 &&
               position.line - state.lastChapterPosition.line < minimumChapter) {
        result = kChaptersTooClose;
    }

    if (result == kChaptersConsecutive) {
        // Two chapter numbers with only blank lines between them are a
        // numbered list, not chapters: the earlier heading is undone and the
        // numbering goes back to what it was before it.  An earlier line that
        // is already a numbered item stays one.
        if (found->lineType == kLineNumberedHeading) {
            for (size_t k = 0; k < 6; ++k)
                state.current[k] = static_cast<int>(k) <= deepest ? state.previous[k] : -1;
            found->lineType = set->IsOn(Pol::ExpectNumberedBullets) ? 211 : 0;
        }
        Tell(set, *found, "INFO: Ignoring \"heading\" (\"chapters\" too close (consecutive)) : ", 3);
    } else if (result == kChaptersTooClose) {
        state.lastChapterPosition = position;
    }
    if (report && result == kChaptersConsecutive)
        Tell(set, *this, "INFO: Ignoring \"heading\" (\"chapters\" too close (consectutive): ", 3);
    if (report && result == kChaptersTooClose)
        Tell(set, *this, "INFO: Ignoring \"heading\" (chapters too close) ", kLevelAlways);
    return result;
}

int AnalysedLine::CheckContentsState(FC* set, int deepest, bool contentsMode, int progression, bool report) {
    if (!set || !set->context) return 0;
    HeadingState& state = set->context->documentState.headingState;
    const SectionComparison comparison = CompareSectionNumbers(set, sectionLevels, deepest);
    const int number = sectionLevels[0];
    const int first = set->GetInt(Pol::FirstSectionNumber);

    int result = kSectionAccepted;
    bool decided = false;  // decided here rather than by the progression check
    if (contentsMode && progression == kSectionChangeTooSmall &&
        (comparison.plausibleFirst || (deepest == 0 && number <= 2))) {
        result = kContentsEndsAtFirst;
        decided = true;
    } else if (deepest == 0) {
        const int current = state.current[0];
        if (current >= 0) {
            if (number == 1 && current > 1 && contentsMode && !state.contentsLocked) {
                result = kContentsEndsAtSectionOne;
                decided = true;
            } else if (number < current && !contentsMode && state.contentsRejected) {
                result = kContentsNumberTooSmall;
                decided = true;
            } else if (number > current + 2) {
                result = kContentsNumberTooLarge;
                decided = true;
            }
        } else if (number > first) {
            result = kContentsRejectFirst;
            decided = true;
        }
    }
    if (!decided) {
        decided = true;
        if (contentsMode && !state.contentsActive && !comparison.plausibleFirst) {
            result = kContentsRejectFirst;
        } else if (!comparison.fresh) {
            result = CheckSectionProgression(set, deepest, contentsMode, true);
            decided = false;
        } else if (!comparison.plausibleFirst) {
            result = kContentsRejectFirst;
        } else if (!comparison.withinLowest || state.contentsLocked) {
            result = CheckSectionProgression(set, deepest, contentsMode, true);
            decided = false;
        } else if (!set->IsOn(Pol::ExpectContentsList) || state.contentsEnded) {
            result = kContentsNotExpected;
        } else {
            result = kContentsStarts;
        }
    }

    if (result == kContentsStarts) state.contentsActive = 1;
    if (result == kContentsEndsAtFirst || result == kContentsEndsAtSectionOne || result == kContentsNotExpected)
        EndContentsList(set, this);

    if (report && decided) {
        switch (result) {
            case kContentsEndsAtSectionOne: Tell(set, *this, "INFO: End Contents at section 1", 3); break;
            case kContentsNotExpected:
                Tell(set, *this, "INFO: End Contents (contents not expected)", kLevelTrace);
                break;
            case kContentsNumberTooSmall:
                Tell(set, *this,
                     "INFO: Ignoring \"heading\" (chapter number too small): " +
                         TextString(sectionLevels[static_cast<size_t>(std::max(deepest, 0))]),
                     3);
                break;
            case kContentsNumberTooLarge:
                Tell(set, *this, "INFO: Ignoring \"heading\" (number too large): " + TextString(number),
                     kLevelTrace);
                break;
            case kContentsRejectFirst: {
                TextString message("INFO: Reject first header of ");
                for (int k = 0; k <= deepest && k < 6; ++k) {
                    message.Append(TextString(sectionLevels[static_cast<size_t>(k)]));
                    message.AppendChar('.');
                }
                Tell(set, *this, message, 3);
                break;
            }
            default: break;
        }
    }
    return result;
}

int AnalysedLine::CheckNumberedHeading(FC* set, const TextString& words, int, int underlineStyle,
                                       bool mayStandHere) {
    if (!set || !set->context) return 0;
    Context& context = *set->context;
    HeadingState& state = context.documentState.headingState;
    Tracker& tracker = CurrentTracker(context);
    const bool inContentsSection = tracker.inContents != 0;
    bool contentsMode = inContentsSection || (state.contentsActive && !state.contentsLocked) ||
                        state.lastHeadingType == 0 || IsContentsType(state.lastHeadingType);

    // An underlined heading: the ruler test has judged the underline.
    if (underlineStyle >= 0) {
        if (underlineStyle <= 5 && tracker.permissions[kUnderlinedHeadingPermission]) return 111 + underlineStyle;
        Tell(set, *this, "INFO: rejecting underlined heading (wrong indent)", 2);
        return 0;
    }

    if (!tracker.permissions[kNumberedHeadingPermission]) return 0;
    {
        // A first word without a digit holds no section number, whatever
        // decoration is taken off it: the number test only clears the levels.
        int start = 0;
        while (start < words.length && IsBlankOrTab(words.buffer[start])) ++start;
        if (!FirstWordHoldsDigit(words.buffer, start, words.length)) {
            sectionLevels.fill(-1);
            return 0;
        }
    }
    TextString word;
    FirstWord(words, 0, word);
    char separator = '.';
    StripNumberDecoration(set, word, separator, 0);
    int deepest = -1;
    if (!ParseSectionNumber(set, word, separator, state.current.data(), state.lowest.data(), sectionLevels, deepest))
        return 0;
    if (deepest < 0 || deepest > 5 || sectionLevels[static_cast<size_t>(deepest)] < 0) return 0;
    if (set->recognisedHeadings > 0 && deepest >= set->recognisedHeadings) return 0;
    for (int k = 0; k <= deepest; ++k)
        if (sectionLevels[static_cast<size_t>(k)] > kLargestSectionNumber) return 0;

    auto refuse = [this]() {
        SetFlag(kFlagRefusedHeading, true);
        return 0;
    };
    const int progression =
        inContentsSection ? kSectionAccepted : CheckSectionProgression(set, deepest, contentsMode, false);
    if (progression == kSectionChangeTooLarge || progression == kChapterNumberTooLarge) return refuse();
    int result = progression;
    if (!inContentsSection) result = CheckChapterSpacing(set, deepest, contentsMode, true);
    if (result == kChaptersConsecutive || result == kChaptersTooClose) return refuse();
    if (result == kSectionAccepted) result = CheckContentsState(set, deepest, contentsMode, progression, true);
    if (result != kSectionAccepted && result != kContentsStarts && result != kContentsEndsAtFirst &&
        result != kContentsEndsAtSectionOne && result != kContentsNotExpected)
        return refuse();

    // Accepted.
    if (!inContentsSection)
        for (size_t k = 0; k <= static_cast<size_t>(deepest); ++k) {
            const int value = sectionLevels[k];
            if (value < 0) continue;
            if (state.lowest[k] < 0 || value < state.lowest[k]) state.lowest[k] = value;
            if (value > state.highest[k]) state.highest[k] = value;
        }
    contentsMode = inContentsSection || (state.contentsActive && !state.contentsLocked);
    const int type = (contentsMode ? 151 : 101) + deepest;
    if (contentsMode) {
        state.lastContentsPosition = position;
    } else {
        if (state.contentsActive) EndContentsList(set, this);
        state.contentsRejected = 1;
    }
    // Inside BEGIN_CONTENTS ... END_CONTENTS the entries do not move the
    // document's numbering.
    if (!inContentsSection) {
        state.previous = state.current;
        for (size_t k = 0; k < 6; ++k) state.current[k] = static_cast<int>(k) <= deepest ? sectionLevels[k] : -1;
    }
    if (type == kLineNumberedHeading && !mayStandHere) {
        Tell(set, *this, "INFO: Ignoring \"heading\" embedded in text", kLevelAnalysisNote);
        return 0;
    }
    if (type == kLineNumberedHeading) state.lastChapterPosition = position;
    return type;
}
