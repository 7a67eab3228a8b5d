#include "analysis/heading_list.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "context/context.h"
#include "context/option_groups.h"
#include "foundation/line_types.h"
#include "output/markup/entities.h"
#include "output/markup/markup_removal.h"
#include "policies/fc.h"

#if __has_include("analysis/analysis_routines.h")
#include "analysis/analysis_routines.h"
#include "policies/output_formats.h"
#else
namespace {
// Stand-in until the shared section-reference routines are built: the word
// is only trimmed.
void NormaliseSectionReference(FC*, TextString& text) { text.Trim(0, " "); }
}  // namespace
#endif

namespace {

// Matches further away than this many lines are "far".
constexpr int kNearLines = 6;

// Tabs become blanks, runs of blanks one blank, and the ends are trimmed.
void TidyBlanks(TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (text.buffer[i] == '\t') text.buffer[i] = ' ';
    text.CollapseBlanks();
    text.Trim(0, " ");
}

// The name of the output file being written: the newest entry of the
// context's output-file list.
TextString CurrentOutputName(const FC* set) {
    if (!set || !set->context) return TextString();
    const StringList& files = set->context->documentState.outputFiles;
    const char* name = files.TextAt(files.count - 1);
    return TextString(name ? name : "");
}

// The name of the composition unit when nothing else names it: the input
// file's name.
TextString DefaultUnitName(const FC* set) {
    if (!set || !set->context) return TextString();
    return set->context->documentState.inputName;
}

// Equality with blanks and tabs ignored on both sides; case ignored.
bool EqualIgnoringBlanks(const TextString& a, const TextString& b) {
    int i = 0, j = 0;
    for (;;) {
        while (i < a.length && IsBlankOrTab(a.buffer[i])) ++i;
        while (j < b.length && IsBlankOrTab(b.buffer[j])) ++j;
        if (i >= a.length || j >= b.length) return i >= a.length && j >= b.length;
        if (ToUpperAscii(a.buffer[i]) != ToUpperAscii(b.buffer[j])) return false;
        ++i;
        ++j;
    }
}

bool Contains(const TextString& text, const TextString& part) {
    return part.length > 0 && text.Find(0, part.buffer, nullptr, 0);
}

// Removes `word` (which ends in a blank) where it stands as a whole word:
// at the start of the text or after a blank.  `maxCount` 0 removes every
// occurrence.  Returns the number removed.
int RemoveWord(std::string& text, const std::string& word, int maxCount) {
    int removed = 0;
    size_t at = 0;
    while ((at = text.find(word, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == ' ') {
            text.erase(at, word.size());
            if (++removed == maxCount) break;
        } else {
            ++at;
        }
    }
    return removed;
}

void ReplaceAll(std::string& text, const std::string& find, const std::string& with) {
    size_t at = 0;
    while ((at = text.find(find, at)) != std::string::npos) {
        text.replace(at, find.size(), with);
        at += with.size();
    }
}

// The comparable words of a text for the word overlap: lower-cased, with a
// blank appended; the small words dropped; entities of blanks and markup
// characters handled; everything but letters, digits, blanks and tabs
// removed; blanks collapsed.
std::string OverlapWords(const TextString& text) {
    std::string s;
    for (int i = 0; i < text.length; ++i) s.push_back(ToLowerAscii(text.buffer[i]));
    s.push_back(' ');
    for (const char* small : {"the ", "and ", "to ", "all ", "of ", "is ", "with "}) RemoveWord(s, small, 0);
    ReplaceAll(s, "&nbsp;", " ");
    for (const char* entity : {"&lt;", "&gt;", "&amp;"}) ReplaceAll(s, entity, "");
    std::string kept;
    for (char c : s)
        if (IsAsciiAlnum(static_cast<unsigned char>(c)) || c == ' ' || c == '\t')
            kept.push_back(c == '\t' ? ' ' : c);
    std::string collapsed;
    for (char c : kept)
        if (!(c == ' ' && !collapsed.empty() && collapsed.back() == ' ')) collapsed.push_back(c);
    return collapsed;
}

bool HasWords(const std::string& s) { return s.find_first_not_of(' ') != std::string::npos; }

// Word overlap between a key and a title.
bool WordsOverlap(const TextString& rawKey, const TextString& title) {
    std::string key = OverlapWords(rawKey);
    std::string words = OverlapWords(title);
    // A text left without words (only small words or punctuation) would be
    // "contained" in everything.
    if (!HasWords(key) || !HasWords(words)) return false;
    if (key.find(words) != std::string::npos || words.find(key) != std::string::npos) return true;
    int found = 0;
    size_t start = 0;
    while (start < words.size()) {
        size_t blank = words.find(' ', start);
        if (blank == std::string::npos) blank = words.size();
        if (blank > start) {
            std::string word = words.substr(start, blank - start) + " ";
            found += RemoveWord(key, word, 1);
        }
        start = blank + 1;
    }
    int left = 0;
    bool inWord = false;
    for (char c : key) {
        if (c != ' ' && !inWord) ++left;
        inWord = c != ' ';
    }
    return (found > 4 && left < 3) || (found >= 1 && left == 0);
}

// Decodes the entities that HTML escaping put into a text.
void DecodeOutputEntities(FC* set, TextString& text) {
    int format = (set && set->context) ? set->context->outputFormat : kOutputHTML;
    if (format != kOutputHTML) return;
    EntityDecodeOptions options;
    options.text = &text;
    options.result = &text;
    options.utf8 = 1;
    options.latin1 = 1;
    options.plainAscii = 1;
    DecodeEntities(options);
}

}  // namespace

// ---------------------------------------------------------------------------
// HeadingListEntry

void HeadingListEntry::GetAnchorName(TextString& out) const {
    out.Assign("toc_");
    out.Append(anchorStem);
    out.AppendChar('_');
    out.AppendNumber('1', id, 0);
}

bool HeadingListEntry::Matches(int level, int keyKind, const TextString& rawKey,
                               const TextString& normalisedKey) const {
    if (normalisedKey.length == 0) return false;
    const TextString* keys[5] = {&normalisedTitle, &normalisedText, &normalisedPlainText, nullptr, nullptr};
    int n = 3;
    if (keyKind > 0) keys[n++] = &normalisedAnchorStem;
    if (keyKind > 1) keys[n++] = &normalisedTitleWithoutNumber;
    for (int i = 0; i < n; ++i) {
        const TextString& entryKey = *keys[i];
        if (entryKey.length == 0) continue;
        if (entryKey.Matches(normalisedKey.buffer, 0, 0)) return true;
        if (level >= 1 && EqualIgnoringBlanks(entryKey, normalisedKey)) return true;
        if (level >= 2 && Contains(entryKey, normalisedKey)) return true;
        if (level >= 3 && Contains(normalisedKey, entryKey)) return true;
    }
    return level >= 4 && WordsOverlap(rawKey, title);
}

// ---------------------------------------------------------------------------
// HeadingList

int HeadingList::ContentsTypeToHeadingType(int type) {
    return type >= kLineContents && type <= kLineContentsLast ? type - kLineContents + kLineNumberedHeading : type;
}

void HeadingList::NormaliseText(FC* set, const TextString& text, TextString& out) {
    TextString key = text;
    if (key.length == 0) {
        out.MakeEmpty();
        return;
    }
    DecodeOutputEntities(set, key);
    key.ConvertSmartPunctuation();
    int write = 0;
    for (int i = 0; i < key.length; ++i) {
        char c = key.buffer[i];
        if (std::strchr("<>&`'\"*_()[]", c)) continue;
        key.buffer[write++] = c == '\t' ? ' ' : ToLowerAscii(c);
    }
    key.SubString(0, write);
    key.CollapseBlanks();
    key.Trim(0, " ");
    out = key;
}

void HeadingList::FindMatches(FC* set, int level, int keyKind, const TextString& key, const SourcePosition& position,
                              int from, int to, int* firstNear, int* lastFar, int* count) const {
    if (firstNear) *firstNear = -1;
    if (lastFar) *lastFar = -1;
    if (count) *count = 0;
    const int n = Count();
    if (n == 0) return;
    if (from < 0 || from >= n) from = 0;
    if (to < 0 || to >= n) to = n - 1;
    if (to < from) to = from;
    TextString normalisedKey;
    NormaliseText(set, key, normalisedKey);
    for (int i = from; i <= to; ++i) {
        const HeadingListEntry* entry = entries[static_cast<size_t>(i)].get();
        if (!entry->Matches(level, keyKind, key, normalisedKey)) continue;
        if (count) ++*count;
        bool far = position.line > 0 && entry->position.unit == position.unit &&
                   std::abs(entry->position.line - position.line) > kNearLines;
        if (far) {
            if (lastFar) *lastFar = i;
        } else if (firstNear && *firstNear < 0) {
            *firstNear = i;
        }
    }
}

HeadingListEntry* HeadingList::Find(FC* set, const TextString& text, const TextString& title,
                                    const SourcePosition& position, int* index, int* matchCount) const {
    TextString textKey, titleKey;
    NormaliseText(set, text, textKey);
    NormaliseText(set, title, titleKey);
    const int level = textKey.CountChar(' ') >= 2 ? 1 : 0;
    const bool same = textKey.Matches(titleKey.buffer, 0, 0);

    int near1 = -1, far1 = -1, count1 = 0;
    int near2 = -1, far2 = -1, count2 = 0;
    FindMatches(set, level, same ? 1 : 0, textKey, position, 0, -1, &near1, &far1, &count1);
    int found = near1;
    if (found < 0 && !same) {
        FindMatches(set, level, 1, titleKey, position, 0, -1, &near2, &far2, &count2);
        found = near2;
    }
    if (found < 0) found = far1 >= 0 ? far1 : far2;
    if (index) *index = found;
    if (matchCount) *matchCount = count1 > 0 ? count1 : count2;
    return GetAt(found);
}

HeadingListEntry* HeadingList::FindByPosition(const SourcePosition& position, int* index) const {
    int found = -1;
    for (int i = 0; i < Count(); ++i) {
        const HeadingListEntry* entry = entries[static_cast<size_t>(i)].get();
        if (entry->position.unit != position.unit) continue;
        if (entry->position.line > position.line) break;
        found = i;
    }
    if (index) *index = found;
    return GetAt(found);
}

void HeadingList::Add(FC* set, int lineType, const TextString& text, const TextString& title,
                      const TextString& anchorStem, const SourcePosition& position, const TextString& extra1,
                      const TextString& extra2, const TextString& extra3) {
    TextString fileName = CurrentOutputName(set);
    TextString stem;
    if (set && IsRuleSet(set->ruleSetCode)) {
        stem = fileName;
        stem.AppendChar('_');
    }
    stem.Append(anchorStem);

    int foundIndex = -1;
    int matches = 0;
    const HeadingListEntry* found = Find(set, title, stem, SourcePosition(), &foundIndex, &matches);
    if (found) {
        if (found->position.unit == position.unit && found->position.line == position.line) return;
        if (set) {
            TextString shown = title;
            shown.Trim(0, " ");
            if (shown.length > 20) {
                shown.SubString(0, 17);
                shown.Append("...");
            }
            TextString message("WARNING: ");
            message.AppendNumber('1', matches, 0);
            message.Append(" duplicate heading(s) \"");
            message.Append(shown);
            message.Append("\" found at ");
            message.AppendNumber('1', found->position.unit, 0);
            message.AppendChar('/');
            message.AppendNumber('1', found->position.line, 0);
            message.Append(" and ");
            message.AppendNumber('1', position.unit, 0);
            message.AppendChar('/');
            message.AppendNumber('1', position.line, 0);
            set->ReportMessage(message.buffer, kLevelAnalysisNote);
        }
    }

    auto entry = std::make_unique<HeadingListEntry>();
    entry->lineType = lineType;
    entry->fileName = fileName;
    entry->text = text;
    TidyBlanks(entry->text);
    entry->title = title;
    TidyBlanks(entry->title);
    entry->titleWithoutNumber = entry->title;
    if (lineType >= kLineNumberedHeading && lineType <= kLineNumberedHeadingLast) {
        int blank = -1;
        if (entry->titleWithoutNumber.FindChar(0, ' ', &blank, 1))
            entry->titleWithoutNumber.SubString(blank + 1, entry->titleWithoutNumber.length - blank - 1);
        else
            entry->titleWithoutNumber.MakeEmpty();
        entry->titleWithoutNumber.Trim(0, " ");
    }
    entry->anchorStem = stem;
    TidyBlanks(entry->anchorStem);

    TagRemovalOptions options;
    SetHeadingRemovalOptions(options);
    MessageReporter* reporter = (set && set->context) ? &set->context->sink : nullptr;
    TextString plain;
    RemoveMarkup(reporter, &options, &entry->text, &plain);

    NormaliseText(set, entry->text, entry->normalisedText);
    NormaliseText(set, entry->title, entry->normalisedTitle);
    NormaliseText(set, entry->titleWithoutNumber, entry->normalisedTitleWithoutNumber);
    NormaliseText(set, entry->anchorStem, entry->normalisedAnchorStem);
    NormaliseText(set, plain, entry->normalisedPlainText);

    entry->duplicates = matches;
    if (matches > 0) {
        entry->anchorStem.AppendChar('_');
        entry->anchorStem.AppendNumber('1', matches, 0);
    }
    entry->title.GetField(1, ' ', &entry->number);
    NormaliseSectionReference(set, entry->number);
    entry->title.GetField(2, ' ', &entry->secondNumber);
    NormaliseSectionReference(set, entry->secondNumber);
    entry->extra1 = extra1;
    entry->extra2 = extra2;
    entry->extra3 = extra3;

    entry->unitName = DefaultUnitName(set);
    entry->position = position;
    entries.push_back(std::move(entry));
    entries.back()->id = Count();
}

// ---------------------------------------------------------------------------
// PageMarkerList

namespace {

bool AtOrBefore(const SourcePosition& entry, const SourcePosition& position) {
    return entry.unit == position.unit && entry.line <= position.line;
}

bool SameName(const TextString& a, const char* b) { return a.Matches(b ? b : "", 0, 0); }

}  // namespace

void PageMarkerList::AddMarker(const char* name, const char* text, const char* pageKey, int number, int subNumber,
                               const SourcePosition& position) {
    auto entry = std::make_unique<PageMarkerEntry>();
    entry->name.Assign(name ? name : "");
    entry->text.Assign(text ? text : "");
    entry->pageKey.Assign(pageKey ? pageKey : "");
    entry->number = number;
    entry->subNumber = subNumber;
    entry->position = position;
    markers.push_back(std::move(entry));
}

void PageMarkerList::AddValue(const char* name, int value, const SourcePosition& position) {
    auto entry = std::make_unique<PageValueEntry>();
    entry->name.Assign(name ? name : "");
    entry->value = value;
    entry->position = position;
    values.push_back(std::move(entry));
}

PageMarkerEntry* PageMarkerList::FindAt(FC*, const char* name, int number, const SourcePosition& position) const {
    PageMarkerEntry* last = nullptr;
    for (const auto& entry : markers)
        if (AtOrBefore(entry->position, position)) last = entry.get();
    if (last && SameName(last->name, name) && last->number == number) return last;
    return nullptr;
}

PageMarkerEntry* PageMarkerList::FindOnPage(FC*, const char* pageKey, int subNumber, const char* text) const {
    int textMatches = 0, subMatches = 0;
    PageMarkerEntry* firstText = nullptr;
    PageMarkerEntry* lastText = nullptr;
    PageMarkerEntry* firstSub = nullptr;
    PageMarkerEntry* lastSub = nullptr;
    const bool haveText = text && *text;
    for (const auto& entry : markers) {
        if (!SameName(entry->pageKey, pageKey)) continue;
        if (haveText && entry->text.Matches(text, 1, 0)) {
            ++textMatches;
            if (!firstText) firstText = entry.get();
            lastText = entry.get();
        }
        if (entry->subNumber == subNumber) {
            ++subMatches;
            if (!firstSub) firstSub = entry.get();
            lastSub = entry.get();
        }
    }
    if (textMatches == 1) return firstText;
    if (subMatches == 1) return firstSub;
    if (textMatches == 0) return lastSub;
    return lastText;
}

PageMarkerEntry* PageMarkerList::FindByText(FC*, const char* text, int* count) const {
    for (const auto& entry : markers) {
        if (entry->text.Matches(text ? text : "", 0, 0)) {
            if (count) *count = 1;
            return entry.get();
        }
    }
    if (count) *count = 0;
    return nullptr;
}

int PageMarkerList::GetNumberAt(const char* name, const SourcePosition& position) const {
    const bool all = !name || !*name;
    int number = -1;
    bool first = true;
    for (const auto& entry : markers) {
        if (!all && !SameName(entry->name, name)) continue;
        if (first) number = entry->number;
        first = false;
        if (AtOrBefore(entry->position, position)) number = entry->number;
    }
    return number;
}

int PageMarkerList::GetValueAt(FC*, const char* name, const SourcePosition& position) const {
    const bool all = !name || !*name;
    int value = 1;
    bool first = true;
    for (const auto& entry : values) {
        if (!all && !SameName(entry->name, name)) continue;
        if (first) value = entry->value;
        first = false;
        if (AtOrBefore(entry->position, position)) value = entry->value;
    }
    return value;
}

void PageMarkerList::GetNameAt(FC* set, const SourcePosition& position, TextString& name) const {
    const PageMarkerEntry* firstOfUnit = nullptr;
    const PageMarkerEntry* last = nullptr;
    for (const auto& entry : markers) {
        if (entry->position.unit != position.unit) continue;
        if (!firstOfUnit) firstOfUnit = entry.get();
        if (entry->position.line <= position.line) last = entry.get();
    }
    if (last)
        name = last->name;
    else if (firstOfUnit)
        name = firstOfUnit->name;
    else
        name = DefaultUnitName(set);
}
