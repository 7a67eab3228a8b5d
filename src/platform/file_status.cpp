#include "platform/file_status.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

PathKind KindOfPath(const std::string& path) {
    switch (KindOfFile(path)) {
        case FileKind::kMissing: return PathKind::kMissing;
        case FileKind::kDirectory: return PathKind::kDirectory;
        default: return PathKind::kOther;
    }
}

FileKind KindOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return FileKind::kMissing;
    if (S_ISREG(info.st_mode)) return FileKind::kRegular;
    if (S_ISDIR(info.st_mode)) return FileKind::kDirectory;
    if (S_ISCHR(info.st_mode)) return FileKind::kCharacterDevice;
    if (S_ISBLK(info.st_mode)) return FileKind::kBlockDevice;
    if (S_ISFIFO(info.st_mode)) return FileKind::kFifo;
    return FileKind::kSocket;
}

std::string PathProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return std::string();
    return std::system_category().message(errno);
}

bool DirectoryAllows(const std::string& path, bool write) {
    if (::access(path.c_str(), X_OK) != 0) return false;
    return !write || ::access(path.c_str(), W_OK) == 0;
}

bool GetFileModificationTime(const std::string& path, std::time_t* when) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    *when = info.st_mtime;
    return true;
}

bool GetLocalTime(std::time_t when, std::tm* out) { return localtime_r(&when, out) != nullptr; }

bool GetCurrentLocalTime(std::tm* out) { return GetLocalTime(std::time(nullptr), out); }

std::string RunningProgramPath() {
    std::string program(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", program.data(), program.size());
    if (n <= 0 || static_cast<size_t>(n) >= program.size()) return std::string();
    program.resize(static_cast<size_t>(n));
    return program;
}

std::string CurrentDirectory() {
    std::string here(4096, '\0');
    while (::getcwd(here.data(), here.size()) == nullptr) {
        if (errno != ERANGE) return std::string();
        here.resize(here.size() * 2);
    }
    here.resize(here.find('\0'));
    return here;
}
