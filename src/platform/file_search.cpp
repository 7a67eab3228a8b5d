#include "platform/file_search.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "platform/ascii_text.h"

// Owns an open directory stream.
struct FileSearch::DirectoryHandle {
    DIR* dir;
    explicit DirectoryHandle(DIR* opened) : dir(opened) {}
    ~DirectoryHandle() { closedir(dir); }
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;
};

namespace {

// Turns a pattern that knows only '*' and '?' into an fnmatch pattern:
// brackets and backslashes are escaped so that they stand for themselves.
std::string ToFnmatchPattern(const char* pattern) {
    std::string out;
    for (; *pattern; ++pattern) {
        const char c = *pattern;
        if (c == '[' || c == ']' || c == '\\') out += '\\';
        out += LowerAsciiChar(c);
    }
    return out;
}

// Whether `name` matches a pattern made by ToFnmatchPattern.  A hidden name
// (one beginning with ".") is matched only by a pattern beginning with ".":
// "*" or "?x" never take it (FNM_PERIOD).
bool MatchesFnmatchPattern(const std::string& pattern, const char* name) {
    return fnmatch(pattern.c_str(), LowerAsciiText(name).c_str(), FNM_PERIOD) == 0;
}

}  // namespace

bool MatchesFilePattern(const char* pattern, const char* name) {
    if (!pattern || !name) return false;
    return MatchesFnmatchPattern(ToFnmatchPattern(pattern), name);
}

FileSearch::FileSearch() = default;
FileSearch::~FileSearch() { Close(); }

bool FileSearch::Begin(const std::string& directory, const std::string& pattern) {
    Close();
    directoryPath = directory;
    if (!directoryPath.empty() && directoryPath.back() != '/') directoryPath += '/';
    loweredPattern = ToFnmatchPattern(pattern.c_str());
    DIR* dir = opendir(directoryPath.empty() ? "." : directoryPath.c_str());
    if (!dir) return false;
    handle = std::make_unique<DirectoryHandle>(dir);
    return true;
}

bool FileSearch::Next(FoundFile* out) {
    if (!handle) return false;
    while (const dirent* entry = readdir(handle->dir)) {
        if (!MatchesFnmatchPattern(loweredPattern, entry->d_name)) continue;
        struct stat info {};
        const std::string path = directoryPath + entry->d_name;
        if (stat(path.c_str(), &info) != 0) continue;
        out->name = entry->d_name;
        out->isDirectory = S_ISDIR(info.st_mode);
        out->size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
        return true;
    }
    return false;
}

void FileSearch::Close() { handle.reset(); }
