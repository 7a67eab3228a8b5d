// User-defined HTML fragments (DEFINE_HTML_FRAGMENT blocks) expanded into
// the output.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;
class SourcePosition;

// Expands the fragment `name` visible at `position`: its lines are written to
// the document, or appended to `out` when the document is null.  Returns 1
// when a definition was found and expanded, else 0.
//
// Not built yet: reports "PROGRAM ERROR: HTML_OutputHTMLFragment is not built
// yet", writes nothing, leaves `out` alone and returns 0.
int HTML_OutputHTMLFragment(FC* policies, OutputDocument* document, const char* name,
                            const SourcePosition& position, int scope, int searchForward, TextString* out);
