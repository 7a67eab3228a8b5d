#include "output/html_tidy.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "context/context.h"
#include "foundation/pattern_rules.h"
#include "policies/fc.h"

namespace {

// ---------------------------------------------------------------------------
// Settings the passes depend on

struct TidySettings {
    bool emStrong = true;  // "Use <EM> and <STRONG> markup"
    bool fontTags = false;  // fonts are written as FONT tags
    bool fontSpansTidied = true;  // the FONT-span pass may act
    int ruleSet = kRuleSetNone;
    bool indentMinusOne = false;  // "Indentation markup code" is -1
};

TidySettings ReadSettings(FC* policies) {
    TidySettings s;
    s.emStrong = policies->IsOn(Pol::UseEmAndStrongMarkup);
    s.ruleSet = policies->ruleSetCode;
    s.indentMinusOne = policies->GetInt(Pol::IndentationMarkupCode) == -1;
    const Context* context = policies->context;
    s.fontTags = context && context->fontTagSwitch;
    // While output is written, FONT spans are left alone unless fonts are
    // FONT tags or the input changed fonts with in-line tags.
    const bool output = context && context->IsOutputPass();
    const bool fontTagsUsed = context && context->documentState.headingSwitches[DocumentState::kFontTagsUsed];
    s.fontSpansTidied = !output || s.fontTags || fontTagsUsed;
    return s;
}

bool SpecialRuleSet(const TidySettings& s) { return IsRuleSet(s.ruleSet); }

// ---------------------------------------------------------------------------
// Plain text helpers

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n'; }

constexpr size_t kNotFound = std::string_view::npos;

// The first occurrence of `what` (not empty) in `v` from `from` on, or
// kNotFound.  The first character is searched for with memchr and the
// second compared before the rest: a text full of tags holds the "<" that
// most searched texts begin with at every tag.
// Whether the `n` characters at `a` and `b` are the same; short texts are
// compared in line.
inline bool SameChars(const char* a, const char* b, size_t n) {
    if (n > 8) return std::memcmp(a, b, n) == 0;
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

size_t FindText(std::string_view v, std::string_view what, size_t from = 0) {
    const size_t n = what.size();
    if (n == 0 || from >= v.size() || v.size() - from < n) return kNotFound;
    const char* p = v.data() + from;
    const char* const last = v.data() + (v.size() - n);  // the last place it can begin
    if (n >= 2 && what[0] == '<' && what[1] == '/') {
        // A closing tag: its "/" is rarer in markup than the "<" of every tag.
        for (p = p + 1; p <= last + 1; ++p) {
            p = static_cast<const char*>(std::memchr(p, '/', static_cast<size_t>(last + 1 - p) + 1));
            if (p == nullptr) return kNotFound;
            if (p[-1] == '<' && SameChars(p + 1, what.data() + 2, n - 2))
                return static_cast<size_t>(p - 1 - v.data());
        }
        return kNotFound;
    }
    const char first = what[0];
    while (p <= last) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
        if (p == nullptr) return kNotFound;
        if (n == 1 || (p[1] == what[1] && SameChars(p + 2, what.data() + 2, n - 2)))
            return static_cast<size_t>(p - v.data());
        ++p;
    }
    return kNotFound;
}

// The last occurrence of `what` (not empty) in `v` that ends at or before
// `end`, or kNotFound: FindText backward, with memrchr.
size_t FindTextBefore(std::string_view v, std::string_view what, size_t end) {
    const size_t n = what.size();
    if (n == 0 || end > v.size() || end < n) return kNotFound;
    const char* const data = v.data();
    const char first = what[0];
    // The places the text can begin are data .. data + end - n.
    for (size_t places = end - n + 1; places > 0;) {
        const void* found = memrchr(data, first, places);
        if (found == nullptr) return kNotFound;
        const char* const p = static_cast<const char*>(found);
        if (SameChars(p + 1, what.data() + 1, n - 1)) return static_cast<size_t>(p - data);
        places = static_cast<size_t>(p - data);
    }
    return kNotFound;
}

bool Contains(std::string_view v, std::string_view what) { return FindText(v, what) != kNotFound; }

bool Contains(const TextString& text, std::string_view what) { return Contains(text.view(), what); }

bool EqualsNoCase(const TextString& text, const char* what) { return text.Matches(what, 0, 0); }

bool ContainsNoCase(const TextString& text, const char* what) {
    const size_t n = std::strlen(what);
    const std::string_view v = text.view();
    for (size_t i = 0; i + n <= v.size(); ++i) {
        size_t k = 0;
        while (k < n && ToUpperAscii(v[i + k]) == ToUpperAscii(what[k])) ++k;
        if (k == n) return true;
    }
    return false;
}

// Whether the text holds `count` (2 or 3) newlines in a row.
bool HasNewlines(std::string_view v, size_t count) {
    const char* const data = v.data();
    const size_t size = v.size();
    for (const char* p = static_cast<const char*>(std::memchr(data, '\n', size)); p != nullptr;) {
        const size_t at = static_cast<size_t>(p - data);
        if (size - at < count) return false;
        size_t k = 1;
        while (k < count && p[k] == '\n') ++k;
        if (k == count) return true;
        // The character at p + k is no newline: look on after it.
        const size_t next = at + k + 1;
        if (next >= size) return false;
        p = static_cast<const char*>(std::memchr(data + next, '\n', size - next));
    }
    return false;
}

// Every run of three or more newlines becomes two.
void FoldNewlineRuns(TextString& text) {
    if (!HasNewlines(text.view(), 3)) return;
    int write = 0;
    int run = 0;
    for (int read = 0; read < text.length; ++read) {
        const char c = text.buffer[read];
        run = c == '\n' ? run + 1 : 0;
        if (run <= 2) text.buffer[write++] = c;
    }
    text.SubString(0, write);
}

// ---------------------------------------------------------------------------
// Pre-formatted sections
//
// Each section (from "<PRE" to the end of its "</PRE>" tag, or to the end of
// the text) is replaced by one placeholder byte before the passes and put
// back after them.  The passes neither remove nor reorder the placeholder,
// which counts as content.  Placeholder and NUL bytes already in the text
// are set aside the same way, so that every placeholder is one of ours and
// the engine, which reads NUL-terminated texts, sees the whole text.

constexpr char kPlaceholder = '\x01';

inline bool PreTagAt(std::string_view v, size_t i, bool closing) {
    const char* name = closing ? "</PRE" : "<PRE";
    const size_t n = closing ? 5 : 4;
    if (v.size() - i < n || ToUpperAscii(v[i + 1]) != name[1]) return false;
    for (size_t k = 2; k < n; ++k) {
        if (ToUpperAscii(v[i + k]) != name[k]) return false;
    }
    // "<PREFIX>" is no PRE tag: the name must end here.
    return i + n == v.size() || v[i + n] == '>' || IsWhite(v[i + n]);
}

// Whether the text holds a PRE tag, a placeholder or a NUL byte.
bool AnyProtectedPart(std::string_view v) {
    if (std::memchr(v.data(), kPlaceholder, v.size()) || std::memchr(v.data(), '\0', v.size())) return true;
    for (size_t i = v.find('<'); i != std::string_view::npos; i = v.find('<', i + 1)) {
        if (PreTagAt(v, i, false) || PreTagAt(v, i, true)) return true;
    }
    return false;
}

// The end (exclusive) of the "</PRE" tag at `i`.
size_t PreTagEnd(std::string_view v, size_t i) {
    const size_t close = v.find('>', i);
    return close == std::string_view::npos ? v.size() : close + 1;
}

using Regions = std::vector<std::pair<size_t, size_t>>;  // [start, end)

// The parts of the text the passes must not touch; empty when there are none.
void FindProtectedRegions(std::string_view v, bool startsInside, Regions* regions) {
    regions->clear();
    if (!startsInside && !AnyProtectedPart(v)) return;
    bool inside = startsInside;
    bool preTagSeen = false;
    size_t start = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (inside) {
            if (c == '<' && PreTagAt(v, i, true)) {
                const size_t end = PreTagEnd(v, i);
                regions->emplace_back(start, end);
                inside = false;
                i = end - 1;
            }
            continue;
        }
        if (c == kPlaceholder || c == '\0') {
            regions->emplace_back(i, i + 1);
        } else if (c == '<' && PreTagAt(v, i, false)) {
            inside = true;
            preTagSeen = true;
            start = i;
        } else if (c == '<' && !preTagSeen && PreTagAt(v, i, true)) {
            // A section end before any start: the text began inside it.
            const size_t end = PreTagEnd(v, i);
            regions->clear();
            regions->emplace_back(0, end);
            preTagSeen = true;
            i = end - 1;
        }
    }
    if (inside) regions->emplace_back(start, v.size());
}

// Sets the protected parts of a text aside and puts them back.
class PreShield {
public:
    // Replaces every protected region of `text` by a placeholder.
    void Cover(TextString& text, bool startsInside) {
        FindProtectedRegions(text.view(), startsInside, &regions_);
        if (regions_.empty()) return;
        original_ = text;
        TextString& covered = covered_;
        covered.MakeEmpty();
        size_t copied = 0;
        for (const auto& [start, end] : regions_) {
            covered.AppendBytes(original_.buffer + copied, static_cast<int>(start - copied));
            covered.AppendChar(kPlaceholder);
            copied = end;
        }
        covered.AppendBytes(original_.buffer + copied, original_.length - static_cast<int>(copied));
        text.AssignChars(covered.buffer, covered.length);
    }

    // Puts the regions back in order.  Should a placeholder have gone
    // missing, the text goes back to what it was: never lose content.
    void Uncover(TextString& text) {
        if (regions_.empty()) return;
        if (static_cast<size_t>(text.CountChar(kPlaceholder)) != regions_.size()) {
            text = original_;
        } else {
            TextString& uncovered = uncovered_;
            uncovered.MakeEmpty();
            const char* from = text.buffer;
            const char* const end = text.buffer + text.length;
            for (const auto& [start, stop] : regions_) {
                const char* at = static_cast<const char*>(std::memchr(from, kPlaceholder, end - from));
                uncovered.AppendBytes(from, static_cast<int>(at - from));
                uncovered.AppendBytes(original_.buffer + start, static_cast<int>(stop - start));
                from = at + 1;
            }
            uncovered.AppendBytes(from, static_cast<int>(end - from));
            text.AssignChars(uncovered.buffer, uncovered.length);
        }
        regions_.clear();
    }

private:
    Regions regions_;
    TextString original_;
    // Where the covered and the uncovered text are put together.
    TextString covered_;
    TextString uncovered_;
};

// ---------------------------------------------------------------------------
// Rule lists
//
// A list of replacing rules is run only over the rules that can match the
// text: a rule needs the kinds of tags its runs of literal characters open
// (a quick test on the scan's sketch), every one of those runs somewhere in
// the text, and its opening shape (a run, white space, a run).  A match never
// takes in text that an earlier action of the same scan wrote (all matches
// start afresh after a change, after the replacement), so leaving out rules
// that cannot match gives the same result as running them all.  The lists
// built for each combination of possible rules are kept.

