#include "platform/file_status.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

class FileStatusTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("vendrel_file_status_" + std::to_string(::getpid()));
        fs::create_directories(folder / "sub");
        std::ofstream(folder / "file.txt") << "text";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder / "sub", fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }
    std::string Path(const char* name) const { return (folder / name).string(); }

    fs::path folder;
};

TEST_F(FileStatusTest, PathsAreTold) {
    fs::create_symlink(folder / "sub", folder / "link_to_sub");
    fs::create_symlink(folder / "gone", folder / "dangling");
    struct Case {
        const char* name;
        PathKind kind;
    };
    // clang-format off
    const Case cases[] = {
        {"file.txt", PathKind::kOther},         {"sub", PathKind::kDirectory},
        {"link_to_sub", PathKind::kDirectory},  {"missing", PathKind::kMissing},
        {"dangling", PathKind::kMissing},       {"file.txt/below", PathKind::kMissing},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(KindOfPath(Path(c.name)), c.kind) << c.name;
    EXPECT_EQ(KindOfPath(std::string()), PathKind::kMissing);
}

TEST_F(FileStatusTest, KindsOfFileAreTold) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink(folder / "fifo", folder / "link_to_fifo");
    fs::create_symlink("/dev/null", folder / "link_to_null");
    struct Case {
        std::string path;
        FileKind kind;
    };
    const Case cases[] = {
        {Path("file.txt"), FileKind::kRegular},
        {Path("sub"), FileKind::kDirectory},
        {Path("fifo"), FileKind::kFifo},
        {Path("link_to_fifo"), FileKind::kFifo},
        {Path("link_to_null"), FileKind::kCharacterDevice},
        {Path("missing"), FileKind::kMissing},
        {"", FileKind::kMissing},
    };
    for (const Case& c : cases) EXPECT_EQ(KindOfFile(c.path), c.kind) << c.path;
}

TEST_F(FileStatusTest, DirectoriesAllowWhatTheirModeAllows) {
    EXPECT_TRUE(DirectoryAllows(Path("sub"), false));
    EXPECT_TRUE(DirectoryAllows(Path("sub"), true));
    EXPECT_FALSE(DirectoryAllows(Path("missing"), false));
    // The superuser passes every permission check, so the refusals are seen
    // by others only.
    if (::geteuid() == 0) return;
    fs::permissions(folder / "sub", fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_TRUE(DirectoryAllows(Path("sub"), false));
    EXPECT_FALSE(DirectoryAllows(Path("sub"), true));
    fs::permissions(folder / "sub", fs::perms::owner_read, fs::perm_options::replace);
    EXPECT_FALSE(DirectoryAllows(Path("sub"), false));
}

TEST_F(FileStatusTest, ModificationTimesAndLocalTimes) {
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(50);
    fs::last_write_time(folder / "file.txt", stamp);
    std::time_t when = 0;
    ASSERT_TRUE(GetFileModificationTime(Path("file.txt"), &when));
    const std::time_t expected = std::chrono::system_clock::to_time_t(
        std::chrono::file_clock::to_sys(std::chrono::time_point_cast<std::chrono::file_clock::duration>(stamp)));
    EXPECT_LE(std::abs(static_cast<long>(when - expected)), 1);
    when = 5;
    EXPECT_FALSE(GetFileModificationTime(Path("missing"), &when));
    EXPECT_EQ(when, 5);

    std::tm local{};
    ASSERT_TRUE(GetLocalTime(when, &local));
    std::tm check = local;
    EXPECT_EQ(std::mktime(&check), 5);
}

TEST_F(FileStatusTest, TheProgramAndTheCurrentDirectory) {
    const std::string program = RunningProgramPath();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(fs::equivalent(program, "/proc/self/exe"));
    EXPECT_EQ(CurrentDirectory(), fs::current_path().string());
}

}  // namespace
