#include "foundation/run_status.h"

bool RunStatus::IsErrorMessage(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    text.remove_prefix(start);
    return text.starts_with("ERROR: ") || text.starts_with("PROGRAM ERROR: ");
}

void RunStatus::NoteMessage(std::string_view text) {
    if (IsErrorMessage(text)) failed_ = true;
}

RunStatus& TheRunStatus() {
    static RunStatus status;
    return status;
}
