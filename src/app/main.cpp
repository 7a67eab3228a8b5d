// The program's entry point.  Until the full start-up (qualifiers, policy
// files, batch lists) is in place, every argument names a text file that is
// converted with the default policies to an HTML file beside it
// ("report.txt" gives "report.html").  Status lines go to standard output,
// messages to standard error; the exit status is 0 when every file was
// converted, 1 when one failed, 2 without any file name.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/product_identity.h"
#include "context/context.h"
#include "foundation/text_string.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"

namespace {

// The block kind plain-text input gets from the program: a table.
constexpr int kPlainTextFormatCode = 1;

// Reports an input file that exists but holds nothing.
void WarnWhenEmpty(FC& policies, const TextString& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path.buffer, error) || std::filesystem::file_size(path.buffer, error) != 0 ||
        error)
        return;
    TextString message("WARNING: File is empty ");
    message.Append(path);
    policies.ReportMessage(message.buffer, 7);
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: vendrel FILE.txt [FILE.txt ...]\n"
                             "Converts each text file to an HTML file beside it.\n");
        return 2;
    }
    Context context(GetCurrentProductCode(), 0);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);

    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const TextString input(argv[i]);
        WarnWhenEmpty(master, input);
        if (!ConvertToTable(master, run, file, context, input, TextString(), kPlainTextFormatCode, nullptr))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& fault) {
        std::fprintf(stderr, "ERROR: %s\n", fault.what());
    } catch (...) {
        std::fprintf(stderr, "ERROR: unexpected failure\n");
    }
    return 1;
}
