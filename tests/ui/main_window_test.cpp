#include "ui/main_window.h"
#include "ui/analysis_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/conversion_run.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/page_actions.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/dialog_texts.h"
#include "texts/language_texts.h"
#include "texts/main_menu_commands.h"
#include "texts/main_menu_layout.h"
#include "texts/menu_texts.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "texts/sheet_topics.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/dialog_model.h"
#include "ui/menu_model.h"
#include "ui/output_sheet.h"
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
    window.reset();  // saves the settings
    // Another language in the tables before the program starts.
    SetAllLanguages(kLanguageSwedish);
    window = MakeWindow();
    EXPECT_EQ(window->LanguageCode, kLanguageEnglish);
    EXPECT_EQ(TheToolTipTexts().CurrentLanguage(), kLanguageEnglish);
    EXPECT_EQ(TheMenuTextTable().CurrentLanguage(), kLanguageEnglish);
    EXPECT_EQ(TheMessageTextTable().CurrentLanguage(), kLanguageEnglish);
    EXPECT_EQ(TheUiTextTable().CurrentLanguage(), kLanguageEnglish);
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
    // The output name shows from the first showing.
    EXPECT_EQ(Text(W::kOutputNameEdit), "*.html");
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

// A batch run speaks English: the saved language is applied when the
// window initialises, not when the dialog is made.
TEST_F(MainWindowTest, TheSavedLanguageWaitsForTheWindow) {
    window->settings.language = "German";
    window.reset();  // saves the settings
    window = MakeWindow();
    EXPECT_EQ(window->LanguageCode, kLanguageEnglish);
    EXPECT_STREQ(GetUiText(391), "Drag and drop properties");
    Shown();
    EXPECT_EQ(window->LanguageCode, kLanguageGerman);
    EXPECT_STREQ(GetUiText(391), "Drag & Drop-Eigenschaften");
    EXPECT_EQ(window->settings.language.str(), "German");
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

    // A refused delimiter takes no other field with it, and stays as it was
    // typed while the others are taken and shown: a file name typed and
    // left is taken, with the names it gives.
    services.ClearLog();
    Type(W::kFileSpecCombo, Path("table.txt"));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter no more than 1 characters.");
    EXPECT_EQ(window->FileSpec.str(), Path("table.txt"));
    EXPECT_EQ(Text(W::kFileSpecCombo), Path("table.txt"));
    EXPECT_EQ(Text(W::kOutputNameEdit), "table.html");
    EXPECT_EQ(Text(W::kDelimiterEdit), ";;");
    EXPECT_EQ(window->DelimiterText.str(), "");
    EXPECT_EQ(dialog.FocusedControl(), W::kDelimiterEdit);
    // Mended, the delimiter is taken with the next values.
    services.ClearLog();
    dialog.SetControlText(W::kDelimiterEdit, ";");
    Select(W::kInputTypeCombo, W::kInputPlainText);
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_EQ(window->DelimiterText.str(), ";");
    EXPECT_EQ(Text(W::kFileSpecCombo), Path("table.txt"));
    EXPECT_FALSE(dialog.IsEnabled(W::kDelimiterEdit));
    // The user cannot type more than the one character.
    EXPECT_EQ(dialog.Control(W::kDelimiterEdit)->maxLength, W::kDelimiterLength);
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

TEST_F(MainWindowTest, TheWindowOpensWithTheExtensionAndOutputKindItWasClosedWith) {
    // What the settings keep, and what the window shows: the extension
    // decides the output kind where the two disagree, as a click on it does.
    const struct {
        int conversionType, outputType;
        int extension, outputKind;
    } cases[] = {
        {W::kExtensionHtm, W::kOutputHtmlFiles, W::kExtensionHtm, W::kOutputHtmlFiles},
        {W::kExtensionRtf, W::kOutputRtfFile, W::kExtensionRtf, W::kOutputRtfFile},
        {W::kExtensionHtml, W::kOutputHtmlClipboard, W::kExtensionHtml, W::kOutputHtmlClipboard},
        {W::kExtensionRtf, W::kOutputHtmlFiles, W::kExtensionRtf, W::kOutputRtfFile},
        {W::kExtensionHtm, W::kOutputRtfFile, W::kExtensionHtm, W::kOutputHtmlFiles},
        {3, W::kOutputRtfFile, W::kExtensionHtml, W::kOutputHtmlFiles},
        {-1, 9, W::kExtensionHtml, W::kOutputHtmlFiles},
    };
    const int buttons[] = {W::kHtmlExtensionButton, W::kHtmExtensionButton, W::kRtfExtensionButton};
    for (const auto& c : cases) {
        // Each window saves before the next one reads: two open at once
        // would keep each other's changes, as two programs do.
        window.reset();
        window = MakeWindow();
        window->settings.conversionType = c.conversionType;
        window->settings.outputType = c.outputType;
        DialogModel& dialog = Shown();
        EXPECT_EQ(window->ExtensionChoice, c.extension) << c.conversionType << "," << c.outputType;
        EXPECT_EQ(window->OutputKind, c.outputKind) << c.conversionType << "," << c.outputType;
        EXPECT_TRUE(dialog.IsChecked(buttons[c.extension])) << c.conversionType;
        EXPECT_EQ(dialog.Selection(W::kOutputKindCombo), c.outputKind) << c.outputType;
        EXPECT_EQ(dialog.IsEnabled(W::kOutputNameEdit), c.outputKind != W::kOutputHtmlClipboard);
    }

    // Closing keeps the choices in force for the next start, through the
    // settings file.
    DialogModel& dialog = Shown();
    ChooseExtension(W::kHtmExtensionButton);
    Select(W::kOutputKindCombo, W::kOutputHtmlClipboard);
    window->Close();
    EXPECT_FALSE(dialog.HasWindow());
    window.reset();
    ProgramSettings saved(SettingsPath());
    saved.LoadSettings(nullptr);
    EXPECT_EQ(saved.conversionType, W::kExtensionHtm);
    EXPECT_EQ(saved.outputType, W::kOutputHtmlClipboard);
    window = MakeWindow();
    Shown();
    EXPECT_EQ(window->ExtensionChoice, W::kExtensionHtm);
    EXPECT_EQ(window->OutputKind, W::kOutputHtmlClipboard);

    // "/RTF" on the command line comes after the kept choices.
    window = MakeWindow();
    window->context->runParameters.rtf = 1;
    Shown();
    EXPECT_EQ(window->ExtensionChoice, W::kExtensionRtf);
    EXPECT_EQ(window->OutputKind, W::kOutputRtfFile);

    // A window that opens on the files of a batch run shows the choices
    // they were converted with.
    window = MakeWindow();
    window->settings.conversionType = W::kExtensionRtf;
    window->settings.outputType = W::kOutputRtfFile;
    window->SetInputFileSpec(TextString(Path("converted.txt").c_str()));
    Shown();
    EXPECT_EQ(window->ExtensionChoice, W::kExtensionHtml);
    EXPECT_EQ(window->OutputKind, W::kOutputHtmlFiles);
}

TEST_F(MainWindowTest, TheOutputMenuOpensTheSheetOnThePageOfItsTopic) {
    Shown();
    const struct {
        int command;
        int topic;
        int tab;
    } cases[] = {
        {kCommandOutputTitleAndDescription, kTopicTitleAndDescription, 0},
        {kCommandOutputTables, kTopicTableGeneration, 6},
        {kCommandOutputColours, kTopicDocumentColours, 1},
        {kCommandOutputHyperlinks, kTopicHyperlinks, 3},
        {kCommandOutputFonts, kTopicFonts, 2},
        {kCommandOutputDocumentSettings, kTopicDocumentSettings, 4},
        {kCommandOutputRtfSettings, kTopicRtfSettings, 5},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(window->OnCommand(c.command));
        Sheet* sheet = window->OutputSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_TRUE(sheet->IsShown()) << c.command;
        EXPECT_EQ(sheet->ActivePageIndex(), c.tab) << c.command;
        EXPECT_EQ(sheet->TopicCode(), c.topic) << c.command;
    }
    // One sheet, kept: a second opening raises the same window.
    Sheet* sheet = window->OutputSheet();
    ASSERT_TRUE(window->OnCommand(kCommandOutputColours));
    EXPECT_EQ(window->OutputSheet(), sheet);

    // A change on a page is stored into the working set by OK, and the run's
    // policies then carry it.
    sheet->colours.SetControlText(ColoursPage::kText, "Navy");
    sheet->colours.Notify(ColoursPage::kText, NotifyEvent::kTextChanged);
    EXPECT_TRUE(sheet->IsEnabled(kIdApply));
    sheet->Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_EQ(window->WorkingSet().GetText(Pol::TextColour).str(), "Navy");
    EXPECT_EQ(window->policiesEdited, 1);

    // The next opening shows the working set's value through the settings
    // view; resetting to defaults clears what the pages remember.
    ASSERT_TRUE(window->OnCommand(kCommandOutputColours));
    EXPECT_STREQ(sheet->colours.ControlText(ColoursPage::kText), "Navy");
    window->ResetToDefaults();
    EXPECT_FALSE(sheet->colours.Bound(ColoursPage::kText)->changed);
    EXPECT_STREQ(sheet->colours.ControlText(ColoursPage::kText), "");
}

TEST_F(MainWindowTest, TheOpenOutputSheetFollowsTheLanguage) {
    Shown();
    ASSERT_TRUE(window->OnCommand(kCommandOutputFonts));
    ASSERT_TRUE(window->OnCommand(kCommandLanguageGerman));
    EXPECT_EQ(window->OutputSheet()->Caption().str(), "Ausgabe Regeldaten");
    EXPECT_STREQ(window->OutputSheet()->ControlText(kIdCancel), "Abbrechen");
}

// ---------------------------------------------------------------------------
// Files, directories and the conversion

class MainWindowRunTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Shown();
    }
    bool Exists(const std::string& name) const { return fs::exists(temp / name); }
    void Drop(std::vector<TextString> paths) {
        D().SetDroppedFiles(std::move(paths));
        D().Notify(kWholeDialog, NotifyEvent::kFilesDropped);
    }
    int CountCalls(ServiceCallKind kind) const {
        int count = 0;
        for (const ServiceCall& call : services.Log()) count += call.kind == kind ? 1 : 0;
        return count;
    }
};

