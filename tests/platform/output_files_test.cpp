#include "platform/output_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class OutputFilesTest : public testing::Test {
protected:
    TempFolder temp{"output_files"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void TearDown() override { SetWriteFault(WriteFault::kNone, ""); }
    void Write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    // Writes `content` to `path` on `road`; the result of closing.
    int WriteThrough(const fs::path& path, OutputRoad road, const std::string& content, bool keep = true) {
        int error = -1;
        OutputStream output = OpenOutputStream(path.string(), road, &error);
        EXPECT_EQ(error, 0);
        if (!output.stream) return error;
        std::fputs(content.c_str(), output.stream);
        return CloseOutputStream(output, keep);
    }
    size_t EntryCount() const {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
        return count;
    }
};

TEST_F(OutputFilesTest, FilesAreTheSameByInodeOrByResolvedPath) {
    Write(folder / "a.txt", "a");
    fs::create_directory(folder / "sub");
    fs::create_hard_link(folder / "a.txt", folder / "hard.txt");
    fs::create_directory_symlink(folder / "sub", folder / "via");
    const std::string base = folder.string() + "/";
    struct Case {
        std::string first, second;
        bool same;
    };
    const Case cases[] = {
        {base + "a.txt", base + "sub/../a.txt", true},
        {base + "a.txt", base + "hard.txt", true},
        {base + "sub/new.html", base + "via/new.html", true},  // neither exists: the folder is resolved
        {base + "sub/new.html", base + "sub/other.html", false},
        {base + "a.txt", base + "b.txt", false},
        {base + "a.txt", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSameFile(c.first, c.second), c.same) << c.first << " " << c.second;
}

TEST_F(OutputFilesTest, AFileIsReplacedOnlyWhenWrittenWhole) {
    const fs::path target = folder / "a.html";
    Write(target, "earlier");
    fs::permissions(target, fs::perms(0640));
    EXPECT_EQ(WriteThrough(target, OutputRoad::kReplace, "later"), 0);
    EXPECT_EQ(ReadWhole(target), "later");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    // Not kept: the earlier file stays, nothing is left beside it.
    EXPECT_EQ(WriteThrough(target, OutputRoad::kReplace, "broken", false), 0);
    EXPECT_EQ(ReadWhole(target), "later");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(OutputFilesTest, TheFaultSeamFailsWritesOrTheClose) {
    const fs::path target = folder / "a.rtf";
    for (const WriteFault fault : {WriteFault::kWrite, WriteFault::kClose}) {
        Write(target, "earlier");
        SetWriteFault(fault, "/a.rtf");
        int error = 0;
        OutputStream output = OpenOutputStream(target.string(), OutputRoad::kReplace, &error);
        ASSERT_NE(output.stream, nullptr);
        std::fputs("later", output.stream);
        EXPECT_EQ(CloseOutputStream(output, true), fault == WriteFault::kWrite ? ENOSPC : EIO);
        EXPECT_EQ(ReadWhole(target), "earlier");
        EXPECT_EQ(EntryCount(), 1u);
    }
}

TEST_F(OutputFilesTest, LinksStayAndSharedFilesAreWrittenInPlace) {
    Write(folder / "real.html", "earlier");
    fs::create_symlink("real.html", folder / "link.html");
    EXPECT_EQ(WriteThrough(folder / "link.html", OutputRoad::kReplace, "later"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.html"));
    EXPECT_EQ(ReadWhole(folder / "real.html"), "later");

    // A file with a second hard link keeps its inode: both names see it.
    fs::create_hard_link(folder / "real.html", folder / "second.html");
    EXPECT_EQ(WriteThrough(folder / "real.html", OutputRoad::kReplace, "shared"), 0);
    EXPECT_EQ(ReadWhole(folder / "second.html"), "shared");

    // A folder in the way is refused.
    fs::create_directory(folder / "dir.html");
    int error = 0;
    EXPECT_EQ(OpenOutputStream((folder / "dir.html").string(), OutputRoad::kReplace, &error).stream, nullptr);
    EXPECT_EQ(error, EISDIR);
}

}  // namespace
