#include "output/html_write_heading_anchor.h"

#include "policies/fc.h"

void HTML_WriteHeadingAnchor(FC* policies, OutputDocument*, int, const SourcePosition&, const TextString&,
                             const TextString&, const TextString&) {
    if (policies) policies->ReportMessage("PROGRAM ERROR: HTML_WriteHeadingAnchor is not built yet", 10);
}
