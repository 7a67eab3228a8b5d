#include "output/rtf_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "context/context.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "support/document_text.h"
#include "support/rtf_braces.h"
#include "support/temp_folder.h"

namespace {

class RTFFileTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        ASSERT_TRUE(temp.Made());
    }

    // Converts nothing: opens a document for "doc.txt", ends it and returns
    // the lines of the RTF file.
    std::vector<std::string> EmptyDocument() {
        context.outputFormat = 1;
        context.styleSet.SetDefaultFonts(&set);
        RTFFile document(set);
        context.documentState.rtfOutput = 1;
        const std::string input = (folder / "doc").string();
        if (document.Open(input.c_str(), &set, 0) == 0) ADD_FAILURE() << "not opened";
        CloseRTFFile(&document, &set);
        document.Close();
        std::ifstream stream(folder / "doc.rtf");
        std::vector<std::string> lines;
        for (std::string line; std::getline(stream, line);) lines.push_back(line);
        return lines;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\n";
        return text;
    }
    // Points the document at `written` and starts it: lines wait in its
    // buffer until a flush.
    static void StartListedDocument(RTFFile& document, StringList& written) {
        document.outputList = &written;
        document.OpenForWrite("", 0, 0);
        document.fileStarted = 1;
    }
    // The listed lines, each ended by a newline.
    static std::string ListedText(const StringList& written) {
        std::string all;
        for (int i = 0; i < written.count; ++i) all += std::string(written.TextAt(i)) + "\n";
        return all;
    }
    static int IndexOf(const std::vector<std::string>& lines, const std::string& wanted) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == wanted) return static_cast<int>(i);
        return -1;
    }

    Context context;
    FC set;
    TempFolder temp{"rtf_file"};
    std::filesystem::path folder = temp.Path();
};

TEST_F(RTFFileTest, FreshDocumentHasTheHeaderAndEndOfADefaultDocument) {
    const auto lines = EmptyDocument();
    ASSERT_GT(lines.size(), 60u);
    EXPECT_EQ(lines[0], "{\\rtf1\\ansi\\ansicpg1252\\uc1");
    EXPECT_EQ(lines[1], "\\deff100\\deflang1033\\deflangfe1033");
    EXPECT_EQ(lines[2], "{\\fonttbl");
    EXPECT_EQ(lines[3], "{\\f1\\froman\\fcharset2\\fprq2 Symbol;}");
    EXPECT_EQ(lines[4], "{\\f2\\fmodern Courier New;}");
    EXPECT_EQ(lines[5], "{\\f4\\froman\\fcharset0\\fprq2 Times New Roman;}");
    EXPECT_EQ(lines[6], "{\\f5\\fswiss\\fcharset0\\fprq2 Arial;}");
    // The 25 style fonts follow; no tag fonts are registered.
    EXPECT_EQ(lines[7 + kStyleCount], "}");

    const int colours = IndexOf(lines, "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;");
    ASSERT_EQ(colours, 8 + kStyleCount);
    EXPECT_EQ(lines[static_cast<size_t>(colours + 7)], "\\red128\\green128\\blue128;\\red192\\green192\\blue192;}");
    EXPECT_EQ(lines[static_cast<size_t>(colours + 8)],
              "{\\stylesheet{\\widctlpar \\f4\\fs20\\lang1033 \\snext0 Normal;}");
    EXPECT_NE(IndexOf(lines, "{\\*\\cs32 \\additive \\ul\\cf2 \\sbasedon10 Hyperlink;}"), -1);

    const int info = IndexOf(lines, "{\\info");
    ASSERT_NE(info, -1);
    EXPECT_EQ(lines[static_cast<size_t>(info + 1)].rfind("{\\title ", 0), 0u);
    EXPECT_EQ(lines[static_cast<size_t>(info + 2)], "{\\operator Pellion auto-convert}");
    EXPECT_TRUE(std::regex_match(lines[static_cast<size_t>(info + 3)],
                                 std::regex(R"(\{\\creatim\\yr\d{4}\\mo([1-9]|1[0-2])\\dy\d+\\hr\d+\\min\d+\})")))
        << lines[static_cast<size_t>(info + 3)];
    EXPECT_NE(IndexOf(lines, "\\paperw11906\\paperh16838\\margl1800\\margr1800\\margt1440\\margb1440\\gutter0"), -1);
    EXPECT_NE(IndexOf(lines, "\\linex0\\headery709\\footery709\\colsx709\\endnhere"), -1);

    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "\\par}");
    EXPECT_EQ(lines.back(), "}}");
    EXPECT_TRUE(RtfBracesBalance(Joined(lines))) << Joined(lines);
}

