// ConvertToTable: the conversion of one input text file into one output
// document.  It prepares the policies and names of the file, creates the
// writer for the output format (which writes the document head), reads the
// file line by line through the preprocessor into a ring of 40 analysed
// lines (a line is analysed once its successor has been read), hands each
// line that leaves the ring to the blocks of the file (file_blocks.h), and
// at the end has the blocks written, writes the document foot and closes
// the files.
#pragma once

#include <vector>

#include "foundation/text_string.h"

class AnalysedLine;
class Context;
class FC;
class StringList;

// Number of analysed lines the conversion keeps at a time.
constexpr int kLineRingSize = 40;
// Most lines "Lines to ignore at end of file" can drop.
constexpr int kMaxLinesIgnoredAtEnd = 20;

// Converts one file.  `master` is the run's master policy set, `run` the
// options collected for this run, `file` the set this conversion uses (it
// keeps its merged policies afterwards).  `outputLocation` is a directory or
// file name given by the caller (may be empty: the output goes beside the
// input).  `outputList`, when given, receives the output lines in place of
// a file.  True when the file was converted; false (with a message) when the
// input cannot be opened, the output cannot be opened or written, or the
// output format has no writer.
bool ConvertToTable(FC& master, FC& run, FC& file, Context& context, const TextString& inputPath,
                    const TextString& outputLocation, int specialFormatCode, StringList* outputList);

// The path of the document ConvertToTable would write for `inputPath`
// with the same policies, before anything is read or written; empty when
// the output format has no writer.  With `namedForReading`, it receives the
// files that those policies name for the conversion to read (the HTML and
// directory header, footer and script files, the fragments, styles, link
// dictionary and text substitution files), each as it is found where the
// readers look (as named, beside the input, beside the policy file); a
// name that finds no file is left out.
TextString OutputFilePath(FC& master, FC& run, Context& context, const TextString& inputPath,
                          const TextString& outputLocation, std::vector<TextString>* namedForReading = nullptr);

// What happens to a line in the ring: it was read (and its positions set),
// it was analysed, it was handed to the table engine.
enum class RingEvent { Read, Analysed, HandedOn };
// A hook for tests, called with each event of each line.  Null (the
// default) for no calls.
using LineRingObserver = void (*)(RingEvent event, const AnalysedLine& line, void* data);
void SetLineRingObserver(LineRingObserver observer, void* data);
