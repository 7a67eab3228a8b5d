// Paragraph and list structure of HTML output: opening and closing "<P>"
// paragraphs with alignment and margins, opening and closing the nested list
// levels of the body text, vertical space written as line breaks, the list
// levels of a contents list, and the indentation of generated HTML source
// lines by their nesting depth.
//
// Every paragraph and list level is opened and closed through the Context's
// block list, so the block stack and the tags written always agree.  The
// current indent level (DocumentState::currentIndentLevel) counts the open
// list levels of the body text; the policy set's indentationLevels list holds
// one entry per open level, innermost last: its start tag without the angle
// brackets (such as "UL" or "OL type=\"a\"").
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;
class SourcePosition;

// Indents one generated source line by `levels` levels.  Only while HTML is
// being written: unless the rule set is 1 or 2 the text loses its blanks and
// tabs at both ends; then, unless "Minimise HTML file size" is on, two blanks
// per level are put in front.
void HTML_IndentSource(FC* set, int levels, TextString* text);

// Closes the document's open paragraph, if any: "</P>", indented by the
// current indent level, closes the paragraph block of the Context's block
// list; the Context then owes 12 points less vertical space.  `label` names
// the caller for tracing and does not change the output.
void HTML_EndPara(OutputDocument* document, FC* set, const char* label);

// Starts a paragraph (`newParagraph` 1) or only a line break (0).
// Alignment: 0 or 1 left, 2 centre, 3 right, 4 justified.  A paragraph
// closes the open one, writes the vertical space still owed, and opens a
// "<P>" block with its alignment, margins (HTML 4.0) and the opening markup
// of the current font.  A line break writes "<BR>" when no paragraph is open
// and "Look for white space" is on, else an empty line; it opens no block
// and leaves an open paragraph open.
// `label`, `nextLine` and `position` do not change the output.
void HTML_StartPara(OutputDocument* document, FC* set, int newParagraph, const char* label, int nextLine,
                    int alignment, const SourcePosition* position);

// Writes `points` of vertical space as line breaks: one "<BR>" per 12 points
// (rounded up) when above 5 points, plus one inside a list when "<P> inside
// list usage code" asks for it.  Refused inside an open heading.  The
// pending vertical space becomes 0.  Returns 1.
int HTML_ExtraLeading(FC* set, int points, OutputDocument* document);

// Moves the body text to list level `level`, closing the levels above it and
// opening the missing ones: the innermost with `startTag` (with or without
// its angle brackets), those between with the policy set's indentation start
// tag.  At an unchanged level a different list type closes the innermost
// level and reopens it with `startTag`; a roman list ("OL type=\"i\"")
// requested inside an alphabetic one ("OL type=\"a\"") keeps the list.
void HTML_SetIndentLevel(OutputDocument* document, int level, FC* set, const char* startTag);

// HTML_SetIndentLevel with the policy set's indentation start tag.
void HTML_ChangeIndentLevel(OutputDocument* document, int level, FC* set);

// The list level of a character position, (position + 10) / 20 (0 for
// positions of 0 or less), through HTML_ChangeIndentLevel.
void HTML_SetIndentFromPosition(FC* set, OutputDocument* document, int position);

// The list levels of a contents list, kept in the caller's `currentLevel`.
// A change starts a paragraph first; levels are written directly with the
// indentation start tag and tag name and are not pushed on the block list.
void HTML_SetContentsIndentLevel(OutputDocument* document, int level, int* currentLevel, FC* set);

// The left margin that remains once the list levels of the body text have
// indented it: margin - 20 x the current indent level, not below 0.
int HTML_AdjustMarginForIndent(FC* set, int margin);

// A margin that can be written: 0 for a negative margin.
int HTML_ClampMargin(FC* set, int margin);
