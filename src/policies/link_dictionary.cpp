// The link dictionary: adding and updating definitions, the pattern rules
// that link words of the output text, and putting source anchors back into
// output lines.
#include "policies/link_dictionary.h"

#include <algorithm>
#include <string>

#include "foundation/pattern_rules.h"
#include "foundation/text_file.h"
#include "output/markup/escaping.h"
#include "output/markup/link_target.h"
#include "output/markup/rtf_links.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// The link kind of a web address for the RTF link routines.
constexpr int kRTFWebLink = 2;

int OutputFormatOf(const FC* set) { return set ? set->RunOutputFormat() : kOutputHTML; }

bool IsHTMLOutput(const FC* set) { return set && set->context && set->RunOutputFormat() == kOutputHTML; }

void WriteAngleBracketsAsEntities(TextString& text) {
    text.Replace("<", "&lt;", 0, 1);
    text.Replace(">", "&gt;", 0, 1);
}

// Escapes a text for the output format of the set's context: RTF escaping
// for RTF output, HTML escaping for any other.  Nothing without a context.
void EscapeForOutput(FC* set, TextString& text) {
    if (!set || !set->context) return;
    if (set->RunOutputFormat() == kOutputRTF)
        RTF_EscapeText(set, text);
    else
        HTML_EscapeText(set, text);
}

// Position of the n-th (1-based) occurrence of `phrase` in `text`, compared
// without regard to case and counted without overlaps; -1 when there are
// fewer.
int FindOccurrence(const TextString& text, const TextString& phrase, int n) {
    if (n < 1 || phrase.IsEmpty()) return -1;
    int from = 0;
    int at = -1;
    for (int k = 1; k <= n; ++k) {
        if (!text.Find(from, phrase.buffer, &at, 0)) return -1;
        from = at + phrase.length;
    }
    return at;
}

bool SamePosition(const SourcePosition& a, const SourcePosition& b) { return a.unit == b.unit && a.line == b.line; }

}  // namespace

LinkDictionary::LinkDictionary() = default;
LinkDictionary::~LinkDictionary() { Clear(); }

// ---------------------------------------------------------------------------
// Adding

int LinkDictionary::Add(FC* set, const char* phrase, const char* linkText, const char* url, const char* anchorMarkup,
                        int occurrence, int column) {
    TextString trimmedPhrase(phrase ? phrase : "");
    trimmedPhrase.Trim(0, " ");
    const bool isGlobal = anchorMarkup == nullptr || *anchorMarkup == '\0';

    if (isGlobal) {
        for (auto& entry : entries) {
            if (!entry->phrase.Matches(trimmedPhrase.buffer, 0, 0)) continue;
            if (set) {
                set->messageText = "INFO: Link definition being updated for \"";
                set->messageText.Append(linkText ? linkText : "");
                set->messageText.Append("\"");
                set->ReportMessage(kLevelBlockNote);
            }
            entry->linkText = linkText ? linkText : "";
            entry->givenLinkText = entry->linkText;
            EscapeLinkText(set, entry->linkText);
            entry->url = url ? url : "";
            entry->anchorMarkup = "";
            entry->occurrence = occurrence;
            entry->column = column;
            if (!entry->global) {
                // A positional entry that becomes global moves between the counts.
                --positionalCount;
                ++globalCount;
                entry->position.Clear();
            }
            entry->global = 1;
            return 1;
        }
    }

    auto entry = std::make_unique<LinkDefinition>();
    entry->phrase = trimmedPhrase;
    entry->givenPhrase = trimmedPhrase;
    entry->linkText = linkText ? linkText : "";
    entry->givenLinkText = entry->linkText;
    entry->outputPhrase = trimmedPhrase;
    EscapeForOutput(set, entry->outputPhrase);
    EscapeLinkText(set, entry->linkText);
    if (IsHTMLOutput(set)) WriteAngleBracketsAsEntities(entry->phrase);
    entry->url = url ? url : "";
    entry->anchorMarkup = isGlobal ? "" : anchorMarkup;
    entry->occurrence = occurrence;
    entry->column = column;
    entry->global = isGlobal ? 1 : 0;
    if (!isGlobal && set && set->context) entry->position = CurrentInputPosition(set);
    entries.push_back(std::move(entry));
    count = static_cast<int>(entries.size());
    if (isGlobal)
        ++globalCount;
    else
        ++positionalCount;
    return 1;
}

void LinkDictionary::EscapeLinkText(FC* set, TextString& text) {
    EscapeForOutput(set, text);
    if (IsHTMLOutput(set)) WriteAngleBracketsAsEntities(text);
}

SourcePosition LinkDictionary::CurrentInputPosition(FC*) {
    // The context does not carry the reader's position yet: the entry stays
    // unplaced (-1/-1) and is matched by callers that pass no position.
    return SourcePosition();
}

int LinkDictionary::AddAll(FC* set, const LinkDictionary& other) {
    // Copy the other's entries first: adding to this dictionary may be adding
    // to `other` itself.
    struct Copy {
        TextString phrase, linkText, url, anchorMarkup;
    };
    std::vector<Copy> copies;
    copies.reserve(other.entries.size());
    for (const auto& entry : other.entries)
        copies.push_back({entry->givenPhrase, entry->givenLinkText, entry->url, entry->anchorMarkup});
    for (const Copy& copy : copies)
        Add(set, copy.phrase.buffer, copy.linkText.buffer, copy.url.buffer, copy.anchorMarkup.buffer, -1, -1);
    return static_cast<int>(copies.size());
}

// ---------------------------------------------------------------------------
// Pattern rules

