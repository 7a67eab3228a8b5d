#include "platform/output_files.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scoped_tmpfs.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class OutputFilesTest : public testing::Test {
protected:
    TempFolder temp{"output_files"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void TearDown() override {
        SetWriteFault(WriteFault::kNone, "");
        SetRoomCalls(SystemRoomCalls());
    }
    void Write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    // Writes `content` to `path`; the error of opening or else of closing.
    int WriteThrough(const fs::path& path, const std::string& content, bool keep = true) {
        int error = -1;
        OutputStream output = OpenOutputStream(path.string(), &error);
        if (!output.stream) return error;
        EXPECT_EQ(error, 0);
        std::fwrite(content.data(), 1, content.size(), output.stream);
        return CloseOutputStream(output, keep);
    }
    // The names in the folder, hidden ones (temporary files) included.
    std::vector<std::string> Entries(const fs::path& in) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(in)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Entries() const { return Entries(folder); }
};

ino_t InodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

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
    EXPECT_EQ(WriteThrough(target, "later"), 0);
    EXPECT_EQ(ReadWhole(target), "later");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    // Not kept: the earlier file stays, nothing is left beside it.
    EXPECT_EQ(WriteThrough(target, "broken", false), 0);
    EXPECT_EQ(ReadWhole(target), "later");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.html"});
}

// Every fault leaves the earlier file whole and no temporary beside it, on
// both roads (a file of its own is renamed onto, one with a second hard link
// copied into).
TEST_F(OutputFilesTest, TheFaultSeamFailsTheTemporaryItsWritesOrItsClose) {
    const fs::path target = folder / "a.rtf";
    struct Case {
        WriteFault fault;
        int error;
    };
    const Case cases[] = {{WriteFault::kWrite, ENOSPC}, {WriteFault::kClose, EIO}, {WriteFault::kCreate, ENOSPC}};
    for (const bool linked : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(static_cast<int>(c.fault)) + (linked ? " linked" : ""));
            Write(target, "earlier");
            if (linked && !fs::exists(folder / "second.rtf")) fs::create_hard_link(target, folder / "second.rtf");
            SetWriteFault(c.fault, "/a.rtf");
            EXPECT_EQ(WriteThrough(target, "later"), c.error);
            SetWriteFault(WriteFault::kNone, "");
            EXPECT_EQ(ReadWhole(target), "earlier");
            if (linked) {
                EXPECT_EQ(ReadWhole(folder / "second.rtf"), "earlier");
            }
            EXPECT_EQ(Entries().size(), linked ? 2u : 1u);
        }
    }
}

TEST_F(OutputFilesTest, LinksStayAndSharedFilesAreCopiedIntoWhenWhole) {
    Write(folder / "real.html", "earlier");
    fs::create_symlink("real.html", folder / "link.html");
    EXPECT_EQ(WriteThrough(folder / "link.html", "later"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.html"));
    EXPECT_EQ(ReadWhole(folder / "real.html"), "later");

    // A file with a second hard link keeps its inode: both names see the
    // new content, shorter or longer than the old, and only once it is
    // whole.
    fs::create_hard_link(folder / "real.html", folder / "second.html");
    const ino_t inode = InodeOf(folder / "real.html");
    for (const std::string& content : {std::string("shared, and longer than before"), std::string("short")}) {
        int error = -1;
        OutputStream output = OpenOutputStream((folder / "link.html").string(), &error);
        ASSERT_NE(output.stream, nullptr);
        EXPECT_TRUE(output.copyInto);
        std::fputs(content.c_str(), output.stream);
        std::fflush(output.stream);
        EXPECT_EQ(ReadWhole(folder / "second.html"),
                  content == "short" ? "shared, and longer than before" : "later");
        EXPECT_EQ(CloseOutputStream(output, true), 0);
        EXPECT_EQ(ReadWhole(folder / "second.html"), content);
        EXPECT_EQ(ReadWhole(folder / "real.html"), content);
        EXPECT_EQ(InodeOf(folder / "second.html"), inode);
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"link.html", "real.html", "second.html"}));
}

// A folder, a FIFO or a socket is refused before anything is opened (a FIFO
// without a reader would block for ever); a character device is written in
// place.
TEST_F(OutputFilesTest, OnlyFilesAndCharacterDevicesTakeOutput) {
    fs::create_directory(folder / "dir.html");
    ASSERT_EQ(::mkfifo((folder / "fifo.html").c_str(), 0600), 0);
    const std::string socketPath = (folder / "sock.html").string();
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("fifo.html", folder / "to_fifo.html");
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {(folder / "dir.html").string(), EISDIR},
        {(folder / "fifo.html").string(), ENXIO},
        {socketPath, ENXIO},
        {(folder / "to_fifo.html").string(), ENXIO},
        {"/dev/null", 0},
        {"", ENOENT},
        {(folder / "no" / "a.html").string(), ENOENT},
    };
    const std::vector<std::string> before = Entries();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(WriteThrough(c.path, "text"), c.error);
    }
    EXPECT_EQ(Entries(), before);
    ::close(server);
}

