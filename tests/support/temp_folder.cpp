#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

TempFolder::TempFolder(std::string_view prefix) {
    std::string pattern = testing::TempDir();
    pattern.append(prefix).append("_XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path = buffer.data();
}

TempFolder::~TempFolder() {
    if (path.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool WriteWhole(const std::filesystem::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return !out.fail();
}
