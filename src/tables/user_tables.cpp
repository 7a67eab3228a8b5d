// User-specified tables: tables whose rows and cells are marked with NEW_ROW
// and NEW_CELL directive lines instead of being found by column analysis.
// ParseUserTable gathers the cells of one or more tables (sections) into
// grids; each grid is placed on an occupancy map, checked, and written as
// HTML rows or RTF rows.  RTF tables too wide for the page are fitted by
// moving their left margin or by setting them in a landscape section.
#include "policies/alignments.h"
#include "context/code_locations.h"
#include "tables/user_tables.h"
#include "tables/engine_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/recognisers.h"
#include "context/context.h"
#include "context/keyword_tables.h"
#include "context/preprocessor.h"
#include "foundation/fonts.h"
#include "foundation/utilities.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

using engine_support::ConfigOf;
using engine_support::IsOn;
using engine_support::Write;

constexpr int kLongRowTag = 131;  // a longer row tag gets its ">" on a line of its own
constexpr int kLooseBlockLines = 40;  // blocks this long are not kept together on one page
constexpr int kNaturalWidthMargin = 5;  // points added to the widest text of a column

// The kinds of the lines of a user-table block.
enum class LineKind { Text, NewRow, NewCell, ColumnDetails, CellDirective, OtherDirective };

// The kinds of row that NEW_ROW opens.
enum class RowKind { None, Head, Data, Line };

// An RTF section definition: page width and height, the four margins, with
// the texts that open and close it.
TextString SectionText(const char* opening, int width, int height, int left, int right, int top, int bottom,
                       const char* closing) {
    TextString text(opening);
    const std::pair<const char*, int> parts[] = {{"\\pgwsxn", width},  {"\\pghsxn", height},
                                                 {"\\marglsxn", left}, {"\\margrsxn", right},
                                                 {"\\margtsxn", top},  {"\\margbsxn", bottom}};
    for (const auto& [word, value] : parts) {
        text.Append(word);
        text.AppendNumber('1', value, 0);
    }
    text.Append(closing);
    return text;
}

// The text of a block line without its leading blanks.
TextString WithoutIndent(const PreFormLine& line) {
    const LineText text = line.Layout();
    int start = 0;
    while (start < text.length && IsBlankOrTab(text.buffer[start])) ++start;
    TextString out;
    out.AssignChars(text.buffer + start, text.length - start);
    return out;
}

// Whether `text` starts with `keyword` (any case) as a whole word.
bool StartsWithKeyword(const TextString& text, const TextString& keyword) {
    if (keyword.IsEmpty() || !text.StartsWith(keyword.buffer, 0)) return false;
    const unsigned char next = static_cast<unsigned char>(text.At(keyword.length));
    return !IsAsciiAlnum(next) && next != '_';
}

}  // namespace

int UserTableDirectiveOf(const FC& set, const Context& context, const TextString& text) {
    const TextString& prefix = set.GetText(Pol::DirectiveDelimiter);
    if (prefix.IsEmpty() || !text.StartsWith(prefix.buffer, 0)) return -1;
    for (const int slot : {kDirNewRow, kDirNewCell, kDirColumnDetails})
        if (StartsWithKeyword(text, context.directives[slot])) return slot;
    return -1;
}

