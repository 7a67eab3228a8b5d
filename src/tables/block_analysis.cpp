// Block analysis: what a collected block is and where its columns are.
//
// The analysis works on the layout texts of the block's lines.  It cuts the
// common margin, classifies the lines (blank, rule, code-like), gathers per
// character position how often a blank or a separator stands there, finds
// the column boundaries from those counts, and then refines the columns by
// merging until the column statistics stop asking for it.  Its results are
// flags on the engine that block processing uses to choose a writer.
//
// Bounds that keep pathological input linear:
// - per-position statistics cover at most kMaxPositions character positions;
//   text beyond them belongs to the last column;
// - column detection makes at most kMaxDetectedColumns columns; a block that
//   would need more is not treated as a table (it may still be a diagram);
// - a delimited block has at most kMaxDelimitedColumns columns; the last one
//   holds the rest of a longer line, and table parsing says so once per
//   table (see PreForm::columnCut, which also notes where the text beyond
//   the detected columns begins);
// - the merging loop runs at most kMaxMergeSweeps sweeps (each sweep gathers
//   the column statistics of every line once).
//
// A block of one column is no table, with two exceptions: a heading, a
// rule and one value; and a list of short values (IsShortList: at least
// kShortListLeastLines lines of text, none wider than kShortListWidest
// positions after the margin, no blank line), which is a table with a row
// for each line, however many lines it has.
#include <algorithm>
#include <array>
#include <cstdint>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/recognisers.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "foundation/fonts.h"
#include "foundation/unicode_text.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "tables/delimited_fields.h"
#include "tables/preform.h"
#include "tables/engine_support.h"
#include "tables/pipe_rows.h"
#include "tables/rule_lines.h"

