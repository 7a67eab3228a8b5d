// The HTML output file: naming, starting a file with its head, buffering and
// tidying generated HTML, and writing it wrapped at blanks.
#include "output/html_file.h"
#include "foundation/message_reporter.h"
#include "output/file_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/analysed_line.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/text_line.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/html_document.h"
#include "output/html_tidy.h"
#include "output/markup/escaping.h"
#include "output/paragraphs.h"
#include "platform/paths.h"
#include "policies/fc.h"

namespace {

// A line that wraps only at blanks.  A break at a punctuation character, or
// a hard cut inside a long word, would show in the browser as a space that
// the text does not have, so a word longer than the width stays whole.  With
// `avoidTagBreaks` a blank inside markup ("<...>") is not a break point.
// Continuation pieces are cut so that they fit the width after the indent
// that the writer puts in front of them.
class BlankBreakLine : public TextLine {
public:
    BlankBreakLine(std::string_view text, int avoidTagBreaks) : avoidTags(avoidTagBreaks) {
        AssignChars(text.data(), static_cast<int>(text.size()));
    }
    // Borrows the buffer of `lender`, whose first `n` bytes are the line (the
    // byte after them becomes a NUL), rather than copying it; GiveBack
    // returns the buffer.
    BlankBreakLine(TextString& lender, int n, int avoidTagBreaks) : avoidTags(avoidTagBreaks) {
        static_cast<TextString&>(*this) = std::move(lender);
        length = n;
        buffer[n] = '\0';
    }
    void GiveBack(TextString& lender) { lender = std::move(static_cast<TextString&>(*this)); }

    bool CutWrappedPiece(int width, int start, const char*, const char*, const char*, TextString* out,
                         int* nextStart, int, int) override {
        if (out) out->MakeEmpty();
        if (nextStart) *nextStart = -1;
        if (start > length) return false;
        start = start < 0 ? 0 : start;

        int indent = 0;
        while (indent < length && buffer[indent] == ' ') ++indent;
        // The first piece keeps its indent; a continuation piece loses its
        // blanks (the writer gives it the indent).
        int from = start;
        if (start > 0)
            while (from < length && buffer[from] == ' ') ++from;
        const int columnsBefore = start > 0 ? indent : 0;
        int limit = from + (width - columnsBefore);  // first index that no longer fits
        if (limit <= from) limit = from + 1;

        // The first piece never breaks inside its own indent.
        const int lowest = start == 0 ? indent : from;
        int breakAt = length;  // index of the blank that ends the piece; length: the rest
        if (length > limit) {
            breakAt = -1;
            for (int j = limit; j > lowest; --j)
                if (IsBreakBlank(j)) {
                    breakAt = j;
                    break;
                }
            if (breakAt < 0) {
                breakAt = length;
                for (int j = (limit > lowest ? limit : lowest) + 1; j < length; ++j)
                    if (IsBreakBlank(j)) {
                        breakAt = j;
                        break;
                    }
            }
        }
        int to = breakAt - 1;
        if (breakAt < length)
            while (to >= from && buffer[to] == ' ') --to;
        if (out && to >= from) out->AppendBytes(buffer + from, to - from + 1);

        int next = breakAt;
        while (next < length && buffer[next] == ' ') ++next;
        if (nextStart) *nextStart = next >= length ? length : breakAt;
        return true;
    }

private:
    int avoidTags;

    bool IsBreakBlank(int index) const {
        if (index < 0 || index >= length || buffer[index] != ' ') return false;
        if (!avoidTags) return true;
        // Inside markup when the nearest '<' before it is not closed by a '>'.
        for (int k = index - 1; k >= 0; --k) {
            if (buffer[k] == '>') return true;
            if (buffer[k] == '<') return false;
        }
        return true;
    }
};

// The first newline at or after `p`, or `end`.  Buffered lines are short:
// sixteen bytes are compared at a time without a library call.
inline const char* NextNewline(const char* p, const char* const end) {
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const unsigned found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), newline)));
        if (found) return p + __builtin_ctz(found);
    }
#endif
    for (; p < end; ++p)
        if (*p == '\n') return p;
    return end;
}

