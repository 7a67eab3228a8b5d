#include "ui/sheet_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"
#include "ui/scripted_services.h"

namespace {

constexpr int kCountEdit = 1100;

// A page that writes what happens to it into a shared journal and takes a
// count from 1 to 9.
class JournalPage : public DialogModel {
public:
    JournalPage(int templateId, UiServices& services, std::vector<std::string>& journal)
        : DialogModel(templateId, services), journal_(journal) {
        AddControl(kCountEdit, ControlKind::kEdit);
        On(kWholeDialog, NotifyEvent::kPageActivated, [this] { Write("activated"); });
        On(kWholeDialog, NotifyEvent::kPageLeft, [this] { Write("left"); });
    }
    int count = 1;

protected:
    void OnInitDialog() override {
        Write("created");
        UpdateData(false);
    }
    void OnDestroy() override { Write("destroyed"); }
    void ExchangeData(DataExchange& dx) override { dx.Number(kCountEdit, count, 1, 9); }

private:
    void Write(const char* what) { journal_.push_back(std::string(what) + " " + std::to_string(TemplateId())); }
    std::vector<std::string>& journal_;
};

// A sheet of three pages that counts what its buttons did.
class TestSheet : public SheetModel {
public:
    TestSheet(UiServices& services, ApplyButton apply = ApplyButton::kWith)
        : SheetModel(300, services, apply),
          first(301, services, journal),
          second(302, services, journal),
          third(303, services, journal) {
        AddPage(first, "First");
        AddPage(second, "Second");
        AddPage(third, "Third");
    }
    std::vector<std::string> journal;
    JournalPage first, second, third;
    int stored = 0, applied = 0, cancelled = 0;
    bool acceptOk = true;

protected:
    bool OnSheetOk() override {
        if (!acceptOk) return false;
        if (ChangesPending()) ++stored;
        return true;
    }
    bool OnSheetApply() override {
        ++applied;
        return true;
    }
    void OnSheetCancel() override { ++cancelled; }
};

class ChangeRecorder : public DialogObserver {
public:
    std::vector<int> changed;
    void OnWindowStep(DialogModel&, WindowStep) override {}
    void OnControlChanged(DialogModel&, int id) override { changed.push_back(id); }
};

struct ButtonCase {
    SheetModel::ApplyButton apply;
    std::vector<int> buttons;
};

TEST(SheetModelTest, TheStandardButtonsWithAndWithoutApply) {
    const ButtonCase cases[] = {
        {SheetModel::ApplyButton::kWith, {kIdOk, kIdCancel, kIdHelp, kIdApply}},
        {SheetModel::ApplyButton::kWithout, {kIdOk, kIdCancel, kIdHelp}},
    };
    for (const ButtonCase& c : cases) {
        ScriptedUiServices services;
        TestSheet sheet(services, c.apply);
        const bool withApply = c.apply == SheetModel::ApplyButton::kWith;
        EXPECT_EQ(sheet.HasApplyButton(), withApply);
        for (int id : c.buttons) {
            ASSERT_NE(sheet.Control(id), nullptr) << id;
            EXPECT_EQ(sheet.Control(id)->kind, ControlKind::kPushButton) << id;
        }
        EXPECT_EQ(sheet.HasControl(kIdApply), withApply);
        EXPECT_STREQ(sheet.ControlText(kIdHelp), "Help");

        // Without a window a change only marks the sheet.
        sheet.SetModified(true);
        EXPECT_TRUE(sheet.ChangesPending());
        EXPECT_EQ(sheet.IsEnabled(kIdApply), withApply);  // no window: untouched
        sheet.ClearChangesPending();

        // A fresh window starts with Apply disabled; a change enables it,
        // and only a marked change is pending.
        sheet.CreateWindow();
        EXPECT_FALSE(sheet.IsEnabled(kIdApply));
        sheet.SetModified(false);
        EXPECT_EQ(sheet.IsEnabled(kIdApply), withApply);
        EXPECT_FALSE(sheet.ChangesPending());
        sheet.SetModified(true);
        EXPECT_TRUE(sheet.ChangesPending());

        // Apply stores and is disabled again until the next change.
        EXPECT_EQ(sheet.Notify(kIdApply, NotifyEvent::kClicked), withApply);
        EXPECT_EQ(sheet.applied, withApply ? 1 : 0);
        EXPECT_FALSE(sheet.IsEnabled(kIdApply));
        sheet.Notify(kIdApply, NotifyEvent::kClicked);  // disabled: not pressed
        EXPECT_EQ(sheet.applied, withApply ? 1 : 0);
    }
}

TEST(SheetModelTest, PagesAreMadeWhenFirstShownAndHearWhenTheyAreLeft) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    EXPECT_EQ(sheet.PageCount(), 3);
    EXPECT_EQ(sheet.ActivePageIndex(), 0);
    EXPECT_TRUE(sheet.SetActivePage(1));  // no window yet: only chosen
    EXPECT_TRUE(sheet.journal.empty());
    sheet.CreateWindow();
    sheet.ShowWindow();
    EXPECT_TRUE(sheet.SetActivePage(sheet.third));
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_TRUE(sheet.SetActivePage(1));  // already active: nothing
    EXPECT_FALSE(sheet.SetActivePage(3));
    EXPECT_FALSE(sheet.SetActivePage(-1));
    const std::vector<std::string> expected = {"created 302",   "activated 302", "left 302",     "created 303",
                                               "activated 303", "left 303",      "activated 302"};
    EXPECT_EQ(sheet.journal, expected);
    EXPECT_FALSE(sheet.first.HasWindow());
    EXPECT_TRUE(sheet.second.IsShown());
    EXPECT_TRUE(sheet.third.HasWindow());
    EXPECT_FALSE(sheet.third.IsShown());
    EXPECT_EQ(sheet.Selection(kIdTabControl), 1);
    EXPECT_EQ(sheet.ActivePage(), &sheet.second);
}

