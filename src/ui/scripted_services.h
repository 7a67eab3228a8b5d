// Desktop services driven by a script: what tests (and the front end's
// tests) use in place of a user.
//
// Every call is kept in a log, in order, with what was asked.  Answers come
// from queues the test fills beforehand:
// - a message box with Yes and No (and Cancel) takes the next queued
//   answer, or its default button when none is queued; a box with only OK
//   answers OK and takes nothing from the queue;
// - work a field starts when the focus leaves it runs at once, unless held
//   (HoldFieldWork): it then waits for the next action a dialog is told of,
//   or for SettleFocus, as it waits on a desktop while the mouse button that
//   moved the focus is still down;
// - each chooser takes the next result queued for its kind, and chooses
//   nothing when its queue is empty (or the queued result is "nothing");
// - a modal dialog runs the next queued script: its steps are carried out
//   against the dialog one after the other, as a user would, until the
//   dialog ends; when the steps run out, Cancel is pressed.  A dialog that a
//   step opens (a handler running another modal dialog) takes the script
//   queued after it, so a test queues the scripts in the order the dialogs
//   open.
// The clipboard keeps its text, the desktop has the size the test sets
// (1024 x 768 unless set) and the wait cursor counts its depth.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/ui_services.h"
#include "ui/dialog_model.h"

enum class ServiceCallKind {
    kMessage,
    kChooseFile,
    kChooseFolder,
    kChooseFiles,
    kChooseColour,
    kChooseFont,
    kClipboard,
    kDesktopSize,
    kBeginWaitCursor,
    kEndWaitCursor,
    kRunModal,
    kStepRefused,  // a scripted step the dialog could not take (see ModalScript)
};

// One call of the services, as asked.
struct ServiceCall {
    ServiceCallKind kind = ServiceCallKind::kMessage;
    std::string caption;  // message caption, chooser title, dialog caption
    std::string text;  // message text, chooser filter, font face, clipboard text, refused step
    std::string path;  // the proposed path of a file or folder chooser
    // Message: the default button; file chooser: the filter entry shown
    // first; colour: the proposed colour; font: the point size; modal run
    // and refused step: the dialog's template id.
    int number = 0;
    bool forSaving = false;  // file chooser
    MessageButtons buttons = MessageButtons::kOk;
    MessageIcon icon = MessageIcon::kExclamation;
};

// The steps of one modal run.  Each step acts on a control of the dialog;
// on a property sheet, an id the sheet itself lacks is looked up on its
// active page.  A step on a control the dialog does not have, or that is
// disabled or hidden, cannot be taken: it is logged as kStepRefused and the
// run goes on.
class ModalScript {
public:
    // Types a text into an edit or the edit part of a combo box: the text is
    // set, then kTextChanged (an edit) or kEditChanged (a combo box) is
    // notified.
    ModalScript& SetText(int id, const char* text);
    // Sets a check box and notifies kClicked.
    ModalScript& Check(int id, bool checked = true);
    // Clicks radio button `id` of the group first..last: it is checked, the
    // others cleared, kClicked notified.
    ModalScript& ChooseRadio(int first, int last, int id);
    // Picks entry `index` of a list or combo box: kSelectionEnded, and for a
    // combo box then kListClosed.
    ModalScript& Select(int id, int index);
    // Moves a slider (kept within its range) and notifies kSliderMoved.
    ModalScript& SetSlider(int id, int value);
    // Presses a button: kClicked.
    ModalScript& Press(int id);
    // Clicks tab `index` of a property sheet.
    ModalScript& ChooseTab(int index);
    // Drops files on the dialog: kFilesDropped on kWholeDialog.
    ModalScript& DropFiles(std::vector<TextString> files);
    // Any event, as it is, with no check of the control (kWholeDialog for
    // the dialog's own, such as kCloseBox).
    ModalScript& Notify(int id, NotifyEvent event);

private:
    friend class ScriptedUiServices;
    enum class StepKind { kSetText, kCheck, kChooseRadio, kSelect, kSetSlider, kPress, kChooseTab, kDrop, kNotify };
    struct Step {
        StepKind kind = StepKind::kNotify;
        int id = 0;
        int number = 0;  // check state, index, slider value, first of a radio group
        int last = 0;  // last of a radio group
        TextString text{};
        std::vector<TextString> files{};
        NotifyEvent event = NotifyEvent::kClicked;
    };
    ModalScript& Add(Step step);

