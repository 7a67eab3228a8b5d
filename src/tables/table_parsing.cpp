// Table parsing: the lines of a block with known columns become rows of
// cells, which the table output (or, for two-column RTF tables, the
// definition-list output) writes.  Rows are one line each unless continued:
// a line with one filled cell runs on in the row, blank lines separate rows
// of tables that are laid out that way, rule lines end rows, and a line with
// a spanning cell is a row of its own.  Parse type 0 is a silent trial that
// only decides whether a two-column table can be written as a definition
// list.
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "tables/preform.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "output/paragraphs.h"
#include "platform/heap_blocks.h"  // kMappedBlockBytes
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

// Lines gathered between two looks for texts to give back (see
// PreForm::releaseWrittenTexts).
constexpr int kReleaseStep = 4096;

// The table policies read only where a table starts: a CHANGE_POLICY line
// inside a table cannot change them for that table.
constexpr TabPol kTableStartPolicies[] = {TabPol::BorderSize,     TabPol::BorderColour, TabPol::CellSpacing,
                                          TabPol::CellPadding,    TabPol::Width,        TabPol::Caption,
                                          TabPol::TableAlignment, TabPol::TableColour};

bool EndsWithNoCase(const TextString& text, const char* tail) {
    const int length = static_cast<int>(std::strlen(tail));
    return text.length >= length && TextString(text.buffer + text.length - length).Matches(tail, 0, 0);
}

// Whether a CHANGE_POLICY line sets one of the table-start policies: its key
// (the text before the colon, after the directive) is one of theirs.
bool SetsTableStartPolicy(const PreFormLine& line) {
    const LineText text = line.Layout();
    const size_t colon = text.view().find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    TextString key;
    key.AssignChars(text.buffer, static_cast<int>(colon));
    key.Trim(0, " \t");
    return std::any_of(std::begin(kTableStartPolicies), std::end(kTableStartPolicies), [&key](TabPol id) {
        const char* name = GetTablePolicyDefinition(id).key;
        if (!EndsWithNoCase(key, name)) return false;
        // The key stands on its own: the start of the line, or a blank before it.
        const int before = key.length - static_cast<int>(std::strlen(name)) - 1;
        return before < 0 || key.buffer[before] == ' ' || key.buffer[before] == '\t';
    });
}

// A line holds more than the table's columns take: the rest went into its
// last cell.  Said once per table, at its first such line.
void ReportJoinedColumns(PreForm& table, const PreFormLine& line) {
    TextString message("WARNING: Columns beyond ");
    message.AppendNumber('1', table.columnCut.bound, 0);
    message.Append(" joined into the last cell from line ");
    message.AppendNumber('1', table.lines.OriginOf(line).line, 0);
    table.Message(message.buffer, kLevelWarning);
}

void ReportParseType(PreForm& engine, int parseType) {
    TextString message("UNSUPPORTED CASE: Parse type ");
    message.AppendNumber('1', parseType, 0);
    engine.Message(message.buffer, kLevelAlways);
}

// Whether a cut cell holds text: the splitter gives an empty HTML cell the
// text "&nbsp;", which is no text of the line.
bool CellHasText(const TableCell* cell) {
    if (!cell) return false;
    const TextString& text = cell->text;
    // Most cell texts have no blanks around them, and one that is not six
    // bytes long cannot be "&nbsp;".
    if (text.length > 0 && text.length != 6 && !IsBlankOrTab(text.buffer[0]) &&
        !IsBlankOrTab(text.buffer[text.length - 1]))
        return true;
    int first = 0;
    int last = text.length - 1;
    while (first <= last && IsBlankOrTab(text.buffer[first])) ++first;
    while (last >= first && IsBlankOrTab(text.buffer[last])) --last;
    if (first > last) return false;
    return !(last - first + 1 == 6 && CompareTextN(text.buffer + first, "&nbsp;", 6, 1) == 0);
}

