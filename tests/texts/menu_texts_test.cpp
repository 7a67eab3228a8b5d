#include "texts/menu_texts.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "texts/main_menu_layout.h"
#include "texts/menu_slots.h"
#include "support/language_switches.h"

namespace {

const int kTranslations[] = {kLanguageGerman,     kLanguageSpanish, kLanguageFrench,
                             kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

// Every code a language switch may be given: keep, "no language", the seven
// languages and one the program has no texts for.
const int kEverySwitch[] = {kLanguageKeep,       kLanguageEnglish,
                            kLanguageGerman,     kLanguageSpanish,
                            kLanguageFrench,     MenuTextTable::kNoLanguage,
                            kLanguagePortuguese, kLanguageItalian,
                            kLanguageSwedish,    9};

std::set<int> SlotsTheMenuReads() {
    std::set<int> slots;
    for (const MenuItemLabel& label : kMainMenuLabels) slots.insert(label.slot);
    return slots;
}

TEST(MenuTexts, NothingIsLoadedUntilALanguageIsChosenAndSlotsOutsideTheTableAreUnknown) {
    MenuTextTable table;
    EXPECT_EQ(table.CurrentLanguage(), MenuTextTable::kNoLanguage);
    EXPECT_STREQ(table.GetText(kMenuFileTitle), "");
    table.SetLanguage(MenuTextTable::kNoLanguage);
    EXPECT_STREQ(table.GetText(kMenuFileTitle), "");

    table.SetLanguage(kLanguageEnglish);
    for (int slot : {-1, MenuTextTable::kSlotCount, 1000}) EXPECT_STREQ(table.GetText(slot), "???") << slot;
    EXPECT_STREQ(table.GetText(0), "");
    EXPECT_STREQ(table.GetText(MenuTextTable::kSlotCount - 1), "");
}

TEST(MenuTexts, EnglishTextsAreExact) {
    const std::pair<int, const char*> cases[] = {
        {kMenuFileTitle, "&File"},
        {kMenuUpdatesTitle, "&Updates"},
        {kMenuExit, "E&xit"},
        {kMenuOutputPoliciesTitle, "&Output Policies"},
        {kMenuOutputTitleAndDescription, "&Title, description etc"},
        {kMenuSettingsViewers, "&Viewers for results files..."},
        {kMenuAutoViewResults, "&Automatically view results"},
        {kMenuOtherLanguage, "Other..."},
        {kMenuOtherProductsTitle, "Other products"},
        {kMenuLocalDocumentation, "&Local (on your hard disk)"},
        {kMenuCheckForUpdates, "Check for &newer versions"},
    };
    MenuTextTable table;
    table.SetLanguage(kLanguageEnglish);
    for (const auto& [slot, text] : cases) EXPECT_STREQ(table.GetText(slot), text) << "slot " << slot;
}

TEST(MenuTexts, TellingRowsOfEveryTranslation) {
    struct Row {
        int slot;
        // German, Spanish, French, Portuguese, Italian, Swedish.
        std::array<const char*, 6> texts;
    };
    const Row rows[] = {
        // French has no File title of its own: English shows.
        {kMenuFileTitle, {"&Datei", "&Fichero", "&File", "&Arquivo", "&File", "&Arkiv"}},
        {kMenuConversionOptionsTitle,
         {"&Optionen Konvertierung", "&Opciones de conversión", "&Options de conversion", "Opções de Con&versão",
          "&Opzioni di conversione", "&Konvertering"}},
        {kMenuSettingsTitle,
         {"Eins&tellungen", "&Configuración", "&Configuration", "&Opções", "&Impostazioni", "&Inställningar"}},
        {kMenuLanguageTitle, {"&Sprache", "&Idioma", "&Langue", "Idio&ma", "&Linguaggio", "&Språk"}},
        {kMenuViewTitle, {"&Zeigen", "&Ver", "&Voir", "&Exibir", "&Visione", "&Granska"}},
        {kMenuHelpTitle, {"&Hilfe", "&Ayuda", "&Aide", "A&juda", "&Aiuto", "&Hjälp"}},
        {kMenuUpdatesTitle,
         {"&Updates", "Actua&lizaciones", "Actualiser (&Updates)", "&Updates", "&Aggiornamenti", "&Uppdateringar"}},
        {kMenuEnglish, {"Englisch", "Inglés", "Anglais", "Inglês", "Inglese", "Engelska"}},
        {kMenuOtherLanguage, {"Andere...", "Otro...", "Autre...", "Outro...", "Altro...", "Annat..."}},
    };
    for (size_t language = 0; language < std::size(kTranslations); ++language) {
        MenuTextTable table;
        table.SetLanguage(kTranslations[language]);
        for (const Row& row : rows)
            EXPECT_STREQ(table.GetText(row.slot), row.texts[language])
                << "language " << kTranslations[language] << " slot " << row.slot;
    }
}

TEST(MenuTexts, TheFileTitleInFrenchIsTheEnglishOneWhateverCameBefore) {
    const std::vector<int> orders[] = {
        {kLanguageFrench},
        {kLanguageEnglish, kLanguageFrench},
        {kLanguageGerman, kLanguageFrench},
        {kLanguageKeep, kLanguageFrench},
        {kLanguageFrench, kLanguageKeep},
    };
    for (const std::vector<int>& order : orders) {
        MenuTextTable table;
        for (int code : order) table.SetLanguage(code);
        EXPECT_STREQ(table.GetText(kMenuFileTitle), "&File") << "after " << order.front();
        EXPECT_STREQ(table.GetText(kMenuHelpTitle), "&Aide") << "after " << order.front();
    }
}

// Every sequence of three switches: once any language was chosen, each slot
// holds exactly what the last loading language gives over English, and no
// slot the menu reads is empty; before that, nothing is loaded.
TEST(MenuTexts, NoSlotTheMenuReadsIsEverEmptyInAnyOrderOfSwitches) {
    const std::set<int> read = SlotsTheMenuReads();
    ASSERT_EQ(read.size(), std::size(kMainMenuLabels));
    EXPECT_EQ(CountSwitchOrdersBreakingTheLoadRule<MenuTextTable>(kEverySwitch, read), 0);
}

// The relabelling layout holds together: every drop-down sits below a part
// taken before it, the title of every drop-down is relabelled at the very
// position the drop-down is taken from, and no item is named twice.
TEST(MenuTexts, TheMainMenuLayoutIsConsistent) {
    std::set<MainMenuPart> taken = {MainMenuPart::kMenuBar};
    for (const MenuDropDownPlace& place : kMainMenuDropDowns) {
        EXPECT_TRUE(taken.count(place.parent)) << static_cast<int>(place.dropDown);
        EXPECT_TRUE(taken.insert(place.dropDown).second) << static_cast<int>(place.dropDown);
        int titles = 0;
        for (const MenuItemLabel& label : kMainMenuLabels)
            titles += label.menu == place.parent && label.lookup == MenuItemLookup::kByPosition &&
                      label.item == place.position;
        EXPECT_EQ(titles, 1) << static_cast<int>(place.dropDown);
    }
    EXPECT_EQ(taken.size(), static_cast<size_t>(kMainMenuPartCount));

    std::set<std::pair<MainMenuPart, int>> positions;
    std::set<int> commands;
    bool pastTitles = false;
    for (const MenuItemLabel& label : kMainMenuLabels) {
        EXPECT_TRUE(taken.count(label.menu)) << label.slot;
        if (label.lookup == MenuItemLookup::kByPosition)
            EXPECT_TRUE(positions.insert({label.menu, label.item}).second) << label.slot;
        else
            EXPECT_TRUE(commands.insert(label.item).second) << label.slot;
        // The menu-bar titles come first, all by position.
        if (label.menu != MainMenuPart::kMenuBar) pastTitles = true;
        EXPECT_TRUE(label.menu != MainMenuPart::kMenuBar ||
                    (!pastTitles && label.lookup == MenuItemLookup::kByPosition))
            << label.slot;
    }
    EXPECT_TRUE(positions.count({MainMenuPart::kMenuBar, kRightJustifiedTitlePosition}));
    EXPECT_TRUE(positions.count({MainMenuPart::kHelp, kOtherProductsMenuPosition}));
}

TEST(MenuTexts, TheProgramsTableIsTheOneTheFunctionsUse) {
    EXPECT_STREQ(GetMenuText(MenuTextTable::kSlotCount), "???");
    SetMenuLanguage(kLanguageSwedish);
    EXPECT_EQ(TheMenuTextTable().CurrentLanguage(), kLanguageSwedish);
    EXPECT_STREQ(GetMenuText(kMenuHelpTitle), "&Hjälp");
    SetMenuLanguage(kLanguageEnglish);
    EXPECT_STREQ(GetMenuText(kMenuHelpTitle), "&Help");
}

}  // namespace
