// A page of a property sheet as one table of its controls.
//
// Each page's controls stand in a table of their own,
// src/texts/pages/<page>.def, one row a control (the columns:
// texts/page_texts.h).  The page makes its controls from the rows
// (OptionPage::AddControls): each control with its kind and English label,
// bound to what it shows, enabled and hidden by the enabling refresh as its
// row says, its label and tool tip applied in the language in force from the
// same rows (the per-dialog label table and the tool-tip texts in src/texts/
// read them), and laid out in the shape of its cell (PageLayout).  A page
// writes in code only what no row says: values shown in a way of its own,
// loads that take several values together, buttons with a dialog of their
// own.
//
// The columns the dialog layer reads:
// - binding, `Bind::...`: the policy a control shows and how (a check box,
//   a text, a number within a range, a colour text, a radio pair, a list),
//   the program setting a settings page's control shows, the colour field
//   a "..." button picks for or a swatch is painted in, or nothing;
// - enabling, `Enable::...`: always (left alone), never, or while given check
//   boxes are on (or off), or while any of them is on; `.Hidden()` hides the
//   control at every refresh as well (its value is still loaded and stored,
//   so that a policy file's value passes through the page unchanged);
// - cell, `Cell::...`: the control's shape in the layout (its own size, a
//   field that takes the spare width, a number, a colour, a swatch, a list of
//   some lines, read-only).
#pragma once

#include <array>
#include <concepts>
#include <span>
#include <vector>

#include "app/program_settings.h"
#include "foundation/text_string.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "texts/page_texts.h"
#include "ui/dialog_model.h"
#include "ui/window_layout.h"

// A policy a control shows: a policy of the set itself or one of the set's
// default table configuration.
class PolicyRef {
public:
    constexpr PolicyRef(Pol id) : plain_(id) {}  // NOLINT: a control names its policy either way
    constexpr PolicyRef(TabPol id) : table_(id), isTable_(true) {}  // NOLINT

    int Number(const FC& set) const;
    const TextString& Text(const FC& set) const;
    bool IsSet(const FC& set) const;
    void SetNumber(FC& set, int value) const;
    void SetText(FC& set, const char* text) const;
    // The kind of policy the main dialog is told of when the policy is
    // stored: its catalogue category; every table item reports 4 (an output
    // change).
    int Category() const;
    // The category the catalogue gives the policy, table items included.
    int CatalogueCategory() const;

private:
    Pol plain_ = Pol::Count;
    TabPol table_ = TabPol::Count;
    bool isTable_ = false;
};

// What a control bound to a policy shows.
enum class BoundKind {
    kCheck,  // check box, on when the policy is not 0
    kInvertedCheck,  // check box, on when the policy is 0
    kText,  // edit or combo box showing a text
    kNumber,  // edit showing a whole number within a range
    kColour,  // edit showing a colour text, with the page's swatches
    kRadioPair,  // two radio buttons: the second on when the policy is not 0
    kRadioPairFirstOn,  // two radio buttons: the first on when the policy is not 0
    kChoiceList,  // list whose index is the policy's choice - 1
    kAlignmentList,  // list of alignments (AlignmentToListIndex)
};

// When a bound text field compares its text.
enum class CompareWhen { kOnFocusLost, kOnEveryEdit };

// What a row binds its control to.
enum class BindingKind {
    kNothing,  // a label, a group, a button the page handles itself
    kPolicy,  // a policy, as `bound` says
    kColourPicker,  // a "..." button: the colour picker on field `otherId`
    kSwatch,  // a swatch painted in the colour of field `otherId`
    kSettingCheck,  // a check box showing a yes/no program setting
    kSettingText,  // a text field showing a text program setting
};

