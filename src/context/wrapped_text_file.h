// WrappedTextFile: the text file through which every source line of a
// conversion is read (pending lines first, leading form feeds split off,
// lines skipped at the start, the per-line preparation steps) and through
// which output lines are written with word wrapping.
#pragma once

#include <vector>

#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "foundation/text_string.h"

class AnalysedLine;
class FC;

class WrappedTextFile : public TextFile {
public:
    TextString whiteSpace{"\n\t "};  // a line may break here; the character is dropped
    TextString breakAfter{")]}>,;"};  // a line may break after these
    TextString breakBefore{"([{<!=+-\""};  // a line may break before these
    int width = 80;  // longest piece written
    StringList pendingLines;  // delivered before further file lines (duplicates allowed)
    int nextPending = 0;  // index of the next pending line to deliver
    int endOfInputSeen = 0;  // the file ran dry and the end marker was considered
    int linesToSkip = 0;  // file lines still to drop at the start of the file
    // The line delivered last was one of the program's own (see
    // MarkPendingAsOwn), not a line of the user's text.
    bool lastLineIsOwn = false;

    WrappedTextFile() = default;
    // Empties the pending list; a held-back remainder of this reader is
    // dropped with it.
    ~WrappedTextFile() override;

    // Writes one line wrapped; a file open for reading writes nothing and
    // returns 0.
    virtual int WriteWrapped(TextLine* line);
    // Delivers the next source line into `line` (whose text the caller has
    // emptied) and returns 1, or 0 when the input is exhausted.  The order is:
    // the remainder held back after a form feed, the pending lines, then the
    // file's own lines (after the lines to skip).  Each delivered line has
    // passed the acceptance test (not the held-back remainder), then goes
    // through the line's PreprocessLine, the text commands, the raw copy, tab
    // expansion (not under rule sets 1 and 2) and the line's TidyLine.
    virtual int ReadSourceLine(TextLine& line, FC& policies);
    // Input-side tag scan of a line read through this file, run by the
    // preprocessor when the line holds in-line tag delimiters.  A plain
    // reader carries out no tags; a writer that reads (OutputDocument) hands
    // every tag of the line to the line.
    virtual void ProcessInLineTags(AnalysedLine*, FC*) {}

    // Reports the warnings of the reading (as messages) and forgets them.
    void ReportReadWarnings(FC& policies);
    // The line read last, as a message about the file read names it:
    // "line 12" (a line of an included file counts as the line of the file
    // read that included it).
    std::string LastLineRead() const;

    // Queues a line to be delivered after the lines already queued.
    void AppendPending(const char* text) { pendingLines.Add(text); }
    // Inserts a line so that it is the very next one delivered.
    void InsertPending(const char* text);
    // The lines queued so far are the program's own (the definitions and the
    // page marker a rule set adds to every file), not the user's text: when
    // one is delivered, lastLineIsOwn is set.
    void MarkPendingAsOwn();
    // Number of queued lines not yet delivered.
    int PendingCount() const { return pendingLines.count - nextPending; }

private:
    // Which pending lines are the program's own: one mark a pending line
    // from the first (index 0 of pendingLines) up to the last marked one;
    // the lines after those are the user's.
    std::vector<bool> ownPending;

    // Appends the next pending line to `line` and runs the acceptance test;
    // false when no pending line is left.  *accepted tells the test's result.
    bool TakePendingLine(TextLine& line, FC& policies, int* accepted);
    void ClearPending();
};

// Writes `line` to `file`, cut into pieces of at most the file's width at its
// break characters unless `noWrap`; every piece keeps the line's indent.
// optionA and optionB go unchanged to the line's CutWrappedPiece.  Returns 1
// when every piece was written.
int WriteWrappedLine(WrappedTextFile* file, TextLine* line, int noWrap, int optionA, int optionB);

// The reader's held-back remainder (the rest of a line that began with a form
// feed) is one slot shared by all readers, and only the reader that held it
// back takes it.  A new top-level input clears it.
void ResetHeldBackRemainder();

// When the policy "Preserve file structure using <PRE>" is on, queues the
// END_PRE directive line (spelled with the current "Directive delimiter") on
// the reader's pending list.  The reader calls it once, when its input has
// run dry.
void AppendEndPreMarker(FC* policies, WrappedTextFile* reader);
