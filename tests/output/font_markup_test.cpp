#include "output/font_markup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/fonts.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

class FontMarkupTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    FontSpec font;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.fontTagSwitch = 1;
        set.SetInt(Pol::AddFontMarkup, 1);
        font.faceName.Assign("Arial");
        font.set = 1;
        messages = std::make_unique<MessageRecorder>(context);
    }
    // Start and end markup joined by "|"; `withFont` false passes no font.
    std::string Markup(int kind = 0, bool withFont = true) {
        TextString start("stale"), end("stale");
        GetStartFontMarkup(kind, &set, withFont ? &font : nullptr, &start);
        GetEndFontMarkup(kind, &set, withFont ? &font : nullptr, &end);
        return start.str() + "|" + end.str();
    }
};

TEST_F(FontMarkupTest, BoldItalicFontWithItsAttributes) {
    font.bold = font.italic = 1;
    font.colour.Assign("Red");
    EXPECT_EQ(Markup(),
              "<FONT FACE=\"Arial\" COLOR=\"Red\" SIZE=3 STYLE=\"font-size:12pt;\"><STRONG><EM>"
              "|</EM></STRONG></FONT>");
    set.SetInt(Pol::UseEmAndStrongMarkup, 0);
    set.SetInt(Pol::AddFontSizeMarkup, 0);
    font.alternateFace.Assign("Body");
    set.SetInt(Pol::LabelStyleClasses, 1);
    EXPECT_EQ(Markup(), "<FONT FACE=\"Arial\" CLASS=\"CFBodyBI\" COLOR=\"Red\"><B><I>|</I></B></FONT>");
    set.SetInt(Pol::SuppressAllColourMarkup, 1);
    set.SetInt(Pol::HTMLVersion, 1);  // no style classes for HTML 3.2
    set.SetInt(Pol::AddEmphasisAndBoldMarkup, 0);
    font.faceName.MakeEmpty();
    EXPECT_EQ(Markup(), "<FONT>|</FONT>");
}

TEST_F(FontMarkupTest, SizeAttributesFollowVersionStyleMarkupRuleSetAndKind) {
    const struct {
        int version, styleMarkup, delta, lineHeight, ruleSet, kind;
        const char* attributes;
    } cases[] = {
        {2, 1, 0, 14, 0, 0, " SIZE=3 STYLE=\"font-size:12pt;\""},
        {2, 1, 0, 14, 0, 1, " STYLE=\"font-size:12pt;\""},  // kinds 1 and 2: the style alone
        {2, 1, 0, 14, 0, 2, " STYLE=\"font-size:12pt;\""},
        {1, 1, 0, 14, 0, 1, " SIZE=3"},  // HTML 3.2 has no style sizes
        {2, 0, 0, 14, 0, 1, " SIZE=3"},
        {2, 1, 5, 14, 0, 0, " SIZE=5 STYLE=\"font-size:17pt;\""},
        {2, 1, 0, 20, 0, 0, " SIZE=3 STYLE=\"font-size:12pt;\""},
        {2, 1, 0, 20, 1, 0, " SIZE=3 STYLE=\"font-size:12pt; line-height:20pt;\""},
        {2, 1, 0, 20, 1, 2, " STYLE=\"font-size:12pt;\""},
        {2, 1, 0, 14, 1, 0, " SIZE=3 STYLE=\"font-size:12pt;\""},  // the usual leading is left alone
    };
    for (const auto& c : cases) {
        set.SetInt(Pol::HTMLVersion, c.version);
        set.SetInt(Pol::AddFontStyleMarkup, c.styleMarkup);
        set.SetInt(Pol::DeltaFontSize, c.delta);
        set.ruleSetCode = c.ruleSet;
        font.lineHeight = c.lineHeight;
        EXPECT_EQ(Markup(c.kind), "<FONT FACE=\"Arial\"" + std::string(c.attributes) + ">|</FONT>")
            << c.version << c.styleMarkup << c.delta << c.lineHeight << c.ruleSet << c.kind;
    }
}

TEST_F(FontMarkupTest, WhenNothingIsWritten) {
    font.bold = 1;
    context.fontTagSwitch = 0;
    EXPECT_EQ(Markup(), "|");
    context.fontTagSwitch = 1;
    context.documentState.htmlOutput = 0;
    EXPECT_EQ(Markup(), "|");
    context.documentState.rtfOutput = 1;  // either output pass will do
    EXPECT_NE(Markup(), "|");
    EXPECT_EQ(Markup(0, false), "|");
    // Without FONT markup no bold start tag is written, so no bold end tag.
    set.SetInt(Pol::AddFontMarkup, 0);
    EXPECT_EQ(Markup(), "|");
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(FontMarkupTest, ForcedKindWritesFontTagsEvenWithoutAFont) {
    set.SetInt(Pol::AddFontMarkup, 0);
    EXPECT_EQ(Markup(kFontKindForced), "<FONT FACE=\"Arial\" SIZE=3 STYLE=\"font-size:12pt;\">|</FONT>");
    EXPECT_EQ(Markup(kFontKindForced, false), "<FONT>|</FONT>");
}

TEST_F(FontMarkupTest, UnsetFontIsReportedButMarkedUpAndPendingChangeIsDropped) {
    font.set = 0;
    context.documentState.pendingFontFlag = 1;
    EXPECT_EQ(Markup(), "<FONT FACE=\"Arial\" SIZE=3 STYLE=\"font-size:12pt;\">|</FONT>");
    EXPECT_EQ(messages->Messages(),
              (std::vector<std::string>{"PROGRAM ERROR: Invalid font passed to GetStartFontMarkup",
                                        "PROGRAM ERROR: Invalid font passed to GetEndFontMarkup"}));
    EXPECT_EQ(context.documentState.pendingFontFlag, 0);
}

}  // namespace
