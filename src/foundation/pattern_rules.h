// Pattern rules: a small wildcard rule engine for rewriting marked-up text.
//
// A `PatternList` holds rules, each a pattern plus an action, and scans a text
// once, character by character, advancing every rule's match in parallel.
// When a rule's pattern completes, its action edits the working text in place
// (replace, insert, delete or a callback).  A `PatternRewriter` leaves the
// scanned text alone and builds a new text from the unmatched stretches and
// the actions' replacements.  Both leave their result in the result buffer.
//
// Pattern language (see ValidatePattern):
//   x      a literal character (letters ignore case unless the rule is
//          case-sensitive)
//   |c     'n' newline, 't' tab, or one of | * ? % itself, compared exactly
//   %k     exactly one character of class k
//   *k     zero or more characters of class k
//   ?k     one or more characters of class k
// Classes: '*' any, '1' digits, 'a' lower-case, 'A' upper-case, 'Z' letters,
// 'S' blank, 'W' blank/tab/newline, '(' ( < [ {, ')' ) > ] }, '.' punctuation
// ! " & ' ( ) , . : ; < > [ ] { }.
//
// Matching is leftmost: a run of literal elements at the start of a pattern
// is searched for like TextString::Find (so "ab" is found in "aab").
// Wildcards take the fewest characters that let the element after them
// match, judged by a look-ahead over that one element (a whole run of
// literals), and are never revisited.  A wildcard that ends the pattern takes
// as many characters of its class as follow.  The characters taken by a
// wildcard that opens the pattern are not part of the match.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TextString;
class CharBuffer;
class PatternList;
class PatternRule;
struct PatternMatch;
struct PatternProgram;
struct PatternEngine;

// Results of a rule action.
inline constexpr int kPatternChanged = 1001;  // the text was changed
inline constexpr int kPatternNoChange = 1002;  // nothing was done
inline constexpr int kPatternStop = 1003;  // stop the scan

// Rule kinds.
inline constexpr int kRuleReplace = 1;  // the match is replaced by the rule's text
inline constexpr int kRuleInsertAfter = 2;  // the rule's text goes after the match
inline constexpr int kRuleInsertBefore = 3;  // the rule's text goes before the match
inline constexpr int kRuleDelete = 4;  // in place as kind 1; a rewriter drops the match
inline constexpr int kRuleCallback = 5;  // the rule's callback acts (lists only)
inline constexpr int kRuleRewriteCallback = 6;  // the rule's callback acts (the rewriter's kind)

// The ten class characters that may follow '%', '*' or '?'.
inline constexpr char kPatternClassChars[] = "*1aAZSW().";

// Whether `c` belongs to the class named by `classChar` (false for a
// character that names no class).  Classes ignore the rule's case flag.
bool PatternClassContains(char classChar, char c);

// 0 when the pattern is acceptable, -1 for a null or empty pattern, else the
// 1-based position of the first offending character: the character after a
// '%', '*' or '?' must be a class character and the character after a '|'
// one of n t | * ? %.  A pattern ending in one of these introducers is
// refused with the position just past its end.
int ValidatePattern(const char* pattern);

// Appends `text` to `pattern` so that every character of it matches only
// itself ('*', '?', '%' and '|' get a '|' in front; newline and tab become
// "|n" and "|t").  For building patterns from configurable delimiters.
void AppendPatternLiteral(TextString* pattern, const char* text);

// The engine's own growable character buffer.  The text is NUL-terminated
// once allocated; it grows in 256-byte steps and is kept between uses.
//
// Edits that change the length leave a gap at the edit point instead of
// moving the rest of the text; the gap travels with the next edit and is
// closed only when the whole text is asked for (Text, CopyTo).  A scan that
// edits its way through a long text therefore moves each character about
// once.  At, CopyRange and Matches read across the gap without closing it.
class CharBuffer {
public:
    CharBuffer() = default;
    CharBuffer(const CharBuffer&) = delete;
    CharBuffer& operator=(const CharBuffer&) = delete;

    // Frees the buffer when `release` is non-zero; otherwise makes sure a
    // buffer exists and empties it.
    void Clear(int release);
    // Makes room for `n` characters (and the terminating NUL); TextTooLarge
    // beyond kMaxTextLength.
    void Reserve(int64_t n);
    // Empties the buffer, then copies `text` (null gives the empty text).
    void Assign(const char* text);
    // Appends `n` characters of `text`.
    void Append(const char* text, int n);
    // Inserts `text` before `position`.  An empty text succeeds doing
    // nothing; a position below 0 or beyond the length gives 0.
    int Insert(int position, const char* text);
    // Replaces `count` characters at `position` by `text` (null counts as
    // empty).  A range outside the text gives 0 and changes nothing.
    int Replace(int position, int count, const char* text);
    // Exchanges the contents of two buffers.
    void Swap(CharBuffer& other) noexcept;

