// Showing the output of a conversion: HTML in the user's browser, RTF, text
// and PDF in a viewer.
//
// Viewers and the browser are found as the desktop's opener "xdg-open" on
// PATH (the settings' own commands come first); the mail program is
// "xdg-email".  This platform has no DDE: HTML is shown by starting the
// browser program with the file's address, whatever "\UseDDEToViewHTML"
// says.  A command is a program named whole or words split as a user writes
// them (StartCommand), started with an argument vector, never through a
// shell, and not waited for.
#pragma once

#include <functional>
#include <string>

#include "foundation/text_string.h"
#include "policies/output_formats.h"

class ProgramSettings;
class UiServices;

class ResultViewer {
public:
    // `languageCode` is the current user-interface language (1 English ...
    // 7 Swedish), used for addresses on the maker's web site.
    ResultViewer(ProgramSettings& settings, UiServices& services, int languageCode = 1);

    void SetLanguageCode(int code) { languageCode_ = code; }

    // The viewer command for files with `extension` (or `alternative`): the
    // desktop's opener "xdg-open" when it is found on PATH.  False when it is
    // not found, or when called while another look-up is running (command
    // then unchanged); true with the full path in command otherwise.
    bool FindViewerCommand(TextString& command, const char* extension, const char* alternative);
    // The browser; when none is found the user is told (message 31, caption
    // 5), command becomes the "\BrowserCommand" setting and the result is
    // still true.  False only for a nested call.
    bool FindBrowser(TextString& command);
    bool FindRtfViewer(TextString& command);
    bool FindPdfViewer(TextString& command);
    bool FindTextViewer(TextString& command);
    // FindRtfViewer when the conversion type is 2 or 3, else FindBrowser.
    bool FindViewerForOutput(TextString& command, int conversionType);
    // The mail program "xdg-email"; when none is found command is empty
    // and nothing is shown (the caller tells the user in its own words);
    // true either way except for a nested call.
    bool FindMailClient(TextString& command);
    // The user guide installed with the program: the page in
    // "share/doc/vendrel/" of the installation (the folder above the program
    // file's), else the page beside the program file.  False, path empty,
    // when neither exists or the program file cannot be found.
    bool FindLocalDocumentation(TextString& path);
    // The same for a program file at `programPath`.
    static bool FindLocalDocumentationFor(const std::string& programPath, TextString& path);

    // The address of a file: with the "\AddURLPrefix" setting on,
    // "file://" followed by the file's absolute path (a relative path is
    // taken from the current directory) with every byte other than A-Z, a-z,
    // 0-9, "-", ".", "_", "~" and "/" written as "%" and two upper-case hex
    // digits; otherwise the path as given.
    void MakeFileUrl(const TextString& path, TextString& address);

    // Opens an address in the browser: the browser command is started with
    // the address as its last argument (allowDde asks for nothing here: there
    // is no DDE, and no attempt writes "\DDEWorking").  Failures are shown as
    // message boxes.  True when the browser was reached.
    bool OpenUrlInBrowser(TextString address, TextString browserCommand, bool allowDde);

    // Starts `command` (the RTF viewer when empty) with `file` as its last
    // argument.  Failures are shown as message boxes.  True when started.
    bool StartViewer(const TextString& file, TextString command);

    // Starts `command` (StartCommand: a program named whole, else split into
    // words) with `argument` last, without a shell; a failure is shown as a
    // message box naming both.  True when started.
    bool StartOrReport(const TextString& command, const TextString& argument);

    // What the conversion run hands over for showing its results.
    struct RunResults {
        bool runSucceeded = false;  // every file converted; a failed run never shows anything
        bool batchMode = false;  // batch: "\DragAndDrop\ViewResults" decides, else "\AutoDDEUpdates"
        int outputMode = 0;  // the main dialog's output kind; 2 (clipboard) shows nothing
        int outputFormat = kOutputHTML;  // the Context's output format; any other than RTF, text and PDF is HTML
        TextString outputDirectory;  // with its trailing "/" (or empty)
        TextString lastOutputFileName;  // empty: nothing to show
        // Where the status line of a skipped batch viewing goes (the run's
        // status-message callback); may be empty.
        std::function<void(const char*)> status;
    };

    enum class ShowOutcome {
        kNotAsked,  // failed run, clipboard output, viewing off or no output file
        kNoDesktop,  // batch mode without DISPLAY and WAYLAND_DISPLAY: one status line, nothing started
        kStarted,  // the browser or viewer was started
        kStartFailed,  // starting it failed (the user was told)
    };

    // The end of a conversion run: decides whether results are shown and
    // shows them.  RTF uses "\ViewRTFCommand", text "\ViewTextCommand" (each,
    // when empty, the registered viewer, stored back into the setting), PDF
    // the registered viewer, HTML "\BrowserCommand" (or the detected browser,
    // stored back) with the file's address.
    ShowOutcome ShowRunResults(const RunResults& results);

    // True when a desktop session is available (DISPLAY or WAYLAND_DISPLAY
    // set and not empty).
    static bool HasDesktop();

    // The status line of a batch run that skips showing its results.
    static const char* const kNoDesktopStatus;

private:
    ProgramSettings& settings_;
    UiServices& services_;
    int languageCode_;
    bool lookupRunning_ = false;
};
