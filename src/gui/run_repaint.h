// Repainting while a conversion holds the user-interface thread.
//
// A run is single-threaded: the model converts inside the handler of the
// user's action (or inside the batch run), and the windows repaint only
// when the toolkit gets its turn.  The status window hands it that turn,
// at most every kRepaintInterval, not after each message: a yield costs far
// more than adding a line.  From the first repaint on every other window is
// disabled, and so is every control of the status window but its text, so
// nothing the user does can enter a model while it is busy.
//
// Two rules keep that from locking the user out:
// - the windows are enabled again when the handler that disabled them
//   returns (the innermost run scope open at the first repaint), not when
//   the outermost one does: a handler that opened a modal dialog returns
//   only when the dialog ends, and the dialog must stay usable till then;
// - a modal loop (a dialog, a message box, a chooser) opened during a run
//   suspends the run for its length (ModalPause): the windows disabled so
//   far are enabled, the dialog takes input, and what its own handlers do
//   is a run of its own.
#pragma once

#include <chrono>

class ModelWindow;

inline constexpr std::chrono::milliseconds kRepaintInterval{50};

// A run in progress: the user's action being handled by a model, or a batch
// run.  Scopes nest; the windows disabled inside a scope are enabled again
// when it ends.
class RunScope {
public:
    RunScope();
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    static bool Active();
};

// A modal loop inside a run: for as long as it lives no run is active, the
// windows disabled by the run are enabled, the status window takes input and
// the wait cursor is put away.  The run goes on when it ends.
class ModalPause {
public:
    ModalPause();
    ~ModalPause();
    ModalPause(const ModalPause&) = delete;
    ModalPause& operator=(const ModalPause&) = delete;

private:
    int depth_;
    int waitCursors_ = 0;
};

// Lets the toolkit repaint when kRepaintInterval has passed since the last
// time, inside a RunScope only.  On the first repaint of a run the other
// windows are disabled and `status` is frozen, keeping `keepId` (its text)
// enabled.
void RepaintDuringRun(ModelWindow& status, int keepId);

// Makes the status window's view repaint during runs: after each change of
// its message text, RepaintDuringRun keeping that text enabled.
void RepaintStatusDuringRuns(ModelWindow& status);

// `window` goes: a run in progress no longer unfreezes it.
void ForgetDuringRun(ModelWindow& window);

// Whether the run has disabled the windows (for tests).
bool RunDisabledWindows();

// How many times the toolkit was given its turn so far (for measuring).
long RepaintCount();
