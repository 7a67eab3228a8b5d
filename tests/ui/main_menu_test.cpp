#include "ui/main_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/menu_commands.h"
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
    const char* const titles[] = {"&File", "&Conversion options", "&Settings", "&Language", "&View", "&Help", "&Updates"};
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

}  // namespace
