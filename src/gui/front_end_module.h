// The front end's module as the program sees it.
//
// The program (app/main.cpp) holds a stand-in front end that loads the
// module (front_end_module.cpp, built into its own shared module) only when a
// window is wanted.  What the stand-in needs before that comes from here,
// free of the toolkit: the main window's model, made when a display is
// there, before the program knows whether any window will show.
#pragma once

#include <memory>

#include "app/conversion_run.h"
#include "ui/main_window.h"

// The main window's model, without a window: the console shows the status
// lines until a window does.
inline std::unique_ptr<MainDialog> MakeMainWindowModel(UiServices& services) {
    auto main = std::make_unique<MainWindow>(services);
    AttachStatusWindow(nullptr);
    return main;
}
