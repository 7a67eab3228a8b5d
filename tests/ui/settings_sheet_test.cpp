#include "ui/settings_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/base_dialog.h"
#include "app/result_viewing.h"
#include "foundation/run_status.h"
#include "support/page_actions.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "texts/sheet_topics.h"
#include "ui/main_window.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

using Doco = SettingsDocoPage;
using Drag = SettingsDragPage;
using Msgs = SettingsMessagesPage;
using Pols = SettingsPolicyPage;
using View = SettingsViewerPage;

class SettingsSheetTest : public testing::Test {
protected:
    TempFolder temp{"settings_sheet"};
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> window;
    // The desktop's opener is looked for on PATH: a folder of the test's
    // own, empty unless a test puts one there.
    std::unique_ptr<ScopedEnv> path;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        fs::create_directory(temp / "bin");
        path = std::make_unique<ScopedEnv>("PATH", (temp / "bin").c_str());
        TheConsoleStatus().consoleEcho = false;
        window = MakeWindow();
    }
    void TearDown() override {
        window.reset();
        path.reset();
        TheConsoleStatus().consoleEcho = true;
    }

    std::unique_ptr<MainWindow> MakeWindow() {
        auto made = std::make_unique<MainWindow>(services, (temp / "settings").string());
        made->Show();
        services.ClearLog();
        return made;
    }
    std::string Path(const char* name) const { return (temp / name).string(); }
    void Write(const char* name, const std::string& content) { ASSERT_TRUE(WriteWhole(temp / name, content)); }

    // Opens the sheet from the Settings menu on the page of `command`.
    SheetSettings& Open(int command = kCommandSettingsViewers) {
        EXPECT_TRUE(window->OnCommand(command));
        return *window->SettingsSheet();
    }
    SheetSettings& TheSheet() { return *window->SettingsSheet(); }
    ProgramSettings& Settings() { return window->settings; }
    FC& Working() { return window->WorkingSet(); }
    void Ok() { Press(TheSheet(), kIdOk); }
};

TEST_F(SettingsSheetTest, TheTabsStandInTheirOrderAndTopicsChooseThePage) {
    SheetSettings& sheet = Open();
    EXPECT_EQ(sheet.Caption().str(), "Program Settings");
    const struct {
        const char* label;
        int topic;
    } tabs[] = {{"Documentation", 25}, {"Drag'n'Drop", 24}, {"Messages", 28}, {"Policy files", 29}, {"Viewers", 26}};
    ASSERT_EQ(sheet.PageCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(sheet.TabLabel(i), tabs[i].label);
        EXPECT_EQ(static_cast<OptionPage&>(sheet.Page(i)).TopicCode(), tabs[i].topic);
    }
    const struct {
        int topic;
        const DialogModel* page;
    } cases[] = {{25, &sheet.doco},   {24, &sheet.drag},  {28, &sheet.messages}, {29, &sheet.policy},
                 {26, &sheet.viewer}, {0, &sheet.viewer}, {11, &sheet.viewer},   {-3, &sheet.viewer}};
    for (const auto& c : cases) {
        sheet.SetActivePageByTopic(c.topic);
        EXPECT_EQ(sheet.ActivePage(), c.page) << c.topic;
    }
    // Each menu item opens its page.
    const struct {
        int command;
        const DialogModel* page;
    } items[] = {{kCommandSettingsDocumentation, &sheet.doco},
                 {kCommandSettingsDragAndDrop, &sheet.drag},
                 {kCommandSettingsDiagnostics, &sheet.messages},
                 {kCommandSettingsPolicyFiles, &sheet.policy},
                 {kCommandSettingsViewers, &sheet.viewer}};
    for (const auto& item : items) {
        EXPECT_EQ(&Open(item.command), &sheet) << item.command;
        EXPECT_EQ(sheet.ActivePage(), item.page) << item.command;
        EXPECT_TRUE(sheet.IsShown());
    }
}

