// The embedded style sheet of an HTML document head.
#pragma once

class FC;
class OutputDocument;

// Writes the STYLE element derived from the font policies into the head.
// Called only when "Create embedded style sheet" is on.
//
// Not built yet: reports "PROGRAM ERROR: HTML_WriteStyleSheet is not built
// yet" and writes nothing.
void HTML_WriteStyleSheet(FC* policies, OutputDocument* document);
