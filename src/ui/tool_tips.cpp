#include "ui/tool_tips.h"

#include <array>
#include <cstddef>

#include "texts/dialog_ids.h"
#include "texts/page_texts.h"
#include "texts/tool_tip_texts.h"
#include "ui/dialog_model.h"
#include "ui/dialog_texts.h"

namespace {

// The templates of this program that show tips.  Lists are as the templates
// were drawn, so some name controls a template lacks (2009 and 1016 in the
// main dialog): registering skips those.
constexpr int kPolicyFileTips[] = {1121, 1003, 1071, 1072};
constexpr int kMoreHtmlOptionsTips[] = {1580, 1583, 1582, 1526, 1600};
constexpr int kMainDialogTips[] = {1015, 1122, 1001, 2009, 1012, 1621, 1080,
                                   1077, 1078, 1079, 1016, 1505, 1520, 1198};

struct ToolTipRow {
    int dialogId;
    std::span<const int> controls;
};

constexpr ToolTipRow kToolTipRows[] = {
    {kPolicyFileDialogId, kPolicyFileTips},
    {kMoreHtmlOptionsDialogId, kMoreHtmlOptionsTips},
    {kMainDialogId, kMainDialogTips},
};

// The pages described by tables: the controls whose rows give them a tip,
// in row order.
constexpr bool ShowsTip(const PageTextRow& row) { return row.tip.source != TipSource::kNone; }
constexpr auto kPageTipRows = PageRowsWhere<ShowsTip>();
constexpr auto kPageTips = [] {
    std::array<int, kPageTipRows.size()> ids{};
    for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = kPageTipRows[i].row->controlId;
    return ids;
}();

std::span<const int> PageTips(const PageTexts& page) {
    std::size_t first = 0;
    while (first < kPageTipRows.size() && kPageTipRows[first].page != &page) ++first;
    std::size_t end = first;
    while (end < kPageTipRows.size() && kPageTipRows[end].page == &page) ++end;
    return std::span(kPageTips).subspan(first, end - first);
}

}  // namespace

std::span<const int> ToolTipTable(int dialogId) {
    if (const PageTexts* page = FindPageTexts(dialogId)) return PageTips(*page);
    for (const ToolTipRow& row : kToolTipRows)
        if (row.dialogId == dialogId) return row.controls;
    return {};
}

void ToolTipControl::Destroy(DialogModel& dialog) {
    for (int id : tools_) dialog.SetToolTip(id, "");
    hasWindow_ = false;
    tools_.clear();
}

int ApplyToolTips(ToolTipMode mode, DialogModel* dialog, int dialogId, ToolTipControl& tips, bool showToolTips) {
    if (dialog == nullptr || !dialog->HasWindow()) return tips.ToolCount();
    const std::span<const int> controls = ToolTipTable(dialogId);

    // Adds the listed controls the dialog has and that are not tools yet.
    auto registerMissing = [&] {
        if (!tips.HasWindow()) return;
        for (int id : controls)
            if (dialog->HasControl(id) && tips.tools_.insert(id).second) dialog->SetToolTip(id, GetToolTipText(id));
    };

    switch (mode) {
        case ToolTipMode::kAdd: registerMissing(); break;
        case ToolTipMode::kSetTexts:
            // Labels are the dialog's own and change whether or not tips are
            // shown; tools come back only while the user wants tips.
            ApplyDialogTexts(dialog, dialogId);
            if (showToolTips) registerMissing();
            if (tips.HasWindow())
                for (int id : controls)
                    if (tips.IsRegistered(id) && dialog->HasControl(id)) dialog->SetToolTip(id, GetToolTipText(id));
            break;
        case ToolTipMode::kRemove:
            if (tips.HasWindow())
                for (int id : controls)
                    if (dialog->HasControl(id) && tips.tools_.erase(id) != 0) dialog->SetToolTip(id, "");
            break;
    }
    return tips.ToolCount();
}
