#include "foundation/text_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kLeMark = "\xFF\xFE";
const std::string kBeMark = "\xFE\xFF";

std::string Utf16le(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

Lines ReadLines(TextFile& file) {
    Lines lines;
    TextString line;
    while (file.ReadLine(line)) lines.push_back(line.str());
    return lines;
}

class TextFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "text_file_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(dir, error);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (fs::path(dir) / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string Path(const std::string& relative) { return (fs::path(dir) / relative).string(); }
    // All lines of a file with the given bytes.
    Lines ReadFile(const std::string& bytes) {
        TextFile file;
        EXPECT_TRUE(file.OpenForRead(Write("in.txt", bytes).c_str()));
        return ReadLines(file);
    }

    std::string dir;
};

TEST_F(TextFileTest, OpenForReadRefusalsAndInputList) {
    std::string a = Write("a.txt", "x\n");
    TextFile file;
    EXPECT_FALSE(file.OpenForRead(nullptr));
    EXPECT_FALSE(file.OpenForRead(""));
    EXPECT_FALSE(file.OpenForRead(Path("missing.txt").c_str()));
    EXPECT_EQ(file.IsOpen(), 0);
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_FALSE(file.OpenForRead(a.c_str()));
    EXPECT_EQ(file.depth, 1);

    StringList list;
    list.Add("first");
    list.Add("second");
    TextFile fromList;
    fromList.inputList = &list;
    ASSERT_TRUE(fromList.OpenForRead(nullptr));
    EXPECT_EQ(ReadLines(fromList), (Lines{"first", "second"}));
}

TEST_F(TextFileTest, EightBitLines) {
    using S = std::string;
    EXPECT_EQ(ReadFile("one\ntwo"), (Lines{"one", "two"}));
    EXPECT_EQ(ReadFile("one\r\ntwo\r\n"), (Lines{"one", "two"}));
    EXPECT_EQ(ReadFile("a\rb\n\r\n"), (Lines{"a\rb", ""}));
    EXPECT_EQ(ReadFile(S("ab\0cd\nef\n", 9)), (Lines{"ab", "ef"}));
    // Without a mark, 16-bit bytes are 8-bit bytes and the input stays ASCII.
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("plain.txt", S("H\0i\0\r\0\n\0", 8)).c_str()));
    EXPECT_EQ(ReadLines(file), (Lines{"H", ""}));
    EXPECT_EQ(file.pureAscii, 1);
}

TEST_F(TextFileTest, NulBytesEndTheTextWhereverTheyStand) {
    // The line end and a NUL are looked for sixteen bytes at a time: a NUL
    // before, at and after those boundaries ends the text of its line only.
    const std::string line(40, 'x');
    for (const size_t at : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{32}, size_t{39}}) {
        std::string bytes = line + "\r\n" + line + "\n";
        bytes[at] = '\0';
        EXPECT_EQ(ReadFile(bytes), (Lines{line.substr(0, at), line})) << at;
        bytes = line + "\n" + line + "\r\n";
        bytes[41 + at] = '\0';
        EXPECT_EQ(ReadFile(bytes), (Lines{line, line.substr(0, at)})) << at;
    }
}

TEST_F(TextFileTest, LongLinesArriveInPieces) {
    const std::string x4095(4095, 'x');
    EXPECT_EQ(ReadFile(std::string(5000, 'x') + "\nend"), (Lines{x4095, std::string(905, 'x'), "end"}));
    // A line that fills the buffer exactly takes its line end along.
    EXPECT_EQ(ReadFile(x4095 + "\r\nend"), (Lines{x4095, "end"}));
    // 16-bit lines are cut at whole units, never inside a surrogate pair.
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(std::u16string(3000, u'x') + u"\nend")),
              (Lines{std::string(2047, 'x'), std::string(953, 'x'), "end"}));
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(std::u16string(2046, u'x') + u"\U0001F600\n")),
              (Lines{std::string(2046, 'x'), "\xF0\x9F\x98\x80"}));
}

TEST_F(TextFileTest, SixteenBitLines) {
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("le.txt", std::string("\xFF\xFE\x48\x00\x69\x00\x0D\x00\x0A\x00", 10)).c_str()));
    // The line end is removed as from an 8-bit line; the mark is no text.
    EXPECT_EQ(ReadLines(file), (Lines{"Hi"}));
    EXPECT_EQ(file.pureAscii, 0);
    EXPECT_EQ(file.littleEndian16, 1);

    EXPECT_EQ(ReadFile(kBeMark + std::string("\0H\0i\0\r\0\n\0A", 10)), (Lines{"Hi", "A"}));
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"caf\u00e9\r\n\n") + "A"), (Lines{"caf\xC3\xA9", ""}));
    // Line ends count on unit boundaries only: 0A 00 inside U+0A41 U+0100 is none.
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"\u0a41\u0100\nx")), (Lines{"\xE0\xA9\x81\xC4\x80", "x"}));
}

