// What a user does to the controls of a modeless dialog or page, for tests
// that drive a property sheet without a modal run: each action changes the
// control as the front end would and then notifies the events the front end
// sends, focus loss included.
#pragma once

#include "ui/dialog_model.h"

// Types `text` into an edit or the edit part of a combo box, then leaves it.
inline void TypeInto(DialogModel& dialog, int id, const char* text) {
    dialog.SetControlText(id, text);
    const DialogControl* control = dialog.Control(id);
    const bool combo = control != nullptr && control->kind == ControlKind::kComboBox;
    dialog.Notify(id, combo ? NotifyEvent::kEditChanged : NotifyEvent::kTextChanged);
    dialog.Notify(id, NotifyEvent::kFocusLost);
}

// Types `text` without leaving the field.
inline void TypeOnly(DialogModel& dialog, int id, const char* text) {
    dialog.SetControlText(id, text);
    dialog.Notify(id, NotifyEvent::kTextChanged);
}

// Sets a check box to `checked` with a click.
inline void SetCheck(DialogModel& dialog, int id, bool checked) {
    dialog.SetChecked(id, checked);
    dialog.Notify(id, NotifyEvent::kClicked);
}

// Clicks radio button `id` of the group first..last.
inline void ChooseRadio(DialogModel& dialog, int first, int last, int id) {
    dialog.CheckRadioButton(first, last, id);
    dialog.Notify(id, NotifyEvent::kClicked);
}

// Picks entry `index` of a list or combo box.
inline void Pick(DialogModel& dialog, int id, int index) {
    dialog.SetSelection(id, index);
    dialog.Notify(id, NotifyEvent::kSelectionEnded);
    dialog.Notify(id, NotifyEvent::kListClosed);
}

// Moves slider `id` to `value` as the user drags it.
inline void MoveSlider(DialogModel& dialog, int id, int value) {
    dialog.SetValue(id, value);
    dialog.Notify(id, NotifyEvent::kSliderMoved);
}

inline void Press(DialogModel& dialog, int id) { dialog.Notify(id, NotifyEvent::kClicked); }
