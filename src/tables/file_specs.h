// The list of input files of a run: from a file specification string or from
// a steering file whose every line is a command line of its own.
#pragma once

#include "foundation/text_string.h"

class Context;

// Fills the Context's three batch lists (input file, policy file, steering
// line).  With `steeringFile` set, every line of `steeringFileName` is parsed
// as a command line and names the files of its own request; otherwise
// `fileSpec` is split at double quotes (each quoted part, with the text
// before the first quote in front, is one specification), or at blanks when
// `splitOnBlanks` is set.  Returns false only when the steering file cannot
// be opened.
bool ExpandFileSpecs(bool steeringFile, const TextString& steeringFileName, const TextString& fileSpec,
                     const TextString& policyFileName, Context& context, bool splitOnBlanks);

// Appends the files matching `fileSpec` (sorted, directories skipped) to the
// batch lists, each with `policyFileName` and `steeringLine`.
void AddMatchingFiles(Context& context, const TextString& fileSpec, const TextString& policyFileName,
                      const TextString& steeringLine);
