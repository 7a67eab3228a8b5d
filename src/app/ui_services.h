// What the application shell and its dialogs need of the desktop, behind one
// interface: message boxes, the file, folder, colour and font choosers, the
// clipboard, the desktop's size, the wait cursor and running a modal dialog.
// The batch run and the result viewer use the console implementation below;
// the dialog layer's scripted implementation serves its tests, and a windowed
// implementation takes their place without changing any caller.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/text_string.h"

class DialogModel;

enum class MessageIcon { kExclamation, kQuestion, kInformation, kStop };
enum class MessageButtons { kOk, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kYes, kNo, kCancel };

// The buttons of a message box by place, as its default is given.
inline constexpr int kFirstButton = 1;
inline constexpr int kSecondButton = 2;
inline constexpr int kThirdButton = 3;

// What the default button of a box with those buttons answers (OK for a box
// with OK alone).
MessageAnswer DefaultAnswer(MessageButtons buttons, int defaultButton);

// A colour as the desktop takes it: red in the low byte, then green, then
// blue.
using PlatformColour = std::uint32_t;

// A font as the font chooser shows and returns it.
struct FontChoice {
    TextString face;
    int weight = 400;  // 400 regular, 700 bold
    bool italic = false;
    int pointSize = 12;
};

struct DesktopSize {
    int width = 0;
    int height = 0;
};

class UiServices {
public:
    virtual ~UiServices();

    // Shows a message box and returns the button chosen.  `defaultButton` is
    // the place of the default button (kFirstButton ...).  A box with a
    // Cancel button answers Cancel to Escape.  An empty caption stands for
    // the product name.
    virtual MessageAnswer ShowMessage(const char* caption, const char* text,
                                      MessageButtons buttons = MessageButtons::kOk,
                                      MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) = 0;

    // Lets the user choose a file to open or to save; `filter` is the
    // dialog's type filter ("Policy files (*.pol)|*.pol||"), `path` the
    // proposed name in and the chosen path out.  False when nothing was
    // chosen (path unchanged).
    virtual bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) = 0;
    // ChooseFile with the chooser showing entry `entry` (0 the first) of
    // the filter's "Description|patterns|" pairs first.  A desktop whose
    // chooser cannot be told so shows its first entry.
    virtual bool ChooseFileOnEntry(bool forSaving, const char* title, const char* filter, int /*entry*/,
                                   TextString& path) {
        return ChooseFile(forSaving, title, filter, path);
    }

    // Lets the user choose a folder; `path` the proposed folder in and the
    // chosen one out.  False when nothing was chosen (path unchanged).
    virtual bool ChooseFolder(const char* title, TextString& path) = 0;

    // Lets the user choose one or more files to open; `paths` holds the
    // proposed name in (its first entry, when there is one: a folder and a
    // pattern such as "/home/me/*.txt"), and the chosen full paths out, or is
    // left unchanged when nothing was chosen (false).
    virtual bool ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) = 0;

    // Lets the user pick a colour, preset with `colour`; false (colour
    // unchanged) when nothing was picked.
    virtual bool ChooseColour(PlatformColour& colour) = 0;

    // Lets the user pick a font, preset with `font`; false (font unchanged)
    // when nothing was picked.
    virtual bool ChooseFont(FontChoice& font) = 0;

    // Puts plain text on the clipboard; false when that failed.
    virtual bool SetClipboardText(const char* text) = 0;

    // The size of the desktop, for placing windows.
    virtual DesktopSize GetDesktopSize() = 0;

    // The wait cursor; see WaitCursor for the scoped form.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Runs a modal dialog until it ends; returns the id of the button that
    // ended it (1 OK, 2 Cancel, ...).
    virtual int RunModal(DialogModel& dialog) = 0;

    // A message box whose caption and text are message-text slots, with the
    // exclamation icon and an OK button.
    void ShowMessageSlots(int captionSlot, int textSlot);

    // ---- Work a field starts when the focus leaves it ----
    // Leaving a field can start work that shows a question and holds the
    // windows while it runs (loading the policy file the field names).
    // Done inside the change of focus, it would take the click that moved
    // the focus: the button under the pressed mouse is disabled before the
    // button is released, and the click is lost.  So the field hands the
    // work here: it runs once the change of focus is over (AfterFocusChange)
    // and before anything else the user does, since every action a dialog
    // is told of runs it first.  One piece of work waits at a time: handing
    // another runs the earlier one first.  `owner` is the dialog the work
    // belongs to; when its window goes the work goes with it.
    void DeferFieldWork(const DialogModel* owner, std::function<void()> work);
    // Runs the waiting work, if any; true when there was some.
    bool RunFieldWork();
    bool HasFieldWork() const { return static_cast<bool>(fieldWork_); }
    // Drops the work of `owner`, whose window goes.
    void DropFieldWorkOf(const DialogModel* owner);

    // Runs `step` once the change of focus the user is making is over:
    // here, with no desktop whose focus changes, at once.
    virtual void AfterFocusChange(const std::function<void()>& step) { step(); }

private:
    std::function<void()> fieldWork_;
    const DialogModel* fieldWorkOwner_ = nullptr;
    // A step handed on to run later finds the services gone by this.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

// Message boxes as one line "caption: text" on standard error (line breaks
// inside the text become one blank); the answer is the default button, so a
// run never waits for input.  Nothing can be chosen (each chooser says so on
// standard error) and a modal dialog ends with Cancel at once.
class ConsoleUiServices : public UiServices {
public:
    static constexpr int kConsoleDesktopWidth = 1024;
    static constexpr int kConsoleDesktopHeight = 768;

    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons = MessageButtons::kOk,
                              MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) override;
    bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) override;
    bool ChooseFolder(const char* title, TextString& path) override;
    bool ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) override;
    bool ChooseColour(PlatformColour& colour) override;
    bool ChooseFont(FontChoice& font) override;
    // There is no clipboard here: says so on standard error, false.
    bool SetClipboardText(const char* text) override;
    // The usual desktop of 1024 x 768 pixels.
    DesktopSize GetDesktopSize() override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    // Nobody can answer a dialog here: ends it with Cancel at once.
    int RunModal(DialogModel& dialog) override;

    // The line ShowMessage writes, without the line end.
    static TextString FormatMessageLine(const char* caption, const char* text);
};

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    explicit WaitCursor(UiServices& services) : services_(services) { services_.BeginWaitCursor(); }
    ~WaitCursor() { services_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UiServices& services_;
};
