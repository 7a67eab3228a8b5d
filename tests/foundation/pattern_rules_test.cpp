#include "foundation/pattern_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/text_string.h"

namespace {

std::string Result(const PatternList& list) { return std::string(list.ResultText(), list.ResultLength()); }

// Runs one rule of a list over the text; returns the result text.
std::string RunListRule(int kind, const char* pattern, const char* text, int caseSensitive, const char* input,
                        int* actions = nullptr) {
    PatternList list;
    EXPECT_NE(list.AddTextRule(kind, pattern, text, caseSensitive), nullptr) << pattern;
    const int n = list.Scan(input);
    if (actions) *actions = n;
    return Result(list);
}

std::string RunRewriterRule(int kind, const char* pattern, const char* text, const char* input) {
    PatternRewriter rewriter;
    EXPECT_NE(rewriter.AddTextRule(kind, pattern, text, 0), nullptr) << pattern;
    rewriter.Apply(input);
    return Result(rewriter);
}

}  // namespace

TEST(PatternRules, ValidatePattern) {
    struct Case {
        const char* pattern;
        int expected;
    } cases[] = {
        {nullptr, -1},
        {"", -1},
        {"abc*", 5},
        {"%x", 2},
        {"a|x", 3},
        {"a?", 3},
        {"***", 4},
        {"ab|", 4},
        {"**", 0},
        {"<P>?W<EM>", 0},
        {"|n*W</EM>", 0},
        {"|||*|?|%|n|t", 0},
        {"%1%a%A%Z%S%W%(%)%.%*", 0},
        {"?W", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValidatePattern(c.pattern), c.expected) << (c.pattern ? c.pattern : "(null)");
    }
    PatternList list;
    EXPECT_EQ(list.AddTextRule(kRuleReplace, "%x", "y", 0), nullptr);
    EXPECT_EQ(list.RuleCount(), 0);
}

TEST(PatternRules, CharacterClasses) {
    const std::string punctuation = "!\"&'(),.:;<>[]{}";
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const unsigned char u = static_cast<unsigned char>(b);
        EXPECT_TRUE(PatternClassContains('*', c));
        EXPECT_EQ(PatternClassContains('1', c), u >= '0' && u <= '9');
        EXPECT_EQ(PatternClassContains('a', c), u >= 'a' && u <= 'z');
        EXPECT_EQ(PatternClassContains('A', c), u >= 'A' && u <= 'Z');
        EXPECT_EQ(PatternClassContains('Z', c), IsAsciiLetter(u));
        EXPECT_EQ(PatternClassContains('S', c), c == ' ');
        EXPECT_EQ(PatternClassContains('W', c), c == ' ' || c == '\t' || c == '\n');
        EXPECT_EQ(PatternClassContains('(', c), std::string("(<[{").find(c) != std::string::npos);
        EXPECT_EQ(PatternClassContains(')', c), std::string(")>]}").find(c) != std::string::npos);
        EXPECT_EQ(PatternClassContains('.', c), punctuation.find(c) != std::string::npos);
        EXPECT_FALSE(PatternClassContains('x', c));
    }
}

TEST(PatternRules, CharBufferGrowthAndEdits) {
    CharBuffer buffer;
    EXPECT_FALSE(buffer.IsAllocated());
    EXPECT_STREQ(buffer.Text(), "");
    buffer.Reserve(0);
    EXPECT_EQ(buffer.Capacity(), 255);
    buffer.Reserve(254);
    EXPECT_EQ(buffer.Capacity(), 255);
    buffer.Reserve(255);
    EXPECT_EQ(buffer.Capacity(), 511);

    buffer.Assign("hello");
    EXPECT_EQ(buffer.Insert(-1, "x"), 0);
    EXPECT_EQ(buffer.Insert(6, "x"), 0);
    EXPECT_EQ(buffer.Insert(9, ""), 1);  // an empty text succeeds doing nothing
    EXPECT_EQ(buffer.Insert(5, "!"), 1);
    EXPECT_EQ(buffer.Insert(0, ">"), 1);
    EXPECT_STREQ(buffer.Text(), ">hello!");
    EXPECT_EQ(buffer.Replace(1, 5, "bye"), 1);
    EXPECT_STREQ(buffer.Text(), ">bye!");
    EXPECT_EQ(buffer.Replace(1, 3, nullptr), 1);
    EXPECT_STREQ(buffer.Text(), ">!");
    EXPECT_EQ(buffer.Replace(1, 2, "x"), 0);  // range beyond the text
    EXPECT_STREQ(buffer.Text(), ">!");

    // A text that lies in the buffer itself is copied before it is used.
    buffer.Assign("abc");
    buffer.Assign(buffer.Text() + 1);
    EXPECT_STREQ(buffer.Text(), "bc");
    buffer.Replace(0, 0, buffer.Text());
    EXPECT_STREQ(buffer.Text(), "bcbc");

    std::string big(1000, 'q');
    buffer.Assign(big.c_str());
    EXPECT_EQ(buffer.Length(), 1000);
    EXPECT_GT(buffer.Capacity(), 1000);
    buffer.Assign(nullptr);
    EXPECT_TRUE(buffer.IsAllocated());
    EXPECT_EQ(buffer.Length(), 0);
    buffer.Clear(1);
    EXPECT_FALSE(buffer.IsAllocated());
    EXPECT_EQ(buffer.Capacity(), 0);
}

