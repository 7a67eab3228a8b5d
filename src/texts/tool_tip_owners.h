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

// The dialogs that are no sheet page, the main dialog's first, then the
// policy-file dialog's and the More HTML Options dialog's: the controls that
// own a text ...
inline constexpr int kDialogOwners[] = {1015, 1122, 1012, 1621, 1080, 1077, 1505, 1520,
                                        1198, 1071, 1580, 1583, 1582, 1526, 1600};
// ... and those that show another's.
inline constexpr SharedToolTipText kDialogShared[] = {{1001, 1122}, {1078, 1077}, {1079, 1077},
                                                      {1121, 1505}, {1003, 1505}, {1072, 1520}};

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
