#include "foundation/text_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_folder.h"

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

std::string Utf16be(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit >> 8));
        bytes.push_back(static_cast<char>(unit & 0xFF));
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
    void SetUp() override { ASSERT_TRUE(temp.Made()); }
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

    // Opens `file` on the entries of `list`, filled with `entries`.
    static void OpenOnList(TextFile& file, StringList& list, std::initializer_list<const char*> entries) {
        for (const char* entry : entries) list.Add(entry);
        file.inputList = &list;
        ASSERT_TRUE(file.OpenForRead(nullptr));
    }

    TempFolder temp{"text_file_test"};
    std::string dir = temp.Path().string();
};

TEST_F(TextFileTest, OpenForReadRefusalsAndInputList) {
    std::string a = Write("a.txt", "x\n");
    TextFile file;
    EXPECT_FALSE(file.OpenForRead(nullptr));
    EXPECT_FALSE(file.OpenForRead(""));
    EXPECT_EQ(file.openFailure, "no file name");
    EXPECT_FALSE(file.OpenForRead(Path("missing.txt").c_str()));
    EXPECT_EQ(file.openFailure, "No such file or directory");
    EXPECT_FALSE(file.OpenForRead(dir.c_str()));
    EXPECT_EQ(file.openFailure, "Is a directory");
    EXPECT_EQ(file.IsOpen(), 0);
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_EQ(file.openFailure, "");
    EXPECT_FALSE(file.OpenForRead(a.c_str()));
    EXPECT_EQ(file.openFailure, "an include loop: the file is being read already");
    EXPECT_EQ(file.depth, 1);

    // Opens for writing say why they failed too.
    TextFile output;
    EXPECT_FALSE(output.OpenForWrite(Path("no/such/folder/x.txt").c_str(), 0, 0));
    EXPECT_EQ(output.openFailure, "No such file or directory");
    EXPECT_FALSE(output.OpenForWrite(dir.c_str(), 0, 0));
    EXPECT_EQ(output.openFailure, "Is a directory");

    StringList list;
    TextFile fromList;
    OpenOnList(fromList, list, {"first", "second"});
    EXPECT_EQ(ReadLines(fromList), (Lines{"first", "second"}));
}

TEST_F(TextFileTest, LineEnds) {
    using S = std::string;
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"one\ntwo", {"one", "two"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\rtwo\r", {"one", "two"}},
        {"a\rb\n\r\n", {"a", "b", ""}},
        {"a\r\r\nb", {"a", "b"}},  // CRs before an LF belong to its line end
        {"a\r\r\r\nb\r\rc", {"a", "b", "", "c"}},
        {"\r\r", {"", ""}},
        {"\n", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadFile(c.bytes), c.lines) << c.bytes;
    // Line ends of 16-bit text are whole units.
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"a\rb\r\r\nc\r\rd")), (Lines{"a", "b", "c", "", "d"}));
    EXPECT_EQ(ReadFile(S("a\0\r\0b\0", 6)), (Lines{"a", "b"}));
}

TEST_F(TextFileTest, NulBytesAreReadAsBlanksWithOneWarningPerFile) {
    // The line end and a NUL are looked for sixteen bytes at a time: a NUL
    // before, at and after those boundaries becomes a blank.
    const std::string line(40, 'x');
    for (const size_t at : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{32}, size_t{39}}) {
        std::string bytes = line + "\r\n" + line + "\n";
        bytes[at] = '\0';
        bytes[41 + 1 + at] = '\0';
        std::string blanked = line;
        blanked[at] = ' ';
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(Write("nul.txt", bytes).c_str()));
        EXPECT_EQ(ReadLines(file), (Lines{blanked, blanked})) << at;
        ASSERT_EQ(file.readWarnings.size(), 1u) << at;
        EXPECT_NE(file.readWarnings[0].find("NUL"), std::string::npos);
        EXPECT_NE(file.readWarnings[0].find("from line 1"), std::string::npos);
    }
}

