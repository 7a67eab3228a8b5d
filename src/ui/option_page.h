// The common ground of the pages of the program's property sheets that edit a
// policy set: the page remembers which policies the user changed, a load
// never overwrites those, and a store writes only those back.
//
// Most controls of a page show one policy each in a plain way: a check box a
// yes/no policy, an edit a text or a whole number, a colour field a colour
// text, a pair of radio buttons a yes/no policy, a list the choice of a
// choice policy.  Each page's controls stand in a table of their own
// (ui/page_table.h): the row of such a control names its policy, and the
// binding then does all of it: its member, its changed flag, loading,
// storing (the policy marked set and the main dialog told the policy's
// category), data exchange and the control's events.  The rows also say when
// a control is enabled or hidden, which swatch shows which colour field and
// which button picks its colour.  What a page shows in a way of its own
// (fonts, cross references, lists of words) it writes beside the bindings
// with the helpers below.
//
// The events of a bound control, told once for every page:
// - a check box, radio button or list selection takes the values, sets its
//   changed flag, tells the sheet and refreshes the enabling;
// - a text field compares its text whenever the values are taken: when it
//   loses the focus (some on every edit as well), when the page is left and
//   on OK and Apply; only a different text sets the changed flag and tells
//   the sheet;
// - a colour field marks itself changed on every edit and repaints the
//   page's swatches once its text is six characters long.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "foundation/text_string.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "ui/dialog_model.h"
#include "ui/page_table.h"
#include "ui/tool_tips.h"

class BaseDialog;
class BaseSheet;

struct BoundControl {
    BoundControl(int id, BoundKind boundKind, PolicyRef boundPolicy)
        : controlId(id), kind(boundKind), policy(boundPolicy) {}

    int controlId = 0;
    int secondId = 0;  // the second radio button of a pair
    BoundKind kind = BoundKind::kCheck;
    PolicyRef policy;
    int minValue = 0;  // kNumber's range
    int maxValue = 0;
    TextString text;  // member of kText, kColour
    int number = 0;  // member of the other kinds (a radio pair's index, a list's index)
    bool changed = false;
};

class OptionPage : public DialogModel {
public:
    OptionPage(int templateId, int topicCode, UiServices& services);

    // The sheet the page belongs to and the main dialog behind it; set by
    // the sheet when it adds the page.
    void AttachSheet(BaseSheet& sheet);
    BaseSheet* Sheet() const { return sheet_; }
    int TopicCode() const { return topicCode_; }

    // Shows the policies of `set` whose changed flags are clear
    // (LoadValues); `second` is not read.  With a window, the enabling and
    // the controls follow.
    void Load(FC& set, FC& second);
    // Writes the changed policies into `set`, each marked set, and tells
    // the main dialog the category of each.
    virtual void Store(FC& set);
    // Clears every changed flag.
    virtual void ResetChanged();
    // The page's labels, tips and the lists it fills from texts in the
    // language now in force.
    virtual void ChangeLanguage(int language);
    // Enables, disables and hides the controls as the values ask: by
    // default as the page's table says.
    virtual void RefreshEnabling();

    // The rows the page made its controls from (AddControls).
    std::span<const PageControl> TableControls() const { return controls_; }
    // The bound control of that id, or null.
    const BoundControl* Bound(int controlId) const;
    // True when any changed flag of the page is set.
    bool AnyChanged() const;
    // Tells the sheet that something changed.
    void SetModified();

protected:
    // ---- The page's table ----
    // Makes the page's controls from its table (ui/page_table.h): each with
    // its kind and English label, bound as its row says; the enabling, the
    // swatches and the alignment lists then follow the rows.
    void AddControls(std::span<const PageControl> controls);
    // Whether control `controlId` counts as on for the enabling: a bound
    // check box (or radio pair, list) whose value is not 0.  A page that
    // shows a box in a way of its own answers for it.
    virtual bool IsOn(int controlId) const;

