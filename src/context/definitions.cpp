// Definitions, tags and META tags collected while a file is read, the
// lookups that find the nearest entry of a name before or after a line, and
// the folio variables (page numbers, page header and footer templates)
// resolved on top of the definitions.
#include "context/definitions.h"

#include <climits>
#include <cstdint>

#include "context/context.h"
#include "context/tracker.h"
#include "policies/fc.h"

namespace {

// Equality of two names without regard to ASCII case.
bool SameName(const TextString& a, const TextString& b) {
    if (a.length != b.length) return false;
    for (int i = 0; i < a.length; ++i)
        if (ToUpperAscii(a.buffer[i]) != ToUpperAscii(b.buffer[i])) return false;
    return true;
}

bool SameName(const TextString& a, const char* b) { return SameName(a, TextString(b ? b : "")); }

// A tag name asked for matches a recorded tag of the same name; an empty
// name asked for matches every tag.
bool TagNameMatches(const TextString& wanted, const TextString& recorded) {
    return wanted.length == 0 || SameName(wanted, recorded);
}

void SetIndex(int* outIndex, int value) {
    if (outIndex) *outIndex = value;
}

// Reports a message through the policy set, composed in its message text.
void Report(FC* set, const char* text, const char* name, int level) {
    if (!set) return;
    set->messageText.Assign(text);
    if (name) set->messageText.Append(name);
    set->ReportMessage(level);
}

// Definitions and tags may only be recorded while the context's analysis
// pass is on; without a context there is no pass to record into.
bool InAnalysisPass(const FC* set) { return set && set->context && set->context->documentState.analysisPass != 0; }

// Query kinds of a definition lookup, as relations of the query's line to a
// definition's start line.
constexpr int kNextExclusive = 1;
constexpr int kNextInclusive = 2;
constexpr int kPreviousExclusive = 3;
constexpr int kPreviousInclusive = 4;

}  // namespace

// ---------------------------------------------------------------------------
// Definitions

void DefineList::Add(FC* set, int kind, const TextString& name, const SourcePosition& position, int scopeKind,
                     int scopeValue, const TextString* text) {
    if (!InAnalysisPass(set)) {
        Report(set, "PROGRAM ERROR: DefineList::Add called during non-analysis pass", nullptr, kLevelAlways);
        return;
    }
    auto entry = std::make_unique<DefinitionEntry>();
    entry->kind = kind;
    entry->name = name;

    // Without a line of its own, a definition applies from the line after
    // the one being read; at the very first line it applies from there.
    SourcePosition start = position;
    if (position.line <= 0) {
        const Tracker* tracker = set->context->pGetTracker();
        start = tracker->position;
        if (!(start.unit == 0 && start.line == 1) && start.line < INT32_MAX) start.line += 1;
    }
    entry->scope.Set(start, scopeKind, scopeValue);
    if (kind == kDefinitionVariable && text) entry->text = *text;
    entries.push_back(std::move(entry));
}

int DefineList::AppendLine(const TextString& line) {
    if (entries.empty()) return 0;
    DefinitionEntry& last = *entries.back();
    if (last.kind != kDefinitionBlock && last.kind != kDefinitionFragment) return 0;
    last.lines.Add(line.buffer);
    return 1;
}

namespace {

// The nearest visible definition of a name and kind, measured by line
// numbers only; on equal distance the later entry wins.  `forward` measures
// from the query line to the definition, otherwise back from it.
bool FindNearestDefinition(const std::vector<std::unique_ptr<DefinitionEntry>>& entries, int kind,
                           const TextString& name, const SourcePosition& position, int scopeValue, int relation,
                           bool forward, int* outIndex) {
    const PositionRange query(position, scopeValue, relation);
    int found = -1;
    int64_t best = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const DefinitionEntry& entry = *entries[i];
        if (entry.kind != kind || !SameName(entry.name, name) || !entry.scope.Covers(query)) continue;
        const int64_t line = entry.scope.start.line;
        const int64_t distance = forward ? line - position.line : position.line - line;
        if (found < 0 || distance <= best) {
            found = static_cast<int>(i);
            best = distance;
        }
    }
    SetIndex(outIndex, found);
    return found >= 0;
}

}  // namespace

