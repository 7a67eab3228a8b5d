#include "gui/toolkit.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/timer.h>

#include <cstdio>
#include <memory>

#include "gui/wx_text.h"
#include "platform/process_launch.h"

namespace {

// The time between asking the main loop to end and its end.
constexpr int kExitDelayMs = 10;
// How often the viewers the windows started are looked at, so that one that
// has ended is reaped rather than left a zombie until the next start.
constexpr int kReapIntervalMs = 2000;

class VendrelApp : public wxApp {
public:
    // The windows are made by the program, not by the application object.
    bool OnInit() override { return true; }
};

void LogAssertion(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message) {
    std::fprintf(stderr, "toolkit assertion failed (%s:%d, %s): %s %s\n", FromWx(file).c_str(), line,
                 FromWx(function).c_str(), FromWx(condition).c_str(), FromWx(message).c_str());
}

struct ToolkitState {
    bool started = false;
    std::unique_ptr<wxEventLoopBase> loop;
    std::unique_ptr<wxTimer> exitTimer;
    std::unique_ptr<wxTimer> reapTimer;
};

ToolkitState& State() {
    static ToolkitState state;
    return state;
}

// Ends the main loop when it fires.
class ExitTimer : public wxTimer {
public:
    void Notify() override {
        if (wxTheApp != nullptr) wxTheApp->ExitMainLoop();
    }
};

// Reaps the started viewers that have ended; never waits.
class ReapTimer : public wxTimer {
public:
    void Notify() override { ReapStartedPrograms(); }
};

}  // namespace

bool StartToolkit() {
    ToolkitState& state = State();
    if (state.started) return true;
    wxSetAssertHandler(LogAssertion);
    // The toolkit reports a display it cannot open through its log: not to
    // the user, who gets the program's own line instead.
    wxLog::EnableLogging(false);
    wxApp::SetInstance(new VendrelApp);
    static int argc = 1;
    static char name[] = "vendrel";
    static char* argv[] = {name, nullptr};
    const bool started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    wxLog::EnableLogging(true);
    if (!started) return false;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxTheApp->SetExitOnFrameDelete(true);
    state.loop.reset(wxTheApp->GetTraits()->CreateEventLoop());
    wxEventLoopBase::SetActive(state.loop.get());
    state.reapTimer = std::make_unique<ReapTimer>();
    state.reapTimer->Start(kReapIntervalMs);
    state.started = true;
    return true;
}

bool ToolkitStarted() { return State().started; }

void RunMainLoop() {
    if (!State().started) return;
    wxTheApp->OnRun();
    wxEventLoopBase::SetActive(State().loop.get());
}

void ExitMainLoopSoon() {
    ToolkitState& state = State();
    if (!state.started) return;
    if (!state.exitTimer) state.exitTimer = std::make_unique<ExitTimer>();
    state.exitTimer->StartOnce(kExitDelayMs);
}

void StopToolkit() {
    ToolkitState& state = State();
    if (!state.started) return;
    state.exitTimer.reset();
    state.reapTimer.reset();
    wxEventLoopBase::SetActive(nullptr);
    state.loop.reset();
    wxEntryCleanup();
    state.started = false;
}
