#include "platform/process_launch.h"

#include <fcntl.h>
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

int StartProgram(const std::vector<std::string>& words, pid_t* pid) {
    if (words.empty() || words.front().empty()) return ENOENT;
    std::lock_guard<std::mutex> lock(gStartedMutex);
    ReapLocked(false);

    std::vector<std::string> copies = words;
    std::vector<char*> argv;
    argv.reserve(copies.size() + 1);
    for (std::string& word : copies) argv.push_back(word.data());
    argv.push_back(nullptr);
    // The child's own session, and /dev/null for its three standard streams.
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    if (int error = posix_spawnattr_init(&attributes); error != 0) return error;
    if (int error = posix_spawn_file_actions_init(&actions); error != 0) {
        posix_spawnattr_destroy(&attributes);
        return error;
    }
    int error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    constexpr int kStandardStreams[] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    for (const int stream : kStandardStreams) {
        if (error != 0) break;
        error = posix_spawn_file_actions_addopen(&actions, stream, "/dev/null",
                                                 stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
    }
    pid_t child = 0;
    if (error == 0) error = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return error;
    gStarted.push_back(child);
    if (pid != nullptr) *pid = child;
    return 0;
}

int StartProgram(const std::string& program, const std::string& argument, pid_t* pid) {
    return StartProgram(std::vector<std::string>{program, argument}, pid);
}

std::vector<std::string> SplitCommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word has begun (an empty pair of quotes is a word)
    char quote = 0;  // the quote that is open, 0 for none
    for (size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                word += c;
        } else if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
        } else if (quote == '"') {
            if (c == '"')
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

int StartCommand(const std::string& command, const std::string& argument, pid_t* pid) {
    if (FindProgramOnPath(command.c_str(), nullptr)) return StartProgram(command, argument, pid);
    std::vector<std::string> words = SplitCommandWords(command);
    if (words.empty()) return ENOENT;
    words.push_back(argument);
    return StartProgram(words, pid);
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
