// Named anchors at a heading, the targets of the contents-list links.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;
class SourcePosition;

// Writes the NAME anchors of one heading of line type `lineType`, matched
// against the known headings by its title, heading and reported texts near
// `position` (an unset position stands for the line after the output
// tracker's current position).
//
// Not built yet: reports "PROGRAM ERROR: HTML_WriteHeadingAnchor is not built
// yet" and writes nothing.
void HTML_WriteHeadingAnchor(FC* policies, OutputDocument* document, int lineType, const SourcePosition& position,
                             const TextString& title, const TextString& heading, const TextString& reported);
