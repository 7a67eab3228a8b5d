#include "app/program_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ui_services.h"
#include "support/message_lines.h"
#include "support/temp_folder.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

class ProgramSettingsTest : public testing::Test {
protected:
    TempFolder temp{"program_settings"};
    fs::path folder = temp.Path();
    std::string savedPath, savedConfig;
    ScriptedUiServices services;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        savedConfig = std::getenv("XDG_CONFIG_HOME") != nullptr ? std::getenv("XDG_CONFIG_HOME") : "";
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        setenv("PATH", (folder / "bin").c_str(), 1);  // no desktop opener unless a test puts one there
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    }
    fs::path SettingsFile() const { return folder / "config" / "Halvex" / "Vendrel" / "settings"; }
    void PutOpener(const fs::path& directory) {
        fs::create_directories(directory);
        std::ofstream(directory / "xdg-open") << "#!/bin/sh\n";
        chmod((directory / "xdg-open").c_str(), 0755);
        setenv("PATH", directory.c_str(), 1);
    }
    void WriteFile(const std::string& content) {
        fs::create_directories(SettingsFile().parent_path());
        std::ofstream(SettingsFile()) << content;
    }
};

TEST_F(ProgramSettingsTest, AFreshUserGetsTheBuiltInDefaultsAndIsToldNoBrowserWasFound) {
    ProgramSettings settings;
    EXPECT_TRUE(settings.LoadSettings(&services));
    EXPECT_EQ(settings.browserCommand, "");
    EXPECT_EQ(settings.ddeServerName, "IExplore");
    EXPECT_EQ(settings.ddeWorking, "Yes");
    EXPECT_FALSE(settings.useDdeToViewHtml);
    EXPECT_TRUE(settings.addUrlPrefix);
    EXPECT_TRUE(settings.viewResults);
    EXPECT_TRUE(settings.displayStatusDialog);
    EXPECT_EQ(settings.language, "English");
    EXPECT_EQ(settings.windowPositions[9], -1);
    ASSERT_EQ(MessageLines(services).size(), 1u);
    EXPECT_EQ(MessageLines(services)[0],
              "Failed to auto-detect default browser: Please use the Settings Menu to locate your browser manually");
}

TEST_F(ProgramSettingsTest, TheDetectedBrowsersNameSetsTheDdeDefaults) {
    struct Case {
        const char* folderName;
        bool useDde;
        const char* service;
    } cases[] = {{"IExplore.exe", true, "IExplore"}, {"netscp6.exe", false, "Mozilla"}, {"bin", false, "IExplore"}};
    for (const Case& c : cases) {
        const fs::path directory = folder / c.folderName;
        PutOpener(directory);
        ProgramSettings settings;
        settings.LoadSettings(&services);
        EXPECT_EQ(settings.browserCommand.str(), (directory / "xdg-open").string()) << c.folderName;
        EXPECT_EQ(settings.useDdeToViewHtml, c.useDde) << c.folderName;
        EXPECT_EQ(settings.autoDdeUpdates, c.useDde) << c.folderName;
        EXPECT_EQ(settings.ddeServerName, c.service) << c.folderName;
    }
    EXPECT_TRUE(MessageLines(services).empty());
}

TEST_F(ProgramSettingsTest, SavingWritesEverySettingOnceAndLoadingReadsItBack) {
    ProgramSettings settings;
    settings.LoadSettings();
    settings.browserCommand = "/usr/bin/my browser";
    settings.viewResults = false;
    settings.alwaysReload = true;
    settings.conversionType = 2;
    settings.windowPositions[3] = 120;
    settings.filesHistory[0] = "a.txt";
    settings.inDirHistory[9] = "/data/in dir";
    ASSERT_TRUE(settings.SaveSettings());

    auto entries = SettingsStore::Parse([&] {
        std::ifstream in(SettingsFile());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }());
    // 10 texts, 10 positions, 13 booleans, 2 integers, 10 lists of 10.
    EXPECT_EQ(entries.size(), 135u);
    int booleans = 0;
    for (const auto& entry : entries) booleans += entry.value == "Yes" || entry.value == "No";
    EXPECT_EQ(booleans, 14);  // the 13 booleans and "\DDEWorking"

    ProgramSettings again;
    again.LoadSettings();
    EXPECT_EQ(again.browserCommand, "/usr/bin/my browser");
    EXPECT_FALSE(again.viewResults);
    EXPECT_TRUE(again.alwaysReload);
    EXPECT_EQ(again.conversionType, 2);
    EXPECT_EQ(again.windowPositions[3], 120);
    EXPECT_EQ(again.filesHistory[0], "a.txt");
    EXPECT_EQ(again.inDirHistory[9], "/data/in dir");
}