// The wait cursor shows while a conversion or a policy load runs, and is
// gone when it ends.
TEST_F(MainWindowRunTest, AConversionAndAPolicyLoadShowTheWaitCursor) {
    const auto waitsAround = [this] {
        const std::vector<ServiceCall>& log = services.Log();
        return !log.empty() && log.front().kind == ServiceCallKind::kBeginWaitCursor &&
               log.back().kind == ServiceCallKind::kEndWaitCursor && services.WaitCursorDepth() == 0;
    };
    WriteWhole(temp / "wait.txt", "Name  Age\nAnn   31\n");
    Type(W::kFileSpecCombo, Path("wait.txt"));
    window->settings.displayStatusDialog = false;
    services.ClearLog();
    EXPECT_TRUE(window->RunConversion());
    EXPECT_TRUE(waitsAround());
    WriteWhole(temp / "wait.pol", "Default TABLE border size : 1\n");
    window->runPolicyFileName = Path("wait.pol").c_str();
    services.ClearLog();
    EXPECT_TRUE(window->LoadPolicyFile());
    EXPECT_TRUE(waitsAround());
}

TEST_F(MainWindowRunTest, ConvertWithAnEmptyFieldBrowsesAndACancelEndsSilently) {
    window->settings.currentDir = TextString(directory.c_str());
    Click(W::kConvertButton);
    ASSERT_EQ(services.Log().size(), 1u);
    EXPECT_EQ(services.Log()[0].kind, ServiceCallKind::kChooseFiles);
    EXPECT_EQ(services.Log()[0].path, directory + "*.txt");
    EXPECT_EQ(services.Log()[0].text, GetMessageText(kMsgTextFilesFilter));
    EXPECT_EQ(D().Caption().str(), "Vendrel");
    // File > Convert... browses first too, and converts nothing when the
    // user cancels.
    services.ClearLog();
    EXPECT_TRUE(window->OnCommand(kCommandConvert));
    EXPECT_EQ(services.Log().size(), 1u);
    EXPECT_TRUE(services.Messages().empty());
}

// File > Convert is Browse, then Convert: its chooser starts at the file the
// field shows, typed and not left yet, and converts what is chosen.
TEST_F(MainWindowRunTest, FileConvertChoosesFromTheFileShownAndConvertsTheChoice) {
    Write("shown.txt", "Name   Town\nAda    Oslo\n");
    Write("chosen.txt", "Item   Cost\nTea    3\n");
    Type(W::kFileSpecCombo, Path("first.txt"));
    // Typed over, the field not left: the chooser proposes what it shows.
    D().SetControlText(W::kFileSpecCombo, Path("shown.txt").c_str());
    services.ClearLog();
    services.QueueFiles({TextString(Path("chosen.txt").c_str())});
    EXPECT_TRUE(window->OnCommand(kCommandConvert));
    ASSERT_FALSE(services.Log().empty());
    EXPECT_EQ(services.Log()[0].kind, ServiceCallKind::kChooseFiles);
    EXPECT_EQ(services.Log()[0].path, Path("shown.txt"));
    EXPECT_TRUE(Exists("chosen.html"));
    EXPECT_FALSE(Exists("shown.html"));
    // A bare name is proposed in the input folder; several files, the folder.
    D().SetControlText(W::kFileSpecCombo, "bare.txt");
    services.ClearLog();
    window->OnCommand(kCommandConvert);
    EXPECT_EQ(services.Log().at(0).path, directory + "bare.txt");
    D().SetControlText(W::kFileSpecCombo, (directory + "\"/a.txt\" \"/b.txt\"").c_str());
    services.ClearLog();
    window->OnCommand(kCommandConvert);
    EXPECT_EQ(services.Log().at(0).path, directory + "*.txt");
}

