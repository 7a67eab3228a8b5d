#include "context/context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text_file.h"
#include "policies/fc.h"

namespace {

std::vector<std::string>* gMessages = nullptr;
void Collect(const char* text) {
    if (gMessages) gMessages->push_back(text);
}

// Collects what the context's sink shows while it lives.
class MessageCapture {
public:
    explicit MessageCapture(Context& context) {
        gMessages = &messages;
        context.sink.SetMessageCallback(Collect);
        context.sink.SetStatusCallback(Collect);
    }
    ~MessageCapture() { gMessages = nullptr; }
    bool Has(const std::string& text) const {
        for (const std::string& m : messages)
            if (m == text) return true;
        return false;
    }
    std::vector<std::string> messages;
};

}  // namespace

TEST(Context, FreshContextState) {
    Context context(1, 0);
    EXPECT_EQ(context.trackers.codeLocation, 0);
    EXPECT_EQ(context.documentState.analysisPass, 1);
    EXPECT_EQ(context.documentState.htmlOutput, 0);
    for (const TextString& text : context.documentState.headerTexts) EXPECT_EQ(text.str(), "** UNKNOWN **");
    EXPECT_EQ(context.documentState.blocks.Count(), 0);
    EXPECT_EQ(context.documentState.defines.Count(), 0);
    EXPECT_TRUE(context.documentState.metaTags.empty());
    EXPECT_EQ(context.directives[kDirAllow].str(), "$_$_ALLOW");
    EXPECT_EQ(context.directives[kDirTOC].str(), "$_$_TOC");
    EXPECT_EQ(context.directives[kDirUnused92].str(), "");
    EXPECT_EQ(context.directives[kDirColumnDetails].str(), "$_$_COLUMN_DETAILS");
    EXPECT_EQ(context.directives[kDirInsertBlock].str(), "$_$_INSERT_BLOCK");
    EXPECT_EQ(context.inlineTags.opening[0].str(), "[[BR");
    EXPECT_EQ(context.inlineTags.complete[0].str(), "[[BR]]");
    EXPECT_EQ(context.inlineTags.closing[0].str(), "BR]]");
    EXPECT_EQ(context.inlineTags.closing[15].str(), "FO]]");
    EXPECT_EQ(context.inlineTags.opening[15].str(), "");
    EXPECT_EQ(context.inlineTags.complete[5].str(), "");
    EXPECT_EQ(context.inlineTags.complete[48].str(), "[[WS]]");
    EXPECT_EQ(context.trackers.ruleWidth.str(), "800");
    EXPECT_EQ(context.trackers.input.permissions[kAllowList4], 1);

    Context rtf(1, 1);
    EXPECT_EQ(rtf.documentState.currentFont.size, 10);
    EXPECT_EQ(rtf.documentState.pendingFont.size, 10);
    EXPECT_EQ(context.documentState.currentFont.size, 12);
}

TEST(Context, KeywordTablesFollowThePolicies) {
    Context context(1, 0);
    FC set;
    set.SetText(Pol::DirectiveDelimiter, "##");
    set.SetText(Pol::StartTagDelimiter, "<<");
    set.SetText(Pol::EndTagDelimiter, "");
    context.RegisterDirectiveKeywords(&set);
    context.RegisterInlineTagKeywords(&set);
    EXPECT_EQ(context.directives[kDirAllow].str(), "##ALLOW");
    EXPECT_EQ(context.directives[kDirUnused92].str(), "");
    EXPECT_EQ(context.inlineTags.startLength, 2);
    EXPECT_EQ(context.inlineTags.endLength, 0);
    EXPECT_EQ(context.inlineTags.complete[0].str(), "<<BR");
    EXPECT_EQ(context.inlineTags.closing[0].str(), "BR");
    // A run without a policy set keeps the default prefix it was built with.
    context.RegisterDirectiveKeywords(nullptr);
    EXPECT_EQ(context.directives[kDirAllow].str(), "##ALLOW");
}

TEST(Context, TrackerLookupAndForgottenLines) {
    Context context(1, 0);
    context.sink.SetFilters(1, 0, 0, 0, 0, 0);
    context.sink.SetReportingLevel(10);
    MessageCapture capture(context);
    EXPECT_EQ(context.pGetTracker(), &context.trackers.output);
    EXPECT_TRUE(capture.Has("PROGRAM ERROR: Unknown Code location in Context::pGetTracker"));
    context.trackers.codeLocation = 1;
    EXPECT_EQ(context.pGetTracker(), &context.trackers.input);
    context.trackers.codeLocation = 2;
    EXPECT_EQ(context.pGetTracker(), &context.trackers.analysis);

    int dummy = 0;
    auto* line = reinterpret_cast<AnalysedLine*>(&dummy);
    context.trackers.analysis.currentLine = line;
    context.ForgetLine(line);
    EXPECT_EQ(context.trackers.analysis.currentLine, nullptr);
}

TEST(Context, SessionLinesWaitForTheLog) {
    Context context(1, 0);
    context.runParameters.consoleEcho = 0;
    context.LogSessionLine(TextString("first"));
    EXPECT_EQ(context.pendingLog.str(), "SESSION: first");
    StringList lines;
    TextFile log;
    log.outputList = &lines;
    log.OpenForWrite("log", 0, 0);
    context.sink.SetLogFile(&log);
    context.LogSessionLine(TextString("second"));
    ASSERT_EQ(lines.count, 1);
    EXPECT_EQ(lines.GetAt(0)->text.str(), "SESSION: first\nSESSION: second");
    EXPECT_EQ(context.pendingLog.str(), "");
    context.sink.SetLogFile(nullptr);
}

