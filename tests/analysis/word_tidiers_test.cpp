#include "analysis/word_tidiers.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"

namespace {

class WordTidiersTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 3;
        context.documentState.htmlOutput = 1;
        context.outputFormat = 0;
    }

    struct Outcome {
        int type = 0;
        int replaced = 0;
        std::string replacement;
        std::string display;
        std::string refused;
    };

    Outcome Http(const char* word) {
        Outcome out;
        TextString replacement, display;
        out.type = TidyHTTPWord(set, line, TextString(word), out.replaced, replacement, display);
        out.replacement = replacement.str();
        out.display = display.str();
        return out;
    }
    Outcome Email(const char* word) {
        Outcome out;
        TextString replacement, display;
        out.type = TidyEmailWord(set, line, TextString(word), out.replaced, replacement, display);
        out.replacement = replacement.str();
        out.display = display.str();
        return out;
    }
    Outcome Usenet(const char* word) {
        Outcome out;
        TextString replacement, display, refused;
        out.type = TidyUSENETWord(set, line, TextString(word), out.replaced, replacement, refused, display);
        out.replacement = replacement.str();
        out.display = display.str();
        out.refused = refused.str();
        return out;
    }
    Outcome Unix(const std::string& word) {
        Outcome out;
        TextString replacement;
        TidyUnixWord(set, line, TextString(std::string_view(word)), out.replaced, replacement);
        out.replacement = replacement.str();
        return out;
    }

    Context context;
    FC set;
    AnalysedLine line;
};

TEST(SplitURLWord, CutsTheAddressOutOfItsSurroundings) {
    struct Case {
        int kind;
        const char* word;
        int html;
        int result;
        const char* core;
    };
    const Case cases[] = {
        {1, "(http://www.x.com/a.html).", 1, 1, "http://www.x.com/a.html"},
        {1, "&lt;http://www.x.com/&gt;", 1, 1, "http://www.x.com/"},
        {1, "URL:http://www.x.com/", 1, 1, "http://www.x.com/"},
        {1, "\"http://www.x.com/\"", 1, 1, "http://www.x.com/"},
        {1, "say\"http://www.x.com/", 1, 1, "http://www.x.com/"},  // one quote: the shorter side goes
        {1, "http://www.x.com/'s", 1, 1, "http://www.x.com/"},
        {1, "<B>http://www.x.com/</B>", 1, 1, "http://www.x.com/"},
        {1, "http://www.x.com/<BR>", 1, 1, "http://www.x.com/"},
        {1, "http://www.x.com/\nnext", 1, 1, "http://www.x.com/"},
        {2, "mailto:john@x.org", 0, 1, "john@x.org"},
        {6, "[comp.lang.c]", 0, 1, "comp.lang.c"},
        {1, "a[b]c.com", 0, 1, "a[b]c.com"},  // brackets belong to web addresses
        // Refusals.
        {1, "http://", 0, 0, ""},
        {1, "gopher://", 0, 0, ""},
        {1, "http://www.x.com/a(b)", 0, 0, ""},
        {2, "a[b]@x.org", 0, 0, ""},
        {1, "o'x.com", 0, 0, ""},
        {1, "a\"b\"c.com", 0, 1, "a\"b\"c.com"},
        {1, "((((", 0, 0, ""},
    };
    for (const Case& c : cases) {
        TextString core("unset");
        EXPECT_EQ(SplitURLWord(c.kind, TextString(c.word), core, c.html), c.result) << c.word;
        if (c.result) {
            EXPECT_EQ(core.str(), c.core) << c.word;
        }
    }
    TextString core("kept");
    EXPECT_EQ(SplitURLWord(1, TextString(""), core, 1), 1);
    EXPECT_EQ(core.str(), "kept");
}

