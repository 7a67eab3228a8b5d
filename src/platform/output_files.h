// Output files and file identity: how a run writes a file without ever
// leaving a truncated one in place of a good one, and how two names are
// found to be one file.
//
// Every output is first written whole to a new hidden temporary file in
// the folder of its target (".name.XXXXXX", the name shortened where that
// would pass the folder's longest name), and only when it was written and
// closed without error does the content reach the target:
//  - by renaming the temporary onto the target, the usual road; the target
//    is first resolved through symbolic links (the link stays, the file it
//    points to is replaced) and the temporary takes its mode;
//  - by copying the temporary into the target, for a target with more than
//    one hard link (a rename would part it from its other names).  The old
//    content is overwritten only when the new content is sure to fit: the
//    room for it is reserved first (fallocate), and where the file system
//    cannot reserve room, its free space must hold the whole new content,
//    else the copy is refused and the target stays as it was.  A copy that
//    fails midway (or a kill during it) leaves the target cut; the
//    temporary, the only whole copy of the new content then, is kept and
//    named (OutputStream::keptTemporary), and no signal removes it.
// On any other failure the temporary is removed and the target stays as it
// was.
// Where no temporary can be made (no free inode, no space, no permission)
// nothing is written and the target stays as it was.
//
// A character device (/dev/null, /dev/full, a terminal) is written in place.
// A folder, FIFO, socket or block device is refused before anything is
// opened, and nothing opened here ever waits for another process.
//
// A termination signal (SIGTERM, SIGINT, SIGHUP) removes the temporaries
// being written before the process ends (RemoveTemporariesOnTermination).
// A SIGKILL cannot be caught: its temporary stays.  Nobody else removes it
// either, since another run may be writing the same output at the same
// time and a run cannot tell whether another's temporary is still used.
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

// A file opened for writing and what closing it has to do.
struct OutputStream {
    FILE* stream = nullptr;
    std::string target;  // the file that takes the content (links resolved)
    std::string temporary;  // the temporary file written first; empty for a device
    bool copyInto = false;  // the target has other hard links: copied into, not renamed onto
    int signalSlot = -1;  // where the temporary's name waits for a termination signal
    // Set by a close whose copy into the target failed midway: the
    // temporary, kept, holding the whole new content.
    std::string keptTemporary;
};

// Opens `path` for writing (see above).  An existing target the user cannot
// write is refused.  On failure the stream is null and *error holds the
// system's error number: EISDIR for a folder, ENXIO (what the system answers
// when one is opened without waiting) for a FIFO, socket or block device.
OutputStream OpenOutputStream(const std::string& path, int* error);

// Closes the stream.  With `keep` (everything was written) the content
// reaches the target; otherwise, or when the close, the rename or the copy
// fails before the target changed, the target stays as it was.  The
// temporary file is gone in every case but one: a copy into the target that
// failed midway keeps it (see above).  Returns 0, or the error number of
// what failed (ENOSPC when the free space cannot hold a copy).
int CloseOutputStream(OutputStream& output, bool keep);

// Makes SIGTERM, SIGINT and SIGHUP remove the temporary files being written
// and then end the process as the signal would have (its usual exit status).
// A signal the process was started ignoring (nohup, a background job) stays
// ignored.  Called once at start-up.
void RemoveTemporariesOnTermination();

// The system's text for an error number ("No space left on device").
std::string SystemErrorText(int error);

// A seam for tests: every file opened afterwards whose path ends in
// `pathEnding` fails each write (kWrite, "No space left on device"), its
// close (kClose, "Input/output error"), the making of its temporary file
// (kCreate, "No space left on device", as with no free inode) or, for a
// target copied into, the copy after half of its first piece (kCopy, "No
// space left on device").  kNone clears it.
enum class WriteFault { kNone, kWrite, kClose, kCreate, kCopy };
void SetWriteFault(WriteFault fault, const std::string& pathEnding);

// The calls by which a copy into a target makes sure of its room: reserving
// `bytes` in the open file without changing its size (0, or -1 with errno
// set; EOPNOTSUPP where the file system cannot reserve), and the bytes the
// file system of the open file still gives this user (-1 when unknown).  A
// seam for tests, which put fakes in; the system's by default.
struct RoomCalls {
    int (*reserve)(int descriptor, off_t bytes) = nullptr;
    long long (*freeBytes)(int descriptor) = nullptr;
};
RoomCalls SystemRoomCalls();
void SetRoomCalls(const RoomCalls& calls);