TEST(Context, MessagesAboutTheCurrentLineStayWithTheLine) {
    Context context(1, 0);
    FC set;
    set.SetContext(&context);
    MessageCapture capture(context);
    int dummy = 0;
    context.trackers.codeLocation = 2;
    context.trackers.analysis.position = SourcePosition(0, 12);
    context.trackers.analysis.currentLine = reinterpret_cast<AnalysedLine*>(&dummy);
    set.ReportMessage("WARNING: about line 12", 10);
    EXPECT_TRUE(capture.messages.empty());
    context.trackers.analysis.position = SourcePosition(1, 3);  // an included unit
    set.ReportMessage("WARNING: about an include", 10);
    context.trackers.analysis.currentLine = nullptr;
    context.trackers.analysis.position = SourcePosition(0, 12);
    set.ReportMessage("WARNING: no current line", 10);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"WARNING: about an include", "WARNING: no current line"}));
}

TEST(Context, HeadingsAndSectionReferences) {
    Context context(1, 0);
    FC set;
    set.SetContext(&context);
    MessageCapture capture(context);
    TextString none;
    context.AddHeadingEntry(&set, 101, TextString("1 Introduction"), TextString("1 Introduction"),
                            TextString("intro"), SourcePosition(0, 3), none, none, none);
    context.AddHeadingEntry(&set, 102, TextString("2.1 Detail"), TextString("2.1 Detail"), TextString("detail"),
                            SourcePosition(0, 9), none, none, none);
    context.AddHeadingEntry(&set, 151, TextString("1 Introduction"), TextString("1 Introduction"), TextString("c1"),
                            SourcePosition(0, 1), none, none, none);
    context.AddHeadingEntry(&set, 7, TextString("x"), TextString("x"), TextString("x"), SourcePosition(0, 1), none,
                            none, none);
    EXPECT_TRUE(capture.Has("UNSUPPORTED CASE: Unexpected contents line type : 7"));
    EXPECT_EQ(context.documentState.headings.Count(), 2);
    EXPECT_EQ(context.documentState.contents.Count(), 1);
    EXPECT_EQ(context.documentState.headings.lowestLevel, 1);
    EXPECT_EQ(context.documentState.headings.highestLevel, 2);

    TextString file, extension;
    EXPECT_TRUE(context.FindReferencedSection(&set, 102, TextString("2.1"), file, extension));
    EXPECT_EQ(extension.str(), ".html");
    EXPECT_TRUE(context.FindReferencedSection(&set, 101, TextString("1"), file, extension));
    // A reference ending in a full stop is looked for one line type lower.
    EXPECT_FALSE(context.FindReferencedSection(&set, 101, TextString("1."), file, extension));
    EXPECT_FALSE(context.FindReferencedSection(&set, 101, TextString("2.1"), file, extension));
    EXPECT_EQ(extension.str(), "");
}

TEST(Context, StartNewFileClearsThePerFileState) {
    Context context(1, 0);
    context.documentState.headerTexts[3].Assign("Title");
    context.documentState.htmlOutput = 1;
    context.AddMetaTag("keywords", "a b");
    context.trackers.codeLocation = 3;
    context.StartNewFile("/data/report.txt");
    EXPECT_EQ(context.documentState.headerTexts[3].str(), "** UNKNOWN **");
    EXPECT_EQ(context.documentState.htmlOutput, 0);
    EXPECT_TRUE(context.documentState.metaTags.empty());
    EXPECT_EQ(context.trackers.codeLocation, 0);
    EXPECT_EQ(context.documentState.inputName.str(), "report");
    EXPECT_EQ(context.documentState.inputExtension.str(), ".txt");
}

TEST(PolicySetInContext, RunParameters) {
    Context context(1, 0);
    FC set;
    set.SetContext(&context);
    MessageCapture capture(context);
    context.runParameters.rtf = 1;
    context.runParameters.logFile = 1;
    context.runParameters.logFileName.Assign("run.log");
    context.runParameters.messages = 0;
    context.runParameters.ruleSetName.Assign("Bogus");
    set.ApplyRunParameters(context);
    EXPECT_EQ(context.outputFormat, 1);
    EXPECT_EQ(set.names.outputExtension.str(), ".rtf");
    EXPECT_EQ(set.GetText(Pol::OutputLogFilename).str(), "run.log");
    EXPECT_TRUE(set.IsSet(Pol::CreateLogFile));
    EXPECT_FALSE(set.IsOn(Pol::DisplayMessages));
    EXPECT_TRUE(set.IsSet(Pol::DisplayMessages));
    EXPECT_EQ(context.runParameters.ruleSetName.str(), "");

    // With messages displayed the refusal of a rule-set name is shown.
    Context second(1, 0);
    FC other;
    other.SetContext(&second);
    MessageCapture shown(second);
    second.runParameters.ruleSetName.Assign("Bogus");
    other.ApplyRunParameters(second);
    EXPECT_TRUE(shown.Has("CTX.Command ERROR: Unrecognised RuleSet \"Bogus\""));
    second.runParameters.ruleSetName.Assign("SEC");
    other.ApplyRunParameters(second);
    EXPECT_EQ(other.ruleSetCode, 2);
}

TEST(PolicySetInContext, OptionGroupsAreOfferedAndWritten) {
    Context context(1, 0);
    FC set;
    set.SetContext(&context);
    TextString line("Target Page width : 60");
    int category = 0;
    EXPECT_EQ(set.ParsePolicyLine(line, category, false), 0);
    EXPECT_EQ(context.optionGroups.formatting.GetInt(kOptTargetPageWidth), 60);
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    sink.OpenForWrite("x", 0, 0);
    set.WritePolicyFile(sink, false);
    ASSERT_GE(lines.count, 5);
    EXPECT_EQ(lines.GetAt(2)->text.str(), "[Text formatting]");
}
