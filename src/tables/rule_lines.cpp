// Rule lines of a block.
#include "tables/rule_lines.h"

#include "foundation/text_string.h"

namespace {

// The run of three or more of one of these makes a bordered rule.
constexpr int kLongRun = 3;

bool IsRuleCharacter(char c) { return c == '-' || c == '=' || c == '_' || c == '~'; }

// A rule line is made of blanks and the characters + - = _ ~ for more than
// 95% of its length, that is other characters make up less than 5% of it.
// A rule line is written as a rule, its text dropped, so it must hold a rule
// character, and the few others may be marks only: a letter, a digit or a
// non-ASCII character (text, such as a word after a long run of blanks or at
// the end of a long rule) makes the line text.  The count stops as soon as
// the others reach 5% (on a line of text, after a few characters).
bool IsMostlyRuleCharacters(std::string_view text) {
    if (text.empty()) return false;
    const long long enough = static_cast<long long>(text.size()) * 5;
    long long others = 0;
    bool ruleCharacter = false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case ' ': break;
            case '+':
            case '-':
            case '=':
            case '_':
            case '~': ruleCharacter = true; break;
            default:
                if (c >= 0x80 || IsAsciiAlnum(c)) return false;
                if (++others * 100 >= enough) return false;
                break;
        }
    }
    return ruleCharacter;
}

}  // namespace

bool IsBorderedRule(std::string_view text) {
    const size_t n = text.size();
    bool longRun = false;
    char runCharacter = '\0';
    int run = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '-' || c == '=') {
            run = c == runCharacter ? run + 1 : 1;
            runCharacter = c;
            if (run >= kLongRun) longRun = true;
            continue;
        }
        runCharacter = '\0';
        run = 0;
        switch (c) {
            case '_':
            case '~':
            case ' ':
            case '\t':
            case '|':
            case '+': break;
            case ':': {
                // Only where a run of rule characters starts or ends.
                const bool ruleBefore = i > 0 && IsRuleCharacter(text[i - 1]);
                const bool ruleAfter = i + 1 < n && IsRuleCharacter(text[i + 1]);
                if (ruleBefore == ruleAfter) return false;
                break;
            }
            default: return false;
        }
    }
    return longRun;
}

bool IsRuleText(std::string_view text) { return IsMostlyRuleCharacters(text) || IsBorderedRule(text); }
