// Brace counting for RTF text: a brace escaped by a backslash ("\{", "\}")
// is text, not a group delimiter, and "\\" is an escaped backslash.
#pragma once

#include <string>

struct RtfBraceCount {
    int opened = 0;  // unescaped "{"
    int closed = 0;  // unescaped "}"
    int lowestDepth = 0;  // below 0 when a group closes that was never opened
};

RtfBraceCount CountRtfBraces(const std::string& text);

// Every group that opens is closed, and none closes before it opened.
bool RtfBracesBalance(const std::string& text);
