// Replays every input under tests/data/fuzz/ (inputs with which a fuzzer
// once found a fault) through the same conversions the fuzzer runs, with
// every format code it uses and both output formats: texts as the converted
// file, policy files as the policies of the policy-file fuzzer's table.  The release build
// checks that each still converts; the sanitizer build that it does so
// without a memory fault or undefined behaviour.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_conversion.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The found inputs of one fuzzer: policy files (*.pol) are the policy-file
// fuzzer's, every other file but the README the conversion fuzzer's.
std::vector<fs::path> RegressionInputs(bool policyFiles) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(VENDREL_TEST_DATA_DIR) / "fuzz", error)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README") continue;
        if ((entry.path().extension() == ".pol") == policyFiles) inputs.push_back(entry.path());
    }
    return inputs;
}

TEST(FuzzRegression, EveryFoundInputConvertsWithEveryFormat) {
    const std::vector<fs::path> inputs = RegressionInputs(false);
    if (inputs.empty()) GTEST_SKIP() << "the fuzzer has found no fault yet";
    TempFolder temp("vendrel_fuzz_regression");
    ASSERT_TRUE(temp.Made());
    const std::string folder = temp.Path().string();
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = ReadWhole(input);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        // The pair the fuzzer picked for it, then every pair.
        ConvertWithChosenFormat(folder + "/input.txt", data, bytes.size());
        EXPECT_GT(ConvertWithEveryFormat(folder + "/input.txt", data, bytes.size()), 0u);
    }
}

// Found inputs whose conversion once lost text, with words of the text that
// each conversion must keep.
struct KeptWords {
    const char* file;
    std::vector<std::string> words;
};

TEST(FuzzRegression, InputsThatLostTextKeepItWithEveryFormat) {
    const KeptWords cases[] = {
        // A row whose first cell follows 60 tabs was taken for a rule.
        {"text_after_many_tabs.txt", {"Whiteboard", "Markup", "Pulpworks"}},
    };
    TempFolder temp("vendrel_fuzz_kept_words");
    ASSERT_TRUE(temp.Made());
    for (const KeptWords& c : cases) {
        const fs::path input = temp / "input.txt";
        ASSERT_TRUE(WriteWhole(input, ReadWhole(fs::path(VENDREL_TEST_DATA_DIR) / "fuzz" / c.file))) << c.file;
        for (int outputFormat : kFuzzOutputFormats)
            for (int formatCode : kFuzzFormatCodes) {
                std::string output;
                ConvertFileInMemory(input.string(), outputFormat, formatCode, &output);
                for (const std::string& word : c.words)
                    EXPECT_NE(output.find(word), std::string::npos)
                        << c.file << ": " << word << " lost, output format " << outputFormat << ", format code "
                        << formatCode;
            }
    }
}

TEST(FuzzRegression, EveryFoundPolicyFileConvertsTheTableWithEveryFormat) {
    const std::vector<fs::path> inputs = RegressionInputs(true);
    if (inputs.empty()) GTEST_SKIP() << "the policy-file fuzzer has found no fault yet";
    TempFolder temp("vendrel_policy_fuzz_regression");
    ASSERT_TRUE(temp.Made());
    const std::string table = (temp / "table.txt").string();
    const std::string policies = (temp / "policies.pol").string();
    ASSERT_TRUE(WritePolicyFuzzTable(table));
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = ReadWhole(input);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        ConvertUnderPolicyFileWithChosenFormat(table, policies, data, bytes.size());
        EXPECT_GT(ConvertUnderPolicyFileWithEveryFormat(table, policies, data, bytes.size()), 0u);
    }
}

}  // namespace
