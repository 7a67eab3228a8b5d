#include "ui/dialog_texts.h"

#include "foundation/product_identity.h"
#include "foundation/text_string.h"
#include "texts/dialog_ids.h"
#include "texts/dialog_texts.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/dialog_model.h"

namespace {

// The UI slots of a sheet's standard buttons.
struct SheetButtonLabel {
    int controlId;
    int slot;
};
constexpr SheetButtonLabel kSheetButtonLabels[] = {
    {kIdOk, kUiSheetOk},
    {kIdCancel, kUiSheetCancel},
    {kIdApply, kUiSheetApply},
    {kIdHelp, kUiSheetHelp},
};

// What a text says where the product's name goes.
constexpr char kProductNameToken[] = "qqqqqqqq";

bool CanLabel(const DialogModel* dialog) { return dialog != nullptr && dialog->HasWindow(); }

}  // namespace

void SetDialogCaption(DialogModel* dialog, int slot) {
    if (!CanLabel(dialog)) return;
    dialog->SetCaption(GetUiText(slot));
}

void SetProductCaption(DialogModel* dialog, int slot) {
    if (!CanLabel(dialog)) return;
    TextString name, shortVersion, fullVersion;
    GetProductInfo(name, shortVersion, fullVersion);
    TextString caption(GetUiText(slot));
    caption.Replace(kProductNameToken, name.buffer, -1, 1);
    dialog->SetCaption(caption.buffer);
}

void SetDialogItemText(DialogModel* dialog, int controlId, int slot) {
    if (!CanLabel(dialog) || !dialog->HasControl(controlId)) return;
    dialog->SetControlText(controlId, GetUiText(slot));
}

void SetSheetTexts(DialogModel* sheet, int captionSlot) {
    if (!CanLabel(sheet)) return;
    SetDialogCaption(sheet, captionSlot);
    for (const SheetButtonLabel& label : kSheetButtonLabels) SetDialogItemText(sheet, label.controlId, label.slot);
}

void ApplyDialogTexts(DialogModel* dialog, int dialogId) {
    const DialogTextEntry* entry = FindDialogTexts(dialogId);
    if (entry == nullptr || !CanLabel(dialog)) return;
    if (entry->captionSlot != kNoCaptionSlot) SetDialogCaption(dialog, entry->captionSlot);
    for (const DialogTextItem& item : entry->items) SetDialogItemText(dialog, item.controlId, item.slot);
    for (const ExtraDialogText& extra : ExtraDialogTexts()) {
        if (extra.dialogId == dialogId && dialog->HasControl(extra.controlId))
            dialog->SetControlText(extra.controlId, ExtraDialogTextInForce(extra));
    }
}

TextString DialogItemTextInForce(const DialogModel& dialog, int controlId) {
    if (const DialogTextEntry* entry = FindDialogTexts(dialog.TemplateId())) {
        for (const DialogTextItem& item : entry->items)
            if (item.controlId == controlId) return TextString(GetUiText(item.slot));
    }
    for (const ExtraDialogText& extra : ExtraDialogTexts()) {
        if (extra.dialogId == dialog.TemplateId() && extra.controlId == controlId)
            return TextString(ExtraDialogTextInForce(extra));
    }
    return TextString(dialog.ControlText(controlId));
}
