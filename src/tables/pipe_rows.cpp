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
// Bounds that keep it linear: the rule reads every line of the block a few
// times over (its bars, then the widths of its cells, then its laid-out
// text; twice for the few rows whose cells hold a separator byte), and only
// for a block whose lines are mostly framed by bars (any other block is
// left after one look at a flag); an aligned pipe or box table is known by
// the first look at its bars.  The laid-out lines may grow the block by at
// most kLaidGrowth times (kLaidBytesFloor for a small one): a table whose
// rows would grow more is left as it is.
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
// The laid-out lines take at most kLaidGrowth times the bytes they took,
// or kLaidBytesFloor bytes for a small table (whose one long cell pads
// every row).
constexpr size_t kLaidGrowth = 4;
constexpr size_t kLaidBytesFloor = size_t{1} << 20;

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

// Whether the bars at the bytes `bars` of a line stand at the display
// positions `positions` (the bytes themselves unless the line is wide).
bool BarsStandAt(LineText text, bool wide, const std::vector<int>& bars, const std::vector<int>& positions) {
    if (bars.size() != positions.size()) return false;
    if (!wide) return bars == positions;
    int byte = 0;
    int position = 0;
    for (size_t k = 0; k < bars.size(); ++k) {
        position += unicode::DisplayWidth(text.buffer + byte, bars[k] - byte);
        byte = bars[k];
        if (position != positions[k]) return false;
    }
    return true;
}

// The display positions of the bytes `bars` of a line.
void PositionsOf(LineText text, bool wide, const std::vector<int>& bars, std::vector<int>& positions) {
    positions.assign(bars.begin(), bars.end());
    if (!wide) return;
    int byte = 0;
    int position = 0;
    for (int& at : positions) {
        position += unicode::DisplayWidth(text.buffer + byte, at - byte);
        byte = at;
        at = position;
    }
}

// The bytes [from, to) of a cell without the blanks around them.
void TrimCell(const char* text, int* from, int* to) {
    while (*from < *to && IsBlankOrTab(text[*from])) ++*from;
    while (*to > *from && IsBlankOrTab(text[*to - 1])) --*to;
}

// Calls `bar` with the byte of each escaped bar in [from, to).
template <typename Bar>
void ForEachEscapedBar(const char* text, int from, int to, Bar&& bar) {
    for (int at = from; at < to;) {
        const char* found = static_cast<const char*>(std::memchr(text + at, '|', static_cast<size_t>(to - at)));
        if (!found) return;
        at = static_cast<int>(found - text);
        if (IsEscaped(text, at)) bar(at);
        ++at;
    }
}

// The backslashes a cell's text drops: one before each escaped bar.
int DroppedBackslashes(const char* text, int from, int to) {
    int dropped = 0;
    ForEachEscapedBar(text, from, to, [&](int) { ++dropped; });
    return dropped;
}

// The display width of the trimmed cell [from, to) as it is laid out.
int CellWidth(const char* text, int from, int to, bool wide) {
    const int shown = wide ? unicode::DisplayWidth(text + from, to - from) : to - from;
    return shown - DroppedBackslashes(text, from, to);
}

// Whether the byte at `at` of a text (whose bytes before it from `first`
// on are known) counts as a separator where it stands, as the position
// statistics count them: "*", "|", and "+" after "-" or "=".
bool IsSeparatorByte(const char* text, int first, int at) {
    const char c = text[at];
    return c == '*' || c == '|' || (c == '+' && at > first && (text[at - 1] == '-' || text[at - 1] == '='));
}

// The rows of the block laid out at their bars: the width of each column's
// text (the widest of its cells, at least 1) and the text of a line laid
// out by them.
class PipeLayout {
public:
    explicit PipeLayout(size_t bars) : widths(bars - 1, 1) {}

    // Takes in the widths of the cells of a row.  True when a cell holds a
    // byte that counts as a separator where it stands ("*", an escaped
    // bar, a "+" after "-" or "=").
    bool Measure(LineText text, bool wide, const std::vector<int>& bars) {
        bool separators = false;
        for (size_t k = 0; k + 1 < bars.size(); ++k) {
            int from = bars[k] + 1;
            int to = bars[k + 1];
            TrimCell(text.buffer, &from, &to);
            widths[k] = std::max(widths[k], CellWidth(text.buffer, from, to, wide));
            if (!separators)
                for (int at = from; at < to && !separators; ++at)
                    separators = IsSeparatorByte(text.buffer, from, at);
        }
        return separators;
    }