// A cell text that outgrows this many bytes is given kMappedBlockBytes of
// room at once: a block that large has pages of its own, which are taken
// only as they are written and grow without being copied, where moving a
// heap block of megabytes would hold it twice for a moment.
constexpr int kLargeCellBytes = kMappedBlockBytes / 16;

// Appends to a cell text.  The room is doubled when it runs out, so that a
// cell that collects many lines (a text block, a long continued row) grows
// in linear time.  (Such a cell keeps pages of the usual size: it grows
// while the texts of the lines it gathers are given back a large page at a
// time, and large pages on both sides would hold up to two more of them.)
//
// The bytes are copied in place once the room is there: the bytes appended
// (a line break, another cell's text) never lie in the cell text itself.
void AppendToCell(TextString& text, const char* more, int count) {
    if (!more || count <= 0) return;
    const int needed = GrownLength(text.length, count);
    if (needed > text.capacity) {
        int64_t room = std::max<int64_t>(needed, int64_t{text.capacity} * 2);
        if (room > kLargeCellBytes && room < kMappedBlockBytes) room = kMappedBlockBytes;
        text.ReserveAbout(room);
    }
    std::memcpy(text.buffer + text.length, more, static_cast<size_t>(count));
    text.length = needed;
    text.buffer[needed] = '\0';
}

void AppendToCell(TextString& text, const TextString& more) { AppendToCell(text, more.buffer, more.length); }

// Appends a cut cell's text to the row's cell.  A large cut that starts an
// empty cell is taken over rather than copied: nothing reads a cut once it
// is gathered, and the next line is cut into a reset row.
[[gnu::always_inline]] inline void AppendCutToCell(TextString& text, TextString& cut) {
    if (text.length == 0 && cut.capacity > kKeptScratchBytes) [[unlikely]]
        std::swap(text, cut);
    else
        AppendToCell(text, cut.buffer, cut.length);
}

// A cut cell becomes the row's cell: its text, span, alignments and lines
// (more than none only for a record's field that runs over line ends).  The
// texts are exchanged rather than copied: `from` is left with the text `to`
// had.
void TakeCell(TableCell& to, TableCell& from) {
    std::swap(to.text.buffer, from.text.buffer);
    std::swap(to.text.length, from.text.length);
    std::swap(to.text.capacity, from.text.capacity);
    to.lineCount = from.lineCount;
    to.span = from.span;
    to.alignment = from.alignment;
    to.secondAlignment = from.secondAlignment;
    to.vAlignment = from.vAlignment;
    to.vAlignmentOverride = from.vAlignmentOverride;
}

// CHANGE_POLICY lines before the table's first row apply to the whole
// table; the loop of ParseTable passes over them.  Gives the index of the
// first line past them.
int ApplyLeadingPolicyLines(PreForm& table, int count, bool applies) {
    int leadingPolicyEnd = 0;
    for (; leadingPolicyEnd < count; ++leadingPolicyEnd) {
        const PreFormLine& line = *table.lines[static_cast<size_t>(leadingPolicyEnd)];
        if (line.lineType == kStatementChangePolicy) {
            if (applies) table.ApplyPolicyLine(leadingPolicyEnd);
        } else if (IsTableTextLine(line)) {
            break;
        }
    }
    return leadingPolicyEnd;
}

// The header rows (of a table with a header) and the header columns, as
// the table start decided them.
void TakeHeaderRowsAndColumns(PreForm& table, int hasHeader) {
    const HeaderRows& decided = table.tableDecision.header;
    if (hasHeader) table.headerRowCount = decided.headerRowCount;
    if (decided.headerColumnCount > 0) table.headerColumnCount = decided.headerColumnCount;
}

// Gathers the lines of a table into rows: one step per kind of line, and
// the row endings they share.
class RowGatherer {
public:
    RowGatherer(PreForm& engine, int type, int lines, int isBordered)
        : table(engine),
          parseType(type),
          count(lines),
          trial(type == kParseTrial),
          applies(type >= kParseTable && type <= kParseTextBlock),
          bordered(isBordered),
          lineBreak(engine.CellLineBreak(type)) {}

