// Links in RTF output: Windows Help jumps and RTF HYPERLINK fields.
//
// Escaping contract: the target and the shown text are put into the markup
// exactly as given, so they must already be RTF-escaped, once.  Callers that
// pass text taken from an output line pass it as it stands (the line was
// escaped by the line conversion); callers whose text comes from an unescaped
// source (a policy file, a heading, an address built by the program) escape
// it with RTF_EscapeText before calling.  These routines never escape.
//
// Link kinds: 1 a heading inside the document (the target is its anchor
// name; "." becomes "_"), 2 a web address (a link only when it holds "://",
// else the text alone is produced), 3 an e-mail address (the target carries
// its "mailto:"), 4 a newsgroup.
#pragma once

#include "foundation/text_string.h"

class FC;

// The HYPERLINK field of a link, as written in ordinary RTF output:
// "{\field{\*\fldinst {\fsS  HYPERLINK target }{\kerning0 {\*\datafield
// ...}}}{\fldrslt {\cs32\ul\cf2\fsS text}}}", with kind 1 as a bookmark link
// (" HYPERLINK  \\l \"anchor\" ").  S is twice the default font size plus
// "Delta FONT size in pts".  The result ends with "}}}".
void RTF_FormatHyperlinkField(FC* policies, int linkKind, const TextString& target, const TextString& text,
                              TextString& out);

// The link as written in Windows Help source ("Make Windows Help source
// file"): kind 1 a help jump ("{\uldb text}{\v ID_anchor}", or "{\ul " for a
// popup when `popup` is set), kind 2 an ExecFile macro that opens the
// address, kinds 3 and 4 the HYPERLINK field.
void RTF_FormatLink(FC* policies, int linkKind, int popup, const TextString& target, const TextString& text,
                    TextString& out);
