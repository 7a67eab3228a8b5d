// How a dialog's window is laid out, as toolkit-free data beside its model.
//
// A description holds the dialog's controls in groups (framed by a group
// box, or not), each group in rows, each row a sequence of controls from
// left to right: a label stands in the row before the control it names.  The
// front end lays a description out with its own sizing rules, so labels
// of any length in any language fit: the description says what goes where,
// never how many pixels it takes.
//
// A description must hold exactly the controls of its model, with the same
// kinds: a control missing from a description would not be shown, and a
// dialog's behaviour skips a control it does not have without a word.
// DescriptionMismatches says where the two differ.
//
// A property sheet is described in two parts (SheetDescription): the sheet
// itself, whose controls are the same for every sheet (its tabs over a row
// of OK, Cancel, Apply and Help: SheetFrameDescription), and one
// description per page, in tab order, each laid out like any dialog's and
// shown on its tab.  A new sheet adds its windows thus: one description per
// page beside the page's model, a SheetDescription of the sheet's template
// id holding them, its entry in SheetDescriptions(), and its model in the
// headless check of tests/ui/window_layout_test.cpp.  A sheet the main
// window opens is also listed by MainWindow::Sheets and handed to
// onSheetMade when it is made; the front end then renders it as it renders
// every sheet.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog_model.h"

class SheetModel;

struct LayoutControl {
    int id = 0;
    ControlKind kind = ControlKind::kLabel;
    // Takes the spare width of its row; a multi-line edit also takes the
    // window's spare height.
    bool stretch = false;
    // More than one line: a multi-line edit (or list) this many lines high.
    int lines = 1;
    // The least width, in average characters; 0 for the control's own.
    int widthChars = 0;
    // An edit the user cannot type into (the text can still be selected).
    bool readOnly = false;
};

struct LayoutRow {
    std::vector<LayoutControl> controls;
    // A row of buttons, set against the right edge.
    bool buttons = false;
};

struct LayoutGroup {
    // The group box framing the rows (a kGroupBox control), or kNoControl.
    int boxId = kNoControl;
    std::vector<LayoutRow> rows;
    // Radio buttons of one group are one choice: checking one clears the
    // others.
};

struct WindowDescription {
    int templateId = 0;
    std::vector<LayoutGroup> groups;
    // The button Return presses wherever the focus is (the dialog's default
    // button), or kNoControl.
    int defaultButton = kNoControl;

    // Every control of the description, in order.
    std::vector<LayoutControl> Controls() const;
    // The group holding control `id`, or null.
    const LayoutGroup* GroupOf(int id) const;
};

// The description of the dialog with that template id, or null.
const WindowDescription* FindWindowDescription(int templateId);
// Every description the program has.
std::vector<const WindowDescription*> WindowDescriptions();

// Where the description and the model differ, one line each: a control of
// the model missing from the description, a control of the description the
// model lacks, a kind that differs, a control placed twice, a group box id
// that is not a group box.  Empty when they agree.
std::vector<std::string> DescriptionMismatches(const WindowDescription& description, const DialogModel& model);

// A property sheet's window: the sheet's own controls and its pages.
struct SheetDescription {
    // The tabs and the buttons (SheetFrameDescription).
    WindowDescription sheet;
    // One per page, in tab order, each of its page's template id.
    std::vector<WindowDescription> pages;
};

// The sheet's own controls as every sheet has them: the tabs, stretching,
// over a row of the buttons OK, Cancel, Apply (when the sheet has one) and
// Help.
WindowDescription SheetFrameDescription(int templateId, bool withApply = true);

// The description of the sheet with that template id, or null.
const SheetDescription* FindSheetDescription(int templateId);
// Every sheet description the program has.
std::vector<const SheetDescription*> SheetDescriptions();

// Where a sheet's description and its model differ: the sheet's own
// controls, the number of pages, and each page against its page's model.
std::vector<std::string> SheetDescriptionMismatches(const SheetDescription& description, const SheetModel& sheet);