struct Binding {
    BindingKind kind = BindingKind::kNothing;
    BoundKind bound = BoundKind::kCheck;
    PolicyRef policy = Pol::Count;
    int otherId = 0;  // a radio pair's second button; the field of a picker or swatch
    int minValue = 0;  // kNumber's range
    int maxValue = 0;
    CompareWhen when = CompareWhen::kOnFocusLost;
    bool ProgramSettings::*settingCheck = nullptr;
    TextString ProgramSettings::*settingText = nullptr;
};

struct Bind {
    static constexpr Binding Nothing{};
    static constexpr Binding Check(PolicyRef policy) { return Policy(BoundKind::kCheck, policy); }
    static constexpr Binding InvertedCheck(PolicyRef policy) { return Policy(BoundKind::kInvertedCheck, policy); }
    static constexpr Binding Text(PolicyRef policy) { return Policy(BoundKind::kText, policy); }
    // A text compared on every edit as well as when the field is left.
    static constexpr Binding TextOnEveryEdit(PolicyRef policy) {
        Binding binding = Policy(BoundKind::kText, policy);
        binding.when = CompareWhen::kOnEveryEdit;
        return binding;
    }
    static constexpr Binding Number(PolicyRef policy, int minValue, int maxValue) {
        Binding binding = Policy(BoundKind::kNumber, policy);
        binding.minValue = minValue;
        binding.maxValue = maxValue;
        return binding;
    }
    static constexpr Binding Colour(PolicyRef policy) { return Policy(BoundKind::kColour, policy); }
    // The first of two radio buttons (the second's row binds nothing): the
    // second on while the policy is on, or the first with RadioPairFirstOn.
    static constexpr Binding RadioPair(PolicyRef policy, int secondId) {
        Binding binding = Policy(BoundKind::kRadioPair, policy);
        binding.otherId = secondId;
        return binding;
    }
    static constexpr Binding RadioPairFirstOn(PolicyRef policy, int secondId) {
        Binding binding = RadioPair(policy, secondId);
        binding.bound = BoundKind::kRadioPairFirstOn;
        return binding;
    }
    static constexpr Binding Choice(PolicyRef policy) { return Policy(BoundKind::kChoiceList, policy); }
    static constexpr Binding Alignment(PolicyRef policy) { return Policy(BoundKind::kAlignmentList, policy); }
    static constexpr Binding ColourPicker(int fieldId) { return Other(BindingKind::kColourPicker, fieldId); }
    static constexpr Binding Swatch(int fieldId) { return Other(BindingKind::kSwatch, fieldId); }
    static constexpr Binding Setting(bool ProgramSettings::*setting) {
        Binding binding;
        binding.kind = BindingKind::kSettingCheck;
        binding.settingCheck = setting;
        return binding;
    }
    static constexpr Binding Setting(TextString ProgramSettings::*setting) {
        Binding binding;
        binding.kind = BindingKind::kSettingText;
        binding.settingText = setting;
        return binding;
    }

private:
    static constexpr Binding Policy(BoundKind bound, PolicyRef policy) {
        Binding binding;
        binding.kind = BindingKind::kPolicy;
        binding.bound = bound;
        binding.policy = policy;
        return binding;
    }
    static constexpr Binding Other(BindingKind kind, int fieldId) {
        Binding binding;
        binding.kind = kind;
        binding.otherId = fieldId;
        return binding;
    }
};

// When a control is enabled.  A condition names a check box of the page
// (or a control the page says is on or off, OptionPage::IsOn).
struct EnableCondition {
    int controlId = 0;
    bool on = true;
};

struct Enabling {
    enum class Rule {
        kAlways,  // left alone: enabled from the start
        kNever,
        kWhileAll,  // while every condition holds
        kWhileAny,  // while any condition holds
    };
    // The most conditions a rule has.
    static constexpr int kMostConditions = 6;

    Rule rule = Rule::kAlways;
    std::array<EnableCondition, kMostConditions> conditions{};
    int count = 0;
    bool hidden = false;

