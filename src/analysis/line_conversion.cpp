// Output-time conversion of a line: the word scan that turns addresses,
// newsgroup names and overstruck words into links and markup, section
// references to links, emphasis, replacement pairs and the link dictionary.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/analysed_line.h"
#include "analysis/analysis_routines.h"
#include "analysis/emphasis.h"
#include "analysis/word_tidiers.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/pattern_rules.h"
#include "output/markup/heading_anchors.h"
#include "output/markup/rtf_links.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void SendLineMessage(FC& set, AnalysedLine& line, const TextString& text, int level) {
    if (set.context)
        line.LineMessage(*set.context, text, level);
    else
        set.ReportMessage(text.buffer, level);
}

// A stretch of the text that the word scan must not touch, from `start` to
// `end` inclusive; `start` is -1 when there is none (further on).
struct Stretch {
    int start = -1;
    int end = -1;
    bool Holds(int position) const { return start >= 0 && position >= start && position <= end; }
};

// The next stretch at or after `from` that opens with `open` and closes with
// the end of the next `close` after the opening (the `closeCount`th one).
Stretch FindStretch(const TextString& text, int from, const char* open, const char* close, int closeCount,
                    int caseSensitive) {
    Stretch stretch;
    if (!open || !*open || !close || !*close) return stretch;
    int at = -1;
    if (!text.Find(from, open, &at, caseSensitive)) return stretch;
    const int openLength = static_cast<int>(std::char_traits<char>::length(open));
    const int closeLength = static_cast<int>(std::char_traits<char>::length(close));
    int search = at + openLength;
    int closeAt = -1;
    for (int k = 0; k < closeCount; ++k) {
        if (!text.Find(search, close, &closeAt, caseSensitive)) return stretch;
        search = closeAt + closeLength;
    }
    stretch.start = at;
    stretch.end = closeAt + closeLength - 1;
    return stretch;
}

// The link forms whose presence marks a line as holding a link; the first
// five also keep its line break under "Add <BR> to lines with URLs".
constexpr const char* kLinkForms[] = {
    "HREF=\"http:", "HREF=\"https:", "HREF=\"ftp:", "HREF=\"news:", "HREF=\"snews:", "HREF=\"mailto:"};

// The numbers of a normalised section reference ("2.10" gives 2 and 10);
// false when there are more than six or one does not read.
bool ReadSectionNumbers(const TextString& reference, std::array<int, 6>& numbers, int& count) {
    count = 0;
    int start = 0;
    for (int i = 0; i <= reference.length; ++i) {
        if (i < reference.length && reference.buffer[i] != '.' && reference.buffer[i] != '-') continue;
        if (count >= 6) return false;
        TextString field;
        field.AssignChars(reference.buffer + start, i - start);
        const int value = ParseSectionField(field.buffer, '.');
        if (value < 0 || value >= kSectionNumberOutOfRange) return false;
        numbers[static_cast<size_t>(count++)] = value;
        start = i + 1;
    }
    return count > 0;
}

// The name of the output file being written (the last one of the file list).
TextString CurrentOutputFileName(const Context& context) {
    const StringList& files = context.documentState.outputFiles;
    const char* name = files.TextAt(files.count - 1);
    return TextString(name ? name : "");
}

// The length of the word that starts at `p` (as the first field of the text
// from `p` with that delimiter): it ends at the end of the text, at a NUL
// byte, or where the field ends (a blank or tab; with 0xBF also at ",", ";",
// "<", ">", 0xBF, "&lt;" and "&gt;").
int WordLengthAt(const char* p, const char* end, char delimiter) {
    // The bytes that end a word: for a blank delimiter NUL, blank and tab;
    // for 0xBF also ",;<>", 0xBF and "&" when it opens "&lt;" or "&gt;".
    struct StopTables {
        bool blank[256] = {};
        bool wide[256] = {};
        StopTables() {
            for (unsigned char c : {'\0', ' ', '\t'}) blank[c] = wide[c] = true;
            for (unsigned char c : {',', ';', '<', '>', '&'}) wide[c] = true;
            wide[0xBF] = true;
        }
    };
    static const StopTables tables;
    const char* q = p;
    if (delimiter == ' ' || static_cast<unsigned char>(delimiter) == 0xBF) {
        const bool* stop = delimiter == ' ' ? tables.blank : tables.wide;
        for (; q < end; ++q) {
            if (!stop[static_cast<unsigned char>(*q)]) continue;
            if (*q != '&' || std::strncmp(q, "&lt;", 4) == 0 || std::strncmp(q, "&gt;", 4) == 0) break;
        }
    } else {
        while (q < end && *q && *q != delimiter) ++q;
    }
    return static_cast<int>(q - p);
}

