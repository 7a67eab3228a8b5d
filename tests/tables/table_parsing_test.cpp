#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/recording_document.h"
#include "tables/preform.h"

namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class TableParsingTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    RecordingDocument document;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
    }

    // An engine holding `texts` with two columns (0-9 and 10 on), and the
    // line flags the analysis would give them.
    std::unique_ptr<PreForm> Engine(const std::vector<const char*>& texts) {
        auto engine = std::make_unique<PreForm>(&document, &set, nullptr);
        for (const char* text : texts) {
            AnalysedLine line;
            line.SetText(text);
            engine->AddLine(line);
        }
        engine->AddColumn(0, 9, 9, -1);
        engine->AddColumn(10, 40, 40, -1);
        engine->tabConfig = set.GetDefaultTabConfig();
        engine->smallestIndent = 0;
        TableCellRow row;
        for (int i = 0; i < engine->lineCount; ++i) {
            PreFormLine& line = *engine->lines[static_cast<size_t>(i)];
            const std::string layout = line.Layout().str();
            line.isBlank = layout.find_first_not_of(' ') == std::string::npos;
            line.isRuleLine = !line.isBlank && layout.find_first_not_of("-= ") == std::string::npos;
            if (line.isBlank) ++engine->blankLineCount;
            if (line.isRuleLine) {
                if (engine->ruleLineCount == 0) engine->firstRuleLine = i;
                if (engine->ruleLineCount == 1) engine->secondRuleLine = i;
                engine->lastRuleLine = i;
                ++engine->ruleLineCount;
            }
            engine->SplitLineIntoCells(&row, i, 1);
            line.filledCellCount = 0;
            line.firstFilledCell = -1;
            for (int c = 0; c < row.Count(); ++c) {
                const TableCell* cell = row.GetAt(c);
                if (cell->span > 1) line.hasSpanningCell = 1;
                if (cell->text.IsEmpty()) continue;
                if (line.firstFilledCell < 0) line.firstFilledCell = c;
                ++line.filledCellCount;
            }
        }
        return engine;
    }

    // The HTML written, lines joined without their indentation.
    std::string Html() const {
        std::string joined;
        for (std::string text : document.Texts()) joined += text.erase(0, text.find_first_not_of(' '));
        return joined;
    }
};

TEST_F(TableParsingTest, LinesWithOneFilledCellContinueTheRow) {
    auto engine = Engine({"Name      Value", "alpha     one", "          two", "          three", "beta      four"});
    engine->ParseTable(1);
    const std::string html = Html();
    EXPECT_NE(html.find("one<BR>two<BR>three"), std::string::npos) << html;
    EXPECT_EQ(Count(html, "<TR"), 3) << html;
}

TEST_F(TableParsingTest, RuleUnderFirstRowMakesAHeaderRowAndNoRuleRow) {
    auto engine = Engine({"Name      Value", "---------------", "alpha     one", "beta      two", "gamma     three"});
    engine->ParseTable(1);
    const std::string html = Html();
    EXPECT_EQ(engine->headerRowCount, 1);
    EXPECT_EQ(Count(html, "<TR"), 4) << html;
    EXPECT_EQ(Count(html, "<TH"), 2) << html;
    EXPECT_EQ(Count(html, "<HR"), 0) << html;
}

TEST_F(TableParsingTest, RuleLinesInTheBodyOfAnUnborderedTableBecomeRuleRows) {
    struct Case {
        std::vector<const char*> lines;
        const char* rule;
        int rows;
    };
    const std::vector<Case> cases = {
        {{"a         1", "b         2", "c         3", "d         4", "---------------", "e         5",
          "f         6"},
         "<HR>", 7},
        // A run of rule lines gives one heavy rule row.
        {{"a         1", "b         2", "c         3", "d         4", "---------------", "===============",
          "e         5", "f         6"},
         "<HR SIZE=5 NOSHADE>", 7},
    };
    for (const Case& c : cases) {
        document.Clear();
        auto engine = Engine(c.lines);
        engine->ParseTable(1);
        const std::string html = Html();
        EXPECT_NE(html.find("BORDER=0"), std::string::npos) << html;
        EXPECT_EQ(Count(html, c.rule), 2) << html;
        EXPECT_EQ(Count(html, "<HR"), 2) << html;
        EXPECT_EQ(Count(html, "<TR"), c.rows) << html;
    }
}

TEST_F(TableParsingTest, BlankLineInsideABorderedRowAddsAnEmptyLine) {
    auto engine = Engine({"Name      Value", "---------------", "alpha     one", "", "          two", "beta      three"});
    engine->ParseTable(1);
    const std::string html = Html();
    EXPECT_NE(html.find("BORDER=2"), std::string::npos) << html;
    EXPECT_NE(html.find("one<BR>&nbsp;<BR>two"), std::string::npos) << html;
    EXPECT_EQ(Count(html, "<TR"), 3) << html;
}

TEST_F(TableParsingTest, TextBlockIsOneRowWithRulesInLaterColumns) {
    auto engine = Engine({"          first line", "          ----------", "          last line"});
    engine->isTextBlock = 1;
    engine->ParseTable(3);
    const std::string html = Html();
    EXPECT_EQ(Count(html, "<TR"), 1) << html;
    EXPECT_NE(html.find("first line<BR>"), std::string::npos) << html;
    EXPECT_NE(html.find("<HR NOSHADE><BR>"), std::string::npos) << html;
    EXPECT_NE(html.find("last line"), std::string::npos) << html;
}