TEST(PatternRules, CharBufferEditsAgreeWithString) {
    // Random edits, read back across the gap and as a whole.
    CharBuffer buffer;
    std::string expected = "The quick brown fox jumps over the lazy dog.";
    buffer.Assign(expected.c_str());
    unsigned seed = 12345;
    auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(bound));
    };
    const char* pieces[] = {"", "x", "<B>", "a longer piece of text", "\n"};
    for (int step = 0; step < 3000; ++step) {
        const int length = static_cast<int>(expected.size());
        const int position = next(length + 1);
        const int count = next(std::min(length - position, 8) + 1);
        const char* piece = pieces[next(5)];
        ASSERT_EQ(buffer.Replace(position, count, piece), 1);
        expected.replace(static_cast<size_t>(position), static_cast<size_t>(count), piece);
        ASSERT_EQ(buffer.Length(), static_cast<int>(expected.size()));
        const int probe = next(static_cast<int>(expected.size()) + 1);
        ASSERT_EQ(buffer.At(probe),
                  probe < static_cast<int>(expected.size()) ? expected[static_cast<size_t>(probe)] : '\0');
        TextString range;
        const int span = std::min(10, static_cast<int>(expected.size()) - probe);
        ASSERT_TRUE(buffer.CopyRange(probe, span, &range));
        ASSERT_EQ(range.str(), expected.substr(static_cast<size_t>(probe), static_cast<size_t>(span)));
        ASSERT_TRUE(buffer.Matches(probe, expected.substr(static_cast<size_t>(probe), 4).c_str(), 1));
        if (step % 97 == 0) {
            ASSERT_EQ(std::string(buffer.Text()), expected);
        }
    }
    EXPECT_EQ(std::string(buffer.Text()), expected);
    EXPECT_FALSE(buffer.Matches(0, "THE", 1) && expected.compare(0, 3, "THE") != 0);
    TextString out("junk");
    EXPECT_FALSE(buffer.CopyRange(buffer.Length(), 1, &out));
    EXPECT_TRUE(out.IsEmpty());
}

