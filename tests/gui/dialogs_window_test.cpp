// The policy-file dialogs and the About box as windows on a real display
// (Xvfb): each opens from its description and ends with OK and with Cancel
// as its model says.
#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/base_dialog.h"
#include "gui/desktop_services.h"
#include "gui/model_window.h"
#include "gui_test_support.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "ui/about_dialog.h"
#include "ui/policy_file_dialogs.h"

namespace {

// Runs `dialog` modally on the desktop and, once its window is up, ends it
// the way `end` does; returns the id the run ended with.
int RunAndEnd(DesktopServices& desktop, DialogModel& dialog, const std::function<void(ModelWindow&)>& end) {
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        auto* window = dynamic_cast<ModelWindow*>(dialog.Observer());
        if (window == nullptr || window->Window() == nullptr || !window->Window()->IsShown()) return;
        timer.Stop();
        end(*window);
    });
    timer.Start(50);
    return desktop.RunModal(dialog);
}

void PressOk(ModelWindow& window) { Click(window.Widget(kIdOk)); }
void PressCancel(ModelWindow& window) { Click(window.Widget(kIdCancel)); }
void CloseBox(ModelWindow& window) { window.Window()->Close(); }

TEST(DialogWindowsTest, EachOpensAndEndsWithOkAndWithCancel) {
    TempFolder temp{"dialog windows"};
    ASSERT_TRUE(temp.Made());
    DesktopServices desktop;
    MainDialog owner(desktop, (temp / "settings").string());
    owner.settings.displayToolTips = false;
    owner.runPolicyFileName = (temp / "window.pol").c_str();

    {
        PolicyFileDialog dialog(owner);
        EXPECT_EQ(RunAndEnd(desktop, dialog, PressOk), kIdOk);  // "Close"
        EXPECT_EQ(RunAndEnd(desktop, dialog, CloseBox), kIdCancel);
    }
    {
        SavePolicyDialog dialog(owner);
        EXPECT_EQ(RunAndEnd(desktop, dialog, PressOk), kIdOk);  // "Save" writes the file
        EXPECT_TRUE(std::filesystem::exists(temp / "window.pol"));
        EXPECT_EQ(RunAndEnd(desktop, dialog, PressCancel), kIdCancel);
    }
    {
        AboutDialog dialog(owner);
        EXPECT_EQ(RunAndEnd(desktop, dialog, PressOk), kIdOk);
        EXPECT_EQ(RunAndEnd(desktop, dialog, CloseBox), kIdCancel);
    }
}

// Return in the file name field of "Save policies to file" saves, as Save
// does: Save is the dialog's default button.
TEST(DialogWindowsTest, ReturnInTheSaveDialogSaves) {
    TempFolder temp{"save on return"};
    ASSERT_TRUE(temp.Made());
    DesktopServices desktop;
    MainDialog owner(desktop, (temp / "settings").string());
    owner.settings.displayToolTips = false;
    owner.runPolicyFileName = (temp / "return.pol").c_str();
    SavePolicyDialog dialog(owner);
    const int result = RunAndEnd(desktop, dialog, [&](ModelWindow& window) {
        window.Widget(kSavePolicyFileName)->SetFocus();
        wxUIActionSimulator user;
        user.Char(WXK_RETURN);
        // Return that does nothing leaves the dialog to Cancel.
        if (!PumpUntil([&] { return dialog.IsEnded(); }, 2000)) PressCancel(window);
    });
    EXPECT_EQ(result, kIdOk);
    EXPECT_TRUE(std::filesystem::exists(temp / "return.pol"));
}

}  // namespace