TEST_F(TextFileTest, LongLinesAreReadWhole) {
    const std::string wide(200000, 'x');
    EXPECT_EQ(ReadFile(std::string(5000, 'x') + "\nend"), (Lines{std::string(5000, 'x'), "end"}));
    EXPECT_EQ(ReadFile(wide + "\r\n" + wide), (Lines{wide, wide}));
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(std::u16string(3000, u'x') + u"\U0001F600\nend")),
              (Lines{std::string(3000, 'x') + "\xF0\x9F\x98\x80", "end"}));
}

TEST_F(TextFileTest, SixteenBitLines) {
    TextFile file;
    ASSERT_TRUE(
        file.OpenForRead(Write("le.txt", std::string("\xFF\xFE\x48\x00\x69\x00\x0D\x00\x0A\x00", 10)).c_str()));
    // The line end is removed as from an 8-bit line; the mark is no text.
    EXPECT_EQ(ReadLines(file), (Lines{"Hi"}));
    EXPECT_EQ(file.pureAscii, 0);
    EXPECT_EQ(file.littleEndian16, 1);
    EXPECT_EQ(file.utf8Text, 1);

    EXPECT_EQ(ReadFile(kBeMark + std::string("\0H\0i\0\r\0\n\0A", 10)), (Lines{"Hi", "A"}));
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"caf\u00e9\r\n\n") + "A"), (Lines{"caf\xC3\xA9", ""}));
    // Line ends count on unit boundaries only: 0A 00 inside U+0A41 U+0100 is none.
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"\u0a41\u0100\nx")), (Lines{"\xE0\xA9\x81\xC4\x80", "x"}));
    // A surrogate without its partner is U+FFFD.
    EXPECT_EQ(ReadFile(kLeMark + Utf16le(u"a\xD800"
                                         u"b")),
              (Lines{"a\xEF\xBF\xBD"
                     "b"}));
}

