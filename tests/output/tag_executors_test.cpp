#include "output/tag_executors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/tag_dispatch.h"
#include "context/context.h"
#include "context/definitions.h"
#include "context/style_set.h"
#include "foundation/fonts.h"
#include "output/html_change_font.h"
#include "output/html_output_html_fragment.h"
#include "output/html_write_heading_anchor.h"
#include "output/html_write_rule.h"
#include "output/rtf_write_custom_style.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

std::string Times(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

class TagExecutorsTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        context.trackers.codeLocation = 3;
        context.documentState.htmlOutput = 1;
        ResetInlineTagState(&context);
    }
    void TearDown() override { ResetInlineTagState(&context); }

    void UseRtf() {
        context.outputFormat = 1;
        context.documentState.rtfOutput = 1;
    }

    struct Result {
        bool handled;
        int replace;
        std::string text;
    };
    Result Run(const std::string& tag, int mode = 0, AnalysedLine* line = nullptr, OutputDocument* doc = nullptr) {
        TextString name, arguments, error;
        int level = -1;
        RecogniseTag(set, TextString(tag.c_str()), name, arguments, error, level);
        int replace = -1;
        TextString out("junk");
        const bool handled =
            ExecuteTag(mode, line, TextString(tag.c_str()), name, arguments, doc, &set, &replace, &out);
        return {handled, replace, out.str()};
    }
    // The replacement of a tag that must be handled and replaced.
    std::string Replaced(const std::string& tag, int mode = 0) {
        const Result r = Run(tag, mode);
        EXPECT_TRUE(r.handled) << tag;
        EXPECT_EQ(r.replace, 1) << tag;
        return r.text;
    }

    Context context;
    FC set;
    RecordingDocument document;
};

struct Case {
    const char* tag;
    std::string expected;
};

TEST_F(TagExecutorsTest, HtmlReplacements) {
    MessageRecorder messages(context);
    context.documentState.inputFileName = "in/a&b.txt";
    const Case cases[] = {
        {"[[BR]]", "<BR>"},
        {"[[br]]", "<BR>"},
        {"[[NB 100]]", Times("&nbsp;", 80)},
        {"[[NB]]", "&nbsp;"},
        {"[[NB 3]]", Times("&nbsp;", 3)},
        {"[[NB -4]]", ""},
        {"[[SPACES 4]]", Times("&nbsp;", 4)},
        {"[[SPACES 4, 40]]", Times("&nbsp;", 8)},
        {"[[SPACES 3, 0]]", Times("&nbsp;", 3)},
        {"[[SUPER 2]]", "<SUP>2</SUP>"},
        {"[[sub 2]]", "<SUB>2</SUB>"},
        {"[[SUPER two words]]", "<SUP>two words</SUP>"},
        {"[[SUPER a, b]]", "<SUP>a, b</SUP>"},
        {"[[FRACTION 1/2]]", "<SUP>1</SUP>/<SMALL>2</SMALL>"},
        {"[[FRACTION 3 / 4]]", "<SUP>3</SUP>/<SMALL>4</SMALL>"},
        {"[[ENTITY 233]]", "&eacute;"},
        {"[[HTML <B>x</B>]]", "<B>x</B>"},
        {"[[HTML_COMMENT a note]]", "<!-- a note -->"},
        {"[[HTML_COMMENT a -- b --> c --- d]]", "<!-- a - - b - -> c - - - d -->"},
        {"[[RULESET]]", "no Ruleset"},
        {"[[SOURCE_FILE]]", "source file"},
        {"[[SOURCE_FILE \"a, b.c\"]]", "a, b.c"},
        // A text of several words, as the SUPER tag reads it: as written.
        {"[[SOURCE_FILE a b, c=d]]", "a b, c=d"},
        {"[[FRACTION x=1, y/2]]", "<SUP>x=1, y</SUP>/<SMALL>2</SMALL>"},
        {"[[FILENAME]]", "in/a&amp;b.txt"},
        {"[[DEBUG x]]", ""},
        {"[[PAGE]]", ""},
        {"[[CHANGE_INDENT 3]]", ""},
        {"[[VALIGN]]", ""},
        {"[[LINERULE]]", "<HR NOSHADE ALIGN=\"CENTER\" WIDTH=\"100%\">"},
        {"[[LINERULE 50%, 8, 0, L, red]]", "<HR NOSHADE ALIGN=\"LEFT\" WIDTH=\"50%\" SIZE=8 STYLE=\"color:red;\">"},
        {"[[LINERULE \"5\"\"0\", 2]]", "<HR NOSHADE ALIGN=\"CENTER\" WIDTH=\"5&quot;0\">"},
    };
    for (const Case& c : cases) EXPECT_EQ(Replaced(c.tag), c.expected) << c.tag;
    EXPECT_EQ(Replaced("[[VERSION]]"), set.generatorText.str());
    EXPECT_EQ(Replaced("[[TIMESTAMP]]").size() >= 10, true);

    set.ruleSetCode = 2;
    EXPECT_EQ(Replaced("[[RULESET]]"), "SEC Ruleset");
    EXPECT_EQ(Replaced("[[HTML <!--x  -->]]"), "<!-- x -->");
    set.ruleSetCode = 1;
    EXPECT_EQ(Replaced("[[RULESET]]"), "Tarnell Ruleset");
    set.SetInt(Pol::HTMLVersion, 1);
    EXPECT_EQ(Replaced("[[LINERULE 10, 1, 0, R, #00FF00]]"),
              "<HR NOSHADE ALIGN=\"RIGHT\" WIDTH=\"10\" COLOR=\"Lime\">");
}