// The bytes a text is looked at for before its conversion: those that can
// start a change by the word scan (".", ":", "/", "@" and a backspace) and
// those that can mark emphasis ("_" and "*").
constexpr unsigned char kWordScanByte = 1;
constexpr unsigned char kEmphasisByte = 2;
constexpr std::string_view kWordScanBytes = ".:/@\b";
constexpr std::string_view kEmphasisBytes = "_*";

// Which of the two kinds of byte the text holds (both bits as soon as both
// are seen).
unsigned char ConversionBytesIn(const TextString& text) {
    struct Table {
        unsigned char kind[256] = {};
        Table() {
            for (char c : kWordScanBytes) kind[static_cast<unsigned char>(c)] = kWordScanByte;
            for (char c : kEmphasisBytes) kind[static_cast<unsigned char>(c)] = kEmphasisByte;
        }
    };
    static const Table table;
    constexpr unsigned char kBoth = kWordScanByte | kEmphasisByte;
    unsigned char seen = 0;
    int i = 0;
#if defined(__SSE2__)
    // Sixteen bytes are looked at together while that many are left: a
    // kind is seen when any of them equals one of its bytes.
    auto anyOf = [](__m128i v, std::string_view bytes) {
        __m128i equal = _mm_setzero_si128();
        for (char c : bytes) equal = _mm_or_si128(equal, _mm_cmpeq_epi8(v, _mm_set1_epi8(c)));
        return _mm_movemask_epi8(equal) != 0;
    };
    for (; i + 16 <= text.length && seen != kBoth; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.buffer + i));
        if (anyOf(v, kWordScanBytes)) seen |= kWordScanByte;
        if (anyOf(v, kEmphasisBytes)) seen |= kEmphasisByte;
    }
#endif
    for (; i < text.length && seen != kBoth; ++i) seen |= table.kind[static_cast<unsigned char>(text.buffer[i])];
    return seen;
}

// Whether the word scan leaves the text as it is, judged in one pass: it
// holds no ':' (which could mark a link), and every run of bytes between
// blanks, tabs and NUL bytes is one whose words no tidier changes or reports:
// without '@' and backspaces, and one of these:
// - without dots and with at most two slashes (a name, a date such as
//   "2020-01-12");
// - without letters and with fewer than two dots (a number such as
//   "1,234.50");
// - a word at the end of a sentence ("market."): its one dot is its last
//   byte and it holds no slash.  The web tidier takes that dot for sentence
//   punctuation, and no dot or slash is left that an address needs; the
//   newsgroup tidier takes it for a name only when it is known: when it ends
//   with one of the tidier's own hierarchies, or when the policies list
//   names and the word is longer than seven bytes (shorter ones are never
//   looked up).  Such runs are left to the scan.
// The words of both scans lie inside these runs and hold no more dots,
// slashes, letters, '@' or backspaces than the run does; the word that holds
// a run's last byte ends where the run ends.
bool WordScanLeavesAlone(const FC& set, const TextString& text) {
    const char* const begin = text.buffer;
    const char* const end = begin + text.length;
    auto endsRun = [](char c) { return c == ' ' || c == '\t' || c == '\0'; };
    auto isLetter = [](char c) { return IsAsciiLetter(static_cast<unsigned char>(c)); };
    // Names of the policies' own are looked up only for words of eight bytes
    // or more.
    constexpr size_t kLongestUnlistedName = 7;
    const bool listedGroups = set.usenetGroups.count > 0;
    // Only a run with a dot or a slash can hold an address, so only the runs
    // around those bytes are looked at, each once, from the dot on: a dot
    // with a letter or another dot after it in its run ends the judgement at
    // once (a line of delimited fields is told quickly).
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '.', static_cast<size_t>(end - p))));) {
        const char* after = p + 1;
        for (; after < end && !endsRun(*after); ++after)
            if (*after == '.' || isLetter(*after)) return false;
        const char* first = p;
        bool letters = false;
        bool slashes = false;
        for (; first > begin && !endsRun(first[-1]); --first) {
            if (first[-1] == '.') return false;
            letters = letters || isLetter(first[-1]);
            slashes = slashes || first[-1] == '/';
        }
        if (letters) {
            const bool sentenceEnd = after == p + 1 && !slashes;
            const std::string_view run(first, static_cast<size_t>(after - first));
            if (!sentenceEnd || EndsWithNewsHierarchy(run) || (listedGroups && run.size() > kLongestUnlistedName))
                return false;
        }
        p = after;
    }
    for (const char never : {':', '@', '\b'})
        if (std::memchr(begin, never, static_cast<size_t>(text.length))) return false;
    // A run with more than two slashes (and one dot at most, without
    // letters beside it) is left alone when it holds no letter.
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '/', static_cast<size_t>(end - p))));) {
        const char* first = p;
        while (first > begin && !endsRun(first[-1])) --first;
        const char* last = p;
        while (last < end && !endsRun(*last)) ++last;
        if (std::count(first, last, '/') > 2 && std::any_of(first, last, isLetter)) return false;
        p = last;
    }
    return true;
}