    // ---- The bound controls ----
    BoundControl* MutableBound(int controlId);

    // Loads one binding from `set` (whatever its changed flag) and stores
    // one into it (marking it set and telling the main dialog).
    void LoadBinding(BoundControl& bound, const FC& set);
    void StoreBinding(BoundControl& bound, FC& set);

    // Copies the policies into the members: by default every binding whose
    // changed flag is clear.
    virtual void LoadValues(const FC& set);
    // Loads every binding whose changed flag is clear, except that the
    // bindings of `together`, shown as one, are loaded only while none of
    // them was changed.
    void LoadBindings(const FC& set, std::span<const int> together);

    // ---- The page pattern's steps ----
    // A check box, radio button or list changed: take the values, mark
    // `changed`, tell the sheet, refresh the enabling.
    void SelectionMade(bool& changed);
    // Exchanges a text field; taking it marks `changed` (telling the
    // sheet) when the text is different from the member's.
    void TakeText(DataExchange& dx, int id, TextString& member, bool& changed);
    // Sets `changed` and tells the sheet.
    void MarkChanged(bool& changed);
    // The "..." button of colour field `fieldId`: the colour picker on the
    // field's text, which is then marked changed.
    void PickColour(int fieldId);
    // Tells the main dialog the category of a stored policy.
    void NotifyStored(int category);
    BaseDialog* Owner() const;

    // Repaints the swatches of the page's colour fields: by default those
    // of its table.
    virtual void PaintSwatches();
    // Refills the lists the page fills from texts (on set-up and a change of
    // language), keeping their selections: by default the table's alignment
    // lists.
    virtual void FillTextLists();

    void OnInitDialog() override;
    void OnDestroy() override;
    void ExchangeData(DataExchange& dx) override;
    // Pages add their own members after the bindings.
    virtual void ExchangeOwn(DataExchange&) {}

    std::vector<BoundControl> bound_;

private:
    // The page became the sheet's shown page.
    void OnSetActive();

    // Whether the rule of `enabling` holds now.
    bool Holds(const Enabling& enabling) const;
    // Binds a row's control as its row says.
    void BindRow(const PageControl& control);
    void BindCheck(int id, PolicyRef policy, BoundKind kind);
    void BindText(int id, PolicyRef policy, CompareWhen when);
    void BindNumber(int id, PolicyRef policy, int minValue, int maxValue);
    void BindColour(int id, PolicyRef policy);
    void BindRadioPair(int first, int second, PolicyRef policy, bool firstWhenOn);
    void BindChoiceList(int id, PolicyRef policy);
    void BindAlignmentList(int id, PolicyRef policy);

    std::span<const PageControl> controls_;
    BaseSheet* sheet_ = nullptr;
    int topicCode_ = 0;
    ToolTipControl tips_;
    bool tipsCreated_ = false;
};

// The entries of an alignment list, in list order ("Auto-Detect", "Left",
// "Right", "Justified", "Center" in the user-interface language), and the
// mapping between an alignment policy's value and the list's index.  An
// unknown value shows "Auto-Detect"; an index outside the list stores
// automatic alignment.
std::vector<TextString> AlignmentListItems();
int AlignmentToListIndex(int alignment);
int ListIndexToAlignment(int index);

// The combo-box histories of file fields: `text` goes on top of `history`
// (ten entries, each text once, letter case ignored), and the items of the
// combo box `id` of `dialog` become the history's entries when `showItems`.
// An empty text changes nothing.
void RecordHistory(DialogModel& dialog, int id, TextString* history, const char* text, bool showItems = true);
// Fills the items of combo box `id` from `history` (the non-empty entries,
// in order), keeping its text.
void FillFromHistory(DialogModel& dialog, int id, const TextString* history);

// The items of a list built from a comma-separated choice text.
std::vector<TextString> SplitChoices(const char* choices);
