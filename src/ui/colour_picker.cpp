#include "ui/colour_picker.h"

#include <cstdio>
#include <cstring>

#include "platform/ascii_text.h"
#include "ui/dialog_model.h"

namespace {

// The names a colour text may use, with their colours.  "Magenta" and
// "Cyan" are read, but a picked colour is never given them: a policy takes
// the standard HTML names only ("Fuchsia", "Aqua").
// clang-format off
constexpr ColourName kReadNames[] = {
    {"White", "ffffff"},   {"Black", "000000"},  {"Red", "ff0000"},    {"Green", "008000"},
    {"Blue", "0000ff"},    {"Cyan", "00ffff"},   {"Magenta", "ff00ff"}, {"Yellow", "ffff00"},
    {"Fuchsia", "ff00ff"}, {"Aqua", "00ffff"},   {"Silver", "c0c0c0"}, {"Lime", "00ff00"},
    {"Gray", "808080"},    {"Olive", "808000"},  {"Maroon", "800000"}, {"Navy", "000080"},
    {"Purple", "800080"},  {"Teal", "008080"},
};

// The names given to a picked colour: each one a colour policy takes back
// from a policy file.
constexpr ColourName kPickedNames[] = {
    {"White", "ffffff"},   {"Black", "000000"},  {"Red", "ff0000"},    {"Green", "008000"},
    {"Blue", "0000ff"},    {"Aqua", "00ffff"},   {"Yellow", "ffff00"}, {"Fuchsia", "ff00ff"},
    {"Silver", "c0c0c0"},  {"Lime", "00ff00"},   {"Gray", "808080"},   {"Olive", "808000"},
    {"Maroon", "800000"},  {"Navy", "000080"},   {"Purple", "800080"}, {"Teal", "008080"},
};
// clang-format on

// What an empty colour text shows.
constexpr char kSilverHex[] = "c0c0c0";

// The colour channels of a PlatformColour, red in the low byte.
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;
constexpr PlatformColour kChannelMask = 0xff;

}  // namespace

std::span<const ColourName> PickedColourNames() { return kPickedNames; }

int HexDigitValue(char c) {
    const int value = AsciiHexDigitValue(c);
    return value < 0 ? 0 : value;
}

PlatformColour ColourTextToRGB(const TextString& colourText) {
    const char* text = colourText.c_str();
    for (const ColourName& entry : kReadNames)
        if (std::strcmp(text, entry.name) == 0) {
            text = entry.hex;
            break;
        }
    if (*text == '\0') text = kSilverHex;

    // The first six characters that are not "#"; missing ones count 0.
    int digits[6] = {0, 0, 0, 0, 0, 0};
    int count = 0;
    for (const char* p = text; *p != '\0' && count < 6; ++p)
        if (*p != '#') digits[count++] = HexDigitValue(*p);
    const PlatformColour red = static_cast<PlatformColour>(digits[0] * 16 + digits[1]);
    const PlatformColour green = static_cast<PlatformColour>(digits[2] * 16 + digits[3]);
    const PlatformColour blue = static_cast<PlatformColour>(digits[4] * 16 + digits[5]);
    return red | (green << kGreenShift) | (blue << kBlueShift);
}

bool ChooseColour(UiServices& services, TextString& colourText) {
    PlatformColour colour = ColourTextToRGB(colourText);
    if (!services.ChooseColour(colour)) return false;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%2.2x%2.2x%2.2x", colour & kChannelMask, (colour >> kGreenShift) & kChannelMask,
                  (colour >> kBlueShift) & kChannelMask);
    colourText.Assign(hex);
    for (const ColourName& entry : kPickedNames)
        if (std::strcmp(hex, entry.hex) == 0) {
            colourText.Assign(entry.name);
            break;
        }
    return true;
}

void PaintColourSwatch(DialogModel& dialog, int controlId, const TextString& fillColourText,
                       const TextString& textColourText) {
    dialog.SetColours(controlId, ColourTextToRGB(fillColourText), ColourTextToRGB(textColourText));
}
