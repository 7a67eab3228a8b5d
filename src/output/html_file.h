// HTMLFile: the output document that writes one HTML file.  It forms the
// output file name, starts the file (status line, listing banner, document
// head) and, while the output pass runs, holds generated HTML in its pending
// buffer so that the tidy passes can rewrite it before it is written; long
// lines are wrapped to 90 columns at blanks.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "output/html_tidy.h"
#include "output/output_document.h"
#include "foundation/text_string.h"

class FC;
class AnalysedLine;

class HTMLFile : public OutputDocument {
public:
    // A buffered write flushes first when more than this many characters
    // are pending.
    static constexpr int kFlushThreshold = 1024;
    // A flush that is not final keeps the most recent output, at most this
    // many characters, in the buffer.
    static constexpr int kKeepAfterFlush = 341;
    static constexpr int kWrapWidth = 90;

    FC* policies = nullptr;  // not owned; set when a file is started
    int insidePre = 0;  // the lines written last are inside <PRE> .. </PRE>
    // The front of the pending buffer, whole lines, that is known to be a
    // text the tidy passes leave unchanged (see HTML_TidyLeavesUnchanged):
    // a flush scans only what was added after it.
    int plainLength = 0;
    // What is known of the lines of that front: how many there are (-1: not
    // known) and a length none of them exceeds.  A flush of a buffer that is
    // plain throughout, with every line known to fit the width, finds where
    // to stop from these rather than line by line (FlushPlainLines).
    int plainLines = 0;
    int plainWidest = 0;
    // Where the last lines of the front start, so that a flush need not look
    // for them: line n of the output (counted since the front was last
    // measured) at kLineStarts[n % kLineStarts] as a count of the bytes
    // buffered before it; plainFirstLine and plainBase are the line and the
    // byte count at the front of the buffer.
    static constexpr int kLineStarts = 64;
    std::array<int64_t, kLineStarts> plainLineStarts{};
    int64_t plainFirstLine = 0;
    int64_t plainBase = 0;
    int pendingFirstPageOption = 0;
    TextString pendingStem;

    // Sets the HTML wrap settings: white space "\n\t ", break before "([{",
    // break after ")]},", width 90.
    HTMLFile();
    // Owners call Close first so that the buffer is written out.
    ~HTMLFile() override;

    // Writes out the whole buffer (when a file was started), then closes
    // every file.
    int CloseAll() override;
    int Close() { return CloseAll(); }

    // The full output file name: output directory, name, extension, taken
    // from the output specification where it gives them.  Returns 1.
    int GetOutputFileName(const char* inputName, FC* set, TextString* out) override;
    // Starts a file: OpenWithValue (name, set, 0, 0).  The console flag is
    // not passed on: HTML output always goes to a named file (or an attached
    // string list).
    int Open(const char* name, FC* set, int consoleFlag) override;
    // Never used for HTML documents: OpenNewFile (name, set, 0, flag).
    int OpenAtLine(const char* name, FC* set, AnalysedLine* line, OutputDocument* previous, int flag) override;
    virtual int OpenWithValue(const char* name, FC* set, int firstPageOption, int consoleFlag);
    // 1 when the file was opened and its head written; 0 (with an error
    // naming the file) when it could not be opened or would overwrite the
    // input file.
    int OpenNewFile(const char* name, FC* set, int firstPageOption, int consoleFlag);

    void WriteDeferredHead() override;

