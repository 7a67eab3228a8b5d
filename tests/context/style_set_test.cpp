#include "context/style_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::string>* gStyleMessages = nullptr;
void CollectStyleMessage(const char* text) {
    if (gStyleMessages) gStyleMessages->push_back(text);
}

// A context with a policy set attached, its shown messages captured, and a
// temporary directory for styles files.
class StyleSetFixture : public testing::Test {
protected:
    StyleSetFixture() {
        set.SetContext(&context);
        gStyleMessages = &messages;
        context.sink.SetMessageCallback(CollectStyleMessage);
    }
    ~StyleSetFixture() override { gStyleMessages = nullptr; }
    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void WriteFile(const std::string& name, const std::string& text) { WriteWhole(directory + name, text); }
    // Face, size, bold, italic, proportional and font index of each style, in order.
    void Check(const std::vector<std::pair<int, std::string>>& expected) {
        for (const auto& [style, text] : expected) {
            const FontSpec& f = context.styleSet.fonts[static_cast<size_t>(style)];
            EXPECT_EQ(f.faceName.str() + " " + std::to_string(f.size) + (f.bold ? " b" : "") +
                          (f.italic ? " i" : "") + (f.proportional ? "" : " fixed") + " #" +
                          std::to_string(f.fontIndex),
                      text)
                << GetStyleName(style);
        }
    }

    Context context;
    FC set;
    StyleSet& styles = context.styleSet;
    std::vector<std::string> messages;
    TempFolder temp{"vendrel_styles"};
    std::string directory = temp.Path().string() + "/";
};

}  // namespace

TEST(StyleSet, NamesAndFreshStyleRecord) {
    EXPECT_STREQ(GetStyleName(kStyleShortLine), "ShortLine");
    EXPECT_STREQ(GetStyleName(kStyleTOC6), "TOC6");
    EXPECT_STREQ(GetStyleName(kStyleCount), "");
    RTFStyle style;
    EXPECT_EQ(std::vector<int>({style.number, style.basedOn, style.alignA, style.alignB, style.plain, style.inTable,
                                style.keepWithNext, style.bold, style.italic, style.fontIndex, style.pointSize,
                                style.halfPointSize, style.spaceBefore, style.spaceAfter, style.groupCode}),
              std::vector<int>({-1, -1, 1, 0, 0, 0, 0, 0, 0, 0, 10, 20, 60, 60, 0}));
}

TEST_F(StyleSetFixture, DefaultFontsFollowTheBaseSize) {
    styles.SetDefaultFonts(&set);
    Check({{kStyleNormal, "Times New Roman 10 #100"},
           {kStyleShortLine, "Times New Roman 10 #111"},
           {kStyleQuoted, "Times New Roman 10 i #113"},
           {kStyleTable, "Times New Roman 10 #102"},
           {kStylePreform, "Courier New 8 fixed #103"},
           {kStyleCode, "Courier New 8 fixed #105"},
           {kStyleHeading, "Arial 10 b #106"},
           {kStyleHeading1, "Arial 14 b #161"},
           {kStyleHeading2, "Arial 12 b i #162"},
           {kStyleHeading3, "Arial 12 b #163"},
           {kStyleHeading6, "Arial 10 b i #166"},
           {kStyleTOC3, "Times New Roman 10 #173"},
           {kStyleTOC4, "Times New Roman 9 #174"}});

    set.SetInt(Pol::BaseFontSize, 6);
    styles.SetDefaultFonts(&set);
    Check({{kStyleNormal, "Times New Roman 6 #100"},
           {kStyleDiagram, "Courier New 6 fixed #104"},
           {kStyleCode, "Courier New 6 fixed #105"},
           {kStyleHeading1, "Arial 10 b #161"}});
}

