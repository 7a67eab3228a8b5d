#include "output/html_write_style_sheet.h"

#include <string>
#include <string_view>

#include "context/context.h"
#include "output/output_document.h"
#include "policies/colour_values.h"
#include "policies/fc.h"
#include "policies/policy_value.h"

namespace {

struct SheetFont {
    TextString face;
    int bold = 0;
    int italic = 0;
    int size = 12;
};

// A font policy read into face, style flags and point size.  Font policies
// only ever hold texts that parse; should one not, the font keeps its
// defaults (no face, plain, 12 points).
SheetFont ReadFont(const FC& set, Pol id) {
    SheetFont font;
    ParseFontSpec(font.face, font.bold, font.italic, font.size, set.GetText(id).buffer);
    return font;
}

void Write(FC* set, OutputDocument* document, const TextString& text) {
    document->WriteText(set, document, text.buffer);
}

void AppendNumber(TextString& text, long long value) {
    const std::string digits = std::to_string(value);
    text.Append(digits.c_str());
}

// "\t{\tfont-family: ...; font-style: ...; font-weight: ...; font-size: 12pt;\t}";
// a size below 0 leaves the size out.
TextString FontDeclaration(const TextString& face, int bold, int italic, int size) {
    TextString line("\t{\tfont-family: ");
    const bool quoted = face.FindChar(0, ' ', nullptr, 1);
    if (quoted) line.AppendChar('"');
    line.Append(face);
    if (quoted) line.AppendChar('"');
    line.Append("; font-style: ");
    line.Append(italic ? "italic;" : "normal;");
    line.Append(" font-weight: ");
    line.Append(bold ? "bold;" : "normal;");
    if (size >= 0) {
        line.Append(" font-size: ");
        AppendNumber(line, size);
        line.Append("pt;");
    }
    line.Append("\t}");
    return line;
}

void WriteElementGroups(FC* set, OutputDocument* document, const SheetFont& defaultFont, const SheetFont& heading,
                        const SheetFont& fixed, const SheetFont& table) {
    constexpr int kNoSize = -1;
    const struct {
        const char* selector;
        const SheetFont& font;
        int bold, italic, size;
    } groups[] = {
        {"  BODY, P, UL, OL, DL, DT, DD, LI, BLOCKQUOTE", defaultFont, defaultFont.bold, defaultFont.italic,
         defaultFont.size},
        {"  I, EM", defaultFont, 0, 1, defaultFont.size},
        {"  B, STRONG", defaultFont, 1, 0, defaultFont.size},
        {"  B I, I B, STRONG EM, EM STRONG", defaultFont, 1, 1, defaultFont.size},
        {"  TD", table, table.bold, table.italic, table.size},
        {"  TH", table, 1, table.italic, table.size},
        {"  H1, H2, H3, H4, H5, H6", heading, 1, heading.italic, kNoSize},
        {"  PRE, CODE", fixed, fixed.bold, fixed.italic, fixed.size},
    };
    for (const auto& group : groups) {
        Write(set, document, TextString(group.selector));
        Write(set, document, FontDeclaration(group.font.face, group.bold, group.italic, group.size));
    }
}

void WriteContentsSpans(FC* set, OutputDocument* document, const SheetFont& contents) {
    // The deepest levels are set two points smaller, but not below 9 points.
    const int smaller = contents.size - 2 > 8 ? contents.size - 2 : contents.size;
    const struct {
        const char* selector;
        bool withFace;
        int bold;
        int size;
    } groups[] = {
        {"  SPAN.TOC1", true, 1, contents.size},
        {"  SPAN.TOC2", true, contents.bold, contents.size},
        {"  SPAN.TOC3, SPAN.TOC4, SPAN.TOC5, SPAN.TOC6", true, contents.bold, smaller},
        {"  SPAN.TOC1 EM, SPAN.TOC1 STRONG", false, 0, contents.size},
        {"  SPAN.TOC2 EM, SPAN.TOC2 STRONG", false, 0, contents.size},
        {"  SPAN.TOC3 EM, SPAN.TOC4 EM, SPAN.TOC5 EM, SPAN.TOC6 EM, SPAN.TOC3 STRONG, SPAN.TOC4 STRONG, "
         "SPAN.TOC5 STRONG, SPAN.TOC6 STRONG",
         false, 0, smaller},
    };
    for (const auto& group : groups) {
        Write(set, document, TextString(group.selector));
        TextString line("\t{");
        if (group.withFace) {
            line.Append(" font-family: ");
            line.Append(contents.face);
            line.Append("; font-style: ");
            line.Append(contents.italic ? "italic;" : "normal;");
            line.Append(" font-weight: ");
            line.Append(group.bold ? "bold;" : "normal;");
        }
        line.Append(" font-size: ");
        AppendNumber(line, group.size);
        line.Append("pt; }");
        Write(set, document, line);
    }
}

// H1 to H3 grow with the default font size: by 3, 2 and 1 points for small
// fonts, by 6, 4 and 2 for middling ones, and in proportion for large ones.
void WriteHeadingSizes(FC* set, OutputDocument* document, int size) {
    const long long s = size;
    long long sizes[3];
    if (s <= 10) {
        sizes[0] = s + 3, sizes[1] = s + 2, sizes[2] = s + 1;
    } else if (s < 20) {
        sizes[0] = s + 6, sizes[1] = s + 4, sizes[2] = s + 2;
    } else {
        sizes[0] = 3 + s * 15 / 10, sizes[1] = 2 + s * 13 / 10, sizes[2] = 1 + s * 11 / 10;
    }
    for (int level = 0; level < 3; ++level) {
        TextString line("  H");
        AppendNumber(line, level + 1);
        line.Append(" { font-size: ");
        AppendNumber(line, sizes[level]);
        line.Append("pt; }");
        Write(set, document, line);
    }
}

// One font class of the Context: "name-face-type-style".  The name is the
// first field and type and style the last two, so that a face holding "-"
// stays whole.
struct FontClass {
    TextString name;
    TextString face;
    int type = 0;
    int style = 0;
};

bool ParseFontClass(const char* text, FontClass& out) {
    const std::string_view entry(text ? text : "");
    const size_t first = entry.find('-');
    const size_t last = entry.rfind('-');
    if (first == std::string_view::npos || last == first) return false;
    const size_t middle = entry.rfind('-', last - 1);
    if (middle == first) return false;
    auto number = [](std::string_view field) {
        TextString digits(field);
        int value = 0;
        return digits.ToInteger('1', &value) ? value : 0;
    };
    out.name = TextString(entry.substr(0, first));
    out.face = TextString(entry.substr(first + 1, middle - first - 1));
    out.type = number(entry.substr(middle + 1, last - middle - 1));
    out.style = number(entry.substr(last + 1));
    return true;
}

void WriteFontClasses(FC* set, OutputDocument* document, long long baseSize) {
    const StringList& classes = set->context->documentState.list2;
    for (int n = 0; n < classes.count; ++n) {
        FontClass fontClass;
        if (!ParseFontClass(classes.TextAt(n), fontClass)) continue;
        const bool bold = fontClass.style == 2 || fontClass.style == 3;
        const bool italic = fontClass.style == 1 || fontClass.style == 3;
        // Class selectors, matching the CLASS="CF..." of the font markup.
        for (const char* prefix : {"  .CF", "  LI.CF"}) {
            TextString selector(prefix);
            selector.Append(fontClass.name);
            if (bold) selector.Append("B");
            if (italic) selector.Append("I");
            selector.Append("\t{");
            Write(set, document, selector);
            TextString family("\t\t\tfont-family: ");
            if (!fontClass.face.IsEmpty()) {
                family.AppendChar('"');
                family.Append(fontClass.face);
                family.Append("\", ");
            }
            family.Append(fontClass.type != 0 ? "arial, geneva, sans-serif;" : "TimesNewRoman, times, serif;");
            Write(set, document, family);
            Write(set, document, TextString(italic ? "\t\t\tfont-style: italic;" : "\t\t\tfont-style: normal;"));
            Write(set, document, TextString(bold ? "\t\t\tfont-weight: bold;" : "\t\t\tfont-weight: normal;"));
            if (prefix[2] == 'L') {
                TextString size("\t\t\tfont-size: ");
                AppendNumber(size, baseSize);
                size.Append("pt;");
                Write(set, document, size);
            }
            Write(set, document, TextString("\t\t}"));
        }
    }
}

}  // namespace

