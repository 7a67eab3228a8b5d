// Histories of the texts entered in edit combo boxes: the most recent text
// on top, each text once.  The settings keep a history as an array of
// strings (an empty string is an unused entry); these operations move it
// between that array and the combo box's list.
#pragma once

#include <vector>

#include "foundation/text_string.h"

// The list of an edit combo box: items addressed from 0 at the top.
class ComboBoxList {
public:
    int GetCount() const { return static_cast<int>(items_.size()); }

    // The index of the first item equal to `text` (letter case counts: two
    // files "a.txt" and "A.txt" are two entries),
    // searching from the item after `startAfter` round to the start of the
    // list (so -1 or 0 searches the whole list); -1 when there is none.
    int FindStringExact(int startAfter, const char* text) const;

    // Item text; an empty text for an index with no item.
    const char* GetItemText(int index) const;

    void DeleteString(int index);
    void InsertString(int index, const char* text);  // index beyond the end appends
    void AddString(const char* text);

private:
    std::vector<TextString> items_;
};

// Moves `text` to the top of the list: an equal item is deleted and the text inserted at index 0 as given.  The list is not
// shortened.
void AddToComboHistory(ComboBoxList* combo, const char* text);

// Entry i of `history` becomes the text of item i, or empty when the list has
// no item i; items past n are not kept.
void ReadComboToList(const ComboBoxList* combo, int n, TextString* history);

// Replaces the list by the non-empty entries of `history`, in array order.
void FillComboFromList(ComboBoxList* combo, int n, const TextString* history);

// Puts a confirmed non-empty text at the top of the list and reads the first
// n items back into `history`; an empty text changes nothing.
void UpdateComboHistory(ComboBoxList* combo, int n, TextString* history, const char* text);
