// The main window on a real display (Xvfb), each scenario also run headless
// on the model: the two end in the same state, since the front end owns no
// behaviour.  Message boxes go to scripted services, so nothing waits.
#include "gui/main_frame.h"

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "gui/menu_bar_view.h"
#include "gui/model_window.h"
#include "gui/sheet_window.h"
#include "gui/wx_text.h"
#include "gui_test_support.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/menu_texts.h"
#include "texts/message_texts.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/main_window.h"
#include "ui/output_sheet.h"
#include "ui/settings_sheet.h"
#include "ui/scripted_services.h"
#include "ui/status_window.h"

namespace {

namespace fs = std::filesystem;
using W = MainWindow;

const char* const kTable = "Name    Age   City\nAnn     31    Oslo\nBob     45    Rome\n";
constexpr int kLanguageMenuPosition = 3;

// One main window: shown on the display (with its frame) or headless.
struct Session {
    TempFolder folder;
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<MainFrame> frame;

    Session(const char* name, bool onScreen, const char* language) : folder(name) {
        if (language != nullptr)
            WriteWhole(folder / "settings", std::string("\\Languages\\Language=") + language + "\n");
        main = std::make_unique<MainWindow>(services, (folder / "settings").string());
        main->settings.viewResults = false;
        main->settings.autoDdeUpdates = false;
        main->settings.autoDismissStatusDialog = false;
        if (onScreen) frame = std::make_unique<MainFrame>(*main);
        main->Show();
        Pump(100);
    }
    ~Session() {
        frame.reset();
        main.reset();
        AttachStatusWindow(nullptr);
    }
    DialogModel& D() const { return main->Dialog(); }
    // Each main window attaches its status window to the run as it is made:
    // the session acting takes it back.
    void Act() const { AttachStatusWindow(&main->Status()); }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    void Write(const std::string& name) const { WriteWhole(folder / name, kTable); }

    // The user types a file name into the field and leaves it.
    void TypeFileName(const std::string& path) {
        Act();
        if (frame) {
            auto* combo = static_cast<wxComboBox*>(frame->View().Widget(W::kFileSpecCombo));
            combo->SetValue(ToWx(path));  // fires the toolkit's text event
            frame->View().Forward(W::kFileSpecCombo, NotifyEvent::kFocusLost);
        } else {
            D().SetControlText(W::kFileSpecCombo, path.c_str());
            D().Notify(W::kFileSpecCombo, NotifyEvent::kEditChanged);
            D().Notify(W::kFileSpecCombo, NotifyEvent::kFocusLost);
        }
    }
    void Press(int id) {
        Act();
        if (frame) {
            Click(frame->View().Widget(id));
        } else {
            D().Notify(id, NotifyEvent::kClicked);
        }
    }
    void Command(int commandId) {
        Act();
        if (frame) {
            frame->MenuBar().Command(commandId);
        } else {
            main->OnCommand(commandId);
        }
    }
    void Drop(const std::vector<std::string>& paths) {
        Act();
        if (frame) {
            wxArrayString names;
            for (const std::string& path : paths) names.Add(ToWx(path));
            ASSERT_NE(frame->DropTarget(), nullptr);
            frame->DropTarget()->OnDropFiles(10, 10, names);
        } else {
            std::vector<TextString> files;
            for (const std::string& path : paths) files.emplace_back(path.c_str());
            main->DropFiles(files);
        }
    }
    wxFrame* Frame() const { return static_cast<wxFrame*>(frame->View().Window()); }

