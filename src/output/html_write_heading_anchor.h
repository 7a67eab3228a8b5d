// Named anchors at a heading, the targets of the contents-list links.
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;
class SourcePosition;

// Writes the NAME anchors ("<A NAME=\"...\"> </A>") of one heading of line
// type `lineType`, matched against the known headings by its heading and
// title texts near `position` (an unset position stands for the line after
// the output tracker's current position).  A known heading gets its anchors
// once: the link name of its anchor stem, then those of the reported and
// heading texts where they differ (under composition units with the file
// prefix, and the entry's unit anchor as well).  An unknown heading (other
// than a mail header, type 250) is reported and still gets the anchor of its
// title text.  Nothing happens without a document.
void HTML_WriteHeadingAnchor(FC* policies, OutputDocument* document, int lineType, const SourcePosition& position,
                             const TextString& title, const TextString& heading, const TextString& reported);
