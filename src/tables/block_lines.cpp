// The block's lines: their texts (LineTextArena), records (PreFormLine,
// with TabRuns) and storage (BlockLines).
#include "tables/block_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>

#include "analysis/analysed_line.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The text as a copy of it keeps it (up to a NUL byte) without its trailing
// blanks and tabs.
std::string_view WithoutTrailingBlanks(const TextString& text) {
    size_t n = strnlen(text.buffer, static_cast<size_t>(text.length));
    while (n > 0 && IsBlankOrTab(text.buffer[n - 1])) --n;
    return std::string_view(text.buffer, n);
}

bool HasNonBlank(LineText text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return true;
    return false;
}

// Whether two texts hold the same bytes.
bool SameText(const TextString& a, const TextString& b) {
    return a.length == b.length &&
           (a.buffer == b.buffer || std::memcmp(a.buffer, b.buffer, static_cast<size_t>(a.length)) == 0);
}

}  // namespace

int BarOfBarLine(const AnalysedLine& line) {
    if (!line.HasFlag(kFlagBarLine)) return -1;
    const TextString& tagged = line.taggedText;
    const int at = line.barOffset;
    return at >= 0 && at < tagged.length && tagged.buffer[at] == ' ' ? at : -1;
}

// ---------------------------------------------------------------------------
// The texts of the block's lines

LineTextArena::~LineTextArena() = default;

char* LineTextArena::AllocateInNewChunk(size_t bytes) {
    // A large text gets a chunk of its own; the newest chunk goes on taking
    // the small ones.  (Pages and new[] of char are aligned for any
    // fundamental type.)
    if (bytes > kOwnChunkBytes) {
        chunks.push_back(Chunk{PageRun(), std::make_unique_for_overwrite<char[]>(bytes), 0});
        Note(chunks.back());
        return chunks.back().heap.get();
    }
    const size_t size = filledChunks < kSmallChunks ? kChunkBytes : kLargeChunkBytes;
    chunks.push_back(Chunk{PageRun(size), nullptr, 0});
    ++filledChunks;
    newest = chunks.size() - 1;
    Note(chunks.back());
    next = chunks.back().pages.data() + bytes;
    left = size - bytes;
    return chunks.back().pages.data();
}

void LineTextArena::ReleaseBefore(size_t line) {
    // A block whose small texts fit in the small chunks keeps those chunks
    // to its end: they then go to the runs kept for the next block, which
    // writes pages already there (a run of small files, or a file of many
    // small blocks) instead of faulting fresh ones in.  What stays is two
    // megabytes at most; a large text's own chunk is given back as ever.
    const bool keepSmallChunks = filledChunks <= kSmallChunks;
    for (size_t k = 0; k < chunks.size(); ++k) {
        Chunk& chunk = chunks[k];
        if (!chunk.Held() || chunk.lastLine == kNoLine || chunk.lastLine >= line) continue;
        if (keepSmallChunks && chunk.pages.data()) continue;
        chunk.pages = PageRun();
        chunk.heap.reset();
        if (k == newest) {
            next = nullptr;
            left = 0;
            newest = SIZE_MAX;
        }
    }
}

LineText LineTextArena::Copy(std::string_view text) {
    if (text.empty()) return LineText{};
    char* bytes = Allocate(text.size() + 1);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    return LineText{bytes, static_cast<int>(text.size())};
}

AnalysedLine* LineTextArena::Keep(std::unique_ptr<AnalysedLine> line) {
    kept.push_back(std::move(line));
    return kept.back().get();
}

// ---------------------------------------------------------------------------
// Records

static_assert(sizeof(PreFormLine) <= 16, "the line record grew: every line of a block pays for it");
static_assert(kFlagHasHeadingTag < (1u << PreFormLine::kFlagBits), "an attribute flag is beyond the record's bits");
static_assert(std::is_trivially_destructible_v<PreFormLine>, "records are dropped with their chunk");

uint64_t PreFormLine::AddressOf(const char* bytes) {
    const auto address = reinterpret_cast<uintptr_t>(bytes);
    if (address >> kAddressBits) throw std::bad_alloc();
    return address;
}

