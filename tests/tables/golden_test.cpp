// End-to-end conversions compared byte for byte with the expected output in
// tests/data/golden.  The inputs are tests/data/golden/*.txt and the files of
// examples/.  An input may have a file of options beside it, or in
// tests/data/golden for an example (same name, ".args"): "code N" converts it
// with special format code N (1, a table, by default, as the program does),
// "format rtf" writes RTF instead of HTML, "policy NAME" reads the policy file
// NAME (beside the input) first.
// Set VENDREL_REGENERATE_GOLDEN=1 to write the expected files from the
// current output instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGoldenFolder = fs::path(VENDREL_TEST_DATA_DIR) / "golden";
const fs::path kExamplesFolder = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "examples";

void IgnoreText(const char*) {}

// The messages of the conversion being run.
std::string gMessages;
void KeepMessage(const char* text) {
    gMessages += text;
    gMessages += '\n';
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

// The head's lines are written whole, each on one line.  After the head,
// outside pre-formatted text, the HTML has no line over 90 columns (except
// lines holding a link target) and never three newlines in a row.
void ExpectTidyLayout(const std::string& html) {
    std::istringstream lines(html);
    std::string line;
    bool inPre = false;
    int blankRun = 0;
    while (std::getline(lines, line) && line.find("</HEAD>") == std::string::npos) {
        EXPECT_EQ(line.find('"') == std::string::npos ? 0u : std::count(line.begin(), line.end(), '"') % 2, 0u)
            << "a head line cut inside a quoted text: " << line;
    }
    while (std::getline(lines, line)) {
        if (line.find("<PRE>") != std::string::npos) inPre = true;
        if (line.find("</PRE>") != std::string::npos) inPre = false;
        if (inPre) continue;
        if (line.find("HREF") == std::string::npos) {
            EXPECT_LE(line.size(), 90u) << line;
        }
        blankRun = line.empty() ? blankRun + 1 : 0;
        EXPECT_LT(blankRun, 2) << "three newlines in a row before: " << line;
    }
}

struct GoldenOptions {
    int code = 1;
    bool rtf = false;
    std::string policy;  // a policy file beside the input, or empty
};

GoldenOptions ReadOptions(const fs::path& input) {
    GoldenOptions options;
    fs::path args = fs::path(input).replace_extension(".args");
    if (!fs::exists(args)) args = kGoldenFolder / args.filename();
    std::ifstream in(args);
    std::string word;
    while (in >> word) {
        if (word == "code")
            in >> options.code;
        else if (word == "format") {
            in >> word;
            options.rtf = word == "rtf";
        } else if (word == "policy") {
            in >> options.policy;
        }
    }
    return options;
}

// Converts a copy of the input in a fresh folder with the default policies;
// the folder and today's date are replaced by "@FOLDER@" and "@DATE@", and
// the creation time of an RTF document by "@TIME@".  The messages of the
// conversion are left in gMessages, the folder replaced there too.
std::string ConvertCopy(const fs::path& input, const GoldenOptions& options) {
    TempFolder temp("vendrel_golden");
    if (!temp.Made()) return "cannot make a folder";
    const std::string folder = temp.Path().string();
    const fs::path copy = fs::path(folder) / input.filename();
    fs::copy_file(input, copy);

    Context context;
    gMessages.clear();
    context.sink.SetMessageCallback(KeepMessage);
    context.sink.SetStatusCallback(IgnoreText);
    context.outputFormat = options.rtf ? 1 : 0;
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    if (!options.policy.empty()) {
        TextFile reader;
        if (!reader.OpenForRead((input.parent_path() / options.policy).c_str()))
            return "cannot read the policy file";
        run.ReadPolicyFile(reader);
    }
    TextString before;
    GetDateText(&before);
    const bool converted = ConvertToTable(master, run, file, context, TextString(copy.string().c_str()),
                                          TextString(), options.code, nullptr);
    TextString after;
    GetDateText(&after);

    std::string output = converted ? ReadWhole(fs::path(copy).replace_extension(options.rtf ? ".rtf" : ".html"))
                                   : "conversion failed";
    ReplaceAll(output, folder, "@FOLDER@");
    ReplaceAll(gMessages, folder, "@FOLDER@");
    ReplaceAll(output, before.str(), "@DATE@");
    ReplaceAll(output, after.str(), "@DATE@");
    if (options.rtf) output = std::regex_replace(output, std::regex(R"(\\creatim[^}]*)"), "\\creatim@TIME@");
    return output;
}

TEST(GoldenConversionTest, DefaultPoliciesGiveTheExpectedHTML) {
    const bool regenerate = std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr;
    const std::vector<fs::path> inputs = GoldenInputs();
    ASSERT_GE(inputs.size(), 2u);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const GoldenOptions options = ReadOptions(input);
        const std::string actual = ConvertCopy(input, options);
        EXPECT_NE(actual.find(options.rtf ? "{\\rtf" : "</HTML>"), std::string::npos);
        const fs::path expected =
            kGoldenFolder / fs::path(input.filename()).replace_extension(options.rtf ? ".rtf" : ".html");
        // The messages, when there are any, are kept beside the output.
        const fs::path messages = fs::path(expected).replace_extension(".messages");
        std::string reported = gMessages;
        ReplaceAll(reported, kGoldenFolder.string(), "@GOLDEN@");
        if (regenerate) {
            std::ofstream(expected, std::ios::binary) << actual;
            if (!reported.empty()) std::ofstream(messages, std::ios::binary) << reported;
            continue;
        }
        EXPECT_EQ(reported, fs::exists(messages) ? ReadWhole(messages) : std::string());
        if (!options.rtf) ExpectTidyLayout(actual);
        ASSERT_TRUE(fs::exists(expected)) << "run with VENDREL_REGENERATE_GOLDEN=1 to create " << expected;
        EXPECT_EQ(actual, ReadWhole(expected));
    }
}

}  // namespace

