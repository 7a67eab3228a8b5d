#include "output/rtf_paragraphs.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/style_set.h"
#include "foundation/fonts.h"
#include "output/markup/rtf_links.h"
#include "output/rtf_file.h"
#include "output/rtf_write_custom_style.h"
#include "policies/fc.h"

namespace {

// A policy set with a context, and an RTF document whose writes collect in
// its buffer (as during the output pass).
struct RTFParagraphsTest : testing::Test {
    Context context;
    FC set;
    std::unique_ptr<RTFFile> document;

    void SetUp() override {
        set.SetContext(&context);
        document = std::make_unique<RTFFile>(set);
        document->fileStarted = 1;
        context.documentState.rtfOutput = 1;
    }
    void TearDown() override { context.documentState.rtfOutput = 0; }

    std::string Start(int position, const RTFParagraphParts* parts = nullptr) {
        TextString out("junk");
        RTF_StartPara(&set, document.get(), position, nullptr, out, parts);
        return out.str();
    }
    std::string KindStart(int kind, int level) {
        TextString out;
        RTF_GetParagraphStart(&set, document.get(), kind, level, out, nullptr);
        return out.str();
    }
    // The body style's start as RTF_StartPara makes it.
    std::string Body() { return Start(kStyleBody); }
};

TEST_F(RTFParagraphsTest, StyleStartsFollowTheirStyle) {
    const RTFStyle& body = context.styleSet.styles[kStyleBody];
    const std::string font = "\\f" + std::to_string(body.fontIndex) + "\\fs" + std::to_string(body.halfPointSize);
    EXPECT_EQ(Body(), "\\pard\\plain \\s1\\sb60\\sa60 " + font + "\\b0\\i0" + (body.alignB ? "\\qj" : ""));
    // A heading keeps with the next paragraph; the table style sits in a cell.
    EXPECT_EQ(Start(kStyleHeading2).rfind("\\pard\\plain \\s62\\sb180\\sa120\\keepn\\widctlpar \\f", 0), 0u);
    EXPECT_EQ(Start(kStyleTable).rfind("\\pard\\intbl \\s2 \\f", 0), 0u);
    // Only the selected parts.
    RTFParagraphParts parts;
    parts.styleNumber = 1;
    EXPECT_EQ(Start(kStyleBody, &parts), "\\s1");
    EXPECT_EQ(Start(99), "");
}

TEST_F(RTFParagraphsTest, IndentationByKindAndListLevel) {
    const std::string body = "{" + Body();
    set.SetInt(Pol::FirstLineIndentation, 0, true);
    EXPECT_EQ(KindStart(1, 0), body);
    EXPECT_EQ(KindStart(1, 2), body + "\\li720");
    // "\fi" counts from "\li": only the extra first-line indent is written,
    // so nested levels do not count the left indent twice.
    set.SetInt(Pol::FirstLineIndentation, 1, true);
    EXPECT_EQ(KindStart(1, 0), body + "\\fi360");
    EXPECT_EQ(KindStart(1, 3), body + "\\li1080\\fi360");
    EXPECT_EQ(KindStart(2, 3), body + "\\li1080");
    // A hanging first line that would sit at 0 moves to 360 with a new
    // paragraph offset.
    set.SetInt(Pol::FirstLineIndentation, -1, true);
    set.SetInt(Pol::NewParagraphOffset, 2, true);
    EXPECT_EQ(KindStart(1, 1), body + "\\li360");
    EXPECT_EQ(KindStart(1, 2), body + "\\li720\\fi-360");
}

TEST_F(RTFParagraphsTest, KindSwitchClosesAndOpensOnlyOnChange) {
    set.SetInt(Pol::FirstLineIndentation, 0, true);
    EXPECT_FALSE(RTF_SetStyleIfChanged(&set, document.get(), 1, 0));
    EXPECT_EQ(document->Buffered().str(), "");
    EXPECT_TRUE(RTF_SetStyleIfChanged(&set, document.get(), 1, 2));
    EXPECT_EQ(document->Buffered().str(), "}}\n{" + Body() + "\\li720{\n");
    EXPECT_EQ(document->indentLevel, 2);
    EXPECT_FALSE(RTF_SetStyleIfChanged(&set, document.get(), 1, 2));
}

TEST_F(RTFParagraphsTest, HeadingLinesTakeTheirHeadingStyle) {
    struct Case {
        int lineType, style;
    } cases[] = {{0, 1}, {101, 12}, {112, 13}, {133, 14}, {106, 17}, {120, 1}, {210, 1}};
    Tracker* tracker = context.pGetTracker();
    ASSERT_NE(tracker, nullptr);
    for (const Case& c : cases) {
        AnalysedLine line;
        line.lineType = c.lineType;
        context.SetCurrentLine(tracker, &line);
        EXPECT_EQ(RTF_GetStyleForKind(&set, 1), c.style) << c.lineType;
        EXPECT_EQ(RTF_GetStyleForBlock(&set, 9), c.style == 1 ? 2 : c.style) << c.lineType;
        EXPECT_EQ(RTF_GetStyleForBlock(&set, 0), 255);
        context.SetCurrentLine(tracker, nullptr);
    }
    const int expected[] = {255, 1, 11, 3, 4, 6, 5, 8, 7, 2, 1};
    for (int kind = 0; kind <= 10; ++kind) EXPECT_EQ(RTF_GetStyleForBlock(&set, kind), expected[kind]) << kind;
}

TEST_F(RTFParagraphsTest, CustomStyleOpensOneGroupInTheTagFont) {
    FontSpec font;
    font.SetFontIndex(101);
    font.SetSize(14);
    font.SetBold(1);
    TextString out;
    RTF_WriteCustomStyle(&set, document.get(), font, &out);
    EXPECT_EQ(out.str(), "{\\f101\\fs28\\b\\i0");
    // A font without a table entry keeps the style's face.
    font.SetFontIndex(-1);
    font.SetItalic(1);
    RTF_WriteCustomStyle(&set, document.get(), font, &out);
    EXPECT_EQ(out.str(), "{\\f" + std::to_string(context.styleSet.styles[kStyleBody].fontIndex) + "\\fs28\\b\\i");
}

TEST_F(RTFParagraphsTest, ContentsFieldHasTheLevelSwitchOnlyWhenSet) {
    RTF_WriteContentsField(&set, document.get(), 1, 1);
    RTF_WriteContentsField(&set, document.get(), 0, 0);
    EXPECT_EQ(document->Buffered().str(), "");
    RTF_WriteContentsField(&set, document.get(), 0, 1);
    set.SetInt(Pol::MaximumContentsLevel, 3, true);
    RTF_WriteContentsField(&set, document.get(), 0, 1);
    const std::string tail =
        "\\\\* MERGEFORMAT }}{\\fldrslt {\\b (Update this field (F9) to get Contents list) }}}\\par \n";
    EXPECT_EQ(document->Buffered().str(), "{\\field{\\*\\fldinst {\\kerning0 TOC " + tail +
                                              "{\\field{\\*\\fldinst {\\kerning0 TOC \\\\o \"1-3\" " + tail);
}

TEST(RTFHyperlinkFieldByteExact, HeadingLinkWithItsDataField) {
    FC set;
    TextString out;
    RTF_FormatHyperlinkField(&set, 1, TextString("s1.2"), TextString("Intro"), out);
    EXPECT_EQ(out.str(),
              "{\\field{\\*\\fldinst {\\fs24  HYPERLINK  \\\\l \"s1_2\" }{\\kerning0 {\\*\\datafield "
              "08d0c9ea79f9bace118c8200aa004ba90b020000000800000005000000730031005f0032000000000000}}}"
              "{\\fldrslt {\\cs32\\ul\\cf2\\fs24 Intro}}}");
}

}  // namespace