bool DefineList::FindPreviousDefinition(int kind, const TextString& name, const SourcePosition& position,
                                        int scopeValue, int* outIndex, bool inclusive) const {
    return FindNearestDefinition(entries, kind, name, position, scopeValue,
                                 inclusive ? kPreviousInclusive : kPreviousExclusive, false, outIndex);
}

bool DefineList::FindNextDefinition(int kind, const TextString& name, const SourcePosition& position, int scopeValue,
                                    int* outIndex, bool inclusive) const {
    return FindNearestDefinition(entries, kind, name, position, scopeValue,
                                 inclusive ? kNextInclusive : kNextExclusive, true, outIndex);
}

// ---------------------------------------------------------------------------
// Folio variables

namespace {

// Formats a page number by a folio format code: 1 lower-case roman, 2
// upper-case roman, 3 lower-case letters, 4 upper-case letters, any other
// code decimal.
void FormatPageNumber(int pageNumber, int formatCode, TextString& out) {
    char style = '1';
    switch (formatCode) {
        case 1: style = 'i'; break;
        case 2: style = 'I'; break;
        case 3: style = 'a'; break;
        case 4: style = 'A'; break;
        default: break;
    }
    out.MakeEmpty();
    out.AppendNumber(style, pageNumber, 0);
}

// The page number of a footer or header: resolves PAGE_NUMBER, the template
// and the format code of that folio and builds the output.  False when any
// part needed did not resolve or read.
bool ResolvePageNumber(DefineList* list, FC* set, bool header, const SourcePosition& position, TextString& out) {
    bool ok = true;
    bool blank = false;
    int pageNumber = 0;

    TextString value;
    if (!ResolveFolioVariable(list, set, "PAGE_NUMBER", position, value)) {
        ok = false;
        blank = true;
    } else if (value == "blank") {
        blank = true;
    } else if (!value.ToInteger('1', &pageNumber)) {
        ok = false;
        blank = true;
    } else if (pageNumber < 0) {
        blank = true;
    }

    TextString folioTemplate;
    TextString formatText;
    if (!ResolveFolioVariable(list, set, header ? "FOLIO_HEADER_TEMPLATE" : "FOLIO_TEMPLATE", position,
                              folioTemplate))
        ok = false;
    if (!ResolveFolioVariable(list, set, header ? "FOLIO_HEADER_FORMAT_CODE" : "FOLIO_FORMAT_CODE", position,
                              formatText))
        ok = false;
    int formatCode = 0;
    if (ok && !formatText.ToInteger('1', &formatCode)) ok = false;

    if (header && !blank) {
        // The header shows the page that follows; the largest number has no
        // follower, so its header stays blank rather than wrapping round.
        if (pageNumber == INT_MAX)
            blank = true;
        else
            pageNumber += 1;
    }

    out.MakeEmpty();
    if (!blank && pageNumber != 0) {
        TextString number;
        FormatPageNumber(pageNumber, formatCode, number);
        out = folioTemplate;
        out.Replace("[folio]", number.buffer, 0, 0);
    }
    return ok;
}

}  // namespace

bool ResolveFolioVariable(DefineList* list, FC* set, const char* name, const SourcePosition& position,
                          TextString& out) {
    const TextString variable(name ? name : "");

    if (list) {
        int index = -1;
        if (list->FindPreviousDefinition(kDefinitionVariable, variable, position, 0, &index, true) ||
            list->FindNextDefinition(kDefinitionVariable, variable, position, 0, &index, true)) {
            out = list->GetAt(index)->text;
            return true;
        }
    }

    bool resolved = false;
    if (SameName(variable, "FOLIO_FOOTER_PAGE_NUMBER")) {
        resolved = ResolvePageNumber(list, set, false, position, out);
    } else if (SameName(variable, "FOLIO_HEADER_PAGE_NUMBER")) {
        resolved = ResolvePageNumber(list, set, true, position, out);
    } else if (SameName(variable, "FOLIO_HEADER_TEMPLATE")) {
        resolved = ResolveFolioVariable(list, set, "FOLIO_TEMPLATE", position, out);
    } else if (SameName(variable, "FOLIO_HEADER_FORMAT_CODE")) {
        resolved = ResolveFolioVariable(list, set, "FOLIO_FORMAT_CODE", position, out);
    } else if (SameName(variable, "FOLIO_FORMAT_CODE")) {
        out.Assign("0");
        resolved = true;
    } else if (SameName(variable, "FOLIO_TEMPLATE")) {
        out.Assign("[folio]");
        resolved = true;
    }
    if (resolved) return true;

    out = variable;
    Report(set, "TAG ERROR: Failed to resolve variable ", variable.buffer, kLevelAlways);
    return false;
}

