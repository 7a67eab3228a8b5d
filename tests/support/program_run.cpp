#include "support/program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "support/temp_folder.h"

extern char** environ;

namespace {

// The run of a program that ended with `status` (a wait status), its
// streams taken from the capture files `out` and `err`, which go.
ProgramRun TakeRun(int status, const std::string& out, const std::string& err) {
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWhole(out);
    run.err = ReadWhole(err);
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    std::filesystem::remove(err, ignored);
    return run;
}

}  // namespace

ProgramRun RunVendrel(const std::filesystem::path& folder, const std::string& arguments, const std::string& prefix) {
    const std::string out = folder.string() + ".out";
    const std::string err = folder.string() + ".err";
    const std::string command = "cd '" + folder.string() +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
                                (folder / "cfg").string() + "' timeout 60 " + prefix + " '" VENDREL_BINARY "' " +
                                arguments + " < /dev/null > '" + out + "' 2> '" + err + "'";
    return TakeRun(std::system(command.c_str()), out, err);
}

ProgramRun RunVendrelWithMemoryLimit(const std::filesystem::path& folder, const std::vector<std::string>& words,
                                     unsigned long long addressSpaceBytes) {
    const std::string out = folder.string() + ".out";
    const std::string err = folder.string() + ".err";
    // The environment of RunVendrel: no desktop, the settings in the folder.
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (folder / "cfg").string()};
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "XDG_CONFIG_HOME")
            environment.push_back(variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments{VENDREL_BINARY};
    arguments.insert(arguments.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : arguments) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only calls that are safe after a fork: everything was made before.
        const rlimit limit{addressSpaceBytes, addressSpaceBytes};
        const int in = ::open("/dev/null", O_RDONLY);
        const int outFile = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFile = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || outFile < 0 || errFile < 0 || ::dup2(in, 0) < 0 || ::dup2(outFile, 1) < 0 ||
            ::dup2(errFile, 2) < 0 || ::chdir(folder.c_str()) != 0 ||
            (addressSpaceBytes > 0 && ::setrlimit(RLIMIT_AS, &limit) != 0))
            ::_exit(127);
        ::alarm(120);  // a time limit, as RunVendrel's
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (child < 0) return ProgramRun();
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    ProgramRun run = TakeRun(status, out, err);
    run.peakBytes = static_cast<long long>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
    return run;
}

bool AsUserWhoMayNotDoEverything(std::string* prefix) {
    prefix->clear();
    if (::geteuid() != 0) return true;
    if (std::system("setpriv --version > /dev/null 2>&1") != 0) return false;
    *prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    return true;
}
