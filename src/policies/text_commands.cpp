// Text commands: parsing "Text command" policy lines and applying them to
// source lines.
#include "foundation/line_types.h"
#include "policies/text_commands.h"

#include <string>
#include <string_view>
#include <vector>

#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "policies/fc.h"

namespace {

constexpr const char* kBlanks = " \t";

std::string_view TrimView(std::string_view text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string Trimmed(std::string_view text) { return std::string(TrimView(text)); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    return true;
}

// The blank-separated words of a text (runs of blanks count as one).
std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlankOrTab(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !IsBlankOrTab(text[i])) ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

// Word n (0-based) of a text, empty when there are fewer words.
std::string WordAt(const std::vector<std::string>& words, size_t n) { return n < words.size() ? words[n] : ""; }

// The text after the first word, trimmed.
std::string AfterFirstWord(std::string_view text) {
    std::string_view rest = TrimView(text);
    size_t end = rest.find_first_of(kBlanks);
    if (end == std::string_view::npos) return "";
    return Trimmed(rest.substr(end));
}

// The pieces of a text cut at double quotes: piece 0 stands before the first
// quote, piece 1 is the first quoted text, piece 2 what follows it up to the
// next quote, and so on.
std::vector<std::string> SplitAtQuotes(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t quote = text.find('"', start);
        if (quote == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, quote - start));
        start = quote + 1;
    }
}

std::string PartAt(const std::vector<std::string>& parts, size_t n) { return n < parts.size() ? parts[n] : ""; }

// Everything from piece n on, with the quotes between the pieces put back.
std::string PartsFrom(const std::vector<std::string>& parts, size_t n) {
    std::string joined;
    for (size_t i = n; i < parts.size(); ++i) {
        if (i > n) joined.push_back('"');
        joined += parts[i];
    }
    return joined;
}

// A word or text of the line quoted in a message, cut when it is long.
std::string Quoted(std::string_view text) {
    std::string quoted("\"");
    quoted += MessageExcerpt(TextString(text)).view();
    quoted.push_back('"');
    return quoted;
}

void Report(FC* set, const std::string& text) {
    if (set) set->ReportMessage(text.c_str(), kLevelAlways);
}

int ParseDataType(std::string_view word) {
    static constexpr struct {
        const char* name;
        int type;
    } kTypes[] = {{"exact_string", TextCommand::kExactString},
                  {"string", TextCommand::kString},
                  {"exact_phrase", TextCommand::kExactPhrase},
                  {"phrase", TextCommand::kPhrase},
                  {"wildcard", TextCommand::kWildcard}};
    for (const auto& entry : kTypes)
        if (EqualsNoCase(word, entry.name)) return entry.type;
    return TextCommand::kUnknownType;
}

int ParseLineType(std::string_view word) {
    static constexpr struct {
        const char* name;
        int type;
    } kLineTypes[] = {{"as_Heading_1", kLineUnderlinedHeading},
                      {"as_Heading_2", kLineUnderlinedHeading + 1},
                      {"as_Heading_3", kLineUnderlinedHeading + 2},
                      {"as_Heading_4", kLineUnderlinedHeading + 3},
                      {"as_Heading_5", kLineUnderlinedHeading + 4},
                      {"as_Heading_6", kLineUnderlinedHeadingLast},
                      {"as_bullet", kLineBulletItem},
                      {"as_number_bullet", kLineNumberItem},
                      {"as_alpha_bullet", kLineAlphaItem},
                      {"as_capalpha_bullet", kLineCapitalAlphaItem}};
    for (const auto& entry : kLineTypes)
        if (EqualsNoCase(word, entry.name)) return entry.type;
    return kLineNotAnalysed;
}

int ParsePosition(std::string_view word) {
    if (EqualsNoCase(word, "starting_with")) return 1;
    if (EqualsNoCase(word, "containing")) return 2;
    return 0;
}

bool IsLetterAt(const TextString& text, int i) {
    return i >= 0 && i < text.length && IsAsciiLetter(static_cast<unsigned char>(text.buffer[i]));
}

}  // namespace

// ---------------------------------------------------------------------------
// Parsing