    int lastRowEnd = -1;

    // A CHANGE_POLICY line inside the table.
    void AddPolicyLine(int i, const PreFormLine& line) {
        if (applies) {
            if (SetsTableStartPolicy(line)) {
                TextString message("WARNING: ");
                TextString text(line.Layout().view());
                text.Trim(0, " ");
                message.Append(text);
                message.Append(" applies from the next table");
                table.Message(message.buffer, kLevelAlways);
            }
            if (RowInProgress()) {
                waitingPolicyLines.push_back(i);
            } else {
                table.ApplyPolicyLine(i);
                policiesApplied = true;
            }
        } else if (parseType != kParseTrial) {
            table.Message("UNSUPPORTED CASE: Policy line inside ParseTable", kLevelAlways);
        }
    }

    // A text block is one row: every line adds a line to each cell.
    void AddTextBlockLine(const PreFormLine& line) {
        for (int j = 0; j < table.columnCount; ++j) {
            TableCell* cell = table.cellRow.GetAt(j);
            TableCell* cut = table.scratchRow.GetAt(j);
            if (!cell || !cut) continue;
            AddLineBreak(*cell);
            if (CellHasText(cut)) {
                if (line.isRuleLine && j > 0 && table.htmlOutput)
                    AppendToCell(cell->text, "<HR NOSHADE>", 12);
                else
                    AppendCutToCell(cell->text, cut->text);
            }
            ++cell->lineCount;
        }
    }

    void AddBlankLine(int i) {
        if (table.blankSeparatedRows || !bordered) {
            EndRowAt(i - 1, i);
            return;
        }
        // In a bordered table the blank line stays inside the row: every
        // cell gets a line more (the padding cells all at once).
        TableCellRow& row = table.cellRow;
        const int stop = trial ? table.columnCount : std::min(table.columnCount, row.PaddingStart());
        for (int j = 0; j < stop; ++j) {
            TableCell* cell = row.GetAt(j);
            if (!cell) continue;
            if (trial) {
                if (CellHasText(table.scratchRow.GetAt(j))) ++cell->lineCount;
                continue;
            }
            AddLineBreak(*cell);
            ++cell->lineCount;
        }
        if (stop < table.columnCount && stop < row.Count()) {
            TableCellRow::Padding& padding = row.PaddingCells();
            if (padding.fields.lineCount > 0) padding.text.Append(table.CellLineBreak(parseType));
            ++padding.fields.lineCount;
        }
    }

    void AddRuleLine(int i) {
        EndRowAt(i - 1, i);
        // In the body of a table without border a rule line becomes a
        // row of rules (one heavy rule for a run of rule lines), written
        // when the next row ends.
        if (!table.blankSeparatedRows && !bordered && table.headerRowCount + table.leadingBlankCount < i) {
            const bool previousRule = i > 0 && table.lines[static_cast<size_t>(i) - 1]->isRuleLine;
            const bool nextRule = i + 1 < count && table.lines[static_cast<size_t>(i) + 1]->isRuleLine;
            const FontSpec* font = table.LineFont(0);
            for (int j = 0; j < table.columnCount; ++j) {
                TableCell* cell = table.cellRow.GetAt(j);
                if (!cell) continue;
                cell->font = font;
                if (table.htmlOutput && !previousRule && !trial) {
                    cell->text = nextRule ? "<HR SIZE=5 NOSHADE>" : "<HR>";
                    cell->lineCount = 1;
                }
            }
        }
    }

    // A line with a spanning cell is always a row of its own.
    void AddSpanningLine(int i) {
        EndRowAndTakeCut(i);
        EndRowAt(i, i + 1);
    }

