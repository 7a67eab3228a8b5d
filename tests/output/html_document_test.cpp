#include "output/html_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "context/context.h"
#include "output/paragraphs.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "support/document_text.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

const char* const kDocType =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\" \"http://www.w3.org/TR/REC-html40/loose.dtd\">";
const char* const kComment = "  <!-- Converted by Vendrel 4.0 -->";
const char* const kGenerator = "  <META NAME=\"Generator\" CONTENT=\"Morvane from www.morvane.example\">";
const char* const kTitle = "  <TITLE>Converted from \"report.txt\"</TITLE>";

class HtmlDocumentTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    PageEndOptions options;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        context.documentState.htmlOutput = 1;
        context.documentState.inputFileName.Assign("report.txt");
        messages = std::make_unique<MessageRecorder>(context);
    }
    int Start(const char* title = "Converted from \"[[FILENAME]]\"", const char* keywords = "",
              const char* header = "") {
        return HTML_StartDocument(&document, nullptr, TextString("report.html"), TextString(title), TextString(),
                                  TextString(), TextString(keywords), TextString(), TextString(), TextString(header),
                                  &set, options);
    }
    int End(const char* footer = "") {
        return HTML_EndDocument(&document, nullptr, &set, TextString(footer), options);
    }
    // A whole document holding one paragraph.
    std::string Convert() {
        Start();
        HTML_StartPara(&document, &set, 1, "test", 0, 0, nullptr);
        document.WriteText(&set, &document, "Hello");
        End();
        return document.Joined("\n");
    }
};

std::string Lines(std::initializer_list<const char*> lines) {
    std::string joined;
    bool first = true;
    for (const char* line : lines) {
        if (!first) joined += "\n";
        joined += line;
        first = false;
    }
    return joined;
}