TextCommand::TextCommand(FC* set, const char* line) {
    std::string_view text(line ? line : "");
    policyLine.AssignChars(text.data(), static_cast<int>(text.size()));

    // The key, up to the first colon, must name a text command.
    size_t colon = text.find(':');
    std::string_view keyWithColon = colon == std::string_view::npos ? text : text.substr(0, colon + 1);
    if (!TextString(keyWithColon).FindNoCase("Text command")) {
        Report(set, "POLICY: This is not a text command");
        return;
    }
    std::string rest = Trimmed(text.substr(keyWithColon.size()));
    std::string commandWord = WordAt(SplitWords(rest), 0);
    const std::string remainder = Trimmed(std::string_view(rest).substr(commandWord.size()));

    std::string positionWord;
    std::string dataTypeWord;
    std::string match;
    std::string lineTypeWord;
    std::string trailingWord;  // the optional word after the match of meta_tag_line
    std::string modeWord;
    std::string leftOver;
    const std::vector<std::string> parts = SplitAtQuotes(remainder);

    if (EqualsNoCase(commandWord, "ignore_line") || EqualsNoCase(commandWord, "treat_line")) {
        command = EqualsNoCase(commandWord, "ignore_line") ? kIgnoreLine : kTreatLine;
        std::vector<std::string> words = SplitWords(PartAt(parts, 0));
        positionWord = WordAt(words, 0);
        dataTypeWord = WordAt(words, 1);
        match = PartAt(parts, 1);
        std::string after = PartsFrom(parts, 2);
        if (command == kTreatLine) {
            lineTypeWord = WordAt(SplitWords(after), 0);
            leftOver = AfterFirstWord(after);
        } else {
            leftOver = Trimmed(after);
        }
    } else if (EqualsNoCase(commandWord, "meta_tag_line")) {
        command = kMetaTagLine;
        metaTagName = Trimmed(PartAt(parts, 1)).c_str();
        std::vector<std::string> words = SplitWords(PartAt(parts, 2));
        positionWord = WordAt(words, 0);
        dataTypeWord = WordAt(words, 1);
        match = PartAt(parts, 3);
        trailingWord = Trimmed(PartAt(parts, 4));
        leftOver = Trimmed(PartsFrom(parts, 5));
    } else if (EqualsNoCase(commandWord, "remove_text")) {
        command = kRemoveText;
        dataTypeWord = Trimmed(PartAt(parts, 0));
        match = PartAt(parts, 1);
    } else if (EqualsNoCase(commandWord, "replace_text")) {
        command = kReplaceText;
        dataTypeWord = Trimmed(PartAt(parts, 0));
        match = PartAt(parts, 1);
        modeWord = Trimmed(PartAt(parts, 2));
        replacement = Trimmed(PartAt(parts, 3)).c_str();
    } else {
        Report(set, "POLICY: Unknown text command " + Quoted(commandWord));
        return;
    }

    valid = 1;
    auto fail = [&](const std::string& message) {
        Report(set, message);
        valid = 0;
    };

    dataType = ParseDataType(dataTypeWord);
    if (dataType == kUnknownType) fail("POLICY: Unknown text data type " + Quoted(dataTypeWord));

    if (dataType == kString || dataType == kExactPhrase) match = Trimmed(match);
    matchExpression.AssignChars(match.data(), static_cast<int>(match.size()));
    if (matchExpression.IsEmpty()) fail("POLICY: No Match expression supplied");

    if (command == kReplaceText) {
        if (EqualsNoCase(modeWord, "by_string"))
            replaceMode = 1;
        else if (EqualsNoCase(modeWord, "by_character"))
            replaceMode = 5;
        else
            fail("POLICY: Unknown text data type " + Quoted(modeWord));
        if (replacement.IsEmpty()) fail("POLICY: No replacement text supplied");
    }

    if (command == kMetaTagLine && metaTagName.IsEmpty()) fail("POLICY: No META tag name supplied");

    if (command == kIgnoreLine || command == kTreatLine || command == kMetaTagLine) {
        position = ParsePosition(positionWord);
        if (position == 0) fail("POLICY: Text command error.  Unexpected keyword " + Quoted(positionWord));
    }

    if (command == kTreatLine) {
        lineType = ParseLineType(lineTypeWord);
        if (lineType == kLineNotAnalysed) fail("POLICY: text command - unknown line type " + Quoted(remainder));
    }

    if (command == kMetaTagLine && !trailingWord.empty()) {
        if (EqualsNoCase(trailingWord, "remove_match_text"))
            removeMatchText = 1;
        else
            fail("POLICY: Text command error.  Unexpected keyword " + Quoted(trailingWord));
    }

    // Text left over is a fault of the line too: such a line is dropped.
    if (!leftOver.empty()) valid = 0;
    if (!valid) Report(set, "POLICY: text command not processed " + Quoted(remainder));
}

// ---------------------------------------------------------------------------
// Applying

bool TextCommand::IsCaseSensitive() const { return dataType != kString && dataType != kPhrase; }

void TextCommand::ApplyLineEffect(FC* set, TextLine* target, const TextString& text) const {
    switch (command) {
        case kIgnoreLine:
            if (target) target->lineType = kLineIgnored;
            break;
        case kTreatLine:
            if (target) {
                target->lineType = lineType;
                target->counter = lineType;
            }
            break;
        case kMetaTagLine:
            if (set && set->context) {
                TextString content(text);
                if (removeMatchText) {
                    // The match is removed as it was matched: a command that
                    // matches without regard to case removes that way too.
                    int at = -1;
                    if (content.Find(0, matchExpression.buffer, &at, IsCaseSensitive() ? 1 : 0)) {
                        TextString kept;
                        kept.AssignChars(content.buffer, at);
                        kept.Append(content.buffer + at + matchExpression.length);
                        content = kept;
                    }
                    content.Trim(0, " ");
                }
                set->AddMetaTag(metaTagName.buffer, content.buffer);
            }
            break;
        default: break;
    }
}

