#include "platform/process_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class ProcessLaunchTest : public testing::Test {
protected:
    TempFolder temp{"process_launch"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    fs::path Script(const std::string& name, const std::string& body) {
        fs::path script = folder / name;
        std::ofstream(script) << "#!/bin/sh\n" << body;
        chmod(script.c_str(), 0755);
        return script;
    }
};

TEST_F(ProcessLaunchTest, TheArgumentArrivesAsOneWordWithoutAShell) {
    const fs::path record = folder / "argv.txt";
    const fs::path script =
        Script("record", "{ echo \"$#\"; for a; do echo \"[$a]\"; done; } > '" + record.string() + "'\n");
    const std::string argument = "/tmp/a b/\"q\" 'x' $HOME;|*.html";
    pid_t pid = 0;
    ASSERT_EQ(StartProgram(script.string(), argument, &pid), 0);
    EXPECT_GT(pid, 0);
    WaitForStartedPrograms();
    EXPECT_EQ(ReadWhole(record), "1\n[" + argument + "]\n");
    // Reaped: no zombie is left to wait for.
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// A viewer holds none of the program's streams (a pipe the program writes
// to ends with the program) and runs in a session of its own.
TEST_F(ProcessLaunchTest, AProgramStartsOnDevNullInASessionOfItsOwn) {
    const fs::path record = folder / "streams.txt";
    const fs::path script = Script("streams",
                                   "for fd in 0 1 2; do set -- \"$@\" \"$(readlink /proc/$$/fd/$fd)\"; done\n"
                                   "shift; printf '%s\\n' \"$@\" $$ \"$(cut -d' ' -f6 /proc/$$/stat)\" > '" +
                                       record.string() + "'\n");
    pid_t pid = 0;
    ASSERT_EQ(StartProgram(script.string(), "x", &pid), 0);
    WaitForStartedPrograms();
    const std::string pidText = std::to_string(pid);
    EXPECT_EQ(ReadWhole(record), "/dev/null\n/dev/null\n/dev/null\n" + pidText + "\n" + pidText + "\n");
}

TEST_F(ProcessLaunchTest, AMissingProgramGivesTheSystemErrorNumber) {
    EXPECT_EQ(StartProgram((folder / "no such program").string(), "x"), ENOENT);
    EXPECT_EQ(StartProgram("", "x"), ENOENT);
}

TEST_F(ProcessLaunchTest, FinishedProgramsAreReapedAtTheNextStart) {
    pid_t first = 0;
    ASSERT_EQ(StartProgram("true", "x", &first), 0);
    // Give it time to end, then a further start reaps it.
    for (int i = 0; i < 200; ++i) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(first), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == first)
            break;
        usleep(10000);
    }
    ASSERT_EQ(StartProgram("true", "y"), 0);
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), -1);
    WaitForStartedPrograms();
}

TEST_F(ProcessLaunchTest, ProgramsAreFoundOnlyWhenExecutableOnPath) {
    Script("xdg-open", "exit 0\n");
    std::ofstream(folder / "not-executable") << "x";
    const char* saved = std::getenv("PATH");
    std::string restore = saved != nullptr ? saved : "";
    setenv("PATH", ("/nonexistent:" + folder.string()).c_str(), 1);
    std::string found;
    EXPECT_TRUE(FindProgramOnPath("xdg-open", &found));
    EXPECT_EQ(found, (folder / "xdg-open").string());
    EXPECT_FALSE(FindProgramOnPath("not-executable", &found));
    EXPECT_FALSE(FindProgramOnPath("xdg-email", &found));
    EXPECT_TRUE(FindProgramOnPath((folder / "xdg-open").c_str(), &found));
    setenv("PATH", restore.c_str(), 1);
}

TEST(SplitCommandWordsTest, BlanksSeparateQuotesGroupBackslashesEscape) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* command;
        Words words;
    };
    const Case cases[] = {
        {"firefox", {"firefox"}},
        {"  firefox \t --private-window  ", {"firefox", "--private-window"}},
        {"\"/opt/My Browser/run\" --new", {"/opt/My Browser/run", "--new"}},
        {"'/opt/it''s here' x", {"/opt/its here", "x"}},
        {"/opt/My\\ Browser/run", {"/opt/My Browser/run"}},
        {"a\"b c\"d 'e\\f' \"g\\\"h\"", {"ab cd", "e\\f", "g\"h"}},
        {"run \"\" ''", {"run", "", ""}},
        {"$HOME ~/x *.html %1", {"$HOME", "~/x", "*.html", "%1"}},
        {"open \"unclosed rest", {"open", "unclosed rest"}},
        {"trailing\\", {"trailing\\"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommandWords(c.command), c.words) << c.command;
}

TEST_F(ProcessLaunchTest, ACommandIsAProgramNamedWholeOrSplitIntoWords) {
    const fs::path record = folder / "argv.txt";
    const std::string body = "{ echo \"$#\"; for a; do echo \"[$a]\"; done; } > '" + record.string() + "'\n";
    const fs::path plain = Script("run", body);
    fs::create_directory(folder / "my viewer");
    const fs::path blank = Script("my viewer/run", body);
    struct Case {
        std::string command;
        std::string received;
    };
    const Case cases[] = {
        {blank.string(), "1\n[file]\n"},
        {plain.string() + " -a 'b c'", "3\n[-a]\n[b c]\n[file]\n"},
        {"\"" + blank.string() + "\" -x", "2\n[-x]\n[file]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fs::remove(record);
        ASSERT_EQ(StartCommand(c.command, "file"), 0);
        WaitForStartedPrograms();
        EXPECT_EQ(ReadWhole(record), c.received);
    }
    // Split at its blank, the path names no program.
    EXPECT_EQ(StartCommand((folder / "my viewer").string() + "/missing", "file"), ENOENT);
    EXPECT_EQ(StartCommand("  ", "file"), ENOENT);
}

}  // namespace
