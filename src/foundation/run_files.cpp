#include "foundation/run_files.h"

#include "foundation/message_reporter.h"

namespace {

const std::string* Find(const std::vector<std::pair<FileKey, std::string>>& files, const std::string& path) {
    if (files.empty() || path.empty()) return nullptr;
    const FileKey key = KeyOfFile(path);
    for (const auto& [fileKey, name] : files)
        if (fileKey == key) return &name;
    return nullptr;
}

}  // namespace

void RunFiles::Clear() {
    inputs_.clear();
    targets_.clear();
    reporter = nullptr;
}

void RunFiles::AddInput(const std::string& path) {
    if (!path.empty() && !FindInput(path)) inputs_.emplace_back(KeyOfFile(path), path);
}

void RunFiles::AddWriteTarget(const std::string& path) {
    if (!path.empty() && !FindWriteTarget(path)) targets_.emplace_back(KeyOfFile(path), path);
}

const std::string* RunFiles::FindInput(const std::string& path) const { return Find(inputs_, path); }

const std::string* RunFiles::FindWriteTarget(const std::string& path) const { return Find(targets_, path); }

bool RunFiles::MayRead(const std::string& path) const {
    if (!FindWriteTarget(path)) return true;
    if (reporter) {
        const std::string message = "ERROR: \"" + path + "\" is written by this run: not read";
        reporter->OutputMessage(message.c_str(), 10);
    }
    return false;
}

RunFiles& TheRunFiles() {
    static RunFiles files;
    return files;
}
