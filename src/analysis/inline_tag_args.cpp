// In-line tag syntax: tag recognition, argument normalisation and the integer
// and text argument readers.
#include "analysis/inline_tag_args.h"

#include <cstring>
#include <string>

#include "foundation/utilities.h"
#include "policies/fc.h"

namespace {

// The in-line tag names, each framed by "!", so that a name is known when
// "!NAME!" occurs in the text.
const std::string& LiveTagNames() {
    static const std::string names = [] {
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

std::string UpperCased(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) c = ToUpperAscii(c);
    return out;
}

bool IsNameEnd(char c) { return c == ' ' || c == ',' || c == '='; }

}  // namespace

bool IsKnownTagName(const char* name) {
    if (!name || !*name) return false;
    const std::string upper = UpperCased(name);
    // A name holding the frame character could otherwise match across entries.
    if (upper.find('!') != std::string::npos) return false;
    if (LiveTagNames().find("!" + upper + "!") != std::string::npos) return true;
    for (const char* extra : kExtraTagNames)
        if (upper == extra) return true;
    return false;
}

bool RecogniseTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                  TextString& error, int& level) {
    name.MakeEmpty();
    arguments.MakeEmpty();
    error.MakeEmpty();
    level = -1;

    TextString content(tagText);
    content.CollapseBlanks();

    const TextString& start = policies.GetText(Pol::StartTagDelimiter);
    const TextString& end = policies.GetText(Pol::EndTagDelimiter);
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    int at = -1;
    if (!start.IsEmpty() && content.Find(0, start.buffer, &at, 0)) {
        int again = -1;
        if (content.Find(at + 1, start.buffer, &again, 0) && again > 0) {
            error.Assign("Incomplete tag, or nested tag - \"");
            error.Append(tagText);
            error.Append("\"");
            level = 10;
            return false;
        }
        if (content.length > start.length + end.length)
            content.SubString(start.length, content.length - start.length - end.length);
    } else if (!prefix.IsEmpty() && content.StartsWith(prefix.buffer, 0)) {
        content.SubString(prefix.length, content.length - prefix.length);
    }
    content.Trim(0, " ");

    int cut = content.length;
    for (int i = 1; i < content.length; ++i) {
        if (IsNameEnd(content.buffer[i])) {
            cut = i;
            break;
        }
    }
    name.AssignSubstring(content.buffer, 0, cut);
    const bool known = IsKnownTagName(name.buffer);

    bool parsed = true;
    const std::string upperName = UpperCased(name.buffer);
    if (upperName == "HTML" || upperName == "HTML_COMMENT") {
        // Raw HTML is passed on as written: only the separator after the name goes.
        if (cut + 1 < content.length) arguments.AssignSubstring(content.buffer, cut + 1, content.length - cut - 1);
    } else {
        arguments = content;
        parsed = ParseTagArguments(policies, arguments, name.buffer);
    }

    if (!known) {
        error.Assign("Unrecognised tag \"");
        error.Append(name);
        error.Append("\" : ");
        error.Append(tagText);
        level = 10;
        return false;
    }
    return parsed;
}

bool ParseTagArguments(FC& policies, TextString& text, const char* tagName) {
    if (tagName && *tagName) text.Replace(tagName, "", 1, 1);
    text.CollapseBlanks();
    const TextString& prefix = policies.GetText(Pol::DirectiveDelimiter);
    if (!prefix.IsEmpty() && text.StartsWith(prefix.buffer, 0)) text.Replace(prefix.buffer, "", 1, 0);

    TextString split;
    if (!SplitAtSeparators(&text, ", ", 1, &split)) {
        TextString message("PROGRAM ERROR: Can't parse tag ");
        message.Append(tagName ? tagName : "");
        message.Append("=");
        message.Append(text);
        policies.ReportMessage(message.buffer, 10);
        return false;
    }
    text = split;
    return true;
}

bool GetTagArgument(FC&, const TextString& arguments, int n, TextString& out) {
    out.MakeEmpty();
    if (arguments.IsEmpty() || n < 1) return false;
    const char marker = arguments.buffer[0];
    int start = 1;
    for (int field = 1;; ++field) {
        int end = start;
        while (end < arguments.length && arguments.buffer[end] != marker) ++end;
        if (field == n) {
            out.AssignSubstring(arguments.buffer, start, end - start);
            return true;
        }
        if (end >= arguments.length) return false;
        start = end + 1;
    }
}

bool GetTagInteger(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault,
                   int defaultValue) {
    TextString argument;
    GetTagArgument(policies, arguments, n, argument);
    argument.Trim(0, " ");
    int equals = -1;
    if (argument.FindChar(0, '=', &equals, 1)) {
        argument.SubString(equals + 1, argument.length - equals - 1);
        argument.Trim(0, " ");
    }
    int value = -1;
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
