#include "support/rtf_braces.h"

RtfBraceCount CountRtfBraces(const std::string& text) {
    RtfBraceCount count;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            ++i;  // the escaped character, whatever it is, is not a delimiter
            continue;
        }
        if (c == '{') {
            ++count.opened;
            ++depth;
        } else if (c == '}') {
            ++count.closed;
            if (--depth < count.lowestDepth) count.lowestDepth = depth;
        }
    }
    return count;
}

bool RtfBracesBalance(const std::string& text) {
    const RtfBraceCount count = CountRtfBraces(text);
    return count.opened == count.closed && count.lowestDepth >= 0;
}