    // A line of a table whose rows are separated by blank lines joins the
    // row being gathered.
    void AddBlankSeparatedLine(int i) {
        if (!trial && SpansChanged(i)) EndRowAt(i - 1, i);
        for (int j = 0; j < table.columnCount; ++j) {
            TableCell* cell = table.cellRow.GetAt(j);
            TableCell* cut = table.scratchRow.GetAt(j);
            if (!cell || !cut) continue;
            if (trial) {
                if (CellHasText(cut)) ++cell->lineCount;
                continue;
            }
            AddLineBreak(*cell);
            if (cell->lineCount == 0) cell->span = cut->span;
            if (CellHasText(cut)) AppendCutToCell(cell->text, cut->text);
            ++cell->lineCount;
            const int span = cut->span;
            if (cell->span == span) continue;
            if (span < cell->span) {
                // The wider row cell also takes the text under the rest
                // of its span.
                for (int k = j + span; k < j + cell->span && k < table.columnCount; ++k) {
                    const TableCell* covered = table.scratchRow.GetAt(k);
                    if (!CellHasText(covered)) continue;
                    AppendToCell(cell->text, " ", 1);
                    AppendToCell(cell->text, covered->text);
                }
            } else {
                TableCell* right = table.cellRow.GetAt(j + 1);
                if (right) cell->JoinBelow(table.policies, right);
                const TableCell* cutRight = table.scratchRow.GetAt(j + 1);
                cell->span = (cutRight && cutRight->span >= span) ? cutRight->span + 1 : span;
                if (right) right->span = 1;
            }
        }
    }

    // Any other line: one filled cell continues the row (but for a short
    // list, whose lines are rows), no filled cell ends it, more start a row
    // of their own.
    void AddRowLine(int i) {
        const PreForm::FilledCells cells = table.FilledCellsOf(i);
        const int filled = cells.count;
        const int column = cells.first;
        if (!table.isDelimited && !table.isShortList && filled == 1 && column >= 0 && column < table.columnCount) {
            // One filled cell: the line continues the row.
            TableCell* cell = table.cellRow.GetAt(column);
            TableCell* cut = table.scratchRow.GetAt(column);
            if (cell && cut) {
                AddLineBreak(*cell);
                if (!trial && CellHasText(cut)) AppendCutToCell(cell->text, cut->text);
                ++cell->lineCount;
            }
        } else if (!table.isDelimited && filled == 0) {
            EndRowAt(i - 1, i);
        } else {
            EndRowAndTakeCut(i);
        }
    }

    // CHANGE_POLICY lines met while a row was being gathered apply from the
    // next row on: they wait until that row is written.
    void ApplyWaitingPolicyLines() {
        if (waitingPolicyLines.empty()) return;
        for (int index : waitingPolicyLines) table.ApplyPolicyLine(index);
        waitingPolicyLines.clear();
        policiesApplied = true;
    }

    // Whether CHANGE_POLICY lines were applied since the last call.
    bool TakePoliciesApplied() { return std::exchange(policiesApplied, false); }

    // The first line whose text is still to be read: a CHANGE_POLICY line
    // that waits, or else the line after `i`, the last one gathered.
    int FirstLineStillRead(int i) const { return waitingPolicyLines.empty() ? i + 1 : waitingPolicyLines.front(); }

private:
    PreForm& table;
    const int parseType;
    const int count;
    const bool trial;
    const bool applies;
    const int bordered;
    // What PreForm::AddCellLineBreak puts before more text in a cell: the
    // same for every cell of the table.
    const std::string_view lineBreak;
    std::vector<int> waitingPolicyLines;
    bool policiesApplied = false;

    // PreForm::AddCellLineBreak for a cell of the row.
    void AddLineBreak(TableCell& cell) {
        if (cell.lineCount > 0 && !lineBreak.empty())
            AppendToCell(cell.text, lineBreak.data(), static_cast<int>(lineBreak.size()));
    }

    bool RowInProgress() const {
        const TableCellRow& row = table.cellRow;
        for (int j = 0; j < row.PaddingStart(); ++j)
            if (row.CellAt(j)->lineCount > 0) return true;
        return row.PaddingStart() < row.Count() && row.PaddingCells().fields.lineCount > 0;
    }

