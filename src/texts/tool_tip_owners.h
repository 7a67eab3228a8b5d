// Which controls own a tool-tip text, and which show the text of another.
//
// A tip text is kept under the id of the control that owns it (the language
// rows, texts/tool_tip_tables.h, are keyed by those ids).  The property
// sheets' pages say it in their tables (texts/page_texts.h, the tip
// column); the other dialogs that show tips (the main dialog, the policy-file
// dialog and the More HTML Options dialog) are listed here.  A control id
// names one control wherever it stands, so an id owns at most one text, and
// one that shows another's text shows that one in every dialog.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "texts/page_texts.h"

// A control that shows the text of another.
struct SharedToolTipText {
    int controlId;
    int ownerId;
};

namespace tool_tip_owners {

// The dialogs that are no sheet page: the controls that own a text ...
inline constexpr int kDialogOwners[] = {
    // TRANSIENT: the pages not yet described by tables.
    1004,
    1005,
    1006,
    1009,
    1010,
    1011,
    1012,
    1015,
    1026,
    1027,
    1028,
    1029,
    1030,
    1031,
    1032,
    1033,
    1034,
    1042,
    1043,
    1044,
    1071,
    1077,
    1080,
    1122,
    1127,
    1128,
    1130,
    1131,
    1132,
    1134,
    1137,
    1142,
    1143,
    1144,
    1145,
    1147,
    1151,
    1171,
    1185,
    1191,
    1198,
    1204,
    1208,
    1210,
    1217,
    1256,
    1265,
    1270,
    1273,
    1274,
    1275,
    1276,
    1283,
    1287,
    1288,
    1289,
    1301,
    1302,
    1303,
    1304,
    1305,
    1309,
    1310,
    1311,
    1313,
    1316,
    1446,
    1452,
    1455,
    1456,
    1457,
    1458,
    1459,
    1463,
    1496,
    1505,
    1520,
    1524,
    1526,
    1580,
    1582,
    1583,
    1591,
    1600,
    1621,
    2007,
    2008,
    2029,
    2030,
    9006,
    // Main dialog.
    1015,
    1122,
    1012,
    1621,
    1080,
    1077,
    1505,
    1520,
    1198,
    // Policy-file dialog.
    1071,
    // More HTML options dialog.
    1580,
    1583,
    1582,
    1526,
    1600,
};
// ... and those that show another's.
inline constexpr SharedToolTipText kDialogShared[] = {
    // TRANSIENT
    {1001, 1122},
    {1003, 1505},
    {1061, 1145},
    {1062, 1147},
    {1063, 1151},
    {1072, 1520},
    {1075, 1127},
    {1076, 1128},
    {1078, 1077},
    {1079, 1077},
    {1121, 1505},
    {1129, 1130},
    {1150, 1144},
    {1237, 1130},
    {1286, 1287},
    {2077, 1131},
    // Main dialog.
    {1001, 1122},
    {1078, 1077},
    {1079, 1077},
    // Policy-file dialog.
    {1121, 1505},
    {1003, 1505},
    {1072, 1520},
};

constexpr bool HasOwnTip(const PageTextRow& row) { return row.tip.source == TipSource::kOwn; }
constexpr bool HasOthersTip(const PageTextRow& row) { return row.tip.source == TipSource::kOfOther; }

constexpr bool operator==(const SharedToolTipText& a, const SharedToolTipText& b) {
    return a.controlId == b.controlId && a.ownerId == b.ownerId;
}

// The number of distinct entries of a sorted array.
template <class T, std::size_t kCount>
constexpr std::size_t DistinctCount(const std::array<T, kCount>& sorted) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < kCount; ++i)
        if (i == 0 || !(sorted[i - 1] == sorted[i])) ++count;
    return count;
}

// The distinct entries of a sorted array, in order.
template <std::size_t kDistinct, class T, std::size_t kCount>
constexpr std::array<T, kDistinct> Distinct(const std::array<T, kCount>& sorted) {
    std::array<T, kDistinct> distinct{};
    std::size_t next = 0;
    for (std::size_t i = 0; i < kCount; ++i)
        if (i == 0 || !(sorted[i - 1] == sorted[i])) distinct[next++] = sorted[i];
    return distinct;
}

// Every owner the dialogs and the pages name, sorted, with repeats (a control
// of the same id on two pages).
constexpr auto kAllOwners = [] {
    constexpr auto pageRows = PageRowsWhere<HasOwnTip>();
    std::array<int, std::size(kDialogOwners) + pageRows.size()> ids{};
    std::size_t next = 0;
    for (int id : kDialogOwners) ids[next++] = id;
    for (const PageRowRef& ref : pageRows) ids[next++] = ref.row->controlId;
    std::ranges::sort(ids);
    return ids;
}();

// Every control showing another's text, sorted by control id, with repeats.
constexpr auto kAllShared = [] {
    constexpr auto pageRows = PageRowsWhere<HasOthersTip>();
    std::array<SharedToolTipText, std::size(kDialogShared) + pageRows.size()> shared{};
    std::size_t next = 0;
    for (const SharedToolTipText& text : kDialogShared) shared[next++] = text;
    for (const PageRowRef& ref : pageRows) shared[next++] = {ref.row->controlId, ref.row->tip.ownerId};
    std::ranges::sort(shared, [](const SharedToolTipText& a, const SharedToolTipText& b) {
        return a.controlId < b.controlId || (a.controlId == b.controlId && a.ownerId < b.ownerId);
    });
    return shared;
}();

}  // namespace tool_tip_owners

// The controls that own a text, ascending, each once: a text's index is its
// owner's place in this list.
inline constexpr auto kToolTipTextOwners =
    tool_tip_owners::Distinct<tool_tip_owners::DistinctCount(tool_tip_owners::kAllOwners)>(
        tool_tip_owners::kAllOwners);

// The controls that show the text of another, by ascending control id.
inline constexpr auto kSharedToolTipTexts =
    tool_tip_owners::Distinct<tool_tip_owners::DistinctCount(tool_tip_owners::kAllShared)>(
        tool_tip_owners::kAllShared);