TEST_F(TagExecutorsTest, RtfReplacements) {
    MessageRecorder messages(context);
    UseRtf();
    context.documentState.inputFileName = "C:\\in\\x{1}.txt";
    const Case cases[] = {
        {"[[BR]]", "\\par "},
        {"[[SUPER 2]]", "{\\super\\kerning0 2}"},
        {"[[SUB n]]", "{\\sub\\kerning0 n}"},
        {"[[NB 3]]", "   "},
        {"[[SPACES 4, 40]]", std::string(8, ' ')},
        {"[[FRACTION 1/2]]", "1/2"},
        {"[[ENTITY 233]]", ""},
        {"[[HTML <B>]]", ""},
        {"[[HTML_COMMENT x]]", ""},
        {"[[LINERULE]]", "{\\strike\\tab}\\par "},
        {"[[FILENAME]]", "C:\\\\in\\\\x\\'7b1\\'7d.txt"},
        {"[[PAGE]]", ""},
        {"[[NEW_PAGE]]", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Replaced(c.tag), c.expected) << c.tag;
    // The heading-text rule asks for HTML markup whatever the output.
    EXPECT_EQ(Replaced("[[SUPER 2]]", 8), "<SUP>2</SUP>");
}

TEST_F(TagExecutorsTest, RtfFontOverrides) {
    UseRtf();
    FontSpec& body = context.styleSet.fonts[kStyleBody];
    body.SetFontIndex(101);
    body.SetSize(10);
    FontSpec mono;
    mono.SetAlternateFace(TextString("Mono"));
    mono.SetFontIndex(7);
    context.styleSet.AddFont(mono);
    MessageRecorder messages(context);
    const Case cases[] = {
        {"[[FO]]", "}{\\f101\\fs20\\b0\\i0 "},
        {"[[FO -, 12, bold]]", "}{\\f101\\fs24\\b\\i0 "},
        {"[[FO -, +2, it]]", "}{\\f101\\fs24\\b0\\i "},
        {"[[FO -, -4, bi]]", "}{\\f101\\fs12\\b\\i "},
        {"[[FO -, -40, no]]", "}{\\f101\\b0\\i0 "},
        {"[[FO mono, d, d]]", "}{\\f7\\fs20\\b0\\i0 "},
        {"[[FO -, 99999]]", "}{\\f101\\fs3276\\b0\\i0 "},
        {"[[FO Nope, 14, bo]]", "}{\\f101\\fs20\\b0\\i0 "},
        {"[[FO -, x]]", "}{\\f101\\fs20\\b0\\i0 "},
        {"[[FO -, 10, heavy]]", "}{\\f101\\fs20\\b0\\i0 "},
    };
    for (const Case& c : cases) EXPECT_EQ(Replaced(c.tag), c.expected) << c.tag;
    EXPECT_EQ(messages.Count("TAG ERROR: font \"Nope\" not found in the style table"), 1);
    EXPECT_EQ(messages.Count("TAG ERROR: Unknown font size - x"), 1);
    EXPECT_EQ(messages.Count("TAG ERROR: Unknown font weight - heavy"), 1);

    set.SetText(Pol::CharacterEncoding, "Windows-1256");
    EXPECT_EQ(Replaced("[[FO]]"), "}{\\ltrch \\af101 \\rltch \\f101\\fs20\\b0\\i0 ");
    context.outputFormat = 0;
    context.documentState.rtfOutput = 0;
    EXPECT_EQ(Replaced("[[FO]]"), "");
}

TEST_F(TagExecutorsTest, TagsHandledWithoutReplacementOrLeftToTheLine) {
    struct Outcome {
        const char* tag;
        int mode;
        bool handled;
        int replace;
    };
    const Outcome cases[] = {
        {"[[HYPERLINK FOO, x, y]]", 0, true, 0},
        {"[[GOTO 3.1, Intro]]", 0, true, 0},
        {"[[LINKPOINT a]]", 0, true, 0},
        {"[[PAGE_MARKER p]]", 0, true, 0},
        {"[[POPUP a, b]]", 0, true, 0},
        {"[[TOC 1, a, b]]", 0, true, 0},
        {"[[CONTENTS_LIST 1, 2, 3]]", 0, true, 0},
        {"[[TEXT hi]]", 0, true, 0},
        {"[[COLOUR red]]", 0, true, 0},  // done with the line's font changes in HTML
        {"[[FONT 1, Arial]]", 1, true, 0},
        {"[[OT]]", 0, false, 0},
        {"[[CT]]", 1, false, 0},
        {"[[DEFINE_VARIABLE X, 1]]", 0, false, 1},
        {"[[SAVE_CONTEXT]]", 0, false, 1},
        {"[[RESTORE_CONTEXT]]", 0, false, 1},
        {"[[BRR]]", 0, false, 0},
        {"[[NEW_ROW]]", 0, false, 0},
        {"[[CAD x]]", 0, false, 0},
    };
    for (const Outcome& c : cases) {
        const Result r = Run(c.tag, c.mode);
        EXPECT_EQ(r.handled, c.handled) << c.tag;
        EXPECT_EQ(r.replace, c.replace) << c.tag;
        EXPECT_EQ(r.text, "") << c.tag;
    }
}

TEST_F(TagExecutorsTest, LiteralModeGivesDelimitersAndTextAsWritten) {
    EXPECT_EQ(Replaced("[[OT]]", 5), "[[");
    EXPECT_EQ(Replaced("[[ct]]", 5), "]]");
    EXPECT_EQ(Replaced("[[TEXT Hello,  world]]", 5), "Hello,  world");
    set.SetText(Pol::StartTagDelimiter, "<%");
    set.SetText(Pol::EndTagDelimiter, "%>");
    EXPECT_EQ(Replaced("<%OT%>", 5), "<%");
}

TEST_F(TagExecutorsTest, WarningsAndTagErrors) {
    MessageRecorder messages(context);
    EXPECT_EQ(Replaced("[[SPACES 4, 40]]"), Times("&nbsp;", 8));
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"WARNING: SPACES tag has radically different sizes"});
    messages.Clear();
    Replaced("[[SPACES 4, 26]]");  // 5 spaces: close enough
    EXPECT_TRUE(messages.Messages().empty());

    EXPECT_EQ(Replaced("[[FRACTION 1/]]"), "<SUP>1</SUP>/<SMALL></SMALL>");
    EXPECT_EQ(Replaced("[[FRACTION /2]]"), "<SUP></SUP>/<SMALL>2</SMALL>");
    EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"TAG ERROR: FRACTION has no denominator - 1/",
                                                             "TAG ERROR: FRACTION has no numerator - /2"}));
    messages.Clear();

    EXPECT_EQ(Replaced("[[ENTITY 300]]"), "&#300;");
    EXPECT_EQ(messages.Count("WARNING: Entity \"&#300;\" is not supported by all target browsers"), 1);

    // Faults without a line to take them are reported.
    struct Refused {
        const char* tag;
        const char* message;
    };
    const Refused refused[] = {
        {"[[SPACES x]]", "TAG ERROR: Failed to parse: |x"},
        {"[[SPACES 4, y]]", "TAG ERROR: Failed to parse: |4|y"},
        {"[[SUPER]]", "TAG ERROR: Failed to parse: "},
        {"[[ENTITY -3]]", "TAG ERROR: Failed to parse Arg#1 in \"[[ENTITY -3]] ENTITY\""},
        {"[[FRACTION]]", "TAG ERROR: Failed to parse Arg#1 in \"[[FRACTION]] FRACTION\""},
        {"[[STYLE]]", "TAG ERROR: Failed to parse Arg#1 in \"[[STYLE]] STYLE\""},
    };
    for (const Refused& c : refused) {
        messages.Clear();
        const Result r = Run(c.tag);
        EXPECT_FALSE(r.handled) << c.tag;
        EXPECT_EQ(messages.Count(c.message), 1) << c.tag;
    }

    // With a line the faults are the line's, and are not shown.
    messages.Clear();
    AnalysedLine line;
    EXPECT_FALSE(Run("[[SPACES x]]", 0, &line).handled);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(TagExecutorsTest, OversizedCountsAreCapped) {
    MessageRecorder messages(context);
    const Case cases[] = {
        {"[[SPACES 999999999999]]", Times("&nbsp;", 10000)},
        {"[[SPACES 9223372036854775807]]", Times("&nbsp;", 10000)},
        {"[[SPACES 1, 9223372036854775807]]", Times("&nbsp;", 10000)},
        {"[[SPACES -9223372036854775808]]", ""},
        {"[[SPACES 100]]", Times("&nbsp;", 100)},
        {"[[NB 99999999999999]]", "&nbsp;"},  // unreadable: the default
    };
    for (const Case& c : cases) EXPECT_EQ(Replaced(c.tag), c.expected) << c.tag;
    EXPECT_FALSE(Run("[[SPACES 99999999999999999999999]]").handled);
}