    // The buffer belongs to this writer; `document` is the file written to
    // and the owner of the started flag (every caller passes the writer).
    int WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) override;
    int WriteText(FC* set, OutputDocument* document, const char* text) override;
    // WriteText for a line the caller knows the tidy passes leave unchanged
    // and that holds no newline (a table cell written as one line); in
    // buffered mode it is not scanned again.
    int WritePlainLine(FC* set, OutputDocument* document, const TextString& line);
    // WritePlainLine with the line put together in the buffer itself: the
    // place where a line of at most `room` bytes goes (with kPlainLineSpare
    // bytes more that may be written to), after a flush when one is due
    // (its result in *result); nullptr when the writer does not buffer.
    // EndPlainLine adds the `length` bytes written there as a line.
    // EndLineWritten adds them as WriteLine adds a line (scanned for what
    // the tidy passes would change): a long line is put together once,
    // in the buffer, rather than once beside it and again in it.
    static constexpr int kPlainLineSpare = 16;
    char* PlainLineSpace(FC* set, OutputDocument* document, int room, int* result);
    // PlainLineSpace for a writer the caller has found buffering
    // (IsBuffered, with this writer as the document) and that writes many
    // short lines in a row (the cells of a table row): looked at once for
    // them all, not once a line.
    char* BufferedPlainLineSpace(FC* set, int room) {
        if (pending.length > kFlushThreshold) FlushBuffer(set, this, 0);
        if (pending.capacity - pending.length < int64_t{room} + kPlainLineSpare + 1)
            pending.Reserve(int64_t{pending.length} + room + kPlainLineSpare + 1);
        return pending.buffer + pending.length;
    }
    void EndPlainLine(int length) {
        const bool extend = plainLength == pending.length;
        pending.buffer[pending.length + length] = '\n';
        pending.length += length + 1;
        pending.buffer[pending.length] = '\0';
        if (extend) ExtendPlainFront(length, true);
    }
    void EndLineWritten(int length) { EndPendingLine(length, false); }
    // Tidies the buffer (buffered mode) and writes lines from its front; a
    // flush that is not `all` keeps the last output, at most 341 characters.
    int FlushBuffer(FC* set, OutputDocument* document, int all) override;

    // True while the output pass buffers this document's output.
    bool IsBuffered(FC* set, OutputDocument* document) const;

private:
    // The record a flush tidies the buffer in, with the tidy passes' state:
    // its texts, rule lists and scratch keep their room from one flush to
    // the next.
    TidyBuffer tidy;

    // Writes one line through the wrapping writer, keeping track of <PRE>
    // sections: lines inside one are never wrapped.  A NUL byte follows
    // `text`.
    int WriteOneLine(FC* set, OutputDocument* document, std::string_view text, int unwrapped);
    // WriteOneLine for the first `length` bytes of the pending buffer: a line
    // to be wrapped borrows the buffer (a long line is not copied).
    int WriteFrontLine(FC* set, OutputDocument* document, int length, int unwrapped);
    // Lines longer than this are moved to the front of the pending buffer to
    // be written from there.
    static constexpr int kLentLineLength = 4096;
    // Adds a line and its newline to the pending buffer, following how much
    // of the buffer is known to be plain.
    void AddPendingLine(const char* text, int length, bool knownPlain);
    // Adds the `length` bytes after the pending text as a line.
    void EndPendingLine(int length, bool knownPlain);
    // The plain front now takes in the whole buffer, the line of `length`
    // bytes last added among it; `oneLine`: that text holds no newline of
    // its own.
    void ExtendPlainFront(int length, bool oneLine) {
        plainLength = pending.length;
        if (!oneLine) {
            plainLines = -1;
        } else if (plainLines >= 0) {
            plainLineStarts[static_cast<size_t>((plainFirstLine + plainLines) % kLineStarts)] =
                plainBase + pending.length - length - 1;
            ++plainLines;
        }
        if (length > plainWidest) plainWidest = length;
    }
    // Takes the count and the widest line of the plain front from the
    // buffer (after a flush: what it keeps is short).
    void MeasurePlainFront();
    // FlushBuffer for a buffer that is plain throughout and whose lines all
    // fit the width: the lines written are one run, and where it stops is
    // found from the back of the buffer.
    int FlushPlainLines(OutputDocument* document, int all);
    // Reports the first failed write of the file ("ERROR: Can't write file").
    void ReportOwnWriteFailure();
};

// Indents a copy of the text by `levels` levels (the current indent level
// when negative) and writes it unwrapped through the document.
int HTML_WriteIndentedText(FC* set, OutputDocument* document, const TextString* text, int levels);