// A pattern as runs of literal characters and the wildcards between them.
struct PatternPiece {
    std::string run;  // literal characters; empty for a wildcard
    char wildClass = '\0';  // the wildcard's class
    bool plus = false;  // "?" (one or more) rather than "*"
};

std::vector<PatternPiece> SplitPattern(const char* pattern) {
    std::vector<PatternPiece> pieces;
    std::string run;
    auto endRun = [&] {
        if (!run.empty()) pieces.push_back(PatternPiece{run, '\0', false});
        run.clear();
    };
    for (const char* p = pattern; *p != '\0';) {
        if ((*p == '*' || *p == '?') && p[1] != '\0') {
            endRun();
            pieces.push_back(PatternPiece{"", p[1], *p == '?'});
            p += 2;
        } else if (*p == '%' && p[1] != '\0') {
            // One character of a class: it ends a run and is no wildcard
            // the quick test below understands.
            endRun();
            pieces.push_back(PatternPiece{"", '%', false});
            p += 2;
        } else if (*p == '|' && p[1] != '\0') {
            run.push_back(p[1] == 'n' ? '\n' : (p[1] == 't' ? '\t' : p[1]));
            p += 2;
        } else {
            run.push_back(*p++);
        }
    }
    endRun();
    return pieces;
}

// The sketch of a text's kinds of tags (TidyBuffer::tagKinds): one bit per
// hash of the two characters after each "<", and one for a newline.  A rule
// run that begins with "<" (three characters or more) or with a newline
// leaves its bit in the sketch of every text it occurs in, so a rule whose
// bits are missing from a text's sketch cannot match it.
constexpr uint64_t kNewlineKind = uint64_t{1} << 63;
constexpr uint64_t kAnyKinds = ~uint64_t{0};

// The bit of each value of second * 7 + third, taken from a table.  The
// values are mixed so that the common tags (cells, rows, line breaks,
// paragraphs, emphasis, FONT ...) nearly all have bits of their own.
constexpr std::array<uint8_t, 2048> kKindBits = [] {
    std::array<uint8_t, 2048> bits{};
    for (uint32_t h = 0; h < bits.size(); ++h) bits[h] = static_cast<uint8_t>(((h * 2847632843u) >> 17) % 63u);
    return bits;
}();

constexpr uint64_t TagKind(char second, char third) {
    return uint64_t{1} << kKindBits[static_cast<unsigned char>(second) * 7u + static_cast<unsigned char>(third)];
}

uint64_t RunKinds(const std::string& run) {
    if (run[0] == '\n') return kNewlineKind;
    if (run[0] == '<' && run.size() >= 3) return TagKind(run[1], run[2]);
    return 0;
}

// Takes the result of `list`'s scan of `text` (which ran `actions`) into
// `text`; true when the text changed.  The list's copies of a large text are
// given back at once: the passes run one after another over a flush that
// may hold a whole block, and every list's copies would stay beside it.
bool TakeScanResult(PatternList& list, int actions, TextString& text) {
    const CharBuffer& result = list.Result();
    const bool large = std::max(text.length, result.Length()) > kKeptScratchBytes;
    const bool changed =
        actions > 0 && (result.Length() != text.length ||
                        std::memcmp(result.Text(), text.buffer, static_cast<size_t>(text.length)) != 0);
    if (changed) text.AssignChars(result.Text(), result.Length());
    if (large) list.ReleaseTexts();
    return changed;
}

class RuleList {
public:
    // `copying`: run by a PatternRewriter (kind 1 to 4, kind 4 dropping the
    // match); otherwise by a PatternList editing in place (kind 4 replacing
    // the match by the rule's text).  Rules are case-sensitive.
    explicit RuleList(bool copying) : copying_(copying) {}

    void Add(int kind, const char* pattern, const char* text) {
        Rule rule{kind, pattern, text ? text : "", 0, 0, {}, '\0', false, {}};
        const std::vector<PatternPiece> pieces = SplitPattern(pattern);
        for (const PatternPiece& piece : pieces) {
            if (piece.run.empty()) continue;
            rule.kinds |= RunKinds(piece.run);
            int index = -1;
            for (size_t k = 0; k < runs_.size(); ++k) {
                if (runs_[k] == piece.run) index = static_cast<int>(k);
            }
            if (index < 0 && runs_.size() < 64) {
                index = static_cast<int>(runs_.size());
                runs_.push_back(piece.run);
                AddRunToIndex(piece.run, index);
            }
            if (index >= 0) rule.needs |= uint64_t{1} << index;
        }
        // A pattern that opens with a run, a white-space wildcard and a run
        // can match only where the text has that shape.
        if (pieces.size() >= 3 && !pieces[0].run.empty() && pieces[1].run.empty() && !pieces[2].run.empty() &&
            (pieces[1].wildClass == 'W' || pieces[1].wildClass == 'S')) {
            rule.lead = pieces[0].run;
            rule.wildClass = pieces[1].wildClass;
            rule.plus = pieces[1].plus;
            rule.follow = pieces[2].run;
        }
        rules_.push_back(std::move(rule));
        kindsCache_ = {};
        lastValid_ = false;
    }

    // Runs the rules once over the text, whose kinds of tags are among
    // `kinds`; true when the text changed.
    bool Run(TextString& text, uint64_t kinds) {
        // First the kinds of tags, then the runs, then the shapes.
        const uint64_t possible = lastValid_ && kinds == lastKinds_ ? lastRules_ : RulesForKinds(kinds);
        if (possible == 0) return false;
        const uint64_t present = PresentRuns(text.view());
        if (present == 0) return false;  // every rule holds a run
        uint64_t usable = 0;
        for (size_t i = 0; i < rules_.size(); ++i) {
            if ((possible >> i & 1) && (rules_[i].needs & present) == rules_[i].needs &&
                HasShape(text.view(), rules_[i]))
                usable |= uint64_t{1} << i;
        }
        if (usable == 0) return false;
        PatternList& list = ListFor(usable);
        const int actions =
            copying_ ? static_cast<PatternRewriter&>(list).Apply(text.c_str()) : list.Scan(text.c_str());
        return TakeScanResult(list, actions, text);
    }

    // Runs the rules, and once more when they changed the text.
    bool RunTwiceIfChanged(TextString& text, uint64_t kinds) {
        if (!Run(text, kinds)) return false;
        Run(text, kinds | kNewlineKind);
        return true;
    }

private:
    struct Rule {
        int kind;
        std::string pattern;
        std::string text;
        uint64_t needs;  // the runs the pattern holds
        uint64_t kinds;  // the kinds of tags those runs open
        // The opening shape: lead, a wildcard of class wildClass ('\0' when
        // the pattern has no such shape), follow.
        std::string lead;
        char wildClass;
        bool plus;
        std::string follow;
    };

    // The rules whose kinds of tags are all among `kinds`, one bit per rule.
    // Texts of one sort (table cells, say) keep meeting the same sketch, so
    // the answers for the last few sketches are kept.
    uint64_t RulesForKinds(uint64_t kinds) {
        KindsEntry& entry = kindsCache_[(kinds ^ kinds >> 29 ^ kinds >> 47) % kindsCache_.size()];
        if (!entry.valid || entry.kinds != kinds) {
            uint64_t rules = 0;
            for (size_t i = 0; i < rules_.size(); ++i) {
                if ((rules_[i].kinds & kinds) == rules_[i].kinds) rules |= uint64_t{1} << i;
            }
            entry = KindsEntry{true, kinds, rules};
        }
        lastValid_ = true;
        lastKinds_ = kinds;
        lastRules_ = entry.rules;
        return entry.rules;
    }

    // Whether the text has the rule's opening shape somewhere: its lead run,
    // then characters of the wildcard's class, and its follow run where the
    // wildcard may end (shortest first, so the follow run may begin inside
    // the run of class characters).  Each character of a class run is looked
    // at once, however many lead runs it follows.
    static bool HasShape(std::string_view v, const Rule& rule) {
        if (rule.wildClass == '\0') return true;
        size_t examinedUpTo = 0;  // class-run positions before this were tried
        size_t runFrom = std::string_view::npos;
        size_t runEnd = 0;  // the class run measured last: [runFrom, runEnd)
        for (size_t at = FindText(v, rule.lead); at != kNotFound; at = FindText(v, rule.lead, at + 1)) {
            const size_t from = at + rule.lead.size();
            size_t end = from;
            if (runFrom != std::string_view::npos && from >= runFrom && from <= runEnd) {
                end = runEnd;
            } else {
                while (end < v.size() && PatternClassContains(rule.wildClass, v[end])) ++end;
                runFrom = from;
                runEnd = end;
            }
            size_t first = rule.plus ? from + 1 : from;
            if (first < examinedUpTo) first = examinedUpTo;
            for (size_t p = first; p <= end; ++p) {
                if (v.compare(p, rule.follow.size(), rule.follow) == 0) return true;
            }
            examinedUpTo = std::max(examinedUpTo, end + 1);
        }
        return false;
    }

    // Runs are found by their first character (searched for with memchr)
    // and, for runs of three or more characters, by a hash of their second
    // and third characters, so that a text full of other tags costs one
    // look-up per "<".
    struct FirstCharIndex {
        unsigned char first;
        std::vector<int> shortRuns;  // one or two characters
        std::array<std::vector<int>, 256> buckets;  // by BucketOf(second, third)
    };

    static size_t BucketOf(char second, char third) {
        return (static_cast<unsigned char>(second) * 31u + static_cast<unsigned char>(third)) & 255u;
    }

    void AddRunToIndex(const std::string& run, int index) {
        const unsigned char first = static_cast<unsigned char>(run[0]);
        FirstCharIndex* entry = nullptr;
        for (const std::unique_ptr<FirstCharIndex>& candidate : index_) {
            if (candidate->first == first) entry = candidate.get();
        }
        if (!entry) {
            index_.push_back(std::make_unique<FirstCharIndex>());
            entry = index_.back().get();
            entry->first = first;
        }
        if (run.size() < 3) {
            entry->shortRuns.push_back(index);
        } else {
            entry->buckets[BucketOf(run[1], run[2])].push_back(index);
        }
    }

    // Whether the run `k` occurs at `hit`, `left` characters before the end.
    bool RunAt(int k, const char* hit, size_t left) const {
        const std::string& run = runs_[static_cast<size_t>(k)];
        if (run.size() > left) return false;
        return std::memcmp(hit, run.data(), run.size()) == 0;
    }

    uint64_t PresentRuns(std::string_view v) const {
        uint64_t present = 0;
        const uint64_t all = runs_.size() == 64 ? ~uint64_t{0} : (uint64_t{1} << runs_.size()) - 1;
        const char* text = v.data();
        const size_t size = v.size();
        for (const std::unique_ptr<FirstCharIndex>& entry : index_) {
            for (const char* hit = static_cast<const char*>(std::memchr(text, entry->first, size)); hit != nullptr;
                 hit = static_cast<const char*>(std::memchr(hit + 1, entry->first, size - (hit + 1 - text)))) {
                const size_t left = size - static_cast<size_t>(hit - text);
                for (const int k : entry->shortRuns) {
                    if (RunAt(k, hit, left)) present |= uint64_t{1} << k;
                }
                if (left >= 3) {
                    for (const int k : entry->buckets[BucketOf(hit[1], hit[2])]) {
                        if (RunAt(k, hit, left)) present |= uint64_t{1} << k;
                    }
                }
                if (present == all) return present;
            }
        }
        return present;
    }

