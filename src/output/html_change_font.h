// Font changes written into HTML output: the markup that closes the current
// font and opens a new one.
#pragma once

#include "foundation/text_string.h"

class FC;
class FontSpec;

// Builds the markup that changes the HTML output from `oldFont` to `newFont`
// (end markup of the old font, start markup of the new one) when the current
// output point allows font markup of this kind.  Returns 1 with the markup in
// `out`, or 0 with `out` empty.
//
// Not built yet: reports "PROGRAM ERROR: HTML_ChangeFont is not built yet"
// and returns 0 with `out` empty.
int HTML_ChangeFont(int kind, FC* policies, const FontSpec* oldFont, const FontSpec* newFont, TextString* out);
