#include "output/html_change_font.h"

#include "context/block_list.h"
#include "context/context.h"
#include "output/font_markup.h"
#include "policies/fc.h"

namespace {

constexpr int kFontKindInHeading = 3;  // allowed while a heading is open

bool IsHeadingOpen(const BlockList& blocks) {
    for (int i = 0; i < blocks.Count(); ++i)
        if (blocks.GetAt(i)->type == kBlockHeading) return true;
    return false;
}

// Blocks in which a refused font change is expected and not worth a word:
// the body itself and the lists between their items.
bool IsQuietRefusal(int type) {
    return type == kBlockBody || type == kBlockOrderedList || type == kBlockUnorderedList ||
           type == kBlockDefinitionList;
}

}  // namespace

int HTML_ChangeFont(int kind, FC* policies, const FontSpec* oldFont, const FontSpec* newFont, TextString* out) {
    if (out) out->MakeEmpty();
    if (!policies || !policies->context || !out) return 0;
    const BlockList& blocks = policies->context->documentState.blocks;

    if ((kind == kFontKindInHeading && IsHeadingOpen(blocks)) || FontChangeMarkup(policies, kind)) {
        TextString start;
        GetEndFontMarkup(kind, policies, oldFont, out);
        GetStartFontMarkup(kind, policies, newFont, &start);
        out->Append(start);
        return 1;
    }

    const BlockEntry* innermost = blocks.Innermost();
    const int type = innermost ? innermost->type : kBlockUnknown;
    if (IsQuietRefusal(type)) return 0;
    TextString message("WARNING: Not executing FONT in Context/block type ");
    message.AppendNumber('1', kind, 0);
    message.Append("/");
    message.AppendNumber('1', type, 0);
    policies->ReportMessage(message.buffer, kLevelAlways);
    return 0;
}

void HTML_WrapWithFontMarkup(FC* policies, OutputDocument*, int kind, TextString* text) {
    if (!policies || !policies->context || !text) return;
    if (!FontChangeMarkup(policies, kind)) return;
    const FontSpec* font = policies->context->GetCurrentFont();
    TextString end, start;
    GetEndFontMarkup(kind, policies, font, &end);
    GetStartFontMarkup(kind, policies, font, &start);
    if (!end.IsEmpty()) text->Insert(0, end.buffer);
    if (!start.IsEmpty()) text->Append(start);
}
