#include "ui/option_page.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "app/base_dialog.h"
#include "policies/alignments.h"
#include "texts/combo_history.h"
#include "texts/message_texts.h"
#include "texts/page_texts.h"
#include "ui/base_sheet.h"
#include "ui/colour_picker.h"
#include "ui/data_exchange.h"

// ---- OptionPage ----

void OptionPage::AddControls(std::span<const PageControl> controls) {
    controls_ = controls;
    for (const PageControl& control : controls) {
        AddControl(control.id, control.kind, EnglishLabelOf(control.label));
        BindRow(control);
    }
}

void OptionPage::BindRow(const PageControl& control) {
    const Binding& binding = control.binding;
    const int id = control.id;
    if (binding.kind == BindingKind::kColourPicker) {
        On(id, NotifyEvent::kClicked, [this, field = binding.otherId] { PickColour(field); });
        return;
    }
    if (binding.kind != BindingKind::kPolicy) return;
    switch (binding.bound) {
        case BoundKind::kCheck:
        case BoundKind::kInvertedCheck: BindCheck(id, binding.policy, binding.bound); break;
        case BoundKind::kText: BindText(id, binding.policy, binding.when); break;
        case BoundKind::kNumber: BindNumber(id, binding.policy, binding.minValue, binding.maxValue); break;
        case BoundKind::kColour: BindColour(id, binding.policy); break;
        case BoundKind::kRadioPair: BindRadioPair(id, binding.otherId, binding.policy, false); break;
        case BoundKind::kRadioPairFirstOn: BindRadioPair(id, binding.otherId, binding.policy, true); break;
        case BoundKind::kChoiceList: BindChoiceList(id, binding.policy); break;
        case BoundKind::kAlignmentList: BindAlignmentList(id, binding.policy); break;
    }
}

bool OptionPage::IsOn(int controlId) const {
    const BoundControl* bound = Bound(controlId);
    return bound != nullptr && bound->number != 0;
}

bool OptionPage::Holds(const Enabling& enabling) const {
    const std::span<const EnableCondition> conditions(enabling.conditions.data(),
                                                      static_cast<size_t>(enabling.count));
    auto met = [this](const EnableCondition& condition) { return IsOn(condition.controlId) == condition.on; };
    switch (enabling.rule) {
        case Enabling::Rule::kAlways: return true;
        case Enabling::Rule::kNever: return false;
        case Enabling::Rule::kWhileAll: return std::all_of(conditions.begin(), conditions.end(), met);
        case Enabling::Rule::kWhileAny: return std::any_of(conditions.begin(), conditions.end(), met);
    }
    return true;
}

void OptionPage::RefreshEnabling() {
    for (const PageControl& control : controls_) {
        // A control enabled always is left as it is.
        if (control.enabling.rule != Enabling::Rule::kAlways) EnableControl(control.id, Holds(control.enabling));
        if (control.enabling.hidden) ShowControl(control.id, false);
    }
}

void OptionPage::PaintSwatches() {
    for (const PageControl& control : controls_) {
        if (control.binding.kind != BindingKind::kSwatch) continue;
        const TextString& colour = Bound(control.binding.otherId)->text;
        PaintColourSwatch(*this, control.id, colour, colour);
    }
}

void OptionPage::FillTextLists() {
    for (const PageControl& control : controls_) {
        if (control.binding.kind != BindingKind::kPolicy || control.binding.bound != BoundKind::kAlignmentList)
            continue;
        const int selection = Selection(control.id);
        SetItems(control.id, AlignmentListItems());
        SetSelection(control.id, selection);
    }
}

OptionPage::OptionPage(int templateId, int topicCode, UiServices& services)
    : DialogModel(templateId, services), topicCode_(topicCode) {
    On(kWholeDialog, NotifyEvent::kPageActivated, [this] { OnSetActive(); });
}

void OptionPage::AttachSheet(BaseSheet& sheet) { sheet_ = &sheet; }

BaseDialog* OptionPage::Owner() const { return sheet_ == nullptr ? nullptr : &sheet_->Owner(); }

