#include "gui/model_window.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <memory>

#include "gui/desktop_services.h"
#include "gui/program_icon.h"
#include "gui/run_repaint.h"
#include "gui/wx_text.h"
#include "texts/dialog_ids.h"
#include "ui/dialog_texts.h"

namespace {

// The space between controls and around the window's contents, in pixels
// at the usual resolution (the toolkit scales them).
constexpr int kGap = 6;
constexpr int kBorder = 10;
// The room a tab takes beside its label: the tab's own padding and border
// on both sides.
constexpr int kTabPadding = 36;
// The room beside the row of tabs (the notebook's frame and the arrows it
// would need to scroll).
constexpr int kTabRowMargin = 24;

// Whether the desktop says where windows stand: X11 does, Wayland keeps it
// from the program.
bool PositionsReported() { return wxGetDisplayInfo().type != wxDisplayWayland; }
// A place not known, as the settings store it (the default placement).
constexpr int kPlaceUnknown = -1;

// A list's row beyond its text: the toolkit's cell padding and the space
// between rows (its default theme; measured once the list shows).
constexpr int kListRowPadding = 6;
// The list's frame above and below its rows.
constexpr int kListFrame = 2;

int ListHeight(int lines, int rowHeight) { return lines * rowHeight + 2 * kListFrame; }

// A row's height as the toolkit draws the list: the rows found under its
// pixel lines from top to bottom, averaged over the rows seen whole; 0
// while the list is not on the screen or shows fewer than two rows whole.
int MeasuredRowHeight(const wxListBox& list) {
    if (!list.IsShownOnScreen()) return 0;
    const int height = list.GetClientSize().GetHeight();
    int previous = list.HitTest(wxPoint(1, 0));
    int firstChange = -1;
    int lastChange = -1;
    int rows = 0;
    for (int y = 1; y < height && previous != wxNOT_FOUND; ++y) {
        const int item = list.HitTest(wxPoint(1, y));
        if (item == previous) continue;
        if (firstChange < 0) {
            firstChange = y;
        } else {
            lastChange = y;
            ++rows;
        }
        previous = item;
    }
    if (rows == 0) return 0;
    return (lastChange - firstChange + rows - 1) / rows;
}

bool HasSlider(const LayoutRow& row) {
    return std::any_of(row.controls.begin(), row.controls.end(),
                       [](const LayoutControl& control) { return control.kind == ControlKind::kSlider; });
}

wxSize Larger(const wxSize& a, const wxSize& b) {
    return {std::max(a.GetWidth(), b.GetWidth()), std::max(a.GetHeight(), b.GetHeight())};
}

// Makes the tabs at least as wide as their labels side by side, so that
// every tab shows without scrolling; where the desktop is too narrow for
// that, they scroll.
void WidenToTabLabels(wxNotebook& tabs) {
    int labels = kTabRowMargin;
    for (size_t i = 0; i < tabs.GetPageCount(); ++i)
        labels += tabs.GetTextExtent(tabs.GetPageText(i)).GetWidth() + kTabPadding;
    tabs.SetMinSize(wxDefaultSize);
    tabs.InvalidateBestSize();
    const wxSize best = tabs.GetBestSize();
    const int display = wxDisplay::GetFromWindow(&tabs);
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
    const int widest = area.GetWidth() - 2 * (kBorder + kTabRowMargin);
    tabs.SetMinSize(wxSize(std::max(best.GetWidth(), std::min(labels, widest)), -1));
}

// Grows the window when its client area is smaller than its contents need,
// and makes that need its least size.
void GrowToContents(wxTopLevelWindow& top) {
    if (top.GetSizer() == nullptr) return;
    const wxSize need = top.GetSizer()->GetMinSize();
    const wxSize client = top.GetClientSize();
    top.SetMinClientSize(need);
    if (client.GetWidth() < need.GetWidth() || client.GetHeight() < need.GetHeight())
        top.SetClientSize(Larger(client, need));
    top.Layout();
}

wxColour ToColour(PlatformColour colour) {
    return wxColour(static_cast<unsigned char>(colour & 0xFF), static_cast<unsigned char>((colour >> 8) & 0xFF),
                    static_cast<unsigned char>((colour >> 16) & 0xFF));
}

std::vector<wxString> ToWxList(const std::vector<TextString>& items) {
    std::vector<wxString> list;
    list.reserve(items.size());
    for (const TextString& item : items) list.push_back(ToWx(item));
    return list;
}

bool SameItems(const std::vector<TextString>& a, const std::vector<TextString>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) return false;
    }
    return true;
}

// Keeps a counter raised for as long as it lives.
class Raised {
public:
    explicit Raised(int& counter) : counter_(counter) { ++counter_; }
    ~Raised() { --counter_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    int& counter_;
};

}  // namespace

