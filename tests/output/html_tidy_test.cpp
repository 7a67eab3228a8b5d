#include "output/html_tidy.h"

#include <gtest/gtest.h>

#include <string>

#include "context/context.h"
#include "policies/fc.h"

namespace {

class HtmlTidyTest : public ::testing::Test {
protected:
    Context context;
    FC set;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.fontTagSwitch = 1;
    }

    // Scans and tidies `text` as a buffered flush does; `adjust` may change
    // the record between the scan and the passes.
    template <typename Adjust>
    std::string Tidy(const std::string& text, Adjust adjust, bool emphasis = false, int startsInsidePre = 0) {
        TidyBuffer buffer;
        buffer.startsInsidePre = startsInsidePre;
        HTML_ScanTidyBuffer(&set, &buffer, TextString(text));
        adjust(buffer);
        EXPECT_EQ(emphasis ? HTML_TidyEmphasis(&set, &buffer) : HTML_TidyMarkup(&set, &buffer), 1);
        return buffer.text.str();
    }
    std::string Tidy(const std::string& text) {
        return Tidy(text, [](TidyBuffer&) {});
    }
    std::string TidyEmphasis(const std::string& text) {
        set.SetInt(Pol::RemoveRedundantTags, 1);
        return Tidy(
            text, [](TidyBuffer&) {}, true);
    }
};

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