    // The output sheet's window, null while the menu has not opened it.
    SheetWindow* OutputSheetView() const {
        Sheet* sheet = main->OutputSheet();
        return sheet == nullptr || !frame ? nullptr : frame->SheetView(*sheet);
    }
    // The user types a text into a field of a page of the output sheet and
    // leaves the field.
    void TypeOnPage(DialogModel& page, int id, const std::string& text) {
        Act();
        if (frame) {
            ModelWindow* view = OutputSheetView()->PageView(main->OutputSheet()->PageIndex(page));
            ASSERT_NE(view, nullptr);
            auto* edit = dynamic_cast<wxTextCtrl*>(view->Widget(id));
            ASSERT_NE(edit, nullptr);
            edit->SetValue(ToWx(text));  // fires the toolkit's text event
            view->Forward(id, NotifyEvent::kFocusLost);
        } else {
            page.SetControlText(id, text.c_str());
            page.Notify(id, NotifyEvent::kTextChanged);
            page.Notify(id, NotifyEvent::kFocusLost);
        }
    }
    void PressOnSheet(int id) {
        Act();
        if (frame) {
            Click(OutputSheetView()->View().Widget(id));
        } else {
            main->OutputSheet()->Notify(id, NotifyEvent::kClicked);
        }
    }
};

void SetAllLanguages(int code) {
    SetToolTipLanguage(code);
    SetMenuLanguage(code);
    SetMessageLanguage(code);
    SetUiLanguage(code);
}

// The state a user sees: caption, every control's text, enabling and check
// mark, and the menu's titles.
std::vector<std::string> StateOf(const Session& session) {
    std::vector<std::string> state{session.D().Caption().str()};
    for (const int id : session.D().ControlIds()) {
        const DialogControl* control = session.D().Control(id);
        std::string text = control->text.str();
        // Paths differ between the two sessions' folders.
        const std::string folder = session.folder.Path().string();
        for (size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "<folder>");
        state.push_back(std::to_string(id) + " " + text + (control->enabled ? " on" : " off") +
                        (control->checked ? " checked" : ""));
    }
    const Menu& bar = session.main->Menu().Bar();
    for (int i = 0; i < bar.EntryCount(); ++i) state.push_back(bar.EntryAt(i)->text.str());
    return state;
}

// What the output sheet's pages show and what the working set holds.
std::vector<std::string> SheetStateOf(const Session& session) {
    std::vector<std::string> state;
    const Sheet& sheet = *session.main->OutputSheet();
    state.push_back("active page " + std::to_string(sheet.ActivePageIndex()));
    for (int i = 0; i < sheet.PageCount(); ++i) {
        const DialogModel& page = sheet.Page(i);
        for (const int id : page.ControlIds()) {
            const DialogControl* control = page.Control(id);
            state.push_back(std::to_string(page.TemplateId()) + "/" + std::to_string(id) + " " +
                            control->text.str() + (control->enabled ? " on" : " off") +
                            (control->checked ? " checked" : ""));
        }
    }
    FC& working = session.main->WorkingSet();
    state.push_back("border " + std::to_string(working.GetDefaultTabConfig()->GetInt(TabPol::BorderSize)));
    return state;
}

class MainFrameTest : public testing::Test {
protected:
    void SetUp() override {
        TheConsoleStatus().consoleEcho = false;
        SetAllLanguages(kLanguageEnglish);
    }
    void TearDown() override { SetAllLanguages(kLanguageEnglish); }
};

TEST_F(MainFrameTest, TheWindowOpensTitledWithTheMenuInTheSavedLanguage) {
    Session screen("frame_open", true, "German");
    ASSERT_NE(screen.frame->View().Window(), nullptr);
    EXPECT_TRUE(screen.Frame()->IsShown());
    EXPECT_EQ(FromWx(screen.Frame()->GetTitle()), "Vendrel");
    wxMenuBar* bar = screen.Frame()->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    const Menu& model = screen.main->Menu().Bar();
    ASSERT_EQ(bar->GetMenuCount(), static_cast<size_t>(model.EntryCount()));
    EXPECT_EQ(FromWx(bar->GetMenuLabel(0)), "&Datei");
    for (int i = 0; i < model.EntryCount(); ++i) {
        EXPECT_EQ(FromWx(bar->GetMenuLabel(static_cast<size_t>(i))), model.EntryAt(i)->text.str());
    }
    auto* convert = static_cast<wxControl*>(screen.frame->View().Widget(W::kConvertButton));
    EXPECT_EQ(FromWx(convert->GetLabelText()), screen.D().ControlText(W::kConvertButton));
    EXPECT_EQ(FromWx(convert->GetToolTipText()), "Konvertierung beginnen");
    EXPECT_TRUE(screen.Frame()->GetIcons().GetIcon(wxSize(32, 32)).IsOk());

    // F1 opens the user guide, as Help > Contents does: the browser (a
    // recorder here) is handed the local page.
    const fs::path recorder = screen.folder / "recorder";
    ASSERT_TRUE(
        WriteWhole(recorder, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.part\" && mv \"$0.part\" \"$0.args\"\n"));
    fs::permissions(recorder, fs::perms::owner_all);
    screen.Write("guide.html");
    screen.main->settings.browserCommand = recorder.c_str();
    screen.main->settings.useDdeToViewHtml = false;
    screen.main->settings.addUrlPrefix = true;
    screen.main->settings.htmlDoco = screen.Path("guide.html").c_str();
    wxKeyEvent help(wxEVT_CHAR_HOOK);
    help.m_keyCode = WXK_F1;
    help.SetEventObject(screen.Frame());
    screen.Frame()->ProcessWindowEvent(help);
    const fs::path args = recorder.string() + ".args";
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(args); }, 5000));
    EXPECT_EQ(ReadWhole(args), "file://" + screen.Path("guide.html") + "\n");
}

