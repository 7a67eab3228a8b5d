#include "app/conversion_run.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/base_dialog.h"
#include "app/result_viewing.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "context/option_groups.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "output/master_index.h"
#include "platform/file_search.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"
#include "tables/file_specs.h"
#include "texts/message_texts.h"

// ---------------------------------------------------------------------------
// The status window

void StatusWindow::AddMessage(const char* text) {
    const char* piece = text ? text : "";
    for (;;) {
        const char* end = std::strchr(piece, '\n');
        const size_t length = end ? static_cast<size_t>(end - piece) : std::strlen(piece);
        std::string line(piece, length);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        Lines.Add(line.c_str());
        if (consoleEcho) {
            line.push_back('\n');
            std::fwrite(line.data(), 1, line.size(), stderr);
        }
        if (!end) break;
        piece = end + 1;
    }
    if (consoleEcho) std::fflush(stderr);
}

void StatusWindow::Clear() { Lines.Clear(); }

StatusWindow& TheStatusWindow() {
    static StatusWindow window;
    return window;
}

void StatusMessageCallback(const char* text) { TheStatusWindow().AddMessage(text); }

// ---------------------------------------------------------------------------
// Helpers

namespace {

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

// A message-text slot with one placeholder filled in.
TextString FilledMessage(int slot, const char* placeholder, const TextString& value) {
    TextString text(GetMessageText(slot));
    FillMessagePlaceholders(text, {{placeholder, value.buffer}});
    return text;
}

// The run's log file: attached to the Context's logging sink while open,
// detached when the run ends on any road.
class RunLog {
public:
    explicit RunLog(Context& context) : context_(context) {}
    ~RunLog() { Close(); }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Opens the log the run asks for (step by step as the messages say):
    // the named file, else "Morvane.log" in the output directory.
    void Open(FC& runSet, const TextString& outputDirectory) {
        TextString name = context_.runParameters.logFileName;
        if (name.IsEmpty()) name = runSet.GetText(Pol::OutputLogFilename);
        if (name.IsEmpty()) name = "Morvane.log";
        TextString directoryPart;
        GetDirectoryPart(name, &directoryPart);
        TextString path = directoryPart.IsEmpty() ? outputDirectory + name : name;
        if (TryOpen(runSet, path)) return;
        context_.LogSessionLine(FilledMessage(69, "ffffff", path));
        path = outputDirectory + "Morvane.log";
        context_.LogSessionLine(FilledMessage(70, "ffffff", path));
        if (TryOpen(runSet, path)) return;
        context_.LogSessionLine(FilledMessage(69, "ffffff", path));
    }

    void Close() {
        if (!open_) return;
        context_.sink.SetLogFile(nullptr);
        file_.CloseAll();
        open_ = false;
    }

private:
    bool TryOpen(FC& runSet, const TextString& path) {
        if (!file_.OpenForWrite(path.buffer, 0, 0)) return false;
        open_ = true;
        context_.sink.SetLogFileName(path.buffer);
        context_.sink.SetLogFile(&file_);
        TextString status("Generating log file ");
        status.Append(path);
        runSet.ReportStatus(status.buffer);
        if (context_.pendingLog.length >= 1) {
            file_.PutLine(context_.pendingLog.buffer);
            context_.pendingLog.MakeEmpty();
        }
        return true;
    }

    Context& context_;
    TextFile file_;
    bool open_ = false;
};

}  // namespace

bool FindFirstMatch(const TextString& path, bool filesOnly, TextString* name) {
    const std::string whole = path.str();
    const size_t slash = whole.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : whole.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? whole : whole.substr(slash + 1);
    if (pattern.empty()) return false;
    if (!HasWildcard(pattern.c_str())) {
        struct stat info {};
        if (::stat(whole.c_str(), &info) != 0 || (filesOnly && S_ISDIR(info.st_mode))) return false;
        if (name) *name = TextString(std::string_view(pattern));
        return true;
    }
    FileSearch search;
    if (!search.Begin(directory, pattern)) return false;
    FoundFile entry;
    std::string best;
    bool found = false;
    while (search.Next(&entry)) {
        if (entry.name == "." || entry.name == ".." || (filesOnly && entry.isDirectory)) continue;
        int order = found ? ::strcasecmp(entry.name.c_str(), best.c_str()) : -1;
        if (order == 0) order = std::strcmp(entry.name.c_str(), best.c_str());
        if (order < 0) {
            best = entry.name;
            found = true;
        }
    }
    if (found && name) *name = TextString(std::string_view(best));
    return found;
}

// ---------------------------------------------------------------------------
// BaseDialog: the conversion run

