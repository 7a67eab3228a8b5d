#include "app/result_viewing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/program_settings.h"
#include "app/ui_services.h"
#include "platform/process_launch.h"
#include "support/message_lines.h"
#include "support/recording_program.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

class ResultViewingTest : public testing::Test {
protected:
    TempFolder temp{"result viewing"};
    fs::path folder = temp.Path(), record, script;
    std::optional<ScopedEnv> config, display, wayland;
    std::optional<ProgramSettings> settings;
    ScriptedUiServices services;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        config.emplace("XDG_CONFIG_HOME", (folder / "config").c_str());
        display.emplace("DISPLAY", ":0");
        wayland.emplace("WAYLAND_DISPLAY", nullptr);
        record = folder / "argv.txt";
        script = folder / "browser";
        ASSERT_TRUE(WriteRecordingProgram(script, record));
        settings.emplace();
        settings->browserCommand = script.c_str();
    }
    void TearDown() override { WaitForStartedPrograms(); }
    ResultViewer::RunResults Batch(const char* name, int format = 0) {
        ResultViewer::RunResults results;
        results.runSucceeded = true;
        results.batchMode = true;
        results.outputFormat = format;
        results.outputDirectory = (folder.string() + "/").c_str();
        results.lastOutputFileName = name;
        return results;
    }
    // What the recording program received; empty when it never ran.
    std::string Received() { return ReceivedArguments(record); }
};

// The test folder's address: its name holds a blank ("result viewing"); the
// temporary folder above it is taken to need no encoding.
std::string FolderAddress(const fs::path& folder) {
    std::string address = "file://";
    for (char c : folder.string()) address += c == ' ' ? std::string("%20") : std::string(1, c);
    return address;
}

