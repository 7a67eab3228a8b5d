// The renderer on a real display (Xvfb): the model's state reaches the
// widgets without echoing back, the user's actions reach the model, and a
// run freezes the windows while the status window repaints.
#include "gui/model_window.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <string>

#include "gui/desktop_services.h"
#include "gui/run_repaint.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "texts/dialog_ids.h"
#include "ui/scripted_services.h"
#include "ui/status_window.h"
#include "ui/window_layout.h"

namespace {

class ModelWindowTest : public testing::Test {
protected:
    ScriptedUiServices services;
    StatusWindow status{services};
    ModelWindow view{status, StatusWindowLayout(), WindowFrame::kDialog};

    void SetUp() override {
        RepaintStatusDuringRuns(view);
        status.CreateWindow();
        status.ShowWindow();
        ASSERT_NE(view.Window(), nullptr);
    }
    wxTextCtrl* Edit() const { return static_cast<wxTextCtrl*>(view.Widget(StatusWindow::kMessageEdit)); }
};

TEST_F(ModelWindowTest, TheModelsChangesReachTheWidgetsWithoutEchoing) {
    int echoes = 0;
    status.On(StatusWindow::kMessageEdit, NotifyEvent::kTextChanged, [&] { ++echoes; });
    status.AddMessage("first line");
    status.AddMessage("second\nthird");
    EXPECT_EQ(FromWx(Edit()->GetValue()), status.Text.str());
    EXPECT_EQ(Edit()->GetInsertionPoint(), Edit()->GetLastPosition());
    status.Clear();
    EXPECT_EQ(FromWx(Edit()->GetValue()), "");
    EXPECT_EQ(echoes, 0);

    // A label's "&" is a character, not an access key.
    status.SetControlText(StatusWindow::kCloseAutomaticallyCheck, "Drag & Drop-Eigenschaften");
    auto* check = static_cast<wxCheckBox*>(view.Widget(StatusWindow::kCloseAutomaticallyCheck));
    EXPECT_EQ(FromWx(check->GetLabelText()), "Drag & Drop-Eigenschaften");
    status.SetCaption("Statusfönster");
    EXPECT_EQ(FromWx(view.Window()->GetTitle()), "Statusfönster");

    status.EnableControl(StatusWindow::kSaveButton, false);
    EXPECT_FALSE(view.Widget(StatusWindow::kSaveButton)->IsEnabled());
    status.SetToolTip(StatusWindow::kClearButton, "Empties the text");
    EXPECT_EQ(FromWx(view.Widget(StatusWindow::kClearButton)->GetToolTipText()), "Empties the text");
}

TEST_F(ModelWindowTest, TheUsersActionsReachTheModelAsTheHeadlessScriptsDo) {
    // The same actions headless, through the model alone.
    ScriptedUiServices headlessServices;
    StatusWindow headless(headlessServices);
    headless.CreateWindow();
    headless.AddMessage("a line");
    headless.SetChecked(StatusWindow::kCloseAutomaticallyCheck, true);
    headless.Notify(StatusWindow::kCloseAutomaticallyCheck, NotifyEvent::kClicked);
    headless.Notify(StatusWindow::kClearButton, NotifyEvent::kClicked);

    status.AddMessage("a line");
    auto* check = static_cast<wxCheckBox*>(view.Widget(StatusWindow::kCloseAutomaticallyCheck));
    check->SetValue(true);
    Click(check);
    Click(view.Widget(StatusWindow::kClearButton));

    EXPECT_EQ(status.Text.str(), headless.Text.str());
    EXPECT_EQ(status.Lines.count, headless.Lines.count);
    EXPECT_EQ(status.CloseAutomatically, headless.CloseAutomatically);
    EXPECT_EQ(status.IsChecked(StatusWindow::kCloseAutomaticallyCheck), true);

    // Typing into an edit writes the text into the control and notifies.
    int typed = 0;
    status.On(StatusWindow::kMessageEdit, NotifyEvent::kTextChanged, [&] { ++typed; });
    Edit()->SetValue("typed");
    EXPECT_EQ(status.ControlText(StatusWindow::kMessageEdit), std::string("typed"));
    EXPECT_EQ(typed, 1);

    // Close hides the window, as the model says.
    Click(view.Widget(kIdOk));
    EXPECT_FALSE(status.IsShown());
    EXPECT_FALSE(view.Window()->IsShown());
}

TEST_F(ModelWindowTest, ARunFreezesTheWindowsAndTheStatusWindowStillRepaints) {
    auto* other = new wxFrame(nullptr, wxID_ANY, "other");
    other->Show();
    const long before = RepaintCount();
    {
        RunScope run;
        for (int i = 0; i < 40; ++i) {
            status.AddMessage(("message " + std::to_string(i)).c_str());
            wxMilliSleep(5);
        }
        // Repainted, but not after each message.
        EXPECT_GT(RepaintCount(), before);
        EXPECT_LT(RepaintCount() - before, 40);
        EXPECT_FALSE(other->IsEnabled());
        for (int id : {StatusWindow::kSaveButton, StatusWindow::kClearButton, kIdOk,
                       StatusWindow::kCloseAutomaticallyCheck}) {
            EXPECT_FALSE(view.Widget(id)->IsEnabled()) << id;
        }
        EXPECT_TRUE(Edit()->IsEnabled());
        // The close box is refused while the run lasts.
        view.Window()->Close();
        EXPECT_TRUE(status.IsShown());
    }
    EXPECT_TRUE(other->IsEnabled());
    EXPECT_TRUE(view.Widget(kIdOk)->IsEnabled());
    EXPECT_EQ(FromWx(Edit()->GetValue()), status.Text.str());
    other->Destroy();
}

TEST_F(ModelWindowTest, AModalRunEndsWhenTheModelEndsTheDialog) {
    status.DestroyWindow();
    DesktopServices desktop;
    wxTimer press;
    press.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        // The modal run's own window: found through the model's observer.
        auto* window = dynamic_cast<ModelWindow*>(status.Observer());
        if (window == nullptr || window->Widget(kIdOk) == nullptr) return;
        press.Stop();
        Click(window->Widget(kIdOk));
    });
    press.Start(50);
    EXPECT_EQ(desktop.RunModal(status), kIdOk);
    EXPECT_FALSE(status.HasWindow());
    EXPECT_FALSE(status.IsModalRun());
    EXPECT_EQ(status.Observer(), &view);
}

TEST(ToolkitTest, AFailedAssertionIsLoggedAndTheProgramGoesOn) {
    testing::internal::CaptureStderr();
    wxFAIL_MSG("a test of the assertion handler");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("a test of the assertion handler"), std::string::npos) << err;
}

}  // namespace
