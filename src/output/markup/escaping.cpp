#include "output/markup/escaping.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "context/context.h"
#include "foundation/unicode_text.h"
#include "output/markup/entities.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// True when the policies describe 8-bit text that is Latin-1 (or its
// Windows superset), so that bytes above 160 may be written as entities.
bool IsLatin1Text(FC* policies) {
    if (!policies) return true;
    if (policies->IsOn(Pol::InputJapanese)) return false;
    const TextString& encoding = policies->GetText(Pol::CharacterEncoding);
    if (encoding.length == 0) return true;
    return encoding.Matches("us-ascii", 0, 0) || encoding.Matches("ascii", 0, 0) ||
           encoding.Matches("windows-1252", 0, 0) || encoding.Matches("iso-8859-1", 0, 0);
}

}  // namespace

bool IsUtf8Text(const FC* policies) {
    return policies && policies->context && policies->context->documentState.utf8Text;
}

void HTML_EscapeText(FC* policies, TextString& text) {
    if (policies && policies->context && policies->context->outputFormat == kOutputText) return;
    EscapeMarkupCharacters(policies, &text);
    if (!IsUtf8Text(policies) && IsLatin1Text(policies)) EscapeEightBitCharacters(&text);
}

void HTML_ReferWindowsPunctuation(FC* policies, TextString& text) {
    if (IsUtf8Text(policies) || !IsLatin1Text(policies) || !unicode::HasNonAscii(text)) return;
    if (policies && !policies->GetText(Pol::CharacterEncoding).IsEmpty()) return;
    std::string out;
    bool changed = false;
    for (int i = 0; i < text.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text.buffer[i]);
        if (c >= 0x80 && c <= 0x9F) {
            if (!changed) out.assign(text.buffer, static_cast<size_t>(i));
            changed = true;
            out += "&#" + std::to_string(unicode::FromWindows1252(c)) + ";";
        } else if (changed) {
            out.push_back(static_cast<char>(c));
        }
    }
    if (changed) text.AssignChars(out.data(), static_cast<int>(out.size()));
}

namespace {

constexpr const char* kReplacementReference = "&#65533;";
constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";

// A form feed that begins a written line is a page break (the reader gives
// every page break a line of its own): it keeps its role, in pre-formatted
// text above all.  Anywhere else it is a control like the others.
constexpr char kFormFeed = '\f';

bool IsDisallowedCode(uint32_t code, int at) {
    if (code == static_cast<uint32_t>(kFormFeed) && at == 0) return false;
    return (code < 0x80 && unicode::IsDisallowedControl(static_cast<unsigned char>(code))) ||
           (code >= 0x80 && code <= 0x9F);
}

// The same for a byte of 8-bit text, whose bytes beyond ASCII are the
// characters of its code page.
bool IsDisallowedByte(char c, int at) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && IsDisallowedCode(byte, at);
}

bool HasNonAsciiOrControl(const TextString& text) {
    return text.length > 0 && unicode::HasNonAsciiOrControl(text.buffer, static_cast<size_t>(text.length));
}

}  // namespace