TEST_F(TagExecutorsTest, TagsWithAThousandArgumentsDoNoHarm) {
    // clang-format off
    static const char* const kNames[] = {
        "END_HEADING", "CHANGE_INDENT", "COLOR",    "COLOUR",      "CT",        "DEFINE_VARIABLE", "ENTITY",
        "FILENAME",    "FO",            "FONT",     "FRACTION",    "DEBUG",     "HTML",            "HTML_COMMENT",
        "GOTO",        "HYPERLINK",     "NB",       "OT",          "POPUP",     "RESTORE_CONTEXT", "SAVE_CONTEXT",
        "SPACES",      "SOURCE_FILE",   "STYLE",    "TEXT",        "VARIABLE",  "LINERULE",        "LINKPOINT",
        "BR",          "PAGE",          "PAGE_MARKER", "NEW_PAGE", "SUPER",     "SUB",             "TIMESTAMP",
        "TOC",         "RULESET",       "VERSION",  "CONTENTS_LIST", "HEADING", "VALIGN",          "VERTICAL_ALIGNMENT",
    };
    // clang-format on
    TextString body("<BODY>");
    context.documentState.blocks.Add(&set, &document, body);
    MessageRecorder messages(context);
    testing::internal::CaptureStdout();
    for (const char* name : kNames) {
        std::string text = std::string("[[") + name;
        for (int i = 0; i < 1000; ++i) text += (i ? ", " : " ") + std::to_string(i * 7919);
        text += "]]";
        const TextString tag(text.c_str());
        TextString tagName, arguments, error;
        int level = -1;
        RecogniseTag(set, tag, tagName, arguments, error, level);
        for (int format = 0; format < 3; ++format) {
            context.outputFormat = format;
            context.documentState.rtfOutput = format == 1;
            for (int mode : {0, 1, 5, 8}) {
                AnalysedLine line;
                line.Assign(("x " + text).c_str());
                int replace = 0;
                TextString out;
                ExecuteTag(mode, &line, tag, tagName, arguments, &document, &set, &replace, &out);
            }
        }
    }
    testing::internal::GetCapturedStdout();
    // The argument list itself is read as written.
    TextString name, arguments, error;
    int level = -1;
    ASSERT_TRUE(RecogniseTag(set, TextString("[[NB 1, 2, 3]]"), name, arguments, error, level));
    EXPECT_EQ(JoinTagArguments(arguments).str(), "1 2 3");
}