TEST_F(WordTidiersTest, WebAddresses) {
    struct Case {
        const char* word;
        int type;
        const char* replacement;  // null: not converted
    };
    const Case cases[] = {
        {"http://www.example.com/index.html", kURLHttp,
         "<A HREF=\"http://www.example.com/index.html\">http://www.example.com/index.html</A>"},
        {"https://secure.example.com/", kURLHttp,
         "<A HREF=\"https://secure.example.com/\">https://secure.example.com/</A>"},
        {"www.example.com", kURLBareWww, "<A HREF=\"http://www.example.com/\">www.example.com</A>"},
        {"(www.example.com).", kURLBareWww, "(<A HREF=\"http://www.example.com/\">www.example.com</A>)."},
        {"www.example.com/docs", kURLBareWww, "<A HREF=\"http://www.example.com/docs\">www.example.com/docs</A>"},
        {"ftp://ftp.example.com/pub", kURLFtp,
         "<A HREF=\"ftp://ftp.example.com/pub\">ftp://ftp.example.com/pub</A>"},
        {"ftp.example.com", kURLBareFtp, "<A HREF=\"ftp://ftp.example.com/\">ftp.example.com</A>"},
        {"gopher.example.com", kURLBareGopher, "<A HREF=\"gopher://gopher.example.com/\">gopher.example.com</A>"},
        {"telnet://host.example.com", kURLTelnet,
         "<A HREF=\"telnet://host.example.com\">telnet://host.example.com</A>"},
        // A double quote inside the target cannot end the attribute.
        {"http://www.example.com/say\"hi\"there.html", kURLHttp,
         "<A HREF=\"http://www.example.com/say%22hi%22there.html\">http://www.example.com/say\"hi\"there.html</A>"},
        {"xxxxxxxxwww.example.com", kURLRefusedWww, nullptr},
        {"www..example.com", kURLNone, nullptr},
        {"foo.bar", kURLNone, nullptr},
        {"setup.exe", kURLNone, nullptr},
        {"files.example.com", kURLNone, nullptr},  // bare hosts are ftp links only when allowed
        {"a,b/http://www.example.com/", kURLNone, nullptr},
        {"http://www.example.zzz/", kURLNone, nullptr},
        // An address pieced together from parts of the word is not the word's.
        {"http://www.exa&gt;mple.com/", kURLNone, nullptr},
        // Words whose dots and slashes are all at their edges hold no address.
        {"figures.", kURLNone, nullptr},
        {"(budget).", kURLNone, nullptr},
        {"URL:&lt;abroad&gt;.", kURLNone, nullptr},
        {"\"http:\".", kURLNone, nullptr},
    };
    for (const Case& c : cases) {
        const Outcome out = Http(c.word);
        EXPECT_EQ(out.type, c.type) << c.word;
        EXPECT_EQ(out.replaced, c.replacement ? 1 : 0) << c.word;
        if (c.replacement) {
            EXPECT_EQ(out.replacement, c.replacement) << c.word;
        }
    }
    EXPECT_EQ(Http("www.example.com").display, "http://www.example.com/");
}

TEST_F(WordTidiersTest, WebAddressPoliciesAndEdges) {
    // Eleven characters with the scheme are examined, ten are not.
    set.SetInt(Pol::CheckDomainNameSyntax, 0);
    EXPECT_EQ(Http("http://a.de").type, kURLHttp);
    EXPECT_EQ(Http("http://a.d").type, kURLNone);
    set.SetInt(Pol::CheckDomainNameSyntax, 1);

    set.SetInt(Pol::CreateFTPLinks, 0);
    Outcome out = Http("ftp.example.com");
    EXPECT_EQ(out.type, kURLNone);
    EXPECT_EQ(out.replaced, 0);
    set.SetInt(Pol::CreateFTPLinks, 1);

    set.SetInt(Pol::OnlyAllowExplicitFTPLinks, 0);
    out = Http("files.example.com");
    EXPECT_EQ(out.type, kURLHostAsFtp);
    EXPECT_EQ(out.replacement, "<A HREF=\"ftp://files.example.com/\">files.example.com</A>");

    set.SetInt(Pol::OpenLinksInNewWindow, 1);
    EXPECT_EQ(Http("www.example.com").replacement,
              "<A HREF=\"http://www.example.com/\" TARGET=\"other\">www.example.com</A>");
    set.SetInt(Pol::OpenLinksInNewWindow, 0);

    // A percent-escaped host is linked under its decoded name.
    EXPECT_EQ(Http("http://%77ww.example.com/").replacement,
              "<A HREF=\"http://www.example.com/\">http://www.example.com/</A>");

    set.SetInt(Pol::CreateHyperlinks, 0);
    EXPECT_EQ(Http("http://www.example.com/").type, kURLNone);
    set.SetInt(Pol::CreateHyperlinks, 1);

    TextString replacement, display;
    int replaced = 1;
    EXPECT_EQ(TidyHTTPWord(set, line, TextString("www.example.com"), replaced, replacement, display), 0);
    EXPECT_TRUE(replacement.IsEmpty());

    line.extraWrapWidth = 0;
    Http("(http://www.example.com/).");
    EXPECT_EQ(line.extraWrapWidth, 23);
}

