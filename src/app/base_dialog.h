// BaseDialog: everything a conversion needs for the whole life of the
// program (the Context, seven policy sets, the program settings) and the
// conversion run built on them; MainDialog: the main dialog's data (the
// files to convert, input and output types, directories, output file name,
// policy file) and the operations the run and batch mode call on it.
//
// This is the data half of the main dialog: the window, its controls and
// their handlers come with the dialogs.  Every "when the window exists"
// step of the operations is a virtual hook that does nothing here.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/program_settings.h"
#include "foundation/text_string.h"
#include "policies/fc.h"
#include "texts/ui_texts.h"

class Context;
class StringList;
class UiServices;

// Slots of BaseDialog's seven policy sets.  Three keep their ordinal names;
// by role the second is the file set and the sixth the run set of each
// ConvertToTable, and the third a spare set.
enum PolicySetSlot : int {
    kSettingsViewSet = 0,  // scratch set the output and settings sheets are loaded from
    kPolicyFileSet = 1,  // what the loaded policy file gave; the run's master set
    kSecondSet = 2,  // the file set: each file's own; the dialog is loaded from it after each file
    kThirdSet = 3,  // the spare set: reset before each file
    kAnalysedFileSet = 4,  // reset before each file
    kWorkingSet = 5,  // what the sheets edit
    kSixthSet = 6,  // the run set: the working set merged in before each file
    kPolicySetCount = 7,
};

// What the dialog asks of the Context's input- and output-directory and
// output-extension settings (each a text with a "set" flag).
struct ContextFileSettings {
    TextString inputDirectory;
    int inputDirectorySet = 0;
    TextString outputDirectory;
    int outputDirectorySet = 0;
    TextString outputExtension{".html"};
    int outputExtensionSet = 0;
};

class BaseDialog {
public:
    // Builds the Context (product code 1, output format 0) and attaches it
    // to the policy-file, second, third, analysed-file and working sets.
    // The settings are those of the settings file of the running product,
    // or of `settingsPath` when given; LoadSettings is left to the derived
    // dialog's constructor.
    BaseDialog(UiServices& services, const std::string& settingsPath = std::string());
    virtual ~BaseDialog();
    BaseDialog(const BaseDialog&) = delete;
    BaseDialog& operator=(const BaseDialog&) = delete;

    // The conversion types (GetConversionType, SetConversionType): the
    // extension the output is named with, ".rtf" for RTF output.
    static constexpr int kExtensionHtml = 0;
    static constexpr int kExtensionHtm = 1;
    static constexpr int kExtensionRtf = 2;
    // The output modes (GetOutputMode): files, or HTML put on the clipboard.
    static constexpr int kOutputToFiles = 0;
    static constexpr int kOutputToClipboard = 2;

    // ---- Members ----
    int policiesEdited = 0;  // the user changed policies in a sheet
    TextString scratch;
    ProgramSettings settings;
    TextString runPolicyFileName;  // the policy file LoadPolicyFile loads and the run uses as master
    // The Context outlives the policy sets that point to it.
    std::unique_ptr<Context> context;
    std::array<FC, kPolicySetCount> policySets;
    TextString fileSpecPart;  // the input file spec without its directory part
    TextString lastOutputFileName;  // what "View Results" shows
    // The folder the last output was written to (absolute, with its "/"):
    // with "/OUTPUT=" not the input's.  Empty until a file converted.
    TextString lastOutputFolder;
    int policyFileLoaded = 0;
    int fileAnalysed = 0;
    int batchMode = 0;  // set only during a batch run
    int commandLineRun = 0;  // a run from the command line is in progress (keeps the RTF request)
    // The user-interface language in force; none until the constructor's
    // switch to English (a batch run's language), so that the switch always
    // loads the texts.  The main window switches to the saved language when
    // it initialises.
    int LanguageCode = UiTextTable::kNoLanguage;
    // Flags the main dialog raises for the re-analysis command and the
    // output-changed notifications.
    int reanalysisNeeded = 1;
    std::array<int, 2> outputChanged{};
    ContextFileSettings contextFileSettings;
    // The file specifications the command line named, each as a full path,
    // in order.  When not empty the run converts every match of each of them
    // from its own directory (the quoted multi-file form of the input file
    // spec is then only what the user sees).
    std::vector<TextString> commandLineSpecs;
    // A named policy file failed to load: the run goes on with default
    // policies, but its exit status reports the failure.
    int policyFileFailed = 0;
    UiServices& services;

    FC& PolicySet(PolicySetSlot slot) { return policySets[static_cast<size_t>(slot)]; }
    FC& SettingsView() { return PolicySet(kSettingsViewSet); }
    FC& PolicyFileSet() { return PolicySet(kPolicyFileSet); }
    FC& SecondSet() { return PolicySet(kSecondSet); }  // 2, the file set
    FC& ThirdSet() { return PolicySet(kThirdSet); }  // 3, the spare set
    FC& AnalysedFileSet() { return PolicySet(kAnalysedFileSet); }
    FC& WorkingSet() { return PolicySet(kWorkingSet); }
    FC& SixthSet() { return PolicySet(kSixthSet); }  // 6, the run set

