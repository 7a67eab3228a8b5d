#include "gui/run_repaint.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <memory>

#include "gui/model_window.h"
#include "ui/status_window.h"

namespace {

struct RunState {
    int depth = 0;
    std::chrono::steady_clock::time_point lastRepaint{};
    std::unique_ptr<wxWindowDisabler> disabler;
    ModelWindow* frozen = nullptr;
    long repaints = 0;
};

RunState& State() {
    static RunState state;
    return state;
}

}  // namespace

RunScope::RunScope() { ++State().depth; }

RunScope::~RunScope() {
    RunState& state = State();
    if (--state.depth > 0) return;
    state.disabler.reset();
    if (state.frozen != nullptr) state.frozen->SetFrozen(false);
    state.frozen = nullptr;
}

bool RunScope::Active() { return State().depth > 0; }

void RepaintDuringRun(ModelWindow& status, int keepId) {
    RunState& state = State();
    if (state.depth == 0 || wxTheApp == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - state.lastRepaint < kRepaintInterval) return;
    if (!state.disabler) {
        state.disabler = std::make_unique<wxWindowDisabler>(status.Window());
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

long RepaintCount() { return State().repaints; }

void RepaintStatusDuringRuns(ModelWindow& status) {
    status.afterControlChanged = [&status](int id) {
        if (id == StatusWindow::kMessageEdit) RepaintDuringRun(status, StatusWindow::kMessageEdit);
    };
}