TEST_F(TagExecutorsTest, TheLineRunsTagsThroughTheDispatcher) {
    AnalysedLine line;
    line.Assign("a[[BR]]b");
    line.lineType = 1;
    TextString messages;
    int level = -1;
    EXPECT_TRUE(line.ExecuteTag(0, nullptr, TextString("[[BR]]"), set, messages, level));
    EXPECT_EQ(line.str(), "a<BR>b");
    EXPECT_EQ(line.lineType, 0);

    line.Assign("[[BRR]] [[a [[b]]");
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[BRR]]"), set, messages, level));
    EXPECT_EQ(messages.str(), "TAG ERROR: Unrecognised tag \"BRR\" : [[BRR]]");
    messages.MakeEmpty();
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[a [[b]]"), set, messages, level));
    EXPECT_EQ(messages.str(), "TAG ERROR: Incomplete tag, or nested tag - \"[[a [[b]]\"");
    EXPECT_EQ(level, 10);
}

TEST_F(TagExecutorsTest, FontTagsReadThreeArgumentsAndRecordTheChange) {
    TextString name, arguments, error;
    int level = -1;
    const TextString tag("[[FONT 1, \"Times, Roman\", 12]]");
    ASSERT_TRUE(RecogniseTag(set, tag, name, arguments, error, level));
    TextString argument;
    EXPECT_TRUE(GetTagArgument(set, arguments, 3, argument));
    EXPECT_FALSE(GetTagArgument(set, arguments, 4, argument));
    FontSpec font;
    ASSERT_TRUE(GetTagFont(&set, nullptr, name, arguments, font));
    EXPECT_EQ(font.alternateFace.str(), "Times, Roman");
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.lineHeight, 14);

    // RTF: the context takes the font at once; the open style group is
    // closed and a group with the tag's font is opened.
    UseRtf();
    context.documentState.headingSwitches[DocumentState::kFontTagsUsed] = 1;
    MessageRecorder messages(context);
    EXPECT_EQ(Replaced(tag.str()), " }{\\f0\\fs24\\b0\\i0 ");
    EXPECT_EQ(context.documentState.currentFont.size, 12);

    // HTML outside the line modes: the markup cannot be made yet, so the
    // change waits for the next paragraph.
    context.outputFormat = 0;
    context.documentState.rtfOutput = 0;
    EXPECT_EQ(Replaced("[[FONT 0, Arial, 9]]", 5), "");
    EXPECT_EQ(context.documentState.pendingFontFlag, 1);
    EXPECT_EQ(context.documentState.pendingFont.faceName.str(), "Arial");

    TextString list("<UL>");
    context.documentState.blocks.Add(&set, &document, list);
    EXPECT_EQ(Replaced("[[FONT 0, Arial, 9]]", 5), "");
    EXPECT_EQ(messages.Count("WARNING: Suppressing FONT markup near start of list"), 1);

    set.SetInt(Pol::AddFontMarkup, 0);
    set.SetInt(Pol::AddEmphasisAndBoldMarkup, 0);
    messages.Clear();
    EXPECT_EQ(Replaced("[[FONT 0, Arial, 9]]", 5), "");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(Run("[[FONT 7, Arial]]", 5).handled);
}

