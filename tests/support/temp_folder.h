// Files for tests: a temporary folder that removes itself, with everything it
// holds, when it goes out of scope (through std::filesystem, never a shell),
// and whole-file reading and writing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TempFolder {
public:
    // Makes a new, empty folder named from `prefix` under the test run's
    // temporary folder.  Made() is false when it could not be made.
    explicit TempFolder(std::string_view prefix = "vendrel");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Made() const { return !path.empty(); }
    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path / name; }

private:
    std::filesystem::path path;
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadWhole(const std::filesystem::path& path);

// Writes `content` as the whole file, bytes unchanged; false on failure.
bool WriteWhole(const std::filesystem::path& path, std::string_view content);
