// Table output: the markup of a table found by the table engine, in HTML and
// in RTF.  ParseTable calls OutputTableStart once, OutputTableRow once per
// assembled row and OutputTableEnd once; the user-specified tables reuse
// OutputHtmlCell.  Every output line is one WriteText call on the block's
// writer (long HTML cell lines go through the wrapping WriteLine).
#include "foundation/line_types.h"
#include "policies/alignments.h"
#include "tables/preform.h"
#include "tables/engine_support.h"
#include "tables/row_writers.h"
#include "tables/rule_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <typeinfo>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "context/style_set.h"
#include "foundation/fonts.h"
#include "foundation/utilities.h"
#include "output/html_file.h"
#include "output/html_tidy.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

using row_writing::Add;
using row_writing::CellAttributes;
using row_writing::FindTag;
using row_writing::kLongCellLine;
using row_writing::kLooseBlockLines;
using row_writing::WriteCellLines;
using row_writing::WritePlainCellLine;

namespace {

using engine_support::ConfigOf;
using engine_support::IsOn;
using engine_support::Write;

constexpr int kTableGridBorder = 2;  // the BORDER of a table drawn as a grid
constexpr int kRtfColumnGap = 216;  // twips between the cell edges beyond the column widths
constexpr long kLeastFittedWidth = 720;  // twips: no column is narrowed below this (or its longest word)
constexpr int kDefaultPageWidth = 80;  // stands in for a "Page Width" of 0 or less
// The scratch texts of the cell writers keep their room from cell to cell up
// to kKeptScratchBytes (foundation/text_string.h); a larger one (a cell that holds
// a whole block) is given back once its cell is written.

// Padding short rows to the table's column count writes one empty cell per
// missing column.  A row thousands of columns wide followed by many short rows
// would turn a small input into a huge output, so the empty cells written at
// the ends of rows are counted per table; past this count a warning is given
// once and from then on the trailing empty cells of a row are written as one
// cell spanning them.
constexpr long kPaddingCellLimit = 200000;  // counted in PreForm::rowPadding

constexpr std::string_view kEmptyCellText = "&nbsp;";  // what the cell splitter gives an empty HTML cell

std::string_view TrimBlanks(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlankOrTab(text[first])) ++first;
    size_t last = text.size();
    while (last > first && IsBlankOrTab(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
    if (at + pattern.size() > text.size()) return false;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (ToUpperAscii(text[at + i]) != ToUpperAscii(pattern[i])) return false;
    return true;
}

// Whether a cell's text, put between its start tag and "<BR>" and its end
// tag, leaves the tidy passes nothing to do but take off that line break:
// text without markup, entities, newlines or control bytes the passes look
// for, which does not end in white space (a cell that looks empty is given
// "&nbsp;" by the passes).  Cell text is escaped, so that most cells are
// such a text.
constexpr unsigned char kStopsPlain = 1;  // a byte the tidy passes look for
constexpr unsigned char kMayStartTag = 2;  // the first character of the tag start delimiter

// The bytes the tidy passes look for ('\x01' is their placeholder for text
// set aside): their kinds are the same for every delimiter.
constexpr std::array<unsigned char, 256> kPlainStops = [] {
    std::array<unsigned char, 256> kinds{};
    for (const unsigned char c : {'<', '>', '&', '\n', '\0', '\x01'}) kinds[c] = kStopsPlain;
    return kinds;
}();

// The kinds of every byte value for cells scanned with the tag start
// delimiter `start`: the engine's table (PreForm::ScratchBuffers), built
// again only when the delimiter's first character changes (it rarely does).
const unsigned char* CellByteKinds(const PreForm& table, const TextString& start) {
    PreForm::ScratchBuffers::CellByteKinds& kinds = table.scratchBuffers.cellByteKinds;
    const int first = start.IsEmpty() ? 256 : static_cast<unsigned char>(start.buffer[0]);
    if (first != kinds.builtFor) {
        kinds.of = kPlainStops;
        if (first < 256) {
            kinds.of[static_cast<unsigned char>(ToLowerAscii(static_cast<char>(first)))] |= kMayStartTag;
            kinds.of[static_cast<unsigned char>(ToUpperAscii(static_cast<char>(first)))] |= kMayStartTag;
        }
        kinds.builtFor = first;
    }
    return kinds.of.data();
}

bool IsPlainCellText(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (kPlainStops[static_cast<unsigned char>(c)]) return false;
    return !IsBlankOrTab(text.back());
}

// IsPlainCellText, for a text that also neither starts with a blank nor may
// hold a tag (the first character of the tag start delimiter `start` is not
// in it, in either letter case, as the cell tag scan looks for it).  `kinds`:
// CellByteKinds for `start`.
bool IsPlainUntaggedCellText(std::string_view text, const TextString& start, const unsigned char* kinds) {
    if (text.empty() || start.IsEmpty() || IsBlankOrTab(text.front()) || IsBlankOrTab(text.back())) return false;
    for (const char c : text)
        if (kinds[static_cast<unsigned char>(c)]) return false;
    return true;
}

// The same for a cell's own text, for the cells of a row: what the test
// reads of the delimiter is made once, when the row starts.  A text of at
// most sixteen bytes in a buffer of at least that many (most cells: their
// buffers are reused row after row) is looked at in one vector compare.
class PlainCellText {
public:
    // `kinds`: CellByteKinds for `start`.
    PlainCellText(const TextString& start, const unsigned char* kinds) : start(start), kinds(kinds) {
#if defined(__SSE2__)
        if (!start.IsEmpty()) {
            vectors = true;
            lower = _mm_set1_epi8(ToLowerAscii(start.buffer[0]));
            upper = _mm_set1_epi8(ToUpperAscii(start.buffer[0]));
        }
#endif
    }

    [[gnu::always_inline]] bool Holds(const TextString& text) const {
#if defined(__SSE2__)
        if (vectors && text.length > 0 && text.length <= 16 && text.capacity >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.buffer));
            auto is = [&](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
            const __m128i stops =
                _mm_or_si128(_mm_or_si128(_mm_or_si128(is('<'), is('>')), _mm_or_si128(is('&'), is('\n'))),
                             _mm_or_si128(_mm_or_si128(is('\0'), is('\x01')),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, lower), _mm_cmpeq_epi8(bytes, upper))));
            const __m128i blanks = _mm_or_si128(is(' '), is('\t'));
            // Only the text's own bytes count, not what its buffer holds
            // after it; blanks only at its ends.
            const unsigned own = (1u << text.length) - 1;
            const unsigned ends = 1u | (1u << (text.length - 1));
            return ((static_cast<unsigned>(_mm_movemask_epi8(stops)) & own) |
                    (static_cast<unsigned>(_mm_movemask_epi8(blanks)) & ends)) == 0;
        }
#endif
        return IsPlainUntaggedCellText(text.view(), start, kinds);
    }

private:
    const TextString& start;
    const unsigned char* kinds;
#if defined(__SSE2__)
    bool vectors = false;  // there is a delimiter
    __m128i lower = _mm_setzero_si128();
    __m128i upper = _mm_setzero_si128();
#endif
};

// Whether the table's cells can be plain cells at all: not under the rule
// set that removes spans from them, and not while font changes around a
// cell may write markup.
bool PlainCellsPossible(const PreForm& table) {
    return table.policies->ruleSetCode != kRuleSetSec && !engine_support::CellFontMarkupPossible(table);
}

// Whether a cell of such a table, holding `text`, is a plain cell: its text
// is a plain untagged cell text and it needs no contents link.  The HTML
// cell writer leaves such a text as it is.
[[gnu::always_inline]] inline bool IsPlainCell(const TableCell& cell, const TextString& text,
                                               const PlainCellText& plainText) {
    return cell.linkAnchor.IsEmpty() && plainText.Holds(text);
}

// A long text (a cell that holds a whole block) is searched by memchr for
// each letter case of the delimiter's first character.
constexpr size_t kTagSearchedFrom = 64;
[[gnu::noinline]] bool LongTextMayHoldTag(std::string_view text, const TextString& start) {
    const char lower = ToLowerAscii(start.buffer[0]);
    const char upper = ToUpperAscii(start.buffer[0]);
    return std::memchr(text.data(), lower, text.size()) ||
           (upper != lower && std::memchr(text.data(), upper, text.size()));
}

// Whether the text may hold a tag: whether the first character of the tag
// start delimiter is in it, in either letter case, as the cell tag scans
// look for it (true when there is no delimiter: the scans decide).
// `kinds`: CellByteKinds for `start`.
[[gnu::always_inline]] inline bool MayHoldTag(std::string_view text, const TextString& start,
                                              const unsigned char* kinds) {
    if (start.IsEmpty()) return true;
    if (text.size() >= kTagSearchedFrom) [[unlikely]]
        return LongTextMayHoldTag(text, start);
    for (const char c : text)
        if (kinds[static_cast<unsigned char>(c)] & kMayStartTag) return true;
    return false;
}

// A cell text that is no text of its own: nothing but blanks, or in HTML
// the "&nbsp;" that the cell splitter gives an empty cell.
bool IsNoText(const TextString& cellText, bool html) {
    const std::string_view text = TrimBlanks(cellText.view());
    return text.empty() || (html && text == "&nbsp;");
}
bool HasNoText(const TableCell& cell, bool html) { return IsNoText(cell.text, html); }

// An empty cell that only fills a column: no text and no laid-out extras.
// (Padding cells have no laid-out extras.)
bool IsFillerCell(const TableCell& cell, bool html) {
    return HasNoText(cell, html) && cell.stubText.IsEmpty() && cell.gutterText.IsEmpty();
}

int StepOf(const TableCell& cell) { return cell.span > 1 ? cell.span : 1; }

