// Keyword tables of the context: each directive name with the directive
// prefix in front of it, and each in-line tag name in its three delimited
// forms, so that recognisers compare whole texts.
#pragma once

#include <array>

#include "foundation/text_string.h"

class FC;

constexpr int kDirectiveSlots = 103;
constexpr int kInlineTagSlots = 49;

// Slots of the directive keyword table.
// clang-format off
enum DirectiveSlot : int {
    kDirAllow = 0, kDirBaseHref, kDirBeginAscii, kDirBeginCode, kDirBeginContents, kDirBeginCommaDelimitedTable,
    kDirBeginDelimitedTable, kDirBeginDiagram, kDirBeginHTML, kDirBeginIgnore, kDirBeginInvPyramid, kDirBeginList,
    kDirBeginPre, kDirBeginTable, kDirBeginTaggedTable, kDirBeginUserTable, kDirBeginUnderwriter, kDirChangeIndent,
    kDirChangePolicy, kDirColDefn, kDirContentsList, kDirCompositionUnit, kDirDataCell, kDirDefineBlock,
    kDirColumnDetails, kDirDefineHTMLFragment, kDirDefineTextFragment, kDirDefineVariable, kDirDescription,
    kDirDisallow, kDirEmbedBlock, kDirEndAscii, kDirEndBlock, kDirEndCode, kDirEndContents,
    kDirEndCommaDelimitedTable, kDirEndDelimitedTable, kDirEndDiagram, kDirEndHTML, kDirEndIgnore,
    kDirEndInvPyramid, kDirEndList, kDirEndPre, kDirEndTable, kDirEndTaggedTable, kDirEndUserTable,
    kDirEndUnderwriter, kDirFilename, kDirHeadCell, kDirHelpChapter, kDirHelpSubject, kDirHelpTopicId,
    kDirHTMLLine, kDirInsertBlock, kDirInclude, kDirKeywords, kDirLineRule, kDirLinkPoint, kDirListItem,
    kDirMetaTag, kDirNavigationBar, kDirNewFile, kDirNewCell, kDirNewRow, kDirPage, kDirPara, kDirResetBlock,
    kDirResetHTMLFragment, kDirResetTextFragment, kDirRestoreContext, kDirSaveContext, kDirSection,
    kDirShortcutIcon, kDirStyleSheet, kDirTableAddTotalWidth, kDirTableAlign, kDirTableBgColor, kDirTableBorder,
    kDirTableBorderColor, kDirTableCaption, kDirTableCellPadding, kDirTableCellSpacing, kDirTableCellAlign,
    kDirTableColorRows, kDirTableColourRows, kDirTableConvertXRefs, kDirTableDelimiter, kDirTableEvenRowColor,
    kDirTableEvenRowColour, kDirTableHeaderCols, kDirTableHeaderRows, kDirTableHideColumn, kDirUnused92,
    kDirTableLayout, kDirTableMayBeSparse, kDirTableMinColumnSeparation, kDirTableOddRowColor,
    kDirTableOddRowColour, kDirTableOfContents, kDirTableUsePercentages, kDirTableWidth, kDirTitle, kDirTOC,
};
// clang-format on

// The directive names in slot order; slot 92 has no name.
const char* GetDirectiveName(int slot);
// The in-line tag names in slot order; slot 5 has no name, slot 15 is "FO"
// (only its closing form is filled).
const char* GetInlineTagName(int slot);

class DirectiveKeywordTable {
public:
    int registered = 0;
    std::array<TextString, kDirectiveSlots> keywords;

    // Fills the table with the set's "Directive delimiter" (or "$_$_") in
    // front of every name.  `force` refills a table that is already filled.
    void Register(const FC* policies, bool force);
    const TextString& operator[](int slot) const { return keywords[static_cast<size_t>(slot)]; }
};

class InlineTagKeywordTable {
public:
    TextString startDelimiter{"[["};
    TextString endDelimiter{"]]"};
    int startLength = 2;
    int endLength = 2;
    std::array<TextString, kInlineTagSlots> opening;  // start + name
    std::array<TextString, kInlineTagSlots> complete;  // start + name + end
    std::array<TextString, kInlineTagSlots> closing;  // name + end

    void Register(const FC* policies);
};
