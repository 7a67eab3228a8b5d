// The "Analysis Policies" sheet on a real display (Xvfb), opened from the
// main window's menu: the menu's topic is the tab shown, a slider moved and
// a box ticked on the page enable Apply, and OK stores both.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/slider.h>
#include <wx/toplevel.h>

#include <memory>

#include "foundation/run_status.h"
#include "gui/main_frame.h"
#include "gui/menu_bar_view.h"
#include "gui/model_window.h"
#include "gui/sheet_window.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "policies/tab_config.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "ui/analysis_sheet.h"
#include "ui/main_window.h"
#include "ui/scripted_services.h"
#include "ui/status_window.h"

namespace {

TEST(AnalysisSheetWindowTest, TheSheetOpensFromTheMenuAndOkStoresTheMovedSliderAndTheTickedBox) {
    TempFolder folder("analysis_sheet_window");
    ASSERT_TRUE(folder.Made());
    TheConsoleStatus().consoleEcho = false;
    ScriptedUiServices services;
    auto main = std::make_unique<MainWindow>(services, (folder / "settings").string());
    main->settings.viewResults = false;
    main->settings.autoDdeUpdates = false;
    auto frame = std::make_unique<MainFrame>(*main);
    main->Show();
    Pump(100);

    frame->MenuBar().Command(kCommandAnalysisTables);
    SheetAnalysis* sheet = main->AnalysisSheet();
    ASSERT_NE(sheet, nullptr);
    SheetWindow* view = frame->SheetView(*sheet);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->View().Window(), nullptr);
    EXPECT_TRUE(view->View().Window()->IsShown());
    EXPECT_EQ(FromWx(static_cast<wxTopLevelWindow*>(view->View().Window())->GetTitle()), "Analysis Policies");
    auto* tabs = dynamic_cast<wxNotebook*>(view->View().Widget(kIdTabControl));
    ASSERT_NE(tabs, nullptr);
    const int tablePage = sheet->PageIndex(sheet->tableAnalysis);
    EXPECT_EQ(tabs->GetSelection(), tablePage);
    ModelWindow* page = view->PageView(tablePage);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(view->View().Widget(kIdApply)->IsEnabled()) << "loading the pages is no change";

    // The merging slider runs from 0 to 10 and stands at the set's value.
    auto* slider = dynamic_cast<wxSlider*>(page->Widget(TabAnalPage::kMergingFactor));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetMin(), 0);
    EXPECT_EQ(slider->GetMax(), 10);
    EXPECT_EQ(slider->GetValue(), main->WorkingSet().GetDefaultTabConfig()->GetInt(TabPol::MergingFactor));
    slider->SetValue(9);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    moved.SetInt(9);
    slider->HandleWindowEvent(moved);
    EXPECT_TRUE(view->View().Widget(kIdApply)->IsEnabled());

    auto* sparse = dynamic_cast<wxCheckBox*>(page->Widget(TabAnalPage::kSparseColumns));
    ASSERT_NE(sparse, nullptr);
    EXPECT_TRUE(tabs->GetPage(static_cast<size_t>(tablePage))->IsDescendant(sparse));
    sparse->SetValue(true);
    Click(sparse);
    EXPECT_FALSE(main->WorkingSet().GetDefaultTabConfig()->IsSet(TabPol::ExpectSparseTables));

    Click(view->View().Widget(kIdOk));
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_EQ(view->View().Window(), nullptr);
    const TabConfig& stored = *main->WorkingSet().GetDefaultTabConfig();
    EXPECT_EQ(stored.GetInt(TabPol::MergingFactor), 9);
    EXPECT_TRUE(stored.IsSet(TabPol::MergingFactor));
    EXPECT_EQ(stored.GetInt(TabPol::ExpectSparseTables), 1);
    EXPECT_TRUE(stored.IsSet(TabPol::ExpectSparseTables));
    EXPECT_EQ(main->policiesEdited, 1);

    frame.reset();
    main.reset();
    AttachStatusWindow(nullptr);
    TheConsoleStatus().consoleEcho = true;
}

}  // namespace
