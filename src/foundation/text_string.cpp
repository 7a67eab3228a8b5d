#include "foundation/text_string.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool SameByte(char a, char b, int caseSensitive) {
    return caseSensitive ? a == b : ToUpperAscii(a) == ToUpperAscii(b);
}

int SafeStrlen(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

// The length of a C text a text grows by; TextTooLarge for one no text may
// hold (whose length would not even fit an int).
int GrowingStrlen(const char* text) {
    if (!text) return 0;
    const size_t n = std::strlen(text);
    if (n > static_cast<size_t>(kMaxTextLength)) ThrowTextTooLarge(static_cast<int64_t>(n));
    return static_cast<int>(n);
}

// What a TextTooLarge says of `subject`.
std::string TooLargeText(int64_t wanted, const std::string& subject) {
    return subject + " would be " + std::to_string(wanted) + " bytes long, more than the 2 GiB a text may hold";
}

}  // namespace

// ---------------------------------------------------------------------------
// The limit

TextTooLarge::TextTooLarge(int64_t wanted) : TextTooLarge(wanted, "a text") { named_ = false; }

TextTooLarge::TextTooLarge(int64_t wanted, const std::string& subject)
    : std::length_error(TooLargeText(wanted, subject)), wanted_(wanted), named_(true) {}

TextTooLarge TextTooLarge::Naming(const std::string& subject) const {
    return named_ ? *this : TextTooLarge(wanted_, subject);
}

void ThrowTextTooLarge(int64_t wanted) { throw TextTooLarge(wanted); }

// ---------------------------------------------------------------------------
// Construction and assignment

namespace {

// The buffer of every text that has never held a byte: an empty string costs
// no allocation.  Nothing but its terminating NUL is ever in it (see
// SetLength), and a text that grows leaves it for a buffer of its own.
char gEmptyBuffer[1] = {'\0'};

// Heap blocks come in 16-byte steps with an 8-byte header; sizes of 16k + 8
// use the whole block.
int64_t FittedSize(int64_t size) {
    if (size < 24) return 24;
    return (size + 8 + 15) / 16 * 16 - 8;
}

}  // namespace

TextString::TextString() : buffer(gEmptyBuffer), length(0), capacity(0) {}

TextString::TextString(const TextString& other) : TextString() {
    // A copy ends at the first NUL, as a C text does.
    AssignChars(other.buffer, static_cast<int>(std::strlen(other.buffer)));
}

TextString::TextString(TextString&& other) noexcept
    : buffer(other.buffer), length(other.length), capacity(other.capacity) {
    other.buffer = gEmptyBuffer;
    other.length = 0;
    other.capacity = 0;
}

TextString::TextString(const char* text) : TextString() { Assign(text); }

TextString::TextString(int value) : TextString() { AppendNumber('1', value, 0); }

TextString::TextString(std::string_view text) : TextString() {
    AssignChars(text.data(), GrownLength(0, static_cast<int64_t>(text.size())));
}

TextString::~TextString() {
    if (buffer != gEmptyBuffer) std::free(buffer);
    buffer = nullptr;
    length = 0;
    capacity = 0;
}

// A copy that needs a larger buffer (two texts never share a heap buffer).
TextString& TextString::CopyGrowing(const TextString& other) {
    if (this != &other) AssignChars(other.buffer, other.length);
    return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
    if (this != &other) {
        if (buffer != gEmptyBuffer) std::free(buffer);
        buffer = other.buffer;
        length = other.length;
        capacity = other.capacity;
        other.buffer = gEmptyBuffer;
        other.length = 0;
        other.capacity = 0;
    }
    return *this;
}

TextString& TextString::operator=(const char* text) {
    Assign(text);
    return *this;
}

int TextString::BufferSize() const { return buffer == gEmptyBuffer ? 0 : capacity + 2; }

