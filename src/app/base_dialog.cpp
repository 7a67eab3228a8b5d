#include "app/base_dialog.h"

#include <cstring>

#include "app/conversion_run.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "foundation/product_identity.h"
#include "policies/output_formats.h"
#include "texts/combo_history.h"
#include "texts/language_texts.h"
#include "texts/message_slots.h"
#include "texts/menu_texts.h"
#include "texts/message_texts.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"

BaseDialog::BaseDialog(UiServices& uiServices, const std::string& settingsPath)
    : settings(settingsPath.empty() ? ProgramSettings() : ProgramSettings(settingsPath)),
      context(std::make_unique<Context>(GetCurrentProductCode(), 0)),
      services(uiServices) {
    for (PolicySetSlot slot : {kPolicyFileSet, kSecondSet, kThirdSet, kAnalysedFileSet, kWorkingSet})
        PolicySet(slot).SetContext(context.get());
}

BaseDialog::~BaseDialog() = default;

namespace {

// The question about changed policies keeps its English text and caption.
constexpr const char* kSaveChangesCaption = "Save Changes";
constexpr const char* kSaveChangesText = "Save changes made to your policy?";

}  // namespace

bool BaseDialog::OfferToSaveEdits(int defaultButton) {
    if (!policiesEdited) return true;
    switch (services.ShowMessage(kSaveChangesCaption, kSaveChangesText, MessageButtons::kYesNoCancel,
                                 MessageIcon::kQuestion, defaultButton)) {
        case MessageAnswer::kNo: return true;
        case MessageAnswer::kYes: return RunSavePolicyDialog();
        case MessageAnswer::kOk:
        case MessageAnswer::kCancel: break;
    }
    return false;
}

MainDialog::MainDialog(UiServices& uiServices, const std::string& settingsPath)
    : BaseDialog(uiServices, settingsPath) {
    // The browser is detected quietly: a console run has no window in
    // which to ask the user to locate one.
    settings.LoadSettings(nullptr);
    // The current policy file starts as the default one; choosing another
    // in the window changes the current file, never the default.
    runPolicyFileName = settings.defaultPolicyFile;
    PolicyFileText = runPolicyFileName;
    // A batch run speaks English throughout; the main window applies the
    // saved language when it initialises.
    ChangeLanguage(kLanguageEnglish);
}

MainDialog::~MainDialog() {
    settings.SaveSettings();
    for (FC& set : policySets) set.ClearOwnedLists();
}

void MainDialog::ApplyCommandLineSwitches() {
    const RunParameters& run = context->runParameters;
    if (run.rtf) {
        ExtensionChoice = kExtensionRtf;
        OutputKind = kOutputRtfFile;
    }
    InputFileType = kInputPlainText;
    if (run.tabDelimited) InputFileType = kInputTabDelimited;
    if (run.commaDelimited) InputFileType = kInputCommaDelimited;
}

void MainDialog::SetFileName(const TextString& name) {
    OutputFileName = name;
    RefreshControls();
}

void MainDialog::ResetToDefaults() {
    PolicyFileSet().ResetPolicies();
    WorkingSet().ResetPolicies();
    SecondSet().ResetPolicies();
    fileAnalysed = 0;
    policyFileLoaded = 0;
    policiesEdited = 0;
    runPolicyFileName.MakeEmpty();
    // The runs that follow use no policy file, and say none.
    context->policyFileNameText.MakeEmpty();
    PolicyFileText.MakeEmpty();
    RefreshControls();
    SheetsReset();
    services.ShowMessageSlots(kMsgResetToDefaults, kMsgDone);
}

void MainDialog::SetConversionType(int type) {
    ExtensionChoice = type;
    TextString directory, rest;
    SplitFileSpec(FileSpec, directory, rest);
    MakeOutputFileName(rest, OutputFileName);
    RefreshControls();
}

void MainDialog::ApplySettingsToContext() {
    ContextFileSettings& file = contextFileSettings;
    file.inputDirectory = InputDirectory;
    file.inputDirectorySet = InputDirectoryFixed ? 1 : 0;
    file.outputDirectory = OutputDirectory;
    file.outputDirectorySet = OutputDirectoryChosen ? 1 : 0;
    file.outputExtension = ExtensionChoice == kExtensionHtm   ? ".htm"
                           : ExtensionChoice == kExtensionRtf ? ".rtf"
                                                              : ".html";
    file.outputExtensionSet = ExtensionChosen ? 1 : 0;
}

