// In-line tag execution: the entry through which a recognised in-line tag is
// carried out for the output, and the support routines the line's own tag
// handling shares with the executors (reading a FONT tag, reporting a tag
// argument that cannot be read).
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class FontSpec;
class OutputDocument;

// Carries out one recognised in-line tag: picks the executor by the tag's
// name and lets it produce a replacement text (with *replace set when the tag
// is to be replaced; an empty replacement removes it) or change conversion
// state.  True when an executor handled the tag; false hands the tag on to
// the line's own tag handling (AnalysedLine::ProcessInLineTag).
//
// No executors are installed yet: every tag is answered false with no
// replacement, so the line's own tag handling deals with it.
bool ExecuteInlineTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                      const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                      TextString* replacement);

// Reports "TAG ERROR: Failed to parse" (+ " Arg#n in" when n > 0) + " \"" +
// tag text + " " + name + "\"" at level 10 as a message about the line (or
// through the policy set when there is no line).
void ReportTagParseFault(FC* policies, AnalysedLine* line, const TextString& tagText, const TextString& name,
                         int argumentNumber);

// Reads the font of a FONT tag: argument 1 the font type (0 face name, 1
// alternate face name), 2 the name, 3 the size (default 10; the line height
// becomes size + 2), 4 the extra style flag and 5 the style (1 italic, 2
// bold, 3 both; each default 0).  A missing or unreadable type or name is
// reported through ReportTagParseFault with its number, another type as
// "UNSUPPORTED CASE: Tagged font type"; false then.
bool GetTagFont(FC* policies, AnalysedLine* line, const TextString& name, const TextString& arguments,
                FontSpec& font);
