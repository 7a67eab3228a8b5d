// Fragment variables: expansion of the tags in user-defined HTML fragment
// lines.
#include "analysis/fragment_variables.h"

#include <ctime>
#include <string>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/tag_dispatch.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/product_identity.h"
#include "foundation/utilities.h"
#include "output/markup/escaping.h"
#include "output/markup/navigation.h"
#include "platform/file_status.h"
#include "policies/fc.h"

namespace {

// Shown on the second line of the VERSION header.
constexpr const char* kProductWebAddress = "https://www.example.org/vendrel/";

// The header text that each new file starts with.
constexpr const char* kUnknownHeaderText = "** UNKNOWN **";

// Indexes into DocumentState::headerTexts.
enum HeaderText : int {
    kHeaderTitle = 0,
    kHeaderAuthor = 1,
    kHeaderTopURL = 2,
    kHeaderLastURL = 3,
    kHeaderTopEmail = 4,
    kHeaderLastEmail = 5,
    kHeaderInputFileName = 7,
    kHeaderInputFileSize = 8,
    kHeaderOutputFileName = 9,
    kHeaderOutputFileSize = 10,
    kHeaderAuthorStandIn = 11,
};

bool SameName(std::string_view a, const char* b) {
    const std::string_view other(b);
    if (a.size() != other.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToUpperAscii(a[i]) != ToUpperAscii(other[i])) return false;
    return true;
}

// The delimiters the fragment tags are written with: the Context's copies of
// the policies, or the set's own policies when there is no Context.
void GetDelimiters(const FC& set, TextString& start, TextString& end) {
    if (set.context) {
        start = set.context->inlineTags.startDelimiter;
        end = set.context->inlineTags.endDelimiter;
    } else {
        start = set.GetText(Pol::StartTagDelimiter);
        end = set.GetText(Pol::EndTagDelimiter);
    }
}

// The tag without its first start delimiter and its first end delimiter.
TextString InnerText(const FC& set, const TextString& tag) {
    TextString start, end;
    GetDelimiters(set, start, end);
    std::string inner = tag.str();
    if (!start.IsEmpty()) {
        const size_t at = inner.find(start.view());
        if (at != std::string::npos) inner.erase(at, static_cast<size_t>(start.length));
    }
    if (!end.IsEmpty()) {
        const size_t at = inner.find(end.view());
        if (at != std::string::npos) inner.erase(at, static_cast<size_t>(end.length));
    }
    return TextString(std::string_view(inner));
}

// The blank-delimited word that starts at or after `from`; `after` is set to
// the position just past it.
std::string_view NextWord(std::string_view text, size_t from, size_t* after) {
    size_t first = from;
    while (first < text.size() && IsBlankOrTab(text[first])) ++first;
    size_t last = first;
    while (last < text.size() && !IsBlankOrTab(text[last])) ++last;
    if (after) *after = last;
    return text.substr(first, last - first);
}

// The tracker of the current code location, without the complaint that
// Context::pGetTracker makes between code locations.
Tracker* CurrentTracker(Context& context) {
    switch (context.trackers.codeLocation) {
        case kReadingInput: return &context.trackers.input;
        case kAnalysingLines: return &context.trackers.analysis;
        default: return &context.trackers.output;
    }
}

AnalysedLine* CurrentLine(const FC& set) {
    return set.context ? CurrentTracker(*set.context)->currentLine : nullptr;
}

void ReportTagError(FC& set, const char* what, const TextString& tag) {
    TextString message("TAG ERROR: ");
    message.Append(what);
    message.Append(" \"");
    message.Append(tag);
    message.Append("\"");
    set.ReportMessage(message.buffer, kLevelAlways);
}

// One of the neighbouring output-file names (or the contents link) of the
// current output file and line.
enum class NavigationName { Next, Current, Previous, First, ContentsLink };

void GetNavigationName(FC& set, NavigationName which, TextString& value) {
    TextString next, current, previous, first, contentsLink;
    int fileIndex = kLookUpNavigationFile;
    // An empty name stands for the Context's current output file.
    GetNavigationFileNames(&set, TextString(), CurrentLine(set), fileIndex, next, current, previous, first,
                           contentsLink);
    switch (which) {
        case NavigationName::Next: value = next; break;
        case NavigationName::Current: value = current; break;
        case NavigationName::Previous: value = previous; break;
        case NavigationName::First: value = first; break;
        case NavigationName::ContentsLink: value = contentsLink; break;
    }
    // A file name may hold any character: it is written so that it can stand
    // in the fragment's text or between the quotes of a link's address.
    value = HTML_EscapeAttribute(value);
}

// The replacement text of the in-line tag executor for the tag; false when
// the executor gives none.
bool GetExecutorValue(FC& set, const TextString& tag, const TextString& inner, std::string_view name,
                      TextString& value) {
    const TextString tagName(name);
    TextString arguments(inner);
    if (!ParseTagArguments(set, arguments, tagName.buffer)) arguments.MakeEmpty();
    AnalysedLine scratch;
    AnalysedLine* line = CurrentLine(set);
    int replace = 0;
    TextString replacement;
    const bool executed =
        ExecuteInlineTag(0, line ? line : &scratch, tag, tagName, arguments, nullptr, &set, &replace, &replacement);
    if (!executed || !replace) return false;
    value = replacement;
    return true;
}

int PageWidth(const FC& set) {
    int width = set.context ? set.context->optionGroups.formatting.GetInt(kOptTargetPageWidth) : 0;
    return width < kMinFragmentPageWidth ? kMinFragmentPageWidth : width;
}

const TextString& HeaderTextAt(const FC& set, int index) {
    static const TextString kEmpty;
    if (!set.context) return kEmpty;
    return set.context->documentState.headerTexts[static_cast<size_t>(index)];
}

// Replaces the first occurrence of `tag` at or after `from` by its value.
void ExpandTagFrom(FC& set, TextString& text, const TextString& tag, int from) {
    int at = -1;
    if (tag.IsEmpty() || !text.Find(from, tag.buffer, &at, 1)) return;
    TextString value;
    if (!GetFragmentVariableValue(set, tag, value)) value.MakeEmpty();
    std::string result(text.buffer, static_cast<size_t>(at));
    result.append(value.view());
    result.append(text.buffer + at + tag.length, static_cast<size_t>(text.length - at - tag.length));
    text.AssignChars(result.data(), static_cast<int>(result.size()));
}

}  // namespace