// Removes every piece of `text` from `start` up to the next `end`
// (inclusive); an unclosed start is left in place.
void RemoveSpans(TextString& text, std::string_view start, char end) {
    const std::string_view in = text.view();
    if (in.find(start) == std::string_view::npos) return;
    std::string out;
    out.reserve(in.size());
    size_t at = 0;
    while (at < in.size()) {
        const size_t found = in.find(start, at);
        if (found == std::string_view::npos) break;
        const size_t close = in.find(end, found + start.size());
        if (close == std::string_view::npos) break;
        out.append(in.substr(at, found - at));
        at = close + 1;
    }
    out.append(in.substr(at));
    text.AssignChars(out.data(), static_cast<int>(out.size()));
}

// Whether nothing but "&nbsp;", "<BR>" and blanks is left of `text`.
bool IsOnlySpacing(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        if (IsBlankOrTab(text[at])) {
            ++at;
        } else if (MatchesAt(text, at, "&nbsp;")) {
            at += 6;
        } else if (MatchesAt(text, at, "<BR>")) {
            at += 4;
        } else {
            return false;
        }
    }
    return true;
}

// The pieces of a cell text between its line breaks, trimmed; an empty
// piece keeps its line with "&nbsp;", except an empty last piece after a
// break.  Done in place: every piece but an empty one gets shorter or stays
// as long, so that what is written never reaches what is still to be read;
// from a "&nbsp;" that would reach it on, the rest is built in `copy` (the
// caller's scratch text, which is left holding the text's earlier buffer).
// Bytes that already stand where they go are not moved: a text with nothing
// to trim is only read.
void FormatLineBreakPieces(TextString& text, TextString& copy) {
    const std::string_view in = text.view();
    char* const data = text.buffer;
    bool copying = false;
    size_t write = 0;
    auto put = [&](const char* from, size_t n, size_t room) {
        if (!copying && from == data + write) {
            write += n;
            return;
        }
        if (!copying && write + n > room) {
            copying = true;
            copy.MakeEmpty();
            copy.ReserveAbout(static_cast<int64_t>(in.size()) + 16);
            copy.AppendBytes(data, static_cast<int>(write));
        }
        if (copying) {
            copy.AppendBytes(from, static_cast<int>(n));
        } else {
            if (n > 0) std::memmove(data + write, from, n);
            write += n;
        }
    };
    size_t start = 0;
    bool afterBreak = false;
    for (;;) {
        const size_t at = FindTag(in, "<BR>", start);
        const bool last = at == std::string_view::npos;
        const size_t pieceEnd = last ? in.size() : at;
        std::string_view piece = in.substr(start, pieceEnd - start);
        if (!piece.empty() && (IsBlankOrTab(piece.front()) || IsBlankOrTab(piece.back()))) piece = TrimBlanks(piece);
        // The bytes up to the next piece's start may be written over; after
        // the last piece, the whole buffer.
        const size_t room = last ? static_cast<size_t>(text.capacity) : at + 4;
        if (!piece.empty())
            put(piece.data(), piece.size(), room);
        else if (!(last && afterBreak))
            put("&nbsp;", 6, room);
        if (last) break;
        // The text's own "<BR>" where it is one in upper case.
        put(std::memcmp(data + at, "<BR>", 4) == 0 ? data + at : "<BR>", 4, room);
        afterBreak = true;
        start = at + 4;
    }
    if (copying) {
        std::swap(text, copy);
        if (copy.capacity > kKeptScratchBytes) copy = TextString();
    } else {
        text.SubString(0, static_cast<int>(write));
    }
}

// The width of the table that percentage widths refer to: the laid-out
// columns' HTML widths and spacings with their stub cells, plus the extra
// width of a user table (0 when there is no layout; the percentage routine
// then takes 800).  The reserved indent positions lie inside the width of
// their column.
int LaidOutTableWidth(const TabConfig* config) {
    if (!config || config->columnCount <= 0) return 0;
    long total = config->extraWidth;
    for (int i = 0; i < config->columnCount; ++i) {
        const ColConfig* column = config->Column(i);
        if (!column || column->hidden) continue;
        total += static_cast<long>(column->GetWidth(0)) + column->GetSpacing(0);
        if (column->stubWidth > 0) total += column->stubWidth;
    }
    return static_cast<int>(std::clamp<long>(total, 0L, 1L << 30));
}

// Percentages are taken against the width filled in when the table started;
// a table written without that start (user tables) measures its layout.
int PercentBase(const TabConfig* config) {
    if (!config || config->columnCount <= 0) return 0;
    return config->totalWidth > 0 ? config->totalWidth : LaidOutTableWidth(config);
}

// A stub-indented column reserves room at its left for the deepest indent
// of its cells: one position of 15 points per indent level, each written as
// a spacer cell in front of a cell indented that far and covered by the
// COLSPAN of a cell indented less.
constexpr int kIndentPositionWidth = 15;
// STUB_INDENT levels are small; a level far beyond this would write
// thousands of spacer cells in every row.
constexpr int kMaxIndentPositions = 20;

// The indent positions that laid-out column `column` (from 0) reserves.
int ReservedIndentPositions(const TabConfig* config, int column) {
    const ColConfig* layout = config ? config->Column(column) : nullptr;
    if (!layout || layout->stubIndent <= 0 || config->largestStubIndent <= 0) return 0;
    return std::min(config->largestStubIndent, kMaxIndentPositions);
}

void AppendVerticalAlignment(TextString& tag, int vAlign) {
    if (vAlign == kVerticalTop)
        tag.Append(" VALIGN=\"TOP\"");
    else if (vAlign == kVerticalBottom)
        tag.Append(" VALIGN=\"BOTTOM\"");
    else if (vAlign == kVerticalCentre)
        tag.Append(" VALIGN=\"CENTER\"");
}

}  // namespace

// ---------------------------------------------------------------------------
// What the row writers share with the cell routines (row_writers.h)

namespace row_writing {

[[gnu::noinline]] void AddGrowing(TextString& text, const char* from, int n) { text.AppendBytes(from, n); }

// Position of the first `pattern` (an upper-case tag such as "<BR>") at or
// after `from`, in any letter case; npos when there is none.
size_t FindTag(std::string_view text, std::string_view pattern, size_t from) {
    if (from >= text.size() || pattern.size() < 2) return std::string_view::npos;
    // Every cell line is searched (a cell of many short lines has a "<"
    // every few bytes): the next "<" is looked for in the next sixteen bytes
    // in one compare, beyond them by memchr, and the letter after it rules
    // out most places before the full compare.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char second = ToUpperAscii(pattern[1]);
    // The line break, looked for after every cell line, is compared in one
    // word: its letters' case bits masked off, its "<" and ">" as they are.
    const bool lineBreak = pattern.size() == 4 && std::memcmp(pattern.data(), "<BR>", 4) == 0;
    constexpr unsigned char kBreakBytes[4] = {'<', 'B', 'R', '>'};
    constexpr unsigned char kBreakMask[4] = {0xFF, 0xDF, 0xDF, 0xFF};
    uint32_t breakWord;
    uint32_t caseMask;
    std::memcpy(&breakWord, kBreakBytes, sizeof breakWord);
    std::memcpy(&caseMask, kBreakMask, sizeof caseMask);
    for (const char* at = begin + from; at < end; ++at) {
#if defined(__SSE2__)
        if (end - at >= 16) {
            const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), _mm_set1_epi8('<'))));
            if (found) {
                at += __builtin_ctz(found);
            } else {
                // Beyond those sixteen bytes the next "<" may be far off
                // (a long text of words): memchr takes larger steps.
                at = static_cast<const char*>(std::memchr(at + 16, '<', static_cast<size_t>(end - at - 16)));
                if (!at) break;
            }
        }
#endif
        while (at < end && *at != '<') ++at;
        if (at == end) break;
        if (lineBreak && end - at >= 4) {
            uint32_t word;
            std::memcpy(&word, at, sizeof word);
            if ((word & caseMask) == breakWord) return static_cast<size_t>(at - begin);
            continue;
        }
        if (static_cast<size_t>(end - at) < pattern.size() || ToUpperAscii(at[1]) != second) continue;
        size_t matched = 2;
        while (matched < pattern.size() && ToUpperAscii(at[matched]) == ToUpperAscii(pattern[matched])) ++matched;
        if (matched == pattern.size()) return static_cast<size_t>(at - begin);
    }
    return std::string_view::npos;
}

