// Text recognisers: small tests on words and lines that the line analysis,
// the line conversion and the table engine share.  Is a word a host name,
// an e-mail host or a numeric address; is a line program source; is a line
// type a directive; does a line begin with a capitalised lead-in; what kind
// of value does a table cell hold; how alike are the blank columns of two
// lines.  None of them keeps state between calls apart from the domain lists,
// which are built on first use.
#pragma once

#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/shared_text.h"
#include "foundation/text_string.h"
#include "foundation/unicode_text.h"

class FC;

// ---- Domain lists ----

// The generic top-level domains, each with a '.' before it and one final '.':
// ".arpa.com.edu. ... .aero."
const TextString& GetGenericDomainList();
// The 239 two-letter country domains in the same form: ".ac.ad. ... .zw."
const TextString& GetCountryDomainList();
// Second-level labels that the address tidiers treat as part of a country
// domain (as in "co.uk"): ".ac.co.or.ltd."
const char* GetSecondLevelLabels();
// True when the label (without dots) is a generic or a country domain,
// ignoring case.
bool IsTopLevelDomainLabel(const char* label, int length);

// ---- Host names and numeric addresses ----

// Modes of IsDomainName (the address kind the caller is tidying).  Modes 0-2
// allow a user part ("user@host") in front of the host.
enum DomainMode : int {
    kDomainWeb = 0,  // www and http
    kDomainHttps = 1,
    kDomainFtp = 2,
    kDomainGopher = 3,
    kDomainTelnet = 4,
    kDomainEmail = 6,  // the domain of an e-mail address
};

// True when the word (its first `length` bytes) names a host: a name ending
// in a generic or country domain, a dotted numeric address, or a single
// decimal number that is an address.  The host part is first cut out of
// addresses such as "http://host:80/path?q" or "mailto:user@host".  `host`
// receives the word, or the host in its normalised form when the word was
// rewritten (percent escapes decoded, octal address parts made decimal, a
// decimal number made dotted); `rewritten` tells the caller to use it.
bool IsDomainName(const char* word, int length, int mode, TextString& host, int& rewritten);

// Writes a 32-bit address given as one number in its dotted form
// ("3232235777" gives "192.168.1.1").  Numbers whose first byte is 0 and
// numbers of 2^32 and above are no addresses: the result is false and `text`
// is left alone.
bool FormatNumericAddress(int64_t number, TextString& text);

// ---- Lines ----

// True when the line looks like program source (C, C++, Java, the
// preprocessor).  The extended form makes further tests and is used where
// code samples are expected.
bool IsCodeLine(const TextString& text, int extended);
bool IsCodeLine(std::string_view text, int extended);  // the same test on bytes in place

// Whether the text holds a byte above 127 (asked of every line while input
// characters are converted, hence inline).
inline bool HoldsNonAscii(const SharedText& text) {
    const std::string_view view = text.View();
#if defined(__SSE2__)
    // A short text in a buffer of its own of sixteen bytes or more (most
    // lines) is looked at in one go: a buffer of less room than
    // SharedText::kShareFrom is never shared, and holds two bytes more than
    // its room; the bytes after the text are left out.
    constexpr int kOneLook = 16;
    const int room = text.Room();
    if (view.size() <= static_cast<size_t>(kOneLook) && room + 2 >= kOneLook && room < SharedText::kShareFrom) {
        const auto high =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(view.data()))));
        return (high & ((1u << view.size()) - 1)) != 0;
    }
#endif
    return unicode::HasNonAscii(view.data(), view.size());
}

// True for the directive line types 1001-1034.  A type above 1034 is
// reported as an unsupported case and counts as a directive.
bool IsTaggedType(FC* set, int lineType);

// True when the line begins with a capitalised lead-in of at least 10
// characters ("IMPORTANT NOTE. The ..."); the lead-in is copied out.
bool FindCapitalisedLeadIn(FC* set, const TextString& line, TextString& leadIn);

// ---- Table values ----

// Kinds of value a table cell holds.
enum DataValueKind : int {
    kValueText = 1,
    kValueNumber = 2,
    kValueCurrency = 3,
    kValueDate = 4,
    kValueTime = 5,
    kValueOneSlash = 6,
    kValueCurrencyOneSlash = 7,
};

// The kind of value the text holds, or `defaultKind` for an empty text.
// Under the two special rule sets more characters count as numeric and a
// larger share of numeric characters is needed.
int ClassifyDataValue(FC* set, int defaultKind, const TextString& text);
// Whether ClassifyDataValue finds the `length` bytes at `text` a number
// (kValueNumber); false for an empty text.  Faster than the full
// classification: it stops as soon as the answer is known.
bool IsNumberValue(FC* set, const char* text, int length);

// Compares the blank runs of `first` with the blanks of `second` over the
// length of the shorter text.  `runs` is the number of blank runs in `first`;
// every blank of a run after its first that has a blank in `second` at the
// same column is shared.  The result (also given in `ratio`) is shared blanks
// per run, 0 when there are no runs.
double CompareBlankColumns(const TextString& first, const TextString& second, double& ratio, int& runs);
