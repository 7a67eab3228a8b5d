#include "output/html_output_html_fragment.h"

#include "analysis/analysed_line.h"
#include "analysis/fragment_variables.h"
#include "context/context.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"

int HTML_OutputHTMLFragment(FC* policies, OutputDocument* document, const char* name, const SourcePosition& position,
                            int scope, int searchForward, TextString* out) {
    if (!policies) return 0;
    if (!document && !out) {
        policies->ReportMessage("PROGRAM ERROR: Invalid call to HTML_OutputHTMLFragment", kLevelAlways);
        return 0;
    }
    if (document && !document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_OutputHTMLFragment!", kLevelAlways);
        return 0;
    }
    Context* context = policies->context;
    if (!context || !name) return 0;

    const DefineList& defines = context->documentState.defines;
    const TextString fragmentName(name);
    int index = -1;
    if (!defines.FindPreviousDefinition(kDefinitionFragment, fragmentName, position, scope, &index, true) &&
        !(searchForward &&
          defines.FindNextDefinition(kDefinitionFragment, fragmentName, position, scope, &index, true)))
        return 0;
    const DefinitionEntry* fragment = defines.GetAt(index);
    if (!fragment) return 0;

    if (fragment->lines.count > 0 && document) {
        HTML_EndPara(document, policies, "HTML_OutputHTMLFragment");
        HTML_ChangeIndentLevel(document, 0, policies);
    }
    // One line object per call: a fragment variable may expand another
    // fragment (LINERULE writes HORIZONTAL_RULE) while this one is written.
    AnalysedLine line;
    TextString text;
    for (int i = 0; i < fragment->lines.count; ++i) {
        line.Reset(0);
        line.SetText(fragment->lines.TextAt(i));
        // The line's own positions; the trackers stay where the output is.
        line.position = SourcePosition(index, 2 + i);
        line.originPosition = position;
        ExpandInlineTags(*policies, line, position);
        if (document) {
            text = line;
            document->WriteLine(policies, document, &text, 0);
        } else {
            out->Append(line);
            out->AppendChar('\n');
        }
    }
    return 1;
}