// Opening the analysis sheet writes none of the window's choices into the
// policies the user edits: an extension chosen afterwards is the one used.
TEST_F(MainWindowRunTest, AnExtensionChosenAfterTheAnalysisSheetOpenedIsUsed) {
    Write("sheet.txt", "Name  Age\nAnn   31\n");
    Type(W::kFileSpecCombo, Path("sheet.txt"));
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisFileStructure));
    window->AnalysisSheet()->Notify(kIdCancel, NotifyEvent::kClicked);
    EXPECT_FALSE(window->WorkingSet().IsSet(Pol::UseHTMExtension));
    ChooseExtension(W::kHtmExtensionButton);
    ASSERT_TRUE(window->Convert());
    EXPECT_TRUE(Exists("sheet.htm"));
    EXPECT_FALSE(Exists("sheet.html"));
    EXPECT_EQ(window->ExtensionChoice, W::kExtensionHtm);
}

TEST_F(MainWindowRunTest, BrowsingToOneCsvFileSelectsCommaInputAndConverts) {
    Write("data.csv", "Name,Town\nAda,Oslo\n");
    services.QueueFiles({TextString(Path("data.csv").c_str())});
    Click(W::kConvertButton);
    EXPECT_EQ(window->FileSpec.str(), Path("data.csv"));
    EXPECT_EQ(window->InputFileType, W::kInputCommaDelimited);
    EXPECT_EQ(D().Selection(W::kInputTypeCombo), W::kInputCommaDelimited);
    EXPECT_EQ(window->InputDirectory.str(), directory);
    EXPECT_EQ(window->OutputDirectory.str(), directory);
    EXPECT_EQ(D().Caption().str(), "data.csv - Vendrel");
    EXPECT_EQ(window->settings.filesHistory[0].str(), Path("data.csv"));
    EXPECT_EQ(window->settings.outDirHistory[0].str(), directory);
    EXPECT_EQ(window->settings.currentDir.str(), directory);
    EXPECT_EQ(D().Control(W::kFileSpecCombo)->items.front().str(), Path("data.csv"));
    const std::string html = ReadWhole(temp / "data.html");
    EXPECT_NE(html.find("Oslo"), std::string::npos) << html;
    EXPECT_NE(html.find("<TD"), std::string::npos) << html;
    EXPECT_TRUE(services.Messages().empty()) << services.Messages()[0].text;
    EXPECT_EQ(window->lastOutputFileName.str(), "data.html");
}

TEST_F(MainWindowRunTest, BrowsingToSeveralFilesBuildsTheMultiFileForm) {
    for (const char* name : {"one.txt", "two words.txt"}) Write(name, "Some text\n");
    services.QueueFiles({TextString(Path("one.txt").c_str()), TextString(Path("two words.txt").c_str())});
    ASSERT_TRUE(window->Browse());
    EXPECT_EQ(window->FileSpec.str(), directory + "\"/one.txt\" \"/two words.txt\"");
    EXPECT_EQ(D().Caption().str(), "\"/one.txt\"... - Vendrel");
    EXPECT_TRUE(window->Convert());
    EXPECT_TRUE(Exists("one.html"));
    EXPECT_TRUE(Exists("two words.html"));
}

TEST_F(MainWindowRunTest, TypedNamesFollowTheCsvRuleCaseSensitively) {
    struct Step {
        const char* name;
        int inputType;
        const char* outputName;
    };
    const Step steps[] = {
        {"upper.CSV", W::kInputPlainText, "upper.html"},
        {"lower.csv", W::kInputCommaDelimited, "lower.html"},
        {"notes.txt", W::kInputPlainText, "notes.html"},
    };
    for (const Step& step : steps) {
        Type(W::kFileSpecCombo, Path(step.name));
        EXPECT_EQ(window->InputFileType, step.inputType) << step.name;
        EXPECT_EQ(window->OutputFileName.str(), step.outputName) << step.name;
        EXPECT_EQ(window->InputDirectory.str(), directory) << step.name;
        EXPECT_EQ(window->OutputDirectory.str(), directory) << step.name;
        EXPECT_EQ(D().Caption().str(), std::string(step.name) + " - Vendrel");
        EXPECT_EQ(window->settings.filesHistory[0].str(), Path(step.name));
    }
    // Picking an entry of the history takes it as typed.
    Select(W::kFileSpecCombo, 1);
    EXPECT_EQ(window->FileSpec.str(), Path("lower.csv"));
    EXPECT_EQ(window->InputFileType, W::kInputCommaDelimited);
    EXPECT_EQ(D().Caption().str(), "lower.csv - Vendrel");
}

TEST_F(MainWindowRunTest, DroppedFilesConvertAtOnceAndEditingTheFieldConvertsWhatItShows) {
    fs::create_directory(temp / "sub");
    Write("a.txt", "Alpha\n");
    Write("b c.txt", "Beta\n");
    Write("sub/d.txt", "Delta\n");
    Drop({TextString(Path("a.txt").c_str()), TextString(Path("b c.txt").c_str()),
          TextString(Path("sub/d.txt").c_str())});
    EXPECT_EQ(window->FileSpec.str(), directory + "\"/a.txt\" \"/b c.txt\" \"/sub/d.txt\"");
    EXPECT_EQ(Text(W::kFileSpecCombo), window->FileSpec.str());
    // The directory of the last file is the input directory.
    EXPECT_EQ(window->InputDirectory.str(), Path("sub/"));
    EXPECT_FALSE(window->InputDirectoryFixed);
    EXPECT_EQ(D().Caption().str(), "\"/a.txt\"... - Vendrel");
    EXPECT_TRUE(Exists("a.html"));
    EXPECT_TRUE(Exists("b c.html"));
    EXPECT_TRUE(Exists("sub/d.html"));
    EXPECT_TRUE(services.Messages().empty());

    for (const char* name : {"a.html", "b c.html", "sub/d.html"}) fs::remove(temp / name);
    EXPECT_EQ(window->commandLineSpecs.size(), 3u);
    D().SetControlText(W::kFileSpecCombo, Path("a.txt").c_str());
    D().Notify(W::kFileSpecCombo, NotifyEvent::kEditChanged);
    EXPECT_TRUE(window->commandLineSpecs.empty());
    Type(W::kFileSpecCombo, Path("a.txt"));
    EXPECT_TRUE(window->Convert());
    EXPECT_TRUE(Exists("a.html"));
    EXPECT_FALSE(Exists("b c.html"));
    EXPECT_FALSE(Exists("sub/d.html"));
}

TEST_F(MainWindowRunTest, ATypedMultiFileFormConvertsNamesWithBlanks) {
    Write("b c.txt", "Beta\n");
    Write("d.txt", "Delta\n");
    Type(W::kFileSpecCombo, directory + "\"/b c.txt\" \"/d.txt\"");
    EXPECT_EQ(window->InputDirectory.str(), directory);
    EXPECT_TRUE(window->Convert());
    EXPECT_TRUE(Exists("b c.html"));
    EXPECT_TRUE(Exists("d.html"));
}

