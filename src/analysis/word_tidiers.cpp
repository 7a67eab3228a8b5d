// Word tidiers: web, e-mail and newsgroup addresses and overstruck words of
// the output-time word scan.
#include "analysis/word_tidiers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/recognisers.h"
#include "context/context.h"
#include "foundation/pattern_rules.h"
#include "output/markup/link_target.h"
#include "output/markup/rtf_links.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

using std::string_view;
constexpr size_t npos = string_view::npos;

int OutputFormat(const FC& set) { return set.context ? set.context->outputFormat : kOutputHTML; }

// Messages about a word go to the line being converted, which keeps them to
// itself during a conversion.
void SendLineMessage(FC& set, AnalysedLine& line, const TextString& text, int level) {
    if (set.context)
        line.LineMessage(*set.context, text, level);
    else
        set.ReportMessage(text.buffer, level);
}

bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

bool StartsWithNoCase(string_view text, string_view prefix) {
    return text.size() >= prefix.size() &&
           CompareTextN(text.data(), prefix.data(), static_cast<int>(prefix.size()), 1) == 0;
}

bool EndsWithNoCase(string_view text, string_view suffix) {
    return text.size() >= suffix.size() && CompareTextN(text.data() + text.size() - suffix.size(), suffix.data(),
                                                        static_cast<int>(suffix.size()), 1) == 0;
}

// Position of `part` in `text`, letters compared without regard to case.
size_t FindNoCase(string_view text, string_view part, size_t from = 0) {
    if (part.empty() || text.size() < part.size()) return npos;
    for (size_t i = from; i + part.size() <= text.size(); ++i)
        if (CompareTextN(text.data() + i, part.data(), static_cast<int>(part.size()), 1) == 0) return i;
    return npos;
}

bool HoldsNoCase(string_view text, string_view part) { return FindNoCase(text, part) != npos; }

// Removes the first occurrence of `part` (ignoring case); true when found.
bool RemoveFirstNoCase(std::string& text, string_view part) {
    size_t at = FindNoCase(text, part);
    if (at == npos) return false;
    text.erase(at, part.size());
    return true;
}

size_t Count(string_view text, char c) { return static_cast<size_t>(std::count(text.begin(), text.end(), c)); }

TextString ToText(string_view text) { return TextString(text); }

// A lower-case letter that is not part of an "amp;" run (an upper-case word
// may hold the entity "&amp;").
bool HasLowerCaseLetter(string_view word) {
    for (size_t i = 0; i < word.size(); ++i) {
        if (!IsAsciiLower(static_cast<unsigned char>(word[i]))) continue;
        if (word.substr(i, 4) == "amp;") {
            i += 3;
            continue;
        }
        return true;
    }
    return false;
}

// The file extensions whose start tells where the path of a web address
// ends; each is matched as a prefix, so ".htm" finds ".html" too.
// clang-format off
constexpr const char* kKnownExtensions[] = {
    ".htm", ".jhtm", ".shtm", ".xml", ".dtd", ".xsd", ".txt", ".doc", ".pdf", ".rtf", ".wpd", ".js",  ".css", ".gz",
    ".exe", ".tar",  ".zip",  ".gzip", ".au", ".mid", ".avi", ".swf", ".wav", ".ram", ".gif", ".mpg", ".mpeg",
    ".mov", ".jpg",  ".bmp",  ".mng", ".png", ".jng", ".jpeg", ".mv", ".asp", ".cfm", ".php", ".stm"};
// clang-format on

// The last position at which a known file extension begins; npos when none.
size_t LastExtensionStart(string_view word) {
    for (size_t i = word.size(); i-- > 0;) {
        if (word[i] != '.') continue;
        for (const char* extension : kKnownExtensions)
            if (StartsWithNoCase(word.substr(i), extension)) return i;
    }
    return npos;
}

// The link markup of one address for HTML.  The target is written between
// double quotes whatever it holds; `frame` adds a TARGET attribute when the
// policies ask for links in another window.
void BuildHtmlLink(FC& set, const TextString& target, const TextString& shown, bool frame, TextString& out) {
    out.Assign("<A HREF=\"");
    AppendHrefTarget(out, target);
    out.AppendChar('"');
    if (frame) {
        TextString window;
        HTML_GetLinkTarget(&set, 0, target, window);
        if (!window.IsEmpty()) {
            out.Append(" TARGET=\"");
            out.Append(window);
            out.AppendChar('"');
        }
    }
    out.AppendChar('>');
    out.Append(shown);
    out.Append("</A>");
}

