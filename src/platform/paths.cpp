#include "platform/paths.h"

#include <filesystem>
#include <system_error>

std::string CanonicalPath(const char* name) {
    if (!name || !*name) return std::string();
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(std::filesystem::path(name), error);
    return error ? std::string() : path.string();
}

bool SameFile(const char* first, const char* second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}
