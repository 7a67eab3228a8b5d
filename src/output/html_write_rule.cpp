#include "output/html_write_rule.h"

#include "policies/fc.h"

void HTML_WriteRule(FC* policies, OutputDocument*, int, const TextString&) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_WriteRule is not built yet", 10);
}