namespace {

constexpr int kMaxPositions = 4096;
constexpr int kMaxDetectedColumns = 256;
constexpr int kMaxDelimitedColumns = 1024;
constexpr int kMaxMergeSweeps = 64;
constexpr int kShortListLeastLines = 3;
constexpr int kShortListWidest = 40;
// An RTF column is never wider than this many twips, so that the cell edges
// summed over the widest delimited table stay far from overflowing.
constexpr long long kMaxRtfWidth = 1000000;

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// The first byte of a text that is neither a blank nor a tab (the length
// when there is none).
int FirstNonBlank(LineText text) {
    int i = 0;
    while (i < text.length && IsBlankChar(text.buffer[i])) ++i;
    return i;
}

// Whether a line whose text begins (blanks aside) with a byte may be a rule
// line, by that byte.  A rule line holds no letter, digit or byte beyond
// ASCII (IsRuleText): a line of text, which mostly begins with one, is told
// by a look at a table rather than the rule test.
struct RuleStarts {
    bool may[256] = {};
    RuleStarts() {
        for (int c = 0; c < 0x80; ++c) may[c] = !IsAsciiAlnum(static_cast<unsigned char>(c));
    }
};
const RuleStarts kRuleStarts;

// Whether the text (of a line that is not blank) begins and ends with "|",
// blanks aside.
bool IsFramedByBars(LineText text) {
    int first = 0;
    while (first < text.length && IsBlankChar(text.buffer[first])) ++first;
    int last = text.length - 1;
    while (last > first && IsBlankChar(text.buffer[last])) --last;
    return last > first && text.buffer[first] == '|' && text.buffer[last] == '|';
}

// The most frequent value of a table and how often it occurs.  Ties go to
// the smaller value, so the result does not depend on the order in which the
// values arrived (nor on whether the table has been sorted by count).  An
// empty table gives `none` with count 0.
struct Top {
    int value;
    int count;
};

Top MostFrequent(const FrequencyTable& table, int none) {
    Top top{none, 0};
    for (int i = 0; i < table.count; ++i) {
        const FrequencyEntry* entry = table.EntryAt(i);
        if (!entry) continue;
        if (entry->occurrences > top.count || (entry->occurrences == top.count && entry->value < top.value))
            top = Top{entry->value, entry->occurrences};
    }
    return top;
}

int CountOf(const FrequencyTable& table, int value) {
    for (int i = 0; i < table.count; ++i) {
        const FrequencyEntry* entry = table.EntryAt(i);
        if (entry && entry->value == value) return entry->occurrences;
    }
    return 0;
}

const TabConfig* ConfigOf(const PreForm& engine) {
    if (engine.tabConfig) return engine.tabConfig;
    return engine.policies ? engine.policies->GetDefaultTabConfig() : nullptr;
}

int TableSetting(const PreForm& engine, TabPol id) {
    const TabConfig* config = ConfigOf(engine);
    return config ? config->GetInt(id) : GetTablePolicyDefinition(id).defaultNumber;
}

int Setting(const PreForm& engine, Pol id, int fallback) {
    return engine.policies ? engine.policies->GetInt(id) : fallback;
}

int PageWidth(const PreForm& engine) {
    const int width = Setting(engine, Pol::PageWidth, 80);
    return width > 0 ? width : 80;
}

int DataLineCount(const PreForm& engine) {
    const int n = engine.lineCount - engine.headerLineCount - engine.ruleLineCount - engine.blankLineCount;
    return n > 0 ? n : 0;
}

bool IsDataLine(const PreForm& engine, int index) {
    const PreFormLine& line = *engine.lines[static_cast<size_t>(index)];
    return index >= engine.headerLineCount && !line.isBlank && !line.isRuleLine &&
           line.lineType != kStatementChangePolicy;
}

int ClampRtfWidth(double twips) {
    if (twips <= 0) return 0;
    if (twips >= static_cast<double>(kMaxRtfWidth)) return static_cast<int>(kMaxRtfWidth);
    return static_cast<int>(std::lround(twips));
}

// The width of the widest line of a delimited cell's text (a field of a
// record holds a line feed for each line end it runs over), in display
// positions on a wide line.
int WidestLine(std::string_view whole, bool wide) {
    int widest = 0;
    for (size_t start = 0;;) {
        const size_t end = whole.find('\n', start);
        const size_t stop = end == std::string_view::npos ? whole.size() : end;
        const int bytes = static_cast<int>(stop - start);
        widest = std::max(widest, wide ? unicode::DisplayWidth(whole.data() + start, bytes) : bytes);
        if (end == std::string_view::npos) return widest;
        start = end + 1;
    }
}

// Removes every column and its cell.
void DropColumns(PreForm& engine) {
    engine.columns.clear();
    engine.columnCount = 0;
    engine.cellRow.Clear();
}

// A column as the detection finds it, before it is added.
struct DetectedColumn {
    int start;
    int gapEnd;
    int boundary;
    int score;
};

// Whether every line of the statistics but the rule lines is blank at
// position p (or ends before it).
bool BlankButOnRuleLines(const PositionStatistics& at) {
    return at.blankCount + at.ruleMarkCount >= at.linesCounted;
}

// A column whose positions are blank on every line but the rule lines (a
// right-aligned first column leaves such positions in front of it, under
// a rule that runs over them) holds nothing of any row: its positions
// belong to the next column, so that no row gets an empty cell its text
// lacks.  The last column stays, and so does a block that would be left
// with a single column (the shapes of a text block are the analysis's to
// judge).
void FoldBlankColumns(const PreForm& engine, std::vector<DetectedColumn>& found) {
    const size_t count = found.size();
    if (count < 3) return;
    std::vector<bool> blank(count, false);
    size_t kept = count;
    int first = 0;  // the first position of the column
    for (size_t k = 0; k + 1 < count; ++k) {
        const int boundary = found[k].boundary;
        bool allBlank = true;
        for (int p = first; p <= boundary && allBlank; ++p)
            allBlank = BlankButOnRuleLines(*engine.positionStatistics[static_cast<size_t>(p)]);
        blank[k] = allBlank;
        if (allBlank) --kept;
        first = boundary + 1;
    }
    if (kept < 2 || kept == count) return;
    std::vector<DetectedColumn> folded;
    folded.reserve(kept);
    int pendingStart = -1;  // the start of the columns folded into the next one
    for (size_t k = 0; k < count; ++k) {
        if (blank[k]) {
            if (pendingStart < 0) pendingStart = found[k].start;
            continue;
        }
        DetectedColumn column = found[k];
        if (pendingStart >= 0) column.start = pendingStart;
        pendingStart = -1;
        folded.push_back(column);
    }
    found = std::move(folded);
}

// Column detection on the per-position statistics; true when the block
// would need more than kMaxDetectedColumns columns (the columns made stop
// there and the last one runs to the end of the longest line).
bool DetectColumnsBounded(PreForm& engine, int separation) {
    DropColumns(engine);
    engine.separatorColumns = 0;
    engine.columnCut = PreForm::ColumnCut{};
    const int s = separation < 1 ? 1 : separation;
    engine.minimumSeparation = s;
    if (engine.positionStatistics.empty()) engine.GatherPositionStatistics();
    const int longest = engine.longestLength < 1 ? 1 : engine.longestLength;
    const int positions = static_cast<int>(engine.positionStatistics.size());
    if (positions == 0) {
        engine.AddColumn(0, longest - 1, longest - 1, -1);
        return false;
    }

    const int sparse = TableSetting(engine, TabPol::ExpectSparseTables);
    const int blockLines = engine.lineCount - engine.headerLineCount;
    int separatorRuns = 0;
    int previousSeparator = 0;
    for (int p = 0; p < positions; ++p) {
        PositionStatistics& at = *engine.positionStatistics[static_cast<size_t>(p)];
        const int counted = at.linesCounted;
        // The most frequent of blank / not blank and separator / not: a tie
        // goes to "not", an empty record counts as blank.
        const int g = counted == 0 || 2 * at.blankCount > counted ? 1 : 0;
        const int f = engine.IsSeparatorPosition(p) ? 1 : 0;
        if (f == 1 && previousSeparator == 0) ++separatorRuns;
        previousSeparator = f;
        at.isSeparator = f;
        if (sparse) {
            const int v = at.blankCount > 0 ? at.blankCount : (f == 1 ? at.separatorCount : 0);
            const int rest = counted - engine.ruleLineCount;
            const double q = rest > 0 ? static_cast<double>(v) / rest : 0.0;
            const double needed = blockLines < 6 ? 0.5 : (blockLines >= 100 ? 0.9 : 0.8);
            at.isGap = q > needed ? 1 : 0;
        } else {
            at.isGap = (g == 1 || f == 1) ? 1 : 0;
        }
    }

    auto record = [&](int p) -> const PositionStatistics& {
        return *engine.positionStatistics[static_cast<size_t>(p)];
    };
    auto open = [&](int p) { return record(p).isGap == 1 || record(p).isSeparator == 1; };
    bool overflow = false;

    if (separatorRuns >= 3) {
        engine.separatorColumns = 1;
        int start = 1;
        const int last = std::min(longest - s - 1, positions - 1);
        for (int k = 1; k <= last; ++k) {
            if (!record(k).isSeparator) continue;
            if (engine.columnCount >= kMaxDetectedColumns - 1) {
                overflow = true;
                engine.columnCut = PreForm::ColumnCut{kMaxDetectedColumns, k + 1};
                break;
            }
            engine.AddColumn(start, k, k, record(k).separatorCount);
            start = k + 1;
        }
        engine.AddColumn(start, longest - 1, longest - 1, -1);
        return overflow;
    }

    // Gaps: runs of gap or separator positions.  The walk stops where the
    // next position still has a record, so that the end of every gap can be
    // seen.
    const int last = std::min(longest - s - 1, positions - 2);
    std::vector<DetectedColumn> found;
    int start = 0;
    bool firstGapSeen = false;
    int lastBoundary = -1;
    bool inGap = false;
    int gapOpen = 0;
    int bestPosition = -1;
    int bestScore = -1;
    int gapLines = 0;
    for (int p = 1; p <= last && !overflow; ++p) {
        if (!open(p)) {
            inGap = false;
            continue;
        }
        if (!inGap) {
            inGap = true;
            gapOpen = p;
            if (!firstGapSeen) {
                firstGapSeen = true;
                start = p;
            }
            bestPosition = -1;
            bestScore = -1;
            gapLines = 0;
        }
        const PositionStatistics& at = record(p);
        const int score = at.separatorCount + at.blankCount;
        if (score >= bestScore) {
            bestScore = score;
            bestPosition = p;
            gapLines = at.linesCounted;
        }
        if (open(p + 1)) continue;
        // The gap ends at p.  It counts when it is at least s positions wide.
        inGap = false;
        const int runStart = (gapOpen == 1 && open(0)) ? 0 : gapOpen;
        if (p - s + 1 < runStart) continue;
        if (gapLines < 1 || static_cast<double>(bestScore) / gapLines > 0.6) {
            if (static_cast<int>(found.size()) >= kMaxDetectedColumns - 1) {
                overflow = true;
                engine.columnCut = PreForm::ColumnCut{kMaxDetectedColumns, p + 1};
                break;
            }
            found.push_back(DetectedColumn{start, p, bestPosition, bestScore});
            lastBoundary = bestPosition;
            start = p + 1;
        }
    }
    found.push_back(DetectedColumn{overflow ? start : lastBoundary + 1, longest - 1, longest - 1, -1});
    if (!overflow) FoldBlankColumns(engine, found);
    for (const DetectedColumn& column : found)
        engine.AddColumn(column.start, column.gapEnd, column.boundary, column.score);
    return overflow;
}

// Alphanumeric columns against symbolic ones: a block whose columns hold
// mostly symbols is a drawing.
void CheckDiagram(PreForm& engine) {
    if (!Setting(engine, Pol::LookForDiagrams, 1) || engine.layoutColumns) return;
    long long w = 0;
    long long y = 0;
    long long t = 0;
    for (const auto& column : engine.columns) {
        t += column->width;
        if (column->isAlphanumeric) w += column->width;
        if (column->isSymbolic) y += column->width;
    }
    if ((w == 0 || !engine.separatorColumns) && (w < y || 4 * w < t)) {
        engine.Message("INFO: Diagram detected", kLevelBlockNote);
        engine.looksLikeDiagram = 1;
        engine.looksLikeTable = 0;
    }
}

// Too many cells span columns for the block to be a table.
void CheckMalformed(PreForm& engine) {
    const int d = DataLineCount(engine);
    const double a = d > 0 ? static_cast<double>(engine.extraSpans) / d : 0.0;
    const double b = d > 0 ? static_cast<double>(engine.spanningCells) / d : 0.0;
    bool malformed;
    if (d <= 4)
        malformed = a > 1.5 && b > 0.67;
    else if (d <= 9)
        malformed = a > 0.7 && b > 0.5;
    else if (d <= 19)
        malformed = a > 0.5 && b > 0.25;
    else
        malformed = a > 0.4 && b > 0.2;
    if (malformed && Setting(engine, Pol::LookForDiagrams, 1) && TableSetting(engine, TabPol::MergingFactor) >= 2 &&
        !engine.separatorColumns && !engine.layoutColumns) {
        engine.Message("WARNING: Mal-formed table", kLevelWarning);
        engine.looksLikeDiagram = 1;
        engine.looksLikeTable = 0;
    }
}

// Merges columns j and j + 1 (or the last two); true when the column count
// went down.
bool MergePair(PreForm& engine, int first) {
    const int before = engine.columnCount;
    engine.MergeColumns(first, first + 1);
    return engine.columnCount < before;
}

bool MergeLastTwo(PreForm& engine) {
    const int before = engine.columnCount;
    engine.MergeLastTwoColumns();
    return engine.columnCount < before;
}

// The line-driven merge of blank-separated rows: the first line that is not
// alone between blank lines and holds a cell spanning two columns of which
// one is not numeric merges those columns.  `*attempted` is set when it
// merges.
bool MergeSpannedColumns(PreForm& engine, bool* attempted) {
    const int n = engine.lineCount;
    for (int i = std::max(engine.headerLineCount, 0); i < n; ++i) {
        const bool blankBefore = i == 0 || engine.lines[static_cast<size_t>(i) - 1]->isBlank;
        const bool blankAfter = i + 1 >= n || engine.lines[static_cast<size_t>(i) + 1]->isBlank;
        if (blankBefore && blankAfter) continue;
        engine.SplitLineIntoCells(&engine.scratchRow, i, 1);
        const int count = engine.columnCount;
        for (int j = 0; j < count - 2;) {
            const TableCell* cell = engine.scratchRow.GetAt(j);
            const int span = cell && cell->span > 1 ? cell->span : 1;
            if (span >= 2 && (!engine.columns[static_cast<size_t>(j)]->isNumeric ||
                              !engine.columns[static_cast<size_t>(j) + 1]->isNumeric)) {
                *attempted = true;
                const bool merged = MergePair(engine, j);
                engine.mergeCount = 0;
                return merged;
            }
            j += span;
        }
    }
    return false;
}

// A column in which no line of text has a cell of its own is no column:
// what text it holds belongs to cells that run on over one of its
// boundaries, and its other cells are blank.  It joins the neighbour those
// cells cover (the next one when they cover both), and only its own empty
// cells go.  A first column of values right-aligned under a header that
// starts further left makes one: the blanks in front of the values are a
// column that only the header's cell reaches.  Every such column is merged
// in one sweep, from the last, so that the columns left of a merge keep
// the statistics they were judged by.  True when columns were merged.
bool MergeColumnsWithoutText(PreForm& engine) {
    bool merged = false;
    for (int k = engine.columnCount - 1; k >= 0 && engine.columnCount > 1; --k) {
        const PreFormColumn& column = *engine.columns[static_cast<size_t>(k)];
        if (column.ownCells > 0 || column.cellsIntoNext + column.cellsFromPrevious == 0) continue;
        if (column.cellsIntoNext > 0 && k + 1 < engine.columnCount) {
            if (MergePair(engine, k)) merged = true;
        } else if (k > 0) {
            if (MergePair(engine, k - 1)) merged = true;
            --k;  // the column before is the merged one
        }
    }
    return merged;
}

// The merge a sweep of MergeColumnsLoop makes of a block of two columns,
// when the cuts of the lines (CutOfTwoColumns) decide it without the
// column statistics: the last column is mostly empty (DeriveColumnValues:
// more than three quarters of the data lines leave it empty), or else the
// first column's typical span is above one (more than a fifth of the data
// lines have its cell run on over the boundary).  Each data line gives
// each column one cell.
enum class TwoColumnMerge { kUnknown, kLastTwo, kPair };

TwoColumnMerge MergeOfTwoColumns(const PreForm& engine, int sparse, int factor) {
    if (engine.columnCount != 2 || engine.separatorColumns || engine.layoutColumns) return TwoColumnMerge::kUnknown;
    int data = 0;
    for (int i = 0; i < engine.lineCount; ++i)
        if (!engine.lines[static_cast<size_t>(i)]->continuesRecord && IsDataLine(engine, i)) ++data;
    if (data == 0) return TwoColumnMerge::kUnknown;
    const PreForm::CutSettings settings = engine.ReadCutSettings();
    int spans = 0;
    int filled = 0;
    int left = data;
    for (int i = 0; i < engine.lineCount; ++i) {
        if (engine.lines[static_cast<size_t>(i)]->continuesRecord || !IsDataLine(engine, i)) continue;
        --left;
        switch (engine.CutOfTwoColumns(i, settings)) {
            case PreForm::TwoColumnCut::kUnknown: return TwoColumnMerge::kUnknown;
            case PreForm::TwoColumnCut::kSpans: ++spans; break;
            case PreForm::TwoColumnCut::kLastFilled: ++filled; break;
            case PreForm::TwoColumnCut::kLastEmpty: break;
        }
        // Neither merge can come any more.
        if ((sparse || 4 * filled >= data) && (factor < 5 || 5 * (spans + left) <= data))
            return TwoColumnMerge::kUnknown;
    }
    if (!sparse && 4 * filled < data) return TwoColumnMerge::kLastTwo;
    if (factor >= 5 && 5 * spans > data) return TwoColumnMerge::kPair;
    return TwoColumnMerge::kUnknown;
}

// The merging loop: each sweep gathers the column statistics and merges
// what they ask for; the loop goes on while a sweep merged columns, for at
// most kMaxMergeSweeps sweeps.  Returns true when it gathered the
// statistics once and tried no merge (the columns are as it found them).
//
// A block of two columns whose merge the cuts decide (MergeOfTwoColumns)
// is merged before the statistics are gathered: the merge is all the sweep
// would do with them, and the next sweep gathers them afresh (so never in
// the last sweep).
bool MergeColumnsLoop(PreForm& engine) {
    const int sparse = TableSetting(engine, TabPol::ExpectSparseTables);
    const int factor = TableSetting(engine, TabPol::MergingFactor);
    bool attempted = false;
    for (int sweep = 0; sweep < kMaxMergeSweeps; ++sweep) {
        const TwoColumnMerge early =
            sweep + 1 < kMaxMergeSweeps ? MergeOfTwoColumns(engine, sparse, factor) : TwoColumnMerge::kUnknown;
        if (early != TwoColumnMerge::kUnknown) {
            attempted = true;
            if (early == TwoColumnMerge::kLastTwo)
                MergeLastTwo(engine);
            else
                MergePair(engine, 0);
            ++engine.mergeCount;
            continue;
        }
        engine.GatherColumnStatistics();
        bool merged = false;
        if (!engine.separatorColumns && !engine.layoutColumns && !sparse && engine.columnCount >= 2 &&
            engine.columns.back()->isMostlyEmpty) {
            attempted = true;
            merged = MergeLastTwo(engine);
            ++engine.mergeCount;
        }
        if (factor >= 5) {
            if (!engine.separatorColumns && !engine.layoutColumns && !merged) {
                for (int j = 0; j < engine.columnCount - 1; ++j) {
                    if (engine.columns[static_cast<size_t>(j)]->typicalSpan <= 1) continue;
                    attempted = true;
                    if (MergePair(engine, j)) merged = true;
                    ++engine.mergeCount;
                }
            }
            if (!engine.separatorColumns) {
                if (!engine.layoutColumns && !sparse && !merged) {
                    for (int j = 1; j <= engine.columnCount - 3; ++j) {
                        if (!engine.columns[static_cast<size_t>(j)]->isMostlyEmpty) continue;
                        attempted = true;
                        merged = MergePair(engine, j - 1);
                        engine.mergeCount = 0;
                        break;
                    }
                }
                if (!engine.layoutColumns && engine.blankSeparatedRows && !merged)
                    merged = MergeSpannedColumns(engine, &attempted);
            }
        }
        // Once the merges above leave the columns as they are, and unless
        // merging is turned towards never, the columns without text of
        // their own go.  (The merge counter stays: these are no poorly
        // filled columns, and the second try with a wider separation is
        // made as it would be without them.)
        if (!merged && factor >= 2 && !engine.separatorColumns && !engine.layoutColumns && !engine.isDelimited &&
            MergeColumnsWithoutText(engine)) {
            attempted = true;
            merged = true;
        }
        if (!merged) return sweep == 0 && !attempted;
    }
    return false;
}

// Puts the block's margin back as a column of its own in front of the one
// text column.
void AddIndentColumn(PreForm& engine, int m) {
    auto column = std::make_unique<PreFormColumn>(0, m - 1, m - 1, m - 1);
    column->isMostlyEmpty = 1;
    column->isConsistent = 1;
    for (auto& existing : engine.columns) {
        existing->start += m;
        existing->gapEnd += m;
        existing->boundary += m;
    }
    engine.columns.insert(engine.columns.begin(), std::move(column));
    engine.columnCount = static_cast<int>(engine.columns.size());
    engine.positionStatistics.clear();
    engine.longestLength += m;
    engine.shortestLength += m;
    const std::string blanks(static_cast<size_t>(m), ' ');
    for (size_t i = 0; i < engine.lines.size(); ++i) {
        const PreFormLine* line = engine.lines[i];
        if (line->lineType == kStatementChangePolicy) continue;
        engine.lines.SetLayout(i, blanks + line->Layout().str());
        // The column statistics that follow count every line's cells afresh.
    }
    engine.smallestIndent = 0;
    engine.leftMargin = 0;
    const SourcePosition where = engine.lines.empty() ? SourcePosition() : engine.lines.Origin(0);
    engine.cellRow.Add(std::make_unique<TableCell>(engine.policies, where, nullptr));
}

// Whether a block of one column is a list of short values: at least
// kShortListLeastLines lines of text besides the rules, no line wider than
// kShortListWidest positions (the margin cut) and no blank line between two
// of them (blank lines before or after the list part nothing).  Longer lines, or paragraphs apart, are text.
bool IsShortList(const PreForm& engine) {
    int textLines = 0;
    bool started = false;  // a line that is not blank was seen
    bool gap = false;  // a blank line followed it
    for (const PreFormLine* line : engine.lines) {
        if (!IsTableTextLine(*line)) continue;
        if (line->isBlank) {
            gap = started;
            continue;
        }
        if (gap || line->length > kShortListWidest) return false;
        started = true;
        if (!line->isRuleLine) ++textLines;
    }
    return textLines >= kShortListLeastLines;
}

// Whether two column lists stand at the same positions with the same scores.
bool SamePositions(const std::vector<std::unique_ptr<PreFormColumn>>& a,
                   const std::vector<std::unique_ptr<PreFormColumn>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        const PreFormColumn& x = *a[k];
        const PreFormColumn& y = *b[k];
        if (x.start != y.start || x.gapEnd != y.gapEnd || x.boundary != y.boundary || x.score != y.score)
            return false;
    }
    return true;
}

