// Values that reach the page's markup, through the real program: a width, a
// colour, a META tag, a font name or a TEXT tag's argument holding markup of
// its own is refused or escaped, and never adds an attribute, an element or
// a script to the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <string>

#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

const char* const kTable = "Name    Value\nAlpha   one\nBeta    two\nGamma   three\n";

// Markup that a value brought into the page: an event attribute with its
// value, a script element (other than the frames mode's own), or a second
// end of the style sheet.  Escaped, none of them can stand.
std::string LiveMarkup(const std::string& page) {
    static const std::regex kLive(R"(\son[a-z]+=("|[a-z(])|<script(?! LANGUAGE="JavaScript">))", std::regex::icase);
    std::smatch found;
    if (std::regex_search(page, found, kLive)) return found.str();
    std::string upper(page);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    const size_t end = upper.find("</STYLE>");
    if (end != std::string::npos && upper.find("</STYLE>", end + 1) != std::string::npos) return "</STYLE>";
    return std::string();
}

struct Payload {
    const char* name;
    const char* text;  // the input's lines before the table
    const char* rows;  // rows of the table after the usual ones
    const char* policies;  // the lines of a policy file; empty for none
    const char* message;  // what standard error says about it; empty for nothing
    const char* page;  // what the page holds instead; empty for nothing
};

// clang-format off
const Payload kPayloads[] = {
    {"TableWidth", "$_$_TABLE_WIDTH 50\" onmouseover=\"alert(1)\n", "", "",
     "TAG ERROR: Invalid value - \"50\" onmouseover=\"alert(1)\n", ""},
    {"TableWidthPolicy", "", "", "Default TABLE width : 50\" onmouseover=\"alert(1)\n", "", ""},
    {"TableBgColor", "$_$_TABLE_BGCOLOR x\" onclick=\"y\n", "", "",
     "WARNING: \"x\" onclick=\"y\" is not a standard HTML colour", ""},
    {"TableBorderColor", "$_$_TABLE_BORDERCOLOR red\" onload=\"z\n", "", "",
     "WARNING: \"red\" onload=\"z\" is not a standard HTML colour", ""},
    {"RowColour", "$_$_TABLE_COLOUR_ROWS yes\n$_$_TABLE_ODD_ROW_COLOUR x\" onmouseover=\"y\n", "", "",
     "is not a standard HTML colour", "<TR BGCOLOR=\"#E0F0E0\">"},
    {"ChangedTableColour", "$_$_CHANGE_POLICY Default TABLE colour : x\" onclick=\"y\n", "", "", "", ""},
    {"BodyColour", "", "", "Text Colour : x\" onmouseover=\"y\nBackground Colour : red\" onload=\"z\n",
     "is not a standard HTML colour", "<BODY BGCOLOR=\"white\">"},
    {"MetaTagBothQuotes", "$_$_META_TAG \"n\" a\"b'c><script>alert(1)</script>\n", "", "", "",
     "<META NAME=\"n\" CONTENT='a\"b&#39;c&gt;&lt;script&gt;alert(1)&lt;/script&gt;'>"},
    {"MetaTagName", "$_$_META_TAG x'\"><script>alert(1)</script> y\n", "", "", "", ""},
    {"MetaTagSingleQuote", "$_$_META_TAG n ' onmouseover='alert(1)\n", "", "", "",
     "<META NAME=\"n\" CONTENT=\"' onmouseover='alert(1)\">"},
    {"DefaultFont", "", "", "Create embedded style sheet : Yes\nDefault font : x</STYLE><script>alert(1)</script>\n",
     "WARNING: \"x</STYLE><script>alert(1)</script>\" is not a valid font specification", ""},
    {"HeadingFontBrace", "", "", "Create embedded style sheet : Yes\nHeading font : a} BODY {color:red\n",
     "is not a valid font specification", ""},
    {"FontTag", "", "Delta   [[FONT 0, x\" onmouseover=\"y, 12]]z\n", "Add FONT markup : Yes\n", "TAG ERROR: Invalid FONT tag in table cell", ""},
    {"CaptionPolicy", "", "", "Default TABLE caption : <script>alert(1)</script> & more\n", "",
     "<CAPTION>&lt;script&gt;alert(1)&lt;/script&gt; &amp; more</CAPTION>"},
    {"LinkWindowName", "", "Delta   http://example.com/x\n",
     "Open links in new browser window : Yes\nNew browser window name : x\" onmouseover=\"y\n", "",
     "TARGET=\"x&quot; onmouseover=&quot;y\""},
    {"FramePageName", "", "",
     "Place document in frames : Yes\nOnly allow pages to be viewed in frames : Yes\n"
     "Output frame name : x'+alert(1)+'\"*.html\n", "",
     "location.href=\"x%27+alert(1)+%27%22t.html\"',2000);"},
    {"TextTag", "", "Delta   [[TEXT <b>x</b> & <script>]]\n", "", "", "<TD>&lt;b&gt;x&lt;/b&gt; &amp; &lt;script&gt;</TD>"},
};
// clang-format on

