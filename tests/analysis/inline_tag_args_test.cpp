#include "analysis/inline_tag_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    const Case cases[] = {
        {"|3|-20| 7 ", 1, true, 3},   {"|3|-20| 7 ", 2, true, -20}, {"|3|-20| 7 ", 3, true, 7},
        {"|3|-20| 7 ", 4, false, -1}, {"|three", 1, false, -1},     {"|", 1, false, -1},
        {"|size=12", 1, true, 12},    {"|12px", 1, false, -1},      {"|99999999999", 1, false, -1},
    };
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
