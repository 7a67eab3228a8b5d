// Repainting while a conversion holds the user-interface thread.
//
// A run is single-threaded: the model converts inside the handler of the
// user's action (or inside the batch run), and the windows repaint only
// when the toolkit gets its turn.  The status window hands it that turn,
// at most every kRepaintInterval, not after each message: a yield costs far
// more than adding a line.  For the run's length every other window is
// disabled, and so is every control of the status window but its text, so
// nothing the user does can enter a model while it is busy.
#pragma once

#include <chrono>

class ModelWindow;

inline constexpr std::chrono::milliseconds kRepaintInterval{50};

// A run in progress: the user's action being handled by a model, or a batch
// run.  Scopes nest; the outermost one ends the run, enabling the windows
// again.
class RunScope {
public:
    RunScope();
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    static bool Active();
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

// How many times the toolkit was given its turn so far (for measuring).
long RepaintCount();
