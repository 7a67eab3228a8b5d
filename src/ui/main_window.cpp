#include "ui/main_window.h"

#include <cstring>
#include <utility>

#include "app/result_viewing.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "foundation/product_identity.h"
#include "foundation/utilities.h"
#include "platform/file_status.h"
#include "policies/fc.h"
#include "texts/combo_history.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "texts/sheet_topics.h"
#include "ui/analysis_sheet.h"
#include "ui/output_sheet.h"
#include "ui/settings_sheet.h"
#include "ui/data_exchange.h"
#include "ui/dialog_model.h"
#include "ui/about_dialog.h"
#include "ui/folder_chooser.h"
#include "ui/help_pages.h"
#include "ui/main_menu.h"
#include "ui/policy_file_dialogs.h"

// ---------------------------------------------------------------------------
// The window model

// The dialog model of the main window: its window steps and data exchange are
// the main window's own.
class MainWindow::Window : public DialogModel {
public:
    explicit Window(MainWindow& owner) : DialogModel(kMainDialogId, owner.services), owner_(owner) {}

protected:
    void OnInitDialog() override { owner_.InitialiseWindow(); }
    void OnDestroy() override { owner_.toolTips_.Destroy(*this); }
    void ExchangeData(DataExchange& exchange) override { owner_.ExchangeData(exchange); }
    // Enter does not close the main window: only closing it does.
    void OnOk() override {}
    void OnCancel() override { owner_.Close(); }
    void OnCloseBox() override { owner_.Close(); }

private:
    MainWindow& owner_;
};

namespace {

struct TemplateControl {
    int id;
    ControlKind kind;
    const char* text;
};

// Template 211 with its English texts (the language switch relabels it).
constexpr TemplateControl kTemplate[] = {
    {MainWindow::kFileSpecLabel, ControlKind::kLabel, "File(s) to convert"},
    {MainWindow::kFileSpecCombo, ControlKind::kComboBox, ""},
    {MainWindow::kBrowseButton, ControlKind::kPushButton, "Browse..."},
    {MainWindow::kInputTypeLabel, ControlKind::kLabel, "Input file type"},
    {MainWindow::kInputTypeCombo, ControlKind::kComboBox, ""},
    {MainWindow::kDelimiterLabel, ControlKind::kLabel, "Delimiter"},
    {MainWindow::kDelimiterEdit, ControlKind::kEdit, ""},
    {MainWindow::kOutputKindLabel, ControlKind::kLabel, "Conversion Type"},
    {MainWindow::kOutputKindCombo, ControlKind::kComboBox, ""},
    {MainWindow::kHtmlExtensionButton, ControlKind::kRadioButton, ".html"},
    {MainWindow::kHtmExtensionButton, ControlKind::kRadioButton, ".htm"},
    {MainWindow::kRtfExtensionButton, ControlKind::kRadioButton, ".rtf"},
    {MainWindow::kOutputNameLabel, ControlKind::kLabel, "Output filename"},
    {MainWindow::kOutputNameEdit, ControlKind::kEdit, ""},
    {MainWindow::kOutputDirectoryLabel, ControlKind::kLabel, "Output Directory"},
    {MainWindow::kOutputDirectoryCombo, ControlKind::kComboBox, ""},
    {MainWindow::kOutputDirectoryButton, ControlKind::kPushButton, "..."},
    {MainWindow::kPolicyFrame, ControlKind::kGroupBox, "Policy file"},
    {MainWindow::kPolicyLabel, ControlKind::kLabel, "Load policy file"},
    {MainWindow::kPolicyCombo, ControlKind::kComboBox, ""},
    {MainWindow::kPolicyButton, ControlKind::kPushButton, "..."},
    {MainWindow::kResetButton, ControlKind::kPushButton, "Reset"},
    {MainWindow::kConvertButton, ControlKind::kPushButton, "Convert File(s)..."},
    {MainWindow::kViewResultsButton, ControlKind::kPushButton, "View Results..."},
};

constexpr int kExtensionButtons[] = {MainWindow::kHtmlExtensionButton, MainWindow::kHtmExtensionButton,
                                     MainWindow::kRtfExtensionButton};

// The controls that only serve output to files.
constexpr int kFileOutputControls[] = {MainWindow::kOutputNameEdit,        MainWindow::kOutputDirectoryCombo,
                                       MainWindow::kOutputDirectoryButton, MainWindow::kHtmlExtensionButton,
                                       MainWindow::kHtmExtensionButton,    MainWindow::kRtfExtensionButton};

// The entries of the output-kind list, in the order of the output kinds.
constexpr int kOutputKindSlots[] = {kMsgOutputHtmlFiles, kMsgOutputRtfFile, kMsgOutputHtmlClipboard};
// The input types are four consecutive message texts.
constexpr int kInputTypeCount = 4;

struct SheetCommand {
    int command;
    MainWindow::SheetKind kind;
    int topic;
};

constexpr SheetCommand kSheetCommands[] = {
    {kCommandAnalysisFileStructure, MainWindow::SheetKind::kAnalysis, kTopicFileStructure},
    {kCommandAnalysisTables, MainWindow::SheetKind::kAnalysis, kTopicTableAnalysis},
    {kCommandOutputTitleAndDescription, MainWindow::SheetKind::kOutput, kTopicTitleAndDescription},
    {kCommandOutputTables, MainWindow::SheetKind::kOutput, kTopicTableGeneration},
    {kCommandOutputColours, MainWindow::SheetKind::kOutput, kTopicDocumentColours},
    {kCommandOutputHyperlinks, MainWindow::SheetKind::kOutput, kTopicHyperlinks},
    {kCommandOutputFonts, MainWindow::SheetKind::kOutput, kTopicFonts},
    {kCommandOutputDocumentSettings, MainWindow::SheetKind::kOutput, kTopicDocumentSettings},
    {kCommandOutputRtfSettings, MainWindow::SheetKind::kOutput, kTopicRtfSettings},
    {kCommandSettingsDocumentation, MainWindow::SheetKind::kSettings, kTopicDocumentation},
    {kCommandSettingsDragAndDrop, MainWindow::SheetKind::kSettings, kTopicDragAndDrop},
    {kCommandSettingsDiagnostics, MainWindow::SheetKind::kSettings, kTopicDiagnostics},
    {kCommandSettingsViewers, MainWindow::SheetKind::kSettings, kTopicViewers},
    {kCommandSettingsPolicyFiles, MainWindow::SheetKind::kSettings, kTopicPolicyFiles},
};

struct LanguageCommand {
    int command;
    int code;
};

constexpr LanguageCommand kLanguageCommands[] = {
    {kCommandLanguageEnglish, kLanguageEnglish},       {kCommandLanguageGerman, kLanguageGerman},
    {kCommandLanguageSpanish, kLanguageSpanish},       {kCommandLanguageFrench, kLanguageFrench},
    {kCommandLanguagePortuguese, kLanguagePortuguese}, {kCommandLanguageItalian, kLanguageItalian},
    {kCommandLanguageSwedish, kLanguageSwedish},
};

// The name a chooser for input files proposes in a folder.
constexpr const char* kTextFilePattern = "*.txt";

bool EndsWithSlash(const TextString& text) { return text.length > 0 && text.buffer[text.length - 1] == '/'; }

// A path cut after its last "/": the directory (with the "/") and the name.
// A dropped or chosen path is a path, never a quoted file specification.
void SplitAtLastSlash(const TextString& path, TextString& directory, TextString& name) {
    const char* slash = std::strrchr(path.buffer, '/');
    const int cut = slash ? static_cast<int>(slash - path.buffer) + 1 : 0;
    directory.AssignChars(path.buffer, cut);
    name.Assign(path.buffer + cut);
}

// One quoted entry of the multi-file form: "/name".
void AppendQuotedName(TextString& spec, const TextString& name) {
    spec.Append("\"/");
    spec.Append(name);
    spec.AppendChar('"');
}

// The multi-file form of several paths: the directory of the first, then
// each name quoted with its leading "/", one blank between.  A path outside
// that directory is shown by its name: the run converts the paths
// themselves.
TextString MultiFileSpec(const std::vector<TextString>& paths) {
    TextString directory, name;
    SplitAtLastSlash(paths.front(), directory, name);
    TextString spec = directory;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) spec.AppendChar(' ');
        const TextString& path = paths[i];
        if (!directory.IsEmpty() && std::strncmp(path.buffer, directory.buffer, directory.length) == 0) {
            AppendQuotedName(spec, TextString(path.buffer + directory.length));
        } else {
            TextString ignored;
            SplitAtLastSlash(path, ignored, name);
            AppendQuotedName(spec, name);
        }
    }
    return spec;
}