    // The same, the control hidden at every refresh.
    constexpr Enabling Hidden() const {
        Enabling enabling = *this;
        enabling.hidden = true;
        return enabling;
    }
    // The same, while `controlId` is off as well.
    constexpr Enabling AndOff(int controlId) const {
        Enabling enabling = *this;
        enabling.conditions[static_cast<size_t>(enabling.count++)] = {controlId, false};
        return enabling;
    }
};

struct Enable {
    static constexpr Enabling Always{};
    static constexpr Enabling Never{Enabling::Rule::kNever};
    // While every one of `ids` is on.
    static constexpr Enabling WhileOn(std::same_as<int> auto... ids) {
        return With(Enabling::Rule::kWhileAll, ids...);
    }
    // While any of `ids` is on.
    static constexpr Enabling WhileAnyOn(std::same_as<int> auto... ids) {
        return With(Enabling::Rule::kWhileAny, ids...);
    }
    // While `id` is off.
    static constexpr Enabling WhileOff(int id) { return Enabling{Enabling::Rule::kWhileAll}.AndOff(id); }

private:
    static constexpr Enabling With(Enabling::Rule rule, std::same_as<int> auto... ids) {
        static_assert(sizeof...(ids) <= Enabling::kMostConditions);
        Enabling enabling{rule};
        ((enabling.conditions[static_cast<size_t>(enabling.count++)] = {ids, true}), ...);
        return enabling;
    }
};

// A control's shape in its page's layout (the rest of a LayoutControl).
struct LayoutCell {
    bool stretch = false;
    int lines = 1;
    int widthChars = 0;
    bool readOnly = false;

    constexpr LayoutCell ReadOnly() const {
        LayoutCell cell = *this;
        cell.readOnly = true;
        return cell;
    }
};

struct Cell {
    // The control's own size: labels, check boxes, buttons, groups.
    static constexpr LayoutCell Own{};
    // A text field taking the spare width, at least this many average
    // characters wide.
    static constexpr LayoutCell Stretch(int widthChars) { return {true, 1, widthChars}; }
    // A field of its least width only.
    static constexpr LayoutCell Fixed(int widthChars) { return {false, 1, widthChars}; }
    // A list this many lines high, taking the spare width.
    static constexpr LayoutCell List(int lines) { return {true, lines}; }
    // The usual shapes: a field of the output pages, a path or command, a
    // number, a colour text and its swatch, a slider.
    static constexpr LayoutCell Field{true, 1, 30};
    static constexpr LayoutCell Path{true, 1, 40};
    static constexpr LayoutCell Number{false, 1, 8};
    static constexpr LayoutCell Colour{false, 1, 10};
    static constexpr LayoutCell Swatch{false, 1, 6};
    static constexpr LayoutCell Slider{true};
};

// One row of a page's table.
struct PageControl {
    int id;
    ControlKind kind;
    LabelRef label;
    Binding binding;
    Enabling enabling;
    LayoutCell cell;
};

// A row of a page's table as a PageControl: in the page's class scope, where
// the rows name the page's controls (`#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW`
// before including the page's table).
#define VENDREL_PAGE_CONTROL_ROW(name, id, kind, label, tip, binding, enabling, cell) \
    PageControl{id, ControlKind::kind, label, binding, enabling, cell},
// A row as the constant of its control, in the page's class.
#define VENDREL_PAGE_CONTROL_ID(name, id, ...) static constexpr int name = id;

// The row of control `id`, or null.
const PageControl* FindPageControl(std::span<const PageControl> controls, int id);

// One line of a page's layout: its controls by id, left to right.
LayoutRow Line(std::initializer_list<int> ids, bool buttons = false);

// A page's window: the groups and lines as given, each control with the kind
// and shape of its row.  A control without a row keeps what the line gives
// it (the window-layout check then reports it).
WindowDescription PageLayout(int templateId, std::span<const PageControl> controls, std::vector<LayoutGroup> groups);
