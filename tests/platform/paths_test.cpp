#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        fs::create_directories(temp / "sub");
        ASSERT_TRUE(WriteWhole(temp / "sub" / "file.txt", "text"));
        fs::create_symlink(temp / "sub", temp / "link");
    }
    std::string Path(const char* name) const { return (temp / name).string(); }

    TempFolder temp{"vendrel_paths"};
};

// Every spelling of a file, through a link or with "." and ".." parts,
// resolves to one path; a missing file to none.
TEST_F(PathsTest, EverySpellingOfAFileResolvesToOnePath) {
    const std::string canonical = CanonicalPath(Path("sub/file.txt").c_str());
    ASSERT_FALSE(canonical.empty());
    for (const char* spelling : {"link/file.txt", "sub/../sub/./file.txt", "link/../link/file.txt"})
        EXPECT_EQ(CanonicalPath(Path(spelling).c_str()), canonical) << spelling;
    EXPECT_EQ(CanonicalPath(Path("sub/missing.txt").c_str()), "");
    EXPECT_EQ(CanonicalPath(""), "");
    EXPECT_EQ(CanonicalPath(nullptr), "");
}

// One file however it is named, through a link or a second name; two
// files with the same content are two; a missing file is no file.
TEST_F(PathsTest, SameFileIsOneFileUnderAnyName) {
    fs::create_hard_link(temp / "sub" / "file.txt", temp / "second_name.txt");
    ASSERT_TRUE(WriteWhole(temp / "copy.txt", "text"));
    struct Case {
        const char* first;
        const char* second;
        bool same;
    };
    // clang-format off
    const Case cases[] = {
        {"sub/file.txt", "sub/file.txt", true},    {"sub/file.txt", "link/file.txt", true},
        {"sub/file.txt", "second_name.txt", true}, {"sub/file.txt", "copy.txt", false},
        {"sub/file.txt", "missing.txt", false},    {"missing.txt", "missing.txt", false},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(SameFile(Path(c.first).c_str(), Path(c.second).c_str()), c.same) << c.second;
}

}  // namespace