ModelWindow::ModelWindow(DialogModel& model, const WindowDescription& description, WindowFrame frame,
                         wxWindow* parent)
    : model_(model), description_(description), frame_(frame), parent_(parent) {
    model_.SetObserver(this);
    if (model_.HasWindow()) Build();
}

ModelWindow::ModelWindow(DialogModel& page, const WindowDescription& description, std::function<wxWindow*()> host)
    : model_(page), description_(description), frame_(WindowFrame::kPage), parent_(nullptr), host_(std::move(host)) {
    model_.SetObserver(this);
    if (model_.HasWindow()) Build();
}

ModelWindow::~ModelWindow() {
    ForgetDuringRun(*this);
    if (model_.Observer() == this) model_.SetObserver(nullptr);
    DestroyWidgets();
}

wxWindow* ModelWindow::Widget(int id) const {
    const auto found = widgets_.find(id);
    return found == widgets_.end() ? nullptr : found->second;
}

void ModelWindow::Build() {
    if (frame_ == WindowFrame::kPage) {
        BuildPage();
        return;
    }
    if (window_ != nullptr) return;
    const wxString caption = ToWx(model_.Caption());
    if (frame_ == WindowFrame::kFrame || frame_ == WindowFrame::kWindow) {
        window_ = new wxFrame(parent_, wxID_ANY, caption);
    } else {
        window_ = new wxDialog(parent_, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
                               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    }
    window_->SetIcons(ProgramIcons());
    window_->Bind(wxEVT_CLOSE_WINDOW, &ModelWindow::OnClose, this);
    window_->Bind(wxEVT_CHAR_HOOK, &ModelWindow::OnCharHook, this);
    window_->Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (!event.IsShown() || !placeWhenShown_) return;
        window_->CallAfter([this, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.expired() || window_ == nullptr || !placeWhenShown_) return;
            const wxPoint wanted(placeWhenShown_->first, placeWhenShown_->second);
            placeWhenShown_.reset();
            if (window_->GetPosition() != wanted) window_->Move(wanted);
        });
    });
    window_->Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
        event.Skip();
        ReportRect();
    });
    window_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        // The desktop's frame around the window, and the menu bar's height,
        // are known only once the desktop has the window: the toolkit then
        // keeps the outer size and gives the contents less.  The window
        // grows back before it is painted so.
        FitWindowToContents();
        ReportRect();
    });
    window_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == window_) {
            window_ = nullptr;
            panel_ = nullptr;
            ForgetWidgets();
        }
        event.Skip();
    });
    panel_ = new wxPanel(window_);
    BuildControls();
    auto* whole = new wxBoxSizer(wxVERTICAL);
    whole->Add(panel_, 1, wxEXPAND);
    window_->SetSizer(whole);

    for (const auto& [id, widget] : widgets_) Mirror(id);
    if (auto* button = dynamic_cast<wxButton*>(Widget(description_.defaultButton))) button->SetDefault();
    if (afterBuilt) afterBuilt(*window_);
    AlignLabelColumns();
    if (wxNotebook* tabs = Tabs()) WidenToTabLabels(*tabs);
    window_->Fit();
    FitWindowToContents();
    // The size is given last as the contents' size, not the outer one: the
    // toolkit then shows the window at once at that size, the desktop's
    // frame around it.  (Given as an outer size, it would wait for the
    // desktop's frame sizes before showing, and meanwhile lay the contents
    // out in almost no room: the menu bar complains then.)
    window_->SetClientSize(window_->GetClientSize());
    // A dialog opens over the window it belongs to; the model places it from
    // there.
    if (frame_ == WindowFrame::kDialog && parent_ != nullptr) window_->CentreOnParent();
    ReportRect();
}

void ModelWindow::BuildPage() {
    if (frame_ != WindowFrame::kPage || panel_ != nullptr || !host_) return;
    wxWindow* host = host_();
    if (host == nullptr) return;
    panel_ = new wxPanel(host);
    panel_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
        // The sheet's window took the page's widgets with it.
        if (event.GetEventObject() == panel_) {
            panel_ = nullptr;
            ForgetWidgets();
        }
        event.Skip();
    });
    BuildControls();
    if (host->GetSizer() == nullptr) host->SetSizer(new wxBoxSizer(wxVERTICAL));
    host->GetSizer()->Add(panel_, 1, wxEXPAND);
    for (const auto& [id, widget] : widgets_) Mirror(id);
    AlignLabelColumns();
    // The tabs' size, and the sheet's, follow their largest page; the page
    // is laid out on its tab now, whether or not the tab changes size.
    panel_->InvalidateBestSize();
    host->Layout();
    wxTopLevelWindow* top = TopWindow();
    if (top != nullptr && top->IsShown()) Relayout();
    if (afterBuilt && top != nullptr) afterBuilt(*top);
}

