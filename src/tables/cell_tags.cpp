// In-line tags inside table cells.  A cell may carry tags that change how it
// is written (font, colour, a rule inside the cell, line breaks, the header
// cell's vertical alignment, the stub indent of the first column ...).  Each
// cell's content passes through PreForm::ProcessCellTags before it is
// written; PreForm::ApplyCellFontAndLink puts the cell's font markup and, in
// contents tables, a link around it.
//
// Cell positions: the cells of user-specified tables carry their row and
// column numbers counted from 1; the cells the column analysis cuts carry
// 0-based indexes.  Messages show both counted from 1.
#include "policies/alignments.h"
#include "tables/preform.h"
#include "tables/engine_support.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "analysis/tag_dispatch.h"
#include "context/context.h"
#include "context/keyword_tables.h"
#include "foundation/fonts.h"
#include "output/font_markup.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "policies/fc.h"
#include "policies/policy_value.h"
#include "policies/tab_config.h"

namespace {

using engine_support::ConfigOf;
using engine_support::IsOn;
using engine_support::Write;

// The modes of PreForm::ProcessCellTag: the table configuration is built
// from the first data, or the cell is written.
constexpr int kBuildConfigurationMode = 1;
constexpr int kWriteCellMode = 2;
// The executor mode in which OT, CT and TEXT stand for their literal text.
constexpr int kLiteralTagMode = 5;
// The font-change kind of the markup written around cell contents.
constexpr int kCellFontKind = 0;

bool NameIs(const TextString& name, const char* wanted) { return name.Matches(wanted, 0, 0); }

// The row and column of a cell counted from 1 (an unknown index, -1, of a
// found table gives 0).
int RowNumber(const PreForm& engine, const TableCell* cell) {
    const int row = cell ? cell->row : -1;
    return engine.isUserTable || row == INT_MAX ? row : row + 1;
}
int ColumnNumber(const PreForm& engine, const TableCell* cell) {
    const int column = cell ? cell->column : -1;
    return engine.isUserTable || column == INT_MAX ? column : column + 1;
}

// Replaces `count` characters of `text` at `start` by `with`.
void ReplaceRange(TextString& text, int start, int count, const char* with) {
    TextString out;
    out.AssignSubstring(text.buffer, 0, start);
    out.Append(with);
    out.AppendBytes(text.buffer + start + count, text.length - start - count);
    text.AssignChars(out.buffer, out.length);
}

// False when `text` cannot hold `delimiter`, found as TextString::Find finds
// it without regard to letter case: the delimiter's first byte, in either
// case, is nowhere in the text.  Most cells hold no tag, and this spares
// them the full search (and the work set up for it).
bool MayHold(const TextString& text, const TextString& delimiter) {
    if (text.length <= 0 || delimiter.length <= 0) return false;
    const size_t size = static_cast<size_t>(text.length);
    const char first = delimiter.buffer[0];
    const char lower = ToLowerAscii(first);
    const char upper = ToUpperAscii(first);
    if (std::memchr(text.buffer, lower, size)) return true;
    return upper != lower && std::memchr(text.buffer, upper, size);
}

// Whether `text` holds the start delimiter `start` followed by `name`,
// found as TextString::Find finds the two put together: without regard to
// letter case.
bool HoldsTagOpening(const TextString& text, const TextString& start, std::string_view name) {
    const size_t n = name.size();
    int at = -1;
    for (int from = 0; text.Find(from, start.buffer, &at, 0); from = at + 1) {
        const int after = at + start.length;
        if (static_cast<size_t>(text.length - after) < n) return false;
        size_t i = 0;
        while (i < n && ToUpperAscii(text.buffer[after + i]) == ToUpperAscii(name[i])) ++i;
        if (i == n) return true;
    }
    return false;
}

// The next tag of `text` at or after `from`: its first and last character.
// When a second start delimiter stands before the end delimiter, the tag is
// the one that starts last: "a [[ b [[BR]]" holds the tag "[[BR]]" and the
// text before it stays text.
bool FindCellTag(const TextString& text, int from, const TextString& start, const TextString& end, int* first,
                 int* last) {
    int open = -1;
    if (from < 0 || from >= text.length || !text.Find(from, start.buffer, &open, 0)) return false;
    int close = -1;
    if (!text.Find(open + start.length, end.buffer, &close, 0)) return false;
    // A start delimiter without letters is looked for again only between
    // the two: the case-blind search finds no other.
    const std::string_view between(text.buffer + open + 1, static_cast<size_t>(close - open - 1));
    const bool caseless = std::none_of(start.buffer, start.buffer + start.length,
                                       [](char c) { return IsAsciiLetter(static_cast<unsigned char>(c)); });
    int again = -1;
    if (!caseless || between.find(std::string_view(start.buffer)) != std::string_view::npos)
        while (text.Find(open + 1, start.buffer, &again, 0) && again + start.length <= close) open = again;
    *first = open;
    *last = close + end.length - 1;
    return true;
}

// Splits a tag text into its name (up to the first blank, comma or "=" after
// its first character) and its content, normalised, in `arguments`.  False
// when it cannot be split.
bool SplitCellTagName(FC& set, const TextString& tag, TextString& name, TextString& arguments) {
    const TextString& start = set.GetText(Pol::StartTagDelimiter);
    const TextString& end = set.GetText(Pol::EndTagDelimiter);
    if (tag.length < start.length + end.length) return false;
    // The content is normalised where the arguments are kept.
    TextString& content = arguments;
    content.AssignSubstring(tag.buffer, start.length, tag.length - start.length - end.length);
    content.CollapseBlanks();
    content.Trim(0, " ");
    if (content.IsEmpty()) return false;
    int nameEnd = content.length;
    for (int i = 1; i < content.length; ++i) {
        const char c = content.buffer[i];
        if (c == ' ' || c == ',' || c == '=') {
            nameEnd = i;
            break;
        }
    }
    name.AssignSubstring(content.buffer, 0, nameEnd);
    return true;
}

// Turns the content SplitCellTagName left in `arguments` into the tag's
// normalised argument list.  False when it cannot be read.
bool ReadCellTagArguments(FC& set, const TextString& name, TextString& arguments) {
    return ParseTagArguments(set, arguments, name.buffer);
}

// Splits a tag text into its name and its normalised argument list.  False
// when it cannot be split.
bool SplitCellTag(FC& set, const TextString& tag, TextString& name, TextString& arguments) {
    return SplitCellTagName(set, tag, name, arguments) && ReadCellTagArguments(set, name, arguments);
}

// A vertical alignment letter: T 1 (top), B 2 (bottom), C 3 (centre); 0 for
// anything else.
int VerticalCode(const TextString& arguments) {
    std::string_view value;
    FindTagArgument(arguments, 1, value);
    // The first letter after any blanks or tabs.
    size_t first = 0;
    while (first < value.size() && IsBlankOrTab(value[first])) ++first;
    switch (first < value.size() ? ToUpperAscii(value[first]) : '\0') {
        case 'T': return kVerticalTop;
        case 'B': return kVerticalBottom;
        case 'C': return kVerticalCentre;
        default: return kVerticalNone;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Rules inside cells

namespace {

// The cell's font when it is a valid one; the markup around cell contents
// opens it.
const FontSpec* CellFont(const TableCell* cell) {
    return cell && cell->font && cell->font->set ? cell->font : nullptr;
}

// The markup that closes the cell's font before a rule, and the markup that
// opens it again after the rule.
TextString CloseFontMarkup(FC* set, const TableCell* cell, const char* name) {
    TextString end, start;
    if (const FontSpec* font = CellFont(cell))
        GetChangeFontMarkup(kCellFontKind, set, font, nullptr, &end, &start, name);
    return end;
}
TextString OpenFontMarkup(FC* set, const TableCell* cell, const char* name) {
    TextString end, start;
    if (const FontSpec* font = CellFont(cell))
        GetChangeFontMarkup(kCellFontKind, set, nullptr, font, &end, &start, name);
    return start;
}

void AppendColourAttribute(const FC& set, const TextString& colour, TextString& out) {
    if (colour.IsEmpty()) return;
    if (set.GetInt(Pol::HTMLVersion) > 1) {
        out.Append(" STYLE=\"color:");
        out.Append(colour);
        out.Append(";\"");
    } else {
        out.Append(" COLOR=\"");
        out.Append(colour);
        out.Append("\"");
    }
}

// A rule length given as "N%": true with N.
bool ReadPercent(const TextString& text, int* percent) {
    TextString value(text);
    value.Trim(0, " ");
    if (value.length < 2 || value.buffer[value.length - 1] != '%') return false;
    value.SubString(0, value.length - 1);
    int number = 0;
    if (!value.ToInteger('1', &number) || number < 0) return false;
    *percent = number;
    return true;
}

// Twips from points, without overflow.
int PointsToTwips(int64_t points) { return static_cast<int>(std::clamp<int64_t>(points * 20, 0, INT_MAX)); }

// A colour argument of rule markup: empty when none is given, when it is
// not an HTML colour (which is warned about) or when colours are suppressed.
TextString RuleColour(PreForm& engine, const TextString& arguments, int n) {
    TextString given, colour;
    if (!TryGetTagString(*engine.policies, arguments, n, given)) return colour;
    if (!NormaliseHTMLColour(given, &colour)) {
        TextString warning("WARNING: \"");
        warning.Append(given);
        warning.Append("\" is not a standard HTML colour");
        engine.Message(warning.buffer, kLevelWarning);
        colour.MakeEmpty();
    }
    if (engine.policies->IsOn(Pol::SuppressAllColourMarkup)) colour.MakeEmpty();
    return colour;
}

// The markup of a LINERULE tag in a cell: a rule below the text before it.
// Arguments as for the in-line LINERULE tag: 1 the length ("N%" of the cell,
// or points), 2 the thickness, 5 the colour.
TextString CellLineRule(PreForm& engine, const TableCell* cell, const TextString& arguments) {
    TextString out;
    if (!engine.policies) return out;
    FC& set = *engine.policies;
    TextString length;
    const bool hasLength = TryGetTagString(set, arguments, 1, length);
    int percent = -1;
    const bool isPercent = hasLength && ReadPercent(length, &percent);
    int points = -1;
    if (hasLength && !isPercent && (!TryGetTagInteger(set, arguments, 1, points) || points < 0)) points = -1;
    const int column = std::max(ColumnNumber(engine, cell) - 1, 0);  // 0-based
    const int span = cell && cell->span > 0 ? cell->span : 1;

    if (engine.htmlOutput) {
        out = CloseFontMarkup(&set, cell, "LR1");
        out.Append("<BR><HR NOSHADE");
        if (set.IsOn(Pol::CreateEmbeddedStyleSheet) || !set.GetText(Pol::DocumentStyleSheet).IsEmpty())
            out.Append(" CLASS=TableLineRule");
        // Only a rule shorter than half the cell is given its width.
        const int cellWidth = engine.GetSpanWidth(cell, 0, column, span);
        TextString width;
        if (isPercent && percent < 50) {
            width.Assign("\"");
            width.AppendNumber('1', percent, 0);
            width.Append("%\"");
        } else if (points >= 0 && cellWidth > 0 && static_cast<int64_t>(points) * 2 < cellWidth) {
            FormatPercentWidth(&set, points, &width, cellWidth);
        }
        if (!width.IsEmpty()) {
            out.Append(" ALIGN=\"LEFT\" WIDTH=");
            out.Append(width);
        }
        int thickness = 1;
        GetTagIntegerOrDefault(set, arguments, 2, thickness, 1);
        if (thickness > 5) {
            out.Append(" SIZE=");
            out.AppendNumber('1', thickness, 0);
        }
        AppendColourAttribute(set, RuleColour(engine, arguments, 5), out);
        out.Append(">");
        out.Append(OpenFontMarkup(&set, cell, "LR2"));
        return out;
    }

    // RTF: a right tab at the rule's end, reached by a struck-out tab.
    int cellTwips = 0;
    const TabConfig* config = ConfigOf(engine);
    if (config && config->columnCount > 0) {
        cellTwips = PointsToTwips(engine.GetSpanWidth(cell, 0, column, span));
    } else {
        int64_t sum = 0;
        for (int k = column; k < column + span && k < static_cast<int>(engine.columns.size()); ++k)
            sum += engine.columns[static_cast<size_t>(k)]->rtfWidth;
        cellTwips = static_cast<int>(std::clamp<int64_t>(sum, 0, INT_MAX));
    }
    int tab = cellTwips;
    if (isPercent)
        tab = static_cast<int>(static_cast<int64_t>(cellTwips) * std::min(percent, 100) / 100);
    else if (points >= 0)
        tab = PointsToTwips(points);
    out.Assign("\\line{\\pard\\plain \\s1\\tqr\\intbl\\tx");
    out.AppendNumber('1', tab, 0);
    if (set.IsOn(Pol::InputJapanese)) out.Append("\\loch\\af5\\hich\\af5\\dbch\\f16");
    out.Append("{\\strike\\tab}\\par}");
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// One tag: the call and the ways a tag leaves its handler

namespace {

// The scan of a cell's tags holds the cell's text in the scratch line
// without making it a line: most tags (VALIGN, BR, QUAD ...) only change the
// cell or the text, and recycling the line, giving it the cell's texts and
// its place cost more than such a tag.  The line is made ready when a handler
// first needs it as a line (a tag run by its executor, a FONT or COLOUR tag),
// from the cell's text as it came and the text the scan holds by then.
struct CellLineSetUp {
    const char* cellText;
    const SourcePosition& where;
    bool ready = false;
};

// One cell tag being handled: where it stands in the scratch line, what it
// says, and the ways it leaves its handler.  Each way sets `next`, where the
// scan goes on.
struct CellTagCall {
    PreForm& engine;
    FC& set;
    TabConfig* config;
    TableCell* cell;
    AnalysedLine& scratch;
    const int mode;
    // Mode 1 builds the table configuration from the first data; any other
    // mode writes the cell.
    const bool building;
    const int tagStart;
    const int tagEnd;
    const int tagLength;
    const TextString& tagText;
    int& next;
    int& kept;
    TextString* done;
    TextString& name;
    TextString& arguments;
    TextString& messages;
    // Set while the scratch line holds no more than the text being scanned:
    // Line() makes it the cell's line when a handler first needs one.
    CellLineSetUp* setUp;
    // The tag's name is one of the tags the program knows (the in-line tag
    // table, or a tag the cell handles): it is never left in a cell as text.
    bool knownName = false;

    AnalysedLine& Line();
    int Replace(const char* with);
    int Remove() { return Replace(""); }
    int Skip();
    int ExecuteTagAlone(int executorMode);
    int Execute(int executorMode);
    void Fault(const char* text) const;
    int RejectHere();
};

AnalysedLine& CellTagCall::Line() {
    if (!setUp || setUp->ready) return scratch;
    setUp->ready = true;
    // Handlers before this one may have changed the text (a WS tag trims
    // it): the changed text stays the line's current text.
    const bool unchanged = scratch.view() == std::string_view(setUp->cellText);
    TextString current;
    if (!unchanged) current = static_cast<const TextString&>(scratch);
    scratch.Recycle(nullptr);
    scratch.SetText(setUp->cellText);
    if (!unchanged) scratch.AssignChars(current.buffer, current.length);
    scratch.SetPosition(&set, setUp->where);
    scratch.SetOriginPosition(&set, setUp->where);
    return scratch;
}

int CellTagCall::Replace(const char* with) {
    if (done) {
        done->Append(with);
        next = tagEnd + 1;
        return 1;
    }
    ReplaceRange(scratch, tagStart, tagLength, with);
    next = tagStart + static_cast<int>(std::strlen(with));
    return 1;
}

int CellTagCall::Skip() {
    kept = 1;
    if (done) done->AppendBytes(scratch.buffer + tagStart, tagLength);
    next = tagEnd + 1;
    return 1;
}

// The tag runs as an ordinary in-line tag of the scratch line, which
// replaces it by its markup.  The scan goes on after the markup (after
// the tag when it was left as it was); when the executor changed the
// line elsewhere the scan looks again from the tag's place.
//
// In the one-pass scan the tag's markup is taken from the line's tag batch
// and appended to what is done, without the line being touched (see
// ExecuteTagAlone).
int CellTagCall::Execute(int executorMode) {
    if (done) return ExecuteTagAlone(executorMode);
    Line();
    const int from = tagStart;
    const int to = tagEnd;
    const TextString before(scratch);
    messages.MakeEmpty();
    int level = -1;
    OutputDocument* document = engine.htmlOutput ? engine.htmlWriter : engine.rtfWriter;
    scratch.ExecuteTag(executorMode, document, tagText, set, messages, level);
    if (!messages.IsEmpty()) engine.Message(messages.buffer, level >= 0 ? level : kLevelAlways);
    const int tail = before.length - to - 1;
    const int markupEnd = scratch.length - tail;
    const bool headSame =
        scratch.length >= from && std::memcmp(scratch.buffer, before.buffer, static_cast<size_t>(from)) == 0;
    const bool tailSame = markupEnd >= from && std::memcmp(scratch.buffer + markupEnd, before.buffer + to + 1,
                                                           static_cast<size_t>(tail)) == 0;
    next = headSame && tailSame ? markupEnd : from;
    return 1;
}

// The tag executed with the scratch line's tag batch open: what the
// executor puts in the tag's place (at most one replacement, of this tag) is
// recorded, not written into the line, and goes to what is done; the scan
// goes on after the tag.  Joining the line, or moving its rest, at every tag
// made a cell of many tags take time quadratic in its length.
//
// The tag is read as the executors read it, into the texts the cell's own
// reading is done with.  A tag that is not recognised (an unknown name, as
// in most cells dense with tags) is reported and kept as text without the
// scratch line made a line; one of the program's own tags is reported and
// removed instead.  A recognised tag that its executor leaves as it stands
// (its work is done where a line is written, not in a cell) is removed with
// a message that it has no place in a cell: every tag in a cell acts or is
// reported, and none is left as its own text.
int CellTagCall::ExecuteTagAlone(int executorMode) {
    messages.MakeEmpty();
    int level = -1;
    OutputDocument* document = engine.htmlOutput ? engine.htmlWriter : engine.rtfWriter;
    const TagReading reading = ReadTag(set, tagText, name, arguments, UnknownTagArguments::kLeftUnread);
    if (reading == TagReading::kRecognised) Line();
    scratch.BeginTagBatch();
    scratch.ExecuteReadTag(executorMode, document, tagText, reading, name, arguments, set, messages, level);
    std::vector<AnalysedLine::TagReplacement> batch = scratch.TakeTagBatch();
    if (!messages.IsEmpty()) engine.Message(messages.buffer, level >= 0 ? level : kLevelAlways);
    const std::string_view tag(scratch.buffer + tagStart, static_cast<size_t>(tagLength));
    const auto replaced = std::find_if(batch.begin(), batch.end(),
                                       [&](const AnalysedLine::TagReplacement& entry) { return entry.tag == tag; });
    const bool recognised = reading == TagReading::kRecognised;
    if (recognised && replaced == batch.end()) {
        RejectHere();
    } else if (!recognised && knownName) {
        // Reported by the reading.
    } else {
        const std::string_view piece = replaced != batch.end() ? std::string_view(replaced->ForCurrentText()) : tag;
        done->AppendBytes(piece.data(), static_cast<int>(piece.size()));
    }
    next = tagEnd + 1;
    // The batch's room goes back to the line for the cell's next tag.
    batch.clear();
    scratch.tagBatch = std::move(batch);
    return 1;
}

void CellTagCall::Fault(const char* text) const {
    TextString composed(text);
    composed.Append(tagText);
    engine.Message(composed.buffer, kLevelAlways);
}

// A tag that has no meaning in a table cell (a link, a link point, a contents
// list, a heading ...) is reported with its name and removed.
int CellTagCall::RejectHere() {
    TextString text("TAG ERROR: ");
    for (int i = 0; i < name.length; ++i) text.AppendChar(ToUpperAscii(name.buffer[i]));
    text.Append(" tag not valid in a table cell: ");
    Fault(text.buffer);
    return Remove();
}

// A line break inside the cell (BR, and the break a QUAD tag makes).
int BreakLine(CellTagCall& call) {
    if (call.cell) {
        call.cell->holdsBreak = 1;
        ++call.cell->lineBreakCount;
    }
    return call.Replace(call.engine.htmlOutput ? "<BR>" : "\\par ");
}

// ---------------------------------------------------------------------------
// One tag: the handlers

int HandleFont(CellTagCall& call) {
    FontSpec font;
    if (!GetTagFont(&call.set, &call.Line(), call.name, call.arguments, font)) {
        call.Fault("TAG ERROR: Invalid FONT tag in table cell: ");
        call.Remove();
        return 0;
    }
    if (!call.building) return call.Execute(call.mode);
    if (call.config) {
        call.config->tableFont = font;
        call.config->tableFont.set = 1;
    }
    return call.Skip();
}

// TU and TU2.
int HandleCellRule(CellTagCall& call) {
    if (call.cell) call.cell->tuMode = NameIs(call.name, "TU") ? kCellRuleTU : kCellRuleTU2;
    if (call.building) return call.Skip();
    if (call.engine.htmlOutput) {
        // A rule across the cell, outside the cell's font markup.
        TextString markup(CloseFontMarkup(&call.set, call.cell, "TT1"));
        markup.Append("<HR NOSHADE");
        AppendColourAttribute(call.set, RuleColour(call.engine, call.arguments, 1), markup);
        markup.Append(">");
        markup.Append(OpenFontMarkup(&call.set, call.cell, "TT2"));
        return call.Replace(markup.buffer);
    }
    return call.Remove();
}

int HandleDotLeaders(CellTagCall& call) {
    if (call.config) call.config->dotLeadersUsed = 1;
    if (call.cell) call.cell->dotLeaders = 1;
    return call.engine.htmlOutput ? call.Replace(" ") : call.Remove();
}

int HandleQuad(CellTagCall& call) {
    TableCell* cell = call.cell;
    if (cell && cell->quadAlignment != kAlignmentNone) call.Fault("TAG ERROR: Duplicate QUAD tag in table cell: ");
    TextString value;
    TryGetTagString(call.set, call.arguments, 1, value);
    const int alignment = ParseAlignmentLetter(value.buffer);
    if (alignment == kAlignmentNone)
        call.Fault("TAG ERROR: Invalid QUAD tag in table cell: ");
    else if (cell)
        cell->quadAlignment = alignment;
    return BreakLine(call);
}

int HandleLeading(CellTagCall& call) {
    if (!call.building) return call.Execute(call.mode);
    int leading = 0;
    if (call.config && TryGetTagInteger(call.set, call.arguments, 1, leading) && leading > 0)
        call.config->tableFont.lineHeight = leading;
    return call.Skip();
}

int HandleLineRule(CellTagCall& call) {
    if (call.building) return call.Remove();
    return call.Replace(CellLineRule(call.engine, call.cell, call.arguments).buffer);
}

// The tags that mean nothing in a cell: GOTO, HYPERLINK, LINKPOINT, POPUP,
// PAGE_MARKER, TOC and CONTENTS_LIST are made where a line is written,
// CURRENCY and GUTTER have no effect in this program's cells, END_HEADING
// would write a heading into the row.  Each is kept while the configuration
// is built and reported and removed when the cell is written.
int RejectTag(CellTagCall& call) { return call.building ? call.Skip() : call.RejectHere(); }

// A HEADING tag makes no heading in a cell: it is reported, and the heading
// text it gives stays in the cell as text.
int RejectHeading(CellTagCall& call) {
    if (call.building) return call.Skip();
    TextString text;
    GetTagStringOrDefault(call.set, call.arguments, 2, text, "");
    if (call.engine.htmlOutput) text = HTML_EscapeMarkupOnce(text);
    call.RejectHere();
    return call.Replace(text.buffer);
}

int HandleEmDash(CellTagCall& call) { return call.Replace("--"); }

int HandleVerticalAlignment(CellTagCall& call) {
    TableCell* cell = call.cell;
    if (cell && !cell->isHeaderCell) {
        call.engine.Message("TAG ERROR: VERTICAL_ALIGNMMENT tag only allowed in header cells", kLevelAlways);
        return call.Remove();
    }
    const int alignment = VerticalCode(call.arguments);
    if (alignment == kVerticalNone) {
        call.Fault("TAG ERROR: Failed to parse - ");
        return call.Remove();
    }
    if (cell) {
        if (cell->vAlignment != kVerticalNone)
            call.engine.Message("WARNING: Vertical alignment multiply defined for header cell", kLevelAlways);
        cell->vAlignment = alignment;
    }
    return call.Remove();
}

// A STUB_INDENT tag's indent is kept by the cell, and the smallest and
// largest indents given by the table's configuration and its first column.
void RecordStubIndent(TabConfig* config, int indent) {
    if (indent <= 0 || !config) return;
    if (ColConfig* first = config->Column(0); first && (first->stubIndent < 0 || indent < first->stubIndent))
        first->stubIndent = indent;
    if (config->smallestStubIndent < 0 || indent < config->smallestStubIndent) config->smallestStubIndent = indent;
    config->largestStubIndent = std::max(config->largestStubIndent, indent);
}

int HandleStubIndent(CellTagCall& call) {
    PreForm& engine = call.engine;
    TableCell* cell = call.cell;
    if (call.config) call.config->stubIndentUsed = 1;
    if (cell && cell->isHeaderCell) {
        engine.Message("TAG ERROR: STUB_INDENT tag only allowed in data cells", kLevelAlways);
        return call.Remove();
    }
    if (cell && ColumnNumber(engine, cell) != 1) {
        TextString text("TAG ERROR: STUB_INDENT tag only allowed in column 1, not at [");
        text.AppendNumber('1', RowNumber(engine, cell), 0);
        text.Append(",");
        text.AppendNumber('1', ColumnNumber(engine, cell), 0);
        text.Append("]");
        engine.Message(text.buffer, kLevelAlways);
        return call.Remove();
    }
    int indent = 0;
    if (!TryGetTagInteger(call.set, call.arguments, 1, indent)) {
        call.Fault("TAG ERROR: Failed to parse - ");
        return call.Remove();
    }
    if (cell) {
        if (cell->stubIndent != 0) engine.Message("WARNING: STUB_INDENT multiply defined", kLevelAlways);
        cell->stubIndent = indent;
    }
    RecordStubIndent(call.config, indent);
    return call.Remove();
}

// SUPER, SUB and FOLIO are kept while the configuration is built and run
// when the cell is written.
int ExecuteWhenWriting(CellTagCall& call) { return call.building ? call.Skip() : call.Execute(call.mode); }

int HandleWhiteSpace(CellTagCall& call) {
    if (call.building) return call.Skip();
    call.Remove();
    // The cell's text loses the blanks at its ends with the tag.
    AnalysedLine& scratch = call.scratch;
    if (!call.done) {
        const int place = call.tagStart;
        int leading = 0;
        while (leading < scratch.length && scratch.buffer[leading] == ' ') ++leading;
        scratch.Trim(0, " ");
        call.next = std::clamp(place - leading, 0, scratch.length);
        return 1;
    }
    // In the one-pass scan the text is what is done and the scratch line
    // from `next` on; each is trimmed where it is, without joining the two
    // (a join at every tag made a cell of many tags quadratic).  Blanks at
    // the end of what is done are at the text's end only when the rest is
    // blank, and blanks at the start of the rest only when what is done is.
    TextString& done = *call.done;
    int from = call.next;
    int end = scratch.length;
    while (end > from && IsBlankOrTab(scratch.buffer[end - 1])) --end;
    int leading = 0;
    while (leading < done.length && IsBlankOrTab(done.buffer[leading])) ++leading;
    if (leading == done.length) {
        done.MakeEmpty();
        while (from < end && IsBlankOrTab(scratch.buffer[from])) ++from;
    } else if (end == from) {
        done.Trim(0, " ");
    } else if (leading > 0) {
        done.SubString(leading, done.length - leading);
    }
    scratch.SubString(0, end);
    call.next = from;
    return 1;
}

int HandleNullChar(CellTagCall& call) {
    if (call.cell) call.cell->noCharacter = 1;
    return call.Remove();
}

int HandleVAlign(CellTagCall& call) {
    TableCell* cell = call.cell;
    if (cell && cell->vAlignmentOverride != kVerticalNone)
        call.Fault("TAG ERROR: Duplicate VALIGN tag in table cell: ");
    const int alignment = VerticalCode(call.arguments);
    if (alignment == kVerticalNone)
        call.Fault("TAG ERROR: Invalid VALIGN tag in table cell: ");
    else if (cell)
        cell->vAlignmentOverride = alignment;
    return call.Remove();
}

int HandleContentsLink(CellTagCall& call) {
    TableCell* cell = call.cell;
    TextString value;
    GetTagStringOrDefault(call.set, call.arguments, 1, value, "yes");
    for (int i = 0; i < value.length; ++i) value.buffer[i] = ToLowerAscii(value.buffer[i]);
    int at = -1;
    if (value.Find(0, "no", &at, 1)) {
        if (cell) cell->contentsLinkMode = kContentsLinkNo;
    } else if (value.Find(0, "yes", &at, 1)) {
        if (cell) cell->contentsLinkMode = kContentsLinkYes;
    } else {
        TextString text("TAG_ERROR: Invalid TOCLINK value \"");
        text.Append(value);
        text.Append("\" in row ");
        text.AppendNumber('1', RowNumber(call.engine, cell), 0);
        text.Append(" ");
        call.set.ReportMessage(text.buffer, kLevelAlways);
    }
    return call.Remove();
}

// CANCEL_HANG and CANCEL_LEAD mean nothing in a cell.
int RemoveTag(CellTagCall& call) { return call.Remove(); }

// COLOR and COLOUR.
int HandleColour(CellTagCall& call) {
    if (!call.building) return call.Execute(call.mode);
    TextString colour;
    if (!GetTagColour(&call.set, &call.Line(), call.name, call.arguments, colour)) {
        TextString text("TAG ERROR: Invalid ");
        text.Append(call.name);
        text.Append(" tag in table cell: ");
        text.Append(call.tagText);
        call.engine.Message(text.buffer, kLevelAlways);
    } else if (call.config) {
        call.config->tableFont.SetColour(colour);
    }
    return call.Skip();
}

int HandleBaseline(CellTagCall& call) {
    if (call.cell && call.cell->isHeaderCell)
        call.cell->baseline = 1;
    else
        call.engine.Message("TAG ERROR: BASELINE tag is only valid inside a HEAD_CELL", kLevelAlways);
    return call.Remove();
}

// OT, CT and TEXT stand for their literal text.
int ExecuteLiteral(CellTagCall& call) { return call.Execute(kLiteralTagMode); }

using CellTagHandler = int (*)(CellTagCall&);

struct CellTagEntry {
    std::string_view name;
    CellTagHandler handle;
};

// The tags a cell handles itself, by name (without regard to letter case).
// Every other tag runs as an ordinary in-line tag.
constexpr CellTagEntry kCellTagHandlers[] = {
    {"FONT", HandleFont},
    {"TU", HandleCellRule},
    {"TU2", HandleCellRule},
    {"DOT_LEADERS", HandleDotLeaders},
    {"QUAD", HandleQuad},
    {"LEADING", HandleLeading},
    {"LINERULE", HandleLineRule},
    {"BR", BreakLine},
    {"CURRENCY", RejectTag},
    {"GUTTER", RejectTag},
    {"GOTO", RejectTag},
    {"HYPERLINK", RejectTag},
    {"LINKPOINT", RejectTag},
    {"POPUP", RejectTag},
    {"PAGE_MARKER", RejectTag},
    {"TOC", RejectTag},
    {"CONTENTS_LIST", RejectTag},
    {"HEADING", RejectHeading},
    {"END_HEADING", RejectTag},
    {"EM", HandleEmDash},
    {"VERTICAL_ALIGNMENT", HandleVerticalAlignment},
    {"STUB_INDENT", HandleStubIndent},
    {"SUPER", ExecuteWhenWriting},
    {"SUB", ExecuteWhenWriting},
    {"FOLIO", ExecuteWhenWriting},
    {"WS", HandleWhiteSpace},
    {"NULL_CHAR", HandleNullChar},
    {"VALIGN", HandleVAlign},
    {"TOCLINK", HandleContentsLink},
    {"CANCEL_HANG", RemoveTag},
    {"CANCEL_LEAD", RemoveTag},
    {"COLOR", HandleColour},
    {"COLOUR", HandleColour},
    {"BASELINE", HandleBaseline},
    {"OT", ExecuteLiteral},
    {"CT", ExecuteLiteral},
    {"TEXT", ExecuteLiteral},
};

// Whether `name` is one of the in-line tag table's names.
bool IsInlineTagTableName(const TextString& name) {
    for (int slot = 0; slot < kInlineTagSlots; ++slot)
        if (const char* known = GetInlineTagName(slot); known && *known && NameIs(name, known)) return true;
    return false;
}

// The handler of the tag named `name`; null when the cell has none for it.
CellTagHandler FindCellTagHandler(const TextString& name) {
    const std::string_view wanted = name.view();
    auto same = [wanted](std::string_view known) {
        for (size_t i = 0; i < known.size(); ++i)
            if (ToUpperAscii(wanted[i]) != known[i]) return false;
        return true;
    };
    // The names are upper case; most differ from the tag's in length.
    for (const CellTagEntry& entry : kCellTagHandlers)
        if (entry.name.size() == wanted.size() && same(entry.name)) return entry.handle;
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// One tag

namespace {

using CellTagTexts = EngineScratch::ScratchBuffers::CellTagTexts;

// Handles one tag of the scratch line (see PreForm::ProcessCellTag); the
// tag's name, arguments and messages are read into `texts`.
int RunCellTag(PreForm& engine, int mode, TableCell* cell, AnalysedLine& scratch, CellLineSetUp* setUp, int& next,
               int& kept, int tagStart, int tagEnd, const TextString& tagText, TextString* done,
               CellTagTexts& texts) {
    kept = 0;
    next = tagStart;
    if (!engine.policies || tagStart < 0 || tagEnd < tagStart || tagEnd >= scratch.length) return 0;
    CellTagCall call{.engine = engine,
                     .set = *engine.policies,
                     .config = ConfigOf(engine),
                     .cell = cell,
                     .scratch = scratch,
                     .mode = mode,
                     .building = mode == kBuildConfigurationMode,
                     .tagStart = tagStart,
                     .tagEnd = tagEnd,
                     .tagLength = tagEnd - tagStart + 1,
                     .tagText = tagText,
                     .next = next,
                     .kept = kept,
                     .done = done,
                     .name = texts.name,
                     .arguments = texts.arguments,
                     .messages = texts.messages,
                     .setUp = setUp,
                     .knownName = false};

    // A tag that cannot be split into its name and arguments is dropped.
    // The cell's own handler of the tag reads the arguments; else the tag
    // runs as an ordinary in-line tag, whose executor reads the tag again,
    // and its arguments are read here only where reading them can fail (no
    // marker character is free, which needs a "|" in the tag).
    const bool split = SplitCellTagName(call.set, tagText, call.name, call.arguments);
    const CellTagHandler handle = split ? FindCellTagHandler(call.name) : nullptr;
    call.knownName = handle || (split && IsInlineTagTableName(call.name));
    const bool readArguments = handle || call.arguments.view().find('|') != std::string_view::npos;
    if (!split || (readArguments && !ReadCellTagArguments(call.set, call.name, call.arguments))) {
        call.Remove();
        return 0;
    }
    if (handle) return handle(call);
    return call.Execute(mode);
}

}  // namespace

int PreForm::ProcessCellTag(int mode, TableCell* cell, AnalysedLine* scratch, int* position, int tagStart,
                            int tagEnd, const TextString& tagText, int* keep, TextString* done) {
    int localPosition = tagStart;
    int localKeep = 0;
    int& next = position ? *position : localPosition;
    int& kept = keep ? *keep : localKeep;
    kept = 0;
    next = tagStart;
    if (!scratch) return 0;
    CellTagTexts texts;
    return RunCellTag(*this, mode, cell, *scratch, nullptr, next, kept, tagStart, tagEnd, tagText, done, texts);
}

// ---------------------------------------------------------------------------
// The scan over a cell's tags

namespace {

// The executors' mark that a cell's tags are being run, for the time of one
// scan; a tag whose executor comes back to a cell of its own finds the mark
// set again and put back as it was.
class CellTagsScope {
public:
    explicit CellTagsScope(Context* context)
        : state_(context ? &context->documentState.inlineTagState.cell : nullptr) {
        if (!state_) return;
        saved_ = *state_;
        *state_ = TableCellTags{.active = 1, .openGroups = 0};
    }
    ~CellTagsScope() {
        if (state_) *state_ = saved_;
    }
    CellTagsScope(const CellTagsScope&) = delete;
    CellTagsScope& operator=(const CellTagsScope&) = delete;

    // The RTF groups the cell's tags opened, closed at the end of its text.
    void CloseGroups(TextString& text) const {
        if (!state_) return;
        for (int i = 0; i < state_->openGroups; ++i) text.AppendChar('}');
    }

private:
    TableCellTags* state_;
    TableCellTags saved_;
};

// The scan of PreForm::ProcessCellTags over the scratch line: the result is
// built in one pass, `texts.done` holding the text before the scan position
// with every tag dealt with, and the scratch line keeping the text from
// `position` on as it was.  (Rewriting the whole line at every tag made a
// cell of many tags take time quadratic in its length.)
void ScanCellTags(PreForm& engine, TableCell* cell, AnalysedLine& scratch, CellLineSetUp& setUp,
                  const TextString& start, const TextString& end, CellTagTexts& texts) {
    TextString& done = texts.done;
    TextString& tag = texts.tag;
    int position = 0;
    int first = -1, last = -1;
    while (FindCellTag(scratch, position, start, end, &first, &last)) {
        done.AppendBytes(scratch.buffer + position, first - position);
        tag.AssignChars(scratch.buffer + first, last - first + 1);
        const int remaining = scratch.length - first;
        int next = first;
        int keep = 0;
        RunCellTag(engine, kWriteCellMode, cell, scratch, &setUp, next, keep, first, last, tag, &done, texts);
        // Whatever the handler did, the text left to scan must shrink: a tag
        // left as it was, or markup that starts with a delimiter again, is
        // never looked at a second time (it is kept as text).
        next = std::clamp(next, 0, scratch.length);
        if (scratch.length - next >= remaining) {
            const int passed = scratch.length - remaining + 1;
            done.AppendBytes(scratch.buffer + next, passed - next);
            next = passed;
        }
        position = next;
    }
    done.AppendBytes(scratch.buffer + position, scratch.length - position);
}

// What a cell too large to be held is called in the message.
std::string CellOfLine(const SourcePosition& where) {
    return where.unit == 0 && where.line > 0 ? "a table cell of line " + std::to_string(where.line) : "a table cell";
}

}  // namespace

void PreForm::ProcessCellTags(TableCell* cell, TextString* text, const SourcePosition& where) {
    if (!text || !policies) return;
    const TextString& start = policies->GetText(Pol::StartTagDelimiter);
    if (!MayHold(*text, start)) return;
    const TextString& end = policies->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty() || !text->Find(0, start.buffer, nullptr, 0)) return;

    // The tags run on a line of their own, placed at the cell's source, so
    // that executed tags see where the cell came from.  The engine keeps the
    // line from cell to cell with the room of its texts; it holds the cell's
    // text, and is made a fresh line placed at the cell only when a handler
    // needs one (CellLineSetUp).  The line, and the texts the tags' names and
    // arguments are read into, are taken for the call and given back at its
    // end, so that a tag whose executor comes back here finds none and makes
    // its own.
    std::unique_ptr<AnalysedLine> line = std::move(scratchBuffers.cellTagLine);
    if (!line) line = std::make_unique<AnalysedLine>();
    std::unique_ptr<CellTagTexts> tagTexts = std::move(scratchBuffers.cellTagTexts);
    if (!tagTexts) tagTexts = std::make_unique<CellTagTexts>();
    CellTagTexts& texts = *tagTexts;
    AnalysedLine& scratch = *line;
    // The line's text as the line is given it: up to a NUL byte.
    scratch.Assign(text->buffer);
    CellLineSetUp setUp{.cellText = text->buffer, .where = where};

    TextString& done = texts.done;
    done.MakeEmpty();
    const CellTagsScope cellTags(policies->context);
    try {
        ScanCellTags(*this, cell, scratch, setUp, start, end, texts);
    } catch (const TextTooLarge& failure) {
        throw failure.Naming(CellOfLine(where));
    }
    cellTags.CloseGroups(done);

    // A large result takes the place of the text rather than being copied
    // into it: the cell is held once.
    if (done.capacity > kKeptScratchBytes)
        std::swap(*text, done);
    else
        text->AssignChars(done.buffer, done.length);
    if (setUp.ready) {
        if (scratch.annotation && !scratch.annotation->IsEmpty()) HoldMessage(scratch.annotation->view());
        if (policies->context) policies->context->ForgetLine(&scratch);
        // A line that held a long text gives its room back.
        scratch.ReleaseTexts(AnalysedLine::kKeptTextRoom);
    } else if (scratch.capacity > AnalysedLine::kKeptTextRoom) {
        static_cast<TextString&>(scratch) = TextString();
    }
    scratchBuffers.cellTagLine = std::move(line);
    for (TextString* kept : {&texts.name, &texts.arguments, &texts.messages, &texts.tag, &texts.done})
        if (kept->capacity > kKeptScratchBytes) *kept = TextString();
    scratchBuffers.cellTagTexts = std::move(tagTexts);
}

// ---------------------------------------------------------------------------
// Font and link around a cell

namespace {

// The document's font state while one cell's tags run.  FONT markup never
// crosses a cell's boundary: inside the cell, fonts change from the cell's
// own font, and a font or colour a tag sets ends with the cell, since the
// state is put back as it was when the cell is done.
class CellFontScope {
public:
    CellFontScope(DocumentState& state, const FontSpec* cellFont)
        : state_(state),
          currentFont_(state.currentFont),
          currentBold_(state.currentBold),
          currentItalic_(state.currentItalic),
          pendingFontFlag_(state.pendingFontFlag),
          pendingFont_(state.pendingFont) {
        for (const BlockList* list : {&state.blocks, &state.savedBlocks})
            for (int i = 0; i < list->Count(); ++i) {
                const BlockEntry* block = list->GetAt(i);
                blocks_.push_back({block->blockFont, block->fontChanged});
            }
        FontSpec inside;
        if (cellFont) inside = *cellFont;
        state.currentFont = inside;
        if (BlockEntry* innermost = state.blocks.Innermost()) innermost->blockFont = inside;
    }
    ~CellFontScope() {
        state_.currentFont = currentFont_;
        state_.currentBold = currentBold_;
        state_.currentItalic = currentItalic_;
        state_.pendingFontFlag = pendingFontFlag_;
        state_.pendingFont = pendingFont_;
        size_t next = 0;
        for (const BlockList* list : {&state_.blocks, &state_.savedBlocks})
            for (int i = 0; i < list->Count() && next < blocks_.size(); ++i, ++next) {
                BlockEntry* block = list->GetAt(i);
                block->blockFont = blocks_[next].font;
                block->fontChanged = blocks_[next].changed;
            }
    }
    CellFontScope(const CellFontScope&) = delete;
    CellFontScope& operator=(const CellFontScope&) = delete;

private:
    struct BlockFont {
        FontSpec font;
        int changed;
    };
    DocumentState& state_;
    const FontSpec currentFont_;
    const int currentBold_;
    const int currentItalic_;
    const int pendingFontFlag_;
    const FontSpec pendingFont_;
    std::vector<BlockFont> blocks_;
};

}  // namespace

void PreForm::ApplyCellFontAndLink(TableCell* cell, TextString* text, const FontSpec* font,
                                   const SourcePosition& where, int linkFlag) {
    if (!text || text->IsEmpty() || !policies) return;
    Context* context = policies->context;
    // Font markup is HTML: the cell changes from the font around the table
    // to its own font and back.
    if (!engine_support::CellFontMarkupPossible(*this)) {
        // No font markup: the font changes would come out empty and leave
        // the document state as it is.
        ProcessCellTags(cell, text, where);
    } else {
        // The cell's font is opened after the cell's start tag and closed
        // before its end tag: the markup is balanced inside the cell.  The
        // cell's tags change fonts from the cell's font, and what they open
        // last is what the cell closes.
        const FontSpec* cellFont = font && font->set ? font : nullptr;
        TextString opening;
        GetStartFontMarkup(kCellFontKind, policies, cellFont, &opening);  // takes up a pending font change
        CellFontScope scope(context->documentState, cellFont);
        if (!opening.IsEmpty()) text->Insert(0, opening.buffer);
        ProcessCellTags(cell, text, where);
        TextString closing;
        GetEndFontMarkup(kCellFontKind, policies, context->GetCurrentFont(), &closing);
        text->Append(closing);
    }
    // A TOCLINK tag saying "no" keeps the cell out of the contents links.
    if (linkFlag && cell && !cell->linkAnchor.IsEmpty() && cell->contentsLinkMode != kContentsLinkNo) {
        TextString linked("<A HREF=\"#");
        linked.Append(cell->linkAnchor);
        linked.Append("\">");
        linked.Append(*text);
        linked.Append("</A>");
        *text = linked;
    }
}

// ---------------------------------------------------------------------------
// WS tags

void PreForm::ProcessWSTags(TableCell* cell, TextString* text) {
    if (!cell || !text || !policies) return;
    FC& set = *policies;
    const TextString& start = set.GetText(Pol::StartTagDelimiter);
    if (!MayHold(*text, start)) return;
    const TextString& end = set.GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;
    if (!HoldsTagOpening(*text, start, "WS")) return;

    // Only the WS tags are left in a copy of the text, without markup.
    TextString copy;
    RemoveInLineTags(set, "WS", nullptr, *text, copy);
    RemoveTags(set, "<", ">", nullptr, nullptr, copy, copy);
    copy.Trim(0, " ");

    struct Place {
        int first;
        int last;
    };
    std::vector<Place> tags;
    int first = -1, last = -1;
    for (int position = 0; FindCellTag(copy, position, start, end, &first, &last); position = last + 1) {
        TextString tag, name, arguments;
        tag.AssignSubstring(copy.buffer, first, last - first + 1);
        if (SplitCellTag(set, tag, name, arguments) && NameIs(name, "WS")) tags.push_back({first, last});
    }

    // A WS tag is at the start when only blanks and WS tags stand before it,
    // at the end when only blanks and WS tags follow it.
    std::vector<int> atStart(tags.size(), 0), atEnd(tags.size(), 0);
    int reach = 0;
    for (size_t k = 0; k < tags.size(); ++k) {
        while (reach < copy.length && copy.buffer[reach] == ' ') ++reach;
        if (tags[k].first != reach) break;
        atStart[k] = 1;
        reach = tags[k].last + 1;
    }
    reach = copy.length - 1;
    for (size_t k = tags.size(); k-- > 0;) {
        while (reach >= 0 && copy.buffer[reach] == ' ') --reach;
        if (tags[k].last != reach) break;
        atEnd[k] = 1;
        reach = tags[k].first - 1;
    }
    bool leading = false, trailing = false, middle = false;
    for (size_t k = 0; k < tags.size(); ++k) {
        leading = leading || atStart[k];
        trailing = trailing || atEnd[k];
        middle = middle || (!atStart[k] && !atEnd[k]);
    }

    TextString message;
    if (leading && trailing) {
        message.Assign("INFO: WS tags interpreted as QUAD=C in row ");
        cell->quadAlignment = 2;
    } else if (leading) {
        message.Assign("INFO: WS tags interpreted as QUAD=R in row ");
        cell->quadAlignment = 3;
    } else if (trailing) {
        message.Assign("INFO: WS tags interpreted as QUAD=L in row ");
        cell->quadAlignment = 1;
    } else if (middle) {
        message.Assign("INFO: Middle WS tags not implemented.  Row ");
    } else {
        message.Assign("WARNING: Failed to interpret WS tag placement in row ");
    }
    message.AppendNumber('1', RowNumber(*this, cell), 0);
    Message(message.buffer, kLevelAlways);
}
