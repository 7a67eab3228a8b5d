// RTF paragraph styles and their fonts: 25 styles derived from the font
// policies for each file, optionally changed by a styles file that defines
// further fonts and replaces the font of a style by name.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "foundation/fonts.h"
#include "foundation/text_string.h"

class FC;

constexpr int kStyleCount = 25;

enum RTFStyleNumber : int {
    kStyleNormal = 0, kStyleBody, kStyleShortLine, kStyleBullet, kStyleQuoted, kStyleHanging, kStyleDefinition,
    kStyleTable, kStylePreform, kStyleDiagram, kStyleCode, kStyleHeading, kStyleHeading1, kStyleHeading2,
    kStyleHeading3, kStyleHeading4, kStyleHeading5, kStyleHeading6, kStyleTOC, kStyleTOC1, kStyleTOC2,
    kStyleTOC3, kStyleTOC4, kStyleTOC5, kStyleTOC6,
};

const char* GetStyleName(int number);

class RTFStyle {
public:
    int number = -1;
    int basedOn = -1;
    TextString name;
    int values[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    int spacing[4] = {10, 20, 60, 60};
    int last = 0;
    // Font details copied in when the writer fills the style.
    int bold = 0;
    int italic = 0;
    int fontIndex = -1;
    int fontSize = 0;
    int halfPoints = 0;
};

class StyleSet {
public:
    std::array<RTFStyle, kStyleCount> styles;
    std::array<FontSpec, kStyleCount> fonts;
    int loaded = 0;

    void SetDefaultFonts(FC* set);
    void ReadStylesFile(FC* set);
    FontSpec* FindFont(const TextString& name) const;
    void AddFont(const FontSpec& font);
    void ClearFonts() { fontList.clear(); }
    int FontCount() const { return static_cast<int>(fontList.size()); }
    FontSpec* FontAt(int index) const {
        return (index >= 0 && index < FontCount()) ? fontList[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<FontSpec>> fontList;
};

void FindStyleByName(FC* set, const TextString& styleName, const FontSpec& font);
