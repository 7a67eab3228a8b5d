// TextString: the converter's own growable 8-bit string.
//
// Every engine subsystem keeps its texts in it.  The buffer is always
// NUL-terminated and is never shrunk; an empty text owns no buffer, a text
// gets one that fits it, and a growing text grows by half again each time.
// Texts are plain bytes with no character set implied.  Letter, digit and case tests are ASCII
// only and independent of the locale.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

// The longest text a TextString holds: its buffer (the text, its NUL and a
// byte to spare) is counted in an int32_t, so a text stays below 2 GiB.
// Every growth of a text is checked against it in 64 bits, where no sum of
// two lengths overflows: a text that would pass it is never made (see
// TextTooLarge), whatever the growth (an append, an insertion, a
// replacement, a reservation, tabs expanded).
constexpr int32_t kMaxTextLength = INT32_MAX - 2;

// Thrown where a text would grow beyond kMaxTextLength.  The text stays as
// it was.  `what()` says what was too large, in words that may follow
// "failed: " in a message.  Where a text grows nothing is known of what it
// is ("a text"); a caller that knows (a line of a file, a table cell) throws
// the failure again said of that (Naming), and the innermost caller that
// knows names it.
class TextTooLarge : public std::length_error {
public:
    // `wanted`: the length the text would have had.
    explicit TextTooLarge(int64_t wanted);
    int64_t Wanted() const { return wanted_; }
    bool Named() const { return named_; }
    // The same failure said of `subject` ("line 2", "a table cell of line
    // 2"), unless it is said of something already.
    TextTooLarge Naming(const std::string& subject) const;

private:
    TextTooLarge(int64_t wanted, const std::string& subject);
    int64_t wanted_;
    bool named_;
};

// Throws TextTooLarge for a text that would be `wanted` bytes long.
[[noreturn]] void ThrowTextTooLarge(int64_t wanted);

// The length of a text of `length` bytes grown by `extra`; TextTooLarge when
// it passes kMaxTextLength.
inline int GrownLength(int64_t length, int64_t extra) {
    const int64_t grown = length + extra;
    if (grown > kMaxTextLength) [[unlikely]]
        ThrowTextTooLarge(grown);
    return static_cast<int>(grown);
}

// A scratch text that is refilled call after call keeps its room up to this
// size; one that has served a larger text (a whole file of short lines can be
// one table cell) gives its room back once that text is done, so that the
// copies of one large text do not stay beside the next.
constexpr int kKeptScratchBytes = 1 << 20;

class TextString {
public:
    // The text, always NUL-terminated; never null after construction.
    char* buffer = nullptr;
    // Number of bytes of text.
    int32_t length = 0;
    // The longest text that fits without growing (buffer size - 2; 0 while
    // no buffer is owned).
    int32_t capacity = 0;

    TextString();
    TextString(const TextString& other);
    TextString(TextString&& other) noexcept;
    TextString(const char* text);  // NOLINT: implicit on purpose, as C texts are passed everywhere
    explicit TextString(int value);
    explicit TextString(std::string_view text);
    virtual ~TextString();

    // Copies are made for nearly every line and cell: a copy that fits the
    // buffer already owned is made here, without a call.
    TextString& operator=(const TextString& other) {
        if (this == &other || other.length > capacity) return CopyGrowing(other);
        if (other.length > 0) std::memcpy(buffer, other.buffer, static_cast<size_t>(other.length));
        length = other.length;
        if (capacity > 0) buffer[length] = '\0';  // the shared empty buffer has no room
        return *this;
    }
    TextString& operator=(TextString&& other) noexcept;
    TextString& operator=(const char* text);

    // ---- Construction and assignment ----
    // Room for a text of `n` bytes; TextTooLarge beyond kMaxTextLength.
    void Reserve(int64_t n);
    // Room for about `n` bytes, a guess of what a text will need: kept
    // within kMaxTextLength (a text that then grows beyond it fails where
    // it grows).
    void ReserveAbout(int64_t n) { Reserve(n < kMaxTextLength ? n : kMaxTextLength); }
    int Assign(const char* text);
    // A text that fits the buffer already owned is copied here, without a
    // call (lines and their copies are assigned several times each).
    int AssignChars(const char* source, int n) {
        if (n > 0 && n <= capacity && source != nullptr && source != buffer) {
            std::memmove(buffer, source, static_cast<size_t>(n));
            length = n;
            buffer[n] = '\0';
            return 1;
        }
        return AssignCharsGrowing(source, n);
    }
    int AssignSubstring(const char* source, int start, int n);
    // Both empty the text; the buffer is kept.
    int Clear() {
        SetLength(0);
        return 1;
    }
    int MakeEmpty() {
        SetLength(0);
        return 1;
    }

    // ---- Appending ----
    int AppendChar(char c);
    int Append(const char* text);
    int Append(const TextString& text) { return AppendBytes(text.buffer, text.length); }
    int AppendBytes(const char* text, int n);
    int AppendNumber(char style, int value, int addBlank);
    int AppendReal(double value, int addBlank);
    TextString operator+=(const TextString& other);
    TextString operator+=(const char* text);
    TextString operator+=(int value);
    TextString operator+(const TextString& other) const;
    TextString operator+(const char* text) const;

