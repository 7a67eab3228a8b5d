#include "ui/settings_sheet.h"

#include <iterator>

#include "app/base_dialog.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/dialog_texts.h"
#include "ui/menu_model.h"

namespace {

// The tabs in order with the UI slot of each label and the English label the
// templates carry.
struct TabEntry {
    int slot;
    const char* label;
};
constexpr TabEntry kTabs[] = {
    {kUiTabDocumentation, "Documentation"}, {kUiTabDragAndDrop, "Drag'n'Drop"}, {kUiTabMessages, "Messages"},
    {kUiTabPolicyFiles, "Policy files"},    {kUiTabViewers, "Viewers"},
};

}  // namespace

SheetSettings::SheetSettings(MainDialog& mainDialog, UiServices& services, MenuModel* menu)
    : BaseSheet(kSettingsSheetDialogId, mainDialog, kSettingsLeft, services),
      doco(services),
      drag(services),
      messages(services),
      policy(services),
      viewer(services),
      menu_(menu) {
    SetCaption("Program Settings");
    OptionPage* const tabOrder[] = {&doco, &drag, &messages, &policy, &viewer};
    for (size_t i = 0; i < std::size(tabOrder); ++i) {
        AddPage(*tabOrder[i], kTabs[i].label);
        tabOrder[i]->AttachSheet(*this);
    }
    policy.SetMainDialog(mainDialog);
}

void SheetSettings::LoadPages(FC& set, FC& second) {
    OptionPage* const loadOrder[] = {&policy, &viewer, &drag, &doco, &messages};
    for (OptionPage* page : loadOrder) page->Load(set, second);
    if (HasWindow()) UpdateData(false);
}

bool SheetSettings::StorePages() {
    if (!policy.AcceptFile()) return false;
    const bool policiesChanged = ChangesPending();
    // The settings pages store into the settings; the set is the Messages
    // page's.
    FC& set = Target() != nullptr ? *Target() : Owner().WorkingSet();
    policy.Store(set);
    viewer.Store(set);
    drag.Store(set);
    doco.Store(set);
    if (Target() != nullptr) messages.Store(*Target());
    if (menu_ != nullptr) menu_->CheckCommand(kCommandAutoViewResults, Owner().settings.autoDdeUpdates);
    if (policiesChanged) Owner().policiesEdited = 1;
    ClearChangesPending();
    return true;
}

void SheetSettings::ResetChanged() {
    for (int i = 0; i < PageCount(); ++i) static_cast<OptionPage&>(Page(i)).ResetChanged();
    ClearChangesPending();
}

bool SheetSettings::AnyPageChanged() const {
    return doco.SettingsChanged() || drag.SettingsChanged() || policy.SettingsChanged() ||
           viewer.SettingsChanged() || messages.MessagesChanged();
}

void SheetSettings::SetActivePageByTopic(int topic) {
    for (int i = 0; i < PageCount(); ++i)
        if (static_cast<OptionPage&>(Page(i)).TopicCode() == topic) {
            SetActivePage(i);
            return;
        }
    SetActivePage(viewer);
}

void SheetSettings::ChangeLanguage(int language) {
    if (!HasWindow()) return;
    for (int i = 0; i < PageCount(); ++i) static_cast<OptionPage&>(Page(i)).ChangeLanguage(language);
    for (int i = 0; i < PageCount(); ++i) SetTabLabel(i, GetUiText(kTabs[i].slot));
    SetSheetTexts(this, kUiSettingsSheetCaption);
    SetSheetLanguage(language);
}

void SheetSettings::OnInitDialog() {
    BaseSheet::OnInitDialog();
    // Without a saved position the sheet stands a little right of and below
    // the desktop's centre.
    const int* positions = Owner().settings.windowPositions;
    if (positions[kSettingsLeft] >= 0 && positions[kSettingsTop] >= 0) return;
    const DesktopSize desktop = Services().GetDesktopSize();
    PlaceOnDesktop((desktop.width - Rect().width) / 2 + kCentreOffsetX,
                   (desktop.height - Rect().height) / 2 + kCentreOffsetY);
}

// What OK and Apply store is saved at once, not only at the next run or
// when the program ends.
bool SheetSettings::OnSheetOk() {
    if ((ChangesPending() || AnyPageChanged()) && !StorePages()) return false;
    SavePosition();
    Owner().settings.SaveSettings();
    return true;
}

bool SheetSettings::OnSheetApply() {
    if (!StorePages()) return false;
    Owner().settings.SaveSettings();
    return true;
}