TEST_F(TagExecutorsTest, ALineOfTagsExecutedTogetherEndsAsWhenExecutedOneByOne) {
    // The line's tags run with their markup put in at the end in one pass;
    // END_HEADING, which takes the text before it, sees the markup of the
    // tags before it.
    const char* const kLines[] = {
        "a[[SPACES 2]]b[[SUPER 2]]c[[SPACES 1]]",
        "[[HEADING 2]]My[[SPACES 1]]Title[[END_HEADING]] rest[[SPACES 1]]x",
        "[[FOO <b> & c]] [[SPACES 1]] [[FOO <b> & c]]",
        "[[ENTITY amp]][[ENTITY amp]] and [[TEXT x]]",
    };
    context.documentState.headingSwitches[DocumentState::kInlineTagsSeen] = 1;
    for (const char* text : kLines) {
        AnalysedLine oneByOne;
        oneByOne.Assign(text);
        TextString messages;
        document.Clear();
        for (const char* at = std::strstr(text, "[["); at; at = std::strstr(at + 2, "[[")) {
            const char* end = std::strstr(at, "]]");
            int level = -1;
            oneByOne.ExecuteTag(0, &document, TextString(std::string(at, end + 2).c_str()), set, messages, level);
        }
        const std::vector<std::string> oneByOneTexts = document.Texts();

        AnalysedLine together;
        together.Assign(text);
        document.Clear();
        int result = -1;
        document.ExecuteLineTags(0, &document, &together, &set, &messages, &result);
        EXPECT_EQ(together.str(), oneByOne.str()) << text;
        EXPECT_EQ(document.Texts(), oneByOneTexts) << text;
    }
}

