#include "platform/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

WriteFault gFault = WriteFault::kNone;
std::string gFaultEnding;

// The absolute form of `path` with its folder resolved through links; the
// last component stays as it is.
std::string AbsoluteWithResolvedFolder(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error) absolute = fs::path(path);
    absolute = absolute.lexically_normal();
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), error);
    if (error || absolute.filename().empty()) return absolute.string();
    return (folder / absolute.filename()).string();
}

// The file a path finally names: every symbolic link on the way followed.
// A dangling link names the file it would create.
std::string ResolvedTarget(const std::string& path) {
    std::string current = AbsoluteWithResolvedFolder(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::error_code error;
        const fs::path link = fs::read_symlink(current, error);
        if (error) return current;
        const fs::path next = link.is_absolute() ? link : fs::path(current).parent_path() / link;
        current = AbsoluteWithResolvedFolder(next.string());
    }
    return current;
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return !ending.empty() && text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The stream of a file the seam makes fail.
struct FaultyFile {
    int descriptor = -1;
    WriteFault fault = WriteFault::kNone;
};

ssize_t FaultyWrite(void* cookie, const char* data, size_t size) {
    auto* file = static_cast<FaultyFile*>(cookie);
    if (file->fault == WriteFault::kWrite) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(file->descriptor, data, size);
}

int FaultyClose(void* cookie) {
    auto* file = static_cast<FaultyFile*>(cookie);
    const int result = ::close(file->descriptor);
    const WriteFault fault = file->fault;
    delete file;
    if (fault == WriteFault::kClose) {
        errno = EIO;
        return -1;
    }
    return result;
}

FILE* StreamOn(int descriptor, const std::string& path) {
    if (gFault != WriteFault::kNone && EndsWith(path, gFaultEnding)) {
        auto* file = new FaultyFile{descriptor, gFault};
        cookie_io_functions_t functions{};
        functions.write = FaultyWrite;
        functions.close = FaultyClose;
        FILE* stream = ::fopencookie(file, "wb", functions);
        if (!stream) {
            delete file;
            ::close(descriptor);
        }
        return stream;
    }
    FILE* stream = ::fdopen(descriptor, "wb");
    if (!stream) ::close(descriptor);
    return stream;
}

mode_t CreationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

bool FileKey::operator==(const FileKey& other) const {
    if (exists && other.exists) return device == other.device && inode == other.inode;
    // A file that did not exist yet when one key was taken is known by its path.
    return path == other.path;
}

std::string FileKey::Text() const {
    if (!exists) return path;
    return std::to_string(static_cast<unsigned long long>(device)) + ":" +
           std::to_string(static_cast<unsigned long long>(inode));
}

FileKey KeyOfFile(const std::string& path) {
    FileKey key;
    key.path = AbsoluteWithResolvedFolder(path);
    struct stat info {};
    if (!path.empty() && ::stat(path.c_str(), &info) == 0) {
        key.exists = true;
        key.device = info.st_dev;
        key.inode = info.st_ino;
    }
    return key;
}

bool IsSameFile(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return false;
    return first == second || KeyOfFile(first) == KeyOfFile(second);
}

OutputStream OpenOutputStream(const std::string& path, OutputRoad road, int* error) {
    OutputStream output;
    int failure = 0;
    if (path.empty()) failure = ENOENT;
    std::string target = path;
    struct stat info {};
    bool exists = false;
    if (!failure) {
        exists = ::stat(path.c_str(), &info) == 0;
        const bool replaceable = !exists || (S_ISREG(info.st_mode) && info.st_nlink <= 1);
        if (road == OutputRoad::kReplace && replaceable) target = ResolvedTarget(path);
        if (!replaceable) road = OutputRoad::kInPlace;
        if (exists && ::access(path.c_str(), W_OK) != 0) failure = errno;
    }
    if (!failure && road == OutputRoad::kReplace) {
        const fs::path at(target);
        std::string pattern = (at.parent_path() / ("." + at.filename().string() + ".XXXXXX")).string();
        const int descriptor = ::mkstemp(pattern.data());
        if (descriptor >= 0) {
            ::fchmod(descriptor, exists ? (info.st_mode & 07777) : CreationMode());
            output.stream = StreamOn(descriptor, target);
            if (!output.stream) {
                failure = errno ? errno : EIO;
                ::unlink(pattern.c_str());
            } else {
                output.target = target;
                output.temporary = pattern;
            }
        } else if (!exists) {
            failure = errno;
        } else {
            // The folder takes no new file but the target may be written:
            // it is written in place, as it always was.
            road = OutputRoad::kInPlace;
        }
    }
    if (!failure && road == OutputRoad::kInPlace) {
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            failure = errno;
        } else {
            output.stream = StreamOn(descriptor, path);
            if (!output.stream) failure = errno ? errno : EIO;
            output.target = path;
        }
    }
    if (error) *error = failure;
    if (failure) output = OutputStream();
    return output;
}

int CloseOutputStream(OutputStream& output, bool keep) {
    int failure = 0;
    if (output.stream && std::fclose(output.stream) != 0) failure = errno ? errno : EIO;
    output.stream = nullptr;
    if (!output.temporary.empty()) {
        if (keep && !failure && std::rename(output.temporary.c_str(), output.target.c_str()) != 0) failure = errno;
        if (!keep || failure) ::unlink(output.temporary.c_str());
        output.temporary.clear();
    }
    return failure;
}

std::string SystemErrorText(int error) { return std::system_category().message(error); }

void SetWriteFault(WriteFault fault, const std::string& pathEnding) {
    gFault = fault;
    gFaultEnding = fault == WriteFault::kNone ? std::string() : pathEnding;
}
