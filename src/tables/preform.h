// PreForm: the table engine of one input file.  The per-file conversion
// hands it every line that leaves its ring of analysed lines; the engine
// keeps each as a PreFormLine (the three texts the later steps work on, the
// line's type and positions) together with the running block statistics
// (longest and shortest line, smallest indent, mail-header lines), and at the
// end of the file writes the collected block through the output document.
// PreFormColumn is one detected column; the cell row holds one cell per
// column.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/source_position.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"

class AnalysedLine;
class FC;
class FontSpec;
class OutputDocument;
class TabConfig;

// One line of the block.
class PreFormLine {
public:
    TextString displayText;  // the analysed line's text as converted for the output format
    TextString layoutText;   // the text before output escaping (tabs expanded): column detection works on it
    TextString rawText;      // the line as read: delimiter splitting works on it
    int length = 0;          // length of the layout text
    int indent = 0;          // leading blanks of the analysed line
    int lineType = 0;
    SourcePosition position;
    SourcePosition originPosition;
    // Filled by the block statistics and used by table output.
    int isRuleLine = 0;
    int isBlankLine = 0;
    int cellCount = 0;
    int firstNonEmptyCell = 0;  // -1 when the line has no non-empty cell
    int spansColumns = 0;
    int outputValue1 = 0;
    int outputValue2 = 0;
    int outputValue3 = 0;
    int rowIndex = -1;
    // What the output of the line still needs from its analysed line: the
    // directive code, the attribute flags, and (only for a line on which an
    // emphasis phrase across lines starts or ends) the replacement pairs.
    int tagCode = -3;
    uint32_t flags = 0;
    std::unique_ptr<AnalysedLine> replacements;

    PreFormLine();
    // The three texts (each without trailing blanks), length, indent, type,
    // positions, tag code and flags of the analysed line.
    explicit PreFormLine(const AnalysedLine& line);
    ~PreFormLine();
    PreFormLine(const PreFormLine&) = delete;
    PreFormLine& operator=(const PreFormLine&) = delete;
};

// One detected column.
class PreFormColumn {
public:
    // The column statistics.
    FrequencyTable alignments;
    FrequencyTable spans;
    FrequencyTable emptyCells;
    FrequencyTable alphanumericCells;
    FrequencyTable symbolicCells;
    FrequencyTable numericCells;
    int start = 0;
    int gapEnd = 0;
    int boundary = 0;  // the last character position that belongs to the column
    int score = -1;    // -1 when not computed
    // Derived values.
    int typicalAlignment = 1;
    int typicalSpan = 1;
    int isConsistent = 0;
    int isMostlyEmpty = 0;
    int isAlphanumeric = 1;
    int isSymbolic = 0;
    int isNumeric = 0;
    int rtfWidth = 0;  // twips
    int total = 0;

    PreFormColumn(int startPosition, int gapEndPosition, int boundaryPosition, int columnScore)
        : start(startPosition), gapEnd(gapEndPosition), boundary(boundaryPosition), score(columnScore) {}
};

// The per-position record of the block statistics: one per character
// position of the longest line.
class PositionStatistics {
public:
    FrequencyTable blanks;
    FrequencyTable separators;
    int isGap = 0;
    int isSeparator = 0;
    int linesCounted = 0;
    int blankCount = 0;
    int separatorCount = 0;
};

// The format part of a cell: the texts around its content and its switches.
class CellFormat {
public:
    std::array<TextString, 5> texts;
    int span = 1;
    int alignment = 1;
    int secondAlignment = 0;
    SourcePosition position{0, 1};
};

// One cell of the cell row.  The table cell routines fill in its content;
// the line intake gives each new column a cell placed at the block's first
// line.
class TableCell {
public:
    CellFormat format;
    TextString content;
    const FontSpec* font = nullptr;  // not owned
    SourcePosition position;

    TableCell(FC* set, const SourcePosition& where, const FontSpec* cellFont);
};

