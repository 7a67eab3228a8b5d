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

#include "gui/model_window.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "texts/dialog_ids.h"
#include "ui/scripted_services.h"
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
    EXPECT_EQ(window.PageView(1)->Panel(), nullptr);
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

}  // namespace