TEST_F(MainFrameTest, TypingAFileNameAndPressingConvertConvertsIt) {
    Session screen("frame_convert", true, nullptr);
    Session headless("frame_convert_model", false, nullptr);
    for (Session* session : {&screen, &headless}) {
        session->Write("report.txt");
        session->TypeFileName(session->Path("report.txt"));
        session->Press(W::kConvertButton);
        EXPECT_TRUE(fs::exists(session->folder / "report.html"));
        EXPECT_EQ(session->D().Caption().str(), "report.txt - Vendrel");
    }
    EXPECT_EQ(FromWx(screen.Frame()->GetTitle()), "report.txt - Vendrel");
    // The status window shows the run's lines.
    StatusWindow& status = screen.main->Status();
    EXPECT_TRUE(status.IsShown());
    EXPECT_NE(status.Text.str().find("Conversion complete"), std::string::npos) << status.Text.str();
    auto* lines = static_cast<wxTextCtrl*>(screen.frame->StatusView().Widget(StatusWindow::kMessageEdit));
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(FromWx(lines->GetValue()), status.Text.str());
    EXPECT_TRUE(screen.frame->StatusView().Window()->IsShown());
    EXPECT_EQ(StateOf(screen), StateOf(headless));
}

// A person picks the older of two files from the File(s) list: the list
// opened, the entry chosen with the keys.  GTK tells of the list's closing
// before the selection changes; the window takes the entry picked, shows its
// names at once, and Convert converts the file picked into its own output.
TEST_F(MainFrameTest, AFilePickedFromTheHistoryListIsTheFileConverted) {
    Session screen("frame_pick", true, nullptr);
    WriteWhole(screen.folder / "older.txt", "Name    Age\nAnn     31\nBob     45\n");
    WriteWhole(screen.folder / "newer.txt", "Town    Rank\nOslo    1\nRome    2\n");
    screen.TypeFileName(screen.Path("older.txt"));
    screen.TypeFileName(screen.Path("newer.txt"));
    auto* combo = static_cast<wxComboBox*>(screen.frame->View().Widget(W::kFileSpecCombo));
    ASSERT_EQ(combo->GetCount(), 2u);
    ASSERT_EQ(FromWx(combo->GetString(1)), screen.Path("older.txt"));
    // What the toolkit tells, in its order.
    std::vector<std::string> told;
    combo->Bind(wxEVT_COMBOBOX_CLOSEUP, [&](wxCommandEvent& event) {
        told.push_back("closed");
        event.Skip();
    });
    combo->Bind(wxEVT_COMBOBOX, [&](wxCommandEvent& event) {
        told.push_back("selected");
        event.Skip();
    });
    screen.Act();
    combo->SetFocus();
    Pump(100);
    wxUIActionSimulator user;
    // The list opened from the keyboard (Alt+Down) on its first entry; Down
    // to the second, taken with Return.
    user.Char(WXK_DOWN, wxMOD_ALT);
    Pump(300);
    user.Char(WXK_DOWN);
    Pump(100);
    user.Char(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return told.size() >= 2; }, 2000)) << told.size();
    EXPECT_EQ(told, (std::vector<std::string>{"closed", "selected"}));
    Pump(100);
    EXPECT_EQ(screen.main->FileSpec.str(), screen.Path("older.txt"));
    EXPECT_EQ(screen.D().ControlText(W::kOutputNameEdit), std::string("older.html"));
    EXPECT_EQ(FromWx(static_cast<wxTextCtrl*>(screen.frame->View().Widget(W::kOutputNameEdit))->GetValue()),
              "older.html");
    EXPECT_EQ(FromWx(screen.Frame()->GetTitle()), "older.txt - Vendrel");
    screen.Press(W::kConvertButton);
    EXPECT_NE(ReadWhole(screen.folder / "older.html").find("Ann"), std::string::npos);
    EXPECT_FALSE(fs::exists(screen.folder / "newer.html"));
}

