#include "ui/dialog_model.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ui/scripted_services.h"
#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"

namespace {

constexpr int kNameEdit = 1001;
constexpr int kCountEdit = 1002;
constexpr int kFlagCheck = 1003;
constexpr int kFirstRadio = 1010;
constexpr int kSecondRadio = 1011;
constexpr int kKindCombo = 1020;
constexpr int kLevelSlider = 1030;
constexpr std::array<int, 2> kRadios = {kFirstRadio, kSecondRadio};

// A small form: a name of at most 8 characters, a count from 1 to 99, a flag,
// a choice of two and a combo-box entry.
class FormDialog : public DialogModel {
public:
    explicit FormDialog(UiServices& services) : DialogModel(500, services) {
        AddControl(kNameEdit, ControlKind::kEdit);
        AddControl(kCountEdit, ControlKind::kEdit);
        AddControl(kFlagCheck, ControlKind::kCheckBox, "Flag");
        AddControl(kFirstRadio, ControlKind::kRadioButton, "First");
        AddControl(kSecondRadio, ControlKind::kRadioButton, "Second");
        AddControl(kKindCombo, ControlKind::kComboBox);
        AddControl(kLevelSlider, ControlKind::kSlider);
        AddControl(kIdOk, ControlKind::kPushButton, "OK");
        AddControl(kIdCancel, ControlKind::kPushButton, "Cancel");
    }
    TextString name = "abc";
    int count = 5;
    bool flag = true;
    int choice = 1;
    int kind = -1;
    int level = 50;
    int initialised = 0;

protected:
    void OnInitDialog() override {
        ++initialised;
        SetItems(kKindCombo, {"Plain", "Tabbed"});
        UpdateData(false);
    }
    void ExchangeData(DataExchange& dx) override {
        dx.Text(kNameEdit, name, 8);
        dx.Number(kCountEdit, count, 1, 99);
        dx.Check(kFlagCheck, flag);
        dx.Radio(kRadios, choice);
        dx.Selection(kKindCombo, kind);
        dx.Slider(kLevelSlider, level);
    }
};

class StepRecorder : public DialogObserver {
public:
    std::vector<WindowStep> steps;
    std::vector<int> changed;
    void OnWindowStep(DialogModel&, WindowStep step) override { steps.push_back(step); }
    void OnControlChanged(DialogModel&, int id) override { changed.push_back(id); }
};

TEST(DialogModelTest, ControlsOfAnotherIdAreSkippedSilently) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    StepRecorder recorder;
    dialog.SetObserver(&recorder);
    dialog.SetControlText(4242, "x");
    dialog.SetChecked(4242, true);
    dialog.EnableControl(4242, false);
    dialog.SetSelection(4242, 0);
    dialog.SetFocus(4242);
    EXPECT_TRUE(recorder.changed.empty());
    EXPECT_STREQ(dialog.ControlText(4242), "");
    EXPECT_FALSE(dialog.IsEnabled(4242));
    EXPECT_EQ(dialog.FocusedControl(), kNoControl);
}

TEST(DialogModelTest, TheObserverHearsEveryWindowStepInOrder) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    StepRecorder recorder;
    dialog.SetObserver(&recorder);
    dialog.ShowWindow();  // no window yet: nothing
    dialog.CreateWindow();
    dialog.CreateWindow();  // exists: nothing, no second initialisation
    dialog.ShowWindow();
    dialog.RaiseWindow();
    dialog.HideWindow();
    dialog.DestroyWindow();
    dialog.DestroyWindow();
    const std::vector<WindowStep> expected = {WindowStep::kCreated, WindowStep::kShown, WindowStep::kRaised,
                                              WindowStep::kHidden, WindowStep::kDestroyed};
    EXPECT_EQ(recorder.steps, expected);
    EXPECT_EQ(dialog.initialised, 1);
    EXPECT_FALSE(dialog.HasWindow());
}

TEST(DialogModelTest, InitialisationPutsTheMembersIntoTheControls) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    EXPECT_STREQ(dialog.ControlText(kNameEdit), "abc");
    EXPECT_STREQ(dialog.ControlText(kCountEdit), "5");
    EXPECT_TRUE(dialog.IsChecked(kFlagCheck));
    EXPECT_FALSE(dialog.IsChecked(kFirstRadio));
    EXPECT_TRUE(dialog.IsChecked(kSecondRadio));
    EXPECT_EQ(dialog.Selection(kKindCombo), kNoSelection);
    EXPECT_EQ(dialog.Value(kLevelSlider), 50);
}

