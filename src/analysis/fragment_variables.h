// Fragment variables: the tags a user-defined HTML fragment may hold between
// the in-line tag delimiters ("[[NEXT_PAGE]]", "[[TEXT_HEADER TITLE]]" ...).
// When a fragment line is written, each such tag is replaced by its value:
// the names of the neighbouring output files, the horizontal-rule settings,
// the no-frames link, the output of some in-line tag executors, or one line
// of a framed plain-text header.
#pragma once

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class AnalysedLine;
class FC;

// At most this many tags are expanded in one line.  A value may hold tags
// itself, and those are expanded in turn; the cap stops a value that holds
// its own tag from growing the line for ever.
constexpr int kMaxFragmentExpansionsPerLine = 64;

// At most this many fragment lines are expanded one inside the other (a
// value that writes a fragment has its lines expanded while the outer line
// is); deeper lines are left as written and "TAG ERROR: " is reported once.
constexpr int kMaxFragmentNesting = 4;

// The smallest page width the framed header lines are drawn for; a smaller
// "Target Page width" is taken as this.
constexpr int kMinFragmentPageWidth = 5;

// Expands every fragment variable in the line's text, left to right.  The
// text between a start delimiter and the next end delimiter is a tag; after a
// tag is replaced the search starts again where the tag began, so that tags
// inside its value are expanded too.  A start delimiter without an end
// delimiter after it ends the expansion and leaves the rest of the text as it
// is.  Past kMaxFragmentExpansionsPerLine expansions the remaining tags are
// left as written and "TAG ERROR: " is reported once for the line.  The
// position is not used.  Returns the number of tags expanded (those removed
// included).
int ExpandInlineTags(FC& set, AnalysedLine& line, SourcePosition position);

// Replaces the first occurrence of `tag` (case-sensitive) in `text` by the
// tag's value, or removes it when the tag has no value.  The tag's name is
// the first blank-delimited word between its delimiters, compared without
// regard to case.  An unknown name, or an unknown TEXT_HEADER kind, is
// reported as a "TAG ERROR: " at level 10 and the tag is removed.
void ExpandInlineTag(FC& set, TextString& text, const TextString& tag);

// The value of one fragment variable, as ExpandInlineTag inserts it; false
// when the tag has no value (unknown names and kinds are reported here).
bool GetFragmentVariableValue(FC& set, const TextString& tag, TextString& value);

// The framed text-header value of "TEXT_HEADER <kind> [text]": `inner` is
// the tag text without its delimiters.  Empty when the kind gives no body.
void GetTextHeaderValue(FC& set, const TextString& tag, const TextString& inner, TextString& value);

// Frames a text-header body for the page width: each line (split at line
// feeds) becomes "| " + the line, padded with blanks to width - 2 characters
// when it is shorter, + " |".  Widths below kMinFragmentPageWidth are taken
// as that minimum.  An empty body gives an empty text.
void FrameTextHeaderBody(const TextString& body, int pageWidth, TextString& out);

// A rule of width - 2 dashes between `left` and `right` (the top or bottom
// edge of the header box), for a width of at least kMinFragmentPageWidth.
void MakeTextHeaderBoxEdge(int pageWidth, char left, char right, TextString& out);

// The modification date of the file in the form of GetDateText
// ("7-Dec-2026"); empty when the file cannot be examined.
void GetFileDateText(const TextString& path, TextString& out);
