// The texts of dialog captions, control labels, property-sheet captions, tab
// labels and sheet buttons in the current user-interface language.
//
// The dialogs carry English labels of their own; they are relabelled from
// this table when they are set up and whenever the language changes (the
// per-dialog table, texts/dialog_texts.h, says which slot labels which
// control).  Some texts carry the product-name token "qqqqqqqq", which the
// caller that shows them replaces by the product's name.
#pragma once

#include "texts/language_texts.h"

// The label texts: the few control labels that the per-dialog table pairs
// with no UI-text slot (texts/dialog_texts.h, ExtraDialogTexts), kept
// beside the UI texts under numbers of their own, in the same language.
enum LabelTextSlot : int {
    kLabelTableAlignment = 0,  // the Table generation page's "Table alignment"
    kLabelMirrorMargins = 1,  // the RTF Settings page's "Mirror Margins"
};

class UiTextTable {
public:
    static constexpr int kSlotCount = 655;
    // The label texts' numbers run from 0 to kLabelSlotCount - 1.
    static constexpr int kLabelSlotCount = 2;
    // The current code before any language is chosen: no texts are loaded
    // and choosing this code again loads nothing.
    static constexpr int kNoLanguage = 0;

    UiTextTable();

    // The text of a slot; "???" outside 0..kSlotCount-1, an empty text while
    // no language has been chosen.  Never loads a language.  The text stays
    // valid until the next language change.
    const char* GetText(int slot) const;
    // The label text of a LabelTextSlot in the current language; "???" for
    // another number.
    const char* GetLabel(int slot) const;

    // Records the code and loads its language, label texts included: 2..7
    // that language over the English texts, -1 nothing (English when nothing
    // was ever loaded, so no slot in use is ever empty), any other code
    // English.  Nothing happens when the code equals the current one.
    void SetLanguage(int code);

    int CurrentLanguage() const { return texts_.CurrentLanguage(); }

private:
    LanguageTexts texts_;
    LanguageTexts labels_;
};

// The program's one table.
UiTextTable& TheUiTextTable();

const char* GetUiText(int slot);
const char* GetLabelText(int slot);
void SetUiLanguage(int code);