    // Ends the row at line `end` and starts a fresh one for line `next`.
    void EndRowAt(int end, int next) {
        table.EndRow(parseType, end);
        ApplyWaitingPolicyLines();
        table.ResetRowForLine(&table.cellRow, next);
        lastRowEnd = end;
    }

    // The cut cells become the row's cells; the row's (freshly reset) texts
    // are handed to the scratch row in exchange, as nothing reads the cut
    // after this and the next line is cut into a reset row.
    void CopyScratchRow() {
        for (int j = 0; j < table.columnCount; ++j) {
            TableCell* cell = table.cellRow.GetAt(j);
            TableCell* cut = table.scratchRow.GetAt(j);
            if (!cell || !cut) continue;
            TakeCell(*cell, *cut);
            cell->lineCount = std::max(cell->lineCount, 1);
        }
    }

    // Ends the row at line i - 1 and starts the next with the cut of line i,
    // as EndRowAt(i - 1, i) and CopyScratchRow() do.  The freshly cut cells
    // are already what the reset and the copy would make of the row's cells
    // (their column, the cut's texts, spans and alignments, every other field
    // fresh, the line's position and font), so the two rows exchange their
    // cells instead; the scratch row is reset before the next line is cut
    // into it.
    void EndRowAndTakeCut(int i) {
        table.EndRow(parseType, i - 1);
        ApplyWaitingPolicyLines();
        lastRowEnd = i - 1;
        if (table.cellRow.Count() == table.columnCount && table.scratchRow.Count() == table.columnCount) {
            table.cellRow.Swap(table.scratchRow);
            TableCellRow& row = table.cellRow;
            for (int j = 0; j < row.PaddingStart(); ++j) {
                TableCell* cell = row.CellAt(j);
                cell->lineCount = std::max(cell->lineCount, 1);
            }
            int& paddingLines = row.PaddingCells().fields.lineCount;
            paddingLines = std::max(paddingLines, 1);
        } else {
            table.ResetRowForLine(&table.cellRow, i);
            CopyScratchRow();
        }
    }

    // Cells that change their span between the lines of a row cannot be
    // joined: such a line starts a new row.  A row that holds no line yet
    // takes the spans of its first line.
    bool SpansChanged(int i) {
        bool changed = false;
        for (int j = 0; j < table.columnCount; ++j) {
            const TableCell* cell = table.cellRow.GetAt(j);
            const TableCell* cut = table.scratchRow.GetAt(j);
            if (!cell || !cut || cell->lineCount <= 0 || cell->span == cut->span) continue;
            TextString message("WARNING: Ambiguous ColSpan Creating new row at (");
            message.AppendNumber('1', i, 0);
            message.AppendChar(',');
            message.AppendNumber('1', j, 0);
            message.Append(") was ");
            message.AppendNumber('1', cell->span, 0);
            message.Append(" now ");
            message.AppendNumber('1', cut->span, 0);
            table.Message(message.buffer, kLevelAlways);
            changed = true;
        }
        return changed;
    }
};

}  // namespace

