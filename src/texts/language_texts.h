// The language machinery shared by the user-interface text tables (message
// texts, UI texts): numbered slots holding the texts of one language at a
// time, loaded from constant rows.
//
// Every table keeps English underneath: choosing a language first makes sure
// the English texts are in every slot, then lays the language's own rows over
// them.  A slot a translation lacks therefore shows English, whatever was
// loaded before, and no slot the program reads is ever empty once any
// language has been chosen.  Texts are UTF-8.
#pragma once

#include <span>
#include <vector>

#include "foundation/text_string.h"

// Language codes shared by the user-interface text tables.
enum LanguageCode : int {
    kLanguageKeep = -1,  // keep the texts that are loaded
    kLanguageEnglish = 1,
    kLanguageGerman = 2,
    kLanguageSpanish = 3,
    kLanguageFrench = 4,
    kLanguagePortuguese = 5,
    kLanguageItalian = 6,
    kLanguageSwedish = 7,
};

// True for the codes of the languages laid over English (German..Swedish).
inline bool IsTranslationCode(int code) { return code >= kLanguageGerman && code <= kLanguageSwedish; }

// One constant text of a table in one language.  `slot` is the slot the text
// goes to, or for a table keyed otherwise (the tool-tip texts: by control id)
// the key the table turns into its slot.
struct TextRow {
    int slot;
    const char* text;
};

// A table's rows for a language code of kLanguageEnglish..kLanguageSwedish.
using LanguageRowsFunction = std::span<const TextRow> (*)(int languageCode);

// Turns a row's key into the table's slot; -1 for a key without a slot.
using RowSlotFunction = int (*)(int key);

class LanguageTexts {
public:
    // `slotCount` empty slots; `startCode` is the current code before any
    // choice.  Rows name their slots unless `slotOf` turns their keys into
    // slots.
    LanguageTexts(int slotCount, int startCode, LanguageRowsFunction rowsOf, RowSlotFunction slotOf = nullptr);

    bool HoldsSlot(int slot) const { return slot >= 0 && slot < static_cast<int>(slots_.size()); }

    // The slot's text; "???" outside the table.
    const char* Text(int slot) const;

    // Sets a slot that no language's rows set (a text built at run time).
    void Assign(int slot, const TextString& text);

    // Records the code and loads: 2..7 that language over English, -1
    // nothing (English when nothing was ever loaded), any other code
    // English.  Nothing happens when the code equals the current one.
    // True when texts were loaded.
    bool SetLanguage(int code);

    int CurrentLanguage() const { return currentCode_; }

private:
    void LoadRows(std::span<const TextRow> rows);
    void LoadEnglishBase();

    std::vector<TextString> slots_;
    int currentCode_;
    bool anyLoaded_ = false;
    LanguageRowsFunction rowsOf_;
    RowSlotFunction slotOf_;
};
