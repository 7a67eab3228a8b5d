#include "foundation/message_reporter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/string_list.h"
#include "foundation/text_file.h"

namespace {

std::vector<std::string> g_messages;
std::vector<std::string> g_statusLines;

void RecordMessage(const char* text) { g_messages.emplace_back(text); }
void RecordStatus(const char* text) { g_statusLines.emplace_back(text); }

class MessageReporterTest : public testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        g_statusLines.clear();
    }
};

// What one message does on standard error.
std::string StderrOf(MessageReporter& reporter, const char* text, int level) {
    testing::internal::CaptureStderr();
    reporter.OutputMessage(text, level);
    return testing::internal::GetCapturedStderr();
}

std::string StdoutOfStatus(MessageReporter& reporter, const char* text) {
    testing::internal::CaptureStdout();
    reporter.OutputStatus(text);
    return testing::internal::GetCapturedStdout();
}

TEST_F(MessageReporterTest, ResetDefaults) {
    MessageReporter reporter;
    EXPECT_EQ(StderrOf(reporter, "shown", 10), "shown\n");
    EXPECT_EQ(StderrOf(reporter, "dropped", 9), "");
    EXPECT_EQ(StdoutOfStatus(reporter, "Processing : x"), "");
    for (const char* text : {"URL: a", "INFO: b", "WARNING: c", "PROGRAM ERROR: d", "TAG ERROR: e"})
        EXPECT_EQ(StderrOf(reporter, text, 10), "") << text;
    // Classes that have no filter always pass.
    EXPECT_EQ(StderrOf(reporter, "ERROR: f", 10), "ERROR: f\n");
}

TEST_F(MessageReporterTest, LevelRule) {
    struct Case {
        int reportingLevel;
        int messageLevel;
        bool shown;
    };
    const std::vector<Case> cases = {
        {5, 5, true}, {5, 4, false}, {5, 10, true}, {10, 0, true}, {10, -1, false},
        {0, 10, true}, {0, 9, false}, {0, 11, true}, {7, 3, true}, {7, 2, false},
    };
    for (const Case& c : cases) {
        MessageReporter reporter;
        reporter.SetMessageCallback(RecordMessage);
        reporter.SetReportingLevel(c.reportingLevel);
        g_messages.clear();
        reporter.OutputMessage("text", c.messageLevel);
        EXPECT_EQ(g_messages.size(), c.shown ? 1u : 0u)
            << "reporting level " << c.reportingLevel << ", message level " << c.messageLevel;
        EXPECT_EQ(reporter.currentText.str(), "text");
    }
}

TEST_F(MessageReporterTest, ClassFilters) {
    struct Case {
        const char* text;
        int flag;  // index of the one filter switched on: 0 URL .. 4 TAG ERROR
        bool dropped;
    };
    const std::vector<Case> cases = {
        {"WARNING: x", 2, true},
        {"Line 12 - warning: x", 2, true},
        {"xx Warning:", 2, true},
        {"WARNING x", 2, false},
        {"WARNING: x", 1, false},
        {"see url: here", 0, true},
        {"INFO: done", 1, true},
        {"PROGRAM ERROR: File not open", 3, true},
        {"ERROR: plain", 3, false},
        {"TAG ERROR: bad tag", 4, true},
        {"TAG ERROR: bad tag", 3, false},
        {"", 2, false},
    };
    for (const Case& c : cases) {
        MessageReporter reporter;
        reporter.SetMessageCallback(RecordMessage);
        reporter.SetReportingLevel(10);
        int flags[5] = {0, 0, 0, 0, 0};
        flags[c.flag] = 1;
        reporter.SetFilters(1, flags[0], flags[1], flags[2], flags[3], flags[4]);
        g_messages.clear();
        reporter.OutputMessage(c.text, 10);
        EXPECT_EQ(g_messages.empty(), c.dropped) << '"' << c.text << "\" with filter " << c.flag;
        EXPECT_EQ(reporter.IsSuppressedByPrefix(TextString(c.text)) != 0, c.dropped) << c.text;
    }
}

