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

#include "platform/ascii_text.h"

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

// Reads a whole file; false with errno set when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* content) {
    content->clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            close(fd);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        content->append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

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
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string_view line(content.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        std::string_view name = line.substr(0, equals);
        std::string value = Decoded(line.substr(equals + 1));
        auto [it, added] = seen.emplace(Lowered(name), entries.size());
        if (added)
            entries.push_back(Entry{std::string(name), std::move(value)});
        else
            entries[it->second].value = std::move(value);
    }
    return entries;
}

std::string SettingsStore::Format(const std::vector<Entry>& entries) {
    std::string content;
    for (const Entry& entry : entries) {
        content += entry.name;
        content += '=';
        AppendEncoded(content, entry.value);
        content += '\n';
    }
    return content;
}

void SettingsStore::Rebuild(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(Lowered(entries_[i].name), i);
}

bool SettingsStore::Load() {
    changed_.clear();
    std::string content;
    if (path_.empty() || !ReadWholeFile(path_, &content)) {
        bool missing = path_.empty() || errno == ENOENT || errno == ENOTDIR;
        Rebuild({});
        return missing;
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

void SettingsStore::Set(const std::string& name, const std::string& value) {
    std::string key = Lowered(name);
    auto [it, added] = index_.emplace(key, entries_.size());
    if (added)
        entries_.push_back(Entry{name, value});
    else
        entries_[it->second].value = value;
    changed_.push_back(std::move(key));
}

void SettingsStore::WriteText(const char* name, const char* text) { Set(name, text != nullptr ? text : ""); }

void SettingsStore::WriteInt(const char* name, int value) { Set(name, std::to_string(value)); }

void SettingsStore::ReportFailure(const std::string& what, int error) {
    if (failureReported_) return;
    failureReported_ = true;
    std::string text =
        "WARNING: Can't save the program settings in " + (path_.empty() ? "(no settings folder)" : path_);
    text += ": ";
    text += what;
    if (error != 0) {
        text += ": ";
        text += std::strerror(error);
    }
    if (warningSink_)
        warningSink_(text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

bool SettingsStore::Save() {
    if (changed_.empty()) return true;
    if (path_.empty()) {
        ReportFailure("neither XDG_CONFIG_HOME nor a home folder is known", 0);
        return false;
    }
    const std::string folder = FolderOf(path_);
    if (!MakeFolders(folder)) {
        ReportFailure("can't create the folder", errno);
        return false;
    }

    // The lock serialises read-merge-write between programs; the rename
    // alone already keeps the file whole, so a lock that cannot be taken
    // only risks losing another program's simultaneous change.
    int lock = open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock >= 0) {
        while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    // What other programs saved meanwhile stays; the settings written here
    // are laid over it.
    std::string content;
    std::vector<Entry> merged;
    if (ReadWholeFile(path_, &content)) merged = Parse(content);
    std::unordered_map<std::string, size_t> mergedIndex;
    for (size_t i = 0; i < merged.size(); ++i) mergedIndex.emplace(Lowered(merged[i].name), i);
    for (const std::string& key : changed_) {
        const Entry& mine = entries_[index_.at(key)];
        auto [it, added] = mergedIndex.emplace(key, merged.size());
        if (added)
            merged.push_back(mine);
        else
            merged[it->second].value = mine.value;
    }
    content = Format(merged);

    bool ok = false;
    std::string temporary = path_ + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        ReportFailure("can't create a temporary file", errno);
    } else {
        bool written = WriteAll(fd, content) && fsync(fd) == 0;
        int error = errno;
        if (close(fd) != 0 && written) {
            written = false;
            error = errno;
        }
        if (!written) {
            ReportFailure("can't write a temporary file", error);
        } else if (rename(temporary.c_str(), path_.c_str()) != 0) {
            ReportFailure("can't replace the settings file", errno);
        } else {
            ok = true;
        }
        if (!ok) unlink(temporary.c_str());
    }
    if (lock >= 0) close(lock);

    if (ok) {
        Rebuild(std::move(merged));
        changed_.clear();
    }
    return ok;
}

bool ReadRegistryText(const SettingsStore& store, const char* name, std::string& out) {
    return store.ReadText(name, out);
}

bool ReadRegistryInt(const SettingsStore& store, const char* name, int& out) { return store.ReadInt(name, out); }

bool WriteRegistryText(SettingsStore& store, const char* name, const char* text) {
    store.WriteText(name, text);
    return true;
}

void WriteRegistryInt(SettingsStore& store, const char* name, int value) { store.WriteInt(name, value); }

namespace {

std::string HistoryEntryName(const char* key, int i) {
    char number[16];
    std::snprintf(number, sizeof number, "\\MRU%2.2u", static_cast<unsigned>(i));
    return std::string(key) + number;
}

}  // namespace

void LoadHistoryList(const SettingsStore& store, const char* key, int count, std::string* entries) {
    for (int i = 0; i < count; ++i) {
        if (!store.ReadText(HistoryEntryName(key, i).c_str(), entries[i])) entries[i].clear();
    }
}

void SaveHistoryList(SettingsStore& store, const char* key, int count, const std::string* entries) {
    for (int i = 0; i < count; ++i) store.WriteText(HistoryEntryName(key, i).c_str(), entries[i].c_str());
}
