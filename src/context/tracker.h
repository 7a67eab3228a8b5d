// Trackers: one per code location (reading input, analysing lines, writing
// output), each with the current source position, the line being processed
// and the ALLOW/DISALLOW permissions; and the set of them with the run's
// shared per-file settings.
#pragma once

#include <array>

#include "context/code_locations.h"
#include "foundation/fonts.h"
#include "foundation/source_position.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"

class AnalysedLine;

// Permission slots of a tracker: three heading permissions, then four list
// permissions (ALLOW/DISALLOW), then four further switches.
enum TrackerPermission : int {
    kAllowHeading1 = 0,
    kAllowHeading2 = 1,
    kAllowHeading3 = 2,
    kAllowList1 = 3,
    kAllowList2 = 4,
    kAllowList3 = 5,
    kAllowList4 = 6,
    kPermissionCount = 11,
};

class Tracker {
public:
    int value0 = 0;
    int value1 = 1;
    std::array<int, kPermissionCount> permissions{};
    int counter = 0;
    SourcePosition position;  // current position
    SourcePosition outerPosition;  // position in the including file while an included unit is read
    AnalysedLine* currentLine = nullptr;  // not owned; cleared when that line is reset or deleted
    int inContents = 0;
    int inHTML = 0;
    int int1 = 0;
    int int2 = 0;
    TextString text;

    Tracker() { Reset(); }
    void Reset();
};

// A pending font change and its bookkeeping.
struct FontState {
    int flag1 = 0, flag2 = 0, flag3 = 0, flag4 = 0;
    FontSpec font;
    int index = -1;
    int extra1 = 0, extra2 = 0;
    void Reset() {
        flag1 = flag2 = flag3 = flag4 = 0;
        font.Reset();
        index = -1;
        extra1 = extra2 = 0;
    }
};

class TrackerSet {
public:
    Tracker input;
    Tracker analysis;
    Tracker output;
    int codeLocation = kNoCodeLocation;  // the running stage (context/code_locations.h)
    int blockClosed = 0;  // set each time the block list removes a block
    int ints1[3] = {0, 0, 0};
    StringList list;
    TextString listText;
    int int2 = 0;
    TextString text2;
    int definitionUnits = 0;  // counter of definition units (block and fragment bodies)
    int ints3[6] = {0, 0, 0, 0, 0, 0};
    SourcePosition position;
    TextString text3;
    TextString ruleWidth{"800"};
    TextString ruleWidthPercent{"100%"};
    TextString ruleHeight{"2"};
    TextString ruleAlignment{"CENTER"};
    int ints4[2] = {0, 0};
    TextString text4, text5;
    int ints5[3] = {0, 0, 0};
    FontState pendingFont;
    FontState secondFont;

    void Reset();
};
