#include "analysis/inline_tag_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/utilities.h"
#include "policies/fc.h"

namespace {

struct Recognised {
    bool ok = false;
    std::string name;
    std::vector<std::string> arguments;
    std::string error;
    int level = 0;
};

// All arguments of a normalised list, read back one by one.
std::vector<std::string> ArgumentsOf(FC& set, const TextString& arguments) {
    std::vector<std::string> out;
    TextString argument;
    for (int n = 1; GetTagArgument(set, arguments, n, argument); ++n) out.push_back(argument.str());
    return out;
}

Recognised Recognise(FC& set, const char* tag) {
    Recognised r;
    TextString name("junk"), arguments("junk"), error("junk");
    r.ok = RecogniseTag(set, TextString(tag), name, arguments, error, r.level);
    r.name = name.str();
    r.arguments = ArgumentsOf(set, arguments);
    r.error = error.str();
    return r;
}

using Args = std::vector<std::string>;

}  // namespace

TEST(InlineTagArgs, KnownTagNames) {
    for (const char* name : {"br", "Table_Layout", "VERSION", "toc", "DEBUG"})
        EXPECT_TRUE(IsKnownTagName(name)) << name;
    for (const char* name : {"BRR", "", "B", "BR!FONT", "!BR!", "BEGIN_TABLE"})
        EXPECT_FALSE(IsKnownTagName(name)) << name;
}

TEST(InlineTagArgs, RecognisesNamesAndArguments) {
    FC set;
    struct Case {
        const char* tag;
        const char* name;
        Args arguments;
    };
    const std::vector<Case> cases = {
        {"[[FONT 1, \"Times, Roman\", 12]]", "FONT", {"1", "Times, Roman", "12"}},
        {"[[TABLE_LAYOUT 3, 1, 20, 40]]", "TABLE_LAYOUT", {"3", "1", "20", "40"}},
        {"[[TABLE_LAYOUT 3,1,20]]", "TABLE_LAYOUT", {"3", "1", "20"}},
        // Without a comma outside quotes the blanks separate.
        {"[[TABLE_LAYOUT   3  1   20]]", "TABLE_LAYOUT", {"3", "1", "20"}},
        {"TABLE_LAYOUT 3, 1, 20", "TABLE_LAYOUT", {"3", "1", "20"}},
        {"$_$_TABLE_LAYOUT 2, 5, 9", "TABLE_LAYOUT", {"2", "5", "9"}},
        {"[[HEADING level=2]]", "HEADING", {"2"}},
        {"[[br]]", "br", {""}},
        {"[[TEXT \"say \"\"hi\"\"\"]]", "TEXT", {"say \"hi\""}},
        {"[[TEXT \"a=b\"]]", "TEXT", {"a=b"}},
    };
    for (const Case& c : cases) {
        const Recognised r = Recognise(set, c.tag);
        EXPECT_TRUE(r.ok) << c.tag << " " << r.error;
        EXPECT_EQ(r.name, c.name) << c.tag;
        EXPECT_EQ(r.arguments, c.arguments) << c.tag;
        EXPECT_EQ(r.level, -1) << c.tag;
        EXPECT_EQ(r.error, "") << c.tag;
    }
    // Raw HTML arguments are not normalised.
    TextString name, arguments, error;
    int level = 0;
    EXPECT_TRUE(RecogniseTag(set, TextString("[[HTML <b>x, y</b>]]"), name, arguments, error, level));
    EXPECT_EQ(arguments.str(), "<b>x, y</b>");
    EXPECT_EQ(level, -1);
}

TEST(InlineTagArgs, RefusesNestedAndUnknownTags) {
    FC set;
    const Recognised nested = Recognise(set, "[[a [[b]]");
    EXPECT_FALSE(nested.ok);
    EXPECT_EQ(nested.error, "Incomplete tag, or nested tag - \"[[a [[b]]\"");
    EXPECT_EQ(nested.level, 10);

    const Recognised unknown = Recognise(set, "[[BRR]]");
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.error, "Unrecognised tag \"BRR\" : [[BRR]]");
    EXPECT_EQ(unknown.level, 10);
    EXPECT_EQ(unknown.name, "BRR");  // the name is returned all the same
}

