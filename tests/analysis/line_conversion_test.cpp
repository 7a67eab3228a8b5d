#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "output/markup/heading_anchors.h"
#include "output/markup/navigation.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

class LineConversionTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 3;
        context.documentState.htmlOutput = 1;
        context.outputFormat = 0;
    }

    // The text of a line after the whole output conversion.
    std::string Convert(const std::string& text, int format = 0) {
        context.outputFormat = format;
        AnalysedLine line;
        line.Assign(text.c_str());
        line.ConvertForOutput(set, nullptr, 1, 1, 1, 1, 1, 1);
        return line.str();
    }

    // Registers a numbered heading as the line analysis does: in the known
    // headings, and in the lowest and highest numbers seen at each level.
    void AddHeading(int lineType, const char* text, int lineNumber) {
        context.AddHeadingEntry(&set, lineType, TextString(text), TextString(text), TextString(text),
                                SourcePosition(0, lineNumber), TextString(), TextString(), TextString());
        auto& numbering = context.documentState.headingState;
        size_t level = 0;
        for (const char* p = text; *p && *p != ' '; ++level) {
            const int number = std::atoi(p);
            if (numbering.lowest[level] < 0 || number < numbering.lowest[level]) numbering.lowest[level] = number;
            if (number > numbering.highest[level]) numbering.highest[level] = number;
            while (*p && *p != ' ' && *p != '.') ++p;
            if (*p == '.') ++p;
        }
    }
    void AddHeadings() {
        AddHeading(101, "1 Introduction", 1);
        AddHeading(101, "2 Methods", 20);
        AddHeading(102, "2.1 Setup", 30);
        AddHeading(102, "2.2 Details", 40);
    }

    Context context;
    FC set;
};

TEST_F(LineConversionTest, TextsTheWordScanSkipsComeOutAsTheFullScanLeavesThem) {
    // The whole conversion passes over texts whose words no tidier changes;
    // the two word scans run on their own must give the same text and flags.
    // clang-format off
    const char* const texts[] = {
        "123456.78", "  1,234.50   99.5%  ", "12/31/1999 1/2/3/4", "-0.5\t+7.25", "1.2.3.4", "10.0.0.1/8",
        "3.14 x.yz", "a.b", "1234.5:", "12@34.5", "(1.5) [2.5]", "1.2\b3.4", "12345678", "www.a.com 1.5",
        "&lt;1.25&gt;", "x", "",
        // Words with letters beside numbers, as in a table's rows.
        "Kofi Mensah\t2020-01-12\t804470.79\t96111\tRio de Janeiro", "Emil Novak  1994-07-20  5.5  San Francisco",
        "a/b/c d/e", "a/b/c/d", "x/y.html", "fox. Then", "v1.2 release", "Mensah 1.2.3", "e\bx", "user@host 1.5",
        "N/A  n/a  12.5", "example.com/a", "a.b\t1.5",
    };
    // clang-format on
    for (const char* text : texts) {
        context.outputFormat = 0;
        AnalysedLine whole;
        whole.Assign(text);
        whole.ConvertForOutput(set, nullptr, 1, 0, 0, 0, 0, 0);
        AnalysedLine scanned;
        scanned.Assign(text);
        scanned.ConvertLine(set, 1, 1);
        scanned.ConvertLine(set, 0, 1);
        EXPECT_EQ(whole.str(), scanned.str()) << text;
        EXPECT_EQ(whole.flags, scanned.flags) << text;
    }
}

