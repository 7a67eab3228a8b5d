// The vendrel program run as a user runs it: files named on the command line
// are converted to HTML beside them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

class VendrelTest : public testing::Test {
protected:
    fs::path folder;
    std::string out, err;

    void SetUp() override {
        std::string pattern = testing::TempDir() + "vendrel_app_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code error;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(folder, error);
        fs::remove(Capture(".out"), error);
        fs::remove(Capture(".err"), error);
    }

    // The program's output is kept beside the folder, so that a folder the
    // program may not write to can be tested too.
    fs::path Capture(const char* suffix) const { return folder.string() + suffix; }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder / name, std::ios::binary) << content;
    }

    // Runs the program in the folder with the arguments; returns its exit
    // status, or -1 when it did not exit normally (a crash).
    int Run(const std::string& arguments) {
        const std::string command = "cd '" + folder.string() + "' && '" VENDREL_BINARY "' " + arguments + " > '" +
                                    Capture(".out").string() + "' 2> '" + Capture(".err").string() + "'";
        const int status = std::system(command.c_str());
        out = ReadWhole(Capture(".out"));
        err = ReadWhole(Capture(".err"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(VendrelTest, ConvertsTheExampleBesideIt) {
    const fs::path example = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "examples" / "quarterly_report.txt";
    const std::string input = ReadWhole(example);
    ASSERT_FALSE(input.empty());
    fs::copy_file(example, folder / "quarterly_report.txt");

    EXPECT_EQ(Run("quarterly_report.txt"), 0) << err;
    EXPECT_NE(out.find("Processing : \"quarterly_report.txt\""), std::string::npos) << out;
    const std::string html = ReadWhole(folder / "quarterly_report.html");
    for (const char* part : {"<HTML>", "<BODY", "Quarterly Sales Report", "</BODY>", "</HTML>"})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(ReadWhole(folder / "quarterly_report.txt"), input);
}

TEST_F(VendrelTest, FailuresGiveAMessageAndANonZeroExit) {
    struct Case {
        const char* name;
        const char* file;       // the input written, or null for none
        const char* blockedAs;  // a folder in the place of the output file, or null
        const char* message;
    };
    const Case cases[] = {
        {"missing.txt", nullptr, nullptr, "ERROR: Error opening missing.txt"},
        {"report.txt", "Some text\n", "report.html", "ERROR: Can't open file"},
        {"page.html", "Already HTML\n", nullptr, "ERROR: Output file would overwrite the input file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.file) Write(c.name, c.file);
        if (c.blockedAs) fs::create_directory(folder / c.blockedAs);
        EXPECT_EQ(Run(c.name), 1);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        if (c.file) {
            EXPECT_EQ(ReadWhole(folder / c.name), c.file);
        }
    }
}

TEST_F(VendrelTest, AnUnwritableOutputFolderIsReported) {
    Write("notes.txt", "Some text\n");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    // A user who may write anyway (root) cannot show the fault this way.
    std::ofstream probe(folder / "probe");
    if (probe) GTEST_SKIP() << "the folder stays writable for this user";
    EXPECT_EQ(Run("notes.txt"), 1);
    EXPECT_NE(err.find("ERROR: Can't open file"), std::string::npos) << err;
}

TEST_F(VendrelTest, AnEmptyInputGivesAWarningAndAnEmptyDocument) {
    Write("empty.txt", "");
    EXPECT_EQ(Run("empty.txt"), 0) << err;
    EXPECT_NE(err.find("WARNING: File is empty"), std::string::npos) << err;
    const std::string html = ReadWhole(folder / "empty.html");
    EXPECT_NE(html.find("<HEAD>"), std::string::npos);
    EXPECT_NE(html.find("</HTML>"), std::string::npos);
    EXPECT_EQ(html.find("<TABLE"), std::string::npos);
    EXPECT_EQ(html.find("<P>"), std::string::npos);
}

}  // namespace
