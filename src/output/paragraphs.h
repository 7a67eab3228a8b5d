// Paragraph structure of HTML output: closing the open "<P>" paragraph and
// indenting generated HTML source lines by their nesting depth.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;

// Indents one generated source line by `levels` levels.  Only while HTML is
// being written: unless the rule set is 1 or 2 the text loses its blanks and
// tabs at both ends; then, unless "Minimise HTML file size" is on, two blanks
// per level are put in front.
void HTML_IndentSource(FC* set, int levels, TextString* text);

// Closes the document's open paragraph, if any: "</P>", indented by the
// current indent level, closes the paragraph block of the Context's block
// list; the Context then owes 12 points less vertical space.  `label` names
// the caller for tracing and does not change the output.
void HTML_EndPara(OutputDocument* document, FC* set, const char* label);
