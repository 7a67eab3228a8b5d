// What the conversion run (BaseDialog::RunConversion, base_dialog_run.cpp)
// shows and finds: the status window that shows every status line and
// message of a run, and the search for the files a specification names.
//
// The status window here is its console form, the sink for status lines:
// it keeps every line since the last Clear and writes each one to standard
// error while console echo is on (batch mode).  The window itself comes
// with the dialogs.
#pragma once

#include "foundation/string_list.h"
#include "foundation/text_string.h"

class BaseDialog;

class StatusWindow {
public:
    BaseDialog* Owner = nullptr;  // not owned; null until set
    int CloseAutomatically = 0;  // "Close automatically on completion"
    StringList Lines;  // every line added since the last Clear, in order
    // Lines are written to standard error as they arrive.
    bool consoleEcho = true;

    // Adds a message: each piece between line feeds is one line.
    void AddMessage(const char* text);
    // Empties Lines.
    void Clear();
    void Show() { visible_ = true; }
    void Hide() { visible_ = false; }
    bool IsVisible() const { return visible_; }

private:
    bool visible_ = false;
};

// The program's single status window.
StatusWindow& TheStatusWindow();

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
