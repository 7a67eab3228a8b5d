// The start-up decision between the windows and the console, with a front
// end that records what it was asked: no toolkit and no display needed.
#include "app/front_end.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "app/batch_mode.h"
#include "app/conversion_run.h"
#include "app/front_end_module.h"
#include "foundation/run_status.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "support/temp_folder.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

class RecordingFrontEnd : public FrontEnd {
public:
    bool hasMainWindow = true;
    bool startWorks = true;
    int mainWindowStatus = 0;
    std::vector<std::string> calls;
    ScriptedUiServices desktopServices;
    ConsoleStatusDisplay window;  // stands for the status window
    bool runConverting = false;  // RunBegins seen, RunEnds not yet

    bool HasMainWindow() const override { return hasMainWindow; }
    bool Start() override {
        calls.push_back("Start");
        return startWorks;
    }
    UiServices& Services() override { return desktopServices; }
    void AttachStatusWindow(BaseDialog&) override {
        calls.push_back("AttachStatusWindow");
        window.consoleEcho = false;
        ::AttachStatusWindow(&window);
    }
    void RunBegins() override {
        calls.push_back("RunBegins");
        runConverting = true;
    }
    void RunEnds() override {
        calls.push_back("RunEnds");
        runConverting = false;
    }
    int RunMainWindow(MainDialog&) override {
        calls.push_back("RunMainWindow");
        return mainWindowStatus;
    }
};

class StartUpTest : public testing::Test {
protected:
    TempFolder temp{"start_up"};
    fs::path folder = temp.Path();
    ScriptedUiServices console;
    SwitchingUiServices services{console};
    RecordingFrontEnd frontEnd;
    std::unique_ptr<MainDialog> dialog;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        TheRunStatus().Reset();
        TheConsoleStatus().consoleEcho = false;
        dialog = std::make_unique<MainDialog>(services, (folder / "settings").string());
        dialog->settings.viewResults = false;
    }
    void TearDown() override {
        AttachStatusWindow(nullptr);
        dialog.reset();
        TheConsoleStatus().consoleEcho = true;
        TheRunStatus().Reset();
    }

    // Names `file` on the command line (written first unless `missing`).
    bool Name(const std::string& file, bool missing = false) {
        if (!missing) std::ofstream(folder / file) << "Name  Age\nAnn   31\n";
        std::string word = (folder / file).string();
        char* argv[] = {const_cast<char*>("vendrel"), word.data()};
        ConverterCommandLineInfo info(*dialog);
        info.ParseArguments(2, argv);
        return info.fileWordSeen;
    }

    // Runs with the recording front end (or none); the exit status, and
    // what went to standard error in `err`.
    int Run(bool fileNamed, bool withFrontEnd = true) {
        return RunWith(fileNamed, withFrontEnd ? &frontEnd : nullptr);
    }
    int RunWith(bool fileNamed, FrontEnd* front) {
        GraphicalDesktop desktop;
        desktop.frontEnd = front;
        desktop.services = &services;
        testing::internal::CaptureStderr();
        const int status = RunFromCommandLine(*dialog, fileNamed, desktop);
        err = testing::internal::GetCapturedStderr();
        return status;
    }

    bool NoWindowLineShown() const { return err.find(kNoWindowLine) != std::string::npos; }

    std::string err;
};

using Calls = std::vector<std::string>;

TEST(DisplayPresentTest, EitherVariableSetAndNotEmptyIsADisplay) {
    const struct {
        const char* x11;
        const char* wayland;
        bool present;
    } cases[] = {
        {nullptr, nullptr, false},    {"", "", false},         {":0", nullptr, true},
        {nullptr, "wayland-0", true}, {"", "wayland-0", true}, {":1", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayPresent(c.x11, c.wayland), c.present)
            << (c.x11 ? c.x11 : "(unset)") << " / " << (c.wayland ? c.wayland : "(unset)");
    }
}

TEST_F(StartUpTest, NoFileNamedOpensTheMainWindowWithTheDesktopServices) {
    frontEnd.mainWindowStatus = 0;
    EXPECT_EQ(Run(false), 0);
    EXPECT_EQ(frontEnd.calls, (Calls{"Start", "RunMainWindow"}));
    EXPECT_EQ(&services.Target(), &frontEnd.desktopServices);
    EXPECT_FALSE(NoWindowLineShown());
}