// A text gets a buffer that fits it; when it grows beyond a buffer it
// already had, the new one is half as large again (up to the largest a text
// may have), so that a text built by appending costs time in proportion to
// its length.  Buffers come from malloc and grow with realloc: a large one
// (a cell that collects a whole text, a line of many megabytes) is then
// moved by the system without its bytes being copied and its pages touched
// again.
void TextString::Reserve(int64_t n) {
    if (capacity >= n) return;
    if (n > kMaxTextLength) ThrowTextTooLarge(n);
    int64_t wanted = n + 2;
    if (buffer != gEmptyBuffer && buffer != nullptr) {
        const int64_t grown = static_cast<int64_t>(capacity) + 2 + (static_cast<int64_t>(capacity) + 2) / 2;
        if (grown > wanted) wanted = grown;
    }
    const int64_t size = std::min<int64_t>(FittedSize(wanted), int64_t{kMaxTextLength} + 2);
    const bool owned = buffer != gEmptyBuffer && buffer != nullptr;
    char* fresh = static_cast<char*>(owned ? std::realloc(buffer, static_cast<size_t>(size))
                                           : std::malloc(static_cast<size_t>(size)));
    if (!fresh) throw std::bad_alloc();
    if (!owned) length = 0;
    fresh[length] = '\0';
    buffer = fresh;
    capacity = static_cast<int32_t>(size - 2);
}

int TextString::Assign(const char* text) {
    if (text == buffer) return 1;
    int n = GrowingStrlen(text);
    Reserve(n);
    if (n > 0) std::memmove(buffer, text, static_cast<size_t>(n));
    SetLength(n);
    return 1;
}

int TextString::AssignCharsGrowing(const char* source, int n) {
    if (n < 0 || source == nullptr) n = 0;
    if (source == buffer) {
        if (n <= length) SetLength(n);
        return 1;
    }
    Reserve(n);
    if (n > 0) std::memmove(buffer, source, static_cast<size_t>(n));
    SetLength(n);
    return 1;
}

// A null source is the empty text; the start is clamped to the source and the
// length is what was actually copied, so nothing beyond the source is read
// (nor beyond the last byte the copy can need).
int TextString::AssignSubstring(const char* source, int start, int n) {
    if (source == nullptr) {
        MakeEmpty();
        return 1;
    }
    if (start < 0) start = 0;
    const size_t limit = n < 0 ? SIZE_MAX : static_cast<size_t>(start) + static_cast<size_t>(n);
    int sourceLength = static_cast<int>(strnlen(source, limit));
    if (start > sourceLength) start = sourceLength;
    int available = sourceLength - start;
    if (n < 0 || n > available) n = available;
    if (source + start >= buffer && source + start < buffer + BufferSize()) {
        TextString copy;  // the source lies inside our own buffer
        copy.AssignChars(source + start, n);
        AssignChars(copy.buffer, n);
        return 1;
    }
    AssignChars(source + start, n);
    return 1;
}

// ---------------------------------------------------------------------------
// Appending

int TextString::AppendChar(char c) {
    Reserve(int64_t{length} + 1);
    buffer[length] = c;
    SetLength(length + 1);
    return 1;
}

int TextString::Append(const char* text) {
    if (!text || !*text) return 1;
    return AppendBytes(text, GrowingStrlen(text));
}

int TextString::AppendBytes(const char* text, int n) {
    if (!text || n <= 0) return 1;
    if (n <= capacity - length) {
        // The bytes fit the buffer we have (so it is our own); memmove
        // copies them rightly even when they lie in this text itself.
        std::memmove(buffer + length, text, static_cast<size_t>(n));
        SetLength(length + n);
        return 1;
    }
    if (text >= buffer && text < buffer + BufferSize()) {
        TextString copy;
        copy.AssignChars(text, n);
        return AppendBytes(copy.buffer, n);
    }
    Reserve(int64_t{length} + n);
    std::memcpy(buffer + length, text, static_cast<size_t>(n));
    SetLength(length + n);
    return 1;
}

