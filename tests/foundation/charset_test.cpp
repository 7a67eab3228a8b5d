#include <iconv.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text_string.h"

namespace {

TextString Bytes(const std::string& bytes) { return TextString(std::string_view(bytes)); }

// One byte converted by the C library's iconv, or -1 when it has no
// counterpart (or iconv does not know the code pages).
int IconvByte(const char* from, const char* to, unsigned char byte) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return -1;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || sizeof out - outLeft != 1) return -1;
    return static_cast<unsigned char>(out[0]);
}

bool IconvKnows(const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

// ---------------------------------------------------------------------------
// DOS code page 437

struct DosCase {
    std::string input;
    int convertLineDrawing;
    int markUnknown;
    std::string expected;
    int addedCount;
};

TEST(CharsetDosTest, ConvertsAndCountsLineDrawing) {
    const std::vector<DosCase> cases = {
        {"\x81\xC4\xC4", 0, 0, "\xFC\xC4\xC4", 1},
        {"\x81\xC4\xC4", 1, 0, "\xFC--", 1},
        {"\xDA\xC4\xBF", 1, 0, "+-+", 1},
        // Double strokes continue into 0xCD only.
        {"\xC9\xCD\xCD\xBB", 1, 0, "+==+", 2},
        {"\xC9\xC4", 0, 0, "\xC9\xC4", 0},
        {"\xDA\xCD", 0, 0, "\xDA\xCD", 0},
        // Bytes whose right side is open never count.
        {"\xB3\xC4\xD9\xC4\xBF\xC4", 1, 0, "|-+-+-", 0},
        {"\xBA\xCD", 1, 0, "|=", 0},
        {"plain ascii", 1, 1, "plain ascii", 0},
        // Unknown bytes are marked only on request.
        {"\xA9\xB0\xB1\xB2\xDB\xE1\xF0\xF2\xF5\xF7\xFB\xFE\xFF", 0, 1, "?????????????", 0},
        {"\xA9\xB0\xDB\xFF", 0, 0, "\xA9\xB0\xDB\xFF", 0},
        // Box drawing stays unless converted, marking or not.
        {"\xC5", 0, 1, "\xC5", 0},
        // Our own choices.
        {"\x98\x9E\xA7\xAA\xF9\xFA\xFC", 0, 0, "\xFD.\xB0\xCA\x95.n", 0},
    };
    for (const DosCase& c : cases) {
        TextString text = Bytes(c.input);
        int count = 5;
        text.ConvertDOSCharacters(c.convertLineDrawing, c.markUnknown, &count);
        EXPECT_EQ(text.str(), c.expected) << "input " << testing::PrintToString(c.input);
        EXPECT_EQ(text.length, static_cast<int>(c.expected.size()));
        EXPECT_EQ(count, 5 + c.addedCount) << testing::PrintToString(c.input);
    }
}

TEST(CharsetDosTest, NullCountIsAllowed) {
    TextString text = Bytes("\xDA\xC4");
    text.ConvertDOSCharacters(1, 1, nullptr);
    EXPECT_EQ(text.str(), "+-");
}

// The bytes that keep their character must agree with the published code
// pages, as the C library knows them.
TEST(CharsetDosTest, SameCharacterBytesMatchWindows1252) {
    if (!IconvKnows("CP437", "WINDOWS-1252")) GTEST_SKIP() << "iconv lacks CP437 or WINDOWS-1252";
    std::vector<int> same;
    for (int b = 0x80; b <= 0x97; ++b) same.push_back(b);
    for (int b = 0x99; b <= 0x9D; ++b) same.push_back(b);
    for (int b = 0x9F; b <= 0xA6; ++b) same.push_back(b);
    for (int b : {0xA8, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xF1, 0xF6, 0xF8, 0xFD}) same.push_back(b);
    for (int b : same) {
        int expected = IconvByte("CP437", "WINDOWS-1252", static_cast<unsigned char>(b));
        ASSERT_NE(expected, -1) << std::hex << b;
        TextString text = Bytes(std::string(1, static_cast<char>(b)));
        text.ConvertDOSCharacters(0, 0, nullptr);
        EXPECT_EQ(static_cast<unsigned char>(text.buffer[0]), expected) << "CP437 byte 0x" << std::hex << b;
    }
}

// ---------------------------------------------------------------------------
// Macintosh and smart punctuation

TEST(CharsetPunctuationTest, MacCharacters) {
    TextString text = Bytes("\x92\xD5\xD2\xD3\xD4\x96\xA5\xAE\xB4\x93\xE9x");
    text.ConvertMacCharacters();
    EXPECT_EQ(text.str(), "''\"\"`-->*\x93\xE9x");
}

TEST(CharsetPunctuationTest, SmartPunctuation) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\x93" "a\x94\x97", "\"a\"--"},
        {"\x91q\x92", "`q'"},
        {"\x95\x96\xA0x", "-- x"},
        {"\x97\x97", "----"},
        {"a\x97" "b", "a--b"},
        {"\xE9\x85", "\xE9\x85"},
    };
    for (const auto& [input, expected] : cases) {
        TextString text = Bytes(input);
        text.ConvertSmartPunctuation();
        EXPECT_EQ(text.str(), expected) << testing::PrintToString(input);
        EXPECT_EQ(text.length, static_cast<int>(expected.size()));
    }
}

