// In-line tag syntax: tag recognition, argument normalisation, the argument
// readers, tag removal, page scopes and the tag rule for heading texts.
#include "analysis/inline_tag_args.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/tag_dispatch.h"
#include "context/context.h"
#include "foundation/pattern_rules.h"
#include "foundation/source_position.h"
#include "foundation/utilities.h"
#include "policies/fc.h"

namespace {

// The in-line tag names, each framed by "!", so that a name is known when
// "!NAME!" occurs in the text.
const std::string& LiveTagNames() {
    static const std::string names = [] {
        // clang-format off
        static const char* const kNames[] = {
            "BEGIN_USER_TABLE", "BR",          "CHANGE_INDENT", "COLOR",          "COLOUR",
            "DEFINE_VARIABLE",  "EMBED_BLOCK", "ENTITY",        "END_HEADING",    "FILENAME",
            "FO",               "FONT",        "FRACTION",      "GOTO",           "HEADING",
            "HEADING_KEYPHRASES", "HTML",      "HTML_COMMENT",  "HYPERLINK",      "INSERT_BLOCK",
            "IGNORE_THIS",      "LINERULE",    "LINKPOINT",     "NB",             "META_TAG",
            "NEW_PAGE",         "PAGE",        "NEW_ROW",       "NEW_CELL",       "COLUMN_DETAILS",
            "PAGE_MARKER",      "POPUP",       "RESTORE_CONTEXT", "RULESET",      "SAVE_CONTEXT",
            "SHORTCUT_ICON",    "SPACES",      "SOURCE_FILE",   "STUB_INDENT",    "STYLE",
            "SUPER",            "SUB",         "TABLE_LAYOUT",  "TEXT",           "TIMESTAMP",
            "VARIABLE",         "VERSION"};
        // clang-format on
        std::string text = "!";
        for (const char* name : kNames) {
            text += name;
            text += '!';
        }
        return text;
    }();
    return names;
}

// Known as well, by whole-name comparison.
constexpr const char* kExtraTagNames[] = {"CONTENTS_LIST", "NAVIGATION_BAR", "TOC", "OT", "CT", "DEBUG"};

bool SameNameNoCase(std::string_view name, std::string_view wanted) {
    return name.size() == wanted.size() && std::equal(name.begin(), name.end(), wanted.begin(), [](char a, char b) {
               return ToUpperAscii(a) == ToUpperAscii(b);
           });
}

// Whether `text` opens with a non-empty `prefix`, without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return !prefix.empty() && text.size() >= prefix.size() && SameNameNoCase(text.substr(0, prefix.size()), prefix);
}

std::string UpperCased(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) c = ToUpperAscii(c);
    return out;
}

bool IsNameEnd(char c) { return c == ' ' || c == ',' || c == '='; }

// The content of a tag text and its name: blanks collapsed, the delimiters
// (or the directive prefix) cut off, trimmed; the name runs up to the first
// blank, comma or "=" after its first character and ends at `nameEnd`.
// False for a nested or incomplete tag (a second start delimiter).
bool SplitTagContent(const FC& policies, const TextString& tagText, TextString& content, TextString& name,
                     int& nameEnd) {
    content = tagText;
    content.CollapseBlanks();
    name.MakeEmpty();
    nameEnd = 0;

    const TextString& start = policies.GetText(Pol::StartTagDelimiter);
    const TextString& end = policies.GetText(Pol::EndTagDelimiter);
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    int at = -1;
    if (!start.IsEmpty() && content.Find(0, start.buffer, &at, 0)) {
        int again = -1;
        if (content.Find(at + 1, start.buffer, &again, 0) && again > 0) return false;
        if (content.length > start.length + end.length)
            content.SubString(start.length, content.length - start.length - end.length);
    } else if (!prefix.IsEmpty() && content.StartsWith(prefix.buffer, 0)) {
        content.SubString(prefix.length, content.length - prefix.length);
    }
    content.Trim(0, " ");

    nameEnd = content.length;
    for (int i = 1; i < content.length; ++i) {
        if (IsNameEnd(content.buffer[i])) {
            nameEnd = i;
            break;
        }
    }
    name.AssignSubstring(content.buffer, 0, nameEnd);
    return true;
}