TEST_F(TableParsingTest, HeaderRowsCountFromTheFirstLineAfterLeadingBlanks) {
    set.GetDefaultTabConfig()->SetInt(TabPol::HeaderRows, 3);
    auto engine = Engine({"", "h1        x", "h2        y", "h3        z", "d1        1", "d2        2"});
    engine->ParseTable(1);
    EXPECT_EQ(engine->headerRowCount, 3);
    EXPECT_EQ(engine->leadingBlankCount, 1);
    const std::string html = Html();
    EXPECT_EQ(Count(html, "<TH"), 6) << html;
    EXPECT_EQ(Count(html, "<TD"), 4) << html;
}

TEST_F(TableParsingTest, HeaderColumnsApplyWithoutHeaderRows) {
    set.GetDefaultTabConfig()->SetInt(TabPol::HeaderCols, 1);
    auto engine = Engine({"alpha     one", "beta      two"});
    engine->ParseTable(1);
    EXPECT_EQ(engine->headerColumnCount, 1);
    EXPECT_EQ(engine->headerRowCount, 0);
    EXPECT_EQ(Count(Html(), "<STRONG>alpha</STRONG>") + Count(Html(), "<STRONG>beta</STRONG>"), 2) << Html();
}

TEST_F(TableParsingTest, LineWithASpanningCellIsARowOfItsOwn) {
    auto engine = Engine({"alpha     one", "Headings across", "          more", "beta      two"});
    ASSERT_EQ(engine->lines[1]->hasSpanningCell, 1);
    engine->ParseTable(1);
    const std::string html = Html();
    EXPECT_EQ(Count(html, "COLSPAN=2"), 1) << html;
    EXPECT_EQ(Count(html, "<TR"), 4) << html;
}

TEST_F(TableParsingTest, BlankSeparatedRowsJoinTheirLinesAndSplitOnChangedSpans) {
    auto engine = Engine({"alpha     one", "          more", "", "Headings across", "", "beta      two",
                          "Spanning heading"});
    engine->blankSeparatedRows = 1;
    engine->ParseTable(1);
    const std::string html = Html();
    EXPECT_NE(html.find("one<BR>more"), std::string::npos) << html;
    EXPECT_EQ(Count(html, "COLSPAN=2"), 2) << html;
    // Only the change of span inside a row is ambiguous, not a row's first line.
    EXPECT_EQ(Count(engine->messageText.str(), "Ambiguous"), 1) << engine->messageText;
    EXPECT_NE(engine->messageText.str().find("WARNING: Ambiguous ColSpan Creating new row at (6,0) was 1 now 2"),
              std::string::npos)
        << engine->messageText;
}

TEST_F(TableParsingTest, TrialGivesUpTheDefinitionListForLongTerms) {
    struct Case {
        std::vector<const char*> lines;
        int dominant, expected;
    };
    const std::vector<Case> cases = {
        {{"term      definition", "          goes on", "next      one"}, 0, 1},
        {{"term      definition", "goes on", "next      one"}, 0, 0},
        // A header row above a rule near the top may hold two lines.
        {{"Long      Value", "name", "---------------", "term      def"}, 0, 1},
        {{"term      definition", "next      one"}, 1, 0},
    };
    for (const Case& c : cases) {
        auto engine = Engine(c.lines);
        engine->columns[0]->hasDominantValue = c.dominant;
        engine->canUseDefinitionList = 1;
        engine->ParseTable(0);
        EXPECT_EQ(engine->canUseDefinitionList, c.expected) << c.lines[1];
    }
    EXPECT_TRUE(document.entries.empty()) << Html();
}

TEST_F(TableParsingTest, CellLineBreakFollowsTheOutput) {
    struct Case {
        int parseType, html, rtf, definitionList;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {1, 1, 0, 0, "a<BR>"}, {1, 0, 1, 0, "a\\par "}, {2, 0, 1, 1, "a "}, {0, 1, 0, 0, "a"},
    };
    for (const Case& c : cases) {
        auto engine = Engine({"a"});
        engine->htmlOutput = c.html;
        engine->rtfOutput = c.rtf;
        engine->canUseDefinitionList = c.definitionList;
        TableCell* cell = engine->cellRow.GetAt(0);
        cell->text = "a";
        cell->lineCount = 1;
        engine->AddCellLineBreak(c.parseType, 0);
        EXPECT_EQ(cell->text.str(), c.expected);
        // A cell without lines needs no break.
        cell->lineCount = 0;
        engine->AddCellLineBreak(c.parseType, 0);
        EXPECT_EQ(cell->text.str(), c.expected);
    }
}

TEST_F(TableParsingTest, PolicyLineIsAppliedAndDirectiveLinesAreNoRows) {
    auto engine = Engine({"alpha     one", "beta      two"});
    for (int type : {1008, 1018}) {
        AnalysedLine directive;
        directive.SetText(type == 1008 ? "$_$_CHANGE_POLICY Page Width : 60" : "$_$_END_BLOCK");
        directive.lineType = type;
        directive.tagCode = type;
        engine->AddLine(directive);
        engine->lines.back()->filledCellCount = 1;
        engine->lines.back()->firstFilledCell = 0;
    }
    engine->ParseTable(1);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 60);
    EXPECT_EQ(Count(Html(), "$_$_"), 0) << Html();
    EXPECT_EQ(Count(Html(), "<TR"), 2) << Html();
}

TEST_F(TableParsingTest, UnknownParseTypeIsReported) {
    auto engine = Engine({"alpha     one"});
    engine->ParseTable(7);
    EXPECT_NE(engine->messageText.str().find("UNSUPPORTED CASE: Parse type 7"), std::string::npos);
    EXPECT_TRUE(document.entries.empty());
}

TEST_F(TableParsingTest, MissingWriterIsReported) {
    PreForm engine(nullptr, &set, nullptr);
    engine.ParseTable(1);
    EXPECT_EQ(engine.messageText.str(), "PROGRAM ERROR : No HTMLFile inside ParseTable");
}

}  // namespace
