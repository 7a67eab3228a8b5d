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

// A table with a header, a tab-delimited row, a tag and a long cell: enough
// for the table, font and width policies to have something to act on.
constexpr char kTable[] =
    "Quarterly figures\n\n"
    "Name      Units   Price    Region\n"
    "Alpha     12      3.50     North [[BR]] coast\n"
    "Beta      7       12.00    South\n"
    "Gamma\t130\t0.25\tEast and a longer cell than the others\n\n"
    "1. A heading\n\nSome prose after the table, long enough to wrap at a page width.\n";

void RemoveFolder() {
    std::error_code error;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, error);
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    FILE* handle = std::fopen(path.c_str(), "wb");
    if (!handle) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, handle) == size;
    return std::fclose(handle) == 0 && written;
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
    if (!WriteFile(gTablePath, kTable, sizeof kTable - 1)) {
        std::perror("vendrel policy fuzzer: cannot write the table");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFile(gPolicyPath, data, size)) return 0;
    const int choice = size > 0 ? data[0] % 8 : 0;
    ConvertWithPolicyFileInMemory(gTablePath, gPolicyPath, kFuzzOutputFormats[choice / 4], kFuzzFormatCodes[choice % 4]);
    return 0;
}
