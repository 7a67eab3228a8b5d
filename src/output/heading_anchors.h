// Anchor names of headings: the name under which a heading's anchor is
// written and by which section references and contents lines link to it.
// Numbered headings are named by their section number ("Section_2.1"),
// other headings by their text made safe for an anchor name.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;

// The text made safe for an anchor name: entities decoded, lower-cased,
// blanks and the characters ! " % & ' * : < > ? made '_', accented Latin-1
// vowels made plain (a, e, i, o, u) and every other byte from 128 up made
// '_'.
void MakeAnchorText(FC* policies, const TextString* text, TextString* out);

// The anchor name of a heading of the line type: empty for type -5 or no
// text.  Numbered headings (101-106) and contents lines (151-156) give
// "Section_" and the section number of their first word; with `useNumbering`,
// when the level's numbering style has a prefix ("Chapter 3"), the number is
// looked for in the second and third words.  Underlined, forced and
// key-phrase headings give their anchor text (MakeAnchorText), cut to 30
// characters, "__" and a short checksum name when longer than 60.  Any other
// type is reported as an unsupported case and named "Section_" and its first
// word.
void GetHeadingLinkName(const TextString* text, int lineType, FC* policies, int useNumbering, TextString* out);
void GetHeadingLinkName(const TextString& text, int lineType, FC* policies, int useNumbering, TextString& out);

// GetHeadingLinkName with the line's type and text; empty without a line.
void GetLineHeadingLinkName(AnalysedLine* line, FC* policies, int useNumbering, TextString* out);
