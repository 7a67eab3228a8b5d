#include "tables/preform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
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

// One input line as the reader delivers it: the text before escaping and
// the escaped display text, read through the real reader so that "&", "<"
// and accented letters come out as the conversion sees them.
struct ReadText {
    std::string layout;
    std::string display;
};

ReadText Read(const std::string& input, int format) {
    ReadingHarness harness(format);
    harness.SetPolicy("Use Preprocessor : no");
    harness.ReadText(input + "\n");
    if (harness.lines.empty()) return {};
    return {harness.lines[0].taggedText, harness.lines[0].text};
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return out;
}

class OtherBlockOutputTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    RecordingDocument document;

    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::UseEmAndStrongMarkup, 0, true);
        context.trackers.codeLocation = 3;
        context.documentState.htmlOutput = 1;
    }
    void TearDown() override {
        context.documentState.htmlOutput = 0;
        context.documentState.rtfOutput = 0;
    }

    static void Add(PreForm& engine, const std::string& layout, const std::string& display, int type = 0,
                    int tagCode = -3) {
        AnalysedLine line;
        line.SetText(layout.c_str());
        line.Assign(display.c_str());
        line.lineType = type;
        line.tagCode = tagCode;
        engine.AddLine(line);
    }
    static void Add(PreForm& engine, const std::string& text, int type = 0) { Add(engine, text, text, type); }

    // The written lines without their source indentation, empty ones dropped.
    std::vector<std::string> Written() const {
        std::vector<std::string> out;
        for (std::string text : document.Texts()) {
            text.erase(0, text.find_first_not_of(' '));
            if (!text.empty()) out.push_back(text);
        }
        return out;
    }

    // An engine writing RTF into a buffered RTF document.
    std::unique_ptr<RTFFile> rtf;
    std::unique_ptr<PreForm> RTFEngine() {
        context.documentState.htmlOutput = 0;
        context.documentState.rtfOutput = 1;
        context.outputFormat = 1;
        rtf = std::make_unique<RTFFile>(set);
        rtf->fileStarted = 1;
        return std::make_unique<PreForm>(rtf.get(), &set, nullptr);
    }
    std::vector<std::string> Buffered() const { return SplitLines(rtf->Buffered().str()); }
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
        Add(engine, "$_$_CHANGE_POLICY Page Width : 70", "$_$_CHANGE_POLICY Page Width : 70", 1008, 1008);
        Add(engine, "$_$_BEGIN_CODE", "$_$_BEGIN_CODE", 1002, 1002);
        engine.OutputCodeSample();
        const std::vector<std::string> expected = {
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
    const std::vector<std::string> expected = {"{" + start, "  x = y; //{\\b\\i  note\\i0\\b0}\\par", "\\par}"};
    EXPECT_EQ(Buffered(), expected);

    auto longBlock = RTFEngine();
    longBlock->isCode = 1;
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
        {&PreForm::isCode, "<!-- User-specified CODE sample -->", "<!-- end of user-specified CODE sample -->"},
        {&PreForm::looksLikeCode, "<!-- Automatically detected CODE sample -->",
         "<!-- end of automatically detected CODE sample -->"},
        {&PreForm::isDiagram, "<!-- User-specified DIAGRAM -->", "<!-- end of user-specified DIAGRAM -->"},
        {&PreForm::looksLikeDiagram, "<!-- Automatically detected DIAGRAM -->",
         "<!-- end of automatically detected DIAGRAM -->"},
        {&PreForm::isPreformatted, "<!-- User-specified pre-formatted text -->",
         "<!-- end of user-specified pre-formatted text -->"},
        {nullptr, "<!-- Automatically detected pre-formatted text -->",
         "<!-- end of automatically detected pre-formatted text -->"},
    };
    for (const Case& c : cases) {
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        if (c.flag) engine.*c.flag = 1;
        Add(engine, "  a // b");
        engine.OutputPreformatted();
        const bool code = c.flag == &PreForm::isCode || c.flag == &PreForm::looksLikeCode;
        const std::vector<std::string> expected = {c.start, "<PRE>", code ? "  a //<B><I> b</I></B>" : "  a // b",
                                                   "</PRE>", c.end};
        EXPECT_EQ(document.Texts(), expected) << c.start;
    }
}