// ---------------------------------------------------------------------------
// KOI8-R

TEST(CharsetKoi8rTest, SampleBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xC1", "\xE0"},          // a
        {"\xE1", "\xC0"},          // A
        {"\x8B", "?"},
        {"\xC0\xDF\xE0\xFF", "\xFE\xFA\xDE\xDA"},  // yu, hard sign, YU, HARD SIGN
        {"\xA3\xB3", "\xB8\xA8"},  // yo, YO
        {"\x9A\x9C\x9E\xBF", "\xA0\xB0\xB7\xA9"},
        {"\x80\xA0\x81\xA1\x82\x8A\xA2\xA4\xB2\xB4\xBE", "-=||+++++++"},
        {"\x95\x9D\x9F", "\x9E" "2/"},
        {"\x8B\x90\x94\x96\x99\x9B", "??????"},
        {"abc", "abc"},
    };
    for (const auto& [input, expected] : cases) {
        TextString text = Bytes(input);
        text.ConvertKOI8RToWindows1251();
        EXPECT_EQ(text.str(), expected) << testing::PrintToString(input);
    }
}

TEST(CharsetKoi8rTest, LettersAndSharedSymbolsMatchPublishedTables) {
    if (!IconvKnows("KOI8-R", "WINDOWS-1251")) GTEST_SKIP() << "iconv lacks KOI8-R or WINDOWS-1251";
    std::vector<int> bytes = {0xA3, 0xB3, 0x9A, 0x9C, 0x9E, 0xBF};
    for (int b = 0xC0; b <= 0xFF; ++b) bytes.push_back(b);
    for (int b : bytes) {
        int expected = IconvByte("KOI8-R", "WINDOWS-1251", static_cast<unsigned char>(b));
        ASSERT_NE(expected, -1) << std::hex << b;
        TextString text = Bytes(std::string(1, static_cast<char>(b)));
        text.ConvertKOI8RToWindows1251();
        EXPECT_EQ(static_cast<unsigned char>(text.buffer[0]), expected) << "KOI8-R byte 0x" << std::hex << b;
    }
}

// ---------------------------------------------------------------------------
// URL escapes

TEST(CharsetUrlTest, DecodesOnlyTwoHexDigitsOfPrintableValue) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a%20b", "a b"},
        {"a%0Ab", "a%0Ab"},       // control values stay encoded
        {"%2f%2F", "//"},
        {"%E9t%C3%A9", "\xE9t\xC3\xA9"},
        {"%2541", "%41"},         // a decoded byte is not decoded again
        {"%%41", "%A"},
        {"%-1x", "%-1x"},         // no sign
        {"%+41", "%+41"},
        {"% 41", "% 41"},         // no blanks
        {"%4g", "%4g"},
        {"%4", "%4"},             // too short
        {"abc%", "abc%"},
        {"%41", "A"},
        {"no escapes", "no escapes"},
    };
    for (const auto& [input, expected] : cases) {
        TextString text = Bytes(input);
        text.DecodeURLEscapes();
        EXPECT_EQ(text.str(), expected) << input;
        EXPECT_EQ(text.length, static_cast<int>(expected.size()));
    }
}

// ---------------------------------------------------------------------------
// Terminal escapes

struct TerminalResult {
    std::string text;
    int state;
    int escapeSeen;
    std::string message;
};

TerminalResult RunTerminal(const std::string& input, int state) {
    TextString text = Bytes(input);
    int seen = 0;
    TextString message;
    text.RemoveTerminalEscapes(&state, &seen, &message);
    return {text.str(), state, seen, message.str()};
}

TEST(CharsetTerminalTest, LineDrawingMode) {
    TerminalResult r = RunTerminal("\x1B(0lqqk\x1B(B", 0);
    EXPECT_EQ(r.text, "+--+");
    EXPECT_EQ(r.state, 0);
    EXPECT_EQ(r.escapeSeen, 1);
    EXPECT_EQ(r.message, "");

    EXPECT_EQ(RunTerminal("\x1B(0jklmnopqrstuvwxyz", 0).text, "++++n-----++++|yz");
    // The mode starts where the sequence stands.
    EXPECT_EQ(RunTerminal("lq\x1B(0lq", 0).text, "lq+-");
    // Capitals are not line-drawing letters.
    EXPECT_EQ(RunTerminal("\x1B(0QX", 0).text, "QX");
}