// Writes the text of one HTML cell as lines cut after each "<BR>"; a "<BR>"
// followed by nothing but the end tag stays on its line, so that the last
// line runs to the end tag.  Continuation lines are indented by 6 blanks
// unless the HTML is minimised; lines longer than 131 characters go through
// the wrapping writer.  `cell` is the caller's scratch text: a long cell
// that is one line goes to the writer as it stands, not copied first.  A
// line of several is put together in `line`, the caller's scratch text too.
void WriteCellLines(FC* set, OutputDocument* document, TextString& cell, std::string_view endTag, bool minimise,
                    TextString& line, bool knownPlain) {
    const std::string_view text = cell.view();
    // Where the HTML file writer buffers, a line of several goes straight
    // into its buffer, added as WriteText adds a line; not from a text with
    // a NUL byte, which ends the line WriteText is given.
    HTMLFile* html = nullptr;
    // Whether the lines cut from the cell are known to be left as they are
    // by the tidy passes of the writer's flush (worked out below).
    bool plainCell = false;
    auto emit = [&](std::string_view piece, bool continuation, bool last) {
        if (!continuation && piece.size() == text.size() && piece.size() > static_cast<size_t>(kLongCellLine)) {
            document->WriteLine(set, document, &cell, 0);
            return;
        }
        const std::string_view indent = continuation && !minimise ? "      " : "";
        const int length = static_cast<int>(indent.size() + piece.size());
        if (html && length <= kLongCellLine) {
            char* const at = html->BufferedPlainLineSpace(set, length);
            std::memcpy(at, indent.data(), indent.size());
            std::memcpy(at + indent.size(), piece.data(), piece.size());
            // A line of a plain cell is plain as the cell is, but for the
            // last one (which may be blank) and one whose "&" the indent
            // puts a blank in front of: those are looked at on their own.
            if (plainCell && !last && !(indent.size() > 0 && piece.front() == '&'))
                html->EndPlainLine(length);
            else
                html->EndLineWritten(length);
            return;
        }
        line.MakeEmpty();
        if (continuation && !minimise) Add(line, "      ");
        line.AppendBytes(piece.data(), static_cast<int>(piece.size()));
        if (line.length > kLongCellLine)
            document->WriteLine(set, document, &line, 0);
        else
            document->WriteText(set, document, line.buffer);
    };
    size_t start = 0;
    bool continuation = false;
    const size_t firstBreak = FindTag(text, "<BR>", 0);
    if ((firstBreak == std::string_view::npos || text.substr(firstBreak + 4) == endTag) &&
        cell.length <= kLongCellLine) {
        // The common case: the whole cell on one line.
        document->WriteText(set, document, cell.buffer);
        return;
    }
    if (!std::memchr(text.data(), '\0', text.size())) html = row_writing::BufferingHtmlFile(set, document);
    // A cell the passes leave as it is, in one line, is cut after its line
    // breaks into lines they leave as they are: no tag or "-->" spans a cut
    // (each cut follows a "<BR>"), and the lines begin and end where the
    // cell's "<BR>" tags end, which the check looks past.
    plainCell =
        html && !std::memchr(text.data(), '\n', text.size()) && (knownPlain || HTML_TidyLeavesUnchanged(text));
    for (size_t at = firstBreak; at != std::string_view::npos; at = FindTag(text, "<BR>", at + 4)) {
        const size_t cut = at + 4;
        if (cut >= text.size() || text.substr(cut) == endTag) break;
        emit(text.substr(start, cut - start), continuation, false);
        continuation = true;
        start = cut;
    }
    if (start < text.size() || !continuation) emit(text.substr(start), continuation, true);
}

void AppendCellAttributes(TextString& markup, const CellAttributes& cell, FC* set, bool percent, int percentBase) {
    if (cell.width > 0 && cell.visibleColumns <= 1) {
        Add(markup, " WIDTH=");
        if (percent) {
            TextString share;
            FormatPercentWidth(set, cell.width, &share, percentBase);
            markup.Append(share);
        } else {
            markup.AppendNumber('1', cell.width, 0);
        }
    }
    if (cell.span > 1) {
        Add(markup, " COLSPAN=");
        markup.AppendNumber('1', cell.span, 0);
    }
    if (cell.rowSpan > 1) {
        Add(markup, " ROWSPAN=");
        markup.AppendNumber('1', cell.rowSpan, 0);
    }
    const char* alignAttribute =
        cell.alignment == kAlignmentCentre
            ? " ALIGN=\"CENTER\""
            : (cell.alignment == kAlignmentRight ? " ALIGN=\"RIGHT\"" : (cell.header ? " ALIGN=\"LEFT\"" : nullptr));
    if (alignAttribute && !cell.onlySpacing) Add(markup, alignAttribute);
    if (!cell.header) AppendVerticalAlignment(markup, cell.vAlign);
    Add(markup, ">");
}

// The table font (face, size and style) in place of a paragraph style's
// font; its font is null without a Context.
RTFFontOverride TableFontOverride(const FC* policies) {
    RTFFontOverride font;
    font.faceMode = 1;
    font.sizeMode = 1;
    font.styleMode = 1;
    font.font = policies && policies->context ? &policies->context->styleSet.fonts[kStyleTable] : nullptr;
    return font;
}

}  // namespace row_writing

// ---------------------------------------------------------------------------
// Table alignment

int PreForm::TableAlignment() const {
    const TabConfig* config = tabConfig ? tabConfig : (policies ? policies->GetDefaultTabConfig() : nullptr);
    if (config && config->IsSet(TabPol::TableAlignment)) {
        const int alignment = config->GetInt(TabPol::TableAlignment);
        if (alignment != kAlignmentNone) return alignment;
    }
    return centreTable ? kAlignmentCentre : kAlignmentLeft;
}

// ---------------------------------------------------------------------------
// Table start and end

HeaderRuleInput PreForm::HeaderRule() const {
    const TabConfig* config = ConfigOf(*this);
    const int lineTotal = static_cast<int>(lines.size());
    auto isRule = [&](int index) { return index >= 0 && index < lineTotal && lines[index]->isRuleLine; };
    HeaderRuleInput input;
    input.lineCount = lineCount;
    input.ruleLineCount = ruleLineCount;
    input.firstRuleLine = firstRuleLine;
    input.secondRuleLine = secondRuleLine;
    input.lastRuleLine = lastRuleLine;
    for (int index = 0; index < HeaderRuleInput::kHeadingRuleLines; ++index)
        input.ruleAt[static_cast<size_t>(index)] = isRule(index);
    input.ruleInLastTwo = isRule(lineCount - 1) || isRule(lineCount - 2);
    input.policyHeaderRows = config ? config->GetInt(TabPol::HeaderRows) : 0;
    input.policyHeaderColumns = config ? config->GetInt(TabPol::HeaderCols) : 0;
    return input;
}

bool PreForm::DecideTableHeader() {
    tableDecision.header = DecideHeaderRows(HeaderRule());
    firstRuleLine = tableDecision.header.firstRuleLine;
    return tableDecision.header.hasHeader;
}

// An indented table goes into the list level of its margin; one indented
// far without indent positions is centred instead.
int PreForm::TableIndentLevel(int* centre) const {
    if (centre) *centre = 0;
    if (!policies) return 0;
    int level = policies->GetIndentLevel(leftMargin);
    if (level == 0 && leftMargin > 0) {
        level = leftMargin / 6;
        if (level > 2) {
            if (centre) *centre = 1;
            level = 0;
        }
    }
    return level;
}

long PreForm::RtfTableOffset() const {
    if (tableMargin != 0) return std::max(0L, static_cast<long>(tableMargin) * 20);
    return static_cast<long>(policies ? policies->GetIndentLevel(leftMargin) : 0) * 360 - 108;
}

namespace {

// The widths a table's columns get in `room` twips when their widths
// `widths` do not fit: the columns narrower than an equal share of the room
// keep their widths, the others share what is left in proportion to their
// widths, none narrower than its `least` width.  False when even the least
// widths do not fit: `fitted` then holds them for the columns that share.
bool ShareRoom(const std::vector<long>& widths, const std::vector<long>& least, long room,
               std::vector<long>& fitted) {
    const size_t count = widths.size();
    fitted = widths;
    const long share = room > 0 ? room / static_cast<long>(count) : 0;
    std::vector<bool> shared(count, false);
    long rest = room;
    long wideLeast = 0;
    for (size_t k = 0; k < count; ++k) {
        if (fitted[k] < share) {
            rest -= fitted[k];
        } else {
            shared[k] = true;
            wideLeast += least[k];
        }
    }
    if (rest < wideLeast) {
        for (size_t k = 0; k < count; ++k)
            if (shared[k]) fitted[k] = least[k];
        return false;
    }
    // In proportion; a column that would come out below its least width
    // takes that width and the others share again what is left.
    for (bool again = true; again;) {
        again = false;
        long sharedWidths = 0;
        for (size_t k = 0; k < count; ++k)
            if (shared[k]) sharedWidths += widths[k];
        if (sharedWidths <= 0) break;
        for (size_t k = 0; k < count; ++k) {
            if (!shared[k]) continue;
            const long width = static_cast<long>(static_cast<double>(rest) * widths[k] / sharedWidths);
            if (width < least[k]) {
                fitted[k] = least[k];
                rest -= least[k];
                shared[k] = false;
                again = true;
                break;
            }
            fitted[k] = width;
        }
    }
    return true;
}

// The width in twips of the longest word of each column's titles: the cells
// of the table's header rows, or, in a table without them, of its first
// line (a table that a program prints names its columns on its first line,
// often without a rule under it).  Header cells are written bold, and
// measured so.  A cell that spans columns sets no column's width.  Each
// word is given the width of a blank beside it.
std::vector<long> TitleWordWidths(PreForm& table) {
    const int count = std::min(table.columnCount, static_cast<int>(table.columns.size()));
    std::vector<long> widths(static_cast<size_t>(count), 0);
    if (!table.policies || count <= 0) return widths;
    const int total = std::min(table.lineCount, static_cast<int>(table.lines.size()));
    auto isTitleLine = [&](int i) {
        const PreFormLine& line = *table.lines[static_cast<size_t>(i)];
        return IsTableTextLine(line) && !line.isBlank && !line.isRuleLine && !line.continuesRecord;
    };
    int leadingBlanks = 0;
    int first = 0;
    for (; first < total && !isTitleLine(first); ++first)
        if (table.lines[static_cast<size_t>(first)]->isBlank) ++leadingBlanks;
    const bool headerRows = table.headerRowCount > 0;
    const int end = std::min(total, headerRows ? leadingBlanks + table.headerRowCount : first + 1);
    const double blank = engine_support::TextTwips(table, " ", headerRows);
    // A cell in which no tag starts is measured as it stands: a title that
    // holds a whole file is not copied once more.
    const TextString& tagStart = table.policies->GetText(Pol::StartTagDelimiter);
    TextString plain;
    std::string word;
    for (int i = first; i < end; ++i) {
        if (!isTitleLine(i)) continue;
        table.SplitLineIntoCells(&table.scratchRow, i, 1);
        for (int c = 0; c < count && c < table.scratchRow.Count(); ++c) {
            const TableCell& cell = *table.scratchRow.CellAt(c);
            if (cell.span != 1) continue;
            const bool tagged =
                !tagStart.IsEmpty() && cell.text.view().find(tagStart.buffer[0]) != std::string_view::npos;
            if (tagged) RemoveInLineTags(*table.policies, nullptr, nullptr, cell.text, plain);
            const std::string_view text = tagged ? plain.view() : cell.text.view();
            for (size_t at = 0; at < text.size();) {
                const size_t start = text.find_first_not_of(" \t\n", at);
                if (start == std::string_view::npos) break;
                const size_t stop = std::min(text.find_first_of(" \t\n", start), text.size());
                word.assign(text.substr(start, stop - start));
                const double width = engine_support::TextTwips(table, word.c_str(), headerRows) + blank;
                widths[static_cast<size_t>(c)] =
                    std::max(widths[static_cast<size_t>(c)], static_cast<long>(std::ceil(width)));
                at = stop;
            }
        }
    }
    return widths;
}

// Widens the columns of `widths` that are narrower than their titles'
// longest words (`titles`) to those words, as far as the room allows: the
// room the page has left beside the columns, and what the other columns can
// give up down to their own titles and their `floors`, which they give in
// proportion to what they can give.  The columns that need the least are
// widened first, each fully or not at all.  The total width grows only into
// the room left.
void WidenForTitles(std::vector<long>& widths, const std::vector<long>& titles, const std::vector<long>& floors,
                    long room) {
    const size_t count = widths.size();
    long total = 0;
    for (const long width : widths) total += width;
    const long free = std::max(0L, room - total);
    std::vector<long> slack(count, 0);
    long totalSlack = 0;
    std::vector<size_t> narrow;
    for (size_t k = 0; k < count; ++k) {
        slack[k] = std::max(0L, widths[k] - std::max(floors[k], titles[k]));
        totalSlack += slack[k];
        if (titles[k] > widths[k]) narrow.push_back(k);
    }
    std::stable_sort(narrow.begin(), narrow.end(),
                     [&](size_t a, size_t b) { return titles[a] - widths[a] < titles[b] - widths[b]; });
    long taken = 0;
    size_t widened = 0;
    for (; widened < narrow.size(); ++widened) {
        const long need = titles[narrow[widened]] - widths[narrow[widened]];
        if (taken + need > free + totalSlack) break;
        taken += need;
    }
    if (widened == 0) return;
    // What the free room does not cover, the other columns give up.
    long give = std::max(0L, taken - free);
    if (give > 0 && totalSlack > 0) {
        long given = 0;
        for (size_t k = 0; k < count; ++k) {
            const long part = static_cast<long>(static_cast<double>(slack[k]) * static_cast<double>(give) /
                                                static_cast<double>(totalSlack));
            widths[k] -= part;
            slack[k] -= part;
            given += part;
        }
        // The rounding's rest, a twip at a time.
        for (size_t k = 0; k < count && given < give; ++k) {
            const long part = std::min(slack[k], give - given);
            widths[k] -= part;
            given += part;
        }
    }
    for (size_t k = 0; k < widened; ++k) widths[narrow[k]] = titles[narrow[k]];
}

}  // namespace