TEST_F(MainWindowRunTest, ATypedNameWithAQuoteIsNotFoundAndNothingElseConverts) {
    Write("say \"hi\".txt", "Quoted\n");
    Write("hi.txt", "Other\n");
    Type(W::kFileSpecCombo, Path("say \"hi\".txt"));
    EXPECT_FALSE(window->Convert());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "File selection error");
    EXPECT_NE(services.Messages()[0].text.find("No files found"), std::string::npos);
    EXPECT_FALSE(Exists("say \"hi\".html"));
    EXPECT_FALSE(Exists("hi.html"));
    // Dropped, it is converted by its path.
    services.ClearLog();
    Drop({TextString(Path("say \"hi\".txt").c_str())});
    EXPECT_TRUE(Exists("say \"hi\".html"));
    EXPECT_FALSE(Exists("hi.html"));
}

TEST_F(MainWindowRunTest, OneDroppedFileIsTheFieldItself) {
    Write("only.txt", "Only\n");
    Drop({TextString(Path("only.txt").c_str())});
    EXPECT_EQ(window->FileSpec.str(), Path("only.txt"));
    EXPECT_EQ(window->OutputFileName.str(), "only.html");
    EXPECT_EQ(D().Caption().str(), "only.txt - Vendrel");
    EXPECT_TRUE(Exists("only.html"));
}

TEST_F(MainWindowRunTest, DirectoriesGainTheirSlashAndAreChecked) {
    Write("in.txt", "Text\n");
    fs::create_directory(temp / "out");
    Type(W::kFileSpecCombo, Path("in.txt"));
    // Leaving the output directory field adds the slash and marks the
    // directory as chosen; one character is left alone.
    Type(W::kOutputDirectoryCombo, Path("out"));
    EXPECT_EQ(window->OutputDirectory.str(), Path("out/"));
    EXPECT_EQ(Text(W::kOutputDirectoryCombo), Path("out/"));
    EXPECT_TRUE(window->OutputDirectoryChosen);
    Type(W::kOutputDirectoryCombo, ".");
    EXPECT_EQ(window->OutputDirectory.str(), ".");
    Type(W::kOutputDirectoryCombo, Path("out"));

    // The input directory gains its slash before the check and becomes the
    // current directory.
    window->InputDirectory = TextString(Path("").substr(0, directory.size() - 1).c_str());
    EXPECT_TRUE(window->Convert());
    EXPECT_EQ(window->InputDirectory.str(), directory);
    EXPECT_EQ(window->settings.currentDir.str(), directory);
    // An output directory inside the input directory is written once.
    EXPECT_TRUE(Exists("out/in.html"));
    EXPECT_EQ(window->settings.outDirHistory[0].str(), Path("out/"));
    Select(W::kOutputKindCombo, W::kOutputRtfFile);
    EXPECT_TRUE(window->Convert());
    EXPECT_TRUE(Exists("out/in.rtf"));
    // A new file keeps the chosen output directory.
    Type(W::kFileSpecCombo, Path("in.txt"));
    EXPECT_EQ(window->OutputDirectory.str(), Path("out/"));

    struct Case {
        const char* inputDirectory;
        const char* outputDirectory;
        int textSlot;
        int focus;
    };
    const std::string missing = Path("missing");
    const Case cases[] = {
        {missing.c_str(), directory.c_str(), kMsgInvalidInputDirectory, kNoControl},
        {directory.c_str(), missing.c_str(), kMsgInvalidOutputDirectory, W::kOutputDirectoryCombo},
    };
    for (const Case& c : cases) {
        services.ClearLog();
        D().SetFocus(kNoControl);
        window->InputDirectory = c.inputDirectory;
        D().SetControlText(W::kOutputDirectoryCombo, c.outputDirectory);
        EXPECT_FALSE(window->Convert());
        ASSERT_EQ(services.Messages().size(), 1u);
        EXPECT_EQ(services.Messages()[0].caption, GetMessageText(kMsgDirectoryError));
        EXPECT_EQ(services.Messages()[0].text, GetMessageText(c.textSlot));
        EXPECT_EQ(D().FocusedControl(), c.focus);
        std::string withSlash = c.inputDirectory;
        if (withSlash.back() != '/') withSlash += '/';
        EXPECT_EQ(window->InputDirectory.str(), withSlash);
    }
}

TEST_F(MainWindowRunTest, TheFolderChooserTakesOnlyWritableFolders) {
    fs::create_directory(temp / "chosen");
    services.QueueFolder(Path("missing").c_str());
    services.QueueFolder(Path("chosen").c_str());
    Click(W::kOutputDirectoryButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, GetMessageText(kMsgInvalidOutputDirectory));
    EXPECT_FALSE(window->OutputDirectoryChosen);
    Click(W::kOutputDirectoryButton);
    EXPECT_EQ(services.Log().front().caption, GetMessageText(kMsgSelectOutputDirectory));
    EXPECT_EQ(window->OutputDirectory.str(), Path("chosen/"));
    EXPECT_TRUE(window->OutputDirectoryChosen);
    EXPECT_EQ(window->settings.outDirHistory[0].str(), Path("chosen/"));
    EXPECT_EQ(D().Control(W::kOutputDirectoryCombo)->items.front().str(), Path("chosen/"));
    // Picking from the history takes the entry as chosen.
    window->OutputDirectoryChosen = false;
    Select(W::kOutputDirectoryCombo, 0);
    EXPECT_TRUE(window->OutputDirectoryChosen);
}

TEST_F(MainWindowRunTest, InputTypeThreeNeedsADelimiter) {
    Write("semi.txt", "Name;Town\nAda;Oslo\n");
    Type(W::kFileSpecCombo, Path("semi.txt"));
    Select(W::kInputTypeCombo, W::kInputOtherDelimiter);
    D().SetFocus(W::kConvertButton);
    Click(W::kConvertButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "No delimiter character specified");
    EXPECT_EQ(services.Messages()[0].text, "Need to specify a delimiter character");
    EXPECT_EQ(D().FocusedControl(), W::kDelimiterEdit);
    EXPECT_FALSE(Exists("semi.html"));

    D().SetControlText(W::kDelimiterEdit, ";");
    D().Notify(W::kDelimiterEdit, NotifyEvent::kTextChanged);
    Click(W::kConvertButton);
    const std::string html = ReadWhole(temp / "semi.html");
    EXPECT_NE(html.find("Oslo</TD>"), std::string::npos) << html;
    auto delimiter = [&] { return window->WorkingSet().GetCurrentTabConfig()->GetText(TabPol::DelimiterCharacter); };
    EXPECT_EQ(delimiter().str(), ";");
    // Every other input type converts without the typed delimiter.
    Select(W::kInputTypeCombo, W::kInputPlainText);
    Click(W::kConvertButton);
    EXPECT_EQ(delimiter().str(), "");
}

