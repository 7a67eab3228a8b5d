#include "app/result_viewing.h"

#include <string>

#include "app/front_end.h"
#include "app/program_settings.h"
#include "app/ui_services.h"
#include "foundation/product_identity.h"
#include "platform/file_status.h"
#include "platform/process_launch.h"
#include "policies/output_formats.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"

namespace {

// The desktop's opener, which picks the program for a file or address by its
// type, and its mail composer.
constexpr const char* kDesktopOpener = "xdg-open";
constexpr const char* kDesktopMailer = "xdg-email";

// Marks a look-up as running for its lifetime; a nested look-up sees the
// flag and gives up.
class LookupGuard {
public:
    explicit LookupGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~LookupGuard() { flag_ = false; }
    LookupGuard(const LookupGuard&) = delete;
    LookupGuard& operator=(const LookupGuard&) = delete;

private:
    bool& flag_;
};

// The host part of the maker's web site ("www.halvex.com"), taken from the
// product's home page.
std::string MakerHost() {
    TextString home;
    GetProductHomePage(home);
    std::string address = home.str();
    size_t start = address.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = address.find('/', start);
    return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// True when the address is on the maker's web site: its host, after the
// scheme, is the maker's.
bool IsMakerAddress(const TextString& address) {
    const std::string host = MakerHost();
    std::string_view text = address.view();
    size_t start = text.find("://");
    start = start == std::string_view::npos ? 0 : start + 3;
    if (text.size() - start < host.size()) return false;
    if (CompareTextN(text.data() + start, host.c_str(), static_cast<int>(host.size()), 1) != 0) return false;
    size_t after = start + host.size();
    return after == text.size() || text[after] == '/' || text[after] == ':' || text[after] == '?';
}

const char* LanguageQuery(int code) {
    switch (code) {
        case 2: return "&l=g";
        case 3: return "&l=s";
        case 4: return "&l=f";
        case 5: return "&l=p";
        case 6: return "&l=i";
        case 7: return "&l=sw";
        default: return "";
    }
}

}  // namespace

const char* const ResultViewer::kNoDesktopStatus =
    "INFO: No desktop display (DISPLAY and WAYLAND_DISPLAY are not set): results not shown";

ResultViewer::ResultViewer(ProgramSettings& settings, UiServices& services, int languageCode)
    : settings_(settings), services_(services), languageCode_(languageCode) {}

bool ResultViewer::HasDesktop() { return DisplayPresentInEnvironment(); }

// The desktop's opener serves every file type, so the extensions only say
// what is being looked for.
bool ResultViewer::FindViewerCommand(TextString& command, const char*, const char*) {
    if (lookupRunning_) return false;
    LookupGuard guard(lookupRunning_);
    command.MakeEmpty();
    std::string path;
    if (!FindProgramOnPath(kDesktopOpener, &path)) return false;
    command.AssignChars(path.data(), static_cast<int>(path.size()));
    return true;
}

bool ResultViewer::FindBrowser(TextString& command) {
    if (lookupRunning_) return false;
    if (FindViewerCommand(command, ".html", ".htm")) return true;
    services_.ShowMessageSlots(kMsgBrowserNotDetected, kMsgLocateBrowser);
    command = settings_.browserCommand;
    return true;
}

bool ResultViewer::FindRtfViewer(TextString& command) { return FindViewerCommand(command, ".rtf", ".doc"); }

bool ResultViewer::FindPdfViewer(TextString& command) { return FindViewerCommand(command, ".pdf", ".doc"); }

bool ResultViewer::FindTextViewer(TextString& command) { return FindViewerCommand(command, ".txt", ""); }

bool ResultViewer::FindViewerForOutput(TextString& command, int conversionType) {
    if (conversionType == 2 || conversionType == 3) return FindRtfViewer(command);
    return FindBrowser(command);
}

bool ResultViewer::FindMailClient(TextString& command) {
    if (lookupRunning_) return false;
    LookupGuard guard(lookupRunning_);
    command.MakeEmpty();
    std::string path;
    if (FindProgramOnPath(kDesktopMailer, &path)) command.AssignChars(path.data(), static_cast<int>(path.size()));
    return true;
}

bool ResultViewer::FindLocalDocumentation(TextString& path) {
    return FindLocalDocumentationFor(RunningProgramPath(), path);
}

bool ResultViewer::FindLocalDocumentationFor(const std::string& programPath, TextString& path) {
    path.MakeEmpty();
    const size_t slash = programPath.find_last_of('/');
    if (slash == std::string::npos) return false;
    const std::string programFolder = programPath.substr(0, slash + 1);
    TextString folderAddress, pageName;
    GetDocumentationAddress(folderAddress, pageName);
    const std::string page = pageName.str();
    // "<prefix>/bin/vendrel" has its guide in "<prefix>/share/doc/vendrel/".
    const std::string installed = programFolder + "../share/doc/vendrel/" + page;
    for (const std::string& candidate : {installed, programFolder + page}) {
        if (KindOfPath(candidate) != PathKind::kOther) continue;
        path.AssignChars(candidate.data(), static_cast<int>(candidate.size()));
        return true;
    }
    return false;
}

void ResultViewer::MakeFileUrl(const TextString& path, TextString& address) {
    if (!settings_.addUrlPrefix) {
        address = path;
        return;
    }
    TextString absolute;
    if (path.At(0) != '/') {
        const std::string here = CurrentDirectory();
        absolute.AssignChars(here.data(), static_cast<int>(here.size()));
        if (absolute.length == 0 || absolute.buffer[absolute.length - 1] != '/') absolute.AppendChar('/');
        // "./a.html" names a file in the current folder.
        int skip = 0;
        while (path.At(skip) == '.' && path.At(skip + 1) == '/') skip += 2;
        absolute.AppendBytes(path.buffer + skip, path.length - skip);
    } else {
        absolute = path;
    }
    // The host is left empty: "file://localhost/..." is refused by the
    // desktop's opener.  Every byte outside the unreserved set (and "/") is
    // percent-encoded, so a name holding "%", "#", "?", blanks or non-ASCII
    // letters still addresses its own file.
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    address = "file://";
    for (int i = 0; i < absolute.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(absolute.buffer[i]);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            address.AppendChar(static_cast<char>(c));
        } else {
            address.AppendChar('%');
            address.AppendChar(kHexDigits[c >> 4]);
            address.AppendChar(kHexDigits[c & 0x0F]);
        }
    }
}