// The encoding of a file is decided before its first line is read.
TEST_F(TextFileTest, EncodingOfEachFile) {
    const std::u16string zurich = u"Z\u00fcrich \u0425\u043e is a city of Switzerland\r\nx\n";
    const std::string zurich8 = "Z\xC3\xBCrich \xD0\xA5\xD0\xBE is a city of Switzerland";
    const std::string bigEndian = Utf16be(zurich);
    // A table in another script has zero high bytes only at its blanks,
    // tabs, digits and line ends: far fewer than 90%.
    const std::u16string cyrillic =
        u"\u0418\u0432\u0430\u043d\u043e\u0432\u0430 "
        u"\u0410\u043d\u043d\u0430\t\u041c\u043e\u0441\u043a\u0432\u0430\r\n"
        u"\u041f\u0435\u0442\u0440\u043e\u0432 \u041f\u0451\u0442\u0440\t\u041a\u0430\u0437\u0430\u043d\u044c\r\n"
        u"\u6f22\u5b57\u3000\u4e00\t\u6771\u4eac\r\n";
    const Lines cyrillic8 = {
        "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xB0 \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0\t"
        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
        "\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2 \xD0\x9F\xD1\x91\xD1\x82\xD1\x80\t"
        "\xD0\x9A\xD0\xB0\xD0\xB7\xD0\xB0\xD0\xBD\xD1\x8C",
        "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x80\x80\xE4\xB8\x80\t\xE6\x9D\xB1\xE4\xBA\xAC"};
    // 8-bit text with NUL bytes on both sides, or a few on one side only.
    const std::string nulsBothSides =
        std::string("Name\0\0Age\nAnn\0\0\0 31\nBob\0\0\0 45\nEve\0\0\0 27\nDan\0\0\0 52\n", 50);
    const struct {
        std::string bytes;
        int declaredUtf8;
        int utf8Text;
        Lines lines;
    } cases[] = {
        {"plain\n", 0, 0, {"plain"}},
        {"Z\xFCrich\n", 0, 0, {"Z\xFCrich"}},  // Latin-1 stays 8-bit
        {"Z\xFCrich\n", 1, 1, {"Z\xC3\xBCrich"}},  // declared UTF-8: invalid byte as Windows-1252
        // As many UTF-8 characters as stray Windows bytes: UTF-8, each read
        // as what it is.
        {"\x93quoted\xE2\x80\x9D caf\xC3\xA9 \x80\n",
         0,
         1,
         {"\xE2\x80\x9Cquoted\xE2\x80\x9D caf\xC3\xA9 \xE2\x82\xAC"}},
        {"\x93quoted\xE2\x80\x9D \x80\n", 0, 0, {"\x93quoted\xE2\x80\x9D \x80"}},
        {zurich8 + "\r\nx\n", 0, 1, {zurich8, "x"}},
        {"\xEF\xBB\xBF" + zurich8 + "\r\nx\n", 0, 1, {zurich8, "x"}},  // the mark is dropped
        {kLeMark + Utf16le(zurich), 0, 1, {zurich8, "x"}},
        {Utf16le(zurich), 0, 1, {zurich8, "x"}},  // no mark: by its zero bytes
        {kBeMark + bigEndian, 0, 1, {zurich8, "x"}},
        {bigEndian, 0, 1, {zurich8, "x"}},
        {Utf16le(cyrillic), 0, 1, cyrillic8},
        {Utf16be(cyrillic), 0, 1, cyrillic8},
        {nulsBothSides, 0, 0, {"Name  Age", "Ann    31", "Bob    45", "Eve    27", "Dan    52"}},
        {std::string("ab\0c d\0e f\0g h\0i\n", 17), 0, 0, {"ab c d e f g h i"}},
        // Box drawing becomes the ASCII it draws.
        {"\xE2\x94\x8C\xE2\x94\x80\xE2\x94\xAC\xE2\x95\x90\xE2\x94\x90\n\xE2\x94\x82 a \xE2\x95\x91\n",
         0,
         1,
         {"+-+=+", "| a |"}},
    };
    for (const auto& c : cases) {
        TextFile file;
        file.declaredUtf8 = c.declaredUtf8;
        ASSERT_TRUE(file.OpenForRead(Write("in.txt", c.bytes).c_str()));
        EXPECT_EQ(file.utf8Text, c.utf8Text) << c.bytes;
        EXPECT_EQ(ReadLines(file), c.lines) << c.bytes;
    }
}

TEST_F(TextFileTest, StrayWindowsBytesInUtf8TextGiveOneWarning) {
    // Two lines of UTF-8, then Windows-1252 bytes: a euro sign, a quote and
    // a byte the code page leaves undefined.
    TextFile file;
    ASSERT_TRUE(
        file.OpenForRead(Write("stray.txt", "caf\xC3\xA9\n\xC3\xBC\xC3\xB6 \xC3\xA0\n\x80 \x93x\x81\n").c_str()));
    EXPECT_EQ(file.utf8Text, 1);
    EXPECT_EQ(ReadLines(file),
              (Lines{"caf\xC3\xA9", "\xC3\xBC\xC3\xB6 \xC3\xA0", "\xE2\x82\xAC \xE2\x80\x9Cx\xEF\xBF\xBD"}));
    ASSERT_EQ(file.readWarnings.size(), 1u);
    EXPECT_NE(file.readWarnings[0].find("stray.txt\" from line 3"), std::string::npos) << file.readWarnings[0];
}