    PatternList& ListFor(uint64_t usable) {
        // A text that keeps meeting new combinations is served by the full
        // list once enough combinations are kept.
        const uint64_t everything = rules_.size() == 64 ? ~uint64_t{0} : (uint64_t{1} << rules_.size()) - 1;
        if (lists_.size() >= kMaxLists && !lists_.count(usable)) usable = everything;
        std::unique_ptr<PatternList>& slot = lists_[usable];
        if (!slot) {
            if (copying_) {
                slot = std::make_unique<PatternRewriter>();
            } else {
                slot = std::make_unique<PatternList>();
            }
            for (size_t i = 0; i < rules_.size(); ++i) {
                if (!(usable >> i & 1)) continue;
                slot->AddTextRule(rules_[i].kind, rules_[i].pattern.c_str(), rules_[i].text.c_str(), 1);
            }
            slot->SetLocked(1);
        }
        return *slot;
    }

    struct KindsEntry {
        bool valid = false;
        uint64_t kinds = 0;
        uint64_t rules = 0;
    };

    static constexpr size_t kMaxLists = 64;
    std::array<KindsEntry, 16> kindsCache_{};
    bool lastValid_ = false;  // the sketch asked for last and its rules
    uint64_t lastKinds_ = 0;
    uint64_t lastRules_ = 0;
    bool copying_;
    std::vector<Rule> rules_;
    std::vector<std::string> runs_;
    std::vector<std::unique_ptr<FirstCharIndex>> index_;
    std::unordered_map<uint64_t, std::unique_ptr<PatternList>> lists_;
};

// A list of kind 5 rules; callers test first whether it can act.
class CallbackPass {
public:
    CallbackPass(const std::vector<std::string>& patterns, PatternCallback callback, void* userData) {
        for (const std::string& pattern : patterns)
            list_.AddRule(kRuleCallback, pattern.c_str(), nullptr, 1, callback, userData);
        list_.SetLocked(1);
    }

    // Scans the text; true when the text changed.
    bool Run(TextString& text) { return TakeScanResult(list_, list_.Scan(text.c_str()), text); }

private:
    PatternList list_;
};

// ---------------------------------------------------------------------------
// White-space pairs
//
// A first text A, white space W and a second text B become R, followed by a
// newline when one was taken out of W and by the rest of W, as the switches
// say.  With the newline form, A + newline + W + B is tried first.

struct PairRule {
    const char* first;
    const char* second;
    const char* replacement;
    bool keepNewline;
    bool keepSpace;
};

void RemoveFirst(TextString& text, const char* what) {
    if (what[0] == '\0') return;
    int position = -1;
    if (text.Find(0, what, &position, 1)) {
        const int n = static_cast<int>(std::strlen(what));
        std::memmove(text.buffer + position, text.buffer + position + n,
                     static_cast<size_t>(text.length - position - n));
        text.SubString(0, text.length - n);
    }
}

std::string PairPattern(const char* first, bool withNewline, const char* second) {
    TextString pattern;
    AppendPatternLiteral(&pattern, first);
    if (withNewline) pattern.Append("|n");
    pattern.Append("*W");
    AppendPatternLiteral(&pattern, second);
    return pattern.str();
}

// Whether the text from `p` on (just after a newline) opens with blanks and
// tabs, if any, and then another newline.
inline bool NewlineRunAt(const char* p, const char* end) {
    // Indented lines open with blanks four at a time.
    while (end - p >= 4 && std::memcmp(p, "    ", 4) == 0) p += 4;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p < end && *p == '\n';
}

// Whether a newline is followed by white space and another newline.  The
// newlines are found sixteen bytes at a time where the processor compares
// vectors of bytes: a buffer of many short lines costs no call per line.
bool HasNewlineRun(std::string_view v) {
    const char* p = v.data();
    const char* const end = p + v.size();
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        for (unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline))); found != 0;
             found &= found - 1) {
            if (NewlineRunAt(p + __builtin_ctz(found) + 1, end)) return true;
        }
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n' && NewlineRunAt(p + 1, end)) return true;
    }
    return false;
}

// Whether `tag` is followed by white space somewhere.
bool TagFollowedBySpace(std::string_view v, std::string_view tag) {
    for (size_t at = FindText(v, tag); at != kNotFound; at = FindText(v, tag, at + 1)) {
        if (at + tag.size() < v.size() && IsWhite(v[at + tag.size()])) return true;
    }
    return false;
}

// Whether white space holding a newline stands in front of a "</FONT>".
bool NewlineBeforeFontEnd(std::string_view v) {
    for (size_t at = FindText(v, "</FONT>"); at != kNotFound; at = FindText(v, "</FONT>", at + 1)) {
        for (size_t i = at; i > 0 && IsWhite(v[i - 1]); --i) {
            if (v[i - 1] == '\n') return true;
        }
    }
    return false;
}

// A white-space pair rule with the pass that runs it and the texts its
// callback refills.
class PairPass {
public:
    // With `newlineForm`, A + newline + W + B is tried first.
    PairPass(const PairRule& rule, bool newlineForm)
        : rule_(rule), pass_(Patterns(rule, newlineForm), Callback, this) {}
    PairPass(const PairPass&) = delete;
    PairPass& operator=(const PairPass&) = delete;

    // Scans the text; true when the text changed.
    bool Run(TextString& text) { return pass_.Run(text); }

private:
    static std::vector<std::string> Patterns(const PairRule& rule, bool newlineForm) {
        std::vector<std::string> patterns;
        if (newlineForm) patterns.push_back(PairPattern(rule.first, true, rule.second));
        patterns.push_back(PairPattern(rule.first, false, rule.second));
        return patterns;
    }

    static int Callback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                        void* userData) {
        PairPass& pass = *static_cast<PairPass*>(userData);
        const PairRule& rule = pass.rule_;
        TextString& space = pass.space_;
        TextString& replacement = pass.replacement_;
        if (!PatternList::GetMatchText(match, working, &space)) return kPatternNoChange;
        RemoveFirst(space, rule.first);
        RemoveFirst(space, rule.second);
        int newline = -1;
        const bool tookNewline = space.FindChar(0, '\n', &newline, 1);
        if (tookNewline) {
            std::memmove(space.buffer + newline, space.buffer + newline + 1,
                         static_cast<size_t>(space.length - newline - 1));
            space.SubString(0, space.length - 1);
        }
        replacement.Assign(rule.replacement);
        if (rule.keepNewline && tookNewline) replacement.AppendChar('\n');
        if (rule.keepSpace && !space.IsEmpty()) replacement.Append(space);
        return PatternList::ReplaceMatchText(match, working, position, replacement.c_str());
    }

    PairRule rule_;
    TextString space_;
    TextString replacement_;
    CallbackPass pass_;
};

// ---------------------------------------------------------------------------
// FONT spans

const char* const kStrongTags[] = {"<STRONG>", "</STRONG>", "<EM>", "</EM>"};
const char* const kBoldTags[] = {"<B>", "</B>", "<I>", "</I>"};

// A single "<HR ...>" tag with something around it.
bool IsRuleWithExtras(const TextString& k) {
    return k.length > 4 && ContainsNoCase(k, "<HR") && k.CountChar('>') == 1;
}

struct FontSpanState {
    bool emStrong = true;
    bool keepSpaces = false;
    bool specialRules = false;
};

// ---------------------------------------------------------------------------
// Cells and lines

// Whether the cell whose content ends at `end` holds only white space: the
// text in front of it, white space apart, is the cell's start tag.
bool CellEmptyBefore(std::string_view v, size_t end, size_t floor, std::string_view startTag) {
    size_t i = end;
    while (i > floor && IsWhite(v[i - 1])) --i;
    if (i == floor || v[i - 1] != '>') return false;
    size_t open = i - 1;
    while (open > floor && v[open] != '<') --open;
    if (v[open] != '<' || v.compare(open, startTag.size(), startTag) != 0) return false;
    const char after = v[open + startTag.size()];
    return after == '>' || IsWhite(after);
}

// "<BR>" in front of a cell end goes, again and again; a cell left with

// Whether the line ends with a tag that begins "<FONT".
bool EndsWithFontTag(const TextString& line) {
    if (line.length == 0 || line.buffer[line.length - 1] != '>') return false;
    int open = line.length - 1;
    while (open >= 0 && line.buffer[open] != '<') --open;
    return open >= 0 && line.length - open >= 5 && std::memcmp(line.buffer + open, "<FONT", 5) == 0;
}

// ---------------------------------------------------------------------------
// Presence flags

void ClearFlags(TidyBuffer* b) {
    b->paragraphStart = b->paragraphEnd = 0;
    b->emphasis = 0;
    b->fontStart = b->fontEnd = 0;
    b->listItemStart = b->listItemEnd = 0;
    b->dataCellStart = b->dataCellEnd = 0;
    b->headerCellStart = b->headerCellEnd = 0;
    b->rowStart = b->rowEnd = 0;
    b->headingStart = b->headingEnd = 0;
    b->definitionList = b->definitionData = 0;
    b->unorderedList = b->orderedList = 0;
    b->blockQuote = 0;
    b->commentStart = b->commentEnd = 0;
    b->lineBreak = b->newline = b->nonBreakingSpace = 0;
    b->tableMarkup = 0;
    b->preformatted = 0;
    b->tagKinds = 0;
    b->plainTableText = 0;
    b->plainAfterPasses = 0;
}

// The scan of one text for the presence flags.  Every "<" is a tag for the
// flags, the sketch of tag kinds, the emphasis texts that begin with "<" and
// the PRE check; the other texts looked for are a newline, "&nbsp;", "-->",
// and the placeholder and NUL bytes.  The bytes that matter are found sixteen
// at a time where the processor compares vectors of bytes (SSE2), else with a
// table (short texts) or memchr (long ones).
class FlagScanner {
public:
    FlagScanner(FC* policies, std::string_view v, TidyBuffer* b)
        : v_(v),
          end_(v.data() + v.size()),
          b_(b),
          fontTags_(policies && policies->context && policies->context->fontTagSwitch) {
        if (!policies) return;
        for (const TextString* text :
             {&policies->strongOpen, &policies->strongClose, &policies->emphasisOpen, &policies->emphasisClose}) {
            if (text->IsEmpty()) continue;
            if (text->buffer[0] == '<') {
                tagEmphasis_[tagEmphasisCount_++] = text;
                // A text too short to have a kind is compared at every tag.
                if (text->length >= 3)
                    emphasisKinds_ |= TagKind(text->buffer[1], text->buffer[2]);
                else
                    emphasisEverywhere_ = true;
            } else if (!b->emphasis && Contains(v, text->view())) {
                b->emphasis = 1;
            }
        }
    }

