// The two dialogs of policy files: choosing the policy file a conversion
// uses (PolicyFileDialog) and writing the current policies to a policy file
// (SavePolicyDialog).
//
// Both work on the main dialog that owns them: its current policy file (the
// run's policy-file name), its "\Policy" history, its policy sets and flags,
// and its loading of a policy file.  Neither ever changes the default policy
// file of the settings ("\DefaultPolicy\File").
#pragma once

#include "foundation/text_string.h"
#include "ui/dialog_model.h"
#include "ui/tool_tips.h"

class BaseDialog;
struct WindowDescription;

// The controls of the policy-file dialog.
enum PolicyFileControl : int {
    kPolicyFileGroup = 1018,  // "Get options from a policy file"
    kPolicyFileLabel = 1391,  // "Load policy file"
    kPolicyFileCombo = 1121,  // the file, with the history of policy files
    kPolicyFileBrowse = 1003,
    kPolicyFileSaveOptions = 1071,  // "Save options to a policy file"
    kPolicyFileReset = 1072,  // "Reset to defaults"
};

// The controls of the save dialog.
enum SavePolicyControl : int {
    kSavePolicyLabel = 1393,
    kSavePolicyFileName = 1088,
    kSavePolicyBrowse = 1089,
    kSavePolicyChangedOnly = 1090,  // "Save changed policies only (recommended)"
    kSavePolicyAll = 1091,  // "Save all policies to file (...)"
};

// What the save dialog writes: its radio group's index.
enum SavePolicyChoice : int { kSaveChangedOnly = 0, kSaveAll = 1 };

// The section of the user guide that the policy-file dialog's Help shows.
inline constexpr char kPolicyFileGuideSection[] = "policy-file-dialogs";

class PolicyFileDialog : public DialogModel {
public:
    explicit PolicyFileDialog(BaseDialog& owner);

    // The text of the file combo box; starts as the owner's policy file.
    TextString PolicyFileText;

    // Set while a file chosen from the list loads: the combo box losing the
    // focus meanwhile (to a message box of the load) loads nothing.
    bool IsBusy() const { return busy_; }
    // The language the labels are in; -1 until the window first shows.
    int ShownLanguage() const { return shownLanguage_; }
    const ToolTipControl& ToolTips() const { return toolTips_; }

protected:
    void OnInitDialog() override;
    void OnDestroy() override;
    void ExchangeData(DataExchange& exchange) override;
    // "Close": the combo box's entries become the owner's history.
    void OnOk() override;

private:
    // Moves the window a quarter of its size right and down, kept on the
    // desktop.
    void Place();
    // A file that loaded: on top of the history, the field and the owner's
    // policy file.
    void SetLoadedFile(const TextString& name);
    // Loads the owner's policy file; on failure the field becomes `fallback`.
    // Either way the owner's policy file then follows the field.
    void LoadOrFallBack(const TextString& fallback);
    // Browse, a typed name and a chosen one first offer to save the
    // policies the user changed, which the load would discard; Cancel loads
    // nothing and the field shows the file in use again.
    void Browse();
    // The field was left: the name it holds loads once the focus has moved
    // (UiServices::DeferFieldWork).
    void FileLeft();
    // Loads `typed` when the field showed another name.
    void LoadTypedFile(const TextString& typed);
    void LoadChosenFile();
    void SaveOptions();
    void ResetToDefaults();

    BaseDialog& owner_;
    bool busy_ = false;
    int shownLanguage_ = -1;
    ToolTipControl toolTips_;
};

class SavePolicyDialog : public DialogModel {
public:
    explicit SavePolicyDialog(BaseDialog& owner);

    // The file to write; starts as the owner's policy file.
    TextString FileName;
    int SaveAll = kSaveChangedOnly;

    int ShownLanguage() const { return shownLanguage_; }

    // The extension a policy file gets when its name has none.
    static constexpr char kPolicyExtension[] = ".pol";

protected:
    void OnInitDialog() override;
    void ExchangeData(DataExchange& exchange) override;
    // "Save": writes the file and ends the dialog; when there is no name,
    // the user does not want the file there replaced, or the file cannot be
    // written, the dialog stays open.
    void OnOk() override;

private:
    void Browse();
    // Writes the policies to FileName; false (the user told) when the file
    // could not be written.
    bool WritePolicies();

    BaseDialog& owner_;
    int shownLanguage_ = -1;
    // The file the user agreed to replace (the chooser's question, or
    // Save's): Save does not ask again about it.
    TextString replaceAgreed_;
};

// Runs the dialogs modally for `owner` and returns the id that ended them.
int RunPolicyFileDialog(BaseDialog& owner);
int RunSavePolicyDialog(BaseDialog& owner);

// How the two dialogs' windows are laid out.
const WindowDescription& PolicyFileDialogLayout();
const WindowDescription& SavePolicyDialogLayout();