TEST_F(SettingsSheetTest, OkStoresAChangedSettingWithoutMarkingPoliciesEdited) {
    // Each page's value changed alone, then OK: the setting holds it, the
    // main dialog does not think policies were edited.
    const struct {
        const char* what;
        int command;
        std::function<void(SheetSettings&)> change;
        std::function<bool(const ProgramSettings&)> stored;
    } cases[] = {
        {"documentation", kCommandSettingsDocumentation,
         [this](SheetSettings& s) { TypeInto(s.doco, Doco::kDocumentation, Path("guide.html").c_str()); },
         [this](const ProgramSettings& p) { return p.htmlDoco.str() == Path("guide.html"); }},
        {"view results", kCommandSettingsDragAndDrop,
         [](SheetSettings& s) { SetCheck(s.drag, Drag::kViewResults, false); },
         [](const ProgramSettings& p) { return !p.viewResults; }},
        {"status window", kCommandSettingsDragAndDrop,
         [](SheetSettings& s) { SetCheck(s.drag, Drag::kViewStatusWindow, true); },
         [](const ProgramSettings& p) { return p.viewStatusWindow; }},
        {"start program", kCommandSettingsDragAndDrop,
         [](SheetSettings& s) { SetCheck(s.drag, Drag::kStartProgram, true); },
         [](const ProgramSettings& p) { return p.startProgram; }},
        {"always reload", kCommandSettingsPolicyFiles,
         [](SheetSettings& s) { SetCheck(s.policy, Pols::kAlwaysReload, true); },
         [](const ProgramSettings& p) { return p.alwaysReload; }},
        {"browser", kCommandSettingsViewers,
         [](SheetSettings& s) { TypeInto(s.viewer, View::kBrowserCommand, "firefox"); },
         [](const ProgramSettings& p) { return p.browserCommand.str() == "firefox"; }},
        {"rtf viewer", kCommandSettingsViewers,
         [](SheetSettings& s) { TypeInto(s.viewer, View::kRtfCommand, "/opt/office/bin/writer"); },
         [](const ProgramSettings& p) { return p.viewRtfCommand.str() == "/opt/office/bin/writer"; }},
        {"use dde", kCommandSettingsViewers, [](SheetSettings& s) { SetCheck(s.viewer, View::kUseDde, true); },
         [](const ProgramSettings& p) { return p.useDdeToViewHtml; }},
        {"auto view", kCommandSettingsViewers, [](SheetSettings& s) { SetCheck(s.viewer, View::kAutoView, true); },
         [](const ProgramSettings& p) { return p.autoDdeUpdates; }},
        {"url prefix", kCommandSettingsViewers,
         [](SheetSettings& s) { SetCheck(s.viewer, View::kUrlPrefix, false); },
         [](const ProgramSettings& p) { return !p.addUrlPrefix; }},
    };
    for (const auto& c : cases) {
        window = MakeWindow();
        SheetSettings& sheet = Open(c.command);
        c.change(sheet);
        EXPECT_FALSE(c.stored(Settings())) << c.what << ": stored before OK";
        EXPECT_TRUE(sheet.IsEnabled(kIdApply)) << c.what;
        EXPECT_FALSE(sheet.ChangesPending()) << c.what;
        Ok();
        EXPECT_FALSE(sheet.HasWindow()) << c.what;
        EXPECT_TRUE(c.stored(Settings())) << c.what;
        EXPECT_EQ(window->policiesEdited, 0) << c.what;
    }
}

TEST_F(SettingsSheetTest, CancelDiscardsWhatWasChangedAndApplyStoresAndStaysOpen) {
    SheetSettings& sheet = Open(kCommandSettingsDocumentation);
    TypeInto(sheet.doco, Doco::kDocumentation, "/doc/one.html");
    sheet.SetActivePage(sheet.messages);
    MoveSlider(sheet.messages, Msgs::kReportingLevel, 2);
    Press(sheet, kIdCancel);
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_TRUE(Settings().htmlDoco.IsEmpty());
    EXPECT_FALSE(Working().IsSet(Pol::ErrorReportingLevel));

    // Opened again, the pages show what is stored, and OK stores nothing.
    Open(kCommandSettingsDocumentation);
    EXPECT_STRNE(sheet.doco.ControlText(Doco::kDocumentation), "/doc/one.html");
    EXPECT_EQ(sheet.messages.Level(), Working().GetInt(Pol::ErrorReportingLevel));
    EXPECT_FALSE(sheet.IsEnabled(kIdApply));
    Ok();
    EXPECT_TRUE(Settings().htmlDoco.IsEmpty());
    EXPECT_FALSE(Working().IsSet(Pol::ErrorReportingLevel));
    EXPECT_EQ(window->policiesEdited, 0);

    Open(kCommandSettingsDocumentation);
    TypeInto(sheet.doco, Doco::kDocumentation, "/doc/one.html");
    EXPECT_TRUE(sheet.IsEnabled(kIdApply));
    Press(sheet, kIdApply);
    EXPECT_TRUE(sheet.IsShown());
    EXPECT_EQ(Settings().htmlDoco.str(), "/doc/one.html");
    EXPECT_FALSE(sheet.IsEnabled(kIdApply));
    EXPECT_FALSE(sheet.doco.SettingsChanged());
    // Cancel does not take back what Apply stored.
    Press(sheet, kIdCancel);
    EXPECT_EQ(Settings().htmlDoco.str(), "/doc/one.html");
}

