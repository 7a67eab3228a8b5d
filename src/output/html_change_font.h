// Font changes written into HTML output: the markup that closes the current
// font and opens a new one, and the font markup around block-level texts.
//
// Whether font markup may be written at all (FontChangeMarkup) and what a
// closing block still owes (HTML_EndFont) are decided in font_changes.h.
#pragma once

#include "foundation/text_string.h"
#include "output/font_changes.h"

class FC;
class FontSpec;
class OutputDocument;

// Builds the markup that changes the HTML output from `oldFont` to `newFont`
// (end markup of the old font, start markup of the new one) when the current
// output point allows font markup of this kind, or when `kind` is 3 and a
// heading is open.  Returns 1 with the markup in `out`, or 0 with `out`
// empty.  A refusal directly in the body or in a list (BODY, OL, UL, DL) is
// silent; anywhere else it is reported as a warning.
int HTML_ChangeFont(int kind, FC* policies, const FontSpec* oldFont, const FontSpec* newFont, TextString* out);

// Puts the end markup of the current font in front of `text` and its start
// markup behind it, so that a block-level text (such as a horizontal rule)
// does not sit inside FONT markup.  Nothing changes unless font markup of
// this kind is allowed at the current output point.
void HTML_WrapWithFontMarkup(FC* policies, OutputDocument* document, int kind, TextString* text);
