#include "analysis/recognisers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

struct DomainCase {
    const char* word;
    int mode;
    bool accepted;
    const char* host;  // expected host text; null: the word itself
    int rewritten;
};

bool CheckDomain(const char* word, int mode, TextString& host, int& rewritten) {
    return IsDomainName(word, static_cast<int>(std::strlen(word)), mode, host, rewritten);
}

TEST(RecognisersTest, DomainNamesAndAddresses) {
    const DomainCase cases[] = {
        {"www.example.com", kDomainWeb, true, nullptr, 0},
        {"john@example.co.uk", kDomainWeb, true, nullptr, 0},
        {"https://user@secure.example.net:443/a?b=c", kDomainHttps, true, nullptr, 0},
        {"ftp://ftp.example.museum/pub/", kDomainFtp, true, nullptr, 0},
        {"mailto:john@example.DE", kDomainWeb, true, nullptr, 0},
        {"\"www.example.com\"\xE9", kDomainWeb, true, nullptr, 0},
        {"example.de", kDomainEmail, true, nullptr, 0},
        {"john@example.de", kDomainEmail, false, nullptr, 0},  // no user part in this mode
        {"readme.txt", kDomainWeb, false, nullptr, 0},
        {"x.uk", kDomainWeb, false, nullptr, 0},  // too short
        {"x..com", kDomainWeb, false, nullptr, 0},
        {"www.ex ample.com", kDomainWeb, false, nullptr, 0},
        {"http://", kDomainWeb, false, nullptr, 0},
        {"192.168.1.1", kDomainWeb, true, nullptr, 0},
        {"0300.0250.1.010", kDomainWeb, true, "192.168.1.8", 1},  // octal parts
        {"256.1.1.1", kDomainWeb, false, nullptr, 0},
        {"09.1.1.1", kDomainWeb, false, nullptr, 0},
        {"1.2.3.", kDomainWeb, false, nullptr, 0},
        {"3232235777", kDomainWeb, true, "192.168.1.1", 0},
        {"16777215", kDomainWeb, false, nullptr, 0},  // first byte 0
        {"4311810305", kDomainWeb, false, nullptr, 0},  // 2^32 + 1.1.1.1 is not folded
        {"99999999999999999999999", kDomainWeb, false, nullptr, 0},
        {"www.%65xample.com", kDomainWeb, true, "www.example.com", 1},
    };
    for (const DomainCase& c : cases) {
        TextString host("old");
        int rewritten = -1;
        EXPECT_EQ(CheckDomain(c.word, c.mode, host, rewritten), c.accepted) << c.word;
        if (!c.accepted) continue;
        EXPECT_EQ(host.str(), std::string(c.host ? c.host : c.word)) << c.word;
        EXPECT_EQ(rewritten, c.rewritten) << c.word;
    }
}

TEST(RecognisersTest, DomainNameReadsOnlyItsLengthAndSurvivesOddWords) {
    TextString host;
    int rewritten = 0;
    EXPECT_TRUE(IsDomainName("www.example.com and more", 15, kDomainWeb, host, rewritten));
    EXPECT_EQ(host.str(), "www.example.com");
    EXPECT_FALSE(IsDomainName("www.example.com", 13, kDomainWeb, host, rewritten));  // "www.example.c"
    EXPECT_FALSE(IsDomainName(nullptr, 20, kDomainWeb, host, rewritten));
    for (char fill : {'.', '1', '/', ':', '@', '%', '"'})
        EXPECT_FALSE(CheckDomain(std::string(10000, fill).c_str(), kDomainWeb, host, rewritten)) << fill;
    EXPECT_TRUE(CheckDomain((std::string(5000, 'a') + ".com").c_str(), kDomainWeb, host, rewritten));
}