TEST_F(TagExecutorsTest, TaggedHeadingsAreCollectedAndWritten) {
    TextString body("<BODY>");
    context.documentState.blocks.Add(&set, &document, body);
    document.Clear();
    MessageRecorder messages(context);

    AnalysedLine line;
    line.Assign("[[HEADING 2]]My Title[[END_HEADING]] rest");
    TextString text, collected;
    int level = -1;
    EXPECT_TRUE(line.ExecuteTag(0, &document, TextString("[[HEADING 2]]"), set, text, level));
    EXPECT_TRUE(line.ExecuteTag(0, &document, TextString("[[END_HEADING]]"), set, text, level));
    EXPECT_EQ(line.str(), " rest");
    // The heading's anchor goes before it.
    EXPECT_EQ(document.Texts(),
              (std::vector<std::string>{"<A NAME=\"my_title\"> </A>", "<H2>", "My Title", "</H2>"}));
    EXPECT_EQ(context.documentState.blocks.Count(), 1);

    // A text given in the tag is escaped; a negative level makes a paragraph.
    document.Clear();
    EXPECT_TRUE(Replaced("[[HEADING -3, \"A & B\"]]") == "");
    EXPECT_EQ(Run("[[END_HEADING]]", 0, nullptr, &document).text, "");
    EXPECT_EQ(document.Texts(),
              (std::vector<std::string>{"<A NAME=\"a___b\"> </A>", "<P CLASS=\"NoHn\">A &amp; B</P>"}));

    messages.Clear();
    Replaced("[[HEADING]]");
    Replaced("[[HEADING 1]]");
    EXPECT_EQ(messages.Count("TAG ERROR: Missing END_HEADING detected at HEADING tag"), 1);
    EXPECT_FALSE(Run("[[HEADING 9]]").handled);

    // RTF: the line becomes a heading line and keeps the heading text.
    UseRtf();
    AnalysedLine rtfLine;
    rtfLine.Assign("Intro[[END_HEADING]]");
    const Result r = Run("[[END_HEADING]]", 0, &rtfLine, &document);
    EXPECT_EQ(r.text, "\\ql Intro");
    EXPECT_EQ(rtfLine.lineType, 101);
    EXPECT_EQ(rtfLine.tagCode, 101);

    messages.Clear();
    EXPECT_EQ(Replaced("[[END_HEADING]]"), "");
    EXPECT_EQ(messages.Count("TAG ERROR: END_HEADER tag seen with no matching HEADING tag"), 1);
}

TEST_F(TagExecutorsTest, ExecutorStateStartsAfreshWithEachFile) {
    Replaced("[[CHANGE_INDENT 3, 4]]");
    InlineTagState* state = GetInlineTagState(&context);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->indentChange[0], 3);
    EXPECT_EQ(state->indentChange[1], 4);
    Replaced("[[CHANGE_INDENT]]");
    EXPECT_EQ(state->indentChange[1], 0);
    Replaced("[[CHANGE_INDENT 5]]");
    Replaced("[[HEADING 2]]");
    context.StartNewFile("next.txt");  // a new file starts with fresh executor state
    state = GetInlineTagState(&context);
    EXPECT_EQ(state->indentChange[0], 0);
    EXPECT_EQ(state->heading.open, 0);
    EXPECT_EQ(GetInlineTagState(nullptr), nullptr);
}

