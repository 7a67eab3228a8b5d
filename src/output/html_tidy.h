// The tidy passes over buffered HTML output: before a buffered flush writes
// the generated HTML, redundant and empty markup is removed and the white
// space around tags is normalised.  The table cell writer runs the same
// passes over each cell.
//
// The passes run on the pattern engine (PatternList, PatternRewriter):
// shortest match first, one element of look-ahead, no backtracking, so a
// rule such as "<P **>*W</P>" never reaches over a paragraph that holds text.
//
// Pre-formatted content is never touched: everything from a "<PRE" tag to
// the end of its "</PRE>" tag (or to the end of the text while a section is
// open) is set aside before the passes run and put back unchanged after, so
// that no blank line in it is removed and no line of it is joined.
#pragma once

#include <memory>
#include <string_view>

#include <cstdint>

#include "foundation/text_string.h"

class FC;
class TidyPasses;  // html_tidy.cpp

// One buffer of generated HTML being tidied: the text (changed in place),
// one presence flag per tag kind found in it by the scan (outside
// pre-formatted sections), and the state of the passes that tidy it.
struct TidyBuffer {
    TidyBuffer();
    ~TidyBuffer();
    TidyBuffer(TidyBuffer&&) noexcept;
    TidyBuffer& operator=(TidyBuffer&&) noexcept;

    TextString text;
    // Set by the caller before the scan when the text begins inside a
    // <PRE> section (a writer knows it from the lines it has written).  A
    // text whose first PRE tag is a "</PRE" is taken to begin inside one in
    // any case.  The scan leaves it as it is.
    int startsInsidePre = 0;
    int paragraphStart = 0, paragraphEnd = 0;  // "<P>", "</P>"
    int emphasis = 0;  // one of the set's bold and italic markup texts
    int fontStart = 0, fontEnd = 0;  // "<FONT", "</FONT" (only while fonts are FONT tags)
    int listItemStart = 0, listItemEnd = 0;  // "<LI ", "</LI"
    int dataCellStart = 0, dataCellEnd = 0;  // "<TD", "</TD"
    int headerCellStart = 0, headerCellEnd = 0;  // "<TH", "</TH"
    int rowStart = 0, rowEnd = 0;  // "<TR", "</TR"
    int headingStart = 0, headingEnd = 0;  // "<H", "</H"
    int definitionList = 0, definitionData = 0;  // "<DL" or "</DL"; "<DD" or "</DD"
    int unorderedList = 0, orderedList = 0;  // "<UL" or "</UL"; "<OL" or "</OL"
    int blockQuote = 0;  // "<BLOCKQUOTE" or "</BLOCKQUOTE"
    int commentStart = 0, commentEnd = 0;  // "<!--", "-->"
    int lineBreak = 0, newline = 0, nonBreakingSpace = 0;  // "<BR>", a newline, "&nbsp;"
    int tableMarkup = 0;  // any of the row and cell flags
    // Also found by the scan: whether the text holds pre-formatted sections
    // (which the passes set aside), and a sketch of the kinds of tags in it
    // (one bit per hash of the two characters after a "<", and one for a
    // newline) by which the rule lists skip texts they cannot match.
    int preformatted = 0;
    uint64_t tagKinds = 0;
    // Set by the scan when the text is a plain table text (table row, cell
    // and line-break tags only; see HTML_TidyLeavesUnchanged), which the
    // passes then take the short way.
    int plainTableText = 0;
    // Set by the passes (cleared by the scan and before they run) when they
    // took a plain table text the short way and left a text they leave as
    // it is (see HTML_TidyLeavesUnchanged): it held no newline, non-breaking
    // space or row tag, every end tag it keeps is "</TD>" or "</TH>", and
    // the line breaks in front of those were taken off.
    int plainAfterPasses = 0;

    // The passes' state: their rule lists (built on first use and kept),
    // their callback passes and the scratch texts they refill, made by the
    // first pass run over the record and kept with it.  An owner that tidies
    // text after text keeps one record, so that none of it is made again:
    // the HTML writer for its flushes, the table engine for its cells.  The
    // flags and the text are the record's own; the passes keep nothing of a
    // text once they are done with it.
    std::unique_ptr<TidyPasses> passes;
    TidyPasses& Passes();
};

// Copies `text` into the record and sets its presence flags; every flag is
// cleared first.  The tidy passes below expect the record as the scan left
// it (the text is not copied again to find out whether it changed).  A text given to be moved is
// exchanged with the record's (it is left holding the record's earlier text).
void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, const TextString& text);
void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, TextString&& text);
// With "Remove redundant tags" on: removes empty and blank emphasis spans,
// joins adjacent lists and block quotes and removes empty FONT spans; then
// (in every case) runs HTML_TidyMarkup.  Returns 1.
int HTML_TidyEmphasis(FC* policies, TidyBuffer* buffer);
// Whether the tidy passes (either entry point, whatever the settings) are
// known to leave the text as it is, for a text that does not begin inside
// a <PRE> section: every tag in it is a table row or cell tag ("<TR", "<TD",
// "<TH" or an end tag of these, in upper case, the name ended by ">" or a
// blank) or a "<BR>" neither directly before an end tag "</T" nor after an
// "&nbsp;", and it holds no "&" but a standing "&nbsp;", no "-->", no
// placeholder or NUL byte and no empty or blank line.  A buffer of table
// rows whose cells were tidied one by one usually is such a text.  False
// when in doubt.
bool HTML_TidyLeavesUnchanged(const TextString& text);
// The same for a piece of a text: the byte after the piece must be readable
// (a NUL-terminated text's end, or more of the text).
bool HTML_TidyLeavesUnchanged(std::string_view text);
// Removes empty paragraphs and cell-ending line breaks, pulls emphasis and
// FONT tags up to the tags around them and normalises the newlines of the
// buffer.  Each step runs only when the scan found its tags.  Returns 1.
int HTML_TidyMarkup(FC* policies, TidyBuffer* buffer);
