#include "foundation/run_status.h"

#include <gtest/gtest.h>

#include "foundation/message_reporter.h"

namespace {

TEST(RunStatusTest, OnlyErrorClassesFailTheRun) {
    const struct {
        const char* text;
        bool fails;
    } cases[] = {
        {"ERROR: Can't open file \"a.html\"", true},
        {"PROGRAM ERROR: Clipboard output is not built yet", true},
        {"  ERROR: indented", true},
        {"WARNING: File is empty", false},
        {"TAG ERROR: Unbalanced in-line tag delimiters", false},
        {"POLICY: Ignored - Missing colon", false},
        {"INFO: Opened include file", false},
        {"URL: http://example.org", false},
        {"Processing : \"ERROR: .txt\"", false},
        {"", false},
    };
    for (const auto& c : cases) {
        RunStatus status;
        status.NoteMessage(c.text);
        EXPECT_EQ(status.Failed(), c.fails) << c.text;
    }
}

TEST(RunStatusTest, AMessageThatIsNotShownStillFailsTheRun) {
    TheRunStatus().Reset();
    MessageSink sink;
    sink.SetFilters(0, 1, 1, 1, 1, 1);  // display off, every class suppressed
    sink.OutputMessage("WARNING: hidden", 10);
    EXPECT_FALSE(TheRunStatus().Failed());
    sink.OutputMessage("PROGRAM ERROR: hidden", 10);
    EXPECT_TRUE(TheRunStatus().Failed());
    TheRunStatus().Reset();
}

}  // namespace
