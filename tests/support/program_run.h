// Running the real vendrel program for a test: in a folder of the test's
// own, with a settings folder of its own inside it and no desktop, its
// standard output and standard error captured.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    // The most memory the program held at once (its peak resident set), in
    // bytes; -1 where it was not measured (RunVendrel).
    long long peakBytes = -1;

    bool ErrHas(const std::string& text) const { return err.find(text) != std::string::npos; }
};

// Runs `vendrel arguments` (words as a shell reads them) in `folder` with
// standard input from /dev/null, under a time limit of a minute, after the
// command words `prefix` (another user's, say).  The captured streams are
// kept beside the folder, so that a folder the program may not write to can
// be tested too.
ProgramRun RunVendrel(const std::filesystem::path& folder, const std::string& arguments,
                      const std::string& prefix = "");

// Runs `vendrel words...` in `folder` as RunVendrel does, with its address
// space limited to `addressSpaceBytes` (RLIMIT_AS, set in the child before
// the program starts; 0: no limit), and measures its peak memory (wait4).
ProgramRun RunVendrelWithMemoryLimit(const std::filesystem::path& folder, const std::vector<std::string>& words,
                                     unsigned long long addressSpaceBytes);

// The command words that run a program as the user "nobody" when the tests
// run as root (who may read and write everything), else none; false when
// the tests run as root and that is not possible.
bool AsUserWhoMayNotDoEverything(std::string* prefix);
