#include "tables/convert_to_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

struct RingStep {
    RingEvent event;
    int line;  // the line's number in the main file
};

std::vector<RingStep>* gSteps = nullptr;

void RecordStep(RingEvent event, const AnalysedLine& line, void*) {
    if (gSteps) gSteps->push_back({event, line.position.line});
}

void IgnoreStatus(const char*) {}

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "plain words " + std::to_string(i) + "\n";
    return text;
}

class ConvertToTableTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC master, run, file;
    TempFolder temp{"vendrel_convert"};
    std::string folder = temp.Path().string();
    std::vector<RingStep> steps;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        master.SetContext(&context);
        run.SetContext(&context);
        context.sink.SetStatusCallback(IgnoreStatus);
        gSteps = &steps;
        SetLineRingObserver(RecordStep, nullptr);
    }
    void TearDown() override {
        SetLineRingObserver(nullptr, nullptr);
        gSteps = nullptr;
        context.sink.SetStatusCallback(nullptr);
    }

    std::string Path(const std::string& name) const { return folder + "/" + name; }

    // Converts `content` with special format code `code` (1, a table, as
    // the program converts a file).
    bool Convert(const std::string& content, int code = 1) {
        steps.clear();
        std::ofstream(Path("input.txt"), std::ios::binary) << content;
        return ConvertToTable(master, run, file, context, TextString(Path("input.txt").c_str()), TextString(), code,
                              nullptr);
    }

    // The numbers of the lines handed to the table engine, in order.
    std::vector<int> HandedOn() const {
        std::vector<int> lines;
        for (const RingStep& step : steps)
            if (step.event == RingEvent::HandedOn) lines.push_back(step.line);
        return lines;
    }
};

std::vector<int> OneTo(int n) {
    std::vector<int> numbers;
    for (int i = 1; i <= n; ++i) numbers.push_back(i);
    return numbers;
}

TEST_F(ConvertToTableTest, EveryLineIsAnalysedAfterItsSuccessorAndHandedOnOnceInOrder) {
    for (int count : {0, 1, 38, 39, 40, 41, 1000}) {
        SCOPED_TRACE(count);
        ASSERT_TRUE(Convert(NumberedLines(count)));
        const size_t slots = static_cast<size_t>(count) + 2;
        std::vector<int> readAt(slots, -1), analysedAt(slots, -1), handedAt(slots, -1);
        for (size_t i = 0; i < steps.size(); ++i) {
            const RingStep& step = steps[i];
            ASSERT_GE(step.line, 1);
            ASSERT_LE(step.line, count);
            std::vector<int>& at = step.event == RingEvent::Read       ? readAt
                                   : step.event == RingEvent::Analysed ? analysedAt
                                                                       : handedAt;
            EXPECT_EQ(at[static_cast<size_t>(step.line)], -1) << "line " << step.line << " twice";
            at[static_cast<size_t>(step.line)] = static_cast<int>(i);
        }
        EXPECT_EQ(HandedOn(), OneTo(count));
        for (int k = 1; k <= count; ++k) {
            const size_t line = static_cast<size_t>(k);
            ASSERT_NE(analysedAt[line], -1) << "line " << k;
            if (k < count) {
                EXPECT_GT(analysedAt[line], readAt[line + 1]) << "line " << k;
            }
            EXPECT_GT(handedAt[line], analysedAt[line]) << "line " << k;
        }
        // Only a full ring lets a line go before the end of the input.
        if (count > 0) {
            EXPECT_EQ(handedAt[1] < analysedAt[static_cast<size_t>(count)], count >= 40);
        }
    }
}

