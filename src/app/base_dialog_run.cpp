#include "app/base_dialog.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/conversion_run.h"
#include "app/result_viewing.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "context/option_groups.h"
#include "foundation/message_reporter.h"
#include "context/preprocessor.h"
#include "foundation/run_files.h"
#include "foundation/run_status.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "output/master_index.h"
#include "platform/file_status.h"
#include "platform/regular_file.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "tables/convert_to_table.h"
#include "tables/file_specs.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"

// ---------------------------------------------------------------------------
// Helpers

namespace {

// A message-text slot with one placeholder filled in.
TextString FilledMessage(int slot, const char* placeholder, const TextString& value) {
    TextString text(GetMessageText(slot));
    FillMessagePlaceholders(text, {{placeholder, value.buffer}});
    return text;
}

TextString Quoted(const TextString& name) { return TextString("\"") + name + "\""; }

// The run's log file: attached to the Context's logging sink while open,
// detached when the run ends on any road.
class RunLog {
public:
    explicit RunLog(Context& context) : context_(context) {}
    ~RunLog() {
        if (open_) context_.sink.SetLogFile(nullptr);
    }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // The path of the log the run asks for: the named file, else
    // "Morvane.log"; a bare name is in the output directory, a name with a
    // folder part is taken from the current folder.
    TextString Path(FC& runSet, const TextString& outputDirectory) const {
        TextString name = context_.runParameters.logFileName;
        if (name.IsEmpty()) name = runSet.GetText(Pol::OutputLogFilename);
        if (name.IsEmpty()) name = "Morvane.log";
        TextString directoryPart;
        GetDirectoryPart(name, &directoryPart);
        return directoryPart.IsEmpty() ? outputDirectory + name : name;
    }

    // Opens the log at `path`.  A log that cannot be opened fails the run
    // (the files are still converted); no other file is written in its
    // place, since whatever stands at another name may be the user's.
    void Open(FC& runSet, const TextString& path) {
        if (TryOpen(runSet, path)) return;
        TextString message("ERROR: Can't open log file ");
        message.Append(Quoted(path));
        AppendReason(message, file_.openFailure);
        context_.sink.OutputMessage(message.buffer, kLevelAlways);
    }

