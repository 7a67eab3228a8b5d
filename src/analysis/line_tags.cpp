// The analysed line's messages, its own handling of in-line tags, and its
// overrides of the text line's wrapping and upper-case test.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/tag_dispatch.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/line_types.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// (A tag's name is compared with a dozen names: each is compared in place,
// its length known beforehand.)
bool NameIs(const TextString& name, std::string_view wanted) {
    if (static_cast<size_t>(name.length) != wanted.size()) return false;
    for (size_t i = 0; i < wanted.size(); ++i)
        if (ToUpperAscii(name.buffer[i]) != ToUpperAscii(wanted[i])) return false;
    return true;
}

// Replaces the first occurrence of `tag` (case-sensitive) by `replacement`.
void ReplaceFirst(TextString& text, const TextString& tag, const TextString& replacement) {
    if (tag.IsEmpty()) return;
    text.Replace(tag.buffer, replacement.buffer, 1, 1);
}

// The same for a copy of the line, which keeps sharing its buffer when the
// tag is not in it.
void ReplaceFirst(SharedText& text, const TextString& tag, const TextString& replacement) {
    if (tag.IsEmpty() || text.View().find(tag.view()) == std::string_view::npos) return;
    text.Edit().Replace(tag.buffer, replacement.buffer, 1, 1);
}

// The font list key of a FONT tag's font: alternate face, face, extra style
// flag and style ("3" bold and italic, "2" bold, "1" italic, "0" neither).
TextString FontKey(const FontSpec& font) {
    TextString key(font.alternateFace);
    key.Append("-");
    key.Append(font.faceName);
    key.Append(font.extraStyle ? "-1" : "-0");
    if (font.bold && font.italic)
        key.Append("-3");
    else if (font.bold)
        key.Append("-2");
    else if (font.italic)
        key.Append("-1");
    else
        key.Append("-0");
    return key;
}

// The tag replacements whose room a line keeps from one batch to the next.
constexpr size_t kKeptTagBatchRoom = 8;

// One line after `position`, without running over.
SourcePosition OneLineOn(SourcePosition position) {
    if (position.line < INT_MAX) position.line += 1;
    return position;
}

}  // namespace

// ---------------------------------------------------------------------------
// Messages

// During a conversion no message about a line is shown, logged or kept with
// the line: the sink is only asked whether the message's class is
// suppressed.
void AnalysedLine::LineMessage(Context& context, const TextString& text, int) {
    context.sink.IsSuppressedByPrefix(text);
}

// ---------------------------------------------------------------------------
// In-line tags

bool AnalysedLine::ExecuteTag(int mode, OutputDocument* document, const TextString& tag, FC& set,
                              TextString& messages, int& level) {
    TextString name, arguments;
    // A tag of an unknown name is not executed: its arguments are not read.
    const TagReading reading = ReadTag(set, tag, name, arguments, UnknownTagArguments::kLeftUnread);
    return ExecuteReadTag(mode, document, tag, reading, name, arguments, set, messages, level);
}

bool AnalysedLine::ExecuteReadTag(int mode, OutputDocument* document, const TextString& tag, TagReading reading,
                                  const TextString& name, const TextString& arguments, FC& set, TextString& messages,
                                  int& level) {
    if (reading != TagReading::kRecognised) {
        AppendTagReadingError(reading, name, tag,
                              messages.IsEmpty() ? "TAG ERROR: " : "\n           TAG ERROR: ", messages);
        level = kLevelAlways;
        // The tag stays in the text.  Its markup characters were kept as
        // they are when the line was read, for a tag's executor to write;
        // written into HTML now they would be taken for markup, and what
        // follows them lost from the page.
        if (document && set.context && set.context->outputFormat == kOutputHTML)
            ReplaceTag(tag, HTML_EscapeLeftTag(tag), true);
        return false;
    }

    // The executor writes the tag's markup.  A tag it does not take (no
    // executor, or one that leaves the tag to the line) is handled by the
    // line itself, without a message.
    int replace = 0;
    TextString replacement;
    // END_HEADING takes the text before it as it stands now: the
    // replacements batched so far are made first.
    if (tagBatchOpen && NameIs(name, "END_HEADING")) {
        EndTagBatch();
        BeginTagBatch();
    }
    const bool executed = ExecuteInlineTag(mode, this, tag, name, arguments, document, &set, &replace, &replacement);
    if (!executed) ProcessInLineTag(tag, set);

    // A blank line that held an executed tag now holds text.
    if (executed && lineType == kLineBlank) SetLineType(kLineText);
    if (replace) ReplaceTag(tag, replacement, true);
    return executed;
}