// Whether `word` (upper case) stands at `position`, in any letter case.
bool MatchesNoCaseAt(std::string_view text, size_t position, const char* word) {
    for (size_t i = 0; word[i]; ++i)
        if (position + i >= text.size() || ToUpperAscii(text[position + i]) != word[i]) return false;
    return true;
}

// Whether a "<PRE" or "</PRE" tag name ends at `position` (a '>' or white
// space follows, so "<PREFIX>" is not taken).
// With `linesJoined` the text is several lines, each ended by a newline but
// the last: a newline then ends the line as the end of the text would.
bool TagNameEndsAt(std::string_view text, size_t position, bool linesJoined = false) {
    const char c = position < text.size() ? text[position] : '\0';
    return c == '>' || c == ' ' || c == '\t' || (c == '\n' && !linesJoined);
}

// Follows the <PRE> sections through one line.  Returns whether any part of
// the line is pre-formatted content (the line starts inside a section or
// opens one); *inside becomes the state at the end of the line.
// With `linesJoined` the text is several lines joined by newlines, followed
// as one line after the other.
bool TrackPreSections(std::string_view text, int* inside, bool linesJoined = false) {
    bool touched = *inside != 0;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* at = begin; at < end; ++at) {
        at = static_cast<const char*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
        if (!at) break;
        const size_t i = static_cast<size_t>(at - begin);
        // Only "<P..." and "</P..." can open or close a PRE section.
        const char after = i + 1 < text.size() ? at[1] : '\0';
        const char name = after == '/' ? (i + 2 < text.size() ? at[2] : '\0') : after;
        if (name != 'P' && name != 'p') continue;
        if (MatchesNoCaseAt(text, i, "<PRE") && TagNameEndsAt(text, i + 4, linesJoined)) {
            *inside = 1;
            touched = true;
        } else if (MatchesNoCaseAt(text, i, "</PRE") && TagNameEndsAt(text, i + 5, linesJoined)) {
            *inside = 0;
        }
    }
    return touched;
}

// Whether `text` holds `word` (upper case), compared without regard to case.
bool HoldsNoCase(std::string_view text, const char* word) {
    const char first = word[0];
    for (size_t i = 0; i < text.size(); ++i)
        if (ToUpperAscii(text[i]) == first && MatchesNoCaseAt(text, i, word)) return true;
    return false;
}

// Removes `prefix` from the front of `name` when the name starts with it.
void RemovePrefix(TextString* name, const TextString& prefix) {
    if (prefix.IsEmpty() || !name->StartsWith(prefix.buffer, 1)) return;
    name->SubString(prefix.length, name->length - prefix.length);
}

// The name without the output directory in front of it, so that the
// output directory is never put in front twice.  A name that does not start
// with it loses the "Input directory" from its front, and then the output
// directory when that is left in front.  The output directory goes first: it
// may lie inside the input directory ("in/" and "in/out/").
void StripKnownDirectories(FC* set, const TextString& outputDirectory, TextString* name) {
    const int before = name->length;
    RemovePrefix(name, outputDirectory);
    if (name->length != before) return;
    RemovePrefix(name, set->GetText(Pol::InputDirectory));
    RemovePrefix(name, outputDirectory);
}

// Sets "Output directory" to the name's directory part when it is empty;
// returns the output directory in force.
TextString DefaultOutputDirectory(FC* set, const char* name) {
    if (set->GetText(Pol::OutputDirectory).IsEmpty()) {
        TextString directory;
        GetDirectoryPart(name, &directory);
        if (!directory.IsEmpty()) set->SetText(Pol::OutputDirectory, directory.buffer, false);
    }
    return set->GetText(Pol::OutputDirectory);
}

// Whether writing `outputName` would replace the file `inputName`.
bool IsSameFile(const TextString& outputName, const TextString& inputName) {
    if (outputName.IsEmpty() || inputName.IsEmpty()) return false;
    if (outputName == inputName) return true;
    return SameFile(outputName.buffer, inputName.buffer);
}

void ReportFileError(FC* set, const char* what, const TextString& name, const std::string& reason = {}) {
    if (!set) return;
    TextString message("ERROR: ");
    message.Append(what);
    message.Append(" \"");
    message.Append(name);
    message.Append("\"");
    AppendReason(message, reason);
    set->ReportMessage(message.buffer, kLevelAlways);
}

