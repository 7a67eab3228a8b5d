// OutputDocument: the base of the output writers.  Every markup routine
// writes through these operations (a wrapped line, an unwrapped text, a flush
// of the pending output), and the line-tag scan hands each in-line tag of a
// line to the line's own tag handler.
#pragma once

#include "context/wrapped_text_file.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "foundation/text_string.h"

class FC;
class AnalysedLine;

class OutputDocument : public WrappedTextFile {
public:
    TextString currentFileName;  // name of the file being written
    TextLine pending;            // output collected before it is written
    int fileStarted = 0;
    int paragraphOpen = 0;       // an HTML paragraph is open (set by the HTML writer)

    OutputDocument() = default;
    ~OutputDocument() override = default;

    // Writes one output line; wrapped unless `unwrapped` is set.
    virtual int WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) = 0;
    // Flushes the pending output, then writes the text as one unwrapped line.
    virtual int WriteText(FC* set, OutputDocument* document, const char* text) = 0;
    // Writes out the pending output.
    virtual int FlushBuffer(FC* set, OutputDocument* document, int final) = 0;
    // Input-side tag scan: hands every in-line tag of the line to the line.
    virtual void ProcessInLineTags(AnalysedLine* line, FC* set);
};
