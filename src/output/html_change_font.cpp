#include "output/html_change_font.h"

#include "policies/fc.h"

int HTML_ChangeFont(int, FC* policies, const FontSpec*, const FontSpec*, TextString* out) {
    if (out) out->MakeEmpty();
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_ChangeFont is not built yet", 10);
    return 0;
}
