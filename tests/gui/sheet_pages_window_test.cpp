// The three property sheets of the program on a real display (Xvfb), as a
// person meets them: a page shown first in a later opening of its sheet
// shows what it shows in a first opening, control by control; and
// Ctrl+PageDown, typed on the keyboard, walks the tabs of a sheet even from
// a list, which would take the key for its own steps.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "gui/main_frame.h"
#include "gui/model_window.h"
#include "gui/sheet_window.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "ui/main_window.h"
#include "ui/output_sheet.h"
#include "ui/scripted_services.h"
#include "ui/status_window.h"

namespace {

// Long enough for the toolkit to show and lay out a page.
constexpr int kSettleMs = 200;

// One menu command of each sheet.
constexpr int kSheetCommands[] = {kCommandOutputTitleAndDescription, kCommandAnalysisFileStructure,
                                  kCommandSettingsDocumentation};

// The main window on the display, with scripted message boxes.
struct Screen {
    TempFolder folder;
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<MainFrame> frame;

    explicit Screen(const char* name) : folder(name) {
        main = std::make_unique<MainWindow>(services, (folder / "settings").string());
        main->settings.displayToolTips = false;
        frame = std::make_unique<MainFrame>(*main);
        main->Show();
        Pump(kSettleMs);
    }
    ~Screen() {
        frame.reset();
        main.reset();
        AttachStatusWindow(nullptr);
    }
    SheetModel& SheetOf(int command) const {
        main->OnCommand(command);
        Pump(kSettleMs);
        for (SheetModel* sheet : main->Sheets())
            if (sheet->HasWindow() && sheet->IsShown()) return *sheet;
        ADD_FAILURE() << "no sheet shows after command " << command;
        return *main->Sheets().front();
    }
    SheetWindow& ViewOf(const SheetModel& sheet) const { return *frame->SheetView(sheet); }
};

// What one widget shows: its kind, text, value, entries, enabling and
// whether it is shown.
std::string Shown(wxWindow* widget) {
    if (widget == nullptr) return "(no widget)";
    std::string state;
    if (auto* box = dynamic_cast<wxStaticBox*>(widget)) {
        state = "box '" + FromWx(box->GetLabelText()) + "'";
    } else if (auto* check = dynamic_cast<wxCheckBox*>(widget)) {
        state = "check '" + FromWx(check->GetLabelText()) + (check->GetValue() ? "' on" : "' off");
    } else if (auto* radio = dynamic_cast<wxRadioButton*>(widget)) {
        state = "radio '" + FromWx(radio->GetLabelText()) + (radio->GetValue() ? "' on" : "' off");
    } else if (auto* button = dynamic_cast<wxButton*>(widget)) {
        state = "button '" + FromWx(button->GetLabelText()) + "'";
    } else if (auto* label = dynamic_cast<wxStaticText*>(widget)) {
        state = "label '" + FromWx(label->GetLabelText()) + "'";
    } else if (auto* combo = dynamic_cast<wxComboBox*>(widget)) {
        state = "combo '" + FromWx(combo->GetValue()) + "' of " + std::to_string(combo->GetCount());
    } else if (auto* edit = dynamic_cast<wxTextCtrl*>(widget)) {
        state = "edit '" + FromWx(edit->GetValue()) + "'";
    } else if (auto* list = dynamic_cast<wxListBox*>(widget)) {
        state = "list of " + std::to_string(list->GetCount()) + " at " + std::to_string(list->GetSelection());
        if (list->GetCount() > 0) state += " '" + FromWx(list->GetString(0)) + "'...";
    } else if (auto* slider = dynamic_cast<wxSlider*>(widget)) {
        state = "slider " + std::to_string(slider->GetValue()) + " of " + std::to_string(slider->GetMin()) + ".." +
                std::to_string(slider->GetMax());
    } else {
        state = "other";
    }
    return state + (widget->IsEnabled() ? "" : " disabled") + (widget->IsShown() ? "" : " hidden");
}

// Every control of every page of the sheet, each page shown in turn (first
// the page the sheet opened on), keyed "page/control".
std::map<std::string, std::string> ShowEveryPage(SheetModel& sheet, const SheetWindow& view) {
    std::map<std::string, std::string> shown;
    for (int i = 0; i < sheet.PageCount(); ++i) {
        EXPECT_TRUE(sheet.SetActivePage(i));
        Pump(kSettleMs);
        const ModelWindow* page = view.PageView(i);
        for (const int id : sheet.Page(i).ControlIds())
            shown[std::to_string(sheet.Page(i).TemplateId()) + "/" + std::to_string(id)] = Shown(page->Widget(id));
    }
    return shown;
}

class SheetPagesWindowTest : public testing::Test {
protected:
    void SetUp() override { TheConsoleStatus().consoleEcho = false; }
};

TEST_F(SheetPagesWindowTest, APageFirstShownInALaterOpeningShowsWhatAFirstOpeningShows) {
    // Each page of each sheet shown in the sheet's first opening.
    std::map<int, std::map<std::string, std::string>> first;
    {
        Screen screen("sheet pages first");
        for (const int command : kSheetCommands) {
            SheetModel& sheet = screen.SheetOf(command);
            first[command] = ShowEveryPage(sheet, screen.ViewOf(sheet));
            sheet.Notify(kIdCancel, NotifyEvent::kClicked);
        }
    }
    // Opened, one page looked at, cancelled; opened again and every page
    // shown: the pages not looked at before are built for this opening.
    Screen screen("sheet pages later");
    for (const int command : kSheetCommands) {
        SheetModel& sheet = screen.SheetOf(command);
        sheet.Notify(kIdCancel, NotifyEvent::kClicked);
        Pump(kSettleMs);
        SheetModel& again = screen.SheetOf(command);
        ASSERT_EQ(&again, &sheet);
        const std::map<std::string, std::string> later = ShowEveryPage(sheet, screen.ViewOf(sheet));
        ASSERT_EQ(later.size(), first[command].size());
        for (const auto& [control, state] : first[command]) {
            const auto found = later.find(control);
            ASSERT_NE(found, later.end()) << control;
            EXPECT_EQ(found->second, state) << control;
        }
        // A third opening, after every page was shown in the second.
        sheet.Notify(kIdCancel, NotifyEvent::kClicked);
        Pump(kSettleMs);
        screen.SheetOf(command);
        EXPECT_EQ(ShowEveryPage(sheet, screen.ViewOf(sheet)), first[command]);
        sheet.Notify(kIdCancel, NotifyEvent::kClicked);
    }
}

TEST_F(SheetPagesWindowTest, CtrlPageDownWalksTheTabsFromAListAndCtrlPageUpComesBack) {
    Screen screen("sheet keys");
    SheetModel& sheet = screen.SheetOf(kCommandOutputRtfSettings);
    auto& output = static_cast<Sheet&>(sheet);
    const int rtfSettings = sheet.PageIndex(output.rtfSettings);
    ASSERT_EQ(sheet.ActivePageIndex(), rtfSettings);
    SheetWindow& view = screen.ViewOf(sheet);
    wxTopLevelWindow* top = view.View().Window();
    ASSERT_NE(top, nullptr);
    auto* tabs = dynamic_cast<wxNotebook*>(view.View().Widget(kIdTabControl));
    ASSERT_NE(tabs, nullptr);
    // The keys go where the desktop sends them: the sheet is the active
    // window and the document-language list has the focus.
    top->Raise();
    top->SetFocus();
    wxWindow* list = view.PageView(rtfSettings)->Widget(RTFSettingsPage::kLanguage);
    ASSERT_NE(dynamic_cast<wxListBox*>(list), nullptr);
    list->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == list; }, 2000)) << "the list never had the focus";

    wxUIActionSimulator keyboard;
    const auto press = [&](int key) {
        keyboard.Char(key, wxMOD_CONTROL);
        Pump(kSettleMs);
    };
    // From the list: the next tab, then round from the last to the first.
    press(WXK_PAGEDOWN);
    EXPECT_EQ(sheet.ActivePageIndex(), rtfSettings + 1);
    EXPECT_EQ(tabs->GetSelection(), rtfSettings + 1);
    press(WXK_PAGEDOWN);
    EXPECT_EQ(sheet.ActivePageIndex(), (rtfSettings + 2) % sheet.PageCount());
    EXPECT_EQ(tabs->GetSelection(), sheet.ActivePageIndex());
    // And back, to the list's page, whose list has the focus again.
    press(WXK_PAGEUP);
    press(WXK_PAGEUP);
    EXPECT_EQ(sheet.ActivePageIndex(), rtfSettings);
    EXPECT_EQ(tabs->GetSelection(), rtfSettings);
    list->SetFocus();
    Pump(kSettleMs);
    press(WXK_PAGEUP);
    EXPECT_EQ(sheet.ActivePageIndex(), rtfSettings - 1) << "Ctrl+PageUp from the list";
    EXPECT_EQ(output.rtfSettings.Selection(RTFSettingsPage::kLanguage),
              static_cast<wxListBox*>(list)->GetSelection())
        << "the list kept its entry";
    sheet.Notify(kIdCancel, NotifyEvent::kClicked);
}

}  // namespace