// The columns get their widths in twips for the page.  Where the page has
// room, no column is narrower than the longest word of its titles (see
// TitleWordWidths), so that no title is broken inside a word.  A table
// whose columns do not fit between the page margins is narrowed (see
// ShareRoom): no column narrower than its longest word or
// kLeastFittedWidth, whichever is smaller, and long cells wrap in their
// columns; when even those least widths do not fit, they are used and the
// table is reported wider than the page.  Then the columns too narrow for
// their titles are widened with the room the page has left and the room the
// other columns can give up (see WidenForTitles); a column whose longest
// word is wider than kLeastFittedWidth, and breaks whatever its width, gives
// up room down to its own title's word.
void PreForm::FitRtfTableToPage() {
    const int count = std::min(columnCount, static_cast<int>(columns.size()));
    if (count <= 0 || !policies) return;
    int paperWidth = 0, paperHeight = 0, top = 0, bottom = 0, left = 0, right = 0;
    RTF_GetPaperSize(policies, &paperWidth, &paperHeight);  // the landscape width when landscape
    RTF_GetMargins(policies, &top, &bottom, &left, &right);
    // The room for the columns: the widest cell edge stays within the
    // printable width.
    const long room =
        static_cast<long>(paperWidth) - left - right - RtfTableOffset() - static_cast<long>(count) * kRtfColumnGap;
    const std::vector<long> titles = TitleWordWidths(*this);
    std::vector<long> natural(static_cast<size_t>(count));
    long naturalTotal = 0;
    long wantedTotal = 0;
    long characters = 0;
    for (int k = 0; k < count; ++k) {
        natural[static_cast<size_t>(k)] = columns[static_cast<size_t>(k)]->rtfWidth;
        naturalTotal += natural[static_cast<size_t>(k)];
        wantedTotal += std::max(natural[static_cast<size_t>(k)], titles[static_cast<size_t>(k)]);
        characters += std::max(columns[static_cast<size_t>(k)]->width, 0);
    }
    std::vector<long> fitted = natural;
    auto use = [&] {
        for (int k = 0; k < count; ++k)
            columns[static_cast<size_t>(k)]->rtfWidth = static_cast<int>(fitted[static_cast<size_t>(k)]);
    };
    if (wantedTotal <= room) {
        for (int k = 0; k < count; ++k)
            fitted[static_cast<size_t>(k)] =
                std::max(fitted[static_cast<size_t>(k)], titles[static_cast<size_t>(k)]);
        use();
        return;
    }

    // The least width of each column: its longest word (at the columns'
    // own twips per character), at most kLeastFittedWidth and at most its
    // natural width.
    const double perCharacter =
        characters > 0 ? static_cast<double>(naturalTotal) / static_cast<double>(characters) : 0.0;
    std::vector<long> least(static_cast<size_t>(count), kLeastFittedWidth);
    // What a column gives up for the titles of others: down to its least
    // width, but none is kept for a column whose longest word is wider than
    // kLeastFittedWidth (that word breaks at any width the column gets).
    std::vector<long> floors(static_cast<size_t>(count), kLeastFittedWidth);
    if (!isDelimited && perCharacter > 0) {
        std::vector<int> longestWord(static_cast<size_t>(count), 0);
        const int lineTotal = std::min(lineCount, static_cast<int>(lines.size()));
        for (int i = 0; i < lineTotal; ++i) {
            const PreFormLine& line = *lines[static_cast<size_t>(i)];
            if (line.isBlank || line.isRuleLine || line.lineType == kStatementChangePolicy) continue;
            const LineText text = line.Layout();
            int start = 0;
            for (int k = 0; k < count && start < text.length; ++k) {
                const int boundary = columns[static_cast<size_t>(k)]->boundary;
                const int end = k == count - 1 ? text.length : std::min(text.length, boundary + 1);
                int run = 0;
                for (int at = start; at < end; ++at) {
                    run = text.buffer[at] == ' ' || text.buffer[at] == '\t' ? 0 : run + 1;
                    longestWord[static_cast<size_t>(k)] = std::max(longestWord[static_cast<size_t>(k)], run);
                }
                start = std::max(start, end);
            }
        }
        for (int k = 0; k < count; ++k) {
            const long word = std::lround(longestWord[static_cast<size_t>(k)] * perCharacter);
            least[static_cast<size_t>(k)] = std::min<long>(kLeastFittedWidth, word);
            floors[static_cast<size_t>(k)] = word > kLeastFittedWidth ? 0 : word;
        }
    }
    for (int k = 0; k < count; ++k) {
        least[static_cast<size_t>(k)] = std::min(least[static_cast<size_t>(k)], natural[static_cast<size_t>(k)]);
        floors[static_cast<size_t>(k)] = std::min(floors[static_cast<size_t>(k)], least[static_cast<size_t>(k)]);
    }

    if (naturalTotal > room && !ShareRoom(natural, least, room, fitted))
        Message("WARNING: Table is wider than the page", kLevelAlways);
    WidenForTitles(fitted, titles, floors, room);
    use();
}

// The border: the configuration's size when it gives one; else a grid for
// a table with header rows, none for a short or ruled table, no attribute
// at all for a names-and-values list (which reads better without a grid).
void PreForm::DecideTableBorder(const TabConfig* config, bool header) {
    TableDecision& decision = tableDecision;
    decision.bordered = false;
    if (config && config->IsSet(TabPol::BorderSize)) {
        const int size = config->GetInt(TabPol::BorderSize);
        decision.borderSize = size > 0 ? size : 0;
        decision.bordered = size > 0;
    } else if (header && lineCount > 3) {
        decision.borderSize = kTableGridBorder;
        decision.bordered = true;
    } else if (ruleLineCount > 1 || firstRuleLine > 3 ||
               lineCount - headerLineCount - blankLineCount - ruleLineCount < 4) {
        decision.borderSize = 0;
    } else if (columnCount == 2 && !columns.empty() && columns[0]->hasDominantValue) {
        decision.borderSize = TableDecision::kNoBorderAttribute;
    } else {
        decision.borderSize = kTableGridBorder;
        decision.bordered = true;
    }
    decision.cellSpacing = 0;
    if (config && config->IsSet(TabPol::CellSpacing) && config->GetInt(TabPol::CellSpacing) >= 1)
        decision.cellSpacing = config->GetInt(TabPol::CellSpacing);
    decision.cellPadding = decision.bordered ? 2 : 4;
    if (config && config->IsSet(TabPol::CellPadding))
        decision.cellPadding = std::max(0, config->GetInt(TabPol::CellPadding));
}

