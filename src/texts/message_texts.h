// Built-in texts of the application shell (message boxes, folder choosers,
// file-dialog filters, choice lists and the conversion log) in the current
// user-interface language.
//
// Texts are looked up by slot number.  Some carry placeholders ("xxxxxx",
// "ffffff", "ccc", "url", "nnn") that the caller fills in after the lookup;
// FillMessagePlaceholders does that safely for several at once.
#pragma once

#include <initializer_list>
#include <utility>

#include "foundation/text_string.h"
#include "texts/language_texts.h"

class MessageTextTable {
public:
    static constexpr int kSlotCount = 116;
    static constexpr int kNoLanguage = -2;

    MessageTextTable();

    // The text of a slot; "???" outside 0..kSlotCount-1.  Loads English first
    // when no language has been chosen yet.  The text stays valid until the
    // next language change.
    const char* GetText(int slot);

    // Records the code and loads its language: 2..7 that language over the
    // English texts, -1 nothing (English when nothing was ever loaded, so no
    // slot in use is ever empty), any other code English.  Nothing happens
    // when the code equals the current one.
    void SetLanguage(int code);

    int CurrentLanguage() const { return texts_.CurrentLanguage(); }

private:
    LanguageTexts texts_;
};

// The program's one table.
MessageTextTable& TheMessageTextTable();

const char* GetMessageText(int slot);
void SetMessageLanguage(int code);

// Replaces the first occurrence of each placeholder (case-sensitive) in
// `text` by its value.  All placeholders are found in the text as it was
// before any filling, so a value that happens to contain another placeholder
// (a command "curl" holds "url") is never itself rewritten.
void FillMessagePlaceholders(TextString& text, std::initializer_list<std::pair<const char*, const char*>> values);
