#include "output/escaping.h"

#include <gtest/gtest.h>

#include <string>

#include "context/context.h"
#include "policies/fc.h"

TEST(HTMLEscapeText, EscapesMarkupAndLatin1Characters) {
    FC set;
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"k$ & rounded to < 1%", "k$ &amp; rounded to &lt; 1%"},
        {"\xE9", "&eacute;"},
        {"[[FONT a<b]] a>b", "[[FONT a<b]] a&gt;b"},
        {"caf\xE9 & cr\xE8me", "caf&eacute; &amp; cr&egrave;me"},
    };
    for (const Case& c : cases) {
        TextString text(c.in);
        HTML_EscapeText(&set, text);
        EXPECT_EQ(text.str(), c.out) << c.in;
    }
}

TEST(HTMLEscapeText, UnclosedTagOpeningsStayText) {
    FC set;
    TextString text("a [[ b < c [[ d ]] & [[ e > f [[");
    HTML_EscapeText(&set, text);
    EXPECT_EQ(text.str(), "a [[ b < c [[ d ]] &amp; [[ e &gt; f [[");
    // A long line of openings without a closing one is escaped in one pass.
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "[[&";
    TextString longText(many.c_str());
    HTML_EscapeText(&set, longText);
    EXPECT_EQ(longText.length, 20000 * 7);
    EXPECT_TRUE(longText.StartsWith("[[&amp;[[&amp;", 1));
}

TEST(HTMLEscapeText, EightBitStepOnlyForLatin1Text) {
    // "&", "<" and ">" are escaped under every encoding; bytes above 160
    // become entities only for Latin-1 text.
    struct Case { const char* encoding; int japanese; const char* out; };
    const Case cases[] = {
        {"", 0, "a&lt;b &amp; &eacute; [[T <x>]]"},
        {"ISO-8859-1", 0, "a&lt;b &amp; &eacute; [[T <x>]]"},
        {"Windows-1252", 0, "a&lt;b &amp; &eacute; [[T <x>]]"},
        {"us-ascii", 0, "a&lt;b &amp; &eacute; [[T <x>]]"},
        {"ASCII", 0, "a&lt;b &amp; &eacute; [[T <x>]]"},
        {"utf-8", 0, "a&lt;b &amp; \xE9 [[T <x>]]"},
        {"iso-8859-15", 0, "a&lt;b &amp; \xE9 [[T <x>]]"},
        {"windows-1251", 0, "a&lt;b &amp; \xE9 [[T <x>]]"},
        {"", 1, "a&lt;b &amp; \xE9 [[T <x>]]"},
        {"iso-8859-1", 1, "a&lt;b &amp; \xE9 [[T <x>]]"},
    };
    for (const Case& c : cases) {
        FC set;
        set.SetText(Pol::CharacterEncoding, c.encoding);
        set.SetInt(Pol::InputJapanese, c.japanese);
        TextString text("a<b & \xE9 [[T <x>]]");
        HTML_EscapeText(&set, text);
        EXPECT_EQ(text.str(), c.out) << c.encoding << " japanese=" << c.japanese;
    }
}

TEST(HTMLEscapeText, DoesNothingForTextOutput) {
    Context context;
    context.outputFormat = 2;
    FC set;
    set.context = &context;
    TextString text("a<b & \xE9");
    HTML_EscapeText(&set, text);
    EXPECT_EQ(text.str(), "a<b & \xE9");
}

TEST(RTFEscapeText, EscapesBackslashesAndBraces) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"plain text", "plain text"},
        {"a\\b", "a\\\\b"},
        {"{x}", "\\'7bx\\'7d"},
        {"\\{", "\\\\\\'7b"},  // a backslash followed by a brace: two backslashes, then \'7b
        {"C:\\dir\\{new}", "C:\\\\dir\\\\\\'7bnew\\'7d"},
        {"", ""},
    };
    for (const Case& c : cases) {
        TextString text(c.in);
        RTF_EscapeText(nullptr, text);
        EXPECT_EQ(text.str(), c.out) << c.in;
    }
}
