#include "ui/scripted_services.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "texts/dialog_ids.h"
#include "ui/sheet_model.h"

// ---- ModalScript ----

ModalScript& ModalScript::Add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::SetText(int id, const char* text) {
    return Add({.kind = StepKind::kSetText, .id = id, .text = TextString(text)});
}

ModalScript& ModalScript::Check(int id, bool checked) {
    return Add({.kind = StepKind::kCheck, .id = id, .number = checked ? 1 : 0});
}

ModalScript& ModalScript::ChooseRadio(int first, int last, int id) {
    return Add({.kind = StepKind::kChooseRadio, .id = id, .number = first, .last = last});
}

ModalScript& ModalScript::Select(int id, int index) {
    return Add({.kind = StepKind::kSelect, .id = id, .number = index});
}

ModalScript& ModalScript::SetSlider(int id, int value) {
    return Add({.kind = StepKind::kSetSlider, .id = id, .number = value});
}

ModalScript& ModalScript::Press(int id) { return Add({.kind = StepKind::kPress, .id = id}); }

ModalScript& ModalScript::ChooseTab(int index) {
    return Add({.kind = StepKind::kChooseTab, .id = kIdTabControl, .number = index});
}

ModalScript& ModalScript::DropFiles(std::vector<TextString> files) {
    return Add({.kind = StepKind::kDrop, .id = kWholeDialog, .files = std::move(files)});
}

ModalScript& ModalScript::Notify(int id, NotifyEvent event) {
    return Add({.kind = StepKind::kNotify, .id = id, .event = event});
}

// ---- ScriptedUiServices: what the test sets up and checks ----

template <class T>
std::optional<T> ScriptedUiServices::Next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> next = std::move(queue.front());
    queue.pop_front();
    return next;
}

void ScriptedUiServices::QueueNothingChosen(Chooser chooser) {
    switch (chooser) {
        case Chooser::kFile: files_.emplace_back(); break;
        case Chooser::kFolder: folders_.emplace_back(); break;
        case Chooser::kFiles: fileLists_.emplace_back(); break;
        case Chooser::kColour: colours_.emplace_back(); break;
        case Chooser::kFont: fonts_.emplace_back(); break;
    }
}

ModalScript& ScriptedUiServices::QueueRun() { return scripts_.emplace_back(); }

std::vector<ServiceCall> ScriptedUiServices::Messages() const {
    std::vector<ServiceCall> messages;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(messages),
                 [](const ServiceCall& call) { return call.kind == ServiceCallKind::kMessage; });
    return messages;
}

std::vector<ServiceCall> ScriptedUiServices::RefusedSteps() const {
    std::vector<ServiceCall> refused;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(refused),
                 [](const ServiceCall& call) { return call.kind == ServiceCallKind::kStepRefused; });
    return refused;
}

ServiceCall& ScriptedUiServices::Record(ServiceCallKind kind, const char* caption, const char* text) {
    ServiceCall& call = log_.emplace_back();
    call.kind = kind;
    call.caption = caption != nullptr ? caption : "";
    call.text = text != nullptr ? text : "";
    return call;
}

// ---- UiServices ----

MessageAnswer ScriptedUiServices::ShowMessage(const char* caption, const char* text, MessageButtons buttons,
                                              MessageIcon icon, int defaultButton) {
    ServiceCall& call = Record(ServiceCallKind::kMessage, caption, text);
    call.buttons = buttons;
    call.icon = icon;
    call.number = defaultButton;
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    const MessageAnswer byDefault = DefaultAnswer(buttons, defaultButton);
    if (answers_.empty()) return byDefault;
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    // OK, and Cancel where the box has none, stand for its default button.
    if (answer == MessageAnswer::kOk ||
        (answer == MessageAnswer::kCancel && buttons != MessageButtons::kYesNoCancel))
        return byDefault;
    return answer;
}

bool ScriptedUiServices::ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) {
    ServiceCall& call = Record(ServiceCallKind::kChooseFile, title, filter);
    call.path = path.c_str();
    call.forSaving = forSaving;
    std::optional<TextString> chosen = Next(files_);
    if (!chosen) return false;
    path = *chosen;
    return true;
}

bool ScriptedUiServices::ChooseFileOnEntry(bool forSaving, const char* title, const char* filter, int entry,
                                           TextString& path) {
    const bool chosen = ChooseFile(forSaving, title, filter, path);
    log_.back().number = entry;
    return chosen;
}

bool ScriptedUiServices::ChooseFolder(const char* title, TextString& path) {
    Record(ServiceCallKind::kChooseFolder, title).path = path.c_str();
    std::optional<TextString> chosen = Next(folders_);
    if (!chosen) return false;
    path = *chosen;
    return true;
}

bool ScriptedUiServices::ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) {
    ServiceCall& call = Record(ServiceCallKind::kChooseFiles, title, filter);
    if (!paths.empty()) call.path = paths.front().c_str();
    std::optional<std::vector<TextString>> chosen = Next(fileLists_);
    if (!chosen) return false;
    paths = std::move(*chosen);
    return true;
}

bool ScriptedUiServices::ChooseColour(PlatformColour& colour) {
    Record(ServiceCallKind::kChooseColour).number = static_cast<int>(colour);
    std::optional<PlatformColour> chosen = Next(colours_);
    if (!chosen) return false;
    colour = *chosen;
    return true;
}

