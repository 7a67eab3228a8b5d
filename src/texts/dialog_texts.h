// The per-dialog text table: for each dialog template of the program, the
// UI-text slot (texts/ui_texts.h) that becomes the dialog's caption and the
// slot that becomes the text of each of its controls.
//
// The entries of the property sheets' pages are made from the pages'
// tables (texts/page_texts.h): a page's pairs are its rows labelled by a
// UI slot, in row order; the other dialogs' pairs are listed in
// dialog_texts.cpp.
//
// A dialog or page is relabelled from its entry when it is set up and
// whenever the language changes; the labels of the templates are only
// placeholders until then.  One slot may label several controls of a dialog.
#pragma once

#include <span>

// The caption slot of a dialog whose caption is set elsewhere.
inline constexpr int kNoCaptionSlot = -1;

struct DialogTextItem {
    int controlId;
    int slot;
};

struct DialogTextEntry {
    int dialogId;
    int captionSlot;  // kNoCaptionSlot: the caption is left alone
    std::span<const DialogTextItem> items;  // in the order they are applied
};

// The entry of a dialog template id; null for an id the table does not hold.
const DialogTextEntry* FindDialogTexts(int dialogId);

// Beside the table: the few controls it pairs with no slot, so that they
// too are labelled in every language (the pages' rows labelled beside it).
// Each takes a UI-text slot or a label text of its own (texts/ui_texts.h,
// GetLabelText); a dialog applies them after the table's own pairs, which
// stay as they are.
enum class ExtraTextSource { kUiText, kLabelText };

struct ExtraDialogText {
    int dialogId;
    int controlId;
    ExtraTextSource source;
    int slot;  // a UI-text slot, or a LabelTextSlot
};

// Every extra pair, grouped by dialog, in the order they are applied.
std::span<const ExtraDialogText> ExtraDialogTexts();
// The text of an extra pair in the current language.
const char* ExtraDialogTextInForce(const ExtraDialogText& item);
