#include "analysis/emphasis.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/heading_list.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Lines = std::vector<std::unique_ptr<AnalysedLine>>;
const char kNotFound[] = "INFO: Ignoring potential emphasis markup, start not found";

class EmphasisTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::ErrorReportingLevel, 10);
        context.trackers.codeLocation = 2;
    }
    void UseFormat(int format) {
        context.outputFormat = format;
        set.ApplyRuleSetAndFormatDefaults(0);
    }
    std::string Tidy(const char* text) {
        TextString t(text);
        TidyEmphasisLine(set, t, nullptr);
        return t.str();
    }
    // Linked lines of type 0 (type 1 when empty), tidied in reading order as
    // the line analysis does.
    Lines Paragraph(const std::vector<const char*>& texts) {
        Lines lines;
        for (const char* text : texts) {
            lines.push_back(std::make_unique<AnalysedLine>(lines.empty() ? nullptr : lines.back().get()));
            lines.back()->Assign(text);
            lines.back()->lineType = *text ? 0 : 1;
        }
        return lines;
    }
    void TidyAll(Lines& lines) {
        for (auto& line : lines) TidyEmphasisLine(set, *line, line.get());
    }

    Context context;
    FC set;
    MessageRecorder messages{context};
};

TEST_F(EmphasisTest, WordsAndPhrasesInOneLine) {
    const char* cases[][2] = {
        {"This is *bold* and _italic_ text", "This is <STRONG>bold</STRONG> and <EM>italic</EM> text"},
        {"*_both_* and _*both*_", "<STRONG><EM>both</EM></STRONG> and <STRONG><EM>both</EM></STRONG>"},
        {"see _three_joined_parts_ here", "see <U>three joined parts</U> here"},
        // Words end at commas, semicolons and escaped angle brackets.
        {"*one*,*two*;&lt;*three*&gt;", "<STRONG>one</STRONG>,<STRONG>two</STRONG>;&lt;<STRONG>three</STRONG>&gt;"},
        {"a *bold phrase* here", "a <STRONG>bold phrase</STRONG> here"},
        {"(_italic words_).", "(<EM>italic words</EM>)."},
        {"_*bold italic words*_!", "<STRONG><EM>bold italic words</EM></STRONG>!"},
        {"-*dash start* ok", "-<STRONG>dash start</STRONG> ok"},
        // Identifiers, doubled markers and empty phrases are left alone.
        {"snake_case_name", "snake_case_name"},
        {"call __init__ now", "call __init__ now"},
        {"a*b*c and x_y_z", "a*b*c and x_y_z"},
        {"**not bold**", "**not bold**"},
        {"a * * b", "a * * b"},
        {"*x <STRONG>y</STRONG> z*", "*x <STRONG>y</STRONG> z*"},
    };
    for (const auto& c : cases) EXPECT_EQ(Tidy(c[0]), c[1]) << c[0];
    EXPECT_EQ(messages.Count("INFO: Ignoring potential emphasis phrase because it contains other markup"), 1);

    // Phrases take the set's bold markup, single words the fixed forms.
    set.SetInt(Pol::UseEmAndStrongMarkup, 0);
    set.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(Tidy("*two words* and *one*"), "<B>two words</B> and <STRONG>one</STRONG>");
    EXPECT_EQ(Tidy("*_two words_*"), "<B><EM>two words</EM></B>");
}

TEST_F(EmphasisTest, SingleWords) {
    // clang-format off
    const char* cases[][2] = {
        {"*bold*", "<STRONG>bold</STRONG>"}, {"_ab_", "<EM>ab</EM>"}, {"_a_b_", "<U>a b</U>"},
        {"*_bi_*x", nullptr}, {"*_b*i_*", nullptr}, {"*a*b*", nullptr}, {"_a_", nullptr},
        {"__ab_", nullptr}, {"_ab__", nullptr},
        // Markers alone are nothing to emphasise.
        {"**", nullptr}, {"*_*", nullptr}, {"_*_*_", nullptr}, {"_**_", nullptr},
    };
    // clang-format on
    for (const auto& c : cases) {
        int changed = 0;
        TextString out("unchanged");
        TidyEmphasisWord(set, TextString(c[0]), changed, out);
        EXPECT_EQ(changed, c[1] ? 1 : 0) << c[0];
        EXPECT_EQ(out.str(), c[1] ? c[1] : "unchanged") << c[0];
    }
    int changed = 1;
    TextString out("kept");
    TidyEmphasisWord(set, TextString("*bold*"), changed, out);
    EXPECT_EQ(out.str(), "kept");
}

