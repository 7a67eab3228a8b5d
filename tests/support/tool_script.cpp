#include "support/tool_script.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_folder.h"

ScriptResult RunToolScript(const std::string& script, const std::vector<std::string>& arguments,
                           const std::filesystem::path& scratch) {
    const std::filesystem::path output = scratch / "check.out";
    std::string command = "'" VENDREL_PYTHON3 "' '" VENDREL_SOURCE_DIR "/tools/" + script + "'";
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    command += " > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWhole(output)};
}
