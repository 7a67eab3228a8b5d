#include "foundation/message_reporter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/string_list.h"
#include "foundation/text_file.h"

namespace {

using Texts = std::vector<std::string>;
Texts g_messages;
Texts g_statusLines;

void RecordMessage(const char* text) { g_messages.emplace_back(text); }
void RecordStatus(const char* text) { g_statusLines.emplace_back(text); }

std::string StderrOf(MessageReporter& reporter, const char* text, int level) {
    testing::internal::CaptureStderr();
    reporter.OutputMessage(text, level);
    return testing::internal::GetCapturedStderr();
}

// A status line goes to standard error as well; standard output stays empty.
std::string StderrOfStatus(MessageReporter& reporter, const char* text) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    reporter.OutputStatus(text);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    return shown;
}

class MessageReporterTest : public testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        g_statusLines.clear();
    }
};

TEST_F(MessageReporterTest, ResetDefaultsAndStandardStreams) {
    MessageReporter reporter;
    EXPECT_EQ(StderrOf(reporter, "shown", 10), "shown\n");
    EXPECT_EQ(StderrOf(reporter, "dropped", 9), "");
    EXPECT_EQ(StderrOfStatus(reporter, "Processing : x"), "");
    for (const char* text : {"URL: a", "INFO: b", "WARNING: c", "PROGRAM ERROR: d", "TAG ERROR: e"})
        EXPECT_EQ(StderrOf(reporter, text, 10), "") << text;
    EXPECT_EQ(StderrOf(reporter, "ERROR: no filter of its own", 10), "ERROR: no filter of its own\n");

    reporter.SetReportingLevel(1);
    reporter.SetText("before");
    EXPECT_EQ(StderrOfStatus(reporter, "Processing : a.txt"), "Processing : a.txt\n");
    // The callback takes the place of the stream.
    reporter.SetMessageCallback(RecordMessage);
    EXPECT_EQ(StderrOf(reporter, "to the window", 10), "");
    EXPECT_EQ(g_messages, Texts{"to the window"});
}

TEST_F(MessageReporterTest, LevelRule) {
    const struct {
        int reportingLevel, messageLevel;
        bool shown;
    } cases[] = {{5, 5, true}, {5, 4, false}, {10, 0, true}, {10, -1, false}, {0, 10, true}, {0, 9, false}};
    for (const auto& c : cases) {
        MessageReporter reporter;
        reporter.SetMessageCallback(RecordMessage);
        reporter.SetReportingLevel(c.reportingLevel);
        g_messages.clear();
        reporter.OutputMessage("text", c.messageLevel);
        EXPECT_EQ(g_messages.size(), c.shown ? 1u : 0u) << c.reportingLevel << " " << c.messageLevel;
    }
}

TEST_F(MessageReporterTest, ClassFilters) {
    const struct {
        const char* text;
        int filter;  // the one filter on: 0 URL, 1 INFO, 2 WARNING, 3 PROGRAM ERROR, 4 TAG ERROR
        bool dropped;
    } cases[] = {
        {"WARNING: x", 2, true},   {"Line 12 - warning: x", 2, true}, {"xx Warning:", 2, true},
        {"WARNING x", 2, false},   {"WARNING: x", 1, false},          {"see url: here", 0, true},
        {"INFO: done", 1, true},   {"PROGRAM ERROR: x", 3, true},     {"ERROR: plain", 3, false},
        {"TAG ERROR: x", 4, true}, {"TAG ERROR: x", 3, false},        {"", 2, false},
    };
    for (const auto& c : cases) {
        MessageReporter reporter;
        reporter.SetMessageCallback(RecordMessage);
        reporter.SetReportingLevel(10);
        int on[5] = {};
        on[c.filter] = 1;
        reporter.SetFilters(1, on[0], on[1], on[2], on[3], on[4]);
        g_messages.clear();
        reporter.OutputMessage(c.text, 10);
        EXPECT_EQ(g_messages.empty(), c.dropped) << '"' << c.text << "\" filter " << c.filter;
    }
}

