// Section numbers and section references: "3.2.1" as a heading's number or
// as a reference in running text.  They are read, normalised and checked
// here, and their decoration stripped, for the line analysis, the line
// conversion and the heading anchors alike; what is stripped may be counted
// in the Context's analysis statistics.
#pragma once

#include <array>

#include "foundation/text_string.h"

class FC;

// ---- Section references ("3.2.1" in running text or as a heading number) ----

// Normalises a section reference and, with `levelCheck`, checks it.
// Enclosing brackets, a closing ')', '.', ':', and a trailing '-', '.' or
// ".0" (the trailing mark) are taken off; `normalised` receives the rest.
// With the level check the reference is valid when it is made of digits in
// runs of at most 3 separated by '.' or '-', has fewer than 6 separators and
// has a separator or the trailing mark; `separators` and `depth` (separators,
// plus 1 with the trailing mark) are -1 when it is not valid.  Without the
// check they are -1 and `valid` is 0.  With `limitCheck`, `withinLimit` says
// whether the reference is valid and has no more levels than the policy
// set's recognised-heading depth (any number when that depth is 0).
void ParseSectionReference(FC* set, const TextString& text, int levelCheck, int limitCheck, TextString& normalised,
                           int& separators, int& depth, int& valid, int& withinLimit);

// Replaces the text by its normalised section reference ("(3.2)." gives
// "3.2").
void NormaliseSectionReference(FC* set, TextString& text);

// The core of a word that may be a section reference: leading '(', '{', '['
// and trailing ')', ']', '}', ';', ':', ',', '.', '*' and "<BR>" left out.
void TrimReferenceEnd(FC* set, const TextString& word, TextString& core);

// Strips the decoration around a section number: leading characters of
// "<([{*" and "&lt;", trailing characters of ">)]}*", "&gt;" and trailing
// letters.  `separator` becomes '-' when the text holds a '-', else '.'.
// With `countFlag` every character stripped is counted in the context's
// analysis statistics (see below).
void StripNumberDecoration(FC* set, TextString& text, char& separator, int countFlag);

// Where StripNumberDecoration counts what it strips: each decoration
// character by its code in this frequency table of the context's analysis
// statistics ("&lt;" as '<', "&gt;" as '>'), and the letters cut off in this
// counter.
constexpr int kDecorationStatisticsTable = 6;
constexpr int kDecorationLetterCounter = 7;

// ---- Section numbers of headings ----

// What a section-number field reads as when its value does not fit: a
// number above 1700, which no heading number may have.
constexpr int kSectionNumberOutOfRange = 1701;

// Reads one field of a section number, up to the separator, a blank or the
// end.  The field may hold digits, ':' and ')'; its value is that of its
// leading digits (0 for a field of zeros).  -1 when it holds anything else
// or no digit; kSectionNumberOutOfRange when the value does not fit in an int.
int ParseSectionField(const char* field, char separator);

// Reads the section number at the start of a word ("2.1.3 Title"): nothing
// unless the word begins with a digit and "Expect Numbered Headings" is on;
// at most 5 separators, never two side by side.  `levels` receives the
// number of each level (-1 below the last), `deepestLevel` the index of the
// last level.  A trailing separator ("3.") adds no level, and a last level 0
// ("2.0") is dropped unless the level above it equals the current number
// there.  `currentNumbers` (the current number of each level, may be null)
// and `lowestSeen` (the lowest number seen at each level, may be null; a
// dropped level's becomes 0 when it was unset) are arrays of 6.
//
// The analysed line keeps its own section levels; this is the routine that
// fills them, written as a free function on the texts it needs so that the
// line record stays independent of it.
bool ParseSectionNumber(FC* set, const TextString& word, char separator, const int* currentNumbers, int* lowestSeen,
                        std::array<int, 6>& levels, int& deepestLevel);