TEST_F(EmphasisTest, OutputFormats) {
    UseFormat(1);
    const char* rtf[][2] = {
        {"This is *bold* and _italic_ text", "This is {\\b bold\\b0} and {\\i italic\\i0} text"},
        {"*_both_* _a_b_c_", "{\\b\\i both\\i0\\b0} {\\ul a b c\\ul0}"},
        {"a *bold phrase* b", "a {\\b bold phrase\\b0} b"},
        {"a _italic phrase_ b", "a {\\i italic phrase\\i0} b"},
        {"a *_bold italic_* b", "a {\\b\\i bold italic\\b0\\i0} b"},
    };
    for (const auto& c : rtf) EXPECT_EQ(Tidy(c[0]), c[1]) << c[0];

    UseFormat(3);
    EXPECT_EQ(Tidy("*bold* and *a phrase*"), "*bold* and *a phrase*");
    EXPECT_TRUE(messages.Messages().empty());

    UseFormat(2);
    EXPECT_EQ(Tidy("*bold* x"), "*bold* x");
    EXPECT_EQ(messages.Count("UNSUPPORTED CASE: Output Format in TidyEmphasisWord (2)"), 1);
    for (const char* pass : {"(1)", "(2)", "(3)", "(4)"})
        EXPECT_EQ(messages.Count(std::string("UNSUPPORTED CASE: Output Format in TidyEmphasisLine ") + pass), 1);
}

TEST_F(EmphasisTest, SwitchedOff) {
    set.SetInt(Pol::SearchForEmphasis, 0);
    EXPECT_EQ(Tidy("*bold* and *a phrase*"), "*bold* and *a phrase*");
    set.SetInt(Pol::SearchForEmphasis, 1);

    // Inside a contents list the word forms are off; phrases still convert.
    set.preprocessor.inContentsList = 1;
    EXPECT_EQ(Tidy("_one_two_"), "<EM>one_two</EM>");
    set.preprocessor.inContentsList = 0;

    // A user-defined table keeps its text while the input is read.
    context.trackers.codeLocation = 1;
    set.preprocessor.inSpecialBlock = 1;
    set.preprocessor.specialBlockKind = 6;
    EXPECT_EQ(Tidy("*bold* and *a phrase*"), "*bold* and *a phrase*");
}

TEST_F(EmphasisTest, LinesOfMarkersOnly) {
    const std::vector<const char*> texts = {"*",   "**",    "***", "_",    "__",       "____", "*_",
                                            "_*",  "_*_",   "$$",  "*$_",  "_*_*_",    " * ",  "*\t_",
                                            "* _", "*_ _*", "_ _", "&lt;", "&lt;*&gt;"};
    for (int format : {0, 1}) {
        UseFormat(format);
        for (const char* text : texts) EXPECT_EQ(Tidy(text), text) << text;
        Lines paragraph = Paragraph(texts);  // end markers look upwards too
        TidyAll(paragraph);
    }
}

TEST_F(EmphasisTest, PhraseAcrossTwoLines) {
    Lines lines = Paragraph({"This is *a phrase", "that ends here* ok"});
    TidyAll(lines);
    EXPECT_EQ(lines[0]->str(), "This is <STRONG>a phrase");
    EXPECT_EQ(lines[1]->str(), "that ends here</STRONG> ok");

    // The changes are kept in the replacement pairs; applied to the lines as
    // read, they give the same texts.
    ASSERT_TRUE(lines[0]->firstPairPresent && lines[1]->secondPairPresent);
    EXPECT_FALSE(lines[0]->secondPairPresent || lines[1]->firstPairPresent);
    EXPECT_EQ(lines[0]->firstPairStart, 8);
    EXPECT_EQ(lines[1]->secondPairStart, 14);
    TextString first("This is *a phrase"), second("that ends here* ok");
    first.ReplaceFrom(lines[0]->firstPairStart, lines[0]->firstFind->buffer, lines[0]->firstReplacement->buffer, 1,
                      1, nullptr, nullptr);
    second.ReplaceFrom(lines[1]->secondPairStart, lines[1]->secondFind->buffer, lines[1]->secondReplacement->buffer,
                       1, 1, nullptr, nullptr);
    EXPECT_EQ(first.str(), lines[0]->str());
    EXPECT_EQ(second.str(), lines[1]->str());
}

