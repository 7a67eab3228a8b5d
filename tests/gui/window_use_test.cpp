// The windows as a person uses them (Xvfb), with the desktop's own services:
// a modal dialog opened from the menu during a run ends on Close, on Escape
// and on its close box, and the main window takes the next command; the
// status window comes back where the user moved it; the file chooser starts
// where the program says.
#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "gui/desktop_services.h"
#include "gui/main_frame.h"
#include "gui/menu_bar_view.h"
#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "ui/main_window.h"
#include "ui/policy_file_dialogs.h"
#include "ui/status_window.h"

namespace {

namespace fs = std::filesystem;

// The desktop's services, remembering the modal dialog they run.
class WatchedDesktop : public DesktopServices {
public:
    int RunModal(DialogModel& dialog) override {
        running = &dialog;
        const int result = DesktopServices::RunModal(dialog);
        running = nullptr;
        return result;
    }
    DialogModel* running = nullptr;
};

// What ends the dialog.
enum class Ending { kCloseButton, kEscape, kCloseBox };

void Send(wxTopLevelWindow& window, int keyCode) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = keyCode;
    key.SetEventObject(&window);
    window.ProcessWindowEvent(key);
}

// A menu command as the menu bar reports it.
void ChooseFromMenu(MainFrame& frame, int command) {
    auto* window = static_cast<wxFrame*>(frame.View().Window());
    wxCommandEvent chosen(wxEVT_MENU, frame.MenuBar().ItemId(command));
    chosen.SetEventObject(window);
    window->ProcessWindowEvent(chosen);
}

TEST(WindowUseTest, ThePolicyFileDialogEndsEveryWayAfterALoadAndTheMainWindowGoesOn) {
    TempFolder folder{"window use"};
    ASSERT_TRUE(folder.Made());
    TheConsoleStatus().consoleEcho = false;
    // A file a time: typing the file loaded already loads nothing.
    std::vector<std::string> policies;
    for (const char* name : {"one.pol", "two.pol", "three.pol"}) {
        policies.push_back((folder / name).string());
        WriteWhole(policies.back(), "Default TABLE border size : 1\n");
    }
    WatchedDesktop desktop;
    MainWindow main(desktop, (folder / "settings").string());
    main.settings.displayToolTips = false;
    main.settings.displayStatusDialog = true;
    MainFrame frame(main);
    main.Show();
    ChooseFromMenu(frame, kCommandViewMessages);
    Pump(50);
    ASSERT_TRUE(frame.StatusView().Window()->IsShown());

    for (const Ending ending : {Ending::kCloseButton, Ending::kEscape, Ending::kCloseBox}) {
        SCOPED_TRACE(static_cast<int>(ending));
        const std::string& policy = policies[static_cast<size_t>(ending)];
        bool typed = false;
        bool usable = false;
        wxTimer user;
        user.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            auto* view =
                desktop.running == nullptr ? nullptr : dynamic_cast<ModelWindow*>(desktop.running->Observer());
            if (view == nullptr || view->Window() == nullptr || !view->Window()->IsShown()) return;
            wxTopLevelWindow& dialog = *view->Window();
            auto* combo = static_cast<wxComboBox*>(view->Widget(kPolicyFileCombo));
            if (!typed) {
                // The user types the name and presses Tab: the field loses
                // the focus and the file loads, its lines in the status
                // window.
                typed = true;
                combo->SetValue(ToWx(policy));
                wxFocusEvent left(wxEVT_KILL_FOCUS, combo->GetId());
                left.SetEventObject(combo);
                combo->ProcessWindowEvent(left);
                return;
            }
            user.Stop();
            // The load is over: the dialog takes input again.
            usable = dialog.IsEnabled() && view->Widget(kIdOk)->IsEnabled() && combo->IsEnabled();
            switch (ending) {
                case Ending::kCloseButton: Click(view->Widget(kIdOk)); break;
                case Ending::kEscape: Send(dialog, WXK_ESCAPE); break;
                case Ending::kCloseBox: dialog.Close(); break;
            }
        });
        user.Start(60);
        const long repaints = RepaintCount();
        ChooseFromMenu(frame, kCommandLoadPolicyFile);
        user.Stop();
        EXPECT_TRUE(typed);
        EXPECT_TRUE(usable) << "the dialog stayed disabled after the load";
        EXPECT_EQ(main.runPolicyFileName.str(), policy);
        EXPECT_GT(RepaintCount(), repaints) << "the load's status line let the windows repaint";
        // Control is back with the main window, which takes the next command.
        EXPECT_FALSE(RunDisabledWindows());
        EXPECT_TRUE(frame.View().Window()->IsEnabled());
        EXPECT_TRUE(frame.StatusView().Widget(kIdOk)->IsEnabled());
        const bool autoView = main.settings.autoDdeUpdates;
        ChooseFromMenu(frame, kCommandAutoViewResults);
        EXPECT_NE(main.settings.autoDdeUpdates, autoView);
    }
    AttachStatusWindow(nullptr);
}

