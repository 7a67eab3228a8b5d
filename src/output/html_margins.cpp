#include "output/html_margins.h"

#include "policies/fc.h"

int HTML_AdjustMarginForIndent(FC* policies, int) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_AdjustMarginForIndent is not built yet", 10);
    return 0;
}

int HTML_ClampMargin(FC* policies, int) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_ClampMargin is not built yet", 10);
    return 0;
}
