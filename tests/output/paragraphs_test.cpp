#include "output/paragraphs.h"

#include <gtest/gtest.h>

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

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
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
    BlockList& blocks = context.documentState.blocks;
    TextString body("<BODY>"), paragraph("<P>");
    blocks.Add(&set, &document, body);
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

}  // namespace
