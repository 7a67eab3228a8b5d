#include "gui/main_frame.h"

#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toplevel.h>

#include <vector>

#include "gui/menu_bar_view.h"
#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/sheet_window.h"
#include "gui/wx_text.h"
#include "ui/main_window.h"
#include "ui/main_window_layout.h"
#include "ui/sheet_model.h"
#include "ui/status_window.h"

namespace {

// Files dropped from a file manager go to the main dialog's drop operation.
class MainDropTarget : public wxFileDropTarget {
public:
    explicit MainDropTarget(MainWindow& main) : main_(main) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        std::vector<TextString> paths;
        paths.reserve(names.size());
        for (const wxString& name : names) paths.emplace_back(FromWx(name).c_str());
        const RunScope run;
        main_.DropFiles(paths);
        return true;
    }

private:
    MainWindow& main_;
};

}  // namespace

MainFrame::MainFrame(MainWindow& main) : main_(main) {
    menu_ = std::make_unique<MenuBarView>(main.Menu(), [this](int commandId) {
        const RunScope run;
        main_.OnCommand(commandId);
    });
    status_ = std::make_unique<ModelWindow>(main.Status(), StatusWindowLayout(), WindowFrame::kWindow);
    RepaintStatusDuringRuns(*status_);
    view_ = std::make_unique<ModelWindow>(main.Dialog(), MainWindowLayout(), WindowFrame::kFrame);
    view_->afterBuilt = [this](wxTopLevelWindow& window) {
        auto& frame = static_cast<wxFrame&>(window);
        frame.SetMenuBar(menu_->Build());
        frame.Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
            const int command = menu_->CommandOf(event.GetId());
            if (command != 0) menu_->Command(command);
        });
        frame.SetDropTarget(new MainDropTarget(main_));
        // The choosers and message boxes of the window belong to it.
        wxTheApp->SetTopWindow(&frame);
    };
    // F1 in the main window: what Help > Contents does.
    view_->onHelpKey = [this] {
        const RunScope run;
        main_.ShowHelp();
    };
    view_->afterDestroyed = [this] {
        if (onClosed) onClosed();
    };
    for (SheetModel* sheet : main_.Sheets()) AttachSheet(*sheet);
    main_.onSheetMade = [this](SheetModel& sheet) { AttachSheet(sheet); };
}

MainFrame::~MainFrame() {
    main_.onSheetMade = nullptr;
    sheets_.clear();
    view_.reset();
    status_.reset();
    menu_.reset();
}

wxFileDropTarget* MainFrame::DropTarget() const {
    const wxTopLevelWindow* window = view_->Window();
    return window == nullptr ? nullptr : static_cast<wxFileDropTarget*>(window->GetDropTarget());
}

SheetWindow* MainFrame::SheetView(const SheetModel& sheet) const {
    for (const std::unique_ptr<SheetWindow>& view : sheets_) {
        if (&view->Model() == &sheet) return view.get();
    }
    return nullptr;
}

void MainFrame::AttachSheet(SheetModel& sheet) {
    if (SheetView(sheet) != nullptr) return;
    const SheetDescription* description = FindSheetDescription(sheet.TemplateId());
    if (description == nullptr) return;
    // A sheet is a window of its own, as the main window is: the user brings
    // either to the front.
    sheets_.push_back(std::make_unique<SheetWindow>(sheet, *description));
}
