#include "platform/process_launch.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

extern char** environ;

namespace {

// Children started here that have not been reaped yet.  Only these are ever
// waited for, so children that other parts of the process start are left to
// their owners.
std::mutex gStartedMutex;
std::vector<pid_t> gStarted;

// Reaps the finished children in gStarted (lock held).  With `block` every
// one is waited for.
void ReapLocked(bool block) {
    auto finished = [block](pid_t pid) {
        for (;;) {
            int status = 0;
            pid_t result = waitpid(pid, &status, block ? 0 : WNOHANG);
            if (result == pid) return true;
            if (result == 0) return false;
            if (errno == EINTR) continue;
            return true;  // ECHILD: already reaped elsewhere; forget it
        }
    };
    gStarted.erase(std::remove_if(gStarted.begin(), gStarted.end(), finished), gStarted.end());
}

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

int StartProgram(const std::string& program, const std::string& argument, pid_t* pid) {
    if (program.empty()) return ENOENT;
    std::lock_guard<std::mutex> lock(gStartedMutex);
    ReapLocked(false);

    std::string programCopy = program;
    std::string argumentCopy = argument;
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};
    pid_t child = 0;
    int error = posix_spawnp(&child, programCopy.c_str(), nullptr, nullptr, argv, environ);
    if (error != 0) return error;
    gStarted.push_back(child);
    if (pid != nullptr) *pid = child;
    return 0;
}

void ReapStartedPrograms() {
    std::lock_guard<std::mutex> lock(gStartedMutex);
    ReapLocked(false);
}

void WaitForStartedPrograms() {
    std::lock_guard<std::mutex> lock(gStartedMutex);
    ReapLocked(true);
}

bool FindProgramOnPath(const char* name, std::string* fullPath) {
    if (name == nullptr || name[0] == '\0') return false;
    std::string wanted(name);
    if (wanted.find('/') != std::string::npos) {
        if (!IsExecutableFile(wanted)) return false;
        if (fullPath != nullptr) *fullPath = wanted;
        return true;
    }
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos) end = directories.size();
        std::string directory = directories.substr(start, end - start);
        if (directory.empty()) directory = ".";  // an empty entry is the current directory
        std::string candidate = directory;
        if (candidate.back() != '/') candidate += '/';
        candidate += wanted;
        if (IsExecutableFile(candidate)) {
            if (fullPath != nullptr) *fullPath = candidate;
            return true;
        }
        if (end >= directories.size()) break;
        start = end + 1;
    }
    return false;
}

bool DdeClient::Initialise() {
    initialised_ = true;
    lastError_ = 0;
    return true;
}

bool DdeClient::Connect(const char*, const char*) {
    lastError_ = kDdeNoConversation;
    return false;
}

bool DdeClient::Request(const char*, int) {
    lastError_ = kDdeNoConversation;
    return false;
}

void DdeClient::Disconnect() {}

void DdeClient::Uninitialise() { initialised_ = false; }