void HTML_WriteCharacterReferences(TextString& text) {
    if (!HasNonAsciiOrControl(text)) return;
    std::string out;
    out.reserve(static_cast<size_t>(text.length) + 32);
    for (int i = 0; i < text.length;) {
        const int at = i;
        const uint32_t code = unicode::NextCharacter(text.buffer, text.length, &i);
        if (IsDisallowedCode(code, at))
            out += kReplacementReference;
        else if (code < 0x80)
            out.push_back(static_cast<char>(code));
        else
            out += "&#" + std::to_string(code) + ";";
    }
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

void HTML_ReplaceControlCharacters(TextString& text) {
    // Most lines that come here hold letters beyond ASCII only.
    int first = 0;
    int next = 0;
    for (; first < text.length; first = next) {
        next = first;
        if (IsDisallowedCode(unicode::NextCharacter(text.buffer, text.length, &next), first)) break;
    }
    if (first >= text.length) return;
    std::string out(text.buffer, static_cast<size_t>(first));
    for (int i = first; i < text.length;) {
        const int start = i;
        if (IsDisallowedCode(unicode::NextCharacter(text.buffer, text.length, &i), start))
            out += kReplacementUtf8;
        else
            out.append(text.buffer + start, static_cast<size_t>(i - start));
    }
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

void HTML_ReferControlCharacters(TextString& text) {
    int first = 0;
    while (first < text.length && !IsDisallowedByte(text.buffer[first], first)) ++first;
    if (first >= text.length) return;
    std::string out(text.buffer, static_cast<size_t>(first));
    for (int i = first; i < text.length; ++i) {
        const char c = text.buffer[i];
        if (IsDisallowedByte(c, i))
            out += kReplacementReference;
        else
            out.push_back(c);
    }
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

TextFile::LineForm HTML_WrittenLineForm(FC* policies) {
    if (!IsUtf8Text(policies)) return {unicode::HasDisallowedControl, HTML_ReferControlCharacters};
    const TextString& declared = policies->GetText(Pol::CharacterEncoding);
    if (declared.IsEmpty() || unicode::NamesUtf8(declared))
        return {unicode::HasControlOrC1, HTML_ReplaceControlCharacters};
    return {unicode::HasNonAsciiOrControl, HTML_WriteCharacterReferences};
}

TextFile::LineForm HTML_LineFormOfPage(FC*, bool utf8Page) {
    if (utf8Page) return {unicode::HasControlOrC1, HTML_ReplaceControlCharacters};
    return {unicode::HasDisallowedControl, HTML_ReferControlCharacters};
}

TextFile::LineForm RTF_WrittenLineForm(FC* policies) {
    if (!IsUtf8Text(policies)) return {};
    return {unicode::HasNonAscii, RTF_WriteUnicodeCharacters};
}

void RTF_WriteUnicodeCharacters(TextString& text) {
    if (!unicode::HasNonAscii(text)) return;
    std::string out;
    out.reserve(static_cast<size_t>(text.length) + 32);
    auto unit = [&](uint32_t value) {
        const int n = value > 32767 ? static_cast<int>(value) - 65536 : static_cast<int>(value);
        out += "\\u" + std::to_string(n) + "?";
    };
    for (int i = 0; i < text.length;) {
        const uint32_t code = unicode::NextCharacter(text.buffer, text.length, &i);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code > 0xFFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

TextString HTML_DeclaredCharset(const FC* policies) {
    if (!policies) return TextString();
    const TextString& declared = policies->GetText(Pol::CharacterEncoding);
    return declared.IsEmpty() && IsUtf8Text(policies) ? TextString("UTF-8") : declared;
}

bool HTML_PageIsUtf8(const FC* policies) { return unicode::NamesUtf8(HTML_DeclaredCharset(policies)); }

namespace {

// The value as UTF-8 text, when it is not in the page's encoding; false when
// it is (or holds nothing beyond ASCII).
bool DiffersFromPage(TextString& text, bool pageIsUtf8) {
    if (!unicode::HasNonAscii(text)) return false;
    const bool valueIsUtf8 = unicode::IsValidUtf8(text);
    if (valueIsUtf8 == pageIsUtf8) return false;
    if (!valueIsUtf8) unicode::Windows1252ToUtf8(text);
    return true;
}

}  // namespace

void HTML_WriteValueForPage(const FC* policies, TextString& text) {
    if (DiffersFromPage(text, HTML_PageIsUtf8(policies))) HTML_WriteCharacterReferences(text);
}

void RTF_WriteValueForPage(const FC* policies, TextString& text) {
    if (DiffersFromPage(text, IsUtf8Text(policies))) RTF_WriteUnicodeCharacters(text);
}

void RTF_EscapeText(FC* /*policies*/, TextString& text) {
    bool any = false;
    for (int i = 0; i < text.length && !any; ++i) {
        char c = text.buffer[i];
        any = c == '\\' || c == '{' || c == '}';
    }
    if (!any) return;
    std::string out;
    out.reserve(static_cast<size_t>(text.length) + 16);
    for (int i = 0; i < text.length; ++i) {
        char c = text.buffer[i];
        if (c == '\\')
            out.append("\\\\");
        else if (c == '{')
            out.append("\\'7b");
        else if (c == '}')
            out.append("\\'7d");
        else
            out.push_back(c);
    }
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

namespace {

// Whether an entity or a character reference ("&name;", "&#233;",
// "&#xE9;") begins at `at`, which holds "&".
bool EntityBeginsAt(const TextString& text, int at) {
    constexpr int kLongestReference = 10;  // "&#1114111;"
    int i = at + 1;
    const bool numeric = i < text.length && text.buffer[i] == '#';
    if (numeric) ++i;
    const bool hex = numeric && i < text.length && (text.buffer[i] == 'x' || text.buffer[i] == 'X');
    if (hex) ++i;
    const int first = i;
    for (; i < text.length && i - at <= kLongestReference; ++i) {
        const unsigned char c = static_cast<unsigned char>(text.buffer[i]);
        const bool fits = hex ? std::isxdigit(c) != 0 : numeric ? std::isdigit(c) != 0 : std::isalnum(c) != 0;
        if (!fits) break;
    }
    return i > first && i < text.length && text.buffer[i] == ';' && (numeric || std::isalpha(text.buffer[first]));
}

}  // namespace

TextString HTML_EscapeMarkupOnce(const TextString& text) {
    TextString out;
    out.ReserveAbout(int64_t{text.length} + 16);
    for (int i = 0; i < text.length; ++i) {
        switch (text.buffer[i]) {
            case '<': out.Append("&lt;"); break;
            case '>': out.Append("&gt;"); break;
            case '&':
                if (EntityBeginsAt(text, i))
                    out.AppendChar('&');
                else
                    out.Append("&amp;");
                break;
            default: out.AppendChar(text.buffer[i]); break;
        }
    }
    return out;
}

TextString RTF_EscapeMarkupOnce(const TextString& text) {
    TextString out;
    out.ReserveAbout(int64_t{text.length} + 16);
    for (int i = 0; i < text.length; ++i) {
        const char c = text.buffer[i];
        if (c == '{' || c == '}') {
            out.AppendChar('\\');
            out.AppendChar(c);
        } else if (c == '\\') {
            const char next = i + 1 < text.length ? text.buffer[i + 1] : '\0';
            if (next == '\\' || next == '{' || next == '}') {
                out.AppendChar(c);
                out.AppendChar(next);
                ++i;
            } else if (next == '\'' || IsAsciiLetter(next)) {
                out.AppendChar(c);
            } else {
                out.Append("\\\\");
            }
        } else {
            out.AppendChar(c);
        }
    }
    return out;
}

TextString HTML_CommentText(const TextString& text) {
    TextString out;
    out.ReserveAbout(int64_t{text.length} + 8);
    for (int i = 0; i < text.length; ++i) {
        out.AppendChar(text.buffer[i]);
        if (text.buffer[i] == '-' && i + 1 < text.length && text.buffer[i + 1] == '-') out.AppendChar(' ');
    }
    return out;
}

TextString HTML_EscapeAttribute(const TextString& text) {
    TextString out;
    out.ReserveAbout(int64_t{text.length} + 16);
    for (int i = 0; i < text.length; ++i) {
        switch (text.buffer[i]) {
            case '&': out.Append("&amp;"); break;
            case '<': out.Append("&lt;"); break;
            case '>': out.Append("&gt;"); break;
            case '"': out.Append("&quot;"); break;
            default: out.AppendChar(text.buffer[i]); break;
        }
    }
    return out;
}
