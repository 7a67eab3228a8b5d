// Line typing: AnalysedLine::AnalyseLine decides what each input line is
// and the tests of its own: bar lines, mail and news headers, centring and
// quoted text.  The heading, list, definition, ruler and pre-formatted text
// tests it calls are in headings.cpp and lists.cpp.
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/analysis_routines.h"
#include "analysis/emphasis.h"
#include "analysis/headings.h"
#include "analysis/inline_tag_args.h"
#include "analysis/lists.h"
#include "analysis/recognisers.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "context/tracker.h"
#include "foundation/line_types.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Tracker slots beyond the seven ALLOW/DISALLOW permissions: the
// definition, quoted-text and code-line tests have switches of their own,
// which nothing turns off at present.
constexpr int kPermissionDefinitions = 7;
constexpr int kPermissionQuotedText = 8;
constexpr int kPermissionCodeLines = 9;

// Whether the tracker is inside a DEFINE_BLOCK (or fragment definition):
// kept in the tracker's second spare int, from the definition line to its
// END_BLOCK.
int& BlockDefinitionState(Tracker& tracker) { return tracker.int2; }

// Every way out of the line analysis leaves the code location at 0.
class CodeLocationGuard {
public:
    explicit CodeLocationGuard(Context& context) : context(context) {
        context.trackers.codeLocation = kAnalysingLines;
    }
    ~CodeLocationGuard() { context.trackers.codeLocation = kNoCodeLocation; }
    CodeLocationGuard(const CodeLocationGuard&) = delete;
    CodeLocationGuard& operator=(const CodeLocationGuard&) = delete;

private:
    Context& context;
};

AnalysedLine* AsAnalysed(TextLine* line) { return AsAnalysedLine(line); }

// True when the text holds nothing but blanks and tabs.
bool IsBlankText(const TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return false;
    return true;
}

#if defined(__SSE2__)
// Short texts are looked at sixteen bytes at once, read from a buffer that
// holds that many from where the text starts (a TextString's buffer holds
// two bytes more than its room); the bytes after the text are left out.
constexpr int kOneLook = 16;
__m128i LookAt(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
// The bits of the first `n` bytes (n at most kOneLook) of a look.
unsigned FirstBytes(size_t n) { return (1u << n) - 1; }
#endif

// Whether the text holds byte `a` or byte `b`: one pass over it.
bool HoldsEither(const TextString& text, char a, char b) {
    const char* const bytes = text.buffer;
    const int n = text.length;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a), second = _mm_set1_epi8(b);
    auto hit = [&](const char* from) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, first), _mm_cmpeq_epi8(v, second))) != 0;
    };
    int i = 0;
    for (; i + 16 <= n; i += 16)
        if (hit(bytes + i)) return true;
    if (i == n) return false;
    // The last sixteen bytes, overlapping those already looked at; a
    // shorter text in place when its buffer holds sixteen bytes, else from
    // a copy padded with bytes that are neither.
    if (n >= 16) return hit(bytes + n - 16);
    if (text.capacity + 2 >= kOneLook) {
        const __m128i v = LookAt(bytes);
        const auto found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, first), _mm_cmpeq_epi8(v, second))));
        return (found & FirstBytes(static_cast<size_t>(n))) != 0;
    }
    char tail[16];
    const char neither = static_cast<char>(a + 1) != b ? static_cast<char>(a + 1) : static_cast<char>(a + 2);
    std::memset(tail, neither, sizeof tail);
    std::memcpy(tail, bytes + i, static_cast<size_t>(n - i));
    return hit(tail);
#else
    for (int i = 0; i < n; ++i)
        if (bytes[i] == a || bytes[i] == b) return true;
    return false;
#endif
}

// Whether `needle` stands in `text`, compared without regard to (ASCII) case.
bool ContainsNoCase(std::string_view text, std::string_view needle) {
    if (needle.empty() || needle.size() > text.size()) return false;
    const char first = ToUpperAscii(needle[0]);
    for (size_t at = 0; at + needle.size() <= text.size(); ++at) {
        if (ToUpperAscii(text[at]) != first) continue;
        size_t j = 1;
        while (j < needle.size() && ToUpperAscii(text[at + j]) == ToUpperAscii(needle[j])) ++j;
        if (j == needle.size()) return true;
    }
    return false;
}

// Whether the two texts are equal without regard to (ASCII) case.
bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    return true;
}

// The working text of a line looked at as blank-separated words, in place:
// the first word is found at once, the words after it only when they are
// asked for (most lines never need more than whether a second word exists).
// Each word remembers where it starts, so that the rest of the text from
// that word on can be handed to the numbered-heading test.  A text of up to
// sixteen bytes in a buffer of sixteen bytes or more (most lines) has its
// three words found at once, from one look at its blanks and tabs.
class LineWords {
public:
    explicit LineWords(const TextString& text) : bytes(text.buffer), n(text.length) {
#if defined(__SSE2__)
        // (A buffer holds two bytes more than the text's room: see TextString.)
        if (n <= kOneLook && text.capacity + 2 >= kOneLook) {
            ScanAtOnce();
            return;
        }
#endif
        Scan(0, 0);
    }

