#include "output/html_extra_leading.h"

#include "policies/fc.h"

int HTML_ExtraLeading(FC* policies, int, OutputDocument*) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_ExtraLeading is not built yet", 10);
    return 1;
}
