// The desktop services with the toolkit's own dialogs: message boxes, the
// file, folder, colour and font choosers, the clipboard, the wait cursor and
// modal dialogs rendered from their window descriptions.
#pragma once

#include <functional>
#include <memory>

#include "app/ui_services.h"

class wxFileDialog;
class wxTimer;
class wxWindow;

enum class FileChooserKind { kOpen, kOpenSeveral, kSave };

// The window whose user action a model is handling, for as long as the
// scope lives (scopes nest; the innermost counts).  A message box or a
// chooser the action opens belongs to it: while the focus moves from one
// control to the next (a field left by Tab) the desktop names no active
// window, and the box would otherwise go to the main window and bring that
// in front of a sheet that raised it.
class ActingWindow {
public:
    explicit ActingWindow(wxWindow* window);
    ~ActingWindow();
    ActingWindow(const ActingWindow&) = delete;
    ActingWindow& operator=(const ActingWindow&) = delete;

    // The innermost acting window, null outside every scope (or when it
    // has been deleted meanwhile).
    static wxWindow* Current();
};

class DesktopServices : public UiServices {
public:
    DesktopServices();
    ~DesktopServices() override;
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;

    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons = MessageButtons::kOk,
                              MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) override;
    bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) override;
    bool ChooseFileOnEntry(bool forSaving, const char* title, const char* filter, int entry,
                           TextString& path) override;
    bool ChooseFolder(const char* title, TextString& path) override;
    bool ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) override;
    bool ChooseColour(PlatformColour& colour) override;
    bool ChooseFont(FontChoice& font) override;
    bool SetClipboardText(const char* text) override;
    DesktopSize GetDesktopSize() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    // A dialog without a window description cannot be shown: it is reported
    // on standard error and ends with Cancel.
    int RunModal(DialogModel& dialog) override;
    // Once the toolkit has handled the events of the change of focus, and
    // the mouse button that may have moved the focus is released (the
    // click it ends then comes first), and no run holds the windows: the
    // step runs as an action of the user (a run scope around it).
    void AfterFocusChange(const std::function<void()>& step) override;

    // The file chooser the services show, made and not shown: titled
    // `title` (the program's name when empty), in the folder of `path`
    // with its file name (a pattern is no name), offering the filter's
    // types.  A save chooser never asks itself whether to replace a file:
    // the program does.
    static std::unique_ptr<wxFileDialog> MakeFileChooser(wxWindow* parent, FileChooserKind kind, const char* title,
                                                         const char* filter, const TextString& path);

private:
    // The window a desktop dialog belongs to: the active one, else the one
    // acting (ActingWindow), else the program's top window.
    static wxWindow* Parent();
    // Runs the waiting step now, or looks again a little later while a
    // mouse button is down or a run holds the windows.
    void RunStepWhenSettled();

    std::function<void()> waitingStep_;
    std::unique_ptr<wxTimer> settleTimer_;
};
