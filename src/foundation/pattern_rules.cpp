#include "foundation/pattern_rules.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <string>

#include "foundation/text_string.h"

// ---------------------------------------------------------------------------
// Character classes and pattern syntax
// ---------------------------------------------------------------------------

bool PatternClassContains(char classChar, char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    switch (classChar) {
        case '*': return true;
        case '1': return IsAsciiDigit(u);
        case 'a': return IsAsciiLower(u);
        case 'A': return IsAsciiUpper(u);
        case 'Z': return IsAsciiLetter(u);
        case 'S': return c == ' ';
        case 'W': return c == ' ' || c == '\t' || c == '\n';
        case '(': return c == '(' || c == '<' || c == '[' || c == '{';
        case ')': return c == ')' || c == '>' || c == ']' || c == '}';
        case '.':
            switch (c) {
                case '!':
                case '"':
                case '&':
                case '\'':
                case '(':
                case ')':
                case ',':
                case '.':
                case ':':
                case ';':
                case '<':
                case '>':
                case '[':
                case ']':
                case '{':
                case '}': return true;
                default: return false;
            }
        default: return false;
    }
}

namespace {

bool IsClassChar(char c) {
    switch (c) {
        case '*':
        case '1':
        case 'a':
        case 'A':
        case 'Z':
        case 'S':
        case 'W':
        case '(':
        case ')':
        case '.': return true;
        default: return false;
    }
}

bool IsEscapableChar(char c) { return c == 'n' || c == 't' || c == '|' || c == '*' || c == '?' || c == '%'; }

bool IsWildcardIntroducer(char c) { return c == '*' || c == '?'; }

}  // namespace

int ValidatePattern(const char* pattern) {
    if (pattern == nullptr || pattern[0] == '\0') return -1;
    for (int i = 0; pattern[i] != '\0'; ++i) {
        const char c = pattern[i];
        if (c == '%' || IsWildcardIntroducer(c)) {
            if (!IsClassChar(pattern[i + 1])) return i + 2;
            ++i;
        } else if (c == '|') {
            if (!IsEscapableChar(pattern[i + 1])) return i + 2;
            ++i;
        }
    }
    return 0;
}

void AppendPatternLiteral(TextString* pattern, const char* text) {
    if (pattern == nullptr || text == nullptr) return;
    for (const char* p = text; *p != '\0'; ++p) {
        switch (*p) {
            case '*':
            case '?':
            case '%':
            case '|':
                pattern->AppendChar('|');
                pattern->AppendChar(*p);
                break;
            case '\n': pattern->Append("|n"); break;
            case '\t': pattern->Append("|t"); break;
            default: pattern->AppendChar(*p); break;
        }
    }
}

// ---------------------------------------------------------------------------
// CharBuffer
// ---------------------------------------------------------------------------

bool CharBuffer::PointsInside(const char* p) const {
    if (!text_ || p == nullptr) return false;
    const std::less_equal<const char*> le;
    const std::less<const char*> lt;
    return le(text_.get(), p) && lt(p, text_.get() + capacity_ + 1);
}

void CharBuffer::CloseGap() const {
    if (gapLength_ == 0) return;
    char* base = text_.get();
    std::memmove(base + gapStart_, base + gapStart_ + gapLength_, static_cast<size_t>(length_ - gapStart_) + 1);
    gapLength_ = 0;
    gapStart_ = 0;
}

void CharBuffer::MoveGap(int position) {
    if (gapLength_ == 0) {
        gapStart_ = position;
        return;
    }
    char* base = text_.get();
    if (position < gapStart_) {
        std::memmove(base + position + gapLength_, base + position, static_cast<size_t>(gapStart_ - position));
    } else if (position > gapStart_) {
        std::memmove(base + gapStart_, base + gapStart_ + gapLength_, static_cast<size_t>(position - gapStart_));
    }
    gapStart_ = position;
}

// Makes the gap (already at its place) hold at least n characters.
void CharBuffer::GrowGap(int n) {
    const int tail = length_ - gapStart_;
    // Room to spare, so that a run of insertions does not copy the whole
    // text each time (but no more than a text may hold).
    const int64_t wanted =
        std::min<int64_t>(int64_t{GrownLength(length_, n)} + std::max(256, length_ / 2), kMaxTextLength);
    const int size = static_cast<int>((wanted + 1) / 256 * 256);
    std::unique_ptr<char[]> grown(new char[static_cast<size_t>(size) + 256]);
    const int newCapacity = size + 255;
    const int newGap = newCapacity - length_;
    if (text_) {
        std::memcpy(grown.get(), text_.get(), static_cast<size_t>(gapStart_));
        std::memcpy(grown.get() + gapStart_ + newGap, text_.get() + gapStart_ + gapLength_,
                    static_cast<size_t>(tail) + 1);
    } else {
        grown[newGap] = '\0';
    }
    text_ = std::move(grown);
    capacity_ = newCapacity;
    gapLength_ = newGap;
}

const char* CharBuffer::Text() const {
    if (!text_) return "";
    CloseGap();
    return text_.get();
}