// Argument n, trimmed, with any "name=" in front dropped.
TextString ArgumentValue(FC& policies, const TextString& arguments, int n) {
    TextString argument;
    GetTagArgument(policies, arguments, n, argument);
    argument.Trim(0, " ");
    int equals = -1;
    if (argument.FindChar(0, '=', &equals, 1)) {
        argument.SubString(equals + 1, argument.length - equals - 1);
        argument.Trim(0, " ");
    }
    return argument;
}

// A code reader: the argument's first letter, looked up in `letters`, gives
// the code 1, 2, ... .  An unknown letter is reported.
bool GetTagCode(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue,
                const char* letters, const char* what) {
    const TextString value = ArgumentValue(policies, arguments, n);
    if (!value.IsEmpty()) {
        const char letter = ToUpperAscii(value.buffer[0]);
        const char* found = letter ? std::strchr(letters, letter) : nullptr;
        if (found) {
            out = static_cast<int>(found - letters) + 1;
            return true;
        }
        TextString message("TAG ERROR: Bad ");
        message.Append(what);
        message.Append(" code '");
        message.Append(value);
        message.Append("' ");
        if (hasDefault) message.Append("using default value instead");
        policies.ReportMessage(message.buffer, kLevelAlways);
    }
    out = hasDefault ? defaultValue : 0;
    return hasDefault;
}

// Whether `name` stands in a comma-separated list (both compared without
// regard to case).  An empty name stands in no list.  The name framed by
// commas is looked for in the list framed by commas, both read in place
// (the test runs for every tag of every cell).  The name is read as a C
// text: up to a NUL byte when it holds one, and then without the comma
// after it.
bool ListNames(const char* list, const TextString& name) {
    if (name.IsEmpty() || !list || !*list) return false;
    const std::string_view items(list);
    const size_t nameLength = strnlen(name.buffer, static_cast<size_t>(name.length));
    const bool closed = nameLength == static_cast<size_t>(name.length);
    const size_t framedLength = items.size() + 2;
    const size_t wantedLength = nameLength + (closed ? 2 : 1);
    const auto framedAt = [&](size_t i) { return i == 0 || i == framedLength - 1 ? ',' : items[i - 1]; };
    const auto wantedAt = [&](size_t i) {
        return i == 0 || (closed && i == wantedLength - 1) ? ',' : name.buffer[i - 1];
    };
    // A match begins at a comma of the framed list: the first, or one after
    // a comma of the list.
    const auto matchesAt = [&](size_t at) {
        if (at + wantedLength > framedLength) return false;
        for (size_t i = 1; i < wantedLength; ++i)
            if (ToUpperAscii(framedAt(at + i)) != ToUpperAscii(wantedAt(i))) return false;
        return true;
    };
    if (matchesAt(0)) return true;
    for (size_t comma = items.find(','); comma != std::string_view::npos; comma = items.find(',', comma + 1))
        if (matchesAt(comma + 1)) return true;
    return false;
}

// The name of a tag read straight from its text, where the text is plain:
// the start delimiter, a run of letters, digits and underscores, then a
// blank, comma, "=" or the end delimiter at `endAt`, and no second start
// delimiter before the tag ends.  Such a tag gives SplitTagContent's name
// without collapsing or copying it.  False where the text is not so plain
// (a tab, a blank or odd byte after the delimiter, delimiters holding
// blanks), and the caller splits it in full.
bool ReadPlainTagName(std::string_view tag, std::string_view startDelimiter, size_t endAt, std::string_view& name) {
    // Tags and delimiters are short: their bytes are read in plain loops,
    // cheaper here than the library's searches.
    if (startDelimiter.empty() ||
        std::any_of(startDelimiter.begin(), startDelimiter.end(), [](char c) { return c == ' ' || c == '\t'; }))
        return false;
    const char opening = startDelimiter[0];
    const std::string_view delimiterRest = startDelimiter.substr(1);
    for (size_t i = 1; i + startDelimiter.size() <= tag.size(); ++i)
        if (tag[i] == opening && std::equal(delimiterRest.begin(), delimiterRest.end(), tag.begin() + i + 1))
            return false;
    const size_t first = startDelimiter.size();
    size_t at = first;
    while (at < endAt && (IsAsciiAlnum(tag[at]) || tag[at] == '_')) ++at;
    if (at == first) return false;
    if (at < endAt && !(tag[at] == ' ' || tag[at] == ',' || tag[at] == '=')) return false;
    name = tag.substr(first, at - first);
    return true;
}