    // The text; never null (the empty text while nothing is allocated).
    // Valid until the buffer is next changed.
    const char* Text() const;
    int Length() const { return length_; }
    int Capacity() const { return capacity_; }
    bool IsEmpty() const { return length_ == 0; }
    bool IsAllocated() const { return text_ != nullptr; }
    // The character at `i`, or NUL outside the text.
    char At(int i) const { return (i >= 0 && i < length_) ? text_[i < gapStart_ ? i : i + gapLength_] : '\0'; }
    // `count` characters from `position` into `out`; false (out emptied)
    // when the range lies outside the text.
    bool CopyRange(int position, int count, TextString* out) const;
    // Whether `text` occurs at `position` (letters ignoring case unless
    // `caseSensitive`).
    bool Matches(int position, const char* text, int caseSensitive) const;
    void CopyTo(TextString* out) const;

private:
    bool PointsInside(const char* p) const;
    void CloseGap() const;
    void MoveGap(int position);
    void GrowGap(int n);

    std::unique_ptr<char[]> text_;
    int length_ = 0;
    int capacity_ = 0;
    // The gap: gapLength_ unused bytes in the array from gapStart_ on.
    mutable int gapStart_ = 0;
    mutable int gapLength_ = 0;
};

// An action routine of a kind 5 or 6 rule.  It receives the list, the rule,
// the complete match, the working text and the scan position (equal to the
// match end) and returns kPatternChanged, kPatternNoChange or kPatternStop.
// In a list it may edit the working text (see PatternList::ReplaceMatchText)
// and move the position to the last character already dealt with; in a
// rewriter it writes through PatternRewriter::EmitReplacement.
using PatternCallback = int (*)(PatternList* list, PatternRule* rule, PatternMatch* match, CharBuffer* working,
                                int* position, void* userData);

class PatternRule {
public:
    int kind;
    int id;  // 1, 2, 3 ... in the order added to a list
    std::string pattern;
    std::optional<std::string> text;  // none when the rule was given no text
    int caseSensitive;  // 0: literal letters ignore case
    PatternCallback callback;
    void* userData;
    int totalMatches = 0;  // completed matches over the rule's life
    int totalActions = 0;  // actions over the rule's life
    int scanMatches = 0;  // completed matches in the current scan
    int scanActions = 0;  // actions in the current scan

    PatternRule(int kind, int id, const char* pattern, const char* text, int caseSensitive, PatternCallback callback,
                void* userData);
    ~PatternRule();
    PatternRule(const PatternRule&) = delete;
    PatternRule& operator=(const PatternRule&) = delete;

    // The rule's text as a C text, or null when it has none.
    const char* TextOrNull() const { return text ? text->c_str() : nullptr; }

private:
    friend struct PatternEngine;
    std::unique_ptr<PatternProgram> program_;
};

// The state of one rule's match.  `start` and `end` (inclusive) index the
// working text; `patternIndex` is the offset in the pattern of the element
// the match stands on and `taken` the characters taken by that element when
// it is a wildcard.
struct PatternMatch {
    int complete = 0;
    int start = -1;
    int end = -1;
    int patternIndex = 0;
    int taken = 0;

    // Back to "no match in progress".
    void Reset();
    // Characters in a complete match, else 0.
    int Length() const { return complete ? end - start + 1 : 0; }

private:
    friend struct PatternEngine;
    int element_ = 0;  // element the committed attempt stands on
    bool inBody_ = false;  // past the leading run of single-character elements
    std::vector<uint64_t> prefixAlive_;  // attempts alive in that leading run, one bit per element
};

// Advances `match` by the character at `position` of `text`; returns 1 when
// the rule's pattern completes at that character (the rule's match counters
// then grow by one).
int AdvanceMatch(PatternRule* rule, int position, const CharBuffer* text, PatternMatch* match);

// Switches for PatternList::Scan.  Passing no options means
// {1, 1, 0, 0}.
struct ScanOptions {
    int oneActionPerPosition = 0;  // once a rule acted, no other acts at that position
    int resetAfterChange = 0;  // all matches start afresh after a change
    int restartAfterChange = 0;  // the scan starts again from the first character after a change
    int stopAfterAction = 0;  // the scan ends after the first action
};

class PatternList {
public:
    PatternList();
    virtual ~PatternList();
    PatternList(const PatternList&) = delete;
    PatternList& operator=(const PatternList&) = delete;

