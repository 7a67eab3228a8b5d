#include "context/wrapped_text_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/text_commands.h"
#include "support/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

// Reads source files the way the conversion does: reading code location set,
// each line reset before the read, reading until the reader reports the end.
class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        ResetHeldBackRemainder();
        ResetLineAcceptanceState();
        set.SetContext(&context);
        context.trackers.codeLocation = 1;
    }
    void TearDown() override { ResetHeldBackRemainder(); }
    std::string Write(const std::string& bytes) {
        const std::string name = dir + "/in" + std::to_string(files++) + ".txt";
        std::ofstream(name, std::ios::binary) << bytes;
        return name;
    }
    std::string Next(WrappedTextFile& reader, FC& policies) {
        line.Reset(0);
        return reader.ReadSourceLine(line, policies) ? line.str() : "<end>";
    }
    Lines ReadAll(WrappedTextFile& reader, FC& policies) {
        Lines lines;
        for (std::string text; lines.size() < 100 && (text = Next(reader, policies)) != "<end>";)
            lines.push_back(text);
        return lines;
    }

    TempFolder temp{"wrapped_text_file"};
    std::string dir = temp.Path().string();
    int files = 0;
    Context context;
    FC set;
    AnalysedLine line;
};

TEST_F(ReaderTest, DeliversLinesInOrder) {
    using Setup = std::function<void(FC&, WrappedTextFile&)>;
    const struct {
        const char* name;
        std::string input;
        Setup setup;
        Lines expected;
    } cases[] = {
        {"form feed split",
         "\fChapter 2\n\f\n\fA\fB\nA\fB\n",
         nullptr,
         {"\f", " Chapter 2", "\f", "\f", " A B", "A\fB"}},
        {"skip file lines only",
         "1\n2\n3\n4\n5\n",
         [](FC&, WrappedTextFile& r) {
             r.linesToSkip = 3;
             r.AppendPending("P1");
             r.AppendPending("P2");
         },
         {"P1", "P2", "4", "5"}},
        {"END_PRE once",
         "a\nb\n",
         [](FC& s, WrappedTextFile&) { s.SetInt(Pol::PreserveFileStructureWithPre, 1); },
         {"a", "b", "$_$_END_PRE"}},
        {"END_PRE with own prefix",
         "a\n",
         [](FC& s, WrappedTextFile&) {
             s.SetInt(Pol::PreserveFileStructureWithPre, 1);
             s.SetText(Pol::DirectiveDelimiter, "##");
         },
         {"a", "##END_PRE"}},
        {"double spaced",
         "a\n\nb\n\n\nc\n",
         [](FC& s, WrappedTextFile& r) {
             s.SetInt(Pol::InputDoubleSpaced, 1);
             r.AppendPending("");
         },
         {"a", "b", "", "c"}},
        {"tabs expanded", "a\tb\n", nullptr, {"a       b"}},
        {"tabs kept under rule set 1", "a\tb\n", [](FC& s, WrappedTextFile&) { s.ruleSetCode = 1; }, {"a\tb"}},
        {"tabs kept under rule set 2", "a\tb\n", [](FC& s, WrappedTextFile&) { s.ruleSetCode = 2; }, {"a\tb"}},
        {"terminal line drawing runs on", "\x1b(0lqk\nx  x\n\x1b(Bmqj\n", nullptr, {"+-+", "|  |", "mqj"}},
    };
    for (const auto& c : cases) {
        FC policies;
        policies.SetContext(&context);
        WrappedTextFile reader;
        ASSERT_TRUE(reader.OpenForRead(Write(c.input).c_str()));
        if (c.setup) c.setup(policies, reader);
        EXPECT_EQ(ReadAll(reader, policies), c.expected) << c.name;
        EXPECT_EQ(Next(reader, policies), "<end>") << c.name;
        ResetLineAcceptanceState();
    }
}

