// The dialog model: one dialog of the program as data, apart from any window
// system.
//
// A dialog is known by its template id and holds its controls by id, each
// with the state a window would show (text, value, list, check mark,
// enabling, visibility, tool tip, colours).  The model also keeps the state
// of its window: whether one exists, whether it is shown, where it is and how
// large.  Every dialog's behaviour is written against this model, so it runs
// and is tested without a display; a front end mirrors the model to widgets
// through the observer and hands the user's actions back through `Notify`.
//
// Changes go through the model's setters so that the observer hears of each;
// reading is through `Control`, which gives the state read-only.  A control id
// the dialog does not have is skipped silently by every setter: dialogs
// relabel and enable controls from tables, and a template may lack some.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "app/ui_services.h"
#include "foundation/text_string.h"

class DataExchange;

enum class ControlKind {
    kLabel,
    kEdit,
    kComboBox,
    kList,
    kCheckBox,
    kRadioButton,
    kPushButton,
    kSlider,
    kGroupBox,
    kColourSwatch,
    kTabs,  // a property sheet's tabs: the labels are the items, the selection the active page
};

// What the user did to a control (or, with kWholeDialog, to the dialog).
enum class NotifyEvent {
    kClicked,
    kTextChanged,  // the text of an edit or combo box changed (any way)
    kEditChanged,  // the user typed into the edit part of a combo box
    kFocusLost,
    kSelectionEnded,  // a list or combo-box selection was made
    kListClosed,  // the drop-down list of a combo box closed
    kSliderMoved,
    kPageActivated,
    kPageLeft,
    kCloseBox,
    kFilesDropped,
    // The keyboard's step to the next or the previous tab of a sheet
    // (Ctrl+PageDown, Ctrl+PageUp), on the tab control, from whichever of
    // the sheet's controls has the focus.
    kNextTab,
    kPreviousTab,
};

// The steps of a dialog's window that an observer is told of.
enum class WindowStep { kCreated, kShown, kHidden, kRaised, kDestroyed, kCaptionChanged, kMoved, kResized };

// The id under which events of the dialog itself (close box, dropped files)
// arrive; no control has it.
inline constexpr int kWholeDialog = 0;
// "No selection" in a list or combo box, and "no control" for the focus.
inline constexpr int kNoSelection = -1;
inline constexpr int kNoControl = -1;

struct DialogControl {
    int id = 0;
    ControlKind kind = ControlKind::kLabel;
    TextString text;  // label, edit text, button label, combo-box edit text
    int value = 0;  // slider position
    int rangeMin = 0;  // slider range
    int rangeMax = 100;
    std::vector<TextString> items;  // list and combo-box entries
    int selection = kNoSelection;  // index into items
    bool checked = false;  // check box and radio button
    bool enabled = true;
    bool visible = true;
    TextString toolTip;
    PlatformColour fillColour = 0;  // colour swatch
    PlatformColour textColour = 0;
    int caret = 0;  // edit: where the caret stands (an empty selection), kept in view
    int maxLength = 0;  // edit: the most characters the user can type into it; 0 no limit
};

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The place where a window of `rect`'s size stands when it is asked to
// stand at `rect`'s left and top on a desktop of `desktop`'s size: moved
// just as far as it takes to bring the whole window onto the desktop, its
// size kept.  A window wider or higher than the desktop keeps its left or
// top edge on it (its title bar stays where the user can take it).
WindowRect KeptOnDesktop(const WindowRect& rect, const DesktopSize& desktop);

class DialogModel;

// Told of every step of a dialog's window and every change of a control; the
// front end is one.  The model does not own it.
class DialogObserver {
public:
    virtual ~DialogObserver();
    virtual void OnWindowStep(DialogModel& dialog, WindowStep step) = 0;
    virtual void OnControlChanged(DialogModel& dialog, int controlId) = 0;
};

class DialogModel {
public:
    using Handler = std::function<void()>;

    DialogModel(int templateId, UiServices& services);
    virtual ~DialogModel();
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    int TemplateId() const { return templateId_; }
    UiServices& Services() const { return services_; }

    // ---- Caption and controls ----
    const TextString& Caption() const { return caption_; }
    void SetCaption(const char* text);

    // Adds a control (the dialog's template); an id already present keeps
    // its control and only changes kind and text.
    void AddControl(int id, ControlKind kind, const char* text = "");
    bool HasControl(int id) const { return controls_.count(id) != 0; }
    // The control of that id, or null.
    const DialogControl* Control(int id) const;
    // Ids of every control, ascending.
    std::vector<int> ControlIds() const;