    bool Has(int word) {
        // (`scanned` is at least 1 from the construction on; the test says so
        // to the compiler, which cannot always see it.)
        while (scanned > 0 && scanned <= word && scanned < 3 && starts[scanned - 1] >= 0)
            Scan(scanned, ends[scanned - 1]);
        return word < 3 && starts[word] >= 0;
    }
    std::string_view Word(int word) {
        if (!Has(word)) return {};
        return std::string_view(bytes + starts[word], static_cast<size_t>(ends[word] - starts[word]));
    }
    // The text from word n (0-based) to the end.
    TextString From(const TextString& text, int word) {
        TextString rest;
        if (Has(word)) rest.AssignSubstring(text.buffer, starts[word], text.length - starts[word]);
        return rest;
    }

private:
    const char* bytes;
    int n;
    int starts[3] = {-1, -1, -1};
    int ends[3] = {0, 0, 0};
    int scanned = 0;  // the words looked for so far

#if defined(__SSE2__)
    // The three words of a text of at most kOneLook bytes, read as one block
    // of kOneLook bytes (those after the text are read and left out): a word
    // starts at a byte that is no blank or tab after one that is (or at the
    // start) and ends after such a byte before a blank or tab (or the end).
    void ScanAtOnce() {
        const __m128i v = LookAt(bytes);
        const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')))));
        const unsigned inWords = ~blanks & FirstBytes(static_cast<size_t>(n));
        unsigned firsts = inWords & ~(inWords << 1);
        unsigned lasts = inWords & ~(inWords >> 1);
        scanned = 3;
        for (int word = 0; word < 3 && firsts != 0; ++word) {
            starts[word] = __builtin_ctz(firsts);
            ends[word] = __builtin_ctz(lasts) + 1;
            firsts &= firsts - 1;
            lasts &= lasts - 1;
        }
    }
#endif

    void Scan(int word, int from) {
        int i = from;
        while (i < n && IsBlankOrTab(bytes[i])) ++i;
        scanned = word + 1;
        if (i >= n) return;
        starts[word] = i;
        ends[word] = WordEnd(i);
    }

    // The end of the word that starts at `i`: the first blank or tab after
    // it, or the end of the text.
    int WordEnd(int i) const { return ::WordEnd(bytes, i, n); }
};

// Whether the word holds a digit; the text it stands in ends at `textEnd`.
// A word of up to sixteen bytes with sixteen bytes of text from its start
// is looked at in one go.
bool WordHoldsDigit(std::string_view word, const char* textEnd) {
#if defined(__SSE2__)
    if (word.size() <= 16 && textEnd - word.data() >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(word.data()));
        // Signed compares: bytes from 128 up are negative, below '0'.
        const unsigned digits = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)))));
        return (digits & ((1u << word.size()) - 1)) != 0;
    }
#endif
    for (const char c : word)
        if (c >= '0' && c <= '9') return true;
    return false;
}

// A text that names a heading by keyword ("Chapter 3", "Section 2.1").
bool HoldsHeadingKeyword(std::string_view word) {
    if (word.size() < 7) return false;  // shorter than each keyword
    return ContainsNoCase(word, "Chapter") || ContainsNoCase(word, "Subject") || ContainsNoCase(word, "Section");
}

// Whether the word is the prefix text of a heading or contents numbering
// style ("Part" for '"Part" N. at indent 0').
bool IsNumberingPrefix(const FC& set, std::string_view word) {
    // Most styles have no prefix, and mostly none has: then the two fixed
    // lists are not read at all; otherwise they are passed over with one
    // test of each style.
    if (!set.numberingPrefixes) return false;
    auto holds = [word](const auto& levels) {
        for (const HeadingLevelSpec& spec : levels) {
            if (spec.prefix.length > 0 &&
                EqualsNoCase(word, std::string_view(spec.prefix.buffer, std::strlen(spec.prefix.buffer))))
                return true;
        }
        return false;
    };
    return holds(set.headingLevels) || holds(set.contentsLevels);
}

// What the line typing reads of the line before a line (of the one before
// that it reads the type alone), taken as it stands before the line is
// typed: the part of SummariseLine (lists.h) it uses.  No line reads as
// type 1 without flags.
struct NeighbourSummary {
    int lineType = kLineBlank;
    bool preformatted = false;
    bool isListItem = false;
    bool isListBlank = false;
    bool isListBoundary = false;
};

NeighbourSummary SummariseNeighbour(Context& context, const AnalysedLine* line) {
    NeighbourSummary summary;
    if (!line) return summary;
    const int type = line->lineType;
    summary.lineType = type;
    summary.preformatted = line->HasFlag(kFlagPreformatted);
    // The list types lie between the bullet item and the list markup line.
    if (type >= kLineBulletItem && type <= kLineListMarkupOnly) {
        summary.isListItem = IsListItemType(type);
        summary.isListBlank = IsListBlankType(type);
    }
    if (type == kStatementBeginList || type == kStatementListItem) {
        summary.isListBoundary = true;
    } else if (type == kStatementEndList) {
        // The list item number of the tracker of the running code location
        // (the output tracker outside the three locations).
        const int location = context.trackers.codeLocation;
        Tracker& tracker = (IsTrackedCodeLocation(location)) ? *context.pGetTracker() : context.trackers.output;
        summary.isListBoundary = TrackerListItemNumber(tracker) > 0;
    }
    return summary;
}

// The line type a blank line gets inside an open list: 217 for a line that
// holds nothing, else 219 when only HTML tags stand in its tagged text and
// 218 when other tags do.
int ListBlankType(FC& set, const AnalysedLine& line) {
    if (IsBlankText(line.taggedText)) return 217;
    TextString htmlTagStart(set.GetText(Pol::StartTagDelimiter));
    htmlTagStart.Append("HTML");
    TextString rest;
    RemoveTags(set, htmlTagStart.buffer, set.GetText(Pol::EndTagDelimiter).buffer, nullptr, nullptr, line.taggedText,
               rest);
    return IsBlankText(rest) ? 219 : 218;
}

// The balance of a centred line: the difference between its right and left
// margins within the page width.
int CentringBalance(int leadingBlanks, int coreLength, int pageWidth) {
    return std::abs(2 * leadingBlanks + coreLength - pageWidth);
}

