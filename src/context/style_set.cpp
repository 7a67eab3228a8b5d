#include "context/style_set.h"

#include <algorithm>

#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "policies/policy_value.h"

namespace {

// The names a styles file uses, by style number.
// clang-format off
constexpr const char* kStyleNames[kStyleCount] = {
    "Normal",  "Body",     "ShortLine", "Bullet",   "Quoted",   "Hanging",  "Definition", "Table",    "Preform",
    "Diagram", "Code",     "Heading",   "Heading1", "Heading2", "Heading3", "Heading4",   "Heading5", "Heading6",
    "TOC",     "TOC1",     "TOC2",      "TOC3",     "TOC4",     "TOC5",     "TOC6",
};
// clang-format on

// The RTF font-table index of each style font, by style number.
// clang-format off
constexpr int kStyleFontIndexes[kStyleCount] = {
    100, 101, 111, 112, 113, 114, 115, 102, 103, 104, 105, 106, 161,
    162, 163, 164, 165, 166, 107, 171, 172, 173, 174, 175, 176,
};
// clang-format on

bool EqualsNoCase(const TextString& a, const TextString& b) {
    return a.length == b.length && a.Matches(b.buffer, 0, 0);
}

// Reads a set font policy into a fresh font.  False when the policy was not
// set, is empty or does not read, so that the caller uses its fallback.
bool ReadFontPolicy(const FC* set, Pol id, FontSpec& font) {
    if (!set || !set->IsSet(id)) return false;
    const TextString& text = set->GetText(id);
    if (text.IsEmpty()) return false;
    TextString face;
    int bold = 0, italic = 0, size = 12;
    if (!ParseFontSpec(face, bold, italic, size, text.buffer)) return false;
    font = FontSpec();
    font.SetFaceName(face);
    font.SetBold(bold);
    font.SetItalic(italic);
    font.SetSize(size);
    return true;
}

// `name` resolved against `directory`, with a separator between them when the
// directory text does not end in one.
void ResolveInDirectory(const TextString& directory, const TextString& name, TextString* out) {
    TextString base(directory);
    if (base.length > 0) {
        char last = base.buffer[base.length - 1];
        if (last != '/' && last != '\\') base.AppendChar('/');
    }
    ResolveRelativePath(base, name, out);
}

void Report(FC* set, const TextString& message, int level) {
    if (set) set->ReportMessage(message.buffer, level);
}

}  // namespace

const char* GetStyleName(int number) { return (number >= 0 && number < kStyleCount) ? kStyleNames[number] : ""; }

// ---------------------------------------------------------------------------
// RTFStyle

void RTFStyle::Set(int newNumber, int newBasedOn, const char* newName, int a, int b, int newPlain, int newInTable,
                   int newKeepWithNext, const FontSpec* font, int before, int after, int group) {
    number = newNumber;
    basedOn = newBasedOn;
    name.Assign(newName ? newName : "");
    alignA = a;
    alignB = b;
    plain = newPlain;
    inTable = newInTable;
    keepWithNext = newKeepWithNext;
    if (font) {
        bold = font->bold;
        italic = font->italic;
        fontIndex = font->fontIndex;
        pointSize = font->size;
        halfPointSize = ClampedSum(font->size, font->size);
    }
    spaceBefore = before;
    spaceAfter = after;
    groupCode = group;
}

// ---------------------------------------------------------------------------
// Default fonts

void StyleSet::SetDefaultFonts(FC* set) {
    const int base = (set && set->IsSet(Pol::BaseFontSize)) ? set->GetInt(Pol::BaseFontSize) : 10;
    const int codeSize = std::min(base, 8);

    FontSpec normal;
    int normalSize = base;
    if (ReadFontPolicy(set, Pol::DefaultFont, normal)) {
        normalSize = normal.size;
    } else {
        normal = FontSpec();
        normal.SetFaceName("Times New Roman");
        normal.SetSize(base);
    }
    fonts[kStyleNormal] = normal;
    for (int style : {kStyleBody, kStyleShortLine, kStyleBullet, kStyleQuoted, kStyleHanging, kStyleDefinition})
        fonts[static_cast<size_t>(style)] = normal;
    fonts[kStyleQuoted].SetItalic(1);

    if (!ReadFontPolicy(set, Pol::TableFont, fonts[kStyleTable])) fonts[kStyleTable] = normal;

    FontSpec fixed;
    if (!ReadFontPolicy(set, Pol::FixedFont, fixed)) {
        fixed = normal;
        fixed.SetFaceName("Courier New");
        fixed.SetSize(codeSize);
    }
    fixed.SetProportional(0);
    for (int style : {kStylePreform, kStyleDiagram, kStyleCode}) fonts[static_cast<size_t>(style)] = fixed;

    FontSpec heading;
    int headingSize = base;
    if (ReadFontPolicy(set, Pol::HeadingFont, heading)) {
        headingSize = heading.size;
    } else {
        heading = normal;
        heading.SetFaceName("Arial");
        heading.SetBold(1);
    }
    fonts[kStyleHeading] = heading;
    struct HeadingStep {
        int style, extraSize, bold, italic;
    };
    // -1: the level keeps the heading font's weight or slant.
    // clang-format off
    constexpr HeadingStep kHeadingSteps[] = {
        {kStyleHeading1, 4, 1, -1}, {kStyleHeading2, 2, 1, 1}, {kStyleHeading3, 2, 1, -1},
        {kStyleHeading4, 0, -1, 1}, {kStyleHeading5, 0, -1, 1}, {kStyleHeading6, 0, -1, 1},
    };
    // clang-format on
    for (const HeadingStep& step : kHeadingSteps) {
        FontSpec& font = fonts[static_cast<size_t>(step.style)];
        font = heading;
        font.SetSize(headingSize + step.extraSize);
        if (step.bold >= 0) font.SetBold(step.bold);
        if (step.italic >= 0) font.SetItalic(step.italic);
    }

    FontSpec contents;
    if (!ReadFontPolicy(set, Pol::ContentsFont, contents)) contents = normal;
    fonts[kStyleTOC] = contents;
    for (int style = kStyleTOC1; style <= kStyleTOC6; ++style) {
        FontSpec& font = fonts[static_cast<size_t>(style)];
        font = contents;
        if (style >= kStyleTOC4) font.SetSize(ClampedSum(normalSize, -1));
    }

    for (int style = 0; style < kStyleCount; ++style)
        fonts[static_cast<size_t>(style)].SetFontIndex(kStyleFontIndexes[style]);
}

