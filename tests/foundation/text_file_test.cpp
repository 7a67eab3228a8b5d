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

class TextFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "text_file_test_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir = buffer.data();
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
    std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Every line of the file, read through ReadLine.
    std::vector<std::string> ReadLines(TextFile& file) {
        std::vector<std::string> lines;
        TextString line;
        while (file.ReadLine(line)) lines.push_back(line.str());
        return lines;
    }

    std::string dir;
};

std::string Utf16le(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

const std::string kLeMark = "\xFF\xFE";
const std::string kBeMark = "\xFE\xFF";

// ---------------------------------------------------------------------------
// Opening

TEST_F(TextFileTest, OpenForReadRefusals) {
    std::string a = Write("a.txt", "x\n");
    TextFile file;
    EXPECT_FALSE(file.OpenForRead(nullptr));
    EXPECT_FALSE(file.OpenForRead(""));
    EXPECT_FALSE(file.OpenForRead((fs::path(dir) / "missing.txt").c_str()));
    EXPECT_EQ(file.IsOpen(), 0);
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(file.forReading, 1);
    EXPECT_TRUE(file.IsFileOpen(a.c_str()));
    EXPECT_FALSE(file.OpenForRead(a.c_str()));
    EXPECT_EQ(file.depth, 1);
}

TEST_F(TextFileTest, ReadsFromInputListWithoutFile) {
    StringList list;
    list.Add("first");
    list.Add("second");
    TextFile file;
    file.inputList = &list;
    ASSERT_TRUE(file.OpenForRead(nullptr));
    EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(file.linesRead, 0);
    EXPECT_EQ(file.inputPosition, 2);
}

TEST_F(TextFileTest, OpenForWriteFailureLeavesClosed) {
    TextFile file;
    EXPECT_FALSE(file.OpenForWrite((fs::path(dir) / "no" / "such.txt").c_str(), 0, 0));
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_FALSE(file.OpenForWrite("", 0, 1));
}

// ---------------------------------------------------------------------------
// 8-bit lines

TEST_F(TextFileTest, EightBitLines) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"one\ntwo", {"one", "two"}},           // last line without newline
        {"one\r\ntwo\r\n", {"one", "two"}},     // CR of CR LF dropped
        {"a\rb\n\r\n\n", {"a\rb", "", ""}},     // a lone CR stays
        {std::string("ab\0cd\nef\n", 9), {"ab", "ef"}},  // NUL ends the text
        {"", {}},
        {"\xE9t\xE9\n", {"\xE9t\xE9"}},
        // Without a mark, 16-bit bytes are plain 8-bit bytes.
        {std::string("H\0i\0\r\0\n\0", 8), {"H", ""}},
    };
    for (const Case& c : cases) {
        std::string path = Write("eight.txt", c.bytes);
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(path.c_str()));
        EXPECT_EQ(ReadLines(file), c.lines) << testing::PrintToString(c.bytes);
        EXPECT_EQ(file.linesRead, static_cast<int>(c.lines.size()));
        EXPECT_EQ(file.pureAscii, 1);
        EXPECT_EQ(file.littleEndian16 + file.bigEndian16, 0);
    }
}

TEST_F(TextFileTest, LongEightBitLinesArriveInPieces) {
    struct Case {
        std::string bytes;
        std::vector<size_t> lengths;
    };
    const std::vector<Case> cases = {
        {std::string(5000, 'x') + "\nend\n", {4095, 905, 3}},
        // A line that fills the buffer exactly brings its line end along.
        {std::string(4095, 'x') + "\nend\n", {4095, 3}},
        {std::string(4095, 'x') + "\r\nend\n", {4095, 3}},
        {std::string(4094, 'x') + "\r\nend\n", {4094, 3}},
        {std::string(4095, 'x') + "\rend\n", {4095, 4}},
        {std::string(8190, 'x'), {4095, 4095}},
    };
    for (const Case& c : cases) {
        std::string path = Write("long.txt", c.bytes);
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(path.c_str()));
        std::vector<size_t> lengths;
        for (const std::string& line : ReadLines(file)) lengths.push_back(line.size());
        EXPECT_EQ(lengths, c.lengths) << c.bytes.size();
    }
}

// ---------------------------------------------------------------------------
// 16-bit lines

TEST_F(TextFileTest, SixteenBitLittleEndian) {
    std::string path = Write("le.txt", std::string("\xFF\xFE\x48\x00\x69\x00\x0D\x00\x0A\x00", 10));
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(path.c_str()));
    TextString line;
    ASSERT_TRUE(file.ReadLine(line));
    // The line end is removed, as for an 8-bit line; the mark is not text.
    EXPECT_EQ(line.str(), "Hi");
    EXPECT_EQ(file.pureAscii, 0);
    EXPECT_EQ(file.littleEndian16, 1);
    EXPECT_FALSE(file.ReadLine(line));
}

