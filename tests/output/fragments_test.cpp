#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "output/html_document.h"
#include "output/html_output_html_fragment.h"
#include "output/html_output_navigation_bar.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

using Lines = std::vector<std::string>;

class FragmentsTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    MessageRecorder messages{context};

    void SetUp() override {
        set.SetContext(&context);
        context.RegisterInlineTagKeywords(&set);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
    }
    void Define(const char* name, int line, const Lines& body) {
        context.documentState.defines.Add(&set, kDefinitionFragment, TextString(name), SourcePosition(0, line), 0, 0,
                                          nullptr);
        for (const std::string& text : body) context.documentState.defines.AppendLine(TextString(text.c_str()));
    }
    void SetFiles(const Lines& names) {
        for (const std::string& name : names) context.documentState.outputFiles.Add(name.c_str());
    }
    Lines Bar(const char* file, int ruleBefore = 0, int ruleAfter = 0) {
        document.Clear();
        HTML_OutputNavigationBar(&document, TextString(file), nullptr, &set, ruleBefore, ruleAfter);
        return document.Texts();
    }
};

TEST_F(FragmentsTest, FragmentLinesAreExpandedAndWrittenWrapped) {
    Define("BANNER", 3, {"<DIV CLASS=\"banner\">", "rule [[RULEWIDTH]] wide</DIV>"});
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, &document, "banner", SourcePosition(0, 10), 0, 0, nullptr), 1);
    EXPECT_EQ(document.Texts(), (Lines{"<DIV CLASS=\"banner\">", "rule 800 wide</DIV>"}));
    EXPECT_EQ(document.entries[0].option, 0);

    // Without a document the lines go to the text, each with a newline.
    TextString out("x");
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, nullptr, "BANNER", SourcePosition(0, 10), 0, 0, &out), 1);
    EXPECT_EQ(out.str(), "x<DIV CLASS=\"banner\">\nrule 800 wide</DIV>\n");
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(FragmentsTest, LaterDefinitionFoundOnlyWhenSearchingForward) {
    Define("LATE", 20, {"late"});
    TextString out;
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, nullptr, "LATE", SourcePosition(0, 5), 0, 0, &out), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, nullptr, "LATE", SourcePosition(0, 5), 0, 1, &out), 1);
    EXPECT_EQ(out.str(), "late\n");
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, nullptr, "UNDEFINED", SourcePosition(0, 5), 0, 1, &out), 0);
}

TEST_F(FragmentsTest, OpenParagraphIsClosedOnlyForAFragmentWithLines) {
    TextString paragraph("<P>");
    context.documentState.blocks.Add(&set, &document, paragraph);
    document.paragraphOpen = 1;
    Define("EMPTY", 1, {});
    Define("ONE", 1, {"<HR>"});
    document.Clear();
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, &document, "EMPTY", SourcePosition(0, 2), 0, 0, nullptr), 1);
    EXPECT_TRUE(document.entries.empty());
    EXPECT_EQ(document.paragraphOpen, 1);
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, &document, "ONE", SourcePosition(0, 2), 0, 0, nullptr), 1);
    EXPECT_EQ(document.Texts(), (Lines{"</P>", "<HR>"}));
}

TEST_F(FragmentsTest, CallWithoutAnyOutputIsRefused) {
    Define("ONE", 1, {"<HR>"});
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, nullptr, "ONE", SourcePosition(0, 2), 0, 0, nullptr), 0);
    EXPECT_EQ(messages.Count("PROGRAM ERROR: Invalid call to HTML_OutputHTMLFragment"), 1);
}

