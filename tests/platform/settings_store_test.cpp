#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public testing::Test {
protected:
    TempFolder temp{"settings_store"};
    fs::path folder = temp.Path();
    std::string path;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        path = (folder / "Halvex" / "Vendrel" / "settings").string();
    }
    std::string FileContent() const { return ReadWhole(path); }
};

TEST_F(SettingsStoreTest, ValuesOfAnyLengthAndCharacterRoundTripAndNamesIgnoreCase) {
    const std::string longValue(100000, 'x');
    SettingsStore store(path);
    store.WriteText("\\Options\\OutputType", "3");
    store.WriteText("\\BrowserCommand", "/opt/my browser/run \"%1\" a=b");
    store.WriteText("\\Odd", "line one\nline two\r%0A");
    store.WriteText("\\Long", longValue.c_str());
    store.WriteText("\\options\\outputtype", "4");  // same setting, first spelling kept
    ASSERT_TRUE(store.Save());

    SettingsStore again(path);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(again.Entries().size(), 4u);
    EXPECT_EQ(again.Entries()[0].name, "\\Options\\OutputType");
    int value = 0;
    EXPECT_TRUE(again.ReadInt("\\OPTIONS\\outputType", value));
    EXPECT_EQ(value, 4);
    std::string text;
    EXPECT_TRUE(again.ReadText("\\browsercommand", text));
    EXPECT_EQ(text, "/opt/my browser/run \"%1\" a=b");
    EXPECT_TRUE(again.ReadText("\\Odd", text));
    EXPECT_EQ(text, "line one\nline two\r%0A");
    EXPECT_TRUE(again.ReadText("\\Long", text));
    EXPECT_EQ(text.size(), 100000u);
    EXPECT_FALSE(again.ReadText("\\Missing", text));
    EXPECT_EQ(text.size(), 100000u);  // unchanged
    // One line per setting: the line breaks of the value are encoded.
    const std::string content = FileContent();
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 4);
}

TEST_F(SettingsStoreTest, ParsingKeepsEachNameOnceAndSkipsLinesWithoutName) {
    auto entries = SettingsStore::Parse("\\A=1\r\nno equals sign\n=orphan\n\\a=2\n\\B=%1 and 100%\n\\C=");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "\\A");
    EXPECT_EQ(entries[0].value, "2");
    EXPECT_EQ(entries[1].value, "%1 and 100%");
    EXPECT_EQ(entries[2].value, "");
}

TEST_F(SettingsStoreTest, NumbersAreReadOnlyWhenTheyAreNumbers) {
    struct Case {
        const char* text;
        bool read;
        int value;  // what the setting reads as (7, the value before, when it is not read)
    };
    // A number may stand between blanks and marks, never beside a letter.
    // clang-format off
    const Case cases[] = {
        {" -12 ", true, -12}, {"+5", true, 5},          {"(42)", true, 42},    {"$8.", true, 8},
        {"0", true, 0},       {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
        {"12px", false, 7},   {"x1", false, 7},         {"1-2", false, 7},     {"--1", false, 7},
        {"1 2", false, 7},    {"", false, 7},           {"  ", false, 7},      {"-", false, 7},
        {"2147483648", false, 7}, {"1.5", false, 7},
    };
    // clang-format on
    SettingsStore store(path);
    for (const Case& c : cases) {
        store.WriteText("\\N", c.text);
        int value = 7;
        EXPECT_EQ(store.ReadInt("\\N", value), c.read) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
    int value = 7;
    EXPECT_FALSE(store.ReadInt("\\Missing", value));
    EXPECT_EQ(value, 7);
}

TEST_F(SettingsStoreTest, HistoryListsHaveTenTwoDigitEntries) {
    SettingsStore store(path);
    std::string entries[10] = {"a", "b"};
    SaveHistoryList(store, "\\Files", 10, entries);
    EXPECT_TRUE(store.Contains("\\Files\\MRU00"));
    EXPECT_TRUE(store.Contains("\\Files\\MRU09"));
    std::string loaded[10] = {"x", "x", "x"};
    LoadHistoryList(store, "\\files", 10, loaded);
    EXPECT_EQ(loaded[1], "b");
    EXPECT_EQ(loaded[2], "");
}

TEST_F(SettingsStoreTest, DefaultPathFollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string restore = saved != nullptr ? saved : "";
    const char* savedHome = std::getenv("HOME");
    std::string restoreHome = savedHome != nullptr ? savedHome : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsStore::DefaultPath("Vendrel"), "/cfg/Halvex/Vendrel/settings");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SettingsStore::DefaultPath("Vendrel"), "/home/u/.config/Halvex/Vendrel/settings");
    if (saved != nullptr)
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", restoreHome.c_str(), 1);
}

TEST_F(SettingsStoreTest, ConcurrentSavesNeitherCorruptNorLoseSettings) {
    constexpr int kProcesses = 5;
    pid_t children[kProcesses];
    for (int p = 0; p < kProcesses; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            bool ok = true;
            for (int round = 0; round < 20; ++round) {
                SettingsStore store(path);
                store.Load();
                for (int k = 0; k < 50; ++k) {
                    std::string name = "\\Shared\\Key" + std::to_string(k);
                    store.WriteText(round % 2 ? name.c_str() : ("\\shared\\key" + std::to_string(k)).c_str(),
                                    std::string(200 + p * 10, 'a' + p).c_str());
                }
                store.WriteInt(("\\Own\\Process" + std::to_string(p)).c_str(), round);
                ok = store.Save() && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string content = FileContent();
    auto entries = SettingsStore::Parse(content);
    EXPECT_EQ(entries.size(), 50u + kProcesses);
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 50 + kProcesses);  // each key once
    SettingsStore store(path);
    ASSERT_TRUE(store.Load());
    for (int p = 0; p < kProcesses; ++p) {
        int round = -1;
        EXPECT_TRUE(store.ReadInt(("\\Own\\Process" + std::to_string(p)).c_str(), round));
        EXPECT_EQ(round, 19);
    }
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
        EXPECT_TRUE(entry.path().filename() == "settings" || entry.path().filename() == "settings.lock")
            << entry.path();
}

TEST_F(SettingsStoreTest, AFailedSaveWarnsOnce) {
    std::ofstream(folder / "plain-file") << "x";
    SettingsStore store((folder / "plain-file" / "settings").string());
    int warnings = 0;
    std::string warning;
    store.SetWarningSink([&](const char* text) {
        ++warnings;
        warning = text;
    });
    store.WriteText("\\A", "1");
    EXPECT_FALSE(store.Save());
    store.WriteText("\\A", "2");
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(warning.rfind("WARNING: ", 0), 0u);
}

}  // namespace
