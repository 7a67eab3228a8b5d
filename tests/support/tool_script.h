// Running one of the check scripts of tools/ (Python) from a test: its exit
// status and everything it printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ScriptResult {
    int status = -1;  // the exit status, -1 when the script did not exit
    std::string output;  // standard output and standard error together
};

// Runs tools/`script` with `arguments` (each quoted for the shell), its
// output kept in a file under `scratch`.
ScriptResult RunToolScript(const std::string& script, const std::vector<std::string>& arguments,
                           const std::filesystem::path& scratch);
