// Rule lines of a block: the lines a table draws as rules, never as rows of
// text.  The block analysis flags them; table parsing and output read the
// flags, and the HTML cell writer asks the same of a cell's text.
#pragma once

#include <string_view>

// A rule drawn with borders: only "-", "=", "_", "~", blanks and the border
// characters "|" and "+" (box drawing arrives as these), with a run of three
// or more "-" or "=".  A ":" may stand at either end of a run of rule
// characters (a Markdown alignment row; the colons set nothing).  Letters,
// digits and characters beyond ASCII never belong to one.
bool IsBorderedRule(std::string_view text);

// The block's rule-line test: blanks and the characters + - = _ ~ make up
// more than 95% of the line and the few others are marks (no letter, digit
// or character beyond ASCII), or the line is a rule drawn with borders.
bool IsRuleText(std::string_view text);
