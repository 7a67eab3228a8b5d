#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ascii_text.h"
#include "platform/output_files.h"
#include "platform/regular_file.h"

namespace {

std::string Lowered(std::string_view name) { return LowerAsciiText(name); }

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }
bool IsLetterChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Reads a decimal int from a setting's value.  The number may stand between
// blanks or other marks, never next to a letter: "12", " -3 ", "(7)" read;
// "12px", "x1", "1-2" and numbers beyond int do not.
bool ParseSettingInt(const std::string& text, int& out) {
    const long length = static_cast<long>(text.size());
    // One past the end reads as the terminating NUL, which is neither.
    auto at = [&](long i) { return i < length ? text[static_cast<size_t>(i)] : '\0'; };
    long first = 0;
    while (first < length && !IsDigitChar(at(first)) && at(first) != '+' && at(first) != '-') {
        if (IsLetterChar(at(first))) return false;
        ++first;
    }
    long last = length;
    while (last >= first && !IsDigitChar(at(last))) {
        if (IsLetterChar(at(last))) return false;
        --last;
    }
    if (first > last || first >= length) return false;
    bool digits = false;
    for (long i = first; i <= last; ++i) {
        const char c = at(i);
        if (c == '+' || c == '-') {
            if (i != first) return false;
        } else if (IsDigitChar(c)) {
            digits = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    const std::string number = text.substr(static_cast<size_t>(first), static_cast<size_t>(last - first + 1));
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (errno == ERANGE || value > INT_MAX || value < INT_MIN || end == number.c_str()) return false;
    out = static_cast<int>(value);
    return true;
}

// '%', CR and LF are written as "%25", "%0D", "%0A"; every other byte as it is.
void AppendEncoded(std::string& out, std::string_view value) {
    for (char c : value) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
}

// "%" with two hexadecimal digits is that byte; any other "%" is itself.
std::string Decoded(std::string_view value) {
    if (value.find('%') == std::string_view::npos) return std::string(value);
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            int high = AsciiHexDigitValue(value[i + 1]);
            int low = AsciiHexDigitValue(value[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

// The largest settings file read: far above any real one (a few KB), it
// keeps a file linked to /dev/zero-like content or a stray huge file from
// filling memory.
constexpr size_t kMostSettingsBytes = size_t{1} << 20;

// Creates every missing folder of `folder` (like mkdir -p); false with errno.
bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat info;
    if (stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
    if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
    return false;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash == 0 ? 1 : slash);
}

// One line of a settings file.
struct FileLine {
    std::string_view text;  // without its line feed
    bool lineFeed = false;  // it ends in a line feed (the file's last line may not)
    bool carriageReturn = false;  // its text ends in a carriage return
    std::string_view name;  // before the first "="; empty for a line without a name
    std::string_view value;  // after it, without the carriage return
};

// Calls visit(const FileLine&) for every line of `content`, in order.
template <typename Visit>
void ForEachLine(std::string_view content, Visit visit) {
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        FileLine line;
        line.lineFeed = end != std::string_view::npos;
        if (!line.lineFeed) end = content.size();
        line.text = content.substr(start, end - start);
        start = end + 1;
        std::string_view body = line.text;
        line.carriageReturn = !body.empty() && body.back() == '\r';
        if (line.carriageReturn) body.remove_suffix(1);
        const size_t equals = body.find('=');
        if (equals != std::string_view::npos && equals > 0) {
            line.name = body.substr(0, equals);
            line.value = body.substr(equals + 1);
        }
        visit(line);
    }
}

// Holds the lock file for the read-merge-write of a save.  The rename alone
// already keeps the file whole, so a lock that cannot be taken only risks
// losing another program's simultaneous change.
class SaveLock {
public:
    // Anything but a regular file in the lock file's place is left alone
    // (and opening it never waits).
    explicit SaveLock(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600)) {
        struct stat info {};
        if (fd_ >= 0 && (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
            close(fd_);
            fd_ = -1;
        }
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~SaveLock() {
        if (fd_ >= 0) close(fd_);
    }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

private:
    int fd_;
};

}  // namespace

std::string SettingsStore::DefaultPath(const char* product) {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            struct passwd* entry = getpwuid(getuid());
            home = entry != nullptr ? entry->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] == '\0') return std::string();
        base = home;
        if (base.back() != '/') base += '/';
        base += ".config";
    }
    if (base.back() != '/') base += '/';
    base += "Halvex/";
    base += product;
    base += "/settings";
    return base;
}