void TextCommand::ApplyToLine(FC* set, TextLine* target, const TextLine* source, TextString* out) const {
    if (dataType == kExactPhrase || dataType == kPhrase) {
        ApplyPhrase(set, target, source, out);
        return;
    }
    TextString text(source ? static_cast<const TextString&>(*source) : (out ? *out : TextString()));
    const int caseSensitive = IsCaseSensitive() ? 1 : 0;

    switch (command) {
        case kRemoveText: text.Replace(matchExpression.buffer, "", 0, caseSensitive); break;
        case kReplaceText:
            if (replaceMode == 5)
                text.ReplaceFrom(0, matchExpression.buffer, nullptr, 0, caseSensitive, replacement.buffer, nullptr);
            else
                text.Replace(matchExpression.buffer, replacement.buffer, 0, caseSensitive);
            break;
        case kIgnoreLine:
        case kTreatLine:
        case kMetaTagLine: {
            TextString trimmed(text);
            trimmed.Trim(0, " ");
            int at = -1;
            bool found = position == 1 ? trimmed.StartsWith(matchExpression.buffer, caseSensitive)
                                       : trimmed.Find(0, matchExpression.buffer, &at, caseSensitive);
            if (found) ApplyLineEffect(set, target, text);
            break;
        }
        default: break;
    }
    if (out) *out = text;
}

void TextCommand::ApplyPhrase(FC* set, TextLine* target, const TextLine* source, TextString* out) const {
    TextString text(source ? static_cast<const TextString&>(*source) : (out ? *out : TextString()));
    const int caseSensitive = IsCaseSensitive() ? 1 : 0;
    const int matchLength = matchExpression.length;

    // The search runs over the text without its leading and trailing blanks;
    // those blanks are put back unchanged afterwards.
    int lead = 0;
    while (lead < text.length && IsBlankOrTab(text.buffer[lead])) ++lead;
    int tail = text.length;
    while (tail > lead && IsBlankOrTab(text.buffer[tail - 1])) --tail;
    TextString core;
    core.AssignChars(text.buffer + lead, tail - lead);

    bool changed = false;
    int p = 0;
    int at = -1;
    while (matchLength > 0 && core.Find(p, matchExpression.buffer, &at, caseSensitive)) {
        if (IsLetterAt(core, at - 1) || IsLetterAt(core, at + matchLength)) {
            p = at + 1;
            continue;
        }
        if (command == kRemoveText || command == kReplaceText) {
            TextString edited;
            edited.AssignChars(core.buffer, at);
            if (command == kRemoveText) {
                p = at;
            } else if (replaceMode == 5) {
                for (int i = 0; i < matchLength; ++i) edited.AppendChar(replacement.buffer[0]);
                p = at + matchLength;
            } else {
                edited.Append(replacement);
                p = at + replacement.length;
            }
            edited.Append(core.buffer + at + matchLength);
            core = edited;
            changed = true;
            continue;
        }
        if (position == 1 && at != 0) {
            p = at + matchLength;
            continue;
        }
        ApplyLineEffect(set, target, text);
        break;
    }

    if (changed) {
        TextString result;
        result.AssignChars(text.buffer, lead);
        result.Append(core);
        result.Append(text.buffer + tail);
        text = result;
    }
    if (out) *out = text;
}

// ---------------------------------------------------------------------------
// The list

int TextCommandList::Add(FC* set, const char* line) {
    auto command = std::make_unique<TextCommand>(set, line);
    if (!command->valid) return 0;
    items.push_back(std::move(command));
    count = static_cast<int>(items.size());
    return 1;
}

int TextCommandList::AddAll(FC*, const TextCommandList& other) {
    if (&other == this) {
        // Appending a list to itself copies the commands it held at the start.
        const int n = count;
        for (int i = 0; i < n; ++i) items.push_back(std::make_unique<TextCommand>(*items[static_cast<size_t>(i)]));
    } else {
        for (const auto& command : other.items) items.push_back(std::make_unique<TextCommand>(*command));
    }
    const int added = static_cast<int>(items.size()) - count;
    count = static_cast<int>(items.size());
    return added;
}

int TextCommandList::Apply(FC* set, TextLine* line, const TextLine* source, TextString* out) const {
    // Each command reads the text the one before it left; the line record
    // carries the text from command to command.
    TextLine working;
    if (source)
        static_cast<TextString&>(working) = static_cast<const TextString&>(*source);
    else if (out)
        static_cast<TextString&>(working) = *out;
    TextString result;
    for (const auto& command : items) {
        if (!command->valid) continue;
        if (command->dataType == TextCommand::kExactPhrase || command->dataType == TextCommand::kPhrase)
            command->ApplyPhrase(set, line, &working, &result);
        else
            command->ApplyToLine(set, line, &working, &result);
        static_cast<TextString&>(working) = result;
    }
    if (out) *out = static_cast<const TextString&>(working);
    return 1;
}

void TextCommandList::Write(TextFile& sink) const {
    for (const auto& command : items)
        if (command->valid) sink.PutLine(command->policyLine.buffer);
}

void TextCommandList::Clear() {
    items.clear();
    count = 0;
}