TEST_F(TextFileTest, IncludedFilesAreConvertedToTheEncodingOfTheText) {
    // 8-bit text including 16-bit text: the included characters in
    // Windows-1252, those it lacks as "?" with one warning.
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("main.txt", "one\r\ntwo\nthree\n").c_str()));
    TextString line;
    ASSERT_TRUE(file.ReadLine(line));
    ASSERT_TRUE(
        file.OpenForRead(Write("inner.txt", kLeMark + Utf16le(u"\u00e9\u20ac\r\n\u0425x\r\n\u4e2d\n")).c_str()));
    EXPECT_EQ(ReadLines(file), (Lines{"\xE9\x80", "?x", "?", "two", "three"}));
    EXPECT_EQ(file.maxDepth, 2);
    EXPECT_EQ(file.littleEndian16, 0);
    ASSERT_EQ(file.readWarnings.size(), 1u);
    EXPECT_NE(file.readWarnings[0].find("from line 2"), std::string::npos);

    // UTF-8 text including an 8-bit file pushed by its handle.
    TextFile wide;
    ASSERT_TRUE(wide.OpenForRead(Write("main16.txt", kBeMark + std::string("\0a\0\n\0b", 6)).c_str()));
    ASSERT_TRUE(wide.ReadLine(line));
    std::string inner = Write("inner8.txt", "p\x80\nq");
    ASSERT_EQ(wide.PushFile(std::fopen(inner.c_str(), "rb"), inner.c_str()), 1);
    EXPECT_EQ(ReadLines(wide), (Lines{"p\xE2\x82\xAC", "q", "b"}));
}

TEST_F(TextFileTest, SelfIncludesCyclesAndDeepNestingAreRefused) {
    std::string a = Write("a.txt", "a1\n");
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(a.c_str()));
    EXPECT_FALSE(file.OpenForRead(Path("./a.txt").c_str()));
    EXPECT_EQ(file.openFailure, "an include loop: the file is being read already");
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
    EXPECT_EQ(deep.openFailure, "the include depth limit of 32 files is reached");
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

// The lines of 8-bit bytes as a byte-by-byte reader cuts them: at each LF,
// CR LF (CRs before an LF belonging to its line end) or lone CR, each NUL
// byte a blank.
Lines ReferenceLines(const std::string& bytes) {
    Lines lines;
    size_t i = 0;
    while (i < bytes.size()) {
        std::string line;
        while (i < bytes.size()) {
            const char c = bytes[i++];
            if (c == '\n') break;
            if (c == '\r') {
                size_t k = i;
                while (k < bytes.size() && bytes[k] == '\r') ++k;
                if (k < bytes.size() && bytes[k] == '\n') i = k + 1;
                break;
            }
            line.push_back(c == '\0' ? ' ' : c);
        }
        lines.push_back(line);
    }
    return lines;
}

