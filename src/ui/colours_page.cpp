#include "texts/dialog_ids.h"
#include "ui/output_pages.h"

std::span<const PageControl> ColoursPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/document_colours.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

ColoursPage::ColoursPage(UiServices& services) : OptionPage(kColoursPageDialogId, kTopicDocumentColours, services) {
    SetCaption("Document colours");
    AddControls(Controls());
}
