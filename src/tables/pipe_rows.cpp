// Pipe tables whose bars wander (see pipe_rows.h).
//
// Column detection finds the columns of a pipe table where most lines have
// a "|" at the same position.  A table written without padding ("| 1 | Ana
// María |" under "| id | name |"), or padded by characters where some are
// two positions wide, has its bars elsewhere on every line: the detection
// then finds no separators and leaves the bars in the cells.  Such a block
// is given layout texts in which each row stands at its own bars, lined up:
// the rest of the engine (the detection, the cut, the parse) reads it as it
// reads an aligned pipe table.  The display and raw texts stay as they are.
//
// The rule reads every line of the block a few times over (the bars of
// each line, then the widths of its cells, then the laid-out text twice):
// linear in the block's bytes, and only for a block whose lines are mostly
// framed by bars; any other block is left after one look at a flag.
#include "tables/pipe_rows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "context/statement_codes.h"
#include "foundation/text_string.h"
#include "foundation/unicode_text.h"
#include "tables/preform.h"

namespace {

// A row of a pipe table has two cells at least.
constexpr size_t kLeastBars = 3;

// Whether the "|" at byte `at` is escaped: an odd number of backslashes
// stands before it.
bool IsEscaped(const char* text, int at) {
    int backslashes = 0;
    while (at - backslashes > 0 && text[at - backslashes - 1] == '\\') ++backslashes;
    return backslashes % 2 == 1;
}

// The bars of a line, their bytes in order: the unescaped "|" of a line of
// text; of a rule line its "|" and "+" (the junctions of a box).
void FindBars(LineText text, bool rule, std::vector<int>& bars) {
    bars.clear();
    if (rule) {
        for (int at = 0; at < text.length; ++at) {
            const char c = text.buffer[at];
            if ((c == '|' && !IsEscaped(text.buffer, at)) || c == '+') bars.push_back(at);
        }
        return;
    }
    // The bars of a row are few: they are looked for, not every byte.
    const char* const start = text.buffer;
    const char* const end = start + text.length;
    for (const char* p = start; p < end;) {
        const char* bar = static_cast<const char*>(std::memchr(p, '|', static_cast<size_t>(end - p)));
        if (!bar) break;
        const int at = static_cast<int>(bar - start);
        if (!IsEscaped(start, at)) bars.push_back(at);
        p = bar + 1;
    }
}

// Whether the line's text begins and ends with one of its bars (blanks
// aside).
bool FramedByBars(LineText text, const std::vector<int>& bars) {
    if (bars.size() < 2) return false;
    int first = 0;
    while (first < text.length && IsBlankOrTab(text.buffer[first])) ++first;
    int last = text.length - 1;
    while (last > first && IsBlankOrTab(text.buffer[last])) --last;
    return bars.front() == first && bars.back() == last;
}

// The display positions of the bytes `bars` of a line (the bytes
// themselves unless the line is wide).
void PositionsOf(LineText text, bool wide, const std::vector<int>& bars, std::vector<int>& positions) {
    positions.assign(bars.begin(), bars.end());
    if (!wide) return;
    int byte = 0;
    int position = 0;
    for (int& at : positions) {
        while (byte < at) position += unicode::NextWidth(text.buffer, text.length, &byte);
        at = position;
    }
}

// The bytes [from, to) of a cell without the blanks around them.
void TrimCell(const char* text, int* from, int* to) {
    while (*from < *to && IsBlankOrTab(text[*from])) ++*from;
    while (*to > *from && IsBlankOrTab(text[*to - 1])) --*to;
}

// The backslashes a cell's text drops: one before each escaped bar.
int DroppedBackslashes(const char* text, int from, int to) {
    int dropped = 0;
    for (int at = from; at < to; ++at)
        if (text[at] == '|' && IsEscaped(text, at)) ++dropped;
    return dropped;
}

// The display width of the trimmed cell [from, to) as it is laid out.
int CellWidth(const char* text, int from, int to, bool wide) {
    const int shown = wide ? unicode::DisplayWidth(text + from, to - from) : to - from;
    return shown - DroppedBackslashes(text, from, to);
}

// The rows of the block laid out at their bars: the width of each column's
// text (the widest of its cells, at least 1) and the text of a line laid
// out by them.
class PipeLayout {
public:
    explicit PipeLayout(size_t bars) : widths(bars - 1, 1) {}