TEST(RecognisersTest, DomainLists) {
    EXPECT_EQ(GetGenericDomainList().str(),
              ".arpa.com.edu.gov.int.mil.net.org.firm.shop.web.arts.rec.info.nom.biz.name.pro.museum.coop.aero.");
    const std::string countries = GetCountryDomainList().str();
    ASSERT_EQ(countries.size(), 239u * 3 + 1);
    for (size_t i = 0; i + 1 < countries.size(); i += 3) {
        EXPECT_EQ(countries[i], '.');
        EXPECT_TRUE(IsAsciiLower(static_cast<unsigned char>(countries[i + 1])));
        EXPECT_TRUE(IsAsciiLower(static_cast<unsigned char>(countries[i + 2])));
    }
    EXPECT_STREQ(GetSecondLevelLabels(), ".ac.co.or.ltd.");

    for (const char* label : {"com", "AERO", "uk", "De", "zw", "co", "tp"})
        EXPECT_TRUE(IsTopLevelDomainLabel(label, static_cast<int>(std::strlen(label)))) << label;
    for (const char* label : {"txt", "xx", "ltd", "c", "com.edu", ""})
        EXPECT_FALSE(IsTopLevelDomainLabel(label, static_cast<int>(std::strlen(label)))) << label;
}

TEST(RecognisersTest, FormatNumericAddress) {
    const struct {
        int64_t number;
        const char* text;  // null: refused
    } cases[] = {
        {16777216, "1.0.0.0"},
        {3232235777LL, "192.168.1.1"},
        {4294967295LL, "255.255.255.255"},
        {16777215, nullptr},
        {-1, nullptr},
        {4294967296LL, nullptr},  // 2^32 is not folded
        {8589934591LL, nullptr},
    };
    for (const auto& c : cases) {
        TextString text("unchanged");
        EXPECT_EQ(FormatNumericAddress(c.number, text), c.text != nullptr) << c.number;
        EXPECT_EQ(text.str(), c.text ? c.text : "unchanged") << c.number;
    }
}

TEST(RecognisersTest, CodeLines) {
    const struct {
        const char* text;
        bool basic;
        bool extended;
    } cases[] = {
        {"int count;", true, true},
        {"  RETURN;", true, true},
        {"printf(\"x\");", true, true},
        {"i++;", true, true},
        {"x = y;", true, true},
        {"class Foo;", false, true},
        {"The end;", false, true},
        {"x = 5", false, false},
        {"Hello world.", false, false},
        {"   ", false, false},
        {"IF (x) y", true, true},
        {"a == b", true, true},
        {"a === b", false, false},
        {"   }   ", true, true},
        {"case 1:", true, true},
        {"Note:", false, false},
        {"#include &lt;a.h&gt;", true, true},
        {"#define MAX 10", true, true},
        {"#1 priority", false, false},
        {"# while (x)", true, true},
        {"see http://a.com", false, false},
        {"x // y", true, true},
        {"/* block */", true, true},
        {"a/b", false, false},
        {"Fish &amp; chips &amp;", false, false},
        {"less &lt;", false, false},
        {"foo(bar)", false, true},
        {"public void run", false, true},
        {"a >= b", false, true},
        {"std::string name", false, true},
        {"p-&gt;next", false, true},
        {"a &amp;&amp; b", false, true},
        {"char *p", false, true},
        {"\t x = y;\t ", true, true},
        {"\tfoo(bar) \t", false, true},
        {"Name   Date  Amount", false, false},
        {"  a.b,c", false, false},
        {"\t#\t", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsCodeLine(TextString(c.text), 0), c.basic) << "basic: " << c.text;
        EXPECT_EQ(IsCodeLine(TextString(c.text), 1), c.extended) << "extended: " << c.text;
    }
    for (char fill : {'/', ';', '&', '#', '*', '=', ':'}) {
        TextString text(std::string(10000, fill));
        IsCodeLine(text, 1);
    }
}

