#include "ui/base_sheet.h"

#include "app/base_dialog.h"

BaseSheet::BaseSheet(int templateId, BaseDialog& mainDialog, WindowPositionIndex leftSlot, UiServices& services)
    : SheetModel(templateId, services), owner_(mainDialog), leftSlot_(leftSlot) {}

void BaseSheet::OnInitDialog() {
    SheetModel::OnInitDialog();
    if (sheetLanguage_ != owner_.LanguageCode) ChangeLanguage(owner_.LanguageCode);
    Place();
    SetActivePageByTopic(topicCode_);
}

void BaseSheet::Open(FC& target, FC& set, FC& second, int topic) {
    target_ = &target;
    LoadPages(set, second);
    if (HasWindow()) {
        RaiseWindow();
    } else {
        SetModalRun(false);
        CreateWindow();
        ShowWindow();
    }
    SetActivePageByTopic(topic);
}

void BaseSheet::OnSheetCancel() {
    SavePosition();
    ResetChanged();
    ClearChangesPending();
}

void BaseSheet::Place() {
    const int* positions = owner_.settings.windowPositions;
    const int left = positions[leftSlot_];
    const int top = positions[leftSlot_ + 1];
    if (left >= 0 && top >= 0) {
        PlaceOnDesktop(left, top);
        return;
    }
    const DesktopSize desktop = Services().GetDesktopSize();
    PlaceOnDesktop(desktop.width - Rect().width - kDesktopMargin, desktop.height - Rect().height - kDesktopMargin);
}

void BaseSheet::SavePosition() {
    int* positions = owner_.settings.windowPositions;
    positions[leftSlot_] = Rect().left;
    positions[leftSlot_ + 1] = Rect().top;
}

bool PolicySheet::OnSheetOk() {
    if (Target() != nullptr && ChangesPending()) {
        StorePages(*Target());
        ClearChangesPending();
    }
    SavePosition();
    return true;
}

bool PolicySheet::OnSheetApply() {
    if (Target() != nullptr) StorePages(*Target());
    ClearChangesPending();
    return true;
}
