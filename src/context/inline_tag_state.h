// State the in-line tag executors keep for the file being written: the
// last CHANGE_INDENT values, a heading opened by a HEADING tag, and whether
// the tags of a table cell are being run.
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

// The table cell whose tags are being run (PreForm::ProcessCellTags).  In a
// cell the executors write only what a cell can hold, and the texts they
// take from the input (an argument, a variable's value) come out as text.
struct TableCellTags {
    int active = 0;
    // RTF groups that tags of the cell opened (an FO font override); the
    // cell closes them at its end.
    int openGroups = 0;
};

struct InlineTagState {
    int indentChange[2] = {0, 0};  // the two values of the last CHANGE_INDENT tag
    TaggedHeading heading;
    TableCellTags cell;
};