// The arguments of a tag in the common plain form, split as
// SplitAtSeparators splits them (separators ", ", names dropped) but in
// place: "|" before each field, the fields cut at the commas, or at the
// blanks where there is no comma, and trimmed.  The first byte is the
// placeholder the marker takes.  False, with the text untouched, where a
// quote, "=", "|", tab or NUL byte needs the full reading, and for an
// empty text.
bool SplitPlainArguments(TextString& text) {
    const std::string_view all = text.view();
    constexpr std::string_view kNeedFullReading("\"=|\t\0", 5);
    if (all.empty() || all.find_first_of(kNeedFullReading) != std::string_view::npos) return false;
    constexpr char kMarker = '|';
    const std::string_view rest = all.substr(1);
    const char separator =
        rest.find(',') == std::string_view::npos && rest.find(' ') != std::string_view::npos ? ' ' : ',';
    // Each field is written at or before where it was read.
    char* const out = text.buffer;
    size_t written = 0;
    out[written++] = kMarker;
    for (size_t start = 1;;) {
        size_t end = all.find(separator, start);
        if (end == std::string_view::npos) end = all.size();
        size_t first = start;
        size_t last = end;
        while (first < last && all[first] == ' ') ++first;
        while (last > first && all[last - 1] == ' ') --last;
        std::memmove(out + written, all.data() + first, last - first);
        written += last - first;
        if (end >= all.size()) break;
        out[written++] = kMarker;
        start = end + 1;
    }
    text.SubString(0, static_cast<int>(written));
    return true;
}

// ListNames for a name read by ReadPlainTagName: one without commas or NUL
// bytes, so that it is listed when an item equals it.
bool ListHoldsPlainName(const char* list, std::string_view name) {
    if (!list) return false;
    const std::string_view items(list);
    for (size_t start = 0; start <= items.size();) {
        size_t end = items.find(',', start);
        if (end == std::string_view::npos) end = items.size();
        if (SameNameNoCase(std::string_view(items.data() + start, end - start), name)) return true;
        start = end + 1;
    }
    return false;
}

// Appends one message to an error text, on a continuation line when the
// text already holds one.
void AppendError(TextString& error, const TextString& message) {
    if (!error.IsEmpty()) error.Append("\n           ");
    error.Append(message);
}

}  // namespace

namespace {

// The longest tag name: a longer name is not looked up.
constexpr size_t kLongestTagName = 18;

// The tag names, in capitals, by their length: the names of the list and the
// extra names.  A name is looked for among the few of its length.
using TagNamesByLength = std::array<std::vector<std::string>, kLongestTagName + 1>;
const TagNamesByLength& TagNamesOfEachLength() {
    static const TagNamesByLength known = [] {
        TagNamesByLength names;
        const auto add = [&](std::string name) { names.at(name.size()).push_back(std::move(name)); };
        const std::string& list = LiveTagNames();
        for (size_t start = 1; start < list.size();) {
            const size_t end = list.find('!', start);
            add(list.substr(start, end - start));
            start = end + 1;
        }
        for (const char* extra : kExtraTagNames) add(extra);
        return names;
    }();
    return known;
}

// Whether `name` (any case) is the name of a tag: it is looked up for every
// tag read, in place.
bool IsKnownName(std::string_view name) {
    if (name.empty() || name.size() > kLongestTagName) return false;
    for (const std::string& known : TagNamesOfEachLength()[name.size()])
        if (ToUpperAscii(name[0]) == known[0] && SameNameNoCase(name, known)) return true;
    return false;
}

// A name as a C text: up to a NUL byte when it holds one.
std::string_view CName(const TextString& name) {
    return std::string_view(name.buffer, strnlen(name.buffer, static_cast<size_t>(name.length)));
}

// The name of a tag text read in place (see ReadPlainTagName), where the
// text opens with the start delimiter and closes with the end delimiter,
// and neither delimiter holds a blank, a tab or a letter: then the name is
// the one SplitTagContent gives (collapsing blanks can neither make nor
// break such a delimiter, and the case-blind search for a second start
// delimiter finds what an exact one finds).
bool ReadPlainTagNameOf(const FC& policies, std::string_view tag, std::string_view& name) {
    const std::string_view start = policies.GetText(Pol::StartTagDelimiter).view();
    const std::string_view end = policies.GetText(Pol::EndTagDelimiter).view();
    const auto plainDelimiter = [](std::string_view delimiter) {
        return !delimiter.empty() && std::none_of(delimiter.begin(), delimiter.end(), [](char c) {
            return c == ' ' || c == '\t' || IsAsciiLetter(static_cast<unsigned char>(c));
        });
    };
    if (!plainDelimiter(start) || !plainDelimiter(end) || tag.size() <= start.size() + end.size() ||
        !std::equal(start.begin(), start.end(), tag.begin()) ||
        !std::equal(end.begin(), end.end(), tag.end() - static_cast<std::ptrdiff_t>(end.size())))
        return false;
    return ReadPlainTagName(tag, start, tag.size() - end.size(), name);
}

}  // namespace

