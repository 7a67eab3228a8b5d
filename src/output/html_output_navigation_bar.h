// The built-in navigation bar of a document split into several files.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class OutputDocument;

// Writes the built-in bar for the file `fileName` (the current output file
// when empty) between "<!-- Start of Navigation Bar -->" and
// "<!--   End of Navigation Bar -->", in a paragraph of its own: "Prev",
// "Next" and "Contents", each a link to the previous, next and first file
// unless that file is the current one.  With a line, the Contents link
// points at the line's heading in the contents list.  "<HR NOSHADE>" is
// written before and after the bar when asked.  A document that is not open
// is reported ("PROGRAM ERROR: File not open in HTML_OutputNavigationBar!")
// and nothing is written.
void HTML_OutputNavigationBar(OutputDocument* document, const TextString& fileName, AnalysedLine* line, FC* policies,
                              int ruleBefore, int ruleAfter);
