#include "foundation/run_files.h"

#include "foundation/message_reporter.h"

void RunFiles::FileSet::Add(const std::string& path) {
    if (path.empty()) return;
    const FileKey key = KeyOfFile(path);
    if (key.exists) byIdentity.emplace(key.Text(), path);
    byPath.emplace(key.path, path);
}

const std::string* RunFiles::FileSet::Find(const std::string& path) const {
    if (Empty() || path.empty()) return nullptr;
    const FileKey key = KeyOfFile(path);
    if (key.exists) {
        const auto found = byIdentity.find(key.Text());
        if (found != byIdentity.end()) return &found->second;
    }
    const auto found = byPath.find(key.path);
    return found == byPath.end() ? nullptr : &found->second;
}

void RunFiles::Clear() {
    inputs_ = FileSet();
    targets_ = FileSet();
    written_ = FileSet();
    reporter = nullptr;
    active_ = false;
}

void RunFiles::AddInput(const std::string& path) { inputs_.Add(path); }

void RunFiles::NoteRead(const std::string& path) {
    if (active_ && !inputs_.Find(path)) inputs_.Add(path);
}

void RunFiles::NoteWritten(const std::string& path) {
    if (active_) written_.Add(path);
}

void RunFiles::AddWriteTarget(const std::string& path) { targets_.Add(path); }

const std::string* RunFiles::FindInput(const std::string& path) const { return inputs_.Find(path); }

const std::string* RunFiles::FindWriteTarget(const std::string& path) const { return targets_.Find(path); }

bool RunFiles::MayRead(const std::string& path) const {
    if (!written_.Find(path)) return true;
    if (reporter) {
        const std::string message = "ERROR: \"" + path + "\" was written by this run: not read";
        reporter->OutputMessage(message.c_str(), kLevelAlways);
    }
    return false;
}

RunFiles& TheRunFiles() {
    static RunFiles files;
    return files;
}
