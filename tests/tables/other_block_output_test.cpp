#include "tables/preform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/style_set.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "support/reading_harness.h"
#include "support/recording_document.h"

namespace {

using Lines = std::vector<std::string>;

class OtherBlockOutputTest : public testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    std::unique_ptr<RTFFile> rtf;

    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::UseEmAndStrongMarkup, 0, true);
        context.trackers.codeLocation = 3;
        context.documentState.htmlOutput = 1;
    }

    // A block line with its text before escaping and its escaped display text.
    static void Add(PreForm& engine, const std::string& layout, const std::string& display, int type = 0) {
        AnalysedLine line;
        line.SetText(layout.c_str());
        line.Assign(display.c_str());
        line.lineType = type;
        if (type > 1000) line.tagCode = type;
        engine.AddLine(line);
    }
    static void Add(PreForm& engine, const std::string& text, int type = 0) { Add(engine, text, text, type); }

    // The written lines without their source indentation, empty ones dropped.
    Lines Written() const {
        Lines out;
        for (std::string text : document.Texts()) {
            text.erase(0, text.find_first_not_of(' '));
            if (!text.empty()) out.push_back(text);
        }
        return out;
    }
    std::unique_ptr<PreForm> RTFEngine() {
        context.documentState.htmlOutput = 0;
        context.documentState.rtfOutput = 1;
        context.outputFormat = 1;
        rtf = std::make_unique<RTFFile>(set);
        rtf->fileStarted = 1;
        return std::make_unique<PreForm>(rtf.get(), &set, nullptr);
    }
    Lines Buffered() const {
        Lines out;
        std::string text = rtf->Buffered().str();
        for (size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1))
            out.push_back(text.substr(0, end));
        return out;
    }
    std::string Start(int style) {
        TextString out;
        RTF_StartPara(&set, rtf.get(), style, nullptr, out, nullptr);
        return out.str();
    }
};

TEST_F(OtherBlockOutputTest, CodeSampleHighlightsCommentsAndIndentsWithSpaces) {
    for (int strong : {0, 1}) {
        set.SetInt(Pol::UseEmAndStrongMarkup, strong, true);
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        engine.looksLikeCode = 1;
        Add(engine, "x = y; // note");
        Add(engine, "open(\"http://a.b\"); // c");
        Add(engine, "  i < n", "  i &lt; n");
        Add(engine, "$_$_BEGIN_CODE", 1002);  // directive lines are never written
        engine.OutputCodeSample();
        const Lines expected = {
            "<!-- Automatically detected CODE sample -->",
            "<CODE>",
            strong ? "x = y; //<STRONG><EM> note</EM></STRONG><BR>" : "x = y; //<B><I> note</I></B><BR>",
            "open(\"http://a.b\"); // c<BR>",
            "&nbsp;&nbsp;",
            "i &lt; n<BR>",
            "</CODE>",
            "<!-- End of automatically detected CODE sample -->"};
        EXPECT_EQ(Written(), expected) << strong;
    }
}

TEST_F(OtherBlockOutputTest, CodeSampleInRTFKeepsBlanksAndDropsKeepTogetherForLongBlocks) {
    set.SetInt(Pol::MakeWindowsHelpSource, 1, true);
    auto engine = RTFEngine();
    engine->isCode = 1;
    Add(*engine, "  x = y; // note");
    engine->OutputCodeSample();
    const std::string start = Start(kStyleCode);
    ASSERT_NE(start.find("\\keepn"), std::string::npos);
    EXPECT_EQ(Buffered(), (Lines{"{" + start, "  x = y; //{\\b\\i  note\\i0\\b0}\\par", "\\par}"}));

    auto longBlock = RTFEngine();
    for (int i = 0; i < 41; ++i) Add(*longBlock, "a");
    longBlock->OutputCodeSample();
    EXPECT_EQ(Buffered().front().find("\\keepn"), std::string::npos) << Buffered().front();
}

TEST_F(OtherBlockOutputTest, PreformattedCommentsFollowTheBlockKind) {
    struct Case {
        int PreForm::*flag;
        const char* start;
        const char* end;
    };
    const std::vector<Case> cases = {
        {&PreForm::looksLikeCode, "Automatically detected CODE sample", "automatically detected CODE sample"},
        {&PreForm::isDiagram, "User-specified DIAGRAM", "user-specified DIAGRAM"},
        {&PreForm::isInversePyramid, "Automatically detected pre-formatted text",
         "automatically detected pre-formatted text"},
    };
    for (const Case& c : cases) {
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        engine.*c.flag = 1;
        Add(engine, "  a // b");
        const bool pyramid = c.flag == &PreForm::isInversePyramid;
        pyramid ? engine.OutputInversePyramid() : engine.OutputPreformatted();
        const bool code = c.flag == &PreForm::looksLikeCode;
        Lines expected = {std::string("<!-- ") + c.start + " -->", "<PRE>",
                          code ? "  a //<B><I> b</I></B>" : "  a // b", "</PRE>",
                          std::string("<!-- end of ") + c.end + " -->"};
        if (pyramid) {
            expected.insert(expected.begin(), "<!-- User-specified INVERSE PYRAMID -->");
            expected.push_back("<!-- End of INVERSE PYRAMID -->");
        }
        EXPECT_EQ(document.Texts(), expected) << c.start;
    }
}