// Numbering styles: 'a'/'A' bijective base 26 (a .. zzz), 'i'/'I' roman
// numerals, anything else decimal.  Values that a style cannot show (negative
// letters or roman numerals, letters past "zzz") append nothing.
int TextString::AppendNumber(char style, int value, int addBlank) {
    if (style == 'a' || style == 'A') {
        if (value > 0 && value <= 18278) {
            // Bijective base 26: a zero digit borrows 26 from the digit on its left.
            char letters[4] = {0, 0, 0, 0};
            int n = 0;
            for (int v = value; v > 0; v = (v - 1) / 26) letters[n++] = static_cast<char>('a' + (v - 1) % 26);
            while (n > 0) {
                char c = letters[--n];
                AppendChar(style == 'A' ? ToUpperAscii(c) : c);
            }
        }
    } else if (style == 'i' || style == 'I') {
        if (value > 0) {
            static const char* const kHundreds[] = {"", "c", "cc", "ccc", "cd", "d", "dc", "dcc", "dccc", "cm"};
            static const char* const kTens[] = {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"};
            static const char* const kUnits[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
            static const char* const kThousands[] = {"", "m", "mm", "mmm"};
            TextString roman;
            int thousands = value / 1000;
            if (thousands >= 1 && thousands <= 3) roman.Append(kThousands[thousands]);
            roman.Append(kHundreds[value % 1000 / 100]);
            roman.Append(kTens[value % 100 / 10]);
            roman.Append(kUnits[value % 10]);
            if (style == 'I') {
                for (int i = 0; i < roman.length; ++i) roman.buffer[i] = ToUpperAscii(roman.buffer[i]);
            }
            Append(roman.buffer);
        }
    } else {
        // As "%i" writes it; numbers are written for every table row and cell.
        char text[16];
        const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
        AppendBytes(text, static_cast<int>(end.ptr - text));
    }
    if (addBlank) AppendChar(' ');
    return 1;
}

int TextString::AppendReal(double value, int addBlank) {
    char text[512];
    std::snprintf(text, sizeof text, "%18.3f", value);
    TextString formatted(text);
    formatted.Trim(0, " ");
    Append(formatted.buffer);
    if (addBlank) AppendChar(' ');
    return 1;
}

TextString TextString::operator+=(const TextString& other) {
    Append(other);
    return *this;
}

TextString TextString::operator+=(const char* text) {
    Append(text);
    return *this;
}

TextString TextString::operator+=(int value) {
    AppendNumber('1', value, 0);
    return *this;
}

TextString TextString::operator+(const TextString& other) const {
    TextString result(*this);
    result.Append(other);
    return result;
}

TextString TextString::operator+(const char* text) const {
    TextString result(*this);
    result.Append(text);
    return result;
}

TextString operator+(const char* text, const TextString& string) {
    TextString result(text);
    result.Append(string);
    return result;
}

std::ostream& operator<<(std::ostream& stream, const TextString& string) {
    return stream.write(string.buffer, string.length);
}

bool operator==(const TextString& a, const TextString& b) { return a.view() == b.view(); }
bool operator==(const TextString& a, const char* b) { return b && a.view() == std::string_view(b); }

// ---------------------------------------------------------------------------
// Comparing and searching

bool TextString::Matches(const char* text, int caseSensitive, int ignoreBlanks) const {
    if (!text) return false;
    if (!ignoreBlanks) {
        int n = SafeStrlen(text);
        if (n != length) return false;
        for (int i = 0; i < n; ++i)
            if (!SameByte(buffer[i], text[i], caseSensitive)) return false;
        return true;
    }
    const char* a = buffer;
    const char* b = text;
    for (;;) {
        while (IsBlankOrTab(*a)) ++a;
        while (IsBlankOrTab(*b)) ++b;
        if (!*a || !*b) return true;
        if (!SameByte(*a, *b, caseSensitive)) return false;
        ++a;
        ++b;
    }
}

bool TextString::StartsWith(const char* prefix, int caseSensitive) const {
    if (!prefix || !*prefix || length == 0) return false;
    int n = SafeStrlen(prefix);
    if (length < n) return false;
    return MatchAt(0, prefix, n, caseSensitive);
}

bool TextString::MatchAt(int pos, const char* pattern, int patternLength, int caseSensitive) const {
    if (pos < 0 || pos + patternLength > length) return false;
    if (caseSensitive) return std::memcmp(buffer + pos, pattern, static_cast<size_t>(patternLength)) == 0;
    for (int j = 0; j < patternLength; ++j)
        if (!SameByte(buffer[pos + j], pattern[j], 0)) return false;
    return true;
}

namespace {

// The first position at or after `from` (and before `end`) of a byte that
// equals `c` in either case: one scan for letters, memchr for other bytes.
const char* FindByteNoCase(const char* from, const char* end, char c) {
    if (from >= end) return nullptr;
    if (!IsAsciiLetter(static_cast<unsigned char>(c)))
        return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
    // For an ASCII letter, setting bit 0x20 maps exactly its two cases onto
    // the lower-case letter: sixteen bytes at a time where the processor
    // compares vectors of bytes (SSE2), the rest one by one.
    const char lower = ToLowerAscii(c);
    const char* p = from;
#if defined(__SSE2__)
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i wanted = _mm_set1_epi8(lower);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fold);
        const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        if (found != 0) return p + __builtin_ctz(found);
    }
#endif
    for (; p < end; ++p)
        if (static_cast<char>(*p | 0x20) == lower) return p;
    return nullptr;
}

}  // namespace