void PreForm::OutputTableStart(int* bordered, int* hasHeader) {
    int ownBordered = 0;
    int ownHeader = 0;
    if (!bordered) bordered = &ownBordered;
    if (!hasHeader) hasHeader = &ownHeader;
    *bordered = 0;
    *hasHeader = 0;
    if (!policies) return;
    Context* context = policies->context;
    TabConfig* config = ConfigOf(*this);
    rowPadding = PaddingState{};
    rtfCellEdges.clear();
    const bool html = htmlOutput && htmlWriter;
    const bool rtf = rtfOutput && rtfWriter;

    // The decision, before anything is written.
    TableDecision& decision = tableDecision;
    const bool header = DecideTableHeader();
    decision.indentLevel = TableIndentLevel(&centreTable);
    if (config) {
        config->centreTable = centreTable;
        // Percentage widths of the cells refer to this width.
        config->totalWidth = LaidOutTableWidth(config);
    }
    decision.alignment = TableAlignment();
    DecideTableBorder(config, header);
    decision.width.MakeEmpty();
    decision.colours.MakeEmpty();
    if (config) {
        engine_support::AppendTableWidth(decision.width, *config);
        engine_support::AppendTableColours(decision.colours, *config, policies);
    }

    if (html) HTML_ChangeIndentLevel(htmlWriter, decision.indentLevel, policies);
    if (config)
        for (int c = 0; c < config->columnCount; ++c)
            if (config->largestStubIndent > kMaxIndentPositions && ReservedIndentPositions(config, c) > 0) {
                Message("WARNING: Stub indent too deep; levels beyond 20 are written at level 20", kLevelAlways);
                break;
            }

    if (html) {
        const char* comment = "<!-- Automatically detected TABLE structure -->";
        if (isTable)
            comment = "<!-- User-specified TABLE structure -->";
        else if (isDelimited)
            comment = "<!-- User-specified DELIMITED TABLE structure -->";
        else if (isTextBlock)
            comment = "<!-- Automatically detected Text Block structure -->";
        htmlWriter->WriteText(policies, htmlWriter, comment);
    }

    // The start tag.
    TextString tag;
    engine_support::AppendTableOpening(tag, decision.alignment, context);
    if (decision.borderSize != TableDecision::kNoBorderAttribute) {
        tag.Append(" BORDER=");
        tag.AppendNumber('1', decision.borderSize, 0);
    }
    tag.Append(decision.width);
    tag.Append(" CELLSPACING=");
    tag.AppendNumber('1', decision.cellSpacing, 0);
    tag.Append(" CELLPADDING=");
    tag.AppendNumber('1', decision.cellPadding, 0);
    tag.Append(decision.colours);

    if (html) {
        tag.Append(">");
        if (context)
            context->documentState.blocks.Add(policies, htmlWriter, tag);
        else
            Write(htmlWriter, policies, tag);
        if (const TextString caption = config ? engine_support::HtmlCaptionLine(*config, policies) : TextString();
            !caption.IsEmpty())
            Write(htmlWriter, policies, caption);
    }
    if (rtf) {
        OutputRtfCaption();
        rtfWriter->WriteText(policies, rtfWriter, "{");
    }
    *bordered = decision.bordered ? 1 : 0;
    *hasHeader = header ? 1 : 0;
}

// The caption is a paragraph of its own, before the table's rows: "Body"
// with the table font, centred and kept with the table.  Its text is
// written as it is kept, as the HTML caption is: a TABLE_CAPTION line's
// text is converted for the output format when it is read.
void PreForm::OutputRtfCaption() {
    if (!policies || !rtfOutput || !rtfWriter) return;
    const TabConfig* config = ConfigOf(*this);
    if (!config || !config->IsSet(TabPol::Caption) || config->GetText(TabPol::Caption).IsEmpty()) return;
    const TextString& caption = config->GetText(TabPol::Caption);
    const RTFFontOverride font = row_writing::TableFontOverride(policies);
    const RTFParagraphParts parts{1, 1, 1, 1, 0, 0, 0};  // its own alignment and keep
    TextString line;
    RTF_StartPara(policies, dynamic_cast<RTFFile*>(rtfWriter), kStyleBody, nullptr, line, &parts,
                  font.font ? &font : nullptr);
    line.Insert(0, "{");
    line.Append("\\keepn\\qc ");
    // A caption from a policy file reaches here raw, one from the document
    // escaped already: either way no brace of it may open or close a group.
    TextString text = RTF_EscapeMarkupOnce(caption);
    RTF_WriteValueForPage(policies, text);
    line.Append(text);
    line.Append("\\par}");
    Write(rtfWriter, policies, line);
}

void PreForm::OutputTableEnd() {
    if (!policies) return;
    Context* context = policies->context;
    if (htmlOutput && htmlWriter) {
        TextString end("</TABLE>");
        if (TableAlignment() != 1) end.Append("</DIV>");
        if (context)
            context->documentState.blocks.Decrement(policies, htmlWriter, end);
        else
            Write(htmlWriter, policies, end);
        const char* comment = "<!-- end of automatically detected TABLE structure -->";
        if (isTable)
            comment = "<!-- end of user-specified TABLE structure -->";
        else if (isDelimited)
            comment = "<!-- end of DELIMITED TABLE structure -->";
        else if (isTextBlock)
            comment = "<!-- end of automatically detected Text Block structure -->";
        htmlWriter->WriteText(policies, htmlWriter, comment);
    }
    if (rtfOutput && rtfWriter) rtfWriter->WriteText(policies, rtfWriter, "}");
}

namespace {

// For the first column of a names-and-values list (its first column has a
// dominant value), the column's share of the page as a width; else 0.
int FirstColumnShare(const PreForm& table, int column) {
    if (column != 1 || table.columns.empty() || !table.columns[0]->hasDominantValue) return 0;
    const long characters = static_cast<long>(table.columns[0]->width) + table.leftMargin;
    int page = table.policies->GetInt(Pol::PageWidth);
    if (page <= 0) page = kDefaultPageWidth;
    long scaled = characters * 800 / page;
    if (scaled < characters) scaled = characters * 120 / 100;
    return static_cast<int>(std::clamp(scaled, 0L, 1L << 30));
}

}  // namespace

// ---------------------------------------------------------------------------
// Rows

namespace {

// What the shared steps find out about a row; both row writers read it.
struct RowShape {
    int lineIndex = 0;
    int count = 0;  // the cells of the row
    int highest = 0;  // the highest line count up to the first cell with text
    bool uniform = true;  // every cell has `highest` lines
    int tailStart = 0;  // the first of the empty cells that only fill the columns
    bool mergeTail = false;  // those are written as one cell (see kPaddingCellLimit)
    bool headerRow = false;
    bool winHelp = false;
    bool lastLine = false;
    const std::vector<unsigned char>* plainCells = nullptr;  // per cell: 1 for a plain cell
    bool emptyCells = false;  // HTML: some cells may be empty cells written as plain cells

