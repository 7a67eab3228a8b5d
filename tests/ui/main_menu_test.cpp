#include "ui/main_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "texts/main_menu_commands.h"
#include "texts/language_texts.h"
#include "texts/menu_texts.h"
#include "ui/menu_model.h"

namespace {

class MainMenuTest : public testing::Test {
protected:
    void SetUp() override { BuildMainMenu(menu); }
    MenuModel menu;
};

// Every command of the main dialog, with the drop-down title that holds it
// (one level below the bar) and its template text.
struct CommandPlace {
    int commandId;
    int titlePosition;
    const char* text;
};

constexpr CommandPlace kCommands[] = {
    {kCommandConvert, 0, "Convert..."},
    {kCommandLoadPolicyFile, 0, "&Load policy file..."},
    {kCommandSavePolicyFile, 0, "&Save policy file..."},
    {kCommandExit, 0, "E&xit"},
    {kCommandAnalysisFileStructure, 1, "&File structure"},
    {kCommandAnalysisTables, 1, "&Tables"},
    {kCommandOutputTitleAndDescription, 1, "&Title, description etc"},
    {kCommandOutputTables, 1, "T&able generation"},
    {kCommandOutputColours, 1, "&Document colours"},
    {kCommandOutputHyperlinks, 1, "&Hyperlinks"},
    {kCommandOutputFonts, 1, "&Fonts"},
    {kCommandOutputDocumentSettings, 1, "Document &settings"},
    {kCommandOutputRtfSettings, 1, "&RTF settings"},
    {kCommandReanalyse, 1, "Re-anal&yse the file"},
    {kCommandResetToDefaults, 1, "&Reset to defaults"},
    {kCommandSettingsDocumentation, 2, "Do&cumentation"},
    {kCommandSettingsDragAndDrop, 2, "&Drag and drop properties"},
    {kCommandSettingsDiagnostics, 2, "Dia&gnostics"},
    {kCommandSettingsViewers, 2, "&Viewers for results files"},
    {kCommandSettingsPolicyFiles, 2, "Use of &Policy files"},
    {kCommandShowToolTips, 2, "Show &Tool Tips"},
    {kCommandShowStatusDialog, 2, "Show Status Dialog"},
    {kCommandAutoViewResults, 2, "Show results automatically"},
    {kCommandLanguageEnglish, 3, "English"},
    {kCommandLanguageGerman, 3, "German"},
    {kCommandLanguageSpanish, 3, "Spanish"},
    {kCommandLanguageFrench, 3, "French"},
    {kCommandLanguagePortuguese, 3, "Portuguese"},
    {kCommandLanguageItalian, 3, "Italian"},
    {kCommandLanguageSwedish, 3, "Swedish"},
    {kCommandLanguageOther, 3, "Other..."},
    {kCommandViewMessages, 4, "View &messages from last conversion"},
    {kCommandViewResults, 4, "View the last &Conversion"},
    {kCommandHelpContents, 5, "&Contents"},
    {kCommandLocalDocumentation, 5, "Local (on your hard drive)"},
    {kCommandWebDocumentation, 5, "On the Web (need to be online)"},
    {kCommandMorvanePage, 5, "Morvane (text to HTML)"},
    {kCommandPellionPage, 5, "Pellion (text to RTF)"},
    {kCommandAbout, 5, "&About..."},
    {kCommandCheckForUpdates, 6, "Check for &Newer versions"},
};

TEST_F(MainMenuTest, EveryCommandSitsUnderItsTitleWithItsTemplateText) {
    for (const CommandPlace& place : kCommands) {
        SCOPED_TRACE(place.commandId);
        const Menu* title = menu.TitleMenu(place.titlePosition);
        ASSERT_NE(title, nullptr);
        const MenuEntry* item = title->CommandItem(place.commandId);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->kind, MenuEntryKind::kItem);
        EXPECT_STREQ(item->text.c_str(), place.text);
        EXPECT_TRUE(item->enabled);
        EXPECT_FALSE(item->checked);
        // Only one item carries each command.
        for (int other = 0; other < menu.Bar().EntryCount(); ++other)
            EXPECT_EQ(menu.TitleMenu(other)->HasCommand(place.commandId), other == place.titlePosition) << other;
    }
}

TEST_F(MainMenuTest, TheBarHoldsSevenDropDowns) {
    const char* const titles[] = {"&File",   "&Conversion options", "&Settings", "&Language", "&View", "&Help",
                                  "&Updates"};
    ASSERT_EQ(menu.Bar().EntryCount(), 7);
    for (int position = 0; position < 7; ++position) {
        const MenuEntry* entry = menu.Bar().EntryAt(position);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->kind, MenuEntryKind::kDropDown) << position;
        EXPECT_STREQ(entry->text.c_str(), titles[position]);
        EXPECT_FALSE(entry->rightJustified);
    }
}

