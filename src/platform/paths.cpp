#include "platform/paths.h"

#include <filesystem>
#include <system_error>

std::string CanonicalPath(const char* name) {
    if (!name || !*name) return std::string();
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(std::filesystem::path(name), error);
    return error ? std::string() : path.string();
}

std::string RelativePath(const std::string& folder, const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::absolute(fs::path(folder.empty() ? "." : folder), error);
    fs::path to = fs::absolute(fs::path(target), error).lexically_normal();
    fs::path link = to.lexically_relative(base.lexically_normal());
    if (link.empty()) link = to;
    return link.generic_string();
}

bool SameFile(const char* first, const char* second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}
