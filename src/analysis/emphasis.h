// Emphasis and markup-free text.
//
// Plain-text authors mark emphasis with asterisks and underscores: "*bold*",
// "_italic_", "*_bold italic_*" (or "_*...*_"), and "_several_joined_words_"
// for underlining.  TidyEmphasisLine turns those marks into the emphasis
// markup of the output format, word by word and phrase by phrase; a phrase
// may begin on an earlier line of the same paragraph, in which case the
// change to the earlier line is also kept in its replacement pairs so that
// it can be applied again when that line's output copy is converted.
//
// The same unit makes heading texts markup-free for bookmarks and anchors,
// and holds three small helpers of the contents-list and indentation writers.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class HeadingList;

// ---- Emphasis ----

// Converts the emphasis marks of `text` in place.  `line` (may be null) is
// the analysed line whose earlier neighbours and replacement pairs serve
// phrases that began on an earlier line; it may be the very object `text`.
void TidyEmphasisLine(FC& set, TextString& text, AnalysedLine* line);

// Converts one word: bold-italic, bold, underlined or italic.  Nothing
// happens when `changed` is already set; otherwise `changed` is set when
// `out` holds the word's replacement.
void TidyEmphasisWord(FC& set, const TextString& word, int& changed, TextString& out);

// Converts every phrase of one marker kind in `text`: a valid start marker,
// text, and a valid end marker become start markup, text and end markup.
// An end marker whose start lies on an earlier line (at most 20 lines back,
// within the paragraph) is matched through `line`.  The result is not used.
int FindEmphasisPhrase(FC& set, const char* startMarker, const char* endMarker, const char* startMarkup,
                       const char* endMarkup, TextString& text, AnalysedLine* line);

// ---- Markup-free text ----

// The text of a heading without markup, for bookmarks and help topics:
// HTML tags removed, "&nbsp;" made a blank and stray angle brackets made
// '_' (HTML); braces made '_' (RTF); in-line tags removed; blank runs
// collapsed and trimmed.  `text` is not changed.
void StripMarkupChars(FC& set, const TextString& text, TextString& out);

// Removes the HTML tags of `text` in place, decodes "&nbsp;", "&amp;",
// "&lt;" and "&gt;" when `decode` is set, trims and collapses blank runs,
// and copies the result to `out` (which may be `text`).
void UnescapeEntities(FC& set, int decode, TextString& text, TextString& out);

// ---- Contents-list and indentation helpers ----

// Whether the heading of list index `index` belongs to the contents list of
// the mode: mode 1 every heading but the first; modes 2 and 3 those between
// `first` and `last` (a negative `last` leaves the end open; both negative:
// none); other modes every heading.
bool IsInContentsRange(FC& set, int index, int first, int last, int contentsMode);

// For modes 2 and 3, the range of `list` entries that are the sub-headings
// of the section holding the current position (the section being the
// nearest heading of level mode - 1 or above); both -1 otherwise or when the
// section has none.
void GetContentsRange(FC& set, const HeadingList* list, int contentsMode, int& first, int& last);

// The indentation level of a column indentation: 0 up to 0, else the
// number of 20-column steps, rounded to the nearest (halves up).
int IndentToLevel(FC& set, int indentation);
