// What the benchmarks that convert files share: a temporary folder for the
// generated inputs and their outputs, and the line count of an input.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench_files {

// A fresh folder under the temporary folder, removed with everything in it
// when the benchmark ends.
class BenchFolder {
public:
    explicit BenchFolder(const std::string& prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
    }
    ~BenchFolder() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& Path() const { return folder; }

private:
    std::filesystem::path folder;
};

// The lines of a file, read in blocks.
inline size_t CountLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    size_t lines = 0;
    static char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        lines += static_cast<size_t>(std::count(block, block + in.gcount(), '\n'));
    return lines;
}

}  // namespace bench_files
