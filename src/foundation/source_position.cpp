#include "foundation/source_position.h"

int SourcePosition::Compare(const SourcePosition& other) const {
    if (unit < other.unit) return -2;
    if (unit > other.unit) return 2;
    if (line < other.line) return -1;
    if (line > other.line) return 1;
    return 0;
}

void DefinitionScope::Set(const SourcePosition& from, int scopeKind, int ownerValue) {
    start = from;
    value = ownerValue;
    switch (scopeKind) {
        case 1:
            firstFlag = 1;
            secondFlag = 0;
            break;
        case 2:
            firstFlag = 0;
            secondFlag = 1;
            break;
        default:
            firstFlag = 1;
            secondFlag = 1;
            break;
    }
}

bool DefinitionScope::Covers(const PositionRange& query) const {
    bool flagsPass = false;
    switch (query.mode) {
        case 0: flagsPass = firstFlag && secondFlag; break;
        case 1: flagsPass = firstFlag != 0; break;
        case 2: flagsPass = secondFlag != 0; break;
        default: flagsPass = false; break;
    }
    if (!flagsPass) return false;

    // An unset query position is not restricted by the start.
    if (!query.position.IsValid()) return true;
    if (query.relation == 0) return true;
    if (query.position.unit != start.unit) return false;
    const int line = query.position.line;
    switch (query.relation) {
        case 1: return line < start.line;
        case 2: return line <= start.line;
        case 3: return line > start.line;
        case 4: return line >= start.line;
        default: return false;
    }
}
