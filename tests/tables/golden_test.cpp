// End-to-end conversions compared byte for byte with the expected HTML in
// tests/data/golden.  The inputs are tests/data/golden/*.txt and the files of
// examples/.  Set VENDREL_REGENERATE_GOLDEN=1 to write the expected files
// from the current output instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGoldenFolder = fs::path(VENDREL_TEST_DATA_DIR) / "golden";
const fs::path kExamplesFolder = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "examples";

void IgnoreText(const char*) {}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void ReplaceAll(std::string& text, const std::string& find, const std::string& with) {
    if (find.empty()) return;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + with.size()))
        text.replace(at, find.size(), with);
}

std::vector<fs::path> GoldenInputs() {
    std::vector<fs::path> inputs;
    for (const fs::path& folder : {kGoldenFolder, kExamplesFolder})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".txt") inputs.push_back(entry.path());
    return inputs;
}

// Converts a copy of the input in a fresh folder with the default policies;
// the folder and today's date are replaced by "@FOLDER@" and "@DATE@".
std::string ConvertCopy(const fs::path& input) {
    std::string folder = testing::TempDir() + "vendrel_golden_XXXXXX";
    if (!mkdtemp(folder.data())) return "cannot make a folder";
    const fs::path copy = fs::path(folder) / input.filename();
    fs::copy_file(input, copy);

    Context context;
    context.sink.SetMessageCallback(IgnoreText);
    context.sink.SetStatusCallback(IgnoreText);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    TextString before;
    GetDateText(&before);
    const bool converted =
        ConvertToTable(master, run, file, context, TextString(copy.string().c_str()), TextString(), 1, nullptr);
    TextString after;
    GetDateText(&after);

    std::string html = converted ? ReadWhole(fs::path(copy).replace_extension(".html")) : "conversion failed";
    ReplaceAll(html, folder, "@FOLDER@");
    ReplaceAll(html, before.str(), "@DATE@");
    ReplaceAll(html, after.str(), "@DATE@");
    std::error_code error;
    fs::remove_all(folder, error);
    return html;
}

TEST(GoldenConversionTest, DefaultPoliciesGiveTheExpectedHTML) {
    const bool regenerate = std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr;
    const std::vector<fs::path> inputs = GoldenInputs();
    ASSERT_GE(inputs.size(), 2u);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::string actual = ConvertCopy(input);
        EXPECT_NE(actual.find("</HTML>"), std::string::npos);
        const fs::path expected = kGoldenFolder / fs::path(input.filename()).replace_extension(".html");
        if (regenerate) {
            std::ofstream(expected, std::ios::binary) << actual;
            continue;
        }
        ASSERT_TRUE(fs::exists(expected)) << "run with VENDREL_REGENERATE_GOLDEN=1 to create " << expected;
        EXPECT_EQ(actual, ReadWhole(expected));
    }
}

}  // namespace
