// Every window laid out in every language (Xvfb): the main window, the
// status window, the four dialogs and every page of the three sheets, each
// language in windows freshly built and in windows open when the language
// was switched, each page checked on its first showing before anything was
// resized.  What a person would see go wrong: a control smaller than its
// best size (a label cut to its first line, a list hiding entries, a page
// squeezed into a corner), two controls over each other, a control outside
// its window, a window smaller than what it holds, a tab row that scrolls.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/iconbndl.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "gui/main_frame.h"
#include "gui/model_window.h"
#include "gui/sheet_window.h"
#include "gui_test_support.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/language_texts.h"
#include "texts/main_menu_commands.h"
#include "texts/menu_texts.h"
#include "texts/message_texts.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/about_dialog.h"
#include "ui/analysis_sheet.h"
#include "ui/base_sheet.h"
#include "ui/main_window.h"
#include "ui/more_html_options_dialog.h"
#include "ui/output_sheet.h"
#include "ui/policy_file_dialogs.h"
#include "ui/scripted_services.h"
#include "ui/settings_sheet.h"
#include "ui/window_layout.h"

namespace {

constexpr const char* kLanguageNames[] = {"English",    "German",  "Spanish", "French",
                                          "Portuguese", "Italian", "Swedish"};
constexpr int kLanguageCommands[] = {kCommandLanguageEnglish, kCommandLanguageGerman,     kCommandLanguageSpanish,
                                     kCommandLanguageFrench,  kCommandLanguagePortuguese, kCommandLanguageItalian,
                                     kCommandLanguageSwedish};
// The commands opening each sheet.
constexpr int kSheetCommands[] = {kCommandOutputTitleAndDescription, kCommandAnalysisFileStructure,
                                  kCommandSettingsDocumentation};
// Long enough for the display to map and lay out what was shown.
constexpr int kSettleMs = 20;

std::string Where(const DialogModel& model, int id) {
    return "dialog " + std::to_string(model.TemplateId()) + ", control " + std::to_string(id);
}

wxRect ClientOnScreen(const wxTopLevelWindow& top) {
    return {top.ClientToScreen(wxPoint(0, 0)), top.GetClientSize()};
}

// Where a control stands on the screen: its place in its parent's client
// area (the toolkit's own screen rectangle of a group box is not where the
// box is drawn).
wxRect OnScreen(const wxWindow& widget) {
    return {widget.GetParent()->ClientToScreen(widget.GetPosition()), widget.GetSize()};
}

// The layout of a dialog or of a sheet's page, null when there is none.
const WindowDescription* LayoutOf(const DialogModel& model) {
    if (const WindowDescription* dialog = FindWindowDescription(model.TemplateId())) return dialog;
    for (const SheetDescription* sheet : SheetDescriptions()) {
        if (sheet->sheet.templateId == model.TemplateId()) return &sheet->sheet;
        for (const WindowDescription& page : sheet->pages) {
            if (page.templateId == model.TemplateId()) return &page;
        }
    }
    return nullptr;
}

// The rows of a list the toolkit draws whole, the first entry on top: the
// entries found under its pixel lines from top to bottom.
int WholeRows(const wxListBox& list) {
    const int height = list.GetClientSize().GetHeight();
    int rows = 0;
    int previous = list.HitTest(wxPoint(1, 0));
    if (previous != 0) return 0;  // scrolled, or empty
    for (int y = 1; y < height; ++y) {
        const int item = list.HitTest(wxPoint(1, y));
        if (item != previous) ++rows;  // the row above ended inside the list
        previous = item;
        if (item == wxNOT_FOUND) break;
    }
    return rows;
}

// The faults of one window's view as it stands: `view` renders `model`
// inside `client` (on the screen: a window's client area, or a page's tab).
void CheckLaidOut(const ModelWindow& view, const wxRect& client, std::vector<std::string>& faults) {
    const DialogModel& model = view.Model();
    const wxRect inside = wxRect(client).Deflate(1);
    std::vector<std::pair<int, wxWindow*>> shown;
    for (const int id : model.ControlIds()) {
        wxWindow* widget = view.Widget(id);
        if (widget == nullptr || !widget->IsShownOnScreen()) continue;
        shown.emplace_back(id, widget);
        // A field for what the user types is as wide as its layout makes it,
        // a list as high (it scrolls); every text the program shows fits.
        const ControlKind kind = model.Control(id)->kind;
        const bool sizedByLayout =
            kind == ControlKind::kEdit || (kind == ControlKind::kComboBox && widget->GetMinSize().GetWidth() > 0);
        const wxSize laidOut = widget->GetEffectiveMinSize();
        wxSize best = sizedByLayout ? laidOut : widget->GetBestSize();
        if (kind == ControlKind::kList) best.SetHeight(laidOut.GetHeight());
        // A group box holds its controls: its label fits, and they lie in it.
        if (kind == ControlKind::kGroupBox) best.SetHeight(0);
        const wxSize size = widget->GetSize();
        if (size.GetWidth() < best.GetWidth() || size.GetHeight() < best.GetHeight()) {
            faults.push_back(Where(model, id) + " is " + std::to_string(size.GetWidth()) + "x" +
                             std::to_string(size.GetHeight()) + ", needs " + std::to_string(best.GetWidth()) + "x" +
                             std::to_string(best.GetHeight()));
        }
        // Inside, off the edges: a group box draws its frame on its own
        // edges, and one on the edge of its tab merges with the tab's frame.
        if (!inside.Contains(OnScreen(*widget))) faults.push_back(Where(model, id) + " lies outside its window");
        // A list shows as many entries whole as its layout asks for, or all
        // it has, from the first on.
        if (kind == ControlKind::kList) {
            int lines = 1;
            if (const WindowDescription* layout = LayoutOf(model)) {
                for (const LayoutControl& control : layout->Controls()) {
                    if (control.id == id) lines = control.lines;
                }
            }
            const auto* list = static_cast<const wxListBox*>(widget);
            const int wanted = std::min(lines, static_cast<int>(list->GetCount()));
            if (WholeRows(*list) < wanted)
                faults.push_back(Where(model, id) + " shows " + std::to_string(WholeRows(*list)) +
                                 " entries whole, not " + std::to_string(wanted));
        }
    }
    for (const auto& [id, widget] : shown) {
        if (model.Control(id)->kind != ControlKind::kGroupBox) continue;
        for (const auto& [innerId, inner] : shown) {
            if (widget->IsDescendant(inner) && inner != widget && !OnScreen(*widget).Contains(OnScreen(*inner)))
                faults.push_back(Where(model, innerId) + " sticks out of its group box " + std::to_string(id));
        }
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            wxWindow* a = shown[i].second;
            wxWindow* b = shown[j].second;
            // A group box, or the tabs, with the controls they hold.
            if (a->IsDescendant(b) || b->IsDescendant(a)) continue;
            if (OnScreen(*a).Intersects(OnScreen(*b)))
                faults.push_back(Where(model, shown[i].first) + " overlaps control " +
                                 std::to_string(shown[j].first));
        }
    }
}

