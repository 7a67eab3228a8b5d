#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "support/temp_folder.h"
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
#include "ui/menu_model.h"
#include "ui/scripted_services.h"
#include "ui/tool_tips.h"

namespace {

namespace fs = std::filesystem;

using W = MainWindow;

// Counts what a front end would be told.
class CountingObserver : public DialogObserver, public MenuObserver {
public:
    int changes = 0;
    void OnWindowStep(DialogModel&, WindowStep) override { ++changes; }
    void OnControlChanged(DialogModel&, int) override { ++changes; }
    void OnMenuEntryChanged(MenuModel&, Menu&, int) override { ++changes; }
    void OnMenuBarDrawn(MenuModel&) override { ++changes; }
};

void SetAllLanguages(int code) {
    SetToolTipLanguage(code);
    SetMenuLanguage(code);
    SetMessageLanguage(code);
    SetUiLanguage(code);
}

class MainWindowTest : public testing::Test {
protected:
    TempFolder temp{"main_window"};
    std::string directory;  // with its trailing "/"
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        directory = temp.Path().string() + "/";
        TheConsoleStatus().consoleEcho = false;
        SetAllLanguages(kLanguageEnglish);
        window = MakeWindow();
    }
    void TearDown() override {
        window.reset();
        SetAllLanguages(kLanguageEnglish);
        TheConsoleStatus().consoleEcho = true;
    }

    std::string SettingsPath() const { return (temp / "settings").string(); }
    std::unique_ptr<MainWindow> MakeWindow() {
        auto made = std::make_unique<MainWindow>(services, SettingsPath());
        // No viewer is started unless a test asks for one.
        made->settings.autoDdeUpdates = false;
        made->settings.viewResults = false;
        return made;
    }
    // The window created and shown, with nothing in the service log.
    DialogModel& Shown() {
        window->Show();
        services.ClearLog();
        return window->Dialog();
    }
    DialogModel& D() { return window->Dialog(); }

    // What a front end does for the user.
    void Select(int id, int index) {
        D().SetSelection(id, index);
        D().Notify(id, NotifyEvent::kSelectionEnded);
        D().Notify(id, NotifyEvent::kListClosed);
    }
    void Type(int id, const std::string& text) {
        D().SetControlText(id, text.c_str());
        D().Notify(id, NotifyEvent::kFocusLost);
    }
    void Click(int id) { D().Notify(id, NotifyEvent::kClicked); }
    void ChooseExtension(int id) {
        D().CheckRadioButton(W::kHtmlExtensionButton, W::kRtfExtensionButton, id);
        Click(id);
    }

    std::string Path(const std::string& name) const { return directory + name; }
    void Write(const std::string& name, const std::string& content) {
        ASSERT_TRUE(WriteWhole(temp / name, content));
    }
    std::string Text(int id) { return D().ControlText(id); }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const ServiceCall& call : services.Messages()) captions.push_back(call.caption);
        return captions;
    }
};

// Every entry text of a menu and the drop-downs below it.
void CollectMenuTexts(const Menu& menu, std::vector<std::string>& texts) {
    for (int i = 0; i < menu.EntryCount(); ++i) {
        const MenuEntry* entry = menu.EntryAt(i);
        if (entry->kind == MenuEntryKind::kSeparator) continue;
        texts.push_back(entry->text.str());
        if (entry->dropDown) CollectMenuTexts(*entry->dropDown, texts);
    }
}

// ---------------------------------------------------------------------------
// Construction, start-up and the language