// The first non-empty of the policy's value and the context's text.
TextString HeadText(FC* set, Pol policy, int documentText) {
    TextString text = set->GetText(policy);
    if (text.IsEmpty() && set->context)
        text = set->context->documentState.documentTexts[static_cast<size_t>(documentText)];
    return text;
}

}  // namespace

HTMLFile::HTMLFile() {
    whiteSpace = "\n\t ";
    breakBefore = "([{";
    breakAfter = ")]},";
    width = kWrapWidth;
}

HTMLFile::~HTMLFile() = default;

int HTMLFile::CloseAll() {
    WriteDeferredHead();  // a file closed before its body was written still gets its head
    if (policies) FlushBuffer(policies, this, 1);
    // Buffered file output only shows a failed write when it is flushed.
    if (!forReading && !toConsole && !outputList && depth > 0 && std::fflush(fileHandles.back()) != 0) {
        if (!writeError) writeError = errno ? errno : EIO;
        ReportOwnWriteFailure();
    }
    return TextFile::CloseAll();
}

bool HTMLFile::IsBuffered(FC* set, OutputDocument* document) const {
    return document && document->fileStarted && !document->writingHead && set && set->context &&
           set->context->documentState.htmlOutput;
}

int HTMLFile::GetOutputFileName(const char* inputName, FC* set, TextString* out) {
    if (!out) return 1;
    out->MakeEmpty();
    if (!set) return 1;
    TextString name(inputName ? inputName : "");
    const TextString outputDirectory = DefaultOutputDirectory(set, name.buffer);
    StripKnownDirectories(set, outputDirectory, &name);

    ApplyOutputSpecification(set, outputDirectory, name, set->names.outputExtension, out);
    return 1;
}

int HTMLFile::Open(const char* name, FC* set, int) { return OpenWithValue(name, set, 0, 0); }

int HTMLFile::OpenAtLine(const char* name, FC* set, AnalysedLine*, OutputDocument*, int flag) {
    return OpenNewFile(name, set, 0, flag);
}

int HTMLFile::OpenWithValue(const char* name, FC* set, int firstPageOption, int consoleFlag) {
    return OpenNewFile(name, set, firstPageOption, consoleFlag);
}

int HTMLFile::OpenNewFile(const char* name, FC* set, int firstPageOption, int consoleFlag) {
    if (!set) return 0;
    policies = set;
    fileStarted = 1;
    Context* context = set->context;
    // UTF-8 text in a page declared in another charset: its characters
    // beyond ASCII are written as character references; and no page holds
    // a control character that HTML does not allow.
    writtenLineForm = HTML_WrittenLineForm(set);

    // The stem: the name without the known directories, or the DOS file
    // name root.
    TextString stem(name ? name : "");
    const TextString outputDirectory = DefaultOutputDirectory(set, stem.buffer);
    StripKnownDirectories(set, outputDirectory, &stem);
    if (set->IsOn(Pol::UseDOSFilenames) && set->GetText(Pol::DOSFilenameRoot).IsEmpty()) {
        TextString root(stem);
        if (set->GetInt(Pol::SplitLevel) > 0 && root.length > 5) root.SubString(0, 5);
        set->SetText(Pol::DOSFilenameRoot, root.buffer, false);
        stem = root;
    }
    currentFileName = stem;
    if (context) context->trackers.codeLocation = kWritingOutput;

    TextString fullName;
    GetOutputFileName(name, set, &fullName);
    if (!outputList) {
        TextString status("Generating HTML file ");
        status.Append(fullName);
        set->ReportStatus(status.buffer);
    }
    if (context && context->listingFile && context->listingFile->IsOpen()) {
        TextString banner(">>> Start of HTML file ");
        banner.Append(fullName);
        banner.Append(" <<<");
        ::WriteLine(context->listingFile, "");
        ::WriteLine(context->listingFile, banner.buffer);
        ::WriteLine(context->listingFile, "");
    }
    if (context) {
        if (context->firstOutputFileName.IsEmpty()) context->firstOutputFileName = fullName;
        context->currentOutputFileName = fullName;
    }

    // Opening for writing empties the file: the input must never be the
    // file written.
    if (!outputList && context && IsSameFile(fullName, context->documentState.inputFileName)) {
        ReportFileError(set, "Output file would overwrite the input file", fullName);
        writeFailureReported = 1;
        return 0;
    }
    const bool opened = OpenForWrite(fullName.buffer, consoleFlag, 0);
    if (set->IsOn(Pol::UseDOSFilenames) && context) ++context->dosFileCounter;
    if (!opened) {
        ReportFileError(set, "Can't open file", fullName, openFailure);
        writeFailureReported = 1;
        return 0;
    }
    writeFailureReported = 0;
    if (context) context->currentDocumentStem = stem;
    pendingStem = stem;
    pendingFirstPageOption = firstPageOption;
    headPending = 1;
    if (!deferHead) WriteDeferredHead();
    return 1;
}

