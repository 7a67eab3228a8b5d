// The front end's main window session as the program runs it: the main
// loop runs until the user closes the window, and is left through its exit
// from a timer.
#include "gui/wx_front_end.h"

#include <gtest/gtest.h>
#include <wx/timer.h>

#include <cstdlib>
#include <memory>

#include "app/batch_mode.h"
#include "app/conversion_run.h"
#include "gui/main_frame.h"
#include "gui/model_window.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"
#include "ui/scripted_services.h"

namespace {

TEST(WxFrontEndTest, TheMainWindowSessionEndsWhenTheWindowIsClosed) {
    TempFolder settings("front_end_settings");
    ASSERT_TRUE(settings.Made());
    ::setenv("XDG_CONFIG_HOME", settings.Path().c_str(), 1);
    WxFrontEnd frontEnd;
    ASSERT_TRUE(frontEnd.Start());
    ScriptedUiServices services;
    std::unique_ptr<MainDialog> dialog = frontEnd.MakeMainDialog(services);
    auto* main = dynamic_cast<MainWindow*>(dialog.get());
    ASSERT_NE(main, nullptr);
    // Until a window shows them, the lines go to the console.
    EXPECT_EQ(&TheStatusWindow(), &TheConsoleStatus());
    main->settings.viewResults = false;
    main->settings.autoDdeUpdates = false;

    wxTimer close;
    bool shown = false;
    close.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { main->Close(); });
    frontEnd.onMainWindowShown = [&](MainFrame& frame) {
        shown = frame.View().Window() != nullptr;
        EXPECT_EQ(&TheStatusWindow(), &main->Status());
        close.StartOnce(100);
    };
    EXPECT_EQ(frontEnd.RunMainWindow(*dialog), kExitConverted);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(main->WindowExists());
    EXPECT_EQ(frontEnd.Frame(), nullptr);
    frontEnd.DialogEnding(*dialog);
    dialog.reset();
    EXPECT_EQ(&TheStatusWindow(), &TheConsoleStatus());
}

}  // namespace
