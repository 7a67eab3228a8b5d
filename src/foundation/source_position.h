// SourcePosition: where a line of the input came from (input unit and line
// number).  DefinitionScope: from where on a definition is visible and for
// which kind of lookup; PositionRange is a lookup's question to a scope.
#pragma once

#include <cstdint>

class SourcePosition {
public:
    int32_t unit = -1;  // index of the input unit (file); -1 when unset
    int32_t line = -1;  // line number; -1 when unset

    SourcePosition() = default;
    SourcePosition(int32_t unitIndex, int32_t lineNumber) : unit(unitIndex), line(lineNumber) {}
    SourcePosition(const SourcePosition&) = default;
    SourcePosition& operator=(const SourcePosition& other) = default;

    // Both fields back to -1.
    void Clear() {
        unit = -1;
        line = -1;
    }
    // -2 / 2 when this unit is below / above the other's; within the same
    // unit -1, 0 or 1 by line.
    int Compare(const SourcePosition& other) const;
    // Both fields set (>= 0).
    bool IsValid() const { return unit >= 0 && line >= 0; }
};

// A lookup's question: which scope flag it needs and where it stands.
class PositionRange {
public:
    int mode = 0;  // 0: both scope flags, 1: the first, 2: the second
    int relation = 0;  // 0 anywhere, 1 before, 2 at or before, 3 after, 4 at or after the start
    SourcePosition position;

    PositionRange(const SourcePosition& where, int modeOfLookup, int relationToStart)
        : mode(modeOfLookup), relation(relationToStart), position(where) {}
};

class DefinitionScope {
public:
    int firstFlag = 1;
    int secondFlag = 1;
    int value = 0;  // kept for the owner of the scope
    SourcePosition start{0, 1};

    // Stores the start and the value; kind 1 enables only the first flag,
    // kind 2 only the second, any other kind both.
    void Set(const SourcePosition& from, int scopeKind, int ownerValue);
    // True when the scope has the flag the query needs and the query's
    // position stands in the required relation to the start.
    bool Covers(const PositionRange& query) const;
};