// ---------------------------------------------------------------------------
// Tags

void TagList::Add(FC* set, const TextString& name, const TextString& text, int value,
                  const SourcePosition& position) {
    if (!InAnalysisPass(set)) {
        Report(set, "PROGRAM ERROR: TagList::Add called during non-analysis pass", nullptr, kLevelAlways);
        return;
    }
    auto entry = std::make_unique<TagEntry>();
    entry->name = name;
    entry->text = text;
    entry->value = value;

    // A tag without a line of its own belongs to the line after the one
    // being read.
    SourcePosition where = position;
    if (where.line < 0) {
        where = set->context->pGetTracker()->position;
        if (where.line < INT32_MAX) where.line += 1;
    }
    if (where.unit < 0) where = SourcePosition(0, 0);
    entry->position = where;
    entries.push_back(std::move(entry));
}

bool TagList::FindNext(const TextString& name, const SourcePosition& position, int* outIndex, bool inclusive) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        const TagEntry& entry = *entries[i];
        if (entry.position.unit != position.unit || !TagNameMatches(name, entry.name)) continue;
        const int line = entry.position.line;
        if (line > position.line || (inclusive && line == position.line)) {
            SetIndex(outIndex, static_cast<int>(i));
            return true;
        }
    }
    SetIndex(outIndex, -1);
    return false;
}

bool TagList::FindPrevious(const TextString& name, const SourcePosition& position, int* outIndex,
                           bool inclusive) const {
    int found = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TagEntry& entry = *entries[i];
        if (entry.position.unit != position.unit || !TagNameMatches(name, entry.name)) continue;
        const int line = entry.position.line;
        if (line > position.line) break;
        if (line < position.line || inclusive) found = static_cast<int>(i);
    }
    SetIndex(outIndex, found);
    return found >= 0;
}

bool TagList::FindNextAfter(const TextString& name, int index, int* outIndex) const {
    const int first = index < 0 ? 0 : index + 1;
    for (int i = first; i < Count(); ++i) {
        if (TagNameMatches(name, entries[static_cast<size_t>(i)]->name)) {
            SetIndex(outIndex, i);
            return true;
        }
    }
    SetIndex(outIndex, -1);
    return false;
}

// ---------------------------------------------------------------------------
// Output files and META tags

bool DocumentState::FindOutputFile(const TextString& name, int* index) const {
    for (int i = 0; i < outputFiles.count; ++i) {
        const StringListEntry* entry = outputFiles.GetAt(i);
        if (entry && SameName(entry->text, name)) {
            SetIndex(index, i);
            return true;
        }
    }
    SetIndex(index, -1);
    return false;
}

namespace {

// Reduces each run of blanks to its first character and trims both ends.
void TidyMetaText(TextString& text) {
    text.CollapseBlanks();
    text.Trim(0, " ");
}

}  // namespace

void DocumentState::AddMetaTag(Context* context, const char* name, const char* content) {
    MetaTagEntry entry;
    entry.name.Assign(name ? name : "");
    entry.content.Assign(content ? content : "");
    TidyMetaText(entry.name);
    TidyMetaText(entry.content);

    // The tag belongs to the line after the current one; inside an included
    // unit, to the line after the including line.
    SourcePosition where(0, 0);
    if (context) {
        const Tracker* tracker = context->pGetTracker();
        where = tracker->position.unit != 0 ? tracker->outerPosition : tracker->position;
        if (where.line < INT32_MAX) where.line += 1;
        if (where.unit < 0) where = SourcePosition(0, 0);
    }
    entry.position = where;
    metaTags.push_back(std::move(entry));
}