    // Takes in the widths of the cells of a row.
    void Measure(LineText text, bool wide, const std::vector<int>& bars) {
        for (size_t k = 0; k + 1 < bars.size(); ++k) {
            int from = bars[k] + 1;
            int to = bars[k + 1];
            TrimCell(text.buffer, &from, &to);
            widths[k] = std::max(widths[k], CellWidth(text.buffer, from, to, wide));
        }
    }

    // The display position of each bar of a laid-out line.
    std::vector<int> BarPositions() const {
        std::vector<int> positions{0};
        for (const int width : widths) positions.push_back(positions.back() + width + 3);
        return positions;
    }

    // The line laid out into `out`: "|", then each cell as a blank, its
    // text padded to the column's width and a blank, and its closing bar.
    void Lay(LineText text, bool wide, bool rule, const std::vector<int>& bars, std::string& out) const {
        out.clear();
        out += rule ? text.buffer[bars.front()] : '|';
        for (size_t k = 0; k + 1 < bars.size(); ++k) {
            const int width = widths[k];
            const int start = bars[k] + 1;
            const int stop = bars[k + 1];
            const char closing = rule ? text.buffer[stop] : '|';
            if (rule) {
                LayRuleCell(text.buffer, start, stop, width, out);
                out += closing;
                continue;
            }
            int from = start;
            int to = stop;
            TrimCell(text.buffer, &from, &to);
            const size_t pad = static_cast<size_t>(width - CellWidth(text.buffer, from, to, wide));
            // More blanks before the text than after it: right-justified.
            const bool right = from - start > stop - to;
            out += ' ';
            if (right) out.append(pad, ' ');
            for (int at = from; at < to; ++at)
                if (!(text.buffer[at] == '\\' && at + 1 < to && text.buffer[at + 1] == '|' &&
                      IsEscaped(text.buffer, at + 1)))
                    out += text.buffer[at];
            if (!right) out.append(pad, ' ');
            out += ' ';
            out += closing;
        }
    }

private:
    std::vector<int> widths;

    // A cell of a rule line: its rule character over the column and the
    // blanks beside it, with the colons of a Markdown alignment row kept at
    // its ends.
    static void LayRuleCell(const char* text, int start, int stop, int width, std::string& out) {
        int from = start;
        int to = stop;
        TrimCell(text, &from, &to);
        char fill = '-';
        for (int at = from; at < to; ++at) {
            const char c = text[at];
            if (c == '-' || c == '=' || c == '_' || c == '~') {
                fill = c;
                break;
            }
        }
        const bool leftColon = from < to && text[from] == ':';
        const bool rightColon = to - from > 1 && text[to - 1] == ':';
        out += leftColon ? ':' : fill;
        out.append(static_cast<size_t>(width), fill);
        out += rightColon ? ':' : fill;
    }
};

// Whether a byte of a laid-out row would count as a separator where it
// stands (as the position statistics count "*", "|" and a "+" after "-" or
// "=").
bool IsSeparatorByte(const std::string& text, size_t at) {
    const char c = text[at];
    return c == '*' || c == '|' || (c == '+' && at > 0 && (text[at - 1] == '-' || text[at - 1] == '='));
}

}  // namespace