TEST_F(ConvertToTableTest, LinesToIgnoreAtEndDropTheLastLines) {
    struct Case {
        int ignore;
        int lines;
        int handed;
        int messages;
    };
    for (const Case& c : {Case{2, 10, 8, 0}, Case{2, 50, 48, 0}, Case{25, 30, 10, 1}, Case{25, 60, 40, 1},
                          Case{-3, 10, 10, 0}, Case{5, 3, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.ignore << " of " << c.lines);
        master.SetInt(Pol::LinesToIgnoreAtEnd, c.ignore);
        messages.Clear();
        ASSERT_TRUE(Convert(NumberedLines(c.lines)));
        EXPECT_EQ(HandedOn(), OneTo(c.handed));
        EXPECT_EQ(messages.Count("ERROR: Ignore end of file cannot be larger than 20"), c.messages);
        const std::string html = ReadWhole(Path("input.html"));
        EXPECT_NE(html.find("</HTML>"), std::string::npos);
        // The lines form a table of three columns: the number is a cell.
        const bool lastWritten = html.find(">" + std::to_string(c.lines) + "</TD>") != std::string::npos;
        EXPECT_EQ(lastWritten, c.handed == c.lines);
    }
}

TEST_F(ConvertToTableTest, DefinitionsAreStoredAndDirectiveLinesNeverWritten) {
    ASSERT_TRUE(
        Convert("Opening words\n"
                "$_$_DEFINE_BLOCK NOTE\n"
                "stored body\n"
                "$_$_END_BLOCK\n"
                "$_$_DEFINE_BLOCK\n"
                "visible text\n"
                "$_$_END_BLOCK\n"
                "Closing words\n"));
    const std::string html = ReadWhole(Path("input.html"));
    for (const char* kept : {"Opening words", "visible text", "Closing words"})
        EXPECT_NE(html.find(kept), std::string::npos) << kept;
    for (const char* dropped : {"stored body", "DEFINE_BLOCK", "END_BLOCK", "$_$_"})
        EXPECT_EQ(html.find(dropped), std::string::npos) << dropped;

    // Only the named block is a definition; the nameless one swallows nothing.
    const DefineList& defines = context.documentState.defines;
    ASSERT_EQ(defines.Count(), 1);
    EXPECT_EQ(defines.GetAt(0)->name.str(), "NOTE");
    ASSERT_EQ(defines.GetAt(0)->lines.count, 1);
    EXPECT_STREQ(defines.GetAt(0)->lines.TextAt(0), "stored body");
}

// `count` fields "<prefix>0" ... joined by `separator`, and a line end.
std::string Fields(const char* prefix, int count, const char* separator) {
    std::string line;
    for (int i = 0; i < count; ++i) line += (i ? separator : "") + std::string(prefix) + std::to_string(i);
    return line + "\n";
}

// A line with more than the columns of its table take (1,024 delimited,
// 256 detected) has the rest in its last cell, its tabs shown as blanks; the
// table says so once, at the first such line.
TEST_F(ConvertToTableTest, ColumnsBeyondTheBoundAreJoinedIntoTheLastCellAndSaidOnce) {
    struct Case {
        const char* name;
        int code;
        int outputFormat;
        std::string input;
        const char* warning;
        const char* joined;  // the joined cell's text begins so
    };
    const std::string tabbed = Fields("f", 3, "\t") + Fields("f", 3, "\t") + Fields("h", 1030, "\t") +
                               Fields("f", 3, "\t") + Fields("g", 1100, "\t");
    const std::string comma = Fields("f", 3, ",") + Fields("h", 1030, ",") + Fields("g", 1030, ",");
    // Columns two blanks apart: 300 of them on most lines (the first two
    // lines hold fewer and reach no further than the columns made).
    const std::string aligned = Fields("s", 20, "  ") + Fields("s", 20, "  ") + Fields("c", 300, "  ") +
                                Fields("c", 300, "\t") + Fields("c", 300, "  ") + Fields("c", 300, "  ");
    const std::vector<Case> cases = {
        {"tab-delimited", 7, 0, tabbed, "WARNING: Columns beyond 1024 joined into the last cell from line 3",
         "h1023 h1024 h1025"},
        {"tab-delimited, RTF", 7, 1, tabbed, "WARNING: Columns beyond 1024 joined into the last cell from line 3",
         "h1023 h1024 h1025"},
        {"comma-delimited", 8, 0, comma, "WARNING: Columns beyond 1024 joined into the last cell from line 2",
         "h1023,h1024,h1025"},
        {"detected", 1, 0, aligned, "WARNING: Columns beyond 256 joined into the last cell from line 3",
         "c255  c256  c257"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        context.outputFormat = c.outputFormat;
        ASSERT_TRUE(Convert(c.input, c.code));
        EXPECT_EQ(messages.Count("WARNING: Columns beyond"), 1);
        EXPECT_EQ(messages.Count(c.warning), 1);
        const std::string output = ReadWhole(Path(c.outputFormat ? "input.rtf" : "input.html"));
        const size_t joined = output.find(c.joined);
        EXPECT_NE(joined, std::string::npos) << c.joined;
        EXPECT_EQ(output.find('\t'), std::string::npos) << "a tab of the joined cell stayed";
    }
    // Within the bound nothing is joined nor said.
    messages.Clear();
    context.outputFormat = 0;
    ASSERT_TRUE(Convert(Fields("h", 1024, "\t") + Fields("f", 3, "\t"), 7));
    EXPECT_EQ(messages.Count("WARNING: Columns beyond"), 0);
}

TEST_F(ConvertToTableTest, AFailedWriteOfTheOutputIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", Path("input.html"));
    EXPECT_FALSE(Convert("Some text\n"));
    EXPECT_EQ(messages.Count("ERROR: Can't write file"), 1);
}

}  // namespace

// The head is written once the input has been read, so directives anywhere
// in the text reach it.
TEST(ConvertToTableHead, TitleDirectivesReachTheHead) {
    TempFolder temp("vendrel_head");
    ASSERT_TRUE(temp.Made());
    const std::string folder = temp.Path().string();
    const std::string input = folder + "/titled.txt";
    std::ofstream(input) << "Some text first.\n\n$_$_TITLE Quarterly & Annual\n$_$_KEYWORDS sales, regions\n";
    Context context(1, 0);
    FC master, run, file;
    ASSERT_TRUE(ConvertToTable(master, run, file, context, TextString(input.c_str()), TextString(""), 1, nullptr));
    const std::string html = ReadWhole(temp / "titled.html");
    EXPECT_NE(html.find("<TITLE>Quarterly &amp; Annual</TITLE>"), std::string::npos) << html;
    EXPECT_NE(html.find("sales, regions"), std::string::npos);
    EXPECT_LT(html.find("</HEAD>"), html.find("Some text first."));
}