// The drop-downs inside drop-downs sit where position-based relabelling
// looks for them, separators counted.
TEST_F(MainMenuTest, NestedDropDownsSitAtTheirCountedPositions) {
    const Menu* options = menu.TitleMenu(1);
    ASSERT_NE(options, nullptr);
    ASSERT_NE(options->DropDownAt(0), nullptr);
    EXPECT_TRUE(options->DropDownAt(0)->HasCommand(kCommandAnalysisFileStructure));
    EXPECT_EQ(options->EntryAt(1)->kind, MenuEntryKind::kSeparator);
    ASSERT_NE(options->DropDownAt(2), nullptr);
    EXPECT_TRUE(options->DropDownAt(2)->HasCommand(kCommandOutputColours));

    const Menu* help = menu.TitleMenu(5);
    ASSERT_NE(help, nullptr);
    ASSERT_NE(help->DropDownAt(4), nullptr);
    EXPECT_STREQ(help->EntryAt(4)->text.c_str(), "&HTML documentation");
    EXPECT_TRUE(help->DropDownAt(4)->HasCommand(kCommandLocalDocumentation));
    EXPECT_EQ(help->EntryAt(5)->kind, MenuEntryKind::kSeparator);
    ASSERT_NE(help->DropDownAt(6), nullptr);
    EXPECT_STREQ(help->EntryAt(6)->text.c_str(), "Other products on the Web");
    EXPECT_TRUE(help->DropDownAt(6)->HasCommand(kCommandMorvanePage));
    EXPECT_TRUE(help->DropDownAt(6)->HasCommand(kCommandPellionPage));
}

// ---- Relabelling in the user-interface language ----

class MainMenuTextsTest : public MainMenuTest {
protected:
    void TearDown() override { SetMenuLanguage(kLanguageEnglish); }
    const char* TextAt(const Menu* menu, int position) const { return menu->EntryAt(position)->text.c_str(); }
    const char* CommandText(int commandId) const { return menu.CommandItem(commandId)->text.c_str(); }
};

TEST_F(MainMenuTextsTest, AWholeRelabelInGerman) {
    SetMenuLanguage(kLanguageGerman);
    ApplyMenuTexts(&menu);

    // The titles of the bar, and the items the texts exist for.
    const char* const titles[] = {
        "&Datei", "&Optionen Konvertierung", "Eins&tellungen", "&Sprache", "&Zeigen", "&Hilfe", "&Updates"};
    for (int position = 0; position < 7; ++position) EXPECT_STREQ(TextAt(&menu.Bar(), position), titles[position]);
    EXPECT_STREQ(CommandText(kCommandLanguageEnglish), "Englisch");
    EXPECT_STREQ(CommandText(kCommandLanguageOther), "Andere...");

    // Every entry the relabelling names carries its slot's German text.
    struct Named {
        int commandId;
        int slot;
    };
    const Named named[] = {
        {kCommandConvert, 11},
        {kCommandExit, 15},
        {kCommandReanalyse, 27},
        {kCommandAnalysisTables, 38},
        {kCommandOutputRtfSettings, 45},
        {kCommandShowToolTips, 75},
        {kCommandLanguageGerman, 84},
        {kCommandViewResults, 97},
        {kCommandAbout, 107},
        {kCommandWebDocumentation, 112},
        {kCommandCheckForUpdates, 126},
    };
    for (const Named& entry : named)
        EXPECT_STREQ(CommandText(entry.commandId), GetMenuText(entry.slot)) << entry.commandId;
    const Menu* options = menu.TitleMenu(1);
    const Menu* help = menu.TitleMenu(5);
    EXPECT_STREQ(TextAt(options, 0), GetMenuText(30));
    EXPECT_STREQ(TextAt(options, 2), GetMenuText(40));
    EXPECT_STREQ(TextAt(help, 4), GetMenuText(110));
    EXPECT_STREQ(TextAt(help, 6), GetMenuText(115));
    // Drop-down titles keep their drop-downs.
    EXPECT_NE(options->DropDownAt(2), nullptr);
    EXPECT_NE(help->DropDownAt(6), nullptr);

    // What the relabelling does not name keeps the template's texts.
    EXPECT_STREQ(CommandText(kCommandMorvanePage), "Morvane (text to HTML)");
    EXPECT_STREQ(CommandText(kCommandPellionPage), "Pellion (text to RTF)");
}

