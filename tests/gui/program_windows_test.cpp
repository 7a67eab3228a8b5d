// The real program's windows: the program loads its windows' module only
// when a window is wanted.  A batch run that asks for its status window, run
// from the build tree and from an installed tree (`cmake --install`), shows
// its lines in the window instead of on standard error, which it does only
// when the module was found and loaded, and without a word of the toolkit's.
// The main window, started and closed under a window manager as a user
// does, leaves no word of the toolkit's either.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

#ifdef VENDREL_WINDOW_MANAGER
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

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

#ifdef VENDREL_WINDOW_MANAGER

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kWaitLimit{20};
constexpr std::chrono::milliseconds kPollStep{20};

// Starts `argv` with `environment` added, standard output and error into
// `output`; its process id, or -1.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const fs::path& output) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Waits for the process to end: its exit status, or -1 when it had not
// ended after kWaitLimit (it is then killed).
int WaitForExit(pid_t pid) {
    const Clock::time_point until = Clock::now() + kWaitLimit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The display's root window properties, as the window manager keeps them.
class Desktop {
public:
    Desktop() : display_(XOpenDisplay(nullptr)) {}
    ~Desktop() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool Open() const { return display_ != nullptr; }

    // The windows a property of `window` lists (a window list, or one
    // window); empty when it has none.
    std::vector<Window> Windows(Window window, const char* property) const {
        return Values<Window>(window, property, XA_WINDOW);
    }
    bool ManagedByWindowManager() const {
        return !Windows(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK").empty();
    }
    // The window manager's window of the program `pid` whose frame it has
    // drawn, or 0.
    Window FramedWindowOf(pid_t pid) const {
        for (const Window window : Windows(DefaultRootWindow(display_), "_NET_CLIENT_LIST")) {
            const std::vector<long> owner = Values<long>(window, "_NET_WM_PID", XA_CARDINAL);
            const bool framed = !Values<long>(window, "_NET_FRAME_EXTENTS", XA_CARDINAL).empty();
            if (!owner.empty() && owner.front() == pid && framed) return window;
        }
        return 0;
    }
    // Asks the window manager to close `window`, as its close box does.
    void Close(Window window) const {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2;  // a pager or another direct request
        XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
        XFlush(display_);
    }

private:
    template <class Value>
    std::vector<Value> Values(Window window, const char* property, Atom type) const {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<Value> values;
        const int status = XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 1024,
                                              False, type, &actualType, &format, &count, &after, &data);
        if (status == Success && data != nullptr && format == 32) {
            // Xlib hands 32-bit properties over as longs.
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i) values.push_back(static_cast<Value>(longs[i]));
        }
        if (data != nullptr) XFree(data);
        return values;
    }

    Display* display_;
};

// Polls `done` until it holds or kWaitLimit has passed.
template <class Done>
bool Eventually(Done done) {
    const Clock::time_point until = Clock::now() + kWaitLimit;
    while (!done()) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

TEST(ProgramWindowsTest, TheMainWindowOpensAndClosesUnderAWindowManagerWithoutAWordOfTheToolkits) {
    TempFolder temp("program_main_window");
    ASSERT_TRUE(temp.Made());
    Desktop desktop;
    ASSERT_TRUE(desktop.Open());
    const pid_t manager = Start({VENDREL_WINDOW_MANAGER}, {"HOME=" + temp.Path().string()}, temp / "manager.out");
    ASSERT_GT(manager, 0);
    ASSERT_TRUE(Eventually([&] { return desktop.ManagedByWindowManager(); })) << ReadWhole(temp / "manager.out");

    // The window opens in its language at once: English, and German with
    // its longer labels and menu.
    for (const char* language : {"English", "German"}) {
        SCOPED_TRACE(language);
        const fs::path config = temp / language;
        fs::create_directories(config / "Halvex" / "Vendrel");
        ASSERT_TRUE(WriteWhole(config / "Halvex" / "Vendrel" / "settings",
                               std::string("\\Languages\\Language=") + language + "\n"));
        const fs::path output = temp / (std::string(language) + ".out");
        const pid_t program =
            Start({VENDREL_BINARY}, {"XDG_CONFIG_HOME=" + config.string(), "GDK_GL=disable"}, output);
        ASSERT_GT(program, 0);
        Window window = 0;
        const bool framed = Eventually([&] { return (window = desktop.FramedWindowOf(program)) != 0; });
        if (framed) desktop.Close(window);
        EXPECT_TRUE(framed) << "no main window framed by the window manager";
        EXPECT_EQ(WaitForExit(program), 0);
        const std::string said = ReadWhole(output);
        EXPECT_EQ(said.find("Gtk-"), std::string::npos) << said;
    }
    kill(manager, SIGTERM);
    waitpid(manager, nullptr, 0);
}

#endif

}  // namespace