TEST_F(OtherBlockOutputTest, NormalOutputWritesRulesAsHorizontalLines) {
    PreForm engine(&document, &set, nullptr);
    context.blockOutputInProgress = 1;
    Add(engine, std::string(40, '-'), 4);
    Add(engine, std::string(60, '='), 4);
    Add(engine, std::string(8, '-'), 2);
    Add(engine, "Fish &amp; chips");
    engine.OutputAsNormal();
    const Lines expected = {"<!-- Outputting formatted text as \"NORMAL\" -->",
                            "<P>",
                            "<HR NOSHADE ALIGN=\"LEFT\" WIDTH=\"50%\">",
                            "<HR NOSHADE>",
                            "<HR NOSHADE>",
                            "Fish &amp; chips<BR>",
                            "</P>",
                            "<!-- end of formatted text output as \"NORMAL\" -->"};
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(context.blockOutputInProgress, 0);

    document.Clear();
    PreForm diagram(&document, &set, nullptr);
    diagram.looksLikeDiagram = 1;
    Add(diagram, "+--+");
    diagram.OutputAsNormal();
    EXPECT_EQ(Written().front(), "<!-- Outputting auto-detected one-line DIAGRAM as \"NORMAL\" -->");
    EXPECT_EQ(Written().back(), "<!-- end of auto-detected one-line DIAGRAM as \"NORMAL\" -->");
}

TEST_F(OtherBlockOutputTest, MailHeaderNeedsSubjectAndSender) {
    PreForm engine(&document, &set, nullptr);
    engine.looksLikeMailHeader = 1;
    Add(engine, "From:   Ann  Lee", "From:   Ann  Lee");
    Add(engine, "SUBJ: Fish & chips", "SUBJ: Fish &amp; chips");
    Add(engine, "Subject: second subject");
    Add(engine, "Date: Mon, 1 Jan");
    engine.OutputMailHeader();
    EXPECT_EQ(Written(), (Lines{"<A NAME=\"fish___chips\"> </A>", "<!-- Start of auto-detected Mail header -->",
                                "<H2>Fish &amp; chips</H2>", "<EM>Ann Lee</EM><BR>", "<EM>Mon, 1 Jan</EM><BR>",
                                "<!-- end of auto-detected mail header -->"}));

    document.Clear();
    PreForm noSubject(&document, &set, nullptr);
    noSubject.looksLikeMailHeader = 1;
    Add(noSubject, "From: Ann");
    noSubject.OutputMailHeader();
    EXPECT_EQ(Written(),
              (Lines{"<!-- Outputting auto-detected mail header as \"NORMAL\" -->", "<P>", "From: Ann<BR>", "</P>",
                     "<!-- end of auto-detected mail header as \"NORMAL\" -->"}));
}

TEST_F(OtherBlockOutputTest, MissingWritersAreReportedAndNothingIsWritten) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "From: Ann");
    engine.OutputCodeSample();
    engine.OutputMailHeader();
    EXPECT_EQ(engine.messageText.str(),
              "PROGRAM ERROR : No HTMLFile inside ParseTable\n           "
              "PROGRAM ERROR : No HTMLFile inside OutputMailHeader");
}

// The writers pass the reader's escaped text on untouched: "&", "<" and
// accented letters are escaped exactly once.
TEST_F(OtherBlockOutputTest, EveryWriterEscapesOnce) {
    std::string layout, display;
    {
        ReadingHarness harness(0);
        harness.ReadText("Fish & chips < \xE9t\xE9 x\n");
        layout = harness.lines.at(0).taggedText;
        display = harness.lines.at(0).text;
    }
    ASSERT_EQ(display, "Fish &amp; chips &lt; &eacute;t&eacute; x");
    for (auto writer : {&PreForm::OutputCodeSample, &PreForm::OutputPreformatted, &PreForm::OutputAsNormal,
                        &PreForm::OutputMailHeader}) {
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        Add(engine, "From: " + layout, "From: " + display);
        Add(engine, "Subject: " + layout, "Subject: " + display);
        (engine.*writer)();
        const std::string written = document.Joined();
        EXPECT_EQ(written.find("&amp;amp;"), std::string::npos) << written;
        EXPECT_EQ(written.find("&amp;eacute;"), std::string::npos) << written;
        EXPECT_NE(written.find(display), std::string::npos) << written;
    }
    auto engine = RTFEngine();
    Add(*engine, "a \\ {b}", "a \\\\ \\'7bb\\'7d");
    engine->OutputAsNormal();
    EXPECT_EQ(Buffered(), (Lines{"a \\\\ \\'7bb\\'7d\\par "}));
}