// The link markup of one address for RTF: a help jump in Windows Help
// source, else a HYPERLINK field.  A double quote would end the field's
// argument, so it is written "%22" here as well.
void BuildRtfLink(FC& set, int kind, const TextString& target, const TextString& shown, TextString& out) {
    TextString address;
    AppendHrefTarget(address, target);
    if (set.IsOn(Pol::MakeWindowsHelpSource))
        RTF_FormatLink(&set, kind, 0, address, shown, out);
    else
        RTF_FormatHyperlinkField(&set, kind, address, shown, out);
}

// The link markup of the output format; false for a format that has none
// (after the unsupported-case message for formats above 3).  Format 3 shows
// the text alone.
bool BuildLink(FC& set, AnalysedLine& line, int kind, const TextString& target, const TextString& shown, bool frame,
               const char* routine, TextString& out) {
    switch (OutputFormat(set)) {
        case kOutputHTML: BuildHtmlLink(set, target, shown, frame, out); return true;
        case kOutputRTF: BuildRtfLink(set, kind, target, shown, out); return true;
        case kOutputPDF: out = shown; return true;
        default: {
            TextString message(routine);
            SendLineMessage(set, line, message, kLevelAlways);
            return false;
        }
    }
}

// The word with the stretch [at, at + length) replaced by `markup`.
TextString ReplaceStretch(string_view word, size_t at, size_t length, const TextString& markup) {
    std::string result(word.substr(0, at));
    result.append(markup.buffer, static_cast<size_t>(markup.length));
    result.append(word.substr(at + length));
    return ToText(result);
}

}  // namespace

void AppendHrefTarget(TextString& out, const TextString& target) {
    for (int i = 0; i < target.length; ++i) {
        if (target.buffer[i] == '"')
            out.Append("%22");
        else
            out.AppendChar(target.buffer[i]);
    }
}

const char* GetURLMessageLead(int urlType) {
    switch (urlType) {
        case kURLHttp:
        case kURLBareWww: return "\"";
        case kURLEmail: return "(email) \"";
        case kURLFtp:
        case kURLBareFtp:
        case kURLHostAsFtp: return "(FTP) \"";
        case kURLGopher:
        case kURLBareGopher: return "(Gopher) \"";
        case kURLTelnet:
        case kURLBareTelnet: return "(Telnet) \"";
        case kURLNewsgroup: return "(Newsgroup) \"";
        default: return "";
    }
}

// ---------------------------------------------------------------------------
// Cutting the address out of a word