    // ---- Operations of the main dialog, in slot order ----
    virtual TextString GetFileName() = 0;
    virtual void SetFileName(const TextString& name) = 0;
    virtual TextString GetInputFileSpec() = 0;
    virtual void SetInputFileSpec(const TextString& spec) = 0;
    virtual TextString GetInputDirectory() = 0;
    virtual void SetInputDirectory(const TextString& directory) = 0;
    virtual TextString GetOutputDirectory() = 0;
    virtual void SetOutputDirectory(const TextString& directory) = 0;
    virtual int GetOutputMode() = 0;
    virtual void ResetToDefaults() = 0;
    virtual int GetConversionType() = 0;
    virtual void SetConversionType(int type) = 0;
    virtual void ApplySettingsToContext() = 0;
    virtual void SetContextOutputFormat(FC& set) = 0;
    virtual void OnConversionDone(FC& set) = 0;
    virtual void UnnamedOperation(int) {}
    virtual int GetInputTypeCode() { return 1; }
    virtual void ReapplyPolicies() = 0;
    virtual void FillInputFileCombo(const TextString& text) = 0;
    virtual bool IsConversionTypeZero() = 0;
    virtual void LoadFromPolicySet(FC& set, FC& sixth) = 0;
    virtual void StoreToPolicySet(FC& set) = 0;
    virtual void SetPolicyFileName(const TextString& name) = 0;
    virtual void ChangeLanguage(int code) = 0;
    // Shows the tips of the window's controls (on) or removes them (off).
    virtual void EnableToolTips(bool /*on*/) {}

    // Whether the dialog's window exists; the data half has none.
    virtual bool WindowExists() const { return false; }
    // Takes the control values into the members (when the window exists).
    virtual void TakeControlValues() {}
    // Puts the member values into the controls (when the window exists).
    virtual void RefreshControls() {}
    // The open property sheets reset themselves and reload from the working
    // set (ResetToDefaults), or reload from `set` (LoadFromPolicySet); the
    // data half has no sheets.
    virtual void SheetsReset() {}
    virtual void SheetsReload(FC& /*set*/) {}

    // ---- The conversion run (base_dialog_run.cpp) ----
    // One run over every file of the input specification: true when every
    // file converted; false when a directory is invalid, no file matched or
    // a file failed.  A file that fails does not stop the run.  Before
    // anything is written the run knows every input, every document, the
    // log and the index page, and refuses what would replace an input or
    // write one file twice.
    bool RunConversion();
    bool ConvertOneFile(const TextString& path);
    void ReanalyseFile(const TextString& path);
    // The output name of a file spec: its base name (the last dot of its
    // last path component cut off) and the extension of the conversion type;
    // "*" and false for an empty spec or one beginning with a double quote
    // or a blank.
    bool MakeOutputFileName(const TextString& fileSpec, TextString& outName);
    // Loads the run policy file into the policy-file set; the working set
    // and its edits are discarded.  False (and told) when the file cannot be
    // opened: the sets and the flags are then left as they were.  An empty
    // name is no policy file: the defaults, false.
    bool LoadPolicyFile();
    static void SplitFileSpec(const TextString& spec, TextString& directory, TextString& rest);
    // A directory that exists (the current directory when empty) and, unless
    // readOnlyAllowed, may be written to.
    static bool CheckDirectory(const TextString& path, bool readOnlyAllowed);
    void AttachCallbacks(FC& set);
    // Gives `set` the values the window's output choice asks of two
    // policies that neither a policy file nor the user set: "Omit <HEAD> and
    // <BODY> from output" on for output to the clipboard, else off, and
    // "Minimise HTML file size" on.  They are not marked set, so that a
    // policy file read into the set takes their place without being taken
    // for a repeat, and a merge carries only what a file or the user gave.
    void OfferOutputChoice(FC& set);
    // The file "View Results" shows: the last output in the folder it was
    // written to (the output directory when no file converted yet).
    TextString LastOutputPath();
    void NotifyPoliciesChanged(int kind);
    // Runs the dialog that saves the policies to a policy file: true when
    // it wrote the file.  The window (ui/) has it; the data half only
    // reports that it has none.
    virtual bool RunSavePolicyDialog();
    // The policies the user changed in the sheets and kept (the
    // policies-edited flag) are about to be lost: offered for saving with
    // the question "Save changes made to your policy?", Yes, No and Cancel
    // (Escape), `defaultButton` the default.  True when the caller may go
    // on: nothing was edited, the user let the changes go (No), or saved
    // them (Yes, and the save dialog wrote the file, which is the file the
    // changes belong to: the current policy file is offered).  False for
    // Cancel, and for Yes when nothing was saved.
    bool OfferToSaveEdits(int defaultButton);

protected:
    // Tells the user that no file matched `spec` (or the command line's
    // specifications).
    void ReportNoFilesFound(TextString spec);

private:
    // Where ConvertOneFile asks a file's output to go: empty for a run over
    // several files (each output named from its input), else the dialog's
    // output file name.
    TextString OutputLocation();
    // The folder the run's output goes to: the folder part of "/OUTPUT="
    // (taken from the current directory, as the documents are), else the
    // dialog's output directory (the input's folder).
    TextString RunOutputFolder();
    // Remembers the output just written (`outputFile`, the Context's output
    // file name) as what "View Results" shows under `shownName`.
    void NoteLastOutput(const TextString& outputFile, const TextString& shownName);
    // The per-file policy preparation and conversion shared by ConvertOneFile
    // and ReanalyseFile.  A conversion that fails by an exception (out of
    // memory among them) is abandoned: its outputs never reach their
    // targets (their text files are gone with the stack), the file is
    // reported with the reason and false returned, and the next file starts
    // from the state every file starts from.
    bool PrepareAndConvert(const TextString& path, const TextString& outputName, int code, StringList* outputList);
    // Reads the master policy file into `set` (AlwaysReload); an unopenable
    // file is reported and leaves the set as it was.
    void ReloadMasterPolicyFile(FC& set);
    // Clipboard output: the document's lines, each ending in a line feed,
    // go to the clipboard; false (reported) when the clipboard refused them.
    bool PutOutputOnClipboard(const StringList& lines);
    // The steps of RunConversion.
    // Whether the input folder exists and the output folder may be written
    // to; reports the first that fails.
    bool CheckRunFolders(const TextString& outputFolder);
    // Builds the run's policy set and attaches it and the dialog's sets to
    // the run.
    void PrepareRunSet(FC& runSet, Context& run);
    // Finds the run's input files; returns the dialog's file specification.
    TextString GatherRunFiles(Context& run);
    // Shows the results of a run in which every file converted; what it
    // has to say goes through the run's policy set, and its message filter.
    void ShowRunResults(const Context& run, const FC& runSet);
};