    // The bytes a line laid out by these widths takes (at least).
    size_t LaidBytes() const {
        size_t bytes = 1;
        for (const int width : widths) bytes += static_cast<size_t>(width) + 3;
        return bytes;
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
            int run = from;  // the text not appended yet
            ForEachEscapedBar(text.buffer, from, to, [&](int bar) {
                out.append(text.buffer + run, static_cast<size_t>(bar - 1 - run));
                run = bar;
            });
            out.append(text.buffer + run, static_cast<size_t>(to - run));
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

// Whether a line of text of ASCII bytes holds unescaped bars at the bytes
// `bars` (of another line), its first and last text among them.
bool HoldsBarsAt(LineText text, const std::vector<int>& bars) {
    if (text.length != bars.back() + 1) return false;  // the layout text has no trailing blanks
    int firstText = 0;
    while (firstText < text.length && IsBlankOrTab(text.buffer[firstText])) ++firstText;
    if (firstText != bars.front()) return false;
    for (const int at : bars)
        if (text.buffer[at] != '|' || IsEscaped(text.buffer, at)) return false;
    return true;
}

// Whether every line of text from line `first` on has bars at the
// positions of the first one's bars, its text framed by them: an aligned
// pipe or box table, known by one look at each line's bars.  False when a
// line's bars, or its number of bars, may stand elsewhere.
bool BarsLineUp(const PreForm& engine, int first, int lineCount) {
    std::vector<int> reference;  // bytes and positions alike: the first line is ASCII
    std::vector<int> bars;
    for (int i = first; i < lineCount; ++i) {
        const PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        if (line.isBlank || line.isRuleLine || line.continuesRecord || line.lineType == kStatementChangePolicy)
            continue;
        const LineText text = line.Layout();
        if (reference.empty()) {
            if (line.wide) return false;
            FindBars(text, false, reference);
            if (!FramedByBars(text, reference)) return false;
            continue;
        }
        if (!line.wide) {
            if (!HoldsBarsAt(text, reference)) return false;
            continue;
        }
        FindBars(text, false, bars);
        if (!FramedByBars(text, bars) || !BarsStandAt(text, true, bars, reference)) return false;
    }
    return true;
}

}  // namespace

bool AlignPipeRows(PreForm& engine) {
    if (engine.isDelimited || !engine.barFramedLines) return false;
    const int lineCount = std::min(engine.lineCount, static_cast<int>(engine.lines.size()));
    const int first = std::max(engine.headerLineCount, 0);
    auto lineAt = [&](int i) -> const PreFormLine& { return *engine.lines[static_cast<size_t>(i)]; };
    auto counts = [](const PreFormLine& line) {
        return !line.isBlank && !line.continuesRecord && line.lineType != kStatementChangePolicy;
    };
    if (BarsLineUp(engine, first, lineCount)) return false;

    // Every line of text framed by its bars; the number of bars most of
    // them hold (a majority vote, counted again after it).  The bars of the
    // rows with as many as the first row are compared with its bars as
    // they come: a block whose rows all line up with it is known at once.
    std::vector<uint32_t> barCounts(static_cast<size_t>(lineCount), 0);
    std::vector<int> bars;
    std::vector<int> reference;  // the bars' positions on the first row
    bool wander = false;
    int textLines = 0;
    int countedLines = 0;
    size_t candidate = 0;
    int votes = 0;
    for (int i = first; i < lineCount; ++i) {
        const PreFormLine& line = lineAt(i);
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
        if (reference.empty())
            PositionsOf(text, line.wide, bars, reference);
        else if (!wander && bars.size() == reference.size() && !BarsStandAt(text, line.wide, bars, reference))
            wander = true;
    }
    if (candidate < kLeastBars) return false;
    // The first row has as many bars as most rows: the bars wander when
    // they stood elsewhere on one of them.  Otherwise the rows with as many
    // bars as most are compared among themselves below.
    const bool known = candidate == reference.size();
    if (known && !wander) return false;
    int rows = 0;
    int laidLines = 0;
    for (int i = first; i < lineCount; ++i) {
        const PreFormLine& line = lineAt(i);
        if (!counts(line) || barCounts[static_cast<size_t>(i)] != candidate) continue;
        ++laidLines;
        if (!line.isRuleLine) ++rows;
    }
    // Most lines of text hold the bars, and the laid-out lines are most of
    // the lines the statistics count: their bars become separators.
    if (2 * rows <= textLines || 2 * laidLines <= countedLines) return false;

    // The widths of the rows' cells; the rows whose cells hold a separator
    // byte are marked (the bar counts' top bit).
    constexpr uint32_t kHoldsSeparator = uint32_t{1} << 31;
    auto isLaid = [&](int i) {
        return counts(lineAt(i)) && (barCounts[static_cast<size_t>(i)] & ~kHoldsSeparator) == candidate;
    };
    auto isRow = [&](int i) { return isLaid(i) && !lineAt(i).isRuleLine; };
    if (!known) reference.clear();
    PipeLayout layout(candidate);
    size_t bytes = 0;  // the laid-out lines' bytes as they stand
    for (int i = first; i < lineCount; ++i) {
        if (!isLaid(i)) continue;
        const PreFormLine& line = lineAt(i);
        const LineText text = line.Layout();
        bytes += static_cast<size_t>(text.length);
        if (line.isRuleLine) continue;
        FindBars(text, false, bars);
        if (layout.Measure(text, line.wide, bars)) barCounts[static_cast<size_t>(i)] |= kHoldsSeparator;
        if (wander) continue;
        if (reference.empty())
            PositionsOf(text, line.wide, bars, reference);
        else if (!BarsStandAt(text, line.wide, bars, reference))
            wander = true;
    }
    if (!wander) return false;
    // Padded to the widest cell of its column, every line is as wide as the
    // widest: one long cell would make a large block many times its size.
    const size_t laidBytes = layout.LaidBytes() * static_cast<size_t>(laidLines);
    if (laidBytes > std::max(kLaidBytesFloor, kLaidGrowth * bytes)) return false;

    // The laid-out rows must not line up a separator byte of their cells'
    // texts ("*", an escaped "|") on most lines: it would part a column of
    // its own.
    const std::vector<int> barPositions = layout.BarPositions();
    std::vector<int> marks(static_cast<size_t>(barPositions.back()) + 1, 0);
    std::string laid;
    for (int i = first; i < lineCount; ++i) {
        if (!isRow(i) || !(barCounts[static_cast<size_t>(i)] & kHoldsSeparator)) continue;
        const PreFormLine& line = lineAt(i);
        const LineText text = line.Layout();
        FindBars(text, false, bars);
        layout.Lay(text, line.wide, false, bars, laid);
        const int laidLength = static_cast<int>(laid.size());
        int position = 0;
        for (int at = 0; at < laidLength;) {
            if (IsSeparatorByte(laid.data(), 0, at) &&
                !std::binary_search(barPositions.begin(), barPositions.end(), position) &&
                static_cast<size_t>(position) < marks.size() &&
                2 * ++marks[static_cast<size_t>(position)] > countedLines)
                return false;
            if (line.wide) {
                position += unicode::NextWidth(laid.data(), laidLength, &at);
            } else {
                ++position;
                ++at;
            }
        }
    }

    for (int i = first; i < lineCount; ++i) {
        if (!isLaid(i)) continue;
        const PreFormLine& line = lineAt(i);
        const LineText text = line.Layout();
        FindBars(text, line.isRuleLine, bars);
        layout.Lay(text, line.wide, line.isRuleLine, bars, laid);
        engine.lines.SetLayout(static_cast<size_t>(i), laid);
    }
    // The block's measures follow the new texts.
    int longest = -1;
    int shortest = -1;
    for (int i = 0; i < lineCount; ++i) {
        const PreFormLine& line = lineAt(i);
        if (line.isBlank || line.lineType == kStatementChangePolicy) continue;
        longest = std::max(longest, line.length);
        shortest = shortest < 0 ? line.length : std::min(shortest, line.length);
    }
    engine.longestLength = std::max(longest, 1);
    engine.shortestLength = std::max(shortest, 1);
    return true;
}
