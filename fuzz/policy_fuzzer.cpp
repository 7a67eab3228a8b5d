// libFuzzer target for policy files: every input is written as a policy file,
// read as the program reads the policy file named on its command line, and a
// small fixed table is converted under it, the output kept in memory.  The
// input's first byte picks the output format and format code as in the
// conversion fuzzer.  Built with AddressSanitizer and
// UndefinedBehaviorSanitizer, so that an overflow on an extreme policy value,
// a memory fault or a leak ends the run with the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_conversion.h"

namespace {

std::string gFolder;
std::string gTablePath;
std::string gPolicyPath;

void RemoveFolder() {
    std::error_code error;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "vendrel_policy_fuzz_XXXXXX").string();
    if (error || !mkdtemp(pattern.data())) {
        std::perror("vendrel policy fuzzer: no temporary folder");
        std::exit(1);
    }
    gFolder = pattern;
    gTablePath = gFolder + "/table.txt";
    gPolicyPath = gFolder + "/policies.pol";
    std::atexit(RemoveFolder);
    if (!WritePolicyFuzzTable(gTablePath)) {
        std::perror("vendrel policy fuzzer: cannot write the table");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ConvertUnderPolicyFileWithChosenFormat(gTablePath, gPolicyPath, data, size);
    return 0;
}
