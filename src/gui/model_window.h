// The window of one dialog model: the generic renderer.
//
// A ModelWindow is the model's observer.  When the model creates its window
// the renderer builds the widgets from the dialog's window description
// (ui/window_layout.h) with sizers, so that labels of any length fit; from
// then on every change of a control is copied to its widget, with the calls
// that fire no change event, and every action of the user on a widget is
// written into the control and handed to the model's Notify.  The renderer
// owns no behaviour: what a click does is the model's business.
//
// The main window is a frame (it holds a menu bar), the status window and
// the property sheets windows of the normal type without a parent (the
// desktop keeps them above no other window); every other dialog is a dialog
// window over the window it belongs to, except a property sheet's page,
// which is a panel on its sheet's tab (see SheetWindow).
//
// Layout is taken from the texts in force: every control gets its best
// size, the labels standing first in the rows of a group share one column
// (as wide as the widest of them), and a window's least size is its best
// size, taken again whenever labels change.  A window the user enlarged
// keeps its size; one too small for its controls grows at once.
//
// Keys: Escape ends a dialog as its Cancel (or, without one, its close box)
// would; F1 presses the dialog's Help button, or calls onHelpKey; in a
// property sheet Ctrl+PageDown and Ctrl+PageUp step to the next and the
// previous tab from any of its controls.
//
// Where the desktop reports where windows stand (X11), the window's
// position and size go back to the model as the toolkit reports a move or a
// resize, and before each action of the user is handed on, so what the
// model stores on closing is where the user left the window.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_model.h"
#include "ui/window_layout.h"

class wxWindow;
class wxTopLevelWindow;
class wxPanel;
class wxSizer;
class wxCommandEvent;
class wxCloseEvent;
class wxKeyEvent;
class wxNotebook;

enum class WindowFrame { kDialog, kFrame, kWindow, kPage };

class ModelWindow : public DialogObserver {
public:
    // Observes `model` from here on; `parent` may be null.  When the model
    // has its window already, the widgets are built at once.
    ModelWindow(DialogModel& model, const WindowDescription& description, WindowFrame frame,
                wxWindow* parent = nullptr);
    // A page of a property sheet: its widgets are built on a panel of the
    // window `host` gives when the page's window is made (the page's tab),
    // and its window steps other than making and destroying are the
    // sheet's business.
    ModelWindow(DialogModel& page, const WindowDescription& description, std::function<wxWindow*()> host);
    // Stops observing and destroys the widgets (the model keeps its state).
    ~ModelWindow() override;
    ModelWindow(const ModelWindow&) = delete;
    ModelWindow& operator=(const ModelWindow&) = delete;

    DialogModel& Model() const { return model_; }
    // The window, null while the model has none (and always for a page).
    wxTopLevelWindow* Window() const { return window_; }
    // The panel holding the controls, null while the model has no window.
    wxPanel* Panel() const { return panel_; }
    // The widget of control `id`, null when there is none.
    wxWindow* Widget(int id) const;

    // Called after a control's widget was updated from the model.
    std::function<void(int controlId)> afterControlChanged;
    // Called when the window has been built, before it is laid out: a frame
    // adds its menu bar here.  A page calls it with its sheet's window once
    // that has been laid out again around the page.
    std::function<void(wxTopLevelWindow&)> afterBuilt;
    // Called when the model has destroyed its window.
    std::function<void()> afterDestroyed;
    // Called for the help key (F1) in a window without a Help button.
    std::function<void()> onHelpKey;

    // A page: builds the widgets on the page's tab now, whether or not the
    // page's window is made, so that the sheet opening is sized for every
    // page.  A page whose window is not made yet shows the labels it will
    // have in the language in force.
    void BuildPage();
    // Relabels the widgets of a page whose window is not made yet in the
    // language in force (the language changed).
    void RelabelUnmade();
    // Lays the window out again once the toolkit has handled what is
    // waiting (after labels changed, or after it was shown: a group box
    // knows its frame only then); once however often it is asked.
    void RelayoutSoon();