int SplitURLWord(int kind, const TextString& word, TextString& core, int html) {
    if (word.IsEmpty()) return 1;
    string_view whole = word.view();
    std::string text(whole.substr(0, whole.find('\n')));

    // Markup around the address: keep the text between the tags.
    if (html && text.find('<') != npos && text.find('>') != npos) {
        size_t open = npos;  // the first '>' not followed by '<'
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '>' && (i + 1 >= text.size() || text[i + 1] != '<')) {
                open = i;
                break;
            }
        size_t close = npos;  // the last '<' not preceded by '>'
        for (size_t i = text.size(); i-- > 0;)
            if (text[i] == '<' && (i == 0 || text[i - 1] != '>')) {
                close = i;
                break;
            }
        if (open != npos && close != npos && open < close) {
            text = text.substr(open + 1, close - open - 1);
        } else if (Count(text, '<') == 1 && Count(text, '>') == 1) {
            size_t lt = text.find('<');
            size_t gt = text.find('>');
            if (lt < gt) text.erase(lt, gt - lt + 1);
        }
    }

    // The stretch [b, e) is narrowed by index, so that long runs of
    // punctuation cost time in proportion to their length.
    size_t b = 0;
    size_t e = text.size();
    static constexpr const char* kLeadingTexts[] = {"&lt;", "URL:", "news:", "snews:", "HREF=\"", "mailto:"};
    for (bool progress = true; progress && b < e;) {
        progress = false;
        if (InSet(text[b], "'(<[`{")) {
            ++b;
            progress = true;
            continue;
        }
        string_view rest(text.data() + b, e - b);
        for (const char* lead : kLeadingTexts) {
            if (StartsWithNoCase(rest, lead)) {
                b += std::strlen(lead);
                progress = true;
                break;
            }
        }
    }
    // The entity texts are tried first: their ';' would otherwise go alone.
    static constexpr const char* kTrailingTexts[] = {"&gt;", "&lt;", "'s"};
    for (bool progress = true; progress && e > b;) {
        progress = false;
        string_view rest(text.data() + b, e - b);
        for (const char* trail : kTrailingTexts) {
            if (EndsWithNoCase(rest, trail)) {
                e -= std::strlen(trail);
                progress = true;
                break;
            }
        }
        if (!progress && InSet(text[e - 1], "'),.:;<>?]`}")) {
            --e;
            progress = true;
        }
    }

    // Quotes: both ends quoted, or one quote inside (the shorter side goes).
    if (e - b >= 2 && text[b] == '"' && text[e - 1] == '"') {
        ++b;
        --e;
    } else if (e > b && Count(string_view(text.data() + b, e - b), '"') == 1) {
        size_t quote = text.find('"', b);
        size_t left = quote - b;
        size_t right = e - quote - 1;
        if (left < right)
            b = quote + 1;
        else
            e = quote;
    }
    if (e <= b) return 0;
    string_view found(text.data() + b, e - b);

    // A scheme word on its own is no address.
    if ((StartsWithNoCase(found, "ftp") && found.size() <= 7) ||
        (StartsWithNoCase(found, "http") && found.size() <= 8) ||
        ((StartsWithNoCase(found, "gopher") || StartsWithNoCase(found, "telnet") ||
          StartsWithNoCase(found, "mailto")) &&
         found.size() <= 10))
        return 0;

    for (char c : found)
        if (InSet(c, "!()*{}") || (kind != kURLWordWeb && (c == '[' || c == ']'))) return 0;
    if (HoldsNoCase(found, "&lt;") || HoldsNoCase(found, "&gt;")) return 0;
    if (Count(found, '"') % 2 != 0 || Count(found, '\'') % 2 != 0) return 0;
    if (found.front() == '"' && Count(whole, '@') != 1) return 0;

    core = ToText(found);
    return 1;
}

// ---------------------------------------------------------------------------
// Web, ftp, gopher and telnet addresses

namespace {

// An address holds no '<' or '>' (in HTML text they stand escaped): one
// inside the word ends the address, so that the address is never cut
// inside an entity ("&amp;") and the rest stays text.  Cuts `whole` there
// and returns the rest (empty when nothing is cut).
string_view CutAtAngleBracket(string_view& whole, int format) {
    const char* const open = format == kOutputHTML ? "&lt;" : "<";
    const char* const close = format == kOutputHTML ? "&gt;" : ">";
    // Neither begins with a letter: a word without their first bytes (most
    // words) holds neither.
    if (whole.find(open[0]) == npos && whole.find(close[0]) == npos) return {};
    const size_t from = StartsWithNoCase(whole, open) ? std::strlen(open) : 0;
    size_t end = npos;
    for (const char* angle : {open, close}) {
        const size_t at = FindNoCase(whole.substr(from), angle);
        if (at != npos) end = std::min(end, from + at);
    }
    if (end == npos || end <= from) return {};
    const string_view tail = whole.substr(end);
    whole = whole.substr(0, end);
    return tail;
}

// Edges: quotes, brackets, sentence punctuation and stray 8-bit characters
// are not part of the address.
string_view WithoutAddressEdges(string_view whole) {
    size_t b = 0;
    size_t e = whole.size();
    for (bool progress = true; progress && e - b > 1;) {
        progress = false;
        const unsigned char first = static_cast<unsigned char>(whole[b]);
        const unsigned char last = static_cast<unsigned char>(whole[e - 1]);
        if (InSet(static_cast<char>(first), "\"([{") || first >= 128) {
            ++b;
            progress = true;
            continue;
        }
        string_view rest = whole.substr(b, e - b);
        for (const char* trail : {"&amp;", "&gt;", "&lt;"}) {
            const size_t n = std::strlen(trail);
            if (rest.size() > n && EndsWithNoCase(rest, trail)) {
                e -= n;
                progress = true;
                break;
            }
        }
        if (progress) continue;
        if (InSet(static_cast<char>(last), "\"!').;]}") || last >= 128) {
            --e;
            progress = true;
        }
    }
    return whole.substr(b, e - b);
}

}  // namespace

int TidyHTTPWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                 TextString& display) {
    const int format = OutputFormat(set);
    if (format == kOutputText || !set.IsOn(Pol::CreateHyperlinks) || replaced) return 0;
    string_view whole = word.view();
    const string_view tail = CutAtAngleBracket(whole, format);
    // Every scheme and host stem below holds letters, so a word without any
    // (a number such as "1,234.50") can only be a dotted numeric host, which
    // needs two dots at least.
    if (Count(whole, '.') < 2 && std::none_of(whole.begin(), whole.end(),
                                              [](char c) { return IsAsciiLetter(static_cast<unsigned char>(c)); }))
        return 0;

    // Which words may be addresses at all.
    if (whole.find('/') == npos) {
        if (whole.find('.') == npos || whole.find(',') != npos) return 0;
    } else if (whole.find(',') != npos) {
        const size_t extension = LastExtensionStart(whole);
        const size_t firstComma = whole.find(',');
        const size_t lastComma = whole.rfind(',');
        if (firstComma < whole.find('/') || extension == npos) return 0;
        if (lastComma > extension && (extension == 0 || lastComma - extension > 6 || lastComma != whole.size() - 1))
            return 0;
    }

    const string_view address = WithoutAddressEdges(whole);
    // Every address taken below holds a "." or a "/" (and the removals
    // below add neither): a plain word, as a word at the end of a sentence
    // is once its full stop is off, goes no further.
    if (address.find_first_of("./") == npos) return 0;
    std::string work(address);
    RemoveFirstNoCase(work, "URL:");
    RemoveFirstNoCase(work, "&gt;");
    RemoveFirstNoCase(work, "&lt;");
    if (size_t http = FindNoCase(work, "http"); http != npos) work.erase(0, http);
    const TextString copy = ToText(work);
    const int length = copy.length;

    const bool check = set.IsOn(Pol::CheckDomainNameSyntax);
    TextString host;
    int rewritten = 0;
    auto accepts = [&](int mode) { return IsDomainName(copy.buffer, copy.length, mode, host, rewritten); };
    auto holds = [&](const char* part) { return HoldsNoCase(work, part); };
    // A bare host stem must begin within the first 8 characters, and a word
    // beginning with a mangled "http" is not taken as a bare host.
    auto positionRulesHold = [&](const char* stem) {
        const size_t at = FindNoCase(work, stem);
        const size_t http = FindNoCase(work, "http");
        return at < 8 && !(http != npos && http < 3);
    };

    int type = kURLNone;
    const char* scheme = nullptr;
    if (holds("http://") && length >= 11 && (!check || accepts(kDomainWeb))) {
        type = kURLHttp;
    } else if (holds("https://") && length >= 12 && (!check || accepts(kDomainHttps))) {
        type = kURLHttp;
    } else if (holds("ftp://") && length >= 10 && (!check || accepts(kDomainFtp))) {
        if (!set.IsOn(Pol::CreateFTPLinks)) return 0;
        type = kURLFtp;
    } else if (holds("gopher://") && length >= 13 && (!check || accepts(kDomainGopher))) {
        if (!set.IsOn(Pol::CreateGopherLinks)) return 0;
        type = kURLGopher;
    } else if (holds("telnet://") && length >= 13 && (!check || accepts(kDomainTelnet))) {
        if (!set.IsOn(Pol::CreateTelnetLinks)) return 0;
        type = kURLTelnet;
    } else if (holds("www.") && length >= 8 && accepts(kDomainWeb)) {
        if (!positionRulesHold("www.")) return kURLRefusedWww;
        type = kURLBareWww;
        scheme = "http://";
    } else if (holds("ftp.") && length >= 8 && accepts(kDomainFtp)) {
        if (!set.IsOn(Pol::CreateFTPLinks)) return 0;
        if (!positionRulesHold("ftp.")) return kURLRefusedFtp;
        type = kURLBareFtp;
        scheme = "ftp://";
    } else if (holds("gopher.") && length >= 11) {
        if (!set.IsOn(Pol::CreateGopherLinks)) return 0;
        if (!accepts(kDomainGopher) || !positionRulesHold("gopher.")) return kURLRefusedGopher;
        type = kURLBareGopher;
        scheme = "gopher://";
    } else if (holds("telnet.") && length >= 11) {
        if (!set.IsOn(Pol::CreateTelnetLinks)) return 0;
        if (!accepts(kDomainTelnet) || !positionRulesHold("telnet.")) return kURLRefusedTelnet;
        type = kURLBareTelnet;
        scheme = "telnet://";
    } else if (set.IsOn(Pol::CreateFTPLinks) && !set.IsOn(Pol::OnlyAllowExplicitFTPLinks) && length >= 8 &&
               work[0] != '-' && work[0] != '.' && work.find('@') == npos && !holds("news:") &&
               Count(work, '.') >= 2 && accepts(kDomainFtp)) {
        type = kURLHostAsFtp;
        scheme = "ftp://";
    } else {
        return 0;
    }
    if (work.find("..") != npos) return 0;

    TextString core;
    if (!SplitURLWord(kURLWordWeb, copy, core, format == kOutputHTML) || core.IsEmpty()) return 0;
    const size_t coreAt = whole.find(core.view());
    if (coreAt == npos) return 0;  // the address was pieced together from parts of the word

    TextString target;
    if (scheme) {
        target.Assign(scheme);
        target.Append(core);
        if (!core.FindChar(0, '/', nullptr, 1)) target.AppendChar('/');
    } else {
        target = core;
    }

    TextString markup;
    if (!BuildLink(set, line, 2, target, core, true, "UNSUPPORTED CASE: Output Format in TidyHTTPWord", markup))
        return 0;
    if (rewritten) {
        TextString message("INFO: Using domain name \"");
        message.Append(host);
        message.Append("\" for \"");
        message.Append(copy);
        message.AppendChar('"');
        SendLineMessage(set, line, message, kLevelAnalysisNote);
        markup.Replace(copy.buffer, host.buffer, 0, 1);
    }

    display = target;
    line.extraWrapWidth = core.length;
    replacement = ReplaceStretch(whole, coreAt, static_cast<size_t>(core.length), markup);
    replacement.Append(ToText(tail));
    replaced = 1;
    return type;
}