std::vector<TextString> NonEmptyEntries(const TextString* history) {
    std::vector<TextString> entries;
    for (int i = 0; i < kHistoryCount; ++i)
        if (!history[i].IsEmpty()) entries.push_back(history[i]);
    return entries;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and the window's steps

MainWindow::MainWindow(UiServices& uiServices, const std::string& settingsPath)
    : MainDialog(uiServices, settingsPath), window_(std::make_unique<Window>(*this)), status_(uiServices) {
    BuildMainMenu(menu_);
    AddControls();
    AddHandlers();
    status_.SetOwner(this, settings.autoDismissStatusDialog ? 1 : 0);
    AttachStatusWindow(&status_);
}

MainWindow::~MainWindow() {
    if (outputSheet_) outputSheet_->DestroyWindow();
    if (analysisSheet_) analysisSheet_->DestroyWindow();
    if (settingsSheet_) settingsSheet_->DestroyWindow();
    Destroy();
    status_.DestroyWindow();
}

DialogModel& MainWindow::Dialog() { return *window_; }
const DialogModel& MainWindow::Dialog() const { return *window_; }

void MainWindow::AddControls() {
    for (const TemplateControl& control : kTemplate) window_->AddControl(control.id, control.kind, control.text);
    window_->SetMaxLength(kDelimiterEdit, kDelimiterLength);
    window_->SetCaption(TitleFor(TextString()).buffer);
}

void MainWindow::AddHandlers() {
    DialogModel& dialog = *window_;
    dialog.On(kBrowseButton, NotifyEvent::kClicked, [this] { Browse(); });
    dialog.On(kConvertButton, NotifyEvent::kClicked, [this] { Convert(); });
    dialog.On(kViewResultsButton, NotifyEvent::kClicked, [this] { ViewResults(); });
    dialog.On(kFileSpecCombo, NotifyEvent::kFocusLost, [this] { TakeTypedFileSpec(); });
    // A pick is made when the selection is made; the toolkit may tell of
    // the list's closing before that (GTK does) or after.
    dialog.On(kFileSpecCombo, NotifyEvent::kSelectionEnded, [this] { TakePickedFileSpec(); });
    dialog.On(kFileSpecCombo, NotifyEvent::kListClosed, [this] { TakeNewPickedFileSpec(); });
    dialog.On(kFileSpecCombo, NotifyEvent::kEditChanged, [this] { FileSpecEdited(); });
    dialog.On(kFileSpecCombo, NotifyEvent::kTextChanged, [this] { FileSpecEdited(); });
    dialog.On(kInputTypeCombo, NotifyEvent::kSelectionEnded, [this] { InputTypeChosen(); });
    dialog.On(kOutputKindCombo, NotifyEvent::kSelectionEnded, [this] { OutputKindChosen(); });
    for (int id : kExtensionButtons) dialog.On(id, NotifyEvent::kClicked, [this] { ExtensionClicked(); });
    dialog.On(kOutputDirectoryCombo, NotifyEvent::kFocusLost, [this] { TidyOutputDirectory(); });
    dialog.On(kOutputDirectoryCombo, NotifyEvent::kSelectionEnded, [this] { TakePickedOutputDirectory(); });
    dialog.On(kOutputDirectoryCombo, NotifyEvent::kListClosed, [this] { TakeNewPickedOutputDirectory(); });
    dialog.On(kOutputDirectoryButton, NotifyEvent::kClicked, [this] { ChooseOutputDirectory(); });
    dialog.On(kPolicyCombo, NotifyEvent::kFocusLost, [this] { PolicyFileLeft(); });
    dialog.On(kPolicyCombo, NotifyEvent::kSelectionEnded, [this] { TakePickedPolicyFile(); });
    dialog.On(kPolicyButton, NotifyEvent::kClicked, [this] { BrowsePolicyFile(); });
    dialog.On(kResetButton, NotifyEvent::kClicked, [this] { ResetToDefaults(); });
    dialog.On(kDelimiterEdit, NotifyEvent::kTextChanged, [this] { DelimiterEdited = true; });
    dialog.On(kWholeDialog, NotifyEvent::kFilesDropped, [this] { DropFiles(window_->DroppedFiles()); });
}

void MainWindow::Create() { window_->CreateWindow(); }

void MainWindow::InitialiseWindow() {
    policyFileLoaded = 0;
    policiesEdited = 0;
    fileAnalysed = 0;
    // "Other" and unknown names are English.
    const int code = settings.LanguageCode();
    // The choices the window was last closed with, unless it opens on the
    // files of a batch run, whose choices it keeps; the qualifiers come
    // after.
    if (FileSpec.IsEmpty()) TakeKeptChoices();
    if (context->runParameters.rtf) {
        ExtensionChoice = kExtensionRtf;
        OutputKind = kOutputRtfFile;
    }
    // The field shows the current policy file, which starts as the default
    // one.
    PolicyFileText = runPolicyFileName;
    if (!status_.HasWindow()) status_.CreateWindow();
    menu_.DrawMenuBar();
    // The texts were loaded when the dialog was built; the window shows them
    // now even though the language stays.
    if (code != LanguageCode)
        ChangeLanguage(code);
    else
        ApplyLanguageToWindow();
    const RunParameters& run = context->runParameters;
    InputFileType = kInputPlainText;
    if (run.tabDelimited) InputFileType = kInputTabDelimited;
    if (run.commaDelimited) InputFileType = kInputCommaDelimited;
    SetMenuChecks();
    UpdateTitle();
    reanalysisNeeded = 1;
    // The output file's name shows from the first showing ("*.html" while
    // no file is chosen), as it does after any later refresh.
    if (OutputFileName.IsEmpty()) DeriveOutputFileName();
    RefreshControls();
    EnableDependentControls();
}

void MainWindow::Show() {
    Create();
    window_->ShowWindow();
    if (!shownBefore_) {
        shownBefore_ = true;
        if (!runPolicyFileName.IsEmpty()) LoadCurrentPolicyFile();
    }
    if (!toolTips_.HasWindow()) toolTips_.Create();
    if (settings.displayToolTips) {
        ApplyToolTips(ToolTipMode::kAdd, window_.get(), kMainDialogId, toolTips_, true);
        ApplyToolTips(ToolTipMode::kSetTexts, window_.get(), kMainDialogId, toolTips_, true);
    }
}

void MainWindow::Destroy() { window_->DestroyWindow(); }

void MainWindow::Close() {
    // The next start opens with the same extension and output kind.
    settings.conversionType = ExtensionChoice;
    settings.outputType = OutputKind;
    if (WindowExists()) {
        const DialogControl* files = window_->Control(kFileSpecCombo);
        for (int i = 0; i < kHistoryCount; ++i)
            settings.filesHistory[i] =
                i < static_cast<int>(files->items.size()) ? files->items[static_cast<size_t>(i)] : TextString();
    }
    // No is the default; Cancel, or a save that did not happen, keeps the
    // window open.
    if (!OfferToSaveEdits(kSecondButton)) return;
    window_->EndDialog(kIdCancel);
    Destroy();
}

bool MainWindow::WindowExists() const { return window_->HasWindow(); }

void MainWindow::ExchangeData(DataExchange& exchange) {
    // Taking the values, the delimiter's check comes last: a delimiter
    // refused takes none of the other fields with it.  Until a take
    // accepts it, the refused text stays in its field (a refresh of the
    // others does not put the delimiter taken before over it).
    const bool saving = exchange.Saving();
    if (!saving && !delimiterRefused_) exchange.Text(kDelimiterEdit, DelimiterText, kDelimiterLength);
    exchange.Text(kFileSpecCombo, FileSpec);
    exchange.Selection(kOutputKindCombo, OutputKind);
    exchange.Selection(kInputTypeCombo, InputFileType);
    exchange.Text(kOutputDirectoryCombo, OutputDirectory);
    exchange.Text(kOutputNameEdit, OutputFileName);
    exchange.Text(kPolicyCombo, PolicyFileText);
    exchange.Radio(kExtensionButtons, ExtensionChoice);
    if (saving) {
        exchange.Text(kDelimiterEdit, DelimiterText, kDelimiterLength);
        delimiterRefused_ = exchange.Failed();
    }
}

void MainWindow::TakeControlValues() { TakeCheckedValues(); }

bool MainWindow::TakeCheckedValues() {
    if (!WindowExists()) return true;
    FileSpecEdited();
    return window_->UpdateData(true);
}

void MainWindow::RefreshControls() {
    if (!WindowExists()) return;
    FillHistoryCombos();
    window_->UpdateData(false);
}

void MainWindow::FillHistoryCombos() {
    const std::pair<int, const TextString*> combos[] = {
        {kFileSpecCombo, settings.filesHistory},
        {kOutputDirectoryCombo, settings.outDirHistory},
        {kPolicyCombo, settings.policyHistory},
    };
    for (const auto& [id, history] : combos) {
        std::vector<TextString> entries = NonEmptyEntries(history);
        if (window_->Control(id)->items == entries) continue;
        // Setting the list keeps the text of the field.
        window_->SetItems(id, std::move(entries));
    }
}

void MainWindow::EnableDependentControls() {
    const bool toFiles = OutputKind != kOutputHtmlClipboard;
    for (int id : kFileOutputControls) window_->EnableControl(id, toFiles);
    const bool delimited = InputFileType == kInputOtherDelimiter;
    window_->EnableControl(kDelimiterLabel, delimited);
    window_->EnableControl(kDelimiterEdit, delimited);
}

// ---------------------------------------------------------------------------
// Language, menu and tips

void MainWindow::ChangeLanguage(int code) {
    if (code == LanguageCode) return;
    MainDialog::ChangeLanguage(code);
    ApplyLanguageToWindow();
}

void MainWindow::SheetsReset() {
    if (outputSheet_) {
        outputSheet_->ResetChanged();
        outputSheet_->LoadPages(WorkingSet(), SixthSet());
    }
    if (analysisSheet_) {
        analysisSheet_->ResetChanged();
        analysisSheet_->LoadPages(WorkingSet(), SixthSet());
    }
    if (settingsSheet_) {
        settingsSheet_->ResetChanged();
        settingsSheet_->LoadPages(WorkingSet(), SixthSet());
    }
}

void MainWindow::SheetsReload(FC& set) {
    if (outputSheet_) outputSheet_->LoadPages(set, SixthSet());
    if (analysisSheet_) analysisSheet_->LoadPages(set, SixthSet());
    if (settingsSheet_) settingsSheet_->LoadPages(set, SixthSet());
}

void MainWindow::ReapplyPolicies() {
    if (analysisSheet_) {
        FC inForce;
        PrepareAnalysisView(inForce);
        analysisSheet_->LoadPages(inForce, SixthSet());
    }
    if (outputSheet_ || settingsSheet_) PrepareSettingsView();
    if (outputSheet_) outputSheet_->LoadPages(SettingsView(), SixthSet());
    if (settingsSheet_) settingsSheet_->LoadPages(SettingsView(), SixthSet());
}

void MainWindow::ApplyLanguageToWindow() {
    if (!WindowExists()) return;
    // Labels and tips of the window.
    ApplyToolTips(ToolTipMode::kSetTexts, window_.get(), kMainDialogId, toolTips_, settings.displayToolTips);
    ApplyMenuTexts(&menu_);
    menu_.DrawMenuBar();
    status_.LanguageChanged(LanguageCode);
    RelabelSheets();
    SetMenuChecks();
    FillChoiceLists();
    RefreshControls();
}

void MainWindow::SetMenuChecks() {
    menu_.CheckCommand(kCommandShowToolTips, settings.displayToolTips);
    menu_.CheckCommand(kCommandShowStatusDialog, settings.displayStatusDialog);
    menu_.CheckCommand(kCommandAutoViewResults, settings.autoDdeUpdates);
    for (const LanguageCommand& language : kLanguageCommands)
        menu_.CheckCommand(language.command, language.code == LanguageCode);
    menu_.CheckCommand(kCommandLanguageOther, false);
}

void MainWindow::FillChoiceLists() {
    std::vector<TextString> inputTypes;
    inputTypes.reserve(kInputTypeCount);
    for (int i = 0; i < kInputTypeCount; ++i) inputTypes.emplace_back(GetMessageText(kMsgPlainTextFile + i));
    window_->SetItems(kInputTypeCombo, std::move(inputTypes));
    std::vector<TextString> outputKinds;
    for (int slot : kOutputKindSlots) outputKinds.emplace_back(GetMessageText(slot));
    window_->SetItems(kOutputKindCombo, std::move(outputKinds));
}

void MainWindow::EnableToolTips(bool on) {
    if (!WindowExists()) return;
    ApplyToolTips(on ? ToolTipMode::kSetTexts : ToolTipMode::kRemove, window_.get(), kMainDialogId, toolTips_, on);
}

bool MainWindow::OnCommand(int commandId) {
    if (!menu_.HasCommand(commandId)) return false;
    // A field left for the menu has its say first.
    services.RunFieldWork();
    for (const SheetCommand& sheet : kSheetCommands) {
        if (sheet.command != commandId) continue;
        OpenSheet(sheet.kind, sheet.topic);
        return true;
    }
    for (const LanguageCommand& language : kLanguageCommands) {
        if (language.command != commandId) continue;
        ChangeLanguage(language.code);
        return true;
    }
    switch (commandId) {
        case kCommandConvert:
            // Browse, then Convert; the chooser starts at the file shown.
            TakeControlValues();
            if (ChooseFilesFrom(ShownFileProposal())) Convert();
            break;
        case kCommandLoadPolicyFile:
            RunPolicyFileDialog();
            PolicyFileText = runPolicyFileName;
            RefreshControls();
            break;
        case kCommandSavePolicyFile: RunSavePolicyDialog(); break;
        case kCommandExit: Close(); break;
        case kCommandReanalyse: {
            TakeControlValues();
            WaitCursor wait(services);
            const TextString spec = FileSpec;
            ReanalyseFile(spec);
            fileAnalysed = 1;
            break;
        }
        case kCommandResetToDefaults: ResetToDefaults(); break;
        case kCommandShowToolTips:
            settings.displayToolTips = !settings.displayToolTips;
            menu_.CheckCommand(kCommandShowToolTips, settings.displayToolTips);
            EnableToolTips(settings.displayToolTips);
            break;
        case kCommandShowStatusDialog:
            settings.displayStatusDialog = !settings.displayStatusDialog;
            menu_.CheckCommand(kCommandShowStatusDialog, settings.displayStatusDialog);
            break;
        case kCommandAutoViewResults:
            settings.autoDdeUpdates = !settings.autoDdeUpdates;
            menu_.CheckCommand(kCommandAutoViewResults, settings.autoDdeUpdates);
            break;
        case kCommandLanguageOther: break;
        case kCommandViewMessages:
            if (status_.IsVisible()) {
                status_.Hide();
            } else {
                if (!status_.HasWindow()) status_.CreateWindow();
                status_.Show();
            }
            break;
        case kCommandViewResults: ViewResults(); break;
        case kCommandHelpContents: ShowHelp(); break;
        case kCommandLocalDocumentation: ShowLocalDocumentation(); break;
        case kCommandWebDocumentation: ShowWebPage(kWebDocumentationPath, kMenuPageQuery); break;
        case kCommandMorvanePage: ShowWebPage(kMorvanePagePath, kMenuPageQuery); break;
        case kCommandPellionPage: ShowWebPage(kPellionPagePath, kMenuPageQuery); break;
        case kCommandAbout: ShowAboutBox(); break;
        case kCommandCheckForUpdates: CheckForNewerVersion(); break;
        default: return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Dialogs that come with their own windows

void MainWindow::RunPolicyFileDialog() { ::RunPolicyFileDialog(*this); }

bool MainWindow::RunSavePolicyDialog() { return ::RunSavePolicyDialog(*this) == kIdOk; }

void MainWindow::ShowAboutBox() { ::RunAboutDialog(*this); }

void MainWindow::OpenSheet(SheetKind kind, int topic) {
    TakeControlValues();
    // The output and settings sheets are loaded from a view of every policy
    // in force.
    if (kind != SheetKind::kAnalysis) {
        PrepareSettingsView();
        StoreToPolicySet(SettingsView());
        ShowSheet(kind, topic, SettingsView());
        return;
    }
    // The analysis sheet shows what a run would use, a loaded policy file
    // included, and stores what the user changes into the working set.  The
    // window's own choices go into the view it is loaded from, never into
    // the working set: every later run would take them from there over the
    // user's next choice (the extension chosen after the sheet opened).
    FC inForce;
    PrepareAnalysisView(inForce);
    StoreToPolicySet(inForce);
    ShowSheet(kind, topic, inForce);
}

void MainWindow::PrepareAnalysisView(FC& view) {
    view.SetContext(context.get());
    view.CopyPolicies(AnalysedFileSet());
    if (policyFileLoaded) view.MergeChangedPolicies(PolicyFileSet(), 1);
    if (policiesEdited) view.MergeChangedPolicies(WorkingSet(), 1);
}

void MainWindow::PrepareSettingsView() {
    FC& view = SettingsView();
    view.ResetPolicies();
    view.SetContext(context.get());
    if (fileAnalysed) view.CopyPolicies(AnalysedFileSet());
    if (policyFileLoaded) view.MergeChangedPolicies(PolicyFileSet(), 1);
    view.MergeChangedPolicies(WorkingSet(), 1);
}

void MainWindow::ShowSheet(SheetKind kind, int topic, FC& loadFrom) {
    // Each sheet edits the working set, the policies every run starts from.
    if (kind == SheetKind::kAnalysis) {
        if (!analysisSheet_) {
            analysisSheet_ = std::make_unique<SheetAnalysis>(*this, services);
            if (onSheetMade) onSheetMade(*analysisSheet_);
        }
        analysisSheet_->Open(WorkingSet(), loadFrom, SixthSet(), topic);
        return;
    }
    if (kind == SheetKind::kSettings) {
        if (!settingsSheet_) {
            settingsSheet_ = std::make_unique<SheetSettings>(*this, services, &menu_);
            if (onSheetMade) onSheetMade(*settingsSheet_);
        }
        // The Messages page edits the working set.
        settingsSheet_->Open(WorkingSet(), loadFrom, SixthSet(), topic);
        return;
    }
    if (!outputSheet_) {
        outputSheet_ = std::make_unique<Sheet>(*this, services);
        if (onSheetMade) onSheetMade(*outputSheet_);
    }
    outputSheet_->Open(WorkingSet(), loadFrom, SixthSet(), topic);
}

std::vector<SheetModel*> MainWindow::Sheets() const {
    std::vector<SheetModel*> sheets;
    if (outputSheet_) sheets.push_back(outputSheet_.get());
    if (analysisSheet_) sheets.push_back(analysisSheet_.get());
    if (settingsSheet_) sheets.push_back(settingsSheet_.get());
    return sheets;
}

void MainWindow::RelabelSheets() {
    // A sheet without a window takes the language when it next opens.
    if (outputSheet_) outputSheet_->ChangeLanguage(LanguageCode);
    if (analysisSheet_) analysisSheet_->ChangeLanguage(LanguageCode);
    if (settingsSheet_) settingsSheet_->ChangeLanguage(LanguageCode);
}

// ---------------------------------------------------------------------------
// Files, directories and types

TextString MainWindow::TitleFor(const TextString& fileSpec) {
    TextString product, shortVersion, fullVersion;
    GetProductInfo(product, shortVersion, fullVersion);
    if (fileSpec.IsEmpty()) return product;
    TextString directory, rest;
    SplitFileSpec(fileSpec, directory, rest);
    TextString title;
    if (rest.At(0) != '"') {
        title = rest;
    } else {
        // Several files: the first quoted name, quotes and all, even when it
        // holds blanks.
        const char* close = std::strchr(rest.buffer + 1, '"');
        const int end = close ? static_cast<int>(close - rest.buffer) + 1 : rest.length;
        title.AssignChars(rest.buffer, end);
        title.Append("...");
    }
    title.Append(" - ");
    title.Append(product);
    return title;
}

void MainWindow::UpdateTitle() {
    if (WindowExists()) window_->SetCaption(TitleFor(FileSpec).buffer);
}

void MainWindow::EndWithSlash(TextString& directory) {
    if (!directory.IsEmpty() && !EndsWithSlash(directory)) directory.AppendChar('/');
}

bool MainWindow::IsReadableFileSpec() const {
    // Chosen files are converted by their paths.
    if (!commandLineSpecs.empty()) return true;
    TextString directory, rest;
    SplitFileSpec(FileSpec, directory, rest);
    // The multi-file form has its quotes after the directory: a quote inside
    // a name would cut it into a directory that is none and names that are
    // others'.
    return rest.At(0) != '"' || directory.IsEmpty() || EndsWithSlash(directory);
}

void MainWindow::DeriveOutputFileName() {
    TextString directory, rest;
    SplitFileSpec(FileSpec, directory, rest);
    MakeOutputFileName(rest, OutputFileName);
}

void MainWindow::ApplyCsvRule() {
    TextString directory, name, extension;
    SplitPath(FileSpec, &directory, &name, &extension);
    if (extension == ".csv")
        InputFileType = kInputCommaDelimited;
    else if (InputFileType == kInputCommaDelimited)
        InputFileType = kInputPlainText;
}

void MainWindow::TakeFileDirectory(const TextString& directory) {
    if (!InputDirectoryFixed) InputDirectory = directory;
    if (!OutputDirectoryChosen) OutputDirectory = directory;
}

void MainWindow::AddToHistory(TextString* history, const TextString& text) {
    ComboBoxList list;
    FillComboFromList(&list, kHistoryCount, history);
    UpdateComboHistory(&list, kHistoryCount, history, text.buffer);
    RefreshControls();
}

bool MainWindow::Convert() {
    if (!TakeCheckedValues()) return false;
    if (FileSpec.IsEmpty()) {
        Browse();
        if (FileSpec.IsEmpty()) return false;
    }
    if (!IsReadableFileSpec()) {
        ReportNoFilesFound(FileSpec);
        return false;
    }
    // An empty directory is the working directory, and stays empty.
    if (!InputDirectory.IsEmpty() && !EndsWithSlash(InputDirectory)) {
        InputDirectory.AppendChar('/');
        settings.currentDir = InputDirectory;
    }
    EndWithSlash(OutputDirectory);
    RefreshControls();
    if (!CheckDirectory(InputDirectory, true)) {
        services.ShowMessageSlots(kMsgDirectoryError, kMsgInvalidInputDirectory);
        return false;
    }
    if (!CheckDirectory(OutputDirectory, false)) {
        services.ShowMessageSlots(kMsgDirectoryError, kMsgInvalidOutputDirectory);
        window_->SetFocus(kOutputDirectoryCombo);
        return false;
    }
    if (InputFileType == kInputOtherDelimiter && DelimiterText.IsEmpty()) {
        services.ShowMessageSlots(kMsgNoDelimiter, kMsgNeedDelimiter);
        window_->SetFocus(kDelimiterEdit);
        return false;
    }
    // The delimiter the user typed for input type 3; every other type
    // finds its cells without one.
    if (InputFileType != kInputOtherDelimiter)
        WorkingSet().SetTableDelimiter("");
    else if (DelimiterEdited)
        WorkingSet().SetTableDelimiter(DelimiterText.buffer);
    AddToHistory(settings.outDirHistory, OutputDirectory);
    return RunConversion();
}

TextString MainWindow::BrowseFolder() const {
    TextString folder = InputDirectory.IsEmpty() ? settings.currentDir : InputDirectory;
    EndWithSlash(folder);
    return folder;
}

TextString MainWindow::ShownFileProposal() const {
    TextString directory, name;
    SplitFileSpec(FileSpec, directory, name);
    // Several files, or none: the folder, as Browse has it.
    if (name.IsEmpty() || name.At(0) == '"') return BrowseFolder() + kTextFilePattern;
    return (directory.IsEmpty() ? BrowseFolder() : directory) + name;
}

bool MainWindow::Browse() { return ChooseFilesFrom(BrowseFolder() + kTextFilePattern); }

bool MainWindow::ChooseFilesFrom(const TextString& proposal) {
    std::vector<TextString> paths{proposal};
    const bool chosen = services.ChooseFiles("", GetMessageText(kMsgTextFilesFilter), paths) && !paths.empty();
    if (chosen) {
        TextString directory, name;
        SplitAtLastSlash(paths.front(), directory, name);
        InputDirectory = directory;
        if (paths.size() == 1) {
            TextString ignoredDirectory, base, extension;
            SplitPath(paths.front(), &ignoredDirectory, &base, &extension);
            if (extension == ".csv") InputFileType = kInputCommaDelimited;
        }
        if (!InputDirectory.IsEmpty()) settings.currentDir = InputDirectory;
        if (!OutputDirectoryChosen) {
            OutputDirectory = InputDirectory;
            AddToHistory(settings.outDirHistory, OutputDirectory);
        }
        if (paths.size() == 1) {
            FileSpec = paths.front();
            ApplyCsvRule();
        } else {
            FileSpec = MultiFileSpec(paths);
        }
        commandLineSpecs = paths;
        DeriveOutputFileName();
        FillInputFileCombo(FileSpec);
        if (!policyFileLoaded && !policiesEdited) {
            fileAnalysed = 0;
            AnalysedFileSet().ResetPolicies();
            SecondSet().ResetPolicies();
        }
        RefreshControls();
    }
    UpdateTitle();
    reanalysisNeeded = 1;
    return chosen;
}

void MainWindow::TakeTypedFileSpec() {
    TakeControlValues();
    FillInputFileCombo(FileSpec);
    TextString directory, rest;
    SplitFileSpec(FileSpec, directory, rest);
    TakeFileDirectory(directory);
    DeriveOutputFileName();
    ApplyCsvRule();
    RefreshControls();
    UpdateTitle();
    reanalysisNeeded = 1;
}

void MainWindow::FileSpecEdited() {
    if (!commandLineSpecs.empty() && FileSpec != TextString(window_->ControlText(kFileSpecCombo)))
        commandLineSpecs.clear();
}

const TextString* MainWindow::PickedEntry(int comboId) const {
    const DialogControl* combo = window_->Control(comboId);
    if (combo->selection < 0 || combo->selection >= static_cast<int>(combo->items.size())) return nullptr;
    return &combo->items[static_cast<size_t>(combo->selection)];
}

void MainWindow::TakeNewPickedFileSpec() {
    const TextString* entry = PickedEntry(kFileSpecCombo);
    if (entry != nullptr && *entry != FileSpec) TakePickedFileSpec();
}

void MainWindow::TakePickedFileSpec() {
    const TextString* picked = PickedEntry(kFileSpecCombo);
    if (picked == nullptr) return;
    const TextString entry = *picked;
    if (entry != FileSpec) commandLineSpecs.clear();
    FileSpec = entry;
    TextString directory, rest;
    SplitFileSpec(FileSpec, directory, rest);
    DeriveOutputFileName();
    ApplyCsvRule();
    TakeFileDirectory(directory);
    if (!OutputDirectoryChosen) AddToHistory(settings.outDirHistory, OutputDirectory);
    if (!InputDirectory.IsEmpty()) settings.currentDir = InputDirectory;
    RefreshControls();
    UpdateTitle();
    reanalysisNeeded = 1;
}

void MainWindow::DropFiles(const std::vector<TextString>& paths) {
    services.RunFieldWork();
    if (paths.empty()) return;
    TextString directory, name;
    SplitAtLastSlash(paths.back(), directory, name);
    FileSpec = paths.size() == 1 ? paths.front() : MultiFileSpec(paths);
    commandLineSpecs = paths;
    InputDirectory = directory;
    InputDirectoryFixed = false;
    if (!OutputDirectoryChosen) OutputDirectory = directory;
    MakeOutputFileName(name, OutputFileName);
    RefreshControls();
    UpdateTitle();
    reanalysisNeeded = 1;
    Convert();
}

void MainWindow::InputTypeChosen() {
    TakeControlValues();
    EnableDependentControls();
    if (InputFileType != kNoSelection && ExtensionChoice != kNoSelection) SetConversionType(ExtensionChoice);
    if (InputFileType == kInputOtherDelimiter) window_->SetFocus(kDelimiterEdit);
}

void MainWindow::OutputKindChosen() {
    TakeControlValues();
    // The output kind and the extension agree on RTF.
    if (OutputKind != kOutputRtfFile && ExtensionChoice == kExtensionRtf)
        SetConversionType(kExtensionHtml);
    else if (OutputKind == kOutputRtfFile && ExtensionChoice != kExtensionRtf)
        SetConversionType(kExtensionRtf);
    EnableDependentControls();
}

void MainWindow::ExtensionClicked() {
    TakeControlValues();
    if (ExtensionChoice != kNoSelection) SetConversionType(ExtensionChoice);
    ExtensionChosen = true;
    MatchOutputKindToExtension();
    RefreshControls();
    EnableDependentControls();
}

void MainWindow::MatchOutputKindToExtension() {
    if ((ExtensionChoice == kExtensionHtml || ExtensionChoice == kExtensionHtm) && OutputKind == kOutputRtfFile)
        OutputKind = kOutputHtmlFiles;
    else if (ExtensionChoice == kExtensionRtf && OutputKind != kOutputRtfFile)
        OutputKind = kOutputRtfFile;
}

void MainWindow::TakeKeptChoices() {
    // A value the window cannot show (a settings file edited by hand) is
    // the first choice.
    auto shown = [](int value, int last) { return value >= 0 && value <= last ? value : 0; };
    ExtensionChoice = shown(settings.conversionType, kExtensionRtf);
    OutputKind = shown(settings.outputType, kOutputHtmlClipboard);
    MatchOutputKindToExtension();
}

void MainWindow::TidyOutputDirectory() {
    const TextString before = OutputDirectory;
    TakeControlValues();
    // A one-character directory ("/", ".") is left as it is.
    if (OutputDirectory.length > 1) EndWithSlash(OutputDirectory);
    RefreshControls();
    if (OutputDirectory != before) OutputDirectoryChosen = true;
}

void MainWindow::TakeNewPickedOutputDirectory() {
    const TextString* entry = PickedEntry(kOutputDirectoryCombo);
    if (entry != nullptr && *entry != OutputDirectory) TakePickedOutputDirectory();
}

void MainWindow::TakePickedOutputDirectory() {
    const TextString* entry = PickedEntry(kOutputDirectoryCombo);
    if (entry == nullptr) return;
    OutputDirectory = *entry;
    OutputDirectoryChosen = true;
    if (OutputDirectory.length > 1) EndWithSlash(OutputDirectory);
    RefreshControls();
}

void MainWindow::ChooseOutputDirectory() {
    TextString folder;
    if (!BrowseForFolder(services, GetMessageText(kMsgSelectOutputDirectory), folder)) return;
    EndWithSlash(folder);
    if (!CheckDirectory(folder, false)) {
        services.ShowMessageSlots(kMsgDirectoryError, kMsgInvalidOutputDirectory);
        return;
    }
    TakeControlValues();
    OutputDirectory = folder;
    OutputDirectoryChosen = true;
    AddToHistory(settings.outDirHistory, OutputDirectory);
}

// ---------------------------------------------------------------------------
// The policy file

bool MainWindow::LoadCurrentPolicyFile() {
    if (!LoadPolicyFile()) return false;
    SetPolicyFileName(runPolicyFileName);
    return true;
}

void MainWindow::TakePickedPolicyFile() {
    const TextString* entry = PickedEntry(kPolicyCombo);
    if (entry == nullptr) return;
    const TextString picked = *entry;
    // Asked before anything is reset: Cancel leaves the field and the
    // policies as they were.
    if (!OfferToSaveEdits(kFirstButton)) {
        RefreshControls();
        return;
    }
    PolicyFileText = picked;
    runPolicyFileName = PolicyFileText;
    PolicyFileSet().ResetPolicies();
    WorkingSet().ResetPolicies();
    SecondSet().ResetPolicies();
    policyFileLoaded = 0;
    policiesEdited = 0;
    // The field loses the focus while the file loads; that is no typing.
    PolicySelectionBusy = true;
    if (!LoadCurrentPolicyFile()) PolicyFileText.MakeEmpty();
    runPolicyFileName = PolicyFileText;
    PolicySelectionBusy = false;
    RefreshControls();
}

void MainWindow::PolicyFileLeft() {
    if (PolicySelectionBusy) return;
    // The name the field is left with loads once the focus has gone where
    // the user sent it: a click on a button is not lost, and the button's
    // action runs with the file loaded.
    services.DeferFieldWork(window_.get(), [this, typed = TextString(window_->ControlText(kPolicyCombo))] {
        TakeTypedPolicyFile(typed);
    });
}

void MainWindow::TakeTypedPolicyFile(const TextString& typed) {
    if (PolicySelectionBusy || typed == PolicyFileText) return;
    // Cancel puts the field back; nothing loads.
    if (!OfferToSaveEdits(kFirstButton)) {
        RefreshControls();
        return;
    }
    const TextString previous = PolicyFileText;
    PolicyFileText = typed;
    runPolicyFileName = typed;
    // An emptied field is no policy file (the defaults, as the policy-file
    // dialog has it) and stays empty; a name that does not load gives way
    // to the previous one, whose policies are still loaded.
    if (!LoadCurrentPolicyFile() && !typed.IsEmpty()) PolicyFileText = previous;
    runPolicyFileName = PolicyFileText;
    RefreshControls();
}

void MainWindow::BrowsePolicyFile() {
    TextString path = PolicyFileText;
    if (!services.ChooseFile(false, "", GetMessageText(kMsgPolicyFilesFilter), path)) return;
    if (!OfferToSaveEdits(kFirstButton)) return;
    const TextString previous = PolicyFileText;
    PolicyFileText = path;
    runPolicyFileName = path;
    if (!LoadCurrentPolicyFile()) PolicyFileText = previous;
    runPolicyFileName = PolicyFileText;
    RefreshControls();
}

// ---------------------------------------------------------------------------
// Results, help and web pages

void MainWindow::ViewResults() {
    if (lastOutputFileName.IsEmpty()) {
        if (!FileSpec.IsEmpty())
            services.ShowMessageSlots(kMsgNoConversionDoneYet, kMsgMustConvertFirst);
        else
            services.ShowMessageSlots(kMsgInputFileError, kMsgChooseAFileFirst);
        // A conversion to the clipboard writes no file to show.
        if (GetOutputMode() == kOutputToClipboard) return;
        Convert();
        if (lastOutputFileName.IsEmpty()) return;
    }
    ResultViewer viewer(settings, services, LanguageCode);
    const bool rtf = ExtensionChoice == kExtensionRtf;
    TextString command = rtf ? settings.viewRtfCommand : settings.browserCommand;
    if (command.IsEmpty()) {
        if (rtf)
            viewer.FindViewerCommand(command, ".rtf", ".doc");
        else
            viewer.FindViewerCommand(command, ".html", ".htm");
    }
    if (command.IsEmpty()) {
        services.ShowMessageSlots(kMsgBrowserNotDetected, kMsgLocateBrowser);
        return;
    }
    const TextString file = LastOutputPath();
    // A name noted but no file there (a framed document's frame page, which
    // the user provides, or a file removed since): the user is told, and
    // no viewer is handed a file that is not there.
    if (KindOfPath(file.str()) != PathKind::kOther) {
        TextString text(GetMessageText(kMsgFileNotFound));
        FillMessagePlaceholders(text, {{"ffffff", file.c_str()}});
        services.ShowMessage(GetMessageText(kMsgOutputFileError), text.c_str());
        return;
    }
    // Programs get their arguments as they are: the path needs no quotes.
    if (rtf) {
        viewer.StartViewer(file, command);
        return;
    }
    TextString address;
    viewer.MakeFileUrl(file, address);
    viewer.OpenUrlInBrowser(address, command, true);
}

void MainWindow::ShowHelp() { ShowLocalDocumentation(); }

void MainWindow::ShowLocalDocumentation() { ::ShowUserGuide(*this); }

void MainWindow::ShowWebPage(const char* path, const char* query) {
    TextString address;
    GetMakerWebPage(path, query, address);
    ::ShowWebPage(*this, address);
}

void MainWindow::CheckForNewerVersion() {
    TextString address;
    GetVersionCheckAddress(address);
    ::ShowWebPage(*this, address);
}