void AnalysedLine::ProcessInLineTag(const TextString& tag, FC& set) {
    TextString replacement(" ");
    TextString name, arguments;
    // Of the tags whose names are unknown, only FOLIO and QUAD are read for
    // their arguments.
    TagReading reading = ReadTag(set, tag, name, arguments, UnknownTagArguments::kLeftUnread);
    if (reading == TagReading::kUnknownName && (NameIs(name, "FOLIO") || NameIs(name, "QUAD")))
        reading = ReadTag(set, tag, name, arguments, UnknownTagArguments::kRead);
    const bool recognised = reading == TagReading::kRecognised;
    Context* context = set.context;
    DocumentState* state = context ? &context->documentState : nullptr;
    if (recognised && state) state->headingSwitches[DocumentState::kInlineTagsSeen] = 1;

    if (recognised && NameIs(name, "DEBUG")) {
        TextString status("DEBUG: Tag ");
        status.Append(name);
        status.Append("= ");
        status.Append(arguments);
        set.ReportStatus(status.buffer);
        for (int n = 1; n <= 4; ++n) {
            TextString argument;
            const bool present = GetTagArgument(set, arguments, n, argument);
            status.Assign("DEBUG:    arg No.");
            status.AppendNumber('1', n, 0);
            status.Append("= ");
            status.Append(present ? argument.buffer : "(****)");
            set.ReportStatus(status.buffer);
        }
    }

    if (NameIs(name, "ENTITY") || NameIs(name, "CAD")) {
        // An entity stands for one character on the page.
        replacement.Assign("?");
    } else if (NameIs(name, "SUPER") || NameIs(name, "SUB")) {
        replacement.Assign(" ");
        replacement.Append(JoinTagArguments(arguments));
    } else if (NameIs(name, "COLOUR") || NameIs(name, "COLOR")) {
        if (state) state->headingSwitches[DocumentState::kFontTagsUsed] = 1;
    } else if (NameIs(name, "TEXT") || NameIs(name, "CT") || NameIs(name, "OT")) {
        if (state) state->headingSwitches[DocumentState::kTextTagsUsed] = 1;
        if (NameIs(name, "TEXT")) {
            // Its argument is text: the current text, escaped for the
            // output, takes it escaped as that text is.
            replacement = RawTagArgumentText(set, tag, name);
            TextString shown(replacement);
            const int format = context ? context->outputFormat : kOutputHTML;
            if (format == kOutputHTML)
                shown = HTML_EscapeLeftTag(replacement);
            else if (format == kOutputRTF)
                RTF_EscapeText(&set, shown);
            ReplaceTag(tag, replacement, shown);
            return;  // nothing below concerns a TEXT tag
        }
        replacement.Assign(NameIs(name, "OT") ? "++" : "--");
    } else if (NameIs(name, "FONT")) {
        if (state) state->headingSwitches[DocumentState::kFontTagsUsed] = 1;
        FontSpec font;
        if (GetTagFont(&set, this, name, arguments, font) && state) {
            const TextString key = FontKey(font);
            if (!state->list2.Find(&key, nullptr)) state->list2.Add(key.buffer);
        }
    } else if (NameIs(name, "FOLIO")) {
        TextString first, pageNumber;
        if (context && TryGetTagString(set, arguments, 1, first) && TryGetTagString(set, arguments, 2, pageNumber)) {
            // The definitions are made on behalf of the reading side, one
            // line after the line being read.
            const int savedLocation = context->trackers.codeLocation;
            context->trackers.codeLocation = kReadingInput;
            auto define = [&](const char* variable, const TextString& value) {
                state->defines.Add(&set, kDefinitionVariable, TextString(variable), SourcePosition(), 0, 0, &value);
                ++context->trackers.definitionUnits;
            };
            define("PAGE_NUMBER", pageNumber);
            TextString value;
            if (TryGetTagString(set, arguments, 3, value)) define("FOLIO_FORMAT_CODE", value);
            if (TryGetTagString(set, arguments, 4, value)) define("FOLIO_TEMPLATE", value);
            context->trackers.codeLocation = savedLocation;
        }
    } else if (NameIs(name, "GOTO")) {
        replacement = JoinTagArguments(arguments);
        replacement.Trim(0, " ");
    } else if (NameIs(name, "HYPERLINK")) {
        TextString target;
        GetTagStringOrDefault(set, arguments, 2, target, "[HYPERLINK]");
        GetTagStringOrDefault(set, arguments, 3, replacement, target.buffer);
    }

    // QUAD, PAGE_MARKER and FOLIO are remembered with the line after the one
    // being read.
    const bool quad = NameIs(name, "QUAD");
    if (context && (quad || NameIs(name, "PAGE_MARKER") || NameIs(name, "FOLIO"))) {
        int value = 0;
        bool enter = true;
        if (quad && !TryGetTagAlignment(set, arguments, 1, value)) {
            ReportTagParseFault(&set, this, tag, name, 1);
            enter = false;
        }
        if (enter) {
            const Tracker* tracker = context->pGetTracker();
            // Within an included unit the tag counts where the unit was
            // included from, as lookups measure positions in the main file.
            SourcePosition where = tracker->position;
            if (where.unit > 0 && tracker->outerPosition.IsValid()) where = tracker->outerPosition;
            state->tags.Add(&set, name, arguments, value, OneLineOn(where));
        }
    }

    ReplaceTag(tag, replacement, false);
}

