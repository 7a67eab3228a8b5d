#include "context/wrapped_text_file.h"

#include <string>

#include "context/text_line_reading.h"
#include "policies/fc.h"

namespace {

constexpr char kFormFeed = '\f';

// The rest of a line that began with a form feed, delivered by the next read
// of the reader that split it off.
struct HeldBackRemainder {
    const WrappedTextFile* owner = nullptr;  // null while the slot is empty
    TextString text;
};

HeldBackRemainder gHeldBack;

// The directive prefix in force: the "Directive delimiter" policy, or the
// default "$_$_" when it is empty (as the directive keyword table does).
TextString DirectivePrefix(const FC& policies) {
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    return prefix.length > 0 ? prefix : TextString("$_$_");
}

}  // namespace

void ResetHeldBackRemainder() {
    gHeldBack.owner = nullptr;
    gHeldBack.text.MakeEmpty();
}

void AppendEndPreMarker(FC* policies, WrappedTextFile* reader) {
    if (!policies || !reader || !policies->IsOn(Pol::PreserveFileStructureWithPre)) return;
    TextString marker = DirectivePrefix(*policies);
    marker.Append("END_PRE");
    reader->AppendPending(marker.buffer);
}

WrappedTextFile::~WrappedTextFile() {
    ClearPending();
    // A later reader may be built at this one's address: it must not take
    // this reader's remainder.
    if (gHeldBack.owner == this) ResetHeldBackRemainder();
}

int WrappedTextFile::WriteWrapped(TextLine* line) {
    if (forReading) return 0;
    return WriteWrappedLine(this, line, 0, 0, 0);
}

void WrappedTextFile::ClearPending() {
    pendingLines.Clear();
    nextPending = 0;
    ownPending.clear();
}

void WrappedTextFile::InsertPending(const char* text) {
    pendingLines.InsertAt(nextPending, text);
    if (static_cast<size_t>(nextPending) < ownPending.size())
        ownPending.insert(ownPending.begin() + nextPending, false);
}

void WrappedTextFile::MarkPendingAsOwn() {
    ownPending.assign(static_cast<size_t>(pendingLines.count), true);
    for (int i = 0; i < nextPending && i < pendingLines.count; ++i) ownPending[static_cast<size_t>(i)] = false;
}

bool WrappedTextFile::TakePendingLine(TextLine& line, FC& policies, int* accepted) {
    const StringListEntry* entry = pendingLines.GetAt(nextPending);
    if (!entry) {
        // An index left beyond the list (the list emptied by someone else).
        if (nextPending != 0) ClearPending();
        return false;
    }
    line.Append(entry->text);
    lastLineIsOwn =
        static_cast<size_t>(nextPending) < ownPending.size() && ownPending[static_cast<size_t>(nextPending)];
    ++nextPending;
    if (nextPending >= pendingLines.count) ClearPending();
    *accepted = GatherCharsetStatistics(line, &policies);
    return true;
}

void WrappedTextFile::ReportReadWarnings(FC& policies) {
    if (readWarnings.empty()) return;
    for (const std::string& warning : readWarnings) policies.ReportMessage(warning.c_str(), kLevelAlways);
    readWarnings.clear();
}

