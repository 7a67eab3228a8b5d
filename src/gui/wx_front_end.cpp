#include "gui/wx_front_end.h"

#include "app/base_dialog.h"
#include "app/batch_mode.h"
#include "app/conversion_run.h"
#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/toolkit.h"
#include "ui/status_window.h"
#include "ui/window_layout.h"

WxFrontEnd::WxFrontEnd() = default;

WxFrontEnd::~WxFrontEnd() {
    run_.reset();
    // The status window detaches itself from the run as it goes.
    statusView_.reset();
    status_.reset();
    StopToolkit();
}

bool WxFrontEnd::Start() { return StartToolkit(); }

void WxFrontEnd::AttachStatusWindow(BaseDialog& owner) {
    if (!ToolkitStarted()) return;
    if (!status_) {
        status_ = std::make_unique<StatusWindow>(services_);
        statusView_ = std::make_unique<ModelWindow>(*status_, StatusWindowLayout(), WindowFrame::kDialog);
        RepaintStatusDuringRuns(*statusView_);
        status_->CreateWindow();
    }
    ::AttachStatusWindow(status_.get());
    status_->SetOwner(&owner, owner.settings.autoDismissStatusDialog ? 1 : 0);
}

void WxFrontEnd::RunBegins() {
    if (!run_) run_ = std::make_unique<RunScope>();
}

void WxFrontEnd::RunEnds() { run_.reset(); }

int WxFrontEnd::RunMainWindow(MainDialog&) { return kExitNoWindow; }