TEST_F(StartUpTest, TheDdeWarningBeforeTheMainWindowUsesTheDesktopsMessageBox) {
    dialog->settings.useDdeToViewHtml = true;
    dialog->settings.ddeWorking = "No";
    Run(false);
    ASSERT_EQ(frontEnd.desktopServices.Messages().size(), 1u);
    EXPECT_EQ(frontEnd.desktopServices.Messages()[0].caption, "Problems using DDE detected");
    // No pointer to the Viewers page, whose DDE switch is disabled here.
    EXPECT_EQ(frontEnd.desktopServices.Messages()[0].text,
              "Problems detected using DDE last time.\n\rDisabling DDE.");
    EXPECT_TRUE(console.Messages().empty());
    EXPECT_FALSE(dialog->settings.useDdeToViewHtml);
}

TEST(DdeWarningTest, EveryLanguageLeavesOutOnlyThePointerToTheViewersPage) {
    for (const int code : {kLanguageEnglish, kLanguageGerman, kLanguageSpanish, kLanguageFrench, kLanguagePortuguese,
                           kLanguageItalian, kLanguageSwedish}) {
        SetMessageLanguage(code);
        const std::string whole = GetMessageText(kMsgDdeDisabled);
        const std::string shown = DdeDisabledWarning().str();
        // The pointer names the page by its menu path ("Settings/Viewers").
        EXPECT_NE(whole.find('/'), std::string::npos) << code;
        EXPECT_EQ(shown.find('/'), std::string::npos) << code << ": " << shown;
        EXPECT_EQ(whole.compare(0, shown.size(), shown), 0) << code;
        EXPECT_EQ(shown.back(), '.') << code;
        EXPECT_NE(shown.find("\n\r"), std::string::npos) << code << ": both lines' first sentences stay";
    }
    SetMessageLanguage(kLanguageEnglish);
}

