#include "output/font_changes.h"

#include "context/block_list.h"
#include "context/context.h"
#include "output/output_document.h"
#include "policies/fc.h"

namespace {

struct InnermostBlock {
    int type = kBlockUnknown;
    int fontChanged = 0;
    int itemCount = 0;
};

InnermostBlock DescribeInnermost(const BlockList* blocks) {
    InnermostBlock result;
    const BlockEntry* entry = blocks ? blocks->Innermost() : nullptr;
    if (entry) {
        result.type = entry->type;
        result.fontChanged = entry->fontChanged;
        result.itemCount = entry->itemCount;
    }
    return result;
}

bool IsListBlock(int type) {
    return type == kBlockOrderedList || type == kBlockUnorderedList || type == kBlockDefinitionList;
}

}  // namespace

bool FontChangeMarkup(FC* set, int kind) {
    if (kind == kFontChangeAlways) return true;
    const BlockList* blocks = (set && set->context) ? &set->context->documentState.blocks : nullptr;
    InnermostBlock block = DescribeInnermost(blocks);
    if (block.type == kBlockParagraph || block.type == kBlockTable || block.type == kBlockHeading) return true;
    if (block.itemCount < 1) return false;
    const int listMarkup = set ? set->GetInt(Pol::ListMarkupCode) : 0;
    if (listMarkup != 0 && listMarkup != 1) return false;
    if (listMarkup == 1 && block.itemCount != 1) return false;
    if (block.type == kBlockIndent) return block.fontChanged == 0;
    if (listMarkup == 0) return IsListBlock(block.type);
    return block.type == kBlockDefinitionList;
}

void HTML_EndFont(FC* set, OutputDocument* document, BlockList* blocks, int policyBlock, int* endFont,
                  int* endParagraph, int* endListItem, int* endDefinition) {
    int closeFont = 0;
    int closeParagraph = 0;
    InnermostBlock block = DescribeInnermost(blocks);

    if (IsListBlock(block.type)) {
        if (block.itemCount == 1) {
            const int listMarkup = set ? set->GetInt(Pol::ListMarkupCode) : 0;
            closeParagraph = (listMarkup != 0 && listMarkup != 1) ? 1 : 0;
            if (!closeParagraph && !FontChangeMarkup(set, 0)) {
                if (set)
                    set->ReportMessage("PROGRAM ERROR: Attempted </FONT> in illegal location. Using </P> instead",
                                       kLevelAlways);
                closeParagraph = 1;
            }
            closeFont = closeParagraph ? 0 : 1;
        } else if (block.itemCount > 1) {
            closeParagraph = 1;
        }
    } else if (policyBlock) {
        closeParagraph = 1;
    } else if (block.type == kBlockParagraph || block.type == kBlockHeading) {
        closeFont = 1;
    } else {
        closeParagraph = (document && document->paragraphOpen) ? 1 : 0;
    }

    if (closeFont) {
        if (!FontChangeMarkup(set, 0) && set)
            set->ReportMessage("WARNING: Inconsistent END_FONT calculations", kLevelAlways);
        if (block.type == kBlockParagraph) {
            // The font inside a paragraph ends with the paragraph itself.
            if (set) set->ReportMessage("PROGRAM ERROR: End Font calculated inside a <P> tag", kLevelAlways);
            closeFont = 0;
            closeParagraph = 1;
        }
    }

    if (endFont) *endFont = closeFont;
    if (endParagraph) *endParagraph = closeParagraph;
    if (endListItem) *endListItem = 0;
    if (endDefinition) *endDefinition = 0;
}
