// RunFiles: the files of the program's run that no write may replace.  The
// run registers its inputs and every file named on the command line before
// anything is written; every file opened for writing is checked against
// them (TextFile::OpenForWrite), so that no input is ever opened for
// writing, whatever writer asks.  The run also registers what it writes
// (documents, the log, the index page): a file read during the run that is
// one of them is refused when it is met.
//
// Files are compared as FileKey compares them (platform/output_files.h):
// by device and inode where both exist, else by resolved path.  Each set is
// kept hashed both ways, so that a run over many files looks each one up
// in constant time.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/output_files.h"

class MessageReporter;

class RunFiles {
public:
    // Where a refused read is reported; not owned, may be null.
    MessageReporter* reporter = nullptr;

    void Clear();
    // `path` is read by the run and must not be written.
    void AddInput(const std::string& path);
    // `path` is written by the run.
    void AddWriteTarget(const std::string& path);
    // The input (as registered) that `path` names, or null.
    const std::string* FindInput(const std::string& path) const;
    // The write target (as registered) that `path` names, or null.
    const std::string* FindWriteTarget(const std::string& path) const;
    // Whether `path` may be read: false, reported with an "ERROR: " message
    // naming it, when the run writes it.
    bool MayRead(const std::string& path) const;

private:
    // Files by identity ("device:inode", existing files only) and by
    // resolved path; each maps to the name registered.
    struct FileSet {
        std::unordered_map<std::string, std::string> byIdentity;
        std::unordered_map<std::string, std::string> byPath;

        void Add(const std::string& path);
        const std::string* Find(const std::string& path) const;
        bool Empty() const { return byPath.empty(); }
    };
    FileSet inputs_;
    FileSet targets_;
};

// The files of the program's run; empty outside a run.
RunFiles& TheRunFiles();
