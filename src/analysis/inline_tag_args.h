// In-line tag syntax: how a tag text such as "[[FONT 1, Arial, 12]]" or a
// directive line "$_$_TABLE_LAYOUT 3, 1, 20" splits into a tag name and an
// argument list, how single arguments are read by their type, how tags are
// removed from a text, and the page-scope words of folio definitions.
//
// The argument list is kept in one normalised text: a marker character stands
// in front of every argument, argument 1 included ("|3|1|20").  The marker is
// the first character of "|#?/\+^&*=~" that the text does not contain.
#pragma once

#include <string_view>

#include "foundation/text_string.h"

class CharBuffer;
class FC;
class PatternList;
class PatternRule;
class SourcePosition;
struct PatternMatch;

// True when `name` (any case) is one of the in-line tag names this program
// knows.
bool IsKnownTagName(const char* name);

// Splits a tag text into its name and normalised arguments.  The delimiters
// (or the directive prefix) are cut off, the name is the text up to the first
// blank, comma or "=" after its first character.  For HTML and HTML_COMMENT
// the arguments are the raw rest of the tag.  A nested or incomplete tag and
// an unknown name give false with `error` set and `level` 10; `level` is -1
// when there is no error.  Name and arguments are returned for unknown names.
bool RecogniseTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                  TextString& error, int& level);

// What reading a tag text found: RecogniseTag's outcomes, before any error
// text is composed.
enum class TagReading { kRecognised, kNestedOrIncomplete, kUnknownName, kUnparsable };

// Whether ReadTag reads the arguments of a tag whose name is unknown.
enum class UnknownTagArguments { kRead, kLeftUnread };

// RecogniseTag without the error text, for callers that show none or make
// their own.  With kLeftUnread the arguments of a tag of an unknown name are
// left empty where reading them could report no fault (the tag holds no
// "|", the first marker character); a plain tag's name is then read in
// place.  Recognised tags always have their arguments read.
TagReading ReadTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                   UnknownTagArguments unknownArguments);

// The error text and level RecogniseTag gives for a reading: empty and -1
// for a recognised tag.
void DescribeTagReading(TagReading reading, const TextString& name, const TextString& tagText, TextString& error,
                        int& level);
// Appends `prefix` and the error text DescribeTagReading gives to `out`.
void AppendTagReadingError(TagReading reading, const TextString& name, const TextString& tagText,
                           std::string_view prefix, TextString& out);

// Normalises `text` (a tag's content, name included) in place: the first
// occurrence of `tagName` is removed (without regard to case, as names are
// recognised that way), blanks are collapsed, the directive prefix is removed
// from the front, and the rest is split at commas (or, when there is no comma
// outside double quotes, at blanks) into the marker form.  Reports
// "PROGRAM ERROR: Can't parse tag ..." and returns false when no marker
// character is free.
bool ParseTagArguments(FC& policies, TextString& text, const char* tagName);

// Argument n (from 1) of a normalised argument list; empty when absent.
// Returns whether the list holds an argument n.
bool GetTagArgument(FC& policies, const TextString& arguments, int n, TextString& out);
// The same read in place: `out` views the argument within `arguments`.
bool FindTagArgument(const TextString& arguments, int n, std::string_view& out);

// The argument list as running text: the leading marker dropped and every
// further marker turned into a blank.
TextString JoinTagArguments(const TextString& arguments);

// The text of a tag after its name, exactly as written: commas, quotes and
// runs of blanks kept, one separating blank dropped (what a TEXT tag stands
// for on the page).  The argument list splits at commas and collapses
// blanks, which would lose the commas of "[[TEXT Hello, world]]".
TextString RawTagArgumentText(const FC& set, const TextString& tag, const TextString& name);

// ---- Argument readers ----
// Each reads argument n (from 1), trimmed, after any "name=".  True with the
// value read; otherwise true with `defaultValue` when `hasDefault`, else
// false with the out value 0 (codes), -1 (integers), -1.0 (reals) or empty
// (texts).  An empty argument is never a fault.