// ---------------------------------------------------------------------------
// E-mail addresses

int TidyEmailWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                  TextString& display) {
    const int format = OutputFormat(set);
    if (format == kOutputText || replaced || word.CountChar('@') != 1) return 0;
    string_view whole = word.view();

    std::string copy(whole);
    if (Count(copy, '"') == 2) {
        const size_t first = copy.find('"');
        const size_t second = copy.find('"', first + 1);
        std::string between = copy.substr(first + 1, second - first - 1);
        if (Count(between, '@') == 1) copy = between;
    }
    size_t b = 0;
    size_t e = copy.size();
    for (bool progress = true; progress && e - b > 1;) {
        progress = false;
        if (InSet(copy[b], "\"(<[{")) {
            ++b;
            progress = true;
        } else if (InSet(copy[e - 1], "\").>]}")) {
            --e;
            progress = true;
        }
    }
    copy = copy.substr(b, e - b);
    if (copy.size() <= 6) return 0;
    RemoveFirstNoCase(copy, "mailto:");
    RemoveFirstNoCase(copy, "URL:");
    RemoveFirstNoCase(copy, "Email:");

    if (copy.empty()) return 0;
    if (IsAsciiDigit(static_cast<unsigned char>(copy[0])) && !set.IsOn(Pol::AllowEmailBeginningWithNumbers))
        return 0;
    if (copy[0] == '%' || HoldsNoCase(copy, "news:") || !set.IsOn(Pol::CreateMailtoLinks)) return 0;
    const size_t at = copy.find('@');
    if (at == npos) return 0;
    const string_view user(copy.data(), at);
    const string_view domain(copy.data() + at + 1, copy.size() - at - 1);
    auto hasAlnum = [](string_view part) {
        return std::any_of(part.begin(), part.end(),
                           [](char c) { return IsAsciiAlnum(static_cast<unsigned char>(c)); });
    };
    if (user.empty() || domain.size() <= 4 || !hasAlnum(user) || !hasAlnum(domain)) return 0;
    if (domain.find('.') == npos) return 0;
    if (copy.find_first_of("/\\*^") != npos || copy.find("..") != npos) return 0;
    for (size_t i = 1; i + 3 <= copy.size(); ++i)
        if (copy[i] == '\'') return 0;

    replaced = 1;
    TextString core;
    TextString host;
    int rewritten = 0;
    const TextString copyText = ToText(copy);
    bool accepted = SplitURLWord(kURLWordEmail, copyText, core, format == kOutputHTML) && !core.IsEmpty();
    int coreAt = -1;
    if (accepted) {
        accepted = core.FindChar(0, '@', &coreAt, 1);
        if (accepted)
            accepted =
                IsDomainName(core.buffer + coreAt + 1, core.length - coreAt - 1, kDomainEmail, host, rewritten);
    }
    const size_t wordAt = accepted ? whole.find(core.view()) : npos;
    if (!accepted || core.length < 7 || wordAt == npos) {
        replaced = 0;
        return 0;
    }

    TextString target("mailto:");
    target.Append(core);
    TextString markup;
    if (!BuildLink(set, line, 3, target, core, false, "UNSUPPORTED CASE: Output Format in TidyEmailWord", markup)) {
        replaced = 0;
        return 0;
    }
    line.extraWrapWidth = core.length;
    if (rewritten) {
        display.AssignChars(core.buffer, coreAt + 1);
        display.Append(host);
    } else {
        display = core;
    }
    // The address is replaced where it stands, so that a "mailto:" or a
    // bracket in front of it stays in its place.
    replacement = ReplaceStretch(whole, wordAt, static_cast<size_t>(core.length), markup);
    return kURLEmail;
}

