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

SheetWindow::SheetWindow(SheetModel& sheet, const SheetDescription& description) : sheet_(sheet) {
    view_ = std::make_unique<ModelWindow>(sheet, description.sheet, WindowFrame::kWindow);
    for (int i = 0; i < sheet.PageCount(); ++i) {
        const size_t index = static_cast<size_t>(i);
        const WindowDescription& page = index < description.pages.size() ? description.pages[index] : kEmptyPage;
        pages_.push_back(std::make_unique<ModelWindow>(sheet.Page(i), page, [this, i] { return PageHost(i); }));
    }
    // Every page is built on its tab with the sheet's window, before the
    // window takes its size: the sheet opens as large as its largest page
    // needs, and no page is first laid out when it is first shown.
    view_->afterBuilt = [this](wxTopLevelWindow&) {
        for (const std::unique_ptr<ModelWindow>& page : pages_) page->BuildPage();
    };
    // The tabs relabelled: the language changed, and the pages not made yet
    // show the labels they will have in it.
    view_->afterControlChanged = [this](int id) {
        if (id != kIdTabControl) return;
        for (const std::unique_ptr<ModelWindow>& page : pages_) page->RelabelUnmade();
        // The page shown is laid out again once the toolkit has shown it.
        if (ModelWindow* shown = PageView(sheet_.ActivePageIndex())) shown->RelayoutSoon();
    };
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