// Each step of HTML_TidyMarkup, in order, on a text that holds what it acts on.
TEST_F(HtmlTidyTest, MarkupStepsInOrder) {
    const Case cases[] = {
        {"1 empty paragraph", "<P>\n  </P>\n", "<BR>\n"},
        {"1 paragraph with text stays", "<P>Some text</P>\n", "<P>Some text</P>\n\n"},
        {"1 paragraph holding a rule", "<P> <HR> </P>\n", "<HR>\n"},
        {"2 newlines", "a\n  \n\n\t\nb\n", "a\nb\n"},
        {"3 non-breaking spaces", "a &nbsp; b&nbsp;<BR>\n", "a&nbsp;b<BR>\n"},
        {"4 newline moves behind </FONT>", "<FONT SIZE=2>x\n  </FONT>y\n", "<FONT SIZE=2>x</FONT>\n  y\n"},
        {"5 cell-ending line breaks", "<TD>x<BR><BR></TD><TD><BR></TD><TD> <BR></TD>",
         "<TD>x</TD><TD>&nbsp;</TD><TD> &nbsp;</TD>"},
        {"5 header cells", "<TH ALIGN=\"LEFT\">a<BR></TH><TH><BR></TH>", "<TH ALIGN=\"LEFT\">a</TH><TH>&nbsp;</TH>"},
        {"6 emphasis pulled to paragraph tags", "<P>x <EM>y</EM>  </P>\n", "<P>x <EM>y</EM></P>\n\n"},
        {"6 newline before </EM>", "<P>x <EM>y\n</EM></P>\n", "<P>x <EM>y </EM></P>\n\n"},
        {"6 FONT pulled to paragraph tags", "<P> <FONT SIZE=2>x</FONT> </P>\n", "<P><FONT SIZE=2>x</FONT></P>\n\n"},
        {"6 adjacent FONT spans", "<FONT SIZE=2>x</FONT>\n<FONT SIZE=3>y</FONT>",
         "<FONT SIZE=2>x</FONT> <FONT SIZE=3>y</FONT>"},
        {"6 definition lists", "<DL>\n<DT>t</DT>\n<DD>d</DD>\n</DL>\n", "<DL>\n<DT>t</DT><DD>d</DD></DL>\n"},
        {"7 empty attribute paragraph", "<P ALIGN=\"CENTER\">\n</P>\n", ""},
        {"7 line end before </LI>", "<LI CLASS=\"x\">one\n  </LI>\n", "<LI CLASS=\"x\">one</LI>\n\n"},
        {"8 white space after <P>", "<P>\n   words</P>\n", "<P>words</P>\n\n"},
        {"9 FONT line join", "x <FONT SIZE=2>\n  alpha   beta\n", "x <FONT SIZE=2>alpha \nbeta\n"},
        {"10 comments on lines of their own", "x<!-- c -->y\n", "x\n<!-- c -->\ny\n"},
        {"13-15 paragraph ends", "<P>a<BR></P><P>b\n</P>\n", "<P>a</P>\n<P>b</P>\n\n"},
        {"16 list item ends", "<UL>\n<LI CLASS=\"x\">a</LI><LI CLASS=\"x\">b</LI>\n</UL>\n",
         "<UL>\n<LI CLASS=\"x\">a</LI>\n<LI CLASS=\"x\">b</LI>\n\n</UL>\n"},
        {"17 newline runs", "<P>a</P>\n<P>b</P>\n", "<P>a</P>\n\n<P>b</P>\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input), c.expected);
    }
}

// The steps rewrite a text in its own buffer, however often they act and
// however long it is (a flush may hold a whole block of megabytes): a text
// of many pieces each step treats alike comes out as the pieces do, one by
// one.
TEST_F(HtmlTidyTest, StepsActAlikeOnEveryPieceOfALongText) {
    const struct {
        const char* name;
        std::string piece;
    } cases[] = {
        {"comments on lines of their own", "x<!-- c -->y\n"},
        {"non-breaking spaces", "a &nbsp; b&nbsp;<BR>\n"},
        {"newlines", "a\n  \n\n\t\nb\n"},
        {"list item ends", "<UL>\n<LI CLASS=\"x\">a</LI><LI CLASS=\"x\">b</LI>\n</UL>\n"},
        {"cell-ending line breaks", "<TD>x<BR><BR></TD><TD><BR></TD>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string once = Tidy("a\n" + c.piece);
        ASSERT_EQ(once.substr(0, 2), "a\n");
        const std::string tidied = once.substr(2);
        // Three pieces, and enough for a text beyond the room the passes
        // keep from text to text.
        for (const size_t count : {size_t{3}, (size_t{kKeptScratchBytes} / c.piece.size()) + 2}) {
            std::string text = "a\n", expected = "a\n";
            for (size_t i = 0; i < count; ++i) {
                text += c.piece;
                expected += tidied;
            }
            EXPECT_EQ(Tidy(text), expected) << count;
        }
    }
}

// A step whose tags the scan did not find is skipped.
TEST_F(HtmlTidyTest, StepsNeedTheirTags) {
    struct Skip {
        const char* name;
        std::string input;
        int TidyBuffer::*flag;
        std::string expected;
    };
    const Skip cases[] = {
        {"paragraph spans", "<P>\n</P>\n", &TidyBuffer::paragraphStart, "<P></P>\n\n"},
        {"newline pass", "a\n \nb\n", &TidyBuffer::newline, "a\n \nb\n"},
        {"non-breaking spaces", "a &nbsp; b\n", &TidyBuffer::nonBreakingSpace, "a &nbsp; b\n"},
        {"cell ends", "<TD><BR></TD>", &TidyBuffer::lineBreak, "<TD><BR></TD>"},
        {"comments", "x<!-- c -->\n", &TidyBuffer::commentStart, "x<!-- c -->\n"},
        {"list item ends", "<LI CLASS=\"x\">a</LI>", &TidyBuffer::listItemEnd, "<LI CLASS=\"x\">a</LI>"},
    };
    for (const Skip& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input, [&c](TidyBuffer& b) { b.*c.flag = 0; }), c.expected);
    }
    // "<LI>" without attributes is no list item start for the scan.
    EXPECT_EQ(Tidy("<LI>  x\n"), "<LI>  x\n");
}

