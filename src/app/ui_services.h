// The message boxes and file dialogs the application shell shows, behind one
// small interface: the batch run and the result viewer use the console
// implementation below; a windowed implementation can take its place without
// changing its callers.
#pragma once

#include "foundation/text_string.h"

enum class MessageIcon { kExclamation, kQuestion, kInformation, kStop };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

class UiServices {
public:
    virtual ~UiServices();

    // Shows a message box and returns the button chosen.  `defaultButton` is
    // 1 for the first button, 2 for the second.  An empty caption stands for
    // the product name.
    virtual MessageAnswer ShowMessage(const char* caption, const char* text,
                                      MessageButtons buttons = MessageButtons::kOk,
                                      MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) = 0;

    // Lets the user choose a file to open or to save; `filter` is the
    // dialog's type filter ("Policy files (*.pol)|*.pol||"), `path` the
    // proposed name in and the chosen path out.  False when nothing was
    // chosen (path unchanged).
    virtual bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) = 0;

    // Lets the user choose a folder; `path` the proposed folder in and the
    // chosen one out.  False when nothing was chosen (path unchanged).
    virtual bool ChooseFolder(const char* title, TextString& path) = 0;

    // A message box whose caption and text are message-text slots, with the
    // exclamation icon and an OK button.
    void ShowMessageSlots(int captionSlot, int textSlot);
};

// Message boxes as one line "caption: text" on standard error (line breaks
// inside the text become one blank); the answer is the default button, so a
// run never waits for input.  No file or folder can be chosen.
class ConsoleUiServices : public UiServices {
public:
    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons = MessageButtons::kOk,
                              MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) override;
    bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) override;
    bool ChooseFolder(const char* title, TextString& path) override;

    // The line ShowMessage writes, without the line end.
    static TextString FormatMessageLine(const char* caption, const char* text);
};
