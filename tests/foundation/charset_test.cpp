#include <iconv.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text_string.h"

namespace {

using Convert = void (*)(TextString&);
struct Case {
    std::string input;
    std::string expected;
};

TextString Bytes(const std::string& bytes) { return TextString(std::string_view(bytes)); }

void ExpectConversions(Convert convert, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        TextString text = Bytes(c.input);
        convert(text);
        EXPECT_EQ(text.str(), c.expected) << "input " << testing::PrintToString(c.input);
        EXPECT_EQ(text.length, static_cast<int>(c.expected.size()));
    }
}

// Each byte must become what the C library's iconv makes of it.
void ExpectSameAsIconv(const char* from, const char* to, const std::vector<int>& bytes, Convert convert) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv lacks " << from << " or " << to;
    for (int b : bytes) {
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1)) << std::hex << b;
        TextString text = Bytes(std::string(1, static_cast<char>(b)));
        convert(text);
        EXPECT_EQ(text.str(), std::string(out, sizeof out - outLeft)) << from << " byte 0x" << std::hex << b;
    }
    iconv_close(cd);
}

std::vector<int> Range(int first, int last, std::vector<int> more = {}) {
    for (int b = first; b <= last; ++b) more.push_back(b);
    return more;
}

TEST(CharsetTest, DosCharactersAndLineDrawingCount) {
    struct DosCase {
        std::string input;
        int convertLineDrawing, markUnknown;
        std::string expected;
        int addedCount;
    };
    const std::vector<DosCase> cases = {
        {"\x81\xC4\xC4", 0, 0, "\xFC\xC4\xC4", 1},
        {"\x81\xC4\xC4", 1, 0, "\xFC--", 1},
        {"\xDA\xC4\xBF", 1, 0, "+-+", 1},
        {"\xC9\xCD\xCD\xBB", 1, 0, "+==+", 2},  // double strokes continue into 0xCD
        {"\xC9\xC4\xDA\xCD", 0, 0, "\xC9\xC4\xDA\xCD", 0},
        {"\xB3\xC4\xD9\xC4\xBA\xCD", 1, 1, "|-+-|=", 0},  // open right-hand side
        {"\xA9\xB0\xB2\xDB\xE1\xF0\xF2\xF5\xF7\xFB\xFE\xFF", 0, 1, "????????????", 0},
        {"\xA9\xB0\xDB\xFF\xC5", 0, 0, "\xA9\xB0\xDB\xFF\xC5", 0},
        {"\x98\x9E\xA7\xAA\xF9\xFA\xFC", 0, 0, "\xFD.\xB0\xCA\x95.n", 0},  // our own choices
    };
    for (const DosCase& c : cases) {
        TextString text = Bytes(c.input);
        int count = 5;
        text.ConvertDOSCharacters(c.convertLineDrawing, c.markUnknown, &count);
        EXPECT_EQ(text.str(), c.expected) << testing::PrintToString(c.input);
        EXPECT_EQ(count, 5 + c.addedCount) << testing::PrintToString(c.input);
    }
    TextString text = Bytes("\xDA\xC4");
    text.ConvertDOSCharacters(1, 1, nullptr);
    EXPECT_EQ(text.str(), "+-");
}

TEST(CharsetTest, DosBytesThatKeepTheirCharacterMatchCodePages) {
    std::vector<int> bytes = Range(0x80, 0x97, {0xA8, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xF1, 0xF6, 0xF8, 0xFD});
    bytes = Range(0x99, 0x9D, Range(0x9F, 0xA6, bytes));
    ExpectSameAsIconv("CP437", "WINDOWS-1252", bytes, [](TextString& t) { t.ConvertDOSCharacters(0, 0, nullptr); });
}

TEST(CharsetTest, MacAndSmartPunctuation) {
    // Only bytes 0x80 to 0x9F are mapped: higher bytes are characters of
    // their own (and parts of UTF-8 sequences).
    ExpectConversions([](TextString& t) { t.ConvertMacCharacters(); },
                      {{"\x92\xD5\xD2\xD3\xD4\x96\xA5\xAE\xB4\x93\xE9x", "'\xD5\xD2\xD3\xD4-\xA5\xAE\xB4\x93\xE9x"},
                       {"h\xC3\xB4tel", "h\xC3\xB4tel"}});
    // The first byte above 127 is looked for many bytes at a time: one at
    // each place of a 16-byte block and after it is still found.
    for (size_t at : {0u, 7u, 8u, 15u, 16u, 17u, 31u, 32u, 40u}) {
        const std::string before(at, 'a');
        ExpectConversions([](TextString& t) { t.ConvertMacCharacters(); },
                          {{before + "\x92" + "b", before + "'b"}, {before + "\x96", before + "-"}});
    }
    ExpectConversions([](TextString& t) { t.ConvertSmartPunctuation(); }, {{"\x93"
                                                                            "a\x94\x97",
                                                                            "\"a\"--"},
                                                                           {"\x91q\x92\x95\x96\xA0", "`q'-- "},
                                                                           {"\x97\x97"
                                                                            "b",
                                                                            "----b"},
                                                                           {"\xE9\x85", "\xE9\x85"}});
}