// The title of the information group names the input file through its tag.
// The name (UTF-8 on this system) reads back as it is in a document of 8-bit
// text and in one of UTF-8 text, every character beyond ASCII written as
// "\uN?", and RTF's own characters escaped once.
TEST_F(RTFFileTest, TheTitleShowsTheFileNameAsItIs) {
    // clang-format off
    const char* const names[] = {
        "plain.txt", "C:\\in\\{draft}.txt", "Z\u00fcrich \u00e9t\u00e9.txt",
        "\u041c\u043e\u0441\u043a\u0432\u0430.txt", "\u6771\u4eac\u30bf\u30ef\u30fc.txt",
        "\U00020000\U0002A6D6 {plane} two.txt",
    };
    // clang-format on
    set.SetText(Pol::DocumentTitle, "Report: [[FILENAME]]");
    for (const int utf8Text : {0, 1}) {
        for (const char* name : names) {
            SCOPED_TRACE(std::string(utf8Text ? "UTF-8 text / " : "8-bit text / ") + name);
            context.documentState.utf8Text = utf8Text;
            context.documentState.inputFileName = name;
            const auto lines = EmptyDocument();
            const int info = IndexOf(lines, "{\\info");
            ASSERT_NE(info, -1);
            const std::string& title = lines[static_cast<size_t>(info + 1)];
            ASSERT_EQ(title.rfind("{\\title ", 0), 0u) << title;
            EXPECT_EQ(RtfText(title), std::string("Report: ") + name);
            EXPECT_TRUE(std::all_of(title.begin(), title.end(), [](char c) { return c >= 0; })) << title;
            EXPECT_TRUE(RtfBracesBalance(title)) << title;
        }
    }
}

TEST_F(RTFFileTest, StylesheetEntriesFollowTheStyleTable) {
    set.SetInt(Pol::TextJustification, 2);  // centred body text
    const auto lines = EmptyDocument();
    const std::string text = Joined(lines);
    // "Body" takes the text alignment; "Quotes" is always left; headings keep
    // with the next paragraph.
    EXPECT_TRUE(std::regex_search(
        text, std::regex(R"(\n\{\\s1\\sb60\\sa60\\widctlpar \\f\d+\\fs\d+\\kerning28\\qc \\sbasedon0 Body;\}\n)")));
    EXPECT_TRUE(std::regex_search(
        text, std::regex(R"(\n\{\\s13\\widctlpar (\\i)?\\f\d+\\fs\d+\\kerning28 \\sbasedon1 Quotes;\}\n)")))
        << text;
    EXPECT_TRUE(std::regex_search(
        text, std::regex(R"(\n\{\\s61\\sb240\\sa120\\keepn\\widctlpar .*\\sbasedon6 Heading 1;\}\n)")));
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\n\{\\s7\\widctlpar .*\\sbasedon0 All TOC;\}\n)")));
}

TEST_F(RTFFileTest, LegalLandscapeExchangesWidthAndHeight) {
    set.SetInt(Pol::PaperSize, 3);
    set.SetInt(Pol::UseLandscapeMode, 1);
    const auto lines = EmptyDocument();
    EXPECT_NE(IndexOf(lines, "\\paperw20160\\paperh12240\\margl1800\\margr1800\\margt1440\\margb1440\\gutter0"), -1);
    EXPECT_NE(IndexOf(lines, "\\lndscpsxn\\psz9\\linex0\\headery709\\footery709\\colsx709\\endnhere"), -1);
}

TEST_F(RTFFileTest, MarginsTakeOnlyPoliciesThatWereSet) {
    int top = 0, bottom = 0, left = 0, right = 0;
    RTF_GetMargins(&set, &top, &bottom, &left, &right);
    EXPECT_EQ(std::vector<int>({top, bottom, left, right}), std::vector<int>({1440, 1440, 1800, 1800}));
    set.SetText(Pol::TopMargin, "1");
    set.SetText(Pol::LeftMargin, "wide");
    RTF_GetMargins(&set, &top, &bottom, &left, &right);
    EXPECT_EQ(std::vector<int>({top, bottom, left, right}), std::vector<int>({567, 1440, 1800, 1800}));
}

