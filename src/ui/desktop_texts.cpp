#include "ui/desktop_texts.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {

constexpr char kPairSeparator = '|';
constexpr char kPatternSeparator = ';';
constexpr std::string_view kEveryFileWithDot = "*.*";
constexpr std::string_view kEveryFile = "*";

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const size_t at = text.find(separator);
        pieces.push_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + 1);
    }
    return pieces;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string DesktopPattern(std::string_view pattern, bool foldLetterCase) {
    if (pattern == kEveryFileWithDot) return std::string(kEveryFile);
    std::string result;
    result.reserve(pattern.size() * (foldLetterCase ? 4 : 1));
    for (const char c : pattern) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (foldLetterCase && byte < 0x80 && std::isalpha(byte)) {
            result.push_back('[');
            result.push_back(static_cast<char>(std::tolower(byte)));
            result.push_back(static_cast<char>(std::toupper(byte)));
            result.push_back(']');
        } else {
            result.push_back(c);
        }
    }
    return result;
}

}  // namespace

std::string DesktopFileFilter(const char* filter, bool foldLetterCase) {
    std::string_view text = filter ? filter : "";
    while (!text.empty() && text.back() == kPairSeparator) text.remove_suffix(1);
    if (text.empty()) return {};
    const std::vector<std::string_view> pieces = Split(text, kPairSeparator);
    std::string result;
    for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
        std::string patterns;
        for (const std::string_view pattern : Split(pieces[i + 1], kPatternSeparator)) {
            const std::string_view trimmed = Trimmed(pattern);
            if (trimmed.empty()) continue;
            if (!patterns.empty()) patterns.push_back(kPatternSeparator);
            patterns += DesktopPattern(trimmed, foldLetterCase);
        }
        if (patterns.empty()) continue;
        if (!result.empty()) result.push_back(kPairSeparator);
        result.append(pieces[i]);
        result.push_back(kPairSeparator);
        result += patterns;
    }
    return result;
}

std::string DesktopMessageText(const char* text) {
    std::string result;
    for (const char* at = text ? text : ""; *at != '\0'; ++at) {
        if (*at == '\r' || *at == '\n') {
            // A pair of the two, in either order, is one break: the
            // program's own texts write "\n\r".
            result.push_back('\n');
            if ((at[1] == '\r' || at[1] == '\n') && at[1] != at[0]) ++at;
        } else {
            result.push_back(*at);
        }
    }
    return result;
}
