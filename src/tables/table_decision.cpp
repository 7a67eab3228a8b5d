// The header-row rule (see table_decision.h).
#include "tables/table_decision.h"

namespace {

// A heading framed by three rules: a rule on line 0 or 1, one under the
// heading on lines 2 to 4 and one on the last two lines.  Gives the rule
// under the heading (the lowest line of those that are rules); -1 when the
// table is not framed so.
int FramedHeadingRule(const HeaderRuleInput& input) {
    int middle = -1;
    for (int index : {4, 3, 2})
        if (input.ruleAt[static_cast<size_t>(index)]) {
            middle = index;
            break;
        }
    const bool top = input.ruleAt[0] || input.ruleAt[1];
    if (!top || middle < 0 || !input.ruleInLastTwo) return -1;
    return middle;
}

// Whether the rule lines mark header rows; `firstRuleLine` may move to the
// rule under a framed heading.
bool HasHeader(const HeaderRuleInput& input, int& firstRuleLine) {
    const int lines = input.lineCount;
    const int rules = input.ruleLineCount;
    const int first = input.firstRuleLine;
    const int second = input.secondRuleLine;
    const int last = input.lastRuleLine;
    if (input.policyHeaderRows > 0) return true;
    if (rules == 1 && first == 1 && lines == 3) return true;
    if (rules == 1 && first < 4 && first < lines - 2) return true;
    if (rules == 2 && first < 4 && second < lines - 2 && lines == last + 1) return true;
    if (rules == 3 && second < 4 && second < lines - 2 && lines == last + 1) return true;
    if (rules != 3) return false;
    const int middle = FramedHeadingRule(input);
    if (middle < 0) return false;
    firstRuleLine = middle;
    return true;
}

}  // namespace

HeaderRows DecideHeaderRows(const HeaderRuleInput& input) {
    HeaderRows decided;
    decided.firstRuleLine = input.firstRuleLine;
    decided.hasHeader = HasHeader(input, decided.firstRuleLine);
    if (decided.hasHeader) {
        int rows = input.policyHeaderRows;
        if (rows < 1) {
            // A rule line under the first rows marks them as the header; a
            // rule on the last line does not, nor one at the very top (the
            // table's upper border), where the second rule line counts.
            const int first = decided.firstRuleLine >= input.lineCount - 1 ? 0 : decided.firstRuleLine;
            rows = first != 0 ? first : input.secondRuleLine;
        }
        // No rule line (-1) means no header rows.
        if (rows > input.lineCount / 2 || rows < 0) rows = 0;
        decided.headerRowCount = rows;
    }
    // Header columns asked for by the policy apply with or without header
    // rows.
    if (input.policyHeaderColumns > 0) decided.headerColumnCount = input.policyHeaderColumns;
    return decided;
}