void CheckWindow(const ModelWindow& view, std::vector<std::string>& faults) {
    const wxTopLevelWindow* top = view.Window();
    if (top == nullptr || !top->IsShown()) {
        faults.push_back("dialog " + std::to_string(view.Model().TemplateId()) + " has no window shown");
        return;
    }
    CheckLaidOut(view, ClientOnScreen(*top), faults);
    const wxSize need = top->GetSizer()->GetMinSize();
    const wxSize client = top->GetClientSize();
    if (client.GetWidth() < need.GetWidth() || client.GetHeight() < need.GetHeight()) {
        faults.push_back("dialog " + std::to_string(view.Model().TemplateId()) + " is smaller than its contents");
    }
    if (!top->GetIcons().GetIcon(wxSize(32, 32)).IsOk())
        faults.push_back("dialog " + std::to_string(view.Model().TemplateId()) + " has no icon");
}

// Every tab can be clicked: across the tab row each tab's label is hit.
void CheckTabsShowWhole(wxNotebook& tabs, std::vector<std::string>& faults) {
    std::set<int> hit;
    const int row = tabs.GetCharHeight();
    for (int x = 0; x < tabs.GetSize().GetWidth(); x += 2) {
        long flags = 0;
        const int tab = tabs.HitTest(wxPoint(x, row), &flags);
        if (tab != wxNOT_FOUND) hit.insert(tab);
    }
    if (hit.size() != tabs.GetPageCount())
        faults.push_back(std::to_string(tabs.GetPageCount() - hit.size()) + " tabs of " +
                         std::to_string(tabs.GetPageCount()) + " cannot be seen");
}

