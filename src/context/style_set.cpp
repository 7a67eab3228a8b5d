// Interim definitions: RTF styles are being built.
#include "context/style_set.h"

const char* GetStyleName(int) { return ""; }
void StyleSet::SetDefaultFonts(FC*) {}
void StyleSet::ReadStylesFile(FC*) {}
FontSpec* StyleSet::FindFont(const TextString&) const { return nullptr; }
void StyleSet::AddFont(const FontSpec&) {}
void FindStyleByName(FC*, const TextString&, const FontSpec&) {}
