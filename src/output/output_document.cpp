// The output document base: the virtual file operations every writer
// overrides, the input-side scan that hands the in-line tags of a source line
// to the line, and the output-side scan that executes them.
#include "output/output_document.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
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
    if (writeError) {
        message.Append(": ");
        message.Append(SystemErrorText(writeError).c_str());
    }
    set->ReportMessage(message.buffer, 10);
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

// The next tag of `work` at or after `*position`: true with the tag (both
// delimiters included) cut out of `work` into `tag`.  An end delimiter that
// comes before the next start delimiter only moves the position on.  False
// when no complete tag is left; *unbalanced tells whether exactly one of the
// two delimiters was found at the point where the scan stopped.
bool CutNextTag(TextString& work, int* position, const TextString& start, const TextString& end, TextString& tag,
                bool* unbalanced) {
    *unbalanced = false;
    while (*position <= work.length) {
        int from = -1, to = -1;
        const bool hasStart = work.Find(*position, start.buffer, &from, 0);
        const bool hasEnd = work.Find(*position, end.buffer, &to, 0);
        if (!hasStart || !hasEnd) {
            *unbalanced = hasStart != hasEnd;
            return false;
        }
        if (to <= from) {
            *position = to + end.length;
            continue;
        }
        tag.AssignSubstring(work.buffer, from, to + end.length - from);
        TextString rest;
        rest.AssignSubstring(work.buffer, to + end.length, work.length - to - end.length);
        work.SubString(0, from);
        work.Append(rest);
        return true;
    }
    return false;
}

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

    TextString work(line->taggedText);
    TextString tag;
    int position = 0;
    bool unbalanced = false;
    while (CutNextTag(work, &position, start, end, tag, &unbalanced)) line->ProcessInLineTag(tag, *set);
}

// The output side works on a copy of the line's current text.  Each tag is
// executed by the line; the executor may rewrite the line itself (the copy is
// not affected).  *result ends as the largest result of any executed tag.
void OutputDocument::ExecuteLineTags(int kind, OutputDocument* document, AnalysedLine* line, FC* set,
                                     TextString* outText, int* result) {
    if (!line || !set) return;
    Context* context = set->context;
    const bool tagsSeen =
        context && context->documentState.headingSwitches[DocumentState::kInlineTagsSeen] != 0;
    if (kind != 6 && !tagsSeen) return;
    const TextString& start = set->GetText(Pol::StartTagDelimiter);
    const TextString& end = set->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;

    TextString scratch;
    TextString& messages = outText ? *outText : scratch;
    TextString work(*line);
    TextString tag;
    int position = 0;
    bool unbalanced = false;
    while (CutNextTag(work, &position, start, end, tag, &unbalanced)) {
        int tagResult = -1;
        line->ExecuteTag(kind, document, tag, *set, messages, tagResult);
        if (result && tagResult > *result) *result = tagResult;
    }
    if (unbalanced) set->ReportMessage("TAG ERROR: Unbalanced in-line tag delimiters", 10);
}
