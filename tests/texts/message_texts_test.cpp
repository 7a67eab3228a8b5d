#include "texts/message_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kConversionComplete = std::string(19, '%') + " Conversion complete " + std::string(18, '%');

const int kAllLanguages[] = {kLanguageEnglish,    kLanguageGerman,  kLanguageSpanish, kLanguageFrench,
                             kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

TEST(MessageTexts, TellingSlotsInEveryLanguage) {
    struct Case {
        int code;
        int slot;
        const char* text;
    };
    const Case cases[] = {
        {kLanguageEnglish, 3, "Directory Error"},
        {kLanguageEnglish, 71, kConversionComplete.c_str()},
        {kLanguageGerman, 68, "\"Blocksatz\""},
        {kLanguageGerman, 108, "de: No delimiter character specified"},
        {kLanguageSpanish, 47, "Fallo del comando \"ccc url\".\n\r  Código de error=nnn"},
        {kLanguageFrench, 3, "Erreur de répertoire"},
        {kLanguageFrench, 47, "La commande \"ccc url\" a échoué.\n Error code=nnn"},
        {kLanguagePortuguese, 108, "pg: No delimiter character specified"},
        {kLanguageItalian, 87, "File di struttura (*.pol)|*.pol|Tutti i file (*.*)|*.*||"},
        {kLanguageSwedish, 65, "Vänster"},
        // A slot a translation leaves unset shows the English text.
        {kLanguageFrench, 94,
         "Text files (*.txt,*.asc)|*.txt;*.asc|Comma separated files (*.csv)|*.csv|All files (*.*)|*.*||"},
        // An unknown code loads English.
        {9, 65, "Left"},
    };
    for (const Case& c : cases) {
        MessageTextTable table;
        table.SetLanguage(c.code);
        EXPECT_STREQ(table.GetText(c.slot), c.text) << "language " << c.code << " slot " << c.slot;
        EXPECT_EQ(table.CurrentLanguage(), c.code);
    }
    const std::string german71 = std::string(17, '%') + " Konvertierung fertig " + std::string(17, '%');
    MessageTextTable table;
    table.SetLanguage(kLanguageGerman);
    EXPECT_EQ(table.GetText(71), german71);
}

TEST(MessageTexts, NoSlotInUseIsEverEmptyAndTheEndSlotsAre) {
    MessageTextTable english;
    english.SetLanguage(kLanguageEnglish);
    for (int code : kAllLanguages) {
        MessageTextTable table;
        table.SetLanguage(code);
        EXPECT_STREQ(table.GetText(0), "");
        const int last = MessageTextTable::kSlotCount - 1;
        EXPECT_STREQ(table.GetText(last), "");
        for (int slot = 1; slot < last; ++slot)
            if (*english.GetText(slot)) {
                EXPECT_NE(*table.GetText(slot), '\0') << code << " slot " << slot;
            }
    }
}

TEST(MessageTexts, OutOfRangeSlotsLoadNothing) {
    MessageTextTable table;
    EXPECT_STREQ(table.GetText(-1), "???");
    EXPECT_STREQ(table.GetText(MessageTextTable::kSlotCount), "???");
    EXPECT_EQ(table.CurrentLanguage(), MessageTextTable::kNoLanguage);
    EXPECT_STREQ(table.GetText(3), "Directory Error");
    EXPECT_EQ(table.CurrentLanguage(), kLanguageEnglish);
}

TEST(MessageTexts, EnglishLiesUnderEveryLanguage) {
    // Keep (-1) as the very first choice still shows English.
    MessageTextTable kept;
    kept.SetLanguage(kLanguageKeep);
    EXPECT_STREQ(kept.GetText(26), "Must choose a file first");
    EXPECT_EQ(kept.CurrentLanguage(), kLanguageKeep);

    // A slot French lacks shows English, not the German loaded before it.
    MessageTextTable table;
    table.SetLanguage(kLanguageGerman);
    table.SetLanguage(kLanguageFrench);
    EXPECT_STREQ(table.GetText(94),
                 "Text files (*.txt,*.asc)|*.txt;*.asc|Comma separated files (*.csv)|*.csv|All files (*.*)|*.*||");
    // Keep leaves the French texts in place.
    table.SetLanguage(kLanguageKeep);
    EXPECT_STREQ(table.GetText(65), "Gauche");
}

TEST(MessageTexts, MessageSeventyOneIsExact) {
    EXPECT_EQ(GetMessageText(71), kConversionComplete);
    EXPECT_EQ(TheMessageTextTable().CurrentLanguage(), kLanguageEnglish);
}

TEST(MessageTexts, PlaceholdersAreFilled) {
    struct Case {
        int slot;
        std::initializer_list<std::pair<const char*, const char*>> values;
        const char* expected;
    };
    const Case cases[] = {
        {30, {{"xxxxxx", "*.txt"}}, "No files found \"*.txt\""},
        {32, {{"xxxxxx", "my.pol"}}, "Can't find policy file \"my.pol\""},
        {49, {{"ffffff", "in.txt"}}, "Unable to locate file \"in.txt\""},
        {69, {{"ffffff", "run.log"}}, "*** Failed to open log file : run.log ***"},
        // The command holds "url" and the address holds "nnn": neither is rewritten.
        {47,
         {{"ccc", "curl"}, {"url", "http://annnex/"}, {"nnn", "2"}},
         "Command \"curl http://annnex/\" failed.\n\r  Error code=2"},
    };
    MessageTextTable table;
    for (const Case& c : cases) {
        TextString text(table.GetText(c.slot));
        FillMessagePlaceholders(text, c.values);
        EXPECT_STREQ(text.c_str(), c.expected) << "slot " << c.slot;
    }
}

}  // namespace