// One detection pass: columns, the kinds of block, merging and the shape
// checks.  Returns true when the pass gathered the column statistics once
// and changed neither the columns nor the lines: a pass over the same
// columns would then do exactly the same work.
bool DetectionPass(PreForm& engine, int s) {
    engine.isShortList = 0;
    const TabConfig* config = ConfigOf(engine);
    bool overflow = false;
    if (config && config->columnCount > 0) {
        engine.ApplyTableLayout();
        engine.layoutColumns = 1;
    } else {
        overflow = DetectColumnsBounded(engine, s);
    }

    const int data = DataLineCount(engine);
    if (Setting(engine, Pol::ExpectCodeSamples, 0) && data >= 1 && engine.codeLineCount * 10 > data * 7) {
        engine.Message("INFO: Code sample detected", kLevelBlockNote);
        engine.looksLikeCode = 1;
        engine.looksLikeTable = 0;
    }
    if (data >= 1 && engine.mailHeaderLineCount * 10 > data * 7) {
        engine.Message("INFO: Mail header detected", kLevelBlockNote);
        engine.looksLikeMailHeader = 1;
        engine.looksLikeTable = 0;
    }
    const int counted = engine.lineCount - engine.headerLineCount;
    if (TableSetting(engine, TabPol::BlankLineSeparated) && counted >= 1 &&
        engine.blankLineCount >= engine.ruleLineCount && engine.blankLineCount * 100 > counted * 15 &&
        engine.blankLineCount >= 3)
        engine.blankSeparatedRows = 1;

    if (overflow) {
        // Far more columns than any table has: not a table, though it may
        // be a drawing.
        engine.GatherColumnStatistics();
        engine.looksLikeTable = 0;
        CheckDiagram(engine);
        return false;
    }

    bool repeatable = true;
    if (engine.rtfOutput && engine.columnCount == 2) {
        engine.GatherColumnStatistics();
        engine.canUseDefinitionList = 1;
        engine.ParseTable(kParseTrial);
        repeatable = false;
    }

    if (!MergeColumnsLoop(engine)) repeatable = false;

    if (engine.columnCount == 2 && engine.columns[0]->isMostlyEmpty && engine.columns[0]->isConsistent) {
        engine.looksLikeTable = 0;
        engine.isTextBlock = 1;
    } else if (engine.columnCount == 1) {
        const bool headingRuleValue =
            engine.lineCount == 3 && engine.ruleLineCount == 1 && engine.lines[1]->isRuleLine;
        if (!headingRuleValue) {
            // An indented column is a text block (below); a short list, a
            // table of one column; any other column, text.
            if (engine.smallestIndent >= PageWidth(engine) / 4)
                engine.isTextBlock = 1;
            else if (IsShortList(engine))
                engine.isShortList = 1;
            if (!engine.isShortList) engine.looksLikeTable = 0;
            // Blank lines around a list part no rows of it.
            if (engine.isShortList) engine.blankSeparatedRows = 0;
        }
    }

    if (engine.isTextBlock && engine.columnCount == 1) {
        // Only a margin that was cut can become the indent column; without
        // one the block is no text block (it would have no text column).
        if (engine.leftMargin >= 1)
            AddIndentColumn(engine, engine.leftMargin);
        else
            engine.isTextBlock = 0;
        repeatable = false;
    }
    if (engine.isTextBlock) {
        engine.GatherColumnStatistics();
        repeatable = false;
    }

    CheckDiagram(engine);
    CheckMalformed(engine);
    return repeatable;
}