TEST(SheetModelTest, APageWithAValueOutOfRangeIsNotLeft) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    sheet.CreateWindow();
    sheet.first.SetControlText(kCountEdit, "12");
    // The user clicks the second tab: the front end writes the selection.
    sheet.SetSelection(kIdTabControl, 1);
    sheet.Notify(kIdTabControl, NotifyEvent::kSelectionEnded);
    EXPECT_EQ(sheet.ActivePageIndex(), 0);
    EXPECT_EQ(sheet.Selection(kIdTabControl), 0);
    EXPECT_FALSE(sheet.second.HasWindow());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(sheet.first.FocusedControl(), kCountEdit);
    sheet.first.SetControlText(kCountEdit, "7");
    sheet.SetSelection(kIdTabControl, 1);
    sheet.Notify(kIdTabControl, NotifyEvent::kSelectionEnded);
    EXPECT_EQ(sheet.ActivePageIndex(), 1);
    EXPECT_EQ(sheet.first.count, 7);
    EXPECT_EQ(services.Messages().size(), 1u);
}

TEST(SheetModelTest, TheKeyboardStepsRoundTheTabsAsClicksOnThemWould) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    sheet.CreateWindow();
    const struct {
        NotifyEvent step;
        int page;
    } steps[] = {
        {NotifyEvent::kNextTab, 1},     {NotifyEvent::kNextTab, 2},     {NotifyEvent::kNextTab, 0},
        {NotifyEvent::kPreviousTab, 2}, {NotifyEvent::kPreviousTab, 1}, {NotifyEvent::kPreviousTab, 0},
    };
    for (const auto& step : steps) {
        sheet.Notify(kIdTabControl, step.step);
        EXPECT_EQ(sheet.ActivePageIndex(), step.page);
        EXPECT_EQ(sheet.Selection(kIdTabControl), step.page);
        EXPECT_TRUE(sheet.Page(step.page).IsShown());
    }
    // A page whose value fails is not left by the keyboard either.
    sheet.first.SetControlText(kCountEdit, "12");
    sheet.Notify(kIdTabControl, NotifyEvent::kPreviousTab);
    EXPECT_EQ(sheet.ActivePageIndex(), 0);
    EXPECT_EQ(sheet.Selection(kIdTabControl), 0);
    EXPECT_EQ(services.Messages().size(), 1u);
}

TEST(SheetModelTest, DestroyingTheSheetDestroysThePagesWindows) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    sheet.CreateWindow();
    sheet.SetActivePage(2);
    sheet.journal.clear();
    sheet.DestroyWindow();
    const std::vector<std::string> expected = {"destroyed 301", "destroyed 303"};
    EXPECT_EQ(sheet.journal, expected);
    for (const DialogModel* page : {&sheet.first, &sheet.second, &sheet.third}) EXPECT_FALSE(page->HasWindow());
    // The next window starts on the page that was active, made afresh.
    sheet.journal.clear();
    sheet.CreateWindow();
    EXPECT_EQ(sheet.journal, (std::vector<std::string>{"created 303", "activated 303"}));
}