// A person types a policy file's name into the main window's field and
// clicks "Convert File(s)..." at once: the button takes the focus as it is
// pressed, the file loads (its lines in the status window) once the button
// is released, and the click converts with the file's policies.
TEST(WindowUseTest, TheClickThatLeavesThePolicyFieldConvertsWithTheFileLoaded) {
    TempFolder folder{"click after field"};
    ASSERT_TRUE(folder.Made());
    TheConsoleStatus().consoleEcho = false;
    WriteWhole(folder / "a.txt", "Name    Age\nAnn     31\nBob     45\n");
    WriteWhole(folder / "border.pol", "Default TABLE border size : 5\n");
    DesktopServices desktop;
    MainWindow main(desktop, (folder / "settings").string());
    main.settings.displayToolTips = false;
    main.settings.displayStatusDialog = true;
    main.settings.autoDdeUpdates = false;
    main.settings.autoDismissStatusDialog = false;
    MainFrame frame(main);
    main.Show();
    wxTopLevelWindow* window = frame.View().Window();
    // Clear of the status window, which shows at the desktop's far corner.
    window->Move(0, 0);
    Pump(200);
    {
        const RunScope run;
        main.Dialog().SetControlText(MainWindow::kFileSpecCombo, (folder / "a.txt").c_str());
        main.Dialog().Notify(MainWindow::kFileSpecCombo, NotifyEvent::kFocusLost);
    }
    auto* policy = static_cast<wxComboBox*>(frame.View().Widget(MainWindow::kPolicyCombo));
    policy->SetFocus();
    policy->SetValue(ToWx((folder / "border.pol").string()));
    Pump(100);
    wxWindow* convert = frame.View().Widget(MainWindow::kConvertButton);
    wxUIActionSimulator user;
    user.MouseMove(convert->GetScreenRect().GetPosition() + wxPoint(8, 8));
    Pump(100);
    user.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(folder / "a.html"); }, 5000)) << "the click was lost";
    EXPECT_EQ(main.runPolicyFileName.str(), (folder / "border.pol").string());
    EXPECT_NE(ReadWhole(folder / "a.html").find("BORDER=5"), std::string::npos);
    EXPECT_FALSE(desktop.HasFieldWork());
    EXPECT_FALSE(RunDisabledWindows());
    EXPECT_TRUE(window->IsEnabled());
    AttachStatusWindow(nullptr);
}

TEST(WindowUseTest, TheStatusWindowComesBackWhereTheUserLeftIt) {
    TempFolder folder{"status place"};
    ASSERT_TRUE(folder.Made());
    DesktopServices desktop;
    MainDialog owner(desktop, (folder / "settings").string());
    StatusWindow status(desktop);
    status.SetOwner(&owner, 0);
    ModelWindow view(status, StatusWindowLayout(), WindowFrame::kWindow);
    status.CreateWindow();
    status.Show();
    Pump(50);
    wxTopLevelWindow* window = view.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->GetIcons().GetIcon(wxSize(32, 32)).IsOk());
    // Moved by the user: through its window, not its model.
    const wxPoint left(137, 91);
    window->Move(left);
    Pump(50);
    window->Close();
    EXPECT_FALSE(status.IsShown());
    EXPECT_EQ(owner.settings.windowPositions[kStatusLeft], left.x);
    EXPECT_EQ(owner.settings.windowPositions[kStatusTop], left.y);
    status.Show();
    Pump(50);
    EXPECT_EQ(window->GetPosition(), left);
    status.DestroyWindow();
}