TEST_F(MainFrameTest, ALanguageSwitchThroughTheMenuRelabelsWindowAndMenu) {
    Session screen("frame_language", true, nullptr);
    Session headless("frame_language_model", false, nullptr);
    const std::vector<std::string> english = StateOf(screen);
    for (Session* session : {&screen, &headless}) session->Command(kCommandLanguageSwedish);
    Pump(100);
    EXPECT_NE(StateOf(screen), english);
    wxMenuBar* bar = screen.Frame()->GetMenuBar();
    EXPECT_EQ(FromWx(bar->GetMenuLabel(kLanguageMenuPosition)), "&Språk");
    wxMenu* languages = bar->GetMenu(kLanguageMenuPosition);
    const int swedish = screen.frame->MenuBar().ItemId(kCommandLanguageSwedish);
    ASSERT_NE(languages->FindItem(swedish), nullptr);
    EXPECT_TRUE(languages->IsChecked(swedish));
    // Only the language in force carries a mark: English, checked at the
    // start, shows no empty box once Swedish is chosen, as no other does.
    for (size_t i = 0; i < languages->GetMenuItemCount(); ++i) {
        const wxMenuItem* item = languages->FindItemByPosition(i);
        EXPECT_EQ(item->IsCheckable(), item->GetId() == swedish) << FromWx(item->GetItemLabelText());
    }
    // Every label on the screen is the model's.
    for (const int id : screen.D().ControlIds()) {
        const DialogControl* control = screen.D().Control(id);
        if (control->kind != ControlKind::kLabel && control->kind != ControlKind::kPushButton) continue;
        auto* widget = static_cast<wxControl*>(screen.frame->View().Widget(id));
        EXPECT_EQ(FromWx(widget->GetLabelText()), control->text.str()) << id;
    }
    EXPECT_EQ(StateOf(screen), StateOf(headless));
}

TEST_F(MainFrameTest, ThreeFilesDroppedOnTheWindowConvert) {
    Session screen("frame_drop", true, nullptr);
    Session headless("frame_drop_model", false, nullptr);
    for (Session* session : {&screen, &headless}) {
        std::vector<std::string> paths;
        for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
            session->Write(name);
            paths.push_back(session->Path(name));
        }
        session->Drop(paths);
        for (const char* name : {"one.html", "two.html", "three.html"}) {
            EXPECT_TRUE(fs::exists(session->folder / name)) << name;
        }
    }
    EXPECT_EQ(StateOf(screen), StateOf(headless));
}

TEST_F(MainFrameTest, ClosingTheWindowDestroysItThroughTheModel) {
    Session screen("frame_close", true, nullptr);
    bool closed = false;
    screen.frame->onClosed = [&] { closed = true; };
    screen.Frame()->Close();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(screen.main->WindowExists());
    EXPECT_EQ(screen.frame->View().Window(), nullptr);
}

TEST_F(MainFrameTest, TheOutputSheetOpensFromTheMenuAndOkStoresAChangedValue) {
    Session screen("frame_sheet", true, nullptr);
    Session headless("frame_sheet_model", false, nullptr);
    for (Session* session : {&screen, &headless}) session->Command(kCommandOutputTables);
    Sheet& sheet = *screen.main->OutputSheet();
    SheetWindow* view = screen.OutputSheetView();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->View().Window(), nullptr);
    EXPECT_TRUE(view->View().Window()->IsShown());
    EXPECT_EQ(FromWx(view->View().Window()->GetTitle()), "Output Policies");
    // A window of its own, which the desktop keeps above no other (a dialog
    // or a window with a parent stays above the main window).
    EXPECT_EQ(view->View().Window()->GetParent(), nullptr);
    EXPECT_EQ(dynamic_cast<wxDialog*>(view->View().Window()), nullptr);
    // The menu's topic is the tab shown, the table page's controls on it.
    const int tablePage = sheet.PageIndex(sheet.table);
    auto* tabs = dynamic_cast<wxNotebook*>(view->View().Widget(kIdTabControl));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetSelection(), tablePage);
    ASSERT_NE(view->PageView(tablePage)->Widget(TablePage::kBorderSize), nullptr);
    EXPECT_TRUE(tabs->GetPage(static_cast<size_t>(tablePage))
                    ->IsDescendant(view->PageView(tablePage)->Widget(TablePage::kBorderSize)));
    wxWindow* apply = view->View().Widget(kIdApply);
    EXPECT_FALSE(apply->IsEnabled()) << "loading the pages is no change";

    for (Session* session : {&screen, &headless}) {
        session->TypeOnPage(session->main->OutputSheet()->table, TablePage::kBorderSize, "3");
        EXPECT_TRUE(session->main->OutputSheet()->IsEnabled(kIdApply));
    }
    EXPECT_TRUE(apply->IsEnabled());
    EXPECT_NE(screen.main->WorkingSet().GetDefaultTabConfig()->GetInt(TabPol::BorderSize), 3);

    for (Session* session : {&screen, &headless}) {
        session->PressOnSheet(kIdOk);
        EXPECT_FALSE(session->main->OutputSheet()->HasWindow());
        const TabConfig& stored = *session->main->WorkingSet().GetDefaultTabConfig();
        EXPECT_EQ(stored.GetInt(TabPol::BorderSize), 3);
        EXPECT_TRUE(stored.IsSet(TabPol::BorderSize));
    }
    EXPECT_EQ(view->View().Window(), nullptr);
    EXPECT_EQ(SheetStateOf(screen), SheetStateOf(headless));
    EXPECT_EQ(StateOf(screen), StateOf(headless));
}