void AnalyseDelimited(PreForm& engine) {
    // A delimited block keeps its lines as they are: no margin is cut.
    engine.smallestIndent = 0;
    engine.leftMargin = 0;
    engine.longestLength = 1;
    engine.shortestLength = 1;
    // The further lines of a record are no lines of their own: neither
    // blank nor rules, nor counted apart from their record.
    engine.FindRecords();
    engine.AnalyseLineStatistics();
    int most = 0;
    TextString rawScratch;
    for (size_t i = 0; i < engine.lines.size(); ++i) {
        const PreFormLine& line = *engine.lines[i];
        if (line.lineType == kStatementChangePolicy || line.continuesRecord) continue;
        // A line whose raw text is kept as its tab runs has a field more
        // than runs when tabs delimit (and is a record of its own).
        const unsigned char* runs = engine.delimiter == '\t' ? line.TabRunsOfRaw() : nullptr;
        const int fields =
            runs ? 1 + static_cast<int>(std::min<size_t>(TabRuns::Walk(runs).Left(), kMaxDelimitedColumns))
                 : CountDelimitedFields(engine.RecordRaw(static_cast<int>(i), rawScratch).view(), engine.delimiter);
        most = std::max(most, fields);
    }
    if (most > kMaxDelimitedColumns) engine.columnCut.bound = kMaxDelimitedColumns;
    most = std::min(most, kMaxDelimitedColumns);
    DropColumns(engine);
    for (int i = 0; i < most; ++i) engine.AddColumn(-1, -1, -1, -1);
    engine.GatherColumnStatistics();
}

// Counts of the few values one column statistic takes (alignments, spans),
// kept per column while the lines are read and put into the column's
// frequency table once at the end.
class ValueCounts {
public:
    // Adds `value` `times` times.  A column's cells mostly repeat the value
    // before, which is looked at first.
    void Add(int value, int times = 1) {
        if (last < counts.size() && counts[last].first == value) {
            counts[last].second += times;
            return;
        }
        for (size_t k = 0; k < counts.size(); ++k) {
            if (counts[k].first == value) {
                counts[k].second += times;
                last = k;
                return;
            }
        }
        last = counts.size();
        counts.emplace_back(value, times);
    }
    void FillTable(FrequencyTable& table) const {
        table.Clear();
        for (const auto& entry : counts) AddTimes(table, entry.first, entry.second);
    }
    // Adds `value` to the table `times` times (the table counts it as that
    // many additions).
    static void AddTimes(FrequencyTable& table, int value, int times) {
        if (times <= 0) return;
        table.Add(value);
        for (int i = 0; i < table.count; ++i) {
            FrequencyEntry* entry = table.EntryAt(i);
            if (entry && entry->value == value) {
                entry->occurrences += times - 1;
                break;
            }
        }
        table.samples += times - 1;
        table.sumOfValues += value * (times - 1);
    }

private:
    std::vector<std::pair<int, int>> counts;  // in the order the values first came
    size_t last = 0;  // the entry of the value added last
};

void FillBinary(FrequencyTable& table, const std::array<int, 2>& counts) {
    table.Clear();
    ValueCounts::AddTimes(table, 0, counts[0]);
    ValueCounts::AddTimes(table, 1, counts[1]);
}

struct ColumnTally {
    ValueCounts alignments;
    ValueCounts spans;
    std::array<int, 2> empty{};
    std::array<int, 2> alphanumeric{};
    std::array<int, 2> symbolic{};
    std::array<int, 2> numeric{};
    int widest = 0;
    // Filled cells of the lines of text (see PreFormColumn::ownCells).
    int ownCells = 0;
    int cellsIntoNext = 0;
    int cellsFromPrevious = 0;
};

// What a character of a cell adds to the column statistics' counts, four
// counts of 16 bits in one word: nothing for a blank or tab; 1 to the
// letters and digits (bytes above 127 are letters of the code page), and
// for a digit 1 to the digits as well; 1 to the other characters; and 1 to
// the bytes a plain number is not made of (IsPlainNumberByte).  One addition per
// character keeps all four; a piece of at most kCountedPiece bytes cannot
// overflow them.
constexpr int kCountBits = 16;
constexpr uint64_t kCountMask = (uint64_t{1} << kCountBits) - 1;
constexpr uint64_t kCountsOther = uint64_t{1} << kCountBits;
constexpr uint64_t kCountsDigit = uint64_t{1} << (2 * kCountBits);
constexpr uint64_t kCountsNotNumber = uint64_t{1} << (3 * kCountBits);
constexpr int kCountedPiece = (1 << kCountBits) - 1;

// The bytes a plain number is made of when it starts with a digit: digits,
// ",", "-" and ".".  Such a value is a number to ClassifyDataValue under
// every rule set (all its bytes count as numeric), so the statistics need
// not ask it.
bool IsPlainNumberByte(unsigned char c) { return IsAsciiDigit(c) || c == ',' || c == '-' || c == '.'; }

