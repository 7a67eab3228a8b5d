#include "output/rtf_write_custom_style.h"

#include "policies/fc.h"

void RTF_WriteCustomStyle(FC* policies, OutputDocument*, const FontSpec&, TextString* out) {
    if (out) out->MakeEmpty();
    if (policies) policies->ReportMessage("PROGRAM ERROR: RTF_WriteCustomStyle is not built yet", 10);
}