bool TextString::Find(int start, const char* text, int* position, int caseSensitive) const {
    if (position) *position = -1;
    if (start < 0 || start > length || !text || !*text || length == 0) return false;
    int n = SafeStrlen(text);
    if (caseSensitive) {
        std::string_view hay = view();
        size_t at = hay.find(std::string_view(text, static_cast<size_t>(n)), static_cast<size_t>(start));
        if (at == std::string_view::npos) return false;
        if (position) *position = static_cast<int>(at);
        return true;
    }
    if (n > length - start) return false;
    // Candidates are the places of the first byte; the rest is compared there.
    const char* last = buffer + (length - n) + 1;  // one past the last possible start
    for (const char* p = FindByteNoCase(buffer + start, last, text[0]); p;
         p = FindByteNoCase(p + 1, last, text[0])) {
        int j = 1;
        while (j < n && SameByte(p[j], text[j], 0)) ++j;
        if (j == n) {
            if (position) *position = static_cast<int>(p - buffer);
            return true;
        }
    }
    return false;
}

bool TextString::FindChar(int start, char c, int* position, int caseSensitive) const {
    if (position) *position = -1;
    if (start < 0 || start > length || length == 0) return false;
    const char* end = buffer + length;
    const char* at =
        caseSensitive ? static_cast<const char*>(std::memchr(buffer + start, c, static_cast<size_t>(length - start)))
                      : FindByteNoCase(buffer + start, end, c);
    if (!at) return false;
    if (position) *position = static_cast<int>(at - buffer);
    return true;
}

char* TextString::FindNoCase(const char* text) const {
    int position = -1;
    if (!text || !*text) return nullptr;
    if (!Find(0, text, &position, 0)) return nullptr;
    return buffer + position;
}

int TextString::CountChar(char c) const {
    // From one occurrence to the next: the byte counted is mostly rare.
    int count = 0;
    const char* end = buffer + length;
    for (const char* p = buffer; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)));
        if (!p) break;
        ++count;
    }
    return count;
}