TEST_F(ReaderTest, PendingLinesAndTheHeldBackRemainder) {
    WrappedTextFile reader;
    ASSERT_TRUE(reader.OpenForRead(Write("\fTitle\nfile\n").c_str()));
    reader.AppendPending("A");
    reader.AppendPending("B");
    EXPECT_EQ(Next(reader, set), "A");
    reader.InsertPending("inserted");
    EXPECT_EQ(ReadAll(reader, set), Lines({"inserted", "B", "\f", " Title", "file"}));
    EXPECT_EQ(reader.pendingLines.count, 0);
    // A line queued after the end is still delivered.
    reader.AppendPending("late");
    EXPECT_EQ(ReadAll(reader, set), Lines({"late"}));
}

// The lines queued before MarkPendingAsOwn are the program's own; a line
// inserted among them, one queued later and the file's lines are not.
TEST_F(ReaderTest, OwnLinesAreToldFromTheUsersLines) {
    WrappedTextFile reader;
    ASSERT_TRUE(reader.OpenForRead(Write("file 1\nfile 2\n").c_str()));
    reader.AppendPending("own 1");
    reader.AppendPending("own 2");
    reader.MarkPendingAsOwn();
    reader.AppendPending("queued later");
    std::vector<std::pair<std::string, bool>> read;
    for (int n = 0; n < 10; ++n) {
        const std::string text = Next(reader, set);
        if (text == "<end>") break;
        read.emplace_back(text, reader.lastLineIsOwn);
        if (text == "own 1") reader.InsertPending("inserted");
    }
    const std::vector<std::pair<std::string, bool>> expected = {{"own 1", true},   {"inserted", false},
                                                                {"own 2", true},   {"queued later", false},
                                                                {"file 1", false}, {"file 2", false}};
    EXPECT_EQ(read, expected);
}

TEST_F(ReaderTest, RemainderStaysWithItsReaderAndInput) {
    WrappedTextFile reader;
    ASSERT_TRUE(reader.OpenForRead(Write("\fTitle\nsecond\n").c_str()));
    EXPECT_EQ(Next(reader, set), "\f");
    {
        WrappedTextFile other;  // another reader does not take it ...
        ASSERT_TRUE(other.OpenForRead(Write("\fother\n").c_str()));
        EXPECT_EQ(Next(other, set), "\f");
    }  // ... and a destroyed one leaves none behind
    EXPECT_EQ(Next(reader, set), "second");
    EXPECT_EQ(Next(reader, set), "<end>");

    WrappedTextFile next;
    ASSERT_TRUE(next.OpenForRead(Write("\fX\nY\n").c_str()));
    EXPECT_EQ(Next(next, set), "\f");
    ResetHeldBackRemainder();  // a new top-level input
    EXPECT_EQ(Next(next, set), "Y");
}

TEST_F(ReaderTest, LastSoftBrokenLineIsNotLost) {
    FC bare;  // without a context the acceptance test joins soft line breaks
    bare.SetInt(Pol::InputMIME, 1);
    const std::string first(45, 'x'), last(44, 'y');
    WrappedTextFile reader;
    ASSERT_TRUE(reader.OpenForRead(Write(first + "=\ntail\n" + last + "=\n").c_str()));
    EXPECT_EQ(ReadAll(reader, bare), Lines({first + "tail", last}));
}

