// ASCII letter case for the names the platform layer compares without regard
// to case (file-name patterns, setting names).  Only A-Z change; every other
// byte stays as it is, whatever the locale.
#pragma once

#include <string>
#include <string_view>

inline char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAsciiText(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = LowerAsciiChar(c);
    return lowered;
}