const BoundControl* OptionPage::Bound(int controlId) const {
    for (const BoundControl& bound : bound_)
        if (bound.controlId == controlId) return &bound;
    return nullptr;
}

BoundControl* OptionPage::MutableBound(int controlId) {
    for (BoundControl& bound : bound_)
        if (bound.controlId == controlId) return &bound;
    return nullptr;
}

bool OptionPage::AnyChanged() const {
    for (const BoundControl& bound : bound_)
        if (bound.changed) return true;
    return false;
}

void OptionPage::BindCheck(int id, PolicyRef policy, BoundKind kind) {
    bound_.emplace_back(id, kind, policy);
    On(id, NotifyEvent::kClicked, [this, id] { SelectionMade(MutableBound(id)->changed); });
}

void OptionPage::BindText(int id, PolicyRef policy, CompareWhen when) {
    bound_.emplace_back(id, BoundKind::kText, policy);
    // Taking the values compares the text (ExchangeData).
    auto compare = [this] { UpdateData(true); };
    On(id, NotifyEvent::kFocusLost, compare);
    if (when == CompareWhen::kOnEveryEdit) {
        On(id, NotifyEvent::kTextChanged, compare);
        On(id, NotifyEvent::kEditChanged, compare);
    }
}

void OptionPage::BindNumber(int id, PolicyRef policy, int minValue, int maxValue) {
    BoundControl& bound = bound_.emplace_back(id, BoundKind::kNumber, policy);
    bound.minValue = minValue;
    bound.maxValue = maxValue;
    On(id, NotifyEvent::kFocusLost, [this] { UpdateData(true); });
}

void OptionPage::BindColour(int id, PolicyRef policy) {
    bound_.emplace_back(id, BoundKind::kColour, policy);
    On(id, NotifyEvent::kTextChanged, [this, id] {
        BoundControl* bound = MutableBound(id);
        bound->text = ControlText(id);
        MarkChanged(bound->changed);
        // A colour text is complete at six hexadecimal digits; a shorter
        // one is still being typed.
        if (bound->text.length == 6) PaintSwatches();
    });
}

void OptionPage::BindRadioPair(int first, int second, PolicyRef policy, bool firstWhenOn) {
    bound_.emplace_back(first, firstWhenOn ? BoundKind::kRadioPairFirstOn : BoundKind::kRadioPair, policy).secondId =
        second;
    auto chosen = [this, first] { SelectionMade(MutableBound(first)->changed); };
    On(first, NotifyEvent::kClicked, chosen);
    On(second, NotifyEvent::kClicked, chosen);
}

void OptionPage::BindChoiceList(int id, PolicyRef policy) {
    bound_.emplace_back(id, BoundKind::kChoiceList, policy);
    auto chosen = [this, id] { SelectionMade(MutableBound(id)->changed); };
    On(id, NotifyEvent::kListClosed, chosen);
    On(id, NotifyEvent::kSelectionEnded, chosen);
}

void OptionPage::BindAlignmentList(int id, PolicyRef policy) {
    bound_.emplace_back(id, BoundKind::kAlignmentList, policy);
    On(id, NotifyEvent::kSelectionEnded, [this, id] { SelectionMade(MutableBound(id)->changed); });
    On(id, NotifyEvent::kFocusLost, [this, id] {
        BoundControl* bound = MutableBound(id);
        if (Selection(id) != bound->number) SelectionMade(bound->changed);
    });
}

void OptionPage::LoadBinding(BoundControl& bound, const FC& set) {
    const int value = bound.policy.Number(set);
    switch (bound.kind) {
        case BoundKind::kCheck: bound.number = value != 0 ? 1 : 0; break;
        case BoundKind::kInvertedCheck: bound.number = value == 0 ? 1 : 0; break;
        case BoundKind::kText:
        case BoundKind::kColour: bound.text = bound.policy.Text(set); break;
        case BoundKind::kNumber: bound.number = value; break;
        case BoundKind::kRadioPair: bound.number = value != 0 ? 1 : 0; break;
        case BoundKind::kRadioPairFirstOn: bound.number = value != 0 ? 0 : 1; break;
        case BoundKind::kChoiceList: bound.number = value - 1; break;
        case BoundKind::kAlignmentList: bound.number = AlignmentToListIndex(value); break;
    }
}