void CharBuffer::Clear(int release) {
    gapStart_ = 0;
    gapLength_ = 0;
    if (release) {
        text_.reset();
        length_ = 0;
        capacity_ = 0;
        return;
    }
    Reserve(0);
    length_ = 0;
    text_[0] = '\0';
}

void CharBuffer::Reserve(int64_t n) {
    CloseGap();
    if (n < capacity_) return;
    if (n > kMaxTextLength) ThrowTextTooLarge(n);
    const int size = static_cast<int>((n + 1) / 256 * 256);
    std::unique_ptr<char[]> grown(new char[static_cast<size_t>(size) + 256]);
    if (text_) {
        std::memcpy(grown.get(), text_.get(), static_cast<size_t>(length_) + 1);
    } else {
        grown[0] = '\0';
        length_ = 0;
    }
    text_ = std::move(grown);
    capacity_ = size + 255;
}

void CharBuffer::Assign(const char* text) {
    if (text == nullptr) {
        Clear(0);
        return;
    }
    if (PointsInside(text)) {
        const std::string copy(text);
        Assign(copy.c_str());
        return;
    }
    const int n = static_cast<int>(std::strlen(text));
    gapStart_ = 0;
    gapLength_ = 0;
    length_ = 0;
    if (text_) text_[0] = '\0';
    Reserve(n);
    std::memcpy(text_.get(), text, static_cast<size_t>(n));
    length_ = n;
    text_[n] = '\0';
}

void CharBuffer::Append(const char* text, int n) {
    if (text == nullptr || n <= 0) {
        if (!text_) Clear(0);
        return;
    }
    if (PointsInside(text)) {
        const std::string copy(text, static_cast<size_t>(n));
        Append(copy.data(), n);
        return;
    }
    CloseGap();
    // Grow with room to spare, so that a long run of appends costs linear time.
    const int needed = GrownLength(length_, n);
    if (needed >= capacity_)
        Reserve(std::min<int64_t>(int64_t{needed} + std::max(256, length_ / 2), kMaxTextLength));
    std::memcpy(text_.get() + length_, text, static_cast<size_t>(n));
    length_ += n;
    text_[length_] = '\0';
}

int CharBuffer::Insert(int position, const char* text) {
    if (text == nullptr || text[0] == '\0') return 1;
    if (position < 0 || position > length_) return 0;
    return Replace(position, 0, text);
}

int CharBuffer::Replace(int position, int count, const char* text) {
    if (position < 0 || count < 0 || position > length_ || count > length_ - position) return 0;
    if (PointsInside(text)) {
        const std::string copy(text);
        return Replace(position, count, copy.c_str());
    }
    const int n = text ? static_cast<int>(std::strlen(text)) : 0;
    if (!text_) Clear(0);
    if (n == count) {
        for (int i = 0; i < n; ++i) {
            const int at = position + i;
            text_[at < gapStart_ ? at : at + gapLength_] = text[i];
        }
        return 1;
    }
    MoveGap(position);
    gapLength_ += count;  // the replaced characters join the gap
    length_ -= count;
    if (n > gapLength_) GrowGap(n);
    if (n > 0) std::memcpy(text_.get() + gapStart_, text, static_cast<size_t>(n));
    gapStart_ += n;
    gapLength_ -= n;
    length_ += n;
    return 1;
}