TEST_F(MainWindowTest, StartUpInEnglishFillsLabelsMenuAndTips) {
    window->settings.language = "English";
    DialogModel& dialog = Shown();
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ(dialog.Caption().str(), "Vendrel");

    const DialogTextEntry* labels = FindDialogTexts(kMainDialogId);
    ASSERT_NE(labels, nullptr);
    for (const DialogTextItem& item : labels->items) {
        EXPECT_EQ(Text(item.controlId), GetUiText(item.slot)) << item.controlId;
        EXPECT_NE(Text(item.controlId), "") << item.controlId;
    }
    std::vector<std::string> menuTexts;
    CollectMenuTexts(window->Menu().Bar(), menuTexts);
    ASSERT_FALSE(menuTexts.empty());
    for (const std::string& text : menuTexts) EXPECT_NE(text, "");
    int tips = 0;
    for (int id : ToolTipTable(kMainDialogId)) {
        if (!dialog.HasControl(id)) continue;
        ++tips;
        EXPECT_EQ(dialog.Control(id)->toolTip.str(), GetToolTipText(id)) << id;
        EXPECT_NE(dialog.Control(id)->toolTip.str(), "") << id;
    }
    EXPECT_EQ(tips, window->ToolTips().ToolCount());
    // The two lists in the language, with the first entries chosen.
    EXPECT_EQ(dialog.Control(W::kInputTypeCombo)->items.size(), 4u);
    EXPECT_EQ(dialog.Control(W::kInputTypeCombo)->items[3].str(), "Other delimited data file");
    ASSERT_EQ(dialog.Control(W::kOutputKindCombo)->items.size(), 3u);
    EXPECT_EQ(dialog.Control(W::kOutputKindCombo)->items[1].str(), "Output RTF to file");
    EXPECT_EQ(dialog.Selection(W::kInputTypeCombo), 0);
    EXPECT_EQ(dialog.Selection(W::kOutputKindCombo), 0);
    EXPECT_TRUE(dialog.IsChecked(W::kHtmlExtensionButton));
    EXPECT_TRUE(window->Menu().IsChecked(kCommandLanguageEnglish));
    // The delimiter waits for input type 3.
    EXPECT_FALSE(dialog.IsEnabled(W::kDelimiterEdit));
    EXPECT_FALSE(dialog.IsEnabled(W::kDelimiterLabel));
    EXPECT_TRUE(services.Log().empty());
}

TEST_F(MainWindowTest, SavedLanguageIsShownAtStartUp) {
    window->settings.language = "German";
    window.reset();  // saves the settings
    window = MakeWindow();
    DialogModel& dialog = Shown();
    EXPECT_EQ(window->LanguageCode, kLanguageGerman);
    EXPECT_EQ(window->Menu().Bar().EntryAt(kFileMenuPosition)->text.str(), "&Datei");
    EXPECT_EQ(dialog.Control(W::kConvertButton)->toolTip.str(), "Konvertierung beginnen");
    EXPECT_TRUE(window->Menu().IsChecked(kCommandLanguageGerman));
    EXPECT_FALSE(window->Menu().IsChecked(kCommandLanguageEnglish));
}

TEST_F(MainWindowTest, LanguageSwitchRelabelsEverythingAndBack) {
    DialogModel& dialog = Shown();
    window->settings.displayStatusDialog = false;
    window->settings.autoDdeUpdates = true;
    const DialogTextEntry* labels = FindDialogTexts(kMainDialogId);
    ASSERT_NE(labels, nullptr);
    const Menu& bar = window->Menu().Bar();
    const Menu* language = window->Menu().TitleMenu(kLanguageMenuPosition);
    ASSERT_NE(language, nullptr);

    struct Expected {
        int command;
        int code;
        std::vector<std::string> titles;  // the seven titles of the bar
        const char* english;  // the English item of the Language menu
        const char* other;
        const char* convertTip;
        const char* viewTip;
    };
    const Expected switches[] = {
        {kCommandLanguageGerman,
         kLanguageGerman,
         {"&Datei", "&Optionen Konvertierung", "Eins&tellungen", "&Sprache", "&Zeigen", "&Hilfe", "&Updates"},
         "Englisch",
         "Andere...",
         "Konvertierung beginnen",
         "de: Launch viewer application to load output file"},
        {kCommandLanguageEnglish,
         kLanguageEnglish,
         {"&File", "&Conversion options", "&Settings", "&Language", "&View", "&Help", "&Updates"},
         "English",
         "Other...",
         nullptr,
         nullptr},
    };
    for (const Expected& step : switches) {
        // Labels first set to something else come back in the language.
        for (const DialogTextItem& item : labels->items) dialog.SetControlText(item.controlId, "placeholder");
        ASSERT_TRUE(window->OnCommand(step.command));
        EXPECT_EQ(window->LanguageCode, step.code);
        for (int i = 0; i < static_cast<int>(step.titles.size()); ++i)
            EXPECT_EQ(bar.EntryAt(i)->text.str(), step.titles[static_cast<size_t>(i)]) << step.code << " " << i;
        EXPECT_EQ(language->CommandItem(kCommandLanguageEnglish)->text.str(), step.english);
        EXPECT_EQ(language->CommandItem(kCommandLanguageOther)->text.str(), step.other);
        for (const DialogTextItem& item : labels->items)
            EXPECT_EQ(Text(item.controlId), GetUiText(item.slot)) << step.code << " " << item.controlId;
        if (step.convertTip) {
            EXPECT_EQ(dialog.Control(W::kConvertButton)->toolTip.str(), step.convertTip);
            EXPECT_EQ(dialog.Control(W::kViewResultsButton)->toolTip.str(), step.viewTip);
        } else {
            EXPECT_EQ(dialog.Control(W::kConvertButton)->toolTip.str(), "Start the conversion");
        }
        // The check marks are set again after relabelling.
        for (int command : {kCommandLanguageEnglish, kCommandLanguageGerman, kCommandLanguageSwedish})
            EXPECT_EQ(window->Menu().IsChecked(command), command == step.command) << command;
        EXPECT_FALSE(window->Menu().IsChecked(kCommandLanguageOther));
        EXPECT_TRUE(window->Menu().IsChecked(kCommandShowToolTips));
        EXPECT_FALSE(window->Menu().IsChecked(kCommandShowStatusDialog));
        EXPECT_TRUE(window->Menu().IsChecked(kCommandAutoViewResults));
        // The status window shows the language too.
        EXPECT_EQ(window->Status().ShownLanguage, step.code);
        EXPECT_EQ(window->Status().Caption().str(), GetUiText(188));
        // The lists are filled again and keep their choice.
        EXPECT_EQ(dialog.Control(W::kInputTypeCombo)->items[0].str(), GetMessageText(kMsgPlainTextFile));
        EXPECT_EQ(dialog.Selection(W::kOutputKindCombo), 0);
    }
    EXPECT_EQ(window->settings.language.str(), "English");
}

