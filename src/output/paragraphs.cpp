#include "output/paragraphs.h"

#include "context/block_list.h"
#include "context/context.h"
#include "output/output_document.h"
#include "policies/fc.h"

void HTML_IndentSource(FC* set, int levels, TextString* text) {
    if (!set || !set->context || !text) return;
    if (!set->context->documentState.htmlOutput) return;
    if (set->ruleSetCode != 1 && set->ruleSetCode != 2) text->Trim(0, " \t");
    if (set->IsOn(Pol::MinimiseHTMLFileSize)) return;
    for (int level = 0; level < levels; ++level) text->Insert(0, "  ");
}

void HTML_EndPara(OutputDocument* document, FC* set, const char* /*label*/) {
    if (!document || !set || !set->context) return;
    if (!document->paragraphOpen) return;
    DocumentState& state = set->context->documentState;
    // The flag is cleared before the block is closed, so that closing the
    // paragraph block can never ask for the paragraph to be ended again.
    document->paragraphOpen = 0;
    TextString endTag("</P>");
    HTML_IndentSource(set, state.currentIndentLevel, &endTag);
    state.blocks.Decrement(set, document, endTag);
    state.pendingVerticalSpace = -12;
}
