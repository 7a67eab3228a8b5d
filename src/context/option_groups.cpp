// Interim definitions: option groups and ALLOW/DISALLOW are being built.
#include "context/option_groups.h"

#include "context/context.h"

TagRemovalOptionList::TagRemovalOptionList() {}
void TagRemovalOptionList::ResetAll() {}
void TagRemovalOptions::Reset() {}
void ApplyAllowDirective(FC*, Tracker*, const char*, int) {}
void Context::ChangeFont(FC*, const FontSpec&, int) {}
void Context::ApplyPendingFontChange(FC*) {}
