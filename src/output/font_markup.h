// Font markup: the HTML that opens and closes a font (a FONT tag with face,
// style class, colour and size, and the bold and italic emphasis tags).
//
// Both routines produce nothing unless fonts are written as FONT tags and an
// output pass is running; what the start markup opens, the end markup closes.
#pragma once

#include "foundation/text_string.h"

class FC;
class FontSpec;

// Font-change kinds that the markup builders treat specially.
constexpr int kFontKindForced = 7;  // FONT markup is written whatever the policies say

// The markup that opens `font`: "<FONT" with its attributes and ">", then
// "<STRONG>"/"<B>" for bold and "<EM>"/"<I>" for italic.  `out` is emptied
// first.  Any pending font change of the Context is discarded.
void GetStartFontMarkup(int kind, FC* policies, const FontSpec* font, TextString* out);

// The markup that closes `font`: the italic and bold end tags, then
// "</FONT>" ("</EM></STRONG></FONT>").  `out` is emptied first.
void GetEndFontMarkup(int kind, FC* policies, const FontSpec* font, TextString* out);

// The markup that changes from font `from` to font `to`: the end markup of
// `from` and the start markup of `to`, both empty when neither font is given
// or the two are alike in every attribute.  Outside an output pass nothing
// is made and the case is reported.  `name` is not used.
void GetChangeFontMarkup(int kind, FC* policies, const FontSpec* from, const FontSpec* to, TextString* endMarkup,
                         TextString* startMarkup, const char* name);
