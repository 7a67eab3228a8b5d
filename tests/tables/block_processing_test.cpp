#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/engine_fixture.h"
#include "support/recording_document.h"
#include "tables/preform.h"

namespace {

class BlockProcessingTest : public EngineFixture {
protected:
    std::unique_ptr<PreForm> Engine(const std::vector<const char*>& texts) { return EngineWithLines(texts); }

    std::string Output() const { return document.Joined("\n"); }
};

TEST_F(BlockProcessingTest, SpecialFormatCodeSetsOneKindFlag) {
    // Flags in the order table, code, pre-formatted, diagram, user table,
    // delimited, underwriter, inverse pyramid.
    // clang-format off
    const std::vector<std::vector<int>> expected = {
        {0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 1, 0, 0, 0, 0},
        {0, 0, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 0, 0, 1, 0, 0},
        {0, 0, 0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0},
    };
    // clang-format on
    PreForm engine(&document, &set, nullptr);
    for (int code = 0; code <= 11; ++code) {
        engine.SetSpecialFormat(8);  // every flag and the delimiter are set back first
        engine.isTable = engine.isCode = engine.isInversePyramid = 1;
        engine.messageText.MakeEmpty();
        engine.SetSpecialFormat(code);
        const std::vector<int> flags = {engine.isTable,       engine.isCode,          engine.isPreformatted,
                                        engine.isDiagram,     engine.isUserTable,     engine.isDelimited,
                                        engine.isUnderwriter, engine.isInversePyramid};
        EXPECT_EQ(flags, expected[static_cast<size_t>(code)]) << code;
        EXPECT_EQ(engine.delimiter, code == 8 ? ',' : '\t') << code;
        EXPECT_EQ(engine.messageText.str(), code == 11 ? "UNSUPPORTED CASE: Special Format Code 11" : "");
    }
}

TEST_F(BlockProcessingTest, MessagesAreKeptFromTheReportingLevelAndJoined) {
    set.SetInt(Pol::ErrorReportingLevel, 5);
    context.documentState.analysisPass = 1;  // collected in every pass
    PreForm engine(&document, &set, nullptr);
    engine.Message("INFO: not kept", 4);
    EXPECT_TRUE(engine.messageText.IsEmpty());
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
    EXPECT_TRUE(document.entries.empty()) << Output();
}

TEST_F(BlockProcessingTest, DelimiterPolicyOverridesTheCommaOfTheBlock) {
    set.GetDefaultTabConfig()->SetText(TabPol::DelimiterCharacter, ";");
    auto engine = Engine({"alpha;beta,gamma", "one;two"});
    engine->Process(8);
    EXPECT_EQ(engine->delimiter, ';');
    EXPECT_NE(Output().find(">beta,gamma<"), std::string::npos) << Output();
}

TEST_F(BlockProcessingTest, EmptyOrBlankBlockWritesNothing) {
    for (int code : {0, 1, 8}) Engine({"", "    ", "\t"})->Process(code);
    Engine({})->Process(0);
    EXPECT_EQ(context.tableCounter, 0);
    EXPECT_TRUE(document.entries.empty()) << Output();
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
    EXPECT_NE(Output().find("Just a sentence of text."), std::string::npos) << Output();
}

// A block with a message on every line does not hold them all: past the
// bound they are reported as they come, as further lines of one message, so
// that what is shown reads as before and nothing is lost.
TEST_F(BlockProcessingTest, ManyBlockMessagesAreReportedAsTheyComeAndAllOfThem) {
    AnalysedLine current;
    current.SetText("some input line");
    context.SetCurrentLine(&context.trackers.input, &current);
    context.trackers.codeLocation = 1;
    PreForm engine(&document, &set, nullptr);
    std::string expected;
    const int count = 3 * PreForm::kHeldMessageBytes / 40;
    for (int i = 0; i < count; ++i) {
        const std::string text = "TAG ERROR: Unrecognised tag \"Q\" : [[Q " + std::to_string(i) + "]]";
        expected += (i ? "\n           " : "") + text;
        engine.Message(text.c_str(), kLevelAlways);
        ASSERT_LE(engine.messageText.length, PreForm::kHeldMessageBytes + 64) << i;
    }
    EXPECT_GE(messages.Messages().size(), 2u);
    // Reported early, the messages belong to no line; the line is current again.
    EXPECT_EQ(context.trackers.input.currentLine, &current);
    engine.Process(11);  // reports the rest with the block
    std::string shown;
    for (const std::string& message : messages.Messages()) shown += (shown.empty() ? "" : "\n") + message;
    EXPECT_EQ(shown, expected + "\n           UNSUPPORTED CASE: Special Format Code 11");
}

TEST_F(BlockProcessingTest, PolicyLineIsAppliedWithOrWithoutItsDirective) {
    const char* tagError =
        "TAG ERROR: Failed to remove directive \"$_$_CHANGE_POLICY\" from input line (may be case sensitive)";
    Engine({"$_$_CHANGE_POLICY Page Width : 60"})->ApplyPolicyLine(0);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 60);
    EXPECT_EQ(messages.Count(tagError), 0);
    Engine({"Page Width : 90"})->ApplyPolicyLine(0);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 90);
    EXPECT_EQ(messages.Count(tagError), 1);
}

TEST_F(BlockProcessingTest, TwoColumnRtfTableIsADefinitionListUnlessATermRunsOn) {
    context.outputFormat = 1;
    context.documentState.htmlOutput = 0;
    context.documentState.rtfOutput = 1;
    for (const char* second : {"          grows on trees", "green"}) {
        document.Clear();
        Engine({"apple     A red fruit that", second, "banana    A yellow fruit", "cherry    A stone fruit"})
            ->Process(1);
        const bool list = second[0] == ' ';
        EXPECT_EQ(Output().find("\\trowd") == std::string::npos, list) << Output();
        EXPECT_EQ(Output().find("apple\\tab") != std::string::npos, list) << Output();
    }
}

}  // namespace