TEST_F(HtmlDocumentTest, WritesTheWholeDocumentAroundTheText) {
    EXPECT_EQ(Convert(),
              Lines({kDocType, "<HTML>", "<HEAD>", "", kComment, "", kTitle, kGenerator, "", "</HEAD>", "",
                     "<BODY BGCOLOR=\"white\">", "<P>", "Hello", "</P>", kComment, "</BODY>", "</HTML>"}));
    EXPECT_EQ(context.documentState.blocks.Count(), 0);
    EXPECT_EQ(document.flushCount, 1);
    EXPECT_EQ(context.trackers.codeLocation, 0);
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(HtmlDocumentTest, PoliciesShapeTheHeadAndFoot) {
    const struct {
        const char* name;
        std::function<void(FC&)> setUp;
        std::string expected;
    } cases[] = {
        {"head and body omitted", [](FC& s) { s.SetInt(Pol::OmitHeadAndBody, 1); },
         Lines({"", "<P>", "Hello", "</P>", kComment})},
        {"comment code 1: META only", [](FC& s) { s.SetInt(Pol::CommentGenerationCode, 1); },
         Lines({kDocType, "<HTML>", "<HEAD>", "", kTitle, kGenerator, "", "</HEAD>", "", "<BODY BGCOLOR=\"white\">",
                "<P>", "Hello", "</P>", "</BODY>", "</HTML>"})},
        {"comment code 2: neither", [](FC& s) { s.SetInt(Pol::CommentGenerationCode, 2); },
         Lines({kDocType, "<HTML>", "<HEAD>", "", kTitle, "", "</HEAD>", "", "<BODY BGCOLOR=\"white\">", "<P>",
                "Hello", "</P>", "</BODY>", "</HTML>"})},
        {"HTML 3.2, iso-8859-1, no colours",
         [](FC& s) {
             s.SetInt(Pol::HTMLVersion, 1);
             s.SetText(Pol::CharacterEncoding, "iso-8859-1");
             s.SetInt(Pol::SuppressAllColourMarkup, 1);
             s.SetInt(Pol::CommentGenerationCode, 2);
         },
         Lines({"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">", "<HTML>", "<HEAD>", "", kTitle,
                "  <META http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">", "", "</HEAD>", "",
                "<BODY>", "<P>", "Hello", "</P>", "</BODY>", "</HTML>"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set.ResetPolicies();
        document.Clear();
        c.setUp(set);
        EXPECT_EQ(Convert(), c.expected);
        EXPECT_EQ(context.documentState.blocks.Count(), 0);
    }
}

TEST_F(HtmlDocumentTest, HeadTextsAreEscapedOnce) {
    set.SetInt(Pol::CommentGenerationCode, 2);
    context.documentState.documentTexts[DocumentState::kDocumentShortcutIcon].Assign("icon.ico?a=1&amp;b=2");
    Start("<script>alert(\"x\")</script> R&D &amp; [[FILENAME]]", "a \"b\" &amp; c<d");
    const std::string head = document.Joined("\n");
    EXPECT_NE(head.find("  <TITLE>&lt;script&gt;alert(\"x\")&lt;/script&gt; R&amp;D &amp; report.txt</TITLE>"),
              std::string::npos)
        << head;
    EXPECT_NE(head.find("  <LINK REL=\"SHORTCUT ICON\" HREF=\"icon.ico?a=1&amp;b=2\">"), std::string::npos) << head;
    EXPECT_NE(head.find("        CONTENT=\"a &quot;b&quot; &amp; c&lt;d\">"), std::string::npos) << head;
}

// The input file's name (UTF-8 on this system) in the TITLE, given by a tag
// or by the title made when none is given: as it is in a page of UTF-8 text,
// as character references in a page of 8-bit text.
TEST_F(HtmlDocumentTest, TitlesShowTheFileNameAsItIs) {
    const char* const names[] = {"R&D <1>.txt", "Z\u00fcrich.txt", "\u041c\u043e\u0441\u043a\u0432\u0430.txt",
                                 "\u6771\u4eac.txt", "\U00020000.txt"};
    for (const char* title : {"[[FILENAME]]", ""}) {
        for (const int utf8Text : {0, 1}) {
            for (const char* name : names) {
                SCOPED_TRACE(std::string(title) + (utf8Text ? " / UTF-8 text / " : " / 8-bit text / ") + name);
                document.Clear();
                context.documentState.utf8Text = utf8Text;
                context.documentState.inputFileName.Assign(name);
                Start(title);
                const std::string head = document.Joined("\n");
                const size_t open = head.find("<TITLE>");
                const size_t close = head.find("</TITLE>");
                ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << head;
                const std::string shown = HtmlText(head.substr(open + 7, close - open - 7));
                EXPECT_NE(shown.find(name), std::string::npos) << shown;
                const std::string line = head.substr(open, close - open);
                EXPECT_TRUE(utf8Text || std::all_of(line.begin(), line.end(), [](char c) { return c >= 0; }))
                    << line;
            }
        }
    }
}

TEST_F(HtmlDocumentTest, FootClosesOpenBlocksOneByOneUntilTheBody) {
    set.SetInt(Pol::CommentGenerationCode, 2);
    Start();
    TextString table("<TABLE BORDER=1>");
    context.documentState.blocks.Add(&set, &document, table);
    document.Clear();
    End();
    EXPECT_EQ(document.Joined("|"), "</TABLE>|</BODY>|</HTML>");

    // Without a BODY block (the block list was emptied) the end tag is still written.
    document.Clear();
    context.documentState.blocks.Clear();
    End();
    EXPECT_EQ(document.Joined("|"), "</BODY>|</HTML>");
}

TEST_F(HtmlDocumentTest, IncludeFilesFrameTheText) {
    set.SetInt(Pol::CommentGenerationCode, 2);
    set.SetInt(Pol::OmitHeadAndBody, 1);
    TempFolder temp("vendrel_headfoot");
    ASSERT_TRUE(temp.Made());
    const std::string directory = temp.Path().string() + "/";
    ASSERT_TRUE(WriteWhole(temp / "headfoot_header.inc", "<DIV>Top</DIV>\nsecond line\n"));
    set.SetText(Pol::InputDirectory, directory.c_str());

    Start("", "", "headfoot_header.inc");
    End("missing_footer.inc");
    EXPECT_EQ(document.Joined("|"),
              "||<!-- Start of include file \"headfoot_header.inc\" -->|<DIV>Top</DIV>|second line|"
              "<!--   End of include file \"headfoot_header.inc\" -->|||"
              "<!-- Failed to find include file \"missing_footer.inc\" -->|");
    EXPECT_EQ(messages->Count("ERROR: Failed to find include file \"missing_footer.inc\""), 1);
}

TEST_F(HtmlDocumentTest, ClosedDocumentGetsNothing) {
    document.isOpen = 0;
    context.trackers.codeLocation = 2;
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(context.trackers.codeLocation, 2);
    EXPECT_EQ(End(), 0);
    EXPECT_TRUE(document.entries.empty());
    EXPECT_EQ(messages->Count("PROGRAM ERROR: File not open in HTML_StartDocument!"), 1);
    EXPECT_EQ(messages->Count("PROGRAM ERROR: File not open in HTML_EndDocument!"), 1);
}

}  // namespace