    // A combo box whose new text is not its selected entry loses the
    // selection, as typing into its field does.
    void SetControlText(int id, const char* text);
    // The control's text, empty when the dialog has no such control.
    const char* ControlText(int id) const;
    void SetChecked(int id, bool checked);
    bool IsChecked(int id) const;
    // Checks `id` and clears the other radio buttons of first..last.
    void CheckRadioButton(int first, int last, int id);
    void EnableControl(int id, bool enabled);
    bool IsEnabled(int id) const;
    void ShowControl(int id, bool visible);
    void SetItems(int id, std::vector<TextString> items);
    void AddItem(int id, const char* item);
    void ClearItems(int id);
    // Selects entry `index` (kNoSelection clears); out of range clears.  A
    // combo box also takes the entry as its text.
    void SetSelection(int id, int index);
    int Selection(int id) const;
    void SetValue(int id, int value);
    int Value(int id) const;
    void SetRange(int id, int rangeMin, int rangeMax);
    void SetToolTip(int id, const char* text);
    void SetColours(int id, PlatformColour fill, PlatformColour text);
    // Places the caret of an edit at `position` (clamped to its text) and
    // scrolls it into view.
    void SetCaret(int id, int position);
    // Limits what the user can type into an edit to `length` characters
    // (0: no limit).  The model's text is not cut: the dialog's data
    // exchange checks it.
    void SetMaxLength(int id, int length);
    // Focus: a control id of the dialog, or kNoControl.
    void SetFocus(int id);
    int FocusedControl() const { return focus_; }

    // ---- The window ----
    bool HasWindow() const { return hasWindow_; }
    bool IsShown() const { return hasWindow_ && shown_; }
    // Creates the window (hidden) and runs the dialog's initialisation;
    // nothing when it exists already.
    void CreateWindow();
    void ShowWindow();
    void HideWindow();
    // Brings the shown window to the top.
    void RaiseWindow();
    void DestroyWindow();
    const WindowRect& Rect() const { return rect_; }
    void MoveWindow(int left, int top);
    // Moves the window to `left`, `top`, or as near to it as keeps the
    // whole window on the desktop (KeptOnDesktop).
    void PlaceOnDesktop(int left, int top);
    // The size the laid-out window takes; the front end sets it after layout,
    // tests set it.  Placement reads it.
    void SetWindowSize(int width, int height);

    void SetObserver(DialogObserver* observer) { observer_ = observer; }
    DialogObserver* Observer() const { return observer_; }

    // ---- Events ----
    // Registers what to do when `event` arrives for control `id`; a later
    // registration for the same pair replaces the earlier one.
    void On(int id, NotifyEvent event, Handler handler);
    // The user's action: the front end has already written the widget's
    // value into the control.  Work a field's leaving left waiting (see
    // UiServices::DeferFieldWork) runs first.  OK, Cancel and the close box have default
    // handling when no handler is registered for them.  True when anything
    // handled it.
    bool Notify(int id, NotifyEvent event);

    // Files dropped on the dialog, set by the front end before it notifies
    // kFilesDropped on kWholeDialog.
    void SetDroppedFiles(std::vector<TextString> files) { droppedFiles_ = std::move(files); }
    const std::vector<TextString>& DroppedFiles() const { return droppedFiles_; }

    // ---- Data exchange ----
    // With `saveAndValidate`, takes the control values into the members and
    // checks them: false (with a message through the services, the focus on
    // the failing control) when one is not acceptable.  Without, puts the
    // members into the controls.  Needs a window; without one, true and
    // nothing moves.
    bool UpdateData(bool saveAndValidate);

    // ---- Ending ----
    // Ends the dialog with the id of the button that ended it: a modal run
    // returns it; a modeless window is hidden.
    void EndDialog(int resultId);
    bool IsEnded() const { return ended_; }
    int Result() const { return result_; }
    // Makes a modal run of the dialog begin afresh.
    void ResetEnding();
    bool IsModalRun() const { return modalRun_; }
    void SetModalRun(bool modal) { modalRun_ = modal; }

protected:
    // Runs when the window has been created.
    virtual void OnInitDialog() {}
    // Runs when the window is about to be destroyed (it still exists).
    virtual void OnDestroy() {}
    // Moves members to and from the controls; see DataExchange.
    virtual void ExchangeData(DataExchange&) {}
    // Default OK: take and check the values, then end with OK.
    virtual void OnOk();
    // Default Cancel and close box: end with Cancel.
    virtual void OnCancel();
    virtual void OnCloseBox() { OnCancel(); }

    // The control to change, or null; tells nothing.
    DialogControl* MutableControl(int id);
    // Applies `change` to the control of that id and tells the observer;
    // nothing for an id the dialog does not have.
    template <class Change>
    void ChangeControl(int id, Change&& change) {
        DialogControl* control = MutableControl(id);
        if (control == nullptr) return;
        change(*control);
        ControlChanged(id);
    }
    void ControlChanged(int id);
    void WindowChanged(WindowStep step);

private:
    int templateId_;
    UiServices& services_;
    TextString caption_;
    std::map<int, DialogControl> controls_;
    std::map<std::pair<int, NotifyEvent>, Handler> handlers_;
    std::vector<TextString> droppedFiles_;
    DialogObserver* observer_ = nullptr;
    WindowRect rect_;
    int focus_ = kNoControl;
    bool hasWindow_ = false;
    bool shown_ = false;
    bool ended_ = false;
    bool modalRun_ = false;
    int result_ = 0;
};