    // While frozen (a run holds the user-interface thread) every control but
    // `keepId` is disabled and the close box refused; unfrozen, each control
    // shows the model's enabling again.
    void SetFrozen(bool frozen, int keepId = kNoControl);
    bool Frozen() const { return frozen_; }

    // For a modal run: shows the window modally until the model ends the
    // dialog, and returns the model's result.
    int ShowModal();

    // The user's action on control `id` (or kWholeDialog): what a widget's
    // event handler does.  Window tests drive the window through it too.
    void Forward(int id, NotifyEvent event);

    // ---- DialogObserver ----
    void OnWindowStep(DialogModel& dialog, WindowStep step) override;
    void OnControlChanged(DialogModel& dialog, int controlId) override;

private:
    void Build();
    // Builds the description's groups and rows on panel_.
    void BuildControls();
    void DestroyWidgets();
    // Forgets the widgets and everything kept about them (what each was
    // last given, their layouts, a layout queued): the next widgets start
    // afresh, as the first did.
    void ForgetWidgets();
    wxWindow* MakeControl(wxWindow* parent, const LayoutControl& layout, bool firstRadioOfGroup);
    void BindEvents(wxWindow* widget, const LayoutControl& layout);
    // Copies the control's state to its widget without firing an event.
    void Mirror(int id);
    void OnClose(wxCloseEvent& event);
    // Lays the window out at once: the label columns and the tabs take the
    // texts' sizes, a larger best size grows the window.
    void Relayout();
    // Makes each list that shows as high as its rows, as the toolkit draws
    // them, need for the entries its layout asks for.
    void FitListsToRows();
    // Gives the labels that stand first in the rows of each group one width.
    void AlignLabelColumns();
    // The sheet's tabs: a sheet's own control, or the notebook a page
    // stands on; null elsewhere.
    wxNotebook* Tabs() const;
    // Grows the window to its least size when it is smaller and makes that
    // its least size.
    void FitWindowToContents();
    // The top-level window the controls are in, null without one.
    wxTopLevelWindow* TopWindow() const;
    // The text control `id` is labelled with: the model's, or for a page
    // not made yet the text it will get.
    std::string LabelOf(int id) const;
    // The window's position and size as the toolkit reports them go to the
    // model.
    void ReportRect();
    void OnCharHook(wxKeyEvent& event);
    // Writes what the user changed into the control (`change`) with the
    // widget's echo suppressed, then notifies.
    void FromWidget(int id, const std::function<void()>& change, NotifyEvent event);
    void ClearOtherRadios(int id);
    void EndModalWhenEnded();

    DialogModel& model_;
    const WindowDescription& description_;
    WindowFrame frame_;
    wxWindow* parent_;
    std::function<wxWindow*()> host_;  // a page's tab
    wxTopLevelWindow* window_ = nullptr;
    wxPanel* panel_ = nullptr;
    std::map<int, wxWindow*> widgets_;
    std::map<int, LayoutControl> layouts_;
    // Per group, the labels standing first in its rows of several controls.
    std::vector<std::vector<wxWindow*>> labelColumns_;
    // What each widget was last given, to change only what differs.
    std::map<int, std::string> shownText_;
    std::map<int, std::vector<TextString>> shownItems_;
    int mirroring_ = 0;  // >0 while the model's state is copied to widgets
    int fromWidget_ = kNoControl;  // the control whose widget is being read
    bool frozen_ = false;
    int keepId_ = kNoControl;
    bool relayoutPending_ = false;
    // >0 while the window's rect is written into the model: the model's
    // echo is no request.
    int reporting_ = 0;
    // Where the model placed the window before it was shown.
    std::optional<std::pair<int, int>> placeWhenShown_;
    bool modal_ = false;
    // Expires with the object: a layout queued on the window checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
