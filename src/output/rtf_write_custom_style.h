// Paragraph starts of user-defined RTF styles.
#pragma once

#include "foundation/text_string.h"

class FC;
class FontSpec;
class OutputDocument;

// The start of a text group in the font `style` (an in-line font tag's
// font): "{" + the font part of the open paragraph's style (see
// RTF_GetStyleForKind) with face, size, bold and italic taken from `style`
// (a negative font index keeps the style's face).  Put into `out` when it is
// given (emptied first), else written to the document.  The caller closes
// the text group before it, so the start opens exactly one group.
void RTF_WriteCustomStyle(FC* policies, OutputDocument* document, const FontSpec& style, TextString* out);
