// Definitions (blocks, variables, fragments), tags and META tags collected
// while a file is read, each with its source position so that later steps
// can find the nearest entry of a name before or after a line; and the folio
// variables resolved on top of the definitions.
#pragma once

#include <memory>
#include <vector>

#include "foundation/source_position.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"

class FC;
class Context;

enum DefinitionKind : int { kDefinitionBlock = 0, kDefinitionVariable = 1, kDefinitionFragment = 2 };

class DefinitionEntry {
public:
    int kind = kDefinitionBlock;
    TextString name;
    TextString text;  // the value of a variable
    StringList lines;  // the body lines of a block or fragment
    DefinitionScope scope;
};

// Definitions in the order they were made.  Adding needs the context's
// analysis pass; lookups compare names without regard to case.
class DefineList {
public:
    void Add(FC* set, int kind, const TextString& name, const SourcePosition& position, int scopeKind,
             int scopeValue, const TextString* text);
    int AppendLine(const TextString& line);
    bool FindPreviousDefinition(int kind, const TextString& name, const SourcePosition& position, int scopeValue,
                                int* outIndex, bool inclusive) const;
    bool FindNextDefinition(int kind, const TextString& name, const SourcePosition& position, int scopeValue,
                            int* outIndex, bool inclusive) const;
    void Clear() { entries.clear(); }
    int Count() const { return static_cast<int>(entries.size()); }
    DefinitionEntry* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? entries[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<DefinitionEntry>> entries;
};

// The value of a variable at a position: its nearest definition at or
// before the position, else at or after it; failing that, the folio
// variables (page numbers, templates, format codes) are built from their
// parts with fixed fallbacks.  An unresolved variable gives its own name,
// reported as a TAG ERROR, and false.
bool ResolveFolioVariable(DefineList* list, FC* set, const char* name, const SourcePosition& position,
                          TextString& out);

class TagEntry {
public:
    TextString name;
    TextString text;
    int value = 0;
    SourcePosition position;
};

// In-line tags in the order they were met.  Lookups compare names without
// regard to case; an empty name matches every tag.
class TagList {
public:
    void Add(FC* set, const TextString& name, const TextString& text, int value, const SourcePosition& position);
    bool FindNext(const TextString& name, const SourcePosition& position, int* outIndex, bool inclusive) const;
    bool FindPrevious(const TextString& name, const SourcePosition& position, int* outIndex, bool inclusive) const;
    bool FindNextAfter(const TextString& name, int index, int* outIndex) const;
    void Clear() { entries.clear(); }
    int Count() const { return static_cast<int>(entries.size()); }
    TagEntry* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? entries[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<TagEntry>> entries;
};

class MetaTagEntry {
public:
    TextString name;
    TextString content;
    SourcePosition position;
};