TEST_F(OtherBlockOutputTest, NormalOutputWritesRulesAsHorizontalLines) {
    PreForm engine(&document, &set, nullptr);
    Add(engine, std::string(40, '-'), 4);
    Add(engine, std::string(60, '='), 4);
    Add(engine, std::string(8, '-'), 2);
    Add(engine, "Fish &amp; chips", 0);
    Add(engine, "", 1);
    engine.OutputAsNormal();
    const std::vector<std::string> expected = {"<!-- Outputting formatted text as \"NORMAL\" -->",
                                               "<P>",
                                               "<HR NOSHADE ALIGN=\"LEFT\" WIDTH=\"50%\">",
                                               "<HR NOSHADE>",
                                               "<HR NOSHADE>",
                                               "Fish &amp; chips<BR>",
                                               "<BR>",
                                               "</P>",
                                               "<!-- end of formatted text output as \"NORMAL\" -->"};
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(context.blockOutputInProgress, 0);
}

TEST_F(OtherBlockOutputTest, NormalOutputNamesWhatTheBlockLookedLike) {
    struct Case {
        int looksLikeDiagram, isDiagram, looksLikeMailHeader;
        const char* start;
        const char* end;
    };
    const std::vector<Case> cases = {
        {1, 1, 0, "<!-- User-specified DIAGRAM being output as \"NORMAL\" -->",
         "<!-- end of user-specified DIAGRAM being output as \"NORMAL\" -->"},
        {1, 0, 1, "<!-- Outputting auto-detected one-line DIAGRAM as \"NORMAL\" -->",
         "<!-- end of auto-detected one-line DIAGRAM as \"NORMAL\" -->"},
        {0, 0, 1, "<!-- Outputting auto-detected mail header as \"NORMAL\" -->",
         "<!-- end of auto-detected mail header as \"NORMAL\" -->"},
    };
    for (const Case& c : cases) {
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        engine.looksLikeDiagram = c.looksLikeDiagram;
        engine.isDiagram = c.isDiagram;
        engine.looksLikeMailHeader = c.looksLikeMailHeader;
        Add(engine, "+--+");
        engine.OutputAsNormal();
        const std::vector<std::string> written = Written();
        ASSERT_GE(written.size(), 2u);
        EXPECT_EQ(written.front(), c.start);
        EXPECT_EQ(written.back(), c.end);
    }
}

TEST_F(OtherBlockOutputTest, MailHeaderBecomesHeadingSenderAndDate) {
    PreForm engine(&document, &set, nullptr);
    engine.looksLikeMailHeader = 1;
    Add(engine, "From:   Ann  <ann@x>", "From:   Ann  &lt;ann@x&gt;");
    Add(engine, "SUBJ: Fish & chips", "SUBJ: Fish &amp; chips");
    Add(engine, "Subject: second subject");
    Add(engine, "Date: Mon, 1 Jan");
    Add(engine, "body text");
    engine.OutputMailHeader();
    const std::vector<std::string> expected = {
        "<!-- Start of auto-detected Mail header -->", "<H2>Fish &amp; chips</H2>", "<EM>Ann &lt;ann@x&gt;</EM><BR>",
        "<EM>Mon, 1 Jan</EM><BR>", "<!-- end of auto-detected mail header -->"};
    EXPECT_EQ(Written(), expected);
}

TEST_F(OtherBlockOutputTest, MailHeaderWithoutSubjectIsWrittenAsNormal) {
    PreForm engine(&document, &set, nullptr);
    engine.looksLikeMailHeader = 1;
    Add(engine, "From: Ann");
    Add(engine, "Date: today");
    engine.OutputMailHeader();
    const std::vector<std::string> expected = {"<!-- Outputting auto-detected mail header as \"NORMAL\" -->",
                                               "<P>",
                                               "From: Ann<BR>",
                                               "Date: today<BR>",
                                               "</P>",
                                               "<!-- end of auto-detected mail header as \"NORMAL\" -->"};
    EXPECT_EQ(Written(), expected);
}