bool IsKnownTagName(const char* name) {
    // A name is known when it equals a tag's name without regard to case.
    return name && IsKnownName(name);
}

TagReading ReadTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                   UnknownTagArguments unknownArguments) {
    name.MakeEmpty();
    arguments.MakeEmpty();
    // Reading arguments reports a fault only when no marker character is
    // free, which needs a "|" in the tag.
    const bool unknownArgumentsWait =
        unknownArguments == UnknownTagArguments::kLeftUnread && tagText.view().find('|') == std::string_view::npos;
    if (unknownArgumentsWait) {
        std::string_view plainName;
        if (ReadPlainTagNameOf(policies, tagText.view(), plainName) && !IsKnownName(plainName)) {
            name.AssignChars(plainName.data(), static_cast<int>(plainName.size()));
            return TagReading::kUnknownName;
        }
    }

    TextString content;
    int cut = 0;
    if (!SplitTagContent(policies, tagText, content, name, cut)) {
        name.MakeEmpty();
        return TagReading::kNestedOrIncomplete;
    }
    const std::string_view cName = CName(name);
    const bool known = IsKnownName(cName);
    if (!known && unknownArgumentsWait) return TagReading::kUnknownName;

    bool parsed = true;
    if (SameNameNoCase(cName, "HTML") || SameNameNoCase(cName, "HTML_COMMENT")) {
        // Raw HTML is passed on as written: only the separator after the name goes.
        if (cut + 1 < content.length) arguments.AssignSubstring(content.buffer, cut + 1, content.length - cut - 1);
    } else {
        arguments = std::move(content);
        parsed = ParseTagArguments(policies, arguments, name.buffer);
    }
    if (!known) return TagReading::kUnknownName;
    // The parser has reported a fault itself; the caller still learns why.
    return parsed ? TagReading::kRecognised : TagReading::kUnparsable;
}

