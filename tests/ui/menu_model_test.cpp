#include "ui/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Command ids of the sample menu.
constexpr int kConvert = 32772;
constexpr int kExit = 32784;
constexpr int kFileStructure = 32838;
constexpr int kColours = 32806;
constexpr int kReanalyse = 32789;
constexpr int kShowToolTips = 32853;
constexpr int kLocalDoco = 32785;
constexpr int kAbout = 32778;

class MenuRecorder : public MenuObserver {
public:
    std::vector<std::pair<const Menu*, int>> changed;
    int drawn = 0;
    void OnMenuEntryChanged(MenuModel&, Menu& menu, int position) override { changed.emplace_back(&menu, position); }
    void OnMenuBarDrawn(MenuModel&) override { ++drawn; }
};

// A menu bar laid out like the main dialog's, separators and nested
// drop-downs included.
class MenuModelTest : public testing::Test {
protected:
    MenuModel menu;
    void SetUp() override {
        Menu& file = menu.Bar().AddDropDown("&File");
        file.AddItem(kConvert, "&Convert");
        file.AddSeparator();
        file.AddItem(kExit, "E&xit");
        Menu& options = menu.Bar().AddDropDown("&Conversion options");
        options.AddDropDown("&Analysis policies").AddItem(kFileStructure, "&File structure");
        options.AddSeparator();
        options.AddDropDown("&Output Policies").AddItem(kColours, "Document &colours");
        options.AddSeparator();
        options.AddItem(kReanalyse, "Re-anal&yse the file");
        menu.Bar().AddDropDown("&Settings").AddItem(kShowToolTips, "Show &Tool Tips");
        Menu& help = menu.Bar().AddDropDown("&Help");
        help.AddItem(32777, "&Contents");
        help.AddSeparator();
        help.AddItem(32779, "Other");
        help.AddSeparator();
        help.AddDropDown("&HTML Documentation").AddItem(kLocalDoco, "&Local");
        help.AddSeparator();
        help.AddDropDown("Other products");
        help.AddSeparator();
        help.AddItem(kAbout, "&About");
        menu.Bar().AddDropDown("&Updates");
    }
};

TEST_F(MenuModelTest, PositionsCountSeparators) {
    struct Case {
        int title, position;
        MenuEntryKind kind;
        const char* text;
        bool opensDropDown;
    };
    const Case cases[] = {
        {0, 0, MenuEntryKind::kItem, "&Convert", false},
        {0, 1, MenuEntryKind::kSeparator, "", false},
        {0, 2, MenuEntryKind::kItem, "E&xit", false},
        {1, 0, MenuEntryKind::kDropDown, "&Analysis policies", true},
        {1, 2, MenuEntryKind::kDropDown, "&Output Policies", true},
        {1, 4, MenuEntryKind::kItem, "Re-anal&yse the file", false},
        {3, 4, MenuEntryKind::kDropDown, "&HTML Documentation", true},
        {3, 5, MenuEntryKind::kSeparator, "", false},
        {3, 6, MenuEntryKind::kDropDown, "Other products", true},
        {3, 8, MenuEntryKind::kItem, "&About", false},
    };
    for (const Case& c : cases) {
        const Menu* title = menu.TitleMenu(c.title);
        ASSERT_NE(title, nullptr) << c.title;
        const MenuEntry* entry = title->EntryAt(c.position);
        ASSERT_NE(entry, nullptr) << c.title << "/" << c.position;
        EXPECT_EQ(entry->kind, c.kind) << c.title << "/" << c.position;
        EXPECT_EQ(entry->text, c.text) << c.title << "/" << c.position;
        EXPECT_EQ(title->DropDownAt(c.position) != nullptr, c.opensDropDown) << c.title << "/" << c.position;
    }
    EXPECT_EQ(menu.Bar().EntryCount(), 5);
    EXPECT_EQ(menu.TitleMenu(5), nullptr);
    EXPECT_EQ(menu.TitleMenu(-1), nullptr);
    EXPECT_EQ(menu.TitleMenu(3)->EntryAt(9), nullptr);
    EXPECT_EQ(menu.TitleMenu(3)->DropDownAt(4)->CommandItem(kLocalDoco)->text, "&Local");
    EXPECT_EQ(menu.TitleMenu(4)->EntryCount(), 0);
}