TEST_F(StyleSetFixture, SetFontPoliciesReplaceTheFallbacks) {
    set.SetText(Pol::DefaultFont, "Garamond, Regular, 11");
    set.SetText(Pol::TableFont, "Verdana, Bold, 9");
    set.SetText(Pol::FixedFont, "Lucida Console, Regular, 7");
    set.SetText(Pol::HeadingFont, "Tahoma, Italic, 16");
    set.SetText(Pol::ContentsFont, "Arial, Regular, 13");
    styles.SetDefaultFonts(&set);
    Check({{kStyleHanging, "Garamond 11 #114"},
           {kStyleTable, "Verdana 9 b #102"},
           {kStyleCode, "Lucida Console 7 fixed #105"},
           {kStyleHeading1, "Tahoma 20 b i #161"},
           {kStyleHeading5, "Tahoma 16 i #165"},
           {kStyleTOC2, "Arial 13 #172"},
           {kStyleTOC4, "Arial 10 #174"}});  // TOC4-6 follow the Normal size

    // Unset policies do not count; a "Default font" set to "(none)" keeps the usual face.
    set.Policy(Pol::TableFont).isSet = 0;
    set.SetText(Pol::DefaultFont, "");
    styles.SetDefaultFonts(&set);
    Check({{kStyleNormal, "Times New Roman 10 #100"}, {kStyleTable, "Times New Roman 10 #102"}});
}

TEST_F(StyleSetFixture, StylesFileDefinesFontsAndReplacesStyles) {
    WriteFile("rtf.sty",
              "! RTF styles\n"
              "define font: Body Text ,  Book   Antiqua, Bold, 11   ! the body face\n"
              "DEFINE FONT: body text, Arial, Regular, 9\n"
              "define style: heading2, Georgia, Bold Italic, 13\n"
              "define style: Heading9, Georgia, Bold, 13\n"
              "define colour: red, #ff0000\n"
              ": Arial, Bold, 10\n"
              "define font! Hidden: Arial, Bold, 10\n"
              "define style: Code, Courier New, Heavy, 9\n");
    set.SetText(Pol::StyleFile, "rtf.sty");
    set.SetText(Pol::InputDirectory, directory.substr(0, directory.size() - 1).c_str());
    styles.SetDefaultFonts(&set);
    styles.ReadStylesFile(&set);
    EXPECT_EQ(styles.loaded, 1);

    ASSERT_EQ(styles.FontCount(), 1);  // the repeated name keeps the first font
    const FontSpec* body = styles.FindFont(TextString("BODY TEXT"));
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->faceName.str() + "/" + body->alternateFace.str(), "Book Antiqua/Body Text");
    EXPECT_EQ(styles.FindFont(TextString("Hidden")), nullptr);
    // The replaced style keeps its font-table index; the unreadable one is untouched.
    Check({{kStyleHeading2, "Georgia 13 b i #162"}, {kStyleCode, "Courier New 8 fixed #105"}});
    EXPECT_EQ(messages,
              (std::vector<std::string>{"ERROR: Unknown Style \"Heading9\"",
                                        "WARNING: \"Courier New, Heavy, 9\" is not a valid font specification"}));

    // Once read, the file is not read again, even under another name.
    WriteFile("other.sty", "define font: Late, Arial\n");
    set.SetText(Pol::StyleFile, "other.sty");
    styles.ReadStylesFile(&set);
    EXPECT_EQ(styles.FontCount(), 1);
}

TEST_F(StyleSetFixture, MissingStylesFileIsReportedUntilItIsFound) {
    set.SetText(Pol::StyleFile, "late.sty");
    set.SetText(Pol::InputDirectory, (directory + "nowhere/").c_str());
    context.runParameters.policyDirectory.Assign(directory.c_str());
    const std::string failed =
        "** Failed to open styles file " + directory + "late.sty ***: No such file or directory";
    styles.ReadStylesFile(&set);
    styles.ReadStylesFile(&set);
    EXPECT_EQ(messages, (std::vector<std::string>{failed, failed}));
    EXPECT_EQ(styles.loaded, 0);

    WriteFile("late.sty", "define font: Late, Arial, Bold, 10\n");
    styles.ReadStylesFile(&set);
    EXPECT_EQ(styles.loaded, 1);
    EXPECT_NE(styles.FindFont(TextString("late")), nullptr);
    EXPECT_EQ(messages.size(), 2u);
    context.ResetStyleSet();
    EXPECT_EQ(styles.FontCount() + styles.loaded, 0);
}