namespace {

// The pieces of the error text of a reading, in order (none for a
// recognised tag).
struct TagReadingError {
    std::array<std::string_view, 4> pieces{};
    size_t count = 0;
};

TagReadingError DescribeReading(TagReading reading, const TextString& name, const TextString& tagText) {
    switch (reading) {
        case TagReading::kRecognised: return {};
        case TagReading::kNestedOrIncomplete:
            return {{"Incomplete tag, or nested tag - \"", tagText.view(), "\""}, 3};
        case TagReading::kUnknownName: return {{"Unrecognised tag \"", name.view(), "\" : ", tagText.view()}, 4};
        case TagReading::kUnparsable: return {{"Can't parse tag \"", tagText.view(), "\""}, 3};
    }
    return {};
}

// The longest error text put together on the stack before it is appended.
constexpr size_t kComposedErrorBytes = 256;

// Appends `prefix` and the error text to `out` (an unknown tag's message is
// composed for every such tag): a short text is put together first and
// appended at once, a longer one piece by piece with room made for the whole.
void AppendReadingError(const TagReadingError& error, std::string_view prefix, TextString& out) {
    size_t size = prefix.size();
    for (size_t i = 0; i < error.count; ++i) size += error.pieces[i].size();
    if (size <= kComposedErrorBytes) {
        std::array<char, kComposedErrorBytes> composed;
        char* at = std::copy(prefix.begin(), prefix.end(), composed.data());
        for (size_t i = 0; i < error.count; ++i) at = std::copy(error.pieces[i].begin(), error.pieces[i].end(), at);
        out.AppendBytes(composed.data(), static_cast<int>(size));
        return;
    }
    if (size < static_cast<size_t>(INT_MAX / 2) - static_cast<size_t>(out.length))
        out.Reserve(out.length + static_cast<int>(size));
    out.AppendBytes(prefix.data(), static_cast<int>(prefix.size()));
    for (size_t i = 0; i < error.count; ++i)
        out.AppendBytes(error.pieces[i].data(), static_cast<int>(error.pieces[i].size()));
}

}  // namespace

void DescribeTagReading(TagReading reading, const TextString& name, const TextString& tagText, TextString& error,
                        int& level) {
    error.MakeEmpty();
    level = reading == TagReading::kRecognised ? -1 : kLevelAlways;
    AppendReadingError(DescribeReading(reading, name, tagText), {}, error);
}

void AppendTagReadingError(TagReading reading, const TextString& name, const TextString& tagText,
                           std::string_view prefix, TextString& out) {
    AppendReadingError(DescribeReading(reading, name, tagText), prefix, out);
}

bool RecogniseTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                  TextString& error, int& level) {
    const TagReading reading = ReadTag(policies, tagText, name, arguments, UnknownTagArguments::kRead);
    DescribeTagReading(reading, name, tagText, error, level);
    return reading == TagReading::kRecognised;
}

bool ParseTagArguments(FC& policies, TextString& text, const char* tagName) {
    // Names are recognised without regard to case, so a name written in
    // another case than the caller's keyword must go all the same.
    // The name nearly always opens the text, where it is cut off in place.
    if (tagName && *tagName) {
        const std::string_view nameText(tagName);
        const int nameLength = static_cast<int>(nameText.size());
        if (StartsWithNoCase(text.view(), nameText))
            text.SubString(nameLength, text.length - nameLength);
        else
            text.Replace(tagName, "", 1, 0);
    }
    text.CollapseBlanks();
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    if (!prefix.IsEmpty() && StartsWithNoCase(text.view(), std::string_view(prefix.buffer)))
        text.SubString(prefix.length, text.length - prefix.length);

    // No argument: the list of one empty argument.
    if (text.IsEmpty()) {
        text.Assign("|");
        return true;
    }
    if (SplitPlainArguments(text)) return true;
    TextString split;
    if (!SplitAtSeparators(&text, ", ", 1, &split)) {
        TextString message("PROGRAM ERROR: Can't parse tag ");
        message.Append(tagName ? tagName : "");
        message.Append("=");
        message.Append(text);
        policies.ReportMessage(message.buffer, kLevelAlways);
        return false;
    }
    text = split;
    return true;
}

bool FindTagArgument(const TextString& arguments, int n, std::string_view& out) {
    out = {};
    if (arguments.IsEmpty() || n < 1) return false;
    const char marker = arguments.buffer[0];
    int start = 1;
    for (int field = 1;; ++field) {
        int end = start;
        while (end < arguments.length && arguments.buffer[end] != marker) ++end;
        if (field == n) {
            out = std::string_view(arguments.buffer + start, static_cast<size_t>(end - start));
            return true;
        }
        if (end >= arguments.length) return false;
        start = end + 1;
    }
}

bool GetTagArgument(FC&, const TextString& arguments, int n, TextString& out) {
    std::string_view argument;
    const bool present = FindTagArgument(arguments, n, argument);
    out.AssignChars(argument.data(), static_cast<int>(argument.size()));
    return present;
}