TEST_F(OtherBlockOutputTest, MissingWritersAreReportedAndNothingIsWritten) {
    PreForm engine(nullptr, &set, nullptr);
    Add(engine, "From: Ann");
    engine.OutputCodeSample();
    engine.OutputPreformatted();
    engine.OutputAsNormal();
    engine.OutputInversePyramid();
    engine.OutputMailHeader();
    const std::string collected = engine.messageText.str();
    EXPECT_EQ(collected, "PROGRAM ERROR : No HTMLFile inside ParseTable\n           "
                         "PROGRAM ERROR : No HTMLFile inside ParseTable\n           "
                         "PROGRAM ERROR : No HTMLFile inside ParseTable\n           "
                         "PROGRAM ERROR : No HTMLFile inside ParseTable\n           "
                         "PROGRAM ERROR : No HTMLFile inside OutputMailHeader");
    EXPECT_EQ(engine.messageLevel, 10);
}

// Every writer passes the reader's escaped text through untouched: each
// "&", "<" and accented letter is escaped exactly once.
TEST_F(OtherBlockOutputTest, EveryWriterEscapesOnce) {
    const ReadText html = Read("Fish & chips < \xE9t\xE9 x", 0);
    ASSERT_NE(html.display.find("&amp;"), std::string::npos) << html.display;
    ASSERT_EQ(html.display.find("&amp;amp;"), std::string::npos);
    ASSERT_NE(html.display.find("&eacute;"), std::string::npos) << html.display;
    using Writer = void (PreForm::*)();
    const std::vector<std::pair<const char*, Writer>> writers = {{"code", &PreForm::OutputCodeSample},
                                                                 {"pre", &PreForm::OutputPreformatted},
                                                                 {"normal", &PreForm::OutputAsNormal},
                                                                 {"mail", &PreForm::OutputMailHeader}};
    for (const auto& [name, writer] : writers) {
        document.Clear();
        PreForm engine(&document, &set, nullptr);
        engine.looksLikeMailHeader = 1;
        Add(engine, "From: " + html.layout, "From: " + html.display);
        Add(engine, "Subject: " + html.layout, "Subject: " + html.display);
        (engine.*writer)();
        int found = 0;
        for (const std::string& text : document.Texts()) {
            EXPECT_EQ(text.find("&amp;amp;"), std::string::npos) << name << ": " << text;
            EXPECT_EQ(text.find("&amp;lt;"), std::string::npos) << name << ": " << text;
            EXPECT_EQ(text.find("&amp;eacute;"), std::string::npos) << name << ": " << text;
            if (text.find(html.display) != std::string::npos) ++found;
        }
        EXPECT_EQ(found, 2) << name << ": " << document.Joined();
    }

    const ReadText rtfText = Read("a \\ {b} \xE9", 1);
    ASSERT_NE(rtfText.display.find("\\'7b"), std::string::npos) << rtfText.display;
    auto engine = RTFEngine();
    Add(*engine, rtfText.layout, rtfText.display);
    engine->OutputAsNormal();
    EXPECT_EQ(Buffered(), (std::vector<std::string>{rtfText.display + "\\par "}));
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
    TableCell* definition = engine->cellRow.GetAt(1);
    term->text = " term ";
    term->lineCount = 1;
    definition->text = "definition ";
    definition->lineCount = 1;
    engine->OutputDefinitionRow(0);
    term->lineCount = 0;
    definition->lineCount = 0;
    engine->OutputDefinitionRow(0);  // a row without lines writes nothing
    engine->EndDefinitionList();
    // Hanging indent 800 twips in whole steps (720) + 360, and one indent
    // step for the margin of 6.
    const std::vector<std::string> expected = {
        "{" + Start(kStyleHanging) + "\\li1440\\fi-1080\\widctlpar\\jclisttab\\tx1440",
        "{",
        "term\\tab",
        "definition",
        "\\par}",
        "}"};
    EXPECT_EQ(Buffered(), expected);
    EXPECT_EQ(hasHeader, 0);
    EXPECT_EQ(bordered, 0);
}

TEST_F(OtherBlockOutputTest, DefinitionListHeaderFollowsTheRuleLines) {
    struct Case {
        int lines, rules, first, second, last;
        int header;
    };
    const std::vector<Case> cases = {
        {3, 1, 1, -1, 1, 1},   // title, rule, one row
        {10, 1, 2, -1, 2, 1},  // rule under two header lines
        {10, 1, 8, -1, 8, 0},  // a rule near the end is no header rule
        {10, 0, -1, -1, -1, 0},
    };
    for (const Case& c : cases) {
        PreForm engine(&document, &set, nullptr);
        for (int i = 0; i < c.lines; ++i) Add(engine, "a b");
        engine.ruleLineCount = c.rules;
        engine.firstRuleLine = c.first;
        engine.secondRuleLine = c.second;
        engine.lastRuleLine = c.last;
        int bordered = 0, hasHeader = 0;
        engine.StartDefinitionList(&bordered, &hasHeader);
        EXPECT_EQ(hasHeader, c.header) << c.lines << " " << c.first;
    }
}

