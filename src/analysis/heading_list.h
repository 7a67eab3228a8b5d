// HeadingList: the document's known headings (and, in a second instance, its
// contents-list entries), each with its anchor name, text, title, numbers and
// source position, so that contents lines and cross-references can find them.
#pragma once

#include <memory>
#include <vector>

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;

class HeadingListEntry {
public:
    int lineType = -3;
    TextString text;
    TextString title;
    TextString titleWithoutNumber;
    TextString anchorStem;
    TextString normalisedText;
    TextString normalisedTitle;
    TextString normalisedTitleWithoutNumber;
    TextString normalisedAnchorStem;
    TextString normalisedPlainText;
    TextString number;        // the title's first word as a section reference
    TextString secondNumber;  // the title's second word as a section reference
    TextString fileName;      // the output file the heading is written to
    TextString unitName;
    TextString extra1, extra2, extra3;  // three texts given by the caller
    SourcePosition position;
    int mark = 0;
    int id = 0;
    int duplicates = 0;
    int anchorWritten = 0;

    void GetAnchorName(TextString& out) const;
};

class HeadingList {
public:
    int lowestLevel = -1;   // lowest and highest heading level seen
    int highestLevel = -1;

    // Registers a heading.  The full matching and duplicate handling comes
    // with the line analysis; this keeps the entry with its texts and numbers.
    void Add(FC* set, int lineType, const TextString& text, const TextString& title, const TextString& anchorStem,
             const SourcePosition& position, const TextString& extra1, const TextString& extra2,
             const TextString& extra3);
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