    // Padding cells beyond the cells marked are not plain.
    bool IsPlain(int c) const {
        return static_cast<size_t>(c) < plainCells->size() && (*plainCells)[static_cast<size_t>(c)] != 0;
    }
    bool IsMerged(int c) const { return mergeTail && c >= tailStart; }
};

// The highest line count up to the first cell with text; a row without
// any text is not written (false).  The padding cells (see TableCellRow)
// are alike: the first of them stands for all.
bool MeasureRowLines(const TableCellRow& row, bool html, RowShape& shape) {
    const int count = shape.count;
    const int real = std::min(count, row.PaddingStart());
    const TableCellRow::Padding& padding = row.PaddingCells();
    int highest = 0;
    int firstFilled = -1;
    for (int c = 0; c < real; ++c) {
        const TableCell& cell = *row.CellAt(c);
        highest = std::max(highest, cell.lineCount);
        if (!HasNoText(cell, html)) {
            firstFilled = c;
            break;
        }
    }
    if (firstFilled < 0 && real < count) {
        highest = std::max(highest, padding.fields.lineCount);
        if (!IsNoText(padding.text, html)) firstFilled = real;
    }
    if (firstFilled < 0) return false;
    bool uniform = real >= count || padding.fields.lineCount == highest;
    for (int c = 0; c < real && uniform; ++c) uniform = row.CellAt(c)->lineCount == highest;
    shape.highest = highest;
    shape.uniform = uniform;
    return true;
}

// The written cells of a row stand where a walk over its cells by their
// spans stops.  Walks the cells before the row's padding (all of them where
// `wholeRow` is set), and gives the first cell it did not reach: the
// padding cells from there on are the rest of the row's written cells, and
// those the walk stepped over (covered by a cell's span) are filled in, so
// that a change made to the padding as a whole is made to written cells
// only.
template <typename Visit>
int WalkCellsBeforePadding(const TableCellRow& row, int count, bool wholeRow, Visit&& visit) {
    const int stop = wholeRow ? count : std::min(count, row.PaddingStart());
    int c = 0;
    while (c < stop) {
        const TableCell& cell = *row.CellAt(c);
        visit(c);
        c += StepOf(cell);
    }
    if (c > stop && c < count) row.FillInBefore(c);
    return std::min(c, count);
}

// Marks the plain cells in `plainCells` and finds the empty cells that only
// fill the columns after the last cell with text; gives their count.
long MarkPlainCellsAndTail(const PreForm& table, bool html, const TextString& tagStart,
                           std::vector<unsigned char>& plainCells, RowShape& shape) {
    // Whether each cell is a plain cell whose text the HTML cell writer
    // leaves as it is (see IsPlainUntaggedCellText): such a cell holds no
    // tag, has text, and is written from its own text.
    const TableCellRow& row = table.cellRow;
    const int count = shape.count;
    const bool cellsMayBePlain = html && PlainCellsPossible(table);
    const PlainCellText plainText(tagStart, CellByteKinds(table, tagStart));
    // Padding cells are alike: when they are not plain cells they are
    // dealt with as one.
    const TableCellRow::Padding& padding = row.PaddingCells();
    const bool plainPadding = row.PaddingStart() < count && cellsMayBePlain && plainText.Holds(padding.text);
    const int walked = std::min(count, plainPadding ? count : row.PaddingStart());
    plainCells.assign(static_cast<size_t>(walked), 0);

    // The empty cells that only fill the columns after the last cell with
    // text, and whether they are written as one cell (see kPaddingCellLimit).
    int tailStart = 0;
    long tailCells = 0;
    const int rest = WalkCellsBeforePadding(row, count, plainPadding, [&](int c) {
        const TableCell& cell = *row.CellAt(c);
        const bool plain = cellsMayBePlain && IsPlainCell(cell, cell.text, plainText);
        plainCells[static_cast<size_t>(c)] = plain ? 1 : 0;
        if (!plain && IsFillerCell(cell, html)) {
            ++tailCells;
            shape.emptyCells = cellsMayBePlain;
        } else {
            tailStart = std::min(count, c + StepOf(cell));
            tailCells = 0;
        }
    });
    if (rest < count) {
        if (IsNoText(padding.text, html)) {
            tailCells += count - rest;
            shape.emptyCells = shape.emptyCells || cellsMayBePlain;
        } else {
            tailStart = count;
            tailCells = 0;
        }
    }
    shape.tailStart = tailStart;
    return tailCells;
}

// Counts a row's trailing empty cells against the table's padding limit;
// whether they are written as one cell.
bool MergesTrailingCells(PreForm& table, long tailCells) {
    PreForm::PaddingState& padding = table.rowPadding;
    padding.filledCells += tailCells;
    if (!padding.merging && padding.filledCells > kPaddingCellLimit) {
        padding.merging = true;
        table.Message("WARNING: Table has too many empty cells; empty cells at the ends of rows are merged",
                      kLevelAlways);
    }
    return padding.merging && tailCells > 1;
}

// The cell tags read whether a cell is a header cell and where it
// stands; the placement of WS tags is read before the tags are handled
// (a plain cell holds no tag).
void PlaceCellsAndReadWSTags(PreForm& table, const RowShape& shape, const TextString& tagStart) {
    const int lineIndex = shape.lineIndex;
    const unsigned char* const kinds = CellByteKinds(table, tagStart);
    const int rowNumber = shape.headerRow ? lineIndex : lineIndex - table.headerRowCount - table.leadingBlankCount;
    TableCellRow& row = table.cellRow;
    TableCellRow::Padding& padding = row.PaddingCells();
    // Padding cells are placed as one, unless their text may hold a tag.
    const bool taggedPadding = row.PaddingStart() < shape.count && MayHoldTag(padding.text.view(), tagStart, kinds);
    const int rest = WalkCellsBeforePadding(row, shape.count, taggedPadding, [&](int c) {
        TableCell* cell = row.CellAt(c);
        cell->isHeaderCell = shape.headerRow ? 1 : 0;
        cell->row = rowNumber;
        if (cell->column < 0) cell->column = c;
        if (!shape.IsPlain(c) && MayHoldTag(cell->text.view(), tagStart, kinds))
            table.ProcessWSTags(cell, &cell->text);
    });
    if (rest < shape.count) {
        padding.fields.isHeaderCell = shape.headerRow ? 1 : 0;
        padding.fields.row = rowNumber;
        if (padding.fields.column < 0) padding.numbered = true;
    }
}

// ---------------------------------------------------------------------------
// The row record

// The engine's side of the row writers: the cell routines that read the
// whole table.
class EngineRowServices final : public RowWriterServices {
public:
    explicit EngineRowServices(PreForm& engine) : table(engine) {}

    void RunCellTags(const CellRecord& cell, TextString& text) override {
        table.ProcessCellTags(cell.cell, &text, cell.cell->position);
    }

    void WriteHtmlCell(const RowRecord& row, const CellRecord& cell, const CellRecord* previous,
                       TextString& text) override {
        const TableCell* before = previous ? previous->cell : nullptr;
        const int headerRow = row.headerRow ? 1 : 0;
        if (cell.merged) {
            // The empty cells that end the row, as one spanning filler cell.
            TableCell filler(table.policies, cell.cell->position, cell.cell->font);
            filler.span = cell.span;
            TextString& gutter = table.scratchBuffers.cellGutter;
            TextString& stub = table.scratchBuffers.cellStub;
            gutter.MakeEmpty();
            stub.MakeEmpty();
            table.OutputHtmlCell(row.vAlignment, 0, cell.column + 1, before, &filler, &gutter, &stub, &text, 0,
                                 headerRow, 0, 0);
            return;
        }
        // The cell writer changes the text it is given but only reads the
        // gutter and stub texts: the cell's own are passed for those.
        table.OutputHtmlCell(row.vAlignment, cell.vAlignment, cell.column + 1, before, cell.cell,
                             &cell.cell->gutterText, &cell.cell->stubText, &text, cell.rule ? 1 : 0, headerRow,
                             cell.headerColumn ? 1 : 0, 0);
    }

private:
    PreForm& table;
};

// What both outputs read of the row.
void FillRow(const PreForm& table, const RowShape& shape, RowRecord& row) {
    row.closingLine = shape.lineIndex;
    row.headerRow = shape.headerRow;
    row.lastLine = shape.lastLine;
    row.onlyLine = table.lineCount == 1;
    row.winHelp = shape.winHelp;
    row.loose = table.lineCount < 2 || table.lineCount > kLooseBlockLines || shape.winHelp;
    row.looseCells = table.lineCount > kLooseBlockLines || shape.winHelp;
}

// The RTF row: the rule lines around it, the table's offset, and one cell
// per written cell with its right edge.
void FillRtfRow(PreForm& table, const RowShape& shape, RowRecord& row) {
    const int count = shape.count;
    const int lineIndex = shape.lineIndex;
    // Cell edges in twips, from the left of the table: the same for every
    // row of the table (made by its first).
    std::vector<long>& edges = table.rtfCellEdges;
    if (static_cast<int>(edges.size()) != count) {
        edges.assign(static_cast<size_t>(count), 0);
        long edge = 0;
        for (int c = 0; c < count; ++c) {
            const int width =
                c < static_cast<int>(table.columns.size()) ? table.columns[static_cast<size_t>(c)]->rtfWidth : 0;
            edge += width + kRtfColumnGap;
            edges[static_cast<size_t>(c)] = edge;
        }
    }
    row.rtfOffset = table.RtfTableOffset();

    row.ruleAbove = false;
    row.ruleBelow = false;
    if (!shape.winHelp) {
        const int total = static_cast<int>(table.lines.size());
        auto isRule = [&](int index) {
            if (index < 0 || index >= total) return false;
            const PreFormLine& entry = *table.lines[static_cast<size_t>(index)];
            return entry.lineType == kLineRuler || entry.isRuleLine != 0;
        };
        // The further lines of a record belong to the record's row: the
        // lines around the row are those around the whole record.
        auto continues = [&](int index) {
            return index >= 0 && index < total && table.lines[static_cast<size_t>(index)]->continuesRecord;
        };
        int first = lineIndex;
        while (first > 0 && continues(first)) --first;
        int after = lineIndex + 1;
        while (continues(after)) ++after;
        row.ruleBelow = isRule(after);
        row.ruleAbove = isRule(first - 1);
    }

    row.cells.clear();
    for (int c = 0; c < count; c += StepOf(*table.cellRow.CellAt(c))) {
        TableCell* cell = table.cellRow.CellAt(c);
        CellRecord& record = row.cells.emplace_back();
        record.column = c;
        record.cell = cell;
        record.text = &cell->text;
        record.font = cell->font;
        record.span = StepOf(*cell);
        record.rowSpan = cell->rowSpan;
        record.alignment = cell->alignment;
        record.headerColumn = c < table.headerColumnCount;
        int last = std::min(count - 1, c + StepOf(*cell) - 1);
        if (shape.IsMerged(c)) {
            record.merged = true;
            record.span = count - c;
            last = count - 1;
        }
        record.rightEdge = row.rtfOffset + edges[static_cast<size_t>(last)];
        if (last == count - 1) break;
    }
}

// An empty cell holds the "&nbsp;" the cell splitter gives it.  Where no
// font markup can go around it (see PlainCellsPossible), it needs no link
// and no byte of it can start a tag, the HTML cell writer would only take
// the line break off it again: such a cell is written as a plain cell whose
// start tag has no horizontal alignment.  Marks them in the row's record
// (rows seldom have any: kept out of FillHtmlRow's loop over the cells).
void MarkEmptyPlainCells(PreForm& table, bool laidOutTable, bool headerRow, RowRecord& row) {
    const TextString& tagStart = table.policies->GetText(Pol::StartTagDelimiter);
    if (laidOutTable || MayHoldTag(kEmptyCellText, tagStart, CellByteKinds(table, tagStart))) return;
    for (CellRecord& record : row.cells) {
        const TableCell& cell = *record.cell;
        if (record.merged || record.plainMarkup || record.rule || record.drawnRule ||
            cell.text.view() != kEmptyCellText || !cell.linkAnchor.IsEmpty() || !cell.gutterText.IsEmpty() ||
            !cell.stubText.IsEmpty() || (!headerRow && record.headerColumn))
            continue;
        record.ownText = true;
        record.plainMarkup = true;
        record.onlySpacing = true;
        record.width = FirstColumnShare(table, record.column + 1);
    }
}

// Rule lines, of either kind (IsRuleLine, IsBorderedRule), are made of rule
// characters, borders and blanks: a text that starts with a letter, a digit
// or a byte beyond ASCII (most cells) is none, and is not looked at further.
bool MayBeRuleLine(char first) {
    return !IsAsciiAlnum(static_cast<unsigned char>(first)) && static_cast<unsigned char>(first) < 0x80;
}

// The HTML row: a data row's colour (the count of data rows starts again
// at each header row), the row's vertical alignment, and per written cell
// how it is written: plain cells as their start tag, text and end tag, a
// rule line as a rule, the others through the HTML cell writer.
void FillHtmlRow(PreForm& table, const RowShape& shape, RowRecord& row) {
    FC* const policies = table.policies;
    const int count = shape.count;
    const TabConfig* config = ConfigOf(table);
    row.colour = nullptr;
    if (shape.headerRow) {
        table.dataRowCount = 0;
    } else {
        ++table.dataRowCount;
        if (config && config->GetInt(TabPol::ColourDataRows) && !IsOn(policies, Pol::SuppressAllColourMarkup))
            row.colour =
                &config->GetText(table.dataRowCount % 2 == 1 ? TabPol::OddRowColour : TabPol::EvenRowColour);
    }
    row.vAlignment = shape.uniform && shape.highest <= 1 ? 0 : kVerticalTop;
    row.percentWidths = config && config->GetInt(TabPol::UsePercentageWidths);
    row.percentBase = PercentBase(config);
    const bool laidOutTable = config && config->columnCount > 0;
    const int configAlignment = config ? config->GetInt(TabPol::CellAlignment) : 0;

    row.cells.clear();
    for (int c = 0; c < count; c += StepOf(*table.cellRow.CellAt(c))) {
        TableCell* cell = table.cellRow.CellAt(c);
        CellRecord& record = row.cells.emplace_back();
        record.column = c;
        record.cell = cell;
        record.text = &cell->text;
        record.font = cell->font;
        if (shape.IsMerged(c)) {
            record.merged = true;
            record.span = count - c;
            break;
        }
        record.span = cell->span;
        record.rowSpan = cell->rowSpan;
        record.alignment = cell->alignment;
        record.htmlAlignment = configAlignment != 0 ? configAlignment : cell->alignment;
        record.gutter = &cell->gutterText;
        record.stub = &cell->stubText;
        record.headerColumn = c < table.headerColumnCount;
        // A plain cell is written from its own text, which the cell writer
        // then does not change; any other from a copy.
        const bool plainText = shape.IsPlain(c);
        const TextString& text = cell->text;
        bool isRule = !plainText && text.view().find("<HR") != std::string_view::npos;
        if (!isRule && cell->lineCount == 1 && text.length > 3 && MayBeRuleLine(text.buffer[0]) &&
            (IsRuleLine(text.buffer) || IsBorderedRule(text.view()))) {
            record.drawnRule = true;
            isRule = true;
        }
        record.ownText = plainText;
        record.rule = isRule;
        int vAlign = cell->vAlignment;
        const ColConfig* layout = laidOutTable ? config->Column(c) : nullptr;
        if (layout && layout->vAlignment >= 0) vAlign = layout->vAlignment;
        if (cell->vAlignmentOverride != 0) vAlign = cell->vAlignmentOverride;
        if (vAlign == row.vAlignment) vAlign = 0;
        record.vAlignment = vAlign;
        record.plainMarkup = plainText && !record.drawnRule && !laidOutTable && cell->gutterText.IsEmpty() &&
                             cell->stubText.IsEmpty() && (shape.headerRow || !record.headerColumn);
        if (record.plainMarkup) record.width = FirstColumnShare(table, c + 1);
    }
    if (shape.emptyCells) MarkEmptyPlainCells(table, laidOutTable, shape.headerRow, row);
}

}  // namespace

