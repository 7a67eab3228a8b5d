// Start-up and batch mode: the program's entry routine, the sorting of the
// command line's words into qualifiers, the policy file and file
// specifications, and the decision between the graphical mode (no file
// named) and batch mode (the named files are converted at once through the
// conversion run).
//
// Exit statuses, one rule for the whole program: 2 when no file was named
// and help was not asked for (the usage text is shown), whatever else
// happened; otherwise 1 when the run failed (see foundation/run_status.h:
// a named file or wildcard found nothing, a file was not converted, an
// "ERROR: " or "PROGRAM ERROR: " message was reported, a named policy file,
// policy include file or link dictionary could not be read, or a word of
// the command line was refused: an unrecognised, ambiguous or repeated
// qualifier, an "@" word); otherwise 0.
#pragma once

#include <vector>

#include "app/front_end.h"
#include "foundation/text_string.h"

class MainDialog;
struct QualifierDef;

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNoWindow = 2;  // no file named: the usage text

// The line printed, after the usage text, when the main window is asked for
// and cannot open: on a display, and without one.
extern const char* const kNoWindowLine;
extern const char* const kNoDisplayLine;

// After this word no word of the command line is a qualifier.
constexpr const char* kEndOfQualifiers = "--";

class ConverterCommandLineInfo {
public:
    explicit ConverterCommandLineInfo(MainDialog& dialog) : dialog_(dialog) {}

    // Hands every argument to ParseParam, in order.  A word beginning with
    // "-", or with "/" when it is not a path (no second "/" before any "="
    // and no file or directory of that name), is a qualifier: its first
    // character is taken off.  The first "--" is not handed on; the words
    // after it are never qualifiers.  What the qualifier parser reports
    // waits until every word is read, and is then shown through the message
    // filter of the switches given (none under "/SILENT").
    void ParseArguments(int argc, char** argv);

    // One word: a qualifier goes to the qualifier parser (with "/" put back
    // in front); a word ending in ".pol" (any case) is the run policy file;
    // a word beginning with "@" is refused (steering files) and counted in
    // the run parameters' refusedWords; any other word is a file
    // specification, which must match a file or directory: the first sets
    // the input file spec and the input and output directories, further
    // ones make the quoted multi-file form.
    void ParseParam(const char* word, bool isQualifier, bool isLast);

    // A file specification was named (whether or not it matched).
    bool fileWordSeen = false;

private:
    MainDialog& dialog_;
    // The qualifiers accepted so far: one given again is refused.
    std::vector<const QualifierDef*> qualifiersSeen_;
    // The last ".pol" word, and those passed over for a later one, in order.
    TextString policyWord_;
    std::vector<TextString> policyWordsPassedOver_;

    // Warns (among the qualifiers' messages) of choices the command line
    // made twice: the policy file used when several were named, and the
    // layout used when /TABLE, /TABBED and /COMMA were given together.
    void ReportChoicesMadeTwice(Context& context) const;
};

// The warning shown at start-up when a DDE request of the last run never
// returned: message text 25 without its last sentence, which sends the user
// to the Viewers page to switch DDE on again.  This system has no DDE and
// that page shows the switch disabled, so the pointer is left out.
TextString DdeDisabledWarning();

// Runs what the parsed command line asks for: batch mode when files were
// named, else the main window.  `desktop` is what may open windows: the main
// window when no file was named, the status window during a batch run with
// "\DragAndDrop\ViewStatusWindow" on, the main window after a batch run
// (converted or not) with "\DragAndDrop\StartProgram" on.  Where the main
// window cannot open, the usage text and kNoWindowLine.  Returns the exit
// status: a batch run's own, also when the main window followed it.
int RunFromCommandLine(MainDialog& dialog, bool fileWordSeen, GraphicalDesktop desktop = {});

// The application: builds the main dialog (which loads the settings),
// parses the command line and runs it; the dialog saves the settings when
// it ends.  Returns the exit status.
class ConverterApp {
public:
    int InitInstance(int argc, char** argv);
};
