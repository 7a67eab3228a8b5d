// Opening a file to read it, refusing anything that is not a regular file.
//
// Every file the program reads (inputs, included files, policy files, style,
// header, footer and fragments files, the link dictionary) is opened here.  A
// directory, FIFO, device or socket is refused: reading one could block for
// ever (a FIFO with no writer) or never end (/dev/zero, /dev/urandom).  The
// name is opened without blocking, the open descriptor is examined (so the
// answer is about the very file that would be read, not a name that may
// change in between), and only then is it handed out as a stream.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

struct StreamCloser {
    void operator()(std::FILE* stream) const;
};
using ReadStream = std::unique_ptr<std::FILE, StreamCloser>;

struct OpenedForReading {
    ReadStream stream;  // null when the file was not opened
    bool notRegular = false;  // it exists but is a directory, FIFO, device or socket
    std::string reason;  // the system's words for the failure, empty on success
    int error = 0;  // the system's code for the failure (EISDIR for a directory), 0 on success
};

// Opens `path` for reading in binary mode.  On failure the stream is null and
// `reason` says why ("No such file or directory", "Is a directory", "Not a
// regular file", ...).
OpenedForReading OpenRegularFileForReading(const char* path);

// Reads the whole regular file `path` into *content, refusing one of more
// than `limit` bytes (at most `limit` bytes are ever read, so a file that
// grows while it is read is refused too).  0 on success; otherwise the
// system's error number, with *reason in the words of
// OpenRegularFileForReading ("File too large", EFBIG, beyond the limit)
// and *content empty.
int ReadRegularFile(const char* path, size_t limit, std::string* content, std::string* reason);