void HTMLFile::WriteDeferredHead() {
    if (!headPending || !policies) return;
    headPending = 0;
    FC* set = policies;
    Context* context = set->context;
    if (context) context->trackers.codeLocation = kWritingOutput;
    const TextString stem = pendingStem;
    const int firstPageOption = pendingFirstPageOption;

    TextString title;
    if (context) title = context->documentState.documentTexts[DocumentState::kDocumentTitle];
    if (title.IsEmpty()) title = set->GetText(Pol::DocumentTitle);
    const TextString description = HeadText(set, Pol::DocumentDescription, DocumentState::kDocumentDescription);
    const TextString keywords = HeadText(set, Pol::DocumentKeywords, DocumentState::kDocumentKeywords);
    const TextString styleSheet = HeadText(set, Pol::DocumentStyleSheet, DocumentState::kDocumentStyleSheet);
    const TextString baseURL = HeadText(set, Pol::DocumentBaseURL, DocumentState::kDocumentBaseHref);

    TextString header = set->GetText(Pol::HTMLHeaderFile);
    if (context) {
        int index = -1;
        if (context->documentState.defines.FindPreviousDefinition(
                kDefinitionFragment, TextString("HTML_HEADER"), context->pGetTracker()->position, 0, &index, true) &&
            index >= 0)
            header = "*HTML_HEADER*";
    }
    PageEndOptions options;
    options.pageOption = firstPageOption;
    options.navigationBar = 1;
    options.directoryPage = 0;
    HTML_StartDocument(this, nullptr, stem, title, styleSheet, baseURL, keywords, description,
                       set->GetText(Pol::HTMLScriptFile), header, set, options);
}

void HTMLFile::ReportOwnWriteFailure() {
    TextString name;
    if (policies && policies->context) name = policies->context->currentOutputFileName;
    if (name.IsEmpty() && GetTopFileName()) name = GetTopFileName();
    OutputDocument::ReportWriteFailure(policies, name);
}

int HTMLFile::WriteOneLine(FC* set, OutputDocument* document, std::string_view text, int unwrapped) {
    const bool preformatted = TrackPreSections(text, &insidePre);
    int result = 0;
    // A line that fits the width (up to a NUL byte, where the wrapped copy
    // would end too) is written as it stands, as the wrapping would write it.
    const size_t visible = strnlen(text.data(), text.size());
    if (document && static_cast<int>(visible) <= std::max(document->width, 1)) {
        result = document->IsOpen() && document->PutLine(text.data()) ? 1 : 0;
    } else {
        const int avoidTagBreaks = set && set->IsOn(Pol::AvoidTagBreaks) ? 1 : 0;
        const int japanese = set && set->IsOn(Pol::InputJapanese) ? 1 : 0;
        BlankBreakLine line(text.substr(0, visible), avoidTagBreaks);
        result = WriteWrappedLine(document, &line, unwrapped || preformatted ? 1 : 0, japanese, avoidTagBreaks);
    }
    if (!result && document == this) ReportOwnWriteFailure();
    return result;
}

