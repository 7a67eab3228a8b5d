#include "texts/ui_texts.h"

#include <span>

#include "foundation/product_identity.h"
#include "texts/label_text_tables.h"
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

std::span<const TextRow> LabelRowsFor(int code) {
    switch (code) {
        case kLanguageEnglish: return EnglishLabelRows();
        case kLanguageGerman: return GermanLabelRows();
        case kLanguageSpanish: return SpanishLabelRows();
        case kLanguageFrench: return FrenchLabelRows();
        case kLanguagePortuguese: return PortugueseLabelRows();
        case kLanguageItalian: return ItalianLabelRows();
        case kLanguageSwedish: return SwedishLabelRows();
        default: return {};
    }
}

}  // namespace

UiTextTable::UiTextTable()
    : texts_(kSlotCount, kNoLanguage, UiRowsFor), labels_(kLabelSlotCount, kNoLanguage, LabelRowsFor) {}

const char* UiTextTable::GetText(int slot) const { return texts_.Text(slot); }

const char* UiTextTable::GetLabel(int slot) const { return labels_.Text(slot); }

void UiTextTable::SetLanguage(int code) {
    labels_.SetLanguage(code);
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

const char* GetLabelText(int slot) { return TheUiTextTable().GetLabel(slot); }

void SetUiLanguage(int code) { TheUiTextTable().SetLanguage(code); }