TEST_F(MessageReporterTest, CallbackTakesThePlaceOfStandardError) {
    MessageReporter reporter;
    reporter.SetFilters(1, 0, 0, 0, 0, 0);
    reporter.SetMessageCallback(RecordMessage);
    EXPECT_EQ(StderrOf(reporter, "INFO: to the window", 10), "");
    EXPECT_EQ(g_messages, (std::vector<std::string>{"INFO: to the window"}));
    reporter.SetMessageCallback(nullptr);
    EXPECT_EQ(StderrOf(reporter, "INFO: to the console", 10), "INFO: to the console\n");
}

TEST_F(MessageReporterTest, DisplaySwitch) {
    MessageReporter reporter;
    reporter.SetReportingLevel(10);
    reporter.SetFilters(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(StderrOf(reporter, "message", 10), "");
    EXPECT_EQ(StdoutOfStatus(reporter, "status"), "");
    reporter.SetMessageCallback(RecordMessage);
    reporter.SetStatusCallback(RecordStatus);
    reporter.OutputMessage("message", 10);
    reporter.OutputStatus("status");
    EXPECT_TRUE(g_messages.empty());
    // The status callback does not look at the display switch.
    EXPECT_EQ(g_statusLines, (std::vector<std::string>{"status"}));
}

TEST_F(MessageReporterTest, StatusLines) {
    MessageReporter reporter;
    reporter.SetFilters(1, 0, 0, 1, 0, 0);
    reporter.SetText("before");
    // Level 0: nothing at all, not even the current text changes.
    EXPECT_EQ(StdoutOfStatus(reporter, "Processing : a.txt"), "");
    EXPECT_EQ(reporter.currentText.str(), "before");
    reporter.SetReportingLevel(1);
    EXPECT_EQ(StdoutOfStatus(reporter, "Processing : a.txt"), "Processing : a.txt\n");
    EXPECT_EQ(StdoutOfStatus(reporter, "WARNING: filtered"), "");
    EXPECT_EQ(reporter.currentText.str(), "WARNING: filtered");
    reporter.SetStatusCallback(RecordStatus);
    EXPECT_EQ(StdoutOfStatus(reporter, "Generating log file x"), "");
    EXPECT_EQ(g_statusLines, (std::vector<std::string>{"Generating log file x"}));
}

TEST_F(MessageReporterTest, ComposedText) {
    MessageReporter reporter;
    reporter.SetFilters(1, 0, 0, 1, 0, 0);
    reporter.SetReportingLevel(1);
    reporter.SetMessageCallback(RecordMessage);
    reporter.SetStatusCallback(RecordStatus);
    reporter.SetText("INFO: ");
    reporter.AppendText("composed");
    reporter.ReportText(10);
    reporter.ReportTextAsStatus();
    reporter.SetText("WARN");
    reporter.AppendText("ING: x");
    reporter.ReportText(10);
    EXPECT_EQ(g_messages, (std::vector<std::string>{"INFO: composed"}));
    EXPECT_EQ(g_statusLines, (std::vector<std::string>{"INFO: composed"}));
}

// ---------------------------------------------------------------------------
// The sink and its log

class MessageSinkTest : public MessageReporterTest {
protected:
    void SetUp() override {
        MessageReporterTest::SetUp();
        log.outputList = &logLines;
        ASSERT_TRUE(log.OpenForWrite("unused", 0, 0));
        sink.SetLogFileName("run.log");
        sink.SetLogFile(&log);
        sink.SetMessageCallback(RecordMessage);
        sink.SetStatusCallback(RecordStatus);
        sink.SetFilters(1, 0, 0, 1, 0, 0);
        sink.SetReportingLevel(5);
    }
    void TearDown() override { sink.SetLogFile(nullptr); }

    std::vector<std::string> Logged() const {
        std::vector<std::string> lines;
        for (int i = 0; i < logLines.count; ++i) lines.emplace_back(logLines.TextAt(i));
        return lines;
    }

    StringList logLines;
    TextFile log;
    MessageSink sink;
};

TEST_F(MessageSinkTest, LogsWhatPassesTheClassFilter) {
    sink.OutputMessage("quiet", 1);            // below the level: logged, not shown
    sink.OutputMessage("loud", 7);             // shown and logged
    sink.OutputMessage("WARNING: nope", 10);   // dropped by its class: neither
    sink.SetFilters(0, 0, 0, 1, 0, 0);
    sink.OutputMessage("hidden", 10);          // display off: logged only
    EXPECT_EQ(Logged(), (std::vector<std::string>{"quiet", "loud", "hidden"}));
    EXPECT_EQ(g_messages, (std::vector<std::string>{"loud"}));
}

TEST_F(MessageSinkTest, LevelOneMessageGoesToLogNotStandardError) {
    sink.SetMessageCallback(nullptr);
    EXPECT_EQ(StderrOf(sink, "INFO: detail", 1), "");
    EXPECT_EQ(Logged(), (std::vector<std::string>{"INFO: detail"}));
}

TEST_F(MessageSinkTest, StatusLinesAreLogged) {
    sink.OutputStatus("Processing : a.txt");
    sink.OutputStatus("WARNING: filtered");
    sink.SetReportingLevel(0);
    sink.SetText("before");
    sink.OutputStatus("not even logged");
    EXPECT_EQ(sink.currentText.str(), "before");
    EXPECT_EQ(Logged(), (std::vector<std::string>{"Processing : a.txt"}));
    EXPECT_EQ(g_statusLines, (std::vector<std::string>{"Processing : a.txt"}));
}

TEST_F(MessageSinkTest, ReportTextLogsThroughTheSink) {
    MessageReporter& reporter = sink;
    reporter.SetText("composed");
    reporter.ReportText(0);
    EXPECT_EQ(Logged(), (std::vector<std::string>{"composed"}));
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(MessageSinkTest, WriteToLogNeedsAnOpenLog) {
    EXPECT_EQ(sink.IsLogOpen(), 1);
    EXPECT_EQ(sink.WriteToLog("SESSION: one"), 1);
    TextFile closed;
    sink.SetLogFile(&closed);
    EXPECT_EQ(sink.IsLogOpen(), 0);
    EXPECT_EQ(sink.WriteToLog("SESSION: two"), 0);
    sink.SetLogFile(nullptr);
    EXPECT_EQ(sink.IsLogOpen(), 0);
    EXPECT_EQ(sink.WriteToLog("SESSION: three"), 0);
    EXPECT_EQ(Logged(), (std::vector<std::string>{"SESSION: one"}));
}

TEST_F(MessageSinkTest, CopySettingsDetachesTheLog) {
    MessageReporter source;
    source.SetReportingLevel(8);
    source.SetFilters(1, 1, 0, 0, 1, 0);
    source.SetMessageCallback(RecordStatus);
    source.SetText("not copied");
    sink.SetText("kept");
    sink.CopySettings(source);
    EXPECT_EQ(sink.logFile, nullptr);
    EXPECT_EQ(sink.logFileName.str(), "");
    EXPECT_EQ(sink.IsLogOpen(), 0);
    EXPECT_EQ(sink.reportingLevel, 8);
    EXPECT_EQ(sink.messageCallback, &RecordStatus);
    EXPECT_EQ(sink.statusCallback, nullptr);
    EXPECT_EQ(sink.display, 1);
    EXPECT_EQ(sink.suppressUrl, 1);
    EXPECT_EQ(sink.suppressInfo, 0);
    EXPECT_EQ(sink.suppressWarning, 0);
    EXPECT_EQ(sink.suppressProgramError, 1);
    EXPECT_EQ(sink.suppressTagError, 0);
    EXPECT_EQ(sink.currentText.str(), "kept");
    sink.OutputMessage("after", 10);
    EXPECT_TRUE(Logged().empty());
}

TEST_F(MessageSinkTest, ResetDetachesWithoutClosing) {
    sink.Reset();
    EXPECT_EQ(sink.logFile, nullptr);
    EXPECT_EQ(sink.logFileName.str(), "");
    EXPECT_EQ(sink.messageCallback, nullptr);
    EXPECT_EQ(sink.reportingLevel, 0);
    EXPECT_EQ(log.IsOpen(), 1);
}

}  // namespace