// The quick code-line test looks for '(', '=' and '/' sixteen bytes at a
// time: one of them at every place around the block edges is found, and
// none after a NUL byte (which ends the text as a copy would end it).
TEST(RecognisersTest, CodeLinePunctuationAtEveryPlace) {
    for (int length : {1, 2, 15, 16, 17, 31, 32, 33, 40}) {
        for (int at = 0; at < length; ++at) {
            for (const char* mark : {"(", "=", "/"}) {
                std::string line(static_cast<size_t>(length), 'a');
                line[static_cast<size_t>(at)] = mark[0];
                // "a(a" is no code but "aif (a" is, as are "a==a" and "a//a".
                std::string code = line;
                code.insert(static_cast<size_t>(at), mark[0] == '(' ? "if " : mark[0] == '=' ? "=" : "/");
                EXPECT_TRUE(IsCodeLine(TextString(code), 0)) << code;
                std::string hidden = line;
                hidden.insert(static_cast<size_t>(at), 1, '\0');
                EXPECT_FALSE(IsCodeLine(TextString(std::string_view(hidden.data(), hidden.size())), 0))
                    << length << ' ' << at;
            }
        }
    }
}

class RecognisersContextTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        messages = std::make_unique<MessageRecorder>(context);
    }
};

TEST_F(RecognisersContextTest, TaggedTypes) {
    for (int type : {-4, -1, 0, 1, 101, 235, 1000}) EXPECT_FALSE(IsTaggedType(&set, type)) << type;
    for (int type : {1001, 1012, 1034}) EXPECT_TRUE(IsTaggedType(&set, type)) << type;
    EXPECT_TRUE(messages->Messages().empty());
    EXPECT_TRUE(IsTaggedType(&set, 1035));
    ASSERT_EQ(messages->Messages().size(), 1u);
    EXPECT_EQ(messages->Messages()[0], "UNSUPPORTED CASE: Probably tagged type in IsTaggedType");
    EXPECT_TRUE(IsTaggedType(nullptr, 2000));
}

TEST_F(RecognisersContextTest, CapitalisedLeadIns) {
    const struct {
        const char* line;
        const char* leadIn;  // null: none
    } cases[] = {
        {"IMPORTANT NOTE. This is it", "IMPORTANT NOTE."},
        {"WARNINGSIGNALS everywhere", "WARNINGSIGNALS"},
        {"12345 67890 1<B>bold</B>", "12345 67890"},
        {"NOTE: see below", nullptr},  // too short
        {"'QUOTED TEXT HERE' and", nullptr},
        {"ALLCAPSWORDWITHOUTANYBREAK", nullptr},
        {"1234 5678 9012 3456 x", nullptr},  // no capital and not before markup
        {"", nullptr},
    };
    for (const auto& c : cases) {
        TextString leadIn("unchanged");
        EXPECT_EQ(FindCapitalisedLeadIn(&set, TextString(c.line), leadIn), c.leadIn != nullptr) << c.line;
        EXPECT_EQ(leadIn.str(), c.leadIn ? c.leadIn : "unchanged") << c.line;
    }
}

