#include "tables/pipe_rows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "tables/preform.h"

namespace {

using Cells = std::vector<std::string>;

class PipeRowsTest : public EngineFixture {
protected:
    std::unique_ptr<PreForm> engine;

    // A fresh engine holding `lines` of UTF-8 text, analysed (as a
    // comma-delimited block when `delimited`).
    void Analyse(const std::vector<std::string>& lines, bool delimited = false) {
        context.documentState.utf8Text = 1;
        std::vector<const char*> texts;
        for (const std::string& text : lines) texts.push_back(text.c_str());
        engine = EngineWithLines(texts);
        if (delimited) {
            engine->isDelimited = 1;
            engine->delimiter = ',';
        }
        engine->Analyse();
    }
    std::vector<std::string> Layouts() const {
        std::vector<std::string> texts;
        for (const PreFormLine* line : engine->lines) texts.push_back(line->Layout().str());
        return texts;
    }
    // The texts of the cells of line `index`.
    Cells CellsOf(int index) {
        engine->SplitLineIntoCells(&engine->scratchRow, index, 1);
        Cells texts;
        for (int k = 0; k < engine->scratchRow.Count(); ++k)
            texts.push_back(engine->scratchRow.GetAt(k)->text.str());
        return texts;
    }
};

// A block of pipe rows whose bars wander is cut at each row's own bars.
TEST_F(PipeRowsTest, RowsWhoseBarsWanderAreCutAtTheirOwnBars) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<Cells> cells;  // of every line but the rule lines
    };
    const std::vector<Case> cases = {
        {"unpadded Markdown",
         {"| id | name |", "|---|---|", "| 1 | Ana María |", "| 22 | Bo |"},
         {{"id", "name"}, {"1", "Ana María"}, {"22", "Bo"}}},
        {"no blanks at all",
         {"|a|b|c|", "|1|22|333|", "|4444|5|6|"},
         {{"a", "b", "c"}, {"1", "22", "333"}, {"4444", "5", "6"}}},
        {"padded by characters, not display width",
         {"| city    | n  |", "|---------|----|", "| Oslo    | 12 |", "| 東京    | 3  |", "| 北京    | 78 |"},
         {{"city", "n"}, {"Oslo", "12"}, {"東京", "3"}, {"北京", "78"}}},
        {"an emoji",
         {"| a  | mood |", "| bo | 😀   |", "| cy | ok   |", "| dd | 😢 x |"},
         {{"a", "mood"}, {"bo", "😀"}, {"cy", "ok"}, {"dd", "😢 x"}}},
        {"one row wider than the rest",
         {"| n | sq |", "|---|----|", "| 1 | 1  |", "| 2 | 4  |", "| ... | ... |", "| 9 | 81 |"},
         {{"n", "sq"}, {"1", "1"}, {"2", "4"}, {"...", "..."}, {"9", "81"}}},
        {"an escaped bar is text",
         {"| op | meaning |", "|---|---|", "| a \\| b | either |", "| !a | not |"},
         {{"op", "meaning"}, {"a | b", "either"}, {"!a", "not"}}},
        {"an escaped backslash before a bar is no escape",
         {"| path | kind |", "|---|---|", "| C:\\\\| drive |", "| /usr | dir |"},
         {{"path", "kind"}, {"C:\\\\", "drive"}, {"/usr", "dir"}}},
        {"an empty cell continues the cell above",
         {"| id | text |", "|---|---|", "| 1 | runs |", "| | on |", "| 2 | ends |"},
         {{"id", "text"}, {"1", "runs"}, {"", "on"}, {"2", "ends"}}},
        {"a box",
         {"+----+---+", "| id | n |", "+----+---+", "| 1 | 22 |", "| 333 | 4 |", "+----+---+"},
         {{"id", "n"}, {"1", "22"}, {"333", "4"}}},
        {"indented", {"   | a | b |", "   | 1 | 22 |", "   | 333 | 4 |"}, {{"a", "b"}, {"1", "22"}, {"333", "4"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analyse(c.lines);
        std::vector<Cells> found;
        for (int i = 0; i < engine->lineCount; ++i)
            if (!engine->lines[static_cast<size_t>(i)]->isRuleLine) found.push_back(CellsOf(i));
        EXPECT_EQ(found, c.cells);
    }
}

// Each row is laid out as "| " + its text padded to its column's widest +
// " |", right-justified where it was; rule rows keep their characters and
// colons.
TEST_F(PipeRowsTest, RowsAreLaidOutByTheWidestTextOfEachColumn) {
    Analyse({"| id | name |", "|:---|---:|", "|   7 | Ana María |", "| 22 | Bo |", "| x | y | z |"});
    EXPECT_EQ(Layouts(), (std::vector<std::string>{"| id | name      |", "|:---|----------:|", "|  7 | Ana María |",
                                                   "| 22 | Bo        |", "| x | y | z |"}));
}

// Blocks just off the rule keep their lines as they are.
TEST_F(PipeRowsTest, BlocksJustOffTheRuleAreLeftAsTheyAre) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"the bars line up", {"| id | name |", "|----|------|", "| 1  | Jose |", "| 2  | Ana  |"}},
        {"the rows line up, their rule does not", {"| id | name |", "|---|---|", "| 1  | Jose |", "| 2  | Ana  |"}},
        {"an aligned box", {"+----+------+", "| id | name |", "+----+------+", "| 1  | Jose |", "+----+------+"}},
        {"a line of text without bars",
         {"| id | name |", "|---|---|", "| 1 | Ana María |", "22 | Bo |", "| 3 | Cy |"}},
        {"a line of text not closed by a bar", {"| id | name |", "| 1 | Ana María", "| 22 | Bo |", "| 3 | Cy |"}},
        {"one column", {"| id |", "| 1 |", "| 22 |", "| 333 |"}},
        {"no number of bars on most lines",
         {"| a | b |", "| 1 | 22 |", "| 1 | 2 | 3 |", "| 11 | 2 | 3 |", "| x | yy | z | w |"}},
        {"the bars the most lines hold line up", {"| a | b |", "| 1 | 2 |", "| 3 | 4 |", "| 5 | 6 | 7 |"}},
        {"the cells would line up a separator", {"| a | *b* |", "| 11 | *c* |", "| 222 | *d* |", "| 3 | *e* |"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analyse(c.lines);
        EXPECT_EQ(Layouts(), c.lines);
    }
    // A delimited block is cut at its delimiter only.
    Analyse({"| a | b |", "| 1 | 22 |", "| 333 | 4 |"}, true);
    EXPECT_EQ(Layouts(), (std::vector<std::string>{"| a | b |", "| 1 | 22 |", "| 333 | 4 |"}));
}

// Every laid-out row is as wide as the widest: a small table is laid out
// whatever its widest cell, a large one only while it grows by a bounded
// factor.
TEST_F(PipeRowsTest, OneLongCellPadsASmallTableButNotALargeOne) {
    const std::string longCell(300, 'x');
    Analyse({"| a | b |", "| 1 | 22 |", "| 333 | " + longCell + " |"});
    EXPECT_EQ(CellsOf(1), (Cells{"1", "22"}));
    EXPECT_EQ(engine->lines[1]->Layout().length, 310);

    std::vector<std::string> lines = {"| a | b |"};
    for (int i = 0; i < 20000; ++i) lines.push_back(i % 2 ? "| 1 | 22 |" : "| 333 | 4 |");
    lines.push_back("| 5 | " + longCell + " |");
    Analyse(lines);
    EXPECT_EQ(engine->lines[1]->Layout().str(), "| 333 | 4 |");
}

// The rule reads the block's margin-cut layout texts and follows them in
// the block's measures.
TEST_F(PipeRowsTest, TheBlocksMeasuresFollowTheLaidOutRows) {
    Analyse({"  | a | b |", "  | 1 | 22 |", "  | 333 | 4444 |"});
    EXPECT_EQ(engine->longestLength, 14);  // "| 333 | 4444 |"
    EXPECT_EQ(engine->shortestLength, 14);
    EXPECT_EQ(engine->leftMargin, 2);
}

}  // namespace