int HTMLFile::WriteFrontLine(FC* set, OutputDocument* document, int length, int unwrapped) {
    const std::string_view text(pending.buffer, static_cast<size_t>(length));
    const char after = pending.buffer[length];
    int result = 0;
    if (!document || length <= std::max(document->width, 1)) {
        // Written as it stands, ended in the buffer for the while.
        pending.buffer[length] = '\0';
        result = WriteOneLine(set, document, text, unwrapped);
        pending.buffer[length] = after;
        return result;
    }
    const bool preformatted = TrackPreSections(text, &insidePre);
    const int avoidTagBreaks = set && set->IsOn(Pol::AvoidTagBreaks) ? 1 : 0;
    const int japanese = set && set->IsOn(Pol::InputJapanese) ? 1 : 0;
    const int bufferLength = pending.length;
    {
        BlankBreakLine line(pending, length, avoidTagBreaks);
        result = WriteWrappedLine(document, &line, unwrapped || preformatted ? 1 : 0, japanese, avoidTagBreaks);
        line.GiveBack(pending);
    }
    pending.buffer[length] = after;
    pending.length = bufferLength;
    if (!result && document == this) ReportOwnWriteFailure();
    return result;
}

int HTMLFile::WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) {
    const TextString empty;
    const TextString& line = text ? *text : empty;
    if (IsBuffered(set, document)) {
        int result = 1;
        if (pending.length > kFlushThreshold) result = FlushBuffer(set, document, 0);
        AddPendingLine(line.buffer, line.length, false);
        return result;
    }
    // Everything still buffered is older than this line: all of it goes
    // first, so that the output stays in order.
    if (document && document->fileStarted && !pending.IsEmpty()) FlushBuffer(set, document, 1);
    return WriteOneLine(set, document, line.view(), unwrapped);
}

int HTMLFile::WriteText(FC* set, OutputDocument* document, const char* text) {
    if (IsBuffered(set, document)) {
        // As WriteLine buffers a line, without a copy of the text first.
        int result = 1;
        if (pending.length > kFlushThreshold) result = FlushBuffer(set, document, 0);
        const char* const from = text ? text : "";
        AddPendingLine(from, static_cast<int>(std::strlen(from)), false);
        return result;
    }
    TextString line(text ? text : "");
    if (document && document->fileStarted && !pending.IsEmpty()) FlushBuffer(set, document, 1);
    TrackPreSections(line.view(), &insidePre);
    const int result = ::WriteLine(document, line.buffer) ? 1 : 0;
    if (!result && document == this) ReportOwnWriteFailure();
    return result;
}

int HTMLFile::WritePlainLine(FC* set, OutputDocument* document, const TextString& line) {
    if (!IsBuffered(set, document)) return WriteText(set, document, line.buffer);
    int result = 1;
    if (pending.length > kFlushThreshold) result = FlushBuffer(set, document, 0);
    AddPendingLine(line.buffer, line.length, true);
    return result;
}

char* HTMLFile::PlainLineSpace(FC* set, OutputDocument* document, int room, int* result) {
    if (!IsBuffered(set, document) || room < 0) return nullptr;
    int flushed = 1;
    if (pending.length > kFlushThreshold) flushed = FlushBuffer(set, document, 0);
    if (result) *result = flushed;
    const int before = pending.length;
    if (pending.capacity - before < int64_t{room} + kPlainLineSpare + 1)
        pending.Reserve(int64_t{before} + room + kPlainLineSpare + 1);
    return pending.buffer + before;
}

void HTMLFile::AddPendingLine(const char* text, int length, bool knownPlain) {
    const int before = pending.length;
    if (length < 0) length = 0;
    if (pending.capacity - before < int64_t{length} + 1) pending.Reserve(int64_t{before} + length + 1);
    if (length > 0) std::memcpy(pending.buffer + before, text, static_cast<size_t>(length));
    EndPendingLine(length, knownPlain);
}

void HTMLFile::EndPendingLine(int length, bool knownPlain) {
    // While all of the buffer is known to be plain, each line added is
    // scanned as it comes (a short text, still in the cache) so that the
    // flush need not scan the buffer again.
    const bool extend = plainLength == pending.length;
    const int before = pending.length;
    pending.buffer[before + length] = '\n';
    pending.length = before + length + 1;
    pending.buffer[pending.length] = '\0';
    if (extend && (knownPlain || HTML_TidyLeavesUnchanged(std::string_view(
                                     pending.buffer + before, static_cast<size_t>(pending.length - before)))))
        ExtendPlainFront(length, knownPlain);
}

