// OutputDocument: the base of the output writers.  Every markup routine
// writes through these operations (a wrapped line, an unwrapped text, a flush
// of the pending output), a writer opens its output files through Open /
// OpenAtLine, and the two tag scans hand each in-line tag of a line to the
// line: the input-side scan to its tag handler, the output-side scan to its
// tag executor.
#pragma once

#include "context/wrapped_text_file.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "foundation/text_string.h"

class FC;
class AnalysedLine;

class OutputDocument : public WrappedTextFile {
public:
    TextString currentFileName;  // name (stem) of the file being written
    TextLine pending;  // output collected before it is written
    int fileStarted = 0;  // 1 once an output file has been started
    int paragraphOpen = 0;  // an HTML paragraph is open (set by the HTML writer)
    // A conversion reads its whole input before any of the body is written,
    // so it asks for the document head to be written only after the input
    // was read: TITLE, KEYWORDS, DESCRIPTION, BASEHREF and STYLE_SHEET
    // directives and HTML_HEADER fragments of the text then reach the head.
    int deferHead = 0;
    int headPending = 0;  // the head of the opened file is still to be written
    int writeFailureReported = 0;  // the file's open, write or close failure has been reported
    // The head's lines are being written: they go out as they stand, each
    // unwrapped line whole, not through the buffer that wraps the body.
    int writingHead = 0;
    // Writes the head of the opened file now, when it is still pending.
    virtual void WriteDeferredHead() {}

    OutputDocument() = default;
    ~OutputDocument() override = default;

    // Reports, once, that the file `name` could not be written or closed:
    // "ERROR: Can't write file" with the name and the system's reason.
    void ReportWriteFailure(FC* set, const TextString& name);
    // Closes every file (CloseAll), then reports a write or close failure
    // of `name` not reported yet.  True when everything was written.
    bool CloseChecked(FC* set, const TextString& name);

    // Forwards unchanged to the text file.
    bool OpenForWrite(const char* name, int toConsoleOutput, int binary) override {
        return TextFile::OpenForWrite(name, toConsoleOutput, binary);
    }
    // An output document is not a source: no line, unless the document has
    // been opened for reading (the converter reads its input through an
    // HTMLFile); then it reads like any wrapped text file.
    int ReadSourceLine(TextLine& line, FC& policies) override;

    // The full output file name for an input name.  Each writer builds its
    // own; the base gives an empty name and 0.
    virtual int GetOutputFileName(const char* inputName, FC* set, TextString* out);
    // Opens the next output file: OpenAtLine with no line and no previous
    // document.
    virtual int Open(const char* name, FC* set, int flag);
    // Opens the next output file and writes its document head; a previous
    // document given here is finished first.  The base opens nothing and
    // returns 0.
    virtual int OpenAtLine(const char* name, FC* set, AnalysedLine* line, OutputDocument* previous, int flag);

    // Writes one output line; wrapped unless `unwrapped` is set.
    virtual int WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) = 0;
    // Flushes the pending output, then writes the text as one unwrapped line.
    virtual int WriteText(FC* set, OutputDocument* document, const char* text) = 0;
    // Writes out the pending output.
    virtual int FlushBuffer(FC* set, OutputDocument* document, int final) = 0;
    // Input-side tag scan: hands every in-line tag of the line to the line.
    void ProcessInLineTags(AnalysedLine* line, FC* set) override;
    // Output-side tag scan: executes every in-line tag of the line's current
    // (tagged) text with AnalysedLine::ExecuteTag.  Runs for kind 6 or when
    // the input has been seen to contain in-line tags.  *result is raised to
    // the largest result a tag returned (the caller initialises it).  A lone
    // delimiter reports "TAG ERROR: Unbalanced in-line tag delimiters".
    virtual void ExecuteLineTags(int kind, OutputDocument* document, AnalysedLine* line, FC* set,
                                 TextString* outText, int* result);
};