void CharBuffer::Swap(CharBuffer& other) noexcept {
    std::swap(text_, other.text_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
    std::swap(gapStart_, other.gapStart_);
    std::swap(gapLength_, other.gapLength_);
}

bool CharBuffer::CopyRange(int position, int count, TextString* out) const {
    if (out == nullptr) return false;
    if (position < 0 || count < 0 || position > length_ || count > length_ - position) {
        out->MakeEmpty();
        return false;
    }
    const char* base = text_ ? text_.get() : "";
    const int before = std::clamp(gapStart_ - position, 0, count);  // characters in front of the gap
    out->AssignChars(base + position, before);
    if (count > before) out->AppendBytes(base + position + before + gapLength_, count - before);
    return true;
}

bool CharBuffer::Matches(int position, const char* text, int caseSensitive) const {
    if (text == nullptr || position < 0) return false;
    const int n = static_cast<int>(std::strlen(text));
    if (n > length_ - position) return false;
    for (int i = 0; i < n; ++i) {
        const char c = At(position + i);
        if (caseSensitive ? c != text[i] : ToUpperAscii(c) != ToUpperAscii(text[i])) return false;
    }
    return true;
}

void CharBuffer::CopyTo(TextString* out) const {
    if (out != nullptr) out->AssignChars(Text(), length_);
}

// ---------------------------------------------------------------------------
// Compiled patterns
// ---------------------------------------------------------------------------

namespace {

enum class ElementKind : uint8_t { Literal, Escape, Single, Star, Plus };

bool IsWildcard(ElementKind kind) { return kind == ElementKind::Star || kind == ElementKind::Plus; }

struct PatternElement {
    ElementKind kind = ElementKind::Literal;
    char ch = '\0';  // the literal, the escaped character or the class character
    int offset = 0;  // where the element begins in the pattern
    int runEnd = 0;  // literals: the first element after their run of literals
    int groupEnd = 0;  // wildcards: the first element after their run of wildcards
    bool restStar = false;  // wildcards: this and the following wildcards of the run may all be empty
};

}  // namespace

struct PatternProgram {
    std::vector<PatternElement> elements;
    int patternLength = 0;
    bool caseSensitive = false;
    bool valid = false;
    // The leading run of single-character elements (literals, escapes and
    // '%' classes) is searched for with one bit per element and per attempt,
    // so that an attempt that fails part-way costs nothing to restart.
    int prefixLength = 0;
    int words = 0;
    std::vector<uint64_t> masks;  // 256 * words: the elements each byte value satisfies
    // For a pattern that opens with wildcards: the first element after them.
    int leadingGroupEnd = 0;

    int Size() const { return static_cast<int>(elements.size()); }
};

namespace {

bool ElementAccepts(const PatternElement& e, char c, bool caseSensitive) {
    switch (e.kind) {
        case ElementKind::Literal: return caseSensitive ? c == e.ch : ToUpperAscii(c) == ToUpperAscii(e.ch);
        case ElementKind::Escape: return c == e.ch;
        default: return PatternClassContains(e.ch, c);
    }
}

std::unique_ptr<PatternProgram> CompilePattern(const char* pattern, bool caseSensitive) {
    auto program = std::make_unique<PatternProgram>();
    program->caseSensitive = caseSensitive;
    if (ValidatePattern(pattern) != 0) return program;
    program->valid = true;
    program->patternLength = static_cast<int>(std::strlen(pattern));
    auto& elements = program->elements;
    for (int i = 0; pattern[i] != '\0';) {
        PatternElement e;
        e.offset = i;
        const char c = pattern[i];
        if (c == '%' || c == '*' || c == '?') {
            e.kind = c == '%' ? ElementKind::Single : (c == '*' ? ElementKind::Star : ElementKind::Plus);
            e.ch = pattern[i + 1];
            i += 2;
        } else if (c == '|') {
            e.kind = ElementKind::Escape;
            const char escaped = pattern[i + 1];
            e.ch = escaped == 'n' ? '\n' : (escaped == 't' ? '\t' : escaped);
            i += 2;
        } else {
            e.kind = ElementKind::Literal;
            e.ch = c;
            i += 1;
        }
        elements.push_back(e);
    }
    const int n = program->Size();
    for (int k = n - 1; k >= 0; --k) {
        PatternElement& e = elements[static_cast<size_t>(k)];
        const bool nextSame =
            k + 1 < n && IsWildcard(elements[static_cast<size_t>(k) + 1].kind) == IsWildcard(e.kind);
        if (IsWildcard(e.kind)) {
            e.groupEnd = nextSame ? elements[static_cast<size_t>(k) + 1].groupEnd : k + 1;
            e.restStar = e.kind == ElementKind::Star && (!nextSame || elements[static_cast<size_t>(k) + 1].restStar);
        } else if (e.kind == ElementKind::Literal) {
            const bool nextLiteral = k + 1 < n && elements[static_cast<size_t>(k) + 1].kind == ElementKind::Literal;
            e.runEnd = nextLiteral ? elements[static_cast<size_t>(k) + 1].runEnd : k + 1;
        }
    }
    int prefix = 0;
    while (prefix < n && !IsWildcard(elements[static_cast<size_t>(prefix)].kind)) ++prefix;
    program->prefixLength = prefix;
    program->leadingGroupEnd = prefix == 0 ? elements[0].groupEnd : 0;
    if (prefix > 0) {
        const int words = (prefix + 63) / 64;
        program->words = words;
        program->masks.assign(256 * static_cast<size_t>(words), 0);
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            for (int k = 0; k < prefix; ++k) {
                if (ElementAccepts(elements[static_cast<size_t>(k)], c, caseSensitive)) {
                    program->masks[static_cast<size_t>(b) * words + k / 64] |= uint64_t{1} << (k % 64);
                }
            }
        }
    }
    return program;
}

}  // namespace

PatternRule::PatternRule(int kind_, int id_, const char* pattern_, const char* text_, int caseSensitive_,
                         PatternCallback callback_, void* userData_)
    : kind(kind_),
      id(id_),
      pattern(pattern_ ? pattern_ : ""),
      text(text_ ? std::optional<std::string>(text_) : std::nullopt),
      caseSensitive(caseSensitive_),
      callback(callback_),
      userData(userData_),
      program_(CompilePattern(pattern_, caseSensitive_ != 0)) {}

PatternRule::~PatternRule() = default;

void PatternMatch::Reset() {
    complete = 0;
    start = -1;
    end = -1;
    patternIndex = 0;
    taken = 0;
    element_ = 0;
    inBody_ = false;
    std::fill(prefixAlive_.begin(), prefixAlive_.end(), uint64_t{0});
}