// Leading blanks and length without outer blanks of a line, from its
// measured values when it has them.
void MeasureLine(const AnalysedLine& line, int& leading, int& core) {
    leading = line.leadingBlanks >= 0 ? line.leadingBlanks : CountLeadingBlanks(line);
    const int trimmed = line.trimmedLength >= 0 ? line.trimmedLength : LengthWithoutTrailingBlanks(line);
    core = trimmed - leading;
    if (core < 0) core = 0;
}

// BEGIN_USER_TABLE inside a list item: the table's indentation (its second
// argument) tells whether it still belongs to the item.
void CheckUserTableIndent(FC& set, const AnalysedLine& line, Tracker& tracker) {
    TextString tagText(line.rawText);
    const TextString& prefix = set.GetText(Pol::DirectiveDelimiter);
    if (prefix.length > 0 && tagText.StartsWith(prefix.buffer, 1)) tagText.SubString(prefix.length, tagText.length);
    TextString name, arguments, error;
    int level = -1;
    RecogniseTag(set, tagText, name, arguments, error, level);
    int indent = 0;
    if (!TryGetTagInteger(set, arguments, 2, indent)) return;
    if (IndentToLevel(set, indent) != TrackerListItemNumber(tracker)) TrackerListItemNumber(tracker) = 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Mail and news headers

namespace {

// clang-format off
const char* const kMailHeaderNames[] = {
    "Abuse-Reports-To", "Also-Control", "Alternate-Recipient", "Apparently-To", "Approved", "Approved-By",
    "Article-Names", "Article-Updates", "Autoforwarded", "Auto-Forwarded", "bcc", "Cache-Post-Path", "cc",
    "Comments", "Content-Alias", "Content-Alternative", "Content-Base", "Content-Class", "Content-Conversion",
    "Content-Description", "Content-Disposition", "Content-Features", "Content-ID", "Content-Identifier",
    "Content-Language", "Content-Length", "Content-Location", "Content-MD5", "Content-Return",
    "Content-SGML-Entity", "Content-Transfer-Encoding", "Content-Type", "Control", "Conversion",
    "Conversion-With-Loss", "Date", "Delivered-To", "Delivery-Date", "Discarded-X400-IPMS-Extensions",
    "Discarded-X400-MTS-Extensions", "Disclose-Recipients", "Disposition-Notification-Options",
    "Disposition-Notification-To", "Distribution", "DL-Expansion-History-Indication", "Encoding", "Errors-To",
    "Envelope-ID", "Expires", "Expiry-Date", "Fax", "Fcc", "Followup-To", "For-Approval", "For-Comment",
    "For-Handling", "From", "Generate-Delivery-Report", "Importance", "In-Reply-To", "Incomplete-Copy",
    "Injector-Info", "Keywords", "Language", "Lines", "List-Archive", "List-Digest", "List-ID", "List-Owner",
    "List-Post", "List-Software", "List-Subscribe", "List-Unsubscribe", "List-URL", "Mail-Copies-To",
    "Mail-Reply-Requested-By", "Mail-System-Version", "Mailer", "Mailing-List", "Message-ID", "Message-Type",
    "MIME-Version", "Newsgroups", "NNTP-Posting-Date", "NNTP-Posting-Host", "NNTP-Posting-Time",
    "NNTP-Proxy-Relay", "Obsoletes", "Old-Date", "Old-X-Envelope-From", "Old-X-Envelope-To", "Organisation",
    "Organization", "Original-Encoded-Information-Typestypes", "Original-Recipient", "Originating-Client",
    "Originator", "Originator-Info", "Path", "Phone", "PICS-Label", "Posted-To", "Precedence",
    "Prevent-NonDelivery-Report", "Priority", "Read-Receipt-To", "Received", "References", "Replaces",
    "Reply-By", "Reply-To", "Resent-bcc", "Resent-cc", "Resent-Date", "Resent-From", "Resent-Message-ID",
    "Resent-Reply-To", "Resent-Sender", "Resent-Subject", "Resent-To", "Return-Path",
    "Return-Receipt-Requested", "Return-Receipt-To", "See-Also", "Sender", "Sensitivity", "Speech-Act",
    "Status", "Subject", "Summary", "Supersedes", "Telefax", "To", "Translated-By", "Translation-Of",
    "User-Agent", "X-Abuse-Info", "X-Accept-Language", "X-Admin", "X-Article-Creation-Date", "X-Attribution",
    "X-Authenticated-IP", "X-Authenticated-Sender", "X-Authentication-Warning", "X-Cache", "X-Comments",
    "X-Complaints-To", "X-Confirm-reading-to", "X-Envelope-From", "X-Envelope-To", "X-Face", "X-Flags",
    "X-Folder", "X-Http-Proxy", "X-Http-User-Agent", "X-IMAP", "X-Last-Updated", "X-List-Host", "X-Listserver",
    "X-Loop", "X-Mailer", "X-Mailer-Info", "X-Mailing-List", "X-MIME-Autoconverted", "X-MimeOLE",
    "X-MIMETrack", "X-MSMail-Priority", "X-MyDeja-Info", "X-Newsreader", "X-NNTP-Posting-Host", "X-No-Archive",
    "X-Notice", "X-Orig-Message-ID", "X-Original-Envelope-From", "X-Original-NNTP-Posting-Host",
    "X-Original-Trace", "X-OriginalArrivalTime", "X-Originating-IP", "X-PMFLAGS", "X-Posted-By",
    "X-Posting-Agent", "X-Priority", "X-RCPT-TO", "X-Report", "X-Report-Abuse-To", "X-Sender", "X-Server-Date",
    "X-Trace", "X-UIDL", "X-UML-Sequence", "X-URI", "X-URL", "X-X-Sender", "X400-Content-Return", "XPident",
    "Xref", "Archive-name", "Comment", "List-Help", "Meaning", "Newsgroups", "Posting-Frequency",
    "Relay-Version", "Thread-Index", "Thread-Topic", "Sent", "Subj", "Website", "X-Article", "X-BeenThere",
    "X-Comment", "X-Converted-To-Plain-Text", "X-eGroups-Return", "X-eGroups-Moderators", "X-Encoding",
    "X-Loop-Detect", "X-Mailman-Version", "X-Message-flag", "X-MX-warning", "X-Persona", "X-POP3-Rcpt",
    "X-Precedence-ref", "X-Precedence", "X-NEWS", "X-Received", "X-Sender", "X-To", "X-Unsent", "X-VMS-To",
    "Message", "Messages",
};
// clang-format on

// The header names as one text, "|" before each and "|" after the last,
// built on first use.
const TextString& MailHeaderNameList() {
    static const TextString list = [] {
        TextString names("|");
        for (const char* name : kMailHeaderNames) {
            names.Append(name);
            names.AppendChar('|');
        }
        return names;
    }();
    return list;
}

}  // namespace

bool AnalysedLine::IsMailHeaderName(const char* name, int length) {
    if (!name || length <= 0) return false;
    // A bar inside the name would let "From|Date" match two neighbouring
    // names of the list.
    for (int i = 0; i < length; ++i)
        if (name[i] == '|') return false;
    TextString key("|");
    key.AppendBytes(name, length);
    key.AppendChar('|');
    return MailHeaderNameList().FindNoCase(key.buffer) != nullptr;
}

bool AnalysedLine::CheckMailHeaderLine(const TextString& workingText) {
    int colon = -1;
    if (!workingText.FindChar(0, ':', &colon, 1)) return false;
    if (!IsMailHeaderName(workingText.buffer, colon)) return false;
    preFormatKind = 7;
    SetFlag(kFlagHeaderLine, true);
    SetFlag(kFlagPreformatted, true);
    return true;
}

// ---------------------------------------------------------------------------
// Bar lines, centring, quoted text

bool AnalysedLine::CheckBarLine() {
    // A bar line opens or closes with its one '|': its ends are looked at
    // before its bars are counted.
    const TextString& text = plainText;
    const int start = CountLeadingBlanks(text);
    const int end = LengthWithoutTrailingBlanks(text);
    const bool opens = end - start >= 2 && text.buffer[start] == '|' && text.buffer[start + 1] == ' ';
    const bool closes = end - start >= 2 && text.buffer[end - 1] == '|' && text.buffer[end - 2] == ' ';
    if (!opens && !closes) return false;
    if (text.CountChar('|') != 1) return false;

    // The bar as it stands in the tagged text, the first or last of its
    // non-blank bytes.
    const TextString& tagged = taggedText;
    const int taggedStart = CountLeadingBlanks(tagged);
    const int taggedEnd = LengthWithoutTrailingBlanks(tagged);
    barOffset = -1;
    if (taggedEnd > taggedStart) {
        if (opens && tagged.buffer[taggedStart] == '|')
            barOffset = taggedStart;
        else if (closes && tagged.buffer[taggedEnd - 1] == '|')
            barOffset = taggedEnd - 1;
    }
    SetFlag(kFlagBarLine, true);
    SetFlag(kFlagPreformattedByScore, false);
    SetFlag(kFlagPreformatted, false);
    preFormatKind = 0;
    ReplaceChar(0, '|', ' ', -1);
    EditEach({&rawText, &taggedText, &plainText, &inputText},
             [](TextString& copy) { copy.ReplaceChar(0, '|', ' ', -1); });
    leadingBlanks = CountLeadingBlanks(*this);
    trimmedLength = LengthWithoutTrailingBlanks(*this);
    if (trimmedLength == 0) leadingBlanks = 0;
    return true;
}

void AnalysedLine::CheckCentring(FC* set) {
    if (!set) return;
    const int width = set->GetInt(Pol::PageWidth);
    const int tolerance = set->GetInt(Pol::AutomaticCentringTolerance);

    // A following line of text that is not centred shows that this line and
    // the one before it only happen to stand near the middle.
    const AnalysedLine* following = AsAnalysed(next);
    if (following && following->lineType != kLineBlank && following->lineType != kLineNotAnalysed &&
        !IsBlankText(*following)) {
        int leading = 0, core = 0;
        MeasureLine(*following, leading, core);
        if (CentringBalance(leading, core, width) >= tolerance) {
            SetFlag(kFlagCentred, false);
            if (AnalysedLine* previousLine = GetAnalysisPreviousLine(this))
                previousLine->SetFlag(kFlagCentred, false);
            return;
        }
    }

    int leading = 0, core = 0;
    MeasureLine(*this, leading, core);
    if (CentringBalance(leading, core, width) >= tolerance) return;
    const AnalysedLine* previousLine = GetAnalysisPreviousLine(this);
    const bool previousCentred = previousLine && previousLine->HasFlag(kFlagCentred);
    const bool previousBlank = !previousLine || previousLine->lineType == kLineBlank;
    if (previousCentred || (leading > 6 && previousBlank)) SetFlag(kFlagCentred, true);
}

bool AnalysedLine::IsQuotedLine() const {
    // Most lines hold no '>' and start with neither quote mark: they are
    // told at once.  (A NUL byte before the first text ends the text: that
    // line is no quote either.)
    {
        const char* const bytes = plainText->buffer;
        const int n = plainText->length;
        int first = 0;
        while (first < n && IsBlankOrTab(bytes[first])) ++first;
        if (first >= n) return false;
        if (bytes[first] != '!' && bytes[first] != ']' &&
            !std::memchr(bytes + first, '>', static_cast<size_t>(n - first)))
            return false;
    }
    // The plain text (as a copy keeps it, up to a NUL byte) without its
    // leading and trailing blanks and tabs, looked at in place.
    int end = static_cast<int>(strnlen(plainText->buffer, static_cast<size_t>(plainText->length)));
    int start = 0;
    while (start < end && IsBlankOrTab(plainText->buffer[start])) ++start;
    while (end > start && IsBlankOrTab(plainText->buffer[end - 1])) --end;
    const char* text = plainText->buffer + start;
    const int length = end - start;
    if (length == 0) return false;

    // Where the first word ends: a '>' beyond it is a comparison, not a quote.
    int wordEnd = 0;
    while (wordEnd < length && !IsBlankOrTab(text[wordEnd])) ++wordEnd;
    auto first = [&](char c) {
        const void* found = std::memchr(text, c, static_cast<size_t>(length));
        return found ? static_cast<int>(static_cast<const char*>(found) - text) : -1;
    };

    bool quoted = false;
    const int at = first('>');
    if (at >= 0) {
        // An arrow ("->", ":>") is no quote mark, nor is the end of a tag.
        const char before = at > 0 ? text[at - 1] : '\0';
        const int open = first('<');
        const bool tagBefore = open >= 0 && open < at;
        if (before != '-' && before != ':' && !tagBefore && at < 5 && at < wordEnd) quoted = true;
    }
    // A line that starts with "!" or "]".
    if (!quoted && at != 0) quoted = text[0] == '!' || text[0] == ']';
    if (!quoted) return false;

    // A single quote character alone is quoted text only next to other quoted
    // text or before more text.
    if (length > 1) return true;
    const AnalysedLine* previousLine = GetAnalysisPreviousLine(this);
    if (previousLine && previousLine->lineType == kLineQuoted) return true;
    const AnalysedLine* following = AsAnalysed(next);
    return following && !IsBlankText(*following);
}

// ---------------------------------------------------------------------------
// The line analysis, step by step

namespace {

// Statements that open and close block definitions, and the lines inside a
// definition: true when the line analysis ends here.
bool TypeBlockDefinitionLine(FC& set, AnalysedLine& line, Tracker& tracker) {
    switch (line.tagCode) {
        case kStatementDefineBlock:
        case kStatementDefineHTMLFragment:
        case kStatementDefineTextFragment:
            if (BlockDefinitionState(tracker))
                set.ReportMessage("TAG ERROR: recursive DEFINE_BLOCK detected.", kLevelAlways);
            else
                BlockDefinitionState(tracker) = 1;
            line.lineType = line.tagCode;
            return true;
        case kStatementEndBlock:
            if (BlockDefinitionState(tracker))
                BlockDefinitionState(tracker) = 0;
            else
                set.ReportMessage("TAG ERROR: END_BLOCK not expected here.", kLevelAlways);
            line.lineType = line.tagCode;
            return true;
        case kStatementResetBlock:
        case kStatementResetHTMLFragment:
        case kStatementResetTextFragment: return true;
        default: break;
    }
    if (BlockDefinitionState(tracker)) {
        line.lineType = kLineConsumed;
        return true;
    }
    if (line.tagCode == kStatementDefineVariable) {
        line.lineType = kStatementDefineVariable;
        return true;
    }
    return line.lineType == kLineConsumed || line.lineType == kLineIgnored;
}

// The tracker follows the line; directive statements act on it.
void FollowLineWithTracker(FC& set, Context& context, AnalysedLine& line, Tracker& tracker) {
    tracker.position = line.position;
    if (line.position.unit == 0) tracker.outerPosition = line.position;
    context.SetCurrentLine(&tracker, &line);
    ApplyStatementToTracker(&set, &tracker, line.taggedText, line.tagCode);

    if (line.tagCode == kStatementEndList) {
        TextString messages;
        int level = 0;
        const TextString tag(line.taggedText);
        line.ExecuteTag(0, nullptr, tag, set, messages, level);
        if (!messages.IsEmpty()) line.LineMessage(context, messages, level);
    } else if (line.tagCode == kStatementListItem) {
        TrackerListItemNumber(tracker) = GetListItemNumber(&set, line.taggedText);
    } else if (line.tagCode == kStatementBeginUserTable && TrackerListItemNumber(tracker) > 0) {
        CheckUserTableIndent(set, line, tracker);
    }
}

// A line that holds a HEADING tag gets its flag and ends an open list item.
void MarkHeadingTag(FC& set, AnalysedLine& line, Tracker& tracker) {
    // The opening of a HEADING tag, kept from line to line in a text that
    // keeps its room; it is built again only when the delimiter changed.
    // The delimiter (a byte or two) is compared with the kept opening byte by
    // byte up to its NUL: a call to measure it and one to compare cost more.
    static TextString headingTag;
    const TextString& startDelimiter = set.GetText(Pol::StartTagDelimiter);
    constexpr int kHeadingLength = 7;  // "HEADING"
    int delimiterLength = 0;
    bool sameDelimiter = true;
    for (; startDelimiter.buffer[delimiterLength] != '\0'; ++delimiterLength)
        sameDelimiter = sameDelimiter && delimiterLength < headingTag.length &&
                        headingTag.buffer[delimiterLength] == startDelimiter.buffer[delimiterLength];
    if (!sameDelimiter || headingTag.length != delimiterLength + kHeadingLength) {
        headingTag.AssignChars(startDelimiter.buffer, delimiterLength);
        headingTag.Append("HEADING");
    }
    // A line without the tag's first byte (looked for at once when it is no
    // letter) holds no HEADING tag.
    const TextString& taggedText = line.taggedText;
    const char tagStart = headingTag.buffer[0];
    const bool mayHoldHeadingTag =
        IsAsciiLetter(static_cast<unsigned char>(tagStart)) ||
        (taggedText.length > 0 && std::memchr(taggedText.buffer, tagStart, static_cast<size_t>(taggedText.length)));
    if (mayHoldHeadingTag && taggedText.FindNoCase(headingTag.buffer)) {
        line.SetFlag(kFlagHasHeadingTag, true);
        if (TrackerListItemNumber(tracker) > 0) TrackerListItemNumber(tracker) = 0;
    }
}

// The working text: the line without its leading blanks (up to a NUL
// byte), as it stands before the analysis changes it.  Only the emphasis
// tidy ('_' and '*') and the bar-line test ('|') change the line while the
// working text is read: a line longer than the room a copy keeps, without
// those bytes, leading blanks and NUL bytes, is its own working text rather
// than a fresh copy.  A copy keeps its room from one line to the next, up
// to the room a recycled line keeps (a short line is copied there without
// an allocation, which costs less than looking for those bytes); an
// analysis started from inside this one has a copy of its own.
class WorkingText {
public:
    explicit WorkingText(const AnalysedLine& line) : copy(++analysisDepth == 1 ? sharedText : ownText.emplace()) {
        const int lead = CountLeadingBlanks(line);
        const auto rest = static_cast<size_t>(line.length - lead);
        const int length = static_cast<int>(strnlen(line.buffer + lead, rest));
        if (lead == 0 && line.length > AnalysedLine::kKeptTextRoom && length == line.length &&
            !std::memchr(line.buffer, '_', rest) && !std::memchr(line.buffer, '*', rest) &&
            !std::memchr(line.buffer, '|', rest)) {
            text = &line;
            return;
        }
        copy.AssignChars(line.buffer + lead, length);
        text = &copy;
    }
    ~WorkingText() {
        if (--analysisDepth == 0 && sharedText.capacity > AnalysedLine::kKeptTextRoom) sharedText = TextString();
    }
    WorkingText(const WorkingText&) = delete;
    WorkingText& operator=(const WorkingText&) = delete;

    const TextString& Text() const { return *text; }

private:
    inline static int analysisDepth = 0;
    inline static TextString sharedText;
    std::optional<TextString> ownText;  // made only for a nested analysis
    TextString& copy;
    const TextString* text = nullptr;
};

// Emphasis tidied in the line, and the first line taken as the document's
// title when it asks for one.
void TidyEmphasisAndTakeTitle(FC& set, Context& context, AnalysedLine& line) {
    if (set.IsOn(Pol::SearchForEmphasis) && line.length > 0 && !line.HasFlag(kFlagProtected) &&
        !line.HasFlag(kFlagPreformatted) && HoldsEither(line, '_', '*'))
        TidyEmphasisLine(set, line, &line);

    TextString& title = context.documentState.documentTexts[DocumentState::kDocumentTitle];
    if (set.IsOn(Pol::UseFirstLineAsTitle) && title.IsEmpty() && line.length > 2) {
        const std::string_view input = line.inputText.View();
        title.AssignChars(input.data(), static_cast<int>(input.size()));
        title.Trim(0, " ");
    }
}

// Directive lines are typed by their statement: true when the line was one.
bool TypeDirectiveLine(Context& context, AnalysedLine& line) {
    const int tagCode = line.tagCode;
    if (tagCode == kStatementContentsList || tagCode == kStatementNavigationBar ||
        (tagCode >= kStatementFirst && tagCode <= kStatementLast && tagCode != kStatementDefineVariable)) {
        line.lineType = tagCode;
        return true;
    }
    if (tagCode != kStatementNone) {
        TextString message("UNSUPPORTED CASE: Tagged line type : ");
        message.AppendNumber('1', tagCode, 0);
        line.LineMessage(context, message, kLevelAlways);
    }
    return false;
}

// Blank lines, blank lines inside an open list and page breaks: true when
// the line analysis ends here (it goes on after a list line).
bool TypeBlankOrPageBreak(FC& set, AnalysedLine& line, Tracker& tracker, const TextString& working,
                          const NeighbourSummary& previousSummary) {
    const bool previousInList = previousSummary.isListItem || previousSummary.isListBlank;

    // Blank lines, and blank lines inside an open list.
    if (IsBlankText(working) || line.length == 0) {
        if (TrackerListItemNumber(tracker) > 0 && (previousInList || previousSummary.isListBoundary))
            line.lineType = ListBlankType(set, line);
        else
            line.lineType = kLineBlank;
        if (!previousInList) return true;
    }

    // A page break: a form feed alone.
    if (line.length > 0 && line.buffer[0] == '\f' && line.trimmedLength == 1) {
        line.lineType = kLinePageBreak;
        if (!previousInList) return true;
    }
    return false;
}

// The tests that mark the line without typing it: the contents list
// boundary, bar lines, pre-formatted text, mail headers and centring.
void MarkLineLayout(FC& set, Context& context, AnalysedLine& line, AnalysedLine* previousLine,
                    const TextString& working, bool switchesOn, PreformattedScoreRecord& score) {
    const DocumentState::HeadingState& headings = context.documentState.headingState;
    if (headings.contentsGate == 0 && !headings.contentsLocked) UpdateContentsListBoundary(&set, line);

    if (switchesOn) line.CheckBarLine();

    if (switchesOn && set.IsOn(Pol::LookForPreformattedText) && !line.HasFlag(kFlagBarLine) &&
        !line.HasFlag(kFlagNotAnalysed) && !line.HasFlag(kFlagProtected)) {
        const int kind = score.Score(&set, &line, previousLine, 1);
        if (kind > 0) {
            line.preFormatKind = kind;
            line.SetFlag(kFlagPreformattedByScore, true);
            line.SetFlag(kFlagPreformatted, true);
        }
    }

    if (switchesOn && set.IsOn(Pol::LookForMailHeaders) && !line.HasFlag(kFlagNotAnalysed) &&
        !line.HasFlag(kFlagProtected) && working.length > 0 &&
        std::memchr(working.buffer, ':', static_cast<size_t>(working.length)))
        line.CheckMailHeaderLine(working);

    if (switchesOn) line.CheckCentring(&set);
}

// The numbered-heading tests: the heading type the line would be, or 0.
// `mayStandHere` is false for a line inside running text.
int FindNumberedHeading(FC& set, AnalysedLine& line, const TextString& working, LineWords& words,
                        bool mayStandHere) {
    const auto levelsClear = [&line] {
        for (const int level : line.sectionLevels)
            if (level != -1) return false;
        return true;
    };
    const char* const textEnd = working.buffer + working.length;

    // A first word without a digit gives no number either: the test would
    // only clear the section levels, so with them clear already it is passed
    // over (as most lines are).
    int candidate = 0;
    if (words.Has(0) && (WordHoldsDigit(words.Word(0), textEnd) || !levelsClear()))
        candidate = line.CheckNumberedHeading(&set, working, 1, -1, mayStandHere);

    // The keyword forms below test the text from the second word on, and
    // from the third when the second names a heading.  A second word that
    // holds no digit and names no heading gives no number: that test would
    // only clear the section levels, so with the levels clear already the
    // forms (and the keyword and prefix look-ups) are passed over.
    const auto keywordFormsFindNothing = [&levelsClear, textEnd](LineWords& words) {
        if (!levelsClear()) return false;
        const std::string_view second = words.Word(1);
        return !WordHoldsDigit(second, textEnd) && !HoldsHeadingKeyword(second);
    };

    // "Chapter 3", "Section 2.1", or a numbering style's prefix before the
    // number.
    if (candidate == 0 && (line.lineType == kLineText || line.lineType == kLineDefinition) && words.Has(1) &&
        !keywordFormsFindNothing(words) &&
        (HoldsHeadingKeyword(words.Word(0)) || IsNumberingPrefix(set, words.Word(0)))) {
        candidate = line.CheckNumberedHeading(&set, words.From(working, 1), 2, -1, mayStandHere);
        if (candidate == 0 && HoldsHeadingKeyword(words.Word(1)) && words.Has(2))
            candidate = line.CheckNumberedHeading(&set, words.From(working, 2), 3, -1, mayStandHere);
    }
    return candidate;
}

// The line becomes the heading `candidate`: it ends a contents list, turns
// a ruler above it into its underline and may give the document its title.
void AcceptHeading(FC& set, Context& context, AnalysedLine& line, int candidate, AnalysedLine* previousLine,
                   const TextString& working, LineWords& words) {
    DocumentState::HeadingState& headings = context.documentState.headingState;
    line.lineType = candidate;
    headings.lastHeadingType = candidate;
    line.preFormatKind = 0;
    line.SetFlag(kFlagPreformatted, false);
    line.SetFlag(kFlagHeaderLine, false);
    const bool numberedOrUnderlined =
        (candidate >= kLineNumberedHeading && candidate <= kLineNumberedHeadingLast) ||
        (candidate >= kLineUnderlinedHeading && candidate <= kLineUnderlinedHeadingLast);
    if (numberedOrUnderlined && !headings.contentsLocked) EndContentsList(&set, &line);
    if (previousLine && previousLine->lineType == kLineRuler) previousLine->lineType = kLineUnderline;
    TextString& title = context.documentState.documentTexts[DocumentState::kDocumentTitle];
    if (set.IsOn(Pol::UseFirstHeadingAsTitle) && title.IsEmpty()) {
        title = words.From(working, 1);
        title.Trim(0, " ");
    }
}

// The line becomes the list item `bulletType`.
void AcceptListItem(AnalysedLine& line, int bulletType) {
    line.lineType = bulletType;
    line.SetFlag(kFlagPreformatted, false);
    line.preFormatKind = 0;
    line.MarkListBlanksBeforeItem();
}

// The tests of a line still typed as text: definitions, quoted text, program
// code, hanging paragraphs and columns, rulers, list and definition
// continuations.  True when the line analysis ends here (the line underlines
// the one above it).
bool TypeTextLine(FC& set, AnalysedLine& line, Tracker& tracker, bool switchesOn) {
    const auto allowed = [&tracker](int slot) { return tracker.permissions[static_cast<size_t>(slot)] != 0; };

    if (line.lineType == kLineText && allowed(kPermissionDefinitions) && switchesOn) {
        const int definition = line.CheckDefinitionLine(&set);
        if (definition != kLineNotAnalysed) line.lineType = definition;
    }

    if (line.lineType == kLineText && allowed(kPermissionQuotedText) && set.IsOn(Pol::LookForQuotedText) &&
        line.IsQuotedLine())
        line.lineType = kLineQuoted;

    if ((line.lineType == kLineText || line.lineType == kLineQuoted) && allowed(kPermissionCodeLines) &&
        switchesOn && IsCodeLine(line.inputText.View(), 0)) {
        line.preFormatKind = 10;
        line.SetFlag(kFlagPreformatted, true);
        line.SetFlag(kFlagCodeLine, true);
    }

    if (line.lineType == kLineText && set.GetInt(Pol::NewParagraphOffset) < 0) line.CheckHangingParagraph(&set);
    if (line.lineType == kLineText) line.CheckHangingColumns(&set);

    if (line.lineType == kLineText && switchesOn) {
        const int ruler = line.CheckRulerLine(&set);
        if (ruler == kLineUnderline) {
            line.lineType = kLineUnderline;
            return true;
        }
        if (ruler != kLineNotAnalysed) line.lineType = ruler;
    }

    if (line.lineType == kLineText) line.CheckListContinuation(&set);
    if (line.lineType == kLineText) line.CheckDefinitionContinuation(&set);
    return false;
}

// The special rule sets put everything inside a LIST_ITEM into the item.
void PutLineIntoListItem(FC& set, AnalysedLine& line) {
    if (line.lineType == kLineText || line.lineType == kLineNotAnalysed) {
        line.lineType = kLineListContinuation;
        if (line.tagCode == kStatementListItem) {
            TextString text(static_cast<const TextString&>(line));
            TextString bullet;
            const int itemType = DetermineBulletType(&set, text, 1, 1, 1, bullet);
            if (itemType != 0) line.lineType = itemType;
        }
    } else if (line.lineType == kLineBlank) {
        line.lineType = kLineListBlank;
    }
}

// Paragraph starts, short lines and kept line breaks.
void MarkParagraphsAndLineBreaks(FC& set, AnalysedLine& line) {
    if (line.lineType == kLineText) line.CheckWhiteSpace(&set);
    if (line.lineType == kLineText) line.CheckShortPreviousLine(&set);

    if (set.IsOn(Pol::LookForShortLines)) {
        const int width = set.GetInt(Pol::PageWidth);
        const int shortLength = set.GetInt(Pol::ShortLineLength);
        const int measured = LengthWithoutTrailingBlanks(line);
        if (2 * measured < width || (set.IsOn(Pol::KeepItSimple) && 4 * measured < 3 * width) ||
            (shortLength > 0 && measured <= shortLength))
            line.SetFlag(kFlagShortLine, true);
    }

    const int lineType = line.lineType;
    if (set.IsOn(Pol::TreatEachLineAsParagraph) &&
        (lineType == kLineText || lineType == kLineDefinitionTerm || lineType == kLineHangingContinuation ||
         lineType == kLineListContinuation || lineType == kLineDefinition ||
         lineType == kLineDefinitionContinuation))
        line.lineType = kLineParagraphStart;

    if (line.lineType == kLineText && set.IsOn(Pol::PreserveLineStructure)) line.SetFlag(kFlagKeepLineBreak, true);
}

}  // namespace

void AnalysedLine::AnalyseLine(FC* set) {
    Context* context = set ? set->context : nullptr;
    if (!context) {
        if (lineType == kLineNotAnalysed) lineType = kLineText;
        return;
    }
    if (context->outputFormat == kOutputText) {
        lineType = kLineText;
        return;
    }

    CodeLocationGuard location(*context);
    Tracker& tracker = *context->pGetTracker();

    // The test switches: off under the two special rule sets.
    const bool switchesOn = !IsRuleSet(set->ruleSetCode);

    if (TypeBlockDefinitionLine(*set, *this, tracker)) return;
    FollowLineWithTracker(*set, *context, *this, tracker);

    // (Only bytes above 127 change: a text without them keeps sharing.)
    if (context->characterConversion && !context->documentState.utf8Text && HoldsNonAscii(plainText))
        plainText.Edit().ConvertDOSCharacters(0, context->outputFormat != kOutputRTF, nullptr);

    MarkHeadingTag(*set, *this, tracker);

    if (position.line < 1)
        LineMessage(*context, TextString("PROGRAM ERROR: Invalid Source line Number!!"), kLevelAlways);

    WorkingText workingText(*this);
    const TextString& working = workingText.Text();
    LineWords words(working);

    TidyEmphasisAndTakeTitle(*set, *context, *this);

    AnalysedLine* previousLine = GetAnalysisPreviousLine(this);
    AnalysedLine* lineBeforePrevious = previousLine ? AsAnalysed(previousLine->previous) : nullptr;
    const NeighbourSummary previousSummary = SummariseNeighbour(*context, previousLine);
    // Of the line before that only its type is read.
    const int beforePreviousType = lineBeforePrevious ? lineBeforePrevious->lineType : kLineBlank;
    if (lineType == kLineNotAnalysed) lineType = kLineText;

    if (TypeDirectiveLine(*context, *this)) return;

    if (HasFlag(kFlagNotAnalysed)) return;

    if (TypeBlankOrPageBreak(*set, *this, tracker, working, previousSummary)) return;

    PreformattedScoreRecord score;
    MarkLineLayout(*set, *context, *this, previousLine, working, switchesOn, score);

    // Numbered headings: a level-1 number inside running text does not make
    // a heading.
    const bool mayStandHere = !(previousSummary.lineType == kLineText && beforePreviousType == kLineText &&
                                set->IsOn(Pol::ExpectBlankLinesBetweenParas));
    const int candidate = FindNumberedHeading(*set, *this, working, words, mayStandHere);

    if (candidate == 0 && (lineType == kLineText || lineType == kLineParagraphStart)) {
        const int keyPhrase = FindKeyPhraseHeading(set, *this);
        if (keyPhrase > 0) lineType = keyPhrase;
    }

    int bulletType = 0;
    if (set->IsOn(Pol::LookForBullets) && !previousSummary.preformatted) bulletType = CheckBulletLine(set);

    if (candidate != 0) {
        AcceptHeading(*set, *context, *this, candidate, previousLine, working, words);
        return;
    }

    if (bulletType != 0) {
        AcceptListItem(*this, bulletType);
        return;
    }

    if (TypeTextLine(*set, *this, tracker, switchesOn)) return;

    if (!switchesOn && TrackerListItemNumber(tracker) > 0) PutLineIntoListItem(*set, *this);

    MarkParagraphsAndLineBreaks(*set, *this);

    TidyPreformatting(set, &score);

    // A single quoted line inside running text was not a quotation after all.
    if (lineType == kLineText && previousLine && previousLine->lineType == kLineQuoted &&
        beforePreviousType == kLineText)
        previousLine->lineType = kLineText;
}