TEST_F(WordTidiersTest, EmailAddresses) {
    struct Case {
        const char* word;
        const char* replacement;  // null: not converted
    };
    const Case cases[] = {
        {"john.smith@example.org.", "<A HREF=\"mailto:john.smith@example.org\">john.smith@example.org</A>."},
        {"<john@example.org>", "<<A HREF=\"mailto:john@example.org\">john@example.org</A>>"},
        {"mailto:john@example.org", "mailto:<A HREF=\"mailto:john@example.org\">john@example.org</A>"},
        // A "mailto:" inside brackets stays where it was written.
        {"(mailto:john@example.org)", "(mailto:<A HREF=\"mailto:john@example.org\">john@example.org</A>)"},
        {"1john@example.org", nullptr},
        {"john@host", nullptr},
        {"a@b.cd", nullptr},
        {"john@example.zzz", nullptr},
        {"jo/hn@example.org", nullptr},
        {"john@@example.org", nullptr},
        {"jo..hn@example.org", nullptr},
        {"news:john@example.org", nullptr},
        {"%john@example.org", nullptr},
    };
    for (const Case& c : cases) {
        const Outcome out = Email(c.word);
        EXPECT_EQ(out.type, c.replacement ? kURLEmail : 0) << c.word;
        EXPECT_EQ(out.replaced, c.replacement ? 1 : 0) << c.word;
        if (c.replacement) {
            EXPECT_EQ(out.replacement, c.replacement) << c.word;
        }
    }
    EXPECT_EQ(Email("john.smith@example.org.").display, "john.smith@example.org");

    set.SetInt(Pol::AllowEmailBeginningWithNumbers, 1);
    EXPECT_EQ(Email("1john@example.org").type, kURLEmail);
    set.SetInt(Pol::CreateMailtoLinks, 0);
    EXPECT_EQ(Email("john@example.org").type, 0);
}