    void Scan() {
#if defined(__SSE2__)
        ScanVectors();
#else
        if (v_.size() <= kShortText)
            ScanBytes();
        else
            ScanSearching();
#endif
        b_->tagKinds = kinds_ | (b_->newline ? kNewlineKind : 0);
        b_->tableMarkup = b_->rowStart || b_->rowEnd || b_->dataCellStart || b_->dataCellEnd ||
                          b_->headerCellStart || b_->headerCellEnd;
    }

private:
    // What a byte is for the scan.
    enum ByteClass : uint8_t { kPlain, kTagOpen, kNewline, kAmpersand, kDash, kProtected };
    static constexpr std::array<uint8_t, 256> kByteClasses = [] {
        std::array<uint8_t, 256> classes{};
        classes[static_cast<unsigned char>('<')] = kTagOpen;
        classes[static_cast<unsigned char>('\n')] = kNewline;
        classes[static_cast<unsigned char>('&')] = kAmpersand;
        classes[static_cast<unsigned char>('-')] = kDash;
        classes[static_cast<unsigned char>(kPlaceholder)] = kProtected;
        classes[0] = kProtected;
        return classes;
    }();

    // The byte at `p`, which is not plain.
    void Special(const char* p) {
        switch (kByteClasses[static_cast<unsigned char>(*p)]) {
            case kTagOpen: AnyTag(p); break;
            case kNewline: b_->newline = 1; break;
            case kAmpersand:
                if (end_ - p >= 6 && std::memcmp(p, "&nbsp;", 6) == 0) b_->nonBreakingSpace = 1;
                break;
            case kDash:
                if (end_ - p >= 3 && p[1] == '-' && p[2] == '>') b_->commentEnd = 1;
                break;
            case kProtected: b_->preformatted = 1; break;
            default: break;
        }
    }

#if defined(__SSE2__)
    void ScanVectors() {
        const char* p = v_.data();
        const __m128i tagOpen = _mm_set1_epi8('<'), newline = _mm_set1_epi8('\n'), ampersand = _mm_set1_epi8('&');
        const __m128i dash = _mm_set1_epi8('-'), placeholder = _mm_set1_epi8(kPlaceholder);
        const __m128i zero = _mm_setzero_si128();
        for (; end_ - p >= 16; p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i others = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, newline), _mm_cmpeq_epi8(bytes, ampersand)),
                _mm_or_si128(_mm_cmpeq_epi8(bytes, dash),
                             _mm_or_si128(_mm_cmpeq_epi8(bytes, placeholder), _mm_cmpeq_epi8(bytes, zero))));
            // The flags only ever go on, so tags and the other bytes are
            // taken in two rounds.
            for (unsigned tags = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tagOpen))); tags != 0;
                 tags &= tags - 1)
                AnyTag(p + __builtin_ctz(tags));
            for (unsigned rest = static_cast<unsigned>(_mm_movemask_epi8(others)); rest != 0; rest &= rest - 1)
                Special(p + __builtin_ctz(rest));
        }
        for (; p < end_; ++p) {
            if (kByteClasses[static_cast<unsigned char>(*p)] != kPlain) Special(p);
        }
    }
#else
    static constexpr size_t kShortText = 160;

    void ScanBytes() {
        auto classOf = [](const char* at) { return kByteClasses[static_cast<unsigned char>(*at)]; };
        for (const char* p = v_.data(); p < end_; ++p) {
            // Plain bytes are passed over four at a time.
            while (end_ - p >= 4 && (classOf(p) | classOf(p + 1) | classOf(p + 2) | classOf(p + 3)) == kPlain)
                p += 4;
            if (p == end_) break;
            if (classOf(p) != kPlain) Special(p);
        }
    }

    void ScanSearching() {
        const char* const data = v_.data();
        const size_t size = v_.size();
        for (const char* p = static_cast<const char*>(std::memchr(data, '<', size)); p != nullptr;
             p = static_cast<const char*>(std::memchr(p + 1, '<', static_cast<size_t>(end_ - p - 1))))
            AnyTag(p);
        if (std::memchr(data, '\n', size)) b_->newline = 1;
        if (std::memchr(data, kPlaceholder, size) || std::memchr(data, '\0', size)) b_->preformatted = 1;
        if (Contains(v_, "&nbsp;")) b_->nonBreakingSpace = 1;
        if (Contains(v_, "-->")) b_->commentEnd = 1;
    }
#endif

    // The tag that opens at `p` (a "<").
    [[gnu::always_inline]] void AnyTag(const char* p) {
        if (end_ - p >= 8)
            Tag<false>(p);
        else
            Tag<true>(p);
    }

    // The tag that opens at `p`.  Its name is compared character by
    // character; a character beyond the end reads as NUL, which matches no
    // character of a name.  `kNearEnd`: the text may end within eight
    // characters of the "<", so each character read is checked.
    template <bool kNearEnd>
    [[gnu::always_inline]] void Tag(const char* p) {
        const size_t left = static_cast<size_t>(end_ - p);
        auto at = [p, left](size_t i) {
            if constexpr (kNearEnd) {
                return i < left ? p[i] : '\0';
            } else {
                (void)left;
                return p[i];  // i < 6 here
            }
        };
        const char c1 = at(1);
        const char c2 = at(2);
        const uint64_t kind = left > 2 ? TagKind(c1, c2) : 0;
        kinds_ |= kind;
        TidyBuffer* const b = b_;
        const bool closing = c1 == '/';
        const size_t n = closing ? 2 : 1;  // where the name begins
        switch (at(n)) {
            case 'P':
                if (at(n + 1) == '>') (closing ? b->paragraphEnd : b->paragraphStart) = 1;
                break;
            case 'F':
                if (fontTags_ && at(n + 1) == 'O' && at(n + 2) == 'N' && at(n + 3) == 'T')
                    (closing ? b->fontEnd : b->fontStart) = 1;
                break;
            case 'L':
                if (at(n + 1) == 'I' && (closing || at(n + 2) == ' '))
                    (closing ? b->listItemEnd : b->listItemStart) = 1;
                break;
            case 'T': {
                const char second = at(n + 1);
                if (second == 'D') (closing ? b->dataCellEnd : b->dataCellStart) = 1;
                if (second == 'H') (closing ? b->headerCellEnd : b->headerCellStart) = 1;
                if (second == 'R') (closing ? b->rowEnd : b->rowStart) = 1;
                break;
            }
            case 'H': (closing ? b->headingEnd : b->headingStart) = 1; break;
            case 'D':
                if (at(n + 1) == 'L') b->definitionList = 1;
                if (at(n + 1) == 'D') b->definitionData = 1;
                break;
            case 'U':
                if (at(n + 1) == 'L') b->unorderedList = 1;
                break;
            case 'O':
                if (at(n + 1) == 'L') b->orderedList = 1;
                break;
            case 'B':
                if (at(n + 1) == 'L' && left >= n + 10 && std::memcmp(p + n, "BLOCKQUOTE", 10) == 0)
                    b->blockQuote = 1;
                if (!closing && at(n + 1) == 'R' && at(n + 2) == '>') b->lineBreak = 1;
                break;
            case '!':
                if (!closing && at(n + 1) == '-' && at(n + 2) == '-') b->commentStart = 1;
                break;
            default: break;
        }
        if (!b->emphasis && ((kind & emphasisKinds_) != 0 || emphasisEverywhere_)) {
            for (int k = 0; k < tagEmphasisCount_; ++k) {
                const TextString& e = *tagEmphasis_[k];
                if (static_cast<size_t>(e.length) <= left &&
                    std::memcmp(p, e.buffer, static_cast<size_t>(e.length)) == 0) {
                    b->emphasis = 1;
                    break;
                }
            }
        }
        if ((c1 == 'P' || c1 == 'p' || (closing && (c2 == 'P' || c2 == 'p'))) &&
            PreTagAt(v_, static_cast<size_t>(p - v_.data()), closing))
            b->preformatted = 1;
    }

    std::string_view v_;
    const char* end_;
    TidyBuffer* b_;
    bool fontTags_;
    // Emphasis texts that begin with "<", compared only at the tags whose
    // kind (the hash of the two characters after the "<") they share.
    const TextString* tagEmphasis_[4] = {};
    int tagEmphasisCount_ = 0;
    uint64_t emphasisKinds_ = 0;
    bool emphasisEverywhere_ = false;
    uint64_t kinds_ = 0;
};

void ScanFlags(FC* policies, std::string_view v, TidyBuffer* b) {
    ClearFlags(b);
    FlagScanner(policies, v, b).Scan();
}

// Takes off the newlines the text begins with (see TidyPasses::StartAtLineStart).
void DropLeadingNewlines(TextString& text) {
    int n = 0;
    while (n < text.length && text.buffer[n] == '\n') ++n;
    if (n > 0) text.SubString(n, text.length - n);
}

// Whether a "&" at `p` (in the text from `begin` to `end`) is a
// non-breaking space that the passes leave as it is: "&nbsp;" with no blank
// on either side and no line break after it.  With `allowBreaks`, one that
// a "<BR>" follows counts too: the plain passes take it off in front of the
// break, as the full passes do (see TidyPasses::TidyPlainTableText).
bool StandingNonBreakingSpace(const char* begin, const char* p, const char* end, bool allowBreaks) {
    constexpr std::string_view kSpace = "&nbsp;";
    if (static_cast<size_t>(end - p) < kSpace.size() || std::memcmp(p, kSpace.data(), kSpace.size()) != 0 ||
        (p > begin && p[-1] == ' '))
        return false;
    const char* const after = p + kSpace.size();
    if (after == end) return true;
    if (*after == ' ') return false;
    if (end - after >= 3 && after[0] == '<' && (after[1] == 'B' || after[1] == 'b') &&
        (after[2] == 'R' || after[2] == 'r'))
        return allowBreaks && end - after >= 4 && after[1] == 'B' && after[2] == 'R' && after[3] == '>';
    return true;
}

