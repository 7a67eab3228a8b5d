// HeadingList: the document's known headings (and, in a second instance, its
// contents-list entries), each with its anchor name, text, title, numbers and
// source position, so that contents lines and cross-references can find the
// heading they name, tolerating differences of markup, punctuation and case.
// PageMarkerList: the page markers of a document with the lookups by
// position, page and text.
#pragma once

#include <memory>
#include <vector>

#include "foundation/line_types.h"
#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;

class HeadingListEntry {
public:
    int lineType = kLineNotAnalysed;
    TextString text;  // the heading line's text, blanks collapsed and trimmed
    TextString title;  // the title text, blanks collapsed and trimmed
    TextString titleWithoutNumber;  // the title; for numbered headings without its first word
    TextString anchorStem;  // with "_" and the duplicate count when duplicates were found
    // Matching keys (HeadingList::NormaliseText).
    TextString normalisedText;
    TextString normalisedTitle;
    TextString normalisedTitleWithoutNumber;
    TextString normalisedAnchorStem;
    TextString normalisedPlainText;  // the text without markup
    TextString number;  // the title's first word as a section reference
    TextString secondNumber;  // the title's second word as a section reference
    TextString fileName;  // the output file (composition unit) the heading is written to
    TextString unitName;  // the composition unit
    TextString extra1, extra2, extra3;  // three texts given by the caller, kept unchanged
    SourcePosition position;
    int mark = 0;  // set once the heading's anchor has been written
    int id = 0;  // 1-based: the list's count after the entry was appended
    int duplicates = 0;

    // "toc_" + anchor stem + "_" + id.
    void GetAnchorName(TextString& out) const;

    // Whether the entry matches a key.  `normalisedKey` is the key as
    // NormaliseText gives it, `rawKey` the key as written (used by the word
    // overlap of level 4).  Levels add to each other: 0 equality with the
    // normalised title, text or text without markup (key kind 1 and above
    // also the anchor stem, 2 and above the title without number); 1 the same
    // with blanks ignored; 2 an entry key contains the key; 3 the key contains
    // an entry key; 4 the words of the key and the title overlap.  Case is
    // ignored; an empty key never matches, and empty entry keys are not
    // compared.
    bool Matches(int level, int keyKind, const TextString& rawKey, const TextString& normalisedKey) const;
};

class HeadingList {
public:
    int lowestLevel = -1;  // lowest and highest heading level seen; -1 while none
    int highestLevel = -1;

    HeadingList() = default;
    HeadingList(const HeadingList&) = delete;
    HeadingList& operator=(const HeadingList&) = delete;

    // Registers a heading.  A heading that the list already holds at the very
    // same position is not added again; one found elsewhere is reported as a
    // duplicate (level 5) and added with the duplicate count appended to its
    // anchor stem.
    void Add(FC* set, int lineType, const TextString& text, const TextString& title, const TextString& anchorStem,
             const SourcePosition& position, const TextString& extra1, const TextString& extra2,
             const TextString& extra3);

    // The entry that a text (else the title) names.  A match more than 6
    // lines away from the position (same unit) is taken only when no nearer
    // one exists; an unset position makes every match near.  `index` gets the
    // entry's index (-1 when none) and `matchCount` the number of entries
    // that matched.
    HeadingListEntry* Find(FC* set, const TextString& text, const TextString& title, const SourcePosition& position,
                           int* index, int* matchCount) const;

    // Looks for entries that match a key at a match level and key kind
    // between `from` and `to` (inclusive; a bound below 0 or beyond the end
    // means the whole list on that side).  `firstNear` gets the first near
    // match, `lastFar` the last far one (more than 6 lines from the position
    // in the same unit, when the position's line is above 0), `count` the
    // number of matches; -1, -1 and 0 when none.
    void FindMatches(FC* set, int level, int keyKind, const TextString& key, const SourcePosition& position,
                     int from, int to, int* firstNear, int* lastFar, int* count) const;

    // The last entry of the position's unit at or before its line; -1 and
    // null when none.
    HeadingListEntry* FindByPosition(const SourcePosition& position, int* index) const;

    // Contents-line types 151-156 become heading types 101-106; every other
    // type is returned unchanged.
    static int ContentsTypeToHeadingType(int type);

    // The matching key of a text: entities of the output format decoded,
    // typographic punctuation made plain, the characters < > & ` ' " * _ ( )
    // [ ] removed, runs of blanks collapsed, trimmed and lower-cased.
    static void NormaliseText(FC* set, const TextString& text, TextString& out);

    void Reset() {
        entries.clear();
        lowestLevel = highestLevel = -1;
    }
    int Count() const { return static_cast<int>(entries.size()); }
    HeadingListEntry* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? entries[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<HeadingListEntry>> entries;
};

// One page marker.
struct PageMarkerEntry {
    TextString name;
    TextString text;
    TextString pageKey;
    int number = -1;
    int subNumber = -1;
    SourcePosition position;
};

// A named value in force from a position on.
struct PageValueEntry {
    TextString name;
    int value = 0;
    SourcePosition position;
};

class PageMarkerList {
public:
    PageMarkerList() = default;
    PageMarkerList(const PageMarkerList&) = delete;
    PageMarkerList& operator=(const PageMarkerList&) = delete;

    void AddMarker(const char* name, const char* text, const char* pageKey, int number, int subNumber,
                   const SourcePosition& position);
    void AddValue(const char* name, int value, const SourcePosition& position);
    void Reset() {
        markers.clear();
        values.clear();
    }
    int Count() const { return static_cast<int>(markers.size()); }
    int ValueCount() const { return static_cast<int>(values.size()); }
    PageMarkerEntry* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? markers[static_cast<size_t>(index)].get() : nullptr;
    }

    // The last marker of the position's unit at or before its line, when its
    // name (case ignored) and number are the given ones; else null.
    PageMarkerEntry* FindAt(FC* set, const char* name, int number, const SourcePosition& position) const;
    // Among the markers with the page key: a unique text match (a non-empty
    // text equal to the marker's, case counting), else a unique sub-number
    // match, else (without text matches) the last sub-number match, else the
    // last text match; null when neither kind matched.
    PageMarkerEntry* FindOnPage(FC* set, const char* pageKey, int subNumber, const char* text) const;
    // The first marker whose text equals the given one (case ignored);
    // `count` is 1 when one is found, else 0.
    PageMarkerEntry* FindByText(FC* set, const char* text, int* count) const;
    // The number in force at the position for markers of the name (every
    // marker when the name is empty): the first such marker's number,
    // overridden by each such marker of the position's unit at or before its
    // line; -1 when none.
    int GetNumberAt(const char* name, const SourcePosition& position) const;
    // The same scan over the values; 1 when none is in force.
    int GetValueAt(FC* set, const char* name, const SourcePosition& position) const;
    // The name of the last marker of the position's unit at or before its
    // line (the unit's first marker when the position precedes them all);
    // without markers of that unit, the context's default name.
    void GetNameAt(FC* set, const SourcePosition& position, TextString& name) const;

private:
    std::vector<std::unique_ptr<PageMarkerEntry>> markers;
    std::vector<std::unique_ptr<PageValueEntry>> values;
};
