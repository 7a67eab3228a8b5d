// PreForm: the table engine of one block of an input file (a file without
// user tables is one block).  The blocks of the file (file_blocks.h) give
// it the block's lines once the whole input has been read, and
// PreForm::Process writes the block through the output document.  The
// engine's state is the sum of its stages', each declared with its records
// in a header of its own:
// - the block's lines and their counts, and the user's HTML among them
//   (block_lines.h: PreFormLine, BlockLines, BlockLineState,
//   PassThroughLines);
// - the column statistics and the columns (columns.h: PositionStatistics,
//   PreFormColumn, ColumnState);
// - the table's decision, made before its first markup (table_decision.h:
//   DecideHeaderRows, TableDecision);
// - the cells and the rows (table_cells.h: TableCell, TableCellRow,
//   RowState);
// - the policies, the writers and the output switches (output_switches.h:
//   OutputSwitches);
// - the scratch buffers of the cutting and the writers (scratch_buffers.h).
// Below, the block's kind and the analysis's verdict, and the routines of
// every stage, in the order a block goes through them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/message_levels.h"
#include "foundation/source_position.h"
#include "foundation/text_string.h"
#include "tables/block_lines.h"
#include "tables/columns.h"
#include "tables/output_switches.h"
#include "tables/scratch_buffers.h"
#include "tables/table_cells.h"
#include "tables/table_decision.h"

class AnalysedLine;
class FC;
class FontSpec;
class OutputDocument;
class TabConfig;
class UserTableGrid;  // user_tables.h
class UserTableSection;  // user_tables.h