// A message box is as wide as its title needs (the frame would cut it), and
// Escape answers as the desktop's boxes do: OK, or No to a question.
TEST(WindowUseTest, AMessageBoxShowsItsWholeTitleAndEscapeNeverAnswersYes) {
    DesktopServices desktop;
    wxFrame owner(nullptr, wxID_ANY, "owner");
    owner.Show();
    Pump(50);
    constexpr char kCaption[] = "Reset to defaults";
    const struct {
        MessageButtons buttons;
        int defaultButton;
        MessageAnswer escape;
    } cases[] = {
        {MessageButtons::kOk, 1, MessageAnswer::kOk},
        {MessageButtons::kYesNo, 1, MessageAnswer::kNo},
        {MessageButtons::kYesNo, 2, MessageAnswer::kNo},
    };
    for (const auto& c : cases) {
        int boxWidth = 0;
        int titleWidth = 0;
        wxTimer timer;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            for (wxWindow* window : wxTopLevelWindows) {
                auto* box = dynamic_cast<wxDialog*>(window);
                if (box == nullptr || !box->IsModal() || box->GetTitle() != kCaption) continue;
                timer.Stop();
                boxWidth = box->GetClientSize().GetWidth();
                const wxFont bold = box->GetFont().Bold();
                box->GetTextExtent(kCaption, &titleWidth, nullptr, nullptr, nullptr, &bold);
                Send(*box, WXK_ESCAPE);
                return;
            }
        });
        timer.Start(50);
        const MessageAnswer answer =
            desktop.ShowMessage(kCaption, "Done", c.buttons, MessageIcon::kExclamation, c.defaultButton);
        timer.Stop();
        EXPECT_EQ(answer, c.escape) << static_cast<int>(c.buttons) << " " << c.defaultButton;
        EXPECT_GT(titleWidth, 0);
        EXPECT_GT(boxWidth, titleWidth) << "the box is narrower than its title";
    }
}

// The window acting owns what its action opens, the innermost first; one
// deleted meanwhile (a sheet closed by the action) owns nothing.
TEST(WindowUseTest, TheActingWindowIsTheInnermostThatStillExists) {
    EXPECT_EQ(ActingWindow::Current(), nullptr);
    wxFrame main(nullptr, wxID_ANY, "main");
    {
        const ActingWindow outer(&main);
        auto* sheet = new wxFrame(nullptr, wxID_ANY, "sheet");
        {
            const ActingWindow inner(sheet);
            EXPECT_EQ(ActingWindow::Current(), sheet);
            delete sheet;
            EXPECT_EQ(ActingWindow::Current(), &main);
        }
        EXPECT_EQ(ActingWindow::Current(), &main);
    }
    EXPECT_EQ(ActingWindow::Current(), nullptr);
}

TEST(WindowUseTest, TheFileChooserStartsInTheFolderTheProgramGivesUnderItsTitle) {
    TempFolder folder{"chooser start"};
    ASSERT_TRUE(folder.Made());
    const std::string start = folder.Path().string();
    const char* filter = "Text files (*.txt)|*.txt|All files (*.*)|*.*||";
    struct Case {
        FileChooserKind kind;
        std::string path;
        const char* title;
        std::string name;
        std::string caption;
    };
    const Case cases[] = {
        {FileChooserKind::kOpenSeveral, start + "/*.txt", "", "", "Vendrel"},
        {FileChooserKind::kOpen, start + "/notes.pol", "Load policy file", "notes.pol", "Load policy file"},
        {FileChooserKind::kSave, start + "/run.log", "", "run.log", "Vendrel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::unique_ptr<wxFileDialog> chooser =
            DesktopServices::MakeFileChooser(nullptr, c.kind, c.title, filter, TextString(c.path.c_str()));
        EXPECT_EQ(FromWx(chooser->GetDirectory()), start);
        if (c.kind != FileChooserKind::kOpenSeveral) {
            EXPECT_EQ(FromWx(chooser->GetFilename()), c.name);
        }
        EXPECT_EQ(FromWx(chooser->GetMessage()), c.caption);
        // The program asks before it replaces a file; the chooser does not.
        EXPECT_FALSE(chooser->HasFlag(wxFD_OVERWRITE_PROMPT));
        EXPECT_EQ(chooser->HasFlag(wxFD_MULTIPLE), c.kind == FileChooserKind::kOpenSeveral);
    }
}

}  // namespace