// ---------------------------------------------------------------------------
// Newsgroup names

namespace {

// The beginnings by which a name is a newsgroup without the policy's list.
constexpr const char* kNewsHierarchies[] = {"alt.",  "rec.",  "sci.",        "soc.",  "comp.",
                                            "misc.", "news.", "humanities.", "news:", "snews:"};

}  // namespace

bool EndsWithNewsHierarchy(std::string_view text) {
    if (text.size() < 2) return false;
    // The letter before the last byte tells most words apart before the
    // whole ending is compared (the hierarchies are written in lower case).
    const char beforeLast = ToLowerAscii(text[text.size() - 2]);
    for (const string_view hierarchy : kNewsHierarchies)
        if (hierarchy[hierarchy.size() - 2] == beforeLast && EndsWithNoCase(text, hierarchy)) return true;
    return false;
}

int TidyUSENETWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                   TextString& refusedCore, TextString& display) {
    const int format = OutputFormat(set);
    string_view w = word.view();
    if (format == kOutputText || replaced || w.size() <= 4 || !set.IsOn(Pol::CreateNEWSLinks) ||
        !HasLowerCaseLetter(w) || w.find('.') == npos)
        return 0;
    const size_t n = w.size();

    bool plausible = !IsAsciiDigit(static_cast<unsigned char>(w[0]));
    for (size_t i = 0; i + 1 < n; ++i)
        if (w[i] == ',' || w[i] == '?') plausible = false;

    bool isExplicit = false;
    bool secure = false;
    const size_t colon = w.find(':');
    if (colon != npos && colon + 1 < n) {
        size_t nameAt = npos;
        if (size_t at = FindNoCase(w, "snews:"); at != npos) {
            isExplicit = secure = true;
            nameAt = at + 6;
        } else if (size_t at2 = FindNoCase(w, "news:"); at2 != npos) {
            isExplicit = true;
            nameAt = at2 + 5;
        } else {
            plausible = false;
        }
        if (isExplicit && nameAt < n && IsAsciiDigit(static_cast<unsigned char>(w[nameAt]))) {
            plausible = false;
            isExplicit = false;
        }
    }

    // Parts of the name: their number and their shortest and longest length.
    int parts = 0;
    size_t shortest = SIZE_MAX;
    size_t longest = 0;
    bool known = false;
    size_t partStart = 0;
    bool firstDot = true;
    const size_t skip = (w[0] == '"') ? 1 : 0;
    auto endPart = [&](size_t end) {
        const size_t length = end - partStart;
        ++parts;
        shortest = std::min(shortest, length);
        longest = std::max(longest, length);
    };
    for (size_t i = 0; plausible && i < n; ++i) {
        const char c = w[i];
        if (InSet(c, "!*+/;<=>|")) {
            plausible = false;
            break;
        }
        if (c != '.') continue;
        endPart(i);
        partStart = i + 1;
        if (i + 1 < n && IsAsciiDigit(static_cast<unsigned char>(w[i + 1]))) plausible = false;
        if (firstDot) {
            firstDot = false;
            if (n > 7) {
                const string_view name = w.substr(skip);
                for (const char* hierarchy : kNewsHierarchies)
                    if (StartsWithNoCase(name, hierarchy)) known = true;
                if (!known && i > skip) {
                    const TextString firstPart = ToText(w.substr(skip, i - skip));
                    known = set.usenetGroups.Find(&firstPart, nullptr);
                }
                if (known) ++parts;
            }
        }
    }
    if (plausible && partStart < n) endPart(n);

    const bool candidate = isExplicit || (parts >= 2 && shortest > 1 && longest > 2 && plausible);
    if (!candidate) return 0;
    const bool convert = isExplicit || known || (parts != 2 && !set.IsOn(Pol::OnlyUseKnownGroups));
    TextString core;
    if (!convert) {
        if (SplitURLWord(kURLWordNewsgroup, word, core, format == kOutputHTML) && !core.IsEmpty()) {
            refusedCore = core;
            return kURLRefusedNewsgroup;
        }
        return 0;
    }

    if (!SplitURLWord(kURLWordNewsgroup, word, core, format == kOutputHTML) || core.IsEmpty()) return 0;
    size_t coreAt = w.find(core.view());
    if (coreAt == npos) return 0;
    const char* schemeText = secure ? "snews:" : "news:";
    size_t linkAt = coreAt;
    // An explicit name is shown with its scheme as written.
    const size_t schemeLength = std::strlen(schemeText);
    if (isExplicit && coreAt >= schemeLength && StartsWithNoCase(w.substr(coreAt - schemeLength), schemeText))
        linkAt = coreAt - schemeLength;
    const TextString linkText = ToText(w.substr(linkAt, coreAt - linkAt + static_cast<size_t>(core.length)));

    TextString target(schemeText);
    target.Append(core);
    TextString markup;
    if (!BuildLink(set, line, 4, target, linkText, false, "UNSUPPORTED CASE: Output Format TidyUSENETWord", markup))
        return 0;
    replaced = 1;
    line.extraWrapWidth = core.length;
    display = target;
    replacement = ReplaceStretch(w, linkAt, static_cast<size_t>(linkText.length), markup);
    return kURLNewsgroup;
}

