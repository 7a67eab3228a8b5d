#include "texts/language_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <vector>

#include "foundation/unicode_text.h"
#include "texts/message_tables.h"
#include "texts/menu_text_tables.h"
#include "texts/menu_texts.h"
#include "texts/message_texts.h"
#include "texts/ui_slots.h"
#include "texts/ui_text_tables.h"
#include "texts/ui_texts.h"

namespace {

struct LanguageRows {
    const char* table;
    const char* language;
    std::span<const TextRow> rows;
    int slotCount;
};

std::vector<LanguageRows> EveryLanguagesRows() {
    const int messages = MessageTextTable::kSlotCount;
    const int ui = UiTextTable::kSlotCount;
    const int menu = MenuTextTable::kSlotCount;
    return {
        {"message", "English", EnglishMessageRows(), messages},
        {"message", "German", GermanMessageRows(), messages},
        {"message", "Spanish", SpanishMessageRows(), messages},
        {"message", "French", FrenchMessageRows(), messages},
        {"message", "Portuguese", PortugueseMessageRows(), messages},
        {"message", "Italian", ItalianMessageRows(), messages},
        {"message", "Swedish", SwedishMessageRows(), messages},
        {"UI", "English", EnglishUiRows(), ui},
        {"UI", "German", GermanUiRows(), ui},
        {"UI", "Spanish", SpanishUiRows(), ui},
        {"UI", "French", FrenchUiRows(), ui},
        {"UI", "Portuguese", PortugueseUiRows(), ui},
        {"UI", "Italian", ItalianUiRows(), ui},
        {"UI", "Swedish", SwedishUiRows(), ui},
        {"menu", "English", EnglishMenuRows(), menu},
        {"menu", "German", GermanMenuRows(), menu},
        {"menu", "Spanish", SpanishMenuRows(), menu},
        {"menu", "French", FrenchMenuRows(), menu},
        {"menu", "Portuguese", PortugueseMenuRows(), menu},
        {"menu", "Italian", ItalianMenuRows(), menu},
        {"menu", "Swedish", SwedishMenuRows(), menu},
    };
}

// Every row of every language is UTF-8, names a slot of its table once and
// leaves alone the slots that no language sets.
TEST(LanguageTexts, RowsAreUtf8AndNameEachSlotOnce) {
    size_t nonAscii = 0;
    for (const LanguageRows& language : EveryLanguagesRows()) {
        std::set<int> slots;
        for (const TextRow& row : language.rows) {
            const std::string where =
                std::string(language.table) + " " + language.language + " " + std::to_string(row.slot);
            EXPECT_TRUE(slots.insert(row.slot).second) << where << " twice";
            EXPECT_TRUE(row.slot >= 0 && row.slot < language.slotCount) << where;
            TextString text(row.text);
            if (unicode::HasNonAscii(text)) ++nonAscii;
            EXPECT_FALSE(unicode::MendUtf8Line(text)) << where << " is not UTF-8";
        }
        if (std::string(language.table) == "message") {
            EXPECT_EQ(slots.count(0) + slots.count(MessageTextTable::kSlotCount - 1), 0u) << language.language;
        } else if (std::string(language.table) == "UI") {
            for (int address : {kUiHomePageAddress, kUiDocumentationAddress, kUiContactEmailAddress})
                EXPECT_EQ(slots.count(address), 0u) << language.language << " " << address;
        }
    }
    EXPECT_GT(nonAscii, 20u);
}

TEST(LanguageTexts, AccentedLettersAreUtf8Bytes) {
    MessageTextTable messages;
    messages.SetLanguage(kLanguageSwedish);
    EXPECT_STREQ(messages.GetText(65), "V\xC3\xA4nster");
    UiTextTable ui;
    ui.SetLanguage(kLanguageGerman);
    EXPECT_STREQ(ui.GetText(kUiAboutCaption),
                 "\xC3\x9C"
                 "ber qqqqqqqq");
}

}  // namespace
