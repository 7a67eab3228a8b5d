#include "support/recording_program.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/process_launch.h"
#include "support/temp_folder.h"

bool WriteRecordingProgram(const std::filesystem::path& program, const std::filesystem::path& record) {
    {
        // The record appears whole, so that a test that waits for it to
        // exist never reads it half written (by its full name: a test may
        // leave no program but this one on the search path).
        const std::string part = record.string() + ".part";
        std::ofstream script(program);
        script << "#!/bin/sh\n{ echo \"$#\"; for a; do echo \"[$a]\"; done; } > '" << part << "' && /bin/mv '"
               << part << "' '" << record.string() << "'\n";
        if (!script) return false;
    }
    return chmod(program.c_str(), 0755) == 0;
}

std::string ReceivedArguments(const std::filesystem::path& record) {
    WaitForStartedPrograms();
    return ReadWhole(record);
}