TEST_F(MainWindowTest, TheCurrentLanguageAndOtherChangeNothing) {
    Shown();
    CountingObserver observer;
    D().SetObserver(&observer);
    window->Menu().SetObserver(&observer);
    EXPECT_TRUE(window->OnCommand(kCommandLanguageEnglish));
    EXPECT_TRUE(window->OnCommand(kCommandLanguageOther));
    EXPECT_EQ(observer.changes, 0);
    EXPECT_EQ(window->LanguageCode, kLanguageEnglish);
    EXPECT_TRUE(services.Log().empty());
    D().SetObserver(nullptr);
    window->Menu().SetObserver(nullptr);
    // A command the menu does not have is not taken.
    EXPECT_FALSE(window->OnCommand(kIdOk));
}

TEST_F(MainWindowTest, SettingsSwitchesToggleTheirCheckMarks) {
    DialogModel& dialog = Shown();
    struct Switch {
        int command;
        bool ProgramSettings::*setting;
    };
    const Switch switches[] = {
        {kCommandShowToolTips, &ProgramSettings::displayToolTips},
        {kCommandShowStatusDialog, &ProgramSettings::displayStatusDialog},
        {kCommandAutoViewResults, &ProgramSettings::autoDdeUpdates},
    };
    for (const Switch& one : switches) {
        const bool before = window->settings.*one.setting;
        EXPECT_EQ(window->Menu().IsChecked(one.command), before) << one.command;
        window->OnCommand(one.command);
        EXPECT_EQ(window->settings.*one.setting, !before) << one.command;
        EXPECT_EQ(window->Menu().IsChecked(one.command), !before) << one.command;
        window->OnCommand(one.command);
        EXPECT_EQ(window->settings.*one.setting, before) << one.command;
    }
    // Tips off: no control keeps its tip; on: they are back.
    window->OnCommand(kCommandShowToolTips);
    for (int id : dialog.ControlIds()) EXPECT_EQ(dialog.Control(id)->toolTip.str(), "") << id;
    EXPECT_EQ(window->ToolTips().ToolCount(), 0);
    window->OnCommand(kCommandShowToolTips);
    EXPECT_EQ(dialog.Control(W::kResetButton)->toolTip.str(), GetToolTipText(W::kResetButton));
    // The status window is shown and hidden by its command.
    EXPECT_FALSE(window->Status().IsVisible());
    window->OnCommand(kCommandViewMessages);
    EXPECT_TRUE(window->Status().IsVisible());
    window->OnCommand(kCommandViewMessages);
    EXPECT_FALSE(window->Status().IsVisible());
}

TEST_F(MainWindowTest, DelimiterIsOneCharacterAndWaitsForInputTypeThree) {
    DialogModel& dialog = Shown();
    Select(W::kInputTypeCombo, W::kInputOtherDelimiter);
    EXPECT_EQ(window->InputFileType, W::kInputOtherDelimiter);
    EXPECT_TRUE(dialog.IsEnabled(W::kDelimiterEdit));
    EXPECT_TRUE(dialog.IsEnabled(W::kDelimiterLabel));
    EXPECT_EQ(dialog.FocusedControl(), W::kDelimiterEdit);

    dialog.SetControlText(W::kDelimiterEdit, ";;");
    dialog.Notify(W::kDelimiterEdit, NotifyEvent::kTextChanged);
    EXPECT_TRUE(window->DelimiterEdited);
    dialog.SetFocus(W::kConvertButton);
    EXPECT_FALSE(window->Convert());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter no more than 1 characters.");
    EXPECT_EQ(dialog.FocusedControl(), W::kDelimiterEdit);

    // Nothing else is taken while the delimiter is refused.
    services.ClearLog();
    Select(W::kInputTypeCombo, W::kInputPlainText);
    EXPECT_EQ(window->InputFileType, W::kInputOtherDelimiter);
    EXPECT_EQ(services.Messages().size(), 1u);
    dialog.SetControlText(W::kDelimiterEdit, ";");
    Select(W::kInputTypeCombo, W::kInputPlainText);
    EXPECT_EQ(window->DelimiterText.str(), ";");
    EXPECT_FALSE(dialog.IsEnabled(W::kDelimiterEdit));
}

