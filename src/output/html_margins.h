// Paragraph margins of HTML output, in points.
#pragma once

class FC;

// The left margin that remains once the list levels of the body text have
// indented it: margin - 20 x the current indent level, not below 0.
//
// Not built yet: reports "PROGRAM ERROR: HTML_AdjustMarginForIndent is not
// built yet" and returns 0 (no margin).
int HTML_AdjustMarginForIndent(FC* policies, int margin);

// A margin that can be written: 0 for a negative margin.
//
// Not built yet: reports "PROGRAM ERROR: HTML_ClampMargin is not built yet"
// and returns 0 (no margin).
int HTML_ClampMargin(FC* policies, int margin);
