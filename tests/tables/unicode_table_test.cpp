// Tables in every encoding and with every line end, converted end to end:
// each gives the rows and columns of its ASCII twin (each character beyond
// ASCII replaced by "x" for each position it takes), and the text of every
// cell, read back from the HTML or RTF, is the text of the input.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/unicode_text.h"
#include "support/document_text.h"
#include "support/file_conversion.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

using Conversion = FileConversion;

// Converts `bytes` as a file of a fresh folder (code 1: a table; 7: a
// delimited one).
Conversion Convert(const std::string& bytes, bool rtf = false, int code = 1, const char* encoding = nullptr,
                   const char* name = "table.txt") {
    return ConvertFileBytes(bytes, rtf, code, encoding, name);
}

std::vector<uint32_t> Decode(const std::string& utf8) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t code = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        codes.push_back(code);
        i += static_cast<size_t>(n);
    }
    return codes;
}

// Positions a character takes, for the characters these tests use:
// combining accents none, CJK ideographs and kana two, the rest one.
int Width(uint32_t code) {
    if (code >= 0x300 && code <= 0x36F) return 0;
    if ((code >= 0x3040 && code <= 0x9FFF) || (code >= 0xFF01 && code <= 0xFF60)) return 2;
    return 1;
}

int Width(const std::string& utf8) {
    int width = 0;
    for (uint32_t code : Decode(utf8)) width += Width(code);
    return width;
}

std::string Twin(const std::string& utf8) {
    std::string out;
    for (uint32_t code : Decode(utf8))
        out += code < 0x80 ? std::string(1, static_cast<char>(code))
                           : std::string(static_cast<size_t>(Width(code)), 'x');
    return out;
}

// The cells laid out at fixed display positions, lines ended by `end`.
std::string Layout(const Rows& rows, const std::vector<int>& starts, const std::string& end) {
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        int width = 0;
        for (size_t k = 0; k < row.size(); ++k) {
            line.append(static_cast<size_t>(starts[k] - width), ' ');
            line += row[k];
            width = starts[k] + Width(row[k]);
        }
        text += line + end;
    }
    return text;
}