int CompareTextN(const char* a, const char* b, int n, int ignoreCase) {
    if (n <= 0) return 0;
    if (!a) return b ? -1 : 0;
    if (!b) return 1;
    for (int i = 0; i < n; ++i) {
        char ca = a[i];
        char cb = b[i];
        if (!ca && cb) return -1;
        if (ca && !cb) return 1;
        if (!ca && !cb) return 0;
        if (ca == cb || (ignoreCase && ToUpperAscii(ca) == ToUpperAscii(cb))) continue;
        // Differing bytes order by their value read as signed bytes.
        return static_cast<signed char>(ca) < static_cast<signed char>(cb) ? -1 : 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Predicates

bool TextString::HasNoLetters() const {
    for (int i = 0; i < length; ++i)
        if (IsAsciiLetter(static_cast<unsigned char>(buffer[i]))) return false;
    return true;
}

bool TextString::HasNoAlphanumerics() const {
    for (int i = 0; i < length; ++i)
        if (IsAsciiAlnum(static_cast<unsigned char>(buffer[i]))) return false;
    return true;
}

bool TextString::IsUpperCase() const {
    for (int i = 0; i < length; ++i)
        if (IsAsciiLower(static_cast<unsigned char>(buffer[i]))) return false;
    return true;
}

bool TextString::ContainsNoneOf(const char* set) const {
    if (!set) return true;
    for (int i = 0; i < length; ++i)
        if (buffer[i] && std::strchr(set, buffer[i])) return false;
    return true;
}

// ---------------------------------------------------------------------------
// Fields

namespace {

// Does the field that uses `delimiter` end at p?
bool IsFieldEnd(const char* p, char delimiter) {
    char c = *p;
    if (delimiter == ' ') return IsBlankOrTab(c);
    if (static_cast<unsigned char>(delimiter) == 0xBF) {
        return IsBlankOrTab(c) || c == ',' || c == ';' || c == '<' || c == '>' ||
               static_cast<unsigned char>(c) == 0xBF || std::strncmp(p, "&lt;", 4) == 0 ||
               std::strncmp(p, "&gt;", 4) == 0;
    }
    return c == delimiter;
}

}  // namespace

bool TextString::GetFieldFrom(const char* start, int n, char delimiter, TextString* out, int* offset) const {
    const char* end = buffer + length;
    if (n <= 0 || start == nullptr || start < buffer || start >= end) {
        if (out) out->MakeEmpty();
        return false;
    }
    const char* p = start;
    for (int field = 1; field < n; ++field) {
        if (delimiter == ' ') {
            while (p < end && *p && !IsBlankOrTab(*p)) ++p;
            if (p < end && *p)
                while (p < end && IsBlankOrTab(*p)) ++p;
            else
                p = end;
        } else {
            while (p < end && *p && *p != delimiter) ++p;
            p = (p < end && *p) ? p + 1 : end;
        }
        if (p >= end || !*p) {
            if (out) out->MakeEmpty();
            return false;
        }
    }
    const char* fieldEnd = p;
    while (fieldEnd < end && *fieldEnd && !IsFieldEnd(fieldEnd, delimiter)) ++fieldEnd;
    if (offset) *offset = static_cast<int>(p - start);
    if (out) {
        if (out == this) {
            TextString copy;
            copy.AssignChars(p, static_cast<int>(fieldEnd - p));
            *out = copy;
        } else {
            out->AssignChars(p, static_cast<int>(fieldEnd - p));
        }
    }
    return true;
}

bool TextString::GetField(int n, char delimiter, TextString* out) const {
    int offset = 0;
    return GetFieldFrom(buffer, n, delimiter, out, &offset);
}

bool TextString::GetFieldWithOffset(int n, char delimiter, TextString* out, int* offset) const {
    return GetFieldFrom(buffer, n, delimiter, out, offset);
}

bool TextString::GetNextField(int* position, char delimiter, TextString* out) const {
    bool ok = false;
    if (*position >= 0 && *position < length) {
        int offset = 0;
        ok = GetFieldFrom(buffer + *position, 1, delimiter, out, &offset);
        if (ok) *position += out->length + 1;
    } else if (out) {
        out->MakeEmpty();
    }
    if (*position > length) *position = length;
    return ok;
}

// ---------------------------------------------------------------------------
// Editing in place

bool TextString::InsertChar(int position, char c) {
    if (position < 0 || position > length) return false;
    Reserve(int64_t{length} + 1);
    std::memmove(buffer + position + 1, buffer + position, static_cast<size_t>(length - position));
    buffer[position] = c;
    SetLength(length + 1);
    return true;
}

int TextString::Insert(int position, const char* text) {
    if (position < 0 || position > length) return 0;
    int n = GrowingStrlen(text);
    if (n == 0) return 1;
    TextString copy(text);  // the text may lie inside our own buffer
    Reserve(int64_t{length} + n);
    std::memmove(buffer + position + n, buffer + position, static_cast<size_t>(length - position));
    std::memcpy(buffer + position, copy.buffer, static_cast<size_t>(n));
    SetLength(length + n);
    return 1;
}

bool TextString::RemoveChar(int start, char c, int maxCount) {
    if (start < 0 || start > length) return false;
    int removed = 0;
    int write = start;
    for (int read = start; read < length; ++read) {
        if (buffer[read] == c && (maxCount <= 0 || removed < maxCount)) {
            ++removed;
            continue;
        }
        buffer[write++] = buffer[read];
    }
    SetLength(write);
    return maxCount <= 0 || removed == maxCount;
}

bool TextString::ReplaceChar(int start, char from, char to, int maxCount) {
    if (length == 0) return true;
    if (start < 0 || start > length) return false;
    int replaced = 0;
    for (int i = start; i < length; ++i) {
        if (maxCount > 0 && replaced >= maxCount) break;
        if (buffer[i] == from) {
            buffer[i] = to;
            ++replaced;
        }
    }
    return maxCount <= 0 || replaced == maxCount;
}

bool TextString::Replace(const char* find, const char* with, int maxCount, int caseSensitive) {
    return ReplaceFrom(0, find, with, maxCount, caseSensitive, nullptr, nullptr);
}

// Replaces occurrences of `find` at or after `start`.  A failed partial match
// resumes one byte after the byte where it began (as Find does), so patterns
// whose start repeats inside them are found.  The result is built in one pass,
// so many replacements in a long text cost time in proportion to its length.
bool TextString::ReplaceFrom(int start, const char* find, const char* with, int maxCount, int caseSensitive,
                             const char* mask, int* count) {
    if (start < 0 || start > length || !find || !*find || (!with && !mask)) return false;
    if (length == 0) return true;
    int n = SafeStrlen(find);
    int replaced = 0;
    if (!with) {
        char fill = mask[0];
        for (int i = start; i + n <= length;) {
            if (maxCount > 0 && replaced >= maxCount) break;
            if (MatchAt(i, find, n, caseSensitive)) {
                std::memset(buffer + i, fill, static_cast<size_t>(n));
                ++replaced;
                if (count) ++*count;
                i += n;
            } else {
                ++i;
            }
        }
        return maxCount <= 0 || replaced == maxCount;
    }
    const int withLength = SafeStrlen(with);
    // The leftmost occurrence at or after `from`, or -1: the occurrences a
    // scan from left to right meets, each taken whole before the next.
    auto next = [&](int from) -> int {
        if (from + n > length) return -1;
        if (caseSensitive) {
            const size_t at = view().find(std::string_view(find, static_cast<size_t>(n)), static_cast<size_t>(from));
            return at == std::string_view::npos ? -1 : static_cast<int>(at);
        }
        const char* last = buffer + (length - n) + 1;  // one past the last possible start
        for (const char* p = FindByteNoCase(buffer + from, last, find[0]); p;
             p = FindByteNoCase(p + 1, last, find[0]))
            if (MatchAt(static_cast<int>(p - buffer), find, n, 0)) return static_cast<int>(p - buffer);
        return -1;
    };
    // Most texts hold nothing to replace: they are left without a copy.
    int found = next(start);
    if (found < 0) return maxCount <= 0;
    const std::string replacement(with, static_cast<size_t>(withLength));  // `with` may point into our buffer
    std::string result;
    int i = start;  // the bytes before i are settled
    while (maxCount <= 0 || replaced < maxCount) {
        const int at = found >= 0 ? found : next(i);
        found = -1;
        if (at < 0) break;
        if (replaced == 0) {
            result.reserve(static_cast<size_t>(length) + replacement.size());
            result.append(buffer, static_cast<size_t>(i));
        }
        result.append(buffer + i, static_cast<size_t>(at - i));
        result.append(replacement);
        // A text replaced into one too long is refused before it is made.
        if (result.size() > static_cast<size_t>(kMaxTextLength))
            ThrowTextTooLarge(static_cast<int64_t>(result.size()) + (length - at - n));
        ++replaced;
        if (count) ++*count;
        i = at + n;
    }
    if (replaced > 0) {
        result.append(buffer + i, static_cast<size_t>(length - i));
        Reserve(static_cast<int64_t>(result.size()));
        std::memcpy(buffer, result.data(), result.size());
        SetLength(static_cast<int>(result.size()));
    }
    return maxCount <= 0 || replaced == maxCount;
}

bool TextString::SubString(int index, int n) {
    if (index < 0 || index > length) return false;
    if (n < 0) n = 0;
    if (index + n > length) n = length - index;
    if (index > 0 && n > 0) std::memmove(buffer, buffer + index, static_cast<size_t>(n));
    SetLength(n);
    return true;
}

int TextString::Trim(int trailingOnly, const char* set) {
    // Most texts trimmed of blanks (cells, fields) have none at either end.
    if (length > 0 && set && set[0] == ' ' && set[1] == '\0' && !IsBlankOrTab(buffer[0]) &&
        !IsBlankOrTab(buffer[length - 1]))
        return 1;
    if (!set) set = " ";
    if ((set[0] == ' ' && (set[1] == '\0' || (set[1] == '\t' && set[2] == '\0'))) ||
        (set[0] == '\t' && set[1] == ' ' && set[2] == '\0')) {
        // Blanks and tabs (a blank in the set brings the tab), the common case.
        int first = 0;
        if (!trailingOnly)
            while (first < length && IsBlankOrTab(buffer[first])) ++first;
        int last = length;
        while (last > first && IsBlankOrTab(buffer[last - 1])) --last;
        if (first == 0 && last == length) return 1;
        if (last > first && first > 0) std::memmove(buffer, buffer + first, static_cast<size_t>(last - first));
        SetLength(last - first);
        return 1;
    }
    // The bytes to trim: those of the set, and a tab when a blank is in it.
    bool trimmed[256] = {};
    for (const char* c = set; *c; ++c) trimmed[static_cast<unsigned char>(*c)] = true;
    if (trimmed[static_cast<unsigned char>(' ')]) trimmed[static_cast<unsigned char>('\t')] = true;
    auto inSet = [&](char c) { return trimmed[static_cast<unsigned char>(c)]; };
    int first = 0;
    if (!trailingOnly)
        while (first < length && inSet(buffer[first])) ++first;
    int last = length - 1;
    while (last >= first && inSet(buffer[last])) --last;
    if (first == 0 && last == length - 1) return 1;
    int n = last >= first ? last - first + 1 : 0;
    if (n > 0 && first > 0) std::memmove(buffer, buffer + first, static_cast<size_t>(n));
    SetLength(n);
    return 1;
}

int TextString::CollapseBlanks() {
    // Most texts (tags, their arguments) hold no run of blanks: they are
    // only read, up to the second blank of the first run.
    int read = 1;
    while (read < length && !(IsBlankOrTab(buffer[read]) && IsBlankOrTab(buffer[read - 1]))) ++read;
    if (read >= length) return 1;
    int write = read;
    bool previousBlank = true;
    for (; read < length; ++read) {
        bool blank = IsBlankOrTab(buffer[read]);
        if (!(blank && previousBlank)) buffer[write++] = buffer[read];
        previousBlank = blank;
    }
    SetLength(write);
    return 1;
}

int64_t ColumnAfterTabs(std::string_view text, int tabWidth, int64_t column) {
    if (tabWidth < 1) return column + static_cast<int64_t>(text.size());
    for (const char c : text) column += c == '\t' ? tabWidth - column % tabWidth : 1;
    return column;
}

void TextString::ExpandTabs(int tabWidth) {
    if (tabWidth < 1) return;
    const void* firstTab = std::memchr(buffer, '\t', static_cast<size_t>(length));
    if (!firstTab) return;
    // Each tab becomes 1 to tabWidth blanks.  The text from its first tab on
    // is moved to the end of room for the longest it can grow to, and
    // kExpandSlack bytes more, and expanded forward from there in place (a
    // tab-delimited file expands every line, in the buffer the line is read
    // into).  What is written stays kExpandSlack bytes or more behind what
    // is still to be read, so that sixteen bytes are stored at a time.
    constexpr int64_t kExpandSlack = 16;
    const auto head = static_cast<const char*>(firstTab) - buffer;
    const int64_t tabs = std::count(buffer + head, buffer + length, '\t');
    int64_t slack = kExpandSlack;
    int64_t most = int64_t{length} + tabs * (tabWidth - 1) + slack;
    if (most > kMaxTextLength) {
        // A line of a gigabyte or more: room for what it expands to exactly,
        // counted before anything is moved (what is written then still
        // stays behind what is read, as the text grows at every tab).  A
        // text that only just fits is expanded a byte at a time, without
        // the slack.
        const int64_t expanded =
            ColumnAfterTabs(std::string_view(buffer + head, static_cast<size_t>(length - head)), tabWidth, head);
        if (expanded > kMaxTextLength) ThrowTextTooLarge(expanded);
        if (expanded + slack > kMaxTextLength) slack = 0;
        most = expanded + slack;
    }
    Reserve(most);
    const int64_t shift = most - length;
    std::memmove(buffer + head + shift, buffer + head, static_cast<size_t>(length - head));
    const char* in = buffer + head + shift;
    const char* const end = buffer + most;
    char* out = buffer + head;
    auto expandTab = [&] {
        const int64_t blanks = tabWidth - (out - buffer) % tabWidth;
        if (blanks <= kExpandSlack && slack > 0)
            std::memset(out, ' ', kExpandSlack);
        else
            std::memset(out, ' ', static_cast<size_t>(blanks));
        out += blanks;
    };
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8('\t');
    while (slack > 0 && end - in >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab)));
        if (found == 0) {
            in += 16;
            out += 16;
            continue;
        }
        const int before = __builtin_ctz(found);
        in += before + 1;
        out += before;
        expandTab();
    }