TEST(DialogModelTest, TheCaretStaysWithinTheEditsText) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.SetControlText(kNameEdit, "abcdef");
    for (const auto& [position, placed] : {std::pair{3, 3}, std::pair{99, 6}, std::pair{-4, 0}}) {
        dialog.SetCaret(kNameEdit, position);
        EXPECT_EQ(dialog.Control(kNameEdit)->caret, placed) << position;
    }
    dialog.SetCaret(4242, 1);  // no such control: nothing
}

TEST(DialogModelTest, AWindowIsKeptOnTheDesktopWithItsSize) {
    const DesktopSize desktop{1280, 1024};
    const struct {
        WindowRect asked;
        int left, top;
    } cases[] = {
        {{100, 200, 600, 400}, 100, 200},  // on the desktop: stays
        {{0, 0, 1280, 1024}, 0, 0},  // as large as the desktop
        {{768, 100, 600, 400}, 680, 100},  // 88 pixels past the right edge
        {{100, 900, 600, 400}, 100, 624},  // past the bottom edge
        {{-50, -20, 600, 400}, 0, 0},  // past the left and top edges
        {{2000, 3000, 600, 400}, 680, 624},  // far off
        {{300, 300, 1500, 1100}, 0, 0},  // larger than the desktop: its title bar on it
        {{-300, 500, 1500, 300}, 0, 500},  // wider only: its left edge on it
    };
    for (const auto& c : cases) {
        const WindowRect kept = KeptOnDesktop(c.asked, desktop);
        EXPECT_EQ(kept.left, c.left) << c.asked.left << "," << c.asked.top;
        EXPECT_EQ(kept.top, c.top) << c.asked.left << "," << c.asked.top;
        EXPECT_EQ(kept.width, c.asked.width);
        EXPECT_EQ(kept.height, c.asked.height);
    }
    // A dialog placed so stands there, on the services' desktop.
    ScriptedUiServices services;
    services.SetDesktopSize(desktop.width, desktop.height);
    DialogModel dialog(500, services);
    dialog.SetWindowSize(600, 400);
    dialog.PlaceOnDesktop(768, 100);
    EXPECT_EQ(dialog.Rect().left, 680);
    EXPECT_EQ(dialog.Rect().top, 100);
}

TEST(DialogModelTest, ChoosingAComboEntryTakesItsText) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    dialog.SetSelection(kKindCombo, 1);
    EXPECT_STREQ(dialog.ControlText(kKindCombo), "Tabbed");
    dialog.SetSelection(kKindCombo, 7);
    EXPECT_EQ(dialog.Selection(kKindCombo), kNoSelection);
}

TEST(DialogModelTest, TypingOverAChosenComboEntryClearsTheChoice) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    const struct {
        const char* typed;
        int selection;
    } cases[] = {{"Tabbed", 1}, {"Tabbe", kNoSelection}, {"", kNoSelection}, {"Plain", kNoSelection}};
    for (const auto& c : cases) {
        dialog.SetSelection(kKindCombo, 1);
        dialog.SetControlText(kKindCombo, c.typed);
        EXPECT_EQ(dialog.Selection(kKindCombo), c.selection) << c.typed;
        EXPECT_STREQ(dialog.ControlText(kKindCombo), c.typed);
    }
    // A list keeps its selection whatever its text.
    dialog.AddControl(4000, ControlKind::kList);
    dialog.SetItems(4000, {"One", "Two"});
    dialog.SetSelection(4000, 1);
    dialog.SetControlText(4000, "other");
    EXPECT_EQ(dialog.Selection(4000), 1);
}

struct CountCase {
    const char* text;
    bool accepted;
    int value;
};

TEST(DialogModelTest, NumbersAreCheckedAgainstTheirRange) {
    const CountCase cases[] = {
        {"7", true, 7},
        {" 42 ", true, 42},
        {"+3", true, 3},
        {"1", true, 1},
        {"99", true, 99},
        {"0", false, 0},
        {"100", false, 0},
        {"-5", false, 0},
        {"", false, 0},
        {"4x", false, 0},
        {"x4", false, 0},
        {"- 4", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const CountCase& c : cases) {
        ScriptedUiServices services;
        FormDialog dialog(services);
        dialog.CreateWindow();
        dialog.SetControlText(kCountEdit, c.text);
        EXPECT_EQ(dialog.UpdateData(true), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(dialog.count, c.value) << c.text;
            EXPECT_TRUE(services.Messages().empty()) << c.text;
        } else {
            EXPECT_EQ(dialog.count, 5) << c.text;
            ASSERT_EQ(services.Messages().size(), 1u) << c.text;
            EXPECT_EQ(dialog.FocusedControl(), kCountEdit) << c.text;
        }
    }
}

TEST(DialogModelTest, ARangeMessageNamesBothEnds) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    dialog.SetControlText(kCountEdit, "500");
    EXPECT_FALSE(dialog.UpdateData(true));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter a number from 1 to 99.");
}