PreFormLine::PreFormLine(const AnalysedLine& line, LineTextArena& arena, bool utf8Text)
    : flags(line.flags), hasTagCode(line.tagCode != kStatementNone ? 1 : 0), lineType(line.lineType) {
    const TextString& tagged = line.taggedText;
    const std::string_view taggedView = WithoutTrailingBlanks(tagged);
    // A text equal to the tagged text (most lines: all three are) is the
    // layout text without being measured again.
    const std::string_view display =
        line.textIsTagged || SameText(line, tagged) ? taggedView : WithoutTrailingBlanks(line);
    const std::string_view raw = SameText(line.rawText, tagged) ? taggedView : WithoutTrailingBlanks(line.rawText);
    AnalysedLine* replacements = nullptr;
    if (line.firstPairPresent || line.secondPairPresent) {
        auto pairs = std::make_unique<AnalysedLine>();
        pairs->CopyAnalysis(&line);
        replacements = arena.Keep(std::move(pairs));
    }
    wide = utf8Text && unicode::HasNonAscii(taggedView.data(), taggedView.size());
    const bool included =
        line.originPosition.unit != line.position.unit || line.originPosition.line != line.position.line;
    Place(arena, taggedView, display, raw, replacements, included ? &line.originPosition : nullptr);
    // The bar the line analysis blanked on a bar line is the cells' text:
    // the layout text has it back, the display text (a line of text) and
    // the raw text stay as the analysis left them.
    if (line.HasFlag(kFlagBarLine)) [[unlikely]] {
        if (const int bar = BarOfBarLine(line); bar >= 0) {
            std::string withBar(tagged.buffer, strnlen(tagged.buffer, static_cast<size_t>(tagged.length)));
            if (static_cast<size_t>(bar) < withBar.size()) withBar[static_cast<size_t>(bar)] = '|';
            while (!withBar.empty() && IsBlankOrTab(withBar.back())) withBar.pop_back();
            SetLayout(arena, withBar);
        }
    }
}

void PreFormLine::Place(LineTextArena& arena, std::string_view layout, std::string_view display,
                        std::string_view raw, AnalysedLine* replacements, const SourcePosition* origin) {
    // Compared in place, copied only when kept.
    const bool ownDisplay = display.data() != layout.data() && display != layout;
    const bool rawIsLayout = raw.data() == layout.data() || raw == layout;
    const bool rawIsDisplay = !rawIsLayout && ownDisplay && raw == display;
    const bool sameOrigin = origin == nullptr;
    if (!ownDisplay && rawIsLayout && !replacements && sameOrigin && !wide) {
        // Nothing to keep beside the layout text.
        const LineText copy = arena.Copy(layout);
        layoutAddress = AddressOf(copy.buffer);
        length = copy.length;
        hasOther = 0;
        return;
    }
    std::string runs;
    const bool tabRuns = !rawIsLayout && !rawIsDisplay && TabRuns::Encode(layout, raw, runs);
    const bool ownRaw = !rawIsLayout && !rawIsDisplay && !tabRuns;

    const Source displaySource = ownDisplay ? Source::Own : Source::Layout;
    const Source rawSource = rawIsLayout    ? Source::Layout
                             : rawIsDisplay ? Source::Display
                             : tabRuns      ? Source::TabRuns
                                            : Source::Own;
    const uint8_t before =
        static_cast<uint8_t>((sameOrigin ? 0 : kHasOrigin) | (replacements ? kHasReplacements : 0));
    const int layoutBytes = static_cast<int>(layout.size());
    const int displayBytes = static_cast<int>(display.size());
    const int rawBytes = static_cast<int>(raw.size());
    const size_t headerBytes = (replacements ? 8 : 0) + (sameOrigin ? 0 : 8) + (ownDisplay ? 4 : 0) +
                               (ownRaw ? 4 : 0) + sizeof layoutBytes + 1;
    const size_t textBytes = layout.size() + 1 + (ownDisplay ? display.size() + 1 : 0) +
                             (ownRaw ? raw.size() + 1 : 0) + (tabRuns ? runs.size() : 0);
    char* at = arena.Allocate(headerBytes + textBytes);
    auto put = [&at](const void* bytes, size_t size) {
        if (size > 0) std::memcpy(at, bytes, size);
        at += size;
    };
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the record stores the pointer's own bytes
    static_assert(sizeof(SourcePosition) == 8 && sizeof(AnalysedLine*) <= 8);
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the pointer itself is stored
    if (replacements) put(&replacements, sizeof replacements);
    if (!sameOrigin) put(origin, sizeof *origin);
    if (ownDisplay) put(&displayBytes, sizeof displayBytes);
    if (ownRaw) put(&rawBytes, sizeof rawBytes);
    put(&layoutBytes, sizeof layoutBytes);
    *at++ =
        static_cast<char>(static_cast<uint8_t>(displaySource) | static_cast<uint8_t>(rawSource) << 2 | before << 4);
    const char* const layoutText = at;
    layoutAddress = AddressOf(layoutText);
    hasOther = 1;
    auto putText = [&put, &at](std::string_view text, bool terminated) {
        put(text.data(), text.size());
        if (terminated) *at++ = '\0';
    };
    putText(layout, true);
    if (ownDisplay) putText(display, true);
    if (ownRaw) putText(raw, true);
    if (tabRuns) putText(runs, false);
    length = wide ? unicode::DisplayWidth(layoutText, layoutBytes) : layoutBytes;
}

