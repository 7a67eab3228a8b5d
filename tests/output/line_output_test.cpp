// Lines on their way out: read through the reading harness, converted for
// the output format while output is written, and their in-line tags executed
// by the output document's tag scan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "policies/fc.h"
#include "support/reading_harness.h"
#include "support/recording_document.h"

namespace {

// Converts every delivered line as a writer does (code location 3): its
// tagged text escaped for the output format, converted, its tags executed.
// Returns the output texts.
std::vector<std::string> ConvertDelivered(ReadingHarness& harness, RecordingDocument& document) {
    std::vector<std::string> out;
    harness.context.trackers.codeLocation = 3;
    for (const DeliveredLine& delivered : harness.lines) {
        AnalysedLine line;
        TextString text(delivered.taggedText.c_str());
        if (harness.context.outputFormat == 1)
            RTF_EscapeText(&harness.policies, text);
        else
            HTML_EscapeText(&harness.policies, text);
        line.Assign(text.buffer);
        line.taggedText = delivered.taggedText.c_str();
        line.tagCode = delivered.tagCode;
        line.flags = delivered.flags;
        line.ConvertForOutput(harness.policies, nullptr, 1, 1, 1, 0, 1, 0);
        TextString messages;
        int result = -1;
        document.ExecuteLineTags(0, &document, &line, &harness.policies, &messages, &result);
        out.push_back(line.str());
        harness.context.ForgetLine(&line);
    }
    return out;
}

TEST(LineOutputTest, ReadLinesAreEscapedAndTheirTagsExecuted) {
    const char* input =
        "Fish & chips <b> x > y\n"
        "A [[BR]] break & [[BR]]\n"
        "Keep [[FONT <b>]] whole\n";
    struct Case {
        int format;
        const char* encoding;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {0, "", {"Fish &amp; chips &lt;b&gt; x &gt; y", "A <BR> break &amp; <BR>", "Keep [[FONT <b>]] whole"}},
        {0,
         "windows-1256",
         {"Fish &amp; chips &lt;b&gt; x &gt; y", "A <BR> break &amp; <BR>", "Keep [[FONT <b>]] whole"}},
        {1, "", {"Fish & chips <b> x > y", "A \\par  break & \\par ", "Keep   whole"}},
    };
    for (const Case& c : cases) {
        ReadingHarness harness(c.format);
        if (*c.encoding) harness.SetPolicy((std::string("Character encoding : ") + c.encoding).c_str());
        harness.ReadText(input);
        RecordingDocument document;
        EXPECT_EQ(ConvertDelivered(harness, document), c.expected) << c.format << " " << c.encoding;
    }
}

// A line that records the tags the output scan hands it.
class TagRecordingLine : public AnalysedLine {
public:
    std::vector<std::string> tags;
    int resultToGive = -1;
    bool ExecuteTag(int, OutputDocument*, const TextString& tag, FC&, TextString&, int& level) override {
        tags.push_back(tag.str());
        level = resultToGive;
        return true;
    }
};

class ExecuteLineTagsTest : public testing::Test {
protected:
    void SetUp() override { set.SetContext(&context); }
    std::vector<std::string> Scan(const char* text, int kind, int* result = nullptr, int give = -1) {
        TagRecordingLine line;
        line.Assign(text);
        line.resultToGive = give;
        TextString messages;
        int scratch = 0;
        document.ExecuteLineTags(kind, &document, &line, &set, &messages, result ? result : &scratch);
        return line.tags;
    }
    Context context;
    FC set;
    RecordingDocument document;
};

using Tags = std::vector<std::string>;

TEST_F(ExecuteLineTagsTest, ExecutesEachTagInOrderAndReportsLoneDelimiters) {
    MessageRecorder messages(context);
    struct Case {
        const char* text;
        Tags tags;
        int unbalanced;
    };
    const std::vector<Case> cases = {
        {"a [[BR]][[TEXT x]] b", {"[[BR]]", "[[TEXT x]]"}, 0},
        // An end delimiter before the first start delimiter only moves on.
        {"x ]] y [[BR]] z", {"[[BR]]"}, 0},
        {"no tags", {}, 0},
        {"a [[BR", {}, 1},
        {"[[BR]] then ]]", {"[[BR]]"}, 1},
        {"[[a [[b]] c]]", {"[[a [[b]]"}, 1},
    };
    for (const Case& c : cases) {
        messages.Clear();
        EXPECT_EQ(Scan(c.text, 6), c.tags) << c.text;
        EXPECT_EQ(messages.Count("TAG ERROR: Unbalanced in-line tag delimiters"), c.unbalanced) << c.text;
    }
}

TEST_F(ExecuteLineTagsTest, RunsForOtherKindsOnlyOnceTagsWereSeen) {
    EXPECT_EQ(Scan("a [[BR]]", 0), Tags{});
    EXPECT_EQ(Scan("a [[BR]]", 6), Tags{"[[BR]]"});
    context.documentState.headingSwitches[DocumentState::kInlineTagsSeen] = 1;
    EXPECT_EQ(Scan("a [[BR]]", 0), Tags{"[[BR]]"});
}

TEST_F(ExecuteLineTagsTest, ResultIsTheLargestOfTheCallersAndTheTags) {
    int result = 3;
    Scan("[[A]][[B]]", 6, &result, 7);
    EXPECT_EQ(result, 7);
    result = 9;
    Scan("[[A]]", 6, &result, 7);
    EXPECT_EQ(result, 9);
}

}  // namespace
