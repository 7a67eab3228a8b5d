#include "ui/policy_file_dialogs.h"

#include <cerrno>

#include "app/base_dialog.h"
#include "app/ui_services.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "platform/output_files.h"
#include "policies/fc.h"
#include "texts/combo_history.h"
#include "texts/dialog_ids.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/combo_box_history.h"
#include "ui/data_exchange.h"
#include "ui/dialog_texts.h"
#include "ui/help_pages.h"
#include "ui/replace_question.h"
#include "ui/window_layout.h"

namespace {

// The room kept below a placed dialog for the desktop's task bar.
constexpr int kTaskBarRoom = 30;

// Marks the policy-file dialog busy for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

// ---- PolicyFileDialog ----

PolicyFileDialog::PolicyFileDialog(BaseDialog& owner)
    : DialogModel(kPolicyFileDialogId, owner.services), PolicyFileText(owner.runPolicyFileName), owner_(owner) {
    AddControl(kPolicyFileGroup, ControlKind::kGroupBox, "Get options from a policy file");
    AddControl(kPolicyFileLabel, ControlKind::kLabel, "Load policy file");
    AddControl(kPolicyFileCombo, ControlKind::kComboBox);
    AddControl(kPolicyFileBrowse, ControlKind::kPushButton, "Browse...");
    AddControl(kPolicyFileSaveOptions, ControlKind::kPushButton, "Save options to a policy file");
    AddControl(kPolicyFileReset, ControlKind::kPushButton, "Reset to defaults");
    AddControl(kIdHelpCommand, ControlKind::kPushButton, "Help");
    AddControl(kIdOk, ControlKind::kPushButton, "Close");

    On(kPolicyFileBrowse, NotifyEvent::kClicked, [this] { Browse(); });
    On(kPolicyFileSaveOptions, NotifyEvent::kClicked, [this] { SaveOptions(); });
    On(kPolicyFileReset, NotifyEvent::kClicked, [this] { ResetToDefaults(); });
    On(kPolicyFileCombo, NotifyEvent::kFocusLost, [this] { FileLeft(); });
    On(kPolicyFileCombo, NotifyEvent::kSelectionEnded, [this] { LoadChosenFile(); });
    On(kIdHelpCommand, NotifyEvent::kClicked, [this] { ShowUserGuide(owner_, kPolicyFileGuideSection); });
}

void PolicyFileDialog::OnInitDialog() {
    const bool showTips = owner_.settings.displayToolTips;
    toolTips_.Create();
    if (showTips) ApplyToolTips(ToolTipMode::kAdd, this, kPolicyFileDialogId, toolTips_, showTips);
    if (showTips || owner_.LanguageCode != shownLanguage_) {
        shownLanguage_ = owner_.LanguageCode;
        ApplyToolTips(ToolTipMode::kSetTexts, this, kPolicyFileDialogId, toolTips_, showTips);
    }
    SetProductCaption(this, kUiPolicyFileCaption);
    Place();
    FillComboFromHistory(*this, kPolicyFileCombo, owner_.settings.policyHistory, kHistoryCount);
    UpdateData(false);
}

void PolicyFileDialog::OnDestroy() { toolTips_.Destroy(*this); }

void PolicyFileDialog::ExchangeData(DataExchange& exchange) { exchange.Text(kPolicyFileCombo, PolicyFileText); }

void PolicyFileDialog::OnOk() {
    if (!UpdateData(true)) return;
    ReadComboToHistory(*this, kPolicyFileCombo, owner_.settings.policyHistory, kHistoryCount);
    EndDialog(kIdOk);
}

void PolicyFileDialog::Place() {
    const WindowRect& rect = Rect();
    int left = rect.left + rect.width / 4;
    int top = rect.top + rect.height / 4;
    if (left < 0) left = 1;
    if (top < 0) top = 1;
    const DesktopSize desktop = Services().GetDesktopSize();
    if (desktop.width < left + rect.width) left = desktop.width - rect.width - 1;
    if (desktop.height < top + rect.height + kTaskBarRoom) top = desktop.height - rect.height - kTaskBarRoom - 1;
    MoveWindow(left, top);
}

void PolicyFileDialog::SetLoadedFile(const TextString& name) {
    PutOnTopOfCombo(*this, kPolicyFileCombo, name.buffer);
    ReadComboToHistory(*this, kPolicyFileCombo, owner_.settings.policyHistory, kHistoryCount);
    PolicyFileText = name;
    owner_.runPolicyFileName = name;
}

void PolicyFileDialog::LoadOrFallBack(const TextString& fallback) {
    owner_.runPolicyFileName = PolicyFileText;
    if (owner_.LoadPolicyFile()) {
        const TextString loaded(PolicyFileText);
        SetLoadedFile(loaded);
    } else if (!PolicyFileText.IsEmpty()) {
        // An emptied field loads nothing and stays empty: the policies are
        // those of no file, and the field says so.
        PolicyFileText = fallback;
    }
    owner_.runPolicyFileName = PolicyFileText;
}

void PolicyFileDialog::Browse() {
    TextString path(PolicyFileText);
    const TextString title(ControlText(kPolicyFileLabel));
    if (!Services().ChooseFile(false, title.buffer, GetMessageText(kMsgPolicyFilesFilter), path)) return;
    if (!owner_.OfferToSaveEdits(kFirstButton)) return;
    const TextString previous(PolicyFileText);
    PolicyFileText = path;
    LoadOrFallBack(previous);
    UpdateData(false);
}

void PolicyFileDialog::FileLeft() {
    if (busy_) return;
    // The name the field is left with loads once the focus has moved: the
    // click that moved it (Close, say) then acts with the file loaded.
    Services().DeferFieldWork(this,
                              [this, typed = TextString(ControlText(kPolicyFileCombo))] { LoadTypedFile(typed); });
}

void PolicyFileDialog::LoadTypedFile(const TextString& typed) {
    if (busy_ || typed == PolicyFileText) return;
    // Cancel puts the field back; nothing loads.
    if (owner_.OfferToSaveEdits(kFirstButton)) {
        const TextString previous(PolicyFileText);
        PolicyFileText = typed;
        LoadOrFallBack(previous);
    }
    owner_.runPolicyFileName = PolicyFileText;
    UpdateData(false);
}

void PolicyFileDialog::LoadChosenFile() {
    const DialogControl* combo = Control(kPolicyFileCombo);
    if (combo == nullptr || combo->selection < 0 || combo->selection >= static_cast<int>(combo->items.size()))
        return;
    const TextString picked = combo->items[static_cast<size_t>(combo->selection)];
    // Asked before anything is reset: Cancel leaves the field and the
    // policies as they were.
    if (!owner_.OfferToSaveEdits(kFirstButton)) {
        UpdateData(false);
        return;
    }
    PolicyFileText = picked;
    owner_.runPolicyFileName = PolicyFileText;
    // A file chosen from the list starts from the defaults: nothing of the
    // file loaded before, nor of the user's changes, stays behind.
    owner_.PolicyFileSet().ResetPolicies();
    owner_.WorkingSet().ResetPolicies();
    owner_.SecondSet().ResetPolicies();
    owner_.policyFileLoaded = 0;
    owner_.policiesEdited = 0;
    {
        BusyScope busy(busy_);
        LoadOrFallBack(TextString());
    }
    UpdateData(false);
    owner_.RefreshControls();
}

void PolicyFileDialog::SaveOptions() {
    if (RunSavePolicyDialog(owner_) != kIdOk) return;
    // The saved file went on top of the owner's history; the list shows it,
    // so that closing this dialog keeps it there.
    FillComboFromHistory(*this, kPolicyFileCombo, owner_.settings.policyHistory, kHistoryCount);
    UpdateData(false);
}

void PolicyFileDialog::ResetToDefaults() {
    owner_.ResetToDefaults();
    PolicyFileText.MakeEmpty();
    // The policies are the defaults now, of no file: a later run must not
    // read the old file again.
    owner_.runPolicyFileName.MakeEmpty();
    UpdateData(false);
}

// ---- SavePolicyDialog ----

SavePolicyDialog::SavePolicyDialog(BaseDialog& owner)
    : DialogModel(kSavePolicyDialogId, owner.services), FileName(owner.runPolicyFileName), owner_(owner) {
    AddControl(kSavePolicyLabel, ControlKind::kLabel, "File name");
    AddControl(kSavePolicyFileName, ControlKind::kEdit);
    AddControl(kSavePolicyBrowse, ControlKind::kPushButton, "Browse...");
    AddControl(kSavePolicyChangedOnly, ControlKind::kRadioButton, "Save changed policies only (recommended)");
    AddControl(kSavePolicyAll, ControlKind::kRadioButton,
               "Save all policies to file (only ever use this to get a sample file)");
    AddControl(kIdCancel, ControlKind::kPushButton, "Cancel");
    AddControl(kIdOk, ControlKind::kPushButton, "Save");

    On(kSavePolicyBrowse, NotifyEvent::kClicked, [this] { Browse(); });
}

void SavePolicyDialog::OnInitDialog() {
    if (owner_.LanguageCode != shownLanguage_) {
        shownLanguage_ = owner_.LanguageCode;
        ApplyDialogTexts(this, kSavePolicyDialogId);
    }
    UpdateData(false);
}

void SavePolicyDialog::ExchangeData(DataExchange& exchange) {
    exchange.Text(kSavePolicyFileName, FileName);
    static constexpr int kChoices[] = {kSavePolicyChangedOnly, kSavePolicyAll};
    exchange.Radio(kChoices, SaveAll);
}

void SavePolicyDialog::Browse() {
    if (!UpdateData(true)) return;
    TextString path(FileName);
    if (!Services().ChooseFile(true, Caption().buffer, GetMessageText(kMsgPolicyFilesFilter), path)) return;
    if (path.CountChar('.') == 0) path.Append(kPolicyExtension);
    if (!MayReplaceFile(Services(), path)) return;
    FileName = path;
    replaceAgreed_ = path;
    UpdateData(false);
}

void SavePolicyDialog::OnOk() {
    if (!UpdateData(true)) return;
    if (FileName.IsEmpty()) {
        Services().ShowMessageSlots(kMsgOutputFileError, kMsgChooseFileName);
        Browse();
        if (FileName.IsEmpty()) return;
    }
    TextString directory, name, extension;
    SplitPath(FileName, &directory, &name, &extension);
    if (extension.IsEmpty()) {
        FileName = directory + name + kPolicyExtension;
        UpdateData(false);
    }
    // A file that is there (the loaded one, as offered) is replaced only
    // when the user agrees, once: a name agreed to in the chooser is not
    // asked about again.  No leaves the dialog open for another name.
    if (FileName != replaceAgreed_ && !MayReplaceFile(Services(), FileName)) return;
    replaceAgreed_ = FileName;
    // The policies stay in the owner when the file cannot be written, and
    // so does this dialog: the user can choose another name.
    if (!WritePolicies()) return;
    owner_.SetPolicyFileName(FileName);
    EndDialog(kIdOk);
}

bool SavePolicyDialog::WritePolicies() {
    FC scratch;
    // The Context's option groups are policies of the file too.
    scratch.SetContext(owner_.context.get());
    if (SaveAll == kSaveAll && owner_.fileAnalysed) scratch.CopyPolicies(owner_.AnalysedFileSet());
    // The run set goes in before the loaded file and the user's changes:
    // it holds the working set as it was at the last run, whose rule-set
    // defaults count as set and would otherwise replace the file's values.
    scratch.MergeChangedPolicies(owner_.SixthSet(), 1);
    if (owner_.policyFileLoaded) scratch.MergeChangedPolicies(owner_.PolicyFileSet(), 1);
    if (owner_.policiesEdited) scratch.MergeChangedPolicies(owner_.WorkingSet(), 1);
    // "Save all" writes the values a run would use, the window's own
    // included; they are not set policies, so "changed only" leaves them out.
    owner_.OfferOutputChoice(scratch);

    // Written to a temporary file that replaces the target only when whole.
    TextFile file;
    int error = 0;
    std::string reason;
    if (file.OpenForWrite(FileName.buffer, 0, 0)) {
        scratch.WritePolicyFile(file, SaveAll == kSaveAll);
        file.CloseAll();
        error = file.writeError;
        reason = file.WriteFailureText();
    } else {
        error = errno != 0 ? errno : EIO;
        reason = SystemErrorText(error);
    }
    scratch.ClearOwnedLists();
    if (error == 0) return true;
    TextString text(GetMessageText(kMsgUnableToWriteFile));
    FillMessagePlaceholders(text, {{"ffffff", FileName.buffer}});
    AppendReason(text, reason);
    const TextString caption(GetMessageText(kMsgOutputFileError));
    Services().ShowMessage(caption.buffer, text.buffer);
    return false;
}

// ---- Running them ----

int RunPolicyFileDialog(BaseDialog& owner) {
    PolicyFileDialog dialog(owner);
    return owner.services.RunModal(dialog);
}

int RunSavePolicyDialog(BaseDialog& owner) {
    SavePolicyDialog dialog(owner);
    return owner.services.RunModal(dialog);
}

namespace {

// The file field takes the width of a long path; the others their own.
constexpr int kPathFieldChars = 40;

using Kind = ControlKind;

}  // namespace

const WindowDescription& PolicyFileDialogLayout() {
    static const WindowDescription layout{
        kPolicyFileDialogId,
        {{kPolicyFileGroup,
          {{{{kPolicyFileLabel, Kind::kLabel}}},
           {{{kPolicyFileCombo, Kind::kComboBox, true, 1, kPathFieldChars}, {kPolicyFileBrowse, Kind::kPushButton}}},
           {{{kPolicyFileSaveOptions, Kind::kPushButton}, {kPolicyFileReset, Kind::kPushButton}}}}},
         {kNoControl, {{{{kIdHelpCommand, Kind::kPushButton}, {kIdOk, Kind::kPushButton}}, true}}}}};
    return layout;
}

const WindowDescription& SavePolicyDialogLayout() {
    static const WindowDescription layout{
        kSavePolicyDialogId,
        {{kNoControl,
          {{{{kSavePolicyLabel, Kind::kLabel},
             {kSavePolicyFileName, Kind::kEdit, true, 1, kPathFieldChars},
             {kSavePolicyBrowse, Kind::kPushButton}}},
           {{{kSavePolicyChangedOnly, Kind::kRadioButton}}},
           {{{kSavePolicyAll, Kind::kRadioButton}}}}},
         {kNoControl, {{{{kIdOk, Kind::kPushButton}, {kIdCancel, Kind::kPushButton}}, true}}}},
        // Return saves.
        kIdOk};
    return layout;
}