    // ---- Comparing and searching ----
    bool Matches(const char* text, int caseSensitive, int ignoreBlanks) const;
    bool StartsWith(const char* prefix, int caseSensitive) const;
    bool Find(int start, const char* text, int* position, int caseSensitive) const;
    bool FindChar(int start, char c, int* position, int caseSensitive) const;
    char* FindNoCase(const char* text) const;
    int CountChar(char c) const;

    // ---- Character predicates (refined by derived line classes) ----
    virtual bool HasNoLetters() const;
    virtual bool HasNoAlphanumerics() const;
    virtual bool IsUpperCase() const;
    virtual bool ContainsNoneOf(const char* set) const;

    // ---- Fields ----
    bool GetFieldFrom(const char* start, int n, char delimiter, TextString* out, int* offset) const;
    bool GetField(int n, char delimiter, TextString* out) const;
    bool GetFieldWithOffset(int n, char delimiter, TextString* out, int* offset) const;
    bool GetNextField(int* position, char delimiter, TextString* out) const;

    // ---- Editing in place ----
    bool InsertChar(int position, char c);
    int Insert(int position, const char* text);
    bool RemoveChar(int start, char c, int maxCount);
    bool ReplaceChar(int start, char from, char to, int maxCount);
    bool Replace(const char* find, const char* with, int maxCount, int caseSensitive);
    bool ReplaceFrom(int start, const char* find, const char* with, int maxCount, int caseSensitive,
                     const char* mask, int* count);
    bool SubString(int index, int n);
    // Takes the bytes of `set` (a blank brings the tab) off both ends, or off
    // the end only.
    int Trim(int trailingOnly, const char* set);
    int CollapseBlanks();
    void ExpandTabs(int tabWidth);
    void RemoveCharClass(int kind);

    // ---- Conversion to numbers ----
    bool ToReal(double* out) const;
    bool ToInteger(char style, int* out) const;

    // ---- Character-set transforms (text_string_charset.cpp) ----
    void ConvertDOSCharacters(int convertLineDrawing, int markUnknown, int* lineDrawingCount);
    void ConvertMacCharacters();
    void ConvertSmartPunctuation();
    void ConvertKOI8RToWindows1251();
    void DecodeURLEscapes();
    void RemoveTerminalEscapes(int* lineDrawingState, int* escapeSeen, TextString* message);
    bool ConvertUTF16ToUTF8(int bigEndian);

    // ---- Conveniences for modern callers ----
    const char* c_str() const { return buffer; }
    std::string_view view() const { return std::string_view(buffer, static_cast<size_t>(length)); }
    std::string str() const { return std::string(buffer, static_cast<size_t>(length)); }
    bool IsEmpty() const { return length == 0; }
    char At(int i) const { return (i >= 0 && i < length) ? buffer[i] : '\0'; }
    // Bytes allocated for `buffer` (0 while no buffer is owned).
    int BufferSize() const;

private:
    void SetLength(int n) {
        length = n;
        // Only an owned buffer has room (the shared empty one reports none).
        if (capacity > 0) buffer[length] = '\0';
    }
    int AssignCharsGrowing(const char* source, int n);
    TextString& CopyGrowing(const TextString& other);
    bool MatchAt(int pos, const char* pattern, int patternLength, int caseSensitive) const;
};

// A text whose room passes kKeptScratchBytes is emptied and gives its room
// back (a scratch text done with a large text); any other is left as it is.
inline void GiveBackLargeRoom(TextString& text) {
    if (text.capacity > kKeptScratchBytes) text = TextString();
}

TextString operator+(const char* text, const TextString& string);
std::ostream& operator<<(std::ostream& stream, const TextString& string);
bool operator==(const TextString& a, const TextString& b);
bool operator==(const TextString& a, const char* b);

int CompareTextN(const char* a, const char* b, int n, int ignoreCase);

// The column (counted from 0) after `text` begun at `column`, each tab
// taking the text to the next multiple of `tabWidth` as ExpandTabs does, in
// 64 bits: the length the text expands to, for a text begun at 0.
int64_t ColumnAfterTabs(std::string_view text, int tabWidth, int64_t column = 0);

// ASCII-only character classes, independent of the locale.
inline bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiAlnum(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
inline bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
inline bool IsAsciiUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
inline char ToUpperAscii(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return IsAsciiLower(u) ? static_cast<char>(u - 'a' + 'A') : c;
}
inline char ToLowerAscii(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return IsAsciiUpper(u) ? static_cast<char>(u - 'A' + 'a') : c;
}
inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// Number of blanks (spaces) at the start of a text.
inline int CountLeadingBlanks(const TextString& text) {
    int n = 0;
    while (n < text.length && text.buffer[n] == ' ') ++n;
    return n;
}

// Length of a text without its trailing blanks (spaces).
inline int LengthWithoutTrailingBlanks(const TextString& text) {
    int n = text.length;
    while (n > 0 && text.buffer[n - 1] == ' ') --n;
    return n;
}
