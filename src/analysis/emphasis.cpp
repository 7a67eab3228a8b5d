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
bool IsValidStartBetween(bool atTextStart, char before, char after) {
    if (atTextStart) return true;
    if (!InSet(before, " (,-<[{")) return false;
    return !IsMarkerChar(after);
}

bool IsValidStart(const TextString& text, int position, int markerLength) {
    return IsValidStartBetween(position == 0, text.At(position - 1), text.At(position + markerLength));
}

// An end marker: at the end of the text or before a closing character or
// punctuation, and not right after another marker character.
bool IsValidEndBetween(char before, bool atTextEnd, char after) {
    if (!atTextEnd && !InSet(after, "\t !\"')-,.:;>?]}")) return false;
    return !IsMarkerChar(before);
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

// The next occurrence of a marker at or after a position, for positions
// that never go back: what lies between the position asked for and the
// occurrence last found is known to hold none, so no byte is looked at
// twice.
class MarkerSearch {
public:
    MarkerSearch(const TextString& text, std::string_view marker) : text_(text), marker_(marker) {}

    int From(int position) {
        if (from_ < 0 || position < from_ || (found_ >= 0 && position > found_)) {
            from_ = position;
            found_ = FindFrom(text_, marker_, position);
        }
        return found_;
    }

private:
    const TextString& text_;
    std::string_view marker_;
    int from_ = -1;  // where the last search began
    int found_ = -1;  // what it found
};

// The text of one phrase scan as its markers are replaced.  The scan goes
// left to right and never looks back at what it replaced, so the converted
// text is built once: the text before `copied_` is in `out_` with its
// markers replaced, the rest is still the text as it was.  Positions are
// those of the text as it was.
class PhraseEdit {
public:
    explicit PhraseEdit(const TextString& text) : text_(text) {}

    // The position that `i` (not before the last replacement) has in the
    // converted text.
    int Converted(int i) const { return out_.length + (i - copied_); }

    bool ValidStart(int i, int markerLength) const {
        return IsValidStartBetween(Converted(i) == 0, Before(i), text_.At(i + markerLength));
    }
    bool ValidEnd(int i, int markerLength) const {
        const int after = i + markerLength;
        return IsValidEndBetween(Before(i), after >= text_.length, text_.At(after));
    }

    // Replaces the `n` bytes at `i`, which lie after the last replacement.
    void Replace(int i, int n, std::string_view with) {
        if (!edited_) {
            edited_ = true;
            out_.ReserveAbout(int64_t{text_.length} + text_.length / 2);
        }
        out_.AppendBytes(text_.buffer + copied_, i - copied_);
        out_.AppendBytes(with.data(), static_cast<int>(with.size()));
        copied_ = i + n;
    }

    // Puts the converted text in `text`, the text the scan was given.
    void Finish(TextString& text) {
        if (!edited_) return;
        out_.AppendBytes(text_.buffer + copied_, text_.length - copied_);
        text = std::move(out_);
    }

private:
    // The byte before `i` in the converted text ('\0' at its start).
    char Before(int i) const {
        if (i > copied_) return text_.buffer[i - 1];
        return out_.length > 0 ? out_.buffer[out_.length - 1] : '\0';
    }

    const TextString& text_;
    TextString out_;
    int copied_ = 0;
    bool edited_ = false;
};

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
        if (blankPassed || (type != kLineText && type != kLineBlank && type != kLineParagraphStart)) break;
        if (type == kLineBlank) blankPassed = true;
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
    return nullptr;
}

// What the look for an earlier start found, kept through one phrase scan:
// the earlier lines change only when a phrase is closed on one of them, so
// the ends of a line that find no start look at those lines once, not once
// each.
struct EarlierStart {
    bool known = false;
    AnalysedLine* line = nullptr;
    int position = -1;
    bool spansBlank = false;
};