void ModelWindow::RelabelUnmade() {
    if (frame_ != WindowFrame::kPage || panel_ == nullptr || model_.HasWindow()) return;
    for (const auto& [id, widget] : widgets_) Mirror(id);
}

std::string ModelWindow::LabelOf(int id) const {
    if (frame_ == WindowFrame::kPage && !model_.HasWindow()) return DialogItemTextInForce(model_, id).str();
    return model_.ControlText(id);
}

void ModelWindow::BuildControls() {
    auto* column = new wxBoxSizer(wxVERTICAL);
    labelColumns_.clear();

    for (const LayoutGroup& group : description_.groups) {
        wxSizer* groupSizer = nullptr;
        wxWindow* parent = panel_;
        bool groupStretches = false;
        for (const LayoutRow& row : group.rows) {
            for (const LayoutControl& control : row.controls) groupStretches |= control.lines > 1 && control.stretch;
        }
        if (group.boxId != kNoControl) {
            // The box is made with its caption, as every labelled control
            // is: a page built for a later opening shows it at once.
            std::string caption;
            if (model_.HasControl(group.boxId)) {
                caption = LabelOf(group.boxId);
                shownText_[group.boxId] = caption;
            }
            auto* box = new wxStaticBoxSizer(wxVERTICAL, panel_, wxControl::EscapeMnemonics(ToWx(caption)));
            widgets_[group.boxId] = box->GetStaticBox();
            layouts_[group.boxId] = {group.boxId, ControlKind::kGroupBox};
            parent = box->GetStaticBox();
            groupSizer = box;
        } else {
            groupSizer = new wxBoxSizer(wxVERTICAL);
        }
        bool firstRadio = true;
        std::vector<wxWindow*>& labels = labelColumns_.emplace_back();
        for (const LayoutRow& row : group.rows) {
            auto* line = new wxBoxSizer(wxHORIZONTAL);
            if (row.buttons) line->AddStretchSpacer();
            bool rowStretches = false;
            for (const LayoutControl& control : row.controls) {
                wxWindow* widget =
                    MakeControl(parent, control, firstRadio && control.kind == ControlKind::kRadioButton);
                // A label naming the control beside it starts the row: the
                // controls it names start on one column.  The labels at the
                // ends of a slider name its ends, not the slider: they keep
                // their own width.
                if (&control == &row.controls.front() && control.kind == ControlKind::kLabel &&
                    row.controls.size() > 1 && !HasSlider(row))
                    labels.push_back(widget);
                if (control.kind == ControlKind::kRadioButton) firstRadio = false;
                widgets_[control.id] = widget;
                layouts_[control.id] = control;
                BindEvents(widget, control);
                const int proportion = control.stretch ? 1 : 0;
                const bool tall = control.lines > 1;
                rowStretches |= tall && control.stretch;
                const int placing = tall ? static_cast<int>(wxEXPAND) : static_cast<int>(wxALIGN_CENTER_VERTICAL);
                line->Add(widget, proportion, placing | wxRIGHT, kGap);
            }
            // Inside a group box the rows keep off its frame.
            const int sides = group.boxId != kNoControl ? wxLEFT | wxRIGHT : 0;
            groupSizer->Add(line, rowStretches ? 1 : 0, wxEXPAND | wxBOTTOM | sides, kGap);
        }
        column->Add(groupSizer, groupStretches ? 1 : 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, kBorder);
    }
    // A group box last keeps off the bottom edge as rows do: its frame
    // would merge with the edge of a sheet's tab.
    if (!description_.groups.empty() && description_.groups.back().boxId != kNoControl) column->AddSpacer(kGap);
    panel_->SetSizer(column);
}

