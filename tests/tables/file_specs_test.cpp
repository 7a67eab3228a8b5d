#include "tables/file_specs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "output/insert_include_file.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class FileSpecsTest : public ::testing::Test {
protected:
    TempFolder temp{"file_specs"};
    fs::path dir = temp.Path();
    Context context;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        context.runParameters.consoleEcho = 0;
    }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = dir / name;
        std::ofstream(path) << text;
        return path.string();
    }
    static std::vector<std::string> List(const StringList& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.count; ++i) out.emplace_back(list.TextAt(i));
        return out;
    }
    std::string Log() const { return context.pendingLog.str(); }
};

TEST_F(FileSpecsTest, SteeringFileLinesNameTheirOwnFiles) {
    const std::string a = Write("a.txt", "x\n");
    const std::string b = Write("b.txt", "y\n");
    const std::string first = a + " /RTF local.pol";
    const std::string last = " " + b;  // a leading blank is no comment
    const std::string steering = Write("run.stf", first + "\n# " + a + "\n! note\n" + last + "\n");

    ASSERT_TRUE(ExpandFileSpecs(true, TextString(steering.c_str()), TextString(), TextString(), context, true));
    EXPECT_EQ(List(context.inputFiles), (std::vector<std::string>{a, b}));
    EXPECT_EQ(List(context.policyFiles), (std::vector<std::string>{"local.pol", ""}));
    EXPECT_EQ(List(context.steeringLines), (std::vector<std::string>{first, last}));
    EXPECT_EQ(Log(), "SESSION: INFO: Steering file: Ignoring comment line \"# " + a +
                         "\"\nSESSION: INFO: Steering file: Ignoring comment line \"! note\"");
}

TEST_F(FileSpecsTest, MissingSteeringFileFails) {
    const std::string name = (dir / "none.stf").string();
    EXPECT_FALSE(ExpandFileSpecs(true, TextString(name.c_str()), TextString(), TextString(), context, true));
    EXPECT_EQ(Log(), "SESSION: ERROR: Can't open " + name + "\": No such file or directory");
    EXPECT_EQ(context.inputFiles.count, 0);
}

TEST_F(FileSpecsTest, WildcardMatchesAreSortedWithoutDirectories) {
    MessageRecorder messages(context);
    context.sink.reportingLevel = 10;  // warnings are shown
    context.sink.suppressWarning = 0;
    const std::string c = Write("c.txt", "");
    const std::string a = Write("a.txt", "1\n");
    const std::string b = Write("B.txt", "2\n");
    fs::create_directories(dir / "d.txt");
    const std::string spec = (dir / "*.txt").string();

    ASSERT_TRUE(ExpandFileSpecs(false, TextString(), TextString(spec.c_str()), TextString("p.pol"), context, true));
    EXPECT_EQ(List(context.inputFiles), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(List(context.policyFiles), (std::vector<std::string>{"p.pol", "p.pol", "p.pol"}));
    EXPECT_EQ(List(context.steeringLines), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(messages.Count("WARNING: File is empty "), 1);
}

TEST_F(FileSpecsTest, QuotedAndBlankSeparatedSpecifications) {
    const std::string spaced = Write("my file.txt", "x\n");
    const std::string a = Write("a.txt", "x\n");
    const std::string prefix = dir.string() + "/";
    const std::string quoted = prefix + "\"my file.txt\" \"a.txt\"";
    ExpandFileSpecs(false, TextString(), TextString(quoted.c_str()), TextString(), context, true);
    EXPECT_EQ(List(context.inputFiles), (std::vector<std::string>{spaced, a}));

    Context words;
    words.runParameters.consoleEcho = 0;
    const std::string both = a + " " + prefix + "none.txt " + a;
    ExpandFileSpecs(false, TextString(), TextString(both.c_str()), TextString(), words, true);
    EXPECT_EQ(List(words.inputFiles), (std::vector<std::string>{a, a}));
}

class IncludeFileTest : public FileSpecsTest {
protected:
    FC set;
    RecordingDocument document;
    void SetUp() override {
        FileSpecsTest::SetUp();
        set.SetContext(&context);
    }
};

TEST_F(IncludeFileTest, CopiesTheFileBetweenComments) {
    const std::string name = Write("inc.html", "one\n  two\n<b>three</b>\n");
    EXPECT_EQ(InsertIncludeFile(&document, TextString(name.c_str()), &set), 1);
    EXPECT_EQ(document.Texts(),
              (std::vector<std::string>{"", "<!-- Start of include file \"inc.html\" -->", "one", "  two",
                                        "<b>three</b>", "<!--   End of include file \"inc.html\" -->", ""}));
}

TEST_F(IncludeFileTest, LooksInTheIncludeDirectory) {
    Write("head.inc", "h\n");
    context.includeDirectorySwitch = 1;
    context.includeDirectory.Assign((dir.string() + "/").c_str());
    EXPECT_EQ(InsertIncludeFile(&document, TextString("head.inc"), &set), 1);
    EXPECT_EQ(document.Texts().at(2), "h");
}

TEST_F(IncludeFileTest, MissingFileLeavesAComment) {
    MessageRecorder messages(context);
    const std::string name = (dir / "none.html").string();
    EXPECT_EQ(InsertIncludeFile(&document, TextString(name.c_str()), &set), 0);
    EXPECT_EQ(document.Texts(),
              (std::vector<std::string>{"", "<!-- Failed to find include file \"none.html\" -->", ""}));
    EXPECT_EQ(messages.Count("ERROR: Failed to find include file \"none.html\""), 1);
}

}  // namespace
