// The load rule every slot table of texts keeps, checked over every order of
// language switches: once any language was chosen, each slot holds exactly
// what the last loading language gives over English, and no slot the program
// reads is empty; before that, nothing is loaded.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "texts/language_texts.h"

template <class Table>
std::vector<std::string> AllSlotTexts(const Table& table) {
    std::vector<std::string> texts;
    for (int slot = 0; slot < Table::kSlotCount; ++slot) texts.emplace_back(table.GetText(slot));
    return texts;
}

// Runs every sequence of three switches among `codes` (which hold keep,
// "no language", English and a code without texts) on fresh tables; reports
// the first few sequences that break the rule and returns how many did.
template <class Table>
int CountSwitchOrdersBreakingTheLoadRule(std::span<const int> codes, const std::set<int>& read) {
    // Each code's texts when it is the first choice; keep as the first
    // choice loads English.
    std::map<int, std::vector<std::string>> reference;
    for (int code : codes) {
        Table table;
        table.SetLanguage(code);
        reference[code] = AllSlotTexts(table);
    }
    const std::vector<std::string> english = reference[kLanguageEnglish];
    EXPECT_EQ(reference[kLanguageKeep], english);
    // A code without texts of its own loads English.
    for (int code : codes) {
        if (code != kLanguageKeep && code != Table::kNoLanguage &&
            (code < kLanguageEnglish || code > kLanguageSwedish)) {
            EXPECT_EQ(reference[code], english) << code;
        }
    }

    int failures = 0;
    for (int first : codes)
        for (int second : codes)
            for (int third : codes) {
                Table table;
                std::vector<std::string> expected = reference[Table::kNoLanguage];
                int current = Table::kNoLanguage;
                bool loaded = false;
                for (int code : {first, second, third}) {
                    table.SetLanguage(code);
                    if (code != current) {
                        if (code != kLanguageKeep)
                            expected = code == Table::kNoLanguage ? english : reference[code];
                        else if (!loaded)
                            expected = english;
                        loaded = true;
                        current = code;
                    }
                    bool good = AllSlotTexts(table) == expected && table.CurrentLanguage() == current;
                    for (int slot : read) good = good && (*table.GetText(slot) != '\0') == loaded;
                    if (!good && ++failures <= 5)
                        ADD_FAILURE() << "switches " << first << ", " << second << ", " << third << " at " << code;
                }
            }
    return failures;
}
