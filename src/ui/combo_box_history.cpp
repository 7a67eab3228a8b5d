#include "ui/combo_box_history.h"

#include <vector>

#include "texts/combo_history.h"
#include "ui/dialog_model.h"

namespace {

ComboBoxList ListOfControl(const DialogModel& dialog, int comboId) {
    ComboBoxList list;
    if (const DialogControl* control = dialog.Control(comboId))
        for (const TextString& item : control->items) list.AddString(item.buffer);
    return list;
}

std::vector<TextString> ItemsOfList(const ComboBoxList& list) {
    std::vector<TextString> items;
    items.reserve(static_cast<size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) items.emplace_back(list.GetItemText(i));
    return items;
}

}  // namespace

void FillComboFromHistory(DialogModel& dialog, int comboId, const TextString* history, int count) {
    ComboBoxList list;
    FillComboFromList(&list, count, history);
    dialog.SetItems(comboId, ItemsOfList(list));
}

void PutOnTopOfCombo(DialogModel& dialog, int comboId, const char* text) {
    if (text == nullptr || text[0] == '\0' || !dialog.HasControl(comboId)) return;
    ComboBoxList list = ListOfControl(dialog, comboId);
    AddToComboHistory(&list, text);
    dialog.SetItems(comboId, ItemsOfList(list));
}

void ReadComboToHistory(const DialogModel& dialog, int comboId, TextString* history, int count) {
    const ComboBoxList list = ListOfControl(dialog, comboId);
    ReadComboToList(&list, count, history);
}
