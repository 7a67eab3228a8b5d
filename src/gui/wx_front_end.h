// The front end with wxWidgets: what the start-up code asks of the windows
// (app/front_end.h), built on the toolkit.  Nothing of the toolkit starts
// before Start: a batch run that shows no window never touches it.
#pragma once

#include <functional>
#include <memory>

#include "app/front_end.h"
#include "gui/desktop_services.h"

class MainFrame;
class ModelWindow;
class RunScope;
class StatusWindow;

class WxFrontEnd : public FrontEnd {
public:
    WxFrontEnd();
    ~WxFrontEnd() override;
    WxFrontEnd(const WxFrontEnd&) = delete;
    WxFrontEnd& operator=(const WxFrontEnd&) = delete;

    bool HasMainWindow() const override { return true; }
    // The main window's model (no window yet), the console showing the
    // status lines until a window does.
    std::unique_ptr<MainDialog> MakeMainDialog(UiServices& services) override;
    void DialogEnding(MainDialog& dialog) override;
    bool Start() override;
    UiServices& Services() override { return services_; }
    // Makes a status window the run's status display, its window repainting
    // during a run: the main window's when `owner` is one, else one of the
    // front end's own (created once).
    void AttachStatusWindow(BaseDialog& owner) override;
    void RunBegins() override;
    void RunEnds() override;
    // Shows the main window over `dialog` (made by MakeMainDialog) and runs
    // the main loop until the user closes it.  A dialog of another kind
    // cannot be shown: the usage status.
    int RunMainWindow(MainDialog& dialog) override;

    // The main window's frame while RunMainWindow runs, else null.
    MainFrame* Frame() const { return frame_; }
    // Called with the frame once the main window is shown (window tests
    // drive it from here).
    std::function<void(MainFrame&)> onMainWindowShown;

private:
    DesktopServices services_;
    std::unique_ptr<StatusWindow> status_;
    std::unique_ptr<ModelWindow> statusView_;
    std::unique_ptr<RunScope> run_;
    MainFrame* frame_ = nullptr;
    // Whether Start started the toolkit (and so the front end stops it).
    bool startedHere_ = false;
};
