// The texts of the main dialog's menu bar, its drop-down menus and their
// items in the current user-interface language.
//
// The menu carries English labels of its own; the main dialog's language
// switch relabels it from this table (texts/main_menu_layout.h says which
// slot labels which entry).  Texts carry "&" before the access key.
#pragma once

#include "texts/language_texts.h"

class MenuTextTable {
public:
    static constexpr int kSlotCount = 135;
    // The current code before any language is chosen: no texts are loaded
    // and choosing this code again loads nothing.
    static constexpr int kNoLanguage = 0;

    MenuTextTable();

    // The text of a slot; "???" outside 0..kSlotCount-1, an empty text while
    // no language has been chosen.  Never loads a language.  The text stays
    // valid until the next language change.
    const char* GetText(int slot) const;

    // Records the code and loads its language: 2..7 that language over the
    // English texts, -1 nothing (English when nothing was ever loaded), any
    // other code English.  Nothing happens when the code equals the current
    // one.
    void SetLanguage(int code);

    int CurrentLanguage() const { return texts_.CurrentLanguage(); }

private:
    LanguageTexts texts_;
};

// The program's one table.
MenuTextTable& TheMenuTextTable();

const char* GetMenuText(int slot);
void SetMenuLanguage(int code);