TEST_F(OtherBlockOutputTest, InversePyramidFramesPreformattedText) {
    PreForm engine(&document, &set, nullptr);
    engine.isInversePyramid = 1;
    Add(engine, "WIDE LINE");
    engine.OutputInversePyramid();
    const std::vector<std::string> expected = {"<!-- User-specified INVERSE PYRAMID -->",
                                               "<!-- Automatically detected pre-formatted text -->",
                                               "<PRE>",
                                               "WIDE LINE",
                                               "</PRE>",
                                               "<!-- end of automatically detected pre-formatted text -->",
                                               "<!-- End of INVERSE PYRAMID -->"};
    EXPECT_EQ(document.Texts(), expected);
}

class ColumnMergeTest : public OtherBlockOutputTest {
protected:
    // Four columns of widths 5 (RTF 100 each), spans 3.
    std::unique_ptr<PreForm> FourColumns() {
        auto engine = std::make_unique<PreForm>(&document, &set, nullptr);
        Add(*engine, "aaaa bbbb cccc dddd");
        for (int i = 0; i < 4; ++i) {
            engine->AddColumn(i * 5, i * 5 + 4, i * 5 + 4, 1);
            engine->columns.back()->width = 5 + i;
            engine->columns.back()->rtfWidth = 100;
            engine->columns.back()->typicalSpan = 3;
        }
        return engine;
    }
};

TEST_F(ColumnMergeTest, BadRangesOnlyResetTheSpan) {
    const std::vector<std::pair<int, int>> ranges = {{1, 1}, {2, 1}, {1, 4}, {1, -3}, {-1, 2}, {4, 5}, {9, 12}};
    for (const auto& [first, last] : ranges) {
        auto engine = FourColumns();
        engine->MergeColumns(first, last);
        EXPECT_EQ(engine->columnCount, 4) << first << "," << last;
        EXPECT_EQ(engine->cellRow.Count(), 4);
        for (int i = 0; i < 4; ++i) {
            const bool reset = i == first;
            EXPECT_EQ(engine->columns[i]->typicalSpan, reset ? 1 : 3) << first << "," << last;
            EXPECT_EQ(engine->columns[i]->boundary, i * 5 + 4);
        }
    }
}

TEST_F(ColumnMergeTest, MergingTakesOverTheLastColumnsEnd) {
    auto engine = FourColumns();
    engine->MergeColumns(1, 3);
    ASSERT_EQ(engine->columnCount, 2);
    ASSERT_EQ(static_cast<int>(engine->columns.size()), 2);
    EXPECT_EQ(engine->cellRow.Count(), 2);
    const PreFormColumn& merged = *engine->columns[1];
    EXPECT_EQ(merged.start, 5);
    EXPECT_EQ(merged.boundary, 19);
    EXPECT_EQ(merged.gapEnd, 19);
    EXPECT_EQ(merged.width, 8);
    EXPECT_EQ(merged.rtfWidth, 300);
    EXPECT_EQ(merged.typicalSpan, 1);
    EXPECT_EQ(engine->columns[0]->boundary, 4);

    engine->MergeLastTwoColumns();
    ASSERT_EQ(engine->columnCount, 1);
    EXPECT_EQ(engine->cellRow.Count(), 1);
    EXPECT_EQ(engine->columns[0]->boundary, 19);
    EXPECT_EQ(engine->columns[0]->rtfWidth, 400);

    engine->columns[0]->hasDominantValue = 1;
    engine->MergeLastTwoColumns();
    EXPECT_EQ(engine->columnCount, 1);
    EXPECT_EQ(engine->columns[0]->hasDominantValue, 0);

    PreForm empty(&document, &set, nullptr);
    empty.MergeLastTwoColumns();
    empty.MergeColumns(0, 1);
    EXPECT_EQ(empty.columnCount, 0);
}

}  // namespace