// In-place rules of one kind 1 or 4 pattern, including the tidy rules the
// HTML writer uses.
TEST(PatternRules, InPlaceReplacement) {
    struct Case {
        const char* pattern;
        const char* text;
        int caseSensitive;
        const char* input;
        const char* expected;
    } cases[] = {
        {"<P>?W<EM>", "<P><EM>", 0, "<P>\n <EM>x", "<P><EM>x"},
        {"<P>?W<EM>", "<P><EM>", 0, "<P><EM>x", "<P><EM>x"},
        {"<P>?W<EM>", "<P><EM>", 0, "<p>\t<em>x", "<P><EM>x"},
        // the character that breaks a match may begin the next one
        {"<P>?W<EM>", "<P><EM>", 0, "<P>\n<P> <EM>", "<P>\n<P><EM>"},
        {"<B>*W</B>", "", 0, "<B></B>", ""},
        {"<B>*W</B>", "", 0, "<B>  </B>", ""},
        {"<B>*W</B>", "", 0, "x<B> y </B>", "x<B> y </B>"},
        {"<B>*W</B>", "", 0, "<B><B></B></B>", "<B></B>"},
        // a literal run that fails part-way starts again one character on
        {"ab", "X", 0, "aab", "aX"},
        {"ab", "X", 0, "xab", "xX"},
        {"aab", "X", 0, "aaab", "aX"},
        {"abab%1", "X", 0, "abababab1", "ababX"},
        {"aba*Wx", "X", 0, "ababa x", "abX"},
        {"ab", "X", 0, "abab", "XX"},
        // case
        {"Ab", "X", 1, "ab AB Ab", "ab AB X"},
        {"Ab", "X", 0, "ab AB Ab", "X X X"},
        {"%A%a", "X", 0, "ab AB Ab", "ab AB X"},
        // escapes and single-character classes
        {"|n|n", "\n", 0, "a\n\n\nb", "a\n\nb"},
        {"|*", "x", 0, "a*b**", "axbxx"},
        {"%1%1", "##", 0, "a12b3", "a##b3"},
        // empty paragraphs with attributes go; a paragraph with text stays
        {"<P **>*W</P>", "", 0, "<P class=x>text</P><P>", "<P class=x>text</P><P>"},
        {"<P **>*W</P>", "", 0, "<P class=x> \n</P>", ""},
        {"<P **>*W</P>", "", 0, "<P class=x>text</P><P class=y> </P>!", "<P class=x>text</P>!"},
        // a wildcard that ends the pattern takes all it can, and a
        // character outside its class is no part of the match
        {"ab*W", "X", 0, "abx", "Xx"},
        {"ab*W", "X", 0, "ab  x", "Xx"},
        {"ab*W", "X", 0, "ab", "X"},
        {"ab?W", "X", 0, "abx", "abx"},
        {"ab?W", "X", 0, "ab \tx", "Xx"},
        {"ab**", "X", 0, "1ab23", "1X"},
        // the characters of an opening wildcard are no part of the match
        {"*W<P>", "[P]", 0, "a <P>", "a [P]"},
        {"?W<P>", "[P]", 0, "a<P> <P>", "a<P> [P]"},
        // a pattern of wildcards only matches the run it takes
        {"?W", " ", 0, "a \t\n b", "a b"},
        {"?1", "N", 0, "ax12b x3", "axNb xN"},
        // wildcards directly after one another
        {"<*1*a>", "#", 0, "<12ab> <ab> <> <1X>", "# # # <1X>"},
        {"<?1*a>", "#", 0, "<12ab> <ab> <1>", "# <ab> #"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunListRule(kRuleReplace, c.pattern, c.text, c.caseSensitive, c.input), c.expected)
            << "pattern " << c.pattern << " on \"" << c.input << "\"";
    }
    // Kind 4 in a list replaces by the rule's text, like kind 1.
    EXPECT_EQ(RunListRule(kRuleDelete, "<B>*W</B>", "-", 0, "a<B> </B>b"), "a-b");
}

TEST(PatternRules, FirstRuleActsWhenTwoCompleteTogether) {
    PatternList list;
    PatternRule* first = list.AddTextRule(kRuleReplace, "ab", "1", 0);
    PatternRule* second = list.AddTextRule(kRuleReplace, "b", "2", 0);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, 1);
    EXPECT_EQ(second->id, 2);
    EXPECT_EQ(list.Scan("ab b"), 2);
    EXPECT_EQ(Result(list), "1 2");
    EXPECT_EQ(first->scanActions, 1);
    EXPECT_EQ(second->scanMatches, 2);
    EXPECT_EQ(second->scanActions, 1);
    EXPECT_EQ(list.CompletedMatchCount(), 3);
    EXPECT_EQ(list.GetMatch(1)->complete, 0);
}