// ---------------------------------------------------------------------------
// Overstruck words

void TidyUnixWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement) {
    const int format = OutputFormat(set);
    if (format == kOutputText || replaced) return;
    string_view w = word.view();
    const size_t n = w.size();
    int backspaces = 0;
    int underlineBefore = 0;
    int underlineAfter = 0;
    int overstrikes = 0;
    for (size_t i = 0; i < n; ++i) {
        if (w[i] != '\b') continue;
        ++backspaces;
        if (i > 0 && w[i - 1] == '_') ++underlineBefore;
        if (i + 1 < n && w[i + 1] == '_') ++underlineAfter;
        if (i > 0 && i + 1 < n && w[i - 1] == w[i + 1]) ++overstrikes;
    }
    if (backspaces == 0) return;

    enum Style { kNone, kUnderlineBefore, kUnderlineAfter, kBold };
    Style style = kNone;
    const bool underlines = set.IsOn(Pol::LookForUnderlinedText);
    if (underlineBefore > 0 && underlineAfter < underlineBefore && overstrikes < underlineBefore) {
        if (underlines) style = kUnderlineBefore;
    } else if (underlineAfter > 0 && overstrikes < underlineAfter) {
        if (underlines) style = kUnderlineAfter;
    } else if (overstrikes >= 1) {
        style = kBold;
    }
    if (style == kNone) return;

    // Each character, backspace, character triple becomes one character.
    const bool takeFirst = overstrikes > 0 || style == kUnderlineAfter;
    std::string plain;
    for (size_t i = 0; i < n; ++i) {
        if (i + 2 < n && w[i + 1] == '\b' && w[i] != '\b' && w[i + 2] != '\b') {
            plain.push_back(takeFirst ? w[i] : w[i + 2]);
            i += 2;
        } else {
            plain.push_back(w[i]);
        }
    }
    const bool underline = style != kBold;
    TextString markup;
    switch (format) {
        case kOutputHTML: {
            // The bold markup of the policy set, made by its format defaults.
            const bool strong = set.IsOn(Pol::UseEmAndStrongMarkup);
            const TextString open =
                !set.strongOpen.IsEmpty() ? set.strongOpen : TextString(strong ? "<STRONG>" : "<B>");
            const TextString close =
                !set.strongClose.IsEmpty() ? set.strongClose : TextString(strong ? "</STRONG>" : "</B>");
            markup = underline ? TextString("<U>") : open;
            markup.Append(plain.c_str());
            markup.Append(underline ? TextString("</U>") : close);
            break;
        }
        case kOutputRTF:
            markup.Assign(underline ? "{\\ul " : "{\\b ");
            markup.Append(plain.c_str());
            markup.Append(underline ? "\\ul0}" : "\\b0}");
            break;
        case kOutputPDF: markup.Assign(plain.c_str()); break;
        default: {
            SendLineMessage(set, line, TextString("UNSUPPORTED CASE: Output Format in TidyUnixWord"), kLevelAlways);
            return;
        }
    }
    replacement = markup;
    replaced = 1;
}