bool ResultViewer::StartOrReport(const TextString& command, const TextString& argument) {
    int error = StartCommand(command.str(), argument.str());
    if (error == 0) return true;
    TextString text(GetMessageText(kMsgCommandFailed));
    TextString number(error);
    FillMessagePlaceholders(text, {{"ccc", command.buffer}, {"url", argument.buffer}, {"nnn", number.buffer}});
    TextString caption(GetMessageText(kMsgBrowserLaunchError));
    services_.ShowMessage(caption.buffer, text.buffer);
    return false;
}

bool ResultViewer::OpenUrlInBrowser(TextString address, TextString browserCommand, bool /*allowDde*/) {
    if (address.IsEmpty()) {
        services_.ShowMessage("", GetMessageText(kMsgNoURL));
        return false;
    }
    if (address.CountChar('?') > 0 && IsMakerAddress(address)) {
        if (address.FindNoCase("checkversion.pl") == nullptr) {
            TextString name, shortVersion, fullVersion;
            GetProductInfo(name, shortVersion, fullVersion);
            address.Append("&p=");
            address.Append(name);
        }
        address.Append(LanguageQuery(languageCode_));
    }
    if (browserCommand.IsEmpty()) FindBrowser(browserCommand);

    // This platform has no DDE: whatever "\UseDDEToViewHTML" says, the
    // browser program is started, and nothing is tried or written first.
    // The address is the program's last argument, passed without a shell,
    // so it needs no quotes.
    if (browserCommand.IsEmpty()) return false;
    return StartOrReport(browserCommand, address);
}

bool ResultViewer::StartViewer(const TextString& file, TextString command) {
    if (file.IsEmpty()) {
        services_.ShowMessage("", GetMessageText(kMsgNoFilename));
        return false;
    }
    if (command.IsEmpty()) FindRtfViewer(command);
    return StartOrReport(command, file);
}

ResultViewer::ShowOutcome ResultViewer::ShowRunResults(const RunResults& results) {
    if (!results.runSucceeded || results.outputMode == 2) return ShowOutcome::kNotAsked;
    if (!(results.batchMode ? settings_.viewResults : settings_.autoDdeUpdates)) return ShowOutcome::kNotAsked;
    if (results.lastOutputFileName.IsEmpty()) return ShowOutcome::kNotAsked;
    // A terminal or CI run has nowhere to show a browser or viewer.
    if (results.batchMode && !HasDesktop()) {
        if (results.status) results.status(kNoDesktopStatus);
        return ShowOutcome::kNoDesktop;
    }

    TextString file(results.outputDirectory);
    if (!file.IsEmpty() && file.buffer[file.length - 1] != '/') file.AppendChar('/');
    file.Append(results.lastOutputFileName);

    bool started = false;
    TextString command;
    switch (results.outputFormat) {
        case kOutputRTF:
            command = settings_.viewRtfCommand;
            if (command.IsEmpty()) {
                FindViewerCommand(command, ".rtf", ".doc");
                settings_.viewRtfCommand = command;
            }
            started = StartViewer(file, command);
            break;
        case kOutputText:
            command = settings_.viewTextCommand;
            if (command.IsEmpty()) {
                FindViewerCommand(command, ".txt", "");
                settings_.viewTextCommand = command;
            }
            started = StartViewer(file, command);
            break;
        case kOutputPDF:
            FindViewerCommand(command, ".pdf", ".doc");
            started = StartViewer(file, command);
            break;
        default: {
            command = settings_.browserCommand;
            if (command.IsEmpty()) {
                FindBrowser(command);
                settings_.browserCommand = command;
            }
            TextString address;
            MakeFileUrl(file, address);
            started = OpenUrlInBrowser(address, command, true);
            break;
        }
    }
    return started ? ShowOutcome::kStarted : ShowOutcome::kStartFailed;
}