TEST_F(LineConversionTest, WordsAtTheEndOfASentenceAndWordsJustOffThatSkip) {
    // A word whose one dot ends it and that holds no slash is left alone
    // without its word scan; words with a trigger byte elsewhere, around
    // markup or in a tag, and words that name a known newsgroup go through
    // the scan.  Either way the text must be what the two scans make of it.
    struct Case {
        const char* text;
        bool changed;  // the scans turn something into a link
    };
    // clang-format off
    const Case cases[] = {
        {"growth market. each continue.", false}, {".market", false}, {"mar.ket", false}, {"market..", false},
        {"/market.", false}, {"mar/ket.", false}, {"market/.", false}, {"a/b/c/market.", false},
        {"@market.", false}, {"mar@ket.", false}, {"market@.", false}, {"user@example.", false},
        {"user@example.org.", true}, {":market.", false}, {"mar:ket.", false}, {"see news:comp.lang.", true},
        {"\bmarket.", false}, {"mar\bket.", false}, {"M\bMARKET.", true}, {"market.)", false},
        {"(market.", false}, {"\"market.", false}, {"market.\"", false}, {"Market, year.", false},
        {"&lt;market.", false}, {"market.&gt;", false}, {"&lt;market.&gt;", false}, {"<B>market.</B>", false},
        {"market.<BR>", false}, {"x,market.", false}, {"12345.", false}, {"ann\xC3\xA9" "e.", false},
        {"www.example.com.", true}, {"example.com.", false}, {"humanities.", true}, {"HUMANITIES.", false},
        {"Humanities.", true}, {"the humanities.", true}, {"comp. alt. misc. news.", false},
        {"xcomp.", false}, {"[[market.]]", false}, {"[[www.example.com]] market.", true},
        {"market.\tyear.", false}, {"a. b. c.", false},
    };
    // clang-format on
    auto check = [&](const Case& c, bool expectChange) {
        for (int format : {0, 1}) {
            context.outputFormat = format;
            AnalysedLine whole;
            whole.Assign(c.text);
            whole.ConvertForOutput(set, nullptr, 1, 0, 0, 0, 0, 0);
            AnalysedLine scanned;
            scanned.Assign(c.text);
            scanned.ConvertLine(set, 1, format == 0);
            scanned.ConvertLine(set, 0, format == 0);
            EXPECT_EQ(whole.str(), scanned.str()) << c.text << " format " << format;
            EXPECT_EQ(whole.flags, scanned.flags) << c.text;
            EXPECT_EQ(whole.extraWrapWidth, scanned.extraWrapWidth) << c.text;
            EXPECT_EQ(whole.str() != c.text, expectChange) << c.text << " format " << format;
        }
    };
    for (const Case& c : cases) check(c, c.changed);
    // Tags are protected once seen.
    context.documentState.headingSwitches[DocumentState::kInlineTagsSeen] = 1;
    for (const Case& c :
         {Case{"[[www.example.com]] market.", false}, Case{"[[market.]] www.example.com now.", true}})
        check(c, c.changed);
    context.documentState.headingSwitches[DocumentState::kInlineTagsSeen] = 0;
    // With names of its own in the policies, a longer word can name one.
    set.usenetGroups.Add("customers");
    for (const Case& c :
         {Case{"customers.", true}, Case{"our customers.", true}, Case{"growth.", false}, Case{"custom.", false}})
        check(c, c.changed);
}