// ---------------------------------------------------------------------------
// The font list

FontSpec* StyleSet::FindFont(const TextString& name) const {
    for (const auto& font : fontList)
        if (EqualsNoCase(font->alternateFace, name)) return font.get();
    return nullptr;
}

void StyleSet::AddFont(const FontSpec& font) {
    if (FindFont(font.alternateFace)) return;
    fontList.push_back(std::make_unique<FontSpec>(font));
}

int StyleSet::SetStyleFont(FC* set, const TextString& styleName, const FontSpec& font) {
    for (int style = 0; style < kStyleCount; ++style) {
        if (!EqualsNoCase(styleName, TextString(kStyleNames[style]))) continue;
        FontSpec& target = fonts[static_cast<size_t>(style)];
        // The style keeps its place in the RTF font table: a font read from
        // a styles file has no index of its own.
        const int index = target.fontIndex;
        target = font;
        target.SetFontIndex(index);
        return 1;
    }
    TextString message("ERROR: Unknown Style \"");
    message.Append(styleName);
    message.AppendChar('"');
    Report(set, message, kLevelAlways);
    return 0;
}

void FindStyleByName(FC* set, const TextString& styleName, const FontSpec& font) {
    if (!set || !set->context) return;
    set->context->styleSet.SetStyleFont(set, styleName, font);
}

// ---------------------------------------------------------------------------
// The styles file

namespace {

// Splits "name, description" at the first comma: the name trimmed, the
// description trimmed with runs of blanks reduced to one.
void SplitDefinition(const TextString& text, TextString* name, TextString* description) {
    int comma = -1;
    if (text.FindChar(0, ',', &comma, 1)) {
        name->AssignChars(text.buffer, comma);
        description->Assign(text.buffer + comma + 1);
    } else {
        *name = text;
        description->MakeEmpty();
    }
    name->Trim(0, " ");
    description->Trim(0, " ");
    description->CollapseBlanks();
}

// Builds the font of a definition line; false (with a warning) when the
// description is not a font specification.
bool BuildFont(FC* set, const TextString& name, const TextString& description, FontSpec* font) {
    TextString face;
    int bold = 0, italic = 0, size = 12;
    if (!ParseFontSpec(face, bold, italic, size, description.buffer)) {
        TextString message("WARNING: \"");
        message.Append(description);
        message.Append("\" is not a valid font specification");
        Report(set, message, kLevelAlways);
        return false;
    }
    *font = FontSpec();
    font->SetFaceName(face);
    font->SetBold(bold);
    font->SetItalic(italic);
    font->SetSize(size);
    font->SetAlternateFace(name);
    return true;
}

}  // namespace

void StyleSet::ReadStylesFile(FC* set) {
    if (!set) return;
    const TextString& fileName = set->GetText(Pol::StyleFile);
    if (fileName.IsEmpty() || loaded || refused) return;

    TextFile file;
    TextString path;
    ResolveInDirectory(set->GetText(Pol::InputDirectory), fileName, &path);
    bool opened = file.OpenForRead(path.buffer);
    Context* context = set->context;
    if (!opened && context && !context->runParameters.policyDirectory.IsEmpty()) {
        ResolveInDirectory(context->runParameters.policyDirectory, fileName, &path);
        opened = file.OpenForRead(path.buffer);
    }
    if (!opened && set->ReportRefusedFile(file)) {
        refused = 1;
        return;
    }
    if (!opened) {
        TextString message("** Failed to open styles file ");
        message.Append(path);
        message.Append(" ***");
        AppendReason(message, file.openFailure);
        Report(set, message, kLevelAlways);
        return;  // not loaded: the next call tries again
    }

    TextString line;
    while (file.ReadLine(line)) {
        int position = -1;
        if (line.FindChar(0, '!', &position, 1)) line.SubString(0, position);  // the rest is a comment
        if (!line.FindChar(0, ':', &position, 1)) continue;
        TextString keyword;
        keyword.AssignChars(line.buffer, position);
        keyword.Trim(0, " ");
        if (keyword.IsEmpty()) continue;
        TextString rest(line.buffer + position + 1);
        rest.Trim(0, " ");

        const bool isFont = keyword.Matches("define font", 0, 0);
        const bool isStyle = keyword.Matches("define style", 0, 0);
        if (!isFont && !isStyle) continue;

        TextString name, description;
        SplitDefinition(rest, &name, &description);
        FontSpec font;
        if (!BuildFont(set, name, description, &font)) continue;
        if (isFont)
            AddFont(font);
        else
            SetStyleFont(set, name, font);
    }
    file.CloseAll();
    loaded = 1;
}
