// Extra vertical space in HTML output.
#pragma once

class FC;
class OutputDocument;

// Writes `points` of extra vertical space (line breaks) to the document.
// Always returns 1.
//
// Not built yet: reports "PROGRAM ERROR: HTML_ExtraLeading is not built yet"
// and writes nothing.
int HTML_ExtraLeading(FC* policies, int points, OutputDocument* document);