TEST_F(LineConversionTest, AddressesBecomeLinks) {
    struct Case {
        const char* text;
        const char* html;
    };
    const Case cases[] = {
        {"See http://www.example.com/index.html now.",
         "See <A HREF=\"http://www.example.com/index.html\">http://www.example.com/index.html</A> now."},
        {"www.example.com", "<A HREF=\"http://www.example.com/\">www.example.com</A>"},
        {"Write to john.smith@example.org.",
         "Write to <A HREF=\"mailto:john.smith@example.org\">john.smith@example.org</A>."},
        {"Read comp.lang.misc daily", "Read <A HREF=\"news:comp.lang.misc\">comp.lang.misc</A> daily"},
        {"foo.bar and setup.exe stay", "foo.bar and setup.exe stay"},
        {"Go to http://www.example.com/say\"hi\"there.html today",
         "Go to <A "
         "HREF=\"http://www.example.com/say%22hi%22there.html\">http://www.example.com/say\"hi\"there.html</A>"
         " today"},
        // Words cut at commas in the finer scan.
        {"mail john@example.org,jane@example.org",
         "mail <A HREF=\"mailto:john@example.org\">john@example.org</A>,"
         "<A HREF=\"mailto:jane@example.org\">jane@example.org</A>"},
        {"(see &lt;http://www.example.com/&gt;)",
         "(see &lt;<A HREF=\"http://www.example.com/\">http://www.example.com/</A>&gt;)"},
        // A link written in the input is left alone.
        {"<A HREF=\"http://www.example.com/\">http://www.example.com/</A> and www.example.org",
         "<A HREF=\"http://www.example.com/\">http://www.example.com/</A> and "
         "<A HREF=\"http://www.example.org/\">www.example.org</A>"},
        {"abcd.", "abcd."},
        {"   trimmed www.example.com   ", "trimmed <A HREF=\"http://www.example.com/\">www.example.com</A>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Convert(c.text), c.html) << c.text;
}

TEST_F(LineConversionTest, FlagsAndTheListOfLinksFound) {
    context.runParameters.links = 1;
    set.SetInt(Pol::AddBRToLinesWithURLs, 1);
    AnalysedLine source;
    AnalysedLine line;
    line.Assign("www.example.com and www.example.com again");
    line.ConvertForOutput(set, &source, 1, 1, 1, 1, 1, 1);
    EXPECT_TRUE(line.HasFlag(kFlagHasLink));
    EXPECT_TRUE(line.HasFlag(kFlagKeepLineBreak));
    EXPECT_TRUE(source.HasFlag(kFlagKeepLineBreak));
    ASSERT_EQ(context.documentState.linksFound.count, 1);
    EXPECT_STREQ(context.documentState.linksFound.TextAt(0), "http://www.example.com/");

    // An e-mail link marks the line but keeps no line break.
    AnalysedLine mail;
    mail.Assign("john@example.org");
    mail.ConvertForOutput(set, nullptr, 1, 0, 0, 0, 0, 1);
    EXPECT_TRUE(mail.HasFlag(kFlagHasLink));
    EXPECT_FALSE(mail.HasFlag(kFlagKeepLineBreak));
}

TEST_F(LineConversionTest, OnlyOutputTextIsConverted) {
    const std::string text = "See www.example.com";
    context.trackers.codeLocation = 2;
    EXPECT_EQ(Convert(text), text);
    context.trackers.codeLocation = 3;
    EXPECT_EQ(Convert(text, 2), text);
    set.ruleSetCode = 2;
    EXPECT_EQ(Convert(text), text);
    set.ruleSetCode = 0;

    // Contents lines of a contents list keep their words.
    set.preprocessor.inContentsList = 1;
    AnalysedLine line;
    line.Assign(text.c_str());
    line.lineType = 152;
    line.ConvertForOutput(set, nullptr, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(line.str(), text);
}

TEST_F(LineConversionTest, InlineTagsAreProtectedOnceTagsWereSeen) {
    const std::string text = "[[HYPERLINK www.example.com]]";
    EXPECT_NE(Convert(text), text);
    context.documentState.headingSwitches[DocumentState::kInlineTagsSeen] = 1;
    EXPECT_EQ(Convert(text), text);
}

TEST_F(LineConversionTest, OverstruckWordsAreJoined) {
    EXPECT_EQ(Convert("a B\bBO\bOL\bLD\bD W\bWO\bOR\bRD\bD b"), "a <STRONG>BOLD WORD</STRONG> b");
    EXPECT_EQ(Convert("B\bBO\bOL\bLD\bD W\bWO\bOR\bRD\bD", 1), "{\\b BOLD\\b0} {\\b WORD\\b0}");
}

TEST_F(LineConversionTest, EmphasisOnlyWhenAsked) {
    AnalysedLine line;
    line.Assign("a *bold* word");
    line.ConvertForOutput(set, nullptr, 1, 1, 0, 1, 1, 1);
    EXPECT_EQ(line.str(), "a *bold* word");
    line.ConvertForOutput(set, nullptr, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(line.str().find('*'), std::string::npos);
}

TEST_F(LineConversionTest, AddressesAndEmphasisAreFoundAtEveryPlaceOfTheText) {
    // The text is looked at sixteen bytes at a time and the rest byte by
    // byte: an address or an emphasis mark on either side of a block's edge
    // and in the rest is still found.
    for (size_t lead = 0; lead <= 40; ++lead) {
        const std::string pad(lead, 'x');
        EXPECT_NE(Convert(pad + " www.example.com").find("<A HREF"), std::string::npos) << lead;
        EXPECT_NE(Convert(pad + " alt.fan.vendrel").find("<A HREF"), std::string::npos) << lead;
        EXPECT_EQ(Convert(pad + " *bold* x").find('*'), std::string::npos) << lead;
        EXPECT_EQ(Convert(pad + " x *bold*").find('*'), std::string::npos) << lead;
    }
}

TEST_F(LineConversionTest, RtfLinksAreFieldsAndAreNotLinkedTwice) {
    const std::string out = Convert("See www.example.com now", 1);
    EXPECT_EQ(out.rfind("See {\\field{\\*\\fldinst {\\fs", 0), 0u);
    EXPECT_NE(out.find(" HYPERLINK http://www.example.com/ }"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 7), "}}} now");
    // The field's own text holds the address again; it is not linked again.
    EXPECT_EQ(out.find("HYPERLINK", out.find("HYPERLINK") + 1), std::string::npos);
    // A line ending in a field gets a blank.
    const std::string alone = Convert("www.example.com", 1);
    EXPECT_EQ(alone.substr(alone.size() - 4), "}}} ");

    set.SetInt(Pol::MakeWindowsHelpSource, 1);
    // Windows Help source opens web addresses through a macro.
    EXPECT_NE(Convert("See http://www.example.com/ now", 1).find("{\\v *!EF(`http://www.example.com/}"),
              std::string::npos);
}

TEST_F(LineConversionTest, VeryLongWordsNeverCrash) {
    const std::string longPath(100000, 'a');
    std::string out = Convert("See http://www.example.com/" + longPath + ".html now.");
    EXPECT_EQ(out.rfind("See <A HREF=\"http://www.example.com/aaaa", 0), 0u);
    EXPECT_EQ(out.substr(out.size() - 9), "</A> now.");

    out = Convert("http://www.example.com/" + std::string(100000, ')'));
    EXPECT_EQ(out.rfind("<A HREF=\"http://www.example.com/\">", 0), 0u);
    EXPECT_EQ(Convert(std::string(100000, '.')), std::string(100000, '.'));
    EXPECT_EQ(Convert("www." + std::string(100000, '<')).size(), 100004u);
    out = Convert(std::string(100000, 'x') + "@example.org");
    EXPECT_EQ(out.rfind("<A HREF=\"mailto:xxx", 0), 0u);
    out = Convert("http://www.example.com/" + longPath, 1);
    EXPECT_NE(out.find("HYPERLINK http://www.example.com/aaa"), std::string::npos);
}

TEST_F(LineConversionTest, SectionReferencesLinkToKnownHeadings) {
    AddHeadings();
    struct Case {
        const char* text;
        const char* html;
    };
    const Case cases[] = {
        {"see 2.2 for details", "see <A HREF=\"#Section_2.2\">2.2</A> for details"},
        {"(see 2.1.)", "(see <A HREF=\"#Section_2.1\">2.1</A>.)"},
        {"see 2.9", "see 2.9"},  // beyond the numbers of level 2
        {"see 1.2", "see 1.2"},  // within them, but no such heading
        {"see 3.1", "see 3.1"},  // beyond the numbers of level 1
        {"costs 22", "costs 22"},  // no '.'
        {"[[X 2.2]] and 2.1", "[[X 2.2]] and <A HREF=\"#Section_2.1\">2.1</A>"},
        // Deeper than six levels: no heading level, no table entry.
        {"1.1.1.1.1.1.", "1.1.1.1.1.1."},
        {"1.1.1.1.1.1.1.1", "1.1.1.1.1.1.1.1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Convert(c.text), c.html) << c.text;

    set.SetInt(Pol::CrossRefsAtLevel, 3);
    EXPECT_EQ(Convert("see 2.2"), "see 2.2");
    set.SetInt(Pol::CrossRefsAtLevel, 2);
    set.SetInt(Pol::ExpectNumberedHeadings, 0);
    EXPECT_EQ(Convert("see 2.2"), "see 2.2");
}

TEST_F(LineConversionTest, LineOfManySectionReferences) {
    // 100,000 references on one line, with protected stretches among them
    // and one at its end: every reference becomes a link and the stretches
    // stay as they were, in one pass over the line (a rebuild of the line at
    // every reference would take minutes).
    AddHeadings();
    constexpr int kReferences = 100000;
    std::string text, expected;
    for (int i = 0; i < kReferences; ++i) {
        text += "see 2.1 and ";
        expected += "see <A HREF=\"#Section_2.1\">2.1</A> and ";
        if (i % 10000 == 5000) {
            text += "[[X 2.2]] ";
            expected += "[[X 2.2]] ";
        }
    }
    text += "[[X 2.1]] 2.2";
    expected += "[[X 2.1]] <A HREF=\"#Section_2.2\">2.2</A>";
    EXPECT_TRUE(Convert(text) == expected) << "converted line of " << text.size() << " bytes differs";
}

TEST_F(LineConversionTest, SectionReferencesAcrossFilesAndInRtf) {
    context.documentState.outputFiles.Add("part1");
    AddHeadings();
    context.documentState.outputFiles.Add("part2");
    EXPECT_EQ(Convert("see 2.2"), "see <A HREF=\"part1.html#Section_2.2\">2.2</A>");

    const std::string rtf = Convert("see 2.2 now", 1);
    EXPECT_NE(rtf.find(" HYPERLINK  \\\\l \"Section_2_2\" }"), std::string::npos);
    EXPECT_EQ(rtf.substr(rtf.size() - 10), "2.2}}} now");
}

TEST_F(LineConversionTest, DeepHeadingNumbersAreCounted) {
    // Headings six levels deep make six-level references possible, and a
    // reference with a trailing separator one level deeper is still refused.
    AddHeading(101, "1 One", 1);
    AddHeading(102, "1.1 Two", 2);
    AddHeading(103, "1.1.1 Three", 3);
    AddHeading(104, "1.1.1.1 Four", 4);
    AddHeading(105, "1.1.1.1.1 Five", 5);
    AddHeading(106, "1.1.1.1.1.1 Six", 6);
    EXPECT_EQ(Convert("see 1.1.1.1.1.1"), "see <A HREF=\"#Section_1.1.1.1.1.1\">1.1.1.1.1.1</A>");
    EXPECT_EQ(Convert("see 1.1.1.1.1.1-"), "see 1.1.1.1.1.1-");
}

TEST_F(LineConversionTest, DirectiveLinesGetTheWordScanOnly) {
    AddHeadings();
    AnalysedLine source;
    source.firstPairPresent = 1;
    source.firstFind = std::make_unique<TextString>("old");
    source.firstReplacement = std::make_unique<TextString>("new");
    source.firstPairStart = 99;  // beyond the text: from its start

    AnalysedLine line;
    line.Assign("old 2.2 www.example.com old");
    line.ConvertForOutput(set, &source, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(line.str(),
              "new <A HREF=\"#Section_2.2\">2.2</A> <A HREF=\"http://www.example.com/\">www.example.com</A> old");

    AnalysedLine directive;
    directive.Assign("old 2.2 www.example.com old");
    directive.tagCode = 1005;
    directive.ConvertForOutput(set, &source, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(directive.str(), "old 2.2 <A HREF=\"http://www.example.com/\">www.example.com</A> old");
}

TEST_F(LineConversionTest, LinkDictionary) {
    set.AddLinkDefinition("Vendrel", "Vendrel", "http://vendrel.example/");
    const std::string plain = Convert("About Vendrel today");
    EXPECT_NE(plain.find("vendrel.example"), std::string::npos);
    EXPECT_EQ(plain.find("DUMMY"), std::string::npos);
    EXPECT_EQ(plain.rfind("About ", 0), 0u);

    AnalysedLine line;
    line.Assign("<B>x</B> uses Vendrel");
    line.ConvertForOutput(set, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_TRUE(line.HasFlag(kFlagHasLink));
    EXPECT_EQ(line.str().rfind("<B>x</B> uses ", 0), 0u);
    EXPECT_NE(line.str().find("vendrel.example"), std::string::npos);
    EXPECT_EQ(line.str().find("DUMMY"), std::string::npos);

    // The visible text of a link is not linked again.
    const std::string linked = "<A HREF=\"x.html\">Vendrel</A>";
    EXPECT_EQ(Convert(linked), linked);
    AnalysedLine nothing;
    nothing.Assign("<B>nothing</B> here");
    nothing.ConvertForOutput(set, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(nothing.str(), "<B>nothing</B> here");
    EXPECT_FALSE(nothing.HasFlag(kFlagHasLink));
}

// ---------------------------------------------------------------------------
// Heading anchor names

TEST(HeadingAnchors, NamesByHeadingType) {
    FC set;
    struct Case {
        int type;
        const char* text;
        const char* name;
    };
    const Case cases[] = {
        {101, "2.1 Setup", "Section_2.1"},
        {152, "3.2. Results", "Section_3.2"},
        {111, "My Heading: Intro?", "my_heading__intro_"},
        {131, "  == Caf&eacute;  Menu ==", "cafe_menu"},
        {-5, "Anything", ""},
        {111, "", ""},
    };
    for (const Case& c : cases) {
        TextString out("unset");
        GetHeadingLinkName(TextString(c.text), c.type, &set, 0, out);
        EXPECT_EQ(out.str(), c.name) << c.text;
    }
    TextString out;
    GetHeadingLinkName(TextString("Odd Type"), 7, &set, 0, out);
    EXPECT_EQ(out.str(), "Section_odd_type");

    const std::string longTitle(70, 'h');
    GetHeadingLinkName(TextString(longTitle.c_str()), 111, &set, 0, out);
    EXPECT_EQ(out.length, 40);
    EXPECT_EQ(out.str().substr(0, 32), std::string(30, 'h') + "__");
}

TEST(HeadingAnchors, NumberAfterAPrefix) {
    FC set;
    set.headingLevels[0].hasPrefix = 1;
    TextString out;
    GetHeadingLinkName(TextString("Chapter 3 Results"), 101, &set, 1, out);
    EXPECT_EQ(out.str(), "Section_3");
    GetHeadingLinkName(TextString("Chapter 3 Results"), 101, &set, 0, out);
    EXPECT_EQ(out.str(), "Section_Chapter");
    GetLineHeadingLinkName(nullptr, &set, 1, &out);
    EXPECT_EQ(out.str(), "");
}

// ---------------------------------------------------------------------------
// Navigation file names

class NavigationTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        for (const char* name : {"a", "b", "c"}) context.documentState.outputFiles.Add(name);
    }
    struct Names {
        std::string next, current, previous, first, contents;
        int index = 0;
    };
    Names Get(const char* file, int index = kLookUpNavigationFile, AnalysedLine* line = nullptr) {
        TextString next, current, previous, first, contents;
        Names names;
        names.index = index;
        GetNavigationFileNames(&set, TextString(file), line, names.index, next, current, previous, first, contents);
        names.next = next.str();
        names.current = current.str();
        names.previous = previous.str();
        names.first = first.str();
        names.contents = contents.str();
        return names;
    }
    Context context;
    FC set;
};

TEST_F(NavigationTest, NeighbouringFiles) {
    Names n = Get("b.part.html");
    EXPECT_EQ(n.index, 1);
    EXPECT_EQ(n.previous, "a.html");
    EXPECT_EQ(n.current, "b.html");
    EXPECT_EQ(n.next, "c.html");
    EXPECT_EQ(n.first, "a.html");
    EXPECT_EQ(n.contents, "a.html");

    n = Get("a");
    EXPECT_EQ(n.previous, "a.html");
    EXPECT_EQ(n.first, "a.html");
    n = Get("");  // the current output file: the last of the list
    EXPECT_EQ(n.current, "c.html");
    EXPECT_EQ(n.next, "c.html");
    n = Get("zzz", 0);  // an index given is used as it is
    EXPECT_EQ(n.current, "a.html");
}

// A run that writes its document as one file lists no output files: the
// document is every neighbour of itself, and nothing is missing.
TEST_F(NavigationTest, OneDocumentIsItsOwnNeighbour) {
    MessageRecorder messages(context);
    context.documentState.outputFiles.Clear();
    context.currentOutputFileName = "/out/table.html";
    for (const char* file : {"", "/out/table.html"}) {
        Names n = Get(file);
        EXPECT_EQ(n.index, -1);
        for (const std::string& name : {n.next, n.current, n.previous, n.first, n.contents})
            EXPECT_EQ(name, "table.html") << file;
    }
    set.SetInt(Pol::GenerateExternalContentsFile, 1);
    set.names.contentsFileName = "/out/contents.html";
    Names n = Get("");
    EXPECT_EQ(n.current, "table.html");
    EXPECT_EQ(n.first, "contents.html");
    EXPECT_EQ(messages.Count("PROGRAM ERROR"), 0);
}

TEST_F(NavigationTest, UnknownFilesAndIndexesOutsideTheList) {
    for (int index : {kLookUpNavigationFile, -1, 3, 70}) {
        Names n = Get("x.html", index);
        EXPECT_EQ(n.index, -1) << index;
        for (const std::string& name : {n.next, n.current, n.previous, n.first, n.contents})
            EXPECT_EQ(name, "x.html") << index;
    }
}

TEST_F(NavigationTest, ExternalContentsAndHeadingLinks) {
    set.SetInt(Pol::GenerateExternalContentsFile, 1);
    set.names.contentsFileName.Assign("out/contents_doc.html");
    EXPECT_EQ(Get("b").first, "contents_doc.html");
    set.SetInt(Pol::GenerateExternalContentsFile, 0);

    AnalysedLine heading;
    heading.Assign("2.1 Setup");
    heading.lineType = 102;
    EXPECT_EQ(Get("b", kLookUpNavigationFile, &heading).contents, "a.html#TOC_Section_2.1");
    AnalysedLine text;
    text.Assign("Just text");
    EXPECT_EQ(Get("b", kLookUpNavigationFile, &text).contents, "a.html");
}

}  // namespace
