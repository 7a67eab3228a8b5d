#include "support/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "support/temp_folder.h"

ProgramRun RunVendrel(const std::filesystem::path& folder, const std::string& arguments, const std::string& prefix) {
    const std::string out = folder.string() + ".out";
    const std::string err = folder.string() + ".err";
    const std::string command = "cd '" + folder.string() +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
                                (folder / "cfg").string() + "' timeout 60 " + prefix + " '" VENDREL_BINARY "' " +
                                arguments + " < /dev/null > '" + out + "' 2> '" + err + "'";
    const int status = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWhole(out);
    run.err = ReadWhole(err);
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    std::filesystem::remove(err, ignored);
    return run;
}

bool AsUserWhoMayNotDoEverything(std::string* prefix) {
    prefix->clear();
    if (::geteuid() != 0) return true;
    if (std::system("setpriv --version > /dev/null 2>&1") != 0) return false;
    *prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    return true;
}
