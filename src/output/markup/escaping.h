// Escaping of generated text for the two output formats.
#pragma once

#include "foundation/text_file.h"
#include "foundation/text_string.h"

class FC;

// Escapes text for HTML output in place.  "&", "<" and ">" outside in-line
// tags (between the start and end tag delimiters) become "&amp;", "&lt;" and
// "&gt;" under every character encoding.  Bytes above 160 become their
// entities ("&eacute;") only when the text is Latin-1: no "Character
// encoding" given, or one of "us-ascii", "ascii", "windows-1252",
// "iso-8859-1" (ignoring case), and "Input file contains Japanese characters"
// off; UTF-8 text keeps its characters.  Does nothing for plain-text output
// (format 2).
void HTML_EscapeText(FC* policies, TextString& text);

// Whether the text of the conversion is UTF-8 (rather than 8-bit text).
bool IsUtf8Text(const FC* policies);

// The Windows punctuation of HTML text read: in a page without a declared
// charset, the bytes 0x80 to 0x9F become the character references of their
// Windows-1252 characters ("&#8211;" for the en dash 0x96, "&#8364;"), so
// that no browser guesses them.  No character is made plain: an RTF
// document keeps the same characters.  UTF-8 text and text declared in a
// code page keep their bytes.
void HTML_ReferWindowsPunctuation(FC* policies, TextString& text);

// Every character beyond ASCII of UTF-8 text as a numeric character
// reference ("&#1061;"), for a page declared in another charset; a control
// character that HTML does not allow (a C0 control but tab, line feed and
// carriage return, DEL, a C1 control) as "&#65533;", the replacement
// character.
void HTML_WriteCharacterReferences(TextString& text);
// The control characters that HTML does not allow, as HTML_WriteCharacterReferences
// writes them, in the two other kinds of page: as the replacement character
// U+FFFD itself in a page declared UTF-8; as "&#65533;" in a page of 8-bit
// text, whose other bytes stay.
void HTML_ReplaceControlCharacters(TextString& text);
void HTML_ReferControlCharacters(TextString& text);
// The written form of the lines of an HTML document of these policies (for
// TextFile::writtenLineForm): one of the three above, with the look that
// tells a line it changes.  A form feed that begins a line keeps its role
// there, a page break (in pre-formatted text above all); anywhere else it is
// a control like the others.
TextFile::LineForm HTML_WrittenLineForm(FC* policies);
// The same for a page of these policies when the page's own charset is
// known to be UTF-8 (`utf8Page`) or not.
TextFile::LineForm HTML_LineFormOfPage(FC* policies, bool utf8Page);

// The written form of the lines of an RTF document of these policies (UTF-8
// text as "\uN?"), or none.
TextFile::LineForm RTF_WrittenLineForm(FC* policies);

// Every character beyond ASCII of UTF-8 text as "\uN?": N is the UTF-16 code
// unit as a signed 16-bit number; a character beyond U+FFFF is written as
// its two surrogate units.
void RTF_WriteUnicodeCharacters(TextString& text);

// The charset a page declares in its META line: "Character encoding" as a
// policy gives it, or "UTF-8" for UTF-8 text when none is given; empty when
// the page declares none.
TextString HTML_DeclaredCharset(const FC* policies);

// Whether an HTML page holds UTF-8 text: the charset it declares is UTF-8.
bool HTML_PageIsUtf8(const FC* policies);

// A value given by a policy or a directive (a title, a description, a
// caption ...) in the encoding of the page it is written into.  A value that
// is valid UTF-8 is UTF-8 text, any other 8-bit text of the Windows code
// page.  Where the value and the page agree it stays as it is; otherwise its
// characters beyond ASCII become character references ("&#233;") in HTML
// (the page's head says nothing new) and "\uN?" in RTF.  The RTF form is
// made after the value is escaped for RTF.
void HTML_WriteValueForPage(const FC* policies, TextString& text);
void RTF_WriteValueForPage(const FC* policies, TextString& text);

// Escapes text for RTF output in place: "\" becomes "\\", "{" becomes "\'7b"
// and "}" becomes "\'7d".  Text must be escaped exactly once: escaping it a
// second time doubles the backslashes it added.
void RTF_EscapeText(FC* policies, TextString& text);

// Text for a double-quoted HTML attribute value (or link text): "&", "<",
// ">" and '"' become entities, so the value can never end the attribute
// early.
TextString HTML_EscapeAttribute(const TextString& text);

// Text that may have been escaped already (a value taken from a directive
// line, which was escaped when it was read, or from a policy, which was
// not): its "<" and ">" become entities, and so does every "&" that does not
// begin an entity or character reference.  Escaping it twice changes
// nothing more, and none of it is taken for markup.
TextString HTML_EscapeMarkupOnce(const TextString& text);

// The same for RTF: a "{" or "}" that is not escaped yet gets its
// backslash, and so does a backslash that begins no escape or control word
// ("\\", "\{", "\}", "\'e9", "\u8211?" and words of letters are kept).
// The result never opens or closes a group of the document.
TextString RTF_EscapeMarkupOnce(const TextString& text);

// An in-line tag left in HTML text as it was written (one that is not
// known), escaped by HTML_EscapeMarkupOnce: the tag's 8-bit characters may
// have become entities when it was read; the tag shows as typed.
inline TextString HTML_EscapeLeftTag(const TextString& tag) { return HTML_EscapeMarkupOnce(tag); }

// Text to be written between "<!--" and "-->": every "--" becomes "- -"
// ("---" becomes "- - -"), so the text can never end the comment early and
// let what follows it through as live markup.
TextString HTML_CommentText(const TextString& text);
