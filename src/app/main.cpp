// The program's entry point: the application's start routine sorts the
// command line and converts the files it names (batch mode); see
// app/batch_mode.h for the exit statuses.
#include <cstdio>
#include <exception>

#include "app/batch_mode.h"

int main(int argc, char** argv) {
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