namespace {

// Every block writer escapes "&", "<" and the 8-bit "é" exactly once: the
// table cells, code, pre-formatted text, mail header and ordinary text.
TEST(GoldenConversionTest, EveryBlockWriterEscapesOnce) {
    for (const char* name : {"escape_table", "escape_code", "escape_pre", "escape_mail", "escape_text"}) {
        SCOPED_TRACE(name);
        const fs::path input = kGoldenFolder / (std::string(name) + ".txt");
        const std::string html = ConvertCopy(input, ReadOptions(input));
        const size_t body = html.find("<BODY");
        ASSERT_NE(body, std::string::npos);
        const std::string text = html.substr(body);
        EXPECT_NE(text.find("&amp;"), std::string::npos);
        EXPECT_NE(text.find("&lt;"), std::string::npos);
        EXPECT_NE(text.find("&eacute;"), std::string::npos);
        for (const char* twice : {"&amp;amp;", "&amp;lt;", "&amp;eacute;", "&amp;gt;"})
            EXPECT_EQ(text.find(twice), std::string::npos) << twice;
        EXPECT_EQ(text.find("caf\xe9"), std::string::npos);
    }
}

}  // namespace

namespace {

// With FONT markup on, every table cell opens and closes its own FONT tags,
// properly nested: a colour set in one cell never reaches the next.
TEST(GoldenConversionTest, FontMarkupIsBalancedInEveryCell) {
    const fs::path input = kGoldenFolder / "font_cells.txt";
    const std::string html = ConvertCopy(input, ReadOptions(input));
    const std::regex cellPattern(R"(<T([DH])[^>]*>([\s\S]*?)</T\1>)", std::regex::icase);
    const std::regex fontTag(R"(<(/?)FONT\b)", std::regex::icase);
    int cells = 0;
    for (std::sregex_iterator cell(html.begin(), html.end(), cellPattern), end; cell != end; ++cell) {
        ++cells;
        const std::string content = (*cell)[2];
        int depth = 0;
        int opened = 0;
        for (std::sregex_iterator tag(content.begin(), content.end(), fontTag); tag != end; ++tag) {
            if ((*tag)[1].length() == 0) {
                ++depth;
                ++opened;
            } else {
                --depth;
                EXPECT_GE(depth, 0) << content;
            }
        }
        EXPECT_EQ(depth, 0) << content;
        EXPECT_GE(opened, 1) << content;
        if (content.find("plain") != std::string::npos) {
            EXPECT_EQ(content.find("COLOR"), std::string::npos) << content;
        }
    }
    EXPECT_EQ(cells, 8);
}

}  // namespace