TEST_F(OtherBlockOutputTest, DefinitionListRowIsFourRTFLines) {
    auto engine = RTFEngine();
    Add(*engine, "term   definition");
    engine->AddColumn(0, 6, 6, 1);
    engine->AddColumn(7, 16, 16, 1);
    engine->columns[0]->rtfWidth = 800;
    engine->leftMargin = 6;
    int bordered = -1, hasHeader = -1;
    engine->StartDefinitionList(&bordered, &hasHeader);
    TableCell* term = engine->cellRow.GetAt(0);
    term->text = " term ";
    term->lineCount = 1;
    engine->cellRow.GetAt(1)->text = "definition ";
    engine->OutputDefinitionRow(0);
    term->lineCount = 0;
    engine->OutputDefinitionRow(0);  // a row without lines writes nothing
    engine->EndDefinitionList();
    // Hanging indent: 800 twips in whole steps (720) + 360; the margin of 6
    // adds one indent step.
    EXPECT_EQ(Buffered(), (Lines{"{" + Start(kStyleHanging) + "\\li1440\\fi-1080\\widctlpar\\jclisttab\\tx1440", "{",
                                 "term\\tab", "definition", "\\par}", "}"}));
    EXPECT_EQ(hasHeader, 0);
    EXPECT_EQ(bordered, 0);

    // The header decision of a table start: a rule under the first lines.
    for (int i = 0; i < 9; ++i) Add(*engine, "a b");
    engine->ruleLineCount = 1;
    engine->firstRuleLine = 2;
    engine->StartDefinitionList(&bordered, &hasHeader);
    EXPECT_EQ(hasHeader, 1);
    engine->firstRuleLine = 8;
    engine->StartDefinitionList(&bordered, &hasHeader);
    EXPECT_EQ(hasHeader, 0);
}

// Four columns 5 characters apart with RTF widths of 100 and spans of 3.
std::unique_ptr<PreForm> FourColumns(FC& set) {
    auto engine = std::make_unique<PreForm>(nullptr, &set, nullptr);
    for (int i = 0; i < 4; ++i) {
        engine->AddColumn(i * 5, i * 5 + 4, i * 5 + 4, 1);
        engine->columns.back()->width = 5 + i;
        engine->columns.back()->rtfWidth = 100;
        engine->columns.back()->typicalSpan = 3;
    }
    return engine;
}

TEST_F(OtherBlockOutputTest, MergeColumns) {
    // Bad ranges never crash; a valid first column only gets span 1.
    for (auto [first, last] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {1, 4}, {1, -3}, {-1, 2}, {9, 12}}) {
        auto engine = FourColumns(set);
        engine->MergeColumns(first, last);
        ASSERT_EQ(engine->columnCount, 4);
        EXPECT_EQ(engine->cellRow.Count(), 4);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(engine->columns[i]->typicalSpan, i == first ? 1 : 3) << first;
    }
    PreForm empty(nullptr, &set, nullptr);
    empty.MergeLastTwoColumns();
    empty.MergeColumns(0, 1);
    EXPECT_EQ(empty.columnCount, 0);

    auto engine = FourColumns(set);
    engine->MergeColumns(1, 3);
    ASSERT_EQ(engine->columns.size(), 2u);
    EXPECT_EQ(engine->columnCount, 2);
    EXPECT_EQ(engine->cellRow.Count(), 2);
    const PreFormColumn& merged = *engine->columns[1];
    EXPECT_EQ(std::vector<int>(
                  {merged.start, merged.boundary, merged.gapEnd, merged.width, merged.rtfWidth, merged.typicalSpan}),
              std::vector<int>({5, 19, 19, 8, 300, 1}));
    engine->MergeLastTwoColumns();
    ASSERT_EQ(engine->columnCount, 1);
    EXPECT_EQ(engine->cellRow.Count(), 1);
    EXPECT_EQ(engine->columns[0]->boundary, 19);
    EXPECT_EQ(engine->columns[0]->rtfWidth, 400);
    engine->columns[0]->hasDominantValue = 1;
    engine->MergeLastTwoColumns();
    EXPECT_EQ(engine->columns[0]->hasDominantValue, 0);
}

}  // namespace