TEST(SheetModelTest, OkCancelAndTheCloseBoxCloseAModelessSheet) {
    struct Case {
        int id;
        NotifyEvent event;
        bool pending;
        int result, stored, cancelled;
    };
    const Case cases[] = {
        {kIdOk, NotifyEvent::kClicked, false, kIdOk, 0, 0},
        {kIdOk, NotifyEvent::kClicked, true, kIdOk, 1, 0},
        {kIdCancel, NotifyEvent::kClicked, true, kIdCancel, 0, 1},
        {kWholeDialog, NotifyEvent::kCloseBox, true, kIdCancel, 0, 1},
    };
    for (const Case& c : cases) {
        ScriptedUiServices services;
        TestSheet sheet(services);
        sheet.CreateWindow();
        sheet.ShowWindow();
        if (c.pending) sheet.SetModified(true);
        sheet.Notify(c.id, c.event);
        EXPECT_TRUE(sheet.IsEnded()) << c.id;
        EXPECT_EQ(sheet.Result(), c.result) << c.id;
        EXPECT_EQ(sheet.stored, c.stored) << c.id;
        EXPECT_EQ(sheet.cancelled, c.cancelled) << c.id;
        EXPECT_FALSE(sheet.HasWindow()) << c.id;
        EXPECT_FALSE(sheet.first.HasWindow()) << c.id;
        sheet.CreateWindow();  // opened again
        EXPECT_FALSE(sheet.IsEnded()) << c.id;
        EXPECT_TRUE(sheet.first.HasWindow()) << c.id;
    }
}

TEST(SheetModelTest, ARefusedOkOrABadPageValueKeepsTheSheetOpen) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    sheet.CreateWindow();
    sheet.acceptOk = false;
    sheet.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(sheet.IsEnded());
    EXPECT_TRUE(sheet.HasWindow());
    sheet.acceptOk = true;
    sheet.first.SetControlText(kCountEdit, "0");
    sheet.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(sheet.IsEnded());
    EXPECT_EQ(services.Messages().size(), 1u);
    sheet.first.SetControlText(kCountEdit, "3");
    sheet.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_TRUE(sheet.IsEnded());
    EXPECT_EQ(sheet.first.count, 3);
}

TEST(SheetModelTest, TabLabelsAndTheActivePageReachTheObserverAsTheTabControl) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    EXPECT_STREQ(sheet.TabLabel(1), "Second");
    EXPECT_STREQ(sheet.TabLabel(3), "");
    ChangeRecorder recorder;
    sheet.SetObserver(&recorder);
    sheet.SetTabLabel(1, "Zweite");
    sheet.SetTabLabel(7, "none");  // no such tab: skipped
    EXPECT_STREQ(sheet.TabLabel(1), "Zweite");
    EXPECT_EQ(recorder.changed, std::vector<int>{kIdTabControl});
    recorder.changed.clear();
    sheet.SetActivePage(2);
    EXPECT_EQ(recorder.changed, std::vector<int>{kIdTabControl});
    EXPECT_EQ(sheet.Control(kIdTabControl)->kind, ControlKind::kTabs);
    EXPECT_EQ(sheet.PageIndex(sheet.first), 0);
    JournalPage stranger(999, services, sheet.journal);
    EXPECT_EQ(sheet.PageIndex(stranger), -1);
    EXPECT_FALSE(sheet.SetActivePage(stranger));
}

TEST(SheetModelTest, AModalSheetRunsThroughTheServices) {
    ScriptedUiServices services;
    TestSheet sheet(services);
    services.QueueRun()
        .Press(kIdApply)  // disabled: refused
        .ChooseTab(2)
        .SetText(kCountEdit, "4")  // on the active page
        .Press(kIdOk);
    EXPECT_EQ(services.RunModal(sheet), kIdOk);
    EXPECT_EQ(sheet.third.count, 4);
    EXPECT_EQ(sheet.applied, 0);
    ASSERT_EQ(services.RefusedSteps().size(), 1u);
    EXPECT_EQ(services.RefusedSteps()[0].text, "control disabled (control 12321)");
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_FALSE(sheet.third.HasWindow());
    EXPECT_FALSE(sheet.IsModalRun());
}

}  // namespace