bool AlignPipeRows(PreForm& engine) {
    if (engine.isDelimited || !engine.barFramedLines) return false;
    const int lineCount = std::min(engine.lineCount, static_cast<int>(engine.lines.size()));
    const int first = std::max(engine.headerLineCount, 0);
    auto counts = [&](const PreFormLine& line) {
        return !line.isBlank && !line.continuesRecord && line.lineType != kStatementChangePolicy;
    };

    // Every line of text framed by its bars; the number of bars most of
    // them hold (a majority vote, counted again after it).  The bars of the
    // rows with as many as the first row are compared with its bars as
    // they come: a block whose rows all line up with it is known at once.
    std::vector<uint32_t> barCounts(static_cast<size_t>(lineCount), 0);
    std::vector<int> bars;
    std::vector<int> reference;  // the bars' positions on the first row
    std::vector<int> positions;
    bool wanderFromFirst = false;
    int textLines = 0;
    int countedLines = 0;
    size_t candidate = 0;
    int votes = 0;
    for (int i = first; i < lineCount; ++i) {
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        if (!counts(line)) continue;
        ++countedLines;
        const LineText text = line.Layout();
        FindBars(text, line.isRuleLine, bars);
        barCounts[static_cast<size_t>(i)] = static_cast<uint32_t>(bars.size());
        if (line.isRuleLine) continue;
        if (!FramedByBars(text, bars)) return false;
        ++textLines;
        if (votes == 0) candidate = bars.size();
        votes += candidate == bars.size() ? 1 : -1;
        if (wanderFromFirst || (!reference.empty() && bars.size() != reference.size())) continue;
        PositionsOf(text, line.wide, bars, positions);
        if (reference.empty())
            reference = positions;
        else if (positions != reference)
            wanderFromFirst = true;
    }
    if (candidate < kLeastBars) return false;
    if (candidate == reference.size() && !wanderFromFirst) return false;  // the bars line up
    int rows = 0;
    int laidLines = 0;
    for (int i = first; i < lineCount; ++i) {
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        if (!counts(line) || barCounts[static_cast<size_t>(i)] != candidate) continue;
        ++laidLines;
        if (!line.isRuleLine) ++rows;
    }
    // Most lines of text hold the bars, and the laid-out lines are most of
    // the lines the statistics count: their bars become separators.
    if (2 * rows <= textLines || 2 * laidLines <= countedLines) return false;

    // Whether the bars of those rows stand anywhere else than those of the
    // first of them; the widths of their cells.
    auto isLaid = [&](int i) {
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        return counts(line) && barCounts[static_cast<size_t>(i)] == candidate;
    };
    auto isRow = [&](int i) { return isLaid(i) && !engine.lines[static_cast<size_t>(i)]->isRuleLine; };
    reference.clear();
    bool wander = false;
    PipeLayout layout(candidate);
    for (int i = first; i < lineCount; ++i) {
        if (!isRow(i)) continue;
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        const LineText text = line.Layout();
        FindBars(text, false, bars);
        layout.Measure(text, line.wide, bars);
        if (wander) continue;
        PositionsOf(text, line.wide, bars, positions);
        if (reference.empty())
            reference = positions;
        else if (positions != reference)
            wander = true;
    }
    if (!wander) return false;

    // The laid-out rows must not line up a separator character of their
    // cells' texts ("*", an escaped "|") on most lines: it would part a
    // column of its own.
    const std::vector<int> barPositions = layout.BarPositions();
    std::vector<int> marks(static_cast<size_t>(barPositions.back()) + 1, 0);
    std::string laid;
    for (int i = first; i < lineCount; ++i) {
        if (!isRow(i)) continue;
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        const LineText text = line.Layout();
        FindBars(text, false, bars);
        layout.Lay(text, line.wide, false, bars, laid);
        int position = 0;
        for (int at = 0; at < static_cast<int>(laid.size());) {
            if (IsSeparatorByte(laid, static_cast<size_t>(at)) &&
                !std::binary_search(barPositions.begin(), barPositions.end(), position) &&
                static_cast<size_t>(position) < marks.size() &&
                2 * ++marks[static_cast<size_t>(position)] > countedLines)
                return false;
            position += line.wide ? unicode::NextWidth(laid.data(), static_cast<int>(laid.size()), &at) : (++at, 1);
        }
    }

    for (int i = first; i < lineCount; ++i) {
        if (!isLaid(i)) continue;
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        const LineText text = line.Layout();
        FindBars(text, line.isRuleLine, bars);
        layout.Lay(text, line.wide, line.isRuleLine, bars, laid);
        engine.lines.SetLayout(static_cast<size_t>(i), laid);
    }
    // The block's measures follow the new texts.
    int longest = -1;
    int shortest = -1;
    for (int i = 0; i < lineCount; ++i) {
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        if (line.isBlank || line.lineType == kStatementChangePolicy) continue;
        longest = std::max(longest, line.length);
        shortest = shortest < 0 ? line.length : std::min(shortest, line.length);
    }
    engine.longestLength = std::max(longest, 1);
    engine.shortestLength = std::max(shortest, 1);
    return true;
}