wxWindow* ModelWindow::MakeControl(wxWindow* parent, const LayoutControl& layout, bool firstRadioOfGroup) {
    const int charWidth = parent->GetCharWidth();
    const int charHeight = parent->GetCharHeight();
    wxSize size = wxDefaultSize;
    if (layout.widthChars > 0) size.SetWidth(layout.widthChars * charWidth);
    if (layout.lines > 1) size.SetHeight(layout.lines * charHeight + kGap);
    // A control is made with its label, so that its first size fits it; the
    // label's "&" is a character.
    const DialogControl* control = model_.Control(layout.id);
    const std::string text = control != nullptr ? LabelOf(layout.id) : std::string();
    const wxString label = wxControl::EscapeMnemonics(ToWx(text));
    const bool labelled = layout.kind == ControlKind::kLabel || layout.kind == ControlKind::kCheckBox ||
                          layout.kind == ControlKind::kRadioButton || layout.kind == ControlKind::kPushButton ||
                          layout.kind == ControlKind::kColourSwatch;
    if (control != nullptr && labelled) shownText_[layout.id] = text;
    switch (layout.kind) {
        case ControlKind::kLabel: return new wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, size);
        case ControlKind::kEdit: {
            long style = 0;
            if (layout.lines > 1) style |= wxTE_MULTILINE | wxTE_DONTWRAP;
            if (layout.readOnly) style |= wxTE_READONLY;
            return new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, size, style);
        }
        case ControlKind::kComboBox:
            return new wxComboBox(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, size, 0, nullptr,
                                  wxCB_DROPDOWN);
        case ControlKind::kList: {
            auto* list = new wxListBox(parent, wxID_ANY, wxDefaultPosition, wxSize(size.GetWidth(), -1));
            // As high as that many entries in the toolkit's own rows (the
            // toolkit's own guess gives rows too low); measured again once
            // the list shows (FitListsToRows).
            if (layout.lines > 1)
                list->SetMinSize(wxSize(size.GetWidth(), ListHeight(layout.lines, charHeight + kListRowPadding)));
            return list;
        }
        case ControlKind::kCheckBox: return new wxCheckBox(parent, wxID_ANY, label, wxDefaultPosition, size);
        case ControlKind::kRadioButton:
            return new wxRadioButton(parent, wxID_ANY, label, wxDefaultPosition, size,
                                     firstRadioOfGroup ? wxRB_GROUP : 0);
        case ControlKind::kPushButton: return new wxButton(parent, wxID_ANY, label, wxDefaultPosition, size);
        case ControlKind::kSlider: return new wxSlider(parent, wxID_ANY, 0, 0, 100, wxDefaultPosition, size);
        // The tabs take the size of their largest page.
        case ControlKind::kTabs: return new wxNotebook(parent, wxID_ANY);
        case ControlKind::kGroupBox: return new wxStaticBox(parent, wxID_ANY, label);
        case ControlKind::kColourSwatch:
            return new wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, size,
                                    wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE | wxBORDER_SIMPLE);
    }
    return new wxStaticText(parent, wxID_ANY, wxEmptyString);
}

void ModelWindow::BindEvents(wxWindow* widget, const LayoutControl& layout) {
    const int id = layout.id;
    switch (layout.kind) {
        case ControlKind::kEdit: {
            auto* edit = static_cast<wxTextCtrl*>(widget);
            edit->Bind(wxEVT_TEXT, [this, id, edit](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, edit] { model_.SetControlText(id, FromWx(edit->GetValue()).c_str()); },
                    NotifyEvent::kTextChanged);
            });
            break;
        }
        case ControlKind::kComboBox: {
            auto* combo = static_cast<wxComboBox*>(widget);
            combo->Bind(wxEVT_TEXT, [this, id, combo](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, combo] { model_.SetControlText(id, FromWx(combo->GetValue()).c_str()); },
                    NotifyEvent::kEditChanged);
            });
            combo->Bind(wxEVT_COMBOBOX, [this, id, combo](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, combo] { model_.SetSelection(id, combo->GetSelection()); },
                    NotifyEvent::kSelectionEnded);
            });
            combo->Bind(wxEVT_COMBOBOX_CLOSEUP,
                        [this, id](wxCommandEvent&) { Forward(id, NotifyEvent::kListClosed); });
            break;
        }
        case ControlKind::kList: {
            auto* list = static_cast<wxListBox*>(widget);
            list->Bind(wxEVT_LISTBOX, [this, id, list](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, list] { model_.SetSelection(id, list->GetSelection()); },
                    NotifyEvent::kSelectionEnded);
            });
            break;
        }
        case ControlKind::kCheckBox: {
            auto* check = static_cast<wxCheckBox*>(widget);
            check->Bind(wxEVT_CHECKBOX, [this, id, check](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, check] { model_.SetChecked(id, check->GetValue()); }, NotifyEvent::kClicked);
            });
            break;
        }
        case ControlKind::kRadioButton:
            widget->Bind(wxEVT_RADIOBUTTON, [this, id](wxCommandEvent&) {
                FromWidget(
                    id,
                    [this, id] {
                        ClearOtherRadios(id);
                        model_.SetChecked(id, true);
                    },
                    NotifyEvent::kClicked);
            });
            break;
        case ControlKind::kPushButton:
            widget->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { Forward(id, NotifyEvent::kClicked); });
            break;
        case ControlKind::kSlider: {
            auto* slider = static_cast<wxSlider*>(widget);
            slider->Bind(wxEVT_SLIDER, [this, id, slider](wxCommandEvent&) {
                FromWidget(
                    id, [this, id, slider] { model_.SetValue(id, slider->GetValue()); }, NotifyEvent::kSliderMoved);
            });
            break;
        }
        case ControlKind::kTabs: {
            auto* tabs = static_cast<wxNotebook*>(widget);
            // The tab clicked is the page wanted: the sheet switches to it,
            // or puts the selection back when the page left refuses.
            tabs->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this, id, tabs](wxBookCtrlEvent& event) {
                if (mirroring_ > 0 || event.GetEventObject() != tabs) return;
                FromWidget(
                    id, [this, id, tabs] { model_.SetSelection(id, tabs->GetSelection()); },
                    NotifyEvent::kSelectionEnded);
            });
            break;
        }
        case ControlKind::kLabel:
        case ControlKind::kGroupBox:
        case ControlKind::kColourSwatch: break;
    }
    if (layout.kind != ControlKind::kLabel && layout.kind != ControlKind::kGroupBox) {
        widget->Bind(wxEVT_KILL_FOCUS, [this, id](wxFocusEvent& event) {
            event.Skip();
            Forward(id, NotifyEvent::kFocusLost);
        });
    }
}

