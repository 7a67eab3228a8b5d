// The graphical front end as the start-up code sees it, and the decision
// between the windows and the console.
//
// The program's entry installs a front end when one is built (app/main.cpp):
// a stand-in that loads the front end's module at the first Start
// (app/front_end_module.h).  The start-up code (app/batch_mode) asks it for
// windows only when a display is there, and only when a window is wanted: a
// batch run that shows no window never loads the toolkit.  Without a front end, without a display,
// or when the toolkit cannot open the display, the program behaves as the
// batch program: the usage text and one line that no window is available.
#pragma once

#include <memory>

#include "app/base_dialog.h"
#include "app/ui_services.h"

class FrontEnd {
public:
    virtual ~FrontEnd();

    // Whether this front end has the main window.
    virtual bool HasMainWindow() const = 0;
    // The program's dialog when a display is there: one the main window can
    // be shown over later, its status lines on the console until a window
    // shows them.  Null for the plain data half.  Starts no toolkit.
    virtual std::unique_ptr<MainDialog> MakeMainDialog(UiServices& /*services*/) { return nullptr; }
    // `dialog` is about to go: every window over it goes first.
    virtual void DialogEnding(MainDialog& /*dialog*/) {}
    // Starts the toolkit on the display; true when it runs (also when it ran
    // already).  A failure shows the user nothing: the caller goes on as
    // without a display.
    virtual bool Start() = 0;
    // The desktop's message boxes and choosers (after Start).
    virtual UiServices& Services() = 0;
    // Makes a status window the run's status display, owned by `owner`, for
    // as long as the front end lives (after Start).
    virtual void AttachStatusWindow(BaseDialog& owner) = 0;
    // A run outside any window's event (a batch run) begins and ends: while
    // it runs the windows repaint but take no input.
    virtual void RunBegins() {}
    virtual void RunEnds() {}
    // Runs the main window over `dialog` until the user closes it; returns
    // the exit status of the session (after Start).
    virtual int RunMainWindow(MainDialog& dialog) = 0;
};

// The installed front end, or null; the caller keeps it alive.
void InstallFrontEnd(FrontEnd* frontEnd);
FrontEnd* InstalledFrontEnd();

// Whether a graphical display is there: either display variable set and not
// empty.
bool DisplayPresent(const char* x11Display, const char* waylandDisplay);
// The same, read from the environment (DISPLAY, WAYLAND_DISPLAY).
bool DisplayPresentInEnvironment();

// The services that go to the console until the windows take over: every
// call is passed to the current target.
class SwitchingUiServices : public UiServices {
public:
    explicit SwitchingUiServices(UiServices& target) : target_(&target) {}
    void SwitchTo(UiServices& target) { target_ = &target; }
    UiServices& Target() const { return *target_; }

    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons = MessageButtons::kOk,
                              MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) override {
        return target_->ShowMessage(caption, text, buttons, icon, defaultButton);
    }
    bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) override {
        return target_->ChooseFile(forSaving, title, filter, path);
    }
    bool ChooseFileOnEntry(bool forSaving, const char* title, const char* filter, int entry,
                           TextString& path) override {
        return target_->ChooseFileOnEntry(forSaving, title, filter, entry, path);
    }
    bool ChooseFolder(const char* title, TextString& path) override { return target_->ChooseFolder(title, path); }
    bool ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) override {
        return target_->ChooseFiles(title, filter, paths);
    }
    bool ChooseColour(PlatformColour& colour) override { return target_->ChooseColour(colour); }
    bool ChooseFont(FontChoice& font) override { return target_->ChooseFont(font); }
    bool SetClipboardText(const char* text) override { return target_->SetClipboardText(text); }
    DesktopSize GetDesktopSize() override { return target_->GetDesktopSize(); }
    void BeginWaitCursor() override { target_->BeginWaitCursor(); }
    void EndWaitCursor() override { target_->EndWaitCursor(); }
    int RunModal(DialogModel& dialog) override { return target_->RunModal(dialog); }
    void AfterFocusChange(const std::function<void()>& step) override { target_->AfterFocusChange(step); }

private:
    UiServices* target_;
};

// What the start-up code may use of the windows: the front end when a
// display is there (null otherwise), and the services to hand over to it
// once a window opens.
struct GraphicalDesktop {
    FrontEnd* frontEnd = nullptr;
    SwitchingUiServices* services = nullptr;
    // Whether a display is set at all: without one the program says so,
    // rather than that the window cannot open.
    bool displaySet = true;

    // Starts the front end for a window; false (nothing started) without a
    // front end or when the toolkit cannot start.
    bool StartWindows();
    // StartWindows for the main window: also needs the front end to have it.
    // On success the services go to the desktop's from here on.
    bool StartMainWindow();
};
