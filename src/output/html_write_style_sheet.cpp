#include "output/html_write_style_sheet.h"

#include "policies/fc.h"

void HTML_WriteStyleSheet(FC* policies, OutputDocument*) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_WriteStyleSheet is not built yet", 10);
}