struct CharacterKinds {
    uint64_t of[256] = {};
    CharacterKinds() {
        for (int c = 0; c < 256; ++c) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (IsAsciiDigit(u))
                of[c] = 1 | kCountsDigit;
            else if (IsAsciiAlnum(u) || u >= 0x80)
                of[c] = 1;
            else
                of[c] = IsBlankChar(static_cast<char>(u)) ? 0 : kCountsOther;
            if (!IsPlainNumberByte(u)) of[c] |= kCountsNotNumber;
        }
    }
};
const CharacterKinds kCharacterKinds;

// What the column statistics read from the characters of a cell text.
struct CellCounts {
    long long alphanumerics = 0;  // letters and digits
    long long digits = 0;
    long long others = 0;  // neither blanks nor letters nor digits
    bool notPlainNumber = false;  // a byte other than those of a plain number
};

// The four counts of the `end - first` (at most kCountedPiece) bytes from
// `first`, packed as CharacterKinds packs them.
[[gnu::always_inline]] inline uint64_t CountPiece(const unsigned char* bytes, int first, int end) {
    uint64_t counts = 0;
    int c = first;
    for (; c + 4 <= end; c += 4)
        counts += kCharacterKinds.of[bytes[c]] + kCharacterKinds.of[bytes[c + 1]] +
                  kCharacterKinds.of[bytes[c + 2]] + kCharacterKinds.of[bytes[c + 3]];
    for (; c < end; ++c) counts += kCharacterKinds.of[bytes[c]];
    return counts;
}

[[gnu::always_inline]] inline CellCounts CountCharacters(const unsigned char* bytes, int first, int end) {
    CellCounts result;
    auto add = [&](uint64_t counts) {
        result.alphanumerics += static_cast<long long>(counts & kCountMask);
        result.others += static_cast<long long>((counts >> kCountBits) & kCountMask);
        result.digits += static_cast<long long>((counts >> (2 * kCountBits)) & kCountMask);
        result.notPlainNumber = result.notPlainNumber || (counts >> (3 * kCountBits)) != 0;
    };
    if (end - first <= kCountedPiece) {  // a cell of any usual length: one piece
        add(CountPiece(bytes, first, end));
        return result;
    }
    for (int from = first; from < end;) {
        const int to = end - from > kCountedPiece ? from + kCountedPiece : end;
        add(CountPiece(bytes, from, to));
        from = to;
    }
    return result;
}

// A 64-bit hash of a text; equal texts of the first column are counted by
// their hashes.  Eight bytes are mixed in at a time (the last few one by
// one into a word), and the length starts the hash.
uint64_t HashText(const char* text, int length) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    uint64_t hash = 1469598103934665603ull ^ static_cast<uint64_t>(length);
    auto mix = [&](uint64_t word) {
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    };
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        mix(word);
    }
    if (i < length) {
        uint64_t word = 0;
        for (int k = 0; i < length; ++i, k += 8)
            word |= static_cast<uint64_t>(static_cast<unsigned char>(text[i])) << k;
        mix(word);
    }
    return hash;
}

// The majority vote over a sequence of values: the value held by more than
// half of them, if any, is the candidate at the end (with votes left).  Its
// count then takes a second pass over the values.
struct MajorityVote {
    uint64_t candidate = 0;
    int votes = 0;
    void Add(uint64_t value) {
        if (votes == 0) {
            candidate = value;
            votes = 1;
        } else {
            votes += value == candidate ? 1 : -1;
        }
    }
};

}  // namespace

void PreForm::Analyse() {
    columnCut = ColumnCut{};
    if (isDiagram || isCode || isPreformatted || isUserTable || isUnderwriter || isInversePyramid) return;
    if (isDelimited) {
        AnalyseDelimited(*this);
        return;
    }

    // The common margin of the block is cut off; table output indents the
    // table by it instead.
    const int m = smallestIndent;
    leftMargin = 0;
    if (m >= 1 && m <= 79) {
        for (size_t i = 0; i < lines.size(); ++i) {
            const PreFormLine* line = lines[i];
            if (line->lineType == kStatementChangePolicy || line->Layout().length == 0) continue;
            lines.CutLayoutFront(i, m);
        }
        longestLength -= m;
        shortestLength -= m;
        leftMargin = m;
    }
    if (longestLength < 1) longestLength = 1;
    if (shortestLength < 1) shortestLength = 1;

    AnalyseLineStatistics();
    // A pipe table whose bars wander is laid out at its own bars first.
    AlignPipeRows(*this);
    bool anyText = false;
    for (const PreFormLine* line : lines)
        if (!line->isBlank) anyText = true;
    if (!anyText) {
        // Nothing to find columns in.
        DropColumns(*this);
        looksLikeTable = 0;
        return;
    }
    GatherPositionStatistics();

    // A separation the document gives itself is used as it stands: a short
    // block is not given a wider one, nor is a wider one tried.
    const TabConfig* config = ConfigOf(*this);
    const bool asGiven = config && config->separationAsGiven;
    int s = TableSetting(*this, TabPol::MinColumnSeparation);
    if (!asGiven && lineCount <= 5 && s < 2) s = 2;

    for (;;) {
        const bool repeatable = DetectionPass(*this, s);
        if (!looksLikeTable || layoutColumns || asGiven) break;
        const int factor = TableSetting(*this, TabPol::MergingFactor);
        if (mergeCount != 0 || factor < 2 || columnCount <= 2 || s > 1) break;
        std::vector<std::unique_ptr<PreFormColumn>> previous = std::move(columns);
        DetectColumnsBounded(*this, 2);
        if (columnCount <= 1) {
            DetectColumnsBounded(*this, 1);
            // The columns are back to the first detection: their statistics
            // and the line flags must describe them.
            GatherColumnStatistics();
            break;
        }
        Message("INFO: Increasing min column separation in table to 2 spaces", kLevelAlways);
        s = 2;
        if (repeatable && SamePositions(previous, columns)) {
            // The wider separation finds the columns the pass just worked
            // on, and the pass left the block as it found it: a second pass
            // would repeat it step by step (and then end the loop, as the
            // separation is 2).  The columns keep the statistics it made.
            columns = std::move(previous);
            break;
        }
    }
    // The two-column (definition list) form needs two columns.
    if (columnCount != 2) canUseDefinitionList = 0;
}

// Code-like lines are counted only when code samples are expected: the
// count decides nothing else, and the test reads the whole line.
void PreForm::AnalyseLineStatistics() {
    const bool countCode = Setting(*this, Pol::ExpectCodeSamples, 0) != 0;
    codeLineCount = 0;
    blankLineCount = 0;
    ruleLineCount = 0;
    firstRuleLine = secondRuleLine = lastRuleLine = -1;
    int textLines = 0;
    int framedLines = 0;
    for (int i = 0; i < lineCount; ++i) {
        PreFormLine& line = *lines[static_cast<size_t>(i)];
        if (line.continuesRecord) {
            line.isBlank = line.isRuleLine = 0;
            continue;
        }
        const LineText text = line.Layout();
        const bool counted = i >= headerLineCount;
        const int firstText = FirstNonBlank(text);
        line.isBlank = firstText == text.length ? 1 : 0;
        line.isRuleLine = !line.isBlank && kRuleStarts.may[static_cast<unsigned char>(text.buffer[firstText])] &&
                                  IsRuleText(text.view())
                              ? 1
                              : 0;
        if (line.isBlank) {
            if (counted) ++blankLineCount;
            continue;
        }
        if (!line.isRuleLine && line.lineType != kStatementChangePolicy) {
            ++textLines;
            if (IsFramedByBars(text)) ++framedLines;
        }
        if (!counted) continue;
        if (countCode && IsCodeLine(text.view(), 1)) ++codeLineCount;
        if (line.isRuleLine) {
            // Rule lines below the header lines are counted and remembered.
            ++ruleLineCount;
            if (firstRuleLine < 0)
                firstRuleLine = i;
            else if (secondRuleLine < 0)
                secondRuleLine = i;
            lastRuleLine = i;
        }
    }
    barFramedLines = 2 * framedLines > textLines ? 1 : 0;
}