TEST_F(MainWindowTest, OutputKindAndExtensionAgreeOnRtf) {
    DialogModel& dialog = Shown();
    Type(W::kFileSpecCombo, Path("report.txt"));
    EXPECT_EQ(window->OutputFileName.str(), "report.html");

    struct Step {
        bool kind;  // choose an output kind, else click an extension
        int choice;
        int outputKind;
        int extensionButton;
        const char* outputName;
        bool fileControls;
    };
    const Step steps[] = {
        {true, W::kOutputRtfFile, W::kOutputRtfFile, W::kRtfExtensionButton, "report.rtf", true},
        {false, W::kHtmExtensionButton, W::kOutputHtmlFiles, W::kHtmExtensionButton, "report.htm", true},
        {false, W::kRtfExtensionButton, W::kOutputRtfFile, W::kRtfExtensionButton, "report.rtf", true},
        {false, W::kHtmlExtensionButton, W::kOutputHtmlFiles, W::kHtmlExtensionButton, "report.html", true},
        {true, W::kOutputHtmlClipboard, W::kOutputHtmlClipboard, W::kHtmlExtensionButton, "report.html", false},
        {true, W::kOutputRtfFile, W::kOutputRtfFile, W::kRtfExtensionButton, "report.rtf", true},
        {true, W::kOutputHtmlClipboard, W::kOutputHtmlClipboard, W::kHtmlExtensionButton, "report.html", false},
        {true, W::kOutputHtmlFiles, W::kOutputHtmlFiles, W::kHtmlExtensionButton, "report.html", true},
    };
    for (const Step& step : steps) {
        if (step.kind)
            Select(W::kOutputKindCombo, step.choice);
        else
            ChooseExtension(step.choice);
        EXPECT_EQ(window->OutputKind, step.outputKind) << step.choice;
        EXPECT_EQ(dialog.Selection(W::kOutputKindCombo), step.outputKind) << step.choice;
        EXPECT_TRUE(dialog.IsChecked(step.extensionButton)) << step.choice;
        EXPECT_EQ(window->OutputFileName.str(), step.outputName) << step.choice;
        EXPECT_EQ(Text(W::kOutputNameEdit), step.outputName) << step.choice;
        for (int id : {W::kOutputNameEdit, W::kOutputDirectoryCombo, W::kOutputDirectoryButton,
                       W::kHtmlExtensionButton, W::kHtmExtensionButton, W::kRtfExtensionButton})
            EXPECT_EQ(dialog.IsEnabled(id), step.fileControls) << step.choice << " " << id;
    }
    EXPECT_TRUE(window->ExtensionChosen);
}

TEST_F(MainWindowTest, SheetsAndDialogsNotBuiltYetShowNothing) {
    Shown();
    Type(W::kFileSpecCombo, Path("notes.txt"));
    services.ClearLog();
    CountingObserver observer;
    D().SetObserver(&observer);
    const int commands[] = {
        kCommandAnalysisFileStructure, kCommandAnalysisTables,         kCommandOutputTitleAndDescription,
        kCommandOutputTables,          kCommandOutputColours,          kCommandOutputHyperlinks,
        kCommandOutputFonts,           kCommandOutputDocumentSettings, kCommandOutputRtfSettings,
        kCommandSettingsDocumentation, kCommandSettingsDragAndDrop,    kCommandSettingsDiagnostics,
        kCommandSettingsViewers,       kCommandSettingsPolicyFiles,    kCommandAbout};
    for (int command : commands) EXPECT_TRUE(window->OnCommand(command)) << command;
    EXPECT_TRUE(services.Log().empty());
    EXPECT_TRUE(TheStatusWindow().Lines.count == 0);
    D().SetObserver(nullptr);
    // The output and settings sheets are loaded from the settings view,
    // which has the dialog's directories.
    EXPECT_EQ(window->SettingsView().GetText(Pol::InputDirectory).str(), directory);
    EXPECT_EQ(window->SettingsView().context, window->context.get());
}

}  // namespace