PreFormLine::OtherTexts PreFormLine::Other() const {
    OtherTexts other;
    const char* at = LayoutBytes() - 1;
    const auto tag = static_cast<uint8_t>(*at);
    other.display = static_cast<Source>(tag & 3);
    other.raw = static_cast<Source>((tag >> 2) & 3);
    other.before = static_cast<uint8_t>(tag >> 4);
    auto take = [&at](int& value) {
        at -= sizeof value;
        std::memcpy(&value, at, sizeof value);
    };
    take(other.layoutBytes);
    if (other.raw == Source::Own) take(other.rawBytes);
    if (other.display == Source::Own) take(other.displayBytes);
    other.beforeEnd = at;
    return other;
}

const char* PreFormLine::OriginBytes() const {
    if (!hasOther) return nullptr;
    const OtherTexts other = Other();
    return (other.before & kHasOrigin) ? other.beforeEnd - sizeof(SourcePosition) : nullptr;
}

SourcePosition PreFormLine::OriginPosition(const SourcePosition& position) const {
    const char* bytes = OriginBytes();
    if (!bytes) return position;
    SourcePosition origin;
    std::memcpy(&origin, bytes, sizeof origin);
    return origin;
}

AnalysedLine* PreFormLine::Replacements() const {
    if (!hasOther) return nullptr;
    const OtherTexts other = Other();
    if (!(other.before & kHasReplacements)) return nullptr;
    AnalysedLine* replacements = nullptr;
    std::memcpy(&replacements, other.beforeEnd - ((other.before & kHasOrigin) ? 16 : 8),
                sizeof replacements);  // NOLINT(bugprone-sizeof-expression): the pointer itself is read
    return replacements;
}

LineText PreFormLine::Display() const {
    if (!hasOther) return Layout();
    const OtherTexts other = Other();
    if (other.display == Source::Layout) return Layout();
    return LineText{LayoutBytes() + other.layoutBytes + 1, other.displayBytes};
}

const char* PreFormLine::AfterTexts(const OtherTexts& other) const {
    const char* after = LayoutBytes() + other.layoutBytes + 1;
    if (other.display == Source::Own) after += other.displayBytes + 1;
    return after;
}

LineText PreFormLine::Raw(TextString& scratch) const {
    if (!hasOther) return Layout();
    const OtherTexts other = Other();
    switch (other.raw) {
        case Source::Layout: return Layout();
        case Source::Display: return Display();
        case Source::Own: return LineText{AfterTexts(other), other.rawBytes};
        case Source::TabRuns: break;
    }
    TabRuns::Decode(Layout().view(), reinterpret_cast<const unsigned char*>(AfterTexts(other)), scratch);
    return LineText{scratch.buffer, scratch.length};
}

const unsigned char* PreFormLine::TabRunsOfRaw() const {
    if (!hasOther) return nullptr;
    const OtherTexts other = Other();
    return other.raw == Source::TabRuns ? reinterpret_cast<const unsigned char*>(AfterTexts(other)) : nullptr;
}

void PreFormLine::SetLayout(LineTextArena& arena, std::string_view text) {
    // The texts are placed anew; the old bytes stay where they are until
    // the copies are made.
    TextString raw;
    const SourcePosition origin = OriginPosition(SourcePosition());
    Place(arena, text, Display().view(), Raw(raw).view(), Replacements(), OriginBytes() ? &origin : nullptr);
}

void PreFormLine::CutLayoutFront(LineTextArena& arena, int n) {
    const LineText layout = Layout();
    SetLayout(arena, n < layout.length ? layout.view().substr(static_cast<size_t>(n)) : std::string_view());
}