// Each run numbers its tables from table_0, however many runs the window
// made before; within a run the numbers go on from file to file.
TEST_F(MainWindowRunTest, EveryRunNumbersItsTablesFromTableZero) {
    Write("first.txt", "Name   Town\nAda    Oslo\nBob    Rome\n");
    Write("second.txt", "Item   Cost\nTea    3\nJam    4\n");
    Type(W::kFileSpecCombo, Path("first.txt"));
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(window->Convert());
        EXPECT_NE(ReadWhole(temp / "first.html").find("ID=\"table_0\""), std::string::npos) << "run " << run;
    }
    Drop({Path("first.txt").c_str(), Path("second.txt").c_str()});
    EXPECT_NE(ReadWhole(temp / "first.html").find("ID=\"table_0\""), std::string::npos);
    EXPECT_NE(ReadWhole(temp / "second.html").find("ID=\"table_1\""), std::string::npos);
}

TEST_F(MainWindowRunTest, ClipboardOutputPutsTheHtmlOnTheClipboard) {
    Write("clip.txt", "Name\tTown\nAda\tOslo\n");
    Type(W::kFileSpecCombo, Path("clip.txt"));
    Select(W::kOutputKindCombo, W::kOutputHtmlClipboard);
    EXPECT_FALSE(D().IsEnabled(W::kOutputNameEdit));
    EXPECT_TRUE(window->Convert());
    const std::string& clipboard = services.ClipboardText();
    EXPECT_NE(clipboard.find("Oslo"), std::string::npos) << clipboard;
    EXPECT_EQ(clipboard.find("<BODY"), std::string::npos) << clipboard;
    EXPECT_EQ(clipboard.back(), '\n');
    EXPECT_FALSE(Exists("clip.html"));
    EXPECT_EQ(window->Status().Lines.count > 0, true);
    for (int i = 0; i < window->Status().Lines.count; ++i)
        EXPECT_EQ(std::string(window->Status().Lines.TextAt(i)).find("ERROR"), std::string::npos)
            << window->Status().Lines.TextAt(i);
}

// The clipboard form of a table, compared with the expected text in
// tests/data/main_window (VENDREL_REGENERATE_GOLDEN=1 writes it instead).
TEST_F(MainWindowRunTest, TheClipboardFormOfATableIsTheExpectedOne) {
    const fs::path golden = fs::path(VENDREL_TEST_DATA_DIR) / "main_window";
    Write("clipboard_table.txt", ReadWhole(golden / "clipboard_table.txt"));
    Type(W::kFileSpecCombo, Path("clipboard_table.txt"));
    Select(W::kOutputKindCombo, W::kOutputHtmlClipboard);
    ASSERT_TRUE(window->Convert());
    std::string actual = services.ClipboardText();
    const fs::path expected = golden / "clipboard_table.html";
    if (std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(WriteWhole(expected, actual));
        return;
    }
    EXPECT_EQ(actual, ReadWhole(expected));
}

TEST(MainWindowTitleTest, Cases) {
    struct Case {
        const char* spec;
        const char* title;
    };
    const Case cases[] = {
        {"", "Vendrel"},
        {"/home/me/notes.txt", "notes.txt - Vendrel"},
        {"notes.txt", "notes.txt - Vendrel"},
        {"/home/me/\"/a b.txt\" \"/c.txt\"", "\"/a b.txt\"... - Vendrel"},
        {"/home/me/\"/a.txt\" \"/c.txt\"", "\"/a.txt\"... - Vendrel"},
    };
    for (const Case& c : cases) EXPECT_EQ(MainWindow::TitleFor(TextString(c.spec)).str(), c.title) << c.spec;
}

TEST_F(MainWindowRunTest, HistoriesKeepTenEntriesWithoutDuplicates) {
    for (int i = 0; i < 12; ++i) window->FillInputFileCombo(TextString(("f" + std::to_string(i)).c_str()));
    auto entries = [&] {
        std::vector<std::string> list;
        for (const TextString& entry : window->settings.filesHistory) list.push_back(entry.str());
        return list;
    };
    EXPECT_EQ(entries(), (std::vector<std::string>{"f11", "f10", "f9", "f8", "f7", "f6", "f5", "f4", "f3", "f2"}));
    window->FillInputFileCombo(TextString("f6"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"f6", "f11", "f10", "f9", "f8", "f7", "f5", "f4", "f3", "f2"}));
    window->FillInputFileCombo(TextString("f6"));
    window->FillInputFileCombo(TextString(""));
    EXPECT_EQ(entries()[0], "f6");
    EXPECT_EQ(entries()[1], "f11");
    // Letter case counts.
    window->FillInputFileCombo(TextString("F6"));
    EXPECT_EQ(entries()[0], "F6");
    EXPECT_EQ(entries()[1], "f6");
    EXPECT_EQ(D().Control(W::kFileSpecCombo)->items.size(), 10u);
    EXPECT_EQ(D().Control(W::kFileSpecCombo)->items[0].str(), "F6");
}

TEST_F(MainWindowRunTest, ATypedNameStaysWhenTheHistoryListClosesWithoutAChoice) {
    window->FillInputFileCombo(TextString(Path("picked.txt").c_str()));
    window->settings.outDirHistory[0] = TextString(Path("picked/").c_str());
    window->RefreshControls();
    const struct {
        int combo;
        std::string picked, typed;
        TextString MainDialog::*member;
    } cases[] = {
        {W::kFileSpecCombo, Path("picked.txt"), Path("typed.txt"), &MainDialog::FileSpec},
        {W::kOutputDirectoryCombo, Path("picked/"), Path("typed/"), &MainDialog::OutputDirectory},
    };
    for (const auto& c : cases) {
        const std::vector<TextString>& items = D().Control(c.combo)->items;
        const auto entry = std::find(items.begin(), items.end(), TextString(c.picked.c_str()));
        ASSERT_NE(entry, items.end()) << c.picked;
        Select(c.combo, static_cast<int>(entry - items.begin()));
        EXPECT_EQ(((*window).*c.member).str(), c.picked);
        // The user types another name, opens the list and closes it again
        // without a choice, then leaves the field.
        D().SetControlText(c.combo, c.typed.c_str());
        D().Notify(c.combo, NotifyEvent::kEditChanged);
        D().Notify(c.combo, NotifyEvent::kListClosed);
        EXPECT_EQ(Text(c.combo), c.typed);
        D().Notify(c.combo, NotifyEvent::kFocusLost);
        EXPECT_EQ(((*window).*c.member).str(), c.typed);
        EXPECT_EQ(Text(c.combo), c.typed);
    }
    EXPECT_EQ(window->OutputFileName.str(), "typed.html");
}

// A pick from a history list as the toolkit tells of it: the list closes,
// the field shows the entry, the entry is selected; or (another toolkit) the
// selection first and the closing after.
void PickAsTheToolkitTells(DialogModel& dialog, int id, int index, bool closedFirst) {
    const std::string entry = dialog.Control(id)->items[static_cast<size_t>(index)].str();
    if (closedFirst) dialog.Notify(id, NotifyEvent::kListClosed);
    dialog.SetControlText(id, entry.c_str());
    dialog.Notify(id, NotifyEvent::kEditChanged);
    dialog.SetSelection(id, index);
    dialog.Notify(id, NotifyEvent::kSelectionEnded);
    if (!closedFirst) dialog.Notify(id, NotifyEvent::kListClosed);
}