class PreForm : public BlockLineState,
                public ColumnState,
                public RowState,
                public OutputSwitches,
                public EngineScratch {
public:
    TabConfig* tabConfig = nullptr;  // not owned; chosen when the block is processed

    // ---- Block kinds (from the special format code) ----
    int isTable = 0;
    int isCode = 0;
    int isPreformatted = 0;
    int isDiagram = 0;
    int isUserTable = 0;
    int isDelimited = 0;
    int isUnderwriter = 0;
    int isInversePyramid = 0;

    // ---- What the analysis found the block to be ----
    int looksLikeTable = 1;
    int looksLikeDiagram = 0;
    int looksLikeCode = 0;
    int looksLikeMailHeader = 0;
    int canUseDefinitionList = 0;  // two columns (RTF)
    int isTextBlock = 0;  // a single column
    // One column of short lines, a short list: a table with a row for each
    // line (set by the analysis; table parsing reads it).
    int isShortList = 0;
    int isSparse = 0;
    int blankSeparatedRows = 0;
    // Most lines of text of the block begin and end with "|": the first and
    // last "|" of a line are borders (set by the line statistics).
    int barFramedLines = 0;
    int mergeCount = 0;  // merges of the analysis

    // ---- Block processing ----
    // The block's collected messages, reported together when the block is
    // written, or at once when they reach kHeldMessageBytes (a block with
    // a message on every line, such as an unknown tag in every cell, would
    // otherwise hold several times its own size in messages).
    static constexpr int kHeldMessageBytes = 64 << 10;
    TextString messageText;
    int messageLevel = 0;
    bool messagesReportedEarly = false;  // some of the block's messages have been reported

    // ---- The user's HTML among the block's lines (see PassThroughLines) ----
    PassThroughLines passThrough;

    // ---- User-specified tables: the table being written by ParseUserTable ----
    struct UserTableState {
        int columns = 0;  // the table's column count: the most NEW_CELLs in one row
        int indentLevel = 0;  // list level (HTML) or indent level (RTF offset) of the table
        int landscape = 0;  // RTF: the table was set in a landscape section of its own
        int savedIndent = 0;  // HTML: list level of the text around the table
        int inListItem = 0;  // HTML: the table stands inside a list item
        std::vector<int> columnWidths;  // points given by COLUMN_DETAILS, per column; 0 none
        std::vector<int> columnAlignments;  // alignment given by COLUMN_DETAILS, per column; 0 none
        TextString textAfterTable;  // unplaced text written after the table
    };
    UserTableState userTable;

    // `writer` becomes the HTML writer, or the RTF writer when the
    // Context's output format is 1 or 3 (which also turns HTML output off
    // and RTF output on).  `directiveLine` is not used (always null).
    PreForm(OutputDocument* writer, FC* set, AnalysedLine* directiveLine);
    ~PreForm();
    PreForm(const PreForm&) = delete;
    PreForm& operator=(const PreForm&) = delete;

    void SetHTMLWriter(OutputDocument* writer) { htmlWriter = writer; }
    void SetRTFWriter(OutputDocument* writer) { rtfWriter = writer; }

    // ---- Line intake (preform.cpp) ----
    // Appends one line and updates the longest and shortest lengths, the
    // smallest indent and the count of mail-header lines.
    void AddLine(const AnalysedLine& line);
    // Keeps the line's text as the user's HTML, at the block's end as it
    // stands now.
    void AddPassThroughLine(const AnalysedLine& line) { passThrough.Add(line, lines.size()); }
    // Appends one column (typical alignment and span 1, alphanumeric) and a
    // cell for it, placed at the origin of the block's first line.
    void AddColumn(int start, int gapEnd, int boundary, int score);
    // Rebuilds the columns from the TABLE_LAYOUT of the table configuration;
    // positions that go backwards are reported as overlapping columns.
    void ApplyTableLayout();
    // A cell format back to its defaults.
    static void ResetCellFormat(CellFormat& format);

    // ---- Block processing (block_processing.cpp) ----
    // Classifies the block and writes it.
    void Process(int specialFormatCode);
    // Block-kind flags from a special format code.
    void SetSpecialFormat(int specialFormatCode);
    // Collects a message of the block (reported when the block is written).
    void Message(const char* text, int level);
    // Adds a text to the block's messages, reporting them when they reach
    // kHeldMessageBytes.
    void HoldMessage(std::string_view text);
    // Reports the block's messages as one message at `level`, and empties them.
    void ReportHeldMessages(int level);
    // Applies the CHANGE_POLICY line at that index of the block.
    void ApplyPolicyLine(int lineIndex);
    // How a block is written, as its kind and the analysis decide.
    enum class BlockOutput {
        kUserTable,
        kDelimitedTable,
        kRefused,  // the underwriter kind
        kInversePyramid,
        kPreformatted,
        kCodeSample,
        kMailHeader,
        kTextBlock,
        kTable,
        kText,  // ordinary text (OutputAsNormal)
    };
    BlockOutput ChooseOutput(const TabConfig* config) const;
    // Writes the user's HTML that stands above the block's last line of
    // text (`below` false) or below it (true).
    void WritePassThroughLines(bool below);
    void WritePassThroughLine(const PassThroughLines::Line& line);

    // ---- Block analysis (block_analysis.cpp) ----
    void Analyse();
    void AnalyseLineStatistics();
    void GatherPositionStatistics();
    // Whether most lines of the statistics have a separator at character
    // position `position` (false where there are no statistics).
    bool IsSeparatorPosition(int position) const;
    void DetectColumns(int separation);
    void GatherColumnStatistics();

    // ---- Cells (table_cells.cpp) ----
    // Cuts line `lineIndex` into `row` (by columns, or by the delimiter);
    // without `noConvert` each cell is escaped and converted for output.
    // True when the line holds more than the columns take (see columnCut):
    // the rest is in its last cell.
    bool SplitLineIntoCells(TableCellRow* row, int lineIndex, int noConvert);
    bool SplitLineIntoCellsByColumns(TableCellRow* row, int lineIndex, int noConvert);
    bool SplitLineIntoCellsByDelimiter(TableCellRow* row, int lineIndex, int noConvert);
    // The cut of SplitLineIntoCellsByColumns without the cells: one entry
    // per cell of line `lineIndex`, alignments guessed from the text when
    // `force` is set (else a cell of one column takes its column's typical
    // alignment); with a `cellLimit` above 0 the cut stops after that many
    // cells.  False, with no cuts, when there are no columns or no such line.
    bool CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit = 0) const;
    // The settings every cut reads (the table configuration's zero-width
    // boundaries and cell alignment, the in-line tag delimiters), read once
    // for a pass that cuts many lines while the settings cannot change.
    struct CutSettings {
        bool zeroWidth = false;
        int configured = 0;
        const TextString* open = nullptr;
        const TextString* close = nullptr;
    };
    CutSettings ReadCutSettings() const;
    // The settings the output conversion of a cell text reads (cross
    // references asked for, numbered headings expected, an empty link
    // dictionary, UTF-8 text), read once for a pass that converts many
    // lines while the settings cannot change.
    struct ConversionSettings {
        bool references = false;
        bool dotsMayBeReferences = false;
        bool dictionaryEmpty = false;
        bool utf8Text = false;
    };
    ConversionSettings ReadConversionSettings() const;
    // SplitLineIntoCellsByColumns for output of a line whose one filled cell
    // starts at `column`, for a reader of that cell's text alone: only that
    // cell's text is cut and converted, the row's other cells are left as
    // they were.  A line that holds text elsewhere is split whole.  The
    // settings are read beforehand (ReadCutSettings, ReadConversionSettings).
    bool SplitFilledCellForOutput(TableCellRow* row, int lineIndex, int column, const CutSettings& settings,
                                  const ConversionSettings& conversion);
    // SplitLineIntoCellsByColumns with the cut settings read beforehand.
    bool SplitLineIntoCellsByColumns(TableCellRow* row, int lineIndex, int noConvert, const CutSettings& settings);
    // How the cut of line `lineIndex` of a block of two columns
    // (CutLineAtColumns) leaves its cells, read from the first boundary and
    // the bytes after it: the first cell runs on over the boundary
    // (`kSpans`), or the second cell is empty or holds text.  `kUnknown`
    // where only the cut can tell: a wide line, an in-line tag that may hold
    // the boundary, a second cell of "|" and blanks (borders?), or not two
    // columns.
    enum class TwoColumnCut { kUnknown, kSpans, kLastEmpty, kLastFilled };
    TwoColumnCut CutOfTwoColumns(int lineIndex, const CutSettings& settings) const;
    // CutLineAtColumns with settings read by ReadCutSettings.
    bool CutLineAtColumns(int lineIndex, int force, std::vector<CellCut>* cuts, int cellLimit,
                          const CutSettings& settings) const;
    // The one cut CutLineAtColumns makes of line `lineIndex` of a block of
    // one column, into `*cut`, for a line of ASCII text; false, with no cut,
    // for any other line or block.
    bool CutOnlyCell(int lineIndex, int force, const CutSettings& settings, CellCut* cut) const;
    // The cut of SplitLineIntoCellsByDelimiter for the statistics (texts
    // trimmed, alignments guessed from the texts) without the cells: one
    // entry per field, its text in `*record` (the line's raw text, which
    // may be made in `scratch`).  False, with no cuts, for a line that
    // needs the split: a field to unquote, fields beyond the last column, a
    // record of several lines, no columns or no such line.
    bool CutLineAtDelimiters(int lineIndex, TextString& scratch, LineText* record, std::vector<CellCut>* cuts) const;
    int GetSpanWidth(const TableCell* cell, int ignoreStub, int firstColumn, int span) const;
    void CountCellLines(TableCellRow* row);
    int GuessHeaderVerticalAlignment(TableCellRow* row, int* mixed);
    int GuessRowVerticalAlignment(TableCellRow* row, int rowNumber);
    // The font of block line `lineIndex` (the first line's outside the block).
    const FontSpec* LineFont(int lineIndex) const;

    // ---- Comma-delimited records (delimited_fields.cpp) ----
    // Marks the further lines of the block's records: in a comma-delimited
    // table a field that begins with a quote runs over line ends until its
    // closing quote (see kMaxRecordLines for the bound).
    void FindRecords();
    // The raw text of the record that starts at line `lineIndex`: its lines
    // joined by line feeds (a line feed stands in the record for the line
    // end inside a field).  A record of one line is the line's raw text
    // (see PreFormLine::Raw); a longer one is made in `scratch`.
    LineText RecordRaw(int lineIndex, TextString& scratch) const;

    // ---- Table parsing (table_parsing.cpp) ----
    void ParseTable(int parseType);
    void StartTable(int parseType, int* bordered, int* hasHeader);
    void EndRow(int parseType, int lineIndex);
    void EndTable(int parseType);
    void AddCellLineBreak(int parseType, int column);
    // The line break AddCellLineBreak puts into a cell of a table of this
    // parse type ("" for a trial).
    const char* CellLineBreak(int parseType) const;
    // Every cell of `row` empty, line count 0, span 1, the column's default
    // alignments and the font of line `lineIndex`.
    void ResetRowForLine(TableCellRow* row, int lineIndex);

    // ---- Table output (table_output.cpp) ----
    void OutputTableStart(int* bordered, int* hasHeader);
    // RTF: the columns' widths in twips for the page, once the header rows
    // are known: widened where the page has room so that no title's word is
    // broken, narrowed when the table is wider than the printable width so
    // that it fits, as far as it can.
    void FitRtfTableToPage();
    // RTF: the left edge of the table's rows, in twips from the margin.
    long RtfTableOffset() const;
    void OutputTableEnd();
    // RTF: the table caption ("Default TABLE caption"), when there is one, as
    // a centred paragraph in the table font; written before the first row of
    // a table, a definition list or a user table.
    void OutputRtfCaption();
    // Writes the row once: the HTML cells take their texts over from the
    // row's cells (a cell may hold a whole block) and leave them empty.
    void OutputTableRow(int lineIndex);
    void OutputHtmlCell(int rowVAlign, int vAlign, int column, const TableCell* previousCell, TableCell* cell,
                        TextString* gutterText, TextString* stubText, TextString* text, int isRule, int isHeaderRow,
                        int isHeaderColumn, int extraLeading);
    // 1 left, 2 centre, 3 right.
    int TableAlignment() const;
    // Whether the block has header rows, from the header-rows policy and the
    // rule lines (DecideHeaderRows, kept in tableDecision); may move
    // `firstRuleLine` to the rule that ends the header.
    bool DecideTableHeader();
    // What the header-row rule reads of the block and its configuration.
    HeaderRuleInput HeaderRule() const;
    // The border, cell spacing and padding of tableDecision.
    void DecideTableBorder(const TabConfig* config, bool header);
    // The HTML indent level of a block at `leftMargin`; a block indented far
    // without indent positions gets level 0 and `*centre` set.
    int TableIndentLevel(int* centre) const;

    // ---- Other block output (other_block_output.cpp) ----
    void OutputCodeSample();
    void OutputPreformatted();
    void OutputAsNormal();
    void OutputMailHeader();
    void OutputTextBlock();
    void OutputInversePyramid();
    void StartDefinitionList(int* bordered, int* hasHeader);
    void OutputDefinitionRow(int lineIndex);
    void EndDefinitionList();
    void MergeColumns(int first, int last);
    void MergeLastTwoColumns();

    // ---- Cell tags (cell_tags.cpp) ----
    void ProcessCellTags(TableCell* cell, TextString* text, const SourcePosition& where);
    // Handles the tag between `tagStart` and `tagEnd` (inclusive) of the
    // scratch line's text; mode 1 while the configuration is built, mode 2
    // for output.  Returns 1 when the tag was consumed.  Without `done` the
    // tag's replacement is written into the scratch line.  With it (the
    // one-pass scan of ProcessCellTags) the replacement, or the kept tag, is
    // appended to *done and *position is set after the tag; a tag run by its
    // executor leaves *done holding everything up to where the scan goes on
    // and the scratch line the rest, with *position 0.
    int ProcessCellTag(int mode, TableCell* cell, AnalysedLine* scratch, int* position, int tagStart, int tagEnd,
                       const TextString& tagText, int* keep, TextString* done = nullptr);
    void ApplyCellFontAndLink(TableCell* cell, TextString* text, const FontSpec* font, const SourcePosition& where,
                              int linkFlag);
    void ProcessWSTags(TableCell* cell, TextString* text);

    // ---- User-specified tables (user_tables.cpp) ----
    // Reads the NEW_ROW, NEW_CELL and COLUMN_DETAILS lines of the block into
    // its tables and writes them.
    void ParseUserTable();
    // Adds a LINERULE or BEGIN_USER_TABLE line to a cell as an in-line tag.
    void AddUserTableLine(TableCell* cell, const TextString& line);
    // Escapes and converts a text for output, runs its in-line tags and
    // joins it to the cell's text.
    void AddCellText(TableCell* cell, const TextString& text);
    // Writes one table section; the first that writes anything starts the
    // table and sets `*started`.
    void OutputUserTable(int* started, int indentLevel, UserTableSection* section);
    // Checks the cells of a grid and builds its occupancy map; 0 when the
    // grid is not to be written.
    int PlaceUserTableCells(UserTableGrid* grid, int isHeader);
    void OutputUserTableStart();
    void OutputUserTableEnd();
    // The rows of a placed grid, in HTML or in RTF.
    void OutputUserTableRows(UserTableGrid* grid, int isHeader);
    void OutputUserTableRtfRows(UserTableGrid* grid, int isHeader);
    // One RTF cell: font size, bold and italic, alignment or gutter tabs.
    void OutputRtfCell(TableCell* cell, int isHeaderRow, int isHeaderColumn);
};