TEST(InlineTagArgs, TheTagNameGoesWhereverItStands) {
    FC set;
    struct Case {
        const char* text;
        const char* name;
        const char* out;
    };
    // The first byte left is the placeholder that the marker takes.
    const Case cases[] = {
        {"TEXT a, b", "TEXT", "|a|b"},
        {"text a, b", "TEXT", "|a|b"},  // another letter case
        {"x TEXT a", "TEXT", "||a"},  // not at the start: the first one goes
        {"TE a", "TEXT", "|E|a"},  // no whole name: the text stays
    };
    for (const Case& c : cases) {
        TextString text(c.text);
        ASSERT_TRUE(ParseTagArguments(set, text, c.name)) << c.text;
        EXPECT_EQ(text.str(), c.out) << c.text;
    }
}

TEST(InlineTagArgs, MarkerAvoidsCharactersOfTheText) {
    FC set;
    TextString text("TEXT a|b, c");
    ASSERT_TRUE(ParseTagArguments(set, text, "TEXT"));
    EXPECT_EQ(text.str(), "#a|b#c");
    EXPECT_EQ(ArgumentsOf(set, text), (Args{"a|b", "c"}));

    // No marker character free: the tag cannot be split.
    TextString full("TEXT |#?/\\+^&*=~");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ParseTagArguments(set, full, "TEXT"));
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("PROGRAM ERROR: Can't parse tag TEXT= |#?/\\+^&*=~"), std::string::npos) << shown;
}

TEST(InlineTagArgs, GetTagArgumentOutOfRange) {
    FC set;
    TextString arguments("|3||40");
    TextString out("junk");
    EXPECT_TRUE(GetTagArgument(set, arguments, 2, out));
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(GetTagArgument(set, arguments, 3, out));
    EXPECT_EQ(out.str(), "40");
    for (int n : {0, -1, 4, 100}) {
        out = "junk";
        EXPECT_FALSE(GetTagArgument(set, arguments, n, out)) << n;
        EXPECT_EQ(out.str(), "") << n;
    }
    out = "junk";
    EXPECT_FALSE(GetTagArgument(set, TextString(""), 1, out));
    EXPECT_EQ(out.str(), "");
}