void HTMLFile::MeasurePlainFront() {
    plainLines = 0;
    plainWidest = 0;
    plainFirstLine = 0;
    plainBase = 0;
    int lineStart = 0;
    for (int i = 0; i < plainLength; ++i) {
        if (pending.buffer[i] != '\n') continue;
        plainLineStarts[static_cast<size_t>(plainLines % kLineStarts)] = lineStart;
        ++plainLines;
        plainWidest = std::max(plainWidest, i - lineStart);
        lineStart = i + 1;
    }
}

int HTMLFile::FlushPlainLines(OutputDocument* document, int all) {
    char* const data = pending.buffer;
    const int total = pending.length;
    // FlushBuffer writes lines from the front while more than
    // kKeepAfterFlush characters would be left, counting each line without
    // its newline: line i, starting at s, is written while
    // total - (s - i) > kKeepAfterFlush.  s - i grows from line to line, so
    // the lines kept are those at the back for which it does not hold.
    int keep = 0;  // the lines kept, from the back
    int start = total;  // where the first of them starts
    if (!all) {
        while (keep < plainLines) {
            const int index = plainLines - keep - 1;
            // The line before `start`: where it starts is kept for the last
            // lines, and looked for from its newline back for others.
            int lineStart = start - 1;
            if (keep < kLineStarts) {
                lineStart = static_cast<int>(
                    plainLineStarts[static_cast<size_t>((plainFirstLine + index) % kLineStarts)] - plainBase);
            } else {
                while (lineStart > 0 && data[lineStart - 1] != '\n') --lineStart;
            }
            if (total - (lineStart - index) > kKeepAfterFlush) break;
            start = lineStart;
            ++keep;
        }
    }
    int result = 1;
    if (start > 0) {
        // The lines before `start` as one run, ended in the buffer for the
        // while at the newline of the last.
        const char saved = data[start - 1];
        data[start - 1] = '\0';
        const bool written = document->IsOpen() && document->PutLine(data);
        data[start - 1] = saved;
        if (!written) {
            result = 0;
            if (document == this) ReportOwnWriteFailure();
        }
    }
    plainFirstLine += plainLines - keep;
    plainBase += start;
    if (start >= total) {
        pending.MakeEmpty();
        if (pending.capacity > kKeptScratchBytes) static_cast<TextString&>(pending) = TextString();
        plainWidest = 0;
    } else {
        pending.SubString(start, total - start);
    }
    plainLength = pending.length;
    plainLines = keep;
    return result;
}

