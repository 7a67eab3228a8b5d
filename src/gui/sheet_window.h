// The window of a property sheet: the sheet's own view (its tabs over the
// OK, Cancel, Apply and Help buttons) and one view per page, each page's
// controls on its tab.
//
// Every part mirrors its own model both ways, as any dialog's window does:
// a tab the user clicks is the sheet's tab selection (the sheet then shows
// that page, or puts the selection back), a page the sheet activates is the
// tab shown, and Apply shows the enabling the sheet gives it.  Every page's
// widgets are built with the sheet's window, so that it opens sized for its
// largest page (a page whose window the sheet has not made yet shows the
// labels it will have), and go with it.  The sheet is modeless, a window of
// its own without a parent (the user brings it or the main window to the
// front): the view follows the sheet's window as it is made, shown and
// destroyed, for as long as the view lives.
#pragma once

#include <memory>
#include <vector>

#include "ui/window_layout.h"

class ModelWindow;
class SheetModel;
class wxWindow;

class SheetWindow {
public:
    // Observes the sheet and its pages from here on; the widgets are built
    // at once for what has a window already.  `description` must outlive
    // the view.
    SheetWindow(SheetModel& sheet, const SheetDescription& description);
    ~SheetWindow();
    SheetWindow(const SheetWindow&) = delete;
    SheetWindow& operator=(const SheetWindow&) = delete;

    SheetModel& Model() const { return sheet_; }
    // The view of the sheet's own controls.
    ModelWindow& View() const { return *view_; }
    // The view of page `index` (tab order), null for an index out of range.
    ModelWindow* PageView(int index) const;

private:
    // The tab that holds page `index`, null while there is none.
    wxWindow* PageHost(int index) const;

    SheetModel& sheet_;
    std::unique_ptr<ModelWindow> view_;
    std::vector<std::unique_ptr<ModelWindow>> pages_;
};