void AnalysedLine::ReplaceTag(const TextString& tag, const TextString& replacement, bool currentTextOnly) {
    if (tagBatchOpen) {
        if (!tag.IsEmpty()) tagBatch.push_back(TagReplacement{tag.str(), replacement.str(), currentTextOnly, {}});
        return;
    }
    if (!currentTextOnly) {
        ReplaceFirst(inputText, tag, replacement);
        ReplaceFirst(plainText, tag, replacement);
    }
    ReplaceFirst(*this, tag, replacement);
    if (!currentTextOnly) trimmedLength = plainText.Length();
}

void AnalysedLine::ReplaceTag(const TextString& tag, const TextString& replacement,
                              const TextString& currentReplacement) {
    if (tagBatchOpen) {
        if (!tag.IsEmpty())
            tagBatch.push_back(TagReplacement{tag.str(), replacement.str(), false, currentReplacement.str()});
        return;
    }
    ReplaceFirst(inputText, tag, replacement);
    ReplaceFirst(plainText, tag, replacement);
    ReplaceFirst(*this, tag, currentReplacement);
    trimmedLength = plainText.Length();
}

namespace {

std::string_view ViewOf(const TextString& text) { return text.view(); }
std::string_view ViewOf(const SharedText& text) { return text.View(); }
void AssignTo(TextString& text, std::string_view value) {
    text.AssignChars(value.data(), static_cast<int>(value.size()));
}
void AssignTo(SharedText& text, std::string_view value) { text.Assign(value); }
TextString& Editable(TextString& text) { return text; }
TextString& Editable(SharedText& text) { return text.Edit(); }

// Replaces, in order, the first occurrence of each batch tag that stands after
// the previous one's: the one pass equal to replacing the tags one by one.
// The input and plain texts take only the replacements not meant for the
// current text alone.
template <typename Text>
void ReplaceTagsInOnePass(Text& text, const std::vector<AnalysedLine::TagReplacement>& batch, bool currentText) {
    const auto applies = [currentText](const AnalysedLine::TagReplacement& entry) {
        return currentText || !entry.currentTextOnly;
    };
    const auto pieceOf = [currentText](const AnalysedLine::TagReplacement& entry) -> const std::string& {
        return currentText ? entry.ForCurrentText() : entry.replacement;
    };
    // Tags nearly always give way to something no longer (a blank, "?"):
    // then the text is rewritten in place, the part written never reaching
    // the part still to be read.  A text the tags are not in stays as it is
    // (and a shared one shared).
    if (std::all_of(batch.begin(), batch.end(), [&](const AnalysedLine::TagReplacement& entry) {
            return !applies(entry) || pieceOf(entry).size() <= entry.tag.size();
        })) {
        TextString* edited = nullptr;
        size_t read = 0;
        size_t written = 0;
        for (const AnalysedLine::TagReplacement& entry : batch) {
            if (!applies(entry)) continue;
            const std::string_view source = edited ? edited->view() : ViewOf(text);
            const size_t at = source.find(entry.tag, read);
            if (at == std::string_view::npos) continue;
            if (!edited) edited = &Editable(text);
            char* const buffer = edited->buffer;
            std::memmove(buffer + written, buffer + read, at - read);
            written += at - read;
            const std::string& piece = pieceOf(entry);
            std::copy(piece.begin(), piece.end(), buffer + written);
            written += piece.size();
            read = at + entry.tag.size();
        }
        if (!edited) return;
        const size_t rest = static_cast<size_t>(edited->length) - read;
        std::memmove(edited->buffer + written, edited->buffer + read, rest);
        edited->SubString(0, static_cast<int>(written + rest));
        return;
    }
    const std::string_view source = ViewOf(text);
    std::string out;
    out.reserve(source.size());
    size_t cursor = 0;
    for (const AnalysedLine::TagReplacement& entry : batch) {
        if (entry.currentTextOnly && !currentText) continue;
        const size_t at = source.find(entry.tag, cursor);
        if (at == std::string_view::npos) continue;
        out.append(source.substr(cursor, at - cursor));
        out.append(currentText ? entry.ForCurrentText() : entry.replacement);
        cursor = at + entry.tag.size();
    }
    if (cursor == 0) return;
    out.append(source.substr(cursor));
    AssignTo(text, out);
}

}  // namespace