TEST_F(SettingsSheetTest, TheReportingLevelAndTheShowBoxesStoreIntoTheWorkingSet) {
    SheetSettings& sheet = Open(kCommandSettingsDiagnostics);
    Msgs& page = sheet.messages;
    // Loaded: the level as it is, each box the other way round from its
    // suppression (URL messages are suppressed by default).
    EXPECT_EQ(page.Control(Msgs::kReportingLevel)->rangeMin, 0);
    EXPECT_EQ(page.Control(Msgs::kReportingLevel)->rangeMax, 10);
    EXPECT_EQ(page.Value(Msgs::kReportingLevel), Working().GetInt(Pol::ErrorReportingLevel));
    EXPECT_TRUE(page.IsChecked(Msgs::kShowInfo));
    EXPECT_FALSE(page.IsChecked(Msgs::kShowUrls));

    MoveSlider(page, Msgs::kReportingLevel, 9);
    // Each box stores the other way round into its own policy.
    const struct {
        int box;
        Pol policy;
    } boxes[] = {{Msgs::kShowInfo, Pol::SuppressINFOMessages},
                 {Msgs::kShowWarnings, Pol::SuppressWARNINGMessages},
                 {Msgs::kShowProgramErrors, Pol::SuppressProgramERRORMessages},
                 {Msgs::kShowTagErrors, Pol::SuppressTAGERRORMessages},
                 {Msgs::kShowUrls, Pol::SuppressURLMessages}};
    for (const auto& b : boxes) EXPECT_EQ(page.IsChecked(b.box), Working().GetInt(b.policy) == 0) << b.box;
    SetCheck(page, Msgs::kShowInfo, false);
    SetCheck(page, Msgs::kShowUrls, true);
    EXPECT_TRUE(sheet.ChangesPending());
    Ok();
    EXPECT_EQ(Working().GetInt(Pol::ErrorReportingLevel), 9);
    EXPECT_TRUE(Working().IsSet(Pol::ErrorReportingLevel));
    EXPECT_EQ(Working().GetInt(Pol::SuppressINFOMessages), 1);
    EXPECT_EQ(Working().GetInt(Pol::SuppressURLMessages), 0);
    EXPECT_FALSE(Working().IsSet(Pol::SuppressWARNINGMessages));
    EXPECT_EQ(window->policiesEdited, 1);

    // The other three, one at a time.
    for (const auto& b : boxes) {
        if (b.box == Msgs::kShowInfo || b.box == Msgs::kShowUrls) continue;
        window->policiesEdited = 0;
        Open(kCommandSettingsDiagnostics);
        SetCheck(page, b.box, false);
        Ok();
        EXPECT_EQ(Working().GetInt(b.policy), 1) << b.box;
        EXPECT_TRUE(Working().IsSet(b.policy)) << b.box;
        EXPECT_EQ(window->policiesEdited, 1) << b.box;
    }
}

TEST_F(SettingsSheetTest, ASliderLeftWhereItWasChangesNothing) {
    SheetSettings& sheet = Open(kCommandSettingsDiagnostics);
    const int level = sheet.messages.Value(Msgs::kReportingLevel);
    MoveSlider(sheet.messages, Msgs::kReportingLevel, level);
    EXPECT_FALSE(sheet.ChangesPending());
    Ok();
    EXPECT_FALSE(Working().IsSet(Pol::ErrorReportingLevel));
    EXPECT_EQ(window->policiesEdited, 0);
}

