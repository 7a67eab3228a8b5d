#include "foundation/file_spec.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/message_reporter.h"
#include "support/temp_folder.h"

namespace {

class RecordingReporter : public MessageReporter {
public:
    std::vector<std::pair<std::string, int>> messages;
    void OutputMessage(const char* text, int level) override { messages.emplace_back(text, level); }
};

class FileSpecTest : public testing::Test {
protected:
    TempFolder temp{"file_spec"};
    std::filesystem::path root = temp.Path();

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        std::filesystem::create_directory(root / "dir");
        Write("dir/b.txt", "bee\n");
        Write("dir/A.txt", "ay\n");
        Write("dir/other.doc", "doc\n");
        std::filesystem::create_directory(root / "dir" / "c.txt");
    }

    void Write(const std::string& relative, const std::string& content) {
        std::ofstream(root / relative, std::ios::binary) << content;
    }
    std::string Spec(const std::string& relative) const { return (root / relative).string(); }

    // Every name the specification expands to, index by index, up to the
    // first empty one.
    std::vector<std::string> Expand(const std::string& spec, MessageReporter* reporter = nullptr) {
        std::vector<std::string> names;
        TextString out("junk");
        for (int index = 0;; ++index) {
            GetMatchingFileName(reporter, TextString(spec.c_str()), index, &out);
            if (out.IsEmpty()) break;
            names.push_back(out.str());
        }
        return names;
    }
};

}  // namespace

TEST_F(FileSpecTest, ExpandsToSortedFilesOnly) {
    const std::string dir = Spec("dir") + "/";
    const std::vector<std::string> expected{dir + "A.txt", dir + "b.txt"};
    EXPECT_EQ(Expand(Spec("dir/*.txt")), expected);
    EXPECT_EQ(Expand(Spec("dir/*.TXT")), expected);
    EXPECT_EQ(Expand(Spec("dir/?.tXt")), expected);

    TextString out("junk");
    GetMatchingFileName(nullptr, TextString(Spec("dir/*.txt").c_str()), 0, &out);
    GetMatchingFileName(nullptr, TextString(""), 2, &out);
    EXPECT_EQ(out.str(), "");
    GetMatchingFileName(nullptr, TextString(""), -1, &out);
    EXPECT_EQ(out.str(), "");
    GetMatchingFileName(nullptr, TextString(""), 1, &out);
    EXPECT_EQ(out.str(), dir + "b.txt");  // higher indexes read the list of the last index 0
}

TEST_F(FileSpecTest, PlainNamesMatchIgnoringCaseAndBracketsAreLiteral) {
    Write("dir/[x].txt", "x\n");
    Write("dir/x.txt", "x\n");
    EXPECT_EQ(Expand(Spec("dir/a.TXT")), std::vector<std::string>{Spec("dir") + "/A.txt"});
    EXPECT_EQ(Expand(Spec("dir/c.txt")), std::vector<std::string>{});  // a directory
    EXPECT_EQ(Expand(Spec("dir/[x].txt")), std::vector<std::string>{Spec("dir") + "/[x].txt"});
}

TEST_F(FileSpecTest, ABackslashIsPartOfTheName) {
    Write("dir/back\\slash.txt", "x\n");
    const std::string dir = Spec("dir") + "/";
    EXPECT_EQ(Expand(Spec("dir/back\\*.txt")), std::vector<std::string>{dir + "back\\slash.txt"});
    EXPECT_TRUE(Expand(Spec("dir") + "\\*.txt").empty());
}

TEST_F(FileSpecTest, EmptyFileIsReportedAndStillListed) {
    Write("dir/empty.txt", "");
    RecordingReporter reporter;
    const std::string dir = Spec("dir") + "/";
    EXPECT_EQ(Expand(Spec("dir/*.txt"), &reporter),
              (std::vector<std::string>{dir + "A.txt", dir + "b.txt", dir + "empty.txt"}));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].first, "WARNING: File is empty empty.txt");
    EXPECT_EQ(reporter.messages[0].second, 7);
    // Without a reporter the file is listed all the same.
    EXPECT_EQ(Expand(Spec("dir/e*.txt")), std::vector<std::string>{dir + "empty.txt"});
}

TEST_F(FileSpecTest, NoMatchAndHigherIndexWithoutExpansionAreEmpty) {
    RecordingReporter reporter;
    EXPECT_TRUE(Expand(Spec("dir/*.none"), &reporter).empty());
    EXPECT_TRUE(Expand(Spec("missing/*.txt"), &reporter).empty());
    EXPECT_TRUE(reporter.messages.empty());
    // A higher index never searches by itself: after an expansion that
    // matched nothing it gives the empty text.
    TextString out("junk");
    GetMatchingFileName(nullptr, TextString(Spec("dir/*.txt").c_str()), 1, &out);
    EXPECT_EQ(out.str(), "");
}
