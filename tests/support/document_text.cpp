#include "support/document_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "foundation/text_string.h"
#include "foundation/unicode_text.h"
#include "output/markup/entities.h"

std::string HtmlText(const std::string& html) {
    std::string out;
    for (size_t i = 0; i < html.size(); ++i) {
        if (html[i] == '\n') {
            out.push_back(' ');
            continue;
        }
        if (html[i] == '&') {
            const size_t end = html.find(';', i);
            int code = -1;
            // A numeric reference of any plane; a named entity as the
            // entity table names it.
            if (end != std::string::npos && end > i + 2 && html[i + 1] == '#' &&
                std::all_of(html.begin() + static_cast<long>(i) + 2, html.begin() + static_cast<long>(end),
                            [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
                unicode::AppendUtf8(out, static_cast<uint32_t>(std::stoul(html.substr(i + 2, end - i - 2))));
                i = end;
                continue;
            }
            if (end != std::string::npos && GetEntityCode(TextString(html.substr(i, end - i + 1).c_str()), &code)) {
                unicode::AppendUtf8(out, code == 160 ? ' ' : static_cast<uint32_t>(code));
                i = end;
                continue;
            }
        }
        out.push_back(html[i]);
    }
    return out;
}

std::string RtfText(const std::string& rtf) {
    static const uint16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    uint32_t high = 0;  // a high surrogate waiting for its partner
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{' || c == '}' || c == '\n' || c == '\r') {
            ++i;
            continue;
        }
        if (c != '\\') {
            out.push_back(c);
            ++i;
            continue;
        }
        const char next = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            out.push_back(next);
            i += 2;
        } else if (next == '\'') {
            const auto byte = static_cast<unsigned char>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16));
            unicode::AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte);
            i += 4;
        } else if (next == 'u' && i + 2 < rtf.size() &&
                   (rtf[i + 2] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i + 2])))) {
            size_t used = 0;
            int n = std::stoi(rtf.substr(i + 2), &used);
            const uint32_t unit = static_cast<uint32_t>(n < 0 ? n + 65536 : n);
            i += 2 + used + 1;  // the number, then one fallback character
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                high = unit;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF && high) {
                unicode::AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
            } else {
                unicode::AppendUtf8(out, unit);
            }
        } else {
            // A control word and its number; one blank after it belongs to it.
            ++i;
            while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
            if (i < rtf.size() && rtf[i] == '-') ++i;
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
            if (i < rtf.size() && rtf[i] == ' ') ++i;
        }
    }
    return out;
}

std::string PercentDecoded(const std::string& url) {
    std::string out;
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(url[i]);
        }
    }
    return out;
}

std::optional<PageLink> FirstLink(const std::string& page) {
    static const std::string kOpen = "<A HREF=\"";
    const size_t href = page.find(kOpen);
    if (href == std::string::npos) return std::nullopt;
    const size_t hrefEnd = page.find("\">", href);
    if (hrefEnd == std::string::npos) return std::nullopt;
    const size_t textEnd = page.find("</A>", hrefEnd);
    if (textEnd == std::string::npos) return std::nullopt;
    const size_t start = href + kOpen.size();
    return PageLink{page.substr(start, hrefEnd - start), page.substr(hrefEnd + 2, textEnd - hrefEnd - 2)};
}