// Opens each sheet through the menu, then shows each of its pages for the
// first time through its tab: every page is checked before anything was
// resized, and the sheet must not have changed size from page to page.
void CheckSheets(MainWindow& main, MainFrame& frame, UiServices& services, std::vector<std::string>& faults) {
    const bool opening = main.OutputSheet() == nullptr;
    for (const int command : kSheetCommands) {
        main.OnCommand(command);
        Pump(kSettleMs);
    }
    // The output sheet opens 30 pixels in from the desktop's right and
    // bottom edges: placed by its size in the language in force, it did not
    // grow after (nor jump back on the desktop).
    const WindowRect& placed = main.OutputSheet()->Rect();
    const DesktopSize desktop = services.GetDesktopSize();
    if (opening && (placed.left + placed.width != desktop.width - BaseSheet::kDesktopMargin ||
                    placed.top + placed.height != desktop.height - BaseSheet::kDesktopMargin))
        faults.push_back("the output sheet stands at " + std::to_string(placed.left) + "," +
                         std::to_string(placed.top) + ", " + std::to_string(placed.width) + "x" +
                         std::to_string(placed.height) + ", not 30 pixels in from the desktop's corner");
    for (SheetModel* sheet : main.Sheets()) {
        SheetWindow* view = frame.SheetView(*sheet);
        ASSERT_NE(view, nullptr);
        const wxTopLevelWindow* top = view->View().Window();
        ASSERT_NE(top, nullptr);
        const wxSize opened = top->GetSize();
        auto* tabs = dynamic_cast<wxNotebook*>(view->View().Widget(kIdTabControl));
        ASSERT_NE(tabs, nullptr);
        CheckTabsShowWhole(*tabs, faults);
        for (int i = 0; i < sheet->PageCount(); ++i) {
            sheet->SetActivePage(i);
            Pump(kSettleMs);
            // A page's controls lie on its tab.
            const wxWindow* tab = view->PageView(i)->Panel()->GetParent();
            CheckLaidOut(*view->PageView(i), {tab->ClientToScreen(wxPoint(0, 0)), tab->GetClientSize()}, faults);
            if (top->GetSize() != opened)
                faults.push_back("sheet " + std::to_string(sheet->TemplateId()) + " changed size on page " +
                                 std::to_string(i));
        }
        CheckWindow(view->View(), faults);
    }
}

// The four dialogs that run modally, shown modeless over the main window for
// the check.
void CheckDialogs(MainWindow& main, MainFrame& frame, UiServices& services, std::vector<std::string>& faults) {
    MoreHtmlOptions values;
    PolicyFileDialog policyFile(main);
    SavePolicyDialog savePolicy(main);
    AboutDialog about(main);
    MoreHtmlOptionsDialog moreOptions(services, main, nullptr, values);
    for (DialogModel* dialog : std::initializer_list<DialogModel*>{&policyFile, &savePolicy, &about, &moreOptions}) {
        const WindowDescription* description = FindWindowDescription(dialog->TemplateId());
        ASSERT_NE(description, nullptr);
        ModelWindow view(*dialog, *description, WindowFrame::kDialog, frame.View().Window());
        dialog->CreateWindow();
        dialog->ShowWindow();
        Pump(kSettleMs);
        CheckWindow(view, faults);
        dialog->DestroyWindow();
    }
}

struct Screen {
    TempFolder folder;
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<MainFrame> frame;

    explicit Screen(const char* language) : folder("layout") {
        WriteWhole(folder / "settings", std::string("\\Languages\\Language=") + language + "\n");
        main = std::make_unique<MainWindow>(services, (folder / "settings").string());
        main->settings.displayToolTips = false;
        // The windows are placed on the display they show on.
        const wxSize display = wxGetDisplaySize();
        services.SetDesktopSize(display.GetWidth(), display.GetHeight());
        frame = std::make_unique<MainFrame>(*main);
        main->Show();
        main->OnCommand(kCommandViewMessages);
        Pump(kSettleMs);
    }
    ~Screen() {
        frame.reset();
        main.reset();
        AttachStatusWindow(nullptr);
    }
    void CheckAll(std::vector<std::string>& faults) {
        CheckWindow(frame->View(), faults);
        CheckWindow(frame->StatusView(), faults);
        CheckDialogs(*main, *frame, services, faults);
        CheckSheets(*main, *frame, services, faults);
    }
};

void SetAllLanguages(int code) {
    SetToolTipLanguage(code);
    SetMenuLanguage(code);
    SetMessageLanguage(code);
    SetUiLanguage(code);
}

TEST(LayoutWindowTest, EveryWindowAndPageFitsItsTextsInEveryLanguage) {
    TheConsoleStatus().consoleEcho = false;
    for (int language = kLanguageEnglish; language <= kLanguageSwedish; ++language) {
        const char* name = kLanguageNames[language - kLanguageEnglish];
        SCOPED_TRACE(std::string(name) + ", freshly built");
        std::vector<std::string> faults;
        Screen screen(name);
        screen.CheckAll(faults);
        for (const std::string& fault : faults) ADD_FAILURE() << fault;
    }
    // Every window open in English, then the language switched to each of
    // the others in turn.
    Screen screen("English");
    for (const int command : kSheetCommands) screen.main->OnCommand(command);
    Pump(kSettleMs);
    for (int language = kLanguageGerman; language <= kLanguageSwedish; ++language) {
        SCOPED_TRACE(std::string(kLanguageNames[language - kLanguageEnglish]) + ", after a switch");
        std::vector<std::string> faults;
        screen.main->OnCommand(kLanguageCommands[language - kLanguageEnglish]);
        Pump(kSettleMs);
        screen.CheckAll(faults);
        for (const std::string& fault : faults) ADD_FAILURE() << fault;
    }
    SetAllLanguages(kLanguageEnglish);
}

}  // namespace
