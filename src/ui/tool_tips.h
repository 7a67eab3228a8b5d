// Tool tips of the dialogs, sheet pages and sub-dialogs.
//
// Each dialog that shows tips owns a `ToolTipControl` and asks
// `ApplyToolTips` to register its controls as tools, to set their texts in
// the current user-interface language, or to remove them.  Which controls
// get a tip is fixed per dialog template (`ToolTipTable`).  A tool is shown
// on the model as the control's tool-tip text: registered tools carry the
// tip of their control id, unregistered controls an empty text, which the
// front end shows as no tip.
#pragma once

#include <set>
#include <span>

class DialogModel;

enum class ToolTipMode {
    kAdd = 1,  // register the listed controls as tools
    kSetTexts = 2,  // relabel the dialog and set the texts of the tools
    kRemove = 3,  // unregister the tools
};

// The controls of a dialog template that get a tip, in registration order;
// empty for a template without tips.  The lists hold ids some dialogs of
// the template lack: those are skipped.
std::span<const int> ToolTipTable(int dialogId);

// The tool-tip control of one dialog: whether it exists and which of the
// dialog's controls are registered with it.  It belongs to the dialog that
// shows the tips and lives as long as that dialog.
class ToolTipControl {
public:
    // The control exists while the dialog's window does: dialogs create it
    // when the window is shown and destroy it with the window.
    void Create() { hasWindow_ = true; }
    // Forgets every tool; the controls of `dialog` that were tools lose
    // their tips.
    void Destroy(DialogModel& dialog);
    bool HasWindow() const { return hasWindow_; }

    int ToolCount() const { return static_cast<int>(tools_.size()); }
    bool IsRegistered(int controlId) const { return tools_.count(controlId) != 0; }

private:
    friend int ApplyToolTips(ToolTipMode, DialogModel*, int, ToolTipControl&, bool);

    bool hasWindow_ = false;
    std::set<int> tools_;
};

// Registers, relabels or removes the tips of `dialog` (template `dialogId`)
// on `tips`, and returns the number of tools registered afterwards.  Nothing
// happens when the dialog object is missing or has no window.
//
// - kAdd: every listed control the dialog has becomes a tool, with the tip
//   of its id in the current language, when the tool-tip control exists.
// - kSetTexts: the dialog's UI texts are applied (caption and labels), then,
//   when the tool-tip control exists, the registered tools take the tips of
//   the current language.  Only while `showToolTips` (the setting
//   "\Dialogs\DisplayToolTips") is on are listed controls not yet
//   registered added first; with it off, labels change and no tool appears.
// - kRemove: every registered listed control stops being a tool; a control
//   that never was one is left alone.
int ApplyToolTips(ToolTipMode mode, DialogModel* dialog, int dialogId, ToolTipControl& tips, bool showToolTips);
