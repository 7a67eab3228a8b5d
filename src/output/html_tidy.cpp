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

#include "context/context.h"
#include "foundation/pattern_rules.h"
#include "policies/fc.h"

namespace {

// ---------------------------------------------------------------------------
// Settings the passes depend on

struct TidySettings {
    bool emStrong = true;         // "Use <EM> and <STRONG> markup"
    bool fontTags = false;        // fonts are written as FONT tags
    bool fontSpansTidied = true;  // the FONT-span pass may act
    int ruleSet = 0;
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

bool SpecialRuleSet(const TidySettings& s) { return s.ruleSet == 1 || s.ruleSet == 2; }

// ---------------------------------------------------------------------------
// Plain text helpers

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool Contains(const TextString& text, std::string_view what) {
    return text.view().find(what) != std::string_view::npos;
}

// Replaces every occurrence (case-sensitive, left to right, replacements are
// not searched again); true when there was one.
bool ReplaceAll(TextString& text, std::string_view find, std::string_view with) {
    const std::string_view v = text.view();
    size_t at = v.find(find);
    if (at == std::string_view::npos) return false;
    static TextString out;
    out.MakeEmpty();
    size_t copied = 0;
    for (; at != std::string_view::npos; at = v.find(find, copied)) {
        out.AppendBytes(v.data() + copied, static_cast<int>(at - copied));
        out.AppendBytes(with.data(), static_cast<int>(with.size()));
        copied = at + find.size();
    }
    out.AppendBytes(v.data() + copied, static_cast<int>(v.size() - copied));
    std::swap(text, out);
    return true;
}

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

// Removes every occurrence of `what` (case-sensitive).
void RemoveAll(TextString& text, const char* what) { ReplaceAll(text, what, ""); }

// Removes every "<FONT" tag (up to the first ">" after it).
void RemoveFontStartTags(TextString& text) {
    if (!Contains(text, "<FONT")) return;
    std::string_view v = text.view();
    static TextString out;
    out.MakeEmpty();
    size_t copied = 0;
    for (size_t at = v.find("<FONT"); at != std::string_view::npos; at = v.find("<FONT", copied)) {
        const size_t close = v.find('>', at + 5);
        if (close == std::string_view::npos) break;
        out.AppendBytes(v.data() + copied, static_cast<int>(at - copied));
        copied = close + 1;
    }
    out.AppendBytes(v.data() + copied, static_cast<int>(v.size() - copied));
    text.AssignChars(out.buffer, out.length);
}

// Every run of three or more newlines becomes two.
void FoldNewlineRuns(TextString& text) {
    if (!Contains(text, "\n\n\n")) return;
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
        static TextString covered;
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
            static TextString uncovered;
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
    std::string run;        // literal characters; empty for a wildcard
    char wildClass = '\0';  // the wildcard's class
    bool plus = false;      // "?" (one or more) rather than "*"
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

uint64_t TagKind(char second, char third) {
    return uint64_t{1} << ((static_cast<unsigned char>(second) * 7u + static_cast<unsigned char>(third)) % 63u);
}

// The kind of the tag opening at `at` (a "<").
uint64_t TagKindAt(std::string_view v, size_t at) { return at + 2 < v.size() ? TagKind(v[at + 1], v[at + 2]) : 0; }

uint64_t RunKinds(const std::string& run) {
    if (run[0] == '\n') return kNewlineKind;
    if (run[0] == '<' && run.size() >= 3) return TagKind(run[1], run[2]);
    return 0;
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
    }

    // Runs the rules once over the text, whose kinds of tags are among
    // `kinds`; true when the text changed.
    bool Run(TextString& text, uint64_t kinds) {
        // First the kinds of tags, then the runs, then the shapes.
        bool possible = false;
        for (const Rule& rule : rules_) possible = possible || (rule.kinds & kinds) == rule.kinds;
        if (!possible) return false;
        const uint64_t present = PresentRuns(text.view());
        if (present == 0) return false;  // every rule holds a run
        uint64_t usable = 0;
        for (size_t i = 0; i < rules_.size(); ++i) {
            if ((rules_[i].kinds & kinds) == rules_[i].kinds && (rules_[i].needs & present) == rules_[i].needs &&
                HasShape(text.view(), rules_[i]))
                usable |= uint64_t{1} << i;
        }
        if (usable == 0) return false;
        PatternList& list = ListFor(usable);
        const int actions =
            copying_ ? static_cast<PatternRewriter&>(list).Apply(text.c_str()) : list.Scan(text.c_str());
        if (actions == 0) return false;
        const CharBuffer& result = list.Result();
        if (result.Length() == text.length && std::memcmp(result.Text(), text.buffer, text.length) == 0) return false;
        text.AssignChars(result.Text(), result.Length());
        return true;
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
        for (size_t at = v.find(rule.lead); at != std::string_view::npos; at = v.find(rule.lead, at + 1)) {
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
        std::vector<int> shortRuns;                  // one or two characters
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

    static constexpr size_t kMaxLists = 64;
    bool copying_;
    std::vector<Rule> rules_;
    std::vector<std::string> runs_;
    std::vector<std::unique_ptr<FirstCharIndex>> index_;
    std::unordered_map<uint64_t, std::unique_ptr<PatternList>> lists_;
};

// A list of kind 5 rules built once; callers test first whether it can act.
class CallbackPass {
public:
    CallbackPass(std::initializer_list<const char*> patterns, PatternCallback callback, void* userData) {
        for (const char* pattern : patterns) list_.AddRule(kRuleCallback, pattern, nullptr, 1, callback, userData);
        list_.SetLocked(1);
    }

    // Scans the text; true when the text changed.
    bool Run(TextString& text) {
        if (list_.Scan(text.c_str()) == 0) return false;
        const CharBuffer& result = list_.Result();
        if (result.Length() == text.length && std::memcmp(result.Text(), text.buffer, text.length) == 0) return false;
        text.AssignChars(result.Text(), result.Length());
        return true;
    }

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

int PairCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                 void* userData) {
    const PairRule& rule = *static_cast<const PairRule*>(userData);
    static TextString space;
    static TextString replacement;
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

std::string PairPattern(const char* first, bool withNewline, const char* second) {
    TextString pattern;
    AppendPatternLiteral(&pattern, first);
    if (withNewline) pattern.Append("|n");
    pattern.Append("*W");
    AppendPatternLiteral(&pattern, second);
    return pattern.str();
}

// Whether a newline is followed by white space and another newline.
bool HasNewlineRun(std::string_view v) {
    for (size_t at = v.find('\n'); at != std::string_view::npos; at = v.find('\n', at + 1)) {
        size_t i = at + 1;
        while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
        if (i < v.size() && v[i] == '\n') return true;
    }
    return false;
}

// Every newline followed by white space and another newline becomes one
// newline; repeated, ten runs at most, while a run changes the text.
bool NewlinePass(TextString& text) {
    static PairRule rule{"\n", "\n", "\n", false, false};
    static const std::string pattern = PairPattern("\n", false, "\n");
    static CallbackPass pass({pattern.c_str()}, PairCallback, &rule);
    bool changed = false;
    for (int run = 0; run < 10 && HasNewlineRun(text.view()); ++run) {
        if (!pass.Run(text)) break;
        changed = true;
    }
    return changed;
}

// Whether `tag` is followed by white space somewhere.
bool TagFollowedBySpace(std::string_view v, std::string_view tag) {
    for (size_t at = v.find(tag); at != std::string_view::npos; at = v.find(tag, at + 1)) {
        if (at + tag.size() < v.size() && IsWhite(v[at + tag.size()])) return true;
    }
    return false;
}

// The white space after a "<P>" or "<LI>", line breaks included, goes.
void StartTagPass(TextString& text, bool listItem) {
    static PairRule paragraph{"<P>", "", "<P>", false, false};
    static const std::string paragraphNewline = PairPattern("<P>", true, "");
    static const std::string paragraphSpace = PairPattern("<P>", false, "");
    static CallbackPass paragraphPass({paragraphNewline.c_str(), paragraphSpace.c_str()}, PairCallback, &paragraph);
    static PairRule item{"<LI>", "", "<LI>", false, false};
    static const std::string itemNewline = PairPattern("<LI>", true, "");
    static const std::string itemSpace = PairPattern("<LI>", false, "");
    static CallbackPass itemPass({itemNewline.c_str(), itemSpace.c_str()}, PairCallback, &item);
    if (!TagFollowedBySpace(text.view(), listItem ? "<LI>" : "<P>")) return;
    (listItem ? itemPass : paragraphPass).Run(text);
}

// Whether white space holding a newline stands in front of a "</FONT>".
bool NewlineBeforeFontEnd(std::string_view v) {
    for (size_t at = v.find("</FONT>"); at != std::string_view::npos; at = v.find("</FONT>", at + 1)) {
        for (size_t i = at; i > 0 && IsWhite(v[i - 1]); --i) {
            if (v[i - 1] == '\n') return true;
        }
    }
    return false;
}

// White space in front of "</FONT>" that holds a newline moves behind it,
// the newline first.
void FontEndPass(TextString& text) {
    static PairRule rule{"", "</FONT>", "</FONT>", true, true};
    static const std::string newlineForm = PairPattern("", true, "</FONT>");
    static const std::string spaceForm = PairPattern("", false, "</FONT>");
    static CallbackPass pass({newlineForm.c_str(), spaceForm.c_str()}, PairCallback, &rule);
    if (!NewlineBeforeFontEnd(text.view())) return;
    if (pass.Run(text)) NewlinePass(text);
}

// ---------------------------------------------------------------------------
// FONT spans

const char* const kStrongTags[] = {"<STRONG>", "</STRONG>", "<EM>", "</EM>"};
const char* const kBoldTags[] = {"<B>", "</B>", "<I>", "</I>"};

// C: the span without its FONT tags and bold and italic tags (and without
// its non-breaking spaces when `dropSpaces`); K: C without white space.
void FontSpanContent(const TextString& span, bool emStrong, bool dropSpaces, TextString* c, TextString* k) {
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
bool FontSpanHasContent(const TextString& span, bool emStrong) {
    static TextString c;
    static TextString k;
    FontSpanContent(span, emStrong, true, &c, &k);
    return !k.IsEmpty();
}

// "<R>" or "</R>" once non-breaking spaces and repeated blanks are gone.
bool IsRuleTag(const TextString& k) {
    static TextString bare;
    bare = k;
    RemoveAll(bare, "&nbsp;");
    bare.CollapseBlanks();
    return EqualsNoCase(bare, "<R>") || EqualsNoCase(bare, "</R>");
}

// A single "<HR ...>" tag with something around it.
bool IsRuleWithExtras(const TextString& k) {
    return k.length > 4 && ContainsNoCase(k, "<HR") && k.CountChar('>') == 1;
}

struct FontSpanState {
    bool emStrong = true;
    bool keepSpaces = false;
    bool specialRules = false;
};

int FontSpanCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                     void* userData) {
    const FontSpanState& state = *static_cast<const FontSpanState*>(userData);
    static TextString span;
    static TextString c;
    static TextString k;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    FontSpanContent(span, state.emStrong, !state.keepSpaces, &c, &k);
    const char* replacement = nullptr;
    if (k.IsEmpty()) {
        replacement = "";
    } else if (EqualsNoCase(k, "<BR>")) {
        replacement = "<BR>";
    } else if (EqualsNoCase(k, "<HR>")) {
        replacement = "<HR>";
    } else if (IsRuleWithExtras(k)) {
        replacement = c.c_str();
    } else if (state.specialRules && IsRuleTag(k)) {
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
bool FontSpanPass(TextString& text, const TidySettings& s, bool keepSpaces) {
    static FontSpanState state;
    static CallbackPass pass({"<FONT**</FONT>"}, FontSpanCallback, &state);
    if (!s.fontSpansTidied || !Contains(text, "<FONT") || !Contains(text, "</FONT>")) return false;
    state.emStrong = s.emStrong;
    state.keepSpaces = keepSpaces;
    state.specialRules = SpecialRuleSet(s);
    return pass.Run(text);
}

// ---------------------------------------------------------------------------
// "<R>" pairs and paragraphs

int RulePairCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position, void*) {
    static TextString span;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    RemoveAll(span, "&nbsp;");
    span.Trim(0, " ");
    span.RemoveCharClass(4);
    if (!EqualsNoCase(span, "<R></R>")) return kPatternNoChange;
    return PatternList::ReplaceMatchText(match, working, position, "");
}

// Removes "<R>" pairs holding nothing but white space and non-breaking spaces.
void RulePairPass(TextString& text) {
    static CallbackPass pass({"<R>**</R>"}, RulePairCallback, nullptr);
    if (!Contains(text, "<R>") || !Contains(text, "</R>")) return;
    pass.Run(text);
}

// The paragraph without its "<P ...>" and "</P>" tags.
void RemoveParagraphTags(TextString& text) {
    static RuleList tags = [] {
        RuleList list(true);
        list.Add(kRuleReplace, "<P**>", "");
        list.Add(kRuleReplace, "</P>", "");
        return list;
    }();
    tags.Run(text, kAnyKinds);
}

int ParagraphCallback(PatternList*, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                      void* userData) {
    const TidySettings& s = *static_cast<const TidySettings*>(userData);
    static TextString span;
    static TextString tidied;
    static TextString c;
    static TextString k;
    static TextString font;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;

    // Non-breaking spaces in its FONT spans stay when one of them has content.
    bool fontContent = false;
    const std::string_view v = span.view();
    for (size_t at = v.find("<FONT"); at != std::string_view::npos && !fontContent;) {
        const size_t end = v.find("</FONT>", at + 5);
        if (end == std::string_view::npos) break;
        font.AssignChars(v.data() + at, static_cast<int>(end + 7 - at));
        fontContent = FontSpanHasContent(font, s.emStrong);
        at = v.find("<FONT", end + 7);
    }
    tidied = span;
    FontSpanPass(tidied, s, fontContent);
    RulePairPass(tidied);

    c = tidied;
    RemoveParagraphTags(c);
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
void ParagraphSpanPass(TextString& text, const TidySettings& s) {
    static TidySettings settings;
    static CallbackPass pass({"<P**>**</P>"}, ParagraphCallback, &settings);
    settings = s;
    pass.Run(text);
}

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
// nothing gets a non-breaking space instead of its last one.
void DropCellEndBreaks(TextString& text, const char* startTag, const char* endTag) {
    static TextString out;
    const std::string_view v = text.view();
    const std::string_view end(endTag);
    bool changed = false;
    size_t copied = 0;
    size_t floor = 0;
    for (size_t at = v.find(end); at != std::string_view::npos; at = v.find(end, at + end.size())) {
        size_t first = at;
        while (first >= floor + 4 && v.compare(first - 4, 4, "<BR>") == 0) first -= 4;
        if (first < at) {
            if (!changed) out.MakeEmpty();
            changed = true;
            out.AppendBytes(v.data() + copied, static_cast<int>(first - copied));
            if (CellEmptyBefore(v, first, floor, startTag)) out.Append("&nbsp;");
            copied = at;
        }
        floor = at + end.size();
    }
    if (!changed) return;
    out.AppendBytes(v.data() + copied, static_cast<int>(v.size() - copied));
    std::swap(text, out);
}

// Whether the line ends with a tag that begins "<FONT".
bool EndsWithFontTag(const TextString& line) {
    if (line.length == 0 || line.buffer[line.length - 1] != '>') return false;
    int open = line.length - 1;
    while (open >= 0 && line.buffer[open] != '<') --open;
    return open >= 0 && line.length - open >= 5 && std::memcmp(line.buffer + open, "<FONT", 5) == 0;
}

// A line ending with a FONT start tag takes the first word of the next line;
// empty lines go.  True when a word moved.
bool FontLineJoinPass(TextString& text) {
    static TextString out;
    static TextString line;
    static TextString next;
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

RuleList& EmphasisRules(const TidySettings& s) {
    static std::array<std::unique_ptr<RuleList>, 4> lists;
    std::unique_ptr<RuleList>& slot = lists[(s.emStrong ? 1 : 0) | (s.ruleSet == 2 ? 2 : 0)];
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
        if (s.ruleSet == 2) list.Add(kRuleReplace, "<R>*W</R>", "");
    }
    return *slot;
}

RuleList& FirstMarkupRules(const TidySettings& s) {
    static std::array<std::unique_ptr<RuleList>, 4> lists;
    std::unique_ptr<RuleList>& slot = lists[(s.emStrong ? 1 : 0) | (s.fontTags ? 2 : 0)];
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

RuleList& SecondMarkupRules(const TidySettings& s) {
    static std::array<std::unique_ptr<RuleList>, 4> lists;
    std::unique_ptr<RuleList>& slot = lists[(s.fontTags ? 1 : 0) | (s.indentMinusOne ? 2 : 0)];
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
}

// Sets the flags of the tag that opens at `at` (a "<").
void ScanTag(std::string_view v, size_t at, bool fontTags, TidyBuffer* b) {
    const bool closing = at + 1 < v.size() && v[at + 1] == '/';
    const std::string_view name = v.substr(at + (closing ? 2 : 1));
    auto is = [&name](const char* prefix) {
        for (size_t i = 0; prefix[i] != '\0'; ++i) {
            if (i >= name.size() || name[i] != prefix[i]) return false;
        }
        return true;
    };
    if (name.empty()) return;
    switch (name[0]) {
        case 'P':
            if (is("P>")) (closing ? b->paragraphEnd : b->paragraphStart) = 1;
            break;
        case 'F':
            if (fontTags && is("FONT")) (closing ? b->fontEnd : b->fontStart) = 1;
            break;
        case 'L':
            if (closing ? is("LI") : is("LI ")) (closing ? b->listItemEnd : b->listItemStart) = 1;
            break;
        case 'T':
            if (is("TD")) (closing ? b->dataCellEnd : b->dataCellStart) = 1;
            if (is("TH")) (closing ? b->headerCellEnd : b->headerCellStart) = 1;
            if (is("TR")) (closing ? b->rowEnd : b->rowStart) = 1;
            break;
        case 'H':
            (closing ? b->headingEnd : b->headingStart) = 1;
            break;
        case 'D':
            if (is("DL")) b->definitionList = 1;
            if (is("DD")) b->definitionData = 1;
            break;
        case 'U':
            if (is("UL")) b->unorderedList = 1;
            break;
        case 'O':
            if (is("OL")) b->orderedList = 1;
            break;
        case 'B':
            if (is("BLOCKQUOTE")) b->blockQuote = 1;
            if (!closing && is("BR>")) b->lineBreak = 1;
            break;
        case '!':
            if (!closing && is("!--")) b->commentStart = 1;
            break;
        default:
            break;
    }
}

void ScanFlags(FC* policies, std::string_view v, TidyBuffer* b) {
    ClearFlags(b);
    const bool fontTags = policies && policies->context && policies->context->fontTagSwitch;
    if (policies) {
        for (const TextString* text : {&policies->strongOpen, &policies->strongClose, &policies->emphasisOpen,
                                       &policies->emphasisClose}) {
            if (!text->IsEmpty() && v.find(text->view()) != std::string_view::npos) b->emphasis = 1;
            if (b->emphasis) break;
        }
    }
    uint64_t kinds = 0;
    for (size_t at = v.find('<'); at != std::string_view::npos; at = v.find('<', at + 1)) {
        kinds |= TagKindAt(v, at);
        ScanTag(v, at, fontTags, b);
        const char second = at + 1 < v.size() ? ToUpperAscii(v[at + 1]) : '\0';
        if ((second == 'P' || second == '/') && (PreTagAt(v, at, false) || PreTagAt(v, at, true))) b->preformatted = 1;
    }
    b->newline = v.find('\n') != std::string_view::npos;
    b->tagKinds = kinds | (b->newline ? kNewlineKind : 0);
    if (std::memchr(v.data(), kPlaceholder, v.size()) || std::memchr(v.data(), '\0', v.size())) b->preformatted = 1;
    b->nonBreakingSpace = v.find("&nbsp;") != std::string_view::npos;
    b->commentEnd = v.find("-->") != std::string_view::npos;
    b->tableMarkup = b->rowStart || b->rowEnd || b->dataCellStart || b->dataCellEnd || b->headerCellStart ||
                     b->headerCellEnd;
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

void StartAtLineStart(TextString& text) {
    if (!std::memchr(text.buffer, '\n', static_cast<size_t>(text.length))) return;  // a single line
    static TextString started;
    started.AssignChars("\n", 1);
    started.Append(text);
    std::swap(started, text);
}

void DropLeadingNewlines(TextString& text) {
    int n = 0;
    while (n < text.length && text.buffer[n] == '\n') ++n;
    if (n > 0) text.SubString(n, text.length - n);
}

// ---------------------------------------------------------------------------
// The passes over a text whose pre-formatted parts are covered

void TidyMarkupCovered(FC* policies, TidyBuffer* b) {
    const TidySettings s = ReadSettings(policies);
    TextString& text = b->text;
    if (b->paragraphStart && b->paragraphEnd) ParagraphSpanPass(text, s);
    if (b->newline) NewlinePass(text);
    if (b->nonBreakingSpace) {
        ReplaceAll(text, " &nbsp;", "&nbsp;");
        ReplaceAll(text, "&nbsp; ", "&nbsp;");
        ReplaceAll(text, "&nbsp;<BR>", "<BR>");
    }
    if (b->fontEnd) FontEndPass(text);
    if (b->dataCellStart && b->dataCellEnd && b->lineBreak) DropCellEndBreaks(text, "<TD", "</TD>");
    if (b->headerCellStart && b->headerCellEnd && b->lineBreak) DropCellEndBreaks(text, "<TH", "</TH>");
    // The passes so far wrote no new kind of tag but "<BR>" for an empty
    // paragraph and "<BR>" or "<HR>" in place of the same tag in other
    // letter case.
    uint64_t kinds = b->tagKinds;
    auto anyCase = [kinds](char first, char second) {
        const char upper[] = {ToUpperAscii(first), ToUpperAscii(second)};
        const char lower[] = {ToLowerAscii(first), ToLowerAscii(second)};
        return (kinds & (TagKind(upper[0], upper[1]) | TagKind(upper[0], lower[1]) | TagKind(lower[0], upper[1]) |
                         TagKind(lower[0], lower[1]))) != 0;
    };
    if ((b->paragraphStart && b->paragraphEnd) || anyCase('B', 'R')) kinds |= TagKind('B', 'R');
    if (anyCase('H', 'R')) kinds |= TagKind('H', 'R');
    const bool firstChanged = FirstMarkupRules(s).RunTwiceIfChanged(text, kinds);
    SecondMarkupRules(s).Run(text, firstChanged ? kinds | kNewlineKind : kinds);
    if (b->paragraphStart) StartTagPass(text, false);
    if (b->listItemStart) StartTagPass(text, true);
    if (b->fontStart || b->fontEnd) FontLineJoinPass(text);
    if (b->commentStart) ReplaceAll(text, "<!--", "\n<!--");
    if (b->commentEnd) ReplaceAll(text, "-->", "-->\n");
    if (SpecialRuleSet(s)) {
        ReplaceAll(text, "<R>", "\n<R>\n");
        ReplaceAll(text, "</R>", "\n</R>\n");
    }
    if (b->newline) NewlinePass(text);
    if (b->paragraphEnd) ReplaceAll(text, "<BR></P>", "</P>");
    if (b->paragraphStart) ReplaceAll(text, "\n<P>", "\n\n<P>");
    // With list items the replacement runs once more; the newline it adds
    // is folded away by the last step.
    if (b->listItemStart) ReplaceAll(text, "\n<P>", "\n\n<P>");
    if (b->paragraphEnd) {
        ReplaceAll(text, "\n</P>", "</P>");
        ReplaceAll(text, "</P>", "</P>\n");
    }
    if (b->listItemEnd) ReplaceAll(text, "</LI>", "</LI>\n");
    FoldNewlineRuns(text);
}

void TidyEmphasisCovered(FC* policies, TidyBuffer* b) {
    if (policies->IsOn(Pol::RemoveRedundantTags)) {
        const TidySettings s = ReadSettings(policies);
        TextString& text = b->text;
        EmphasisRules(s).RunTwiceIfChanged(text, b->tagKinds);
        if (b->unorderedList) RemoveAll(text, "</UL>\n<UL>");
        if (b->blockQuote) RemoveAll(text, "</BLOCKQUOTE>\n<BLOCKQUOTE>");
        // The FONT-span pass looks for "<FONT" and "</FONT" itself: FONT
        // markup from in-line font tags counts while fonts are not FONT tags.
        FontSpanPass(text, s, true);
    }
    TidyMarkupCovered(policies, b);
}

}  // namespace

void HTML_ScanTidyBuffer(FC* policies, TidyBuffer* buffer, const TextString& text) {
    if (!buffer) return;
    buffer->text = text;
    buffer->original = text;
    ScanFlags(policies, text.view(), buffer);
    if (!buffer->preformatted && !buffer->startsInsidePre) return;
    // Tags inside pre-formatted sections do not count: scan again without them.
    static Regions regions;
    FindProtectedRegions(text.view(), buffer->startsInsidePre != 0, &regions);
    static std::string outside;
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

int HTML_TidyEmphasis(FC* policies, TidyBuffer* buffer) {
    if (!policies || !buffer) return 1;
    static PreShield shield;
    const bool covered = buffer->preformatted || buffer->startsInsidePre;
    if (covered) shield.Cover(buffer->text, buffer->startsInsidePre != 0);
    StartAtLineStart(buffer->text);
    TidyEmphasisCovered(policies, buffer);
    DropLeadingNewlines(buffer->text);
    if (covered) shield.Uncover(buffer->text);
    return 1;
}

int HTML_TidyMarkup(FC* policies, TidyBuffer* buffer) {
    if (!policies || !buffer) return 1;
    static PreShield shield;
    const bool covered = buffer->preformatted || buffer->startsInsidePre;
    if (covered) shield.Cover(buffer->text, buffer->startsInsidePre != 0);
    StartAtLineStart(buffer->text);
    TidyMarkupCovered(policies, buffer);
    DropLeadingNewlines(buffer->text);
    if (covered) shield.Uncover(buffer->text);
    return 1;
}