TEST(PatternRules, InsertRules) {
    struct Case {
        int kind;
        const char* input;
        const char* expected;
    } cases[] = {
        {kRuleInsertAfter, "a<HR>b", "a<HR>\nb"},
        {kRuleInsertBefore, "a<HR>b", "a\n<HR>b"},
        {kRuleInsertBefore, "<HR><hr>", "\n<HR>\n<hr>"},
        {kRuleInsertAfter, "<HR><hr>", "<HR>\n<hr>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunListRule(c.kind, "<HR>", "\n", 0, c.input), c.expected) << c.kind << " " << c.input;
        EXPECT_EQ(RunRewriterRule(c.kind, "<HR>", "\n", c.input), c.expected) << c.kind << " " << c.input;
    }
    // A rule without text inserts nothing.
    int actions = 0;
    EXPECT_EQ(RunListRule(kRuleInsertAfter, "<HR>", nullptr, 0, "a<HR>", &actions), "a<HR>");
    EXPECT_EQ(actions, 1);
}

TEST(PatternRules, RewriterKinds) {
    EXPECT_EQ(RunRewriterRule(kRuleReplace, "<B>*W</B>", "", "x<B> </B>y<B></B>"), "xy");
    EXPECT_EQ(RunRewriterRule(kRuleDelete, "<B>*W</B>", "ignored", "x<B> </B>y"), "xy");
    EXPECT_EQ(RunRewriterRule(kRuleReplace, "<P>?W<EM>", "<P><EM>", "<P>\n<EM>a<P>  <EM>"), "<P><EM>a<P><EM>");
    EXPECT_EQ(RunRewriterRule(kRuleReplace, "aab", "X", "aaab aab"), "aX X");

    PatternRewriter rewriter;
    EXPECT_EQ(rewriter.AddTextRule(kRuleCallback, "x", "y", 0), nullptr);
    EXPECT_EQ(rewriter.AddTextRule(kRuleRewriteCallback, "x", "y", 0), nullptr);
    EXPECT_EQ(rewriter.AddCallbackRule(kRuleCallback, "x", "y", 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(rewriter.AddCallbackRule(kRuleReplace, "x", "y", 0, nullptr, nullptr), nullptr);
    EXPECT_NE(rewriter.AddCallbackRule(kRuleRewriteCallback, "x", "y", 0, nullptr, nullptr), nullptr);
    EXPECT_NE(rewriter.AddTextRule(kRuleDelete, "x", nullptr, 0), nullptr);
    EXPECT_EQ(rewriter.RuleCount(), 2);
}

namespace {

struct FontSpans {
    int seen = 0;
    std::vector<std::string> spans;
};

// Replaces a "<FONT ...>text</FONT>" span by its text in brackets.
int UnwrapFont(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position, void* userData) {
    auto* spans = static_cast<FontSpans*>(userData);
    TextString span;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    ++spans->seen;
    spans->spans.push_back(span.str());
    std::string text = span.str();
    const size_t open = text.find('>');
    const size_t close = text.rfind("</");
    const std::string inner = "[" + text.substr(open + 1, close - open - 1) + "]";
    return PatternList::ReplaceMatchText(match, working, position, inner.c_str());
}

// Upper-cases the name of a tag; leaves "<br>" alone.
int UpperTag(PatternList* list, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
             void* userData) {
    auto* calls = static_cast<int*>(userData);
    ++*calls;
    TextString tag;
    PatternList::GetMatchText(match, working, &tag);
    if (tag == "<br>") return kPatternNoChange;
    std::string upper = tag.str();
    for (char& c : upper) c = ToUpperAscii(c);
    static_cast<PatternRewriter*>(list)->EmitReplacement(match, working, position, upper.c_str());
    return kPatternChanged;
}

int StopAtOnce(PatternList*, PatternRule*, PatternMatch*, CharBuffer*, int*, void*) { return kPatternStop; }

}  // namespace

TEST(PatternRules, ListCallbackReplacesFontSpans) {
    FontSpans spans;
    PatternList list;
    PatternRule* rule = list.AddRule(kRuleCallback, "<FONT**</FONT>", nullptr, 0, UnwrapFont, &spans);
    ASSERT_NE(rule, nullptr);
    list.SetLocked(1);
    EXPECT_EQ(list.Scan("a<FONT color=red>x</FONT>b<font size=2>  </font>c"), 2);
    EXPECT_EQ(Result(list), "a[x]b[  ]c");
    EXPECT_EQ(spans.seen, 2);
    EXPECT_EQ(spans.spans, (std::vector<std::string>{"<FONT color=red>x</FONT>", "<font size=2>  </font>"}));
    EXPECT_EQ(rule->scanActions, 2);

    // The list is scanned again, on its own result; the callback sees no span.
    EXPECT_EQ(list.Scan(list.ResultText()), 0);
    EXPECT_EQ(Result(list), "a[x]b[  ]c");
    EXPECT_EQ(rule->scanActions, 0);
    EXPECT_EQ(rule->totalActions, 2);
}

// A list and a rewriter that gave back the room of their texts scan the
// next text as before: the result is that text's alone.
TEST(PatternRules, ScansAfterTheTextsAreGivenBack) {
    PatternList list;
    ASSERT_NE(list.AddTextRule(kRuleReplace, "ab", "X", 1), nullptr);
    PatternRewriter rewriter;
    ASSERT_NE(rewriter.AddTextRule(kRuleReplace, "ab", "Y", 1), nullptr);
    const std::string longText = std::string(100000, 'c') + "ab" + std::string(100000, 'c');
    EXPECT_EQ(list.Scan(longText.c_str()), 1);
    EXPECT_EQ(rewriter.Apply(longText.c_str()), 1);
    list.ReleaseTexts();
    rewriter.ReleaseTexts();
    EXPECT_EQ(Result(list), "");
    EXPECT_EQ(Result(rewriter), "");
    EXPECT_FALSE(list.Result().IsAllocated());
    EXPECT_FALSE(rewriter.Output().IsAllocated());
    EXPECT_EQ(list.Scan("xaby"), 1);
    EXPECT_EQ(Result(list), "xXy");
    EXPECT_EQ(rewriter.Apply("xaby"), 1);
    EXPECT_EQ(Result(rewriter), "xYy");
    // A scan that acts nowhere leaves the text as it was.
    EXPECT_EQ(list.Scan("cd"), 0);
    EXPECT_EQ(Result(list), "cd");
}

TEST(PatternRules, RewriterCallbackEmitsReplacement) {
    int calls = 0;
    PatternRewriter rewriter;
    ASSERT_NE(rewriter.AddCallbackRule(kRuleRewriteCallback, "<**>", nullptr, 0, UpperTag, &calls), nullptr);
    EXPECT_EQ(rewriter.Apply("a<b>c<br>d</b>e"), 3);
    EXPECT_EQ(Result(rewriter), "a<B>c<br>d</B>e");
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(rewriter.CopyPosition(), 0);
    EXPECT_TRUE(rewriter.Output().IsEmpty());
    TextString out;
    rewriter.GetResult(&out);
    EXPECT_EQ(out, "a<B>c<br>d</B>e");
}

TEST(PatternRules, StoppingTheScan) {
    PatternList list;
    list.AddRule(kRuleCallback, "x", nullptr, 0, StopAtOnce, nullptr);
    list.AddTextRule(kRuleReplace, "y", "Y", 0);
    EXPECT_EQ(list.Scan("yxy"), 2);
    EXPECT_EQ(Result(list), "Yxy");

    PatternList once;
    once.AddTextRule(kRuleReplace, "a", "b", 0);
    ScanOptions stop;
    stop.stopAfterAction = 1;
    EXPECT_EQ(once.Scan("aaa", &stop), 1);
    EXPECT_EQ(Result(once), "baa");

    PatternRewriter rewriter;
    rewriter.AddTextRule(kRuleReplace, "a", "b", 0);
    EXPECT_EQ(rewriter.Apply("aaa", &stop), 1);
    EXPECT_EQ(Result(rewriter), "baa");
}

TEST(PatternRules, RestartAfterChange) {
    ScanOptions restart;
    restart.oneActionPerPosition = 1;
    restart.restartAfterChange = 1;
    PatternList list;
    list.AddTextRule(kRuleReplace, "aa", "a", 0);
    EXPECT_EQ(list.Scan("aaaa", &restart), 3);
    EXPECT_EQ(Result(list), "a");
    EXPECT_EQ(list.Scan("aaaa"), 2);
    EXPECT_EQ(Result(list), "aa");

    // A rewriter never rescans: its scanned text does not change.
    PatternRewriter rewriter;
    rewriter.AddTextRule(kRuleReplace, "aa", "a", 0);
    EXPECT_EQ(rewriter.Apply("aaaa", &restart), 2);
    EXPECT_EQ(Result(rewriter), "aa");
}

TEST(PatternRules, EditsWithoutReset) {
    // With every switch off, a second rule completing at the same position
    // acts too.  After an insertion in front of the first match it still
    // sees its own characters, moved along ...
    ScanOptions keep;
    PatternList insert;
    insert.AddTextRule(kRuleInsertBefore, "<b>", "\n", 0);
    insert.AddTextRule(kRuleReplace, "b>", "B>", 0);
    EXPECT_EQ(insert.Scan("x<b>", &keep), 2);
    EXPECT_EQ(Result(insert), "x\n<B>");

    // ... but after a replacement its characters are gone and so is its match.
    PatternList replace;
    replace.AddTextRule(kRuleReplace, "<b>", "[b]", 0);
    replace.AddTextRule(kRuleReplace, "b>", "B>", 0);
    EXPECT_EQ(replace.Scan("x<b>", &keep), 1);
    EXPECT_EQ(Result(replace), "x[b]");

    // A partial match across deleted text does not complete.
    PatternList partial;
    partial.AddTextRule(kRuleReplace, "<a>", "", 0);
    partial.AddTextRule(kRuleReplace, "a>x", "!", 0);
    EXPECT_EQ(partial.Scan("<a>x", &keep), 1);
    EXPECT_EQ(Result(partial), "x");
    EXPECT_EQ(partial.GetRule(1)->scanMatches, 0);
}

namespace {

// Cuts the text after the match but says it changed nothing.
int CutSilently(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int*, void*) {
    working->Replace(match->end + 1, working->Length() - match->end - 1, "");
    return kPatternNoChange;
}

// Sends the scan back to the start without changing anything.
int SendBack(PatternList*, PatternRule*, PatternMatch*, CharBuffer*, int* position, void* userData) {
    ++*static_cast<int*>(userData);
    *position = -1;
    return kPatternNoChange;
}

}  // namespace

TEST(PatternRules, ActionsThatMisreport) {
    // The scan ends with the working text even when an action shortened it
    // without saying so.
    PatternList cut;
    cut.AddRule(kRuleCallback, "x", nullptr, 0, CutSilently, nullptr);
    cut.AddTextRule(kRuleReplace, "y", "Y", 0);
    EXPECT_EQ(cut.Scan("yxyyy"), 2);
    EXPECT_EQ(Result(cut), "Yx");

    // An action that changed nothing cannot make the scan go round for ever.
    int calls = 0;
    PatternList back;
    back.AddRule(kRuleCallback, "b", nullptr, 0, SendBack, &calls);
    EXPECT_EQ(back.Scan("abab"), 2);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Result(back), "abab");
}

TEST(PatternRules, NullAndEmptyTexts) {
    PatternList list;
    list.AddTextRule(kRuleReplace, "a", "b", 0);
    EXPECT_EQ(list.Scan("a"), 1);
    EXPECT_EQ(list.Scan(static_cast<const char*>(nullptr)), 0);
    EXPECT_STREQ(list.ResultText(), "");
    EXPECT_EQ(list.Scan(""), 0);
    EXPECT_STREQ(list.ResultText(), "");

    PatternRewriter rewriter;
    rewriter.AddTextRule(kRuleReplace, "a", "b", 0);
    EXPECT_EQ(rewriter.Apply("a"), 1);
    EXPECT_EQ(rewriter.Apply(static_cast<const char*>(nullptr)), 0);
    EXPECT_STREQ(rewriter.ResultText(), "");
    EXPECT_EQ(rewriter.Apply(""), 0);
    EXPECT_STREQ(rewriter.ResultText(), "");

    PatternList empty;
    EXPECT_EQ(empty.Scan("text"), 0);
    EXPECT_EQ(Result(empty), "text");
}

TEST(PatternRules, LockingAndClearing) {
    PatternList list;
    list.AddTextRule(kRuleReplace, "a", "b", 0);
    list.SetLocked(1);
    EXPECT_EQ(list.AddTextRule(kRuleReplace, "c", "d", 0), nullptr);
    list.ClearRules();
    EXPECT_EQ(list.RuleCount(), 1);
    list.SetLocked(0);
    list.Scan("a");
    list.ClearRules();
    EXPECT_EQ(list.RuleCount(), 0);
    EXPECT_EQ(list.CompletedMatchCount(), 0);
    EXPECT_STREQ(list.ResultText(), "");
    PatternRule* again = list.AddTextRule(kRuleReplace, "c", "d", 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->id, 2);  // ids are never reused
    EXPECT_EQ(list.GetRule(1), nullptr);
    EXPECT_EQ(list.GetMatch(-1), nullptr);
}

TEST(PatternRules, MatchStateWhileAdvancing) {
    PatternRule rule(kRuleReplace, 1, "<P>?W<EM>", "", 0, nullptr, nullptr);
    PatternMatch match;
    CharBuffer text;
    text.Assign("<<P> \t<EM>");
    const int expectedIndex[] = {1, 1, 2, 3, 3, 3, 6, 7, 8, 9};
    const int expectedStart[] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < text.Length(); ++i) {
        const int done = AdvanceMatch(&rule, i, &text, &match);
        EXPECT_EQ(done, i == text.Length() - 1 ? 1 : 0) << i;
        EXPECT_EQ(match.patternIndex, expectedIndex[i]) << i;
        EXPECT_EQ(match.start, expectedStart[i]) << i;
    }
    EXPECT_EQ(match.complete, 1);
    EXPECT_EQ(match.end, 9);
    EXPECT_EQ(match.Length(), 9);
    EXPECT_EQ(rule.totalMatches, 1);
    EXPECT_EQ(AdvanceMatch(&rule, 10, &text, &match), 0);  // beyond the text
}

TEST(PatternRules, PatternLiteralsAndLongPrefixes) {
    TextString pattern("[[");
    pattern.Append("**");
    AppendPatternLiteral(&pattern, "%|*?\n\t");
    EXPECT_EQ(pattern, "[[**|%|||*|?|n|t");
    EXPECT_EQ(ValidatePattern(pattern.c_str()), 0);

    // A leading run of literals longer than one machine word.
    const std::string word(70, 'a');
    const std::string text = "x" + std::string(75, 'a') + "y";
    EXPECT_EQ(RunListRule(kRuleReplace, (word + "y").c_str(), "!", 0, text.c_str()),
              "x" + std::string(5, 'a') + "!");
}

// While every rule waits for the first character of a match, a scan passes
// over the characters that begin none.  A rule that opens with a wildcard
// (here one that never completes) turns that off: both scans must agree.
TEST(PatternRules, PassingOverTextAgreesWithReadingEveryCharacter) {
    struct Rule {
        int kind;
        const char* pattern;
        const char* text;
        int caseSensitive;
    };
    struct Case {
        const char* name;
        std::vector<Rule> rules;
        const char* input;
    };
    const Case cases[] = {
        {"replace at the start, middle and end",
         {{kRuleReplace, "<P>?W<EM>", "<P><EM>", 1}},
         "<P> <EM>a b c <P>\t<EM> d <P>  <EM>"},
        {"letters in any case", {{kRuleReplace, "font", "F", 0}, {kRuleDelete, "x%1", "", 1}}, "aFoNt b x1 FONTx2"},
        {"a class opens the run", {{kRuleReplace, "%1%1-", "#", 1}}, "ab12-c 3-45-"},
        {"inserted text",
         {{kRuleInsertBefore, "<B>", "[", 1}, {kRuleInsertAfter, "</B>", "]", 1}},
         "x<B>y</B>z<B></B>"},
        {"runs that restart", {{kRuleReplace, "aab", "!", 1}, {kRuleReplace, "ab*Wc", "?", 1}}, "aaab ab  c aabc"},
        {"newlines", {{kRuleReplace, "|n*W|n", "\n", 1}}, "a\n \n\nb\n\t\nc\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int rewriting = 0; rewriting < 2; ++rewriting) {
            std::string results[2];
            int actions[2] = {0, 0};
            for (int everyCharacter = 0; everyCharacter < 2; ++everyCharacter) {
                PatternList list;
                PatternRewriter rewriter;
                PatternList& rules = rewriting ? static_cast<PatternList&>(rewriter) : list;
                for (const Rule& rule : c.rules)
                    ASSERT_NE(rules.AddTextRule(rule.kind, rule.pattern, rule.text, rule.caseSensitive), nullptr);
                if (everyCharacter) {
                    ASSERT_NE(rules.AddTextRule(kRuleReplace, "*W|t|t|t|t|t", "", 1), nullptr);
                }
                actions[everyCharacter] = rewriting ? rewriter.Apply(c.input) : list.Scan(c.input);
                results[everyCharacter] = Result(rules);
            }
            EXPECT_EQ(results[0], results[1]);
            EXPECT_EQ(actions[0], actions[1]);
            EXPECT_GT(actions[0], 0);
        }
    }
}