// Whichever the toolkit tells of first, the list's closing (GTK) or the
// selection, a pick is the entry picked: the output name, the folders and
// the title follow at once, and Convert writes the picked file's table into
// the picked file's own output.
TEST_F(MainWindowRunTest, APickFromAHistoryListIsTheEntryPickedInEitherOrderOfEvents) {
    fs::create_directories(temp / "older");
    fs::create_directories(temp / "newer");
    fs::create_directories(temp / "out");
    Write("older/staff.txt", "Name    Age\nAnn     31\nBob     45\n");
    Write("newer/towns.txt", "Town    Rank\nOslo    1\nRome    2\n");
    Write("one.pol", "Document Title: From one\n");
    Write("two.pol", "Document Title: From two\n");
    for (const bool closedFirst : {true, false}) {
        SCOPED_TRACE(closedFirst ? "closed first" : "selected first");
        fs::remove(temp / "older/staff.html");
        fs::remove(temp / "newer/towns.html");
        fs::remove(temp / "out/staff.html");
        window = MakeWindow();
        Shown();
        Type(W::kFileSpecCombo, Path("older/staff.txt"));
        Type(W::kFileSpecCombo, Path("newer/towns.txt"));
        ASSERT_EQ(Text(W::kFileSpecCombo), Path("newer/towns.txt"));
        ASSERT_EQ(D().Control(W::kFileSpecCombo)->items.size(), 2u);

        PickAsTheToolkitTells(D(), W::kFileSpecCombo, 1, closedFirst);
        EXPECT_EQ(window->FileSpec.str(), Path("older/staff.txt"));
        EXPECT_EQ(Text(W::kOutputNameEdit), "staff.html");
        EXPECT_EQ(window->InputDirectory.str(), Path("older/"));
        EXPECT_EQ(Text(W::kOutputDirectoryCombo), Path("older/"));
        EXPECT_EQ(D().Caption().str(), "staff.txt - Vendrel");
        ASSERT_TRUE(window->Convert());
        EXPECT_NE(ReadWhole(temp / "older/staff.html").find("Ann"), std::string::npos);
        EXPECT_FALSE(Exists("newer/towns.html"));

        // The output directory's history: "older/" on top, "out/" below.
        window->settings.outDirHistory[1] = TextString(Path("out/").c_str());
        window->RefreshControls();
        PickAsTheToolkitTells(D(), W::kOutputDirectoryCombo, 1, closedFirst);
        EXPECT_EQ(window->OutputDirectory.str(), Path("out/"));
        EXPECT_TRUE(window->OutputDirectoryChosen);
        ASSERT_TRUE(window->Convert());
        EXPECT_TRUE(Exists("out/staff.html"));

        // The policy files' history.
        window->settings.policyHistory[0] = TextString(Path("one.pol").c_str());
        window->settings.policyHistory[1] = TextString(Path("two.pol").c_str());
        window->RefreshControls();
        PickAsTheToolkitTells(D(), W::kPolicyCombo, 1, closedFirst);
        EXPECT_EQ(window->runPolicyFileName.str(), Path("two.pol"));
        EXPECT_EQ(window->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From two");
        EXPECT_EQ(Text(W::kPolicyCombo), Path("two.pol"));
    }
}

// GTK tells of the policy field losing the focus while the button that took
// it is still pressed: the file loads once the change of focus is over, and
// the button's action runs after it, with the file's policies.  A file that
// does not load leaves the previous policies and name, and the action runs
// with them.
TEST_F(MainWindowRunTest, TheClickThatLeavesThePolicyFieldActsAfterTheFileLoaded) {
    Write("a.txt", "Name    Age\nAnn     31\nBob     45\n");
    Write("border.pol", "Default TABLE border size : 5\n");
    Type(W::kFileSpecCombo, Path("a.txt"));
    services.HoldFieldWork(true);
    for (const std::string& typed : {Path("border.pol"), Path("missing.pol")}) {
        SCOPED_TRACE(typed);
        services.ClearLog();
        fs::remove(temp / "a.html");
        D().SetControlText(W::kPolicyCombo, typed.c_str());
        D().Notify(W::kPolicyCombo, NotifyEvent::kEditChanged);
        D().Notify(W::kPolicyCombo, NotifyEvent::kFocusLost);
        // Nothing yet: the button is still down.
        EXPECT_TRUE(services.Log().empty());
        Click(W::kConvertButton);
        EXPECT_EQ(window->runPolicyFileName.str(), Path("border.pol"));
        EXPECT_EQ(Text(W::kPolicyCombo), Path("border.pol"));
        EXPECT_EQ(window->policyFileLoaded, 1);
        EXPECT_NE(ReadWhole(temp / "a.html").find("BORDER=5"), std::string::npos);
    }
    EXPECT_EQ(Captions(), std::vector<std::string>{GetMessageText(kMsgPolicyFileError)});
    // Work the focus change left that no action came after runs when the
    // change is over; none waits then.
    D().SetControlText(W::kPolicyCombo, "");
    D().Notify(W::kPolicyCombo, NotifyEvent::kFocusLost);
    EXPECT_EQ(window->policyFileLoaded, 1);
    services.SettleFocus();
    EXPECT_EQ(window->policyFileLoaded, 0);
    EXPECT_FALSE(services.HasFieldWork());
}

// A run after Reset uses no policy file and names none.
TEST_F(MainWindowRunTest, ARunAfterResetNamesNoPolicyFile) {
    Write("a.txt", "Name    Age\nAnn     31\n");
    Write("p2.pol", "Default TABLE border size : 3\n");
    Type(W::kFileSpecCombo, Path("a.txt"));
    Type(W::kPolicyCombo, Path("p2.pol"));
    const auto named = [this] {
        const StringList& lines = window->Status().Lines;
        for (int i = 0; i < lines.count; ++i)
            if (std::string(lines.TextAt(i)).find("using policy file") != std::string::npos) return true;
        return false;
    };
    ASSERT_TRUE(window->Convert());
    EXPECT_TRUE(named());
    EXPECT_NE(ReadWhole(temp / "a.html").find("BORDER=3"), std::string::npos);
    Click(W::kResetButton);
    ASSERT_TRUE(window->Convert());
    EXPECT_FALSE(named());
    EXPECT_EQ(ReadWhole(temp / "a.html").find("BORDER=3"), std::string::npos);
}

TEST_F(MainWindowRunTest, AConversionWhileTheOutputSheetIsOpenKeepsWhatTheUserChanged) {
    Write("a.txt", "Name  Age\nAnn   31\n");
    Type(W::kFileSpecCombo, Path("a.txt"));
    ASSERT_TRUE(window->OnCommand(kCommandOutputRtfSettings));
    RTFSettingsPage& page = window->OutputSheet()->rtfSettings;
    Pick(page, RTFSettingsPage::kPaperSize, 3);
    TypeInto(page, RTFSettingsPage::kLeftMargin, "1.25");
    // The conversion reloads the open sheet from the policies it used.
    ASSERT_TRUE(window->Convert());
    EXPECT_EQ(page.Selection(RTFSettingsPage::kPaperSize), 3);
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kLeftMargin), "1.25");
    Press(*window->OutputSheet(), kIdOk);
    EXPECT_EQ(window->WorkingSet().GetInt(Pol::PaperSize), 4);
    EXPECT_EQ(window->WorkingSet().GetText(Pol::LeftMargin).str(), "1.250");
}

