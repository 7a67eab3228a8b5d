#include "output/markup/rtf_links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"

namespace {

const std::string kMoniker = "c9ea79f9bace118c8200aa004ba9";

std::vector<std::string>& Captured() {
    static std::vector<std::string> messages;
    return messages;
}

void Capture(const char* text) { Captured().push_back(text); }

std::string Field(FC* set, int kind, const char* target, const char* text) {
    TextString out("junk");
    RTF_FormatHyperlinkField(set, kind, TextString(target), TextString(text), out);
    return out.str();
}

}  // namespace

TEST(RTFHyperlinkField, WebAddressIsByteExact) {
    FC set;
    const std::string expected = R"({\field{\*\fldinst {\fs24  HYPERLINK http://a.b }{\kerning0 {\*\datafield )"
                                 "00d0" +
                                 kMoniker +
                                 "0b02"
                                 "0000"
                                 "0017"
                                 "0000"
                                 "0003"
                                 "0000"
                                 "0061"
                                 "0062"
                                 "0000"
                                 "00e0" +
                                 kMoniker +
                                 "0b16"
                                 "0000"
                                 "0068"
                                 "0074"
                                 "0074"
                                 "0070"
                                 "003a"
                                 "002f"
                                 "002f"
                                 "0061"
                                 "002e"
                                 "0062"
                                 "0000"
                                 "0000"
                                 "0000"
                                 R"(}}}{\fldrslt {\cs32\ul\cf2\fs24 ab}}})";
    EXPECT_EQ(Field(&set, 2, "http://a.b", "ab"), expected);
}

TEST(RTFHyperlinkField, SectionLinkIsABookmarkField) {
    FC set;
    const std::string expected = R"({\field{\*\fldinst {\fs24  HYPERLINK  \\l "Intro_1" }{\kerning0 {\*\datafield )"
                                 "08d0" +
                                 kMoniker +
                                 "0b02"
                                 "0000"
                                 "0008"
                                 "0000"
                                 "0008"
                                 "0000"
                                 "0049"
                                 "006e"
                                 "0074"
                                 "0072"
                                 "006f"
                                 "005f"
                                 "0031"
                                 "0000"
                                 "0000"
                                 "0000"
                                 R"(}}}{\fldrslt {\cs32\ul\cf2\fs24 Intro}}})";
    EXPECT_EQ(Field(&set, 1, "Intro.1", "Intro"), expected);
}

TEST(RTFHyperlinkField, DataFieldDetails) {
    FC set;
    // Bytes are written unsigned; the length group keeps its low 8 bits.
    std::string field = Field(&set, 3, "mailto:x@y.z", "caf\xE9");
    EXPECT_NE(field.find("0005000000630061006600e90000"), std::string::npos) << field;
    EXPECT_EQ(field.find("ffff"), std::string::npos) << field;
    std::string longText(300, 'x');
    field = Field(&set, 4, "news:comp.lang", longText.c_str());
    EXPECT_NE(field.find("0017"
                         "0000"
                         "002d"
                         "0000"
                         "0078"),
              std::string::npos);
    EXPECT_EQ(field.substr(field.size() - 3), "}}}");
}

TEST(RTFHyperlinkField, FontSizeFollowsTheDefaultFont) {
    FC set;
    set.SetInt(Pol::BaseFontSize, 14);
    std::string field = Field(&set, 2, "http://a.b", "ab");
    EXPECT_EQ(field.rfind(R"({\field{\*\fldinst {\fs28  HYPERLINK )", 0), 0u) << field;
    EXPECT_NE(field.find(R"({\cs32\ul\cf2\fs28 ab}}})"), std::string::npos) << field;
    set.SetText(Pol::DefaultFont, "Arial, Bold, 10");
    set.SetInt(Pol::DeltaFontSize, 1);
    field = Field(&set, 2, "http://a.b", "ab");
    EXPECT_EQ(field.rfind(R"({\field{\*\fldinst {\fs22  HYPERLINK )", 0), 0u) << field;
    EXPECT_NE(field.find(R"({\cs32\ul\cf2\fs22 ab}}})"), std::string::npos) << field;
}

TEST(RTFHyperlinkField, TextAndTargetAreNotEscapedAgain) {
    // The caller passes text that is already escaped; it must appear once, as given.
    FC set;
    TextString text("a{b}\\c");
    RTF_EscapeText(&set, text);
    ASSERT_EQ(text.str(), "a\\'7bb\\'7d\\\\c");
    TextString out;
    RTF_FormatHyperlinkField(&set, 2, TextString("http://a.b/"), text, out);
    const std::string result = out.str();
    EXPECT_NE(result.find("\\fs24 a\\'7bb\\'7d\\\\c}}}"), std::string::npos) << result;
    EXPECT_EQ(result.find("\\\\'7b"), std::string::npos) << result;
}

TEST(RTFLinks, AddressWithoutSchemeIsPlainText) {
    FC set;
    EXPECT_EQ(Field(&set, 2, "www.x.org", "site"), "site");
    TextString out;
    RTF_FormatLink(&set, 2, 0, TextString("www.x.org"), TextString("site"), out);
    EXPECT_EQ(out.str(), "site");
}

TEST(RTFLinks, HelpSourceLinks) {
    FC set;
    struct Case {
        int kind, popup;
        const char* target;
        const char* text;
        const char* out;
    };
    const Case cases[] = {
        {1, 0, "Section_1.2", "  Intro ", R"({\uldb Intro}{\v ID_Section_1_2})"},
        {1, 1, "Section_1.2", "Intro", R"({\ul Intro}{\v ID_Section_1_2})"},
        {2, 0, "http://x.y/", "site", R"({\ul\cf2 site}{\v *!EF(`http://x.y/}{\v\cf1 ',}{\v `',1,`')})"},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        RTF_FormatLink(&set, c.kind, c.popup, TextString(c.target), TextString(c.text), out);
        EXPECT_EQ(out.str(), c.out) << c.kind << " " << c.target;
    }
    for (int kind : {3, 4}) {
        TextString out;
        RTF_FormatLink(&set, kind, 0, TextString("mailto:a@b.c"), TextString("a@b.c"), out);
        EXPECT_EQ(out.str(), Field(&set, kind, "mailto:a@b.c", "a@b.c"));
    }
}

TEST(RTFLinks, UnknownLinkKindIsReported) {
    Context context;
    context.sink.SetMessageCallback(Capture);
    FC set;
    set.context = &context;
    Captured().clear();
    TextString out;
    RTF_FormatLink(&set, 7, 0, TextString("http://x.y/"), TextString("site"), out);
    EXPECT_EQ(out.str(), "site");
    EXPECT_EQ(Field(&set, 0, "http://x.y/", "site"), "site");
    ASSERT_EQ(Captured().size(), 2u);
    EXPECT_EQ(Captured()[0], "UNSUPPORTED CASE: link kind 7 in RTF_FormatLink");
    EXPECT_EQ(Captured()[1], "UNSUPPORTED CASE: link kind 0 in RTF_FormatHyperlinkField");
}
