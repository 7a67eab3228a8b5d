// Heading numbering styles: parsing and writing the policy-file form
//   "<prefix>" <before><style letters><after>[x] at indent <n>
//   "" Numbered Paragraph
#include "policies/heading_level_spec.h"

namespace {

bool IsStyleLetter(char c) { return c == 'A' || c == 'I' || c == 'N' || c == 'a' || c == 'i'; }

int StyleOfLetter(char c) {
    switch (c) {
        case 'N': return 1;
        case 'a': return 2;
        case 'i': return 3;
        case 'A': return 4;
        case 'I': return 5;
        default: return 0;
    }
}

int CountWords(const TextString& text) {
    int words = 0;
    bool inWord = false;
    for (int i = 0; i < text.length; ++i) {
        const bool blank = IsBlankOrTab(text.buffer[i]);
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return words;
}

}  // namespace

void HeadingLevelSpec::Reset() {
    set = 0;
    style = 1;
    indent = -1;
    prefix.MakeEmpty();
    prefixWords = 1;
    numberedParagraph = 0;
    hasPrefix = 0;
    before.MakeEmpty();
    after.MakeEmpty();
    trailingX = 0;
    separator = '.';
    extra1 = -1;
    extra2 = -1;
}

void HeadingLevelSpec::CopyFrom(const HeadingLevelSpec& other) {
    if (this == &other) return;
    set = other.set;
    style = other.style;
    indent = other.indent;
    prefix = other.prefix;
    prefixWords = other.prefixWords;
    numberedParagraph = other.numberedParagraph;
    hasPrefix = other.hasPrefix;
    before = other.before;
    after = other.after;
    trailingX = other.trailingX;
    separator = other.separator;
    extra1 = other.extra1;
    extra2 = other.extra2;
}

// Like CopyFrom, except that an indent or extra value the other leaves unset
// (-1) does not overwrite ours.
void HeadingLevelSpec::MergeFrom(const HeadingLevelSpec& other) {
    if (this == &other) return;
    const int keptIndent = indent, keptExtra1 = extra1, keptExtra2 = extra2;
    CopyFrom(other);
    if (other.indent == -1) indent = keptIndent;
    if (other.extra1 == -1) extra1 = keptExtra1;
    if (other.extra2 == -1) extra2 = keptExtra2;
}

// A text without "at indent" is read whole as the style part and leaves the
// indent unset (-1).  That is the form Format writes for a numbered
// paragraph, so every text Format produces parses back to the same style.
bool HeadingLevelSpec::Parse(int /*levels*/, const TextString& text) {
    TextString work(text);
    work.Trim(0, " ");
    Reset();

    TextString stylePart(work);
    TextString indentPart;
    int cut = -1;
    if (work.Find(0, "at indent", &cut, 0)) {
        stylePart.AssignSubstring(work.buffer, 0, cut);
        indentPart.AssignSubstring(work.buffer, cut, work.length - cut);
    }

    // The prefix is the first quoted text; it and every quote leave the style part.
    TextString quoted;
    int open = -1, close = -1;
    if (stylePart.FindChar(0, '"', &open, 1) && stylePart.FindChar(open + 1, '"', &close, 1)) {
        quoted.AssignSubstring(stylePart.buffer, open + 1, close - open - 1);
        if (!quoted.IsEmpty()) stylePart.Replace(quoted.buffer, "", 1, 1);
    }
    stylePart.Replace("\"", "", 0, 1);
    stylePart.Trim(0, " ");
    indentPart.Replace("at indent", "", 1, 0);
    indentPart.Trim(0, " ");

    if (!quoted.IsEmpty()) {
        prefix = quoted;
        const int words = CountWords(quoted);
        prefixWords = words < 9 ? words : 9;
        hasPrefix = 1;
    }

    if (stylePart.FindNoCase("Numbered Paragraph")) {
        numberedParagraph = 1;
    } else {
        if (stylePart.length > 0 && stylePart.buffer[stylePart.length - 1] == 'x') {
            trailingX = 1;
            stylePart.SubString(0, stylePart.length - 1);
        }
        int first = -1, last = -1;
        for (int i = 0; i < stylePart.length; ++i) {
            if (IsStyleLetter(stylePart.buffer[i])) {
                if (first < 0) first = i;
                last = i;
            }
        }
        if (first < 0) return false;
        before.AssignSubstring(stylePart.buffer, 0, first);
        after.AssignSubstring(stylePart.buffer, last + 1, stylePart.length - last - 1);
        style = StyleOfLetter(stylePart.buffer[first]);
    }

    int value = -1;
    if (!indentPart.IsEmpty() && indentPart.ToInteger('1', &value)) indent = value;

    set = 1;
    return true;
}

int HeadingLevelSpec::Format(int levels, TextString* out) const {
    out->MakeEmpty();
    if (numberedParagraph) {
        out->Assign("\"\" Numbered Paragraph");
        return 1;
    }
    if (prefixWords > 1 || hasPrefix) {
        out->AppendChar('"');
        out->Append(prefix);
        out->Append("\" ");
    } else {
        out->Append("\"\" ");
    }
    out->Append(before);
    switch (style) {
        case 2: out->AppendChar('a'); break;
        case 3: out->AppendChar('i'); break;
        case 4: out->AppendChar('A'); break;
        case 5: out->AppendChar('I'); break;
        default:
            out->AppendChar('N');
            for (int i = 0; i < levels; ++i) {
                out->AppendChar(separator);
                out->AppendChar('N');
            }
            break;
    }
    out->Append(after);
    if (trailingX) out->AppendChar('x');
    out->Append(" at indent ");
    out->AppendNumber('1', indent, 0);
    return 1;
}
