// A program that records how it was started: tests name it as the browser,
// a viewer or the mail program, and read back the arguments it received.
#pragma once

#include <filesystem>
#include <string>

// Writes an executable script at `program` that, when run, writes the
// number of its arguments and then each argument as "[argument]", one a
// line, to `record`.  False when it could not be written.
bool WriteRecordingProgram(const std::filesystem::path& program, const std::filesystem::path& record);

// What the recording programs started so far received (after waiting for
// them to finish); empty when none ran.
std::string ReceivedArguments(const std::filesystem::path& record);