TEST(CharsetTest, Koi8r) {
    ExpectConversions([](TextString& t) { t.ConvertKOI8RToWindows1251(); },
                      {{"\xC1\xE1\x8B", "\xE0\xC0?"},
                       {"\x80\xA0\x81\xA1\x82\x8A\xA2\xA4\xB2\xB4\xBE", "-=||+++++++"},
                       {"\x95\x9D\x9F\x90\x94\x96\x99\x9B"
                        "abc",
                        "\x9E"
                        "2/?????abc"}});
    ExpectSameAsIconv("KOI8-R", "WINDOWS-1251", Range(0xC0, 0xFF, {0xA3, 0xB3, 0x9A, 0x9C, 0x9E, 0xBF}),
                      [](TextString& t) { t.ConvertKOI8RToWindows1251(); });
}

TEST(CharsetTest, UrlEscapesNeedTwoHexDigitsOfAPrintableValue) {
    ExpectConversions([](TextString& t) { t.DecodeURLEscapes(); },
                      {{"a%20b", "a b"},
                       {"a%0Ab", "a%0Ab"},  // control values stay encoded
                       {"%2f%2F%E9", "//\xE9"},
                       {"%2541", "%41"},  // a decoded byte is not decoded again
                       {"%%41", "%A"},
                       {"%-1x%+41% 41%4g", "%-1x%+41% 41%4g"},  // no signs, blanks or other letters
                       {"abc%4", "abc%4"}});
}

TEST(CharsetTest, TerminalEscapes) {
    const struct {
        std::string input;
        int stateBefore;
        std::string text;
        int stateAfter, escapeSeen;
        std::string message;
    } cases[] = {
        {"\x1B(0lqqk\x1B(B", 0, "+--+", 0, 1, ""},
        {"lq\x1B(0jklmnopqrstuvwxyzQ", 0, "lq++++n-----++++|yzQ", 1, 1, ""},
        {"qk", 1, "-+", 1, 0, ""},  // the state carries from line to line
        {"q\x1B[10;20 Gq", 1, "-q", 0, 1, ""},  // cursor positioning ends line drawing
        {"a\x1B[1mb", 0, "ab", 0, 1, "Unknown Escape sequence : ESC [1m"},
        {"\x1B[1mx\x1B[0;32my", 0, "xy", 0, 1, "Unknown Escape sequence : ESC [0;32m"},
        {"\x1B[10;20H!", 0, "!", 0, 1, "Unknown Escape sequence : ESC [10;20H"},
        {"\x1B(0\x1B[1mx", 0, "|", 1, 1, "Unknown Escape sequence : ESC [1m"},  // 'm' is no line letter
        {"abc\x1B", 0, "abc", 0, 1, "Unknown Escape sequence : ESC "},
        {"\x1B\x1B[1mx\x1B", 0, "x", 0, 1, "Unknown Escape sequence : ESC "},  // back-to-back sequences
        {"a\x1B(Bb\x1B[2;3 Gc", 0, "abc", 0, 1, ""},
    };
    for (const auto& c : cases) {
        TextString text = Bytes(c.input), message;
        int state = c.stateBefore, seen = 0;
        text.RemoveTerminalEscapes(&state, &seen, &message);
        EXPECT_EQ(text.str(), c.text) << testing::PrintToString(c.input);
        EXPECT_EQ(state, c.stateAfter) << testing::PrintToString(c.input);
        EXPECT_EQ(seen, c.escapeSeen) << testing::PrintToString(c.input);
        EXPECT_EQ(message.str(), c.message) << testing::PrintToString(c.input);
    }
}

// A line full of sequences loses them all in one pass.
TEST(CharsetTest, ManyTerminalEscapesInOneLine) {
    std::string input;
    for (int i = 0; i < 50000; ++i) input += "x\x1B[1m";
    TextString text = Bytes(input), message;
    int state = 0, seen = 0;
    text.RemoveTerminalEscapes(&state, &seen, &message);
    EXPECT_EQ(text.str(), std::string(50000, 'x'));
    EXPECT_EQ(message.str(), "Unknown Escape sequence : ESC [1m");
}

TEST(CharsetTest, Utf16ToUtf8) {
    struct Utf16Case {
        std::string input;
        int bigEndian;
        std::string expected;
        bool ascii;
    };
    using S = std::string;
    const std::vector<Utf16Case> cases = {
        {S("A\0\xE9\0", 4), 0, "A\xC3\xA9", false},
        {S("A\0B\0", 4), 0, "AB", true},
        {"\x20\xAC", 1, "\xE2\x82\xAC", false},
        {"\xFF\x07", 0, "\xDF\xBF", false},
        {S("A\0B", 3), 0, "A", true},  // a trailing odd byte is dropped
        {S("A\0\0\0B\0", 6), 0, "A", true},  // a unit 0 ends the text
        {S("\x3D\xD8\x00\xDE", 4), 0, "\xF0\x9F\x98\x80", false},  // a pair is one character
        {S("\xDB\xFF\xDF\xFF", 4), 1, "\xF4\x8F\xBF\xBF", false},
        {S("\x3D\xD8"
           "A\0",
           4),
         0,
         "\xEF\xBF\xBD"
         "A",
         false},  // lone halves
        {S("\x00\xDE\x3D\xD8", 4), 0, "\xEF\xBF\xBD\xEF\xBF\xBD", false},
    };
    for (const Utf16Case& c : cases) {
        TextString text = Bytes(c.input);
        EXPECT_EQ(text.ConvertUTF16ToUTF8(c.bigEndian), c.ascii) << testing::PrintToString(c.input);
        EXPECT_EQ(text.str(), c.expected) << testing::PrintToString(c.input);
    }
}

}  // namespace