// Decodes "%XX" sequences: the path the desktop's opener will open.
std::string Decoded(const std::string& address) {
    std::string path;
    for (size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size()) {
            path += static_cast<char>(std::stoi(address.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += address[i];
        }
    }
    return path;
}

TEST_F(ResultViewingTest, TheBrowserGetsOnePercentEncodedAddressOfTheRightFile) {
    struct Case {
        const char* name;
        const char* encoded;
    };
    const Case cases[] = {
        {"my \"a\" 'b'.html", "my%20%22a%22%20%27b%27.html"},
        {"100% done.html", "100%25%20done.html"},
        {"part#2.html", "part%232.html"},
        {"why?.html", "why%3F.html"},
        {"back\\slash.html", "back%5Cslash.html"},
        {"Z\xC3\xBCrich & co.html", "Z%C3%BCrich%20%26%20co.html"},
        {"plain-name_1.~x.html", "plain-name_1.~x.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(record);
        ResultViewer viewer(*settings, services);
        EXPECT_EQ(viewer.ShowRunResults(Batch(c.name)), ResultViewer::ShowOutcome::kStarted);
        const std::string address = FolderAddress(folder) + "/" + c.encoded;
        EXPECT_EQ(Received(), "1\n[" + address + "]\n");
        EXPECT_EQ(Decoded(address.substr(7)), (folder / c.name).string());
    }
    EXPECT_TRUE(MessageLines(services).empty());
}

TEST_F(ResultViewingTest, WithoutThePrefixTheBrowserGetsThePlainPath) {
    settings->addUrlPrefix = false;
    ResultViewer viewer(*settings, services);
    viewer.ShowRunResults(Batch("a.html"));
    EXPECT_EQ(Received(), "1\n[" + folder.string() + "/a.html]\n");
}

TEST_F(ResultViewingTest, RtfGoesToTheRtfViewerAsAPlainPath) {
    settings->viewRtfCommand = script.c_str();
    settings->browserCommand = "/nonexistent";
    ResultViewer viewer(*settings, services);
    EXPECT_EQ(viewer.ShowRunResults(Batch("a b.rtf", 1)), ResultViewer::ShowOutcome::kStarted);
    EXPECT_EQ(Received(), "1\n[" + folder.string() + "/a b.rtf]\n");
}

TEST_F(ResultViewingTest, NothingIsStartedWhenNotAskedFor) {
    ResultViewer viewer(*settings, services);
    auto failed = Batch("a.html");
    failed.runSucceeded = false;
    auto clipboard = Batch("a.html");
    clipboard.outputMode = 2;
    auto graphical = Batch("a.html");
    graphical.batchMode = false;  // "\AutoDDEUpdates" is off
    auto noOutput = Batch("");
    for (const auto& results : {failed, clipboard, graphical, noOutput})
        EXPECT_EQ(viewer.ShowRunResults(results), ResultViewer::ShowOutcome::kNotAsked);
    settings->viewResults = false;
    EXPECT_EQ(viewer.ShowRunResults(Batch("a.html")), ResultViewer::ShowOutcome::kNotAsked);
    EXPECT_EQ(Received(), "");
}

TEST_F(ResultViewingTest, ABatchRunWithoutDesktopSaysSoOnceAndStartsNothing) {
    ScopedEnv noDisplay("DISPLAY", "");
    ResultViewer viewer(*settings, services);
    std::vector<std::string> status;
    auto results = Batch("a.html");
    results.status = [&](const char* line) { status.push_back(line); };
    EXPECT_EQ(viewer.ShowRunResults(results), ResultViewer::ShowOutcome::kNoDesktop);
    EXPECT_EQ(status, std::vector<std::string>{ResultViewer::kNoDesktopStatus});
    EXPECT_EQ(Received(), "");
}

// There is no DDE here: "\UseDDEToViewHTML=Yes" tries nothing and writes no
// setting; the browser program shows the file.
TEST_F(ResultViewingTest, AStoredUseDdeStartsTheBrowserAndWritesNothing) {
    settings->useDdeToViewHtml = true;
    settings->ddeWorking = "Yes";
    ResultViewer viewer(*settings, services);
    EXPECT_EQ(viewer.ShowRunResults(Batch("a.html")), ResultViewer::ShowOutcome::kStarted);
    EXPECT_EQ(Received(), "1\n[" + FolderAddress(folder) + "/a.html]\n");
    EXPECT_TRUE(MessageLines(services).empty());
    EXPECT_FALSE(fs::exists(folder / "config"));
}

// A command that names a program whole is that program, blanks in its path
// and all; any other is split into words, the file or address last.
TEST_F(ResultViewingTest, CommandsWithArgumentsAndProgramPathsWithBlanks) {
    const std::string address = FolderAddress(folder) + "/a.html";
    struct Case {
        std::string command;
        std::string received;
    };
    const Case cases[] = {
        {script.string(), "1\n[" + address + "]\n"},
        {"\"" + script.string() + "\" --private-window", "2\n[--private-window]\n[" + address + "]\n"},
        {"'" + script.string() + "' -a \"two words\" x\\ y", "4\n[-a]\n[two words]\n[x y]\n[" + address + "]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fs::remove(record);
        settings->browserCommand = c.command.c_str();
        ResultViewer viewer(*settings, services);
        EXPECT_EQ(viewer.ShowRunResults(Batch("a.html")), ResultViewer::ShowOutcome::kStarted);
        EXPECT_EQ(Received(), c.received);
    }
    // The test folder's name holds a blank: written unquoted, the path is
    // split there.
    settings->viewRtfCommand = (script.string() + " --view").c_str();
    fs::remove(record);
    EXPECT_EQ(ResultViewer(*settings, services).ShowRunResults(Batch("a.rtf", 1)),
              ResultViewer::ShowOutcome::kStartFailed);
    EXPECT_EQ(MessageLines(services).size(), 1u);
    services.ClearLog();
    settings->viewRtfCommand = ("'" + script.string() + "' --view").c_str();
    fs::remove(record);
    ResultViewer viewer(*settings, services);
    EXPECT_EQ(viewer.ShowRunResults(Batch("a.rtf", 1)), ResultViewer::ShowOutcome::kStarted);
    EXPECT_EQ(Received(), "2\n[--view]\n[" + folder.string() + "/a.rtf]\n");
    EXPECT_TRUE(MessageLines(services).empty());
}

TEST_F(ResultViewingTest, AFailedStartIsReportedWithCommandAddressAndErrorNumber) {
    settings->browserCommand = "/nonexistent/browser";
    ResultViewer viewer(*settings, services);
    EXPECT_EQ(viewer.ShowRunResults(Batch("a.html")), ResultViewer::ShowOutcome::kStartFailed);
    ASSERT_EQ(MessageLines(services).size(), 1u);
    EXPECT_EQ(MessageLines(services)[0], "Error launching browser: Command \"/nonexistent/browser " +
                                             FolderAddress(folder) + "/a.html\" failed. Error code=2");
}

TEST_F(ResultViewingTest, AddressesOnTheMakersSiteCarryProductAndLanguage) {
    ResultViewer viewer(*settings, services, 2);
    viewer.OpenUrlInBrowser("http://www.halvex.com/cgi/find.pl?q=1", script.c_str(), false);
    EXPECT_EQ(Received(), "1\n[http://www.halvex.com/cgi/find.pl?q=1&p=Vendrel&l=g]\n");
    viewer.OpenUrlInBrowser("http://www.halvex.com/checkversion.pl?v=4", script.c_str(), false);
    EXPECT_EQ(Received(), "1\n[http://www.halvex.com/checkversion.pl?v=4&l=g]\n");
    viewer.OpenUrlInBrowser("http://example.org/?q=1", script.c_str(), false);
    EXPECT_EQ(Received(), "1\n[http://example.org/?q=1]\n");
}

TEST_F(ResultViewingTest, EmptyAddressesAndFileNamesAreRefused) {
    ResultViewer viewer(*settings, services);
    EXPECT_FALSE(viewer.OpenUrlInBrowser("", script.c_str(), false));
    EXPECT_FALSE(viewer.StartViewer("", script.c_str()));
    ASSERT_EQ(MessageLines(services).size(), 2u);
    EXPECT_EQ(MessageLines(services)[0], "Vendrel: No URL supplied.  Cannot launch browser");
    EXPECT_EQ(MessageLines(services)[1], "Vendrel: No Filename supplied.  Cannot launch viewer");
}

TEST(LocalDocumentationTest, TheInstalledGuideComesBeforeOneBesideTheProgram) {
    TempFolder prefix("local_doco");
    ASSERT_TRUE(prefix.Made());
    const std::string program = (prefix / "bin" / "vendrel").string();
    const std::filesystem::path installed = prefix / "share" / "doc" / "vendrel" / "vdrdoco.html";
    const std::filesystem::path beside = prefix / "bin" / "vdrdoco.html";
    std::filesystem::create_directories(installed.parent_path());
    std::filesystem::create_directories(beside.parent_path());
    TextString page("stale");
    EXPECT_FALSE(ResultViewer::FindLocalDocumentationFor(program, page));
    EXPECT_EQ(page.str(), "");
    ASSERT_TRUE(WriteWhole(beside, "guide"));
    ASSERT_TRUE(ResultViewer::FindLocalDocumentationFor(program, page));
    EXPECT_EQ(page.str(), beside.string());
    ASSERT_TRUE(WriteWhole(installed, "guide"));
    ASSERT_TRUE(ResultViewer::FindLocalDocumentationFor(program, page));
    EXPECT_EQ(std::filesystem::canonical(page.str()), std::filesystem::canonical(installed));
    // A folder of that name is no page.
    std::filesystem::remove(beside);
    std::filesystem::remove(installed);
    std::filesystem::create_directory(installed);
    EXPECT_FALSE(ResultViewer::FindLocalDocumentationFor(program, page));
}

}  // namespace
