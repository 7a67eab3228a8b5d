// The embedded style sheet of an HTML document head.
#pragma once

class FC;
class OutputDocument;

// Writes the STYLE element derived from the font policies into the head:
// font rules for the main element groups, the contents-list spans and the
// headings (unless fonts are written as FONT tags), the headings colour, and
// for HTML 4.0 the indentation class and one rule pair per font class that
// in-line FONT tags registered.  Every line goes through WriteText.  Called
// only when "Create embedded style sheet" is on.
void HTML_WriteStyleSheet(FC* policies, OutputDocument* document);
