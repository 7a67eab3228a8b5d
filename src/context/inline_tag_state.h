// State the in-line tag executors keep for the file being written: the
// last CHANGE_INDENT values and a heading opened by a HEADING tag.
#pragma once

#include "foundation/source_position.h"
#include "foundation/text_string.h"

// A heading opened by a HEADING tag and not yet closed by END_HEADING.
struct TaggedHeading {
    int open = 0;
    int level = 2;  // 1-6; negative: written as a paragraph, not as <Hn>
    int alignment = 1;  // 1 left, 2 centre, 3 right, 4 justified
    int leftIndent = 0;  // the indent change in force when the heading began
    int rightIndent = 0;
    int extraLeading = 0;  // points of space wanted before the heading
    TextString text;  // the HEADING tag's text; empty: the collected text is used
    TextString anchorText;  // the HEADING tag's anchor text
    TextString collected;  // line text gathered up to END_HEADING
    SourcePosition position;
};

struct InlineTagState {
    int indentChange[2] = {0, 0};  // the two values of the last CHANGE_INDENT tag
    TaggedHeading heading;
};
