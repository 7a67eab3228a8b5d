// Colour texts and HTML font sizes: how a colour policy value is checked
// and normalised, and how a point size maps to an HTML FONT size.  The
// policies read them, and so do the analysis and the writers (through
// output/markup/colours.h); they depend on the program's strings only.
//
// Colours are texts: empty (no colour), "#" followed by six hexadecimal
// digits, or one of the sixteen HTML colour names.
#pragma once

#include "foundation/text_string.h"

// Checks and normalises an HTML colour.  Returns 1 when the colour is valid:
// an empty text (output empty), "#" with six hexadecimal digits (upper-cased),
// one of the sixteen colour names or "Magenta" (ignoring case, kept as
// written), or six bare hexadecimal digits (upper-cased, "#" put in front).  A
// "#" value equal to one of the sixteen standard colours comes out as the
// colour's name ("#FF00FF" gives "Fuchsia").  An invalid colour returns 0 with
// the upper-cased input in `out`.  `in` and `out` may be the same string.
int NormaliseHTMLColour(const TextString& in, TextString* out);

// Whether a colour text may be written into markup as it stands: a colour
// NormaliseHTMLColour takes, or a plain word of ASCII letters, digits and
// "#" (a name some browsers know, such as "orange", which is warned about
// where it is given and kept).  A text holding anything else (a blank, a
// quote, a bracket) is never written, whichever road brought it.
bool IsWritableColour(const TextString& colour);

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