void HTML_WriteStyleSheet(FC* policies, OutputDocument* document) {
    if (!policies || !policies->context) return;
    if (!document || !document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_WriteStyleSheet!", kLevelAlways);
        return;
    }
    FC& set = *policies;
    const SheetFont defaultFont = ReadFont(set, Pol::DefaultFont);
    const SheetFont heading = ReadFont(set, Pol::HeadingFont);
    const SheetFont fixed = ReadFont(set, Pol::FixedFont);
    const SheetFont contents = set.IsSet(Pol::ContentsFont) ? ReadFont(set, Pol::ContentsFont) : heading;
    const SheetFont table = set.IsSet(Pol::TableFont) ? ReadFont(set, Pol::TableFont) : defaultFont;
    const long long baseSize = static_cast<long long>(set.GetInt(Pol::BaseFontSize)) +
                               static_cast<long long>(set.GetInt(Pol::DeltaFontSize));
    const bool html32 = set.GetInt(Pol::HTMLVersion) == 1;

    Write(policies, document, TextString(html32 ? "<STYLE>" : "<STYLE TYPE=\"text/css\">"));
    Write(policies, document, TextString("  <!-- "));
    if (html32) {
        TextString line("\tLI {  font-size:");
        AppendNumber(line, baseSize);
        line.Append("pt;  }");
        Write(policies, document, line);
    }
    if (!set.context->fontTagSwitch) {
        WriteElementGroups(policies, document, defaultFont, heading, fixed, table);
        WriteContentsSpans(policies, document, contents);
        WriteHeadingSizes(policies, document, defaultFont.size);
    }
    // A colour set to "(none)" is empty: no rule rather than "color: ;".
    const TextString& colour = set.GetText(Pol::HeadingsColour);
    if (set.IsSet(Pol::HeadingsColour) && !colour.IsEmpty() && IsWritableColour(colour) &&
        !set.IsOn(Pol::SuppressAllColourMarkup)) {
        Write(policies, document, TextString("  H1, H2, H3, H4, H5, H6"));
        Write(policies, document, TextString("\t{ color: ") + colour + ";\t}");
    }
    if (set.GetInt(Pol::HTMLVersion) > 1) {
        if (set.GetInt(Pol::IndentationMarkupCode) == 3)
            Write(policies, document,
                  TextString("\n\tDIV.indent\t{ margin-left:24pt; margin-right:0pt;\n\t\t\tmargin-top:1em; "
                             "margin-bottom:1em; }"));
        WriteFontClasses(policies, document, baseSize);
    }
    Write(policies, document, TextString("  -->"));
    Write(policies, document, TextString("</STYLE>"));
}
