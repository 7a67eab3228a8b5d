#include "output/markup/escaping.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "context/context.h"
#include "policies/fc.h"

namespace {

// A policy set whose text is UTF-8 or 8-bit, under a "Character encoding".
struct EncodedText {
    Context context;
    FC set;
    EncodedText(const char* encoding, int utf8) {
        context.documentState.utf8Text = utf8;
        set.context = &context;
        set.SetText(Pol::CharacterEncoding, encoding);
    }
};

}  // namespace

TEST(HTMLEscapeText, EscapesMarkupAndLatin1Characters) {
    FC set;
    struct Case {
        const char* in;
        const char* out;
    };
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
    // The tag is the innermost opening with its closing; the opening before
    // it is text.
    EXPECT_EQ(text.str(), "a [[ b &lt; c [[ d ]] &amp; [[ e &gt; f [[");
    // A long line of openings without a closing one is escaped in one pass.
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "[[&";
    TextString longText(many.c_str());
    HTML_EscapeText(&set, longText);
    EXPECT_EQ(longText.length, 20000 * 7);
    EXPECT_TRUE(longText.StartsWith("[[&amp;[[&amp;", 1));
    // So is a long line of openings before one closing.
    TextString nested((many + "]]").c_str());
    HTML_EscapeText(&set, nested);
    EXPECT_EQ(nested.length, 19999 * 7 + 5);
    EXPECT_EQ(nested.str().substr(static_cast<size_t>(19999 * 7)), "[[&]]");
}

TEST(HTMLEscapeText, EightBitStepOnlyForLatin1Text) {
    // "&", "<" and ">" are escaped under every encoding; bytes above 160
    // become entities only for Latin-1 text.
    struct Case {
        const char* encoding;
        int japanese;
        const char* out;
    };
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

TEST(UnicodeCharacters, WrittenForHtmlAndRtf) {
    TextString html("Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80 <");
    HTML_WriteCharacterReferences(html);
    EXPECT_EQ(html.str(), "Z&#252;rich &#8364; &#128512; <");
    // Code units above 32767 are negative; beyond U+FFFF two surrogates.
    TextString rtf("Z\xC3\xBCrich \xE6\x9D\xB1 \xEF\xBF\xBD \xF0\x9F\x98\x80");
    RTF_WriteUnicodeCharacters(rtf);
    EXPECT_EQ(rtf.str(), "Z\\u252?rich \\u26481? \\u-3? \\u-10179?\\u-8704?");
}

// The Windows punctuation of 8-bit text: in a page without a declared
// charset the bytes 0x80 to 0x9F become character references, the en dash
// and the em dash alike, and none is made plain (RTF keeps them too).  Text
// declared in a code page and UTF-8 text keep their bytes.
TEST(HTMLReferWindowsPunctuation, EightBitTextOnly) {
    struct Case {
        const char* encoding;
        int utf8;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", 0,
         "it\x92s \x96 \x97 \x80"
         "5 \x93q\x94 \xB4",
         "it&#8217;s &#8211; &#8212; &#8364;5 &#8220;q&#8221; \xB4"},
        {"windows-1252", 0,
         "it\x92s \x96 \x80"
         "5",
         "it\x92s \x96 \x80"
         "5"},
        {"windows-1251", 0, "\xD5\x92\x96", "\xD5\x92\x96"},
        {"", 1, "h\xC3\xB4tel \xE2\x95\x92", "h\xC3\xB4tel \xE2\x95\x92"},
    };
    for (const Case& c : cases) {
        EncodedText encoded(c.encoding, c.utf8);
        TextString text(c.in);
        HTML_ReferWindowsPunctuation(&encoded.set, text);
        EXPECT_EQ(text.str(), c.out) << c.encoding << " utf8=" << c.utf8;
    }
    // UTF-8 text keeps its characters through the escaping.
    Context context;
    context.documentState.utf8Text = 1;
    FC set;
    set.context = &context;
    TextString text("a<b caf\xC3\xA9");
    HTML_EscapeText(&set, text);
    EXPECT_EQ(text.str(), "a&lt;b caf\xC3\xA9");
}

