// Texts crossing to and from the toolkit: always UTF-8, never through the
// locale, so that a label or a path reads the same whatever the user's
// locale settings say.
#pragma once

#include <wx/string.h>

#include <string>

#include "foundation/text_string.h"

inline wxString ToWx(const char* text) { return wxString::FromUTF8(text != nullptr ? text : ""); }
inline wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }
inline wxString ToWx(const TextString& text) { return ToWx(text.c_str()); }

inline std::string FromWx(const wxString& text) {
    const wxScopedCharBuffer bytes = text.utf8_str();
    return std::string(bytes.data(), bytes.length());
}
