#include "texts/dialog_ids.h"
#include "ui/output_pages.h"

namespace {

// The three items of coloured rows share one load: they are shown together
// and read only while none of them was changed.
constexpr int kRowColourItems[] = {TablePage::kColourRows, TablePage::kOddRows, TablePage::kEvenRows};

}  // namespace

std::span<const PageControl> TablePage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/table_generation.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

TablePage::TablePage(UiServices& services) : OptionPage(kTablePageDialogId, kTopicTableGeneration, services) {
    SetCaption("Table generation");
    AddControls(Controls());
}

void TablePage::LoadValues(const FC& set) { LoadBindings(set, kRowColourItems); }
