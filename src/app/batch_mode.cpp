#include "app/batch_mode.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "app/front_end.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/run_status.h"
#include "foundation/utilities.h"
#include "platform/file_status.h"
#include "platform/output_files.h"
#include "policies/fc.h"
#include "tables/command_line.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"

const char* const kNoWindowLine = "The main window cannot open here: name the files to convert on the command line.";
const char* const kNoDisplayLine =
    "No display is set (DISPLAY or WAYLAND_DISPLAY): name the files to convert on the command line.";

namespace {

// A word beginning with "-", or with "/" when it does not look like or name
// a path, is a qualifier.
bool IsQualifierWord(const char* word) {
    if (word[0] == '-') return word[1] != '\0';
    if (word[0] != '/') return false;
    const char* equals = std::strchr(word, '=');
    const char* second = std::strchr(word + 1, '/');
    if (second && (!equals || second < equals)) return false;
    return KindOfPath(word) == PathKind::kMissing;
}

// The word as a full path: a relative word is taken from the current
// directory.
TextString FullPath(const char* word) {
    if (word[0] == '/') return TextString(word);
    std::string directory = CurrentDirectory();
    if (directory.empty()) return TextString(word);
    if (directory.empty() || directory.back() != '/') directory.push_back('/');
    return TextString(std::string_view(directory + word));
}

// Why the main window did not open.
const char* NoWindowLineFor(const GraphicalDesktop& desktop) {
    return desktop.displaySet ? kNoWindowLine : kNoDisplayLine;
}

// Nobody asked for the usage text here: it goes with the run's messages to
// standard error.
void PrintUsageAndNoWindowLine(const GraphicalDesktop& desktop) {
    const TextString usage = CommandLineUsageText();
    std::fwrite(usage.buffer, 1, static_cast<size_t>(usage.length), stderr);
    std::fputc('\n', stderr);
    std::fprintf(stderr, "%s\n", NoWindowLineFor(desktop));
    std::fflush(stderr);
}

// Why a file word found nothing: the system's reason for the name, or for
// a wildcard's folder; a wildcard whose folder can be read matched no name.
std::string WhyNothingMatches(const TextString& path) {
    const std::string whole = path.str();
    const size_t slash = whole.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : whole.substr(0, slash + 1);
    if (!HasWildcard(whole.c_str() + (slash == std::string::npos ? 0 : slash + 1))) return PathProblem(whole);
    const std::string problem = PathProblem(folder);
    return problem.empty() ? SystemErrorText(ENOENT) : problem;
}

}  // namespace

void ConverterCommandLineInfo::ParseArguments(int argc, char** argv) {
    // The messages of the qualifiers wait for the whole command line, whose
    // switches decide whether they are shown.
    Context* context = dialog_.context.get();
    if (context) context->HoldSessionLines();
    bool qualifiersEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i] ? argv[i] : "";
        if (!qualifiersEnded && std::strcmp(word, kEndOfQualifiers) == 0) {
            qualifiersEnded = true;
            continue;
        }
        const bool qualifier = !qualifiersEnded && IsQualifierWord(word);
        ParseParam(qualifier ? word + 1 : word, qualifier, i == argc - 1);
    }
    if (!context) return;
    ReportChoicesMadeTwice(*context);
    // The filter of the default message policies with the switches given
    // ("/SILENT" turns "Display messages" off).
    FC switches;
    switches.SetInt(Pol::DisplayMessages, context->runParameters.messages ? 1 : 0, true);
    switches.LoadMessageFilters(context->sink);
    context->ShowHeldSessionLines();
}

void ConverterCommandLineInfo::ReportChoicesMadeTwice(Context& context) const {
    for (const TextString& passedOver : policyWordsPassedOver_)
        context.LogSessionLine(TextString("WARNING: Policy file \"") + policyWord_ + "\" is used; \"" + passedOver +
                               "\", named before it, is not");

    // The layouts in the order in which a later one wins (ConvertOneFile).
    const RunParameters& run = context.runParameters;
    const struct {
        int given;
        const char* qualifier;
        const char* layout;
    } layouts[] = {
        {run.plainTable, "/TABLE", "a plain-text table"},
        {run.tabDelimited, "/TABBED", "a tab-delimited table"},
        {run.commaDelimited, "/COMMA", "a comma-delimited table"},
    };
    TextString given;
    int count = 0;
    const auto* used = std::begin(layouts);
    for (const auto& layout : layouts) {
        if (!layout.given) continue;
        ++count;
        given.AppendChar(' ');
        given.Append(layout.qualifier);
        used = &layout;
    }
    if (count < 2) return;
    context.LogSessionLine(TextString("WARNING: Layout qualifiers") + given +
                           " given together: the input is read as " + used->layout + " (" + used->qualifier + ")");
}