TEST_F(ReaderTest, TextsOfAReadLine) {
    ASSERT_EQ(set.GetTextCommands().Add(&set, "Text command: replace_text phrase \"colour\" by_string \"color\""),
              1);
    const struct {
        int format, inHTML, userTable;
        const char* input;
        const char* text;
        const char* tagged;
        const char* raw;
        const char* inputText;
        int leading, trimmed, firstWord;
    } cases[] = {
        {0, 0, 0, "   a colour\t< b  ", "   a color      &lt; b  ", "   a color      < b  ", "   a color\t< b  ",
         "a color      &lt; b", 3, 22, 1},
        {0, 1, 0, "<b>x</b>", "<b>x</b>", "<b>x</b>", "<b>x</b>", "<b>x</b>", 0, 8, -1},
        {1, 0, 0, "{x}\\y", "\\'7bx\\'7d\\\\y", "{x}\\y", "{x}\\y", "\\'7bx\\'7d\\\\y", 0, 12, 12},
        {2, 0, 0, " a < b", " a < b", " a < b", " a < b", " a < b", 1, 6, -1},
        {0, 0, 1, "  1  2 ", "  1  2 ", "  1  2 ", "  1  2 ", "  1  2 ", 2, 6, -1},
        {0, 0, 0, "\x1b[1mbold\x1b[0m a<b", "bold a&lt;b", "bold a<b", "bold a<b", "bold a&lt;b", 0, 11, 4},
    };
    for (const auto& c : cases) {
        context.outputFormat = c.format;
        context.trackers.input.inHTML = c.inHTML;
        set.preprocessor.inSpecialBlock = c.userTable;
        set.preprocessor.specialBlockKind = c.userTable ? 6 : 0;
        WrappedTextFile reader;
        ASSERT_TRUE(reader.OpenForRead(Write(std::string(c.input) + "\n").c_str()));
        EXPECT_EQ(Next(reader, set), c.text) << c.input;
        EXPECT_EQ(line.taggedText->str(), c.tagged) << c.input;
        EXPECT_EQ(line.plainText->str(), c.tagged) << c.input;
        EXPECT_EQ(line.rawText->str(), c.raw) << c.input;
        EXPECT_EQ(line.inputText->str(), c.inputText) << c.input;
        EXPECT_EQ(line.leadingBlanks, c.leading) << c.input;
        EXPECT_EQ(line.trimmedLength, c.trimmed) << c.input;
        EXPECT_EQ(line.firstWordLength, c.firstWord) << c.input;
    }
}

TEST_F(ReaderTest, LineDrawingModeDoesNotReachTheNextFile) {
    WrappedTextFile first;
    ASSERT_TRUE(first.OpenForRead(Write("\x1b(0q\n").c_str()));
    EXPECT_EQ(ReadAll(first, set), Lines({"-"}));
    context.StartNewFile("next.txt");
    context.trackers.codeLocation = 1;
    WrappedTextFile second;
    ASSERT_TRUE(second.OpenForRead(Write("qx\n").c_str()));
    EXPECT_EQ(ReadAll(second, set), Lines({"qx"}));
}

TEST(WrappedWrite, PiecesKeepTheIndent) {
    StringList written;
    WrappedTextFile file;
    file.outputList = &written;
    ASSERT_TRUE(file.OpenForWrite(nullptr, 0, 0));
    TextLine line;
    std::string words;
    for (int i = 0; i < 30; ++i) words += (i ? " word" : "word") + std::to_string(i);
    line.Assign(("    " + words).c_str());
    ASSERT_EQ(file.WriteWrapped(&line), 1);
    ASSERT_GE(written.count, 3);
    std::string rejoined;
    for (int i = 0; i < written.count; ++i) {
        const std::string piece = written.TextAt(i);
        EXPECT_EQ(piece.rfind("    ", 0), 0u) << piece;
        EXPECT_NE(piece[4], ' ') << piece;
        EXPECT_LE(piece.size(), 84u) << piece;
        rejoined += (rejoined.empty() ? "" : " ") + piece.substr(4);
    }
    EXPECT_EQ(rejoined, words);

    const std::string z(120, 'z');
    const struct {
        std::string text;
        int noWrap;
        Lines expected;
    } cases[] = {{"", 0, {""}},
                 {"  short", 0, {"  short"}},
                 {"  " + z, 1, {"  " + z}},
                 {z, 0, {z.substr(0, 80), z.substr(80)}}};
    for (const auto& c : cases) {
        written.Clear();
        line.Assign(c.text.c_str());
        EXPECT_EQ(WriteWrappedLine(&file, &line, c.noWrap, 0, 0), 1) << c.text;
        Lines lines;
        for (int i = 0; i < written.count; ++i) lines.emplace_back(written.TextAt(i));
        EXPECT_EQ(lines, c.expected) << c.text;
    }

    file.forReading = 1;  // a reader writes nothing
    EXPECT_EQ(file.WriteWrapped(&line), 0);
}

}  // namespace
