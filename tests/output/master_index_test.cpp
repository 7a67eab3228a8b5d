#include "output/master_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "output/html_file.h"
#include "policies/fc.h"
#include "support/document_text.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> gStatusLines;
void RecordStatus(const char* text) { gStatusLines.push_back(text); }
std::vector<std::string> gMessages;
void RecordMessage(const char* text) { gMessages.push_back(text); }

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class MasterIndexTest : public testing::Test {
protected:
    Context context;
    FC set;
    TempFolder temp{"master_index"};
    fs::path folder = temp.Path();
    std::string directory;  // the folder with its trailing "/"

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        directory = folder.string() + "/";
        set.SetContext(&context);
        gStatusLines.clear();
        gMessages.clear();
        context.sink.SetStatusCallback(RecordStatus);
        context.sink.SetMessageCallback(RecordMessage);
    }
};

TEST_F(MasterIndexTest, NothingWithoutMakeDirectory) {
    MasterIndex index;
    HTML_StartMasterIndex(set, context, TextString(directory.c_str()), index);
    HTML_AddMasterIndexEntry(set, context, index, TextString((directory + "a.html").c_str()));
    HTML_EndMasterIndex(set, context, index);
    EXPECT_EQ(index.document, nullptr);
    EXPECT_TRUE(gStatusLines.empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(MasterIndexTest, PageNames) {
    struct Case {
        const char* label;
        void (*prepare)(FC&, Context&);
        const char* expected;  // "/d/" stands for the directory given
    };
    const Case cases[] = {
        {"default", [](FC&, Context&) {}, "/d/dirindex.html"},
        {"DOS", [](FC& s, Context&) { s.SetInt(Pol::UseDOSFilenames, 1); }, "/d/dirindex.HTM"},
        {".htm", [](FC& s, Context&) { s.SetInt(Pol::UseHTMExtension, 1); }, "/d/dirindex.htm"},
        {"RTF run", [](FC& s, Context&) { s.names.outputExtension = ".rtf"; }, "/d/dirindex.html"},
        {"relative name",
         [](FC& s, Context&) {
             s.SetText(Pol::DirectoryFilename, "pages/list.html");
             s.SetText(Pol::OutputDirectory, "/out/");
         },
         "/out/pages/list.html"},
        {"/INDEX name", [](FC&, Context& c) { c.runParameters.indexFile = "all.html"; }, "all.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Context own;
        FC policies;
        policies.SetContext(&own);
        c.prepare(policies, own);
        EXPECT_EQ(MasterIndexPageName(policies, own, TextString("/d/")).str(), c.expected);
    }
}

TEST_F(MasterIndexTest, TitleFallbacks) {
    TextString title;
    set.SetText(Pol::DocumentTitle, "Report of [[filename]]");
    GetDirectoryPageTexts(set, &title, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(title.str(), "Directory listing");
    set.SetText(Pol::DocumentTitle, "Reports");
    GetDirectoryPageTexts(set, &title, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(title.str(), "Reports");
    set.SetText(Pol::DirectoryTitle, "All reports");
    set.SetText(Pol::HTMLFooterFile, "foot.inc");
    TextString footer;
    GetDirectoryPageTexts(set, &title, nullptr, nullptr, nullptr, nullptr, nullptr, &footer);
    EXPECT_EQ(title.str(), "All reports");
    EXPECT_EQ(footer.str(), "foot.inc");
}

// The page of a run that converted two files: each conversion clears the
// Context's blocks and may leave blocks of its own behind, yet the page
// closes its BODY once, by itself.
TEST_F(MasterIndexTest, AWholePage) {
    set.SetInt(Pol::MakeDirectory, 1);
    set.SetText(Pol::OutputDirectory, directory.c_str());
    MasterIndex index;
    HTML_StartMasterIndex(set, context, TextString(directory.c_str()), index);
    ASSERT_NE(index.document, nullptr);
    EXPECT_EQ(gStatusLines.at(0), "Generating Master index file \"" + directory + "dirindex.html\"");
    EXPECT_EQ(gStatusLines.at(1), "");

    context.StartNewFile("a.txt");
    HTML_AddMasterIndexEntry(set, context, index, TextString((directory + "a.html").c_str()));
    context.StartNewFile("sub/b c.txt");
    {
        HTMLFile other;
        TextString list("<UL>");
        context.documentState.blocks.Add(&set, &other, list);  // a block of another document, never closed
    }
    HTML_AddMasterIndexEntry(set, context, index, TextString((directory + "sub/b \"c\".html").c_str()));
    HTML_EndMasterIndex(set, context, index);
    EXPECT_EQ(index.document, nullptr);

    const std::string page = ReadWhole(folder / "dirindex.html");
    EXPECT_EQ(page.rfind("<!DOCTYPE", 0), 0u) << page;
    for (const char* part :
         {"<HEAD>", "</HEAD>", "<TITLE>Directory listing</TITLE>", "<BODY", "<A HREF=\"a.html\">a.html</A>",
          "<A HREF=\"sub/b%20%22c%22.html\">b &quot;c&quot;.html</A>"})
        EXPECT_EQ(CountOf(page, part), 1u) << part << "\n" << page;
    EXPECT_EQ(CountOf(page, "</BODY>"), 1u) << page;
    EXPECT_EQ(page.find("</UL>"), std::string::npos) << page;
    EXPECT_EQ(page.substr(page.size() - 8), "</HTML>\n");
}

TEST_F(MasterIndexTest, AnUnopenablePageIsReported) {
    set.SetInt(Pol::MakeDirectory, 1);
    MasterIndex index;
    HTML_StartMasterIndex(set, context, TextString((directory + "no/such/").c_str()), index);
    EXPECT_EQ(index.document, nullptr);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0],
              "ERROR: Can't open file \"" + directory + "no/such/dirindex.html\": No such file or directory");
    HTML_AddMasterIndexEntry(set, context, index, TextString("a.html"));
    HTML_EndMasterIndex(set, context, index);
    EXPECT_TRUE(fs::is_empty(folder));
}

// The names of the output files (UTF-8 on this system), on a page declared
// UTF-8 and on pages of 8-bit text: the link text shows the name, the link
// reaches the file, and a page not declared UTF-8 holds no byte beyond ASCII.
TEST_F(MasterIndexTest, FileNamesShowAsTheyAreNamed) {
    // clang-format off
    const char* const names[] = {
        "plain report", "a&b <c>", "Z\u00fcrich \u00e9t\u00e9", "\u041c\u043e\u0441\u043a\u0432\u0430",
        "\u6771\u4eac\u30bf\u30ef\u30fc", "\U00020000\U0002A6D6 plane two",
    };
    // clang-format on
    const char* const charsets[] = {"", "UTF-8", "iso-8859-1", "windows-1251"};
    for (const char* charset : charsets) {
        for (const char* name : names) {
            SCOPED_TRACE(std::string(charset) + " / " + name);
            const std::string file = std::string(name) + ".html";
            Context own;
            FC policies;
            policies.SetContext(&own);
            policies.SetInt(Pol::MakeDirectory, 1);
            policies.SetText(Pol::OutputDirectory, directory.c_str());
            if (*charset) policies.SetText(Pol::CharacterEncoding, charset);
            MasterIndex index;
            HTML_StartMasterIndex(policies, own, TextString(directory.c_str()), index);
            ASSERT_NE(index.document, nullptr);
            HTML_AddMasterIndexEntry(policies, own, index, TextString((directory + file).c_str()));
            HTML_EndMasterIndex(policies, own, index);

            const std::string page = ReadWhole(folder / "dirindex.html");
            const std::optional<PageLink> link = FirstLink(page);
            ASSERT_TRUE(link) << page;
            EXPECT_EQ(PercentDecoded(link->href), file);
            EXPECT_EQ(HtmlText(link->text), file);
            const bool ascii = std::all_of(page.begin(), page.end(), [](char c) { return c >= 0; });
            EXPECT_TRUE(ascii || std::string(charset) == "UTF-8") << page;
        }
    }
}

TEST(MasterIndexLinkTest, RelativeAndEncoded) {
    struct Case {
        const char* page;
        const char* target;
        const char* link;
    };
    const Case cases[] = {
        {"/a/b/", "/a/b/x.html", "x.html"},
        {"/a/b/", "/a/c/y.html", "../c/y.html"},
        {"/a/b/", "/a/b/sub/../z.html", "z.html"},
        {"/a/", "/a/my file#1?.html", "my%20file%231%3F.html"},
        {"/a/", "/a/caf\xc3\xa9.html", "caf%C3%A9.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeIndexLink(TextString(c.page), TextString(c.target)).str(), c.link) << c.target;
}

TEST(MasterIndexLineTest, ContentsLineMarkup) {
    Context context;
    FC set;
    set.SetContext(&context);
    context.fontTagSwitch = 0;
    EXPECT_EQ(FormatMasterIndexLine(set, context, TextString("a.html"), TextString("a.html")).str(),
              "<SPAN CLASS=TOC1><A HREF=\"a.html\">a.html</A><BR></SPAN>");
    // With FONT markup during output: bold unless the contents style asks
    // for normal lines.
    context.fontTagSwitch = 1;
    context.documentState.htmlOutput = 1;
    const std::string bold = FormatMasterIndexLine(set, context, TextString("a.html"), TextString("a")).str();
    EXPECT_EQ(bold.rfind("<FONT", 0), 0u) << bold;
    EXPECT_NE(bold.find("<STRONG><A HREF=\"a.html\">a</A></STRONG></FONT><BR>"), std::string::npos) << bold;
    set.SetInt(Pol::ContentsStyleCode, 1);
    const std::string normal = FormatMasterIndexLine(set, context, TextString("a.html"), TextString("a")).str();
    EXPECT_EQ(normal.find("STRONG"), std::string::npos) << normal;
}

}  // namespace