// The cells of one row, one per column.
class TableCellRow {
public:
    void Add(std::unique_ptr<TableCell> cell) { cells.push_back(std::move(cell)); }
    void Clear() { cells.clear(); }
    int Count() const { return static_cast<int>(cells.size()); }
    TableCell* GetAt(int index) const {
        return (index >= 0 && index < Count()) ? cells[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<TableCell>> cells;
};

class PreForm {
public:
    // ---- Counters ----
    int lineCount = 0;
    int blankLineCount = 0;
    int codeLineCount = 0;
    int ruleLineCount = 0;
    int firstRuleLine = -1;
    int secondRuleLine = -1;
    int lastRuleLine = -1;
    int mailHeaderLineCount = 0;
    int headerLineCount = 0;  // leading lines the statistics skip

    // ---- The lines, the configuration, the measures ----
    std::vector<std::unique_ptr<PreFormLine>> lines;
    TabConfig* tabConfig = nullptr;  // not owned; chosen when the block is processed
    int longestLength = -1;
    int shortestLength = -1;
    int smallestIndent = 80;
    std::vector<std::unique_ptr<PositionStatistics>> positionStatistics;
    std::vector<std::unique_ptr<PreFormColumn>> columns;
    int columnCount = 0;  // kept equal to the number of columns

    // ---- Block kinds (from the special format code) ----
    int isTable = 0;
    int isCode = 0;
    int isPreformatted = 0;
    int isDiagram = 0;
    int isUserTable = 0;
    int isDelimited = 0;
    int isUnderwriter = 0;
    int isInversePyramid = 0;

    // ---- Detection results ----
    int layoutColumns = 0;     // the columns came from a TABLE_LAYOUT
    int separatorColumns = 0;  // the columns came from separator characters such as "|"
    int looksLikeTable = 1;
    int looksLikeDiagram = 0;
    int looksLikeCode = 0;
    int looksLikeMailHeader = 0;
    int canUseDefinitionList = 0;  // two columns
    int isTextBlock = 0;           // a single column
    int isSparse = 0;
    int blankSeparatedRows = 0;
    char delimiter = '\t';
    int leftMargin = 0;

    TableCellRow cellRow;

    // ---- Policies and writers ----
    FC* policies = nullptr;                  // not owned
    OutputDocument* htmlWriter = nullptr;    // not owned
    OutputDocument* rtfWriter = nullptr;     // not owned
    int htmlOutput = 1;
    int rtfOutput = 0;
    int thirdOutput = 0;
    int extendedMarkupMode = 0;  // the policy set's markup mode is 1 or 2
    std::array<CellFormat, 2> defaultCellFormats;

    // ---- Output-time state of table output ----
    int columnSeparationState = 1;
    std::array<int, 4> headerSwitches{1, 1, 1, 1};
    std::array<int, 4> rowColumnIndexes{-1, -1, -1, -1};
    int dataRowCount = 0;
    TextString messageText;  // the block's collected messages
    int messageLevel = 0;

    // `writer` becomes the HTML writer, or the RTF writer when the
    // Context's output format is 1 or 3 (which also turns HTML output off
    // and RTF output on).  `directiveLine` is not used (always null).
    PreForm(OutputDocument* writer, FC* set, AnalysedLine* directiveLine);
    ~PreForm();
    PreForm(const PreForm&) = delete;
    PreForm& operator=(const PreForm&) = delete;

    void SetHTMLWriter(OutputDocument* writer) { htmlWriter = writer; }
    void SetRTFWriter(OutputDocument* writer) { rtfWriter = writer; }

    // Appends one line and updates the longest and shortest lengths, the
    // smallest indent and the count of mail-header lines.
    void AddLine(const AnalysedLine& line);
    // Appends one column (typical alignment and span 1, alphanumeric) and a
    // cell for it, placed at the origin of the block's first line.
    void AddColumn(int start, int gapEnd, int boundary, int score);
    // Rebuilds the columns from the TABLE_LAYOUT of the table configuration;
    // positions that go backwards are reported as overlapping columns.
    void ApplyTableLayout();
    // A cell format back to its defaults.
    static void ResetCellFormat(CellFormat& format);

    // Writes the block.  Until the table analysis is built, every line is
    // written as ordinary text (see preform.cpp).
    void Process(int specialFormatCode);

private:
    // Writes the block as HTML paragraphs: blank lines and page breaks end
    // a paragraph, directive lines are never written.
    void WriteAsText();
};