// Whether the text is a plain table text: every tag in it is a table row or
// cell tag ("<TR", "<TD", "<TH" or an end tag of these, in upper case, the
// name ended by ">" or a blank) or a "<BR>"; and it holds no "&" but a
// standing "&nbsp;" (see StandingNonBreakingSpace), no "-->", no
// placeholder or NUL byte, and no empty or blank line (nor begins with one).
// Without `allowBreaks` only the "<BR>" tags the passes leave as they are
// count: none directly in front of an end tag "</T" or after an "&nbsp;".
// With `flags`, the presence flags of the tags, non-breaking spaces and
// newlines found are set as the scan sets them (the caller clears them).
//
// Every pass looks for something such a text cannot hold: a tag of another
// kind ("<P", "<FONT", "<EM>", "</LI>", "<!--", ...), "&nbsp;" beside a
// blank, "-->", a newline followed by white space and another newline, or a
// pre-formatted part; and the newline put in front of a text of several
// lines is taken off again when the text does not begin with a blank line.
// Only the pass over cell-ending line breaks can act on it, on its "<BR>"
// tags, after the one that takes "&nbsp;" off in front of a "<BR>".  (An
// empty cell holds "&nbsp;": the rows of a table with empty cells stay
// plain.)
bool PlainTableText(const char* const begin, const char* const end, bool allowBreaks, TidyBuffer* flags) {
    if (begin == end) return true;
    if (NewlineRunAt(begin, end) || *begin == '\n') return false;  // begins with an empty or blank line
    uint64_t kinds = 0;
    bool newline = false;
    // Whether the byte at `p`, one of those looked for, keeps the text plain.
    auto plain = [&](const char* p) __attribute__((always_inline)) {
        switch (*p) {
            case '<': {
                const bool closing = p[1] == '/';  // the text is NUL-terminated
                const char* name = closing ? p + 2 : p + 1;
                if (end - name < 3) return false;
                if (name[0] == 'T' && (name[2] == '>' || name[2] == ' ')) {
                    if (!flags) return name[1] == 'R' || name[1] == 'D' || name[1] == 'H';
                    switch (name[1]) {
                        case 'R': (closing ? flags->rowEnd : flags->rowStart) = 1; break;
                        case 'D': (closing ? flags->dataCellEnd : flags->dataCellStart) = 1; break;
                        case 'H': (closing ? flags->headerCellEnd : flags->headerCellStart) = 1; break;
                        default: return false;
                    }
                    kinds |= TagKind(p[1], p[2]);
                    return true;
                }
                if (!closing && name[0] == 'B' && name[1] == 'R' && name[2] == '>') {
                    if (!allowBreaks) {
                        // The cell-end pass would take it off in front of "</TD>" or "</TH>".
                        const char* const after = name + 3;
                        return !(end - after >= 3 && after[0] == '<' && after[1] == '/' && after[2] == 'T');
                    }
                    if (flags) {
                        flags->lineBreak = 1;
                        kinds |= TagKind('B', 'R');
                    }
                    return true;
                }
                return false;
            }
            case '\n': newline = true; return !NewlineRunAt(p + 1, end);
            case '-': return !(end - p >= 3 && p[1] == '-' && p[2] == '>');
            case '&':
                if (!StandingNonBreakingSpace(begin, p, end, allowBreaks)) return false;
                if (flags) flags->nonBreakingSpace = 1;
                return true;
            default:  // a placeholder or a NUL byte
                return false;
        }
    };
    const char* p = begin;
#if defined(__SSE2__)
    const __m128i tagOpen = _mm_set1_epi8('<'), newlines = _mm_set1_epi8('\n'), ampersand = _mm_set1_epi8('&');
    const __m128i dash = _mm_set1_epi8('-'), placeholder = _mm_set1_epi8(kPlaceholder);
    const __m128i zero = _mm_setzero_si128();
    // The bytes looked for among the 16 at `at`, those whose bits are in `keep`.
    auto block = [&](const char* at, unsigned keep) __attribute__((always_inline)) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i wanted = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, tagOpen), _mm_cmpeq_epi8(bytes, newlines)),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, ampersand),
                         _mm_or_si128(_mm_cmpeq_epi8(bytes, placeholder), _mm_cmpeq_epi8(bytes, zero))));
        // A dash matters only in front of another (dates and ranges hold
        // single ones); the last byte's neighbour is in the next block.
        const unsigned dashes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, dash)));
        unsigned found =
            (static_cast<unsigned>(_mm_movemask_epi8(wanted)) | (dashes & ((dashes >> 1) | 0x8000u))) & keep;
        for (; found != 0; found &= found - 1) {
            if (!plain(at + __builtin_ctz(found))) return false;
        }
        return true;
    };
    for (; end - p >= 16; p += 16) {
        if (!block(p, 0xFFFFu)) return false;
    }
    // The rest of a text of 16 bytes or more: the 16 that end it, without
    // the bytes already looked at.
    if (p < end && end - begin >= 16) {
        if (!block(end - 16, (0xFFFFu << (16 - (end - p))) & 0xFFFFu)) return false;
        p = end;
    }
#endif
    for (; p < end; ++p) {
        const char c = *p;
        if ((c == '<' || c == '\n' || c == '&' || c == '-' || c == kPlaceholder || c == '\0') && !plain(p))
            return false;
    }
    if (flags) {
        flags->newline = newline ? 1 : 0;
        flags->tagKinds = kinds | (newline ? kNewlineKind : 0);
        flags->tableMarkup = flags->rowStart || flags->rowEnd || flags->dataCellStart || flags->dataCellEnd ||
                             flags->headerCellStart || flags->headerCellEnd;
    }
    return true;
}

// Whether one of the set's bold and italic markup texts is in a plain table
// text.  Those that begin with "<" can stand only at one of its tags.
bool EmphasisInPlainText(FC* policies, std::string_view v) {
    if (!policies) return false;
    for (const TextString* text :
         {&policies->strongOpen, &policies->strongClose, &policies->emphasisOpen, &policies->emphasisClose}) {
        if (text->IsEmpty()) continue;
        if (text->buffer[0] == '<' && text->length >= 2 && text->buffer[1] != 'T' && text->buffer[1] != '/' &&
            text->buffer[1] != 'B')
            continue;
        if (Contains(v, text->view())) return true;
    }
    return false;
}

// Whether the passes may take the buffer as a plain table text.
bool PlainBuffer(const TidyBuffer* b) {
    if (b->preformatted || b->startsInsidePre) return false;
    // The scan's verdict holds for the passes that run first after it.
    if (b->plainTableText) return true;
    return PlainTableText(b->text.buffer, b->text.buffer + b->text.length, true, nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------
// The passes and their state
//
// The rule lists (built on first use for each combination of the settings
// they depend on, and kept with the pattern lists made for the rules each
// text can meet), the callback passes, and the scratch texts each pass
// refills for every text, which keep their room from one text to the next.
// A TidyBuffer makes its passes when the first pass runs over it and keeps
// them: an owner that tidies text after text keeps one record (the HTML
// writer for its flushes, the table engine for its cells).  Every scratch
// text serves the one routine named beside it: a routine that runs inside
// another's callback never refills a text the other still reads.
class TidyPasses {
public:
    TidyPasses() = default;
    TidyPasses(const TidyPasses&) = delete;
    TidyPasses& operator=(const TidyPasses&) = delete;

    // The scan's second look at a text with pre-formatted sections: its
    // flags again, with those sections left out.
    void ScanOutsidePre(FC* policies, TidyBuffer* buffer);
    // HTML_TidyEmphasis and HTML_TidyMarkup.
    int TidyEmphasis(FC* policies, TidyBuffer* buffer);
    int TidyMarkup(FC* policies, TidyBuffer* buffer);

private:
    // Replaces every occurrence (case-sensitive, left to right, replacements
    // are not searched again); true when there was one.
    bool ReplaceAll(TextString& text, std::string_view find, std::string_view with);
    // Removes every occurrence of `what` (case-sensitive); true when there
    // was one.
    bool RemoveAll(TextString& text, const char* what) { return ReplaceAll(text, what, ""); }
    void RemoveFontStartTags(TextString& text);
    void StartAtLineStart(TextString& text);
    bool NewlinePass(TextString& text);
    bool StartTagPass(TextString& text, bool listItem);
    bool FontEndPass(TextString& text);
    void FontSpanContent(const TextString& span, bool emStrong, bool dropSpaces, TextString* c, TextString* k);
    bool FontSpanHasContent(const TextString& span, bool emStrong);
    bool IsRuleTag(const TextString& k);
    static int FontSpanCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                                void* userData);
    bool FontSpanPass(TextString& text, const TidySettings& s, bool keepSpaces);
    static int RulePairCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                                void* userData);
    void RulePairPass(TextString& text);
    void RemoveParagraphTags(TextString& text);
    static int ParagraphCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                                 void* userData);
    void ParagraphSpanPass(TextString& text, const TidySettings& s);
    bool DropCellEndBreaks(TextString& text, const char* startTag, const char* endTag);
    bool FontLineJoinPass(TextString& text);
    RuleList& EmphasisRules(const TidySettings& s);
    RuleList& FirstMarkupRules(const TidySettings& s);
    RuleList& SecondMarkupRules(const TidySettings& s);
    void TidyMarkupCovered(const TidySettings& s, TidyBuffer* b);
    void TidyEmphasisCovered(FC* policies, TidyBuffer* b);
    void TidyPlainTableText(TidyBuffer* b);
    template <typename Passes>
    int RunTidyPasses(TidyBuffer* buffer, Passes passes);

    // The rule lists, one per combination of the settings they are built
    // from (see EmphasisRules and the others).
    std::array<std::unique_ptr<RuleList>, 4> emphasisRules;
    std::array<std::unique_ptr<RuleList>, 4> firstMarkupRules;
    std::array<std::unique_ptr<RuleList>, 4> secondMarkupRules;
    std::unique_ptr<RuleList> paragraphTags;  // RemoveParagraphTags
    // The passes, each made when it first runs (most texts need few of
    // them).  The white-space pairs:
    std::unique_ptr<PairPass> newlines;  // NewlinePass
    std::unique_ptr<PairPass> paragraphStart;  // StartTagPass
    std::unique_ptr<PairPass> itemStart;  // StartTagPass
    std::unique_ptr<PairPass> fontEnd;  // FontEndPass
    // The callback passes, and what their callbacks read: the settings of
    // the pass that runs.
    FontSpanState fontSpanState;
    std::unique_ptr<CallbackPass> fontSpans;  // FontSpanPass
    std::unique_ptr<CallbackPass> rulePairs;  // RulePairPass
    TidySettings paragraphSettings;
    std::unique_ptr<CallbackPass> paragraphs;  // ParagraphSpanPass
    PreShield shield;  // RunTidyPasses
    // The scratch texts.
    TextString fontTagsRemoved;  // RemoveFontStartTags
    TextString contentC, contentK;  // FontSpanHasContent
    TextString bareRule;  // IsRuleTag
    TextString fontSpan, fontSpanC, fontSpanK;  // FontSpanCallback
    TextString rulePair;  // RulePairCallback
    TextString paragraph, paragraphTidied, paragraphC, paragraphK, paragraphFont;  // ParagraphCallback
    TextString cellEnds;  // DropCellEndBreaks
    TextString joined, joinLine, joinNext;  // FontLineJoinPass
    Regions regions;  // ScanOutsidePre
    std::string outside;  // ScanOutsidePre
};

namespace {

// The pass in `slot`, made by `make` when it first runs.
template <typename Pass, typename Make>
Pass& MadeOnFirstUse(std::unique_ptr<Pass>& slot, Make make) {
    if (!slot) slot = make();
    return *slot;
}

}  // namespace

