// Anchor names of headings: the name under which a heading's anchor is
// written and by which section references and contents lines link to it.
// Numbered headings are named by their section number ("Section_2.1"),
// other headings by their text made safe for an anchor name.
#pragma once

#include "foundation/text_string.h"

class FC;
class TextLine;

// The text made safe for an anchor name: entities decoded, lower-cased,
// blanks and the characters ! " % & ' * : < > ? made '_', accented Latin-1
// vowels made plain (a, e, i, o, u) and every other byte from 128 up made
// '_'.
void MakeAnchorText(FC* policies, const TextString* text, TextString* out);

// The anchor name of a heading of the line type: empty for kLineNoAnchor or
// no text.  Numbered headings (101-106) and contents lines (151-156) give
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
void GetLineHeadingLinkName(const TextLine* line, FC* policies, int useNumbering, TextString* out);

// Splits a heading text into its section number and title.  A first word
// with exactly one closing bracket (")", "]" or "}") gets a blank after it;
// the text is escaped for the output format unless `noEscaping`.  Numbered
// headings (101-106): the number is the first word, and when the level's
// numbering style has a prefix ("Chapter 3") the next words up to the one
// that reads as a section number (at most the third word); the title is the
// text without them.  Contents lines (151-156): the first word, or the first
// two with a prefix.  Other types: no number, the whole text as title.
void SplitHeadingNumber(FC* policies, const int* lineType, int noEscaping, const TextString* text,
                        TextString* number, TextString* title);
