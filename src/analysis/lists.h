// Lists, definitions, rulers and pre-formatted text: the line tests that
// look at a line together with its neighbours.  The tests themselves are
// members of AnalysedLine (see its "Lists, definitions, rulers,
// pre-formatted text" block); this header holds what the line typing shares
// with them: the summary of a line, the previous line the tests look at, the
// pre-formatted-text score, the tracker slots they read and the number of a
// LIST_ITEM tag.
#pragma once

#include <cstdint>

#include "analysis/analysed_line.h"
#include "context/tracker.h"
#include "foundation/line_types.h"
#include "foundation/text_string.h"

class AnalysedLine;
class FC;

// ---- Tracker slots read by the list tests ----

// The ALLOW/DISALLOW permissions that switch the list and underline tests.
// The four list permissions are, in order: bullets, numbered, alphabetic and
// roman items; the second heading permission is the underlined-heading one.
constexpr int kPermissionBullets = kAllowList1;
constexpr int kPermissionNumberedItems = kAllowList2;
constexpr int kPermissionAlphabeticItems = kAllowList3;
constexpr int kPermissionRomanItems = kAllowList4;
constexpr int kPermissionNumberedHeadings = kAllowHeading1;
constexpr int kPermissionUnderlinedHeadings = kAllowHeading2;

// The number of the open LIST_ITEM (0 when none): the line typing sets it
// from LIST_ITEM lines and the list tests read it.  It lives in the
// tracker's first spare int.
inline int& TrackerListItemNumber(Tracker& tracker) { return tracker.int1; }

// ---- Line summaries ----

// What the line typing needs to know about one line, or about no line.
struct LineSummary {
    AnalysedLine* line = nullptr;
    int lineType = kLineBlank;
    int leadingBlanks = -1;
    int trimmedLength = -1;
    int inputTrimmedLength = -1;  // the input text without trailing blanks
    int plainLength = -1;
    bool centred = false;  // flag 0x8
    bool preformatted = false;  // flag 0x20
    bool notAnalysed = false;  // flag 0x1000
    bool isHeading = false;  // 101-106, 111-116, 120, 121, 131-136
    bool isListItem = false;  // 210-216, 219
    bool isListBlank = false;  // 217, 218
    bool isListBoundary = false;  // 1004, 1006, and 1005 while a list item is open
    bool isShort = false;  // flag 0x80
    bool isHeaderLine = false;  // flag 0x40
    bool isBarLine = false;  // flag 0x200
    int mark = 0;
};

// Summarises the line; a null line gives the summary of no line (type 1,
// lengths and leading blanks -1, no flags).  The list-boundary test reads the
// current tracker's list item number.
void SummariseLine(FC* set, const AnalysedLine* line, LineSummary& summary);

// The previous line as the line tests see it: the immediate previous line,
// or, when that is of type -4, -2 or -1 and has a previous line itself, the
// one before it (one step only).  Null when there is none.
// (Inline: nearly every line test asks for it.)
inline AnalysedLine* GetAnalysisPreviousLine(const AnalysedLine* line) {
    if (!line) return nullptr;
    AnalysedLine* previous = AsAnalysedLine(line->previous);
    if (!previous) return nullptr;
    const int type = previous->lineType;
    if ((type == kLineIgnored || type == kLineUnderline || type == kLineConsumed) && previous->previous) {
        if (AnalysedLine* before = AsAnalysedLine(previous->previous)) return before;
    }
    return previous;
}

// ---- Pre-formatted text ----

// How strongly the line looks like text whose layout must be kept (program
// code, diagrams, tables typed with blanks): 0 (not at all) to 9.
// `neighbour` is the previous line or null; `mode` 1 is the score of the
// line analysis, mode 0 the stricter one used for underlined headings.
int PreformattedScore(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode);

// The line analysis asks for a line's score twice: as the line is typed and
// as its pre-formatting is tidied at the end.  Between the two a line's
// texts and measures stay as they were (the typing tests read them and
// write only types and marks), but the typing may change the line's type and
// the types and marks of the lines above it.  The record keeps the first
// score with what of that the score reads: the line's type and protected
// mark, and the neighbour and the two lines above it with their types,
// pre-formatted marks and kinds; it gives the score again while they are
// the same lines in the same state.  The current text's place and length
// are kept too, as a guard.
class PreformattedScoreRecord {
public:
    int Score(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode);

private:
    // Read only while `valid`: a record of a line not asked yet is left
    // unwritten (the line analysis makes one a line).
    struct Inputs {
        const FC* set;
        const AnalysedLine* line;
        const char* text;
        int length;
        int mode;
        int lineType;
        uint32_t protectedMark;
        const AnalysedLine* neighbour;
        int neighbourType;
        uint32_t neighbourMark;
        int neighbourKind;
        const AnalysedLine* above;
        int aboveType;
        uint32_t aboveMark;
        const AnalysedLine* twoAbove;
        uint32_t twoAboveMark;
    };
    // Keeps what the score of these arguments reads.
    void Take(FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode);
    // Whether Take of the same arguments would keep what is kept.
    bool Holds(const FC* set, const AnalysedLine* line, const AnalysedLine* neighbour, int mode) const;

    Inputs inputs;
    int score = 0;
    bool valid = false;
};

// ---- LIST_ITEM tags ----

// The first integer argument of a LIST_ITEM tag (or directive line).  A tag
// of another name, or one that cannot be read, gives 0 and a "TAG ERROR: "
// message at level 10.
int GetListItemNumber(FC* set, const TextString& tagText);
