// The main window switched to each translation shows its labels, menu and
// tool tips in that language, and so does the message about a missing
// delimiter.  What the window shows is compared with the language's own rows,
// so a text the translation lacks (and English fills in) is caught.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/conversion_run.h"
#include "support/temp_folder.h"
#include "support/translation_rows.h"
#include "texts/dialog_ids.h"
#include "texts/dialog_texts.h"
#include "texts/language_texts.h"
#include "texts/main_menu_commands.h"
#include "texts/main_menu_layout.h"
#include "texts/menu_texts.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/dialog_model.h"
#include "ui/main_window.h"
#include "ui/menu_model.h"
#include "ui/scripted_services.h"
#include "ui/tool_tips.h"

namespace {

using W = MainWindow;

void SetAllLanguages(int code) {
    SetToolTipLanguage(code);
    SetMenuLanguage(code);
    SetMessageLanguage(code);
    SetUiLanguage(code);
}

int LanguageCommand(int code) {
    switch (code) {
        case kLanguageGerman: return kCommandLanguageGerman;
        case kLanguageSpanish: return kCommandLanguageSpanish;
        case kLanguageFrench: return kCommandLanguageFrench;
        case kLanguagePortuguese: return kCommandLanguagePortuguese;
        case kLanguageItalian: return kCommandLanguageItalian;
        case kLanguageSwedish: return kCommandLanguageSwedish;
        default: return kCommandLanguageEnglish;
    }
}

// What a text of the language shows: its own row, or English for a slot it
// leaves unset.
std::string Shown(TranslationTable table, int code, int key) {
    if (std::optional<std::string> own = OwnText(table, code, key)) return *own;
    return OwnText(table, kLanguageEnglish, key).value_or("(no English text)");
}

// The tool tip of a control: the row of the control that owns its text.
std::string ShownTip(int code, int controlId) {
    const int index = ToolTipTexts::TextIndexOf(controlId);
    for (const TextRow& row : LanguageRows(TranslationTable::kTips, kLanguageEnglish))
        if (ToolTipTexts::TextIndexOf(row.slot) == index) return Shown(TranslationTable::kTips, code, row.slot);
    return "(no owner)";
}

class MainWindowLanguages : public testing::TestWithParam<int> {
protected:
    TempFolder temp{"main_window_languages"};
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        TheConsoleStatus().consoleEcho = false;
        SetAllLanguages(kLanguageEnglish);
        window = std::make_unique<MainWindow>(services, (temp / "settings").string());
        window->settings.autoDdeUpdates = false;
        window->settings.viewResults = false;
        window->Show();
        services.ClearLog();
    }
    void TearDown() override {
        window.reset();
        SetAllLanguages(kLanguageEnglish);
        TheConsoleStatus().consoleEcho = true;
    }
    DialogModel& D() { return window->Dialog(); }
};

INSTANTIATE_TEST_SUITE_P(Languages, MainWindowLanguages, testing::ValuesIn(kTranslationCodes),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(TranslationFolderName(info.param));
                         });

TEST_P(MainWindowLanguages, LabelsMenuTipsAndDelimiterMessageAreInTheLanguage) {
    const int code = GetParam();
    std::string listError;
    if (!ReadSameAsEnglish(code, listError))
        GTEST_SKIP() << TranslationFolderName(code) << ": no same_as_english.txt yet (not translated)";
    ASSERT_TRUE(window->OnCommand(LanguageCommand(code)));
    ASSERT_EQ(window->LanguageCode, code);

    const DialogTextEntry* labels = FindDialogTexts(kMainDialogId);
    ASSERT_NE(labels, nullptr);
    for (const DialogTextItem& item : labels->items)
        EXPECT_EQ(D().ControlText(item.controlId), Shown(TranslationTable::kUi, code, item.slot)) << item.controlId;

    // Every relabelled menu entry, found as the menu layer finds it.
    std::map<MainMenuPart, const Menu*> menus{{MainMenuPart::kMenuBar, &window->Menu().Bar()}};
    for (const MenuDropDownPlace& place : kMainMenuDropDowns) {
        const Menu* parent = menus[place.parent];
        menus[place.dropDown] = parent ? parent->DropDownAt(place.position) : nullptr;
    }
    int entries = 0;
    for (const MenuItemLabel& label : kMainMenuLabels) {
        const Menu* menu = menus[label.menu];
        ASSERT_NE(menu, nullptr) << label.slot;
        const MenuEntry* entry =
            label.lookup == MenuItemLookup::kByPosition ? menu->EntryAt(label.item) : menu->CommandItem(label.item);
        ASSERT_NE(entry, nullptr) << label.slot;
        EXPECT_EQ(entry->text.str(), Shown(TranslationTable::kMenus, code, label.slot)) << label.slot;
        ++entries;
    }
    EXPECT_GT(entries, 40);

    int tips = 0;
    for (int id : ToolTipTable(kMainDialogId)) {
        if (!D().HasControl(id)) continue;
        ++tips;
        EXPECT_EQ(D().Control(id)->toolTip.str(), ShownTip(code, id)) << id;
    }
    EXPECT_GT(tips, 0);

    // Input type 3 without a delimiter: the message is in the language.
    ASSERT_TRUE(WriteWhole(temp / "semi.txt", "Name;Town\nAda;Oslo\n"));
    D().SetControlText(W::kFileSpecCombo, (temp / "semi.txt").string().c_str());
    D().Notify(W::kFileSpecCombo, NotifyEvent::kFocusLost);
    D().SetSelection(W::kInputTypeCombo, W::kInputOtherDelimiter);
    D().Notify(W::kInputTypeCombo, NotifyEvent::kSelectionEnded);
    D().Notify(W::kInputTypeCombo, NotifyEvent::kListClosed);
    D().Notify(W::kConvertButton, NotifyEvent::kClicked);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, Shown(TranslationTable::kMessages, code, kMsgNoDelimiter));
    EXPECT_EQ(services.Messages()[0].text, Shown(TranslationTable::kMessages, code, kMsgNeedDelimiter));
    // German keeps the English caption behind its language mark.
    if (code == kLanguageGerman) {
        EXPECT_EQ(services.Messages()[0].caption, "de: No delimiter character specified");
    }
}

}  // namespace
