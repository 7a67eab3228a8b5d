// In-line tag execution: the dispatcher through which a recognised in-line tag
// is carried out for the output, its executors, and the support routines that
// the line's own tag handling and the heading-text rule share with them
// (reading a FONT or COLOUR tag, converting tags in a heading text,
// reporting a tag argument that cannot be read).
//
// Every executor takes the same arguments: the mode (0 and 1 the ordinary
// output modes, 5 the literal form of the delimiter tags, 8 the heading-text
// rule), the line that holds the tag (may be null), the tag text as written,
// its name and normalised argument list, the output document (may be null),
// the policy set, and the replace flag and replacement text it hands back.
// A set replace flag with an empty replacement removes the tag.
#pragma once

#include "context/inline_tag_state.h"

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class AnalysedLine;
class Context;
class FC;
class FontSpec;
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

// The dispatcher under the name by which the analysed line and the tag rule
// of heading texts call it (inside AnalysedLine the name ExecuteTag is the
// line's own operation).
inline bool ExecuteInlineTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                             const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                             TextString* replacement) {
    return ExecuteTag(mode, line, tagText, name, arguments, document, policies, replace, replacement);
}

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

// The number of a LIST_ITEM tag, GetListItemNumber, is read with the lists
// (analysis/lists.h).

// ---- State the executors keep for the file being written ----

// The executors' state for the file being written (kept by the context and
// reset with each new file).  Null without a context.
InlineTagState* GetInlineTagState(Context* context);
// Forgets the executors' state of the context (at the start of each file and
// when the context goes away).
void ResetInlineTagState(Context* context);
