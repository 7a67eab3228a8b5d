// ASCII letter case for the names the platform layer compares without regard
// to case (file-name patterns, setting names), and the value of a
// hexadecimal digit.  Only A-Z change; every other byte stays as it is,
// whatever the locale.
#pragma once

#include <string>
#include <string_view>

inline char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAsciiText(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = LowerAsciiChar(c);
    return lowered;
}

// The value 0-15 of a hexadecimal digit ('0'-'9', 'a'-'f', 'A'-'F'); -1 for
// any other byte.
inline int AsciiHexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
