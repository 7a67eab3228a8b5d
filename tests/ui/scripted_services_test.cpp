#include "ui/scripted_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"

namespace {

constexpr int kCountEdit = 1001;
constexpr int kKindCombo = 1002;
constexpr int kFlagCheck = 1003;
constexpr int kLevelSlider = 1004;
constexpr int kMoreButton = 1005;
constexpr int kLockedButton = 1006;
constexpr int kFirstRadio = 1010;
constexpr int kSecondRadio = 1011;

// A dialog with a count from 1 to 99 whose events are written down; its
// "More..." button runs a second dialog modally.
class EventDialog : public DialogModel {
public:
    EventDialog(int templateId, UiServices& services) : DialogModel(templateId, services) {
        AddControl(kCountEdit, ControlKind::kEdit);
        AddControl(kKindCombo, ControlKind::kComboBox);
        AddControl(kFlagCheck, ControlKind::kCheckBox, "Flag");
        AddControl(kLevelSlider, ControlKind::kSlider);
        AddControl(kMoreButton, ControlKind::kPushButton, "More...");
        AddControl(kLockedButton, ControlKind::kPushButton, "Locked");
        AddControl(kFirstRadio, ControlKind::kRadioButton, "First");
        AddControl(kSecondRadio, ControlKind::kRadioButton, "Second");
        AddControl(kIdOk, ControlKind::kPushButton, "OK");
        AddControl(kIdCancel, ControlKind::kPushButton, "Cancel");
        for (int id : {kCountEdit, kKindCombo, kFlagCheck, kLevelSlider, kFirstRadio, kSecondRadio})
            for (NotifyEvent event : {NotifyEvent::kClicked, NotifyEvent::kTextChanged, NotifyEvent::kEditChanged,
                                      NotifyEvent::kSelectionEnded, NotifyEvent::kListClosed,
                                      NotifyEvent::kSliderMoved, NotifyEvent::kFocusLost})
                On(id, event, [this, id, event] { events.push_back({id, event}); });
        On(kWholeDialog, NotifyEvent::kFilesDropped, [this] { dropped = DroppedFiles().size(); });
        On(kIdCancel, NotifyEvent::kClicked, [this] {
            ++cancelPresses;
            EndDialog(kIdCancel);
        });
        On(kMoreButton, NotifyEvent::kClicked, [this] {
            if (inner != nullptr) innerResult = Services().RunModal(*inner);
        });
    }
    int count = 5;
    int cancelPresses = 0;
    size_t dropped = 0;
    std::vector<std::pair<int, NotifyEvent>> events;
    EventDialog* inner = nullptr;
    int innerResult = 0;

protected:
    void OnInitDialog() override {
        SetItems(kKindCombo, {"Plain", "Tabbed"});
        SetRange(kLevelSlider, 0, 10);
        EnableControl(kLockedButton, false);
        UpdateData(false);
    }
    void ExchangeData(DataExchange& dx) override { dx.Number(kCountEdit, count, 1, 99); }
};

TEST(ScriptedServicesTest, AFailedCheckKeepsTheDialogOpenUntilTheValueIsRight) {
    ScriptedUiServices services;
    EventDialog dialog(400, services);
    services.QueueRun().SetText(kCountEdit, "500").Press(kIdOk).SetText(kCountEdit, "42").Press(kIdOk);
    EXPECT_EQ(services.RunModal(dialog), kIdOk);
    EXPECT_EQ(dialog.count, 42);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter a number from 1 to 99.");
    EXPECT_EQ(dialog.cancelPresses, 0);
    EXPECT_FALSE(dialog.HasWindow());
    EXPECT_FALSE(dialog.IsModalRun());
    EXPECT_TRUE(services.RefusedSteps().empty());
}

TEST(ScriptedServicesTest, RunningOutOfStepsPressesCancel) {
    ScriptedUiServices services;
    EventDialog dialog(400, services);
    services.QueueRun().SetText(kCountEdit, "7");
    EXPECT_EQ(services.RunModal(dialog), kIdCancel);
    EXPECT_EQ(dialog.cancelPresses, 1);
    EXPECT_EQ(dialog.count, 5);  // nothing taken
    EXPECT_EQ(services.RunModal(dialog), kIdCancel);  // nothing queued at all
    EXPECT_EQ(dialog.cancelPresses, 2);
    EXPECT_EQ(services.PendingRuns(), 0);
}

TEST(ScriptedServicesTest, ADialogOpenedByAStepTakesTheNextScript) {
    ScriptedUiServices services;
    EventDialog outer(400, services);
    EventDialog inner(401, services);
    outer.inner = &inner;
    services.QueueRun().SetText(kCountEdit, "8").Press(kMoreButton).Press(kIdOk);
    services.QueueRun().SetText(kCountEdit, "9").Press(kIdOk);
    EXPECT_EQ(services.RunModal(outer), kIdOk);
    EXPECT_EQ(outer.innerResult, kIdOk);
    EXPECT_EQ(inner.count, 9);
    EXPECT_EQ(outer.count, 8);
    EXPECT_FALSE(inner.HasWindow());
    std::vector<int> runs;
    for (const ServiceCall& call : services.Log())
        if (call.kind == ServiceCallKind::kRunModal) runs.push_back(call.number);
    EXPECT_EQ(runs, (std::vector<int>{400, 401}));
}

TEST(ScriptedServicesTest, EachStepNotifiesWhatTheUsersActionWould) {
    ScriptedUiServices services;
    EventDialog dialog(400, services);
    services.QueueRun()
        .SetText(kCountEdit, "3")
        .SetText(kKindCombo, "Other")
        .Select(kKindCombo, 1)
        .Check(kFlagCheck)
        .ChooseRadio(kFirstRadio, kSecondRadio, kSecondRadio)
        .SetSlider(kLevelSlider, 25)
        .Notify(kCountEdit, NotifyEvent::kFocusLost)
        .DropFiles({"a.txt", "b.txt"})
        .Press(kIdOk);
    EXPECT_EQ(services.RunModal(dialog), kIdOk);
    const std::vector<std::pair<int, NotifyEvent>> expected = {
        {kCountEdit, NotifyEvent::kTextChanged}, {kKindCombo, NotifyEvent::kEditChanged},
        {kKindCombo, NotifyEvent::kTextChanged}, {kKindCombo, NotifyEvent::kSelectionEnded},
        {kKindCombo, NotifyEvent::kListClosed},  {kFlagCheck, NotifyEvent::kClicked},
        {kSecondRadio, NotifyEvent::kClicked},   {kLevelSlider, NotifyEvent::kSliderMoved},
        {kCountEdit, NotifyEvent::kFocusLost},
    };
    EXPECT_EQ(dialog.events, expected);
    EXPECT_STREQ(dialog.ControlText(kKindCombo), "Tabbed");
    EXPECT_TRUE(dialog.IsChecked(kFlagCheck));
    EXPECT_TRUE(dialog.IsChecked(kSecondRadio));
    EXPECT_EQ(dialog.Value(kLevelSlider), 10);  // kept within the range
    EXPECT_EQ(dialog.dropped, 2u);
}

TEST(ScriptedServicesTest, StepsAUserCouldNotTakeAreRefusedAndLogged) {
    ScriptedUiServices services;
    EventDialog dialog(400, services);
    services.QueueRun()
        .Press(kLockedButton)
        .Press(4242)
        .Select(kKindCombo, 2)
        .ChooseTab(0)
        .Press(kIdOk)
        .SetText(kCountEdit, "6");
    EXPECT_EQ(services.RunModal(dialog), kIdOk);
    std::vector<std::string> refused;
    for (const ServiceCall& call : services.RefusedSteps()) refused.push_back(call.text);
    const std::vector<std::string> expected = {
        "control disabled (control 1006)", "no such control (control 4242)",    "no such entry (control 1002)",
        "no such control (control 12320)", "step after the end (control 1001)",
    };
    EXPECT_EQ(refused, expected);
    EXPECT_EQ(dialog.count, 5);
}

TEST(ScriptedServicesTest, MessageBoxesTakeQueuedAnswersOrTheirDefault) {
    ScriptedUiServices services;
    services.QueueAnswer(MessageAnswer::kYes);
    EXPECT_EQ(services.ShowMessage("Note", "Done"), MessageAnswer::kOk);  // takes no answer
    EXPECT_EQ(services.ShowMessage("Save Changes", "Save?", MessageButtons::kYesNo, MessageIcon::kQuestion, 2),
              MessageAnswer::kYes);
    EXPECT_EQ(services.ShowMessage("Save Changes", "Save?", MessageButtons::kYesNo, MessageIcon::kQuestion, 2),
              MessageAnswer::kNo);
    EXPECT_EQ(services.ShowMessage("Go on", "Go?", MessageButtons::kYesNo, MessageIcon::kQuestion, 1),
              MessageAnswer::kYes);
    // With Cancel as well: each default by its place, and a queued Cancel.
    const struct {
        int defaultButton;
        MessageAnswer answer;
    } defaults[] = {{1, MessageAnswer::kYes}, {2, MessageAnswer::kNo}, {3, MessageAnswer::kCancel}};
    for (const auto& byDefault : defaults)
        EXPECT_EQ(services.ShowMessage("Save Changes", "Save?", MessageButtons::kYesNoCancel, MessageIcon::kQuestion,
                                       byDefault.defaultButton),
                  byDefault.answer);
    services.QueueAnswer(MessageAnswer::kCancel);
    EXPECT_EQ(services.ShowMessage("Save", "?", MessageButtons::kYesNoCancel, MessageIcon::kQuestion, 2),
              MessageAnswer::kCancel);
    // A box without Cancel takes a queued Cancel as its default.
    services.QueueAnswer(MessageAnswer::kCancel);
    EXPECT_EQ(services.ShowMessage("Go on", "Go?", MessageButtons::kYesNo, MessageIcon::kQuestion, 2),
              MessageAnswer::kNo);
    const std::vector<ServiceCall> messages = services.Messages();
    ASSERT_EQ(messages.size(), 9u);
    EXPECT_EQ(messages[1].caption, "Save Changes");
    EXPECT_EQ(messages[1].text, "Save?");
    EXPECT_EQ(messages[1].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(messages[1].icon, MessageIcon::kQuestion);
    EXPECT_EQ(messages[1].number, 2);
}

TEST(ScriptedServicesTest, ChoosersTakeQueuedResultsAndOtherwiseChooseNothing) {
    ScriptedUiServices services;
    services.QueueFile("/in/a.txt");
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
    services.QueueFile("/out/b.rtf");
    services.QueueFolder("/out/");
    services.QueueFiles({"/in/a.txt", "/in/b.txt"});
    services.QueueColour(0x00ff00);
    services.QueueFont({"Courier", 700, true, 10});

    TextString path("/start/*.txt");
    EXPECT_TRUE(services.ChooseFile(false, "Open", "Text files|*.txt||", path));
    EXPECT_EQ(path, "/in/a.txt");
    EXPECT_FALSE(services.ChooseFile(false, "Open", "", path));
    EXPECT_EQ(path, "/in/a.txt");
    EXPECT_TRUE(services.ChooseFile(true, "Save", "", path));
    EXPECT_EQ(path, "/out/b.rtf");
    EXPECT_FALSE(services.ChooseFile(true, "Save", "", path));  // queue empty
    TextString folder;
    EXPECT_TRUE(services.ChooseFolder("Output", folder));
    EXPECT_EQ(folder, "/out/");
    EXPECT_FALSE(services.ChooseFolder("Output", folder));
    std::vector<TextString> paths;
    EXPECT_TRUE(services.ChooseFiles("Files", "", paths));
    EXPECT_EQ(paths.size(), 2u);
    PlatformColour colour = 0;
    EXPECT_TRUE(services.ChooseColour(colour));
    EXPECT_EQ(colour, 0x00ff00u);
    EXPECT_FALSE(services.ChooseColour(colour));
    FontChoice font;
    EXPECT_TRUE(services.ChooseFont(font));
    EXPECT_EQ(font.face, "Courier");
    EXPECT_FALSE(services.ChooseFont(font));
    EXPECT_EQ(font.pointSize, 10);

    const ServiceCall& first = services.Log()[0];
    EXPECT_EQ(first.kind, ServiceCallKind::kChooseFile);
    EXPECT_EQ(first.caption, "Open");
    EXPECT_EQ(first.text, "Text files|*.txt||");
    EXPECT_EQ(first.path, "/start/*.txt");
    EXPECT_FALSE(first.forSaving);
    EXPECT_TRUE(services.Log()[2].forSaving);
}

TEST(ScriptedServicesTest, TheLogKeepsEveryCallInOrder) {
    ScriptedUiServices services;
    EXPECT_EQ(services.GetDesktopSize().width, 1024);
    services.SetDesktopSize(1600, 900);
    EXPECT_EQ(services.GetDesktopSize().height, 900);
    {
        WaitCursor outer(services);
        WaitCursor inner(services);
        EXPECT_EQ(services.WaitCursorDepth(), 2);
        EXPECT_TRUE(services.SetClipboardText("<p>table</p>"));
    }
    EXPECT_EQ(services.WaitCursorDepth(), 0);
    EXPECT_EQ(services.ClipboardText(), "<p>table</p>");
    services.ShowMessageSlots(0, 0);
    const std::vector<ServiceCallKind> expected = {
        ServiceCallKind::kDesktopSize,     ServiceCallKind::kDesktopSize, ServiceCallKind::kBeginWaitCursor,
        ServiceCallKind::kBeginWaitCursor, ServiceCallKind::kClipboard,   ServiceCallKind::kEndWaitCursor,
        ServiceCallKind::kEndWaitCursor,   ServiceCallKind::kMessage,
    };
    std::vector<ServiceCallKind> kinds;
    for (const ServiceCall& call : services.Log()) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(services.Log()[4].text, "<p>table</p>");
    services.ClearLog();
    EXPECT_TRUE(services.Log().empty());
}

}  // namespace
