// RTF paragraph styles and their fonts: 25 styles whose fonts are derived
// from the font policies for each file, optionally changed by a styles file
// that defines further fonts and replaces the font of a style by name.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "foundation/fonts.h"
#include "foundation/text_string.h"

class FC;

constexpr int kStyleCount = 25;

// Style numbers: the index of a style (and of its font) in the style set.
// clang-format off
enum RTFStyleNumber : int {
    kStyleNormal = 0, kStyleBody, kStyleShortLine, kStyleBullet, kStyleQuoted, kStyleHanging, kStyleDefinition,
    kStyleTable, kStylePreform, kStyleDiagram, kStyleCode, kStyleHeading, kStyleHeading1, kStyleHeading2,
    kStyleHeading3, kStyleHeading4, kStyleHeading5, kStyleHeading6, kStyleTOC, kStyleTOC1, kStyleTOC2,
    kStyleTOC3, kStyleTOC4, kStyleTOC5, kStyleTOC6,
};
// clang-format on

// The name by which a styles file refers to a style ("Normal", "Heading2",
// "TOC4" ...); the empty text outside 0 .. kStyleCount - 1.
const char* GetStyleName(int number);

// One RTF paragraph style.  The RTF writer fills it (Set); a fresh record is
// left-aligned with a 10-point font and 60 twips before and after.
class RTFStyle {
public:
    int number = -1;  // written after "\s"
    int basedOn = -1;  // -1: based on no style
    TextString name;
    // (A,B): (1,0) left, (1,1) justified, (0,1) right, (0,0) centred.
    int alignA = 1;
    int alignB = 0;
    int plain = 0;  // "\plain" in the paragraph start
    int inTable = 0;  // "\intbl" in the paragraph start
    int keepWithNext = 0;
    int bold = 0;
    int italic = 0;
    int fontIndex = 0;
    int pointSize = 10;
    int halfPointSize = 20;  // always twice the point size
    int spaceBefore = 60;  // twips
    int spaceAfter = 60;  // twips
    int groupCode = 0;

    // Fills the record in field order; bold, italic, font index and size
    // come from the font (a null font leaves them as they are).
    void Set(int newNumber, int newBasedOn, const char* newName, int a, int b, int newPlain, int newInTable,
             int newKeepWithNext, const FontSpec* font, int before, int after, int group);
};

class StyleSet {
public:
    std::array<RTFStyle, kStyleCount> styles;
    std::array<FontSpec, kStyleCount> fonts;  // the font of each style
    int loaded = 0;  // the styles file has been read
    int refused = 0;  // the styles file is not a regular file: not tried again

    StyleSet() = default;
    StyleSet(const StyleSet&) = delete;
    StyleSet& operator=(const StyleSet&) = delete;

    // Derives the 25 style fonts from the set's font policies.
    void SetDefaultFonts(FC* set);
    // Reads the styles file named by the policy "Style file", once: the
    // loaded flag stays clear when the file cannot be opened.  A file refused
    // as not regular is reported once.
    void ReadStylesFile(FC* set);
    // The first font of the font list whose alternate face name equals the
    // name (without regard to case); null when there is none.
    FontSpec* FindFont(const TextString& name) const;
    // Appends a copy of the font unless one with the same alternate face
    // name is already in the list.
    void AddFont(const FontSpec& font);
    // Copies the font into the style of that name (without regard to case).
    // Returns 0 and reports "ERROR: Unknown Style" for an unknown name.
    int SetStyleFont(FC* set, const TextString& styleName, const FontSpec& font);

    void ClearFonts() { fontList.clear(); }
    int FontCount() const { return static_cast<int>(fontList.size()); }
    FontSpec* FontAt(int index) const {
        return (index >= 0 && index < FontCount()) ? fontList[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<FontSpec>> fontList;  // fonts of "define font" lines
};

// Copies the font into the named style of the style set of the set's
// context (StyleSet::SetStyleFont).
void FindStyleByName(FC* set, const TextString& styleName, const FontSpec& font);
