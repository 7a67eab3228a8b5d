#include "output/markup/heading_anchors.h"

#include <array>

#include "context/context.h"
#include "context/section_numbers.h"
#include "foundation/line_types.h"
#include "foundation/text_line.h"
#include "foundation/utilities.h"
#include "output/markup/entities.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"
#include "policies/heading_level_spec.h"
#include "policies/output_formats.h"

namespace {

// What an accented Latin-1 letter becomes in an anchor name; 0 for a byte
// that becomes '_'.
char PlainLatin1Letter(unsigned char c) {
    if ((c >= 192 && c <= 194) || c == 196 || (c >= 224 && c <= 226) || c == 228) return 'a';
    if ((c >= 200 && c <= 203) || (c >= 232 && c <= 235)) return 'e';
    if ((c >= 204 && c <= 207) || (c >= 236 && c <= 239)) return 'i';
    if ((c >= 210 && c <= 212) || c == 214 || (c >= 242 && c <= 244) || c == 246) return 'o';
    if ((c >= 217 && c <= 220) || (c >= 249 && c <= 252)) return 'u';
    return 0;
}

bool IsNumberedType(int lineType) {
    return (lineType >= kLineNumberedHeading && lineType <= kLineNumberedHeadingLast) ||
           (lineType >= kLineContents && lineType <= kLineContentsLast);
}

bool IsNamedByText(int lineType) {
    return (lineType >= kLineUnderlinedHeading && lineType <= kLineUnderlinedHeadingLast) ||
           lineType == kLineCapitalisedHeading || lineType == kLineEmbeddedHeading ||
           (lineType >= kLineKeyPhraseHeading && lineType <= kLineKeyPhraseHeadingLast) ||
           lineType == kLineMailHeading;
}

// The numbering style of the heading or contents level of a numbered type.
const HeadingLevelSpec* LevelStyle(const FC* policies, int lineType) {
    if (!policies) return nullptr;
    const int level = GetHeadingLevel(lineType);
    if (level < 1 || level > 6) return nullptr;
    const auto index = static_cast<size_t>(level - 1);
    return lineType >= kLineContents ? &policies->contentsLevels[index] : &policies->headingLevels[index];
}

// The word that holds the section number of a numbered heading text.
TextString SectionNumberWord(const TextString& text, int lineType, FC* policies, int useNumbering) {
    TextString number;
    text.GetField(1, ' ', &number);
    const HeadingLevelSpec* style = LevelStyle(policies, lineType);
    if (!useNumbering || !style || !style->hasPrefix) return number;
    // A prefix ("Chapter") stands before the number.
    TextString second;
    text.GetField(2, ' ', &second);
    for (int field = 2; field <= 3; ++field) {
        TextString word;
        if (!text.GetField(field, ' ', &word) || word.IsEmpty()) continue;
        TextString stripped(word);
        char separator = '.';
        StripNumberDecoration(policies, stripped, separator, 0);
        std::array<int, 6> levels{};
        int deepest = -1;
        if (ParseSectionNumber(policies, stripped, separator, nullptr, nullptr, levels, deepest)) return word;
    }
    return second;
}

// Whether a word (decoration stripped) reads as a section number.
bool IsSectionNumberWord(FC* policies, const TextString& word) {
    TextString stripped(word);
    char separator = '.';
    StripNumberDecoration(policies, stripped, separator, 0);
    std::array<int, 6> levels{};
    int deepest = -1;
    return ParseSectionNumber(policies, stripped, separator, nullptr, nullptr, levels, deepest);
}

// The n-th blank-separated word (from 1); empty when there are fewer.
TextString NthWord(const TextString& text, int n) {
    int position = 0;
    for (int index = 1;; ++index) {
        while (position < text.length && text.buffer[position] == ' ') ++position;
        if (position >= text.length) return TextString();
        int end = position;
        while (end < text.length && text.buffer[end] != ' ') ++end;
        if (index == n) {
            TextString word;
            word.AssignSubstring(text.buffer, position, end - position);
            return word;
        }
        position = end;
    }
}

}  // namespace