// Fonts registered by FONT tags would be numbered 100, 101 ... where the
// style fonts already are; they are numbered after the style fonts instead,
// so every font-table number names one font.
TEST_F(RTFFileTest, TagFontNumbersNeverCollideWithStyleFonts) {
    context.documentState.list2.Add("Arial-Arial-1-0");
    context.documentState.list2.Add("Times-Times-0-2");
    const auto lines = EmptyDocument();
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ(lines[1], "\\deff100\\deflang1033\\deflangfe1033");

    std::set<int> numbers;
    const std::regex entry(R"(^\{\\f(\d+)[\\ ])");
    int entries = 0;
    for (size_t i = 3; i < lines.size() && lines[i] != "}"; ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(lines[i], match, entry)) << lines[i];
        numbers.insert(std::stoi(match[1]));
        ++entries;
    }
    EXPECT_EQ(static_cast<int>(numbers.size()), entries);
    const int first = RTF_TagFontNumber(&set, 0);
    EXPECT_GT(first, 176);
    EXPECT_NE(
        IndexOf(lines, "{\\f" + std::to_string(first) + " \\fswiss\\fcharset0\\fprq2 Arial;{\\*\\falt Geneva;}}"),
        -1);
    EXPECT_NE(
        IndexOf(lines, "{\\f" + std::to_string(first + 1) + " \\froman\\fcharset0\\fprq2 Times;{\\*\\falt Times;}}"),
        -1);
}

TEST_F(RTFFileTest, FontEntryFollowsTheCharacterEncoding) {
    FontSpec font;
    font.SetFontIndex(120);
    font.SetFaceName("Verdana, Helvetica");
    font.SetProportional(1);
    struct Case {
        const char* encoding;
        const char* expected;
    };
    const Case cases[] = {
        {"", "{\\f120\\fswiss\\fprq2\\fcharset0 Verdana;}"},
        {"iso-8859-8 (Hebrew)", "{\\f120\\fswiss\\fprq2\\fcharset177 Verdana;}"},
        {"WINDOWS-1256", "{\\f120\\fbidi \\fswiss\\fprq2\\fcharset178 Verdana;}"},
        {"big5", "{\\f120\\fmodern\\fprq1\\fcharset136 MingLiU;}"},
    };
    for (const Case& c : cases) {
        set.SetText(Pol::CharacterEncoding, c.encoding);
        StringList written;
        RTFFile document(set);
        document.outputList = &written;
        document.OpenForWrite("", 0, 0);
        RTF_WriteFontEntry(&set, &document, &font);
        ASSERT_EQ(written.count, 1) << c.encoding;
        EXPECT_STREQ(written.TextAt(0), c.expected) << c.encoding;
    }
}

// Long RTF lines are never broken: a line end between two words would make
// the words run together.
TEST_F(RTFFileTest, LongLinesKeepTheirBlanks) {
    StringList written;
    RTFFile document(set);
    StartListedDocument(document, written);
    context.documentState.rtfOutput = 1;
    std::string text;
    for (int i = 0; i < 40; ++i) text += "word ";
    TextString line(text.c_str());
    document.WriteLine(&set, &document, &line, 0);
    EXPECT_EQ(written.count, 0);  // buffered
    document.FlushBuffer(&set, &document, 1);
    ASSERT_EQ(written.count, 1);
    EXPECT_EQ(std::string(written.TextAt(0)), text);
}

