// The real program where a run meets a fault or a request it must not carry
// out as asked: a file that runs out of memory is abandoned and the run goes
// on; no file the run reads is replaced by what it writes; a viewer holds
// no pipe of the program; the settings file never grows past what is read;
// names with a folder part are taken from the current folder; control
// characters never reach a page or the terminal; a device named as the
// output is written; what the command line or the text asks twice or
// leaves open is reported.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/program_run.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* const kTable = "Name    Value\nAlpha   one\nBeta    two\nGamma   three\n";

class FaultsTest : public testing::Test {
protected:
    TempFolder temp{"vendrel_faults"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void Write(const std::string& name, const std::string& content) const {
        ASSERT_TRUE(WriteWhole(folder / name, content));
    }
    ProgramRun Run(const std::string& arguments) const { return RunVendrel(folder, arguments); }
    std::string At(const char* name) const { return "\"" + (folder / name).string() + "\""; }
    fs::path SettingsFile() const { return folder / "cfg" / "Halvex" / "Vendrel" / "settings"; }
    void WriteSettings(const std::string& content) const {
        fs::create_directories(SettingsFile().parent_path());
        ASSERT_TRUE(WriteWhole(SettingsFile(), content));
    }
    // The regular files of the folder (the settings folder left out), by
    // name, with their content.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadWhole(entry.path());
        return files;
    }
    bool AnyHiddenFile() const {
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string()[0] == '.') return true;
        return false;
    }
};

// A conversion that runs out of memory (its input holds a line larger than
// all the memory the program may have) is reported and abandoned: its
// earlier output stays, nothing of it is left behind, and it stays out of
// the index page; the next file converts exactly as it does alone.
TEST_F(FaultsTest, AFileThatRunsOutOfMemoryIsAbandonedAndTheRunGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit a conversion could fail under";
#endif
    constexpr unsigned long long kLimit = 48ull << 20;
    std::string big = "Name   Value\n";
    big.reserve(size_t{64} << 20);
    while (big.size() < (size_t{64} << 20)) big += "word ";
    big += "\n";
    Write("t.txt", big);
    big = std::string();
    Write("t.html", "old\n");
    Write("z.txt", kTable);

    const ProgramRun alone = RunVendrelWithMemoryLimit(folder, {"z.txt", "/INDEX"}, kLimit);
    ASSERT_EQ(alone.status, 0) << alone.err;
    const std::string zAlone = ReadWhole(folder / "z.html");
    ASSERT_NE(zAlone.find("Gamma"), std::string::npos);
    fs::remove(folder / "z.html");
    fs::remove(folder / "dirindex.html");

    const ProgramRun run = RunVendrelWithMemoryLimit(folder, {"t.txt", "z.txt", "/INDEX"}, kLimit);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("ERROR: Conversion of " + At("t.txt") +
                           " failed: not enough memory (the earlier output is kept)\n"))
        << run.err;
    EXPECT_EQ(ReadWhole(folder / "t.html"), "old\n");
    EXPECT_EQ(ReadWhole(folder / "z.html"), zAlone);
    const std::string index = ReadWhole(folder / "dirindex.html");
    EXPECT_NE(index.find("z.html"), std::string::npos) << index;
    EXPECT_EQ(index.find("t.html"), std::string::npos) << index;
    EXPECT_FALSE(AnyHiddenFile());
}

