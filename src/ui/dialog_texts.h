// Labelling dialogs in the user-interface language.
//
// The templates carry English placeholders; these operations put the texts of
// the current language on a dialog, a page or a sheet.  Each takes the dialog
// as a pointer: a dialog object that is not there, or that has no window yet,
// is passed over without a word, and so is a control the dialog does not
// have (the remaining labels are still set).  Because the texts come from the
// current language, the same call after a language change relabels the
// dialog in the new one.
#pragma once

#include "foundation/text_string.h"

class DialogModel;

// The dialog's caption becomes the text of UI slot `slot`.
void SetDialogCaption(DialogModel* dialog, int slot);

// The dialog's caption becomes the text of UI slot `slot` with the
// product-name token "qqqqqqqq" replaced by the running product's name.
void SetProductCaption(DialogModel* dialog, int slot);

// The text of control `controlId` becomes the text of UI slot `slot`.
void SetDialogItemText(DialogModel* dialog, int controlId, int slot);

// A property sheet's caption from `captionSlot`, and the labels of the
// standard buttons it has: OK, Cancel, Apply and Help.
void SetSheetTexts(DialogModel* sheet, int captionSlot);

// Relabels a dialog from the per-dialog table: its caption (when the table
// gives one), then each listed control in order, then the controls the
// table pairs with no slot (ExtraDialogTexts).  An id the table does not
// hold changes nothing.
void ApplyDialogTexts(DialogModel* dialog, int dialogId);

// The text control `controlId` shows once `dialog` is labelled in the
// language in force: the per-dialog table's text when the table lists the
// control (or its extra pairs do), else the control's own.  A front end sizes a page that has no
// window yet by it.
TextString DialogItemTextInForce(const DialogModel& dialog, int controlId);