std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string out;
    auto unit = [&](uint32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    };
    for (uint32_t code : Decode(utf8)) {
        if (code > 0xFFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

std::string Latin1(const std::string& utf8) {
    std::string out;
    for (uint32_t code : Decode(utf8)) out.push_back(static_cast<char>(code));
    return out;
}

// The rows of the first table of an HTML document, each the texts of its
// cells.
Rows HtmlTable(const std::string& html) {
    Rows rows;
    const size_t start = html.find("<TABLE");
    const size_t end = html.find("</TABLE>");
    if (start == std::string::npos || end == std::string::npos) return rows;
    const std::string table = html.substr(start, end - start);
    // Rows and cells are found by their tags (a pattern would recurse
    // through a long cell).
    for (size_t row = table.find("<TR"); row != std::string::npos; row = table.find("<TR", row + 3)) {
        const size_t rowEnd = table.find("</TR>", row);
        rows.emplace_back();
        for (size_t cell = table.find("<T", row + 3); cell < rowEnd; cell = table.find("<T", cell + 2)) {
            if (table[cell + 2] != 'D' && table[cell + 2] != 'H') continue;
            const size_t open = table.find('>', cell) + 1;
            const size_t close = table.find("</T", open);
            rows.back().push_back(HtmlText(table.substr(open, close - open)));
            cell = close;
        }
    }
    return rows;
}

const std::vector<int> kStarts = {0, 14, 30, 46};

// A table of accents, Cyrillic, Greek, CJK (wide) and combining marks.
const Rows kUtf8Rows = {
    {"Name", "City", "Note", "Count"},
    {"----", "----", "----", "-----"},
    {"Zo\u00eb", "Gen\u00e8ve", "\u6771\u4eac\u30bf\u30ef\u30fc", "12"},
    {"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1", "\u041c\u043e\u0441\u043a\u0432\u0430", "e\u0301te \u00e0 deux", "7"},
    {"Anna", "Oslo", "plain text", "1234"},
    {"J\u00fcrgen", "\u5317\u4eac", "\u00c7a va", "56"},
};

Rows Twins(const Rows& rows) {
    Rows twins = rows;
    for (auto& row : twins)
        for (auto& cell : row) cell = Twin(cell);
    return twins;
}

// The rows without the rule line, which is no row of the table.
Rows DataRows(const Rows& rows) {
    Rows data;
    for (const auto& row : rows)
        if (row[0] != "----") data.push_back(row);
    return data;
}

TEST(UnicodeTableTest, EveryEncodingAndLineEndGivesTheTableOfItsAsciiTwin) {
    const struct {
        const char* name;
        std::string end;
    } lineEnds[] = {{"LF", "\n"}, {"CRLF", "\r\n"}, {"CR", "\r"}, {"CR CR LF", "\r\r\n"}};
    for (const auto& lineEnd : lineEnds) {
        SCOPED_TRACE(lineEnd.name);
        const Rows twinTable = HtmlTable(Convert(Layout(Twins(kUtf8Rows), kStarts, lineEnd.end)).output);
        ASSERT_EQ(twinTable, Twins(DataRows(kUtf8Rows)));
        const std::string utf8 = Layout(kUtf8Rows, kStarts, lineEnd.end);
        const struct {
            const char* name;
            std::string bytes;
        } encodings[] = {
            {"UTF-8", utf8},
            {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8},
            {"UTF-16 LE with mark", "\xFF\xFE" + Utf16(utf8, false)},
            {"UTF-16 LE", Utf16(utf8, false)},
            {"UTF-16 BE with mark", "\xFE\xFF" + Utf16(utf8, true)},
            {"UTF-16 BE", Utf16(utf8, true)},
        };
        for (const auto& encoding : encodings) {
            SCOPED_TRACE(encoding.name);
            const Conversion html = Convert(encoding.bytes);
            EXPECT_EQ(HtmlTable(html.output), DataRows(kUtf8Rows));
            EXPECT_NE(html.output.find("charset=UTF-8"), std::string::npos);
            EXPECT_EQ(html.messages.find("WARNING"), std::string::npos) << html.messages;
        }
    }
}

TEST(UnicodeTableTest, Latin1TextGivesTheSameTable) {
    const Rows rows = {{"Ville", "Pays", "Note", "Count"},
                       {"----", "----", "----", "-----"},
                       {"Z\u00fcrich", "Suisse", "tr\u00e8s bien", "12"},
                       {"M\u00e1laga", "Espa\u00f1a", "\u00e0 voir", "7"},
                       {"K\u00f8benhavn", "Danmark", "fin", "1234"}};
    const Conversion html = Convert(Latin1(Layout(rows, kStarts, "\n")));
    EXPECT_EQ(HtmlTable(html.output), DataRows(rows));
    EXPECT_EQ(HtmlTable(Convert(Layout(Twins(rows), kStarts, "\n")).output), Twins(DataRows(rows)));
    EXPECT_EQ(html.output.find("charset"), std::string::npos);
}

TEST(UnicodeTableTest, BoxDrawnTableIsTheAsciiBoxTableItDepicts) {
    const std::string drawn =
        "\u250c\u2500\u2500\u2500\u2500\u2500\u2500\u252c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2510\n"
        "\u2502 Name \u2502 City   \u2502\n"
        "\u255e\u2550\u2550\u2550\u2550\u2550\u2550\u256a\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2561\n"
        "\u2502 Anna \u2502 Oslo   \u2502\n"
        "\u251c\u2500\u2500\u2500\u2500\u2500\u2500\u253c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2524\n"
        "\u2502 Emil \u2502 Lyon   \u2502\n"
        "\u2514\u2500\u2500\u2500\u2500\u2500\u2500\u2534\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2518\n";
    const std::string ascii =
        "+------+--------+\n"
        "| Name | City   |\n"
        "+======+========+\n"
        "| Anna | Oslo   |\n"
        "+------+--------+\n"
        "| Emil | Lyon   |\n"
        "+------+--------+\n";
    auto table = [](const std::string& html) {
        const size_t start = html.find("<TABLE");
        return start == std::string::npos ? std::string() : html.substr(start, html.find("</TABLE>") - start);
    };
    const std::string expected = table(Convert(ascii).output);
    ASSERT_NE(expected.find("Emil"), std::string::npos);
    EXPECT_EQ(table(Convert(drawn).output), expected);
}

TEST(UnicodeTableTest, RtfOfUtf8TextReadsBackAsTheInput) {
    const Conversion rtf = Convert(Layout(kUtf8Rows, kStarts, "\n") + "Smile \U0001F600 too\n", true);
    EXPECT_NE(rtf.output.find("\\ansicpg1252"), std::string::npos);
    EXPECT_NE(rtf.output.find("\\uc1"), std::string::npos);
    // Nothing beyond ASCII is written raw.
    for (char c : rtf.output) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    const std::string text = RtfText(rtf.output);
    for (const auto& row : DataRows(kUtf8Rows))
        for (const auto& cell : row) EXPECT_NE(text.find(cell), std::string::npos) << cell;
    EXPECT_NE(text.find("\U0001F600"), std::string::npos);
}

TEST(UnicodeTableTest, Utf8TextDeclaredInAnotherCharsetIsWrittenAsReferences) {
    const Conversion html = Convert(Layout(kUtf8Rows, kStarts, "\n"), false, 1, "windows-1251");
    EXPECT_NE(html.output.find("charset=windows-1251"), std::string::npos);
    for (char c : html.output) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_EQ(HtmlTable(html.output), DataRows(kUtf8Rows));
    // A declared charset is an attribute value, escaped as one.
    const Conversion injected = Convert("a  b\nc  d\n", false, 1, "x\"><SCRIPT>");
    EXPECT_EQ(injected.output.find("<SCRIPT>"), std::string::npos);
    EXPECT_NE(injected.output.find("charset=x&quot;&gt;&lt;SCRIPT&gt;"), std::string::npos);
}

TEST(UnicodeTableTest, FileNamesAreUtf8TextInTheTitle) {
    const std::string latin1 = Convert("caf\xE9  one\nx  y\n", false, 1, nullptr, "Z\u00fcrich.txt").output;
    EXPECT_NE(latin1.find("Z&#252;rich.txt\"</TITLE>"), std::string::npos);
    const std::string utf8 = Convert("caf\u00e9  one\nx  y\n", false, 1, nullptr, "Z\u00fcrich.txt").output;
    EXPECT_NE(utf8.find("Z\u00fcrich.txt\"</TITLE>"), std::string::npos);
}

TEST(UnicodeTableTest, WideRowsAndLongCellsStayWhole) {
    // 600 tab-delimited cells on one row.
    std::string header, row;
    for (int k = 0; k < 600; ++k) {
        header += (k ? "\t" : "") + std::string("h") + std::to_string(k);
        row += (k ? "\t" : "") + std::string("v") + std::to_string(1000000 + k);
    }
    const Rows delimited = HtmlTable(Convert(header + "\n" + row + "\n" + row + "\n", false, 7).output);
    ASSERT_EQ(delimited.size(), 3u);
    ASSERT_EQ(delimited[1].size(), 600u);
    for (int k = 0; k < 600; ++k) ASSERT_EQ(delimited[1][static_cast<size_t>(k)], "v" + std::to_string(1000000 + k));

    // A space-aligned table whose last column holds 60 KB cells.
    const std::string big(60000, 'q');
    const Rows rows = {{"Key", "Name", "Size", "Text"},
                       {"a1", "Anna", "12", big + "1"},
                       {"b2", "Emil", "345", big + "2"},
                       {"c3", "Lena", "6", big + "3"}};
    const Rows spaced = HtmlTable(Convert(Layout(rows, {0, 6, 14, 22}, "\n")).output);
    EXPECT_EQ(spaced, rows);
}

TEST(UnicodeTableTest, NulBytesAndStrayBytesAreReadWithOneWarning) {
    std::string bytes = Layout(kUtf8Rows, kStarts, "\n");
    const size_t anna = bytes.find("Anna");
    bytes.replace(anna, 4, std::string("An\0a", 4));
    const size_t oslo = bytes.find("Oslo");
    bytes.replace(oslo, 4, std::string("O\0\0o", 4));
    const Conversion nul = Convert(bytes);
    Rows expected = DataRows(kUtf8Rows);
    expected[3][0] = "An a";
    expected[3][1] = "O  o";
    EXPECT_EQ(HtmlTable(nul.output), expected);
    EXPECT_EQ(Count(nul.messages, "WARNING"), 1) << nul.messages;
    EXPECT_NE(nul.messages.find("NUL"), std::string::npos);

    // One Windows-1252 byte in UTF-8 text: still UTF-8, the byte read as
    // its character.
    std::string stray = Layout(kUtf8Rows, kStarts, "\n");
    stray.replace(stray.find("plain"), 5, "pl\x92in");
    const Conversion html = Convert(stray);
    expected = DataRows(kUtf8Rows);
    expected[3][2] = "pl\u2019in text";
    EXPECT_EQ(HtmlTable(html.output), expected);
    EXPECT_EQ(Count(html.messages, "WARNING"), 1) << html.messages;
    EXPECT_NE(html.messages.find("from line 5"), std::string::npos) << html.messages;
}

}  // namespace
