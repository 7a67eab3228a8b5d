// The main window: the main dialog (template 211) with its menu (212) on the
// dialog layer, over the data half of the dialog (MainDialog, which batch
// runs use alone).
//
// The window is the dialog's model, the menu's model and the status window;
// a front end mirrors the three to widgets and hands the user's actions back:
// control notifications through Dialog().Notify, menu commands through
// OnCommand, the help key through ShowHelp, dropped files through DropFiles
// (or Dialog().SetDroppedFiles and a kFilesDropped notification).  Nothing
// of the window's behaviour lives outside the models, so every step runs
// and is tested without a display.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "foundation/text_string.h"
#include "ui/menu_model.h"
#include "ui/status_window.h"
#include "ui/tool_tips.h"

class DataExchange;
class DialogModel;
class Sheet;
class SheetAnalysis;
class SheetModel;
class SheetSettings;

class MainWindow : public MainDialog {
public:
    // ---- The controls of template 211 ----
    static constexpr int kFileSpecLabel = 1349;
    static constexpr int kFileSpecCombo = 1122;  // the `Files` history
    static constexpr int kBrowseButton = 1001;
    static constexpr int kInputTypeLabel = 1005;
    static constexpr int kInputTypeCombo = 1008;
    static constexpr int kDelimiterLabel = 1620;
    static constexpr int kDelimiterEdit = 1621;
    static constexpr int kOutputKindLabel = 1589;
    static constexpr int kOutputKindCombo = 1590;
    static constexpr int kHtmlExtensionButton = 1077;
    static constexpr int kHtmExtensionButton = 1078;
    static constexpr int kRtfExtensionButton = 1079;
    static constexpr int kOutputNameLabel = 1350;
    static constexpr int kOutputNameEdit = 1080;
    static constexpr int kOutputDirectoryLabel = 1352;
    static constexpr int kOutputDirectoryCombo = 1012;  // the `OutDir` history
    static constexpr int kOutputDirectoryButton = 1291;
    static constexpr int kPolicyFrame = 1508;
    static constexpr int kPolicyLabel = 1507;
    static constexpr int kPolicyCombo = 1505;  // the `Policy` history
    static constexpr int kPolicyButton = 1506;
    static constexpr int kResetButton = 1520;
    static constexpr int kConvertButton = 1015;
    static constexpr int kViewResultsButton = 1198;

    // The delimiter of input type 3 is one character.
    static constexpr int kDelimiterLength = 1;

    // The output kinds, extension choices and input file types, in the
    // order of their lists, are the data half's (MainDialog).

    // The three property sheets the menu opens.
    enum class SheetKind { kAnalysis, kOutput, kSettings };

    // The dialog's data as MainDialog builds it (settings loaded, texts in
    // the saved language), its window model with every control of the
    // template, its menu and its status window, attached to the run as the
    // status display.  No window exists yet.
    explicit MainWindow(UiServices& services, const std::string& settingsPath = std::string());
    // Destroys the window; the data half then saves the settings.
    ~MainWindow() override;

    // ---- What the front end uses ----
    DialogModel& Dialog();
    const DialogModel& Dialog() const;
    MenuModel& Menu() { return menu_; }
    StatusWindow& Status() { return status_; }
    const ToolTipControl& ToolTips() const { return toolTips_; }
    // The output-policies sheet, once the menu has opened it; null before.
    Sheet* OutputSheet() const { return outputSheet_.get(); }
    // The analysis-policies sheet, once the menu has opened it; null before.
    SheetAnalysis* AnalysisSheet() const { return analysisSheet_.get(); }
    // The program-settings sheet, once the menu has opened it; null before.
    SheetSettings* SettingsSheet() const { return settingsSheet_.get(); }
    // The property sheets made so far (each is made at its first opening).
    std::vector<SheetModel*> Sheets() const;
    // Called with each sheet as it is made, before its window: the front end
    // gives it its window here.
    std::function<void(SheetModel&)> onSheetMade;

