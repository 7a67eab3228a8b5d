#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
    EXPECT_EQ(HistoryEntryName("\\Files", 0), "\\Files\\MRU00");
    EXPECT_EQ(HistoryEntryName("\\Files", 9), "\\Files\\MRU09");
    SettingsStore store(path);
    store.WriteText("\\Files\\MRU01", "b");
    std::string loaded[10] = {"x", "x", "x"};
    LoadHistoryList(store, "\\files", 10, loaded);
    EXPECT_EQ(loaded[0], "");
    EXPECT_EQ(loaded[1], "b");
    EXPECT_EQ(loaded[2], "");
}

// What a save makes of the file's lines.
TEST(SettingsMergeTest, OnlyTheLinesOfChangedSettingsChange) {
    using Pending = SettingsStore::Pending;
    struct Case {
        const char* file;
        std::vector<Pending> pending;
        const char* merged;
    };
    const Case cases[] = {
        // A changed setting takes its first line, in the file's spelling
        // and with its carriage return; a later line of it goes.
        {"\\A=1\n\\b=2\r\n\\C=3\n\\B=4\n", {{"\\B", "5%", true}}, "\\A=1\n\\b=5%25\r\n\\C=3\n"},
        // An offer leaves a setting the file has, and adds a missing one.
        {"\\A=1\n", {{"\\a", "9", false}, {"\\New", "x\ny", false}}, "\\A=1\n\\New=x%0Ay\n"},
        // New settings follow the last line, which gets its line feed.
        {"\\A=1", {{"\\B", "2", true}}, "\\A=1\n\\B=2\n"},
        {"", {{"\\B", "2", true}, {"\\A", "1", false}}, "\\B=2\n\\A=1\n"},
        // Lines of other settings stay byte for byte.
        {"\\A = spaced \n\\Odd=%zz\n", {{"\\C", "", true}}, "\\A = spaced \n\\Odd=%zz\n\\C=\n"},
        {"\\A=1\n", {}, "\\A=1\n"},
        // Lines without a name (a user's comments) stay where they stood.
        {"# mine\n\\A=1\nfree text\n=x\n",
         {{"\\A", "2", true}, {"\\B", "3", true}},
         "# mine\n\\A=2\nfree text\n=x\n\\B=3\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(SettingsStore::Merge(c.file, c.pending), c.merged) << c.file;
}

TEST_F(SettingsStoreTest, ASaveWithNothingNewLeavesTheFileAlone) {
    SettingsStore store(path);
    store.WriteText("\\A", "1");
    ASSERT_TRUE(store.Save());
    const auto before = fs::last_write_time(path);
    const auto inode = [&] {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_ino;
    };
    const ino_t first = inode();
    SettingsStore again(path);
    ASSERT_TRUE(again.Load());
    again.OfferText("\\a", "other");
    EXPECT_TRUE(again.Save());
    EXPECT_EQ(inode(), first);
    EXPECT_EQ(fs::last_write_time(path), before);
    EXPECT_EQ(FileContent(), "\\A=1\n");
    std::string text;
    EXPECT_TRUE(again.ReadText("\\A", text));
    EXPECT_EQ(text, "1");
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
                // What the others write alone, this one holds but never changes.
                for (int q = 0; q < kProcesses; ++q)
                    if (q != p) store.OfferText(("\\own\\process" + std::to_string(q)).c_str(), "-1");
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

// A file that cannot be read is never written over, and says so once.
TEST_F(SettingsStoreTest, AnUnreadableFileIsNeverWrittenOver) {
    fs::create_directories(path);
    SettingsStore store(path);
    std::vector<std::string> warnings;
    store.SetWarningSink([&](const char* text) { warnings.emplace_back(text); });
    EXPECT_FALSE(store.Load());
    EXPECT_TRUE(store.Entries().empty());
    store.WriteText("\\A", "1");
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(warnings, std::vector<std::string>{"WARNING: Can't read the program settings in " + path +
                                                 ": Is a directory; the defaults are used and nothing is saved"});
    EXPECT_TRUE(fs::is_empty(path));

    // A store that never loaded reads the file at its save: a file it cannot
    // read is not written over either.
    SettingsStore unloaded(path);
    unloaded.SetWarningSink([&](const char* text) { warnings.emplace_back(text); });
    unloaded.WriteText("\\A", "1");
    EXPECT_FALSE(unloaded.Save());
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[1], "WARNING: Can't save the program settings in " + path +
                               ": can't read the settings file: Is a directory");
    EXPECT_TRUE(fs::is_empty(path));
}

// Anything but a regular file of at most 1 MiB is not read (a FIFO would
// block, /dev/zero never ends) and never written over: one warning naming
// it, the defaults, nothing saved.
TEST_F(SettingsStoreTest, OnlyARegularFileOfAtMostOneMebibyteIsRead) {
    fs::create_directories(fs::path(path).parent_path());
    const std::string big = "\\A=1\n" + std::string(size_t{1} << 20, '#');
    struct Case {
        const char* what;
        const char* reason;
    };
    const Case cases[] = {{"fifo", "Not a regular file"},
                          {"zero", "Not a regular file"},
                          {"big", "File too large"},
                          {"folder", "Is a directory"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        const std::string what = c.what;
        if (what == "fifo") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (what == "zero") {
            fs::create_symlink("/dev/zero", path);
        } else if (what == "big") {
            ASSERT_TRUE(WriteWhole(path, big));
        } else {
            fs::create_directory(path);
        }
        SettingsStore store(path);
        std::vector<std::string> warnings;
        store.SetWarningSink([&](const char* text) { warnings.emplace_back(text); });
        EXPECT_FALSE(store.Load());
        EXPECT_TRUE(store.Entries().empty());
        store.WriteText("\\A", "2");
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(warnings, std::vector<std::string>{"WARNING: Can't read the program settings in " + path + ": " +
                                                     c.reason + "; the defaults are used and nothing is saved"});
        // Left as it was.
        const fs::file_type type = fs::symlink_status(path).type();
        EXPECT_EQ(type, what == "fifo"   ? fs::file_type::fifo
                        : what == "zero" ? fs::file_type::symlink
                        : what == "big"  ? fs::file_type::regular
                                         : fs::file_type::directory);
        if (what == "big") {
            EXPECT_EQ(FileContent(), big);
        }
    }
}

// A read-only file is kept as it is, even for root; a link is followed and
// the file it names replaced; a file with a second hard link is written
// through both names; a user's lines without "=" stay where they stood.
TEST_F(SettingsStoreTest, TheFileTheUserKeepsIsTheFileSaved) {
    fs::create_directories(fs::path(path).parent_path());
    const std::string content = "# my settings\n\\A=1\nkeep this line\n\\B=2\n";
    const std::string saved = "# my settings\n\\A=9\nkeep this line\n\\B=2\n";
    const auto saveA = [&](std::vector<std::string>* warnings) {
        SettingsStore store(path);
        store.SetWarningSink([&](const char* text) { warnings->emplace_back(text); });
        EXPECT_TRUE(store.Load());
        store.WriteText("\\a", "9");
        return store.Save();
    };
    std::vector<std::string> warnings;

    ASSERT_TRUE(WriteWhole(path, content));
    fs::permissions(path, fs::perms(0444));
    EXPECT_FALSE(saveA(&warnings));
    EXPECT_EQ(warnings, std::vector<std::string>{"WARNING: Can't save the program settings in " + path +
                                                 ": the file is read-only"});
    EXPECT_EQ(FileContent(), content);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0444));
    fs::remove(path);

    const fs::path real = folder / "real-settings";
    ASSERT_TRUE(WriteWhole(real, content));
    fs::permissions(real, fs::perms(0640));
    fs::create_symlink(real, path);
    EXPECT_TRUE(saveA(&warnings));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadWhole(real), saved);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    fs::remove(path);

    ASSERT_TRUE(WriteWhole(path, content));
    fs::create_hard_link(path, folder / "second-name");
    EXPECT_TRUE(saveA(&warnings));
    EXPECT_EQ(ReadWhole(folder / "second-name"), saved);
    EXPECT_EQ(FileContent(), saved);
    EXPECT_EQ(warnings.size(), 1u);
    // Nothing but the file and its lock is left in its folder.
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

// A save never makes the file larger than the program reads: one that would
// is refused with one warning naming the file and the limit, and the file
// stays as it was, readable by every later run.
TEST_F(SettingsStoreTest, ASaveNeverPassesTheSizeThatIsRead) {
    fs::create_directories(fs::path(path).parent_path());
    constexpr size_t kLimit = size_t{1} << 20;
    const std::string nearly = "\\A=1\n# " + std::string(kLimit - 2600, '#') + "\n";
    ASSERT_TRUE(WriteWhole(path, nearly));
    SettingsStore store(path);
    std::vector<std::string> warnings;
    store.SetWarningSink([&](const char* text) { warnings.emplace_back(text); });
    ASSERT_TRUE(store.Load());
    store.WriteText("\\Long", std::string(3000, 'v').c_str());
    EXPECT_FALSE(store.Save());
    store.WriteText("\\Long", std::string(4000, 'v').c_str());
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(warnings,
              std::vector<std::string>{"WARNING: Can't save the program settings in " + path +
                                       ": the settings would pass 1048576 bytes, the most the program reads"});
    EXPECT_EQ(FileContent(), nearly);
    // What fits is saved.
    SettingsStore again(path);
    ASSERT_TRUE(again.Load());
    again.WriteText("\\Short", "s");
    EXPECT_TRUE(again.Save());
    EXPECT_LE(FileContent().size(), kLimit);
}

}  // namespace
