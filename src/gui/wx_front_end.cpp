#include "gui/wx_front_end.h"

#include "app/base_dialog.h"
#include "app/batch_mode.h"
#include "app/conversion_run.h"
#include "gui/front_end_module.h"
#include "gui/main_frame.h"
#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/toolkit.h"
#include "ui/main_window.h"
#include "ui/status_window.h"
#include "ui/window_layout.h"

WxFrontEnd::WxFrontEnd() = default;

WxFrontEnd::~WxFrontEnd() {
    run_.reset();
    // The status window detaches itself from the run as it goes.
    statusView_.reset();
    status_.reset();
    if (startedHere_) StopToolkit();
}

std::unique_ptr<MainDialog> WxFrontEnd::MakeMainDialog(UiServices& services) {
    return MakeMainWindowModel(services);
}

void WxFrontEnd::DialogEnding(MainDialog& dialog) {
    auto* main = dynamic_cast<MainWindow*>(&dialog);
    if (main != nullptr && statusView_ && &statusView_->Model() == &main->Status()) statusView_.reset();
}

bool WxFrontEnd::Start() {
    if (ToolkitStarted()) return true;
    startedHere_ = StartToolkit();
    return startedHere_;
}

void WxFrontEnd::AttachStatusWindow(BaseDialog& owner) {
    if (!ToolkitStarted()) return;
    StatusWindow* status = nullptr;
    if (auto* main = dynamic_cast<MainWindow*>(&owner)) {
        status = &main->Status();
    } else {
        if (!status_) status_ = std::make_unique<StatusWindow>(services_);
        status = status_.get();
    }
    if (!statusView_ || &statusView_->Model() != status) {
        statusView_ = std::make_unique<ModelWindow>(*status, StatusWindowLayout(), WindowFrame::kWindow);
        RepaintStatusDuringRuns(*statusView_);
    }
    status->CreateWindow();
    ::AttachStatusWindow(status);
    status->SetOwner(&owner, owner.settings.autoDismissStatusDialog ? 1 : 0);
}

void WxFrontEnd::RunBegins() {
    if (!run_) run_ = std::make_unique<RunScope>();
}

void WxFrontEnd::RunEnds() { run_.reset(); }

int WxFrontEnd::RunMainWindow(MainDialog& dialog) {
    auto* main = dynamic_cast<MainWindow*>(&dialog);
    if (main == nullptr || !ToolkitStarted()) return kExitNoWindow;
    // The main frame has a status view of its own.
    statusView_.reset();
    ::AttachStatusWindow(&main->Status());
    {
        MainFrame frame(*main);
        frame.onClosed = [] { ExitMainLoopSoon(); };
        frame_ = &frame;
        main->Show();
        if (onMainWindowShown) onMainWindowShown(frame);
        RunMainLoop();
        frame_ = nullptr;
    }
    ::AttachStatusWindow(nullptr);
    return kExitConverted;
}