TEST_F(MenuModelTest, TextsChangeByPositionOrByCommandAnywhereBelowTheBar) {
    menu.Bar().SetTextAt(0, "&Datei");
    menu.TitleMenu(1)->SetTextAt(2, "&Ausgabe");
    menu.TitleMenu(0)->SetTextAt(1, "not a text");  // a separator has none
    EXPECT_TRUE(menu.SetCommandText(kColours, "Dokument&farben"));
    EXPECT_TRUE(menu.TitleMenu(3)->SetCommandText(kLocalDoco, "&Lokal"));
    EXPECT_FALSE(menu.TitleMenu(0)->SetCommandText(kLocalDoco, "elsewhere"));  // not below File
    EXPECT_EQ(menu.Bar().EntryAt(0)->text, "&Datei");
    EXPECT_EQ(menu.TitleMenu(1)->EntryAt(2)->text, "&Ausgabe");
    EXPECT_EQ(menu.TitleMenu(0)->EntryAt(1)->text, "");
    EXPECT_EQ(menu.CommandItem(kColours)->text, "Dokument&farben");
    EXPECT_EQ(menu.CommandItem(kLocalDoco)->text, "&Lokal");
}

TEST_F(MenuModelTest, CheckAndEnableByCommandIdAndSkipUnknownIds) {
    MenuRecorder recorder;
    menu.SetObserver(&recorder);
    EXPECT_FALSE(menu.IsChecked(kShowToolTips));
    EXPECT_TRUE(menu.CheckCommand(kShowToolTips, true));
    EXPECT_TRUE(menu.EnableCommand(kReanalyse, false));
    EXPECT_TRUE(menu.EnableCommand(kFileStructure, false));
    EXPECT_TRUE(menu.IsChecked(kShowToolTips));
    EXPECT_FALSE(menu.IsEnabled(kReanalyse));
    EXPECT_FALSE(menu.IsEnabled(kFileStructure));
    EXPECT_TRUE(menu.IsEnabled(kConvert));
    const std::vector<std::pair<const Menu*, int>> expected = {
        {menu.TitleMenu(2), 0}, {menu.TitleMenu(1), 4}, {menu.TitleMenu(1)->DropDownAt(0), 0}};
    EXPECT_EQ(recorder.changed, expected);

    recorder.changed.clear();
    for (int unknown : {0, 1, 32843, -5}) {
        EXPECT_FALSE(menu.HasCommand(unknown)) << unknown;
        EXPECT_FALSE(menu.CheckCommand(unknown, true)) << unknown;
        EXPECT_FALSE(menu.EnableCommand(unknown, false)) << unknown;
        EXPECT_FALSE(menu.SetCommandText(unknown, "x")) << unknown;
        EXPECT_FALSE(menu.IsChecked(unknown)) << unknown;
        EXPECT_FALSE(menu.IsEnabled(unknown)) << unknown;
    }
    menu.Bar().SetTextAt(9, "x");
    menu.Bar().SetRightJustifiedAt(-1, true);
    EXPECT_TRUE(recorder.changed.empty());
}

TEST_F(MenuModelTest, ChangingATextKeepsTheCheckMarkAndTheEnabling) {
    menu.CheckCommand(kShowToolTips, true);
    menu.EnableCommand(kShowToolTips, false);
    menu.SetCommandText(kShowToolTips, "Tool&tips anzeigen");
    EXPECT_TRUE(menu.IsChecked(kShowToolTips));
    EXPECT_FALSE(menu.IsEnabled(kShowToolTips));
}

TEST_F(MenuModelTest, TheLastTitleStandsRightAndTheBarIsDrawnOnRequest) {
    MenuRecorder recorder;
    menu.SetObserver(&recorder);
    EXPECT_FALSE(menu.Bar().EntryAt(4)->rightJustified);
    menu.Bar().SetRightJustifiedAt(4, true);
    EXPECT_TRUE(menu.Bar().EntryAt(4)->rightJustified);
    EXPECT_EQ(recorder.changed, (std::vector<std::pair<const Menu*, int>>{{&menu.Bar(), 4}}));
    EXPECT_EQ(recorder.drawn, 0);
    menu.DrawMenuBar();
    EXPECT_EQ(recorder.drawn, 1);
}

TEST(MenuModelBuildingTest, TheObserverHearsOfEveryEntryAdded) {
    MenuModel menu;
    MenuRecorder recorder;
    menu.SetObserver(&recorder);
    Menu& file = menu.Bar().AddDropDown("&File");
    file.AddItem(1, "a");
    file.AddSeparator();
    const std::vector<std::pair<const Menu*, int>> expected = {{&menu.Bar(), 0}, {&file, 0}, {&file, 1}};
    EXPECT_EQ(recorder.changed, expected);
    EXPECT_EQ(menu.TitleMenu(0), &file);
}

}  // namespace
