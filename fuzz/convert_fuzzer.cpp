// libFuzzer target: every input is written as a text file and converted
// through ConvertToTable, the output kept in memory.  Its first byte picks
// the format code (automatic, table, tab-delimited, comma-delimited) and the
// output format (HTML, RTF), so that the fuzzer reaches every pair; the
// replay of found faults converts with all of them.  Built with AddressSanitizer and UndefinedBehaviorSanitizer, so a
// memory fault, undefined behaviour or leak ends the run with the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_conversion.h"

namespace {

// A private folder for the input file, removed at exit.  (The working
// directory is left alone: corpus paths on the command line may be relative.)
std::string gFolder;
std::string gInputPath;

void RemoveFolder() {
    std::error_code error;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "vendrel_fuzz_XXXXXX").string();
    if (error || !mkdtemp(pattern.data())) {
        std::perror("vendrel fuzzer: no temporary folder");
        std::exit(1);
    }
    gFolder = pattern;
    gInputPath = gFolder + "/input.txt";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ConvertWithChosenFormat(gInputPath, data, size);
    return 0;
}
