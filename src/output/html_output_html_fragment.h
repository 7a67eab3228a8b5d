// User-defined HTML fragments (DEFINE_HTML_FRAGMENT blocks) expanded into
// the output.  The writer places them by name: HEADER_FRAME, FOOTER_FRAME,
// MAIN_FRAME_HEADER, MAIN_FRAME_FOOTER, HTML_HEADER, HTML_FOOTER,
// HEAD_SCRIPT, the NAVBAR_TOP and NAVBAR_BOTTOM bars (with their _FIRST and
// _LAST variants) and the contents-line fragments TOC_LINE and TOC_LINE_<n>.
// A page header or footer named "*NAME*" stands for the fragment NAME.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;
class SourcePosition;

// Expands the fragment `name` visible at `position`: the nearest definition
// at or before the position whose scope covers it (`scope` is the kind of
// lookup, as DefineList takes it), else, with `searchForward`, the nearest
// one after it.  Each line has its fragment variables expanded and is
// written to the document (wrapped), or appended with a newline to `out`
// when the document is null.  Before the first line the document's open
// paragraph and list levels are closed.  Returns 1 when a definition was
// found (also one without lines, which writes nothing), else 0.  Both
// document and `out` null: "PROGRAM ERROR: Invalid call to
// HTML_OutputHTMLFragment" and 0.
int HTML_OutputHTMLFragment(FC* policies, OutputDocument* document, const char* name, const SourcePosition& position,
                            int scope, int searchForward, TextString* out);