int HTMLFile::FlushBuffer(FC* set, OutputDocument* document, int all) {
    Context* context = set ? set->context : nullptr;
    const bool unwrapAll = !set || !set->IsOn(Pol::BreakUpLongHTMLLines) || (context && context->noWrap);
    if (pending.IsEmpty()) return 1;

    // A buffer the passes cannot change (table rows whose cells were tidied
    // one by one, as a rule) is written as it stands; it holds no PRE tag,
    // so the lines written from it leave the writer outside a section.
    const bool tidied = context && context->documentState.htmlOutput;
    const bool plain = tidied && !insidePre &&
                       (plainLength == pending.length ||
                        HTML_TidyLeavesUnchanged(std::string_view(
                            pending.buffer + std::min(plainLength, pending.length),
                            static_cast<size_t>(pending.length - std::min(plainLength, pending.length)))));
    if (tidied && !plain) {
        // The buffer begins where the lines written so far end.
        tidy.startsInsidePre = insidePre;
        // The buffer's text is moved to the passes and the tidied text back.
        HTML_ScanTidyBuffer(set, &tidy, std::move(static_cast<TextString&>(pending)));
        if (set->IsOn(Pol::RemoveRedundantTags))
            HTML_TidyEmphasis(set, &tidy);
        else
            HTML_TidyMarkup(set, &tidy);
        std::swap(static_cast<TextString&>(pending), tidy.text);
        // What the record keeps now is a text of earlier: the room of a large
        // one is given back rather than kept beside the buffer.
        if (tidy.text.capacity > kKeptScratchBytes) tidy.text = TextString();
    }

    // Lines leave from the front while more than kKeepAfterFlush characters
    // would be left behind; the rest stays for the next tidy pass.  The
    // buffer's text counts up to a NUL byte, as a copy of it would end.
    char* const data = pending.buffer;
    int total = static_cast<int>(strnlen(data, static_cast<size_t>(pending.length)));
    // Lines written to a file or the console as they stand (those that fit
    // the width) are passed on together: a run of them is one text with
    // newlines inside, which the line writer ends with the last newline.
    const bool joinLines = document && !document->outputList;
    if (plain && joinLines && plainLength == pending.length && total == pending.length && data[total - 1] == '\n' &&
        plainLines >= 0 && plainWidest <= std::max(document->width, 1))
        return FlushPlainLines(document, all);
    int runStart = -1;  // the run of lines not yet passed on: [runStart, runEnd)
    int runEnd = -1;
    int result = 1;
    auto writeRun = [&]() {
        if (runStart < 0) return;
        // The run's lines are followed through the PRE sections together.
        if (!plain)
            TrackPreSections(std::string_view(data + runStart, static_cast<size_t>(runEnd - runStart)), &insidePre,
                             true);
        const char saved = data[runEnd];
        data[runEnd] = '\0';
        const bool written = document->IsOpen() && document->PutLine(data + runStart);
        data[runEnd] = saved;
        runStart = -1;
        if (!written) {
            result = 0;
            if (document == this) ReportOwnWriteFailure();
        }
    };
    int written = 0;
    int start = 0;
    while (start < total && (all || total - written > kKeepAfterFlush)) {
        int end = static_cast<int>(NextNewline(data + start, data + total) - data);
        const int length = end - start;
        written += length;
        if (result) {
            if (joinLines && length <= std::max(document->width, 1)) {
                // A line that fits the width is written whole either way;
                // its PRE sections are followed when the run is written.
                if (runStart < 0) runStart = start;
                runEnd = end;
            } else {
                writeRun();
                int unwrapped = unwrapAll ? 1 : 0;
                if (!unwrapped && document && length > document->width &&
                    HoldsNoCase(std::string_view(data + start, static_cast<size_t>(length)), "HREF="))
                    unwrapped = 1;
                // A long line is written from the front of the buffer, which
                // the wrapping line borrows rather than copies: it moves there
                // when what follows it is no longer than itself, so that each
                // byte moves at most twice.
                const bool lent = length > kLentLineLength && length >= pending.length - end;
                if (lent && start > 0) {
                    std::memmove(data, data + start, static_cast<size_t>(pending.length - start) + 1);
                    // Every count keeps its distance to the end.
                    pending.length -= start;
                    total -= start;
                    written -= start;
                    end -= start;
                    start = 0;
                }
                if (lent) {
                    if (result && !WriteFrontLine(set, document, length, unwrapped)) result = 0;
                } else {
                    // Ended in the buffer for the while.
                    const char saved = data[end];
                    data[end] = '\0';
                    if (result &&
                        !WriteOneLine(set, document, std::string_view(data + start, static_cast<size_t>(length)),
                                      unwrapped))
                        result = 0;
                    data[end] = saved;
                }
            }
        }
        start = end + 1;
    }
    if (result) writeRun();
    // What stays: the lines not written, each ended by a newline.
    if (start >= total) {
        pending.MakeEmpty();
        // A large text written whole gives its room back.
        if (pending.capacity > kKeptScratchBytes) static_cast<TextString&>(pending) = TextString();
    } else {
        pending.SubString(start, total - start);
        if (pending.buffer[pending.length - 1] != '\n') pending.AppendChar('\n');
    }
    // What stays of a plain buffer is plain; what stays of a tidied one is
    // looked at once, so that the lines added next can be followed again.
    plainLength = plain || HTML_TidyLeavesUnchanged(pending) ? pending.length : 0;
    MeasurePlainFront();
    return result;
}

int HTML_WriteIndentedText(FC* set, OutputDocument* document, const TextString* text, int levels) {
    if (!document) return 0;
    TextString copy(text ? *text : TextString());
    if (levels < 0) levels = (set && set->context) ? set->context->documentState.currentIndentLevel : 0;
    HTML_IndentSource(set, levels, &copy);
    return document->WriteText(set, document, copy.buffer);
}
