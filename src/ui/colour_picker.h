// Colour texts as the colour fields of the option pages hold them (a colour
// name or six hexadecimal digits), read into desktop colours, picked with the
// desktop's colour chooser and painted into a field's swatch.
//
// Reading is lenient where the policy checks (policies/colour_values.h) are
// strict: a field shows some colour whatever its text, so an unknown name is
// read digit by digit and every character that is not a hexadecimal digit
// counts 0.
#pragma once

#include <span>

#include "app/ui_services.h"
#include "foundation/text_string.h"

class DialogModel;

// A colour name with its six lower-case hexadecimal digits.
struct ColourName {
    const char* name;
    const char* hex;
};

// The names ChooseColour gives a picked colour, each with its colour.
std::span<const ColourName> PickedColourNames();

// The value 0-15 of a hexadecimal digit ('0'-'9', 'a'-'f', 'A'-'F'); any
// other character is 0.
int HexDigitValue(char c);

// The colour of a colour text: a colour name of the reading table (exact
// letter case) gives its value, an empty text is silver; otherwise every "#"
// is dropped and the first six characters are read as red, green and blue,
// two hexadecimal digits each, a missing character counting 0.
PlatformColour ColourTextToRGB(const TextString& colourText);

// Lets the user pick a colour, preset with the colour of `colourText`.  A
// picked colour becomes its name when PickedColourNames has it, else six
// lower-case hexadecimal digits; nothing picked leaves the text as it was
// (false).
bool ChooseColour(UiServices& services, TextString& colourText);

// Paints the swatch control `controlId` in the colour of `fillColourText`,
// with `textColourText` as its text colour.
void PaintColourSwatch(DialogModel& dialog, int controlId, const TextString& fillColourText,
                       const TextString& textColourText);