TEST_F(RecognisersContextTest, DataValues) {
    const struct {
        const char* text;
        int kind;
        int specialKind;  // under the special rule sets
    } cases[] = {
        {"$12.50", kValueCurrency, kValueCurrency},
        {"\xA3"
         "12",
         kValueCurrency, kValueCurrency},
        {"12/25/2003", kValueDate, kValueDate},
        {"12:30", kValueTime, kValueTime},
        {"1:2:3:4", kValueText, kValueText},
        {"45%", kValueNumber, kValueNumber},
        {"1,234.56", kValueNumber, kValueNumber},
        {"(1,234)", kValueNumber, kValueNumber},
        {"1234a", kValueNumber, kValueText},
        {"abc123", kValueText, kValueText},
        {"1/2", kValueOneSlash, kValueText},
        {"12/34", kValueOneSlash, kValueOneSlash},
        {"1/2/3/4", kValueText, kValueText},
        {"12:30/1", kValueText, kValueText},
        {"$5:00", kValueText, kValueText},
        {"$1/2", kValueText, kValueText},
        {"12$/50", kValueCurrencyOneSlash, kValueCurrencyOneSlash},
        {"1$/2", kValueText, kValueText},  // neither mostly numeric nor longer than 4
        {"+12 )", kValueText, kValueNumber},
        {"*.5", kValueNumber, kValueNumber},
    };
    for (const auto& c : cases) {
        set.ruleSetCode = 0;
        EXPECT_EQ(ClassifyDataValue(&set, 9, TextString(c.text)), c.kind) << c.text;
        set.ruleSetCode = 2;
        EXPECT_EQ(ClassifyDataValue(&set, 9, TextString(c.text)), c.specialKind) << "special: " << c.text;
    }
    set.ruleSetCode = 0;
    EXPECT_EQ(ClassifyDataValue(&set, 9, TextString("")), 9);
    EXPECT_EQ(ClassifyDataValue(nullptr, 1, TextString(std::string(10000, '7'))), kValueNumber);
}

// The early-ending number test agrees with the full classification on every
// short value made of the bytes that matter to it (digits, signs, currency,
// separators, blanks, a letter), under both kinds of rule set, and on longer
// values near the share thresholds.
TEST_F(RecognisersContextTest, NumberTestAgreesWithClassification) {
    const std::string alphabet = std::string("0.,-/:$%*() +a") + '\xA3';
    const int base = static_cast<int>(alphabet.size());
    for (int rules : {0, 1}) {
        set.ruleSetCode = rules;
        for (int length = 0; length <= 4; ++length) {
            int combinations = 1;
            for (int k = 0; k < length; ++k) combinations *= base;
            for (int n = 0; n < combinations; ++n) {
                std::string value;
                for (int k = 0, rest = n; k < length; ++k, rest /= base) value += alphabet[rest % base];
                const bool expected = ClassifyDataValue(&set, 1, TextString(value.c_str())) == kValueNumber;
                ASSERT_EQ(IsNumberValue(&set, value.data(), length), expected) << rules << " \"" << value << '"';
            }
        }
        for (const char* value : {"12345abcd", "1234abc", "123456789a", "1234567890123456789a", "a1234567",
                                  "..........a", "12345 678 x", "Bartholomew Smith-Barnes", "1994-02-28"}) {
            const bool expected = ClassifyDataValue(&set, 1, TextString(value)) == kValueNumber;
            EXPECT_EQ(IsNumberValue(&set, value, static_cast<int>(std::strlen(value))), expected) << rules << value;
        }
    }
    set.ruleSetCode = 0;
    EXPECT_FALSE(IsNumberValue(&set, "", 0));
    EXPECT_TRUE(IsNumberValue(nullptr, std::string(10000, '7').data(), 10000));
}

TEST(RecognisersTest, BlankColumns) {
    const struct {
        const char* first;
        const char* second;
        int runs;
        double ratio;
    } cases[] = {
        {"a  b  c", "x  y  z", 2, 1.0},
        {"a    b", "x  y  ", 1, 2.0},  // columns 2 and 4 shared, 3 not
        {"a  b", "abcd", 1, 0.0},
        {"a b c", "a b c", 2, 0.0},  // single blanks share nothing
        {"abc", "a b", 0, 0.0},
        {"a   b", "a ", 1, 0.0},  // the shorter text ends the walk
        {"\t\ta b\t \tc", "\t  b \t\t ", 3, 1.0},  // tabs are blanks; runs at the start count
        {"a  ", "b  ", 1, 1.0},
        {"", "  ", 0, 0.0},
    };
    for (const auto& c : cases) {
        double ratio = -1;
        int runs = -1;
        double result = CompareBlankColumns(TextString(c.first), TextString(c.second), ratio, runs);
        EXPECT_EQ(runs, c.runs) << c.first;
        EXPECT_DOUBLE_EQ(ratio, c.ratio) << c.first;
        EXPECT_DOUBLE_EQ(result, ratio) << c.first;
    }
}