void OptionPage::StoreBinding(BoundControl& bound, FC& set) {
    switch (bound.kind) {
        case BoundKind::kCheck: bound.policy.SetNumber(set, bound.number != 0 ? 1 : 0); break;
        case BoundKind::kInvertedCheck: bound.policy.SetNumber(set, bound.number != 0 ? 0 : 1); break;
        case BoundKind::kText:
        case BoundKind::kColour: bound.policy.SetText(set, bound.text.c_str()); break;
        case BoundKind::kNumber: bound.policy.SetNumber(set, bound.number); break;
        case BoundKind::kRadioPair: bound.policy.SetNumber(set, bound.number == 1 ? 1 : 0); break;
        case BoundKind::kRadioPairFirstOn: bound.policy.SetNumber(set, bound.number == 0 ? 1 : 0); break;
        case BoundKind::kChoiceList: bound.policy.SetNumber(set, bound.number + 1); break;
        case BoundKind::kAlignmentList: bound.policy.SetNumber(set, ListIndexToAlignment(bound.number)); break;
    }
    NotifyStored(bound.policy.Category());
}

void OptionPage::LoadValues(const FC& set) { LoadBindings(set, {}); }

void OptionPage::LoadBindings(const FC& set, std::span<const int> together) {
    auto inGroup = [&](int id) { return std::find(together.begin(), together.end(), id) != together.end(); };
    bool groupUntouched = true;
    for (const BoundControl& bound : bound_)
        if (inGroup(bound.controlId) && bound.changed) groupUntouched = false;
    for (BoundControl& bound : bound_)
        if (inGroup(bound.controlId) ? groupUntouched : !bound.changed) LoadBinding(bound, set);
}

void OptionPage::Load(FC& set, FC&) {
    LoadValues(set);
    if (!HasWindow()) return;
    RefreshEnabling();
    UpdateData(false);
    PaintSwatches();
}

void OptionPage::Store(FC& set) {
    for (BoundControl& bound : bound_)
        if (bound.changed) StoreBinding(bound, set);
}

void OptionPage::ResetChanged() {
    for (BoundControl& bound : bound_) bound.changed = false;
}

void OptionPage::ChangeLanguage(int) {
    if (!HasWindow()) return;
    const bool showTips = Owner() != nullptr && Owner()->settings.displayToolTips;
    ApplyToolTips(ToolTipMode::kSetTexts, this, TemplateId(), tips_, showTips);
    FillTextLists();
}

void OptionPage::TakeText(DataExchange& dx, int id, TextString& member, bool& changed) {
    if (!dx.Saving()) {
        dx.Text(id, member);
        return;
    }
    const TextString before(member);
    dx.Text(id, member);
    if (before.view() != member.view()) MarkChanged(changed);
}

void OptionPage::MarkChanged(bool& changed) {
    changed = true;
    SetModified();
}

void OptionPage::PickColour(int fieldId) {
    BoundControl* bound = MutableBound(fieldId);
    UpdateData(true);
    ChooseColour(Services(), bound->text);
    SetControlText(fieldId, bound->text.c_str());
    MarkChanged(bound->changed);
    PaintSwatches();
}

void OptionPage::SelectionMade(bool& changed) {
    UpdateData(true);
    changed = true;
    SetModified();
    RefreshEnabling();
}

void OptionPage::SetModified() {
    if (sheet_ != nullptr) sheet_->SetModified(true);
}

void OptionPage::NotifyStored(int category) {
    if (BaseDialog* owner = Owner()) owner->NotifyPoliciesChanged(category);
}

void OptionPage::OnInitDialog() {
    // Labels are the page's own, whatever the tool-tip setting.
    ApplyToolTips(ToolTipMode::kSetTexts, this, TemplateId(), tips_, false);
    FillTextLists();
    RefreshEnabling();
    UpdateData(false);
    PaintSwatches();
}