TEST_F(TextFileTest, SixteenBitLines) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {kBeMark + std::string("\0H\0i\0\r\0\n\0A", 10), {"Hi", "A"}},
        {kLeMark + Utf16le(u"caf\u00e9\n\u20ac 5\r\n\n"), {"caf\xC3\xA9", "\xE2\x82\xAC 5", ""}},
        // Line ends count on unit boundaries only: the bytes 0A 00 inside
        // U+0A41 U+0100 are no line end.
        {kLeMark + Utf16le(u"\u0a41\u0100\nx"), {"\xE0\xA9\x81\xC4\x80", "x"}},
        // A surrogate pair is one character; an odd last byte is dropped.
        {kLeMark + Utf16le(u"\U0001F600\n") + "A", {"\xF0\x9F\x98\x80"}},
        {kLeMark, {}},
    };
    for (const Case& c : cases) {
        std::string path = Write("sixteen.txt", c.bytes);
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(path.c_str()));
        EXPECT_EQ(ReadLines(file), c.lines) << testing::PrintToString(c.bytes);
        EXPECT_EQ(file.pureAscii, 0);
    }
}

TEST_F(TextFileTest, LongSixteenBitLinesStayAligned) {
    struct Case {
        std::u16string text;
        std::vector<std::string> lines;
    };
    const std::string x2047(2047, 'x');
    const std::vector<Case> cases = {
        {std::u16string(3000, u'x') + u"\nend\n", {x2047, std::string(953, 'x'), "end"}},
        {std::u16string(2047, u'x') + u"\r\nend\n", {x2047, "end"}},
        // A cut never splits a surrogate pair.
        {std::u16string(2046, u'x') + u"\U0001F600\n", {std::string(2046, 'x'), "\xF0\x9F\x98\x80"}},
    };
    for (const Case& c : cases) {
        std::string path = Write("long16.txt", kLeMark + Utf16le(c.text));
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(path.c_str()));
        EXPECT_EQ(ReadLines(file), c.lines) << c.text.size();
    }
}

// ---------------------------------------------------------------------------
// Included files

TEST_F(TextFileTest, EightBitFileIncludingSixteenBitFile) {
    std::string main = Write("main.txt", "one\r\ntwo\nthree\n");
    std::string inner = Write("inner.txt", kLeMark + Utf16le(u"\u00e9\r\nx\r\n"));
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(main.c_str()));
    TextString line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line.str(), "one");
    ASSERT_TRUE(file.OpenForRead(inner.c_str()));
    EXPECT_EQ(file.depth, 2);
    EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"\xC3\xA9", "x", "two", "three"}));
    EXPECT_EQ(file.depth, 1);
    EXPECT_EQ(file.maxDepth, 2);
    // The including file is 8-bit again.
    EXPECT_EQ(file.littleEndian16, 0);
}

TEST_F(TextFileTest, SixteenBitFileIncludingEightBitFileThroughPushFile) {
    std::string main = Write("main16.txt", kBeMark + std::string("\0a\0\n\0b\0\n", 8));
    std::string inner = Write("inner8.txt", "p\nq");
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(main.c_str()));
    TextString line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line.str(), "a");
    EXPECT_EQ(file.bigEndian16, 1);
    FILE* handle = std::fopen(inner.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(file.PushFile(handle, inner.c_str()), 1);
    EXPECT_EQ(file.bigEndian16, 0);
    EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"p", "q", "b"}));
}

TEST_F(TextFileTest, SelfIncludeAndCyclesAreRefused) {
    std::string a = Write("a.txt", "a1\na2\n");
    std::string b = Write("b.txt", "b1\n");
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    // The same file under another spelling.
    EXPECT_FALSE(file.OpenForRead((fs::path(dir) / "." / "a.txt").c_str()));
    std::error_code error;
    fs::create_symlink(a, fs::path(dir) / "link.txt", error);
    if (!error) {
        EXPECT_FALSE(file.OpenForRead((fs::path(dir) / "link.txt").c_str()));
    }
    // A -> B -> A.
    ASSERT_TRUE(file.OpenForRead(b.c_str()));
    EXPECT_FALSE(file.OpenForRead(a.c_str()));
    EXPECT_FALSE(file.OpenForRead((fs::path(dir) / ".." / fs::path(dir).filename() / "a.txt").c_str()));
    FILE* handle = std::fopen(a.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(file.PushFile(handle, (fs::path(dir) / "./a.txt").c_str()), 0);
    std::fclose(handle);  // a refused handle stays the caller's
    EXPECT_EQ(file.depth, 2);
    // Refusals leave the stacked files open and readable.
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"b1", "a1", "a2"}));
}

