// The property-sheet model: a dialog whose body is a row of tabs over pages.
//
// The sheet is itself a dialog (caption, window, the standard buttons 1 OK,
// 2 Cancel, 9 Help and, when it has one, 12321 Apply as its controls); its
// pages are dialogs of their own, added in tab order.  A sheet holds its
// pages by value in the class that derives from this one, so the pages are
// not owned here and must outlive the sheet's window.
//
// The tabs are the sheet's control kIdTabControl (kind kTabs): its items are
// the tab labels and its selection is the active page, so the observer hears
// of a relabelled tab or a new active page as a change of that control, like
// any other.  A front end that lets the user click a tab writes the selection
// and notifies kSelectionEnded on kIdTabControl; the sheet then switches,
// or puts the selection back when the page being left refuses.  The
// keyboard's steps between tabs (kNextTab, kPreviousTab on kIdTabControl)
// go to the neighbouring tab, from the last to the first and back round, as
// a click on that tab would.
//
// Pages behave as a sheet's pages do: a page's window is made when the page
// is first shown, and stays (hidden) when another page is shown; leaving a
// page takes its values with their checks first and stays on it when one
// fails; the page left hears kPageLeft and the page shown kPageActivated (on
// kWholeDialog).  Destroying the sheet's window destroys the pages' windows.
#pragma once

#include <vector>

#include "texts/dialog_ids.h"
#include "ui/dialog_model.h"

class SheetModel : public DialogModel {
public:
    enum class ApplyButton { kWithout, kWith };

    SheetModel(int templateId, UiServices& services, ApplyButton apply = ApplyButton::kWith);

    // ---- Pages and tabs ----
    // Adds a page behind the others with its tab label.
    void AddPage(DialogModel& page, const char* tabLabel = "");
    int PageCount() const { return static_cast<int>(pages_.size()); }
    // The page at `index` (0 to PageCount() - 1).
    DialogModel& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
    // The index of `page`, or -1 when it is not a page of this sheet.
    int PageIndex(const DialogModel& page) const;
    const char* TabLabel(int index) const;
    // Relabels a tab; an index the sheet does not have is skipped.
    void SetTabLabel(int index, const char* label);

    // The active page: the one shown, or the one the window will show first
    // when it is made.  -1 while the sheet has no pages.
    int ActivePageIndex() const { return activePage_; }
    DialogModel* ActivePage() const;
    // Makes `index` the active page.  With a window, the page left must
    // accept its values first; false when it does not, or when the index is
    // no page of the sheet.
    bool SetActivePage(int index);
    bool SetActivePage(const DialogModel& page) { return SetActivePage(PageIndex(page)); }

    // ---- The standard buttons and the modified state ----
    bool HasApplyButton() const { return HasControl(kIdApply); }
    // A page changed something: when the sheet has a window, Apply is
    // enabled; with `mark`, changes are pending as well (what OK stores).
    void SetModified(bool mark);
    bool ChangesPending() const { return changesPending_; }
    void ClearChangesPending() { changesPending_ = false; }

protected:
    // Initialises the window: a modeless sheet's ending forgotten, Apply
    // disabled, the active page (the first unless another was chosen) made
    // and shown.  A derived sheet calls it
    // first from its own.
    void OnInitDialog() override;
    void OnDestroy() override;

    // OK: the active page takes its values (a failure keeps the sheet
    // open), then OnSheetOk; when it accepts, the sheet ends with OK.
    void OnOk() override;
    // Cancel and the close box: OnSheetCancel, then the sheet ends with
    // Cancel.
    void OnCancel() override;

    // The sheet's own work of each button, for derived sheets (storing
    // their pages).  OnSheetOk and OnSheetApply return false to refuse: the
    // sheet stays open, or Apply stays enabled.
    virtual bool OnSheetOk() { return true; }
    virtual void OnSheetCancel() {}
    virtual bool OnSheetApply() { return true; }

private:
    // Apply pressed: the active page takes its values, then OnSheetApply;
    // when it accepts, Apply is disabled until the next change.
    void Apply();
    // A user's tab click: the selection of the tab control is the page
    // wanted.
    void TabChosen();
    // The keyboard's step of `step` tabs (1 the next, -1 the previous).
    void StepTabs(int step);
    // The active page takes its values; true when they pass or there is no
    // page with a window.
    bool ActivePageAccepts();
    // Makes and shows the active page's window and tells it so.
    void ShowActivePage();
    // Ends the sheet; a modeless sheet is closed (its window destroyed).
    void Close(int resultId);

    std::vector<DialogModel*> pages_;
    int activePage_ = -1;
    bool changesPending_ = false;
};
