#include "gui/run_repaint.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <memory>

#include "gui/model_window.h"
#include "ui/status_window.h"

namespace {

// No scope disabled the windows.
constexpr int kNotDisabled = 0;

struct RunState {
    int depth = 0;
    // The depth of the scope in which the windows were disabled: its end
    // enables them again.
    int disabledAt = kNotDisabled;
    std::chrono::steady_clock::time_point lastRepaint{};
    std::unique_ptr<wxWindowDisabler> disabler;
    ModelWindow* frozen = nullptr;
    long repaints = 0;
};

RunState& State() {
    static RunState state;
    return state;
}

// Enables what the run disabled.
void EndDisabling(RunState& state) {
    state.disabler.reset();
    if (state.frozen != nullptr) state.frozen->SetFrozen(false);
    state.frozen = nullptr;
    state.disabledAt = kNotDisabled;
}

}  // namespace

RunScope::RunScope() { ++State().depth; }

RunScope::~RunScope() {
    RunState& state = State();
    if (state.disabledAt != kNotDisabled && state.depth <= state.disabledAt) EndDisabling(state);
    --state.depth;
}

bool RunScope::Active() { return State().depth > 0; }

ModalPause::ModalPause() : depth_(State().depth) {
    RunState& state = State();
    EndDisabling(state);
    state.depth = 0;
    // The dialog waits for the user, not the user for the program.
    for (; wxIsBusy(); ++waitCursors_) wxEndBusyCursor();
}

ModalPause::~ModalPause() {
    RunState& state = State();
    // Whatever the dialog's own handlers disabled ended with them.
    EndDisabling(state);
    state.depth = depth_;
    for (int i = 0; i < waitCursors_; ++i) wxBeginBusyCursor();
}

void RepaintDuringRun(ModelWindow& status, int keepId) {
    RunState& state = State();
    if (state.depth == 0 || wxTheApp == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - state.lastRepaint < kRepaintInterval) return;
    if (!state.disabler) {
        state.disabler = std::make_unique<wxWindowDisabler>(status.Window());
        state.disabledAt = state.depth;
        state.frozen = &status;
        status.SetFrozen(true, keepId);
    }
    // Only what the toolkit has waiting: no user input reaches a disabled
    // window.
    wxTheApp->Yield(true);
    ++state.repaints;
    state.lastRepaint = std::chrono::steady_clock::now();
}

void ForgetDuringRun(ModelWindow& window) {
    if (State().frozen == &window) State().frozen = nullptr;
}

bool RunDisabledWindows() { return State().disabler != nullptr; }

long RepaintCount() { return State().repaints; }

void RepaintStatusDuringRuns(ModelWindow& status) {
    status.afterControlChanged = [&status](int id) {
        if (id == StatusWindow::kMessageEdit) RepaintDuringRun(status, StatusWindow::kMessageEdit);
    };
}
