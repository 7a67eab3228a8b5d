// The real program's windows: the program loads its windows' module only
// when a window is wanted.  A batch run that asks for its status window, run
// from the build tree and from an installed tree (`cmake --install`), shows
// its lines in the window instead of on standard error, which it does only
// when the module was found and loaded, and without a word of the toolkit's.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const kCompleteLine = "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%";

// Runs `command` through the shell; its exit status, or -1.
int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramWindowsTest, ABatchRunShowsItsLinesInTheStatusWindowFromTheBuildAndTheInstalledTree) {
    TempFolder temp("program_windows");
    ASSERT_TRUE(temp.Made());
    const fs::path folder = temp.Path();
    ASSERT_TRUE(WriteWhole(folder / "a.txt", "Name    Age\nAnn     31\nBob     45\n"));
    fs::create_directories(folder / "cfg" / "Halvex" / "Vendrel");
    ASSERT_TRUE(WriteWhole(folder / "cfg" / "Halvex" / "Vendrel" / "settings",
                           "\\DragAndDrop\\ViewStatusWindow=Yes\n\\DragAndDrop\\ViewResults=No\n"));
    ASSERT_EQ(RunShell("'" VENDREL_CMAKE "' --install '" VENDREL_BUILD_DIR "' --prefix '" +
                       (folder / "installed").string() + "' > /dev/null"),
              0);
    const struct {
        const char* why;
        std::string program;
    } cases[] = {
        {"the build tree", VENDREL_BINARY},
        {"the installed tree", (folder / "installed" / "bin" / "vendrel").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        fs::remove(folder / "a.html");
        const fs::path err = folder.string() + ".err";
        const int status = RunShell("cd '" + folder.string() + "' && XDG_CONFIG_HOME='" + (folder / "cfg").string() +
                                    "' '" + c.program + "' a.txt 2> '" + err.string() + "'");
        const std::string lines = ReadWhole(err);
        fs::remove(err);
        EXPECT_EQ(status, 0) << lines;
        EXPECT_TRUE(fs::exists(folder / "a.html"));
        EXPECT_EQ(lines.find(kCompleteLine), std::string::npos) << lines;
        // The toolkit had nothing to complain of while the window came and went.
        EXPECT_EQ(lines.find("Gtk-"), std::string::npos) << lines;
    }
}

}  // namespace
