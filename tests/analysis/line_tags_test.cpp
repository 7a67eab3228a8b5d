#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/definitions.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "support/recording_document.h"

namespace {

std::vector<std::string> gStatus;
void RecordStatus(const char* text) { gStatus.emplace_back(text ? text : ""); }

class LineTagsTest : public testing::Test {
protected:
    void SetUp() override {
        gStatus.clear();
        set.SetContext(&context);
        context.trackers.codeLocation = 1;
        context.trackers.input.position = SourcePosition(0, 10);
    }
    void TearDown() override { context.sink.SetStatusCallback(nullptr); }

    // A line whose texts all hold `text`, as the reader leaves it.
    static void Fill(AnalysedLine& line, const char* text) {
        line.Assign(text);
        line.taggedText = text;
        line.plainText = text;
        line.inputText = text;
    }
    int Switch(int index) const { return context.documentState.headingSwitches[static_cast<size_t>(index)]; }
    StringList& fonts() { return context.documentState.list2; }
    TagList& tags() { return context.documentState.tags; }
    DefineList& defines() { return context.documentState.defines; }

    Context context;
    FC set;
};

TEST_F(LineTagsTest, TagsBecomeTheTextTheyStandFor) {
    struct Case {
        const char* text;
        const char* tag;
        const char* result;
    };
    const Case cases[] = {
        {"a [[TEXT hi]] b", "[[TEXT hi]]", "a hi b"},
        // TEXT keeps its text as written, commas included.
        {"[[TEXT Hello, world]]!", "[[TEXT Hello, world]]", "Hello, world!"},
        {"[[TEXT  two  blanks ]]", "[[TEXT  two  blanks ]]", " two  blanks "},
        {"[[OT]]x", "[[OT]]", "++x"},
        {"x[[ct]]", "[[ct]]", "x--"},
        {"caf[[ENTITY 233]]", "[[ENTITY 233]]", "caf?"},
        {"x[[SUPER 2]]", "[[SUPER 2]]", "x 2"},
        {"H[[sub 2]]O", "[[sub 2]]", "H 2O"},
        {"see [[GOTO 3.1, Intro]].", "[[GOTO 3.1, Intro]]", "see 3.1 Intro."},
        {"[[HYPERLINK 1, http://x.org, Site]]", "[[HYPERLINK 1, http://x.org, Site]]", "Site"},
        {"[[HYPERLINK 1, http://x.org]]", "[[HYPERLINK 1, http://x.org]]", "http://x.org"},
        {"[[HYPERLINK]]", "[[HYPERLINK]]", "[HYPERLINK]"},
        {"a[[BR]]b", "[[BR]]", "a b"},
        {"a[[BRR]]b", "[[BRR]]", "a b"},
        {"a[[x [[BR]]b", "[[x [[BR]]", "a b"},
        // Only the first occurrence is replaced, case-sensitively.
        {"[[br]] [[BR]] [[BR]]", "[[BR]]", "[[br]]   [[BR]]"},
    };
    for (const Case& c : cases) {
        AnalysedLine line;
        Fill(line, c.text);
        line.ProcessInLineTag(TextString(c.tag), set);
        EXPECT_EQ(line.str(), c.result) << c.text;
        EXPECT_EQ(line.inputText->str(), c.result) << c.text;
        EXPECT_EQ(line.plainText->str(), c.result) << c.text;
        EXPECT_EQ(line.taggedText->str(), c.text) << c.text;
        EXPECT_EQ(line.trimmedLength, line.plainText->length) << c.text;
    }
}

TEST_F(LineTagsTest, EachEntityCountsAsOneCharacter) {
    AnalysedLine line;
    Fill(line, "[[ENTITY 169]] 1999 [[ENTITY 169]]");
    RecordingDocument reader;
    reader.ProcessInLineTags(&line, &set);
    EXPECT_EQ(line.plainText->str(), "? 1999 ?");
    EXPECT_EQ(line.trimmedLength, 8);
}

TEST_F(LineTagsTest, RecordsWhichKindsOfTagsTheFileUses) {
    AnalysedLine line;
    Fill(line, "[[BRR]]");
    line.ProcessInLineTag(TextString("[[BRR]]"), set);
    EXPECT_EQ(Switch(DocumentState::kInlineTagsSeen), 0);

    line.ProcessInLineTag(TextString("[[BR]]"), set);
    EXPECT_EQ(Switch(DocumentState::kInlineTagsSeen), 1);
    EXPECT_EQ(Switch(DocumentState::kFontTagsUsed), 0);
    EXPECT_EQ(Switch(DocumentState::kTextTagsUsed), 0);

    line.ProcessInLineTag(TextString("[[COLOUR red]]"), set);
    EXPECT_EQ(Switch(DocumentState::kFontTagsUsed), 1);
    line.ProcessInLineTag(TextString("[[OT]]"), set);
    EXPECT_EQ(Switch(DocumentState::kTextTagsUsed), 1);
}

TEST_F(LineTagsTest, FontTagsAddTheirFontOnce) {
    AnalysedLine line;
    const char* tags[] = {"[[FONT 1, Arial, 12, 1, 3]]",
                          "[[font 1, ARIAL, 9, 1, 3]]",
                          "[[FONT 0, Courier]]",
                          "[[FONT 1, Arial, 12, 0, 2]]",
                          "[[FONT 7, Arial]]",
                          "[[FONT 1]]",
                          "[[FONT x, Arial]]"};
    for (const char* tag : tags) {
        Fill(line, tag);
        line.ProcessInLineTag(TextString(tag), set);
        EXPECT_EQ(line.str(), " ") << tag;
    }
    std::vector<std::string> keys;
    for (int i = 0; i < fonts().count; ++i) keys.emplace_back(fonts().TextAt(i));
    const std::vector<std::string> expected = {"Arial--1-3", "-Courier-0-0", "Arial--0-2"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(Switch(DocumentState::kFontTagsUsed), 1);
}

TEST_F(LineTagsTest, FolioTagsDefineTheFolioVariables) {
    context.trackers.codeLocation = 2;
    context.trackers.input.position = SourcePosition(0, 10);
    context.trackers.analysis.position = SourcePosition(0, 10);
    const int units = context.trackers.definitionUnits;

    AnalysedLine line;
    const char* tag = "[[FOLIO x, 7, 2, Page %p]]";
    Fill(line, tag);
    line.ProcessInLineTag(TextString(tag), set);
    EXPECT_EQ(line.str(), " ");
    EXPECT_EQ(context.trackers.codeLocation, 2);
    EXPECT_EQ(context.trackers.definitionUnits, units + 3);

    ASSERT_EQ(defines().Count(), 3);
    const char* names[] = {"PAGE_NUMBER", "FOLIO_FORMAT_CODE", "FOLIO_TEMPLATE"};
    const char* values[] = {"7", "2", "Page %p"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(defines().GetAt(i)->name.str(), names[i]);
        EXPECT_EQ(defines().GetAt(i)->text.str(), values[i]);
        EXPECT_EQ(defines().GetAt(i)->scope.start.Compare(SourcePosition(0, 11)), 0);
    }
    TextString value;
    EXPECT_TRUE(ResolveFolioVariable(&defines(), &set, "PAGE_NUMBER", SourcePosition(0, 40), value));
    EXPECT_EQ(value.str(), "7");

    ASSERT_EQ(tags().Count(), 1);
    EXPECT_EQ(tags().GetAt(0)->name.str(), "FOLIO");
    EXPECT_EQ(tags().GetAt(0)->position.Compare(SourcePosition(0, 11)), 0);

    // Without its page number a FOLIO tag defines nothing, but is still
    // remembered.
    Fill(line, "[[FOLIO x]]");
    line.ProcessInLineTag(TextString("[[FOLIO x]]"), set);
    EXPECT_EQ(defines().Count(), 3);
    EXPECT_EQ(tags().Count(), 2);
}

TEST_F(LineTagsTest, QuadAndPageMarkerTagsAreRemembered) {
    MessageRecorder messages(context);
    AnalysedLine line;
    for (const char* tag : {"[[QUAD C]]", "[[PAGE_MARKER p2]]", "[[QUAD]]", "[[QUAD X]]", "[[quad r]]"}) {
        Fill(line, tag);
        line.ProcessInLineTag(TextString(tag), set);
    }
    ASSERT_EQ(tags().Count(), 3);
    EXPECT_EQ(tags().GetAt(0)->name.str(), "QUAD");
    EXPECT_EQ(tags().GetAt(0)->value, 2);
    EXPECT_EQ(tags().GetAt(0)->position.Compare(SourcePosition(0, 11)), 0);
    EXPECT_EQ(tags().GetAt(1)->name.str(), "PAGE_MARKER");
    EXPECT_EQ(tags().GetAt(1)->value, 0);
    EXPECT_EQ(tags().GetAt(2)->value, 3);
    // The bad alignment is reported; the parse faults are line messages.
    EXPECT_EQ(messages.Count("TAG ERROR: Bad alignment code 'X' "), 1);
    EXPECT_EQ(messages.Count("Failed to parse"), 0);

    // Within an included unit the tag counts where the unit was included.
    context.trackers.input.position = SourcePosition(2, 4);
    context.trackers.input.outerPosition = SourcePosition(0, 30);
    Fill(line, "[[QUAD L]]");
    line.ProcessInLineTag(TextString("[[QUAD L]]"), set);
    ASSERT_EQ(tags().Count(), 4);
    EXPECT_EQ(tags().GetAt(3)->position.Compare(SourcePosition(0, 31)), 0);
}

TEST_F(LineTagsTest, DebugTagsShowTheirArguments) {
    set.SetInt(Pol::ErrorReportingLevel, 9);
    context.sink.SetStatusCallback(RecordStatus);
    AnalysedLine line;
    Fill(line, "[[DEBUG a, b]]");
    line.ProcessInLineTag(TextString("[[DEBUG a, b]]"), set);
    const std::vector<std::string> expected = {"DEBUG: Tag DEBUG= |a|b", "DEBUG:    arg No.1= a",
                                               "DEBUG:    arg No.2= b", "DEBUG:    arg No.3= (****)",
                                               "DEBUG:    arg No.4= (****)"};
    EXPECT_EQ(gStatus, expected);
    EXPECT_EQ(line.str(), " ");
}

TEST_F(LineTagsTest, ExecuteTagReportsUnrecognisedTags) {
    AnalysedLine line;
    Fill(line, "a [[BRR]] [[x [[y]]");
    TextString messages;
    int level = -1;
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[BRR]]"), set, messages, level));
    EXPECT_EQ(messages.str(), "TAG ERROR: Unrecognised tag \"BRR\" : [[BRR]]");
    EXPECT_EQ(level, 10);
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[x [[y]]"), set, messages, level));
    EXPECT_EQ(messages.str(),
              "TAG ERROR: Unrecognised tag \"BRR\" : [[BRR]]\n"
              "           TAG ERROR: Incomplete tag, or nested tag - \"[[x [[y]]\"");
    // The line is left alone.
    EXPECT_EQ(line.str(), "a [[BRR]] [[x [[y]]");
}

TEST_F(LineTagsTest, AnUnrecognisedTagWrittenIntoHtmlShowsAsTyped) {
    RecordingDocument document;
    struct Case {
        int format;
        OutputDocument* document;
        const char* result;
    };
    const Case cases[] = {
        // Written into HTML, its markup characters show as typed.
        {kOutputHTML, &document, "a [[NO &lt;b&gt; x&amp;y &eacute;]] b"},
        // While analysing, and in RTF (escaped as it was read), it stays.
        {kOutputHTML, nullptr, "a [[NO <b> x&y &eacute;]] b"},
        {kOutputRTF, &document, "a [[NO <b> x&y &eacute;]] b"},
    };
    for (const Case& c : cases) {
        context.outputFormat = c.format;
        AnalysedLine line;
        Fill(line, "a [[NO <b> x&y &eacute;]] b");
        TextString messages;
        int level = -1;
        EXPECT_FALSE(line.ExecuteTag(2, c.document, TextString("[[NO <b> x&y &eacute;]]"), set, messages, level));
        EXPECT_EQ(messages.str(), "TAG ERROR: Unrecognised tag \"NO\" : [[NO <b> x&y &eacute;]]");
        EXPECT_EQ(line.str(), c.result) << c.format;
    }
}

TEST_F(LineTagsTest, ExecuteTagLeavesTagsWithoutExecutorToTheLine) {
    AnalysedLine line;
    Fill(line, "a [[NEW_ROW]]b");
    line.lineType = 1;
    TextString messages;
    int level = -1;
    // NEW_ROW has no executor of its own (user tables act on it): the line
    // takes the tag, which stands for a blank.
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[NEW_ROW]]"), set, messages, level));
    EXPECT_EQ(line.str(), "a  b");
    EXPECT_EQ(messages.str(), "");
    EXPECT_EQ(level, -1);
    EXPECT_EQ(line.lineType, 1);  // no executor ran
}

TEST_F(LineTagsTest, LineMessagesAreNeitherShownNorKept) {
    MessageRecorder messages(context);
    AnalysedLine line;
    Fill(line, "text");
    for (const char* text : {"TAG ERROR: x", "WARNING: y", "ERROR: z", "plain"})
        for (int level : {1, 7, 10}) line.LineMessage(context, TextString(text), level);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(line.annotation, nullptr);

    // A message reported while the line is the current line of the main file
    // goes to the line as well.
    context.SetCurrentLine(&context.trackers.input, &line);
    context.trackers.input.position = SourcePosition(0, 3);
    set.ReportMessage("TAG ERROR: about the line", 10);
    EXPECT_TRUE(messages.Messages().empty());
    context.SetCurrentLine(&context.trackers.input, nullptr);
    set.ReportMessage("TAG ERROR: not about a line", 10);
    EXPECT_EQ(messages.Count("not about a line"), 1);
}

TEST(LineTags, UpperCaseAllowsTheAmpersandEntity) {
    struct Case {
        const char* text;
        bool upper;
    };
    // clang-format off
    const Case cases[] = {
        {"HELLO &amp; WORLD", true}, {"HELLO &AMP; WORLD", true}, {"123 -- !", true}, {"", true},
        {"Hello", false},            {"A &ampx", false},          {"&amp;amp", false}, {"AT&amp", false},
        {"X amp; Y", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        AnalysedLine line;
        line.Assign(c.text);
        EXPECT_EQ(line.IsUpperCase(), c.upper) << c.text;
        const TextLine& asTextLine = line;
        EXPECT_EQ(asTextLine.IsUpperCase(), c.upper) << c.text;
    }
}

TEST(LineTags, BreakPointsInsideMarkupAreFlagged) {
    struct Case {
        const char* text;
        int width;
        int option;
        int inside;
    };
    const Case cases[] = {
        {"see <A HREF=x>link</A> now and then", 10, 1, 1},
        {"see <A HREF=x>link</A> now and then", 10, 0, 0},
        {"<B>bold</B> and more words here", 14, 1, 0},
        {"plain words without any markup", 12, 1, 0},
    };
    for (const Case& c : cases) {
        AnalysedLine line;
        line.Assign(c.text);
        int position = -5, inside = -5;
        line.FindBreakPoint(0, c.width, " ", ")]}>,;", "([{<!=+-\"", &position, &inside, 0, c.option);
        EXPECT_GE(position, 0) << c.text;
        EXPECT_EQ(inside, c.inside) << c.text;
    }
}

TEST(LineTags, WrappingWidthFollowsTheLine) {
    const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron";
    auto firstPiece = [&](AnalysedLine& line, int width) {
        TextString piece;
        int next = -1;
        line.CutWrappedPiece(width, 0, " ", "", "", &piece, &next, 0, 0);
        return piece.str();
    };
    AnalysedLine plain;
    plain.Assign(words.c_str());
    const std::string narrow = firstPiece(plain, 20);
    EXPECT_LE(narrow.size(), 20u);

    AnalysedLine linked;
    linked.Assign(words.c_str());
    linked.extraWrapWidth = 10;
    const std::string wider = firstPiece(linked, 20);
    EXPECT_GT(wider.size(), 20u);
    EXPECT_LE(wider.size(), 45u);

    AnalysedLine preformatted;
    preformatted.Assign(words.c_str());
    preformatted.SetFlag(kFlagPreformatted, true);
    EXPECT_EQ(firstPiece(preformatted, 20), words);
}

}  // namespace
