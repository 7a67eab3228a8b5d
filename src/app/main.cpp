// The program's entry point: the application's start routine sorts the
// command line and converts the files it names (batch mode); see
// app/batch_mode.h for the exit statuses.  A build with the graphical front
// end installs a stand-in for it here, which loads the front end's module
// (the toolkit with it) only when the start-up code wants a window and a
// display is there (app/front_end.h, app/front_end_module.h): a batch run
// that shows no window never loads the toolkit.
#include <cstdio>
#include <exception>

#include "app/batch_mode.h"
#include "app/front_end.h"
#include "platform/output_files.h"
#ifdef VENDREL_FRONT_END_MODULE
#include "app/front_end_module.h"
#include "gui/front_end_module.h"
#include "platform/file_status.h"
#endif

int main(int argc, char** argv) {
    // A run stopped by SIGTERM, SIGINT or SIGHUP leaves no temporary file.
    RemoveTemporariesOnTermination();
#ifdef VENDREL_FRONT_END_MODULE
    // The module beside the program (a build tree), else at its installed
    // place relative to the program's folder.
    ModuleFrontEnd frontEnd(
        FrontEndModulePlaces(RunningProgramPath(), VENDREL_FRONT_END_MODULE, VENDREL_FRONT_END_MODULE_FOLDER),
        MakeMainWindowModel);
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