    // Creates the window (hidden) and initialises it; nothing when it exists.
    void Create();
    // Shows the window, creating it first when needed.  The first showing
    // loads the current policy file; every showing creates the tool-tip
    // control and, when the user wants tips, registers them.
    void Show();
    // Destroys the window; the data stays and Show builds it again.
    void Destroy();
    // The closing of the window (close box, File > Exit): the file history,
    // the extension and the output kind are kept, edited policies are
    // offered for saving (Yes, No, Cancel; No the default), then the dialog
    // ends with Cancel and its window is destroyed.  Cancel, or a save that
    // did not happen, keeps the window open.
    void Close();
    // A command of the menu; false for a command the menu does not have.
    bool OnCommand(int commandId);
    // The help key and Help > Contents: the user guide.
    void ShowHelp();
    // Files dropped on the window, in drop order, each a full path: the field
    // shows them and they are converted at once.
    void DropFiles(const std::vector<TextString>& paths);

    // ---- The operations behind the controls and the menu ----
    // "Convert File(s)...": checks the choices and runs the conversion.
    // False when nothing was converted (a check failed, Browse was
    // cancelled or the run failed).
    bool Convert();
    // "Browse...": lets the user choose the files to convert, in the input
    // folder.  False when nothing was chosen.
    bool Browse();
    // "View Results...": shows the output of the last conversion.
    void ViewResults();
    // A typed file specification left the field (1122).
    void TakeTypedFileSpec();
    // The text of the field (1122) changed: the files chosen by browsing or
    // dropping (or named on the command line) are converted only while the
    // field shows them.
    void FileSpecEdited();
    // An entry of the `Files` history was picked (1122): the selection the
    // list has is taken.  The list closing takes a selection that is not
    // taken yet (the toolkit tells of the closing before the selection, or
    // after it).
    void TakePickedFileSpec();
    void TakeNewPickedFileSpec();
    void InputTypeChosen();
    void OutputKindChosen();
    void ExtensionClicked();
    // The output directory left its field, was picked from its history, or
    // is to be chosen with the folder chooser.
    void TidyOutputDirectory();
    void TakePickedOutputDirectory();
    void TakeNewPickedOutputDirectory();
    void ChooseOutputDirectory();
    // The policy file field: typed, picked from its history, or chosen with
    // the file chooser.  A load that would discard the policies the user
    // changed first offers to save them; Cancel loads nothing and the field
    // shows the file in use again.
    // The field was left: the name it holds loads once the focus has moved
    // (UiServices::DeferFieldWork).
    void PolicyFileLeft();
    // Loads `typed` when the field showed another name.
    void TakeTypedPolicyFile(const TextString& typed);
    void TakePickedPolicyFile();
    void BrowsePolicyFile();
    // Opens a property sheet on `topic` (texts/sheet_topics.h).
    void OpenSheet(SheetKind kind, int topic);
    // Opens the local user guide, else (when there is no local page) the
    // web page of the documentation.
    void ShowLocalDocumentation();
    // Opens a page of the maker's web site (see GetMakerWebPage).
    void ShowWebPage(const char* path, const char* query);
    void CheckForNewerVersion();
    // File > Load policy file: the policy-file dialog.
    void RunPolicyFileDialog();
    // File > Save policy file, and "Yes" to saving edited policies: the
    // save dialog, which stays open until the file is written or the user
    // cancels.  True when the file was written.
    bool RunSavePolicyDialog() override;
    // Help > About: the About box.
    void ShowAboutBox();

    // The window title for a file specification: "Vendrel" for none, the
    // file name for one file, the first quoted name and "..." for several.
    static TextString TitleFor(const TextString& fileSpec);

    // ---- The window's side of the data half's operations ----
    bool WindowExists() const override;
    void TakeControlValues() override;
    void RefreshControls() override;
    void EnableToolTips(bool on) override;
    void ChangeLanguage(int code) override;
    void SheetsReset() override;
    void SheetsReload(FC& set) override;
    // The open sheets show the policies in force again: the analysis sheet
    // what the analysed file, the policy file and the user's changes give,
    // the output sheet the settings view.
    void ReapplyPolicies() override;

private:
    class Window;
    friend class Window;

