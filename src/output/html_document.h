// The head and foot of an HTML output document: everything written before
// the converted text (document type, HEAD with title, links, META lines and
// script, the BODY start tag, the whole-document wrappers, the page header
// and the top navigation bar) and everything after it (closing of open lists
// and paragraphs, the bottom navigation bar, the page footer, the wrappers,
// BODY and HTML end tags).  Every HTML output file passes through both.
//
// Text written into the head is escaped exactly once, after its in-line tags
// have run: "&" and "<" (and ">" in the TITLE), and in attribute values the
// double quote that delimits them.  Entity references already in a text
// ("&name;", "&#n;") are left as they are, so a text that the directives
// stored already escaped (KEYWORDS, BASEHREF, SHORTCUT_ICON, STYLE_SHEET)
// passes through unchanged.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class OutputDocument;

// The switches each caller hands to the head and foot.  Only the
// navigation-bar switch and the directory-page switch are read here.
struct PageEndOptions {
    int pageOption = 0;  // the opener's first page option; not read here
    int navigationBar = 1;  // navigation bars may be written (every caller sets it)
    int directoryPage = 0;  // the master index page is being written
};

// Writes the document head.  The texts are empty when not given; the page
// header is an include-file name or a fragment marker ("*NAME*").  Returns 1,
// or 0 (with "PROGRAM ERROR: File not open in HTML_StartDocument!") when the
// document is missing or not open.  Leaves the code location as it found it.
int HTML_StartDocument(OutputDocument* document, AnalysedLine* line, const TextString& outputFileName,
                       const TextString& title, const TextString& styleSheet, const TextString& baseURL,
                       const TextString& keywords, const TextString& description, const TextString& scriptFile,
                       const TextString& pageHeader, FC* set, const PageEndOptions& options);

// Writes the document foot and flushes the document.  The footer is an
// include-file name or a fragment marker.  Returns 1, or 0 (with "PROGRAM
// ERROR: File not open in HTML_EndDocument!") when the document is missing or
// not open.  The open blocks are closed one by one, innermost first, until
// the BODY block is closed.  Leaves the code location at 0.
int HTML_EndDocument(OutputDocument* document, AnalysedLine* line, FC* set, const TextString& pageFooter,
                     const PageEndOptions& options);

// The page headers and footers of a framed document: the header-frame and
// footer-frame texts, and the header and footer of the main frame.  Each is
// an include-file name, a fragment marker or empty.
void HTML_GetFrameFragments(FC* set, TextString* headerFrame, TextString* footerFrame, TextString* mainHeader,
                            TextString* mainFooter);

// The charset a page declares in its META line is HTML_DeclaredCharset
// (output/markup/escaping.h).

// The four head texts; each builder empties `out` first.
// The DOCTYPE line for "HTML version to be targeted"; empty when the head is
// omitted or under rule set 2.
void HTML_GetDocTypeText(FC* set, TextString* out);
// "  <!-- Converted by <product> <version> -->"; empty unless "Comment
// generation code" is 0.
void HTML_GetGeneratorComment(FC* set, TextString* out);
// The TITLE line.  A given title has its in-line tags executed first; an
// empty one gives "Directory Index" on the directory page, else the input
// file name.
void HTML_GetTitleText(FC* set, OutputDocument* document, int directoryPage, const TextString& title,
                       TextString* out);
// The BODY start tag with the document colours and background image.
void HTML_GetBodyTag(FC* set, TextString* out);

// Escapes a text written into the document head, in place: "&" that does not
// start an entity reference, "<", and ">" (element content) or '"'
// (attribute values, `attribute` set).  Escaping an escaped text changes
// nothing.
void HTML_EscapeHeadText(TextString* text, bool attribute);
