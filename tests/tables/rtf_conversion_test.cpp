// End-to-end conversions of small files to RTF (output format 1).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "context/context.h"
#include "policies/fc.h"
#include "support/rtf_braces.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

void IgnoreText(const char*) {}

const char kSample[] =
    "Plain words in a first paragraph, with braces {kept} and a back\\slash.\n"
    "A second line of the same paragraph.\n"
    "\n"
    "Then a *strong* word in the next paragraph.\n"
    "\n"
    "See http://example.com/a\\b for more.\n";

// Converts the text to RTF in a fresh folder; the RTF text, or "" when the
// conversion failed.
struct RTFConversion {
    std::string folder;
    fs::path output;

    std::string Convert(const std::string& text) {
        folder = testing::TempDir() + "vendrel_rtf_XXXXXX";
        if (!mkdtemp(folder.data())) return "";
        const fs::path input = fs::path(folder) / "sample.txt";
        std::ofstream(input, std::ios::binary) << text;

        Context context;
        context.sink.SetMessageCallback(IgnoreText);
        context.sink.SetStatusCallback(IgnoreText);
        context.outputFormat = 1;
        FC master, run, file;
        master.SetContext(&context);
        run.SetContext(&context);
        // Automatic classification: prose is written as ordinary text.
        if (!ConvertToTable(master, run, file, context, TextString(input.string().c_str()), TextString(), 0, nullptr))
            return "";
        output = fs::path(input).replace_extension(".rtf");
        std::ifstream in(output, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    ~RTFConversion() {
        std::error_code error;
        if (!folder.empty()) fs::remove_all(folder, error);
    }
};

TEST(RTFConversionTest, SmallFileBecomesWellFormedRTF) {
    RTFConversion conversion;
    const std::string rtf = conversion.Convert(kSample);
    ASSERT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    for (const char* html : {"<P>", "<BR>", "</"}) EXPECT_EQ(rtf.find(html), std::string::npos) << html;
    EXPECT_TRUE(RtfBracesBalance(rtf)) << rtf;
    // The text is escaped once; each line ends once; emphasis is a group.
    EXPECT_NE(rtf.find("braces \\'7bkept\\'7d and a back\\\\slash."), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("paragraph.\\par\n\\par\nThen"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\b strong\\b0}"), std::string::npos) << rtf;
    // The link target and its shown text are escaped once.
    EXPECT_NE(rtf.find(" HYPERLINK http://example.com/a\\\\b }"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" http://example.com/a\\\\b}}} for more."), std::string::npos) << rtf;
}

// Reads the converted sample back with unrtf: every word arrives intact.
TEST(RTFConversionTest, UnrtfReadsTheWordsBack) {
    if (std::system("command -v unrtf >/dev/null 2>&1") != 0) GTEST_SKIP() << "unrtf is not on PATH";
    RTFConversion conversion;
    ASSERT_FALSE(conversion.Convert(kSample).empty());
    const std::string command = "unrtf --text '" + conversion.output.string() + "' 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) text.append(chunk, n);
        pclose(pipe);
    }
    for (const char* words : {"Plain words in a first paragraph, with braces {kept} and a back\\slash.",
                              "A second line of the same paragraph.",
                              "Then a strong word in the next paragraph.", "See http://example.com/a\\b for more."})
        EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
}

}  // namespace

// The header waits for the input, so a TITLE directive reaches the RTF title.
TEST(RTFConversionHead, TitleDirectiveReachesTheInfoGroup) {
    char pattern[] = "/tmp/vendrel_rtf_head_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string input = folder + "/titled.txt";
    std::ofstream(input) << "Body text.\n\n$_$_TITLE Annual Figures\n";
    Context context(1, 1);
    FC master, run, file;
    ASSERT_TRUE(ConvertToTable(master, run, file, context, TextString(input.c_str()), TextString(""), 1, nullptr));
    std::ifstream in(folder + "/titled.rtf");
    const std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("{\\title Annual Figures}"), std::string::npos);
    EXPECT_LT(rtf.find("{\\title"), rtf.find("Body text."));
    std::system(("rm -rf '" + folder + "'").c_str());
}
