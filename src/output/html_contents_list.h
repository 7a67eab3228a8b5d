// The contents list of an HTML document: one hyperlinked line per known
// heading (or, when no heading is known, per contents line found in the
// source), nested in list levels by heading level.
#pragma once

#include "foundation/text_string.h"

class FC;
class HeadingListEntry;
class OutputDocument;
class SourcePosition;

// Writes a whole contents list between "<!-- TOC_BEGIN -->" and
// "<!-- TOC_END -->", built from the context's heading list, else from its
// contents-line list; nothing at all when both are empty.  `maximumDepth`
// above 0 limits the levels listed, counted from the shallowest level found;
// `lineStyle` 1 ends every line with "<BR>", 2 encloses every line in "["
// and "]"; `contentsMode` 1 leaves out the first entry, 2 and 3 list only
// the section that holds the current position.
void HTML_OutputContentsList(FC* policies, OutputDocument* document, int maximumDepth, int lineStyle,
                             int contentsMode);

// Writes the lines of one entry: through a "TOC_LINE_<n>" or "TOC_LINE"
// fragment when one is defined (not for mail headers), else the list-level
// changes to reach the entry's level, its anchors when wanted and the line
// composed by HTML_FormatContentsLine (and for a mail header a line with
// the sender).  `*contentsLevel` is the number of list levels open.
void HTML_OutputContentsLine(FC* policies, OutputDocument* document, HeadingListEntry& entry, int* contentsLevel,
                             int lineStyle);

// Composes the markup of one contents line into `out` (replacing its text):
// the heading text (HTML-escaped) split into number and title, linked to
// "#" + link name, preceded by the heading's file name and the output
// extension when the heading is written to another file than `currentName`
// (the name, without folder and extension, of the file being written).  An
// empty `linkName` is made from the heading text.  The line is marked with
// the style class "TOC<level>" or, with FONT markup, with font markup;
// `lineStyle` as for HTML_OutputContentsList.  `position` is the entry's
// (unset: the output tracker's current position).
void HTML_FormatContentsLine(FC* policies, OutputDocument* document, const SourcePosition& position, int lineType,
                             int lineStyle, const TextString& headingText, const TextString& linkName,
                             const TextString& currentName, TextString& out);