TEST_F(SettingsSheetTest, ADefaultPolicyFileThatLoadsBecomesCurrentOnOk) {
    Write("house.pol", "Error reporting level : 3\n");
    SheetSettings& sheet = Open(kCommandSettingsPolicyFiles);
    Pols& page = sheet.policy;
    EXPECT_FALSE(page.IsEnabled(Pols::kFile));
    SetCheck(page, Pols::kUseDefault, true);
    EXPECT_TRUE(page.IsEnabled(Pols::kFile));
    EXPECT_TRUE(page.IsEnabled(Pols::kBrowse));
    TypeOnly(page, Pols::kFile, Path("house.pol").c_str());
    Ok();
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_TRUE(Settings().defaultPolicyUsed);
    EXPECT_EQ(Settings().defaultPolicyFile.str(), Path("house.pol"));
    EXPECT_EQ(window->runPolicyFileName.str(), Path("house.pol"));
    EXPECT_EQ(window->PolicyFileText.str(), Path("house.pol"));
    EXPECT_EQ(window->policyFileLoaded, 1);
    EXPECT_EQ(window->PolicyFileSet().GetInt(Pol::ErrorReportingLevel), 3);
    EXPECT_EQ(Settings().policyHistory[0].str(), Path("house.pol"));
}

TEST_F(SettingsSheetTest, ADefaultPolicyFileThatFailsToLoadKeepsTheSheetOpenWithThePreviousName) {
    Write("house.pol", "Error reporting level : 3\n");
    Settings().defaultPolicyUsed = true;
    Settings().defaultPolicyFile = Path("house.pol").c_str();
    SheetSettings& sheet = Open(kCommandSettingsDragAndDrop);
    // A change on another page is not stored either.
    SetCheck(sheet.drag, Drag::kStartProgram, true);
    sheet.SetActivePage(sheet.policy);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), Path("house.pol").c_str());
    TypeOnly(sheet.policy, Pols::kFile, Path("missing.pol").c_str());
    Ok();
    EXPECT_TRUE(sheet.IsShown());
    EXPECT_EQ(sheet.ActivePage(), &sheet.policy);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), Path("house.pol").c_str());
    EXPECT_EQ(Settings().defaultPolicyFile.str(), Path("house.pol"));
    EXPECT_TRUE(window->runPolicyFileName.IsEmpty());
    EXPECT_FALSE(Settings().startProgram);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, GetMessageText(kMsgPolicyFileError));
    // Apply refuses the same way and stays enabled.
    TypeOnly(sheet.policy, Pols::kFile, Path("missing.pol").c_str());
    Press(sheet, kIdApply);
    EXPECT_TRUE(sheet.IsEnabled(kIdApply));
    EXPECT_FALSE(Settings().startProgram);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), Path("house.pol").c_str());
    // The next OK has nothing left to load.
    Ok();
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_TRUE(Settings().startProgram);
}

TEST_F(SettingsSheetTest, LeavingThePolicyFileFieldLoadsTheFileAtOnce) {
    Write("house.pol", "Error reporting level : 2\n");
    SheetSettings& sheet = Open(kCommandSettingsPolicyFiles);
    SetCheck(sheet.policy, Pols::kUseDefault, true);
    TypeInto(sheet.policy, Pols::kFile, Path("house.pol").c_str());
    EXPECT_EQ(window->runPolicyFileName.str(), Path("house.pol"));
    EXPECT_EQ(Settings().defaultPolicyFile.str(), Path("house.pol"));
    EXPECT_EQ(window->PolicyFileSet().GetInt(Pol::ErrorReportingLevel), 2);
    // The reload the loading caused kept the page as the user left it.
    EXPECT_TRUE(sheet.policy.IsChecked(Pols::kUseDefault));
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), Path("house.pol").c_str());

    // A file that fails to load: everything goes back.
    TypeInto(sheet.policy, Pols::kFile, Path("missing.pol").c_str());
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), Path("house.pol").c_str());
    EXPECT_EQ(window->runPolicyFileName.str(), Path("house.pol"));
    EXPECT_EQ(Settings().defaultPolicyFile.str(), Path("house.pol"));
    Ok();
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_TRUE(Settings().defaultPolicyUsed);
}

