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

class BlockProcessingTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    RecordingDocument document;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
    }

    std::unique_ptr<PreForm> Engine(const std::vector<const char*>& texts) {
        auto engine = std::make_unique<PreForm>(&document, &set, nullptr);
        for (const char* text : texts) {
            AnalysedLine line;
            line.SetText(text);
            engine->AddLine(line);
        }
        return engine;
    }

    std::string Html() const { return document.Joined("\n"); }
};

TEST_F(BlockProcessingTest, SpecialFormatCodeSetsOneKindFlag) {
    struct Case {
        int code;
        std::vector<int> flags;  // table, code, pre, diagram, user, delimited, underwriter, pyramid
        char delimiter;
    };
    const std::vector<Case> cases = {
        {0, {0, 0, 0, 0, 0, 0, 0, 0}, '\t'},  {1, {1, 0, 0, 0, 0, 0, 0, 0}, '\t'},
        {2, {0, 1, 0, 0, 0, 0, 0, 0}, '\t'},  {3, {0, 0, 0, 1, 0, 0, 0, 0}, '\t'},
        {4, {0, 0, 1, 0, 0, 0, 0, 0}, '\t'},  {5, {0, 0, 0, 0, 1, 0, 0, 0}, '\t'},
        {6, {0, 0, 0, 0, 1, 0, 0, 0}, '\t'},  {7, {0, 0, 0, 0, 0, 1, 0, 0}, '\t'},
        {8, {0, 0, 0, 0, 0, 1, 0, 0}, ','},   {9, {0, 0, 0, 0, 0, 0, 1, 0}, '\t'},
        {10, {0, 0, 0, 0, 0, 0, 0, 1}, '\t'}, {11, {0, 0, 0, 0, 0, 0, 0, 0}, '\t'},
    };
    PreForm engine(&document, &set, nullptr);
    for (const Case& c : cases) {
        // Every flag is cleared first.
        engine.SetSpecialFormat(8);
        engine.isTable = engine.isCode = engine.isInversePyramid = 1;
        engine.messageText.MakeEmpty();
        engine.SetSpecialFormat(c.code);
        const std::vector<int> flags = {engine.isTable,     engine.isCode,      engine.isPreformatted,
                                        engine.isDiagram,   engine.isUserTable, engine.isDelimited,
                                        engine.isUnderwriter, engine.isInversePyramid};
        EXPECT_EQ(flags, c.flags) << c.code;
        EXPECT_EQ(engine.delimiter, c.delimiter) << c.code;
        EXPECT_EQ(engine.messageText.str(), c.code == 11 ? "UNSUPPORTED CASE: Special Format Code 11" : "");
    }
}

TEST_F(BlockProcessingTest, MessagesAreKeptFromTheReportingLevelAndJoined) {
    set.SetInt(Pol::ErrorReportingLevel, 5);
    PreForm engine(&document, &set, nullptr);
    // Collected in the analysis pass as well.
    context.documentState.analysisPass = 1;
    engine.Message("INFO: not kept", 4);
    EXPECT_TRUE(engine.messageText.IsEmpty());
    EXPECT_EQ(engine.messageLevel, 0);
    engine.Message("INFO: first", 5);
    engine.Message("WARNING: second", 7);
    engine.Message("INFO: third", 6);
    EXPECT_EQ(engine.messageText.str(), "INFO: first\n           WARNING: second\n           INFO: third");
    EXPECT_EQ(engine.messageLevel, 7);
}

TEST_F(BlockProcessingTest, HeaderLinesSkippedDependOnTheBlockLength) {
    set.GetDefaultTabConfig()->SetInt(TabPol::IgnoreHeaderInAnalysis, 1);
    const std::vector<std::pair<int, int>> cases = {{7, 5}, {8, 5}, {25, 5}, {26, 5}, {30, 6}, {2, 0}, {1, 0}};
    for (const auto& [lines, expected] : cases) {
        auto engine = Engine(std::vector<const char*>(static_cast<size_t>(lines), "text"));
        engine->Process(9);
        EXPECT_EQ(engine->headerLineCount, expected) << lines;
    }
    // Underwriter blocks are refused and write nothing.
    EXPECT_EQ(messages.Count("PROGRAM ERROR : Underwriter sections not supported in this variant"), 7);
    EXPECT_TRUE(document.entries.empty()) << Html();
}

TEST_F(BlockProcessingTest, DelimiterPolicyOverridesTheCommaOfTheBlock) {
    set.GetDefaultTabConfig()->SetText(TabPol::DelimiterCharacter, ";");
    auto engine = Engine({"alpha;beta,gamma", "one;two"});
    engine->Process(8);
    EXPECT_EQ(engine->delimiter, ';');
    EXPECT_EQ(engine->columnCount, 2);
    EXPECT_NE(Html().find(">beta,gamma<"), std::string::npos) << Html();
}

