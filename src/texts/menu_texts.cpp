#include "texts/menu_texts.h"

#include <span>

#include "texts/menu_text_tables.h"

namespace {

std::span<const TextRow> MenuRowsFor(int code) {
    switch (code) {
        case kLanguageEnglish: return EnglishMenuRows();
        case kLanguageGerman: return GermanMenuRows();
        case kLanguageSpanish: return SpanishMenuRows();
        case kLanguageFrench: return FrenchMenuRows();
        case kLanguagePortuguese: return PortugueseMenuRows();
        case kLanguageItalian: return ItalianMenuRows();
        case kLanguageSwedish: return SwedishMenuRows();
        default: return {};
    }
}

}  // namespace

MenuTextTable::MenuTextTable() : texts_(kSlotCount, kNoLanguage, MenuRowsFor) {}

const char* MenuTextTable::GetText(int slot) const { return texts_.Text(slot); }

void MenuTextTable::SetLanguage(int code) { texts_.SetLanguage(code); }

MenuTextTable& TheMenuTextTable() {
    static MenuTextTable table;
    return table;
}

const char* GetMenuText(int slot) { return TheMenuTextTable().GetText(slot); }

void SetMenuLanguage(int code) { TheMenuTextTable().SetLanguage(code); }
