#include "texts/dialog_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "texts/dialog_ids.h"
#include "texts/ui_texts.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

Pairs PairsOf(const DialogTextEntry& entry) {
    Pairs pairs;
    for (const DialogTextItem& item : entry.items) pairs.emplace_back(item.controlId, item.slot);
    return pairs;
}

TEST(DialogTexts, EntriesHoldTheirPairsInOrder) {
    struct Case {
        int dialogId;
        int captionSlot;
        Pairs pairs;
    };
    const Case cases[] = {
        {kSettingsDragPageDialogId, 390, {{1442, 391}, {1130, 392}, {1129, 393}, {1237, 394}}},
        {kFontPageDialogId,
         381,
         {{1375, 382},
          {1376, 383},
          {1377, 384},
          {1378, 395},
          {1379, 512},
          {1380, 513},
          {1381, 514},
          {1263, 385},
          {1264, 385},
          {1265, 385},
          {1266, 385},
          {1267, 385},
          {1521, 386},
          {1522, 387},
          {1523, 388}}},
        {kMainDialogId,
         kNoCaptionSlot,
         {{1349, 23},
          {1001, 24},
          {1352, 26},
          {1015, 28},
          {1350, 31},
          {1198, 33},
          {1005, 36},
          {1620, 39},
          {1508, 21},
          {1507, 218},
          {1506, 34},
          {1520, 20},
          {1589, 38}}},
        {kStatusWindowDialogId, 188, {{1266, 189}, {1280, 190}, {1058, 191}, {kIdOk, 192}}},
        {kSavePolicyDialogId,
         228,
         {{1393, 229}, {1089, 230}, {1090, 231}, {1091, 232}, {kIdCancel, 233}, {kIdOk, 234}}},
        {kPolicyFileDialogId,
         217,
         {{1391, 218}, {1003, 219}, {1071, 220}, {1072, 221}, {kIdHelpCommand, 222}, {1018, 223}, {kIdOk, 224}}},
    };
    for (const Case& c : cases) {
        const DialogTextEntry* entry = FindDialogTexts(c.dialogId);
        ASSERT_NE(entry, nullptr) << c.dialogId;
        EXPECT_EQ(entry->dialogId, c.dialogId);
        EXPECT_EQ(entry->captionSlot, c.captionSlot) << c.dialogId;
        EXPECT_EQ(PairsOf(*entry), c.pairs) << c.dialogId;
    }
}

TEST(DialogTexts, EveryTemplateHasOneEntryAndOthersNone) {
    struct Case {
        int dialogId;
        size_t pairCount;
        bool hasCaption;
    };
    const Case cases[] = {
        {kAboutDialogId, 10, false},
        {kStatusWindowDialogId, 4, true},
        {kAddedHTMLPageDialogId, 18, true},
        {kHyperlinksPageDialogId, 19, true},
        {kPolicyFileDialogId, 7, true},
        {kSavePolicyDialogId, 6, true},
        {kColoursPageDialogId, 12, true},
        {kTablePageDialogId, 20, true},
        {kTabAnalPageDialogId, 12, true},
        {kFontPageDialogId, 15, true},
        {kSettingsDragPageDialogId, 4, true},
        {kSettingsViewerPageDialogId, 8, true},
        {kSettingsPolicyPageDialogId, 4, true},
        {kSettingsDocoPageDialogId, 2, true},
        {kSettingsMessagesPageDialogId, 9, true},
        {kRTFDocumentPageDialogId, 8, true},
        {kFileStructPageDialogId, 13, true},
        {kRTFSettingsPageDialogId, 10, true},
        {kMoreHtmlOptionsDialogId, 11, true},
        {kMainDialogId, 13, false},
    };
    size_t pairs = 0;
    for (const Case& c : cases) {
        const DialogTextEntry* entry = FindDialogTexts(c.dialogId);
        ASSERT_NE(entry, nullptr) << c.dialogId;
        EXPECT_EQ(entry->items.size(), c.pairCount) << c.dialogId;
        EXPECT_EQ(entry->captionSlot != kNoCaptionSlot, c.hasCaption) << c.dialogId;
        pairs += entry->items.size();
        // A control is labelled once per dialog.
        std::vector<int> controls;
        for (const DialogTextItem& item : entry->items) {
            EXPECT_EQ(std::count(controls.begin(), controls.end(), item.controlId), 0)
                << c.dialogId << " control " << item.controlId;
            controls.push_back(item.controlId);
            EXPECT_TRUE(item.slot >= 0 && item.slot < UiTextTable::kSlotCount) << c.dialogId;
        }
    }
    EXPECT_EQ(pairs, 205u);
    for (int id : {0, -1, 99, 101, 133, 999, 212, kIdOk, kIdApply}) EXPECT_EQ(FindDialogTexts(id), nullptr) << id;
}

TEST(DialogTexts, LabelsFollowTheLanguage) {
    UiTextTable table;
    table.SetLanguage(kLanguageEnglish);
    const DialogTextEntry* drag = FindDialogTexts(kSettingsDragPageDialogId);
    ASSERT_NE(drag, nullptr);
    EXPECT_STREQ(table.GetText(drag->captionSlot), "Drag'n'Drop");
    EXPECT_STREQ(table.GetText(drag->items[0].slot), "Drag and drop properties");
    const DialogTextEntry* fonts = FindDialogTexts(kFontPageDialogId);
    ASSERT_NE(fonts, nullptr);
    for (const DialogTextItem& item : fonts->items)
        if (item.controlId >= 1263 && item.controlId <= 1267) {
            EXPECT_STREQ(table.GetText(item.slot), "...") << item.controlId;
        }

    table.SetLanguage(kLanguageGerman);
    EXPECT_STREQ(table.GetText(drag->items[0].slot), "Drag & Drop-Eigenschaften");
    const DialogTextEntry* save = FindDialogTexts(kSavePolicyDialogId);
    ASSERT_NE(save, nullptr);
    EXPECT_STREQ(table.GetText(save->items.back().slot), "Speichern");
}

}  // namespace