TEST_F(BlockProcessingTest, EmptyOrBlankBlockWritesNothing) {
    for (int code : {0, 1, 8}) {
        auto engine = Engine({"", "    ", "\t"});
        engine->Process(code);
    }
    auto engine = Engine({});
    engine->Process(0);
    EXPECT_EQ(context.tableCounter, 0);
    EXPECT_TRUE(document.entries.empty()) << Html();
}

TEST_F(BlockProcessingTest, BlockIsDispatchedByItsKind) {
    struct Case {
        int code, codeMarkup;
        std::vector<const char*> lines;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {3, 0, {"one line"}, "<!-- User-specified DIAGRAM -->"},
        {2, 1, {"x = 1;", "y = 2;"}, "<CODE>"},
        {2, 0, {"x = 1;", "y = 2;"}, "<!-- User-specified CODE sample -->\n<PRE>"},
        {4, 0, {"text"}, "<!-- User-specified pre-formatted text -->"},
        {10, 0, {"text"}, "<!-- User-specified INVERSE PYRAMID -->"},
        {1, 0, {"alpha     one", "beta      two"}, "<!-- User-specified TABLE structure -->"},
        {0, 0, {"Just a sentence of text."}, "<!-- Outputting formatted text as \"NORMAL\" -->"},
    };
    for (const Case& c : cases) {
        document.Clear();
        set.GetDefaultTabConfig()->SetInt(TabPol::UseCodeMarkup, c.codeMarkup);
        auto engine = Engine(c.lines);
        engine->Process(c.code);
        EXPECT_NE(Html().find(c.expected), std::string::npos) << c.code << "\n" << Html();
    }
}

TEST_F(BlockProcessingTest, BlockMessagesAreReportedAfterTheBlockWithoutACurrentLine) {
    AnalysedLine current;
    current.SetText("some input line");
    context.SetCurrentLine(&context.trackers.output, &current);
    context.SetCurrentLine(&context.trackers.input, &current);
    context.trackers.codeLocation = 1;
    auto engine = Engine({"Just a sentence of text."});
    engine->Process(11);
    EXPECT_EQ(messages.Count("UNSUPPORTED CASE: Special Format Code 11"), 1);
    EXPECT_TRUE(engine->messageText.IsEmpty());
    EXPECT_EQ(context.trackers.codeLocation, 1);
    EXPECT_EQ(context.blockOutputInProgress, 0);
    EXPECT_NE(Html().find("Just a sentence of text."), std::string::npos) << Html();
}

TEST_F(BlockProcessingTest, PolicyLineIsApplied) {
    struct Case {
        const char* text;
        int outputPass, pageWidth, tagErrors;
    };
    const std::vector<Case> cases = {
        {"$_$_CHANGE_POLICY Page Width : 60", 1, 60, 0},
        // Case matters: the directive stays in the text, which is applied all the same.
        {"$_$_change_policy Page Width : 70", 1, 80, 1},
        {"Page Width : 90", 1, 90, 1},
        {"Page Width : 100", 0, 100, 0},
    };
    for (const Case& c : cases) {
        messages.Clear();
        set.SetInt(Pol::PageWidth, 80);
        context.documentState.htmlOutput = c.outputPass;
        auto engine = Engine({c.text});
        engine->ApplyPolicyLine(0);
        EXPECT_EQ(set.GetInt(Pol::PageWidth), c.pageWidth) << c.text;
        EXPECT_EQ(messages.Count("TAG ERROR: Failed to remove directive \"$_$_CHANGE_POLICY\" from input line "
                                 "(may be case sensitive)"),
                  c.tagErrors)
            << c.text;
    }
}

}  // namespace

namespace {

TEST_F(BlockProcessingTest, TwoColumnRtfTableIsADefinitionListUnlessATermRunsOn) {
    context.outputFormat = 1;
    context.documentState.htmlOutput = 0;
    context.documentState.rtfOutput = 1;
    struct Case {
        std::vector<const char*> lines;
        bool list;
    };
    const std::vector<Case> cases = {
        {{"apple     A red fruit that", "          grows on trees", "banana    A yellow fruit",
          "cherry    A small stone fruit", "date      A sweet fruit"},
         true},
        {{"apple     A red fruit that", "green     grows on trees", "tart", "banana    A yellow fruit",
          "cherry    A small stone fruit", "date      A sweet fruit"},
         false},
    };
    for (const Case& c : cases) {
        document.Clear();
        auto engine = Engine(c.lines);
        ASSERT_EQ(engine->rtfOutput, 1);
        engine->Process(1);
        const std::string rtf = Html();
        EXPECT_EQ(rtf.find("\\trowd") == std::string::npos, c.list) << rtf;
        EXPECT_EQ(rtf.find("\\tab") != std::string::npos, c.list) << rtf;
    }
}

}  // namespace
