// Colours, point sizes and widths: the small conversions that the HTML
// writer, the table output and the in-line tags use to turn the converter's
// colour and font descriptions into HTML attribute values.
//
// The colour texts themselves and the HTML font sizes are read and checked
// by the policies, and so are kept in policies/colour_values.h.
#pragma once

#include "foundation/text_string.h"
#include "policies/colour_values.h"

class FC;

// The point size that the output can actually show: unchanged when sizes are
// written as style sheet point sizes (HTML 4.0 with FONT style markup),
// otherwise rounded to the nearest HTML FONT size.
int SnapPointSize(FC* policies, int points);

// Appends ` name="colour"` to a tag for a colour that is not empty and may
// be written (IsWritableColour); any other colour is left out, so that no
// value can add markup of its own.
void AppendHTMLColourAttribute(TextString& tag, const char* name, const TextString& colour);

// A table cell width as a quoted percentage of the total width ("\"50%\"").
// A total below 50 is taken as 800; the percentage is rounded and at least 1.
void FormatPercentWidth(FC* policies, int width, TextString* out, int total);

// 1 for the directive line types whose markup reaches the output
// (1001-1016 and 1029-1034), else 0.
int IsOutputDirectiveType(int lineType);