TEST_F(ProgramSettingsTest, OnlyExactYesAndNoAndRealNumbersChangeTheDefaults) {
    WriteFile(
        "\\BrowserCommand=x\n\\AddURLPrefix=no\n\\DragAndDrop\\StartProgram=yes\n"
        "\\Dialogs\\DisplayToolTips=No\n\\options\\outputtype=4\n\\Options\\ConversionType=two\n"
        "\\DIALOGS\\MAIN\\LEFT=15\n");
    ProgramSettings settings;
    settings.LoadSettings(&services);
    EXPECT_TRUE(settings.addUrlPrefix);
    EXPECT_FALSE(settings.startProgram);
    EXPECT_FALSE(settings.displayToolTips);
    EXPECT_EQ(settings.outputType, 4);
    EXPECT_EQ(settings.conversionType, 0);
    EXPECT_EQ(settings.windowPositions[0], 15);
    EXPECT_TRUE(MessageLines(services).empty());  // a saved browser command: no detection
}

TEST_F(ProgramSettingsTest, OtherAndUnknownLanguagesAreEnglish) {
    const std::pair<const char*, int> cases[] = {{"English", 1}, {"German", 2},  {"Swedish", 7}, {"Portuguese", 5},
                                                 {"Other", 1},   {"Klingon", 1}, {"", 1}};
    for (const auto& [name, code] : cases) EXPECT_EQ(LanguageCodeFromName(name), code) << name;
}

// Two windows, or a window and a batch run, on one settings file: each
// saves what it changed and keeps what the other saved.
TEST_F(ProgramSettingsTest, TwoProgramsOnOneFileKeepEachOthersChanges) {
    ProgramSettings first, second;
    first.LoadSettings();
    second.LoadSettings();
    first.browserCommand = "firefox --private-window";
    first.filesHistory[0] = "/data/a.txt";
    ASSERT_TRUE(first.SaveSettings());
    second.viewResults = false;
    ASSERT_TRUE(second.SaveSettings());
    // Saving again without a change puts nothing back either.
    ASSERT_TRUE(first.SaveSettings());

    ProgramSettings after;
    after.LoadSettings();
    EXPECT_EQ(after.browserCommand, "firefox --private-window");
    EXPECT_FALSE(after.viewResults);
    EXPECT_EQ(after.filesHistory[0], "/data/a.txt");
    const auto entries = SettingsStore::Parse(ReadWhole(SettingsFile()));
    EXPECT_EQ(entries.size(), 135u);  // every setting once
}

// A save changes the lines of what this program changed and nothing else:
// lines edited by hand, in another spelling, with a carriage return or
// with a value the program does not take stay as they stood.  A history
// list is written whole.
TEST_F(ProgramSettingsTest, ASaveLeavesEveryLineItDidNotChange) {
    const std::string kept =
        "# edited by hand\n"
        "\\addurlprefix=no\n"
        "\\Unknown\\Setting=100%\n"
        "\\BrowserCommand=/opt/my browser/run\r\n"
        "\\Files\\MRU03=/old/d.txt\n";
    WriteFile(kept + "\\DragAndDrop\\ViewResults=Yes\n\\dragAndDrop\\viewResults=Yes\n");
    ProgramSettings settings;
    settings.LoadSettings();
    EXPECT_TRUE(settings.SaveSettings());
    std::string content = ReadWhole(SettingsFile());
    EXPECT_EQ(content.rfind(kept, 0), 0u) << content;
    EXPECT_EQ(SettingsStore::Parse(content).size(), 136u);  // the unknown one too

    settings.viewResults = false;
    settings.filesHistory[0] = "/new/a.txt";
    ASSERT_TRUE(settings.SaveSettings());
    content = ReadWhole(SettingsFile());
    // The first line of a changed setting takes the value; a later one goes.
    EXPECT_NE(content.find("\\Unknown\\Setting=100%\n\\BrowserCommand=/opt/my browser/run\r\n"), std::string::npos)
        << content;
    EXPECT_NE(content.find("\\DragAndDrop\\ViewResults=No\n"), std::string::npos) << content;
    EXPECT_EQ(content.find("\\dragAndDrop\\viewResults"), std::string::npos) << content;
    EXPECT_NE(content.find("\\Files\\MRU03=/old/d.txt\n"), std::string::npos);
    ProgramSettings after;
    after.LoadSettings();
    EXPECT_EQ(after.filesHistory[0], "/new/a.txt");
    EXPECT_EQ(after.filesHistory[3], "/old/d.txt");
    EXPECT_TRUE(after.addUrlPrefix);  // "no" is not "No"
}

// A settings file that exists but cannot be read: one warning naming it
// and the reason, the defaults, and the file never written over.
TEST_F(ProgramSettingsTest, AnUnreadableFileGivesTheDefaultsAndIsNeverWrittenOver) {
    fs::create_directories(SettingsFile());  // a folder where the file should be
    testing::internal::CaptureStderr();
    ProgramSettings settings;
    settings.LoadSettings();
    settings.viewResults = false;
    EXPECT_FALSE(settings.SaveSettings());
    EXPECT_FALSE(settings.SaveSettings());
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(warnings, "WARNING: Can't read the program settings in " + SettingsFile().string() +
                            ": Is a directory; the defaults are used and nothing is saved\n");
    EXPECT_TRUE(settings.addUrlPrefix);
    EXPECT_EQ(settings.language, "English");
    EXPECT_TRUE(fs::is_directory(SettingsFile()));
    EXPECT_TRUE(fs::is_empty(SettingsFile()));
    EXPECT_FALSE(fs::exists(SettingsFile().string() + ".lock"));
}

}  // namespace
