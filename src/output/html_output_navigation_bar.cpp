#include "output/html_output_navigation_bar.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "output/markup/navigation.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"

namespace {

bool EqualNoCase(const TextString& a, const TextString& b) { return a.Matches(b.buffer, 0, 0); }

void WriteWrapped(FC* policies, OutputDocument* document, TextString text) {
    document->WriteLine(policies, document, &text, 0);
}

}  // namespace

void HTML_OutputNavigationBar(OutputDocument* document, const TextString& fileName, AnalysedLine* line, FC* policies,
                              int ruleBefore, int ruleAfter) {
    if (!policies) return;
    if (!document || !document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_OutputNavigationBar!", kLevelAlways);
        return;
    }
    HTML_ChangeIndentLevel(document, 0, policies);
    document->WriteText(policies, document, "");
    document->WriteText(policies, document, "<!-- Start of Navigation Bar -->");
    document->WriteText(policies, document, "");
    if (ruleBefore) document->WriteText(policies, document, "<HR NOSHADE>");
    HTML_StartPara(document, policies, 1, "HTML_OutputNavigationBar", 0, 0, nullptr);

    TextString name(fileName);
    if (name.IsEmpty() && policies->context) name = policies->context->currentOutputFileName;
    TextString next, current, previous, first, contentsLink;
    int index = kLookUpNavigationFile;
    GetNavigationFileNames(policies, name, line, index, next, current, previous, first, contentsLink);

    if (EqualNoCase(previous, current))
        WriteWrapped(policies, document, "Prev ");
    else
        WriteWrapped(policies, document, TextString("<A HREF=\"") + previous + "\">Prev</A> ");
    if (EqualNoCase(next, current))
        WriteWrapped(policies, document, "| Next ");
    else
        WriteWrapped(policies, document, TextString("| <A HREF=\"") + next + "\">Next</A> ");
    if (EqualNoCase(first, current))
        WriteWrapped(policies, document, "| Contents ");
    else
        WriteWrapped(policies, document,
                     TextString("| <A HREF=\"") + (line ? contentsLink : first) + "\">Contents</A> ");

    HTML_EndPara(document, policies, "HTML_OutputNavigationBar");
    if (ruleAfter) document->WriteText(policies, document, "<HR NOSHADE>");
    document->WriteText(policies, document, "");
    document->WriteText(policies, document, "<!--   End of Navigation Bar -->");
    document->WriteText(policies, document, "");
}