// A value of a policy or a directive reaches the page in the page's own
// encoding: as it is where the two agree, else its characters beyond ASCII
// as references, the 8-bit value read in the Windows code page.
TEST(ValueForPage, KeptWhereTheEncodingsAgreeElseReferred) {
    struct Case {
        const char* encoding;  // "Character encoding"
        int utf8;  // the conversion's text is UTF-8
        const char* value;
        const char* html;
        const char* rtf;
    };
    const Case cases[] = {
        {"", 0, "Caf\xC3\xA9", "Caf&#233;", "Caf\\u233?"},
        {"", 0, "Caf\xE9 \x96", "Caf\xE9 \x96", "Caf\xE9 \x96"},
        {"", 1, "Caf\xE9 \x96", "Caf&#233; &#8211;", "Caf\\u233? \\u8211?"},
        {"", 1, "Caf\xC3\xA9", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"", 0, "plain <text>", "plain <text>", "plain <text>"},
        // The page's declared charset decides an HTML page's encoding.
        {"utf-8", 0, "Caf\xE9", "Caf&#233;", "Caf\xE9"},
        {"windows-1251", 1, "\xD0\x96", "&#1046;", "\xD0\x96"},
    };
    for (const Case& c : cases) {
        EncodedText encoded(c.encoding, c.utf8);
        TextString html(c.value), rtf(c.value);
        HTML_WriteValueForPage(&encoded.set, html);
        RTF_WriteValueForPage(&encoded.set, rtf);
        EXPECT_EQ(html.str(), c.html) << c.value << " " << c.encoding << c.utf8;
        EXPECT_EQ(rtf.str(), c.rtf) << c.value << " " << c.encoding << c.utf8;
    }
}

TEST(HTMLEscapeLeftTag, EscapesMarkupButNotTheEntitiesAlreadyThere) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"[[X <script>a</script>]]", "[[X &lt;script&gt;a&lt;/script&gt;]]"},
        {"[[X a&b & c&]]", "[[X a&amp;b &amp; c&amp;]]"},
        // Entities and character references stay as they are.
        {"[[X caf&eacute; &#233; &#xE9; &amp;]]", "[[X caf&eacute; &#233; &#xE9; &amp;]]"},
        // Not an entity: no name, no end, a number in a name's place, too long.
        {"[[X &; &#; &#x; &1a; &abc &abcdefghijklmnop;]]",
         "[[X &amp;; &amp;#; &amp;#x; &amp;1a; &amp;abc &amp;abcdefghijklmnop;]]"},
        {"[[X {x} \\y \"q\"]]", "[[X {x} \\y \"q\"]]"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(HTML_EscapeLeftTag(TextString(c.in)).str(), c.out) << c.in;
}

TEST(RTFEscapeText, EscapesBackslashesAndBraces) {
    struct Case {
        const char* in;
        const char* out;
    };
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

// Escaping RTF once: raw braces and stray backslashes of a policy's text are
// escaped, text escaped already (a directive's) is left as it was, and what
// comes out never changes the nesting of the document's groups.
TEST(RTFEscapeMarkupOnce, EscapesWhatIsRawAndKeepsWhatIsEscaped) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Sales {draft}", "Sales \\{draft\\}"},
        {"Sales \\{draft\\}", "Sales \\{draft\\}"},
        {"}{", "\\}\\{"},
        {"C:\\\\temp", "C:\\\\temp"},
        {"50\\% done\\", "50\\\\% done\\\\"},
        {"caf\\'e9 \\u8211? done", "caf\\'e9 \\u8211? done"},
        {"\\{{}", "\\{\\{\\}"},
    };
    for (const auto& c : cases) {
        const TextString once = RTF_EscapeMarkupOnce(TextString(c.in));
        EXPECT_EQ(once.str(), c.out) << c.in;
        EXPECT_EQ(RTF_EscapeMarkupOnce(once).str(), c.out) << c.in;
        int depth = 0;
        for (int i = 0; i < once.length; ++i) {
            if (once.buffer[i] == '\\') {
                ++i;
                continue;
            }
            depth += once.buffer[i] == '{' ? 1 : once.buffer[i] == '}' ? -1 : 0;
            EXPECT_GE(depth, 0) << c.in;
        }
        EXPECT_EQ(depth, 0) << c.in;
    }
}