void PreFormLine::SetDisplay(LineTextArena& arena, std::string_view text) {
    TextString raw;
    const SourcePosition origin = OriginPosition(SourcePosition());
    Place(arena, Layout().view(), text, Raw(raw).view(), Replacements(), OriginBytes() ? &origin : nullptr);
}

void PreFormLine::SetRaw(LineTextArena& arena, std::string_view text) {
    const SourcePosition origin = OriginPosition(SourcePosition());
    Place(arena, Layout().view(), Display().view(), text, Replacements(), OriginBytes() ? &origin : nullptr);
}

// ---------------------------------------------------------------------------
// Tab runs

namespace {

// A number as TabRuns keeps it.
unsigned char* PutNumber(unsigned char* out, size_t n) {
    for (; n >= 0x80; n >>= 7) *out++ = static_cast<unsigned char>(0x80 | (n & 0x7f));
    *out++ = static_cast<unsigned char>(n);
    return out;
}
constexpr size_t kMaxNumberBytes = 5;

enum class RunsWritten { Done, NotRuns, NoRoom };

// The bytes the raw text's start has in common with the layout text's
// before its first tab (the fields of a table of many columns are short:
// they are compared sixteen bytes at a time where the processor compares
// vectors of bytes).
size_t SamePieceBeforeTab(std::string_view raw, std::string_view layout) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8('\t');
    for (; raw.size() - k >= 16 && layout.size() - k >= 16; k += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw.data() + k));
        const __m128i laid = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.data() + k));
        const auto same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, laid)));
        const auto stop = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab))) | (~same & 0xffffu);
        if (stop != 0) return k + static_cast<size_t>(__builtin_ctz(stop));
    }
#endif
    const size_t common = std::min(raw.size(), layout.size());
    while (k < common && raw[k] != '\t' && raw[k] == layout[k]) ++k;
    return k;
}

// The blanks a text starts with (a tab's run: a few blanks mostly).
size_t LeadingBlanks(std::string_view text) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    for (; text.size() - k >= 16; k += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + k));
        const auto others = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blank))) & 0xffffu;
        if (others != 0) return k + static_cast<size_t>(__builtin_ctz(others));
    }
#endif
    while (k < text.size() && text[k] == ' ') ++k;
    return k;
}

// The text from byte `at` on (`at` is within it).
std::string_view Rest(std::string_view text, size_t at) {
    return std::string_view(text.data() + at, text.size() - at);
}

// How far WriteRuns got: it goes on from there after NoRoom.
struct RunsRead {
    size_t i = 0;  // in the raw text
    size_t j = 0;  // in the layout text
    size_t lastEnd = 0;  // the end of the run before
    size_t count = 0;  // the runs written
};

// Writes the gap and length of each run from `out` on, counting them;
// NoRoom when they would pass `limit` (`read` then tells where to go on
// with more room), NotRuns when the raw text is not the layout text with
// runs of blanks made tabs.
RunsWritten WriteRuns(std::string_view layout, std::string_view raw, unsigned char*& out, const unsigned char* limit,
                      RunsRead& read) {
    size_t& count = read.count;
    size_t& j = read.j;
    size_t& lastEnd = read.lastEnd;
    for (size_t& i = read.i; i < raw.size();) {
        // The text up to the next tab stands as it is in the layout text.
        const size_t tab = i + SamePieceBeforeTab(Rest(raw, i), Rest(layout, j));
        if (tab < raw.size() && raw[tab] != '\t') return RunsWritten::NotRuns;
        const size_t piece = tab - i;
        if (tab == raw.size()) {
            j += piece;
            break;
        }
        if (static_cast<size_t>(limit - out) < 2 * kMaxNumberBytes) return RunsWritten::NoRoom;
        j += piece;
        // The blanks that follow the tab in the raw text follow its run in
        // the layout text.
        size_t k = tab + 1;
        while (k < raw.size() && raw[k] == ' ') ++k;
        if (k < raw.size() && raw[k] == '\t') return RunsWritten::NotRuns;
        const size_t following = k - (tab + 1);
        const size_t blanks = LeadingBlanks(Rest(layout, j));
        if (blanks < following + 1) return RunsWritten::NotRuns;
        const size_t run = blanks - following;
        out = PutNumber(out, j - lastEnd);
        out = PutNumber(out, run);
        ++count;
        j += run;
        lastEnd = j;
        i = tab + 1;
    }
    return count > 0 && j == layout.size() ? RunsWritten::Done : RunsWritten::NotRuns;
}

