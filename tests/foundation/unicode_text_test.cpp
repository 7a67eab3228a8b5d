#include "foundation/unicode_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UnicodeTextTest, DisplayWidths) {
    const struct {
        const char* text;
        int width;
    } cases[] = {
        {"abc", 3},          {"Z\u00fcrich", 6}, {"\u041c\u043e\u0441\u043a\u0432\u0430", 6},
        {"\u6771\u4eac", 4},  // wide
        {"\uff21", 2},  // fullwidth
        {"e\u0301", 1},  // combining mark
        {"a\u200bb", 2},  // format character
        {"\u20dd", 0},  // enclosing mark
        {"\u2500\u00b1", 2},  // ambiguous width counts one
        {"\U0001F600", 2},  // beyond the basic plane
        {"\U00020000", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unicode::DisplayWidth(c.text, static_cast<int>(std::string(c.text).size())), c.width) << c.text;
    // The blocks measured without the table measure as the table does.
    for (uint32_t code = 0x80; code < 0x10000; ++code) {
        if (code < 0x300 || (code >= 0x4E00 && code <= 0x9FFF) || (code >= 0xAC00 && code <= 0xD7A3)) {
            ASSERT_EQ(unicode::DisplayWidth(code), unicode::kBasicPlaneWidths.of[code]) << code;
        }
    }
}

// The characters of no position after byte `at`: combining marks and
// format characters, however many, and nothing else.
TEST(UnicodeTextTest, NoPositionRuns) {
    const struct {
        const char* text;
        int at;
        int end;
    } cases[] = {
        {"e\u0301\u0302x", 1, 5},  // two combining accents
        {"e\u0301", 1, 3},  // up to the end of the text
        {"\u00e9x", 0, 0},  // a letter takes a position
        {"a\u200bb", 1, 4},  // format character
        {"a\u00adb", 1, 3},  // soft hyphen
        {"a\xad"
         "b",
         1, 2},  // the byte 0xAD alone is read as the soft hyphen
        {"a\xc3"
         "b",
         1, 1},  // a lead byte alone is read as itself
        {"\u6771\u4eac", 3, 3},  // wide characters
        {"x\U000E0001\U000E0020", 1, 9},  // tags beyond the basic plane
        {"ab", 1, 1},
    };
    for (const auto& c : cases) {
        const int length = static_cast<int>(std::string(c.text).size());
        EXPECT_EQ(unicode::NoPositionRunEnd(c.text, length, c.at), c.end) << c.text;
    }
    // A byte said not to start a character of no position starts none: every
    // character that takes no position has its first byte looked at.
    for (uint32_t code = 0x80; code <= 0x10FFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        if (unicode::DisplayWidth(code) != 0) continue;
        std::string bytes;
        unicode::AppendUtf8(bytes, code);
        ASSERT_TRUE(unicode::kMayTakeNoPosition.of[static_cast<unsigned char>(bytes[0])]) << code;
    }
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (unicode::kMayTakeNoPosition.of[byte]) continue;
        const char alone[] = {static_cast<char>(byte), 'x'};
        int i = 0;
        ASSERT_NE(unicode::DisplayWidth(unicode::NextCharacter(alone, 2, &i)), 0) << byte;
    }
}

// Measuring a character by its first byte gives what decoding it gives, for
// every character and for bytes that are no valid sequence.
TEST(UnicodeTextTest, WidthsByTheFirstByte) {
    auto agree = [](const std::string& bytes) {
        int quick = 0, decoded = 0;
        const int length = static_cast<int>(bytes.size());
        const int width = unicode::NextWidth(bytes.data(), length, &quick);
        const int expected = unicode::DisplayWidth(unicode::NextCharacter(bytes.data(), length, &decoded));
        return width == expected && quick == decoded;
    };
    for (uint32_t code = 0; code <= 0x10FFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        std::string bytes;
        unicode::AppendUtf8(bytes, code);
        ASSERT_TRUE(agree(bytes)) << code;
        ASSERT_TRUE(agree(bytes.substr(0, bytes.size() - 1))) << code;  // cut short
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int second : {0x41, 0x7F, 0x80, 0x9F, 0xA0, 0xBF, 0xC0})
            for (int third : {0x41, 0x80, 0xBF, 0xC3}) {
                const std::string bytes = {static_cast<char>(lead), static_cast<char>(second),
                                           static_cast<char>(third)};
                ASSERT_TRUE(agree(bytes)) << lead << " " << second << " " << third;
            }
}