// The buffer is tidied line by line, copying only lines that may change:
// lines on and just off each form, at every place within the sixteen bytes
// looked at together, come out as the tidy pass makes them of the whole
// buffer.
TEST_F(RTFFileTest, FlushedLinesAreTidiedAsTheWholeBuffer) {
    const std::vector<std::string> forms = {
        "\\line\\cell",   "\\LiNe\\CELL", "\\lin\\cell",  "\\line \\cell", "\\line\\cel",
        "\\par\\cell",    "\\PAR\\Cell",  "\\pa\\cell",   "\\parx\\cell",  "\\par\\line\\cell",
        "\\\\line\\cell", "line\\cell",   "\\lpar\\cell",
    };
    const std::vector<std::string> endings = {
        "\\b0}",  "\\B0}",  "\\b0",  "b0}",     "\\b0} ", "\\i0}", "\\I0}", "\\i1}", " ",    "  ",   "   ",
        "\\par ", "\\PAR ", "\\par", "\\par  ", "par ",   "}}}",   "}}",    "} }}",  "}}}}", "}}} ", "",
    };
    std::vector<std::vector<std::string>> cases;
    for (const std::string& form : forms)
        for (int before = 0; before <= 18; ++before) {
            cases.push_back({std::string(static_cast<size_t>(before), 'x') + form});
            cases.push_back({std::string(static_cast<size_t>(before), '\\') + form + " tail"});
        }
    for (const std::string& ending : endings)
        for (const std::string& start : {std::string(), std::string("x"), std::string(20, 'y') + "\\line\\cell"})
            cases.push_back({start + ending});
    // Forms broken by a line end, and several lines written at once.
    cases.push_back({"a\\line", "\\cell b", "\\par", "\\cell"});
    cases.push_back({"a\\line\n\\cell\\par \nx}}}\n\\b0}"});
    cases.push_back({"", "\\", "\\l", "\\p", std::string(40, '\\')});
    context.documentState.rtfOutput = 1;
    for (const std::vector<std::string>& lines : cases) {
        std::string buffered;
        for (const std::string& line : lines) buffered += line + "\n";
        SCOPED_TRACE(buffered);
        TextString whole(buffered);
        RTF_TidyBuffer(&set, whole);
        std::string expected = whole.str();
        StringList written;
        RTFFile document(set);
        StartListedDocument(document, written);
        for (const std::string& line : lines) document.WriteText(&set, &document, line.c_str());
        EXPECT_EQ(document.FlushBuffer(&set, &document, 1), 1);
        const std::string all = ListedText(written);
        EXPECT_EQ(all, expected);
    }
}

// Lines go to the buffer as they stand unless an encoding is named or the
// input is Japanese; just off that road, the steps that convert them run.
TEST_F(RTFFileTest, LinesAreConvertedOnlyWhereAStepConvertsThem) {
    struct Case {
        const char* encoding;
        bool japanese;
        bool asItStands;
    };
    const Case cases[] = {
        {"", false, true},        {"ascii", false, true}, {"iso-8859-1", false, true}, {"iso-8859-2", false, false},
        {"koi8-r", false, false}, {"", true, false},
    };
    context.documentState.rtfOutput = 1;
    const std::string text = "a\xe9\xc1z";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + (c.japanese ? " japanese" : ""));
        set.SetText(Pol::CharacterEncoding, c.encoding);
        set.SetInt(Pol::InputJapanese, c.japanese ? 1 : 0);
        for (const bool asText : {true, false}) {
            StringList written;
            RTFFile document(set);
            StartListedDocument(document, written);
            TextString line(text.c_str());
            EXPECT_EQ(asText ? document.WriteText(&set, &document, line.buffer)
                             : document.WriteLine(&set, &document, &line, 0),
                      1);
            document.FlushBuffer(&set, &document, 1);
            ASSERT_EQ(written.count, 1);
            EXPECT_EQ(std::string(written.TextAt(0)) == text, c.asItStands) << written.TextAt(0);
        }
    }
    set.SetText(Pol::CharacterEncoding, "");
    set.SetInt(Pol::InputJapanese, 0);
}

