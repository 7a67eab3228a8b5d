// WrappedTextFile: the text file through which every source line of a
// conversion is read (pending lines first, leading form feeds split off,
// lines skipped at the start, the per-line preparation steps) and through
// which output lines are written with word wrapping.
#pragma once

#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "foundation/text_string.h"

class FC;

class WrappedTextFile : public TextFile {
public:
    TextString whiteSpace{"\n\t "};
    TextString breakAfter{")]}>,;"};
    TextString breakBefore{"([{<!=+-\""};
    int width = 80;
    StringList pendingLines;
    int nextPending = 0;
    int endOfInputSeen = 0;
    int linesToSkip = 0;

    WrappedTextFile() = default;
    ~WrappedTextFile() override;

    // Writes one line wrapped; a file open for reading writes nothing.
    virtual int WriteWrapped(TextLine* line);
    // Delivers the next source line into `line` (whose text the caller has
    // emptied) and returns 1, or 0 when the input is exhausted.
    virtual int ReadSourceLine(TextLine& line, FC& policies);

    // Queues a line to be delivered before further file lines.
    void AppendPending(const char* text) { pendingLines.Add(text); }
    // Inserts a line so that it is the very next one delivered.
    void InsertPending(const char* text) { pendingLines.InsertAt(nextPending, text); }
};

// Writes `line` to `file`, cut into pieces of at most the file's width at its
// break characters unless `noWrap`; continuation pieces keep the line's
// indent.  Returns 1 when every piece was written.
int WriteWrappedLine(WrappedTextFile* file, TextLine* line, int noWrap, int optionA, int optionB);

// The reader's held-back remainder (the rest of a line that began with a form
// feed) is one slot shared by all readers; a new top-level input clears it.
void ResetHeldBackRemainder();