TEST(UnicodeTextTest, SequenceLengths) {
    const struct {
        std::string bytes;
        int length;
    } cases[] = {
        {"\xC3\xA9", 2},
        {"\xE2\x82\xAC", 3},
        {"\xF0\x9F\x98\x80", 4},
        {"\xC0\x80", 0},
        {"\xC1\xBF", 0},
        {"\xE0\x80\x80", 0},  // overlong
        {"\xED\xA0\x80", 0},  // surrogate
        {"\xF4\x90\x80\x80", 0},
        {"\xF5\x80\x80\x80", 0},  // beyond U+10FFFF
        {"\x80", 0},
        {"\xC3\x41", 0},  // no lead, no continuation
        {"\xE2\x82", -1},
        {"\xF0\x9F", -1},  // cut short
    };
    for (const auto& c : cases)
        EXPECT_EQ(unicode::SequenceLength(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()),
                  c.length)
            << c.bytes;
    // The quick and the checked decoding agree on every two- and three-byte
    // lead with every second byte.
    for (int lead = 0xC0; lead <= 0xEF; ++lead)
        for (int second = 0x70; second <= 0xC0; ++second) {
            const std::string bytes = {static_cast<char>(lead), static_cast<char>(second), '\x80'};
            int quick = 0, checked = 0;
            const uint32_t a = unicode::NextCharacter(bytes.data(), 3, &quick);
            const uint32_t b = unicode::NextCharacterChecked(bytes.data(), 3, &checked);
            ASSERT_EQ(a, b) << lead << " " << second;
            ASSERT_EQ(quick, checked) << lead << " " << second;
        }
}

TEST(UnicodeTextTest, ValidUtf8Throughout) {
    for (const char* valid : {"", "plain", "Caf\xC3\xA9", "\xE2\x82\xAC 5", "x\xF0\x9F\x98\x80y"})
        EXPECT_TRUE(unicode::IsValidUtf8(TextString(valid))) << valid;
    // A Latin-1 byte, a sequence cut short at the end, an overlong form.
    for (const char* invalid : {"Caf\xE9", "ab\xC3", "\xC0\x80", "\xE9t\xC3\xA9"})
        EXPECT_FALSE(unicode::IsValidUtf8(TextString(invalid))) << invalid;
}

TEST(UnicodeTextTest, LineConversions) {
    // Invalid bytes as Windows-1252, the undefined ones as U+FFFD; box
    // drawing as the ASCII it draws.
    TextString line(
        "a\x80"
        "b\x9D\xC3\xA9\xE2\x94\x80\xE2\x95\x90\xE2\x94\x82\xE2\x94\xBC");
    EXPECT_TRUE(unicode::MendUtf8Line(line));
    EXPECT_EQ(line.str(),
              "a\xE2\x82\xAC"
              "b\xEF\xBF\xBD\xC3\xA9-=|+");
    TextString valid("caf\xC3\xA9");
    EXPECT_FALSE(unicode::MendUtf8Line(valid));
    EXPECT_EQ(valid.str(), "caf\xC3\xA9");

    TextString eight("\x80\xE9\x93");
    unicode::Windows1252ToUtf8(eight);
    EXPECT_EQ(eight.str(), "\xE2\x82\xAC\xC3\xA9\xE2\x80\x9C");
    EXPECT_FALSE(unicode::Utf8ToWindows1252(eight));
    EXPECT_EQ(eight.str(), "\x80\xE9\x93");
    TextString lacking("\xD0\xA5\xC3\xA9\xE4\xB8\xAD");
    EXPECT_TRUE(unicode::Utf8ToWindows1252(lacking));
    EXPECT_EQ(lacking.str(), "?\xE9?");

    for (const char* name : {"UTF-8", "utf8", " utf-8 "}) EXPECT_TRUE(unicode::NamesUtf8(TextString(name))) << name;
    for (const char* name : {"", "windows-1252", "utf-16"})
        EXPECT_FALSE(unicode::NamesUtf8(TextString(name))) << name;
}

// The test that decides whether a written line needs its HTML form: every
// byte beyond ASCII and every control but tab, line feed and carriage
// return, wherever it stands (in a 16-byte stretch or after the last one).
TEST(HasNonAsciiOrControlTest, FindsEveryByteThatCounts) {
    const std::string plain = "All printable ~ text\twith tabs\r\n and more of it, well past sixteen bytes";
    EXPECT_FALSE(unicode::HasNonAsciiOrControl(plain.data(), plain.size()));
    for (const char c : {'\x01', '\x08', '\x0B', '\x0C', '\x1B', '\x1F', '\x7F', '\x80', '\xC3', '\xFF'}) {
        for (size_t at = 0; at < plain.size(); at += 7) {
            std::string text = plain;
            text[at] = c;
            EXPECT_TRUE(unicode::HasNonAsciiOrControl(text.data(), text.size())) << int(c) << " at " << at;
            EXPECT_FALSE(unicode::HasNonAsciiOrControl(text.data(), at)) << int(c) << " before " << at;
        }
    }
}

}  // namespace