TextString JoinTagArguments(const TextString& arguments) {
    TextString out;
    if (arguments.IsEmpty()) return out;
    const char marker = arguments.buffer[0];
    out.AssignSubstring(arguments.buffer, 1, arguments.length - 1);
    for (int i = 0; i < out.length; ++i)
        if (out.buffer[i] == marker) out.buffer[i] = ' ';
    return out;
}

TextString RawTagArgumentText(const FC& set, const TextString& tag, const TextString& name) {
    TextString text(tag);
    const TextString& start = set.GetText(Pol::StartTagDelimiter);
    const TextString& end = set.GetText(Pol::EndTagDelimiter);
    if (start.length > 0 && text.StartsWith(start.buffer, 0)) text.SubString(start.length, text.length);
    if (end.length > 0 && text.length >= end.length &&
        CompareTextN(text.buffer + text.length - end.length, end.buffer, end.length, 1) == 0)
        text.SubString(0, text.length - end.length);
    int at = -1;
    if (name.length > 0 && text.Find(0, name.buffer, &at, 0)) text.SubString(at + name.length, text.length);
    if (text.length > 0 && IsBlankOrTab(text.buffer[0])) text.SubString(1, text.length);
    return text;
}

// ---------------------------------------------------------------------------
// Argument readers

bool GetTagAlignment(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue) {
    return GetTagCode(policies, arguments, n, out, hasDefault, defaultValue, "LCRJ", "alignment");
}

bool GetTagAlignmentOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue) {
    return GetTagAlignment(policies, arguments, n, out, true, defaultValue);
}

bool TryGetTagAlignment(FC& policies, const TextString& arguments, int n, int& out) {
    return GetTagAlignment(policies, arguments, n, out, false, 0);
}

bool GetTagVerticalAlignment(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault,
                             int defaultValue) {
    return GetTagCode(policies, arguments, n, out, hasDefault, defaultValue, "TBC", "vertical alignment");
}

bool TryGetTagVerticalAlignment(FC& policies, const TextString& arguments, int n, int& out) {
    return GetTagVerticalAlignment(policies, arguments, n, out, false, 0);
}

bool GetTagListStyle(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue) {
    return GetTagCode(policies, arguments, n, out, hasDefault, defaultValue, "BP", "list style");
}

bool GetTagListStyleOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue) {
    return GetTagListStyle(policies, arguments, n, out, true, defaultValue);
}

bool GetTagInteger(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault, int defaultValue) {
    const TextString argument = ArgumentValue(policies, arguments, n);
    int value = -1;
    // ToInteger refuses values outside the range of int.
    if (!argument.IsEmpty() && argument.ToInteger('1', &value)) {
        out = value;
        return true;
    }
    out = hasDefault ? defaultValue : -1;
    return hasDefault;
}

bool TryGetTagInteger(FC& policies, const TextString& arguments, int n, int& out) {
    return GetTagInteger(policies, arguments, n, out, false, -1);
}

bool GetTagIntegerOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue) {
    return GetTagInteger(policies, arguments, n, out, true, defaultValue);
}

bool GetTagReal(FC& policies, const TextString& arguments, int n, double& out, bool hasDefault,
                double defaultValue) {
    const TextString argument = ArgumentValue(policies, arguments, n);
    double value = -1.0;
    // A run of digits too long for a double reads as infinity: not a value.
    if (!argument.IsEmpty() && argument.ToReal(&value) && std::isfinite(value)) {
        out = value;
        return true;
    }
    out = hasDefault ? defaultValue : -1.0;
    return hasDefault;
}

bool GetTagRealOrDefault(FC& policies, const TextString& arguments, int n, double& out, double defaultValue) {
    return GetTagReal(policies, arguments, n, out, true, defaultValue);
}

// The text reader takes the argument as the normalisation left it.  That
// step has already trimmed it and removed an unquoted "name=", one pair of
// enclosing double quotes and the doubling of inner quotes, so blanks, an "="
// or a quote still present were written inside quotes and belong to the
// text; removing them again would cut "a=b" to "b" and 'say "hi"' to
// 'say "hi'.
bool GetTagString(FC& policies, const TextString& arguments, int n, TextString& out, bool hasDefault,
                  const char* defaultValue) {
    TextString argument;
    GetTagArgument(policies, arguments, n, argument);
    if (!argument.IsEmpty()) {
        out = argument;
        return true;
    }
    if (hasDefault) {
        out.Assign(defaultValue ? defaultValue : "");
        return true;
    }
    out.MakeEmpty();
    return false;
}