TEST_F(TextFileTest, MissingIncludeLeavesIncludingFileReadable) {
    std::string a = Write("a.txt", "a1\na2\n");
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_FALSE(file.OpenForRead((fs::path(dir) / "missing.txt").c_str()));
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"a1", "a2"}));
}

TEST_F(TextFileTest, StackDepthIsCapped) {
    TextFile file;
    for (int i = 0; i < TextFile::kMaxDepth; ++i) {
        std::string path = Write("nest" + std::to_string(i) + ".txt", "line\n");
        ASSERT_TRUE(file.OpenForRead(path.c_str())) << i;
    }
    std::string extra = Write("extra.txt", "line\n");
    EXPECT_FALSE(file.OpenForRead(extra.c_str()));
    FILE* handle = std::fopen(extra.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(file.PushFile(handle, extra.c_str()), 0);
    std::fclose(handle);
    EXPECT_EQ(file.depth, TextFile::kMaxDepth);
    EXPECT_EQ(ReadLines(file).size(), static_cast<size_t>(TextFile::kMaxDepth));
}

// ---------------------------------------------------------------------------
// History and switching

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
    EXPECT_STREQ(file.GetHistoryLine(file.historyCount), "line 101");
    EXPECT_EQ(file.GetHistoryLine(0), nullptr);
    EXPECT_EQ(file.GetHistoryLine(file.historyCount + 1), nullptr);
    EXPECT_EQ(file.DropOldestLines(-1), 11);
    EXPECT_EQ(file.DropOldestLines(3), 8);
    EXPECT_STREQ(file.GetHistoryLine(1), "line 94");
    EXPECT_EQ(file.DropOldestLines(100), 0);
    EXPECT_EQ(file.GetHistoryLine(1), nullptr);
}

TEST_F(TextFileTest, SwitchToFileSucceedsNineTimes) {
    std::vector<std::string> paths;
    for (int i = 0; i <= 10; ++i) paths.push_back(Write("s" + std::to_string(i) + ".txt", "file " + std::to_string(i)));
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(paths[0].c_str()));
    TextString line;
    for (int i = 1; i <= 9; ++i) {
        ASSERT_TRUE(file.SwitchToFile(paths[static_cast<size_t>(i)].c_str())) << i;
        EXPECT_EQ(file.depth, 1);
        ASSERT_TRUE(file.ReadLine(line));
        EXPECT_EQ(line.str(), "file " + std::to_string(i));
    }
    EXPECT_FALSE(file.SwitchToFile(paths[10].c_str()));
    EXPECT_EQ(file.depth, 0);
    EXPECT_EQ(file.switchCount, 10);
    // The limit holds for the object's whole life.
    file.CloseAll();
    ASSERT_TRUE(file.OpenForRead(paths[0].c_str()));
    EXPECT_FALSE(file.SwitchToFile(paths[1].c_str()));
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(TextFileTest, WritesLinesWithLineFeeds) {
    std::string path = (fs::path(dir) / "out.txt").string();
    {
        TextFile file;
        ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
        EXPECT_EQ(file.forReading, 0);
        EXPECT_TRUE(WriteLine(&file, "alpha"));
        EXPECT_TRUE(file.PutLine(""));
        EXPECT_TRUE(file.PutString(TextString("gamma")));
        EXPECT_EQ(file.binaryMode, 0);
    }
    EXPECT_EQ(ReadAll(path), "alpha\n\ngamma\n");
}

TEST_F(TextFileTest, WriteLineTargets) {
    EXPECT_FALSE(WriteLine(nullptr, "x"));
    TextFile closed;
    EXPECT_FALSE(WriteLine(&closed, "x"));

    // An output list takes the line instead of the file.
    std::string path = (fs::path(dir) / "listed.txt").string();
    StringList list;
    {
        TextFile file;
        ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 1));
        EXPECT_EQ(file.binaryMode, 1);
        file.outputList = &list;
        EXPECT_TRUE(WriteLine(&file, "to the list"));
    }
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.TextAt(0), "to the list");
    EXPECT_EQ(ReadAll(path), "");

    TextFile console;
    ASSERT_TRUE(console.OpenForWrite(nullptr, 1, 0));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(WriteLine(&console, "on the console"));
    EXPECT_TRUE(console.PutLine("again"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "on the console\nagain\n");
}

// No handle is left open by resetting the stack.
TEST_F(TextFileTest, ResetFileStackClosesHandles) {
    auto openHandles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    if (!fs::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc";
    std::string a = Write("a.txt", "x\n");
    std::string b = Write("b.txt", "y\n");
    TextFile file;
    auto before = openHandles();
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    ASSERT_TRUE(file.OpenForRead(b.c_str()));
    file.ResetFileStack();
    EXPECT_EQ(file.depth, 0);
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(openHandles(), before);
}

}  // namespace
