// Qualifiers of a command line ("/RTF", "/LOG=run.log", "-rtf") and the
// parser that turns a line into the Context's run parameters.
#pragma once

#include <vector>

#include "foundation/text_string.h"

class Context;

// One qualifier: "/" and its name, the shortest accepted abbreviation and the
// length of that abbreviation.
struct QualifierDef {
    TextString fullForm;
    TextString shortForm;
    int minimumLength = 0;

    QualifierDef(const char* name, int n);
};

// The qualifiers in the order in which ParseCommandLine tests them.
const std::vector<QualifierDef>& CommandLineQualifiers();

// The qualifier a word ("/rt", "-RTF", "/LOG=x") accepts as, or null when it
// is no qualifier word or accepted by none.
const QualifierDef* FindQualifier(const TextString& word);

// Reports a qualifier word given again on the program's own command line
// ("*** Unrecognised, ambiguous or repeated qualifiers : " and the word) and
// counts it in the run parameters' refusedWords.
void ReportRepeatedQualifier(Context& context, const TextString& word);

// Where a line to parse comes from.
enum class CommandLineSource {
    kSteeringLine,  // one line of a steering file
    kProgramLine,  // the program's own command line joined into one line
    kProgramArgument  // one argument of the program's own command line
};

// Parses `line` into context.runParameters.  Accepted qualifiers are cut out
// of the line; unaccepted qualifier words are logged and taken out too; the
// remaining words are the input file specification and the policy file
// (a ".pol" word).  A qualifier word begins with "-" or with "/"; a "/" word
// whose part before any "=" holds a second "/", or that names an existing
// file or directory, is a file specification.  A value runs to the next
// blank or tab (to the end of the argument for kProgramArgument) unless it
// is quoted.  Returns 0 for a steering-file comment line, else 1.
int ParseCommandLine(TextString& line, Context& context,
                     CommandLineSource source = CommandLineSource::kSteeringLine);

// Cuts the first accepted occurrence of `qualifier` out of the line (replaced
// by one blank) and sets `value` to its value (empty when none).  Words that
// begin with the short form but are not an abbreviation of the full form are
// logged as "Illegal Qualifier : " and stay in the line.  Returns true when
// the qualifier was accepted.
bool ExtractQualifier(TextString& line, Context& context, const QualifierDef& qualifier, TextString* value,
                      CommandLineSource source = CommandLineSource::kSteeringLine);

// The usage text, lines separated by '\n' (no newline after the last).
TextString CommandLineUsageText();
