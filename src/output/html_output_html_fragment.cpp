#include "output/html_output_html_fragment.h"

#include "policies/fc.h"

int HTML_OutputHTMLFragment(FC* policies, OutputDocument*, const char*, const SourcePosition&, int, int,
                            TextString*) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_OutputHTMLFragment is not built yet", 10);
    return 0;
}
