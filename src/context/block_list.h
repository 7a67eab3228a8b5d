// BlockList: the stack of HTML blocks open in the output being written
// (body, lists, list items, tables, paragraphs, headings, indentation blocks).
// Blocks are opened with their start tag and closed innermost first with the
// closing markup they still owe.
#pragma once

#include <memory>
#include <vector>

#include "foundation/fonts.h"
#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;
class OutputDocument;

enum BlockType : int {
    kBlockUnknown = 0,
    kBlockBody = 1,
    kBlockOrderedList = 2,
    kBlockUnorderedList = 3,
    kBlockDefinitionList = 4,
    kBlockListItem = 5,
    kBlockTable = 6,
    kBlockParagraph = 7,
    kBlockIndent = 8,
    kBlockHeading = 9,
};

class BlockEntry {
public:
    int type = kBlockUnknown;
    FontSpec blockFont;  // the font that applies inside the block
    FontSpec openingFont;  // the font that applied when the block was opened
    int fontChanged = 0;
    TextString tagText;
    SourcePosition position;
    int writerValue1 = -3;
    int writerValue2 = -1;
    TextString writerText;
    int writerValue3 = 0;
    int itemCount = 0;
    int counting = 0;  // while set, paragraphs and tables opened inside count as items
    int writerValue4 = 0;  // reset with the item counter when another block opens inside
};

class BlockList {
public:
    BlockList() = default;
    BlockList(const BlockList&) = delete;
    BlockList& operator=(const BlockList&) = delete;

    // Block type of a start tag or, when the start tag is absent or
    // unrecognised, of an end tag.
    static int GetBlockType(FC* set, const TextString* startTag, const TextString* endTag);
    // Writes the start tag and opens its block (unless the tag is blank).
    void Add(FC* set, OutputDocument* document, TextString& startTag);
    // Closes exactly one block, the innermost, writing the closing markup it
    // still owes and then the end tag, whatever end tag is given.
    void Decrement(FC* set, OutputDocument* document, TextString& endTag);
    // Counts an item in the current block (see GetCurrent).
    void CountItem();
    // The innermost block, or the block around it when the innermost is a
    // paragraph; null when no block is open.
    BlockEntry* GetCurrent() const;
    BlockEntry* Innermost() const { return entries.empty() ? nullptr : entries.back().get(); }
    BlockEntry* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? entries[static_cast<size_t>(index)].get() : nullptr;
    }
    int Count() const { return static_cast<int>(entries.size()); }
    void Clear() { entries.clear(); }

private:
    // Removes the innermost block and writes its end tag.
    void Pop(FC* set, OutputDocument* document, TextString& endTag);
    static bool IsMismatch(FC* set, int endType, const BlockEntry& innermost);
    static void ReportMismatch(FC* set, const TextString& endTag, const BlockEntry& innermost);
    std::vector<std::unique_ptr<BlockEntry>> entries;
};