    // Takes the control values into the members; false (the user told, the
    // focus on the control) when one fails its check.
    bool TakeCheckedValues();
    // The template's controls and the handlers of their notifications.
    void AddControls();
    void AddHandlers();
    // The window's initialisation (OnInitDialog).
    void InitialiseWindow();
    void ExchangeData(DataExchange& exchange);
    // The texts of the current language on the window: labels and tips,
    // menu, check marks, status window, lists.
    void ApplyLanguageToWindow();
    // Check marks of the three switches of the Settings menu and of the
    // language in force.
    void SetMenuChecks();
    // The input-type and output-kind lists in the current language.
    void FillChoiceLists();
    // The combo boxes' lists from the histories; only lists that differ
    // are set again.
    void FillHistoryCombos();
    // Enables the output controls unless the output goes to the clipboard,
    // and the delimiter for input type 3.
    void EnableDependentControls();
    void UpdateTitle();
    // False when the field holds a double quote that does not start the
    // quoted names of the multi-file form: such a name cannot be told apart
    // from that form (unless it was chosen, and is converted by its path).
    bool IsReadableFileSpec() const;
    // Browse's chooser, proposing `proposal` (a folder and a pattern, or a
    // file); what is chosen becomes the field's files.
    bool ChooseFilesFrom(const TextString& proposal);
    // The folder Browse starts in: the input folder, else the current one.
    TextString BrowseFolder() const;
    // What File > Convert's chooser proposes: the one file the field shows
    // (in Browse's folder when it names none), else Browse's proposal.
    TextString ShownFileProposal() const;
    // The output-file name from the file specification.
    void DeriveOutputFileName();
    // Input type 2 for a ".csv" file, back to 0 from 2 for any other.
    void ApplyCsvRule();
    // The output kind that goes with the extension chosen, as a click on an
    // extension makes it: ".rtf" writes an RTF file, ".html" and ".htm" HTML.
    void MatchOutputKindToExtension();
    // The extension and output kind kept in the settings when the window
    // last closed ("\Options\ConversionType", "\Options\OutputType").
    void TakeKeptChoices();
    // The input and output directories of a newly chosen file.
    void TakeFileDirectory(const TextString& directory);
    // The entry selected in the list of combo box `comboId`, or null.
    const TextString* PickedEntry(int comboId) const;
    // Adds a missing "/" to a directory that is not empty.
    static void EndWithSlash(TextString& directory);
    // Loads the current policy file; on success it goes on top of the
    // `Policy` history.  False when it failed to load.
    bool LoadCurrentPolicyFile();
    // Steps 4 and 5 of opening a sheet: build the sheet once, load it from
    // `loadFrom` and the sixth set, show it and select the page of `topic`.
    void ShowSheet(SheetKind kind, int topic, FC& loadFrom);
    // Each open property sheet takes the current language.
    void RelabelSheets();
    // The settings view as the output and settings sheets are loaded from
    // it: every policy in force, the user's changes last.
    void PrepareSettingsView();
    // The analysis policies in force, as the analysis sheet shows them: the
    // analysed file's, the loaded policy file's over them, the user's stored
    // changes last.
    void PrepareAnalysisView(FC& view);
    // Adds a text on top of one of the settings' histories.
    void AddToHistory(TextString* history, const TextString& text);

    // The output-policies sheet: made at its first opening and kept, so
    // that its pages keep what the user changed between openings.
    std::unique_ptr<Sheet> outputSheet_;
    std::unique_ptr<SheetAnalysis> analysisSheet_;
    std::unique_ptr<SheetSettings> settingsSheet_;
    std::unique_ptr<Window> window_;
    MenuModel menu_;
    StatusWindow status_;
    ToolTipControl toolTips_;
    // The current policy file is loaded at the first showing only: a later
    // showing must not throw away what the sheets changed.
    bool shownBefore_ = false;
    // The delimiter field holds a text its check refused: the user's, kept
    // there until a take of the values accepts it.
    bool delimiterRefused_ = false;
};