    // AddRule without a callback.
    virtual PatternRule* AddTextRule(int kind, const char* pattern, const char* text, int caseSensitive);
    // Adds a rule; null when the list is locked or the pattern is refused.
    virtual PatternRule* AddRule(int kind, const char* pattern, const char* text, int caseSensitive,
                                 PatternCallback callback, void* userData);
    // Moves the working text into the result buffer.
    virtual void FinishScan();
    // Runs the action of a complete match; see the kinds above.
    virtual int RunAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position);
    virtual int ReplaceAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position);
    virtual int InsertAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position);

    // Scans the text with every rule; returns the number of actions run.
    // The rewritten text is then in the result buffer.  A null text gives 0
    // and an empty result.
    int Scan(const char* text, const ScanOptions* options = nullptr);
    int Scan(const TextString& text, const ScanOptions* options = nullptr);

    // Removes every rule unless the list is locked.  Rule ids are not reused.
    void ClearRules();
    // While locked, AddRule refuses and ClearRules does nothing.
    void SetLocked(int locked) { locked_ = locked ? 1 : 0; }
    int IsLocked() const { return locked_; }

    int RuleCount() const { return static_cast<int>(rules_.size()); }
    PatternRule* GetRule(int i) const;
    PatternMatch* GetMatch(int i) const;
    int CompletedMatchCount() const { return completedMatches_; }

    const CharBuffer& Result() const { return result_; }
    // Gives back the room of the result and of the scan's copies (a large
    // text's, once the caller has taken the result): the result is then
    // empty.
    virtual void ReleaseTexts();
    const char* ResultText() const { return result_.Text(); }
    int ResultLength() const { return result_.Length(); }
    void GetResult(TextString* out) const { result_.CopyTo(out); }

    // The scan in progress (for callbacks).
    const CharBuffer& Working() const { return working_; }
    int TextEnd() const { return textEnd_; }
    int ScanPosition() const { return scanPosition_; }
    const char* SourceText() const { return sourceText_; }

    // For kind 5 callbacks: replaces the matched characters of the working
    // text by `text` (null counts as empty) and sets the position to the last
    // character of the replacement, so that the scan goes on after it.
    // kPatternChanged, or kPatternNoChange for an incomplete match or a range
    // outside the working text.
    static int ReplaceMatchText(const PatternMatch* match, CharBuffer* working, int* position, const char* text);
    // The matched characters of the working text; false (out emptied) for an
    // incomplete match or a range outside the text.
    static bool GetMatchText(const PatternMatch* match, const CharBuffer* working, TextString* out);

protected:
    CharBuffer working_;
    int textEnd_ = 0;
    int scanPosition_ = 0;
    const char* sourceText_ = nullptr;
    std::vector<std::unique_ptr<PatternRule>> rules_;
    std::vector<std::unique_ptr<PatternMatch>> matches_;
    int nextRuleId_ = 1;
    CharBuffer result_;
    int completedMatches_ = 0;
    int locked_ = 0;
    // Set by a list that copies instead of editing: its scanned text never
    // changes, so a restart after a change would find the same matches again.
    bool copiesText_ = false;

private:
    void AdjustOtherMatches(int actingRule, int oldPosition, int actingStart, int delta);
    void ResetAllMatches();
    // Fills startBytes_ for the rules of the list, unless it is up to date.
    void PrepareStartBytes();

    // The characters that may begin a match of some rule, for passing over
    // the text where every rule waits for one: valid while startBytesRules_
    // is the number of rules; startBytesUsable_ is false when some rule opens
    // with a wildcard (which takes any character in its class).
    std::array<bool, 256> startBytes_{};
    int startBytesRules_ = -1;
    bool startBytesUsable_ = false;
};

// The copying variant: the scanned text stays as it is and the output is
// built from the unmatched stretches and the actions' replacements.
class PatternRewriter : public PatternList {
public:
    PatternRewriter();

    // Kinds 1 to 4 only.
    PatternRule* AddTextRule(int kind, const char* pattern, const char* text, int caseSensitive) override;
    // Kind 6 only (the same as AddCallbackRule).
    PatternRule* AddRule(int kind, const char* pattern, const char* text, int caseSensitive,
                         PatternCallback callback, void* userData) override;
    PatternRule* AddCallbackRule(int kind, const char* pattern, const char* text, int caseSensitive,
                                 PatternCallback callback, void* userData) {
        return AddRule(kind, pattern, text, caseSensitive, callback, userData);
    }
    void FinishScan() override;
    void ReleaseTexts() override;
    int ReplaceAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) override;
    int InsertAction(PatternRule* rule, PatternMatch* match, CharBuffer* working, int* position) override;

    // Rewrites the text with every rule; returns the number of actions run.
    // Scans with one action per position and all matches reset after a
    // change; the caller's stop-after-action switch is honoured.
    int Apply(const char* text, const ScanOptions* options = nullptr);
    int Apply(const TextString& text, const ScanOptions* options = nullptr);

    // Copies the scanned text from the copy position up to the match start
    // to the output, appends `text`, and moves the copy position past the
    // match and the scan position to the match end.
    void EmitReplacement(const PatternMatch* match, const CharBuffer* working, int* position, const char* text);

    const CharBuffer& Output() const { return output_; }
    int CopyPosition() const { return copyPosition_; }
    int OutputLength() const { return outputLength_; }

protected:
    CharBuffer output_;
    int copyPosition_ = 0;
    int outputLength_ = 0;

private:
    void CopyScannedText(const CharBuffer* working, int upTo);
};
