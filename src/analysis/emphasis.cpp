#include "analysis/emphasis.h"

#include <cstring>
#include <string>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/heading_list.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "foundation/line_types.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// How far back a phrase's start is looked for.
constexpr int kMaxPhraseLines = 20;

const char kNotFound[] = "INFO: Ignoring potential emphasis markup, start not found";

int OutputFormat(const FC& set) { return set.context ? set.context->outputFormat : kOutputHTML; }

int CodeLocation(const FC& set) { return set.context ? set.context->trackers.codeLocation : kNoCodeLocation; }

// Lines of a user-defined table are left as they are while the input is read.
bool ReadingUserTable(const FC& set) {
    return CodeLocation(set) == kReadingInput && set.preprocessor.inSpecialBlock &&
           set.preprocessor.specialBlockKind == kSpecialUserTable;
}

bool InContentsList(const FC& set) { return set.preprocessor.inContentsList != 0; }

// The bold markup of the policy set; the policy decides when the format
// defaults have not been applied yet.
const char* BoldStart(const FC& set) {
    if (!set.strongOpen.IsEmpty()) return set.strongOpen.buffer;
    return set.IsOn(Pol::UseEmAndStrongMarkup) ? "<STRONG>" : "<B>";
}
const char* BoldEnd(const FC& set) {
    if (!set.strongClose.IsEmpty()) return set.strongClose.buffer;
    return set.IsOn(Pol::UseEmAndStrongMarkup) ? "</STRONG>" : "</B>";
}

bool IsMarkerChar(char c) { return c == '*' || c == '_' || c == '$'; }

bool InSet(char c, const char* chars) { return c != '\0' && std::strchr(chars, c) != nullptr; }

// A start marker: at the very start of the text, or after an opening
// character and not followed by another marker character.
bool IsValidStart(const TextString& text, int position, int markerLength) {
    if (position == 0) return true;
    if (!InSet(text.At(position - 1), " (,-<[{")) return false;
    return !IsMarkerChar(text.At(position + markerLength));
}

// An end marker: at the end of the text or before a closing character or
// punctuation, and not right after another marker character.
bool IsValidEnd(const TextString& text, int position, int markerLength) {
    const int after = position + markerLength;
    if (after < text.length && !InSet(text.buffer[after], "\t !\"')-,.:;>?]}")) return false;
    return !(position > 0 && IsMarkerChar(text.buffer[position - 1]));
}