TEST_F(StartUpTest, WithoutAWindowTheUsageAndTheOneLineAreShown) {
    const struct {
        const char* why;
        bool withFrontEnd;  // a display and a front end built
        bool hasMainWindow;
        bool startWorks;  // the toolkit opened the display
        Calls calls;
    } cases[] = {
        {"no display or no front end", false, true, true, {}},
        {"a front end without the main window", true, false, true, {}},
        {"a display the toolkit cannot open", true, true, false, {"Start"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        frontEnd.calls.clear();
        frontEnd.hasMainWindow = c.hasMainWindow;
        frontEnd.startWorks = c.startWorks;
        EXPECT_EQ(Run(false, c.withFrontEnd), kExitNoWindow);
        EXPECT_EQ(frontEnd.calls, c.calls);
        EXPECT_TRUE(NoWindowLineShown()) << err;
        EXPECT_EQ(&services.Target(), &console);
    }
}

// The windows' module loaded when a window is wanted: one that is missing
// or cannot serve is no front end, and the user sees what a build without
// windows shows, never the loader's words.
TEST_F(StartUpTest, AWindowsModuleThatCannotServeKeepsTheBehaviourWithoutWindows) {
    ASSERT_TRUE(WriteWhole(folder / "broken.so", "not a shared object\n"));
    const struct {
        const char* why;
        std::vector<std::string> places;
    } cases[] = {
        {"missing", {(folder / "missing.so").string()}},
        {"not a shared object", {(folder / "broken.so").string()}},
        {"an entry that makes nothing", {VENDREL_TEST_MODULE_MAKING_NOTHING}},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TearDown();
        SetUp();
        ModuleFrontEnd module(c.places, nullptr);
        EXPECT_EQ(RunWith(false, &module), kExitNoWindow);
        EXPECT_TRUE(NoWindowLineShown()) << err;
        EXPECT_EQ(err.find(".so"), std::string::npos) << err;
        EXPECT_EQ(&services.Target(), &console);

        // A batch run that wants its status window writes its lines to
        // standard error.
        TearDown();
        SetUp();
        dialog->settings.viewStatusWindow = true;
        TheConsoleStatus().consoleEcho = true;
        const std::string name = "m" + std::to_string(++round) + ".txt";
        ASSERT_TRUE(Name(name));
        ModuleFrontEnd batchModule(c.places, nullptr);
        EXPECT_EQ(RunWith(true, &batchModule), kExitConverted);
        EXPECT_NE(err.find(name), std::string::npos) << err;
        EXPECT_EQ(err.find(".so"), std::string::npos) << err;
    }
}

TEST_F(StartUpTest, AWindowsModuleThatLoadsRunsTheMainWindow) {
    ModuleFrontEnd module({VENDREL_TEST_MODULE}, nullptr);
    // The test module's main window ends with its own status.
    EXPECT_EQ(RunWith(false, &module), 42);
    EXPECT_FALSE(NoWindowLineShown()) << err;
    EXPECT_EQ(&services.Target(), &module.Loaded()->Services());
}

TEST_F(StartUpTest, ABatchRunStartsNoWindowUnlessTheSettingsAskForOne) {
    ASSERT_TRUE(Name("a.txt"));
    EXPECT_EQ(Run(true), kExitConverted);
    EXPECT_TRUE(frontEnd.calls.empty());
    EXPECT_TRUE(fs::exists(folder / "a.html"));
}

TEST_F(StartUpTest, TheStatusWindowShowsTheLinesOfABatchRunWhileItRuns) {
    dialog->settings.viewStatusWindow = true;
    ASSERT_TRUE(Name("a.txt"));
    EXPECT_EQ(Run(true), kExitConverted);
    EXPECT_EQ(frontEnd.calls, (Calls{"Start", "AttachStatusWindow", "RunBegins", "RunEnds"}));
    EXPECT_GT(frontEnd.window.Lines.count, 0);
    // The lines went to the window, not to standard error.
    EXPECT_EQ(err.find("a.txt"), std::string::npos) << err;
    // Message boxes of a batch run stay on the console: it never waits.
    EXPECT_EQ(&services.Target(), &console);
}

TEST_F(StartUpTest, WithoutADisplayTheStatusLinesGoToStandardError) {
    dialog->settings.viewStatusWindow = true;
    frontEnd.startWorks = false;
    TheConsoleStatus().consoleEcho = true;
    ASSERT_TRUE(Name("a.txt"));
    EXPECT_EQ(Run(true), kExitConverted);
    EXPECT_EQ(frontEnd.calls, (Calls{"Start"}));
    EXPECT_NE(err.find("a.txt"), std::string::npos) << err;
}

TEST_F(StartUpTest, TheMainWindowFollowsABatchRunOnlyWhenTheSettingsAskForIt) {
    const struct {
        const char* why;
        bool startProgram;
        bool fileMissing;
        int status;
        Calls calls;
        bool noWindowLine;
    } cases[] = {
        {"converted, start program", true, false, kExitConverted, {"Start", "RunMainWindow"}, false},
        {"failed, start program: the status stays 1", true, true, kExitFailed, {"Start", "RunMainWindow"}, false},
        {"converted, no start program", false, false, kExitConverted, {}, false},
        {"failed, no start program: no window, no waiting", false, true, kExitFailed, {}, false},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TearDown();
        SetUp();
        frontEnd.calls.clear();
        frontEnd.mainWindowStatus = 0;
        dialog->settings.startProgram = c.startProgram;
        // A missing file is named with a wildcard that finds nothing.
        const std::string name = "r" + std::to_string(++round) + (c.fileMissing ? "*.none" : ".txt");
        Name(name, c.fileMissing);
        EXPECT_EQ(Run(true), c.status);
        EXPECT_EQ(frontEnd.calls, c.calls);
        EXPECT_EQ(NoWindowLineShown(), c.noWindowLine) << err;
    }
}

TEST_F(StartUpTest, WithoutAFrontEndAConvertedRunThatWantsTheMainWindowSaysItIsNotAvailable) {
    dialog->settings.startProgram = true;
    ASSERT_TRUE(Name("a.txt"));
    EXPECT_EQ(Run(true, false), kExitConverted);
    EXPECT_TRUE(NoWindowLineShown());
}

}  // namespace
