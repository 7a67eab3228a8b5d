// A history of texts (the settings' array, most recent first) shown in the
// list of a combo box of a dialog model.  The rules of the history (the
// newest on top, each text once, letter case ignored when comparing) are
// those of texts/combo_history.h; these operations move a history between
// the settings' array and the control.
#pragma once

#include "foundation/text_string.h"

class DialogModel;

// The combo box's list becomes the non-empty entries of the first `count`
// entries of `history`, in order.
void FillComboFromHistory(DialogModel& dialog, int comboId, const TextString* history, int count);

// Moves `text` to the top of the combo box's list (an equal entry, letter
// case ignored, is taken out first); an empty text changes nothing.
void PutOnTopOfCombo(DialogModel& dialog, int comboId, const char* text);

// Entry i of `history` becomes entry i of the combo box's list, or empty
// when the list has no entry i; entries past `count` are not kept.
void ReadComboToHistory(const DialogModel& dialog, int comboId, TextString* history, int count);
