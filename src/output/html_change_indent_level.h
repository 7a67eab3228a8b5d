// List levels of the HTML body text.
#pragma once

class FC;
class OutputDocument;

// Moves the body text to list level `level`, opening levels with the policy
// set's indentation start tag and closing the levels above it.
//
// Not built yet: reports "PROGRAM ERROR: HTML_ChangeIndentLevel is not built
// yet" and writes nothing.
void HTML_ChangeIndentLevel(OutputDocument* document, int level, FC* policies);