// ---------------------------------------------------------------------------
// Advancing a match
// ---------------------------------------------------------------------------
//
// A match runs in two phases.  While it is inside the leading run of
// single-character elements every possible start is followed at once (one bit
// per element), which restarts a failed literal run one character after where
// it began without re-reading the text.  When that run completes, the match
// commits to it and follows the rest of the pattern as one attempt; should
// that attempt fail, the match falls back on the leading-run attempts that
// began after it, which have been kept up to date meanwhile.  A pattern that
// opens with a wildcard has no leading run: its wildcard never fails, and a
// character that breaks a later element is offered to a fresh attempt.

struct PatternEngine {
    enum class Step { Continue, Complete, Fail };

    static const PatternElement& Element(const PatternProgram& p, int k) {
        return p.elements[static_cast<size_t>(k)];
    }

    // Whether the wildcards from k up to (not including) g may all be empty.
    static bool RestMayBeEmpty(const PatternProgram& p, int k, int g) { return k >= g || Element(p, k).restStar; }

    static bool InLeadingOnlyGroup(const PatternProgram& p, int k) {
        return p.prefixLength == 0 && k < p.leadingGroupEnd && p.leadingGroupEnd < p.Size();
    }

    // The element at g takes the character at pos; a run of literals must
    // match the text from pos on in full.
    static bool FollowerAccepts(const PatternProgram& p, int g, const CharBuffer& text, int pos) {
        const PatternElement& f = Element(p, g);
        if (f.kind != ElementKind::Literal) return ElementAccepts(f, text.At(pos), p.caseSensitive);
        const int runLength = f.runEnd - g;
        if (runLength > text.Length() - pos) return false;
        for (int i = 0; i < runLength; ++i) {
            if (!ElementAccepts(Element(p, g + i), text.At(pos + i), p.caseSensitive)) return false;
        }
        return true;
    }

    static void EnsureState(const PatternProgram& p, PatternMatch& m) {
        if (static_cast<int>(m.prefixAlive_.size()) != p.words)
            m.prefixAlive_.assign(static_cast<size_t>(p.words), 0);
    }

    // Feeds c to the leading-run attempts; true when one completes the run.
    static bool FeedPrefix(const PatternProgram& p, PatternMatch& m, unsigned char c) {
        const uint64_t* mask = &p.masks[static_cast<size_t>(c) * static_cast<size_t>(p.words)];
        uint64_t carry = 1;  // an attempt may begin at every character
        for (int w = 0; w < p.words; ++w) {
            const uint64_t old = m.prefixAlive_[static_cast<size_t>(w)];
            m.prefixAlive_[static_cast<size_t>(w)] = ((old << 1) | carry) & mask[w];
            carry = old >> 63;
        }
        const int top = p.prefixLength - 1;
        return (m.prefixAlive_[static_cast<size_t>(top / 64)] >> (top % 64)) & 1;
    }

    static void DropCompletedPrefix(const PatternProgram& p, PatternMatch& m) {
        const int top = p.prefixLength - 1;
        m.prefixAlive_[static_cast<size_t>(top / 64)] &= ~(uint64_t{1} << (top % 64));
    }

    // The longest live leading-run attempt: elements it has matched - 1, or -1.
    static int LongestPrefixAttempt(const PatternProgram& p, const PatternMatch& m) {
        for (int w = p.words - 1; w >= 0; --w) {
            const uint64_t bits = m.prefixAlive_[static_cast<size_t>(w)];
            if (bits != 0) return w * 64 + 63 - std::countl_zero(bits);
        }
        return -1;
    }

    // Keeps only the leading-run attempts that have matched at most keep + 1 elements.
    static void KeepShortPrefixAttempts(const PatternProgram& p, PatternMatch& m, int keep) {
        for (int w = 0; w < p.words; ++w) {
            uint64_t& bits = m.prefixAlive_[static_cast<size_t>(w)];
            const int low = w * 64;
            if (keep < low) {
                bits = 0;
            } else if (keep < low + 63) {
                bits &= (uint64_t{1} << (keep - low + 1)) - 1;
            }
        }
    }

    static void ResetAttempt(PatternMatch& m) {
        m.inBody_ = false;
        m.element_ = 0;
        m.taken = 0;
        m.start = -1;
        m.end = -1;
        m.complete = 0;
    }

    // A character taken by element k: the match begins here unless the
    // element only leads in to the match.
    static void NoteTaken(const PatternProgram& p, PatternMatch& m, int k, int pos) {
        if (m.start < 0 && !InLeadingOnlyGroup(p, k)) m.start = pos;
    }

    // After the character at pos was taken, the match stands on m.element_.
    // A wildcard run that ends the pattern takes as many characters as it
    // can: the match completes once the next character cannot be taken.
    static Step Arrive(const PatternProgram& p, PatternMatch& m, int pos, const CharBuffer& text) {
        const int n = p.Size();
        const int k = m.element_;
        if (k >= n) {
            if (m.start < 0) m.start = pos;
            return Step::Complete;
        }
        const PatternElement& e = Element(p, k);
        if (!IsWildcard(e.kind) || e.groupEnd != n || m.start < 0) return Step::Continue;
        const bool satisfied = e.kind == ElementKind::Star || m.taken > 0;
        if (!satisfied || !RestMayBeEmpty(p, k + 1, n)) return Step::Continue;
        if (pos + 1 < text.Length()) {
            const char next = text.At(pos + 1);
            if (PatternClassContains(e.ch, next)) return Step::Continue;
            for (int j = k + 1; j < n; ++j) {
                if (PatternClassContains(Element(p, j).ch, next)) return Step::Continue;
            }
        }
        return Step::Complete;
    }

