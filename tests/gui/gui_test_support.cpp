#include "gui_test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include "gui/toolkit.h"

namespace {

// The window tests need the toolkit: it starts once, on the display the
// test command gives (Xvfb), and stops when every test has run.
class ToolkitEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(StartToolkit()) << "no display: the window tests run under Xvfb"; }
    void TearDown() override { StopToolkit(); }
};

const testing::Environment* const kToolkit = testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace

void Pump(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
    wxStopWatch watch;
    while (!done()) {
        if (watch.Time() >= milliseconds) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

void Click(wxWindow* widget) {
    ASSERT_NE(widget, nullptr);
    wxEventType type = wxEVT_BUTTON;
    auto* check = dynamic_cast<wxCheckBox*>(widget);
    if (check != nullptr) type = wxEVT_CHECKBOX;
    wxCommandEvent event(type, widget->GetId());
    event.SetEventObject(widget);
    if (check != nullptr) event.SetInt(check->GetValue() ? 1 : 0);
    widget->ProcessWindowEvent(event);
}