TEST_F(HtmlTidyTest, ScanSetsPresenceFlags) {
    TidyBuffer buffer;
    HTML_ScanTidyBuffer(&set, &buffer, TextString("<TABLE>\n<TR><TD>a<BR></TD></TR>\n</TABLE>&nbsp;"));
    EXPECT_TRUE(buffer.rowStart && buffer.rowEnd && buffer.dataCellStart && buffer.dataCellEnd);
    EXPECT_TRUE(buffer.tableMarkup && buffer.lineBreak && buffer.newline && buffer.nonBreakingSpace);
    EXPECT_FALSE(buffer.paragraphStart || buffer.headerCellStart || buffer.commentStart || buffer.preformatted);
    // A record used before is cleared by the next scan; FONT tags count
    // only while fonts are written as FONT tags.
    context.fontTagSwitch = 0;
    HTML_ScanTidyBuffer(&set, &buffer, TextString("<P><FONT SIZE=2>x</FONT></P>"));
    EXPECT_TRUE(buffer.paragraphStart && buffer.paragraphEnd);
    EXPECT_FALSE(buffer.rowStart || buffer.lineBreak || buffer.newline || buffer.fontStart || buffer.fontEnd);
}

TEST_F(HtmlTidyTest, PreformattedSectionsStayByteForByte) {
    const std::string pre =
        "<PRE>\n\n   \nint a;   \n\n\n\n<P>\n</P>\n&nbsp; x <FONT SIZE=2>\nw1 w2\n</FONT>\n"
        "<!-- c --><TD><BR></TD>\n</PRE>";
    const std::string tidied = Tidy("<P>\n</P>\n\n\n" + pre + "\n\n\n<P>a</P>\n");
    EXPECT_EQ(tidied, "<BR>\n" + pre + "\n\n<P>a</P>\n\n");
    const std::string emphasised = TidyEmphasis("<EM> </EM>" + pre + "<STRONG></STRONG>\n");
    EXPECT_EQ(emphasised, pre + "\n");
    // A text that begins inside a section, said so or shown by a section
    // end before any start, and one whose section runs past its end.
    const std::string inside = "\n\n  a\n\n\n</PRE>";
    EXPECT_EQ(Tidy(
                  inside + "\n\n\n<P>\n</P>\n", [](TidyBuffer&) {}, false, 1),
              inside + "\n<BR>\n");
    EXPECT_EQ(Tidy(inside + "\n<P>\n</P>\n"), inside + "\n<BR>\n");
    const std::string open = "<pre>\n\n\n  x\n\n";
    EXPECT_EQ(Tidy("<P>\n</P>\n\n" + open), "<BR>\n" + open);
    // Placeholder and NUL bytes of the input are left alone too, and the
    // text after a NUL byte is tidied, not lost.
    EXPECT_EQ(Tidy("a\x01\n\n\nb\n"), "a\x01\nb\n");
    using namespace std::string_literals;
    EXPECT_EQ(Tidy("a\0\n\n\nb<TD><BR></TD>"s), "a\0\nb<TD>&nbsp;</TD>"s);
}

