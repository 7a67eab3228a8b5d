// Expansion of a file specification with wildcards (such as "docs/*.txt")
// into the sorted list of matching files, handed out one at a time.
#pragma once

#include "foundation/text_string.h"

class MessageReporter;

// Sets `out` to the index-th (0-based) file matching `spec`, or to the empty
// text when the index lies beyond the list.  Index 0 searches afresh: files
// only (no directories), each as the specification's directory followed by
// the file name, sorted by name ignoring case; an empty file is reported as
// a warning and still listed.  Higher indexes read the list built by the
// last call with index 0.  The list is shared program-wide, so only one
// expansion is walked at a time.
void GetMatchingFileName(MessageReporter* reporter, const TextString& spec, int index, TextString* out);
