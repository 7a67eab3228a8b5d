// The program's entry point: the application's start routine sorts the
// command line and converts the files it names (batch mode); see
// app/batch_mode.h for the exit statuses.  A build with the graphical front
// end installs it here; the start-up code opens its windows when a display
// is there (app/front_end.h).
#include <cstdio>
#include <exception>

#include "app/batch_mode.h"
#include "app/front_end.h"
#ifdef VENDREL_HAVE_GUI
#include "gui/wx_front_end.h"
#endif

int main(int argc, char** argv) {
#ifdef VENDREL_HAVE_GUI
    // The windows, for when a display is there and a window is wanted.
    WxFrontEnd frontEnd;
    InstallFrontEnd(&frontEnd);
#endif
    try {
        ConverterApp app;
        return app.InitInstance(argc, argv);
    } catch (const std::exception& fault) {
        std::fprintf(stderr, "ERROR: %s\n", fault.what());
    } catch (...) {
        std::fprintf(stderr, "ERROR: unexpected failure\n");
    }
    return kExitFailed;
}