void GetFileDateText(const TextString& path, TextString& out) {
    out.MakeEmpty();
    if (path.IsEmpty()) return;
    std::time_t when = 0;
    if (!GetFileModificationTime(path.str(), &when)) return;
    std::tm local{};
    if (!GetLocalTime(when, &local)) return;
    FormatDateText(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, &out);
}

void MakeTextHeaderBoxEdge(int pageWidth, char left, char right, TextString& out) {
    if (pageWidth < kMinFragmentPageWidth) pageWidth = kMinFragmentPageWidth;
    const size_t dashes = static_cast<size_t>(pageWidth - 2);
    std::string edge(1, left);
    edge.append(dashes, '-');
    edge.push_back(right);
    out.AssignChars(edge.data(), static_cast<int>(edge.size()));
}

void FrameTextHeaderBody(const TextString& body, int pageWidth, TextString& out) {
    out.MakeEmpty();
    if (body.IsEmpty()) return;
    if (pageWidth < kMinFragmentPageWidth) pageWidth = kMinFragmentPageWidth;
    const size_t inside = static_cast<size_t>(pageWidth - 2);  // "| " + line, before " |"
    std::string framed;
    const std::string_view text = body.view();
    size_t start = 0;
    while (true) {
        const size_t feed = text.find('\n', start);
        const std::string_view line =
            text.substr(start, feed == std::string_view::npos ? std::string_view::npos : feed - start);
        if (start > 0) framed.push_back('\n');
        std::string piece("| ");
        piece.append(line);
        if (line.size() < inside - 2) piece.resize(inside, ' ');
        piece.append(" |");
        framed.append(piece);
        if (feed == std::string_view::npos) break;
        start = feed + 1;
    }
    out.AssignChars(framed.data(), static_cast<int>(framed.size()));
}

