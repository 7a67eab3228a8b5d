// Headings and section numbers: whether a line that begins with a section
// number (3, 2.1, 4.1.7) or that is underlined is a heading, a contents-list
// line or text; the document's section numbering (a number that jumps too
// far, goes backwards or comes too soon after the previous chapter is
// refused, and an accepted heading that turns out to be a list item is
// undone); the start and end of a contents list; key-phrase headings; and
// whether a heading starts a new output file or page.
//
// The line tests themselves are members of AnalysedLine (analysed_line.h,
// block "Headings and section numbers"); the numbering state lives in the
// context's DocumentState::headingState.  The routines here are the free
// helpers that the line typing and the writers share.
#pragma once

#include <array>

#include "foundation/text_string.h"

class AnalysedLine;
class FC;

// Results of the progression check (AnalysedLine::CheckSectionProgression)
// and of the chapter spacing (AnalysedLine::CheckChapterSpacing).
enum SectionCheckResult : int {
    kSectionAccepted = 0,
    kSectionChangeTooLarge = 1,
    kSectionChangeTooSmall = 2,
    kSectionFirstSubNumberTooLarge = 3,  // "4.2" straight after "3"
    kChaptersConsecutive = 4,  // two chapter numbers with only blank lines between
    kChaptersTooClose = 5,  // fewer than "Min chapter size" lines since the last chapter
    kChapterNumberTooSmall = 11,
    kChapterNumberTooLarge = 12,
    kSectionRepeated = 14,  // reported, then accepted
    kSectionMissingNumber = 15,  // reported, then accepted
};

// States of the contents check (AnalysedLine::CheckContentsState).  0, 6,
// 7, 9 and 10 accept the line; 2, 3, 11, 12 and 13 refuse it.
enum ContentsCheckState : int {
    kContentsStarts = 6,  // the contents list becomes active
    kContentsEndsAtFirst = 7,  // a first number again: the list has ended
    kContentsEndsAtSectionOne = 9,  // section 1 after a later number in contents mode
    kContentsNotExpected = 10,  // ends (or never starts) the list
    kContentsNumberTooSmall = 11,
    kContentsNumberTooLarge = 12,
    kContentsRejectFirst = 13,  // not a plausible first number
};

// How a line's section number compares with the current numbering, levels
// 1..deepest+1.
struct SectionComparison {
    bool fresh = false;  // no current number at any of these levels
    bool plausibleFirst = false;  // level 1 at most "First Section Number", deeper levels at most 1
    bool parentsEqual = false;  // every level above the deepest equals the current number
    bool withinLowest = false;  // no level above the lowest number seen there (an unset lowest limits nothing)
    bool startsSequence = false;  // could open a numbering: see CompareSectionNumbers
};

// Compares `levels` (the line's section levels, -1 below the deepest) with
// the context's current numbers.  "Starts sequence": a one-level number at
// most "First Section Number" and not below the current level-1 number; a
// deeper number whose last level is at most 1.
SectionComparison CompareSectionNumbers(FC* set, const std::array<int, 6>& levels, int deepest);

// Levels 1..deepest+1 joined by "." ("2.1"); levels below 0 are left out.
void FormatSectionNumber(const std::array<int, 6>& levels, int deepest, TextString& out);

// Ends the contents list for the file: not active, ended (it does not start
// again), and `line` (may be null) loses its in-contents flag.
void EndContentsList(FC* set, AnalysedLine* line);

// The contents-list start and end of the line typing, run on every line
// while the contents gate is 0 and contents detection is not locked: a line
// beginning (ignoring case) with "Table of Contents", "Index of", "Contents"
// or "C O N T E N T S" starts a contents list under "Expect Contents List"
// (unless one is active or has ended); once chapter numbering has begun, a
// line more than 7 lines after the last contents line ends it.
void UpdateContentsListBoundary(FC* set, AnalysedLine& line);

// The key-phrase heading type of a line: policy "Heading key phrases" holds
// arguments "phrase|phrase,level"; the first phrase that the line's plain
// text (leading blanks skipped) begins with gives 130 + level.  A level
// without a number is the previous argument's (the first argument's is 1).
// Levels outside 1-6 are clamped into that range, so the result is always
// 0 or one of 131-136.  0 also when the policy is empty or the line is
// protected (0x2000) or pre-formatted (0x20).
int FindKeyPhraseHeading(FC* set, const AnalysedLine& line);

// Whether a heading line starts a new output file (HTML) or a new page
// (RTF).  `chapter` receives the chapter number read from the heading (-1
// when none).  An accepted split is recorded in the heading state; a line
// of type 1008 (CHANGE_POLICY) is counted as a page and never splits.
bool ShouldBreakBeforeHeading(int lineType, FC* set, AnalysedLine* line, int& chapter);