void ModelWindow::ClearOtherRadios(int id) {
    const LayoutGroup* group = description_.GroupOf(id);
    if (group == nullptr) return;
    for (const LayoutRow& row : group->rows) {
        for (const LayoutControl& control : row.controls) {
            if (control.kind == ControlKind::kRadioButton && control.id != id) model_.SetChecked(control.id, false);
        }
    }
}

void ModelWindow::FromWidget(int id, const std::function<void()>& change, NotifyEvent event) {
    if (mirroring_ > 0) return;
    {
        const int outer = fromWidget_;
        fromWidget_ = id;
        change();
        fromWidget_ = outer;
    }
    Forward(id, event);
}

void ModelWindow::Forward(int id, NotifyEvent event) {
    if (mirroring_ > 0 || frozen_) return;
    // What the model stores of its window (on closing) is where it stands.
    ReportRect();
    // The model may run a conversion: the windows take no input meanwhile.
    const RunScope run;
    // What the action opens (a message box) belongs to this window.
    const ActingWindow acting(TopWindow());
    model_.Notify(id, event);
    EndModalWhenEnded();
}

void ModelWindow::EndModalWhenEnded() {
    if (!modal_ || window_ == nullptr || !model_.IsEnded()) return;
    auto* dialog = dynamic_cast<wxDialog*>(window_);
    if (dialog != nullptr && dialog->IsModal()) dialog->EndModal(model_.Result());
}

int ModelWindow::ShowModal() {
    auto* dialog = dynamic_cast<wxDialog*>(window_);
    if (dialog == nullptr) return kIdCancel;
    modal_ = true;
    RelayoutSoon();
    if (!model_.IsEnded()) {
        const ModalPause pause;
        dialog->ShowModal();
    }
    modal_ = false;
    return model_.IsEnded() ? model_.Result() : kIdCancel;
}

void ModelWindow::OnClose(wxCloseEvent& event) {
    if (event.CanVeto()) {
        // The model decides what its close box does; the steps it takes
        // reach the window through the observer.
        event.Veto();
        if (!frozen_) Forward(kWholeDialog, NotifyEvent::kCloseBox);
        return;
    }
    DestroyWidgets();
}

void ModelWindow::DestroyWidgets() {
    if (frame_ == WindowFrame::kPage) {
        if (panel_ == nullptr) return;
        wxPanel* panel = panel_;
        for (const auto& [id, widget] : widgets_) widget->SetEvtHandlerEnabled(false);
        panel_ = nullptr;
        ForgetWidgets();
        // A page goes when its sheet's window goes, or the sheet's view
        // does: never from an event of its own widgets.
        panel->Destroy();
        return;
    }
    if (window_ == nullptr) return;
    wxTopLevelWindow* window = window_;
    // The toolkit deletes the window later and may still send its widgets
    // events (a focus leaving) meanwhile: none may reach this object, which
    // may be gone by then.
    for (const auto& [id, widget] : widgets_) widget->SetEvtHandlerEnabled(false);
    window->SetEvtHandlerEnabled(false);
    window_ = nullptr;
    panel_ = nullptr;
    ForgetWidgets();
    window->Destroy();
}

void ModelWindow::ForgetWidgets() {
    widgets_.clear();
    labelColumns_.clear();
    layouts_.clear();
    shownText_.clear();
    shownItems_.clear();
    // A layout queued on a window that is gone never runs.
    relayoutPending_ = false;
    placeWhenShown_.reset();
}