void BaseDialog::SplitFileSpec(const TextString& spec, TextString& directory, TextString& rest) {
    directory.MakeEmpty();
    rest.MakeEmpty();
    if (spec.IsEmpty()) return;
    const char* quote = std::strchr(spec.buffer, '"');
    if (quote) {
        const int at = static_cast<int>(quote - spec.buffer);
        directory.AssignChars(spec.buffer, at);
        rest.Assign(spec.buffer + at);
        return;
    }
    const char* slash = std::strrchr(spec.buffer, '/');
    if (!slash) {
        rest = spec;
        return;
    }
    const int cut = static_cast<int>(slash - spec.buffer) + 1;
    directory.AssignChars(spec.buffer, cut);
    rest.Assign(spec.buffer + cut);
}

bool BaseDialog::CheckDirectory(const TextString& path, bool readOnlyAllowed) {
    // An empty directory is the current one.
    const char* directory = path.IsEmpty() ? "." : path.buffer;
    struct stat info {};
    if (::stat(directory, &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (::access(directory, X_OK) != 0) return false;
    return readOnlyAllowed || ::access(directory, W_OK) == 0;
}

void BaseDialog::AttachCallbacks(FC& set) {
    SetContextOutputFormat(set);
    if (set.context) {
        set.context->sink.SetMessageCallback(StatusMessageCallback);
        set.context->sink.SetStatusCallback(StatusMessageCallback);
    }
}

void BaseDialog::NotifyPoliciesChanged(int kind) {
    if (!context) return;
    if (kind == 2) reanalysisNeeded = 1;
    if (kind == 4) outputChanged = {1, 1};
}

void BaseDialog::RunSavePolicyDialog() {
    PolicyFileSet().ReportMessage("PROGRAM ERROR: SavePolicyDialog is not built yet", 10);
}

bool BaseDialog::MakeOutputFileName(const TextString& fileSpec, TextString& outName) {
    TextString name(fileSpec);
    TextString match;
    if (!fileSpec.IsEmpty() && FindFirstMatch(GetInputDirectory() + fileSpec, false, &match)) name = match;

    // The extension dot is looked for in the last path component only, and
    // not in its first character.
    const char* slash = std::strrchr(name.buffer, '/');
    const int start = slash ? static_cast<int>(slash - name.buffer) + 1 : 0;
    int dot = -1;
    for (int i = name.length - 1; i >= start && i >= 1; --i) {
        if (name.buffer[i] == '.') {
            dot = i;
            break;
        }
    }
    bool result = true;
    if (name.IsEmpty() || name.buffer[0] == '"' || name.buffer[0] == ' ') {
        outName = "*";
        result = false;
    } else if (dot >= 0) {
        outName.AssignChars(name.buffer, dot);
    } else {
        outName = name;
    }
    const int type = GetConversionType();
    const bool rtf = type != 0 && type != 1;
    outName.Append(type == 0 ? ".html" : type == 1 ? ".htm" : ".rtf");
    if (Context* own = SecondSet().context) {
        own->outputFormat = rtf ? 1 : 0;
        // The format the qualifiers asked for is the one written.
        if (own->runParameters.rtf) own->outputFormat = 1;
    }
    return result;
}

bool BaseDialog::LoadPolicyFile() {
    WorkingSet().ResetPolicies();
    policiesEdited = 0;
    FC& policyFile = PolicyFileSet();
    if (runPolicyFileName.IsEmpty()) {
        policyFile.ResetPolicies();
        policyFileLoaded = 0;
        return false;
    }
    policyFile.ResetPolicies();
    TextFile file;
    if (!file.OpenForRead(runPolicyFileName.buffer)) {
        TextString text = FilledMessage(32, "xxxxxx", runPolicyFileName);
        std::string refusedName, reason;
        if (file.TakeRefusal(&refusedName, &reason)) {
            text.Append(": ");
            text.Append(reason.c_str());
        }
        const TextString caption(GetMessageText(6));
        services.ShowMessage(caption.buffer, text.buffer);
        return false;
    }
    AttachCallbacks(policyFile);
    TextString loading("Loading policy file ");
    loading.Append(runPolicyFileName);
    policyFile.ReportMessage(loading.buffer, 10);
    StatusWindow& status = TheStatusWindow();
    status.Clear();
    // The reader's messages are in the status window.
    if (!policyFile.ReadPolicyFile(file)) status.Show();
    file.CloseAll();
    if (policyFile.context) policyFile.context->styleSet.ReadStylesFile(&policyFile);

    policyFileLoaded = 1;
    if (context) context->policyFileNameText = runPolicyFileName;
    RefreshControls();
    OnConversionDone(policyFile);
    LoadFromPolicySet(policyFile, SixthSet());
    return true;
}

void BaseDialog::ReloadMasterPolicyFile(FC& set) {
    TextFile file;
    if (!file.OpenForRead(runPolicyFileName.buffer)) {
        // The sets keep the policies they had.
        TextString message("ERROR: Can't find master policy file ");
        message.Append(runPolicyFileName);
        std::string refusedName, reason;
        if (file.TakeRefusal(&refusedName, &reason)) {
            message.Append(": ");
            message.Append(reason.c_str());
            if (context) ++context->filesRefused;
        }
        StatusMessageCallback(message.buffer);
        return;
    }
    set.ResetPolicies();
    set.ReadPolicyFile(file);
    file.CloseAll();
    if (set.context) set.context->styleSet.ReadStylesFile(&set);
}

bool BaseDialog::PrepareAndConvert(const TextString& path, const TextString& outputName, int code,
                                   StringList* outputList) {
    FC& policyFile = PolicyFileSet();
    for (FC* set : {&AnalysedFileSet(), &ThirdSet(), &SecondSet()}) {
        set->ResetPolicies();
        set->CopyReporterSettings(policyFile);
    }
    context->RegisterInlineTagKeywords(&policyFile);
    return ConvertToTable(policyFile, SixthSet(), SecondSet(), *context, path, outputName, code, outputList);
}

bool BaseDialog::ConvertOneFile(const TextString& path) {
    TakeControlValues();
    int code = GetInputTypeCode();
    if (context->runParameters.tabDelimited) code = 7;
    if (context->runParameters.commaDelimited) code = 8;

    AnalysedFileSet().ResetPolicies();
    ThirdSet().ResetPolicies();
    SecondSet().ResetPolicies();
    AttachCallbacks(PolicyFileSet());
    AttachCallbacks(AnalysedFileSet());
    AttachCallbacks(SecondSet());
    outputChanged = {1, 1};

    // Several files, or a wildcard: each output is named from its input.
    const TextString spec = GetInputFileSpec();
    TextString outputName;
    const bool several = std::strstr(spec.buffer, "\" \"") || std::strpbrk(spec.buffer, "*?%") ||
                         commandLineSpecs.size() > 1;
    if (!several) {
        const TextString name = GetFileName();
        TextString directoryPart;
        GetDirectoryPart(name, &directoryPart);
        outputName = directoryPart.IsEmpty() ? GetOutputDirectory() + name : name;
    }

    StringList clipboardLines;
    StringList* outputList = GetOutputMode() == 2 ? &clipboardLines : nullptr;
    SixthSet().MergeChangedPolicies(WorkingSet(), 1);
    if (!PrepareAndConvert(path, outputName, code, outputList)) return false;

    // The name "View Results" shows: a framed document is seen through its
    // frame page.
    TextString directory, name, extension;
    SplitPath(context->currentOutputFileName, &directory, &name, &extension);
    FC& second = SecondSet();
    TextString display = name + extension;
    if (second.IsOn(Pol::PlaceDocumentInFrames)) {
        if (second.IsSet(Pol::OutputFrameName) && !second.GetText(Pol::OutputFrameName).IsEmpty())
            display = second.GetText(Pol::OutputFrameName);
        else
            display = name + "_frame" + extension;
    }
    lastOutputFileName = display;
    SetFileName(name + extension);
    LoadFromPolicySet(second, SixthSet());

    if (outputList) PolicyFileSet().ReportMessage("PROGRAM ERROR: Clipboard output is not built yet", 10);
    return true;
}

void BaseDialog::ReanalyseFile(const TextString& path) {
    TakeControlValues();
    if (path.IsEmpty()) {
        services.ShowMessageSlots(1, 26);
        return;
    }
    AttachCallbacks(SecondSet());
    if (!reanalysisNeeded) {
        services.ShowMessageSlots(2, 27);
        return;
    }
    outputChanged = {0, 0};
    const RunParameters& run = context->runParameters;
    const int code = run.commaDelimited ? 8 : run.tabDelimited ? 7 : 1;
    SixthSet().MergeChangedPolicies(WorkingSet(), 1);
    if (PrepareAndConvert(path, TextString(), code, nullptr)) {
        const TextString name = context->currentOutputFileName;
        lastOutputFileName = name;
        MakeOutputFileName(name, scratch);
        SetFileName(name);
        LoadFromPolicySet(SecondSet(), SixthSet());
    }
    reanalysisNeeded = 0;
}

bool BaseDialog::RunConversion() {
    settings.SaveSettings();
    ApplySettingsToContext();
    if (!CheckDirectory(GetInputDirectory(), true)) {
        services.ShowMessageSlots(3, 28);
        return false;
    }
    if (!CheckDirectory(GetOutputDirectory(), false)) {
        services.ShowMessageSlots(3, 29);
        return false;
    }

    StatusWindow& status = TheStatusWindow();
    if (!batchMode || settings.viewStatusWindow) {
        status.Clear();
        if (settings.displayStatusDialog) status.Show();
    }

    TextString directoryPart;
    SplitFileSpec(GetInputFileSpec(), directoryPart, fileSpecPart);

    // The run's own policy set: the master policy file, the loaded policy
    // file and the user's changes.
    FC runSet;
    if (settings.alwaysReload && !runPolicyFileName.IsEmpty()) {
        ReloadMasterPolicyFile(runSet);
        ReloadMasterPolicyFile(PolicyFileSet());
    }
    if (policyFileLoaded) runSet.CopyPolicies(PolicyFileSet());
    if (policiesEdited) runSet.MergeChangedPolicies(WorkingSet(), 1);

    Context& run = *context;
    runSet.SetContext(&run);
    PolicyFileSet().SetContext(&run);
    run.sink.SetMessageCallback(StatusMessageCallback);
    run.sink.SetStatusCallback(StatusMessageCallback);
    for (FC* set : {&AnalysedFileSet(), &ThirdSet(), &WorkingSet(), &PolicyFileSet(), &SecondSet()})
        set->SetContext(&run);
    run.ResetRunLists();
    runSet.LoadMessageFilters(run.sink);
    // What the qualifiers ask of the run itself: the master index page
    // ("/INDEX") and its DOS name.
    if (run.runParameters.index) runSet.SetInt(Pol::MakeDirectory, 1, true);
    if (run.runParameters.dosNames) runSet.SetInt(Pol::UseDOSFilenames, 1, true);

    RunLog log(run);
    if (run.runParameters.logFile || runSet.IsOn(Pol::CreateLogFile)) log.Open(runSet, GetOutputDirectory());

    runSet.SetText(Pol::InputDirectory, GetInputDirectory().buffer, false);
    runSet.SetText(Pol::OutputDirectory, GetOutputDirectory().buffer, false);
    AttachCallbacks(runSet);

    MasterIndex index;
    HTML_StartMasterIndex(runSet, run, GetOutputDirectory(), index);

    // The files of the run.  Specifications from the command line are
    // expanded one by one, each match from its own directory; the dialog's
    // specification goes through the quoted multi-file form.
    TextString spec = GetInputDirectory() + fileSpecPart;
    if (!commandLineSpecs.empty()) {
        for (const TextString& one : commandLineSpecs) AddMatchingFiles(run, one, runPolicyFileName, TextString());
    } else {
        ExpandFileSpecs(false, TextString(), spec, runPolicyFileName, run, false);
    }
    if (run.inputFiles.count == 0) {
        if (!commandLineSpecs.empty()) {
            spec = commandLineSpecs.front();
            for (size_t i = 1; i < commandLineSpecs.size(); ++i) spec = spec + " " + commandLineSpecs[i];
        }
        const TextString text = FilledMessage(30, "xxxxxx", spec);
        status.Hide();
        const TextString caption(GetMessageText(4));
        services.ShowMessage(caption.buffer, text.buffer);
        StatusMessageCallback((TextString("ERROR: ") + text).buffer);
        HTML_EndMasterIndex(runSet, run, index);
        return false;
    }

    bool failed = false;
    int fileIndex = 0;
    while (!failed) {
        ++fileIndex;
        const char* entry = run.inputFiles.TextAt(fileIndex - 1);
        const TextString inputPath(entry ? entry : "");
        if (inputPath.IsEmpty()) break;
        TextString directory, name, extension;
        SplitPath(inputPath, &directory, &name, &extension);
        const TextString path = directory + name + extension;

        FC& policyFile = PolicyFileSet();
        policyFile.SetInt(Pol::MakeDirectory, runSet.GetInt(Pol::MakeDirectory), true);
        policyFile.SetText(Pol::DirectoryFilename, runSet.GetText(Pol::DirectoryFilename).buffer, true);
        policyFile.SetContext(&run);
        if (batchMode) run.optionGroups.skiv.SetBool(kOptRemoveAllTags, 1);
        if (fileIndex >= 2) fileAnalysed = 0;
        if (ConvertOneFile(path)) {
            fileAnalysed = 1;
            HTML_AddMasterIndexEntry(runSet, run, index, run.currentOutputFileName);
        } else {
            failed = true;
        }
    }

    HTML_EndMasterIndex(runSet, run, index);
    log.Close();
    FC& second = SecondSet();
    second.messageText = GetMessageText(71);
    second.ReportStatus(TextString(second.messageText).buffer);

    if (!failed) {
        if (settings.autoDismissStatusDialog) status.Hide();
        ResultViewer viewer(settings, services, LanguageCode);
        ResultViewer::RunResults results;
        results.runSucceeded = true;
        results.batchMode = batchMode != 0;
        results.outputMode = GetOutputMode();
        results.outputFormat = run.outputFormat;
        results.outputDirectory = GetOutputDirectory();
        results.lastOutputFileName = lastOutputFileName;
        results.status = StatusMessageCallback;
        viewer.ShowRunResults(results);
    }
    return !failed;
}