// GTK tells of the field losing the focus while OK, which took it, is still
// pressed: the file loads once the change of focus is over, before OK acts,
// and the one press of OK closes the sheet.
TEST_F(SettingsSheetTest, OkPressedOnceAfterTypingTheDefaultPolicyFileLoadsItAndCloses) {
    Write("house.pol", "Error reporting level : 2\n");
    SheetSettings& sheet = Open(kCommandSettingsPolicyFiles);
    SetCheck(sheet.policy, Pols::kUseDefault, true);
    services.HoldFieldWork(true);
    TypeInto(sheet.policy, Pols::kFile, Path("house.pol").c_str());
    EXPECT_TRUE(window->runPolicyFileName.IsEmpty());
    Ok();
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_EQ(window->runPolicyFileName.str(), Path("house.pol"));
    EXPECT_EQ(Settings().defaultPolicyFile.str(), Path("house.pol"));
    EXPECT_EQ(window->PolicyFileSet().GetInt(Pol::ErrorReportingLevel), 2);
    EXPECT_TRUE(services.Messages().empty());
}

TEST_F(SettingsSheetTest, TurningTheDefaultPolicyFileOffForgetsItsName) {
    Settings().defaultPolicyUsed = true;
    Settings().defaultPolicyFile = "/somewhere/house.pol";
    SheetSettings& sheet = Open(kCommandSettingsPolicyFiles);
    SetCheck(sheet.policy, Pols::kUseDefault, false);
    EXPECT_FALSE(sheet.policy.IsEnabled(Pols::kFile));
    Ok();
    EXPECT_FALSE(Settings().defaultPolicyUsed);
    EXPECT_TRUE(Settings().defaultPolicyFile.IsEmpty());
    // Shown empty while no default file is used.
    Open(kCommandSettingsPolicyFiles);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kFile), "");
}

TEST_F(SettingsSheetTest, TheDdeServiceListMapsNamesAndEntries) {
    const struct {
        const char* stored;
        int entry;
        const char* other;
    } loads[] = {{"", 0, ""},      {"IExplore", 0, ""}, {"NETSCAPE", 1, ""},
                 {"Opera", 2, ""}, {"Mozilla", 3, ""},  {"Links", 4, "Links"}};
    for (const auto& c : loads) {
        Settings().ddeServerName = c.stored;
        SheetSettings& sheet = Open();
        EXPECT_EQ(sheet.viewer.Selection(View::kServiceList), c.entry) << c.stored;
        EXPECT_STREQ(sheet.viewer.ControlText(View::kOtherService), c.other) << c.stored;
        Press(sheet, kIdCancel);
    }
    const struct {
        int entry;
        const char* other;
        const char* stored;
    } stores[] = {{0, "", "IExplore"}, {1, "", "NETSCAPE"},           {2, "", "Opera"},
                  {3, "", "Mozilla"},  {4, "Konqueror", "Konqueror"}, {7, "x", "IExplore"}};
    for (const auto& c : stores)
        EXPECT_EQ(View::ServiceName(c.entry, TextString(c.other)).str(), c.stored) << c.entry;
}

TEST_F(SettingsSheetTest, TheDdeControlsShowWhatIsStoredButCannotBeChanged) {
    const struct {
        bool useDde;
        const char* service;
    } cases[] = {{false, "IExplore"}, {true, "Opera"}, {true, "Konqueror"}};
    for (const auto& c : cases) {
        Settings().useDdeToViewHtml = c.useDde;
        Settings().ddeServerName = c.service;
        SheetSettings& sheet = Open();
        View& page = sheet.viewer;
        EXPECT_EQ(page.IsChecked(View::kUseDde), c.useDde) << c.service;
        for (int id : {View::kUseDde, View::kServiceLabel, View::kServiceList, View::kOtherService})
            EXPECT_FALSE(page.IsEnabled(id)) << c.service << " " << id;
        // The other controls of the page stay usable.
        for (int id : {View::kBrowserCommand, View::kAutoView, View::kUrlPrefix})
            EXPECT_TRUE(page.IsEnabled(id)) << c.service << " " << id;
        SetCheck(page, View::kAutoView, !Settings().autoDdeUpdates);
        for (int id : {View::kUseDde, View::kServiceList, View::kOtherService})
            EXPECT_FALSE(page.IsEnabled(id)) << id;
        Ok();
        EXPECT_EQ(Settings().useDdeToViewHtml, c.useDde) << c.service;
        EXPECT_EQ(Settings().ddeServerName.str(), c.service);
    }
}