TEST_F(MainFrameTest, TheSettingsSheetOpensFromTheMenuAndOkStoresTheSliderAndABox) {
    Session screen("frame_settings", true, nullptr);
    Session headless("frame_settings_model", false, nullptr);
    for (Session* session : {&screen, &headless}) session->Command(kCommandSettingsDiagnostics);
    SheetSettings& sheet = *screen.main->SettingsSheet();
    SheetWindow* view = screen.frame->SheetView(sheet);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->View().Window(), nullptr);
    EXPECT_TRUE(view->View().Window()->IsShown());
    EXPECT_EQ(FromWx(view->View().Window()->GetTitle()), "Program Settings");
    const int messagesPage = sheet.PageIndex(sheet.messages);
    auto* tabs = dynamic_cast<wxNotebook*>(view->View().Widget(kIdTabControl));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetSelection(), messagesPage);
    ModelWindow* page = view->PageView(messagesPage);
    auto* slider = dynamic_cast<wxSlider*>(page->Widget(SettingsMessagesPage::kReportingLevel));
    auto* warnings = dynamic_cast<wxCheckBox*>(page->Widget(SettingsMessagesPage::kShowWarnings));
    ASSERT_NE(slider, nullptr);
    ASSERT_NE(warnings, nullptr);
    EXPECT_EQ(slider->GetMax(), SettingsMessagesPage::kHighestLevel);
    EXPECT_TRUE(warnings->GetValue());

    // The user moves the slider to 9 and unticks "Show WARNING messages".
    screen.Act();
    slider->SetValue(9);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    moved.SetInt(9);
    slider->ProcessWindowEvent(moved);
    warnings->SetValue(false);
    Click(warnings);
    headless.Act();
    SettingsMessagesPage& modelPage = headless.main->SettingsSheet()->messages;
    modelPage.SetValue(SettingsMessagesPage::kReportingLevel, 9);
    modelPage.Notify(SettingsMessagesPage::kReportingLevel, NotifyEvent::kSliderMoved);
    modelPage.SetChecked(SettingsMessagesPage::kShowWarnings, false);
    modelPage.Notify(SettingsMessagesPage::kShowWarnings, NotifyEvent::kClicked);
    EXPECT_TRUE(view->View().Widget(kIdApply)->IsEnabled());

    screen.Act();
    Click(view->View().Widget(kIdOk));
    headless.Act();
    headless.main->SettingsSheet()->Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_EQ(view->View().Window(), nullptr);
    for (Session* session : {&screen, &headless}) {
        EXPECT_FALSE(session->main->SettingsSheet()->HasWindow());
        FC& working = session->main->WorkingSet();
        EXPECT_EQ(working.GetInt(Pol::ErrorReportingLevel), 9);
        EXPECT_TRUE(working.IsSet(Pol::ErrorReportingLevel));
        EXPECT_EQ(working.GetInt(Pol::SuppressWARNINGMessages), 1);
        EXPECT_EQ(session->main->policiesEdited, 1);
    }
    EXPECT_EQ(StateOf(screen), StateOf(headless));
}

}  // namespace
