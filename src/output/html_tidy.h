// The tidy passes over buffered HTML output: before a buffered flush writes
// the generated HTML, redundant and empty markup is removed and the white
// space around tags is normalised.  Pre-formatted content (between <PRE> and
// </PRE>) is exempt from the white-space passes.
#pragma once

#include "foundation/text_string.h"

class FC;

// One buffer of generated HTML being tidied: the text (changed in place), a
// copy of it before tidying, and one presence flag per tag kind found in it
// by the scan.
struct TidyBuffer {
    TextString text;
    TextString original;
    int paragraphStart = 0, paragraphEnd = 0;
    int emphasis = 0;
    int fontStart = 0, fontEnd = 0;
    int listItemStart = 0, listItemEnd = 0;
    int dataCellStart = 0, dataCellEnd = 0;
    int headerCellStart = 0, headerCellEnd = 0;
    int rowStart = 0, rowEnd = 0;
    int headingStart = 0, headingEnd = 0;
    int definitionList = 0, definitionData = 0;
    int unorderedList = 0, orderedList = 0;
    int blockQuote = 0;
    int commentStart = 0, commentEnd = 0;
    int lineBreak = 0, newline = 0, nonBreakingSpace = 0;
    int tableMarkup = 0;
};

// Copies `text` into the record and sets its presence flags.
//
// Not built yet: only copies the text; no flag is set.
void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, const TextString& text);
// Removes redundant emphasis and FONT markup, then runs HTML_TidyMarkup.
// Returns 1.
//
// Not built yet: runs HTML_TidyMarkup only.
int HTML_TidyEmphasis(FC* policies, TidyBuffer* buffer);
// Normalises the markup and white space of the buffer.  Returns 1.
//
// Not built yet: leaves the text as it is.
int HTML_TidyMarkup(FC* policies, TidyBuffer* buffer);