// Position of `what` in `text` at or after `from`; -1 when absent.
int FindFrom(const TextString& text, std::string_view what, int from) {
    if (what.empty() || from < 0 || from > text.length) return -1;
    size_t at = text.view().find(what, static_cast<size_t>(from));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool Holds(const TextString& text, std::string_view what) { return FindFrom(text, what, 0) >= 0; }

// Replaces `n` bytes at `position` by `with`.
void ReplaceAt(TextString& text, int position, int n, std::string_view with) {
    std::string result(text.view().substr(0, static_cast<size_t>(position)));
    result.append(with);
    result.append(text.view().substr(static_cast<size_t>(position) + static_cast<size_t>(n)));
    text.AssignChars(result.data(), static_cast<int>(result.size()));
}

void DiscardFirstPair(AnalysedLine& line) {
    line.firstPairPresent = 0;
    line.firstFind.reset();
    line.firstReplacement.reset();
    line.firstPairStart = -1;
}

void DiscardSecondPair(AnalysedLine& line) {
    line.secondPairPresent = 0;
    line.secondFind.reset();
    line.secondReplacement.reset();
    line.secondPairStart = -1;
}

// The line before `line` in the chain, when it is an analysed line.
AnalysedLine* PreviousLine(const AnalysedLine* line) {
    return line && line->previous ? AsAnalysedLine(line->previous) : nullptr;
}

struct PhraseMarkup {
    std::string_view startMarker, endMarker, startMarkup, endMarkup;
};

// Looks for the start of a phrase that ends in `line`'s text on an earlier
// line of the same paragraph.  Returns that line and the start's position,
// and whether a blank line lies between; null when there is none.
AnalysedLine* FindEarlierStart(FC& set, const PhraseMarkup& m, AnalysedLine* line, int& startPosition,
                               bool& spansBlank) {
    const int format = OutputFormat(set);
    const char lastMarkupChar = format == kOutputRTF ? '}' : '>';
    spansBlank = false;
    AnalysedLine* earlier = PreviousLine(line);
    bool blankPassed = false;
    for (int searched = 0; earlier && searched < kMaxPhraseLines; ++searched, earlier = PreviousLine(earlier)) {
        const int type = earlier->lineType;
        if (blankPassed || (type != 0 && type != 1 && type != 3)) break;
        if (type == 1) blankPassed = true;
        if (earlier->firstPairPresent) continue;
        int from = 0;
        if (Holds(*earlier, m.startMarkup) || Holds(*earlier, m.endMarkup)) {
            size_t last = earlier->view().rfind(lastMarkupChar);
            if (last != std::string_view::npos) from = static_cast<int>(last) + 1;
        }
        int found = FindFrom(*earlier, m.startMarker, from);
        if (found < 0 || !IsValidStart(*earlier, found, static_cast<int>(m.startMarker.size()))) continue;
        startPosition = found;
        spansBlank = blankPassed;
        return earlier;
    }
    set.ReportMessage(kNotFound, 1);
    return nullptr;
}

// The end marker at `endPosition` closes a phrase begun on an earlier line.
// Returns where the scan goes on.
int CloseEarlierPhrase(FC& set, const PhraseMarkup& m, TextString& text, AnalysedLine* line, int endPosition) {
    const int endLength = static_cast<int>(m.endMarker.size());
    const int next = endPosition + endLength;
    if (!line) {
        set.ReportMessage(kNotFound, 1);
        return next;
    }
    int startPosition = -1;
    bool spansBlank = false;
    AnalysedLine* earlier = FindEarlierStart(set, m, line, startPosition, spansBlank);
    if (!earlier) return next;
    if (spansBlank) {
        set.ReportMessage("INFO: Ignoring potential emphasis phrase because it spans blank lines", 7);
        return next;
    }

    ReplaceAt(*earlier, startPosition, static_cast<int>(m.startMarker.size()), m.startMarkup);
    ReplaceAt(text, endPosition, endLength, m.endMarkup);

    if (earlier->firstPairPresent || line->firstPairPresent || line->secondPairPresent) {
        DiscardFirstPair(*earlier);
        DiscardFirstPair(*line);
        DiscardSecondPair(*line);
        set.ReportMessage("WARNING: Overlapping emphasis discarded", 10);
    }
    earlier->firstPairPresent = 1;
    earlier->firstFind = std::make_unique<TextString>(std::string(m.startMarker).c_str());
    earlier->firstReplacement = std::make_unique<TextString>(std::string(m.startMarkup).c_str());
    earlier->firstPairStart = startPosition;
    line->secondPairPresent = 1;
    line->secondFind = std::make_unique<TextString>(std::string(m.endMarker).c_str());
    line->secondReplacement = std::make_unique<TextString>(std::string(m.endMarkup).c_str());
    line->secondPairStart = endPosition;
    return endPosition + static_cast<int>(m.endMarkup.size());
}

// The markup of one phrase pass (1 and 2 bold italic, 3 italic, 4 bold);
// false when the output format has none.
bool GetPhraseMarkup(FC& set, int pass, std::string& start, std::string& end) {
    const int format = OutputFormat(set);
    if (format == kOutputHTML) {
        switch (pass) {
            case 1:
            case 2:
                start = std::string(BoldStart(set)) + "<EM>";
                end = std::string("</EM>") + BoldEnd(set);
                return true;
            case 3:
                start = "<EM>";
                end = "</EM>";
                return true;
            default:
                start = BoldStart(set);
                end = BoldEnd(set);
                return true;
        }
    }
    if (format == kOutputRTF) {
        switch (pass) {
            case 1:
            case 2:
                start = "{\\b\\i ";
                end = "\\b0\\i0}";
                return true;
            case 3:
                start = "{\\i ";
                end = "\\i0}";
                return true;
            default:
                start = "{\\b ";
                end = "\\b0}";
                return true;
        }
    }
    if (format != kOutputPDF) {
        TextString message("UNSUPPORTED CASE: Output Format in TidyEmphasisLine (");
        message.AppendNumber('d', pass, 0);
        message.Append(")");
        set.ReportMessage(message.buffer, 10);
    }
    return false;
}

// The word's emphasis forms and the markup of each.
enum class WordForm { BoldItalic = 1, Bold = 2, Underline = 3, Italic = 4 };

bool GetWordMarkup(FC& set, WordForm form, const char*& start, const char*& end) {
    const int format = OutputFormat(set);
    static const char* const html[4][2] = {
        {"<STRONG><EM>", "</EM></STRONG>"}, {"<STRONG>", "</STRONG>"}, {"<U>", "</U>"}, {"<EM>", "</EM>"}};
    static const char* const rtf[4][2] = {
        {"{\\b\\i ", "\\i0\\b0}"}, {"{\\b ", "\\b0}"}, {"{\\ul ", "\\ul0}"}, {"{\\i ", "\\i0}"}};
    const int index = static_cast<int>(form) - 1;
    if (format == kOutputHTML || format == kOutputRTF) {
        const auto& table = format == kOutputHTML ? html : rtf;
        start = table[index][0];
        end = table[index][1];
        return true;
    }
    if (format != kOutputPDF) {
        TextString message("UNSUPPORTED CASE: Output Format in TidyEmphasisWord (");
        message.AppendNumber('d', index + 1, 0);
        message.Append(")");
        set.ReportMessage(message.buffer, 10);
    }
    return false;
}

// Wraps `inner` in the markup of the form; format 3 copies the word as it is.
void ApplyWordForm(FC& set, WordForm form, const TextString& word, std::string_view inner, int& changed,
                   TextString& out) {
    const char* start = nullptr;
    const char* end = nullptr;
    if (GetWordMarkup(set, form, start, end)) {
        std::string result(start);
        result.append(inner);
        result.append(end);
        out.AssignChars(result.data(), static_cast<int>(result.size()));
        changed = 1;
    } else if (OutputFormat(set) == kOutputPDF) {
        out = word;
        changed = 1;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Emphasis

void TidyEmphasisLine(FC& set, TextString& text, AnalysedLine* line) {
    if (!text.FindChar(0, '_', nullptr, 1) && !text.FindChar(0, '*', nullptr, 1)) return;
    const bool userTable = ReadingUserTable(set);
    const char wordDelimiter = static_cast<char>(0xBF);

    // The words are read from the text as it was and the converted text is
    // built apart, in one pass (see ConvertLine).
    TextString converted;
    int copied = 0;  // the text before this position is in `converted`
    bool anyChanged = false;
    int position = 0;
    TextString word, replacement;
    while (position < text.length) {
        int offset = 0;
        text.GetFieldFrom(text.buffer + position, 1, wordDelimiter, &word, &offset);
        if (word.IsEmpty()) {
            const bool entity = std::strncmp(text.buffer + position, "&lt;", 4) == 0 ||
                                std::strncmp(text.buffer + position, "&gt;", 4) == 0;
            position += entity ? 4 : 1;
            continue;
        }
        int changed = 0;
        if (!userTable) TidyEmphasisWord(set, word, changed, replacement);
        if (changed) {
            if (!anyChanged) converted.Reserve(text.length + text.length / 2);
            anyChanged = true;
            converted.AppendBytes(text.buffer + copied, position - copied);
            converted.Append(replacement);
            copied = position + word.length;
        }
        position += word.length;
    }
    if (anyChanged) {
        converted.AppendBytes(text.buffer + copied, text.length - copied);
        text = std::move(converted);
    }

    if (!set.IsOn(Pol::SearchForEmphasis) || userTable) return;
    static const char* const markers[4][2] = {{"*_", "_*"}, {"_*", "*_"}, {"_", "_"}, {"*", "*"}};
    for (int pass = 1; pass <= 4; ++pass) {
        std::string start, end;
        if (!GetPhraseMarkup(set, pass, start, end)) continue;
        FindEmphasisPhrase(set, markers[pass - 1][0], markers[pass - 1][1], start.c_str(), end.c_str(), text, line);
    }
}

void TidyEmphasisWord(FC& set, const TextString& word, int& changed, TextString& out) {
    if (changed || !set.IsOn(Pol::SearchForEmphasis) || InContentsList(set)) return;
    const std::string_view w = word.view();
    const int n = word.length;
    // A word made of markers alone ("**", "_*_*_") has nothing to emphasise.
    if (w.find_first_not_of("*_") == std::string_view::npos) return;

    // "*_word_*" or "_*word*_" with no marker inside.
    if (n >= 7 && ((w.starts_with("*_") && w.ends_with("_*")) || (w.starts_with("_*") && w.ends_with("*_")))) {
        std::string_view inner = w.substr(2, static_cast<size_t>(n - 4));
        if (inner.find_first_of("*_") == std::string_view::npos) {
            ApplyWordForm(set, WordForm::BoldItalic, word, inner, changed, out);
            return;
        }
    }

    // "*word*": exactly the two asterisks, at the ends.
    if (w.front() == '*' && w.back() == '*' && word.CountChar('*') == 2) {
        ApplyWordForm(set, WordForm::Bold, word, w.substr(1, static_cast<size_t>(n - 2)), changed, out);
        return;
    }

    if (n < 4 || w.front() != '_' || w.back() != '_') return;
    // A doubled underscore at either end ("__init__") is no emphasis.
    if (w[1] == '_' || w[static_cast<size_t>(n - 2)] == '_') return;
    if (word.CountChar('_') >= 3) {
        // "_several_joined_words_" is underlined, its parts separated by blanks.
        TextString parts(word);
        parts.ReplaceChar(0, '_', ' ', 0);
        parts.Trim(0, " ");
        if (!parts.IsEmpty()) ApplyWordForm(set, WordForm::Underline, word, parts.view(), changed, out);
        return;
    }
    ApplyWordForm(set, WordForm::Italic, word, w.substr(1, static_cast<size_t>(n - 2)), changed, out);
}

int FindEmphasisPhrase(FC& set, const char* startMarker, const char* endMarker, const char* startMarkup,
                       const char* endMarkup, TextString& text, AnalysedLine* line) {
    if (!startMarker || !*startMarker || !endMarker || !*endMarker) return 0;
    const PhraseMarkup m{startMarker, endMarker, startMarkup ? startMarkup : "", endMarkup ? endMarkup : ""};
    const int startLength = static_cast<int>(m.startMarker.size());
    const int endLength = static_cast<int>(m.endMarker.size());
    const bool sameMarkers = m.startMarker == m.endMarker;

    int position = 0;
    while (position < text.length) {
        const int start = FindFrom(text, m.startMarker, position);
        const int end = FindFrom(text, m.endMarker, position);
        if (start < 0 && end < 0) break;

        // An end marker before any start closes a phrase begun on an earlier line.
        if (end >= 0 && (start < 0 || end < start)) {
            if (IsValidEnd(text, end, endLength)) {
                position = CloseEarlierPhrase(set, m, text, line, end);
                continue;
            }
            if (start < 0) {
                position = end + 1;
                continue;
            }
        }

        if (!IsValidStart(text, start, startLength)) {
            if (sameMarkers && IsValidEnd(text, start, endLength))
                position = CloseEarlierPhrase(set, m, text, line, start);
            else
                position = start + 1;
            continue;
        }

        // A valid start: look for a valid end on the same line.
        int close = FindFrom(text, m.endMarker, start + startLength);
        while (close >= 0 && !IsValidEnd(text, close, endLength)) close = FindFrom(text, m.endMarker, close + 1);
        if (close < 0) {
            // A later line may close the phrase.
            position = start + 1;
            continue;
        }

        TextString phrase;
        phrase.AssignSubstring(text.buffer, start + startLength, close - start - startLength);
        phrase.Trim(0, " ");
        if ((!m.startMarkup.empty() && Holds(phrase, m.startMarkup)) ||
            (!m.endMarkup.empty() && Holds(phrase, m.endMarkup))) {
            set.ReportMessage("INFO: Ignoring potential emphasis phrase because it contains other markup", 7);
            position = close + endLength;
            continue;
        }
        if (phrase.IsEmpty()) {
            position = close + endLength;
            continue;
        }
        // The end first, so that the start's position still holds.
        ReplaceAt(text, close, endLength, m.endMarkup);
        ReplaceAt(text, start, startLength, m.startMarkup);
        const int added = static_cast<int>(m.startMarkup.size()) - startLength;
        position = close + added + static_cast<int>(m.endMarkup.size());
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Markup-free text

void StripMarkupChars(FC& set, const TextString& text, TextString& out) {
    TextString copy;
    switch (OutputFormat(set)) {
        case kOutputHTML: {
            TextString work(text);
            UnescapeEntities(set, 0, work, copy);
            if (copy.FindChar(0, '&', nullptr, 1)) {
                copy.Replace("&nbsp;", " ", 0, 0);
                copy.CollapseBlanks();
            }
            copy.ReplaceChar(0, '<', '_', 0);
            copy.ReplaceChar(0, '>', '_', 0);
            break;
        }
        case kOutputRTF:
            copy = text;
            copy.ReplaceChar(0, '{', '_', 0);
            copy.ReplaceChar(0, '}', '_', 0);
            break;
        case kOutputText: copy = text; break;
        case kOutputPDF: break;
        default:
            set.ReportMessage("UNSUPPORTED CASE: Output Format in StripMarkupChars", 10);
            copy = text;
            break;
    }
    RemoveInLineTags(set, nullptr, nullptr, copy, copy);
    copy.CollapseBlanks();
    copy.Trim(0, " ");
    out = copy;
}

void UnescapeEntities(FC& set, int decode, TextString& text, TextString& out) {
    RemoveTags(set, "<", ">", nullptr, nullptr, text, text);
    if (decode && text.FindChar(0, '&', nullptr, 1)) {
        // One pass, so that a decoded '&' never starts another entity
        // ("&amp;lt;" stays "&lt;").
        static const struct {
            std::string_view entity;
            char character;
        } entities[] = {{"&nbsp;", ' '}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
        std::string result;
        result.reserve(static_cast<size_t>(text.length));
        const std::string_view view = text.view();
        for (size_t i = 0; i < view.size();) {
            bool decoded = false;
            if (view[i] == '&') {
                for (const auto& e : entities) {
                    if (view.substr(i).starts_with(e.entity)) {
                        result.push_back(e.character);
                        i += e.entity.size();
                        decoded = true;
                        break;
                    }
                }
            }
            if (!decoded) result.push_back(view[i++]);
        }
        text.AssignChars(result.data(), static_cast<int>(result.size()));
    }
    text.Trim(0, " ");
    text.CollapseBlanks();
    if (&out != &text) out = text;
}

// ---------------------------------------------------------------------------
// Contents-list and indentation helpers

bool IsInContentsRange(FC& /*set*/, int index, int first, int last, int contentsMode) {
    switch (contentsMode) {
        case 1: return index != 0;
        case 2:
        case 3:
            if (first < 0 && last < 0) return false;
            return first <= index && (index <= last || last < 0);
        default: return true;
    }
}

void GetContentsRange(FC& set, const HeadingList* list, int contentsMode, int& first, int& last) {
    first = last = -1;
    if (!list || (contentsMode != 2 && contentsMode != 3) || !set.context) return;
    int found = -1;
    Context* context = set.context;
    const int location = context->trackers.codeLocation;
    const Tracker* tracker = (IsTrackedCodeLocation(location)) ? context->pGetTracker() : &context->trackers.output;
    list->FindByPosition(tracker->position, &found);
    if (found < 0) return;

    const int sectionLevel = contentsMode - 1;
    auto isSection = [&](int i) { return GetHeadingLevel(list->GetAt(i)->lineType) <= sectionLevel; };
    int section = found;
    while (section >= 0 && !isSection(section)) --section;
    int next = found + 1;
    while (next < list->Count() && !isSection(next)) ++next;
    // An empty range stays -1, -1: an open end would take in every later heading.
    if (section + 1 <= next - 1) {
        first = section + 1;
        last = next - 1;
    }
}

int IndentToLevel(FC& /*set*/, int indentation) { return indentation <= 0 ? 0 : (indentation + 10) / 20; }