void PreForm::ParseTable(int parseType) {
    if (htmlOutput && !htmlWriter) {
        Message("PROGRAM ERROR : No HTMLFile inside ParseTable", kLevelAlways);
        return;
    }
    if (rtfOutput && !rtfWriter) {
        Message("PROGRAM ERROR : No RTFFile inside ParseTable", kLevelAlways);
        return;
    }
    const int count = std::min(lineCount, static_cast<int>(lines.size()));
    const bool trial = parseType == kParseTrial;

    const bool applies = parseType >= kParseTable && parseType <= kParseTextBlock;
    const int leadingPolicyEnd = ApplyLeadingPolicyLines(*this, count, applies);

    int bordered = 0;
    int hasHeader = 0;
    StartTable(parseType, &bordered, &hasHeader);
    TakeHeaderRowsAndColumns(*this, hasHeader);
    // The RTF columns are fitted to the page once the header rows are
    // known: the words of their titles set the least widths.
    if (rtfOutput && rtfWriter && (parseType == kParseTable || parseType == kParseTextBlock)) FitRtfTableToPage();

    ResetRowForLine(&cellRow, 0);
    ResetRowForLine(&scratchRow, 0);
    leadingBlankCount = 0;
    int lastCut = -1;  // the last line cut into the scratch row
    bool textSeen = false;
    bool joinReported = false;  // a line's text beyond the columns was reported
    RowGatherer rows(*this, parseType, count, bordered);
    // Whether a line with one filled cell continues the row (see
    // RowGatherer::AddRowLine).
    const bool rowsContinueCells = parseType == kParseTable && !isDelimited && !blankSeparatedRows && !isShortList;
    // The cuts of the lines and the conversion of their cells read the
    // settings once, and again after a CHANGE_POLICY line was applied.
    CutSettings cutSettings = ReadCutSettings();
    ConversionSettings conversion = ReadConversionSettings();

    for (int i = 0; i < count; ++i) {
        const PreFormLine& line = *lines[static_cast<size_t>(i)];
        if (line.lineType == kStatementChangePolicy) {
            if (i >= leadingPolicyEnd) rows.AddPolicyLine(i, line);  // the leading ones are applied
            continue;
        }
        // A further line of a record was cut with the record's first line.
        if (!IsTableTextLine(line) || line.continuesRecord) continue;
        // A line that only continues the row's one filled cell (see
        // RowGatherer::AddRowLine) is read for that cell's text alone.
        const FilledCells filled = FilledCellsOf(i);
        const bool continuesCell = rowsContinueCells && filled.count == 1 && !line.isBlank && !line.isRuleLine &&
                                   !line.hasSpanningCell && filled.first >= 0 && filled.first < columnCount;
        if (rows.TakePoliciesApplied()) {
            cutSettings = ReadCutSettings();
            conversion = ReadConversionSettings();
        }
        const bool joined = continuesCell
                                ? SplitFilledCellForOutput(&scratchRow, i, filled.first, cutSettings, conversion)
                            : isDelimited ? SplitLineIntoCellsByDelimiter(&scratchRow, i, 0)
                                          : SplitLineIntoCellsByColumns(&scratchRow, i, 0, cutSettings);
        if (joined && !trial && !joinReported) {
            ReportJoinedColumns(*this, line);
            joinReported = true;
        }
        lastCut = i;
        if (!textSeen) {
            if (line.isBlank)
                ++leadingBlankCount;
            else
                textSeen = true;
        }

        if (parseType == kParseTextBlock)
            rows.AddTextBlockLine(line);
        else if (line.isBlank)
            rows.AddBlankLine(i);
        else if (line.isRuleLine)
            rows.AddRuleLine(i);
        else if (line.hasSpanningCell && !blankSeparatedRows)
            rows.AddSpanningLine(i);
        else if (blankSeparatedRows)
            rows.AddBlankSeparatedLine(i);
        else
            rows.AddRowLine(i);
        // The row being gathered holds copies of its lines' cells: the texts
        // of the lines gathered are read no more.
        if (releaseWrittenTexts && !trial && (i + 1) % kReleaseStep == 0)
            lines.ReleaseTextsBefore(static_cast<size_t>(rows.FirstLineStillRead(i)));
    }
    // The scratch row is reset after each line; as every line is cut into a
    // fresh row, only the reset after the last one is ever seen.  The room
    // of a long line's cut is not kept through the writing of the table.
    if (lastCut >= 0) ResetRowForLine(&scratchRow, lastCut);
    scratchRow.ReleasePaddingTexts();
    // Every line is gathered: the last row is written without their texts.
    if (releaseWrittenTexts && !trial && count > 0)
        lines.ReleaseTextsBefore(static_cast<size_t>(rows.FirstLineStillRead(count - 1)));

    if (rows.lastRowEnd != count - 1) EndRow(parseType, rows.lastRowEnd + 1);
    rows.ApplyWaitingPolicyLines();
    // The padding of the rows reads the columns, which may change once the
    // table is parsed (the analysis merges them after its trial parse).
    cellRow.FillIn();
    scratchRow.FillIn();
    EndTable(parseType);
    if (htmlWriter && !trial) HTML_ChangeIndentLevel(htmlWriter, 0, policies);
}