void GetTextHeaderValue(FC& set, const TextString& tag, const TextString& inner, TextString& value) {
    value.MakeEmpty();
    size_t afterName = 0, afterKind = 0;
    NextWord(inner.view(), 0, &afterName);
    const std::string_view kind = NextWord(inner.view(), afterName, &afterKind);
    const int width = PageWidth(set);

    if (SameName(kind, "BOX_TOP")) {
        MakeTextHeaderBoxEdge(width, '/', '\\', value);
        return;
    }
    if (SameName(kind, "BOX_BOTTOM")) {
        MakeTextHeaderBoxEdge(width, '\\', '/', value);
        return;
    }

    TextString body;
    if (SameName(kind, "VERSION")) {
        TextString name, shortVersion, fullVersion;
        GetProductInfo(name, shortVersion, fullVersion);
        body.Assign("Converted by : ");
        body.Append(name);
        body.Append(" ");
        body.Append(shortVersion);
        body.Append("\n             : ");
        body.Append(kProductWebAddress);
    } else if (SameName(kind, "TITLE")) {
        body = "Title        : " + HeaderTextAt(set, kHeaderTitle);
    } else if (SameName(kind, "AUTHOR")) {
        const TextString& author = HeaderTextAt(set, kHeaderAuthor);
        const bool missing = author.IsEmpty() || author == kUnknownHeaderText;
        body = "Author       : " + HeaderTextAt(set, missing ? kHeaderAuthorStandIn : kHeaderAuthor);
    } else if (SameName(kind, "TOP_EMAIL")) {
        body = "Email        : " + HeaderTextAt(set, kHeaderTopEmail);
    } else if (SameName(kind, "LAST_EMAIL")) {
        body = "Email        : " + HeaderTextAt(set, kHeaderLastEmail);
    } else if (SameName(kind, "TOP_URL")) {
        body = "URL          : " + HeaderTextAt(set, kHeaderTopURL);
    } else if (SameName(kind, "LAST_URL")) {
        body = "URL          : " + HeaderTextAt(set, kHeaderLastURL);
    } else if (SameName(kind, "URL")) {
        body.Assign("URL          : ");
    } else if (SameName(kind, "IN_FILENAME")) {
        body = "File name    : " + HeaderTextAt(set, kHeaderInputFileName);
    } else if (SameName(kind, "OUT_FILENAME")) {
        body = "File name    : " + HeaderTextAt(set, kHeaderOutputFileName);
    } else if (SameName(kind, "IN_FILESIZE")) {
        body = "File size    : " + HeaderTextAt(set, kHeaderInputFileSize);
    } else if (SameName(kind, "OUT_FILESIZE")) {
        body = "File size    : " + HeaderTextAt(set, kHeaderOutputFileSize);
    } else if (SameName(kind, "IN_FILEDATE")) {
        // The date the input file was last changed.
        TextString date;
        if (set.context) GetFileDateText(set.context->documentState.inputFileName, date);
        body = "Create date  : " + date;
    } else if (SameName(kind, "TIMESTAMP")) {
        TextString today;
        GetDateText(&today);
        body = "Create date  : " + today;
    } else if (SameName(kind, "BOX_MIDDLE")) {
        body.Assign(std::string(40, ' ').c_str());
    } else if (SameName(kind, "COMMENT")) {
        body.Assign(inner.buffer + afterKind);
        body.Trim(0, " ");
    } else {
        ReportTagError(set, "Unknown TEXT_HEADER tag type", tag);
        return;
    }
    FrameTextHeaderBody(body, width, value);
}

