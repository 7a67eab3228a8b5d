#include "texts/combo_history.h"

int ComboBoxList::FindStringExact(int startAfter, const char* text) const {
    const int count = GetCount();
    if (!text || count == 0) return -1;
    int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (items_[static_cast<std::size_t>(index)].Matches(text, 1, 0)) return index;
    }
    return -1;
}

const char* ComboBoxList::GetItemText(int index) const {
    if (index < 0 || index >= GetCount()) return "";
    return items_[static_cast<std::size_t>(index)].c_str();
}

void ComboBoxList::DeleteString(int index) {
    if (index < 0 || index >= GetCount()) return;
    items_.erase(items_.begin() + index);
}

void ComboBoxList::InsertString(int index, const char* text) {
    if (index < 0 || index > GetCount()) index = GetCount();
    items_.insert(items_.begin() + index, TextString(text ? text : ""));
}

void ComboBoxList::AddString(const char* text) { items_.emplace_back(text ? text : ""); }

void AddToComboHistory(ComboBoxList* combo, const char* text) {
    if (!combo || !text) return;
    const int found = combo->FindStringExact(0, text);
    if (found >= 0) combo->DeleteString(found);
    combo->InsertString(0, text);
}

void ReadComboToList(const ComboBoxList* combo, int n, TextString* history) {
    if (!combo || !history) return;
    for (int i = 0; i < n; ++i) history[i] = combo->GetItemText(i);
}

void FillComboFromList(ComboBoxList* combo, int n, const TextString* history) {
    if (!combo) return;
    while (combo->GetCount() > 0) combo->DeleteString(0);
    if (!history) return;
    for (int i = 0; i < n; ++i)
        if (history[i].length > 0) combo->AddString(history[i].c_str());
}

void UpdateComboHistory(ComboBoxList* combo, int n, TextString* history, const char* text) {
    if (!text || !*text) return;
    AddToComboHistory(combo, text);
    ReadComboToList(combo, n, history);
}