// Alignment codes: first letter L, C, R, J (either case) give 1-4.  Another
// letter reports "TAG ERROR: Bad alignment code '<value>' " (with "using
// default value instead" when a default is given) at level 10.
bool GetTagAlignment(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue);
bool GetTagAlignmentOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue);
bool TryGetTagAlignment(FC& policies, const TextString& arguments, int n, int& out);

// Vertical alignment codes: T, B, C give 1-3; "TAG ERROR: Bad vertical
// alignment code ..." otherwise.
bool GetTagVerticalAlignment(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault,
                             int defaultValue);
bool TryGetTagVerticalAlignment(FC& policies, const TextString& arguments, int n, int& out);

// List style codes: B, P give 1, 2; "TAG ERROR: Bad list style code ..."
// otherwise.
bool GetTagListStyle(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue);
bool GetTagListStyleOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue);

// Integer arguments: a decimal integer within the range of int.
bool GetTagInteger(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue);
bool TryGetTagInteger(FC& policies, const TextString& arguments, int n, int& out);
bool GetTagIntegerOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue);

// Real arguments: a decimal number with at most one point and a finite value.
bool GetTagReal(FC& policies, const TextString& arguments, int n, double& out, bool hasDefault, double defaultValue);
bool GetTagRealOrDefault(FC& policies, const TextString& arguments, int n, double& out, double defaultValue);

// Text arguments: the argument as normalised (outer blanks trimmed, an
// unquoted "name=" dropped, enclosing double quotes removed, doubled quotes
// made single).  An absent or empty argument is not read.
bool GetTagString(FC& policies, const TextString& arguments, int n, TextString& out, bool hasDefault,
                  const char* defaultValue);
bool TryGetTagString(FC& policies, const TextString& arguments, int n, TextString& out);
bool GetTagStringOrDefault(FC& policies, const TextString& arguments, int n, TextString& out,
                           const char* defaultValue);

// ---- Tag removal ----

// Copies `text` to `out` without the tags between the two delimiters (found
// without regard to case).  `keepList` and `removeList` are comma-separated
// tag names (null or empty for none): with a keep list every tag not named in
// it goes; with only a remove list the tags named in it go; with neither,
// every tag goes.  With the delimiters "<" and ">" the names of "<B>" and
// "</B>" are both B.  Returns the number of tags left in place.
int RemoveTags(FC& policies, const char* startDelimiter, const char* endDelimiter, const char* keepList,
               const char* removeList, const TextString& text, TextString& out);
// RemoveTags with the policy set's in-line tag delimiters.
int RemoveInLineTags(FC& policies, const char* keepList, const char* removeList, const TextString& text,
                     TextString& out);

// ---- Page scopes of folio definitions ----

// Reads the scope words of a folio definition (separated by commas when the
// text holds one, else by blanks): ALL_PAGES, ODD_PAGES_ONLY,
// EVEN_PAGES_ONLY set `pageScope` 0, 1, 2; GLOBAL, FROM_NEXT_FOLIO and
// FROM_LAST_FOLIO set `global` 1, 0, 0 (the last also moves `from` back to
// the last FOLIO tag before it).  `from` starts one line after the input
// tracker's position.  Conflicts and unknown words are reported in `error`
// (level 10) and give false; `level` is -1 when there is no error.  `words`
// has its blanks collapsed and is trimmed.
bool ParsePageScope(FC& policies, TextString& words, SourcePosition& from, int& pageScope, int& global,
                    TextString& error, int& level);

// ---- Tags in heading texts ----

// A callback rule for a pattern rewriter (or list) whose user data is the
// policy set: the matched text is taken as a tag.  SUPER and SUB become the
// output of their executor (mode 8); CAD and CAAD, which have no executor,
// stay; every other tag becomes one blank.  1001 when replaced, else 1002.
int ConvertTaggedTextRule(PatternList* list, PatternRule* rule, PatternMatch* match, CharBuffer* working,
                          int* position, void* userData);
