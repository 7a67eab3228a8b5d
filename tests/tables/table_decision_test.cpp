#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tables/table_decision.h"

namespace {

// The block as a pattern, one character per line: 'r' a rule line, '-' any
// other.  The rule positions are read from it as the block analysis counts
// them; `policyRows` and `policyColumns` stand for the table
// configuration's header rows and columns.
HeaderRuleInput Block(const std::string& pattern, int policyRows = 0, int policyColumns = 0) {
    HeaderRuleInput input;
    input.lineCount = static_cast<int>(pattern.size());
    for (int i = 0; i < input.lineCount; ++i) {
        if (pattern[static_cast<size_t>(i)] != 'r') continue;
        ++input.ruleLineCount;
        if (input.firstRuleLine < 0)
            input.firstRuleLine = i;
        else if (input.secondRuleLine < 0)
            input.secondRuleLine = i;
        input.lastRuleLine = i;
        if (i < HeaderRuleInput::kHeadingRuleLines) input.ruleAt[static_cast<size_t>(i)] = true;
        if (i >= input.lineCount - 2) input.ruleInLastTwo = true;
    }
    input.policyHeaderRows = policyRows;
    input.policyHeaderColumns = policyColumns;
    return input;
}

TEST(HeaderRowRuleTest, RulePositionsAndPoliciesDecideTheHeaderRows) {
    struct Case {
        const char* what;
        HeaderRuleInput input;
        bool hasHeader;
        int firstRuleLine;
        int headerRows;  // read only with a header
        int headerColumns;
    };
    const std::vector<Case> cases = {
        {"no rule line: no header", Block("------"), false, -1, 0, 0},
        {"the policy's rows", Block("------", 2), true, -1, 2, 0},
        {"the policy's rows beyond half the lines", Block("------", 4), true, -1, 0, 0},
        {"the policy's columns without header rows", Block("------", 0, 2), false, -1, 0, 2},
        {"rows and columns from the policy", Block("------", 1, 1), true, -1, 1, 1},
        {"a rule under the first of three lines", Block("-r-"), true, 1, 1, 0},
        {"a rule under the first line", Block("-r----"), true, 1, 1, 0},
        {"a rule under three lines", Block("---r---"), true, 3, 3, 0},
        {"a rule under three of six lines: half the lines", Block("---r--"), true, 3, 3, 0},
        {"a rule too far down", Block("----r--"), false, 4, 0, 0},
        {"a rule too near the end", Block("---r-"), false, 3, 0, 0},
        {"a rule on the last line", Block("--r"), false, 2, 0, 0},
        {"a rule at the very top: no rule under it", Block("r-----"), true, 0, 0, 0},
        {"two rules, the second at the end", Block("-r---r"), false, 1, 0, 0},
        {"three rules: top, under the heading, at the end", Block("r-r---r"), true, 0, 2, 0},
        // The second rule is too far down for the plain rules; the heading
        // framed by rules moves the first rule under it.
        {"a heading framed by three rules", Block("-r--r--r"), true, 4, 4, 0},
        {"framed with the last rule on the line before the last", Block("r---r--r-"), true, 4, 4, 0},
        {"three rules without one at the end", Block("-r--rr---"), false, 1, 0, 0},
        {"three rules without one at the top", Block("---r-r--r"), false, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HeaderRows decided = DecideHeaderRows(c.input);
        EXPECT_EQ(decided.hasHeader, c.hasHeader);
        EXPECT_EQ(decided.firstRuleLine, c.firstRuleLine);
        if (c.hasHeader) {
            EXPECT_EQ(decided.headerRowCount, c.headerRows);
        }
        EXPECT_EQ(decided.headerColumnCount, c.headerColumns);
    }
}

// The block analysis counts only the rule lines below the header lines, so
// that the counts and positions need not agree with the lines' rule flags.
TEST(HeaderRowRuleTest, TwoRulesCloseAHeadingWhenTheLastEndsTheBlock) {
    HeaderRuleInput input = Block("-r------");
    input.ruleLineCount = 2;
    input.secondRuleLine = 3;
    input.lastRuleLine = 7;
    const HeaderRows decided = DecideHeaderRows(input);
    EXPECT_TRUE(decided.hasHeader);
    EXPECT_EQ(decided.headerRowCount, 1);
}

}  // namespace
