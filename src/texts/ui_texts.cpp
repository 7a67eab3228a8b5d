#include "texts/ui_texts.h"

#include <span>

#include "foundation/product_identity.h"
#include "texts/ui_slots.h"
#include "texts/ui_text_tables.h"

namespace {

std::span<const TextRow> UiRowsFor(int code) {
    switch (code) {
        case kLanguageEnglish: return EnglishUiRows();
        case kLanguageGerman: return GermanUiRows();
        case kLanguageSpanish: return SpanishUiRows();
        case kLanguageFrench: return FrenchUiRows();
        case kLanguagePortuguese: return PortugueseUiRows();
        case kLanguageItalian: return ItalianUiRows();
        case kLanguageSwedish: return SwedishUiRows();
        default: return {};
    }
}

}  // namespace

UiTextTable::UiTextTable() : texts_(kSlotCount, kNoLanguage, UiRowsFor) {}

const char* UiTextTable::GetText(int slot) const { return texts_.Text(slot); }

void UiTextTable::SetLanguage(int code) {
    if (!texts_.SetLanguage(code)) return;
    // The product's addresses read the same in every language.
    TextString address;
    GetProductHomePage(address);
    texts_.Assign(kUiHomePageAddress, address);
    TextString pageName;
    GetDocumentationAddress(address, pageName);
    address.Append(pageName);
    texts_.Assign(kUiDocumentationAddress, address);
    GetContactEmailAddress(address);
    texts_.Assign(kUiContactEmailAddress, address);
}

UiTextTable& TheUiTextTable() {
    static UiTextTable table;
    return table;
}

const char* GetUiText(int slot) { return TheUiTextTable().GetText(slot); }

void SetUiLanguage(int code) { TheUiTextTable().SetLanguage(code); }