// Writes one assembled row: the shared steps (which cells have text, which
// are plain, which only pad the row, where each stands), then the row
// record for each output that is on, handed to its row writer: RTF first,
// then HTML (which takes the cells' texts over).
void PreForm::OutputTableRow(int lineIndex) {
    if (!policies || columnCount <= 0) return;
    const int count = cellRow.Count();
    if (count == 0) return;
    const bool html = htmlOutput && htmlWriter;

    RowShape shape;
    shape.lineIndex = lineIndex;
    shape.count = count;
    if (!MeasureRowLines(cellRow, html, shape)) return;

    const TextString& tagStart = policies->GetText(Pol::StartTagDelimiter);
    std::vector<unsigned char>& plainCells = scratchBuffers.plainCells;
    shape.plainCells = &plainCells;
    const long tailCells = MarkPlainCellsAndTail(*this, html, tagStart, plainCells, shape);
    shape.mergeTail = MergesTrailingCells(*this, tailCells);

    shape.headerRow = lineIndex < headerRowCount + leadingBlankCount;
    shape.winHelp = IsOn(policies, Pol::MakeWindowsHelpSource);
    shape.lastLine = lineIndex >= lineCount - 1;

    PlaceCellsAndReadWSTags(*this, shape, tagStart);

    RowRecord& row = scratchBuffers.rowRecord;
    FillRow(*this, shape, row);
    EngineRowServices services(*this);
    if (rtfOutput && rtfWriter) {
        FillRtfRow(*this, shape, row);
        RowWriterContext out{policies, rtfWriter, scratchBuffers, services};
        rtfRowWriter(row, out);
    }
    if (htmlOutput && htmlWriter) {
        FillHtmlRow(*this, shape, row);
        RowWriterContext out{policies, htmlWriter, scratchBuffers, services};
        htmlRowWriter(row, out);
    }
}

// ---------------------------------------------------------------------------
// One HTML cell

namespace {

// What the cells written in front of an HTML cell share with it.
struct CellFrame {
    FC* policies;
    OutputDocument* writer;
    const TabConfig* config;
    const char* cellTag;  // "<TD" or "<TH"
    const char* endTag;  // "</TD>" or "</TH>"
    bool minimise;
    bool headerRow;
    PreForm::ScratchBuffers& scratch;  // the engine's
};

// A laid-out column with a stub writes the stub text (none: an empty one)
// in a cell of its own in front of the cell.  Header rows get one too
// (without vertical alignment, as header cells never carry it), so that
// every row has the same columns.
void WriteStubCell(const CellFrame& frame, int stubWidth, int vAlign, const TextString* stubText,
                   TextString& extra) {
    extra = frame.minimise ? "" : "    ";
    Add(extra, frame.cellTag);
    Add(extra, " WIDTH=");
    extra.AppendNumber('1', stubWidth, 0);
    if (!frame.headerRow) AppendVerticalAlignment(extra, vAlign);
    Add(extra, ">");
    TextString stub;
    if (stubText) stub = *stubText;
    HTML_FormatCellLines(&stub, &stub, frame.scratch.lineBreakCopy);
    extra.Append(stub);
    Add(extra, frame.endTag);
    WriteCellLines(frame.policies, frame.writer, extra, frame.endTag, frame.minimise, frame.scratch.cellLinePiece);
}

// One spacer cell for each of `steps` indent positions.
void WriteIndentCells(const CellFrame& frame, int steps, bool percent, TextString& extra) {
    extra = frame.minimise ? "" : "    ";
    Add(extra, frame.cellTag);
    Add(extra, " WIDTH=");
    if (percent) {
        TextString share;
        FormatPercentWidth(frame.policies, kIndentPositionWidth, &share, PercentBase(frame.config));
        extra.Append(share);
    } else {
        extra.AppendNumber('1', kIndentPositionWidth, 0);
    }
    Add(extra, ">&nbsp;");
    Add(extra, frame.endTag);
    for (int step = 0; step < steps; ++step) frame.writer->WriteText(frame.policies, frame.writer, extra.buffer);
}

// What is left of a cell's text without its layout tags (trimmed, unless
// the cell is plain), which decides whether the cell is blank or holds
// only spacing.  Most cells hold neither layout tags nor spans to remove:
// their text is read as it is.  The view is valid while `cleaned` is
// not changed.
std::string_view TextLeftWithoutLayoutTags(FC& policies, const TextString& text, const TextString& tagStart,
                                           bool plainCell, TextString& cleaned) {
    std::string_view left = text.view();
    const bool tagged = !plainCell && (tagStart.IsEmpty() || left.find(tagStart.view()) != std::string_view::npos);
    if (tagged || policies.ruleSetCode == kRuleSetSec) {
        if (tagged)
            RemoveInLineTags(policies, nullptr, "EXTRA_LEADING,FOLIO,FONT,COLOR,COLOUR,LEADING,WS", text, cleaned);
        else
            cleaned = text;
        if (policies.ruleSetCode == kRuleSetSec) {
            RemoveSpans(cleaned, "<R", '>');
            RemoveSpans(cleaned, "<!--", '>');
        }
        left = cleaned.view();
    }
    return plainCell ? left : TrimBlanks(left);
}

// The COLSPAN of a cell of a laid-out table (column counted from 1) and
// the visible columns it covers: hidden columns inside its span drop out,
// and the stub cells of the other spanned columns and the `freeIndents`
// indent positions the cell leaves free come in.
void CountLaidOutSpan(const TabConfig& config, int column, int cellSpan, int freeIndents, int& span,
                      int& visibleColumns) {
    visibleColumns = 0;
    const long first = column - 1;
    const long last = first + std::max(1, cellSpan) - 1;
    long covered = 0;
    for (long k = first; k <= std::min<long>(last, config.columnCount - 1); ++k) {
        const ColConfig* spanned = config.Column(static_cast<int>(k));
        if (!spanned || spanned->hidden) continue;
        covered += k > first && spanned->stubWidth >= 0 ? 2 : 1;
        ++visibleColumns;
    }
    // Columns beyond the layout are plain columns.
    if (last >= config.columnCount) {
        const long beyond = last - std::max<long>(first, config.columnCount) + 1;
        covered += beyond;
        visibleColumns = static_cast<int>(std::min<long>(visibleColumns + beyond, 1L << 30));
    }
    span = static_cast<int>(std::min<long>(covered + freeIndents, 1L << 30));
}

}  // namespace