void ModelWindow::SetFrozen(bool frozen, int keepId) {
    frozen_ = frozen;
    keepId_ = keepId;
    for (const auto& [id, widget] : widgets_) {
        if (id == keepId) continue;
        const DialogControl* control = model_.Control(id);
        widget->Enable(!frozen && (control == nullptr || control->enabled));
    }
}

void ModelWindow::OnWindowStep(DialogModel&, WindowStep step) {
    switch (step) {
        case WindowStep::kCreated: Build(); break;
        case WindowStep::kShown:
            // A modal run shows the window itself.
            if (window_ != nullptr && !modal_ && !model_.IsModalRun()) window_->Show();
            RelayoutSoon();
            break;
        case WindowStep::kHidden:
            if (window_ != nullptr) {
                EndModalWhenEnded();
                if (!modal_) window_->Hide();
            }
            break;
        case WindowStep::kRaised:
            if (window_ != nullptr && !model_.IsModalRun()) {
                window_->Show();
                window_->Raise();
            }
            break;
        case WindowStep::kDestroyed:
            DestroyWidgets();
            if (afterDestroyed) afterDestroyed();
            break;
        case WindowStep::kCaptionChanged:
            if (window_ != nullptr) window_->SetTitle(ToWx(model_.Caption()));
            break;
        case WindowStep::kMoved:
            // A request: where the desktop places windows itself it has no
            // effect.
            if (window_ != nullptr && reporting_ == 0) {
                window_->Move(model_.Rect().left, model_.Rect().top);
                // A desktop may place a window that is not shown yet where
                // it likes: the place is asked for again once it shows.
                if (!window_->IsShownOnScreen()) placeWhenShown_ = {model_.Rect().left, model_.Rect().top};
            }
            break;
        case WindowStep::kResized:
            if (window_ != nullptr && reporting_ == 0) {
                const wxSize wanted(model_.Rect().width, model_.Rect().height);
                if (wanted != window_->GetSize() && wanted.GetWidth() > 0 && wanted.GetHeight() > 0) {
                    window_->SetSize(wanted);
                }
            }
            break;
    }
}

void ModelWindow::OnControlChanged(DialogModel&, int controlId) {
    if (panel_ == nullptr) return;
    Mirror(controlId);
    if (afterControlChanged) afterControlChanged(controlId);
}

