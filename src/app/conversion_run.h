// What the conversion run (BaseDialog::RunConversion, base_dialog_run.cpp)
// shows and finds: the status display that shows every status line and
// message of a run, and the search for the files a specification names.
//
// The run talks to the program's one status display through the
// StatusDisplay interface.  Its console form is there from the start: it
// keeps every line since the last Clear and writes each one to standard
// error while console echo is on (batch mode).  A front end with windows
// attaches its status window in its place (AttachStatusWindow) for as long
// as that window lives; the run then feeds the window instead.
#pragma once

#include "foundation/string_list.h"
#include "foundation/text_string.h"

class BaseDialog;

class StatusDisplay {
public:
    virtual ~StatusDisplay();

    BaseDialog* Owner = nullptr;  // not owned; null until set
    int CloseAutomatically = 0;  // "Close automatically on completion"
    StringList Lines;  // every line added since the last Clear, in order; never trimmed

    // Adds a message: each piece between line feeds is one line.
    virtual void AddMessage(const char* text) = 0;
    // Empties Lines (and whatever the display shows).
    virtual void Clear() = 0;
    // Shows the display and brings it to the top.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    // Gives the display its owner and the close-automatically switch (the
    // "\Dialogs\AutoDismissStatusDialog" setting); null detaches the owner.
    virtual void SetOwner(BaseDialog* owner, int closeAutomatically);
    // The user-interface language is now `code`: a window shows its texts in
    // it.
    virtual void LanguageChanged(int /*code*/) {}
};

// The status display without a window: the sink for status lines.
class ConsoleStatusDisplay : public StatusDisplay {
public:
    // Lines are written to standard error as they arrive.
    bool consoleEcho = true;

    // Each piece loses the carriage returns that end it.
    void AddMessage(const char* text) override;
    void Clear() override;
    void Show() override { visible_ = true; }
    void Hide() override { visible_ = false; }
    bool IsVisible() const override { return visible_; }

private:
    bool visible_ = false;
};

// The program's single status display: the attached status window, else the
// console form.
StatusDisplay& TheStatusWindow();
// The console form, there for the whole program.
ConsoleStatusDisplay& TheConsoleStatus();
// Makes `window` the status display the run feeds; null goes back to the
// console form.  The caller keeps the window alive while it is attached.
void AttachStatusWindow(StatusDisplay* window);

// The message and status callback of a run: hands the text to the status
// window.
void StatusMessageCallback(const char* text);

// Whether a file name holds the wildcards '*' or '?'.
bool HasWildcard(const char* name);

// The name (without directory) of the first entry matching `path`, whose
// name part may hold the wildcards '*' and '?'; with `filesOnly` directories
// are passed over.  Of several matches the first by name, letter case
// ignored.  False when nothing matches.
bool FindFirstMatch(const TextString& path, bool filesOnly, TextString* name);
