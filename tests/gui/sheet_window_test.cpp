// A property sheet's window on a real display (Xvfb), on a small sheet of
// two pages: each page's controls on its tab, mirrored both ways, the pages
// switched both ways, Apply showing the sheet's enabling, the pages' widgets
// going with the sheet's window and coming back with the next.
#include "gui/sheet_window.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <string>

#include "app/base_dialog.h"
#include "gui/desktop_services.h"
#include "gui/model_window.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "texts/dialog_ids.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"
#include "texts/sheet_topics.h"
#include "ui/output_sheet.h"
#include "ui/output_sheet_layout.h"
#include "ui/sheet_model.h"
#include "ui/window_layout.h"

namespace {

constexpr int kNameEdit = 10;
constexpr int kWrapCheck = 20;

class TwoPageSheet : public SheetModel {
public:
    explicit TwoPageSheet(UiServices& services)
        : SheetModel(800, services), first(801, services), second(802, services) {
        first.AddControl(kNameEdit, ControlKind::kEdit);
        second.AddControl(kWrapCheck, ControlKind::kCheckBox, "Wrap");
        first.On(kNameEdit, NotifyEvent::kTextChanged, [this] { SetModified(true); });
        AddPage(first, "First");
        AddPage(second, "Second");
    }
    DialogModel first;
    DialogModel second;
    int applied = 0;

protected:
    bool OnSheetApply() override {
        ++applied;
        return true;
    }
};

const SheetDescription kDescription{SheetFrameDescription(800),
                                    {{801, {{kNoControl, {{{{kNameEdit, ControlKind::kEdit, true}}}}}}},
                                     {802, {{kNoControl, {{{{kWrapCheck, ControlKind::kCheckBox}}}}}}}}};

TEST(SheetWindowTest, PagesAreShownOnTheirTabsAndMirroredBothWays) {
    ScriptedUiServices services;
    TwoPageSheet sheet(services);
    ASSERT_TRUE(SheetDescriptionMismatches(kDescription, sheet).empty());
    SheetWindow window(sheet, kDescription);
    sheet.CreateWindow();
    sheet.ShowWindow();
    ASSERT_NE(window.View().Window(), nullptr);
    auto* tabs = dynamic_cast<wxNotebook*>(window.View().Widget(kIdTabControl));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetPageCount(), 2u);
    EXPECT_EQ(FromWx(tabs->GetPageText(1)), "Second");

    // The first page is built on its tab; the second waits for its showing.
    auto* edit = dynamic_cast<wxTextCtrl*>(window.PageView(0)->Widget(kNameEdit));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(tabs->GetPage(0)->IsDescendant(edit));
    // Every page is built with the sheet, the second one not made yet.
    ASSERT_NE(window.PageView(1)->Panel(), nullptr);
    EXPECT_FALSE(sheet.second.HasWindow());
    EXPECT_TRUE(tabs->GetPage(1)->IsDescendant(window.PageView(1)->Widget(kWrapCheck)));
    EXPECT_FALSE(window.View().Widget(kIdApply)->IsEnabled());

    // A page's control both ways; the page's change enables Apply.
    sheet.first.SetControlText(kNameEdit, "from the model");
    EXPECT_EQ(FromWx(edit->GetValue()), "from the model");
    EXPECT_FALSE(window.View().Widget(kIdApply)->IsEnabled()) << "filling a control is no change of the user's";
    edit->SetValue("typed");
    EXPECT_STREQ(sheet.first.ControlText(kNameEdit), "typed");
    EXPECT_TRUE(window.View().Widget(kIdApply)->IsEnabled());
    Click(window.View().Widget(kIdApply));
    EXPECT_EQ(sheet.applied, 1);
    EXPECT_FALSE(window.View().Widget(kIdApply)->IsEnabled());

    // The sheet switches the page: the tab follows, the page is built there.
    ASSERT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(tabs->GetSelection(), 1);
    auto* check = dynamic_cast<wxCheckBox*>(window.PageView(1)->Widget(kWrapCheck));
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(tabs->GetPage(1)->IsDescendant(check));
    check->SetValue(true);
    Click(check);
    EXPECT_TRUE(sheet.second.IsChecked(kWrapCheck));

    // The user clicks a tab: the sheet switches.
    tabs->SetSelection(0);
    EXPECT_EQ(sheet.ActivePageIndex(), 0);
    EXPECT_EQ(tabs->GetSelection(), 0);

    // A tab relabelled keeps its page and what it holds.
    sheet.SetTabLabel(1, "Zweite");
    EXPECT_EQ(FromWx(tabs->GetPageText(1)), "Zweite");
    EXPECT_EQ(window.PageView(1)->Widget(kWrapCheck), check);