void AnalysedLine::BeginTagBatch() {
    tagBatch.clear();
    tagBatchOpen = true;
}

void AnalysedLine::EndTagBatch() {
    tagBatchOpen = false;
    if (tagBatch.empty()) return;
    const bool allTexts = std::any_of(tagBatch.begin(), tagBatch.end(),
                                      [](const TagReplacement& entry) { return !entry.currentTextOnly; });
    if (allTexts) {
        ReplaceTagsInOnePass(inputText, tagBatch, false);
        ReplaceTagsInOnePass(plainText, tagBatch, false);
    }
    ReplaceTagsInOnePass(*this, tagBatch, true);
    if (allTexts) trimmedLength = plainText.Length();
    // The room of a few replacements is kept for the next line's tags.
    tagBatch.clear();
    if (tagBatch.capacity() > kKeptTagBatchRoom) tagBatch.shrink_to_fit();
}

std::vector<AnalysedLine::TagReplacement> AnalysedLine::TakeTagBatch() {
    tagBatchOpen = false;
    return std::exchange(tagBatch, {});
}

// ---------------------------------------------------------------------------
// Wrapping and the upper-case test

bool AnalysedLine::CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                                   const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                                   int option) {
    // A pre-formatted line keeps its layout; a line that received a link may
    // run longer before it is wrapped.
    int used = width;
    if (HasFlag(kFlagPreformatted))
        used = length;
    else if (extraWrapWidth > 0 && width <= INT_MAX - 15 - extraWrapWidth)
        used = width + extraWrapWidth + 15;
    return TextLine::CutWrappedPiece(used, start, whiteSpace, breakAfter, breakBefore, out, nextStart,
                                     checkDoubleByte, option);
}

// With `option` set, *insideMarkup tells whether the break falls inside an
// HTML tag: a '<' before it, back to `start`, with no '>' after that '<'.
int AnalysedLine::FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter,
                                 const char* breakBefore, int* breakPos, int* insideMarkup, int checkDoubleByte,
                                 int option) {
    int position = -1;
    int inside = 0;
    const int result = TextLine::FindBreakPoint(start, width, whiteSpace, breakAfter, breakBefore, &position,
                                                &inside, checkDoubleByte, option);
    inside = 0;
    if (option && position >= 0 && position >= start) {
        int open = -1, close = -1;
        const int from = position < length ? position : length - 1;
        for (int j = from; j >= start && j >= 0; --j) {
            const char c = buffer[j];
            if (open < 0 && c == '<') open = j;
            if (close < 0 && c == '>' && j > 0) close = j;
            if (open >= 0 && close >= 0) break;
        }
        inside = (open >= 0 && close < open) ? 1 : 0;
    }
    if (breakPos) *breakPos = position;
    if (insideMarkup) *insideMarkup = inside;
    return result;
}

// An upper-case line may hold the entity "&amp;".
bool AnalysedLine::IsUpperCase() const {
    for (int i = 0; i < length; ++i) {
        if (!IsAsciiLower(static_cast<unsigned char>(buffer[i]))) continue;
        if (CompareTextN(buffer + i, "amp;", 4, 0) == 0) {
            i += 3;
            continue;
        }
        return false;
    }
    return true;
}
