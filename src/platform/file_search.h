// FileSearch: lists the entries of one directory whose names match a
// wildcard pattern, as the converter's batch mode needs for file
// specifications such as "docs/*.txt".
//
// The pattern applies to the name part only: '*' matches any run of
// characters, '?' any one character, every other character itself, with
// ASCII letters compared ignoring case.  A hidden name (one beginning with
// ".", such as a run's temporary file or "." and "..") is matched only by a
// pattern that begins with "." itself: "*" never takes it, ".*" does.
// Each entry reports whether it is a directory and its size, taken from the
// file itself (links are followed).  The order of the entries is the
// directory's own; callers sort.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct FoundFile {
    std::string name;  // entry name without directory
    bool isDirectory = false;
    uint64_t size = 0;
};

// True when `name` matches `pattern` ('*' and '?', ASCII case ignored,
// hidden names only by a pattern beginning with ".").
bool MatchesFilePattern(const char* pattern, const char* name);

class FileSearch {
public:
    FileSearch();
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    // Starts listing `directory` (the current directory when empty) for
    // names matching `pattern`; false when the directory cannot be read.
    bool Begin(const std::string& directory, const std::string& pattern);
    // The next matching entry; false when there are no more.  Entries that
    // vanish or cannot be examined while listing are passed over.
    bool Next(FoundFile* out);
    // Ends the listing; done by the destructor as well.
    void Close();

private:
    struct DirectoryHandle;
    std::unique_ptr<DirectoryHandle> handle;
    std::string directoryPath;  // with a trailing '/' unless empty
    std::string loweredPattern;
};
