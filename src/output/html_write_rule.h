// Horizontal rules in HTML output.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;

// Writes a horizontal rule (`ruleMarkup`, such as "<HR NOSHADE>") to the
// document as one line, indented by the current indent level, with the
// current font closed before it and reopened after it where font markup of
// kind `mode` is allowed (HTML_WrapWithFontMarkup).  A document that is not
// open gets nothing and the fault is reported.
void HTML_WriteRule(FC* policies, OutputDocument* document, int mode, const TextString& ruleMarkup);