TEST_F(WordTidiersTest, Newsgroups) {
    struct Case {
        const char* word;
        int type;
        const char* replacement;  // for type 6
        const char* refused;  // for type 17
    };
    const Case cases[] = {
        {"comp.lang.misc", kURLNewsgroup, "<A HREF=\"news:comp.lang.misc\">comp.lang.misc</A>", ""},
        {"comp.lang.misc.", kURLNewsgroup, "<A HREF=\"news:comp.lang.misc\">comp.lang.misc</A>.", ""},
        {"news:alt.test.group", kURLNewsgroup, "<A HREF=\"news:alt.test.group\">news:alt.test.group</A>", ""},
        {"snews:alt.secure", kURLNewsgroup, "<A HREF=\"snews:alt.secure\">snews:alt.secure</A>", ""},
        {"foo.bar", kURLRefusedNewsgroup, nullptr, "foo.bar"},
        {"setup.exe", kURLRefusedNewsgroup, nullptr, "setup.exe"},
        {"foo.bar.baz", kURLRefusedNewsgroup, nullptr, "foo.bar.baz"},
        {"COMP.LANG.MISC", kURLNone, nullptr, ""},
        {"1comp.lang", kURLNone, nullptr, ""},
        {"comp.lang.c++", kURLNone, nullptr, ""},
        {"my.2nd.group", kURLNone, nullptr, ""},
        {"a.b.c", kURLNone, nullptr, ""},
        {"x:comp.lang", kURLNone, nullptr, ""},
    };
    for (const Case& c : cases) {
        const Outcome out = Usenet(c.word);
        EXPECT_EQ(out.type, c.type) << c.word;
        EXPECT_EQ(out.replaced, c.type == kURLNewsgroup ? 1 : 0) << c.word;
        if (c.replacement) {
            EXPECT_EQ(out.replacement, c.replacement) << c.word;
        }
        EXPECT_EQ(out.refused, c.refused) << c.word;
    }
    EXPECT_EQ(Usenet("comp.lang.misc").display, "news:comp.lang.misc");

    set.SetInt(Pol::OnlyUseKnownGroups, 0);
    EXPECT_EQ(Usenet("foo.bar.baz").type, kURLNewsgroup);
    EXPECT_EQ(Usenet("foo.bar").type, kURLRefusedNewsgroup);  // two unknown parts are never enough
    set.SetInt(Pol::OnlyUseKnownGroups, 1);

    EXPECT_EQ(Usenet("uk.politics").type, kURLRefusedNewsgroup);
    set.usenetGroups.Add("uk");
    EXPECT_EQ(Usenet("uk.politics").type, kURLNewsgroup);

    set.SetInt(Pol::CreateNEWSLinks, 0);
    EXPECT_EQ(Usenet("comp.lang.misc").type, kURLNone);
}

TEST_F(WordTidiersTest, OverstruckWords) {
    const std::string bold = "B\bBO\bOL\bLD\bD";
    const std::string underline = "_\bu_\bn_\bd_\be_\br";
    Outcome out = Unix(bold);
    EXPECT_EQ(out.replaced, 1);
    EXPECT_EQ(out.replacement, "<STRONG>BOLD</STRONG>");
    out = Unix(underline);
    EXPECT_EQ(out.replacement, "<U>under</U>");
    out = Unix("u\b_n\b_d\b_e\b_r\b_");
    EXPECT_EQ(out.replacement, "<U>under</U>");
    EXPECT_EQ(Unix("plain").replaced, 0);

    set.SetInt(Pol::LookForUnderlinedText, 0);
    out = Unix(underline);
    EXPECT_EQ(out.replaced, 0);
    EXPECT_EQ(out.replacement, "");

    context.outputFormat = 1;
    EXPECT_EQ(Unix(bold).replacement, "{\\b BOLD\\b0}");
    context.outputFormat = 2;
    EXPECT_EQ(Unix(bold).replaced, 0);
}

TEST_F(WordTidiersTest, RtfLinksAreHyperlinkFields) {
    context.outputFormat = 1;
    Outcome out = Http("www.example.com");
    EXPECT_EQ(out.type, kURLBareWww);
    EXPECT_EQ(out.replacement.rfind("{\\field{\\*\\fldinst {\\fs", 0), 0u);
    EXPECT_NE(out.replacement.find(" HYPERLINK http://www.example.com/ }"), std::string::npos);
    EXPECT_NE(out.replacement.find("www.example.com}}}"), std::string::npos);

    out = Email("john@example.org");
    EXPECT_NE(out.replacement.find(" HYPERLINK mailto:john@example.org }"), std::string::npos);
    out = Usenet("comp.lang.misc");
    EXPECT_NE(out.replacement.find(" HYPERLINK news:comp.lang.misc }"), std::string::npos);
}

TEST(WordTidiers, QuotesInHrefTargets) {
    TextString out("x");
    AppendHrefTarget(out, TextString("a\"b\"\"c"));
    EXPECT_EQ(out.str(), "xa%22b%22%22c");
}

}  // namespace
