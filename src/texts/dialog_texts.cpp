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
constexpr DialogTextItem kAddedHTMLPageTexts[] = {
    {1185, 53}, {1191, 54}, {1356, 55}, {1357, 56}, {1358, 57}, {1359, 58}, {1363, 107}, {1052, 59}, {1056, 59},
    {1402, 60}, {1360, 61}, {1361, 63}, {1362, 65}, {1296, 67}, {1053, 62}, {1054, 64},  {1055, 66}, {1579, 106}};
constexpr DialogTextItem kHyperlinksPageTexts[] = {{1412, 163}, {2030, 164}, {1274, 165}, {1459, 178}, {1591, 180},
                                                   {1275, 166}, {1276, 185}, {2029, 167}, {1458, 179}, {1030, 168},
                                                   {1032, 169}, {1059, 170}, {1210, 171}, {1234, 172}, {1031, 173},
                                                   {1060, 174}, {1293, 175}, {1265, 176}, {1312, 177}};
constexpr DialogTextItem kPolicyFileDialogTexts[] = {{1391, 218},           {1003, 219}, {1071, 220}, {1072, 221},
                                                     {kIdHelpCommand, 222}, {1018, 223}, {kIdOk, 224}};
constexpr DialogTextItem kSavePolicyDialogTexts[] = {{1393, 229}, {1089, 230},      {1090, 231},
                                                     {1091, 232}, {kIdCancel, 233}, {kIdOk, 234}};
constexpr DialogTextItem kColoursPageTexts[] = {{1419, 270}, {1369, 271}, {1060, 272}, {1370, 273},
                                                {1061, 274}, {1371, 275}, {1062, 276}, {1372, 277},
                                                {1063, 278}, {1373, 279}, {1064, 280}, {1446, 281}};
constexpr DialogTextItem kTabAnalPageTexts[] = {{1132, 285}, {1205, 351}, {1206, 352}, {1204, 353},
                                                {1487, 354}, {1488, 355}, {1490, 356}, {1491, 357},
                                                {1496, 358}, {1492, 359}, {1493, 360}, {1495, 361}};
constexpr DialogTextItem kFontPageTexts[] = {{1375, 382}, {1376, 383}, {1377, 384}, {1378, 395}, {1379, 512},
                                             {1380, 513}, {1381, 514}, {1263, 385}, {1264, 385}, {1265, 385},
                                             {1266, 385}, {1267, 385}, {1521, 386}, {1522, 387}, {1523, 388}};
constexpr DialogTextItem kSettingsDragPageTexts[] = {{1442, 391}, {1130, 392}, {1129, 393}, {1237, 394}};
constexpr DialogTextItem kSettingsViewerPageTexts[] = {{1288, 399}, {1235, 400}, {1283, 401}, {1287, 402},
                                                       {1075, 403}, {1236, 404}, {2077, 405}, {1452, 406}};
constexpr DialogTextItem kSettingsPolicyPageTexts[] = {{1428, 410}, {1124, 411}, {1126, 412}, {1310, 413}};
constexpr DialogTextItem kSettingsDocoPageTexts[] = {{1429, 418}, {1076, 419}};
constexpr DialogTextItem kSettingsMessagesPageTexts[] = {{1430, 424}, {1394, 425}, {1395, 426},
                                                         {1431, 427}, {1276, 428}, {1277, 429},
                                                         {1278, 430}, {1279, 431}, {1280, 432}};
constexpr DialogTextItem kRTFDocumentPageTexts[] = {{1443, 436}, {1297, 437}, {1298, 438}, {1299, 439},
                                                    {1300, 440}, {1306, 441}, {1307, 442}, {1308, 443}};
constexpr DialogTextItem kFileStructPageTexts[] = {{1432, 458}, {1023, 459}, {1273, 460}, {1316, 462}, {1317, 463},
                                                   {1434, 464}, {1043, 465}, {1044, 466}, {1455, 467}, {1524, 471},
                                                   {1456, 468}, {1463, 469}, {1457, 470}};
constexpr DialogTextItem kRTFSettingsPageTexts[] = {{1466, 446}, {1483, 447}, {1470, 448}, {1468, 449}, {1469, 450},
                                                    {1471, 451}, {1479, 452}, {1480, 453}, {1481, 454}, {1482, 455}};
constexpr DialogTextItem kMoreHtmlOptionsDialogTexts[] = {{1584, 569}, {1580, 566},      {1583, 567}, {1581, 568},
                                                          {1363, 70},  {1525, 92},       {1056, 51},  {1599, 570},
                                                          {1601, 571}, {kIdCancel, 539}, {kIdOk, 540}};
constexpr DialogTextItem kMainDialogTexts[] = {{1349, 23}, {1001, 24}, {1352, 26}, {1015, 28}, {1350, 31},
                                               {1198, 33}, {1005, 36}, {1620, 39}, {1508, 21}, {1507, 218},
                                               {1506, 34}, {1520, 20}, {1589, 38}};

constexpr DialogTextEntry kDialogTexts[] = {
    {kAboutDialogId, kNoCaptionSlot, kAboutDialogTexts},
    {kStatusWindowDialogId, 188, kStatusWindowTexts},
    {kAddedHTMLPageDialogId, kUiTabAddedHtml, kAddedHTMLPageTexts},
    {kHyperlinksPageDialogId, kUiTabHyperlinks, kHyperlinksPageTexts},
    {kPolicyFileDialogId, kUiPolicyFileCaption, kPolicyFileDialogTexts},
    {kSavePolicyDialogId, 228, kSavePolicyDialogTexts},
    {kColoursPageDialogId, kUiTabColours, kColoursPageTexts},
    {kTabAnalPageDialogId, kUiTabTableAnalysis, kTabAnalPageTexts},
    {kFontPageDialogId, kUiTabFonts, kFontPageTexts},
    {kSettingsDragPageDialogId, kUiTabDragAndDrop, kSettingsDragPageTexts},
    {kSettingsViewerPageDialogId, kUiTabViewers, kSettingsViewerPageTexts},
    {kSettingsPolicyPageDialogId, kUiTabPolicyFiles, kSettingsPolicyPageTexts},
    {kSettingsDocoPageDialogId, kUiTabDocumentation, kSettingsDocoPageTexts},
    {kSettingsMessagesPageDialogId, kUiTabMessages, kSettingsMessagesPageTexts},
    {kRTFDocumentPageDialogId, kUiTabRtfDocumentDetails, kRTFDocumentPageTexts},
    {kFileStructPageDialogId, kUiTabFileStructure, kFileStructPageTexts},
    {kRTFSettingsPageDialogId, kUiTabRtfSettings, kRTFSettingsPageTexts},
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

// TRANSIENT until the RTF Settings page has its table.
constexpr ExtraDialogText kTransientExtras[] = {
    {kTablePageDialogId, 1273, ExtraTextSource::kLabelText, kLabelTableAlignment},
    {kRTFSettingsPageDialogId, 1562, ExtraTextSource::kLabelText, kLabelMirrorMargins},
    {kRTFSettingsPageDialogId, 1601, ExtraTextSource::kUiText, 571},
};
std::span<const ExtraDialogText> ExtraDialogTexts() { return kTransientExtras; }
static_assert(kExtraDialogTexts.size() == 1);

const char* ExtraDialogTextInForce(const ExtraDialogText& item) {
    return item.source == ExtraTextSource::kLabelText ? GetLabelText(item.slot) : GetUiText(item.slot);
}
