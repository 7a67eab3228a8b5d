#include "texts/language_texts.h"

namespace {

const char kBadSlotText[] = "???";

}  // namespace

LanguageTexts::LanguageTexts(int slotCount, int startCode, LanguageRowsFunction rowsOf, RowSlotFunction slotOf)
    : slots_(static_cast<size_t>(slotCount)), currentCode_(startCode), rowsOf_(rowsOf), slotOf_(slotOf) {}

const char* LanguageTexts::Text(int slot) const {
    return HoldsSlot(slot) ? slots_[static_cast<size_t>(slot)].c_str() : kBadSlotText;
}

void LanguageTexts::Assign(int slot, const TextString& text) {
    if (HoldsSlot(slot)) slots_[static_cast<size_t>(slot)] = text;
}

void LanguageTexts::LoadRows(std::span<const TextRow> rows) {
    for (const TextRow& row : rows) {
        const int slot = slotOf_ ? slotOf_(row.slot) : row.slot;
        if (HoldsSlot(slot)) slots_[static_cast<size_t>(slot)] = row.text;
    }
}

void LanguageTexts::LoadEnglishBase() {
    LoadRows(rowsOf_(kLanguageEnglish));
    anyLoaded_ = true;
}

bool LanguageTexts::SetLanguage(int code) {
    if (code == currentCode_) return false;
    currentCode_ = code;
    if (code == kLanguageKeep) {
        if (anyLoaded_) return false;
        LoadEnglishBase();
        return true;
    }
    LoadEnglishBase();
    if (IsTranslationCode(code)) LoadRows(rowsOf_(code));
    return true;
}