#endif
    while (in < end) {
        const char c = *in++;
        if (c == '\t')
            expandTab();
        else
            *out++ = c;
    }
    SetLength(static_cast<int>(out - buffer));
}

void TextString::RemoveCharClass(int kind) {
    if (kind < 1 || kind > 4) return;
    int write = 0;
    for (int read = 0; read < length; ++read) {
        unsigned char c = static_cast<unsigned char>(buffer[read]);
        bool remove = false;
        switch (kind) {
            case 1: remove = IsAsciiLetter(c); break;
            case 2: remove = IsAsciiDigit(c); break;
            case 3: remove = !IsAsciiAlnum(c) && c != ' ' && c != '\t'; break;
            case 4: remove = c == ' ' || c == '\t' || c == '\r' || c == '\n'; break;
        }
        if (!remove) buffer[write++] = buffer[read];
    }
    SetLength(write);
}

// ---------------------------------------------------------------------------
// Conversion to numbers

namespace {

// Finds the number inside `text`: skips leading bytes that cannot start a
// number and trailing bytes that cannot end one, failing on any letter met.
// `allowPoint` says whether '.' belongs to the number.
bool LocateNumber(const TextString& text, bool allowPoint, int* first, int* last) {
    auto startsNumber = [&](unsigned char c) {
        return IsAsciiDigit(c) || c == '+' || c == '-' || (allowPoint && c == '.');
    };
    auto endsNumber = [&](unsigned char c) { return IsAsciiDigit(c) || (allowPoint && c == '.'); };
    int s = 0;
    while (s < text.length && !startsNumber(static_cast<unsigned char>(text.buffer[s]))) {
        if (IsAsciiLetter(static_cast<unsigned char>(text.buffer[s]))) return false;
        ++s;
    }
    int e = text.length;
    while (e >= s && e >= 0 && !endsNumber(static_cast<unsigned char>(text.buffer[e]))) {
        if (IsAsciiLetter(static_cast<unsigned char>(text.buffer[e]))) return false;
        --e;
    }
    if (s > e || s >= text.length) return false;
    *first = s;
    *last = e;
    return true;
}

}  // namespace