namespace {

LineKind KindOf(const FC& set, const Context& context, const TextString& text) {
    const TextString& prefix = set.GetText(Pol::DirectiveDelimiter);
    if (prefix.IsEmpty() || !text.StartsWith(prefix.buffer, 0)) return LineKind::Text;
    switch (UserTableDirectiveOf(set, context, text)) {
        case kDirNewRow: return LineKind::NewRow;
        case kDirNewCell: return LineKind::NewCell;
        case kDirColumnDetails: return LineKind::ColumnDetails;
        default: break;
    }
    if (StartsWithKeyword(text, context.directives[kDirLineRule]) ||
        StartsWithKeyword(text, context.directives[kDirBeginUserTable]))
        return LineKind::CellDirective;
    return LineKind::OtherDirective;
}

// The row kind of a NEW_ROW line: "head", "line", or "data" (also for any
// other word and when none is given).
RowKind RowKindOf(FC& set, const TextString& text) {
    TextString arguments(text);
    if (!ParseTagArguments(set, arguments, "NEW_ROW")) return RowKind::Data;
    TextString kind;
    if (!TryGetTagString(set, arguments, 1, kind)) return RowKind::Data;
    if (kind.Matches("head", 0, 0)) return RowKind::Head;
    if (kind.Matches("line", 0, 0)) return RowKind::Line;
    return RowKind::Data;
}

// The in-line line-break tag: start delimiter, "BR", end delimiter.
TextString LineBreakTag(const FC& set) {
    TextString tag(set.GetText(Pol::StartTagDelimiter));
    tag.Append("BR");
    tag.Append(set.GetText(Pol::EndTagDelimiter));
    return tag;
}

bool EndsWithNoCase(const TextString& text, const char* tail) {
    const int n = static_cast<int>(std::char_traits<char>::length(tail));
    if (text.length < n) return false;
    for (int i = 0; i < n; ++i)
        if (ToUpperAscii(text.buffer[text.length - n + i]) != ToUpperAscii(tail[i])) return false;
    return true;
}

// Removes one line break from the end of a cell text (blanks after it
// first); true when one was there.
bool RemoveTrailingBreak(TextString& text, bool rtf) {
    static const char* const kRtfBreaks[] = {"\\par", "\\line", nullptr};
    static const char* const kHtmlBreaks[] = {"<BR>", nullptr};
    text.Trim(1, " ");
    for (const char* const* each = rtf ? kRtfBreaks : kHtmlBreaks; *each; ++each) {
        const char* tail = *each;
        if (!EndsWithNoCase(text, tail)) continue;
        text.SubString(0, text.length - static_cast<int>(std::char_traits<char>::length(tail)));
        return true;
    }
    return false;
}

// The text of a cell as it is written: without the line breaks at its end,
// which would leave an empty line at the foot of the cell.
TextString OutputText(const TableCell& cell, bool rtf) {
    TextString text(cell.text);
    while (RemoveTrailingBreak(text, rtf)) {
    }
    text.Trim(1, " ");
    return text;
}

// The text of a cell as it reads: in-line tags and markup removed, the line
// breaks of the output format and non-breaking spaces read as blanks.
TextString ReadableText(FC& set, const TextString& text, bool rtf) {
    TextString out(text);
    RemoveInLineTags(set, nullptr, nullptr, out, out);
    if (rtf) {
        out.Replace("\\par", " ", 0, 1);
        out.Replace("\\line", " ", 0, 1);
    } else {
        out.Replace("<BR>", " ", 0, 0);
        RemoveTags(set, "<", ">", nullptr, nullptr, out, out);
        out.Replace("&nbsp;", " ", 0, 0);
    }
    out.Trim(0, " ");
    return out;
}

bool CellIsEmpty(FC& set, const TableCell& cell, bool rtf) {
    if (cell.tuMode != kCellRuleNone || cell.dotLeaders != 0 || cell.noCharacter != 0) return false;
    TextString text(cell.text);
    RemoveInLineTags(set, nullptr, "EXTRA_LEADING,FOLIO,FONT,COLOR,COLOUR,LEADING,WS", text, text);
    if (rtf) {
        text.Replace("\\par", " ", 0, 1);
        text.Replace("\\line", " ", 0, 1);
    } else {
        text.Replace("<BR>", " ", 0, 0);
        text.Replace("&nbsp;", " ", 0, 0);
    }
    text.Trim(0, " ");
    return text.IsEmpty();
}

// Width of a cell's text in points, from its font's character widths, size
// and width factor.
int NaturalWidth(FC& set, const TableCell& cell, bool rtf, bool bold) {
    static const FontSpec kDefaultFont;
    const FontSpec& font = cell.font ? *cell.font : kDefaultFont;
    const TextString text = ReadableText(set, cell.text, rtf);
    if (text.IsEmpty()) return 0;
    const int em = SumCharWidths(text.buffer, font.proportional ? 0 : 1, bold || font.bold, font.italic, 1, 0);
    const double points = static_cast<double>(em) * font.size * font.widthFactor / 1000.0;
    return static_cast<int>(std::clamp(points + 0.5, 0.0, 1.0e6));
}

// "(" row "," column ")".
TextString Position(int row, int column) {
    TextString text("(");
    text.AppendNumber('1', row, 0);
    text.Append(",");
    text.AppendNumber('1', column, 0);
    text.Append(")");
    return text;
}

// The blocks of the Context's block list include a list item.
bool InsideListItem(const Context& context) {
    const BlockList& blocks = context.documentState.blocks;
    for (int i = 0; i < blocks.Count(); ++i)
        if (blocks.GetAt(i)->type == kBlockListItem) return true;
    return false;
}

// A text written on its own outside the table: an HTML paragraph (of the
// class given, if any) or an RTF paragraph.  Tags are removed and the text
// is escaped for the output format.
void WriteLooseText(PreForm& engine, const TextString& source, const char* className) {
    FC& set = *engine.policies;
    // The lines of the text were kept with a line-break tag each.
    TextString text(source);
    text.Replace(LineBreakTag(set).buffer, " ", 0, 0);
    RemoveInLineTags(set, nullptr, nullptr, text, text);
    text.CollapseBlanks();
    text.Trim(0, " ");
    if (text.IsEmpty()) return;
    if (engine.htmlOutput && engine.htmlWriter) {
        TextString html(text);
        HTML_EscapeText(&set, html);
        TextString line(className ? "<P CLASS=\"" : "<P>");
        if (className) {
            line.Append(className);
            line.Append("\">");
        }
        line.Append(html);
        line.Append("</P>");
        Write(engine.htmlWriter, &set, line);
    }
    if (engine.rtfOutput && engine.rtfWriter) {
        TextString rtf(text);
        RTF_EscapeText(&set, rtf);
        rtf.Append("\\par");
        Write(engine.rtfWriter, &set, rtf);
    }
}

// Executes the in-line tags of a scratch line, each where it stands, as the
// output does for a line of text.  Messages of the tags are collected.
void ExecuteCellTags(FC& set, OutputDocument* document, AnalysedLine& scratch, int mode, TextString& messages,
                     int& level) {
    const TextString& start = set.GetText(Pol::StartTagDelimiter);
    const TextString& end = set.GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;
    TextString work(scratch);
    TextString tag, rest;
    int position = 0;
    while (true) {
        int from = -1, to = -1;
        if (!work.Find(position, start.buffer, &from, 0)) break;
        if (!work.Find(from + start.length, end.buffer, &to, 0)) break;
        tag.AssignSubstring(work.buffer, from, to + end.length - from);
        rest.AssignSubstring(work.buffer, to + end.length, work.length - to - end.length);
        work.SubString(0, from);
        work.Append(rest);
        position = from;
        int tagLevel = -1;
        scratch.ExecuteTag(mode, document, tag, set, messages, tagLevel);
        level = std::max(level, tagLevel);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Grids

TableCell* UserTableGrid::Add(FC* set, int row, int column, const SourcePosition& where, const FontSpec* font) {
    auto cell = std::make_unique<TableCell>(set, where, font);
    cell->row = row;
    cell->column = column;
    cell->firstRow = row;
    cell->firstColumn = column;
    cells.push_back(std::move(cell));
    return cells.back().get();
}

int UserTableGrid::OwnerAt(int row, int column) const {
    if (row < firstRow || row > lastRow || column < 1 || column > width) return -1;
    const std::vector<Run>& row_runs = runs[static_cast<size_t>(row - firstRow)];
    auto after = std::upper_bound(row_runs.begin(), row_runs.end(), column,
                                  [](int c, const Run& run) { return c < run.first; });
    if (after == row_runs.begin()) return -1;
    const Run& run = *(after - 1);
    return column <= run.last ? run.owner : -1;
}

bool ParseUserColumnWidth(const TextString& source, int* points) {
    TextString text(source);
    text.Trim(0, " ");
    int i = 0;
    bool digits = false, point = false;
    while (i < text.length) {
        const char c = text.buffer[i];
        if (IsAsciiDigit(static_cast<unsigned char>(c))) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits) return false;
    const double value = std::strtod(std::string(text.buffer, static_cast<size_t>(i)).c_str(), nullptr);
    while (i < text.length && IsBlankOrTab(text.buffer[i])) ++i;
    TextString unit;
    unit.AssignChars(text.buffer + i, text.length - i);
    double factor = 0.0;
    if (unit.IsEmpty() || unit.Matches("pt", 0, 0) || unit.Matches("pts", 0, 0))
        factor = 1.0;
    else if (unit.Matches("in", 0, 0) || unit.Matches("ins", 0, 0))
        factor = 72.0;
    else if (unit.Matches("cm", 0, 0))
        factor = 28.346456692913385;
    else
        return false;
    const double result = value * factor;
    if (!std::isfinite(result) || result > 1.0e6) return false;
    if (points) *points = static_cast<int>(std::lround(result));
    return true;
}

// ---------------------------------------------------------------------------
// Parsing the block

namespace {

// The lines of a user-table block without their indents, with their kinds.
struct BlockTexts {
    std::vector<TextString> texts;
    std::vector<LineKind> kinds;

    int Count() const { return static_cast<int>(texts.size()); }
    const TextString& Text(int i) const { return texts[static_cast<size_t>(i)]; }
    LineKind Kind(int i) const { return kinds[static_cast<size_t>(i)]; }
};

BlockTexts ReadBlockTexts(const PreForm& engine, const FC& set, const Context& context) {
    BlockTexts block;
    block.texts.reserve(engine.lines.size());
    block.kinds.reserve(engine.lines.size());
    for (const PreFormLine* line : engine.lines) {
        block.texts.push_back(WithoutIndent(*line));
        block.kinds.push_back(KindOf(set, context, block.texts.back()));
    }
    return block;
}

// What the first pass finds: the column count (the most cells in one row),
// the number of sections, and whether any column is described.
struct BlockShape {
    int columns = 0;
    int sectionCount = 0;
    bool hasDetails = false;
};

// First pass.
BlockShape MeasureBlock(FC& set, const BlockTexts& block) {
    BlockShape shape;
    int cellsInRow = 0;
    RowKind rowKind = RowKind::None;
    for (int i = 0; i < block.Count(); ++i) {
        switch (block.Kind(i)) {
            case LineKind::NewRow: {
                const RowKind kind = RowKindOf(set, block.Text(i));
                if (rowKind == RowKind::None || (kind == RowKind::Head && rowKind != RowKind::Head))
                    ++shape.sectionCount;
                rowKind = kind;
                cellsInRow = 0;
                break;
            }
            case LineKind::NewCell:
                if (rowKind == RowKind::Head || rowKind == RowKind::Data)
                    shape.columns = std::max(shape.columns, ++cellsInRow);
                break;
            case LineKind::ColumnDetails: shape.hasDetails = true; break;
            default: break;
        }
    }
    return shape;
}

// Second pass: the column descriptions, into the table configuration and
// the user-table state.
void ReadColumnDetails(PreForm& engine, FC& set, TabConfig& config, const BlockTexts& block, int columns) {
    for (int i = 0; i < block.Count(); ++i) {
        if (block.Kind(i) != LineKind::ColumnDetails) continue;
        TextString arguments(block.Text(i));
        if (!ParseTagArguments(set, arguments, "COLUMN_DETAILS")) continue;  // the parser has reported it
        int column = 0;
        if (!TryGetTagInteger(set, arguments, 1, column) || column < 1 || column > columns) {
            TextString message("TAG ERROR: No such column in COLUMN_DETAILS - ");
            message.Append(block.Text(i));
            engine.Message(message.buffer, kLevelAlways);
            continue;
        }
        ColConfig* layout = config.Column(column - 1);
        TextString value;
        int alignment = 0;
        if (TryGetTagString(set, arguments, 4, value) && TryGetTagAlignment(set, arguments, 4, alignment) &&
            alignment > 0) {
            layout->alignment = alignment;
            engine.userTable.columnAlignments[static_cast<size_t>(column - 1)] = alignment;
        }
        if (TryGetTagString(set, arguments, 5, value)) {
            int points = 0;
            if (ParseUserColumnWidth(value, &points)) {
                layout->width = points;
                engine.userTable.columnWidths[static_cast<size_t>(column - 1)] = points;
            } else {
                engine.Message("TAG ERROR: Unable to read column width", kLevelAlways);
            }
        }
    }
}

// Third pass: the cells, gathered line by line into sections (tables),
// each with a header grid and a data grid.
class CellGatherer {
public:
    CellGatherer(PreForm& owner, FC& policySet, int columnCount, int sectionCount)
        : engine(owner), set(policySet), columns(columnCount), lineBreak(LineBreakTag(policySet)) {
        sections.reserve(static_cast<size_t>(std::max(sectionCount, 1)));
    }

    void Gather(const BlockTexts& block) {
        for (int i = 0; i < block.Count(); ++i) {
            const TextString& text = block.Text(i);
            switch (block.Kind(i)) {
                case LineKind::NewRow: NewRow(i, text); break;
                case LineKind::NewCell: NewCell(i); break;
                case LineKind::ColumnDetails: break;
                case LineKind::OtherDirective: OtherDirective(i, text); break;
                case LineKind::Text: Content(text, false); break;
                case LineKind::CellDirective: Content(text, true); break;
            }
        }
    }

    std::vector<std::unique_ptr<UserTableSection>> sections;

private:
    const PreFormLine& Line(int i) const { return *engine.lines[static_cast<size_t>(i)]; }

    void NewSection() {
        sections.push_back(std::make_unique<UserTableSection>());
        section = sections.back().get();
    }

    void NewRow(int i, const TextString& text) {
        const RowKind kind = RowKindOf(set, text);
        if (rowKind == RowKind::None || (kind == RowKind::Head && rowKind != RowKind::Head)) {
            // A new table: its rows count from 1.  The text met before the
            // first row stays with the first table.
            if (!section || sectionHasRows) NewSection();
            sectionHasRows = true;
            row = 1;
        } else {
            ++row;
        }
        rowKind = kind;
        cellNumber = 0;
        cell = nullptr;
        if (kind == RowKind::Line) {
            TableCell* rule =
                section->data.Add(&set, row, 1, engine.lines.Position(static_cast<size_t>(i)), engine.LineFont(i));
            rule->text = "-------";
            rule->span = std::max(columns, 1);
            rule->lineCount = 1;
            rule->contentAdded = 1;
        }
    }

    void NewCell(int i) {
        if (section && (rowKind == RowKind::Head || rowKind == RowKind::Data)) {
            UserTableGrid& grid = rowKind == RowKind::Head ? section->header : section->data;
            cell =
                grid.Add(&set, row, ++cellNumber, engine.lines.Position(static_cast<size_t>(i)), engine.LineFont(i));
            cell->isHeaderCell = rowKind == RowKind::Head ? 1 : 0;
        } else {
            engine.Message("TAG ERROR: Can't place NEW_CELL tag here", kLevelAlways);
            cell = nullptr;
        }
    }

    void OtherDirective(int i, const TextString& text) {
        // A CHANGE_POLICY line applies from where it stands.
        if (Line(i).lineType == kStatementChangePolicy) {
            engine.ApplyPolicyLine(i);
            return;
        }
        TextString message("TAG ERROR: Ignoring directive in user table - ");
        message.Append(text);
        engine.Message(message.buffer, kLevelAlways);
    }

    // A line of text, or a LINERULE or BEGIN_USER_TABLE line, for the open
    // cell; with no cell open it is kept as the section's unplaced text.
    void Content(const TextString& text, bool directive) {
        if (cell) {
            TextString content(text);
            content.Trim(0, " ");
            if (directive) {
                engine.AddUserTableLine(cell, content);
            } else {
                engine.AddCellText(cell, content);
                cell->contentAdded = 1;
            }
            engine.AddCellText(cell, lineBreak);
            ++cell->lineCount;
            return;
        }
        TextString unplaced(text);
        unplaced.CollapseBlanks();
        unplaced.Trim(0, " ");
        // A blank line between cells holds nothing to place.
        if (unplaced.IsEmpty()) return;
        TextString message("TAG ERROR: No NEW_CELL definition for \"");
        message.Append(text);
        message.Append("\"");
        engine.Message(message.buffer, kLevelAlways);
        if (!section) NewSection();
        section->unplacedText.Append(unplaced);
        section->unplacedText.Append(lineBreak);
    }

    PreForm& engine;
    FC& set;
    const int columns;
    const TextString lineBreak;
    UserTableSection* section = nullptr;
    bool sectionHasRows = false;
    TableCell* cell = nullptr;
    int row = 0;
    int cellNumber = 0;
    RowKind rowKind = RowKind::None;
};

}  // namespace

void PreForm::ParseUserTable() {
    if (!policies || !policies->context) return;
    FC& set = *policies;
    Context& context = *set.context;
    if (htmlOutput && !htmlWriter) {
        Message("PROGRAM ERROR : No HTMLFile inside ParseUserTable", kLevelAlways);
        return;
    }
    if (rtfOutput && !rtfWriter) {
        Message("PROGRAM ERROR : No RTFFile inside ParseUserTable", kLevelAlways);
        return;
    }
    TabConfig* config = ConfigOf(*this);
    if (!config) return;
    // The policy set's default configuration serves every later table: what
    // this table lays out in it is given back at the end.
    std::unique_ptr<TabConfig> saved;
    if (config == set.GetDefaultTabConfig()) saved = std::make_unique<TabConfig>(*config);

    context.RegisterDirectiveKeywords(&set);
    int indentLevel = 0;
    if (htmlOutput) {
        int position = config->indentPosition;
        if (position < 0) position = smallestIndent >= 0 && smallestIndent < 80 ? smallestIndent : 0;
        indentLevel = set.GetIndentLevel(position);
    }

    const BlockTexts block = ReadBlockTexts(*this, set, context);
    const BlockShape shape = MeasureBlock(set, block);

    // The columns, and the user-table state of a fresh table.
    const int columns = shape.columns;
    userTable.columns = columns;
    config->SetColumnCount(columns, nullptr);
    this->columns.clear();
    columnCount = 0;
    cellRow.Clear();
    for (int c = 0; c < columns; ++c) AddColumn(0, 0, 0, -1);
    userTable.columnWidths.assign(static_cast<size_t>(columns), 0);
    userTable.columnAlignments.assign(static_cast<size_t>(columns), 0);
    userTable.textAfterTable.MakeEmpty();
    userTable.landscape = 0;

    if (shape.hasDetails) ReadColumnDetails(*this, set, *config, block, columns);
    CellGatherer gatherer(*this, set, columns, shape.sectionCount);
    gatherer.Gather(block);

    // Writing: each section, then the end of the table.
    int started = 0;
    for (const std::unique_ptr<UserTableSection>& each : gatherer.sections)
        OutputUserTable(&started, indentLevel, each.get());
    if (started) {
        OutputUserTableEnd();
    } else if (!userTable.textAfterTable.IsEmpty()) {
        WriteLooseText(*this, userTable.textAfterTable, nullptr);
        userTable.textAfterTable.MakeEmpty();
    }
    if (saved) *config = *saved;
}

void PreForm::AddUserTableLine(TableCell* cell, const TextString& line) {
    if (!policies) return;
    if (!cell) {
        TextString message("PROGRAM ERROR: No cell definition for \"");
        message.Append(line);
        message.Append("\"");
        Message(message.buffer, kLevelAlways);
        return;
    }
    FC& set = *policies;
    // The directive makes its own break (a rule), so the break after the
    // line before goes.
    if (htmlOutput) RemoveTrailingBreak(cell->text, false);
    cell->contentAdded = 1;

    const TextString& start = set.GetText(Pol::StartTagDelimiter);
    const TextString& prefix = set.GetText(Pol::DirectiveDelimiter);
    int cut = line.length;
    if (!start.IsEmpty()) line.Find(0, start.buffer, &cut, 1);
    if (cut < 0) cut = line.length;
    TextString directive;
    directive.AssignChars(line.buffer, cut);
    if (!prefix.IsEmpty() && directive.StartsWith(prefix.buffer, 0))
        directive.SubString(prefix.length, directive.length - prefix.length);
    directive.Trim(0, " ");
    TextString tag(start);
    tag.Append(directive);
    tag.Append(set.GetText(Pol::EndTagDelimiter));
    AddCellText(cell, tag);

    if (cut < line.length) {
        Message("WARNING: Inline tags found on directive line", kLevelAlways);
        TextString rest;
        rest.AssignChars(line.buffer + cut, line.length - cut);
        AddCellText(cell, rest);
    }
}

void PreForm::AddCellText(TableCell* cell, const TextString& text) {
    if (!cell || !policies) return;
    FC& set = *policies;
    Context* context = set.context;
    OutputDocument* document = htmlOutput ? htmlWriter : rtfWriter;
    const bool rtf = !htmlOutput && rtfOutput;

    TextString converted(text);
    if (htmlOutput)
        HTML_EscapeText(&set, converted);
    else if (rtfOutput)
        RTF_EscapeText(&set, converted);
    if (context) {
        const TabConfig* config = ConfigOf(*this);
        const int references = config && config->GetInt(TabPol::ConvertXRefs) ? 1 : 0;
        const int savedLocation = context->trackers.codeLocation;
        context->trackers.codeLocation = kWritingOutput;
        AnalysedLine scratch;
        scratch.SetText(converted.buffer);
        scratch.position = cell->position;
        scratch.originPosition = cell->position;
        context->trackers.output.position = cell->position;
        scratch.ConvertForOutput(set, nullptr, 1, references, 1, 0, 1, 1);
        TextString messages;
        int level = -1;
        ExecuteCellTags(set, document, scratch, rtf ? 5 : 0, messages, level);
        converted.AssignChars(scratch.buffer, scratch.length);
        context->ForgetLine(&scratch);
        context->trackers.codeLocation = savedLocation;
        if (!messages.IsEmpty()) Message(messages.buffer, level >= 0 ? level : kLevelAlways);
    }
    if (converted.IsEmpty()) return;
    // Texts are joined with a blank; after a line break none is needed.
    const char* lineBreak = rtf ? "\\par" : "<BR>";
    if (!cell->text.IsEmpty() && !EndsWithNoCase(cell->text, rtf ? "\\par " : "<BR>") &&
        !EndsWithNoCase(cell->text, " ") && !converted.StartsWith(lineBreak, 0))
        cell->text.AppendChar(' ');
    cell->text.Append(converted);
}

// ---------------------------------------------------------------------------
// Writing one section

namespace {

// The page of the RTF document: its size and margins.
struct PageGeometry {
    int width = 0, height = 0, top = 0, bottom = 0, left = 0, right = 0;
};

PageGeometry ReadPageGeometry(FC& set) {
    PageGeometry page;
    RTF_GetPaperSize(&set, &page.width, &page.height);
    RTF_GetMargins(&set, &page.top, &page.bottom, &page.left, &page.right);
    return page;
}

// 1. The natural width of each column not given one: its widest text.
void SetNaturalWidths(const PreForm& engine, FC& set, TabConfig& config, const UserTableSection& section,
                      bool rtfText) {
    const int tableColumns = config.columnCount;
    const std::vector<int>& givenWidths = engine.userTable.columnWidths;
    std::vector<int> widest(static_cast<size_t>(tableColumns), 0);
    for (const UserTableGrid* grid : {&section.header, &section.data}) {
        for (const std::unique_ptr<TableCell>& cell : grid->cells) {
            if (cell->span > 1 || cell->column < 1 || cell->column > tableColumns) continue;
            int& w = widest[static_cast<size_t>(cell->column - 1)];
            w = std::max(w, NaturalWidth(set, *cell, rtfText, grid == &section.header));
        }
    }
    for (int c = 0; c < tableColumns; ++c) {
        const int given = c < static_cast<int>(givenWidths.size()) ? givenWidths[static_cast<size_t>(c)] : 0;
        config.Column(c)->width = given > 0 ? given : widest[static_cast<size_t>(c)] + kNaturalWidthMargin;
    }
}

// 2. RTF page fitting, once per table: a table wider than the page between
// its margins moves its left margin, or is set in a landscape section of its
// own.
void FitUserTableToPage(PreForm& engine, FC& set, const TabConfig& config, const PageGeometry& page) {
    const int tableColumns = config.columnCount;
    long width = engine.tableMargin != 0
                     ? std::max(static_cast<long>(engine.tableMargin) * 20, static_cast<long>(108 - page.left))
                     : static_cast<long>(engine.userTable.indentLevel) * 360 - 108;
    for (int c = 0; c < tableColumns; ++c) width += static_cast<long>(engine.GetSpanWidth(nullptr, 1, c, 1)) * 20;
    if (width <= page.width - page.left - page.right) return;
    const char* message = nullptr;
    long against = page.width;
    if (width < page.width) {
        engine.tableMargin += static_cast<int>((page.width - 2L * page.left - width) / 40);
        message = "WARNING: Adjusting margin to fit table";
    } else if (IsOn(&set, Pol::UseLandscapeMode)) {
        engine.tableMargin = 108 - page.left;
        message = "ERROR: Table won't fit, even in Landscape.  Choose a smaller table font";
    } else {
        engine.userTable.landscape = 1;
        if (width < page.height - page.left) {
            message = "WARNING: Setting table in Landscape mode";
            against = page.height - page.left;
        } else if (width < page.height) {
            engine.tableMargin +=
                static_cast<int>((static_cast<long>(page.height) - page.left - page.right - width) / 40);
            message = "WARNING: Switch to Landscape and adjusting margin to fit table";
            against = page.height;
        } else {
            engine.tableMargin = 108 - page.left;
            message = "ERROR: Table won't fit, even in Landscape.  Choose a smaller table font";
            against = page.height;
        }
    }
    engine.Message(message, kLevelAlways);
    const std::string console =
        "Total page width = " + std::to_string(width) + " cf. " + std::to_string(against) + "\n";
    std::fwrite(console.data(), 1, console.size(), stderr);
}

// 4. The table start: HTML keeps the indent of the text around the table
// and writes the table tag; RTF opens the landscape section, if the table
// needs one, and the table's group.
void StartUserTable(PreForm& engine, FC& set, int indentLevel, const PageGeometry& page) {
    if (engine.htmlOutput && engine.htmlWriter) {
        Context* context = set.context;
        engine.userTable.savedIndent = context ? context->documentState.currentIndentLevel : 0;
        engine.userTable.inListItem = context && InsideListItem(*context) ? 1 : 0;
        HTML_ChangeIndentLevel(engine.htmlWriter, indentLevel, &set);
        Write(engine.htmlWriter, &set, "<!-- User-specified TAGGED TABLE -->");
        engine.OutputUserTableStart();
    }
    if (engine.rtfOutput && engine.rtfWriter) {
        if (engine.userTable.landscape) {
            Write(engine.rtfWriter, &set, "\\par \\sect");
            Write(engine.rtfWriter, &set,
                  SectionText("\\sectd \\lndscpsxn\\psz9", page.height, page.width, page.left, page.right, page.top,
                              page.bottom, "\\linex0\\headery709\\footery709\\colsx709\\endnhere"));
        }
        engine.OutputRtfCaption();
        Write(engine.rtfWriter, &set, "{");
    }
}

// 5. The alignment of each cell: its column's given alignment, else right
// for a number and left for anything else.
void SetCellAlignments(const PreForm& engine, FC& set, UserTableSection& section, bool rtfText) {
    const std::vector<int>& givenAlignments = engine.userTable.columnAlignments;
    for (UserTableGrid* grid : {&section.header, &section.data}) {
        for (const std::unique_ptr<TableCell>& cell : grid->cells) {
            const int c = cell->column - 1;
            const int given =
                c >= 0 && c < static_cast<int>(givenAlignments.size()) ? givenAlignments[static_cast<size_t>(c)] : 0;
            if (given > 0) {
                cell->alignment = given;
            } else {
                cell->valueKind = ClassifyDataValue(&set, 1, ReadableText(set, cell->text, rtfText));
                cell->alignment = cell->valueKind == 2 ? 3 : 1;
            }
        }
    }
}

}  // namespace

void PreForm::OutputUserTable(int* started, int indentLevel, UserTableSection* section) {
    if (!policies || !started || !section) return;
    FC& set = *policies;
    TabConfig* config = ConfigOf(*this);
    if (!config) return;
    const bool html = htmlOutput && htmlWriter;
    const bool rtf = rtfOutput && rtfWriter;
    const bool rtfText = !htmlOutput && rtfOutput;
    UserTableGrid& header = section->header;
    UserTableGrid& data = section->data;
    userTable.indentLevel = indentLevel;

    const bool placedHeader = !header.cells.empty() && PlaceUserTableCells(&header, 1);
    const bool placedData = !data.cells.empty() && PlaceUserTableCells(&data, 0);
    if (!placedHeader && !placedData) {
        // Nothing of this section is written; its loose text goes after the
        // table.
        if (!section->unplacedText.IsEmpty()) {
            userTable.textAfterTable.Append(section->unplacedText);
            if (*started) Message("INFO: Moving unplaced text to end to table", kLevelAlways);
            section->unplacedText.MakeEmpty();
        }
        return;
    }

    // 1. The natural widths of the columns.
    SetNaturalWidths(*this, set, *config, *section, rtfText);

    // 2. RTF page fitting, once per table.
    const PageGeometry page = ReadPageGeometry(set);
    if (rtf && !*started) FitUserTableToPage(*this, set, *config, page);

    // 3. Text met where no cell was open.
    if (!section->unplacedText.IsEmpty()) {
        if (*started) {
            userTable.textAfterTable.Append(section->unplacedText);
            Message("INFO: Moving unplaced text to end to table", kLevelAlways);
        } else {
            WriteLooseText(*this, section->unplacedText, "pretable");
        }
        section->unplacedText.MakeEmpty();
    }

    // 4. The table start.
    if (!*started) {
        StartUserTable(*this, set, indentLevel, page);
        *started = 1;
    }

    // 5. Alignments, the table's vertical alignment, then the rows.
    SetCellAlignments(*this, set, *section, rtfText);
    // Rows whose cells all hold one line sit in the middle; a cell of
    // several lines makes the table's rows start at the top.
    config->defaultVAlignment = 3;
    for (const std::unique_ptr<TableCell>& cell : data.cells)
        if (cell->lineCount > 1) config->defaultVAlignment = 1;

    struct Part {
        UserTableGrid* grid;
        int isHeader;
        bool placed;
    };
    for (const Part& part : {Part{&header, 1, placedHeader}, Part{&data, 0, placedData}}) {
        if (!part.placed) continue;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 0 && !html) continue;
            if (pass == 1 && !rtf) continue;
            std::fill(part.grid->written.begin(), part.grid->written.end(), 0);
            if (pass == 0)
                OutputUserTableRows(part.grid, part.isHeader);
            else
                OutputUserTableRtfRows(part.grid, part.isHeader);
            for (size_t k = 0; k < part.grid->cells.size(); ++k) {
                if (part.grid->written[k]) continue;
                const TableCell& cell = *part.grid->cells[k];
                TextString message("PROGRAM ERROR: Failed to output cell at ");
                message.Append(Position(cell.row, cell.column));
                message.Append(" \"");
                message.Append(cell.text);
                message.Append("\"");
                Message(message.buffer, kLevelAlways);
            }
        }
    }
}

int PreForm::PlaceUserTableCells(UserTableGrid* grid, int /*isHeader: both grids are placed alike*/) {
    if (!policies || !grid) return 0;
    FC& set = *policies;
    const bool rtf = !htmlOutput && rtfOutput;
    std::vector<std::unique_ptr<TableCell>>& cells = grid->cells;
    grid->runs.clear();
    grid->rowCells.clear();
    grid->written.clear();
    grid->firstRow = 0;
    grid->lastRow = -1;
    grid->width = 0;
    if (cells.empty()) return 0;

    // Rows and columns count from 1: a cell before them cannot be placed and
    // is dropped before its numbers are used as positions.
    int smallest = cells.front()->row;
    for (const std::unique_ptr<TableCell>& cell : cells) smallest = std::min(smallest, cell->row);
    if (smallest < 1) {
        TextString message("WARNING: Negative row numbers ");
        message.AppendNumber('1', smallest, 0);
        message.Append(":0 will be discarded!!");
        Message(message.buffer, kLevelAlways);
    }
    for (const std::unique_ptr<TableCell>& cell : cells) {
        if (cell->row < 1 || cell->column >= 1) continue;
        TextString message("WARNING: Column number ");
        message.AppendNumber('1', cell->column, 0);
        message.Append(" in row ");
        message.AppendNumber('1', cell->row, 0);
        message.Append(" will be discarded");
        Message(message.buffer, kLevelAlways);
    }
    std::erase_if(cells, [](const std::unique_ptr<TableCell>& cell) { return cell->row < 1 || cell->column < 1; });
    if (cells.empty()) return 0;

    bool allEmpty = true;
    for (const std::unique_ptr<TableCell>& cell : cells)
        if (!CellIsEmpty(set, *cell, rtf)) allEmpty = false;
    if (allEmpty) {
        TextString message("WARNING: Empty data section detected - discarding (");
        message.AppendNumber('1', static_cast<int>(cells.size()), 0);
        message.Append(" cells)");
        Message(message.buffer, kLevelAlways);
        return 0;
    }

    int first = cells.front()->row, last = first;
    for (const std::unique_ptr<TableCell>& cell : cells) {
        first = std::min(first, cell->row);
        last = std::max(last, cell->row);
    }
    // Spans end at the edges of the table.
    const int tableColumns = std::max(userTable.columns, 0);
    int used = 0;
    for (const std::unique_ptr<TableCell>& cell : cells) {
        if (cell->span < 1) cell->span = 1;
        if (cell->rowSpan < 1) cell->rowSpan = 1;
        // A span reaching past the table is cut back to its edge.
        auto clip = [&](int& span, int first, int edge, const char* what) {
            if (span <= 1 || first + span - 1 <= edge) return;
            const int clipped = std::max(1, edge - first + 1);
            TextString message("WARNING: Cell ");
            message.Append(Position(cell->row, cell->column));
            message.Append(what);
            message.AppendNumber('1', clipped, 0);
            Message(message.buffer, kLevelAlways);
            span = clipped;
        };
        clip(cell->span, cell->column, tableColumns, " spans past the last column - column span cut to ");
        clip(cell->rowSpan, cell->row, last, " spans past the last row - row span cut to ");
        used = std::max(used, cell->column + cell->span - 1);
    }
    if (used < tableColumns) {
        TextString message("WARNING: Only found data for ");
        message.AppendNumber('1', used, 0);
        message.Append(" of the expected ");
        message.AppendNumber('1', tableColumns, 0);
        message.Append(" columns");
        Message(message.buffer, kLevelAlways);
    }

    // The occupancy map, wide enough for the table and for every cell.  A
    // position keeps the first cell that claims it; a later cell takes the
    // free positions of its area only.
    grid->firstRow = first;
    grid->lastRow = last;
    grid->width = std::max(tableColumns, used);
    const size_t rows = static_cast<size_t>(last - first) + 1;
    grid->runs.assign(rows, {});
    grid->rowCells.assign(rows, {});
    grid->written.assign(cells.size(), 0);
    // Cells in reading order: by row, then by column.
    std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
        return a->row != b->row ? a->row < b->row : a->column < b->column;
    });
    for (size_t k = 0; k < cells.size(); ++k) {
        const TableCell& cell = *cells[k];
        grid->rowCells[static_cast<size_t>(cell.row - first)].push_back(static_cast<int>(k));
        bool clash = false;
        const int end = cell.column + cell.span - 1;
        for (int r = cell.row; r < cell.row + cell.rowSpan; ++r) {
            std::vector<UserTableGrid::Run>& row = grid->runs[static_cast<size_t>(r - first)];
            // The runs of the row that meet the cell's columns, and the free
            // gaps between them.
            auto at = std::lower_bound(row.begin(), row.end(), cell.column,
                                       [](const UserTableGrid::Run& run, int c) { return run.last < c; });
            std::vector<UserTableGrid::Run> free;
            int c = cell.column;
            for (auto it = at; it != row.end() && it->first <= end; ++it) {
                if (!clash) {
                    clash = true;
                    TextString message("ERROR: Data overlap at cell ");
                    message.Append(Position(r, std::max(c, it->first)));
                    Message(message.buffer, kLevelAlways);
                }
                if (c < it->first) free.push_back({c, it->first - 1, static_cast<int>(k)});
                c = it->last + 1;
            }
            if (c <= end) free.push_back({c, end, static_cast<int>(k)});
            for (const UserTableGrid::Run& run : free) {
                auto place = std::lower_bound(row.begin(), row.end(), run.first,
                                              [](const UserTableGrid::Run& each, int f) { return each.first < f; });
                row.insert(place, run);
            }
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------
// HTML

void PreForm::OutputUserTableStart() {
    if (!policies || !htmlOutput || !htmlWriter) return;
    FC& set = *policies;
    Context* context = set.context;
    TabConfig* config = ConfigOf(*this);
    if (!config) return;

    TextString tag;
    engine_support::AppendTableOpening(tag, TableAlignment(), context);

    // Width: the columns' widths and spacings, or the width the layout
    // specifies.
    if (config->GetInt(TabPol::AddTableWidth)) {
        long sum = config->extraWidth;
        for (int c = 0; c < config->columnCount; ++c) {
            const ColConfig* column = config->Column(c);
            if (column && !column->hidden) sum += column->GetWidth(0) + column->GetSpacing(0);
        }
        sum = std::clamp(sum, 0L, 1L << 30);
        config->totalWidth = static_cast<int>(sum);
        if (config->specifiedWidth > 0 && config->widthIsPercent) {
            tag.Append(" WIDTH=\"");
            tag.AppendNumber('1', config->specifiedWidth, 0);
            tag.Append("%\"");
        } else {
            long width = sum;
            if (config->specifiedWidth > 0) {
                if (config->specifiedWidth < sum) {
                    TextString message("WARNING: Specified Table width ");
                    message.AppendNumber('1', config->specifiedWidth, 0);
                    message.Append(" is less than the sum of column widths ");
                    message.AppendNumber('1', static_cast<int>(sum), 0);
                    Message(message.buffer, kLevelAlways);
                }
                width = config->specifiedWidth;
            }
            tag.Append(" WIDTH=");
            if (config->GetInt(TabPol::UsePercentageWidths) && width <= 810) {
                TextString percent;
                FormatPercentWidth(&set, static_cast<int>(width), &percent, 800);
                tag.Append(percent);
            } else {
                tag.AppendNumber('1', static_cast<int>(width), 0);
            }
        }
    } else {
        engine_support::AppendTableWidth(tag, *config);
    }

    const int border = config->IsSet(TabPol::BorderSize) ? config->GetInt(TabPol::BorderSize) : 0;
    tag.Append(" BORDER=");
    tag.AppendNumber('1', border > 0 ? border : 0, 0);
    const int spacing = config->IsSet(TabPol::CellSpacing) ? std::max(0, config->GetInt(TabPol::CellSpacing)) : 0;
    const int padding =
        config->IsSet(TabPol::CellPadding) ? std::max(0, config->GetInt(TabPol::CellPadding)) : (border > 0 ? 4 : 0);
    tag.Append(" CELLSPACING=");
    tag.AppendNumber('1', spacing, 0);
    tag.Append(" CELLPADDING=");
    tag.AppendNumber('1', padding, 0);

    engine_support::AppendTableColours(tag, *config, &set);
    tag.Append(">");
    if (context)
        context->documentState.blocks.Add(&set, htmlWriter, tag);
    else
        Write(htmlWriter, &set, tag);
    if (const TextString caption = engine_support::HtmlCaptionLine(*config, &set); !caption.IsEmpty())
        Write(htmlWriter, &set, caption);
}

void PreForm::OutputUserTableRows(UserTableGrid* grid, int isHeader) {
    if (!policies || !grid || !htmlWriter) return;
    FC& set = *policies;
    const TabConfig* config = ConfigOf(*this);
    const bool minimise = IsOn(&set, Pol::MinimiseHTMLFileSize);
    const int headerColumns = config ? config->GetInt(TabPol::HeaderCols) : 0;
    std::vector<std::unique_ptr<TableCell>>& cells = grid->cells;

    for (int r = grid->firstRow; r <= grid->lastRow; ++r) {
        const std::vector<int>& starting = grid->rowCells[static_cast<size_t>(r - grid->firstRow)];
        const std::vector<UserTableGrid::Run>& runs = grid->runs[static_cast<size_t>(r - grid->firstRow)];
        if (runs.empty()) continue;
        bool empty = true;
        for (int k : starting)
            if (!CellIsEmpty(set, *cells[static_cast<size_t>(k)], false)) empty = false;
        if (empty && !isHeader) {
            for (int k : starting) grid->written[static_cast<size_t>(k)] = 1;
            continue;
        }

        // The row tag.
        TextString tag(minimise ? "<TR" : "  <TR");
        int rowVAlign = 2;
        if (isHeader) {
            tag.Append(" VALIGN=\"BOTTOM\"");
            dataRowCount = 0;
        } else {
            ++dataRowCount;
            const bool odd = dataRowCount % 2 == 1;
            if (config && config->GetInt(TabPol::ColourDataRows)) {
                const TextString& colour = config->GetText(odd ? TabPol::OddRowColour : TabPol::EvenRowColour);
                if (!IsOn(&set, Pol::SuppressAllColourMarkup)) AppendHTMLColourAttribute(tag, "BGCOLOR", colour);
            } else if (set.GetInt(Pol::HTMLVersion) > 1 && IsOn(&set, Pol::LabelStyleClasses)) {
                tag.Append(odd ? " CLASS=\"OddRow\"" : " CLASS=\"EvenRow\"");
            }
            rowVAlign = config ? config->defaultVAlignment : 1;
            if (config && config->rowsCarryVAlign) {
                for (int k : starting) {
                    const int own = cells[static_cast<size_t>(k)]->vAlignment;
                    if (own != 0) {
                        rowVAlign = own;
                        break;
                    }
                }
            }
            switch (rowVAlign) {
                case 0:
                case 1: tag.Append(" VALIGN=\"TOP\""); break;
                case 2: tag.Append(" VALIGN=\"BOTTOM\""); break;
                case 3: break;
                default: {
                    TextString message("UNSUPPORTED CASE: Vertical alignment code ");
                    message.AppendNumber('1', rowVAlign, 0);
                    Message(message.buffer, kLevelAlways);
                    break;
                }
            }
        }
        if (tag.length + 1 > kLongRowTag) {
            Write(htmlWriter, &set, tag);
            Write(htmlWriter, &set, ">");
        } else {
            tag.Append(">");
            Write(htmlWriter, &set, tag);
        }

        // The cells in column order; a gap between cells is written as
        // empty cells, so that the cells after it keep their columns.
        const TableCell* previous = nullptr;
        TextString text, gutter, stub;
        int p = 1;
        for (const UserTableGrid::Run& run : runs) {
            for (; p < run.first; ++p) {
                TableCell filler(&set, SourcePosition(), LineFont(0));
                filler.row = r;
                filler.column = p;
                text.MakeEmpty();
                gutter.MakeEmpty();
                stub.MakeEmpty();
                OutputHtmlCell(rowVAlign, 0, p, previous, &filler, &gutter, &stub, &text, 0, isHeader,
                               p - 1 < headerColumns ? 1 : 0, 0);
            }
            p = run.last + 1;
            TableCell* cell = cells[static_cast<size_t>(run.owner)].get();
            // Covered by a cell above, or the rest of a cell that another
            // cell cut into.
            if (cell->row != r || cell->column != run.first) continue;
            const int span = run.last - run.first + 1;
            if (span < cell->span) {
                TextString message("ERROR: Cell overlap detected at ");
                message.Append(Position(r, run.last + 1));
                Message(message.buffer, kLevelAlways);
            }
            text = OutputText(*cell, false);
            gutter = cell->gutterText;
            stub = cell->stubText;
            int isRule = text.view().find("<HR") != std::string_view::npos ? 1 : 0;
            if (!isRule && cell->lineCount == 1 && text.length > 3 && IsRuleLine(text.buffer)) {
                text = "<HR NOSHADE>";
                isRule = 1;
            }
            const int vAlign = cell->vAlignment == rowVAlign ? 0 : cell->vAlignment;
            const int fullSpan = cell->span;
            cell->span = span;
            OutputHtmlCell(rowVAlign, vAlign, run.first, previous, cell, &gutter, &stub, &text, isRule, isHeader,
                           run.first - 1 < headerColumns ? 1 : 0, cell->leading);
            cell->span = fullSpan;
            grid->written[static_cast<size_t>(run.owner)] = 1;
            previous = cell;
        }
        // A cell whose place another cell took.
        for (int k : starting) {
            const TableCell& cell = *cells[static_cast<size_t>(k)];
            if (grid->OwnerAt(r, cell.column) == k) continue;
            TextString message("ERROR: Cell overlap detected at ");
            message.Append(Position(r, cell.column));
            Message(message.buffer, kLevelAlways);
            grid->written[static_cast<size_t>(k)] = 1;
        }
        Write(htmlWriter, &set, minimise ? "</TR>" : "  </TR>");
    }
}

// ---------------------------------------------------------------------------
// RTF

void PreForm::OutputUserTableRtfRows(UserTableGrid* grid, int isHeader) {
    if (!policies || !grid || !rtfWriter) return;
    FC& set = *policies;
    const TabConfig* config = ConfigOf(*this);
    const int headerColumns = config ? config->GetInt(TabPol::HeaderCols) : 0;
    const bool winHelp = IsOn(&set, Pol::MakeWindowsHelpSource);
    int top = 0, bottom = 0, left = 0, right = 0;
    RTF_GetMargins(&set, &top, &bottom, &left, &right);
    const long offset = tableMargin != 0
                            ? std::max(static_cast<long>(tableMargin) * 20, static_cast<long>(108 - left))
                            : static_cast<long>(userTable.indentLevel) * 360 - 108;
    std::vector<std::unique_ptr<TableCell>>& cells = grid->cells;

    const char* vAlignment = "";
    if (isHeader) {
        vAlignment = "\\clvertalb";
    } else {
        const int code = config ? config->defaultVAlignment : 1;
        if (code == 2) {
            vAlignment = "\\clvertalb";
        } else if (code == 3) {
            vAlignment = "\\clvertalc";
        } else if (code != 0 && code != 1) {
            TextString message("UNSUPPORTED CASE: Vertical alignment code");
            message.AppendNumber('1', code, 0);
            Message(message.buffer, kLevelAlways);
        }
    }

    for (int r = grid->firstRow; r <= grid->lastRow; ++r) {
        const std::vector<int>& starting = grid->rowCells[static_cast<size_t>(r - grid->firstRow)];
        bool empty = true;
        for (int k : starting)
            if (!CellIsEmpty(set, *cells[static_cast<size_t>(k)], true)) empty = false;
        if (empty) {
            TextString message("INFO: Discarding empty ");
            message.Append(isHeader ? "header row No." : "data row No.");
            message.AppendNumber('1', r, 0);
            Message(message.buffer, kLevelBlockNote);
            for (int k : starting) grid->written[static_cast<size_t>(k)] = 1;
            continue;
        }

        // The cell definitions; each entry is the cell written at that
        // place, or none for a place that is covered or holds no cell.
        std::vector<TextString> definitions;
        std::vector<TableCell*> entries;
        long running = 0;
        auto define = [&](const char* merge, int column, int span, TableCell* written) {
            TextString definition(merge);
            definition.Append(vAlignment);
            running += GetSpanWidth(written, 1, column - 1, span);
            definition.Append("\\cellx");
            definition.AppendNumber('1', static_cast<int>(std::clamp(offset + running * 20, -(1L << 30), 1L << 30)),
                                    0);
            definitions.push_back(definition);
            entries.push_back(written);
        };
        int p = 1;
        for (const UserTableGrid::Run& run : grid->runs[static_cast<size_t>(r - grid->firstRow)]) {
            for (; p < run.first; ++p) define("", p, 1, nullptr);
            p = run.last + 1;
            TableCell* cell = cells[static_cast<size_t>(run.owner)].get();
            const int span = run.last - run.first + 1;
            if (cell->column != run.first) {
                define("", run.first, span, nullptr);  // the rest of a cell another cell cut into
            } else if (cell->row < r) {
                define("\\clvmrg", run.first, span, nullptr);
            } else {
                define(cell->rowSpan > 1 ? "\\clvmgf" : "", run.first, span, cell);
                grid->written[static_cast<size_t>(run.owner)] = 1;
            }
        }

        Write(rtfWriter, &set, "");
        TextString line("\\trowd \\trgaph108\\trleft");
        line.AppendNumber('1', static_cast<int>(offset), 0);
        Write(rtfWriter, &set, line);
        for (const TextString& definition : definitions) Write(rtfWriter, &set, definition);
        const bool loose = (!isHeader && r == grid->lastRow) || lineCount >= kLooseBlockLines || winHelp;
        line = loose ? "\\widctlpar\\intbl\\adjustright" : "\\keepn\\widctlpar\\intbl\\adjustright";
        line.Append("{");
        Write(rtfWriter, &set, line);
        for (TableCell* cell : entries) {
            if (cell)
                OutputRtfCell(cell, isHeader, cell->column - 1 < headerColumns ? 1 : 0);
            else
                Write(rtfWriter, &set, "\\cell");
        }
        Write(rtfWriter, &set, "}\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row }");
    }
}

void PreForm::OutputRtfCell(TableCell* cell, int isHeaderRow, int isHeaderColumn) {
    if (!policies || !cell || !rtfWriter) return;
    FC& set = *policies;
    const TabConfig* config = ConfigOf(*this);
    const FontSpec* tableFont = LineFont(0);
    const int size = tableFont ? tableFont->size : 10;
    const bool bold = isHeaderRow || isHeaderColumn || (tableFont && tableFont->bold);
    const bool italic = tableFont && tableFont->italic;

    // The font size ends with a blank so that a text starting with a digit
    // is not read as part of the number.
    TextString opening("\\fs");
    opening.AppendNumber('1', size * 2, 0);
    opening.Append(" ");
    TextString closing;
    if (bold) {
        opening.Append("\\b ");
        closing.Append("\\b0 ");
    }
    if (italic) {
        opening.Append("\\i ");
        closing.Insert(0, "\\i0 ");
    }
    TextString text = OutputText(*cell, true);
    const ColConfig* layout = config ? config->Column(cell->column - 1) : nullptr;
    if (!cell->gutterText.IsEmpty()) {
        const ColConfig* next = config ? config->Column(cell->column) : nullptr;
        const int nextOffset = std::max(next ? next->GetOffset(1) : 0, 10);
        const int tab = (GetSpanWidth(cell, 1, cell->column - 1, cell->span) - nextOffset) * 20 - 30;
        opening.Append("\\tqr\\tx");
        opening.AppendNumber('1', tab, 0);
        opening.Append("\\tx");
        opening.AppendNumber('1', tab + 30, 0);
        TextString joined(cell->gutterText);
        joined.Append("\\tab ");
        joined.Append(text);
        joined.Append("\\tab ");
        text = joined;
    } else {
        // The cell's own alignment already holds the column's COLUMN_DETAILS
        // alignment where one was given, else the one its content suggests
        // (the column record alone would make every cell without details
        // left-aligned).
        int alignment = config ? config->GetInt(TabPol::CellAlignment) : 0;
        if (alignment == kAlignmentNone) alignment = cell->alignment;
        if (alignment == kAlignmentNone && layout) alignment = layout->alignment;
        if (alignment == kAlignmentCentre) opening.Append("\\qc ");
        if (alignment == kAlignmentRight) opening.Append("\\qr ");
    }
    TextString line("{");
    line.Append(opening);
    line.Append(text);
    line.Append(closing);
    line.Append("\\cell}");
    Write(rtfWriter, &set, line);
}

// ---------------------------------------------------------------------------
// The end of the table

void PreForm::OutputUserTableEnd() {
    if (!policies) return;
    FC& set = *policies;
    Context* context = set.context;
    if (htmlOutput && htmlWriter) {
        TextString end("</TABLE>");
        if (TableAlignment() != 1) end.Append("</DIV>");
        if (context)
            context->documentState.blocks.Decrement(&set, htmlWriter, end);
        else
            Write(htmlWriter, &set, end);
        Write(htmlWriter, &set, "<!-- end of user-specified TAGGED TABLE -->");
    }
    if (rtfOutput && rtfWriter) Write(rtfWriter, &set, "}");

    if (!userTable.textAfterTable.IsEmpty()) {
        WriteLooseText(*this, userTable.textAfterTable, nullptr);
        userTable.textAfterTable.MakeEmpty();
    }

    if (htmlOutput && htmlWriter) {
        // The text around the table goes on at its own list level, inside
        // its list item.
        HTML_ChangeIndentLevel(htmlWriter, userTable.savedIndent, &set);
        if (userTable.inListItem && context) {
            TextString paragraph("<P CLASS=\"bullet par2\">");
            context->documentState.blocks.Add(&set, htmlWriter, paragraph);
        }
    }
    if (rtfOutput && rtfWriter && userTable.landscape) {
        int pageWidth = 0, pageHeight = 0, top = 0, bottom = 0, left = 0, right = 0;
        RTF_GetPaperSize(&set, &pageWidth, &pageHeight);
        RTF_GetMargins(&set, &top, &bottom, &left, &right);
        Write(rtfWriter, &set, "\\par \\sect");
        Write(rtfWriter, &set,
              SectionText("\\sectd ", pageWidth, pageHeight, left, right, top, bottom,
                          "\\psz9\\linex0\\headery709\\footery709\\colsx709\\endnhere"));
        userTable.landscape = 0;
    }
}