TEST_F(TagExecutorsTest, VariablesStylesAndPageBreaks) {
    const TextString value("42");
    context.documentState.defines.Add(&set, kDefinitionVariable, TextString("X"), SourcePosition(0, 1), 0, 0,
                                      &value);
    context.trackers.output.position = SourcePosition(0, 5);
    EXPECT_EQ(Replaced("[[VARIABLE x]]"), "42");
    {
        MessageRecorder messages(context);
        EXPECT_EQ(Replaced("[[VARIABLE]]"), "");
        EXPECT_EQ(messages.Count("TAG_ERROR: Failed to parse DEFINE_VARIABLE tag"), 1);
    }

    EXPECT_EQ(Replaced("[[STYLE a, b]]"), "");
    UseRtf();
    testing::internal::CaptureStderr();
    const Result r = Run("[[STYLE a, b]]");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Storing style [[STYLE a, b]]\n");
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(r.replace, 0);

    context.outputFormat = 0;
    context.documentState.rtfOutput = 0;
    MessageRecorder messages(context);
    EXPECT_EQ(Run("[[NEW_PAGE]]", 0, nullptr, &document).text, "");
    EXPECT_EQ(document.Texts(), std::vector<std::string>{"<HR NOSHADE>"});
    EXPECT_EQ(messages.Count("PROGRAM ERROR"), 0);
    context.documentState.htmlOutput = 0;
    EXPECT_EQ(Replaced("[[NEW_PAGE]]"), " ");
    EXPECT_FALSE(Run("[[STYLE a]]").handled);
}

TEST_F(TagExecutorsTest, TaggedTextsBecomeMarkupAndBlanks) {
    TextString out;
    ConvertTaggedText(&set, false, TextString("x < y[[SUPER 2]] [[FONT 1, Arial]]z"), out);
    EXPECT_EQ(out.str(), "x &lt; y<SUP>2</SUP>  z");
    ConvertTaggedText(&set, true, TextString("<B>[[sub n]]</B>[[CAD q]]"), out);
    EXPECT_EQ(out.str(), "<B><SUB>n</SUB></B>[[CAD q]]");
    context.outputFormat = 1;
    ConvertTaggedText(&set, false, TextString("a{b}[[BR]]"), out);
    EXPECT_EQ(out.str(), "a\\'7bb\\'7d ");
    ConvertTaggedText(nullptr, false, TextString("<[[BR]]"), out);
    EXPECT_EQ(out.str(), "<[[BR]]");
}

TEST_F(TagExecutorsTest, NothingHappensWithoutAPolicySet) {
    int replace = 5;
    TextString out("x");
    EXPECT_FALSE(ExecuteTag(0, nullptr, TextString("[[BR]]"), TextString("BR"), TextString(), nullptr, nullptr,
                            &replace, &out));
    EXPECT_EQ(replace, 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(ExecuteTag(0, nullptr, TextString("[[BR]]"), TextString("BR"), TextString(), nullptr, &set, nullptr,
                           nullptr));
}

// The writer routines the executors call write into the document and
// report nothing when used properly.
TEST_F(TagExecutorsTest, WriterRoutinesReachTheDocument) {
    MessageRecorder messages(context);
    TextString out("x");
    FontSpec font;
    HTML_ChangeFont(1, &set, &font, &font, &out);
    HTML_WriteRule(&set, &document, 0, TextString("<HR>"));
    EXPECT_EQ(HTML_OutputHTMLFragment(&set, &document, "F", SourcePosition(), 0, 0, &out), 0);
    HTML_WriteHeadingAnchor(&set, &document, 102, SourcePosition(), out, out, out);
    EXPECT_FALSE(document.entries.empty());
    EXPECT_EQ(messages.Count("not built yet"), 0);
}

}  // namespace