TEST_F(TextFileTest, IncludedFilesKeepTheirOwnEncoding) {
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("main.txt", "one\r\ntwo\nthree\n").c_str()));
    TextString line;
    ASSERT_TRUE(file.ReadLine(line));
    ASSERT_TRUE(file.OpenForRead(Write("inner.txt", kLeMark + Utf16le(u"\u00e9\r\nx\r\n")).c_str()));
    EXPECT_EQ(ReadLines(file), (Lines{"\xC3\xA9", "x", "two", "three"}));
    EXPECT_EQ(file.maxDepth, 2);
    EXPECT_EQ(file.littleEndian16, 0);

    // A 16-bit file including an 8-bit one pushed by its handle.
    TextFile wide;
    ASSERT_TRUE(wide.OpenForRead(Write("main16.txt", kBeMark + std::string("\0a\0\n\0b", 6)).c_str()));
    ASSERT_TRUE(wide.ReadLine(line));
    std::string inner = Write("inner8.txt", "p\nq");
    ASSERT_EQ(wide.PushFile(std::fopen(inner.c_str(), "rb"), inner.c_str()), 1);
    EXPECT_EQ(ReadLines(wide), (Lines{"p", "q", "b"}));
}

TEST_F(TextFileTest, SelfIncludesCyclesAndDeepNestingAreRefused) {
    std::string a = Write("a.txt", "a1\n");
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_FALSE(file.OpenForRead(Path("./a.txt").c_str()));
    ASSERT_TRUE(file.OpenForRead(Write("b.txt", "b1\n").c_str()));
    EXPECT_FALSE(file.OpenForRead((fs::path(dir) / ".." / fs::path(dir).filename() / "a.txt").c_str()));
    FILE* handle = std::fopen(a.c_str(), "rb");
    EXPECT_EQ(file.PushFile(handle, Path("./a.txt").c_str()), 0);
    std::fclose(handle);  // a refused handle stays the caller's
    // Refused or missing includes leave the stacked files open and readable.
    EXPECT_FALSE(file.OpenForRead(Path("missing.txt").c_str()));
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(ReadLines(file), (Lines{"b1", "a1"}));

    TextFile deep;
    for (int i = 0; i <= TextFile::kMaxDepth; ++i)
        EXPECT_EQ(deep.OpenForRead(Write("n" + std::to_string(i), "x").c_str()), i < TextFile::kMaxDepth) << i;
    EXPECT_EQ(deep.depth, TextFile::kMaxDepth);
}

TEST_F(TextFileTest, HistoryKeepsTheNewestLines) {
    StringList list;
    for (int i = 1; i <= 101; ++i) list.Add(("line " + std::to_string(i)).c_str());
    TextFile file;
    file.inputList = &list;
    ASSERT_TRUE(file.OpenForRead(nullptr));
    for (int i = 1; i <= 100; ++i) ASSERT_TRUE(file.ReadRawLine());
    EXPECT_EQ(file.historyCount, 100);
    ASSERT_TRUE(file.ReadRawLine());
    EXPECT_EQ(file.historyCount, 11);
    EXPECT_STREQ(file.GetHistoryLine(1), "line 91");
    EXPECT_STREQ(file.GetHistoryLine(11), "line 101");
    EXPECT_EQ(file.GetHistoryLine(0), nullptr);
    EXPECT_EQ(file.GetHistoryLine(12), nullptr);
    EXPECT_EQ(file.DropOldestLines(-1), 11);
    EXPECT_EQ(file.DropOldestLines(3), 8);
    EXPECT_EQ(file.DropOldestLines(100), 0);
}

// The lines of 8-bit bytes as a byte-by-byte reader cuts them: at each LF
// (a CR before it dropped), at 4095 bytes (the line end taken along when it
// follows at once), each line ending at its first NUL byte.
Lines ReferenceLines(const std::string& bytes) {
    Lines lines;
    size_t i = 0;
    while (i < bytes.size()) {
        std::string line;
        bool feed = false;
        while (i < bytes.size()) {
            const char c = bytes[i++];
            if (c == '\n') {
                feed = true;
                break;
            }
            line.push_back(c);
            if (line.size() == 4095) {
                if (i < bytes.size() && bytes[i] == '\n') {
                    feed = true;
                    ++i;
                } else if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n') {
                    i += 2;
                }
                break;
            }
        }
        if (feed && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line.substr(0, line.find('\0')));
    }
    return lines;
}

