#include "foundation/utilities.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file_status.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// "/" is the only directory separator: "\" is an ordinary character of a
// file name here ("back\slash.txt" is one name).
bool IsSeparator(char c) { return c == '/'; }

// The position of the last directory separator, or -1.
int LastSeparator(const char* text, int length) {
    for (int i = length - 1; i >= 0; --i)
        if (IsSeparator(text[i])) return i;
    return -1;
}

// One directory level of a path: its text and the separator that ends it.
struct PathLevel {
    std::string text;
    char separator = '\\';
};

// Splits `path` into the levels that end in a separator; the text after the
// last separator (the file part) goes to `rest`.
std::vector<PathLevel> SplitLevels(const std::string& path, std::string* rest) {
    std::vector<PathLevel> levels;
    size_t from = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            levels.push_back(PathLevel{path.substr(from, i - from), path[i]});
            from = i + 1;
        }
    }
    if (rest) *rest = path.substr(from);
    return levels;
}

bool HasParentStep(const std::vector<PathLevel>& levels) {
    for (const PathLevel& level : levels)
        if (level.text == "..") return true;
    return false;
}

bool EqualIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (ToUpperAscii(*a) != ToUpperAscii(*b)) return false;
        if (*a == '\0') return true;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and paths

void GetDirectoryPart(const char* path, TextString* out) {
    out->MakeEmpty();
    if (!path) return;
    int last = -1;
    for (int i = 0; path[i]; ++i)
        if (IsSeparator(path[i]) || path[i] == ']') last = i;
    if (last >= 0) out->AssignChars(path, last + 1);
}

void GetDirectoryPart(const TextString& path, TextString* out) {
    out->MakeEmpty();
    int last = -1;
    for (int i = 0; i < path.length; ++i)
        if (IsSeparator(path.buffer[i]) || path.buffer[i] == ']') last = i;
    if (last >= 0) out->AssignChars(path.buffer, last + 1);
}

void SplitPath(const TextString& path, TextString* directory, TextString* name, TextString* extension) {
    if (directory) directory->MakeEmpty();
    if (name) name->MakeEmpty();
    if (extension) extension->MakeEmpty();
    if (path.length == 0) return;

    const int separator = LastSeparator(path.buffer, path.length);
    const int restStart = separator + 1;
    if (directory && restStart > 0) directory->AssignChars(path.buffer, restStart);

    int dot = -1;
    for (int i = path.length - 1; i >= restStart; --i) {
        if (path.buffer[i] == '.') {
            dot = i;
            break;
        }
    }
    const int nameEnd = dot >= 0 ? dot : path.length;
    if (name) name->AssignSubstring(path.buffer, restStart, nameEnd - restStart);
    if (extension && dot >= 0) extension->AssignSubstring(path.buffer, dot, path.length - dot);
}

bool IsRelativePath(const TextString& name) {
    if (name.length > 0 && name.buffer[0] == '/') return false;
    int position = 0;
    return !name.Find(0, ":\\", &position, 1);
}

void ResolveRelativePath(const TextString& base, const TextString& name, TextString* out) {
    TextString nameDirectory;
    GetDirectoryPart(name, &nameDirectory);
    if (nameDirectory.IsEmpty()) {
        *out = base + name;
        return;
    }

    std::string fileName;
    const std::vector<PathLevel> steps = SplitLevels(name.str(), &fileName);
    if (!HasParentStep(steps)) {
        if (IsRelativePath(name))
            *out = base + name;
        else
            *out = name;
        return;
    }

    // Parent steps: walk the name's levels on top of the base's (or, for an
    // absolute name, on top of nothing).  The first level of an absolute
    // path is its root ("" before a leading separator, or a drive "C:") and
    // is never climbed over; surplus steps above a relative base are kept.
    std::vector<PathLevel> levels;
    bool rooted = true;
    if (IsRelativePath(name)) {
        levels = SplitLevels(base.str(), nullptr);
        rooted =
            !levels.empty() && (levels.front().text.empty() || levels.front().text.find(':') != std::string::npos);
    }
    const size_t floor = rooted ? 1 : 0;
    std::vector<PathLevel> keptSteps;
    for (const PathLevel& step : steps) {
        if (step.text != "..") {
            levels.push_back(step);
        } else if (levels.size() > floor) {
            levels.pop_back();
        } else if (!rooted) {
            keptSteps.push_back(step);
        }
    }

    std::string result;
    for (const PathLevel& step : keptSteps) result += step.text + step.separator;
    for (const PathLevel& level : levels) result += level.text + level.separator;
    result += fileName;
    out->AssignChars(result.data(), static_cast<int>(result.size()));
}