TEST_F(TextFileTest, LinesAcrossReadBlocksAndReusedHistory) {
    // Far more than one read block, with lines of every length, CR LF, lone
    // CRs and NUL bytes placed to fall on block boundaries.
    std::string bytes;
    unsigned seed = 7;
    while (bytes.size() < 300000) {
        seed = seed * 1103515245u + 12345u;
        const size_t length = (seed >> 8) % 5 == 0 ? (seed >> 12) % 9000 : (seed >> 12) % 90;
        for (size_t k = 0; k < length; ++k) bytes.push_back(static_cast<char>('a' + (k + seed) % 26));
        if ((seed >> 20) % 7 == 0) bytes.push_back('\0');
        bytes += (seed >> 16) % 3 == 0 ? "\r\n" : (seed >> 16) % 11 == 1 ? "\r" : "\n";
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
    EXPECT_EQ(file.openFailure, "more than 9 switches to another file");
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
        file.CloseAll();
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

// A file reaches its target only when its owner closes it: one abandoned,
// or gone with its owner unclosed (a conversion cut short by an exception),
// leaves the target as it was and no temporary beside it.
TEST_F(TextFileTest, OnlyAClosedFileReplacesItsTarget) {
    const std::string path = Write("out.txt", "earlier\n");
    for (const bool abandon : {true, false}) {
        SCOPED_TRACE(abandon ? "abandoned" : "destroyed");
        {
            TextFile file;
            ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
            EXPECT_TRUE(file.PutLine("half of a document"));
            if (abandon) file.AbandonAll();
        }
        EXPECT_EQ(ReadWhole(path), "earlier\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}), 1);
    }
    TextFile file;
    ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
    EXPECT_TRUE(file.PutLine("whole"));
    file.CloseAll();
    EXPECT_EQ(ReadWhole(path), "whole\n");
}

// A copy into a hard-linked target that fails midway: the failure names
// the temporary that holds the whole new content.
TEST_F(TextFileTest, AFailedCopyNamesTheTemporaryItKept) {
    const std::string path = Write("linked.html", "earlier\n");
    fs::create_hard_link(path, Path("other.html"));
    SetWriteFault(WriteFault::kCopy, "linked.html");
    TextFile file;
    ASSERT_TRUE(file.OpenForWrite(path.c_str(), 0, 0));
    EXPECT_TRUE(file.PutLine("the new content"));
    file.CloseAll();
    SetWriteFault(WriteFault::kNone, "");
    ASSERT_FALSE(file.keptTemporary.empty());
    EXPECT_EQ(ReadWhole(file.keptTemporary), "the new content\n");
    EXPECT_EQ(file.WriteFailureText(), SystemErrorText(ENOSPC) +
                                           "; the file is cut, and its new content is whole in \"" +
                                           file.keptTemporary + "\"");
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

TEST_F(TextFileTest, LinesHandedOnLeaveTheHistoryWhole) {
    // Long lines (beyond the room a spare line keeps) among short ones: each
    // line handed on arrives whole, into a text that held an earlier line,
    // and the history keeps only the lines not handed on.
    std::string bytes;
    Lines expected;
    for (int i = 0; i < 40; ++i) {
        const size_t length = i % 4 == 1 ? 200000 + static_cast<size_t>(i) : static_cast<size_t>(i % 7);
        std::string line;
        for (size_t k = 0; k < length; ++k)
            line.push_back(static_cast<char>('a' + (k + static_cast<size_t>(i)) % 26));
        expected.push_back(line);
        bytes += line + "\n";
    }
    TextFile file;
    ASSERT_TRUE(file.OpenForRead(Write("handed.txt", bytes).c_str()));
    TextString to("an earlier line");
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(file.ReadRawLine()) << i;
        const int before = file.historyCount;
        file.HandOnNewestLine(to);
        EXPECT_EQ(to.view(), expected[i]) << i;
        EXPECT_EQ(file.historyCount, before - 1) << i;
    }
    EXPECT_FALSE(file.ReadRawLine());
    file.HandOnNewestLine(to);
    EXPECT_TRUE(to.IsEmpty());
}

TEST_F(TextFileTest, LinesReadIntoATextAreTheLinesReadThroughTheHistory) {
    const std::string longLine(70000, 'w');
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"plain lines", "ab\ncd\n\nlast"},
        {"line ends of every kind", "one\r\ntwo\rthree\r\r\rfour\n"},
        {"a NUL byte", std::string("a\0b\nc\n", 6)},
        {"an empty file", ""},
        {"a long line between short ones", "x\n" + longLine + "\ny\n"},
        {"UTF-16 with its mark", kLeMark + Utf16le(u"\u00e9t\u00e9\nhiver\n")},
        {"8-bit text", "caf\xE9\nna\xEFve\n"},
    };
    for (const auto& c : cases) {
        const Lines expected = ReadFile(c.bytes);
        TextFile file;
        ASSERT_TRUE(file.OpenForRead(Write("into.txt", c.bytes).c_str())) << c.name;
        Lines lines;
        TextString to;
        while (file.ReadRawLineInto(to)) lines.push_back(to.str());
        EXPECT_EQ(lines, expected) << c.name;
        EXPECT_EQ(file.linesRead, static_cast<int>(expected.size())) << c.name;
        EXPECT_EQ(file.historyCount, 0) << c.name;
    }

    StringList list;
    TextFile fromList;
    OpenOnList(fromList, list, {"first", "", "third"});
    Lines lines;
    TextString to("an earlier line");
    while (fromList.ReadRawLineInto(to)) lines.push_back(to.str());
    EXPECT_EQ(lines, (Lines{"first", "", "third"}));
}