    // OK closes the modeless sheet: its window and the pages' widgets go,
    // and the next window builds them again.
    Click(window.View().Widget(kIdOk));
    EXPECT_FALSE(sheet.HasWindow());
    EXPECT_EQ(window.View().Window(), nullptr);
    EXPECT_EQ(window.PageView(0)->Panel(), nullptr);
    EXPECT_EQ(window.PageView(1)->Panel(), nullptr);
    Pump(50);
    sheet.CreateWindow();
    sheet.ShowWindow();
    ASSERT_NE(window.PageView(0)->Widget(kNameEdit), nullptr);
    EXPECT_EQ(FromWx(static_cast<wxTextCtrl*>(window.PageView(0)->Widget(kNameEdit))->GetValue()), "typed");
    sheet.DestroyWindow();
}

// The advanced options record as text, to compare the two runs.
std::string RecordOf(const MoreHtmlOptions& a) {
    return a.fragmentsFile.str() + "|" + std::to_string(a.omitHeadAndBody) + "|" +
           std::to_string(a.generatorComment) + "|" + a.baseUrl.str() + "|" + a.charset.str() + "|" +
           std::to_string(a.fragmentsFileSet) + std::to_string(a.omitHeadAndBodySet) +
           std::to_string(a.generatorCommentSet) + std::to_string(a.baseUrlSet) + std::to_string(a.charsetSet);
}

TEST(SheetWindowTest, TheAdvancedHtmlOptionsOpenAsTheirOwnWindowFromTheAddedHtmlTab) {
    TempFolder temp{"advanced options window"};
    ASSERT_TRUE(temp.Made());
    constexpr char kBase[] = "http://example.org/docs/";

    // On the screen: the page's button opens the dialog's window; the user
    // ticks a box, types a base URL and presses OK.
    DesktopServices desktop;
    MainDialog owner(desktop, (temp / "settings").string());
    owner.settings.displayToolTips = false;
    Sheet sheet(owner, desktop);
    SheetWindow window(sheet, OutputSheetLayout());
    sheet.Open(owner.WorkingSet(), owner.WorkingSet(), owner.SixthSet(), kTopicTitleAndDescription);
    ModelWindow* page = window.PageView(sheet.PageIndex(sheet.addedHtml));
    ASSERT_NE(page->Widget(AddedHTMLPage::kAdvancedOptions), nullptr);
    bool seen = false;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const MoreHtmlOptionsDialog* dialog = sheet.addedHtml.OpenAdvancedDialog();
        auto* view = dialog == nullptr ? nullptr : dynamic_cast<ModelWindow*>(dialog->Observer());
        if (view == nullptr || view->Window() == nullptr || !view->Window()->IsShown()) return;
        timer.Stop();
        seen = true;
        auto* omit = dynamic_cast<wxCheckBox*>(view->Widget(MoreHtmlOptionsDialog::kOmitHeadAndBody));
        auto* base = dynamic_cast<wxTextCtrl*>(view->Widget(MoreHtmlOptionsDialog::kBaseUrl));
        if (omit == nullptr || base == nullptr) {
            Click(view->Widget(kIdCancel));
            return;
        }
        omit->SetValue(true);
        Click(omit);
        base->SetValue(kBase);
        Click(view->Widget(kIdOk));
    });
    timer.Start(50);
    Click(page->Widget(AddedHTMLPage::kAdvancedOptions));
    timer.Stop();
    EXPECT_TRUE(seen) << "the advanced options had no window";
    EXPECT_EQ(sheet.addedHtml.OpenAdvancedDialog(), nullptr);
    sheet.DestroyWindow();

    // Headless, the same steps scripted.
    ScriptedUiServices services;
    MainDialog headlessOwner(services, (temp / "headless settings").string());
    Sheet headless(headlessOwner, services);
    headless.Open(headlessOwner.WorkingSet(), headlessOwner.WorkingSet(), headlessOwner.SixthSet(),
                  kTopicTitleAndDescription);
    services.QueueRun()
        .Check(MoreHtmlOptionsDialog::kOmitHeadAndBody)
        .SetText(MoreHtmlOptionsDialog::kBaseUrl, kBase)
        .Press(kIdOk);
    headless.addedHtml.Notify(AddedHTMLPage::kAdvancedOptions, NotifyEvent::kClicked);

    const MoreHtmlOptions& stored = sheet.addedHtml.AdvancedOptions();
    EXPECT_EQ(stored.omitHeadAndBody, 1);
    EXPECT_TRUE(stored.omitHeadAndBodySet);
    EXPECT_EQ(stored.baseUrl.str(), kBase);
    EXPECT_FALSE(stored.charsetSet) << "what the user left alone is not stored";
    EXPECT_EQ(RecordOf(stored), RecordOf(headless.addedHtml.AdvancedOptions()));
    EXPECT_TRUE(sheet.IsEnabled(kIdApply) == headless.IsEnabled(kIdApply));
}

}  // namespace
