#include "ui/output_sheet.h"

#include <iterator>

#include "app/base_dialog.h"
#include "texts/dialog_ids.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/dialog_texts.h"

namespace {

// The tabs in order with the UI slot of each label and the English label the
// templates carry.
struct TabEntry {
    int slot;
    const char* label;
};
constexpr TabEntry kTabs[] = {
    {kUiTabAddedHtml, "Added HTML"},
    {kUiTabColours, "Document colours"},
    {kUiTabFonts, "Fonts"},
    {kUiTabHyperlinks, "Hyperlinks"},
    {kUiTabRtfDocumentDetails, "Document details"},
    {kUiTabRtfSettings, "RTF Settings"},
    {kUiTabTableGeneration, "Table generation"},
};

}  // namespace

Sheet::Sheet(BaseDialog& mainDialog, UiServices& services)
    : PolicySheet(kOutputSheetDialogId, mainDialog, kOutputLeft, services),
      hyperlinks(services),
      addedHtml(services),
      colours(services),
      fonts(services),
      table(services),
      rtfDocument(services),
      rtfSettings(services),
      pagesInLoadOrder_{&hyperlinks, &addedHtml, &colours, &fonts, &table, &rtfDocument, &rtfSettings} {
    SetCaption("Output Policies");
    OptionPage* const tabOrder[] = {&addedHtml, &colours, &fonts, &hyperlinks, &rtfDocument, &rtfSettings, &table};
    for (size_t i = 0; i < std::size(tabOrder); ++i) {
        AddPage(*tabOrder[i], kTabs[i].label);
        tabOrder[i]->AttachSheet(*this);
    }
}

void Sheet::LoadPages(FC& set, FC& second) {
    for (OptionPage* page : pagesInLoadOrder_) page->Load(set, second);
    if (HasWindow()) UpdateData(false);
}

void Sheet::StorePages(FC& target) {
    for (OptionPage* page : pagesInLoadOrder_) page->Store(target);
    Owner().policiesEdited = 1;
}

void Sheet::ResetChanged() {
    for (OptionPage* page : pagesInLoadOrder_) page->ResetChanged();
}

void Sheet::SetActivePageByTopic(int topic) {
    for (int i = 0; i < PageCount(); ++i)
        if (static_cast<OptionPage&>(Page(i)).TopicCode() == topic) {
            SetActivePage(i);
            return;
        }
    SetActivePage(addedHtml);
}

void Sheet::ChangeLanguage(int language) {
    if (!HasWindow()) return;
    for (OptionPage* page : pagesInLoadOrder_) page->ChangeLanguage(language);
    for (int i = 0; i < PageCount(); ++i) SetTabLabel(i, GetUiText(kTabs[i].slot));
    SetSheetTexts(this, kUiOutputSheetCaption);
    SetSheetLanguage(language);
}
