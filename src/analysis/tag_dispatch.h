// In-line tags as the analysis sees them: the dispatcher through which a
// recognised tag is carried out for the output, and the routines that the
// line's own tag handling, the heading-text rule and the executors share
// (reading a FONT or COLOUR tag, converting the tags of a heading text,
// reporting a tag fault).
//
// The executors themselves sit beside the writers they call
// (output/tag_executors.h).  The analysis reaches them through the one
// function the Context holds (Context::tagExecutor), installed by whoever
// creates the writer; without it every tag is handed on to the line's own
// tag handling.
#pragma once

#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class FontSpec;
class OutputDocument;

// Carries out one recognised in-line tag through the executor installed in
// the policy set's context (see ExecuteTag, output/tag_executors.h, for the
// arguments and the result).  Without a policy set, a context or an
// installed executor: false, with *replace 0 and an empty replacement.
// `replace` and `replacement` may be null.
bool ExecuteInlineTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                      const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                      TextString* replacement);

// Reports a fault found in a tag at level 10: as a message about the line
// when there is a line and a context, otherwise through the policy set.
void TagFault(FC* policies, AnalysedLine* line, const TextString& text);

// Normalises a colour given in a tag.  An unknown name draws
// "WARNING: \"<name>\" is not a standard HTML colour" (level 7) and is kept
// as written when it holds only letters, digits and '#'; false when it
// cannot be used.
bool NormaliseTagColour(FC& set, const TextString& name, TextString& colour);

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

// Reads the colour of a COLOUR or COLOR tag.  With three numbers in arguments
// 2 to 4 the colour is "#" and six hexadecimal digits made from them (each a
// fraction 0..1, or, when any of them is above 1, a value 0..255); otherwise
// argument 1 names it.  The colour is normalised (an empty `colour` stands
// for black).  A name that is not one of the HTML colours draws
// "WARNING: \"<name>\" is not a standard HTML colour" (level 7) and is used
// as written when it holds only letters and digits; a name with other
// characters is refused.  Under rule sets 1 and 2 white is refused with
// "TAG ERROR: \"white\" text not allowed against white background".  A
// missing name is reported through ReportTagParseFault.
bool GetTagColour(FC* policies, AnalysedLine* line, const TextString& name, const TextString& arguments,
                  TextString& colour);

// Converts a heading or contents-entry text for the output: escapes it for
// the output format (unless `noEscape`), then SUPER and SUB tags become their
// markup and every other in-line tag one blank.  Without a policy set the
// text is copied unchanged.
void ConvertTaggedText(FC* policies, bool noEscape, const TextString& text, TextString& out);