// The end marker at `endPosition` closes a phrase begun on an earlier line;
// its replacement goes to `edit`.
void CloseEarlierPhrase(FC& set, const PhraseMarkup& m, PhraseEdit& edit, AnalysedLine* line, int endPosition,
                        EarlierStart& found) {
    if (!line) {
        set.ReportMessage(kNotFound, kLevelTrace);
        return;
    }
    if (!found.known) {
        found.line = FindEarlierStart(set, m, line, found.position, found.spansBlank);
        found.known = true;
    }
    AnalysedLine* earlier = found.line;
    if (!earlier) {
        set.ReportMessage(kNotFound, kLevelTrace);
        return;
    }
    if (found.spansBlank) {
        set.ReportMessage("INFO: Ignoring potential emphasis phrase because it spans blank lines", kLevelWarning);
        return;
    }
    found.known = false;

    const int startPosition = found.position;
    const int endLength = static_cast<int>(m.endMarker.size());
    const int converted = edit.Converted(endPosition);
    ReplaceAt(*earlier, startPosition, static_cast<int>(m.startMarker.size()), m.startMarkup);
    edit.Replace(endPosition, endLength, m.endMarkup);

    if (earlier->firstPairPresent || line->firstPairPresent || line->secondPairPresent) {
        DiscardFirstPair(*earlier);
        DiscardFirstPair(*line);
        DiscardSecondPair(*line);
        set.ReportMessage("WARNING: Overlapping emphasis discarded", kLevelAlways);
    }
    earlier->firstPairPresent = 1;
    earlier->firstFind = std::make_unique<TextString>(std::string(m.startMarker).c_str());
    earlier->firstReplacement = std::make_unique<TextString>(std::string(m.startMarkup).c_str());
    earlier->firstPairStart = startPosition;
    line->secondPairPresent = 1;
    line->secondFind = std::make_unique<TextString>(std::string(m.endMarker).c_str());
    line->secondReplacement = std::make_unique<TextString>(std::string(m.endMarkup).c_str());
    line->secondPairStart = converted;
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
        set.ReportMessage(message.buffer, kLevelAlways);
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
        set.ReportMessage(message.buffer, kLevelAlways);
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
            if (!anyChanged) converted.ReserveAbout(int64_t{text.length} + text.length / 2);
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

    // One pass from left to right.  Whatever lies at or after `position`
    // is still the text as it was, so each search below goes on from where
    // the one before it stopped, and a valid end found for one start serves
    // every start before it.
    PhraseEdit edit(text);
    MarkerSearch starts(text, m.startMarker), ends(text, m.endMarker), closes(text, m.endMarker);
    int validFrom = -1, validEnd = -1;  // the first valid end at or after validFrom
    auto firstValidEnd = [&](int from) {
        if (validFrom < 0 || from < validFrom || (validEnd >= 0 && from > validEnd)) {
            validFrom = from;
            validEnd = closes.From(from);
            while (validEnd >= 0 && !edit.ValidEnd(validEnd, endLength)) validEnd = closes.From(validEnd + 1);
        }
        return validEnd;
    };
    EarlierStart earlierStart;

    int position = 0;
    while (position < text.length) {
        const int start = starts.From(position);
        const int end = ends.From(position);
        if (start < 0 && end < 0) break;

        // An end marker before any start closes a phrase begun on an earlier line.
        if (end >= 0 && (start < 0 || end < start)) {
            if (edit.ValidEnd(end, endLength)) {
                CloseEarlierPhrase(set, m, edit, line, end, earlierStart);
                position = end + endLength;
                continue;
            }
            if (start < 0) {
                position = end + 1;
                continue;
            }
        }

        if (!edit.ValidStart(start, startLength)) {
            if (sameMarkers && edit.ValidEnd(start, endLength)) {
                CloseEarlierPhrase(set, m, edit, line, start, earlierStart);
                position = start + endLength;
            } else {
                position = start + 1;
            }
            continue;
        }

        // A valid start: look for a valid end on the same line.
        const int close = firstValidEnd(start + startLength);
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
            set.ReportMessage("INFO: Ignoring potential emphasis phrase because it contains other markup",
                              kLevelWarning);
            position = close + endLength;
            continue;
        }
        if (phrase.IsEmpty()) {
            position = close + endLength;
            continue;
        }
        edit.Replace(start, startLength, m.startMarkup);
        edit.Replace(close, endLength, m.endMarkup);
        position = close + endLength;
    }
    edit.Finish(text);
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
            set.ReportMessage("UNSUPPORTED CASE: Output Format in StripMarkupChars", kLevelAlways);
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
