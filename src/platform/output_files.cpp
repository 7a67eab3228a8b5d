#include "platform/output_files.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

namespace fs = std::filesystem;

WriteFault gFault = WriteFault::kNone;
std::string gFaultEnding;

// The longest file name taken when the folder's own limit cannot be asked.
constexpr long kUsualNameLimit = 255;
// What the temporary's name adds to the target's: a leading "." and the
// unique part ".XXXXXX" that mkstemp fills in.
constexpr const char* kTemporaryLead = ".";
constexpr const char* kTemporaryUnique = ".XXXXXX";
// The piece a copy into a target moves at a time.
constexpr size_t kCopyPiece = size_t{256} * 1024;
// Links followed at most when resolving a target, as the system does.
constexpr int kMostLinkHops = 40;

// ---------------------------------------------------------------------------
// Temporaries a termination signal removes
//
// The handler may do no more than is safe inside a signal: it reads these
// slots (lock-free atomics) and unlinks the names in them.  A name is
// copied into a slot of its own before its file is written and stays
// unchanged until the slot is emptied; more temporaries at once than slots
// (a run has four at most: a document, the log, the index page and the
// settings) are written all the same, without the clean-up.

constexpr size_t kTemporarySlots = 16;
std::atomic<char*> gTemporaries[kTemporarySlots];
static_assert(std::atomic<char*>::is_always_lock_free);
constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Lists `path` for the handler; the slot taken, or -1 when all are taken.
int ListTemporary(const std::string& path) {
    auto name = std::make_unique<char[]>(path.size() + 1);
    std::memcpy(name.get(), path.c_str(), path.size() + 1);
    for (size_t slot = 0; slot < kTemporarySlots; ++slot) {
        char* empty = nullptr;
        if (gTemporaries[slot].compare_exchange_strong(empty, name.get())) {
            name.release();
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void UnlistTemporary(int slot) {
    if (slot < 0) return;
    delete[] gTemporaries[slot].exchange(nullptr);
}

// Removes every listed temporary, then raises the signal again: its action
// was reset to the default on entry (SA_RESETHAND), and it is delivered as
// soon as the handler returns, ending the process as it would have.
extern "C" void RemoveTemporariesAndEnd(int signal) {
    const int savedError = errno;
    for (std::atomic<char*>& slot : gTemporaries)
        if (const char* name = slot.load()) ::unlink(name);
    ::raise(signal);
    errno = savedError;
}

// Holds the termination signals back over a step a signal must not cut:
// making a temporary and listing it, or copying into a target (the copy a
// signal arrives in is finished first).
class TerminationHeld {
public:
    TerminationHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kTerminationSignals) sigaddset(&held, signal);
        ::pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~TerminationHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    TerminationHeld(const TerminationHeld&) = delete;
    TerminationHeld& operator=(const TerminationHeld&) = delete;

private:
    sigset_t before_{};
};

// ---------------------------------------------------------------------------
// Paths

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
    for (int hops = 0; hops < kMostLinkHops; ++hops) {
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

// The mkstemp pattern of the temporary beside `target`: ".name.XXXXXX",
// with the name cut (never inside a UTF-8 character) so that the whole
// fits the longest name the folder takes.
std::string TemporaryPattern(const std::string& target) {
    const fs::path at(target);
    const std::string folder = at.parent_path().empty() ? std::string(".") : at.parent_path().string();
    long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0) limit = kUsualNameLimit;
    const size_t added = std::strlen(kTemporaryLead) + std::strlen(kTemporaryUnique);
    std::string name = at.filename().string();
    const size_t room = static_cast<size_t>(limit) > added ? static_cast<size_t>(limit) - added : 1;
    if (name.size() > room) {
        size_t cut = room;
        while (cut > 1 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return (at.parent_path() / (kTemporaryLead + name + kTemporaryUnique)).string();
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return !ending.empty() && text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

bool FaultFor(const std::string& path, WriteFault fault) { return gFault == fault && EndsWith(path, gFaultEnding); }

// ---------------------------------------------------------------------------
// Streams

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
    if (FaultFor(path, WriteFault::kWrite) || FaultFor(path, WriteFault::kClose)) {
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

// The error number of a target of this kind, 0 for one that takes output.
int RefusalOfKind(mode_t mode) {
    if (S_ISREG(mode) || S_ISCHR(mode)) return 0;
    return S_ISDIR(mode) ? EISDIR : ENXIO;
}

// Opens an existing target without waiting on it and checks that it is
// still of the kind it was found to be (`wanted`, S_IFREG or S_IFCHR).
// The descriptor, or -1 with errno set.
int OpenExisting(const std::string& path, mode_t wanted) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return -1;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || (info.st_mode & S_IFMT) != wanted) {
        const int refusal = (info.st_mode & S_IFMT) == 0 ? errno : RefusalOfKind(info.st_mode);
        ::close(descriptor);
        errno = refusal != 0 ? refusal : ENXIO;
        return -1;
    }
    // Written as usual from here on.
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0) ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    return descriptor;
}

bool WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

int SystemReserve(int descriptor, off_t bytes) { return ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, bytes); }

long long SystemFreeBytes(int descriptor) {
    struct statvfs info {};
    if (::fstatvfs(descriptor, &info) != 0) return -1;
    // The blocks kept for the superuser are free to the superuser only.
    const unsigned long long blocks = ::geteuid() == 0 ? info.f_bfree : info.f_bavail;
    const unsigned long long size = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (size != 0 && blocks > static_cast<unsigned long long>(LLONG_MAX) / size) return LLONG_MAX;
    return static_cast<long long>(blocks * size);
}

RoomCalls gRoomCalls{SystemReserve, SystemFreeBytes};

// Makes sure the open target `to` can take `bytes` of new content before a
// byte of it changes: 0, or the error number that refuses the copy.
int MakeRoom(int to, off_t bytes) {
    if (bytes <= 0) return 0;
    if (gRoomCalls.reserve(to, bytes) == 0) return 0;
    const int error = errno;
    if (error != EOPNOTSUPP && error != ENOSYS) return error;
    // Room cannot be reserved here: the free space must hold the whole new
    // content (the target's own blocks are not counted on), else the old
    // content stays.
    const long long room = gRoomCalls.freeBytes(to);
    return room >= 0 && room < static_cast<long long>(bytes) ? ENOSPC : 0;
}

// What a copy into a target came to.
struct CopyOutcome {
    int error = 0;  // 0, or the error number of what failed
    bool targetChanged = false;  // a write into the target was begun
};

// Copies the whole temporary into the target over its old content.  The
// room the new content needs is made sure of before a byte of the target
// changes (MakeRoom): a disk without it leaves the target as it was.
CopyOutcome CopyInto(const std::string& temporary, const std::string& target) {
    CopyOutcome outcome;
    const int from = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        outcome.error = errno;
        return outcome;
    }
    struct stat info {};
    if (::fstat(from, &info) != 0) {
        outcome.error = errno;
        ::close(from);
        return outcome;
    }
    const int to = OpenExisting(target, S_IFREG);
    if (to < 0) {
        outcome.error = errno;
        ::close(from);
        return outcome;
    }
    int failure = MakeRoom(to, info.st_size);
    if (!failure) {
        const bool faulty = FaultFor(target, WriteFault::kCopy);
        auto piece = std::make_unique<char[]>(kCopyPiece);
        for (;;) {
            const ssize_t got = ::read(from, piece.get(), kCopyPiece);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                failure = errno;
                break;
            }
            if (got == 0) break;
            outcome.targetChanged = true;
            if (faulty) {
                // Half of the first piece reaches the target, then the disk is full.
                WriteAll(to, piece.get(), static_cast<size_t>(got + 1) / 2);
                failure = ENOSPC;
                break;
            }
            if (!WriteAll(to, piece.get(), static_cast<size_t>(got))) {
                failure = errno;
                break;
            }
        }
    }
    if (!failure && ::ftruncate(to, info.st_size) != 0) failure = errno;
    if (::close(to) != 0 && !failure) failure = errno;
    ::close(from);
    outcome.error = failure;
    return outcome;
}