TEST_F(FragmentsTest, NavigationBarLinksNeighboursAndContents) {
    SetFiles({"report", "report_1", "report_2"});
    const std::string top = "<!-- Start of Navigation Bar -->";
    const std::string end = "<!--   End of Navigation Bar -->";
    EXPECT_EQ(Bar("report.html", 0, 1), (Lines{"", top, "", "<P>", "Prev ", "| <A HREF=\"report_1.html\">Next</A> ",
                                               "| Contents ", "</P>", "<HR NOSHADE>", "", end, ""}));
    EXPECT_EQ(Bar("report_1.html", 1, 0),
              (Lines{"", top, "", "<HR NOSHADE>", "<P>", "<A HREF=\"report.html\">Prev</A> ",
                     "| <A HREF=\"report_2.html\">Next</A> ", "| <A HREF=\"report.html\">Contents</A> ", "</P>", "",
                     end, ""}));
    // The name is looked up by its part before the first dot.
    const Lines last = Bar("report_2.tar.gz");
    EXPECT_EQ(last[5], "| Next ");
    EXPECT_EQ(last[4], "<A HREF=\"report_1.html\">Prev</A> ");

    // An external contents file is the Contents target, also on the first file.
    set.SetInt(Pol::GenerateExternalContentsFile, 1);
    set.names.contentsFileName = "out/contents.html";
    EXPECT_EQ(Bar("report.html")[6], "| <A HREF=\"contents.html\">Contents</A> ");
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(FragmentsTest, NavigationBarOfUnknownFileHasNoLinks) {
    SetFiles({"report", "report_1"});
    const Lines bar = Bar("other.html");
    EXPECT_EQ(bar[4], "Prev ");
    EXPECT_EQ(bar[5], "| Next ");
    EXPECT_EQ(bar[6], "| Contents ");
    EXPECT_EQ(messages.Count("PROGRAM ERROR: Can't locate file \"other\" in file list"), 1);

    document.isOpen = 0;
    EXPECT_TRUE(Bar("report.html").empty());
    EXPECT_EQ(messages.Count("PROGRAM ERROR: File not open in HTML_OutputNavigationBar!"), 1);
}

// The bottom bar of the last file: its NAVBAR_BOTTOM_LAST fragment, else the
// NAVBAR_BOTTOM fragment, else the built-in bar.
TEST_F(FragmentsTest, BottomBarFragmentFallsBackToPlainNameThenBuiltIn) {
    SetFiles({"report", "report_1"});
    set.SetInt(Pol::AddNavigationBar, 1);
    set.SetInt(Pol::SplitLevel, 1);
    auto foot = [&] {
        // The foot closes every block down to BODY.
        TextString body("<BODY>");
        if (context.documentState.blocks.Count() == 0) context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
        HTML_EndDocument(&document, nullptr, &set, TextString(), PageEndOptions());
        return document.Joined("\n");
    };
    std::string page = foot();
    EXPECT_NE(page.find("<!-- Start of Navigation Bar -->"), std::string::npos) << page;
    EXPECT_NE(page.find("<A HREF=\"report.html\">Prev</A> "), std::string::npos);

    Define("NAVBAR_BOTTOM", 1, {"<DIV>plain bar</DIV>"});
    page = foot();
    EXPECT_EQ(page.find("Start of Navigation Bar"), std::string::npos);
    EXPECT_NE(page.find("<DIV>plain bar</DIV>"), std::string::npos);

    Define("NAVBAR_BOTTOM_LAST", 1, {"<DIV>last bar</DIV>"});
    page = foot();
    EXPECT_EQ(page.find("plain bar"), std::string::npos);
    EXPECT_NE(page.find("<DIV>last bar</DIV>"), std::string::npos);
}

void IgnoreStatus(const char*) {}

// A fragment defined in the fragments file reaches the converted page: the
// page header is the HTML_HEADER fragment when one is defined.
TEST(FragmentsFileTest, HeaderFragmentFromFragmentsFileIsWritten) {
    TempFolder temp("vendrel_fragments");
    ASSERT_TRUE(temp.Made());
    const std::string folder = temp.Path().string();
    std::ofstream(folder + "/frag.txt") << "$_$_DEFINE_HTML_FRAGMENT HTML_HEADER\n<DIV CLASS=\"banner\">Site</DIV>\n"
                                           "$_$_END_BLOCK\n";
    std::ofstream(folder + "/input.txt") << "Name   Size\nalpha  1\nbeta   2\n";

    Context context;
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    context.sink.SetStatusCallback(IgnoreStatus);
    master.SetText(Pol::FragmentsFile, "frag.txt");
    master.SetText(Pol::InputDirectory, (folder + "/").c_str());
    StringList output;
    ASSERT_TRUE(ConvertToTable(master, run, file, context, TextString((folder + "/input.txt").c_str()), TextString(),
                               1, &output));
    std::string page;
    for (int i = 0; i < output.count; ++i) page += std::string(output.TextAt(i)) + "\n";
    const size_t banner = page.find("<DIV CLASS=\"banner\">Site</DIV>");
    EXPECT_NE(banner, std::string::npos) << page;
    EXPECT_LT(page.find("<BODY"), banner);
    EXPECT_GT(page.find("<TABLE"), banner);
    context.sink.SetStatusCallback(nullptr);
}

}  // namespace
