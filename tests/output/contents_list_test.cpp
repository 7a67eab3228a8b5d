#include "output/html_contents_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "output/html_write_heading_anchor.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Lines = std::vector<std::string>;

class ContentsListTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    MessageRecorder messages{context};
    int nextLine = 10;

    void SetUp() override {
        set.SetContext(&context);
        context.RegisterInlineTagKeywords(&set);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
        context.fontTagSwitch = 0;  // contents lines are marked with the TOC style classes
        context.documentState.outputFiles.Add("report");
        context.fileNameRoot = "report";
        document.depth = 1;
        document.fileNames = {"out/report.html"};
        set.indentOpen = "UL";
        set.indentClose = "UL";
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
    }
    void TearDown() override { document.depth = 0; }

    void AddHeading(int type, const char* text, const char* stem) {
        const TextString empty;
        context.AddHeadingEntry(&set, type, TextString(text), TextString(text), TextString(stem),
                                SourcePosition(0, nextLine), empty, empty, empty);
        nextLine += 10;
    }
    Lines List(int depth = 0, int style = 1, int mode = 0) {
        document.Clear();
        HTML_OutputContentsList(&set, &document, depth, style, mode);
        return document.Texts();
    }
    std::string Format(int type, const char* heading, int style = 1) {
        TextString out;
        HTML_FormatContentsLine(&set, &document, SourcePosition(), type, style, TextString(heading), TextString(),
                                TextString("report"), out);
        return out.str();
    }
};

TEST_F(ContentsListTest, LevelsNestAndCloseAtTheEnd) {
    AddHeading(101, "1 Intro", "1 Intro");
    AddHeading(102, "1.1 Scope", "1.1 Scope");
    AddHeading(103, "1.1.1 Detail", "1.1.1 Detail");
    AddHeading(101, "2 Results", "2 Results");
    const Lines list = List();
    EXPECT_EQ(
        list,
        (Lines{"<!-- TOC_BEGIN -->", "", "<SPAN CLASS=TOC1>1 <A HREF=\"#Section_1\">Intro</A><BR></SPAN>", "<UL>",
               "  <SPAN CLASS=TOC2>1.1 <A HREF=\"#Section_1.1\">Scope</A><BR></SPAN>", "  <UL>",
               "    <SPAN CLASS=TOC3>1.1.1 <A HREF=\"#Section_1.1.1\">Detail</A><BR></SPAN>", "  </UL>", "</UL>",
               "<SPAN CLASS=TOC1>2 <A HREF=\"#Section_2\">Results</A><BR></SPAN>", "<!-- TOC_END -->"}));
    EXPECT_EQ(context.documentState.documentStarted, 1);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ContentsListTest, DepthLimitsAndContentsModes) {
    AddHeading(101, "1 Intro", "1 Intro");
    AddHeading(102, "1.1 Scope", "1.1 Scope");
    AddHeading(103, "1.1.1 Detail", "1.1.1 Detail");
    AddHeading(101, "2 Results", "2 Results");
    auto count = [](const Lines& lines, const char* text) {
        int n = 0;
        for (const std::string& line : lines) n += line.find(text) != std::string::npos;
        return n;
    };
    Lines list = List(2);
    EXPECT_EQ(count(list, "CLASS=TOC"), 3);
    EXPECT_EQ(count(list, "Detail"), 0);
    set.SetInt(Pol::MaximumContentsLevel, 2);
    EXPECT_EQ(List(), list);
    EXPECT_EQ(count(List(1), "CLASS=TOC"), 2);  // the argument wins over the policy
    set.SetInt(Pol::MaximumContentsLevel, 0);

    list = List(0, 1, 1);  // mode 1 leaves out the first entry
    EXPECT_EQ(count(list, "Intro"), 0);
    EXPECT_EQ(count(list, "CLASS=TOC"), 3);

    // Mode 2 lists the sub-headings of the chapter that holds the position.
    context.trackers.output.position = SourcePosition(0, 25);
    list = List(0, 1, 2);
    EXPECT_EQ(list, (Lines{"<!-- TOC_BEGIN -->", "", "<UL>",
                           "  <SPAN CLASS=TOC2>1.1 <A HREF=\"#Section_1.1\">Scope</A><BR></SPAN>", "  <UL>",
                           "    <SPAN CLASS=TOC3>1.1.1 <A HREF=\"#Section_1.1.1\">Detail</A><BR></SPAN>", "  </UL>",
                           "</UL>", "<!-- TOC_END -->"}));
}