void ConverterCommandLineInfo::ParseParam(const char* word, bool isQualifier, bool) {
    MainDialog& dialog = dialog_;
    if (isQualifier) {
        if (!dialog.context) return;
        Context& context = *dialog.context;
        TextString line("/");
        line.Append(word);
        // Each argument is parsed on its own, so a qualifier given twice is
        // caught here.
        if (const QualifierDef* qualifier = FindQualifier(line)) {
            if (std::find(qualifiersSeen_.begin(), qualifiersSeen_.end(), qualifier) != qualifiersSeen_.end()) {
                ReportRepeatedQualifier(context, line);
                return;
            }
            qualifiersSeen_.push_back(qualifier);
        }
        // The usage text goes out once for each help qualifier, not again
        // with every later qualifier.
        const int usageWanted = context.runParameters.usageWanted;
        context.runParameters.usageWanted = 0;
        ParseCommandLine(line, context, CommandLineSource::kProgramArgument);
        context.runParameters.usageWanted |= usageWanted;
        return;
    }
    const size_t length = std::strlen(word);
    if (length >= 4 && ::strcasecmp(word + length - 4, ".pol") == 0) {
        if (!policyWord_.IsEmpty() && !(policyWord_ == word)) policyWordsPassedOver_.push_back(policyWord_);
        policyWord_ = word;
        dialog.runPolicyFileName = word;
        return;
    }
    if (word[0] == '@') {
        dialog.services.ShowMessage("", "Steering files not yet supported");
        if (dialog.context) ++dialog.context->runParameters.refusedWords;
        return;
    }

    fileWordSeen = true;
    const TextString full = FullPath(word);
    TextString match;
    if (!FindFirstMatch(full, false, &match)) {
        TextString text(GetMessageText(kMsgFileNotFound));
        FillMessagePlaceholders(text, {{"ffffff", word}});
        AppendReason(text, WhyNothingMatches(full));
        dialog.services.ShowMessage("", text.buffer);
        TheRunStatus().NoteFailure();
        return;
    }
    if (dialog.FileSpec.IsEmpty()) {
        TextString directory, name, extension;
        SplitPath(TextString(word), &directory, &name, &extension);
        dialog.SetInputFileSpec(name + extension);
        TextString fullDirectory;
        const char* slash = std::strrchr(full.buffer, '/');
        fullDirectory.AssignChars(full.buffer, slash ? static_cast<int>(slash - full.buffer) + 1 : 0);
        dialog.SetOutputDirectory(fullDirectory);
        dialog.SetInputDirectory(fullDirectory);
    } else {
        TextString spec = dialog.GetInputFileSpec();
        if (spec.buffer[0] != '"') spec = TextString("\"/") + spec + "\"";
        spec.Append(" \"/");
        spec.Append(match);
        spec.Append("\"");
        dialog.SetInputFileSpec(spec);
    }
    dialog.commandLineSpecs.push_back(full);
}

TextString DdeDisabledWarning() {
    // Every language ends the text with its pointer, one sentence after a
    // full stop and two blanks.
    constexpr const char* kLastSentenceBreak = ".  ";
    const std::string text = GetMessageText(kMsgDdeDisabled);
    const size_t cut = text.rfind(kLastSentenceBreak);
    if (cut == std::string::npos) return TextString(text.c_str());
    return TextString(text.substr(0, cut + 1).c_str());
}