bool TidyPasses::ReplaceAll(TextString& text, std::string_view find, std::string_view with) {
    const std::string_view v = text.view();
    size_t at = FindText(v, find);
    if (at == kNotFound) return false;
    // In the text's own buffer: a flush may tidy a whole block at once, and
    // a copy would hold it twice.  A replacement no longer than what it
    // replaces is written forward, behind what is still to be read.
    char* const data = text.buffer;
    if (with.size() <= find.size()) {
        size_t out = at;
        size_t copied = at;
        for (; at != kNotFound; at = FindText(v, find, copied)) {
            std::memmove(data + out, data + copied, at - copied);
            out += at - copied;
            std::memcpy(data + out, with.data(), with.size());
            out += with.size();
            copied = at + find.size();
        }
        std::memmove(data + out, data + copied, v.size() - copied);
        text.SubString(0, static_cast<int>(out + v.size() - copied));
        return true;
    }
    // A longer one: the occurrences are counted, the text given room for
    // the result, and the result written backward from the end.  The
    // occurrences found from the end are those found from the start, as no
    // pattern these passes replace can overlap itself.
    size_t count = 0;
    for (size_t from = at; from != kNotFound; from = FindText(v, find, from + find.size())) ++count;
    const size_t oldLength = v.size();
    const int newLength =
        GrownLength(static_cast<int64_t>(oldLength), static_cast<int64_t>(count * (with.size() - find.size())));
    text.Reserve(newLength);
    char* const grown = text.buffer;
    const std::string_view old(grown, oldLength);
    // The bytes before `end` are not moved yet, and what is written lies
    // at or after it.
    size_t end = oldLength;
    size_t out = static_cast<size_t>(newLength);
    size_t found = FindTextBefore(old, find, oldLength);
    for (size_t left = count; left > 0; --left) {
        const size_t after = found + find.size();
        out -= end - after;
        std::memmove(grown + out, grown + after, end - after);
        out -= with.size();
        std::memcpy(grown + out, with.data(), with.size());
        end = found;
        if (left > 1) found = FindTextBefore(old, find, found);
    }
    text.length = newLength;
    text.buffer[newLength] = '\0';
    return true;
}

// Removes every "<FONT" tag (up to the first ">" after it).
void TidyPasses::RemoveFontStartTags(TextString& text) {
    if (!Contains(text, "<FONT")) return;
    std::string_view v = text.view();
    TextString& out = fontTagsRemoved;
    out.MakeEmpty();
    size_t copied = 0;
    for (size_t at = FindText(v, "<FONT"); at != kNotFound; at = FindText(v, "<FONT", copied)) {
        const size_t close = v.find('>', at + 5);
        if (close == std::string_view::npos) break;
        out.AppendBytes(v.data() + copied, static_cast<int>(at - copied));
        copied = close + 1;
    }
    out.AppendBytes(v.data() + copied, static_cast<int>(v.size() - copied));
    text.AssignChars(out.buffer, out.length);
}

// ---------------------------------------------------------------------------
// Line starts
//
// A tidied text of several lines begins at the start of a line, after the
// lines written before it: a newline put in front lets the passes see that
// line start (a blank line at the very beginning folds away like any
// other), and the tidied text never begins with an empty line.  A buffer
// that is written in parts is tidied again with what follows, so without
// this every part could add blank lines where it ends.

void TidyPasses::StartAtLineStart(TextString& text) {
    if (!std::memchr(text.buffer, '\n', static_cast<size_t>(text.length))) return;  // a single line
    text.Insert(0, "\n");
}

// Every newline followed by white space and another newline becomes one
// newline; repeated, ten runs at most, while a run changes the text.  True
// when the text is known to hold no such run afterwards.
bool TidyPasses::NewlinePass(TextString& text) {
    for (int run = 0; run < 10; ++run) {
        if (!HasNewlineRun(text.view())) return true;
        PairPass& pass = MadeOnFirstUse(newlines, [] {
            return std::make_unique<PairPass>(PairRule{"\n", "\n", "\n", false, false}, false);
        });
        if (!pass.Run(text)) return false;
    }
    return false;
}

// The white space after a "<P>" or "<LI>", line breaks included, goes.
// True when the text changed.
bool TidyPasses::StartTagPass(TextString& text, bool listItem) {
    if (!TagFollowedBySpace(text.view(), listItem ? "<LI>" : "<P>")) return false;
    if (listItem)
        return MadeOnFirstUse(
                   itemStart,
                   [] {
                       return std::make_unique<PairPass>(PairRule{"<LI>", "", "<LI>", false, false}, true);
                   })
            .Run(text);
    return MadeOnFirstUse(paragraphStart,
                          [] {
                              return std::make_unique<PairPass>(PairRule{"<P>", "", "<P>", false, false}, true);
                          })
        .Run(text);
}

// White space in front of "</FONT>" that holds a newline moves behind it,
// the newline first.  True when the text changed.
bool TidyPasses::FontEndPass(TextString& text) {
    if (!NewlineBeforeFontEnd(text.view())) return false;
    PairPass& pass = MadeOnFirstUse(fontEnd, [] {
        return std::make_unique<PairPass>(PairRule{"", "</FONT>", "</FONT>", true, true}, true);
    });
    if (!pass.Run(text)) return false;
    NewlinePass(text);
    return true;
}

// ---------------------------------------------------------------------------
// FONT spans

// C: the span without its FONT tags and bold and italic tags (and without
// its non-breaking spaces when `dropSpaces`); K: C without white space.
void TidyPasses::FontSpanContent(const TextString& span, bool emStrong, bool dropSpaces, TextString* c,
                                 TextString* k) {
    *c = span;
    RemoveFontStartTags(*c);
    RemoveAll(*c, "</FONT>");
    for (const char* tag : emStrong ? kStrongTags : kBoldTags) RemoveAll(*c, tag);
    if (dropSpaces) RemoveAll(*c, "&nbsp;");
    *k = *c;
    k->Trim(0, " ");
    k->RemoveCharClass(4);
}

// A span "has content" when something but white space and non-breaking
// spaces is left of it.
bool TidyPasses::FontSpanHasContent(const TextString& span, bool emStrong) {
    FontSpanContent(span, emStrong, true, &contentC, &contentK);
    return !contentK.IsEmpty();
}

// "<R>" or "</R>" once non-breaking spaces and repeated blanks are gone.
bool TidyPasses::IsRuleTag(const TextString& k) {
    TextString& bare = bareRule;
    bare = k;
    RemoveAll(bare, "&nbsp;");
    bare.CollapseBlanks();
    return EqualsNoCase(bare, "<R>") || EqualsNoCase(bare, "</R>");
}

int TidyPasses::FontSpanCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                                 void* userData) {
    TidyPasses& passes = *static_cast<TidyPasses*>(userData);
    const FontSpanState& state = passes.fontSpanState;
    TextString& span = passes.fontSpan;
    TextString& c = passes.fontSpanC;
    TextString& k = passes.fontSpanK;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    passes.FontSpanContent(span, state.emStrong, !state.keepSpaces, &c, &k);
    const char* replacement = nullptr;
    if (k.IsEmpty()) {
        replacement = "";
    } else if (EqualsNoCase(k, "<BR>")) {
        replacement = "<BR>";
    } else if (EqualsNoCase(k, "<HR>")) {
        replacement = "<HR>";
    } else if (IsRuleWithExtras(k)) {
        replacement = c.c_str();
    } else if (state.specialRules && passes.IsRuleTag(k)) {
        replacement = k.c_str();
    } else {
        return kPatternNoChange;
    }
    return PatternList::ReplaceMatchText(match, working, position, replacement);
}

// Removes FONT spans that hold nothing (or only non-breaking spaces, unless
// `keepSpaces`), and reduces spans holding only a line break or a rule to
// it.  A removed span cannot make a span in front of it match differently,
// so the scan goes on after each replacement instead of starting again.
bool TidyPasses::FontSpanPass(TextString& text, const TidySettings& s, bool keepSpaces) {
    FontSpanState& state = fontSpanState;
    if (!s.fontSpansTidied || !Contains(text, "<FONT") || !Contains(text, "</FONT>")) return false;
    state.emStrong = s.emStrong;
    state.keepSpaces = keepSpaces;
    state.specialRules = SpecialRuleSet(s);
    return MadeOnFirstUse(fontSpans,
                          [this] {
                              return std::make_unique<CallbackPass>(std::vector<std::string>{"<FONT**</FONT>"},
                                                                    FontSpanCallback, this);
                          })
        .Run(text);
}

// ---------------------------------------------------------------------------
// "<R>" pairs and paragraphs

int TidyPasses::RulePairCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                                 void* userData) {
    TidyPasses& passes = *static_cast<TidyPasses*>(userData);
    TextString& span = passes.rulePair;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    passes.RemoveAll(span, "&nbsp;");
    span.Trim(0, " ");
    span.RemoveCharClass(4);
    if (!EqualsNoCase(span, "<R></R>")) return kPatternNoChange;
    return PatternList::ReplaceMatchText(match, working, position, "");
}

// Removes "<R>" pairs holding nothing but white space and non-breaking spaces.
void TidyPasses::RulePairPass(TextString& text) {
    if (!Contains(text, "<R>") || !Contains(text, "</R>")) return;
    MadeOnFirstUse(rulePairs, [this] {
        return std::make_unique<CallbackPass>(std::vector<std::string>{"<R>**</R>"}, RulePairCallback, this);
    }).Run(text);
}

// The paragraph without its "<P ...>" and "</P>" tags.
void TidyPasses::RemoveParagraphTags(TextString& text) {
    MadeOnFirstUse(paragraphTags, [] {
        auto list = std::make_unique<RuleList>(true);
        list->Add(kRuleReplace, "<P**>", "");
        list->Add(kRuleReplace, "</P>", "");
        return list;
    }).Run(text, kAnyKinds);
}

int TidyPasses::ParagraphCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working,
                                  int* position, void* userData) {
    TidyPasses& passes = *static_cast<TidyPasses*>(userData);
    const TidySettings& s = passes.paragraphSettings;
    TextString& span = passes.paragraph;
    TextString& tidied = passes.paragraphTidied;
    TextString& c = passes.paragraphC;
    TextString& k = passes.paragraphK;
    TextString& font = passes.paragraphFont;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;

    // Non-breaking spaces in its FONT spans stay when one of them has content.
    bool fontContent = false;
    const std::string_view v = span.view();
    for (size_t at = FindText(v, "<FONT"); at != kNotFound && !fontContent;) {
        const size_t end = FindText(v, "</FONT>", at + 5);
        if (end == kNotFound) break;
        font.AssignChars(v.data() + at, static_cast<int>(end + 7 - at));
        fontContent = passes.FontSpanHasContent(font, s.emStrong);
        at = FindText(v, "<FONT", end + 7);
    }
    tidied = span;
    passes.FontSpanPass(tidied, s, fontContent);
    passes.RulePairPass(tidied);

    c = tidied;
    passes.RemoveParagraphTags(c);
    k = c;
    k.RemoveCharClass(4);

    const char* replacement = nullptr;
    if (k.IsEmpty()) {
        replacement = SpecialRuleSet(s) ? "" : "<BR>";
    } else if (EqualsNoCase(k, "<BR>")) {
        replacement = "<BR>";
    } else if (k == "<HR>") {
        replacement = "<HR>";
    } else if (k.length > 4 && Contains(k, "<HR") && k.CountChar('>') == 1) {
        replacement = c.c_str();
    } else if (tidied.length < span.length) {
        replacement = tidied.c_str();
    } else if (SpecialRuleSet(s) && (EqualsNoCase(k, "<R>") || EqualsNoCase(k, "</R>"))) {
        replacement = k.c_str();
    } else {
        return kPatternNoChange;
    }
    return PatternList::ReplaceMatchText(match, working, position, replacement);
}

