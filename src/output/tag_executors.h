// In-line tag execution: the executors that carry out a recognised in-line
// tag for the output, beside the writers they call.  The analysis reaches
// them through the function the Context holds (Context::tagExecutor):
// whoever creates the writer installs ExecuteTag there (InstallTagExecutors).
// The routines the executors share with the line's own tag handling
// (reading a FONT or COLOUR tag, converting the tags of a heading text,
// reporting a tag fault) are in analysis/tag_dispatch.h.
//
// Every executor takes the same arguments: the mode (0 and 1 the ordinary
// output modes, 5 the literal form of the delimiter tags, 8 the heading-text
// rule), the line that holds the tag (may be null), the tag text as written,
// its name and normalised argument list, the output document (may be null),
// the policy set, and the replace flag and replacement text it hands back.
// A set replace flag with an empty replacement removes the tag.
#pragma once

#include "context/inline_tag_state.h"

#include "foundation/text_string.h"

class AnalysedLine;
class Context;
class FC;
class OutputDocument;

// Carries out one recognised in-line tag: picks the executor by the tag's name
// (compared without regard to case) and lets it produce a replacement text
// (with *replace set when the tag is to be replaced; an empty replacement
// removes it) or change conversion state.  True when the tag was handled
// here; false hands the tag on to the line's own tag handling
// (AnalysedLine::ProcessInLineTag).  Names without an executor give false
// with no replacement.  `replace` and `replacement` may be null.
bool ExecuteTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                TextString* replacement);

// Makes ExecuteTag the context's tag executor, through which the analysis
// has its in-line tags carried out.
void InstallTagExecutors(Context& context);

// The number of a LIST_ITEM tag, GetListItemNumber, is read with the lists
// (analysis/lists.h).

// ---- State the executors keep for the file being written ----

// The executors' state for the file being written (kept by the context and
// reset with each new file).  Null without a context.
InlineTagState* GetInlineTagState(Context* context);
// Forgets the executors' state of the context (at the start of each file and
// when the context goes away).
void ResetInlineTagState(Context* context);
