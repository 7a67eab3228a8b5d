// The status window: the modeless dialog in which the messages of a
// conversion appear while it runs.  The user can clear the text, save every
// line to a log file, and choose whether the window closes by itself when a
// conversion ends.
//
// The window keeps two things.  `Lines` holds every line since the last
// Clear and is never trimmed: Save to file writes it whole.  `Text` is what
// the edit control shows, the lines joined by line feeds; it is kept below
// about kRebuildLength characters plus one message by rebuilding it from the
// last kKeptLines lines once it has grown that long, so that a long run
// never makes the control slow.
//
// The window is one of the run's status displays: attached through
// AttachStatusWindow (app/conversion_run.h), it receives every status line
// of a run in place of the console.
#pragma once

#include "app/conversion_run.h"
#include "foundation/text_string.h"
#include "ui/dialog_model.h"

struct WindowDescription;

class StatusWindow : public DialogModel, public StatusDisplay {
public:
    // The template's controls.
    static constexpr int kMessageEdit = 1044;
    static constexpr int kCloseAutomaticallyCheck = 1280;
    static constexpr int kSaveButton = 1266;
    static constexpr int kClearButton = 1058;
    // (The Close button is the dialog's OK button.)

    // `Text` of this many characters or more is rebuilt before a message is
    // added, from the last kKeptLines lines.
    static constexpr int kRebuildLength = 20000;
    static constexpr int kKeptLines = 50;
    // The default position is this far in from the right and bottom edges
    // of the desktop.
    static constexpr int kDesktopMargin = 30;

    explicit StatusWindow(UiServices& services);
    // Detaches the window from the run when it is the attached one.
    ~StatusWindow() override;

    TextString Text;  // what the edit control shows
    // The language code whose texts the window shows; -1 until it was first
    // labelled.  A window-less model shows no texts and keeps its code.
    int ShownLanguage = -1;

    // ---- StatusDisplay ----
    // Each piece between line feeds becomes a line of `Lines`; `Text` gets
    // the pieces joined by line feeds, or is rebuilt (see above).
    void AddMessage(const char* text) override;
    // Empties `Lines` and `Text`, and the edit control when the window
    // exists.
    void Clear() override;
    // Places the window, relabels it when the owner's language is not the
    // one it shows, shows it and brings it to the top.
    void Show() override;
    void Hide() override { HideWindow(); }
    bool IsVisible() const override { return IsShown(); }
    // Also puts the switch into the check box when the window exists.
    void SetOwner(BaseDialog* owner, int closeAutomatically) override;
    // Relabels the window in the language `code` when the window exists.
    void LanguageChanged(int code) override;

    // Lets the user choose a log file and writes every line of `Lines` to
    // it.  A file that cannot be written is reported in a message box naming
    // it, and a file written before under that name stays as it was.
    void SaveToFile();

    // Moves the window to its place: the stored position when the owner has
    // one, else kDesktopMargin in from the bottom-right corner of the
    // desktop; either way wholly on the desktop.  The size does not change.
    void Place();
    // Stores the window's left and top edges as its position in the owner's
    // settings (nothing without an owner).
    void StorePosition();

protected:
    void OnInitDialog() override;
    void ExchangeData(DataExchange& exchange) override;
    // Close: stores the position, then ends (hides) the window.
    void OnOk() override;
    void OnCloseBox() override;

private:
    // The check box was clicked: the owner's settings follow it.
    void OnCloseAutomaticallyClicked();
    // The name Save to file proposes: the current input file's directory
    // and base name with ".log"; empty when there is none.
    TextString DefaultLogName() const;
};

// The window's layout: the message text over the whole width and height,
// the check box below it, then the buttons.
const WindowDescription& StatusWindowLayout();