SettingsStore::SettingsStore() : SettingsStore(DefaultPath()) {}

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {}

std::vector<SettingsStore::Entry> SettingsStore::Parse(const std::string& content) {
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> seen;
    ForEachLine(content, [&](const FileLine& line) {
        if (line.name.empty()) return;
        std::string value = Decoded(line.value);
        auto [it, added] = seen.emplace(Lowered(line.name), entries.size());
        if (added)
            entries.push_back(Entry{std::string(line.name), std::move(value)});
        else
            entries[it->second].value = std::move(value);
    });
    return entries;
}

std::string SettingsStore::Merge(const std::string& content, const std::vector<Pending>& pending) {
    std::unordered_map<std::string, size_t> wanted;
    for (size_t i = 0; i < pending.size(); ++i) wanted.emplace(Lowered(pending[i].name), i);
    std::vector<bool> present(pending.size(), false);
    std::string merged;
    merged.reserve(content.size() + 64 * pending.size());
    ForEachLine(content, [&](const FileLine& line) {
        const auto it = line.name.empty() ? wanted.end() : wanted.find(Lowered(line.name));
        if (it == wanted.end() || !pending[it->second].changed) {
            if (it != wanted.end()) present[it->second] = true;
            merged.append(line.text);
            if (line.lineFeed) merged += '\n';
            return;
        }
        // A changed setting: its first line takes the value, a later one goes.
        if (present[it->second]) return;
        present[it->second] = true;
        merged.append(line.name);
        merged += '=';
        AppendEncoded(merged, pending[it->second].value);
        if (line.carriageReturn) merged += '\r';
        merged += '\n';
    });
    for (size_t i = 0; i < pending.size(); ++i) {
        if (present[i]) continue;
        if (!merged.empty() && merged.back() != '\n') merged += '\n';
        merged += pending[i].name;
        merged += '=';
        AppendEncoded(merged, pending[i].value);
        merged += '\n';
    }
    return merged;
}

void SettingsStore::Rebuild(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(Lowered(entries_[i].name), i);
}

bool SettingsStore::Load() {
    pending_.clear();
    pendingIndex_.clear();
    unreadable_ = false;
    std::string content, reason;
    const int error = path_.empty() ? ENOENT : ReadRegularFile(path_.c_str(), kMostSettingsBytes, &content, &reason);
    if (error != 0) {
        Rebuild({});
        if (error == ENOENT || error == ENOTDIR) return true;
        unreadable_ = true;
        Report("WARNING: Can't read the program settings in " + path_ + ": " + reason +
               "; the defaults are used and nothing is saved");
        return false;
    }
    Rebuild(Parse(content));
    return true;
}

bool SettingsStore::ReadText(const char* name, std::string& out) const {
    auto it = index_.find(Lowered(name));
    if (it == index_.end()) return false;
    out = entries_[it->second].value;
    return true;
}

bool SettingsStore::ReadInt(const char* name, int& out) const {
    std::string text;
    if (!ReadText(name, text)) return false;
    int value = 0;
    if (!ParseSettingInt(text, value)) return false;
    out = value;
    return true;
}

bool SettingsStore::Contains(const char* name) const { return index_.count(Lowered(name)) != 0; }

void SettingsStore::Set(const std::string& name, const std::string& value, bool changed) {
    std::string key = Lowered(name);
    auto [it, added] = index_.emplace(key, entries_.size());
    if (added)
        entries_.push_back(Entry{name, value});
    else if (changed)
        entries_[it->second].value = value;
    auto [at, waiting] = pendingIndex_.emplace(std::move(key), pending_.size());
    if (waiting) {
        pending_.push_back(Pending{name, value, changed});
        return;
    }
    // A change outweighs an offer; an offer never replaces a change.
    Pending& entry = pending_[at->second];
    if (!changed && entry.changed) return;
    entry.value = value;
    entry.changed = changed;
}

void SettingsStore::WriteText(const char* name, const char* text) { Set(name, text != nullptr ? text : "", true); }

