#include "ui/sheet_model.h"

SheetModel::SheetModel(int templateId, UiServices& services, ApplyButton apply) : DialogModel(templateId, services) {
    AddControl(kIdTabControl, ControlKind::kTabs);
    AddControl(kIdOk, ControlKind::kPushButton, "OK");
    AddControl(kIdCancel, ControlKind::kPushButton, "Cancel");
    AddControl(kIdHelp, ControlKind::kPushButton, "Help");
    if (apply == ApplyButton::kWith) {
        AddControl(kIdApply, ControlKind::kPushButton, "Apply");
        On(kIdApply, NotifyEvent::kClicked, [this] { Apply(); });
    }
    On(kIdTabControl, NotifyEvent::kSelectionEnded, [this] { TabChosen(); });
    On(kIdTabControl, NotifyEvent::kNextTab, [this] { StepTabs(1); });
    On(kIdTabControl, NotifyEvent::kPreviousTab, [this] { StepTabs(-1); });
}

void SheetModel::AddPage(DialogModel& page, const char* tabLabel) {
    pages_.push_back(&page);
    AddItem(kIdTabControl, tabLabel);
    if (activePage_ < 0) {
        activePage_ = 0;
        SetSelection(kIdTabControl, activePage_);
    }
}

int SheetModel::PageIndex(const DialogModel& page) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i] == &page) return static_cast<int>(i);
    return -1;
}

const char* SheetModel::TabLabel(int index) const {
    const DialogControl* tabs = Control(kIdTabControl);
    if (index < 0 || index >= static_cast<int>(tabs->items.size())) return "";
    return tabs->items[static_cast<size_t>(index)].c_str();
}

void SheetModel::SetTabLabel(int index, const char* label) {
    DialogControl* tabs = MutableControl(kIdTabControl);
    if (index < 0 || index >= static_cast<int>(tabs->items.size())) return;
    tabs->items[static_cast<size_t>(index)] = label;
    ControlChanged(kIdTabControl);
}

DialogModel* SheetModel::ActivePage() const {
    return activePage_ < 0 ? nullptr : pages_[static_cast<size_t>(activePage_)];
}

bool SheetModel::SetActivePage(int index) {
    if (index < 0 || index >= PageCount()) return false;
    if (!HasWindow() || index == activePage_) {
        activePage_ = index;
        SetSelection(kIdTabControl, activePage_);
        return true;
    }
    DialogModel* leaving = ActivePage();
    if (leaving != nullptr && leaving->HasWindow()) {
        if (!leaving->UpdateData(true)) {
            SetSelection(kIdTabControl, activePage_);
            return false;
        }
        leaving->Notify(kWholeDialog, NotifyEvent::kPageLeft);
        leaving->HideWindow();
    }
    activePage_ = index;
    SetSelection(kIdTabControl, activePage_);
    ShowActivePage();
    return true;
}

void SheetModel::TabChosen() {
    if (!SetActivePage(Selection(kIdTabControl))) SetSelection(kIdTabControl, activePage_);
}

void SheetModel::StepTabs(int step) {
    const int count = PageCount();
    if (count < 2 || activePage_ < 0) return;
    SetSelection(kIdTabControl, ((activePage_ + step) % count + count) % count);
    TabChosen();
}

void SheetModel::ShowActivePage() {
    DialogModel* page = ActivePage();
    if (page == nullptr) return;
    page->CreateWindow();
    page->ShowWindow();
    page->Notify(kWholeDialog, NotifyEvent::kPageActivated);
}

void SheetModel::SetModified(bool mark) {
    if (HasWindow()) EnableControl(kIdApply, true);
    if (mark) changesPending_ = true;
}

void SheetModel::OnInitDialog() {
    // A modeless sheet closed before opens afresh.
    if (!IsModalRun()) ResetEnding();
    EnableControl(kIdApply, false);
    SetSelection(kIdTabControl, activePage_);
    ShowActivePage();
}

void SheetModel::OnDestroy() {
    for (DialogModel* page : pages_) page->DestroyWindow();
}

bool SheetModel::ActivePageAccepts() {
    DialogModel* page = ActivePage();
    return page == nullptr || page->UpdateData(true);
}

void SheetModel::OnOk() {
    if (!ActivePageAccepts() || !OnSheetOk()) return;
    Close(kIdOk);
}

void SheetModel::OnCancel() {
    OnSheetCancel();
    Close(kIdCancel);
}

void SheetModel::Apply() {
    if (!IsEnabled(kIdApply) || !ActivePageAccepts()) return;
    if (OnSheetApply()) EnableControl(kIdApply, false);
}

void SheetModel::Close(int resultId) {
    EndDialog(resultId);
    if (!IsModalRun()) DestroyWindow();
}