TEST_F(HtmlTidyTest, ParagraphsWithContentAreNeverDeleted) {
    const Case cases[] = {
        {"attribute paragraphs", "<P ALIGN=\"CENTER\">words</P>\n<P ALIGN=\"CENTER\"> </P>\n",
         "<P ALIGN=\"CENTER\">words</P>\n\n"},
        {"span over two paragraphs", "<P>one\n<P>\n</P>\n", "<P>one\n\n<P></P>\n\n"},
        {"link only", "<P><A HREF=\"x.html\"></A></P>\n", "<P><A HREF=\"x.html\"></A></P>\n\n"},
        {"text and a rule", "<P>text <HR></P>\n", "text \n<HR>\n"},
        {"non-breaking space", "<P>&nbsp;</P>\n", "<P>&nbsp;</P>\n\n"},
        {"FONT spans in attribute paragraphs",
         "<P ALIGN=\"LEFT\"> <FONT SIZE=2>words</FONT> </P>\n<P ALIGN=\"LEFT\"> <FONT SIZE=2> </FONT> </P>\n",
         "<P ALIGN=\"LEFT\"> <FONT SIZE=2>words</FONT></P>\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input), c.expected);
    }
}

TEST_F(HtmlTidyTest, EmptyParagraphsAndFontSpans) {
    const Case cases[] = {
        {"blank FONT span", "<P><FONT SIZE=2>   </FONT></P>\n", "<BR>\n"},
        {"non-breaking FONT span alone", "<P><FONT SIZE=2>&nbsp;</FONT></P>\n", "<BR>\n"},
        {"non-breaking FONT span beside content", "<P><FONT SIZE=2>&nbsp;</FONT><FONT SIZE=3>x</FONT></P>\n",
         "<P><FONT SIZE=2>&nbsp;</FONT><FONT SIZE=3>x</FONT></P>\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input), c.expected);
    }
    set.ruleSetCode = 1;
    EXPECT_EQ(Tidy("<P>\n</P>\nx\n"), "x\n");
}

TEST_F(HtmlTidyTest, RedundantTags) {
    const Case cases[] = {
        {"blank EM span", "a<EM>  </EM>b", "ab"},
        {"STRONG holding a non-breaking space", "a<STRONG> &nbsp;</STRONG>b", "a&nbsp;b"},
        {"adjacent lists", "<UL>\n<LI CLASS=\"x\">a</LI>\n</UL>\n<UL>\n<LI CLASS=\"x\">b</LI>\n</UL>\n",
         "<UL>\n<LI CLASS=\"x\">a</LI>\n\n<LI CLASS=\"x\">b</LI>\n\n</UL>\n"},
        {"empty FONT span", "a<FONT SIZE=2> </FONT>b", "ab"},
        {"non-breaking FONT span survives", "a<FONT SIZE=2>&nbsp;</FONT>b", "a<FONT SIZE=2>&nbsp;</FONT>b"},
        {"FONT span around a line break", "a<FONT SIZE=2><BR></FONT>b", "a<BR>b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TidyEmphasis(c.input), c.expected);
    }
    // With the setting off only the markup passes run.
    set.SetInt(Pol::RemoveRedundantTags, 0);
    EXPECT_EQ(Tidy(
                  "a<EM>  </EM>b", [](TidyBuffer&) {}, true),
              "a<EM>  </EM>b");
}

// The rule lists follow the settings of each file, not those of the first.
TEST_F(HtmlTidyTest, RulesFollowTheEmphasisSetting) {
    set.SetInt(Pol::UseEmAndStrongMarkup, 1);
    EXPECT_EQ(Tidy("<P>x <EM>y</EM>  </P>\n"), "<P>x <EM>y</EM></P>\n\n");
    set.SetInt(Pol::UseEmAndStrongMarkup, 0);
    EXPECT_EQ(Tidy("<P>x <EM>y</EM>  </P>\n"), "<P>x <EM>y</EM>  </P>\n\n");
    EXPECT_EQ(Tidy("<P>x <I>y</I>  </P>\n"), "<P>x <I>y</I></P>\n\n");
    EXPECT_EQ(TidyEmphasis("a<B> </B>b<STRONG> </STRONG>"), "ab<STRONG> </STRONG>");
    set.SetInt(Pol::UseEmAndStrongMarkup, 1);
    EXPECT_EQ(Tidy("<P>x <I>y</I>  </P>\n"), "<P>x <I>y</I>  </P>\n\n");
    EXPECT_EQ(TidyEmphasis("a<B> </B>b<STRONG> </STRONG>"), "a<B> </B>b");
}

// The scan finds each text wherever it stands: at the start, across the
// blocks of sixteen characters it reads at a time, and in the last few
// characters of short and long texts; a text cut short by the end is no
// find.
TEST_F(HtmlTidyTest, ScanFindsTextsAtEveryPosition) {
    struct Probe {
        std::string text;
        int TidyBuffer::*flag;
        std::string cutShort;  // the text without its last character
    };
    // clang-format off
    const Probe probes[] = {
        {"<TD", &TidyBuffer::dataCellStart, "<T"},      {"</TH", &TidyBuffer::headerCellEnd, "</T"},
        {"<BR>", &TidyBuffer::lineBreak, "<BR"},        {"<P>", &TidyBuffer::paragraphStart, "<P"},
        {"</FONT", &TidyBuffer::fontEnd, "</FON"},      {"<LI ", &TidyBuffer::listItemStart, "<LI"},
        {"<!--", &TidyBuffer::commentStart, "<!-"},     {"-->", &TidyBuffer::commentEnd, "--"},
        {"&nbsp;", &TidyBuffer::nonBreakingSpace, "&nbsp"},
        {"</BLOCKQUOTE", &TidyBuffer::blockQuote, "</BLOCKQUOT"},
        {"<STRONG>", &TidyBuffer::emphasis, "<STRONG"}, {"\n", &TidyBuffer::newline, ""},
        {"<PRE>", &TidyBuffer::preformatted, "<PR"},   {"\x01", &TidyBuffer::preformatted, ""},
    };
    // clang-format on
    for (const Probe& probe : probes) {
        for (size_t before : {size_t{0}, size_t{1}, size_t{13}, size_t{15}, size_t{16}, size_t{30}, size_t{200}}) {
            for (size_t after : {size_t{0}, size_t{1}, size_t{5}, size_t{17}}) {
                SCOPED_TRACE(probe.text + " after " + std::to_string(before) + ", before " + std::to_string(after));
                const std::string pad(before, 'x'), tail(after, 'y');
                TidyBuffer buffer;
                HTML_ScanTidyBuffer(&set, &buffer, TextString((pad + probe.text + tail).c_str()));
                EXPECT_EQ(buffer.*probe.flag, 1);
                if (probe.cutShort.empty()) continue;
                HTML_ScanTidyBuffer(&set, &buffer, TextString((pad + probe.cutShort).c_str()));
                EXPECT_EQ(buffer.*probe.flag, 0);
            }
        }
    }
}

// Line breaks that end cells go in place while each edit shortens the text;
// a cell that needs a non-breaking space for its one line break lengthens
// it, before or after edits made in place.
TEST_F(HtmlTidyTest, CellEndBreaksInAnyOrderOfEdits) {
    const Case cases[] = {
        {"shorter, then longer", "<TD>a<BR></TD><TD><BR></TD>", "<TD>a</TD><TD>&nbsp;</TD>"},
        {"longer, then shorter", "<TD><BR></TD><TD>a<BR><BR></TD>", "<TD>&nbsp;</TD><TD>a</TD>"},
        {"two breaks for a space", "<TD><BR><BR></TD><TD>b<BR></TD>", "<TD>&nbsp;</TD><TD>b</TD>"},
        {"cells apart", "<TD>a<BR></TD>x<TD> <BR></TD><TD>c<BR></TD>", "<TD>a</TD>x<TD> &nbsp;</TD><TD>c</TD>"},
        {"header and data cells", "<TH>a<BR></TH><TD><BR></TD><TH><BR></TH>",
         "<TH>a</TH><TD>&nbsp;</TD><TH>&nbsp;</TH>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input), c.expected);
    }
}

// Newline runs made by the steps after the first newline pass are folded
// by the second; the second is left out only when it would change nothing.
TEST_F(HtmlTidyTest, NewlineRunsMadeByLaterSteps) {
    const Case cases[] = {
        {"comment lines", "a<!-- c -->\n \nb\n", "a\n<!-- c -->\nb\n"},
        {"comment after a run", "a\n \n<!-- c -->\nb", "a\n<!-- c -->\nb"},
        {"rule", "x<HR>\n\ny\n", "x\n<HR>\ny\n"},
        {"cells", "<TD>a<BR></TD>\n\n\n<TD><BR></TD>\n", "<TD>a</TD>\n<TD>&nbsp;</TD>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tidy(c.input), c.expected);
    }
}

// A buffer is written in parts, each tidied with what follows it: a part
// never begins with an empty line, and white space before its first line
// break folds away as after any other line end.
TEST_F(HtmlTidyTest, TextsBeginAtALineStart) {
    EXPECT_EQ(Tidy("\n\n<P>a</P>\n"), "<P>a</P>\n\n");
    EXPECT_EQ(Tidy("  <!-- c -->\n<P>a</P>\n"), "<!-- c -->\n\n<P>a</P>\n\n");
    EXPECT_EQ(Tidy("<TD>a<BR></TD>"), "<TD>a</TD>");
}

// A buffer the check passes is written without the passes, so the passes
// must leave every such text as it is, under every setting; the near misses
// (most of which the passes do change) must fail the check.
TEST_F(HtmlTidyTest, TextsTheCheckPassesStayUnchanged) {
    const std::pair<std::string, bool> cases[] = {
        {"<TR>\n    <TD ALIGN=\"RIGHT\">12.5</TD>\n    <TH>a - b</TH>\n</TR>\n", true},
        {"    <TD>1990-01-02</TD>\n  \t<TD WIDTH=30>x > y</TD>\n", true},
        {"\n<TR>\n", false},  // begins with an empty line
        {"  \n<TR>\n", false},  // begins with a blank line
        {"<TR>\n \t\n</TR>\n", false},  // a blank line
        {"<TD>a<BR></TD>\n", false},  // a line break in front of a cell end
        {"<TD>a<BR><BR></TD>\n", false},
        {"<TH>a<BR></TH>\n", false},
        {"<TD>a<BR></TR>\n", false},
        {"<TD>a<BR>\n</TD>\n", true},  // line breaks the passes leave
        {"<TD>a<BR>b<BR>\n      c<BR><BR>d</TD>\n", true},
        {"<TD>a<BR> </TD>\n", true},
        {"<TD>a<BR>", true},
        {"<TD>a<BR></T", false},
        {"<TD>&nbsp;<BR>b</TD>\n", false},  // a non-breaking space in front of one
        {"<TD>&nbsp;&nbsp;<BR>b</TD>\n", false},
        {"<TD>&nbsp;\n<BR>b</TD>\n", true},
        {"<TD>a<br>b</TD>\n", false},
        {"<TD>a<BR >b</TD>\n", false},
        {"<TD>&nbsp;</TD>\n<TD>a&nbsp;b</TD>\n", true},  // standing non-breaking spaces
        {"&nbsp;<TD>&nbsp;&nbsp;</TD>\n&nbsp;", true},
        {"<TD> &nbsp;</TD>\n", false},  // a blank before a non-breaking space
        {"<TD>&nbsp; </TD>\n", false},  // a blank after it
        {"<TD>&nbsp;<BR></TD>\n", false},  // a line break after it
        {"<TD>&nbsp;<br></TD>\n", false},
        {"<TD>&nbsp</TD>\n", false},  // no entity
        {"<TD>&amp;</TD>\n", false},  // another entity
        {"<TD>&NBSP;</TD>\n", false},
        {"<TD>a --> b</TD>\n", false},  // a comment end
        {"<TD><!-- c --></TD>\n", false},  // a comment
        {"<TD>a</TD>\n<P>b</P>\n", false},  // a paragraph
        {"<TD><HR></TD>\n", false},  // a rule
        {"<TD><PRE>a\n\nb</PRE></TD>\n", false},
        {"<td>a</td>\n", false},  // lower case
        {"<TDX>a</TDX>\n", false},  // another name
        {std::string("<TD>a\x01</TD>\n"), false},
        {"<TD>a</TD>\n<", false},
    };
    for (const auto& [text, passes] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(HTML_TidyLeavesUnchanged(TextString(text)), passes);
        if (!passes) continue;
        for (int variant = 0; variant < 4; ++variant) {
            context.fontTagSwitch = variant & 1;
            set.SetInt(Pol::UseEmAndStrongMarkup, variant >> 1 & 1);
            set.ruleSetCode = variant == 3 ? 2 : 0;
            EXPECT_EQ(Tidy(text), text);
            EXPECT_EQ(TidyEmphasis(text), text);
            set.SetInt(Pol::RemoveRedundantTags, 0);
        }
    }
}

// Plain table texts (cells, as a rule) are scanned and tidied the short way;
// a stray "&" at the end sends the same text the full way, which must give
// the same flags and the same text.
TEST_F(HtmlTidyTest, PlainTableTextsTakeTheShortWayAlike) {
    const std::string texts[] = {
        "    <TD ALIGN=\"RIGHT\">1990-01-02<BR></TD>",
        "<TD><BR></TD>",
        "<TD> <BR><BR></TD><TH>x<BR></TH>",
        "<TD>a<BR>b<BR></TD>\n<TH>c<BR></TH>\n</TR>",
        "</TD><BR></TD>",
        "<TR><TD>a - b</TD></TR>",
        // Non-breaking spaces: an empty cell's, one before a line break (which
        // the passes take off) and two before one (of which one goes).
        "<TD>&nbsp;<BR></TD>",
        "<TD>&nbsp;<BR><BR></TD>\n<TD>a&nbsp;b<BR></TD>",
        "<TH>&nbsp;&nbsp;<BR></TH>",
        "&nbsp;<TD>x&nbsp;<BR>y</TD>&nbsp;",
    };
    set.strongOpen = "<TD>";  // an emphasis text that a cell tag matches
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        TidyBuffer plain;
        TidyBuffer full;
        HTML_ScanTidyBuffer(&set, &plain, TextString(text));
        HTML_ScanTidyBuffer(&set, &full, TextString(text + "&"));
        EXPECT_EQ(plain.plainTableText, 1);
        EXPECT_EQ(full.plainTableText, 0);
        // clang-format off
        const int TidyBuffer::*const fields[] = {
            &TidyBuffer::dataCellStart, &TidyBuffer::dataCellEnd, &TidyBuffer::headerCellStart,
            &TidyBuffer::headerCellEnd, &TidyBuffer::rowStart,    &TidyBuffer::rowEnd,
            &TidyBuffer::lineBreak,     &TidyBuffer::newline,     &TidyBuffer::tableMarkup,
            &TidyBuffer::emphasis,      &TidyBuffer::preformatted, &TidyBuffer::nonBreakingSpace};
        // clang-format on
        for (const auto field : fields) EXPECT_EQ(plain.*field, full.*field);
        EXPECT_EQ(plain.tagKinds, full.tagKinds);
        EXPECT_EQ(Tidy(text) + "&", Tidy(text + "&"));
        EXPECT_EQ(TidyEmphasis(text) + "&", TidyEmphasis(text + "&"));
        set.SetInt(Pol::RemoveRedundantTags, 0);
    }
}

// The passes tell when the plain text they tidied is one they leave as it
// is: never for a text the check finds changed, and for a cell of lines
// whose last line break goes with the end tag.  Texts just off that road: a
// non-breaking space (or one the cell-end pass puts in an emptied cell), a
// newline, a row tag, an end tag ended by a blank or without its start tag.
TEST_F(HtmlTidyTest, PassesTellWhenTheyLeaveAPlainText) {
    const std::pair<std::string, bool> cases[] = {
        {"    <TD>a<BR>b<BR>c<BR></TD>", true},
        {"<TD>a<BR>b</TD>", true},
        {"<TD>1/2<BR>3/4<BR><BR></TD>", true},
        {"<TH>a<BR></TH>", true},
        {"<TD>a<BR>b<BR></TD><TH>c<BR></TH>", true},
        {"<TD>a</TD>", true},
        {"<TD> <BR><BR></TD>", false},
        {"<TD><BR></TD>", false},
        {"<TD>&nbsp;<BR>b</TD>", false},
        {"<TD>a&nbsp;b</TD>", false},
        {"<TD>a\n<BR>b</TD>", false},
        {"<TD>a<BR></TR>", false},
        {"<TR><TD>a</TD></TR>", false},
        {"<TD>a<BR></TD ><TD>b</TD>", false},
        {"</TD>a<BR></TD>", false},
        {"<TD>a<BR></TH>", false},
        {"<TD><P>a</P></TD>", false},
        {"<TD>a<br></TD>", false},
    };
    for (const auto& [text, plain] : cases) {
        for (const bool emphasis : {false, true}) {
            SCOPED_TRACE(text + (emphasis ? " emphasis" : ""));
            TidyBuffer buffer;
            buffer.plainAfterPasses = 1;  // the scan clears it
            HTML_ScanTidyBuffer(&set, &buffer, TextString(text));
            EXPECT_EQ(buffer.plainAfterPasses, 0);
            EXPECT_EQ(emphasis ? HTML_TidyEmphasis(&set, &buffer) : HTML_TidyMarkup(&set, &buffer), 1);
            EXPECT_EQ(buffer.plainAfterPasses, plain ? 1 : 0);
            if (buffer.plainAfterPasses) {
                EXPECT_TRUE(HTML_TidyLeavesUnchanged(buffer.text));
            }
        }
    }
}

}  // namespace