// Whatever the run reads (an include file, a header file, a file another
// file of the run includes) keeps its content: a clash known before the
// output is opened refuses the output as over a named input, one found
// while reading keeps the document from its target; either fails the run.
TEST_F(FaultsTest, NoFileTheRunReadsIsReplaced) {
    struct Case {
        const char* arguments;
        std::vector<std::pair<const char*, std::string>> files;
        std::string message;
        const char* converted;  // a document the run still writes, or null
    };
    const std::string including = std::string("$_$_INCLUDE b.html\n") + kTable;
    const Case cases[] = {
        {"a.txt",
         {{"a.txt", std::string("$_$_INCLUDE a.html\n") + kTable}, {"a.html", "B  2\nC  3\n"}},
         "ERROR: Can't write file " + At("a.html") + ": the run reads this file, so it is kept as it was",
         nullptr},
        {"h.txt p.pol",
         {{"h.txt", kTable}, {"h.html", "<p>my header</p>\n"}, {"p.pol", "HTML header file : h.html\n"}},
         "ERROR: Output file would overwrite the input file " + At("h.html") + ": " + At("h.txt") + " not converted",
         nullptr},
        {"a.txt b.txt",
         {{"a.txt", including}, {"b.txt", kTable}, {"b.html", "<p>mine</p>\n"}},
         "ERROR: Can't open file " + At("b.html") + ": the run reads this file",
         "a.html"},
        {"a.txt p.pol /LOG=h.html",
         {{"a.txt", kTable}, {"h.html", "<p>my header</p>\n"}, {"p.pol", "HTML header file : h.html\n"}},
         "ERROR: Log file " + At("h.html") + " would overwrite the input file " + At("h.html") + ": not written",
         "a.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        for (const auto& [name, content] : Files()) fs::remove(folder / name);
        for (const auto& [name, content] : c.files) Write(name, content);
        const auto before = Files();
        const ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(run.ErrHas(c.message)) << run.err;
        for (const auto& [name, content] : before) EXPECT_EQ(ReadWhole(folder / name), content) << name;
        if (c.converted) {
            EXPECT_NE(ReadWhole(folder / c.converted).find("<TD>"), std::string::npos);
        }
        EXPECT_FALSE(AnyHiddenFile());
    }
}

// A viewer that runs on holds no pipe of the program: a script that reads
// the program's output through a pipe goes on as soon as the program ends.
TEST_F(FaultsTest, AScriptNeverWaitsForTheViewer) {
    const fs::path record = folder / "viewer.pid";
    const fs::path viewer = folder / "viewer.sh";
    ASSERT_TRUE(WriteWhole(viewer, "#!/bin/sh\necho $$ > '" + record.string() + ".part' && mv '" + record.string() +
                                       ".part' '" + record.string() + "'\nexec sleep 300\n"));
    fs::permissions(viewer, fs::perms::owner_all);
    WriteSettings("\\BrowserCommand=" + viewer.string() + "\n");
    Write("a.txt", kTable);
    std::string command = "cd '" + folder.string() + "' && env -u WAYLAND_DISPLAY DISPLAY=:99 XDG_CONFIG_HOME='" +
                          (folder / "cfg").string() + "' '" VENDREL_BINARY "' a.txt < /dev/null 2>&1 | cat > '" +
                          (folder / "piped.txt").string() + "'";
    std::string shell = "sh", option = "-c";
    char* words[] = {shell.data(), option.data(), command.data(), nullptr};
    pid_t pipeline = -1;
    ASSERT_EQ(::posix_spawn(&pipeline, "/bin/sh", nullptr, nullptr, words, environ), 0);
    // Generous: a run of a small table takes a fraction of a second, the
    // viewer five minutes.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    pid_t waited = 0;
    while ((waited = ::waitpid(pipeline, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (waited == 0) {
        ::kill(pipeline, SIGKILL);
        ::waitpid(pipeline, &status, 0);
    }
    for (int i = 0; i < 500 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const pid_t viewerPid = static_cast<pid_t>(std::atol(ReadWhole(record).c_str()));
    const bool viewerRuns = viewerPid > 0 && ::kill(viewerPid, 0) == 0;
    if (viewerPid > 0) ::kill(viewerPid, SIGKILL);
    EXPECT_EQ(waited, pipeline) << "the pipe did not end while the viewer ran";
    EXPECT_TRUE(viewerRuns) << "the viewer was not started";
    EXPECT_NE(ReadWhole(folder / "piped.txt").find("Conversion complete"), std::string::npos);
}

// A save that would make the settings file larger than the program reads is
// refused with one warning: the file stays, and the next run reads it.
TEST_F(FaultsTest, TheSettingsFileNeverGrowsPastWhatIsRead) {
    Write("a.txt", kTable);
    Write("b.pol", "Document Title: From the settings\n");
    const std::string nearly = "\\DefaultPolicy\\File=" + (folder / "b.pol").string() + "\n# " +
                               std::string((size_t{1} << 20) - 1000, '#') + "\n";
    WriteSettings(nearly);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const ProgramRun result = Run("a.txt");
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.ErrHas("WARNING: Can't save the program settings in " + SettingsFile().string() +
                                  ": the settings would pass 1048576 bytes, the most the program reads\n"))
            << result.err;
        EXPECT_EQ(ReadWhole(SettingsFile()), nearly);
        EXPECT_NE(ReadWhole(folder / "a.html").find("<TITLE>From the settings</TITLE>"), std::string::npos);
    }
}

// "/INDEX=" and "/LOG=" names with a folder part are taken from the current
// folder; bare names stay beside the output.
TEST_F(FaultsTest, IndexAndLogNamesWithAFolderAreTakenFromTheCurrentFolder) {
    fs::create_directories(folder / "in");
    fs::create_directories(folder / "sub");
    fs::create_directories(folder / "in" / "sub");
    Write("in/t.txt", kTable);
    const ProgramRun withFolder = Run("in/t.txt /INDEX=sub/idx.html /LOG=sub/run.log");
    EXPECT_EQ(withFolder.status, 0) << withFolder.err;
    EXPECT_NE(ReadWhole(folder / "sub" / "idx.html").find("t.html"), std::string::npos);
    EXPECT_NE(ReadWhole(folder / "sub" / "run.log").find("Processing"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(folder / "in" / "sub"));

    const ProgramRun bare = Run("in/t.txt /INDEX=idx.html /LOG=run.log");
    EXPECT_EQ(bare.status, 0) << bare.err;
    EXPECT_TRUE(fs::exists(folder / "in" / "idx.html"));
    EXPECT_TRUE(fs::exists(folder / "in" / "run.log"));
    EXPECT_FALSE(fs::exists(folder / "idx.html"));
}

// Control characters of the text become the replacement character in the
// page (U+FFFD in a page declared UTF-8, "&#65533;" in any other), but for
// a form feed that begins a line (a page break); a file name's control
// characters reach the terminal escaped.
TEST_F(FaultsTest, ControlCharactersReachNeitherThePageNorTheTerminal) {
    const std::string controls =
        "Bell\a and escape \x1B"
        "A, form\x0C"
        "feed, delete\x7F.\n";
    struct Case {
        const char* name;
        std::string text;
        const char* replacement;
    };
    const Case cases[] = {
        {"eight.txt", "Some ordinary text here.\n" + controls + "\x0C\nMore text \xE9.\n", "&#65533;"},
        {"utf8.txt", "Some ordinary text here.\n" + controls + "\x0C\nMore text \xC3\xA9.\n", "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.name, c.text);
        const ProgramRun run = Run(c.name);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string page = ReadWhole(folder / (fs::path(c.name).stem().string() + ".html"));
        for (size_t i = 0; i < page.size(); ++i) {
            const auto byte = static_cast<unsigned char>(page[i]);
            const bool pageBreak = byte == '\f' && (i == 0 || page[i - 1] == '\n');
            EXPECT_TRUE(byte >= 0x20 || byte == '\n' || byte == '\t' || byte == '\r' || pageBreak) << int(byte);
        }
        EXPECT_EQ(page.find('\x7F'), std::string::npos);
        EXPECT_NE(page.find(std::string("Bell") + c.replacement), std::string::npos) << page;
        EXPECT_NE(page.find(std::string("form") + c.replacement + "feed"), std::string::npos) << page;
    }
    const std::string named = "red\x1B[31m.txt";
    Write(named, kTable);
    const ProgramRun run = Run("'" + named + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find('\x1B'), std::string::npos);
    EXPECT_TRUE(run.ErrHas("Processing : \"red\\x1B[31m.txt\"")) << run.err;
}

// A character device named as the output takes the document as it is
// named: nothing else is made beside it.
TEST_F(FaultsTest, ADeviceNamedAsTheOutputIsWritten) {
    Write("a.txt", kTable);
    Write("b.txt", kTable);
    const bool stray = fs::exists("/dev/null.html");
    const ProgramRun run = Run("a.txt b.txt /OUTPUT=/dev/null");
    EXPECT_EQ(run.status, 0) << run.err;
    size_t written = 0;
    for (size_t at = run.err.find("Generating HTML file /dev/null\n"); at != std::string::npos;
         at = run.err.find("Generating HTML file /dev/null\n", at + 1))
        ++written;
    EXPECT_EQ(written, 2u) << run.err;
    if (!stray) {
        EXPECT_FALSE(fs::exists("/dev/null.html"));
    }
    EXPECT_FALSE(fs::exists(folder / "a.html"));
}

// What the text leaves out and what the command line asks twice is said:
// a BEGIN_ASCII block's lines once, an ignored block never closed by its
// line, the layout and the policy file used.
TEST_F(FaultsTest, DroppedLinesAndChoicesMadeTwiceAreReported) {
    Write("a.txt", std::string("Ordinary text comes first.\n$_$_BEGIN_ASCII\nkept?\n$_$_END_ASCII\n") + kTable +
                       "$_$_BEGIN_IGNORE\nthe rest\n");
    Write("one.pol", "Document Title: One\n");
    Write("two.pol", "Document Title: Two\n");
    const ProgramRun run = Run("a.txt one.pol two.pol /TABBED /COMMA");
    EXPECT_EQ(run.status, 0) << run.err;
    const char* const expected[] = {
        "WARNING: Policy file \"two.pol\" is used; \"one.pol\", named before it, is not\n",
        "WARNING: Layout qualifiers /TABBED /COMMA given together: the input is read as a comma-delimited table "
        "(/COMMA)\n",
    };
    for (const char* line : expected) EXPECT_TRUE(run.ErrHas(line)) << line << run.err;
    const std::string at = (folder / "a.txt").string();
    const ProgramRun text = Run("a.txt");
    EXPECT_TRUE(text.ErrHas("INFO: BEGIN_ASCII block dropped: lines 2 to 4 of \"" + at + "\"\n")) << text.err;
    EXPECT_TRUE(text.ErrHas("WARNING: BEGIN_IGNORE on line 9 of \"" + at +
                            "\" is never closed: every line after it is dropped\n"))
        << text.err;
    EXPECT_EQ(ReadWhole(folder / "a.html").find("kept?"), std::string::npos);
    EXPECT_EQ(ReadWhole(folder / "a.html").find("the rest"), std::string::npos);
}

}  // namespace