bool TryGetTagString(FC& policies, const TextString& arguments, int n, TextString& out) {
    return GetTagString(policies, arguments, n, out, false, nullptr);
}

bool GetTagStringOrDefault(FC& policies, const TextString& arguments, int n, TextString& out,
                           const char* defaultValue) {
    return GetTagString(policies, arguments, n, out, true, defaultValue);
}

// ---------------------------------------------------------------------------
// Tag removal

int RemoveTags(FC& policies, const char* startDelimiter, const char* endDelimiter, const char* keepList,
               const char* removeList, const TextString& text, TextString& out) {
    if (!startDelimiter || !*startDelimiter || !endDelimiter || !*endDelimiter ||
        text.view().find(startDelimiter[0]) == std::string_view::npos) {
        out = text;
        return 0;
    }
    // The scan reads the text in place, unless it holds a NUL byte: then it
    // reads a copy, which ends there.  `out` may be `text` itself: it is
    // written only once the scan is done.
    TextString copy;
    const bool holdsNul = std::memchr(text.buffer, '\0', static_cast<size_t>(text.length)) != nullptr;
    if (holdsNul) copy = TextString(text);
    const TextString& work = holdsNul ? copy : text;
    const bool hasKeep = keepList && *keepList;
    const bool hasRemove = removeList && *removeList;
    const bool markup = std::strcmp(startDelimiter, "<") == 0 && std::strcmp(endDelimiter, ">") == 0;
    const int endLength = static_cast<int>(std::strlen(endDelimiter));

    // One pass: the text between the tags, and the tags that stay, are
    // copied to the result as the scan passes them.  A start delimiter found
    // beyond an end delimiter is kept rather than searched for again.
    TextString result;
    // The texts of the tag looked at, kept for the next one.
    TextString tag, content, name;
    int kept = 0;
    int position = 0;  // where the search goes on
    int copied = 0;  // the text before this is in the result
    int start = -1, end = -1;
    bool startFound = true;
    while (position < work.length) {
        if (start < position) startFound = work.Find(position, startDelimiter, &start, 0);
        if (!startFound || !work.Find(position, endDelimiter, &end, 0)) break;
        if (end < start) {
            position = end + endLength;
            continue;
        }
        const int tagLength = end + endLength - start;
        bool remove = true;
        if (hasKeep || hasRemove) {
            const std::string_view tagText(work.buffer + start, static_cast<size_t>(tagLength));
            const char* const list = hasKeep ? keepList : removeList;
            std::string_view plainName;
            bool listed = false;
            if (ReadPlainTagName(tagText, startDelimiter, static_cast<size_t>(end - start), plainName)) {
                listed = ListHoldsPlainName(list, plainName);
            } else {
                tag.AssignChars(work.buffer + start, tagLength);
                int nameEnd = 0;
                SplitTagContent(policies, tag, content, name, nameEnd);
                if (markup) {
                    name.Replace("</", "", 0, 1);
                    name.Replace("<", "", 0, 1);
                    name.Replace(">", "", 0, 1);
                }
                listed = ListNames(list, name);
            }
            remove = hasKeep ? !listed : listed;
        }
        if (remove) {
            result.AppendBytes(work.buffer + copied, start - copied);
            copied = start + tagLength;
        } else {
            ++kept;
        }
        position = start + tagLength;
    }
    // Where every tag stays (the common case of a remove list), the text
    // is the result as it stands.
    if (copied == 0 && !holdsNul) {
        if (&out != &text) out = text;
        return kept;
    }
    result.AppendBytes(work.buffer + copied, work.length - copied);
    out = std::move(result);
    return kept;
}

int RemoveInLineTags(FC& policies, const char* keepList, const char* removeList, const TextString& text,
                     TextString& out) {
    return RemoveTags(policies, policies.GetText(Pol::StartTagDelimiter).buffer,
                      policies.GetText(Pol::EndTagDelimiter).buffer, keepList, removeList, text, out);
}