// Whether the text holds a byte that can start a change by the word scan.
bool HoldsWordScanCharacter(const TextString& text) { return (ConversionBytesIn(text) & kWordScanByte) != 0; }

bool ListHoldsExactly(const StringList& list, const TextString& text) {
    for (int i = 0; i < list.count; ++i) {
        const StringListEntry* entry = list.GetAt(i);
        if (entry && entry->text.view() == text.view()) return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// The whole conversion of an output line

void AnalysedLine::ConvertForOutput(FC& set, AnalysedLine* source, int doWords, int doReferences, int doEmphasis,
                                    int doReplacements, int doLinkDictionary, int trim) {
    Context* context = set.context;
    if (!context || context->trackers.codeLocation != kWritingOutput || context->outputFormat == kOutputText) return;
    const int format = context->outputFormat;

    if (IsRuleSet(set.ruleSetCode)) {
        doReferences = doEmphasis = doReplacements = doLinkDictionary = 0;
        if (set.ruleSetCode == kRuleSetSec) doWords = 0;
    }
    // A directive line gets the word scan only.
    if (tagCode != kStatementNone) doReferences = doEmphasis = doReplacements = doLinkDictionary = 0;

    if (source) SetFlag(kFlagKeepLineBreak, source->HasFlag(kFlagKeepLineBreak));
    // One look at the text tells whether the word scan can change anything
    // (it leaves a text without such bytes alone) and whether emphasis can
    // be marked; after a conversion that ran, the text is looked at again.
    unsigned char bytes = ConversionBytesIn(*this);
    if (doWords && (bytes & kWordScanByte) && !WordScanLeavesAlone(set, *this)) {
        // A scan that changed nothing leaves the bytes as they were looked at.
        const bool changedByBlankWords = ConvertWords(set, 1, format == kOutputHTML, true);
        const bool changed =
            ConvertWords(set, 0, format == kOutputHTML, !changedByBlankWords) || changedByBlankWords;
        if (changed) bytes = ConversionBytesIn(*this);
    }
    if (source) source->SetFlag(kFlagKeepLineBreak, HasFlag(kFlagKeepLineBreak));

    if (doReferences) {
        // A reference made a link is longer than the number it replaces.
        const int lengthBefore = length;
        ConvertReferences(set);
        if (length != lengthBefore) bytes = ConversionBytesIn(*this);
    }
    if (doEmphasis && length > 0 && (bytes & kEmphasisByte)) TidyEmphasisLine(set, *this, this);

    if (doReplacements && source) {
        auto applyPair = [&](int present, const std::unique_ptr<TextString>& find,
                             const std::unique_ptr<TextString>& replacement, int start) {
            if (!present || !find || find->IsEmpty()) return;
            if (start < 0 || start > length) start = 0;
            ReplaceFrom(start, find->buffer, replacement ? replacement->buffer : "", 1, 1, nullptr, nullptr);
        };
        applyPair(source->firstPairPresent, source->firstFind, source->firstReplacement, source->firstPairStart);
        applyPair(source->secondPairPresent, source->secondFind, source->secondReplacement, source->secondPairStart);
    }
    if (doLinkDictionary) ApplyLinkDictionary(set);
    if (trim) Trim(0, " ");
    // A line that ends in an RTF field gets a blank, so that the text of the
    // next line does not run into the field.
    if (format == kOutputRTF && length > 3 && view().substr(static_cast<size_t>(length - 3)) == "}}}")
        AppendChar(' ');
}

// ---------------------------------------------------------------------------
// The word scan

namespace {

// A line that holds a link form is marked as holding a link; the forms that
// break a line keep its line break when the policy asks for it.
void MarkLinks(FC& set, AnalysedLine& line) {
    if (!line.FindChar(0, ':', nullptr, 1)) return;
    bool anyLink = false;
    bool breakingLink = false;
    for (size_t i = 0; i < std::size(kLinkForms); ++i) {
        if (!line.Find(0, kLinkForms[i], nullptr, 0)) continue;
        anyLink = true;
        if (i < 5) breakingLink = true;
    }
    if (anyLink) line.SetFlag(kFlagHasLink, true);
    if (breakingLink && set.IsOn(Pol::AddBRToLinesWithURLs)) line.SetFlag(kFlagKeepLineBreak, true);
}

// Neighbouring overstruck words become one emphasised stretch.
void JoinOverstruckWords(FC& set, AnalysedLine& line, int format) {
    switch (format) {
        case kOutputHTML:
            if (line.FindChar(0, '<', nullptr, 1)) {
                line.Replace("</U> <U>", " ", 0, 1);
                line.Replace("</B> <B>", " ", 0, 1);
                line.Replace("</STRONG> <STRONG>", " ", 0, 1);
            }
            break;
        case kOutputRTF:  // RTF emphasis groups stay separate
        case kOutputPDF: break;
        default:
            SendLineMessage(set, line, TextString("UNSUPPORTED CASE: Output Format in ConvertLine (2)"),
                            kLevelAlways);
            break;
    }
}

}  // namespace

void AnalysedLine::ConvertLine(FC& set, int blankWords, int html) { ConvertWords(set, blankWords, html, false); }

bool AnalysedLine::ConvertWords(FC& set, int blankWords, int html, bool holdsScanByte) {
    Context* context = set.context;
    if (!context || context->outputFormat == kOutputText || context->trackers.codeLocation != kWritingOutput)
        return false;
    const int format = context->outputFormat;
    // Contents lines of a contents list keep their words.
    if (set.preprocessor.inContentsList && lineType >= kLineContents && lineType <= kLineContentsLast) return false;

    // Only a word with ".", "/", "@" or a backspace can change, and only a
    // ":" marks a link: a text with none of them stays as it is.
    if (!holdsScanByte && !HoldsWordScanCharacter(*this)) return false;

    const bool markupPresent = format == kOutputHTML && FindChar(0, '<', nullptr, 1);
    const bool tagsSeen = context->documentState.headingSwitches[DocumentState::kInlineTagsSeen] != 0;
    const TextString& startDelimiter = set.GetText(Pol::StartTagDelimiter);
    const TextString& endDelimiter = set.GetText(Pol::EndTagDelimiter);
    const bool linkPolicies = set.IsOn(Pol::CreateHyperlinks) || set.IsOn(Pol::CreateFTPLinks) ||
                              set.IsOn(Pol::CreateGopherLinks) || set.IsOn(Pol::CreateTelnetLinks);
    const bool mailtoLinks = set.IsOn(Pol::CreateMailtoLinks);
    const char delimiter = blankWords ? ' ' : static_cast<char>(0xBF);

    // The protected stretches: in-line tags, markup, existing links.
    Stretch tag, markup, link;
    auto findTag = [&](int from) {
        return tagsSeen ? FindStretch(*this, from, startDelimiter.buffer, endDelimiter.buffer, 1, 1) : Stretch{};
    };
    auto findMarkup = [&](int from) {
        return (html && markupPresent) ? FindStretch(*this, from, "<", ">", 1, 1) : Stretch{};
    };
    auto findLink = [&](int from) {
        if (format == kOutputHTML)
            return markupPresent ? FindStretch(*this, from, "<A HREF", "</A>", 1, 0) : Stretch{};
        if (format == kOutputRTF) return FindStretch(*this, from, "{\\field{", "}}}", 2, 1);
        return Stretch{};
    };
    auto searchAll = [&](int from) {
        tag = findTag(from);
        markup = findMarkup(from);
        link = findLink(from);
    };
    auto advance = [&](int position) {
        if (tag.start >= 0 && position > tag.end) tag = findTag(tag.end + 1);
        if (markup.start >= 0 && position > markup.end) markup = findMarkup(markup.end + 1);
        if (link.start >= 0 && position > link.end) link = findLink(link.end + 1);
    };
    searchAll(0);

    // The scan reads the text as it was and writes the converted text apart:
    // the text before a replaced word is copied once, when the word is met,
    // and the line takes the converted text at the end.  Replacing each word
    // in the line itself would move the rest of the line for every word.
    TextString converted;
    int copied = 0;  // the text before this position is in `converted`
    int emphasisWords = 0;
    int position = 0;
    TextString word, replacement, display, refusedCore;
    while (position < length) {
        advance(position);
        if (html && markup.start == position) {
            position = markup.end + 1;
            continue;
        }
        const int n = WordLengthAt(buffer + position, buffer + length, delimiter);
        if (n < 5) {
            if (n >= 1 && n <= 3)
                position += n;
            else if (n == 4 && (CompareTextN(buffer + position, "&lt;", 4, 0) == 0 ||
                                CompareTextN(buffer + position, "&gt;", 4, 0) == 0))
                position += 4;
            else
                position += 1;
            continue;
        }
        if (tag.Holds(position) || markup.Holds(position) || link.Holds(position)) {
            position += n;
            continue;
        }
        int dots = 0, slashes = 0, ats = 0, backspaces = 0, letters = 0;
        for (const char* c = buffer + position; c < buffer + position + n; ++c) {
            dots += *c == '.';
            slashes += *c == '/';
            ats += *c == '@';
            backspaces += *c == '\b';
            letters += IsAsciiLetter(static_cast<unsigned char>(*c));
        }
        // A word without letters, '@' or backspaces and with fewer than two
        // dots (a number such as "1,234.50") is no address, no newsgroup and
        // no overstruck word: every tidier leaves it alone, without a report.
        if (letters == 0 && dots < 2 && ats == 0 && backspaces == 0) {
            position += n;
            continue;
        }
        const bool urlLike = dots > 0 || slashes > 2;
        // Only an address-like word, a word with one "@" or an overstruck
        // word (with backspaces, looked at without `blankWords`) can change.
        if (!urlLike && ats != 1 && (blankWords || backspaces == 0)) {
            position += n;
            continue;
        }
        word.AssignChars(buffer + position, n);
        int replaced = 0;
        int urlType = kURLNone;
        replacement.MakeEmpty();
        display.MakeEmpty();
        refusedCore.MakeEmpty();
        if (urlLike && linkPolicies) urlType = TidyHTTPWord(set, *this, word, replaced, replacement, display);
        if (!blankWords) {
            const int replacedBefore = replaced;
            if (backspaces > 0) TidyUnixWord(set, *this, word, replaced, replacement);
            if (replaced && !replacedBefore) ++emphasisWords;
            if (ats == 1 && !replaced && mailtoLinks)
                urlType = TidyEmailWord(set, *this, word, replaced, replacement, display);
            if (urlLike && !replaced)
                urlType = TidyUSENETWord(set, *this, word, replaced, replacement, refusedCore, display);
        }
        if (urlLike || ats == 1) ReportURLCandidate(set, *this, urlType, blankWords, word, refusedCore);

        if (!replaced) {
            position += n;
            continue;
        }
        if (urlType != kURLNone && context->runParameters.links) {
            StringList& found = context->documentState.linksFound;
            if (!ListHoldsExactly(found, display)) found.Add(display.buffer);
        }
        if (copied == 0) converted.ReserveAbout(static_cast<int64_t>(length) + replacement.length);
        converted.AppendBytes(buffer + copied, position - copied);
        converted.Append(replacement);
        position += n;
        copied = position;
        // A protected stretch that begins inside the replaced word is gone
        // with it: the next one is looked for after the word.  Those that
        // begin further on stay as they were found.
        if (tag.start >= 0 && tag.start < position) tag = findTag(position);
        if (markup.start >= 0 && markup.start < position) markup = findMarkup(position);
        if (link.start >= 0 && link.start < position) link = findLink(position);
        if (urlType >= kURLHttp && urlType <= kURLHostAsFtp) {
            TextString message("URL: ");
            message.Append(GetURLMessageLead(urlType));
            message.Append(display);
            message.AppendChar('"');
            SendLineMessage(set, *this, message, kLevelAlways);
        }
    }
    if (copied > 0) {
        converted.AppendBytes(buffer + copied, length - copied);
        static_cast<TextString&>(*this) = std::move(converted);
    }

    MarkLinks(set, *this);
    // Overstruck words are joined only where words were replaced.
    if (emphasisWords > 1) JoinOverstruckWords(set, *this, format);
    return copied > 0;
}

// ---------------------------------------------------------------------------
// Section references

void AnalysedLine::ConvertReferences(FC& set) {
    Context* context = set.context;
    if (!context || !set.IsOn(Pol::ExpectNumberedHeadings) || context->trackers.codeLocation != kWritingOutput)
        return;
    const int format = context->outputFormat;
    if (format == kOutputText) return;
    if (format != kOutputHTML && format != kOutputRTF && format != kOutputPDF) {
        SendLineMessage(set, *this, TextString("UNSUPPORTED CASE: Output Format in ConvertReferences"),
                        kLevelAlways);
        return;
    }
    // The lowest and highest section numbers that the heading analysis has
    // seen at each level (index 0 is level 1).  A word is a reference only
    // to a level that has been seen: with none seen, no word is one.
    const DocumentState::HeadingState& numbering = context->documentState.headingState;
    bool anyLevelSeen = false;
    for (size_t level = 0; level < 6; ++level)
        anyLevelSeen = anyLevelSeen || (numbering.lowest[level] >= 0 && numbering.highest[level] >= 0);
    if (!anyLevelSeen) return;

    const TextString& startDelimiter = set.GetText(Pol::StartTagDelimiter);
    const TextString& endDelimiter = set.GetText(Pol::EndTagDelimiter);
    auto findTag = [&](int from) {
        return FindStretch(*this, from, startDelimiter.buffer, endDelimiter.buffer, 1, 1);
    };
    Stretch tag = findTag(0);

    const int leastLevels = set.GetInt(Pol::CrossRefsAtLevel);
    const TextString currentFile = CurrentOutputFileName(*context);
    TextString word, core, normalised, fileName, extension, anchor, link;

    // The words are read from the text as it was and the converted text is
    // built apart, in one pass (see ConvertLine): the text before `copied`
    // is in `converted` with its references made links.
    TextString converted;
    int copied = 0;
    int position = 0;
    while (position < length) {
        const int n = WordLengthAt(buffer + position, buffer + length, ' ');
        if (n == 0 || !std::memchr(buffer + position, '.', static_cast<size_t>(n))) {
            position += std::max(1, n);
            continue;
        }
        word.AssignChars(buffer + position, n);
        const int wordLength = word.length;
        TrimReferenceEnd(&set, word, core);
        while (tag.start >= 0 && tag.end < position) tag = findTag(tag.end + 1);
        if (core.IsEmpty() || tag.Holds(position)) {
            position += wordLength;
            continue;
        }

        int separators = -1, depth = -1, valid = 0, withinLimit = 0;
        ParseSectionReference(&set, core, 1, 0, normalised, separators, depth, valid, withinLimit);
        // Levels run from 1 to 6: a deeper reference names no heading.
        bool reference = depth >= 0 && depth < 6 && separators >= 0 && separators < 6 && depth + 1 >= leastLevels;
        auto seen = [&](int level) {
            return numbering.lowest[static_cast<size_t>(level)] >= 0 &&
                   numbering.highest[static_cast<size_t>(level)] >= 0;
        };
        std::array<int, 6> numbers{};
        int count = 0;
        reference =
            reference && seen(depth) && ReadSectionNumbers(normalised, numbers, count) && count == separators + 1;
        for (int level = 0; reference && level < count; ++level) {
            const auto index = static_cast<size_t>(level);
            reference = seen(level) && numbers[index] >= numbering.lowest[index] &&
                        numbers[index] <= numbering.highest[index];
        }
        if (!reference) {
            position += wordLength;
            continue;
        }

        const int headingType = kLineNumberedHeading + separators;
        if (!context->FindReferencedSection(&set, headingType, normalised, fileName, extension)) {
            TextString message("WARNING: Can't find section for possible hyperlink \"");
            message.Append(core);
            message.AppendChar('"');
            SendLineMessage(set, *this, message, kLevelAlways);
            position += wordLength;
            continue;
        }
        GetHeadingLinkName(core, headingType, &set, 0, anchor);
        switch (format) {
            case kOutputHTML: {
                TextString target;
                if (!(fileName.view() == currentFile.view())) {
                    target = fileName;
                    target.Append(extension);
                }
                target.AppendChar('#');
                target.Append(anchor);
                link.Assign("<A HREF=\"");
                AppendHrefTarget(link, target);
                link.Append("\">");
                link.Append(core);
                link.Append("</A>");
                break;
            }
            case kOutputRTF:
                if (set.IsOn(Pol::MakeWindowsHelpSource))
                    RTF_FormatLink(&set, 1, 0, anchor, core, link);
                else
                    RTF_FormatHyperlinkField(&set, 1, anchor, core, link);
                break;
            default: position += wordLength; continue;
        }
        int at = -1;
        if (!Find(position, core.buffer, &at, 1)) {
            position += wordLength;
            continue;
        }
        if (copied == 0) converted.ReserveAbout(int64_t{length} + length / 2);
        converted.AppendBytes(buffer + copied, at - copied);
        converted.Append(link);
        position = at + core.length;
        copied = position;
        // The protected stretch found last is still the next one unless the
        // replaced reference ran into it.
        if (tag.start >= 0 && tag.start < position) tag = findTag(position);
    }
    if (copied > 0) {
        converted.AppendBytes(buffer + copied, length - copied);
        static_cast<TextString&>(*this) = std::move(converted);
    }
}

// ---------------------------------------------------------------------------
// The link dictionary

void AnalysedLine::ApplyLinkDictionary(FC& set) {
    Context* context = set.context;
    if (!context || context->trackers.codeLocation != kWritingOutput || context->outputFormat == kOutputText) return;
    if (set.GetLinkDefinitionCount() < 1) return;
    const bool html = context->outputFormat == kOutputHTML;

    int split = length;
    if (html) {
        int at = -1;
        if (FindChar(0, '<', &at, 1)) split = at;
    }
    TextString head;
    head.AssignChars(buffer, split);
    TextString tail;
    tail.AssignChars(buffer + split, length - split);

    bool headChanged = false;
    if (!head.IsEmpty()) {
        TextString rewritten;
        if (set.MatchLinkWord(head, &rewritten)) {
            headChanged = true;
            head = rewritten;
        }
    }

    bool tailChanged = false;
    if (html && !tail.IsEmpty()) {
        // The text after the last tag needs a '<' after it to be matched; the
        // dummy tag that provides it never reaches the output.
        static constexpr const char* kDummyTag = "<DUMMY>";
        const bool dummy = tail.buffer[tail.length - 1] != '<';
        TextString scanned(tail);
        if (dummy) scanned.Append(kDummyTag);
        PatternList rules;
        rules.AddRule(kRuleCallback, ">**<", nullptr, 0, ApplyLinkDictionaryBetweenTags, &set);
        ScanOptions options;
        options.oneActionPerPosition = 1;
        options.resetAfterChange = 1;
        rules.Scan(scanned, &options);
        TextString result;
        rules.GetResult(&result);
        if (!(result.view() == scanned.view())) {
            tailChanged = true;
            const int dummyLength = static_cast<int>(std::char_traits<char>::length(kDummyTag));
            if (dummy && result.length >= dummyLength &&
                result.view().substr(static_cast<size_t>(result.length - dummyLength)) == kDummyTag)
                result.SubString(0, result.length - dummyLength);
            tail = result;
        }
    }

    if (!headChanged && !tailChanged) return;
    TextString text(head);
    text.Append(tail);
    AssignChars(text.buffer, text.length);
    SetFlag(kFlagHasLink, true);
}