TEST_F(MessageReporterTest, DisplaySwitch) {
    MessageReporter reporter;
    reporter.SetReportingLevel(10);
    reporter.SetFilters(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(StderrOf(reporter, "message", 10), "");
    EXPECT_EQ(StderrOfStatus(reporter, "status"), "");
    reporter.SetMessageCallback(RecordMessage);
    reporter.SetStatusCallback(RecordStatus);
    reporter.OutputMessage("message", 10);
    reporter.OutputStatus("status");
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(g_statusLines, Texts{"status"});  // the status callback ignores the switch
}

class MessageSinkTest : public MessageReporterTest {
protected:
    void SetUp() override {
        MessageReporterTest::SetUp();
        log.outputList = &logLines;
        ASSERT_TRUE(log.OpenForWrite("unused", 0, 0));
        sink.SetLogFileName("run.log");
        sink.SetLogFile(&log);
        sink.SetFilters(1, 0, 0, 1, 0, 0);
        sink.SetReportingLevel(5);
    }
    Texts Logged() const {
        Texts lines;
        for (int i = 0; i < logLines.count; ++i) lines.emplace_back(logLines.TextAt(i));
        return lines;
    }

    StringList logLines;
    TextFile log;
    MessageSink sink;
};

TEST_F(MessageSinkTest, LogsWhatPassesTheClassFilter) {
    EXPECT_EQ(StderrOf(sink, "quiet", 1), "");  // below the level: logged, not shown
    EXPECT_EQ(StderrOf(sink, "loud", 7), "loud\n");
    EXPECT_EQ(StderrOf(sink, "WARNING: nope", 10), "");
    sink.SetStatusCallback(RecordStatus);
    sink.OutputStatus("Processing : a.txt");
    sink.SetReportingLevel(0);
    sink.SetText("before");
    sink.OutputStatus("not even logged");
    EXPECT_EQ(sink.currentText.str(), "before");
    MessageReporter& reporter = sink;
    reporter.SetText("composed");
    reporter.ReportText(0);  // through the virtual slot, so logged too
    EXPECT_EQ(Logged(), (Texts{"quiet", "loud", "Processing : a.txt", "composed"}));
    EXPECT_EQ(g_statusLines, Texts{"Processing : a.txt"});
}

// A text the log holds in a form of its own is shown through the filters
// and never logged.
TEST_F(MessageSinkTest, ShownMessagesPassTheFiltersWithoutTheLog) {
    testing::internal::CaptureStderr();
    sink.ShowMessage("shown", 10);
    sink.ShowMessage("below the level", 1);
    sink.ShowMessage("WARNING: of a suppressed class", 10);
    sink.SetFilters(0, 0, 0, 1, 0, 0);
    sink.ShowMessage("display off", 10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown\n");
    EXPECT_TRUE(Logged().empty());
}

TEST_F(MessageSinkTest, WriteToLogNeedsAnOpenLog) {
    EXPECT_EQ(sink.WriteToLog("SESSION: one"), 1);
    TextFile closed;
    sink.SetLogFile(&closed);
    EXPECT_EQ(sink.WriteToLog("SESSION: two"), 0);
    sink.Reset();
    EXPECT_EQ(sink.logFile, nullptr);
    EXPECT_EQ(sink.WriteToLog("SESSION: three"), 0);
    EXPECT_EQ(Logged(), Texts{"SESSION: one"});
}

TEST_F(MessageSinkTest, CopySettingsDetachesTheLog) {
    MessageReporter source;
    source.SetReportingLevel(8);
    source.SetFilters(1, 1, 0, 0, 1, 0);
    source.SetMessageCallback(RecordMessage);
    sink.SetText("kept");
    sink.CopySettings(source);
    EXPECT_EQ(sink.logFile, nullptr);
    EXPECT_EQ(sink.logFileName.str(), "");
    EXPECT_EQ(sink.currentText.str(), "kept");
    EXPECT_EQ(sink.reportingLevel, 8);
    EXPECT_EQ(sink.messageCallback, &RecordMessage);
    EXPECT_EQ(sink.statusCallback, nullptr);
    EXPECT_EQ((std::vector<int>{sink.display, sink.suppressUrl, sink.suppressInfo, sink.suppressWarning,
                                sink.suppressProgramError, sink.suppressTagError}),
              (std::vector<int>{1, 1, 0, 0, 1, 0}));
    sink.OutputMessage("after", 10);
    EXPECT_TRUE(Logged().empty());
    EXPECT_EQ(g_messages, Texts{"after"});
}

// A message never moves the terminal's cursor or changes its colours: the
// control characters of a file name or policy line quoted in it are shown
// escaped, wherever the message goes.
TEST(ShowControlCharactersTest, ControlsAreShownEscaped) {
    const struct {
        const char* in;
        const char* shown;
    } cases[] = {
        {"plain \"name\" \xC3\xA9 stays", "plain \"name\" \xC3\xA9 stays"},
        {"tab\tand\nline feed stay", "tab\tand\nline feed stay"},
        {"\x1B[31mred\x1B[0m", "\\x1B[31mred\\x1B[0m"},
        {"a\x01"
         "b\x7F\rc\x0C",
         "a\\x01b\\x7F\\x0Dc\\x0C"},
        {"C1 \xC2\x9B and \xC2\xA0 kept", "C1 \\u009B and \xC2\xA0 kept"},
    };
    for (const auto& c : cases) {
        TextString text(c.in);
        ShowControlCharacters(text);
        EXPECT_EQ(text.str(), c.shown) << c.in;
    }
    // And so it is shown and logged.
    MessageReporter reporter;
    reporter.SetMessageCallback(RecordMessage);
    g_messages.clear();
    reporter.OutputMessage("ERROR: Error opening x\x1B[2Jy", kLevelAlways);
    EXPECT_EQ(g_messages, Texts{"ERROR: Error opening x\\x1B[2Jy"});
}

}  // namespace

// A text quoted in a message is cut after 200 characters, never inside a
// UTF-8 character.
TEST(MessageExcerptTest, LongTextsAreCut) {
    EXPECT_EQ(MessageExcerpt(TextString("short")).str(), "short");
    const std::string exact(kMessageExcerptLength, 'x');
    EXPECT_EQ(MessageExcerpt(TextString(exact.c_str())).str(), exact);
    const std::string longer(100000, 'y');
    EXPECT_EQ(MessageExcerpt(TextString(longer.c_str())).str(), std::string(kMessageExcerptLength, 'y') + "...");
    // "é" (two bytes) standing across the cut is left out whole.
    const std::string accented = std::string(kMessageExcerptLength - 1, 'z') + "\xc3\xa9" + "tail";
    EXPECT_EQ(MessageExcerpt(TextString(accented.c_str())).str(),
              std::string(kMessageExcerptLength - 1, 'z') + "...");
}