// The count in front of the runs written from `body` to `end`, in the room
// left for it before `body`; the whole goes to `runs`.
void KeepRuns(size_t count, unsigned char* body, const unsigned char* end, std::string& runs, size_t bodyAt) {
    unsigned char number[kMaxNumberBytes];
    const auto bytes = static_cast<size_t>(PutNumber(number, count) - number);
    std::memcpy(body - bytes, number, bytes);
    if (bodyAt == 0) {
        runs.assign(reinterpret_cast<const char*>(body - bytes), static_cast<size_t>(end - body) + bytes);
    } else {
        // `body` lies in `runs` itself, `bodyAt` bytes in.
        runs.resize(static_cast<size_t>(end - body) + bodyAt);
        runs.erase(0, bodyAt - bytes);
    }
}

}  // namespace

bool TabRuns::Encode(std::string_view layout, std::string_view raw, std::string& runs) {
    // The numbers go after room for the count, which is known at the end.
    // Those of a row of a few dozen columns are written on the stack, so
    // that the short result is kept without allocating for the longest.
    std::array<unsigned char, 256> local;
    unsigned char* out = local.data() + kMaxNumberBytes;
    RunsRead read;
    switch (WriteRuns(layout, raw, out, local.data() + local.size(), read)) {
        case RunsWritten::Done: KeepRuns(read.count, local.data() + kMaxNumberBytes, out, runs, 0); return true;
        case RunsWritten::NotRuns: return false;
        case RunsWritten::NoRoom: break;
    }
    // Many columns: the numbers go on in `runs` itself, which doubles
    // whenever they fill it (each line is read once).
    auto written = static_cast<size_t>(out - local.data());
    runs.assign(reinterpret_cast<const char*>(local.data()), written);
    for (;;) {
        runs.resize(2 * runs.size());
        auto* const start = reinterpret_cast<unsigned char*>(runs.data());
        out = start + written;
        switch (WriteRuns(layout, raw, out, start + runs.size(), read)) {
            case RunsWritten::Done:
                KeepRuns(read.count, start + kMaxNumberBytes, out, runs, kMaxNumberBytes);
                return true;
            case RunsWritten::NotRuns: return false;
            case RunsWritten::NoRoom: written = static_cast<size_t>(out - start); break;
        }
    }
}

void TabRuns::Decode(std::string_view layout, const unsigned char* runs, TextString& out) {
    // A run of one blank or more gives back one tab, so the raw text is
    // never longer than the layout text: it is made over a copy of that,
    // each piece moved left over the blanks dropped before it.
    out.AssignChars(layout.data(), static_cast<int>(layout.size()));
    char* const text = out.buffer;
    TabRuns::Walk walk(runs);
    size_t read = 0;  // in the layout text
    size_t write = 0;
    for (size_t start = 0, end = 0; walk.Next(&start, &end); read = end) {
        const size_t gap = start - read;
        if (write != read) std::memmove(text + write, text + read, gap);
        write += gap;
        text[write++] = '\t';
    }
    const size_t rest = layout.size() - read;
    if (write != read) std::memmove(text + write, text + read, rest);
    out.SubString(0, static_cast<int>(write + rest));
}

PreFormLine* BlockLines::NextRecord() {
    if (count % kChunkLines == 0) {
        if (runChunksUsed == runChunks) {
            runChunks = runs.empty() ? kFirstRunChunks : kRunChunks;
            runs.emplace_back(runChunks * kChunkBytes);
            runChunksUsed = 0;
            const RecordRun run{reinterpret_cast<uintptr_t>(runs.back().data()), runs.back().size(), count};
            recordRuns.insert(
                std::upper_bound(recordRuns.begin(), recordRuns.end(), run,
                                 [](const RecordRun& a, const RecordRun& b) { return a.start < b.start; }),
                run);
        }
        chunks.push_back(reinterpret_cast<PreFormLine*>(runs.back().data() + runChunksUsed * kChunkBytes));
        ++runChunksUsed;
    }
    return chunks.back() + count % kChunkLines;
}

PreFormLine& BlockLines::Add(const AnalysedLine& line, bool utf8Text) {
    PreFormLine* at = NextRecord();
    const LineTextArena::LineScope scope(texts, count);
    PreFormLine& record = *new (at) PreFormLine(line, texts, utf8Text);
    NotePosition(line.position);
    ++count;
    return record;
}

