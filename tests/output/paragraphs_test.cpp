#include "output/paragraphs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

class ParagraphsTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    BlockList& blocks = context.documentState.blocks;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
        messages = std::make_unique<MessageRecorder>(context);
        TextString body("<BODY>");
        blocks.Add(&set, &document, body);
        document.Clear();
    }
    std::string Indent(const char* text, int levels) {
        TextString line(text);
        HTML_IndentSource(&set, levels, &line);
        return line.str();
    }
};

TEST_F(ParagraphsTest, IndentSourceTrimsAndIndentsTwoBlanksPerLevel) {
    EXPECT_EQ(Indent(" \t<LI>x \t", 2), "    <LI>x");
    set.ruleSetCode = 2;  // the special rule sets keep the text's own blanks
    EXPECT_EQ(Indent(" <LI> ", 1), "   <LI> ");
    set.ruleSetCode = 0;
    set.SetInt(Pol::MinimiseHTMLFileSize, 1);
    EXPECT_EQ(Indent(" <LI> ", 3), "<LI>");
    context.documentState.htmlOutput = 0;
    EXPECT_EQ(Indent(" <LI> ", 3), " <LI> ");
}

TEST_F(ParagraphsTest, EndParaClosesOnlyAnOpenParagraph) {
    TextString paragraph("<P>");
    blocks.Add(&set, &document, paragraph);
    document.Clear();
    HTML_EndPara(&document, &set, "test");
    EXPECT_TRUE(document.entries.empty());

    document.paragraphOpen = 1;
    context.documentState.currentIndentLevel = 1;
    HTML_EndPara(&document, &set, "test");
    EXPECT_EQ(document.Texts(), std::vector<std::string>{"  </P>"});
    EXPECT_EQ(blocks.Count(), 1);
    EXPECT_EQ(document.paragraphOpen, 0);
    EXPECT_EQ(context.documentState.pendingVerticalSpace, -12);
}

TEST_F(ParagraphsTest, ParagraphStartTagFollowsAlignmentAndVersion) {
    const struct {
        int version, alignment;
        const char* expected;
    } cases[] = {
        {2, 0, "<P>"},
        {1, 2, "<P ALIGN=\"CENTER\">"},
        {2, 2, "<P ALIGN=\"CENTER\" STYLE=\"text-align:center;\">"},
        {2, 3, "<P ALIGN=\"RIGHT\" STYLE=\"text-align:right;\">"},
        {2, 4, "<P>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        set.SetInt(Pol::HTMLVersion, c.version);
        document.Clear();
        HTML_StartPara(&document, &set, 1, "test", 0, c.alignment, nullptr);
        EXPECT_EQ(document.Texts().back(), c.expected);
        EXPECT_EQ(blocks.Count(), 2);  // the previous paragraph was closed first
    }
    HTML_StartPara(&document, &set, 1, "test", 0, 5, nullptr);
    EXPECT_EQ(messages->Count("UNSUPPORTED CASE: Alignment code in HTML_StartPara"), 2);
}

TEST_F(ParagraphsTest, LineBreakOpensNoBlock) {
    HTML_StartPara(&document, &set, 0, "test", 0, 0, nullptr);
    EXPECT_EQ(document.Joined(), "<BR>");
    EXPECT_EQ(blocks.Count(), 1);

    // Inside a paragraph the break writes nothing and the paragraph stays
    // open, so that it is still closed with its own end tag.
    HTML_StartPara(&document, &set, 1, "test", 0, 0, nullptr);
    document.Clear();
    HTML_StartPara(&document, &set, 0, "test", 0, 0, nullptr);
    HTML_EndPara(&document, &set, "test");
    EXPECT_EQ(document.Joined(), "|</P>");
    EXPECT_EQ(blocks.Count(), 1);
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(ParagraphsTest, ExtraLeadingWritesOneBreakPerTwelvePoints) {
    const struct {
        int points;
        const char* expected;
    } cases[] = {{5, ""}, {6, "<BR>"}, {12, "<BR>"}, {13, "<BR><BR>"}, {24, "<BR><BR>"}, {INT32_MAX, nullptr}};
    for (const auto& c : cases) {
        document.Clear();
        context.documentState.pendingVerticalSpace = 30;
        EXPECT_EQ(HTML_ExtraLeading(&set, c.points, &document), 1);
        if (c.expected) {
            EXPECT_EQ(document.Joined(), c.expected) << c.points;
        } else {
            EXPECT_EQ(document.Joined().size(), 4000u);  // capped, no overflow
        }
    }
    TextString heading("<H2>");
    blocks.Add(&set, &document, heading);
    document.Clear();
    HTML_ExtraLeading(&set, 24, &document);
    EXPECT_TRUE(document.entries.empty());
    EXPECT_EQ(messages->Count("PROGRAM ERROR: Call to HTML_ExtraLeading from inside heading"), 1);
}

TEST_F(ParagraphsTest, IndentLevelsOpenCloseAndChangeListType) {
    set.indentOpen.Assign("UL");
    HTML_SetIndentLevel(&document, 3, &set, "<OL type=\"a\">");
    HTML_SetIndentLevel(&document, 3, &set, "OL type=\"i\"");  // roman inside alphabetic: kept
    HTML_SetIndentLevel(&document, 3, &set, "UL");
    HTML_ChangeIndentLevel(&document, 0, &set);
    EXPECT_EQ(document.Texts(), (std::vector<std::string>{"<UL>", "  <UL>", "    <OL type=\"a\">", "    </OL>",
                                                          "    <UL>", "    </UL>", "  </UL>", "</UL>"}));
    EXPECT_EQ(blocks.Count(), 1);
    EXPECT_EQ(set.indentationLevels.count, 0);

    HTML_ChangeIndentLevel(&document, -1, &set);
    EXPECT_EQ(messages->Count("ERROR: Invalid Indent Level -1"), 1);
    EXPECT_TRUE(messages->Messages().size() == 1u) << messages->Messages()[0];
}

TEST_F(ParagraphsTest, MarginsAreReducedByTheIndentLevel) {
    context.documentState.currentIndentLevel = 2;
    EXPECT_EQ(HTML_AdjustMarginForIndent(&set, 50), 10);
    EXPECT_EQ(HTML_AdjustMarginForIndent(&set, 30), 0);
    EXPECT_EQ(HTML_ClampMargin(&set, -4), 0);
    EXPECT_EQ(HTML_ClampMargin(&set, 4), 4);
}

}  // namespace