void ModelWindow::Mirror(int id) {
    const DialogControl* control = model_.Control(id);
    wxWindow* widget = Widget(id);
    if (control == nullptr || widget == nullptr) return;
    const Raised mirroring(mirroring_);
    const std::string text = LabelOf(id);
    std::string& shown = shownText_[id];
    const bool textChanged = shown != text;
    bool relabelled = false;

    switch (control->kind) {
        case ControlKind::kLabel:
        case ControlKind::kCheckBox:
        case ControlKind::kRadioButton:
        case ControlKind::kPushButton:
        case ControlKind::kGroupBox:
        case ControlKind::kColourSwatch: {
            // A label's "&" is a character: these texts carry no access keys.
            auto* labelled = static_cast<wxControl*>(widget);
            if (textChanged) {
                labelled->SetLabelText(ToWx(text));
                relabelled = true;
            }
            if (control->kind == ControlKind::kCheckBox)
                static_cast<wxCheckBox*>(widget)->SetValue(control->checked);
            if (control->kind == ControlKind::kRadioButton) {
                static_cast<wxRadioButton*>(widget)->SetValue(control->checked);
            }
            if (control->kind == ControlKind::kColourSwatch) {
                widget->SetBackgroundColour(ToColour(control->fillColour));
                widget->SetForegroundColour(ToColour(control->textColour));
                widget->Refresh();
            }
            break;
        }
        case ControlKind::kEdit: {
            auto* edit = static_cast<wxTextCtrl*>(widget);
            // The toolkit refuses what goes beyond the length as it is typed.
            if (control->maxLength > 0) edit->SetMaxLength(static_cast<unsigned long>(control->maxLength));
            if (textChanged && fromWidget_ != id) {
                // A text that only grew (the status window's lines) is
                // appended: the control keeps what it shows.
                if (!shown.empty() && text.size() > shown.size() && text.compare(0, shown.size(), shown) == 0) {
                    edit->AppendText(ToWx(text.substr(shown.size())));
                } else {
                    edit->ChangeValue(ToWx(text));
                }
            }
            if (fromWidget_ != id) {
                const long last = edit->GetLastPosition();
                const long caret = std::min<long>(control->caret, last);
                if (edit->GetInsertionPoint() != caret) edit->SetInsertionPoint(caret);
                edit->ShowPosition(caret);
            }
            break;
        }
        case ControlKind::kComboBox: {
            auto* combo = static_cast<wxComboBox*>(widget);
            if (!SameItems(shownItems_[id], control->items)) {
                combo->Set(ToWxList(control->items));
                shownItems_[id] = control->items;
            }
            if (fromWidget_ != id) {
                if (combo->GetSelection() != control->selection) combo->SetSelection(control->selection);
                if (FromWx(combo->GetValue()) != text) combo->ChangeValue(ToWx(text));
            }
            break;
        }
        case ControlKind::kList: {
            auto* list = static_cast<wxListBox*>(widget);
            if (!SameItems(shownItems_[id], control->items)) {
                list->Set(ToWxList(control->items));
                shownItems_[id] = control->items;
            }
            if (list->GetSelection() != control->selection) {
                if (control->selection == kNoSelection) {
                    list->SetSelection(wxNOT_FOUND);
                } else {
                    list->SetSelection(control->selection);
                }
            }
            break;
        }
        case ControlKind::kSlider: {
            auto* slider = static_cast<wxSlider*>(widget);
            if (slider->GetMin() != control->rangeMin || slider->GetMax() != control->rangeMax) {
                slider->SetRange(control->rangeMin, control->rangeMax);
            }
            if (slider->GetValue() != control->value) slider->SetValue(control->value);
            break;
        }
        case ControlKind::kTabs: {
            auto* tabs = static_cast<wxNotebook*>(widget);
            std::vector<TextString>& shownTabs = shownItems_[id];
            if (shownTabs.size() == control->items.size()) {
                // Relabelled: the pages, with what they hold, stay.
                for (size_t i = 0; i < control->items.size(); ++i) {
                    if (shownTabs[i] == control->items[i]) continue;
                    tabs->SetPageText(i, ToWx(control->items[i]));
                    relabelled = true;
                }
            } else {
                tabs->DeleteAllPages();
                for (const TextString& item : control->items) tabs->AddPage(new wxPanel(tabs), ToWx(item));
            }
            shownTabs = control->items;
            if (control->selection >= 0 && tabs->GetSelection() != control->selection) {
                tabs->ChangeSelection(static_cast<size_t>(control->selection));
                if (wxWindow* shownPage = tabs->GetCurrentPage()) shownPage->Layout();
            }
            break;
        }
    }
    shown = text;

    const bool enabled = control->enabled && (!frozen_ || id == keepId_);
    if (widget->IsEnabled() != enabled) widget->Enable(enabled);
    if (widget->IsShown() != control->visible) {
        widget->Show(control->visible);
        relabelled = true;
    }
    const wxString tip = ToWx(control->toolTip);
    if (widget->GetToolTipText() != tip) {
        if (tip.empty()) {
            widget->UnsetToolTip();
        } else {
            widget->SetToolTip(tip);
        }
    }
    if (model_.FocusedControl() == id && fromWidget_ != id && wxWindow::FindFocus() != widget) widget->SetFocus();
    if (relabelled) RelayoutSoon();
}

wxTopLevelWindow* ModelWindow::TopWindow() const {
    if (window_ != nullptr) return window_;
    if (panel_ == nullptr) return nullptr;
    return dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(panel_));
}

void ModelWindow::RelayoutSoon() {
    wxTopLevelWindow* top = TopWindow();
    if (top == nullptr) return;
    // A window not shown yet is laid out at once: the model places it from
    // its size (labelled in the language in force) before it shows.
    if (!top->IsShown()) {
        Relayout();
        return;
    }
    if (relayoutPending_) return;
    relayoutPending_ = true;
    top->CallAfter([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        relayoutPending_ = false;
        Relayout();
    });
}

void ModelWindow::Relayout() {
    wxTopLevelWindow* top = TopWindow();
    if (top == nullptr) return;
    FitListsToRows();
    AlignLabelColumns();
    if (wxNotebook* tabs = Tabs()) WidenToTabLabels(*tabs);
    // Longer labels (or a page built later) may need a larger window; a
    // smaller need keeps the size.
    const wxRect before = top->GetRect();
    top->InvalidateBestSize();
    GrowToContents(*top);
    const wxRect rect = top->GetRect();
    if (rect.GetWidth() > before.GetWidth() || rect.GetHeight() > before.GetHeight()) {
        // A window placed near the desktop's edge and then grown (a sheet
        // showing a larger page) is kept on the desktop.
        const int display = wxDisplay::GetFromWindow(top);
        const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
        const int left = std::max(area.GetLeft(), std::min(rect.GetLeft(), area.GetRight() + 1 - rect.GetWidth()));
        const int topEdge =
            std::max(area.GetTop(), std::min(rect.GetTop(), area.GetBottom() + 1 - rect.GetHeight()));
        if (left != rect.GetLeft() || topEdge != rect.GetTop()) top->Move(left, topEdge);
    }
    // The panel keeps its size when only what it holds changed: its own
    // layout is redone here.
    if (panel_ != nullptr) {
        panel_->GetParent()->Layout();
        panel_->Layout();
    }
}