TEST_F(MainMenuTextsTest, EnglishReplacesTheTemplateTexts) {
    SetMenuLanguage(kLanguageEnglish);
    ApplyMenuTexts(&menu);
    struct Case {
        int commandId;
        const char* text;
    };
    const Case cases[] = {
        {kCommandConvert, "&Convert"},
        {kCommandSavePolicyFile, "&Save policies to file"},
        {kCommandOutputTables, "T&ables"},
        {kCommandSettingsDocumentation, "Do&cumentation..."},
        {kCommandShowStatusDialog, "Show &Status Dialog"},
        {kCommandAutoViewResults, "&Automatically view results"},
        {kCommandViewMessages, "&Messages from last conversion"},
        {kCommandLocalDocumentation, "&Local (on your hard disk)"},
        {kCommandCheckForUpdates, "Check for &newer versions"},
    };
    for (const Case& c : cases) EXPECT_STREQ(CommandText(c.commandId), c.text) << c.commandId;
    EXPECT_STREQ(TextAt(menu.TitleMenu(5), 4), "&HTML Documentation");
    EXPECT_STREQ(TextAt(menu.TitleMenu(5), 6), "Other products");
}

TEST_F(MainMenuTextsTest, TheLastTitleStandsRightAfterTheFirstRelabelling) {
    SetMenuLanguage(kLanguageEnglish);
    ApplyMenuTexts(&menu);
    for (int position = 0; position < 7; ++position)
        EXPECT_EQ(menu.Bar().EntryAt(position)->rightJustified, position == 6) << position;
}

TEST_F(MainMenuTextsTest, RelabelledItemsComeOutEnabledAndUnchecked) {
    menu.CheckCommand(kCommandShowToolTips, true);
    menu.CheckCommand(kCommandLanguageEnglish, true);
    menu.EnableCommand(kCommandReanalyse, false);
    SetMenuLanguage(kLanguageEnglish);
    ApplyMenuTexts(&menu);
    for (int id : {kCommandShowToolTips, kCommandLanguageEnglish, kCommandReanalyse}) {
        EXPECT_TRUE(menu.IsEnabled(id)) << id;
        EXPECT_FALSE(menu.IsChecked(id)) << id;
    }
}

// A menu whose conversion-options title opens no drop-down and that ends
// after the settings: what is there is still relabelled.
TEST_F(MainMenuTextsTest, AMissingDropDownIsSkipped) {
    MenuModel partial;
    partial.Bar().AddDropDown("&File").AddItem(kCommandConvert, "Convert...");
    partial.Bar().AddItem(kCommandReanalyse, "&Conversion options");
    Menu& settings = partial.Bar().AddDropDown("&Settings");
    settings.AddItem(kCommandShowToolTips, "Show &Tool Tips");
    SetMenuLanguage(kLanguageGerman);
    ApplyMenuTexts(&partial);
    EXPECT_STREQ(partial.Bar().EntryAt(0)->text.c_str(), "&Datei");
    EXPECT_STREQ(partial.Bar().EntryAt(1)->text.c_str(), "&Optionen Konvertierung");
    EXPECT_STREQ(partial.Bar().EntryAt(2)->text.c_str(), "Eins&tellungen");
    EXPECT_STREQ(partial.CommandItem(kCommandConvert)->text.c_str(), GetMenuText(11));
    EXPECT_STREQ(partial.CommandItem(kCommandShowToolTips)->text.c_str(), GetMenuText(75));
    EXPECT_EQ(partial.Bar().EntryCount(), 3);

    ApplyMenuTexts(nullptr);  // a dialog without a menu bar
}

TEST_F(MainMenuTextsTest, SingleEntriesAreRelabelledWhereTheyExist) {
    SetMenuLanguage(kLanguageEnglish);
    Menu* file = menu.TitleMenu(0);
    SetMenuItemTextByPosition(file, -1, 10);
    SetMenuItemTextByPosition(file, 0, -1);
    SetMenuItemTextByPosition(file, 99, 10);
    SetMenuItemTextByPosition(nullptr, 0, 10);
    SetMenuItemTextByCommand(file, kCommandAbout, 107);  // in another drop-down
    SetMenuItemTextByCommand(nullptr, kCommandConvert, 11);
    EXPECT_STREQ(TextAt(file, 0), "Convert...");
    EXPECT_STREQ(CommandText(kCommandAbout), "&About...");
    SetMenuItemTextByPosition(file, 0, 135);
    EXPECT_STREQ(TextAt(file, 0), "???");
    SetMenuItemTextByCommand(&menu.Bar(), kCommandAbout, 107);
    EXPECT_STREQ(CommandText(kCommandAbout), "&About");
}

}  // namespace
