#include "output/html_output_navigation_bar.h"

#include "policies/fc.h"

void HTML_OutputNavigationBar(OutputDocument*, const TextString&, AnalysedLine*, FC* policies, int, int) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_OutputNavigationBar is not built yet", 10);
}