TEST_F(ContentsListTest, LineStylesAndHyperlinksOnNumbers) {
    const struct {
        int style, numbersLinked;
        const char* expected;
    } cases[] = {
        {1, 0, "<SPAN CLASS=TOC1>2 <A HREF=\"#Section_2\">Results</A><BR></SPAN>"},
        {2, 0, "[<SPAN CLASS=TOC1> <A HREF=\"#Section_2\">Results</A></SPAN>]"},
        {1, 1, "<SPAN CLASS=TOC1><A  HREF=\"#Section_2\">2</A> Results<BR></SPAN>"},
        {2, 1, "[<SPAN CLASS=TOC1><A  HREF=\"#Section_2\">2</A> </SPAN>]"},
        {3, 0, "<SPAN CLASS=TOC1> <A HREF=\"#Section_2\">Results</A></SPAN>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        set.SetInt(Pol::HyperlinksOnNumbers, c.numbersLinked);
        EXPECT_EQ(Format(101, "2   Results ", c.style), c.expected);
    }
    // A heading in another file links into that file.
    AddHeading(111, "Elsewhere", "Elsewhere");
    context.documentState.headings.GetAt(0)->fileName = "report_1";
    EXPECT_EQ(Format(112, "Elsewhere"),
              "<SPAN CLASS=TOC2><A HREF=\"report_1.html#elsewhere\">Elsewhere</A><BR></SPAN>");
    // An unknown style is reported and the line is bold.
    set.SetInt(Pol::ContentsStyleCode, 5);
    Format(111, "Title");
    EXPECT_EQ(messages.Count("UNSUPPORTED CASE: Unknown contents style5"), 1);
}

TEST_F(ContentsListTest, HeadingTextIsEscaped) {
    AddHeading(111, "Q&A <draft>", "Q&A <draft>");
    const Lines list = List();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2], "<SPAN CLASS=TOC1><A HREF=\"#q_a__draft_\">Q&amp;A &lt;draft&gt;</A><BR></SPAN>");
}

TEST_F(ContentsListTest, BoldLinesTurnStrongMarkupIntoStars) {
    set.strongOpen = "<STRONG>";
    set.strongClose = "</STRONG>";
    EXPECT_EQ(Format(111, "A *big* deal"), "<SPAN CLASS=TOC1><A HREF=\"#a__big__deal\">A *big* deal</A><BR></SPAN>");
    set.SetInt(Pol::ContentsStyleCode, 1);
    EXPECT_EQ(Format(111, "A *big* deal"),
              "<SPAN CLASS=TOC1><A HREF=\"#a__big__deal\">A <STRONG>big</STRONG> deal</A><BR></SPAN>");
}

TEST_F(ContentsListTest, CompositionUnitsLinkToEntryAnchors) {
    AddHeading(111, "Overview", "overview");
    set.SetInt(Pol::InputIsCompositionUnit, 1);
    set.SetInt(Pol::AddAnchorsToContentsList, 1);  // set by the user: anchors are wanted
    const Lines list = List();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[2], "<A NAME=\"TOC_toc_overview_1\">&nbsp;</A>");
    EXPECT_EQ(list[3], "<SPAN CLASS=TOC1><A HREF=\"#toc_overview_1\">Overview</A><BR></SPAN>");
}

