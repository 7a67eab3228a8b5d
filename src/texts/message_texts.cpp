#include "texts/message_texts.h"

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "texts/message_tables.h"

namespace {

std::span<const TextRow> MessageRowsFor(int code) {
    switch (code) {
        case kLanguageEnglish: return EnglishMessageRows();
        case kLanguageGerman: return GermanMessageRows();
        case kLanguageSpanish: return SpanishMessageRows();
        case kLanguageFrench: return FrenchMessageRows();
        case kLanguagePortuguese: return PortugueseMessageRows();
        case kLanguageItalian: return ItalianMessageRows();
        case kLanguageSwedish: return SwedishMessageRows();
        default: return {};
    }
}

}  // namespace

MessageTextTable::MessageTextTable() : texts_(kSlotCount, kNoLanguage, MessageRowsFor) {}

const char* MessageTextTable::GetText(int slot) {
    if (!texts_.HoldsSlot(slot)) return texts_.Text(slot);
    if (texts_.CurrentLanguage() < kLanguageKeep) SetLanguage(kLanguageEnglish);
    return texts_.Text(slot);
}

void MessageTextTable::SetLanguage(int code) { texts_.SetLanguage(code); }

MessageTextTable& TheMessageTextTable() {
    static MessageTextTable table;
    return table;
}

const char* GetMessageText(int slot) { return TheMessageTextTable().GetText(slot); }

void SetMessageLanguage(int code) { TheMessageTextTable().SetLanguage(code); }

void FillMessagePlaceholders(TextString& text, std::initializer_list<std::pair<const char*, const char*>> values) {
    struct Hit {
        std::size_t position;
        std::size_t length;
        const char* value;
    };
    const std::string original(text.c_str(), static_cast<std::size_t>(text.length));
    std::vector<Hit> hits;
    for (const auto& [placeholder, value] : values) {
        if (!placeholder || !*placeholder) continue;
        const std::size_t at = original.find(placeholder);
        if (at == std::string::npos) continue;
        const std::size_t length = std::strlen(placeholder);
        bool overlaps = false;
        for (const Hit& hit : hits)
            if (at < hit.position + hit.length && hit.position < at + length) overlaps = true;
        if (!overlaps) hits.push_back({at, length, value ? value : ""});
    }
    std::string filled;
    std::size_t from = 0;
    while (!hits.empty()) {
        auto next = hits.begin();
        for (auto it = hits.begin(); it != hits.end(); ++it)
            if (it->position < next->position) next = it;
        filled.append(original, from, next->position - from);
        filled.append(next->value);
        from = next->position + next->length;
        hits.erase(next);
    }
    filled.append(original, from, std::string::npos);
    text = TextString(std::string_view(filled));
}