// Empty paragraphs become line breaks (or go, under the special rule sets).
void TidyPasses::ParagraphSpanPass(TextString& text, const TidySettings& s) {
    paragraphSettings = s;
    MadeOnFirstUse(paragraphs, [this] {
        return std::make_unique<CallbackPass>(std::vector<std::string>{"<P**>**</P>"}, ParagraphCallback, this);
    }).Run(text);
}

// ---------------------------------------------------------------------------
// Cells and lines

// nothing gets a non-breaking space instead of its last one.  The text is
// edited in place from the front while every edit shortens it (what is
// written never reaches what is still to be read); from an edit that
// lengthens it on, the rest is copied.  True when the text changed.
bool TidyPasses::DropCellEndBreaks(TextString& text, const char* startTag, const char* endTag) {
    const std::string_view v = text.view();  // the text not yet read stays as it was
    const std::string_view endView(endTag);
    char* const data = text.buffer;
    TextString& out = cellEnds;
    bool copying = false;
    bool changed = false;
    size_t write = 0;  // in place: the end of the text edited so far
    size_t read = 0;  // the start of the text not yet taken over
    size_t floor = 0;
    // The end tags, found by their "/" (rarer in markup than "<").
    const char* const end = v.data() + v.size();
    for (const char* slash = static_cast<const char*>(std::memchr(v.data(), '/', v.size())); slash != nullptr;
         slash = static_cast<const char*>(std::memchr(slash + 1, '/', static_cast<size_t>(end - slash - 1)))) {
        if (slash == v.data() || slash[-1] != '<' || static_cast<size_t>(end - slash) < endView.size() - 1 ||
            !SameChars(slash + 1, endView.data() + 2, endView.size() - 2))
            continue;
        const size_t at = static_cast<size_t>(slash - 1 - v.data());
        if (at < floor) continue;  // inside the end tag found before (not for "</TD>" or "</TH>")
        size_t first = at;
        while (first >= floor + 4 && std::memcmp(v.data() + first - 4, "<BR>", 4) == 0) first -= 4;
        if (first < at) {
            const bool space = CellEmptyBefore(v, first, floor, startTag);
            if (!changed) write = read = first;  // nothing before it moves
            changed = true;
            if (!copying && space && at - first < 6) {
                // The non-breaking space needs more room than it gets.
                copying = true;
                out.AssignChars(data, static_cast<int>(write));
            }
            if (copying) {
                out.AppendBytes(v.data() + read, static_cast<int>(first - read));
                if (space) out.AppendBytes("&nbsp;", 6);
            } else {
                if (first > read) std::memmove(data + write, data + read, first - read);
                write += first - read;
                if (space) {
                    std::copy_n("&nbsp;", 6, data + write);
                    write += 6;
                }
            }
            read = at;
        }
        floor = at + endView.size();
        slash = v.data() + floor - 1;  // the search goes on after this end tag
    }
    if (!changed) return false;
    if (copying) {
        out.AppendBytes(v.data() + read, static_cast<int>(v.size() - read));
        std::swap(text, out);
    } else {
        std::memmove(data + write, data + read, v.size() - read);
        text.SubString(0, static_cast<int>(write + v.size() - read));
    }
    return true;
}

// A line ending with a FONT start tag takes the first word of the next line;
// empty lines go.  True when a word moved.
bool TidyPasses::FontLineJoinPass(TextString& text) {
    TextString& out = joined;
    TextString& line = joinLine;
    TextString& next = joinNext;
    out.MakeEmpty();
    const std::string_view v = text.view();
    size_t position = 0;
    auto takeLine = [&](TextString& into) {
        if (position > v.size()) return false;
        size_t end = v.find('\n', position);
        if (end == std::string_view::npos) end = v.size();
        into.AssignChars(v.data() + position, static_cast<int>(end - position));
        position = end + 1;
        return true;
    };
    bool moved = false;
    bool haveLine = takeLine(line);
    while (haveLine) {
        const bool haveNext = takeLine(next);
        if (haveNext && EndsWithFontTag(line)) {
            next.Trim(0, " ");
            next.CollapseBlanks();
            int blank = -1;
            if (!next.FindChar(0, ' ', &blank, 1)) blank = -1;
            const int wordLength = blank < 0 ? next.length : blank;
            if (wordLength > 0 && !next.StartsWith("<!--", 1)) {
                line.AppendBytes(next.buffer, wordLength);
                line.AppendChar(' ');
                next.SubString(blank < 0 ? next.length : blank + 1, next.length);
                moved = true;
            }
        }
        if (!line.IsEmpty()) {
            if (!out.IsEmpty()) out.AppendChar('\n');
            out.Append(line);
        }
        if (!haveNext) break;
        std::swap(line, next);
    }
    if (!v.empty() && v.back() == '\n' && !out.IsEmpty()) out.AppendChar('\n');
    text.AssignChars(out.buffer, out.length);
    return moved;
}

// ---------------------------------------------------------------------------
// The rule lists, one per combination of the settings they are built from

RuleList& TidyPasses::EmphasisRules(const TidySettings& s) {
    std::unique_ptr<RuleList>& slot = emphasisRules[(s.emStrong ? 1 : 0) | (s.ruleSet == kRuleSetSec ? 2 : 0)];
    if (!slot) {
        slot = std::make_unique<RuleList>(true);
        RuleList& list = *slot;
        if (s.emStrong) {
            list.Add(kRuleReplace, "<STRONG>*W</STRONG>", "");
            list.Add(kRuleReplace, "<EM>*W</EM>", "");
            list.Add(kRuleReplace, "</STRONG>?W</FONT>", "</STRONG> </FONT>");
            list.Add(kRuleReplace, "</EM>?W</FONT>", "</EM> </FONT>");
            list.Add(kRuleReplace, "<STRONG>*W&nbsp;*W</STRONG>", "&nbsp;");
            list.Add(kRuleReplace, "<EM>*W&nbsp;*W</EM>", "&nbsp;");
        } else {
            list.Add(kRuleReplace, "<B>*W</B>", "");
            list.Add(kRuleReplace, "<I>*W</I>", "");
            list.Add(kRuleReplace, "</B>?W</FONT>", "</B> </FONT>");
            list.Add(kRuleReplace, "</I>?W</FONT>", "</I> </FONT>");
            list.Add(kRuleReplace, "<B>*W&nbsp;*W</B>", "&nbsp;");
            list.Add(kRuleReplace, "<I>*W&nbsp;*W</I>", "&nbsp;");
        }
        if (s.ruleSet == kRuleSetSec) list.Add(kRuleReplace, "<R>*W</R>", "");
    }
    return *slot;
}

RuleList& TidyPasses::FirstMarkupRules(const TidySettings& s) {
    std::unique_ptr<RuleList>& slot = firstMarkupRules[(s.emStrong ? 1 : 0) | (s.fontTags ? 2 : 0)];
    if (!slot) {
        slot = std::make_unique<RuleList>(true);
        RuleList& list = *slot;
        const char* em = s.emStrong ? "EM" : "I";
        const char* strong = s.emStrong ? "STRONG" : "B";
        auto add = [&list](const std::string& pattern, const std::string& text) {
            list.Add(kRuleReplace, pattern.c_str(), text.c_str());
        };
        const std::string emOpen = std::string("<") + em + ">", emClose = std::string("</") + em + ">";
        const std::string strongOpen = std::string("<") + strong + ">";
        const std::string strongClose = std::string("</") + strong + ">";
        add("<P>?W" + emOpen, "<P>" + emOpen);
        add("<P>?W" + strongOpen, "<P>" + strongOpen);
        add(emClose + "?W</P>", emClose + "</P>");
        add(strongClose + "?W</P>", strongClose + "</P>");
        add("|n*W" + emClose, " " + emClose);
        add("|n*W" + strongClose, " " + strongClose);
        add(emOpen + "*W|n", emOpen + " ");
        add(strongOpen + "*W|n", strongOpen + " ");
        add("<HR>", "\n<HR>");
        if (s.fontTags) {
            add(emClose + "?W</FONT>", emClose + " </FONT>");
            add(strongClose + "?W</FONT>", strongClose + " </FONT>");
            add("<P>?W<FONT", "<P><FONT");
            add("<DD>?W<FONT", "<DD><FONT");
            add("<LI>?W<FONT", "<LI><FONT");
            add("</FONT>?W</P>", "</FONT></P>");
            add("</FONT>?W</DD>", "</FONT></DD>");
            add("</FONT>?W</LI>", "</FONT></LI>");
            add("<BR>?W</FONT>", "<BR></FONT>");
            add("</FONT>?W</H", "</FONT></H");
            add("</FONT>?W<FONT", "</FONT> <FONT");
        }
        add("</P>?W</LI>", "</P></LI>");
        add("</DD>?W</DL", "</DD></DL");
        add("</DT>?W<DD", "</DT><DD");
        add("</DD>?W<DT", "</DD><DT");
        add("</FONT>?W<P>", "</FONT><P>");
    }
    return *slot;
}

RuleList& TidyPasses::SecondMarkupRules(const TidySettings& s) {
    std::unique_ptr<RuleList>& slot = secondMarkupRules[(s.fontTags ? 1 : 0) | (s.indentMinusOne ? 2 : 0)];
    if (!slot) {
        // Edits in place: its kind 4 rules put their text in place of the match.
        slot = std::make_unique<RuleList>(false);
        RuleList& list = *slot;
        list.Add(kRuleDelete, "<P **>*W</P>", "");
        if (s.fontTags) list.Add(kRuleDelete, "<P **>*W<FONT**>*W</FONT>*W</P>", "");
        list.Add(kRuleReplace, "|n*W</P>|n", "</P>\n");
        list.Add(kRuleReplace, "|n*W</LI>", "</LI>");
        if (s.indentMinusOne) {
            list.Add(kRuleDelete, "<UL>|n</UL>", "\n");
            list.Add(kRuleDelete, "<BLOCKQUOTE>|n</BLOCKQUOTE>", "\n");
        }
    }
    return *slot;
}

// ---------------------------------------------------------------------------
// The passes over a text whose pre-formatted parts are covered