TEST(CharsetTerminalTest, StateCarriesFromLineToLine) {
    TerminalResult first = RunTerminal("\x1B(0lq", 0);
    EXPECT_EQ(first.text, "+-");
    EXPECT_EQ(first.state, 1);
    TerminalResult second = RunTerminal("qk", first.state);
    EXPECT_EQ(second.text, "-+");
    EXPECT_EQ(second.state, 1);
    EXPECT_EQ(second.escapeSeen, 0);
    // Cursor positioning ends line drawing and is removed without a message.
    TerminalResult third = RunTerminal("q\x1B[10;20 Gq", second.state);
    EXPECT_EQ(third.text, "-q");
    EXPECT_EQ(third.state, 0);
    EXPECT_EQ(third.message, "");
}

TEST(CharsetTerminalTest, UnknownSequencesAreRemovedAndReported) {
    TerminalResult r = RunTerminal("a\x1B[1mb", 0);
    EXPECT_EQ(r.text, "ab");
    EXPECT_EQ(r.message, "Unknown Escape sequence : ESC [1m");
    EXPECT_EQ(r.escapeSeen, 1);

    // The message keeps the last unknown sequence of the line.
    r = RunTerminal("\x1B[1mx\x1B[0;32my", 0);
    EXPECT_EQ(r.text, "xy");
    EXPECT_EQ(r.message, "Unknown Escape sequence : ESC [0;32m");

    // Positioning needs exactly '[' digits ';' digits blank 'G'.
    r = RunTerminal("\x1B[10;20H!", 0);
    EXPECT_EQ(r.text, "!");
    EXPECT_EQ(r.message, "Unknown Escape sequence : ESC [10;20H");

    // A sequence's own letters are not line-drawing letters.
    r = RunTerminal("\x1B(0\x1B[1mx", 0);
    EXPECT_EQ(r.text, "|");
    EXPECT_EQ(r.message, "Unknown Escape sequence : ESC [1m");

    // A lone ESC at the end.
    r = RunTerminal("abc\x1B", 0);
    EXPECT_EQ(r.text, "abc");
    EXPECT_EQ(r.message, "Unknown Escape sequence : ESC ");
}

TEST(CharsetTerminalTest, NullOutputsAreAllowed) {
    TextString text = Bytes("\x1B(0q\x1B[1m");
    text.RemoveTerminalEscapes(nullptr, nullptr, nullptr);
    EXPECT_EQ(text.str(), "-");
}

// ---------------------------------------------------------------------------
// 16-bit text

struct Utf16Case {
    std::string input;
    int bigEndian;
    std::string expected;
    bool ascii;
};

TEST(CharsetUtf16Test, Converts) {
    const std::vector<Utf16Case> cases = {
        {std::string("A\0\xE9\0", 4), 0, "A\xC3\xA9", false},
        {std::string("A\0B\0", 4), 0, "AB", true},
        {"\x20\xAC", 1, "\xE2\x82\xAC", false},
        {std::string("\0\xE9", 2), 1, "\xC3\xA9", false},
        {"\xFF\x07", 0, "\xDF\xBF", false},
        {std::string("\0\x08", 2), 0, "\xE0\xA0\x80", false},
        // A trailing odd byte is dropped; a unit 0 ends the text.
        {std::string("A\0B", 3), 0, "A", true},
        {std::string("A\0\0\0B\0", 6), 0, "A", true},
        // Surrogate pairs make one four-byte character.
        {std::string("\x3D\xD8\x00\xDE", 4), 0, "\xF0\x9F\x98\x80", false},
        {std::string("\xD8\x3D\xDE\x00", 4), 1, "\xF0\x9F\x98\x80", false},
        {std::string("\xFF\xDB\xFF\xDF", 4), 0, "\xF4\x8F\xBF\xBF", false},
        // Lone halves become U+FFFD.
        {std::string("\x3D\xD8" "A\0", 4), 0, "\xEF\xBF\xBD" "A", false},
        {std::string("\x00\xDE" "A\0", 4), 0, "\xEF\xBF\xBD" "A", false},
        {"\x3D\xD8", 0, "\xEF\xBF\xBD", false},
        {std::string("\x00\xDE\x3D\xD8", 4), 0, "\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"", 0, "", true},
    };
    for (const Utf16Case& c : cases) {
        TextString text = Bytes(c.input);
        bool ascii = text.ConvertUTF16ToUTF8(c.bigEndian);
        EXPECT_EQ(text.str(), c.expected) << testing::PrintToString(c.input);
        EXPECT_EQ(text.length, static_cast<int>(c.expected.size()));
        EXPECT_EQ(ascii, c.ascii) << testing::PrintToString(c.input);
    }
}

}  // namespace
