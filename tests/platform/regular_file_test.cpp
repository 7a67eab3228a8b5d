#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class RegularFileTest : public testing::Test {
protected:
    TempFolder temp{"vendrel_regular"};
    fs::path folder = temp.Path();
    void SetUp() override { ASSERT_TRUE(temp.Made()); }
};

TEST_F(RegularFileTest, ARegularFileIsReadAsAStream) {
    std::ofstream(folder / "a.txt") << "line\n";
    OpenedForReading opened = OpenRegularFileForReading((folder / "a.txt").c_str());
    ASSERT_TRUE(opened.stream);
    EXPECT_FALSE(opened.notRegular);
    EXPECT_TRUE(opened.reason.empty());
    EXPECT_EQ(opened.error, 0);
    char buffer[16] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, opened.stream.get()), 5u);
    EXPECT_STREQ(buffer, "line\n");
}

TEST_F(RegularFileTest, EverythingElseIsRefusedWithItsReason) {
    fs::create_directory(folder / "dir");
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::string socketPath = (folder / "sock").string();
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string path;
        bool notRegular;
        const char* reason;
        int error;
    };
    const Case cases[] = {
        {(folder / "dir").string(), true, "Is a directory", EISDIR},
        {(folder / "fifo").string(), true, "Not a regular file", ENODEV},  // no writer: must not block
        {"/dev/zero", true, "Not a regular file", ENODEV},
        {"/dev/null", true, "Not a regular file", ENODEV},
        {socketPath, true, "Not a regular file", ENODEV},
        {(folder / "missing").string(), false, "No such file or directory", ENOENT},
        {"", false, "No such file or directory", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const OpenedForReading opened = OpenRegularFileForReading(c.path.c_str());
        EXPECT_FALSE(opened.stream);
        EXPECT_EQ(opened.notRegular, c.notRegular);
        EXPECT_EQ(opened.reason, c.reason);
        EXPECT_EQ(opened.error, c.error);
    }
    ::close(server);
}

TEST_F(RegularFileTest, AWholeFileIsReadUpToItsLimit) {
    ASSERT_TRUE(WriteWhole(folder / "ten", "0123456789"));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    struct Case {
        std::string path;
        size_t limit;
        int error;
        const char* reason;
        const char* content;
    };
    const Case cases[] = {
        {(folder / "ten").string(), 10, 0, "", "0123456789"},
        {(folder / "ten").string(), 9, EFBIG, "File too large", ""},
        {(folder / "fifo").string(), 10, ENODEV, "Not a regular file", ""},
        {"/dev/zero", 10, ENODEV, "Not a regular file", ""},
        {(folder / "missing").string(), 10, ENOENT, "No such file or directory", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.limit));
        std::string content = "stale", reason = "stale";
        EXPECT_EQ(ReadRegularFile(c.path.c_str(), c.limit, &content, &reason), c.error);
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(content, c.content);
    }
}

}  // namespace