// Lines written to a file leave the buffer in runs; they come out as the
// lines kept one by one do: around lines that are tidied, with a NUL byte in
// the buffer, with a last line that no newline ends.
TEST_F(RTFFileTest, LinesWrittenToAFileInRunsComeOutAsOneByOne) {
    const std::vector<std::vector<std::string>> cases = {
        {"a", "b", "c"},
        {"{\\b x\\b0}", "plain", "\\par\\cell y", "more", "end  "},
        {"first", "", "", "last"},
        {"a", std::string("b\0hidden", 8), "c"},
        {"a\nb", "c\\line\\cell\nd"},
    };
    context.documentState.rtfOutput = 1;
    for (const auto& lines : cases) {
        SCOPED_TRACE(lines.front());
        for (const bool ended : {true, false}) {
            auto fill = [&](RTFFile& document) {
                document.fileStarted = 1;
                for (const std::string& line : lines) {
                    TextString text{std::string_view(line)};
                    document.WriteLine(&set, &document, &text, 0);
                }
                // The buffer as a handed-over text leaves it: its last line without a newline.
                if (!ended) {
                    TextString last(std::string(RTFFile::kHandOverBytes, 'z'));
                    document.WriteHandedOver(&set, &document, last);
                }
                EXPECT_EQ(document.FlushBuffer(&set, &document, 1), 1);
            };
            StringList written;
            {
                RTFFile document(set);
                document.outputList = &written;
                document.OpenForWrite("", 0, 0);
                fill(document);
            }
            const std::string expected = ListedText(written);
            const std::string path = (folder / "runs.rtf").string();
            {
                RTFFile document(set);
                ASSERT_TRUE(document.OpenForWrite(path.c_str(), 0, 0));
                fill(document);
                document.TextFile::CloseAll();
            }
            std::ifstream stream(path, std::ios::binary);
            const std::string file((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
            EXPECT_EQ(file, expected);
        }
    }
}

// A large text handed over to the buffer is written as a copy of it would
// be: the lines pending before it are tidied alone, and the text after it.
TEST_F(RTFFileTest, AHandedOverTextIsWrittenAsACopiedOne) {
    const std::string large(RTFFile::kHandOverBytes, 'x');
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::string text;
        const char* encoding;
    };
    const std::vector<Case> cases = {
        {"nothing pending", {}, large + "\\par\\cell", ""},
        {"tidied forms on both sides", {"{\\b a\\b0}", "text  ", "\\par "}, "  " + large + "\\line\\cell}}}", ""},
        {"a text of several lines", {"x}}}"}, large + "  \nnext\\par \n" + large, ""},
        {"just too short", {"{\\i a\\i0}"}, large.substr(1) + "\\par\\cell", ""},
        {"an encoding that converts lines", {"a"}, large + "\xe9", "iso-8859-2"},
        {"a NUL byte", {"a"}, large + std::string(1, '\0') + "\nmore", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        set.SetText(Pol::CharacterEncoding, c.encoding);
        context.documentState.rtfOutput = 1;
        std::vector<std::string> results;
        for (const bool handOver : {false, true}) {
            StringList written;
            RTFFile document(set);
            StartListedDocument(document, written);
            for (const std::string& line : c.before) document.WriteText(&set, &document, line.c_str());
            TextString text(c.text);
            if (handOver)
                EXPECT_EQ(document.WriteHandedOver(&set, &document, text), 1);
            else
                EXPECT_EQ(document.WriteText(&set, &document, text.buffer), 1);
            document.WriteText(&set, &document, "\\par\\cell after  ");
            document.FlushBuffer(&set, &document, 1);
            const std::string all = ListedText(written);
            results.push_back(all);
        }
        EXPECT_GT(results[0].size(), large.size());
        EXPECT_EQ(results[0], results[1]);
    }
}

TEST(RTFTidyBuffer, RewritesLineEndsAndCells) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"{\\b bold\\b0}\nnext\n", "{\\b bold\\b0} \nnext\n"},
        {"{\\i it\\i0}\n", "{\\i it\\i0} \n"},
        {"a\\line\\cell b\\par\\cell\n", "a\\cell b\\cell\n"},
        {"text  \n", "text \n"},
        {"\\par \n", "\\par\n"},
        {"x}}}\n", "x}}} \n"},
        {"\\par}}}\n", "\\par}}} \n"},
    };
    for (const Case& c : cases) {
        TextString buffer(c.in);
        EXPECT_EQ(RTF_TidyBuffer(nullptr, buffer), 1);
        EXPECT_EQ(buffer.str(), c.out) << c.in;
    }
}

TEST(RtfBraces, EscapedBracesAreText) {
    EXPECT_TRUE(RtfBracesBalance("{\\rtf1 {a\\{b} \\\\}"));
    EXPECT_FALSE(RtfBracesBalance("{a\\}"));
    EXPECT_FALSE(RtfBracesBalance("}{"));
}

}  // namespace
