// Escaping of generated text for the two output formats.
#pragma once

#include "foundation/text_string.h"

class FC;

// Escapes text for HTML output in place.  "&", "<" and ">" outside in-line
// tags (between the start and end tag delimiters) become "&amp;", "&lt;" and
// "&gt;" under every character encoding.  Bytes above 160 become their
// entities ("&eacute;") only when the text is Latin-1: no "Character
// encoding" given, or one of "us-ascii", "ascii", "windows-1252",
// "iso-8859-1" (ignoring case), and "Input file contains Japanese characters"
// off.  Does nothing for plain-text output (format 2).
void HTML_EscapeText(FC* policies, TextString& text);

// Escapes text for RTF output in place: "\" becomes "\\", "{" becomes "\'7b"
// and "}" becomes "\'7d".  Text must be escaped exactly once: escaping it a
// second time doubles the backslashes it added.
void RTF_EscapeText(FC* policies, TextString& text);

// Text for a double-quoted HTML attribute value (or link text): "&", "<",
// ">" and '"' become entities, so the value can never end the attribute
// early.
TextString HTML_EscapeAttribute(const TextString& text);

// Text to be written between "<!--" and "-->": every "--" becomes "- -"
// ("---" becomes "- - -"), so the text can never end the comment early and
// let what follows it through as live markup.
TextString HTML_CommentText(const TextString& text);
