#include "policies/colour_values.h"

#include <cmath>
#include <cstdio>

namespace {

struct NamedColour {
    const char* name;
    const char* value;
};

// The sixteen HTML colour names, in the order in which names are recognised.
// clang-format off
constexpr NamedColour kNamedColours[] = {
    {"Black", "#000000"}, {"Silver", "#c0c0c0"}, {"Gray", "#808080"},   {"White", "#ffffff"},
    {"Maroon", "#800000"}, {"Red", "#ff0000"},   {"Purple", "#800080"}, {"Fuchsia", "#ff00ff"},
    {"Green", "#008000"}, {"Lime", "#00ff00"},   {"Olive", "#808000"},  {"Yellow", "#ffff00"},
    {"Navy", "#000080"},  {"Blue", "#0000ff"},   {"Teal", "#008080"},   {"Aqua", "#00ffff"},
};
// clang-format on

bool IsUpperHexDigit(char c) { return IsAsciiDigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); }

// True when the `n` bytes from `text` are all hexadecimal digits after upper-casing.
bool AllHex(const TextString& upper, int first, int n) {
    for (int i = first; i < first + n; ++i)
        if (!IsUpperHexDigit(upper.buffer[i])) return false;
    return true;
}

void UpperCase(TextString* text) {
    for (int i = 0; i < text->length; ++i) text->buffer[i] = ToUpperAscii(text->buffer[i]);
}

int ColourByte(double fraction) {
    double scaled = std::trunc(fraction * 256.0);
    if (!(scaled > 0.0)) return 0;  // also catches NaN
    if (scaled > 255.0) return 255;
    return static_cast<int>(scaled);
}

}  // namespace

int NormaliseHTMLColour(const TextString& in, TextString* out) {
    // Work on a copy so that `in` and `out` may be the same string.
    TextString colour(in);
    TextString upper(in);
    UpperCase(&upper);
    int valid = 0;
    if (colour.length == 0) {
        valid = 1;
    } else if (colour.buffer[0] == '#') {
        valid = (upper.length == 7 && AllHex(upper, 1, 6)) ? 1 : 0;
        colour = upper;
    } else {
        for (const NamedColour& named : kNamedColours) {
            if (colour.Matches(named.name, 0, 0)) valid = 1;
        }
        if (colour.Matches("Magenta", 0, 0)) valid = 1;
        if (!valid) {
            if (upper.length == 6 && AllHex(upper, 0, 6)) {
                valid = 1;
                colour = "#" + upper;
            } else {
                colour = upper;
            }
        }
    }
    if (valid && colour.length == 7 && colour.buffer[0] == '#') {
        for (const NamedColour& named : kNamedColours) {
            if (colour.Matches(named.value, 0, 0)) {
                colour = named.name;
                break;
            }
        }
    }
    *out = colour;
    return valid;
}

bool IsWritableColour(const TextString& colour) {
    TextString normalised;
    if (NormaliseHTMLColour(colour, &normalised)) return true;
    for (int i = 0; i < colour.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(colour.buffer[i]);
        if (!IsAsciiAlnum(c) && c != '#') return false;
    }
    return true;
}

TextString* FormatRGBColour(TextString* out, double red, double green, double blue) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X", ColourByte(red), ColourByte(green), ColourByte(blue));
    out->Assign(text);
    return out;
}

int ParseColourValue(const TextString& text, TextString* out) {
    TextString colour;
    if (text.CountChar(',') > 0) {
        // Exactly three numbers: "1,1,0" or "0.5, 0.5, 0.5".
        if (text.CountChar(',') != 2) return 0;
        double parts[3] = {0, 0, 0};
        int position = 0;
        for (double& part : parts) {
            int comma = -1;
            int end = text.FindChar(position, ',', &comma, 1) ? comma : text.length;
            TextString field;
            field.AssignSubstring(text.buffer, position, end - position);
            field.Trim(0, " ");
            if (field.length == 0 || !field.ToReal(&part)) return 0;
            position = end + 1;
        }
        TextString digits;
        FormatRGBColour(&digits, parts[0], parts[1], parts[2]);
        colour = "#" + digits;
    } else {
        colour = text;
    }
    TextString normalised;
    if (!NormaliseHTMLColour(colour, &normalised)) return 0;
    *out = normalised;
    return 1;
}

int PointSizeToHTMLSize(int points) {
    if (points <= 8) return 1;
    if (points <= 11) return 2;
    if (points <= 13) return 3;
    if (points <= 16) return 4;
    if (points <= 22) return 5;
    return 6;
}

int HTMLSizeToPointSize(int size) {
    switch (size) {
        case 2: return 10;
        case 3: return 12;
        case 4: return 14;
        case 5: return 18;
        case 6: return 24;
        default: return size <= 1 ? 8 : 28;
    }
}
