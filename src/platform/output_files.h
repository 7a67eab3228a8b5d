// Output files and file identity: how a run writes a file without ever
// leaving a truncated one in place of a good one, and how two names are
// found to be one file.
//
// A file is written on one of two roads.  The replacing road writes a new
// hidden temporary file in the folder of the target (".name.XXXXXX") and
// renames it onto the target only when it was written and closed without
// error; on any failure the temporary file is removed and the earlier
// target stays as it was.  The target is first resolved through symbolic
// links (the link stays, the file it points to is replaced), and the
// temporary file takes the mode of the file it replaces.  The in-place road
// opens the target itself and empties it: it is taken for a log (read while
// it grows), and for a target that is not a regular file (a device, a FIFO)
// or that has more than one hard link, which must never be replaced.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

// The identity of a file named by a path.  Two keys are equal when both
// files exist and have the same device and inode, or otherwise when the
// absolute paths, folders resolved through symbolic links, agree.
struct FileKey {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;  // absolute, folder resolved; set in every case

    bool operator==(const FileKey& other) const;
    // A text that is the same for equal keys of two files that both exist
    // ("device:inode") or both do not (the path): for hashing.
    std::string Text() const;
};

// The key of `path`; a relative path is taken from the current directory.
FileKey KeyOfFile(const std::string& path);
bool IsSameFile(const std::string& first, const std::string& second);

enum class OutputRoad { kReplace, kInPlace };

// A file opened for writing and what closing it has to do.
struct OutputStream {
    FILE* stream = nullptr;
    std::string target;  // the file written (links resolved on the replacing road)
    std::string temporary;  // the temporary file written in its place; empty in place
};

// Opens `path` for writing on `road` (a target that must not be replaced
// is written in place whatever the road).  An existing target the user
// cannot write is refused.  On failure the stream is null and *error holds
// the system's error number.
OutputStream OpenOutputStream(const std::string& path, OutputRoad road, int* error);

// Closes the stream.  With `keep` (everything was written) the temporary
// file is renamed onto the target; otherwise, or when the close or the
// rename fails, it is removed.  Returns 0, or the error number of the
// close or rename that failed.
int CloseOutputStream(OutputStream& output, bool keep);

// The system's text for an error number ("No space left on device").
std::string SystemErrorText(int error);

// A seam for tests: every file opened afterwards whose path ends in
// `pathEnding` fails each write (kWrite, "No space left on device") or its
// close (kClose, "Input/output error").  kNone clears it.
enum class WriteFault { kNone, kWrite, kClose };
void SetWriteFault(WriteFault fault, const std::string& pathEnding);
