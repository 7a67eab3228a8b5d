#include "texts/combo_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kHistorySize = 10;

std::vector<std::string> Items(const ComboBoxList& combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo.GetCount(); ++i) items.emplace_back(combo.GetItemText(i));
    return items;
}

std::vector<std::string> Entries(const TextString* history) {
    std::vector<std::string> entries;
    for (int i = 0; i < kHistorySize; ++i) entries.emplace_back(history[i].c_str());
    return entries;
}

TEST(ComboHistory, AddingMovesTheTextToTheTopOnce) {
    TextString history[kHistorySize] = {"a", "b", "c"};
    ComboBoxList combo;
    FillComboFromList(&combo, kHistorySize, history);
    UpdateComboHistory(&combo, kHistorySize, history, "b");
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(Entries(history), (std::vector<std::string>{"b", "a", "c", "", "", "", "", "", "", ""}));

    // The text on top stays there; an empty text changes nothing; letter
    // case counts ("b" and "B" are two files).
    UpdateComboHistory(&combo, kHistorySize, history, "b");
    UpdateComboHistory(&combo, kHistorySize, history, "");
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"b", "a", "c"}));
    UpdateComboHistory(&combo, kHistorySize, history, "B");
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"B", "b", "a", "c"}));
    EXPECT_EQ(history[0], TextString("B"));
}

TEST(ComboHistory, FillingSkipsEmptyEntries) {
    TextString history[kHistorySize] = {"x", "", "z"};
    ComboBoxList combo;
    combo.AddString("stale");
    FillComboFromList(&combo, kHistorySize, history);
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"x", "z"}));
}

TEST(ComboHistory, TheEleventhTextPushesTheOldestOut) {
    TextString history[kHistorySize];
    ComboBoxList combo;
    for (int i = 0; i <= kHistorySize; ++i) {
        const std::string text = "file" + std::to_string(i);
        UpdateComboHistory(&combo, kHistorySize, history, text.c_str());
    }
    EXPECT_EQ(combo.GetCount(), kHistorySize + 1);
    std::vector<std::string> expected;
    for (int i = kHistorySize; i >= 1; --i) expected.push_back("file" + std::to_string(i));
    EXPECT_EQ(Entries(history), expected);

    // Filling again from the array trims the list to ten.
    FillComboFromList(&combo, kHistorySize, history);
    EXPECT_EQ(Items(combo), expected);
}

}  // namespace
