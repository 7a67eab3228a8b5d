// Colours, point sizes and widths: the small conversions that the HTML
// writer, the table output and the in-line tags use to turn the converter's
// colour and font descriptions into HTML attribute values.
//
// Colours are texts: empty (no colour), "#" followed by six hexadecimal
// digits, or one of the sixteen HTML colour names.
#pragma once

#include "foundation/text_string.h"

class FC;

// Checks and normalises an HTML colour.  Returns 1 when the colour is valid:
// an empty text (output empty), "#" with six hexadecimal digits (upper-cased),
// one of the sixteen colour names or "Magenta" (ignoring case, kept as
// written), or six bare hexadecimal digits (upper-cased, "#" put in front).  A
// "#" value equal to one of the sixteen standard colours comes out as the
// colour's name ("#FF00FF" gives "Fuchsia").  An invalid colour returns 0 with
// the upper-cased input in `out`.  `in` and `out` may be the same string.
int NormaliseHTMLColour(const TextString& in, TextString* out);

// Six upper-case hexadecimal digits for a colour given as three fractions
// 0..1 (1.0 gives "FF", 0.5 gives "80"); components out of range are clamped.
// Returns `out`.
TextString* FormatRGBColour(TextString* out, double red, double green, double blue);

// Reads a colour given either as three comma-separated fractions ("1,1,0") or
// as a colour text, and normalises it.  Returns 1 and stores the colour in
// `out` when it is valid; returns 0 and leaves `out` alone otherwise.
int ParseColourValue(const TextString& text, TextString* out);

// HTML FONT size (1..6) for a point size.
int PointSizeToHTMLSize(int points);
// Point size of an HTML FONT size (1 or less gives 8, 7 or more 28).
int HTMLSizeToPointSize(int size);
// The point size that the output can actually show: unchanged when sizes are
// written as style sheet point sizes (HTML 4.0 with FONT style markup),
// otherwise rounded to the nearest HTML FONT size.
int SnapPointSize(FC* policies, int points);

// A table cell width as a quoted percentage of the total width ("\"50%\"").
// A total below 50 is taken as 800; the percentage is rounded and at least 1.
void FormatPercentWidth(FC* policies, int width, TextString* out, int total);

// 1 for the directive line types whose markup reaches the output
// (1001-1016 and 1029-1034), else 0.
int IsOutputDirectiveType(int lineType);

// ParseAlignmentLetter is declared in policies/policy_value.h.