class MainDialog : public BaseDialog {
public:
    // Constructs the data of the dialog: empty texts, types 0, flags clear,
    // the settings loaded, the user-interface language taken from them, the
    // policy file field from the default policy file setting.
    explicit MainDialog(UiServices& services, const std::string& settingsPath = std::string());
    // Saves the program settings.
    ~MainDialog() override;

    // The output kinds (`OutputKind`), in the order of the window's list.
    static constexpr int kOutputHtmlFiles = 0;
    static constexpr int kOutputRtfFile = 1;
    static constexpr int kOutputHtmlClipboard = 2;
    // The input file types (`InputFileType`), in the order of the window's
    // list.
    static constexpr int kInputPlainText = 0;
    static constexpr int kInputTabDelimited = 1;
    static constexpr int kInputCommaDelimited = 2;
    static constexpr int kInputOtherDelimiter = 3;

    // ---- Members ----
    TextString FileSpec;  // the files to convert: one full path, or the multi-file form
    TextString DelimiterText;  // the delimiter of input type 3
    int OutputKind = kOutputHtmlFiles;
    int InputFileType = kInputPlainText;  // -1 none
    TextString OutputDirectory;
    TextString OutputFileName;
    TextString PolicyFileText;
    int ExtensionChoice = kExtensionHtml;  // the conversion type; -1 none
    TextString InputDirectory;
    bool InputDirectoryFixed = false;
    bool OutputDirectoryChosen = false;
    bool ExtensionChosen = false;
    bool DelimiterEdited = false;
    bool PolicySelectionBusy = false;

    // The input and output choices the command-line qualifiers ask for:
    // "/RTF" selects ".rtf" (and RTF output), "/TABBED" and "/COMMA" the
    // tab- and comma-delimited input types.
    void ApplyCommandLineSwitches();

    // ---- BaseDialog operations ----
    TextString GetFileName() override { return OutputFileName; }
    void SetFileName(const TextString& name) override;
    TextString GetInputFileSpec() override { return FileSpec; }
    void SetInputFileSpec(const TextString& spec) override { FileSpec = spec; }
    TextString GetInputDirectory() override { return InputDirectory; }
    void SetInputDirectory(const TextString& directory) override { InputDirectory = directory; }
    TextString GetOutputDirectory() override { return OutputDirectory; }
    void SetOutputDirectory(const TextString& directory) override { OutputDirectory = directory; }
    int GetOutputMode() override { return OutputKind == kOutputHtmlClipboard ? kOutputToClipboard : kOutputToFiles; }
    void ResetToDefaults() override;
    int GetConversionType() override { return ExtensionChoice; }
    void SetConversionType(int type) override;
    void ApplySettingsToContext() override;
    void SetContextOutputFormat(FC& set) override;
    void OnConversionDone(FC& set) override;
    int GetInputTypeCode() override;
    void ReapplyPolicies() override {}  // reloads the analysis sheet, which the data half has not
    void FillInputFileCombo(const TextString& text) override;
    bool IsConversionTypeZero() override { return ExtensionChoice == kExtensionHtml; }
    void LoadFromPolicySet(FC& set, FC& sixth) override;
    void StoreToPolicySet(FC& set) override;
    void SetPolicyFileName(const TextString& name) override;
    void ChangeLanguage(int code) override;
};