// ---------------------------------------------------------------------------
// Reports

void ReportURLCandidate(FC& set, AnalysedLine& line, int urlType, int blankWords, const TextString& word,
                        const TextString& refusedCore) {
    if (urlType >= 0 && urlType <= 10) return;
    TextString message;
    int level = kLevelWarning;
    auto quoted = [&](const char* lead) {
        message.Assign(lead);
        message.AppendChar('"');
        message.Append(word);
        message.AppendChar('"');
    };
    switch (urlType) {
        case kURLHostAsFtp:
            quoted("INFO: Treating ");
            message.Append(" as an ftp:// link");
            level = kLevelWordNote;
            break;
        case kURLRefusedWww:
            if (blankWords) return;
            quoted("INFO: Ignoring potential www URL ");
            break;
        case kURLRefusedEmail: quoted("INFO: Ignoring potential email URL "); break;
        case kURLRefusedFtp: quoted("INFO: Ignoring potential ftp URL "); break;
        case kURLRefusedGopher: quoted("INFO: Ignoring potential gopher URL "); break;
        case kURLRefusedTelnet: quoted("INFO: Ignoring potential Telnet URL "); break;
        case kURLRefusedNewsgroup:
            // Program and archive file names look like newsgroups; they are
            // not worth a report.
            if (refusedCore.Find(0, ".dll", nullptr, 0) || refusedCore.Find(0, ".exe", nullptr, 0) ||
                refusedCore.Find(0, ".gz", nullptr, 0))
                return;
            message.Assign("INFO: Ignoring \"newsgroup\" ");
            message.Append(refusedCore);
            level = kLevelWordNote;
            break;
        default:
            message.Assign("UNSUPPORTED CASE: URLType ");
            message.AppendNumber('1', urlType, 0);
            level = kLevelAlways;
            break;
    }
    SendLineMessage(set, line, message, level);
}

// ---------------------------------------------------------------------------
// The link dictionary between tags

int ApplyLinkDictionaryBetweenTags(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working,
                                   int* position, void* userData) {
    FC* set = static_cast<FC*>(userData);
    if (!set || !match || !working || !position || !match->complete) return kPatternNoChange;
    if (match->start < 0 || match->end < 0 || match->end < match->start || match->end >= working->Length())
        return kPatternNoChange;
    // The match runs from the '>' to the '<'; the text between them is
    // rewritten.
    const int start = match->start + 1;
    const int count = match->end - start;
    if (count <= 0) return kPatternNoChange;
    if (working->Matches(match->end, "</A>", 0)) return kPatternNoChange;
    TextString between;
    if (!working->CopyRange(start, count, &between)) return kPatternNoChange;
    TextString rewritten;
    if (!set->MatchLinkWord(between, &rewritten)) return kPatternNoChange;
    if (!working->Replace(start, count, rewritten.buffer)) return kPatternNoChange;
    *position = start + rewritten.length - 1;
    return kPatternChanged;
}