TEST_F(SettingsSheetTest, TheAutoViewCheckMarkFollowsTheStoredSetting) {
    window->Menu().CheckCommand(kCommandAutoViewResults, false);
    Settings().autoDdeUpdates = false;
    SheetSettings& sheet = Open();
    SetCheck(sheet.viewer, View::kAutoView, true);
    EXPECT_FALSE(window->Menu().IsChecked(kCommandAutoViewResults));
    Ok();
    EXPECT_TRUE(window->Menu().IsChecked(kCommandAutoViewResults));
}

TEST_F(SettingsSheetTest, SearchButtonsChooseThroughTheFileChooser) {
    const std::string programFilter = GetMessageText(kMsgProgramFilesFilter);
    const struct {
        int command;
        int button;
        int field;
        std::string filter;
        int entry;
    } cases[] = {
        {kCommandSettingsViewers, View::kBrowseBrowser, View::kBrowserCommand, programFilter, 1},
        {kCommandSettingsViewers, View::kBrowseRtf, View::kRtfCommand, programFilter, 1},
        {kCommandSettingsDocumentation, Doco::kBrowse, Doco::kDocumentation, GetMessageText(kMsgHtmlFilesFilter), 0},
        {kCommandSettingsPolicyFiles, Pols::kBrowse, Pols::kFile, GetMessageText(kMsgPolicyFilesFilter), 0},
    };
    for (const auto& c : cases) {
        SheetSettings& sheet = Open(c.command);
        DialogModel& page = *sheet.ActivePage();
        services.ClearLog();
        services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
        const std::string before = page.ControlText(c.field);
        Press(page, c.button);
        EXPECT_EQ(page.ControlText(c.field), before) << c.button;
        services.QueueFile("/usr/local/bin/chosen program");
        Press(page, c.button);
        EXPECT_STREQ(page.ControlText(c.field), "/usr/local/bin/chosen program") << c.button;
        ASSERT_EQ(services.Log().size(), 2u) << c.button;
        EXPECT_EQ(services.Log()[1].kind, ServiceCallKind::kChooseFile);
        EXPECT_EQ(services.Log()[1].text, c.filter) << c.button;
        EXPECT_EQ(services.Log()[1].number, c.entry) << c.button;
        EXPECT_TRUE(sheet.IsEnabled(kIdApply));
        Press(sheet, kIdCancel);
        window = MakeWindow();
    }
    // A chosen program is stored as chosen, blanks and all: it is started
    // with an argument vector, so it needs no quotes.
    SheetSettings& sheet = Open();
    services.QueueFile("/opt/My Viewer/view");
    Press(sheet.viewer, View::kBrowseRtf);
    Ok();
    EXPECT_EQ(Settings().viewRtfCommand.str(), "/opt/My Viewer/view");
}

TEST_F(SettingsSheetTest, ViewerLookUpsAreQuiet) {
    Settings().browserCommand.MakeEmpty();
    Settings().viewRtfCommand.MakeEmpty();
    // No opener on PATH: the fields stay empty and nobody is told.
    SheetSettings& sheet = Open();
    EXPECT_STREQ(sheet.viewer.ControlText(View::kBrowserCommand), "");
    EXPECT_TRUE(services.Messages().empty());
    Press(sheet, kIdCancel);
    // With one, both fields propose it; OK without a change stores nothing.
    const fs::path opener = temp / "bin" / "xdg-open";
    ASSERT_TRUE(WriteWhole(opener, "#!/bin/sh\n"));
    fs::permissions(opener, fs::perms::owner_all);
    Open();
    EXPECT_EQ(sheet.viewer.ControlText(View::kBrowserCommand), opener.string());
    EXPECT_EQ(sheet.viewer.ControlText(View::kRtfCommand), opener.string());
    EXPECT_TRUE(services.Messages().empty());
    Ok();
    EXPECT_TRUE(Settings().browserCommand.IsEmpty());
}

