#include "texts/dialog_texts.h"

#include <array>
#include <cstddef>
#include <iterator>

#include "texts/dialog_ids.h"
#include "texts/page_texts.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"

namespace {

// Each dialog's (control, slot) pairs in the order they are applied.
constexpr DialogTextItem kAboutDialogTexts[] = {{1197, 4},
                                                {1399, 5},
                                                {1401, 6},
                                                {1353, 7},
                                                {1085, kUiHomePageAddress},
                                                {1354, 9},
                                                {1087, kUiDocumentationAddress},
                                                {1355, 11},
                                                {1281, kUiContactEmailAddress},
                                                {kIdOk, 18}};
constexpr DialogTextItem kStatusWindowTexts[] = {{1266, 189}, {1280, 190}, {1058, 191}, {kIdOk, 192}};
constexpr DialogTextItem kPolicyFileDialogTexts[] = {{1391, 218},           {1003, 219}, {1071, 220}, {1072, 221},
                                                     {kIdHelpCommand, 222}, {1018, 223}, {kIdOk, 224}};
constexpr DialogTextItem kSavePolicyDialogTexts[] = {{1393, 229}, {1089, 230},      {1090, 231},
                                                     {1091, 232}, {kIdCancel, 233}, {kIdOk, 234}};
constexpr DialogTextItem kMoreHtmlOptionsDialogTexts[] = {{1584, 569}, {1580, 566},      {1583, 567}, {1581, 568},
                                                          {1363, 70},  {1525, 92},       {1056, 51},  {1599, 570},
                                                          {1601, 571}, {kIdCancel, 539}, {kIdOk, 540}};
constexpr DialogTextItem kMainDialogTexts[] = {{1349, 23}, {1001, 24}, {1352, 26}, {1015, 28}, {1350, 31},
                                               {1198, 33}, {1005, 36}, {1620, 39}, {1508, 21}, {1507, 218},
                                               {1506, 34}, {1520, 20}, {1589, 38}};

constexpr DialogTextEntry kDialogTexts[] = {
    {kAboutDialogId, kNoCaptionSlot, kAboutDialogTexts},
    {kStatusWindowDialogId, 188, kStatusWindowTexts},
    {kPolicyFileDialogId, kUiPolicyFileCaption, kPolicyFileDialogTexts},
    {kSavePolicyDialogId, 228, kSavePolicyDialogTexts},
    {kMoreHtmlOptionsDialogId, 565, kMoreHtmlOptionsDialogTexts},
    {kMainDialogId, kNoCaptionSlot, kMainDialogTexts},
};

// The pages described by tables (texts/page_texts.h): each page's pairs are
// its rows labelled by the per-dialog table, in row order.
constexpr bool IsTablePair(const PageTextRow& row) { return row.label.source == LabelSource::kTablePair; }
constexpr auto kPagePairRows = PageRowsWhere<IsTablePair>();

constexpr auto kPagePairs = [] {
    std::array<DialogTextItem, kPagePairRows.size()> pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = {kPagePairRows[i].row->controlId, kPagePairRows[i].row->label.slot};
    return pairs;
}();

constexpr auto kPageEntries = [] {
    std::array<DialogTextEntry, std::size(kSheetPageTexts)> entries{};
    std::size_t first = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PageTexts& page = kSheetPageTexts[i];
        std::size_t count = 0;
        for (const PageRowRef& ref : kPagePairRows)
            if (ref.page == &page) ++count;
        entries[i] = {page.dialogId, page.captionSlot, std::span(kPagePairs.data() + first, count)};
        first += count;
    }
    return entries;
}();

// The controls the table leaves unpaired, labelled beside it: the pages'
// rows whose text is a UI text or a label text of its own (the label of the
// Table generation page's table alignment list, the RTF Settings page's
// "Mirror Margins" box and its "Charset" label, which the More HTML Options
// dialog pairs with the same slot).
constexpr bool IsBeside(const PageTextRow& row) {
    return row.label.source == LabelSource::kUiTextBeside || row.label.source == LabelSource::kLabelTextBeside;
}
constexpr auto kBesideRows = PageRowsWhere<IsBeside>();

constexpr auto kExtraDialogTexts = [] {
    std::array<ExtraDialogText, kBesideRows.size()> extras{};
    for (std::size_t i = 0; i < extras.size(); ++i) {
        const PageTextRow& row = *kBesideRows[i].row;
        const ExtraTextSource source = row.label.source == LabelSource::kLabelTextBeside
                                           ? ExtraTextSource::kLabelText
                                           : ExtraTextSource::kUiText;
        extras[i] = {kBesideRows[i].page->dialogId, row.controlId, source, row.label.slot};
    }
    return extras;
}();

}  // namespace

const DialogTextEntry* FindDialogTexts(int dialogId) {
    for (const DialogTextEntry& entry : kDialogTexts)
        if (entry.dialogId == dialogId) return &entry;
    for (const DialogTextEntry& entry : kPageEntries)
        if (entry.dialogId == dialogId) return &entry;
    return nullptr;
}

std::span<const ExtraDialogText> ExtraDialogTexts() { return kExtraDialogTexts; }

const char* ExtraDialogTextInForce(const ExtraDialogText& item) {
    return item.source == ExtraTextSource::kLabelText ? GetLabelText(item.slot) : GetUiText(item.slot);
}
