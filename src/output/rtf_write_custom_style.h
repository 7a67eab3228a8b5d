// Paragraph starts of user-defined RTF styles.
#pragma once

#include "foundation/text_string.h"

class FC;
class FontSpec;
class OutputDocument;

// The paragraph start of a user-defined style with the font `style`: put
// into `out` when it is given (emptied first), else written to the document.
//
// Not built yet: reports "PROGRAM ERROR: RTF_WriteCustomStyle is not built
// yet", writes nothing and leaves `out` empty.
void RTF_WriteCustomStyle(FC* policies, OutputDocument* document, const FontSpec& style, TextString* out);
