// Horizontal rules in HTML output.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;

// Writes a horizontal rule (`ruleMarkup`, such as "<HR NOSHADE>") to the
// document, with the current font closed before it and reopened after it.
//
// Not built yet: reports "PROGRAM ERROR: HTML_WriteRule is not built yet" and
// writes nothing.
void HTML_WriteRule(FC* policies, OutputDocument* document, int mode, const TextString& ruleMarkup);
