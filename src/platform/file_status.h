// What the program asks the system about paths and itself: whether a path
// names something and what kind of file that is, what a directory allows,
// when a file was last changed, the local time of a moment and of now, the
// running program's own file and the current directory.  Links are followed
// throughout.
#pragma once

#include <ctime>
#include <string>

enum class PathKind {
    kMissing,  // nothing there, or it cannot be examined
    kDirectory,
    kOther,  // a file, device, FIFO or socket
};

PathKind KindOfPath(const std::string& path);

// Why `path` cannot be examined, in the system's words ("No such file or
// directory", "Too many levels of symbolic links", "Permission denied",
// "File name too long"); empty when it can.
std::string PathProblem(const std::string& path);

// What a path names, in full.
enum class FileKind {
    kMissing,  // nothing there, or it cannot be examined
    kRegular,
    kDirectory,
    kCharacterDevice,  // /dev/null, /dev/full, a terminal
    kBlockDevice,
    kFifo,
    kSocket,
};

FileKind KindOfFile(const std::string& path);

// Whether the directory may be entered and, with `write`, written to.
bool DirectoryAllows(const std::string& path, bool write);

// The time the file was last changed; false when it cannot be examined.
bool GetFileModificationTime(const std::string& path, std::time_t* when);

// The local calendar time of a moment; false when it cannot be converted.
bool GetLocalTime(std::time_t when, std::tm* out);
// The local calendar time now; false when it cannot be converted.
bool GetCurrentLocalTime(std::tm* out);

// The full path of the running program; empty when it cannot be found.
std::string RunningProgramPath();

// The current directory; empty when it cannot be found.
std::string CurrentDirectory();
