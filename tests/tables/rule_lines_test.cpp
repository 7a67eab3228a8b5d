#include <gtest/gtest.h>

#include <string>

#include "tables/rule_lines.h"

namespace {

TEST(RuleLinesTest, RulesDrawnWithBordersAreRules) {
    struct Case {
        std::string text;
        bool bordered;
    } cases[] = {
        {"|----|------|", true},
        {"+----+======+", true},
        {"+=====+", true},
        {"|:-------|----:|-----:|", true},  // a Markdown alignment row
        {"|:---:|", true},
        {":---  ---:", true},  // the alignment row without borders
        {"----  ------  ------", true},
        {"  |---|   |___|", true},
        {"|~~~|", false},  // no run of "-" or "="
        {"|--|--|", false},  // runs of two only
        {"|-=-|", false},
        {"|-:-|", false},  // a colon inside a run
        {"|:|---|", false},  // a colon at no run
        {"|---:: |", false},
        {"|----|-a---|", false},  // a letter
        {"|----|-1---|", false},  // a digit
        {"|----|-\xC3\xA9--|", false},  // a character beyond ASCII
        {"| -- | -- |", false},
        {"", false},
        {"|    |", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsBorderedRule(c.text), c.bordered) << c.text;
}

TEST(RuleLinesTest, TheBlockTestTakesMostlyRuleLinesAndBorderedRules) {
    const std::string rule(100, '-');
    struct Case {
        std::string text;
        bool rule;
    } cases[] = {
        {"-----", true},  // rule characters only
        {"+ + +", true},  // "+" alone, too
        {rule + "|", true},  // a stray mark under 5%
        {rule + "*", true},  // likewise
        {"|----|", true},  // bars over 5%, but a rule drawn with borders
        {"|:--|", false},  // neither: bars and a colon over 5%, no run of three
        {rule + " Total", false},  // a word
        {"Name  Qty", false},  // text
        {"", false},  // nothing
    };
    for (const Case& c : cases) EXPECT_EQ(IsRuleText(c.text), c.rule) << c.text;
}

}  // namespace
