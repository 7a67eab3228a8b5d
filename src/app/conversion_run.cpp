#include "app/conversion_run.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/message_reporter.h"
#include "foundation/run_status.h"
#include "platform/file_search.h"
#include "platform/file_status.h"
#include "platform/regular_file.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"
#include "tables/file_specs.h"
#include "texts/message_texts.h"

// ---------------------------------------------------------------------------
// The status display

namespace {

StatusDisplay* attachedWindow = nullptr;

}  // namespace

StatusDisplay::~StatusDisplay() = default;

void StatusDisplay::SetOwner(BaseDialog* owner, int closeAutomatically) {
    Owner = owner;
    CloseAutomatically = closeAutomatically;
}

void ConsoleStatusDisplay::AddMessage(const char* text) {
    const char* piece = text ? text : "";
    for (;;) {
        const char* end = std::strchr(piece, '\n');
        const size_t length = end ? static_cast<size_t>(end - piece) : std::strlen(piece);
        std::string_view cut(piece, length);
        while (!cut.empty() && cut.back() == '\r') cut.remove_suffix(1);
        TextString line(cut);
        ShowControlCharacters(line);
        Lines.Add(line.buffer);
        if (consoleEcho) {
            line.AppendChar('\n');
            std::fwrite(line.buffer, 1, static_cast<size_t>(line.length), stderr);
        }
        if (!end) break;
        piece = end + 1;
    }
    if (consoleEcho) std::fflush(stderr);
}

void ConsoleStatusDisplay::Clear() { Lines.Clear(); }

ConsoleStatusDisplay& TheConsoleStatus() {
    static ConsoleStatusDisplay console;
    return console;
}

StatusDisplay& TheStatusWindow() { return attachedWindow ? *attachedWindow : TheConsoleStatus(); }

void AttachStatusWindow(StatusDisplay* window) { attachedWindow = window; }

void StatusMessageCallback(const char* text) {
    TheRunStatus().NoteMessage(text ? text : "");
    TheStatusWindow().AddMessage(text);
}

// ---------------------------------------------------------------------------
// Finding files

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

bool FindFirstMatch(const TextString& path, bool filesOnly, TextString* name) {
    const std::string whole = path.str();
    const size_t slash = whole.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : whole.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? whole : whole.substr(slash + 1);
    if (pattern.empty()) return false;
    if (!HasWildcard(pattern.c_str())) {
        const PathKind kind = KindOfPath(whole);
        if (kind == PathKind::kMissing || (filesOnly && kind == PathKind::kDirectory)) return false;
        if (name) *name = TextString(std::string_view(pattern));
        return true;
    }
    FileSearch search;
    if (!search.Begin(directory, pattern)) return false;
    FoundFile entry;
    std::string best;
    bool found = false;
    while (search.Next(&entry)) {
        if (entry.name == "." || entry.name == ".." || (filesOnly && entry.isDirectory)) continue;
        int order = found ? ::strcasecmp(entry.name.c_str(), best.c_str()) : -1;
        if (order == 0) order = std::strcmp(entry.name.c_str(), best.c_str());
        if (order < 0) {
            best = entry.name;
            found = true;
        }
    }
    if (found && name) *name = TextString(std::string_view(best));
    return found;
}
