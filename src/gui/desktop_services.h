// The desktop services with the toolkit's own dialogs: message boxes, the
// file, folder, colour and font choosers, the clipboard, the wait cursor and
// modal dialogs rendered from their window descriptions.
#pragma once

#include "app/ui_services.h"

class wxWindow;

class DesktopServices : public UiServices {
public:
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

private:
    // The window a desktop dialog belongs to: the active one, else the
    // program's top window.
    static wxWindow* Parent();
};