void OptionPage::OnDestroy() {
    tips_.Destroy(*this);
    tipsCreated_ = false;
}

void OptionPage::OnSetActive() {
    if (sheet_ != nullptr) sheet_->SetTopicCode(topicCode_);
    RefreshEnabling();
    if (!tipsCreated_) {
        tipsCreated_ = true;
        tips_.Create();
        if (Owner() != nullptr && Owner()->settings.displayToolTips) {
            ApplyToolTips(ToolTipMode::kAdd, this, TemplateId(), tips_, true);
            ApplyToolTips(ToolTipMode::kSetTexts, this, TemplateId(), tips_, true);
        }
    }
}

void OptionPage::ExchangeData(DataExchange& dx) {
    for (BoundControl& bound : bound_) {
        switch (bound.kind) {
            case BoundKind::kCheck:
            case BoundKind::kInvertedCheck: dx.Check(bound.controlId, bound.number); break;
            case BoundKind::kText:
            case BoundKind::kColour: TakeText(dx, bound.controlId, bound.text, bound.changed); break;
            case BoundKind::kNumber: {
                const int before = bound.number;
                dx.Number(bound.controlId, bound.number, bound.minValue, bound.maxValue);
                if (dx.Saving() && !dx.Failed() && bound.number != before) MarkChanged(bound.changed);
                break;
            }
            case BoundKind::kRadioPair:
            case BoundKind::kRadioPairFirstOn: {
                const int ids[] = {bound.controlId, bound.secondId};
                dx.Radio(ids, bound.number);
                break;
            }
            case BoundKind::kChoiceList:
            case BoundKind::kAlignmentList: dx.Selection(bound.controlId, bound.number); break;
        }
    }
    ExchangeOwn(dx);
}

// ---- Histories and lists ----

namespace {

// The alignment list's entries as message-text slots, in list order.
constexpr int kAlignmentItemSlots[] = {64, 65, 66, 68, 67};
// The alignment value of each list entry.
constexpr int kAlignmentOfIndex[] = {kAlignmentNone, kAlignmentLeft, kAlignmentRight, kAlignmentJustified,
                                     kAlignmentCentre};

}  // namespace

std::vector<TextString> AlignmentListItems() {
    std::vector<TextString> items;
    for (int slot : kAlignmentItemSlots) items.emplace_back(GetMessageText(slot));
    return items;
}

int AlignmentToListIndex(int alignment) {
    for (int i = 1; i < static_cast<int>(std::size(kAlignmentOfIndex)); ++i)
        if (kAlignmentOfIndex[i] == alignment) return i;
    return 0;
}

int ListIndexToAlignment(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kAlignmentOfIndex))) return kAlignmentNone;
    return kAlignmentOfIndex[index];
}

void FillFromHistory(DialogModel& dialog, int id, const TextString* history) {
    std::vector<TextString> items;
    for (int i = 0; i < kHistoryCount; ++i)
        if (!history[i].IsEmpty()) items.push_back(history[i]);
    const TextString text(dialog.ControlText(id));
    dialog.SetItems(id, std::move(items));
    dialog.SetControlText(id, text.c_str());
}

void RecordHistory(DialogModel& dialog, int id, TextString* history, const char* text, bool showItems) {
    if (text == nullptr || *text == '\0') return;
    ComboBoxList combo;
    FillComboFromList(&combo, kHistoryCount, history);
    UpdateComboHistory(&combo, kHistoryCount, history, text);
    if (showItems) FillFromHistory(dialog, id, history);
}

std::vector<TextString> SplitChoices(const char* choices) {
    std::vector<TextString> items;
    std::string item;
    for (const char* p = choices;; ++p) {
        if (*p == ',' || *p == '\0') {
            items.emplace_back(item.c_str());
            item.clear();
            if (*p == '\0') break;
        } else {
            item.push_back(*p);
        }
    }
    return items;
}
