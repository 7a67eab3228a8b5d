// A small tmpfs mounted on a folder for the life of the object, for tests of
// a full disk or one without a free inode.  Only root may mount one: a test
// skips itself with a message where Mounted() is false.
#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>
#include <utility>

class ScopedTmpfs {
public:
    // Mounts a tmpfs with `options` ("size=256k", "nr_inodes=3") on `folder`,
    // which must exist.
    ScopedTmpfs(std::filesystem::path folder, const std::string& options) : folder_(std::move(folder)) {
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~ScopedTmpfs() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    static constexpr const char* kNotMounted = "a tmpfs cannot be mounted here (not root?)";

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};
