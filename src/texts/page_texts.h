// The texts of the property sheets' pages: which control of a page is
// labelled by which text, and which shows a tool tip.
//
// Each page is described by one table of its controls, a file of its own in
// src/texts/pages/ with one row a control:
//
//   PAGE_CONTROL(name, id, kind, label, tip, binding, enabling, cell)
//
// - name: the control's constant (`kAttemptTables`), by which the page, its
//   layout, its tests and the other rows of the table name it;
// - id: the control id of the page's template;
// - kind: the ControlKind (`kCheckBox`);
// - label: where its text comes from (below);
// - tip: whether it shows a tool tip, its own or another control's (below);
// - binding: what it shows and does (ui/page_table.h, `Bind`);
// - enabling: when it is enabled, and whether it is hidden (`Enable`);
// - cell: its shape in the page's layout (`Cell`).
//
// The label and tip columns are read here, below the dialog layer, where the
// per-dialog label table (texts/dialog_texts.h) and the tool-tip texts
// (texts/tool_tip_texts.h) take their pairs and owners from them; the dialog
// layer builds the page from the whole row (ui/page_table.h).  So a control
// is named once, and its label, tip, policy, enabling and shape stand on one
// line.  The rows are in the order the labels are applied; that is also the
// order the page adds its controls in.  The layout places the controls by
// name.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "texts/dialog_ids.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"

// Where a control's text comes from.
enum class LabelSource {
    kNone,  // no text (fields, lists, swatches)
    kTablePair,  // a UI text the per-dialog table pairs with the control
    kUiTextBeside,  // a UI text, paired beside the table (ExtraDialogTexts)
    kLabelTextBeside,  // a label text (LabelTextSlot), beside the table
    kEnglishOnly,  // a text of its own that no language changes (hidden controls)
};

struct LabelRef {
    LabelSource source = LabelSource::kNone;
    int slot = 0;
    const char* english = nullptr;  // kEnglishOnly
};

inline constexpr LabelRef NoText{};
constexpr LabelRef TableText(int uiSlot) { return {LabelSource::kTablePair, uiSlot}; }
constexpr LabelRef UiTextBeside(int uiSlot) { return {LabelSource::kUiTextBeside, uiSlot}; }
constexpr LabelRef LabelTextBeside(LabelTextSlot slot) { return {LabelSource::kLabelTextBeside, slot}; }
constexpr LabelRef EnglishOnly(const char* text) { return {LabelSource::kEnglishOnly, 0, text}; }

// Whether a control shows a tool tip.  The tip texts are kept by control id
// (texts/tool_tip_texts.h): a control with a tip of its own owns the text of
// its id; a control that says what another says shows that one's text.
enum class TipSource { kNone, kOwn, kOfOther };

struct TipRef {
    TipSource source = TipSource::kNone;
    int ownerId = 0;  // kOfOther
};

inline constexpr TipRef NoTip{};
inline constexpr TipRef OwnTip{TipSource::kOwn};
constexpr TipRef TipOf(int ownerId) { return {TipSource::kOfOther, ownerId}; }

// The label and tip columns of one row.
struct PageTextRow {
    int controlId;
    LabelRef label;
    TipRef tip;
};

// The English text a control of a page carries before the page is labelled
// in the language in force: its label's English text.
const char* EnglishLabelOf(const LabelRef& label);

// A page's rows by namespace: its control names as constants, and kRows.
#define VENDREL_PAGE_TABLE "texts/pages/added_html.def"
#define VENDREL_PAGE added_html_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/document_colours.def"
#define VENDREL_PAGE document_colours_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/fonts.def"
#define VENDREL_PAGE fonts_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/hyperlinks.def"
#define VENDREL_PAGE hyperlinks_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/rtf_document.def"
#define VENDREL_PAGE rtf_document_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/rtf_settings.def"
#define VENDREL_PAGE rtf_settings_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/table_generation.def"
#define VENDREL_PAGE table_generation_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/file_structure.def"
#define VENDREL_PAGE file_structure_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/table_analysis.def"
#define VENDREL_PAGE table_analysis_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/documentation.def"
#define VENDREL_PAGE documentation_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/drag_and_drop.def"
#define VENDREL_PAGE drag_and_drop_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/messages.def"
#define VENDREL_PAGE messages_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/policy_files.def"
#define VENDREL_PAGE policy_files_page
#include "texts/page_text_rows.inc"
#define VENDREL_PAGE_TABLE "texts/pages/viewers.def"
#define VENDREL_PAGE viewers_page
#include "texts/page_text_rows.inc"

// One page: its template, the UI slot of its caption (its tab label) and
// its rows.
struct PageTexts {
    int dialogId;
    int captionSlot;
    std::span<const PageTextRow> rows;
};

// Every page described by a table: the output sheet's, the analysis
// sheet's and the program-settings sheet's, each sheet's in tab order.
inline constexpr PageTexts kSheetPageTexts[] = {
    {kAddedHTMLPageDialogId, kUiTabAddedHtml, added_html_page::kRows},
    {kColoursPageDialogId, kUiTabColours, document_colours_page::kRows},
    {kFontPageDialogId, kUiTabFonts, fonts_page::kRows},
    {kHyperlinksPageDialogId, kUiTabHyperlinks, hyperlinks_page::kRows},
    {kRTFDocumentPageDialogId, kUiTabRtfDocumentDetails, rtf_document_page::kRows},
    {kRTFSettingsPageDialogId, kUiTabRtfSettings, rtf_settings_page::kRows},
    {kTablePageDialogId, kUiTabTableGeneration, table_generation_page::kRows},
    {kFileStructPageDialogId, kUiTabFileStructure, file_structure_page::kRows},
    {kTabAnalPageDialogId, kUiTabTableAnalysis, table_analysis_page::kRows},
    {kSettingsDocoPageDialogId, kUiTabDocumentation, documentation_page::kRows},
    {kSettingsDragPageDialogId, kUiTabDragAndDrop, drag_and_drop_page::kRows},
    {kSettingsMessagesPageDialogId, kUiTabMessages, messages_page::kRows},
    {kSettingsPolicyPageDialogId, kUiTabPolicyFiles, policy_files_page::kRows},
    {kSettingsViewerPageDialogId, kUiTabViewers, viewers_page::kRows},
};

// The page of that template, or null.
constexpr const PageTexts* FindPageTexts(int dialogId) {
    for (const PageTexts& page : kSheetPageTexts)
        if (page.dialogId == dialogId) return &page;
    return nullptr;
}

// A row of a page, for the tables the pages' rows make up.
struct PageRowRef {
    const PageTexts* page;
    const PageTextRow* row;
};

// The number of rows of every page that `keep` accepts.
template <bool (*keep)(const PageTextRow&)>
constexpr std::size_t CountPageRows() {
    std::size_t count = 0;
    for (const PageTexts& page : kSheetPageTexts)
        for (const PageTextRow& row : page.rows)
            if (keep(row)) ++count;
    return count;
}

// Those rows, page by page in the order of kSheetPageTexts, each page's in
// its own order.
template <bool (*keep)(const PageTextRow&)>
constexpr std::array<PageRowRef, CountPageRows<keep>()> PageRowsWhere() {
    std::array<PageRowRef, CountPageRows<keep>()> found{};
    std::size_t next = 0;
    for (const PageTexts& page : kSheetPageTexts)
        for (const PageTextRow& row : page.rows)
            if (keep(row)) found[next++] = {&page, &row};
    return found;
}
