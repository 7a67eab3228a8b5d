// Rule-set codes: the conventions of two sites that a policy file may ask
// for ("Rule set to be used"), kept by the policy set (FC::ruleSetCode) and
// the run (Context::ruleSetCode).  Either rule set forces some policies,
// and much of the markup follows it.
#pragma once

enum RuleSet : int {
    kRuleSetNone = 0,
    kRuleSetTarnell = 1,  // "Tarnell"
    kRuleSetSec = 2,  // "SEC"
};

// Whether `code` is one of the two rule sets.
constexpr bool IsRuleSet(int code) { return code == kRuleSetTarnell || code == kRuleSetSec; }
