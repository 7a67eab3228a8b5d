// Text of written documents as a reader sees it, for tests that compare what
// a document shows with the text that went in.
#pragma once

#include <optional>
#include <string>

// HTML text (a cell, a link text, a title): entities and character
// references decoded, line breaks of the source read as blanks.
std::string HtmlText(const std::string& html);

// The text of an RTF document as a reader shows it: groups and control words
// skipped, "\'xx" read as Windows-1252, "\uN" as its UTF-16 unit (the
// fallback character after it skipped), escaped braces and backslashes as
// themselves.
std::string RtfText(const std::string& rtf);

// A URL path with its "%XX" escapes decoded to the bytes they stand for.
std::string PercentDecoded(const std::string& url);

// The first link of an HTML page: its target as written in HREF and the HTML
// of its link text; nothing when the page has no whole link.
struct PageLink {
    std::string href;
    std::string text;
};
std::optional<PageLink> FirstLink(const std::string& page);
