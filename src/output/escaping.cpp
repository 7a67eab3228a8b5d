#include "output/escaping.h"

#include <string>

#include "context/context.h"
#include "output/entities.h"
#include "policies/fc.h"

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

void HTML_EscapeText(FC* policies, TextString& text) {
    if (policies && policies->context && policies->context->outputFormat == 2) return;
    EscapeMarkupCharacters(policies, &text);
    if (IsLatin1Text(policies)) EscapeEightBitCharacters(&text);
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

TextString HTML_CommentText(const TextString& text) {
    TextString out;
    out.Reserve(text.length + 8);
    for (int i = 0; i < text.length; ++i) {
        out.AppendChar(text.buffer[i]);
        if (text.buffer[i] == '-' && i + 1 < text.length && text.buffer[i + 1] == '-') out.AppendChar(' ');
    }
    return out;
}

TextString HTML_EscapeAttribute(const TextString& text) {
    TextString out;
    out.Reserve(text.length + 16);
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