void MakeShortName(TextString* name) {
    if (name->length < 9) return;
    // The checksum is defined on signed bytes, so characters above 127 count
    // negative whatever the signedness of char.
    int64_t sum = 0;
    for (int i = 0; i < name->length; ++i) sum += static_cast<signed char>(name->buffer[i]) - 65;
    const int checksum = static_cast<int>((sum - 1) % 10000 + 1);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%5.5i", checksum);
    TextString shortName;
    shortName.AssignChars(name->buffer, 3);
    shortName.AppendBytes(digits, 5);
    *name = shortName;
}

// ---------------------------------------------------------------------------
// Date

void FormatDateText(int day, int month, int year, TextString* out) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* monthName = (month >= 1 && month <= 12) ? kMonths[month - 1] : "???";
    char text[64];
    std::snprintf(text, sizeof text, "%d-%s-%04d", day, monthName, year);
    out->Assign(text);
}

void GetDateText(TextString* out) {
    std::tm local{};
    if (!GetCurrentLocalTime(&local)) {
        out->MakeEmpty();
        return;
    }
    FormatDateText(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, out);
}

// ---------------------------------------------------------------------------
// Languages

namespace {

struct LanguageEntry {
    const char* name;
    int id;
};

// Names as the RTF language lists of word processors spell them.
const LanguageEntry kLanguages[] = {
    {"English (United Kingdom)", 2057},
    {"English (United States)", 1033},
    {"No language", 1024},
    {"Afrikaans", 1078},
    {"Albanian", 1052},
    {"Basque", 1069},
    {"Belarusian", 1059},
    {"Bulgarian", 1026},
    {"Catalan", 1027},
    {"Croatian", 1050},
    {"Czech", 1029},
    {"Danish", 1030},
    {"Dutch (Belgian)", 2087},
    {"Dutch (Standard)", 1043},
    {"English (Australia)", 3081},
    {"English (Canada)", 4105},
    {"English (Carribean)", 9225},
    {"English (Ireland)", 6153},
    {"English (Jamaica)", 8201},
    {"English (New Zealand)", 5129},
    {"English (South Africa)", 7177},
    {"Estonian", 1061},
    {"Finnish", 1035},
    {"French (Belgian)", 2060},
    {"French (Canadia)", 3084},
    {"French (Luxembourg)", 5132},
    {"French (Standard)", 1036},
    {"French (Swiss)", 4108},
    {"German (Austria)", 3079},
    {"German (Liechtenstein)", 5127},
    {"German (Luxembourg)", 4103},
    {"German (Standard)", 1031},
    {"German (Swiss)", 2055},
    {"Greek", 1032},
    {"Hungarian", 1038},
    {"Icelandic", 1039},
    {"Indonesian", 1057},
    {"Italian (Standard)", 1040},
    {"Italian (Swiss)", 2064},
    {"Japanese", 1033},
    {"Korean", 1033},
    {"Latvian", 1062},
    {"Lithuanian", 1063},
    {"Macedonian (FYROM)", 1071},
    {"Malay (Malaysia)", 1086},
    {"Norwegian (Bokmal)", 1044},
    {"Norwegian (Nynorsk)", 2068},
    {"Polish", 1045},
    {"Swedish", 1053},
    {"Turkish", 1055},
    {"Ukrainian", 1058},
    {"Portuguese (Brazilian)", 1046},
    {"Portuguese (Standard)", 2070},
    {"Romanian", 1048},
    {"Russian", 1049},
    {"Serbian (Cyrillic)", 3098},
    {"Slovak", 1051},
    {"Slovenian", 1060},
    {"Spanish (Argentina)", 11274},
    {"Spanish (Bolivia)", 16394},
    {"Spanish (Chile)", 13322},
    {"Spanish (Colombia)", 9226},
    {"Spanish (Costa Rica)", 5130},
    {"Spanish (Dominican Republic)", 7178},
    {"Spanish (Ecuador)", 12298},
    {"Spanish (El Salvador)", 17418},
    {"Spanish (Guatemala)", 4106},
    {"Spanish (Honduras)", 18442},
    {"Spanish (International Sort)", 3082},
    {"Spanish (Mexico)", 2058},
    {"Spanish (Nicaragua)", 19466},
    {"Spanish (Panama)", 6154},
    {"Spanish (Paraguay)", 15370},
    {"Spanish (Peru)", 10250},
    {"Spanish (Peurto Rico)", 20490},
    {"Spanish (Traditional Sort)", 1034},
    {"Spanish (Uruguay)", 14346},
    {"Spanish (Venezuela)", 8202},
};

static_assert(sizeof kLanguages / sizeof kLanguages[0] == 78, "78 language names");

}  // namespace