TEST_F(SettingsSheetTest, TheDocumentationPageProposesTheInstalledGuide) {
    // No guide beside the test program: the field stays empty.
    SheetSettings& sheet = Open(kCommandSettingsDocumentation);
    TextString installed;
    ResultViewer(Settings(), services).FindLocalDocumentation(installed);
    EXPECT_EQ(std::string(sheet.doco.ControlText(Doco::kDocumentation)), installed.str());
    Press(sheet, kIdCancel);
    Settings().htmlDoco = "/usr/share/doc/vendrel/vdrdoco.html";
    Open(kCommandSettingsDocumentation);
    EXPECT_STREQ(sheet.doco.ControlText(Doco::kDocumentation), "/usr/share/doc/vendrel/vdrdoco.html");
}

TEST_F(SettingsSheetTest, AReloadKeepsWhatTheUserChangedAndHasNotStored) {
    SheetSettings& sheet = Open(kCommandSettingsDiagnostics);
    MoveSlider(sheet.messages, Msgs::kReportingLevel, 1);
    sheet.SetActivePage(sheet.viewer);
    TypeInto(sheet.viewer, View::kBrowserCommand, "mybrowser");
    FC& set = window->SettingsView();
    set.SetInt(Pol::ErrorReportingLevel, 8, true);
    set.SetInt(Pol::SuppressINFOMessages, 1, true);
    sheet.LoadPages(set, window->SixthSet());
    EXPECT_EQ(sheet.messages.Value(Msgs::kReportingLevel), 1);
    EXPECT_FALSE(sheet.messages.IsChecked(Msgs::kShowInfo));
    EXPECT_STREQ(sheet.viewer.ControlText(View::kBrowserCommand), "mybrowser");
    // After a reset everything is loaded again.
    window->ResetToDefaults();
    EXPECT_EQ(sheet.messages.Value(Msgs::kReportingLevel), window->WorkingSet().GetInt(Pol::ErrorReportingLevel));
    EXPECT_STREQ(sheet.viewer.ControlText(View::kBrowserCommand), Settings().browserCommand.c_str());
}

TEST_F(SettingsSheetTest, PlacementCentresTheSheetOrPutsItWhereItWasLeft) {
    services.SetDesktopSize(1200, 900);
    SheetSettings& sheet = Open();
    // The window size is what the front end lays out: 0 x 0 here.
    EXPECT_EQ(sheet.Rect().left, 600 + SheetSettings::kCentreOffsetX);
    EXPECT_EQ(sheet.Rect().top, 450 + SheetSettings::kCentreOffsetY);
    sheet.MoveWindow(40, 70);
    Ok();
    EXPECT_EQ(Settings().windowPositions[kSettingsLeft], 40);
    EXPECT_EQ(Settings().windowPositions[kSettingsTop], 70);
    Open();
    EXPECT_EQ(sheet.Rect().left, 40);
    EXPECT_EQ(sheet.Rect().top, 70);
}

TEST_F(SettingsSheetTest, LabelsComeFromTheTextsWhateverTheToolTipSetting) {
    Settings().displayToolTips = false;
    SheetSettings& sheet = Open(kCommandSettingsPolicyFiles);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kUseDefault), "Use a default");
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kBrowse), "Browse...");
    sheet.SetActivePage(sheet.viewer);
    EXPECT_STREQ(sheet.viewer.ControlText(View::kBrowseBrowser), "Search...");
    EXPECT_TRUE(window->OnCommand(kCommandLanguageGerman));
    EXPECT_EQ(sheet.Caption().str(), "Settings");
    EXPECT_STREQ(sheet.TabLabel(4), "Anzeigeprogramme");
    sheet.SetActivePage(sheet.policy);
    EXPECT_STREQ(sheet.policy.ControlText(Pols::kUseDefault), "Standard verwenden");
    EXPECT_TRUE(window->OnCommand(kCommandLanguageEnglish));
    EXPECT_EQ(sheet.Caption().str(), "Program Settings");
}

