// Font changes in HTML output.  FONT markup may not cross block boundaries,
// so whether a font may be opened or closed depends on the innermost open
// block of the Context's block list.
#pragma once

class BlockList;
class FC;
class OutputDocument;

// Font-change kinds with fixed meaning.
constexpr int kFontChangeAlways = 2;  // always allowed

// Whether font markup of this kind may be written at the current output
// point.
bool FontChangeMarkup(FC* set, int kind);

// Decides what a block that is being closed (with an end tag other than
// "</P>") still owes: the end markup of the current font, the end of the open
// paragraph, "</LI>" or "</DD>".  Each result is set to 0 or 1.  `policyBlock`
// is set when the innermost block is an indentation block that has counted
// items.  `endListItem` and `endDefinition` may be null.
void HTML_EndFont(FC* set, OutputDocument* document, BlockList* blocks, int policyBlock, int* endFont,
                  int* endParagraph, int* endListItem, int* endDefinition);