namespace {

// The counts of GatherPositionStatistics, per position of the first
// `positions`: blanks, separators, the lines that end there, and the rule
// lines' marks.
class PositionCounter {
public:
    explicit PositionCounter(int positionCount)
        : positions(positionCount),
          blanks(static_cast<size_t>(positionCount), 0),
          separators(static_cast<size_t>(positionCount), 0),
          ends(static_cast<size_t>(positionCount) + 1, 0),
          ruleMarks(static_cast<size_t>(positionCount), 0)
#if defined(__SSE2__)
          ,
          recentBlanks(static_cast<size_t>(positionCount), 0)
#endif
    {
    }

    // Counts the layout text of one line.
    void CountLine(const PreFormLine& line) {
        const LineText text = line.Layout();
        if (line.wide) {
            CountWideLine(text);
            ++ends[static_cast<size_t>(std::min(line.length, positions))];
#if defined(__SSE2__)
            if (++linesSinceFlush == 255) FlushBlanks();
#endif
            return;
        }
        const int n = std::min(text.length, positions);
        int p = 0;
#if defined(__SSE2__)
        for (; p + 16 <= n; p += 16) CountSixteen(text, p, p, 16);
        if (++linesSinceFlush == 255) FlushBlanks();
#endif
        for (; p < n; ++p) {
            const unsigned char kind = kinds.of[static_cast<unsigned char>(text.buffer[p])];
            if (kind == 0) continue;
            if (kind == 1)
                ++blanks[static_cast<size_t>(p)];
            else
                CountSeparator(text, p, p);
        }
        ++ends[static_cast<size_t>(n)];
    }

    // Counts where a rule line (ASCII only: a byte a position) has a
    // character other than a blank.
    void CountRuleMarks(const PreFormLine& line) {
        const LineText text = line.Layout();
        const int n = std::min(text.length, positions);
        for (int p = 0; p < n; ++p)
            if (kinds.of[static_cast<unsigned char>(text.buffer[p])] != 1) ++ruleMarks[static_cast<size_t>(p)];
    }

    // The records of the positions, after the last line: `counted` lines
    // were counted.
    void Fill(std::vector<std::unique_ptr<PositionStatistics>>& records, int counted) {
#if defined(__SSE2__)
        FlushBlanks();
#endif
        records.reserve(static_cast<size_t>(positions));
        int ended = 0;
        for (int p = 0; p < positions; ++p) {
            ended += ends[static_cast<size_t>(p)];
            auto record = std::make_unique<PositionStatistics>();
            record->linesCounted = counted;
            record->blankCount = blanks[static_cast<size_t>(p)] + ended;
            record->separatorCount = separators[static_cast<size_t>(p)];
            record->ruleMarkCount = ruleMarks[static_cast<size_t>(p)];
            records.push_back(std::move(record));
        }
    }

private:
    // What a character is to the statistics: 1 blank or tab, 2 separator
    // ("*", "|"), 3 "+" (a separator directly after "-" or "=").
    struct Kinds {
        unsigned char of[256] = {};
        Kinds() {
            of[static_cast<unsigned char>(' ')] = of[static_cast<unsigned char>('\t')] = 1;
            of[static_cast<unsigned char>('*')] = of[static_cast<unsigned char>('|')] = 2;
            of[static_cast<unsigned char>('+')] = 3;
        }
    };
    static inline const Kinds kinds;

    // The byte at `at` of the text, standing at position `p` (the same but
    // on a wide line).  The byte before a "+" is the character before it: on
    // a wide line, a byte of a character beyond ASCII is neither "-" nor "=".
    [[gnu::always_inline]] inline void CountSeparator(LineText text, int at, int p) {
        const unsigned char kind = kinds.of[static_cast<unsigned char>(text.buffer[at])];
        if (kind == 2 || (kind == 3 && at > 0 && (text.buffer[at - 1] == '-' || text.buffer[at - 1] == '=')))
            ++separators[static_cast<size_t>(p)];
    }

#if defined(__SSE2__)
    void FlushBlanks() {
        for (int p = 0; p < positions; ++p) blanks[static_cast<size_t>(p)] += recentBlanks[static_cast<size_t>(p)];
        std::fill(recentBlanks.begin(), recentBlanks.end(), 0);
        linesSinceFlush = 0;
    }

    // The first `count` of the sixteen bytes at byte `at` of the text, which
    // stand at positions p to p + 15 (all within the counters).
    [[gnu::always_inline]] inline void CountSixteen(LineText text, int at, int p, int count) {
        const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
        const __m128i star = _mm_set1_epi8('*'), bar = _mm_set1_epi8('|'), plus = _mm_set1_epi8('+');
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.buffer + at));
        __m128i isBlank = _mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(bytes, tab));
        __m128i isSeparator = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, star), _mm_cmpeq_epi8(bytes, bar)),
                                           _mm_cmpeq_epi8(bytes, plus));
        if (count < 16) {
            const __m128i laneIndex = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
            const __m128i taken = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(count)), laneIndex);
            isBlank = _mm_and_si128(isBlank, taken);
            isSeparator = _mm_and_si128(isSeparator, taken);
        }
        auto* counters = reinterpret_cast<__m128i*>(recentBlanks.data() + p);
        // A match is -1 in its byte: subtracting it counts it.
        _mm_storeu_si128(counters, _mm_sub_epi8(_mm_loadu_si128(counters), isBlank));
        for (unsigned found = static_cast<unsigned>(_mm_movemask_epi8(isSeparator)); found != 0;
             found &= found - 1) {
            const int lane = __builtin_ctz(found);
            CountSeparator(text, at + lane, p + lane);
        }
    }
#endif

    // A wide line is read character by character, each at the display
    // position it starts at; its runs of ASCII (a byte a position) sixteen
    // bytes at a time where the processor compares vectors.
    void CountWideLine(LineText text) {
        const char* const bytes = text.buffer;
        const int length = text.length;
        int p = 0;
        for (int i = 0; i < length && p < positions;) {
#if defined(__SSE2__)
            if (i + 16 <= length && p + 16 <= positions) {
                const unsigned high = static_cast<unsigned>(
                    _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i))));
                const int ascii = high ? __builtin_ctz(high) : 16;
                if (ascii > 0) {
                    CountSixteen(text, i, p, ascii);
                    i += ascii;
                    p += ascii;
                    continue;
                }
            }
#endif
            if (static_cast<unsigned char>(bytes[i]) < 0x80) {
                const unsigned char kind = kinds.of[static_cast<unsigned char>(bytes[i])];
                if (kind == 1)
                    ++blanks[static_cast<size_t>(p)];
                else if (kind != 0)
                    CountSeparator(text, i, p);
                ++i;
                ++p;
                continue;
            }
            p += unicode::NextWidth(bytes, length, &i);
        }
    }

    const int positions;
    std::vector<int> blanks;
    std::vector<int> separators;
    std::vector<int> ends;
    std::vector<int> ruleMarks;
#if defined(__SSE2__)
    std::vector<uint8_t> recentBlanks;
    int linesSinceFlush = 0;
#endif
};

}  // namespace

// Per position: how many counted lines have a blank (or nothing) there,
// how many a separator, and how many rule lines a mark.  Positions past a
// line's end are blanks; they are counted from a histogram of line ends, so
// the work is the characters read plus the positions, not lines times
// positions.
//
// Where the processor compares vectors of bytes (SSE2), sixteen positions
// are looked at together: their blanks go into byte counters that are added
// to the totals every 255 lines, before they can overflow, and the rare
// separators are counted one by one.  The rest of each line goes through the
// byte loop.
void PreForm::GatherPositionStatistics() {
    positionStatistics.clear();
    const int positions = std::min(longestLength < 1 ? 1 : longestLength, kMaxPositions);
    PositionCounter counter(positions);
    int counted = 0;
    for (int i = std::max(headerLineCount, 0); i < lineCount; ++i) {
        const PreFormLine& line = *lines[static_cast<size_t>(i)];
        if (line.isBlank || line.lineType == kStatementChangePolicy) continue;
        ++counted;
        counter.CountLine(line);
        if (line.isRuleLine) counter.CountRuleMarks(line);
    }
    counter.Fill(positionStatistics, counted);
}

bool PreForm::IsSeparatorPosition(int position) const {
    if (position < 0 || static_cast<size_t>(position) >= positionStatistics.size()) return false;
    const PositionStatistics& at = *positionStatistics[static_cast<size_t>(position)];
    return at.linesCounted > 0 && 2 * at.separatorCount > at.linesCounted;
}

void PreForm::DetectColumns(int separation) { DetectColumnsBounded(*this, separation); }