// What OK and Apply store is in the settings file at once, for another
// window or a batch run started meanwhile.
TEST_F(SettingsSheetTest, OkAndApplySaveTheSettingsAtOnce) {
    auto saved = [this] {
        ProgramSettings other((temp / "settings").string());
        other.LoadSettings();
        return other;
    };
    SheetSettings& sheet = Open(kCommandSettingsViewers);
    TypeInto(sheet.viewer, View::kBrowserCommand, "firefox --private-window");
    Press(sheet, kIdApply);
    EXPECT_EQ(saved().browserCommand.str(), "firefox --private-window");
    sheet.SetActivePage(sheet.drag);
    SetCheck(sheet.drag, Drag::kViewResults, false);
    EXPECT_TRUE(saved().viewResults);
    Ok();
    EXPECT_FALSE(saved().viewResults);
    EXPECT_EQ(saved().windowPositions[kSettingsLeft], Settings().windowPositions[kSettingsLeft]);
}

TEST_F(SettingsSheetTest, EverySettingSurvivesARestartOnTheSameSettingsFolder) {
    Write("house.pol", "Document Title : House\n");
    SheetSettings& sheet = Open(kCommandSettingsDocumentation);
    TypeInto(sheet.doco, Doco::kDocumentation, "/srv/doc/vdrdoco.html");
    sheet.SetActivePage(sheet.drag);
    SetCheck(sheet.drag, Drag::kViewResults, false);
    SetCheck(sheet.drag, Drag::kViewStatusWindow, true);
    SetCheck(sheet.drag, Drag::kStartProgram, true);
    sheet.SetActivePage(sheet.policy);
    SetCheck(sheet.policy, Pols::kUseDefault, true);
    TypeOnly(sheet.policy, Pols::kFile, Path("house.pol").c_str());
    SetCheck(sheet.policy, Pols::kAlwaysReload, true);
    sheet.SetActivePage(sheet.viewer);
    TypeInto(sheet.viewer, View::kBrowserCommand, "/usr/bin/firefox");
    TypeInto(sheet.viewer, View::kRtfCommand, "abiword");
    SetCheck(sheet.viewer, View::kUseDde, true);
    SetCheck(sheet.viewer, View::kAutoView, true);
    Pick(sheet.viewer, View::kServiceList, View::kOtherServiceEntry);
    TypeInto(sheet.viewer, View::kOtherService, "Galeon");
    SetCheck(sheet.viewer, View::kUrlPrefix, false);
    Ok();
    ASSERT_FALSE(sheet.HasWindow());

    window.reset();
    window = MakeWindow();
    SheetSettings& again = Open(kCommandSettingsDocumentation);
    EXPECT_STREQ(again.doco.ControlText(Doco::kDocumentation), "/srv/doc/vdrdoco.html");
    again.SetActivePage(again.drag);
    EXPECT_FALSE(again.drag.IsChecked(Drag::kViewResults));
    EXPECT_TRUE(again.drag.IsChecked(Drag::kViewStatusWindow));
    EXPECT_TRUE(again.drag.IsChecked(Drag::kStartProgram));
    again.SetActivePage(again.policy);
    EXPECT_TRUE(again.policy.IsChecked(Pols::kUseDefault));
    EXPECT_STREQ(again.policy.ControlText(Pols::kFile), Path("house.pol").c_str());
    EXPECT_TRUE(again.policy.IsChecked(Pols::kAlwaysReload));
    again.SetActivePage(again.viewer);
    EXPECT_STREQ(again.viewer.ControlText(View::kBrowserCommand), "/usr/bin/firefox");
    EXPECT_STREQ(again.viewer.ControlText(View::kRtfCommand), "abiword");
    EXPECT_TRUE(again.viewer.IsChecked(View::kUseDde));
    EXPECT_TRUE(again.viewer.IsChecked(View::kAutoView));
    EXPECT_EQ(again.viewer.Selection(View::kServiceList), View::kOtherServiceEntry);
    EXPECT_STREQ(again.viewer.ControlText(View::kOtherService), "Galeon");
    EXPECT_FALSE(again.viewer.IsChecked(View::kUrlPrefix));
    // The default policy file was loaded at the start.
    EXPECT_EQ(window->runPolicyFileName.str(), Path("house.pol"));
    EXPECT_EQ(window->policyFileLoaded, 1);
}

}  // namespace
