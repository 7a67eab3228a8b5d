// Free helpers used across the converter: file names and paths, an 8.3-style
// short name, today's date, Windows language identifiers, centimetres to
// twips, a quoted-argument splitter and character-class statistics.
//
// Paths: '/' is the directory separator of names taken from documents,
// policy files and the command line; '\' is an ordinary character of a name.
// A name starting with '/' is absolute, and so is one holding ":\" (drive
// letter).
#pragma once

#include <climits>

#include "foundation/text_string.h"

// a + b held within the range of int: sizes and offsets taken from policies
// and tags are added with it, so that extreme values never overflow.
constexpr int ClampedSum(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : static_cast<int>(sum);
}

// ---- Names and paths ----

// out = the path up to and including its last '/' or ']'; empty when
// there is none.
void GetDirectoryPart(const char* path, TextString* out);
void GetDirectoryPart(const TextString& path, TextString* out);

// Splits a path into directory (up to and including the last '/'),
// name and extension ('.' and the text after the last '.' of the rest).  A
// rest ending in '.' gives the extension "." and the name without that dot,
// so that name + extension always gives the rest back.
void SplitPath(const TextString& path, TextString* directory, TextString* name, TextString* extension);

// Resolves `name` against the directory `base` (which ends in a separator).
// Parent steps ("../") climb the base's levels; they never climb
// above the root of an absolute base.  Absolute names are kept.
void ResolveRelativePath(const TextString& base, const TextString& name, TextString* out);

// False for a name starting with '/' or holding ":\"; true otherwise.
bool IsRelativePath(const TextString& name);

// Shortens a name of 9 or more characters to its first 3 characters and a
// 5-character checksum of the whole name.
void MakeShortName(TextString* name);

// ---- Date ----

// Today's local date in the form "7-Dec-2026".
void GetDateText(TextString* out);
// The same form for a given day (1-31), month (1-12) and year; a month out
// of range gives "???".
void FormatDateText(int day, int month, int year, TextString* out);

// ---- Languages ----

// The Windows language identifier of a language name (compared ignoring
// case); 1 when known.  An unknown name gives 1033 and 0.
int LanguageNameToId(const TextString& name, int* id);

// ---- Units ----

// Centimetres to twips, rounded; 0 (and twips untouched) when the text is not
// a number or the result does not fit an int.
int CmToTwips(const TextString& text, int* twips);

// ---- Argument splitting ----

// Splits the arguments in `text` (whose first character is a placeholder,
// normally a blank) at the first of `separators` found outside double quotes
// (a comma when none is).  `out` receives a marker character followed by each
// field, so callers read field 2, 3 ... with the marker as delimiter.  With
// `dropNames`, a "name=" in front of a field is removed.  The text is changed
// in place (placeholder and separators become the marker).  0 when no marker
// character is free; `out` is emptied in every case.
int SplitAtSeparators(TextString* text, const char* separators, int dropNames, TextString* out);

// ---- Character classes ----

struct CharacterClassCounts {
    int characters = 0;
    int span = 0;  // from the first to the last non-blank character
    int blanks = 0;  // ' ' only
    int innerBlanks = 0;  // blanks between non-blank characters
    int ruleMarks = 0;  // '*', '-', '=', '_', '~'
    int punctuation = 0;  // non-blanks that are neither digits nor letters
    int letters = 0;
    int digits = 0;
    int letterChanges = 0;  // letter after blank, letter after a different letter, blank after letter
    int marks = 0;  // '&', '.', '/', ':', '<', '>', '?'
    int letterRepeats = 0;  // letters equal to the character before them
};

void CountCharacterClasses(const char* text, CharacterClassCounts* counts);
// The eleven counters in the order of CharacterClassCounts; any may be null.
void CountCharacterClasses(const char* text, int* characters, int* span, int* blanks, int* innerBlanks,
                           int* ruleMarks, int* punctuation, int* letters, int* digits, int* letterChanges,
                           int* marks, int* letterRepeats);

// True when the text is made mostly of punctuation (box drawing, rulers,
// separators between columns).
bool IsMostlyPunctuation(const char* text);

// True for a ruler line such as "-----" or "--- ===": runs of '-', '=' or
// '_' separated by single blanks.
bool IsRuleLine(const char* text);

// The end of the word that starts at `i` of the `n` bytes: the first blank
// or tab at or after it, or `n`.
int WordEnd(const char* bytes, int i, int n);