PreFormLine& BlockLines::AddCopy(const BlockLines& from, size_t i) {
    PreFormLine* at = NextRecord();
    PreFormLine& record = *new (at) PreFormLine(*from[i]);
    NotePosition(from.Position(i));
    ++count;
    return record;
}

void LineMeasures::Note(const PreFormLine& line, const AnalysedLine& analysed) {
    // A CHANGE_POLICY line is no part of the block's layout.  The line's
    // indent counts here only: the record does not keep it.
    int indent = analysed.leadingBlanks > 0 ? analysed.leadingBlanks : 0;
    // The bar of a bar line stands in the layout text, where it may begin
    // the line's text.
    if (analysed.HasFlag(kFlagBarLine)) [[unlikely]]
        if (const int bar = BarOfBarLine(analysed); bar >= 0) indent = std::min(indent, bar);
    if (line.lineType != kStatementChangePolicy && line.length - indent > 0) {
        if (longestLength < 0 || line.length > longestLength) longestLength = line.length;
        if (shortestLength < 0 || line.length < shortestLength) shortestLength = line.length;
        if (indent < smallestIndent && HasNonBlank(line.Layout()) && line.length > 0 &&
            !IsRuleLine(analysed.textIsTagged ? analysed.taggedText->buffer : analysed.buffer))
            smallestIndent = indent;
    }
    if (analysed.HasFlag(kFlagHeaderLine)) ++mailHeaderLineCount;
}

void PassThroughLines::Add(const AnalysedLine& line, size_t linesAbove) {
    const TextString& current = line.textIsTagged ? static_cast<const TextString&>(line.taggedText) : line;
    // Up to a NUL byte, as a copy of the text keeps it.
    const size_t length = strnlen(current.buffer, static_cast<size_t>(current.length > 0 ? current.length : 0));
    lines.push_back(Line{text.size(), length, linesAbove});
    text.append(current.buffer, length);
}

void BlockLines::StartPositionRun(const SourcePosition& position) {
    if (!positionRuns.empty()) {
        PositionRun& run = positionRuns.back();
        const int64_t gap = int64_t{position.line} - run.start.line;
        if (run.step < 0 && position.unit == run.start.unit && (gap == 0 || gap == 1)) {
            run.step = static_cast<int>(gap);
            nextUnit = position.unit;
            nextLine = int64_t{position.line} + run.step;
            return;
        }
    }
    positionRuns.push_back(PositionRun{count, position, -1});
    nextUnit = kNoUnit;
}

SourcePosition BlockLines::PositionInRuns(size_t i) const {
    // The last run that starts at or before line i.
    auto after = std::upper_bound(positionRuns.begin(), positionRuns.end(), i,
                                  [](size_t line, const PositionRun& run) { return line < run.firstLine; });
    return after == positionRuns.begin() ? SourcePosition() : (after - 1)->At(i);
}

void BlockLines::FindPosition(const PreFormLine& line) const {
    positionAsked = &line;
    positionFound = SourcePosition();
    const auto address = reinterpret_cast<uintptr_t>(&line);
    // The lines asked of follow one another: their run of pages is mostly
    // the one before.  Otherwise the last run that starts at or before the
    // record.
    auto holds = [address](const RecordRun& run) { return address - run.start < run.bytes; };
    if (runAsked >= recordRuns.size() || !holds(recordRuns[runAsked])) {
        auto after = std::upper_bound(recordRuns.begin(), recordRuns.end(), address,
                                      [](uintptr_t at, const RecordRun& run) { return at < run.start; });
        if (after == recordRuns.begin() || !holds(*(after - 1))) return;
        runAsked = static_cast<size_t>(after - 1 - recordRuns.begin());
    }
    // The chunks of a run are carved in order, line after line.
    const RecordRun& run = recordRuns[runAsked];
    const size_t i = run.firstLine + (address - run.start) / sizeof(PreFormLine);
    if (i < count) Position(i);
}

void BlockLines::SetLayout(size_t i, std::string_view text) {
    const LineTextArena::LineScope scope(texts, i);
    (*this)[i]->SetLayout(texts, text);
}

void BlockLines::CutLayoutFront(size_t i, int n) {
    const LineTextArena::LineScope scope(texts, i);
    (*this)[i]->CutLayoutFront(texts, n);
}