bool GetFragmentVariableValue(FC& set, const TextString& tag, TextString& value) {
    value.MakeEmpty();
    const TextString inner = InnerText(set, tag);
    const std::string_view name = NextWord(inner.view(), 0, nullptr);
    Context* context = set.context;

    if (SameName(name, "NEXT_PAGE")) {
        GetNavigationName(set, NavigationName::Next, value);
    } else if (SameName(name, "CURRENT_PAGE")) {
        GetNavigationName(set, NavigationName::Current, value);
    } else if (SameName(name, "PREV_PAGE")) {
        GetNavigationName(set, NavigationName::Previous, value);
    } else if (SameName(name, "CONTENTS_TOP")) {
        GetNavigationName(set, NavigationName::First, value);
    } else if (SameName(name, "CONTENTS_NEXT_SECTION")) {
        GetNavigationName(set, NavigationName::ContentsLink, value);
    } else if (SameName(name, "RULEWIDTH")) {
        if (context) value = context->trackers.ruleWidth;
    } else if (SameName(name, "RULEWIDTHPC")) {
        if (context) value = context->trackers.ruleWidthPercent;
    } else if (SameName(name, "RULEHEIGHT")) {
        if (context) value = context->trackers.ruleHeight;
    } else if (SameName(name, "RULEALIGN")) {
        if (context) value = context->trackers.ruleAlignment;
    } else if (SameName(name, "NOFRAMES_URL")) {
        value = set.GetText(Pol::NoFramesLinkURL);
        if (value.IsEmpty() && context) value = context->noFramesText;
    } else if (SameName(name, "LINERULE") || SameName(name, "TIMESTAMP") || SameName(name, "VERSION") ||
               SameName(name, "SOURCE_FILE")) {
        if (!GetExecutorValue(set, tag, inner, name, value)) value.MakeEmpty();
    } else if (SameName(name, "TEXT_HEADER")) {
        GetTextHeaderValue(set, tag, inner, value);
    } else {
        ReportTagError(set, "Unknown fragment tag", tag);
        return false;
    }
    return !value.IsEmpty();
}

void ExpandInlineTag(FC& set, TextString& text, const TextString& tag) { ExpandTagFrom(set, text, tag, 0); }

int ExpandInlineTags(FC& set, AnalysedLine& line, SourcePosition) {
    TextString start, end;
    GetDelimiters(set, start, end);
    if (start.IsEmpty() || end.IsEmpty()) return 0;

    // A value may write a fragment whose lines are expanded in turn (LINERULE
    // writes the HORIZONTAL_RULE fragment); a fragment that holds the tag
    // that writes it would otherwise recurse without end.
    static int nesting = 0;
    static bool nestingReported = false;
    if (nesting >= kMaxFragmentNesting) {
        if (!nestingReported) {
            ReportTagError(set, "Fragment variables nested too deeply, left unexpanded in", line);
            nestingReported = true;
        }
        return 0;
    }
    struct NestingGuard {
        NestingGuard() { ++nesting; }
        ~NestingGuard() {
            if (--nesting == 0) nestingReported = false;
        }
    } guard;

    int expanded = 0;
    bool capReported = false;
    int position = 0;
    while (position < line.length) {
        int tagStart = -1, tagEnd = -1;
        if (!line.Find(position, start.buffer, &tagStart, 1)) break;
        // The end delimiter is looked for after the start delimiter, so that
        // equal start and end delimiters still frame a tag.
        if (!line.Find(tagStart + start.length, end.buffer, &tagEnd, 1)) break;
        const int tagLength = tagEnd + end.length - tagStart;
        const TextString tag(std::string_view(line.buffer + tagStart, static_cast<size_t>(tagLength)));

        if (expanded >= kMaxFragmentExpansionsPerLine) {
            // Values that hold their own tags would otherwise grow the line
            // for ever: the rest of the tags stay as written.
            if (!capReported) {
                ReportTagError(set, "Too many fragment tags in one line, left unexpanded from", tag);
                capReported = true;
            }
            position = tagStart + tagLength;
            continue;
        }
        ExpandTagFrom(set, line, tag, tagStart);
        ++expanded;
        position = tagStart;
    }
    return expanded;
}