void MainDialog::SetContextOutputFormat(FC& set) {
    set.SetInt(Pol::UseHTMExtension, ExtensionChoice == kExtensionHtm ? 1 : 0, true);
    if (Context* own = set.context) {
        RunParameters& run = own->runParameters;
        own->outputFormat = kOutputHTML;
        if (!commandLineRun) run.rtf = 0;
        if (ExtensionChoice == kExtensionRtf) {
            own->outputFormat = kOutputRTF;
            if (!commandLineRun) run.rtf = 1;
        }
        // The format the qualifiers asked for is the one written.
        if (run.rtf) own->outputFormat = kOutputRTF;
    }
    StoreToPolicySet(set);
    set.ApplyRuleSetAndFormatDefaults(0);
}

void MainDialog::OnConversionDone(FC& set) {
    const TextString& extension = set.GetText(Pol::OutputFileExtension);
    if (set.IsSet(Pol::OutputFileExtension) && !extension.IsEmpty()) {
        // Only an RTF extension asks for RTF output; ".shtml" and the like
        // are HTML files under another name.
        if (extension.Matches(".rtf", 0, 0)) SetConversionType(kExtensionRtf);
    } else if (set.IsSet(Pol::UseHTMExtension) && set.IsOn(Pol::UseHTMExtension)) {
        SetConversionType(kExtensionHtm);
    }
    StoreToPolicySet(set);
    set.ApplyRuleSetAndFormatDefaults(0);
}

int MainDialog::GetInputTypeCode() {
    TakeControlValues();
    if (InputFileType == kInputTabDelimited || InputFileType == kInputOtherDelimiter) return kSpecialDelimitedTable;
    if (InputFileType == kInputCommaDelimited) return kSpecialCommaDelimitedTable;
    return kSpecialTable;
}

void MainDialog::FillInputFileCombo(const TextString& text) {
    if (text.IsEmpty()) return;
    TextString* history = settings.filesHistory;
    int found = kHistoryCount - 1;  // not found: the last entry is dropped
    for (int i = 0; i < kHistoryCount; ++i) {
        if (std::strcmp(history[i].buffer, text.buffer) == 0) {
            found = i;
            break;
        }
    }
    if (found == 0 && std::strcmp(history[0].buffer, text.buffer) == 0) return;
    for (int i = found; i > 0; --i) history[i] = history[i - 1];
    history[0] = text;
    RefreshControls();
}

void MainDialog::LoadFromPolicySet(FC& set, FC&) {
    if (set.context && set.context->outputFormat == kOutputRTF)
        ExtensionChoice = kExtensionRtf;
    else
        ExtensionChoice = set.IsOn(Pol::UseHTMExtension) ? kExtensionHtm : kExtensionHtml;
    InputDirectory = set.GetText(Pol::InputDirectory);
    if (!OutputDirectoryChosen) OutputDirectory = set.GetText(Pol::OutputDirectory);
    if (!InputDirectory.IsEmpty()) settings.currentDir = InputDirectory;
    SheetsReload(set);
    RefreshControls();
}

void MainDialog::StoreToPolicySet(FC& set) {
    set.SetText(Pol::InputDirectory, InputDirectory.buffer, false);
    set.SetText(Pol::OutputDirectory, OutputDirectory.buffer, false);
    FC& sixth = SixthSet();
    const bool isSixth = &set == &sixth;
    if (!isSixth) {
        sixth.ResetPolicies();
        sixth.MergeChangedPolicies(WorkingSet(), 1);
    }
    set.SetInt(Pol::UseHTMExtension, ExtensionChoice == kExtensionHtm ? 1 : 0, true);
    set.MakeContentsFileName(FileSpec.buffer);
    set.MakePolicyFileName(FileSpec.buffer);
    if (!isSixth) {
        sixth.ResetPolicies();
        sixth.MergeChangedPolicies(WorkingSet(), 1);
    }
    OfferOutputChoice(set);
    sixth.ApplyRuleSetAndFormatDefaults(0);
}

void MainDialog::SetPolicyFileName(const TextString& name) {
    ComboBoxList combo;
    FillComboFromList(&combo, kHistoryCount, settings.policyHistory);
    UpdateComboHistory(&combo, kHistoryCount, settings.policyHistory, name.buffer);
    RefreshControls();
}

void MainDialog::ChangeLanguage(int code) {
    if (code == LanguageCode) return;
    // The start-up switch comes from the saved name, which stays as saved
    // ("Other" is shown in English but remains "Other").
    bool fromSavedName = LanguageCode == UiTextTable::kNoLanguage;
    SetToolTipLanguage(code);
    SetMenuLanguage(code);
    SetMessageLanguage(code);
    SetUiLanguage(code);
    LanguageCode = code;
    static const char* const kNames[] = {"English",    "German",  "Spanish", "French",
                                         "Portuguese", "Italian", "Swedish"};
    if (!fromSavedName && code >= 1 && code <= 7) settings.language = kNames[code - 1];
    RefreshControls();
    TheStatusWindow().LanguageChanged(code);
}
