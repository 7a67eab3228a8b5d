// RunFiles: the files of the program's run that no write may replace.  The
// run registers its inputs, every file named on the command line and the
// files its policies name for reading (header, footer, fragments, styles,
// the link dictionary) before anything is written, and every file read
// while the run goes on is added as it is opened (TextFile::OpenForRead):
// include files, policy files and the rest.  Every file opened for writing
// is checked against them (TextFile::OpenForWrite), and again before its
// content replaces the target (a file read only after its replacement was
// opened, such as an include file that names the document being written),
// so that no file the run reads is ever replaced, whatever writer asks.
// The run also registers what it writes (documents, the log, the index
// page) and what it has written: a file already written by the run is not
// read again (it no longer holds what the user wrote).
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

    // Forgets every file; a run that has not begun notes no file read.
    void Clear();
    // The run has begun: files read are noted from now on (NoteRead).
    void Begin() { active_ = true; }
    // `path` is read by the run and must not be written.
    void AddInput(const std::string& path);
    // `path` was opened for reading: AddInput while a run goes on.
    void NoteRead(const std::string& path);
    // The content of a file opened for writing replaced `path`.
    void NoteWritten(const std::string& path);
    // `path` is written by the run.
    void AddWriteTarget(const std::string& path);
    // The input (as registered) that `path` names, or null.
    const std::string* FindInput(const std::string& path) const;
    // The write target (as registered) that `path` names, or null.
    const std::string* FindWriteTarget(const std::string& path) const;
    // Whether `path` may be read: false, reported with an "ERROR: " message
    // naming it, when the run has written it already.  A file the run is
    // still to write may be read; it is then an input, and the write is
    // refused.
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
    FileSet written_;
    bool active_ = false;
};

// The files of the program's run; empty outside a run.
RunFiles& TheRunFiles();