void SplitHeadingNumber(FC* policies, const int* lineType, int noEscaping, const TextString* text,
                        TextString* number, TextString* title) {
    TextString work(text ? *text : TextString());
    const int type = lineType ? *lineType : 0;
    // "1)Intro": the closing bracket of a first word gets a blank after it.
    const TextString first = NthWord(work, 1);
    int brackets = 0, bracketAt = -1;
    for (int i = 0; i < first.length; ++i) {
        const char c = first.buffer[i];
        if (c == ')' || c == ']' || c == '}') {
            if (bracketAt < 0) bracketAt = i;
            ++brackets;
        }
    }
    if (brackets == 1) {
        int start = 0;
        while (start < work.length && work.buffer[start] == ' ') ++start;
        work.Insert(start + bracketAt + 1, " ");
    }
    if (!noEscaping && policies) {
        if (policies->context && policies->context->outputFormat == kOutputRTF)
            RTF_EscapeText(policies, work);
        else
            HTML_EscapeText(policies, work);
    }

    TextString numberText, titleText(work);
    const HeadingLevelSpec* style = LevelStyle(policies, type);
    const bool prefixed = style && style->hasPrefix;
    if (type >= kLineNumberedHeading && type <= kLineNumberedHeadingLast) {
        numberText = NthWord(work, 1);
        titleText.Replace(numberText.buffer, "", 1, 1);
        for (int n = 2; prefixed && n <= 3; ++n) {
            const TextString word = NthWord(work, n);
            if (word.IsEmpty()) break;
            numberText.AppendChar(' ');
            numberText.Append(word);
            titleText.Replace(word.buffer, "", 1, 1);
            if (IsSectionNumberWord(policies, word)) break;
        }
        titleText.Trim(0, " ");
    } else if (type >= kLineContents && type <= kLineContentsLast) {
        numberText = NthWord(work, 1);
        titleText.Replace(numberText.buffer, "", 1, 1);
        const TextString second = NthWord(work, 2);
        if (prefixed && !second.IsEmpty()) {
            numberText.AppendChar(' ');
            numberText.Append(second);
            titleText.Replace(second.buffer, "", 1, 1);
        }
        titleText.Trim(0, " ");
    }
    if (number) *number = numberText;
    if (title) *title = titleText;
}

void MakeAnchorText(FC*, const TextString* text, TextString* out) {
    if (!out) return;
    TextString decoded;
    if (text) {
        EntityDecodeOptions options;
        options.text = text;
        options.result = &decoded;
        options.latin1 = 1;
        DecodeEntities(options);
    }
    TextString anchor;
    for (int i = 0; i < decoded.length; ++i) {
        const char c = ToLowerAscii(decoded.buffer[i]);
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 128) {
            const char plain = PlainLatin1Letter(byte);
            anchor.AppendChar(plain ? plain : '_');
        } else if (c == ' ' || c == '!' || c == '"' || c == '%' || c == '&' || c == '\'' || c == '*' || c == ':' ||
                   c == '<' || c == '>' || c == '?') {
            anchor.AppendChar('_');
        } else {
            anchor.AppendChar(c);
        }
    }
    *out = anchor;
}

void GetHeadingLinkName(const TextString& text, int lineType, FC* policies, int useNumbering, TextString& out) {
    GetHeadingLinkName(&text, lineType, policies, useNumbering, &out);
}

void GetHeadingLinkName(const TextString* text, int lineType, FC* policies, int useNumbering, TextString* out) {
    if (!out) return;
    TextString name;
    if (lineType == kLineNoAnchor || !text || text->IsEmpty()) {
        *out = name;
        return;
    }
    TextString copy(*text);
    copy.CollapseBlanks();
    copy.Trim(0, " -=*");
    if (lineType == kLineMailHeading) {
        int lineFeed = -1;
        if (copy.FindChar(0, '\n', &lineFeed, 1)) copy.SubString(0, lineFeed);
    }
    if (IsNamedByText(lineType)) MakeAnchorText(policies, &copy, &copy);
    if (copy.length > 60) {
        TextString shortName(copy);
        MakeShortName(&shortName);
        copy.SubString(0, 30);
        copy.Append("__");
        copy.Append(shortName);
    }

    if (IsNamedByText(lineType)) {
        name = copy;
    } else if (IsNumberedType(lineType)) {
        TextString number = SectionNumberWord(copy, lineType, policies, useNumbering);
        NormaliseSectionReference(policies, number);
        name.Assign("Section_");
        name.Append(number);
    } else {
        if (policies) {
            TextString message("UNSUPPORTED CASE: Unknown heading type GetHeadingLinkName - ");
            message.AppendNumber('1', lineType, 0);
            message.AppendChar(' ');
            policies->ReportMessage(message.buffer, kLevelAlways);
        }
        MakeAnchorText(policies, &copy, &copy);
        TextString first;
        copy.GetField(1, ' ', &first);
        name.Assign("Section_");
        name.Append(first);
    }
    *out = name;
}

void GetLineHeadingLinkName(const TextLine* line, FC* policies, int useNumbering, TextString* out) {
    if (!out) return;
    if (!line) {
        out->MakeEmpty();
        return;
    }
    const TextString text(static_cast<const TextString&>(*line));
    GetHeadingLinkName(&text, line->lineType, policies, useNumbering, out);
}