void TidyPasses::TidyMarkupCovered(const TidySettings& s, TidyBuffer* b) {
    TextString& text = b->text;
    // Whether the text is known to hold no newline followed by white space
    // and another newline: left so by a newline pass and not changed since.
    // The newline pass and the folding of newline runs are then skipped, as
    // they would find nothing to do.
    bool runFree = false;
    auto note = [&runFree](bool changed) {
        if (changed) runFree = false;
    };
    if (b->paragraphStart && b->paragraphEnd) ParagraphSpanPass(text, s);
    if (b->newline) runFree = NewlinePass(text);
    if (b->nonBreakingSpace) {
        note(ReplaceAll(text, " &nbsp;", "&nbsp;"));
        note(ReplaceAll(text, "&nbsp; ", "&nbsp;"));
        note(ReplaceAll(text, "&nbsp;<BR>", "<BR>"));
    }
    if (b->fontEnd) note(FontEndPass(text));
    if (b->dataCellStart && b->dataCellEnd && b->lineBreak) note(DropCellEndBreaks(text, "<TD", "</TD>"));
    if (b->headerCellStart && b->headerCellEnd && b->lineBreak) note(DropCellEndBreaks(text, "<TH", "</TH>"));
    // The passes so far wrote no new kind of tag but "<BR>" for an empty
    // paragraph and "<BR>" or "<HR>" in place of the same tag in other
    // letter case.
    uint64_t kinds = b->tagKinds;
    // The kinds of a two-letter tag name in any letter case.
    constexpr auto anyCase = [](char upper0, char upper1) {
        const char lower0 = static_cast<char>(upper0 - 'A' + 'a'), lower1 = static_cast<char>(upper1 - 'A' + 'a');
        return TagKind(upper0, upper1) | TagKind(upper0, lower1) | TagKind(lower0, upper1) | TagKind(lower0, lower1);
    };
    constexpr uint64_t kLineBreakKinds = anyCase('B', 'R');
    constexpr uint64_t kRuleKinds = anyCase('H', 'R');
    if ((b->paragraphStart && b->paragraphEnd) || (kinds & kLineBreakKinds) != 0) kinds |= TagKind('B', 'R');
    if ((kinds & kRuleKinds) != 0) kinds |= TagKind('H', 'R');
    const bool firstChanged = FirstMarkupRules(s).RunTwiceIfChanged(text, kinds);
    note(firstChanged);
    note(SecondMarkupRules(s).Run(text, firstChanged ? kinds | kNewlineKind : kinds));
    if (b->paragraphStart) note(StartTagPass(text, false));
    if (b->listItemStart) note(StartTagPass(text, true));
    if (b->fontStart || b->fontEnd) {
        // The pass may drop empty lines without moving a word.
        const int before = text.length;
        note(FontLineJoinPass(text) || text.length != before);
    }
    if (b->commentStart) note(ReplaceAll(text, "<!--", "\n<!--"));
    if (b->commentEnd) note(ReplaceAll(text, "-->", "-->\n"));
    if (SpecialRuleSet(s)) {
        note(ReplaceAll(text, "<R>", "\n<R>\n"));
        note(ReplaceAll(text, "</R>", "\n</R>\n"));
    }
    if (b->newline && !runFree) runFree = NewlinePass(text);
    if (b->paragraphEnd) note(ReplaceAll(text, "<BR></P>", "</P>"));
    if (b->paragraphStart) note(ReplaceAll(text, "\n<P>", "\n\n<P>"));
    // With list items the replacement runs once more; the newline it adds
    // is folded away by the last step.
    if (b->listItemStart) note(ReplaceAll(text, "\n<P>", "\n\n<P>"));
    if (b->paragraphEnd) {
        note(ReplaceAll(text, "\n</P>", "</P>"));
        note(ReplaceAll(text, "</P>", "</P>\n"));
    }
    if (b->listItemEnd) note(ReplaceAll(text, "</LI>", "</LI>\n"));
    if (!runFree) FoldNewlineRuns(text);
}

void TidyPasses::TidyEmphasisCovered(FC* policies, TidyBuffer* b) {
    const TidySettings s = ReadSettings(policies);
    if (policies->IsOn(Pol::RemoveRedundantTags)) {
        TextString& text = b->text;
        bool changed = EmphasisRules(s).RunTwiceIfChanged(text, b->tagKinds);
        if (b->unorderedList) changed = RemoveAll(text, "</UL>\n<UL>") || changed;
        if (b->blockQuote) changed = RemoveAll(text, "</BLOCKQUOTE>\n<BLOCKQUOTE>") || changed;
        // The FONT-span pass looks for "<FONT" and "</FONT" itself: FONT
        // markup from in-line font tags counts while fonts are not FONT tags.
        // A text as scanned holds no "<FONT" unless the sketch has its kind.
        constexpr uint64_t kFontKind = TagKind('F', 'O');
        if (changed || (b->tagKinds & kFontKind) != 0) FontSpanPass(text, s, true);
    }
    TidyMarkupCovered(s, b);
}

// The tidy passes over a plain table text (see PlainTableText): a
// non-breaking space in front of a line break and the cell-ending line
// breaks go, as the full passes would take them.
void TidyPasses::TidyPlainTableText(TidyBuffer* b) {
    TextString& text = b->text;
    StartAtLineStart(text);
    // Its only "&" are standing non-breaking spaces (an empty cell's); the
    // flag is the one the full passes go by.
    if (b->nonBreakingSpace) ReplaceAll(text, "&nbsp;<BR>", "<BR>");
    if (b->dataCellStart && b->dataCellEnd && b->lineBreak) DropCellEndBreaks(text, "<TD", "</TD>");
    if (b->headerCellStart && b->headerCellEnd && b->lineBreak) DropCellEndBreaks(text, "<TH", "</TH>");
    DropLeadingNewlines(text);
}

void TidyPasses::ScanOutsidePre(FC* policies, TidyBuffer* buffer) {
    const TextString& text = buffer->text;
    FindProtectedRegions(text.view(), buffer->startsInsidePre != 0, &regions);
    outside.clear();
    size_t copied = 0;
    for (const auto& [start, end] : regions) {
        outside.append(text.view().substr(copied, start - copied));
        outside.push_back(kPlaceholder);
        copied = end;
    }
    outside.append(text.view().substr(copied));
    ScanFlags(policies, outside, buffer);
    buffer->preformatted = 1;
}

namespace {

// Whether a plain table text (see PlainTableText) with the presence flags
// `b` has of it is left by TidyPlainTableText as a text the passes leave as
// it is.  Such a text without a newline, a non-breaking space or a row tag
// differs from a plain text with no line break allowed (see
// HTML_TidyLeavesUnchanged) only in the "<BR>" tags in front of its end
// tags, and the cell-end pass takes those off in front of each "</TD>" or
// "</TH>" when the cells' start tags are there too.  What the pass left in
// `tidied` must hold no "&" (the non-breaking space an emptied cell gets)
// and no end tag but those two.
bool StaysPlainAfterPasses(const TidyBuffer& b, std::string_view tidied) {
    if (b.newline || b.nonBreakingSpace || b.rowStart || b.rowEnd) return false;
    if (b.lineBreak && ((b.dataCellEnd && !b.dataCellStart) || (b.headerCellEnd && !b.headerCellStart)))
        return false;
    if (std::memchr(tidied.data(), '&', tidied.size())) return false;
    const char* const end = tidied.data() + tidied.size();
    for (const char* slash = static_cast<const char*>(std::memchr(tidied.data(), '/', tidied.size()));
         slash != nullptr;
         slash = static_cast<const char*>(std::memchr(slash + 1, '/', static_cast<size_t>(end - slash - 1)))) {
        // Every "</" of a plain text ends a "</TD", "</TH" (or "</TR") tag
        // that a ">" or a blank ends.
        if (slash > tidied.data() && slash[-1] == '<' && (end - slash < 4 || slash[3] != '>')) return false;
    }
    return true;
}

}  // namespace

// Runs `passes` over the buffer with its PRE sections set aside; plain
// table text needs only the cell-end pass.
template <typename Passes>
int TidyPasses::RunTidyPasses(TidyBuffer* buffer, Passes passes) {
    const bool scannedPlain = buffer->plainTableText && !buffer->preformatted && !buffer->startsInsidePre;
    const bool plain = PlainBuffer(buffer);
    // The passes change the text: passes run after these look at it again.
    buffer->plainTableText = 0;
    buffer->plainAfterPasses = 0;
    if (plain) {
        TidyPlainTableText(buffer);
        if (scannedPlain && StaysPlainAfterPasses(*buffer, buffer->text.view())) buffer->plainAfterPasses = 1;
        return 1;
    }
    const bool covered = buffer->preformatted || buffer->startsInsidePre;
    if (covered) shield.Cover(buffer->text, buffer->startsInsidePre != 0);
    StartAtLineStart(buffer->text);
    passes();
    DropLeadingNewlines(buffer->text);
    if (covered) shield.Uncover(buffer->text);
    return 1;
}

int TidyPasses::TidyEmphasis(FC* policies, TidyBuffer* buffer) {
    return RunTidyPasses(buffer, [&] { TidyEmphasisCovered(policies, buffer); });
}

int TidyPasses::TidyMarkup(FC* policies, TidyBuffer* buffer) {
    return RunTidyPasses(buffer, [&] { TidyMarkupCovered(ReadSettings(policies), buffer); });
}

// ---------------------------------------------------------------------------
// The record and the entry points

TidyBuffer::TidyBuffer() = default;
TidyBuffer::~TidyBuffer() = default;
TidyBuffer::TidyBuffer(TidyBuffer&&) noexcept = default;
TidyBuffer& TidyBuffer::operator=(TidyBuffer&&) noexcept = default;

TidyPasses& TidyBuffer::Passes() {
    if (!passes) passes = std::make_unique<TidyPasses>();
    return *passes;
}

bool HTML_TidyLeavesUnchanged(const TextString& text) { return HTML_TidyLeavesUnchanged(text.view()); }

bool HTML_TidyLeavesUnchanged(std::string_view text) {
    return PlainTableText(text.data(), text.data() + text.size(), false, nullptr);
}

namespace {

// The scan of HTML_ScanTidyBuffer over the text already in the record.
void ScanTidyText(FC* policies, TidyBuffer* buffer) {
    const TextString& text = buffer->text;
    if (!buffer->startsInsidePre) {
        // A plain table text (a table cell, as a rule) has its few flags set
        // without the full scan.
        ClearFlags(buffer);
        if (PlainTableText(text.buffer, text.buffer + text.length, true, buffer)) {
            buffer->emphasis = EmphasisInPlainText(policies, text.view()) ? 1 : 0;
            buffer->plainTableText = 1;
            return;
        }
    }
    ScanFlags(policies, text.view(), buffer);
    // Tags inside pre-formatted sections do not count: scan again without them.
    if (buffer->preformatted || buffer->startsInsidePre) buffer->Passes().ScanOutsidePre(policies, buffer);
}

}  // namespace

void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, const TextString& text) {
    if (!buffer) return;
    buffer->text = text;
    ScanTidyText(policies, buffer);
}

void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, TextString&& text) {
    if (!buffer) return;
    std::swap(buffer->text, text);
    ScanTidyText(policies, buffer);
}

namespace {

// The passes that tidied a text larger than kKeptScratchBytes are dropped
// with their copies of it (their scratch texts and pattern buffers), to be
// made again for the next.
int GiveBackAfterLargeText(TidyBuffer* buffer, int result) {
    if (buffer->text.length > kKeptScratchBytes) buffer->passes.reset();
    return result;
}

}  // namespace

int HTML_TidyEmphasis(FC* policies, TidyBuffer* buffer) {
    if (!policies || !buffer) return 1;
    return GiveBackAfterLargeText(buffer, buffer->Passes().TidyEmphasis(policies, buffer));
}

int HTML_TidyMarkup(FC* policies, TidyBuffer* buffer) {
    if (!policies || !buffer) return 1;
    return GiveBackAfterLargeText(buffer, buffer->Passes().TidyMarkup(policies, buffer));
}
