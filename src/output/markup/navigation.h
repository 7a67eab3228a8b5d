// Names of the neighbouring output files of a document split into several
// files, for navigation bars and the navigation fragment variables.
#pragma once

#include "foundation/text_string.h"

class FC;
class TextLine;

// The file index that asks GetNavigationFileNames to look the file up by
// its name (any index below -1 does).
constexpr int kLookUpNavigationFile = -99;

// Fills the names of the next, current, previous and first output file
// around the file `fileName` (up to its first '.'; the context's current
// output file when empty), each with the run's output extension.  At the
// first file `previous` names the current file, at the last file `next`
// does; `first` is the external contents file under "Generate external
// contents file", else the first file of the list, and names the current
// file when that is the first.  `contentsLink` is the first file, followed
// by "#TOC_" and the anchor name of the line's heading when a line is given
// and has one.  `fileIndex` (below -1: look the file up by name) receives the
// index used.  A file that is not in the context's output-file list, or an
// index outside it, is reported ("PROGRAM ERROR: Can't locate file ...") and
// every name becomes the looked-up name with the extension.  A run that
// lists no output files writes its document as one file, the only page:
// every name is then that file's name (`fileName`, else the file being
// written, without its folder), `first` the external contents file when
// one is asked for, and `fileIndex` -1.
void GetNavigationFileNames(FC* policies, const TextString& fileName, const TextLine* line, int& fileIndex,
                            TextString& next, TextString& current, TextString& previous, TextString& first,
                            TextString& contentsLink);