// ---------------------------------------------------------------------------
// The policy file, resetting and closing

TEST_F(MainWindowRunTest, PolicyFilesChosenInTheWindowAreTheCurrentFileOnly) {
    Write("window.pol", "Document Title: Title from the window\n");
    Write("a.txt", "Text\n");
    services.QueueFile(Path("window.pol").c_str());
    Click(W::kPolicyButton);
    EXPECT_EQ(services.Log().front().kind, ServiceCallKind::kChooseFile);
    EXPECT_EQ(services.Log().front().text, GetMessageText(kMsgPolicyFilesFilter));
    EXPECT_EQ(window->runPolicyFileName.str(), Path("window.pol"));
    EXPECT_EQ(window->PolicyFileText.str(), Path("window.pol"));
    EXPECT_EQ(Text(W::kPolicyCombo), Path("window.pol"));
    EXPECT_TRUE(window->policyFileLoaded);
    EXPECT_EQ(window->settings.policyHistory[0].str(), Path("window.pol"));
    EXPECT_EQ(window->settings.defaultPolicyFile.str(), "");
    Type(W::kFileSpecCombo, Path("a.txt"));
    EXPECT_TRUE(window->Convert());
    EXPECT_NE(ReadWhole(temp / "a.html").find("Title from the window"), std::string::npos);

    // A typed file that does not load leaves the previous one.
    services.ClearLog();
    Type(W::kPolicyCombo, Path("missing.pol"));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, GetMessageText(kMsgPolicyFileError));
    EXPECT_EQ(window->PolicyFileText.str(), Path("window.pol"));
    EXPECT_EQ(window->runPolicyFileName.str(), Path("window.pol"));
    // One picked from the history that does not load leaves the field empty.
    window->settings.policyHistory[1] = TextString(Path("gone.pol").c_str());
    window->RefreshControls();
    Select(W::kPolicyCombo, 1);
    EXPECT_EQ(window->PolicyFileText.str(), "");
    EXPECT_EQ(window->runPolicyFileName.str(), "");
    EXPECT_FALSE(window->PolicySelectionBusy);
    Select(W::kPolicyCombo, 0);
    EXPECT_EQ(window->runPolicyFileName.str(), Path("window.pol"));
    EXPECT_TRUE(window->policyFileLoaded);

    // Reset forgets the current file, never the default one.
    window->settings.defaultPolicyFile = "/somewhere/default.pol";
    services.ClearLog();
    Click(W::kResetButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, GetMessageText(kMsgResetToDefaults));
    EXPECT_EQ(window->runPolicyFileName.str(), "");
    EXPECT_EQ(Text(W::kPolicyCombo), "");
    EXPECT_FALSE(window->policyFileLoaded);
    EXPECT_EQ(window->settings.defaultPolicyFile.str(), "/somewhere/default.pol");
}

TEST_F(MainWindowTest, APolicyFilePickedInTheWindowLeavesTheCommandLineItsOwn) {
    // The window and the program share the settings file of the product.
    const fs::path config = temp / "cfg";
    const fs::path settingsFile = config / "Halvex" / "Vendrel" / "settings";
    fs::create_directories(settingsFile.parent_path());
    Write("window.pol", "Document Title: Title from the window\n");
    Write("cli.pol", "Document Title: Title from the command line\n");
    Write("a.txt", "Text\n");
    window = std::make_unique<MainWindow>(services, settingsFile.string());
    window->Show();
    services.QueueFile(Path("window.pol").c_str());
    Click(W::kPolicyButton);
    ASSERT_TRUE(window->policyFileLoaded);
    window.reset();  // the program ends and saves its settings

    const std::string command = "cd '" + directory + "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
                                config.string() + "' '" VENDREL_BINARY "' a.txt cli.pol > '" + Path("run.out") +
                                "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadWhole(temp / "run.out");
    const std::string html = ReadWhole(temp / "a.html");
    EXPECT_NE(html.find("Title from the command line"), std::string::npos) << html;
    EXPECT_EQ(html.find("Title from the window"), std::string::npos) << html;
    // The window remembers the file it chose in its history only.
    ProgramSettings saved(settingsFile.string());
    saved.LoadSettings(nullptr);
    EXPECT_EQ(saved.defaultPolicyFile.str(), "");
    EXPECT_EQ(saved.policyHistory[0].str(), Path("window.pol"));
}

TEST_F(MainWindowRunTest, TheFirstShowingLoadsTheDefaultPolicyFileOnce) {
    Write("default.pol", "Document Title: Default\n");
    window->settings.defaultPolicyFile = TextString(Path("default.pol").c_str());
    window.reset();
    window = MakeWindow();
    EXPECT_EQ(window->runPolicyFileName.str(), Path("default.pol"));
    window->Show();
    EXPECT_TRUE(window->policyFileLoaded);
    EXPECT_EQ(Text(W::kPolicyCombo), Path("default.pol"));
    // Edits made since are not thrown away by showing the window again.
    window->policiesEdited = 1;
    window->Dialog().HideWindow();
    window->Show();
    EXPECT_EQ(window->policiesEdited, 1);
}

TEST_F(MainWindowRunTest, ClosingWithEditedPoliciesAsksAndNoClosesWithoutSaving) {
    Type(W::kFileSpecCombo, Path("kept.txt"));
    window->policiesEdited = 1;
    services.ClearLog();
    services.QueueAnswer(MessageAnswer::kNo);
    D().Notify(kWholeDialog, NotifyEvent::kCloseBox);
    ASSERT_EQ(services.Messages().size(), 1u);
    const ServiceCall question = services.Messages()[0];
    EXPECT_EQ(question.caption, "Save Changes");
    EXPECT_EQ(question.text, "Save changes made to your policy?");
    EXPECT_EQ(question.buttons, MessageButtons::kYesNoCancel);
    EXPECT_EQ(question.icon, MessageIcon::kQuestion);
    EXPECT_EQ(question.number, 2);
    EXPECT_TRUE(D().IsEnded());
    EXPECT_EQ(D().Result(), kIdCancel);
    EXPECT_FALSE(D().HasWindow());
    EXPECT_EQ(services.Log().size(), 1u);
    EXPECT_EQ(window->settings.filesHistory[0].str(), Path("kept.txt"));
    // The history is in the settings file once the program ends.
    window.reset();
    ProgramSettings saved(SettingsPath());
    saved.LoadSettings(nullptr);
    EXPECT_EQ(saved.filesHistory[0].str(), Path("kept.txt"));
}