// Long texts are compared sixteen columns at a time: runs that cross the
// edges of those groups, texts of every length around them and one text
// shorter than the other give the counts of a column-by-column reading.
TEST(RecognisersTest, BlankColumnsOfLongTexts) {
    auto reading = [](const std::string& a, const std::string& b, int& runs) {
        const size_t n = std::min(a.size(), b.size());
        int shared = 0;
        runs = 0;
        for (size_t i = 0; i < n; ++i) {
            const bool blank = a[i] == ' ' || a[i] == '\t';
            const bool before = i > 0 && (a[i - 1] == ' ' || a[i - 1] == '\t');
            if (blank && !before) ++runs;
            if (blank && before && (b[i] == ' ' || b[i] == '\t')) ++shared;
        }
        return runs > 0 ? static_cast<double>(shared) / runs : 0.0;
    };
    unsigned seed = 7;
    auto next = [&]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int length : {15, 16, 17, 31, 32, 33, 47, 48, 64, 100, 4095, 4096, 4100}) {
        for (int trial = 0; trial < 20; ++trial) {
            std::string a, b;
            for (int k = 0; k < length; ++k) a += " \t  xy"[next() % 6];
            for (int k = 0; k < length + static_cast<int>(next() % 3) - 1; ++k) b += "  \txy"[next() % 5];
            int expectedRuns = 0;
            const double expected = reading(a, b, expectedRuns);
            double ratio = -1;
            int runs = -1;
            CompareBlankColumns(TextString(a.c_str()), TextString(b.c_str()), ratio, runs);
            EXPECT_EQ(runs, expectedRuns) << '"' << a << "\" \"" << b << '"';
            EXPECT_DOUBLE_EQ(ratio, expected) << '"' << a << "\" \"" << b << '"';
        }
    }
}

}  // namespace

// A byte above 127 is found wherever it stands in a text on either side of
// the sixteen bytes read at once, and a byte after the text (left in the
// buffer by a longer text before) is not taken for one; so are long texts
// and those that share a buffer.
TEST(RecognisersTest, HoldsNonAsciiOnEitherSideOfSixteenBytes) {
    const struct {
        int length;
        int highAt;  // -1 none
        bool expected;
    } cases[] = {
        {0, -1, false}, {1, 0, true},   {1, -1, false},  {15, 14, true}, {15, -1, false},
        {16, 15, true}, {16, 0, true},  {16, -1, false}, {17, 16, true}, {17, -1, false},
        {17, 3, true},  {40, 39, true}, {40, -1, false},
    };
    for (const auto& c : cases) {
        for (const int room : {0, 14, 64}) {
            SharedText text;
            // A longer text of high bytes first, so that the bytes after the
            // text are high ones.
            if (room > 0) text = std::string(static_cast<size_t>(room), '\xE9').c_str();
            std::string bytes(static_cast<size_t>(c.length), 'a');
            if (c.highAt >= 0) bytes[static_cast<size_t>(c.highAt)] = '\x82';
            text.Assign(bytes);
            EXPECT_EQ(HoldsNonAscii(text), c.expected) << c.length << " " << c.highAt << " " << room;
        }
    }
    // A long text shares its buffer with its copy; a trimmed part of it is
    // read in place.
    std::string longText(SharedText::kShareFrom + 10, 'x');
    longText.back() = '\xC4';
    SharedText whole;
    whole = longText.c_str();
    const SharedText copy(whole);
    EXPECT_TRUE(HoldsNonAscii(copy));
    SharedText part;
    part.AssignPart(longText, 0, 12, whole);
    EXPECT_FALSE(HoldsNonAscii(part));
    part.AssignPart(longText, 2, static_cast<int>(longText.size()) - 2, whole);
    EXPECT_TRUE(HoldsNonAscii(part));
}
