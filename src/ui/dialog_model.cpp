#include "ui/dialog_model.h"

#include <algorithm>
#include <utility>

#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"

DialogObserver::~DialogObserver() = default;

DialogModel::DialogModel(int templateId, UiServices& services) : templateId_(templateId), services_(services) {}

DialogModel::~DialogModel() { services_.DropFieldWorkOf(this); }

void DialogModel::SetCaption(const char* text) {
    caption_ = text;
    WindowChanged(WindowStep::kCaptionChanged);
}

void DialogModel::AddControl(int id, ControlKind kind, const char* text) {
    DialogControl& control = controls_[id];
    control.id = id;
    control.kind = kind;
    control.text = text;
    ControlChanged(id);
}

const DialogControl* DialogModel::Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

DialogControl* DialogModel::MutableControl(int id) {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

std::vector<int> DialogModel::ControlIds() const {
    std::vector<int> ids;
    ids.reserve(controls_.size());
    for (const auto& entry : controls_) ids.push_back(entry.first);
    return ids;
}

void DialogModel::ControlChanged(int id) {
    if (observer_ != nullptr) observer_->OnControlChanged(*this, id);
}

void DialogModel::WindowChanged(WindowStep step) {
    if (observer_ != nullptr) observer_->OnWindowStep(*this, step);
}

void DialogModel::SetControlText(int id, const char* text) {
    ChangeControl(id, [&](DialogControl& control) {
        control.text = text;
        // A combo box whose field no longer shows its selected entry (the
        // user typed over it) has no entry selected: a list closed later
        // without a choice must not bring the old entry back.
        const auto selected = static_cast<size_t>(control.selection);
        if (control.kind == ControlKind::kComboBox && control.selection != kNoSelection &&
            (selected >= control.items.size() || control.items[selected] != control.text))
            control.selection = kNoSelection;
    });
}

const char* DialogModel::ControlText(int id) const {
    const DialogControl* control = Control(id);
    return control == nullptr ? "" : control->text.c_str();
}

void DialogModel::SetChecked(int id, bool checked) {
    ChangeControl(id, [&](DialogControl& control) { control.checked = checked; });
}

bool DialogModel::IsChecked(int id) const {
    const DialogControl* control = Control(id);
    return control != nullptr && control->checked;
}

void DialogModel::CheckRadioButton(int first, int last, int id) {
    for (auto it = controls_.lower_bound(first); it != controls_.end() && it->first <= last; ++it) {
        if (it->second.kind != ControlKind::kRadioButton) continue;
        bool checked = it->first == id;
        if (it->second.checked == checked) continue;
        it->second.checked = checked;
        ControlChanged(it->first);
    }
}

void DialogModel::EnableControl(int id, bool enabled) {
    ChangeControl(id, [&](DialogControl& control) { control.enabled = enabled; });
}

bool DialogModel::IsEnabled(int id) const {
    const DialogControl* control = Control(id);
    return control != nullptr && control->enabled;
}

void DialogModel::ShowControl(int id, bool visible) {
    ChangeControl(id, [&](DialogControl& control) { control.visible = visible; });
}

void DialogModel::SetItems(int id, std::vector<TextString> items) {
    ChangeControl(id, [&](DialogControl& control) {
        control.items = std::move(items);
        control.selection = kNoSelection;
    });
}

void DialogModel::AddItem(int id, const char* item) {
    ChangeControl(id, [&](DialogControl& control) { control.items.emplace_back(item); });
}

void DialogModel::ClearItems(int id) { SetItems(id, {}); }

void DialogModel::SetSelection(int id, int index) {
    ChangeControl(id, [&](DialogControl& control) {
        if (index < 0 || index >= static_cast<int>(control.items.size())) index = kNoSelection;
        control.selection = index;
        if (index != kNoSelection && control.kind == ControlKind::kComboBox)
            control.text = control.items[static_cast<size_t>(index)];
    });
}

int DialogModel::Selection(int id) const {
    const DialogControl* control = Control(id);
    return control == nullptr ? kNoSelection : control->selection;
}

void DialogModel::SetValue(int id, int value) {
    ChangeControl(id, [&](DialogControl& control) { control.value = value; });
}

int DialogModel::Value(int id) const {
    const DialogControl* control = Control(id);
    return control == nullptr ? 0 : control->value;
}

void DialogModel::SetRange(int id, int rangeMin, int rangeMax) {
    ChangeControl(id, [&](DialogControl& control) {
        control.rangeMin = rangeMin;
        control.rangeMax = rangeMax;
    });
}

void DialogModel::SetToolTip(int id, const char* text) {
    ChangeControl(id, [&](DialogControl& control) { control.toolTip = text; });
}

void DialogModel::SetColours(int id, PlatformColour fill, PlatformColour text) {
    ChangeControl(id, [&](DialogControl& control) {
        control.fillColour = fill;
        control.textColour = text;
    });
}

void DialogModel::SetCaret(int id, int position) {
    ChangeControl(id, [&](DialogControl& control) { control.caret = std::clamp(position, 0, control.text.length); });
}

void DialogModel::SetMaxLength(int id, int length) {
    ChangeControl(id, [&](DialogControl& control) { control.maxLength = std::max(length, 0); });
}

void DialogModel::SetFocus(int id) {
    if (id != kNoControl && !HasControl(id)) return;
    focus_ = id;
    if (id != kNoControl) ControlChanged(id);
}

void DialogModel::CreateWindow() {
    if (hasWindow_) return;
    hasWindow_ = true;
    shown_ = false;
    WindowChanged(WindowStep::kCreated);
    OnInitDialog();
}

void DialogModel::ShowWindow() {
    if (!hasWindow_) return;
    shown_ = true;
    WindowChanged(WindowStep::kShown);
}

void DialogModel::HideWindow() {
    if (!hasWindow_) return;
    shown_ = false;
    WindowChanged(WindowStep::kHidden);
}

void DialogModel::RaiseWindow() {
    if (!hasWindow_) return;
    shown_ = true;
    WindowChanged(WindowStep::kRaised);
}

void DialogModel::DestroyWindow() {
    if (!hasWindow_) return;
    services_.DropFieldWorkOf(this);
    OnDestroy();
    hasWindow_ = false;
    shown_ = false;
    focus_ = kNoControl;
    WindowChanged(WindowStep::kDestroyed);
}

void DialogModel::MoveWindow(int left, int top) {
    rect_.left = left;
    rect_.top = top;
    WindowChanged(WindowStep::kMoved);
}

WindowRect KeptOnDesktop(const WindowRect& rect, const DesktopSize& desktop) {
    WindowRect kept = rect;
    // Into the desktop from its far edges first; the near edges win where
    // the window is larger than the desktop.
    kept.left = std::max(0, std::min(rect.left, desktop.width - rect.width));
    kept.top = std::max(0, std::min(rect.top, desktop.height - rect.height));
    return kept;
}

void DialogModel::PlaceOnDesktop(int left, int top) {
    const WindowRect kept = KeptOnDesktop({left, top, rect_.width, rect_.height}, services_.GetDesktopSize());
    MoveWindow(kept.left, kept.top);
}

void DialogModel::SetWindowSize(int width, int height) {
    rect_.width = width;
    rect_.height = height;
    WindowChanged(WindowStep::kResized);
}

void DialogModel::On(int id, NotifyEvent event, Handler handler) { handlers_[{id, event}] = std::move(handler); }

bool DialogModel::Notify(int id, NotifyEvent event) {
    // Work the leaving of a field started comes before what the user did
    // next: the click that moved the focus acts on what the field named.
    services_.RunFieldWork();
    auto found = handlers_.find({id, event});
    if (found != handlers_.end() && found->second) {
        // A copy: the handler may register handlers of its own.
        Handler handler = found->second;
        handler();
        return true;
    }
    if (event == NotifyEvent::kClicked && id == kIdOk) {
        OnOk();
        return true;
    }
    if (event == NotifyEvent::kClicked && id == kIdCancel) {
        OnCancel();
        return true;
    }
    if (event == NotifyEvent::kCloseBox && id == kWholeDialog) {
        OnCloseBox();
        return true;
    }
    return false;
}

bool DialogModel::UpdateData(bool saveAndValidate) {
    if (!hasWindow_) return true;
    DataExchange exchange(*this, saveAndValidate);
    ExchangeData(exchange);
    return !exchange.Failed();
}

void DialogModel::OnOk() {
    if (!UpdateData(true)) return;
    EndDialog(kIdOk);
}

void DialogModel::OnCancel() { EndDialog(kIdCancel); }

void DialogModel::EndDialog(int resultId) {
    ended_ = true;
    result_ = resultId;
    if (!modalRun_) HideWindow();
}

void DialogModel::ResetEnding() {
    ended_ = false;
    result_ = 0;
}