int RunFromCommandLine(MainDialog& dialog, bool fileWordSeen, GraphicalDesktop desktop) {
    ProgramSettings& settings = dialog.settings;
    const bool wordsRefused = dialog.context && dialog.context->runParameters.refusedWords > 0;
    if (!settings.defaultPolicyFile.IsEmpty()) {
        // The settings' default policy file wins over a ".pol" word, and the
        // user is told which one is passed over.
        const TextString& named = dialog.runPolicyFileName;
        if (!named.IsEmpty() && !IsSameFile(named.str(), settings.defaultPolicyFile.str())) {
            const TextString warning = TextString("WARNING: The default policy file \"") +
                                       settings.defaultPolicyFile + "\" of the settings is used instead of \"" +
                                       named + "\" named on the command line";
            StatusMessageCallback(warning.buffer);
        }
        dialog.runPolicyFileName = settings.defaultPolicyFile;
    }

    const TextString spec = dialog.GetInputFileSpec();
    if (spec.IsEmpty() || spec == " ") {
        if (fileWordSeen) {
            // Every file named was missing: a failed run, not the window.
            dialog.services.ShowMessageSlots(kMsgConvertError, kMsgConversionFailed);
            if (settings.startProgram && desktop.StartMainWindow()) desktop.frontEnd->RunMainWindow(dialog);
            return kExitFailed;
        }
        // The warning goes to the desktop's message box when the main window
        // follows it.
        const bool mainWindow = desktop.StartMainWindow();
        if (settings.useDdeToViewHtml && settings.ddeWorking == "No") {
            dialog.services.ShowMessage(GetMessageText(kMsgDdeProblems), DdeDisabledWarning().c_str());
            settings.useDdeToViewHtml = false;
        }
        if (mainWindow) return desktop.frontEnd->RunMainWindow(dialog);
        PrintUsageAndNoWindowLine(desktop);
        return kExitNoWindow;
    }

    dialog.commandLineRun = 1;
    dialog.ApplyCommandLineSwitches();
    const TextString path = dialog.GetInputDirectory() + spec;
    dialog.SetInputFileSpec(path);
    TextString name;
    if (!FindFirstMatch(path, false, &name)) dialog.MakeOutputFileName(path, name);
    const TextString inputDirectory = dialog.GetInputDirectory();
    if (!inputDirectory.IsEmpty()) {
        if (const char* at = std::strstr(name.buffer, inputDirectory.buffer)) {
            const int start = static_cast<int>(at - name.buffer);
            TextString cut;
            cut.AssignChars(name.buffer, start);
            cut.Append(at + inputDirectory.length);
            name = cut;
        }
    }
    dialog.SetFileName(name);
    dialog.batchMode = 1;

    if (!dialog.runPolicyFileName.IsEmpty() && !dialog.LoadPolicyFile()) dialog.policyFileFailed = 1;
    // Only a run that shows its status window starts the windows.
    const bool statusWindow = settings.viewStatusWindow && desktop.StartWindows();
    if (statusWindow) desktop.frontEnd->AttachStatusWindow(dialog);
    StatusDisplay& status = TheStatusWindow();
    if (settings.viewStatusWindow) {
        status.Clear();
        status.Show();
    }
    dialog.FillInputFileCombo(path);
    if (statusWindow) desktop.frontEnd->RunBegins();
    const bool converted = dialog.RunConversion();
    if (statusWindow) desktop.frontEnd->RunEnds();
    if (!converted) dialog.services.ShowMessageSlots(kMsgConvertError, kMsgConversionFailed);
    dialog.commandLineRun = 0;
    if (!converted || dialog.policyFileFailed || wordsRefused) TheRunStatus().NoteFailure();
    const int result = TheRunStatus().Failed() ? kExitFailed : kExitConverted;
    if (!converted || settings.startProgram) {
        dialog.batchMode = 0;
        // The user goes on in the main window when the settings ask for it,
        // whatever the run's outcome, which stays the exit status.  Without
        // that setting a failed run never opens a window nor waits.
        if (settings.startProgram && desktop.StartMainWindow()) {
            desktop.frontEnd->RunMainWindow(dialog);
        } else if (converted) {
            std::fprintf(stderr, "%s\n", NoWindowLineFor(desktop));
            std::fflush(stderr);
        }
    }
    return result;
}

int ConverterApp::InitInstance(int argc, char** argv) {
    TheRunStatus().Reset();
    ConsoleUiServices console;
    SwitchingUiServices services(console);
    GraphicalDesktop desktop;
    desktop.displaySet = DisplayPresentInEnvironment();
    if (desktop.displaySet) desktop.frontEnd = InstalledFrontEnd();
    desktop.services = &services;
    std::unique_ptr<MainDialog> made;
    if (desktop.frontEnd != nullptr) made = desktop.frontEnd->MakeMainDialog(services);
    if (!made) made = std::make_unique<MainDialog>(services);
    MainDialog& dialog = *made;
    TheStatusWindow().SetOwner(&dialog, dialog.settings.autoDismissStatusDialog ? 1 : 0);

    ConverterCommandLineInfo info(dialog);
    info.ParseArguments(argc, argv);
    int result = dialog.context->runParameters.refusedWords > 0 ? kExitFailed : kExitConverted;
    if (!dialog.context->runParameters.usageWanted) {
        // "/SILENT" keeps the status lines off the console too.
        TheConsoleStatus().consoleEcho = dialog.context->runParameters.messages != 0;
        result = RunFromCommandLine(dialog, info.fileWordSeen, desktop);
    } else if (TheRunStatus().Failed()) {
        result = kExitFailed;
    }
    StatusDisplay& status = TheStatusWindow();
    status.SetOwner(nullptr, status.CloseAutomatically);
    if (desktop.frontEnd != nullptr) desktop.frontEnd->DialogEnding(dialog);
    return result;
}
