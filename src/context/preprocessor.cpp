#include "context/preprocessor.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/wrapped_text_file.h"
#include "foundation/message_reporter.h"
#include "policies/fc.h"

namespace {

constexpr const char* kDefaultDirectivePrefix = "$_$_";

// Sets the line's current text and every copy of it.
void SetAllTexts(AnalysedLine& line, const TextString& text) {
    line.AssignChars(text.buffer, text.length);
    line.rawText = text;
    line.taggedText = line.rawText;
    line.plainText = line.rawText;
    line.inputText = line.rawText;
}

void AppendBlankToAllTexts(AnalysedLine& line) {
    line.AppendChar(' ');
    EditEach({&line.rawText, &line.taggedText, &line.plainText, &line.inputText},
             [](TextString& copy) { copy.AppendChar(' '); });
}

// A part of a cut line: trailing blanks dropped, then one blank added; a
// part with nothing but blanks is empty.
TextString FinishPart(TextString part) {
    part.Trim(1, " ");
    if (part.length > 0) part.AppendChar(' ');
    return part;
}

bool ContainsText(std::string_view text, const TextString& what) {
    if (what.length == 0 || text.empty() || !*what.buffer) return false;
    return text.find(std::string_view(what.buffer, std::strlen(what.buffer))) != std::string_view::npos;
}

// Whether `text` may hold `delimiter`: its first byte (in either case) is in
// the text.  A line without it holds neither an in-line tag nor a LINERULE
// tag, and both tests are passed over.
bool MayHoldDelimiter(const TextString& text, const TextString& delimiter) {
    if (delimiter.length == 0 || delimiter.buffer[0] == '\0' || text.length == 0) return false;
    const char c = delimiter.buffer[0];
    const size_t n = static_cast<size_t>(text.length);
    if (std::memchr(text.buffer, c, n)) return true;
    const char otherCase = IsAsciiUpper(static_cast<unsigned char>(c)) ? ToLowerAscii(c) : ToUpperAscii(c);
    return otherCase != c && std::memchr(text.buffer, otherCase, n) != nullptr;
}

// Marks the line with the preprocessor state it was read in.
void MarkLine(AnalysedLine& line, const PreprocessorState& state, const Context& context, int htmlLineFlag) {
    line.SetFlag(kFlagInContentsList, state.inContentsList != 0);
    bool html = context.trackers.input.inHTML != 0 || htmlLineFlag != 0;
    if (line.tagCode == kStatementBeginHTML) html = false;
    line.SetFlag(kFlagProtected, html);
    line.SetFlag(kFlagDefault, state.sectionIncluded != 0);
    line.specialBlock = state.specialBlockKind;
    line.SetFlag(kFlagNotAnalysed, state.specialBlockKind != 0);
    line.SetFlag(kFlagIgnored, state.ignoreDepth > 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Keywords

namespace {
// The prefix a directive has where the policies set none.
const TextString kDefaultPrefixText(kDefaultDirectivePrefix);
}  // namespace

const TextString& GetDirectivePrefix(const FC& policies) {
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    // An empty prefix would make every line a directive: keep the default.
    return prefix.length > 0 ? prefix : kDefaultPrefixText;
}

void EnsureDirectiveKeywords(FC& policies) {
    Context* context = policies.context;
    if (!context) return;
    DirectiveKeywordTable& table = context->directives;
    const TextString& prefix = GetDirectivePrefix(policies);
    const TextString& probe = table[kDirAllow];
    const int nameLength = 5;  // "ALLOW"
    if (table.registered && probe.length == prefix.length + nameLength &&
        CompareTextN(probe.buffer, prefix.buffer, prefix.length, 0) == 0)
        return;
    if (policies.GetText(Pol::DirectiveDelimiter).length > 0)
        context->RegisterDirectiveKeywords(&policies);
    else
        table.Register(nullptr, true);
}

bool LineStartsWith(const TextString& text, const char* keyword) {
    if (!keyword || !*keyword) return false;
    // Byte by byte, case-blind, stopping at the first difference (a NUL in
    // the text differs from every keyword byte).
    int n = 0;
    for (; keyword[n]; ++n) {
        if (n >= text.length) return false;
        const char a = text.buffer[n];
        if (a != keyword[n] && ToUpperAscii(a) != ToUpperAscii(keyword[n])) return false;
    }
    return true;
}

void RemoveDirectiveFromLine(FC& policies, TextString& text, const char* keyword) {
    int position = -1;
    if (keyword && *keyword && text.Find(0, keyword, &position, 0)) {
        int n = 0;
        while (keyword[n]) ++n;
        TextString rest(text.buffer + position + n);
        text.SubString(0, position);
        text.Append(rest);
        return;
    }
    TextString message("TAG ERROR: Failed to remove directive \"");
    message.Append(keyword ? keyword : "");
    message.Append("\" from input line (may be case sensitive)");
    policies.ReportMessage(message.buffer, kLevelAlways);
}

// ---------------------------------------------------------------------------
// Small services of the directive table

void CheckMissingEndTable(FC& policies, AnalysedLine& line, const char* name) {
    PreprocessorState& state = policies.preprocessor;
    if (!state.inSpecialBlock) return;
    if (policies.context) {
        TextString message("TAG ERROR: Missing \"End Table\" tag detected at ");
        message.Append(name ? name : "");
        message.Append(" tag");
        line.LineMessage(*policies.context, message, kLevelAlways);
    }
    state.inSpecialBlock = 0;
    state.specialBlockKind = kSpecialNone;
}

void RecordDirectiveTag(FC& policies, const char* name, const TextString& text) {
    Context* context = policies.context;
    if (!context) return;
    TextString arguments(text);
    ParseTagArguments(policies, arguments, name ? name : "");
    const SourcePosition& current = context->trackers.input.position;
    SourcePosition where(0, 0);
    if (current.unit == 0) where = SourcePosition(0, current.line < INT32_MAX ? current.line + 1 : current.line);
    context->documentState.tags.Add(&policies, TextString(name ? name : ""), arguments, 0, where);
}

// ---------------------------------------------------------------------------
// In-line LINERULE split

bool SplitInlineLineRule(WrappedTextFile& reader, AnalysedLine& line, FC& policies) {
    Context* context = policies.context;
    if (!context || !policies.IsOn(Pol::UsePreprocessor)) return false;
    // In a table the tag is a cell tag: the line keeps its place and its
    // cells, and the rule is drawn inside its cell.
    const PreprocessorState& state = policies.preprocessor;
    if (state.wholeFileIsTable || (state.inSpecialBlock && state.specialBlockKind == kSpecialTable)) return false;
    const InlineTagKeywordTable& tags = context->inlineTags;
    int at = -1;
    if (tags.startDelimiter.length == 0 || !line.taggedText->Find(0, tags.startDelimiter.buffer, &at, 0))
        return false;
    // The tag opening, made again for each line in a text that keeps its
    // room.  A line that does not hold it (in any case) is not cut: the
    // trimmed copy below holds no more than the line.
    static TextString opening;
    opening.AssignChars(tags.startDelimiter.buffer, static_cast<int>(std::strlen(tags.startDelimiter.buffer)));
    opening.Append("LINERULE");
    if (!line.taggedText->Find(0, opening.buffer, &at, 0)) return false;

    TextString whole(line.taggedText);
    whole.Trim(0, " ");
    if (!whole.Find(0, opening.buffer, &at, 0)) return false;

    EnsureDirectiveKeywords(policies);
    const TextString& keyword = context->directives[kDirLineRule];

    TextString before;
    before.AssignChars(whole.buffer, at);
    TextString rest(keyword);
    rest.Append(whole.buffer + at + opening.length);

    TextString directive(rest);
    TextString trailing;
    int end = -1;
    if (tags.endDelimiter.length > 0 && rest.Find(keyword.length, tags.endDelimiter.buffer, &end, 1)) {
        directive.AssignChars(rest.buffer, end);
        trailing.Assign(rest.buffer + end + tags.endDelimiter.length);
    }

    before = FinishPart(before);
    directive = FinishPart(directive);
    trailing = FinishPart(trailing);

    // Every part that goes back to the reader is read and cut again, so each
    // must be shorter than the line it came from, or the cutting would never
    // end (a directive prefix that holds the tag opening itself).
    const bool directiveQueued = before.length > 0;
    if (trailing.length >= whole.length) return false;
    if (directiveQueued && directive.length >= whole.length) return false;

    TextString current = directiveQueued ? before : directive;
    if (trailing.length > 0) reader.InsertPending(trailing.buffer);
    if (directiveQueued) reader.InsertPending(directive.buffer);

    // The part that stays is tidied again, so that its text is escaped for
    // the output format like that of every other line.
    SetAllTexts(line, current);
    line.TidyLine(&policies);
    return true;
}

// ---------------------------------------------------------------------------
// The preprocessor

namespace {

// The name of the file the reader reads now, as it was opened.
TextString ReadingFileName(const WrappedTextFile& reader) {
    const char* name = reader.GetTopFileName();
    return TextString(name ? name : "");
}

// "line 5 of \"x.txt\"".
TextString LineOfFile(int lineNumber, const TextString& file) {
    TextString text("line ");
    text.AppendNumber('1', lineNumber, 0);
    text.Append(" of \"");
    text.Append(file);
    text.AppendChar('"');
    return text;
}

void NoteIgnoreStart(const WrappedTextFile& reader, PreprocessorState& state, bool ascii) {
    state.ignoreStartFile = ReadingFileName(reader);
    state.ignoreStartLine = reader.TopLineNumber();
    state.ignoreStartIsAscii = ascii ? 1 : 0;
}

// A BEGIN_ASCII block is dropped like an ignored one; as its name promises
// text rather than nothing, its lines are named once.
void ReportDroppedAsciiBlock(const WrappedTextFile& reader, FC& policies) {
    const PreprocessorState& state = policies.preprocessor;
    const TextString file = ReadingFileName(reader);
    TextString message("INFO: BEGIN_ASCII block dropped: ");
    if (file == state.ignoreStartFile) {
        message.Append("lines ");
        message.AppendNumber('1', state.ignoreStartLine, 0);
        message.Append(" to ");
        message.AppendNumber('1', reader.TopLineNumber(), 0);
        message.Append(" of \"");
        message.Append(file);
        message.AppendChar('"');
    } else {
        message.Append("from ");
        message.Append(LineOfFile(state.ignoreStartLine, state.ignoreStartFile));
        message.Append(" to ");
        message.Append(LineOfFile(reader.TopLineNumber(), file));
    }
    policies.OutputMessage(message.buffer, kLevelAlways);
}

// At the end of the input: an ignored block still open has taken the rest
// of the file, which the user is told.
void ReportUnclosedIgnoredBlock(FC& policies) {
    PreprocessorState& state = policies.preprocessor;
    if (state.ignoreDepth <= 0 || state.unclosedBlockReported) return;
    state.unclosedBlockReported = 1;
    TextString message("WARNING: ");
    message.Append(state.ignoreStartIsAscii ? "BEGIN_ASCII" : "BEGIN_IGNORE");
    message.Append(" on ");
    message.Append(LineOfFile(state.ignoreStartLine, state.ignoreStartFile));
    message.Append(" is never closed: every line after it is dropped");
    policies.OutputMessage(message.buffer, kLevelWarning);
}

}  // namespace

int ProcessDirective(WrappedTextFile& reader, AnalysedLine& line, FC& policies, TextString& text,
                     int& htmlLineFlag) {
    Context* context = policies.context;
    if (!context) return 0;
    EnsureDirectiveKeywords(policies);
    if (!policies.IsOn(Pol::UsePreprocessor)) return 0;

    PreprocessorState& state = policies.preprocessor;
    const DirectiveKeywordTable& keywords = context->directives;
    int result = 1;
    bool matched = false;

    if (state.ignoreDepth == 0 && LineStartsWith(text, keywords[kDirSection].buffer)) {
        // The name as written, before output escaping, so that it compares
        // with the section names of the policies.
        TextString name;
        text.GetField(2, ' ', &name);
        policies.SetSectionName(name);
        state.sectionIncluded = policies.IsSectionIncluded();
        if (!state.sectionIncluded) {
            TextString message("INFO: Preprocessor is ignoring \"");
            message.Append(name);
            message.AppendChar('"');
            line.LineMessage(*context, message, kLevelAlways);
        }
        matched = true;
    } else {
        struct IgnoreDirective {
            int slot;
            bool begin;
            const char* surplusMessage;
        };
        static const IgnoreDirective kIgnoreDirectives[] = {
            {kDirBeginIgnore, true, nullptr},
            {kDirEndIgnore, false, "TAG ERROR: Too many END_IGNORE directives"},
            {kDirBeginAscii, true, nullptr},
            {kDirEndAscii, false, "TAG ERROR: Too many END_ASCII directives"},
        };
        for (const IgnoreDirective& directive : kIgnoreDirectives) {
            if (!LineStartsWith(text, keywords[directive.slot].buffer)) continue;
            matched = true;
            if (directive.begin) {
                if (state.ignoreDepth == 0) NoteIgnoreStart(reader, state, directive.slot == kDirBeginAscii);
                ++state.ignoreDepth;
            } else {
                if (state.ignoreDepth < 1) {
                    line.LineMessage(*context, TextString(directive.surplusMessage), kLevelAlways);
                } else {
                    --state.ignoreDepth;
                    if (state.ignoreDepth == 0 && state.ignoreStartIsAscii)
                        ReportDroppedAsciiBlock(reader, policies);
                }
                line.tagCode = kStatementEndIgnore;
                result = 0;
            }
            break;
        }
    }

    bool tableTested = false;
    if (state.sectionIncluded && state.ignoreDepth <= 0 && !matched) {
        tableTested = true;
        matched = ApplyDirectiveTable(reader, line, policies, *context, text, htmlLineFlag, result);
    }

    ApplyStatementToTracker(&policies, &context->trackers.input, text, line.tagCode);

    if (!matched) {
        result = 1;
        if (tableTested) {
            TextString message("WARNING: Unknown directive ignored - \"");
            message.Append(MessageExcerpt(text));
            message.AppendChar('"');
            policies.OutputMessage(message.buffer, kLevelWarning);
        }
    }
    return result;
}

namespace {

// ReadPreprocessedLine, whose failures are said of the line read.
int ReadAndPreprocessLine(WrappedTextFile& reader, AnalysedLine& line, FC& policies, bool lineIsReset) {
    Context* context = policies.context;
    if (context) context->trackers.codeLocation = kReadingInput;
    PreprocessorState& state = policies.preprocessor;
    int result = 0;
    int htmlLineFlag = 0;

    for (;;) {
        htmlLineFlag = 0;
        // A directive line consumed below is followed by the next line in the
        // same record, which is reset for it.
        if (!lineIsReset) line.Reset(0);
        lineIsReset = false;
        if (!reader.ReadSourceLine(line, policies)) {
            if (context) ReportUnclosedIgnoredBlock(policies);
            result = 0;
            break;
        }
        if (!context) {
            result = 1;
            break;
        }
        if (IsRuleSet(policies.ruleSetCode)) AppendBlankToAllTexts(line);

        // A line without the tag start delimiter (nearly every line) has no
        // LINERULE tag to cut and no in-line tags to carry out.
        const InlineTagKeywordTable& tags = context->inlineTags;
        const bool mayHoldTags = MayHoldDelimiter(line.taggedText, tags.startDelimiter);
        if (mayHoldTags) SplitInlineLineRule(reader, line, policies);

        // The directive test sees the text as it was before the in-line tags
        // were carried out (up to a NUL byte, as a copy of it would hold).
        // The copy is made only where the text can change or a directive
        // works on it.
        std::optional<TextString> copy;
        std::string_view before;
        auto textBefore = [&line, &before]() {
            if (!before.data())
                before = std::string_view(line.taggedText->buffer, std::strlen(line.taggedText->buffer));
            return before;
        };

        if (mayHoldTags && !state.inHtmlFragmentDefinition && !state.inTextFragmentDefinition &&
            state.ignoreDepth <= 0 && ContainsText(textBefore(), tags.startDelimiter) &&
            ContainsText(textBefore(), tags.endDelimiter)) {
            copy.emplace().AssignChars(before.data(), static_cast<int>(before.size()));
            reader.ProcessInLineTags(&line, &policies);
        }

        const TextString& prefix = GetDirectivePrefix(policies);
        if (copy ? LineStartsWith(*copy, prefix.buffer) : LineStartsWith(line.taggedText, prefix.buffer)) {
            if (!copy) {
                const std::string_view text = textBefore();
                copy.emplace().AssignChars(text.data(), static_cast<int>(text.size()));
            }
            if (ProcessDirective(reader, line, policies, *copy, htmlLineFlag) == 1) continue;
        }

        if (!state.sectionIncluded || state.ignoreDepth > 0) continue;
        result = 1;
        break;
    }

    if (context) {
        MarkLine(line, state, *context, htmlLineFlag);
        context->trackers.codeLocation = kNoCodeLocation;
    }
    return result;
}

}  // namespace

int ReadPreprocessedLine(WrappedTextFile& reader, AnalysedLine& line, FC& policies, bool lineIsReset) {
    try {
        return ReadAndPreprocessLine(reader, line, policies, lineIsReset);
    } catch (const TextTooLarge& failure) {
        throw failure.Naming(reader.LastLineRead());
    }
}