TEST(DialogModelTest, ATextOverItsLimitKeepsTheDialogOpen) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    dialog.ShowWindow();
    dialog.SetControlText(kNameEdit, "123456789");
    EXPECT_TRUE(dialog.Notify(kIdOk, NotifyEvent::kClicked));
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_STREQ(dialog.name.c_str(), "abc");
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter no more than 8 characters.");
    dialog.SetControlText(kNameEdit, "12345678");
    dialog.SetChecked(kFlagCheck, false);
    dialog.CheckRadioButton(kFirstRadio, kSecondRadio, kFirstRadio);
    dialog.SetSelection(kKindCombo, 0);
    dialog.SetValue(kLevelSlider, 500);
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.Result(), kIdOk);
    EXPECT_FALSE(dialog.IsShown());  // modeless: OK hides the window
    EXPECT_STREQ(dialog.name.c_str(), "12345678");
    EXPECT_FALSE(dialog.flag);
    EXPECT_EQ(dialog.choice, 0);
    EXPECT_EQ(dialog.kind, 0);
    EXPECT_EQ(dialog.level, 100);  // kept within the slider's range
}

TEST(DialogModelTest, HandlersComeBeforeTheDefaultButtons) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.CreateWindow();
    int cancelled = 0;
    EXPECT_FALSE(dialog.Notify(kFlagCheck, NotifyEvent::kClicked));
    dialog.On(kIdCancel, NotifyEvent::kClicked, [&] { ++cancelled; });
    EXPECT_TRUE(dialog.Notify(kIdCancel, NotifyEvent::kClicked));
    EXPECT_EQ(cancelled, 1);
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_TRUE(dialog.Notify(kWholeDialog, NotifyEvent::kCloseBox));
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.Result(), kIdCancel);
}

// Work a field's leaving hands on waits (the desktop still changing the
// focus) until the next action any dialog is told of, and runs before that
// action; handing on more work runs the earlier first; a dialog whose window
// goes takes its work with it.
TEST(DialogModelTest, WorkAFieldLeftRunsBeforeTheNextActionOfAnyDialog) {
    ScriptedUiServices services;
    services.HoldFieldWork(true);
    FormDialog form(services);
    FormDialog other(services);
    form.CreateWindow();
    other.CreateWindow();
    std::vector<std::string> done;
    form.On(kNameEdit, NotifyEvent::kFocusLost,
            [&] { services.DeferFieldWork(&form, [&] { done.push_back("load"); }); });
    form.On(kFlagCheck, NotifyEvent::kClicked, [&] { done.push_back("click"); });
    other.On(kFlagCheck, NotifyEvent::kClicked, [&] { done.push_back("other click"); });

    form.Notify(kNameEdit, NotifyEvent::kFocusLost);
    EXPECT_TRUE(done.empty());
    form.Notify(kFlagCheck, NotifyEvent::kClicked);
    EXPECT_EQ(done, (std::vector<std::string>{"load", "click"}));

    done.clear();
    form.Notify(kNameEdit, NotifyEvent::kFocusLost);
    other.Notify(kFlagCheck, NotifyEvent::kClicked);
    EXPECT_EQ(done, (std::vector<std::string>{"load", "other click"}));

    done.clear();
    form.Notify(kNameEdit, NotifyEvent::kFocusLost);
    services.DeferFieldWork(&other, [&] { done.push_back("second"); });
    EXPECT_EQ(done, std::vector<std::string>{"load"});
    services.SettleFocus();
    EXPECT_EQ(done, (std::vector<std::string>{"load", "second"}));
    EXPECT_FALSE(services.HasFieldWork());

    done.clear();
    form.Notify(kNameEdit, NotifyEvent::kFocusLost);
    other.DestroyWindow();  // not the work's dialog
    EXPECT_TRUE(services.HasFieldWork());
    form.DestroyWindow();
    EXPECT_FALSE(services.HasFieldWork());
    EXPECT_TRUE(done.empty());
}

TEST(DialogModelTest, WithoutAWindowNothingIsExchanged) {
    ScriptedUiServices services;
    FormDialog dialog(services);
    dialog.SetControlText(kCountEdit, "not a number");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.count, 5);
    EXPECT_TRUE(services.Messages().empty());
}

TEST(DialogModelTest, TheConsoleEndsAModalDialogWithCancel) {
    ConsoleUiServices services;
    FormDialog dialog(services);
    EXPECT_EQ(services.RunModal(dialog), kIdCancel);
    EXPECT_FALSE(dialog.HasWindow());
}

}  // namespace