bool ScriptedUiServices::ChooseFont(FontChoice& font) {
    Record(ServiceCallKind::kChooseFont, "", font.face.c_str()).number = font.pointSize;
    std::optional<FontChoice> chosen = Next(fonts_);
    if (!chosen) return false;
    font = std::move(*chosen);
    return true;
}

bool ScriptedUiServices::SetClipboardText(const char* text) {
    Record(ServiceCallKind::kClipboard, "", text);
    clipboard_ = text != nullptr ? text : "";
    return true;
}

DesktopSize ScriptedUiServices::GetDesktopSize() {
    Record(ServiceCallKind::kDesktopSize);
    return desktop_;
}

void ScriptedUiServices::BeginWaitCursor() {
    Record(ServiceCallKind::kBeginWaitCursor);
    ++waitDepth_;
}

void ScriptedUiServices::EndWaitCursor() {
    Record(ServiceCallKind::kEndWaitCursor);
    if (waitDepth_ > 0) --waitDepth_;
}

// ---- Modal runs ----

int ScriptedUiServices::RunModal(DialogModel& dialog) {
    Record(ServiceCallKind::kRunModal, dialog.Caption().c_str()).number = dialog.TemplateId();
    // Taken off the queue before the run: a dialog the steps open takes the
    // next script.
    ModalScript script;
    if (!scripts_.empty()) {
        script = std::move(scripts_.front());
        scripts_.pop_front();
    }
    const bool wasModal = dialog.IsModalRun();
    dialog.ResetEnding();
    dialog.SetModalRun(true);
    dialog.CreateWindow();
    dialog.ShowWindow();
    for (const ModalScript::Step& step : script.steps_) {
        if (dialog.IsEnded()) {
            Refuse(dialog, step.id, "step after the end");
            continue;
        }
        RunStep(dialog, step);
    }
    // Out of steps: the user presses Cancel; a dialog that stays open even
    // so is ended with Cancel all the same, so a run always ends.
    if (!dialog.IsEnded()) dialog.Notify(kIdCancel, NotifyEvent::kClicked);
    if (!dialog.IsEnded()) dialog.EndDialog(kIdCancel);
    const int result = dialog.Result();
    dialog.DestroyWindow();
    dialog.SetModalRun(wasModal);
    return result;
}

void ScriptedUiServices::Refuse(DialogModel& dialog, int id, const char* what) {
    std::string text = what;
    text += " (control " + std::to_string(id) + ")";
    Record(ServiceCallKind::kStepRefused, dialog.Caption().c_str(), text.c_str()).number = dialog.TemplateId();
}

void ScriptedUiServices::RunStep(DialogModel& dialog, const ModalScript::Step& step) {
    using StepKind = ModalScript::StepKind;
    if (step.kind == StepKind::kDrop) {
        dialog.SetDroppedFiles(step.files);
        dialog.Notify(kWholeDialog, NotifyEvent::kFilesDropped);
        return;
    }
    // A control the dialog lacks is looked up on the active page of a sheet.
    DialogModel* target = &dialog;
    auto* sheet = dynamic_cast<SheetModel*>(&dialog);
    if (step.id != kWholeDialog && !dialog.HasControl(step.id) && sheet != nullptr && sheet->ActivePage() != nullptr)
        target = sheet->ActivePage();
    if (step.kind == StepKind::kNotify) {
        target->Notify(step.id, step.event);
        return;
    }
    const DialogControl* control = target->Control(step.id);
    if (control == nullptr) return Refuse(dialog, step.id, "no such control");
    if (!control->enabled) return Refuse(dialog, step.id, "control disabled");
    if (!control->visible) return Refuse(dialog, step.id, "control hidden");
    const int id = step.id;
    switch (step.kind) {
        case StepKind::kSetText:
            target->SetControlText(id, step.text.c_str());
            if (control->kind == ControlKind::kComboBox) target->Notify(id, NotifyEvent::kEditChanged);
            target->Notify(id, NotifyEvent::kTextChanged);
            break;
        case StepKind::kCheck:
            target->SetChecked(id, step.number != 0);
            target->Notify(id, NotifyEvent::kClicked);
            break;
        case StepKind::kChooseRadio:
            target->CheckRadioButton(step.number, step.last, id);
            target->Notify(id, NotifyEvent::kClicked);
            break;
        case StepKind::kSelect:
        case StepKind::kChooseTab:
            if (step.number < 0 || step.number >= static_cast<int>(control->items.size()))
                return Refuse(dialog, id, "no such entry");
            target->SetSelection(id, step.number);
            target->Notify(id, NotifyEvent::kSelectionEnded);
            if (control->kind == ControlKind::kComboBox) target->Notify(id, NotifyEvent::kListClosed);
            break;
        case StepKind::kSetSlider:
            target->SetValue(
                id, std::clamp(step.number, control->rangeMin, std::max(control->rangeMin, control->rangeMax)));
            target->Notify(id, NotifyEvent::kSliderMoved);
            break;
        case StepKind::kPress: target->Notify(id, NotifyEvent::kClicked); break;
        case StepKind::kDrop:
        case StepKind::kNotify: break;  // carried out above
    }
}
