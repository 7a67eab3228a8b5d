#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kNotRegularReason = "Not a regular file";
// The piece ReadRegularFile reads at a time.
constexpr size_t kReadPiece = size_t{64} * 1024;

OpenedForReading Failure(int error) {
    OpenedForReading result;
    result.reason = std::strerror(error);
    result.error = error;
    return result;
}

}  // namespace

void StreamCloser::operator()(std::FILE* stream) const {
    if (stream) std::fclose(stream);
}

OpenedForReading OpenRegularFileForReading(const char* path) {
    if (!path || !*path) return Failure(ENOENT);
    // Without O_NONBLOCK, opening a FIFO that nobody writes waits for ever.
    const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        // A socket cannot be opened at all: it is refused as not regular too.
        const int error = errno;
        OpenedForReading result = Failure(error);
        struct stat info;
        if (error == ENXIO && ::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
            result.notRegular = true;
            result.reason = kNotRegularReason;
            result.error = ENODEV;
        }
        return result;
    }
    struct stat info;
    if (::fstat(descriptor, &info) != 0) {
        const int error = errno;
        ::close(descriptor);
        return Failure(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(descriptor);
        OpenedForReading result;
        result.notRegular = true;
        result.error = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
        result.reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : kNotRegularReason;
        return result;
    }
    // A regular file never blocks, but the stream reads as usual all the same.
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0) ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = ::fdopen(descriptor, "rb");
    if (!stream) {
        const int error = errno;
        ::close(descriptor);
        return Failure(error);
    }
    OpenedForReading result;
    result.stream.reset(stream);
    return result;
}

int ReadRegularFile(const char* path, size_t limit, std::string* content, std::string* reason) {
    content->clear();
    reason->clear();
    OpenedForReading opened = OpenRegularFileForReading(path);
    if (!opened.stream) {
        *reason = std::move(opened.reason);
        return opened.error;
    }
    struct stat info;
    std::FILE* stream = opened.stream.get();
    if (::fstat(::fileno(stream), &info) != 0) {
        const int error = errno;
        *reason = std::strerror(error);
        return error;
    }
    int failure = 0;
    if (info.st_size > 0 && static_cast<unsigned long long>(info.st_size) > limit) failure = EFBIG;
    if (!failure) {
        content->reserve(static_cast<size_t>(info.st_size));
        char piece[kReadPiece];
        // One byte beyond the limit tells a file that grew meanwhile.
        while (content->size() <= limit) {
            const size_t wanted = std::min(sizeof piece, limit + 1 - content->size());
            const size_t got = std::fread(piece, 1, wanted, stream);
            content->append(piece, got);
            if (got < wanted) break;
        }
        if (std::ferror(stream))
            failure = errno ? errno : EIO;
        else if (content->size() > limit)
            failure = EFBIG;
    }
    if (failure) {
        content->clear();
        *reason = std::strerror(failure);
    }
    return failure;
}