TEST_F(ContentsListTest, FragmentsShapeContentsLines) {
    AddHeading(101, "1 Intro", "1 Intro");
    AddHeading(102, "1.1 Scope", "1.1 Scope");
    DefineList& defines = context.documentState.defines;
    defines.Add(&set, kDefinitionFragment, TextString("TOC_LINE_2"), SourcePosition(0, 1), 0, 0, nullptr);
    defines.AppendLine(TextString("<LI><A HREF=\"[[TOC_URL]]\">"));
    defines.AppendLine(TextString("[[TOC_TEXT]]</A>"));
    Lines list = List();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[2], "<SPAN CLASS=TOC1>1 <A HREF=\"#Section_1\">Intro</A><BR></SPAN>");
    EXPECT_EQ(list[3], "<LI><A HREF=\"#Section_1.1\">1.1 Scope</A>");

    defines.Add(&set, kDefinitionFragment, TextString("TOC_LINE"), SourcePosition(0, 1), 0, 0, nullptr);
    defines.AppendLine(TextString("* [[TOC_TEXT]]"));
    list = List();
    EXPECT_EQ(list[2], "* 1 Intro");
    EXPECT_EQ(list[3], "<LI><A HREF=\"#Section_1.1\">1.1 Scope</A>");
}

TEST_F(ContentsListTest, MailHeaderEntriesShowTheSender) {
    const SourcePosition where(0, 5);
    context.AddHeadingEntry(&set, 250, TextString("Re: <lunch>"), TextString("Re: <lunch>"),
                            TextString("Re: lunch\nplans"), where, TextString("Ann & Bob"),
                            TextString("ab@x.org\"><b"), TextString("(work)"));
    const Lines list = List();
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[2], "<UL>");
    EXPECT_EQ(list[3], "  <SPAN CLASS=TOC2><A HREF=\"#re__lunch_plans\">Re: &lt;lunch&gt;</A><BR></SPAN>");
    EXPECT_EQ(list[4],
              "  &nbsp;&nbsp;&nbsp;&nbsp;<A HREF=\"mailto:ab@x.org&quot;&gt;&lt;b\">Ann &amp; Bob</A> (work)<BR>");
    EXPECT_EQ(context.documentState.headings.GetAt(0)->anchorStem.str(), "Re: lunch_plans");
}

TEST_F(ContentsListTest, NothingWithoutHeadings) { EXPECT_TRUE(List().empty()); }

TEST_F(ContentsListTest, HeadingAnchorsAreWrittenOnce) {
    AddHeading(111, "Overview", "overview");
    HTML_WriteHeadingAnchor(&set, &document, 111, SourcePosition(0, 10), TextString("Overview"),
                            TextString("Overview"), TextString("Overview"));
    HTML_WriteHeadingAnchor(&set, &document, 111, SourcePosition(0, 10), TextString("Overview"),
                            TextString("Overview"), TextString("Overview"));
    EXPECT_EQ(document.Texts(), Lines{"<A NAME=\"overview\"> </A>"});
    EXPECT_EQ(document.entries[0].option, 1);

    // An unknown heading gets the anchor of its title every time, with a
    // warning; different texts give anchors of their own.
    document.Clear();
    for (int i = 0; i < 2; ++i)
        HTML_WriteHeadingAnchor(&set, &document, 112, SourcePosition(0, 90), TextString("<B>Odd</B> one"),
                                TextString("Odd one out"), TextString("Odd"));
    EXPECT_EQ(document.Texts(),
              (Lines{"<A NAME=\"odd_one\"> </A>", "<A NAME=\"odd\"> </A>", "<A NAME=\"odd_one_out\"> </A>",
                     "<A NAME=\"odd_one\"> </A>", "<A NAME=\"odd\"> </A>", "<A NAME=\"odd_one_out\"> </A>"}));
    EXPECT_EQ(messages.Count("WARNING: Failed to match heading with known entry \"Odd\""), 2);

    // Mail headers are not reported.
    messages.Clear();
    HTML_WriteHeadingAnchor(&set, &document, 250, SourcePosition(), TextString("Hi"), TextString("Hi"),
                            TextString("Hi"));
    EXPECT_TRUE(messages.Messages().empty());
}

}  // namespace