// Opens a character device in place.
OutputStream OpenDevice(const std::string& path, int* failure) {
    OutputStream output;
    const int descriptor = OpenExisting(path, S_IFCHR);
    if (descriptor < 0) {
        *failure = errno;
        return output;
    }
    output.stream = StreamOn(descriptor, path);
    if (!output.stream) *failure = errno ? errno : EIO;
    output.target = path;
    return output;
}

// Opens the temporary file that the content of `path` is written to first.
OutputStream OpenTemporary(const std::string& path, const struct stat* existing, int* failure) {
    OutputStream output;
    const std::string target = ResolvedTarget(path);
    if (FaultFor(target, WriteFault::kCreate)) {
        *failure = ENOSPC;
        return output;
    }
    std::string temporary = TemporaryPattern(target);
    int descriptor = -1;
    {
        // A signal between making the file and listing it would leave it.
        const TerminationHeld held;
        descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (descriptor < 0) {
            *failure = errno;
            return output;
        }
        output.signalSlot = ListTemporary(temporary);
    }
    output.copyInto = existing && existing->st_nlink > 1;
    if (!output.copyInto) ::fchmod(descriptor, existing ? (existing->st_mode & 07777) : CreationMode());
    output.stream = StreamOn(descriptor, target);
    if (!output.stream) {
        *failure = errno ? errno : EIO;
        ::unlink(temporary.c_str());
        UnlistTemporary(output.signalSlot);
        return OutputStream();
    }
    output.target = target;
    output.temporary = std::move(temporary);
    return output;
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

OutputStream OpenOutputStream(const std::string& path, int* error) {
    OutputStream output;
    int failure = 0;
    struct stat info {};
    bool exists = false;
    if (path.empty()) {
        failure = ENOENT;
    } else if (::stat(path.c_str(), &info) == 0) {
        exists = true;
        failure = RefusalOfKind(info.st_mode);
        if (!failure && ::access(path.c_str(), W_OK) != 0) failure = errno;
    } else if (errno != ENOENT) {
        failure = errno;
    }
    if (!failure) {
        if (exists && S_ISCHR(info.st_mode))
            output = OpenDevice(path, &failure);
        else
            output = OpenTemporary(path, exists ? &info : nullptr, &failure);
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
        const bool deliver = keep && !failure;
        if (deliver && output.copyInto) {
            const TerminationHeld held;
            const CopyOutcome copy = CopyInto(output.temporary, output.target);
            failure = copy.error;
            // A target cut by a failed copy: the temporary is the only whole
            // copy of the new content, kept for the user.
            if (failure && copy.targetChanged)
                output.keptTemporary = output.temporary;
            else
                ::unlink(output.temporary.c_str());
            UnlistTemporary(output.signalSlot);
        } else {
            if (deliver && std::rename(output.temporary.c_str(), output.target.c_str()) != 0) failure = errno;
            if (!deliver || failure) ::unlink(output.temporary.c_str());
            UnlistTemporary(output.signalSlot);
        }
        output.temporary.clear();
        output.signalSlot = -1;
    }
    return failure;
}

void RemoveTemporariesOnTermination() {
    for (const int signal : kTerminationSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        for (const int other : kTerminationSignals) sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

std::string SystemErrorText(int error) { return std::system_category().message(error); }

RoomCalls SystemRoomCalls() { return RoomCalls{SystemReserve, SystemFreeBytes}; }

void SetRoomCalls(const RoomCalls& calls) {
    const RoomCalls system = SystemRoomCalls();
    gRoomCalls.reserve = calls.reserve ? calls.reserve : system.reserve;
    gRoomCalls.freeBytes = calls.freeBytes ? calls.freeBytes : system.freeBytes;
}

void SetWriteFault(WriteFault fault, const std::string& pathEnding) {
    gFault = fault;
    gFaultEnding = fault == WriteFault::kNone ? std::string() : pathEnding;
}