TEST(InlineTagArgs, IntegerReader) {
    FC set;
    struct Case {
        const char* arguments;
        int n;
        bool ok;
        int value;
    };
    // clang-format off
    const Case cases[] = {
        {"|3|-20| 7 ", 1, true, 3},   {"|3|-20| 7 ", 2, true, -20}, {"|3|-20| 7 ", 3, true, 7},
        {"|3|-20| 7 ", 4, false, -1}, {"|three", 1, false, -1},     {"|", 1, false, -1},
        {"|size=12", 1, true, 12},    {"|12px", 1, false, -1},      {"|99999999999", 1, false, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        int value = 12345;
        EXPECT_EQ(TryGetTagInteger(set, TextString(c.arguments), c.n, value), c.ok) << c.arguments << " " << c.n;
        EXPECT_EQ(value, c.value) << c.arguments << " " << c.n;
    }
    int value = 0;
    EXPECT_TRUE(GetTagIntegerOrDefault(set, TextString("|x"), 1, value, 8));
    EXPECT_EQ(value, 8);
    EXPECT_TRUE(GetTagIntegerOrDefault(set, TextString("|4"), 1, value, 8));
    EXPECT_EQ(value, 4);
}

TEST(InlineTagArgs, StringReader) {
    FC set;
    TextString out("junk");
    EXPECT_TRUE(TryGetTagString(set, TextString("|Arial|say \"hi\"|a=b"), 2, out));
    EXPECT_EQ(out.str(), "say \"hi\"");
    EXPECT_TRUE(TryGetTagString(set, TextString("|Arial|say \"hi\"|a=b"), 3, out));
    EXPECT_EQ(out.str(), "a=b");
    EXPECT_FALSE(TryGetTagString(set, TextString("|Arial||x"), 2, out));
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(TryGetTagString(set, TextString("|Arial"), 2, out));
    EXPECT_TRUE(GetTagStringOrDefault(set, TextString("|Arial"), 2, out, "Times"));
    EXPECT_EQ(out.str(), "Times");
}

// ---------------------------------------------------------------------------

#include <cmath>

#include "context/context.h"
#include "foundation/pattern_rules.h"
#include "foundation/source_position.h"

namespace {

// Runs `body` and returns what it wrote to standard error (the messages a
// policy set without a context shows).
template <typename Body>
std::string StderrOf(Body body) {
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(InlineTagArgs, NamesAreRemovedWithoutRegardToCase) {
    FC set;
    // A directive keyword given in upper case is cut from a line written in
    // lower case, as it was recognised without regard to case.
    TextString directive("$_$_define_block Name, GLOBAL");
    ASSERT_TRUE(ParseTagArguments(set, directive, "DEFINE_BLOCK"));
    EXPECT_EQ(ArgumentsOf(set, directive), (Args{"Name", "GLOBAL"}));

    TextString tag("Text hello");
    ASSERT_TRUE(ParseTagArguments(set, tag, "TEXT"));
    EXPECT_EQ(ArgumentsOf(set, tag), (Args{"hello"}));

    const Recognised r = Recognise(set, "[[text TEXT]]");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.name, "text");
    EXPECT_EQ(r.arguments, (Args{"TEXT"}));
}

TEST(InlineTagArgs, UnterminatedAndDelimiterOnlyTagsAreRefusedQuietly) {
    FC set;
    for (const char* tag : {"[[", "]]", "[[]]", "[[BR", "[[[[]]]]", "", "   "}) {
        const Recognised r = Recognise(set, tag);
        EXPECT_FALSE(r.ok) << tag;
        EXPECT_EQ(r.level, 10) << tag;
    }
}

TEST(InlineTagArgs, CodeReaders) {
    FC set;
    using Reader = bool (*)(FC&, const TextString&, int, int&, bool, int);
    struct Case {
        Reader reader;
        const char* argument;
        bool hasDefault;
        bool ok;
        int value;
        const char* message;  // expected on standard error, "" for none
    };
    const Case cases[] = {
        {GetTagAlignment, "|L", false, true, 1, ""},
        {GetTagAlignment, "|centre", false, true, 2, ""},
        {GetTagAlignment, "|align=R", false, true, 3, ""},
        {GetTagAlignment, "|X", true, true, 2, "TAG ERROR: Bad alignment code 'X' using default value instead"},
        {GetTagAlignment, "|X", false, false, 0, "TAG ERROR: Bad alignment code 'X' "},
        {GetTagAlignment, "|", false, false, 0, ""},
        {GetTagAlignment, "|", true, true, 2, ""},
        {GetTagVerticalAlignment, "|B", false, true, 2, ""},
        {GetTagVerticalAlignment, "|c", false, true, 3, ""},
        {GetTagVerticalAlignment, "|L", false, false, 0, "TAG ERROR: Bad vertical alignment code 'L' "},
        {GetTagListStyle, "|P", false, true, 2, ""},
        {GetTagListStyle, "|Q", true, true, 2, "TAG ERROR: Bad list style code 'Q' using default value instead"},
    };
    for (const Case& c : cases) {
        int value = 99;
        bool ok = false;
        const std::string shown =
            StderrOf([&] { ok = c.reader(set, TextString(c.argument), 1, value, c.hasDefault, 2); });
        EXPECT_EQ(ok, c.ok) << c.argument;
        EXPECT_EQ(value, c.value) << c.argument;
        if (*c.message) {
            EXPECT_NE(shown.find(c.message), std::string::npos) << c.argument << ": " << shown;
        } else {
            EXPECT_EQ(shown, "") << c.argument;
        }
    }
    int value = 0;
    EXPECT_TRUE(TryGetTagAlignment(set, TextString("|x|C"), 2, value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(GetTagAlignmentOrDefault(set, TextString("|x"), 3, value, 4));
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(TryGetTagVerticalAlignment(set, TextString("|b"), 1, value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(GetTagListStyleOrDefault(set, TextString("|"), 1, value, 1));
    EXPECT_EQ(value, 1);
}

TEST(InlineTagArgs, RealReader) {
    FC set;
    const std::string huge = "|1" + std::string(400, '0');
    struct Case {
        std::string arguments;
        bool ok;
        double value;
    };
    // clang-format off
    const Case cases[] = {
        {"|2.5", true, 2.5},   {"|-1.25", true, -1.25}, {"|size= 7", true, 7.0}, {"|x", false, -1.0},
        {"|1e5", false, -1.0}, {"|1.2.3", false, -1.0}, {"|", false, -1.0},      {huge, false, -1.0},
    };
    // clang-format on
    for (const Case& c : cases) {
        double value = 123.0;
        EXPECT_EQ(GetTagReal(set, TextString(c.arguments.c_str()), 1, value, false, 0.0), c.ok) << c.arguments;
        EXPECT_DOUBLE_EQ(value, c.value) << c.arguments;
    }
    double value = 0;
    EXPECT_TRUE(GetTagRealOrDefault(set, TextString("|abc"), 1, value, 0.5));
    EXPECT_DOUBLE_EQ(value, 0.5);
}

// Plain tags (a name of letters, digits and underscores right after the
// delimiter) have their names read in place; every tag just off that form
// is named as before.
TEST(InlineTagArgs, RemovalNamesPlainTagsAsOthers) {
    FC set;
    struct Case {
        const char* keep;
        const char* text;
        const char* out;
        int kept;
    };
    const Case cases[] = {
        {nullptr, "[[VALIGN top]]a", "a", 0},
        {nullptr, "[[valign Top]]a", "a", 0},
        {nullptr, "[[VALIGN]]a", "a", 0},
        {nullptr, "[[VALIGN=top]]a[[VALIGN,top]]b", "ab", 0},
        {nullptr, "[[FONT  1]]a[[font 1,2]]b", "ab", 0},
        {nullptr, "[[ VALIGN top]]a[[  VALIGN]]b", "ab", 0},
        {nullptr, "[[VALIGN\ttop]]a", "[[VALIGN\ttop]]a", 1},
        {nullptr, "[[VALIGNS top]]a[[VALIG]]b[[V_2 x]]c", "[[VALIGNS top]]a[[VALIG]]b[[V_2 x]]c", 3},
        {nullptr, "[[VALIGN-top]]a[[=VALIGN]]b[[]]c", "[[VALIGN-top]]a[[=VALIGN]]b[[]]c", 3},
        {nullptr, "[[VALIGN [[FONT 1]] top]]a", "[[VALIGN [[FONT 1]] top]]a", 1},
        {nullptr, "[[VALIGN [[x]]a[[FONT]]", "[[VALIGN [[x]]a", 1},
        {"VALIGN", "[[VALIGN top]]a[[NB]]b[[valign]]", "[[VALIGN top]]ab[[valign]]", 2},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        EXPECT_EQ(RemoveTags(set, "[[", "]]", c.keep, c.keep ? nullptr : "VALIGN,FONT", TextString(c.text), out),
                  c.kept)
            << c.text;
        EXPECT_EQ(out.str(), c.out) << c.text;
    }
    // A text holding a NUL byte is read as far as a copy of it reaches.
    TextString withNul;
    withNul.AssignChars("[[VALIGN\0 x]]a", 14);
    TextString out;
    EXPECT_EQ(RemoveTags(set, "[[", "]]", nullptr, "VALIGN", withNul, out), 0);
    EXPECT_EQ(out.str(), "[[VALIGN");
}

// Plain argument lists are split in place; the result is the full
// reading's for them and for lists just off that form.
TEST(InlineTagArgs, PlainArgumentsSplitAsTheFullReading) {
    FC set;
    const char* const texts[] = {" top",  " a, b ",  " a b",    " a  b ",   " a b,c", " , ,",  " a,",
                                 "x",     " ",       " a=b",    " \"a b\"", " a|b",   " a\tb", " a , b c",
                                 " a,,b", "  top  ", " x=1, y", "|top",     ",top",   ""};
    for (const char* text : texts) {
        TextString expected(text);
        expected.CollapseBlanks();
        TextString split;
        ASSERT_TRUE(SplitAtSeparators(&expected, ", ", 1, &split)) << text;
        TextString parsed(text);
        ASSERT_TRUE(ParseTagArguments(set, parsed, nullptr)) << text;
        EXPECT_EQ(parsed.str(), split.str()) << text;
    }
}

// Reading a tag without the error text, the arguments of unknown names
// left unread, gives the full recognition's outcome and name, and its
// arguments wherever the tag is recognised; the error composed afterwards is
// the full recognition's.  The tags are plain and just off plain, under the
// usual delimiters and under delimiters a policy sets.
TEST(InlineTagArgs, ReadingATagAgreesWithRecognisingIt) {
    struct Delimiters {
        const char* start;
        const char* end;
    };
    const Delimiters delimiterSets[] = {{"[[", "]]"}, {"<<", ">>"}, {"{", "}"}, {"q(", ")q"}, {"[ ", " ]"}};
    // Tags as written with "[[" and "]]"; the delimiters are swapped in.
    const char* const bodies[] = {"VALIGN top",
                                  "valign Top",
                                  "VALIGN",
                                  "QA",
                                  "ZZ 0",
                                  "X",
                                  "FONT 1, Arial, 12",
                                  "font 2",
                                  "BR",
                                  "br",
                                  "SUPER 2",
                                  "HTML <b>x</b>",
                                  "html_comment x",
                                  "CAD",
                                  "FOLIO 1, 2",
                                  "QUAD C",
                                  "VALIGN\ttop",
                                  "VALIGN  top ",
                                  " VALIGN top",
                                  "VALIGN=top",
                                  "VALIGN,top",
                                  "VALIGN|top",
                                  "Q|#?/\\+^&*=~",
                                  "NB|#?/\\+^&*=~",
                                  "V_2 x",
                                  "VALIGN-top",
                                  "=VALIGN",
                                  "",
                                  "VALIGN [[x",
                                  "FONT [[x",
                                  "HEADING_KEYPHRASES a",
                                  "HEADING_KEYPHRASESS a",
                                  "TOC",
                                  "toc"};
    for (const Delimiters& delimiters : delimiterSets) {
        FC set;
        set.SetText(Pol::StartTagDelimiter, delimiters.start);
        set.SetText(Pol::EndTagDelimiter, delimiters.end);
        for (const char* body : bodies) {
            std::string inner = body;
            const size_t nested = inner.find("[[");
            if (nested != std::string::npos) inner.replace(nested, 2, delimiters.start);
            const std::string text = std::string(delimiters.start) + inner + delimiters.end;
            const TextString tag(text);
            TextString name, arguments, error;
            int level = 0;
            const bool recognised = RecogniseTag(set, tag, name, arguments, error, level);
            for (const UnknownTagArguments unknown :
                 {UnknownTagArguments::kRead, UnknownTagArguments::kLeftUnread}) {
                TextString readName("junk"), readArguments("junk"), readError("junk");
                int readLevel = 0;
                const TagReading reading = ReadTag(set, tag, readName, readArguments, unknown);
                EXPECT_EQ(reading == TagReading::kRecognised, recognised) << text;
                EXPECT_EQ(readName.str(), name.str()) << text;
                if (recognised || unknown == UnknownTagArguments::kRead) {
                    EXPECT_EQ(readArguments.str(), arguments.str()) << text;
                }
                DescribeTagReading(reading, readName, tag, readError, readLevel);
                EXPECT_EQ(readError.str(), error.str()) << text;
                EXPECT_EQ(readLevel, level) << text;
                TextString appended("before");
                AppendTagReadingError(reading, readName, tag, "; ", appended);
                EXPECT_EQ(appended.str(), "before; " + error.str()) << text;
            }
        }
    }
}

// The error text of a reading, appended after a prefix: short texts and
// texts longer than any put together at once.
TEST(InlineTagArgs, AppendsTheErrorTextOfAReading) {
    const std::string longTag = "[[ZZ " + std::string(400, 'x') + "]]";
    struct Case {
        TagReading reading;
        std::string name;
        std::string tag;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {TagReading::kRecognised, "BR", "[[BR]]", "m\nTAG ERROR: "},
        {TagReading::kUnknownName, "ZZ", "[[ZZ 1]]", "m\nTAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ 1]]"},
        {TagReading::kUnknownName, "ZZ", longTag, "m\nTAG ERROR: Unrecognised tag \"ZZ\" : " + longTag},
        {TagReading::kNestedOrIncomplete, "", "[[A [[B]]",
         "m\nTAG ERROR: Incomplete tag, or nested tag - \"[[A [[B]]\""},
        {TagReading::kUnparsable, "NB", longTag, "m\nTAG ERROR: Can't parse tag \"" + longTag + "\""},
    };
    for (const Case& c : cases) {
        TextString out("m");
        AppendTagReadingError(c.reading, TextString(c.name), TextString(c.tag), "\nTAG ERROR: ", out);
        EXPECT_EQ(out.str(), c.expected) << c.tag;
    }
}

TEST(InlineTagArgs, RemovesTags) {
    FC set;
    struct Case {
        const char* start;
        const char* end;
        const char* keep;
        const char* remove;
        const char* text;
        const char* out;
        int kept;
    };
    const Case cases[] = {
        {"<", ">", "B", nullptr, "<B>bold</B> <I>it</I>", "<B>bold</B> it", 2},
        {"<", ">", nullptr, "i", "<B>bold</B> <I>it</I>", "<B>bold</B> it", 2},
        {"<", ">", "A", nullptr, "see <A HREF=\"x\">here</A>.", "see <A HREF=\"x\">here</A>.", 2},
        // A keep list wins over a remove list.
        {"<", ">", "B", "B", "<B>x</B><I>y</I>", "<B>x</B>y", 2},
        {"[[", "]]", nullptr, nullptr, "a [[BR]] b [[FONT 1, x]]c", "a  b c", 0},
        {"[[", "]]", "font", nullptr, "a [[BR]] b [[FONT 1, x]]c", "a  b [[FONT 1, x]]c", 1},
        // An end delimiter before the next start delimiter is passed over.
        {"[[", "]]", nullptr, nullptr, "]] x [[BR]] y", "]] x  y", 0},
        {"[[", "]]", nullptr, nullptr, "a [[BR", "a [[BR", 0},
        {"[[", "]]", nullptr, nullptr, "[[[[]]]]", "]]", 0},
        {"[[", "]]", nullptr, nullptr, "[[]][[]]", "", 0},
        // A list names a tag by a whole item, in any letter case, wherever
        // the item stands in it; a part of an item names nothing.
        {"[[", "]]", nullptr, "LEADING,WS", "[[ws 2]]a[[Leading]]b[[EXTRA_LEADING]]c", "ab[[EXTRA_LEADING]]c", 1},
        {"[[", "]]", nullptr, "EXTRA_LEADING,FONT", "[[FONTS]]a[[LEADING]]b[[font 1]]", "[[FONTS]]a[[LEADING]]b", 2},
        {"[[", "]]", "NB", nullptr, "[[NB]][[NBX]][[N]]", "[[NB]]", 1},
        // A name that opens with a comma spans the items it holds.
        {"[[", "]]", nullptr, "A,,X", "[[,x]]y[[,y]]", "y[[,y]]", 1},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        EXPECT_EQ(RemoveTags(set, c.start, c.end, c.keep, c.remove, TextString(c.text), out), c.kept) << c.text;
        EXPECT_EQ(out.str(), c.out) << c.text;
    }
    TextString out;
    EXPECT_EQ(RemoveInLineTags(set, "TEXT", nullptr, TextString("[[TEXT a]] [[NB]]"), out), 1);
    EXPECT_EQ(out.str(), "[[TEXT a]] ");
    // The text may be the output too.
    TextString same("x [[BR]] y");
    RemoveInLineTags(set, nullptr, nullptr, same, same);
    EXPECT_EQ(same.str(), "x  y");
}

class PageScopeTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 1;
        context.trackers.input.position = SourcePosition(0, 20);
    }
    struct Result {
        bool ok = false;
        int pageScope = -9, global = -9, level = -9;
        SourcePosition from;
        std::string error;
    };
    Result Parse(const char* words) {
        Result r;
        TextString text(words);
        TextString error("junk");
        r.ok = ParsePageScope(set, text, r.from, r.pageScope, r.global, error, r.level);
        r.error = error.str();
        return r;
    }
    Context context;
    FC set;
};

TEST_F(PageScopeTest, ReadsScopeWords) {
    struct Case {
        const char* words;
        bool ok;
        int pageScope, global;
        const char* error;
    };
    const Case cases[] = {
        {"", true, 0, 1, ""},
        {"ALL_PAGES", true, 0, 1, ""},
        {"odd_pages_only", true, 1, 1, ""},
        {"  EVEN_PAGES_ONLY    FROM_NEXT_FOLIO ", true, 2, 0, ""},
        {"GLOBAL, EVEN_PAGES_ONLY,", true, 2, 1, ""},
        {"ALL_PAGES, ODD_PAGES_ONLY", false, 0, 1, "TAG ERROR: Page scope conflict \"ODD_PAGES_ONLY\""},
        {"GLOBAL FROM_NEXT_FOLIO", false, 0, 1, "TAG ERROR: Folio scope conflict \"FROM_NEXT_FOLIO\""},
        // After the first fault every further word is unknown.
        {"bogus, ALL_PAGES", false, 0, 1,
         "TAG ERROR: Unknown scope attribute \"BOGUS\"\n           TAG ERROR: Unknown scope attribute "
         "\"ALL_PAGES\""},
    };
    for (const Case& c : cases) {
        const Result r = Parse(c.words);
        EXPECT_EQ(r.ok, c.ok) << c.words;
        EXPECT_EQ(r.pageScope, c.pageScope) << c.words;
        EXPECT_EQ(r.global, c.global) << c.words;
        EXPECT_EQ(r.error, c.error) << c.words;
        EXPECT_EQ(r.level, c.ok ? -1 : 10) << c.words;
        if (c.ok) {
            EXPECT_EQ(r.from.Compare(SourcePosition(0, 21)), 0) << c.words;
        }
    }
}

TEST_F(PageScopeTest, FromLastFolioGoesBackToTheLastFolioTag) {
    Result r = Parse("FROM_LAST_FOLIO");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.global, 0);
    EXPECT_EQ(r.from.Compare(SourcePosition(0, 1)), 0);

    TagList& tags = context.documentState.tags;
    tags.Add(&set, "FOLIO", "", 0, SourcePosition(0, 5));
    tags.Add(&set, "QUAD", "", 0, SourcePosition(0, 7));
    tags.Add(&set, "folio", "", 0, SourcePosition(0, 9));
    tags.Add(&set, "FOLIO", "", 0, SourcePosition(0, 30));
    r = Parse("FROM_LAST_FOLIO, ODD_PAGES_ONLY");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.pageScope, 1);
    EXPECT_EQ(r.from.Compare(SourcePosition(0, 9)), 0);
}

TEST(InlineTagArgs, TaggedTextRuleBlanksTags) {
    FC set;
    TextString pattern;
    AppendPatternLiteral(&pattern, "[[");
    pattern.Append("**");
    AppendPatternLiteral(&pattern, "]]");

    PatternRewriter rewriter;
    ASSERT_NE(
        rewriter.AddCallbackRule(kRuleRewriteCallback, pattern.buffer, nullptr, 0, ConvertTaggedTextRule, &set),
        nullptr);
    rewriter.Apply("Intro [[FONT 1, Arial]]text [[BR]]end [[CAD x]]");
    TextString out;
    rewriter.GetResult(&out);
    // CAD has no executor and stays as written.
    EXPECT_EQ(out.str(), "Intro  text  end [[CAD x]]");
}

TEST(InlineTagArgs, RawArgumentTextKeepsWhatTheListWouldLose) {
    struct Case {
        const char* start;  // the tag delimiters
        const char* end;
        const char* tag;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"[[", "]]", "[[TEXT Hello, world]]", "Hello, world"},
        {"[[", "]]", "[[TEXT   runs  of blanks ]]", "  runs  of blanks "},
        {"[[", "]]", "[[TEXT \"quoted, kept\", next]]", "\"quoted, kept\", next"},
        {"[[", "]]", "[[TEXT\tafter a tab]]", "after a tab"},
        {"[[", "]]", "[[TEXT]]", ""},
        {"<<", ">>", "<<TEXT a, b>>", "a, b"},
        {"<<", ">>", "<<TEXT a]]>>", "a]]"},
    };
    for (const Case& c : cases) {
        FC set;
        set.SetText(Pol::StartTagDelimiter, c.start);
        set.SetText(Pol::EndTagDelimiter, c.end);
        EXPECT_EQ(RawTagArgumentText(set, TextString(c.tag), TextString("TEXT")).str(), c.expected) << c.tag;
    }
}
