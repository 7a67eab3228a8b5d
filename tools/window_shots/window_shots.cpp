// Makes the README's pictures of the windows under Xvfb, grabbing them with
// the toolkit itself: the main window as it opens ("main", and in German
// "main_de"), the status
// window in the middle of a run over many files ("status"), or the output
// policies sheet opened on its Table generation tab ("sheet").  One picture a
// run: the toolkit's screen grab shows the screen as it was at the first
// grab of the process.  Run by tools/window_screenshots.sh.
//
// Usage: vendrel_window_shots main|main_de|status|sheet IMAGE_FOLDER INPUT_FOLDER
// INPUT_FOLDER holds the .txt files the run converts.
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cstdio>

#include <memory>
#include <string>

#include "app/front_end.h"
#include "gui/main_frame.h"
#include "gui/model_window.h"
#include "gui/sheet_window.h"
#include "gui/wx_front_end.h"
#include "gui/wx_text.h"
#include "texts/main_menu_commands.h"
#include "ui/main_window.h"
#include "ui/output_sheet.h"
#include "ui/status_window.h"

namespace {

// The grab waits this long after showing the main window; the status
// window is grabbed once the run has shown this many lines, after the
// toolkit had a few turns to paint them.
constexpr int kSettleMs = 800;
constexpr int kLinesIntoTheRun = 60;
constexpr int kPaintTurns = 5;
constexpr int kPaintTurnMs = 20;

bool Grab(wxWindow* window, const std::string& path) {
    if (window == nullptr || !window->IsShown()) return false;
    window->Update();
    const wxRect area = window->GetScreenRect();
    wxBitmap picture(area.GetWidth(), area.GetHeight());
    {
        wxScreenDC screen;
        wxMemoryDC memory(picture);
        memory.Blit(0, 0, area.GetWidth(), area.GetHeight(), &screen, area.GetX(), area.GetY());
    }
    const bool saved = picture.ConvertToImage().SaveFile(ToWx(path), wxBITMAP_TYPE_PNG);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vendrel_window_shots main|main_de|status|sheet IMAGE_FOLDER INPUT_FOLDER\n");
        return 2;
    }
    const bool german = std::string(argv[1]) == "main_de";
    const bool mainPicture = std::string(argv[1]) == "main" || german;
    const bool sheetPicture = std::string(argv[1]) == "sheet";
    const std::string images = argv[2];
    const std::string inputs = argv[3];
    WxFrontEnd frontEnd;
    if (!frontEnd.Start()) {
        std::fprintf(stderr, "no display: run under Xvfb\n");
        return 1;
    }
    wxInitAllImageHandlers();
    ConsoleUiServices console;
    SwitchingUiServices services(console);
    std::unique_ptr<MainDialog> dialog = frontEnd.MakeMainDialog(services);
    auto& main = static_cast<MainWindow&>(*dialog);
    services.SwitchTo(frontEnd.Services());
    main.settings.viewResults = false;
    main.settings.autoDdeUpdates = false;
    main.settings.autoDismissStatusDialog = false;
    main.settings.displayStatusDialog = true;
    // The window applies the saved language when it opens (the pictures
    // share one settings folder).
    main.settings.language = german ? "German" : "English";

    int failures = 0;
    bool statusGrabbed = false;
    wxTimer start;
    start.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        MainFrame& frame = *frontEnd.Frame();
        if (mainPicture) {
            if (!Grab(frame.View().Window(), images + (german ? "/main_window_de.png" : "/main_window.png")))
                ++failures;
            main.Close();
            return;
        }
        if (sheetPicture) {
            main.OnCommand(kCommandOutputTables);
            for (int turn = 0; turn < kPaintTurns; ++turn) {
                wxTheApp->Yield(true);
                wxMilliSleep(kSettleMs / kPaintTurns);
            }
            SheetWindow* sheet = main.OutputSheet() ? frame.SheetView(*main.OutputSheet()) : nullptr;
            if (sheet == nullptr || !Grab(sheet->View().Window(), images + "/output_sheet.png")) ++failures;
            main.Close();
            return;
        }
        auto* field = static_cast<wxComboBox*>(frame.View().Widget(MainWindow::kFileSpecCombo));
        field->SetValue(ToWx(inputs + "/*.txt"));
        frame.View().Forward(MainWindow::kFileSpecCombo, NotifyEvent::kFocusLost);
        // The status window is caught from inside the run, as a new line
        // arrives.
        ModelWindow& status = frame.StatusView();
        const auto repaint = status.afterControlChanged;
        status.afterControlChanged = [&, repaint](int id) {
            if (repaint) repaint(id);
            if (statusGrabbed || main.Status().Lines.count < kLinesIntoTheRun) return;
            statusGrabbed = true;
            for (int turn = 0; turn < kPaintTurns; ++turn) {
                wxTheApp->Yield(true);
                wxMilliSleep(kPaintTurnMs);
            }
            if (!Grab(status.Window(), images + "/status_window.png")) ++failures;
        };
        frame.View().Forward(MainWindow::kConvertButton, NotifyEvent::kClicked);
        status.afterControlChanged = repaint;
        if (!statusGrabbed) ++failures;
        main.Close();
    });
    frontEnd.onMainWindowShown = [&](MainFrame&) { start.StartOnce(kSettleMs); };
    frontEnd.RunMainWindow(main);
    frontEnd.DialogEnding(main);
    return failures == 0 ? 0 : 1;
}