int WrappedTextFile::ReadSourceLine(TextLine& line, FC& policies) {
    int result = 0;
    lastLineIsOwn = false;

    if (gHeldBack.owner == this) {
        // The remainder of a form-feed line: delivered as it is, without a
        // second acceptance test.
        line.AssignChars(gHeldBack.text.buffer, gHeldBack.text.length);
        ResetHeldBackRemainder();
        result = 1;
    } else {
        int accepted = 0;
        // Pending lines first; a line the acceptance test drops is followed by
        // the next pending line.
        while (!accepted && TakePendingLine(line, policies, &accepted)) {
        }
        // Then the file.
        while (!accepted) {
            // Nearly always the line is empty here (a line held back by the
            // acceptance test is the exception): the line is read into it
            // then, without a stop in the history.
            const bool intoLine = line.length == 0;
            if (intoLine ? ReadRawLineInto(line) : ReadRawLine()) {
                lastLineIsOwn = false;
                ReportReadWarnings(policies);
                if (linesToSkip > 0) {
                    --linesToSkip;
                    if (intoLine) line.MakeEmpty();
                    continue;
                }
                if (!intoLine) {
                    const TextString& newest = *history.back();
                    line.AppendBytes(newest.buffer, newest.length);
                }
                accepted = GatherCharsetStatistics(line, &policies);
                continue;
            }
            // The input has run dry.
            if (!endOfInputSeen) {
                endOfInputSeen = 1;
                AppendEndPreMarker(&policies, this);
            }
            // A line the acceptance test held back to be joined with the next
            // one has no next one: it is delivered as it stands rather than
            // lost.
            if (line.length > 0) {
                accepted = 1;
                break;
            }
            while (!accepted && TakePendingLine(line, policies, &accepted)) {
            }
            if (!accepted && line.length > 0) accepted = 1;  // the same for a held-back pending line
            break;
        }
        result = accepted ? 1 : 0;
    }

    // A line that begins with a form feed and holds more: the form feed is
    // delivered alone now, the rest (every form feed in it made a blank, the
    // first one included) by the next call.
    if (result && line.length > 1 && line.buffer[0] == kFormFeed) {
        gHeldBack.text.AssignChars(line.buffer, line.length);
        for (int i = 0; i < gHeldBack.text.length; ++i)
            if (gHeldBack.text.buffer[i] == kFormFeed) gHeldBack.text.buffer[i] = ' ';
        gHeldBack.owner = this;
        line.AssignChars(line.buffer, 1);
    }

    if (!result) return 0;

    line.PreprocessLine(&policies);
    ApplyTextCommands(line, &policies);
    line.rawText = static_cast<const TextString&>(line);
    if (!IsRuleSet(policies.ruleSetCode)) {
        try {
            ExpandTabs(line, &policies);
        } catch (const TextTooLarge& failure) {
            throw failure.Naming(LastLineRead() + " with its tabs expanded");
        }
    }
    line.TidyLine(&policies);
    return 1;
}

std::string WrappedTextFile::LastLineRead() const { return "line " + std::to_string(MainFileLineNumber()); }

int WriteWrappedLine(WrappedTextFile* file, TextLine* line, int noWrap, int optionA, int optionB) {
    if (!file || !file->IsOpen() || !line) return 0;
    if (line->length == 0 || noWrap) return file->PutLine(line->buffer) ? 1 : 0;

    TextString indent;
    int indentLength = 0;
    while (indentLength < line->length && line->buffer[indentLength] == ' ') ++indentLength;
    indent.AssignChars(line->buffer, indentLength);

    int allWritten = 1;
    int start = 0;
    bool first = true;
    TextString piece;
    while (start < line->length) {
        int nextStart = -1;
        if (!line->CutWrappedPiece(file->width, start, file->whiteSpace.buffer, file->breakAfter.buffer,
                                   file->breakBefore.buffer, &piece, &nextStart, optionA, optionB))
            break;
        // The cutter drops one blank at the start of every piece: that blank
        // separates a continuation piece from the one before, but on the
        // first piece it belongs to the indent, which is made whole again.
        if (first) {
            int blanks = 0;
            while (blanks < piece.length && piece.buffer[blanks] == ' ') ++blanks;
            if (blanks < indentLength) piece.Insert(0, TextString(std::string(indentLength - blanks, ' ')).buffer);
        } else {
            piece.Insert(0, indent.buffer);
        }
        if (allWritten && !file->PutLine(piece.buffer)) allWritten = 0;
        first = false;
        // A cutter that does not move on would never finish.
        if (nextStart <= start) break;
        start = nextStart;
    }
    return allWritten;
}