namespace {

// What is known of a cell text that ColumnTallyPass::CountCell is given.
struct CellTextShape {
    bool trimmed = false;  // no blanks or tabs around it
    bool lineFeeds = true;  // it may hold line feeds
};

// The tallies of GatherColumnStatistics: one pass over the lines of the
// block fills the tallies of every column over the data lines and sets the
// cell flags of every line.
class ColumnTallyPass {
public:
    explicit ColumnTallyPass(PreForm& owner)
        : engine(owner),
          count(owner.columnCount),
          byColumns(!owner.isDelimited),
          oneColumn(byColumns && count == 1),
          cutSettings(owner.ReadCutSettings()),
          tallies(static_cast<size_t>(owner.columnCount)),
          emptyFrom(static_cast<size_t>(owner.columnCount), 0) {}

    // Tallies line `i` and sets its cell flags.
    void TallyLine(int i) {
        PreFormLine& line = *engine.lines[static_cast<size_t>(i)];
        PreForm::FilledCells& filled = engine.filledCells[static_cast<size_t>(i)];
        filled = PreForm::FilledCells{};
        line.hasSpanningCell = 0;
        line.onlyLastCellFilled = 0;
        line.lastCellEmpty = 1;
        // A further line of a record was split with the record's first line.
        if (count == 0 || line.continuesRecord) return;
        LineTally tally{line, filled, IsDataLine(engine, i),
                        byColumns && !line.isBlank && !line.isRuleLine && IsTableTextLine(line)};
        if (tally.data) ++dataLines;
        if (oneColumn && engine.CutOnlyCell(i, 1, cutSettings, &onlyCut)) {
            // A block of one column: the line's one cell, without a list of cuts.
            CountCell(tally, 0, 1, line.Layout().buffer + onlyCut.first, onlyCut.length, onlyCut.alignment);
        } else if (byColumns) {
            // The cuts follow each other over all the columns.
            engine.CutLineAtColumns(i, 1, &cuts, 0, cutSettings);
            const char* layout = line.Layout().buffer;
            for (const CellCut& cut : cuts)
                CountCell(tally, cut.column, cut.span, layout + cut.first, cut.length, cut.alignment);
        } else {
            TallyFields(tally, i);
        }
        line.lastCellEmpty = tally.lastFilled ? 0 : 1;
        line.onlyLastCellFilled = tally.lastFilled && filled.count == 1 ? 1 : 0;
        if (tally.data && tally.spans) ++engine.spanningLines;
    }

    // Whether the first column holds one value on more than half of the
    // data lines, and on two at least: the winner of the vote is counted
    // over its filled cells on the data lines, cut again, until the count
    // decides it either way.
    bool FirstColumnHasDominantValue() {
        if (!FirstColumnVoted()) return false;
        const auto decides = [this](int most) { return most >= 2 && most * 2 > dataLines; };
        int most = 0;
        if (!byColumns) {
            for (uint64_t hash : delimitedFirstTexts)
                if (hash == firstTexts.candidate) ++most;
            return decides(most);
        }
        for (int i = 0; i < engine.lineCount; ++i) {
            // Too few lines are left for the winner to reach the half.
            if (2 * (most + (engine.lineCount - i)) <= dataLines) return false;
            if (!IsDataLine(engine, i)) continue;
            const char* text = "";
            int end = 0;
            if (engine.CutLineAtColumns(i, 1, &cuts, 1, cutSettings) && !cuts.empty()) {
                text = engine.lines[static_cast<size_t>(i)]->Layout().buffer + cuts[0].first;
                end = cuts[0].length;
            }
            int first = 0;
            while (first < end && IsBlankChar(text[first])) ++first;
            while (end > first && IsBlankChar(text[end - 1])) --end;
            if (end > first && HashText(text + first, end - first) == firstTexts.candidate && decides(++most))
                return true;
        }
        return false;
    }

    // Adds the empty cells counted together (CountEmptyCells) to the
    // tallies of their columns; once, after the last line.
    void AddEmptyCells() {
        int running = 0;
        for (int k = 0; k < count; ++k) {
            running += emptyFrom[static_cast<size_t>(k)];
            if (running == 0) continue;
            ColumnTally& tally = tallies[static_cast<size_t>(k)];
            tally.spans.Add(1, running);
            tally.empty[1] += running;
        }
    }

    // The line whose split the scratch row would hold after a split of
    // every line, when it does not (-1 when it does).
    int SplitOwed() const { return splitOwed; }

    // Whether the first column's cells voted at all.
    bool FirstColumnVoted() const { return count > 0 && dataLines > 0 && firstTexts.votes > 0; }
    const ColumnTally& Tally(int k) const { return tallies[static_cast<size_t>(k)]; }

private:
    // The line being tallied: whether it is a data line, whether a cell of
    // it spans columns, and whether its last cell is filled.
    struct LineTally {
        PreFormLine& line;
        PreForm::FilledCells& filled;
        bool data;
        // A line of a block with columns that is written as a row of text
        // (the header lines the statistics skip too): its filled cells say
        // which columns hold text of their own.
        bool text;
        bool spans = false;
        bool lastFilled = false;
    };

    // The fields of line `i` of a delimited block.  Kept out of TallyLine,
    // which the lines of a block with columns go through.
    [[gnu::noinline]] void TallyFields(LineTally& tally, int i) {
        LineText record{};
        if (engine.CutLineAtDelimiters(i, rawScratch, &record, &cuts)) {
            // A field each of the first columns; the rest are empty.  The
            // cuts are trimmed; a line holds no line feed (a field's width is
            // its length), but that is asked once rather than of each field.
            const CellTextShape shape{
                true, std::memchr(record.buffer, '\n', static_cast<size_t>(record.length)) != nullptr};
            for (const CellCut& cut : cuts)
                CountCell(tally, cut.column, 1, record.buffer + cut.first, cut.length, cut.alignment, shape);
            const int fields = static_cast<int>(cuts.size());
            if (fields < count) CountEmptyCells(tally, fields);
            splitOwed = i;
            return;
        }
        engine.SplitLineIntoCells(&engine.scratchRow, i, 1);
        splitOwed = -1;
        // The cells after the line's last field are padding without text
        // (see TableCellRow): counted together.
        const TableCellRow& row = engine.scratchRow;
        const bool emptyPadding = row.PaddingCells().text.IsEmpty();
        const int stop = emptyPadding ? std::min(count, row.PaddingStart()) : count;
        int k = 0;
        while (k < stop) {
            const TableCell* cell = row.GetAt(k);
            int span = cell ? cell->span : 1;
            if (span < 1) span = 1;
            if (span > count - k) span = count - k;
            CountCell(tally, k, span, cell ? cell->text.buffer : "", cell ? cell->text.length : 0,
                      cell ? cell->alignment : 1);
            k += span;
        }
        if (k < count) CountEmptyCells(tally, k);
    }

    // The cell that starts at column k, of `span` columns: its text (the
    // `textLength` bytes at `text`, shaped as `shape` says) and alignment.
    [[gnu::always_inline]] inline void CountCell(LineTally& state, int k, int span, const char* text, int textLength,
                                                 int alignment, CellTextShape shape = {}) {
        PreFormLine& line = state.line;
        // The text without the blanks around it (a cut has none).
        int first = 0;
        int end = textLength;
        if (!byColumns && !shape.trimmed) {
            while (first < end && IsBlankChar(text[first])) ++first;
            while (end > first && IsBlankChar(text[end - 1])) --end;
        }
        const bool filled = end > first;
        const bool isLast = k + span >= count;
        if (filled) {
            ++state.filled.count;
            if (state.filled.first < 0) state.filled.first = static_cast<int16_t>(k);
        }
        if (isLast) state.lastFilled = filled;
        // A cell that starts before the last column and spans more than
        // one column (also one that runs across the last boundary)
        // makes the line a row of its own.
        if (span > 1 && k < count - 1) line.hasSpanningCell = 1;
        ColumnTally& tally = tallies[static_cast<size_t>(k)];
        if (filled && state.text) CountCover(k, span);
        if (!byColumns && line.lineType != kStatementChangePolicy) {
            const std::string_view whole(text, static_cast<size_t>(textLength));
            tally.widest = std::max(tally.widest, shape.lineFeeds ? WidestLine(whole, line.wide)
                                                  : line.wide     ? unicode::DisplayWidth(text, textLength)
                                                                  : textLength);
        }
        if (!state.data) return;
        tally.spans.Add(span);
        if (filled) {
            ++tally.empty[0];
            tally.alignments.Add(alignment);
            // Letters (bytes above 127 count as letters of the code
            // page) and digits against the other characters.
            const CellCounts counts = CountCharacters(reinterpret_cast<const unsigned char*>(text), first, end);
            const long long length = end - first;
            const int symbolic = counts.alphanumerics * 5 < length || counts.alphanumerics < counts.others ? 1 : 0;
            ++tally.symbolic[symbolic];
            ++tally.alphanumeric[1 - symbolic];
            // A number is numeric for at least 60% of its bytes, and
            // letters never count: a cell with more letters is text
            // whatever the rule set (the margin is far wider than any
            // rounding of that share).
            const long long letters = counts.alphanumerics - counts.digits;
            const bool plainNumber = !counts.notPlainNumber && IsAsciiDigit(static_cast<unsigned char>(text[first]));
            const bool mostlyLetters = (length - letters) * 100 < 60 * length;
            const bool number =
                plainNumber || (!mostlyLetters && IsNumberValue(engine.policies, text + first, end - first));
            ++tally.numeric[number ? 1 : 0];
            if (k == 0) {
                const uint64_t hash = HashText(text + first, end - first);
                firstTexts.Add(hash);
                if (!byColumns) delimitedFirstTexts.push_back(hash);
            }
        } else {
            ++tally.empty[1];
        }
        if (span > 1) {
            ++engine.spanningCells;
            engine.extraSpans += span - 1;
            state.spans = true;
        }
        // The columns a cell covers count as empty cells of span 1.
        for (int c = k + 1; c < k + span; ++c) {
            ColumnTally& covered = tallies[static_cast<size_t>(c)];
            covered.spans.Add(1);
            ++covered.empty[1];
        }
    }