void SettingsStore::WriteInt(const char* name, int value) { Set(name, std::to_string(value), true); }

void SettingsStore::OfferText(const char* name, const char* text) { Set(name, text != nullptr ? text : "", false); }

void SettingsStore::Report(const std::string& text) {
    if (failureReported_) return;
    failureReported_ = true;
    if (warningSink_)
        warningSink_(text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

void SettingsStore::ReportFailure(const std::string& what, const std::string& reason) {
    std::string text =
        "WARNING: Can't save the program settings in " + (path_.empty() ? "(no settings folder)" : path_);
    text += ": ";
    text += what;
    if (!reason.empty()) {
        text += ": ";
        text += reason;
    }
    Report(text);
}

bool SettingsStore::Save() {
    if (unreadable_) return false;
    if (pending_.empty()) return true;
    if (path_.empty()) {
        ReportFailure("neither XDG_CONFIG_HOME nor a home folder is known", "");
        return false;
    }
    // A file made read-only is kept as it is, even by a user (root) whom
    // the system would let write it.
    struct stat info {};
    if (stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path_.c_str(), W_OK) != 0)) {
        ReportFailure("the file is read-only", "");
        return false;
    }
    const std::string folder = FolderOf(path_);
    if (!MakeFolders(folder)) {
        ReportFailure("can't create the folder", std::strerror(errno));
        return false;
    }

    SaveLock lock(path_ + ".lock");
    // The file as it is now: what other programs saved meanwhile stays.  A
    // file that cannot be read is not written over.
    std::string content, reason;
    const int error = ReadRegularFile(path_.c_str(), kMostSettingsBytes, &content, &reason);
    if (error != 0 && error != ENOENT) {
        ReportFailure("can't read the settings file", reason);
        return false;
    }
    std::string merged = Merge(content, pending_);
    // A file the program would not read back is not written: the file stays
    // as it is, and every later run reads it.
    if (merged.size() > kMostSettingsBytes) {
        ReportFailure(
            "the settings would pass " + std::to_string(kMostSettingsBytes) + " bytes, the most the program reads",
            "");
        return false;
    }
    if (merged != content && !ReplaceFile(merged)) return false;

    Rebuild(Parse(merged));
    pending_.clear();
    pendingIndex_.clear();
    return true;
}

bool SettingsStore::ReplaceFile(const std::string& content) {
    struct stat info {};
    const bool fresh = stat(path_.c_str(), &info) != 0;
    int error = 0;
    OutputStream output = OpenOutputStream(path_, &error);
    if (!output.stream) {
        ReportFailure("can't write the settings file", SystemErrorText(error));
        return false;
    }
    // A new settings file is the user's own; an existing one keeps its mode.
    if (fresh) fchmod(fileno(output.stream), S_IRUSR | S_IWUSR);
    // On the disk before it replaces the old file, so that even a crash
    // leaves one whole file or the other.
    const bool written = std::fwrite(content.data(), 1, content.size(), output.stream) == content.size() &&
                         std::fflush(output.stream) == 0 && fsync(fileno(output.stream)) == 0;
    if (!written) error = errno ? errno : EIO;
    const int closed = CloseOutputStream(output, written);
    if (written && closed == 0) return true;
    ReportFailure("can't write the settings file", SystemErrorText(written ? closed : error));
    return false;
}

bool ReadRegistryText(const SettingsStore& store, const char* name, std::string& out) {
    return store.ReadText(name, out);
}

bool ReadRegistryInt(const SettingsStore& store, const char* name, int& out) { return store.ReadInt(name, out); }

bool WriteRegistryText(SettingsStore& store, const char* name, const char* text) {
    store.WriteText(name, text);
    return true;
}

std::string HistoryEntryName(const char* key, int index) {
    char number[16];
    std::snprintf(number, sizeof number, "\\MRU%2.2u", static_cast<unsigned>(index));
    return std::string(key) + number;
}

void LoadHistoryList(const SettingsStore& store, const char* key, int count, std::string* entries) {
    for (int i = 0; i < count; ++i) {
        if (!store.ReadText(HistoryEntryName(key, i).c_str(), entries[i])) entries[i].clear();
    }
}