TEST_F(MainWindowRunTest, ExitClosesLikeTheCloseBoxAndEnterDoesNothing) {
    Click(kIdOk);
    EXPECT_FALSE(D().IsEnded());
    EXPECT_TRUE(D().IsShown());
    EXPECT_TRUE(window->OnCommand(kCommandExit));
    EXPECT_TRUE(D().IsEnded());
    EXPECT_FALSE(D().HasWindow());
    // Nothing was edited: no question.
    EXPECT_TRUE(services.Messages().empty());
}

// ---------------------------------------------------------------------------
// Results, help and web pages, shown by a recording program in place of the
// browser and viewer

class MainWindowViewTest : public MainWindowRunTest {
protected:
    void SetUp() override {
        MainWindowRunTest::SetUp();
        // The recorder writes its arguments, one a line, and then renames
        // the file, so that a file that is there is complete.
        const fs::path script = temp / "recorder";
        ASSERT_TRUE(
            WriteWhole(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.part\" && mv \"$0.part\" \"$0.args\"\n"));
        fs::permissions(script, fs::perms::owner_all);
        recorder = script.string();
        window->settings.browserCommand = recorder.c_str();
        window->settings.viewRtfCommand = recorder.c_str();
        window->settings.useDdeToViewHtml = false;
        window->settings.addUrlPrefix = true;
    }
    // The arguments the recorder was started with; empty when it was not
    // started within a generous while.
    std::string Recorded() const {
        const fs::path args = recorder + ".args";
        for (int i = 0; i < 400 && !fs::exists(args); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return ReadWhole(args);
    }
    void ForgetRecording() const { fs::remove(recorder + ".args"); }
    std::string recorder;
};

TEST_F(MainWindowViewTest, ViewResultsAsksForAFileThenConverts) {
    // Nothing chosen: the user is told, Browse opens and is cancelled.
    Click(W::kViewResultsButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "Input File Error");
    EXPECT_EQ(services.Messages()[0].text, "Must choose a file first");
    EXPECT_EQ(services.Log().back().kind, ServiceCallKind::kChooseFiles);

    // A file chosen but not converted: converted, then shown.
    Write("view.txt", "Shown\n");
    Type(W::kFileSpecCombo, Path("view.txt"));
    services.ClearLog();
    Click(W::kViewResultsButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "No conversion done yet");
    EXPECT_EQ(services.Messages()[0].text, "Must convert a file first");
    EXPECT_TRUE(Exists("view.html"));
    EXPECT_EQ(Recorded(), "file://" + Path("view.html") + "\n");
}

TEST_F(MainWindowViewTest, AnRtfFileGoesToTheViewerAsItIs) {
    Write("two words.txt", "Shown\n");
    Type(W::kFileSpecCombo, Path("two words.txt"));
    Select(W::kOutputKindCombo, W::kOutputRtfFile);
    ASSERT_TRUE(window->Convert());
    services.ClearLog();
    EXPECT_TRUE(window->OnCommand(kCommandViewResults));
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_EQ(Recorded(), Path("two words.rtf") + "\n");
}

// After output to the clipboard View Results shows the last file written,
// or says there is none; a file that is gone is named, never shown.
TEST_F(MainWindowViewTest, ViewResultsShowsOnlyAFileThatWasWritten) {
    Write("emp.txt", "Name   Age\nAnn    31\n");
    Type(W::kFileSpecCombo, Path("emp.txt"));
    // Only the clipboard so far: no file to show, and no run again.
    Select(W::kOutputKindCombo, W::kOutputHtmlClipboard);
    ASSERT_TRUE(window->Convert());
    services.ClearLog();
    Click(W::kViewResultsButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Must convert a file first");
    EXPECT_EQ(CountCalls(ServiceCallKind::kClipboard), 0);
    EXPECT_FALSE(Exists("emp.html"));

    // "emp.htm" written, then the clipboard with ".html": the file shown is
    // the one written.
    Select(W::kOutputKindCombo, W::kOutputHtmlFiles);
    ChooseExtension(W::kHtmExtensionButton);
    ASSERT_TRUE(window->Convert());
    ASSERT_TRUE(Exists("emp.htm"));
    ChooseExtension(W::kHtmlExtensionButton);
    Select(W::kOutputKindCombo, W::kOutputHtmlClipboard);
    ASSERT_TRUE(window->Convert());
    ASSERT_FALSE(Exists("emp.html"));
    services.ClearLog();
    Click(W::kViewResultsButton);
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_EQ(Recorded(), "file://" + Path("emp.htm") + "\n");

    // The file removed since: named, and no viewer started.
    ForgetRecording();
    fs::remove(temp / "emp.htm");
    Click(W::kViewResultsButton);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "Output File Error");
    EXPECT_EQ(services.Messages()[0].text, "Unable to locate file \"" + Path("emp.htm") + "\"");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(recorder + ".args"));
}

TEST_F(MainWindowViewTest, HelpContentsOpensTheUserGuide) {
    Write("guide.html", "<p>Guide</p>\n");
    window->settings.htmlDoco = Path("guide.html").c_str();
    EXPECT_TRUE(window->OnCommand(kCommandHelpContents));
    EXPECT_EQ(Recorded(), "file://" + Path("guide.html") + "\n");
    ForgetRecording();
    window->ShowHelp();
    EXPECT_EQ(Recorded(), "file://" + Path("guide.html") + "\n");
    ForgetRecording();
    EXPECT_TRUE(window->OnCommand(kCommandLocalDocumentation));
    EXPECT_EQ(Recorded(), "file://" + Path("guide.html") + "\n");
    EXPECT_TRUE(services.Messages().empty());
    // No local page (none is installed beside the tests): the web page.
    window->settings.htmlDoco.MakeEmpty();
    ForgetRecording();
    window->ShowHelp();
    EXPECT_EQ(Recorded(), "http://www.halvex.com/doco/vdrdoco.html?help&p=Vendrel\n");
}

TEST_F(MainWindowViewTest, WebPagesOpenAtTheMakersAddresses) {
    struct Case {
        int command;
        const char* address;
    };
    const Case cases[] = {
        {kCommandWebDocumentation, "http://www.halvex.com/doco/vdrdoco.html?help&p=Vendrel"},
        {kCommandMorvanePage, "http://www.halvex.com/morvane/?help&p=Vendrel"},
        {kCommandPellionPage, "http://www.halvex.com/pellion/?help&p=Vendrel"},
        {kCommandCheckForUpdates, "http://www.halvex.com/cgi-local/checkversion.pl?p=Vendrel&v=4.04"},
    };
    for (const Case& c : cases) {
        ForgetRecording();
        EXPECT_TRUE(window->OnCommand(c.command));
        EXPECT_EQ(Recorded(), std::string(c.address) + "\n") << c.command;
    }
    // In German the pages are asked for in German.
    window->OnCommand(kCommandLanguageGerman);
    ForgetRecording();
    window->OnCommand(kCommandMorvanePage);
    EXPECT_EQ(Recorded(), "http://www.halvex.com/morvane/?help&p=Vendrel&l=g\n");
    EXPECT_TRUE(services.Messages().empty());
}

}  // namespace
