// The built-in navigation bar of a document split into several files.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class OutputDocument;

// Writes the built-in bar (Prev, Next and Contents links) for the file
// `fileName` (the current output file when empty), with a rule before and
// after it when asked.
//
// Not built yet: reports "PROGRAM ERROR: HTML_OutputNavigationBar is not
// built yet" and writes nothing.
void HTML_OutputNavigationBar(OutputDocument* document, const TextString& fileName, AnalysedLine* line,
                              FC* policies, int ruleBefore, int ruleAfter);
