// RunStatus: whether the program's run has failed, the one place every
// failure and every error message feeds and the exit status is decided
// from.  A run has failed when a named file or wildcard found nothing, a
// file was not converted (refused, unreadable, a write or close failure),
// a message of class "ERROR: " or "PROGRAM ERROR: " was reported, or a
// named policy file, a policy include file or the link dictionary could
// not be read.  Other classes ("WARNING: ", "TAG ERROR: ", "POLICY: ",
// "INFO: ", "URL: ") leave it as it is, and so does whether a message is
// shown: every message is noted before any filter looks at it.
#pragma once

#include <string_view>

class RunStatus {
public:
    // A failure of the run, whatever was or was not reported about it.
    void NoteFailure() { failed_ = true; }
    // A message reported: an error class fails the run.
    void NoteMessage(std::string_view text);
    bool Failed() const { return failed_; }
    void Reset() { failed_ = false; }

    // Whether a message text is of class "ERROR: " or "PROGRAM ERROR: "
    // (the class word at its start).
    static bool IsErrorMessage(std::string_view text);

private:
    bool failed_ = false;
};

// The status of the program's run.
RunStatus& TheRunStatus();
