#include "output/html_change_indent_level.h"

#include "policies/fc.h"

void HTML_ChangeIndentLevel(OutputDocument*, int, FC* policies) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_ChangeIndentLevel is not built yet", 10);
}
