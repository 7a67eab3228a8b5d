// The front end with wxWidgets: what the start-up code asks of the windows
// (app/front_end.h), built on the toolkit.  Nothing of the toolkit starts
// before Start: a batch run that shows no window never touches it.
#pragma once

#include <memory>

#include "app/front_end.h"
#include "gui/desktop_services.h"

class ModelWindow;
class RunScope;
class StatusWindow;

class WxFrontEnd : public FrontEnd {
public:
    WxFrontEnd();
    ~WxFrontEnd() override;
    WxFrontEnd(const WxFrontEnd&) = delete;
    WxFrontEnd& operator=(const WxFrontEnd&) = delete;

    bool HasMainWindow() const override { return false; }
    bool Start() override;
    UiServices& Services() override { return services_; }
    // Makes the status window (created once) the run's status display; its
    // window repaints during a run.
    void AttachStatusWindow(BaseDialog& owner) override;
    void RunBegins() override;
    void RunEnds() override;
    // The main window is not part of this front end yet: nothing opens and
    // the status is the one of a start without a window.
    int RunMainWindow(MainDialog& dialog) override;

    StatusWindow* Status() const { return status_.get(); }
    ModelWindow* StatusView() const { return statusView_.get(); }

private:
    DesktopServices services_;
    std::unique_ptr<StatusWindow> status_;
    std::unique_ptr<ModelWindow> statusView_;
    std::unique_ptr<RunScope> run_;
};
