#include "gui/sheet_window.h"

#include <wx/notebook.h>
#include <wx/toplevel.h>

#include "gui/model_window.h"
#include "texts/dialog_ids.h"
#include "ui/sheet_model.h"

namespace {

// A page the description lacks is shown empty: the headless check of the
// descriptions names it.
const WindowDescription kEmptyPage{};

}  // namespace

SheetWindow::SheetWindow(SheetModel& sheet, const SheetDescription& description, wxWindow* parent) : sheet_(sheet) {
    view_ = std::make_unique<ModelWindow>(sheet, description.sheet, WindowFrame::kDialog, parent);
    for (int i = 0; i < sheet.PageCount(); ++i) {
        const size_t index = static_cast<size_t>(i);
        const WindowDescription& page = index < description.pages.size() ? description.pages[index] : kEmptyPage;
        auto view = std::make_unique<ModelWindow>(sheet.Page(i), page, [this, i] { return PageHost(i); });
        // A page built later may make the sheet larger: placing the sheet
        // takes its new size.
        view->afterBuilt = [this](wxTopLevelWindow& window) {
            const wxSize size = window.GetSize();
            sheet_.SetWindowSize(size.GetWidth(), size.GetHeight());
        };
        pages_.push_back(std::move(view));
    }
}

SheetWindow::~SheetWindow() {
    // The pages' widgets live on the sheet's window: they go first.
    pages_.clear();
    view_.reset();
}

ModelWindow* SheetWindow::PageView(int index) const {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<size_t>(index)].get();
}

wxWindow* SheetWindow::PageHost(int index) const {
    auto* tabs = dynamic_cast<wxNotebook*>(view_ ? view_->Widget(kIdTabControl) : nullptr);
    if (tabs == nullptr || index < 0 || static_cast<size_t>(index) >= tabs->GetPageCount()) return nullptr;
    return tabs->GetPage(static_cast<size_t>(index));
}