void PreForm::StartTable(int parseType, int* bordered, int* hasHeader) {
    switch (parseType) {
        case kParseTrial:
            // The trial starts no table and has no header rows, but decides
            // as a table start would (the header columns are taken from
            // it); the first rule line stays where it is.
            tableDecision.header = DecideHeaderRows(HeaderRule());
            // The definition-list form suits two columns whose first column
            // is not one repeated value.
            if (!(columnCount == 2 && columns[0] && !columns[0]->hasDominantValue)) canUseDefinitionList = 0;
            break;
        case kParseTable:
        case kParseTextBlock: OutputTableStart(bordered, hasHeader); break;
        case kParseDefinitionList: StartDefinitionList(bordered, hasHeader); break;
        default: ReportParseType(*this, parseType); break;
    }
}

void PreForm::EndRow(int parseType, int lineIndex) {
    switch (parseType) {
        case kParseTrial: {
            // A term of the definition list holds one line; a header row
            // (a row over a rule line near the top) may hold two.
            const TableCell* first = cellRow.GetAt(0);
            const int firstLines = first ? first->lineCount : 0;
            const int count = std::min(lineCount, static_cast<int>(lines.size()));
            const bool headerRow = lineIndex < 4 && lineIndex >= -1 && lineIndex + 1 < count &&
                                   lines[static_cast<size_t>(lineIndex) + 1]->isRuleLine;
            if (firstLines > (headerRow ? 2 : 1)) canUseDefinitionList = 0;
            break;
        }
        case kParseTable:
        case kParseTextBlock: OutputTableRow(lineIndex); break;
        case kParseDefinitionList: OutputDefinitionRow(lineIndex); break;
        default: ReportParseType(*this, parseType); break;
    }
}

void PreForm::EndTable(int parseType) {
    switch (parseType) {
        case kParseTrial: break;
        case kParseTable:
        case kParseTextBlock: OutputTableEnd(); break;
        case kParseDefinitionList: EndDefinitionList(); break;
        default: ReportParseType(*this, parseType); break;
    }
}

void PreForm::AddCellLineBreak(int parseType, int column) {
    if (parseType == kParseTrial) return;
    TableCell* cell = cellRow.GetAt(column);
    // Only a cell that already holds lines needs a break before more text.
    if (!cell || cell->lineCount <= 0) return;
    const char* lineBreak = CellLineBreak(parseType);
    AppendToCell(cell->text, lineBreak, static_cast<int>(std::strlen(lineBreak)));
}

const char* PreForm::CellLineBreak(int parseType) const {
    if (parseType == kParseTrial) return "";
    // The lines of a definition stay apart, as the rows of a table cell do.
    if (parseType == kParseDefinitionList) return "\\line ";
    if (htmlOutput) return "<BR>";
    if (rtfOutput) return "\\par ";
    return "";
}

// The cells become padding, each a fresh cell of its column, filled in as
// the row is read (see TableCellRow): a row is reset for every line.  The
// padding reads the columns, which stay as they are while a table is parsed.
void PreForm::ResetRowForLine(TableCellRow* row, int lineIndex) {
    if (!row) return;
    const int count = static_cast<int>(lines.size());
    const PreFormLine* line = (lineIndex >= 0 && lineIndex < count) ? lines[static_cast<size_t>(lineIndex)]
                                                                    : (count > 0 ? lines.front() : nullptr);
    TableCellFields fresh;
    fresh.position = line ? lines.PositionOf(*line) : SourcePosition();
    fresh.font = LineFont(lineIndex);
    if (row->Count() != columnCount) row->Reset(columnCount, policies, fresh.position, fresh.font);
    TableCellRow::Padding& padding = row->PadFrom(0, fresh);
    padding.numbered = true;
    padding.columns = &columns;
    padding.typicalAlignment = true;
    padding.defaultVAlignment = true;
}
