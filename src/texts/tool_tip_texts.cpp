#include "texts/tool_tip_texts.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "texts/tool_tip_tables.h"

namespace {

const char kNoToolTipText[] = "*** No Tool Tip text for this control ***";

// The controls that own a text, in ascending order: a text's index is its
// owner's place in this list.  The language rows are keyed by these ids.
constexpr int kTextOwners[] = {
    1004, 1005, 1006, 1009, 1010, 1011, 1012, 1015, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1042,
    1043, 1044, 1071, 1077, 1080, 1122, 1127, 1128, 1130, 1131, 1132, 1134, 1137, 1142, 1143, 1144, 1145, 1147,
    1151, 1171, 1185, 1191, 1198, 1204, 1208, 1210, 1217, 1256, 1265, 1270, 1273, 1274, 1275, 1276, 1283, 1287,
    1288, 1289, 1301, 1302, 1303, 1304, 1305, 1309, 1310, 1311, 1313, 1316, 1446, 1452, 1455, 1456, 1457, 1458,
    1459, 1463, 1496, 1505, 1520, 1524, 1526, 1580, 1582, 1583, 1591, 1600, 1621, 2007, 2008, 2029, 2030, 9006,
};
static_assert(std::ranges::is_sorted(kTextOwners));
static_assert(std::size(kTextOwners) == ToolTipTexts::kTextCount);

// Controls that show the text of another control, in ascending order.
struct SharedText {
    int controlId;
    int ownerId;
};
constexpr SharedText kSharedTexts[] = {
    {1001, 1122}, {1003, 1505}, {1061, 1145}, {1062, 1147}, {1063, 1151}, {1072, 1520}, {1075, 1127}, {1076, 1128},
    {1078, 1077}, {1079, 1077}, {1121, 1505}, {1129, 1130}, {1150, 1144}, {1237, 1130}, {1286, 1287}, {2077, 1131},
};
static_assert(std::ranges::is_sorted(kSharedTexts, {}, &SharedText::controlId));

int OwnerIndex(int ownerId) {
    const auto it = std::ranges::lower_bound(kTextOwners, ownerId);
    return it != std::end(kTextOwners) && *it == ownerId ? static_cast<int>(it - std::begin(kTextOwners)) : -1;
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
    const auto shared = std::ranges::lower_bound(kSharedTexts, controlId, {}, &SharedText::controlId);
    if (shared != std::end(kSharedTexts) && shared->controlId == controlId) return OwnerIndex(shared->ownerId);
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
