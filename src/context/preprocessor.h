// The preprocessor: stands between the source reader and the line analysis.
// It reads source lines, recognises directive lines (lines that begin with
// the directive prefix, "$_$_" by default), carries out what each directive
// does, swallows the lines the conversion is not to see (fully handled
// directives, ignored blocks, excluded document sections) and returns the
// next line the conversion is to see, marked with a statement code when it
// is a directive line that later stages act on.
#pragma once

#include "context/statement_codes.h"
#include "foundation/text_string.h"

class AnalysedLine;
class Context;
class FC;
class WrappedTextFile;

// Kinds of special block (the policy set's preprocessor state); the same
// codes, as a file's special format code, tell the table engine how to write
// a block (none: the engine decides).
enum SpecialBlockKind : int {
    kSpecialNone = 0,
    kSpecialTable = 1,
    kSpecialCode = 2,
    kSpecialDiagram = 3,
    kSpecialPreformatted = 4,
    kSpecialUserTableAlias = 5,  // a format code only: taken as a user table
    kSpecialUserTable = 6,
    kSpecialDelimitedTable = 7,
    kSpecialCommaDelimitedTable = 8,
    kSpecialUnderwriter = 9,  // a format code only: refused
    kSpecialInversePyramid = 10,  // a format code only
};

// Reads the next line the conversion is to see into `line`.  Returns 1, or
// 0 at the end of the input (the line then holds nothing useful).  The line
// is reset first, unless `lineIsReset` tells that it is a fresh or recycled
// record that nothing has touched since.
int ReadPreprocessedLine(WrappedTextFile& reader, AnalysedLine& line, FC& policies, bool lineIsReset = false);

// Carries out one directive line.  `text` is a copy of the line's unescaped
// text, which begins with the directive prefix.  Returns 1 when the line is
// consumed, 0 when it is to be delivered (with the tag code it was given).
// Sets `htmlLineFlag` to 1 for an HTML_LINE directive.
int ProcessDirective(WrappedTextFile& reader, AnalysedLine& line, FC& policies, TextString& text, int& htmlLineFlag);

// True when `keyword`, compared without regard to case, stands at the start
// of `text`.  An empty keyword matches nothing.
bool LineStartsWith(const TextString& text, const char* keyword);

// Removes the first occurrence of `keyword` (found without regard to case)
// from `text`; reports a TAG ERROR when there is none.
void RemoveDirectiveFromLine(FC& policies, TextString& text, const char* keyword);

// When a special block is open, reports the missing end directive as a
// line message and closes the block.
void CheckMissingEndTable(FC& policies, AnalysedLine& line, const char* name);

// Records a directive as a tag of the context's tag list, at the line after
// the one being read.
void RecordDirectiveTag(FC& policies, const char* name, const TextString& text);

// ---- Pieces of the above, open to tests ----

// The directive prefix in force: the "Directive delimiter" policy, or "$_$_"
// when that policy is empty.
const TextString& GetDirectivePrefix(const FC& policies);

// Refills the context's directive keyword table when it was built with
// another prefix than the one in force.
void EnsureDirectiveKeywords(FC& policies);

// Cuts a line that holds an in-line LINERULE tag into the part before the
// tag, the directive line made of the tag and the part after it; the first
// part stays in `line`, the others are queued on the reader to be delivered
// next.  Returns true when the line was cut.
bool SplitInlineLineRule(WrappedTextFile& reader, AnalysedLine& line, FC& policies);

// The name and content of a META_TAG directive line.
void ParseMetaTagLine(const TextString& text, TextString& name, TextString& content);

// The directive table: tests `text` against each directive after the
// ignore and section directives, in recognition order, and carries out the
// first that matches.  Returns true when one matched; `result` then says
// whether the line is consumed (1) or delivered (0).
bool ApplyDirectiveTable(WrappedTextFile& reader, AnalysedLine& line, FC& policies, Context& context,
                         TextString& text, int& htmlLineFlag, int& result);