bool TextString::ToReal(double* out) const {
    *out = -1.0;
    int s = 0, e = 0;
    if (!LocateNumber(*this, true, &s, &e)) return false;
    int points = 0;
    bool digits = false;
    for (int i = s; i <= e; ++i) {
        char c = buffer[i];
        if (c == '.') {
            if (++points > 1) return false;
        } else if (c == '+' || c == '-') {
            if (i != s) return false;
        } else if (IsAsciiDigit(static_cast<unsigned char>(c))) {
            digits = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    std::string number(buffer + s, static_cast<size_t>(e - s + 1));
    double value = 0;
    if (std::sscanf(number.c_str(), "%lf", &value) != 1) return false;
    *out = value;
    return true;
}

bool TextString::ToInteger(char style, int* out) const {
    *out = -1;
    if (style == '1' || style == 'O') {
        int s = 0, e = 0;
        if (!LocateNumber(*this, false, &s, &e)) return false;
        bool digits = false;
        for (int i = s; i <= e; ++i) {
            char c = buffer[i];
            if (c == '+' || c == '-') {
                if (i != s) return false;
            } else if (IsAsciiDigit(static_cast<unsigned char>(c)) && (style == '1' || c < '8')) {
                digits = true;
            } else {
                return false;
            }
        }
        if (!digits) return false;
        std::string number(buffer + s, static_cast<size_t>(e - s + 1));
        errno = 0;
        char* end = nullptr;
        long value = std::strtol(number.c_str(), &end, style == '1' ? 10 : 8);
        if (errno == ERANGE || value > INT_MAX || value < INT_MIN || end == number.c_str()) return false;
        *out = static_cast<int>(value);
        return true;
    }
    if (style == 'a' || style == 'A') {
        for (int i = 0; i < length; ++i) {
            unsigned char c = static_cast<unsigned char>(buffer[i]);
            if (IsAsciiLetter(c)) {
                *out = ToUpperAscii(static_cast<char>(c)) - 'A' + 1;
                return true;
            }
        }
        return false;
    }
    if (style == 'i' || style == 'I') {
        struct Token {
            const char* lower;
            const char* upper;
            int value;
        };
        static const Token kTokens[] = {{"xl", "XL", 40}, {"ix", "IX", 9}, {"iv", "IV", 4}, {"iii", "III", 3},
                                        {"ii", "II", 2},  {"i", "I", 1},   {"v", "V", 5},   {"xxx", "XXX", 30},
                                        {"xx", "XX", 20}, {"x", "X", 10},  {"l", "L", 50}};
        TextString copy(*this);
        int total = 0;
        for (const Token& token : kTokens) {
            if (copy.FindNoCase(token.lower)) {
                total += token.value;
                copy.Replace(token.lower, "", 1, 1);
                copy.Replace(token.upper, "", 1, 1);
            }
        }
        *out = total;
        return true;
    }
    return false;
}
