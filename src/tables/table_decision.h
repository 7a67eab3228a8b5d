// The table's decision: what a table found by its columns will look like,
// made before its first markup is written.  The header-row rule is one
// function of plain values (where the rule lines stand and what the policies
// ask), so that it can be read and tested apart from the engine and its
// writers; the table start keeps its result, with the border, alignment,
// width and attributes it chose, in a TableDecision that the engine holds
// while the table is written.
#pragma once

#include <array>

#include "foundation/text_string.h"

// What the header-row rule reads.
struct HeaderRuleInput {
    // The rule lines near the top that may close a heading framed by three
    // rules: lines 0 to kHeadingRuleLines - 1.
    static constexpr int kHeadingRuleLines = 5;

    int lineCount = 0;
    int ruleLineCount = 0;  // rule lines below the header lines
    int firstRuleLine = -1;
    int secondRuleLine = -1;
    int lastRuleLine = -1;
    std::array<bool, kHeadingRuleLines> ruleAt{};  // line i is a rule line
    bool ruleInLastTwo = false;  // line lineCount - 1 or lineCount - 2 is a rule line
    int policyHeaderRows = 0;  // the table configuration's header rows
    int policyHeaderColumns = 0;  // the table configuration's header columns
};

// What the header-row rule decides.
struct HeaderRows {
    bool hasHeader = false;
    // The first rule line, moved to the rule under the heading when the
    // heading is framed by three rules.
    int firstRuleLine = -1;
    int headerRowCount = 0;  // meaningful with hasHeader
    int headerColumnCount = 0;  // asked for by the policy; 0: none asked
};

// The header rows of a table: a policy's count, else a rule line under the
// first rows (not the last line, nor a rule at the very top, where the
// second rule counts); never more than half the lines.
HeaderRows DecideHeaderRows(const HeaderRuleInput& input);

// The table start's decision, kept while the table is written.
struct TableDecision {
    // No BORDER attribute at all (a names-and-values list).
    static constexpr int kNoBorderAttribute = -1;

    HeaderRows header;
    int indentLevel = 0;  // HTML list level of the table
    // 1 left, 2 centre, 3 right: the start's (the end asks again, as a
    // policy line inside the table may change the configuration's).
    int alignment = 1;
    int borderSize = 0;  // written as BORDER=; kNoBorderAttribute: not written
    bool bordered = false;  // a border is drawn
    int cellSpacing = 0;
    int cellPadding = 4;
    TextString width;  // the WIDTH attribute, or empty
    TextString colours;  // the BGCOLOR and BORDERCOLOR attributes, or empty
};