TEST_F(TextFileTest, LinesAcrossReadBlocksAndReusedHistory) {
    // Far more than one read block, with lines of every length up to past
    // the limit, CR LF and NUL bytes placed to fall on block boundaries.
    std::string bytes;
    unsigned seed = 7;
    while (bytes.size() < 300000) {
        seed = seed * 1103515245u + 12345u;
        const size_t length = (seed >> 8) % 5 == 0 ? (seed >> 12) % 9000 : (seed >> 12) % 90;
        for (size_t k = 0; k < length; ++k) bytes.push_back(static_cast<char>('a' + (k + seed) % 26));
        if ((seed >> 20) % 7 == 0) bytes.push_back('\0');
        bytes += (seed >> 16) % 3 == 0 ? "\r\n" : "\n";
    }
    bytes += std::string(4095, 'z') + "\r\nlast";
    const Lines expected = ReferenceLines(bytes);
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("blocks.txt", bytes).c_str()));
    EXPECT_EQ(ReadLines(file), expected);
    // The history holds the newest lines, whatever earlier lines it reused.
    ASSERT_GE(file.historyCount, 1);
    EXPECT_STREQ(file.GetHistoryLine(file.historyCount), "last");
    EXPECT_EQ(std::string(file.GetHistoryLine(file.historyCount - 1)), std::string(4095, 'z'));
}

TEST_F(TextFileTest, SwitchToFileSucceedsNineTimes) {
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("s0", "file 0").c_str()));
    TextString line;
    for (int i = 1; i <= 9; ++i) {
        ASSERT_TRUE(file.SwitchToFile(Write("s" + std::to_string(i), "file " + std::to_string(i)).c_str()));
        ASSERT_TRUE(file.ReadLine(line));
        EXPECT_EQ(line.str(), "file " + std::to_string(i));
    }
    EXPECT_FALSE(file.SwitchToFile(Write("s10", "x").c_str()));
    EXPECT_EQ(file.depth, 0);
}

TEST_F(TextFileTest, WriteLineTargets) {
    EXPECT_FALSE(WriteLine(nullptr, "x"));
    TextFile closed;
    EXPECT_FALSE(WriteLine(&closed, "x"));
    EXPECT_FALSE(closed.OpenForWrite(Path("no/such.txt").c_str(), 0, 0));

    std::string path = Path("out.txt");
    StringList list;
    {
        TextFile file;
        ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
        EXPECT_TRUE(WriteLine(&file, "alpha"));
        EXPECT_TRUE(file.PutString(TextString("")));
        file.outputList = &list;  // the list takes the line instead of the file
        EXPECT_TRUE(file.PutLine("listed"));
    }
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "alpha\n\n");
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.TextAt(0), "listed");

    TextFile console;
    ASSERT_TRUE(console.OpenForWrite(nullptr, 1, 0));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(WriteLine(&console, "on the console"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "on the console\n");
}

TEST_F(TextFileTest, ResetFileStackClosesHandles) {
    if (!fs::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc";
    auto openHandles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    TextFile file;
    auto before = openHandles();
    ASSERT_TRUE(file.OpenForRead(Write("a.txt", "x").c_str()));
    ASSERT_TRUE(file.OpenForRead(Write("b.txt", "y").c_str()));
    file.ResetFileStack();
    EXPECT_EQ(openHandles(), before);
}

}  // namespace

// Written files are buffered in large pieces: everything written arrives,
// in order, across many buffer fills, and each file's buffer goes when the
// file is closed (a writer that opens file after file keeps none of them).
TEST_F(TextFileTest, WrittenFilesArriveWholeAndTheirBuffersAreFreed) {
    TextFile file;
    std::string expected;
    for (int round = 0; round < 3; ++round) {
        const std::string path = Path("out" + std::to_string(round) + ".txt");
        ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
        EXPECT_EQ(file.writeBuffers.size(), 1u);
        expected.clear();
        for (int i = 0; i < 40000; ++i) {
            const std::string line = "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 37), 'x');
            ASSERT_TRUE(file.PutLine(line.c_str()));
            expected += line + "\n";
        }
        ASSERT_GT(expected.size(), 3 * TextFile::kWriteBufferSize);
        file.CloseAll();
        EXPECT_TRUE(file.writeBuffers.empty());
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
    }
}
