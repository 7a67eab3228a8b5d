// Include files copied into HTML output (page header, footer, head script).
#pragma once

#include "foundation/text_string.h"

class FC;
class OutputDocument;

// Copies the file `name` into the document between the comment lines
// "<!-- Start of include file \"x.ext\" -->" and
// "<!--   End of include file \"x.ext\" -->" (the comments name the file
// without its directory), each framed by an empty text.  Every line of the
// file is written unchanged as one unwrapped line.  A file not found as named
// is looked for in the Context's include directory when its switch is on.  A file that cannot be
// opened leaves "<!-- Failed to find include file \"x.ext\" -->" in the output
// and reports "ERROR: Failed to find include file \"x.ext\"" (level 10).
// Returns 1 when the file was copied; 0 otherwise, and without writing when
// the document is missing or not open or no name is given.
int InsertIncludeFile(OutputDocument* document, const TextString& name, FC* policies);