// ---------------------------------------------------------------------------
// Page scopes

bool ParsePageScope(FC& policies, TextString& words, SourcePosition& from, int& pageScope, int& global,
                    TextString& error, int& level) {
    global = 1;
    pageScope = 0;
    error.MakeEmpty();
    level = -1;
    Context* context = policies.context;
    from = context ? context->trackers.input.position : SourcePosition();
    if (from.line >= 0 && from.line < INT_MAX) from.line += 1;

    words.CollapseBlanks();
    words.Trim(0, " ");
    const char separator = words.FindChar(0, ',', nullptr, 1) ? ',' : ' ';

    bool ok = true;
    bool pageWordSeen = false;
    bool folioWordSeen = false;
    int position = 0;
    TextString word;
    while (position < words.length) {
        int end = position;
        while (end < words.length && words.buffer[end] != separator) ++end;
        word.AssignSubstring(words.buffer, position, end - position);
        position = end + 1;
        word.Trim(0, " ");
        // Empty words (a doubled or final comma) name nothing.
        if (word.IsEmpty()) continue;
        for (int i = 0; i < word.length; ++i) word.buffer[i] = ToUpperAscii(word.buffer[i]);

        const char* fault = nullptr;
        if (!ok) {
            fault = "TAG ERROR: Unknown scope attribute \"";
        } else if (word == "ALL_PAGES" || word == "ODD_PAGES_ONLY" || word == "EVEN_PAGES_ONLY") {
            if (pageWordSeen) {
                fault = "TAG ERROR: Page scope conflict \"";
            } else {
                pageWordSeen = true;
                pageScope = word == "ALL_PAGES" ? 0 : (word == "ODD_PAGES_ONLY" ? 1 : 2);
            }
        } else if (word == "GLOBAL" || word == "FROM_NEXT_FOLIO" || word == "FROM_LAST_FOLIO") {
            if (folioWordSeen) {
                fault = "TAG ERROR: Folio scope conflict \"";
            } else {
                folioWordSeen = true;
                global = word == "GLOBAL" ? 1 : 0;
                if (word == "FROM_LAST_FOLIO") {
                    int index = -1;
                    const TagEntry* last = nullptr;
                    if (context &&
                        context->documentState.tags.FindPrevious(TextString("FOLIO"), from, &index, false))
                        last = context->documentState.tags.GetAt(index);
                    from = last ? last->position : SourcePosition(0, 1);
                }
            }
        } else {
            fault = "TAG ERROR: Unknown scope attribute \"";
        }
        if (fault) {
            TextString message(fault);
            message.Append(word);
            message.Append("\"");
            AppendError(error, message);
            level = kLevelAlways;
            ok = false;
        }
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Tags in heading texts

int ConvertTaggedTextRule(PatternList* list, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                          void* userData) {
    FC* policies = static_cast<FC*>(userData);
    TextString tag;
    if (!policies || !list || !PatternList::GetMatchText(match, working, &tag)) return kPatternNoChange;

    TextString name, arguments, error;
    int level = -1;
    RecogniseTag(*policies, tag, name, arguments, error, level);
    const std::string upper = UpperCased(name.buffer);

    TextString replacement(" ");
    if (upper == "SUPER" || upper == "SUB" || upper == "CAD" || upper == "CAAD") {
        // SUPER and SUB take the markup of their executor; CAD and CAAD are
        // offered too, and stay as they are, as no executor takes them.
        AnalysedLine scratch;
        int replace = 0;
        replacement.MakeEmpty();
        const int mode = (upper == "SUPER" || upper == "SUB") ? 8 : 0;
        if (!ExecuteInlineTag(mode, &scratch, tag, name, arguments, nullptr, policies, &replace, &replacement) ||
            !replace)
            return kPatternNoChange;
    }
    if (auto* rewriter = dynamic_cast<PatternRewriter*>(list)) {
        rewriter->EmitReplacement(match, working, position, replacement.buffer);
        return kPatternChanged;
    }
    return PatternList::ReplaceMatchText(match, working, position, replacement.buffer);
}