    // One character for the committed attempt.
    static Step BodyStep(const PatternProgram& p, PatternMatch& m, char c, int pos, const CharBuffer& text) {
        const int n = p.Size();
        const int k = m.element_;
        if (k >= n) return Step::Fail;
        const PatternElement& e = Element(p, k);
        if (!IsWildcard(e.kind)) {
            if (!ElementAccepts(e, c, p.caseSensitive)) return Step::Fail;
            NoteTaken(p, m, k, pos);
            m.element_ = k + 1;
            m.taken = 0;
            return Arrive(p, m, pos, text);
        }
        const int g = e.groupEnd;
        const bool satisfied = e.kind == ElementKind::Star || m.taken > 0;
        // Shortest first: leave the wildcard as soon as what follows it matches.
        if (satisfied && g < n && RestMayBeEmpty(p, k + 1, g) && FollowerAccepts(p, g, text, pos)) {
            if (m.start < 0) m.start = pos;
            m.element_ = g + 1;
            m.taken = 0;
            return Arrive(p, m, pos, text);
        }
        // Or hand over to a later wildcard of the same run.
        if (satisfied) {
            for (int j = k + 1; j < g; ++j) {
                if (PatternClassContains(Element(p, j).ch, c)) {
                    NoteTaken(p, m, j, pos);
                    m.element_ = j;
                    m.taken = 1;
                    return Arrive(p, m, pos, text);
                }
                if (Element(p, j).kind == ElementKind::Plus) break;
            }
        }
        if (!PatternClassContains(e.ch, c)) return Step::Fail;
        NoteTaken(p, m, k, pos);
        ++m.taken;
        return Arrive(p, m, pos, text);
    }

    static void SyncPublicFields(const PatternProgram& p, PatternMatch& m, int pos) {
        if (m.inBody_ || p.prefixLength == 0) {
            m.patternIndex = m.element_ < p.Size() ? Element(p, m.element_).offset : p.patternLength;
            return;
        }
        const int longest = LongestPrefixAttempt(p, m);
        m.taken = 0;
        if (longest < 0) {
            m.start = -1;
            m.patternIndex = 0;
        } else {
            m.start = pos - longest;
            m.patternIndex = Element(p, longest + 1).offset;
        }
    }

    static int Advance(PatternRule& rule, int pos, const CharBuffer& text, PatternMatch& m) {
        const PatternProgram& p = *rule.program_;
        if (!p.valid || pos < 0 || pos >= text.Length()) return 0;
        EnsureState(p, m);
        if (m.complete) m.Reset();
        const char c = text.At(pos);
        const int prefix = p.prefixLength;
        bool prefixDone = prefix > 0 && FeedPrefix(p, m, static_cast<unsigned char>(c));
        Step step = Step::Continue;
        bool inBody = m.inBody_ || prefix == 0;
        if (inBody) {
            step = BodyStep(p, m, c, pos, text);
            if (step == Step::Fail) {
                ResetAttempt(m);
                if (prefix == 0) {
                    // The character may begin a fresh attempt.
                    step = BodyStep(p, m, c, pos, text);
                    if (step == Step::Fail) {
                        ResetAttempt(m);
                        step = Step::Continue;
                    }
                } else {
                    inBody = false;  // fall back on the leading-run attempts
                }
            } else if (prefixDone) {
                DropCompletedPrefix(p, m);  // the committed attempt began earlier and wins
                prefixDone = false;
            }
        }
        if (!inBody && prefixDone) {
            DropCompletedPrefix(p, m);
            m.start = pos - prefix + 1;
            if (prefix == p.Size()) {
                step = Step::Complete;
            } else {
                m.inBody_ = true;
                m.element_ = prefix;
                m.taken = 0;
                step = Arrive(p, m, pos, text);
            }
        }
        if (step == Step::Complete) {
            m.complete = 1;
            m.end = pos;
            m.patternIndex = p.patternLength;
            ++rule.totalMatches;
            ++rule.scanMatches;
            return 1;
        }
        SyncPublicFields(p, m, pos);
        return 0;
    }