TEST_F(EmphasisTest, PhrasesOverSeveralLines) {
    struct Case {
        std::vector<const char*> texts, expected;
    };
    const Case cases[] = {
        {{"an _italic", "middle line", "phrase_."}, {"an <EM>italic", "middle line", "phrase</EM>."}},
        {{"*_bold", "italic_* end"}, {"<STRONG><EM>bold", "italic</EM></STRONG> end"}},
        // The start is looked for after the emphasis already made.
        {{"*x* then *y", "z* and *w*"}, {"<STRONG>x</STRONG> then <STRONG>y", "z</STRONG> and <STRONG>w</STRONG>"}},
        {{"*b <STRONG>c</STRONG> *d", "e*"}, {"*b <STRONG>c</STRONG> <STRONG>d", "e</STRONG>"}},
        // An end before a later start on the same line still closes the phrase.
        {{"*_one", "two_* *_three"}, {"<STRONG><EM>one", "two</EM></STRONG> *_three"}},
        // An end marker inside a word closes nothing.
        {{"see *_this", "foo_*bar end"}, {"see *_this", "foo_*bar end"}},
        // A blank line ends the paragraph.
        {{"*start", "", "end* here"}, {"*start", "", "end* here"}},
    };
    for (const Case& c : cases) {
        Lines lines = Paragraph(c.texts);
        TidyAll(lines);
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i]->str(), c.expected[i]) << c.texts[0];
    }
    EXPECT_EQ(messages.Count(kNotFound), 1);
}

TEST_F(EmphasisTest, StartSearchLimits) {
    // Twenty lines up is searched, twenty-one is not.
    for (size_t gap : {19u, 20u}) {
        std::vector<const char*> texts(gap + 2, "plain");
        texts.front() = "*start";
        texts.back() = "end*";
        Lines lines = Paragraph(texts);
        TidyAll(lines);
        EXPECT_EQ(lines.front()->str(), gap == 19 ? "<STRONG>start" : "*start") << gap;
    }
    // A line of another type stops the search; a line with a pair is passed over.
    Lines lines = Paragraph({"*start", "1 Heading", "*a", "*b", "c* d*"});
    lines[1]->lineType = 101;
    lines[3]->firstPairPresent = 1;
    TidyEmphasisLine(set, *lines[4], lines[4].get());
    EXPECT_EQ(lines[2]->str(), "<STRONG>a");
    EXPECT_EQ(lines[4]->str(), "c</STRONG> d*");
    EXPECT_EQ(lines[0]->str(), "*start");

    // Without a line, a start on an earlier line cannot be found.
    messages.Clear();
    EXPECT_EQ(Tidy("ends here* ok"), "ends here* ok");
    EXPECT_EQ(messages.Count(kNotFound), 1);

    // A start on a line of type 1 spans a blank line.
    Lines blank = Paragraph({"*x", "y*"});
    blank[0]->lineType = 1;
    TidyEmphasisLine(set, *blank[1], blank[1].get());
    EXPECT_EQ(blank[0]->str(), "*x");
    EXPECT_EQ(messages.Count("INFO: Ignoring potential emphasis phrase because it spans blank lines"), 1);
}

TEST_F(EmphasisTest, OverlappingPairsAreDiscarded) {
    Lines lines = Paragraph({"*a", "b* c"});
    lines[1]->secondPairPresent = 1;
    lines[1]->secondFind = std::make_unique<TextString>("_");
    lines[1]->secondPairStart = 0;
    TidyEmphasisLine(set, *lines[1], lines[1].get());
    EXPECT_EQ(messages.Count("WARNING: Overlapping emphasis discarded"), 1);
    EXPECT_EQ(lines[1]->str(), "b</STRONG> c");
    ASSERT_EQ(lines[1]->secondPairPresent, 1);
    EXPECT_EQ(lines[1]->secondFind->str(), "*");
    EXPECT_EQ(lines[1]->secondPairStart, 1);
}