    // Closes the log; a write or close failure is reported once.
    void Close(FC& runSet) {
        if (!open_) return;
        context_.sink.SetLogFile(nullptr);
        file_.CloseAll();
        open_ = false;
        if (!file_.writeError) return;
        TextString message("ERROR: Can't write file \"");
        message.Append(context_.sink.logFileName);
        message.Append("\"");
        AppendReason(message, file_.WriteFailureText());
        runSet.ReportMessage(message.buffer, kLevelAlways);
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

// The run's files are known to the writers only while it runs.
class RunFilesScope {
public:
    RunFilesScope() {
        TheRunFiles().Clear();
        TheRunFiles().Begin();
    }
    ~RunFilesScope() { TheRunFiles().Clear(); }
    RunFilesScope(const RunFilesScope&) = delete;
    RunFilesScope& operator=(const RunFilesScope&) = delete;
};

// `folder` taken from the current directory when it is relative; an empty
// folder is the current directory.  Ends in "/".
TextString AbsoluteFolder(const TextString& folder) {
    TextString absolute;
    if (folder.At(0) != '/') {
        const std::string here = CurrentDirectory();
        absolute.AssignChars(here.data(), static_cast<int>(here.size()));
        if (absolute.IsEmpty() || absolute.buffer[absolute.length - 1] != '/') absolute.AppendChar('/');
    }
    absolute.Append(folder);
    if (absolute.IsEmpty() || absolute.buffer[absolute.length - 1] != '/') absolute.AppendChar('/');
    return absolute;
}

// The run's messages and status lines go to the status window.
void RouteMessagesToStatusWindow(Context& context) {
    context.sink.SetMessageCallback(StatusMessageCallback);
    context.sink.SetStatusCallback(StatusMessageCallback);
}

// Reports that the run's log file or index page (`what`) at `path` is not
// written, and why (`reason`: "would overwrite ...", "is a FIFO").
void ReportNotWritten(Context& run, const char* what, const TextString& path, const TextString& reason) {
    TextString message("ERROR: ");
    message.Append(what);
    message.AppendChar(' ');
    message.Append(Quoted(path));
    message.AppendChar(' ');
    message.Append(reason);
    message.Append(": not written");
    run.sink.OutputMessage(message.buffer, kLevelAlways);
}

// Why no output may go to `path` ("is a FIFO"), or the empty text when it
// may: nothing is there yet, or a regular file or a character device
// (/dev/null) is.  A FIFO would hold the run until somebody read it, and the
// others cannot take a document.
TextString RefusedKind(const TextString& path) {
    switch (KindOfFile(path.str())) {
        case FileKind::kDirectory: return "is a directory";
        case FileKind::kFifo: return "is a FIFO";
        case FileKind::kSocket: return "is a socket";
        case FileKind::kBlockDevice: return "is a block device";
        default: return TextString();
    }
}

// One input of the run and the document it writes.
struct PlannedFile {
    TextString input;
    FileKey inputKey;
    TextString output;  // empty when the output format has no writer
    FileKey outputKey;
    bool named = false;  // named on the command line, not only found through a wildcard
    bool convert = true;  // false: an earlier output, or refused
};

// Every input and document of a run, decided before anything is written.
struct RunPlan {
    std::vector<PlannedFile> files;  // in run order
    std::vector<TextString> messages;  // what the decisions are reported as
    bool refused = false;  // a file was refused: the run fails
    // The documents written, by key text: the index of the file writing each.
    std::unordered_map<std::string, size_t> documents;

    // What writing `path` would replace: an input of the run ("the input
    // file ...") or one of its documents ("the output of ..."); empty when
    // nothing.
    TextString WrittenOver(const TextString& path) const {
        if (const std::string* input = TheRunFiles().FindInput(path.str()))
            return TextString("the input file ") + Quoted(TextString(std::string_view(*input)));
        const auto document = documents.find(KeyOfFile(path.str()).Text());
        if (document != documents.end()) return TextString("the output of ") + Quoted(files[document->second].input);
        return TextString();
    }
};

// Plans the run over the Context's input files.  A file named on the
// command line (`namedFiles`, wildcards left out) is always an input that
// no write of the run may replace, and so is every file the policies name
// for a conversion to read (a header file, say: `outputOf` gives the
// document of an input and adds those files to its second argument).  A
// file reached twice is converted once.  A file found only through a
// wildcard that is the document of another input is that input's earlier
// output: not an input, and it may be replaced.  A document that would
// replace an input, or a file an earlier document writes, is refused.
// Files are looked up hashed: a run over many files plans in linear time.
template <typename OutputOf>
RunPlan PlanRun(Context& run, const std::vector<TextString>& namedFiles, OutputOf outputOf) {
    RunPlan plan;
    RunFiles& runFiles = TheRunFiles();
    std::unordered_set<std::string> named;
    for (const TextString& name : namedFiles) {
        if (name.IsEmpty() || HasWildcard(name.buffer)) continue;
        named.insert(KeyOfFile(name.str()).Text());
        runFiles.AddInput(name.str());
    }
    std::unordered_set<std::string> seen;
    // The first file writing each document, by key text.
    std::unordered_map<std::string, size_t> outputs;
    std::vector<TextString> namedForReading;
    for (int i = 0; i < run.inputFiles.count; ++i) {
        const char* entry = run.inputFiles.TextAt(i);
        if (!entry || !*entry) continue;
        TextString directory, name, extension;
        SplitPath(TextString(entry), &directory, &name, &extension);
        PlannedFile file;
        file.input = directory + name + extension;
        file.inputKey = KeyOfFile(file.input.str());
        if (!seen.insert(file.inputKey.Text()).second) continue;
        file.named = named.count(file.inputKey.Text()) != 0;
        file.output = outputOf(file.input, namedForReading);
        if (!file.output.IsEmpty()) {
            file.outputKey = KeyOfFile(file.output.str());
            // A file whose output is itself is nobody's earlier output.
            if (file.outputKey.Text() != file.inputKey.Text())
                outputs.emplace(file.outputKey.Text(), plan.files.size());
        }
        plan.files.push_back(std::move(file));
    }
    for (size_t i = 0; i < plan.files.size(); ++i) {
        PlannedFile& file = plan.files[i];
        if (file.named) continue;
        const auto producer = outputs.find(file.inputKey.Text());
        if (producer == outputs.end() || producer->second == i) continue;
        file.convert = false;
        plan.messages.push_back(TextString("INFO: ") + Quoted(file.input) + " is the output of " +
                                Quoted(plan.files[producer->second].input) + ", not an input: not converted");
    }
    for (const PlannedFile& file : plan.files)
        if (file.convert) runFiles.AddInput(file.input.str());
    for (const TextString& read : namedForReading) runFiles.AddInput(read.str());
    for (size_t i = 0; i < plan.files.size(); ++i) {
        PlannedFile& file = plan.files[i];
        if (!file.convert || file.output.IsEmpty()) continue;
        TextString refusal;
        const auto earlier = plan.documents.find(file.outputKey.Text());
        const TextString kind = RefusedKind(file.output);
        if (const std::string* input = runFiles.FindInput(file.output.str())) {
            refusal = TextString("ERROR: Output file would overwrite the input file ") +
                      Quoted(TextString(std::string_view(*input))) + ": " + Quoted(file.input) + " not converted";
        } else if (earlier != plan.documents.end() && KindOfFile(file.output.str()) != FileKind::kCharacterDevice) {
            // (Documents written to one device follow one another there.)
            refusal = TextString("ERROR: Output file ") + Quoted(file.output) + " is written for " +
                      Quoted(plan.files[earlier->second].input) + ": " + Quoted(file.input) + " not converted";
        } else if (!kind.IsEmpty()) {
            refusal = TextString("ERROR: Output file ") + Quoted(file.output) + " " + kind + ": " +
                      Quoted(file.input) + " not converted";
        }
        if (refusal.IsEmpty()) {
            if (earlier == plan.documents.end()) plan.documents.emplace(file.outputKey.Text(), i);
            runFiles.AddWriteTarget(file.output.str());
            continue;
        }
        file.convert = false;
        plan.refused = true;
        plan.messages.push_back(refusal);
    }
    return plan;
}

// Why the run's log or index page at `path` is not written: it would
// replace `clash` (an input, a document or the log of the run; empty for
// none), or what is there takes no output.  Empty when it is written.
TextString WhyNotWritten(const TextString& clash, const TextString& path) {
    return clash.IsEmpty() ? RefusedKind(path) : "would overwrite " + clash;
}

// Opens the run's log at the path it asks for, unless writing it would
// replace an input or a document of the run, or what is there takes no
// output.
void OpenRunLog(RunLog& log, const RunPlan& plan, FC& runSet, Context& run, const TextString& outputFolder) {
    const TextString logPath = log.Path(runSet, outputFolder);
    const TextString refusal = WhyNotWritten(plan.WrittenOver(logPath), logPath);
    if (!refusal.IsEmpty()) {
        ReportNotWritten(run, "Log file", logPath, refusal);
        return;
    }
    log.Open(runSet, logPath);
    TheRunFiles().AddWriteTarget(logPath.str());
}

// Starts the master index page ("/INDEX"), unless writing it would replace
// an input, a document or the log of the run, or what is there takes no
// output.
void StartRunIndex(MasterIndex& index, const RunPlan& plan, FC& runSet, Context& run,
                   const TextString& outputFolder) {
    const TextString indexPath = MasterIndexPageName(runSet, run, outputFolder);
    TextString clash = plan.WrittenOver(indexPath);
    if (clash.IsEmpty() && TheRunFiles().FindWriteTarget(indexPath.str()))
        clash = TextString("the log file ") + Quoted(indexPath);
    const TextString refusal = WhyNotWritten(clash, indexPath);
    if (!refusal.IsEmpty()) {
        ReportNotWritten(run, "Index page", indexPath, refusal);
        return;
    }
    HTML_StartMasterIndex(runSet, run, outputFolder, index);
    TheRunFiles().AddWriteTarget(indexPath.str());
}

}  // namespace

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
    return KindOfPath(directory) == PathKind::kDirectory && DirectoryAllows(directory, !readOnlyAllowed);
}

void BaseDialog::AttachCallbacks(FC& set) {
    SetContextOutputFormat(set);
    if (set.context) RouteMessagesToStatusWindow(*set.context);
}

void BaseDialog::OfferOutputChoice(FC& set) {
    if (!set.IsSet(Pol::OmitHeadAndBody))
        set.SetInt(Pol::OmitHeadAndBody, GetOutputMode() == kOutputToClipboard ? 1 : 0, false);
    if (!set.IsSet(Pol::MinimiseHTMLFileSize)) set.SetInt(Pol::MinimiseHTMLFileSize, 1, false);
}

TextString BaseDialog::LastOutputPath() {
    const TextString folder = lastOutputFolder.IsEmpty() ? GetOutputDirectory() : lastOutputFolder;
    return folder + lastOutputFileName;
}

void BaseDialog::NoteLastOutput(const TextString& outputFile, const TextString& shownName) {
    TextString folder;
    GetDirectoryPart(outputFile, &folder);
    lastOutputFolder = AbsoluteFolder(folder);
    lastOutputFileName = shownName;
}

void BaseDialog::NotifyPoliciesChanged(int kind) {
    if (!context) return;
    if (kind == 2) reanalysisNeeded = 1;
    if (kind == 4) outputChanged = {1, 1};
}

bool BaseDialog::RunSavePolicyDialog() {
    PolicyFileSet().ReportMessage("PROGRAM ERROR: no window to save the policies from", kLevelAlways);
    return false;
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
    const bool rtf = type != kExtensionHtml && type != kExtensionHtm;
    outName.Append(type == kExtensionHtml ? ".html" : type == kExtensionHtm ? ".htm" : ".rtf");
    if (Context* own = SecondSet().context) {
        own->outputFormat = rtf ? kOutputRTF : kOutputHTML;
        // The format the qualifiers asked for is the one written.
        if (own->runParameters.rtf) own->outputFormat = kOutputRTF;
    }
    return result;
}

bool BaseDialog::LoadPolicyFile() {
    const WaitCursor wait(services);
    FC& policyFile = PolicyFileSet();
    // No name is no policy file: the defaults, without the user's edits.
    if (runPolicyFileName.IsEmpty()) {
        WorkingSet().ResetPolicies();
        policiesEdited = 0;
        policyFile.ResetPolicies();
        policyFileLoaded = 0;
        if (context) context->policyFileNameText.MakeEmpty();
        return false;
    }
    TextFile file;
    // A folder or a file that cannot be read is reported as a missing one
    // is, with the system's reason.  The file is opened before anything is
    // reset: a name that cannot be opened (mistyped, say) leaves the loaded
    // policies and the user's edits as they were.
    const OpenedForReading probe = OpenRegularFileForReading(runPolicyFileName.buffer);
    if (!probe.stream || !file.OpenForRead(runPolicyFileName.buffer)) {
        TextString text = FilledMessage(kMsgPolicyFileNotFound, "xxxxxx", runPolicyFileName);
        AppendReason(text, probe.stream ? file.openFailure : probe.reason);
        const TextString caption(GetMessageText(kMsgPolicyFileError));
        services.ShowMessage(caption.buffer, text.buffer);
        TheRunStatus().NoteFailure();
        return false;
    }
    // A file that opens replaces what was loaded before, and the user's
    // edits with it.
    WorkingSet().ResetPolicies();
    policiesEdited = 0;
    policyFile.ResetPolicies();
    // The reader's messages go to the status window.  The window's own
    // choices go into the set after the read (OnConversionDone): put in
    // before it, they would make the file's lines for the same policies
    // repeats, and those are refused.
    if (policyFile.context) RouteMessagesToStatusWindow(*policyFile.context);
    TextString loading("Loading policy file ");
    loading.Append(runPolicyFileName);
    policyFile.ReportMessage(loading.buffer, kLevelAlways);
    StatusDisplay& status = TheStatusWindow();
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
        AppendReason(message, file.openFailure);
        if (file.TakeRefusal(nullptr, nullptr)) TheRunStatus().NoteFailure();
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
    // The file set starts from the window's output choice; the policy file,
    // the rule set and the user's changes are merged over it.
    OfferOutputChoice(SecondSet());
    context->RegisterInlineTagKeywords(&policyFile);
    std::string reason;
    try {
        return ConvertToTable(policyFile, SixthSet(), SecondSet(), *context, path, outputName, code, outputList);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    } catch (const std::exception& fault) {
        reason = fault.what();
    }
    // What was written of the file is gone with the writers; whatever the
    // file left in the run's state is reset when the next file starts.
    if (outputList) outputList->Clear();
    TextString message("ERROR: Conversion of \"");
    message.Append(path);
    message.Append("\" failed");
    AppendReason(message, reason);
    message.Append(" (the earlier output is kept)");
    policyFile.ReportMessage(message.buffer, kLevelAlways);
    TheRunStatus().NoteFailure();
    return false;
}

TextString BaseDialog::OutputLocation() {
    // Several files, or a wildcard: each output is named from its input.
    const TextString spec = GetInputFileSpec();
    const bool several =
        std::strstr(spec.buffer, "\" \"") || std::strpbrk(spec.buffer, "*?%") || commandLineSpecs.size() > 1;
    if (several) return TextString();
    const TextString name = GetFileName();
    TextString directoryPart;
    GetDirectoryPart(name, &directoryPart);
    return directoryPart.IsEmpty() ? GetOutputDirectory() + name : name;
}

TextString BaseDialog::RunOutputFolder() {
    const TextString& given = context->runParameters.outputDirectory;
    return given.IsEmpty() ? GetOutputDirectory() : AbsoluteFolder(given);
}

bool BaseDialog::ConvertOneFile(const TextString& path) {
    TakeControlValues();
    int code = GetInputTypeCode();
    if (context->runParameters.tabDelimited) code = kSpecialDelimitedTable;
    if (context->runParameters.commaDelimited) code = kSpecialCommaDelimitedTable;

    AnalysedFileSet().ResetPolicies();
    ThirdSet().ResetPolicies();
    SecondSet().ResetPolicies();
    AttachCallbacks(PolicyFileSet());
    AttachCallbacks(AnalysedFileSet());
    AttachCallbacks(SecondSet());
    outputChanged = {1, 1};

    const TextString outputName = OutputLocation();

    StringList clipboardLines;
    StringList* outputList = GetOutputMode() == kOutputToClipboard ? &clipboardLines : nullptr;
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
    // Output to the clipboard writes no file: "View Results" goes on
    // showing the last file written.
    if (!outputList) NoteLastOutput(context->currentOutputFileName, display);
    SetFileName(name + extension);
    LoadFromPolicySet(second, SixthSet());

    if (outputList) return PutOutputOnClipboard(*outputList);
    return true;
}

bool BaseDialog::PutOutputOnClipboard(const StringList& lines) {
    TextString text;
    lines.Join(&text, "\n");
    if (lines.count > 0) text.AppendChar('\n');
    if (services.SetClipboardText(text.buffer)) return true;
    PolicyFileSet().ReportMessage("ERROR: Can't put the output on the clipboard", kLevelAlways);
    TheRunStatus().NoteFailure();
    return false;
}

void BaseDialog::ReanalyseFile(const TextString& path) {
    TakeControlValues();
    if (path.IsEmpty()) {
        services.ShowMessageSlots(kMsgNoFileSelected, kMsgChooseAFileFirst);
        return;
    }
    AttachCallbacks(SecondSet());
    if (!reanalysisNeeded) {
        services.ShowMessageSlots(kMsgNoAnalysisNecessary, kMsgNoAnalysisNeeded);
        return;
    }
    outputChanged = {0, 0};
    const RunParameters& run = context->runParameters;
    const int code = run.commaDelimited ? kSpecialCommaDelimitedTable
                     : run.tabDelimited ? kSpecialDelimitedTable
                                        : kSpecialTable;
    SixthSet().MergeChangedPolicies(WorkingSet(), 1);
    if (PrepareAndConvert(path, TextString(), code, nullptr)) {
        const TextString name = context->currentOutputFileName;
        TextString directory, base, extension;
        SplitPath(name, &directory, &base, &extension);
        NoteLastOutput(name, base + extension);
        MakeOutputFileName(name, scratch);
        SetFileName(name);
        LoadFromPolicySet(SecondSet(), SixthSet());
    }
    reanalysisNeeded = 0;
}

bool BaseDialog::RunConversion() {
    const WaitCursor wait(services);
    settings.SaveSettings();
    ApplySettingsToContext();
    RunFilesScope runFiles;
    RunStatus& runStatus = TheRunStatus();
    // The output may go elsewhere than the input: the folder written to is
    // the one that must be writable.
    const TextString outputFolder = RunOutputFolder();
    if (!CheckRunFolders(outputFolder)) {
        runStatus.NoteFailure();
        return false;
    }

    StatusDisplay& status = TheStatusWindow();
    if (!batchMode || settings.viewStatusWindow) {
        status.Clear();
        if (settings.displayStatusDialog) status.Show();
    }

    TextString directoryPart;
    SplitFileSpec(GetInputFileSpec(), directoryPart, fileSpecPart);

    // The run's own policy set, attached with every other set to the run.
    FC runSet;
    Context& run = *context;
    PrepareRunSet(runSet, run);

    // The files of the run.
    const TextString spec = GatherRunFiles(run);
    RunLog log(run);
    const bool logWanted = run.runParameters.logFile || runSet.IsOn(Pol::CreateLogFile);
    if (run.inputFiles.count == 0) {
        if (logWanted) log.Open(runSet, log.Path(runSet, outputFolder));
        ReportNoFilesFound(spec);
        runStatus.NoteFailure();
        log.Close(runSet);
        return false;
    }

    // After the window's values: the index page and the log go to the
    // folder the documents go to.
    AttachCallbacks(runSet);
    runSet.SetText(Pol::InputDirectory, GetInputDirectory().buffer, false);
    runSet.SetText(Pol::OutputDirectory, outputFolder.buffer, false);

    // Every document path is known before anything is written.
    AttachCallbacks(PolicyFileSet());
    SixthSet().MergeChangedPolicies(WorkingSet(), 1);
    std::vector<TextString> namedFiles = commandLineSpecs;
    if (namedFiles.empty()) namedFiles.push_back(spec);
    if (!runPolicyFileName.IsEmpty()) namedFiles.push_back(runPolicyFileName);
    TheRunFiles().reporter = &run.sink;
    const TextString outputLocation = OutputLocation();
    RunPlan plan = PlanRun(run, namedFiles, [&](const TextString& input, std::vector<TextString>& reads) {
        return OutputFilePath(PolicyFileSet(), SixthSet(), run, input, outputLocation, &reads);
    });

    if (logWanted) OpenRunLog(log, plan, runSet, run, outputFolder);
    for (const TextString& message : plan.messages) run.sink.OutputMessage(message.buffer, kLevelAlways);

    MasterIndex index;
    if (runSet.IsOn(Pol::MakeDirectory)) StartRunIndex(index, plan, runSet, run, outputFolder);

    // A file that fails is reported and the run goes on with the others.
    bool failed = plan.refused;
    int fileIndex = 0;
    for (const PlannedFile& file : plan.files) {
        if (!file.convert) continue;
        ++fileIndex;
        const TextString& path = file.input;

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
    log.Close(runSet);
    FC& second = SecondSet();
    second.messageText = GetMessageText(kMsgConversionComplete);
    second.ReportStatus(TextString(second.messageText).buffer);
    if (failed) {
        runStatus.NoteFailure();
        return false;
    }
    if (settings.autoDismissStatusDialog) status.Hide();
    ShowRunResults(run, runSet);
    return true;
}

bool BaseDialog::CheckRunFolders(const TextString& outputFolder) {
    if (!CheckDirectory(GetInputDirectory(), true)) {
        services.ShowMessageSlots(kMsgDirectoryError, kMsgInvalidInputDirectory);
        return false;
    }
    if (!CheckDirectory(outputFolder, false)) {
        services.ShowMessageSlots(kMsgDirectoryError, kMsgInvalidOutputDirectory);
        return false;
    }
    return true;
}

void BaseDialog::PrepareRunSet(FC& runSet, Context& run) {
    // The master policy file, the loaded policy file and the user's changes.
    if (settings.alwaysReload && !runPolicyFileName.IsEmpty()) {
        ReloadMasterPolicyFile(runSet);
        ReloadMasterPolicyFile(PolicyFileSet());
    }
    if (policyFileLoaded) runSet.CopyPolicies(PolicyFileSet());
    if (policiesEdited) runSet.MergeChangedPolicies(WorkingSet(), 1);

    runSet.SetContext(&run);
    PolicyFileSet().SetContext(&run);
    RouteMessagesToStatusWindow(run);
    for (FC* set : {&AnalysedFileSet(), &ThirdSet(), &WorkingSet(), &PolicyFileSet(), &SecondSet()})
        set->SetContext(&run);
    run.ResetRunLists();
    runSet.LoadMessageFilters(run.sink);
    // What the qualifiers ask of the run itself: the master index page
    // ("/INDEX") and its DOS name.
    if (run.runParameters.index) runSet.SetInt(Pol::MakeDirectory, 1, true);
    if (run.runParameters.dosNames) runSet.SetInt(Pol::UseDOSFilenames, 1, true);
}

TextString BaseDialog::GatherRunFiles(Context& run) {
    // Specifications from the command line are expanded one by one, each
    // match from its own directory; the dialog's specification goes through
    // the quoted multi-file form.
    TextString spec = GetInputDirectory() + fileSpecPart;
    if (!commandLineSpecs.empty()) {
        for (const TextString& one : commandLineSpecs) AddMatchingFiles(run, one, runPolicyFileName, TextString());
    } else {
        ExpandFileSpecs(false, TextString(), spec, runPolicyFileName, run, false);
    }
    return spec;
}

void BaseDialog::ReportNoFilesFound(TextString spec) {
    // The message names what was asked for: every command-line
    // specification, else the dialog's.
    if (!commandLineSpecs.empty()) {
        spec = commandLineSpecs.front();
        for (size_t i = 1; i < commandLineSpecs.size(); ++i) spec = spec + " " + commandLineSpecs[i];
    }
    const TextString text = FilledMessage(kMsgNoFilesFound, "xxxxxx", spec);
    TheStatusWindow().Hide();
    const TextString caption(GetMessageText(kMsgFileSelectionError));
    services.ShowMessage(caption.buffer, text.buffer);
    StatusMessageCallback((TextString("ERROR: ") + text).buffer);
}

void BaseDialog::ShowRunResults(const Context& run, const FC& runSet) {
    ResultViewer viewer(settings, services, LanguageCode);
    ResultViewer::RunResults results;
    results.runSucceeded = true;
    results.batchMode = batchMode != 0;
    results.outputMode = GetOutputMode();
    results.outputFormat = run.outputFormat;
    // The file the run wrote, in the folder it wrote it to; output written
    // to a device is nothing to show.
    if (!lastOutputFileName.IsEmpty() && KindOfFile(LastOutputPath().str()) == FileKind::kRegular)
        results.lastOutputFileName = LastOutputPath();
    results.status = [&runSet](const char* text) { runSet.ReportMessage(text, kLevelAlways); };
    viewer.ShowRunResults(results);
}