    // Where a filled cell of a line of text stands: in column k alone, or
    // over the columns k .. k + span - 1, each of which it joins to its
    // neighbours inside the span.
    void CountCover(int k, int span) {
        if (span <= 1) {
            ++tallies[static_cast<size_t>(k)].ownCells;
            return;
        }
        const int last = std::min(k + span, count) - 1;
        for (int c = k; c <= last; ++c) {
            ColumnTally& covered = tallies[static_cast<size_t>(c)];
            if (c < last) ++covered.cellsIntoNext;
            if (c > k) ++covered.cellsFromPrevious;
        }
    }

    // The cells from column `first` to the last of the line being tallied
    // are empty cells of span 1: each counts an empty cell of span 1 in its
    // column on a data line, as CountCell would, and the line's last cell is
    // empty.  Their columns get them in AddEmptyCells: a line costs its
    // fields, not the columns.
    void CountEmptyCells(LineTally& state, int first) {
        state.lastFilled = false;
        if (state.data) ++emptyFrom[static_cast<size_t>(first)];
    }

    PreForm& engine;
    const int count;
    // Lines of a block with columns are cut without cells (the texts stay
    // in the lines); so are the lines of a delimited block whose fields
    // stand in the line as they are (its raw text may be made in
    // `rawScratch`), and any other line is split into the scratch row.
    const bool byColumns;
    // A block of one column cuts each line's one cell into `onlyCut`.
    const bool oneColumn;
    CellCut onlyCut;
    std::vector<CellCut> cuts;
    TextString rawScratch;
    // The last line of a delimited block that was cut without cells, when no
    // line after it was split: the scratch row does not hold its cells.
    int splitOwed = -1;
    // Nothing in this pass changes the settings the cuts read.
    const PreForm::CutSettings cutSettings;
    std::vector<ColumnTally> tallies;
    // Per column: the lines whose empty cells, counted together, begin there.
    std::vector<int> emptyFrom;
    // The texts of the first column vote as they are read; the count of the
    // winner is taken in a second pass.  A block with columns cuts its first
    // cells again for it, so that nothing is kept per line; a delimited
    // block, whose split costs more, keeps the texts' hashes.
    MajorityVote firstTexts;
    std::vector<uint64_t> delimitedFirstTexts;
    int dataLines = 0;
};

// The derived values of a column from its tallies.
void DeriveColumnValues(PreFormColumn& column, const ColumnTally& tally) {
    tally.alignments.FillTable(column.alignments);
    tally.spans.FillTable(column.spans);
    FillBinary(column.emptyCells, tally.empty);
    FillBinary(column.alphanumericCells, tally.alphanumeric);
    FillBinary(column.symbolicCells, tally.symbolic);
    FillBinary(column.numericCells, tally.numeric);
    column.hasDominantValue = 0;

    column.typicalAlignment = MostFrequent(column.alignments, 1).value;
    column.typicalSpan = MostFrequent(column.spans, 1).value;
    if (column.typicalSpan == 1 && column.spans.samples > 0 &&
        CountOf(column.spans, 1) * 5 < column.spans.samples * 4)
        column.typicalSpan = 2;
    const Top empty = MostFrequent(column.emptyCells, 0);
    column.isMostlyEmpty =
        empty.value == 1 && column.emptyCells.samples > 0 && empty.count * 4 > column.emptyCells.samples * 3 ? 1 : 0;
    column.isConsistent = column.isMostlyEmpty && column.emptyCells.count == 1 ? 1 : 0;
    column.isSymbolic = MostFrequent(column.symbolicCells, 0).value;
    column.isAlphanumeric = column.isMostlyEmpty ? 0 : MostFrequent(column.alphanumericCells, 0).value;
    if (column.isSymbolic || CountOf(column.alphanumericCells, 1) * 5 < column.alphanumericCells.samples * 4)
        column.isAlphanumeric = 0;
    column.isNumeric = column.isMostlyEmpty ? 0 : MostFrequent(column.numericCells, 0).value;
    column.ownCells = tally.ownCells;
    column.cellsIntoNext = tally.cellsIntoNext;
    column.cellsFromPrevious = tally.cellsFromPrevious;
}

// Widths: characters from the boundary of the column before to the
// column's own boundary (the last column to the longest line), or the
// widest field of a delimited column; in twips at the width of an "n"
// of the table font, the average lower-case letter.
void SetColumnWidths(PreForm& engine, const ColumnTallyPass& pass) {
    const int count = engine.columnCount;
    const double perCharacter = engine_support::TextTwips(engine, "n");
    for (int k = 0; k < count; ++k) {
        PreFormColumn& column = *engine.columns[static_cast<size_t>(k)];
        long long width;
        if (engine.isDelimited) {
            width = pass.Tally(k).widest;
        } else {
            const long long end =
                k == count - 1 ? static_cast<long long>(engine.longestLength) - 1 : column.boundary;
            const long long before = k == 0 ? -1 : engine.columns[static_cast<size_t>(k - 1)]->boundary;
            width = end - before;
        }
        if (width < 0) width = 0;
        if (width > INT_MAX) width = INT_MAX;
        column.width = static_cast<int>(width);
        column.rtfWidth = ClampRtfWidth(static_cast<double>(width) * perCharacter);
    }
    if (engine.rtfOutput && count == 2 && engine.columns[0]->isMostlyEmpty) {
        const int least = ClampRtfWidth(engine_support::TextTwips(engine, " ") * engine.columns[0]->boundary + 108);
        engine.columns[0]->rtfWidth = std::max(engine.columns[0]->rtfWidth, least);
    }
}

}  // namespace

// The statistics of every column over the data lines, the cell flags of
// every line and the columns' widths.
//
// A column "has a dominant value" when the most frequent (trimmed,
// non-empty) text of its cells occurs at least twice and on more than half
// of the data lines; only the first column is judged.  Such a first column
// holds labels that repeat (Yes/No, a unit, a category) rather than a list
// of terms.
void PreForm::GatherColumnStatistics() {
    extraSpans = spanningCells = spanningLines = 0;
    const int count = columnCount;
    ColumnTallyPass pass(*this);
    filledCells.assign(static_cast<size_t>(lineCount), FilledCells{});
    for (int i = 0; i < lineCount; ++i) pass.TallyLine(i);
    pass.AddEmptyCells();
    const bool dominant = pass.FirstColumnHasDominantValue();
    // The scratch row is left holding the last line's cells, as a split of
    // every line would leave it.
    if (!isDelimited && count > 0 && lineCount > 0)
        SplitLineIntoCells(&scratchRow, lineCount - 1, 1);
    else if (pass.SplitOwed() >= 0)
        SplitLineIntoCells(&scratchRow, pass.SplitOwed(), 1);

    for (int k = 0; k < count; ++k) DeriveColumnValues(*columns[static_cast<size_t>(k)], pass.Tally(k));
    if (pass.FirstColumnVoted()) columns[0]->hasDominantValue = dominant ? 1 : 0;

    SetColumnWidths(*this, pass);
}
