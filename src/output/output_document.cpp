// The output document base: the virtual file operations every writer
// overrides, the input-side scan that hands the in-line tags of a source line
// to the line, and the output-side scan that executes them.
#include "output/output_document.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/message_reporter.h"
#include "policies/fc.h"

int OutputDocument::ReadSourceLine(TextLine& line, FC& policies) {
    if (!forReading) return 0;
    return WrappedTextFile::ReadSourceLine(line, policies);
}

int OutputDocument::GetOutputFileName(const char*, FC*, TextString* out) {
    if (out) out->Clear();
    return 0;
}

void OutputDocument::ReportWriteFailure(FC* set, const TextString& name) {
    // Without a policy set there is nobody to report to yet: the closing
    // owner reports it.
    if (writeFailureReported || !set) return;
    writeFailureReported = 1;
    TextString message("ERROR: Can't write file \"");
    message.Append(name);
    message.Append("\"");
    AppendReason(message, WriteFailureText());
    set->ReportMessage(message.buffer, kLevelAlways);
}

bool OutputDocument::CloseChecked(FC* set, const TextString& name) {
    CloseAll();
    if (writeError) ReportWriteFailure(set, name);
    return !writeFailureReported && !writeError;
}

int OutputDocument::Open(const char* name, FC* set, int flag) {
    return OpenAtLine(name, set, nullptr, nullptr, flag);
}

int OutputDocument::OpenAtLine(const char*, FC*, AnalysedLine*, OutputDocument*, int) { return 0; }

namespace {

// The in-line tags of a text, one after another, found in one pass.  A tag
// runs from a start delimiter to the first end delimiter after it; an end
// delimiter that comes before the next start delimiter is passed over.  The
// text is not changed: a start delimiter found beyond an end delimiter is
// kept for the next look rather than searched for again, so that every byte
// is looked at a bounded number of times however many tags there are.
class TagScan {
public:
    TagScan(const TextString& text, const TextString& start, const TextString& end)
        : text(text), start(start), end(end) {}

    // The next tag, both delimiters included; false when no complete tag is
    // left.
    bool Next(TextString& tag) {
        unbalanced = false;
        while (position <= text.length) {
            const bool hasStart = Look(start, startAt);
            const bool hasEnd = Look(end, endAt);
            if (!hasStart || !hasEnd) {
                unbalanced = hasStart != hasEnd;
                return false;
            }
            if (endAt <= startAt) {
                position = endAt + end.length;
                continue;
            }
            tag.AssignChars(text.buffer + startAt, endAt + end.length - startAt);
            position = endAt + end.length;
            return true;
        }
        return false;
    }
    // After Next gave false: exactly one of the two delimiters was found
    // where the scan stopped.
    bool Unbalanced() const { return unbalanced; }

private:
    static constexpr int kNotSearched = -1;
    static constexpr int kNone = -2;  // not in the text from where it was looked for on

    // The place of `delimiter` at or after the position, kept in `at` while
    // it stays ahead of the position.
    bool Look(const TextString& delimiter, int& at) {
        if (at == kNone) return false;
        if (at < position) {
            int found = -1;
            at = text.Find(position, delimiter.buffer, &found, 0) ? found : kNone;
        }
        return at != kNone;
    }

    const TextString& text;
    const TextString& start;
    const TextString& end;
    int position = 0;
    int startAt = kNotSearched;
    int endAt = kNotSearched;
    bool unbalanced = false;
};

}  // namespace

// Every tag between the start and end tag delimiters (found without regard to
// case) in the line's unescaped text goes, in order, to the line's own tag
// handling.  The scan works on a copy: what a tag does to the line is the
// line's business.  A lone delimiter ends the scan without a message.
// Nothing is done inside an ignored section.
void OutputDocument::ProcessInLineTags(AnalysedLine* line, FC* set) {
    if (!line || !set) return;
    if (set->preprocessor.ignoreDepth > 0) return;
    const TextString& start = set->GetText(Pol::StartTagDelimiter);
    const TextString& end = set->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;

    const TextString work(line->taggedText);
    TagScan scan(work, start, end);
    TextString tag;
    line->BeginTagBatch();
    while (scan.Next(tag)) line->ProcessInLineTag(tag, *set);
    line->EndTagBatch();
}

// The output side works on a copy of the line's current text.  Each tag is
// executed by the line; the executor may rewrite the line itself (the copy is
// not affected).  *result ends as the largest result of any executed tag.
void OutputDocument::ExecuteLineTags(int kind, OutputDocument* document, AnalysedLine* line, FC* set,
                                     TextString* outText, int* result) {
    if (!line || !set) return;
    Context* context = set->context;
    const bool tagsSeen = context && context->documentState.headingSwitches[DocumentState::kInlineTagsSeen] != 0;
    if (kind != 6 && !tagsSeen) return;
    const TextString& start = set->GetText(Pol::StartTagDelimiter);
    const TextString& end = set->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;

    TextString scratch;
    TextString& messages = outText ? *outText : scratch;
    const TextString work(*line);
    TagScan scan(work, start, end);
    TextString tag;
    // The tags' markup goes in with one pass over the line at the end (see
    // BeginTagBatch): a line of many tags stays linear.
    line->BeginTagBatch();
    while (scan.Next(tag)) {
        int tagResult = -1;
        line->ExecuteTag(kind, document, tag, *set, messages, tagResult);
        if (result && tagResult > *result) *result = tagResult;
    }
    line->EndTagBatch();
    if (scan.Unbalanced()) set->ReportMessage("TAG ERROR: Unbalanced in-line tag delimiters", kLevelAlways);
}