void PreForm::OutputHtmlCell(int, int vAlign, int column, const TableCell*, TableCell* cell, TextString* gutterText,
                             TextString* stubText, TextString* text, int isRule, int isHeaderRow, int isHeaderColumn,
                             int extraLeading) {
    if (!policies || !htmlWriter || !cell || !text) return;
    const TabConfig* config = ConfigOf(*this);
    const bool laidOut = config && config->columnCount > 0;
    const ColConfig* layout = laidOut ? config->Column(column - 1) : nullptr;
    if (layout && layout->hidden) return;
    const bool hasGutter = gutterText && !gutterText->IsEmpty();
    const bool hasStub = stubText && !stubText->IsEmpty();
    if (hasGutter && !laidOut) Message("PROGRAM ERROR: Gutter text found where not expected", kLevelAlways);
    const bool minimise = IsOn(policies, Pol::MinimiseHTMLFileSize);
    const bool percent = config && config->GetInt(TabPol::UsePercentageWidths);
    const char* cellTag = isHeaderRow ? "<TH" : "<TD";
    const char* endTag = isHeaderRow ? "</TH>" : "</TD>";
    const int configAlignment = config ? config->GetInt(TabPol::CellAlignment) : 0;
    TextString& markup = scratchBuffers.cellMarkup;

    // A plain cell that holds no tag, needs no font markup, link or emphasis,
    // and stands in a table without a layout: see WritePlainCell.
    const TextString& tagStart = policies->GetText(Pol::StartTagDelimiter);
    const bool strong = !isHeaderRow && isHeaderColumn;
    const bool plainCell = extraLeading < 6 && PlainCellsPossible(*this) &&
                           IsPlainCell(*cell, *text, PlainCellText(tagStart, CellByteKinds(*this, tagStart)));
    if (plainCell && !laidOut && !hasGutter && !hasStub && !strong) {
        CellRecord record;
        record.width = FirstColumnShare(*this, column);
        record.span = cell->span;
        record.rowSpan = cell->rowSpan;
        record.htmlAlignment = configAlignment != 0 ? configAlignment : cell->alignment;
        record.vAlignment = vAlign;
        const row_writing::PlainCellOutput out{policies,
                                               htmlWriter,
                                               minimise,
                                               percent,
                                               PercentBase(config),
                                               scratchBuffers.plainCellMarkup,
                                               scratchBuffers.cellLinePiece,
                                               row_writing::BufferingHtmlFile(policies, htmlWriter)};
        row_writing::WritePlainCell(out, record, text->view(), isHeaderRow != 0);
        return;
    }

    const CellFrame frame{policies, htmlWriter, config, cellTag, endTag, minimise, isHeaderRow != 0, scratchBuffers};
    if (layout && layout->stubWidth >= 0)
        WriteStubCell(frame, layout->stubWidth, vAlign, hasStub ? stubText : nullptr, scratchBuffers.stubCell);

    // Indent positions: one spacer cell per level of the cell's stub
    // indent; the positions it does not fill are covered by its COLSPAN.
    const int reserved = laidOut ? ReservedIndentPositions(config, column - 1) : 0;
    const int indentSteps = std::clamp(cell->stubIndent, 0, reserved);
    if (indentSteps > 0) WriteIndentCells(frame, indentSteps, percent, scratchBuffers.indentCell);

    // Extra leading: one line break for each 12 points from 6 up.
    if (extraLeading >= 6) {
        TextString breaks;
        for (int points = extraLeading; points >= 6; points -= 12) Add(breaks, "<BR>");
        text->Insert(0, breaks.buffer);
    }

    // A plain cell comes through the tags, the font and link markup and the
    // line formatting unchanged: those steps are left out for it.
    const std::string_view remaining =
        TextLeftWithoutLayoutTags(*policies, *text, tagStart, plainCell, scratchBuffers.cleanedText);
    const bool blank = remaining.empty();
    const bool onlySpacing = !plainCell && !hasStub && !hasGutter && IsOnlySpacing(remaining);

    auto markEmpty = [&]() {
        text->Trim(0, " ");
        Add(*text, "&nbsp;");
    };
    if (plainCell) {
        // Nothing to do.
    } else if (IsOn(policies, Pol::ApplyFontToEmptyCells)) {
        // The font markup goes around the "&nbsp;" of an empty cell.
        if (blank) markEmpty();
        HTML_FormatCellLines(text, text, scratchBuffers.lineBreakCopy);
        ApplyCellFontAndLink(cell, text, cell->font, cell->position, 1);
    } else {
        ApplyCellFontAndLink(cell, text, cell->font, cell->position, 1);
        if (blank) markEmpty();
        HTML_FormatCellLines(text, text, scratchBuffers.lineBreakCopy);
    }

    markup.MakeEmpty();
    if (!minimise) Add(markup, "    ");
    Add(markup, cellTag);

    // The columns the cell covers.  Without a layout that is its span; in a
    // laid-out table hidden columns inside the span drop out, and the stub
    // cells of the other spanned columns and the indent positions the cell
    // leaves free come in.
    int span = cell->span;
    int visibleColumns = span;
    if (laidOut) CountLaidOutSpan(*config, column, cell->span, reserved - indentSteps, span, visibleColumns);

    // Width: the laid-out columns' width (less the indent positions filled
    // in front of the cell), or for the first column of a names-and-values
    // list its share of the page.
    int width = 0;
    if (laidOut) {
        width = GetSpanWidth(cell, reserved > 0 ? 1 : 0, column - 1, cell->span);
        width -= indentSteps * kIndentPositionWidth;
    }
    if (width <= 0) width = FirstColumnShare(*this, column);

    CellAttributes attributes;
    attributes.width = width;
    attributes.visibleColumns = visibleColumns;
    attributes.span = span;
    attributes.rowSpan = cell->rowSpan;
    attributes.alignment = configAlignment != 0 ? configAlignment : cell->alignment;
    // A user table has already given its cells the column's alignment where
    // COLUMN_DETAILS set one, and the content's otherwise.
    if (layout && !isUserTable) attributes.alignment = layout->alignment;
    attributes.onlySpacing = onlySpacing;
    attributes.vAlign = vAlign;
    attributes.header = isHeaderRow != 0;
    AppendCellAttributes(markup, attributes, policies, percent, PercentBase(config));

    // Gutter text stands in front of the cell's text, as a currency sign
    // stands in front of the amounts of its column.
    if (hasGutter && laidOut) {
        TextString gutter(*gutterText);
        HTML_FormatCellLines(&gutter, &gutter, scratchBuffers.lineBreakCopy);
        markup.Append(gutter);
        Add(markup, "&nbsp;");
    }

    if (!strong && !(hasGutter && laidOut) && (plainCell || IsPlainCellText(text->view()))) {
        // The tidy passes would only take off the line break in front of
        // the end tag: the cell is written as one line as it stands.
        if (row_writing::WriteLongCellLineInBuffer(policies, htmlWriter, markup.view(), text->view(), endTag))
            return;
        Add(markup, text->view());
        Add(markup, endTag);
        WritePlainCellLine(policies, htmlWriter, markup, endTag, minimise, scratchBuffers.cellLinePiece);
        if (markup.capacity > kKeptScratchBytes) markup = TextString();
        return;
    }
    // The markup goes around the text in the text's own buffer, which the
    // tidy passes then take over: a cell that holds a whole block is never
    // held twice.
    const bool emStrong = IsOn(policies, Pol::UseEmAndStrongMarkup);
    if (strong) Add(markup, emStrong ? "<STRONG>" : "<B>");
    text->Insert(0, markup.buffer);
    if (strong) Add(*text, emStrong ? "</STRONG>" : "</B>");
    if (isRule)
        Add(*text, endTag);
    else
        Add(*text, isHeaderRow ? "<BR></TH>" : "<BR></TD>");

    if (!scratchBuffers.tidy) scratchBuffers.tidy = std::make_unique<TidyBuffer>();
    TidyBuffer& buffer = *scratchBuffers.tidy;
    HTML_ScanTidyBuffer(policies, &buffer, std::move(*text));
    HTML_TidyEmphasis(policies, &buffer);
    // The passes tell when they left a plain cell: it is not looked at again.
    WriteCellLines(policies, htmlWriter, buffer.text, endTag, minimise, scratchBuffers.cellLinePiece,
                   policies && buffer.plainAfterPasses);
    if (buffer.text.capacity > kKeptScratchBytes) buffer.text = TextString();
}

// ---------------------------------------------------------------------------
// Cell lines

void HTML_FormatCellLines(const TextString* text, TextString* out) {
    TextString scratch;
    HTML_FormatCellLines(text, out, scratch);
}

void HTML_FormatCellLines(const TextString* text, TextString* out, TextString& scratch) {
    if (!out) return;
    if (text && out != text) *out = *text;
    // The text is formatted in its own buffer: a cell may hold a whole block,
    // and a second copy of it would double what the cell costs.
    const std::string_view in = out->view();
    if (!in.empty() && in.find('<') == std::string_view::npos && !IsBlankOrTab(in.front()) &&
        !IsBlankOrTab(in.back()))
        return;  // nothing to trim, no line breaks and no raised start
    if (in.find('<') == std::string_view::npos) {
        const std::string_view trimmed = TrimBlanks(in);
        if (trimmed.empty())
            out->Assign("&nbsp;");
        else
            out->SubString(static_cast<int>(trimmed.data() - in.data()), static_cast<int>(trimmed.size()));
    } else {
        FormatLineBreakPieces(*out, scratch);
    }
    // A superscript or subscript at the very start would be raised above an
    // empty line; a blank in front keeps it on the line.  (The first
    // superscript decides when there is one: a subscript at the start of a
    // text with a superscript later is left as it is.)
    const std::string_view formatted = out->view();
    bool protect = MatchesAt(formatted, 0, "<SUP>");
    if (!protect && MatchesAt(formatted, 0, "<SUB>"))
        protect = FindTag(formatted, "<SUP>", 0) == std::string_view::npos;
    if (protect) out->Insert(0, "&nbsp;");
}