wxNotebook* ModelWindow::Tabs() const {
    if (frame_ != WindowFrame::kPage) return dynamic_cast<wxNotebook*>(Widget(kIdTabControl));
    // A page's panel stands on its tab, a page of the notebook.
    wxWindow* tab = panel_ != nullptr ? panel_->GetParent() : nullptr;
    return tab != nullptr ? dynamic_cast<wxNotebook*>(tab->GetParent()) : nullptr;
}

void ModelWindow::FitListsToRows() {
    for (const auto& [id, layout] : layouts_) {
        if (layout.kind != ControlKind::kList || layout.lines <= 1) continue;
        auto* list = static_cast<wxListBox*>(Widget(id));
        const int row = MeasuredRowHeight(*list);
        const wxSize least = list->GetMinSize();
        if (row > 0 && least.GetHeight() < ListHeight(layout.lines, row))
            list->SetMinSize(wxSize(least.GetWidth(), ListHeight(layout.lines, row)));
    }
}

void ModelWindow::AlignLabelColumns() {
    for (const std::vector<wxWindow*>& labels : labelColumns_) {
        int width = 0;
        for (wxWindow* label : labels) {
            label->SetMinSize(wxDefaultSize);
            label->InvalidateBestSize();
            if (label->IsShown()) width = std::max(width, label->GetBestSize().GetWidth());
        }
        for (wxWindow* label : labels) label->SetMinSize(wxSize(width, -1));
    }
}

void ModelWindow::FitWindowToContents() {
    if (window_ == nullptr) return;
    GrowToContents(*window_);
    if (panel_ != nullptr) panel_->Layout();
}

void ModelWindow::ReportRect() {
    if (window_ == nullptr || reporting_ > 0) return;
    const Raised reporting(reporting_);
    const wxRect rect = window_->GetRect();
    const WindowRect& known = model_.Rect();
    if (rect.GetWidth() != known.width || rect.GetHeight() != known.height)
        model_.SetWindowSize(rect.GetWidth(), rect.GetHeight());
    if (!PositionsReported()) {
        // Where the desktop keeps the place to itself the model knows none:
        // what it stores says so, and the next opening is placed by default.
        if (known.left != kPlaceUnknown || known.top != kPlaceUnknown)
            model_.MoveWindow(kPlaceUnknown, kPlaceUnknown);
    } else if (rect.GetLeft() != known.left || rect.GetTop() != known.top) {
        model_.MoveWindow(rect.GetLeft(), rect.GetTop());
    }
}

void ModelWindow::OnCharHook(wxKeyEvent& event) {
    // Ctrl+PageDown and Ctrl+PageUp change the tab of a sheet whatever
    // control has the focus: the window has them before the control (a
    // list or a slider would take them for its own steps).
    const int key = event.GetKeyCode();
    const bool pageDown = key == WXK_PAGEDOWN || key == WXK_NUMPAD_PAGEDOWN;
    const bool pageUp = key == WXK_PAGEUP || key == WXK_NUMPAD_PAGEUP;
    if (event.GetModifiers() == wxMOD_CONTROL && (pageDown || pageUp) && model_.HasControl(kIdTabControl)) {
        if (!frozen_ && mirroring_ == 0)
            Forward(kIdTabControl, pageDown ? NotifyEvent::kNextTab : NotifyEvent::kPreviousTab);
        return;
    }
    if (event.HasAnyModifiers() || frozen_ || mirroring_ > 0) {
        event.Skip();
        return;
    }
    switch (key) {
        case WXK_F1:
            for (const int help : {kIdHelp, kIdHelpCommand}) {
                if (model_.HasControl(help) && model_.IsEnabled(help)) {
                    Forward(help, NotifyEvent::kClicked);
                    return;
                }
            }
            if (onHelpKey) {
                onHelpKey();
                return;
            }
            break;
        case WXK_ESCAPE:
            // The main window is no dialog: Escape leaves it open.
            if (frame_ == WindowFrame::kFrame) break;
            if (model_.HasControl(kIdCancel)) {
                Forward(kIdCancel, NotifyEvent::kClicked);
            } else {
                Forward(kWholeDialog, NotifyEvent::kCloseBox);
            }
            return;
        default: break;
    }
    event.Skip();
}