// The temporary's name fits the folder's longest name whatever the
// target's: a name of 255 bytes can be written, new or existing, and one of
// two-byte characters is never cut inside a character.
TEST_F(OutputFilesTest, LongNamesAreWrittenThroughShortenedTemporaries) {
    const std::string longest(255 - 5, 'n');
    const std::string wide = [] {
        std::string name;
        while (name.size() + 2 <= 250) name += "\xC3\xA9";  // é
        return name + ".html";
    }();
    for (const std::string& name : {longest + ".html", std::string(246, 'm') + ".html", wide}) {
        SCOPED_TRACE(name.size());
        for (const char* content : {"first", "second"}) {
            int error = -1;
            OutputStream output = OpenOutputStream((folder / name).string(), &error);
            ASSERT_NE(output.stream, nullptr) << SystemErrorText(error);
            const std::string temporary = fs::path(output.temporary).filename().string();
            EXPECT_LE(temporary.size(), 255u);
            EXPECT_EQ(temporary[0], '.');
            // Every character whole: no lead byte without its follower.
            for (size_t i = 0; i < temporary.size(); ++i) {
                if (static_cast<unsigned char>(temporary[i]) == 0xC3) {
                    EXPECT_EQ(static_cast<unsigned char>(temporary[i + 1]), 0xA9) << i;
                }
            }
            std::fputs(content, output.stream);
            EXPECT_EQ(CloseOutputStream(output, true), 0);
            EXPECT_EQ(ReadWhole(folder / name), content);
        }
        fs::remove(folder / name);
    }
    EXPECT_TRUE(Entries().empty());
}

// A target with a second hard link on a disk with room for the temporary but
// not for the copy: the room is taken before the target changes, so the
// target stays whole.  Needs a small tmpfs, which only root may mount.
TEST_F(OutputFilesTest, ACopyWithoutRoomLeavesTheTargetAsItWas) {
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    const ScopedTmpfs tmpfs(disk, "size=1m");
    if (!tmpfs.Mounted()) GTEST_SKIP() << ScopedTmpfs::kNotMounted;
    Write(disk / "a.html", "earlier");
    fs::create_hard_link(disk / "a.html", disk / "b.html");
    Write(disk / "filler", std::string(size_t{1} << 19, 'f'));  // half the disk
    const std::string content(size_t{300} * 1024, 'x');  // fits once, not twice
    EXPECT_EQ(WriteThrough(disk / "a.html", content), ENOSPC);
    EXPECT_EQ(ReadWhole(disk / "a.html"), "earlier");
    EXPECT_EQ(ReadWhole(disk / "b.html"), "earlier");
    EXPECT_EQ(Entries(disk), (std::vector<std::string>{"a.html", "b.html", "filler"}));
    // With room it goes through.
    fs::remove(disk / "filler");
    EXPECT_EQ(WriteThrough(disk / "a.html", content), 0);
    EXPECT_EQ(ReadWhole(disk / "b.html"), content);
}

// Fakes of a file system that cannot reserve room (ext2, say), with the
// free space the test gives it.
long long gFakeFreeBytes = 0;
int RefuseReservation(int, off_t) {
    errno = EOPNOTSUPP;
    return -1;
}
long long FakeFreeBytes(int) { return gFakeFreeBytes; }

// Where room cannot be reserved, the old content of a hard-linked target is
// overwritten only when the free space holds the whole new content; else
// both names keep the old content and the copy is refused as a full disk.
TEST_F(OutputFilesTest, WithoutReservationACopyNeedsTheFreeSpaceForTheNewContent) {
    SetRoomCalls(RoomCalls{RefuseReservation, FakeFreeBytes});
    const std::string content(size_t{100} * 1024, 'n');
    struct Case {
        long long freeBytes;
        int error;
    };
    const Case cases[] = {
        {static_cast<long long>(content.size()) - 1, ENOSPC},
        {0, ENOSPC},
        {static_cast<long long>(content.size()), 0},
        {-1, 0},  // the free space cannot be told: the copy goes ahead
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.freeBytes);
        Write(folder / "a.html", "earlier");
        fs::remove(folder / "b.html");
        fs::create_hard_link(folder / "a.html", folder / "b.html");
        gFakeFreeBytes = c.freeBytes;
        int error = -1;
        OutputStream output = OpenOutputStream((folder / "a.html").string(), &error);
        ASSERT_NE(output.stream, nullptr);
        std::fwrite(content.data(), 1, content.size(), output.stream);
        EXPECT_EQ(CloseOutputStream(output, true), c.error);
        EXPECT_TRUE(output.keptTemporary.empty());
        const std::string expected = c.error ? "earlier" : content;
        EXPECT_EQ(ReadWhole(folder / "a.html"), expected);
        EXPECT_EQ(ReadWhole(folder / "b.html"), expected);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"a.html", "b.html"}));
    }
}

// A copy that fails once the target has begun to change keeps the
// temporary, the only whole copy of the new content, and names it.
TEST_F(OutputFilesTest, ACopyThatFailsMidwayKeepsTheWholeTemporary) {
    Write(folder / "a.html", std::string(1000, 'o'));
    fs::create_hard_link(folder / "a.html", folder / "b.html");
    SetWriteFault(WriteFault::kCopy, "a.html");
    const std::string content(4000, 'n');
    int error = -1;
    OutputStream output = OpenOutputStream((folder / "a.html").string(), &error);
    ASSERT_NE(output.stream, nullptr);
    std::fwrite(content.data(), 1, content.size(), output.stream);
    EXPECT_EQ(CloseOutputStream(output, true), ENOSPC);
    ASSERT_FALSE(output.keptTemporary.empty());
    EXPECT_EQ(fs::path(output.keptTemporary).parent_path(), folder);
    EXPECT_EQ(ReadWhole(output.keptTemporary), content);
    EXPECT_NE(ReadWhole(folder / "b.html"), content);  // cut
    EXPECT_EQ(Entries().size(), 3u);
}

}  // namespace