TEST_F(EmphasisTest, MarkersAreJudgedByTheTextAsConvertedSoFar) {
    // A marker right after a converted phrase sees the markup before it; an
    // end closing an earlier line's phrase is placed in the converted line;
    // each end that finds no start is reported, and a phrase closed on an
    // earlier line makes the next end look again.
    struct Case {
        std::vector<const char*> texts, expected;
        int secondPairStart;  // of the last line
        int notFound, overlapping;
    };
    const Case cases[] = {
        {{"*a b**c d*"}, {"<STRONG>a b**c d</STRONG>"}, -1, 0, 0},
        {{"*a b* *c d* *e"}, {"<STRONG>a b</STRONG> <STRONG>c d</STRONG> *e"}, -1, 0, 0},
        {{"(*a (*b (*c"}, {"(*a (*b (*c"}, -1, 0, 0},
        {{"*x", "y* z* w*"}, {"<STRONG>x", "y</STRONG> z* w*"}, 1, 2, 0},
        {{"*x", "*a b* y* z"}, {"<STRONG>x", "<STRONG>a b</STRONG> y</STRONG> z"}, 22, 0, 0},
        {{"*p", "*q", "r* s*"}, {"<STRONG>p", "<STRONG>q", "r</STRONG> s</STRONG>"}, 12, 0, 1},
    };
    for (const Case& c : cases) {
        messages.Clear();
        Lines lines = Paragraph(c.texts);
        TidyAll(lines);
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i]->str(), c.expected[i]) << c.texts[0];
        EXPECT_EQ(lines.back()->secondPairStart, c.secondPairStart) << c.texts[0];
        EXPECT_EQ(messages.Count(kNotFound), c.notFound) << c.texts[0];
        EXPECT_EQ(messages.Count("WARNING: Overlapping emphasis discarded"), c.overlapping) << c.texts[0];
    }
}

TEST_F(EmphasisTest, TextWithoutMarkup) {
    struct Case {
        int format;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {0, " <B>Intro</B>&nbsp;&NBSP;to   [[TEXT x]]tags ", "Intro to tags"},
        {0, "a > b <c", "a _ b _c"},
        {0, "x &lt;y&gt;", "x &lt;y&gt;"},
        {1, "{\\b Title} here", "_\\b Title_ here"},
        {2, "  <B>plain</B>  text ", "<B>plain</B> text"},
        {3, "anything", ""},
    };
    for (const Case& c : cases) {
        UseFormat(c.format);
        TextString text(c.text), out("old");
        StripMarkupChars(set, text, out);
        EXPECT_EQ(out.str(), c.expected) << c.text;
        EXPECT_EQ(text.str(), c.text);
    }

    TextString text("<P>  a&nbsp;&amp;&nbsp;b  </P>"), out;
    UnescapeEntities(set, 1, text, out);
    EXPECT_EQ(out.str(), "a & b");
    EXPECT_EQ(text.str(), "a & b");
    text = "&amp;lt; &amp;amp;";  // a decoded ampersand starts no other entity
    UnescapeEntities(set, 1, text, text);
    EXPECT_EQ(text.str(), "&lt; &amp;");
    text = "<I>a&amp;b</I>";
    UnescapeEntities(set, 0, text, out);
    EXPECT_EQ(out.str(), "a&amp;b");
}

TEST_F(EmphasisTest, ContentsRanges) {
    // clang-format off
    const int ranges[][5] = {
        // index, first, last, mode, in range
        {0, -1, -1, 1, 0}, {3, -1, -1, 1, 1}, {2, 1, 3, 2, 1}, {4, 1, 3, 3, 0}, {0, 1, 3, 2, 0},
        {9, 1, -1, 2, 1},  {0, -1, 5, 3, 1},  {0, -1, -1, 2, 0}, {7, 1, 2, 4, 1},
    };
    // clang-format on
    for (const auto& r : ranges)
        EXPECT_EQ(IsInContentsRange(set, r[0], r[1], r[2], r[3]), r[4] != 0) << r[0] << " " << r[3];
    for (auto [indent, level] : {std::pair{-5, 0}, {0, 0}, {9, 0}, {10, 1}, {29, 1}, {30, 2}})
        EXPECT_EQ(IndentToLevel(set, indent), level) << indent;

    HeadingList list;
    TextString none;
    int n = 0;
    for (auto [type, line] : {std::pair{101, 1}, {102, 5}, {102, 9}, {103, 10}, {101, 20}, {102, 25}}) {
        TextString text("Heading ");
        text.AppendNumber('d', ++n, 0);
        list.Add(&set, type, text, text, text, SourcePosition(0, line), none, none, none);
    }
    ASSERT_EQ(list.Count(), 6);
    context.trackers.codeLocation = 3;
    // clang-format off
    const int cases[][4] = {
        // current line, mode, first, last
        {9, 2, 1, 3}, {12, 3, 3, 3}, {22, 3, -1, -1}, {22, 2, 5, 5}, {0, 2, -1, -1}, {9, 1, -1, -1},
    };
    // clang-format on
    for (const auto& c : cases) {
        context.trackers.output.position = SourcePosition(0, c[0]);
        int first = 99, last = 99;
        GetContentsRange(set, &list, c[1], first, last);
        EXPECT_EQ(first, c[2]) << c[0] << " mode " << c[1];
        EXPECT_EQ(last, c[3]) << c[0] << " mode " << c[1];
    }
}

}  // namespace