void LinkDictionary::BuildRules(FC* set) {
    rules = std::make_unique<PatternList>();
    const int format = OutputFormatOf(set);
    TextString replacement;
    TextString target;
    for (const auto& entry : entries) {
        if (!entry->global) continue;
        replacement.MakeEmpty();
        switch (format) {
            case kOutputHTML:
                if (entry->anchorMarkup.IsEmpty()) {
                    replacement = "<A HREF=\"";
                    replacement.Append(entry->url);
                    replacement.Append("\"");
                    target.MakeEmpty();
                    if (set) HTML_GetLinkTarget(set, 1, entry->url, target);
                    if (!target.IsEmpty()) {
                        replacement.Append(" TARGET=\"");
                        replacement.Append(target);
                        replacement.Append("\"");
                    }
                    replacement.Append(">");
                } else {
                    replacement = entry->anchorMarkup;
                }
                replacement.Append(entry->linkText);
                replacement.Append("</A>");
                break;
            case kOutputRTF: {
                // The link leads to the definition's URL and shows its link
                // text; the link text was escaped when it was added, the URL
                // is escaped here.
                target = entry->url;
                RTF_EscapeText(set, target);
                if (set && set->IsOn(Pol::MakeWindowsHelpSource))
                    RTF_FormatLink(set, kRTFWebLink, 0, target, entry->linkText, replacement);
                else
                    RTF_FormatHyperlinkField(set, kRTFWebLink, target, entry->linkText, replacement);
                break;
            }
            case kOutputText: break;
            default: replacement = entry->linkText; break;
        }
        // A phrase the pattern syntax refuses gives no rule.
        rules->AddTextRule(kRuleReplace, entry->phrase.buffer, replacement.buffer, 0);
    }
    rulesBuilt = 1;
}

int LinkDictionary::MatchLinkWord(FC* set, const TextString& word, TextString* out) {
    if (globalCount > 0 && !word.IsEmpty()) {
        if (!rulesBuilt || !rules) BuildRules(set);
        ScanOptions options;
        options.oneActionPerPosition = 1;
        options.resetAfterChange = 1;
        if (rules->Scan(word, &options) > 0) {
            if (out) rules->GetResult(out);
            return 1;
        }
    }
    if (out) *out = word;
    return 0;
}

// ---------------------------------------------------------------------------
// Positional anchors

int LinkDictionary::ApplyToLine(FC*, const SourcePosition* position, const TextString* sourceLine, int occurrence,
                                int firstColumn, int lastColumn, const TextString* text, TextString* out) {
    TextString working(text ? *text : TextString());
    if (positionalCount > 0 && !working.IsEmpty()) {
        for (auto& entry : entries) {
            entry->placed = 0;
            entry->placedAt = -1;
        }
        for (auto& entry : entries) {
            if (entry->global || !position || !SamePosition(entry->position, *position)) continue;
            if (firstColumn >= 0 && (entry->column < firstColumn || entry->column > lastColumn)) continue;
            int n = occurrence >= 1 ? occurrence : entry->occurrence;
            if (firstColumn >= 0 && sourceLine) {
                // Which occurrence of the phrase inside the column range the
                // anchor stands on.
                n = 0;
                int from = 0;
                int at = -1;
                for (int k = 1; k <= entry->occurrence; ++k) {
                    if (entry->phrase.IsEmpty() || !sourceLine->Find(from, entry->phrase.buffer, &at, 0)) break;
                    if (at > lastColumn) break;
                    if (at >= firstColumn) ++n;
                    from = at + entry->phrase.length;
                }
            }
            if (n < 1) continue;
            int at = FindOccurrence(working, entry->outputPhrase, n);
            if (at < 0) continue;
            entry->placed = 1;
            entry->placedAt = at;
        }

        // Rewrite from the end of the text towards its start, so that the
        // positions still to be used stay valid; an entry whose phrase
        // overlaps one already rewritten is left out rather than cut into
        // the markup written for the other.
        std::vector<LinkDefinition*> placed;
        for (auto& entry : entries)
            if (entry->placed) placed.push_back(entry.get());
        std::stable_sort(placed.begin(), placed.end(),
                         [](const LinkDefinition* a, const LinkDefinition* b) { return a->placedAt > b->placedAt; });
        int rewrittenFrom = working.length + 1;
        for (LinkDefinition* entry : placed) {
            const int end = entry->placedAt + entry->outputPhrase.length;
            if (end > rewrittenFrom || end > working.length) {
                entry->placed = 0;
                continue;
            }
            TextString rewritten;
            rewritten.AssignChars(working.buffer, entry->placedAt);
            rewritten.Append(entry->anchorMarkup);
            rewritten.Append(entry->linkText);
            rewritten.Append("</a>");
            rewritten.Append(working.buffer + end);
            working = rewritten;
            rewrittenFrom = entry->placedAt;
        }
    }
    if (out) *out = working;
    return 1;
}

// ---------------------------------------------------------------------------
// Writing and clearing

void LinkDictionary::Write(TextFile& sink) const {
    TextString line;
    for (const auto& entry : entries) {
        if (!entry->global) continue;
        line = "Link definition: \"";
        line.Append(entry->givenPhrase);
        line.Append("\" = \"");
        line.Append(entry->givenLinkText);
        line.Append("\" + \"");
        line.Append(entry->url);
        line.Append("\"");
        sink.PutLine(line.buffer);
    }
}

void LinkDictionary::Clear() {
    entries.clear();
    count = 0;
    globalCount = 0;
    positionalCount = 0;
    rules.reset();
    rulesBuilt = 0;
}