    // After an insertion in front of the acting match: an attempt that began
    // before the acting match now has the inserted text inside it and is
    // dropped; one that began at or after it moves with the text.
    static void ShiftAfterInsert(const PatternRule& rule, PatternMatch& m, int oldPosition, int actingStart,
                                 int delta) {
        const PatternProgram& p = *rule.program_;
        if (!p.valid) return;
        EnsureState(p, m);
        if (p.prefixLength > 0) KeepShortPrefixAttempts(p, m, oldPosition - actingStart);
        if (m.complete || m.inBody_ || p.prefixLength == 0) {
            if (m.start < 0) return;
            if (m.start < actingStart) {
                ResetAttempt(m);
                m.patternIndex = 0;
            } else {
                m.start += delta;
                if (m.complete) m.end += delta;
            }
            if (m.inBody_ || p.prefixLength == 0 || m.complete) return;
        }
        const int longest = LongestPrefixAttempt(p, m);
        m.taken = 0;
        if (longest < 0) {
            m.start = -1;
            m.patternIndex = 0;
        } else {
            m.start = oldPosition - longest + delta;
            m.patternIndex = Element(p, longest + 1).offset;
        }
    }

    static void PrepareMatch(const PatternRule& rule, PatternMatch& m) {
        EnsureState(*rule.program_, m);
        m.Reset();
    }

    // Whether the rule's matches begin with a run of single-character
    // elements (or never begin: an invalid pattern matches nothing).
    static bool OpensWithRun(const PatternRule& rule) {
        return !rule.program_->valid || rule.program_->prefixLength > 0;
    }

    // Whether a match of a rule that opens with a run may begin at c.
    static bool MayBeginWith(const PatternRule& rule, unsigned char c) {
        const PatternProgram& p = *rule.program_;
        return p.valid && p.prefixLength > 0 &&
               (p.masks[static_cast<size_t>(c) * static_cast<size_t>(p.words)] & 1) != 0;
    }

    // Whether the match of a rule that opens with a run has no attempt in
    // progress.  Fed a character that cannot begin a match, it stays so and
    // completes nothing.
    static bool Waits(const PatternMatch& m) {
        if (m.complete || m.inBody_) return false;
        for (const uint64_t bits : m.prefixAlive_) {
            if (bits != 0) return false;
        }
        return true;
    }
};

int AdvanceMatch(PatternRule* rule, int position, const CharBuffer* text, PatternMatch* match) {
    if (rule == nullptr || text == nullptr || match == nullptr) return 0;
    return PatternEngine::Advance(*rule, position, *text, *match);
}

// ---------------------------------------------------------------------------
// PatternList
// ---------------------------------------------------------------------------

PatternList::PatternList() = default;

PatternList::~PatternList() { locked_ = 0; }

PatternRule* PatternList::AddTextRule(int kind, const char* pattern, const char* text, int caseSensitive) {
    return AddRule(kind, pattern, text, caseSensitive, nullptr, nullptr);
}

PatternRule* PatternList::AddRule(int kind, const char* pattern, const char* text, int caseSensitive,
                                  PatternCallback callback, void* userData) {
    if (locked_ || ValidatePattern(pattern) != 0) return nullptr;
    auto rule = std::make_unique<PatternRule>(kind, nextRuleId_++, pattern, text, caseSensitive, callback, userData);
    auto match = std::make_unique<PatternMatch>();
    PatternEngine::PrepareMatch(*rule, *match);
    rules_.push_back(std::move(rule));
    matches_.push_back(std::move(match));
    startBytesRules_ = -1;
    return rules_.back().get();
}

void PatternList::ClearRules() {
    if (locked_) return;
    rules_.clear();
    matches_.clear();
    startBytesRules_ = -1;
    completedMatches_ = 0;
    locked_ = 0;
    working_.Clear(0);
    result_.Clear(0);
}

PatternRule* PatternList::GetRule(int i) const {
    return (i >= 0 && i < RuleCount()) ? rules_[static_cast<size_t>(i)].get() : nullptr;
}

PatternMatch* PatternList::GetMatch(int i) const {
    return (i >= 0 && i < RuleCount()) ? matches_[static_cast<size_t>(i)].get() : nullptr;
}

void PatternList::ResetAllMatches() {
    for (auto& match : matches_) match->Reset();
}

void PatternList::PrepareStartBytes() {
    if (startBytesRules_ == RuleCount()) return;
    startBytesRules_ = RuleCount();
    startBytesUsable_ = true;
    startBytes_.fill(false);
    for (const auto& rule : rules_) {
        if (!PatternEngine::OpensWithRun(*rule)) {
            startBytesUsable_ = false;
            return;
        }
        for (int c = 0; c < 256; ++c) {
            if (PatternEngine::MayBeginWith(*rule, static_cast<unsigned char>(c)))
                startBytes_[static_cast<size_t>(c)] = true;
        }
    }
}

void PatternList::AdjustOtherMatches(int actingRule, int oldPosition, int actingStart, int delta) {
    // Only an insertion in front of a match leaves the characters that other
    // matches have taken as they were (moved along); any other change
    // replaced or split them, so those matches start afresh.
    const bool insertedBefore = rules_[static_cast<size_t>(actingRule)]->kind == kRuleInsertBefore;
    for (int j = 0; j < RuleCount(); ++j) {
        if (j == actingRule) continue;
        PatternMatch& match = *matches_[static_cast<size_t>(j)];
        if (insertedBefore) {
            PatternEngine::ShiftAfterInsert(*rules_[static_cast<size_t>(j)], match, oldPosition, actingStart, delta);
        } else {
            match.Reset();
        }
    }
}