// No page holds a control character that HTML does not allow: in a page
// declared UTF-8 it becomes U+FFFD, in any other "&#65533;"; tab, line
// feed and carriage return stay, and so do the other characters.
TEST(ControlCharacters, WrittenAsTheReplacementCharacter) {
    const struct {
        void (*form)(TextString&);
        const char* in;
        const char* out;
    } cases[] = {
        {HTML_ReplaceControlCharacters,
         "a\x01"
         "b\x1B\x0C\x7F\tc\r",
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\tc\r"},
        {HTML_ReplaceControlCharacters, "Z\xC3\xBCrich \xC2\x85", "Z\xC3\xBCrich \xEF\xBF\xBD"},
        {HTML_ReplaceControlCharacters, "Z\xC3\xBCrich", "Z\xC3\xBCrich"},
        {HTML_WriteCharacterReferences, "\x02Z\xC3\xBC\xC2\x9B", "&#65533;Z&#252;&#65533;"},
        {HTML_ReferControlCharacters, "\x96 dash\x08\x1F", "\x96 dash&#65533;&#65533;"},
        // A page break keeps its form feed.
        {HTML_ReplaceControlCharacters, "\x0C", "\x0C"},
        {HTML_ReferControlCharacters,
         "\x0C"
         "page\x0C",
         "\x0C"
         "page&#65533;"},
        {HTML_WriteCharacterReferences, "\x0C\xC3\xA9\x0C", "\x0C&#233;&#65533;"},
    };
    for (const auto& c : cases) {
        TextString text(c.in);
        c.form(text);
        EXPECT_EQ(text.str(), c.out) << c.in;
    }
    // The form by the page: its text and the charset it is declared in.
    Context context;
    FC set;
    set.context = &context;
    context.documentState.utf8Text = 0;
    EXPECT_EQ(HTML_WrittenLineForm(&set).apply, HTML_ReferControlCharacters);
    context.documentState.utf8Text = 1;
    EXPECT_EQ(HTML_WrittenLineForm(&set).apply, HTML_ReplaceControlCharacters);
    set.SetText(Pol::CharacterEncoding, "iso-8859-1", true);
    EXPECT_EQ(HTML_WrittenLineForm(&set).apply, HTML_WriteCharacterReferences);
}

// A written line is brought to its form only when the form's look finds
// something in it: the look never passes over a line its form would change.
// Random lines of the bytes that matter (controls, line ends, the UTF-8 lead
// of the C1 controls and what follows it, letters beyond ASCII), long enough
// to run through the sixteen-byte scans and their tails.
TEST(WrittenLineFormTest, TheLookFindsEveryLineTheFormChanges) {
    Context context;
    FC set;
    set.context = &context;
    std::vector<TextFile::LineForm> forms;
    context.documentState.utf8Text = 0;
    forms.push_back(HTML_WrittenLineForm(&set));
    context.documentState.utf8Text = 1;
    forms.push_back(HTML_WrittenLineForm(&set));
    forms.push_back(RTF_WrittenLineForm(&set));
    set.SetText(Pol::CharacterEncoding, "iso-8859-1", true);
    forms.push_back(HTML_WrittenLineForm(&set));
    forms.push_back(HTML_LineFormOfPage(&set, true));
    forms.push_back(HTML_LineFormOfPage(&set, false));
    const std::string alphabet("ab\t\n\r\x0C\x01\x1F\x7F\xC2\x80\x9F\xA0\xBF\xC3\xA9\xE2\x82\xF0\x90\xED");
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(random() % 40, 'x');
        for (char& c : line)
            if (random() % 2 == 0) c = alphabet[random() % alphabet.size()];
        for (const TextFile::LineForm& form : forms) {
            ASSERT_TRUE(form);
            TextString formed(line.c_str());
            form.apply(formed);
            if (formed.str() != line) {
                EXPECT_TRUE(form.needed(line.data(), line.size())) << line;
            }
        }
    }
}
