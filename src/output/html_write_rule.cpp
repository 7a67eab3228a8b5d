#include "output/html_write_rule.h"

#include "context/context.h"
#include "output/html_change_font.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"

void HTML_WriteRule(FC* policies, OutputDocument* document, int mode, const TextString& ruleMarkup) {
    if (!policies || !policies->context) return;
    if (!document || !document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_WriteRule!", kLevelAlways);
        return;
    }
    TextString line(ruleMarkup);
    HTML_WrapWithFontMarkup(policies, document, mode, &line);
    HTML_IndentSource(policies, policies->context->documentState.currentIndentLevel, &line);
    document->WriteLine(policies, document, &line, 0);
}