int PatternList::Scan(const TextString& text, const ScanOptions* options) { return Scan(text.c_str(), options); }

int PatternList::Scan(const char* text, const ScanOptions* options) {
    for (int i = 0; i < RuleCount(); ++i) {
        rules_[static_cast<size_t>(i)]->scanMatches = 0;
        rules_[static_cast<size_t>(i)]->scanActions = 0;
        PatternEngine::PrepareMatch(*rules_[static_cast<size_t>(i)], *matches_[static_cast<size_t>(i)]);
    }
    if (text == nullptr) {
        working_.Clear(0);
        result_.Clear(0);
        textEnd_ = 0;
        scanPosition_ = 0;
        sourceText_ = nullptr;
        return 0;
    }
    // The working copy is taken first: the text may be this list's own
    // result.  The result is the working text when the scan ends (see
    // FinishScan), so that a text is held twice while it is scanned, not
    // three times.
    working_.Assign(text);
    sourceText_ = text;
    textEnd_ = working_.Length();
    scanPosition_ = 0;

    const bool oneActionPerPosition = options == nullptr || options->oneActionPerPosition;
    const bool resetAfterChange = options == nullptr || options->resetAfterChange;
    const bool restartAfterChange = options != nullptr && options->restartAfterChange && !copiesText_;
    const bool stopAfterAction = options != nullptr && options->stopAfterAction;
    // While every match waits for its first character, the characters that
    // begin none are passed over: fed to the matches they would change
    // nothing.  (Not for rules that open with a wildcard.)
    PrepareStartBytes();
    const bool skipping = startBytesUsable_;
    bool allWaiting = true;  // every match has been reset above
    int actions = 0;
    bool stop = false;
    while (scanPosition_ < textEnd_ && !stop) {
        if (skipping && allWaiting) {
            while (scanPosition_ < textEnd_ && !startBytes_[static_cast<unsigned char>(working_.At(scanPosition_))])
                ++scanPosition_;
            if (scanPosition_ >= textEnd_) break;
        }
        bool anyComplete = false;
        for (int i = 0; i < RuleCount(); ++i) {
            if (AdvanceMatch(rules_[static_cast<size_t>(i)].get(), scanPosition_, &working_,
                             matches_[static_cast<size_t>(i)].get())) {
                ++completedMatches_;
                anyComplete = true;
            }
        }
        bool changed = false;
        if (anyComplete) {
            for (int i = 0; i < RuleCount(); ++i) {
                PatternMatch* match = matches_[static_cast<size_t>(i)].get();
                if (!match->complete) continue;
                const int actingStart = match->start;
                const int oldLength = working_.Length();
                const int oldPosition = scanPosition_;
                const int result = RunAction(rules_[static_cast<size_t>(i)].get(), match, &working_, &scanPosition_);
                ++actions;
                match->Reset();
                // An action may have changed the text whatever it says, so the
                // end of the scan always follows the working text.
                textEnd_ = working_.Length();
                if (result == kPatternChanged) {
                    changed = true;
                    AdjustOtherMatches(i, oldPosition, actingStart, textEnd_ - oldLength);
                } else if (scanPosition_ < oldPosition) {
                    // An action that changed nothing may not send the scan back.
                    scanPosition_ = oldPosition;
                }
                scanPosition_ = std::clamp(scanPosition_, -1, textEnd_);
                if (result == kPatternStop || stopAfterAction) {
                    stop = true;
                    break;
                }
                if (oneActionPerPosition) break;
            }
            // A match that completed here but did not act is dropped.
            for (auto& match : matches_) {
                if (match->complete) match->Reset();
            }
        }
        if (changed) {
            if (resetAfterChange || restartAfterChange) ResetAllMatches();
            if (restartAfterChange) scanPosition_ = -1;
        }
        if (skipping) {
            allWaiting = true;
            for (const auto& match : matches_) {
                if (!PatternEngine::Waits(*match)) {
                    allWaiting = false;
                    break;
                }
            }
        }
        ++scanPosition_;
    }
    FinishScan();
    return actions;
}

void PatternList::FinishScan() {
    result_.Swap(working_);
    working_.Clear(0);
}

void PatternList::ReleaseTexts() {
    working_.Clear(1);
    result_.Clear(1);
}

int PatternList::RunAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) {
    if (rule == nullptr || match == nullptr || !match->complete) return kPatternNoChange;
    ++rule->totalActions;
    ++rule->scanActions;
    switch (rule->kind) {
        case kRuleReplace:
        case kRuleDelete: return ReplaceAction(rule, match, working, position);
        case kRuleInsertAfter:
        case kRuleInsertBefore: return InsertAction(rule, match, working, position);
        case kRuleCallback:
        case kRuleRewriteCallback:
            if (rule->callback == nullptr) return kPatternNoChange;
            return rule->callback(this, rule, match, working, position, rule->userData);
        default: return kPatternNoChange;
    }
}

namespace {

bool MatchRangeValid(const PatternMatch* match, const CharBuffer* working) {
    return match != nullptr && working != nullptr && match->complete && match->start >= 0 &&
           match->end >= match->start && match->end < working->Length();
}

}  // namespace