    std::vector<Step> steps_;
};

class ScriptedUiServices : public UiServices {
public:
    static constexpr int kDefaultDesktopWidth = 1024;
    static constexpr int kDefaultDesktopHeight = 768;

    enum class Chooser { kFile, kFolder, kFiles, kColour, kFont };

    // ---- What the test sets up ----
    // The answer of the next Yes/No message box.
    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    // The next result of a chooser.
    void QueueFile(const char* path) { files_.emplace_back(TextString(path)); }
    void QueueFolder(const char* path) { folders_.emplace_back(TextString(path)); }
    void QueueFiles(std::vector<TextString> paths) { fileLists_.emplace_back(std::move(paths)); }
    void QueueColour(PlatformColour colour) { colours_.emplace_back(colour); }
    void QueueFont(FontChoice font) { fonts_.emplace_back(std::move(font)); }
    // The next use of that chooser chooses nothing.
    void QueueNothingChosen(Chooser chooser);
    // The steps of the next modal run not yet scripted, to be filled; the
    // reference stays valid until that run starts.
    ModalScript& QueueRun();
    void SetDesktopSize(int width, int height) { desktop_ = {width, height}; }
    // Work a field starts when it loses the focus waits (held) or runs at
    // once (not held, the start).
    void HoldFieldWork(bool hold) { holdFieldWork_ = hold; }
    // The change of focus is over: work held so far runs.
    void SettleFocus() { RunFieldWork(); }

    // ---- What the test checks ----
    const std::vector<ServiceCall>& Log() const { return log_; }
    // The message boxes of the log, in order.
    std::vector<ServiceCall> Messages() const;
    // The steps refused, in order.
    std::vector<ServiceCall> RefusedSteps() const;
    void ClearLog() { log_.clear(); }
    const std::string& ClipboardText() const { return clipboard_; }
    int WaitCursorDepth() const { return waitDepth_; }
    // Scripts queued and not yet run.
    int PendingRuns() const { return static_cast<int>(scripts_.size()); }

    // ---- UiServices ----
    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons = MessageButtons::kOk,
                              MessageIcon icon = MessageIcon::kExclamation, int defaultButton = 1) override;
    bool ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) override;
    // Logged as ChooseFile, with the entry shown first as the call's number.
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
    // Creates and shows the dialog's window, runs the next queued script
    // against it until it ends (Cancel when the steps run out), destroys the
    // window and returns the id that ended it.
    int RunModal(DialogModel& dialog) override;

    // At once, unless held.
    void AfterFocusChange(const std::function<void()>& step) override {
        if (!holdFieldWork_) step();
    }

private:
    ServiceCall& Record(ServiceCallKind kind, const char* caption = "", const char* text = "");
    void RunStep(DialogModel& dialog, const ModalScript::Step& step);
    void Refuse(DialogModel& dialog, int id, const char* what);
    // Takes the next queued result; nothing when the queue is empty.
    template <class T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue);

    std::vector<ServiceCall> log_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::optional<TextString>> files_;
    std::deque<std::optional<TextString>> folders_;
    std::deque<std::optional<std::vector<TextString>>> fileLists_;
    std::deque<std::optional<PlatformColour>> colours_;
    std::deque<std::optional<FontChoice>> fonts_;
    std::deque<ModalScript> scripts_;
    std::string clipboard_;
    DesktopSize desktop_{kDefaultDesktopWidth, kDefaultDesktopHeight};
    int waitDepth_ = 0;
    bool holdFieldWork_ = false;
};
