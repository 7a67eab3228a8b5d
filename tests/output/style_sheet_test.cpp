#include "output/html_write_style_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Texts = std::vector<std::string>;

class StyleSheetTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        messages = std::make_unique<MessageRecorder>(context);
    }
    // The sheet as written, one text per WriteText call.
    Texts Sheet() {
        document.Clear();
        HTML_WriteStyleSheet(&set, &document);
        for (const auto& entry : document.entries) EXPECT_EQ(entry.call, RecordingDocument::Call::Text);
        return document.Texts();
    }
    static bool Has(const Texts& sheet, const std::string& line) {
        return std::find(sheet.begin(), sheet.end(), line) != sheet.end();
    }
    // The line after `selector`.
    static std::string RuleOf(const Texts& sheet, const std::string& selector) {
        auto at = std::find(sheet.begin(), sheet.end(), selector);
        return (at == sheet.end() || at + 1 == sheet.end()) ? std::string("(none)") : *(at + 1);
    }
};

TEST_F(StyleSheetTest, UserDefaultFontGivesTheWholeSheet) {
    set.SetText(Pol::DefaultFont, "Times New Roman, Bold, 12");
    set.ApplyRuleSetAndFormatDefaults(0);
    ASSERT_TRUE(set.IsOn(Pol::CreateEmbeddedStyleSheet));
    ASSERT_EQ(context.fontTagSwitch, 0);

    const std::string times = "\t{\tfont-family: \"Times New Roman\"; font-style: ";
    const Texts expected = {
        "<STYLE TYPE=\"text/css\">",
        "  <!-- ",
        "  BODY, P, UL, OL, DL, DT, DD, LI, BLOCKQUOTE",
        times + "normal; font-weight: bold; font-size: 12pt;\t}",
        "  I, EM",
        times + "italic; font-weight: normal; font-size: 12pt;\t}",
        "  B, STRONG",
        times + "normal; font-weight: bold; font-size: 12pt;\t}",
        "  B I, I B, STRONG EM, EM STRONG",
        times + "italic; font-weight: bold; font-size: 12pt;\t}",
        "  TD",
        times + "normal; font-weight: bold; font-size: 12pt;\t}",
        "  TH",
        times + "normal; font-weight: bold; font-size: 12pt;\t}",
        "  H1, H2, H3, H4, H5, H6",
        "\t{\tfont-family: Arial; font-style: normal; font-weight: bold;\t}",
        "  PRE, CODE",
        "\t{\tfont-family: \"Courier New\"; font-style: normal; font-weight: normal; font-size: 10pt;\t}",
        "  SPAN.TOC1",
        "\t{ font-family: Arial; font-style: normal; font-weight: bold; font-size: 12pt; }",
        "  SPAN.TOC2",
        "\t{ font-family: Arial; font-style: normal; font-weight: normal; font-size: 12pt; }",
        "  SPAN.TOC3, SPAN.TOC4, SPAN.TOC5, SPAN.TOC6",
        "\t{ font-family: Arial; font-style: normal; font-weight: normal; font-size: 10pt; }",
        "  SPAN.TOC1 EM, SPAN.TOC1 STRONG",
        "\t{ font-size: 12pt; }",
        "  SPAN.TOC2 EM, SPAN.TOC2 STRONG",
        "\t{ font-size: 12pt; }",
        "  SPAN.TOC3 EM, SPAN.TOC4 EM, SPAN.TOC5 EM, SPAN.TOC6 EM, SPAN.TOC3 STRONG, SPAN.TOC4 STRONG, "
        "SPAN.TOC5 STRONG, SPAN.TOC6 STRONG",
        "\t{ font-size: 10pt; }",
        "  H1 { font-size: 18pt; }",
        "  H2 { font-size: 16pt; }",
        "  H3 { font-size: 14pt; }",
        "  -->",
        "</STYLE>",
    };
    EXPECT_EQ(Sheet(), expected);
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(StyleSheetTest, HeadingAndContentsSizesFollowTheFonts) {
    context.fontTagSwitch = 0;
    const struct {
        const char* defaultFont;
        const char* h1;
        const char* h2;
        const char* h3;
    } headings[] = {
        {"Arial, Regular, 10", "13", "12", "11"},
        {"Arial, Regular, 12", "18", "16", "14"},
        {"Arial, Regular, 20", "33", "28", "23"},
        {"Arial, Regular, 25", "40", "34", "28"},  // 37.5, 32.5 and 27.5 cut to integers
    };
    for (const auto& h : headings) {
        set.SetText(Pol::DefaultFont, h.defaultFont);
        const Texts sheet = Sheet();
        EXPECT_TRUE(Has(sheet, std::string("  H1 { font-size: ") + h.h1 + "pt; }")) << h.defaultFont;
        EXPECT_TRUE(Has(sheet, std::string("  H2 { font-size: ") + h.h2 + "pt; }")) << h.defaultFont;
        EXPECT_TRUE(Has(sheet, std::string("  H3 { font-size: ") + h.h3 + "pt; }")) << h.defaultFont;
    }

    // The contents font is the heading font until the user sets one; the
    // deep levels are two points smaller, not below 9.
    set.SetText(Pol::HeadingFont, "Verdana, Italic, 14", false);
    EXPECT_EQ(RuleOf(Sheet(), "  SPAN.TOC2"),
              "\t{ font-family: Verdana; font-style: italic; font-weight: normal; font-size: 14pt; }");
    const char* const deep = "  SPAN.TOC3, SPAN.TOC4, SPAN.TOC5, SPAN.TOC6";
    for (const auto& [font, rule] : {std::pair{"Arial, Bold, 9", "bold; font-size: 9pt; }"},
                                     std::pair{"Arial, Bold, 10", "bold; font-size: 10pt; }"},
                                     std::pair{"Arial, Bold, 12", "bold; font-size: 10pt; }"}}) {
        set.SetText(Pol::ContentsFont, font);
        EXPECT_EQ(RuleOf(Sheet(), deep),
                  std::string("\t{ font-family: Arial; font-style: normal; font-weight: ") + rule)
            << font;
    }
}

TEST_F(StyleSheetTest, FontTagsLeaveOutTheFontRulesButNotColourAndClasses) {
    context.fontTagSwitch = 1;
    set.SetText(Pol::HeadingsColour, "navy");
    set.SetInt(Pol::IndentationMarkupCode, 3);
    context.documentState.list2.Add("Mono-Lucida Console-1-3");
    context.documentState.list2.Add("Body--0-0");
    const Texts sheet = Sheet();
    ASSERT_EQ(sheet.size(), 29u);
    EXPECT_EQ(
        Texts(sheet.begin() + 2, sheet.begin() + 11),
        (Texts{"  H1, H2, H3, H4, H5, H6", "\t{ color: navy;\t}",
               "\n\tDIV.indent\t{ margin-left:24pt; margin-right:0pt;\n\t\t\tmargin-top:1em; margin-bottom:1em; }",
               "  .CFMonoBI\t{", "\t\t\tfont-family: \"Lucida Console\", arial, geneva, sans-serif;",
               "\t\t\tfont-style: italic;", "\t\t\tfont-weight: bold;", "\t\t}", "  LI.CFMonoBI\t{"}));
    EXPECT_EQ(sheet[14], "\t\t\tfont-size: 12pt;");  // LI rules only
    EXPECT_EQ(RuleOf(sheet, "  .CFBody\t{"), "\t\t\tfont-family: TimesNewRoman, times, serif;");

    // Suppressed colours, and a colour set to "(none)", give no colour rule.
    set.SetInt(Pol::SuppressAllColourMarkup, 1);
    EXPECT_FALSE(Has(Sheet(), "  H1, H2, H3, H4, H5, H6"));
    set.SetInt(Pol::SuppressAllColourMarkup, 0);
    set.SetText(Pol::HeadingsColour, "");
    EXPECT_FALSE(Has(Sheet(), "  H1, H2, H3, H4, H5, H6"));
}

TEST_F(StyleSheetTest, Html32GetsTheListRuleAndNoClassesOrIndentation) {
    context.fontTagSwitch = 1;
    set.SetInt(Pol::HTMLVersion, 1);
    set.SetInt(Pol::IndentationMarkupCode, 3);
    set.SetInt(Pol::BaseFontSize, 10);
    set.SetInt(Pol::DeltaFontSize, 2);
    context.documentState.list2.Add("Mono-Courier-1-0");
    EXPECT_EQ(Sheet(), (Texts{"<STYLE>", "  <!-- ", "\tLI {  font-size:12pt;  }", "  -->", "</STYLE>"}));

    document.isOpen = 0;
    EXPECT_TRUE(Sheet().empty());
    EXPECT_EQ(messages->Messages(), Texts{"PROGRAM ERROR: File not open in HTML_WriteStyleSheet!"});
}

}  // namespace