int LanguageNameToId(const TextString& name, int* id) {
    for (const LanguageEntry& entry : kLanguages) {
        if (EqualIgnoringCase(name.buffer, entry.name)) {
            if (id) *id = entry.id;
            return 1;
        }
    }
    if (id) *id = 1033;
    return 0;
}

// ---------------------------------------------------------------------------
// Units

int CmToTwips(const TextString& text, int* twips) {
    double centimetres = 0.0;
    if (!text.ToReal(&centimetres)) return 0;
    const double value = centimetres * 0.39370078740157477 * 1440 + 0.5;
    // The integer part must fit an int; anything else is refused rather than
    // converted with an undefined result.
    if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0) return 0;
    *twips = static_cast<int>(value);
    return 1;
}

// ---------------------------------------------------------------------------
// Argument splitting

int SplitAtSeparators(TextString* text, const char* separators, int dropNames, TextString* out) {
    out->MakeEmpty();

    char marker = '\0';
    for (const char* candidate = "|#?/\\+^&*=~"; *candidate; ++candidate) {
        if (std::memchr(text->buffer, *candidate, static_cast<size_t>(text->length)) == nullptr) {
            marker = *candidate;
            break;
        }
    }
    if (marker == '\0') return 0;

    // The first character is only a placeholder in front of the arguments,
    // so quoting is followed from the second character on.
    auto outsideQuotes = [&](auto visit) {
        bool quoted = false;
        for (int i = 1; i < text->length; ++i) {
            if (text->buffer[i] == '"')
                quoted = !quoted;
            else if (!quoted)
                visit(i);
        }
    };

    char separator = ',';
    if (separators) {
        bool found = false;
        for (const char* s = separators; *s && !found; ++s) {
            outsideQuotes([&](int i) {
                if (text->buffer[i] == *s) found = true;
            });
            if (found) separator = *s;
        }
    }

    if (text->length > 0) text->buffer[0] = marker;
    outsideQuotes([&](int i) {
        if (text->buffer[i] == separator) text->buffer[i] = marker;
    });

    // The fields are the pieces between markers, after the leading one.
    int start = text->length > 0 ? 1 : 0;
    TextString field;
    for (;;) {
        int end = start;
        while (end < text->length && text->buffer[end] != marker) ++end;
        field.AssignSubstring(text->buffer, start, end - start);
        field.Trim(0, nullptr);
        if (dropNames) {
            int equals = -1, quote = -1;
            const bool hasEquals = field.FindChar(0, '=', &equals, 1);
            const bool hasQuote = field.FindChar(0, '"', &quote, 1);
            if (hasEquals && (!hasQuote || equals < quote)) {
                field.SubString(equals + 1, field.length - equals - 1);
                field.Trim(0, nullptr);
            }
        }
        if (field.length > 0 && field.buffer[field.length - 1] == '"') field.SubString(0, field.length - 1);
        if (field.length > 0 && field.buffer[0] == '"') field.SubString(1, field.length - 1);
        field.Replace("\"\"", "\"", 0, 1);
        out->AppendChar(marker);
        out->Append(field);
        if (end >= text->length) break;
        start = end + 1;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Character classes

namespace {

// The class of every byte for CountCharacterClasses: one of the four kinds,
// and for punctuation whether it is a rule mark or a mark.
enum CharacterKindBits : uint8_t {
    kKindPunctuation = 0,
    kKindBlank = 1,
    kKindLetter = 2,
    kKindDigit = 3,
    kKindMask = 3,
    kRuleMarkBit = 4,
    kMarkBit = 8,
};

struct CharacterKinds {
    uint8_t kind[256] = {};
    constexpr CharacterKinds() {
        for (int c = 0; c < 256; ++c) {
            if (c == ' ')
                kind[c] = kKindBlank;
            else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                kind[c] = kKindLetter;
            else if (c >= '0' && c <= '9')
                kind[c] = kKindDigit;
        }
        for (const char* m = "*-=_~"; *m; ++m) kind[static_cast<unsigned char>(*m)] |= kRuleMarkBit;
        for (const char* m = "&./:<>?"; *m; ++m) kind[static_cast<unsigned char>(*m)] |= kMarkBit;
    }
};

constexpr CharacterKinds kCharacterKinds;

// Punctuation and marks of every byte packed for one addition a byte: the
// low half of the sum counts punctuation, the high half marks.  Each half
// holds the count of a text of up to 2^32 - 1 bytes.
constexpr int kMarkCountShift = 32;
struct PunctuationSums {
    uint64_t sum[256] = {};
    constexpr PunctuationSums() {
        for (int c = 0; c < 256; ++c) {
            const uint8_t kind = kCharacterKinds.kind[c];
            if ((kind & kKindMask) != kKindPunctuation) continue;
            sum[c] = 1;
            if (kind & kMarkBit) sum[c] |= uint64_t{1} << kMarkCountShift;
        }
    }
};

constexpr PunctuationSums kPunctuationSums;

}  // namespace

namespace {

// CountCharacterClasses of the `n` bytes of a text whose length is known.
void CountCharacterClassesOf(const char* text, int n, CharacterClassCounts* counts) {
    *counts = CharacterClassCounts{};
    if (n <= 0) return;
    int first = 0;
    while (first < n && text[first] == ' ') ++first;
    int last = n - 1;
    while (last >= first && text[last] == ' ') --last;
    if (first == n) first = last = -1;
    counts->characters = n;
    counts->span = first >= 0 ? last - first + 1 : 0;

    int blanks = 0, innerBlanks = 0, ruleMarks = 0, punctuation = 0, letters = 0, digits = 0, letterChanges = 0,
        marks = 0, letterRepeats = 0;
    char previous = '\0';
    bool previousLetter = false;
    for (int i = 0; i < n; ++i) {
        const char c = text[i];
        const uint8_t kind = kCharacterKinds.kind[static_cast<unsigned char>(c)];
        switch (kind & kKindMask) {
            case kKindBlank:
                ++blanks;
                if (i > first && i < last) ++innerBlanks;
                if (previousLetter) ++letterChanges;
                previousLetter = false;
                break;
            case kKindLetter:
                ++letters;
                if (i > 0) {
                    if (previous == ' ') ++letterChanges;
                    if (previousLetter && previous != c) ++letterChanges;
                    if (previous == c) ++letterRepeats;
                }
                previousLetter = true;
                break;
            case kKindDigit:
                ++digits;
                previousLetter = false;
                break;
            default:
                ++punctuation;
                if (kind & kRuleMarkBit) ++ruleMarks;
                if (kind & kMarkBit) ++marks;
                previousLetter = false;
                break;
        }
        previous = c;
    }
    counts->blanks = blanks;
    counts->innerBlanks = innerBlanks;
    counts->ruleMarks = ruleMarks;
    counts->punctuation = punctuation;
    counts->letters = letters;
    counts->digits = digits;
    counts->letterChanges = letterChanges;
    counts->marks = marks;
    counts->letterRepeats = letterRepeats;
}

}  // namespace

void CountCharacterClasses(const char* text, CharacterClassCounts* counts) {
    CountCharacterClassesOf(text, text ? static_cast<int>(std::strlen(text)) : 0, counts);
}

void CountCharacterClasses(const char* text, int* characters, int* span, int* blanks, int* innerBlanks,
                           int* ruleMarks, int* punctuation, int* letters, int* digits, int* letterChanges,
                           int* marks, int* letterRepeats) {
    CharacterClassCounts counts;
    CountCharacterClasses(text, &counts);
    if (characters) *characters = counts.characters;
    if (span) *span = counts.span;
    if (blanks) *blanks = counts.blanks;
    if (innerBlanks) *innerBlanks = counts.innerBlanks;
    if (ruleMarks) *ruleMarks = counts.ruleMarks;
    if (punctuation) *punctuation = counts.punctuation;
    if (letters) *letters = counts.letters;
    if (digits) *digits = counts.digits;
    if (letterChanges) *letterChanges = counts.letterChanges;
    if (marks) *marks = counts.marks;
    if (letterRepeats) *letterRepeats = counts.letterRepeats;
}

bool IsMostlyPunctuation(const char* text) {
    if (!text || !*text) return false;
    // A span of twenty characters or more is judged by its own rule.
    constexpr size_t kLongSpan = 20;
    // Such a text whose punctuation is no more than half its characters and
    // a quarter of its span is told by the punctuation alone (as most lines
    // of prose are); its blanks and repeated letters are counted only when
    // they can matter.
    const size_t n = std::strlen(text);
    if (n >= kLongSpan) {
        uint64_t sums = 0;
        for (size_t i = 0; i < n; ++i) sums += kPunctuationSums.sum[static_cast<unsigned char>(text[i])];
        const uint64_t punctuation = sums & 0xFFFFFFFFu;
        const uint64_t marks = sums >> kMarkCountShift;
        const uint64_t counted = 4 * marks > 3 * punctuation ? punctuation - marks : punctuation;
        size_t first = 0;
        while (first < n && text[first] == ' ') ++first;
        size_t last = n;
        while (last > first && text[last - 1] == ' ') --last;
        if (last - first >= kLongSpan && counted <= n / 2 && 4 * counted <= last - first) return false;
    }
    // The rest of the test weighs five of the counts of CountCharacterClasses
    // only (span, punctuation, marks, inner blanks and repeated letters):
    // they are counted here in one pass of a few operations a byte, the test
    // running on nearly every line.  The inner blanks are the blanks less
    // those before the first and after the last non-blank.
    uint64_t sums = 0;
    size_t blanks = 0, letterRepeats = 0;
    unsigned char previous = '\0';
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        sums += kPunctuationSums.sum[c];
        blanks += c == ' ';
        letterRepeats += c == previous && (kCharacterKinds.kind[c] & kKindMask) == kKindLetter;
        previous = c;
    }
    size_t first = 0;
    while (first < n && text[first] == ' ') ++first;
    size_t last = n;
    while (last > first && text[last - 1] == ' ') --last;
    const int characters = static_cast<int>(n);
    const int span = static_cast<int>(last - first);
    const int innerBlanks = static_cast<int>(blanks - first - (n - last));
    int p = static_cast<int>(sums & 0xFFFFFFFFu);
    const int marks = static_cast<int>(sums >> kMarkCountShift);
    if (4 * marks > 3 * p) p -= marks;
    const int c = p + innerBlanks + static_cast<int>(letterRepeats);
    if (span <= 3) return (p > 0 && p == span) || (p > 1 && c == span);
    if (span >= static_cast<int>(kLongSpan)) return characters / 2 < p || (span < 4 * p && 3 * c >= span);
    return 3 * p >= 2 * span || (span < 3 * p && 3 * c >= 2 * span) || (p > 0 && 5 * c >= 4 * span) || c >= span - 1;
}

bool IsRuleLine(const char* text) {
    if (!text || !*text) return false;
    auto isRule = [](char c) { return c == '-' || c == '=' || c == '_'; };
    bool ruleAfterFirst = false;
    for (int i = 0; text[i]; ++i) {
        const char c = text[i];
        const char previous = i > 0 ? text[i - 1] : '\0';
        if (isRule(c)) {
            // A run continues with its own character or starts afresh at the
            // beginning or after a blank.
            if (i > 0 && previous != ' ' && previous != c) return false;
            if (i > 0) ruleAfterFirst = true;
        } else if (c == ' ') {
            if (i > 0 && !isRule(previous)) return false;
        } else {
            return false;
        }
    }
    return ruleAfterFirst;
}

int WordEnd(const char* bytes, int i, int n) {
    // Sixteen bytes are looked at together while that many are left.
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)));
        if (found) return i + __builtin_ctz(static_cast<unsigned>(found));
    }
#endif
    while (i < n && bytes[i] != ' ' && bytes[i] != '\t') ++i;
    return i;
}