class PayloadTest : public testing::TestWithParam<Payload> {};

TEST_P(PayloadTest, IsRefusedOrEscaped) {
    const Payload& payload = GetParam();
    TempFolder folder("vendrel_values");
    ASSERT_TRUE(folder.Made());
    ASSERT_TRUE(WriteWhole(folder / "t.txt", std::string(payload.text) + kTable + payload.rows));
    std::string arguments = "t.txt";
    if (*payload.policies) {
        ASSERT_TRUE(WriteWhole(folder / "p.pol", payload.policies));
        arguments += " p.pol";
    }
    const ProgramRun run = RunVendrel(folder.Path(), arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string page = ReadWhole(folder / "t.html");
    ASSERT_NE(page.find("Alpha</"), std::string::npos) << page;
    EXPECT_EQ(LiveMarkup(page), "") << page;
    if (*payload.message) {
        EXPECT_TRUE(run.ErrHas(payload.message)) << run.err;
    }
    if (*payload.page) {
        EXPECT_NE(page.find(payload.page), std::string::npos) << page;
    }
}

INSTANTIATE_TEST_SUITE_P(Payloads, PayloadTest, testing::ValuesIn(kPayloads),
                         [](const testing::TestParamInfo<Payload>& info) { return std::string(info.param.name); });

// The same values given well still reach the page, in the form they had.
TEST(ValuesTest, GoodValuesAreWrittenAsBefore) {
    TempFolder folder("vendrel_values");
    ASSERT_TRUE(folder.Made());
    ASSERT_TRUE(WriteWhole(folder / "t.txt",
                           "$_$_TABLE_WIDTH 80%\n$_$_TABLE_BGCOLOR ffff00\n$_$_TABLE_BORDERCOLOR orange\n"
                           "$_$_META_TAG \"robots\" noindex & nofollow\n" +
                               std::string(kTable)));
    ASSERT_TRUE(
        WriteWhole(folder / "p.pol", "Create embedded style sheet : Yes\nDefault font : Gill Sans, bold, 11\n"));
    const ProgramRun run = RunVendrel(folder.Path(), "t.txt p.pol");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string page = ReadWhole(folder / "t.html");
    EXPECT_NE(page.find(" WIDTH=\"80%\""), std::string::npos) << page;
    EXPECT_NE(page.find(" BGCOLOR=\"Yellow\""), std::string::npos) << page;
    // A name outside the sixteen is warned about and still written.
    EXPECT_NE(page.find("BORDERCOLOR=\"ORANGE\""), std::string::npos) << page;
    EXPECT_TRUE(run.ErrHas("WARNING: \"orange\" is not a standard HTML colour")) << run.err;
    EXPECT_NE(page.find("<META NAME=\"robots\" CONTENT=\"noindex &amp; nofollow\">"), std::string::npos) << page;
    EXPECT_NE(page.find("font-family: \"Gill Sans\"; font-style: normal; font-weight: bold; font-size: 11pt;"),
              std::string::npos)
        << page;
}

// A TEXT tag's argument is text in RTF too: its braces and backslashes do
// not become RTF groups and control words.
TEST(ValuesTest, TextTagArgumentIsTextInRtf) {
    TempFolder folder("vendrel_values");
    ASSERT_TRUE(folder.Made());
    ASSERT_TRUE(WriteWhole(folder / "t.txt", std::string(kTable) + "Delta   [[TEXT {\\b x}]]\n"));
    const ProgramRun run = RunVendrel(folder.Path(), "t.txt /RTF");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string document = ReadWhole(folder / "t.rtf");
    EXPECT_EQ(document.find("{\\b x}"), std::string::npos) << document;
    EXPECT_NE(document.find("\\'7b\\\\b x\\'7d"), std::string::npos) << document;
}

// A footer fragment of a document written as one file names its pages: the
// document is its own current, next and previous page, and no file list is
// missed.
TEST(ValuesTest, PageNamesInAFragmentOfOneDocument) {
    TempFolder folder("vendrel_values");
    ASSERT_TRUE(folder.Made());
    ASSERT_TRUE(WriteWhole(folder / "t.txt",
                           "$_$_DEFINE_HTML_FRAGMENT HTML_FOOTER\n"
                           "<P>[[CURRENT_PAGE]] [[NEXT_PAGE]] [[PREV_PAGE]]</P>\n"
                           "$_$_END_BLOCK\n" +
                               std::string(kTable)));
    const ProgramRun run = RunVendrel(folder.Path(), "t.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(run.ErrHas("PROGRAM ERROR")) << run.err;
    const std::string page = ReadWhole(folder / "t.html");
    EXPECT_NE(page.find("<P>t.html t.html t.html</P>"), std::string::npos) << page;
}

// A value of a policy file is UTF-8 when it is valid UTF-8, else 8-bit text
// of the Windows code page, and reaches the page in the page's encoding:
// as it is where the two agree, else as character references (HTML, whose
// head declares nothing new) or "\uN?" (RTF).
TEST(ValuesTest, PolicyValuesReachThePageInItsEncoding) {
    const std::string utf8Value = "Caf\xC3\xA9";
    const std::string eightBitValue = "Caf\xE9";
    const std::string asciiTable = kTable;
    const std::string eightBitTable = std::string(kTable) + "Delta   na\xEFve\n";
    const std::string utf8Table = std::string(kTable) + "Delta   na\xC3\xAFve\n";
    struct Case {
        const char* name;
        std::string value;
        std::string table;
        std::string html;  // the value as the HTML page holds it
        bool declaresUtf8;  // the HTML page's head declares UTF-8
        std::string rtf;  // as the RTF document holds it
    };
    const Case cases[] = {
        {"utf8 value, ascii table", utf8Value, asciiTable, "Caf&#233;", false, "Caf\\u233?"},
        {"utf8 value, 8-bit table", utf8Value, eightBitTable, "Caf&#233;", false, "Caf\\u233?"},
        {"utf8 value, utf8 table", utf8Value, utf8Table, utf8Value, true, "Caf\\u233?"},
        {"8-bit value, utf8 table", eightBitValue, utf8Table, "Caf&#233;", true, "Caf\\u233?"},
        {"8-bit value, 8-bit table", eightBitValue, eightBitTable, eightBitValue, false, eightBitValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder("vendrel_values");
        ASSERT_TRUE(folder.Made());
        ASSERT_TRUE(WriteWhole(folder / "t.txt", c.table));
        ASSERT_TRUE(WriteWhole(folder / "p.pol", "Document Title : " + c.value + "\nDefault TABLE caption : " +
                                                     c.value + "\nDocument Keywords : " + c.value + "\n"));
        ProgramRun run = RunVendrel(folder.Path(), "t.txt p.pol");
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string page = ReadWhole(folder / "t.html");
        EXPECT_NE(page.find("<TITLE>" + c.html + "</TITLE>"), std::string::npos) << page;
        EXPECT_NE(page.find("<CAPTION>" + c.html + "</CAPTION>"), std::string::npos) << page;
        EXPECT_NE(page.find("CONTENT=\"" + c.html + "\""), std::string::npos) << page;
        EXPECT_EQ(page.find("charset=UTF-8") != std::string::npos, c.declaresUtf8) << page;
        EXPECT_EQ(page.find("charset=") != std::string::npos, c.declaresUtf8) << page;

        run = RunVendrel(folder.Path(), "t.txt p.pol /RTF");
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string document = ReadWhole(folder / "t.rtf");
        EXPECT_NE(document.find("{\\title " + c.rtf + "}"), std::string::npos) << document.substr(0, 3000);
        EXPECT_NE(document.find("{\\keywords " + c.rtf + "}"), std::string::npos) << document.substr(0, 3000);
        EXPECT_NE(document.find("\\keepn\\qc " + c.rtf + "\\par}"), std::string::npos) << document;
    }
}

}  // namespace