int PatternList::ReplaceMatchText(const PatternMatch* match, CharBuffer* working, int* position, const char* text) {
    if (!MatchRangeValid(match, working)) return kPatternNoChange;
    const int n = text ? static_cast<int>(std::strlen(text)) : 0;
    working->Replace(match->start, match->end - match->start + 1, text);
    if (position != nullptr) *position = match->start + n - 1;
    return kPatternChanged;
}

bool PatternList::GetMatchText(const PatternMatch* match, const CharBuffer* working, TextString* out) {
    if (out == nullptr) return false;
    if (!MatchRangeValid(match, working)) {
        out->MakeEmpty();
        return false;
    }
    return working->CopyRange(match->start, match->end - match->start + 1, out);
}

int PatternList::ReplaceAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) {
    if (rule == nullptr) return kPatternNoChange;
    return ReplaceMatchText(match, working, position, rule->TextOrNull());
}

int PatternList::InsertAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) {
    if (rule == nullptr || !rule->text || !MatchRangeValid(match, working)) return kPatternNoChange;
    const int at = rule->kind == kRuleInsertAfter ? match->end + 1 : match->start;
    working->Insert(at, rule->text->c_str());
    if (position != nullptr) *position = match->end + static_cast<int>(rule->text->size());
    return kPatternChanged;
}

// ---------------------------------------------------------------------------
// PatternRewriter
// ---------------------------------------------------------------------------

PatternRewriter::PatternRewriter() { copiesText_ = true; }

PatternRule* PatternRewriter::AddTextRule(int kind, const char* pattern, const char* text, int caseSensitive) {
    if (kind < kRuleReplace || kind > kRuleDelete) return nullptr;
    return PatternList::AddRule(kind, pattern, text, caseSensitive, nullptr, nullptr);
}

PatternRule* PatternRewriter::AddRule(int kind, const char* pattern, const char* text, int caseSensitive,
                                      PatternCallback callback, void* userData) {
    if (kind != kRuleRewriteCallback) return nullptr;
    return PatternList::AddRule(kind, pattern, text, caseSensitive, callback, userData);
}

int PatternRewriter::Apply(const TextString& text, const ScanOptions* options) {
    return Apply(text.c_str(), options);
}

int PatternRewriter::Apply(const char* text, const ScanOptions* options) {
    output_.Clear(0);
    output_.Reserve(text ? static_cast<int>(std::strlen(text)) : 0);
    outputLength_ = 0;
    copyPosition_ = 0;
    ScanOptions rewriting;
    rewriting.oneActionPerPosition = 1;
    rewriting.resetAfterChange = 1;
    // The scanned text never changes here, so a restart would only find the
    // same matches again: the caller's restart switch is not passed on.
    rewriting.restartAfterChange = 0;
    rewriting.stopAfterAction = options ? options->stopAfterAction : 0;
    return Scan(text, &rewriting);
}

void PatternRewriter::CopyScannedText(const CharBuffer* working, int upTo) {
    if (working == nullptr) return;
    upTo = std::min(upTo, working->Length());
    if (upTo > copyPosition_) output_.Append(working->Text() + copyPosition_, upTo - copyPosition_);
    copyPosition_ = std::max(copyPosition_, upTo);
    outputLength_ = output_.Length();
}

void PatternRewriter::EmitReplacement(const PatternMatch* match, const CharBuffer* working, int* position,
                                      const char* text) {
    if (!MatchRangeValid(match, working)) return;
    CopyScannedText(working, match->start);
    if (text != nullptr) output_.Append(text, static_cast<int>(std::strlen(text)));
    copyPosition_ = std::max(copyPosition_, match->end + 1);
    outputLength_ = output_.Length();
    if (position != nullptr) *position = match->end;
}

int PatternRewriter::ReplaceAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) {
    if (rule == nullptr || !MatchRangeValid(match, working)) return kPatternNoChange;
    EmitReplacement(match, working, position, rule->kind == kRuleDelete ? "" : rule->TextOrNull());
    return kPatternChanged;
}

int PatternRewriter::InsertAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) {
    if (rule == nullptr || !rule->text || !MatchRangeValid(match, working)) return kPatternNoChange;
    const bool after = rule->kind == kRuleInsertAfter;
    CopyScannedText(working, after ? match->end + 1 : match->start);
    output_.Append(rule->text->c_str(), static_cast<int>(rule->text->size()));
    outputLength_ = output_.Length();
    // Inserting before leaves the copy position at the match start, so that
    // the matched text is copied after the inserted text.
    if (position != nullptr) *position = match->end;
    return kPatternChanged;
}

void PatternRewriter::ReleaseTexts() {
    PatternList::ReleaseTexts();
    output_.Clear(1);
}

void PatternRewriter::FinishScan() {
    CopyScannedText(&working_, working_.Length());
    result_.Swap(output_);
    working_.Clear(0);
    output_.Clear(0);
    copyPosition_ = 0;
    outputLength_ = 0;
}
