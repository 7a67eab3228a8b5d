#include "texts/tool_tip_texts.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "texts/tool_tip_tables.h"

namespace {

const char kNoToolTipText[] = "*** No Tool Tip text for this control ***";

// A text is one control's; a control shows one text.
constexpr bool OwnsNoText(int controlId) { return !std::ranges::binary_search(kToolTipTextOwners, controlId); }
static_assert(std::ranges::all_of(kSharedToolTipTexts, OwnsNoText, &SharedToolTipText::controlId),
              "a control owns a tip text and shows another's");
static_assert(std::ranges::adjacent_find(kSharedToolTipTexts, {}, &SharedToolTipText::controlId) ==
                  std::end(kSharedToolTipTexts),
              "a control shows the texts of two others");
static_assert(std::ranges::none_of(kSharedToolTipTexts, OwnsNoText, &SharedToolTipText::ownerId),
              "a control shows the text of a control that owns none");

int OwnerIndex(int ownerId) {
    const auto it = std::ranges::lower_bound(kToolTipTextOwners, ownerId);
    return it != std::end(kToolTipTextOwners) && *it == ownerId
               ? static_cast<int>(it - std::begin(kToolTipTextOwners))
               : -1;
}

std::span<const TextRow> ToolTipRowsFor(int code) {
    switch (code) {
        case kLanguageEnglish: return EnglishToolTipRows();
        case kLanguageGerman: return GermanToolTipRows();
        case kLanguageSpanish: return SpanishToolTipRows();
        case kLanguageFrench: return FrenchToolTipRows();
        case kLanguagePortuguese: return PortugueseToolTipRows();
        case kLanguageItalian: return ItalianToolTipRows();
        case kLanguageSwedish: return SwedishToolTipRows();
        default: return {};
    }
}

}  // namespace

int ToolTipTexts::TextIndexOf(int controlId) {
    const auto shared = std::ranges::lower_bound(kSharedToolTipTexts, controlId, {}, &SharedToolTipText::controlId);
    if (shared != std::end(kSharedToolTipTexts) && shared->controlId == controlId)
        return OwnerIndex(shared->ownerId);
    return OwnerIndex(controlId);
}

ToolTipTexts::ToolTipTexts() : texts_(kTextCount, kNoLanguage, ToolTipRowsFor, OwnerIndex) {}

void ToolTipTexts::SetLanguage(int code) {
    if (code == texts_.CurrentLanguage()) return;
    // Unknown codes load English and are remembered as English, so choosing
    // English afterwards loads nothing again.
    if (code != kLanguageKeep && !IsTranslationCode(code)) code = kLanguageEnglish;
    texts_.SetLanguage(code);
    if (code != kLanguageKeep) languageChosen_ = true;
}

const char* ToolTipTexts::GetText(int controlId) {
    // -1 keeps what is loaded; with nothing chosen yet, the tips are English.
    if (texts_.CurrentLanguage() == kLanguageKeep && !languageChosen_) SetLanguage(kLanguageEnglish);
    const int index = TextIndexOf(controlId);
    return index < 0 ? kNoToolTipText : texts_.Text(index);
}

ToolTipTexts& TheToolTipTexts() {
    static ToolTipTexts table;
    return table;
}

const char* GetToolTipText(int controlId) { return TheToolTipTexts().GetText(controlId); }

void SetToolTipLanguage(int code) { TheToolTipTexts().SetLanguage(code); }
